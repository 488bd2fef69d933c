#include "platform/Screen.h"

#include "platform/SdlVideo.h"

#include <SDL.h>

namespace platform {

ScreenSize PrimaryScreenSize()
{
    if (!SdlVideo::Acquire())
        return kFallbackScreenSize;
    ScreenSize size = kFallbackScreenSize;
    SDL_DisplayMode mode {};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0)
        size = ScreenSize { mode.w, mode.h };
    SdlVideo::Release();
    return size;
}

} // namespace platform
