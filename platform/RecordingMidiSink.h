#pragma once
// A MIDI sink for tests: keeps every short message with its stream time.

#include "platform/MidiSink.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <vector>

namespace platform {

class RecordingMidiSink final : public MidiSink {
public:
    struct Entry {
        uint64_t timeUs;
        uint32_t message;
        bool operator==(const Entry&) const = default;
        // How test failures show an entry.
        friend void PrintTo(const Entry& e, std::ostream* os)
        {
            *os << "{" << e.timeUs << " us, 0x" << std::hex << e.message << std::dec << "}";
        }
    };

    // realTime false: streams hand messages over as fast as they can.
    explicit RecordingMidiSink(bool realTime = false)
        : m_realTime(realTime)
    {
    }

    void ShortMessage(uint64_t timeUs, uint32_t message) override;
    void Reset() override;
    bool RealTime() const override { return m_realTime; }

    std::vector<Entry> Entries() const;
    size_t Count() const;
    size_t ResetCount() const;
    void Clear();
    // True once at least count messages are recorded, within timeoutMs.
    bool WaitForCount(size_t count, int timeoutMs) const;

private:
    const bool m_realTime;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_added;
    std::vector<Entry> m_entries;
    size_t m_resets = 0;
};

} // namespace platform
