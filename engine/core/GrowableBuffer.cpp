#include "engine/core/GrowableBuffer.h"

#include <algorithm>
#include <cstring>

namespace engine {

GrowableBuffer::GrowableBuffer()
    : m_data(std::make_unique<uint8_t[]>(kInitialCapacity))
    , m_capacity(kInitialCapacity)
{
}

const uint8_t* GrowableBuffer::PointerAt(size_t offset) const
{
    return offset > m_size ? nullptr : m_data.get() + offset;
}

size_t GrowableBuffer::Append(const void* source, size_t length)
{
    if (length == 0)
        return m_size;
    size_t end = m_cursor + length;
    while (end >= m_capacity)
        Grow();
    std::memcpy(m_data.get() + m_cursor, source, length);
    m_cursor = end;
    m_size = std::max(m_size, end);
    return m_size;
}

void GrowableBuffer::Reset()
{
    std::memset(m_data.get(), 0, m_capacity);
    m_size = 0;
    m_cursor = 0;
}

void GrowableBuffer::Grow()
{
    size_t capacity = m_capacity * 2;
    auto grown = std::make_unique<uint8_t[]>(capacity);
    std::memcpy(grown.get(), m_data.get(), m_capacity);
    m_data = std::move(grown);
    m_capacity = capacity;
}

void GrowableBuffer::Seek(size_t position)
{
    m_cursor = std::min(position, m_size);
}

void GrowableBuffer::Skip(size_t n)
{
    m_cursor = n > m_size - m_cursor ? m_size : m_cursor + n;
}

} // namespace engine
