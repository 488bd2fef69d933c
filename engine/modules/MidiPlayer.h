#pragma once
// Plays one Standard MIDI File held in memory through a MIDI output stream.
// The tracks are merged by time and converted straight into two 1024-byte
// stream buffers; the stream hands each played buffer back on its own
// thread, where it is refilled and queued again until the song ends.
//
// Threads: every public operation is for the user-interface thread. The
// stream's thread runs OnBufferDone and OnPosition (and the parse and error
// hooks while it refills). One lock guards what both touch; it is never
// held while waiting for the stream's thread.

#include "platform/MidiOut.h"
#include "platform/MidiSink.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace engine {

// One "MTrk" chunk being read.
struct MidiTrack {
    uint32_t flags = 0; // kMidiTrackEnded
    uint32_t length = 0;
    const uint8_t* start = nullptr; // into the player's file (not owned)
    uint32_t position = 0;          // read offset from start
    uint64_t dueTick = 0;           // tick of the next event
    uint8_t runningStatus = 0;
};
constexpr uint32_t kMidiTrackEnded = 0x01;

// The event being converted.
struct MidiEvent {
    uint64_t tick = 0;
    uint8_t shortData[4] = {}; // status, data 1, data 2 (meta: 0xFF, type)
    uint32_t length = 0;       // bytes in data
    std::unique_ptr<uint8_t[]> data; // SysEx and meta contents
};

struct StreamBuffer {
    platform::MidiHeader header;
    std::unique_ptr<uint8_t[]> data;
    uint32_t writeOffset = 0;
    uint32_t capacity = 0;
    uint32_t bytesUsed = 0;
    uint64_t firstTick = 0;
    bool timeFull = false;
};

class MidiPlayer {
public:
    // Results of FillBuffer and AddEvent.
    static constexpr int kFillCorrupt = -101;
    static constexpr int kFillStuck = -102;
    static constexpr int kFillDone = -103;
    static constexpr int kAddBufferFull = -104;
    static constexpr int kAddMetaSkipped = -105;

    // Stop states.
    static constexpr uint32_t kStateIdle = 0;
    static constexpr uint32_t kStateStopping = 100;
    static constexpr uint32_t kStateStopped = 200;
    static constexpr uint32_t kStateEnding = 300;

    static constexpr uint32_t kStreamBufferSize = 1024;
    static constexpr uint32_t kMidiMapper = 0xFFFFFFFF;
    static constexpr int kStopWaitMs = 2000;
    // Posted to the owner thread when a channel's volume changes: wParam the
    // player, lParam channel | percent << 16.
    static constexpr uint32_t kVolumeNotice = 1047;

    // The stream plays into sink (the process's synthesizer by default).
    explicit MidiPlayer(std::shared_ptr<platform::MidiSink> sink = platform::DefaultMidiSink());
    // Stops without re-preparing and closes the stream. A class that
    // overrides the hooks must stop the player in its own destructor, since
    // the stream's thread may be in a hook until then.
    virtual ~MidiPlayer();
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Hooks. The error hooks run with the player's lock held and must not
    // call back into the player.
    virtual void OnError(int result);
    virtual void OnParseError(uint32_t track, const char* text);
    virtual void OnOpen();
    virtual void OnClose();
    virtual void OnBufferDone(platform::MidiHeader* header);
    virtual void OnPosition(platform::MidiHeader* header, const platform::MidiStreamEvent* event);

    // Parses the file, opens the stream and queues both buffers (silent
    // until Play). On success the player takes the data (data becomes
    // null); on failure the caller keeps it. ownerThread receives volume
    // notices (0: none). 1 or 0.
    int Load(std::unique_ptr<uint8_t[]>& data, uint32_t length, uint32_t ownerThread = 0);
    int Play(int loop);
    void Pause();
    void Resume();
    // Stops the stream and waits for both buffers to come back (at most
    // kStopWaitMs); with reprepare the stream is opened again and, without
    // the loop flag, the song goes back to its start. 1 or 0.
    int Stop(int reprepare);
    int Rewind();

    // 1 between a successful Play and a stop or the song's end.
    int IsPlaying() const;

    uint32_t StopState() const;
    bool IsPaused() const;
    uint64_t TicksPerBuffer() const;
    uint32_t Tempo() const;
    int ChannelVolume(int channel) const;
    uint16_t Format() const { return m_format; }
    uint16_t TrackCount() const { return m_trackCount; }
    uint16_t Division() const { return m_division; }

private:
    friend void MidiStreamCallback(platform::MidiStreamHandle, platform::MidiNotice, void*, platform::MidiHeader*,
        const platform::MidiStreamEvent*);

    // All with m_lock held through guard; those that close a stream from
    // the user-interface thread release it while the stream's thread ends.
    // Opens the stream and queues both buffers. A corrupt event fails it
    // when loading; when opening again after a stop it ends the song there.
    int OpenStream(bool tolerateCorrupt);
    int StopLocked(std::unique_lock<std::mutex>& guard, int reprepare);
    int FinishStop(std::unique_lock<std::mutex>& guard, int reprepare, bool onStreamThread, bool fromStart);
    void CloseStream(std::unique_lock<std::mutex>& guard, bool onStreamThread);
    void EndOfData(std::unique_lock<std::mutex>& guard);
    void Refill(std::unique_lock<std::mutex>& guard);
    bool Queue(StreamBuffer& buffer);
    int RewindLocked();
    int FillBuffer(bool reset, StreamBuffer& buffer);
    bool ReadTrackEvent(uint32_t trackIndex, MidiEvent& event);
    int AddEvent(MidiEvent& event, StreamBuffer& buffer);
    bool ReadVarLen(MidiTrack& track, uint32_t& value);
    bool ReadByte(MidiTrack& track, uint8_t& value);
    static void ResetFill(StreamBuffer& buffer);

    mutable std::mutex m_lock;
    // Signalled when the buffers are back after a stop (the stop event).
    std::condition_variable m_bufferReturn;
    std::shared_ptr<platform::MidiSink> m_sink;

    // The file.
    uint32_t m_length = 0;
    std::unique_ptr<uint8_t[]> m_data;
    uint16_t m_format = 0;
    uint16_t m_trackCount = 0;
    uint16_t m_division = 0;

    int m_playing = 0;
    std::unique_ptr<platform::MidiOut> m_stream;
    // The open stream's handle, read without the lock to drop notices of a
    // stream that is being closed.
    std::atomic<platform::MidiStreamHandle> m_streamHandle { 0 };
    uint32_t m_progress = 0;
    int m_loop = 0;
    uint64_t m_lastWrittenTick = 0;
    uint64_t m_ticksPerBuffer = 0;
    uint32_t m_tempo = 0;
    uint32_t m_speedPercent = 100;
    bool m_insertTempo = false;
    bool m_buffersPrepared = false;
    uint32_t m_currentBuffer = 0;
    uint32_t m_deviceId = kMidiMapper;
    // Buffers not with the stream: back from it and not queued again, or
    // never queued.
    uint32_t m_buffersReturned = 0;
    bool m_paused = false;
    uint32_t m_state = kStateIdle;
    uint32_t m_ownerThread = 0;

    std::vector<MidiTrack> m_tracks;
    int m_channelVolumes[16] = {};
    StreamBuffer m_buffers[2];

    // Converter.
    static constexpr uint32_t kConvertDone = 0x1;
    static constexpr uint32_t kConvertStuck = 0x2;
    static constexpr uint32_t kConvertWaiting = 0x4;
    uint32_t m_convertStatus = 0;
    MidiEvent m_waitingEvent;
    // Bytes written since the song last started from its beginning: a
    // looping song that writes nothing in a whole pass is at its end.
    uint64_t m_passBytes = 0;
};

} // namespace engine
