// Image fonts and counting numbers: measuring, composing glyphs into the
// canvas, alignment on the anchor, suffixes and the counting animation on
// the object module's clock.

#include "ButtonHost.h"

#include "engine/controls/widgets/ImageFont.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/CanvasObject.h"

using namespace engine;
using namespace buttonstest;

namespace {

constexpr int kCounted = 8001;

class ImageFonts : public ButtonHost {
protected:
    template <typename Font = ImageFont>
    Font* Make()
    {
        return static_cast<Font*>(root->RegisterObject(std::make_unique<Font>()));
    }
    ImageNumber* Digits(uint32_t flags = 0)
    {
        auto* n = Make<ImageNumber>();
        n->CreateDigits("digits", flags);
        n->MoveTo(100, 50);
        n->Show();
        n->Invalidate();
        return n;
    }
    // The glyph frames across the canvas, one sample per column, -1 where
    // no glyph is drawn.
    static std::vector<int> Columns(const CanvasObject* c, int y)
    {
        std::vector<int> out;
        for (int x = 0; x < c->GetBufferWidth(); ++x)
            out.push_back(c->GetPixelAlpha(x, y) ? FrameOfColour(c->GetPixel(x, y)) : -1);
        return out;
    }
    // Runs lengths of equal values.
    static std::vector<std::pair<int, int>> Runs(const std::vector<int>& v)
    {
        std::vector<std::pair<int, int>> out;
        for (int x : v) {
            if (out.empty() || out.back().first != x)
                out.emplace_back(x, 0);
            ++out.back().second;
        }
        return out;
    }
    using RunList = std::vector<std::pair<int, int>>;
};

TEST_F(ImageFonts, DigitsAreHalfCellsAndComposeTheNumber)
{
    ImageNumber* n = Digits();
    EXPECT_EQ(n->GetCellWidth(), 2 * kDigitWidth);
    EXPECT_EQ(n->GetCellHeight(), kDigitHeight);
    n->SetValue(12);
    CanvasObject* c = n->GetCanvas();
    EXPECT_EQ(c->GetBufferWidth(), 32);
    EXPECT_DOUBLE_EQ(c->GetWidth(), 32);
    EXPECT_EQ(Runs(Columns(c, 5)), (RunList { { 1, 16 }, { 2, 16 } }));
    n->SetValue(-7); // '-' has no glyph: a blank half cell
    EXPECT_EQ(Runs(Columns(c, 5)), (RunList { { -1, 16 }, { 7, 16 } }));
    Frame();
    // Centred on the anchor, in the back buffer.
    EXPECT_EQ(FrameOfRgb(Pixel(100 + 8, 50)), 7);
}

TEST_F(ImageFonts, FixedModeMeasuresHalfSpacingAfterSingleBytes)
{
    ImageFont* f = Make<ImageFont>();
    f->Create(20, 16, kFontAlignLeft);
    f->SetSpacing(4);
    f->AddGlyphs("a比b", "word"); // frames 0, 1, 2
    f->SetText("a比");
    CanvasObject* c = f->GetCanvas();
    EXPECT_EQ(c->GetBufferWidth(), 10 + 2 + 20);
    // 'a' is the left half of frame 0; the wide glyph fills a whole cell.
    EXPECT_EQ(Runs(Columns(c, 8)), (RunList { { 0, 10 }, { -1, 2 }, { 1, 20 } }));
    f->SetText("比b");
    EXPECT_EQ(c->GetBufferWidth(), 20 + 4 + 10);
    EXPECT_EQ(Runs(Columns(c, 8)), (RunList { { 1, 20 }, { -1, 4 }, { 2, 10 } }));
}

// Only 0x81-0xFE lead a wide character: a 0xFF byte is a narrow one alone.
TEST_F(ImageFonts, ByteFFIsANarrowCharacter)
{
    ImageFont* f = Make<ImageFont>();
    f->Create(20, 16, kFontAlignLeft);
    f->SetSpacing(4);
    f->AddGlyphs("\xFF" "a", "word"); // frames 0, 1
    f->SetText("\xFF" "a");
    CanvasObject* c = f->GetCanvas();
    EXPECT_EQ(c->GetBufferWidth(), 10 + 2 + 10);
    EXPECT_EQ(Runs(Columns(c, 8)), (RunList { { 0, 10 }, { -1, 2 }, { 1, 10 } }));
}

TEST_F(ImageFonts, ProportionalModeAdvancesByGlyphWidths)
{
    ImageFont* f = Make<ImageFont>();
    f->Create(20, 24, kFontProportional | kFontAlignLeft);
    f->SetSpacing(2);
    f->AddGlyphs("ab", "word"); // full 16-pixel frames
    f->SetText("ab");
    CanvasObject* c = f->GetCanvas();
    EXPECT_EQ(c->GetBufferWidth(), 16 + 2 + 16);
    // Glyphs are centred vertically in the cell.
    EXPECT_EQ(c->GetPixelAlpha(0, 3), 0);
    EXPECT_EQ(FrameOfColour(c->GetPixel(0, 4)), 0);
    EXPECT_EQ(Runs(Columns(c, 12)), (RunList { { 0, 16 }, { -1, 2 }, { 1, 16 } }));
    // A missing single-byte character measures half a cell (10) but is
    // drawn with half a cell plus half the spacing (11).
    f->SetText("xa");
    EXPECT_EQ(c->GetBufferWidth(), 10 + 2 + 16);
    EXPECT_EQ(Runs(Columns(c, 12)), (RunList { { -1, 11 }, { 0, 16 }, { -1, 1 } }));
}

TEST_F(ImageFonts, AlignmentKeepsTheAnchoredEdge)
{
    ImageNumber* right = Digits(kFontAlignRight);
    right->SetValue(5);
    EXPECT_DOUBLE_EQ(right->GetRight(), 100);
    right->SetValue(12345);
    EXPECT_DOUBLE_EQ(right->GetRight(), 100);
    EXPECT_DOUBLE_EQ(right->GetLeft(), 100 - 5 * 16);

    ImageNumber* left = Digits(kFontAlignLeft);
    left->SetValue(123);
    EXPECT_DOUBLE_EQ(left->GetLeft(), 100);
    left->MoveBy(10, 5); // the anchor moves, the canvas follows
    EXPECT_DOUBLE_EQ(left->GetLeft(), 110);
    EXPECT_DOUBLE_EQ(left->GetY(), 55);

    ImageNumber* centred = Digits();
    centred->SetValue(10);
    EXPECT_DOUBLE_EQ(centred->GetX(), 100);
}

TEST_F(ImageFonts, DrawTextAlignmentsEstimateTheWidth)
{
    ImageFont* f = Make<ImageFont>();
    f->Create(20, 16, 0);
    f->SetSpacing(4);
    f->AddGlyphs("a", "word");
    CanvasObject* c = root->CreateCanvas(100, 16, kNoColourKey);
    // Two bytes: estimated width (20 + 4) x 2 / 2 = 24.
    f->DrawText(*c, 50, 0, "aa", kDrawFromCentre);
    EXPECT_EQ(c->GetPixelAlpha(37, 8), 0);
    EXPECT_EQ(FrameOfColour(c->GetPixel(38, 8)), 0);
    c->Clear();
    f->DrawText(*c, 50, 0, "aa", 0);
    EXPECT_EQ(c->GetPixelAlpha(25, 8), 0);
    EXPECT_EQ(FrameOfColour(c->GetPixel(26, 8)), 0);
}

TEST_F(ImageFonts, LatestGlyphWinsAndOddStringsAreSafe)
{
    ImageFont* f = Make<ImageFont>();
    f->Create(20, 16, kFontAlignLeft);
    f->AddGlyph("a", Picture("word", 0));
    f->AddGlyph("a", Picture("word", 2));
    f->AddGlyph("", Picture("word", 1)); // nothing to map
    ASSERT_NE(f->FindGlyph('a'), nullptr);
    EXPECT_EQ(f->FindGlyph('a')->frame, 2);
    // A lead byte at the end stands alone; nothing past the text is read.
    const std::string lone = "a\xB1";
    f->SetText(std::string_view(lone.data(), lone.size()));
    EXPECT_EQ(f->GetCanvas()->GetBufferWidth(), 10 + 20);
    f->AddGlyphs("abcdef", "word"); // stops at the picture's three frames
    EXPECT_NE(f->FindGlyph('c'), nullptr);
    EXPECT_EQ(f->FindGlyph('d'), nullptr);
    f->AddGlyphs("z", "no-such-picture");
    EXPECT_EQ(f->FindGlyph('z'), nullptr);
}

TEST_F(ImageFonts, SuffixShowsFromTheNextRedraw)
{
    ImageNumber* n = Digits(kFontAlignLeft);
    n->SetValue(3);
    n->SetSuffix("ab");
    EXPECT_EQ(n->GetCanvas()->GetBufferWidth(), 16);
    n->Refresh();
    EXPECT_EQ(n->GetCanvas()->GetBufferWidth(), 48);
    n->ClearSuffix();
    EXPECT_EQ(n->GetCanvas()->GetBufferWidth(), 16);
    n->SetSuffix("x");
    n->AddValue(20);
    EXPECT_EQ(n->GetValue(), 23);
    EXPECT_EQ(n->GetCanvas()->GetBufferWidth(), 48);
    n->SetValue(2147483647);
    n->AddValue(1); // wraps like the 32-bit value it is
    EXPECT_EQ(n->GetValue(), -2147483647 - 1);
}

TEST_F(ImageFonts, CountToStepsAndLandsExactlyThenSendsTheEndEvent)
{
    ImageNumber* n = Digits();
    const EngineEvent done(owner->GetId(), kCounted);
    ASSERT_NE(n->CountTo(1000, 7, 0, &done), 0u);
    std::vector<int> seen;
    for (int i = 0; i < 200 && owner->Count(kCounted) == 0; ++i) {
        Frame(30);
        if (seen.empty() || seen.back() != n->GetValue())
            seen.push_back(n->GetValue());
    }
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], 7);
    EXPECT_EQ(seen[1], 14);
    EXPECT_EQ(seen[seen.size() - 2], 994);
    EXPECT_EQ(seen.back(), 1000);
    EXPECT_EQ(seen.size(), 143u);
    EXPECT_EQ(owner->Count(kCounted), 1);
    EXPECT_EQ(n->GetCanvas()->GetBufferWidth(), 4 * 16);
}

TEST_F(ImageFonts, CountToStepZeroCountsByOneAndNegativeStepsByTheirSize)
{
    ImageNumber* n = Digits();
    ASSERT_NE(n->CountTo(3, 0, 30, nullptr), 0u);
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        Frame(30);
        if (seen.empty() || seen.back() != n->GetValue())
            seen.push_back(n->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<int> { 1, 2, 3 }));

    ASSERT_NE(n->CountTo(-5, -4, 30, nullptr), 0u);
    seen.clear();
    for (int i = 0; i < 6; ++i) {
        Frame(30);
        if (seen.empty() || seen.back() != n->GetValue())
            seen.push_back(n->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<int> { -1, -5 }));
    ASSERT_NE(n->CountTo(0, -2147483647 - 1, 30, nullptr), 0u); // no overflow
    Frames(3, 30);
    EXPECT_EQ(n->GetValue(), 0);
}

TEST_F(ImageFonts, TwoCountsBothStepUntilStopped)
{
    ImageNumber* once = Digits();
    ImageNumber* twice = Digits();
    ASSERT_NE(once->CountTo(1000, 1, 30, nullptr), 0u);
    ASSERT_NE(twice->CountTo(1000, 1, 30, nullptr), 0u);
    ASSERT_NE(twice->CountTo(1000, 1, 30, nullptr), 0u);
    Frames(5, 30);
    EXPECT_GT(once->GetValue(), 0);
    EXPECT_EQ(twice->GetValue(), 2 * once->GetValue());
    twice->StopCounting();
    Frame(30);
    const int stopped = twice->GetValue();
    Frames(5, 30);
    EXPECT_EQ(twice->GetValue(), stopped);
    EXPECT_GT(once->GetValue(), stopped / 2);
}

} // namespace
