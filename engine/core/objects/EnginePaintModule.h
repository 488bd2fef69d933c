#pragma once
// The paint module as the host window loads it: GdiPaintModule's layers and
// composing, the picture cache through which every picture of the engine is
// looked up, and the window the finished frame is presented to.

#include "engine/modules/GdiPaintModule.h"
#include "engine/modules/PictureCache.h"
#include "engine/modules/PictureSource.h"

#include <string_view>

namespace platform {
class Window;
}

namespace engine {

class EnginePaintModule : public GdiPaintModule, public PictureSource {
public:
    // window: where frames are presented (not owned; null draws into the
    // back buffer only).
    explicit EnginePaintModule(platform::Window* window = nullptr);
    ~EnginePaintModule() override;

    int Init() override;
    void Shutdown() override;

    // Frame f of the picture name (without ".imge"), decoded and cached on
    // first use; all zero when there is none.
    virtual void GetImageInfo(PictureDesc& out, std::string_view name, int frame);
    // Drops the cached picture of name (without ".imge").
    virtual void RemoveImage(std::string_view name);
    // Caches a copy of the descriptor's record under name.
    virtual void AddImage(const PictureDesc& desc, std::string_view name);
    PictureCache& Cache() { return m_cache; }

    // PictureSource.
    int RevalidatePicture(PictureRef& picture) override;

    // Composes, then asks the window for a paint when anything changed.
    void RenderDirty(std::unique_ptr<RenderList> list) override;
    // Copies the finished frame to the window.
    void Present(void* context) override;
    void SetWindow(platform::Window* window) { m_window = window; }

private:
    PictureCache m_cache;
    platform::Window* m_window; // not owned
};

} // namespace engine
