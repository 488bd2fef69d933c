// The rotating blitters: x1024 fixed point with nearest sampling, and 16.16
// fixed point with bilinear sampling.

#include "engine/modules/Blitters.h"

#include "engine/modules/BlitRules.h"
#include "engine/modules/PixelOps.h"

#include <algorithm>
#include <cmath>

namespace engine {

using namespace pixel;

void RotationTerms(double angle, int scale, int& c, int& s)
{
    if (angle == 0.0 || !std::isfinite(angle)) {
        c = scale;
        s = 0;
    } else if (angle == 90.0) {
        c = 0;
        s = scale;
    } else if (angle == 180.0) {
        c = -scale;
        s = 0;
    } else if (angle == 270.0) {
        c = 0;
        s = -scale;
    } else {
        double radians = angle * 3.14159 / 180.0;
        c = static_cast<int>(std::cos(radians) * scale);
        s = static_cast<int>(std::sin(radians) * scale);
    }
}

int RotationRadius(int w, int h)
{
    if (w <= 0 || h <= 0)
        return 0;
    return static_cast<int>(std::sqrt((w / 2.0) * (w / 2.0) + (h / 2.0) * (h / 2.0)));
}

void RotateIndexedAlpha(const BlitParams& p)
{
    const AlphaRule rule(p.opacity, p.matte, true);
    if (rule.kind == AlphaRule::Kind::Nothing)
        return;
    const PaletteTable pal(p.palette, p.paletteCount);
    const uint32_t key = p.colourKey;
    const size_t stride = static_cast<size_t>(p.rowLength) * 2;
    WalkRotated1024(p, [&](int sx, int sy, uint8_t* d) {
        const uint8_t* s = p.source + static_cast<size_t>(p.sourceY + sy) * stride + static_cast<size_t>(p.sourceX + sx) * 2;
        if (s[0] != key)
            rule.Apply(d, pal.colour[s[0]], s[1]);
    });
}

void RotateIndexed(const BlitParams& p)
{
    const KeyedRule rule(p.opacity, p.matte);
    if (rule.kind == KeyedRule::Kind::Nothing)
        return;
    const PaletteTable pal(p.palette, p.paletteCount);
    const uint32_t key = p.colourKey;
    const size_t stride = static_cast<size_t>(p.rowLength);
    WalkRotated1024(p, [&](int sx, int sy, uint8_t* d) {
        uint8_t index = p.source[static_cast<size_t>(p.sourceY + sy) * stride + static_cast<size_t>(p.sourceX + sx)];
        if (index != key)
            rule.ApplyIndexed(d, pal.colour[index]);
    });
}

void RotateBgra(const BlitParams& p)
{
    const AlphaRule rule(p.opacity, p.matte, false);
    if (rule.kind == AlphaRule::Kind::Nothing)
        return;
    const size_t stride = static_cast<size_t>(p.rowLength) * 4;
    const uint8_t* origin = p.source + static_cast<size_t>(p.sourceY) * stride + static_cast<size_t>(p.sourceX) * 4;
    if (rule.kind == AlphaRule::Kind::Composite) {
        // The common case, with the rule's choice taken out of the loop.
        WalkRotated1024(p, [origin, stride](int sx, int sy, uint8_t* d) {
            const uint32_t sv = Load(origin + static_cast<size_t>(sy) * stride + static_cast<size_t>(sx) * 4);
            const uint32_t a = Alpha(sv);
            if (a == 0)
                return;
            const uint32_t dv = Load(d);
            const uint32_t da = Alpha(dv);
            Store(d, da == 0 ? sv : Blend(sv, dv, a) | (std::max(a, da) << 24));
        });
        return;
    }
    WalkRotated1024(p, [&](int sx, int sy, uint8_t* d) {
        uint32_t sv = Load(origin + static_cast<size_t>(sy) * stride + static_cast<size_t>(sx) * 4);
        rule.Apply(d, sv, Alpha(sv));
    });
}

void RotateBgraOpaque(const BlitParams& p)
{
    const KeyedRule rule(p.opacity, p.matte);
    if (rule.kind == KeyedRule::Kind::Nothing)
        return;
    const size_t stride = static_cast<size_t>(p.rowLength) * 4;
    WalkRotated1024(p, [&](int sx, int sy, uint8_t* d) {
        rule.ApplyBgra(d, Load(p.source + static_cast<size_t>(p.sourceY + sy) * stride + static_cast<size_t>(p.sourceX + sx) * 4));
    });
}

// ---- 16.16 rotation ----------------------------------------------------

namespace {

// The opacity byte of the 16.16 members. An opacity outside 0..1 is held at
// its end rather than wrapped to an arbitrary byte.
inline int PreciseOpacity(double opacity)
{
    if (!(opacity > 0.0))
        return 0;
    if (opacity >= 1.0)
        return 255;
    return static_cast<int>(FadeByte(opacity));
}

// Every pixel of the 2r x 2r square inside the clip box whose 16.16 source
// point lies inside the source rectangle: pixel(fx, fy, sx, sy, d), the
// coordinates relative to the rectangle.
template <typename PixelFn>
inline void WalkRotated16(const BlitParams& p, PixelFn&& pixel)
{
    RotatedSquare sq;
    if (!sq.Init(p))
        return;
    const int64_t w = p.sourceWidth;
    const int64_t h = p.sourceHeight;
    const int64_t r = sq.r;
    int cs, sn;
    RotationTerms(p.angle, 65536, cs, sn);
    const int64_t hw16 = (w + 1) * 32768;
    const int64_t hh16 = (h + 1) * 32768;
    const size_t destStride = static_cast<size_t>(p.destWidth) * 4;
    auto makeRun = [&](long long dy) {
        const int64_t v = r - dy;
        // fx and fy at dx = 0; they grow by c and s per pixel.
        RotatedRun run { sq.dx0, sq.dx1, hw16 - r * cs + v * sn, hh16 - v * cs - r * sn };
        NarrowSpan(run.a, cs, 0, w * 65536 - 1, run.lo, run.hi);
        NarrowSpan(run.b, sn, 0, h * 65536 - 1, run.lo, run.hi);
        return run;
    };
    WalkTiles(sq, makeRun, [&](long long dy, long long lo, long long hi, long long fx0, long long fy0) {
        int64_t fx = fx0 + lo * cs;
        int64_t fy = fy0 + lo * sn;
        uint8_t* d = p.dest + static_cast<size_t>(p.destTop + dy) * destStride + static_cast<size_t>(p.destLeft + lo) * 4;
        for (long long dx = lo; dx < hi; ++dx, fx += cs, fy += sn, d += 4)
            pixel(fx, fy, static_cast<int>(fx >> 16), static_cast<int>(fy >> 16), d);
    });
}

inline uint32_t Fraction8(int64_t f) { return static_cast<uint32_t>(f >> 8) & 255; }

// An indexed pixel through the palette; the key is transparent.
inline uint32_t ExpandIndexed(const PaletteTable& pal, const uint8_t* s, bool alphaPlane, uint32_t key)
{
    if (s[0] == key)
        return pal.colour[s[0]] & 0xFFFFFF;
    uint32_t colour = pal.colour[s[0]];
    return alphaPlane ? (colour & 0xFFFFFF) | (uint32_t(s[1]) << 24) : colour;
}

template <bool AlphaPlane>
void RotatePreciseIndexedImpl(const BlitParams& p)
{
    const int ob = PreciseOpacity(p.opacity);
    const PaletteTable pal(p.palette, p.paletteCount);
    const uint32_t key = p.colourKey;
    constexpr size_t bytes = AlphaPlane ? 2 : 1;
    const size_t stride = static_cast<size_t>(p.rowLength) * bytes;
    const int w = p.sourceWidth;
    const int h = p.sourceHeight;
    WalkRotated16(p, [&](int64_t fx, int64_t fy, int sx, int sy, uint8_t* d) {
        const uint8_t* s = p.source + static_cast<size_t>(p.sourceY + sy) * stride + static_cast<size_t>(p.sourceX + sx) * bytes;
        if (!AlphaPlane && s[0] == key)
            return;
        uint32_t colour;
        if (sx == 0 || sy == 0 || sx == w - 1 || sy == h - 1) {
            colour = ExpandIndexed(pal, s, AlphaPlane, key);
        } else {
            colour = Mix4(ExpandIndexed(pal, s, AlphaPlane, key), ExpandIndexed(pal, s + bytes, AlphaPlane, key),
                ExpandIndexed(pal, s + stride, AlphaPlane, key), ExpandIndexed(pal, s + stride + bytes, AlphaPlane, key),
                Fraction8(fx), Fraction8(fy));
        }
        BlendPrecisePixel(d, colour, ob);
    });
}

} // namespace

uint32_t SampleEdge(const SourceRecord& record, int x, int y)
{
    if (!record.pixels || record.rowLength <= 0 || record.rows <= 0)
        return 0;
    bool clamped = false;
    if (x < 0) {
        x = 0;
        clamped = true;
    } else if (x >= record.rowLength) {
        x = record.rowLength - 1;
        clamped = true;
    }
    if (y < 0) {
        y = 0;
        clamped = true;
    } else if (y >= record.rows) {
        y = record.rows - 1;
        clamped = true;
    }
    uint32_t v = Load(record.pixels + (static_cast<size_t>(y) * record.rowLength + x) * 4);
    return clamped ? v & 0xFFFFFF : v;
}

void BlendPrecisePixel(uint8_t* destPixel, uint32_t colour, int opacityByte)
{
    const uint32_t b = (static_cast<uint32_t>(opacityByte) * Alpha(colour)) >> 8;
    const uint32_t dv = Load(destPixel);
    const uint32_t da = Alpha(dv);
    if (da == 0) {
        Store(destPixel, (colour & 0xFFFFFF) | (b << 24));
        return;
    }
    // The alpha keeps the larger of b and the destination's own: a faint
    // source pixel must not make an opaque destination see-through.
    Store(destPixel, Blend(colour, dv, b) | (std::max(b, da) << 24));
}

uint32_t SampleClamped16(const SourceRecord& record, int64_t fx, int64_t fy)
{
    if (!record.pixels || record.rowLength <= 0 || record.rows <= 0)
        return 0;
    bool clamped = false;
    int64_t x = fx < 0 ? 0 : fx >> 16;
    int64_t y = fy < 0 ? 0 : fy >> 16;
    if (fx < 0 || x >= record.rowLength) {
        x = std::min<int64_t>(x, record.rowLength - 1);
        clamped = true;
    }
    if (fy < 0 || y >= record.rows) {
        y = std::min<int64_t>(y, record.rows - 1);
        clamped = true;
    }
    uint32_t v = Load(record.pixels + (static_cast<size_t>(y) * record.rowLength + static_cast<size_t>(x)) * 4);
    return clamped ? v & 0xFFFFFF : v;
}

uint32_t SampleBilinear16(const SourceRecord& record, int64_t fx, int64_t fy)
{
    const size_t x = static_cast<size_t>(fx >> 16);
    const size_t y = static_cast<size_t>(fy >> 16);
    const size_t stride = static_cast<size_t>(record.rowLength) * 4;
    const uint8_t* s = record.pixels + y * stride + x * 4;
    return MixBlock(s, s + stride, Fraction8(fx), Fraction8(fy));
}

void RotatePreciseIndexedAlpha(const BlitParams& p) { RotatePreciseIndexedImpl<true>(p); }

void RotatePreciseIndexed(const BlitParams& p) { RotatePreciseIndexedImpl<false>(p); }

void RotatePreciseBgra(const BlitParams& p)
{
    const int ob = PreciseOpacity(p.opacity);
    if (!SourceInside(p))
        return;
    // Rebased to the rectangle's first row; columns are offset by source x.
    const SourceRecord record { p.source + static_cast<size_t>(p.sourceY) * p.rowLength * 4, p.rowLength,
        p.rowCount - p.sourceY, 4, 0 };
    const size_t stride = static_cast<size_t>(p.rowLength) * 4;
    const int w = p.sourceWidth;
    const int h = p.sourceHeight;
    WalkRotated16(p, [&](int64_t fx, int64_t fy, int sx, int sy, uint8_t* d) {
        uint32_t colour;
        if (sx == 0 || sy == 0 || sx == w - 1 || sy == h - 1) {
            colour = SampleEdge(record, p.sourceX + sx, sy);
        } else {
            const uint8_t* s = record.pixels + static_cast<size_t>(sy) * stride + static_cast<size_t>(p.sourceX + sx) * 4;
            colour = MixBlock(s, s + stride, Fraction8(fx), Fraction8(fy));
        }
        BlendPrecisePixel(d, colour, ob);
    });
}

} // namespace engine
