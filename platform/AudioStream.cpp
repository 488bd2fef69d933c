#include "platform/AudioStream.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform {

namespace {

// SDL_mixer has one output per process.
std::atomic<bool> g_outputTaken { false };

constexpr int kRate = 44100;
constexpr int kChunkFrames = 1024;

} // namespace

AudioStream::~AudioStream()
{
    Shutdown();
}

bool AudioStream::Start()
{
    if (m_started)
        return true;
    bool expected = false;
    if (!g_outputTaken.compare_exchange_strong(expected, true))
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        g_outputTaken = false;
        return false;
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC);
    if (!OpenDevice()) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_outputTaken = false;
        return false;
    }
    m_channelCount = Mix_AllocateChannels(16);
    m_freeChannels.clear();
    for (int c = m_channelCount - 1; c >= 0; --c)
        m_freeChannels.push_back(c);
    m_started = true;
    m_suspended = false;
    Mix_MasterVolume(static_cast<int>(std::lround(m_volume * MIX_MAX_VOLUME)));
    // The mixer marks a paused channel with the tick count of the pause, so
    // a pause in SDL's first millisecond would read as "not paused" and the
    // sound would go on: let the tick count leave 0 first.
    while (SDL_GetTicks() == 0)
        SDL_Delay(1);
    return true;
}

bool AudioStream::OpenDevice()
{
    return Mix_OpenAudio(kRate, MIX_DEFAULT_FORMAT, 2, kChunkFrames) == 0;
}

bool AudioStream::Resume()
{
    if (!m_suspended)
        return true;
    if (!OpenDevice())
        return false;
    m_suspended = false;
    Mix_AllocateChannels(m_channelCount);
    Mix_MasterVolume(static_cast<int>(std::lround(m_volume * MIX_MAX_VOLUME)));
    return true;
}

bool AudioStream::Suspend()
{
    if (!m_started || m_suspended)
        return m_suspended;
    // Paused channels count as playing: they must be able to go on.
    if (Mix_Playing(-1) > 0)
        return false;
    // The chunks were converted to the device's format when they were
    // loaded; the device opens again with the same settings.
    Mix_CloseAudio();
    m_suspended = true;
    return true;
}

void AudioStream::Shutdown()
{
    if (!m_started)
        return;
    // A suspended output has no device and nothing playing.
    if (!m_suspended)
        Mix_HaltChannel(-1);
    for (auto& [handle, voice] : m_voices)
        Mix_FreeChunk(static_cast<Mix_Chunk*>(voice.chunk));
    m_voices.clear();
    m_freeChannels.clear();
    m_channelCount = 0;
    if (!m_suspended)
        Mix_CloseAudio();
    m_suspended = false;
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_started = false;
    g_outputTaken = false;
}

void AudioStream::SetVolume(float volume)
{
    if (!(volume >= 0.0f))
        volume = 0.0f;
    m_volume = std::min(volume, 1.0f);
    if (m_started)
        Mix_MasterVolume(static_cast<int>(std::lround(m_volume * MIX_MAX_VOLUME)));
}

float AudioStream::GetVolume() const
{
    if (!m_started)
        return m_volume;
    return static_cast<float>(Mix_MasterVolume(-1)) / MIX_MAX_VOLUME;
}

uint32_t AudioStream::CreateStream(const uint8_t* data, size_t length)
{
    if (!m_started || data == nullptr || length == 0 || length > INT32_MAX)
        return 0;
    // Sounds are decoded into the open device's format.
    if (!Resume())
        return 0;
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(length));
    if (!rw)
        return 0;
    // Closed here rather than by the mixer, which forgets to on some
    // failures.
    Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 0);
    SDL_RWclose(rw);
    if (!chunk)
        return 0;
    if (m_freeChannels.empty()) {
        int wanted = m_channelCount * 2;
        int got = Mix_AllocateChannels(wanted);
        for (int c = got - 1; c >= m_channelCount; --c)
            m_freeChannels.push_back(c);
        m_channelCount = got;
        if (m_freeChannels.empty()) {
            Mix_FreeChunk(chunk);
            return 0;
        }
    }
    int channel = m_freeChannels.back();
    m_freeChannels.pop_back();
    uint32_t handle = m_nextHandle++;
    while (handle == 0 || m_voices.count(handle) != 0)
        handle = m_nextHandle++;
    m_voices.emplace(handle, Voice { chunk, channel });
    return handle;
}

bool AudioStream::FreeStream(uint32_t stream)
{
    auto it = m_voices.find(stream);
    if (it == m_voices.end())
        return false;
    // Halting first: the mixer no longer reads the chunk once this returns.
    if (!m_suspended)
        Mix_HaltChannel(it->second.channel);
    Mix_FreeChunk(static_cast<Mix_Chunk*>(it->second.chunk));
    m_freeChannels.push_back(it->second.channel);
    m_voices.erase(it);
    return true;
}

const AudioStream::Voice* AudioStream::Find(uint32_t stream) const
{
    auto it = m_voices.find(stream);
    return it == m_voices.end() ? nullptr : &it->second;
}

bool AudioStream::Play(uint32_t stream, bool restart)
{
    const Voice* v = Find(stream);
    if (!v)
        return false;
    if (!Resume())
        return false;
    if (!restart && Mix_Playing(v->channel)) {
        if (Mix_Paused(v->channel))
            Mix_Resume(v->channel);
        return true;
    }
    return Mix_PlayChannel(v->channel, static_cast<Mix_Chunk*>(v->chunk), 0) == v->channel;
}

bool AudioStream::Pause(uint32_t stream)
{
    const Voice* v = Find(stream);
    if (!v)
        return false;
    if (!m_suspended && Mix_Playing(v->channel))
        Mix_Pause(v->channel);
    return true;
}

bool AudioStream::Stop(uint32_t stream)
{
    const Voice* v = Find(stream);
    if (!v)
        return false;
    if (!m_suspended)
        Mix_HaltChannel(v->channel);
    return true;
}

StreamActivity AudioStream::IsActive(uint32_t stream) const
{
    const Voice* v = Find(stream);
    if (!v || m_suspended || !Mix_Playing(v->channel))
        return StreamActivity::kStopped;
    return Mix_Paused(v->channel) ? StreamActivity::kPaused : StreamActivity::kPlaying;
}

} // namespace platform
