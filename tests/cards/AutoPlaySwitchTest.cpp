// The automatic-play switch on its own: the pace of automatic moves, the
// cool-down before a click may switch it on again (on the engine's clock,
// which wraps), and a new round that forgets the last switch-off.

#include "cards/AutoPlaySwitch.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The engine's time as the test sets it.
class Clock : public game::CardTableLinks {
public:
    uint64_t RepeatViewEvent(int, uint32_t) override { return 0; }
    void CancelViewAction(uint64_t) override { }
    uint32_t ViewTime() override { return now; }
    uint32_t now = 0;
};

TEST(AutoPlaySwitch, AutomaticMoveComesOnEverySecondClockSecond)
{
    game::AutoPlayTicker ticker;
    const bool due[] = { false, true, false, true };
    for (bool d : due)
        EXPECT_EQ(ticker.Tick(), d);
    ticker.Tick();
    ticker.Reset();
    EXPECT_FALSE(ticker.Tick());
}

TEST(AutoPlaySwitch, SwitchingBackOnWaitsFiveSeconds)
{
    game::AutoPlayCooldown cooldown;
    EXPECT_EQ(cooldown.SecondsLeft(123), 0);
    cooldown.SwitchedOff(10000);
    const struct {
        uint32_t now;
        int seconds;
    } cases[] = { { 10001, 5 }, { 10999, 5 }, { 11001, 4 }, { 14999, 1 }, { 15000, 0 }, { 90000, 0 } };
    for (const auto& c : cases)
        EXPECT_EQ(cooldown.SecondsLeft(c.now), c.seconds) << c.now;
    cooldown.SwitchedOff(0xFFFFF000u); // the engine clock wraps
    EXPECT_EQ(cooldown.SecondsLeft(0x100u), 1); // 4352 ms after the switch-off
    cooldown.Clear();
    EXPECT_EQ(cooldown.SecondsLeft(0x100u), 0);
}

TEST(AutoPlaySwitch, AClickWaitsOutTheCoolDownOnlyToSwitchOn)
{
    Clock clock;
    game::AutoPlaySwitch autoPlay(clock);
    clock.now = 500;
    EXPECT_EQ(autoPlay.SecondsBeforeClick(), 0) << "never switched off";

    autoPlay.Set(true);
    clock.now = 20000;
    autoPlay.SwitchedOff();
    autoPlay.Set(false);
    EXPECT_EQ(autoPlay.Cooldown().GetOffTime(), 20000u);
    clock.now = 21500;
    EXPECT_EQ(autoPlay.SecondsBeforeClick(), 4);
    // Switching off is never refused.
    autoPlay.Set(true);
    EXPECT_EQ(autoPlay.SecondsBeforeClick(), 0);
    autoPlay.Set(false);
    autoPlay.NewRound();
    EXPECT_EQ(autoPlay.SecondsBeforeClick(), 0);
}

} // namespace
