#pragma once
// Growable byte buffer used by the connection, the frames and the codec.
// Capacity is 0 or a multiple of 1024; it grows at least twofold and never
// shrinks, so appending is amortised constant time however large the buffer.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace net {

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const void* source, size_t n) { Append(source, n); }
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    virtual ~ByteBuffer() = default;

    static constexpr size_t kGranularity = 1024;

    size_t Size() const { return m_size; }
    size_t Capacity() const { return m_capacity; }
    bool Empty() const { return m_size == 0; }

    // Pointer to data + offset (null until the first growth).
    uint8_t* Data(size_t offset = 0) { return m_data ? m_data.get() + offset : nullptr; }
    const uint8_t* Data(size_t offset = 0) const { return m_data ? m_data.get() + offset : nullptr; }

    // When n exceeds the capacity, grows to the larger of n and twice the
    // capacity, rounded up to a multiple of 1024. The new bytes past the
    // size are not initialised.
    void Reserve(size_t n);
    size_t Append(const void* source, size_t n);
    size_t Prepend(const void* source, size_t n);
    // Copies min(n, size) bytes from the front and drops them; n above the
    // capacity takes nothing and returns 0.
    size_t Read(void* destination, size_t n);
    size_t Consume(size_t n);
    // Size 0; the capacity becomes at least 1024.
    void Clear();

    // Little-endian 32-bit helpers used by every wire format of the library.
    void AppendU32(uint32_t value);
    void PrependU32(uint32_t value);

private:
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace net
