#include "engine/objects/CanvasObject.h"

#include "engine/text/FitCaption.h"
#include "engine/text/GbkCut.h"
#include "engine/text/TextRenderer.h"
#include "engine/objects/ObjectKinds.h"
#include "engine/modules/Blitters.h"
#include "engine/modules/Rasteriser.h"
#include "platform/Gbk.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace engine {

namespace {

// Draws with a shared renderer: its own style is put back afterwards.
class BorrowedStyle {
public:
    BorrowedStyle(TextRenderer& renderer, const TextStyle& style)
        : m_renderer(renderer)
    {
        m_renderer.GetStyle(m_saved);
        m_renderer.SetStyle(style);
    }
    ~BorrowedStyle() { m_renderer.SetStyle(m_saved); }
    BorrowedStyle(const BorrowedStyle&) = delete;
    BorrowedStyle& operator=(const BorrowedStyle&) = delete;

private:
    TextRenderer& m_renderer;
    TextStyle m_saved;
};

} // namespace

CanvasObject::~CanvasObject() = default;

int CanvasObject::GetKind() const
{
    return OBJKIND_CANVAS;
}

void CanvasObject::MakeRecord(int width, int height, std::vector<uint8_t> pixels)
{
    auto record = std::make_unique<PictureData>();
    record->serial = 1;
    record->frameWidth = static_cast<uint16_t>(width);
    record->frameHeight = static_cast<uint16_t>(height);
    record->pixels = std::move(pixels);
    record->colourKey = kNoColourKey;
    record->frameCount = 1;
    record->flags = kPictureColourKey | kPictureAlpha;
    record->framesPerRow = 1;

    PictureDesc desc = m_picture.GetDesc();
    desc.serial = 1;
    desc.record = record.get();
    desc.sourceX = 0;
    desc.sourceY = 0;
    desc.width = width;
    desc.height = height;
    desc.frame = 0;
    if (!m_record)
        desc.matteColour = kNoMatte;
    m_picture.SetDesc(desc);
    m_record = std::move(record);
    m_bufferWidth = width;
    m_bufferHeight = height;
}

void CanvasObject::Create(int width, int height, uint32_t background, TextRenderer* renderer)
{
    width = std::clamp(width, 0, 0xffff);
    height = std::clamp(height, 0, 0xffff);
    m_background = background;
    m_renderer = renderer;
    m_style = TextStyle {};
    m_style.colour = 0;
    m_style.size = height / 2;
    m_style.fullAdvance = m_style.size;
    m_style.weight = 400;
    m_style.wrap = 1;
    m_style.alpha = 255;
    MakeRecord(width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 0));
    ScaleTo(width, height);
    Clear();
    Invalidate();
}

uint32_t CanvasObject::MakePixel(uint32_t colour, uint32_t key)
{
    const uint32_t blue = (colour >> 16) & 0xff;
    const uint32_t green = (colour >> 8) & 0xff;
    const uint32_t red = colour & 0xff;
    const uint32_t alpha = colour == key ? 0 : 255;
    // Bytes blue, green, red, alpha in memory (little-endian word).
    return blue | green << 8 | red << 16 | alpha << 24;
}

uint8_t* CanvasObject::PixelAt(int x, int y)
{
    return m_record->pixels.data() + (static_cast<size_t>(y) * m_bufferWidth + x) * 4;
}

uint32_t CanvasObject::GetColourKey() const
{
    return m_record ? m_record->colourKey : kNoColourKey;
}

void CanvasObject::Clear()
{
    if (!m_record)
        return;
    const uint32_t key = GetColourKey();
    if (key == m_background) {
        std::fill(m_record->pixels.begin(), m_record->pixels.end(), 0);
    } else {
        const uint32_t pixel = MakePixel(m_background, key);
        for (size_t i = 0; i + 4 <= m_record->pixels.size(); i += 4)
            std::memcpy(m_record->pixels.data() + i, &pixel, 4);
    }
    MarkChanged();
}

void CanvasObject::ClearRect(int x0, int y0, int x1, int y1)
{
    if (!m_record)
        return;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, m_bufferWidth);
    y1 = std::min(y1, m_bufferHeight);
    const uint32_t pixel = MakePixel(m_background, GetColourKey());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            std::memcpy(PixelAt(x, y), &pixel, 4);
    MarkChanged();
}

void CanvasObject::SetPixel(int x, int y, uint32_t colour)
{
    if (!m_record || !Inside(x, y))
        return;
    const uint32_t pixel = MakePixel(colour, GetColourKey());
    std::memcpy(PixelAt(x, y), &pixel, 4);
}

void CanvasObject::SetPixelAlpha(int x, int y, double alpha)
{
    if (!m_record || !Inside(x, y))
        return;
    PixelAt(x, y)[3] = static_cast<uint8_t>(static_cast<int>(alpha * 255));
}

uint32_t CanvasObject::GetPixel(int x, int y) const
{
    const uint8_t* p = m_record->pixels.data() + (static_cast<size_t>(y) * m_bufferWidth + x) * 4;
    return static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[0]) << 16;
}

uint8_t CanvasObject::GetPixelAlpha(int x, int y) const
{
    return m_record->pixels[(static_cast<size_t>(y) * m_bufferWidth + x) * 4 + 3];
}

void CanvasObject::DrawBorder(uint32_t colour, int thickness)
{
    if (!m_record)
        return;
    for (int t = 0; t < thickness; ++t) {
        for (int x = 0; x < m_bufferWidth; ++x) {
            SetPixel(x, t, colour);
            SetPixel(x, m_bufferHeight - 1 - t, colour);
        }
        for (int y = 0; y < m_bufferHeight; ++y) {
            SetPixel(t, y, colour);
            SetPixel(m_bufferWidth - 1 - t, y, colour);
        }
    }
    MarkChanged();
}

void CanvasObject::DrawDottedBorder(uint32_t colour)
{
    if (!m_record)
        return;
    for (int x = 0; x < m_bufferWidth; x += 2) {
        SetPixel(x, 0, colour);
        SetPixel(x, m_bufferHeight - 1, colour);
    }
    for (int y = 0; y < m_bufferHeight; y += 2) {
        SetPixel(0, y, colour);
        SetPixel(m_bufferWidth - 1, y, colour);
    }
    MarkChanged();
}

void CanvasObject::DrawLine(int x0, int y0, int x1, int y1)
{
    if (!m_record)
        return;
    const uint32_t pen = m_style.colour;
    if (x0 == x1) {
        for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
            SetPixel(x0, y, pen);
    } else if (y0 == y1) {
        for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
            SetPixel(x, y0, pen);
    } else if (std::abs(y0 - y1) < std::abs(x0 - x1)) {
        if (x1 < x0) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        const double slope = static_cast<double>(y1 - y0) / (x1 - x0);
        for (int k = 0; k < x1 - x0; ++k)
            SetPixel(x0 + k, static_cast<int>(y0 + k * slope), pen);
    } else {
        if (y1 < y0) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        const double slope = static_cast<double>(x1 - x0) / (y1 - y0);
        for (int k = 0; k < y1 - y0; ++k)
            SetPixel(static_cast<int>(x0 + k * slope), y0 + k, pen);
    }
    MarkChanged();
    Invalidate();
}

bool CanvasObject::ClipCorners(int& x0, int& y0, int& x1, int& y1) const
{
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, m_bufferWidth - 1);
    y1 = std::min(y1, m_bufferHeight - 1);
    return x1 > x0 && y1 > y0;
}

void CanvasObject::DrawRect(int x0, int y0, int x1, int y1, bool filled)
{
    if (!m_record || !ClipCorners(x0, y0, x1, y1))
        return;
    const uint32_t pen = m_style.colour;
    for (int y = y0; y <= y1; ++y) {
        if (filled || y == y0 || y == y1) {
            for (int x = x0; x <= x1; ++x)
                SetPixel(x, y, pen);
        } else {
            SetPixel(x0, y, pen);
            SetPixel(x1, y, pen);
        }
    }
    MarkChanged();
    Invalidate();
}

void CanvasObject::DrawDottedRect(int x0, int y0, int x1, int y1)
{
    if (!m_record || !ClipCorners(x0, y0, x1, y1))
        return;
    const uint32_t pen = m_style.colour;
    for (int x = x0; x <= x1; x += 2) {
        SetPixel(x, y0, pen);
        SetPixel(x, y1, pen);
    }
    for (int y = y0; y <= y1; y += 2) {
        SetPixel(x0, y, pen);
        SetPixel(x1, y, pen);
    }
    MarkChanged();
    Invalidate();
}

void CanvasObject::InvertRect(int x0, int y0, int x1, int y1)
{
    if (!m_record || !ClipCorners(x0, y0, x1, y1))
        return;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            uint8_t* p = PixelAt(x, y);
            if (p[3] == 0)
                continue;
            p[0] = static_cast<uint8_t>(~p[0]);
            p[1] = static_cast<uint8_t>(~p[1]);
            p[2] = static_cast<uint8_t>(~p[2]);
        }
    }
    KeyOutColour();
}

void CanvasObject::KeyOutColour()
{
    if (!m_record)
        return;
    const uint32_t key = GetColourKey();
    const uint8_t blue = (key >> 16) & 0xff;
    const uint8_t green = (key >> 8) & 0xff;
    const uint8_t red = key & 0xff;
    uint8_t* p = m_record->pixels.data();
    for (size_t i = 0; i + 4 <= m_record->pixels.size(); i += 4)
        if (p[i] == blue && p[i + 1] == green && p[i + 2] == red)
            p[i + 3] = 0;
    MarkChanged();
    Invalidate();
}

void CanvasObject::SetColourKey(uint32_t colour)
{
    if (!m_record)
        return;
    m_record->colourKey = colour;
    KeyOutColour();
}

void CanvasObject::Tint(uint32_t colour, double amount)
{
    if (!m_record)
        return;
    const uint32_t k = static_cast<uint32_t>(static_cast<int>(amount * 255));
    const uint32_t tint[3] = { (colour >> 16) & 0xff, (colour >> 8) & 0xff, colour & 0xff };
    uint8_t* p = m_record->pixels.data();
    for (size_t i = 0; i + 4 <= m_record->pixels.size(); i += 4) {
        if (p[i + 3] == 0)
            continue;
        for (int c = 0; c < 3; ++c)
            p[i + c] = static_cast<uint8_t>((tint[c] * k + p[i + c] * (255 - k)) >> 8);
    }
    MarkChanged();
}

void CanvasObject::Darken()
{
    if (!m_record)
        return;
    uint8_t* p = m_record->pixels.data();
    for (size_t i = 0; i + 4 <= m_record->pixels.size(); i += 4) {
        if (p[i + 3] == 0)
            continue;
        p[i] >>= 1;
        p[i + 1] >>= 1;
        p[i + 2] >>= 1;
    }
    MarkChanged();
}

void CanvasObject::MaskByPicture(const PictureDesc& desc)
{
    if (!m_record || !desc.record)
        return;
    const PictureData& mask = *desc.record;
    if (mask.frameWidth != m_bufferWidth || mask.frameHeight != m_bufferHeight)
        return;
    const bool palette = mask.flags & kPicturePalette;
    if (palette && !(mask.flags & kPictureAlpha))
        return;
    const size_t framePixels = static_cast<size_t>(m_bufferWidth) * m_bufferHeight;
    for (int y = 0; y < m_bufferHeight; ++y) {
        for (int x = 0; x < m_bufferWidth; ++x) {
            bool opaque = false;
            if (palette) {
                // Index bytes of every frame, then their alpha bytes.
                const size_t frames = std::max<size_t>(mask.frameCount, 1);
                const size_t at = frames * framePixels + static_cast<size_t>(desc.frame) * framePixels
                    + static_cast<size_t>(y) * m_bufferWidth + x;
                opaque = at < mask.pixels.size() && mask.pixels[at] != 0;
            } else if (auto offset = PicturePixelOffset(mask, desc.frame, x, y)) {
                opaque = *offset + 3 < mask.pixels.size() && mask.pixels[*offset + 3] != 0;
            }
            if (!opaque)
                PixelAt(x, y)[3] = 0;
        }
    }
    MarkChanged();
}

void CanvasObject::BlitPicture(const PictureDesc& desc, int x, int y, int width, int height, double angle,
    double opacity)
{
    if (!desc.record || !m_record)
        return;
    if (width == 0)
        width = m_bufferWidth;
    else if (width < 0)
        width = desc.width;
    if (height == 0)
        height = m_bufferHeight;
    else if (height < 0)
        height = desc.height;

    DrawSurface surface;
    surface.pixels = m_record->pixels.data();
    surface.width = m_bufferWidth;
    surface.height = m_bufferHeight;
    surface.bytesPerPixel = 4;
    surface.colourKey = GetColourKey();
    DrawRequest request;
    request.angle = angle;
    request.centreX = x + (width + 1) / 2;
    request.centreY = y + (height + 1) / 2;
    request.width = width;
    request.height = height;
    if (width > 0 && height > 0)
        request.radius = static_cast<int>(std::sqrt((width / 2.0) * (width / 2.0) + (height / 2.0) * (height / 2.0)));

    const PictureData& record = *desc.record;
    if (record.framesPerRow > 1) {
        PictureData frame;
        if (!CutPictureFrame(frame, record, desc.frame))
            return;
        DrawPicture(surface, request, frame, desc.sourceX, desc.sourceY, desc.width, desc.height, opacity,
            desc.matteColour);
        FreePictureData(&frame);
    } else {
        DrawPicture(surface, request, record, desc.sourceX, desc.sourceY + desc.frame * record.frameHeight,
            desc.width, desc.height, opacity, desc.matteColour);
    }
    KeyOutColour();
}

void CanvasObject::DrawVertical3(const PictureDesc& top, const PictureDesc& middle, const PictureDesc& bottom)
{
    const int a = top.height;
    const int b = bottom.height;
    const int h = static_cast<int>(GetHeight());
    if (a + b < h) {
        BlitPicture(top, 0, 0, 0, a, 0.0, 1.0);
        BlitPicture(middle, 0, a, 0, h - a - b, 0.0, 1.0);
        BlitPicture(bottom, 0, h - b, 0, b, 0.0, 1.0);
    } else {
        // Too short for all three: the top fills the upper half and the
        // bottom the rest, down to the object's bottom edge.
        const int k = h / 2;
        BlitPicture(top, 0, 0, 0, k, 0.0, 1.0);
        BlitPicture(bottom, 0, k, 0, h - k, 0.0, 1.0);
    }
}

void CanvasObject::DrawVerticalStretch(PictureDesc desc)
{
    if (!desc.record)
        return;
    const int e = desc.record->capHeight + (desc.height + 1) / 2;
    const int h = static_cast<int>(GetHeight());
    const int fullHeight = desc.height;
    const int sourceY = desc.sourceY;
    if (2 * e < h) {
        desc.height = e;
        BlitPicture(desc, 0, 0, 0, e, 0.0, 1.0);
        desc.sourceY = sourceY + e;
        desc.height = desc.record->frameHeight - 2 * e;
        if (desc.height > 0)
            BlitPicture(desc, 0, e, 0, h - 2 * e, 0.0, 1.0);
        desc.sourceY = sourceY + fullHeight - e;
        desc.height = e;
        BlitPicture(desc, 0, h - e, 0, e, 0.0, 1.0);
    } else {
        const int t = (h + 1) / 2;
        const int r = h - t;
        desc.height = t;
        if (t > 0)
            BlitPicture(desc, 0, 0, 0, t, 0.0, 1.0);
        desc.sourceY = sourceY + fullHeight - r;
        desc.height = r;
        if (r > 0)
            BlitPicture(desc, 0, r, 0, r, 0.0, 1.0);
    }
}

void CanvasObject::DrawHorizontalStretch(PictureDesc desc)
{
    if (!desc.record)
        return;
    const int e = desc.record->capWidth + (desc.width + 1) / 2;
    const int w = static_cast<int>(GetWidth());
    const int fullWidth = desc.width;
    const int sourceX = desc.sourceX;
    if (2 * e < w) {
        desc.width = e;
        BlitPicture(desc, 0, 0, e, 0, 0.0, 1.0);
        desc.sourceX = sourceX + e;
        desc.width = desc.record->frameWidth - 2 * e;
        if (desc.width > 0)
            BlitPicture(desc, e, 0, w - 2 * e, 0, 0.0, 1.0);
        desc.sourceX = sourceX + fullWidth - e;
        desc.width = e;
        BlitPicture(desc, w - e, 0, e, 0, 0.0, 1.0);
    } else {
        const int t = (w + 1) / 2;
        const int r = w - t;
        desc.width = t;
        if (t > 0)
            BlitPicture(desc, 0, 0, t, 0, 0.0, 1.0);
        desc.sourceX = sourceX + fullWidth - r;
        desc.width = r;
        if (r > 0)
            BlitPicture(desc, r, 0, r, 0, 0.0, 1.0);
    }
}

void CanvasObject::ResizeBuffer(int width, int height)
{
    if (width < 1 || height < 1 || !m_record)
        return;
    width = std::min(width, 0xffff);
    height = std::min(height, 0xffff);
    std::vector<uint8_t> pixels = ResampleNearest(m_record->pixels.data(), m_bufferWidth, m_bufferHeight, 0, 0,
        m_bufferWidth, m_bufferHeight, width, height);
    pixels.resize(static_cast<size_t>(width) * height * 4, 0);
    MakeRecord(width, height, std::move(pixels));
    m_picture.SetSize(width, height);
    MarkChanged();
    Invalidate();
}

void CanvasObject::FitToText(std::string_view text, int width)
{
    const int h = MeasureText(text, width);
    ScaleTo(width, h);
    ResizeBuffer(width, h);
}

void CanvasObject::SetPen(uint32_t colour, double alpha)
{
    m_style.colour = colour;
    m_style.alpha = static_cast<int>(alpha * 255);
}

void CanvasObject::SetFont(int size, int weight, std::string_view face)
{
    m_style.size = size;
    m_style.fullAdvance = size;
    m_style.weight = weight;
    m_style.SetFace(face);
}

void CanvasObject::SetTextSpacing(int charSpacing, int rowSpacing)
{
    if (charSpacing >= 0)
        m_style.charSpacing = charSpacing;
    if (rowSpacing >= 0)
        m_style.rowSpacing = rowSpacing;
}

void CanvasObject::SetTextMargins(int left, int right)
{
    m_style.leftMargin = left;
    m_style.rightMargin = right;
}

void CanvasObject::DrawText(int x, int y, std::string_view text)
{
    if (!m_renderer || !m_record)
        return;
    m_renderer->Lock();
    {
        BorrowedStyle borrowed(*m_renderer, m_style);
        m_renderer->DrawText(m_record->pixels.data(), m_bufferWidth, m_bufferHeight, x, y, text);
    }
    m_renderer->Unlock();
    MarkChanged();
}

int CanvasObject::MeasureText(std::string_view text, int width)
{
    if (!m_renderer)
        return 0;
    BorrowedStyle borrowed(*m_renderer, m_style);
    return m_renderer->MeasureHeight(width, text);
}

void CanvasObject::DrawTextCentred(int cx, int cy, std::string_view text)
{
    const int size = m_style.size;
    const int spacing = m_style.charSpacing;
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i]))) {
            width += size + 2 * spacing;
            ++i;
        } else {
            width += (size + 1) / 2 + spacing;
        }
    }
    DrawText(cx - width / 2, cy - size / 2, text);
}

void CanvasObject::DrawWrappedText(const char* text, int y)
{
    if (!text || !m_record)
        return;
    const std::string_view all(text);
    const int size = m_style.size;
    const int spacing = m_style.charSpacing;
    const int rowSpacing = m_style.rowSpacing;
    const int half = (size + 1) / 2;
    const int limit = m_bufferWidth - m_style.rightMargin;
    const int bufferHeight = m_bufferHeight;
    int pen = m_style.leftMargin;
    int cy = y + size / 2;
    std::string line;
    int lastWide = -1;
    size_t i = 0;
    while (i < all.size()) {
        const bool wide = platform::Gbk::IsLeadByte(static_cast<uint8_t>(all[i])) && i + 1 < all.size();
        const size_t length = wide ? 2 : 1;
        pen += wide ? size + 2 * spacing : half + spacing;
        if (pen <= limit) {
            if (all[i] == '<') {
                const size_t close = all.find('>', i + 1);
                if (close != std::string_view::npos && close - i <= kMaxTagBytes - 1 && m_renderer) {
                    // Asking whether it is a tag applies it: do that on a
                    // style that is put back.
                    BorrowedStyle borrowed(*m_renderer, m_style);
                    if (m_renderer->ParseTag(all.substr(i + 1, close - i - 1))) {
                        line.append(all.substr(i, close - i + 1));
                        i = close + 1;
                        continue;
                    }
                }
            }
            if (wide)
                lastWide = static_cast<int>(line.size());
            line.append(all.substr(i, length));
            i += length;
            continue;
        }
        // The line is full: draw it and start the next with this character.
        if (!line.empty()) {
            std::string copy = line;
            const bool lastLine = cy - size / 2 > bufferHeight - 2 * size - rowSpacing;
            if (lastLine && copy.size() >= 3) {
                const int fromEnd = static_cast<int>(copy.size()) - lastWide;
                if (lastWide >= 0 && (fromEnd == 2 || fromEnd == 4))
                    copy.replace(copy.size() - 2, 2, "..");
                else
                    copy.replace(copy.size() - 3, 3, "...");
            }
            DrawTextCentred(m_bufferWidth / 2, cy, copy);
        }
        line.clear();
        lastWide = -1;
        pen = m_style.leftMargin;
        cy += rowSpacing + size;
        if (cy - size / 2 > bufferHeight - size)
            return;
        if (line.empty() && pen + (wide ? size + 2 * spacing : half + spacing) > limit) {
            // Not even one character fits a line: nothing more can be drawn.
            return;
        }
    }
    if (!line.empty())
        DrawTextCentred(m_bufferWidth / 2, cy, line);
}

void CanvasObject::DrawFittedText(std::string_view text, int forcedSize, int paddingX, int paddingY)
{
    if (!m_record)
        return;
    // At most 255 bytes, never half a character.
    text = text.substr(0, GbkCutLength(text, kMaxFittedTextBytes));
    std::string copy(text);
    TextStyle style = m_style;
    const Point at = FitCaption(m_bufferWidth, m_bufferHeight, copy, style, paddingX, paddingY, forcedSize);
    m_style = style;
    DrawText(at.x, at.y, text);
}

PictureDesc* CanvasObject::GetPictureDesc(PictureDesc* out) const
{
    if (out)
        *out = m_picture.GetDesc();
    return out;
}

uint8_t* CanvasObject::GetPixels()
{
    return m_record ? m_record->pixels.data() : nullptr;
}

TextStyle* CanvasObject::GetTextStyle(TextStyle* out) const
{
    if (out)
        *out = m_style;
    return out;
}

} // namespace engine
