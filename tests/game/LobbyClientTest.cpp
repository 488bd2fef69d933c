// The client beside its lobby, as KbZn runs: what the enter reply, the
// lobby's data and the welcome bring about (the idle kick armed, the advert
// page and the room's notice loaded, the window in front), the advert
// page's own links, the complaint button and the user list reaching the
// lobby, and calls of players the client holds no record of.

#include "tests/game/LobbyClientHost.h"

#include "engine/controls/widgets/ImageButton.h"
#include "frame/ui/GameTableView.h"
#include "frame/ui/WebPageCtrl.h"
#include "frame/ui/AdvertBar.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/SafeBoxDialogs.h"
#include "frame/ui/UserListBar.h"
#include "platform/HtmlView.h"

#include <algorithm>

namespace {

using clienttest::LobbyClientTest;
using clienttest::Log;

std::string Words(std::initializer_list<int32_t> words, size_t size)
{
    std::string out(size, '\0');
    size_t at = 0;
    for (int32_t w : words) {
        for (int i = 0; i < 4; ++i)
            out[at + static_cast<size_t>(i)] = static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF);
        at += 4;
    }
    return out;
}

bool Contains(const Log& log, const std::string& line)
{
    return std::find(log.begin(), log.end(), line) != log.end();
}

// A page of link bands 30 pixels high, one under the other from the top.
std::string LinkBands(std::initializer_list<std::pair<std::string, std::string>> links)
{
    std::string page = "<body style=\"margin:0\">";
    for (const auto& [href, text] : links)
        page += "<a href=\"" + href + "\" style=\"display:block;height:30px;background-color:#00ff00\">" + text
            + "</a>";
    return page + "</body>";
}

TEST_F(LobbyClientTest, EnteringArmsTheIdleKickFromTheEnterReply)
{
    // A room that sends idle players away, after 3 seconds.
    options.roomOptionsB = 0x40 | 0x80;
    enterInfo.replace(kIdleSecondsAt, 4, Words({ 3 }, 4));
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    auto* table = dynamic_cast<frame::GameTableView*>(app->GetTableView());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetIdleKickSeconds(), 3);
    EXPECT_NE(table->GetIdleKickAction(), 0u) << "the start button arms the kick";

    const std::string kick = "notice vkf抱歉|由于您长时间没有开始游戏，系统请您离开游戏";
    EXPECT_FALSE(Contains(app->log, kick));
    Run(3200);
    EXPECT_TRUE(Contains(app->log, kick));
    EXPECT_EQ(std::count(app->log.begin(), app->log.end(), kick), 1);
    EXPECT_EQ(table->GetIdleKickAction(), 0u);
}

TEST_F(LobbyClientTest, EnteringLoadsTheAdvertPageOnceAndShowsTheRoomsNotice)
{
    Serve("advert/window/7/vk.htm", LinkBands({ { "next.htm", "next" } }));
    Serve("notify/game/7.txt", "<notify>今天的通知：欢迎光临</notify>");
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    EXPECT_GE(app->GetMainWindow()->GetWindow().TimesBroughtToFront(), 1);

    auto* bar = PaneChild<frame::AdvertBar>(frame::kAdvertBarName);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->GetPage(), nullptr);
    ASSERT_NE(bar->GetPage()->View(), nullptr);
    const std::string page = "http://" + WebHost() + "/advert/window/7/vk.htm";
    EXPECT_TRUE(RunUntil([&] { return WebRequests("/advert/window/7/vk.htm") > 0 && !bar->GetPage()->View()->IsBusy(); }));
    EXPECT_EQ(bar->GetPage()->View()->Url(), page);

    EXPECT_TRUE(RunUntil([&] { return ChatText().find("今天的通知：欢迎光临") != std::string::npos; }))
        << ChatText();
    Run(1000);
    EXPECT_EQ(WebRequests("/advert/window/7/vk.htm"), 1);
}

TEST_F(LobbyClientTest, AdvertPageLinksReachTheLobbyAndOpenInPlaceSigned)
{
    const std::string host = WebHost();
    Serve("advert/window/7/vk.htm",
        LinkBands({ { "qheapp://changeclothing/", "clothes" }, { "QHEAPP://becomemember/", "member" },
            { "qheold://" + host + "/old.htm?from=page", "old" }, { "qhenew://" + host + "/new.htm", "new" } }));
    Serve("old.htm", LinkBands({ { "advert/window/7/vk.htm", "back" } }));
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    auto* bar = PaneChild<frame::AdvertBar>(frame::kAdvertBarName);
    ASSERT_NE(bar, nullptr);
    frame::WebPageCtrl* page = bar->GetPage();
    ASSERT_TRUE(RunUntil([&] { return WebRequests("/advert/window/7/vk.htm") > 0 && !page->View()->IsBusy(); }));
    Run(200);
    // The page shows once its tab is chosen, and again after the window
    // has laid its panes out anew.
    Click(bar->GetAdvertTab());
    ASSERT_TRUE(bar->IsPageVisible());
    app->GetMainWindow()->Relayout();
    Run(100);
    EXPECT_TRUE(page->IsShown());
    const double left = page->Canvas()->GetLeft() + 20;
    const double top = page->Canvas()->GetTop();
    auto band = [&](int k) { return top + 30 * k + 15; };

    Click(left, band(0));
    const auto clothes = LobbyPosted(frame::WM_HALL_CHANGECLOTHING);
    ASSERT_TRUE(clothes);
    EXPECT_EQ(clothes->wParam, static_cast<uintptr_t>(kUserId));
    EXPECT_EQ(clothes->lParam, 0);
    Click(left, band(1));
    const auto member = LobbyPosted(frame::WM_HALL_BECOMEMEMBER);
    ASSERT_TRUE(member);
    EXPECT_EQ(member->wParam, static_cast<uintptr_t>(kUserId));

    // In place, as an http address with the user's signature.
    Click(left, band(2));
    EXPECT_TRUE(RunUntil([&] { return WebRequests("/old.htm?from=page&uid=10001&sign=") > 0; }));
    EXPECT_TRUE(RunUntil([&] { return !page->View()->IsBusy(); }));
    EXPECT_EQ(page->View()->Url().rfind("http://" + host + "/old.htm?from=page&uid=10001&sign=", 0), 0u)
        << page->View()->Url();
    EXPECT_TRUE(LobbyPosted(frame::WM_HALL_GETSIGN));

    // Back on the advert page: the new-window link goes to the system's
    // browser (none here), never into the page.
    Click(left, band(0));
    ASSERT_TRUE(RunUntil([&] { return WebRequests("/advert/window/7/vk.htm") > 1 && !page->View()->IsBusy(); }));
    Run(200);
    Click(left, band(3));
    EXPECT_TRUE(RunUntil([&] {
        for (const std::string& text : waitTexts->Take())
            if (text.find("http://" + host + "/new.htm") != std::string::npos)
                return true;
        return false;
    }));
    Run(500);
    EXPECT_EQ(WebRequests("/new.htm"), 0);
    EXPECT_EQ(page->View()->Url(), "http://" + host + "/advert/window/7/vk.htm");
}

TEST_F(LobbyClientTest, ComplaintButtonHandsTheComplaintPageToTheLobby)
{
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    auto* input = PaneChild<frame::InputBar>(frame::kInputBarName);
    ASSERT_NE(input, nullptr);
    // Emoticons, clear, screenshot, complaint.
    Click(input->GetButton(3));
    std::vector<frame::HallTextMessage> texts;
    EXPECT_TRUE(RunUntil([&] {
        texts = LobbyTexts();
        return !texts.empty();
    }));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Text(), "http://service.kbzn.example/advice.aspx?gameid=7");
    EXPECT_EQ(texts[0].Value(), 1);
    EXPECT_EQ(texts[0].UserId(), kUserId);
}

TEST_F(LobbyClientTest, UserListShowsAPlayersDetailsThroughTheLobby)
{
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    auto* list = PaneChild<frame::UserListBar>(frame::kUserListBarName);
    ASSERT_NE(list, nullptr);
    frame::UserListBlock* block = list->GetBlock();
    ASSERT_NE(block, nullptr);
    int row = -1;
    for (int i = 0; i < block->GetRowCount(); ++i)
        if (block->GetRowUserId(i) == kOtherId)
            row = i;
    ASSERT_GE(row, 0);
    engine::PictureDesc picture;
    block->LookupPicture(&picture, "UserListBlock", 0);
    ASSERT_GT(picture.height, 0);
    const double x = block->GetLeft() + 20;
    const double y = block->GetTop() + picture.height * row + picture.height / 2.0;

    auto shown = [&] {
        std::vector<tools::LobbyEvent> events;
        for (const tools::LobbyEvent& e : lobby->Events())
            if (e.kind == tools::LobbyEvent::Kind::kPosted && e.message == frame::WM_HALL_SHOWPLAYER)
                events.push_back(e);
        return events;
    };
    // A left press on the row.
    Click(x, y);
    EXPECT_TRUE(RunUntil([&] { return shown().size() == 1; }));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].wParam, lobby->ClientWindow());
    EXPECT_EQ(shown()[0].lParam, kOtherId);
    EXPECT_EQ(block->GetSelectedRow(), row);

    // The row's menu, "查看详细".
    Click(x, y, true);
    frame::FramePopupMenu* menu = block->GetMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->IsShown());
    Click(menu->GetItem(frame::UserListBlock::kEntryDetails));
    EXPECT_TRUE(RunUntil([&] { return shown().size() == 2; }));
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].lParam, kOtherId);
    EXPECT_FALSE(menu->IsShown());
}

TEST_F(LobbyClientTest, CallsOfPlayersWithoutARecordStillShow)
{
    if (!Launch())
        GTEST_SKIP() << "no video driver";
    // From a player the client has no record of, to oneself.
    ASSERT_TRUE(server.Push(201200, Words({ 4242, 1, 5, 0, kUserId }, 40)));
    EXPECT_TRUE(RunUntil([&] { return Contains(app->log, "sound SndAhoo"); }));
    EXPECT_NE(ChatText().find("呼叫 玩家10001"), std::string::npos) << ChatText();
    // From oneself to a player gone from the table: the line, no ring.
    app->log.clear();
    ASSERT_TRUE(server.Push(201200, Words({ kUserId, 1, 5, 2, 4343 }, 40)));
    EXPECT_TRUE(RunUntil([&] { return ChatText().find("玩家10001呼叫") != std::string::npos; })) << ChatText();
    EXPECT_FALSE(Contains(app->log, "sound SndAhoo"));
}

} // namespace
