// The ready countdown on its own: one countdown running at a time through
// the view's timers, the warnings at 15, 10 and 5 seconds, the seconds shown,
// one expiry, and when another chair's start shortens it.

#include "game/ReadyCountdown.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using game::ReadyCountdown;

constexpr int kTick = 5151;

class Timers : public game::CardTableLinks {
public:
    uint64_t RepeatViewEvent(int code, uint32_t intervalMs) override
    {
        codes.push_back(code);
        EXPECT_EQ(intervalMs, 1000u);
        return ++lastId;
    }
    void CancelViewAction(uint64_t action) override { cancelled.push_back(action); }
    uint32_t ViewTime() override { return 0; }
    std::vector<int> codes;
    std::vector<uint64_t> cancelled;
    uint64_t lastId = 0;
};

TEST(ReadyCountdown, OneCountdownRunsAtATime)
{
    Timers timers;
    ReadyCountdown countdown(timers, kTick);
    EXPECT_FALSE(countdown.Stop()) << "nothing ran: the clock stays as it is";
    countdown.Start(30);
    countdown.Start(15); // replaces the running one
    EXPECT_EQ(timers.codes, (std::vector<int> { kTick, kTick }));
    EXPECT_EQ(timers.cancelled, std::vector<uint64_t> { 1 });
    EXPECT_TRUE(countdown.IsRunning());
    EXPECT_EQ(countdown.Seconds(), 15);
    EXPECT_TRUE(countdown.Stop());
    EXPECT_EQ(timers.cancelled, (std::vector<uint64_t> { 1, 2 }));
    EXPECT_FALSE(countdown.IsRunning());
    // A tick queued before the stop asks for nothing.
    const ReadyCountdown::Step late = countdown.Tick();
    EXPECT_EQ(late.warnSeconds, 0);
    EXPECT_EQ(late.shownSeconds, -1);
    EXPECT_FALSE(late.expired);
}

TEST(ReadyCountdown, WarnsAtFifteenTenAndFiveAndExpiresOnce)
{
    Timers timers;
    ReadyCountdown countdown(timers, kTick);
    countdown.Start(16);
    std::vector<int> warnings;
    std::vector<int> shown;
    int expiries = 0;
    for (int second = 0; second < 17; ++second) {
        const ReadyCountdown::Step step = countdown.Tick();
        if (step.warnSeconds)
            warnings.push_back(step.warnSeconds);
        shown.push_back(step.shownSeconds);
        expiries += step.expired ? 1 : 0;
    }
    EXPECT_EQ(warnings, (std::vector<int> { 15, 10, 5 }));
    EXPECT_EQ(shown.front(), 15);
    EXPECT_EQ(shown[15], 0);
    EXPECT_EQ(shown.back(), -1);
    EXPECT_EQ(expiries, 1);
}

TEST(ReadyCountdown, AnotherChairsStartShortensOnlyALongCountdown)
{
    Timers timers;
    ReadyCountdown countdown(timers, kTick);
    EXPECT_EQ(ReadyCountdown::StartSeconds(true), 15);
    EXPECT_EQ(ReadyCountdown::StartSeconds(false), 30);
    EXPECT_FALSE(countdown.ShortensFor(true)) << "none runs";
    const struct {
        int seconds;
        bool othersReady;
        bool shortens;
    } cases[] = { { 30, true, true }, { 16, true, true }, { 15, true, false }, { 30, false, false } };
    for (const auto& c : cases) {
        countdown.Start(c.seconds);
        EXPECT_EQ(countdown.ShortensFor(c.othersReady), c.shortens) << c.seconds << " " << c.othersReady;
    }
}

} // namespace
