// The game's table view during play on the headless host: plays (221170)
// and passes (223100) with bodies cut short, chairs outside the table and
// more cards than the chair holds; the last play and each chair's bombs and
// jokers kept in the table state; the turn clock's watchdog as the engine's
// clock runs; the clock's seconds at 0; and turns given to chairs outside
// the table.

#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/RectObject.h"
#include "cards/CardCounterPanel.h"
#include "cards/CardGameApp.h"
#include "cards/CardPlayerBoard.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendNotifyHandler.h"
#include "game/FriendPlayerBoard.h"
#include "platform/Clock.h"
#include "table/FriendRecords.h"
#include "tests/game/FriendBodies.h"
#include "tests/game/ViewHostTest.h"
#include "tests/table/CardNotation.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using friendtest::Pass;
using friendtest::Play;
using friendtest::Put;

using TS = table::FriendTableState;
using table::testing::Cards;

class TestApp : public game::CardGameApp {
public:
    TestApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
    }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &data; }
    engine::EngineObject* GetTableView() const override { return view; }
    std::span<uint8_t> GetEnterDataBuffer() override { return data.TableInfoBuffer(); }
    std::span<uint8_t> GetLookOnDataBuffer() override { return data.TableStateBuffer(); }
    game::FriendGameData data;
    engine::EngineObject* view = nullptr;
};

// The view with what it says to the table and the voices it asks for.
class PlayView : public game::FriendTableView {
public:
    uint32_t SendTableMessage(int kind, const uint8_t* /*payload*/, uint32_t /*length*/) override
    {
        messages.push_back(kind);
        return 10;
    }
    void PlayForMe() override { ++playedForMe; }
    void PlayPlayVoice(int chair, const table::PlayRecord& play) override
    {
        voices.push_back("play " + std::to_string(chair) + "/" + std::to_string(play.count));
    }
    void PlayPassVoice(int chair) override { voices.push_back("pass " + std::to_string(chair)); }
    std::vector<int> messages;
    std::vector<std::string> voices;
    int playedForMe = 0;
};




class FriendPlayHost : public friendtest::ViewHostTest {
protected:
    static constexpr int kOwn = 1;

    void SetUp() override
    {
        if (!StartHost("friendplay"))
            GTEST_SKIP() << "no video driver";
        app.SetOwnChair(kOwn);
        CardPictures();
        Picture("PlayerBoardSmall", 120, 40);
        Picture("btnThrow", 60, 30, 4);
        Picture("btnPass", 60, 30, 4);
        Picture("btnRemaind", 61, 30, 4);
        ClockPictures();
        view = AddTableView<PlayView>(1280, 860);
        ASSERT_NE(view, nullptr);
        app.view = view;
    }
    void TearDown() override
    {
        ViewHostTest::TearDown();
        app.view = nullptr;
    }
    // A running round rebuilt from the table state: chair c holds the ids
    // 27c .. 27c + 26 (only the own ones known) except those `played`.
    void StartRound(int turnChair, const std::vector<int>& played = {})
    {
        TS state;
        table::InitTableState(&state);
        state.header.banker = 0;
        state.header.currentChair = turnChair;
        state.header.status = 0x101;
        state.header.calledCard = 6;
        for (int i = 0; i < 108; ++i) {
            table::CardRecord& r = state.cards[i];
            r.owner = i / 27;
            r.state = std::find(played.begin(), played.end(), i) != played.end() ? table::kCardPlayed
                                                                                 : table::kCardInHand;
            r.id = r.owner == kOwn ? i : -1;
            r.position = i % 27;
            r.extra = 27;
        }
        std::vector<uint8_t> bytes(TS::kWireSize);
        state.Write(bytes);
        game::FriendNotifyHandler(app).Dispatch(211160, bytes.data(), bytes.size());
    }
    int CountCards(int chair, int state) const
    {
        int n = 0;
        for (int i = 0; i < game::kGameCards; ++i)
            if (const game::FriendCardSprite* card = view->GetGameCard(i))
                n += card->ownerChair == chair && card->state == state;
        return n;
    }

    TestApp app;
    PlayView* view = nullptr;
};

TEST_F(FriendPlayHost, PlaysAndPassesAreTakenOnlyWithinTheirBodiesAndTheTable)
{
    // Chair 3 has two cards left.
    std::vector<int> gone;
    for (int i = 81; i < 106; ++i)
        gone.push_back(i);
    StartRound(2, gone);
    struct Step {
        const char* what;
        uint32_t id;
        std::vector<uint8_t> body;
        int turn;          // the turn word afterwards
        int lastChair;     // the table state's last play chair afterwards
        int lastCount;     // and its card count
        int playedOf3;     // chair 3's cards lying played
        size_t voices;     // voices asked for so far
    };
    std::vector<uint8_t> cut = Play(2, 1, table::CT_PAIR, { 54, 55 });
    cut.resize(63);
    // Play goes from a chair to the one before it: 2, 1, 0, 3.
    const Step steps[] = {
        { "chair 2 plays a pair", 221170, Play(2, 1, table::CT_PAIR, { 54, 55 }), 1, 2, 2, 0, 1 },
        { "the play cut short", 221170, cut, 1, 2, 2, 0, 1 },
        { "a count past the body", 221170, Play(3, 2, table::CT_SINGLE, { 106 }, 27), 1, 2, 2, 0, 1 },
        { "chair 4", 221170, Play(4, 2, table::CT_SINGLE, { 106 }), 1, 2, 2, 0, 1 },
        { "chair -1", 221170, Play(-1, 2, table::CT_SINGLE, { 106 }), 1, 2, 2, 0, 1 },
        { "chair 1 passes", 223100, Pass(1, 0, false), 0, 2, 2, 0, 2 },
        { "chair 0 passes", 223100, Pass(0, 3, false), 3, 2, 2, 0, 3 },
        // Five ids from a chair holding two: the chair cannot hold them.
        { "more cards than held", 221170, Play(3, 2, table::CT_STRAIGHT, { 106, 107, 81, 82, 83 }), 3, 2, 2, 0, 3 },
        { "chair 3 plays its last two", 221170, Play(3, 2, table::CT_PAIR, { 106, 107 }), 2, 3, 2, 2, 4 },
        { "a pass cut short", 223100, std::vector<uint8_t>(35, 0), 2, 3, 2, 2, 4 },
        { "a pass of chair 6", 223100, Pass(6, 1, true), 2, 3, 2, 2, 4 },
        { "chair 2 passes, the trick ends", 223100, Pass(2, 1, true), 1, -1, 0, 0, 5 },
    };
    game::FriendNotifyHandler handler(app);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        handler.Dispatch(s.id, s.body.data(), s.body.size());
        const TS state = app.data.GetTableState();
        EXPECT_EQ(app.data.GetTableWord56(), s.turn);
        EXPECT_EQ(state.lastPlayChair, s.lastChair);
        EXPECT_EQ(view->GetLastPlayChair(), s.lastChair);
        EXPECT_EQ(state.lastPlay.count, s.lastCount);
        EXPECT_EQ(CountCards(3, game::kCardPlayed), s.playedOf3);
        EXPECT_EQ(view->voices.size(), s.voices);
    }
    EXPECT_EQ(view->voices, (std::vector<std::string> { "play 2/2", "pass 1", "pass 0", "play 3/2", "pass 2" }));
    EXPECT_EQ(CountCards(3, game::kCardInHand), 0);
}

TEST_F(FriendPlayHost, BombsAndJokersAreListedPerChair)
{
    struct Case {
        const char* what;
        int type;
        const char* cards;
        const char* bombs;  // the list's front afterwards
        const char* jokers; // its back, from the last place down
    };
    const Case cases[] = {
        { "two jokers as a bomb", table::CT_BOMB, "SJ2 BJ2", "", "SJ2 BJ2" },
        { "four sevens and two jokers", table::CT_BOMB, "7a2 7b2 7c2 7d2 SJ2 BJ2", "7a2 7b2 7c2 7d2", "SJ2 BJ2" },
        { "three sevens and a joker", table::CT_BOMB, "7a2 7b2 7c2 BJ2", "", "BJ2" },
        { "a single joker", table::CT_SINGLE, "SJ2", "", "SJ2" },
        { "a pair of nines", table::CT_PAIR, "9a 9b", "", "" },
        { "five nines", table::CT_BOMB, "9a2 9b2 9c2 9d2 9a", "9a2 9b2 9c2 9d2 9a", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartRound(2);
        const std::vector<uint8_t> body = Play(2, 3, c.type, Cards(c.cards));
        view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(body));
        const TS state = app.data.GetTableState();
        const std::vector<int> bombs = Cards(c.bombs);
        const std::vector<int> jokers = Cards(c.jokers);
        ASSERT_EQ(state.bombListed[2], static_cast<int>(bombs.size()));
        ASSERT_EQ(state.jokerListed[2], static_cast<int>(jokers.size()));
        for (size_t i = 0; i < bombs.size(); ++i)
            EXPECT_EQ(state.lists[2][i], bombs[i]);
        for (size_t i = 0; i < jokers.size(); ++i)
            EXPECT_EQ(state.lists[2][table::kChairListSize - 1 - i], jokers[i]);
        for (int chair : { 0, 1, 3 })
            EXPECT_EQ(state.bombListed[chair] + state.jokerListed[chair], 0);
    }
}

TEST_F(FriendPlayHost, ANewRoundAndAClearedTableForgetThePlays)
{
    StartRound(2);
    const std::vector<uint8_t> bomb = Play(2, 1, table::CT_BOMB, Cards("7a2 7b2 7c2 7d2 SJ2 BJ2"));
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(bomb));
    view->StartTurnClock();
    app.data.SetTableWord(TS::kFriendRevealedOffset, 2);
    // The next round's start record covers only the state's first bytes:
    // the view itself forgets the last round's plays, and its friend (else
    // the new round's friend would never be revealed).
    view->ResetRoundState();
    TS state = app.data.GetTableState();
    EXPECT_EQ(state.friendRevealed, -1);
    EXPECT_EQ(state.lastPlayChair, -1);
    EXPECT_EQ(state.bombListed[2], 0);
    EXPECT_EQ(state.jokerListed[2], 0);
    for (int i = 0; i < table::kChairListSize; ++i)
        EXPECT_EQ(state.lists[2][i], -1) << i;

    StartRound(2);
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(bomb));
    ASSERT_EQ(app.data.GetTableState().bombListed[2], 4);
    view->ResetCards();
    state = app.data.GetTableState();
    EXPECT_EQ(state.bombListed[2], 0);
    EXPECT_EQ(view->GetWatchdogAction(), 0u);
    EXPECT_FALSE(view->GetTurnClock()->IsShown());
    EXPECT_FALSE(view->GetBigClock()->IsShown());
}

TEST_F(FriendPlayHost, ThrowButtonTakesTheHintsPlaceOnlyWhenLeading)
{
    app.BeginGame();
    StartRound(2);
    const engine::ImageButton* hint = view->GetButton(game::CardTableView::kHintButton);
    const engine::ImageButton* thrown = view->GetButton(game::CardTableView::kThrowButton);
    ASSERT_NE(hint, nullptr);
    ASSERT_NE(thrown, nullptr);
    // Chair 2 plays and our turn follows: throw beside the hint.
    const std::vector<uint8_t> pair = Play(2, kOwn, table::CT_PAIR, { 54, 55 });
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(pair));
    ASSERT_TRUE(thrown->IsShown());
    EXPECT_EQ(thrown->GetX(), hint->GetX() + 80);
    EXPECT_EQ(thrown->GetY(), hint->GetY());
    // Everybody passed: we lead, and the throw button stands alone.
    const std::vector<uint8_t> pass = Pass(2, kOwn, true);
    view->OnPassed(cardtest::Read<game::PassedTurn>(pass));
    ASSERT_TRUE(thrown->IsShown());
    EXPECT_FALSE(hint->IsShown());
    EXPECT_EQ(thrown->GetX(), hint->GetX());
}

TEST_F(FriendPlayHost, OtherChairsPlaysReachTheCounterAndAFinishShowsItsPlace)
{
    StartRound(2);
    game::CardCounterPanel* counter = view->GetCardCounter();
    ASSERT_NE(counter, nullptr);
    counter->Reset();
    for (int id = 0; id < game::kGameCards; ++id)
        counter->AddCard(id);
    auto holds = [](std::span<const int> slots, int id) { return std::find(slots.begin(), slots.end(), id) != slots.end(); };

    std::vector<uint8_t> pair = Play(2, kOwn, table::CT_PAIR, { 54, 55 });
    Put(pair, 24, 2); // chair 2 is out, second
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(pair));
    const int seat = counter->GetSeat(2);
    ASSERT_GE(seat, 0);
    EXPECT_TRUE(holds(counter->GetPlayed(seat), 54));
    EXPECT_TRUE(holds(counter->GetPlayed(seat), 55));
    EXPECT_FALSE(holds(counter->GetRemaining(), 54));
    ASSERT_NE(view->GetGameChairBoard(2)->GetFinishRank(), nullptr);
    EXPECT_TRUE(view->GetGameChairBoard(2)->GetFinishRank()->IsShown());

    // The own plays are no news to the counter.
    const std::vector<uint8_t> own = Play(kOwn, 0, table::CT_SINGLE, { 30 });
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(own));
    EXPECT_TRUE(holds(counter->GetRemaining(), 30));
    EXPECT_EQ(view->GetGameChairBoard(kOwn)->GetFinishRank() && view->GetGameChairBoard(kOwn)->GetFinishRank()->IsShown(),
        false);
}

TEST_F(FriendPlayHost, SelectingCardsOffersToArrangeThem)
{
    app.BeginGame();
    StartRound(kOwn);
    const engine::ImageButton* arrange = view->GetGameButton(game::FriendTableView::kArrangeButton);
    const engine::ImageButton* restore = view->GetGameButton(game::FriendTableView::kRestoreButton);
    ASSERT_NE(arrange, nullptr);
    ASSERT_NE(restore, nullptr);
    game::FriendCardSprite* card = nullptr;
    for (int i = 0; i < game::kGameCards && !card; ++i)
        if (game::FriendCardSprite* c = view->GetGameCard(i); c->ownerChair == kOwn && c->state == game::kCardInHand)
            card = c;
    ASSERT_NE(card, nullptr);
    // A click on a hand card selects it: the arrange button comes up.
    view->Hand().OnCardPress(*card);
    view->Hand().OnCardRelease(*card, 1000);
    ASSERT_EQ(card->selected, 1);
    EXPECT_TRUE(arrange->IsShown());
    EXPECT_FALSE(restore->IsShown());
    // Clicked again it is deselected, and restoring is offered instead.
    view->Hand().OnCardPress(*card);
    view->Hand().OnCardRelease(*card, 3000);
    ASSERT_EQ(card->selected, 0);
    EXPECT_FALSE(arrange->IsShown());
    EXPECT_TRUE(restore->IsShown());
}

TEST_F(FriendPlayHost, NothingToBeatAPairWithThreeCardsLeftPassesAfterASecond)
{
    app.BeginGame();
    // The own hand is down to 27, 28 and 29: three single low cards.
    std::vector<int> played;
    for (int id = 30; id < 54; ++id)
        played.push_back(id);
    StartRound(2, played);
    const engine::ImageButton* pass = view->GetButton(game::CardTableView::kPassButton);
    ASSERT_NE(pass, nullptr);
    const std::vector<uint8_t> aces = Play(2, kOwn, table::CT_PAIR, Cards("Aa Ab"));
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(aces));
    ASSERT_TRUE(pass->IsShown());
    Run(600);
    EXPECT_TRUE(pass->IsShown());
    Run(600);
    // The pass went out by itself: the play buttons are gone.
    EXPECT_FALSE(pass->IsShown());
}

TEST(FriendBonusLists, ListsFillFromBothEndsAndNeverOverlap)
{
    TS state;
    table::InitTableState(&state);
    const std::vector<int> bombs(20, 7);
    const std::vector<int> jokers(10, 52);
    game::AddBonusCards(state, 1, bombs, {});
    game::AddBonusCards(state, 1, {}, jokers);
    // 20 bomb cards leave room for 8 jokers.
    EXPECT_EQ(state.bombListed[1], 20);
    EXPECT_EQ(state.jokerListed[1], 8);
    for (int i = 0; i < table::kChairListSize; ++i)
        EXPECT_EQ(state.lists[1][i], i < 20 ? 7 : 52) << i;
    // Damaged counts and chairs outside the table write nothing.
    state.bombListed[2] = -3;
    game::AddBonusCards(state, 2, bombs, jokers);
    state.jokerListed[3] = 40;
    game::AddBonusCards(state, 3, bombs, jokers);
    game::AddBonusCards(state, 4, bombs, jokers);
    game::AddBonusCards(state, -1, bombs, jokers);
    for (int chair : { 0, 2, 3 })
        for (int i = 0; i < table::kChairListSize; ++i)
            EXPECT_EQ(state.lists[chair][i], -1) << chair << " " << i;
}

TEST_F(FriendPlayHost, RoundEndListsWhatTheHandStillHolds)
{
    StartRound(kOwn);
    // The own hand holds 27..53: every value of the second half of the
    // first deck once or twice, and both jokers of the first deck.
    view->RecordBonusCards(kOwn);
    const TS state = app.data.GetTableState();
    EXPECT_EQ(state.bombListed[kOwn], 0);
    EXPECT_EQ(state.jokerListed[kOwn], 2);
    EXPECT_EQ(state.lists[kOwn][table::kChairListSize - 1], 52);
    EXPECT_EQ(state.lists[kOwn][table::kChairListSize - 2], 53);
}

TEST_F(FriendPlayHost, WatchdogRestartsALostClockAfterTwoSecondsWithoutATick)
{
    StartRound(0);
    view->SetTurn(0, 20);
    view->StartTurnClock();
    engine::ImageNumber* clock = view->GetTurnClock();
    ASSERT_NE(clock, nullptr);
    ASSERT_NE(view->GetWatchdogAction(), 0u);
    const uint64_t ticking = view->GetClockAction();
    Run(3000);
    // A clock that ticks is left alone.
    EXPECT_EQ(view->GetClockAction(), ticking);
    EXPECT_LE(view->GetWatchdogTicks(), 1);
    // The wide table shows the big clock, and keeps showing it.
    ASSERT_EQ(view->GetClockInUse(), view->GetBigClock());
    EXPECT_TRUE(view->GetBigClock()->IsShown());
    EXPECT_FALSE(clock->IsShown());
    const int shown = clock->GetValue();
    EXPECT_LT(shown, 20);

    // The clock's action is lost: within two watchdog seconds it runs
    // again and counts down.
    view->CancelAction(ticking);
    Run(3500);
    EXPECT_NE(view->GetClockAction(), ticking);
    EXPECT_LT(clock->GetValue(), shown);

    // Without the watchdog a lost clock stands still.
    const int standing = clock->GetValue();
    view->StopClockWatchdog();
    view->CancelAction(view->GetClockAction());
    Run(4000);
    EXPECT_EQ(clock->GetValue(), standing);

    view->StopTurnClock();
    EXPECT_EQ(view->GetWatchdogAction(), 0u);
    EXPECT_FALSE(clock->IsShown());
    EXPECT_FALSE(view->GetBigClock()->IsShown());
}

TEST(FriendZeroTicks, LaterChairsWaitLongerAndChairZeroOfflineShortensIt)
{
    struct Case {
        int own;
        bool offline;
        int firstNotice; // the zero tick that first tells the table
    };
    const Case cases[] = { { 2, false, 10 }, { 0, false, 4 }, { 2, true, 8 }, { 0, true, 2 }, { 3, false, 13 } };
    for (const Case& c : cases)
        EXPECT_EQ(game::ZeroTickLimit(c.own, c.offline) + 1, c.firstNotice) << c.own << " " << c.offline;
}

TEST_F(FriendPlayHost, ClockAtZeroMovesOnceThenTellsTheTableEverySecondAfterItsWait)
{
    StartRound(kOwn);
    for (const bool offline : { false, true }) {
        SCOPED_TRACE(offline);
        view->GetChairBoard(0)->SetOffline(offline ? 1 : 0);
        view->SetTurn(kOwn, 1);
        view->StartTurnClock();
        view->messages.clear();
        view->playedForMe = 0;
        view->OnClockTick(); // 1 -> 0
        EXPECT_EQ(view->GetTurnClock()->GetValue(), 0);
        // Own chair 1 waits 6 seconds at 0, 4 while chair 0 is offline.
        const int wait = offline ? 4 : 6;
        for (int tick = 1; tick <= 10; ++tick) {
            view->OnClockTick();
            EXPECT_EQ(view->messages.size(), static_cast<size_t>(std::max(0, tick - wait))) << tick;
        }
        EXPECT_EQ(view->playedForMe, 1);
        EXPECT_EQ(view->GetZeroTicks(), 10);
        for (int kind : view->messages)
            EXPECT_EQ(kind, game::kTableMsgTimeout);
    }
    // A hidden clock does not count.
    view->StopTurnClock();
    view->messages.clear();
    view->OnClockTick();
    EXPECT_TRUE(view->messages.empty());
}

TEST_F(FriendPlayHost, TurnsForChairsOutsideTheTableAreRefused)
{
    StartRound(2);
    view->SetTurn(2, 15);
    auto active = [&] {
        std::vector<int> flags;
        for (int c = 0; c < 4; ++c)
            flags.push_back(view->GetChairBoard(c)->IsActive());
        return flags;
    };
    const std::vector<int> before = active();
    for (const int chair : { -1, 4, 8, 1000, INT_MIN, INT_MAX }) {
        SCOPED_TRACE(chair);
        view->SetTurn(chair, 15);
        EXPECT_EQ(app.data.GetTableWord56(), 2);
        EXPECT_EQ(active(), before);
    }
    // A turn word out of range in the state still ends the walk over the
    // chairs whose played cards leave the table.
    app.data.SetTableWord56(77);
    view->SetTurn(3, 15);
    EXPECT_EQ(app.data.GetTableWord56(), 3);
}

} // namespace
