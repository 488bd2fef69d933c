#pragma once
// A MIDI output stream: the owner queues buffers of timed stream events,
// the stream plays them in order into a MidiSink and hands each buffer back
// through the owner's callback once it has been played (or thrown back by a
// stop or reset). Every notice reaches the callback on the stream's own
// thread, one at a time, in the order the stream produced them.
//
// A stream opens paused: buffers queued before Restart wait. Stream time
// runs from 0 at open and after every Stop or Reset.

#include "platform/MidiSink.h"

#include <cstdint>
#include <memory>

namespace platform {

// One event in a stream buffer: 12 bytes. Buffers are memory of this
// process, not a file format, so the record is copied in and out as is.
struct MidiStreamEvent {
    uint32_t deltaTicks = 0; // ticks after the previous event of the stream
    uint32_t streamId = 0;   // always 0
    uint32_t event = 0;      // kind in the top byte, parameters below
};
static_assert(sizeof(MidiStreamEvent) == 12);

// Event kinds (event >> 24, without the flags).
constexpr uint32_t kMidiEventShort = 0x00; // a short message in the low 24 bits
constexpr uint32_t kMidiEventTempo = 0x01; // microseconds per quarter note in the low 24 bits
constexpr uint32_t kMidiEventNop = 0x02;   // nothing; only its delta counts
// Flags on an event word: notify the owner (kPosition) when it plays.
constexpr uint32_t kMidiEventCallback = 0x40000000;
// The low 24 bits give the length of parameter bytes that follow the
// 12-byte record (padded to a multiple of 4); the stream skips them.
constexpr uint32_t kMidiEventLong = 0x80000000;

// Header of one stream buffer. The owner keeps it (and its data) alive and
// unchanged from Out until the buffer comes back.
struct MidiHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0; // bytes of whole events to play
    uintptr_t user = 0;
    uint32_t flags = 0;  // kMidiHeader* below; written by the stream
    uint32_t offset = 0; // offset of the event being reported by kPosition
};
constexpr uint32_t kMidiHeaderDone = 0x1;
constexpr uint32_t kMidiHeaderPrepared = 0x2;
constexpr uint32_t kMidiHeaderInQueue = 0x4;

enum class MidiResult {
    kOk = 0,
    kInvalidParameter = 11,
    kNoDevice = 2,
    kNotPrepared = 64,
    kStillPlaying = 65,
    kClosed = 5,
};

enum class MidiNotice { kOpen, kClose, kDone, kPosition };

// Streams are named by handles that are never 0 and never reused.
using MidiStreamHandle = uint32_t;

// The owner's callback. header is the returned buffer for kDone and the
// buffer holding the event for kPosition (null otherwise); event is a copy
// of the event that carried kMidiEventCallback (kPosition only).
using MidiOutCallback = void (*)(MidiStreamHandle stream, MidiNotice notice, void* instance, MidiHeader* header,
    const MidiStreamEvent* event);

class MidiOut {
public:
    // Opens a stream on the sink and queues the kOpen notice. kNoDevice
    // without a sink.
    static MidiResult Open(std::shared_ptr<MidiSink> sink, MidiOutCallback callback, void* instance,
        std::unique_ptr<MidiOut>& out);

    // Closes (see Close).
    ~MidiOut();
    MidiOut(const MidiOut&) = delete;
    MidiOut& operator=(const MidiOut&) = delete;

    MidiStreamHandle Handle() const { return m_handle; }

    // Ticks per quarter note (1..0x7FFF), or SMPTE: the high byte the
    // negative frame rate (-24, -25, -29 for 29.97, -30), the low byte ticks
    // per frame (at least 1). Anything else, 0 included, is refused.
    MidiResult SetTimeDivision(uint32_t division);

    // Marks a header usable with Out. The data and length must be set;
    // preparing a prepared header is fine.
    MidiResult PrepareHeader(MidiHeader& header);
    // kStillPlaying while the header is queued.
    MidiResult UnprepareHeader(MidiHeader& header);
    // Queues a prepared header (not already queued) behind the others.
    MidiResult Out(MidiHeader& header);

    // Starts or continues playing.
    MidiResult Restart();
    // Holds playing where it is; Restart continues from there.
    MidiResult Pause();
    // Silences the sink, hands every queued buffer back (kDone, done flag
    // set), returns the stream time to 0 and leaves the stream paused.
    MidiResult Stop();
    // The same as Stop, for the device as a whole.
    MidiResult Reset();

    // Hands queued buffers back, delivers the notices still waiting and
    // kClose, and ends the stream's thread. Called from the stream's own
    // callback it cannot wait for its thread: the notices still waiting and
    // kClose are then dropped, and the thread ends once the callback
    // returns. Later calls answer kClosed.
    void Close();

    struct State;

private:
    MidiOut() = default;

    std::shared_ptr<State> m_state;
    MidiStreamHandle m_handle = 0;
};

} // namespace platform
