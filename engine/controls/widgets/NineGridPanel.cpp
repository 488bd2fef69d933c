#include "engine/controls/widgets/NineGridPanel.h"

#include "engine/objects/CanvasObject.h"

#include <algorithm>

namespace engine {

namespace {

constexpr int kTitleX = 7;
constexpr int kTitleY = 5;
constexpr int kTitleSize = 14;
constexpr int kTitleWeight = 400;
constexpr const char* kTitleFace = "宋体";
constexpr double kAbove = 0.01;

int Width(const Rect& r)
{
    return r.right - r.left;
}

int Height(const Rect& r)
{
    return r.bottom - r.top;
}

bool IsEmpty(const Rect& r)
{
    return Width(r) <= 0 || Height(r) <= 0;
}

} // namespace

void NineGridPanel::Create(const PictureDesc* frame, const PictureDesc* centre, int clientWidth, int clientHeight)
{
    if (centre)
        m_centre = *centre;
    SetFrameImage(frame ? *frame : PictureDesc {});
    SetSize(clientWidth, clientHeight);
    CreateCanvases();
}

void NineGridPanel::CreateWithColour(const PictureDesc* frame, uint32_t colour, int clientWidth, int clientHeight)
{
    m_centreColour = colour;
    SetFrameImage(frame ? *frame : PictureDesc {});
    SetSize(clientWidth, clientHeight);
    CreateCanvases();
}

void NineGridPanel::CreateCanvases()
{
    if (m_background)
        return;
    m_background = CreateCanvas(100, 100, kNoColourKey);
    m_title = CreateCanvas(0, 0, kNoColourKey);
    if (!m_background || !m_title)
        return;
    m_background->SetTopmost();
    m_title->SetTopmost();
    Redraw();
    m_title->SetZ(m_background->GetZ() + kAbove);
    m_background->AddChild(m_title, LINK_STANDARD);
    Bind(m_background, LINK_STANDARD);
}

void NineGridPanel::SetTitle(std::string_view text)
{
    m_titleText.assign(text);
    DrawTitle();
}

bool NineGridPanel::IsTransparent(int x, int y) const
{
    const PictureData* record = m_frame.record;
    if (!record)
        return true;
    const auto offset = PicturePixelOffset(*record, m_frame.frame, x, y);
    if (!offset)
        return true;
    const uint8_t* p = record->pixels.data() + *offset;
    if (record->flags & kPicturePalette) {
        if (record->flags & kPictureAlpha)
            return p[1] == 0;
        return p[0] == record->colourKey;
    }
    if (record->flags & kPictureAlpha)
        return p[3] == 0;
    const uint32_t colour = p[2] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[0]) << 16);
    const uint32_t key = (record->flags & kPictureColourKey) ? record->colourKey : kNoColourKey;
    return colour == key;
}

void NineGridPanel::SetFrameImage(const PictureDesc& frame)
{
    m_frame = frame;
    const int sx = frame.sourceX;
    const int sy = frame.sourceY;
    const int w = std::max(frame.width, 0);
    const int h = std::max(frame.height, 0);
    const Rect outer { sx, sy, sx + w, sy + h };
    m_source[0] = outer;

    // The centre column's opaque extent: transparent margins such as a
    // shadow are skipped at both ends.
    const int cx = sx + w / 2;
    int top = sy;
    while (top < outer.bottom && IsTransparent(cx, top))
        ++top;
    int bottom = outer.bottom;
    while (top < bottom - 1 && IsTransparent(cx, bottom - 1))
        --bottom;
    // The inside starts at the column's first transparent pixel within it.
    int cy = sy + h / 2;
    for (int y = top; y < bottom; ++y) {
        if (IsTransparent(cx, y)) {
            cy = y;
            break;
        }
    }

    Rect c { cx, cy, cx, cy };
    while (c.left - 1 >= sx && IsTransparent(c.left - 1, cy))
        --c.left;
    while (c.right < outer.right && IsTransparent(c.right, cy))
        ++c.right;
    while (c.top - 1 >= sy && IsTransparent(cx, c.top - 1))
        --c.top;
    while (c.bottom < outer.bottom && IsTransparent(cx, c.bottom))
        ++c.bottom;

    const Rect& o = outer;
    m_source[1] = { o.left, o.top, c.left, c.top };
    m_source[2] = { c.left, o.top, c.right, c.top };
    m_source[3] = { c.right, o.top, o.right, c.top };
    m_source[4] = { o.left, c.top, c.left, c.bottom };
    m_source[5] = c;
    m_source[6] = { c.right, c.top, o.right, c.bottom };
    m_source[7] = { o.left, c.bottom, c.left, o.bottom };
    m_source[8] = { c.left, c.bottom, c.right, o.bottom };
    m_source[9] = { c.right, c.bottom, o.right, o.bottom };

    if (m_background) {
        const double bw = m_background->GetWidth();
        const double bh = m_background->GetHeight();
        SetSize(static_cast<int>(bw - Width(m_source[1]) - Width(m_source[3])),
            static_cast<int>(bh - Height(m_source[1]) - Height(m_source[7])));
    }
}

void NineGridPanel::SetSize(int clientWidth, int clientHeight)
{
    // Borders thicker than the panel (a new frame on a small panel) leave
    // an empty client area, not an inside-out one.
    const int cw = std::max(clientWidth, 0);
    const int ch = std::max(clientHeight, 0);
    const int w1 = Width(m_source[1]);
    const int h1 = Height(m_source[1]);
    const int w3 = Width(m_source[3]);
    const int h7 = Height(m_source[7]);
    const int right = cw + w1 + w3;
    const int bottom = ch + h1 + h7;
    m_dest[0] = { 0, 0, right, bottom };
    m_dest[1] = { 0, 0, w1, h1 };
    m_dest[3] = { right - w3, 0, right, h1 };
    m_dest[7] = { 0, bottom - h7, w1, bottom };
    m_dest[9] = { m_dest[3].left, m_dest[7].top, right, bottom };
    m_dest[2] = { w1, 0, m_dest[3].left, h1 };
    m_dest[8] = { w1, m_dest[7].top, m_dest[3].left, bottom };
    m_dest[4] = { 0, h1, w1, m_dest[7].top };
    m_dest[6] = { m_dest[3].left, h1, right, m_dest[7].top };
    m_dest[5] = { w1, h1, w1 + cw, h1 + ch };
    Redraw();
}

void NineGridPanel::PlaceAt(EngineObject* object, const Rect& rect) const
{
    object->MoveTo(m_background->GetLeft() + rect.left + Width(rect) / 2.0,
        m_background->GetTop() + rect.top + Height(rect) / 2.0);
}

void NineGridPanel::Redraw()
{
    if (!m_background || !m_title)
        return;
    const Rect& whole = m_dest[0];
    m_background->ScaleTo(Width(whole), Height(whole));
    m_background->ResizeBuffer(Width(whole), Height(whole));
    const Rect& topEdge = m_dest[2];
    m_title->ScaleTo(Width(topEdge), Height(topEdge));
    m_title->ResizeBuffer(Width(topEdge), Height(topEdge));

    const Rect& client = m_dest[kClientPart];
    if (m_content) {
        m_content->ScaleTo(Width(client), Height(client));
        if (auto* canvas = dynamic_cast<CanvasObject*>(m_content))
            canvas->ResizeBuffer(Width(client), Height(client));
        PlaceAt(m_content, client);
    }

    DrawTitle();
    PlaceAt(m_title, topEdge);

    m_background->Clear();
    for (int i = 1; i < kParts; ++i) {
        if (i == kClientPart)
            continue;
        const Rect& from = m_source[static_cast<size_t>(i)];
        const Rect& to = m_dest[static_cast<size_t>(i)];
        // A zero width or height given to a blit means the whole buffer's,
        // so an empty part must not be drawn at all.
        if (IsEmpty(from) || IsEmpty(to))
            continue;
        PictureDesc part = m_frame;
        part.sourceX = from.left;
        part.sourceY = from.top;
        part.width = Width(from);
        part.height = Height(from);
        m_background->BlitPicture(part, to.left, to.top, Width(to), Height(to), 0.0, 1.0);
    }
    if (!IsEmpty(client)) {
        if (m_centre.record) {
            m_background->BlitPicture(m_centre, client.left, client.top, Width(client), Height(client), 0.0, 1.0);
        } else {
            const uint32_t pen = m_background->GetPenColour();
            m_background->SetPen(m_centreColour, 1.0);
            m_background->DrawRect(client.left, client.top, client.right - 1, client.bottom - 1, true);
            m_background->SetPen(pen, 1.0);
        }
    }
    m_background->Invalidate();
}

void NineGridPanel::DrawTitle()
{
    DrawTitleText(kTitleX, kTitleY, kTitleSize);
}

void NineGridPanel::DrawTitleText(int x, int y, int size)
{
    if (!m_title)
        return;
    m_title->Clear();
    m_title->SetFont(size, kTitleWeight, kTitleFace);
    m_title->DrawText(x, y, m_titleText);
    m_title->Invalidate();
}

void NineGridPanel::SetContent(EngineObject* object)
{
    if (object == m_content)
        return; // removing it would take the new content away
    if (m_content) {
        if (m_background)
            m_background->RemoveChild(m_content->GetId());
        RemoveObject(m_content, 1);
        if (m_content == m_contentCanvas)
            m_contentCanvas = nullptr;
    }
    m_content = object;
    if (!object || !m_background)
        return;
    object->SetZ(m_background->GetZ() + kAbove);
    if (IsShown())
        object->Show();
    object->Invalidate();
    m_background->AddChild(object, LINK_STANDARD);
}

CanvasObject* NineGridPanel::GetContentCanvas()
{
    if (m_contentCanvas || !m_background)
        return m_contentCanvas;
    const Rect& client = m_dest[kClientPart];
    CanvasObject* canvas = CreateCanvas(Width(client), Height(client), kNoColourKey);
    if (!canvas)
        return nullptr;
    canvas->SetTopmost();
    PlaceAt(canvas, client);
    canvas->SetZ(m_background->GetZ() + kAbove);
    if (IsShown())
        canvas->Show();
    canvas->Invalidate();
    m_background->AddChild(canvas, LINK_STANDARD);
    m_contentCanvas = canvas;
    m_content = canvas;
    return canvas;
}

} // namespace engine
