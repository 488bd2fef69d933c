#include "table/FriendCardRules.h"

#include "CardNotation.h"
#include "DealSimulation.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace table {
namespace {

using testing::DealOutcome;
using testing::DealSimulator;

bool IsJokerId(int id)
{
    return id % 54 >= 52;
}

// The final bonus of one chair, computed from the plays it made and the hand
// it kept, straight from the scoring tables.
int ExpectedBonus(const DealOutcome& outcome, int chair, const int* hand, int handCount, bool wildcards)
{
    std::set<int> bombValues;
    int sameColour = 0;
    int exact[9] = {};
    int jokersPlayed = 0;
    bool allFour = false;
    for (const auto& p : outcome.plays) {
        if (p.chair != chair || p.play.type == 0)
            continue;
        int wild = 0;
        int natural = 0;
        int group[2] = {};
        int value = 0;
        for (int i = 0; i < p.play.count; ++i) {
            int id = p.play.cards[i];
            if (IsJokerId(id) && wildcards) {
                ++wild;
            } else if (!IsJokerId(id)) {
                ++natural;
                ++group[CardSuit(id) & 1];
                value = CardValue(id);
            }
        }
        if (wild > 0) {
            int before = jokersPlayed;
            jokersPlayed += wild;
            if (before < 4 && jokersPlayed == 4 && wild == 4)
                allFour = true;
        }
        int k = p.play.count - wild;
        if (p.play.type == CT_BOMB && k > 3 && k <= 8) {
            ++exact[k];
            if ((group[0] == 4 || group[1] == 4) && k != 7 && k != 8)
                ++sameColour;
            if (natural > 3)
                bombValues.insert(value);
        }
    }
    int held[14] = {};
    int heldGroup[14][2] = {};
    int jokersHeld = 0;
    for (int i = 0; i < handCount; ++i) {
        if (IsJokerId(hand[i])) {
            ++jokersHeld;
            continue;
        }
        ++held[CardValue(hand[i])];
        ++heldGroup[CardValue(hand[i])][CardSuit(hand[i]) % 2];
    }
    int score = 0;
    for (int v = 1; v <= 13; ++v) {
        if (held[v] >= 4)
            bombValues.insert(v);
    }
    int run = 0;
    for (int v = 1; v <= 14; ++v) {
        if (v <= 13 && bombValues.count(v)) {
            ++run;
        } else {
            score += run >= 3 ? 1 : 0;
            run = 0;
        }
    }
    for (int v = 1; v <= 13; ++v) {
        if (held[v] >= 4 && held[v] <= 6 && (heldGroup[v][0] >= 4 || heldGroup[v][1] >= 4))
            ++score;
    }
    score += sameColour;
    int jokers = jokersHeld + jokersPlayed;
    score += allFour ? 4 : (jokers == 3 || jokers == 4 ? 1 : 0);
    int atLeast[9] = {};
    for (int k = 4; k <= 8; ++k) {
        for (int v = 1; v <= 13; ++v)
            exact[k] += held[v] == k ? 1 : 0;
    }
    for (int k = 4; k <= 8; ++k) {
        for (int j = k; j <= 8; ++j)
            atLeast[k] += exact[j];
    }
    if (exact[4] > 0 && atLeast[4] >= 3)
        score += atLeast[4] - 2;
    const std::map<int, int> t5 { { 2, 1 }, { 3, 2 }, { 4, 5 }, { 5, 10 } };
    const std::map<int, int> t6 { { 1, 1 }, { 2, 4 }, { 3, 10 }, { 4, 20 } };
    const std::map<int, int> t7 { { 1, 5 }, { 2, 12 }, { 3, 20 } };
    const std::map<int, int> t8 { { 1, 10 }, { 2, 25 }, { 3, 50 } };
    auto look = [](const std::map<int, int>& t, int n) {
        auto it = t.find(n);
        return it == t.end() ? 0 : it->second;
    };
    if (exact[5] > 0)
        score += look(t5, atLeast[5]);
    if (exact[6] > 0)
        score += look(t6, atLeast[6]);
    if (exact[7] > 0)
        score += look(t7, atLeast[7]);
    if (exact[8] > 0)
        score += look(t8, atLeast[8]);
    return score;
}

class DealSimulationTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 0, 0 }); }
    void TearDown() override
    {
        platform::SetFixedLocalTime(std::nullopt);
        platform::SetFixedTick(std::nullopt);
    }
};

TEST_F(DealSimulationTest, WholeDealsPlayScoreAndSettle)
{
    DealSimulator sim;
    FriendCardRules& rules = sim.Rules();
    int partnerSecond = 0;
    int bonuses = 0;
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        int presetBanker = rules.GetPresetBanker();
        int roundBefore = rules.GetRoundCount();
        DealOutcome outcome = sim.RunDeal(seed);
        ASSERT_EQ(outcome.startCode, kStartOk);
        ASSERT_TRUE(outcome.allValid);
        ASSERT_TRUE(outcome.finished);
        EXPECT_EQ(rules.GetRoundCount(), roundBefore + 1);
        const FriendTableState& state = rules.State();
        const FriendResultInfo& result = outcome.result;

        // The banker is the last deal's first finisher; the called card is
        // the banker's and its other copy the friend's.
        const int banker = rules.GetBanker();
        if (presetBanker >= 0) {
            EXPECT_EQ(banker, presetBanker);
        }
        const int called = rules.GetCalledCard();
        const int friendChair = rules.GetFriendChair();
        ASSERT_GE(friendChair, 0);
        EXPECT_NE(friendChair, banker);
        const int* bankerHand = rules.DealtHand(banker);
        const int* friendHand = rules.DealtHand(friendChair);
        EXPECT_NE(std::find(bankerHand, bankerHand + 27, called), bankerHand + 27);
        const int otherCopy = called >= 54 ? called - 54 : called + 54;
        EXPECT_NE(std::find(friendHand, friendHand + 27, otherCopy), friendHand + 27);
        EXPECT_EQ(result.friendChair, friendChair);
        if (rules.GetRoundCount() <= 1 || presetBanker < 0) {
            EXPECT_EQ(bankerHand[14], called); // the banker's 15th card
        } else {
            EXPECT_EQ(bankerHand[0], called);
        }
        if (state.friendRevealed != -1) {
            EXPECT_EQ(state.friendRevealed, friendChair);
        }

        // Every card is played at most once, by its owner, and every card is
        // either played or left in a hand.
        std::map<int, int> playedBy;
        for (const auto& p : outcome.plays) {
            for (int i = 0; i < p.play.count; ++i) {
                int id = p.play.cards[i];
                EXPECT_EQ(playedBy.count(id), 0u) << testing::CardName(id);
                playedBy[id] = p.chair;
            }
        }
        std::set<int> all;
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < 27; ++i) {
                int id = rules.DealtHand(c)[i];
                all.insert(id);
                bool left = std::find(result.cardsLeft[c], result.cardsLeft[c] + result.leftCount[c], id)
                    != result.cardsLeft[c] + result.leftCount[c];
                EXPECT_NE(left, playedBy.count(id) == 1) << testing::CardName(id);
                if (playedBy.count(id)) {
                    EXPECT_EQ(playedBy[id], c);
                    EXPECT_GE(rules.FindCard(id)->state, kCardOnTable);
                }
            }
        }
        EXPECT_EQ(all.size(), 108u);

        // Places 1 to 4, each once; the first finisher's partner decides.
        std::set<int> places(result.place, result.place + 4);
        EXPECT_EQ(places, (std::set<int> { 1, 2, 3, 4 }));
        int first = static_cast<int>(std::find(result.place, result.place + 4, 1) - result.place);
        int partner = first == banker ? friendChair : (first == friendChair ? banker : -1);
        if (partner < 0) {
            for (int c = 0; c < 4; ++c) {
                if (c != first && c != banker && c != friendChair)
                    partner = c;
            }
        }
        int points = result.place[partner] == 2 ? 4 : (result.place[partner] == 3 ? 2 : 0);
        EXPECT_EQ(result.teamResult, result.place[partner] == 2 ? 1 : (result.place[partner] == 3 ? 2 : 3));
        partnerSecond += result.teamResult == 1;

        // Bonuses by the tables, paid by the three others.
        int expectedValues[4];
        for (int c = 0; c < 4; ++c) {
            int bonus = ExpectedBonus(outcome, c, result.cardsLeft[c], result.leftCount[c], true);
            EXPECT_EQ(result.bonus[c], bonus) << "chair " << c;
            bonuses += bonus;
            expectedValues[c] = (c == first || c == partner) ? points : -points;
        }
        for (int c = 0; c < 4; ++c) {
            for (int o = 0; o < 4; ++o) {
                if (o != c) {
                    expectedValues[c] += result.bonus[c];
                    expectedValues[o] -= result.bonus[c];
                }
            }
        }
        int sumValues = 0;
        int sumScore = 0;
        int64_t sumSilver = 0;
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(result.base.teamPoints[c], expectedValues[c]);
            sumValues += result.base.teamPoints[c];
            EXPECT_EQ(result.base.scoreChange[c], result.base.baseScore * result.base.teamPoints[c]);
            sumScore += result.base.scoreChange[c];
            sumSilver += result.base.silverChange[c] + result.base.fee[c];
        }
        EXPECT_EQ(sumValues, 0);
        EXPECT_EQ(sumScore, 0);
        EXPECT_LE(sumSilver, 0);

        // The settlement moved exactly what the result says.
        for (int c = 0; c < 4; ++c) {
            const TablePlayer* p = rules.PlayerAt(c);
            EXPECT_EQ(p->score, outcome.scoreBefore[c] + result.base.scoreChange[c]);
            EXPECT_EQ(p->silver, std::max(0, outcome.silverBefore[c] + result.base.silverChange[c]));
            EXPECT_EQ(result.base.scoreBefore[c], outcome.scoreBefore[c]);
            EXPECT_EQ(result.base.silverBefore[c], outcome.silverBefore[c]);
        }
        EXPECT_EQ(rules.GetPresetBanker(), first);
    }
    EXPECT_GT(partnerSecond, 0);
    EXPECT_GT(bonuses, 0);
}

TEST_F(DealSimulationTest, DealingAgainWithoutAResetStartsAFreshDeal)
{
    DealSimulator sim;
    FriendCardRules& rules = sim.Rules();
    ASSERT_TRUE(sim.RunDeal(5).finished);
    // The owner starts the next deal straight away.
    int chair = -1;
    ASSERT_EQ(rules.CheckAndStart(&chair, sim.Params()), kStartOk);
    const FriendTableState& s = rules.State();
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(rules.GetHandCount(c), 27);
        EXPECT_EQ(s.finished[c], 0);
        EXPECT_EQ(s.place[c], 0);
        EXPECT_EQ(s.chair[c][kJokersPlayed], 0);
        EXPECT_EQ(s.chair[c][kTurnLength], 20);
    }
    EXPECT_EQ(s.lastPlayChair, -1);
    // A pass from a chair that does not hold the turn moves nothing.
    PlayMessage pass;
    pass.head[PlayMessage::kChairWord] = (rules.GetCurrentChair() + 1) % 4;
    EXPECT_EQ(rules.AdvanceTurn(pass), 0);
}

} // namespace
} // namespace table
