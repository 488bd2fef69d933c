// Canvases and sprites: the canvas's own pixel operations, and both kinds
// drawn through the paint module into the window's back buffer.

#include "HostFixture.h"

#include "engine/text/TextRenderer.h"

#include <cstring>
#include <set>
#include <utility>

using namespace engine;
using namespace objectstest;

namespace {

class Canvases : public HostEngine {
protected:
    CanvasObject* Canvas(int w, int h, uint32_t background)
    {
        CanvasObject* c = root->CreateCanvas(w, h, background);
        EXPECT_NE(c, nullptr);
        return c;
    }
    // The pixels the pen set, as (x, y) pairs.
    static std::set<std::pair<int, int>> Set(CanvasObject& c)
    {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < c.GetBufferHeight(); ++y)
            for (int x = 0; x < c.GetBufferWidth(); ++x)
                if (c.GetPixelAlpha(x, y) != 0)
                    out.insert({ x, y });
        return out;
    }
};

TEST_F(Canvases, CreateClearsToTheBackgroundOrToTransparent)
{
    CanvasObject* clear = Canvas(4, 2, kNoColourKey);
    for (int i = 0; i < 8 * 4; ++i)
        EXPECT_EQ(clear->GetPixels()[i], 0);
    CanvasObject* black = Canvas(4, 2, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(black->GetPixel(x, y), 0u);
            EXPECT_EQ(black->GetPixelAlpha(x, y), 255);
        }
    EXPECT_EQ(black->GetKind(), OBJKIND_CANVAS);
    EXPECT_EQ(black->GetWidth(), 4);
    EXPECT_EQ(black->GetHeight(), 2);
}

TEST_F(Canvases, MakePixelAndColourKey)
{
    const uint32_t red = CanvasObject::MakePixel(0x0000ff, kNoColourKey);
    uint8_t bytes[4];
    std::memcpy(bytes, &red, 4);
    EXPECT_EQ(bytes[0], 0); // blue
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 255); // red
    EXPECT_EQ(bytes[3], 255);
    EXPECT_EQ(CanvasObject::MakePixel(kNoColourKey, kNoColourKey) >> 24, 0u);

    CanvasObject* c = Canvas(3, 3, 0xffffff);
    c->SetPixel(1, 1, 0x123456);
    c->SetColourKey(0xffffff);
    EXPECT_EQ(Set(*c), (std::set<std::pair<int, int>> { { 1, 1 } }));
    EXPECT_EQ(c->GetPixel(1, 1), 0x123456u);
    // A resize rebuilds the record with the default key.
    c->ResizeBuffer(0, 10);
    EXPECT_EQ(c->GetBufferWidth(), 3);
    EXPECT_EQ(c->GetColourKey(), 0xffffffu);
    c->ResizeBuffer(6, 6);
    EXPECT_EQ(c->GetColourKey(), kNoColourKey);
    EXPECT_EQ(c->GetBufferWidth(), 6);
    EXPECT_EQ(c->GetPixel(2, 2), 0x123456u); // nearest sampling doubles the pixel
    EXPECT_EQ(c->GetPixel(3, 3), 0x123456u);
}

TEST_F(Canvases, LinesAndRectangles)
{
    using Pixels = std::set<std::pair<int, int>>;
    struct Case {
        int x0, y0, x1, y1;
        Pixels expected;
    } cases[] = {
        { 0, 0, 4, 2, { { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 } } },
        { 4, 2, 0, 0, { { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 } } },
        { 2, 0, 2, 3, { { 2, 0 }, { 2, 1 }, { 2, 2 }, { 2, 3 } } },
        { 0, 1, 2, 1, { { 0, 1 }, { 1, 1 }, { 2, 1 } } },
        { 0, 0, 2, 2, { { 0, 0 }, { 1, 1 } } }, // equal spans: y-major, far end left out
        { -3, 0, 1, 0, { { 0, 0 }, { 1, 0 } } }, // clipped
    };
    for (const Case& k : cases) {
        CanvasObject* c = Canvas(6, 6, kNoColourKey);
        c->SetPen(0x00ff00, 1.0);
        c->DrawLine(k.x0, k.y0, k.x1, k.y1);
        EXPECT_EQ(Set(*c), k.expected) << k.x0 << "," << k.y0 << " " << k.x1 << "," << k.y1;
    }
    CanvasObject* c = Canvas(6, 6, kNoColourKey);
    c->DrawRect(2, 0, 2, 5, true);
    EXPECT_TRUE(Set(*c).empty());
    c->DrawRect(4, 3, 1, 1, false);
    EXPECT_EQ(Set(*c).size(), 10u); // the outline of 4 x 3
    c->DrawRect(-5, -5, 50, 50, true);
    EXPECT_EQ(Set(*c).size(), 36u);
}

TEST_F(Canvases, TintDarkenInvert)
{
    CanvasObject* c = Canvas(2, 2, 0x808080);
    c->SetPixel(1, 0, kNoColourKey); // transparent: left alone
    c->Tint(0x0000ff, 1.0);
    EXPECT_EQ(c->GetPixel(0, 0), 0x0000feu); // 255 x 255 >> 8
    c->Tint(0, 0.0);
    EXPECT_EQ(c->GetPixel(0, 0), 0x0000fdu);
    c->Darken();
    EXPECT_EQ(c->GetPixel(0, 0), 0x00007eu);
    EXPECT_EQ(c->GetPixel(1, 0), kNoColourKey);
    c->InvertRect(0, 0, 1, 1);
    EXPECT_EQ(c->GetPixel(0, 0), 0xffff81u);
}

TEST_F(Canvases, ShortObjectGetsItsBottomPieceAtTheBottom)
{
    const PictureDesc top = MakePicture("top3", 8, 6, 0x0000ff);
    const PictureDesc middle = MakePicture("mid3", 8, 6, 0x00ff00);
    const PictureDesc bottom = MakePicture("bottom3", 8, 6, 0xff0000);
    CanvasObject* tall = Canvas(8, 20, kNoColourKey);
    tall->DrawVertical3(top, middle, bottom);
    EXPECT_EQ(tall->GetPixel(4, 0), 0x0000ffu);
    EXPECT_EQ(tall->GetPixel(4, 10), 0x00ff00u);
    EXPECT_EQ(tall->GetPixel(4, 19), 0xff0000u);

    // Shorter than top and bottom together: the top fills the upper half,
    // the bottom the rest down to the last row; nothing is left unpainted.
    CanvasObject* shortOne = Canvas(8, 9, kNoColourKey);
    shortOne->DrawVertical3(top, middle, bottom);
    EXPECT_EQ(shortOne->GetPixel(4, 0), 0x0000ffu);
    EXPECT_EQ(shortOne->GetPixel(4, 3), 0x0000ffu);
    EXPECT_EQ(shortOne->GetPixel(4, 4), 0xff0000u);
    EXPECT_EQ(shortOne->GetPixel(4, 8), 0xff0000u);
    EXPECT_EQ(shortOne->GetPixelAlpha(4, 8), 255);
}

TEST_F(Canvases, TextDrawsMeasuresAndWraps)
{
    CanvasObject* c = Canvas(120, 40, kNoColourKey);
    c->SetPen(0xffffff, 1.0);
    c->SetFont(16, 400, "宋体");
    EXPECT_GT(c->MeasureText("中文 Latin", 120), 0);
    c->DrawText(2, 2, "中文 Latin");
    EXPECT_FALSE(Set(*c).empty());

    // A long text ends in dots on its last visible line; no half character.
    CanvasObject* w = Canvas(60, 34, kNoColourKey);
    w->SetPen(0xffffff, 1.0);
    w->SetFont(12, 400, "宋体");
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "中";
    w->DrawWrappedText(text.c_str(), 0);
    EXPECT_FALSE(Set(*w).empty());
    w->DrawWrappedText(nullptr, 0); // nothing, no crash
}

// Centred and wrapped text take only 0x81-0xFE as lead bytes: a 0xFF byte
// is a half-width character alone.
TEST_F(Canvases, CentredAndWrappedTextTakeByteFFAsHalfWidth)
{
    auto make = [&] {
        CanvasObject* c = Canvas(12, 40, kNoColourKey);
        c->SetPen(0xffffff, 1.0);
        c->SetFont(12, 400, "宋体");
        return c;
    };
    auto same = [](CanvasObject* a, CanvasObject* b) {
        return std::memcmp(a->GetPixels(), b->GetPixels(), 12 * 40 * 4) == 0;
    };
    struct Centred {
        const char* text;
        int width;
    };
    for (const Centred& t : { Centred { "\xFF", 6 }, Centred { "a\xFF", 12 }, Centred { "\xFF" "a", 12 } }) {
        CanvasObject* centred = make();
        CanvasObject* placed = make();
        centred->DrawTextCentred(6, 20, t.text);
        placed->DrawText(6 - t.width / 2, 20 - 6, t.text);
        EXPECT_TRUE(same(centred, placed)) << testing::PrintToString(std::string(t.text));
    }

    // Twelve pixels hold "a" and 0xFF, so "b" starts the second line.
    CanvasObject* wrapped = make();
    CanvasObject* lines = make();
    wrapped->DrawWrappedText("a\xFF" "b", 0);
    lines->DrawTextCentred(6, 6, "a\xFF");
    lines->DrawTextCentred(6, 18, "b");
    EXPECT_TRUE(same(wrapped, lines));
}

TEST_F(Canvases, FittedTextIsCutAt255BytesOnACharacterBoundary)
{
    // "a" then two-byte characters: byte 255 is the first half of one, so
    // the text drawn is the first 254 bytes.
    std::string text = "a";
    while (text.size() < 300)
        text += "字";
    CanvasObject* full = Canvas(160, 40, kNoColourKey);
    CanvasObject* cut = Canvas(160, 40, kNoColourKey);
    for (CanvasObject* c : { full, cut }) {
        c->SetPen(0xffffff, 1.0);
        c->SetFont(12, 400, "宋体");
    }
    full->DrawFittedText(text, 0, 0, 0);
    cut->DrawFittedText(text.substr(0, 253), 0, 0, 0);
    EXPECT_EQ(full->Style().size, cut->Style().size);
    EXPECT_EQ(0, std::memcmp(full->GetPixels(), cut->GetPixels(), 160 * 40 * 4));
}

TEST_F(Canvases, CanvasAndRotatedFadedSpriteReachTheBackBuffer)
{
    // An opaque black ground, as a scene has: a faded picture blends with
    // what lies below it.
    CanvasObject* ground = Canvas(kWidth, kHeight, 0);
    ground->SetZ(-1e6);
    ground->MoveTo(kWidth / 2, kHeight / 2);
    ground->Show();
    ground->Invalidate();
    CanvasObject* c = Canvas(20, 10, 0x0000ff); // red
    c->MoveTo(30, 20);
    c->Show();
    c->Invalidate();
    Frame();
    // Opaque pixels blend at full weight: 255 x 255 >> 8 = 254.
    EXPECT_EQ(Pixel(30, 20), 0xfe0000u);
    EXPECT_EQ(Pixel(21, 16), 0xfe0000u);
    EXPECT_EQ(Pixel(19, 20), 0u);

    const PictureDesc green = MakePicture("green", 20, 20, 0x00ff00);
    SpriteObject* s = root->CreateSprite(green);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetKind(), OBJKIND_SPRITE);
    EXPECT_EQ(s->GetWidth(), 20);
    s->MoveTo(100, 80);
    s->Show();
    s->Invalidate();
    Frame();
    EXPECT_EQ(Pixel(100, 80), 0x00fe00u);
    EXPECT_EQ(Pixel(91, 71), 0x00fe00u);

    // Turned by 45 degrees: the corner is empty, the point beyond the old
    // edge on the axis is covered; at half opacity the green is halved.
    s->RotateTo(45);
    s->SetOpacity(0.5);
    s->Invalidate();
    Frame();

    EXPECT_EQ(Pixel(91, 71), 0u);
    const uint32_t centre = Pixel(100, 80);
    EXPECT_NEAR(static_cast<int>((centre >> 8) & 0xff), 127, 2);
    EXPECT_NE(Pixel(100, 67), 0u);
}

TEST_F(Canvases, BlitPictureIntoCanvas)
{
    const PictureDesc blue = MakePicture("blue", 4, 4, 0xff0000);
    CanvasObject* c = Canvas(10, 10, kNoColourKey);
    c->BlitPicture(blue, 2, 2, -1, -1, 0.0, 1.0);
    EXPECT_EQ(c->GetPixel(2, 2), 0xff0000u);
    EXPECT_EQ(c->GetPixel(5, 5), 0xff0000u);
    EXPECT_EQ(c->GetPixelAlpha(6, 6), 0);
    c->BlitPicture(blue, 0, 0, 0, 0, 0.0, 1.0); // the whole buffer
    EXPECT_EQ(c->GetPixelAlpha(9, 9), 255);
}

TEST_F(Canvases, SpriteFrameDelaysWrap)
{
    const PictureDesc anim = MakePicture("anim", 4, 4, 0xff, 4, 100);
    SpriteObject* s = root->CreateSprite(anim);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetFrameCount(), 4);
    EXPECT_EQ(s->SumFrameDelays(2, 1), 300u);
    EXPECT_EQ(s->SumFrameDelays(0, 4), 400u);
}

TEST_F(Canvases, ShadowOfTenByTenPicture)
{
    const PictureDesc pic = MakePicture("shadowed", 10, 10, 0xffffff);
    SpriteObject* s = root->CreateSprite(pic);
    ASSERT_NE(s, nullptr);
    s->MoveTo(50, 50);
    CanvasObject* shadow = root->CreateShadow(s);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetBufferWidth(), 12);
    EXPECT_EQ(shadow->GetBufferHeight(), 12);
    EXPECT_TRUE(s->HasChild(shadow->GetId()));
    EXPECT_LT(shadow->GetZ(), s->GetZ());
    // Black everywhere; inside fully dark, the corner blurred away.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(shadow->GetPixel(x, y), 0u);
    EXPECT_EQ(shadow->GetPixelAlpha(5, 5), 255);
    EXPECT_EQ(shadow->GetPixelAlpha(0, 0), 255 / 4);
    // The picture's last row and column reach the shadow as well.
    EXPECT_EQ(shadow->GetPixelAlpha(10, 10), 255 * 4 / 9);
    EXPECT_EQ(shadow->GetPixelAlpha(11, 11), 255 / 4);
}

} // namespace
