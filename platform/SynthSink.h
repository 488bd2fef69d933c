#pragma once
// The General MIDI synthesizer behind the MIDI output streams: FluidSynth
// with a soundfont, playing through the sound card (SDL audio), or
// rendering into memory at each message's stream time (tests, offline
// checks).

#include "platform/MidiSink.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class SynthSink final : public MidiSink {
public:
    enum class Output {
        kSoundCard, // real time, through SDL's audio output
        kMemory,    // as fast as messages come, rendered into a buffer
    };

    static constexpr int kSampleRate = 44100;
    // Memory output stops growing at this much sound; later messages are
    // still applied but nothing more is rendered.
    static constexpr uint64_t kMaxMemoryFrames = uint64_t { kSampleRate } * 120;

    // The soundfont installed with the system when none is named. Null when
    // the soundfont cannot be loaded or the sound card cannot be opened.
    static std::shared_ptr<SynthSink> Create(Output output, const std::string& soundFont = {});
    // The system's General MIDI soundfont, or empty when none is installed.
    static std::string SystemSoundFont();

    ~SynthSink() override;
    SynthSink(const SynthSink&) = delete;
    SynthSink& operator=(const SynthSink&) = delete;

    void ShortMessage(uint64_t timeUs, uint32_t message) override;
    void Reset() override;
    bool RealTime() const override { return m_output == Output::kSoundCard; }

    // Memory output: renders tailMs more (so the last notes can sound out)
    // and hands over everything rendered so far, interleaved stereo 16-bit
    // samples at kSampleRate, emptying the buffer.
    std::vector<int16_t> TakeRendered(uint32_t tailMs);

    struct Impl;

private:
    SynthSink(Output output, std::unique_ptr<Impl> impl);
    void RenderTo(uint64_t frame);

    Output m_output;
    std::unique_ptr<Impl> m_impl;

    // Memory output only.
    std::mutex m_lock;
    std::vector<int16_t> m_rendered;
    uint64_t m_renderedFrames = 0; // frames rendered since creation
    uint64_t m_originFrame = 0;    // frame at which stream time 0 fell
    uint64_t m_lastTimeUs = 0;
};

} // namespace platform
