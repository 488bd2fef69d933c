#pragma once
// Reflected CRC-32 (polynomial 0x04C11DB7), the CRC of zlib and IEEE 802.3.

#include <cstddef>
#include <cstdint>

namespace net {

// Reverses the low n bits of value.
uint32_t ReflectBits(uint32_t value, int n);

void Crc32BuildTable(uint32_t table[256]);

// crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFF] for each byte.
void Crc32Update(const uint32_t table[256], const uint8_t* data, size_t length, uint32_t& crc);

// CRC-32 with initial value 0xFFFFFFFF and the result inverted; 0 for null
// data or length 0.
uint32_t Crc32Compute(const uint32_t table[256], const uint8_t* data, size_t length);

// The same over the process-wide table, built once on first use.
uint32_t Crc32(const uint8_t* data, size_t length);

} // namespace net
