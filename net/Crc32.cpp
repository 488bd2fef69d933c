#include "net/Crc32.h"

namespace net {

uint32_t ReflectBits(uint32_t value, int n)
{
    uint32_t result = 0;
    for (int i = 0; i < n; ++i) {
        result = result << 1 | (value & 1);
        value >>= 1;
    }
    return result;
}

void Crc32BuildTable(uint32_t table[256])
{
    constexpr uint32_t kPolynomial = 0x04C11DB7;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = ReflectBits(i, 8) << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value << 1) ^ ((value & 0x80000000u) ? kPolynomial : 0);
        table[i] = ReflectBits(value, 32);
    }
}

void Crc32Update(const uint32_t table[256], const uint8_t* data, size_t length, uint32_t& crc)
{
    for (size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ table[(crc ^ data[i]) & 0xFF];
}

uint32_t Crc32Compute(const uint32_t table[256], const uint8_t* data, size_t length)
{
    if (!data || length == 0)
        return 0;
    uint32_t crc = 0xFFFFFFFFu;
    Crc32Update(table, data, length, crc);
    return ~crc;
}

uint32_t Crc32(const uint8_t* data, size_t length)
{
    struct Table {
        uint32_t entries[256];
        Table() { Crc32BuildTable(entries); }
    };
    static const Table table; // thread-safe first use
    return Crc32Compute(table.entries, data, length);
}

} // namespace net
