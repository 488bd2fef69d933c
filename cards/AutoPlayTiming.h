#pragma once
// The timing of automatic play as functions of clock seconds and engine
// times, so that the table view only feeds them its ticks and carries out
// what they answer.

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

} // namespace game
