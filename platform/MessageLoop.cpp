#include "platform/MessageLoop.h"

#include "platform/MessageDispatch.h"
#include "platform/MessageQueue.h"
#include "platform/SdlVideo.h"
#include "platform/Window.h"

#include <SDL.h>

#include <poll.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace platform {

namespace {

// A quit asked for on a thread without a message queue.
thread_local std::optional<int> t_quit;

// The last PumpOnce ended with SDL's pump, after its wait: the next one
// need not pump again before it sleeps, since the wait itself looks at the
// driver's connection. One pump a wake is what an idle window costs.
thread_local bool t_pumpedLast = false;

// A video driver with events but no descriptor to sleep on is looked at
// this often.
constexpr int kDriverPollMs = 5;
// With nothing at all that could wake the thread (no windows, no queue),
// a wait without limit still returns after this pause.
constexpr int kIdlePauseMs = 5;

int Earlier(int waitMs, int otherMs)
{
    if (waitMs < 0)
        return otherMs;
    return otherMs < 0 ? waitMs : std::min(waitMs, otherMs);
}

// Sleeps until a post from another thread, an event from the window
// system or a message on the thread's queue arrives, or waitMs passes
// (kInfinite: no limit).
void Sleep(int waitMs)
{
    pollfd fds[3] {};
    nfds_t count = 0;
    int wakeIndex = -1;
    if (SdlVideo::ActiveOnThisThread()) {
        // Events already on SDL's queue or read into the driver's own
        // would not make any descriptor readable.
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || SdlVideo::EventsAlreadyRead())
            return;
        wakeIndex = static_cast<int>(count);
        fds[count++] = { SdlVideo::WakeFd(), POLLIN, 0 };
        if (const int fd = SdlVideo::EventFd(); fd >= 0)
            fds[count++] = { fd, POLLIN, 0 };
        else if (SdlVideo::EventsNeedPolling())
            waitMs = Earlier(waitMs, kDriverPollMs);
    }
    if (MessageQueue* queue = MessageQueue::Current())
        fds[count++] = { queue->WakeFd(), POLLIN, 0 };
    if (count == 0)
        waitMs = Earlier(waitMs, kIdlePauseMs);
    if (poll(fds, count, waitMs) > 0 && wakeIndex >= 0 && fds[wakeIndex].revents != 0)
        SdlVideo::TakeWake();
}

} // namespace

bool MessageLoop::Turn(bool pumpSdl, bool& did, int& exitCode)
{
    if (t_quit) {
        exitCode = *t_quit;
        t_quit.reset();
        return false;
    }
    if (SdlVideo::ActiveOnThisThread()) {
        SdlVideo::RearmWake();
        // One pump per turn: SDL_PollEvent would pump again for every event.
        if (pumpSdl)
            SDL_PumpEvents();
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            did |= Window::DispatchSdlEvent(event);
        did |= Window::RunMessages();
    }
    if (MessageQueue* queue = MessageQueue::Current()) {
        // A bounded batch, so a handler that keeps posting to its own
        // thread cannot starve input, timers and paints.
        Message m;
        for (int budget = 256; budget > 0 && queue->Peek(m, PeekMode::kRemove); --budget) {
            did = true;
            if (m.message == kQuitMessage) {
                exitCode = static_cast<int>(m.wParam);
                return false;
            }
            DispatchThreadMessage(m);
        }
    }
    if (SdlVideo::ActiveOnThisThread()) {
        did |= Window::RunTimers();
        did |= Window::RunPaints();
    }
    return true;
}

int MessageLoop::Run()
{
    int exitCode = 0;
    while (PumpOnce(kInfinite, &exitCode)) {
    }
    return exitCode;
}

bool MessageLoop::PumpOnce(int waitMs, int* exitCode)
{
    int code = 0;
    bool did = false;
    // Without a pump here, input can wait at most until the next call: a
    // turn that finds work returns before it pumps, and the next one pumps.
    const bool pumped = std::exchange(t_pumpedLast, false);
    if (!Turn(waitMs == 0 || !pumped, did, code)) {
        if (exitCode)
            *exitCode = code;
        return false;
    }
    if (did || waitMs == 0)
        return true;

    int wait = waitMs;
    if (SdlVideo::ActiveOnThisThread())
        wait = Earlier(wait, Window::MsUntilNextTimer());
    if (wait != 0)
        Sleep(wait);
    if (!Turn(true, did, code)) {
        if (exitCode)
            *exitCode = code;
        return false;
    }
    t_pumpedLast = SdlVideo::ActiveOnThisThread();
    return true;
}

void MessageLoop::Quit(int exitCode)
{
    if (MessageQueue::Current())
        PostQuitMessage(exitCode);
    else
        t_quit = exitCode;
}

} // namespace platform
