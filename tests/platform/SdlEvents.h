#pragma once
// Input as the window system delivers it: SDL events pushed onto SDL's
// queue for one window, for tests that go the whole way from the window
// through the message loop.

#include <SDL.h>

#include <cstdint>

namespace sdltest {

inline void PushMouseMotion(uint32_t window, int x, int y, uint32_t buttons = 0)
{
    SDL_Event e {};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = window;
    e.motion.state = buttons;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

inline void PushMouseButton(uint32_t window, bool down, uint8_t button, int x, int y)
{
    SDL_Event e {};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = window;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

} // namespace sdltest
