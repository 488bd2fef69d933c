#include "engine/core/MessageRing.h"

namespace engine {

MessageRing::MessageRing()
    : m_buffer(std::make_unique<ModuleMessage[]>(kInitialCapacity))
    , m_capacity(kInitialCapacity)
{
}

void MessageRing::GrowTo(size_t capacity)
{
    auto grown = std::make_unique<ModuleMessage[]>(capacity);
    for (size_t i = 0; i < m_count; ++i)
        grown[i] = m_buffer[(m_read + i) % m_capacity];
    m_buffer = std::move(grown);
    m_capacity = capacity;
    m_read = 0;
    m_write = m_count;
}

void MessageRing::Push(const ModuleMessage& message)
{
    if (m_count >= m_capacity - 1)
        GrowTo(m_capacity * 2);
    m_buffer[m_write] = message;
    m_write = (m_write + 1) % m_capacity;
    ++m_count;
}

bool MessageRing::Pop(ModuleMessage& out)
{
    if (m_count == 0)
        return false;
    out = m_buffer[m_read];
    m_buffer[m_read] = ModuleMessage {};
    m_read = (m_read + 1) % m_capacity;
    --m_count;
    return true;
}

void MessageRing::Clear()
{
    ModuleMessage dropped;
    while (Pop(dropped)) {
        if (dropped.release)
            dropped.release(dropped.msg, dropped.data, dropped.extra);
    }
    m_read = 0;
    m_write = 0;
}

} // namespace engine
