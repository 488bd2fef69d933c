#pragma once
// What the visual-check programs share: letting the engine run, saving the
// paint module's finished frame as a PNG, and checking that a saved frame
// is there, of the right size and not blank. Header-only, for the programs
// that link the engine and SDL2_image.

#include "engine/modules/GdiPaintModule.h"
#include "platform/MessageLoop.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

namespace tools {

// Runs the thread's message loop (and so the engine's frames) for ms.
inline void PumpFor(int ms)
{
    const uint32_t start = SDL_GetTicks();
    while (SDL_GetTicks() - start < static_cast<uint32_t>(ms))
        platform::MessageLoop::PumpOnce(5);
}

inline bool SaveFramePng(const engine::GdiPaintModule& paint, const char* path)
{
    std::vector<uint32_t> pixels = paint.FinishedFrame();
    for (uint32_t& p : pixels)
        p |= 0xff000000u; // the frame is shown opaque
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), paint.GetWidth(), paint.GetHeight(), 32,
        paint.GetWidth() * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return false;
    const bool ok = IMG_SavePNG(surface, path) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

// The file reads back at width x height with at least 32 colours; program
// names the caller in its messages.
inline bool CheckFramePng(const char* program, const char* path, int width, int height)
{
    SDL_Surface* loaded = IMG_Load(path);
    if (!loaded) {
        std::fprintf(stderr, "%s: %s was not written or cannot be read\n", program, path);
        return false;
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!rgba)
        return false;
    std::set<uint32_t> colours;
    const auto* rows = static_cast<const uint8_t*>(rgba->pixels);
    for (int y = 0; y < rgba->h; ++y)
        for (int x = 0; x < rgba->w; ++x) {
            uint32_t p;
            std::memcpy(&p, rows + static_cast<size_t>(y) * rgba->pitch + static_cast<size_t>(x) * 4, 4);
            colours.insert(p);
        }
    const bool sized = rgba->w == width && rgba->h == height;
    SDL_FreeSurface(rgba);
    std::printf("%s: %zu colours\n", program, colours.size());
    if (!sized || colours.size() < 32) {
        std::fprintf(stderr, "%s: the picture is blank or of the wrong size\n", program);
        return false;
    }
    return true;
}

} // namespace tools
