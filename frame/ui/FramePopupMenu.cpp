#include "frame/ui/FramePopupMenu.h"

#include "engine/objects/CanvasObject.h"

#include <string>

namespace frame {

using engine::CanvasObject;

namespace {

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

std::unique_ptr<engine::MenuItem> FramePopupMenu::NewItem() const
{
    return std::make_unique<FrameMenuItem>();
}

FrameMenuItem* FramePopupMenu::AddItem(std::string_view caption, const engine::EngineEvent* click,
    uint32_t textColour, int, bool bold)
{
    auto* item = static_cast<FrameMenuItem*>(MakeItem(caption, click, textColour));
    if (!item)
        return nullptr;
    item->SetBold(bold);
    AppendItem(item);
    return item;
}

bool FramePopupMenu::AddSeparator()
{
    const int count = GetItemCount();
    if (count == 0)
        return false;
    GetItem(count - 1)->SetSeparator(true);
    return true;
}

FrameMenuItem* FramePopupMenu::GetItem(int index) const
{
    return static_cast<FrameMenuItem*>(engine::PopupMenu::GetItem(index));
}

FrameMenuItem* FramePopupMenu::FindItem(std::string_view caption) const
{
    return static_cast<FrameMenuItem*>(engine::PopupMenu::FindItem(caption));
}

template <class F>
void FramePopupMenu::RedrawEach(F f)
{
    for (engine::MenuItem* item = engine::PopupMenu::GetItem(0); item; item = item->GetNextItem()) {
        auto* entry = static_cast<FrameMenuItem*>(item);
        f(*entry);
        entry->DrawState(engine::kTextButtonNormal);
    }
}

void FramePopupMenu::SetItemColours(uint32_t normal, uint32_t hover, uint32_t pressed)
{
    RedrawEach([&](FrameMenuItem& item) { item.SetBackgroundColours(normal, hover, pressed); });
}

void FramePopupMenu::SetBorderColour(uint32_t colour)
{
    if (CanvasObject* canvas = GetCanvas()) {
        canvas->DrawBorder(colour, 1);
        canvas->Invalidate();
    }
}

void FramePopupMenu::SetSeparatorColours(uint32_t dark, uint32_t light)
{
    RedrawEach([&](FrameMenuItem& item) { item.SetSeparatorColours(dark, light); });
}

void FramePopupMenu::SetSeparatorInset(int pixels)
{
    RedrawEach([&](FrameMenuItem& item) { item.SetSeparatorInset(pixels); });
}

void FramePopupMenu::CentreCaptions()
{
    const int width = GetItemWidth();
    const int fontSize = GetFontSize();
    RedrawEach([&](FrameMenuItem& item) {
        const int bytes = static_cast<int>(item.GetCaption().size());
        item.SetTextOffset((width - (bytes / 2) * fontSize) / 2);
    });
}

} // namespace frame
