#include "platform/RecordingMidiSink.h"

#include <chrono>

namespace platform {

void RecordingMidiSink::ShortMessage(uint64_t timeUs, uint32_t message)
{
    {
        std::lock_guard guard(m_lock);
        m_entries.push_back({ timeUs, message });
    }
    m_added.notify_all();
}

void RecordingMidiSink::Reset()
{
    std::lock_guard guard(m_lock);
    ++m_resets;
}

std::vector<RecordingMidiSink::Entry> RecordingMidiSink::Entries() const
{
    std::lock_guard guard(m_lock);
    return m_entries;
}

size_t RecordingMidiSink::Count() const
{
    std::lock_guard guard(m_lock);
    return m_entries.size();
}

size_t RecordingMidiSink::ResetCount() const
{
    std::lock_guard guard(m_lock);
    return m_resets;
}

void RecordingMidiSink::Clear()
{
    std::lock_guard guard(m_lock);
    m_entries.clear();
    m_resets = 0;
}

bool RecordingMidiSink::WaitForCount(size_t count, int timeoutMs) const
{
    std::unique_lock guard(m_lock);
    return m_added.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return m_entries.size() >= count; });
}

} // namespace platform
