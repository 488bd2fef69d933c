#pragma once
// The picture handle that sprites and canvases hold: one PictureDesc and the
// operations over the record it names. The record is borrowed (the picture
// cache or the canvas owns it); a descriptor whose serial differs from its
// record's is stale.

#include "engine/core/PictureData.h"
#include "engine/core/PictureHandle.h"

#include <cstdint>

namespace engine {

class PictureRef : public PictureHandle {
public:
    PictureRef() = default;

    bool IsNull() const override { return false; }
    // Whether pixel (x, y) of the shown part is opaque; false outside it.
    bool HitTestPixel(int x, int y) const override;
    int GetWidth() const override { return m_desc.width; }
    int GetHeight() const override { return m_desc.height; }
    // The descriptor's serial matches its record's (false without a record).
    bool IsValid() const override;

    void SetDesc(const PictureDesc& desc) { m_desc = desc; }
    PictureDesc GetDesc() const { return m_desc; }
    PictureData* GetData() const { return m_desc.record; }
    void SetData(PictureData* record) { m_desc.record = record; }
    void MarkChanged();
    void ClearChanged();
    uint32_t GetColourKey() const;
    int GetSourceX() const { return m_desc.sourceX; }
    int GetSourceY() const { return m_desc.sourceY; }
    // Delay of frame (index mod frame count); 0 without delays.
    uint32_t GetFrameDelay(int frame) const;
    uint32_t GetTotalDuration() const;
    int GetFrame() const { return m_desc.frame; }
    uint32_t GetMatteColour() const { return m_desc.matteColour; }
    int GetCapWidth() const;
    int GetCapHeight() const;
    // Colour 0x00BBGGRR and alpha of pixel (x, y) of the shown frame, counted
    // from the frame's top-left corner; 0 for a pixel outside the frame.
    uint32_t GetPixel(int x, int y) const;
    int GetAlpha(int x, int y) const;
    int GetFrameCount() const;
    NameKey GetKey() const { return m_desc.key; }
    uint32_t GetSerial() const { return m_desc.serial; }
    void SetSize(int width, int height);
    // Shows frame (i mod frame count), marking the record changed when the
    // frame differs; returns the new frame's delay. Nothing for pictures of
    // fewer than two frames.
    uint32_t SetFrame(int i);
    // Shows the frame reached after ms of playing from frame start; returns
    // start when nothing changed, else SetFrame's result.
    int SetFrameByTime(uint32_t ms, int start);
    // Advances one frame (wrapping) without marking the record changed.
    uint32_t NextFrame();
    void SetMatteColour(uint32_t colour) { m_desc.matteColour = colour; }
    // Frame time of the picture cache's last attempt to repair this stale
    // handle; it tries at most once a second.
    uint32_t GetLastCheck() const { return m_lastCheck; }
    void SetLastCheck(uint32_t time) { m_lastCheck = time; }

private:
    bool HasDelays() const;

    PictureDesc m_desc;
    uint32_t m_lastCheck = 0;
};

} // namespace engine
