// The scroll bar through the real host window: thumb size and placement,
// dragging and track presses with injected mouse input, the thumb's looks,
// and what reaches the owner.

#include "ScrollMenuPanelHost.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ScrollBar.h"

#include <cmath>

using namespace engine;
using namespace widgetstest;

namespace {

class ScrollBars : public WidgetHost {
protected:
    // A vertical bar of 20 x height centred at (100, 75).
    ScrollBar* MakeBar(int height, bool vertical = true)
    {
        auto* bar = static_cast<ScrollBar*>(root->RegisterObject(std::make_unique<ScrollBar>()));
        if (vertical)
            bar->Create(owner->GetId(), 20, height, 1, 7);
        else
            bar->Create(owner->GetId(), height, 20, 0, 7);
        bar->MoveTo(100, 75);
        bar->Show();
        Frame();
        return bar;
    }
};

TEST_F(ScrollBars, ThumbLengthAndPlacement)
{
    struct Case {
        int height;
        double position, visible, content;
        int thumb;
        double top; // of the thumb, relative to the bar's top
    };
    // Bar 200 high is taller than the window: placement does not care.
    const Case cases[] = {
        { 140, 0, 35, 140, 35, 1 },        // at the start: one pixel below the top
        { 140, 105, 35, 140, 35, 105 },    // at the end: bottom on the bar's bottom
        { 140, 52.5, 35, 140, 35, 52.5 },  // half way
        { 100, 0, 10, 1000, 15, 1 },       // the minimum length, not 1
        { 100, 990, 10, 1000, 15, 85 },
        { 100, 0, 50, 40, 100, 0 },        // content shorter than the view: fills the track
        { 100, 5, 40, 40, 100, 0 },        // content exactly the view
    };
    for (const Case& c : cases) {
        ScrollBar* bar = MakeBar(c.height);
        bar->SetRange(c.position, c.visible, c.content, -1.0);
        SCOPED_TRACE(testing::Message() << c.height << " " << c.position << "/" << c.visible << "/" << c.content);
        EXPECT_EQ(bar->GetThumbLength(), c.thumb);
        EXPECT_EQ(bar->GetThumb()->GetBufferHeight(), c.thumb);
        EXPECT_TRUE(std::isfinite(bar->GetThumb()->GetY()));
        EXPECT_DOUBLE_EQ(bar->GetThumb()->GetTop() - bar->GetTop(), c.top);
        EXPECT_DOUBLE_EQ(bar->GetThumb()->GetX(), bar->GetX());
        EXPECT_EQ(bar->GetTrackLength(), c.height);
        root->RemoveObject(bar, 0);
    }
}

TEST_F(ScrollBars, ZeroContentStoresTheValuesOnly)
{
    ScrollBar* bar = MakeBar(100);
    bar->SetRange(0, 25, 100, 4.0);
    const double y = bar->GetThumb()->GetY();
    bar->SetRange(30, 10, 0, 9.0);
    EXPECT_EQ(bar->GetPosition(), 30);
    EXPECT_EQ(bar->GetContentLength(), 0);
    EXPECT_EQ(bar->GetThumbLength(), 25);
    EXPECT_EQ(bar->GetThumb()->GetY(), y);
    EXPECT_EQ(bar->GetWheelStep(), 4.0); // the step of a zero range is not taken
    bar->SetRange(0, 25, 100, -1.0);
    EXPECT_EQ(bar->GetWheelStep(), 4.0);
    EXPECT_EQ(bar->GetReserved(), 7);
}

TEST_F(ScrollBars, DraggingTheThumbReportsClampedPositionsToTheOwner)
{
    // Track from y = 25 to 125; content 400, view 100: thumb 25 long.
    ScrollBar* bar = MakeBar(100);
    bar->SetRange(0, 100, 400, -1.0);
    Frame();
    const int x = 100;
    double thumbY = bar->GetThumb()->GetY();
    MoveMouse(x, static_cast<int>(thumbY));
    Press(x, static_cast<int>(thumbY));
    EXPECT_EQ(bar->GetThumbState(), ScrollBar::kThumbPressed);
    // 15 pixels down: the thumb's top goes from 26 to 41, (41 - 25) x 300 / 75.
    MoveMouse(x, static_cast<int>(thumbY) + 15);
    ASSERT_EQ(owner->scrolls.size(), 1u);
    EXPECT_DOUBLE_EQ(owner->scrolls[0].position, 64.0);
    EXPECT_EQ(owner->scrolls[0].visible, 100);
    EXPECT_EQ(owner->scrolls[0].content, 400);
    // The thumb was placed before the owner heard of it.
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetTop(), 25 + 75 * 64.0 / 300);
    // Far past the bottom inside the track, then past the top.
    MoveMouse(x, 124);
    EXPECT_DOUBLE_EQ(owner->scrolls.back().position, 300.0);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetBottom(), bar->GetBottom());
    MoveMouse(x, 26);
    EXPECT_DOUBLE_EQ(owner->scrolls.back().position, 0.0);
    for (const auto& s : owner->scrolls)
        EXPECT_TRUE(s.position >= 0 && s.position <= 300) << s.position;
    // Outside the track the drag is ignored.
    const size_t before = owner->scrolls.size();
    MoveMouse(x, 140);
    EXPECT_EQ(owner->scrolls.size(), before);
    Release(x, 140);
    // Only EVT_SCROLL reaches the owner.
    for (const auto& e : owner->events)
        EXPECT_EQ(e.code, EVT_SCROLL);
}

TEST_F(ScrollBars, DraggingAThumbThatFillsItsTrackStaysAtTheStart)
{
    // Content that fits the view, and a minimum thumb as long as the track.
    for (bool longThumb : { false, true }) {
        ScrollBar* bar = MakeBar(100);
        if (longThumb) {
            bar->SetMinThumbLength(100);
            bar->SetRange(0, 10, 400, -1.0);
        } else {
            bar->SetRange(0, 120, 100, -1.0);
        }
        MoveMouse(100, 70);
        Press(100, 70);
        MoveMouse(100, 90);
        MoveMouse(100, 60);
        EXPECT_TRUE(owner->scrolls.empty());
        EXPECT_EQ(bar->GetPosition(), 0.0);
        EXPECT_DOUBLE_EQ(bar->GetThumb()->GetTop(), bar->GetTop());
        EXPECT_EQ(bar->GetThumbLength(), 100);
        Release(100, 60);
        // A position left over from longer content goes back to the start
        // once, and that is reported.
        bar->SetRange(30, 10, 400, -1.0);
        MoveMouse(100, 70);
        Press(100, 70);
        MoveMouse(100, 90);
        MoveMouse(100, 60);
        if (longThumb) {
            ASSERT_EQ(owner->scrolls.size(), 1u);
            EXPECT_EQ(owner->scrolls[0].position, 0.0);
        }
        Release(100, 60);
        owner->scrolls.clear();
        root->RemoveObject(bar, 0);
        Frame();
    }
}

TEST_F(ScrollBars, PressingTheTrackJumpsToThePressedFraction)
{
    struct Case {
        double visible;
        int y; // pressed, the track runs from 25 to 125
        double expected;
    };
    const Case cases[] = {
        { 100, 100, 300 }, // three quarters of 400
        { 50, 100, 300 },
        { 200, 100, 200 }, // not past content - visible
        { 100, 110, 300 }, // 360 cut to 300
    };
    // Content far beyond the range of an int.
    {
        ScrollBar* bar = MakeBar(100);
        bar->SetRange(0, 100, 4e12, -1.0);
        ClickAt(100, 100);
        ASSERT_EQ(owner->scrolls.size(), 1u);
        EXPECT_EQ(owner->scrolls[0].position, 3e12);
        root->RemoveObject(bar, 0);
        Frame();
    }
    for (const Case& c : cases) {
        ScrollBar* bar = MakeBar(100);
        bar->SetRange(0, c.visible, 400, -1.0);
        owner->scrolls.clear();
        // Below the thumb, which sits at the top.
        ClickAt(100, c.y);
        ASSERT_FALSE(owner->scrolls.empty());
        EXPECT_EQ(owner->scrolls[0].position, c.expected) << c.visible;
        EXPECT_EQ(bar->GetPosition(), c.expected);
        root->RemoveObject(bar, 0);
        Frame();
    }
}

TEST_F(ScrollBars, HorizontalBarsWorkAlongX)
{
    // Track from x = 50 to 150.
    ScrollBar* bar = MakeBar(100, false);
    bar->SetRange(75, 25, 100, -1.0);
    EXPECT_EQ(bar->GetThumbLength(), 25);
    EXPECT_EQ(bar->GetThumb()->GetBufferWidth(), 25);
    EXPECT_EQ(bar->GetThumb()->GetBufferHeight(), 20);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetRight(), 150);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetY(), 75);
    ClickAt(60, 75);
    ASSERT_EQ(owner->scrolls.size(), 1u);
    EXPECT_EQ(owner->scrolls[0].position, 10);
}

TEST_F(ScrollBars, ThumbLooksFollowTheMouseAndShowInTheBackBuffer)
{
    ScrollBar* bar = MakeBar(100);
    // Thumb frames: normal red, hover green, pressed blue; a yellow track.
    bar->SetTrackImage(MakeFrames("sb_track", 20, 30, { 0x00ffff }));
    bar->SetThumbImage(MakeFrames("sb_thumb", 16, 20, { 0x0000ff, 0x00ff00, 0xff0000 }));
    bar->SetRange(0, 100, 400, -1.0);
    EXPECT_EQ(bar->GetThumb()->GetBufferWidth(), 16);
    Frame();
    // The stretch draws the top and bottom halves of one-piece pictures at
    // the ends; the thumb's top half is at y 26 to 35.
    auto at = [&](int y) { return Pixel(100, y) & 0xf0f0f0; };
    EXPECT_EQ(at(120), 0xf0f000u); // track
    EXPECT_EQ(at(29), 0xf00000u);  // thumb, normal
    MoveMouse(100, 29);
    EXPECT_EQ(bar->GetThumbState(), ScrollBar::kThumbHover);
    EXPECT_EQ(at(29), 0x00f000u);
    Press(100, 29);
    EXPECT_EQ(at(29), 0x0000f0u);
    Release(100, 29);
    EXPECT_EQ(bar->GetThumbState(), ScrollBar::kThumbHover);
    MoveMouse(100, 120);
    EXPECT_EQ(bar->GetThumbState(), ScrollBar::kThumbNormal);
    EXPECT_EQ(at(29), 0xf00000u);
    // The frames change the look only, never the range.
    EXPECT_TRUE(owner->scrolls.empty());
}

TEST_F(ScrollBars, ResizingKeepsTheThumbInPlaceAndRefusesNoLength)
{
    ScrollBar* bar = MakeBar(100);
    bar->SetRange(300, 100, 400, -1.0);
    bar->ScaleTo(20, 140);
    EXPECT_EQ(bar->GetTrack()->GetBufferHeight(), 140);
    EXPECT_EQ(bar->GetThumbLength(), 35);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetBottom(), bar->GetBottom());
    bar->ScaleTo(20, 0);
    EXPECT_EQ(bar->GetTrack()->GetBufferHeight(), 140);
    EXPECT_DOUBLE_EQ(bar->GetHeight(), 140);
}

TEST_F(ScrollBars, GripFollowsTheThumb)
{
    ScrollBar* bar = MakeBar(100);
    bar->SetThumbPicture(MakeFrames("sb_grip", 8, 4, { 0xffffff }));
    ASSERT_NE(bar->GetGrip(), nullptr);
    EXPECT_TRUE(bar->GetGrip()->IsShown());
    EXPECT_GT(bar->GetGrip()->GetZ(), bar->GetThumb()->GetZ());
    bar->SetRange(300, 100, 400, -1.0);
    EXPECT_DOUBLE_EQ(bar->GetGrip()->GetY(), bar->GetThumb()->GetY());
    SpriteObject* grip = bar->GetGrip();
    bar->SetThumbPicture(MakeFrames("sb_grip2", 6, 6, { 0 }));
    EXPECT_EQ(bar->GetGrip(), grip);
    EXPECT_EQ(grip->GetWidth(), 6);
}

TEST_F(ScrollBars, ArrowsSitOutsideTheTrackAndTalkToTheOwner)
{
    // Track from y = 25 to 125.
    ScrollBar* bar = MakeBar(100);
    const PictureDesc arrow = MakeFrames("sb_arrow", 20, 10, { 0x0000ff, 0x00ff00, 0xff0000, 0x808080 });
    bar->CreateLeftButton(arrow);
    bar->CreateRightButton(arrow);
    EXPECT_EQ(bar->GetFirstArrow(), nullptr);
    EXPECT_EQ(bar->GetSecondArrow(), nullptr);
    bar->CreateUpButton(arrow);
    bar->CreateDownButton(arrow);
    EngineObject* up = bar->GetFirstArrow();
    EngineObject* down = bar->GetSecondArrow();
    ASSERT_TRUE(up && down);
    bar->Show();
    bar->Invalidate();
    bar->SetRange(0, 100, 400, -1.0);
    EXPECT_DOUBLE_EQ(up->GetY(), 20);
    EXPECT_DOUBLE_EQ(down->GetY(), 130);
    EXPECT_DOUBLE_EQ(down->GetX(), 100);
    EXPECT_EQ(bar->GetTrackLength(), 120);
    Frame();
    ClickAt(100, 20);
    ClickAt(100, 131);
    // The arrows speak to the owner; the bar's range is the owner's to set.
    ASSERT_EQ(owner->events.size(), 2u);
    EXPECT_EQ(owner->events[0].code, EVT_SCROLL_UP);
    EXPECT_EQ(owner->events[1].code, EVT_SCROLL_DOWN);
    EXPECT_EQ(bar->GetPosition(), 0);
    // Resizing leaves the arrows their room.
    bar->ScaleTo(20, 120);
    EXPECT_EQ(bar->GetTrack()->GetBufferHeight(), 100);
    bar->ScaleTo(20, 20);
    EXPECT_EQ(bar->GetTrack()->GetBufferHeight(), 100);
    // The horizontal twins.
    ScrollBar* across = MakeBar(100, false);
    across->CreateUpButton(arrow);
    EXPECT_EQ(across->GetFirstArrow(), nullptr);
    across->CreateLeftButton(arrow);
    across->CreateRightButton(arrow);
    ASSERT_TRUE(across->GetFirstArrow() && across->GetSecondArrow());
    across->SetRange(0, 10, 100, -1.0);
    EXPECT_DOUBLE_EQ(across->GetFirstArrow()->GetX(), 40);
    EXPECT_DOUBLE_EQ(across->GetSecondArrow()->GetX(), 160);
}

} // namespace
