#include "game/ReadyCountdown.h"

namespace game {

ReadyCountdown::ReadyCountdown(CardTableLinks& links, int tickCode)
    : m_links(links)
    , m_tickCode(tickCode)
{
}

void ReadyCountdown::Start(int seconds)
{
    Stop();
    m_seconds = seconds;
    m_action = m_links.RepeatViewEvent(m_tickCode, kTickMs);
}

bool ReadyCountdown::Stop()
{
    if (!m_action)
        return false;
    m_links.CancelViewAction(m_action);
    m_action = 0;
    return true;
}

ReadyCountdown::Step ReadyCountdown::Tick()
{
    Step step;
    if (!m_action)
        return step;
    if (m_seconds == 15 || m_seconds == 10 || m_seconds == 5)
        step.warnSeconds = m_seconds;
    --m_seconds;
    if (m_seconds >= 0)
        step.shownSeconds = m_seconds;
    else
        step.expired = true;
    return step;
}

} // namespace game
