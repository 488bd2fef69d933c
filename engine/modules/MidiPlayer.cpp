#include "engine/modules/MidiPlayer.h"

#include "platform/MessageQueue.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace engine {

namespace {

using platform::LoadBe16;
using platform::LoadBe32;
using platform::MidiResult;

// The stream's tempo until a tempo event says otherwise: 120 beats a minute.
constexpr uint32_t kDefaultTempo = 500000;

bool IsEndOfTrack(const MidiEvent& e)
{
    return e.shortData[0] == 0xFF && e.shortData[1] == 0x2F;
}

// Channel messages with one data byte: program change and channel pressure.
bool HasOneDataByte(uint8_t status)
{
    uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0;
}

} // namespace

void MidiStreamCallback(platform::MidiStreamHandle stream, platform::MidiNotice notice, void* instance,
    platform::MidiHeader* header, const platform::MidiStreamEvent* event)
{
    auto* player = static_cast<MidiPlayer*>(instance);
    switch (notice) {
    case platform::MidiNotice::kOpen:
        player->OnOpen();
        break;
    case platform::MidiNotice::kClose:
        player->OnClose();
        break;
    case platform::MidiNotice::kDone:
        // Buffers of a stream being closed come back after the player has
        // let go of it; they belong to no stream any more.
        if (stream == player->m_streamHandle.load())
            player->OnBufferDone(header);
        break;
    case platform::MidiNotice::kPosition:
        if (stream == player->m_streamHandle.load())
            player->OnPosition(header, event);
        break;
    }
}

MidiPlayer::MidiPlayer(std::shared_ptr<platform::MidiSink> sink)
    : m_sink(std::move(sink))
{
}

MidiPlayer::~MidiPlayer()
{
    std::unique_lock guard(m_lock);
    StopLocked(guard, 0);
    // The end of the song may have opened the stream again meanwhile.
    if (m_stream)
        CloseStream(guard, false);
}

void MidiPlayer::OnError(int) { }
void MidiPlayer::OnParseError(uint32_t, const char*) { }
void MidiPlayer::OnOpen() { }
void MidiPlayer::OnClose() { }

int MidiPlayer::IsPlaying() const
{
    std::lock_guard guard(m_lock);
    return m_playing;
}

uint32_t MidiPlayer::StopState() const
{
    std::lock_guard guard(m_lock);
    return m_state;
}

bool MidiPlayer::IsPaused() const
{
    std::lock_guard guard(m_lock);
    return m_paused;
}

uint64_t MidiPlayer::TicksPerBuffer() const
{
    std::lock_guard guard(m_lock);
    return m_ticksPerBuffer;
}

uint32_t MidiPlayer::Tempo() const
{
    std::lock_guard guard(m_lock);
    return m_tempo;
}

int MidiPlayer::ChannelVolume(int channel) const
{
    if (channel < 0 || channel >= 16)
        return 0;
    std::lock_guard guard(m_lock);
    return m_channelVolumes[channel];
}

// ---- loading -------------------------------------------------------------

int MidiPlayer::Load(std::unique_ptr<uint8_t[]>& data, uint32_t length, uint32_t ownerThread)
{
    std::unique_lock guard(m_lock);
    if (m_data || !data)
        return 0;
    const uint8_t* p = data.get();
    if (length < 14 || std::memcmp(p, "MThd", 4) != 0 || LoadBe32(p + 4) != 6)
        return 0;
    uint16_t format = LoadBe16(p + 8);
    uint16_t trackCount = LoadBe16(p + 10);
    uint16_t division = LoadBe16(p + 12);

    std::vector<MidiTrack> tracks;
    tracks.reserve(std::min<uint32_t>(trackCount, (length - 14) / 8));
    uint32_t at = 14;
    for (uint32_t i = 0; i < trackCount; ++i) {
        // Every chunk must lie inside the file.
        if (length - at < 8 || std::memcmp(p + at, "MTrk", 4) != 0)
            return 0;
        uint32_t trackLength = LoadBe32(p + at + 4);
        if (trackLength > length - at - 8)
            return 0;
        MidiTrack track;
        track.length = trackLength;
        track.start = p + at + 8;
        at += 8 + trackLength;
        if (trackLength == 0) {
            track.flags = kMidiTrackEnded;
        } else {
            uint32_t delta = 0;
            if (!ReadVarLen(track, delta))
                return 0;
            track.dueTick = delta;
        }
        tracks.push_back(track);
    }

    m_format = format;
    m_trackCount = trackCount;
    m_division = division;
    m_tracks = std::move(tracks);
    m_data = std::move(data);
    m_length = length;
    m_ownerThread = ownerThread;
    std::fill(std::begin(m_channelVolumes), std::end(m_channelVolumes), 100);
    m_lastWrittenTick = 0;
    m_passBytes = 0;
    if (OpenStream(false))
        return 1;

    // Undo: the player stays unloaded and the caller keeps the file.
    if (m_stream)
        CloseStream(guard, false);
    for (StreamBuffer& b : m_buffers) {
        b.header = {};
        b.data.reset();
    }
    m_buffersPrepared = false;
    m_tracks.clear();
    m_waitingEvent = {};
    m_convertStatus = 0;
    data = std::move(m_data);
    m_length = 0;
    return 0;
}

int MidiPlayer::OpenStream(bool tolerateCorrupt)
{
    MidiResult r;
    if (!m_stream) {
        r = platform::MidiOut::Open(m_sink, &MidiStreamCallback, this, m_stream);
        if (r != MidiResult::kOk) {
            OnError(static_cast<int>(r));
            return 0;
        }
        m_streamHandle = m_stream->Handle();
    }
    r = m_stream->SetTimeDivision(m_division);
    if (r != MidiResult::kOk) {
        OnError(static_cast<int>(r));
        return 0;
    }

    m_buffersReturned = 0;
    bool ended = false;
    bool queueing = true;
    for (uint32_t i = 0; i < 2; ++i) {
        StreamBuffer& b = m_buffers[i];
        b.header.bufferLength = kStreamBufferSize;
        if (!b.data) {
            b.data.reset(new (std::nothrow) uint8_t[kStreamBufferSize]);
            if (!b.data)
                return 0;
        }
        b.header.data = b.data.get();
        ResetFill(b);
        if (ended || !queueing) {
            ++m_buffersReturned;
            continue;
        }
        int fill = FillBuffer(i == 0, b);
        if (fill != 0 && fill != kFillDone && tolerateCorrupt) {
            // Opening again a song that loaded: a corrupt event ends it
            // there, as it does during play. The first buffer is queued
            // even when empty: only a buffer coming back drives the
            // refills, and so the end.
            m_convertStatus |= kConvertStuck;
            fill = i == 0 || b.bytesUsed > 0 ? 0 : kFillDone;
        }
        if (fill == kFillDone) {
            ended = true;
            ++m_buffersReturned;
            continue;
        }
        if (fill != 0)
            return 0;
        b.header.bytesRecorded = b.bytesUsed;
        if (!(b.header.flags & platform::kMidiHeaderPrepared) && m_stream->PrepareHeader(b.header) != MidiResult::kOk)
            return 0;
        r = m_stream->Out(b.header);
        if (r != MidiResult::kOk) {
            OnError(static_cast<int>(r));
            queueing = false;
            ++m_buffersReturned;
        }
    }
    m_buffersPrepared = true;
    m_currentBuffer = 0;
    return 1;
}

void MidiPlayer::ResetFill(StreamBuffer& buffer)
{
    buffer.writeOffset = 0;
    buffer.capacity = kStreamBufferSize;
    buffer.bytesUsed = 0;
    buffer.firstTick = 0;
    buffer.timeFull = false;
}

// ---- playing -------------------------------------------------------------

int MidiPlayer::Play(int loop)
{
    std::unique_lock guard(m_lock);
    if (m_paused) {
        if (m_playing && m_data && m_stream && m_stream->Restart() == MidiResult::kOk)
            m_paused = false;
        return 1;
    }
    if (m_playing)
        StopLocked(guard, 1);
    m_state = kStateIdle;
    if (m_loop == 0)
        m_insertTempo = true;
    MidiResult r = m_stream ? m_stream->Restart() : MidiResult::kClosed;
    if (r != MidiResult::kOk) {
        OnError(static_cast<int>(r));
        return 0;
    }
    m_playing = 1;
    m_loop = loop;
    return 1;
}

void MidiPlayer::Pause()
{
    std::lock_guard guard(m_lock);
    if (m_paused || !m_playing || !m_data || !m_stream)
        return;
    MidiResult r = m_stream->Pause();
    if (r != MidiResult::kOk)
        OnError(static_cast<int>(r));
    m_paused = true;
}

void MidiPlayer::Resume()
{
    std::lock_guard guard(m_lock);
    if (!m_paused || !m_playing || !m_data || !m_stream)
        return;
    MidiResult r = m_stream->Restart();
    if (r != MidiResult::kOk)
        OnError(static_cast<int>(r));
    m_paused = false;
}

int MidiPlayer::Stop(int reprepare)
{
    std::unique_lock guard(m_lock);
    return StopLocked(guard, reprepare);
}

int MidiPlayer::StopLocked(std::unique_lock<std::mutex>& guard, int reprepare)
{
    if (m_playing || m_state != kStateStopped) {
        m_paused = false;
        m_playing = 0;
        if (m_state != kStateStopped && m_state != kStateEnding)
            m_state = kStateStopping;
        if (!m_stream) {
            m_state = kStateStopped;
        } else {
            MidiResult r = m_stream->Stop();
            if (r == MidiResult::kOk)
                r = m_stream->Reset();
            if (r != MidiResult::kOk) {
                OnError(static_cast<int>(r));
                return 0;
            }
            // With no buffer at the stream none will come back.
            if (m_state == kStateStopping && m_buffersReturned > 1)
                m_state = kStateStopped;
            // The stream hands its buffers back on its own thread. The end
            // of the song, if it was ending, re-prepares there and leaves
            // the state idle.
            bool back = m_bufferReturn.wait_for(guard, std::chrono::milliseconds(kStopWaitMs),
                [this] { return m_state != kStateStopping && m_state != kStateEnding; });
            if (!back)
                m_state = kStateStopped;
        }
    }
    if (m_state == kStateStopped)
        return FinishStop(guard, reprepare, false, false);
    return 1;
}

int MidiPlayer::FinishStop(std::unique_lock<std::mutex>& guard, int reprepare, bool onStreamThread, bool fromStart)
{
    if (m_stream) {
        for (StreamBuffer& b : m_buffers) {
            if (b.header.flags & platform::kMidiHeaderPrepared)
                m_stream->UnprepareHeader(b.header);
        }
        CloseStream(guard, onStreamThread);
    }
    for (StreamBuffer& b : m_buffers) {
        b.header = {};
        b.data.reset();
    }
    m_buffersPrepared = false;
    m_state = kStateIdle;
    if (reprepare && m_data) {
        // Back to the start before the buffers are filled again, so the next
        // play does not open with what followed the stop. A song that ended,
        // or met a corrupt event, always starts over.
        if (m_loop == 0 || fromStart || (m_convertStatus & kConvertStuck)) {
            RewindLocked();
            m_progress = 0;
            m_convertStatus = 0;
        }
        if (!OpenStream(true)) {
            if (m_stream)
                CloseStream(guard, onStreamThread);
            for (StreamBuffer& b : m_buffers) {
                b.header = {};
                b.data.reset();
            }
            return 0;
        }
    }
    return 1;
}

void MidiPlayer::CloseStream(std::unique_lock<std::mutex>& guard, bool onStreamThread)
{
    std::unique_ptr<platform::MidiOut> stream = std::move(m_stream);
    m_streamHandle = 0;
    if (onStreamThread) {
        // Closing from the stream's own callback does not wait for it.
        stream.reset();
        return;
    }
    // The stream's thread may be waiting for the lock to deliver what is
    // left; it must be able to finish before the stream is gone.
    guard.unlock();
    stream.reset();
    guard.lock();
}

int MidiPlayer::Rewind()
{
    std::lock_guard guard(m_lock);
    return RewindLocked();
}

int MidiPlayer::RewindLocked()
{
    int ok = 1;
    for (MidiTrack& t : m_tracks) {
        t.position = 0;
        t.runningStatus = 0;
        t.dueTick = 0;
        t.flags = 0;
        if (t.length == 0) {
            t.flags = kMidiTrackEnded;
        } else {
            uint32_t delta = 0;
            if (!ReadVarLen(t, delta))
                ok = 0;
            t.dueTick = delta;
        }
    }
    m_lastWrittenTick = 0;
    m_passBytes = 0;
    // The song starts again at the stream's own tempo, not at the last one
    // it reached: a looping stream still runs at that, so say so before
    // the next event.
    if (m_tempo != 0) {
        m_tempo = kDefaultTempo;
        m_insertTempo = true;
    }
    return ok;
}

// ---- the stream's thread -------------------------------------------------

void MidiPlayer::OnBufferDone(platform::MidiHeader* header)
{
    std::unique_lock guard(m_lock);
    if (m_state == kStateStopped)
        return;
    ++m_buffersReturned;
    switch (m_state) {
    case kStateEnding:
        if (m_buffersReturned > 1)
            EndOfData(guard);
        return;
    case kStateStopping:
        if (m_buffersReturned > 1) {
            m_state = kStateStopped;
            m_bufferReturn.notify_all();
        }
        return;
    default:
        m_progress += header->bytesRecorded;
        Refill(guard);
        return;
    }
}

void MidiPlayer::Refill(std::unique_lock<std::mutex>& guard)
{
    // Refills every buffer that is back, so both stay queued even after a
    // start that could queue only one.
    while (m_playing && m_state == kStateIdle && m_buffersReturned > 0) {
        StreamBuffer& b = m_buffers[m_currentBuffer];
        ResetFill(b);
        int fill = FillBuffer(false, b);
        if (fill != 0 && fill != kFillDone && b.bytesUsed > 0) {
            // A corrupt event: play what was converted before it, then end.
            m_convertStatus |= kConvertStuck;
            fill = 0;
        }
        if (fill == 0 && Queue(b))
            continue;
        // The end of the data, or a corrupt event, or a buffer the stream
        // refused: the song ends once the buffers still out come back, so
        // the playing flag never stays set over silence.
        m_state = kStateEnding;
        if (m_buffersReturned > 1)
            EndOfData(guard);
        return;
    }
}

bool MidiPlayer::Queue(StreamBuffer& buffer)
{
    buffer.header.bytesRecorded = buffer.bytesUsed;
    MidiResult r = m_stream->Out(buffer.header);
    if (r != MidiResult::kOk) {
        OnError(static_cast<int>(r));
        return false;
    }
    m_currentBuffer ^= 1;
    --m_buffersReturned;
    return true;
}

void MidiPlayer::EndOfData(std::unique_lock<std::mutex>& guard)
{
    // Runs on the stream's thread: both buffers are back, so there is
    // nothing to wait for. Stop, re-prepare from the start, and tell a
    // waiting Stop.
    m_state = kStateStopped;
    m_playing = 0;
    m_paused = false;
    if (m_stream) {
        m_stream->Stop();
        m_stream->Reset();
    }
    FinishStop(guard, 1, true, true);
    m_bufferReturn.notify_all();
}

void MidiPlayer::OnPosition(platform::MidiHeader*, const platform::MidiStreamEvent* event)
{
    if (event == nullptr)
        return;
    uint32_t word = event->event;
    uint32_t status = word & 0xFF;
    if ((status & 0xF0) != 0xB0 || ((word >> 8) & 0xFF) != 7)
        return;
    uint32_t channel = status & 0x0F;
    int volume = static_cast<int>(((word >> 16) & 0xFF) * 100 / 127);
    uint32_t owner;
    {
        std::lock_guard guard(m_lock);
        m_channelVolumes[channel] = volume;
        owner = m_ownerThread;
    }
    if (owner != 0) {
        platform::PostThreadMessage(owner, kVolumeNotice, reinterpret_cast<uintptr_t>(this),
            static_cast<intptr_t>(channel | static_cast<uint32_t>(volume) << 16));
    }
}

// ---- conversion ----------------------------------------------------------

int MidiPlayer::FillBuffer(bool reset, StreamBuffer& buffer)
{
    buffer.bytesUsed = 0;
    if (reset) {
        m_progress = 0;
        m_convertStatus = 0;
        m_waitingEvent = {};
    }
    if (m_convertStatus & kConvertDone) {
        // A looping song that wrote nothing in a whole pass has nothing to
        // repeat.
        if (!m_loop || m_passBytes == 0)
            return kFillDone;
        if (!RewindLocked()) {
            m_convertStatus = kConvertStuck;
            return kFillCorrupt;
        }
        m_progress = 0;
        m_convertStatus = 0;
    }
    if (m_convertStatus & kConvertStuck)
        return kFillStuck;
    if (m_convertStatus & kConvertWaiting) {
        m_convertStatus &= ~kConvertWaiting;
        if (IsEndOfTrack(m_waitingEvent)) {
            m_waitingEvent = {};
        } else {
            int r = AddEvent(m_waitingEvent, buffer);
            if (r == kAddBufferFull) {
                m_convertStatus |= kConvertWaiting;
                return 0;
            }
            if (r != 0 && r != kAddMetaSkipped) {
                m_waitingEvent = {};
                return 1;
            }
        }
    }

    for (;;) {
        // The track whose next event is due first; the lower index on a tie.
        uint32_t chosen = UINT32_MAX;
        for (uint32_t i = 0; i < m_tracks.size(); ++i) {
            const MidiTrack& t = m_tracks[i];
            if (!(t.flags & kMidiTrackEnded) && (chosen == UINT32_MAX || t.dueTick < m_tracks[chosen].dueTick))
                chosen = i;
        }
        if (chosen == UINT32_MAX) {
            m_convertStatus |= kConvertDone;
            return 0;
        }
        MidiEvent event;
        if (!ReadTrackEvent(chosen, event)) {
            m_convertStatus |= kConvertStuck;
            return kFillCorrupt;
        }
        if (IsEndOfTrack(event))
            continue;
        int r = AddEvent(event, buffer);
        if (r == 0 || r == kAddMetaSkipped)
            continue;
        if (r == kAddBufferFull) {
            m_waitingEvent = std::move(event);
            m_convertStatus |= kConvertWaiting;
            return 0;
        }
        return 1;
    }
}

bool MidiPlayer::ReadByte(MidiTrack& track, uint8_t& value)
{
    if (track.position >= track.length)
        return false;
    value = track.start[track.position++];
    return true;
}

bool MidiPlayer::ReadVarLen(MidiTrack& track, uint32_t& value)
{
    value = 0;
    if (track.flags & kMidiTrackEnded)
        return false;
    uint8_t b;
    do {
        if (!ReadByte(track, b))
            return false;
        value = value << 7 | (b & 0x7F);
    } while (b & 0x80);
    return true;
}

bool MidiPlayer::ReadTrackEvent(uint32_t trackIndex, MidiEvent& event)
{
    MidiTrack& track = m_tracks[trackIndex];
    event = {};
    if ((track.flags & kMidiTrackEnded) || track.position >= track.length)
        return false;
    uint8_t b;
    ReadByte(track, b);
    if (b < 0x80) {
        if (track.runningStatus == 0) {
            OnParseError(trackIndex, "Reference to missing running status.");
            return false;
        }
        event.shortData[0] = track.runningStatus;
        event.shortData[1] = b;
        event.length = 2;
        if (!HasOneDataByte(track.runningStatus)) {
            if (!ReadByte(track, event.shortData[2]))
                return false;
            event.length = 3;
        }
    } else if (b == 0xF0 || b == 0xF7) {
        event.shortData[0] = b;
        uint32_t length = 0;
        if (!ReadVarLen(track, length)) {
            OnParseError(trackIndex, "SysEx event truncated (length)");
            return false;
        }
        // A length beyond the track cannot be satisfied: say so before
        // asking for the memory.
        if (length > track.length - track.position) {
            OnParseError(trackIndex, "SysEx event truncated");
            return false;
        }
        event.data.reset(new (std::nothrow) uint8_t[length == 0 ? 1 : length]);
        if (!event.data) {
            OnParseError(trackIndex, "Out of memory during malloc call");
            return false;
        }
        std::memcpy(event.data.get(), track.start + track.position, length);
        track.position += length;
        event.length = length;
    } else if (b == 0xFF) {
        event.shortData[0] = b;
        uint32_t length = 0;
        if (!ReadByte(track, event.shortData[1]) || !ReadVarLen(track, length)) {
            OnParseError(trackIndex, "Meta event truncated (length)");
            return false;
        }
        if (length != 0) {
            if (length > track.length - track.position) {
                OnParseError(trackIndex, "Meta event truncated");
                return false;
            }
            event.data.reset(new (std::nothrow) uint8_t[length]);
            if (!event.data) {
                OnParseError(trackIndex, "Out of memory during malloc call");
                return false;
            }
            std::memcpy(event.data.get(), track.start + track.position, length);
            track.position += length;
        }
        event.length = length;
        if (event.shortData[1] == 0x2F)
            track.flags |= kMidiTrackEnded;
    } else if (b > 0xF0) {
        return false;
    } else {
        track.runningStatus = b;
        event.shortData[0] = b;
        if (!ReadByte(track, event.shortData[1]))
            return false;
        event.length = 2;
        if (!HasOneDataByte(b)) {
            if (!ReadByte(track, event.shortData[2]))
                return false;
            event.length = 3;
        }
    }

    event.tick = track.dueTick;
    if (!(track.flags & kMidiTrackEnded)) {
        uint32_t delta = 0;
        if (!ReadVarLen(track, delta))
            return false;
        track.dueTick += delta;
    }
    return true;
}

int MidiPlayer::AddEvent(MidiEvent& event, StreamBuffer& buffer)
{
    if (buffer.bytesUsed == 0)
        buffer.firstTick = m_lastWrittenTick;
    // A buffer covers ticksPerBuffer ticks plus the one event that crosses
    // the line. Signed: after a loop the ticks start again below firstTick.
    if (static_cast<int64_t>(m_lastWrittenTick - buffer.firstTick) > static_cast<int64_t>(m_ticksPerBuffer)) {
        if (buffer.timeFull) {
            buffer.timeFull = false;
            return kAddBufferFull;
        }
        buffer.timeFull = true;
    }

    uint8_t status = event.shortData[0];
    uint32_t word;
    uint32_t tempo = 0;
    if (status < 0xF0) {
        word = status | uint32_t { event.shortData[1] } << 8 | uint32_t { event.shortData[2] } << 16;
        if ((status & 0xF0) == 0xB0 && event.shortData[1] == 7)
            word |= platform::kMidiEventCallback;
    } else if (status == 0xF0 || status == 0xF7) {
        // SysEx is not sent.
        event.data.reset();
        return 0;
    } else {
        // Meta events other than tempo are skipped, and so is a tempo of 0,
        // which would stop the clock and divide by zero below.
        if (event.shortData[1] == 0x51 && event.length >= 3)
            tempo = uint32_t { event.data[0] } << 16 | uint32_t { event.data[1] } << 8 | event.data[2];
        if (tempo == 0) {
            event.data.reset();
            return kAddMetaSkipped;
        }
        word = (platform::kMidiEventTempo << 24) | ((uint64_t { tempo } * 100 / m_speedPercent) & 0xFFFFFF);
    }

    // Room for the event, and for the tempo to insert before it. Nothing
    // is written, and no time is taken, until both fit: an event that
    // waits for the next buffer keeps its place in time, and so does one
    // that is dropped or skipped.
    bool insert = m_insertTempo && m_tempo != 0;
    uint32_t need = sizeof(platform::MidiStreamEvent) * (insert ? 2 : 1);
    uint32_t free = buffer.capacity - buffer.writeOffset - buffer.bytesUsed;
    if (free < need)
        return kAddBufferFull;

    uint64_t gap = event.tick > m_lastWrittenTick ? event.tick - m_lastWrittenTick : 0;
    uint32_t delta = static_cast<uint32_t>(std::min<uint64_t>(gap, UINT32_MAX));
    m_lastWrittenTick = event.tick;
    m_insertTempo = false;

    uint8_t* out = buffer.data.get() + buffer.writeOffset + buffer.bytesUsed;
    if (insert) {
        platform::MidiStreamEvent t { 0, 0,
            (platform::kMidiEventTempo << 24) | static_cast<uint32_t>((uint64_t { m_tempo } * 100 / m_speedPercent) & 0xFFFFFF) };
        std::memcpy(out, &t, sizeof t);
        out += sizeof t;
        buffer.bytesUsed += sizeof t;
    }
    platform::MidiStreamEvent e { delta, 0, word };
    std::memcpy(out, &e, sizeof e);
    buffer.bytesUsed += sizeof e;
    m_passBytes += need;

    if (tempo != 0) {
        m_tempo = tempo;
        // The ticks of 60 ms at this tempo.
        m_ticksPerBuffer = uint64_t { m_division } * 60000 / tempo;
        event.data.reset();
    }
    return 0;
}

} // namespace engine
