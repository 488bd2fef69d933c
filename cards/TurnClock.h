#pragma once
// The turn clock of the card table: the digits beside the board of the chair
// whose turn it is, the seconds each chair was last given, the ticks that
// count the digits down once a second and the seconds spent at 0. The view
// makes the digits and says where they stand; the clock keeps their state
// and decides what each second asks for, and the view carries that out.

#include "cards/CardSprite.h"
#include "cards/CardTableLinks.h"

#include <array>
#include <cstdint>

namespace engine {
class ImageNumber;
}

namespace game {

// What one second of the turn clock asks for.
struct ClockStep {
    bool countDown = false;       // the clock shows one second less
    bool turnTimeout = false;     // automatic play's tick for a seated player
    bool playForMe = false;       // the time ran out: move for the player once
    bool sendTimeoutNotice = false; // tell the table the turn is overdue
};

// The turn clock shows `shown` seconds; zeroSeconds counts the seconds spent
// at 0 (kept by the caller, reset while the clock runs). The overdue notice
// goes out on the 3rd, 13th, 23rd ... second at 0.
ClockStep TurnClockTick(int shown, int& zeroSeconds, bool autoPlayOn, bool seated);

class TurnClock {
public:
    static constexpr uint32_t kTickMs = 1000;

    // The ticks arrive as the view's event `tickCode`.
    TurnClock(CardTableLinks& links, int tickCode);
    TurnClock(const TurnClock&) = delete;
    TurnClock& operator=(const TurnClock&) = delete;

    // The digits the view made (they belong to the object module); every
    // operation on them does nothing without.
    void SetDigits(engine::ImageNumber* digits) { m_digits = digits; }
    engine::ImageNumber* Digits() const { return m_digits; }

    // The ticks run (again, from now) and the digits show.
    void Start();
    // The ticks end and the digits hide.
    void Stop();
    // The ticks run again from now; the digits are untouched.
    void RestartTicks();
    void StopTicks();
    // A new round: no chair has seconds and no ticks run.
    void ResetRound();
    // The running ticks' action, 0 while none run.
    uint64_t Action() const { return m_action; }

    // The digits show these seconds; negative seconds keep the number.
    void ShowSeconds(int seconds);
    void MoveTo(CardPoint at);
    void Redraw();
    // A chair's seconds as its turn last gave them; 0 outside the table.
    int SeatSeconds(int chair) const;
    void SetSeatSeconds(int chair, int seconds);
    // The digits show again after a player came back; the chair on turn
    // gets its seconds back.
    void Reappear(int chair, bool onTurn);

    // One second: the digits count down while above 0. What the second
    // asks of automatic play, of the player's move and of the table.
    ClockStep Tick(bool autoPlayOn, bool seated);
    // The seconds the digits spent at 0 since they last counted down.
    int ZeroSeconds() const { return m_zeroSeconds; }

private:
    CardTableLinks& m_links;
    int m_tickCode;
    engine::ImageNumber* m_digits = nullptr;
    uint64_t m_action = 0;
    int m_zeroSeconds = 0;
    std::array<int, kMaxBoards> m_seatSeconds {};
};

} // namespace game
