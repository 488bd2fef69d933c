// The card table view in play on the headless host, with real boards and a
// connection that keeps what it was asked to send: the boards at their
// seats answering the view's layout questions; selection by injected clicks
// and drags; throw, pass and hint sending their records while the table
// changes only when the server announces the play; the turn clock's seconds
// under the settable clock with automatic play, its cool-down and the
// overdue notices; table messages, offline and return notices and card
// viewing, with bodies that lie about their length.

#include "cards/CardTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "frame/core/WireReader.h"
#include "cards/CardGameConnection.h"
#include "cards/CardNotifyHandler.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "frame/ui/PaneBarCalls.h"
#include "frame/ui/SubSystem.h"
#include "frame/ui/SystemInfoBox.h"
#include "cards/CardPlayerBoard.h"
#include "tests/cards/CardTableFixture.h"
#include "tests/table/CardNotation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using game::CardTableView;
using table::testing::Cards;

struct Sent {
    uint32_t id;
    std::vector<uint8_t> bytes;
    int32_t Int(size_t offset) const
    {
        return frame::WireReader(bytes.data(), bytes.size()).Int(offset);
    }
};

// Keeps every request; answers 10, or fails the ids told to fail.
class KeepingConnection : public game::CardGameConnection {
public:
    int Request(std::string&, uint32_t requestId, const uint8_t* data, uint32_t length, RequestReply& reply,
        bool) override
    {
        if (requestId == failing)
            return 0;
        sent.push_back({ requestId, std::vector<uint8_t>(data, data + length) });
        reply.code = game::kReplyOk;
        return 1;
    }
    std::vector<uint32_t> Ids() const
    {
        std::vector<uint32_t> ids;
        for (const Sent& s : sent)
            ids.push_back(s.id);
        return ids;
    }
    // The table message kinds sent.
    std::vector<int> Kinds() const
    {
        std::vector<int> kinds;
        for (const Sent& s : sent)
            if (s.id == game::kRequestTableMessage)
                kinds.push_back(s.Int(8));
        return kinds;
    }
    std::vector<Sent> sent;
    uint32_t failing = 0;
};

// Keeps what it is asked to record; its save writes the path given.
class KeepingRecorder : public engine::RectObject, public game::TableRecorderCalls {
public:
    bool RecordingNow() const override { return recording; }
    void StartReplay() override
    {
        recording = true;
        ++starts;
    }
    void RecordNotification(uint32_t id, const uint8_t*, size_t) override { records.push_back(id); }
    std::string SaveReplay() override
    {
        recording = false;
        return savedPath;
    }
    bool recording = false;
    int starts = 0;
    std::vector<uint32_t> records;
    std::string savedPath;
};

// A board that keeps the match ranking it was asked to show.
class RankBoard : public game::CardPlayerBoard {
public:
    using CardPlayerBoard::CardPlayerBoard;
    void RefreshText(int value, int total) override { shown.push_back({ value, total }); }
    std::vector<std::pair<int, int>> shown;
};

class ChatView : public CardTableView {
public:
    using CardTableView::CharacterPictureName;
    using CardTableView::ShowViewCardsRequestBox;
    void AddChatLine(const std::string& text) const override { chat.push_back(text); }
    RankBoard* Ranked(int chair) const { return static_cast<RankBoard*>(GetChairBoard(chair)); }
    mutable std::vector<std::string> chat;

protected:
    std::unique_ptr<engine::EngineObject> MakeReplayRecorder(bool) override
    {
        return std::make_unique<KeepingRecorder>();
    }
    std::unique_ptr<game::CardPlayerBoard> MakePlayerBoard(int position, game::CardArea table) const override
    {
        return std::make_unique<RankBoard>(position, table);
    }
};

// The side pane's advertisement bar, keeping the links it was asked to
// click.
class ClickedBar : public engine::RectObject, public frame::PaneBarCalls {
public:
    void ClickPageElement(const std::string& text) override { clicked.push_back(text); }
    std::vector<std::string> clicked;
};

std::vector<uint8_t> Body(std::initializer_list<std::pair<size_t, int32_t>> words, size_t length)
{
    std::vector<uint8_t> body(length, 0);
    for (const auto& [offset, value] : words)
        frame::StoreLe32(body.data() + offset, static_cast<uint32_t>(value));
    return body;
}

class CardTablePlay : public game::testing::TableHostTest {
protected:
    static constexpr int kOwn = 2;

    void SetUp() override
    {
        TableHostTest::SetUp();
        if (IsSkipped())
            return;
        app.connection = &connection;
        app.GetTableInfo().SetPlayerCount(4);
        Picture("Character0Type3", 135, 270);
        Picture("Character4Type3", 135, 270);
        Picture("Character0Type1", 40, 40);
        auto made = std::make_unique<ChatView>();
        made->SetName("MainGame");
        view = static_cast<ChatView*>(host.GetRootObject()->RegisterObject(std::move(made)));
        ASSERT_NE(view, nullptr);
        view->SetRect({ 0, 0, 1200, 800 });
        app.tableView = view;
        Frame();
    }

    // A notification of the server, read by the card layer's handler as
    // the program reads it.
    void Notify(uint32_t id, const std::vector<uint8_t>& body) { notifier.Dispatch(id, body.data(), body.size()); }

    // Gives the own chair these cards, laid out in the local row, and each
    // other chair `others` hidden cards.
    void Deal(const std::string& names, int others = 5)
    {
        int sprite = 0;
        const std::vector<int> ids = Cards(names);
        for (int chair = 0; chair < 4; ++chair) {
            const int n = chair == kOwn ? static_cast<int>(ids.size()) : others;
            for (int i = 0; i < n; ++i) {
                game::CardSprite* card = view->GetCard(sprite++);
                card->cardId = chair == kOwn ? ids[static_cast<size_t>(i)] : -1;
                card->ownerChair = chair;
                card->seat = view->ChairToView(chair);
                card->faceUp = chair == kOwn;
                card->selected = 0;
                card->state = game::kCardInHand;
                card->order = i;
                card->count = n;
            }
        }
        for (int chair = 0; chair < 4; ++chair)
            view->LayoutSeatCards(chair);
        view->SortHand(game::kSortBySizeDown);
        Frame();
    }
    // The own hand card with the name.
    game::CardSprite* Own(const std::string& name) const
    {
        const int id = table::testing::ParseCard(name);
        for (int i = 0; i < view->GetCreatedCardCount(); ++i) {
            game::CardSprite* card = view->GetCard(i);
            if (card->cardId == id && card->ownerChair == kOwn && card->state == game::kCardInHand)
                return card;
        }
        ADD_FAILURE() << "no card " << name;
        return nullptr;
    }
    // A point on the visible left edge of a hand card.
    std::pair<int, int> Edge(const game::CardSprite* card) const
    {
        return { static_cast<int>(card->GetX() - card->GetSprite()->GetWidth() / 2 + 4),
            static_cast<int>(card->GetY()) };
    }
    std::string Selected() const
    {
        std::vector<int> ids = view->Hand().GetSelectedCards();
        return table::testing::CardNames(ids.data(), static_cast<int>(ids.size()));
    }
    // Our turn in the play phase, facing a play of chair 3 (or leading).
    void OurTurn(const std::string& lastPlay = "")
    {
        state.playing = true;
        state.status = 0x100;
        if (!lastPlay.empty()) {
            std::vector<int> ids = Cards(lastPlay);
            auto play = view->Hand().Rules().ChoosePlay(3, ids.data(), static_cast<int>(ids.size()), nullptr);
            ASSERT_TRUE(play.has_value());
            view->SetLastPlay(3, *play);
        }
        state.turnChair = kOwn;
        view->OnDealFinished();
        Frame();
    }
    // The server relays a table message to every client.
    void Relay(int kind, int chair)
    {
        const auto body = Body({ { 8, kind }, { 16, 4 }, { 20, chair } }, 24);
        Notify(game::kNotifyTableMessage, body);
    }
    void Seconds(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame(1000);
    }
    bool Shown(CardTableView::Button which) const { return view->GetButton(which)->IsShown(); }
    void Press(CardTableView::Button which)
    {
        const engine::ImageButton* button = view->GetButton(which);
        Click(static_cast<int>(button->GetX()), static_cast<int>(button->GetY()));
    }

    KeepingConnection connection;
    ChatView* view = nullptr;
    game::CardNotifyHandler notifier { app };
};

// ---- boards -------------------------------------------------------------------------------------

TEST_F(CardTablePlay, BoardsStandAtTheSeatsOfTheirChairsAndPlaceTheClock)
{
    ASSERT_EQ(view->GetBoardCount(), 4);
    for (int chair = 0; chair < 4; ++chair) {
        SCOPED_TRACE(chair);
        game::CardPlayerBoard* board = view->GetChairBoard(chair);
        ASSERT_NE(board, nullptr);
        EXPECT_EQ(board->GetSeat(), view->ChairToView(chair));
        EXPECT_EQ(view->BoardShowsCharacter(board->GetSeat()), board->IsCharacterFigureShown());
        for (const bool noLastPlay : { true, false }) {
            game::CardPoint at;
            ASSERT_TRUE(view->GetBoardClockPosition(board->GetSeat(), noLastPlay, at));
            EXPECT_EQ(at, board->GetClockPosition(noLastPlay ? 1 : 0));
        }
    }
    game::CardPoint none;
    EXPECT_FALSE(view->GetBoardClockPosition(4, true, none));
    view->OnRefresh();
    EXPECT_EQ(view->GetPlayerBoard(0)->GetChair(), kOwn);
    // The clock moves to the board of the chair with the turn.
    state.turnChair = 3;
    view->SetTurn(0, 15);
    const game::CardPoint clock = view->GetChairBoard(0)->GetClockPosition(1);
    EXPECT_EQ(view->GetTurnClock()->GetX(), clock.x);
    EXPECT_EQ(view->GetTurnClock()->GetY(), clock.y);
    EXPECT_EQ(view->GetTurnClock()->GetValue(), 15);
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_EQ(view->GetChairBoard(chair)->IsActive(), chair == 0 ? 1 : 0) << chair;
}

TEST_F(CardTablePlay, TheLargeCharacterPictureFallsBackToTheFirstFigure)
{
    EXPECT_EQ(view->CharacterPictureName(4), "Character4Type3");
    EXPECT_EQ(view->CharacterPictureName(9), "Character0Type3");
}

// ---- selection with the mouse ------------------------------------------------------------------

TEST_F(CardTablePlay, ClickAndDragSelectTheHandCards)
{
    Deal("3a 5a 5b 8a 9a Ka");
    OurTurn();
    // Sorted largest first: K 9 8 5 5 3 from the left.
    const auto [kx, ky] = Edge(Own("Ka"));
    Click(kx, ky);
    EXPECT_EQ(Selected(), "Ka");
    EXPECT_TRUE(view->GetButton(CardTableView::kThrowButton)->IsInputEnabled());
    Click(kx, ky); // a second click takes it back
    EXPECT_EQ(Selected(), "");

    // A drag from the second card to the fourth marks the range, which
    // forms no play: the throw stays off.
    game::CardSprite* from = view->Hand().FindHandCardAt(kOwn, 1);
    game::CardSprite* to = view->Hand().FindHandCardAt(kOwn, 3);
    const auto [nx, ny] = Edge(from);
    const auto [fx, fy] = Edge(to);
    Mouse(platform::kWmMouseMove, nx, ny);
    Mouse(platform::kWmLButtonDown, nx, ny);
    for (int x = nx; x <= fx; x += 5)
        Mouse(platform::kWmMouseMove, x, ny);
    Mouse(platform::kWmLButtonUp, fx, fy);
    Frame();
    for (int order = 0; order < 6; ++order)
        EXPECT_EQ(view->Hand().FindHandCardAt(kOwn, order)->selected != 0, order >= 1 && order <= 3) << order;
    EXPECT_FALSE(view->GetButton(CardTableView::kThrowButton)->IsInputEnabled());

    // A right press on the bare table takes the selection back.
    Mouse(platform::kWmMouseMove, 600, 200);
    Mouse(platform::kWmRButtonDown, 600, 200);
    Mouse(platform::kWmRButtonUp, 600, 200);
    EXPECT_EQ(Selected(), "");
}

// ---- throw, pass, hint --------------------------------------------------------------------------

TEST_F(CardTablePlay, AThrowIsSentAndShownOnlyWhenTheServerAnnouncesIt)
{
    Deal("3a 5a 5b 8a 9a Ka");
    OurTurn("4a 4b");
    ASSERT_TRUE(Shown(CardTableView::kPassButton));
    const std::vector<int> pair = Cards("5a 5b");
    view->Hand().SelectCards(pair.data(), 2);
    view->UpdateThrowButton();
    Frame();
    ASSERT_TRUE(Shown(CardTableView::kThrowButton));
    ASSERT_TRUE(view->GetButton(CardTableView::kThrowButton)->IsInputEnabled());
    Press(CardTableView::kThrowButton);
    ASSERT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestThrow }));
    const Sent& request = connection.sent[0];
    EXPECT_EQ(request.Int(12), kOwn);
    EXPECT_EQ(request.Int(20), view->PrevChair(kOwn));
    EXPECT_EQ(request.Int(48), table::CT_PAIR);
    EXPECT_EQ(request.Int(60), 2);
    EXPECT_EQ(request.bytes.size(), 64u + 8u);
    // Nothing moved yet; the play buttons wait for the server.
    EXPECT_EQ(Own("5a")->state, game::kCardInHand);
    EXPECT_FALSE(Shown(CardTableView::kThrowButton));
    EXPECT_EQ(view->GetLastPlayChair(), 3);

    // The announcement: the pair flies, the turn passes on.
    auto body = Body({ { 12, kOwn }, { 20, 1 }, { 28, 18 }, { 48, request.Int(48) }, { 52, request.Int(52) },
                         { 56, request.Int(56) }, { 60, 2 }, { 64, pair[0] }, { 68, pair[1] } },
        72);
    game::CardSprite* five = Own("5a");
    const double handX = five->GetX();
    const double handY = five->GetY();
    Notify(game::kNotifyCardsThrown, body);
    // The cards leave the hand from where they stood and land on the table.
    EXPECT_EQ(five->GetX(), handX);
    EXPECT_EQ(five->GetY(), handY);
    EXPECT_EQ(view->GetLastPlayChair(), kOwn);
    EXPECT_EQ(view->Hand().GetHandCards().size(), 4u);
    EXPECT_EQ(state.turnChair, 1);
    EXPECT_EQ(view->GetTurnClock()->GetValue(), 18);
    int played = 0;
    for (int i = 0; i < view->GetCreatedCardCount(); ++i)
        played += view->GetCard(i)->state == game::kCardPlayed && view->GetCard(i)->ownerChair == kOwn;
    EXPECT_EQ(played, 2);
    for (int i = 0; i < 30; ++i)
        Frame(40);
    EXPECT_EQ(five->GetPosition(), five->GetPlayedPosition());
    EXPECT_EQ(five->GetX(), five->GetPlayedPosition().x);
    EXPECT_EQ(five->GetY(), five->GetPlayedPosition().y);
    EXPECT_EQ(five->flying, 0);
}

TEST_F(CardTablePlay, APlayNamingMoreCardsThanTheHandHoldsLosesNoSprite)
{
    Deal("3a 5a", 2);
    // Chair 1 holds two hidden cards but the announcement names four.
    const std::vector<int> four = Cards("7a 7b 7c 7d");
    auto body = Body({ { 12, 1 }, { 20, 0 }, { 28, 20 }, { 48, table::CT_BOMB }, { 60, 4 }, { 64, four[0] },
                         { 68, four[1] }, { 72, four[2] }, { 76, four[3] } },
        80);
    Notify(game::kNotifyCardsThrown, body);
    int played = 0;
    for (int i = 0; i < view->GetCreatedCardCount(); ++i)
        played += view->GetCard(i)->state == game::kCardPlayed;
    EXPECT_EQ(played, 2);
    // A count past the body is refused whole.
    body = Body({ { 12, 1 }, { 60, 20 } }, 80);
    Notify(game::kNotifyCardsThrown, body);
    EXPECT_EQ(view->GetLastPlayChair(), 1);
}

TEST_F(CardTablePlay, PassAndHintSendThePassWithTheLastPlayer)
{
    Deal("3a 5a 8a");
    OurTurn("Ka Kb");
    // Nothing beats the kings: the hint passes.
    Press(CardTableView::kHintButton);
    ASSERT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestPass }));
    EXPECT_EQ(connection.sent[0].Int(8), kOwn);
    EXPECT_EQ(connection.sent[0].Int(16), 3);
    EXPECT_FALSE(Shown(CardTableView::kPassButton));

    // The pass is announced; the trick ends and the lead comes to us.
    const auto body = Body({ { 8, kOwn }, { 16, kOwn }, { 20, 1 }, { 32, 20 } }, 36);
    Notify(game::kNotifyPassed, body);
    EXPECT_EQ(view->GetLastPlayChair(), -1);
    EXPECT_TRUE(Shown(CardTableView::kThrowButton));
    EXPECT_FALSE(Shown(CardTableView::kPassButton));
    EXPECT_FALSE(Shown(CardTableView::kHintButton));
}

TEST_F(CardTablePlay, HintSelectsABeatingPlayAndNothingIsSent)
{
    Deal("3a 5a 9a 9b Ka");
    OurTurn("7a");
    Press(CardTableView::kHintButton);
    EXPECT_FALSE(Selected().empty());
    EXPECT_TRUE(connection.sent.empty());
    EXPECT_TRUE(view->GetButton(CardTableView::kThrowButton)->IsInputEnabled());
}

// ---- the clock and automatic play ---------------------------------------------------------------

TEST_F(CardTablePlay, TheFirstZeroSecondPlaysAndAsksForAutomaticPlay)
{
    Deal("3a 5a 9a");
    OurTurn();
    view->GetTurnClock()->SetValue(2);
    Seconds(2);
    EXPECT_EQ(view->GetTurnClock()->GetValue(), 0);
    EXPECT_TRUE(connection.sent.empty());
    Seconds(1); // the first second at 0
    EXPECT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestThrow, game::kRequestTableMessage }));
    EXPECT_EQ(connection.Kinds(), (std::vector<int> { game::kTableMsgAutoPlayOn }));
    EXPECT_EQ(connection.sent[0].Int(48), table::CT_SINGLE); // the lowest card leads
    // Our own request changes nothing until the server relays it.
    EXPECT_FALSE(view->IsAutoPlayOn());
    Relay(game::kTableMsgAutoPlayOn, kOwn);
    EXPECT_TRUE(view->IsAutoPlayOn());

    // The overdue notice goes on the 3rd and 13th second at 0, not before.
    connection.sent.clear();
    Seconds(11);
    EXPECT_EQ(connection.Kinds(), (std::vector<int> { game::kTableMsgTimeout }));
    Seconds(1);
    EXPECT_EQ(connection.Kinds(), (std::vector<int> { game::kTableMsgTimeout, game::kTableMsgTimeout }));
}

TEST_F(CardTablePlay, AutomaticPlayMovesOnTheSecondTickAndPassesOnThePartner)
{
    Deal("3a 5a 9a Ka");
    OurTurn("7a");
    Relay(game::kTableMsgAutoPlayOn, kOwn);
    // The partner (chair 0 for chair 2) made the last play.
    view->SetLastPlay(0, view->GetLastPlay());
    Seconds(1);
    EXPECT_TRUE(connection.sent.empty());
    Seconds(1);
    EXPECT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestPass }));

    // Facing an opponent it plays.
    connection.sent.clear();
    OurTurn("7a");
    Relay(game::kTableMsgAutoPlayOn, kOwn);
    Seconds(2);
    EXPECT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestThrow }));
}

TEST_F(CardTablePlay, SwitchingOnAgainWaitsFiveSecondsOfEngineTime)
{
    Relay(game::kTableMsgAutoPlayOn, kOwn);
    Relay(game::kTableMsgAutoPlayOff, kOwn);
    EXPECT_FALSE(view->IsAutoPlayOn());
    ASSERT_EQ(view->chat.size(), 2u);
    view->chat.clear();
    struct Step {
        uint32_t after; // ms since the switch-off
        const char* line; // nullptr: the request goes out
    };
    const Step steps[] = {
        { 100, " <z=qh系统通知> #b您还需要5秒才能再次开启托管功能!\r\n" },
        { 4500, " <z=qh系统通知> #b您还需要1秒才能再次开启托管功能!\r\n" },
        { 5000, nullptr },
    };
    const uint32_t off = view->GetAutoPlayCooldown().GetOffTime();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.after);
        while (view->GetTime() - off < step.after)
            Frame(view->GetTime() - off + 100 > step.after ? step.after - (view->GetTime() - off) : 100);
        connection.sent.clear();
        view->chat.clear();
        view->OnAutoPlayClicked();
        if (step.line) {
            EXPECT_EQ(view->chat, (std::vector<std::string> { step.line }));
            EXPECT_TRUE(connection.sent.empty());
        } else {
            EXPECT_EQ(connection.Kinds(), (std::vector<int> { game::kTableMsgAutoPlayOn }));
        }
    }
}

TEST_F(CardTablePlay, ANearlyEmptyHandPassesByItselfAfterASecond)
{
    Deal("3a 5a");
    OurTurn("Ka Kb Kc");
    EXPECT_TRUE(connection.sent.empty());
    Frame(1100);
    Frame();
    EXPECT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestPass }));
}

// ---- turns, messages, viewing -------------------------------------------------------------------

TEST_F(CardTablePlay, ATurnForAChairOutsideTheTableIsRefused)
{
    state.playing = true;
    state.status = 0x100;
    state.turnChair = 1;
    view->SetTurn(1, 12);
    for (const int chair : { 4, 7, -1, 1000 }) {
        SCOPED_TRACE(chair);
        view->SetTurn(chair, 30);
        EXPECT_EQ(state.turnChair, 1);
        EXPECT_EQ(view->GetTurnClock()->GetValue(), 12);
    }
    // A turn broadcast names the chair that acted; the next one plays.
    const auto body = Body({ { 4, 0 } }, 8);
    Notify(game::kNotifyTurn, body);
    EXPECT_EQ(state.turnChair, 3);
}

TEST_F(CardTablePlay, TableMessagesAreReadWithinTheirBody)
{
    // A chair outside the table, and a payload too short for a chair.
    auto body = Body({ { 8, game::kTableMsgAutoPlayOn }, { 16, 4 }, { 20, 9 } }, 24);
    Notify(game::kNotifyTableMessage, body);
    body = Body({ { 8, game::kTableMsgAutoPlayOn }, { 16, 4 }, { 20, kOwn } }, 24);
    body.resize(22);
    Notify(game::kNotifyTableMessage, body);
    EXPECT_FALSE(view->IsAutoPlayOn());
    // The payload length claims more than the body holds: refused whole.
    body = Body({ { 8, game::kTableMsgAutoPlayOn }, { 16, 4000 }, { 20, kOwn } }, 24);
    Notify(game::kNotifyTableMessage, body);
    EXPECT_FALSE(view->IsAutoPlayOn());
    body = Body({ { 8, game::kTableMsgAutoPlayOn }, { 16, 4 }, { 20, kOwn } }, 24);
    Notify(game::kNotifyTableMessage, body);
    EXPECT_TRUE(view->IsAutoPlayOn());
}

TEST_F(CardTablePlay, OfflineAndReturnNotices)
{
    frame::PlayerRecord* player = app.GetSeatPlayer(1);
    ASSERT_NE(player, nullptr);
    player->SetUserId(501);
    player->SetChair(1);
    view->OnPlayerOffline(501);
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("掉线了"), std::string::npos);
    EXPECT_TRUE(view->GetChairBoard(1)->IsOffline());
    view->SetTurn(1, 9);
    view->GetTurnClock()->SetValue(3);
    view->chat.clear();
    Relay(game::kTableMsgPlayerBack, 1);
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("重新回到了游戏"), std::string::npos);
    EXPECT_FALSE(view->GetChairBoard(1)->IsOffline());
    EXPECT_EQ(view->GetTurnClock()->GetValue(), 9);
    // Back again without having dropped: nothing.
    Relay(game::kTableMsgPlayerBack, 1);
    EXPECT_EQ(view->chat.size(), 1u);
}

TEST_F(CardTablePlay, StartsAreAnnouncedForOtherChairsOutsideMatches)
{
    frame::PlayerRecord* player = app.GetSeatPlayer(3);
    ASSERT_NE(player, nullptr);
    player->SetUserId(503);
    player->SetName("west");
    struct Case {
        bool match;
        int chair;
        size_t lines;
    };
    for (const Case c : { Case { false, 3, 1 }, Case { false, kOwn, 0 }, Case { false, 9, 0 }, Case { true, 3, 0 } }) {
        SCOPED_TRACE(c.chair);
        app.SetMatchMode(c.match);
        view->chat.clear();
        view->OnPlayerStarted(c.chair);
        EXPECT_EQ(view->chat.size(), c.lines);
    }
    // A portrait notice too short for its chair is dropped.
    const auto notice = Body({ { 4, 3 } }, 8);
    view->OnPlayerNotice(notice.data(), 6);
    view->OnPlayerNotice(notice.data(), notice.size());
}

TEST_F(CardTablePlay, ALookerOnsRequestOpensABoxWhoseAnswerIsSent)
{
    EXPECT_EQ(view->ShowViewCardsRequestBox(700), nullptr); // nobody at the table
    frame::PlayerRecord* looker = app.GetSeatPlayer(3);
    ASSERT_NE(looker, nullptr);
    looker->SetUserId(700);
    looker->SetName("looker");
    // The box's frame and its two buttons.
    Picture("系统通知框模板", 12, 28, 2);
    Picture("同意", 40, 22, 4);
    Picture("拒绝", 40, 22, 4);
    auto* box = dynamic_cast<frame::ViewCardsRequestBox*>(view->ShowViewCardsRequestBox(700));
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->GetOkButton(), nullptr);
    Frame();
    const engine::ImageButton* allow = box->GetOkButton();
    Click(static_cast<int>(allow->GetX()), static_cast<int>(allow->GetY()));
    ASSERT_EQ(connection.Ids(), (std::vector<uint32_t> { 229560 }));
    EXPECT_EQ(connection.sent[0].Int(16), 700);
    EXPECT_EQ(connection.sent[0].Int(20), 1);
}

TEST_F(CardTablePlay, AnAnswerToALookerOnIsShownOnlyWhenItLeft)
{
    connection.failing = 229560;
    view->AnswerViewCards(700, 1);
    EXPECT_TRUE(view->chat.empty());
    connection.failing = 0;
    view->AnswerViewCards(700, 1);
    ASSERT_EQ(connection.Ids(), (std::vector<uint32_t> { 229560 }));
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("允许"), std::string::npos);
}

TEST_F(CardTablePlay, NotificationsReachTheViewThroughTheHandlerWithinTheirBodies)
{
    Deal("3a 5a 9a 9b Ka", 3);
    game::CardNotifyHandler handler(app);
    state.playing = true;
    state.status = 0x100;
    state.turnChair = 3;
    const std::vector<int> pair = Cards("Qa Qb");
    // A play of chair 3 whose body ends before its second card: dropped.
    auto thrown = Body({ { 12, 3 }, { 20, kOwn }, { 28, 20 }, { 48, table::CT_PAIR }, { 60, 2 }, { 64, pair[0] },
                           { 68, pair[1] } },
        72);
    handler.Dispatch(game::kNotifyCardsThrown, thrown.data(), 68);
    EXPECT_EQ(view->GetLastPlayChair(), -1);
    // Whole, it is shown and the turn comes to us.
    handler.Dispatch(game::kNotifyCardsThrown, thrown.data(), thrown.size());
    EXPECT_EQ(view->GetLastPlayChair(), 3);
    EXPECT_EQ(state.turnChair, kOwn);
    EXPECT_TRUE(Shown(CardTableView::kPassButton));
    // A short pass, then a table message whose length runs past its body.
    const auto passed = Body({ { 8, kOwn }, { 16, 1 }, { 32, 20 } }, 36);
    handler.Dispatch(game::kNotifyPassed, passed.data(), 30);
    EXPECT_EQ(state.turnChair, kOwn);
    auto relay = Body({ { 8, game::kTableMsgAutoPlayOn }, { 16, 100 }, { 20, kOwn } }, 24);
    handler.Dispatch(game::kNotifyTableMessage, relay.data(), relay.size());
    EXPECT_FALSE(view->IsAutoPlayOn());
    relay = Body({ { 8, game::kTableMsgAutoPlayOn }, { 16, 4 }, { 20, kOwn } }, 24);
    handler.Dispatch(game::kNotifyTableMessage, relay.data(), relay.size());
    EXPECT_TRUE(view->IsAutoPlayOn());
    handler.Dispatch(game::kNotifyPassed, passed.data(), passed.size());
    EXPECT_EQ(state.turnChair, 1);
    EXPECT_FALSE(Shown(CardTableView::kPassButton));
}

TEST_F(CardTablePlay, ALookerOnAsksOnceInFifteenSecondsAndSeesTheCardsShown)
{
    app.GetHallArgs().lookOn = 1;
    Deal("3a 5a 9a", 3);
    view->AskViewCards(); // not while the table waits
    EXPECT_TRUE(connection.sent.empty());
    state.playing = true;
    view->AskViewCards();
    EXPECT_EQ(connection.Ids(), (std::vector<uint32_t> { game::kRequestViewCards }));
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("给我看牌"), std::string::npos);
    const engine::ImageButton* ask = view->GetButton(CardTableView::kAskViewButton);
    EXPECT_FALSE(ask->IsInputEnabled());
    Seconds(14);
    EXPECT_FALSE(ask->IsInputEnabled());
    Seconds(2);
    EXPECT_TRUE(ask->IsInputEnabled());

    // The watched chair shows its hand: ids and count must match it.
    const std::vector<int> shown = Cards("Ka 4b 9c");
    auto body = Body({ { 4, kOwn }, { 8, 3 }, { 12, shown[0] }, { 16, shown[1] }, { 20, shown[2] } }, 24);
    Notify(game::kNotifyShowCards, body);
    EXPECT_EQ(view->Hand().GetHandCards().size(), 3u);
    EXPECT_TRUE(view->Hand().HasMarkedCard());
    EXPECT_FALSE(Shown(CardTableView::kAskViewButton));
    // A count past the body changes nothing.
    body = Body({ { 4, 1 }, { 8, 3 }, { 12, shown[0] } }, 16);
    Notify(game::kNotifyShowCards, body);
    for (int i = 0; i < view->GetCreatedCardCount(); ++i) {
        if (view->GetCard(i)->ownerChair == 1) {
            EXPECT_EQ(view->GetCard(i)->cardId, -1) << i;
        }
    }
    // The player withdraws the permission from this looker-on: hidden again.
    app.GetHallArgs().userId = 900;
    body = Body({ { 0, 501 }, { 12, kOwn }, { 16, 900 }, { 20, 0 } }, 40);
    Notify(game::kNotifyViewCardsAnswer, body);
    EXPECT_FALSE(view->Hand().HasMarkedCard());
}

TEST_F(CardTablePlay, TheRoundHeaderNamesTheBaseOfItsRoom)
{
    state.round = 4;
    state.baseScore = 30;
    state.baseSilver = 500;
    view->ShowRoundHeader();
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("【第4局】基础分：<c=255>30<>分"), std::string::npos) << view->chat[0];
    EXPECT_TRUE(view->GetInfoBox()->IsShown());
    view->chat.clear();
    app.GetRoomInfo().SetOptionsA(frame::RoomInfo::kOptionASilver);
    view->ShowRoundHeader();
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("【第4局】基础银：<c=255>500<>两"), std::string::npos) << view->chat[0];
}

TEST_F(CardTablePlay, EnteringARunningRoundShowsItAndSaysThePlayerIsThere)
{
    Deal("3a 5a 9a", 4);
    state.playing = true;
    state.status = 0x100;
    state.turnChair = 0;
    view->RefreshSeatedBoards();
    EXPECT_EQ(connection.Kinds(), (std::vector<int> { game::kTableMsgPresent }));
    EXPECT_FALSE(Shown(CardTableView::kStartButton));
    EXPECT_TRUE(view->GetTurnClock()->IsShown());
    EXPECT_NE(view->GetClockAction(), 0u);
    EXPECT_FALSE(Shown(CardTableView::kThrowButton)); // not our turn
    // A looker-on says nothing.
    connection.sent.clear();
    app.GetHallArgs().lookOn = 1;
    view->RefreshSeatedBoards();
    EXPECT_TRUE(connection.sent.empty());
}

// ---- match programs -----------------------------------------------------------------------------

TEST_F(CardTablePlay, MatchRanksShowOnTheBoardsOfTheirPlayers)
{
    const int users[4] = { 500, 501, 502, 503 };
    for (int chair = 0; chair < 4; ++chair) {
        frame::PlayerRecord* player = app.GetSeatPlayer(chair);
        ASSERT_NE(player, nullptr);
        player->SetUserId(users[chair]);
        player->SetChair(chair);
    }
    frame::MatchRanking& ranking = app.GetMatchRanking();
    ranking.SetPlayersLeft(24);
    // Entries in ranking order: chairs 3, 0, 2, then a user at no table.
    const int order[] = { 503, 500, 502, 999 };
    for (size_t i = 0; i < 4; ++i) {
        frame::MatchRankingEntry entry;
        entry.SetUserId(order[i]);
        entry.SetMatchScore(100 - static_cast<int>(i));
        ranking.SetEntry(i, entry);
    }
    ranking.SetEntryCount(4);
    auto shown = [&](int chair) { return view->Ranked(chair)->shown; };
    using Shown = std::vector<std::pair<int, int>>;

    // Without promotion marks only our own board shows the first entry.
    view->ShowMatchRanks();
    EXPECT_EQ(shown(kOwn), (Shown { { 100, 24 } }));
    for (int chair : { 0, 1, 3 })
        EXPECT_TRUE(shown(chair).empty()) << chair;

    // With them each entry goes to its player's board; the user at no
    // table ends the walk and chair 1, ranked after him, shows nothing.
    for (int chair = 0; chair < 4; ++chair)
        view->Ranked(chair)->shown.clear();
    ranking.SetPromotionMarking(1);
    view->ShowMatchRanks();
    EXPECT_EQ(shown(3), (Shown { { 100, 24 } }));
    EXPECT_EQ(shown(0), (Shown { { 99, 24 } }));
    EXPECT_EQ(shown(2), (Shown { { 98, 24 } }));
    EXPECT_TRUE(shown(1).empty());

    // A table of two takes two entries only.
    for (int chair = 0; chair < 4; ++chair)
        view->Ranked(chair)->shown.clear();
    app.GetTableInfo().SetPlayerCount(2);
    view->ShowMatchRanks();
    EXPECT_EQ(shown(3).size(), 1u);
    EXPECT_EQ(shown(0).size(), 1u);
    EXPECT_TRUE(shown(2).empty());
}

TEST_F(CardTablePlay, AMatchRoundShowsTheMatchInformationForASeatHolder)
{
    constexpr int kBoxW = 160;
    constexpr int kBoxH = 110;
    // The fixture's picture colour as the canvas answers it (red first).
    constexpr uint32_t kBackground = 0x996633;
    Picture("比赛信息框", kBoxW, kBoxH);
    app.SetMatchMode(true);
    app.GetHallArgs().userId = 502;
    frame::MatchRoomInfo& match = app.GetMatchRoomInfo();
    match.SetDescription("打满两局淘汰末位");
    state.round = 2;
    state.baseScore = 50;
    // Rows of the box holding anything but its background picture.
    auto inkedRows = [&](int from, int to) {
        auto* box = dynamic_cast<engine::CanvasObject*>(view->GetInfoBox());
        int rows = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < kBoxW; ++x)
                if (box->GetPixel(x, y) != kBackground) {
                    ++rows;
                    break;
                }
        return rows;
    };
    // No match seat of our own: the bare box.
    view->ShowRoundHeader();
    auto* box = dynamic_cast<engine::CanvasObject*>(view->GetInfoBox());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsShown());
    ASSERT_EQ(box->GetBufferWidth(), kBoxW);
    ASSERT_EQ(box->GetBufferHeight(), kBoxH);
    EXPECT_EQ(inkedRows(0, kBoxH), 0);
    EXPECT_EQ(box->GetLeft(), 0); // at the view's corner, no margin
    EXPECT_EQ(box->GetTop(), 0);

    // With a seat: three lines from y 30, no title.
    app.GetMatchSeat(0)->SetUserId(502);
    match.SetKindText("积分赛");
    view->ShowRoundHeader();
    EXPECT_EQ(inkedRows(0, 28), 0);
    EXPECT_GT(inkedRows(30, 90), 20);

    // A knockout kind adds the round's title above lines from y 40.
    match.SetKindText("定局淘汰");
    view->ShowRoundHeader();
    EXPECT_GT(inkedRows(15, 36), 5);
    EXPECT_GT(inkedRows(40, 100), 20);
}

TEST_F(CardTablePlay, ARoundRefreshesTheAdvertRankingOnlyWithAnAdvert)
{
    auto made = std::make_unique<ClickedBar>();
    made->SetName(frame::kAdvertBarName);
    auto* bar = static_cast<ClickedBar*>(host.GetRootObject()->RegisterObject(std::move(made)));
    ASSERT_NE(bar, nullptr);
    view->ShowRoundHeader();
    EXPECT_TRUE(bar->clicked.empty());
    app.SetAdvertText("本周比赛排行");
    view->ShowRoundHeader();
    EXPECT_EQ(bar->clicked, (std::vector<std::string> { "刷新排名" }));
}

TEST_F(CardTablePlay, EnteringARunningRoundMarksTheChairsThatDroppedOut)
{
    Deal("3a 5a 9a", 4);
    state.playing = true;
    state.status = 0x100;
    // Chair 0 plays automatically (not offline), 1 and 3 dropped out with
    // either bit, and so did our own chair by the table state's word.
    state.chairStatus = { 0x10, 0x08, 0x20, 0x20 | 0x10 };
    view->RefreshSeatedBoards();
    auto offline = [&] {
        std::vector<bool> marks;
        for (int chair = 0; chair < 4; ++chair)
            marks.push_back(view->GetChairBoard(chair)->IsOffline());
        return marks;
    };
    EXPECT_EQ(offline(), (std::vector<bool> { false, true, false, true }));
    // A looker-on sees every chair's mark, the watched chair's too.
    app.GetHallArgs().lookOn = 1;
    view->RefreshSeatedBoards();
    EXPECT_EQ(offline(), (std::vector<bool> { false, true, true, true }));
}

// ---- replays ---------------------------------------------------------------------------------------

TEST_F(CardTablePlay, TableEventsReachTheRecorderOnlyWhileItRecords)
{
    app.recordsReplays = true;
    auto* recorder = dynamic_cast<KeepingRecorder*>(view->CreateReplayRecorder());
    ASSERT_NE(recorder, nullptr);
    const uint8_t body[8] {};
    struct Case {
        bool match;
        std::vector<uint32_t> sent;
        std::vector<uint32_t> recorded;
        int starts;
    };
    const Case cases[] = {
        // Before a game starts nothing is kept; the start begins the replay
        // and is its first record; other ids are not table events.
        { false, { 221170, 229500, 211040, 221170, 223100, 229500, 201160, 211160 },
            { 211040, 221170, 223100, 229500 }, 1 },
        { false, { 211028, 223100 }, { 211028, 223100 }, 1 },
        // A match replay begins with the round's room, which is not kept;
        // what came before it belongs to no replay.
        { true, { 211040, 229500, 211150, 211040, 211160, 229500, 221170 }, { 211040, 211160, 229500 }, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent.front());
        app.SetMatchMode(c.match);
        recorder->recording = false;
        recorder->starts = 0;
        recorder->records.clear();
        for (const uint32_t id : c.sent)
            view->OnServerNotify(id, body, sizeof body);
        EXPECT_EQ(recorder->records, c.recorded);
        EXPECT_EQ(recorder->starts, c.starts);
    }
}

TEST_F(CardTablePlay, ASavedReplayIsAnnouncedOnlyWhenItWasWritten)
{
    app.recordsReplays = true;
    auto* recorder = dynamic_cast<KeepingRecorder*>(view->CreateReplayRecorder());
    ASSERT_NE(recorder, nullptr);
    const uint8_t body[8] {};
    view->OnServerNotify(211040, body, sizeof body);
    view->OnServerNotify(211080, body, sizeof body); // nothing written
    EXPECT_EQ(recorder->records, (std::vector<uint32_t> { 211040, 211080 }));
    EXPECT_TRUE(view->chat.empty());
    recorder->records.clear();

    recorder->savedPath = "/home/p/replays/KbZn-1.qhrep";
    view->OnServerNotify(211040, body, sizeof body);
    view->OnServerNotify(211080, body, sizeof body);
    ASSERT_EQ(view->chat.size(), 1u);
    EXPECT_NE(view->chat[0].find("<url_text=/home/p/replays,"), std::string::npos) << view->chat[0];
    // The replay ended: later plays are not kept.
    view->OnServerNotify(221170, body, sizeof body);
    EXPECT_EQ(recorder->records, (std::vector<uint32_t> { 211040, 211080 }));
}

} // namespace
