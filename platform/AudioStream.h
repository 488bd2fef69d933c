#pragma once
// Sound output with streams played from memory: the sound library the music
// module plays its non-MIDI sounds through. Each stream decodes its bytes
// (WAV, OGG, MP3 and the other formats SDL_mixer reads) and plays on a voice
// of its own, so streams play, pause and stop independently.
//
// One object per process (the output is the process's); user-interface
// thread only.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace platform {

// What IsActive answers; any value but kStopped counts as still playing.
enum class StreamActivity : uint32_t {
    kStopped = 0, // never played, stopped, or played to its end
    kPlaying = 1,
    kPaused = 3,
};

class AudioStream {
public:
    AudioStream() = default;
    // Shuts the output down.
    ~AudioStream();
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    // Opens the default sound output at 44100 Hz. False when no audio can be
    // opened (or another AudioStream holds the output): the caller then
    // works as it does without its sound library.
    bool Start();
    bool IsStarted() const { return m_started; }
    // Stops every stream, frees them all and closes the output.
    void Shutdown();
    // Closes the output device while no stream plays or is paused, so that
    // its thread stops waking; the streams stay, and the next Play opens
    // the device again. False (and nothing changes) while a stream plays or
    // is paused.
    bool Suspend();
    bool IsSuspended() const { return m_suspended; }

    // Master volume, 0.0 to 1.0 (values outside are clamped).
    void SetVolume(float volume);
    float GetVolume() const;

    // A stream of the sound in data. The bytes are decoded at once; the
    // caller may free them afterwards. Returns the stream's handle, never 0;
    // 0 when the output is not started or the bytes are not a sound.
    uint32_t CreateStream(const uint8_t* data, size_t length);
    // Stops and frees the stream; false for an unknown handle.
    bool FreeStream(uint32_t stream);

    // With restart the stream plays from its beginning. Without it a paused
    // stream continues, a playing one goes on undisturbed, and a stopped or
    // ended one starts from its beginning.
    bool Play(uint32_t stream, bool restart);
    bool Pause(uint32_t stream);
    bool Stop(uint32_t stream);
    StreamActivity IsActive(uint32_t stream) const;

private:
    struct Voice {
        void* chunk;  // Mix_Chunk, owned
        int channel;  // the mixer channel that plays only this stream
    };
    const Voice* Find(uint32_t stream) const;
    // Opens the device with the output's settings; false when it cannot.
    bool OpenDevice();
    // Opens the device again after Suspend; false when it cannot.
    bool Resume();

    bool m_started = false;
    bool m_suspended = false;
    float m_volume = 1.0f;
    uint32_t m_nextHandle = 1;
    std::unordered_map<uint32_t, Voice> m_voices;
    std::vector<int> m_freeChannels;
    int m_channelCount = 0;
};

} // namespace platform
