#pragma once
// The byte toolkit every layer reads and writes fixed-layout bytes with: the
// server's and the lobby's messages, the files, the counters shared between
// processes, the codecs' streams.
//
// The loaders and storers work on raw pointers whose bytes the caller has
// already checked. Bytes from outside are read through a ByteReader: the
// caller wraps the body once, asks whether the record fits (`Has`) and then
// reads its fields by byte offset. Every read is checked again on its own: a
// field that does not lie wholly inside the body reads as 0 or as empty text,
// so a mistaken offset can never reach past the bytes that arrived. A
// ByteWriter writes fields by offset in the same way and writes nothing that
// would not fit. Neither casts bytes to a structure: each field is read and
// written on its own, little-endian unless its name says otherwise.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace platform {

inline uint16_t LoadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t LoadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
        | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t LoadLe64(const uint8_t* p) { return LoadLe32(p) | static_cast<uint64_t>(LoadLe32(p + 4)) << 32; }

inline void StoreLe16(uint8_t* p, uint16_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLe32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

inline void StoreLe64(uint8_t* p, uint64_t value)
{
    StoreLe32(p, static_cast<uint32_t>(value));
    StoreLe32(p + 4, static_cast<uint32_t>(value >> 32));
}

// Big-endian: the cipher's words, MIDI files, PNG headers and proxy ports.
inline uint16_t LoadBe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

inline uint32_t LoadBe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8
        | static_cast<uint32_t>(p[3]);
}

inline void StoreBe32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

// Sum of two 32-bit ints as the wire holds them (two's complement,
// wrapping): scores and counts from outside may be anything, and an
// overflow must not be undefined behaviour.
inline int32_t WrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(data ? size : 0)
    {
    }
    ByteReader(std::span<const uint8_t> bytes)
        : ByteReader(bytes.data(), bytes.size())
    {
    }
    ByteReader(std::string_view bytes)
        : ByteReader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())
    {
    }

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

    // True when the n bytes from offset lie inside the body.
    bool Has(size_t offset, size_t n) const { return offset <= m_size && n <= m_size - offset; }
    bool Has(size_t n) const { return Has(0, n); }

    uint8_t Byte(size_t offset) const { return Has(offset, 1) ? m_data[offset] : 0; }
    uint16_t Half(size_t offset) const { return Has(offset, 2) ? LoadLe16(m_data + offset) : 0; }
    uint32_t Word(size_t offset) const { return Has(offset, 4) ? LoadLe32(m_data + offset) : 0; }
    uint64_t Long(size_t offset) const { return Has(offset, 8) ? LoadLe64(m_data + offset) : 0; }
    int32_t Int(size_t offset) const { return static_cast<int32_t>(Word(offset)); }

    // n consecutive ints from offset; those past the body read as 0.
    void Ints(size_t offset, int* out, size_t n) const
    {
        for (size_t i = 0; i < n; ++i)
            out[i] = Int(offset + 4 * i);
    }

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

class ByteWriter {
public:
    ByteWriter(uint8_t* data, size_t size)
        : m_data(data)
        , m_size(data ? size : 0)
    {
    }
    ByteWriter(std::span<uint8_t> bytes)
        : ByteWriter(bytes.data(), bytes.size())
    {
    }

    uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    bool Has(size_t offset, size_t n) const { return offset <= m_size && n <= m_size - offset; }

    // Each writes its field when it lies wholly inside the bytes and
    // answers whether it did.
    bool Byte(size_t offset, uint8_t value) const
    {
        if (!Has(offset, 1))
            return false;
        m_data[offset] = value;
        return true;
    }
    bool Half(size_t offset, uint16_t value) const { return Put(offset, 2, [&](uint8_t* p) { StoreLe16(p, value); }); }
    bool Word(size_t offset, uint32_t value) const { return Put(offset, 4, [&](uint8_t* p) { StoreLe32(p, value); }); }
    bool Long(size_t offset, uint64_t value) const { return Put(offset, 8, [&](uint8_t* p) { StoreLe64(p, value); }); }
    bool Int(size_t offset, int32_t value) const { return Word(offset, static_cast<uint32_t>(value)); }

    // n consecutive ints from offset; none is written unless all fit.
    bool Ints(size_t offset, const int* values, size_t n) const
    {
        if (n > m_size / 4 || !Has(offset, 4 * n))
            return false;
        for (size_t i = 0; i < n; ++i)
            StoreLe32(m_data + offset + 4 * i, static_cast<uint32_t>(values[i]));
        return true;
    }

    bool Bytes(size_t offset, std::span<const uint8_t> bytes) const
    {
        if (!Has(offset, bytes.size()))
            return false;
        if (!bytes.empty())
            std::memcpy(m_data + offset, bytes.data(), bytes.size());
        return true;
    }

private:
    template <class Store> bool Put(size_t offset, size_t n, Store store) const
    {
        if (!Has(offset, n))
            return false;
        store(m_data + offset);
        return true;
    }

    uint8_t* m_data;
    size_t m_size;
};

// A 32-bit field of a fixed-size record whose bytes the caller holds: a
// field outside the record reads as 0 and is not written.
inline int32_t LoadI32(std::span<const uint8_t> bytes, size_t offset) { return ByteReader(bytes).Int(offset); }
inline void StoreI32(std::span<uint8_t> bytes, size_t offset, int32_t value) { ByteWriter(bytes).Int(offset, value); }

// Reads or writes n consecutive 32-bit fields starting at offset.
inline void LoadI32Array(std::span<const uint8_t> bytes, size_t offset, int* out, size_t n)
{
    ByteReader(bytes).Ints(offset, out, n);
}
inline void StoreI32Array(std::span<uint8_t> bytes, size_t offset, const int* values, size_t n)
{
    ByteWriter(bytes).Ints(offset, values, n);
}

} // namespace platform
