// The game's table view between and across rounds, reached as the program
// reaches it: the game's application dispatches the server's notification
// bodies (round start and result, table state, bonus counts, table
// messages, offline notices) and the player presses the view's buttons
// with the mouse on the headless host. Closing the result box, the start
// button of players and lookers-on and a start the server refuses, the
// card counter's and the bonus frames' buttons, the bombs and jokers left
// in the hands at the end, the wait animation and the draw's two sounds,
// the bonus count of a second round, a player's return under the big
// clock and the count sort of a hand with arranged cards.

#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/modules/MusicModule.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "cards/CardCounterPanel.h"
#include "cards/CardPlayerBoard.h"
#include "cards/CardSprite.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameApp.h"
#include "game/FriendGameData.h"
#include "game/FriendNotifyHandler.h"
#include "game/FriendPlayerBoard.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessages.h"
#include "table/Cards.h"
#include "table/FriendRecords.h"
#include "tests/game/FriendBodies.h"
#include "tests/game/ViewHostTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
using TS = table::FriendTableState;
using frame::RoomInfo;
using game::CardTableView;
using game::FriendTableView;
using friendtest::Put;

constexpr uint32_t kCountdownRoom = RoomInfo::kOptionB40 | RoomInfo::kOptionB80;

// Every sound the engine is asked to play.
Log& Sounds()
{
    static Log log;
    return log;
}

engine::SoundCalls RecordingSounds()
{
    engine::SoundCalls calls;
    calls.playSound = [](engine::ModuleBase&, std::string_view name, int, const engine::EngineEvent*) {
        Sounds().emplace_back(name);
        return 1;
    };
    return calls;
}

using friendtest::ChatPane;

// The start requests, each answered as the test says.
class StartConnection : public GameConnection {
public:
    int RequestStartChecked(std::string&) override { return Sent("201165", 1); }
    int RequestStart(std::string& text) override
    {
        text = "no start";
        return Sent("201160", startAnswer);
    }
    int startAnswer = 1;
    Log sent;

private:
    int Sent(const char* id, int answer)
    {
        sent.emplace_back(id);
        return answer;
    }
};

class RoundsApp : public game::FriendGameApp {
public:
    engine::EngineObject* GetTableView() const override { return view; }
    engine::EngineObject* GetSystemPane() const override { return &pane; }
    GameConnection* GetConnection() override { return &connection; }
    engine::EngineObject* view = nullptr;
    mutable ChatPane pane;
    StartConnection connection;
};

// A running round with chair 0 the banker and the called card 100:
// chair c holds the cards 27c .. 27c + 26, the own chair's known.
TS RunningState(int own, int turnChair)
{
    return friendtest::RunningState(0, turnChair, 100, own);
}

std::vector<uint8_t> Bytes(const TS& state, size_t size = TS::kWireSize)
{
    std::vector<uint8_t> bytes(TS::kWireSize);
    state.Write(bytes);
    bytes.resize(size);
    return bytes;
}

// 211040: the first bytes of a table state whose round is `round`.
std::vector<uint8_t> StartBody(int round)
{
    TS state;
    table::InitTableState(&state);
    state.header.roundCount = round;
    state.header.banker = 0;
    state.header.currentChair = 0;
    state.header.baseScore = 20;
    state.header.calledCard = 100;
    state.header.calledRound = 5;
    state.header.constant20 = 20;
    for (int i = 0; i < table::kFriendHandSize; ++i)
        state.header.cards[i] = 27 + i;
    return Bytes(state, game::FriendGameData::kStartSize);
}

// 211080: places in chair order, the friend at chair 2, each chair's
// cards left as given.
std::vector<uint8_t> ResultBody(int kind, const std::vector<std::vector<int>>& left = {})
{
    table::FriendResultInfo result;
    result.teamResult = kind;
    result.friendChair = 2;
    for (int c = 0; c < 4; ++c) {
        result.place[c] = c + 1;
        for (int i = 0; i < 27; ++i)
            result.cardsLeft[c][i] = c < static_cast<int>(left.size()) && i < static_cast<int>(left[c].size())
                ? left[c][static_cast<size_t>(i)]
                : -1;
    }
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    result.Write(body);
    return body;
}

// 402000: +8 + 4c the bonus count of chair c.
std::vector<uint8_t> BonusBody(std::array<int, 4> counts)
{
    std::vector<uint8_t> body(24, 0);
    for (size_t c = 0; c < 4; ++c)
        Put(body, 8 + 4 * c, counts[c]);
    return body;
}

// 229500: +8 the kind, +16 the payload's length, +20 the payload.
std::vector<uint8_t> TableMessage(int kind, int chair)
{
    std::vector<uint8_t> body(24, 0);
    Put(body, 8, kind);
    Put(body, 16, 4);
    Put(body, 20, chair);
    return body;
}

class FriendRounds : public friendtest::ViewHostTest {
protected:
    static constexpr int kOwn = 1;
    static constexpr int kFirstUser = 5000;

    void SetUp() override
    {
        Sounds().clear();
        host.SetMusicModule([] { return std::make_unique<engine::MusicModule>(); }, RecordingSounds());
        if (!StartHost("friendrounds"))
            GTEST_SKIP() << "no video driver";
        app.SetOwnChair(kOwn);
        SeatPlayers(app, kFirstUser);
        CardPictures();
        TableButtonPictures();
        ClockPictures();
        ResultBoxPictures();
        WaitPictures();
        Picture("炸弹框", 160, 170);
    }
    void TearDown() override
    {
        ViewHostTest::TearDown();
        app.view = nullptr;
    }
    // The view made once the test has set up the room and the seat.
    void Make(int width = 1280)
    {
        view = AddTableView(width, 860);
        ASSERT_NE(view, nullptr);
        app.view = view;
        Frame(30);
    }
    void Notify(uint32_t id, const std::vector<uint8_t>& body)
    {
        app.GetFriendNotifyHandler().Dispatch(id, body.data(), body.size());
        Frame(30);
    }
    // What the main view hands the table view (the frame's events).
    void FrameEvent(int code) { view->OnEvent(engine::EngineEvent(0, code, 0, 0)); }
    void Click(const engine::EngineObject* object)
    {
        ASSERT_NE(object, nullptr);
        const int x = static_cast<int>(object->GetX());
        const int y = static_cast<int>(object->GetY());
        host.InjectInput(platform::kWmMouseMove, x, y);
        host.InjectInput(platform::kWmLButtonDown, x, y);
        host.InjectInput(platform::kWmLButtonUp, x, y);
        Frame(30);
    }
    void Seconds(int n) { Run(static_cast<uint32_t>(n) * 1000); }
    // The screen's pixel as 0x00RRGGBB.
    uint32_t Pixel(int x, int y)
    {
        return host.Paint()->FinishedFrame()[static_cast<size_t>(y) * 1280 + static_cast<size_t>(x)] & 0xffffff;
    }
    bool Shown(const engine::EngineObject* object) const { return object && object->IsShown(); }
    engine::ImageButton* Button(CardTableView::Button which) const { return view->GetButton(which); }
    engine::ImageButton* GameButton(FriendTableView::GameButton which) const { return view->GetGameButton(which); }
    void EnterRunningRound(int turnChair = 0) { Notify(game::kNotifyTableState, Bytes(RunningState(kOwn, turnChair))); }
    int Count(const Log& log, const std::string& what) const
    {
        return static_cast<int>(std::count(log.begin(), log.end(), what));
    }

    RoundsApp app;
    FriendTableView* view = nullptr;
};

// ---- closing the result box --------------------------------------------------------------

TEST_F(FriendRounds, ClosingTheResultBoxKeepsTheRoundsEndCountdownAndClearsTheTable)
{
    app.GetRoomInfo().SetOptionsB(kCountdownRoom);
    Make(1200);
    EnterRunningRound();
    app.BeginGame();
    Notify(game::kNotifyRoundResult, ResultBody(2));
    ASSERT_TRUE(view->IsReadyCountdownRunning());
    EXPECT_EQ(view->GetReadySeconds(), 30);
    Seconds(5);
    const int left = view->GetReadySeconds();
    EXPECT_LT(left, 30);
    app.GetGameData().SetChairReady(0);

    Click(view->GetResultOkButton());
    EXPECT_FALSE(Shown(view->GetResultPanel()));
    EXPECT_TRUE(Shown(Button(CardTableView::kStartButton)));
    EXPECT_TRUE(view->IsReadyCountdownRunning());
    EXPECT_EQ(view->GetReadySeconds(), left) << "closing the box gives no new time";
    // The countdown's clock stands above the start button.
    ASSERT_NE(view->GetClockInUse(), nullptr);
    EXPECT_TRUE(Shown(view->GetClockInUse()));
    EXPECT_EQ(view->GetClockInUse()->GetY(), Button(CardTableView::kStartButton)->GetY() - 45);
    for (int i = 0; i < game::kGameCards; ++i)
        EXPECT_EQ(view->GetGameCard(i)->state, 7) << i;
    EXPECT_TRUE(Shown(view->GetChairBoard(0)->GetAnimationSprite())) << "chair 0 pressed start";
    EXPECT_FALSE(Shown(view->GetChairBoard(2)->GetAnimationSprite()));

    // The seconds run on from where they were.
    Seconds(2);
    EXPECT_EQ(view->GetReadySeconds(), left - 2);
}

// ---- the start button --------------------------------------------------------------------

TEST_F(FriendRounds, ALookerOnNeitherSeesNorPressesTheStartButton)
{
    app.GetHallArgs().lookOn = 1;
    app.GetRoomInfo().SetOptionsB(kCountdownRoom);
    Make();
    EXPECT_FALSE(Shown(Button(CardTableView::kStartButton))) << "not even before anything happened";
    const int x = static_cast<int>(Button(CardTableView::kStartButton)->GetX());
    const int y = static_cast<int>(Button(CardTableView::kStartButton)->GetY());
    EnterRunningRound();
    Notify(game::kNotifyRoundResult, ResultBody(2));
    Click(view->GetResultOkButton());
    FrameEvent(80000020); // the table changed
    EXPECT_FALSE(Shown(Button(CardTableView::kStartButton)));
    EXPECT_FALSE(view->IsReadyCountdownRunning());
    host.InjectInput(platform::kWmMouseMove, x, y);
    host.InjectInput(platform::kWmLButtonDown, x, y);
    host.InjectInput(platform::kWmLButtonUp, x, y);
    Frame(30);
    EXPECT_TRUE(app.connection.sent.empty());
}

TEST_F(FriendRounds, AStartTheServerRefusesLeavesTheTableOpen)
{
    Make();
    FrameEvent(80000011); // entered: the start button
    ASSERT_TRUE(Shown(Button(CardTableView::kStartButton)));
    app.connection.startAnswer = 0;
    platform::TakeMessageBoxLog();
    Click(Button(CardTableView::kStartButton));
    EXPECT_EQ(app.connection.sent, Log { "201160" });
    EXPECT_TRUE(platform::TakeMessageBoxLog().empty()) << "no box, no close";
    EXPECT_TRUE(Shown(Button(CardTableView::kStartButton))) << "the player may try again";
}

// ---- the game's buttons ------------------------------------------------------------------

TEST_F(FriendRounds, CardCounterAndBonusButtonsFollowTheRoomTheSeatAndTheRound)
{
    struct Case {
        const char* name;
        bool counterRoom;
        bool lookerOn;
        bool counterInRound;
        bool bonusInRound;
        bool bonusAfter;
    };
    const Case cases[] = {
        { "player, room with the counter", true, false, true, true, false },
        { "player, room without it", false, false, false, true, false },
        { "looker-on, room with the counter", true, true, false, true, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.GetRoomInfo().SetOptionsC(c.counterRoom ? RoomInfo::kOptionC40000 : 0);
        app.GetHallArgs().lookOn = c.lookerOn ? 1 : 0;
        Make();
        EXPECT_FALSE(Shown(GameButton(FriendTableView::kCardCounterButton))) << "before the round";
        EXPECT_FALSE(Shown(GameButton(FriendTableView::kBonusViewButton))) << "before the round";
        EnterRunningRound();
        EXPECT_EQ(Shown(GameButton(FriendTableView::kCardCounterButton)), c.counterInRound);
        EXPECT_EQ(Shown(GameButton(FriendTableView::kBonusViewButton)), c.bonusInRound);
        if (c.counterInRound) {
            Click(GameButton(FriendTableView::kCardCounterButton));
            EXPECT_TRUE(Shown(view->GetCardCounter()));
            view->GetCardCounter()->AddCard(5);
        }
        Notify(game::kNotifyRoundResult, ResultBody(2));
        EXPECT_FALSE(Shown(GameButton(FriendTableView::kCardCounterButton)));
        EXPECT_EQ(Shown(GameButton(FriendTableView::kBonusViewButton)), c.bonusAfter);
        if (!c.lookerOn)
            Click(view->GetResultOkButton());
        ASSERT_NE(view->GetCardCounter(), nullptr);
        EXPECT_FALSE(Shown(view->GetCardCounter())) << "the table's reset puts the counter away";
        EXPECT_EQ(view->GetCardCounter()->GetCount(), 0);
        host.GetRootObject()->RemoveObject(view, 0);
        Frame(30);
        app.view = nullptr;
    }
}

// ---- the round's end and the next round ----------------------------------------------------

TEST_F(FriendRounds, BombsAndJokersLeftInTheHandsJoinTheBonusFrames)
{
    Make();
    EnterRunningRound();
    // Chair 3 is left with four 6s (ids 5, 18, 31, 44) and a small joker,
    // chair 2 with a pair; the own chair with a triple.
    Notify(game::kNotifyRoundResult, ResultBody(2, { {}, { 30, 30 + 13, 30 + 26 }, { 60, 61 }, { 5, 18, 31, 44, 52 } }));
    const TS state = app.GetGameData().GetTableState();
    EXPECT_EQ(state.bombListed[3], 4);
    EXPECT_EQ(state.jokerListed[3], 1);
    EXPECT_EQ(std::vector<int>(state.lists[3], state.lists[3] + 4), (std::vector<int> { 5, 18, 31, 44 }));
    EXPECT_EQ(state.lists[3][27], 52) << "jokers from the back";
    for (int chair : { 0, 1, 2 }) {
        EXPECT_EQ(state.bombListed[chair], 0) << chair;
        EXPECT_EQ(state.jokerListed[chair], 0) << chair;
    }
    EXPECT_TRUE(Shown(view->GetBonusFrame(3)));
}

TEST_F(FriendRounds, TheRoundHeaderTakesTheWaitAnimationAway)
{
    app.GetRoomInfo().SetOptionsB(RoomInfo::kOptionB02);
    Make();
    FrameEvent(80000011); // entered: a seated player outside a game waits
    ASSERT_TRUE(Shown(view->GetWaitSolo()));
    Notify(game::kNotifyRoundStart, StartBody(1));
    EXPECT_FALSE(Shown(view->GetWaitSolo()));
}

TEST_F(FriendRounds, ADrawSoundsItsTuneThenTheWin)
{
    Make();
    EnterRunningRound();
    Sounds().clear();
    Notify(game::kNotifyRoundResult, ResultBody(3));
    EXPECT_EQ(Count(Sounds(), "Snd_GameResultPeace"), 1);
    EXPECT_EQ(Count(Sounds(), "Snd_GameWin"), 0) << "not at the same time";
    Run(300);
    EXPECT_EQ(Count(Sounds(), "Snd_GameResultPeace"), 1);
    EXPECT_EQ(Count(Sounds(), "Snd_GameWin"), 1);
}

TEST_F(FriendRounds, TheFirstBonusOfASecondRoundRisesAgain)
{
    Make();
    for (int round : { 1, 2 }) {
        SCOPED_TRACE(round);
        Notify(game::kNotifyRoundStart, StartBody(round));
        Seconds(4); // the deal
        Sounds().clear();
        Notify(game::kNotifyBonusCounts, BonusBody({ 0, 0, 1, 0 }));
        EXPECT_EQ(Count(Sounds(), "Snd_Cai"), 1);
        EXPECT_TRUE(Shown(view->GetFireworks()));
        EXPECT_EQ(view->GetBonusCount(2), 1);
        Seconds(2); // the fireworks end
        EXPECT_FALSE(Shown(view->GetFireworks()));
        Notify(game::kNotifyRoundResult, ResultBody(2));
    }
}

// ---- players seated before us --------------------------------------------------------------

TEST_F(FriendRounds, EachPlayerAlreadySeatedShowsHisBoardAsOneWhoSitsDownLater)
{
    Make();
    Run(300);
    // The enter reply's table information: chairs 0 and 3 pressed start.
    app.GetGameData().SetChairReady(0);
    app.GetGameData().SetChairReady(3);
    // The others' seats as the enter reply's seat list brings them: the
    // main view hands each to the table as a player who entered.
    for (int chair : { 0, 2, 3 }) {
        SCOPED_TRACE(chair);
        const engine::CanvasObject* plate = view->GetChairBoard(chair)->GetBoardCanvas();
        ASSERT_NE(plate, nullptr);
        const int x = static_cast<int>(plate->GetX());
        const int y = static_cast<int>(plate->GetY());
        const uint32_t empty = Pixel(x, y);
        view->OnEvent(engine::EngineEvent(0, game::EVT_PLAYER_ENTER, engine::ToWord(app.GetSeatPlayer(chair)), 0));
        Frame(30);
        EXPECT_TRUE(view->GetChairBoard(chair)->IsShown());
        EXPECT_NE(Pixel(x, y), empty) << "the plate is painted at once";
        EXPECT_EQ(Shown(view->GetChairBoard(chair)->GetAnimationSprite()), chair != 2) << "the ready mark";
    }
}

// ---- a player's return and the count sort --------------------------------------------------

TEST_F(FriendRounds, AReturningPlayerLeavesTheBigClockAlone)
{
    Make(1280); // wide: the big clock is the clock in use
    EnterRunningRound(3);
    ASSERT_EQ(view->GetClockInUse(), view->GetBigClock());
    std::vector<uint8_t> offline(4, 0);
    Put(offline, 0, kFirstUser + 2);
    Notify(211240, offline);
    ASSERT_TRUE(view->GetGameChairBoard(2)->IsOffline());
    app.pane.lines.clear();
    Notify(229500, TableMessage(19840324, 2));
    EXPECT_FALSE(view->GetGameChairBoard(2)->IsOffline());
    ASSERT_EQ(app.pane.lines.size(), 1u);
    EXPECT_NE(app.pane.lines[0].find("玩家2重新回到了游戏"), std::string::npos) << app.pane.lines[0];
    EXPECT_TRUE(Shown(view->GetBigClock()));
    EXPECT_FALSE(Shown(view->GetTurnClock())) << "the small clock never over the big one";
}

TEST_F(FriendRounds, TheCountSortSizesOnlyTheCardsLeftOutOfGroups)
{
    Make();
    // The own hand: chair 1's cards 27 .. 53, a pair of each value from 27
    // and 40 on (the 2s) to 38 and 51 (the kings), one ace (39) and the two
    // jokers 52 and 53.
    EnterRunningRound();
    Click(Button(CardTableView::kSortByCountButton));
    // The pair of 2s (27 and 40) and one king (38) are arranged; the other
    // king (51) is left alone.
    auto card = [&](int id) -> game::FriendCardSprite* {
        for (int i = 0; i < game::kGameCards; ++i)
            if (view->GetGameCard(i)->cardId == id)
                return view->GetGameCard(i);
        return nullptr;
    };
    for (int id : { 27, 40, 38 }) {
        game::FriendCardSprite* sprite = card(id);
        ASSERT_NE(sprite, nullptr);
        // The visible strip of a hand card is its left edge.
        const int x = static_cast<int>(sprite->GetLeft()) + 4;
        const int y = static_cast<int>(sprite->GetY());
        host.InjectInput(platform::kWmMouseMove, x, y);
        host.InjectInput(platform::kWmLButtonDown, x, y);
        host.InjectInput(platform::kWmLButtonUp, x, y);
        Frame(30);
        ASSERT_NE(sprite->selected, 0) << id;
    }
    Click(GameButton(FriendTableView::kArrangeButton));
    // Left out of the group, the king of id 51 stands alone: it sorts with
    // the singles (the ace and the two jokers), not at the head of the
    // pairs.
    std::vector<game::FriendCardSprite*> hand;
    for (int i = 0; i < game::kGameCards; ++i)
        if (game::FriendCardSprite* c = view->GetGameCard(i); c->ownerChair == kOwn && c->state == game::kCardInHand)
            hand.push_back(c);
    std::sort(hand.begin(), hand.end(), [](auto* a, auto* b) { return a->order < b->order; });
    ASSERT_EQ(hand.size(), 27u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_TRUE(hand[k]->HasGroup()) << k;
    std::vector<int> singles;
    for (size_t k = 3; k < hand.size(); ++k)
        if (const int id = hand[k]->cardId; id == 39 || id == 51 || id == 52 || id == 53)
            singles.push_back(static_cast<int>(k));
    ASSERT_EQ(singles.size(), 4u);
    EXPECT_EQ(singles.back() - singles.front(), 3) << "the four singles stand together";
}

} // namespace
