#pragma once
// The SDL video subsystem as the window layer shares it: started by the
// first window, stopped with the last. All SDL calls except Wake are made on
// the one user-interface thread that started it.

#include <cstdint>

struct SDL_Window;

namespace platform {

class SdlVideo {
public:
    // Starts the subsystem on first use (counted); false when SDL cannot
    // start video or when called from another thread than the one that
    // holds it.
    static bool Acquire();
    static void Release();
    // True while some window holds the subsystem and the caller is on its
    // thread.
    static bool ActiveOnThisThread();
    // The user-interface thread's id (CurrentThreadId numbering), 0 when
    // video is not running.
    static uint32_t UiThreadId();

    // Wakes the user-interface loop from any thread; repeated wakes before
    // the loop runs collapse into one.
    static void Wake();
    // Called by the loop before it looks at the queues: a wake asked for
    // after this signals WakeFd again even if an earlier one was taken.
    static void RearmWake();
    // Readable after Wake (-1 while video is not running); the loop sleeps
    // on it and calls TakeWake once it has seen it readable.
    static int WakeFd();
    static void TakeWake();

    // Told of each window the layer creates: the first one shows which
    // connection the driver's events arrive on.
    static void NoteWindow(SDL_Window* window);
    // The descriptor the driver's events arrive on (the X connection), -1
    // for drivers without one.
    static int EventFd();
    // A driver with events of its own but no EventFd: the loop must look at
    // it every few milliseconds instead of sleeping on a descriptor.
    static bool EventsNeedPolling();
    // Before the loop sleeps on EventFd: sends requests still buffered and
    // tells whether events were already read off the connection (they would
    // never make EventFd readable), in which case it must not sleep.
    static bool EventsAlreadyRead();
};

} // namespace platform
