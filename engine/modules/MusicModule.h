#pragma once
// Engine module 1004: plays the game's sounds. A sound's bytes come from the
// resource module, filed under its base name followed by ".sound"; Standard
// MIDI Files play through the one MidiPlayer, every other sound as a stream
// of platform::AudioStream. A play list lets a sound repeat a given number
// of times and, when it ends, sends an engine event chosen by the caller.
//
// Channels: a stream's handle (never 0), or 0 for the MIDI player.
//
// Ownership: the module owns the data block of every stream it keeps (taken
// from the resource entry), the MIDI player (which owns its file's bytes)
// and the play-list nodes (from its pool). An end event is posted to the
// object module as a heap copy that the object module deletes once it has
// delivered it.
//
// User-interface thread only. The MIDI player's callback runs on its own
// thread; this module only reads its playing flag. Stopping the MIDI player
// waits (up to MidiPlayer::kStopWaitMs) for it to collect its buffers.

#include "engine/core/EngineEvent.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/ModuleBase.h"
#include "engine/core/NameKey.h"
#include "platform/AudioStream.h"
#include "platform/MidiSink.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>

namespace engine {

class MidiPlayer;
class ResourceModule;

inline constexpr uint32_t kMusicModuleInterval = 100;
// With nothing played for this long the sound output closes its device
// (its thread stops waking) until the next sound.
inline constexpr uint32_t kAudioIdleMs = 3000;
inline constexpr uint32_t kMusicQueueLimit = 8096;
inline constexpr size_t kPlayListPoolCount = 32;
// The MIDI player's channel number.
inline constexpr uint32_t kMidiChannel = 0;

// One playing sound.
struct PlayListNode {
    uint32_t channel = 0;  // stream handle; kMidiChannel for the MIDI player
    int loops = 0;         // plays still to come; 0 and below repeat until stopped
    EngineEvent endEvent;  // all zero when the caller gave none
    PlayListNode* next = nullptr;
};

class MusicModule : public ModuleBase {
public:
    // midiSink: where MIDI sounds play; null for the process's synthesizer.
    explicit MusicModule(std::shared_ptr<platform::MidiSink> midiSink = nullptr);
    ~MusicModule() override;

    // ModuleBase.
    // Fails without the resource module or when no audio output can be
    // opened.
    int Init() override;
    // Closes the output and frees every stream and its bytes, the play list
    // (without end events) and the MIDI player.
    void Shutdown() override;
    // Every 100 ms: repeats or ends the sounds of the play list that are no
    // longer playing; suspends the output once nothing has played for
    // kAudioIdleMs.
    void Update() override;
    // Now while sounds are listed; then when the output is to be suspended.
    uint32_t MsUntilWork(uint32_t now) override;
    bool IsAudioSuspended() const { return m_audio.IsSuspended(); }
    int GetId() const override { return MODULE_MUSIC; }
    const char* GetName() const override { return "MusicModule"; }
    // Ignores every message.
    int OnMessage(int, MessageWord, MessageWord) override { return 1; }
    uint32_t GetQueueLimit() const override { return kMusicQueueLimit; }

    // While set, PlaySound and UnloadSound do nothing.
    virtual void SetMute(int flag) { m_mute = flag; }
    // Plays the sound filed under key `loops` times (0: until stopped), then
    // sends endEvent (may be null). The channel, or 0 when nothing plays and
    // for a MIDI sound (which plays on channel 0). A sound already playing
    // is not restarted: it gets a second play-list node.
    virtual uint32_t Play(const NameKey& key, int loops, const EngineEvent* endEvent);
    // Play by name: the key of the name's base name followed by ".sound"
    // (directory and extension dropped). 0 when muted.
    virtual uint32_t PlaySound(std::string_view name, int loops, const EngineEvent* endEvent);
    virtual void SetVolume(float volume);
    virtual float GetVolume() const;
    // A loaded stream: its play-list nodes end (with their end events), the
    // stream and its bytes are freed. Any other name: the MIDI player is
    // deleted, ending its nodes the same way. Nothing when muted.
    virtual void UnloadSound(std::string_view name);
    virtual void Pause(uint32_t channel);
    // Ends the channel's play-list nodes, sending their end events, then
    // stops it (the MIDI player is made ready to play again).
    virtual void Stop(uint32_t channel);
    // restart: from the beginning. Channel 0 plays the MIDI player again.
    virtual void Resume(uint32_t channel, int restart);
    // Stops every channel of the play list and ends every node.
    virtual void StopAll();
    // Nonzero while the channel plays or is paused.
    virtual int IsPlaying(uint32_t channel) const;
    // Loads the sound filed under key: a stream (the module takes its
    // bytes), or for a MIDI file a new MIDI player (channel 0). 1 or 0; on
    // failure nothing is filed and the bytes stay with the resource module.
    virtual int LoadSound(const NameKey& key, uint32_t& channel);
    // Starts the stream and appends a play-list node; returns the channel.
    virtual uint32_t PlayChannel(uint32_t channel, int loops, const EngineEvent* endEvent);
    // Starts the MIDI player and appends a node for channel 0; 1, or 0
    // without a player.
    virtual int PlayMidi(int loops, const EngineEvent* endEvent);
    // Posts the event to the object module for delivery; an event with code
    // 0 is never sent.
    virtual void NotifyFinished(const EngineEvent& endEvent);

    // For tests and the system-detail overlay.
    size_t PlayListLength() const;
    size_t LoadedStreamCount() const { return m_sounds.size(); }
    bool HasMidiPlayer() const { return m_midiPlayer != nullptr; }
    bool IsAudioStarted() const { return m_audio.IsStarted(); }

private:
    struct LoadedSound {
        uint32_t stream = 0;
        std::unique_ptr<char[]> data; // the resource's bytes, kept with the stream
    };

    void AppendNode(uint32_t channel, int loops, const EngineEvent* endEvent);
    // Unlinks every node of the channel, sending its end event.
    void EndNodesOf(uint32_t channel);
    void FreeNode(PlayListNode* node);
    void DeleteMidiPlayer();
    void FreePlayList();
    // Looked up at each use: the core may unload it first.
    ResourceModule* Resources() const;
    static NameKey SoundKey(std::string_view name);

    std::shared_ptr<platform::MidiSink> m_midiSink;
    platform::AudioStream m_audio;
    std::map<NameKey, LoadedSound, NameKeyOrder> m_sounds;
    MemoryPool m_nodePool;
    PlayListNode* m_head = nullptr; // nodes owned through m_nodePool
    int m_mute = 0;
    float m_volume = 1.0f;
    uint32_t m_lastSoundTime = 0; // the last turn that found a sound listed
    std::unique_ptr<MidiPlayer> m_midiPlayer;
};

} // namespace engine
