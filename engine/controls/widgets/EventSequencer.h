#pragma once
// Releases posted events one at a time: an event posted while an earlier
// one is still being handled waits in a first-in, first-out queue until the
// handler calls Next. An object without a picture; it must be registered so
// that it can post.
//
// Every event carries a copy of the caller's payload: param is the address
// of a block from AllocEventBlock (0 when there is none) and data its length
// in bytes. The copy of a released event belongs to its receiver, which
// frees it with FreeEventBlock; the copies still queued are freed with the
// sequencer.

#include "engine/objects/BoundObject.h"

#include <deque>

namespace engine {

class EventSequencer : public BoundObject {
public:
    EventSequencer() = default;
    ~EventSequencer() override;

    // Queues the event, or posts it at once when nothing is being handled.
    // A null payload or a length below 1 sends no copy. Returns the busy
    // flag after the call (always 1).
    virtual int Post(int target, int code, const void* payload, int length);
    // The handler of the last released event is done: posts the oldest
    // queued event and returns 1, or returns 0 and goes idle when the queue
    // is empty.
    virtual int Next();
    // Holds everything posted from now on until Next is called.
    virtual void Stop();

    bool IsBusy() const { return m_busy; }
    size_t QueuedCount() const { return m_queue.size(); }

private:
    // Posts the event; frees its copy when it cannot be posted.
    void Release(const EngineEvent& event);

    std::deque<EngineEvent> m_queue;
    bool m_busy = false;
};

} // namespace engine
