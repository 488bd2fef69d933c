#pragma once
// Builds small GIF files for the decoding tests: a global colour table of
// four entries, one image per frame with a graphic control extension (delay
// in hundredths, optional transparent index), LZW data written as plain
// codes with a clear code often enough that the code width never grows.

#include <cstdint>
#include <vector>

namespace enginetest {

struct GifFrame {
    std::vector<uint8_t> indexes; // width x height, values 0..3
    uint16_t delayCs = 0;
};

inline std::vector<uint8_t> BuildGif(int width, int height, const std::vector<GifFrame>& frames, const uint8_t palette[12],
    int transparentIndex = -1)
{
    std::vector<uint8_t> out = { 'G', 'I', 'F', '8', '9', 'a' };
    auto u16 = [&](int v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    u16(width);
    u16(height);
    out.push_back(0x80 | 0x10 | 0x01); // global table of 4 entries
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), palette, palette + 12);
    for (const GifFrame& frame : frames) {
        out.insert(out.end(), { 0x21, 0xF9, 0x04 });
        out.push_back(static_cast<uint8_t>((1 << 2) | (transparentIndex >= 0 ? 1 : 0))); // keep previous frame
        u16(frame.delayCs);
        out.push_back(static_cast<uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
        out.push_back(0);
        out.push_back(0x2C);
        u16(0);
        u16(0);
        u16(width);
        u16(height);
        out.push_back(0);
        const int minCode = 2;
        out.push_back(minCode);
        const int clear = 1 << minCode;
        const int end = clear + 1;
        const int width3 = minCode + 1;
        std::vector<uint8_t> data;
        uint32_t bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= static_cast<uint32_t>(code) << count;
            count += width3;
            while (count >= 8) {
                data.push_back(static_cast<uint8_t>(bits));
                bits >>= 8;
                count -= 8;
            }
        };
        int sinceClear = 0;
        put(clear);
        for (uint8_t index : frame.indexes) {
            if (sinceClear == (1 << minCode) - 2) {
                put(clear);
                sinceClear = 0;
            }
            put(index);
            ++sinceClear;
        }
        put(end);
        if (count > 0)
            data.push_back(static_cast<uint8_t>(bits));
        for (size_t at = 0; at < data.size(); at += 255) {
            size_t n = std::min<size_t>(255, data.size() - at);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + at, data.begin() + at + n);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

} // namespace enginetest
