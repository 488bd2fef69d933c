#pragma once
// The SDL video subsystem as the window layer shares it: started by the
// first window, stopped with the last. All SDL calls except Wake are made on
// the one user-interface thread that started it.

#include <cstdint>

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
    // True for the event Wake pushes (the loop then only notes the wake).
    static bool IsWakeEvent(uint32_t sdlEventType);
    // Called by the loop before it looks at the queues: a wake asked for
    // after this pushes a new event even if an earlier one was lost.
    static void RearmWake();
};

} // namespace platform
