#include "platform/MidiOut.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

namespace {

// Pacing reads the steady clock directly: it is device time, which must run
// on even when a test pins the program's clock.
using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kDefaultDivision = 96;
constexpr uint64_t kDefaultTempo = 500000;

std::atomic<MidiStreamHandle> g_nextHandle { 1 };

MidiStreamHandle NewHandle()
{
    MidiStreamHandle h = g_nextHandle.fetch_add(1);
    // After 2^32 opens the counter would wrap: skip 0 so a handle is never 0.
    return h != 0 ? h : g_nextHandle.fetch_add(1);
}

} // namespace

struct MidiOut::State {
    struct Queued {
        MidiHeader* header;
        uint32_t offset; // next event to play
    };
    struct Notice {
        MidiNotice kind;
        MidiHeader* header;
        MidiStreamEvent event;
    };

    std::mutex lock;
    std::condition_variable changed;
    std::thread thread;

    std::shared_ptr<MidiSink> sink;
    MidiOutCallback callback = nullptr;
    void* instance = nullptr;
    MidiStreamHandle handle = 0;
    bool realTime = false;

    // Stream time: microseconds of the last event handed over, plus the
    // fraction left over in units of 1/den microseconds, so that rounding
    // never accumulates. A tick lasts num/den microseconds.
    uint32_t division = kDefaultDivision;
    uint64_t tempo = kDefaultTempo;
    uint64_t timeUs = 0;
    uint64_t remainder = 0;
    uint64_t num = kDefaultTempo;
    uint64_t den = kDefaultDivision;

    // Pacing: while running, the stream clock is clockBaseUs plus the wall
    // time since resumedAt.
    bool running = false;
    bool starved = true;
    uint64_t clockBaseUs = 0;
    SteadyClock::time_point resumedAt;

    std::deque<Queued> queue;
    std::deque<Notice> notices;
    bool closing = false;
    bool dropNotices = false;

    void UpdateRate()
    {
        if (division & 0x8000) {
            int fps = -static_cast<int8_t>(division >> 8);
            uint32_t ticksPerFrame = division & 0xFF;
            num = fps == 29 ? 1001000 : 1000000;
            den = static_cast<uint64_t>(fps == 29 ? 30 : fps) * ticksPerFrame;
        } else {
            num = tempo;
            den = division;
        }
    }

    uint64_t ClockUs(SteadyClock::time_point now) const
    {
        auto ran = std::chrono::duration_cast<std::chrono::microseconds>(now - resumedAt).count();
        return clockBaseUs + static_cast<uint64_t>(ran < 0 ? 0 : ran);
    }

    // The time at which an event delta ticks after the last one falls, and
    // the fraction that would be left.
    uint64_t TimeAfter(uint32_t delta, uint64_t& fraction) const
    {
        uint64_t scaled = remainder + static_cast<uint64_t>(delta) * num;
        fraction = scaled % den;
        return timeUs + scaled / den;
    }

    void ReturnAll()
    {
        for (Queued& q : queue) {
            q.header->flags = (q.header->flags | kMidiHeaderDone) & ~kMidiHeaderInQueue;
            notices.push_back({ MidiNotice::kDone, q.header, {} });
        }
        queue.clear();
    }

    void StopLocked()
    {
        ReturnAll();
        running = false;
        starved = true;
        timeUs = 0;
        remainder = 0;
        clockBaseUs = 0;
        if (sink)
            sink->Reset();
        changed.notify_all();
    }

    // Plays what is due from the front buffer. Returns false when it has to
    // wait (until the time in wakeAt, or for a change when wakeAt is max).
    bool PlayStep(SteadyClock::time_point& wakeAt)
    {
        Queued& q = queue.front();
        MidiHeader* h = q.header;
        uint32_t length = h->bytesRecorded;
        if (length < sizeof(MidiStreamEvent) || q.offset > length - sizeof(MidiStreamEvent)) {
            h->flags = (h->flags | kMidiHeaderDone) & ~kMidiHeaderInQueue;
            notices.push_back({ MidiNotice::kDone, h, {} });
            queue.pop_front();
            return true;
        }
        MidiStreamEvent e;
        std::memcpy(&e, h->data + q.offset, sizeof e);
        if (starved) {
            // After running dry the clock would rush the next events out at
            // once; it continues from where the music stopped instead.
            starved = false;
            clockBaseUs = timeUs;
            resumedAt = SteadyClock::now();
        }
        uint64_t fraction = 0;
        uint64_t due = TimeAfter(e.deltaTicks, fraction);
        if (realTime) {
            auto now = SteadyClock::now();
            uint64_t clock = ClockUs(now);
            if (due > clock) {
                wakeAt = now + std::chrono::microseconds(due - clock);
                return false;
            }
        }
        timeUs = due;
        remainder = fraction;

        uint32_t kind = (e.event >> 24) & 0x3F;
        uint32_t next = q.offset + sizeof e;
        if (e.event & kMidiEventLong) {
            uint64_t extra = ((static_cast<uint64_t>(e.event & 0xFFFFFF)) + 3) & ~uint64_t { 3 };
            next = static_cast<uint32_t>(std::min<uint64_t>(next + extra, length));
        } else if (kind == kMidiEventShort) {
            sink->ShortMessage(timeUs, e.event & 0xFFFFFF);
        } else if (kind == kMidiEventTempo) {
            uint32_t t = e.event & 0xFFFFFF;
            if (t != 0) {
                tempo = t;
                UpdateRate();
            }
        }
        if (e.event & kMidiEventCallback) {
            h->offset = q.offset;
            notices.push_back({ MidiNotice::kPosition, h, e });
        }
        q.offset = next;
        return true;
    }

    void Run(std::shared_ptr<State> self)
    {
        std::unique_lock guard(lock);
        for (;;) {
            if (dropNotices)
                break;
            if (!notices.empty()) {
                Notice n = notices.front();
                notices.pop_front();
                guard.unlock();
                callback(handle, n.kind, instance, n.header, n.kind == MidiNotice::kPosition ? &n.event : nullptr);
                guard.lock();
                continue;
            }
            if (closing)
                break;
            if (running && !queue.empty()) {
                auto wakeAt = SteadyClock::time_point::max();
                if (PlayStep(wakeAt))
                    continue;
                changed.wait_until(guard, wakeAt);
                continue;
            }
            if (running)
                starved = true;
            changed.wait(guard);
        }
        guard.unlock();
        // The last owner may be this thread (after a close from the
        // callback); the state then goes here.
        self.reset();
    }
};

MidiResult MidiOut::Open(std::shared_ptr<MidiSink> sink, MidiOutCallback callback, void* instance,
    std::unique_ptr<MidiOut>& out)
{
    out.reset();
    if (!sink)
        return MidiResult::kNoDevice;
    if (callback == nullptr)
        return MidiResult::kInvalidParameter;
    auto state = std::make_shared<State>();
    state->sink = std::move(sink);
    state->realTime = state->sink->RealTime();
    state->callback = callback;
    state->instance = instance;
    state->handle = NewHandle();
    state->notices.push_back({ MidiNotice::kOpen, nullptr, {} });
    {
        // The thread starts by taking the lock, so it sees the thread
        // member set before it can deliver anything.
        std::lock_guard guard(state->lock);
        try {
            state->thread = std::thread(&State::Run, state.get(), state);
        } catch (const std::system_error&) {
            return MidiResult::kNoDevice;
        }
    }
    out.reset(new MidiOut());
    out->m_handle = state->handle;
    out->m_state = std::move(state);
    return MidiResult::kOk;
}

MidiOut::~MidiOut()
{
    Close();
}

MidiResult MidiOut::SetTimeDivision(uint32_t division)
{
    if (!m_state)
        return MidiResult::kClosed;
    bool valid;
    if (division & 0x8000) {
        int fps = -static_cast<int8_t>((division >> 8) & 0xFF);
        valid = division <= 0xFFFF && (fps == 24 || fps == 25 || fps == 29 || fps == 30) && (division & 0xFF) != 0;
    } else {
        valid = division != 0 && division <= 0x7FFF;
    }
    if (!valid)
        return MidiResult::kInvalidParameter;
    std::lock_guard guard(m_state->lock);
    if (m_state->closing)
        return MidiResult::kClosed;
    m_state->division = division;
    m_state->remainder = 0;
    m_state->UpdateRate();
    return MidiResult::kOk;
}

MidiResult MidiOut::PrepareHeader(MidiHeader& header)
{
    if (!m_state)
        return MidiResult::kClosed;
    if (header.data == nullptr || header.bufferLength == 0)
        return MidiResult::kInvalidParameter;
    std::lock_guard guard(m_state->lock);
    header.flags |= kMidiHeaderPrepared;
    return MidiResult::kOk;
}

MidiResult MidiOut::UnprepareHeader(MidiHeader& header)
{
    if (!m_state)
        return MidiResult::kClosed;
    std::lock_guard guard(m_state->lock);
    if (header.flags & kMidiHeaderInQueue)
        return MidiResult::kStillPlaying;
    header.flags &= ~kMidiHeaderPrepared;
    return MidiResult::kOk;
}

MidiResult MidiOut::Out(MidiHeader& header)
{
    if (!m_state)
        return MidiResult::kClosed;
    std::lock_guard guard(m_state->lock);
    if (m_state->closing)
        return MidiResult::kClosed;
    if (!(header.flags & kMidiHeaderPrepared))
        return MidiResult::kNotPrepared;
    if (header.flags & kMidiHeaderInQueue)
        return MidiResult::kStillPlaying;
    if (header.bytesRecorded > header.bufferLength)
        return MidiResult::kInvalidParameter;
    header.flags = (header.flags & ~kMidiHeaderDone) | kMidiHeaderInQueue;
    m_state->queue.push_back({ &header, 0 });
    m_state->changed.notify_all();
    return MidiResult::kOk;
}

MidiResult MidiOut::Restart()
{
    if (!m_state)
        return MidiResult::kClosed;
    std::lock_guard guard(m_state->lock);
    if (m_state->closing)
        return MidiResult::kClosed;
    if (!m_state->running) {
        m_state->running = true;
        m_state->resumedAt = SteadyClock::now();
        m_state->changed.notify_all();
    }
    return MidiResult::kOk;
}

MidiResult MidiOut::Pause()
{
    if (!m_state)
        return MidiResult::kClosed;
    std::lock_guard guard(m_state->lock);
    if (m_state->closing)
        return MidiResult::kClosed;
    if (m_state->running) {
        m_state->clockBaseUs = m_state->ClockUs(SteadyClock::now());
        m_state->running = false;
        m_state->changed.notify_all();
    }
    return MidiResult::kOk;
}

MidiResult MidiOut::Stop()
{
    if (!m_state)
        return MidiResult::kClosed;
    std::lock_guard guard(m_state->lock);
    if (m_state->closing)
        return MidiResult::kClosed;
    m_state->StopLocked();
    return MidiResult::kOk;
}

MidiResult MidiOut::Reset()
{
    return Stop();
}

void MidiOut::Close()
{
    if (!m_state)
        return;
    std::shared_ptr<State> state = std::move(m_state);
    std::unique_lock guard(state->lock);
    state->StopLocked();
    state->closing = true;
    if (std::this_thread::get_id() == state->thread.get_id()) {
        state->dropNotices = true;
        state->notices.clear();
        state->thread.detach();
        return;
    }
    state->notices.push_back({ MidiNotice::kClose, nullptr, {} });
    state->changed.notify_all();
    guard.unlock();
    state->thread.join();
}

} // namespace platform
