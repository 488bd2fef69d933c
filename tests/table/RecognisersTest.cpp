#include "table/FriendCardRules.h"

#include "CardNotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace table {
namespace {

using testing::CardNames;
using testing::Cards;

enum Wild { kOff, kOn, kBoth };

struct Reading {
    const char* cards;
    Wild wild;
    int type; // 0: no play
    int value;
};

// Reads a selection as the table view does: every reading, then the
// strongest. Checks that the record holds exactly the selection's valid cards.
void ExpectReading(FriendCardRules& rules, const Reading& c, bool wildcards)
{
    SCOPED_TRACE(std::string(c.cards) + (wildcards ? " (wildcards)" : " (no wildcards)"));
    rules.SetOptions(wildcards ? kOptionWildcards : 0);
    std::vector<int> cards = Cards(c.cards);
    PlayList list;
    list.Clear();
    int found = rules.FindPlays(0, cards.data(), static_cast<int>(cards.size()), list, kFriendPlayMask);
    if (c.type == 0) {
        EXPECT_EQ(found, 0) << "read as type " << list.entries[0].type << " value " << list.entries[0].value;
        return;
    }
    ASSERT_EQ(found, 1);
    rules.PickStrongestPlay(list);
    const PlayRecord& play = list.entries[0];
    EXPECT_EQ(play.type, c.type);
    EXPECT_EQ(play.value, c.value);
    std::vector<int> valid;
    for (int id : cards) {
        if (rules.IsValidCard(id))
            valid.push_back(id);
    }
    EXPECT_EQ(play.count, static_cast<int>(valid.size()));
    std::vector<int> held(play.cards, play.cards + play.count);
    EXPECT_EQ(std::count(play.cards, play.cards + kMaxPlayCards, kNoCard), kMaxPlayCards - play.count)
        << CardNames(play.cards, kMaxPlayCards);
    std::sort(held.begin(), held.end());
    std::sort(valid.begin(), valid.end());
    EXPECT_EQ(held, valid);
}

const Reading kReadings[] = {
    // Singles: order with the level at 1 (every two is 20), jokers 21 and 22.
    { "5a", kBoth, CT_SINGLE, 4 },
    { "Aa", kBoth, CT_SINGLE, 13 },
    { "2c2", kBoth, CT_SINGLE, 20 },
    { "SJ", kBoth, CT_SINGLE, 21 },
    { "BJ2", kBoth, CT_SINGLE, 22 },
    { "#110", kBoth, 0, 0 },        // outside the two decks
    { "7a #110", kBoth, CT_SINGLE, 6 }, // the outside id never joins the play
    // Pairs.
    { "7a 7a2", kBoth, CT_PAIR, 6 },
    { "2a 2d", kBoth, CT_PAIR, 20 },
    { "6a SJ", kOn, CT_PAIR, 5 },
    { "6a SJ", kOff, 0, 0 },
    { "6a 7a", kBoth, 0, 0 },
    { "SJ SJ2", kBoth, CT_PAIR, 21 }, // jokers alone read at their own values
    { "BJ BJ2", kBoth, CT_PAIR, 22 },
    { "SJ BJ", kBoth, 0, 0 },         // a small and a big joker are no pair
    // Triples.
    { "9a 9b 9c", kBoth, CT_TRIPLE, 8 },
    { "9a 9b BJ", kOn, CT_TRIPLE, 8 },
    { "9a 9b BJ", kOff, 0, 0 },
    { "9a SJ BJ", kOn, CT_TRIPLE, 8 },
    { "SJ SJ2 BJ", kBoth, 0, 0 },
    { "9a 9b 8c", kBoth, 0, 0 },
    // Straights: 5 to 12 cards, three to ace, never through the two.
    { "3a 4b 5c 6d 7a", kBoth, CT_STRAIGHT, 102 },
    { "Ta Jb Qc Kd Aa", kBoth, CT_STRAIGHT, 109 },
    { "3a 4b 5c 6d 7a 8b 9c Td Ja Qb Kc Ad", kBoth, CT_STRAIGHT, 102 },
    { "2a 3a 4b 5c 6d 7a 8b 9c Td Ja Qb Kc Ad", kBoth, 0, 0 },
    { "Ja Qb Kc Ad 2a", kBoth, 0, 0 },
    { "Aa 2b 3c 4d 5a", kBoth, 0, 0 },
    { "3a 4b 5c 6d 6a", kBoth, 0, 0 },
    { "3a 4b 5c 6d SJ", kOn, CT_STRAIGHT, 102 },
    { "4a 5b 6c 7d SJ", kOn, CT_STRAIGHT, 103 }, // the joker goes on top
    { "4a 5b 6c 7d SJ", kOff, 0, 0 },
    { "Ta Jb Qc Kd BJ", kOn, CT_STRAIGHT, 109 }, // the joker cannot be the two
    { "3a 5b 7c 9d SJ", kOn, 0, 0 },
    { "3a 4b 6c 7d 9a SJ BJ", kOn, CT_STRAIGHT, 102 },
    // Pair runs: 3 to 12 pairs; the lowest pair holds a card of its value.
    { "3a 3b 4a 4b 5a 5b", kBoth, CT_PAIR_RUN, 3002 },
    { "Qa Qb Ka Kb Aa Ab", kBoth, CT_PAIR_RUN, 3011 },
    { "3a 3b 4a 4b", kBoth, 0, 0 },
    { "Ka Kb Aa Ab 2a 2b", kBoth, 0, 0 },
    { "3a 3b 4a 4b 5a 5b 5c 6a", kBoth, 0, 0 },
    { "4a 4b 5a 5b SJ SJ2", kOn, CT_PAIR_RUN, 3003 },
    { "SJ BJ 5a 5b 6a 6b", kOn, CT_PAIR_RUN, 3004 },
    { "4a 4b SJ 5a 6a 6b", kOn, CT_PAIR_RUN, 3003 },
    { "4a 4b 5a 5b SJ SJ2", kOff, 0, 0 },
    { "3a 3b 4a 4b 5a 5b 6a 6b 7a 7b 8a 8b 9a 9b Ta Tb Ja Jb Qa Qb Ka Kb Aa Ab", kBoth, CT_PAIR_RUN, 12002 },
    // Bombs: 4 to 8 natural cards, up to 12 with the jokers.
    { "9a 9b 9c 9d", kBoth, CT_BOMB, 8 },
    { "2a 2b 2c 2d", kBoth, CT_BOMB, 20 },
    { "9a 9b 9c 9d 9a2", kBoth, CT_BOMB, 10008 },
    { "9a 9b 9c 9d 9a2 9b2 9c2 9d2", kBoth, CT_BOMB, 40008 },
    { "9a 9b 9c 9d 9a2 9b2 9c2 9d2 SJ SJ2 BJ BJ2", kOn, CT_BOMB, 80008 },
    { "9a 9b 9c SJ", kOn, CT_BOMB, 8 },
    { "9a SJ SJ2 BJ", kOn, CT_BOMB, 8 },
    { "9a 9b 9c 9d 8a", kBoth, 0, 0 },
    { "9a 9b 9c SJ", kOff, 0, 0 },
    // Four jokers beat the bomb reading of the same cards.
    { "SJ SJ2 BJ BJ2", kBoth, CT_FOUR_JOKERS, 1 },
    { "BJ SJ BJ2 SJ2", kBoth, CT_FOUR_JOKERS, 1 },
    { "SJ SJ2 BJ 9a", kOff, 0, 0 },
    // Nothing.
    { "3a 4b", kBoth, 0, 0 },
    { "3a 3b 3c 4a 4b", kBoth, 0, 0 }, // the triple with a pair is not played here
    { "5a Ta Ka", kBoth, 0, 0 },       // nor the 5-10-K
};

TEST(Recognisers, SelectionsReadAsExactlyOneStrongestPlay)
{
    FriendCardRules rules;
    for (const Reading& c : kReadings) {
        if (c.wild != kOff)
            ExpectReading(rules, c, true);
        if (c.wild != kOn)
            ExpectReading(rules, c, false);
    }
}

TEST(Recognisers, EmptySelectionAndOnlyEmptyPlaces)
{
    FriendCardRules rules;
    PlayList list;
    list.Clear();
    EXPECT_EQ(rules.FindPlays(0, nullptr, 0, list, kFriendPlayMask), 0);
    int empty[3] = { -1, -1, -1 };
    EXPECT_EQ(rules.FindPlays(0, empty, 3, list, kFriendPlayMask), 0);
    EXPECT_EQ(list.count, 0);
}

TEST(Recognisers, FourJokersAlsoReadAsABombOfTheSmallJoker)
{
    FriendCardRules rules;
    std::vector<int> cards = Cards("SJ BJ SJ2 BJ2");
    PlayList list;
    list.Clear();
    ASSERT_EQ(rules.FindPlays(0, cards.data(), 4, list, kFriendPlayMask), 1);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.entries[0].type, CT_BOMB);
    EXPECT_EQ(list.entries[0].value, 21);
    EXPECT_EQ(list.entries[0].count, 4);
    EXPECT_EQ(std::count(list.entries[0].cards, list.entries[0].cards + 64, -1), 60);
    EXPECT_EQ(list.entries[1].type, CT_FOUR_JOKERS);
    rules.PickStrongestPlay(list);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.entries[0].type, CT_FOUR_JOKERS);
}

// Builders that the play search of this game never collects.
TEST(Builders, JokerBombs)
{
    FriendCardRules rules;
    struct Case {
        const char* cards;
        int size;
        int recordType;
        int recordValue;
        int value; // 0: fails
        int count;
    } cases[] = {
        { "SJ BJ", 2, 0, 0, 43, 2 },
        { "BJ BJ2", 2, 0, 0, 44, 2 },
        { "BJ SJ BJ2", 2, 0, 0, 10065, 3 },
        { "SJ BJ SJ2 BJ2", 2, 0, 0, 20086, 4 },
        { "SJ BJ SJ2 BJ2", 4, CT_BOMB, 20085, 20086, 4 },
        { "SJ BJ SJ2 BJ2", 4, CT_BOMB, 20086, 0, 0 },
        { "SJ BJ SJ2 BJ2", 4, CT_PAIR, 90000, 20086, 4 }, // threshold only from a bomb
        { "SJ SJ2", 2, 0, 0, 0, 0 },                     // a big joker is needed
        { "SJ BJ", 3, 0, 0, 0, 0 },
        { "SJ BJ", 1, 0, 0, 0, 0 },
        { "SJ BJ 5a 6b", 2, 0, 0, 43, 2 }, // jokers among other cards
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cards);
        std::vector<int> cards = Cards(c.cards);
        int histogram[kHistogramSize] = {};
        int wild = 0;
        rules.CountCardsByValue(cards.data(), static_cast<int>(cards.size()), histogram, kHistogramSize, &wild);
        PlayRecord record;
        record.Set(c.recordType, 0, c.recordValue, 1);
        PlayRecord before = record;
        int ok = rules.BuildJokerBomb(cards.data(), static_cast<int>(cards.size()), histogram, kHistogramSize, wild,
            record, c.size);
        if (c.value == 0) {
            EXPECT_EQ(ok, 0);
            EXPECT_EQ(record, before);
            continue;
        }
        ASSERT_EQ(ok, 1);
        EXPECT_EQ(record.type, CT_BOMB);
        EXPECT_EQ(record.mask, 0x1147);
        EXPECT_EQ(record.value, c.value);
        EXPECT_EQ(record.count, c.count);
        for (int i = 0; i < c.count; ++i)
            EXPECT_GE(CardValue(record.cards[i]), 14);
        // Small jokers first.
        EXPECT_TRUE(std::is_sorted(record.cards, record.cards + c.count,
            [](int a, int b) { return CardValue(a) < CardValue(b); }));
    }
}

TEST(Builders, FiveTenKing)
{
    FriendCardRules rules;
    struct Case {
        const char* cards;
        int recordType;
        int recordValue;
        int value; // -1: fails
        int suit;  // -1: any
    } cases[] = {
        { "5a Ta Ka", 0, 0, 1, 0 },
        { "5d Td Kd", 0, 0, 4, 3 },
        { "5a Tb Ka", 0, 0, 0, -1 },
        { "5a Ta", 0, 0, -1, -1 },
        { "5a Ta SJ", 0, 0, -1, -1 },                  // wildcards do not count
        { "5a Tb Ka", CT_FIVE_TEN_KING, 0, -1, -1 },   // mixed does not follow mixed
        { "5a Ta Ka", CT_FIVE_TEN_KING, 0, 1, 0 },     // same suit follows mixed
        { "5a Ta Ka 5b Tb Kb", CT_FIVE_TEN_KING, 1, 2, 1 },
        { "5a Ta Ka 5d Td Kd", CT_FIVE_TEN_KING, 1, 4, 3 },
        { "5d Td Kd", CT_FIVE_TEN_KING, 4, -1, -1 },   // suit 3 cannot be beaten
        { "5c Tc Kc", CT_FIVE_TEN_KING, 3, -1, -1 },
        { "5a 5b Tb Kb Ta", 0, 0, 0, -1 },             // first five, ten and king differ in suit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cards);
        std::vector<int> cards = Cards(c.cards);
        int n = static_cast<int>(cards.size());
        int histogram[kHistogramSize] = {};
        int wild = 0;
        rules.CountCardsByValue(cards.data(), n, histogram, kHistogramSize, &wild);
        PlayRecord record;
        record.Set(c.recordType, 0x70307, c.recordValue, 3);
        int ok = rules.BuildFiveTenKing(cards.data(), n, histogram, kHistogramSize, wild, record);
        if (c.value < 0) {
            EXPECT_EQ(ok, 0);
            continue;
        }
        ASSERT_EQ(ok, 1);
        EXPECT_EQ(record.type, CT_FIVE_TEN_KING);
        EXPECT_EQ(record.mask, 0x70307);
        EXPECT_EQ(record.value, c.value);
        EXPECT_EQ(record.count, 3);
        int values[3] = { CardValue(record.cards[0]), CardValue(record.cards[1]), CardValue(record.cards[2]) };
        EXPECT_EQ(values[0], 4);
        EXPECT_EQ(values[1], 9);
        EXPECT_EQ(values[2], 12);
        if (c.suit >= 0) {
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(CardSuit(record.cards[i]), c.suit);
        }
    }
    // Collected from exactly three cards.
    PlayList list;
    list.Clear();
    std::vector<int> cards = Cards("5b Tb Kb");
    EXPECT_EQ(rules.CollectFiveTenKings(cards.data(), 3, 3, list), 1);
    EXPECT_EQ(list.entries[0].value, 2);
}

struct BuildCase {
    const char* cards;
    bool wildcards;
    int recordType;
    int recordValue;
    int recordCount;
    int arg; // size, length or groups
    int type; // 0: fails
    int value;
    int count;
};

template <typename Build>
void RunBuildCases(FriendCardRules& rules, const std::vector<BuildCase>& cases, Build build)
{
    for (const BuildCase& c : cases) {
        SCOPED_TRACE(c.cards);
        rules.SetOptions(c.wildcards ? kOptionWildcards : 0);
        std::vector<int> cards = Cards(c.cards);
        int n = static_cast<int>(cards.size());
        std::vector<int> original = cards;
        int histogram[kHistogramSize] = {};
        int wild = 0;
        rules.CountCardsByValue(cards.data(), n, histogram, kHistogramSize, &wild);
        PlayRecord record;
        record.Set(c.recordType, c.recordType, c.recordValue, c.recordCount);
        PlayRecord before = record;
        int ok = build(cards.data(), n, histogram, wild, record, c.arg);
        EXPECT_EQ(cards, original); // the caller's cards are never changed
        if (c.type == 0) {
            EXPECT_EQ(ok, 0);
            EXPECT_EQ(record, before);
            continue;
        }
        ASSERT_EQ(ok, 1);
        EXPECT_EQ(record.type, c.type);
        EXPECT_EQ(record.value, c.value);
        EXPECT_EQ(record.count, c.count);
        for (int i = 0; i < kMaxPlayCards; ++i) {
            if (i < c.count) {
                EXPECT_NE(std::find(original.begin(), original.end(), record.cards[i]), original.end());
                EXPECT_EQ(std::count(record.cards, record.cards + c.count, record.cards[i]), 1);
            } else {
                EXPECT_EQ(record.cards[i], kNoCard);
            }
        }
    }
}

TEST(Builders, QuadsAndQuadRuns)
{
    FriendCardRules rules;
    RunBuildCases(rules,
        {
            { "9a 9b 9c 9d 3a 3b 3c 3d", true, 0, 0, 0, 0, CT_QUAD, 2, 4 },
            { "9a 9b 9c 9d 3a 3b 3c 3d", true, CT_QUAD, 2, 4, 0, CT_QUAD, 8, 4 },
            { "9a 9b 9c 9d", true, CT_QUAD, 8, 4, 0, 0, 0, 0 },
            { "9a 9b 9c SJ", true, 0, 0, 0, 0, CT_QUAD, 8, 4 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int) {
            return rules.BuildQuad(cards, n, h, kHistogramSize, w, r);
        });
    RunBuildCases(rules,
        {
            { "3a 3b 3c 3d 4a 4b 4c 4d", true, 0, 0, 0, 2, CT_QUAD_RUN, 2002, 8 },
            { "3a 3b 3c 3d 4a 4b 4c SJ", true, 0, 0, 0, 2, CT_QUAD_RUN, 2002, 8 },
            { "3a 3b 3c 3d 4a 4b 4c 4d", true, CT_QUAD_RUN, 2002, 8, 2, 0, 0, 0 },
            { "3a 3b 3c 3d 4a 4b 4c 4d", true, CT_QUAD_RUN, 1, 12, 2, 0, 0, 0 }, // other length
            { "3a 3b 3c 3d", true, 0, 0, 0, 1, 0, 0, 0 },
            { "3a 3b 3c 3d 4a 4b 4c 4d", true, 0, 0, 0, 13, 0, 0, 0 },
            { "Ka Kb Kc Kd Aa Ab Ac Ad 2a 2b 2c 2d", true, 0, 0, 0, 3, 0, 0, 0 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int groups) {
            return rules.BuildQuadRun(cards, n, h, kHistogramSize, w, r, groups);
        });
}

TEST(Builders, TripleWithPairIsValuedByTheTripleOnly)
{
    FriendCardRules rules;
    RunBuildCases(rules,
        {
            { "5a 5b 5c 6a 6b", true, 0, 0, 0, 0, CT_TRIPLE_PAIR, 40000, 5 },
            { "5a 5b 5c 6a 6b 3a 3b", true, 0, 0, 0, 0, CT_TRIPLE_PAIR, 40000, 5 },
            { "5a 5b 5c 6a 6b", true, CT_TRIPLE_PAIR, 40000, 5, 0, 0, 0, 0 },
            { "5a 5b SJ 6a 6b", true, 0, 0, 0, 0, CT_TRIPLE_PAIR, 40000, 5 },
            { "5a 5b 6a 6b", true, 0, 0, 0, 0, 0, 0, 0 },
            { "2a 2b 2c 6a 6b", true, CT_TRIPLE_PAIR, 130000, 5, 0, CT_TRIPLE_PAIR, 200000, 5 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int) {
            return rules.BuildTriplePair(cards, n, h, kHistogramSize, w, r);
        });
}

TEST(Builders, StraightsPairRunsAndBombsOfThisGame)
{
    FriendCardRules rules;
    RunBuildCases(rules,
        {
            { "3a 4b 5c 6d 7a 8b", true, 0, 0, 0, 5, CT_STRAIGHT, 102, 5 },
            { "3a 4b 5c 6d 7a 8b", true, CT_STRAIGHT, 102, 5, 5, CT_STRAIGHT, 103, 5 },
            { "3a 4b 5c 6d 7a 8b", true, CT_STRAIGHT, 103, 5, 5, 0, 0, 0 },
            { "3a 4b 5c 6d 7a 8b", true, CT_STRAIGHT, 102, 6, 5, 0, 0, 0 }, // other length
            { "3a 4b 5c 6d 7a 8b", true, 0, 0, 0, 6, CT_STRAIGHT, 102, 6 },
            { "3a 4b 5c 6d 7a 8b", true, 0, 0, 0, 4, 0, 0, 0 },
            { "3a 4b 5c 6d 7a 8b", true, 0, 0, 0, 13, 0, 0, 0 },
            { "Ja Qb Kc Ad SJ", true, 0, 0, 0, 5, CT_STRAIGHT, 109, 5 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int len) {
            return rules.BuildStraight(cards, n, h, kHistogramSize, w, r, len);
        });
    RunBuildCases(rules,
        {
            { "3a 3b 4a 4b", true, 0, 0, 0, 2, 0, 0, 0 }, // two pairs are never a run here
            { "3a 3b 4a 4b 5a 5b 6a 6b", true, 0, 0, 0, 3, CT_PAIR_RUN, 3002, 6 },
            { "3a 3b 4a 4b 5a 5b 6a 6b", true, CT_PAIR_RUN, 3002, 6, 3, CT_PAIR_RUN, 3003, 6 },
            { "3a 3b 4a 4b 5a 5b 6a 6b", true, CT_PAIR_RUN, 3002, 8, 3, 0, 0, 0 },
            { "4a 4b 5a 5b SJ SJ2", true, 0, 0, 0, 3, CT_PAIR_RUN, 3003, 6 },
            { "SJ SJ2 BJ BJ2 5a 5b", true, 0, 0, 0, 3, CT_PAIR_RUN, 3004, 6 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int pairs) {
            return rules.BuildPairRun(cards, n, h, kHistogramSize, w, r, pairs);
        });
    RunBuildCases(rules,
        {
            // Size 0 tries 4 first; the lowest value of that size wins.
            { "9a 9b 9c 9d 3a 3b 3c 3d 3a2", true, 0, 0, 0, 0, CT_BOMB, 2, 4 },
            { "9a 9b 9c 9d 3a 3b 3c 3d 3a2", true, CT_BOMB, 2, 4, 0, CT_BOMB, 8, 4 },
            { "9a 9b 9c 9d 3a 3b 3c 3d 3a2", true, CT_BOMB, 8, 4, 0, CT_BOMB, 10002, 5 },
            { "9a 9b 9c 9d", true, CT_SINGLE, 90000, 1, 0, CT_BOMB, 8, 4 }, // a single's value is no bound
            { "9a 9b 9c 9d", true, CT_BOMB, 8, 4, 0, 0, 0, 0 },
            { "9a 9b 9c SJ BJ", true, 0, 0, 0, 5, CT_BOMB, 10008, 5 },
            { "9a 9b 9c SJ BJ", false, 0, 0, 0, 0, 0, 0, 0 },
            { "SJ SJ2 BJ BJ2", false, 0, 0, 0, 4, CT_BOMB, 21, 4 },
            { "SJ SJ2 BJ BJ2", true, 0, 0, 0, 4, CT_BOMB, 21, 4 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int size) {
            return rules.BuildBomb(cards, n, h, kHistogramSize, w, r, size);
        });
    RunBuildCases(rules,
        {
            { "SJ SJ2 BJ BJ2", true, 0, 0, 0, 0, CT_FOUR_JOKERS, 1, 4 },
            { "SJ SJ2 BJ BJ2 3a 9c", true, CT_BOMB, 80008, 12, 0, CT_FOUR_JOKERS, 1, 4 },
            { "SJ SJ2 BJ BJ2 3a 9c", false, 0, 0, 0, 0, CT_FOUR_JOKERS, 1, 4 },
            { "SJ SJ2 BJ 3a", true, 0, 0, 0, 0, 0, 0, 0 },
            { "SJ SJ2 BJ BJ2", true, CT_FOUR_JOKERS, 1, 4, 0, 0, 0, 0 },
        },
        [&](const int* cards, int n, const int* h, int w, PlayRecord& r, int) {
            return rules.BuildFourJokers(cards, n, h, kHistogramSize, w, r);
        });
}

TEST(Builders, SingleSkipsIdsOutsideTheDeckAndStopsAtTheFirstEmptyPlace)
{
    FriendCardRules rules;
    std::vector<int> cards = { 110, 5, -1, 0 };
    PlayRecord record;
    ASSERT_EQ(rules.BuildSingle(cards.data(), 4, nullptr, 0, 0, record), 1);
    EXPECT_EQ(record.cards[0], 5);
    EXPECT_EQ(record.value, 6);
    EXPECT_EQ(rules.BuildSingle(cards.data(), 4, nullptr, 0, 0, record), 0); // card 0 lies after the -1
}

TEST(Builders, MoveCardsByValueTakesOrdinaryCardsFirstThenWildcards)
{
    FriendCardRules rules;
    std::vector<int> source = Cards("SJ 6b 7a 6a BJ");
    int destination[6] = { 30, -1, -1, -1, -1, -1 };
    EXPECT_EQ(rules.MoveCardsByValue(destination, 6, source.data(), 5, 5, 3, -1), 3);
    EXPECT_EQ(destination[0], 30);
    EXPECT_EQ(CardNames(destination + 1, 3), "6b 6a SJ"); // in hand order, unsorted
    EXPECT_EQ(CardNames(source.data(), 5), "7a BJ");

    CardTable cardTable(GameTableArgs { -1, -1, 1, 8, 0, 0, 3 }, CardTableArgs { 216, 4, 64 });
    std::vector<int> more = Cards("6d 6b 6a");
    int sorted[4] = { -1, -1, -1, -1 };
    EXPECT_EQ(cardTable.MoveCardsByValue(sorted, 4, more.data(), 3, 5, 2, 1), 1); // suit 1 only
    std::vector<int> again = Cards("6d 6b 6a");
    int both[4] = { -1, -1, -1, -1 };
    EXPECT_EQ(cardTable.MoveCardsByValue(both, 4, again.data(), 3, 5, 2, -1), 2);
    EXPECT_LT(both[0], both[1]); // the card table sorts what it took
}

} // namespace
} // namespace table
