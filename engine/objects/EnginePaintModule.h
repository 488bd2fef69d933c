#pragma once
// The paint module as the host window loads it: GdiPaintModule's layers,
// composing and picture cache, presenting the finished frame to the window.

#include "engine/modules/GdiPaintModule.h"

namespace platform {
class Window;
}

namespace engine {

class EnginePaintModule : public GdiPaintModule {
public:
    // window: where frames are presented (not owned; null draws into the
    // back buffer only).
    explicit EnginePaintModule(platform::Window* window = nullptr);
    ~EnginePaintModule() override = default;

    // Composes, then asks the window for a paint of the part that changed.
    void RenderDirty(std::unique_ptr<RenderList> list) override;
    // Copies the finished frame to the window: within the engine Rect that
    // context points to (client coordinates), or all of it when null.
    void Present(void* context) override;
    void SetWindow(platform::Window* window) { m_window = window; }

private:
    platform::Window* m_window; // not owned
};

} // namespace engine
