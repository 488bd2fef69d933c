#pragma once
// Bounded reading of a body that came from the server, the lobby or a file.
//
// A handler wraps the body once, asks whether the record it reads fits
// (`Has`), and then reads its fields by byte offset. Every read is checked
// again on its own: a field that does not lie wholly inside the body reads
// as 0 or as empty text, so a mistaken offset can never reach past the
// bytes that arrived. Integers are little-endian; texts are GBK bytes
// ending at the first zero inside their fixed-size field.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace frame {

inline uint32_t LoadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
        | static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLe32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

// Sum of two 32-bit ints as the wire holds them (two's complement,
// wrapping): scores and counts from outside may be anything, and an
// overflow must not be undefined behaviour.
inline int32_t WrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

class WireReader {
public:
    WireReader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(data ? size : 0)
    {
    }

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

    // True when the n bytes from offset lie inside the body.
    bool Has(size_t offset, size_t n) const { return offset <= m_size && n <= m_size - offset; }
    bool Has(size_t n) const { return Has(0, n); }

    int32_t Int(size_t offset) const { return static_cast<int32_t>(Word(offset)); }
    uint32_t Word(size_t offset) const { return Has(offset, 4) ? LoadLe32(m_data + offset) : 0; }

    // The n bytes from offset, or an empty span when they are not all there.
    std::span<const uint8_t> Bytes(size_t offset, size_t n) const
    {
        if (!Has(offset, n))
            return {};
        return { m_data + offset, n };
    }

    // The text of a field of `capacity` bytes at offset: the bytes before
    // its first zero, within the field and within the body. Callers that
    // store it cut it to their own field (see the records' setters).
    std::string Text(size_t offset, size_t capacity) const
    {
        if (offset >= m_size)
            return {};
        size_t n = std::min(capacity, m_size - offset);
        const uint8_t* p = m_data + offset;
        const void* zero = std::memchr(p, 0, n);
        if (zero)
            n = static_cast<size_t>(static_cast<const uint8_t*>(zero) - p);
        return std::string(reinterpret_cast<const char*>(p), n);
    }

    // How many records of `stride` bytes starting at offset to read when
    // the body announces `count` of them and the destination holds at most
    // `limit`: a negative count reads none, and no more are read than the
    // body holds whole.
    size_t CountFitting(size_t offset, size_t stride, int32_t count, size_t limit) const
    {
        if (count <= 0 || stride == 0 || offset > m_size)
            return 0;
        size_t fit = (m_size - offset) / stride;
        return std::min({ static_cast<size_t>(count), limit, fit });
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace frame
