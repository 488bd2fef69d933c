#include "engine/controls/widgets/ImageFont.h"

#include "engine/objects/CanvasObject.h"
#include "platform/Gbk.h"

namespace engine {

namespace {

struct Character {
    uint32_t code = 0;
    size_t bytes = 1;
    bool wide = false;
};

// The character at pos. A lead byte at the very end stands alone with a
// second byte of 0: nothing past the text is read.
Character CharacterAt(std::string_view text, size_t pos)
{
    const auto first = static_cast<uint8_t>(text[pos]);
    if (!platform::Gbk::IsLeadByte(first))
        return Character { first, 1, false };
    const uint32_t second = pos + 1 < text.size() ? static_cast<uint8_t>(text[pos + 1]) : 0;
    return Character { first * 256u + second, pos + 1 < text.size() ? 2u : 1u, true };
}

} // namespace

void ImageFont::Create(int cellWidth, int cellHeight, uint32_t flags)
{
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    m_flags = flags;
    m_canvas = CreateCanvas(cellWidth, cellHeight, kNoColourKey);
    if (m_canvas)
        Bind(m_canvas, LINK_STANDARD);
}

void ImageFont::AddGlyph(std::string_view character, const PictureDesc& picture)
{
    if (character.empty())
        return;
    const auto first = static_cast<uint8_t>(character[0]);
    const uint32_t code = character.size() >= 2 ? (first << 8) | static_cast<uint8_t>(character[1]) : first;
    m_glyphs[code] = picture;
}

void ImageFont::AddGlyphs(std::string_view characters, std::string_view pictureName)
{
    PictureDesc first;
    LookupPicture(&first, pictureName, 0);
    if (!first.record)
        return;
    const int frames = first.record->frameCount;
    int i = 0;
    for (size_t pos = 0; pos < characters.size() && i < frames; ++i) {
        const Character c = CharacterAt(characters, pos);
        PictureDesc glyph;
        LookupPicture(&glyph, pictureName, i);
        if (!c.wide && !(m_flags & kFontProportional))
            glyph.width /= 2; // the left half of the frame
        AddGlyph(characters.substr(pos, c.bytes), glyph);
        pos += c.bytes;
    }
}

const PictureDesc* ImageFont::FindGlyph(uint32_t code) const
{
    const auto it = m_glyphs.find(code);
    return it == m_glyphs.end() ? nullptr : &it->second;
}

int ImageFont::MeasureWidth(std::string_view text) const
{
    const bool proportional = m_flags & kFontProportional;
    int width = 0;
    for (size_t pos = 0; pos < text.size();) {
        const Character c = CharacterAt(text, pos);
        pos += c.bytes;
        const bool more = pos < text.size();
        if (proportional) {
            const PictureDesc* glyph = FindGlyph(c.code);
            width += glyph ? glyph->width : (c.wide ? m_cellWidth : m_cellWidth / 2);
            if (more)
                width += m_spacing;
        } else if (c.wide) {
            width += m_cellWidth + (more ? m_spacing : 0);
        } else {
            width += m_cellWidth / 2 + (more ? m_spacing / 2 : 0);
        }
    }
    return width;
}

void ImageFont::SetText(std::string_view text)
{
    if (!m_canvas)
        return;
    const int width = MeasureWidth(text);
    m_canvas->ResizeBuffer(width, m_cellHeight);
    m_canvas->ScaleTo(width, m_cellHeight);
    m_canvas->Clear();
    DrawText(*m_canvas, 0, 0, text, kDrawFromLeft);
    Realign();
}

void ImageFont::DrawText(CanvasObject& canvas, double x, double y, std::string_view text, uint32_t alignment)
{
    const bool proportional = m_flags & kFontProportional;
    const int n = static_cast<int>(text.size());
    if (!(alignment & kDrawFromLeft)) {
        if (alignment & kDrawFromCentre)
            x -= (m_cellWidth + m_spacing) * n / 4;
        else
            x -= (m_cellWidth + m_spacing) * n / 2;
    }
    for (size_t pos = 0; pos < text.size();) {
        const Character c = CharacterAt(text, pos);
        pos += c.bytes;
        const PictureDesc* glyph = FindGlyph(c.code);
        if (proportional) {
            if (glyph) {
                canvas.BlitPicture(*glyph, static_cast<int>(x),
                    static_cast<int>(y + m_cellHeight / 2 - glyph->height / 2), glyph->width, glyph->height, 0.0,
                    1.0);
                x += glyph->width + m_spacing;
            } else if (c.wide) {
                x += m_cellWidth + m_spacing;
            } else {
                x += m_cellWidth / 2 + m_spacing / 2;
            }
        } else if (c.wide) {
            if (glyph)
                canvas.BlitPicture(*glyph, static_cast<int>(x), static_cast<int>(y), m_cellWidth, m_cellHeight, 0.0,
                    1.0);
            x += m_cellWidth + m_spacing;
        } else {
            if (glyph)
                canvas.BlitPicture(*glyph, static_cast<int>(x), static_cast<int>(y), m_cellWidth / 2, m_cellHeight,
                    0.0, 1.0);
            x += m_cellWidth / 2 + m_spacing / 2;
        }
    }
    canvas.Invalidate();
}

void ImageFont::Realign()
{
    if (!m_canvas)
        return;
    // The anchor is this object's own centre; GetX and GetY would report
    // the canvas.
    const double ax = EngineObject::GetX();
    const double ay = EngineObject::GetY();
    const double half = m_canvas->GetWidth() / 2;
    if (m_flags & kFontAlignLeft)
        m_canvas->MoveTo(ax + half, ay);
    else if (m_flags & kFontAlignRight)
        m_canvas->MoveTo(ax - half, ay);
    else
        m_canvas->MoveTo(ax, ay);
    m_canvas->Invalidate();
}

void ImageFont::MoveBy(double dx, double dy)
{
    BoundObject::MoveBy(dx, dy);
    Realign();
}

} // namespace engine
