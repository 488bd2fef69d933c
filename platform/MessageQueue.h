#pragma once
// Per-thread message queues: the stand-in for a thread's posted-message
// queue. A thread that wants to receive posts creates one MessageQueue (on
// its own stack or as a member of what it runs) and keeps it for as long as
// it takes posts; a process-wide registry maps the thread's numeric id to the
// queue, so other threads can post by id. Ids are never reused, so a post to
// a thread that has ended fails instead of reaching a newer thread.

#include <cstdint>
#include <memory>

namespace platform {

struct Message;

// Signature of the function that frees what a message carries when the
// message is dropped undelivered (its queue was destroyed).
using MessageDisposer = void (*)(const Message&);

struct Message {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    // Called once for a message still queued when its queue is destroyed, so
    // heap records carried in wParam/lParam are never leaked. A message taken
    // out by GetMessage or PeekMessage (remove) belongs to the taker, whose
    // handler frees the records; the disposer is then not called.
    MessageDisposer disposer = nullptr;
};

// The quit message: wParam carries the exit code.
constexpr uint32_t kQuitMessage = 0x0012;
// First message number free for the program's own messages.
constexpr uint32_t kUserMessage = 0x0400;

enum class PeekMode { kNoRemove, kRemove };

// Numeric id of the calling thread: assigned on first use, starting at 1,
// never reused within the process.
uint32_t CurrentThreadId();

class MessageQueue {
public:
    // Creates the calling thread's queue and registers it under
    // CurrentThreadId(). A thread has at most one: a second one on the same
    // thread is not registered (Valid() is false) while the first lives.
    MessageQueue();
    // Unregisters (later posts to this thread fail) and disposes every
    // message still queued.
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // The calling thread's queue, or null.
    static MessageQueue* Current();

    bool Valid() const;
    uint32_t ThreadId() const { return m_threadId; }

    // A descriptor that polls readable exactly while messages are queued
    // (never read or write it): lets a thread wait on its queue together
    // with sockets and events.
    int WakeFd() const;

    // Appends a message; false once the queue is being destroyed. Any thread.
    bool Post(const Message& message);
    // Blocks until a message is queued and takes it; false when it is the
    // quit message (out still holds it, wParam the exit code). Owner thread.
    bool Get(Message& out);
    // Takes (or only looks at) the oldest message without waiting; false
    // when the queue is empty. The quit message is returned like any other.
    bool Peek(Message& out, PeekMode mode);
    bool Empty() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    uint32_t m_threadId = 0;
    bool m_registered = false;
};

// Posts to the queue of the thread with that id. False when the thread has no
// queue (never made one, or it has ended): the caller still owns whatever
// the message carries and must free it.
bool PostThreadMessage(uint32_t threadId, const Message& message);
bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam,
    MessageDisposer disposer = nullptr);

// The calling thread's queue. Without one, GetMessage returns false at once
// with a quit message of exit code -1, and PeekMessage returns false.
bool GetMessage(Message& out);
bool PeekMessage(Message& out, PeekMode mode);

// Queues the quit message (exit code in wParam) behind what is already
// queued, on the calling thread or on another thread by id (false when that
// thread has no queue).
void PostQuitMessage(int exitCode);
bool PostThreadQuit(uint32_t threadId, int exitCode);

} // namespace platform
