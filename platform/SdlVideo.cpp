#include "platform/SdlVideo.h"

#include "platform/Cursor.h"
#include "platform/MessageQueue.h"

#include <SDL.h>
#include <SDL_syswm.h> // with the X11 driver: Xlib, for the connection the loop sleeps on

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string_view>

namespace platform {

namespace {

// Guards the subsystem's start and stop against Wake from other threads:
// the wake descriptor must not be written while it is being closed.
std::mutex g_lock;
int g_users = 0;
std::atomic<uint32_t> g_uiThread { 0 };
int g_wakeFd = -1;
std::atomic<bool> g_wakePending { false };

// What the loop sleeps on, user-interface thread only.
struct DriverLink {
    // The driver has input of its own (not offscreen or dummy).
    bool hasEvents = false;
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display = nullptr;
    // The request number up to which the loop has flushed the connection;
    // while Xlib issues no request, nothing can wait in its buffers that
    // the last flush or SDL's pump did not already take.
    unsigned long flushedRequest = 0;
#endif
    int fd = -1;
};
DriverLink g_driver;

bool DriverHasEvents()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver)
        return false;
    std::string_view name(driver);
    return name != "offscreen" && name != "dummy";
}

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
    const int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        std::fprintf(stderr, "platform: cannot make the loop's wake descriptor\n");
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "platform: cannot start SDL video: %s\n", SDL_GetError());
        close(wakeFd);
        return false;
    }
    g_wakeFd = wakeFd;
    g_wakePending = false;
    g_driver = DriverLink {};
    g_driver.hasEvents = DriverHasEvents();
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
    g_driver = DriverLink {};
    // Only the window layer's own share: audio may still be running. When
    // nothing else uses SDL, it is shut down entirely (which also closes
    // its bus connection for the input method).
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
    close(g_wakeFd);
    g_wakeFd = -1;
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
    if (g_users == 0) {
        g_wakePending = false;
        return;
    }
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(g_wakeFd, &one, sizeof one);
}

void SdlVideo::RearmWake() { g_wakePending = false; }

int SdlVideo::WakeFd() { return g_wakeFd; }

void SdlVideo::TakeWake()
{
    uint64_t count = 0;
    [[maybe_unused]] ssize_t n = read(g_wakeFd, &count, sizeof count);
}

void SdlVideo::NoteWindow(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    if (g_driver.display)
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 && info.info.x11.display) {
        g_driver.display = info.info.x11.display;
        g_driver.fd = ConnectionNumber(g_driver.display);
        // The first look before sleeping flushes.
        g_driver.flushedRequest = XNextRequest(g_driver.display) - 1;
    }
#else
    (void)window;
#endif
}

int SdlVideo::EventFd() { return g_driver.fd; }

bool SdlVideo::EventsNeedPolling() { return g_driver.hasEvents && g_driver.fd < 0; }

bool SdlVideo::EventsAlreadyRead()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display = g_driver.display;
    if (!display)
        return false;
    // A request since the last flush may still sit in Xlib's buffer, and one
    // that waited for a reply may have read events off the connection on
    // the way; the flush sends the one and queues the other.
    if (XNextRequest(display) != g_driver.flushedRequest) {
        XFlush(display);
        g_driver.flushedRequest = XNextRequest(display);
    }
    return XEventsQueued(display, QueuedAlready) > 0;
#else
    return false;
#endif
}

} // namespace platform
