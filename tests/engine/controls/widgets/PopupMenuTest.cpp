// The popup menu through the real host window: layout, look-ups, enabling
// by event, clicks on items and hiding when the focus leaves.

#include "ScrollMenuPanelHost.h"

#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/PopupMenu.h"

using namespace engine;
using namespace widgetstest;

namespace {

class PopupMenus : public WidgetHost {
protected:
    PopupMenu* MakeMenu()
    {
        auto* menu = static_cast<PopupMenu*>(root->RegisterObject(std::make_unique<PopupMenu>()));
        menu->Create(100, 30, 12, 0xffffff);
        menu->MoveTo(100, 60);
        return menu;
    }
};

TEST_F(PopupMenus, ItemsAreStackedInsideTheBorder)
{
    PopupMenu* menu = MakeMenu();
    const EngineEvent e1(owner->GetId(), 601);
    menu->AddItem("座位一", &e1, 0, 0);
    menu->AddItem("座位二", nullptr, 0, 0);
    menu->AddItem("Close", nullptr, 0xff, 0);
    CanvasObject* canvas = menu->GetCanvas();
    EXPECT_EQ(canvas->GetBufferWidth(), 104);
    EXPECT_EQ(canvas->GetBufferHeight(), 94);
    EXPECT_DOUBLE_EQ(menu->GetHeight(), 94);
    for (int i = 0; i < 3; ++i) {
        MenuItem* item = menu->GetItem(i);
        ASSERT_NE(item, nullptr);
        EXPECT_DOUBLE_EQ(item->GetY(), static_cast<int>(canvas->GetTop() + 17) + 30 * i);
        EXPECT_DOUBLE_EQ(item->GetX(), static_cast<int>(canvas->GetLeft() + 52));
        EXPECT_GT(item->GetZ(), menu->GetZ());
    }
    EXPECT_EQ(menu->GetItem(3), nullptr);
    EXPECT_EQ(menu->GetItem(-1), nullptr);
    EXPECT_EQ(menu->FindItem("座位二"), menu->GetItem(1));
    EXPECT_EQ(menu->FindItem("close"), nullptr);
    EXPECT_EQ(menu->FindItem("Close"), menu->GetItem(2));
    EXPECT_EQ(menu->GetItem(2)->GetCaption(), "Close");
}

TEST_F(PopupMenus, AnEmptyMenuHides)
{
    PopupMenu* menu = MakeMenu();
    menu->Show();
    menu->Layout();
    EXPECT_FALSE(menu->IsShown());
}

TEST_F(PopupMenus, ClickingAnItemSendsItsEventAndLeavingTheFocusHidesTheMenu)
{
    PopupMenu* menu = MakeMenu();
    const EngineEvent e1(owner->GetId(), 601);
    const EngineEvent e2(owner->GetId(), 602);
    menu->AddItem("一", &e1, 0, 0);
    menu->AddItem("二", &e2, 0, 0);
    menu->Show();
    menu->Invalidate();
    root->SetFocus(menu->GetId());
    Frame();
    // The second item: centre y = 60 - 32 + 2 + 15 + 30.
    ClickAt(100, 75);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0].code, 602);
    EXPECT_TRUE(menu->IsShown());
    // A press outside moves the focus away: the menu and its items hide.
    ClickAt(10, 140);
    EXPECT_FALSE(menu->IsShown());
    EXPECT_FALSE(menu->GetItem(0)->IsShown());
    EXPECT_EQ(owner->events.size(), 1u);
}

TEST_F(PopupMenus, EnableItemsByEventMatchesTheClickSubscription)
{
    PopupMenu* menu = MakeMenu();
    const EngineEvent e1(owner->GetId(), 601);
    MenuItem* stored = menu->AddItem("一", &e1, 0, 0);
    MenuItem* subscribed = menu->AddItem("二", nullptr, 0, 0);
    subscribed->SubscribeEvent(EVT_CLICK, owner->GetId(), 601, 0, 0);
    menu->EnableItemsByEvent(owner->GetId(), 601, false);
    EXPECT_FALSE(subscribed->IsInputEnabled());
    EXPECT_TRUE(stored->IsInputEnabled());
    menu->EnableItemsByEvent(owner->GetId(), 602, true);
    EXPECT_FALSE(subscribed->IsInputEnabled());
    menu->EnableItemsByEvent(owner->GetId(), 601, true);
    EXPECT_TRUE(subscribed->IsInputEnabled());
}

TEST_F(PopupMenus, RemovingTheMenuRemovesItsItems)
{
    PopupMenu* menu = MakeMenu();
    const int a = menu->AddItem("一", nullptr, 0, 0)->GetId();
    const int b = menu->AddItem("二", nullptr, 0, 0)->GetId();
    root->RemoveObject(menu, 0);
    EXPECT_EQ(objects->FindById(a), nullptr);
    EXPECT_EQ(objects->FindById(b), nullptr);
    Frame();
}

} // namespace
