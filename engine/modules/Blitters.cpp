// The unrotated blitters and the two inverting members.

#include "engine/modules/Blitters.h"

#include "engine/modules/BlitRules.h"
#include "engine/modules/PixelOps.h"

#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine {

using namespace pixel;

namespace {

template <bool Masked>
void IndexedAlphaRows(const BlitParams& p)
{
    const AlphaRule rule(p.opacity, p.matte, true);
    if (rule.kind == AlphaRule::Kind::Nothing)
        return;
    const PaletteTable pal(p.palette, p.paletteCount);
    const uint32_t key = p.colourKey;
    WalkUnrotated<2>(p, [&](const uint8_t* s, uint8_t* d, int n) {
        for (int j = 0; j < n; ++j, s += 2, d += 4) {
            if (s[0] == key)
                continue;
            if (Masked && d[3] != 255)
                continue;
            rule.Apply(d, pal.colour[s[0]], s[1]);
        }
    });
}

template <bool Masked>
void BgraRows(const BlitParams& p)
{
    const AlphaRule rule(p.opacity, p.matte, false);
    if (rule.kind == AlphaRule::Kind::Nothing)
        return;
    WalkUnrotated<4>(p, [&](const uint8_t* s, uint8_t* d, int n) {
        if (!Masked && rule.kind == AlphaRule::Kind::Composite) {
            CompositeBgraRow(s, d, n);
            return;
        }
        for (int j = 0; j < n; ++j, s += 4, d += 4) {
            if (Masked && d[3] != 255)
                continue;
            uint32_t sv = Load(s);
            rule.Apply(d, sv, Alpha(sv));
        }
    });
}

} // namespace

void BlitIndexedAlpha(const BlitParams& p) { IndexedAlphaRows<false>(p); }

void BlitIndexedAlphaMasked(const BlitParams& p) { IndexedAlphaRows<true>(p); }

void BlitIndexed(const BlitParams& p)
{
    const KeyedRule rule(p.opacity, p.matte);
    if (rule.kind == KeyedRule::Kind::Nothing)
        return;
    const PaletteTable pal(p.palette, p.paletteCount);
    const uint32_t key = p.colourKey;
    WalkUnrotated<1>(p, [&](const uint8_t* s, uint8_t* d, int n) {
        for (int j = 0; j < n; ++j, ++s, d += 4)
            if (s[0] != key)
                rule.ApplyIndexed(d, pal.colour[s[0]]);
    });
}

void BlitBgra(const BlitParams& p) { BgraRows<false>(p); }

void BlitBgraMasked(const BlitParams& p) { BgraRows<true>(p); }

void BlitBgraKeyed(const BlitParams& p)
{
    const KeyedRule rule(p.opacity, p.matte);
    if (rule.kind == KeyedRule::Kind::Nothing)
        return;
    WalkUnrotated<4>(p, [&](const uint8_t* s, uint8_t* d, int n) {
        for (int j = 0; j < n; ++j, s += 4, d += 4)
            rule.ApplyBgra(d, Load(s));
    });
}

void CopyBgraRows(const BlitParams& p)
{
    WalkUnrotated<4>(p, [](const uint8_t* s, uint8_t* d, int n) { std::memcpy(d, s, static_cast<size_t>(n) * 4); });
}

void InvertUnderIndexed(const BlitParams& p)
{
    const uint32_t key = p.colourKey;
    const size_t bytes = p.sourceAlpha ? 2 : 1;
    const uint8_t* base = p.source;
    const size_t stride = static_cast<size_t>(p.rowLength) * bytes;
    WalkRotated1024(p, [&](int sx, int sy, uint8_t* d) {
        const uint8_t* s = base + static_cast<size_t>(p.sourceY + sy) * stride + static_cast<size_t>(p.sourceX + sx) * bytes;
        if (s[0] == key || (p.sourceAlpha && s[1] == 0))
            return;
        Store(d, (~Load(d) & 0xFFFFFF) | 0xFF000000u);
    });
}

void InvertUnderBgra(const BlitParams& p)
{
    if (p.opacity == 0.0)
        return;
    const size_t stride = static_cast<size_t>(p.rowLength) * 4;
    WalkRotated1024(p, [&](int sx, int sy, uint8_t* d) {
        const uint8_t* s = p.source + static_cast<size_t>(p.sourceY + sy) * stride + static_cast<size_t>(p.sourceX + sx) * 4;
        if (s[3] == 0)
            return;
        Store(d, (~Load(d) & 0xFFFFFF) | 0xFF000000u);
    });
}

} // namespace engine

namespace engine::pixel {

namespace {

// Opaque groups: a source alpha of 255 needs no multiplication. The blend's
// (s x 255 + d x 0) >> 8 is s - 1 for every colour channel s from 1 to 255
// (255 s / 256 = s - s / 256, and 0 < s / 256 < 1) and 0 for s = 0, which is
// a saturating subtraction of 1; the alpha, max(255, d), is 255, which the
// source already holds. Onto a transparent destination pixel the source is
// copied whole: those lanes subtract nothing. The vector loops take this
// path for groups that are opaque throughout, which is most of a sprite.

#if defined(__x86_64__) && defined(__GNUC__)
#define KBZN_HAVE_AVX2_PATH 1
// Eight pixels at a time where the processor has AVX2; the same lane
// arithmetic as the SSE2 loop below (unpacking and packing stay inside each
// 128-bit half, so pixel order is kept).
__attribute__((target("avx2"))) int CompositeBgraAvx2(const uint8_t* s, uint8_t* d, int n)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaMask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i colourMask = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i c255 = _mm256_set1_epi16(255);
    const __m256i colourOnes = _mm256_set1_epi32(0x00010101);
    int j = 0;
    for (; j + 8 <= n; j += 8, s += 32, d += 32) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
        if (_mm256_testz_si256(sv, alphaMask)) // every alpha 0
            continue;
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
        const __m256i daZero = _mm256_cmpeq_epi32(_mm256_srli_epi32(dv, 24), zero);
        if (_mm256_testc_si256(sv, alphaMask)) { // every alpha 255: an opaque group
            const __m256i ones = _mm256_andnot_si256(daZero, colourOnes);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_subs_epu8(sv, ones));
            continue;
        }
        const __m256i sa = _mm256_srli_epi32(sv, 24);
        const __m256i aZero = _mm256_cmpeq_epi32(sa, zero);
        const __m256i a16 = _mm256_or_si256(sa, _mm256_slli_epi32(sa, 16));
        const __m256i aLo = _mm256_unpacklo_epi32(a16, a16);
        const __m256i aHi = _mm256_unpackhi_epi32(a16, a16);
        const __m256i sLo = _mm256_unpacklo_epi8(sv, zero);
        const __m256i sHi = _mm256_unpackhi_epi8(sv, zero);
        const __m256i dLo = _mm256_unpacklo_epi8(dv, zero);
        const __m256i dHi = _mm256_unpackhi_epi8(dv, zero);
        const __m256i rLo = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(sLo, aLo), _mm256_mullo_epi16(dLo, _mm256_sub_epi16(c255, aLo))), 8);
        const __m256i rHi = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(sHi, aHi), _mm256_mullo_epi16(dHi, _mm256_sub_epi16(c255, aHi))), 8);
        __m256i out = _mm256_or_si256(_mm256_and_si256(_mm256_packus_epi16(rLo, rHi), colourMask),
            _mm256_and_si256(_mm256_max_epu8(sv, dv), alphaMask));
        out = _mm256_blendv_epi8(out, sv, daZero);
        out = _mm256_blendv_epi8(out, dv, aZero);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), out);
    }
    return j;
}

// Asked once, at static initialisation (hence the explicit init).
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

} // namespace

void CompositeBgraRow(const uint8_t* s, uint8_t* d, int n)
{
    int j = 0;
#ifdef KBZN_HAVE_AVX2_PATH
    if (kHasAvx2) {
        j = CompositeBgraAvx2(s, d, n);
        s += static_cast<size_t>(j) * 4;
        d += static_cast<size_t>(j) * 4;
    }
#endif
#ifdef __SSE2__
    // Four pixels at a time, exactly the scalar rule: the blend's channel
    // sums stay below 65536, so 16-bit lanes hold them without loss.
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i opaqueAlpha = _mm_set1_epi32(255);
    const __m128i colourOnes = _mm_set1_epi32(0x00010101);
    for (; j + 4 <= n; j += 4, s += 16, d += 16) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i sa = _mm_srli_epi32(sv, 24);
        const __m128i aZero = _mm_cmpeq_epi32(sa, zero);
        if (_mm_movemask_epi8(aZero) == 0xFFFF)
            continue;
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        const __m128i daZero = _mm_cmpeq_epi32(_mm_srli_epi32(dv, 24), zero);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(sa, opaqueAlpha)) == 0xFFFF) { // an opaque group
            const __m128i ones = _mm_andnot_si128(daZero, colourOnes);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_subs_epu8(sv, ones));
            continue;
        }
        // Each pixel's alpha in the four 16-bit lanes of its channels.
        const __m128i a16 = _mm_or_si128(sa, _mm_slli_epi32(sa, 16));
        const __m128i aLo = _mm_unpacklo_epi32(a16, a16);
        const __m128i aHi = _mm_unpackhi_epi32(a16, a16);
        const __m128i sLo = _mm_unpacklo_epi8(sv, zero);
        const __m128i sHi = _mm_unpackhi_epi8(sv, zero);
        const __m128i dLo = _mm_unpacklo_epi8(dv, zero);
        const __m128i dHi = _mm_unpackhi_epi8(dv, zero);
        const __m128i rLo = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(sLo, aLo), _mm_mullo_epi16(dLo, _mm_sub_epi16(c255, aLo))), 8);
        const __m128i rHi = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(sHi, aHi), _mm_mullo_epi16(dHi, _mm_sub_epi16(c255, aHi))), 8);
        __m128i out = _mm_or_si128(
            _mm_and_si128(_mm_packus_epi16(rLo, rHi), colourMask), _mm_and_si128(_mm_max_epu8(sv, dv), alphaMask));
        out = _mm_or_si128(_mm_and_si128(daZero, sv), _mm_andnot_si128(daZero, out));
        out = _mm_or_si128(_mm_and_si128(aZero, dv), _mm_andnot_si128(aZero, out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
    }
#endif
    for (; j < n; ++j, s += 4, d += 4) {
        uint32_t sv = Load(s);
        uint32_t a = Alpha(sv);
        if (a == 0)
            continue;
        uint32_t dv = Load(d);
        uint32_t da = Alpha(dv);
        if (da == 0)
            Store(d, sv);
        else
            Store(d, Blend(sv, dv, a) | (std::max(a, da) << 24));
    }
}

} // namespace engine::pixel
