#include "engine/modules/GdiPaintModule.h"

#include "engine/core/EngineRunLog.h"
#include "engine/core/GameCore.h"
#include "engine/core/Geometry.h"
#include "engine/modules/Blitters.h"
#include "engine/modules/Rasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {

int GdiPaintModule::Init()
{
    int result = PaintModule::Init();
    if (result)
        LogPrintf("GDI PaintModule Load!");
    if (GameCore* core = GetCore())
        core->SetIntProperty(PROP_PAINT_READY, 1);
    return result;
}

void GdiPaintModule::Shutdown()
{
    FreeLayers();
    PaintModule::Shutdown();
}

int GdiPaintModule::OnMessage(int msg, MessageWord data, MessageWord)
{
    switch (msg) {
    case MODMSG_PAINT_RENDER:
        RenderDirty(std::unique_ptr<RenderList>(FromWord<RenderList>(data)));
        break;
    case MODMSG_PAINT_PRESENT:
        Present(FromWord<void>(data));
        break;
    case MODMSG_PAINT_FREE_IMAGE: {
        PictureData* record = FromWord<PictureData>(data);
        FreePicture(record);
        delete record;
        break;
    }
    default:
        break;
    }
    return 0;
}

void GdiPaintModule::FreeLayers()
{
    m_background = {};
    m_composition = {};
    m_finished = {};
    m_screen = {};
}

void GdiPaintModule::Resize(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    m_width = width;
    m_height = height;
    FreeLayers();
    const size_t pixels = static_cast<size_t>(width) * height;
    m_background.assign(pixels, 0);
    m_composition.assign(pixels, 0);
    m_finished.assign(pixels, 0);
    if (m_colourDepth != 32 && m_colourDepth > 0)
        m_screen.assign(pixels * static_cast<size_t>(m_colourDepth / 8), 0);
}

void GdiPaintModule::CopyDirtyRect(Rect& r, const std::vector<uint32_t>& from, std::vector<uint32_t>& to) const
{
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, m_width);
    r.bottom = std::min(r.bottom, m_height);
    r.left = std::min(r.left, r.right);
    r.top = std::min(r.top, r.bottom);
    const size_t count = static_cast<size_t>(r.right - r.left);
    if (count == 0)
        return;
    for (int y = r.top; y < r.bottom; ++y) {
        const size_t at = static_cast<size_t>(y) * m_width + r.left;
        std::memcpy(to.data() + at, from.data() + at, count * 4);
    }
}

void GdiPaintModule::RenderDirty(std::unique_ptr<RenderList> list)
{
    if (!list)
        return;
    m_viewCentreX = list->viewCentreX;
    m_viewCentreY = list->viewCentreY;
    for (Rect& r : list->rects)
        CopyDirtyRect(r, m_background, m_composition);
    for (const DrawItem* item = list->first; item; item = item->next)
        DrawObject(*item, item->picture);
    for (Rect& r : list->rects)
        CopyDirtyRect(r, m_composition, m_finished);
    ConvertAndBlit();
    m_invalidated = list->rects;
    FreeRenderList(std::move(list));
}

void GdiPaintModule::DrawObject(const DrawItem& item, PictureRef* picture)
{
    if (!picture)
        return;
    if (!picture->IsValid() && RevalidatePicture(*picture) == 0)
        return;
    if (!picture->IsNull())
        DrawSprite(item, picture);
}

DrawSurface GdiPaintModule::SurfaceOf(std::vector<uint32_t>& layer)
{
    return DrawSurface { reinterpret_cast<uint8_t*>(layer.data()), m_width, m_height, m_colourDepth / 8, kNoColourKey };
}

DrawRequest GdiPaintModule::BuildDrawRequest(const DrawItem& item) const
{
    const ObjectGeometry& g = item.geometry;
    DrawRequest r;
    r.angle = g.angle;
    r.centreX = TruncToInt(g.x - m_viewCentreX + m_width / 2);
    r.centreY = TruncToInt(g.y - m_viewCentreY + m_height / 2);
    r.objectX = TruncToInt(g.x);
    r.objectY = TruncToInt(g.y);
    r.width = TruncToInt(g.width);
    r.height = TruncToInt(g.height);
    if (g.width > 0 && g.height > 0)
        r.radius = TruncToInt(std::sqrt((g.width / 2) * (g.width / 2) + (g.height / 2) * (g.height / 2)));
    r.flags = g.flags;
    r.clip = g.hitRect;
    return r;
}

void GdiPaintModule::DrawSprite(const DrawItem& item, PictureRef* picture)
{
    if (m_composition.empty())
        return;
    const PictureDesc desc = picture->GetDesc();
    if (!desc.record)
        return;
    DrawSurface surface = SurfaceOf(m_composition);
    DrawRequest request = BuildDrawRequest(item);
    const long long sourceY = desc.sourceY + static_cast<long long>(desc.frame) * desc.record->frameHeight;
    if (sourceY < 0 || sourceY > INT32_MAX)
        return;
    DrawPicture(surface, request, *desc.record, desc.sourceX, static_cast<int>(sourceY), desc.width, desc.height,
        item.geometry.opacity, desc.matteColour);
}

void GdiPaintModule::DrawImage(const PictureDesc& desc, int x, int y, int width, int height, double angle)
{
    if (!desc.record || m_background.empty())
        return;
    DrawSurface surface = SurfaceOf(m_background);
    DrawRequest request;
    request.angle = angle;
    request.centreX = static_cast<int>(std::clamp<long long>(x + static_cast<long long>(width) / 2, INT32_MIN, INT32_MAX));
    request.centreY = static_cast<int>(std::clamp<long long>(y + static_cast<long long>(height) / 2, INT32_MIN, INT32_MAX));
    request.width = width;
    request.height = height;
    const long long sourceY = desc.sourceY + static_cast<long long>(desc.frame) * desc.record->frameHeight;
    if (sourceY < 0 || sourceY > INT32_MAX)
        return;
    DrawPicture(surface, request, *desc.record, desc.sourceX, static_cast<int>(sourceY), desc.width, desc.height, 1.0,
        desc.matteColour);
}

void GdiPaintModule::Clear(uint32_t colour)
{
    const uint32_t red = colour & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = (colour >> 16) & 0xFF;
    std::fill(m_background.begin(), m_background.end(), 0xFF000000u | (red << 16) | (green << 8) | blue);
}

DrawSurface GdiPaintModule::GetSurface()
{
    DrawSurface s = SurfaceOf(m_background);
    s.bytesPerPixel = m_colourDepth;
    return s;
}

void GdiPaintModule::FreePicture(PictureData* record) { PictureCache::FreePicture(record); }

void GdiPaintModule::Present(void*) { }

int GdiPaintModule::ConvertAndBlit()
{
    const size_t count = m_finished.size();
    switch (m_colourDepth) {
    case 32:
        return 1;
    case 24: {
        m_screen.resize(count * 3);
        uint8_t* out = m_screen.data();
        for (size_t i = 0; i < count; ++i, out += 3) {
            const uint32_t v = m_finished[i];
            out[0] = static_cast<uint8_t>(v);
            out[1] = static_cast<uint8_t>(v >> 8);
            out[2] = static_cast<uint8_t>(v >> 16);
        }
        return 1;
    }
    case 16: {
        m_screen.resize(count * 2);
        uint8_t* out = m_screen.data();
        for (size_t i = 0; i < count; ++i, out += 2) {
            const uint32_t v = m_finished[i];
            const uint32_t blue = v & 0xFF;
            const uint32_t green = (v >> 8) & 0xFF;
            const uint32_t red = (v >> 16) & 0xFF;
            const uint16_t word = static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
            std::memcpy(out, &word, 2);
        }
        return 1;
    }
    default:
        return SendMessage(MODULE_NOTIFY_SINK, NOTE_BAD_COLOUR_DEPTH, 0, 0);
    }
}

const uint8_t* GdiPaintModule::ScreenFrame() const
{
    if (m_colourDepth == 32)
        return reinterpret_cast<const uint8_t*>(m_finished.data());
    return m_screen.data();
}

size_t GdiPaintModule::ScreenFrameBytes() const
{
    if (m_colourDepth == 32)
        return m_finished.size() * 4;
    return m_screen.size();
}

} // namespace engine
