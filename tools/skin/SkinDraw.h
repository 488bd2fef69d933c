#pragma once
// The skin maker's drawing kit: colours of the theme, shapes as signed
// distances, a 32-bit canvas, text through the platform's font renderer,
// buttons with their four looks, and a small synthesiser for the sounds.
// Every area of the skin draws with it so the whole client looks of a piece.

#include "engine/core/PictureData.h"
#include "platform/FontRenderer.h"
#include "tools/pack/PackWriter.h"
#include "tools/skin/SkinMaker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace tools::skin {

constexpr float kPi = 3.14159265f;

// ---- Colours -------------------------------------------------------------------

constexpr uint32_t Argb(uint32_t rgb, uint32_t alpha = 255) { return alpha << 24 | (rgb & 0xFFFFFF); }

inline uint8_t Channel(uint32_t argb, int shift) { return static_cast<uint8_t>(argb >> shift); }

inline uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float v = Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t;
        out |= static_cast<uint32_t>(std::lround(v)) << shift;
    }
    return out;
}

inline uint32_t Lighter(uint32_t argb, float t) { return (argb & 0xFF000000u) | (Mix(argb, 0xFFFFFFFFu, t) & 0xFFFFFF); }
inline uint32_t Darker(uint32_t argb, float t) { return (argb & 0xFF000000u) | (Mix(argb, 0xFF000000u, t) & 0xFFFFFF); }
inline uint32_t WithAlpha(uint32_t argb, float alpha)
{
    return static_cast<uint32_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255)) << 24 | (argb & 0xFFFFFF);
}
inline uint32_t Grey(uint32_t argb)
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

inline Sdf RoundRect(float left, float top, float right, float bottom, float radius)
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

inline Sdf Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

inline Sdf Segment(float ax, float ay, float bx, float by, float halfWidth)
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
inline Sdf Arc(float cx, float cy, float r, float from, float to, float halfWidth)
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

inline Sdf Union(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

inline Sdf Outline(Sdf a, float halfWidth)
{
    return [=](float x, float y) { return std::fabs(a(x, y)) - halfWidth; };
}

inline Sdf Triangle(float ax, float ay, float bx, float by, float cx, float cy)
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
inline Sdf Star(float cx, float cy, float inner, float outer, float turn = 0)
{
    return [=](float x, float y) {
        const float a = std::atan2(y - cy, x - cx) + kPi / 2 + turn;
        const float k = std::cos(5 * a) * 0.5f + 0.5f;
        return std::hypot(x - cx, y - cy) - (inner + (outer - inner) * k * k * k);
    };
}

// The four suits, centred at (cx, cy) with size s (about the height).
inline Sdf Heart(float cx, float cy, float s)
{
    const float r = s * 0.27f;
    return Union(Union(Circle(cx - r * 0.95f, cy - s * 0.12f, r), Circle(cx + r * 0.95f, cy - s * 0.12f, r)),
        Triangle(cx - s * 0.5f, cy - s * 0.04f, cx + s * 0.5f, cy - s * 0.04f, cx, cy + s * 0.48f));
}

inline Sdf Spade(float cx, float cy, float s)
{
    const float r = s * 0.25f;
    Sdf body = Union(Union(Circle(cx - r * 0.95f, cy + s * 0.08f, r), Circle(cx + r * 0.95f, cy + s * 0.08f, r)),
        Triangle(cx - s * 0.47f, cy + s * 0.14f, cx + s * 0.47f, cy + s * 0.14f, cx, cy - s * 0.46f));
    return Union(body, Triangle(cx, cy + s * 0.05f, cx - s * 0.18f, cy + s * 0.48f, cx + s * 0.18f, cy + s * 0.48f));
}

inline Sdf Club(float cx, float cy, float s)
{
    const float r = s * 0.21f;
    Sdf leaves = Union(Circle(cx, cy - s * 0.24f, r),
        Union(Circle(cx - s * 0.24f, cy + s * 0.08f, r), Circle(cx + s * 0.24f, cy + s * 0.08f, r)));
    return Union(Union(leaves, Circle(cx, cy, r * 0.6f)),
        Triangle(cx, cy, cx - s * 0.18f, cy + s * 0.48f, cx + s * 0.18f, cy + s * 0.48f));
}

inline Sdf Diamond(float cx, float cy, float s)
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

inline size_t CharLength(std::string_view text, size_t i)
{
    return static_cast<uint8_t>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
}

struct TextStyle {
    int size = 12;
    int weight = 400;
    uint32_t colour = kInk;
    uint32_t shadow = 0; // 0: none; else drawn one pixel down and right
};

inline int MeasureText(platform::FontRenderer& font, std::string_view text, const TextStyle& style)
{
    font.SelectFont(style.size, style.weight, "宋体", false, false);
    return font.MeasureText(text);
}

inline void DrawTextAt(Canvas& canvas, platform::FontRenderer& font, std::string_view text, int left, int top,
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

inline void DrawTextCentred(Canvas& canvas, platform::FontRenderer& font, std::string_view text, float cx, float cy,
    const TextStyle& style)
{
    const int width = MeasureText(font, text, style);
    DrawTextAt(canvas, font, text, static_cast<int>(std::lround(cx - width / 2.0f)),
        static_cast<int>(std::lround(cy - style.size / 2.0f)), style);
}

// ---- Pictures ---------------------------------------------------------------------

inline engine::PictureData ToPicture(const std::vector<Canvas>& frames, uint32_t delayMs = 0)
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

inline void Add(std::vector<SkinPicture>& out, std::string name, const std::vector<Canvas>& frames, uint32_t delayMs = 0)
{
    out.push_back({ std::move(name), ToPicture(frames, delayMs) });
}

// A picture the engine stretches along one axis (a scroll bar's track or
// thumb): it keeps `end` pixels at each end as they are and stretches the
// rows or columns between them. The engine's ends are the cap plus half
// the picture, so the cap is stored as end minus half.
inline void MakeStretchable(SkinPicture& picture, bool vertical, int end)
{
    engine::PictureData& p = picture.picture;
    p.flags |= engine::kPictureCaps;
    if (vertical)
        p.capHeight = static_cast<int16_t>(end - (p.frameHeight + 1) / 2);
    else
        p.capWidth = static_cast<int16_t>(end - (p.frameWidth + 1) / 2);
}

// A deterministic noise in [-1, 1] per pixel.
inline float Noise(int x, int y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 32767.5f - 1.0f;
}

inline uint32_t WoodAt(int x, int y, bool vertical, float t)
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

inline std::vector<Canvas> ButtonFrames(int width, int height, float radius, const ButtonPalette& palette,
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

inline LabelPainter TextLabel(platform::FontRenderer& font, std::string text, int size, int weight = 400)
{
    return [&font, text = std::move(text), size, weight](Canvas& c, float cx, float cy, uint32_t colour) {
        const bool darkInk = Channel(colour, 16) < 128;
        TextStyle style { size, weight, colour, darkInk ? WithAlpha(0xFFFFFF, 0.35f) : WithAlpha(0x000000, 0.45f) };
        DrawTextCentred(c, font, text, cx, cy, style);
    };
}

inline LabelPainter CrossLabel(float half, float thickness)
{
    return [=](Canvas& c, float cx, float cy, uint32_t colour) {
        c.Fill(Union(Segment(cx - half, cy - half, cx + half, cy + half, thickness),
                   Segment(cx - half, cy + half, cx + half, cy - half, thickness)),
            colour);
    };
}

// ---- Sounds -------------------------------------------------------------------------

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

inline std::vector<uint8_t> Chime(std::initializer_list<float> notes, int stepMs, int ringMs, float decay)
{
    Synth s(stepMs * static_cast<int>(notes.size()) + ringMs);
    int at = 0;
    for (float f : notes) {
        s.Tone(at, ringMs, f, 0.35f, decay, { 1.0f, 0.3f, 0.12f });
        at += stepMs;
    }
    return s.Wav();
}

inline bool HasProgram(const char* name)
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

// A spoken word through espeak-ng (Mandarin voice, UTF-8 text; `voice` an
// espeak-ng voice such as "cmn+f3"); empty when it is not installed or fails.
inline std::vector<uint8_t> Speak(const char* utf8, const char* voice = "cmn")
{
    if (!HasProgram("espeak-ng"))
        return {};
    char path[] = "/tmp/kbzn-voice-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    const std::string command = std::string("espeak-ng -v ") + voice + " -s 150 -w " + path + " '" + utf8 + "' 2>/dev/null";
    std::vector<uint8_t> bytes;
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::remove(path);
    return bytes.size() > 44 ? bytes : std::vector<uint8_t>();
}

} // namespace tools::skin
