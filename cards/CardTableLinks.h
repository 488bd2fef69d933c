#pragma once
// What the parts of the card table view (its turn clock, its automatic-play
// switch) ask of the view that owns them: the view's own timers and the
// engine's time. The view implements it for its parts, so a part never
// reaches the rest of the view; a part's test gives one of its own.

#include <cstdint>

namespace game {

// The most seats a card table shows: its boards, and the chairs its parts
// keep something for.
inline constexpr int kMaxBoards = 8;

class CardTableLinks {
public:
    virtual ~CardTableLinks() = default;
    // The view's own event `code` every `intervalMs` from now on until it
    // is cancelled; the action's id, 0 when none was started.
    virtual uint64_t RepeatViewEvent(int code, uint32_t intervalMs) = 0;
    virtual void CancelViewAction(uint64_t action) = 0;
    // The engine's time in milliseconds (it wraps).
    virtual uint32_t ViewTime() = 0;
};

} // namespace game
