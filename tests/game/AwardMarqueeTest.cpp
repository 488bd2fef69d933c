// The award marquee on a table view in the headless host window, driven by
// its real 40 ms tick on the settable clock: where lines start, how far a
// tick moves them, what is erased outside the bounds, the queue, and a
// resize in the middle of a line.

#include "game/AwardMarquee.h"

#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "tests/engine/objects/HostFixture.h"

#include <memory>

using game::AwardMarquee;
using game::MarqueeLine;

namespace {

TEST(MarqueeText, WidthCountsDoubleByteCharactersFullAndOthersHalf)
{
    struct Case {
        const char* text;
        int size;
        int width;
    };
    const Case cases[] = {
        { "abc", 14, 21 },
        { "恭喜", 14, 28 },
        { "恭喜ab1", 14, 49 },
        { "x", 15, 7 },
        { "", 14, 0 },
        { "a\xB0", 14, 14 }, // a lone lead byte counts as a narrow character
    };
    for (const Case& c : cases)
        EXPECT_EQ(game::MarqueeTextWidth(c.text, c.size), c.width) << c.text;
}

// The table view: forwards the marquee's tick as the game's view does.
class View : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == game::EVT_MARQUEE_TICK && marquee) {
            ++ticks;
            marquee->Step();
            return 1;
        }
        return RectObject::OnEvent(event);
    }
    AwardMarquee* marquee = nullptr;
    int ticks = 0;
};

constexpr int kLineW = 120;
constexpr int kLineH = 21;
constexpr int kBoardH = 30;
constexpr engine::Rect kRect { 0, 0, 200, 150 };

class Marquee : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("获奖喇叭", 18, 21, 0x00c0ff);
        MakePicture("PlayerBoardSmall", 150, kBoardH, 0x808080);
        view = static_cast<View*>(root->RegisterObject(std::make_unique<View>()));
        view->SetRect(kRect);
        marquee = std::make_unique<AwardMarquee>(*view);
        view->marquee = marquee.get();
        marquee->Create(kLineW, kLineH, 14, 400);
        Frame();
    }
    void TearDown() override
    {
        if (view)
            view->marquee = nullptr;
        marquee.reset();
        HostEngine::TearDown();
    }
    static MarqueeLine Line(const char* text) { return { { text, 0x0000ff } }; }
    // Runs ticks until the view has seen n more of them.
    void Ticks(int n)
    {
        const int until = view->ticks + n;
        for (int guard = 0; view->ticks < until && guard < 4 * n + 4; ++guard)
            Frame(game::kMarqueeTickMs);
    }
    engine::CanvasObject* Canvas() { return marquee->GetCanvas(); }

    View* view = nullptr;
    std::unique_ptr<AwardMarquee> marquee;
};

TEST_F(Marquee, NoTickWhileNothingScrollsAndALineStartsBeyondTheRightEdge)
{
    Ticks(3);
    EXPECT_EQ(view->ticks, 0) << "an empty marquee keeps the table idle";
    EXPECT_FALSE(Canvas()->IsShown());
    EXPECT_EQ(marquee->GetRightBound(), 199);
    EXPECT_EQ(marquee->GetLeftBound(), 150);

    marquee->Push(Line("abc"));
    EXPECT_TRUE(Canvas()->IsShown());
    EXPECT_EQ(Canvas()->GetX(), 200 + kLineW / 2);
    EXPECT_EQ(Canvas()->GetY(), kBoardH + kLineH / 2.0);
    Ticks(5);
    EXPECT_EQ(Canvas()->GetX(), 200 + kLineW / 2 - 5 * 2);
}

TEST_F(Marquee, WhatLiesBeyondTheRightBoundIsErased)
{
    marquee->Push(Line("abcdefgh"));
    Ticks(5); // x = 250: columns from 199 + 60 - 250 = 9 on lie outside
    ASSERT_EQ(Canvas()->GetX(), 250);
    EXPECT_EQ(Canvas()->GetPixelAlpha(8, 10), 255); // the horn
    for (int column : { 9, 10, 30, kLineW - 1 })
        for (int row = 0; row < kLineH; ++row)
            ASSERT_EQ(Canvas()->GetPixelAlpha(column, row), 0) << column << "," << row;
}

TEST_F(Marquee, TheFirstSegmentStartsTwentyPixelsRightOfTheHorn)
{
    const MarqueeLine line { { "abc", 0x0000ff }, { "恭喜", 0x00ff00 } };
    EXPECT_EQ(marquee->DrawLine(line, 0), 20 + 21 + 28);
    // A line longer than the canvas draws what fits and reports its width.
    EXPECT_EQ(marquee->DrawLine(Line("恭喜恭喜恭喜恭喜恭喜"), 0), 20 + 140);
}

TEST_F(Marquee, LinesRunOneAfterTheOtherInPushOrder)
{
    marquee->Push(Line("abc"));
    marquee->Push(Line("second"));
    marquee->Push(Line("third"));
    EXPECT_EQ(marquee->GetWaiting(), 2u);
    EXPECT_EQ(marquee->GetCurrent()[0].text, "abc");
    // "abc" draws 41 pixels: it has passed once x < 150 + 60 - 41 = 169,
    // that is after 46 ticks from 260.
    Ticks(45);
    EXPECT_EQ(marquee->GetCurrent()[0].text, "abc");
    EXPECT_TRUE(Canvas()->IsShown());
    Ticks(1);
    EXPECT_EQ(marquee->GetCurrent()[0].text, "second");
    EXPECT_TRUE(Canvas()->IsShown());
    EXPECT_EQ(Canvas()->GetX(), 260);
    EXPECT_EQ(marquee->GetWaiting(), 1u);

    // Once the last line has passed the tick stops, and the next line
    // starts it again.
    Ticks(200);
    EXPECT_FALSE(Canvas()->IsShown());
    const int ticks = view->ticks;
    Ticks(3);
    EXPECT_EQ(view->ticks, ticks);
    marquee->Push(Line("fourth"));
    Ticks(2);
    EXPECT_EQ(view->ticks, ticks + 2);
    EXPECT_EQ(Canvas()->GetX(), 260 - 2 * 2);
}

TEST_F(Marquee, AResizeMovesOnlyTheBounds)
{
    marquee->Push(Line("abcdefgh"));
    Ticks(10);
    const double x = Canvas()->GetX();
    view->SetRect({ 0, 0, 180, 150 });
    marquee->OnResize();
    EXPECT_EQ(Canvas()->GetX(), x);
    EXPECT_EQ(marquee->GetRightBound(), 179);
    Ticks(1);
    EXPECT_EQ(Canvas()->GetX(), x - 2);
    // Now everything right of column 179 + 60 - 238 = 1 is erased.
    EXPECT_EQ(Canvas()->GetPixelAlpha(1, 10), 0);
}

} // namespace
