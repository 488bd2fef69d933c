#include "platform/SynthSink.h"

#include <SDL2/SDL.h>
#include <fluidsynth.h>

#include <algorithm>
#include <unistd.h>

namespace platform {

namespace {

// General MIDI soundfonts as Debian installs them, the small one first.
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

void QuietLogs()
{
    // FluidSynth writes warnings and notes about the soundfont to stderr;
    // errors still go there.
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

} // namespace

struct SynthSink::Impl {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    SDL_AudioDeviceID device = 0;
    bool audioInitialised = false;

    ~Impl()
    {
        // The audio thread renders from the synth: close it first.
        if (device != 0)
            SDL_CloseAudioDevice(device);
        if (audioInitialised)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }

    static void Fill(void* user, Uint8* stream, int bytes)
    {
        auto* self = static_cast<Impl*>(user);
        int frames = bytes / 4;
        fluid_synth_write_s16(self->synth, frames, stream, 0, 2, stream, 1, 2);
    }
};

std::string SynthSink::SystemSoundFont()
{
    for (const char* path : kSoundFonts) {
        if (access(path, R_OK) == 0)
            return path;
    }
    return {};
}

std::shared_ptr<SynthSink> SynthSink::Create(Output output, const std::string& soundFont)
{
    QuietLogs();
    std::string font = soundFont.empty() ? SystemSoundFont() : soundFont;
    if (font.empty())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->settings = new_fluid_settings();
    if (!impl->settings)
        return nullptr;
    fluid_settings_setnum(impl->settings, "synth.sample-rate", kSampleRate);
    fluid_settings_setint(impl->settings, "synth.threadsafe-api", 1);
    impl->synth = new_fluid_synth(impl->settings);
    if (!impl->synth || fluid_synth_sfload(impl->synth, font.c_str(), 1) == FLUID_FAILED)
        return nullptr;

    if (output == Output::kSoundCard) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return nullptr;
        impl->audioInitialised = true;
        SDL_AudioSpec want {};
        want.freq = kSampleRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &Impl::Fill;
        want.userdata = impl.get();
        SDL_AudioSpec have {};
        impl->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (impl->device == 0)
            return nullptr;
        SDL_PauseAudioDevice(impl->device, 0);
    }
    return std::shared_ptr<SynthSink>(new SynthSink(output, std::move(impl)));
}

SynthSink::SynthSink(Output output, std::unique_ptr<Impl> impl)
    : m_output(output)
    , m_impl(std::move(impl))
{
}

SynthSink::~SynthSink() = default;

void SynthSink::RenderTo(uint64_t frame)
{
    frame = std::min(frame, kMaxMemoryFrames);
    while (m_renderedFrames < frame) {
        int chunk = static_cast<int>(std::min<uint64_t>(frame - m_renderedFrames, 4096));
        size_t at = m_rendered.size();
        m_rendered.resize(at + static_cast<size_t>(chunk) * 2);
        fluid_synth_write_s16(m_impl->synth, chunk, m_rendered.data() + at, 0, 2, m_rendered.data() + at, 1, 2);
        m_renderedFrames += chunk;
    }
}

void SynthSink::ShortMessage(uint64_t timeUs, uint32_t message)
{
    if (m_output == Output::kMemory) {
        std::lock_guard guard(m_lock);
        // A stream that starts again from time 0 continues the sound where
        // it is.
        if (timeUs < m_lastTimeUs)
            m_originFrame = m_renderedFrames;
        m_lastTimeUs = timeUs;
        uint64_t seconds = timeUs / 1000000;
        uint64_t frames = seconds * kSampleRate + (timeUs % 1000000) * kSampleRate / 1000000;
        RenderTo(m_originFrame + std::min(frames, kMaxMemoryFrames));
    }
    fluid_synth_t* s = m_impl->synth;
    int status = message & 0xF0;
    int channel = message & 0x0F;
    int d1 = (message >> 8) & 0x7F;
    int d2 = (message >> 16) & 0x7F;
    switch (status) {
    case 0x80:
        fluid_synth_noteoff(s, channel, d1);
        break;
    case 0x90:
        if (d2 == 0)
            fluid_synth_noteoff(s, channel, d1);
        else
            fluid_synth_noteon(s, channel, d1, d2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(s, channel, d1, d2);
        break;
    case 0xB0:
        fluid_synth_cc(s, channel, d1, d2);
        break;
    case 0xC0:
        fluid_synth_program_change(s, channel, d1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(s, channel, d1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(s, channel, d1 | d2 << 7);
        break;
    default:
        break; // system messages are not played
    }
}

void SynthSink::Reset()
{
    if (m_output == Output::kMemory) {
        std::lock_guard guard(m_lock);
        m_originFrame = m_renderedFrames;
        m_lastTimeUs = 0;
    }
    fluid_synth_system_reset(m_impl->synth);
}

std::vector<int16_t> SynthSink::TakeRendered(uint32_t tailMs)
{
    std::lock_guard guard(m_lock);
    if (m_output == Output::kMemory)
        RenderTo(m_renderedFrames + uint64_t { tailMs } * kSampleRate / 1000);
    std::vector<int16_t> out;
    out.swap(m_rendered);
    return out;
}

std::shared_ptr<MidiSink> DefaultMidiSink()
{
    // Process-wide like the system's MIDI mapper it stands for; it lives
    // while some stream or player holds it.
    static std::mutex lock;
    static std::weak_ptr<SynthSink> shared;
    std::lock_guard guard(lock);
    std::shared_ptr<SynthSink> sink = shared.lock();
    if (!sink) {
        sink = SynthSink::Create(SynthSink::Output::kSoundCard);
        shared = sink;
    }
    return sink;
}

} // namespace platform
