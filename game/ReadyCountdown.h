#pragma once
// The ready countdown of the game's table: in rooms that ask for it, a
// seated player who does not press start within the seconds is sent from
// the table. The countdown keeps its seconds and its ticks and decides what
// each second asks for (a warning in the chat, the seconds shown, the end);
// the view shows its clock at the start button and closes the table.

#include "cards/CardTableLinks.h"

#include <cstdint>

namespace game {

class ReadyCountdown {
public:
    static constexpr uint32_t kTickMs = 1000;
    // Every other chair is ready: the short countdown; otherwise the long.
    static constexpr int kShortSeconds = 15;
    static constexpr int kLongSeconds = 30;

    // What one second of the countdown asks for.
    struct Step {
        int warnSeconds = 0; // the seconds the chat warns of; 0: no warning
        int shownSeconds = -1; // the seconds the clock shows now; -1: none
        bool expired = false;  // the time ran out: stop and close, once
    };

    // The ticks arrive as the view's event `tickCode`.
    ReadyCountdown(CardTableLinks& links, int tickCode);
    ReadyCountdown(const ReadyCountdown&) = delete;
    ReadyCountdown& operator=(const ReadyCountdown&) = delete;

    // A countdown of these seconds; it replaces a running one.
    void Start(int seconds);
    // True when a countdown ran (its clock is to hide).
    bool Stop();
    bool IsRunning() const { return m_action != 0; }
    int Seconds() const { return m_seconds; }
    // A tick already queued when the countdown stopped asks for nothing.
    Step Tick();

    // The seconds a countdown gets when the start button shows.
    static int StartSeconds(bool allOthersReady) { return allOthersReady ? kShortSeconds : kLongSeconds; }
    // Another chair pressed start: a running countdown longer than the
    // short one starts again short once every other chair is ready.
    bool ShortensFor(bool allOthersReady) const
    {
        return IsRunning() && allOthersReady && m_seconds > kShortSeconds;
    }
    // Set: the start button keeps a running countdown's clock instead of
    // starting a new one (the result box's close starts the round).
    void SetStartOnClose(bool on) { m_startOnClose = on; }
    bool StartsOnClose() const { return m_startOnClose; }

private:
    CardTableLinks& m_links;
    int m_tickCode;
    int m_seconds = 0;
    uint64_t m_action = 0;
    bool m_startOnClose = false;
};

} // namespace game
