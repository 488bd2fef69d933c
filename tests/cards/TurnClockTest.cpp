// The turn clock on its own: its ticks started, restarted and ended through
// the view's timers, the seconds each chair was given, and the digits counted
// down second by second with what each second asks for.

#include "cards/TurnClock.h"

#include "engine/controls/widgets/ImageNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kTick = 4242;

// Keeps the timers the clock asked for and the ones it cancelled.
class Timers : public game::CardTableLinks {
public:
    struct Repeat {
        int code;
        uint32_t intervalMs;
    };
    uint64_t RepeatViewEvent(int code, uint32_t intervalMs) override
    {
        repeats.push_back({ code, intervalMs });
        return ++lastId;
    }
    void CancelViewAction(uint64_t action) override { cancelled.push_back(action); }
    uint32_t ViewTime() override { return 0; }
    std::vector<Repeat> repeats;
    std::vector<uint64_t> cancelled;
    uint64_t lastId = 100;
};

TEST(TurnClock, TicksRunOnceAtATimeAndEndWithTheRoundOrTheStop)
{
    Timers timers;
    game::TurnClock clock(timers, kTick);
    clock.StopTicks(); // nothing runs: nothing to cancel
    EXPECT_TRUE(timers.cancelled.empty());

    clock.Start();
    ASSERT_EQ(timers.repeats.size(), 1u);
    EXPECT_EQ(timers.repeats[0].code, kTick);
    EXPECT_EQ(timers.repeats[0].intervalMs, 1000u);
    EXPECT_EQ(clock.Action(), 101u);

    // Restarting never leaves the old ticks running beside the new ones.
    clock.RestartTicks();
    EXPECT_EQ(timers.cancelled, std::vector<uint64_t> { 101 });
    EXPECT_EQ(clock.Action(), 102u);

    clock.Stop();
    EXPECT_EQ(timers.cancelled, (std::vector<uint64_t> { 101, 102 }));
    EXPECT_EQ(clock.Action(), 0u);

    clock.Start();
    clock.SetSeatSeconds(2, 15);
    clock.ResetRound();
    EXPECT_EQ(timers.cancelled.back(), 103u);
    EXPECT_EQ(clock.Action(), 0u);
    EXPECT_EQ(clock.SeatSeconds(2), 0);
}

TEST(TurnClock, KeepsTheSecondsOfEachChairOfTheTable)
{
    Timers timers;
    game::TurnClock clock(timers, kTick);
    for (int chair = -1; chair <= game::kMaxBoards; ++chair)
        clock.SetSeatSeconds(chair, 10 + chair);
    const struct {
        int chair;
        int seconds;
    } cases[] = { { -1, 0 }, { 0, 10 }, { 3, 13 }, { game::kMaxBoards - 1, 10 + game::kMaxBoards - 1 },
        { game::kMaxBoards, 0 } };
    for (const auto& c : cases)
        EXPECT_EQ(clock.SeatSeconds(c.chair), c.seconds) << c.chair;
}

TEST(TurnClock, CountsTheDigitsDownAndMovesForThePlayerOnceAtZero)
{
    Timers timers;
    game::TurnClock clock(timers, kTick);
    EXPECT_FALSE(clock.Tick(true, true).countDown) << "no digits, no seconds";

    engine::ImageNumber digits;
    clock.SetDigits(&digits);
    clock.ShowSeconds(2);
    clock.ShowSeconds(-1); // a turn that keeps the number
    EXPECT_EQ(digits.GetValue(), 2);

    game::ClockStep step = clock.Tick(true, true);
    EXPECT_TRUE(step.countDown);
    EXPECT_TRUE(step.turnTimeout);
    EXPECT_EQ(digits.GetValue(), 1);
    EXPECT_FALSE(clock.Tick(true, false).turnTimeout); // a looker-on never moves
    EXPECT_EQ(digits.GetValue(), 0);

    std::vector<int> plays;
    for (int second = 1; second <= 4; ++second)
        if (clock.Tick(false, true).playForMe)
            plays.push_back(second);
    EXPECT_EQ(plays, std::vector<int> { 1 });
    EXPECT_EQ(digits.GetValue(), 0);
    EXPECT_EQ(clock.ZeroSeconds(), 4);

    // A player back on turn sees the seconds the turn gave.
    clock.SetSeatSeconds(1, 9);
    clock.Reappear(1, false);
    EXPECT_EQ(digits.GetValue(), 0);
    clock.Reappear(1, true);
    EXPECT_EQ(digits.GetValue(), 9);
    EXPECT_TRUE(clock.Tick(false, true).countDown);
    EXPECT_EQ(clock.ZeroSeconds(), 0);
}

TEST(TurnClock, AtZeroPlaysOnceAndTellsTheTableFromTheThirdSecond)
{
    int zero = 0;
    game::ClockStep step = game::TurnClockTick(2, zero, true, true);
    EXPECT_TRUE(step.countDown);
    EXPECT_TRUE(step.turnTimeout);
    step = game::TurnClockTick(1, zero, true, false);
    EXPECT_FALSE(step.turnTimeout); // a looker-on never moves
    EXPECT_FALSE(game::TurnClockTick(1, zero, false, true).turnTimeout);

    std::vector<int> plays;
    std::vector<int> notices;
    for (int second = 1; second <= 25; ++second) {
        step = game::TurnClockTick(0, zero, false, true);
        EXPECT_FALSE(step.countDown);
        if (step.playForMe)
            plays.push_back(second);
        if (step.sendTimeoutNotice)
            notices.push_back(second);
    }
    EXPECT_EQ(plays, std::vector<int> { 1 });
    EXPECT_EQ(notices, (std::vector<int> { 3, 13, 23 }));
    game::TurnClockTick(5, zero, false, true); // new seconds start over
    EXPECT_TRUE(game::TurnClockTick(0, zero, false, true).playForMe);
}

} // namespace
