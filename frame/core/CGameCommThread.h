#pragma once
// The communication thread: lives from start-up to shut-down beside the
// user-interface thread. The network library posts every server message
// here (WM_NETMSG) and the thread relays it to the frame window; and it owns
// the wait display, so that status texts stay visible and painted while the
// user-interface thread is blocked in a request or a sleep.
//
// Threads: the user-interface thread starts and stops it and posts texts and
// the target window; the network thread posts messages; this thread posts to
// the frame window. Everything travels in posted messages whose heap records
// pass to the receiver; nothing here takes a lock of its own.

#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Thread messages of the communication thread.
constexpr uint32_t WM_COMM_SETTARGET = 0x854D; // wParam: frame window handle
constexpr uint32_t WM_COMM_QUIT = 0x854E;
constexpr uint32_t WM_COMM_WAITTEXT = 0x8550; // wParam: heap std::string or 0 (hide); lParam: seconds

// What shows the wait texts. Made, used and destroyed on the communication
// thread only. seconds > 0 hides the text by itself after that time.
//
// Between messages the thread waits on its queue and on the display's own
// descriptors (a display connection, say) for at most NextWakeMs, then calls
// OnWake, where the display runs its timers and reads its events. A display
// without timers or descriptors keeps the defaults.
class WaitTextDisplay {
public:
    virtual ~WaitTextDisplay() = default;
    virtual void ShowText(const std::string& text, int seconds) = 0;
    virtual void Hide() = 0;
    // Appends the descriptors whose readability should wake the thread.
    virtual void AddEventFds(std::vector<int>& /*fds*/) { }
    // Milliseconds until the display wants OnWake although nothing arrived:
    // 0 at once, -1 not before something arrives.
    virtual int NextWakeMs() { return -1; }
    virtual void OnWake() { }
};

// Called on the communication thread when it starts.
using WaitDisplayFactory = std::function<std::unique_ptr<WaitTextDisplay>()>;

class CGameCommThread {
public:
    static constexpr int kStopTimeoutMs = 1000;

    // Without a factory the texts go to the standard error stream.
    explicit CGameCommThread(WaitDisplayFactory factory = {});
    // Stops the thread when it still runs.
    ~CGameCommThread();
    CGameCommThread(const CGameCommThread&) = delete;
    CGameCommThread& operator=(const CGameCommThread&) = delete;

    // Starts the thread; true once it takes posts.
    bool Start();
    // Posts WM_COMM_QUIT and waits up to timeoutMs. True when the thread
    // ended (or none ran). A thread that does not end in time cannot be
    // ended safely from outside: it is left to finish on its own, keeping
    // what it uses, and false is returned. Either way this object no longer
    // has a thread.
    bool Stop(int timeoutMs = kStopTimeoutMs);
    bool IsRunning() const { return m_thread != nullptr; }
    // Joins the threads Stop had to leave running that end within
    // timeoutMs; the number still running.
    static size_t ReapAbandoned(int timeoutMs);
    uint32_t ThreadId() const;

    // Any thread; false when the thread is not running.
    bool PostTarget(platform::WindowHandle window) const;
    // A heap copy of the text travels with the post (seconds 0: until hidden).
    bool PostWaitText(const std::string& text, int seconds) const;
    bool PostHideWaitText() const;

private:
    static int Run(const WaitDisplayFactory& factory, platform::MessageQueue& queue);
    // Sleeps until a message is queued, a descriptor of the display is
    // readable or its next timer is due.
    static void WaitForWork(const platform::MessageQueue& queue, WaitTextDisplay& display);

    WaitDisplayFactory m_factory;
    std::unique_ptr<platform::MessageThread> m_thread;
};
