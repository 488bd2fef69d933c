// The unrotated blitters and the two inverting members.

#include "engine/modules/Blitters.h"

#include "engine/modules/BlitRules.h"
#include "engine/modules/PixelOps.h"

#include <cstring>

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

void CompositeBgraRow(const uint8_t* s, uint8_t* d, int n)
{
    for (int j = 0; j < n; ++j, s += 4, d += 4) {
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
