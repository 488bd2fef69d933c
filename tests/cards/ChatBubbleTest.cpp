// Chat bubbles: the mixed layout of text and emoticon codes worked out by
// hand (wrapping, missing pictures, rows below the bubble, long lines and
// GBK boundaries), then a real bubble on a board in the headless host
// window: shown, replaced, hidden by its timer, placed by seat.

#include "cards/ChatBubble.h"

#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "tests/engine/objects/HostFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using game::BubbleItem;
using game::BubbleMetrics;
using game::ChatBubble;
using game::LayoutBubbleText;

namespace game {

void PrintTo(const BubbleItem& item, std::ostream* out)
{
    *out << (item.emoticon ? "face " : "char ") << item.text << " at " << item.x << "," << item.y;
}

} // namespace game

namespace {

bool AnyPicture(std::string_view)
{
    return true;
}

std::vector<BubbleItem> Layout(std::string_view text, bool (*has)(std::string_view) = AnyPicture)
{
    return LayoutBubbleText(text, BubbleMetrics {}, has);
}

BubbleItem Char(const char* c, int x, int y = 34)
{
    return { false, c, x, y };
}

BubbleItem Face(const char* name, int x, int y = 34)
{
    return { true, name, x, y };
}

TEST(BubbleLayout, TextAndEmoticonsShareTheRow)
{
    struct Case {
        const char* text;
        std::vector<BubbleItem> items;
    };
    const Case cases[] = {
        // Three emoticons fit; the fourth wraps below the text canvas.
        { "#微笑#微笑#微笑#微笑", { Face("vkf微笑", 0), Face("vkf微笑", 48), Face("vkf微笑", 96) } },
        { "哈哈#微笑", { Char("哈", 0), Char("哈", 15), Face("vkf微笑", 30) } },
        { "#微笑ok", { Face("vkf微笑", 0), Char("o", 48), Char("k", 56) } },
        // A '#' and four letters name no emoticon: text.
        { "#abcd#白眼", { Char("#", 0), Char("a", 8), Char("b", 16), Char("c", 24), Char("d", 32), Face("vkf白眼", 40) } },
        // An unknown code is text, the known one after it a picture.
        { "#火星#白眼", { Char("#", 0), Char("火", 8), Char("星", 23), Face("vkf白眼", 38) } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Layout(c.text), c.items);
    }
}

TEST(BubbleLayout, AMissingPictureTakesNoRoom)
{
    auto none = [](std::string_view name) { return name != "vkf微笑"; };
    EXPECT_EQ(LayoutBubbleText("#微笑好#白眼", BubbleMetrics {}, none), (std::vector<BubbleItem> { Char("好", 0), Face("vkf白眼", 15) }));
}

TEST(BubbleLayout, TextWrapsAtTheTextCanvasEdgeOnCharacterBoundaries)
{
    // Behind an emoticon, 13 letters reach 152: a wide character does not
    // fit behind them, and neither does a fourteenth letter (155 wide).
    const auto items = Layout("#微笑" + std::string(13, 'a') + "我");
    ASSERT_EQ(items.size(), 15u);
    EXPECT_EQ(items[13], Char("a", 48 + 12 * 8));
    EXPECT_EQ(items[14], Char("我", 0, 82));
    const auto letters = Layout("#微笑" + std::string(14, 'a'));
    EXPECT_EQ(letters.back(), Char("a", 0, 82));
}

TEST(BubbleLayout, LongLinesAreLaidOutWholeWithoutACutAt128Bytes)
{
    // An emoticon, then 150 bytes of text ending in a character that
    // straddles byte 127 of the whole line in the old buffers' terms.
    std::string tail;
    for (int i = 0; i < 75; ++i)
        tail += i % 2 ? "牌" : "王";
    const std::string text = "#微笑" + tail + "#白眼";
    BubbleMetrics tall;
    tall.bottom = 10000; // a canvas tall enough to keep every row
    const auto items = LayoutBubbleText(text, tall, AnyPicture);
    ASSERT_EQ(items.size(), 1u + 75u + 1u);
    std::string drawn;
    for (size_t i = 1; i + 1 < items.size(); ++i) {
        ASSERT_EQ(items[i].text.size(), 2u) << i;
        drawn += items[i].text;
    }
    EXPECT_EQ(drawn, tail);
    // 7 characters beside the first emoticon, six rows of 10, 8 more: the
    // emoticon wraps to the ninth row.
    EXPECT_EQ(items.back(), Face("vkf白眼", 0, 34 + 8 * 48));
}

TEST(BubbleLayout, ALeadByteAtTheEndIsDrawnAlone)
{
    const auto items = Layout("#微笑a\xB0");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2], Char("\xB0", 56));
}

// A player board as far as its bubble needs it.
class Board : public engine::BoundObject {
public:
    Board()
        : bubble(*this)
    {
    }
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (bubble.OnEvent(event)) {
            ++hides;
            return 1;
        }
        return BoundObject::OnEvent(event);
    }
    ChatBubble bubble;
    int hides = 0;
};

constexpr engine::Rect kTable { 10, 20, 810, 620 }; // 800 × 600

class Bubble : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("chat", 185, 130, 0x202020, 5, 0);
        MakePicture("PlayerBoardSmall", 150, 56, 0x808080);
        MakePicture("vkf微笑", 48, 48, 0x00ffff, 4, 100);
        board = static_cast<Board*>(root->RegisterObject(std::make_unique<Board>()));
        board->bubble.Create();
    }
    engine::CanvasObject* Canvas() { return board->bubble.GetCanvas(); }

    Board* board = nullptr;
};

TEST_F(Bubble, ShowsForFiveSecondsWithItsEmoticons)
{
    ASSERT_NE(Canvas(), nullptr);
    EXPECT_FALSE(Canvas()->IsShown());
    board->bubble.Show("你好#微笑#猪头", kTable); // no picture for the second
    EXPECT_TRUE(Canvas()->IsShown());
    ASSERT_EQ(board->bubble.GetEmoticons().size(), 1u);
    engine::SpriteObject* face = board->bubble.GetEmoticons()[0];
    const engine::CanvasObject* text = board->bubble.GetTextCanvas();
    EXPECT_EQ(face->GetX(), static_cast<int>(text->GetLeft() + 30 + 24));
    EXPECT_EQ(face->GetY(), static_cast<int>(text->GetTop() + 34 - 10));

    Frames(10, 480);
    EXPECT_TRUE(Canvas()->IsShown());
    Frames(4, 200);
    EXPECT_FALSE(Canvas()->IsShown());
    EXPECT_EQ(board->hides, 1);
    EXPECT_TRUE(board->bubble.GetEmoticons().empty());
}

TEST_F(Bubble, TheHiddenBubbleLeavesTheScreen)
{
    // A table placing seat 2's bubble in the middle of the small window.
    const engine::Rect table { -100, -79, 700, 521 };
    const uint32_t before = Pixel(100, 110);
    board->bubble.SetSeat(2);
    board->bubble.Show("你好", table);
    Frame();
    ASSERT_EQ(Canvas()->GetX(), 100);
    EXPECT_EQ(Pixel(100, 110), 0x202020u);
    Frames(12, 500);
    ASSERT_FALSE(Canvas()->IsShown());
    EXPECT_EQ(Pixel(100, 110), before);
}

TEST_F(Bubble, ASecondLineReplacesTheFirstAndRestartsTheTimer)
{
    board->bubble.Show("#微笑#微笑", kTable);
    EXPECT_EQ(board->bubble.GetEmoticons().size(), 2u);
    Frames(6, 500);
    board->bubble.Show("好的", kTable);
    EXPECT_TRUE(board->bubble.GetEmoticons().empty());
    Frames(5, 500); // 5.5 s after the first line
    EXPECT_TRUE(Canvas()->IsShown());
    Frames(6, 500);
    EXPECT_FALSE(Canvas()->IsShown());
    EXPECT_EQ(board->hides, 1);
}

TEST_F(Bubble, ATableUnder600PixelsShowsNoBubble)
{
    board->bubble.Show("你好", { 0, 0, 800, 599 });
    EXPECT_FALSE(Canvas()->IsShown());
    EXPECT_EQ(board->bubble.GetTimer(), 0u);
    board->bubble.Show("你好", { 0, 0, 800, 600 });
    EXPECT_TRUE(Canvas()->IsShown());
}

TEST_F(Bubble, EachSeatHasItsPlaceBesideItsBoard)
{
    struct Case {
        int seat;
        double x;
        double y;
        double textY;
    };
    // L 10, T 20, W 800, H 600, board height 56, bubble 187 × 140.
    const Case cases[] = {
        { 0, 10 + 400 - 250, static_cast<int>(20 + 600 - 56 - 70 - 150.0), -5 },
        { 1, static_cast<int>(10 + 56 + 93.5 + 130), 20 + 300 - 100, -5 },
        { 2, 10 + 400 - 200, static_cast<int>(20 + 56 + 70 + 28.0), 20 },
        { 3, static_cast<int>(10 + 800 - 56 - 93.5 - 130), 20 + 300 - 95, -5 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seat);
        board->bubble.SetSeat(c.seat);
        board->bubble.Show("你好", kTable);
        EXPECT_EQ(Canvas()->GetX(), c.x);
        EXPECT_EQ(Canvas()->GetY(), c.y);
        EXPECT_EQ(board->bubble.GetTextCanvas()->GetY(), c.y + c.textY);
    }
    board->bubble.Place({ 0, 0, 800, 500 });
    EXPECT_FALSE(Canvas()->IsShown());
}

} // namespace
