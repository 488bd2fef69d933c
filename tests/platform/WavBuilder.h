#pragma once
// Sound fixtures made in code: no sound file comes from outside the tests.

#include <cmath>
#include <cstdint>
#include <vector>

namespace soundtest {

// A mono 16-bit WAV file of a tone lasting ms milliseconds.
inline std::vector<uint8_t> Wav(int ms)
{
    const int rate = 22050;
    const int samples = rate * ms / 1000;
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(t[i]));
    };
    tag("RIFF");
    u32(36 + samples * 2);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    tag("data");
    u32(samples * 2);
    for (int i = 0; i < samples; ++i)
        u16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 0.1))));
    return out;
}

} // namespace soundtest
