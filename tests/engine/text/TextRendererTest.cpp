#include "engine/text/TextRenderer.h"
#include "engine/core/ObjectGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace engine;

namespace engine {

void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

} // namespace engine

namespace {

struct Canvas {
    Canvas(int w, int h, uint32_t fill = 0)
        : width(w)
        , height(h)
        , pixels(static_cast<size_t>(w) * h * 4)
    {
        for (size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = static_cast<uint8_t>(fill);
            pixels[i + 1] = static_cast<uint8_t>(fill >> 8);
            pixels[i + 2] = static_cast<uint8_t>(fill >> 16);
            pixels[i + 3] = static_cast<uint8_t>(fill >> 24);
        }
    }
    const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
    bool Inked(int x, int y) const { return At(x, y)[3] != 0; }
    // Rows [top, bottom) and columns [left, right) holding ink; empty rect when none.
    Rect InkBounds() const
    {
        Rect r { width, height, 0, 0 };
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Inked(x, y)) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r.right == 0 ? Rect {} : r;
    }
    int width;
    int height;
    std::vector<uint8_t> pixels;
};

// Ink lies inside allowed, and there is some; an empty rectangle allows
// none at all.
void ExpectInkWithin(const Canvas& canvas, const Rect& allowed, const char* what)
{
    const Rect ink = canvas.InkBounds();
    if (allowed == Rect {}) {
        EXPECT_EQ(ink, Rect {}) << what;
        return;
    }
    EXPECT_NE(ink, Rect {}) << what;
    EXPECT_GE(ink.left, allowed.left) << what;
    EXPECT_GE(ink.top, allowed.top) << what;
    EXPECT_LE(ink.right, allowed.right) << what;
    EXPECT_LE(ink.bottom, allowed.bottom) << what;
}

TextStyle Style(int size, uint32_t colour = 0x00332211)
{
    TextStyle s;
    s.SetFace("宋体");
    s.size = size;
    s.fullAdvance = size;
    s.weight = 400;
    s.colour = colour;
    s.alpha = 255;
    s.wrap = 1;
    return s;
}

class TextRendererTest : public ::testing::Test {
protected:
    TextRendererTest() { renderer.Init(); }
    TextRenderer renderer;
};

TEST_F(TextRendererTest, MeasuresMarkup)
{
    struct Case {
        const char* markup;
        int size;
        int spacing;
        int width;
        int height;
    };
    const std::string longOpen = "<" + std::string(300, 'x') + ">";
    const Case cases[] = {
        { "ab", 12, 0, 12, 12 },
        { "确a", 12, 0, 18, 12 },
        { "ab", 13, 0, 14, 13 },
        // Spacing goes before every character but the first of a line, twice
        // before a full-width one.
        { "ab确", 12, 2, 6 + 8 + 16, 12 },
        { "确ab", 12, 2, 12 + 8 + 8, 12 },
        { "<size=20>a", 12, 0, 10, 20 },
        { "a<size=20>a", 12, 0, 16, 20 },
        { "<SIZE=20>a", 12, 0, 10, 20 },
        { "<size=20;bogus=1>a", 12, 0, 10, 20 },
        { "<size=20>a</size>a", 12, 0, 16, 20 },
        { "<pitch=4>ab</pitch>c", 12, 0, 6 + 10 + 6, 12 },
        { "<rightmargin=5>a", 12, 0, 11, 12 },
        { "<//>a", 12, 0, 6, 12 },
        { "<//:a comment>a", 12, 0, 6, 12 },
        { "<script:go>a", 12, 0, 6, 12 },
        // Refused tags are text, '<' included.
        { "<bogus=1>a", 12, 0, 60, 12 },
        { "<bogus;size=20>a", 12, 0, 16 * 6, 12 },
        { "<>a", 12, 0, 18, 12 },
        { "<rgb=1,2>", 12, 0, 54, 12 },
        { "a<break>b", 12, 0, 6, 24 },
        { "a\n\nb", 12, 0, 6, 25 },
        { "", 12, 0, 0, 1 },
        // Only 0x81-0xFE lead a full-width character; 0xFF is half-width
        // alone, and a lead byte cut off at the end still takes full width.
        { "\xFF", 12, 0, 6, 12 },
        { "确\xFF", 12, 0, 18, 12 },
        { "a\x81", 12, 0, 18, 12 },
    };
    for (const Case& c : cases) {
        TextStyle s = Style(c.size);
        s.charSpacing = c.spacing;
        renderer.SetStyle(s);
        int w = -1;
        int h = -1;
        renderer.MeasureText(0, 0, c.markup, w, h);
        EXPECT_EQ(w, c.width) << c.markup;
        EXPECT_EQ(h, c.height) << c.markup;
    }
    TextStyle s = Style(12);
    renderer.SetStyle(s);
    int w = 0;
    int h = 0;
    renderer.MeasureText(0, 0, longOpen, w, h);
    EXPECT_EQ(w, 6 * static_cast<int>(longOpen.size())) << "no '>' within 256 bytes";
}

TEST_F(TextRendererTest, MeasuresWrappedHeight)
{
    struct Case {
        const char* what;
        int width;
        int rightMargin;
        int rowSpacing;
        const char* text;
        int height;
    };
    const Case cases[] = {
        { "five to a line", 30, 0, 0, "aaaaaaaaaa", 24 },
        { "six wrap to two lines", 30, 0, 0, "aaaaaa", 24 },
        { "row spacing between lines", 30, 0, 3, "aaaaaa", 27 },
        { "full-width wraps whole", 30, 0, 0, "确定取消", 24 },
        { "empty line counts 1", 100, 0, 0, "a\n\nb", 25 },
        // A character that never fits the margin still goes one per line,
        // instead of wrapping for ever.
        { "margin wider than the line", 8, 5, 0, "aaaa", 48 },
        { "target narrower than one character", 3, 0, 0, "aaaa", 2 },
    };
    for (const Case& c : cases) {
        TextStyle s = Style(12);
        s.rightMargin = c.rightMargin;
        s.rowSpacing = c.rowSpacing;
        renderer.SetStyle(s);
        EXPECT_EQ(renderer.MeasureHeight(c.width, c.text), c.height) << c.what;
    }
}

TEST_F(TextRendererTest, ParsesTags)
{
    struct Case {
        const char* content;
        bool accepted;
    };
    const Case cases[] = {
        { "size=20", true },
        { "Size = 20", false }, // the key holds the space
        { "size=20;bogus=1", true },
        { "bogus=1;size=20", false },
        { "bold", true },
        { "bold;italic;underline", true },
        { "break", true },
        { "//", true },
        { "// not a comment", false },
        { "rgb=1,2,3", true },
        { "rgb=1,2", false },
        { "c=255", true },
        { "fontname=\"黑体\"", true },
        { ";;", false },
        { "=5", false },
    };
    for (const Case& c : cases) {
        renderer.SetStyle(Style(12));
        EXPECT_EQ(renderer.ParseTag(c.content), c.accepted) << c.content;
    }
    renderer.SetStyle(Style(12));
    ASSERT_TRUE(renderer.ParseTag("rgb=1,2,3"));
    EXPECT_EQ(renderer.Style().colour, 0x030201u);
    ASSERT_TRUE(renderer.ParseTag("fontname=\"黑体\";bold=650"));
    EXPECT_EQ(renderer.Style().Face(), "黑体");
    EXPECT_EQ(renderer.Style().weight, 650);
    ASSERT_TRUE(renderer.ParseTag("fontname=\"" + std::string(40, 'f') + "\""));
    EXPECT_EQ(renderer.Style().Face(), std::string(31, 'f'));
    ASSERT_TRUE(renderer.ParseTag("fontname=aa" + std::string(32, '\xb6')));
    EXPECT_EQ(renderer.Style().Face().size(), 30u) << "cut on a character boundary, not through one";
    ASSERT_TRUE(renderer.ParseTag("Script:Run"));
    ASSERT_EQ(renderer.ScriptTags().size(), 1u);
    EXPECT_EQ(renderer.ScriptTags()[0], "script:run");
    EXPECT_EQ(renderer.ScriptTagIndex(), 0);
    renderer.ClearTagList();
    EXPECT_EQ(renderer.ScriptTagIndex(), -1);
}

// The tags a draw of "a<size=20>b</size>c" meets change the size alone:
// the face stays for the characters after them.
TEST_F(TextRendererTest, SizeTagsKeepTheFace)
{
    TextStyle s = Style(12);
    s.SetFace("黑体");
    renderer.SetStyle(s);
    for (const char* tag : { "size=20", "/size" }) {
        ASSERT_TRUE(renderer.ParseTag(tag)) << tag;
        EXPECT_EQ(renderer.Style().Face(), std::string_view("黑体")) << tag;
    }
    renderer.SetFontSize(16);
    EXPECT_EQ(renderer.Style().Face(), std::string_view("黑体"));
    EXPECT_EQ(renderer.Style().size, 16);
}

TEST_F(TextRendererTest, StyleComesBackAfterADraw)
{
    TextStyle s = Style(12, 0x0000AA);
    s.weight = 400;
    renderer.SetStyle(s);
    Canvas c(200, 60);
    renderer.DrawText(c.pixels.data(), c.width, c.height, 0, 0, "<bold>a</bold><size=20;pitch=3;italic>b");
    EXPECT_EQ(renderer.Style().weight, 400);
    EXPECT_EQ(renderer.Style().size, 12);
    EXPECT_EQ(renderer.Style().charSpacing, 0);
    EXPECT_EQ(renderer.Style().italic, 0);
    // A colour tag leaves the colour it replaced as the style's colour.
    renderer.DrawText(c.pixels.data(), c.width, c.height, 0, 0, "<c=255>a<c=65280>b");
    EXPECT_EQ(renderer.Style().colour, 255u);
}

TEST_F(TextRendererTest, MixedSizesStandOnTheSameBottom)
{
    renderer.SetStyle(Style(12));
    Canvas mixed(200, 40);
    EXPECT_EQ(renderer.DrawText(mixed.pixels.data(), mixed.width, mixed.height, 0, 0, "HH<size=20>HH"), 20);
    Canvas alone(200, 40);
    renderer.DrawText(alone.pixels.data(), alone.width, alone.height, 0, 8, "HH");
    ASSERT_NE(alone.InkBounds(), Rect {});
    // The 12-pixel run is drawn exactly as alone 8 rows lower.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(mixed.Inked(x, y), alone.Inked(x, y)) << x << "," << y;
    Rect ink = mixed.InkBounds();
    EXPECT_GE(ink.top, 0);
    EXPECT_LE(ink.bottom, 20);
    EXPECT_GT(ink.right, 12) << "the 20-pixel run is drawn";
}

TEST_F(TextRendererTest, BlendsCoverageWithColourAndAlpha)
{
    renderer.SetStyle(Style(40, 0x00332211));
    Canvas clear(40, 40);
    renderer.DrawText(clear.pixels.data(), 40, 40, 0, 0, "■");
    const uint8_t* centre = clear.At(20, 20);
    EXPECT_EQ(centre[0], 0x33);
    EXPECT_EQ(centre[1], 0x22);
    EXPECT_EQ(centre[2], 0x11);
    EXPECT_EQ(centre[3], 255);

    TextStyle half = Style(40, 0x00332211);
    half.alpha = 128;
    renderer.SetStyle(half);
    Canvas faded(40, 40);
    renderer.DrawText(faded.pixels.data(), 40, 40, 0, 0, "■");
    EXPECT_EQ(faded.At(20, 20)[3], 127);

    // Over opaque grey every channel mixes by the coverage seen above.
    Canvas grey(40, 40, 0xFF808080);
    renderer.SetStyle(Style(40, 0x00332211));
    renderer.DrawText(grey.pixels.data(), 40, 40, 0, 0, "■");
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            int k = clear.At(x, y)[3];
            const uint8_t* p = grey.At(x, y);
            if (k == 0) {
                ASSERT_EQ(p[0], 0x80);
                continue;
            }
            ASSERT_EQ(p[0], (0x33 * k + 0x80 * (255 - k)) >> 8) << x << "," << y;
            ASSERT_EQ(p[2], (0x11 * k + 0x80 * (255 - k)) >> 8) << x << "," << y;
            ASSERT_EQ(p[3], 255);
        }
}

TEST_F(TextRendererTest, SpacesDrawOnlyWhenUnderlined)
{
    renderer.SetStyle(Style(20));
    Canvas plain(40, 20);
    renderer.DrawText(plain.pixels.data(), 40, 20, 0, 0, "   ");
    EXPECT_EQ(plain.InkBounds(), Rect {});
    renderer.DrawText(plain.pixels.data(), 40, 20, 0, 0, "<underline>   ");
    EXPECT_NE(plain.InkBounds(), Rect {});
}

TEST_F(TextRendererTest, WrapOffStopsAtTheRightMarginAndBreakStartsALine)
{
    TextStyle s = Style(12);
    s.wrap = 0;
    renderer.SetStyle(s);
    Canvas c(30, 40);
    renderer.DrawText(c.pixels.data(), 30, 40, 0, 0, "HHHHHHHHHH\nHHHH");
    Rect ink = c.InkBounds();
    EXPECT_LE(ink.bottom, 12) << "nothing on later lines";
    // What fits before the margin is drawn: five characters of 6 pixels.
    EXPECT_GT(ink.right, 24);
    EXPECT_LE(ink.right, 30);

    s.wrap = 1;
    s.leftMargin = 4;
    renderer.SetStyle(s);
    Canvas b(100, 40);
    EXPECT_EQ(renderer.DrawText(b.pixels.data(), 100, 40, 0, 0, "H<break>H"), 24);
    bool secondLine = false;
    for (int x = 0; x < 100; ++x)
        for (int y = 12; y < 24; ++y)
            if (b.Inked(x, y)) {
                secondLine = true;
                EXPECT_GE(x, 4);
                EXPECT_LT(x, 10) << "at the left margin";
            }
    EXPECT_TRUE(secondLine);

    // Wrapped text that runs out of rows stops at the last whole line.
    renderer.SetStyle(Style(12));
    Canvas low(30, 30);
    renderer.DrawText(low.pixels.data(), 30, 30, 0, 0, "HHHHHHHHHHHHHHHHHHHH");
    EXPECT_GT(low.InkBounds().bottom, 12);
    EXPECT_LE(low.InkBounds().bottom, 24);
}

// A character that does not fit between the pen and the right margin is
// never drawn into the margin, not even at the start of an empty line
// (measuring places it there so that it can make progress). It goes to the
// next line when that one holds it.
TEST_F(TextRendererTest, CharactersThatDoNotFitAreNotDrawnInTheMargin)
{
    struct Case {
        const char* what;
        int width;
        int x;
        int rightMargin;
        int charSpacing;
        const char* text;
        Rect allowed; // where ink may be; empty: none at all
    };
    const Case cases[] = {
        { "margin wider than the target", 100, 0, 0, 0, "<rightmargin=200>ab", Rect {} },
        { "spacing makes the first character too wide", 6, 0, 0, 1, "a", Rect {} },
        { "margin set before the draw", 8, 0, 5, 0, "aaaa", Rect {} },
        { "fits on the next line", 60, 50, 5, 0, "a", Rect { 0, 1, 6, 13 } },
    };
    for (const Case& c : cases) {
        TextStyle s = Style(12);
        s.rightMargin = c.rightMargin;
        s.charSpacing = c.charSpacing;
        renderer.SetStyle(s);
        Canvas canvas(c.width, 40);
        renderer.DrawText(canvas.pixels.data(), canvas.width, canvas.height, c.x, 0, c.text);
        ExpectInkWithin(canvas, c.allowed, c.what);
    }
}

TEST_F(TextRendererTest, OversizeAndNoSurfaceDrawNothing)
{
    TextStyle s = Style(300);
    renderer.SetStyle(s);
    Canvas c(40, 40);
    EXPECT_EQ(renderer.DrawText(c.pixels.data(), 40, 40, 0, 7, "a"), 7);
    EXPECT_EQ(c.InkBounds(), Rect {});

    // A renderer never initialised lays out and measures, and draws nothing.
    TextRenderer bare;
    bare.SetStyle(Style(12));
    EXPECT_FALSE(bare.HasSurface());
    EXPECT_EQ(bare.DrawText(c.pixels.data(), 40, 40, 0, 0, "ab\ncd"), 24);
    EXPECT_EQ(c.InkBounds(), Rect {});
    int w = 0;
    int h = 0;
    bare.MeasureText(0, 0, "ab", w, h);
    EXPECT_EQ(w, 12);
    // Targets of zero size are harmless.
    renderer.SetStyle(Style(12));
    EXPECT_EQ(renderer.DrawText(nullptr, 0, 0, 0, 0, "ab"), 1);
}

// A drawn line that takes nothing starts the next one; a second in a row
// ends the draw, since every later line would start the same way again.
// The line bottom the draw returns shows where it ended; what came before
// is drawn and nothing else.
TEST_F(TextRendererTest, LinesThatTakeNothingEndTheDraw)
{
    struct Case {
        const char* what;
        int width;
        int charSpacing;
        int rowSpacing;
        int rightMargin;
        const char* text;
        int bottom;
        Rect allowed; // where ink may be; empty: none at all
    };
    const Case cases[] = {
        // Lines of no height whose margin moves past the target.
        { "lines of no height", 1, 2, 0, 0, "<size=0>xy<leftmargin=5>z", 1, Rect {} },
        // Row spacing that cancels the line height: each line starts where
        // the one before did.
        { "lines that do not move down", 8, 0, -12, 5, "aaaa", 1, Rect {} },
        // Two empty lines below the first, then the end.
        { "a character that never fits", 8, 0, 0, 5, "aaaa", 1 + 12 + 12, Rect {} },
        { "after a drawn line", 20, 0, 0, 0, "a<rightmargin=200>b", 12 + 12 + 12 + 12, Rect { 0, 0, 6, 12 } },
    };
    for (const Case& c : cases) {
        TextStyle s = Style(12);
        s.charSpacing = c.charSpacing;
        s.rowSpacing = c.rowSpacing;
        s.rightMargin = c.rightMargin;
        renderer.SetStyle(s);
        Canvas canvas(c.width, 100);
        EXPECT_EQ(renderer.DrawText(canvas.pixels.data(), canvas.width, canvas.height, 0, 0, c.text), c.bottom)
            << c.what;
        ExpectInkWithin(canvas, c.allowed, c.what);
    }
}

TEST_F(TextRendererTest, DrawsChineseAndLatinInside)
{
    renderer.SetStyle(Style(20));
    Canvas c(200, 30);
    EXPECT_EQ(renderer.DrawText(c.pixels.data(), 200, 30, 5, 5, "确定 OK"), 25);
    Rect ink = c.InkBounds();
    EXPECT_GE(ink.left, 5);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.right, 5 + 40 + 30);
    EXPECT_LE(ink.bottom, 25);
    EXPECT_GT(ink.right, 5 + 40) << "the Latin part is drawn";
}

} // namespace
