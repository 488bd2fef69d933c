#pragma once
// What the visual-check programs share beyond the test host: their command
// line, opening and showing the host window, pictures drawn in code,
// letting the engine run, saving the paint module's finished frame as a
// PNG, and checking that a saved frame is there, of the right size and not
// blank. Header-only, for the programs that link the test host and
// SDL2_image.

#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "platform/MessageLoop.h"
#include "tools/testhost/TestHost.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// The root object the programs hang their scene on.
class ShotRoot : public engine::RectObject { };

// Registers a new object of type T under root and returns it.
template <typename T>
T* Register(engine::GameObject& root)
{
    return static_cast<T*>(root.RegisterObject(std::make_unique<T>()));
}

// "program [--check] <out.png>"; false (with the usage written) when no
// output file is named.
struct ShotArgs {
    bool check = false;
    const char* out = nullptr;
};

inline bool ParseShotArgs(const char* program, int argc, char** argv, ShotArgs& args)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0)
            args.check = true;
        else
            args.out = argv[i];
    }
    if (!args.out)
        std::fprintf(stderr, "usage: %s [--check] <out.png>\n", program);
    return args.out != nullptr;
}

// The output path with suffix put before its extension ("shot.png" and
// "-2" give "shot-2.png"), for programs that save several pictures.
inline std::string SuffixedPath(std::string path, std::string_view suffix)
{
    const size_t dot = path.rfind('.');
    path.insert(dot == std::string::npos ? path.size() : dot, suffix);
    return path;
}

// Creates, starts and shows the host window with root; its paint module,
// or null with a message when any step fails.
inline engine::EnginePaintModule* OpenShotWindow(const char* program, TestHost& host, std::string_view title,
    int width, int height, std::unique_ptr<engine::RectObject> root)
{
    if (!host.Create(title, width, height)) {
        std::fprintf(stderr, "%s: no window (%s)\n", program, SDL_GetError());
        return nullptr;
    }
    if (!host.Init(std::move(root))) {
        std::fprintf(stderr, "%s: the frame timer did not start\n", program);
        return nullptr;
    }
    host.GetWindow().Show(platform::ShowCommand::kShow);
    engine::EnginePaintModule* paint = host.Paint();
    if (!paint)
        std::fprintf(stderr, "%s: no paint module\n", program);
    return paint;
}

inline uint32_t Bgra(int r, int g, int b, int a = 255)
{
    return static_cast<uint32_t>(b) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(r) << 16
        | static_cast<uint32_t>(a) << 24;
}

using Shade = uint32_t (*)(int x, int y, int w, int h, int frame);

// Frames of an animated picture show this long each.
inline constexpr uint32_t kShotFrameDelayMs = 150;

// A picture of one or more frames (one below the other) built in memory and
// filed in the paint module's cache.
inline engine::PictureDesc AddPicture(TestHost& host, const char* name, int w, int h, Shade shade, int frames = 1)
{
    return host.AddPicture(name, w, h, frames, kShotFrameDelayMs,
        [&](int frame, int x, int y) { return shade(x, y, w, h, frame); });
}

// The green table felt behind every scene.
inline uint32_t Felt(int x, int y, int w, int h, int)
{
    const int d = (x * 40 / w) + (y * 30 / h);
    return Bgra(10, 70 + d, 40 + d / 2);
}

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
