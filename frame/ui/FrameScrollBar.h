#pragma once
// The scroll bar of the frame's own panels (the user list, the advert
// bar). It behaves as the engine's scroll bar with two differences: its
// EVT_SCROLL carries the bar's orientation in the data word (1 vertical,
// 0 horizontal), so one owner can serve two bars with one handler, and it
// answers its position and its largest position as whole pixels, so the
// owner can step the position itself after an arrow press.

#include "engine/controls/widgets/ScrollBar.h"

namespace frame {

class FrameScrollBar : public engine::ScrollBar {
public:
    FrameScrollBar() = default;
    ~FrameScrollBar() override = default;

    // EVT_SCROLL now to the owner: param points at {position, visible
    // length, content length}, valid during the call only; data is the
    // orientation.
    void NotifyOwner() override;

    // Content length minus visible length, truncated toward zero; negative
    // when everything is visible.
    virtual int GetMaxPosition() const;
    // The position, truncated toward zero. Hides the engine bar's double
    // getter on purpose: the frame's panels count rows and pixels.
    virtual int GetPosition() const;

    // Creates the bar for the owner, 100 long and as thick as its track
    // picture, with the track, thumb, grip and arrow pictures that the
    // engine's string properties 22 to 26 (vertical) or 27 to 31
    // (horizontal) name. Call once, after registering.
    void CreateFromSkin(int owner, bool vertical);
};

} // namespace frame
