#pragma once
// The engine's own picture format. One buffer holds a whole PictureData: a
// 32-byte header, the palette area, one block per frame (a 20-byte frame
// header, then the colour bytes and the alpha bytes it announces) and an
// optional 4-byte trailer with the cap sizes. Each plane is stored as it
// is, run-length coded, zlib-compressed, or the shorter of the last two,
// and a frame may be stored as the XOR with the previous one when that is
// strictly smaller. Encoder and decoder must agree bit for bit: saved
// pictures and skin packs hold these bytes.
//
// The decoder trusts nothing in the buffer: every size is checked against
// the buffer, the plane and the pixel block, and a bad buffer is refused
// with the record left untouched.

#include "engine/core/PictureData.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr size_t kPpsHeaderSize = 32;
inline constexpr size_t kPpsFrameHeaderSize = 20;
inline constexpr size_t kPpsPaletteBlockSize = 32;

// Methods (the header's method byte).
inline constexpr int kPpsStored = 1;   // frames as they are
inline constexpr int kPpsRle = 3;      // run-length code, both planes
inline constexpr int kPpsRleZlib = 4;  // run-length colour, zlib alpha
inline constexpr int kPpsZlib = 5;     // zlib, both planes
inline constexpr int kPpsSmallest = 6; // colour: the shorter of the two; alpha: zlib

// Frame flags.
inline constexpr uint16_t kPpsFrameIndexed = 0x01;
inline constexpr uint16_t kPpsFrameAlpha = 0x04;
inline constexpr uint16_t kPpsFrameRle = 0x10;
inline constexpr uint16_t kPpsFrameZlib = 0x20;
inline constexpr uint16_t kPpsFrameXor = 0x40;

// The whole pps buffer of the picture (its size is also at header offset
// 24). The 32-byte block is read only for pictures with kPicturePalette32
// (null reads as zeros). Empty when the picture cannot be encoded: an
// unknown method, no frames, an empty frame, a pixel block or palette
// smaller than the header fields say, or sizes beyond the 32-bit fields.
std::vector<uint8_t> EncodePps(const PictureData& picture, const uint8_t* block, int method);

// Fills the record from the buffer: frame count, size, colour key, flags,
// palette, frame delays, pixels and cap sizes (its other fields are the
// caller's). The total decoded bytes, or 0 with the record untouched when
// the buffer is not a sound pps picture.
uint32_t DecodePps(const uint8_t* data, size_t size, PictureData& picture);

// Writes the buffer (its size taken from its header) to path. 0 without
// writing when it is not a pps buffer or shorter than its header says.
int SavePps(const uint8_t* data, size_t size, std::string_view path);

// The run-length code, exposed for tests and tools: samples of 1 or 3
// bytes. Encoding takes a whole number of samples.
std::vector<uint8_t> RleEncode(const uint8_t* samples, size_t bytes, int sampleSize);
// Decodes exactly `expected` bytes; false when the records are cut short,
// overrun the plane or leave it unfilled.
bool RleDecode(const uint8_t* code, size_t size, int sampleSize, uint8_t* out, size_t expected);

} // namespace engine
