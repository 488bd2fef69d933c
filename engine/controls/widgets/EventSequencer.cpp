#include "engine/controls/widgets/EventSequencer.h"

#include <cstring>

namespace engine {

EventSequencer::~EventSequencer()
{
    for (const EngineEvent& event : m_queue)
        if (event.data > 0)
            FreeEventBlock(event.param);
}

int EventSequencer::Post(int target, int code, const void* payload, int length)
{
    // A length without bytes behind it would copy from nowhere.
    if (!payload || length < 0)
        length = 0;
    MessageWord copy = 0;
    if (length > 0) {
        uint8_t* block = AllocEventBlock(static_cast<size_t>(length));
        std::memcpy(block, payload, static_cast<size_t>(length));
        copy = ToWord(block);
    }
    const EngineEvent event(target, code, copy, static_cast<MessageWord>(length));
    if (m_busy) {
        m_queue.push_back(event);
    } else {
        m_busy = true;
        Release(event);
    }
    return m_busy ? 1 : 0;
}

int EventSequencer::Next()
{
    m_busy = false;
    if (m_queue.empty())
        return 0;
    m_busy = true;
    const EngineEvent event = m_queue.front();
    m_queue.pop_front();
    Release(event);
    return 1;
}

void EventSequencer::Release(const EngineEvent& event)
{
    // An event that cannot be posted (no module, no target) reaches no
    // receiver to free its copy.
    if (!PostEvent(event) && event.data > 0)
        FreeEventBlock(event.param);
}

void EventSequencer::Stop()
{
    m_busy = true;
}

} // namespace engine
