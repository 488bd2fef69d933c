#include "engine/modules/MidiPlayer.h"

#include "MidiFileBuilder.h"
#include "platform/MessageQueue.h"
#include "platform/RecordingMidiSink.h"
#include "platform/SynthSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using miditest::Bytes;
using miditest::MidiFile;
using miditest::Track;
using platform::RecordingMidiSink;
using Entry = RecordingMidiSink::Entry;

constexpr uint32_t Msg(uint8_t status, uint8_t d1, uint8_t d2 = 0)
{
    return status | uint32_t { d1 } << 8 | uint32_t { d2 } << 16;
}

// A player that keeps the texts and codes of its error hooks.
class TestPlayer : public engine::MidiPlayer {
public:
    using MidiPlayer::MidiPlayer;
    ~TestPlayer() override { Stop(0); }

    void OnParseError(uint32_t track, const char* text) override
    {
        std::lock_guard guard(m_hookLock);
        m_parseErrors.push_back(std::to_string(track) + ": " + text);
    }
    void OnError(int result) override
    {
        std::lock_guard guard(m_hookLock);
        m_errors.push_back(result);
    }
    std::vector<std::string> ParseErrors() const
    {
        std::lock_guard guard(m_hookLock);
        return m_parseErrors;
    }
    std::vector<int> Errors() const
    {
        std::lock_guard guard(m_hookLock);
        return m_errors;
    }

    int LoadBytes(const Bytes& bytes, uint32_t owner = 0)
    {
        auto data = miditest::Copy(bytes);
        return Load(data, static_cast<uint32_t>(bytes.size()), owner);
    }

private:
    mutable std::mutex m_hookLock;
    std::vector<std::string> m_parseErrors;
    std::vector<int> m_errors;
};

template <typename Pred>
bool WaitUntil(Pred pred, int timeoutMs = 5000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool WaitForEnd(const engine::MidiPlayer& player, int timeoutMs = 5000)
{
    return WaitUntil([&] { return player.IsPlaying() == 0; }, timeoutMs);
}

// Two tracks at division 480 with everything the converter must order and
// time: running status (also for a one-byte program change), a tempo
// change, a lyric and a SysEx between notes (neither sent, neither moving
// the notes after them), and equal ticks in both tracks.
Bytes MergedSong()
{
    Track t0;
    t0.Tempo(0, 500000)
        .NoteOn(0, 0, 60)            // tick 0
        .Meta(120, 0x05, "la")       // tick 120, lyric
        .NoteOff(360, 0, 60)         // tick 480
        .Tempo(480, 250000)          // tick 960
        .NoteOn(480, 0, 64)          // tick 1440
        .End();
    Track t1;
    t1.Event(240, { 0x91, 62, 90 })  // tick 240
        .Event(240, { 62, 0 })       // tick 480, running status
        .SysEx(240, { 0x7E, 0x7F, 0x09, 0x01, 0xF7 }) // tick 720
        .Event(240, { 0xC1, 5 })     // tick 960
        .Event(0, { 7 })             // tick 960, running status, one data byte
        .End();
    return MidiFile(1, 480, { t0, t1 });
}

const std::vector<Entry> kMergedSongEntries = {
    { 0, Msg(0x90, 60, 100) },
    { 250000, Msg(0x91, 62, 90) },
    { 500000, Msg(0x80, 60) },
    { 500000, Msg(0x91, 62) },
    { 1000000, Msg(0xC1, 5) },
    { 1000000, Msg(0xC1, 7) },
    { 1000000 + 250000, Msg(0x90, 64, 100) },
};

// n notes (on, then off 10 ticks later) every `spacing` ticks.
Bytes NoteSong(int n, uint32_t spacing, uint32_t tempo, uint16_t division = 480)
{
    Track t;
    t.Tempo(0, tempo);
    for (int i = 0; i < n; ++i) {
        t.NoteOn(i == 0 ? 0 : spacing - 10, 0, 40 + i % 40);
        t.NoteOff(10, 0, 40 + i % 40);
    }
    t.End();
    return MidiFile(0, division, { t });
}

TEST(MidiPlayer, MergesTracksIntoTimedMessages)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    ASSERT_EQ(player.LoadBytes(MergedSong()), 1);
    EXPECT_EQ(player.Format(), 1);
    EXPECT_EQ(player.TrackCount(), 2);
    EXPECT_EQ(player.Division(), 480);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(sink->Entries(), kMergedSongEntries);
    EXPECT_EQ(player.TicksPerBuffer(), 480u * 60000 / 250000);
    EXPECT_TRUE(player.ParseErrors().empty());

    // The end re-prepared the song from its start: the same again.
    EXPECT_EQ(player.StopState(), engine::MidiPlayer::kStateIdle);
    sink->Clear();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(sink->Entries(), kMergedSongEntries);
}

TEST(MidiPlayer, SongLongerThanTheBuffersKeepsItsTiming)
{
    // At 480 ticks and half a second per quarter a buffer spans 57 ticks:
    // with notes every 100 ticks the callback thread refills many times.
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    const int notes = 200;
    ASSERT_EQ(player.LoadBytes(NoteSong(notes, 100, 500000)), 1);
    EXPECT_EQ(player.TicksPerBuffer(), 57u);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    auto entries = sink->Entries();
    ASSERT_EQ(entries.size(), size_t { notes * 2 });
    for (int i = 0; i < notes; ++i) {
        uint64_t on = uint64_t(i) * 100 * 500000 / 480;
        uint64_t off = (uint64_t(i) * 100 + 10) * 500000 / 480;
        ASSERT_EQ(entries[2 * i].timeUs, on) << i;
        ASSERT_EQ(entries[2 * i].message, Msg(0x90, 40 + i % 40, 100)) << i;
        ASSERT_EQ(entries[2 * i + 1].timeUs, off) << i;
    }
}

TEST(MidiPlayer, BrokenFilesAreRefusedWithTheirTexts)
{
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::string> texts;
    };
    auto track = [](std::initializer_list<uint8_t> raw) { return MidiFile(0, 96, { Track().Raw(raw) }); };
    Bytes headerLength7 = MidiFile(0, 96, { Track().End() });
    headerLength7[7] = 7;
    Bytes notMTrk = MidiFile(0, 96, { Track().End() });
    notMTrk[17] = 'x';
    Bytes trackTooLong = MidiFile(0, 96, { Track().End() });
    trackTooLong[21] = 5; // declares 5 bytes, 4 follow
    Bytes secondTrackMissing = MidiFile(0, 96, { Track().End() });
    secondTrackMissing[11] = 2;
    Bytes notMThd = MidiFile(0, 96, { Track().End() });
    notMThd[0] = 'X';

    const Case cases[] = {
        { "header length not 6", headerLength7, {} },
        { "no MThd", notMThd, {} },
        { "second chunk not MTrk", notMTrk, {} },
        { "track runs past the file", trackTooLong, {} },
        { "fewer tracks than counted", secondTrackMissing, {} },
        { "shorter than a header", Bytes { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0 }, {} },
        { "division 0", MidiFile(0, 0, { Track().NoteOn(0, 0, 60).End() }), {} },
        { "data byte first", track({ 0x00, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00 }),
            { "0: Reference to missing running status." } },
        { "SysEx length cut", track({ 0x00, 0xF0, 0x81 }), { "0: SysEx event truncated (length)" } },
        { "SysEx body cut", track({ 0x00, 0xF0, 0x05, 0x01, 0x02 }), { "0: SysEx event truncated" } },
        { "meta length cut", track({ 0x00, 0xFF, 0x01, 0x85 }), { "0: Meta event truncated (length)" } },
        { "meta body cut", track({ 0x00, 0xFF, 0x01, 0x04, 'a' }), { "0: Meta event truncated" } },
        { "note cut", track({ 0x00, 0x90, 0x40 }), {} },
        { "undefined status", track({ 0x00, 0xF4, 0x00, 0xFF, 0x2F, 0x00 }), {} },
        { "no end of track", track({ 0x00, 0x90, 0x40, 0x40 }), {} },
        { "first delta cut", track({ 0x81 }), {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPlayer player(std::make_shared<RecordingMidiSink>());
        auto data = miditest::Copy(c.file);
        EXPECT_EQ(player.Load(data, static_cast<uint32_t>(c.file.size())), 0);
        EXPECT_NE(data, nullptr) << "a refused file stays with the caller";
        EXPECT_EQ(player.ParseErrors(), c.texts);
        EXPECT_EQ(player.Play(0), 0);
        EXPECT_EQ(player.IsPlaying(), 0);
    }
}

TEST(MidiPlayer, SecondLoadIsRefused)
{
    TestPlayer player(std::make_shared<RecordingMidiSink>());
    ASSERT_EQ(player.LoadBytes(MergedSong()), 1);
    auto again = miditest::Copy(MergedSong());
    EXPECT_EQ(player.Load(again, static_cast<uint32_t>(MergedSong().size())), 0);
    EXPECT_NE(again, nullptr);
}

TEST(MidiPlayer, CorruptEventWhilePlayingEndsTheSong)
{
    // The corruption lies beyond the two buffers filled at load, so the
    // callback thread meets it. What came before it plays; then the song
    // ends instead of reporting "playing" over silence.
    Track t;
    t.Tempo(0, 500000);
    for (int i = 0; i < 20; ++i)
        t.NoteOn(100, 0, 50);
    t.Raw({ 0x00, 0xF0, 0x7F, 0x01 }); // SysEx claiming 127 bytes
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    ASSERT_EQ(player.LoadBytes(MidiFile(0, 480, { t })), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(sink->Count(), 20u);
    EXPECT_EQ(player.ParseErrors(), std::vector<std::string> { "0: SysEx event truncated" });

    // It can be played again from the start.
    sink->Clear();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(sink->Count(), 20u);

    // Looping, a stop re-prepares from where the song is, which may be
    // right before the corrupt event: the stop still succeeds, and the
    // song still plays.
    for (size_t at : { 3u, 15u, 19u }) {
        sink->Clear();
        ASSERT_EQ(player.Play(1), 1);
        ASSERT_TRUE(sink->WaitForCount(at, 5000));
        EXPECT_EQ(player.Stop(1), 1) << at;
        EXPECT_EQ(player.IsPlaying(), 0);
        ASSERT_EQ(player.Play(0), 1) << at;
        ASSERT_TRUE(WaitForEnd(player)) << at;
    }
}

TEST(MidiPlayer, StopJustBeforeACorruptEventStillLetsTheSongEnd)
{
    // Six notes fill the two buffers queued at load, the sixth waiting for
    // the next buffer; the corrupt event follows it. A stop that re-prepares
    // from there finds nothing to queue but must not leave a later play
    // "playing" over an empty stream.
    Track t;
    t.Tempo(0, 500000).NoteOn(0, 0, 50);
    for (int i = 0; i < 5; ++i)
        t.NoteOn(100, 0, 51 + i);
    t.Raw({ 0x00, 0xF0, 0x7F, 0x01 });
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    ASSERT_EQ(player.LoadBytes(MidiFile(0, 480, { t })), 1);
    ASSERT_EQ(player.Play(1), 1);
    ASSERT_TRUE(WaitForEnd(player)) << "a corrupt event ends even a looping song";
    EXPECT_EQ(sink->Count(), 6u);
    ASSERT_EQ(player.Stop(1), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player, 2000));
    sink->Clear();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(sink->Count(), 6u);
}

TEST(MidiPlayer, TempoOfZeroIsIgnored)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    Track t;
    t.Tempo(0, 500000).NoteOn(0, 0, 60).Tempo(480, 0).NoteOn(480, 0, 62).End();
    ASSERT_EQ(player.LoadBytes(MidiFile(0, 480, { t })), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(player.TicksPerBuffer(), 57u);
    std::vector<Entry> expected = { { 0, Msg(0x90, 60, 100) }, { 1000000, Msg(0x90, 62, 100) } };
    EXPECT_EQ(sink->Entries(), expected);

    // Only a tempo of 0: the stream's own default (120 beats a minute).
    auto sink2 = std::make_shared<RecordingMidiSink>();
    TestPlayer only(sink2);
    Track z;
    z.Tempo(0, 0).NoteOn(480, 0, 60).End();
    ASSERT_EQ(only.LoadBytes(MidiFile(0, 480, { z })), 1);
    ASSERT_EQ(only.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(only));
    EXPECT_EQ(only.Tempo(), 0u);
    EXPECT_EQ(only.TicksPerBuffer(), 0u);
    EXPECT_EQ(sink2->Entries(), (std::vector<Entry> { { 500000, Msg(0x90, 60, 100) } }));
}

TEST(MidiPlayer, SmpteDivisionCountsFrames)
{
    // 25 frames a second, 40 ticks a frame: a millisecond a tick.
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    Track t;
    t.NoteOn(250, 0, 60).Tempo(0, 1000000).NoteOff(250, 0, 60).End();
    ASSERT_EQ(player.LoadBytes(MidiFile(0, 0xE728, { t })), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    std::vector<Entry> expected = { { 250000, Msg(0x90, 60, 100) }, { 500000, Msg(0x80, 60) } };
    EXPECT_EQ(sink->Entries(), expected);
}

TEST(MidiPlayer, VolumeControllerSetsChannelVolumeAndNotifiesTheOwner)
{
    platform::MessageQueue queue;
    ASSERT_TRUE(queue.Valid());
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    Track t;
    t.Event(0, { 0xB3, 7, 127 }).Event(10, { 0xB3, 7, 64 }).Event(10, { 0xB3, 10, 0 }).End();
    ASSERT_EQ(player.LoadBytes(MidiFile(0, 96, { t }), platform::CurrentThreadId()), 1);
    EXPECT_EQ(player.ChannelVolume(3), 100);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    EXPECT_EQ(player.ChannelVolume(3), 50);
    EXPECT_EQ(player.ChannelVolume(2), 100);
    // The controller still reaches the sink as a plain message.
    ASSERT_EQ(sink->Count(), 3u);
    EXPECT_EQ(sink->Entries()[0].message, Msg(0xB3, 7, 127));

    std::vector<intptr_t> notices;
    platform::Message m;
    while (queue.Peek(m, platform::PeekMode::kRemove)) {
        EXPECT_EQ(m.message, engine::MidiPlayer::kVolumeNotice);
        EXPECT_EQ(m.wParam, reinterpret_cast<uintptr_t>(&player));
        notices.push_back(m.lParam);
    }
    EXPECT_EQ(notices, (std::vector<intptr_t> { 3 | 100 << 16, 3 | 50 << 16 }));
}

TEST(MidiPlayer, SongsWithNothingToPlayStillEnd)
{
    struct Case {
        const char* name;
        Bytes file;
        int loop;
    };
    Track metaOnly;
    metaOnly.Meta(0, 0x03, "name").Meta(100, 0x05, "la").End(100);
    Track sysExOnly;
    sysExOnly.SysEx(10, { 0x01, 0xF7 }).End();
    const Case cases[] = {
        { "no tracks", MidiFile(0, 96, {}), 0 },
        { "no tracks, looping", MidiFile(0, 96, {}), 1 },
        { "empty track", MidiFile(0, 96, { Track() }), 0 },
        { "meta events only, looping", MidiFile(0, 96, { metaOnly }), 1 },
        { "SysEx only, looping", MidiFile(0, 96, { sysExOnly }), 1 },
        { "one note", MidiFile(0, 96, { Track().NoteOn(0, 0, 60).End() }), 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPlayer player(std::make_shared<RecordingMidiSink>());
        ASSERT_EQ(player.LoadBytes(c.file), 1);
        ASSERT_EQ(player.Play(c.loop), 1);
        EXPECT_TRUE(WaitForEnd(player, 2000));
    }
}

// A song that starts at the stream's default tempo and speeds up halfway.
Bytes LateTempoSong()
{
    Track t;
    t.NoteOn(0, 0, 60).Tempo(480, 250000).NoteOn(0, 0, 62).NoteOn(480, 0, 64).End();
    return MidiFile(0, 480, { t });
}

const std::vector<Entry> kLateTempoEntries = {
    { 0, Msg(0x90, 60, 100) },
    { 500000, Msg(0x90, 62, 100) },
    { 750000, Msg(0x90, 64, 100) },
};

TEST(MidiPlayer, LaterPlaysAndLoopsStartAtTheSongsOwnTempo)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    TestPlayer player(sink);
    ASSERT_EQ(player.LoadBytes(LateTempoSong()), 1);
    for (int play = 0; play < 2; ++play) {
        sink->Clear();
        ASSERT_EQ(player.Play(0), 1);
        ASSERT_TRUE(WaitForEnd(player));
        EXPECT_EQ(sink->Entries(), kLateTempoEntries) << "play " << play;
    }

    sink->Clear();
    ASSERT_EQ(player.Play(1), 1);
    const size_t pass = kLateTempoEntries.size();
    ASSERT_TRUE(sink->WaitForCount(3 * pass, 5000));
    EXPECT_EQ(player.IsPlaying(), 1);
    ASSERT_EQ(player.Stop(1), 1);
    EXPECT_EQ(player.IsPlaying(), 0);

    auto entries = sink->Entries();
    ASSERT_GE(entries.size(), 3 * pass);
    // Every pass sends the same messages; the time runs on across passes,
    // each pass taking as long as the first.
    uint64_t passTime = kLateTempoEntries.back().timeUs;
    for (size_t i = 0; i < 3 * pass; ++i) {
        const Entry& first = kLateTempoEntries[i % pass];
        EXPECT_EQ(entries[i].message, first.message) << i;
        EXPECT_EQ(entries[i].timeUs, first.timeUs + (i / pass) * passTime) << i;
    }
}

TEST(MidiPlayer, PauseHoldsTheSongAndResumeContinues)
{
    auto sink = std::make_shared<RecordingMidiSink>(true);
    TestPlayer player(sink);
    // 10 notes 50 ms apart.
    ASSERT_EQ(player.LoadBytes(NoteSong(10, 48, 500000)), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(sink->WaitForCount(3, 2000));
    player.Pause();
    EXPECT_TRUE(player.IsPaused());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    size_t held = sink->Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(sink->Count(), held);
    EXPECT_EQ(player.IsPlaying(), 1);

    // Play while paused resumes.
    ASSERT_EQ(player.Play(0), 1);
    EXPECT_FALSE(player.IsPaused());
    ASSERT_TRUE(WaitForEnd(player, 3000));
    auto entries = sink->Entries();
    ASSERT_EQ(entries.size(), 20u);
    // Stream time does not count the pause.
    EXPECT_EQ(entries.back().timeUs, (9u * 48 + 10) * 500000 / 480);
}

TEST(MidiPlayer, StopDuringPlayReturnsAtOnceAndPlayStartsOver)
{
    auto sink = std::make_shared<RecordingMidiSink>(true);
    TestPlayer player(sink);
    Bytes song = NoteSong(10, 24, 500000); // 25 ms apart
    ASSERT_EQ(player.LoadBytes(song), 1);

    RecordingMidiSink reference;
    {
        // What a whole pass sends, from a player run at full speed.
        auto fast = std::make_shared<RecordingMidiSink>();
        TestPlayer whole(fast);
        ASSERT_EQ(whole.LoadBytes(song), 1);
        ASSERT_EQ(whole.Play(0), 1);
        ASSERT_TRUE(WaitForEnd(whole));
        for (const Entry& e : fast->Entries())
            reference.ShortMessage(e.timeUs, e.message);
    }

    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(sink->WaitForCount(4, 2000));
    auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(player.Stop(1), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    EXPECT_EQ(player.IsPlaying(), 0);
    EXPECT_EQ(player.StopState(), engine::MidiPlayer::kStateIdle);
    EXPECT_GE(sink->ResetCount(), 1u);

    sink->Clear();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player, 3000));
    EXPECT_EQ(sink->Entries(), reference.Entries());
    EXPECT_TRUE(player.Errors().empty());
}

TEST(MidiPlayer, ControlsFromTheUserThreadWhileTheCallbackRefills)
{
    // Notes every 10 ticks at 480 ticks and 125 ms a quarter: a buffer
    // spans 230 ticks, so the callback thread refills about every 60 ms
    // while this thread stops, pauses, resumes and restarts at random.
    auto sink = std::make_shared<RecordingMidiSink>(true);
    TestPlayer player(sink);
    const int notes = 100;
    Bytes song = NoteSong(notes, 10, 125000);
    ASSERT_EQ(player.LoadBytes(song), 1);
    ASSERT_EQ(player.Play(1), 1);

    std::mt19937 random(12345);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int operations = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        switch (random() % 5) {
        case 0:
            EXPECT_EQ(player.Stop(1), 1);
            break;
        case 1:
            player.Pause();
            break;
        case 2:
            player.Resume();
            break;
        default:
            EXPECT_EQ(player.Play(1), 1);
            break;
        }
        ++operations;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    }
    EXPECT_GT(operations, 50);

    // Nothing was lost on the way: a stopped player rewinds and plays the
    // whole song once more to its end.
    ASSERT_EQ(player.Stop(1), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_EQ(player.Stop(1), 1);
    sink->Clear();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player, 5000));
    auto entries = sink->Entries();
    ASSERT_EQ(entries.size(), size_t { notes * 2 });
    EXPECT_EQ(entries.back().timeUs, (uint64_t(notes - 1) * 10 + 10) * 125000 / 480);
    EXPECT_TRUE(player.Errors().empty());
}

TEST(MidiPlayer, DestroyedWhilePlaying)
{
    auto sink = std::make_shared<RecordingMidiSink>(true);
    auto before = std::chrono::steady_clock::now();
    {
        TestPlayer player(sink);
        ASSERT_EQ(player.LoadBytes(NoteSong(100, 48, 500000)), 1);
        ASSERT_EQ(player.Play(0), 1);
        ASSERT_TRUE(sink->WaitForCount(2, 2000));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1500));
    size_t count = sink->Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(sink->Count(), count);
}

TEST(MidiPlayer, RendersThroughTheSynthesizer)
{
    auto synth = platform::SynthSink::Create(platform::SynthSink::Output::kMemory);
    ASSERT_NE(synth, nullptr) << "no General MIDI soundfont installed";
    TestPlayer player(synth);
    // Piano: silence for a quarter (250 ms), a chord for a half (500 ms).
    Track t;
    t.Tempo(0, 500000).Event(0, { 0xC0, 0 }).NoteOn(240, 0, 60, 110).Event(0, { 64, 110 }).Event(0, { 67, 110 });
    t.NoteOff(480, 0, 60).NoteOff(0, 0, 64).NoteOff(0, 0, 67).End();
    ASSERT_EQ(player.LoadBytes(MidiFile(0, 480, { t })), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player));
    std::vector<int16_t> pcm = synth->TakeRendered(200);
    const size_t rate = platform::SynthSink::kSampleRate;
    ASSERT_GE(pcm.size(), 2 * rate * 900 / 1000);
    auto peak = [&](size_t fromMs, size_t toMs) {
        int p = 0;
        for (size_t i = 2 * rate * fromMs / 1000; i < 2 * rate * toMs / 1000 && i < pcm.size(); ++i)
            p = std::max(p, std::abs(int { pcm[i] }));
        return p;
    };
    EXPECT_LT(peak(0, 240), 50) << "silent before the chord";
    EXPECT_GT(peak(260, 740), 500) << "the chord sounds";
}

} // namespace

namespace {

TEST(MidiPlayer, PlaysThroughTheSystemSynthesizer)
{
    // The process's synthesizer, through SDL's dummy output in tests.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto shared = platform::DefaultMidiSink();
    ASSERT_NE(shared, nullptr) << "no soundfont or no audio output";
    EXPECT_TRUE(shared->RealTime());
    EXPECT_EQ(platform::DefaultMidiSink(), shared) << "one synthesizer while it is held";

    TestPlayer player;
    // Two notes, 150 ms in all.
    ASSERT_EQ(player.LoadBytes(NoteSong(2, 72, 500000)), 1);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(WaitForEnd(player, 3000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(80));
}

} // namespace
