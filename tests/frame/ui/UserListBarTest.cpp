// The user list on the headless host: which rows a room shows and in what
// order, what the cells say, hovering, the row menu with and without a
// selected row, calling a player, the looker-on permission kept only when
// its request left, and scrolling by wheel and arrows.

#include "SideListFixture.h"

#include "engine/core/GameCore.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/FrameScrollBar.h"
#include "frame/ui/UserListBar.h"
#include "platform/Clipboard.h"

using namespace frameuitest;
using engine::EngineEvent;
using frame::UserListBar;
using frame::UserListBlock;

namespace {

constexpr int kRowHeight = 20;
constexpr int kHeaderHeight = 16;
constexpr int kBarThickness = 10;
constexpr uint32_t kHoverColour = 0x0000ff;
constexpr uint32_t kShadeColours[2] = { 0x00ff00, 0xff0000 }; // frames 1 and 2

constexpr int kOther = 2002, kThird = 3003, kLooker = 4004, kSecondLooker = 5005;

class UserLists : public SideListHost {
protected:
    void SetUp() override
    {
        SideListHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("SystemUserListBar", 40, kHeaderHeight, 0x404040);
        if (withRowPicture)
            host.AddPicture("UserListBlock", 40, kRowHeight, 3, 0, [](int f, int, int) {
            return engine::CanvasObject::MakePixel(f == 0 ? kHoverColour : kShadeColours[f - 1], engine::kNoColourKey);
        });
        MakePicture("SystemDivide", 2, 12, 0x808080);
        MakePicture("bit_LookOn", 16, 16, 0x00ffff);
        MakePicture("Character7Type1", 32, 32, 0xffff00);
        MakeScrollPictures(kBarThickness);
        Put(0, false, kOwnId, "自己", 0).SetFigure(7);
        Put(2, false, kOther, "对手", 2).SetScore(-35);
        Put(0, true, kLooker, "看客", 0);
        app->SetOwnChair(0);
    }
    // The bar over the whole host (200 x 150), created and laid out.
    UserListBar* MakeBar(bool withColumns = true)
    {
        if (current)
            pane->RemoveObject(current, 0);
        auto* made = static_cast<UserListBar*>(pane->RegisterObject(std::make_unique<UserListBar>()));
        if (withColumns)
            made->AddRoomColumns();
        made->Create();
        made->SetRect(0, 0, kWidth, kHeight);
        made->Layout();
        Frame();
        block = made->GetBlock();
        current = made;
        return made;
    }
    std::vector<int> RowIds() const
    {
        std::vector<int> ids;
        for (int i = 0; i < block->GetRowCount(); ++i)
            ids.push_back(block->GetRowUserId(i));
        return ids;
    }
    // The view point at the middle of a row (when not scrolled).
    int RowY(int row) const { return kHeaderHeight + row * kRowHeight + kRowHeight / 2; }
    void RightClick(int x, int y)
    {
        MoveMouse(x, y);
        Mouse(platform::kWmRButtonDown, x, y);
        Mouse(platform::kWmRButtonUp, x, y);
    }
    void MenuCommand(int code) { block->OnEvent(EngineEvent(block->GetId(), code)); }
    frame::FramePopupMenu* Menu() const { return block->GetMenu(); }

    bool withRowPicture = true;
    UserListBar* current = nullptr;
    UserListBlock* block = nullptr;
};

class UserListsWithoutRows : public UserLists {
protected:
    void SetUp() override
    {
        withRowPicture = false;
        UserLists::SetUp();
    }
};

TEST_F(UserLists, RowsFollowTheRoomAndTheViewer)
{
    Put(1, false, kThird, "第三", 1);
    Put(5, true, kSecondLooker, "看客二", 2);
    struct Case {
        uint32_t optionsB;
        bool lookingOn;
        std::vector<int> ids;
    };
    // Seats in chair order, then lookers-on in slot order, then empty
    // rows up to the chair count + 3.
    const Case cases[] = {
        { 0, false, { kOwnId, kThird, kOther, kLooker, kSecondLooker, 0, 0 } },
        { frame::RoomInfo::kOptionB08, false, { kOwnId, kLooker, kSecondLooker, 0, 0, 0, 0 } },
        { frame::RoomInfo::kOptionB08, true, { kOwnId, kThird, kOther, kLooker, kSecondLooker, 0, 0 } },
    };
    UserListBar* bar = MakeBar();
    for (const Case& c : cases) {
        app->GetRoomInfo().SetOptionsB(c.optionsB);
        app->GetHallArgs().lookOn = c.lookingOn ? 1 : 0;
        bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_USER_LIST_REFRESH));
        EXPECT_EQ(RowIds(), c.ids) << c.optionsB << " " << c.lookingOn;
        for (int i = 0; i < block->GetRowCount(); ++i)
            EXPECT_EQ(block->GetRow(i)->shade, i % 2 + 1);
    }
    // Many lookers-on make more rows than the minimum.
    for (int slot = 10; slot < 16; ++slot)
        Put(slot, true, 9000 + slot, "x", 0);
    bar->Refresh();
    EXPECT_EQ(block->GetRowCount(), 3 + 8);
    EXPECT_EQ(bar->GetRowCount(), 11);
}

TEST_F(UserLists, ColumnsOfTheTwoKindsOfRoom)
{
    UserListBar plain;
    plain.AddRoomColumns();
    std::vector<int> kinds;
    for (const auto& c : plain.GetColumns())
        kinds.push_back(c.kind);
    EXPECT_EQ(kinds, (std::vector<int> { 0, 1, 3, 2, 5 }));
    EXPECT_EQ(plain.GetTotalWidth(), 418);

    app->GetRoomInfo().SetOptionsA(frame::RoomInfo::kOptionASilver);
    UserListBar silver;
    silver.AddRoomColumns();
    kinds.clear();
    for (const auto& c : silver.GetColumns())
        kinds.push_back(c.kind);
    EXPECT_EQ(kinds, (std::vector<int> { 0, 2, 1, 4, 3, 5 }));
    EXPECT_EQ(silver.GetColumns()[3].caption, "财富等级");
}

TEST_F(UserLists, CellsCutLongTextsAndNameTheWatchedPlayer)
{
    frame::PlayerRecord& own = *app->GetSeatPlayer(0);
    own.SetLevelTitle("一二三四五六七");
    own.SetNickname("abcdefghijklmno");
    own.SetSilver(150);
    own.SetWord68(1);
    app->GetSeatPlayer(2)->SetWord68(0);
    // Lookers-on watching chairs the server should never send.
    Put(1, true, 6001, "越界", 9);
    Put(2, true, 6002, "负数", -1);
    Put(3, true, 6003, "空位", 3);
    auto* bar = static_cast<UserListBar*>(pane->RegisterObject(std::make_unique<UserListBar>()));
    for (int kind = 0; kind <= 8; ++kind)
        bar->AddColumn(kind, 30, "c");
    bar->Create();
    bar->SetRect(0, 0, kWidth, kHeight);
    bar->Layout();
    block = bar->GetBlock();
    ASSERT_EQ(RowIds(), (std::vector<int> { kOwnId, kOther, kLooker, 6001, 6002, 6003, 0 }));
    struct Case {
        int row;
        int kind;
        std::string text;
    };
    const Case cases[] = {
        { 0, 0, "自己" },
        { 0, 1, "0" },
        { 1, 1, "-35" },
        { 0, 2, "150" },
        { 0, 3, "一二三四." },       // cut on a character, 9 bytes and a terminator
        { 0, 4, frame::GetWealthTitle(150) },
        { 0, 5, "" },                // a seated player watches nobody
        { 2, 5, "自己" },            // the looker-on watches chair 0
        { 3, 5, "" },                // chair 9
        { 4, 5, "" },                // chair -1
        { 5, 5, "" },                // an empty chair
        { 0, 6, "" },
        { 0, 7, "abcdefghi.." },     // 11 bytes and a terminator
        { 0, 8, "美女" },
        { 1, 8, "帅哥" },
        { 2, 8, "帅哥" },
        { 6, 1, "" },                // an empty row
        { 9, 1, "" },                // past the rows
    };
    app->GetLookOnPlayer(0)->SetWord68(0);
    bar->Refresh();
    for (const Case& c : cases)
        EXPECT_EQ(block->GetCellText(c.row, c.kind), c.text) << c.row << " " << c.kind;
    app->GetSeatPlayer(2)->SetWord68(7);
    bar->Refresh();
    EXPECT_EQ(block->GetCellText(1, 8), "");
}

TEST_F(UserLists, OnlyPlayerRowsHighlightUnderTheMouse)
{
    MakeBar();
    engine::CanvasObject* canvas = block->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    // Away from the head picture and the texts; shade 1 shows frame 2.
    auto shade = [&](int row) { return canvas->GetPixel(136, row * kRowHeight + 2); };
    EXPECT_EQ(shade(0), kShadeColours[1]);
    EXPECT_EQ(shade(1), kShadeColours[0]);
    MoveMouse(150, RowY(1));
    EXPECT_EQ(block->GetHoveredRow(), 1);
    EXPECT_EQ(shade(1), kHoverColour);
    // An empty row keeps its shade and the last player row stays lit.
    MoveMouse(150, RowY(4));
    EXPECT_EQ(block->GetHoveredRow(), 1);
    EXPECT_EQ(shade(4), kShadeColours[1]);
    EXPECT_EQ(shade(1), kHoverColour);
    MoveMouse(150, RowY(0));
    EXPECT_EQ(block->GetHoveredRow(), 0);
    EXPECT_EQ(shade(1), kShadeColours[0]);
    // A refresh under the mouse keeps the light on the row.
    current->Refresh();
    EXPECT_EQ(shade(0), kHoverColour);
    // The header is outside the rows: leaving the block clears the light.
    MoveMouse(150, 4);
    EXPECT_EQ(block->GetHoveredRow(), -1);
    EXPECT_EQ(shade(0), kShadeColours[1]);
}

// What the details then show (the panel, or the lobby asked) is the main
// view's: the client's own tests follow it there.
TEST_F(UserLists, LeftClickSelectsPlayerRowsOnly)
{
    MakeBar();
    ClickAt(100, RowY(1));
    ClickAt(100, RowY(5));
    EXPECT_EQ(block->GetSelectedRow(), 1);
}

TEST_F(UserLists, RightClickOpensTheMenuFilledFromTheRow)
{
    app->GetSeatPlayer(2)->SetSilver(88);
    app->GetSeatPlayer(2)->SetLevelTitle("新手");
    MakeBar();
    RightClick(150, RowY(5)); // an empty row
    EXPECT_FALSE(Menu()->IsShown());
    RightClick(20, RowY(1));
    ASSERT_TRUE(Menu()->IsShown());
    EXPECT_EQ(Menu()->GetItem(UserListBlock::kEntryHead)->GetCaption(), "对手");
    EXPECT_EQ(Menu()->GetItem(UserListBlock::kEntrySilver)->GetCaption(), "银子：88两");
    EXPECT_EQ(Menu()->GetItem(UserListBlock::kEntryScore)->GetCaption(), "积分：-35分");
    EXPECT_EQ(Menu()->GetItem(UserListBlock::kEntryLevel)->GetCaption(), "级别：新手");
    // The player can call a seated opponent; the permission needs a game.
    EXPECT_TRUE(Menu()->GetItem(UserListBlock::kEntryCall)->IsInputEnabled());
    EXPECT_FALSE(Menu()->GetItem(UserListBlock::kEntryPermission)->IsInputEnabled());
    // Below and right of the point, pulled back inside the pane.
    EXPECT_LE(Menu()->GetRight(), kWidth);
    EXPECT_LE(Menu()->GetBottom(), kHeight);
    EXPECT_GE(Menu()->GetLeft(), 20);
    // The menu's blank entry only closes it.
    MenuCommand(UserListBlock::kMenuBlank);
    EXPECT_FALSE(Menu()->IsShown());
}

TEST_F(UserLists, TheMenuIsDrawnWhereItOpens)
{
    MakeBar();
    // Opened at the block's upper right, which lies out of sight past the
    // view: pulled into the pane (its lower entries on the 150-pixel host),
    // the entries and the menu's border show where the menu stands.
    block->SelectRow(1);
    block->ShowMenu(true, -1, -1);
    Frame();
    EXPECT_LE(Menu()->GetRight(), kWidth);
    EXPECT_DOUBLE_EQ(Menu()->GetBottom(), kHeight);
    for (int i : { 4, 5, 6, 7 }) {
        frame::FrameMenuItem* item = Menu()->GetItem(i);
        const int x = static_cast<int>(item->GetLeft()) + 2;
        const int y = static_cast<int>(item->GetTop()) + 2;
        ASSERT_GE(y, 0);
        const uint32_t p = Pixel(x, y); // the menu's light grey, not a row
        for (int shift : { 0, 8, 16 })
            EXPECT_NEAR(static_cast<int>((p >> shift) & 0xff), 0xf0, 4) << i;
    }
    EXPECT_EQ(Pixel(static_cast<int>(Menu()->GetLeft()), kHeight - 1), 0u); // the border
}

TEST_F(UserLists, MenuCommandsWithoutASelectedRowOnlyHideTheMenu)
{
    UserListBar* bar = MakeBar();
    platform::SetClipboardText("before");
    RightClick(20, RowY(1));
    ASSERT_TRUE(Menu()->IsShown());
    // A refresh takes the selected row away and closes its menu.
    bar->Refresh();
    EXPECT_FALSE(Menu()->IsShown());
    EXPECT_EQ(block->GetSelectedRow(), -1);
    for (int code : { UserListBlock::kMenuCopyName, UserListBlock::kMenuDetails, UserListBlock::kMenuCall,
             UserListBlock::kMenuPermission, UserListBlock::kMenuBlank }) {
        Menu()->Show();
        MenuCommand(code);
        EXPECT_FALSE(Menu()->IsShown()) << code;
    }
    EXPECT_TRUE(connection.sent.empty());
    EXPECT_TRUE(pane->lines.empty());
    std::string clip;
    if (platform::GetClipboardText(clip)) {
        EXPECT_EQ(clip, "before");
    }
}

TEST_F(UserLists, MenuCopiesTheName)
{
    MakeBar();
    RightClick(20, RowY(1));
    MenuCommand(UserListBlock::kMenuCopyName);
    EXPECT_FALSE(Menu()->IsShown());
    std::string clip;
    if (platform::GetClipboardText(clip)) {
        EXPECT_EQ(clip, "对手");
    }
}

TEST_F(UserLists, CallingAPlayerSendsTheRequestAndShowsTheCall)
{
    app->GetRoomInfo().SetRoomId(77);
    app->SetTableNo(5);
    MakeBar();
    RightClick(20, RowY(1));
    MenuCommand(UserListBlock::kMenuCall);
    ASSERT_EQ(connection.sent.size(), 1u);
    EXPECT_EQ(connection.sent[0].id, 201200u);
    EXPECT_EQ(connection.sent[0].Word(16), kOther);
    EXPECT_EQ(connection.sent[0].Word(20), 2);
    ASSERT_EQ(pane->lines.size(), 1u);
    EXPECT_NE(pane->lines[0].find("自己呼叫"), std::string::npos);
    EXPECT_NE(pane->lines[0].find("对手"), std::string::npos);

    // A room that hides the players from one another calls nobody.
    app->GetRoomInfo().SetOptionsB(frame::RoomInfo::kOptionB08);
    app->GetHallArgs().lookOn = 1; // a looker-on still sees the rows
    MakeBar();
    RightClick(20, RowY(1));
    MenuCommand(UserListBlock::kMenuCall);
    EXPECT_EQ(connection.sent.size(), 1u);
}

TEST_F(UserLists, ThePermissionIsKeptOnlyWhenItsRequestLeft)
{
    app->BeginGame();
    UserListBar* bar = MakeBar();
    const int lookerRow = 2;
    ASSERT_EQ(block->GetRowUserId(lookerRow), kLooker);
    auto toggle = [&] {
        RightClick(20, RowY(lookerRow));
        frame::FrameMenuItem* entry = Menu()->GetItem(UserListBlock::kEntryPermission);
        EXPECT_TRUE(entry->IsInputEnabled());
        const std::string caption = entry->GetCaption();
        MenuCommand(UserListBlock::kMenuPermission);
        return caption;
    };

    // Not sent: nothing changes, nothing is said.
    connection.result = 0;
    EXPECT_EQ(toggle(), "允许旁观看牌");
    EXPECT_FALSE(block->HasViewPermission(kLooker));
    EXPECT_TRUE(pane->lines.empty());
    // A connection that was never opened does not send either.
    GameConnection closed;
    app->connection = &closed;
    EXPECT_EQ(toggle(), "允许旁观看牌");
    EXPECT_FALSE(block->HasViewPermission(kLooker));
    EXPECT_TRUE(pane->lines.empty());

    app->connection = &connection;
    connection.result = 1;
    EXPECT_EQ(toggle(), "允许旁观看牌");
    EXPECT_TRUE(block->HasViewPermission(kLooker));
    ASSERT_EQ(pane->lines.size(), 1u);
    EXPECT_EQ(pane->lines[0], " <c=2906200>自己允许看客看牌 \r\n");
    const auto& sent = connection.sent.back();
    EXPECT_EQ(sent.id, 229560u);
    EXPECT_EQ(sent.Word(16), kLooker);
    EXPECT_EQ(sent.Word(20), 1);

    // Forbidding fails: the permission stays.
    connection.result = 0;
    EXPECT_EQ(toggle(), "禁止旁观看牌");
    EXPECT_TRUE(block->HasViewPermission(kLooker));
    connection.result = 1;
    EXPECT_EQ(toggle(), "禁止旁观看牌");
    EXPECT_FALSE(block->HasViewPermission(kLooker));
    EXPECT_EQ(pane->lines.back(), " <c=2906200>自己禁止看客看牌 \r\n");
    EXPECT_EQ(connection.sent.back().Word(20), 0);

    // A game result forbids everyone again; a refresh does not.
    toggle();
    bar->Refresh();
    EXPECT_TRUE(block->HasViewPermission(kLooker));
    bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_USER_LIST_RESET_PERMISSIONS));
    EXPECT_FALSE(block->HasViewPermission(kLooker));
    // A looker-on who leaves loses it.
    toggle();
    block->RevokeViewPermission(nullptr);
    EXPECT_TRUE(block->HasViewPermission(kLooker));
    block->RevokeViewPermission(app->GetLookOnPlayer(0));
    EXPECT_EQ(block->ViewPermissionCount(), 0u);
}

TEST_F(UserLists, PermissionEntryNeedsAGameAndALookerOnOfTheOwnChair)
{
    Put(1, true, kSecondLooker, "看客二", 2); // watches the opponent
    struct Case {
        bool inGame;
        bool lookingOn;
        int row;
        bool enabled;
    };
    const Case cases[] = {
        { true, false, 2, true },   // watches the own chair
        { true, false, 3, false },  // watches another chair
        { false, false, 2, false }, // no game
        { true, true, 2, false },   // the viewer looks on himself
        { true, false, 1, false },  // a seated player
    };
    for (const Case& c : cases) {
        c.inGame ? app->BeginGame() : app->EndGame();
        app->GetHallArgs().lookOn = c.lookingOn ? 1 : 0;
        MakeBar();
        RightClick(20, RowY(c.row));
        ASSERT_TRUE(Menu()->IsShown());
        EXPECT_EQ(Menu()->GetItem(UserListBlock::kEntryPermission)->IsInputEnabled(), c.enabled) << c.row;
        MenuCommand(UserListBlock::kMenuBlank);
    }
}

TEST_F(UserLists, WheelAndArrowsScrollWithinTheContent)
{
    for (int slot = 10; slot < 14; ++slot)
        Put(slot, true, 9000 + slot, "x", 0);
    UserListBar* bar = MakeBar();
    ASSERT_EQ(block->GetRowCount(), 7);
    const double top = block->GetTop();
    EXPECT_EQ(top, kHeaderHeight);
    // The view holds 150 - 16 - 10 = 124 of 140 pixels of rows.
    ClickAt(100, RowY(0));
    Wheel(100, RowY(0), -120);
    EXPECT_EQ(block->GetTop(), top - 16) << "one row, held at the end";
    Wheel(100, RowY(0), -120);
    EXPECT_EQ(block->GetTop(), top - 16);
    Wheel(100, RowY(0), 120);
    EXPECT_EQ(block->GetTop(), top);
    Wheel(100, RowY(0), 120);
    EXPECT_EQ(block->GetTop(), top);

    // The 418 columns in a 190-pixel view: the arrows step 10 pixels and
    // take the header along.
    bar->OnEvent(EngineEvent(bar->GetId(), engine::EVT_SCROLL_RIGHT));
    EXPECT_EQ(block->GetLeft(), -10);
    EXPECT_EQ(bar->GetHeader()->GetLeft(), -10);
    bar->OnEvent(EngineEvent(bar->GetId(), engine::EVT_SCROLL_LEFT));
    bar->OnEvent(EngineEvent(bar->GetId(), engine::EVT_SCROLL_LEFT));
    EXPECT_EQ(block->GetLeft(), 0);
    // A refresh keeps the positions.
    bar->OnEvent(EngineEvent(bar->GetId(), engine::EVT_SCROLL_RIGHT));
    bar->Refresh();
    EXPECT_EQ(block->GetLeft(), -10);
    // Content shorter than the view never scrolls, even from a position
    // taken while it was longer.
    bar->ScrollDown();
    bar->SetRect(0, 0, kWidth, 200);
    bar->Layout();
    bar->ScrollDown();
    EXPECT_EQ(block->GetTop(), top);
}

TEST_F(UserListsWithoutRows, NothingIsBuiltAndNothingBreaks)
{
    UserListBar* bar = MakeBar();
    EXPECT_EQ(bar->GetBlock(), nullptr);
    bar->Refresh();
    bar->ScrollDown();
    bar->ScrollRight();
    bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_USER_LIST_RESET_PERMISSIONS));
    ASSERT_NE(bar->GetName(), nullptr);
    EXPECT_EQ(*bar->GetName(), "UserListBar");
}

} // namespace
