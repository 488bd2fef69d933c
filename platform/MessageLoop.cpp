#include "platform/MessageLoop.h"

#include "platform/MessageDispatch.h"
#include "platform/MessageQueue.h"
#include "platform/SdlVideo.h"
#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <optional>

namespace platform {

namespace {

// A quit asked for on a thread without a message queue.
thread_local std::optional<int> t_quit;

// While the thread's own queue may receive posts that do not wake SDL, the
// loop looks at it at least this often.
constexpr int kThreadQueuePollMs = 5;

} // namespace

bool MessageLoop::Turn(bool& did, int& exitCode)
{
    if (t_quit) {
        exitCode = *t_quit;
        t_quit.reset();
        return false;
    }
    if (SdlVideo::ActiveOnThisThread()) {
        SdlVideo::RearmWake();
        // One pump per turn: SDL_PollEvent would pump again for every event.
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
    if (!Turn(did, code)) {
        if (exitCode)
            *exitCode = code;
        return false;
    }
    if (did || waitMs == 0)
        return true;

    int wait = waitMs;
    if (SdlVideo::ActiveOnThisThread()) {
        int timer = Window::MsUntilNextTimer();
        if (timer >= 0)
            wait = wait < 0 ? timer : std::min(wait, timer);
    }
    if (MessageQueue::Current())
        wait = wait < 0 ? kThreadQueuePollMs : std::min(wait, kThreadQueuePollMs);
    if (wait != 0) {
        if (SdlVideo::ActiveOnThisThread()) {
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, wait))
                Window::DispatchSdlEvent(event);
        } else {
            // No windows: only the thread queue (or nothing at all) can
            // bring work, and it is looked at again after the pause.
            std::this_thread::sleep_for(std::chrono::milliseconds(wait > 0 ? wait : kThreadQueuePollMs));
        }
    }
    if (!Turn(did, code)) {
        if (exitCode)
            *exitCode = code;
        return false;
    }
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
