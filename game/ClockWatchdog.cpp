#include "game/ClockWatchdog.h"

namespace game {

ClockWatchdog::ClockWatchdog(CardTableLinks& links, int tickCode)
    : m_links(links)
    , m_tickCode(tickCode)
{
}

void ClockWatchdog::Start()
{
    Stop();
    m_action = m_links.RepeatViewEvent(m_tickCode, kTickMs);
}

void ClockWatchdog::Stop()
{
    if (m_action)
        m_links.CancelViewAction(m_action);
    m_action = 0;
}

int ClockWatchdog::Ticks() const
{
    const std::lock_guard lock(m_lock);
    return m_ticks;
}

void ClockWatchdog::ClockTicked()
{
    const std::lock_guard lock(m_lock);
    m_ticks = 0;
}

} // namespace game
