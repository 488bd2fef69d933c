#include "tools/SkinMaker.h"

#include "platform/FontRenderer.h"
#include "tools/PackWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace tools {

namespace {

constexpr float kPi = 3.14159265f;

// ---- Colours -------------------------------------------------------------------

constexpr uint32_t Argb(uint32_t rgb, uint32_t alpha = 255) { return alpha << 24 | (rgb & 0xFFFFFF); }

uint8_t Channel(uint32_t argb, int shift) { return static_cast<uint8_t>(argb >> shift); }

uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float v = Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t;
        out |= static_cast<uint32_t>(std::lround(v)) << shift;
    }
    return out;
}

uint32_t Lighter(uint32_t argb, float t) { return (argb & 0xFF000000u) | (Mix(argb, 0xFFFFFFFFu, t) & 0xFFFFFF); }
uint32_t Darker(uint32_t argb, float t) { return (argb & 0xFF000000u) | (Mix(argb, 0xFF000000u, t) & 0xFFFFFF); }
uint32_t WithAlpha(uint32_t argb, float alpha)
{
    return static_cast<uint32_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255)) << 24 | (argb & 0xFFFFFF);
}
uint32_t Grey(uint32_t argb)
{
    const int y = (Channel(argb, 16) * 3 + Channel(argb, 8) * 6 + Channel(argb, 0)) / 10;
    const uint32_t g = static_cast<uint32_t>(std::clamp(y, 0, 255));
    return (argb & 0xFF000000u) | g << 16 | g << 8 | g;
}

// The theme.
constexpr uint32_t kWoodLight = Argb(0x7A4A22);
constexpr uint32_t kWoodDark = Argb(0x3E220D);
constexpr uint32_t kGold = Argb(0xE2B84E);
constexpr uint32_t kGoldDark = Argb(0x9C7424);
constexpr uint32_t kFelt = Argb(0x1E6B3A);
constexpr uint32_t kFeltDark = Argb(0x12482A);
constexpr uint32_t kPaper = Argb(0xF6EEDA);
constexpr uint32_t kPaperDark = Argb(0xE6D8B4);
constexpr uint32_t kInk = Argb(0x3A2410);
constexpr uint32_t kCardRed = Argb(0xC8202A);
constexpr uint32_t kCardBlack = Argb(0x1A1A1A);

// ---- Shapes as signed distances (negative inside) ----------------------------------

using Sdf = std::function<float(float, float)>;

Sdf RoundRect(float left, float top, float right, float bottom, float radius)
{
    return [=](float x, float y) {
        const float cx = (left + right) / 2;
        const float cy = (top + bottom) / 2;
        const float qx = std::fabs(x - cx) - ((right - left) / 2 - radius);
        const float qy = std::fabs(y - cy) - ((bottom - top) / 2 - radius);
        const float ox = std::max(qx, 0.0f);
        const float oy = std::max(qy, 0.0f);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Sdf Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Sdf Segment(float ax, float ay, float bx, float by, float halfWidth)
{
    return [=](float x, float y) {
        const float px = x - ax;
        const float py = y - ay;
        const float dx = bx - ax;
        const float dy = by - ay;
        const float len2 = dx * dx + dy * dy;
        const float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(px - dx * t, py - dy * t) - halfWidth;
    };
}

// An arc of the circle (cx, cy, r) between two angles (radians, y down).
Sdf Arc(float cx, float cy, float r, float from, float to, float halfWidth)
{
    return [=](float x, float y) {
        float a = std::atan2(y - cy, x - cx);
        if (a < from)
            a += 2 * kPi;
        if (a >= from && a <= to)
            return std::fabs(std::hypot(x - cx, y - cy) - r) - halfWidth;
        const float ex = std::min(std::hypot(x - cx - r * std::cos(from), y - cy - r * std::sin(from)),
            std::hypot(x - cx - r * std::cos(to), y - cy - r * std::sin(to)));
        return ex - halfWidth;
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Outline(Sdf a, float halfWidth)
{
    return [=](float x, float y) { return std::fabs(a(x, y)) - halfWidth; };
}

Sdf Triangle(float ax, float ay, float bx, float by, float cx, float cy)
{
    // The distance outside is the farthest edge line's, good enough for
    // antialiased edges; inside, all three edge distances are negative.
    const float mx = (ax + bx + cx) / 3;
    const float my = (ay + by + cy) / 3;
    auto edge = [](float x, float y, float x0, float y0, float x1, float y1) {
        const float ex = x1 - x0;
        const float ey = y1 - y0;
        return ((x - x0) * ey - (y - y0) * ex) / std::hypot(ex, ey);
    };
    // The sign that makes the centroid's edge distances negative.
    const float inward = edge(mx, my, ax, ay, bx, by) > 0 ? -1.0f : 1.0f;
    return [=](float x, float y) {
        return inward
            * (inward > 0 ? std::max({ edge(x, y, ax, ay, bx, by), edge(x, y, bx, by, cx, cy), edge(x, y, cx, cy, ax, ay) })
                          : std::min({ edge(x, y, ax, ay, bx, by), edge(x, y, bx, by, cx, cy), edge(x, y, cx, cy, ax, ay) }));
    };
}

// A five-pointed star, one point up.
Sdf Star(float cx, float cy, float inner, float outer, float turn = 0)
{
    return [=](float x, float y) {
        const float a = std::atan2(y - cy, x - cx) + kPi / 2 + turn;
        const float k = std::cos(5 * a) * 0.5f + 0.5f;
        return std::hypot(x - cx, y - cy) - (inner + (outer - inner) * k * k * k);
    };
}

// The four suits, centred at (cx, cy) with size s (about the height).
Sdf Heart(float cx, float cy, float s)
{
    const float r = s * 0.27f;
    return Union(Union(Circle(cx - r * 0.95f, cy - s * 0.12f, r), Circle(cx + r * 0.95f, cy - s * 0.12f, r)),
        Triangle(cx - s * 0.5f, cy - s * 0.04f, cx + s * 0.5f, cy - s * 0.04f, cx, cy + s * 0.48f));
}

Sdf Spade(float cx, float cy, float s)
{
    const float r = s * 0.25f;
    Sdf body = Union(Union(Circle(cx - r * 0.95f, cy + s * 0.08f, r), Circle(cx + r * 0.95f, cy + s * 0.08f, r)),
        Triangle(cx - s * 0.47f, cy + s * 0.14f, cx + s * 0.47f, cy + s * 0.14f, cx, cy - s * 0.46f));
    return Union(body, Triangle(cx, cy + s * 0.05f, cx - s * 0.18f, cy + s * 0.48f, cx + s * 0.18f, cy + s * 0.48f));
}

Sdf Club(float cx, float cy, float s)
{
    const float r = s * 0.21f;
    Sdf leaves = Union(Circle(cx, cy - s * 0.24f, r),
        Union(Circle(cx - s * 0.24f, cy + s * 0.08f, r), Circle(cx + s * 0.24f, cy + s * 0.08f, r)));
    return Union(Union(leaves, Circle(cx, cy, r * 0.6f)),
        Triangle(cx, cy, cx - s * 0.18f, cy + s * 0.48f, cx + s * 0.18f, cy + s * 0.48f));
}

Sdf Diamond(float cx, float cy, float s)
{
    return [=](float x, float y) {
        return (std::fabs(x - cx) / (s * 0.38f) + std::fabs(y - cy) / (s * 0.5f) - 1) * s * 0.3f;
    };
}

// ---- A 32-bit drawing surface -------------------------------------------------------

class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = 0)
        : m_width(width)
        , m_height(height)
        , m_pixels(static_cast<size_t>(width) * height, fill)
    {
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint32_t At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    void Set(int x, int y, uint32_t argb) { m_pixels[static_cast<size_t>(y) * m_width + x] = argb; }

    // Source-over of a straight-alpha colour scaled by cover.
    void Blend(int x, int y, uint32_t argb, float cover = 1.0f)
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height || cover <= 0)
            return;
        const float sa = Channel(argb, 24) / 255.0f * std::min(cover, 1.0f);
        if (sa <= 0)
            return;
        const uint32_t dst = At(x, y);
        const float da = Channel(dst, 24) / 255.0f;
        const float oa = sa + da * (1 - sa);
        uint32_t out = static_cast<uint32_t>(std::lround(oa * 255)) << 24;
        for (int shift = 0; shift < 24; shift += 8) {
            const float c = (Channel(argb, shift) * sa + Channel(dst, shift) * da * (1 - sa)) / oa;
            out |= static_cast<uint32_t>(std::clamp(std::lround(c), 0L, 255L)) << shift;
        }
        Set(x, y, out);
    }

    // Fills the shape, antialiased, with paint(x, y).
    template <typename Paint>
    void Fill(const Sdf& shape, Paint paint)
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const float cover = std::clamp(0.5f - shape(x + 0.5f, y + 0.5f), 0.0f, 1.0f);
                if (cover > 0)
                    Blend(x, y, paint(x, y), cover);
            }
    }
    void Fill(const Sdf& shape, uint32_t argb)
    {
        Fill(shape, [argb](int, int) { return argb; });
    }
    // A vertical gradient over the rows top to bottom.
    void FillVertical(const Sdf& shape, int top, int bottom, uint32_t from, uint32_t to)
    {
        const float span = static_cast<float>(std::max(bottom - top, 1));
        Fill(shape, [=](int, int y) { return Mix(from, to, (y - top) / span); });
    }

    void Draw(const Canvas& source, int left, int top, float opacity = 1.0f)
    {
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                Blend(left + x, top + y, source.At(x, y), opacity);
    }

    Canvas Mirrored(bool horizontal, bool vertical) const
    {
        Canvas out(m_width, m_height);
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                out.Set(horizontal ? m_width - 1 - x : x, vertical ? m_height - 1 - y : y, At(x, y));
        return out;
    }

private:
    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
};

// ---- Text -----------------------------------------------------------------------

size_t CharLength(std::string_view text, size_t i)
{
    return static_cast<uint8_t>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
}

struct TextStyle {
    int size = 12;
    int weight = 400;
    uint32_t colour = kInk;
    uint32_t shadow = 0; // 0: none; else drawn one pixel down and right
};

int MeasureText(platform::FontRenderer& font, std::string_view text, const TextStyle& style)
{
    font.SelectFont(style.size, style.weight, "宋体", false, false);
    return font.MeasureText(text);
}

void DrawTextAt(Canvas& canvas, platform::FontRenderer& font, std::string_view text, int left, int top,
    const TextStyle& style)
{
    font.SelectFont(style.size, style.weight, "宋体", false, false);
    auto pass = [&](int dx, int dy, uint32_t colour) {
        int pen = left + dx;
        for (size_t i = 0; i < text.size();) {
            const size_t n = CharLength(text, i);
            const platform::GlyphImage& glyph = font.RenderGlyph(text.substr(i, n));
            for (int y = 0; y < glyph.height; ++y)
                for (int x = 0; x < glyph.width; ++x)
                    if (const uint8_t c = glyph.At(x, y))
                        canvas.Blend(pen + x, top + dy + y, colour, c / 255.0f);
            pen += glyph.advance;
            i += n;
        }
    };
    if (style.shadow)
        pass(1, 1, style.shadow);
    pass(0, 0, style.colour);
}

void DrawTextCentred(Canvas& canvas, platform::FontRenderer& font, std::string_view text, float cx, float cy,
    const TextStyle& style)
{
    const int width = MeasureText(font, text, style);
    DrawTextAt(canvas, font, text, static_cast<int>(std::lround(cx - width / 2.0f)),
        static_cast<int>(std::lround(cy - style.size / 2.0f)), style);
}

// ---- Pictures ---------------------------------------------------------------------

engine::PictureData ToPicture(const std::vector<Canvas>& frames, uint32_t delayMs = 0)
{
    const Canvas& first = frames.front();
    engine::PictureData picture = DrawPicture(first.Width(), first.Height(), static_cast<int>(frames.size()),
        [&](int f, int x, int y) { return frames[static_cast<size_t>(f)].At(x, y); });
    picture.flags = engine::kPictureAlpha;
    picture.colourKey = engine::kNoColourKey;
    if (delayMs) {
        picture.flags |= engine::kPictureDelays;
        picture.frameDelays.assign(frames.size(), delayMs);
    }
    return picture;
}

void Add(std::vector<SkinPicture>& out, std::string name, const std::vector<Canvas>& frames, uint32_t delayMs = 0)
{
    out.push_back({ std::move(name), ToPicture(frames, delayMs) });
}

// A deterministic noise in [-1, 1] per pixel.
float Noise(int x, int y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 32767.5f - 1.0f;
}

uint32_t WoodAt(int x, int y, bool vertical, float t)
{
    const float along = vertical ? static_cast<float>(y) : static_cast<float>(x);
    const float across = vertical ? static_cast<float>(x) : static_cast<float>(y);
    const float grain = 0.5f + 0.5f * std::sin(across * 1.7f + std::sin(along * 0.09f) * 2.0f);
    const uint32_t base = Mix(kWoodLight, kWoodDark, t);
    return Mix(base, Darker(base, 0.25f), grain * 0.35f + Noise(x, y, 7) * 0.04f);
}

// The four looks of a button: 0 normal, 1 hover, 2 pressed, 3 disabled.
struct ButtonPalette {
    uint32_t top;
    uint32_t bottom;
    uint32_t border;
    uint32_t label;
};

constexpr ButtonPalette kGreenButton { Argb(0x5DBB63), Argb(0x24742F), Argb(0x174A1E), Argb(0xFFFFFF) };
constexpr ButtonPalette kRedButton { Argb(0xE0645A), Argb(0xA02620), Argb(0x5E1410), Argb(0xFFFFFF) };
constexpr ButtonPalette kGoldButton { Argb(0xFBDD80), Argb(0xC98E1F), Argb(0x7A5410), Argb(0x4A2A08) };
constexpr ButtonPalette kSlateButton { Argb(0x8CA6B8), Argb(0x4A6A80), Argb(0x2C4252), Argb(0xFFFFFF) };
constexpr ButtonPalette kWoodButton { Argb(0x8A5A2C), Argb(0x4E2C12), Argb(0x2A1606), Argb(0xF2D68A) };

using LabelPainter = std::function<void(Canvas&, float cx, float cy, uint32_t colour)>;

std::vector<Canvas> ButtonFrames(int width, int height, float radius, const ButtonPalette& palette,
    const LabelPainter& label)
{
    std::vector<Canvas> frames;
    for (int look = 0; look < 4; ++look) {
        Canvas c(width, height);
        uint32_t top = palette.top;
        uint32_t bottom = palette.bottom;
        uint32_t border = palette.border;
        uint32_t ink = palette.label;
        float dy = 0;
        if (look == 1) {
            top = Lighter(top, 0.25f);
            bottom = Lighter(bottom, 0.18f);
            border = kGold;
        } else if (look == 2) {
            std::swap(top, bottom);
            top = Darker(top, 0.15f);
            dy = 1;
        } else if (look == 3) {
            top = Grey(Lighter(top, 0.2f));
            bottom = Grey(Lighter(bottom, 0.2f));
            border = Grey(border);
            ink = Argb(0x7A7A7A);
        }
        const float w = static_cast<float>(width);
        const float h = static_cast<float>(height);
        c.Fill(RoundRect(0, 0, w, h, radius), border);
        c.FillVertical(RoundRect(1, 1, w - 1, h - 1, radius - 1), 1, height - 1, top, bottom);
        if (look != 2) // a glossy upper half
            c.Fill(RoundRect(2, 2, w - 2, h / 2, std::max(radius - 2, 1.0f)), WithAlpha(0xFFFFFF, 0.16f));
        label(c, w / 2, h / 2 + dy, ink);
        frames.push_back(std::move(c));
    }
    return frames;
}

LabelPainter TextLabel(platform::FontRenderer& font, std::string text, int size, int weight = 400)
{
    return [&font, text = std::move(text), size, weight](Canvas& c, float cx, float cy, uint32_t colour) {
        const bool darkInk = Channel(colour, 16) < 128;
        TextStyle style { size, weight, colour, darkInk ? WithAlpha(0xFFFFFF, 0.35f) : WithAlpha(0x000000, 0.45f) };
        DrawTextCentred(c, font, text, cx, cy, style);
    };
}

LabelPainter CrossLabel(float half, float thickness)
{
    return [=](Canvas& c, float cx, float cy, uint32_t colour) {
        c.Fill(Union(Segment(cx - half, cy - half, cx + half, cy + half, thickness),
                   Segment(cx - half, cy + half, cx + half, cy - half, thickness)),
            colour);
    };
}

// ---- The frame's pictures ----------------------------------------------------------------

constexpr int kTitleHeight = 28;

void AddTitleBar(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Canvas top(64, kTitleHeight);
    top.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        return WoodAt(x, y, false, y / static_cast<float>(kTitleHeight));
    });
    for (int x = 0; x < 64; ++x) {
        top.Set(x, 0, Lighter(top.At(x, 0), 0.3f));
        top.Set(x, kTitleHeight - 3, kGoldDark);
        top.Set(x, kTitleHeight - 2, kGold);
        top.Set(x, kTitleHeight - 1, kWoodDark);
    }
    Add(out, "Frame_Top", { top });

    // A warm glow behind the icon and the title at the left.
    Canvas left(220, kTitleHeight);
    left.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float fade = 1.0f - x / 220.0f;
        return y < kTitleHeight - 3 ? WithAlpha(0xFFD890, 0.16f * fade * fade) : 0u;
    });
    Add(out, "FramePatternLeft", { left });

    // The four suits in gold between two flourishes, centred on the bar.
    Canvas middle(180, kTitleHeight);
    const float cy = (kTitleHeight - 3) / 2.0f;
    middle.Fill(Segment(8, cy, 52, cy, 0.6f), WithAlpha(kGold, 0.8f));
    middle.Fill(Segment(128, cy, 172, cy, 0.6f), WithAlpha(kGold, 0.8f));
    middle.Fill(Diamond(6, cy, 6), kGold);
    middle.Fill(Diamond(174, cy, 6), kGold);
    const std::array<Sdf, 4> suits { Spade(66, cy, 14), Heart(82, cy, 14), Club(98, cy, 14), Diamond(114, cy, 14) };
    for (size_t i = 0; i < suits.size(); ++i) {
        middle.Fill(suits[i], i % 2 ? Argb(0xF05A4A) : Argb(0xF4E3B0));
        middle.Fill(Outline(suits[i], 0.5f), WithAlpha(kGoldDark, 0.9f));
    }
    Add(out, "FramePatternMiddle", { middle });

    // A darker band behind the title buttons at the right.
    Canvas right(300, kTitleHeight);
    right.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float t = std::min(x / 60.0f, 1.0f);
        return y < kTitleHeight - 3 ? WithAlpha(0x1A0C02, 0.35f * t) : 0u;
    });
    Add(out, "FramePatternRight", { right });

    Canvas side(5, 64);
    side.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, true, x / 5.0f); });
    for (int y = 0; y < 64; ++y)
        side.Set(0, y, kWoodDark);
    Canvas rightSide = side.Mirrored(true, false);
    for (int y = 0; y < 64; ++y) {
        side.Set(4, y, kGoldDark);
        rightSide.Set(0, y, kGoldDark);
    }
    Add(out, "Frame_Left", { side });
    Add(out, "Frame_Right", { rightSide });

    Canvas bottom(64, 5);
    bottom.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, false, y / 5.0f); });
    for (int x = 0; x < 64; ++x) {
        bottom.Set(x, 0, kGoldDark);
        bottom.Set(x, 4, kWoodDark);
    }
    Add(out, "Frame_Bottom", { bottom });

    // The game icon: two fanned cards.
    Canvas icon(20, 20);
    icon.Fill(RoundRect(1.5f, 3.5f, 12.5f, 18.5f, 2), Argb(0x303030));
    icon.Fill(RoundRect(2.5f, 4.5f, 11.5f, 17.5f, 1.5f), Argb(0xFFFFFF));
    icon.Fill(Spade(7, 11, 7), kCardBlack);
    icon.Fill(RoundRect(7.5f, 1.5f, 18.5f, 16.5f, 2), Argb(0x303030));
    icon.Fill(RoundRect(8.5f, 2.5f, 17.5f, 15.5f, 1.5f), Argb(0xFFFFFF));
    icon.Fill(Heart(13, 9, 7), kCardRed);
    Add(out, "GameIcon", { icon });

    // Title buttons: glyph buttons and three captioned ones.
    auto glyph = [](std::function<Sdf(float, float)> shape) -> LabelPainter {
        return [shape](Canvas& c, float cx, float cy, uint32_t colour) {
            c.Fill(shape(cx + 1, cy + 1), WithAlpha(0x000000, 0.4f));
            c.Fill(shape(cx, cy), colour);
        };
    };
    Add(out, "btnFrameMin", ButtonFrames(27, 20, 4, kWoodButton, glyph([](float cx, float cy) {
        return Segment(cx - 5, cy + 4, cx + 5, cy + 4, 1.1f);
    })));
    Add(out, "btnFrameMax", ButtonFrames(27, 20, 4, kWoodButton, glyph([](float cx, float cy) {
        return Outline(RoundRect(cx - 5.5f, cy - 5, cx + 5.5f, cy + 5, 0.5f), 0.7f);
    })));
    Add(out, "btnFrameFit", ButtonFrames(27, 20, 4, kWoodButton, glyph([](float cx, float cy) {
        return Union(Outline(RoundRect(cx - 6, cy - 2.5f, cx + 2.5f, cy + 5.5f, 0.5f), 0.65f),
            Union(Segment(cx - 3, cy - 5.5f, cx + 5.5f, cy - 5.5f, 0.65f),
                Segment(cx + 5.5f, cy - 5.5f, cx + 5.5f, cy + 2.5f, 0.65f)));
    })));
    Add(out, "btnFrameClose", ButtonFrames(27, 20, 4, kRedButton, CrossLabel(4.5f, 1.2f)));
    Add(out, "btnSet2", ButtonFrames(44, 20, 4, kWoodButton, TextLabel(font, "设置", 12)));
    Add(out, "btnHelp2", ButtonFrames(44, 20, 4, kWoodButton, TextLabel(font, "帮助", 12)));
    Add(out, "btnShop2", ButtonFrames(44, 20, 4, kGoldButton, TextLabel(font, "商城", 12, 700)));
}

void AddTable(std::vector<SkinPicture>& out)
{
    Canvas felt(64, 64);
    felt.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float weave = ((x + y) % 4 == 0 ? 0.05f : 0.0f) + ((x - y + 64) % 4 == 0 ? 0.03f : 0.0f);
        return Mix(kFelt, kFeltDark, 0.3f + Noise(x, y, 3) * 0.12f + weave);
    });
    Add(out, "TablePatten", { felt });

    Canvas halo(256, 256);
    halo.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        const float d = std::hypot(x + 0.5f - 128, y + 0.5f - 128) / 128;
        const float t = std::clamp(1 - d, 0.0f, 1.0f);
        return WithAlpha(0xCFF5C0, 0.24f * t * t * (3 - 2 * t));
    });
    Add(out, "TableHalo", { halo });

    Canvas corner(56, 56);
    Sdf bracket = Union(Segment(6, 6, 48, 6, 1.6f), Segment(6, 6, 6, 48, 1.6f));
    Sdf inner = Union(Segment(12, 12, 34, 12, 0.8f), Segment(12, 12, 12, 34, 0.8f));
    corner.Fill(bracket, WithAlpha(0x000000, 0.35f));
    corner.Fill(Union(bracket, inner), [](int x, int y) { return Mix(kGold, kGoldDark, (x + y) / 100.0f); });
    corner.Fill(Diamond(6, 6, 10), kGold);
    corner.Fill(Circle(48, 6, 2.2f), kGold);
    corner.Fill(Circle(6, 48, 2.2f), kGold);
    corner.Fill(Spade(22, 22, 10), WithAlpha(kGold, 0.85f));
    Add(out, "TableCornerLT", { corner });
    Add(out, "TableCornerRT", { corner.Mirrored(true, false) });
    Add(out, "TableCornerLB", { corner.Mirrored(false, true) });
    Add(out, "TableCornerRB", { corner.Mirrored(true, true) });

    Canvas splitter(8, 64);
    splitter.Fill([](float, float) { return -1.0f; }, [](int x, int y) { return WoodAt(x, y, true, 0.5f); });
    for (int y = 0; y < 64; ++y) {
        splitter.Set(0, y, kWoodDark);
        splitter.Set(3, y, kGoldDark);
        splitter.Set(4, y, kGold);
        splitter.Set(7, y, kWoodDark);
    }
    Add(out, "左右分隔条_bg", { splitter });

    Canvas trough(64, 14);
    trough.Fill([](float, float) { return -1.0f; }, [](int, int y) { return Mix(kFeltDark, kFelt, y / 14.0f); });
    for (int x = 0; x < 64; ++x) {
        trough.Set(x, 0, Darker(kFeltDark, 0.4f));
        trough.Set(x, 13, Lighter(kFelt, 0.2f));
    }
    Add(out, "ScrollBar_HorzBack", { trough });
}

// A wood-framed paper board with rounded corners and a header band.
Canvas Board(int width, int height, int header, platform::FontRenderer& font, std::string_view title)
{
    Canvas c(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    c.Fill(RoundRect(0, 0, w, h, 10), [](int x, int y) { return WoodAt(x, y, false, 0.3f); });
    c.Fill(Outline(RoundRect(3.5f, 3.5f, w - 3.5f, h - 3.5f, 8), 0.6f), kGold);
    c.FillVertical(RoundRect(7, static_cast<float>(header), w - 7, h - 7, 5), header, height - 7, kPaper, kPaperDark);
    c.Fill(Outline(RoundRect(7, static_cast<float>(header), w - 7, h - 7, 5), 0.5f), kGoldDark);
    if (!title.empty())
        DrawTextCentred(c, font, title, w / 2, (header + 3) / 2.0f, { 14, 700, Argb(0xF6DE96), Argb(0x1A0C02) });
    return c;
}

void AddBoards(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    Add(out, "bit_systemboard", { Board(270, 200, 32, font, "系统提示") });

    Canvas sureQuit(224, 60);
    DrawTextCentred(sureQuit, font, "确定要退出游戏吗？", 112, 20, { 16, 700, kInk, 0 });
    DrawTextCentred(sureQuit, font, "游戏中途退出将被扣分并扣除银子", 112, 46, { 12, 400, Argb(0x9A2A1A), 0 });
    Add(out, "bit_SureQuit", { sureQuit });
    Add(out, "btn_gameset_ok", ButtonFrames(50, 24, 5, kGreenButton, TextLabel(font, "确定", 12, 700)));
    Add(out, "btn_gameset_cancel", ButtonFrames(50, 24, 5, kSlateButton, TextLabel(font, "取消", 12, 700)));

    // The player detail panel: the figure's slot at the left, the lines
    // of details at the right.
    Canvas detail = Board(330, 320, 10, font, "");
    detail.Fill(RoundRect(8, 8, 147, 282, 4), Argb(0x0E3A20));
    detail.Fill(Outline(RoundRect(8.5f, 8.5f, 146.5f, 281.5f, 4), 0.6f), kGoldDark);
    for (int i = 0; i < 7; ++i) {
        const float y = 88.0f + i * 20 + (i > 1 ? 10 : 0);
        detail.Fill(Segment(155, y, 316, y, 0.4f), WithAlpha(kGoldDark, 0.5f));
    }
    Add(out, "bit_playerdetail", { detail });
    Add(out, "btn_redcrossEx", ButtonFrames(22, 22, 11, kRedButton, CrossLabel(4.5f, 1.3f)));
    Add(out, "btn_buycharacter", ButtonFrames(110, 30, 6, kGoldButton, TextLabel(font, "购买形象", 14, 700)));

    Canvas small(150, 56);
    small.Fill(RoundRect(0, 0, 150, 56, 8), WithAlpha(0x0C2416, 0.78f));
    small.Fill(Outline(RoundRect(1.5f, 1.5f, 148.5f, 54.5f, 7), 0.6f), WithAlpha(kGold, 0.9f));
    small.Fill(RoundRect(6, 6, 50, 50, 4), WithAlpha(0x000000, 0.35f));
    Add(out, "PlayerBoardSmall", { small });

    // Rank badges: bronze, silver, gold, each with one to four stars.
    std::vector<Canvas> ranks;
    const std::array<ButtonPalette, 3> tiers { ButtonPalette { Argb(0xE0A070), Argb(0x8A5228), Argb(0x4A2810), 0 },
        ButtonPalette { Argb(0xF0F0F4), Argb(0x9098A4), Argb(0x50586A), 0 },
        ButtonPalette { Argb(0xFFE890), Argb(0xD0981C), Argb(0x7A5410), 0 } };
    for (int level = 0; level < 12; ++level) {
        const ButtonPalette& tier = tiers[static_cast<size_t>(level / 4)];
        Canvas badge(48, 16);
        badge.Fill(RoundRect(0, 0, 48, 16, 8), tier.border);
        badge.FillVertical(RoundRect(1, 1, 47, 15, 7), 1, 15, tier.top, tier.bottom);
        const int stars = level % 4 + 1;
        for (int s = 0; s < stars; ++s) {
            const float cx = 24 + (s - (stars - 1) / 2.0f) * 10;
            const Sdf star = Star(cx, 8, 2.0f, 5.0f);
            badge.Fill(star, Argb(0xFFFFFF));
            badge.Fill(Outline(star, 0.4f), WithAlpha(tier.border, 0.9f));
        }
        ranks.push_back(std::move(badge));
    }
    Add(out, "bit_Duan", ranks);

    // "Playing for you": a pulsing pill with running dots.
    std::vector<Canvas> autoplay;
    for (int f = 0; f < 4; ++f) {
        Canvas c(160, 40);
        const float glow = 0.55f + 0.15f * std::sin(f * kPi / 2);
        c.Fill(RoundRect(0, 0, 160, 40, 20), WithAlpha(0x000000, 0.35f));
        c.FillVertical(RoundRect(2, 2, 158, 38, 18), 2, 38, WithAlpha(0x2A8A48, glow + 0.3f), WithAlpha(0x0C3A1C, 0.9f));
        c.Fill(Outline(RoundRect(2.5f, 2.5f, 157.5f, 37.5f, 17.5f), 0.7f), kGold);
        DrawTextCentred(c, font, "托管中", 70, 20, { 16, 700, Argb(0xFFF2C0), Argb(0x000000) });
        for (int d = 0; d < 3; ++d)
            c.Fill(Circle(112.0f + d * 9, 26, 2.4f), d <= f - 1 || f == 0 ? kGold : WithAlpha(kGold, 0.3f));
        autoplay.push_back(std::move(c));
    }
    Add(out, "animation_autoplaying", autoplay, 300);
}

// A box template: frame 0 the frame (transparent inside), frame 1 the
// paper that fills the inside.
void AddBoxTemplate(std::vector<SkinPicture>& out, std::string name, uint32_t headerTop, uint32_t headerBottom)
{
    constexpr int kSize = 96;
    constexpr int kHeader = 26;
    constexpr int kSide = 6;
    constexpr int kBottom = 8;
    Canvas frame(kSize, kSize);
    frame.Fill(RoundRect(0, 0, kSize, kSize, 9), [](int x, int y) { return WoodAt(x, y, false, 0.35f); });
    frame.FillVertical(RoundRect(3, 3, kSize - 3, kHeader, 6), 3, kHeader, headerTop, headerBottom);
    frame.Fill(Outline(RoundRect(1.5f, 1.5f, kSize - 1.5f, kSize - 1.5f, 8), 0.6f), kGold);
    for (int y = kHeader; y < kSize - kBottom; ++y)
        for (int x = kSide; x < kSize - kSide; ++x)
            frame.Set(x, y, 0);
    for (int x = kSide - 1; x <= kSize - kSide; ++x) {
        frame.Set(x, kHeader - 1, kGoldDark);
        frame.Set(x, kSize - kBottom, kGoldDark);
    }
    for (int y = kHeader - 1; y <= kSize - kBottom; ++y) {
        frame.Set(kSide - 1, y, kGoldDark);
        frame.Set(kSize - kSide, y, kGoldDark);
    }
    Canvas paper(kSize, kSize);
    paper.Fill([](float, float) { return -1.0f; },
        [](int x, int y) { return Mix(kPaper, kPaperDark, y / 96.0f * 0.6f + Noise(x, y, 11) * 0.04f); });
    Add(out, std::move(name), { frame, paper });
}

void AddMessageBoxes(std::vector<SkinPicture>& out, platform::FontRenderer& font)
{
    AddBoxTemplate(out, "系统信息框模板", Argb(0x8A5A2C), Argb(0x4E2C12));
    AddBoxTemplate(out, "系统通知框模板", Argb(0x2E8A4C), Argb(0x125A2A));
    Add(out, "系统信息框_确定", ButtonFrames(72, 26, 6, kGreenButton, TextLabel(font, "确定", 13, 700)));
    Add(out, "系统信息框_取消", ButtonFrames(72, 26, 6, kSlateButton, TextLabel(font, "取消", 13, 700)));
    Add(out, "系统信息框_关闭", ButtonFrames(20, 20, 10, kRedButton, CrossLabel(4, 1.2f)));
    Add(out, "同意", ButtonFrames(72, 26, 6, kGreenButton, TextLabel(font, "同意", 13, 700)));
    Add(out, "拒绝", ButtonFrames(72, 26, 6, kRedButton, TextLabel(font, "拒绝", 13, 700)));
    Add(out, "系统通知框_按钮", ButtonFrames(72, 26, 6, kGoldButton, TextLabel(font, "查看", 13, 700)));

    Canvas headBack(44, 44);
    headBack.Fill(Circle(22, 22, 21.5f), kGoldDark);
    headBack.FillVertical(Circle(22, 22, 20), 2, 42, kGold, kGoldDark);
    headBack.Fill(Circle(22, 22, 17.5f), Argb(0xFFF6E0));
    Add(out, "系统通知框_头像背景", { headBack });

    Canvas notice(56, 16);
    notice.FillVertical(RoundRect(0, 0, 56, 16, 3), 0, 16, Argb(0xE04A3A), Argb(0xA81E14));
    DrawTextCentred(notice, font, "系统通知", 28, 8, { 12, 400, Argb(0xFFFFFF), 0 });
    Add(out, "qh系统通知", { notice });
}

// ---- Faces ---------------------------------------------------------------------------

struct Face {
    const char* name;
    int mood; // 1 smile, 0 flat, -1 sad, 2 open (crying or cheering)
    std::function<void(Canvas&, int frame, float cy)> extra;
};

void DrawFace(Canvas& c, const Face& face, int frame)
{
    const float bob = std::array<float, 4> { 0, -1, -2, -1 }[static_cast<size_t>(frame)];
    const float cx = 24;
    const float cy = 26 + bob;
    c.Fill(Circle(cx, cy, 19), Argb(0xB07A10));
    c.Fill(Circle(cx, cy, 18), [cx, cy](int x, int y) {
        const float d = std::hypot(x - cx + 5, y - cy + 6) / 26;
        return Mix(Argb(0xFFE680), Argb(0xF2B01E), d);
    });
    // Cheeks, eyes (blinking on the last frame) and mouth.
    c.Fill(Circle(cx - 11, cy + 5, 3.5f), WithAlpha(0xF06060, 0.35f));
    c.Fill(Circle(cx + 11, cy + 5, 3.5f), WithAlpha(0xF06060, 0.35f));
    for (float ex : { cx - 6.5f, cx + 6.5f }) {
        if (frame == 3)
            c.Fill(Segment(ex - 2.5f, cy - 4, ex + 2.5f, cy - 4, 0.8f), Argb(0x3A2208));
        else
            c.Fill(RoundRect(ex - 2, cy - 8, ex + 2, cy - 1, 2), Argb(0x3A2208));
    }
    switch (face.mood) {
    case 1:
        c.Fill(Arc(cx, cy + 2, 8, 0.35f, kPi - 0.35f, 1.1f), Argb(0x7A3A08));
        break;
    case 0:
        c.Fill(Segment(cx - 5, cy + 9, cx + 5, cy + 9, 1.0f), Argb(0x7A3A08));
        break;
    case -1:
        c.Fill(Arc(cx, cy + 16, 7, kPi + 0.6f, 2 * kPi - 0.6f, 1.1f), Argb(0x7A3A08));
        break;
    default:
        c.Fill(RoundRect(cx - 5, cy + 5, cx + 5, cy + 13 + (frame % 2), 4), Argb(0x7A2010));
        c.Fill(RoundRect(cx - 3, cy + 9, cx + 3, cy + 13, 3), Argb(0xE06060));
        break;
    }
    if (face.extra)
        face.extra(c, frame, cy);
}

std::vector<Face> Faces(platform::FontRenderer& font)
{
    auto tear = [](Canvas& c, float x, float y) {
        Sdf drop = Union(Circle(x, y, 2.4f), Triangle(x - 2.3f, y - 0.5f, x + 2.3f, y - 0.5f, x, y - 6));
        c.Fill(drop, Argb(0x50A8F0));
        c.Fill(Circle(x - 0.8f, y - 0.5f, 0.8f), Argb(0xFFFFFF));
    };
    auto coin = [&font](Canvas& c, float x, float y) {
        c.Fill(Circle(x, y, 7), Argb(0x9C7010));
        c.Fill(Circle(x, y, 6), Argb(0xFFD84A));
        c.Fill(RoundRect(x - 2, y - 2, x + 2, y + 2, 0.3f), Argb(0x9C7010));
        (void)font;
    };
    auto card = [](Canvas& c, float x, float y, float tilt, bool red) {
        const float s = std::sin(tilt);
        const float k = std::cos(tilt);
        auto rotated = [=](Sdf shape) {
            return Sdf([=](float px, float py) {
                const float dx = px - x;
                const float dy = py - y;
                return shape(x + dx * k + dy * s, y - dx * s + dy * k);
            });
        };
        c.Fill(rotated(RoundRect(x - 6, y - 8, x + 6, y + 8, 1.5f)), Argb(0x404040));
        c.Fill(rotated(RoundRect(x - 5, y - 7, x + 5, y + 7, 1)), Argb(0xFFFFFF));
        c.Fill(rotated(red ? Heart(x, y, 8) : Spade(x, y, 8)), red ? kCardRed : kCardBlack);
    };
    return {
        { "vkf财神", 1,
            [coin](Canvas& c, int f, float cy) {
                // The red hat of the god of wealth and a coin that hops.
                c.Fill(RoundRect(10, cy - 24, 38, cy - 13, 4), Argb(0xC81E1E));
                c.Fill(RoundRect(6, cy - 15, 42, cy - 11, 2), Argb(0xE2B84E));
                coin(c, 40, 38.0f - std::array<float, 4> { 0, 3, 5, 3 }[static_cast<size_t>(f)]);
            } },
        { "vkf打牌", 1,
            [card](Canvas& c, int f, float) {
                const float wave = std::array<float, 4> { 0, 0.1f, 0.2f, 0.1f }[static_cast<size_t>(f)];
                card(c, 8, 36, -0.35f - wave, false);
                card(c, 40, 36, 0.35f + wave, true);
            } },
        { "vkf抱歉", 0,
            [tear](Canvas& c, int f, float cy) {
                tear(c, 40, cy - 8 + f * 1.5f);
                c.Fill(Segment(11, cy - 12, 18, cy - 10, 0.9f), Argb(0x3A2208));
                c.Fill(Segment(30, cy - 10, 37, cy - 12, 0.9f), Argb(0x3A2208));
            } },
        { "vkf疑问", 0,
            [&font](Canvas& c, int f, float) {
                const float lift = std::array<float, 4> { 0, 2, 3, 2 }[static_cast<size_t>(f)];
                DrawTextAt(c, font, "?", 35, static_cast<int>(-lift), { 22, 700, Argb(0x2A6AE0), Argb(0xFFFFFF) });
            } },
        { "vkf没钱", -1,
            [tear](Canvas& c, int f, float cy) {
                tear(c, 17, cy + 1 + f * 2.0f);
                // An empty purse turned out.
                c.Fill(RoundRect(33, 34, 47, 46, 3), Argb(0x8A5A2C));
                c.Fill(Segment(35, 34, 45, 34, 1.2f), Argb(0x4E2C12));
                if (f % 2 == 0)
                    c.Fill(Circle(44, 30 - f * 0.5f, 1.2f), WithAlpha(0x808080, 0.8f));
            } },
        { "vkf胜利", 2,
            [](Canvas& c, int f, float) {
                const Sdf star = Star(40, 8, 3.0f, 7.5f, f * kPi / 10);
                c.Fill(star, Argb(0xFFD020));
                c.Fill(Outline(star, 0.4f), Argb(0xB07A10));
            } },
        { "vkf大哭", 2,
            [tear](Canvas& c, int f, float cy) {
                tear(c, 14, cy + 2 + f * 3.0f);
                tear(c, 34, cy + 4 + ((f + 2) % 4) * 3.0f);
            } },
        { "vkf加油", 1,
            [&font](Canvas& c, int f, float cy) {
                c.Fill(RoundRect(5, cy - 15, 43, cy - 10, 2), Argb(0xD02020));
                c.Fill(Triangle(40, cy - 13, 47, cy - 18 + f, 47, cy - 9 + f), Argb(0xD02020));
                (void)font;
            } },
    };
}

} // namespace

std::vector<SkinPicture> DrawFramePictures(platform::FontRenderer& font)
{
    std::vector<SkinPicture> out;
    AddTitleBar(out, font);
    AddTable(out);
    AddBoards(out, font);
    AddMessageBoxes(out, font);
    return out;
}

std::vector<SkinPicture> DrawFacePictures(platform::FontRenderer& font)
{
    std::vector<SkinPicture> out;
    for (const Face& face : Faces(font)) {
        std::vector<Canvas> frames;
        for (int f = 0; f < 4; ++f) {
            Canvas c(48, 48);
            DrawFace(c, face, f);
            frames.push_back(std::move(c));
        }
        Add(out, face.name, frames, 180);
    }
    return out;
}

engine::PictureData DrawDialogBackground(platform::FontRenderer& font)
{
    (void)font;
    Canvas c(311, 68);
    c.Fill([](float, float) { return -1.0f; }, [](int x, int y) {
        return Mix(kPaper, kPaperDark, y / 68.0f * 0.8f + Noise(x, y, 5) * 0.03f);
    });
    // A watermark of the four suits at the right, under where text goes.
    const std::array<Sdf, 4> suits { Spade(232, 14, 11), Heart(249, 14, 11), Club(266, 14, 11),
        Diamond(283, 14, 11) };
    for (const Sdf& s : suits)
        c.Fill(s, WithAlpha(0x8A5A2C, 0.18f));
    c.Fill(Outline(RoundRect(0.5f, 0.5f, 310.5f, 67.5f, 1), 0.6f), kGoldDark);
    c.Fill(Outline(RoundRect(2.5f, 2.5f, 308.5f, 65.5f, 1), 0.4f), WithAlpha(kGold, 0.7f));
    // The slot the bar runs in.
    c.Fill(RoundRect(6, 46, 306, 64, 2), Argb(0x5A3A1A));
    return ToPicture({ c });
}

// ---- Sounds -------------------------------------------------------------------------

namespace {

constexpr int kRate = 22050;

class Synth {
public:
    explicit Synth(int ms)
        : m_samples(static_cast<size_t>(kRate) * ms / 1000, 0.0f)
    {
    }

    // A tone with a few partials, a short attack and an exponential decay;
    // glideTo (Hz) bends it linearly over its length.
    void Tone(int atMs, int ms, float freq, float amp, float decay, std::initializer_list<float> partials = { 1.0f },
        float glideTo = 0)
    {
        const size_t start = static_cast<size_t>(kRate) * atMs / 1000;
        const size_t n = static_cast<size_t>(kRate) * ms / 1000;
        float phase = 0;
        for (size_t i = 0; i < n && start + i < m_samples.size(); ++i) {
            const float t = static_cast<float>(i) / kRate;
            const float f = glideTo > 0 ? freq + (glideTo - freq) * t * 1000 / ms : freq;
            phase += 2 * kPi * f / kRate;
            const float attack = std::min(t / 0.004f, 1.0f);
            const float release = std::min((n - i) / (kRate * 0.004f), 1.0f);
            float v = 0;
            int k = 1;
            for (float p : partials)
                v += p * std::sin(phase * static_cast<float>(k++));
            m_samples[start + i] += amp * v * attack * release * std::exp(-decay * t);
        }
    }

    // Noise through a one-pole low-pass: swishes, snaps and shuffles.
    void Noise(int atMs, int ms, float amp, float decay, float smoothing, uint32_t seed)
    {
        const size_t start = static_cast<size_t>(kRate) * atMs / 1000;
        const size_t n = static_cast<size_t>(kRate) * ms / 1000;
        float low = 0;
        for (size_t i = 0; i < n && start + i < m_samples.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const float white = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
            low += (white - low) * smoothing;
            const float t = static_cast<float>(i) / kRate;
            const float attack = std::min(t / 0.002f, 1.0f);
            m_samples[start + i] += amp * low * attack * std::exp(-decay * t);
        }
    }

    std::vector<uint8_t> Wav() const
    {
        float peak = 0;
        for (float s : m_samples)
            peak = std::max(peak, std::fabs(s));
        const float gain = peak > 0.9f ? 0.9f / peak : 1.0f;
        std::vector<int16_t> pcm;
        pcm.reserve(m_samples.size());
        for (float s : m_samples)
            pcm.push_back(static_cast<int16_t>(std::lround(s * gain * 32767)));
        return EncodeWav(pcm, kRate);
    }

private:
    std::vector<float> m_samples;
};

// Note frequencies.
constexpr float kC5 = 523.25f;
constexpr float kE5 = 659.25f;
constexpr float kG5 = 783.99f;
constexpr float kC6 = 1046.5f;
constexpr float kE6 = 1318.5f;
constexpr float kA5 = 880.0f;

std::vector<uint8_t> Chime(std::initializer_list<float> notes, int stepMs, int ringMs, float decay)
{
    Synth s(stepMs * static_cast<int>(notes.size()) + ringMs);
    int at = 0;
    for (float f : notes) {
        s.Tone(at, ringMs, f, 0.35f, decay, { 1.0f, 0.3f, 0.12f });
        at += stepMs;
    }
    return s.Wav();
}

bool HasProgram(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string_view rest(path);
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

// A spoken word through espeak-ng (Mandarin voice, UTF-8 text); empty when it
// is not installed or fails.
std::vector<uint8_t> Speak(const char* utf8)
{
    if (!HasProgram("espeak-ng"))
        return {};
    char path[] = "/tmp/kbzn-voice-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    const std::string command = std::string("espeak-ng -v cmn -s 150 -w ") + path + " '" + utf8 + "' 2>/dev/null";
    std::vector<uint8_t> bytes;
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::remove(path);
    return bytes.size() > 44 ? bytes : std::vector<uint8_t>();
}

} // namespace

std::vector<SkinSound> MakeFrameSounds(bool allowVoice)
{
    std::vector<SkinSound> out;
    {
        Synth s(40);
        s.Tone(0, 40, 2400, 0.25f, 90);
        out.push_back({ "SndTouchButton", s.Wav() });
    }
    {
        Synth s(70);
        s.Tone(0, 70, 1200, 0.4f, 60, { 1.0f, 0.4f });
        s.Noise(0, 20, 0.3f, 200, 0.5f, 17);
        out.push_back({ "SndHitButton", s.Wav() });
    }
    out.push_back({ "Snd_msg", Chime({ kE6, kA5 }, 120, 500, 7) });
    {
        // A struck bell: inharmonic partials ringing out.
        Synth s(1200);
        s.Tone(0, 1200, 660, 0.3f, 3.5f, { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f });
        s.Tone(0, 900, 660 * 2.76f, 0.15f, 6);
        s.Tone(0, 600, 660 * 5.40f, 0.08f, 10);
        s.Noise(0, 15, 0.25f, 300, 0.7f, 5);
        out.push_back({ "snd_dang", s.Wav() });
    }
    out.push_back({ "Snd_GameStart", Chime({ kC5, kE5, kG5, kC6 }, 110, 450, 5) });
    {
        Synth s(1500);
        const std::array<float, 5> notes { kG5, kC6, kE6, kC6, kE6 };
        const std::array<int, 5> at { 0, 150, 300, 520, 640 };
        for (size_t i = 0; i < notes.size(); ++i)
            s.Tone(at[i], i + 1 == notes.size() ? 850 : 300, notes[i], 0.3f, 3, { 1.0f, 0.5f, 0.25f, 0.12f });
        out.push_back({ "Snd_GameWin", s.Wav() });
    }
    // Spoken calls: a voice where espeak-ng speaks, a gliding tone otherwise.
    std::vector<uint8_t> hi = allowVoice ? Speak("\xe5\x97\xa8") : std::vector<uint8_t>(); // "hi"
    if (hi.empty()) {
        Synth s(320);
        s.Tone(0, 140, 520, 0.35f, 4, { 1.0f, 0.5f, 0.2f }, 700);
        s.Tone(150, 170, 700, 0.35f, 6, { 1.0f, 0.5f, 0.2f }, 880);
        hi = s.Wav();
    }
    out.push_back({ "SndHi", std::move(hi) });
    std::vector<uint8_t> ahoo = allowVoice ? Speak("\xe5\x95\x8a\xe5\x93\x88") : std::vector<uint8_t>();
    if (ahoo.empty()) {
        Synth s(520);
        s.Tone(0, 220, 440, 0.35f, 2, { 1.0f, 0.6f, 0.3f }, 620);
        s.Tone(230, 290, 620, 0.35f, 4, { 1.0f, 0.6f, 0.3f }, 330);
        ahoo = s.Wav();
    }
    out.push_back({ "SndAhoo", std::move(ahoo) });
    return out;
}

std::vector<std::vector<uint8_t>> MakeProgramSounds()
{
    std::vector<std::vector<uint8_t>> out;
    {
        Synth s(140); // a card dealt: a short swish
        s.Noise(0, 140, 0.6f, 30, 0.25f, 101);
        out.push_back(s.Wav());
    }
    {
        Synth s(90); // a card played: a snap
        s.Noise(0, 90, 0.8f, 60, 0.8f, 202);
        s.Tone(0, 60, 180, 0.3f, 50);
        out.push_back(s.Wav());
    }
    {
        Synth s(60); // a countdown tick
        s.Tone(0, 60, 1800, 0.35f, 70, { 1.0f, 0.2f });
        out.push_back(s.Wav());
    }
    {
        Synth s(420); // a warning: two short beeps
        s.Tone(0, 150, 880, 0.3f, 4, { 1.0f, 0.0f, 0.3f });
        s.Tone(220, 150, 880, 0.3f, 4, { 1.0f, 0.0f, 0.3f });
        out.push_back(s.Wav());
    }
    {
        Synth s(600); // a shuffle: a run of riffled cards
        for (int i = 0; i < 12; ++i)
            s.Noise(i * 45, 60, 0.45f, 50, 0.45f, 300u + static_cast<uint32_t>(i));
        out.push_back(s.Wav());
    }
    out.push_back(Chime({ kG5, kE5 }, 140, 400, 6)); // a turn passes to you
    return out;
}

std::string SkinIniText()
{
    return "[CommColors]\r\n"
           "AdvHeader=38 96 52\r\n"
           "AdvText=58 36 16\r\n"
           "AdvBk=246 238 218\r\n"
           "AdvGrid=222 206 168\r\n"
           "PlayerViewHeader=62 34 13\r\n"
           "PlayerViewText=30 30 30\r\n"
           "TitleText=246 222 150\r\n"
           "WaitBarfg=226 184 78\r\n"
           "WaitBarbg=30 107 58\r\n"
           "\r\n"
           "[BitmapResource]\r\n"
           "CommDlgBK="
        + std::string(kSkinDialogBackground) + "\r\n";
}

// ---- Files -----------------------------------------------------------------------------

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool WriteBytes(const std::filesystem::path& path, const void* data, size_t size, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file.good()) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

void AddPictures(PackWriter& pack, const std::vector<SkinPicture>& pictures)
{
    for (const SkinPicture& p : pictures)
        pack.AddPicture(p.name, p.picture);
}

} // namespace

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutLe(out, 36 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, 1, 2); // mono
    PutLe(out, static_cast<uint32_t>(rate), 4);
    PutLe(out, static_cast<uint32_t>(rate) * 2, 4);
    PutLe(out, 2, 2);
    PutLe(out, 16, 2);
    PutTag(out, "data");
    PutLe(out, dataBytes, 4);
    for (int16_t s : samples)
        PutLe(out, static_cast<uint16_t>(s), 2);
    return out;
}

std::vector<uint8_t> EncodeBmp(const engine::PictureData& picture)
{
    const uint32_t w = picture.frameWidth;
    const uint32_t h = picture.frameHeight;
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> out;
    out.reserve(54 + stride * h);
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 54 + stride * h, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, w, 4);
    PutLe(out, h, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, stride * h, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (uint32_t row = h; row-- > 0;) {
        const uint8_t* p = picture.pixels.data() + static_cast<size_t>(row) * w * 4;
        for (uint32_t x = 0; x < w; ++x) {
            // Over white where the picture is not opaque.
            const float a = p[x * 4 + 3] / 255.0f;
            for (int c = 0; c < 3; ++c)
                out.push_back(static_cast<uint8_t>(std::lround(p[x * 4 + c] * a + 255 * (1 - a))));
        }
        for (uint32_t pad = w * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

engine::PictureData ContactSheet(const std::vector<SkinPicture>& pictures, platform::FontRenderer& font)
{
    constexpr int kMaxWidth = 1400;
    constexpr int kGap = 10;
    constexpr int kLabel = 16;
    struct Place {
        const SkinPicture* picture;
        int x;
        int y;
    };
    std::vector<Place> places;
    int x = kGap;
    int y = kGap;
    int shelf = 0;
    int width = 0;
    const TextStyle label { 12, 400, Argb(0x202020), 0 };
    for (const SkinPicture& p : pictures) {
        const int frames = p.picture.frameCount;
        const int w = std::max(frames * (p.picture.frameWidth + 2) - 2, MeasureText(font, p.name, label));
        const int h = kLabel + p.picture.frameHeight;
        if (x + w > kMaxWidth && x > kGap) {
            x = kGap;
            y += shelf + kGap;
            shelf = 0;
        }
        places.push_back({ &p, x, y });
        x += w + kGap * 2;
        width = std::max(width, x);
        shelf = std::max(shelf, h);
    }
    Canvas sheet(width, y + shelf + kGap, Argb(0xC8C8C8));
    for (const Place& place : places) {
        const engine::PictureData& pic = place.picture->picture;
        DrawTextAt(sheet, font, place.picture->name, place.x, place.y, label);
        for (int f = 0; f < pic.frameCount; ++f) {
            const int left = place.x + f * (pic.frameWidth + 2);
            const int top = place.y + kLabel;
            for (int py = 0; py < pic.frameHeight; ++py)
                for (int px = 0; px < pic.frameWidth; ++px) {
                    // A checkerboard shows what is transparent.
                    const bool dark = ((px / 6) + (py / 6)) % 2;
                    sheet.Set(left + px, top + py, dark ? Argb(0x9A9A9A) : Argb(0xB4B4B4));
                    const size_t at = ((static_cast<size_t>(f) * pic.frameHeight + py) * pic.frameWidth + px) * 4;
                    const uint8_t* s = pic.pixels.data() + at;
                    sheet.Blend(left + px, top + py,
                        static_cast<uint32_t>(s[3]) << 24 | s[2] << 16 | s[1] << 8 | s[0]);
                }
        }
    }
    return ToPicture({ sheet });
}

namespace {

Canvas FromPicture(const engine::PictureData& p, int frame = 0)
{
    Canvas c(p.frameWidth, p.frameHeight);
    for (int y = 0; y < p.frameHeight; ++y)
        for (int x = 0; x < p.frameWidth; ++x) {
            const uint8_t* s = p.pixels.data() + ((static_cast<size_t>(frame) * p.frameHeight + y) * p.frameWidth + x) * 4;
            c.Set(x, y, static_cast<uint32_t>(s[3]) << 24 | s[2] << 16 | s[1] << 8 | s[0]);
        }
    return c;
}

// Draws the picture stretched (nearest pixel) over the rectangle.
void DrawStretched(Canvas& target, const Canvas& source, int left, int top, int width, int height)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            target.Blend(left + x, top + y, source.At(x * source.Width() / width, y * source.Height() / height));
}

} // namespace

engine::PictureData DrawPreview(platform::FontRenderer& font)
{
    std::vector<SkinPicture> pictures = DrawFramePictures(font);
    for (SkinPicture& face : DrawFacePictures(font))
        pictures.push_back(std::move(face));
    auto get = [&](std::string_view name, int frame = 0) {
        for (const SkinPicture& p : pictures)
            if (p.name == name)
                return FromPicture(p.picture, frame);
        return Canvas(1, 1);
    };
    constexpr int kW = 800;
    constexpr int kH = 520;
    Canvas c(kW, kH, Argb(0));
    const Canvas felt = get("TablePatten");
    for (int y = 0; y < kH; y += felt.Height())
        for (int x = 0; x < kW; x += felt.Width())
            c.Draw(felt, x, y);
    const int tableLeft = 5;
    const int tableTop = kTitleHeight;
    const int tableW = 560;
    const int tableH = kH - kTitleHeight - 5;
    const int s = std::min(tableW, tableH);
    DrawStretched(c, get("TableHalo"), tableLeft + tableW / 2 - s / 2, tableTop + tableH / 2 - s / 2, s, s);
    c.Draw(get("TableCornerLT"), tableLeft, tableTop);
    c.Draw(get("TableCornerRT"), tableLeft + tableW - 56, tableTop);
    c.Draw(get("TableCornerLB"), tableLeft, tableTop + tableH - 56);
    c.Draw(get("TableCornerRB"), tableLeft + tableW - 56, tableTop + tableH - 56);
    DrawStretched(c, get("左右分隔条_bg"), tableLeft + tableW, tableTop, 8, tableH);
    // The side pane stands in as paper.
    c.Fill(RoundRect(tableLeft + tableW + 8.0f, static_cast<float>(tableTop), kW - 5.0f, kH - 5.0f, 0), kPaper);

    const Canvas top = get("Frame_Top");
    for (int x = 0; x < kW; x += top.Width())
        c.Draw(top, x, 0);
    c.Draw(get("FramePatternLeft"), 0, 0);
    const Canvas middle = get("FramePatternMiddle");
    c.Draw(middle, kW / 2 - middle.Width() / 2, 0);
    const Canvas right = get("FramePatternRight");
    c.Draw(right, kW - right.Width(), 0);
    const Canvas icon = get("GameIcon");
    c.Draw(icon, 10, (kTitleHeight + 1) / 2 - icon.Height() / 2);
    DrawTextAt(c, font, "牌友俱乐部 - 第8桌", 36, (kTitleHeight - 3) / 2 - 6, { 12, 400, Argb(0xF6DE96), 0 });
    int x = kW - 4;
    for (const char* name : { "btnFrameClose", "btnFrameFit", "btnFrameMin", "btnSet2", "btnHelp2", "btnShop2" }) {
        const Canvas button = get(name, std::string_view(name) == "btnSet2" ? 1 : 0);
        x -= button.Width() + 2;
        c.Draw(button, x, 3);
    }
    DrawStretched(c, get("Frame_Left"), 0, kTitleHeight, 5, kH - kTitleHeight);
    DrawStretched(c, get("Frame_Right"), kW - 5, kTitleHeight, 5, kH - kTitleHeight);
    DrawStretched(c, get("Frame_Bottom"), 0, kH - 5, kW, 5);

    // The quit board as the frame shows it.
    const int bl = tableLeft + tableW / 2 - 135;
    const int bt = 120;
    c.Draw(get("bit_systemboard"), bl, bt);
    c.Draw(get("bit_SureQuit"), bl + 23, bt + 67);
    c.Draw(get("btn_gameset_ok"), bl + 145 - 25, bt + 163 - 12);
    c.Draw(get("btn_gameset_cancel", 1), bl + 200 - 25 + 4, bt + 163 - 12);
    const Canvas autoplay = get("animation_autoplaying");
    c.Draw(autoplay, tableLeft + tableW / 2 - autoplay.Width() / 2, 380);
    c.Draw(get("vkf打牌"), 40, 60);
    c.Draw(get("vkf财神"), 100, 60);
    c.Draw(get("qh系统通知"), tableLeft + tableW + 16, tableTop + 10);
    DrawTextAt(c, font, "欢迎来到牌桌！", tableLeft + tableW + 76, tableTop + 12, { 12, 400, kCardRed, 0 });
    return ToPicture({ c });
}

bool WriteSkin(const std::string& programDir, bool allowVoice, std::string& error)
{
    namespace fs = std::filesystem;
    const fs::path root(programDir);
    platform::FontRenderer font;

    PackWriter frame;
    AddPictures(frame, DrawFramePictures(font));
    for (SkinSound& sound : MakeFrameSounds(allowVoice))
        frame.AddBytes(sound.name + ".wav", std::move(sound.wav));
    PackWriter faces;
    AddPictures(faces, DrawFacePictures(font));

    std::error_code ec;
    fs::create_directories(root / "skins", ec);
    if (!frame.Write((root / kSkinFramePack).string()) || !faces.Write((root / kSkinFacePack).string())) {
        error = "cannot write the packs under " + (root / "skins").string();
        return false;
    }
    const std::string ini = SkinIniText();
    const std::vector<uint8_t> bmp = EncodeBmp(DrawDialogBackground(font));
    if (!WriteBytes(root / kSkinIni, ini.data(), ini.size(), error)
        || !WriteBytes(root / "skins" / kSkinDialogBackground, bmp.data(), bmp.size(), error))
        return false;
    const std::vector<std::vector<uint8_t>> sounds = MakeProgramSounds();
    for (size_t i = 0; i < sounds.size(); ++i) {
        const fs::path path = root / kSkinSoundDir / (std::to_string(kFirstProgramSound + i) + ".wav");
        if (!WriteBytes(path, sounds[i].data(), sounds[i].size(), error))
            return false;
    }
    return true;
}

} // namespace tools
