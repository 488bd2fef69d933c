#include "cards/AutoPlaySwitch.h"

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

int AutoPlaySwitch::SecondsBeforeClick()
{
    return m_on ? 0 : m_cooldown.SecondsLeft(m_links.ViewTime());
}

} // namespace game
