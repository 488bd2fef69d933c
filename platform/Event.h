#pragma once
// Events with timed waits, and waits on several events (optionally together
// with the calling thread's message queue). Each event is an eventfd, so it
// can also be polled together with sockets.

#include <cstddef>
#include <span>

namespace platform {

enum class EventReset { kManual, kAuto };

// A timeout of kInfinite waits without limit.
constexpr int kInfinite = -1;

class Event {
public:
    explicit Event(EventReset mode, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // False when the event could not be made (out of descriptors); such an
    // event is never signalled and every wait on it times out or fails.
    bool Valid() const { return m_fd >= 0; }

    // Setting a set event leaves it set (one release for an auto-reset one).
    void Set();
    void Reset();
    // True when the event is (or becomes) set within timeoutMs. An
    // auto-reset event is reset by the wait that returns true, so exactly
    // one waiter is released per Set.
    bool Wait(int timeoutMs);
    // Looks without waiting or resetting.
    bool IsSet() const;

    EventReset Mode() const { return m_mode; }
    // Readable while set; for polling together with other descriptors.
    // Never read or write it directly; use TryTake after it polls readable.
    int Fd() const { return m_fd; }
    // After the descriptor polled readable: true when this caller got the
    // event (an auto-reset event is reset by it; another waiter may have
    // taken it first, then false).
    bool TryTake();

private:
    EventReset m_mode;
    int m_fd = -1;
};

struct WaitResult {
    enum Kind { kEvent, kMessage, kTimeout, kFailed };
    Kind kind = kFailed;
    size_t index = 0; // which event, for kEvent
};

// Waits until one of the events is set; with several set, the lowest index
// wins. kFailed for an empty list or an invalid event.
WaitResult WaitForEvents(std::span<Event* const> events, int timeoutMs);

// The same, but also returns kMessage as soon as the calling thread's queue
// holds a message (events are looked at first). kFailed when the thread has
// no queue. The message stays queued.
WaitResult WaitForEventsOrMessage(std::span<Event* const> events, int timeoutMs);

} // namespace platform
