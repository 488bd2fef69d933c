#include "cards/AutoPlayTiming.h"

namespace game {

bool AutoPlayTicker::Tick()
{
    if (++m_ticks < m_delay)
        return false;
    m_ticks = 0;
    return true;
}

int AutoPlayCooldown::SecondsLeft(uint32_t now) const
{
    if (m_offTime == 0)
        return 0;
    const uint32_t passed = now - m_offTime;
    if (passed >= kCooldownMs)
        return 0;
    return static_cast<int>((kCooldownMs - passed) / 1000 + 1);
}

ClockStep TurnClockTick(int shown, int& zeroSeconds, bool autoPlayOn, bool seated)
{
    ClockStep step;
    if (shown >= 1) {
        zeroSeconds = 0;
        step.countDown = true;
        step.turnTimeout = autoPlayOn && seated;
        return step;
    }
    if (shown < 0)
        return step;
    step.playForMe = zeroSeconds == 0;
    ++zeroSeconds;
    step.sendTimeoutNotice = zeroSeconds % 10 == 3;
    return step;
}

} // namespace game
