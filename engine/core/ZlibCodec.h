#pragma once
// One-shot zlib compression of whole blocks (pps pictures, replay files).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace engine {

// The most bytes ZlibUncompress will produce: expected sizes come from file
// headers and are not trusted beyond this.
inline constexpr size_t kZlibMaxUncompressed = size_t { 256 } << 20;

// Compresses the block into out (exactly the compressed length). False when
// zlib fails; out is then empty.
bool ZlibCompress(const void* source, size_t length, std::vector<uint8_t>& out);

// Uncompresses a block whose size is expected to be `expected` bytes; out
// holds the bytes produced. False, with out empty, for data that is corrupt,
// truncated or longer than expected, and for an expected size above
// kZlibMaxUncompressed.
bool ZlibUncompress(const void* source, size_t length, size_t expected, std::vector<uint8_t>& out);

} // namespace engine
