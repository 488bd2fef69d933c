#include "table/FriendCardRules.h"
#include "platform/Bytes.h"

#include "CardNotation.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace table {

using platform::LoadI32;
namespace {

using testing::Cards;

// Reaches the few protected words that only a finished deal sets.
class TestRules : public FriendCardRules {
public:
    void SetKind(int kind) { m_resultKind = kind; }
    void SetBases(int score, int silver)
    {
        m_baseScore = score;
        m_baseSilver = silver;
    }
};

class FriendTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFixedTick(5000u);
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 0, 0 });
    }
    void TearDown() override
    {
        platform::SetFixedTick(std::nullopt);
        platform::SetFixedLocalTime(std::nullopt);
    }

    // Deals, then gives each chair exactly the listed cards (moved with
    // their owners' histograms), and starts the play phase at chair 0.
    void Deal(TestRules& rules, int banker = 0)
    {
        rules.SetPresetBanker(banker);
        rules.DealCards();
        rules.SetPlaying();
    }
    static void Arrange(TestRules& rules, const std::vector<std::vector<int>>& hands)
    {
        for (int c = 0; c < 4; ++c) {
            for (int id : hands[c]) {
                const CardRecord* card = rules.FindCard(id);
                ASSERT_NE(card, nullptr);
                rules.MoveCardOwner(card->owner, c, id);
            }
        }
    }
    static std::vector<int> Hand(TestRules& rules, int chair)
    {
        int out[kMaxPlayCards];
        int n = rules.GetHandCards(chair, out);
        return std::vector<int>(out, out + n);
    }
    static PlayMessage Message(TestRules& rules, int chair, const std::vector<int>& cards)
    {
        PlayMessage message;
        message.head[PlayMessage::kChairWord] = chair;
        PlayList list;
        list.Clear();
        rules.FindPlays(chair, cards.data(), static_cast<int>(cards.size()), list, kFriendPlayMask);
        const FriendTableState& s = rules.State();
        if (s.lastPlayChair >= 0)
            rules.PickBeatingPlay(s.lastPlay, list);
        else
            rules.PickStrongestPlay(list);
        message.play = list.entries[0];
        return message;
    }
};

TEST_F(FriendTableTest, WireLayoutsOfStateAndStartRecord)
{
    FriendTableState state;
    InitTableState(&state);
    InitTableState(nullptr); // nothing happens
    EXPECT_EQ(state.lastPlayChair, -1);
    EXPECT_EQ(state.friendRevealed, -1);
    EXPECT_EQ(state.level, 1);
    EXPECT_EQ(state.header.cards[26], -1);
    EXPECT_EQ(state.lists[3][27], -1);
    EXPECT_EQ(state.chair[2][kTimeoutLength], 20);
    EXPECT_EQ(state.lastPlay.cards[5], 0); // an open round's last play is all zero

    state.header.calledCard = 77;
    state.header.friendChair = 2;
    state.lastPlayChair = 3;
    state.lastPlay.Set(CT_PAIR, CT_PAIR, 6, 2);
    state.cards[1] = CardRecord { 106, 14, 5, 1, kCardInHand, 2, 0, 27 };
    state.runningScore[1] = 9;
    state.friendRevealed = 2;
    state.history[1][29] = -45;
    state.lists[0][27] = 53;
    state.chair[3][kAllFourJokers] = 1;
    std::vector<uint8_t> bytes(FriendTableState::kWireSize);
    ASSERT_TRUE(state.Write(bytes));
    EXPECT_EQ(LoadI32(bytes, 188), 77);
    EXPECT_EQ(LoadI32(bytes, 196), 2);
    EXPECT_EQ(LoadI32(bytes, 216), 3);
    EXPECT_EQ(LoadI32(bytes, 220), CT_PAIR);
    EXPECT_EQ(LoadI32(bytes, 496), 1);
    EXPECT_EQ(LoadI32(bytes, 532 + 32), 106);
    EXPECT_EQ(LoadI32(bytes, 532 + 32 + 20), 2);
    EXPECT_EQ(LoadI32(bytes, 3988 + 4), 9);
    EXPECT_EQ(LoadI32(bytes, 4036), 2);
    EXPECT_EQ(LoadI32(bytes, 4040 + 4 * (30 + 29)), -45);
    EXPECT_EQ(LoadI32(bytes, 4576 + 4 * 27), 53);
    EXPECT_EQ(LoadI32(bytes, 5040 + 4 * (3 * 27 + 22)), 1);
    FriendTableState back;
    ASSERT_TRUE(FriendTableState::Read(bytes, back));
    EXPECT_EQ(back.cards[1].id, 106);
    EXPECT_EQ(back.history[1][29], -45);
    EXPECT_FALSE(FriendTableState::Read(std::span<const uint8_t>(bytes.data(), 5487), back));

    FriendStartInfo info;
    info.roundCount = 4;
    info.handSize = 27;
    info.cards[0] = 12;
    info.calledRound = 14;
    std::vector<uint8_t> start(FriendStartInfo::kWireSize, 0xAA);
    ASSERT_TRUE(info.Write(start));
    EXPECT_EQ(LoadI32(start, 32), 4);
    EXPECT_EQ(LoadI32(start, 64), 20);
    EXPECT_EQ(LoadI32(start, 68), 90);
    EXPECT_EQ(LoadI32(start, 72), 3);
    EXPECT_EQ(LoadI32(start, 76), 27);
    EXPECT_EQ(LoadI32(start, 80), 12);
    EXPECT_EQ(LoadI32(start, 84), -1);
    EXPECT_EQ(LoadI32(start, 192), 14);
    EXPECT_EQ(LoadI32(start, 212), 0);
}

TEST_F(FriendTableTest, DealGivesEachChair27CardsAndHidesTheFriend)
{
    for (uint32_t tick = 1; tick <= 40; ++tick) {
        SCOPED_TRACE(tick);
        platform::SetFixedTick(tick * 7777u);
        TestRules rules;
        rules.SetRoundCount(1);
        int banker = static_cast<int>(tick % 4);
        Deal(rules, banker);
        EXPECT_EQ(rules.GetBanker(), banker);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(rules.GetHandCount(c), 27);
        // With a preset banker in the first round the cards still go to
        // chairs 0, 1, 2, 3 in turn, and the called card is the banker's 15th.
        const FriendTableState& s = rules.State();
        EXPECT_EQ(s.cards[banker + 56].id, rules.GetCalledCard());
        EXPECT_EQ(rules.DealtHand(banker)[14], rules.GetCalledCard());
        for (int i = 0; i < 108; ++i)
            EXPECT_EQ(s.cards[i].owner, i % 4);
        EXPECT_NE(rules.GetFriendChair(), banker);
        EXPECT_EQ(rules.GetTeam(banker), 0);
        EXPECT_EQ(rules.GetTeam(rules.GetFriendChair()), 0);
        EXPECT_EQ(rules.GetPartnerChair(banker), rules.GetFriendChair());
        EXPECT_EQ(rules.GetCurrentChair(), banker);
    }
    // A later round deals from the banker on, who gets the first card.
    TestRules rules;
    rules.SetRoundCount(2);
    Deal(rules, 2);
    EXPECT_EQ(rules.State().cards[0].owner, 2);
    EXPECT_EQ(rules.State().cards[1].owner, 1); // the turn passes to the next lower chair
    EXPECT_EQ(rules.DealtHand(2)[0], rules.GetCalledCard());
    EXPECT_NE(rules.GetFriendChair(), 2);
}

TEST_F(FriendTableTest, ValidationReadsThePlayFromItsCards)
{
    TestRules rules;
    Deal(rules, 0);
    std::vector<int> hand = Hand(rules, 0);
    std::sort(hand.begin(), hand.end(), [](int a, int b) { return CardOrder(a, 1) < CardOrder(b, 1); });
    const int lowest = hand[0];

    PlayMessage good = Message(rules, 0, { lowest });
    EXPECT_TRUE(rules.ValidatePlay(good));

    struct Forgery {
        const char* what;
        void (*apply)(PlayMessage&);
    } forgeries[] = {
        { "count disagrees", [](PlayMessage& m) { m.play.count = 2; } },
        { "value raised", [](PlayMessage& m) { m.play.value = 22; } },
        { "claimed a bomb", [](PlayMessage& m) { m.play.type = CT_BOMB; m.play.mask = 0x1147; m.play.value = 80000; } },
        { "same card twice", [](PlayMessage& m) { m.play.cards[1] = m.play.cards[0]; m.play.count = 2; m.play.type = CT_PAIR; m.play.mask = 2; } },
        { "another chair", [](PlayMessage& m) { m.head[PlayMessage::kChairWord] = 1; } },
        { "a card of another hand", [](PlayMessage& m) { m.play.cards[0] = -1; m.play.cards[1] = -1; } },
    };
    for (const Forgery& f : forgeries) {
        PlayMessage message = good;
        f.apply(message);
        EXPECT_FALSE(rules.ValidatePlay(message)) << f.what;
    }
    std::vector<int> other = Hand(rules, 1);
    PlayMessage stolen = Message(rules, 0, { other[0] });
    EXPECT_FALSE(rules.ValidatePlay(stolen));

    rules.ApplyPlay(good);
    EXPECT_EQ(rules.FindCard(lowest)->state, kCardOnTable);
    EXPECT_EQ(rules.GetHandCount(0), 26);
    // The same card cannot be played again.
    rules.SwitchToChair(0);
    EXPECT_FALSE(rules.ValidatePlay(good));
}

TEST_F(FriendTableTest, PassesCloseTheRoundAndTheLeadFollowsTheRules)
{
    TestRules rules;
    Deal(rules, 0);
    std::vector<int> hand = Hand(rules, 0);
    PlayMessage play = Message(rules, 0, { hand[0] });
    ASSERT_TRUE(rules.ValidatePlay(play));
    rules.ApplyPlay(play);
    EXPECT_EQ(rules.CheckChairFinished(play), 0);
    EXPECT_EQ(play.head[PlayMessage::kWord20], 3); // the turn passes to the next lower chair
    EXPECT_EQ(rules.GetCurrentChair(), 3);
    for (int chair : { 3, 2, 1 }) {
        PlayMessage pass;
        pass.head[PlayMessage::kChairWord] = chair;
        ASSERT_EQ(rules.AdvanceTurn(pass), 1);
        if (chair != 1) {
            EXPECT_EQ(pass.head[PlayMessage::kWord20], 0);
        } else {
            EXPECT_EQ(pass.head[PlayMessage::kWord20], 1); // round closed
            EXPECT_EQ(pass.head[PlayMessage::kWord24], 0); // won by chair 0
            EXPECT_EQ(pass.head[PlayMessage::kWord16], 0); // who leads again
        }
    }
    EXPECT_EQ(rules.State().lastPlayChair, -1);
    EXPECT_EQ(rules.FindCard(hand[0])->state, kCardPlayed);
    PlayMessage pass;
    EXPECT_EQ(rules.AdvanceTurn(pass), 0); // nobody passes on an open round

    // A winner without cards: the partner leads once the friend is known,
    // before that the next chair.
    for (bool revealed : { true, false }) {
        TestRules t;
        Deal(t, 0);
        PlayMessage lead = Message(t, 0, { Hand(t, 0)[0] });
        t.ApplyPlay(lead);
        for (int id : Hand(t, 0))
            t.MoveCardOwner(0, 2, id);
        t.MutableState().friendRevealed = revealed ? t.GetFriendChair() : -1;
        t.SwitchToChair(3);
        for (int chair : { 3, 2, 1 }) {
            PlayMessage p;
            p.head[PlayMessage::kChairWord] = chair;
            t.AdvanceTurn(p);
            if (chair == 1) {
                int expected = revealed ? t.GetFriendChair() : 3;
                EXPECT_EQ(p.head[PlayMessage::kWord16], expected) << revealed;
            }
        }
    }
}

TEST_F(FriendTableTest, FinishingEndsTheDealWhenBothPartnersAreOut)
{
    TestRules rules;
    Deal(rules, 0);
    const int friendChair = rules.GetFriendChair();
    // The banker plays its whole hand away card by card (moved to others but
    // the last one), then plays the last card.
    std::vector<int> hand = Hand(rules, 0);
    for (size_t i = 1; i < hand.size(); ++i)
        rules.MoveCardOwner(0, friendChair == 1 ? 2 : 1, hand[i]);
    PlayMessage last = Message(rules, 0, { hand[0] });
    ASSERT_TRUE(rules.ValidatePlay(last));
    rules.ApplyPlay(last);
    EXPECT_EQ(rules.CheckChairFinished(last), 0);
    EXPECT_EQ(last.head[PlayMessage::kWord24], 1);
    EXPECT_EQ(rules.State().place[0], 1);

    // The friend goes out too: the deal is over, the others take the next
    // places in chair order, and the first finisher banks the next deal.
    for (int id : Hand(rules, friendChair))
        rules.MoveCardOwner(friendChair, friendChair == 3 ? 2 : 3, id);
    rules.SwitchToChair(friendChair);
    PlayMessage none;
    none.head[PlayMessage::kChairWord] = friendChair;
    EXPECT_EQ(rules.CheckChairFinished(none), 1);
    EXPECT_EQ(none.head[PlayMessage::kWord20], friendChair);
    EXPECT_EQ(rules.State().place[friendChair], 2);
    std::vector<int> places(rules.State().place, rules.State().place + 4);
    std::sort(places.begin(), places.end());
    EXPECT_EQ(places, (std::vector<int> { 1, 2, 3, 4 }));
    EXPECT_EQ(rules.GetResultKind(), 1);
    EXPECT_EQ(rules.GetPresetBanker(), 0);
}

TEST_F(FriendTableTest, SeatCopiesShowOnlyTheSeatsOwnHand)
{
    TestRules rules;
    Deal(rules, 0);
    std::vector<uint8_t> bytes(FriendTableState::kWireSize);
    ASSERT_EQ(rules.FillTableState(bytes, 1, false), 5488);
    FriendTableState copy;
    ASSERT_TRUE(FriendTableState::Read(bytes, copy));
    for (const CardRecord& card : copy.cards) {
        ASSERT_EQ(card.state, kCardInHand);
        EXPECT_EQ(card.extra, 27);
        if (card.owner == 1) {
            EXPECT_GE(card.id, 0);
        } else {
            EXPECT_EQ(card.id, -1);
            EXPECT_EQ(card.value, 0);
            EXPECT_EQ(card.suit, 0);
        }
    }
    EXPECT_EQ(copy.chair[2][kCardsInHand], 27);
    EXPECT_EQ(copy.header.friendChair, rules.GetFriendChair()); // read by the client
    EXPECT_EQ(copy.header.calledCard, rules.GetCalledCard());

    ASSERT_EQ(rules.FillTableState(bytes, 1, true), 5488);
    FriendTableState::Read(bytes, copy);
    for (const CardRecord& card : copy.cards)
        EXPECT_EQ(card.id, -1);

    // A seat that has played out sees its partner's hand.
    const int partner = rules.GetPartnerChair(1);
    for (int id : Hand(rules, 1))
        rules.MoveCardOwner(1, (partner + 1) % 4 == 1 ? (partner + 2) % 4 : (partner + 1) % 4, id);
    ASSERT_EQ(rules.GetHandCount(1), 0);
    rules.FillTableState(bytes, 1, false);
    FriendTableState::Read(bytes, copy);
    for (const CardRecord& card : copy.cards) {
        if (card.owner == partner) {
            EXPECT_GE(card.id, 0);
        }
    }

    std::vector<uint8_t> start(FriendStartInfo::kWireSize);
    ASSERT_EQ(rules.FillStartInfo(start, 2, false), 216);
    FriendStartInfo info;
    FriendStartInfo::Read(start, info);
    EXPECT_EQ(info.handSize, 27);
    EXPECT_EQ(info.cards[0], Hand(rules, 2)[0]);
    rules.FillStartInfo(start, 2, true);
    FriendStartInfo::Read(start, info);
    EXPECT_EQ(info.cards[0], -1);
    EXPECT_EQ(rules.FillStartInfo(std::span<uint8_t>(start.data(), 215), 2, false), 0);
}

TEST_F(FriendTableTest, PlayedBombsAndJokersAreListedOnceWithinTwentyEightPlaces)
{
    for (bool wildcards : { true, false }) {
        SCOPED_TRACE(wildcards);
        TestRules rules;
        rules.SetOptions(wildcards ? kOptionWildcards : 0);
        Deal(rules, 0);
        std::vector<int> bomb = Cards("9a 9b 9c 9d SJ BJ");
        for (int id : bomb)
            rules.MoveCardOwner(rules.FindCard(id)->owner, 0, id);
        PlayMessage message;
        message.head[PlayMessage::kChairWord] = 0;
        message.play.Set(CT_BOMB, 0x1147, 0, 6);
        std::copy(bomb.begin(), bomb.end(), message.play.cards);
        rules.ApplyPlay(message);
        const FriendTableState& s = rules.State();
        EXPECT_EQ(s.bombListed[0], 4);
        EXPECT_EQ(s.jokerListed[0], 2);
        EXPECT_EQ(CardValue(s.lists[0][27]), 14);
        EXPECT_EQ(CardValue(s.lists[0][26]), 15);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(CardValue(s.lists[0][i]), 8);
        EXPECT_EQ(s.lists[0][4], -1);
    }
    // However many bombs are played, the two ends share the 28 places.
    TestRules rules;
    Deal(rules, 0);
    for (int round = 0; round < 9; ++round) {
        PlayMessage message;
        message.head[PlayMessage::kChairWord] = 0;
        message.play.Set(CT_BOMB, 0x1147, 0, 4);
        std::vector<int> four = Cards(round % 2 ? "9a 9b 9c 9d" : "Ka Kb Kc Kd");
        std::copy(four.begin(), four.end(), message.play.cards);
        rules.ApplyPlay(message);
    }
    EXPECT_EQ(rules.State().bombListed[0] + rules.State().jokerListed[0], 28);

    std::vector<uint8_t> info(1096);
    EXPECT_EQ(rules.FillTableInfo(info), 1096);
    EXPECT_EQ(rules.FillTableInfo(std::span<uint8_t>(info.data(), 1095)), 0);
}

} // namespace
} // namespace table
