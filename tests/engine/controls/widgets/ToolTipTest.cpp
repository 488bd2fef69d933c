// Tool tips: sizing, placement by the screen edges, and the show, fade and
// hide driven by the target's enter and leave on a settable clock.

#include "ButtonHost.h"

#include "engine/controls/widgets/ToolTip.h"
#include "engine/objects/CanvasObject.h"

#include <cmath>

using namespace engine;
using namespace buttonstest;

namespace {

class ToolTips : public ButtonHost {
protected:
    ToolTip* MakeTip() { return static_cast<ToolTip*>(root->RegisterObject(std::make_unique<ToolTip>())); }
    CanvasObject* Target(int x, int y, int w = 20, int h = 20)
    {
        CanvasObject* c = root->CreateCanvas(w, h, 0x808080);
        c->MoveTo(x, y);
        c->Show();
        c->Invalidate();
        c->SetInputEnabled(true);
        Frame();
        return c;
    }
    static int Tenths(double v) { return static_cast<int>(std::lround(v * 10)); }
};

TEST_F(ToolTips, CanvasIsWhiteWithTheSmallFontAndHiddenUntilShown)
{
    ToolTip* tip = MakeTip();
    CanvasObject* c = tip->GetCanvas();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetBufferWidth(), 10);
    EXPECT_EQ(c->GetPixel(5, 5), 0xFFFFFFu);
    EXPECT_EQ(c->Style().size, 12);
    EXPECT_EQ(c->GetPenColour(), 0u);
    EXPECT_FALSE(tip->IsShown());
}

TEST_F(ToolTips, ShortTextGetsABoxOfHalfTheSizePerByte)
{
    ToolTip* tip = MakeTip();
    tip->SetText("abcdefghij", 200);
    CanvasObject* c = tip->GetCanvas();
    EXPECT_EQ(c->GetBufferWidth(), 66);
    EXPECT_DOUBLE_EQ(tip->GetWidth(), 66);
    EXPECT_EQ(c->GetBufferHeight(), 12 + 6); // one line
    tip->SetText("abcdefghij", 200); // the same box again
    EXPECT_EQ(c->GetBufferWidth(), 66);
    EXPECT_EQ(c->GetBufferHeight(), 12 + 6);
    EXPECT_EQ(c->GetPixel(0, 0), kToolTipBorder);
    EXPECT_EQ(c->GetPixel(65, 1), kToolTipBorder);
    EXPECT_EQ(c->Style().leftMargin, 3);

    tip->SetText("abcdefghij", 30); // the maximum wins
    EXPECT_EQ(c->GetBufferWidth(), 36);
    tip->SetText("abcdefghij", -1); // compared unsigned: never the smaller
    EXPECT_EQ(c->GetBufferWidth(), 66);
}

TEST_F(ToolTips, EnterShowsAndFadesInLeaveHidesAndReenterStartsOver)
{
    ToolTip* tip = MakeTip();
    CanvasObject* target = Target(100, 100);
    tip->Attach(target, "abcdefghij", 200);
    const double w = tip->GetWidth();
    const double h = tip->GetHeight();

    MoveMouse(100, 100);
    EXPECT_TRUE(tip->IsShown());
    // Left edge on the target's centre, bottom edge on its top.
    EXPECT_DOUBLE_EQ(tip->GetX(), static_cast<int>(100 + w / 2));
    EXPECT_DOUBLE_EQ(tip->GetY(), static_cast<int>(90 - h / 2));
    std::vector<int> seen;
    for (int i = 0; i < 12; ++i) {
        Frame(30);
        if (seen.empty() || seen.back() != Tenths(tip->GetOpacity()))
            seen.push_back(Tenths(tip->GetOpacity()));
    }
    // Steps of 0.2 per tick up to 1.
    EXPECT_LE(seen.front(), 4);
    EXPECT_EQ(seen.back(), 10);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ(seen[i] - seen[i - 1], 2);

    MoveMouse(5, 5);
    EXPECT_FALSE(tip->IsShown());
    MoveMouse(100, 100);
    EXPECT_TRUE(tip->IsShown());
    EXPECT_LT(tip->GetOpacity(), 0.5); // from 0 again
    // Out again quickly: the fade stops and the tip stays hidden.
    MoveMouse(5, 5);
    Frames(10, 30);
    EXPECT_FALSE(tip->IsShown());
    EXPECT_LT(tip->GetOpacity(), 0.5);
}

TEST_F(ToolTips, PlacementStaysOnTheScreenLeftRightAndTop)
{
    ToolTip* tip = MakeTip();
    tip->SetText("abcdefghij", 200);
    const double w = tip->GetWidth();
    const double h = tip->GetHeight();
    CanvasObject* right = Target(kWidth - 5, 100, 10, 10);
    tip->PlaceNear(right);
    EXPECT_DOUBLE_EQ(tip->GetRight(), kWidth);
    CanvasObject* top = Target(50, 5, 10, 10);
    tip->PlaceNear(top);
    EXPECT_DOUBLE_EQ(tip->GetTop(), 0);
    EXPECT_DOUBLE_EQ(tip->GetX(), static_cast<int>(50 + w / 2));
    EXPECT_DOUBLE_EQ(tip->GetY(), h / 2);
}

TEST_F(ToolTips, FadeInWithHideAfterHidesOnceOpaque)
{
    ToolTip* tip = MakeTip();
    tip->SetText("abc", 200);
    tip->FadeIn(0.5, true);
    EXPECT_TRUE(tip->IsShown());
    EXPECT_DOUBLE_EQ(tip->GetOpacity(), 0.0);
    bool reachedFull = false;
    for (int i = 0; i < 10 && tip->IsShown(); ++i) {
        Frame(30);
        reachedFull = reachedFull || tip->GetOpacity() == 1.0;
    }
    EXPECT_TRUE(reachedFull);
    EXPECT_FALSE(tip->IsShown());
}

TEST_F(ToolTips, AttachingToNothingChangesNothing)
{
    ToolTip* tip = MakeTip();
    tip->Attach(nullptr, "abcdefghij", 200);
    EXPECT_EQ(tip->GetCanvas()->GetBufferWidth(), 10);
}

TEST_F(ToolTips, ATargetGoneBeforeTheShowEventArrivesShowsNothing)
{
    ToolTip* tip = MakeTip();
    CanvasObject* target = Target(100, 100);
    tip->Attach(target, "abc", 200);
    MoveMouse(100, 100); // the enter is posted...
    tip->Hide();
    MoveMouse(5, 5);
    WindowInput(platform::kWmMouseMove, 100, 100);
    root->RemoveObject(target, 0); // ...and the target goes before delivery
    Frames(3);
    EXPECT_FALSE(tip->IsShown());
}

TEST_F(ToolTips, TwoTipsOnOneTargetBothShow)
{
    ToolTip* a = MakeTip();
    ToolTip* b = MakeTip();
    CanvasObject* target = Target(100, 100);
    a->Attach(target, "one", 200);
    a->Attach(target, "one", 200);
    b->Attach(target, "two", 200);
    MoveMouse(100, 100);
    EXPECT_TRUE(a->IsShown());
    EXPECT_TRUE(b->IsShown());
}

} // namespace
