#include "platform/SdlVideo.h"

#include "platform/Cursor.h"
#include "platform/MessageQueue.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace platform {

namespace {

// Guards the subsystem's start and stop against Wake from other threads:
// SDL_PushEvent must not run while the event queue is being torn down.
std::mutex g_lock;
int g_users = 0;
std::atomic<uint32_t> g_uiThread { 0 };
uint32_t g_wakeType = 0;
std::atomic<bool> g_wakePending { false };

} // namespace

bool SdlVideo::Acquire()
{
    std::lock_guard lock(g_lock);
    if (g_users > 0) {
        if (g_uiThread.load() != CurrentThreadId()) {
            std::fprintf(stderr, "platform: windows must all live on the user-interface thread\n");
            return false;
        }
        ++g_users;
        return true;
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
    // Presenting is a plain copy into the driver's own framebuffer (shared
    // memory under X11); no GPU renderer is started for it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "platform: cannot start SDL video: %s\n", SDL_GetError());
        return false;
    }
    g_wakeType = SDL_RegisterEvents(1);
    g_wakePending = false;
    g_uiThread = CurrentThreadId();
    g_users = 1;
    return true;
}

void SdlVideo::Release()
{
    std::lock_guard lock(g_lock);
    if (g_users == 0 || --g_users > 0)
        return;
    ReleaseSystemCursors();
    // Only the window layer's own share: audio may still be running. When
    // nothing else uses SDL, it is shut down entirely (which also closes
    // its bus connection for the input method).
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
    g_uiThread = 0;
}

bool SdlVideo::ActiveOnThisThread()
{
    uint32_t ui = g_uiThread.load();
    return ui != 0 && ui == CurrentThreadId();
}

uint32_t SdlVideo::UiThreadId() { return g_uiThread.load(); }

void SdlVideo::Wake()
{
    if (g_wakePending.exchange(true))
        return;
    std::lock_guard lock(g_lock);
    if (g_users == 0 || g_wakeType == static_cast<uint32_t>(-1)) {
        g_wakePending = false;
        return;
    }
    SDL_Event event {};
    event.type = g_wakeType;
    SDL_PushEvent(&event);
}

void SdlVideo::RearmWake() { g_wakePending = false; }

bool SdlVideo::IsWakeEvent(uint32_t sdlEventType)
{
    if (sdlEventType != g_wakeType)
        return false;
    g_wakePending = false;
    return true;
}

} // namespace platform
