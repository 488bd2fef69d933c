// The frame's popup menu through the host window: the background's size,
// separators, centred captions, the items' looks read back from their
// canvases, icons, and closing when the focus leaves.

#include "WidgetHost.h"

#include "engine/objects/CanvasObject.h"
#include "frame/ui/FramePopupMenu.h"

using namespace frameuitest;
using engine::CanvasObject;
using engine::EngineEvent;
using frame::FrameMenuItem;
using frame::FramePopupMenu;

namespace {

class FramePopupMenus : public WidgetHost {
protected:
    // Items of 100 x 30, centred at (100, 60).
    FramePopupMenu* MakeMenu(int itemWidth = 100, int itemHeight = 30)
    {
        auto* menu = static_cast<FramePopupMenu*>(root->RegisterObject(std::make_unique<FramePopupMenu>()));
        menu->Create(itemWidth, itemHeight, 12, 0xffffff);
        menu->MoveTo(100, 60);
        return menu;
    }
    void ShowWithFocus(FramePopupMenu* menu)
    {
        menu->Show();
        menu->Invalidate();
        root->SetFocus(menu->GetId());
        Frame();
    }
};

TEST_F(FramePopupMenus, BackgroundGrowsWithTheItemsInsideTheMargin)
{
    FramePopupMenu* menu = MakeMenu();
    EXPECT_FALSE(menu->AddSeparator()); // nothing to put a line under
    for (int i = 0; i < 8; ++i)
        menu->AddItem("Item", nullptr, 0, 0, false);
    CanvasObject* canvas = menu->GetCanvas();
    EXPECT_EQ(canvas->GetBufferWidth(), 104);
    EXPECT_EQ(canvas->GetBufferHeight(), 244);
    EXPECT_EQ(canvas->GetPixel(0, 0), 0u); // black border
    for (int i = 0; i < 8; ++i) {
        FrameMenuItem* item = menu->GetItem(i);
        ASSERT_NE(item, nullptr);
        EXPECT_DOUBLE_EQ(item->GetY(), static_cast<int>(canvas->GetTop() + 17) + 30 * i);
        EXPECT_GT(item->GetZ(), menu->GetZ());
    }
    EXPECT_EQ(menu->GetItem(8), nullptr);
    EXPECT_TRUE(menu->AddSeparator());
    EXPECT_TRUE(menu->GetItem(7)->HasSeparator());
    EXPECT_FALSE(menu->GetItem(6)->HasSeparator());
}

TEST_F(FramePopupMenus, CentredCaptionsCountTwoBytesAsOneCharacter)
{
    struct Case {
        const char* caption;
        int offset;
    };
    const Case cases[] = {
        { "12345678", 57 },          // (162 - 4 * 12) / 2
        { "存入银两", 57 },          // four characters of two bytes
        { "1234567", 63 },           // three whole characters
        { "一二三四五六七八九十一二三四", 40 }, // wider than the item: kept
    };
    for (const Case& c : cases) {
        FramePopupMenu* menu = MakeMenu(162, 20);
        FrameMenuItem* item = menu->AddItem(c.caption, nullptr, 0, 0, false);
        menu->CentreCaptions();
        EXPECT_EQ(item->GetTextOffset(), c.offset) << c.caption;
        root->RemoveObject(menu, 0);
    }
}

TEST_F(FramePopupMenus, ItemLooksFollowTheMouse)
{
    FramePopupMenu* menu = MakeMenu();
    const EngineEvent e1(owner->GetId(), 701);
    const EngineEvent e2(owner->GetId(), 702);
    FrameMenuItem* inverted = menu->AddItem("一", &e1, 0, 0, false);
    FrameMenuItem* coloured = menu->AddItem("二", &e2, 0, 0, false);
    coloured->SetBackgroundColours(0x112233, 0x445566, 0x778899);
    coloured->DrawState(engine::kTextButtonNormal);
    ShowWithFocus(menu);
    CanvasObject* a = inverted->GetCanvas();
    CanvasObject* b = coloured->GetCanvas();
    // A corner pixel, away from the caption.
    EXPECT_EQ(a->GetPixel(1, 1), 0xf0f0f0u);
    EXPECT_EQ(b->GetPixel(1, 1), 0x112233u);
    // First item centre y = 60 - 32 + 2 + 15.
    MoveMouse(100, 45);
    EXPECT_EQ(a->GetPixel(1, 1), 0xcbdadcu);
    Press(100, 45);
    EXPECT_EQ(a->GetPixel(1, 1), 0xcbdadcu ^ 0xffffffu); // the hover look inverted
    Release(100, 45);
    MoveMouse(100, 75);
    EXPECT_EQ(b->GetPixel(1, 1), 0x445566u);
    Press(100, 75);
    EXPECT_EQ(b->GetPixel(1, 1), 0x778899u);
    Release(100, 75);
    ASSERT_EQ(owner->events.size(), 2u);
    EXPECT_EQ(owner->events[0].code, 701);
    EXPECT_EQ(owner->events[1].code, 702);
}

TEST_F(FramePopupMenus, SeparatorLinesSitAtTheBottomInsideTheInset)
{
    FramePopupMenu* menu = MakeMenu();
    menu->AddItem("一", nullptr, 0, 0, false);
    menu->AddSeparator();
    menu->SetSeparatorColours(0x0000ff, 0x00ff00);
    menu->SetSeparatorInset(10);
    CanvasObject* c = menu->GetItem(0)->GetCanvas();
    EXPECT_EQ(c->GetPixel(10, 28), 0x0000ffu);
    EXPECT_EQ(c->GetPixel(50, 28), 0x0000ffu);
    EXPECT_EQ(c->GetPixel(50, 29), 0x00ff00u);
    EXPECT_EQ(c->GetPixel(9, 28), 0xf0f0f0u);
    EXPECT_EQ(c->GetPixel(50, 27), 0xf0f0f0u);
    menu->SetItemColours(0x202020, 0x303030, 0);
    EXPECT_EQ(c->GetPixel(50, 28), 0x0000ffu); // redrawn with the line
    EXPECT_EQ(c->GetPixel(9, 28), 0x202020u);
}

TEST_F(FramePopupMenus, IconsAreAtMostTwentyFourPixelsInTheTextColumn)
{
    struct Case {
        int height;
        int size;
    };
    const Case cases[] = { { 32, 24 }, { 16, 16 }, { 23, 23 }, { 24, 24 }, { 1, 1 } };
    for (const Case& c : cases) {
        FramePopupMenu* menu = MakeMenu(100, 30);
        FrameMenuItem* item = menu->AddItem("一", nullptr, 0, 0, false);
        const auto icon = host.AddPicture("icon" + std::to_string(c.height), c.height, c.height, 1, 0,
            [](int, int, int) { return 0xffff0000u; }); // opaque red, 0xAARRGGBB
        item->SetIcon(icon);
        item->DrawState(engine::kTextButtonNormal);
        SCOPED_TRACE(c.height);
        EXPECT_EQ(item->GetIconSize(), c.size);
        CanvasObject* canvas = item->GetCanvas();
        const int x0 = (40 - c.size) / 2;
        const int y0 = (30 - c.size) / 2;
        // Red, give or take the rounding of the blend.
        auto red = [canvas](int x, int y) { return (canvas->GetPixel(x, y) & 0xffff00) == 0 && (canvas->GetPixel(x, y) & 0xff) > 0xf0; };
        EXPECT_TRUE(red(x0, y0));
        EXPECT_TRUE(red(x0 + c.size - 1, y0 + c.size - 1));
        EXPECT_EQ(canvas->GetPixel(x0 + c.size, y0 + c.size), 0xf0f0f0u);
        EXPECT_EQ(canvas->GetPixel(x0 - 1, y0 - 1), 0xf0f0f0u);
        root->RemoveObject(menu, 0);
    }
    FrameMenuItem plain;
    EXPECT_EQ(plain.GetIconSize(), 24);
}

TEST_F(FramePopupMenus, BoldTakesEffectAtTheNextNormalDrawing)
{
    FramePopupMenu* menu = MakeMenu();
    // The entry is drawn with its colour before the flag is stored, so it
    // turns bold the first time it returns to its normal look.
    FrameMenuItem* bold = menu->AddItem("一", nullptr, 0x0000ff, 0, true);
    menu->AddItem("二", nullptr, 0, 0, false);
    const engine::TextStyle& style = bold->GetCanvas()->Style();
    EXPECT_TRUE(bold->IsBold());
    EXPECT_EQ(style.weight, 400);
    EXPECT_EQ(style.colour, 0x0000ffu);
    ShowWithFocus(menu);
    MoveMouse(100, 45);
    MoveMouse(100, 75);
    EXPECT_EQ(style.weight, 600);
    EXPECT_EQ(style.charSpacing, 1);
    bold->SetBold(false);
    EXPECT_EQ(style.weight, 600);
    bold->DrawState(engine::kTextButtonNormal);
    EXPECT_EQ(style.weight, 400);
    EXPECT_EQ(style.charSpacing, 0);
    EXPECT_EQ(bold->SetTextOffset(0), 40);
    EXPECT_EQ(bold->SetTextOffset(-3), 40);
    EXPECT_EQ(bold->SetTextOffset(12), 12);
}

TEST_F(FramePopupMenus, LosingTheFocusHidesTheMenuWithoutAnItemEvent)
{
    FramePopupMenu* menu = MakeMenu();
    const EngineEvent e1(owner->GetId(), 701);
    menu->AddItem("一", &e1, 0, 0, false);
    ShowWithFocus(menu);
    MoveMouse(100, 45); // hovering an entry first
    ClickAt(10, 140);
    EXPECT_FALSE(menu->IsShown());
    EXPECT_FALSE(menu->GetItem(0)->IsShown());
    EXPECT_TRUE(owner->events.empty());
}

TEST_F(FramePopupMenus, EnableItemsByEventMatchesTheClickSubscription)
{
    FramePopupMenu* menu = MakeMenu();
    FrameMenuItem* a = menu->AddItem("一", nullptr, 0, 0, false);
    FrameMenuItem* b = menu->AddItem("二", nullptr, 0, 0, false);
    a->SubscribeEvent(engine::EVT_CLICK, owner->GetId(), 601, 0, 0);
    b->SubscribeEvent(engine::EVT_CLICK, owner->GetId(), 602, 0, 0);
    menu->EnableItemsByEvent(owner->GetId(), 601, false);
    EXPECT_FALSE(a->IsInputEnabled());
    EXPECT_TRUE(b->IsInputEnabled());
    EXPECT_EQ(menu->FindItem("二"), b);
    EXPECT_EQ(menu->FindItem("三"), nullptr);
}

TEST_F(FramePopupMenus, RemovingTheMenuRemovesItsItems)
{
    FramePopupMenu* menu = MakeMenu();
    const int a = menu->AddItem("一", nullptr, 0, 0, false)->GetId();
    root->RemoveObject(menu, 0);
    EXPECT_EQ(objects->FindById(a), nullptr);
}

} // namespace
