#include "table/FriendCardRules.h"

#include "CardNotation.h"
#include "HintSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace table {
namespace {

using testing::CardNames;
using testing::FindBeatingPlay;

// A hand of n distinct ids of the two decks, drawn from a narrow band of
// values (so pairs, runs and bombs are common) plus sometimes the jokers.
std::vector<int> RandomHand(std::mt19937& rng, int n, int band)
{
    std::uniform_int_distribution<int> lowest(1, 14 - band);
    int low = lowest(rng);
    std::vector<int> pool;
    for (int id = 0; id < 108; ++id) {
        int value = CardValue(id);
        if ((value >= low && value < low + band) || (value >= 14 && rng() % 3 == 0))
            pool.push_back(id);
    }
    std::shuffle(pool.begin(), pool.end(), rng);
    pool.resize(std::min<size_t>(pool.size(), static_cast<size_t>(n)));
    return pool;
}

PlayRecord Play(int type, int mask, int value, int count)
{
    PlayRecord record;
    record.Set(type, mask, value, count);
    return record;
}

// Plays to beat, of every simple type.
std::vector<PlayRecord> PreviousPlays()
{
    return {
        Play(CT_SINGLE, 0x1, 3, 1),
        Play(CT_SINGLE, 0x1, 12, 1),
        Play(CT_PAIR, 0x2, 2, 2),
        Play(CT_PAIR, 0x2, 9, 2),
        Play(CT_TRIPLE, 0x4, 4, 3),
        Play(CT_STRAIGHT, 0x40, 102, 5),
        Play(CT_STRAIGHT, 0x40, 103, 6),
        Play(CT_PAIR_RUN, 0x100, 3002, 6),
        Play(CT_PAIR_RUN, 0x100, 4003, 8),
        Play(CT_BOMB, 0x1147, 3, 4),
        Play(CT_BOMB, 0x1147, 10003, 5),
    };
}

using Key = std::tuple<int, int, int>; // type, count, value

// Every hint of the hand for the previous play, the view's way: the search
// runs again from each result, without and then with wildcards.
std::set<Key> HintCycle(FriendCardRules& rules, const std::vector<int>& hand, const PlayRecord& previous)
{
    std::set<Key> hints;
    for (bool wildcards : { false, true }) {
        PlayRecord from = previous;
        for (int guard = 0; guard < 200; ++guard) {
            PlayRecord hint;
            if (!FindBeatingPlay(rules, hand.data(), static_cast<int>(hand.size()), from, hint, kFriendPlayMask,
                    wildcards))
                break;
            hints.insert({ hint.type, hint.count, hint.value });
            from = hint;
        }
    }
    return hints;
}

TEST(PlaySearchProperty, EveryHintIsARecognisedBeatingPlayOfTheHand)
{
    FriendCardRules rules;
    std::mt19937 rng(20261210);
    int hints = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<int> hand = RandomHand(rng, 27, 8 + round % 6);
        for (const PlayRecord& previous : PreviousPlays()) {
            for (bool wildcards : { false, true }) {
                PlayRecord from = previous;
                for (int guard = 0; guard < 100; ++guard) {
                    PlayRecord hint;
                    if (!FindBeatingPlay(rules, hand.data(), static_cast<int>(hand.size()), from, hint,
                            kFriendPlayMask, wildcards))
                        break;
                    ++hints;
                    SCOPED_TRACE("hand " + CardNames(hand.data(), static_cast<int>(hand.size())) + " hint "
                        + CardNames(hint.cards, kMaxPlayCards));
                    // Cards of the hand, each once, exactly count of them.
                    std::vector<int> cards(hint.cards, hint.cards + hint.count);
                    ASSERT_EQ(std::count(hint.cards, hint.cards + kMaxPlayCards, kNoCard), kMaxPlayCards - hint.count);
                    std::set<int> distinct(cards.begin(), cards.end());
                    ASSERT_EQ(distinct.size(), cards.size());
                    for (int id : cards)
                        ASSERT_NE(std::find(hand.begin(), hand.end(), id), hand.end());
                    ASSERT_TRUE(rules.CanBeat(from, hint));
                    ASSERT_TRUE(rules.CanBeat(previous, hint));
                    // The selection check reads the same cards as a play that
                    // beats the previous one: of the same type and size, or,
                    // where wildcards make the cards a bomb too, the bomb.
                    rules.SetOptions(kOptionWildcards);
                    PlayList list;
                    list.Clear();
                    ASSERT_EQ(rules.FindPlays(0, cards.data(), hint.count, list, kFriendPlayMask), 1);
                    ASSERT_EQ(rules.PickBeatingPlay(previous, list), 1);
                    const PlayRecord& read = list.entries[0];
                    EXPECT_EQ(read.count, hint.count);
                    if (read.type != hint.type) {
                        EXPECT_TRUE(read.type == CT_BOMB || read.type == CT_FOUR_JOKERS) << read.type;
                    } else {
                        EXPECT_GE(static_cast<uint32_t>(read.value), static_cast<uint32_t>(hint.value));
                    }
                    from = hint;
                }
            }
        }
    }
    EXPECT_GT(hints, 10000);
}

TEST(PlaySearchProperty, NoBeatingPlayOfASmallHandIsMissed)
{
    FriendCardRules rules;
    std::mt19937 rng(4);
    std::set<int> typesSeen;
    for (int round = 0; round < 120; ++round) {
        std::vector<int> hand = RandomHand(rng, 10 + round % 3, 4 + round % 4);
        if (round % 6 == 0) {
            // Some hands hold all four jokers among other cards.
            std::vector<int> jokers = testing::Cards("SJ SJ2 BJ BJ2");
            hand.erase(std::remove_if(hand.begin(), hand.end(), [](int id) { return CardValue(id) >= 14; }),
                hand.end());
            hand.resize(std::min<size_t>(hand.size(), 8));
            hand.insert(hand.end(), jokers.begin(), jokers.end());
        }
        const int n = static_cast<int>(hand.size());
        // Every reading of every subset, the way the selection check sees it.
        std::vector<PlayList> readings;
        rules.SetOptions(kOptionWildcards);
        for (int subset = 1; subset < (1 << n); ++subset) {
            int cards[16];
            int k = 0;
            for (int i = 0; i < n; ++i) {
                if (subset & (1 << i))
                    cards[k++] = hand[i];
            }
            PlayList list;
            list.Clear();
            if (rules.FindPlays(0, cards, k, list, kFriendPlayMask))
                readings.push_back(list);
        }
        for (const PlayRecord& previous : PreviousPlays()) {
            std::set<Key> beating;
            for (PlayList list : readings) {
                if (rules.PickBeatingPlay(previous, list) == 0)
                    continue;
                const PlayRecord& play = list.entries[0];
                // The hint search tries bombs of up to eight cards.
                if (play.type == CT_BOMB && play.count > 8)
                    continue;
                beating.insert({ play.type, play.count, play.value });
            }
            std::set<Key> hints = HintCycle(rules, hand, previous);
            for (const Key& key : beating) {
                typesSeen.insert(std::get<0>(key));
                EXPECT_TRUE(hints.count(key)) << "missed type " << std::get<0>(key) << " count " << std::get<1>(key)
                                              << " value " << std::get<2>(key) << " in "
                                              << CardNames(hand.data(), n) << " against type " << previous.type
                                              << " value " << previous.value;
            }
        }
    }
    // The hands made every simple type beat something.
    EXPECT_EQ(typesSeen, (std::set<int> { CT_SINGLE, CT_PAIR, CT_TRIPLE, CT_STRAIGHT, CT_PAIR_RUN, CT_BOMB,
                             CT_FOUR_JOKERS }));
}

TEST(PlaySearchProperty, LeadingFindsTheLowestSingle)
{
    FriendCardRules rules;
    std::vector<int> hand = testing::Cards("Ka 2b SJ 4c 4d");
    PlayRecord none;
    PlayRecord hint;
    ASSERT_TRUE(FindBeatingPlay(rules, hand.data(), 5, none, hint, kFriendPlayMask, true));
    EXPECT_EQ(hint.type, CT_SINGLE);
    EXPECT_EQ(hint.value, 3);
    EXPECT_FALSE(FindBeatingPlay(rules, hand.data(), 0, none, hint, kFriendPlayMask, true));
}

} // namespace
} // namespace table
