#pragma once
// The per-pixel drawing rules of the blitters, shared by the unrotated and
// the rotating members, and the walk over the clipped destination.

#include "engine/modules/Blitters.h"
#include "engine/modules/PixelOps.h"

#include <algorithm>
#include <cstdint>

namespace engine::pixel {

// Pictures with an alpha plane: a source colour with its own alpha.
struct AlphaRule {
    enum class Kind { Nothing, Matte, Composite, FadeMatte, FadeComposite };
    Kind kind = Kind::Nothing;
    uint32_t matteColour = 0;
    uint32_t threshold = 0;
    uint32_t fade = 0;
    // Indexed pictures pass the threshold at a >= thr, 32-bit ones at
    // a > thr. A fully transparent indexed pixel never passes, or a
    // threshold of 0 would paint the whole rectangle in the matte colour.
    bool indexed = false;

    AlphaRule(double opacity, uint32_t matte, bool indexedSource)
        : indexed(indexedSource)
    {
        bool full = opacity >= 1.0 || opacity <= 0.0;
        bool withMatte = HasMatte(matte);
        matteColour = MatteColour(matte);
        threshold = matte >> 24;
        fade = FadeByte(opacity);
        if (full)
            kind = withMatte ? Kind::Matte : (opacity == 0.0 ? Kind::Nothing : Kind::Composite);
        else
            kind = withMatte ? Kind::FadeMatte : Kind::FadeComposite;
    }

    bool Passes(uint32_t a) const { return indexed ? (a >= threshold && a != 0) : a > threshold; }

    // s: the source colour (its alpha byte is ignored), a: its alpha.
    inline void Apply(uint8_t* d, uint32_t s, uint32_t a) const
    {
        switch (kind) {
        case Kind::Nothing:
            return;
        case Kind::Matte:
            if (Passes(a))
                Store(d, Blend(s, matteColour, a) | 0xFF000000u);
            return;
        case Kind::FadeMatte:
            if (Passes(a))
                Store(d, Blend(s, matteColour, (a * fade) >> 8) | 0xFF000000u);
            return;
        case Kind::Composite:
        case Kind::FadeComposite: {
            if (a == 0)
                return;
            uint32_t w = kind == Kind::Composite ? a : (a * fade) >> 8;
            uint32_t dv = Load(d);
            uint32_t da = Alpha(dv);
            if (da == 0)
                Store(d, (s & 0xFFFFFF) | (w << 24));
            else
                Store(d, Blend(s, dv, w) | (std::max(w, da) << 24));
            return;
        }
        }
    }
};

// Pictures without an alpha plane: indexed pixels other than the key, and
// 32-bit pixels whose alpha is not 0.
struct KeyedRule {
    enum class Kind { Nothing, Copy, Fade, FadeMatte };
    Kind kind = Kind::Nothing;
    uint32_t matteColour = 0;
    uint32_t threshold = 0; // 32-bit pixels draw when their alpha is above it
    uint32_t fade = 0;

    KeyedRule(double opacity, uint32_t matte)
    {
        matteColour = MatteColour(matte);
        fade = FadeByte(opacity);
        if (opacity >= 1.0) {
            kind = Kind::Copy;
        } else if (opacity > 0.0) {
            kind = HasMatte(matte) ? Kind::FadeMatte : Kind::Fade;
            threshold = HasMatte(matte) ? matte >> 24 : 0;
        }
    }

    // An indexed pixel that is not the key; s carries alpha 255.
    inline void ApplyIndexed(uint8_t* d, uint32_t s) const
    {
        switch (kind) {
        case Kind::Nothing:
            return;
        case Kind::Copy:
            Store(d, s);
            return;
        case Kind::Fade:
            Store(d, Blend(s, Load(d), fade) | 0xFF000000u);
            return;
        case Kind::FadeMatte:
            Store(d, Blend(s, matteColour, fade) | 0xFF000000u);
            return;
        }
    }

    // A 32-bit pixel, alpha included.
    inline void ApplyBgra(uint8_t* d, uint32_t s) const
    {
        uint32_t a = Alpha(s);
        switch (kind) {
        case Kind::Nothing:
            return;
        case Kind::Copy:
            if (a != 0)
                Store(d, s);
            return;
        case Kind::Fade:
            if (a > threshold)
                Store(d, Blend(s, Load(d), fade) | 0xFF000000u);
            return;
        case Kind::FadeMatte:
            if (a > threshold)
                Store(d, Blend(s, matteColour, fade) | 0xFF000000u);
            return;
        }
    }
};

// The unrotated placement: the source rectangle's top-left pixel at
// (destLeft, destTop), cut to the clip box. Calls row(source row, destination
// row, pixel count) for each row that is left.
template <int SourceBytes, typename RowFn>
inline void WalkUnrotated(const BlitParams& p, RowFn&& row)
{
    Rect c;
    if (!ClipToDestination(p, c) || !SourceInside(p))
        return;
    long long x0 = std::max<long long>(p.destLeft, c.left);
    long long x1 = std::min<long long>(static_cast<long long>(p.destLeft) + p.sourceWidth, c.right);
    long long y0 = std::max<long long>(p.destTop, c.top);
    long long y1 = std::min<long long>(static_cast<long long>(p.destTop) + p.sourceHeight, c.bottom);
    if (x1 <= x0 || y1 <= y0)
        return;
    const int cols = static_cast<int>(x1 - x0);
    const size_t sourceStride = static_cast<size_t>(p.rowLength) * SourceBytes;
    const size_t destStride = static_cast<size_t>(p.destWidth) * 4;
    const uint8_t* s = p.source + static_cast<size_t>(p.sourceY + (y0 - p.destTop)) * sourceStride
        + static_cast<size_t>(p.sourceX + (x0 - p.destLeft)) * SourceBytes;
    uint8_t* d = p.dest + static_cast<size_t>(y0) * destStride + static_cast<size_t>(x0) * 4;
    for (long long y = y0; y < y1; ++y) {
        row(s, d, cols);
        s += sourceStride;
        d += destStride;
    }
}

// floor(a / b) and ceil(a / b) for any signs (b != 0).
inline long long FloorDiv(long long a, long long b)
{
    long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline long long CeilDiv(long long a, long long b)
{
    long long q = a / b;
    return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
}

// Narrows [lo, hi) to the dx with lower <= a + k * dx <= upper.
inline void NarrowSpan(long long a, long long k, long long lower, long long upper, long long& lo, long long& hi)
{
    if (k == 0) {
        if (a < lower || a > upper)
            hi = lo;
        return;
    }
    long long first, last;
    if (k > 0) {
        first = CeilDiv(lower - a, k);
        last = FloorDiv(upper - a, k);
    } else {
        first = CeilDiv(upper - a, k);
        last = FloorDiv(lower - a, k);
    }
    lo = std::max(lo, first);
    hi = std::min(hi, last + 1);
}

// The rotated square of a rotating member: the 2r x 2r destination square at
// (destLeft, destTop), cut to the clip box. Each destination row meets the
// source rectangle in one run of pixels (the source point moves along a
// straight line), so the walks below work out that run exactly instead of
// testing every pixel of the square.
struct RotatedSquare {
    long long r = 0;
    long long dx0 = 0, dx1 = 0, dy0 = 0, dy1 = 0;

    bool Init(const BlitParams& p)
    {
        Rect c;
        if (!ClipToDestination(p, c) || !SourceInside(p))
            return false;
        r = RotationRadius(p.sourceWidth, p.sourceHeight);
        if (r <= 0)
            return false;
        dx0 = std::max<long long>(0, static_cast<long long>(c.left) - p.destLeft);
        dx1 = std::min<long long>(2 * r, static_cast<long long>(c.right) - p.destLeft);
        dy0 = std::max<long long>(0, static_cast<long long>(c.top) - p.destTop);
        dy1 = std::min<long long>(2 * r, static_cast<long long>(c.bottom) - p.destTop);
        return dx1 > dx0 && dy1 > dy0;
    }
};

// Rows of a rotated square are walked in blocks of kRotateTile rows, each
// block in tiles of kRotateTile columns: the source pixels a tile reads stay
// together in the cache even when the picture is turned on its side (a
// destination row then runs down a source column). Each destination pixel
// is still drawn exactly once.
inline constexpr int kRotateTile = 32;

// One destination row's run: the first and last + 1 dx, and the fixed-point
// source coordinates at dx = 0 (they step by (c, -s) for x1024 and (c, s)
// for 16.16).
struct RotatedRun {
    long long lo = 0;
    long long hi = 0;
    long long a = 0;
    long long b = 0;
};

// Calls run(dy, lo, hi, a, b) for every run, tile by tile. makeRun(dy) gives
// the row's run.
template <typename MakeRun, typename RunFn>
inline void WalkTiles(const RotatedSquare& sq, MakeRun&& makeRun, RunFn&& run)
{
    RotatedRun runs[kRotateTile];
    for (long long by = sq.dy0; by < sq.dy1; by += kRotateTile) {
        const int count = static_cast<int>(std::min<long long>(kRotateTile, sq.dy1 - by));
        long long first = sq.dx1;
        long long last = sq.dx0;
        for (int k = 0; k < count; ++k) {
            runs[k] = makeRun(by + k);
            if (runs[k].hi > runs[k].lo) {
                first = std::min(first, runs[k].lo);
                last = std::max(last, runs[k].hi);
            }
        }
        for (long long tx = first; tx < last; tx += kRotateTile) {
            const long long txEnd = std::min(tx + kRotateTile, last);
            for (int k = 0; k < count; ++k) {
                const long long lo = std::max(runs[k].lo, tx);
                const long long hi = std::min(runs[k].hi, txEnd);
                if (lo < hi)
                    run(by + k, lo, hi, runs[k].a, runs[k].b);
            }
        }
    }
}

// The x1024 rotation: for u = dx - r, v = r - dy,
//   sx = hw + ((u c + v s) >> 10), sy = hh - ((v c - u s) >> 10),
// drawn where 0 <= sx < w and 0 <= sy < h and the destination pixel lies in
// the clip box. pixel(source column, source row, destination pixel), the
// source coordinates relative to the rectangle.
template <typename PixelFn>
inline void WalkRotated1024(const BlitParams& p, PixelFn&& pixel)
{
    RotatedSquare sq;
    if (!sq.Init(p))
        return;
    const long long w = p.sourceWidth;
    const long long h = p.sourceHeight;
    const long long r = sq.r;
    int cs, sn;
    RotationTerms(p.angle, 1024, cs, sn);
    const long long hw = (w + 1) / 2;
    const long long hh = (h + 1) / 2;
    const size_t destStride = static_cast<size_t>(p.destWidth) * 4;
    auto makeRun = [&](long long dy) {
        const long long v = r - dy;
        // X and Y at dx = 0; X grows by c and Y falls by s per pixel.
        RotatedRun run { sq.dx0, sq.dx1, -r * cs + v * sn, v * cs + r * sn };
        NarrowSpan(run.a, cs, -hw * 1024, (w - hw) * 1024 - 1, run.lo, run.hi);
        NarrowSpan(run.b, -static_cast<long long>(sn), (hh - h + 1) * 1024, hh * 1024 + 1023, run.lo, run.hi);
        return run;
    };
    WalkTiles(sq, makeRun, [&](long long dy, long long lo, long long hi, long long x0, long long y0) {
        long long X = x0 + lo * cs;
        long long Y = y0 - lo * sn;
        uint8_t* d = p.dest + static_cast<size_t>(p.destTop + dy) * destStride + static_cast<size_t>(p.destLeft + lo) * 4;
        for (long long dx = lo; dx < hi; ++dx, X += cs, Y -= sn, d += 4)
            pixel(static_cast<int>(hw + (X >> 10)), static_cast<int>(hh - (Y >> 10)), d);
    });
}

} // namespace engine::pixel
