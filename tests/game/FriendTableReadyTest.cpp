// The game's table view around the plays, on the headless host with the
// engine's clock in the test's hand: the ready countdown's warnings and its
// single close at expiry, the start button's requests, the seat events as a
// table of before and after, the bonus counts with their fireworks, the
// award lines of the marquee with bodies short and long, and the QR-code
// picture read back as a BMP against the encoder's modules.

#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/NameKey.h"
#include "engine/modules/ResourceModule.h"
#include "engine/modules/ResourceNames.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "cards/CardGameApp.h"
#include "cards/CardPlayerBoard.h"
#include "cards/CardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendPlayerBoard.h"
#include "game/QrCodePicture.h"
#include "platform/Clock.h"
#include "table/Cards.h"
#include "table/FriendRecords.h"
#include "tests/game/ViewHostTest.h"
#include "tools/testhost/TestHost.h"
#include "platform/Bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
using game::FriendGameData;
using frame::RoomInfo;

constexpr uint32_t kCountdownRoom = RoomInfo::kOptionB40 | RoomInfo::kOptionB80;

using friendtest::ChatPane;

// The requests the start button and the change of table send.
class StartConnection : public GameConnection {
public:
    int RequestStartChecked(std::string&) override { return Sent("201165", checkedAnswer); }
    int RequestStart(std::string&) override { return Sent("201160", 1); }
    int ChangeTable(std::string&) override { return Sent("201300", 1); }
    int checkedAnswer = 1;
    Log sent;

private:
    int Sent(const char* id, int answer)
    {
        sent.emplace_back(id);
        return answer;
    }
};

class TestApp : public game::CardGameApp {
public:
    TestApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
        const char* names[] = { "东家", "南家老王", "西家", "北家" };
        for (int chair = 0; chair < 4; ++chair) {
            GetSeatPlayer(chair)->SetName(names[chair]);
            GetSeatPlayer(chair)->SetUserId(1000 + chair);
            GetSeatPlayer(chair)->SetChair(chair);
        }
    }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &data; }
    GameConnection* GetConnection() override { return &connection; }
    engine::EngineObject* GetTableView() const override { return view; }
    std::span<uint8_t> GetEnterDataBuffer() override { return data.TableInfoBuffer(); }
    std::span<uint8_t> GetLookOnDataBuffer() override { return data.TableStateBuffer(); }
    engine::EngineObject* GetSystemPane() const override { return &pane; }
    FriendGameData data;
    StartConnection connection;
    engine::EngineObject* view = nullptr;
    mutable ChatPane pane;
};

// The view with its close counted instead of posted to a main window.
class ReadyView : public game::FriendTableView {
public:
    void CloseForNotReady() override { ++closes; }
    using FriendTableView::OnReadyCountdownTick;
    int closes = 0;
};

class ReadyHost : public friendtest::ViewHostTest {
protected:
    static constexpr int kOwn = 1;

    void SetUp() override
    {
        if (!StartHost("friendready"))
            GTEST_SKIP() << "no video driver";
        app.SetOwnChair(kOwn);
        Picture("PlayerBoardSmall", 120, 40);
        Picture("btn_StartGame", 80, 30, 4);
        ClockPictures();
        WaitPictures();
        Picture("炸弹图标", 50, 30);
        view = AddTableView<ReadyView>(1280, 860);
        ASSERT_NE(view, nullptr);
        app.view = view;
        Frame();
    }
    void TearDown() override
    {
        ViewHostTest::TearDown();
        app.view = nullptr;
    }
    using ViewHostTest::Frame;
    void Frame() { Frame(50); }
    // Whole seconds of engine time, one countdown tick each.
    void Seconds(int n)
    {
        for (int i = 0; i < n * 20; ++i)
            Frame();
    }
    void Room(uint32_t optionsB) { app.GetRoomInfo().SetOptionsB(optionsB); }
    void Ready(int chair) { app.data.SetChairReady(chair); }
    int CountLines(const std::string& part) const
    {
        int n = 0;
        for (const std::string& line : app.pane.lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    bool StartShown() const { return view->GetButton(game::CardTableView::kStartButton)->IsShown(); }
    void Event(int code, engine::MessageWord param = 0)
    {
        view->OnEvent(engine::EngineEvent(view->GetId(), code, param, 0));
    }

    TestApp app;
    ReadyView* view = nullptr;
};

// ---- the ready countdown ---------------------------------------------------------------------

TEST_F(ReadyHost, CountdownWarnsAtFifteenTenFiveAndClosesOnceAtExpiry)
{
    Room(kCountdownRoom);
    view->StartReadyCountdown(30);
    ASSERT_TRUE(view->IsReadyCountdownRunning());
    const engine::ImageNumber* clock = view->GetClockInUse();
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(clock->IsShown());
    EXPECT_EQ(clock->GetValue(), 30);
    // The clock stands above the start button.
    const engine::ImageButton* start = view->GetButton(game::CardTableView::kStartButton);
    EXPECT_EQ(clock->GetX(), start->GetX());
    EXPECT_EQ(clock->GetY(), start->GetY() - 45);

    std::vector<int> warnedAt;
    for (int tick = 1; tick <= 30; ++tick) {
        const size_t before = app.pane.lines.size();
        view->OnReadyCountdownTick();
        if (app.pane.lines.size() > before)
            warnedAt.push_back(tick);
        EXPECT_EQ(clock->GetValue(), 30 - tick);
    }
    EXPECT_EQ(warnedAt, (std::vector<int> { 16, 21, 26 }));
    EXPECT_EQ(CountLines("15秒<>内未准备, 您将被请离游戏!"), 1);
    EXPECT_EQ(CountLines("<c=255>5秒"), 1);
    EXPECT_EQ(view->closes, 0);

    // The 31st second closes the window, once: the clock goes and no
    // further second comes, however long the close takes to come through.
    view->OnReadyCountdownTick();
    EXPECT_EQ(view->closes, 1);
    EXPECT_FALSE(view->IsReadyCountdownRunning());
    EXPECT_FALSE(clock->IsShown());
    Seconds(5);
    EXPECT_EQ(view->closes, 1);
}

TEST_F(ReadyHost, CountdownRunsOnlyInCountdownRoomsOutsideAGame)
{
    struct Case {
        uint32_t optionsB;
        bool inGame;
        bool runs;
    };
    for (const Case c : { Case { kCountdownRoom, false, true }, Case { RoomInfo::kOptionB40, false, false },
             Case { RoomInfo::kOptionB80, false, false }, Case { kCountdownRoom, true, false } }) {
        SCOPED_TRACE(std::to_string(c.optionsB) + (c.inGame ? " in game" : ""));
        Room(c.optionsB);
        c.inGame ? app.BeginGame() : app.EndGame();
        view->StartReadyCountdown(30);
        EXPECT_EQ(view->IsReadyCountdownRunning(), c.runs);
        view->StopReadyCountdown();
    }
}

TEST_F(ReadyHost, ASecondStartReplacesTheRunningCountdown)
{
    Room(kCountdownRoom);
    view->StartReadyCountdown(30);
    for (int i = 0; i < 3; ++i)
        view->OnReadyCountdownTick();
    EXPECT_EQ(view->GetReadySeconds(), 27);
    view->StartReadyCountdown(5);
    EXPECT_EQ(view->GetReadySeconds(), 5);
    // One tick a second: the replaced countdown left no ticks behind.
    Seconds(3);
    EXPECT_GE(view->GetReadySeconds(), 2);
    EXPECT_LE(view->GetReadySeconds(), 3);
    Seconds(10);
    EXPECT_EQ(view->closes, 1);
}

TEST_F(ReadyHost, AGameThatBeganBeforeExpiryIsNotClosed)
{
    Room(kCountdownRoom);
    view->StartReadyCountdown(3);
    Seconds(2);
    app.BeginGame();
    Seconds(3);
    EXPECT_EQ(view->closes, 0);
    EXPECT_FALSE(view->IsReadyCountdownRunning());
}

TEST_F(ReadyHost, OthersStartingShortenTheCountdownAndTheOwnStartStopsIt)
{
    Room(kCountdownRoom);
    view->ShowStartButton();
    EXPECT_EQ(view->GetReadySeconds(), 30);
    for (const int chair : { 0, 2 }) {
        Ready(chair);
        view->OnPlayerStarted(chair);
        EXPECT_EQ(view->GetReadySeconds(), 30);
    }
    Ready(3);
    view->OnPlayerStarted(3);
    EXPECT_TRUE(view->AllOthersReady());
    EXPECT_EQ(view->GetReadySeconds(), 15);
    Ready(kOwn);
    view->OnPlayerStarted(kOwn);
    EXPECT_FALSE(view->IsReadyCountdownRunning());
    EXPECT_FALSE(view->AllOthersReady());

    // With everyone else ready the start button gives 15 seconds at once.
    app.data.ResetFlags();
    for (const int chair : { 0, 2, 3 })
        Ready(chair);
    view->ShowStartButton();
    EXPECT_EQ(view->GetReadySeconds(), 15);
    // Set to start on close, the button keeps the running countdown.
    view->OnReadyCountdownTick();
    view->OnReadyCountdownTick();
    view->SetStartOnClose(true);
    view->ShowStartButton();
    EXPECT_EQ(view->GetReadySeconds(), 13);
}

// ---- the start button ---------------------------------------------------------------------------

TEST_F(ReadyHost, StartButtonSendsTheRoomsRequest)
{
    struct Case {
        uint32_t optionsB;
        int checkedAnswer;
        const char* request;
        bool shownAfter;
    };
    for (const Case c : { Case { kCountdownRoom, 1, "201165", false }, Case { kCountdownRoom, 0, "201165", true },
             Case { 0, 1, "201160", false } }) {
        SCOPED_TRACE(c.request + std::string(c.checkedAnswer ? "" : " refused"));
        Room(c.optionsB);
        app.connection.sent.clear();
        app.connection.checkedAnswer = c.checkedAnswer;
        view->ShowStartButton();
        ASSERT_TRUE(StartShown());
        view->OnReadyCountdownTick();
        const int left = view->GetReadySeconds();
        Event(game::EVT_START_CLICKED);
        EXPECT_EQ(app.connection.sent, Log { c.request });
        EXPECT_EQ(StartShown(), c.shownAfter);
        // A refused start shows the button again with a new countdown; an
        // accepted one waits for the server's word that the player started.
        if (c.optionsB == kCountdownRoom) {
            EXPECT_EQ(view->GetReadySeconds(), c.shownAfter ? 30 : left);
        }
        view->StopReadyCountdown();
    }
}

// ---- seat events ---------------------------------------------------------------------------------

TEST_F(ReadyHost, SeatEventsSetButtonCountdownAndWaitingSprite)
{
    struct Case {
        const char* what;
        uint32_t optionsB;
        int reenter;
        std::function<void()> act;
        bool start;
        bool countdown;
        bool waitSolo;
    };
    const Case cases[] = {
        { "boards, plain countdown room", kCountdownRoom, 0, [this] { Event(game::EVT_REFRESH_BOARDS); },
            true, true, false },
        { "boards, solo room", kCountdownRoom | RoomInfo::kOptionB02, 0,
            [this] { Event(game::EVT_REFRESH_BOARDS); }, false, false, true },
        { "boards, solo room after a restart", kCountdownRoom | RoomInfo::kOptionB02, 1,
            [this] { Event(game::EVT_REFRESH_BOARDS); }, true, true, false },
        { "table changed", kCountdownRoom, 0, [this] { Event(game::EVT_TABLE_CHANGED); }, true, true,
            false },
        { "waiting alone", kCountdownRoom, 0,
            [this] {
                view->ShowStartButton();
                view->OnWaitSolo();
            },
            true, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Room(c.optionsB);
        app.GetHallArgs().reenter = c.reenter;
        view->StopReadyCountdown();
        view->GetButton(game::CardTableView::kStartButton)->Hide();
        view->HideWaitSolo();
        c.act();
        EXPECT_EQ(StartShown(), c.start);
        EXPECT_EQ(view->IsReadyCountdownRunning(), c.countdown);
        EXPECT_EQ(view->GetWaitSolo() && view->GetWaitSolo()->IsShown(), c.waitSolo);
    }
}

TEST_F(ReadyHost, ReadyMarksFollowTheChairsThatStarted)
{
    Room(kCountdownRoom);
    Ready(0);
    Ready(3);
    Event(game::EVT_TABLE_CHANGED);
    for (int chair = 0; chair < 4; ++chair) {
        const engine::SpriteObject* mark = view->GetChairBoard(chair)->GetAnimationSprite();
        EXPECT_EQ(mark && mark->IsShown(), chair == 0 || chair == 3) << chair;
    }
    // A player who leaves is no longer ready at this table.
    Event(game::EVT_PLAYER_LEAVE, engine::ToWord(app.GetSeatPlayer(3)));
    EXPECT_FALSE(app.data.IsChairReady(3));
    EXPECT_TRUE(app.data.IsChairReady(0));
}

TEST_F(ReadyHost, AgreedExitStopsTheCountdownOnlyForTheOwnChair)
{
    auto body = [](int chair, int agreed, size_t size = 36) {
        std::vector<uint8_t> b(size, 0);
        std::memcpy(b.data() + 4, &chair, 4);
        if (size >= 36)
            std::memcpy(b.data() + 32, &agreed, 4);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> body;
        bool stops;
    };
    const Case cases[] = {
        { "own chair, agreed", body(kOwn, 1), true },
        { "own chair, not agreed", body(kOwn, 0), false },
        { "another chair", body(2, 1), false },
        { "short body", body(kOwn, 1, 35), false },
    };
    Room(kCountdownRoom);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->ShowStartButton();
        view->OnOwnExitAgreed(c.body.data(), c.body.size());
        EXPECT_EQ(view->IsReadyCountdownRunning(), !c.stops);
        EXPECT_EQ(StartShown(), !c.stops);
    }
}

TEST_F(ReadyHost, ChangingTableAsksOnlyInCountdownRoomsWithoutSoloPlay)
{
    Room(kCountdownRoom | RoomInfo::kOptionB02);
    Event(game::EVT_CHANGE_TABLE);
    EXPECT_TRUE(app.connection.sent.empty());
    Room(kCountdownRoom);
    Event(game::EVT_CHANGE_TABLE);
    EXPECT_EQ(app.connection.sent, Log { "201300" });
    EXPECT_TRUE(StartShown());
    EXPECT_EQ(view->GetReadySeconds(), 30);
}

// ---- the automatic lead --------------------------------------------------------------------------

// A card of the first deck: value 1 (ace) .. 13 (king), 14 small joker,
// 15 big joker; `copy` 1 takes the second deck's card.
int CardId(int value, int suit = 0, int copy = 0)
{
    const int face = value == 14 ? 52 : value == 15 ? 53 : suit * 13 + value - 1;
    return face + 54 * copy;
}

class AutoLead : public ReadyHost {
protected:
    void SetUp() override
    {
        ReadyHost::SetUp();
        if (IsSkipped())
            return;
        app.data.SetStatus(FriendGameData::kStatusRunning | FriendGameData::kStatusPlayPhase);
        app.data.SetTableWord56(kOwn);
        view->GetButton(game::CardTableView::kThrowButton)->Show();
    }
    void Hand(const std::vector<int>& ids)
    {
        for (size_t i = 0; i < ids.size(); ++i) {
            game::CardSprite* card = view->GetCard(static_cast<int>(i));
            ASSERT_NE(card, nullptr);
            card->cardId = ids[i];
            card->ownerChair = kOwn;
            card->seat = 0;
            card->faceUp = 1;
            card->selected = 0;
            card->state = game::kCardInHand;
            card->order = static_cast<int>(i);
            card->count = static_cast<int>(ids.size());
        }
    }
    // The values of the selected own cards, lowest first.
    std::vector<int> SelectedValues() const
    {
        std::vector<int> values;
        for (int i = 0; i < view->GetCreatedCardCount(); ++i)
            if (const game::CardSprite* card = view->GetCard(i);
                card->ownerChair == kOwn && card->state == game::kCardInHand && card->selected)
                values.push_back(table::CardValue(card->cardId));
        std::sort(values.begin(), values.end());
        return values;
    }
};

TEST_F(AutoLead, LeadsTheLowestGroupKeepingBombsAndJokerPairs)
{
    struct Case {
        const char* what;
        std::vector<int> hand;
        std::vector<int> led;
    };
    const Case cases[] = {
        { "the lowest card's pair", { CardId(3), CardId(3, 1), CardId(5), CardId(5, 1), CardId(5, 2), CardId(5, 3),
                                        CardId(9) },
            { 3, 3 } },
        { "the lowest card in a bomb: the lowest single instead",
            { CardId(3), CardId(3, 1), CardId(3, 2), CardId(3, 3), CardId(9), CardId(9, 1), CardId(12) }, { 12 } },
        { "four jokers are not split into pairs",
            { CardId(3), CardId(3, 1), CardId(3, 2), CardId(3, 3), CardId(8), CardId(8, 1), CardId(8, 2), CardId(8, 3),
                CardId(14), CardId(14, 0, 1), CardId(15), CardId(15, 0, 1) },
            { 3, 3, 3, 3 } },
        { "one value besides four jokers goes out whole",
            { CardId(3), CardId(3, 1), CardId(3, 2), CardId(3, 3), CardId(14), CardId(14, 0, 1), CardId(15),
                CardId(15, 0, 1) },
            { 3, 3, 3, 3, 14, 14, 15, 15 } },
        { "one value with a joker goes out whole", { CardId(7), CardId(7, 1), CardId(7, 2), CardId(14) },
            { 7, 7, 7, 14 } },
        { "jokers alone go out whole", { CardId(14), CardId(15) }, { 14, 15 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Hand(c.hand);
        view->PlayForMe();
        EXPECT_EQ(SelectedValues(), c.led);
        for (size_t i = 0; i < c.hand.size(); ++i)
            view->GetCard(static_cast<int>(i))->state = game::kCardHidden;
        view->GetButton(game::CardTableView::kThrowButton)->Show();
    }
}

TEST_F(AutoLead, NothingMovesOutsideThePlayPhaseOrTheOwnTurn)
{
    Hand({ CardId(3), CardId(4) });
    app.data.SetStatus(FriendGameData::kStatusRunning);
    view->PlayForMe();
    EXPECT_TRUE(SelectedValues().empty());
    app.data.SetStatus(FriendGameData::kStatusRunning | FriendGameData::kStatusPlayPhase);
    app.data.SetTableWord56(kOwn + 1);
    view->PlayForMe();
    EXPECT_TRUE(SelectedValues().empty());
    app.data.SetTableWord56(kOwn);
    view->PlayForMe();
    EXPECT_EQ(SelectedValues(), (std::vector<int> { 3 }));
}

// ---- bonus counts and fireworks ---------------------------------------------------------------------

std::vector<uint8_t> BonusBody(std::array<int, 4> counts)
{
    std::vector<uint8_t> body(24, 0);
    for (size_t c = 0; c < 4; ++c)
        std::memcpy(body.data() + 8 + 4 * c, &counts[c], 4);
    return body;
}

TEST_F(ReadyHost, ARisingBonusCountFiresAtThatChairsBadge)
{
    const auto first = BonusBody({ 0, 2, 0, 1 });
    view->OnBonusCounts(first.data(), first.size());
    // The counts live in the chairs' seat records of the table state.
    const int counts[] = { 0, 2, 0, 1 };
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_EQ(app.data.TableWord(table::FriendTableState::kChairRecordsOffset + 108 * chair + 56), counts[chair]);
    engine::SpriteObject* fireworks = view->GetFireworks();
    ASSERT_NE(fireworks, nullptr);
    EXPECT_TRUE(fireworks->IsShown());
    // The last chair whose count rose.
    double x = 0;
    double y = 0;
    view->GetGameChairBoard(3)->GetBombBadgePosition(&x, &y);
    EXPECT_EQ(fireworks->GetX(), x);
    EXPECT_EQ(fireworks->GetY(), y);
    EXPECT_TRUE(view->GetGameChairBoard(1)->GetBombBadge()->IsShown());
    EXPECT_FALSE(view->GetGameChairBoard(0)->GetBombBadge()->IsShown());
    // Played once, then hidden.
    Seconds(2);
    EXPECT_FALSE(fireworks->IsShown());

    // No count rose: nothing fires.
    const auto same = BonusBody({ 0, 2, 0, 0 });
    view->OnBonusCounts(same.data(), same.size());
    EXPECT_FALSE(fireworks->IsShown());
    EXPECT_EQ(view->GetBonusCount(3), 0);
    // A short body changes nothing.
    const auto rise = BonusBody({ 5, 5, 5, 5 });
    view->OnBonusCounts(rise.data(), 23);
    EXPECT_EQ(view->GetBonusCount(0), 0);
    EXPECT_FALSE(fireworks->IsShown());
}

// ---- award lines ----------------------------------------------------------------------------------------

std::string LineText(const game::MarqueeLine& line)
{
    std::string text;
    for (const game::MarqueeSegment& s : line)
        text += s.text;
    return text;
}

std::vector<uint8_t> AwardBody(size_t nameAt, const std::string& name, std::vector<int> words, size_t size)
{
    std::vector<uint8_t> body(size, 0);
    std::memcpy(body.data() + nameAt, name.data(), std::min(name.size(), size - nameAt));
    const size_t wordsAt = nameAt + 32;
    for (size_t i = 0; i < words.size() && wordsAt + 4 * i + 4 <= size; ++i)
        std::memcpy(body.data() + wordsAt + 4 * i, &words[i], 4);
    return body;
}

TEST_F(ReadyHost, AwardsBecomeColouredMarqueeLines)
{
    game::AwardMarquee& marquee = view->GetMarquee();
    struct Case {
        const char* what;
        void (game::FriendTableView::*call)(const uint8_t*, size_t);
        std::vector<uint8_t> body;
        std::string text;       // empty: refused
        uint32_t countColour;   // of the third segment
    };
    const std::string longName(40, 'A');
    const Case cases[] = {
        { "win streak", &game::FriendTableView::OnWinStreakAward, AwardBody(0, "南家老王", { 7 }, 36),
            "恭喜手机玩家 南家老王 连赢 7 局", 0x0000ff },
        { "win streak, short", &game::FriendTableView::OnWinStreakAward, AwardBody(0, "南家老王", { 7 }, 35), "", 0 },
        { "bonus", &game::FriendTableView::OnBonusAward, AwardBody(4, "西家", { 12, 500, 3 }, 48),
            "恭喜手机玩家 西家 意气风发, 已累计打出了 12 赏, 喜得500两银子、3局双倍积分的奖励。", 0x0000ff },
        { "bonus, short", &game::FriendTableView::OnBonusAward, AwardBody(4, "西家", { 12, 500, 3 }, 47), "", 0 },
        { "rounds", &game::FriendTableView::OnRoundsAward, AwardBody(4, "北家", { 300, 1000, 5 }, 48),
            "恭喜手机玩家 北家 勤勤恳恳玩了 300 局，牌神感其诚，赏赐1000两银子、5局双倍积分的奖励。", 0x0000ff },
        // A name without its zero stops at its field's 31 bytes.
        { "rounds, unterminated name", &game::FriendTableView::OnRoundsAward,
            AwardBody(4, longName, { 1, 2, 3 }, 48),
            "恭喜手机玩家 " + std::string(31, 'A') + " 勤勤恳恳玩了 1 局，牌神感其诚，赏赐2两银子、3局双倍积分的奖励。",
            0x0000ff },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each line queues behind the one on the marquee; the newest is last.
        const size_t before = marquee.GetWaiting();
        const game::MarqueeLine current = marquee.GetCurrent();
        (view->*c.call)(c.body.data(), c.body.size());
        const bool added = marquee.GetWaiting() > before || LineText(marquee.GetCurrent()) != LineText(current);
        EXPECT_EQ(added, !c.text.empty());
        if (!added)
            continue;
        // Drain the queue to read the newest line.
        while (marquee.GetWaiting())
            marquee.Next();
        const game::MarqueeLine& line = marquee.GetCurrent();
        EXPECT_EQ(LineText(line), c.text);
        ASSERT_GE(line.size(), 3u);
        EXPECT_EQ(line[0].colour, 0xffffffu);
        EXPECT_EQ(line[1].colour, 0x00ffffu);
        EXPECT_EQ(line[3].colour, c.countColour);
    }
}

// ---- the QR-code picture ------------------------------------------------------------------------------

uint32_t Le32(const char* p)
{
    return platform::LoadLe32(reinterpret_cast<const uint8_t*>(p));
}

class QrPicture : public ReadyHost {
protected:
    // The registered picture's bytes; empty when there is none.
    std::string Registered()
    {
        engine::ResourceModule* resources = view->GetResourceModule();
        const engine::NameKey key = engine::MakeNameKey(engine::ResourceLookupName("QRCode_Image.bmp"));
        if (!resources->Exists(key))
            return {};
        const engine::ResourceEntry* entry = resources->LoadEntry(key);
        return entry && entry->data ? std::string(entry->data.get(), entry->length) : std::string();
    }
};

TEST_F(QrPicture, BitmapHoldsTheEncodersModulesSixPixelsEach)
{
    for (const std::string& text : { std::string("http://kbzn.example/bind?u=1001"), std::string(300, 'x') }) {
        SCOPED_TRACE(text.size());
        const auto modules = game::EncodeQrText(text);
        ASSERT_TRUE(modules);
        view->BuildQrCodePicture(text);
        const std::string bmp = Registered();
        const size_t w = static_cast<size_t>(modules->width);
        const size_t side = 6 * w;
        const size_t rowBytes = 18 * w + (w % 2 ? 2 : 0);
        ASSERT_EQ(bmp.size(), 54 + rowBytes * side);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(Le32(&bmp[2]), bmp.size());
        EXPECT_EQ(Le32(&bmp[10]), 54u);
        EXPECT_EQ(Le32(&bmp[14]), 40u);
        EXPECT_EQ(Le32(&bmp[18]), side);
        EXPECT_EQ(static_cast<int32_t>(Le32(&bmp[22])), -static_cast<int32_t>(side));
        EXPECT_EQ(bmp[26], 1);
        EXPECT_EQ(bmp[28], 24);
        // Every pixel is the colour of its module, rows top-down.
        int wrong = 0;
        for (size_t y = 0; y < side; ++y)
            for (size_t x = 0; x < side; ++x) {
                const auto* px = reinterpret_cast<const uint8_t*>(&bmp[54 + y * rowBytes + 3 * x]);
                const uint8_t want = modules->IsDark(static_cast<int>(x / 6), static_cast<int>(y / 6)) ? 0 : 0xff;
                wrong += px[0] != want || px[1] != want || px[2] != want;
            }
        EXPECT_EQ(wrong, 0);
        // The finder pattern's corner is dark, the quiet module beside it light.
        EXPECT_TRUE(modules->IsDark(0, 0));
        EXPECT_FALSE(modules->IsDark(7, 0));
        // The engine decodes the picture at its size (pictures are looked up
        // without their extension).
        engine::PictureDesc picture;
        view->LookupPicture(&picture, "QRCode_Image", 0);
        ASSERT_NE(picture.record, nullptr);
        EXPECT_EQ(picture.width, static_cast<int>(side));
        EXPECT_EQ(picture.height, static_cast<int>(side));
    }
}

TEST_F(QrPicture, SmallestSymbolRowsCarryTwoBytesOfPadding)
{
    const auto modules = game::EncodeQrText("KbZn");
    ASSERT_TRUE(modules);
    ASSERT_EQ(modules->width, 21);
    const std::vector<uint8_t> file = game::QrBitmapFile(*modules);
    EXPECT_EQ(file.size(), 54u + 380u * 126u);
    // The padding after each row's 378 pixel bytes is zero.
    for (size_t y = 0; y < 126; ++y) {
        EXPECT_EQ(file[54 + y * 380 + 378], 0);
        EXPECT_EQ(file[54 + y * 380 + 379], 0);
    }
}

TEST_F(QrPicture, TextsTheSymbolCannotHoldRegisterNothing)
{
    EXPECT_FALSE(game::EncodeQrText(""));
    EXPECT_FALSE(game::EncodeQrText(std::string(game::kQrMaxTextBytes + 1, 'x')));
    // The largest text fits the largest symbol.
    const auto largest = game::EncodeQrText(std::string(game::kQrMaxTextBytes, 'x'));
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->width, 177);

    view->BuildQrCodePicture(std::string(game::kQrMaxTextBytes + 1, 'x'));
    EXPECT_TRUE(Registered().empty());
    view->BuildQrCodePicture(std::string(100000, 'y'));
    EXPECT_TRUE(Registered().empty());
}

} // namespace
