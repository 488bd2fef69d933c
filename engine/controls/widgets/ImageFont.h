#pragma once
// Text drawn with pictures instead of a typeface: each character code maps
// to a glyph picture, and a string is composed into one canvas placed
// relative to the font object's own position (the anchor): beginning at
// it, ending at it or centred on it.
//
// Codes: a byte of 0x81-0xFE starts a double-byte (GBK) character whose
// code is first byte x 256 + second byte; any other byte is a single-byte
// character. In fixed mode a double-byte character takes a cell and a
// single-byte one half a cell; in proportional mode each glyph advances by
// its own width.

#include "engine/core/PictureData.h"
#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <map>
#include <string_view>

namespace engine {

class CanvasObject;

// ImageFont flags.
inline constexpr uint32_t kFontAlignLeft = 0x1;  // the text begins at the anchor
inline constexpr uint32_t kFontAlignRight = 0x4; // the text ends at the anchor
inline constexpr uint32_t kFontSuffix = 0x8;     // ImageNumber: the suffix is shown
inline constexpr uint32_t kFontProportional = 0x10;

// DrawText alignment: x is the left edge (1), the centre (2), or else the
// right edge of an estimate of the text's width.
inline constexpr uint32_t kDrawFromLeft = 0x1;
inline constexpr uint32_t kDrawFromCentre = 0x2;

class ImageFont : public BoundObject {
public:
    ImageFont() = default;
    ~ImageFont() override = default;

    // Moves as usual, then the canvas follows the anchor.
    void MoveBy(double dx, double dy) override;

    virtual void Create(int cellWidth, int cellHeight, uint32_t flags);
    // The glyph of the string's code (its first two bytes, or its one
    // byte), replacing an earlier one. An empty string adds nothing.
    virtual void AddGlyph(std::string_view character, const PictureDesc& picture);
    // Frame i of the named picture becomes the glyph of the i-th character.
    virtual void AddGlyphs(std::string_view characters, std::string_view pictureName);
    virtual void SetText(std::string_view text);
    virtual void DrawText(CanvasObject& canvas, double x, double y, std::string_view text, uint32_t alignment);
    virtual void Realign();
    // Takes effect at the next SetText.
    virtual void SetSpacing(int spacing) { m_spacing = spacing; }

    CanvasObject* GetCanvas() const { return m_canvas; }
    uint32_t GetFontFlags() const { return m_flags; }
    int GetCellWidth() const { return m_cellWidth; }
    int GetCellHeight() const { return m_cellHeight; }
    const PictureDesc* FindGlyph(uint32_t code) const;

protected:
    void SetFontFlags(uint32_t flags) { m_flags = flags; }
    // The width SetText gives the canvas for the text.
    int MeasureWidth(std::string_view text) const;

private:
    CanvasObject* m_canvas = nullptr; // not owned: the bound child
    std::map<uint32_t, PictureDesc> m_glyphs;
    uint32_t m_flags = 0;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_spacing = 0;
};

} // namespace engine
