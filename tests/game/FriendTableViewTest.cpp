// The game's table view on the headless host: the deal's 108 steps in play
// order as the engine's clock runs them, the banker's line at the card he
// shows, the flip card and the friend marks after the deal; the friend
// revealed by the first play of the other copy by another chair, read
// within the play's bytes; a running round rebuilt from the 5488-byte table
// state through the game's notification handler, with short bodies refused
// and out-of-range fields kept from indexing; the round's result lines in
// the chat; and the layout at the width classes with the hand arrangement.

#include "game/FriendTableView.h"

#include "engine/controls/widgets/EventSequencer.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/MatchPanels.h"
#include "frame/ui/ReplayPanel.h"
#include "cards/CardGameApp.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendNotifyHandler.h"
#include "game/FriendPlayerBoard.h"
#include "platform/Clock.h"
#include "platform/WindowMessages.h"
#include "table/FriendCardRules.h"
#include "table/FriendRecords.h"
#include "tests/game/FriendBodies.h"
#include "tests/game/ViewHostTest.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
using TS = table::FriendTableState;

// The system pane's chat: every line the view writes, and how many cards
// had been dealt when it came.
class ChatPane : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == 80000057 && event.param) {
            lines.emplace_back(reinterpret_cast<const char*>(event.param));
            dealtAt.push_back(view ? view->GetDealCount() : -1);
        }
        return 1;
    }
    Log lines;
    std::vector<int> dealtAt;
    const game::FriendTableView* view = nullptr;
};

class TestApp : public game::CardGameApp {
public:
    TestApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
        const char* names[] = { "东家", "南家老王", "西家", "北家" };
        for (int chair = 0; chair < 4; ++chair)
            GetSeatPlayer(chair)->SetName(names[chair]);
    }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &data; }
    engine::EngineObject* GetTableView() const override { return view; }
    std::span<uint8_t> GetEnterDataBuffer() override { return data.TableInfoBuffer(); }
    std::span<uint8_t> GetLookOnDataBuffer() override { return data.TableStateBuffer(); }
    engine::EngineObject* GetSystemPane() const override { return &pane; }
    engine::RectObject* GetMainView() const override { return mainView ? mainView : CardGameApp::GetMainView(); }
    engine::RectObject* mainView = nullptr;
    game::FriendGameData data;
    engine::EngineObject* view = nullptr;
    mutable ChatPane pane;
};

std::vector<uint8_t> StateBytes(const TS& state)
{
    std::vector<uint8_t> bytes(TS::kWireSize);
    state.Write(bytes);
    return bytes;
}

using friendtest::RunningState;

// 221170: +12 the chair that played, +60 the count, +64 the ids.
std::vector<uint8_t> PlayBody(int chair, const std::vector<int>& ids, int count = -1)
{
    std::vector<uint8_t> body(64 + 4 * ids.size(), 0);
    auto put = [&](size_t at, int v) { std::memcpy(body.data() + at, &v, 4); };
    put(12, chair);
    put(60, count < 0 ? static_cast<int>(ids.size()) : count);
    for (size_t i = 0; i < ids.size(); ++i)
        put(64 + 4 * i, ids[i]);
    return body;
}

class FriendTableHost : public friendtest::ViewHostTest {
protected:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 860;
    static constexpr int kOwn = 1;

    void SetUp() override
    {
        if (!StartHost("friendtable", kWidth, kHeight))
            GTEST_SKIP() << "no video driver";
        app.SetOwnChair(kOwn);
        struct Size {
            const char* part;
            int w;
            int h;
        };
        for (const Size s : { Size { "_50_68", 50, 68 }, Size { "_71_96", 71, 96 }, Size { "_82_110", 82, 110 },
                 Size { "_98_132", 98, 132 } }) {
            Picture(game::CardPictureName(false, s.part), s.w, s.h);
            Picture(game::CardPictureName(true, s.part), s.w, s.h, 54);
        }
        TableButtonPictures();
        Picture("bit_BkgPattern", 900, 600);
        ClockPictures();
        Picture("digit_Pen", 10, 14, 12);
        Picture("digit_Pen2", 10, 14, 10);
        ResultBoxPictures();
    }
    void TearDown() override
    {
        ViewHostTest::TearDown();
        app.view = nullptr;
        app.pane.view = nullptr;
    }
    void Make(int width = kWidth)
    {
        view = AddTableView(width, kHeight);
        ASSERT_NE(view, nullptr);
        app.view = view;
        app.pane.view = view;
    }
    using ViewHostTest::Frame;
    void Frame() { Frame(30); }
    // A round won by the banker's side with the friend at chair 2, places
    // in chair order and no cards left; the score changes as given.
    void EndRoundWithFriendAtTwo(table::FriendResultInfo result = {})
    {
        result.teamResult = 2;
        result.friendChair = 2;
        for (int c = 0; c < 4; ++c) {
            result.place[c] = c + 1;
            for (int i = 0; i < 27; ++i)
                result.cardsLeft[c][i] = -1;
        }
        std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
        result.Write(body);
        ASSERT_TRUE(app.data.EndRound(body.data(), body.size()));
    }
    // A round: banker, flip card and the place at which the banker gets it,
    // the own hand 27 ids from `firstOwnId`.
    void SetRound(int round, int banker, int flip, int place)
    {
        TS state;
        table::InitTableState(&state);
        state.header.roundCount = round;
        state.header.banker = banker;
        state.header.currentChair = banker;
        state.header.baseScore = 20;
        state.header.calledCard = flip;
        state.header.calledRound = place;
        state.header.friendChair = 3;
        state.header.constant20 = 20;
        for (int i = 0; i < table::kFriendHandSize; ++i)
            state.header.cards[i] = i * 2; // own hand: even ids
        app.data.SetTableState(state);
        app.data.SetTableWord(game::FriendGameData::kTurnSeconds, 20);
    }

    // A running round entered: every chair holds its 27 cards, only the
    // own ones known, so plays take the cards their chairs hold.
    void EnterRunningRound(int banker, int flip)
    {
        const std::vector<uint8_t> bytes = StateBytes(RunningState(banker, banker, flip, kOwn));
        game::FriendNotifyHandler(app).Dispatch(211160, bytes.data(), bytes.size());
    }

    TestApp app;
    game::FriendTableView* view = nullptr;
};

// ---- dealing -----------------------------------------------------------------------------

TEST_F(FriendTableHost, DealRuns108StepsInPlayOrderAndAnnouncesTheBanker)
{
    struct Case {
        int round;
        int banker;
        int firstChair;
        const char* bankerLine;
    };
    // Flip card 60 is the second deck's copy of id 6; its corner is #角06.
    const Case cases[] = {
        { 1, 2, 0, " <z=qh系统通知> <c=255>西家<>摸到翻牌 #角06,坐庄。\r\n" },
        { 4, 3, 3, " <z=qh系统通知> 庄家<c=255>北家<>亮出第一张牌 #角06\r\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.round);
        Make();
        SetRound(c.round, c.banker, 60, 5);
        app.pane.lines.clear();
        app.pane.dealtAt.clear();
        view->ShowRoundHeader();
        EXPECT_EQ(view->GetDealStartChair(), c.firstChair);
        EXPECT_NE(view->GetDealAction(), 0u);
        for (int i = 0; i < game::kGameCards; ++i)
            ASSERT_EQ(view->GetGameCard(i)->state, game::kCardInPile) << i;

        // The deal runs on the engine's clock, a step at each turn of its
        // repeating action: no card at once, all 108 within 108 turns of
        // the 30 ms minimum interval.
        const size_t headerLines = app.pane.lines.size();
        EXPECT_EQ(view->GetDealCount(), 0);
        std::vector<int> dealtPerFrame;
        for (int frame = 0; frame < 200 && view->IsDealing(); ++frame) {
            Frame();
            dealtPerFrame.push_back(view->GetDealCount());
        }
        ASSERT_FALSE(view->IsDealing());
        EXPECT_EQ(view->GetDealCount(), 108);
        EXPECT_EQ(view->GetDealAction(), 0u);
        EXPECT_LE(dealtPerFrame.size(), 110u);
        EXPECT_TRUE(std::is_sorted(dealtPerFrame.begin(), dealtPerFrame.end()));
        // The banker's line comes as he gets his (place + 1)-th card: step
        // 4 × 5 + his distance from the first chair in play order.
        const int distance = ((c.firstChair - c.banker) % 4 + 4) % 4;
        ASSERT_EQ(app.pane.lines.size(), headerLines + 1);
        EXPECT_EQ(app.pane.lines.back(), c.bankerLine);
        EXPECT_EQ(app.pane.dealtAt.back(), 4 * 5 + distance);
        EXPECT_TRUE(view->GetFlipCard()->IsShown());

        // Card k went to the chair k steps before the first chair, at order
        // k / 4; the own cards face up with the own hand's ids in deal order.
        std::vector<int> held(4, 0);
        for (int k = 0; k < 108; ++k) {
            const game::FriendCardSprite* card = view->GetGameCard(k);
            const int chair = ((c.firstChair - k) % 4 + 4) % 4;
            ASSERT_EQ(card->ownerChair, chair) << k;
            ASSERT_EQ(card->state, game::kCardInHand) << k;
            ASSERT_EQ(card->seat, view->ChairToView(chair)) << k;
            if (chair == kOwn) {
                ASSERT_EQ(card->cardId, 2 * (k / 4)) << k;
                ASSERT_EQ(card->faceUp, 1) << k;
            } else {
                ASSERT_EQ(card->cardId, -1) << k;
                ASSERT_EQ(card->order, k / 4) << k;
            }
            ++held[static_cast<size_t>(chair)];
        }
        EXPECT_EQ(held, (std::vector<int> { 27, 27, 27, 27 }));

        // A second later the flip card goes and the own copies of it are
        // marked (ids 6 and 60: the own hand holds 6); a second after that
        // the play begins at the banker.
        Run(900);
        EXPECT_TRUE(view->GetFlipCard()->IsShown());
        Run(150);
        EXPECT_FALSE(view->GetFlipCard()->IsShown());
        for (int k = 0; k < 108; ++k) {
            const game::FriendCardSprite* card = view->GetGameCard(k);
            ASSERT_EQ(card->IsEdgeMarkShown(), card->ownerChair == kOwn && card->cardId == 6) << k;
        }
        EXPECT_EQ(view->GetGameChairBoard(c.banker)->GetTeamMark(), 1);
        Run(1050);
        EXPECT_EQ(app.data.GetStatus(), 0x101);
        EXPECT_EQ(app.data.GetTableWord56(), c.banker);
    }
}

TEST_F(FriendTableHost, FirstRoundSaysTheFlipDecides)
{
    Make();
    SetRound(1, 0, 5, 0);
    app.pane.lines.clear();
    view->ShowRoundHeader();
    ASSERT_GE(app.pane.lines.size(), 2u);
    EXPECT_EQ(app.pane.lines[0], "\r\n<size=12>【第1局】基础分：<c=255>20<>分\r\n");
    EXPECT_EQ(app.pane.lines[1], " <z=qh系统通知> 第一局，翻牌决定庄家\r\n");
    EXPECT_TRUE(view->GetFlipCard()->faceUp);
    EXPECT_EQ(view->GetFlipCard()->cardId, 5);
}

TEST_F(FriendTableHost, KnockoutRoundsHeadTheRoundInMatchPrograms)
{
    Make();
    app.SetMatchMode(true);
    const uint32_t round = 3;
    std::memcpy(app.GetMatchRoomInfo().MutableBytes().data() + 224, &round, 4);
    SetRound(2, 0, 6, 3);
    app.pane.lines.clear();
    view->ShowRoundHeader();
    ASSERT_FALSE(app.pane.lines.empty());
    EXPECT_EQ(app.pane.lines[0], " <c=255><size=16>淘汰赛第三轮\r\n");
}

// ---- the friend ------------------------------------------------------------------------

TEST_F(FriendTableHost, TheFirstPlayOfTheOtherCopyRevealsTheFriendOnce)
{
    Make();
    EnterRunningRound(2, 6); // banker 2, friend card 6 (copy 60)
    struct Step {
        const char* what;
        std::vector<uint8_t> body;
        int revealed; // word 4036 afterwards
        size_t lines; // chat lines written
        bool fresh;   // in a round entered anew (the copy not yet played)
    };
    const Step steps[] = {
        { "the banker plays the copy", PlayBody(2, { 60 }), -1, 0, false },
        { "another chair, other cards", PlayBody(0, { 7, 8 }), -1, 0, true },
        // The count claims 27 cards but the body holds one id: the play
        // is refused whole.
        { "count past the body", PlayBody(3, { 9 }, 27), -1, 0, false },
        { "too short for a play", std::vector<uint8_t>(40, 0), -1, 0, false },
        { "a chair outside the table", PlayBody(7, { 60 }), -1, 0, false },
        { "chair 3 plays the copy", PlayBody(3, { 12, 60 }), 3, 1, false },
        { "chair 0 plays it later", PlayBody(0, { 60 }), 3, 0, false },
    };
    game::FriendNotifyHandler handler(app);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.fresh)
            EnterRunningRound(2, 6);
        app.pane.lines.clear();
        handler.Dispatch(221170, s.body.data(), s.body.size());
        EXPECT_EQ(app.data.TableWord(TS::kFriendRevealedOffset), s.revealed);
        EXPECT_EQ(app.pane.lines.size(), s.lines);
    }
    EXPECT_EQ(view->GetGameChairBoard(3)->GetTeamMark(), 1);
    EXPECT_EQ(view->GetGameChairBoard(0)->GetTeamMark(), 0);
}

TEST_F(FriendTableHost, TheFriendLineNamesBankerAndFriend)
{
    Make();
    EnterRunningRound(1, 6);
    app.pane.lines.clear();
    const std::vector<uint8_t> play = PlayBody(3, { 60 });
    view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(play));
    EXPECT_EQ(app.pane.lines, (Log { " <z=qh系统通知> <c=255>南家老王<>和<c=255>北家<>是朋友。\r\n" }));
}

TEST_F(FriendTableHost, CardLayerNotificationsReachTheGameView)
{
    // The game's view is a card table view and takes the game's calls; the
    // card layer's handler must still find it for plays and passes.
    Make();
    EnterRunningRound(2, 6);
    game::FriendNotifyHandler handler(app);
    const std::vector<uint8_t> play = PlayBody(3, { 60 });
    std::vector<uint8_t> body(play);
    body.resize(64 + 4 * 1);
    handler.Dispatch(221170, body.data(), body.size());
    EXPECT_EQ(app.data.TableWord(TS::kFriendRevealedOffset), 3);
}

TEST_F(FriendTableHost, InfoBoxShowsTheSecondDecksFriendCardByItsFace)
{
    // The corner sheet holds the 54 faces of one deck; each frame here is
    // coloured by its number so the frame drawn can be read back.
    host.AddPicture("牌角", 20, 24, 54, 0,
        [](int frame, int, int) { return 0xff000000u | static_cast<uint32_t>(frame + 1) << 8; });
    Make();
    struct Case {
        int flip;
        int frame;
    };
    for (const Case c : { Case { 6, 6 }, Case { 60, 6 }, Case { 107, 53 }, Case { 54, 0 } }) {
        SCOPED_TRACE(c.flip);
        SetRound(2, 0, c.flip, 3);
        app.data.SetStatus(0x101);
        view->ShowGameInfoBox();
        const auto* box = static_cast<const engine::CanvasObject*>(view->GetInfoBox());
        ASSERT_NE(box, nullptr);
        // Not a silver room: the friend row at y = 32 + 22.
        const uint32_t pixel = box->GetPixel(78 + 5, 54 + 5);
        EXPECT_EQ(static_cast<int>((pixel >> 8) & 0xff) - 1, c.frame);
    }
}

// ---- rebuilding a running round ---------------------------------------------------------

TEST_F(FriendTableHost, RunningRoundIsRebuiltFromTheTableState)
{
    Make();
    app.BeginGame();
    TS state = RunningState(0, 2, 6, kOwn);
    state.header.roundCount = 3;
    state.friendRevealed = 3;
    state.finished[3] = 1;
    state.place[3] = 1;
    state.runningScore[0] = 2;
    // Chair 3 has played out: its cards lie played.
    for (int i = 81; i < 108; ++i)
        state.cards[i].state = table::kCardPlayed;
    // Damaged records: an owner, an id and a state outside their ranges.
    state.cards[0].owner = 9;
    state.cards[1].id = 500;
    state.cards[2].state = 7;
    std::vector<uint8_t> bytes = StateBytes(state);
    game::FriendNotifyHandler handler(app);

    // Short bodies change nothing.
    handler.Dispatch(211160, bytes.data(), bytes.size() - 1);
    EXPECT_EQ(app.data.TableWord(TS::kFriendRevealedOffset), -1);
    EXPECT_EQ(view->GetGameCard(30)->state, game::kCardHidden);

    handler.Dispatch(211160, bytes.data(), bytes.size());
    EXPECT_EQ(view->GetGameCard(0)->state, game::kCardHidden); // owner 9
    EXPECT_EQ(view->GetGameCard(1)->cardId, -1);                // id 500
    EXPECT_EQ(view->GetGameCard(2)->state, game::kCardHidden);  // state 7
    for (int i = 27; i < 54; ++i) {
        const game::FriendCardSprite* card = view->GetGameCard(i);
        ASSERT_EQ(card->ownerChair, kOwn);
        ASSERT_EQ(card->state, game::kCardInHand);
        ASSERT_EQ(card->cardId, i);
        ASSERT_EQ(card->seat, 0);
        // The copy of the friend card (6 + 54 = 60 is not held; 33 is
        // another face) carries no mark; none of 27..53 matches id 6.
        ASSERT_FALSE(card->IsEdgeMarkShown());
    }
    EXPECT_EQ(view->GetGameChairBoard(0)->GetTeamMark(), 1);
    EXPECT_EQ(view->GetGameChairBoard(3)->GetTeamMark(), 1);
    EXPECT_EQ(view->GetGameChairBoard(1)->GetTeamMark(), 0);
    ASSERT_NE(view->GetGameChairBoard(3)->GetFinishRank(), nullptr);
    EXPECT_TRUE(view->GetGameChairBoard(3)->GetFinishRank()->IsShown());
    EXPECT_EQ(app.data.GetTableWord56(), 2);

    // Chairs outside the table in the header are not used.
    state.header.banker = 11;
    state.header.currentChair = -4;
    state.friendRevealed = 40;
    state.place[3] = 99;
    bytes = StateBytes(state);
    handler.Dispatch(211160, bytes.data(), bytes.size());
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(view->GetGameChairBoard(chair)->GetTeamMark(), 0) << chair;
        EXPECT_EQ(view->GetGameChairBoard(chair)->IsActive(), 0) << chair;
    }
    EXPECT_FALSE(view->GetGameChairBoard(3)->GetFinishRank()->IsShown());
}

TEST_F(FriendTableHost, RebuildMarksTheOwnCopyOfTheFriendCard)
{
    Make();
    app.BeginGame();
    TS state = RunningState(2, 2, 33, kOwn); // the own chair holds 33, and 87 below
    state.cards[27].id = 87;
    const std::vector<uint8_t> bytes = StateBytes(state);
    game::FriendNotifyHandler handler(app);
    handler.Dispatch(211160, bytes.data(), bytes.size());
    EXPECT_TRUE(view->GetGameCard(33)->IsEdgeMarkShown());
    EXPECT_TRUE(view->GetGameCard(27)->IsEdgeMarkShown());
    EXPECT_FALSE(view->GetGameCard(34)->IsEdgeMarkShown());

    // A looker-on sees no marks.
    app.GetHallArgs().lookOn = 1;
    view->ClearFriendMarks();
    handler.Dispatch(211160, bytes.data(), bytes.size());
    EXPECT_FALSE(view->GetGameCard(33)->IsEdgeMarkShown());
}

// ---- results ------------------------------------------------------------------------------

TEST_F(FriendTableHost, ResultLinesAndFriendNamedAtTheEnd)
{
    Make();
    SetRound(2, 0, 6, 3);
    table::FriendResultInfo result;
    result.base.scoreChange[0] = 40;
    result.base.scoreChange[1] = -20;
    result.base.scoreChange[2] = 0;
    result.base.scoreChange[3] = -20;
    EndRoundWithFriendAtTwo(result);
    app.pane.lines.clear();
    view->ShowRoundResultLines();
    const std::string grey = "<c=2302755>";
    const std::string red = "<c=255>";
    const Log expected = {
        " <z=qh系统通知> 游戏结束，<c=255>东家<>和<c=255>西家<>是朋友。\r\n",
        "\r\n",
        " <c=0><size=14>======本局结束======\r\n",
        " " + grey + "[东家]" + std::string(15, ' ') + grey + "+40分\r\n",
        " " + red + "[南家老王]" + std::string(11, ' ') + red + "-20分\r\n",
        " " + grey + "[西家]" + std::string(15, ' ') + grey + "+0分\r\n",
        " " + grey + "[北家]" + std::string(15, ' ') + grey + "-20分\r\n",
        "\r\n",
    };
    EXPECT_EQ(app.pane.lines, expected);
    EXPECT_EQ(app.data.TableWord(TS::kFriendRevealedOffset), 2);
    EXPECT_EQ(view->GetGameChairBoard(2)->GetTeamMark(), 1);
    ASSERT_NE(view->GetResultPanel(), nullptr);
    EXPECT_TRUE(view->GetResultPanel()->IsShown());
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(view->GetBonusFrame(c)->IsShown()) << c;

    // OK closes the box and the frames.
    view->OnEvent(engine::EngineEvent(0, game::EVT_CLOSE_RESULT, 0, 0));
    EXPECT_FALSE(view->GetResultPanel()->IsShown());
    EXPECT_FALSE(view->GetBonusFrame(0)->IsShown());
}

// A replay rewound, stopped or opened again resets the table: the round's
// end (result box, bonus frames, finish places) leaves the screen, not only
// the object lists, since the engine keeps a hidden object's pixels until
// its place is drawn again.
TEST_F(FriendTableHost, ATableResetTakesTheRoundsEndOffTheScreen)
{
    Picture("结算框", 420, 260);
    Make();
    SetRound(2, 0, 6, 3);
    Frame();
    engine::Rect area;
    view->GetRect(&area);
    const int cx = (area.left + area.right) / 2;
    const int cy = (area.top + area.bottom) / 2;
    auto pixel = [&](int x, int y) {
        return host.Paint()->FinishedFrame()[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)] & 0xffffff;
    };
    const uint32_t table = pixel(cx, cy);

    EndRoundWithFriendAtTwo();
    view->ShowRoundResultLines();
    Frame();
    ASSERT_TRUE(view->GetResultPanel()->IsShown());
    ASSERT_NE(pixel(cx, cy), table) << "the box is on the screen";

    view->OnEvent(engine::EngineEvent(0, game::EVT_TABLE_RESET, 0, 0));
    Frame();
    EXPECT_FALSE(view->GetResultPanel()->IsShown());
    EXPECT_EQ(pixel(cx, cy), table) << "the box left the screen";
    for (int c = 0; c < 4; ++c) {
        EXPECT_FALSE(view->GetBonusFrame(c)->IsShown()) << c;
        const engine::SpriteObject* rank = view->GetGameChairBoard(c)->GetFinishRank();
        EXPECT_TRUE(!rank || !rank->IsShown()) << c;
    }
}

TEST_F(FriendTableHost, ResultFiguresShowTheLargeFigureWhileThePointerIsOnThem)
{
    Picture("Character0Type1", 40, 40);
    Picture("Character0Type3", 135, 270);
    Make();
    SetRound(2, 0, 6, 3);
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    table::FriendResultInfo().Write(body);
    ASSERT_TRUE(app.data.EndRound(body.data(), body.size()));
    view->ShowRoundResultLines();
    Frame();
    const engine::EngineObject* panel = view->GetResultPanel();
    ASSERT_NE(panel, nullptr);
    // Row 0's spot: 47 + 8 from the box's left, 94 from its top.
    const int x = static_cast<int>(panel->GetX() - panel->GetWidth() / 2) + 55;
    const int y = static_cast<int>(panel->GetY() - panel->GetHeight() / 2) + 94;
    host.InjectInput(platform::kWmMouseMove, x, y);
    Frame();
    Frame();
    ASSERT_NE(view->GetCharacterCanvas(), nullptr);
    EXPECT_TRUE(view->GetCharacterCanvas()->IsShown());
    host.InjectInput(platform::kWmMouseMove, 5, 5);
    Frame();
    Frame();
    EXPECT_FALSE(view->GetCharacterCanvas()->IsShown());
}

TEST_F(FriendTableHost, MatchProgramsClearTheTableAfterTheResultsSeconds)
{
    Make();
    app.SetMatchMode(true);
    SetRound(2, 0, 6, 3);
    table::FriendResultInfo result;
    result.constant5 = 3; // seconds before the table is cleared
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    result.Write(body);
    ASSERT_TRUE(app.data.EndRound(body.data(), body.size()));
    view->ShowRoundResultLines();
    ASSERT_TRUE(view->GetResultPanel()->IsShown());
    Run(2900);
    EXPECT_TRUE(view->GetResultPanel()->IsShown());
    Run(300);
    EXPECT_FALSE(view->GetResultPanel()->IsShown());
}

// The match panels wait while a match round's result is shown: what they
// are given meanwhile comes once the table is cleared.
TEST_F(FriendTableHost, MatchResultsHoldTheMatchPanelsUntilTheTableIsCleared)
{
    app.SetMatchMode(true);
    auto main = std::make_unique<frame::GameFrame>(kWidth);
    app.mainView = static_cast<engine::RectObject*>(host.GetRootObject()->RegisterObject(std::move(main)));
    auto* gameFrame = dynamic_cast<frame::GameFrame*>(app.mainView);
    ASSERT_NE(gameFrame, nullptr);
    Frame();
    ASSERT_NE(gameFrame->GetMatchPanels(), nullptr);
    engine::EventSequencer* queue = gameFrame->GetMatchPanels()->GetEventQueue();
    ASSERT_NE(queue, nullptr);
    Make();
    SetRound(2, 0, 6, 3);
    table::FriendResultInfo result;
    result.constant5 = 3;
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    result.Write(body);
    ASSERT_TRUE(app.data.EndRound(body.data(), body.size()));
    view->ShowRoundResultLines();
    queue->Post(view->GetId(), 1, nullptr, 0);
    EXPECT_EQ(queue->QueuedCount(), 1u);
    Run(3200);
    EXPECT_FALSE(view->GetResultPanel()->IsShown());
    EXPECT_EQ(queue->QueuedCount(), 0u);
    app.mainView = nullptr;
}

// The match information box: the round's title and the lines indented
// for a knockout match, the lines at the box's left edge for the others,
// nothing but the box without a match seat of our own.
TEST_F(FriendTableHost, MatchInfoBoxFollowsTheMatchKind)
{
    Make();
    app.SetMatchMode(true);
    SetRound(2, 0, 6, 3);
    app.GetHallArgs().userId = 700;
    frame::MatchRoomInfo& match = app.GetMatchRoomInfo();
    match.SetDescription("末位淘汰");
    // Ink in the rectangle: pixels unlike the box's empty corner.
    auto ink = [&](int left, int top, int right, int bottom) {
        const auto* box = static_cast<const engine::CanvasObject*>(view->GetInfoBox());
        const uint32_t empty = box->GetPixel(box->GetBufferWidth() - 1, box->GetBufferHeight() - 1);
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += box->GetPixel(x, y) != empty ? 1 : 0;
        return n;
    };
    view->ShowRoundHeader();
    const auto* box = static_cast<const engine::CanvasObject*>(view->GetInfoBox());
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetBufferWidth(), 150);
    ASSERT_EQ(box->GetBufferHeight(), 150);
    EXPECT_TRUE(box->IsShown());
    EXPECT_EQ(box->GetLeft(), 0);
    EXPECT_EQ(box->GetTop(), 0);
    EXPECT_EQ(ink(0, 0, 150, 150), 0);

    app.GetMatchSeat(0)->SetUserId(700);
    match.SetKindText("积分赛");
    view->ShowRoundHeader();
    EXPECT_GT(ink(0, 15, 16, 70), 0);
    EXPECT_EQ(ink(0, 76, 150, 150), 0);

    match.SetKindText("定局淘汰");
    view->ShowRoundHeader();
    EXPECT_EQ(ink(0, 0, 16, 150), 0);
    EXPECT_GT(ink(20, 80, 150, 96), 0);
    EXPECT_GT(ink(0, 12, 150, 38), 0);
}

TEST_F(FriendTableHost, BonusViewButtonWorksOnceInFiveSeconds)
{
    Make();
    SetRound(2, 0, 6, 3);
    engine::ImageButton* button = view->GetGameButton(game::FriendTableView::kBonusViewButton);
    ASSERT_NE(button, nullptr);
    view->OnEvent(engine::EngineEvent(0, game::EVT_SHOW_BONUS_FRAMES, 0, 0));
    EXPECT_TRUE(view->GetBonusFrame(1)->IsShown());
    EXPECT_FALSE(button->IsInputEnabled());
    Run(4800);
    EXPECT_TRUE(view->GetBonusFrame(1)->IsShown());
    // A second press while they show does nothing.
    view->OnEvent(engine::EngineEvent(0, game::EVT_SHOW_BONUS_FRAMES, 0, 0));
    Run(300);
    EXPECT_FALSE(view->GetBonusFrame(1)->IsShown());
    EXPECT_TRUE(button->IsInputEnabled());
}

// ---- structure and layout -----------------------------------------------------------------

TEST_F(FriendTableHost, WidthClassesChooseBacksAndClock)
{
    struct Case {
        int width;
        int bigWidth;
        int smallWidth;
        bool bigClock;
    };
    const Case cases[] = {
        { 800, 71, 50, false },
        { 1200, 82, 71, false },
        { 1201, 98, 82, true },
    };
    Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        view->SetRect({ 0, 0, c.width, kHeight });
        EXPECT_EQ(view->GetIntProperty(game::kPropBigCardWidth), c.bigWidth);
        EXPECT_EQ(view->GetIntProperty(game::kPropSmallCardWidth), c.smallWidth);
        EXPECT_EQ(view->GetClockInUse() == view->GetBigClock(), c.bigClock);
        // Leading (no play on the table): throw stands where hint stands.
        const auto* hint = view->GetButton(game::CardTableView::kHintButton);
        const auto* thrown = view->GetButton(game::CardTableView::kThrowButton);
        const auto* pass = view->GetButton(game::CardTableView::kPassButton);
        EXPECT_EQ(hint->GetX(), c.width / 2);
        EXPECT_EQ(thrown->GetX(), c.width / 2);
        EXPECT_EQ(pass->GetX(), c.width / 2 - 80);
        EXPECT_EQ(view->GetGameButton(game::FriendTableView::kArrangeButton)->GetX(), c.width - 30);
        EXPECT_EQ(view->GetGameButton(game::FriendTableView::kBonusViewButton)->GetY(), kHeight - 47);
        EXPECT_EQ(view->GetGameButton(game::FriendTableView::kCardCounterButton)->GetX(), c.width - 197);
    }
    // With a play on the table the throw button moves right of the hint.
    table::PlayRecord pair(1, 1, 5, 2);
    view->SetLastPlay(2, pair);
    view->SetRect({ 0, 0, 1000, kHeight });
    EXPECT_EQ(view->GetButton(game::CardTableView::kThrowButton)->GetX(), 580);
    // The clock shown moves to the other clock when the class changes.
    view->SetRect({ 0, 0, 1000, kHeight });
    view->GetClockInUse()->SetValue(12);
    view->GetClockInUse()->Show();
    view->SetRect({ 0, 0, 1400, kHeight });
    EXPECT_EQ(view->GetClockInUse(), view->GetBigClock());
    EXPECT_TRUE(view->GetBigClock()->IsShown());
    EXPECT_FALSE(view->GetTurnClock()->IsShown());
    EXPECT_EQ(view->GetBigClock()->GetValue(), 12);
}

TEST_F(FriendTableHost, ArrangingPutsEachSelectionRightOfTheLastGroup)
{
    Make();
    // The own hand: ten cards at orders 0..9.
    for (int k = 0; k < 10; ++k) {
        game::FriendCardSprite* card = view->GetGameCard(k);
        card->ownerChair = kOwn;
        card->seat = 0;
        card->state = game::kCardInHand;
        card->cardId = k * 5;
        card->faceUp = 1;
        card->order = k;
        card->selected = 0;
    }
    auto orderOf = [&](int k) { return view->GetGameCard(k)->order; };
    view->UpdateArrangeButtons();
    EXPECT_TRUE(view->GetGameButton(game::FriendTableView::kRestoreButton)->IsShown());
    EXPECT_FALSE(view->GetGameButton(game::FriendTableView::kArrangeButton)->IsShown());

    // Nothing selected: nothing happens.
    view->OnEvent(engine::EngineEvent(0, game::EVT_ARRANGE_SELECTED, 0, 0));
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(view->GetGameCard(k)->GetGroup(), 0);

    view->GetGameCard(7)->selected = 1;
    view->GetGameCard(8)->selected = 1;
    view->UpdateArrangeButtons();
    EXPECT_TRUE(view->GetGameButton(game::FriendTableView::kArrangeButton)->IsShown());
    view->OnEvent(engine::EngineEvent(0, game::EVT_ARRANGE_SELECTED, 0, 0));
    view->GetGameCard(2)->selected = 1;
    view->OnEvent(engine::EngineEvent(0, game::EVT_ARRANGE_SELECTED, 0, 0));
    // Groups in the order they were made, at the left; nothing selected.
    EXPECT_EQ(view->GetGameCard(7)->GetGroup(), 1);
    EXPECT_EQ(view->GetGameCard(8)->GetGroup(), 2);
    EXPECT_EQ(view->GetGameCard(2)->GetGroup(), 3);
    EXPECT_LT(orderOf(7), orderOf(8));
    EXPECT_LT(orderOf(8), orderOf(2));
    for (int k : { 0, 1, 3, 4, 5, 6, 9 })
        EXPECT_GT(orderOf(k), orderOf(2)) << k;
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(view->GetGameCard(k)->selected, 0) << k;

    view->OnEvent(engine::EngineEvent(0, game::EVT_RESTORE_ARRANGEMENT, 0, 0));
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(view->GetGameCard(k)->GetGroup(), 0) << k;
}

TEST_F(FriendTableHost, ConstructionMakesTheGameParts)
{
    Make();
    EXPECT_EQ(view->GetCreatedCardCount(), 108);
    EXPECT_EQ(view->GetBoardCount(), 4);
    for (int p = 0; p < 4; ++p)
        ASSERT_NE(view->GetGameBoard(p), nullptr) << p;
    ASSERT_NE(view->GetFlipCard(), nullptr);
    EXPECT_FALSE(view->GetFlipCard()->IsShown());
    EXPECT_NE(view->GetCardCounter(), nullptr);
    EXPECT_NE(view->GetSlogan(), nullptr);
    const auto* restore = view->GetGameButton(game::FriendTableView::kRestoreButton);
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(view->GetGameButton(game::FriendTableView::kArrangeButton)->GetChildLink(restore->GetId()), 0x180A2u);
    EXPECT_FALSE(view->GetCardCounter()->IsShown());
    // The card counter toggles.
    view->OnEvent(engine::EngineEvent(0, game::EVT_TOGGLE_CARD_COUNTER, 0, 0));
    EXPECT_TRUE(view->GetCardCounter()->IsShown());
    view->OnEvent(engine::EngineEvent(0, game::EVT_TOGGLE_CARD_COUNTER, 0, 0));
    EXPECT_FALSE(view->GetCardCounter()->IsShown());
}

TEST_F(FriendTableHost, ReplayModeHasNoCardCounter)
{
    app.SetReplayMode(1);
    Make();
    EXPECT_EQ(view->GetCardCounter(), nullptr);
    EXPECT_EQ(view->GetGameButton(game::FriendTableView::kCardCounterButton), nullptr);
    // The replay panel plays the file instead.
    EXPECT_NE(dynamic_cast<frame::ReplayPanel*>(view->GetReplayRecorder()), nullptr);
    EXPECT_EQ(view->OnEvent(engine::EngineEvent(0, game::EVT_TOGGLE_CARD_COUNTER, 0, 0)), 1);
}

// A replay's first record begins the round before the view binds the
// recorded seats; the figures stay put away during the round, as they are at
// a live table, and come back only between rounds.
TEST_F(FriendTableHost, AReplayedRoundKeepsTheSeatsFiguresAway)
{
    app.SetReplayMode(1);
    Make();
    frame::PlayerRecord& seat = *app.GetSeatPlayer(0);
    seat.SetUserId(500);
    seat.SetChair(0);
    seat.SetName("东家");
    seat.SetFigure(2);
    const game::FriendPlayerBoard* board = view->GetGameChairBoard(0);
    ASSERT_NE(board, nullptr);

    app.data.SetStatus(game::FriendGameData::kStatusRunning);
    view->OnRefresh();
    EXPECT_FALSE(board->IsCharacterFigureShown()) << "during the round";

    app.data.SetStatus(0);
    view->OnRefresh();
    EXPECT_TRUE(board->IsCharacterFigureShown()) << "between rounds";
}

} // namespace
