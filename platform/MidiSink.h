#pragma once
// Where a MIDI output stream sends what it plays: a synthesizer, or a
// recorder in tests. A sink may serve several streams one after the other.

#include <cstdint>
#include <memory>

namespace platform {

class MidiSink {
public:
    virtual ~MidiSink() = default;

    // Plays one short message (status | data 1 << 8 | data 2 << 16). timeUs
    // is the message's place in its stream, in microseconds from the point
    // where the stream last started from its beginning. Called on the
    // stream's own thread.
    virtual void ShortMessage(uint64_t timeUs, uint32_t message) = 0;

    // Silences every sounding note and returns the controllers to their
    // defaults (the stream was stopped or reset).
    virtual void Reset() = 0;

    // True: the stream waits for each message's time on the wall clock
    // before handing it over. False: it hands messages over as fast as it
    // can, still stamped with their stream times (recording, rendering into
    // memory).
    virtual bool RealTime() const = 0;
};

// The synthesizer that plays through the sound card: one per process, made
// on first use and shared by every stream while any of them holds it. Null
// when no soundfont or no audio output is available.
std::shared_ptr<MidiSink> DefaultMidiSink();

} // namespace platform
