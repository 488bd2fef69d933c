#include "frame/ui/FramePopupMenu.h"

#include "engine/core/ObjectModule.h"
#include "engine/modules/InputModule.h"
#include "engine/objects/CanvasObject.h"

#include <string>

namespace frame {

using engine::CanvasObject;

namespace {

// Follows the menu's moves, depth, showing, hiding and redraws; not owned.
constexpr uint32_t kLinkItem = 0x198020;
constexpr uint32_t kItemBackground = 0xffffff;
constexpr uint32_t kWhite = 0xffffff;
constexpr double kDisabledOpacity = 0.3;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 600;
constexpr const char* kFace = "宋体";

} // namespace

// ---- FrameMenuItem

void FrameMenuItem::DrawCaption(CanvasObject* c) const
{
    const int y = static_cast<int>(c->GetHeight() / 2 - GetFontSize() / 2.0);
    c->DrawText(m_textOffset, y, Caption());
}

void FrameMenuItem::DrawSeparator(CanvasObject* c) const
{
    const uint32_t pen = c->GetPenColour();
    const int w = static_cast<int>(c->GetWidth());
    const int h = static_cast<int>(c->GetHeight());
    c->SetPen(m_separatorDark, 1.0);
    c->DrawLine(m_separatorInset, h - 2, w - m_separatorInset, h - 2);
    c->SetPen(m_separatorLight, 1.0);
    c->DrawLine(m_separatorInset, h - 1, w - m_separatorInset, h - 1);
    c->SetPen(pen, 1.0);
}

void FrameMenuItem::DrawState(int state)
{
    CanvasObject* c = GetCanvas();
    if (!c)
        return;
    switch (state) {
    case engine::kTextButtonNormal:
        c->SetBackground(m_normal);
        c->Clear();
        c->SetOpacity(1.0);
        c->SetPen(m_textColour, 1.0);
        c->SetTextSpacing(m_bold ? 1 : 0, 0);
        c->SetFont(GetFontSize(), m_bold ? kBoldWeight : kNormalWeight, kFace);
        DrawCaption(c);
        break;
    case engine::kTextButtonHover:
        c->SetBackground(m_hover);
        c->Clear();
        c->SetOpacity(1.0);
        c->SetPen(m_textColour, 1.0);
        DrawCaption(c);
        break;
    case engine::kTextButtonPressed:
        c->SetOpacity(1.0);
        if (m_pressed == 0) {
            c->InvertRect(0, 0, static_cast<int>(c->GetWidth()), static_cast<int>(c->GetHeight()));
        } else {
            c->SetBackground(m_pressed);
            c->Clear();
            c->SetPen(kWhite, 1.0);
            DrawCaption(c);
        }
        break;
    case engine::kTextButtonDisabled:
        c->Clear();
        c->SetFont(GetFontSize(), kNormalWeight, kFace);
        c->SetOpacity(kDisabledOpacity);
        c->SetPen(m_textColour, 1.0);
        DrawCaption(c);
        break;
    default:
        break;
    }
    if (m_separator)
        DrawSeparator(c);
    if (m_icon.height > 0) {
        const int s = GetIconSize();
        c->BlitPicture(m_icon, (m_textOffset - s) / 2, static_cast<int>(c->GetHeight() - s) / 2, s, s, 0.0, 1.0);
    }
    c->Invalidate();
}

void FrameMenuItem::SetTextColour(uint32_t colour)
{
    m_textColour = colour;
    if (CanvasObject* c = GetCanvas())
        c->SetPen(colour, 1.0);
    DrawState(engine::kTextButtonNormal);
}

void FrameMenuItem::SetIcon(const engine::PictureDesc& icon)
{
    m_icon = icon;
}

void FrameMenuItem::SetSeparator(bool on)
{
    m_separator = on;
    DrawState(engine::kTextButtonNormal);
}

int FrameMenuItem::SetTextOffset(int pixels)
{
    if (pixels > 0)
        m_textOffset = pixels;
    return m_textOffset;
}

bool FrameMenuItem::SetBold(bool on)
{
    m_bold = on;
    return m_bold;
}

void FrameMenuItem::SetBackgroundColours(uint32_t normal, uint32_t hover, uint32_t pressed)
{
    m_normal = normal;
    m_hover = hover;
    m_pressed = pressed;
}

void FrameMenuItem::SetSeparatorColours(uint32_t dark, uint32_t light)
{
    m_separatorDark = dark;
    m_separatorLight = light;
}

void FrameMenuItem::SetSeparatorInset(int pixels)
{
    m_separatorInset = pixels;
}

int FrameMenuItem::GetIconSize() const
{
    return m_icon.height >= 1 && m_icon.height <= 23 ? m_icon.height : kDefaultIconSize;
}

// ---- FramePopupMenu

FramePopupMenu::~FramePopupMenu()
{
    // By id: an item may be gone already.
    if (engine::ObjectModule* objects = EngineObject::GetObjectModule()) {
        for (int id : m_itemIds)
            objects->RemoveObject(id);
    }
}

void FramePopupMenu::Create(int itemWidth, int itemHeight, int fontSize, uint32_t background)
{
    m_itemWidth = itemWidth;
    m_itemHeight = itemHeight;
    m_fontSize = fontSize;
    m_canvas = CreateCanvas(itemWidth, itemHeight, background);
    if (m_canvas)
        Bind(m_canvas, engine::LINK_STANDARD);
    SetFocusable(true);
    SubscribeEvent(engine::EVT_BLUR, GetId(), engine::EVT_HIDE, 0, 0);
    SetTopmost();
}

FrameMenuItem* FramePopupMenu::AddItem(std::string_view caption, const engine::EngineEvent* click,
    uint32_t textColour, int, bool bold)
{
    auto* item = static_cast<FrameMenuItem*>(RegisterObject(std::make_unique<FrameMenuItem>()));
    if (!item)
        return nullptr;
    m_itemIds.push_back(item->GetId());
    item->Create(caption, m_itemWidth, m_itemHeight, m_fontSize, kItemBackground, 0, click);
    item->SetZ(GetZ() + 0.01);
    item->SetTextColour(textColour);
    item->SetBold(bold);
    AddChild(item, kLinkItem);
    if (!m_first) {
        m_first = item;
    } else {
        FrameMenuItem* last = m_first;
        while (last->GetNextItem())
            last = last->GetNextItem();
        last->SetNextItem(item);
    }
    Layout();
    return item;
}

bool FramePopupMenu::AddSeparator()
{
    FrameMenuItem* last = m_first;
    if (!last)
        return false;
    while (last->GetNextItem())
        last = last->GetNextItem();
    last->SetSeparator(true);
    return true;
}

void FramePopupMenu::EnableItemsByEvent(int target, int code, bool enable)
{
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        const engine::EngineEvent* event = item->FindSubscription(engine::EVT_CLICK);
        if (event && event->target == target && event->code == code)
            item->SetEnabled(enable);
    }
}

void FramePopupMenu::Layout()
{
    const int count = GetItemCount();
    if (count == 0) {
        Hide();
        return;
    }
    if (!m_canvas)
        return;
    const int width = m_itemWidth + 2 * m_margin;
    const int height = count * m_itemHeight + 2 * m_margin;
    m_canvas->ResizeBuffer(width, height);
    m_canvas->ScaleTo(width, height);
    m_canvas->Clear();
    m_canvas->DrawBorder(0, 1);

    const int x = static_cast<int>(m_canvas->GetLeft() + (m_itemWidth + 1) / 2 + m_margin);
    int y = static_cast<int>(m_canvas->GetTop() + (m_itemHeight + 1) / 2 + m_margin);
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        item->MoveTo(x, y);
        item->Invalidate();
        y += m_itemHeight;
    }
}

FrameMenuItem* FramePopupMenu::GetItem(int index) const
{
    if (index < 0)
        return nullptr;
    FrameMenuItem* item = m_first;
    for (; item && index > 0; --index)
        item = item->GetNextItem();
    return item;
}

FrameMenuItem* FramePopupMenu::FindItem(std::string_view caption) const
{
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        if (item->GetCaption() == caption)
            return item;
    }
    return nullptr;
}

void FramePopupMenu::SetItemColours(uint32_t normal, uint32_t hover, uint32_t pressed)
{
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        item->SetBackgroundColours(normal, hover, pressed);
        item->DrawState(engine::kTextButtonNormal);
    }
}

void FramePopupMenu::SetBorderColour(uint32_t colour)
{
    if (m_canvas) {
        m_canvas->DrawBorder(colour, 1);
        m_canvas->Invalidate();
    }
}

void FramePopupMenu::SetSeparatorColours(uint32_t dark, uint32_t light)
{
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        item->SetSeparatorColours(dark, light);
        item->DrawState(engine::kTextButtonNormal);
    }
}

void FramePopupMenu::SetSeparatorInset(int pixels)
{
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        item->SetSeparatorInset(pixels);
        item->DrawState(engine::kTextButtonNormal);
    }
}

void FramePopupMenu::CentreCaptions()
{
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem()) {
        const int bytes = static_cast<int>(item->GetCaption().size());
        item->SetTextOffset((m_itemWidth - (bytes / 2) * m_fontSize) / 2);
        item->DrawState(engine::kTextButtonNormal);
    }
}

int FramePopupMenu::GetItemCount() const
{
    int count = 0;
    for (FrameMenuItem* item = m_first; item; item = item->GetNextItem())
        ++count;
    return count;
}

} // namespace frame
