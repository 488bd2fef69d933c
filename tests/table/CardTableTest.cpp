#include "table/CardTable.h"
#include "table/FriendCardRules.h"

#include "CardNotation.h"

#include <gtest/gtest.h>

#include <vector>

namespace table {
namespace {

using testing::CardNames;
using testing::Cards;

// The four-deck table of the card-table view (no wildcards, level 0).
CardTable MakeFourDeckTable()
{
    CardTableArgs args;
    args.cardCount = 216;
    args.deckCount = 4;
    args.handSize = 64;
    args.three = { 30, 4, 2 };
    return CardTable(GameTableArgs { -1, -1, 1, 8, 0, 0, 3 }, args);
}

struct Reading {
    const char* cards;
    int type;
    int value;
};

TEST(CardTableRecognisers, SelectionsOfTheFourDeckTable)
{
    CardTable table = MakeFourDeckTable();
    const Reading cases[] = {
        { "7a 7a2", CT_PAIR, 6 },
        { "2a 2b", CT_PAIR, 1 },    // level 0: the two is the lowest
        { "Aa", CT_SINGLE, 13 },
        { "SJ", CT_SINGLE, 21 },
        { "6a SJ", 0, 0 },          // jokers are never wildcards here
        { "5a 5b 5c 6a 6b", CT_TRIPLE_PAIR, 40005 },
        { "3a 4b 5c 6d 7a", CT_STRAIGHT, 102 },
        { "3a 4b 5c 6d 7a 8a", 0, 0 }, // straights have five cards
        { "3a 3b 4a 4b", CT_PAIR_RUN, 2002 },
        { "3a 3b 3c 4a 4b 4c", CT_TRIPLE_RUN, 2002 },
        { "3a 3b 3c 4a 4b 4c 5a 5b 6a 6b", CT_TRIPLE_PAIR_RUN, 20204 },
        { "9a 9b 9c 9d", CT_BOMB, 8 },
        { "3a 4a 5a 6a 7a", CT_STRAIGHT, 102 }, // the straight flush only leads
        { "Aa 2a 3a 4a 5a", CT_STRAIGHT_FLUSH, 100 },
        { "SJ SJ2 BJ BJ2", CT_FOUR_JOKERS, 1 },
        { "9a 9b 9c 9d 9a2 9b2", CT_BOMB, 20008 },
    };
    // The view's mask plus the two types that only lead.
    const int mask = kCardTablePlayMask | CT_STRAIGHT_FLUSH | CT_BIG_BOMB;
    for (const Reading& c : cases) {
        SCOPED_TRACE(c.cards);
        std::vector<int> cards = Cards(c.cards);
        PlayList list;
        list.Clear();
        int found = table.FindPlays(0, cards.data(), static_cast<int>(cards.size()), list, mask);
        if (c.type == 0) {
            EXPECT_EQ(found, 0);
            continue;
        }
        ASSERT_EQ(found, 1);
        table.PickStrongestPlay(list);
        EXPECT_EQ(list.entries[0].type, c.type);
        EXPECT_EQ(list.entries[0].value, c.value);
        EXPECT_EQ(list.entries[0].count, static_cast<int>(cards.size()));
    }
}

TEST(CardTableRecognisers, StraightFlushWheelOnlyWhenNothingIsToBeBeaten)
{
    CardTable table = MakeFourDeckTable();
    std::vector<int> hand = Cards("Aa 2a 3a 4a 5a 6a Ab 2b 3b 4b 5b");
    int n = static_cast<int>(hand.size());
    int histogram[kHistogramSize] = {};
    int wild = 0;
    table.CountCardsByValue(hand.data(), n, histogram, kHistogramSize, &wild);
    PlayRecord record;
    ASSERT_EQ(table.BuildStraightFlush(hand.data(), n, histogram, kHistogramSize, wild, record, 5), 1);
    EXPECT_EQ(record.value, 100);
    EXPECT_EQ(CardSuit(record.cards[0]), 1); // the last suit that can form the wheel
    EXPECT_EQ(CardNames(record.cards, 5), "Ab 2b 3b 4b 5b");
    ASSERT_EQ(table.BuildStraightFlush(hand.data(), n, histogram, kHistogramSize, wild, record, 5), 1);
    EXPECT_EQ(record.value, 101); // 2-3-4-5-6 of suit 0
    EXPECT_EQ(record.mask, 0);
    EXPECT_EQ(table.BuildStraightFlush(hand.data(), n, histogram, kHistogramSize, wild, record, 5), 0);
}

TEST(CardTableRecognisers, BombSizesBigBombsAndAnyCards)
{
    CardTable table = MakeFourDeckTable();
    std::vector<int> hand = Cards("9a 9b 9c 9d 3a 3b 3c 3d 3a2");
    int n = static_cast<int>(hand.size());
    int histogram[kHistogramSize] = {};
    int wild = 0;
    table.CountCardsByValue(hand.data(), n, histogram, kHistogramSize, &wild);
    PlayRecord bomb;
    ASSERT_EQ(table.BuildBomb(hand.data(), n, histogram, kHistogramSize, wild, bomb, 0), 1);
    EXPECT_EQ(bomb.value, 2);
    EXPECT_EQ(bomb.mask, 0x1767);
    EXPECT_EQ(CardNames(bomb.cards, 64), "3a 3b 3c 3d"); // sorted by id

    std::vector<int> six = Cards("9a 9b 9c 9d 9a2 9b2");
    PlayList list;
    list.Clear();
    ASSERT_EQ(table.FindPlays(0, six.data(), 6, list, kCardTablePlayMask | CT_BIG_BOMB | CT_ANY), 1);
    ASSERT_EQ(list.count, 3); // bomb, big bomb, any cards
    EXPECT_EQ(list.entries[1].type, CT_BIG_BOMB);
    EXPECT_EQ(list.entries[1].value, 20008);
    EXPECT_EQ(list.entries[1].mask, 0);
    EXPECT_EQ(list.entries[2].type, CT_ANY);
    EXPECT_EQ(list.entries[2].mask, 0x81767);

    PlayRecord straight;
    straight.Set(CT_STRAIGHT, CT_STRAIGHT, 102, 6);
    std::vector<int> run = Cards("3a 4b 5c 6d 7a 8b");
    int h2[kHistogramSize] = {};
    table.CountCardsByValue(run.data(), 6, h2, kHistogramSize, &wild);
    EXPECT_EQ(table.BuildStraight(run.data(), 6, h2, kHistogramSize, 0, straight, 5), 0);
}

TEST(CardTableRecognisers, AddAnyCardsStopsAtFiveEntries)
{
    CardTable table = MakeFourDeckTable();
    PlayList list;
    list.Clear();
    int cards[2] = { 3, 90 };
    for (int i = 0; i < 7; ++i)
        table.AddAnyCards(cards, 0, 2, list);
    EXPECT_EQ(list.count, 5);
    EXPECT_EQ(list.entries[4].count, 2);
    EXPECT_EQ(list.entries[4].cards[1], 90);
}

} // namespace
} // namespace table
