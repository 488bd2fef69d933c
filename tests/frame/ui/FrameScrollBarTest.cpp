// The frame's scroll bar through the host window: what its notification
// tells the owner about which bar moved, and its whole-pixel getters.

#include "WidgetHost.h"

#include "frame/ui/FrameScrollBar.h"

using namespace frameuitest;
using frame::FrameScrollBar;

namespace {

class FrameScrollBars : public WidgetHost {
protected:
    // A bar 20 across and `length` along, centred at (x, y).
    FrameScrollBar* MakeBar(int length, bool vertical, double x = 100, double y = 75)
    {
        auto* bar = static_cast<FrameScrollBar*>(root->RegisterObject(std::make_unique<FrameScrollBar>()));
        if (vertical)
            bar->Create(owner->GetId(), 20, length, 1, 0);
        else
            bar->Create(owner->GetId(), length, 20, 0, 0);
        bar->MoveTo(x, y);
        bar->Show();
        Frame();
        return bar;
    }
};

TEST_F(FrameScrollBars, TrackPressesTellTheOwnerWhichBarMoved)
{
    // Both bars report to the same owner; the data word tells them apart.
    FrameScrollBar* vertical = MakeBar(100, true, 30, 75);       // track y 25..125
    FrameScrollBar* horizontal = MakeBar(100, false, 120, 135); // track x 70..170
    vertical->SetRange(0, 100, 400, -1.0);
    horizontal->SetRange(75, 25, 100, -1.0); // thumb at the far end
    ClickAt(30, 100); // three quarters down
    ClickAt(80, 135); // a tenth along

    ASSERT_EQ(owner->scrolls.size(), 2u);
    EXPECT_EQ(owner->scrolls[0].data, 1);
    EXPECT_EQ(owner->scrolls[0].position, 300);
    EXPECT_EQ(owner->scrolls[0].visible, 100);
    EXPECT_EQ(owner->scrolls[0].content, 400);
    EXPECT_EQ(owner->scrolls[1].data, 0);
    EXPECT_EQ(owner->scrolls[1].position, 10);
    EXPECT_EQ(horizontal->GetPosition(), 10);
}

TEST_F(FrameScrollBars, DirectNotificationCarriesTheStoredValues)
{
    FrameScrollBar* bar = MakeBar(100, true);
    bar->SetRange(12.5, 30, 90, -1.0);
    bar->NotifyOwner();
    ASSERT_EQ(owner->scrolls.size(), 1u);
    EXPECT_EQ(owner->scrolls[0].position, 12.5);
    EXPECT_EQ(owner->scrolls[0].visible, 30);
    EXPECT_EQ(owner->scrolls[0].content, 90);
    EXPECT_EQ(owner->scrolls[0].data, 1);
}

TEST_F(FrameScrollBars, WholePixelGettersTruncateTowardZero)
{
    struct Case {
        double position, visible, content;
        int position_, max;
    };
    const Case cases[] = {
        { 0, 120, 300, 0, 180 },
        { 57.9, 120, 300, 57, 180 },
        { 0, 120, 100, 0, -20 },     // everything visible: negative
        { 0, 20, 10.5, 0, -9 },      // -9.5 toward zero
        { 3.99, 0.5, 100.7, 3, 100 }, // 100.2
    };
    FrameScrollBar* bar = MakeBar(100, true);
    for (const Case& c : cases) {
        bar->SetRange(c.position, c.visible, c.content, -1.0);
        SCOPED_TRACE(testing::Message() << c.position << "/" << c.visible << "/" << c.content);
        EXPECT_EQ(bar->GetPosition(), c.position_);
        EXPECT_EQ(bar->GetMaxPosition(), c.max);
    }
}

TEST_F(FrameScrollBars, ArrowsLeaveTheStepToTheOwner)
{
    FrameScrollBar* bar = MakeBar(100, true);
    bar->SetRange(40, 20, 200, -1.0);
    const auto arrow = host.AddPicture("arrow", 20, 10, 4, 0, [](int, int, int) { return 0xff808080u; });
    bar->CreateUpButton(arrow);
    bar->CreateDownButton(arrow);
    bar->Show();
    bar->Invalidate();
    Frame();
    // The up arrow sits just above the track (25..125).
    ClickAt(100, 20);
    EXPECT_EQ(owner->Count(engine::EVT_SCROLL_UP), 1);
    EXPECT_EQ(bar->GetPosition(), 40);
    EXPECT_TRUE(owner->scrolls.empty());
    // The owner steps, as the user list does.
    bar->SetRange(bar->GetPosition() - 10, 20, 200, -1.0);
    EXPECT_EQ(bar->GetPosition(), 30);
}

} // namespace
