#pragma once
// The user-interface thread's loop: input and window events, messages sent
// and posted to windows, window timers, paints, and the thread's own posted
// messages (when the thread has a MessageQueue, dispatched through
// DispatchThreadMessage). Modal loops run PumpOnce themselves so that
// timers and paints keep going while they wait.

#include <cstdint>

namespace platform {

class MessageLoop {
public:
    static constexpr int kInfinite = -1;

    // Runs until a quit message arrives (PostQuitMessage on this thread, or
    // Quit) and returns its exit code.
    static int Run();

    // One turn: everything that is ready now is handled, in this order:
    // SDL input and window events, messages sent to windows from other
    // threads, then posted window messages, the thread's posted messages,
    // due timers and pending paints. When nothing was ready, waits up to
    // waitMs (0: not at all, kInfinite: until something happens) and
    // handles what came. Returns false when the quit message was taken
    // (exitCode receives its code); a modal loop that sees it should stop
    // and call Quit with the code so the outer loop ends too.
    static bool PumpOnce(int waitMs, int* exitCode = nullptr);

    // Asks the calling thread's loop to end with exitCode (through the
    // thread's queue when it has one, so it stays in order).
    static void Quit(int exitCode);

private:
    // Handles what is ready, first running SDL's pump when pumpSdl; false
    // when the quit message was taken.
    static bool Turn(bool pumpSdl, bool& did, int& exitCode);
};

} // namespace platform
