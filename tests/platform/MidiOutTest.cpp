#include "platform/MidiOut.h"
#include "platform/RecordingMidiSink.h"
#include "platform/SynthSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;

struct Notice {
    MidiNotice kind;
    MidiHeader* header;
    uint32_t event;
};

// Collects what a stream's callback receives.
class Notices {
public:
    static void Callback(MidiStreamHandle, MidiNotice notice, void* instance, MidiHeader* header,
        const MidiStreamEvent* event)
    {
        auto* self = static_cast<Notices*>(instance);
        {
            std::lock_guard guard(self->m_lock);
            self->m_seen.push_back({ notice, header, event ? event->event : 0 });
        }
        self->m_changed.notify_all();
        if (self->onNotice)
            self->onNotice(notice);
    }
    std::vector<Notice> Seen()
    {
        std::lock_guard guard(m_lock);
        return m_seen;
    }
    bool WaitFor(MidiNotice kind, size_t count, std::chrono::milliseconds limit = 3s)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, limit, [&] {
            size_t n = 0;
            for (const Notice& s : m_seen)
                n += s.kind == kind;
            return n >= count;
        });
    }
    std::function<void(MidiNotice)> onNotice;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Notice> m_seen;
};

// A stream buffer built from events.
struct Buffer {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(1024);
    MidiHeader header;
    Buffer(std::initializer_list<MidiStreamEvent> events)
    {
        size_t at = 0;
        for (const MidiStreamEvent& e : events) {
            std::memcpy(bytes.data() + at, &e, sizeof e);
            at += sizeof e;
        }
        header.data = bytes.data();
        header.bufferLength = static_cast<uint32_t>(bytes.size());
        header.bytesRecorded = static_cast<uint32_t>(at);
    }
};

MidiStreamEvent Short(uint32_t delta, uint32_t message) { return { delta, 0, message }; }
MidiStreamEvent Tempo(uint32_t delta, uint32_t tempo) { return { delta, 0, kMidiEventTempo << 24 | tempo }; }

TEST(MidiOut, TimeDivisions)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    Notices notices;
    std::unique_ptr<MidiOut> out;
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    for (uint32_t good : { 1u, 96u, 480u, 0x7FFFu, 0xE728u, 0xE350u, 0xE201u, 0xE8FFu })
        EXPECT_EQ(out->SetTimeDivision(good), MidiResult::kOk) << std::hex << good;
    for (uint32_t bad : { 0u, 0xE700u, 0xE628u, 0x8001u, 0x10000u, 0xFF28u })
        EXPECT_EQ(out->SetTimeDivision(bad), MidiResult::kInvalidParameter) << std::hex << bad;

    std::unique_ptr<MidiOut> none;
    EXPECT_EQ(MidiOut::Open(nullptr, &Notices::Callback, &notices, none), MidiResult::kNoDevice);
    EXPECT_EQ(none, nullptr);
}

TEST(MidiOut, PlaysBuffersInOrderAtTheirTimesAndHandsThemBack)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    Notices notices;
    std::unique_ptr<MidiOut> out;
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    ASSERT_NE(out->Handle(), 0u);
    ASSERT_EQ(out->SetTimeDivision(480), MidiResult::kOk);
    // Default tempo: half a second a quarter; then twice as fast. A long
    // event's parameters are skipped.
    Buffer a { Short(0, 0x403C90), Short(480, 0x3C80), Tempo(0, 250000) };
    Buffer b { Short(480, 0x403E90), { 0, 0, kMidiEventLong | 9 }, { 0x11111111, 0x22222222, 0x33333333 },
        Short(1, 0x3E80) };
    for (Buffer* buf : { &a, &b }) {
        ASSERT_EQ(out->PrepareHeader(buf->header), MidiResult::kOk);
        ASSERT_EQ(out->Out(buf->header), MidiResult::kOk);
        EXPECT_TRUE(buf->header.flags & kMidiHeaderInQueue);
    }
    // Opened paused: nothing plays before Restart.
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(sink->Count(), 0u);
    ASSERT_EQ(out->Restart(), MidiResult::kOk);
    ASSERT_TRUE(notices.WaitFor(MidiNotice::kDone, 2));

    std::vector<RecordingMidiSink::Entry> expected = {
        { 0, 0x403C90 }, { 500000, 0x3C80 }, { 750000, 0x403E90 }, { 750520, 0x3E80 } };
    EXPECT_EQ(sink->Entries(), expected);
    auto seen = notices.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, MidiNotice::kOpen);
    EXPECT_EQ(seen[1].header, &a.header);
    EXPECT_EQ(seen[2].header, &b.header);
    EXPECT_EQ(a.header.flags & (kMidiHeaderDone | kMidiHeaderInQueue), kMidiHeaderDone);

    out->Close();
    seen = notices.Seen();
    EXPECT_EQ(seen.back().kind, MidiNotice::kClose);
    EXPECT_EQ(out->Restart(), MidiResult::kClosed);
}

TEST(MidiOut, HeaderRules)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    Notices notices;
    std::unique_ptr<MidiOut> out;
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    Buffer a { Short(0, 0x90) };
    EXPECT_EQ(out->Out(a.header), MidiResult::kNotPrepared);
    ASSERT_EQ(out->PrepareHeader(a.header), MidiResult::kOk);
    a.header.bytesRecorded = 2000;
    EXPECT_EQ(out->Out(a.header), MidiResult::kInvalidParameter);
    a.header.bytesRecorded = 12;
    ASSERT_EQ(out->Out(a.header), MidiResult::kOk);
    EXPECT_EQ(out->Out(a.header), MidiResult::kStillPlaying);
    EXPECT_EQ(out->UnprepareHeader(a.header), MidiResult::kStillPlaying);
    MidiHeader empty;
    EXPECT_EQ(out->PrepareHeader(empty), MidiResult::kInvalidParameter);

    // Stop hands the buffer back unplayed; then it may be unprepared.
    ASSERT_EQ(out->Stop(), MidiResult::kOk);
    ASSERT_TRUE(notices.WaitFor(MidiNotice::kDone, 1));
    EXPECT_EQ(out->UnprepareHeader(a.header), MidiResult::kOk);
    EXPECT_EQ(sink->Count(), 0u);
    EXPECT_EQ(sink->ResetCount(), 1u);
}

TEST(MidiOut, StopReturnsBuffersAndRestartsStreamTime)
{
    auto sink = std::make_shared<RecordingMidiSink>(true);
    Notices notices;
    std::unique_ptr<MidiOut> out;
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    ASSERT_EQ(out->SetTimeDivision(1000), MidiResult::kOk); // half a millisecond a tick
    Buffer a { Short(0, 0x90), Short(200, 0x91), Short(20000, 0x92) }; // 0, 100 ms, 10 s
    ASSERT_EQ(out->PrepareHeader(a.header), MidiResult::kOk);
    ASSERT_EQ(out->Out(a.header), MidiResult::kOk);
    ASSERT_EQ(out->Restart(), MidiResult::kOk);
    ASSERT_TRUE(sink->WaitForCount(2, 2000));
    auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(out->Stop(), MidiResult::kOk);
    ASSERT_TRUE(notices.WaitFor(MidiNotice::kDone, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_EQ(sink->Count(), 2u);

    // After the stop the stream waits for Restart and counts from 0.
    sink->Clear();
    Buffer b { Short(100, 0x93) };
    ASSERT_EQ(out->Out(b.header), MidiResult::kNotPrepared);
    ASSERT_EQ(out->PrepareHeader(b.header), MidiResult::kOk);
    ASSERT_EQ(out->Out(b.header), MidiResult::kOk);
    std::this_thread::sleep_for(80ms);
    EXPECT_EQ(sink->Count(), 0u);
    ASSERT_EQ(out->Restart(), MidiResult::kOk);
    ASSERT_TRUE(notices.WaitFor(MidiNotice::kDone, 2));
    EXPECT_EQ(sink->Entries(), (std::vector<RecordingMidiSink::Entry> { { 50000, 0x93 } }));
}

TEST(MidiOut, RealTimePacingAndPause)
{
    auto sink = std::make_shared<RecordingMidiSink>(true);
    Notices notices;
    std::unique_ptr<MidiOut> out;
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    ASSERT_EQ(out->SetTimeDivision(1000), MidiResult::kOk);
    Buffer a { Short(0, 0x90), Short(200, 0x91), Short(200, 0x92) }; // 0, 100, 200 ms
    ASSERT_EQ(out->PrepareHeader(a.header), MidiResult::kOk);
    ASSERT_EQ(out->Out(a.header), MidiResult::kOk);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(out->Restart(), MidiResult::kOk);
    ASSERT_TRUE(sink->WaitForCount(1, 1000));
    ASSERT_EQ(out->Pause(), MidiResult::kOk);
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(sink->Count(), 1u) << "nothing plays while paused";
    ASSERT_EQ(out->Restart(), MidiResult::kOk);
    ASSERT_TRUE(notices.WaitFor(MidiNotice::kDone, 1));
    // 200 ms of music and 250 ms of pause.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 430ms);
    auto entries = sink->Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].timeUs, 200000u);
}

TEST(MidiOut, PositionNoticeForFlaggedEvents)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    Notices notices;
    std::unique_ptr<MidiOut> out;
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    Buffer a { Short(0, 0x90), Short(0, kMidiEventCallback | 0x7F07B3) };
    ASSERT_EQ(out->PrepareHeader(a.header), MidiResult::kOk);
    ASSERT_EQ(out->Out(a.header), MidiResult::kOk);
    ASSERT_EQ(out->Restart(), MidiResult::kOk);
    ASSERT_TRUE(notices.WaitFor(MidiNotice::kDone, 1));
    auto seen = notices.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].kind, MidiNotice::kPosition);
    EXPECT_EQ(seen[1].header, &a.header);
    EXPECT_EQ(seen[1].event, kMidiEventCallback | 0x7F07B3);
    EXPECT_EQ(a.header.offset, 12u);
    EXPECT_EQ(sink->Entries().back().message, 0x7F07B3u);
}

TEST(MidiOut, ClosedFromItsOwnCallback)
{
    auto sink = std::make_shared<RecordingMidiSink>();
    Notices notices;
    std::unique_ptr<MidiOut> out;
    std::mutex lock;
    std::condition_variable closed;
    bool done = false;
    notices.onNotice = [&](MidiNotice kind) {
        if (kind != MidiNotice::kDone)
            return;
        std::lock_guard guard(lock);
        out.reset(); // closes and destroys the stream from its own thread
        done = true;
        closed.notify_all();
    };
    ASSERT_EQ(MidiOut::Open(sink, &Notices::Callback, &notices, out), MidiResult::kOk);
    Buffer a { Short(0, 0x90) };
    Buffer b { Short(0, 0x91) };
    ASSERT_EQ(out->PrepareHeader(a.header), MidiResult::kOk);
    ASSERT_EQ(out->PrepareHeader(b.header), MidiResult::kOk);
    ASSERT_EQ(out->Out(a.header), MidiResult::kOk);
    ASSERT_EQ(out->Out(b.header), MidiResult::kOk);
    {
        std::unique_lock guard(lock);
        ASSERT_EQ(out->Restart(), MidiResult::kOk);
        ASSERT_TRUE(closed.wait_for(guard, 3s, [&] { return done; }));
    }
    // The second buffer came back with the close; its notice, and the
    // close notice, were dropped with the stream.
    std::this_thread::sleep_for(50ms);
    auto seen = notices.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].header, &a.header);
    EXPECT_TRUE(b.header.flags & kMidiHeaderDone);
    EXPECT_FALSE(b.header.flags & kMidiHeaderInQueue);
}

TEST(SynthSink, RendersNotesAtTheirTimes)
{
    EXPECT_EQ(SynthSink::Create(SynthSink::Output::kMemory, "/nonexistent.sf2"), nullptr);
    auto synth = SynthSink::Create(SynthSink::Output::kMemory);
    ASSERT_NE(synth, nullptr) << "no General MIDI soundfont installed";
    EXPECT_FALSE(synth->RealTime());
    synth->ShortMessage(0, 0x000BC0);       // program 11, vibraphone
    synth->ShortMessage(200000, 0x7F4890);  // note on at 200 ms
    synth->ShortMessage(500000, 0x004880);  // note off at 500 ms
    std::vector<int16_t> pcm = synth->TakeRendered(100);
    const size_t rate = SynthSink::kSampleRate;
    ASSERT_EQ(pcm.size(), 2 * rate * 600 / 1000);
    auto peak = [&](size_t fromMs, size_t toMs) {
        int p = 0;
        for (size_t i = 2 * rate * fromMs / 1000; i < 2 * rate * toMs / 1000; ++i)
            p = std::max(p, std::abs(int { pcm[i] }));
        return p;
    };
    EXPECT_LT(peak(0, 195), 50);
    EXPECT_GT(peak(210, 490), 500);
    // Taken: the next render starts empty.
    EXPECT_EQ(synth->TakeRendered(0).size(), 0u);
}

} // namespace
