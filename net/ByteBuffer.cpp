#include "net/ByteBuffer.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace net {

ByteBuffer::ByteBuffer(const ByteBuffer& other)
{
    Append(other.Data(), other.Size());
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other)
{
    if (this != &other) {
        m_size = 0;
        Append(other.Data(), other.Size());
    }
    return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : m_data(std::move(other.m_data))
    , m_size(other.m_size)
    , m_capacity(other.m_capacity)
{
    other.m_size = 0;
    other.m_capacity = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept
{
    if (this != &other) {
        m_data = std::move(other.m_data);
        m_size = other.m_size;
        m_capacity = other.m_capacity;
        other.m_size = 0;
        other.m_capacity = 0;
    }
    return *this;
}

void ByteBuffer::Reserve(size_t n)
{
    if (n <= m_capacity)
        return;
    // At least double: a message joined from many pieces then moves a
    // logarithmic number of times instead of once per piece.
    size_t wanted = std::max(n, 2 * m_capacity);
    size_t capacity = (wanted + kGranularity - 1) / kGranularity * kGranularity;
    if (capacity < n)
        throw std::bad_alloc(); // the size wrapped: no such block exists
    // Not zeroed: every byte below m_size is written before it is read.
    auto grown = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    if (m_size)
        std::memcpy(grown.get(), m_data.get(), m_size);
    m_data = std::move(grown);
    m_capacity = capacity;
}

size_t ByteBuffer::Append(const void* source, size_t n)
{
    if (n == 0)
        return 0;
    Reserve(m_size + n);
    std::memcpy(m_data.get() + m_size, source, n);
    m_size += n;
    return n;
}

size_t ByteBuffer::Prepend(const void* source, size_t n)
{
    if (n == 0)
        return 0;
    Reserve(m_size + n);
    std::memmove(m_data.get() + n, m_data.get(), m_size);
    std::memcpy(m_data.get(), source, n);
    m_size += n;
    return n;
}

size_t ByteBuffer::Read(void* destination, size_t n)
{
    if (n > m_capacity)
        return 0;
    size_t taken = std::min(n, m_size);
    if (taken && destination)
        std::memcpy(destination, m_data.get(), taken);
    if (taken) {
        std::memmove(m_data.get(), m_data.get() + taken, m_size - taken);
        m_size -= taken;
    }
    return taken;
}

size_t ByteBuffer::Consume(size_t n)
{
    return Read(nullptr, n);
}

void ByteBuffer::Clear()
{
    m_size = 0;
    Reserve(kGranularity);
}

void ByteBuffer::AppendU32(uint32_t value)
{
    uint8_t bytes[4];
    platform::StoreLe32(bytes, value);
    Append(bytes, 4);
}

void ByteBuffer::PrependU32(uint32_t value)
{
    uint8_t bytes[4];
    platform::StoreLe32(bytes, value);
    Prepend(bytes, 4);
}

} // namespace net
