// The turn clock's watchdog on its own: its seconds started and ended
// through the view's timers, and the clock's ticks restarted only after two
// watchdog seconds without a clock tick.

#include "game/ClockWatchdog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kTick = 6161;

class Timers : public game::CardTableLinks {
public:
    uint64_t RepeatViewEvent(int code, uint32_t intervalMs) override
    {
        EXPECT_EQ(code, kTick);
        EXPECT_EQ(intervalMs, 1000u);
        return ++lastId;
    }
    void CancelViewAction(uint64_t action) override { cancelled.push_back(action); }
    uint32_t ViewTime() override { return 0; }
    std::vector<uint64_t> cancelled;
    uint64_t lastId = 0;
};

TEST(ClockWatchdog, RunsOneTimerAtATime)
{
    Timers timers;
    game::ClockWatchdog watchdog(timers, kTick);
    watchdog.Stop();
    EXPECT_TRUE(timers.cancelled.empty());
    watchdog.Start();
    watchdog.Start();
    EXPECT_EQ(timers.cancelled, std::vector<uint64_t> { 1 });
    EXPECT_EQ(watchdog.Action(), 2u);
    watchdog.Stop();
    EXPECT_EQ(timers.cancelled, (std::vector<uint64_t> { 1, 2 }));
    EXPECT_EQ(watchdog.Action(), 0u);
}

TEST(ClockWatchdog, RestartsTheClockAfterTwoSecondsWithoutATick)
{
    Timers timers;
    game::ClockWatchdog watchdog(timers, kTick);
    int restarts = 0;
    const auto restart = [&restarts] { ++restarts; };

    // Clock ticks between the watchdog's seconds keep it quiet.
    for (int second = 0; second < 5; ++second) {
        watchdog.Tick(restart);
        watchdog.ClockTicked();
    }
    EXPECT_EQ(restarts, 0);

    watchdog.Tick(restart);
    EXPECT_EQ(watchdog.Ticks(), 1);
    watchdog.Tick(restart);
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(watchdog.Ticks(), 0) << "the restarted clock gets two seconds again";
    watchdog.Tick(restart);
    EXPECT_EQ(restarts, 1);

    // The clock's start counts as a tick.
    bool started = false;
    watchdog.ClockStarts([&started] { started = true; });
    EXPECT_TRUE(started);
    watchdog.Tick(restart);
    EXPECT_EQ(restarts, 1);
}

} // namespace
