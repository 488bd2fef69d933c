#include "engine/controls/widgets/PopupMenu.h"

#include "engine/controls/widgets/MenuItem.h"
#include "engine/core/ObjectModule.h"
#include "engine/objects/CanvasObject.h"
#include "engine/modules/InputModule.h"

namespace engine {

namespace {

// Invalidation, depth, movement, show and hide; not owned.
constexpr uint32_t kLinkItem = kLinkInvalidate | kLinkZ | kLinkMove | kLinkShow | kLinkHide;
static_assert(kLinkItem == 1671200);

constexpr uint32_t kItemBackground = 0xFFFFFF;

} // namespace

PopupMenu::~PopupMenu()
{
    // The items are not owned children, so the menu takes them with it; by
    // id, as an item may be gone already.
    if (ObjectModule* objects = EngineObject::GetObjectModule()) {
        for (int id : m_itemIds)
            objects->RemoveObject(id);
    }
}

void PopupMenu::Create(int itemWidth, int itemHeight, int fontSize, uint32_t background)
{
    m_itemWidth = itemWidth;
    m_itemHeight = itemHeight;
    m_fontSize = fontSize;
    m_canvas = CreateCanvas(itemWidth, itemHeight, background);
    if (m_canvas)
        Bind(m_canvas, LINK_STANDARD);
    SetFocusable(true);
    SubscribeEvent(EVT_BLUR, GetId(), EVT_HIDE, 0, 0);
    SetTopmost();
}

MenuItem* PopupMenu::AddItem(std::string_view caption, const EngineEvent* click, uint32_t textColour, int)
{
    MenuItem* item = MakeItem(caption, click, textColour);
    if (item)
        AppendItem(item);
    return item;
}

std::unique_ptr<MenuItem> PopupMenu::NewItem() const
{
    return std::make_unique<MenuItem>();
}

MenuItem* PopupMenu::MakeItem(std::string_view caption, const EngineEvent* click, uint32_t textColour)
{
    auto* item = static_cast<MenuItem*>(RegisterObject(NewItem()));
    if (!item)
        return nullptr;
    m_itemIds.push_back(item->GetId());
    item->Create(caption, m_itemWidth, m_itemHeight, m_fontSize, kItemBackground, 0, click);
    item->SetZ(GetZ() + 0.01);
    item->SetTextColour(textColour);
    return item;
}

void PopupMenu::AppendItem(MenuItem* item)
{
    AddChild(item, kLinkItem);
    if (!m_first) {
        m_first = item;
    } else {
        MenuItem* last = m_first;
        while (last->GetNextItem())
            last = last->GetNextItem();
        last->SetNextItem(item);
    }
    Layout();
}

void PopupMenu::EnableItemsByEvent(int target, int code, bool enable)
{
    for (MenuItem* item = m_first; item; item = item->GetNextItem()) {
        const EngineEvent* event = item->FindSubscription(EVT_CLICK);
        if (event && event->target == target && event->code == code)
            item->SetEnabled(enable);
    }
}

void PopupMenu::Layout()
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
    for (MenuItem* item = m_first; item; item = item->GetNextItem()) {
        item->MoveTo(x, y);
        item->Invalidate();
        y += m_itemHeight;
    }
}

MenuItem* PopupMenu::GetItem(int index) const
{
    if (index < 0)
        return nullptr;
    MenuItem* item = m_first;
    for (; item && index > 0; --index)
        item = item->GetNextItem();
    return item;
}

MenuItem* PopupMenu::FindItem(std::string_view caption) const
{
    for (MenuItem* item = m_first; item; item = item->GetNextItem()) {
        if (item->GetCaption() == caption)
            return item;
    }
    return nullptr;
}

void PopupMenu::UnlinkItem(MenuItem* item)
{
    if (!item || !m_first)
        return;
    if (m_first == item) {
        m_first = item->GetNextItem();
    } else {
        MenuItem* prev = m_first;
        while (prev->GetNextItem() && prev->GetNextItem() != item)
            prev = prev->GetNextItem();
        if (prev->GetNextItem() != item)
            return;
        prev->SetNextItem(item->GetNextItem());
    }
    item->SetNextItem(nullptr);
}

int PopupMenu::GetItemCount() const
{
    int count = 0;
    for (MenuItem* item = m_first; item; item = item->GetNextItem())
        ++count;
    return count;
}

} // namespace engine
