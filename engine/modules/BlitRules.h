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
// row, pixel count) for each row; false when nothing is drawn.
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

// The x1024 rotation: every pixel of the 2r x 2r square at (destLeft,
// destTop) inside the clip box whose source pixel lies inside the source
// rectangle. pixel(source column, source row, destination pixel), the
// source coordinates relative to the rectangle.
template <typename PixelFn>
inline void WalkRotated1024(const BlitParams& p, PixelFn&& pixel)
{
    Rect c;
    if (!ClipToDestination(p, c) || !SourceInside(p))
        return;
    const int w = p.sourceWidth;
    const int h = p.sourceHeight;
    const long long r = RotationRadius(w, h);
    if (r <= 0)
        return;
    int cs, sn;
    RotationTerms(p.angle, 1024, cs, sn);
    const long long hw = (w + 1) / 2;
    const long long hh = (h + 1) / 2;
    const long long dx0 = std::max<long long>(0, static_cast<long long>(c.left) - p.destLeft);
    const long long dx1 = std::min<long long>(2 * r, static_cast<long long>(c.right) - p.destLeft);
    const long long dy0 = std::max<long long>(0, static_cast<long long>(c.top) - p.destTop);
    const long long dy1 = std::min<long long>(2 * r, static_cast<long long>(c.bottom) - p.destTop);
    if (dx1 <= dx0 || dy1 <= dy0)
        return;
    const size_t destStride = static_cast<size_t>(p.destWidth) * 4;
    for (long long dy = dy0; dy < dy1; ++dy) {
        const long long v = r - dy;
        const long long u = dx0 - r;
        long long X = u * cs + v * sn;
        long long Y = v * cs - u * sn;
        uint8_t* d = p.dest + static_cast<size_t>(p.destTop + dy) * destStride + static_cast<size_t>(p.destLeft + dx0) * 4;
        for (long long dx = dx0; dx < dx1; ++dx, X += cs, Y -= sn, d += 4) {
            const long long sx = hw + (X >> 10);
            const long long sy = hh - (Y >> 10);
            if (static_cast<unsigned long long>(sx) < static_cast<unsigned long long>(w)
                && static_cast<unsigned long long>(sy) < static_cast<unsigned long long>(h))
                pixel(static_cast<int>(sx), static_cast<int>(sy), d);
        }
    }
}

} // namespace engine::pixel
