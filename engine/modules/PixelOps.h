#pragma once
// Pixel helpers shared by the blitters: unaligned 32-bit loads and stores,
// the blend, the matte and the palette expanded for one draw.

#include "engine/core/ObjectGeometry.h"
#include "engine/modules/Blitters.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace engine::pixel {

inline uint32_t Load(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void Store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

inline uint32_t Alpha(uint32_t v) { return v >> 24; }

// (x * k + y * (255 - k)) >> 8 on blue, green and red; alpha 0. Each channel
// sum stays below 65536, so red and blue share one multiplication without
// carrying into each other.
inline uint32_t Blend(uint32_t x, uint32_t y, uint32_t k)
{
    uint32_t rk = 255 - k;
    uint32_t rb = (((x & 0xFF00FF) * k + (y & 0xFF00FF) * rk) >> 8) & 0xFF00FF;
    uint32_t g = (((x & 0xFF00) * k + (y & 0xFF00) * rk) >> 8) & 0xFF00;
    return rb | g;
}

// The full, unmatted draw of 32-bit pixels with alpha over a row: alpha 0
// leaves the destination; onto a transparent destination pixel the source is
// copied whole; otherwise the colour blends with the source's alpha as the
// weight and the alpha becomes the larger of the two.
void CompositeBgraRow(const uint8_t* s, uint8_t* d, int n);

// The 2 x 2 mix with weights from the fractions fx8, fy8 (0..255): blue with
// red and green with alpha in two packed sums.
inline uint32_t Mix4(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br, uint32_t fx8, uint32_t fy8)
{
    const uint32_t g = (fx8 * fy8) >> 8;
    const uint32_t wtl = 256 - fx8 - fy8 + g;
    const uint32_t wtr = fx8 - g;
    const uint32_t wbl = fy8 - g;
    const uint32_t wbr = g;
    uint32_t rb = (tl & 0xFF00FF) * wtl + (tr & 0xFF00FF) * wtr + (bl & 0xFF00FF) * wbl + (br & 0xFF00FF) * wbr;
    uint32_t ga = ((tl >> 8) & 0xFF00FF) * wtl + ((tr >> 8) & 0xFF00FF) * wtr + ((bl >> 8) & 0xFF00FF) * wbl
        + ((br >> 8) & 0xFF00FF) * wbr;
    return ((rb >> 8) & 0xFF00FF) | (ga & 0xFF00FF00u);
}

// Mix4 of the block whose top pair starts at top and bottom pair at bottom.
// With SSE2 the four channels go through 16-bit lanes: every weighted
// channel and every sum stays below 65536, so the result is the same.
inline uint32_t MixBlock(const uint8_t* top, const uint8_t* bottom, uint32_t fx8, uint32_t fy8)
{
#if defined(__SSE2__) && defined(__x86_64__)
    const uint32_t g = (fx8 * fy8) >> 8;
    const uint64_t weights = uint64_t(256 - fx8 - fy8 + g) | uint64_t(fx8 - g) << 16 | uint64_t(fy8 - g) << 32
        | uint64_t(g) << 48; // top left, top right, bottom left, bottom right
    const __m128i zero = _mm_setzero_si128();
    const __m128i t = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)), zero);
    const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)), zero);
    const __m128i w = _mm_cvtsi64_si128(static_cast<long long>(weights));
    const __m128i pairs = _mm_unpacklo_epi16(w, w);
    const __m128i wt = _mm_unpacklo_epi32(pairs, pairs);
    const __m128i wb = _mm_unpackhi_epi32(pairs, pairs);
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(t, wt), _mm_mullo_epi16(b, wb));
    sum = _mm_add_epi16(sum, _mm_srli_si128(sum, 8));
    sum = _mm_srli_epi16(sum, 8);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
#else
    return Mix4(Load(top), Load(top + 4), Load(bottom), Load(bottom + 4), fx8, fy8);
#endif
}

// The matte word holds red low and blue high; pixels hold blue low.
inline uint32_t MatteColour(uint32_t matte)
{
    return ((matte & 0xFF) << 16) | (matte & 0xFF00) | ((matte >> 16) & 0xFF);
}

inline bool HasMatte(uint32_t matte) { return matte != kNoMatte; }

// The low byte of truncate(opacity x 255).
inline uint32_t FadeByte(double opacity)
{
    double v = opacity * 255.0;
    if (!(v > -2147483648.0 && v < 2147483648.0))
        return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(v)) & 0xFF;
}

// One draw's palette as 32-bit colours with alpha 255; entries beyond the
// picture's palette are black.
struct PaletteTable {
    uint32_t colour[256];

    PaletteTable(const uint8_t* palette, int count)
    {
        int n = palette ? std::clamp(count, 0, 256) : 0;
        for (int i = 0; i < n; ++i)
            colour[i] = 0xFF000000u | (uint32_t(palette[3 * i]) << 16) | (uint32_t(palette[3 * i + 1]) << 8)
                | palette[3 * i + 2];
        for (int i = n; i < 256; ++i)
            colour[i] = 0xFF000000u;
    }
};

// The part of the destination a blitter may touch: the clip box cut to the
// destination. False when nothing is left.
inline bool ClipToDestination(const BlitParams& p, Rect& out)
{
    if (!p.dest || p.destWidth <= 0 || p.destHeight <= 0)
        return false;
    out.left = std::max(p.clip.left, 0);
    out.top = std::max(p.clip.top, 0);
    out.right = std::min(p.clip.right, p.destWidth);
    out.bottom = std::min(p.clip.bottom, p.destHeight);
    return out.left < out.right && out.top < out.bottom;
}

// Whether the source rectangle lies inside the source buffer.
inline bool SourceInside(const BlitParams& p)
{
    return p.source && p.sourceX >= 0 && p.sourceY >= 0 && p.sourceWidth >= 0 && p.sourceHeight >= 0
        && static_cast<long long>(p.sourceX) + p.sourceWidth <= p.rowLength
        && static_cast<long long>(p.sourceY) + p.sourceHeight <= p.rowCount;
}

} // namespace engine::pixel
