#include "platform/KeyState.h"

#include <SDL.h>

namespace platform {

bool IsControlDown()
{
    return (SDL_GetModState() & KMOD_CTRL) != 0;
}

} // namespace platform
