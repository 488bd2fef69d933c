#pragma once
// A module's FIFO of incoming messages. It starts with room for 16 and
// doubles before it would fill, so after the first growths queuing costs no
// allocation.

#include "engine/core/ModuleMessage.h"

#include <cstddef>
#include <memory>

namespace engine {

class MessageRing {
public:
    MessageRing();

    static constexpr size_t kInitialCapacity = 16;

    void Push(const ModuleMessage& message);
    // False when the ring is empty.
    bool Pop(ModuleMessage& out);
    size_t Length() const { return m_count; }
    size_t Capacity() const { return m_capacity; }
    // Empties the ring without delivering; dropped messages are released.
    void Clear();

private:
    void GrowTo(size_t capacity);

    std::unique_ptr<ModuleMessage[]> m_buffer;
    size_t m_read = 0;
    size_t m_write = 0;
    size_t m_capacity = 0;
    size_t m_count = 0;
};

} // namespace engine
