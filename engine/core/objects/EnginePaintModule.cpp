#include "engine/core/objects/EnginePaintModule.h"

#include "platform/Window.h"

namespace engine {

EnginePaintModule::EnginePaintModule(platform::Window* window)
    : m_cache(*this)
    , m_window(window)
{
}

EnginePaintModule::~EnginePaintModule()
{
    m_cache.Clear();
}

int EnginePaintModule::Init()
{
    const int result = GdiPaintModule::Init();
    if (result)
        SetPictureSource(this);
    return result;
}

void EnginePaintModule::Shutdown()
{
    SetPictureSource(nullptr);
    m_cache.Clear();
    GdiPaintModule::Shutdown();
}

void EnginePaintModule::GetImageInfo(PictureDesc& out, std::string_view name, int frame)
{
    m_cache.GetImageInfo(out, name, frame);
}

void EnginePaintModule::RemoveImage(std::string_view name)
{
    m_cache.RemoveImage(name);
}

void EnginePaintModule::AddImage(const PictureDesc& desc, std::string_view name)
{
    m_cache.AddImage(desc, name);
}

int EnginePaintModule::RevalidatePicture(PictureRef& picture)
{
    return m_cache.RevalidatePicture(picture);
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
