#include "cards/TurnClock.h"

#include "engine/controls/widgets/ImageNumber.h"

namespace game {

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

TurnClock::TurnClock(CardTableLinks& links, int tickCode)
    : m_links(links)
    , m_tickCode(tickCode)
{
}

void TurnClock::Start()
{
    RestartTicks();
    if (m_digits) {
        m_digits->Show();
        m_digits->Invalidate();
    }
}

void TurnClock::Stop()
{
    StopTicks();
    if (m_digits) {
        m_digits->Hide();
        m_digits->Invalidate();
    }
}

void TurnClock::RestartTicks()
{
    if (m_action)
        m_links.CancelViewAction(m_action);
    m_action = m_links.RepeatViewEvent(m_tickCode, kTickMs);
}

void TurnClock::StopTicks()
{
    if (m_action)
        m_links.CancelViewAction(m_action);
    m_action = 0;
}

void TurnClock::ResetRound()
{
    m_seatSeconds.fill(0);
    StopTicks();
}

void TurnClock::ShowSeconds(int seconds)
{
    if (m_digits && seconds >= 0) {
        m_digits->SetValue(seconds);
        m_digits->Refresh();
    }
}

void TurnClock::MoveTo(CardPoint at)
{
    if (m_digits)
        m_digits->MoveTo(at.x, at.y);
}

void TurnClock::Redraw()
{
    if (m_digits)
        m_digits->Invalidate();
}

int TurnClock::SeatSeconds(int chair) const
{
    return chair >= 0 && chair < kMaxBoards ? m_seatSeconds[static_cast<size_t>(chair)] : 0;
}

void TurnClock::SetSeatSeconds(int chair, int seconds)
{
    if (chair >= 0 && chair < kMaxBoards)
        m_seatSeconds[static_cast<size_t>(chair)] = seconds;
}

void TurnClock::Reappear(int chair, bool onTurn)
{
    if (!m_digits)
        return;
    m_digits->Show();
    if (onTurn) {
        m_digits->SetValue(SeatSeconds(chair));
        m_digits->Refresh();
    }
    m_digits->Invalidate();
}

ClockStep TurnClock::Tick(bool autoPlayOn, bool seated)
{
    if (!m_digits)
        return {};
    const ClockStep step = TurnClockTick(m_digits->GetValue(), m_zeroSeconds, autoPlayOn, seated);
    if (step.countDown) {
        m_digits->AddValue(-1);
        m_digits->Refresh();
        m_digits->Invalidate();
    }
    return step;
}

} // namespace game
