#pragma once
// The automatic-play switch of the own chair: whether it is on, the
// cool-down after it was switched off and the clock seconds that pace the
// automatic moves, as functions of clock seconds and engine times. The view
// sends the switch's table messages and shows its button; the switch
// decides when a click may switch it on and when a move is due.

#include "cards/CardTableLinks.h"

#include <cstdint>

namespace game {

// While automatic play is on, the clock seconds of the own turn count up to
// the delay; the automatic move comes on the delay's second.
class AutoPlayTicker {
public:
    explicit AutoPlayTicker(int delay = 2)
        : m_delay(delay)
    {
    }
    // One clock second of the own turn; true when the move is due now.
    bool Tick();
    void Reset() { m_ticks = 0; }
    int GetTicks() const { return m_ticks; }

private:
    int m_delay;
    int m_ticks = 0;
};

// Switching automatic play on is refused for a while after it was switched
// off, so a stray click cannot flip it back at once.
class AutoPlayCooldown {
public:
    static constexpr uint32_t kCooldownMs = 5000;
    // Automatic play of the own chair was switched off at this time.
    void SwitchedOff(uint32_t now) { m_offTime = now; }
    // A new round forgets the last switch-off.
    void Clear() { m_offTime = 0; }
    uint32_t GetOffTime() const { return m_offTime; }
    // 0 when switching on is allowed now; otherwise the whole seconds still
    // to wait, as the player is told.
    int SecondsLeft(uint32_t now) const;

private:
    uint32_t m_offTime = 0; // 0: never switched off this round
};

class AutoPlaySwitch {
public:
    explicit AutoPlaySwitch(CardTableLinks& links)
        : m_links(links)
    {
    }
    AutoPlaySwitch(const AutoPlaySwitch&) = delete;
    AutoPlaySwitch& operator=(const AutoPlaySwitch&) = delete;

    bool IsOn() const { return m_on; }
    // The server's word (or the view's button) sets it.
    void Set(bool on) { m_on = on; }
    // A click on the switch: 0 when it may flip now; while it is off, the
    // whole seconds the cool-down still asks for.
    int SecondsBeforeClick();
    // The own chair's automatic play was switched off now.
    void SwitchedOff() { m_cooldown.SwitchedOff(m_links.ViewTime()); }
    // A new round forgets the last switch-off.
    void NewRound() { m_cooldown.Clear(); }
    // The own turn's seconds count from 0 again.
    void RestartPace() { m_ticker.Reset(); }
    // One clock second of the own turn: true when the automatic move is
    // due now.
    bool PaceSecond() { return m_ticker.Tick(); }
    const AutoPlayCooldown& Cooldown() const { return m_cooldown; }

private:
    CardTableLinks& m_links;
    bool m_on = false;
    AutoPlayTicker m_ticker;
    AutoPlayCooldown m_cooldown;
};

} // namespace game
