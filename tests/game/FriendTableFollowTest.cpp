// The game's application with its table view on the headless host, following
// a play: automatic play that lets the own side's play stand and beats the
// other side's, with the banker and his friend at neighbouring chairs; a
// running round rebuilt from the table state with a play to answer; bombs of
// more than eight cards in the hints and the throw check; and plays of cards
// the chair cannot hold, refused with a line in the log. Rounds come as the server's table state (211160),
// plays as 221170, automatic play as the server's relay (229500); the
// requests the view sends are kept by the connection.

#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/SpriteObject.h"
#include "cards/CardGameConnection.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameApp.h"
#include "game/FriendGameConnection.h"
#include "net/DailyLog.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/WindowMessages.h"
#include "table/FriendCardRules.h"
#include "table/FriendRecords.h"
#include "tests/game/FriendBodies.h"
#include "tests/game/ViewHostTest.h"
#include "tests/support/ScopedEnv.h"
#include "tests/table/CardNotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using friendtest::Put;
using table::testing::Cards;
using TS = table::FriendTableState;
using Button = game::CardTableView::Button;

// Keeps every request and answers it as accepted.
class KeepingConnection : public game::FriendGameConnection {
public:
    struct Sent {
        uint32_t id;
        std::vector<uint8_t> bytes;
        int Int(size_t at) const
        {
            int v = 0;
            if (at + 4 <= bytes.size())
                std::memcpy(&v, bytes.data() + at, 4);
            return v;
        }
    };
    int Request(std::string&, uint32_t requestId, const uint8_t* data, uint32_t length, RequestReply& reply,
        bool) override
    {
        sent.push_back({ requestId, std::vector<uint8_t>(data, data + length) });
        reply.code = game::kReplyOk;
        return 1;
    }
    // The plays and passes sent, the thrown ids sorted.
    std::vector<std::vector<int>> Throws() const
    {
        std::vector<std::vector<int>> throws;
        for (const Sent& s : sent)
            if (s.id == game::kRequestThrow) {
                std::vector<int> ids;
                for (int i = 0; i < s.Int(game::ThrowRecord::kCount); ++i)
                    ids.push_back(s.Int(game::ThrowRecord::kCards + 4 * static_cast<size_t>(i)));
                std::sort(ids.begin(), ids.end());
                throws.push_back(ids);
            }
        return throws;
    }
    int Passes() const
    {
        return static_cast<int>(std::count_if(
            sent.begin(), sent.end(), [](const Sent& s) { return s.id == game::kRequestPass; }));
    }
    std::vector<Sent> sent;
};

class FollowApp : public game::FriendGameApp {
public:
    engine::EngineObject* GetTableView() const override { return view; }
    GameConnection* GetConnection() override { return &connection; }
    engine::EngineObject* view = nullptr;
    KeepingConnection connection;
};

// The play the cards make as the game's rules read them (the strongest
// reading).
table::PlayRecord PlayRecordOf(int chair, const std::vector<int>& ids)
{
    table::FriendCardRules rules;
    table::PlayList list;
    list.Clear();
    if (!rules.FindPlays(chair, ids.data(), static_cast<int>(ids.size()), list, table::kFriendPlayMask))
        return {};
    rules.PickStrongestPlay(list);
    return list.entries[0];
}

// That play as the server announces it: the chair, the next chair's turn.
std::vector<uint8_t> PlayOf(int chair, int next, const std::vector<int>& ids)
{
    const table::PlayRecord play = PlayRecordOf(chair, ids);
    std::vector<uint8_t> body = friendtest::Play(chair, next, play.type, ids);
    Put(body, 52, play.mask);
    Put(body, 56, play.value);
    return body;
}

std::vector<int> Sorted(std::vector<int> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

class FriendFollow : public friendtest::ViewHostTest {
protected:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 860;
    // The own chair is the banker's (unless a test seats him elsewhere);
    // his friend sits next to him, playing just before him, and not two
    // chairs away.
    static constexpr int kOwn = 1;
    static constexpr int kFriend = 2;
    static constexpr int kOpponent = 3;
    // The flip card; the friend holds its other copy.
    static constexpr const char* kFlip = "Qd";

    void SetUp() override
    {
        if (!StartHost("friendfollow", kWidth, kHeight))
            GTEST_SKIP() << "no video driver";
        app.SetOwnChair(kOwn);
        SeatPlayers(app, 7000);
        CardPictures();
        Picture("PlayerBoardSmall", 120, 40);
        for (const char* name : { "btnThrow", "btnPass", "btnRemaind", "btn_AutoPlay", "btn_CancelAutoPlay" })
            Picture(name, 60, 30, 4);
        ClockPictures();
        view = AddTableView(kWidth, kHeight);
        ASSERT_NE(view, nullptr);
        app.view = view;
        Frame(30);
    }
    void TearDown() override
    {
        ViewHostTest::TearDown();
        app.view = nullptr;
    }

    // A running round as the server sends it to a client entering it: the
    // own chair the banker with the friend beside him, the own hand known,
    // each other chair 27 hidden cards; the turn and the trick's last play
    // as given (chair -1: the trick is open).
    void EnterRound(const std::vector<int>& hand, int turn, int lastChair = -1, const std::vector<int>& last = {})
    {
        EnterRoundOf(kOwn, kFriend, hand, turn, lastChair, last);
    }
    // The same with the banker and his friend elsewhere.
    void EnterRoundOf(int banker, int friendChair, const std::vector<int>& hand, int turn, int lastChair = -1,
        const std::vector<int>& last = {})
    {
        TS state;
        table::InitTableState(&state);
        state.header.banker = banker;
        state.header.friendChair = friendChair;
        state.header.currentChair = turn;
        state.header.status = 0x101;
        state.header.calledCard = Cards(kFlip)[0];
        size_t next = 0;
        for (size_t k = 0; k < hand.size(); ++k) {
            table::CardRecord& r = state.cards[next++];
            r = { hand[k], 0, 0, 0, table::kCardInHand, kOwn, static_cast<int>(k), static_cast<int>(hand.size()) };
        }
        // The last play lies on the table; its chair holds that many cards
        // fewer.
        const int lastCount = static_cast<int>(last.size());
        for (int k = 0; k < lastCount; ++k) {
            const int id = last[static_cast<size_t>(k)];
            state.cards[next++] = { id, 0, 0, 0, table::kCardOnTable, lastChair, k, lastCount };
        }
        for (int chair = 0; chair < 4; ++chair) {
            const int held = table::kFriendHandSize - (chair == lastChair ? lastCount : 0);
            for (int k = 0; chair != kOwn && k < held; ++k)
                state.cards[next++] = { -1, 0, 0, 0, table::kCardInHand, chair, k, held };
        }
        if (lastChair >= 0) {
            state.lastPlayChair = lastChair;
            state.lastPlay = PlayRecordOf(lastChair, last);
            ASSERT_NE(state.lastPlay.type, 0);
        }
        std::vector<uint8_t> bytes(TS::kWireSize);
        state.Write(bytes);
        Notify(211160, bytes);
        Frame(30);
    }
    void Notify(uint32_t id, const std::vector<uint8_t>& body)
    {
        app.GetNotifyHandler()->Dispatch(id, body.data(), body.size());
    }
    // The server relays that the own chair is on automatic play.
    void AutoPlayOn()
    {
        std::vector<uint8_t> body(24, 0);
        Put(body, 8, 19840329);
        Put(body, 16, 4);
        Put(body, 20, kOwn);
        Notify(229500, body);
    }
    void Click(Button which)
    {
        const engine::ImageButton* button = view->GetButton(which);
        ASSERT_NE(button, nullptr);
        const int x = static_cast<int>(button->GetX());
        const int y = static_cast<int>(button->GetY());
        for (const uint32_t message : { platform::kWmMouseMove, platform::kWmLButtonDown, platform::kWmLButtonUp }) {
            host.InjectInput(message, x, y);
            Frame(30);
        }
        Frame(30);
    }
    bool Shown(Button which) const { return view->GetButton(which) && view->GetButton(which)->IsShown(); }
    bool Enabled(Button which) const { return view->GetButton(which) && view->GetButton(which)->IsInputEnabled(); }
    // A click on the visible left edge of an own hand card.
    void ClickCard(const char* name)
    {
        const int id = Cards(name)[0];
        const game::FriendCardSprite* card = nullptr;
        for (int i = 0; i < game::kGameCards && !card; ++i)
            if (const game::FriendCardSprite* c = view->GetGameCard(i); c && c->cardId == id && c->ownerChair == kOwn)
                card = c;
        ASSERT_NE(card, nullptr);
        const int x = static_cast<int>(card->GetX() - card->GetSprite()->GetWidth() / 2 + 4);
        const int y = static_cast<int>(card->GetY());
        for (const uint32_t message : { platform::kWmMouseMove, platform::kWmLButtonDown, platform::kWmLButtonUp }) {
            host.InjectInput(message, x, y);
            Frame(30);
        }
        Frame(400);
    }
    std::vector<int> Selected() const
    {
        std::vector<int> ids;
        for (int i = 0; i < game::kGameCards; ++i)
            if (const game::FriendCardSprite* card = view->GetGameCard(i);
                card && card->ownerChair == kOwn && card->state == game::kCardInHand && card->selected)
                ids.push_back(card->cardId);
        return Sorted(ids);
    }
    int HandCount(int chair) const
    {
        int n = 0;
        for (int i = 0; i < game::kGameCards; ++i)
            if (const game::FriendCardSprite* card = view->GetGameCard(i))
                n += card->ownerChair == chair && card->state == game::kCardInHand;
        return n;
    }

    FollowApp app;
    game::FriendTableView* view = nullptr;
};

// ---- automatic play and the partner ----------------------------------------------------------

TEST_F(FriendFollow, AutomaticPlayLetsTheFriendsPlayStandAndBeatsTheOpponents)
{
    struct Case {
        const char* what;
        int banker;
        int friendChair;
        int chair; // who played
        const char* played;
        int revealed; // the friend as known here afterwards
        bool beats;
    };
    const Case cases[] = {
        { "an opponent's single is beaten", kOwn, kFriend, kOpponent, "5c", -1, true },
        { "the friend's single stands before he has shown himself", kOwn, kFriend, kFriend, "5c", -1, false },
        { "the friend's single stands when it shows him", kOwn, kFriend, kFriend, "Qd2", kFriend, false },
        // Against the banker (2) and his friend (3) the own partner is
        // chair 0, and the friend across the table is an opponent.
        { "the other opponent's single stands", 2, 3, 0, "5c", -1, false },
        { "the friend's single is beaten", 2, 3, 3, "5c", -1, true },
        { "the banker's single is beaten", 2, 3, 2, "5c", -1, true },
    };
    const std::vector<int> hand = Cards("3a 4b Kb 7d 7d2 7c");
    // The move comes on automatic play, or when the turn's one second runs out.
    for (const bool clockRunsOut : { false, true }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (clockRunsOut ? ", the clock ran out" : ", on automatic play"));
            EnterRoundOf(c.banker, c.friendChair, hand, c.chair);
            std::vector<uint8_t> play = PlayOf(c.chair, kOwn, Cards(c.played));
            if (clockRunsOut)
                Put(play, 28, 1);
            Notify(221170, play);
            EXPECT_EQ(app.GetGameData().TableWord(TS::kFriendRevealedOffset), c.revealed);
            ASSERT_TRUE(Shown(Button::kThrowButton));
            app.connection.sent.clear();
            if (!clockRunsOut)
                AutoPlayOn();
            Run(2100);
            if (c.beats) {
                EXPECT_EQ(app.connection.Throws(), (std::vector<std::vector<int>> { Cards("Kb") }));
                EXPECT_EQ(app.connection.Passes(), 0);
            } else {
                EXPECT_TRUE(app.connection.Throws().empty());
                EXPECT_EQ(app.connection.Passes(), 1);
            }
        }
    }
}

// ---- a running round entered with a play to answer -------------------------------------------

TEST_F(FriendFollow, EnteringARoundWithAPlayToAnswerOffersPassAndHintAndChecksTheThrow)
{
    EnterRound(Cards("3a 4b Kb 7d 7d2 7c"), kOwn, kOpponent, Cards("5c"));
    // The five to answer lies on the table.
    int played = 0;
    for (int i = 0; i < game::kGameCards; ++i)
        if (const game::FriendCardSprite* card = view->GetGameCard(i); card && card->cardId == Cards("5c")[0])
            played += card->ownerChair == kOpponent && card->state == game::kCardPlayed;
    EXPECT_EQ(played, 1);
    EXPECT_TRUE(Shown(Button::kPassButton));
    EXPECT_TRUE(Shown(Button::kHintButton));
    EXPECT_EQ(view->GetButton(Button::kThrowButton)->GetX(), view->GetButton(Button::kHintButton)->GetX() + 80);

    // The hint answers the five, not the open trick.
    Click(Button::kHintButton);
    EXPECT_EQ(Selected(), Cards("Kb"));
    EXPECT_TRUE(Enabled(Button::kThrowButton));

    // A four does not beat it: the throw is refused here, not by the server.
    ClickCard("Kb");
    ClickCard("4b");
    EXPECT_EQ(Selected(), Cards("4b"));
    EXPECT_FALSE(Enabled(Button::kThrowButton));

    app.connection.sent.clear();
    Click(Button::kPassButton);
    EXPECT_EQ(app.connection.Passes(), 1);
}

// ---- bombs of more than eight cards ---------------------------------------------------------

TEST_F(FriendFollow, ATenCardBombIsHintedAndBeatsANineCardOne)
{
    const std::vector<int> bomb = Cards("9b 9c 9d 9b2 9c2 9d2 9a 9a2 BJ SJ2");
    std::vector<int> hand = Cards("3a 4b");
    hand.insert(hand.end(), bomb.begin(), bomb.end());
    EnterRound(hand, kOpponent);
    Notify(221170, PlayOf(kOpponent, kOwn, Cards("Aa Ab Ac Ad Aa2 Ab2 Ac2 Ad2 SJ")));
    ASSERT_TRUE(Shown(Button::kThrowButton));
    // Something beats it: no pass hint.
    EXPECT_FALSE(view->GetPassHint() && view->GetPassHint()->IsShown());

    app.connection.sent.clear();
    Click(Button::kHintButton);
    EXPECT_EQ(app.connection.Passes(), 0);
    EXPECT_EQ(Selected(), Sorted(bomb));
    EXPECT_TRUE(Enabled(Button::kThrowButton));
    Click(Button::kThrowButton);
    EXPECT_EQ(app.connection.Throws(), (std::vector<std::vector<int>> { Sorted(bomb) }));
}

// ---- plays of cards the chair cannot hold ----------------------------------------------------

// The library log written to a folder of its own for one test.
class LogFolder {
public:
    LogFolder()
        : m_dir(std::filesystem::temp_directory_path() / ("kbzn_follow_" + std::to_string(::getpid())))
        , m_state("XDG_STATE_HOME", m_dir.string())
    {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 11, 4, 0, 0, 0 });
        net::LogInit("Follow", net::kDefaultLogOptions);
    }
    ~LogFolder()
    {
        net::LogShutdown();
        platform::SetFixedLocalTime(std::nullopt);
        std::filesystem::remove_all(m_dir);
    }
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;
    // How many lines name the notification.
    size_t Lines(const std::string& part) const
    {
        std::string log;
        platform::ReadFile(platform::StateDirectory() + "Follow20261211.log", log);
        size_t n = 0;
        for (size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1))
            ++n;
        return n;
    }

private:
    std::filesystem::path m_dir;
    testsupport::ScopedEnv m_state; // the library log's folder
};

TEST_F(FriendFollow, APlayOfCardsTheChairCannotHoldIsRefused)
{
    const LogFolder log;
    struct Case {
        const char* what;
        std::vector<int> ids;
        bool taken;
    };
    const std::vector<int> hand = Cards("3a 4b Kb 7d 7d2 7c");
    const Case cases[] = {
        { "ids beyond the two decks", { 200, 201 }, false },
        { "a negative id", { -5 }, false },
        { "a card of the own hand", Cards("Kb"), false },
        { "one card twice", Cards("5c 5c"), false },
        { "cards no one shows", Cards("5c 5c2"), true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EnterRound(hand, kOpponent);
        const size_t logged = log.Lines("221170");
        std::vector<uint8_t> body = friendtest::Play(kOpponent, kOwn, table::CT_PAIR, c.ids);
        Notify(221170, body);
        EXPECT_EQ(log.Lines("221170") - logged, c.taken ? 0u : 1u);
        const int held = table::kFriendHandSize - (c.taken ? static_cast<int>(c.ids.size()) : 0);
        EXPECT_EQ(HandCount(kOpponent), held);
        EXPECT_EQ(HandCount(kOwn), static_cast<int>(hand.size()));
        EXPECT_EQ(view->GetLastPlayChair(), c.taken ? kOpponent : -1);
    }
}

} // namespace
