#pragma once
// The engine host window as the tests, the benchmarks and the visual-check
// programs use it: the real window with all engine modules, the modules
// they reach for, and pictures drawn in code filed in the paint module's
// cache. Each user creates and starts it its own way (a test skips without
// a video driver, a visual check says which step failed), so this class
// only adds to the window what they share.

#include "engine/core/PictureData.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "tools/pack/PackWriter.h"

#include <cstdint>
#include <string_view>

namespace engine {
class DrawingObjectModule;
class EnginePaintModule;
class InputModule;
} // namespace engine

namespace tools {

// A window message at the client point (x, y) as the window system
// delivers it to a host window; no frame is run.
void InjectWindowInput(engine::COrbitVaneWnd& window, uint32_t message, int x, int y, uint32_t key = 0);

class TestHost : public engine::COrbitVaneWnd {
public:
    // SDL's offscreen video and dummy audio drivers unless the environment
    // names others: for runs that need no display. Call before Create.
    static void PreferHeadlessDrivers();

    // The engine's modules once Init has loaded them; null before.
    engine::EnginePaintModule* Paint();
    engine::DrawingObjectModule* Objects();
    engine::InputModule* Input();

    // A picture of `frames` frames of width x height, one below the other,
    // drawn by draw(frame, x, y) giving 0xAARRGGBB and filed in the paint
    // module's cache under the name. With more than one frame and a delay,
    // every frame shows for delayMs; with a delay of 0 the frames carry no
    // delays and only change when told to. Returns the cached picture (its
    // record belongs to the cache). Needs Init first.
    template <typename Draw>
    engine::PictureDesc AddPicture(std::string_view name, int width, int height, int frames, uint32_t delayMs,
        Draw draw)
    {
        return AddPicture(name, DrawPicture(width, height, frames, draw), delayMs);
    }
    engine::PictureDesc AddPicture(std::string_view name, engine::PictureData picture, uint32_t delayMs);

    // A window message at the client point (x, y) as the window system
    // delivers it to the host; no frame is run.
    void InjectInput(uint32_t message, int x, int y, uint32_t key = 0);
};

} // namespace tools
