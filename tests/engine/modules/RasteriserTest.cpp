#include "engine/modules/Rasteriser.h"

#include "engine/core/EngineDailyLog.h"
#include "engine/modules/Blitters.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace engine;

// A 32-bit destination with pixels as words (0xAARRGGBB).
struct Surface {
    int width;
    int height;
    std::vector<uint32_t> words;

    Surface(int w, int h, uint32_t fill)
        : width(w)
        , height(h)
        , words(static_cast<size_t>(w) * h, fill)
    {
    }
    uint32_t& At(int x, int y) { return words[static_cast<size_t>(y) * width + x]; }
    DrawSurface Draw() { return DrawSurface { reinterpret_cast<uint8_t*>(words.data()), width, height, 4, kNoColourKey }; }
};

std::vector<uint8_t> Bytes(const std::vector<uint32_t>& words)
{
    std::vector<uint8_t> out(words.size() * 4);
    std::memcpy(out.data(), words.data(), out.size());
    return out;
}

PictureData Bgra(int w, int h, const std::vector<uint32_t>& pixels, uint32_t flags)
{
    PictureData p;
    p.frameWidth = static_cast<uint16_t>(w);
    p.frameHeight = static_cast<uint16_t>(h);
    p.frameCount = 1;
    p.flags = flags;
    p.colourKey = kNoColourKey;
    p.pixels = Bytes(pixels);
    return p;
}

// Indexed picture: entries are index, or index | alpha << 8 with an alpha
// plane. Palette entry i is (red i, green 2i, blue 3i).
PictureData Indexed(int w, int h, const std::vector<uint16_t>& pixels, bool alpha, uint32_t key)
{
    PictureData p;
    p.frameWidth = static_cast<uint16_t>(w);
    p.frameHeight = static_cast<uint16_t>(h);
    p.frameCount = 1;
    p.flags = kPicturePalette | (alpha ? kPictureAlpha : 0) | (key != kNoPaletteKey ? kPictureColourKey : 0);
    p.colourKey = key;
    for (uint16_t v : pixels) {
        p.pixels.push_back(static_cast<uint8_t>(v & 0xFF));
        if (alpha)
            p.pixels.push_back(static_cast<uint8_t>(v >> 8));
    }
    for (int i = 0; i < 256; ++i) {
        p.palette.push_back(static_cast<uint8_t>(i));
        p.palette.push_back(static_cast<uint8_t>(2 * i));
        p.palette.push_back(static_cast<uint8_t>(3 * i));
    }
    p.paletteCount = 256;
    return p;
}

uint32_t PaletteColour(int i) { return 0xFF000000u | (uint32_t(i & 0xFF) << 16) | (uint32_t((2 * i) & 0xFF) << 8) | ((3 * i) & 0xFF); }

// The blend written out channel by channel, independently of the code.
uint32_t Mix(uint32_t x, uint32_t y, uint32_t k)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t a = (x >> shift) & 255;
        uint32_t b = (y >> shift) & 255;
        out |= ((a * k + b * (255 - k)) >> 8) << shift;
    }
    return out;
}

// The full draw of one pixel with alpha onto another, written out.
uint32_t Over(uint32_t src, uint32_t dest)
{
    const uint32_t a = src >> 24;
    const uint32_t da = dest >> 24;
    if (a == 0)
        return dest;
    if (da == 0)
        return src;
    return Mix(src, dest, a) | (std::max(a, da) << 24);
}

// Draws a 1 x 1 picture unrotated at the surface's pixel (0, 0): its box
// starts (1 + 1) / 2 left of and above the centre.
uint32_t DrawOne(const PictureData& picture, uint32_t destPixel, double opacity, uint32_t matte, uint32_t flags = 0)
{
    Surface s(1, 1, destPixel);
    DrawRequest r;
    r.centreX = 1;
    r.centreY = 1;
    r.width = 1;
    r.height = 1;
    r.flags = flags;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, picture, 0, 0, 1, 1, opacity, matte);
    return s.At(0, 0);
}

TEST(Rasteriser, BlendTablesForPicturesWithAlpha)
{
    const uint32_t src = 0x00C86432; // blue 0x32, green 0x64, red 0xC8
    const uint32_t white = 0xFFFFFFFF;
    const uint32_t grey200 = 0xC8808080;
    const uint32_t whiteMatte128 = 0x80FFFFFF;
    const uint32_t matteWhite = 0xFFFFFF;
    struct Case {
        const char* name;
        uint32_t alpha;
        uint32_t dest;
        double opacity;
        uint32_t matte;
        uint32_t expected;
    };
    const Case cases[] = {
        { "alpha 128 onto alpha 0: colour copied, alpha 128", 128, 0x00123456, 1.0, kNoMatte, 0x80C86432 },
        { "alpha 128 onto alpha 200: blended, alpha kept", 128, grey200, 1.0, kNoMatte, Mix(src, grey200, 128) | 0xC8000000 },
        { "alpha 255 onto opaque white", 255, white, 1.0, kNoMatte, Mix(src, white, 255) | 0xFF000000 },
        { "alpha 0 never draws", 0, white, 1.0, kNoMatte, white },
        { "opacity 0 without a matte draws nothing", 200, white, 0.0, kNoMatte, white },
        { "negative opacity is a full draw", 200, white, -0.5, kNoMatte, Mix(src, white, 200) | 0xFF000000 },
        { "faded: weight (a x t) >> 8", 200, white, 0.5, kNoMatte, Mix(src, white, (200 * 127) >> 8) | 0xFF000000 },
        { "faded onto alpha 0: colour copied, alpha w", 200, 0x00000000, 0.5, kNoMatte, 0x00C86432 | (((200u * 127) >> 8) << 24) },
        { "matte: blended onto the matte, opaque", 200, 0x00000000, 1.0, matteWhite, Mix(src, 0xFFFFFF, 200) | 0xFF000000 },
        { "matte at opacity 0 still draws", 200, 0x00000000, 0.0, matteWhite, Mix(src, 0xFFFFFF, 200) | 0xFF000000 },
        { "32-bit matte threshold 128: alpha 128 does not pass", 128, 0x11111111, 1.0, whiteMatte128, 0x11111111 },
        { "32-bit matte threshold 128: alpha 129 passes", 129, 0x11111111, 1.0, whiteMatte128, Mix(src, 0xFFFFFF, 129) | 0xFF000000 },
        { "faded matte", 200, 0x11111111, 0.5, matteWhite, Mix(src, 0xFFFFFF, (200 * 127) >> 8) | 0xFF000000 },
        { "matte colour order: red low in the matte word", 255, 0, 1.0, 0x000000FF, Mix(src, 0xFF0000, 255) | 0xFF000000 },
    };
    for (const Case& c : cases) {
        PictureData p = Bgra(1, 1, { (c.alpha << 24) | src }, kPictureAlpha);
        EXPECT_EQ(DrawOne(p, c.dest, c.opacity, c.matte), c.expected) << c.name;
    }
}

TEST(Rasteriser, LongRowsBlendExactlyLikeSinglePixels)
{
    // Rows long enough for the vector paths, with every kind of pixel mixed:
    // source alpha 0, 255 and between; destination alpha 0, 255 and between.
    std::mt19937 rng(5);
    const int w = 77;
    const int h = 5;
    std::vector<uint32_t> src(static_cast<size_t>(w) * h);
    for (uint32_t& v : src) {
        uint32_t pick = rng() % 4;
        uint32_t a = pick == 0 ? 0 : pick == 1 ? 255 : rng() & 255;
        v = (a << 24) | (rng() & 0xFFFFFF);
    }
    Surface s(w, h, 0);
    for (uint32_t& v : s.words) {
        uint32_t pick = rng() % 3;
        uint32_t a = pick == 0 ? 0 : pick == 1 ? 255 : rng() & 255;
        v = (a << 24) | (rng() & 0xFFFFFF);
    }
    const std::vector<uint32_t> before = s.words;
    PictureData p = Bgra(w, h, src, kPictureAlpha);
    DrawRequest r;
    r.centreX = (w + 1) / 2;
    r.centreY = (h + 1) / 2;
    r.width = w;
    r.height = h;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, w, h, 1.0, kNoMatte);
    for (size_t i = 0; i < src.size(); ++i)
        ASSERT_EQ(s.words[i], Over(src[i], before[i])) << "pixel " << i;
}

// Draws `count` pixels of a one-row source from column sourceX to column
// destLeft of a one-row destination, full opacity, no matte.
void BlendRow(const std::vector<uint32_t>& source, int sourceX, int count, std::vector<uint32_t>& dest, int destLeft)
{
    BlitParams b;
    b.dest = reinterpret_cast<uint8_t*>(dest.data());
    b.destLeft = destLeft;
    b.destWidth = static_cast<int>(dest.size());
    b.destHeight = 1;
    b.clip = Rect { 0, 0, b.destWidth, 1 };
    b.source = reinterpret_cast<const uint8_t*>(source.data());
    b.sourceX = sourceX;
    b.rowLength = static_cast<int>(source.size());
    b.rowCount = 1;
    b.sourceWidth = count;
    b.sourceHeight = 1;
    BlitBgra(b);
}

// Opaque source pixels are drawn without the multiplications where a whole
// vector group is opaque; the results must not change. Every colour value
// 0..255 in every channel, onto destination pixels of alpha 0, 1, 255 and
// mixtures of transparent and not within one group.
TEST(Rasteriser, OpaqueRowsBlendExactlyLikeSinglePixels)
{
    std::mt19937 rng(11);
    std::vector<uint32_t> src(256);
    for (uint32_t i = 0; i < 256; ++i) // red: 37 is odd, so every value once
        src[i] = 0xFF000000u | (((37 * i) & 255) << 16) | ((255 - i) << 8) | i;
    struct Pattern {
        const char* name;
        uint32_t (*alpha)(uint32_t column, std::mt19937& rng);
    };
    const Pattern patterns[] = {
        { "all transparent", [](uint32_t, std::mt19937&) { return 0u; } },
        { "all alpha 1", [](uint32_t, std::mt19937&) { return 1u; } },
        { "all opaque", [](uint32_t, std::mt19937&) { return 255u; } },
        { "alternating 0 and 200", [](uint32_t c, std::mt19937&) { return c % 2 ? 200u : 0u; } },
        { "one transparent per group", [](uint32_t c, std::mt19937&) { return c % 8 == c / 8 % 8 ? 0u : 255u; } },
        { "random 0, 255 or any",
            [](uint32_t, std::mt19937& g) -> uint32_t {
                auto k = g() % 3;
                return k == 0 ? 0 : k == 1 ? 255 : g() & 255;
            } },
    };
    for (const Pattern& pattern : patterns) {
        std::vector<uint32_t> dest(256);
        for (uint32_t c = 0; c < 256; ++c)
            dest[c] = (pattern.alpha(c, rng) << 24) | (rng() & 0xFFFFFF);
        const std::vector<uint32_t> before = dest;
        BlendRow(src, 0, 256, dest, 0);
        for (size_t i = 0; i < 256; ++i)
            ASSERT_EQ(dest[i], Over(src[i], before[i])) << pattern.name << ", column " << i;
    }
}

// Opaque runs of every length up to five groups, at every pixel alignment in
// source and destination memory, whole or with one pixel that is not opaque
// (in every position): the eight-pixel groups, the four-pixel steps and the
// single-pixel tail must agree, and nothing outside the run may change.
TEST(Rasteriser, OpaqueRunsAtEveryOffsetAndLength)
{
    std::mt19937 rng(12);
    const uint32_t holeAlphas[] = { 0, 1, 128, 254 };
    int holes = 0;
    for (int length = 1; length <= 40; ++length)
        for (int start = 0; start < 8; ++start)
            for (int hole = -1; hole < length; ++hole) {
                std::vector<uint32_t> src(static_cast<size_t>(length) + 8);
                for (uint32_t& v : src)
                    v = 0xFF000000u | (rng() & 0xFFFFFF);
                if (hole >= 0)
                    src[static_cast<size_t>(start + hole)] = (holeAlphas[holes++ % 4] << 24) | (rng() & 0xFFFFFF);
                std::vector<uint32_t> dest(static_cast<size_t>(length) + 16);
                for (uint32_t& v : dest)
                    v = (rng() % 2 ? 0u : (rng() % 255 + 1) << 24) | (rng() & 0xFFFFFF);
                const std::vector<uint32_t> before = dest;
                const int destLeft = 8 - start;
                BlendRow(src, start, length, dest, destLeft);
                for (int x = 0; x < static_cast<int>(dest.size()); ++x) {
                    const bool inside = x >= destLeft && x < destLeft + length;
                    const uint32_t expected
                        = inside ? Over(src[static_cast<size_t>(x - destLeft + start)], before[x]) : before[x];
                    ASSERT_EQ(dest[x], expected)
                        << "length " << length << ", start " << start << ", hole " << hole << ", column " << x;
                }
            }
}

TEST(Rasteriser, IndexedAlphaMatteThresholds)
{
    const uint32_t white128 = 0x80FFFFFF;
    struct Case {
        const char* name;
        uint16_t pixel; // index | alpha << 8
        uint32_t matte;
        uint32_t expected;
    };
    const uint32_t dest = 0x22334455;
    const Case cases[] = {
        { "alpha 128 passes a threshold of 128 (indexed: >=)", 10 | (128 << 8), white128,
            Mix(PaletteColour(10), 0xFFFFFF, 128) | 0xFF000000 },
        { "alpha 127 does not", 10 | (127 << 8), white128, dest },
        { "threshold 0 leaves fully transparent pixels alone", 10, 0x00FFFFFF, dest },
        { "threshold 0 draws alpha 1", 10 | (1 << 8), 0x00FFFFFF, Mix(PaletteColour(10), 0xFFFFFF, 1) | 0xFF000000 },
        { "the key never draws", 7 | (255 << 8), white128, dest },
        { "no matte: composite", 10 | (255 << 8), kNoMatte, Mix(PaletteColour(10), dest, 255) | 0xFF000000 },
    };
    for (const Case& c : cases) {
        PictureData p = Indexed(1, 1, { c.pixel }, true, 7);
        EXPECT_EQ(DrawOne(p, dest, 1.0, c.matte), c.expected) << c.name;
    }
}

TEST(Rasteriser, PicturesWithoutAlphaPlane)
{
    const uint32_t white = 0xFFFFFFFF;
    const uint32_t s = 0xFF405060;
    struct Case {
        const char* name;
        PictureData picture;
        double opacity;
        uint32_t matte;
        uint32_t dest;
        uint32_t expected;
    };
    const Case cases[] = {
        { "opaque row copy keeps the alpha byte", Bgra(1, 1, { 0x7F405060 }, 0), 1.0, kNoMatte, white, 0x7F405060 },
        { "half opacity over white", Bgra(1, 1, { s }, 0), 0.5, kNoMatte, white, Mix(s, white, 127) | 0xFF000000 },
        { "keyed pixel (alpha 0) skipped", Bgra(1, 1, { 0x00405060 }, kPictureColourKey), 1.0, kNoMatte, white, white },
        { "keyed picture, opaque pixel copied whole", Bgra(1, 1, { s }, kPictureColourKey), 1.0, kNoMatte, 0, s },
        { "opacity 0 draws nothing", Bgra(1, 1, { s }, 0), 0.0, kNoMatte, white, white },
        { "faded matte", Bgra(1, 1, { s }, 0), 0.5, 0x000000FF, white, Mix(s, 0xFF0000, 127) | 0xFF000000 },
        { "faded matte below its threshold", Bgra(1, 1, { 0x80405060 }, 0), 0.5, 0x900000FF, white, white },
        { "matte unused at full opacity", Bgra(1, 1, { s }, kPictureColourKey), 1.0, 0x000000FF, white, s },
        { "indexed copied with alpha 255", Indexed(1, 1, { 20 }, false, 7), 1.0, kNoMatte, 0, PaletteColour(20) },
        { "indexed key skipped", Indexed(1, 1, { 7 }, false, 7), 1.0, kNoMatte, white, white },
        { "indexed faded", Indexed(1, 1, { 20 }, false, 7), 0.25, kNoMatte, white,
            Mix(PaletteColour(20), white, 63) | 0xFF000000 },
        { "indexed faded matte", Indexed(1, 1, { 20 }, false, 7), 0.25, 0x00FF0000, white,
            Mix(PaletteColour(20), 0x0000FF, 63) | 0xFF000000 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(DrawOne(c.picture, c.dest, c.opacity, c.matte), c.expected) << c.name;
}

TEST(Rasteriser, MaskedDrawsOnlyOntoOpaquePixelsAndKeepsAlpha)
{
    PictureData p = Bgra(1, 1, { 0x80C86432 }, kPictureAlpha);
    EXPECT_EQ(DrawOne(p, 0xFE808080, 1.0, kNoMatte, DrawFlags::kMask), 0xFE808080u);
    EXPECT_EQ(DrawOne(p, 0xFF808080, 1.0, kNoMatte, DrawFlags::kMask), Mix(0xC86432, 0x808080, 128) | 0xFF000000);
    PictureData q = Indexed(1, 1, { 10 | (200 << 8) }, true, kNoPaletteKey);
    EXPECT_EQ(DrawOne(q, 0x00808080, 1.0, kNoMatte, DrawFlags::kMask), 0x00808080u);
    EXPECT_EQ(DrawOne(q, 0xFF808080, 0.5, kNoMatte, DrawFlags::kMask),
        Mix(PaletteColour(10), 0x808080, (200 * 127) >> 8) | 0xFF000000);
    // Pictures without an alpha plane ignore the mask.
    PictureData r = Bgra(1, 1, { 0xFF010203 }, 0);
    EXPECT_EQ(DrawOne(r, 0x00808080, 1.0, kNoMatte, DrawFlags::kMask), 0xFF010203u);
}

TEST(Rasteriser, PlacementAndClipOfUnrotatedDraws)
{
    // 3 x 2 picture centred at (5, 5): box left 5 - 2 = 3, top 5 - 1 = 4.
    std::vector<uint32_t> px;
    for (uint32_t i = 0; i < 6; ++i)
        px.push_back(0xFF000000 | (i + 1));
    PictureData p = Bgra(3, 2, px, 0);
    Surface s(10, 10, 0);
    DrawRequest r;
    r.centreX = 5;
    r.centreY = 5;
    r.width = 3;
    r.height = 2;
    r.flags = DrawFlags::kClip;
    r.objectX = 5;
    r.objectY = 5;
    r.clip = Rect { 4, 4, 10, 5 }; // cuts the first column and the second row
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, 3, 2, 1.0, kNoMatte);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            uint32_t expected = 0;
            if (y == 4 && x == 4)
                expected = px[1];
            if (y == 4 && x == 5)
                expected = px[2];
            EXPECT_EQ(s.At(x, y), expected) << x << "," << y;
        }
    Rect b = RequestBounds(r);
    EXPECT_EQ(b, (Rect { 3, 4, 6, 6 }));
}

TEST(Rasteriser, InvertFlipsOnlyOpaquePixelsInsideTheClip)
{
    // 4 x 4, the left column transparent.
    std::vector<uint32_t> px(16, 0xFF000000);
    for (int y = 0; y < 4; ++y)
        px[static_cast<size_t>(y) * 4] = 0;
    PictureData p = Bgra(4, 4, px, kPictureColourKey);
    Surface s(12, 12, 0x40102030);
    DrawRequest r;
    r.centreX = 6;
    r.centreY = 6;
    r.width = 4;
    r.height = 4;
    r.flags = DrawFlags::kInvert | DrawFlags::kClip;
    r.objectX = 6;
    r.objectY = 6;
    r.clip = Rect { 0, 0, 7, 12 };
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, 4, 4, 1.0, kNoMatte);
    // At angle 0 the x1024 walk maps destination (6 + u, 6 - v) to source
    // (2 + u, 2 + ...): source columns 1..3 land on x 5..7, the clip ends at 7.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            bool flipped = y >= 4 && y < 8 && x >= 5 && x < 7;
            EXPECT_EQ(s.At(x, y), flipped ? 0xFFEFDFCFu : 0x40102030u) << x << "," << y;
        }
    // Opacity 0 turns a 32-bit invert off.
    Surface t(12, 12, 0x40102030);
    DrawSurface dt = t.Draw();
    DrawPicture(dt, r, p, 0, 0, 4, 4, 0.0, kNoMatte);
    EXPECT_EQ(t.At(6, 6), 0x40102030u);
}

TEST(Rasteriser, RotationTermsAndRadius)
{
    struct Case {
        double angle;
        int scale;
        int c;
        int s;
    };
    const Case cases[] = {
        { 0.0, 1024, 1024, 0 },
        { 90.0, 1024, 0, 1024 },
        { 180.0, 1024, -1024, 0 },
        { 270.0, 1024, 0, -1024 },
        { 45.0, 1024, 724, 724 },
        { 360.0, 1024, 1023, 0 },
        { 90.0, 65536, 0, 65536 },
        { 270.0, 65536, 0, -65536 },
    };
    for (const Case& k : cases) {
        int c, s;
        RotationTerms(k.angle, k.scale, c, s);
        EXPECT_EQ(c, k.c) << k.angle;
        EXPECT_EQ(s, k.s) << k.angle;
    }
    EXPECT_EQ(RotationRadius(40, 30), 25);
    EXPECT_EQ(RotationRadius(0, 30), 0);
    DrawRequest r;
    r.angle = 10.0;
    r.centreX = 100;
    r.centreY = 50;
    r.width = 40;
    r.height = 30;
    EXPECT_EQ(RequestBounds(r), (Rect { 75, 25, 125, 75 }));
    EXPECT_EQ(r.radius, 25);
}

// A w x h picture whose pixel (x, y) is 0xFF000000 | y << 8 | x.
PictureData Coordinates(int w, int h, uint32_t flags)
{
    std::vector<uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px.push_back(0xFF000000u | (uint32_t(y) << 8) | uint32_t(x));
    return Bgra(w, h, px, flags);
}

TEST(Rasteriser, SpecialAnglesMapExactly)
{
    // 40 x 30: r = 25, centre (hw, hh) = (20, 15).
    PictureData p = Coordinates(40, 30, 0);
    struct Case {
        double angle;
        int dx; // destination offset from the centre
        int dy;
        int sx; // expected source pixel
        int sy;
    };
    const Case cases[] = {
        { 90.0, 10, 0, 20, 25 }, // 10 right of the centre shows 10 below the source centre
        { 90.0, 0, -10, 30, 15 },
        { 180.0, 10, 0, 10, 15 },
        { 180.0, 0, 5, 20, 10 },
        { 270.0, 10, 0, 20, 5 },
        { 270.0, 0, -10, 10, 15 },
    };
    for (const Case& c : cases) {
        Surface s(100, 100, 0);
        DrawRequest r;
        r.angle = c.angle;
        r.centreX = 50;
        r.centreY = 50;
        r.width = 40;
        r.height = 30;
        DrawSurface d = s.Draw();
        DrawPicture(d, r, p, 0, 0, 40, 30, 1.0, kNoMatte);
        EXPECT_EQ(s.At(50 + c.dx, 50 + c.dy), 0xFF000000u | (uint32_t(c.sy) << 8) | uint32_t(c.sx))
            << c.angle << " at " << c.dx << "," << c.dy;
    }
}

// The rotating members work out each row's run of source pixels; this walks
// every pixel of the square with the mapping written out, for random sizes,
// angles, source rectangles and clips.
TEST(Rasteriser, RotatedRunsMatchThePerPixelMapping)
{
    std::mt19937 rng(99);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int iteration = 0; iteration < 300; ++iteration) {
        // Up to 70 wide: squares of several 32-pixel tiles.
        const int pw = uni(1, 70);
        const int ph = uni(1, 50);
        PictureData p = Coordinates(pw + 3, ph + 2, 0);
        BlitParams b;
        const int dw = 110;
        const int dh = 100;
        b.destWidth = dw;
        b.destHeight = dh;
        b.clip = Rect { uni(-5, 30), uni(-5, 30), uni(20, 115), uni(20, 105) };
        b.source = p.pixels.data();
        b.sourceX = uni(0, 3);
        b.sourceY = uni(0, 2);
        b.rowLength = pw + 3;
        b.rowCount = ph + 2;
        b.sourceWidth = pw;
        b.sourceHeight = ph;
        const double angles[] = { 90.0, 180.0, 270.0, 45.0, 360.0, 0.0 };
        b.angle = uni(0, 1) ? angles[uni(0, 5)] : std::uniform_real_distribution<double>(-400, 400)(rng);
        b.opacity = 1.0;
        b.destLeft = uni(-20, 40);
        b.destTop = uni(-20, 40);
        const int r = RotationRadius(pw, ph);
        const Rect clip { std::max(b.clip.left, 0), std::max(b.clip.top, 0), std::min(b.clip.right, dw),
            std::min(b.clip.bottom, dh) };
        auto inClip = [&](long long x, long long y) {
            return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        };

        // x1024, nearest: every covered pixel shows its source pixel.
        Surface got(dw, dh, 0);
        b.dest = reinterpret_cast<uint8_t*>(got.words.data());
        RotateBgraOpaque(b);
        Surface want(dw, dh, 0);
        int c, s;
        RotationTerms(b.angle, 1024, c, s);
        for (int dy = 0; dy < 2 * r; ++dy)
            for (int dx = 0; dx < 2 * r; ++dx) {
                const long long u = dx - r;
                const long long v = r - dy;
                const long long sx = (pw + 1) / 2 + ((u * c + v * s) >> 10);
                const long long sy = (ph + 1) / 2 - ((v * c - u * s) >> 10);
                if (sx < 0 || sx >= pw || sy < 0 || sy >= ph || !inClip(b.destLeft + dx, b.destTop + dy))
                    continue;
                want.At(b.destLeft + dx, b.destTop + dy)
                    = 0xFF000000u | (uint32_t(b.sourceY + sy) << 8) | uint32_t(b.sourceX + sx);
            }
        ASSERT_EQ(got.words, want.words) << "x1024, iteration " << iteration << ", angle " << b.angle;

        // 16.16: the covered set (a uniform picture, so every covered pixel
        // has the same value).
        PictureData flat = Bgra(pw + 3, ph + 2, std::vector<uint32_t>(static_cast<size_t>(pw + 3) * (ph + 2), 0xFF406080), 0);
        b.source = flat.pixels.data();
        Surface gotPrecise(dw, dh, 0);
        b.dest = reinterpret_cast<uint8_t*>(gotPrecise.words.data());
        RotatePreciseBgra(b);
        Surface wantPrecise(dw, dh, 0);
        RotationTerms(b.angle, 65536, c, s);
        for (int dy = 0; dy < 2 * r; ++dy)
            for (int dx = 0; dx < 2 * r; ++dx) {
                const long long u = dx - r;
                const long long v = r - dy;
                const long long fx = (pw + 1) * 32768LL + u * c + v * s;
                const long long fy = (ph + 1) * 32768LL - (v * c - u * s);
                const long long sx = fx >> 16;
                const long long sy = fy >> 16;
                if (sx < 0 || sx >= pw || sy < 0 || sy >= ph || !inClip(b.destLeft + dx, b.destTop + dy))
                    continue;
                wantPrecise.At(b.destLeft + dx, b.destTop + dy) = 0xFE406080u;
            }
        ASSERT_EQ(gotPrecise.words, wantPrecise.words) << "16.16, iteration " << iteration << ", angle " << b.angle;
    }
}

TEST(Rasteriser, UnrotatedThresholdDiffersByFormat)
{
    // Without an alpha plane, 0.5 degrees is unrotated: a plain copy.
    PictureData plain = Indexed(3, 3, { 1, 2, 3, 4, 5, 6, 8, 9, 10 }, false, kNoPaletteKey);
    Surface a(9, 9, 0xFF000000);
    DrawRequest r;
    r.angle = 0.5;
    r.centreX = 4;
    r.centreY = 4;
    r.width = 3;
    r.height = 3;
    r.flags = DrawFlags::kPrecise;
    DrawSurface da = a.Draw();
    DrawPicture(da, r, plain, 0, 0, 3, 3, 1.0, kNoMatte);
    EXPECT_EQ(a.At(2, 2), PaletteColour(1)); // box left 4 - (3 + 1) / 2 = 2
    EXPECT_EQ(a.At(4, 4), PaletteColour(10));

    // With an alpha plane it is rotated: the precise member blends an opaque
    // pixel with weight (255 x 255) >> 8 = 254 instead of copying it (the
    // centre pixel is on the border: sampled alone).
    PictureData withAlpha = Bgra(3, 3, std::vector<uint32_t>(9, 0xFF0000FF), kPictureAlpha);
    Surface b(9, 9, 0xFF000000);
    DrawRequest q = r;
    q.radius = 0;
    DrawSurface db = b.Draw();
    DrawPicture(db, q, withAlpha, 0, 0, 3, 3, 1.0, kNoMatte);
    EXPECT_EQ(b.At(4, 4), 0xFF0000FDu); // (255 x 254) >> 8
    EXPECT_EQ(q.radius, 2);
}

TEST(Rasteriser, SlightlyTurnedPicturesWithoutAlphaStayInTheirBox)
{
    // 4 x 10 at 0.5 degrees draws unrotated, in its own centred box (left
    // 10 - 2, top 10 - 5), not at the corner of the turning square (radius
    // 5), which would shift it three pixels left.
    std::vector<uint32_t> px(40, 0xFF00FF00);
    px[0] = 0xFF0000FF;
    PictureData p = Bgra(4, 10, px, 0);
    Surface s(20, 20, 0);
    DrawRequest r;
    r.angle = 0.5;
    r.centreX = 10;
    r.centreY = 10;
    r.width = 4;
    r.height = 10;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, 4, 10, 1.0, kNoMatte);
    EXPECT_EQ(s.At(8, 5), 0xFF0000FFu);
    EXPECT_EQ(s.At(11, 14), 0xFF00FF00u);
    EXPECT_EQ(s.At(7, 5), 0u);
    EXPECT_EQ(s.At(12, 14), 0u);
}

TEST(Rasteriser, PreciseOpacityAboveOneIsFull)
{
    // The opacity byte is held at 255 rather than wrapping (1.5 x 255 would
    // give the byte 126).
    PictureData p = Coordinates(6, 6, kPictureAlpha);
    auto draw = [&](double opacity) {
        Surface s(12, 12, 0xFF808080);
        DrawRequest r;
        r.angle = 20.0;
        r.centreX = 6;
        r.centreY = 6;
        r.width = 6;
        r.height = 6;
        r.flags = DrawFlags::kPrecise;
        DrawSurface d = s.Draw();
        DrawPicture(d, r, p, 0, 0, 6, 6, opacity, kNoMatte);
        return s.words;
    };
    EXPECT_EQ(draw(1.5), draw(1.0));
    EXPECT_NE(draw(0.5), draw(1.0));
    EXPECT_EQ(draw(-0.5), draw(0.0));
}

TEST(Rasteriser, NegativeDestinationNeverDrawn)
{
    PictureData p = Coordinates(20, 20, kPictureAlpha);
    Surface s(30, 30, 0);
    DrawRequest r;
    r.angle = 30.0;
    r.centreX = 2;
    r.centreY = 2;
    r.width = 20;
    r.height = 20;
    r.flags = DrawFlags::kClip;
    r.objectX = 2;
    r.objectY = 2;
    r.clip = Rect { -50, -50, 50, 50 };
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, 20, 20, 1.0, kNoMatte);
    // Something was drawn at the corner, and ASan would see a write before
    // the buffer.
    EXPECT_NE(s.At(0, 0), 0u);
}

TEST(Rasteriser, PreciseBlendAndSampling)
{
    uint32_t d = 0xFFC8C8C8;
    BlendPrecisePixel(reinterpret_cast<uint8_t*>(&d), 0x00FFFFFF, 255);
    EXPECT_EQ(d, 0xFFC7C7C7u);
    // A faint pixel over an opaque one keeps the destination opaque.
    d = 0xFF000000;
    BlendPrecisePixel(reinterpret_cast<uint8_t*>(&d), 0x80FFFFFF, 255);
    EXPECT_EQ(d, 0xFF000000u | Mix(0xFFFFFF, 0, 127));
    d = 0x00123456;
    BlendPrecisePixel(reinterpret_cast<uint8_t*>(&d), 0x80ABCDEF, 128);
    EXPECT_EQ(d, 0x40ABCDEFu);

    std::vector<uint32_t> px = { 0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000 };
    SourceRecord rec { reinterpret_cast<const uint8_t*>(px.data()), 2, 2, 4, 0 };
    EXPECT_EQ(SampleEdge(rec, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(SampleEdge(rec, 2, 1), 0x00FF0000u);
    EXPECT_EQ(SampleEdge(rec, -1, 0), 0x00000000u);
    EXPECT_EQ(SampleClamped16(rec, -1, 0), 0x00000000u);
    EXPECT_EQ(SampleClamped16(rec, 0x10000, 0x1FFFF), 0xFFFF0000u);
    EXPECT_EQ(SampleClamped16(rec, 0x20000, 0), 0x000000FFu);
    // Half way in both directions: each of the four weighs 64.
    EXPECT_EQ(SampleBilinear16(rec, 0x8000, 0x8000), 0xFF3F3F3Fu);
    // A quarter across: weights 192 and 64 on the top row.
    EXPECT_EQ(SampleBilinear16(rec, 0x4000, 0), 0xFF00003Fu);
}

TEST(Rasteriser, PreciseRotationSamplesBilinearInsideAndNearestOnTheBorder)
{
    // At angle 0 the 16.16 centre of a 4-wide picture is 2.5, so destination
    // (1 + dx, 1 + dy) samples source (dx + 0.5, dy + 0.5): interior pixels
    // mix a 2 x 2 block with weights of 64 each; border pixels are single.
    std::vector<uint32_t> px;
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            px.push_back(0xFF000000u | ((y * 50) << 8) | (x * 50));
    PictureData p = Bgra(4, 4, px, kPictureAlpha);
    Surface s(8, 8, 0xFF000000);
    BlitParams b;
    b.dest = reinterpret_cast<uint8_t*>(s.words.data());
    b.destWidth = 8;
    b.destHeight = 8;
    b.clip = Rect { 0, 0, 8, 8 };
    b.source = p.pixels.data();
    b.rowLength = b.sourceWidth = 4;
    b.rowCount = b.sourceHeight = 4;
    b.angle = 0.0;
    b.opacity = 1.0;
    b.destLeft = 1; // r = 2: the 4 x 4 square at (1, 1)
    b.destTop = 1;
    RotatePreciseBgra(b);
    // Opaque colours blend with weight (255 x 255) >> 8 = 254 over black.
    auto expect = [&](int x, int y, uint32_t colour) {
        EXPECT_EQ(s.At(x, y), Mix(colour, 0, 254) | 0xFF000000) << x << "," << y;
    };
    expect(2, 2, 0x4B4B); // (50 + 100 + 50 + 100) x 64 >> 8 = 75 per channel
    expect(3, 3, 0x7D7D); // (100 + 150 + 100 + 150) x 64 >> 8 = 125
    expect(1, 1, 0);      // border: pixel (0, 0) alone
    expect(4, 2, 0x3296); // border column: pixel (3, 1) alone
    EXPECT_EQ(s.At(0, 0), 0xFF000000u);
}

TEST(Rasteriser, ScalingSteps)
{
    // 32-bit nearest, 100 -> 50: step 2068, columns 0, 2, 4, ..., 99 last.
    PictureData p = Coordinates(100, 1, 0);
    std::vector<uint8_t> out = ScaleBgraNearest(p.pixels.data(), 100, 1, 0, 0, 100, 1, 50, 1);
    ASSERT_EQ(out.size(), 200u);
    auto column = [&](int j) { return out[static_cast<size_t>(j) * 4]; };
    EXPECT_EQ(column(0), 0);
    EXPECT_EQ(column(1), 2);
    EXPECT_EQ(column(2), 4);
    EXPECT_EQ(column(49), 99);

    // Enlarging and shrinking in both directions from a rectangle inside a
    // larger picture, every pixel against the rule.
    PictureData grid = Coordinates(12, 10, 0);
    for (auto [dw, dh] : { std::pair { 9, 7 }, std::pair { 3, 2 }, std::pair { 5, 4 }, std::pair { 1, 6 } }) {
        std::vector<uint8_t> scaled = ScaleBgraNearest(grid.pixels.data(), 12, 10, 2, 3, 5, 4, dw, dh);
        ASSERT_EQ(scaled.size(), static_cast<size_t>(dw) * dh * 4);
        const long long stepX = dw > 1 ? (4LL << 10) / (dw - 1) : 0;
        const long long stepY = dh > 1 ? (3LL << 10) / (dh - 1) : 0;
        for (int i = 0; i < dh; ++i)
            for (int j = 0; j < dw; ++j) {
                const long long x = 2 + std::min((j * stepX + 512) >> 10, 4LL);
                const long long y = 3 + std::min((i * stepY + 512) >> 10, 3LL);
                uint32_t v;
                std::memcpy(&v, scaled.data() + (static_cast<size_t>(i) * dw + j) * 4, 4);
                EXPECT_EQ(v, 0xFF000000u | uint32_t(y) << 8 | uint32_t(x)) << dw << "x" << dh << " at " << j << "," << i;
            }
    }

    std::vector<uint8_t> idx(100);
    for (int i = 0; i < 100; ++i)
        idx[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    std::vector<uint8_t> half = ScaleIndexedNearest(idx.data(), 100, 1, 0, 0, 100, 1, 50, 1, kPicturePalette);
    ASSERT_EQ(half.size(), 50u);
    EXPECT_EQ(half[0], 0);
    EXPECT_EQ(half[1], 2);
    EXPECT_EQ(half[49], 98);

    EXPECT_TRUE(ResampleNearest(p.pixels.data(), 100, 1, 0, 0, 100, 1, 0, 1).empty());
    EXPECT_TRUE(ResampleNearest(p.pixels.data(), 100, 1, 0, 0, 100, 1, 5, 0).empty());
    std::vector<uint8_t> same = ResampleNearest(p.pixels.data(), 100, 1, 10, 0, 5, 1, 5, 1);
    ASSERT_EQ(same.size(), 20u);
    EXPECT_EQ(same[0], 10);
    EXPECT_EQ(same[16], 14);
}

TEST(Rasteriser, BilinearScalingAtTheEdges)
{
    // 3 x 3 source scaled to 5 x 5: step 0x8000. Border pixels are nearest,
    // interior ones mix; a source rectangle inside a larger picture samples
    // neighbours from outside the rectangle only in the interior mixes.
    std::vector<uint32_t> px = {
        0xFF000000, 0xFF000040, 0xFF000080, //
        0xFF004000, 0xFF004040, 0xFF004080, //
        0xFF008000, 0xFF008040, 0xFF008080,
    };
    PictureData p = Bgra(3, 3, px, kPictureAlpha);
    std::vector<uint8_t> out = ScaleBgraBilinear(p.pixels.data(), 3, 3, 0, 0, 3, 3, 5, 5);
    ASSERT_EQ(out.size(), 100u);
    auto at = [&](int x, int y) {
        uint32_t v;
        std::memcpy(&v, out.data() + (static_cast<size_t>(y) * 5 + x) * 4, 4);
        return v;
    };
    EXPECT_EQ(at(0, 0), 0xFF000000u);
    EXPECT_EQ(at(4, 4), 0xFF008080u);
    EXPECT_EQ(at(4, 0), 0xFF000080u);
    EXPECT_EQ(at(1, 0), 0xFF000000u); // border row: the pixel at the floor
    EXPECT_EQ(at(1, 1), 0xFF000000u); // column 0.5 is still in border column 0
    EXPECT_EQ(at(3, 1), 0xFF000040u); // row 0.5 is in border row 0
    EXPECT_EQ(at(2, 2), 0xFF004040u); // exactly on pixel (1, 1)
    EXPECT_EQ(at(3, 3), 0xFF006060u); // (1.5, 1.5): all four weigh 64
}

TEST(Rasteriser, ScaledDrawsUseTheRequestSize)
{
    PictureData p = Coordinates(4, 4, 0);
    Surface s(20, 20, 0);
    DrawRequest r;
    r.centreX = 10;
    r.centreY = 10;
    r.width = 8;
    r.height = 8;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, 4, 4, 1.0, kNoMatte);
    // Box (6, 6)-(14, 14); nearest step (3 << 10) / 7 = 438.
    EXPECT_EQ(s.At(6, 6), 0xFF000000u);
    EXPECT_EQ(s.At(13, 13), 0xFF000303u);
    EXPECT_EQ(s.At(5, 6), 0u);
    EXPECT_EQ(s.At(14, 13), 0u);
    // Size 0 needs a scaled copy that is empty: nothing drawn.
    r.width = 0;
    Surface t(20, 20, 0);
    DrawSurface dt = t.Draw();
    DrawPicture(dt, r, p, 0, 0, 4, 4, 1.0, kNoMatte);
    EXPECT_EQ(t.words, std::vector<uint32_t>(400, 0));
}

TEST(Rasteriser, CutSourceWithAlphaPlaneIsDrawnAtItsPlace)
{
    // Asking for 4 columns from x 2 of a 4-wide picture cuts to 2; the two
    // columns land where they would have in the full-width draw.
    PictureData p = Coordinates(4, 2, kPictureAlpha);
    Surface s(10, 10, 0);
    DrawRequest r;
    r.centreX = 5;
    r.centreY = 5;
    r.width = 4;
    r.height = 2;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 2, 0, 4, 2, 1.0, kNoMatte);
    EXPECT_EQ(s.At(3, 4), 0xFF000002u);
    EXPECT_EQ(s.At(4, 5), 0xFF000103u);
    EXPECT_EQ(s.At(5, 4), 0u);
    // A rectangle that starts outside the picture draws nothing.
    Surface t(10, 10, 0);
    DrawSurface dt = t.Draw();
    DrawPicture(dt, r, p, 4, 0, 4, 2, 1.0, kNoMatte);
    DrawPicture(dt, r, p, -1, 0, 4, 2, 1.0, kNoMatte);
    DrawPicture(dt, r, p, 0, 3, 4, 2, 1.0, kNoMatte);
    EXPECT_EQ(t.words, std::vector<uint32_t>(100, 0));
}

TEST(Rasteriser, FramesBeyond65535RowsAreReachable)
{
    PictureData p = Coordinates(1, 40000, 0);
    p.frameHeight = 40000;
    p.frameCount = 2; // 80000 rows
    p.pixels.resize(p.pixels.size() * 2, 0xFF); // 80000 rows, all white
    Surface s(3, 3, 0);
    DrawRequest r;
    r.centreX = 1;
    r.centreY = 1;
    r.width = 1;
    r.height = 1;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 70000, 1, 1, 1.0, kNoMatte);
    EXPECT_EQ(s.At(0, 0), 0xFFFFFFFFu);
    // A pixel block shorter than the frames say cuts the strip.
    p.pixels.resize(4 * 100);
    s.At(0, 0) = 0;
    DrawPicture(d, r, p, 0, 150, 1, 1, 1.0, kNoMatte);
    EXPECT_EQ(s.At(0, 0), 0u);
    DrawPicture(d, r, p, 0, 99, 1, 1, 1.0, kNoMatte);
    EXPECT_EQ(s.At(0, 0), 0xFF006300u);
}

TEST(Rasteriser, IndexedWithoutPaletteLogsAndDrawsNothing)
{
    std::vector<std::string> lines;
    SetEngineDailyLogSink([&](const std::string& line) { lines.push_back(line); });
    PictureData p = Indexed(1, 1, { 3 }, false, kNoPaletteKey);
    p.palette.clear();
    EXPECT_EQ(DrawOne(p, 0x12345678, 1.0, kNoMatte), 0x12345678u);
    SetEngineDailyLogSink(nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("256color pic without rgbquad!"), std::string::npos);
}

TEST(Rasteriser, RotatedAlphaPicturesAtOpacityZeroDrawNothing)
{
    PictureData p = Coordinates(10, 10, kPictureAlpha);
    Surface s(20, 20, 0xFF808080);
    DrawRequest r;
    r.angle = 30.0;
    r.centreX = 10;
    r.centreY = 10;
    r.width = 10;
    r.height = 10;
    DrawSurface d = s.Draw();
    DrawPicture(d, r, p, 0, 0, 10, 10, 0.0, kNoMatte);
    EXPECT_EQ(s.words, std::vector<uint32_t>(400, 0xFF808080));
}

TEST(Rasteriser, PreciseIndexedKeyIsTransparentInMixes)
{
    // 4 x 4 of index 20 with the key at (2, 2). Destination (1 + dx, 1 + dy)
    // mixes the block at (dx, dy) half and half (see above).
    std::vector<uint16_t> px(16, 20);
    px[10] = 7;
    PictureData p = Indexed(4, 4, px, false, 7);
    Surface s(8, 8, 0x00000000);
    BlitParams b;
    b.dest = reinterpret_cast<uint8_t*>(s.words.data());
    b.destWidth = b.destHeight = 8;
    b.clip = Rect { 0, 0, 8, 8 };
    b.source = p.pixels.data();
    b.rowLength = b.sourceWidth = 4;
    b.rowCount = b.sourceHeight = 4;
    b.colourKey = 7;
    b.palette = p.palette.data();
    b.paletteCount = 256;
    b.opacity = 1.0;
    b.destLeft = b.destTop = 1;
    RotatePreciseIndexed(b);
    // Block (2, 2) starts with the key: skipped.
    EXPECT_EQ(s.At(3, 3), 0u);
    // Block (1, 1) has the key bottom right: three quarters opaque,
    // alpha (255 x 192) >> 8 = 191, then (255 x 191) >> 8 = 190.
    EXPECT_EQ(s.At(2, 2) >> 24, 190u);
    // Block (1, 2) has the key top right.
    EXPECT_EQ(s.At(2, 3) >> 24, 190u);
    EXPECT_EQ(s.At(2, 1) >> 24, 254u); // border row: pixel (1, 0) alone
}

// Every blitter, every format, random placements, angles, scales and clips:
// nothing outside the clip box (or outside the buffer: guard words around
// it, and AddressSanitizer) is ever written.
TEST(Rasteriser, RandomDrawsStayInsideTheClip)
{
    std::mt19937 rng(20261210);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const double specialAngles[] = { 0.0, 0.5, -0.7, 1.0, 45.0, 90.0, 180.0, 270.0, 360.0, -30.0, 1000.0 };
    const uint32_t guard = 0xDEADBEEF;
    const int kGuard = 64;
    for (int iteration = 0; iteration < 4000; ++iteration) {
        const int pw = uni(1, 24);
        const int ph = uni(1, 24);
        const int format = uni(0, 3); // 32-bit, 32-bit with alpha, indexed, indexed with alpha
        PictureData p;
        if (format < 2) {
            std::vector<uint32_t> px(static_cast<size_t>(pw) * ph);
            for (uint32_t& v : px)
                v = static_cast<uint32_t>(rng());
            p = Bgra(pw, ph, px, (format == 1 ? kPictureAlpha : 0) | (uni(0, 1) ? kPictureColourKey : 0));
        } else {
            std::vector<uint16_t> px(static_cast<size_t>(pw) * ph);
            for (uint16_t& v : px)
                v = static_cast<uint16_t>(rng());
            p = Indexed(pw, ph, px, format == 3, uni(0, 1) ? static_cast<uint32_t>(uni(0, 255)) : kNoPaletteKey);
            if (uni(0, 3) == 0) {
                p.paletteCount = static_cast<uint16_t>(uni(1, 40));
                p.palette.resize(static_cast<size_t>(p.paletteCount) * 3);
            }
        }
        if (uni(0, 4) == 0) {
            p.frameCount = 2;
            p.frameHeight = static_cast<uint16_t>(std::max(1, ph / 2));
        }
        const int dw = uni(1, 40);
        const int dh = uni(1, 40);
        std::vector<uint32_t> buffer(static_cast<size_t>(dw) * dh + 2 * kGuard, guard);
        uint32_t* dest = buffer.data() + kGuard;
        for (int i = 0; i < dw * dh; ++i)
            dest[i] = 0x5A5A5A5A;

        DrawRequest r;
        r.angle = uni(0, 2) == 0 ? specialAngles[uni(0, 10)] : std::uniform_real_distribution<double>(-720, 720)(rng);
        r.centreX = uni(-30, dw + 30);
        r.centreY = uni(-30, dh + 30);
        r.width = uni(0, 2) ? pw : uni(0, 50);
        r.height = uni(0, 2) ? ph : uni(0, 50);
        r.radius = uni(0, 5) == 0 ? uni(-3, 60) : 0;
        const uint32_t flagChoices[] = { DrawFlags::kClip, DrawFlags::kMask, DrawFlags::kPrecise, DrawFlags::kInvert,
            DrawFlags::kBilinear };
        for (uint32_t f : flagChoices)
            if (uni(0, 2) == 0)
                r.flags |= f;
        r.objectX = r.centreX + uni(-5, 5);
        r.objectY = r.centreY + uni(-5, 5);
        r.clip.left = uni(-20, dw + 5);
        r.clip.top = uni(-20, dh + 5);
        r.clip.right = r.clip.left + uni(-5, 50);
        r.clip.bottom = r.clip.top + uni(-5, 50);
        const double opacities[] = { 1.0, 0.5, 0.0, -0.2, 1.5, 0.01 };
        const double opacity = opacities[uni(0, 5)];
        const uint32_t matte = uni(0, 2) ? kNoMatte : static_cast<uint32_t>(rng());
        int sx = uni(-2, pw + 2);
        int sy = uni(-2, ph + 2);
        int sw = uni(0, pw + 3);
        int sh = uni(0, ph + 3);
        if (uni(0, 29) == 0) {
            // Values at the ends of the int range must neither wrap nor
            // reach memory.
            const int extremes[] = { INT_MIN, INT_MIN + 1, -1000000000, 1000000000, INT_MAX - 1, INT_MAX };
            r.centreX = extremes[uni(0, 5)];
            r.centreY = uni(0, 1) ? extremes[uni(0, 5)] : r.centreY;
            r.width = uni(0, 1) ? extremes[uni(0, 5)] : r.width;
            r.radius = uni(0, 1) ? extremes[uni(0, 5)] : r.radius;
            r.clip.right = uni(0, 1) ? INT_MAX : r.clip.right;
            r.objectX = uni(0, 1) ? INT_MIN : r.objectX;
            sw = uni(0, 1) ? INT_MAX : sw;
            sh = uni(0, 1) ? INT_MAX : sh;
            sy = uni(0, 1) ? INT_MAX : sy;
        }

        DrawSurface surface { reinterpret_cast<uint8_t*>(dest), dw, dh, 4, kNoColourKey };
        DrawRequest copy = r;
        Rect allowed { 0, 0, dw, dh };
        if (r.flags & DrawFlags::kClip)
            allowed = ClipToRequestRect(surface, copy);
        DrawPicture(surface, r, p, sx, sy, sw, sh, opacity, matte);

        for (int i = 0; i < kGuard; ++i) {
            ASSERT_EQ(buffer[static_cast<size_t>(i)], guard) << "before the buffer, iteration " << iteration;
            ASSERT_EQ(buffer[buffer.size() - 1 - static_cast<size_t>(i)], guard) << "after, iteration " << iteration;
        }
        for (int y = 0; y < dh; ++y) {
            for (int x = 0; x < dw; ++x) {
                if (x >= allowed.left && x < allowed.right && y >= allowed.top && y < allowed.bottom)
                    continue;
                ASSERT_EQ(dest[y * dw + x], 0x5A5A5A5Au)
                    << "outside the clip at " << x << "," << y << ", iteration " << iteration;
            }
        }
    }
}

} // namespace
