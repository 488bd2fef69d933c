#pragma once
// A thread that owns a message queue from its first instruction to its last,
// so its id can be posted to as soon as Start returns.

#include "platform/MessageQueue.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class MessageThread {
public:
    // The body runs on the new thread with that thread's queue; its result
    // is the exit code. Messages still queued when it returns are disposed,
    // and what the platform's libraries kept for the thread is freed.
    using Body = std::function<int(MessageQueue&)>;

    MessageThread() = default;
    // Joins: the owner must have made the body return (for example with
    // PostThreadQuit) before destroying a running thread.
    ~MessageThread();
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;

    // Starts the thread and returns once its queue takes posts. False when
    // a thread is already running (or not yet joined) or none can be made.
    bool Start(Body body);

    // Waits up to timeoutMs (kInfinite: no limit) for the body to return,
    // then joins; true when the thread has ended and been joined (also when
    // none was started). On false the thread keeps running and owns
    // everything it uses.
    bool Join(int timeoutMs);

    // 0 when no thread runs.
    uint32_t ThreadId() const;
    int ExitCode() const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::thread m_thread;
    uint32_t m_threadId = 0;
    bool m_ready = false;
    bool m_finished = false;
    int m_exitCode = 0;
};

} // namespace platform
