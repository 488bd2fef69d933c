// The table server's deals offline: robots play whole deals among
// themselves, every move checked against the rules' own view of the hands,
// the policy's promises kept, the scores summed and settled; forged moves
// are refused without changing the table.

#include "tools/tableserver/TableDeal.h"
#include "tools/tableserver/TableRobot.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace {

using namespace table;
using tools::Deal;
using tools::MoveResult;
using tools::RoomRules;

struct LoggedMove {
    int chair = -1;
    bool passed = false;
    std::vector<int> cards;
    bool operator==(const LoggedMove&) const = default;
};

std::vector<int> HandOf(const Deal& deal, int chair)
{
    int hand[kMaxPlayCards];
    int n = deal.Rules().GetHandCards(chair, hand);
    std::vector<int> out(hand, hand + n);
    std::sort(out.begin(), out.end());
    return out;
}

void SeatFour(Deal& deal, const RoomRules& room)
{
    for (int c = 0; c < kFriendChairs; ++c)
        ASSERT_TRUE(deal.Seat(c, 900 + c, room.startScore, room.startSilver));
}

class TableDealTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 0, 0 });
        platform::SetFixedTick(5000);
    }
    void TearDown() override
    {
        platform::SetFixedLocalTime(std::nullopt);
        platform::SetFixedTick(std::nullopt);
    }

    // Runs the deal to its end with automatic moves, checking each against
    // the hands as they were; returns the moves.
    std::vector<LoggedMove> PlayOut(Deal& deal)
    {
        std::vector<LoggedMove> log;
        for (int step = 0; step < 1000 && !deal.Over(); ++step) {
            const int chair = deal.CurrentChair();
            const FriendTableState& state = deal.Rules().State();
            const bool leading = state.lastPlayChair < 0;
            const int lastChair = state.lastPlayChair;
            const bool partnerKnown = state.friendRevealed != -1 || chair == deal.Rules().GetFriendChair();
            const std::vector<int> before = HandOf(deal, chair);
            MoveResult r = deal.PlayAutomatically(chair);
            EXPECT_TRUE(r.accepted) << "chair " << chair << " step " << step;
            if (!r.accepted)
                break;
            LoggedMove move { chair, r.passed, {} };
            for (int i = 0; i < r.play.count; ++i)
                move.cards.push_back(r.play.cards[i]);
            if (r.passed) {
                EXPECT_FALSE(leading) << "a leader passed";
            } else {
                // The cards left the hand, and only they.
                std::vector<int> after = HandOf(deal, chair);
                std::vector<int> played = move.cards;
                std::sort(played.begin(), played.end());
                std::vector<int> expected;
                std::set_difference(before.begin(), before.end(), played.begin(), played.end(),
                    std::back_inserter(expected));
                EXPECT_EQ(after, expected);
                EXPECT_EQ(expected.size() + played.size(), before.size()) << "played a card not held";
                // Never over a known partner.
                if (!leading && partnerKnown) {
                    EXPECT_NE(lastChair, deal.Rules().GetPartnerChair(chair)) << "beat the own partner";
                }
                if (leading)
                    CheckLowestGroupLead(before, move.cards, deal.Rules().GetLevel());
            }
            log.push_back(move);
        }
        EXPECT_TRUE(deal.Over());
        return log;
    }

    // A lead with ordinary groups of one to three cards in hand takes the
    // whole group of the lowest such value.
    static void CheckLowestGroupLead(const std::vector<int>& hand, const std::vector<int>& lead, int level)
    {
        std::map<int, int> countByValue;
        for (int id : hand)
            if (CardValue(id) < kSmallJokerValue)
                ++countByValue[CardValue(id)];
        int lowestValue = -1;
        for (const auto& [value, count] : countByValue) {
            if (count < 4 && (lowestValue < 0 || MapOrderValue(value, level) < MapOrderValue(lowestValue, level)))
                lowestValue = value;
        }
        if (lowestValue < 0)
            return;
        ASSERT_FALSE(lead.empty());
        EXPECT_EQ(static_cast<int>(lead.size()), countByValue[lowestValue]);
        for (int id : lead)
            EXPECT_EQ(CardValue(id), lowestValue);
    }
};

TEST_F(TableDealTest, RobotsPlayWholeDealsLegallyAndTheScoresSettle)
{
    RoomRules room;
    Deal deal(room, "");
    SeatFour(deal, room);
    int revealed = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        int scoreBefore[4], silverBefore[4];
        for (int c = 0; c < 4; ++c) {
            scoreBefore[c] = deal.Player(c)->score;
            silverBefore[c] = deal.Player(c)->silver;
        }
        ASSERT_EQ(deal.Start(seed, false), kStartOk);
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(HandOf(deal, c).size(), 27u);
        PlayOut(deal);
        revealed += deal.Rules().State().friendRevealed != -1;
        const FriendResultInfo& result = deal.Finish();
        EXPECT_FALSE(deal.Running());
        EXPECT_EQ(std::set<int>(result.place, result.place + 4), (std::set<int> { 1, 2, 3, 4 }));
        int sumPoints = 0, sumScore = 0;
        for (int c = 0; c < 4; ++c) {
            sumPoints += result.base.teamPoints[c];
            sumScore += result.base.scoreChange[c];
            EXPECT_EQ(result.base.scoreChange[c], result.base.baseScore * result.base.teamPoints[c]);
            EXPECT_EQ(deal.Player(c)->score, scoreBefore[c] + result.base.scoreChange[c]);
            EXPECT_EQ(deal.Player(c)->silver, std::max(0, silverBefore[c] + result.base.silverChange[c]));
        }
        EXPECT_EQ(sumPoints, 0);
        EXPECT_EQ(sumScore, 0);
    }
    EXPECT_GT(revealed, 0);
}

TEST_F(TableDealTest, TheSameSeedDealsAndPlaysTheSameDeal)
{
    RoomRules room;
    auto run = [&](uint32_t seed, std::vector<std::vector<int>>& hands) {
        Deal deal(room, "");
        SeatFour(deal, room);
        EXPECT_EQ(deal.Start(seed, false), kStartOk);
        hands.clear();
        for (int c = 0; c < 4; ++c)
            hands.push_back(HandOf(deal, c));
        return PlayOut(deal);
    };
    std::vector<std::vector<int>> first, second, other;
    auto a = run(11, first);
    // Another moment: the seed, not the clock, makes the deal.
    platform::SetFixedTick(987654);
    platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 33, 0 });
    auto b = run(11, second);
    auto c = run(12, other);
    EXPECT_EQ(first, second);
    EXPECT_EQ(a, b);
    EXPECT_NE(first, other);
}

TEST(TableDealClockTest, ASeededDealPinsTheClockOnlyWhileDealing)
{
    RoomRules room;
    std::vector<std::vector<int>> hands[2];
    for (auto& h : hands) {
        Deal deal(room, "");
        SeatFour(deal, room);
        ASSERT_EQ(deal.Start(77, true), kStartOk);
        for (int c = 0; c < 4; ++c)
            h.push_back(HandOf(deal, c));
    }
    EXPECT_EQ(hands[0], hands[1]);
    // The clock runs again afterwards.
    const uint32_t t0 = platform::TickMs();
    bool moved = false;
    for (int i = 0; i < 1000 && !moved; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        moved = platform::TickMs() != t0;
    }
    EXPECT_TRUE(moved);
}

TEST_F(TableDealTest, ForgedMovesAreRefusedAndChangeNothing)
{
    RoomRules room;
    Deal deal(room, "");
    SeatFour(deal, room);
    ASSERT_EQ(deal.Start(3, false), kStartOk);
    FriendCardRules& rules = deal.Rules();
    const int me = deal.CurrentChair();
    const int other = (me + 1) % 4;
    const std::vector<int> mine = HandOf(deal, me);
    const std::vector<int> theirs = HandOf(deal, other);

    auto single = [&](int chair, int id) {
        tools::RobotMove dummy;
        PlayRecord r;
        int cards[1] = { id };
        (void)dummy;
        EXPECT_TRUE(tools::Robot::ReadPlay(rules, chair, cards, 1, r));
        return r;
    };
    // Two cards of different values, claimed as a pair of the first.
    int a = -1, b = -1;
    for (int id : mine) {
        if (CardValue(id) >= kSmallJokerValue)
            continue;
        if (a < 0)
            a = id;
        else if (CardValue(id) != CardValue(a)) {
            b = id;
            break;
        }
    }
    ASSERT_GE(b, 0);
    PlayRecord badShape(CT_PAIR, CT_PAIR, CardOrder(a, rules.GetLevel()), 2);
    badShape.cards[0] = a;
    badShape.cards[1] = b;
    PlayRecord notHeld = single(me, a);
    notHeld.cards[0] = theirs[0];
    PlayRecord twice(CT_PAIR, CT_PAIR, CardOrder(a, rules.GetLevel()), 2);
    twice.cards[0] = twice.cards[1] = a;
    PlayRecord wrongValue = single(me, a);
    wrongValue.value += 1;
    PlayRecord wrongCount = single(me, a);
    wrongCount.count = 2;
    PlayRecord empty(CT_SINGLE, CT_SINGLE, 0, 0);

    struct Case {
        const char* name;
        int chair;
        PlayRecord claim;
    } cases[] = {
        { "cards not held", me, notHeld },
        { "illegal shape", me, badShape },
        { "one card twice", me, twice },
        { "claim not the cards' reading", me, wrongValue },
        { "count not the cards'", me, wrongCount },
        { "no cards", me, empty },
        { "out of turn", other, single(other, theirs[0]) },
        { "chair outside the table", 7, single(me, a) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MoveResult r = deal.Play(c.chair, c.claim);
        EXPECT_FALSE(r.accepted);
        EXPECT_EQ(HandOf(deal, me), mine);
        EXPECT_EQ(HandOf(deal, other), theirs);
        EXPECT_EQ(deal.CurrentChair(), me);
        EXPECT_EQ(rules.State().lastPlayChair, -1);
    }
    // The leader may not pass, nor anyone else out of turn.
    EXPECT_FALSE(deal.Pass(me).accepted);
    EXPECT_FALSE(deal.Pass(other).accepted);
    EXPECT_FALSE(deal.PlayAutomatically(other).accepted);

    // A real play goes through; then a weaker single no longer beats it.
    MoveResult played = deal.Play(me, single(me, mine.back()));
    ASSERT_TRUE(played.accepted);
    EXPECT_EQ(played.nextChair, deal.CurrentChair());
    const int next = deal.CurrentChair();
    EXPECT_FALSE(deal.Pass(me).accepted) << "passing out of turn";
    int weakest = HandOf(deal, next).front();
    for (int id : HandOf(deal, next))
        if (CardOrder(id, rules.GetLevel()) < CardOrder(weakest, rules.GetLevel()))
            weakest = id;
    if (CardOrder(weakest, rules.GetLevel()) <= played.play.value) {
        PlayRecord weak(CT_SINGLE, CT_SINGLE, CardOrder(weakest, rules.GetLevel()), 1);
        weak.cards[0] = weakest;
        EXPECT_FALSE(deal.Play(next, weak).accepted);
    }
    EXPECT_TRUE(deal.Pass(next).accepted);
}

TEST_F(TableDealTest, TheRulesFileSetsTheRoom)
{
    const std::string path = ::testing::TempDir() + "table-deal-rules.ini";
    {
        FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("[Room]\nBaseScore=3\nBaseSilver=25\nSilver=1\nStartScore=800\nStartSilver=5000\nTurnSeconds=12\n"
                   "[basescore]\n4=9\n",
            f);
        std::fclose(f);
    }
    RoomRules room = RoomRules::Load(path);
    EXPECT_EQ(room.baseScore, 3);
    EXPECT_EQ(room.baseSilver, 25);
    EXPECT_EQ(room.startScore, 800);
    EXPECT_EQ(room.startSilver, 5000);
    EXPECT_EQ(room.turnSeconds, 12);
    EXPECT_EQ(RoomRules::Load(path + ".missing").baseSilver, RoomRules().baseSilver);

    Deal deal(room, path);
    SeatFour(deal, room);
    ASSERT_EQ(deal.Start(5, false), kStartOk);
    EXPECT_EQ(deal.TurnSeconds(), 12);
    PlayOut(deal);
    const FriendResultInfo& result = deal.Finish();
    EXPECT_EQ(result.base.baseScore, 3);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(result.base.scoreChange[c], 3 * result.base.teamPoints[c]);
    std::remove(path.c_str());
}

} // namespace
