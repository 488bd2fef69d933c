// This game's panels: card counter, settings, emoticons, award marquee and chat bubbles.
#include "tools/skin/SkinDraw.h"

namespace tools {

namespace {

using namespace skin;

constexpr const char* kFaceSmallPack = "skins/vkfaces_bobo.vkr";
constexpr const char* kCounterPack = "skins/replay.vkr";
constexpr int kFace = 48;
constexpr int kFaceSmall = 32;
constexpr int kFaceFrames = 4;
constexpr uint32_t kFaceDelayMs = 180;

// ---- Shapes the faces need beyond the kit ------------------------------------------

Sdf Ellipse(float cx, float cy, float rx, float ry)
{
    return [=](float x, float y) {
        const float dx = (x - cx) / rx;
        const float dy = (y - cy) / ry;
        return (std::sqrt(dx * dx + dy * dy) - 1) * std::min(rx, ry);
    };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

// The shape turned by angle (radians) about (cx, cy).
Sdf Turned(Sdf shape, float cx, float cy, float angle)
{
    const float s = std::sin(angle);
    const float k = std::cos(angle);
    return [=](float x, float y) {
        const float dx = x - cx;
        const float dy = y - cy;
        return shape(cx + dx * k + dy * s, cy - dx * s + dy * k);
    };
}

// The pixels averaged down to the size (box filter, alpha-weighted).
Canvas Shrunk(const Canvas& source, int width, int height)
{
    Canvas out(width, height);
    const float sx = static_cast<float>(source.Width()) / width;
    const float sy = static_cast<float>(source.Height()) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float a = 0, r = 0, g = 0, b = 0, n = 0;
            for (float v = y * sy; v < (y + 1) * sy - 0.01f; v += 0.5f)
                for (float u = x * sx; u < (x + 1) * sx - 0.01f; u += 0.5f) {
                    const uint32_t p = source.At(std::min(static_cast<int>(u), source.Width() - 1),
                        std::min(static_cast<int>(v), source.Height() - 1));
                    const float pa = Channel(p, 24) / 255.0f;
                    a += pa;
                    r += Channel(p, 16) * pa;
                    g += Channel(p, 8) * pa;
                    b += Channel(p, 0) * pa;
                    n += 1;
                }
            if (a <= 0)
                continue;
            out.Set(x, y,
                static_cast<uint32_t>(std::lround(a / n * 255)) << 24 | static_cast<uint32_t>(std::lround(r / a)) << 16
                    | static_cast<uint32_t>(std::lround(g / a)) << 8 | static_cast<uint32_t>(std::lround(b / a)));
        }
    return out;
}

// ---- Emoticons ---------------------------------------------------------------------

constexpr uint32_t kEyeInk = Argb(0x3A2208);
constexpr uint32_t kMouthInk = Argb(0x7A3A08);
constexpr uint32_t kTearBlue = Argb(0x50A8F0);
constexpr uint32_t kSkinHand = Argb(0xFFD27A);

struct FaceLook {
    uint32_t light;
    uint32_t dark;
    uint32_t edge;
};

constexpr FaceLook kYellow { Argb(0xFFE680), Argb(0xF2B01E), Argb(0xB07A10) };
constexpr FaceLook kRed { Argb(0xFF9A7A), Argb(0xE0402A), Argb(0x962010) };
constexpr FaceLook kGreen { Argb(0xD8F09A), Argb(0x8CC850), Argb(0x4E7A22) };
constexpr FaceLook kPale { Argb(0xF4F8FF), Argb(0xB8CCE8), Argb(0x6A80A8) };
constexpr FaceLook kPink { Argb(0xFFD6E0), Argb(0xF490AA), Argb(0xB04A66) };
constexpr FaceLook kPurple { Argb(0xD8B0F0), Argb(0x9050C8), Argb(0x54247E) };
constexpr FaceLook kGrey { Argb(0xF0E6B8), Argb(0xC8B47A), Argb(0x8A7A4A) };

enum class Eyes { Dot, Happy, Closed, Cry, X, Spiral, Heart, Dollar, Wide, RollUp, Angry, Sleepy, Star, Shades, Wink, Squeeze, Side, Tiny, Sparkle, Worried };
enum class Mouth { None, Smile, Grin, Laugh, O, BigO, Flat, Sad, Wavy, Tongue, Kiss, Smirk, Zip, Teeth, Drool, Wail, Small };
enum class Motion { Bob, Shake, Jump, Still, Nod, Bow };

struct Pose {
    float cx;
    float cy;
    float r;
};

struct Ctx {
    platform::FontRenderer& font;
};

using Extra = void (*)(Canvas&, Ctx&, int frame, const Pose&);

struct Emoticon {
    const char* name;
    const FaceLook* look; // null: no face, the extra draws it all
    Eyes eyes;
    Mouth mouth;
    Motion motion;
    Extra extra;
    float radius = 18;
};

void FaceBase(Canvas& c, const Pose& p, const FaceLook& look)
{
    c.Fill(Circle(p.cx, p.cy, p.r + 1), look.edge);
    c.Fill(Circle(p.cx, p.cy, p.r), [p, look](int x, int y) {
        const float d = std::hypot(x - p.cx + p.r * 0.28f, y - p.cy + p.r * 0.33f) / (p.r * 1.45f);
        return Mix(look.light, look.dark, d);
    });
    // A soft shine at the upper left.
    c.Fill(Ellipse(p.cx - p.r * 0.42f, p.cy - p.r * 0.55f, p.r * 0.32f, p.r * 0.18f), WithAlpha(0xFFFFFF, 0.45f));
}

void Blush(Canvas& c, const Pose& p, float alpha)
{
    const float k = p.r / 18;
    c.Fill(Ellipse(p.cx - 11 * k, p.cy + 5 * k, 3.8f * k, 2.6f * k), WithAlpha(0xF06060, alpha));
    c.Fill(Ellipse(p.cx + 11 * k, p.cy + 5 * k, 3.8f * k, 2.6f * k), WithAlpha(0xF06060, alpha));
}

void Tear(Canvas& c, float x, float y, float s = 1)
{
    const Sdf drop = Union(Circle(x, y, 2.4f * s), Triangle(x - 2.3f * s, y - 0.5f * s, x + 2.3f * s, y - 0.5f * s, x, y - 6 * s));
    c.Fill(drop, kTearBlue);
    c.Fill(Circle(x - 0.8f * s, y - 0.5f * s, 0.8f * s), Argb(0xFFFFFF));
}

void DrawEyes(Canvas& c, Ctx& ctx, Eyes eyes, int f, const Pose& p)
{
    const float k = p.r / 18;
    const float ey = p.cy - 4 * k;
    const float l = p.cx - 6.5f * k;
    const float r = p.cx + 6.5f * k;
    auto dot = [&](float ex, bool blink) {
        if (blink)
            c.Fill(Segment(ex - 2.5f * k, ey, ex + 2.5f * k, ey, 0.9f), kEyeInk);
        else
            c.Fill(RoundRect(ex - 2 * k, ey - 4 * k, ex + 2 * k, ey + 3 * k, 2 * k), kEyeInk);
    };
    auto happy = [&](float ex) { c.Fill(Arc(ex, ey + 1.5f * k, 3.5f * k, kPi + 0.35f, 2 * kPi - 0.35f, 1.0f), kEyeInk); };
    auto closed = [&](float ex) { c.Fill(Arc(ex, ey - 2.5f * k, 3.5f * k, 0.35f, kPi - 0.35f, 1.0f), kEyeInk); };
    auto white = [&](float ex, float px, float py, float size) {
        c.Fill(Circle(ex, ey, 4.6f * k * size), kEyeInk);
        c.Fill(Circle(ex, ey, 3.8f * k * size), Argb(0xFFFFFF));
        c.Fill(Circle(ex + px, ey + py, 1.9f * k * size), kEyeInk);
    };
    switch (eyes) {
    case Eyes::Dot:
        dot(l, f == 3);
        dot(r, f == 3);
        break;
    case Eyes::Happy:
        happy(l);
        happy(r);
        break;
    case Eyes::Closed:
        c.Fill(Segment(l - 3 * k, ey, l + 3 * k, ey, 0.9f), kEyeInk);
        c.Fill(Segment(r - 3 * k, ey, r + 3 * k, ey, 0.9f), kEyeInk);
        break;
    case Eyes::Cry:
        closed(l);
        closed(r);
        break;
    case Eyes::X:
        for (float ex : { l, r }) {
            c.Fill(Segment(ex - 2.6f * k, ey - 2.6f * k, ex + 2.6f * k, ey + 2.6f * k, 0.9f), kEyeInk);
            c.Fill(Segment(ex - 2.6f * k, ey + 2.6f * k, ex + 2.6f * k, ey - 2.6f * k, 0.9f), kEyeInk);
        }
        break;
    case Eyes::Spiral:
        for (float ex : { l, r }) {
            const float turn = f * kPi / 2;
            c.Fill(Circle(ex, ey, 4.4f * k), Argb(0xFFFFFF));
            c.Fill(Arc(ex, ey, 3.6f * k, turn, turn + 4.6f, 0.6f), kEyeInk);
            c.Fill(Arc(ex, ey, 2.0f * k, turn + 1.5f, turn + 6.0f, 0.6f), kEyeInk);
            c.Fill(Circle(ex, ey, 0.8f * k), kEyeInk);
        }
        break;
    case Eyes::Heart:
        for (float ex : { l, r }) {
            const float s = (f % 2 ? 9.5f : 8.0f) * k;
            c.Fill(Heart(ex, ey, s), Argb(0xE8203A));
            c.Fill(Circle(ex - s * 0.22f, ey - s * 0.18f, s * 0.1f), WithAlpha(0xFFFFFF, 0.8f));
        }
        break;
    case Eyes::Dollar:
        for (float ex : { l, r }) {
            c.Fill(Circle(ex, ey, 4.6f * k), Argb(0x9C7010));
            c.Fill(Circle(ex, ey, 3.9f * k), f % 2 ? Argb(0xFFE88A) : Argb(0xFFD84A));
            DrawTextCentred(c, ctx.font, "$", ex, ey, { 8, 700, Argb(0x7A5008), 0 });
        }
        break;
    case Eyes::Wide:
        white(l, 0, 0, 1);
        white(r, 0, 0, 1);
        break;
    case Eyes::RollUp: {
        const float roll = std::array<float, 4> { -1.2f, 0, 1.2f, 0 }[static_cast<size_t>(f)] * k;
        white(l, roll, -2.0f * k, 1);
        white(r, roll, -2.0f * k, 1);
        c.Fill(Segment(l - 4 * k, ey - 6.5f * k, l + 3 * k, ey - 7.5f * k, 0.8f), kEyeInk);
        c.Fill(Segment(r - 3 * k, ey - 7.5f * k, r + 4 * k, ey - 6.5f * k, 0.8f), kEyeInk);
        break;
    }
    case Eyes::Angry:
        dot(l, false);
        dot(r, false);
        c.Fill(Segment(l - 4 * k, ey - 8 * k, l + 3 * k, ey - 5 * k, 1.1f), kEyeInk);
        c.Fill(Segment(r + 4 * k, ey - 8 * k, r - 3 * k, ey - 5 * k, 1.1f), kEyeInk);
        break;
    case Eyes::Sleepy:
        for (float ex : { l, r }) {
            c.Fill(Intersect(Circle(ex, ey, 3.4f * k), [=](float, float y) { return (ey - 0.2f * k) - y; }), kEyeInk);
            c.Fill(Segment(ex - 3.8f * k, ey - 0.6f * k, ex + 3.8f * k, ey - 0.6f * k, 0.7f), kEyeInk);
        }
        break;
    case Eyes::Star:
        for (float ex : { l, r }) {
            const Sdf star = Star(ex, ey, 1.8f * k, 5.2f * k, f * kPi / 10);
            c.Fill(star, Argb(0xFFD020));
            c.Fill(Outline(star, 0.35f), Argb(0xB07A10));
        }
        break;
    case Eyes::Shades: {
        const Sdf lens = Union(RoundRect(l - 5.5f * k, ey - 3.5f * k, l + 4.5f * k, ey + 3.5f * k, 2.5f * k),
            RoundRect(r - 4.5f * k, ey - 3.5f * k, r + 5.5f * k, ey + 3.5f * k, 2.5f * k));
        c.Fill(Union(lens, Segment(l, ey - 2 * k, r, ey - 2 * k, 0.9f)), Argb(0x1A1A22));
        const float glint = l - 4 * k + f * 4 * k;
        c.Fill(Intersect(lens, Segment(glint, ey + 3 * k, glint + 3 * k, ey - 3 * k, 0.9f)), WithAlpha(0xFFFFFF, 0.7f));
        break;
    }
    case Eyes::Wink:
        dot(l, false);
        happy(r);
        break;
    case Eyes::Squeeze:
        c.Fill(Union(Segment(l - 3 * k, ey - 3 * k, l + 2.5f * k, ey, 0.9f), Segment(l + 2.5f * k, ey, l - 3 * k, ey + 3 * k, 0.9f)), kEyeInk);
        c.Fill(Union(Segment(r + 3 * k, ey - 3 * k, r - 2.5f * k, ey, 0.9f), Segment(r - 2.5f * k, ey, r + 3 * k, ey + 3 * k, 0.9f)), kEyeInk);
        break;
    case Eyes::Side:
        for (float ex : { l, r }) {
            c.Fill(Intersect(Ellipse(ex, ey, 4.2f * k, 3.2f * k), [=](float, float y) { return (ey - 0.8f * k) - y; }), Argb(0xFFFFFF));
            c.Fill(Intersect(Circle(ex + 2.2f * k, ey + 0.6f * k, 1.7f * k), Ellipse(ex, ey, 4.2f * k, 3.2f * k)), kEyeInk);
            c.Fill(Segment(ex - 4.4f * k, ey - 0.8f * k, ex + 4.4f * k, ey - 0.8f * k, 0.8f), kEyeInk);
        }
        break;
    case Eyes::Tiny:
        c.Fill(Circle(l + 1, ey, 1.4f * k), kEyeInk);
        c.Fill(Circle(r - 1, ey, 1.4f * k), kEyeInk);
        break;
    case Eyes::Sparkle:
        for (float ex : { l, r }) {
            c.Fill(Circle(ex, ey, 4.6f * k), kEyeInk);
            c.Fill(Circle(ex - 1.4f * k, ey - 1.4f * k, 1.6f * k), Argb(0xFFFFFF));
            c.Fill(Circle(ex + 1.5f * k, ey + 1.6f * k, (f % 2 ? 1.0f : 0.7f) * k), Argb(0xFFFFFF));
        }
        break;
    case Eyes::Worried:
        dot(l, f == 3);
        dot(r, f == 3);
        c.Fill(Segment(l - 4 * k, ey - 5 * k, l + 3 * k, ey - 8 * k, 1.0f), kEyeInk);
        c.Fill(Segment(r + 4 * k, ey - 5 * k, r - 3 * k, ey - 8 * k, 1.0f), kEyeInk);
        break;
    }
}

void DrawMouth(Canvas& c, Mouth mouth, int f, const Pose& p)
{
    const float k = p.r / 18;
    const float cx = p.cx;
    const float my = p.cy + 8 * k;
    switch (mouth) {
    case Mouth::None:
        break;
    case Mouth::Smile:
        c.Fill(Arc(cx, p.cy + 2 * k, 8 * k, 0.4f, kPi - 0.4f, 1.1f), kMouthInk);
        break;
    case Mouth::Grin: {
        const Sdf shape = Intersect(Circle(cx, my - 4 * k, 9 * k), [=](float, float y) { return (my - 1 * k) - y; });
        c.Fill(shape, Argb(0x6A1A08));
        c.Fill(Intersect(shape, [=](float, float y) { return y - (my + 2.8f * k); }), Argb(0xFFFFFF));
        c.Fill(Segment(cx - 6 * k, my + 1.2f * k, cx + 6 * k, my + 1.2f * k, 0.4f), WithAlpha(0x6A1A08, 0.6f));
        break;
    }
    case Mouth::Laugh: {
        const Sdf shape = Intersect(Circle(cx, my - 3 * k, 9.5f * k), [=](float, float y) { return (my - 1 * k) - y; });
        c.Fill(shape, Argb(0x6A1A08));
        c.Fill(Intersect(shape, Circle(cx, my + 8 * k + (f % 2) * k, 5.5f * k)), Argb(0xF06070));
        break;
    }
    case Mouth::O:
        c.Fill(Ellipse(cx, my + 1 * k, (2.6f + (f % 2) * 0.4f) * k, (3.2f + (f % 2) * 0.5f) * k), Argb(0x6A1A08));
        break;
    case Mouth::BigO:
        c.Fill(Ellipse(cx, my + 1.5f * k, 4.2f * k, (5.2f + (f % 2)) * k), Argb(0x6A1A08));
        c.Fill(Ellipse(cx, my + 4.2f * k, 2.6f * k, 1.6f * k), Argb(0xE06060));
        break;
    case Mouth::Flat:
        c.Fill(Segment(cx - 5 * k, my + 1 * k, cx + 5 * k, my + 1 * k, 1.0f), kMouthInk);
        break;
    case Mouth::Sad:
        c.Fill(Arc(cx, my + 9 * k, 7 * k, kPi + 0.7f, 2 * kPi - 0.7f, 1.1f), kMouthInk);
        break;
    case Mouth::Wavy:
        for (int i = 0; i < 4; ++i) {
            const float x0 = cx - 6 * k + i * 3 * k;
            c.Fill(Segment(x0, my + (i % 2 ? 1.5f : -0.5f) * k, x0 + 3 * k, my + (i % 2 ? -0.5f : 1.5f) * k, 0.8f), kMouthInk);
        }
        break;
    case Mouth::Tongue:
        c.Fill(Arc(cx, p.cy + 2 * k, 8 * k, 0.4f, kPi - 0.4f, 1.1f), kMouthInk);
        c.Fill(RoundRect(cx + 0.5f * k, my + 1 * k, cx + 6 * k, my + (6.5f + (f % 2)) * k, 2.7f * k), Argb(0xE85068));
        c.Fill(Segment(cx + 3.2f * k, my + 2 * k, cx + 3.2f * k, my + 4.5f * k, 0.4f), Argb(0xB02A40));
        break;
    case Mouth::Kiss:
        c.Fill(Union(Circle(cx + 1 * k, my - 1 * k, 2.3f * k), Circle(cx + 1 * k, my + 2.6f * k, 2.3f * k)), Argb(0xE03050));
        break;
    case Mouth::Smirk:
        c.Fill(Arc(cx + 3 * k, my - 7 * k, 7 * k, 0.5f, 1.9f, 1.1f), kMouthInk);
        c.Fill(Segment(cx - 6 * k, my + 0.5f * k, cx - 1 * k, my - 0.2f * k, 1.0f), kMouthInk);
        break;
    case Mouth::Zip:
        c.Fill(Segment(cx - 7 * k, my, cx + 7 * k, my, 1.0f), kMouthInk);
        for (int i = -3; i <= 3; ++i)
            c.Fill(Segment(cx + i * 2 * k, my - 1.8f * k, cx + i * 2 * k, my + 1.8f * k, 0.5f), Argb(0x707070));
        // The zipper's pull swings.
        c.Fill(Turned(RoundRect(cx + 6.5f * k, my - 1.5f * k, cx + 9 * k, my + 4.5f * k, 1), cx + 7.7f * k, my,
                   std::array<float, 4> { -0.3f, 0, 0.3f, 0 }[static_cast<size_t>(f)]),
            Argb(0xB0B0B0));
        break;
    case Mouth::Teeth:
        c.Fill(RoundRect(cx - 7 * k, my - 3 * k, cx + 7 * k, my + 3 * k, 2.5f * k), Argb(0x6A1A08));
        c.Fill(RoundRect(cx - 6 * k, my - 2 * k, cx + 6 * k, my + 2 * k, 1.5f * k), Argb(0xFFFFFF));
        c.Fill(Segment(cx - 6 * k, my, cx + 6 * k, my, 0.35f), Argb(0x909090));
        for (int i = -2; i <= 2; ++i)
            c.Fill(Segment(cx + i * 2.4f * k, my - 2 * k, cx + i * 2.4f * k, my + 2 * k, 0.35f), Argb(0x909090));
        break;
    case Mouth::Drool:
        c.Fill(Intersect(Circle(cx, my - 4 * k, 8 * k), [=](float, float y) { return (my - 1 * k) - y; }), Argb(0x6A1A08));
        Tear(c, cx + 4 * k, my + (5 + f * 1.2f) * k, 0.8f * k);
        break;
    case Mouth::Wail:
        c.Fill(Ellipse(cx, my + 1.5f * k, 6.5f * k, (4.2f + (f % 2)) * k), Argb(0x6A1A08));
        c.Fill(Ellipse(cx, my + 4.2f * k, 3.6f * k, 1.6f * k), Argb(0xE06060));
        break;
    case Mouth::Small:
        c.Fill(Arc(cx, my - 2 * k, 3 * k, 0.5f, kPi - 0.5f, 0.9f), kMouthInk);
        break;
    }
}

// A hand as a mitten with a thumb, its palm centred at (x, y).
void Hand(Canvas& c, float x, float y, float s, float angle, bool thumbUp = false)
{
    Sdf palm = RoundRect(x - 4.5f * s, y - 4 * s, x + 4.5f * s, y + 5 * s, 3 * s);
    Sdf thumb = thumbUp ? RoundRect(x - 1.8f * s, y - 10 * s, x + 1.8f * s, y - 2 * s, 1.8f * s)
                        : RoundRect(x + 2 * s, y - 2 * s, x + 7 * s, y + 1.6f * s, 1.8f * s);
    Sdf hand = Turned(Union(palm, thumb), x, y, angle);
    c.Fill(hand, Argb(0xB07A10));
    c.Fill([hand](float px, float py) { return hand(px, py) + 0.9f; }, kSkinHand);
    if (!thumbUp)
        for (int i = 0; i < 2; ++i) {
            const float fy = y - 1 * s + i * 3 * s;
            c.Fill(Turned(Segment(x - 3.5f * s, fy, x + 1 * s, fy, 0.35f), x, y, angle), WithAlpha(0xB07A10, 0.7f));
        }
}

void TextMark(Canvas& c, Ctx& ctx, const char* text, float x, float y, int size, uint32_t colour)
{
    DrawTextCentred(c, ctx.font, text, x, y, { size, 700, colour, Argb(0xFFFFFF) });
}

void Coin(Canvas& c, float x, float y, float r)
{
    c.Fill(Circle(x, y, r), Argb(0x9C7010));
    c.Fill(Circle(x, y, r - 1), Argb(0xFFD84A));
    c.Fill(RoundRect(x - r * 0.3f, y - r * 0.3f, x + r * 0.3f, y + r * 0.3f, 0.3f), Argb(0x9C7010));
}

void SmallCard(Canvas& c, float x, float y, float tilt, bool red)
{
    c.Fill(Turned(RoundRect(x - 6, y - 8, x + 6, y + 8, 1.5f), x, y, tilt), Argb(0x404040));
    c.Fill(Turned(RoundRect(x - 5, y - 7, x + 5, y + 7, 1), x, y, tilt), Argb(0xFFFFFF));
    c.Fill(Turned(red ? Heart(x, y, 8) : Spade(x, y, 8), x, y, tilt), red ? kCardRed : kCardBlack);
}

void Rose(Canvas& c, float x, float y, float droop, uint32_t petal, uint32_t leaf)
{
    // Stem from the bloom down, bending by droop.
    const float bx = x + droop * 10;
    c.Fill(Union(Segment(x, 46, x + droop * 4, 30, 1.3f), Segment(x + droop * 4, 30, bx, y + 4, 1.3f)), leaf);
    c.Fill(Turned(Ellipse(x - 5, 36, 5, 2.4f), x - 5, 36, 0.5f), leaf);
    c.Fill(Turned(Ellipse(x + 5 + droop * 2, 30, 5, 2.4f), x + 5, 30, -0.5f), leaf);
    c.Fill(Union(Circle(bx, y, 8.5f), Triangle(bx - 8, y, bx + 8, y, bx, y + 10)), Darker(petal, 0.35f));
    c.Fill(Circle(bx, y - 0.5f, 7.5f), petal);
    c.Fill(Arc(bx, y, 4.5f, 0.2f, 4.5f, 0.9f), Darker(petal, 0.4f));
    c.Fill(Arc(bx + 1, y - 1, 2.2f, 2.0f, 7.0f, 0.8f), Darker(petal, 0.4f));
}

const Emoticon kEmoticons[] = {
    { "嗯哈", &kYellow, Eyes::Happy, Mouth::Smile, Motion::Nod,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Blush(c, p, 0.35f);
            const float y = 10.0f - (f % 2) * 2;
            c.Fill(Union(Circle(41, y + 6, 2.2f), Segment(43, y + 6, 43, y - 2, 0.7f)), Argb(0x2A6AE0));
            c.Fill(Segment(43, y - 2, 46, y, 0.8f), Argb(0x2A6AE0));
        } },
    { "白眼", &kYellow, Eyes::RollUp, Mouth::Flat, Motion::Still, nullptr },
    { "坏笑", &kYellow, Eyes::Side, Mouth::Smirk, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Segment(p.cx - 10, p.cy - 11, p.cx - 3, p.cy - 9 + (f % 2), 1.0f), kEyeInk);
            c.Fill(Segment(p.cx + 3, p.cy - 9 + (f % 2), p.cx + 10, p.cy - 11, 1.0f), kEyeInk);
        } },
    { "抽烟", &kYellow, Eyes::Sleepy, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            // A cigarette from the corner of the mouth and smoke curling up.
            const float y = p.cy + 9;
            const Sdf stick = Turned(RoundRect(p.cx + 3, y - 2, p.cx + 21, y + 2, 1), p.cx + 3, y, -0.25f);
            c.Fill(stick, Argb(0x707070));
            c.Fill([stick](float x, float yy) { return stick(x, yy) + 0.8f; }, Argb(0xFFFFFF));
            c.Fill(Intersect(stick, [&](float x, float) { return x - (p.cx + 8); }), Argb(0xE09A50));
            c.Fill(Circle(p.cx + 20.5f, y - 4.5f, 2), Argb(0xFF5020));
            for (int i = 0; i < 3; ++i) {
                const float t = static_cast<float>((f + i * 2) % 6);
                c.Fill(Circle(p.cx + 20 + std::sin(t) * 2, y - 10 - t * 4, 2.2f + t * 0.5f), WithAlpha(0x8A8A96, 0.8f - t * 0.1f));
            }
        } },
    { "呲牙", &kYellow, Eyes::Happy, Mouth::Grin, Motion::Bob, nullptr },
    { "大哭", &kYellow, Eyes::Cry, Mouth::Wail, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int side : { -1, 1 }) {
                const float x = p.cx + side * 7.5f;
                c.Fill(RoundRect(x - 1.6f, p.cy - 3, x + 1.6f, p.cy + 12 + f * 1.5f, 1.5f), WithAlpha(0x50A8F0, 0.85f));
                Tear(c, x + side * 4, p.cy + 4 + ((f + (side > 0 ? 2 : 0)) % 4) * 3.0f);
            }
        } },
    { "调皮", &kYellow, Eyes::Wink, Mouth::Tongue, Motion::Bob, [](Canvas& c, Ctx&, int, const Pose& p) { Blush(c, p, 0.3f); } },
    { "发怒", &kRed, Eyes::Angry, Mouth::Teeth, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float s = f % 2 ? 1.15f : 0.9f;
            const float x = p.cx + 12;
            const float y = p.cy - 13;
            for (int i = 0; i < 4; ++i) {
                const float a = i * kPi / 2 + kPi / 4;
                c.Fill(Arc(x + std::cos(a) * 4.5f * s, y + std::sin(a) * 4.5f * s, 2.6f * s, a + kPi - 1.0f, a + kPi + 1.0f, 1.0f), Argb(0xD01010));
            }
        } },
    { "飞吻", &kYellow, Eyes::Wink, Mouth::Kiss, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Blush(c, p, 0.35f);
            const float t = static_cast<float>(f);
            c.Fill(Heart(p.cx + 12 + t * 2.5f, p.cy + 2 - t * 5, 7 + t), Argb(0xF03050));
        } },
    { "流汗", &kYellow, Eyes::Dot, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Segment(p.cx - 10, p.cy - 9, p.cx - 3, p.cy - 8, 0.9f), kEyeInk);
            c.Fill(Segment(p.cx + 3, p.cy - 8, p.cx + 10, p.cy - 9, 0.9f), kEyeInk);
            Tear(c, p.cx + 13, p.cy - 9 + f * 2.0f, 1.5f);
        } },
    { "惊吓", &kPale, Eyes::Wide, Mouth::BigO, Motion::Shake,
        [](Canvas& c, Ctx&, int, const Pose& p) {
            for (int i = 0; i < 4; ++i)
                c.Fill(Segment(p.cx - 9 + i * 6, p.cy - 16, p.cx - 9 + i * 6, p.cy - 10, 0.8f), Argb(0x4A60C0));
        } },
    { "囧囧", &kYellow, Eyes::Tiny, Mouth::None, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            // The brows and mouth of the character 囧.
            c.Fill(Segment(p.cx - 3, p.cy - 10, p.cx - 10, p.cy - 3, 1.1f), kEyeInk);
            c.Fill(Segment(p.cx + 3, p.cy - 10, p.cx + 10, p.cy - 3, 1.1f), kEyeInk);
            c.Fill(Outline(RoundRect(p.cx - 5, p.cy + 5, p.cx + 5, p.cy + 12 + (f % 2), 1.5f), 0.9f), kEyeInk);
        } },
    { "耍酷", &kYellow, Eyes::Shades, Mouth::Smirk, Motion::Bob, nullptr },
    { "犯困", &kYellow, Eyes::Sleepy, Mouth::O, Motion::Still,
        [](Canvas& c, Ctx& ctx, int f, const Pose& p) {
            const char* z[] = { "z", "Z" };
            for (int i = 0; i < 2; ++i) {
                const float t = static_cast<float>((f + i * 2) % 4);
                TextMark(c, ctx, z[i], p.cx + 14 + t, p.cy - 10 - t * 3, 9 + i * 2, Argb(0x3A5AC0));
            }
        } },
    { "鼻血", &kPink, Eyes::Dot, Mouth::Smile, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Blush(c, p, 0.55f);
            for (int side : { -1, 1 })
                c.Fill(RoundRect(p.cx + side * 1.5f - 0.9f, p.cy + 2, p.cx + side * 1.5f + 0.9f, p.cy + 6 + f * 2.5f, 0.9f), Argb(0xD01818));
        } },
    { "拍砖", &kYellow, Eyes::Angry, Mouth::Teeth, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const float a = -0.9f + f * 0.35f;
            const Sdf brick = Turned(RoundRect(30, 2, 46, 12, 1), 38, 16, a);
            c.Fill(brick, Argb(0xA8442A));
            c.Fill(Intersect(brick, [](float, float y) { return std::fabs(std::fmod(y, 5.0f) - 2.5f) - 2.1f; }), WithAlpha(0xE8A080, 0.5f));
            Hand(c, 38 + std::sin(a) * 6, 17, 0.7f, a);
        } },
    { "爱钱", &kYellow, Eyes::Dollar, Mouth::Grin, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) { Coin(c, 41, 40.0f - (f % 2) * 3, 6); } },
    { "好色", &kPink, Eyes::Heart, Mouth::Drool, Motion::Bob, nullptr },
    { "好衰", &kGrey, Eyes::Cry, Mouth::Wavy, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const Sdf cloud = Union(Union(Circle(p.cx - 7, 6, 5), Circle(p.cx + 1, 4, 6)), Circle(p.cx + 9, 6.5f, 4.5f));
            c.Fill(cloud, Argb(0x6A6A78));
            for (int i = 0; i < 3; ++i)
                c.Fill(Segment(p.cx - 7 + i * 7, 12 + ((f + i) % 3) * 2.0f, p.cx - 8 + i * 7, 14 + ((f + i) % 3) * 2.0f, 0.7f), Argb(0x5080E0));
        } },
    { "呕吐", &kGreen, Eyes::Squeeze, Mouth::BigO, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float y = p.cy + 11;
            c.Fill(Union(RoundRect(p.cx - 3.5f, y - 2, p.cx + 3.5f, y + 6 + f * 1.5f, 3), Circle(p.cx + 1, y + 8 + f * 1.5f, 4)), Argb(0x9CC83A));
            c.Fill(Circle(p.cx - 1, y + 4, 1.2f), Argb(0xE8F08A));
        } },
    { "微笑", &kYellow, Eyes::Dot, Mouth::Smile, Motion::Bob, [](Canvas& c, Ctx&, int, const Pose& p) { Blush(c, p, 0.3f); } },
    { "委屈", &kYellow, Eyes::Sparkle, Mouth::Sad, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Segment(p.cx - 10, p.cy - 9, p.cx - 3, p.cy - 12, 0.9f), kEyeInk);
            c.Fill(Segment(p.cx + 3, p.cy - 12, p.cx + 10, p.cy - 9, 0.9f), kEyeInk);
            if (f >= 2)
                Tear(c, p.cx - 8, p.cy + 2 + (f - 2) * 3.0f, 0.9f);
        } },
    { "疑问", &kYellow, Eyes::Dot, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx& ctx, int f, const Pose& p) {
            c.Fill(Segment(p.cx + 3, p.cy - 12, p.cx + 10, p.cy - 10, 0.9f), kEyeInk);
            TextMark(c, ctx, "?", 40, 9.0f - std::array<float, 4> { 0, 2, 3, 2 }[static_cast<size_t>(f)], 20, Argb(0x2A6AE0));
        } },
    { "头晕", &kYellow, Eyes::Spiral, Mouth::Wavy, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int i = 0; i < 3; ++i) {
                const float a = f * kPi / 6 + i * 2 * kPi / 3;
                c.Fill(Star(p.cx + std::cos(a) * 13, 6 + std::sin(a) * 3, 1.2f, 3.4f), Argb(0xFFC020));
            }
        } },
    { "再见", &kYellow, Eyes::Happy, Mouth::Smile, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const float a = std::array<float, 4> { -0.4f, 0.0f, 0.4f, 0.0f }[static_cast<size_t>(f)];
            Hand(c, 40, 30, 0.8f, a, true);
            c.Fill(Arc(40, 30, 10, -2.2f + a, -1.6f + a, 0.6f), WithAlpha(0x8A6A30, 0.7f));
        } },
    { "安静", &kYellow, Eyes::Dot, Mouth::Small, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(RoundRect(p.cx - 1.8f, p.cy + 1, p.cx + 1.8f, p.cy + 14, 1.8f), Argb(0xB07A10));
            c.Fill(RoundRect(p.cx - 1.0f, p.cy + 1.8f, p.cx + 1.0f, p.cy + 13, 1.0f), kSkinHand);
            if (f % 2)
                c.Fill(Arc(p.cx + 6, p.cy + 8, 4, -0.8f, 0.8f, 0.6f), WithAlpha(0x606060, 0.7f));
        } },
    { "鄙视", &kYellow, Eyes::Side, Mouth::Sad, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Ellipse(p.cx - 9 - f * 1.5f, p.cy + 6, 3 + f * 0.4f, 1.8f), WithAlpha(0xC0C0C0, 0.8f));
        } },
    { "害羞", &kPink, Eyes::Happy, Mouth::Small, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Blush(c, p, f % 2 ? 0.8f : 0.6f);
            for (int side : { -1, 1 })
                for (int i = 0; i < 3; ++i)
                    c.Fill(Segment(p.cx + side * (8 + i * 2.2f), p.cy + 3, p.cx + side * (7 + i * 2.2f), p.cy + 7, 0.5f), Argb(0xC03050));
        } },
    { "魂魄", &kPale, Eyes::X, Mouth::O, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float y = 12.0f - f * 2.5f;
            const Sdf ghost = Union(Circle(p.cx + 8, y, 5.5f), Triangle(p.cx + 2.5f, y, p.cx + 13.5f, y, p.cx + 4, y + 11));
            c.Fill(ghost, WithAlpha(0xFFFFFF, 0.85f));
            c.Fill(Outline(ghost, 0.4f), WithAlpha(0x6A80A8, 0.8f));
            c.Fill(Circle(p.cx + 6.5f, y - 0.5f, 0.9f), kEyeInk);
            c.Fill(Circle(p.cx + 9.5f, y - 0.5f, 0.9f), kEyeInk);
        } },
    { "加油", &kYellow, Eyes::Angry, Mouth::Grin, Motion::Jump,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(RoundRect(p.cx - 19, p.cy - 15, p.cx + 19, p.cy - 10, 2), Argb(0xD02020));
            c.Fill(Triangle(p.cx + 16, p.cy - 13, p.cx + 23, p.cy - 18 + f, p.cx + 23, p.cy - 9 + f), Argb(0xD02020));
            Hand(c, 8, 40.0f - (f % 2) * 3, 0.75f, 0);
        } },
    { "抠鼻", &kYellow, Eyes::Sleepy, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float y = p.cy + 3 - (f % 2) * 1.5f;
            c.Fill(RoundRect(p.cx - 1.5f, y, p.cx + 1.5f, y + 16, 1.5f), Argb(0xB07A10));
            c.Fill(RoundRect(p.cx - 0.8f, y + 0.8f, p.cx + 0.8f, y + 15, 0.8f), kSkinHand);
            Hand(c, p.cx + 1, y + 20, 0.7f, 0);
        } },
    { "佩服", &kYellow, Eyes::Star, Mouth::Laugh, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) { Hand(c, 40, 38.0f - (f % 2) * 2, 0.85f, 0, true); } },
    { "睡觉", &kYellow, Eyes::Closed, Mouth::Small, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float r = std::array<float, 4> { 2.0f, 3.5f, 5.0f, 3.5f }[static_cast<size_t>(f)];
            c.Fill(Circle(p.cx + 4 + r, p.cy + 2, r), WithAlpha(0xA8D8FF, 0.7f));
            c.Fill(Outline(Circle(p.cx + 4 + r, p.cy + 2, r), 0.4f), WithAlpha(0x5080C0, 0.8f));
            const Sdf cap = Triangle(p.cx - 16, p.cy - 10, p.cx + 12, p.cy - 14, p.cx - 10, p.cy - 26);
            c.Fill(cap, Argb(0x4A60C0));
            c.Fill(Circle(p.cx - 10, p.cy - 26, 2.5f), Argb(0xFFFFFF));
        } },
    { "捂耳", &kYellow, Eyes::Squeeze, Mouth::Teeth, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Hand(c, p.cx - 17, p.cy, 0.75f, 0.3f);
            Hand(c, p.cx + 17, p.cy, 0.75f, -0.3f);
            for (int i = 0; i < 2; ++i) {
                const float r = 5.0f + i * 3 + (f % 2);
                c.Fill(Arc(p.cx, 8, r, kPi + 0.8f, 2 * kPi - 0.8f, 0.5f), WithAlpha(0x606060, 0.6f));
            }
        } },
    { "邪恶", &kPurple, Eyes::Angry, Mouth::Grin, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int side : { -1, 1 })
                c.Fill(Triangle(p.cx + side * 14, p.cy - 8, p.cx + side * 6, p.cy - 15, p.cx + side * 16, p.cy - 22 - (f % 2)), Argb(0xA01818));
        } },
    { "不行", &kYellow, Eyes::Worried, Mouth::Flat, Motion::Shake,
        [](Canvas& c, Ctx&, int, const Pose& p) {
            const Sdf cross = Union(Segment(p.cx - 11, p.cy + 2, p.cx + 11, p.cy + 18, 3), Segment(p.cx + 11, p.cy + 2, p.cx - 11, p.cy + 18, 3));
            c.Fill(cross, Argb(0xB07A10));
            c.Fill([cross](float x, float y) { return cross(x, y) + 1; }, Argb(0xE8403A));
        } },
    { "好的", nullptr, Eyes::Dot, Mouth::None, Motion::Bob,
        [](Canvas& c, Ctx& ctx, int f, const Pose& p) {
            const float s = f % 2 ? 1.0f : 0.95f;
            c.Fill(Circle(p.cx, p.cy, 18 * s), Argb(0x1E8A3A));
            c.Fill(Circle(p.cx, p.cy, 16.5f * s), [p](int x, int y) { return Mix(Argb(0x7AD86A), Argb(0x2A9A3A), (y - p.cy + 16) / 32.0f + x * 0); });
            DrawTextCentred(c, ctx.font, "OK", p.cx, p.cy, { 16, 700, Argb(0xFFFFFF), Argb(0x145A24) });
        } },
    { "爱心", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const float s = std::array<float, 4> { 34, 38, 40, 36 }[static_cast<size_t>(f)];
            c.Fill(Heart(24, 25, s + 2), Argb(0x9A1020));
            c.Fill(Heart(24, 25, s), [](int, int y) { return Mix(Argb(0xFF6A80), Argb(0xD81830), y / 44.0f); });
            c.Fill(Ellipse(16, 17, 4, 2.5f), WithAlpha(0xFFFFFF, 0.6f));
        } },
    { "安慰", &kYellow, Eyes::Happy, Mouth::Small, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Blush(c, p, 0.3f);
            Hand(c, p.cx + 6, p.cy - 18 + (f % 2) * 2.5f, 0.8f, kPi / 2);
        } },
    { "抱歉", &kYellow, Eyes::Cry, Mouth::Flat, Motion::Bow,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Segment(p.cx - 10, p.cy - 9, p.cx - 3, p.cy - 11, 0.9f), kEyeInk);
            c.Fill(Segment(p.cx + 3, p.cy - 11, p.cx + 10, p.cy - 9, 0.9f), kEyeInk);
            Tear(c, p.cx + 14, p.cy - 8 + f * 1.5f, 1.2f);
        } },
    { "闭嘴", &kYellow, Eyes::Angry, Mouth::Zip, Motion::Still, nullptr },
    { "便便", nullptr, Eyes::Dot, Mouth::None, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const uint32_t brown = Argb(0x8A5426);
            const Sdf pile = Union(Union(Ellipse(p.cx, p.cy + 14, 17, 6), Ellipse(p.cx, p.cy + 6, 13, 5.5f)),
                Union(Ellipse(p.cx, p.cy - 1, 9, 5), Triangle(p.cx - 5, p.cy - 3, p.cx + 5, p.cy - 3, p.cx + 2, p.cy - 12)));
            c.Fill(pile, Darker(brown, 0.35f));
            c.Fill([pile](float x, float y) { return pile(x, y) + 1; }, [p](int x, int y) { return Mix(Argb(0xB07438), Argb(0x6A3A14), (y - p.cy + 8) / 28.0f + x * 0); });
            c.Fill(Circle(p.cx - 4, p.cy + 6, 2.2f), Argb(0xFFFFFF));
            c.Fill(Circle(p.cx + 4, p.cy + 6, 2.2f), Argb(0xFFFFFF));
            c.Fill(Circle(p.cx - 4, p.cy + 6.5f, 1.1f), kEyeInk);
            c.Fill(Circle(p.cx + 4, p.cy + 6.5f, 1.1f), kEyeInk);
            const float a = f * kPi / 2;
            c.Fill(Circle(p.cx + 15 + std::cos(a) * 3, 8 + std::sin(a) * 3, 1.3f), kCardBlack);
        } },
    { "财神", &kYellow, Eyes::Happy, Mouth::Laugh, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(RoundRect(p.cx - 14, p.cy - 24, p.cx + 14, p.cy - 13, 4), Argb(0xC81E1E));
            c.Fill(RoundRect(p.cx - 18, p.cy - 15, p.cx + 18, p.cy - 11, 2), Argb(0xE2B84E));
            c.Fill(Circle(p.cx, p.cy - 19, 2.5f), Argb(0xE2B84E));
            // A beard of gold and a coin that hops.
            Coin(c, 40, 38.0f - std::array<float, 4> { 0, 3, 5, 3 }[static_cast<size_t>(f)], 6.5f);
        } },
    { "打牌", &kYellow, Eyes::Happy, Mouth::Grin, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const float wave = std::array<float, 4> { 0, 0.1f, 0.2f, 0.1f }[static_cast<size_t>(f)];
            SmallCard(c, 8, 37, -0.35f - wave, false);
            SmallCard(c, 40, 37, 0.35f + wave, true);
        } },
    { "大兵", &kYellow, Eyes::Angry, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const Sdf helmet = Intersect(Circle(p.cx, p.cy - 2, 20), [p](float, float y) { return y - (p.cy - 8); });
            c.Fill(helmet, Argb(0x3A5A2A));
            c.Fill(RoundRect(p.cx - 21, p.cy - 10, p.cx + 21, p.cy - 6, 2), Argb(0x2A4220));
            c.Fill(Star(p.cx, p.cy - 16, 1.4f, 3.6f), Argb(0xF0C020));
            if (f == 1 || f == 2) // a salute
                Hand(c, p.cx + 17, p.cy - 9, 0.7f, -0.6f);
        } },
    { "呆住", &kYellow, Eyes::Wide, Mouth::O, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int i = 0; i <= f % 4 && i < 3; ++i)
                c.Fill(Circle(p.cx + 9 + i * 5, 5, 1.6f), kEyeInk);
        } },
    { "电话", nullptr, Eyes::Dot, Mouth::None, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float a = f % 2 ? 0.12f : -0.12f;
            const Sdf body = Turned(RoundRect(p.cx - 16, p.cy - 2, p.cx + 16, p.cy + 17, 5), p.cx, p.cy + 8, a);
            const Sdf handset = Turned(Union(RoundRect(p.cx - 17, p.cy - 12, p.cx + 17, p.cy - 6, 3),
                                           Union(RoundRect(p.cx - 18, p.cy - 12, p.cx - 10, p.cy - 1, 3), RoundRect(p.cx + 10, p.cy - 12, p.cx + 18, p.cy - 1, 3))),
                p.cx, p.cy, a);
            c.Fill(body, Argb(0x8A1010));
            c.Fill([body](float x, float y) { return body(x, y) + 1; }, Argb(0xD83030));
            c.Fill(Turned(Circle(p.cx, p.cy + 8, 6), p.cx, p.cy + 8, a), Argb(0xFFF0E0));
            c.Fill(Turned(Circle(p.cx, p.cy + 8, 2), p.cx, p.cy + 8, a), Argb(0x8A1010));
            c.Fill(handset, Argb(0x2A2A2A));
            for (int side : { -1, 1 })
                c.Fill(Arc(p.cx + side * 20, p.cy - 12, 4, side > 0 ? -1.2f : kPi - 0.4f, side > 0 ? 0.4f : kPi + 1.2f, 0.6f), Argb(0x606060));
        } },
    { "凋谢", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            Rose(c, 20, 19, 0.9f, Argb(0x9A6A6A), Argb(0x7A7A3A));
            const float t = static_cast<float>(f);
            c.Fill(Turned(Ellipse(36 + t, 28 + t * 4, 3, 1.6f), 36 + t, 28 + t * 4, t), Argb(0x9A6A6A));
        } },
    { "恭喜", &kYellow, Eyes::Happy, Mouth::Laugh, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const uint32_t colours[] = { Argb(0xF03A3A), Argb(0x3AA0F0), Argb(0xF0C020), Argb(0x40C060) };
            for (int i = 0; i < 8; ++i) {
                const float x = 3.0f + i * 6;
                const float y = static_cast<float>((i * 7 + f * 5) % 20);
                c.Fill(Turned(RoundRect(x - 1.5f, y - 1, x + 1.5f, y + 1, 0.3f), x, y, i + f * 0.5f), colours[i % 4]);
            }
        } },
    { "鼓掌", &kYellow, Eyes::Happy, Mouth::Grin, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float gap = f % 2 ? 1.0f : 5.0f;
            Hand(c, p.cx - 4 - gap, p.cy + 16, 0.75f, 0.5f);
            Hand(c, p.cx + 4 + gap, p.cy + 16, 0.75f, -0.5f);
            if (f % 2)
                for (int side : { -1, 1 })
                    c.Fill(Segment(p.cx + side * 10, p.cy + 10, p.cx + side * 14, p.cy + 7, 0.6f), Argb(0xE0A020));
        } },
    { "胡牌", &kYellow, Eyes::Star, Mouth::Laugh, Motion::Jump,
        [](Canvas& c, Ctx& ctx, int, const Pose&) {
            c.Fill(RoundRect(31, 27, 46, 46, 2.5f), Argb(0x1E7A4A));
            c.Fill(RoundRect(31, 27, 46, 43, 2.5f), Argb(0xFFFBEA));
            DrawTextCentred(c, ctx.font, "胡", 38.5f, 35, { 11, 700, kCardRed, 0 });
        } },
    { "饥饿", &kYellow, Eyes::Sparkle, Mouth::Drool, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            c.Fill(Intersect(Circle(38, 34, 10), [](float, float y) { return 36 - y; }), Argb(0xE0E8F0));
            c.Fill(Intersect(Circle(38, 34, 10), [](float, float y) { return y - 36; }), Argb(0x4A80C0));
            c.Fill(Segment(32, 22 - f * 0.5f, 44, 31, 0.7f), Argb(0x8A5A2C));
            c.Fill(Segment(35, 20 - f * 0.5f, 46, 30, 0.7f), Argb(0x8A5A2C));
        } },
    { "惊愕", &kYellow, Eyes::Wide, Mouth::BigO, Motion::Jump,
        [](Canvas& c, Ctx& ctx, int f, const Pose& p) {
            TextMark(c, ctx, "!", p.cx + 17, 9.0f - (f % 2) * 2, 20, Argb(0xE02020));
        } },
    { "礼物", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const float lift = std::array<float, 4> { 0, 3, 5, 3 }[static_cast<size_t>(f)];
            c.Fill(RoundRect(9, 22, 39, 45, 2), Argb(0xB0182A));
            c.Fill(RoundRect(10, 23, 38, 44, 1.5f), Argb(0xE8304A));
            c.Fill(RoundRect(21, 23, 27, 44, 0.5f), Argb(0xF8D048));
            const float top = 15 - lift;
            c.Fill(RoundRect(6, top, 42, top + 8, 2), Argb(0xB0182A));
            c.Fill(RoundRect(7, top + 1, 41, top + 7, 1.5f), Argb(0xF04A60));
            c.Fill(RoundRect(21, top + 1, 27, top + 7, 0.5f), Argb(0xF8D048));
            c.Fill(Union(Turned(Ellipse(19, top - 3, 5, 3), 19, top - 3, 0.4f), Turned(Ellipse(29, top - 3, 5, 3), 29, top - 3, -0.4f)), Argb(0xF8D048));
        } },
    { "没钱", &kYellow, Eyes::Worried, Mouth::Sad, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            Tear(c, p.cx - 7, p.cy + 1 + f * 2.0f);
            c.Fill(RoundRect(33, 34, 47, 46, 3), Argb(0x8A5A2C));
            c.Fill(Segment(35, 34, 45, 34, 1.2f), Argb(0x4E2C12));
            c.Fill(Circle(44 - f * 0.5f, 29 - f * 1.5f, 1.4f), WithAlpha(0x808080, 0.8f));
        } },
    { "玫瑰", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            Rose(c, 24, 13, std::array<float, 4> { 0, 0.12f, 0.2f, 0.12f }[static_cast<size_t>(f)] - 0.1f, Argb(0xE8203A), Argb(0x2E8A3A));
        } },
    { "敲打", &kYellow, Eyes::X, Mouth::Wavy, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float a = std::array<float, 4> { -0.8f, -0.3f, 0.15f, -0.3f }[static_cast<size_t>(f)];
            const Sdf handle = Turned(Segment(44, 24, 44, 4, 1.4f), 44, 24, a);
            const Sdf head = Turned(RoundRect(34, 0, 46, 8, 2), 44, 24, a);
            c.Fill(handle, Argb(0x8A5A2C));
            c.Fill(head, Argb(0xA0A0A8));
            c.Fill(Outline(head, 0.4f), Argb(0x505058));
            if (f == 2)
                c.Fill(Star(p.cx + 6, p.cy - 17, 1.5f, 4.5f), Argb(0xFFD020));
        } },
    { "庆祝", &kYellow, Eyes::Happy, Mouth::Laugh, Motion::Jump,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Triangle(p.cx - 8, p.cy - 15, p.cx + 6, p.cy - 17, p.cx - 3, p.cy - 31), Argb(0x3A7AE0));
            c.Fill(Circle(p.cx - 3, p.cy - 31, 2.2f), Argb(0xF0C020));
            const uint32_t colours[] = { Argb(0xF03A3A), Argb(0xF0C020), Argb(0x40C060) };
            for (int i = 0; i < 3; ++i) {
                const float a = i * 2.1f + f * 0.3f;
                const float r = 3.0f + ((f + i) % 3) * 1.5f;
                const float x = i == 0 ? 7.0f : (i == 1 ? 41.0f : 40.0f);
                const float y = i == 2 ? 40.0f : 8.0f;
                for (int s = 0; s < 6; ++s)
                    c.Fill(Segment(x + std::cos(a + s) * r * 0.5f, y + std::sin(a + s) * r * 0.5f, x + std::cos(a + s) * r, y + std::sin(a + s) * r, 0.6f), colours[i]);
            }
        } },
    { "弱小", &kYellow, Eyes::Worried, Mouth::Small, Motion::Shake,
        [](Canvas& c, Ctx&, int, const Pose& p) { Tear(c, p.cx + 8, p.cy - 5, 0.7f); }, 12 },
    { "生病", &kGreen, Eyes::Sleepy, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            c.Fill(Turned(RoundRect(p.cx, p.cy + 8, p.cx + 18, p.cy + 11, 1.5f), p.cx, p.cy + 9, -0.35f), Argb(0xFFFFFF));
            c.Fill(Turned(Outline(RoundRect(p.cx, p.cy + 8, p.cx + 18, p.cy + 11, 1.5f), 0.4f), p.cx, p.cy + 9, -0.35f), Argb(0x808080));
            c.Fill(Turned(RoundRect(p.cx + 2, p.cy + 9, p.cx + 8 + f * 1.5f, p.cy + 10, 0.5f), p.cx, p.cy + 9, -0.35f), Argb(0xE02020));
            c.Fill(RoundRect(p.cx - 12, p.cy - 23, p.cx + 8, p.cy - 15, 3), Argb(0x8AC8F0));
            c.Fill(Outline(RoundRect(p.cx - 12, p.cy - 23, p.cx + 8, p.cy - 15, 3), 0.4f), Argb(0x4A80C0));
        } },
    { "生气", &kRed, Eyes::Angry, Mouth::Sad, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int side : { -1, 1 }) {
                const float t = static_cast<float>(f % 2);
                c.Fill(Circle(p.cx + side * (16 + t), p.cy - 18 - t * 2, 3 + t), WithAlpha(0xFFFFFF, 0.9f));
                c.Fill(Circle(p.cx + side * (19 + t * 2), p.cy - 22 - t * 2, 2 + t * 0.5f), WithAlpha(0xFFFFFF, 0.8f));
            }
        } },
    { "胜利", &kYellow, Eyes::Happy, Mouth::Laugh, Motion::Jump,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            // A V of two fingers over a fist, and a turning star.
            const Sdf v = Union(Turned(RoundRect(37, 22, 40, 36, 1.5f), 38.5f, 36, -0.3f), Turned(RoundRect(41, 22, 44, 36, 1.5f), 42.5f, 36, 0.3f));
            const Sdf fist = RoundRect(35, 33, 47, 44, 3);
            c.Fill(Union(v, fist), Argb(0xB07A10));
            c.Fill([v, fist](float x, float y) { return std::min(v(x, y), fist(x, y)) + 0.9f; }, kSkinHand);
            const Sdf star = Star(9, 8, 2.5f, 6.5f, f * kPi / 10);
            c.Fill(star, Argb(0xFFD020));
            c.Fill(Outline(star, 0.4f), Argb(0xB07A10));
        } },
    { "时间", nullptr, Eyes::Dot, Mouth::None, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int side : { -1, 1 })
                c.Fill(Circle(p.cx + side * 11, p.cy - 14, 5), Argb(0xC0A020));
            c.Fill(Circle(p.cx, p.cy + 2, 18), Argb(0x9A1818));
            c.Fill(Circle(p.cx, p.cy + 2, 15.5f), Argb(0xFFFBEA));
            for (int i = 0; i < 12; ++i) {
                const float a = i * kPi / 6;
                c.Fill(Circle(p.cx + std::cos(a) * 12.5f, p.cy + 2 + std::sin(a) * 12.5f, i % 3 ? 0.6f : 1.1f), kInk);
            }
            const float minute = -kPi / 2 + f * kPi / 2;
            c.Fill(Segment(p.cx, p.cy + 2, p.cx + std::cos(minute) * 11, p.cy + 2 + std::sin(minute) * 11, 0.8f), kInk);
            c.Fill(Segment(p.cx, p.cy + 2, p.cx + 6, p.cy + 2, 1.1f), kInk);
            c.Fill(Circle(p.cx, p.cy + 2, 1.5f), kCardRed);
        } },
    { "太阳", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            for (int i = 0; i < 12; ++i) {
                const float a = i * kPi / 6 + f * kPi / 24;
                c.Fill(Triangle(24 + std::cos(a - 0.15f) * 14, 24 + std::sin(a - 0.15f) * 14, 24 + std::cos(a + 0.15f) * 14,
                           24 + std::sin(a + 0.15f) * 14, 24 + std::cos(a) * 23, 24 + std::sin(a) * 23),
                    Argb(0xFFA020));
            }
            c.Fill(Circle(24, 24, 14), Argb(0xE88A10));
            c.Fill(Circle(24, 24, 13), [](int x, int y) { return Mix(Argb(0xFFF07A), Argb(0xFFB020), std::hypot(x - 20.0f, y - 20.0f) / 20); });
            c.Fill(Arc(19, 22, 2.5f, kPi + 0.3f, 2 * kPi - 0.3f, 0.8f), kEyeInk);
            c.Fill(Arc(29, 22, 2.5f, kPi + 0.3f, 2 * kPi - 0.3f, 0.8f), kEyeInk);
            c.Fill(Arc(24, 26, 5, 0.5f, kPi - 0.5f, 0.9f), kMouthInk);
        } },
    { "偷笑", &kYellow, Eyes::Happy, Mouth::None, Motion::Shake,
        [](Canvas& c, Ctx&, int, const Pose& p) {
            Blush(c, p, 0.4f);
            Hand(c, p.cx + 2, p.cy + 10, 0.85f, -0.2f);
        } },
    { "投降", &kYellow, Eyes::Cry, Mouth::Wavy, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            c.Fill(Segment(42, 46, 42, 4, 0.9f), Argb(0x8A5A2C));
            const float wave = f % 2 ? 2.0f : -1.0f;
            const Sdf flag = [wave](float x, float y) {
                const float top = 4 + std::sin((x - 42) * -0.35f) * wave * 0.5f;
                return std::max({ top - y, y - (top + 13), 42.5f - x < 0 ? x - 42.5f - 0.0f : -1.0f, x - 42.5f, 26 - x });
            };
            c.Fill([flag](float x, float y) { return std::max(flag(x, y), 26.0f - x); }, Argb(0xFFFFFF));
            c.Fill(Outline([flag](float x, float y) { return std::max(flag(x, y), 26.0f - x); }, 0.4f), Argb(0x909090));
        } },
    { "握手", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float dy = f % 2 ? -2.0f : 2.0f;
            c.Fill(RoundRect(0, p.cy - 5 + dy, 14, p.cy + 7 + dy, 3), Argb(0x3A6AC0));
            c.Fill(RoundRect(34, p.cy - 5 + dy, 48, p.cy + 7 + dy, 3), Argb(0x404040));
            const Sdf hands = Union(RoundRect(11, p.cy - 7 + dy, 30, p.cy + 6 + dy, 5), RoundRect(18, p.cy - 4 + dy, 37, p.cy + 9 + dy, 5));
            c.Fill(hands, Argb(0xB07A10));
            c.Fill([hands](float x, float y) { return hands(x, y) + 1; }, kSkinHand);
            for (int i = 0; i < 3; ++i)
                c.Fill(Segment(20 + i * 4, p.cy - 3 + dy, 22 + i * 4, p.cy + 5 + dy, 0.45f), WithAlpha(0xB07A10, 0.8f));
            c.Fill(Arc(24, p.cy - 10, 5, kPi + 0.6f, 2 * kPi - 0.6f, 0.6f), WithAlpha(0xE0A020, 0.9f));
        } },
    { "无聊", &kGrey, Eyes::Sleepy, Mouth::Flat, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float a = f * kPi / 2;
            const float x = p.cx + 14 + std::cos(a) * 5;
            const float y = 8 + std::sin(a) * 3;
            c.Fill(Ellipse(x - 1.5f, y - 1.5f, 2, 1.2f), WithAlpha(0xC8E0F0, 0.9f));
            c.Fill(Ellipse(x + 1.5f, y - 1.5f, 2, 1.2f), WithAlpha(0xC8E0F0, 0.9f));
            c.Fill(Circle(x, y, 1.4f), kCardBlack);
        } },
    { "无奈", &kYellow, Eyes::Closed, Mouth::Wavy, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            const float lift = (f % 2) * 2.0f;
            Hand(c, 5, p.cy + 6 - lift, 0.7f, 0.6f, true);
            Hand(c, 43, p.cy + 6 - lift, 0.7f, -0.6f, true);
            c.Fill(Segment(p.cx - 10, p.cy - 9, p.cx - 3, p.cy - 10, 0.9f), kEyeInk);
            c.Fill(Segment(p.cx + 3, p.cy - 10, p.cx + 10, p.cy - 9, 0.9f), kEyeInk);
        } },
    { "羡慕", &kYellow, Eyes::Sparkle, Mouth::O, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            for (int i = 0; i < 3; ++i) {
                const float s = ((f + i) % 2) ? 3.5f : 2.0f;
                const float x = i == 0 ? 6.0f : (i == 1 ? 42.0f : 40.0f);
                const float y = i == 0 ? 8.0f : (i == 1 ? 10.0f : 40.0f);
                c.Fill(Union(RoundRect(x - s, y - 0.5f, x + s, y + 0.5f, 0.5f), RoundRect(x - 0.5f, y - s, x + 0.5f, y + s, 0.5f)), Argb(0xFFD040));
            }
        } },
    { "心碎", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const float gap = std::array<float, 4> { 0, 1.5f, 3.0f, 1.5f }[static_cast<size_t>(f)];
            auto crack = [](float x, float y) {
                const float t = std::fmod(std::fabs(y), 8.0f);
                return 24 + (t < 4 ? t : 8 - t) - 2 - x;
            };
            const Sdf heart = Heart(24, 25, 36);
            const Sdf left = [heart, crack, gap](float x, float y) { return std::max(heart(x + gap, y), -crack(x + gap, y)); };
            const Sdf right = [heart, crack, gap](float x, float y) { return std::max(heart(x - gap, y), crack(x - gap, y)); };
            for (const Sdf& half : { left, right }) {
                c.Fill(half, Argb(0x8A1020));
                c.Fill([half](float x, float y) { return half(x, y) + 1.2f; }, [](int, int y) { return Mix(Argb(0xE85A6A), Argb(0xA81828), y / 44.0f); });
            }
        } },
    { "摇头", &kYellow, Eyes::Dot, Mouth::Flat, Motion::Shake,
        [](Canvas& c, Ctx&, int, const Pose& p) {
            for (int side : { -1, 1 })
                for (int i = 0; i < 2; ++i)
                    c.Fill(Arc(p.cx, p.cy, 21.5f + i * 2.5f, side > 0 ? -0.5f : kPi - 0.5f, side > 0 ? 0.5f : kPi + 0.5f, 0.5f), WithAlpha(0x8A6A30, 0.7f));
        } },
    { "有钱", &kYellow, Eyes::Dollar, Mouth::Laugh, Motion::Bob,
        [](Canvas& c, Ctx& ctx, int f, const Pose&) {
            const float y = 35.0f - (f % 2);
            c.Fill(Union(Ellipse(39, y + 3, 8.5f, 8), Triangle(35, y - 8, 43, y - 8, 39, y - 2)), Argb(0x9C7010));
            c.Fill(Union(Ellipse(39, y + 3, 7.5f, 7), Triangle(36, y - 7, 42, y - 7, 39, y - 2)), Argb(0xE8B840));
            DrawTextCentred(c, ctx.font, "￥", 39, y + 3, { 10, 700, Argb(0x7A4A08), 0 });
            Coin(c, 8, 41, 5);
        } },
    { "月亮", nullptr, Eyes::Dot, Mouth::None, Motion::Still,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            const Sdf moon = Subtract(Circle(22, 24, 17), Circle(31, 19, 14));
            c.Fill(moon, Argb(0xC89A20));
            c.Fill([moon](float x, float y) { return moon(x, y) + 1; }, [](int x, int y) { return Mix(Argb(0xFFF4A0), Argb(0xF0C840), (x + y) / 60.0f); });
            c.Fill(Arc(14, 22, 2.5f, 0.3f, kPi - 0.3f, 0.8f), kEyeInk);
            c.Fill(Arc(15, 31, 3.5f, 0.4f, kPi - 0.4f, 0.8f), kMouthInk);
            for (int i = 0; i < 3; ++i) {
                const float s = ((f + i) % 3 == 0) ? 4.0f : 2.5f;
                const float x = 33.0f + (i % 2) * 8;
                const float y = 10.0f + i * 12;
                c.Fill(Star(x, y, s * 0.4f, s), Argb(0xFFE060));
            }
        } },
    { "炸弹", nullptr, Eyes::Dot, Mouth::None, Motion::Shake,
        [](Canvas& c, Ctx&, int f, const Pose&) {
            c.Fill(Circle(21, 29, 16), Argb(0x1A1A22));
            c.Fill(Circle(21, 29, 15), [](int x, int y) { return Mix(Argb(0x5A5A6A), Argb(0x15151C), std::hypot(x - 15.0f, y - 22.0f) / 22); });
            c.Fill(RoundRect(28, 10, 36, 17, 1.5f), Argb(0x4A4A52));
            c.Fill(Arc(38, 11, 6, kPi, 1.6f * kPi, 0.9f), Argb(0xC8A070));
            const float sx = 40.0f;
            const float sy = 5.0f;
            const float s = f % 2 ? 5.5f : 4.0f;
            c.Fill(Star(sx, sy, s * 0.35f, s, f * 0.5f), Argb(0xFFB020));
            c.Fill(Circle(sx, sy, 1.5f), Argb(0xFFFFE0));
            c.Fill(Ellipse(15, 22, 4, 2.5f), WithAlpha(0xFFFFFF, 0.3f));
        } },
    { "咒骂", &kRed, Eyes::Angry, Mouth::Wail, Motion::Shake,
        [](Canvas& c, Ctx& ctx, int f, const Pose&) {
            c.Fill(Union(RoundRect(20, 0, 47, 13, 4), Triangle(24, 11, 30, 11, 22, 17)), Argb(0x202020));
            const char* marks[] = { "#@!", "%&!" };
            DrawTextCentred(c, ctx.font, marks[f % 2], 33.5f, 6.5f, { 9, 700, Argb(0xFFFFFF), 0 });
        } },
    { "猪头", &kPink, Eyes::Dot, Mouth::Small, Motion::Bob,
        [](Canvas& c, Ctx&, int f, const Pose& p) {
            for (int side : { -1, 1 }) {
                const Sdf ear = Triangle(p.cx + side * 7, p.cy - 15, p.cx + side * 17, p.cy - 11, p.cx + side * (17 + (f % 2)), p.cy - 23);
                c.Fill(ear, Argb(0xB04A66));
                c.Fill([ear](float x, float y) { return ear(x, y) + 1.2f; }, Argb(0xF8A8BC));
            }
            c.Fill(Ellipse(p.cx, p.cy + 4, 7, 5), Argb(0xB04A66));
            c.Fill(Ellipse(p.cx, p.cy + 4, 6, 4), Argb(0xF8A0B4));
            c.Fill(Ellipse(p.cx - 2.3f, p.cy + 4, 1.2f, 1.8f), Argb(0x7A2840));
            c.Fill(Ellipse(p.cx + 2.3f, p.cy + 4, 1.2f, 1.8f), Argb(0x7A2840));
            Blush(c, p, 0.4f);
        } },
};

static_assert(std::size(kEmoticons) == 77);

Pose PoseOf(Motion motion, int f, float radius)
{
    const size_t i = static_cast<size_t>(f);
    float dx = 0;
    float dy = 0;
    switch (motion) {
    case Motion::Bob:
        dy = std::array<float, 4> { 0, -1, -2, -0.5f }[i];
        break;
    case Motion::Shake:
        dx = std::array<float, 4> { -1.5f, 1.5f, -1, 1 }[i];
        break;
    case Motion::Jump:
        dy = std::array<float, 4> { 0, -2, -4, -1.5f }[i];
        break;
    case Motion::Nod:
        dy = std::array<float, 4> { 0, 2, 0.5f, 2.5f }[i];
        break;
    case Motion::Bow:
        dy = std::array<float, 4> { 0, 1.5f, 3, 2 }[i];
        break;
    case Motion::Still:
        break;
    }
    return { 24 + dx, 26 + dy + (18 - radius) * 0.8f, radius };
}

Canvas DrawEmoticon(const Emoticon& e, Ctx& ctx, int f)
{
    Canvas c(kFace, kFace);
    const Pose pose = PoseOf(e.motion, f, e.radius);
    if (e.look) {
        FaceBase(c, pose, *e.look);
        DrawEyes(c, ctx, e.eyes, f, pose);
        DrawMouth(c, e.mouth, f, pose);
    }
    if (e.extra)
        e.extra(c, ctx, f, pose);
    return c;
}

// The picker's page buttons: a round gold button with an arrow.
std::vector<Canvas> PageButton(bool next)
{
    std::vector<Canvas> frames;
    for (int look = 0; look < 4; ++look) {
        Canvas c(28, 28);
        const ButtonPalette& palette = look == 3 ? kSlateButton : kGoldButton;
        uint32_t top = look == 1 ? Lighter(palette.top, 0.25f) : palette.top;
        uint32_t bottom = look == 2 ? Darker(palette.bottom, 0.15f) : palette.bottom;
        if (look == 3) {
            top = Grey(Lighter(top, 0.3f));
            bottom = Grey(Lighter(bottom, 0.3f));
        }
        c.Fill(Circle(14, 14, 13), look == 3 ? Grey(palette.border) : palette.border);
        c.FillVertical(Circle(14, 14 + (look == 2), 12), 2, 26, top, bottom);
        c.Fill(Ellipse(14, 9, 8, 4), WithAlpha(0xFFFFFF, 0.25f));
        const float d = next ? 1.0f : -1.0f;
        const float y = 14.0f + (look == 2);
        c.Fill(Triangle(14 + d * 6, y, 14 - d * 4, y - 6.5f, 14 - d * 4, y + 6.5f), look == 3 ? Argb(0x8A8A8A) : palette.label);
        frames.push_back(std::move(c));
    }
    return frames;
}

void AddEmoticons(SkinFiles& skin, platform::FontRenderer& font)
{
    Ctx ctx { font };
    std::vector<SkinPicture>& large = skin.pictures[kSkinFacePack];
    std::vector<SkinPicture>& small = skin.pictures[kFaceSmallPack];
    for (const Emoticon& e : kEmoticons) {
        const std::string name = std::string("vkf") + e.name;
        // The message boxes' faces of the same names give way to these, so
        // every emoticon is drawn in one hand.
        std::erase_if(large, [&](const SkinPicture& p) { return p.name == name; });
        std::vector<Canvas> frames;
        for (int f = 0; f < kFaceFrames; ++f)
            frames.push_back(DrawEmoticon(e, ctx, f));
        Add(small, std::string("vkfs") + e.name, { Shrunk(frames.front(), kFaceSmall, kFaceSmall) });
        Add(large, name, frames, kFaceDelayMs);
    }
    Add(small, "vkf向前翻页", PageButton(false));
    Add(small, "vkf向后翻页", PageButton(true));

    // The index the chat box fills its picker from: "name=number" entries
    // separated by '|', in the order of the emoticon table.
    std::string index;
    for (size_t i = 0; i < std::size(kEmoticons); ++i)
        index += (i ? "|" : "") + std::string(kEmoticons[i].name) + "=" + std::to_string(i + 1);
    skin.entries[kSkinFacePack].emplace_back("表情索引.text", std::vector<uint8_t>(index.begin(), index.end()));
}

// ---- Chat bubbles ----------------------------------------------------------------------

// "chat": a dark speech bubble whose tail points at the speaker. Frames: 0
// tail down at the right, 1 tail up in the middle, 2 tail down in the
// middle, 3 tail to the left, 4 tail up at the right. The text sits where the views
// put it: 155 x 75 around the middle of the body, 20 pixels lower when the
// tail is on top.
constexpr int kBubbleW = 185;
constexpr int kBubbleH = 130;

Canvas Bubble(int frame)
{
    Canvas c(kBubbleW, kBubbleH);
    const bool tailUp = frame == 1 || frame == 4;
    const float top = tailUp ? 26.0f : 4.0f;
    const float bottom = tailUp ? 127.0f : 106.0f;
    const float left = frame == 3 ? 12.0f : 3.0f;
    const float right = kBubbleW - 3.0f;
    Sdf body = RoundRect(left, top, right, bottom, 16);
    Sdf tail;
    switch (frame) {
    case 0:
        tail = Triangle(right - 52, bottom - 6, right - 24, bottom - 6, right - 10, bottom + 21);
        break;
    case 1:
        tail = Triangle(80, top + 6, 108, top + 6, 92, top - 24);
        break;
    case 2:
        tail = Triangle(78, bottom - 6, 106, bottom - 6, 92, bottom + 21);
        break;
    case 3:
        tail = Triangle(left + 6, 38, left + 6, 64, left - 11, 62);
        break;
    default:
        tail = Triangle(right - 58, top + 6, right - 30, top + 6, right - 20, top - 24);
        break;
    }
    const Sdf shape = Union(body, tail);
    // A soft drop shadow, a gold rim and a dark glassy body.
    c.Fill([shape](float x, float y) { return shape(x - 2, y - 3) - 1; }, WithAlpha(0x000000, 0.28f));
    c.Fill(shape, kGold);
    c.Fill([shape](float x, float y) { return shape(x, y) + 2; }, [top, bottom](int, int y) {
        return WithAlpha(Mix(0x3A2A1C, 0x160E08, (y - top) / (bottom - top)), 0.92f);
    });
    c.Fill(Intersect(RoundRect(left + 6, top + 4, right - 6, top + 22, 11), [shape](float x, float y) { return shape(x, y) + 3; }),
        WithAlpha(0xFFFFFF, 0.08f));
    return c;
}

void AddBubbles(SkinFiles& skin)
{
    std::vector<Canvas> frames;
    for (int f = 0; f < 5; ++f)
        frames.push_back(Bubble(f));
    Add(skin.pictures[kSkinFramePack], "chat", frames);
}

// ---- Card counter ------------------------------------------------------------------------

constexpr int kCounterW = 250;
constexpr int kCounterH = 156;
constexpr int kPlayerW = 146;
constexpr int kPlayerH = 108;
const char* const kRanks[] = { "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A", "小", "大" };

// A dark wooden board with a gold rim, rounded.
Canvas Board(int w, int h, float radius)
{
    Canvas c(w, h);
    const float fw = static_cast<float>(w);
    const float fh = static_cast<float>(h);
    c.Fill(RoundRect(0, 0, fw, fh, radius), kGoldDark);
    c.Fill(RoundRect(1, 1, fw - 1, fh - 1, radius - 1), kGold);
    c.Fill(RoundRect(2.5f, 2.5f, fw - 2.5f, fh - 2.5f, radius - 2), [](int x, int y) { return WoodAt(x, y, false, 0.55f); });
    return c;
}

void AddCounter(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& out = skin.pictures[kCounterPack];

    Canvas panel = Board(kCounterW, kCounterH, 8);
    // The title band and the felt well the rank columns stand in.
    panel.FillVertical(RoundRect(6, 5, kCounterW - 6.0f, 27, 5), 5, 27, Argb(0x2A1608), Argb(0x4E2C12));
    panel.Fill(RoundRect(6, 28, kCounterW - 6.0f, kCounterH - 6.0f, 5), Argb(0xC89A40));
    panel.FillVertical(RoundRect(7, 29, kCounterW - 7.0f, kCounterH - 7.0f, 4), 29, kCounterH - 7, kFelt, kFeltDark);
    for (int col = 1; col < 15; ++col) {
        const float x = col * 16 + 9.5f;
        panel.Fill(Segment(x, 31, x, kCounterH - 10.0f, 0.3f), WithAlpha(0x000000, 0.18f));
    }
    DrawTextAt(panel, font, "记牌器", kCounterW - 86, 9, { 12, 400, Argb(0xF2D68A), Argb(0x000000) });
    Add(out, "bit_cardmaster", { panel });

    Canvas player = Board(kPlayerW, kPlayerH, 7);
    player.FillVertical(RoundRect(5, 3, kPlayerW - 5.0f, 17, 4), 3, 17, Argb(0x2A1608), Argb(0x4E2C12));
    player.FillVertical(RoundRect(8, 19, kPlayerW - 8.0f, kPlayerH - 4.0f, 4), 19, kPlayerH - 4, kFelt, kFeltDark);
    Add(out, "bit_cardmaster_player", { player });

    // The rank marks: 16 x 13, red for the jokers, on cream.
    std::vector<Canvas> ranks;
    for (int i = 0; i < 15; ++i) {
        Canvas c(16, 13);
        c.Fill(RoundRect(0.5f, 0.5f, 15.5f, 12.5f, 2.5f), Argb(0x6A5A3A));
        c.FillVertical(RoundRect(1, 1, 15, 12, 2), 1, 12, Argb(0xFFFCF0), Argb(0xEDE2C6));
        // The big joker in red, every other mark in black.
        const bool small = i >= 13 || i == 8;
        DrawTextCentred(c, font, kRanks[i], 8, 6.5f, { small ? 10 : 11, 700, i == 14 ? kCardRed : kCardBlack, 0 });
        ranks.push_back(std::move(c));
    }
    Add(out, "bit_cardrank", ranks);

    // The small cards (one per face: four suits of 2 .. A, then the jokers).
    std::vector<Canvas> small;
    for (int face = 0; face < 54; ++face) {
        Canvas c(18, 24);
        c.Fill(RoundRect(0.5f, 0.5f, 17.5f, 23.5f, 2.5f), Argb(0x5A5A5A));
        c.Fill(RoundRect(1, 1, 17, 23, 2), Argb(0xFFFFFF));
        if (face >= 52) {
            DrawTextCentred(c, font, face == 52 ? "小" : "大", 9, 8, { 10, 700, face == 52 ? kCardBlack : kCardRed, 0 });
            c.Fill(Star(9, 18, 1.5f, 4), face == 52 ? kCardBlack : kCardRed);
        } else {
            const int suit = face / 13;
            const bool red = suit == 1 || suit == 3;
            const uint32_t ink = red ? kCardRed : kCardBlack;
            DrawTextCentred(c, font, kRanks[face % 13], 9, 7, { 10, 700, ink, 0 });
            const Sdf mark = suit == 0 ? Spade(9, 17, 8) : suit == 1 ? Heart(9, 17, 8) : suit == 2 ? Club(9, 17, 8) : Diamond(9, 17, 8);
            c.Fill(mark, ink);
        }
        small.push_back(std::move(c));
    }
    Add(out, "bit_cardmaster_small", small);

    Add(out, "btn_redcross", ButtonFrames(18, 18, 9, kRedButton, CrossLabel(3.5f, 1.2f)));
    Add(out, "btn_popmenu", ButtonFrames(64, 19, 5, kGoldButton, [&font](Canvas& c, float cx, float cy, uint32_t colour) {
        DrawTextCentred(c, font, "出牌记录", cx - 5, cy, { 12, 400, colour, 0 });
        c.Fill(Triangle(cx + 24, cy - 2, cx + 30, cy - 2, cx + 27, cy + 2), colour);
    }));
}

// ---- Settings board, check box and the marquee's horn --------------------------------------

constexpr int kSetW = 260;
constexpr int kSetH = 215;

void AddSettings(SkinFiles& skin, platform::FontRenderer& font)
{
    std::vector<SkinPicture>& out = skin.pictures[kSkinFramePack];
    Canvas board = Board(kSetW, kSetH, 10);
    board.FillVertical(RoundRect(6, 5, kSetW - 6.0f, 34, 6), 5, 34, Argb(0x2A1608), Argb(0x4E2C12));
    DrawTextCentred(board, font, "游戏设置", kSetW / 2.0f, 19, { 14, 700, Argb(0xF6DE96), Argb(0x000000) });
    // Cream paper under the five rows and the two buttons.
    board.Fill(RoundRect(10, 38, kSetW - 10.0f, kSetH - 9.0f, 6), Argb(0xB08A40));
    board.FillVertical(RoundRect(11, 39, kSetW - 11.0f, kSetH - 10.0f, 5), 39, kSetH - 10, kPaper, kPaperDark);
    for (int i = 0; i < 4; ++i) {
        const float y = 55 + i * 25 + 12.5f;
        board.Fill(Segment(24, y, kSetW - 24.0f, y, 0.4f), WithAlpha(0x9C7424, 0.35f));
    }
    Add(out, "bit_gamesetboard", { board });

    std::vector<Canvas> box;
    for (int state = 0; state < 2; ++state) {
        Canvas c(18, 18);
        c.Fill(RoundRect(2, 2, 16, 16, 3), Argb(0x7A5A2A));
        c.FillVertical(RoundRect(3, 3, 15, 15, 2), 3, 15, Argb(0xFFFFFF), Argb(0xE8E0CC));
        if (state)
            c.Fill(Union(Segment(5.5f, 9, 8.5f, 12.5f, 1.3f), Segment(8.5f, 12.5f, 14, 4.5f, 1.3f)), Argb(0x1E8A3A));
        box.push_back(std::move(c));
    }
    Add(out, "复选框", box);

    Canvas horn(20, 21);
    const Sdf bell = Union(Triangle(7, 10.5f, 18, 2, 18, 19), RoundRect(2, 7, 8, 14, 1.5f));
    horn.Fill(bell, Argb(0x9C5A10));
    horn.Fill([bell](float x, float y) { return bell(x, y) + 1; }, [](int, int y) { return Mix(Argb(0xFFE070), Argb(0xE89A20), y / 21.0f); });
    horn.Fill(Ellipse(18, 10.5f, 1.8f, 8.5f), Argb(0xC86A10));
    horn.Fill(RoundRect(4, 14, 7, 19, 1), Argb(0x9C5A10));
    Add(out, "获奖喇叭", { horn });
}

} // namespace

void DrawGamePanelSkin(SkinFiles& skin, platform::FontRenderer& font)
{
    AddEmoticons(skin, font);
    AddBubbles(skin);
    AddCounter(skin, font);
    AddSettings(skin, font);
}

} // namespace tools
