#pragma once
// An engine object with a 32-bit pixel buffer of its own (bytes blue, green,
// red, alpha) and drawing primitives on it: fills, pixels, lines,
// rectangles, borders, tints, blits of pictures through the rasteriser and
// text through the shared text renderer. Every engine-drawn panel, label
// and text box is a canvas.
//
// Colours are 0x00BBGGRR. Drawing becomes visible after Invalidate, which
// the operations that say so do themselves. User-interface thread only.

#include "engine/text/TextStyle.h"
#include "engine/core/EngineObject.h"
#include "engine/core/PictureRef.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

class TextRenderer;

class CanvasObject : public EngineObject {
public:
    CanvasObject() = default;
    ~CanvasObject() override;

    int GetKind() const override;
    PictureRef* GetPicture() override { return &m_picture; }

    // Set-up. renderer: the object module's shared renderer (not owned;
    // null draws and measures no text).
    virtual void Create(int width, int height, uint32_t background, TextRenderer* renderer);
    // The pixel of a colour: alpha 255, or 0 when the colour is the key.
    static uint32_t MakePixel(uint32_t colour, uint32_t key);

    // Pixels.
    virtual void ClearRect(int x0, int y0, int x1, int y1);
    virtual void Clear();
    virtual void SetPixel(int x, int y, uint32_t colour);
    virtual void SetPixelAlpha(int x, int y, double alpha);
    virtual void DrawBorder(uint32_t colour, int thickness);
    virtual void DrawDottedBorder(uint32_t colour);
    virtual void DrawLine(int x0, int y0, int x1, int y1);
    virtual void DrawRect(int x0, int y0, int x1, int y1, bool filled);
    virtual void DrawDottedRect(int x0, int y0, int x1, int y1);
    // The picture into the box (x, y, width, height), turned by angle: a
    // width of 0 means the buffer's, below 0 the picture's (heights alike).
    virtual void BlitPicture(const PictureDesc& desc, int x, int y, int width, int height, double angle,
        double opacity);
    virtual void DrawVertical3(const PictureDesc& top, const PictureDesc& middle, const PictureDesc& bottom);
    virtual void DrawVerticalStretch(PictureDesc desc);
    virtual void DrawHorizontalStretch(PictureDesc desc);
    virtual void InvertRect(int x0, int y0, int x1, int y1);
    virtual void FitToText(std::string_view text, int width);
    // Resamples the buffer to the size (nothing when either is below 1);
    // the object's own size is left to the caller.
    virtual void ResizeBuffer(int width, int height);
    virtual void KeyOutColour();
    virtual void Tint(uint32_t colour, double amount);
    virtual void MaskByPicture(const PictureDesc& desc);
    virtual void Darken();
    virtual void SetBackground(uint32_t colour) { m_background = colour; }
    virtual void SetMatteColour(uint32_t colour) { m_picture.SetMatteColour(colour); }
    virtual void SetColourKey(uint32_t colour);

    // Text.
    virtual void SetPen(uint32_t colour, double alpha);
    virtual void SetFont(int size, int weight, std::string_view face);
    virtual void SetTextSpacing(int charSpacing, int rowSpacing);
    virtual void SetItalic(int flag) { m_style.italic = flag; }
    virtual void SetUnderline(int flag) { m_style.underline = flag; }
    virtual void SetTextMargins(int left, int right);
    virtual void SetTextStyle(const TextStyle& style) { m_style = style; }
    virtual void DrawText(int x, int y, std::string_view text);
    virtual void DrawTextCentred(int cx, int cy, std::string_view text);
    // Lines centred between the margins from y down; the last line that
    // fits ends in dots when text remains.
    virtual void DrawWrappedText(const char* text, int y);
    // The text (cut to 255 bytes on a character boundary) fitted to the
    // buffer: the style's size, spacings and margin are chosen for it.
    virtual void DrawFittedText(std::string_view text, int forcedSize, int paddingX, int paddingY);

    // Queries.
    virtual uint32_t GetPenColour() const { return m_style.colour; }
    // The height the text takes laid out in the width.
    virtual int MeasureText(std::string_view text, int width);
    virtual uint32_t GetColourKey() const;
    virtual uint32_t GetBackground() const { return m_background; }
    virtual uint32_t GetMatteColour() const { return m_picture.GetMatteColour(); }
    // Coordinates must lie inside the buffer.
    virtual uint32_t GetPixel(int x, int y) const;
    virtual uint8_t GetPixelAlpha(int x, int y) const;
    virtual int GetBufferWidth() const { return m_picture.GetWidth(); }
    virtual int GetBufferHeight() const { return m_picture.GetHeight(); }
    virtual PictureDesc* GetPictureDesc(PictureDesc* out) const;
    virtual uint8_t* GetPixels();
    virtual TextStyle* GetTextStyle(TextStyle* out) const;
    const TextStyle& Style() const { return m_style; }
    TextRenderer* Renderer() const { return m_renderer; }

private:
    void MakeRecord(int width, int height, std::vector<uint8_t> pixels);
    void MarkChanged() { m_picture.MarkChanged(); }
    uint8_t* PixelAt(int x, int y);
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_bufferWidth && y < m_bufferHeight; }
    // The inclusive rectangle of two corners in any order, cut to the
    // buffer; false when nothing is left.
    bool ClipCorners(int& x0, int& y0, int& x1, int& y1) const;

    PictureRef m_picture;
    // The record the handle shows; it holds the pixel buffer.
    std::unique_ptr<PictureData> m_record;
    int m_bufferWidth = 0;
    int m_bufferHeight = 0;
    TextStyle m_style;
    TextRenderer* m_renderer = nullptr; // not owned
    uint32_t m_background = kNoColourKey;
};

} // namespace engine
