#include "engine/objects/EnginePaintModule.h"

#include "platform/Window.h"

#include <algorithm>

namespace engine {

EnginePaintModule::EnginePaintModule(platform::Window* window)
    : m_window(window)
{
}

void EnginePaintModule::RenderDirty(std::unique_ptr<RenderList> list)
{
    GdiPaintModule::RenderDirty(std::move(list));
    if (!m_window)
        return;
    // The window shows again only the part of the frame this pass changed.
    bool any = false;
    platform::Rect changed;
    for (const Rect& r : LastInvalidated()) {
        if (r.right <= r.left || r.bottom <= r.top)
            continue;
        if (!any) {
            changed = platform::Rect { r.left, r.top, r.right, r.bottom };
            any = true;
            continue;
        }
        changed.left = std::min(changed.left, r.left);
        changed.top = std::min(changed.top, r.top);
        changed.right = std::max(changed.right, r.right);
        changed.bottom = std::max(changed.bottom, r.bottom);
    }
    if (any)
        m_window->Invalidate(changed);
}

void EnginePaintModule::Present(void* context)
{
    if (!m_window || GetWidth() <= 0 || GetHeight() <= 0)
        return;
    const auto& frame = FinishedFrame();
    const platform::Rect* area = nullptr;
    platform::Rect part;
    if (context) {
        const Rect& r = *static_cast<const Rect*>(context);
        part = platform::Rect { r.left, r.top, r.right, r.bottom };
        area = &part;
    }
    m_window->Present(reinterpret_cast<const uint8_t*>(frame.data()), GetWidth(), GetHeight(), GetWidth() * 4, area);
}

} // namespace engine
