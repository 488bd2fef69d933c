#pragma once
// The paint module with its layers: the background (cleared and painted on
// by DrawImage), the composition layer (objects are drawn here) and the
// finished frame (only dirty rectangles are copied into it), plus the frame
// converted to the screen's depth. Everything is composed in software by
// DrawPicture. Handing the converted frame to the window is the window
// layer's part; until then the frame is a buffer callers can read.

#include "engine/core/PictureData.h"
#include "engine/core/RenderList.h"
#include "engine/modules/DrawSurface.h"
#include "engine/modules/PaintModule.h"

#include <cstdint>
#include <vector>

namespace engine {

class GdiPaintModule : public PaintModule {
public:
    GdiPaintModule() = default;
    ~GdiPaintModule() override = default;

    // ModuleBase.
    int Init() override;
    void Shutdown() override;
    // MODMSG_PAINT_RENDER takes the RenderList (and frees it);
    // MODMSG_PAINT_PRESENT presents; MODMSG_PAINT_FREE_IMAGE frees and
    // deletes the PictureData. 0 in every case.
    int OnMessage(int msg, MessageWord data, MessageWord extra) override;

    // New layers of the size, zeroed; nothing when the size is unchanged.
    virtual void Resize(int width, int height);
    // Composes the list's dirty rectangles into the finished frame and
    // converts it; takes ownership of the list and frees it.
    virtual void RenderDirty(std::unique_ptr<RenderList> list);
    virtual void DrawObject(const DrawItem& item, PictureRef* picture);
    virtual void DrawImage(const PictureDesc& desc, int x, int y, int width, int height, double angle);
    // Every background pixel becomes the colour (0x00BBGGRR), opaque.
    virtual void Clear(uint32_t colour);
    // The background layer; its fourth field carries the depth in bits.
    virtual DrawSurface GetSurface();
    // Frees what the record holds (the record itself stays).
    virtual void FreePicture(PictureData* record);
    virtual void DrawSprite(const DrawItem& item, PictureRef* picture);
    // Shows the converted frame; the window layer takes this over.
    virtual void Present(void* context);
    // Converts the finished frame to the colour depth: 1 when converted; a
    // depth other than 32, 24 or 16 sends NOTE_BAD_COLOUR_DEPTH and returns
    // what the send returns.
    virtual int ConvertAndBlit();

    // The request a draw item becomes (all other fields 0).
    DrawRequest BuildDrawRequest(const DrawItem& item) const;

    // Read access for the window layer and tests: pixels as 0xAARRGGBB
    // words, width x height.
    const std::vector<uint32_t>& Background() const { return m_background; }
    const std::vector<uint32_t>& Composition() const { return m_composition; }
    const std::vector<uint32_t>& FinishedFrame() const { return m_finished; }
    // The frame at the screen's depth: width x height x depth / 8 bytes.
    const uint8_t* ScreenFrame() const;
    size_t ScreenFrameBytes() const;
    // The rectangles of the last pass after clamping (what would be
    // invalidated on the window).
    const std::vector<Rect>& LastInvalidated() const { return m_invalidated; }

private:
    // Clamps the rectangle to the layers in place and copies its rows.
    void CopyDirtyRect(Rect& r, const std::vector<uint32_t>& from, std::vector<uint32_t>& to) const;
    void FreeLayers();
    DrawSurface SurfaceOf(std::vector<uint32_t>& layer);

    std::vector<uint32_t> m_background;
    std::vector<uint32_t> m_composition;
    std::vector<uint32_t> m_finished;
    std::vector<uint8_t> m_screen; // only when the depth is not 32
    std::vector<Rect> m_invalidated;
};

} // namespace engine
