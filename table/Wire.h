#pragma once
// Little-endian 32-bit fields of the table's wire records. Every record is
// read and written field by field through these, never by casting bytes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace table {

inline int32_t LoadI32(std::span<const uint8_t> bytes, size_t offset)
{
    const uint8_t* p = bytes.data() + offset;
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8
        | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreI32(std::span<uint8_t> bytes, size_t offset, int32_t value)
{
    uint8_t* p = bytes.data() + offset;
    uint32_t v = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Reads or writes n consecutive 32-bit fields starting at offset.
inline void LoadI32Array(std::span<const uint8_t> bytes, size_t offset, int* out, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = LoadI32(bytes, offset + 4 * i);
}

inline void StoreI32Array(std::span<uint8_t> bytes, size_t offset, const int* values, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        StoreI32(bytes, offset + 4 * i, values[i]);
}

} // namespace table
