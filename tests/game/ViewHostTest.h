#pragma once
// The game's table view tests on the headless host: the host started with
// the settable clock, pictures of one colour made by name (the card faces
// and backs at every size class in one go), and the engine run frame by
// frame with the clock moved on first.

#include "engine/objects/RectObject.h"
#include "cards/CardSprite.h"
#include "game/FriendGameApp.h"
#include "game/FriendTableView.h"
#include "platform/Clock.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace friendtest {

// The side pane as far as the table view uses it: the chat lines it is
// handed, in order.
class ChatPane : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == 80000057 && event.param)
            lines.emplace_back(reinterpret_cast<const char*>(event.param));
        return 1;
    }
    std::vector<std::string> lines;
};

class ViewHostTest : public ::testing::Test {
protected:
    // False when there is no video driver (the test skips then).
    bool StartHost(const char* name, int width = 1280, int height = 860)
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create(name, width, height))
            return false;
        return host.Init(std::make_unique<engine::RectObject>());
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Picture(const std::string& name, int w, int h, int frames = 1, uint32_t delayMs = 0)
    {
        host.AddPicture(name, w, h, frames, delayMs, [](int, int, int) { return 0xff336699u; });
    }
    // Faces (54 frames) and backs of the cards at the four size classes,
    // all of one size.
    void CardPictures(int w = 71, int h = 96)
    {
        for (const char* part : { "_50_68", "_71_96", "_82_110", "_98_132" }) {
            Picture(game::CardPictureName(false, part), w, h);
            Picture(game::CardPictureName(true, part), w, h, 54);
        }
    }
    // The player boards and the table's buttons: start, throw, the sorts,
    // auto play, result, card view, the arranged-cards pair, seek friend
    // and card master, then pass and hint.
    void TableButtonPictures()
    {
        Picture("PlayerBoardSmall", 120, 40);
        for (const char* name : { "btn_StartGame", "btnThrow", "btn_Sort1", "btn_Sort2", "btn_Sort3", "btn_SortBomb",
                 "btn_SortBig", "btn_SortType", "btn_AutoPlay", "btn_CheckResult", "btn_AskCardView",
                 "btn_SortCustomer", "btn_CancelCustomer", "觅友", "btn_Cardmaster" })
            Picture(name, 26, 24, 4);
        Picture("btnPass", 60, 30, 4);
        Picture("btnRemaind", 61, 30, 4);
    }
    // The turn clock's digits, small and big.
    void ClockPictures()
    {
        Picture("digiti_Clock", 20, 30, 10);
        Picture("digiti_Clock_Big", 30, 44, 10);
    }
    // The result box and its three buttons.
    void ResultBoxPictures()
    {
        Picture("结算框", 420, 290);
        Picture("结果框确定", 80, 30, 4);
        Picture("结果框继续游戏", 80, 30, 4);
        Picture("结果框关闭按钮", 20, 20, 4);
    }
    // The waiting and ready animations and the fireworks.
    void WaitPictures()
    {
        Picture("waitsolo", 100, 50, 2);
        Picture("animation_Ready", 40, 20);
        Picture("她比烟花更多情", 120, 120, 6, 100);
    }
    // Four players at their chairs, named 玩家0 .. 玩家3, user ids from
    // `firstUser` in chair order.
    static void SeatPlayers(game::FriendGameApp& app, int firstUser)
    {
        for (int chair = 0; chair < 4; ++chair) {
            frame::PlayerRecord* player = app.GetSeatPlayer(chair);
            player->SetUserId(firstUser + chair);
            player->SetChair(chair);
            player->SetName("玩家" + std::to_string(chair));
        }
    }
    // The table view under the root as the main view names it, at the
    // window's top left; null when the root refused it.
    template <class View = game::FriendTableView>
    View* AddTableView(int width, int height)
    {
        auto made = std::make_unique<View>();
        made->SetName("MainGame");
        auto* added = static_cast<View*>(host.GetRootObject()->RegisterObject(std::move(made)));
        if (added)
            added->SetRect({ 0, 0, width, height });
        return added;
    }
    void Frame(uint32_t ms)
    {
        m_tick += ms;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    // Frames of 30 ms for a span of engine time.
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 30)
            Frame(30);
    }
    uint32_t Tick() const { return m_tick; }

    tools::TestHost host;

private:
    uint32_t m_tick = 100000;
};

} // namespace friendtest
