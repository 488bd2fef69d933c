#pragma once
// The card table view on the headless host: an application with a settable
// chair count, game state and connection, a game state whose turn and
// status the test sets, the pictures the view, its cards and its boards
// look up, and input injected frame by frame under the settable clock.

#include "frame/core/GameState.h"
#include "cards/CardGameApp.h"
#include "cards/CardSprite.h"
#include "platform/Clock.h"
#include "platform/WindowMessages.h"
#include "tools/testhost/TestHost.h"
#include "tests/frame/core/StubGameState.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace game::testing {

class TableApp : public CardGameApp {
public:
    TableApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
    }
    int GetChairCount() const override { return chairs; }
    GameState* GetGameState() override { return state; }
    GameConnection* GetConnection() override { return connection; }
    bool IsRoomOptionC20000() const override { return recordsReplays; }
    engine::EngineObject* GetTableView() const override { return tableView; }
    int chairs = 4;
    bool recordsReplays = false;
    engine::EngineObject* tableView = nullptr;
    GameState* state = nullptr;
    GameConnection* connection = nullptr;
};

class TurnState : public frametest::StubGameState {
public:
    bool IsPlaying() const override { return playing; }
    int GetStatus() const override { return status; }
    void SetStatus(int value) override { status = value; }
    int GetTableWord32() const override { return round; }
    int GetTableWord36() const override { return baseSilver; }
    int GetTableWord40() const override { return baseScore; }
    int GetTableWord56() const override { return turnChair; }
    void SetTableWord56(int value) override { turnChair = value; }
    int GetChairStatus(int chair) const override
    {
        return chair >= 0 && chair < 4 ? chairStatus[static_cast<size_t>(chair)] : 0;
    }
    bool playing = false;
    std::array<int, 4> chairStatus {};
    int status = 0;
    int turnChair = 0;
    int round = 1;
    int baseSilver = 0;
    int baseScore = 0;
};

class TableHostTest : public ::testing::Test {
protected:
    static constexpr int kHostWidth = 1600;
    static constexpr int kHostHeight = 1000;
    static constexpr int kBoardSmallHeight = 40;
    static constexpr int kPassHeight = 30;

    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create("cardtable", kHostWidth, kHostHeight))
            GTEST_SKIP() << "no video driver";
        ASSERT_TRUE(host.Init(std::make_unique<engine::RectObject>()));
        app.state = &state;
        app.SetOwnChair(2);
        struct Size {
            const char* part;
            int w;
            int h;
        };
        for (const Size s : { Size { "71x96", 71, 96 }, Size { "82x110", 82, 110 }, Size { "98x132", 98, 132 },
                 Size { "50x68", 50, 68 } }) {
            Picture(CardPictureName(false, s.part), s.w, s.h);
            Picture(CardPictureName(true, s.part), s.w, s.h, 54);
        }
        Picture("PlayerBoardSmall", 120, kBoardSmallHeight);
        // Each button a size of its own so a mix-up shows.
        int w = 20;
        for (const char* name : { "btn_StartGame", "btnThrow", "btn_Sort1", "btn_Sort2", "btn_Sort3", "btn_SortBomb",
                 "btn_SortBig", "btn_SortType", "btn_AutoPlay", "btn_CheckResult", "btn_AskCardView" })
            Picture(name, w++, 24, 4);
        Picture("btnPass", 60, kPassHeight, 4);
        Picture("btnRemaind", 61, kPassHeight, 4);
        Picture("过牌提示", 90, 20);
        Picture("waitsolo", 100, 50);
        Picture("bit_BkgPattern", 300, 200);
        Picture("digiti_Clock", 20, 30, 10);
        Picture("digit_Pen", 10, 14, 12);
        Picture("digit_Pen2", 10, 14, 10);
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Picture(const std::string& name, int w, int h, int frames = 1)
    {
        host.AddPicture(name, w, h, frames, 0, [](int, int, int) { return 0xff336699u; });
    }
    void Frame(uint32_t ms = 11)
    {
        m_tick += ms;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    void Mouse(uint32_t message, int x, int y)
    {
        host.InjectInput(message, x, y);
        Frame();
    }
    void Click(int x, int y)
    {
        Mouse(platform::kWmMouseMove, x, y);
        Mouse(platform::kWmLButtonDown, x, y);
        Mouse(platform::kWmLButtonUp, x, y);
        Frame();
    }
    uint32_t Tick() const { return m_tick; }

    tools::TestHost host;
    TableApp app;
    TurnState state;

private:
    uint32_t m_tick = 100000;
};

} // namespace game::testing
