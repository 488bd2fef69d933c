#include "platform/FontRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using platform::FontRenderer;
using platform::GlyphImage;

struct Ink {
    int sum = 0;
    int left = 1 << 20;
    int right = -1;
    int top = 1 << 20;
    int bottom = -1;
    bool Empty() const { return sum == 0; }
    int Width() const { return Empty() ? 0 : right - left + 1; }
};

Ink InkOf(const GlyphImage& g)
{
    Ink ink;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            int v = g.At(x, y);
            if (v == 0)
                continue;
            ink.sum += v;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

std::string Picture(const GlyphImage& g)
{
    std::string out;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x)
            out += " .:-=+*#%@"[g.At(x, y) * 9 / 255];
        out += "|\n";
    }
    return out;
}

TEST(FontRenderer, ChineseAndLatinFillTheirCells)
{
    FontRenderer renderer;
    for (int size : { 12, 20 }) {
        ASSERT_TRUE(renderer.SelectFont(size, 400, "宋体", false, false)) << size;
        for (const char* text : { "确", "定", "A" }) {
            const GlyphImage& g = renderer.RenderGlyph(text);
            SCOPED_TRACE(std::to_string(size) + " px " + text + "\n" + Picture(g));
            EXPECT_EQ(g.height, size);
            ASSERT_EQ(g.coverage.size(), static_cast<size_t>(g.width) * g.height);
            Ink ink = InkOf(g);
            ASSERT_FALSE(ink.Empty());
            EXPECT_GE(ink.left, 0);
            EXPECT_LE(ink.right, g.advance);
            if (text[0] == 'A') {
                // A capital stands on the baseline.
                EXPECT_GE(ink.bottom, renderer.Metrics().baseline - 1);
                EXPECT_LE(ink.bottom, renderer.Metrics().baseline);
                EXPECT_GE(ink.bottom - ink.top + 1, size * 6 / 10);
            } else {
                // A Chinese character fills nearly the whole cell.
                EXPECT_GE(ink.bottom - ink.top + 1, size * 85 / 100);
            }
        }
        // The mapped face lays Latin characters out at half the width of
        // Chinese ones.
        EXPECT_EQ(renderer.GlyphAdvance("确"), size);
        EXPECT_EQ(renderer.GlyphAdvance("A"), size / 2);
        EXPECT_EQ(renderer.MeasureText("确定A"), 2 * size + size / 2);
    }
}

// "定" and "永" are drawn over 98% of the em height in the mapped face; a
// baseline that left too little room above or below would cut them shorter.
TEST(FontRenderer, LargeChineseCharactersAreNotCut)
{
    FontRenderer renderer;
    for (int size : { 100, 300 }) {
        ASSERT_TRUE(renderer.SelectFont(size, 400, "黑体", false, false));
        for (const char* text : { "定", "永" }) {
            Ink ink = InkOf(renderer.RenderGlyph(text));
            EXPECT_GE(ink.bottom - ink.top + 1, size * 96 / 100) << size << ' ' << text;
        }
    }
}

TEST(FontRenderer, BoldIsWiderAndDarkerThanRegular)
{
    FontRenderer renderer;
    for (int size : { 12, 20 }) {
        ASSERT_TRUE(renderer.SelectFont(size, 400, "宋体", false, false));
        Ink regularChinese = InkOf(renderer.RenderGlyph("确"));
        Ink regularLatin = InkOf(renderer.RenderGlyph("l"));
        int regularAdvance = renderer.GlyphAdvance("确");
        ASSERT_TRUE(renderer.SelectFont(size, 600, "宋体", false, false));
        EXPECT_TRUE(renderer.Metrics().syntheticBold);
        Ink boldChinese = InkOf(renderer.RenderGlyph("确"));
        Ink boldLatin = InkOf(renderer.RenderGlyph("l"));
        EXPECT_GT(boldChinese.sum, regularChinese.sum * 11 / 10) << size;
        EXPECT_GT(boldLatin.Width(), regularLatin.Width()) << size;
        EXPECT_GT(renderer.GlyphAdvance("确"), regularAdvance) << size;
        EXPECT_EQ(renderer.RenderGlyph("确").advance, renderer.GlyphAdvance("确"));
    }
    // 599 is still regular.
    ASSERT_TRUE(renderer.SelectFont(12, 599, "宋体", false, false));
    EXPECT_FALSE(renderer.Metrics().syntheticBold);
}

TEST(FontRenderer, ItalicLeansRight)
{
    // Mean column of the ink in the top and the bottom third of the cell.
    auto lean = [](const GlyphImage& g) {
        double top = 0, topWeight = 0, bottom = 0, bottomWeight = 0;
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                if (y < g.height / 3) {
                    top += x * g.At(x, y);
                    topWeight += g.At(x, y);
                } else if (y >= g.height * 2 / 3) {
                    bottom += x * g.At(x, y);
                    bottomWeight += g.At(x, y);
                }
            }
        return top / topWeight - bottom / bottomWeight;
    };
    FontRenderer renderer;
    ASSERT_TRUE(renderer.SelectFont(20, 400, "宋体", false, false));
    double upright = lean(renderer.RenderGlyph("I"));
    ASSERT_TRUE(renderer.SelectFont(20, 400, "宋体", true, false));
    EXPECT_TRUE(renderer.Metrics().syntheticItalic);
    double slanted = lean(renderer.RenderGlyph("I"));
    EXPECT_GT(slanted - upright, 1.5);
}

TEST(FontRenderer, UnderlineRunsAcrossTheAdvanceAlsoUnderSpaces)
{
    FontRenderer renderer;
    ASSERT_TRUE(renderer.SelectFont(12, 400, "宋体", false, false));
    EXPECT_TRUE(InkOf(renderer.RenderGlyph(" ")).Empty());
    ASSERT_TRUE(renderer.SelectFont(12, 400, "宋体", false, true));
    const auto& m = renderer.Metrics();
    EXPECT_GE(m.underlineThickness, 1);
    EXPECT_LE(m.underlineTop + m.underlineThickness, 12);
    EXPECT_GT(m.underlineTop, m.baseline - 1);
    for (const char* text : { " ", "确", "A" }) {
        const GlyphImage& g = renderer.RenderGlyph(text);
        for (int x = 0; x < g.advance; ++x)
            EXPECT_EQ(g.At(x, m.underlineTop), 255) << text << " column " << x;
    }
}

TEST(FontRenderer, FaceNamesMapToTheHalfWidthLatinFace)
{
    FontRenderer renderer;
    // Faces the system lacks (and no face at all) get the default face.
    for (const char* face : { "宋体", "黑体", "幼圆", "NoSuchFace", "Arial", "" }) {
        ASSERT_TRUE(renderer.SelectFont(20, 400, face, false, false)) << face;
        // A proportional face would give "i" and "W" different widths.
        EXPECT_EQ(renderer.GlyphAdvance("i"), 10) << face;
        EXPECT_EQ(renderer.GlyphAdvance("W"), 10) << face;
        EXPECT_EQ(renderer.GlyphAdvance("确"), 20) << face;
        EXPECT_FALSE(InkOf(renderer.RenderGlyph("确")).Empty()) << face;
    }
}

// Bytes that do not form a character, and characters the font lacks,
// render something harmless and still advance the pen.
TEST(FontRenderer, MalformedAndMissingCharactersAreSafe)
{
    FontRenderer renderer;
    ASSERT_TRUE(renderer.SelectFont(12, 700, "宋体", true, true));
    const std::string cases[] = {
        "\xC8",          // lead byte cut at the end
        "\xC8" "0",      // lead byte before a byte that cannot trail
        "\xFF",          // never a character
        "\x80",          // euro sign
        "\xAA\xA1",      // user-defined area: no glyph in the font
        std::string(1, '\0'),
        "\x01",
    };
    for (const std::string& text : cases) {
        const GlyphImage& g = renderer.RenderGlyph(text);
        EXPECT_EQ(g.coverage.size(), static_cast<size_t>(g.width) * g.height);
        EXPECT_GE(g.advance, 0);
        renderer.GlyphAdvance(text);
    }
    EXPECT_EQ(renderer.RenderGlyph("").coverage.size(), 0u);
    EXPECT_EQ(renderer.GlyphAdvance(""), 0);
    EXPECT_GT(renderer.MeasureText("\xC8"), 0);
}

TEST(FontRenderer, SizesAreClampedAndTheCacheGivesTheSameGlyphs)
{
    FontRenderer renderer;
    ASSERT_TRUE(renderer.SelectFont(1000, 400, "宋体", false, false));
    EXPECT_EQ(renderer.RenderGlyph("A").height, FontRenderer::kMaxSize);
    ASSERT_TRUE(renderer.SelectFont(-5, 400, "宋体", false, false));
    EXPECT_EQ(renderer.RenderGlyph("A").height, 1);

    ASSERT_TRUE(renderer.SelectFont(14, 700, "宋体", false, true));
    GlyphImage cached = renderer.RenderGlyph("确");
    GlyphImage again = renderer.RenderGlyph("确");
    renderer.EnableGlyphCache(false);
    GlyphImage fresh = renderer.RenderGlyph("确");
    EXPECT_EQ(cached.coverage, again.coverage);
    EXPECT_EQ(cached.coverage, fresh.coverage);
    EXPECT_EQ(cached.advance, fresh.advance);

    // Two renderers of different sizes share fonts without disturbing
    // each other.
    FontRenderer other;
    ASSERT_TRUE(other.SelectFont(30, 400, "宋体", false, false));
    EXPECT_EQ(other.RenderGlyph("确").height, 30);
    EXPECT_EQ(renderer.RenderGlyph("确").coverage, fresh.coverage);
}

// Text in several styles switches fonts character by character; a font
// selected again (also after many others pushed it out of the renderer's
// keep) must give the glyphs and metrics it gave the first time.
TEST(FontRenderer, SwitchingBackToAFontGivesItsOwnGlyphs)
{
    struct Look {
        int size;
        int weight;
        bool italic;
    };
    const Look looks[] = { { 12, 400, false }, { 24, 700, false }, { 16, 400, true } };
    auto expected = [](const Look& look) {
        FontRenderer fresh;
        fresh.EnableGlyphCache(false);
        EXPECT_TRUE(fresh.SelectFont(look.size, look.weight, "宋体", look.italic, false));
        return std::make_pair(fresh.RenderGlyph("确"), fresh.Metrics().baseline);
    };
    FontRenderer renderer;
    for (int round = 0; round < 3; ++round) {
        for (const Look& look : looks) {
            ASSERT_TRUE(renderer.SelectFont(look.size, look.weight, "宋体", look.italic, false));
            const auto [glyph, baseline] = expected(look);
            EXPECT_EQ(renderer.Metrics().baseline, baseline) << look.size;
            EXPECT_EQ(renderer.RenderGlyph("确").coverage, glyph.coverage) << look.size;
            EXPECT_EQ(renderer.GlyphAdvance("确"), glyph.advance) << look.size;
        }
        // Many other fonts in between.
        for (int size = 30; size < 130; ++size)
            ASSERT_TRUE(renderer.SelectFont(size, 400, "黑体", false, false));
    }
}

} // namespace
