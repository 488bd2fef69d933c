#include "engine/objects/EnginePaintModule.h"

#include "platform/Window.h"

namespace engine {

EnginePaintModule::EnginePaintModule(platform::Window* window)
    : m_window(window)
{
}

void EnginePaintModule::RenderDirty(std::unique_ptr<RenderList> list)
{
    GdiPaintModule::RenderDirty(std::move(list));
    if (m_window && !LastInvalidated().empty())
        m_window->Invalidate();
}

void EnginePaintModule::Present(void*)
{
    if (!m_window || GetWidth() <= 0 || GetHeight() <= 0)
        return;
    const auto& frame = FinishedFrame();
    m_window->Present(reinterpret_cast<const uint8_t*>(frame.data()), GetWidth(), GetHeight(), GetWidth() * 4);
}

} // namespace engine
