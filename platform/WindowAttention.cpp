#include "platform/WindowAttention.h"

#include "platform/SdlVideo.h"

#include <SDL2/SDL.h>

#include <mutex>

namespace platform {

namespace {

// The application's main window is process-wide, as on the system this
// stands in for.
struct MainWindowName {
    WindowHandle handle = 0;
    uint32_t sdlId = 0; // SDL never reuses window ids
};

std::mutex g_mainLock;
MainWindowName g_main;

MainWindowName CurrentMain()
{
    std::lock_guard guard(g_mainLock);
    return g_main;
}

// The main window's SDL window, or null when there is none or the caller is
// not the user-interface thread.
SDL_Window* MainSdlWindow()
{
    MainWindowName main = CurrentMain();
    if (main.handle == 0 || !IsWindow(main.handle) || !SdlVideo::ActiveOnThisThread())
        return nullptr;
    return SDL_GetWindowFromID(main.sdlId);
}

} // namespace

void SetMainWindow(const Window* window)
{
    MainWindowName name;
    if (window && window->IsCreated()) {
        name.handle = window->Handle();
        name.sdlId = window->SdlWindowId();
    }
    std::lock_guard guard(g_mainLock);
    g_main = name;
}

WindowHandle MainWindowHandle()
{
    MainWindowName main = CurrentMain();
    return main.handle != 0 && IsWindow(main.handle) ? main.handle : 0;
}

bool MainWindowIsForeground()
{
    SDL_Window* window = MainSdlWindow();
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS);
}

bool FlashMainWindowCaption()
{
    SDL_Window* window = MainSdlWindow();
    if (!window)
        return false;
    // Drivers without a caption to flash answer "unsupported"; that is not
    // an error worth reporting.
    SDL_FlashWindow(window, SDL_FLASH_BRIEFLY);
    return true;
}

} // namespace platform
