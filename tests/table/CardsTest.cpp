#include "table/Cards.h"
#include "table/CardTable.h"
#include "table/FriendCardRules.h"
#include "table/PlayRecord.h"
#include "table/TableRecords.h"

#include "CardNotation.h"

#include <gtest/gtest.h>

#include <vector>

namespace table {
namespace {

using testing::Cards;

TEST(Cards, EveryIdOfFourDecksHasItsValueSuitFacePointsAndOrder)
{
    // Faces run 2, 3, ..., K, A in each suit, then small and big joker.
    const int kPoints[14] = { 0, 0, 0, 0, 5, 0, 0, 0, 0, 10, 0, 0, 10, 0 };
    for (int id = 0; id < 216; ++id) {
        SCOPED_TRACE(id);
        int k = id % 54;
        if (k == 52 || k == 53) {
            int value = k == 52 ? 14 : 15;
            EXPECT_EQ(CardValue(id), value);
            EXPECT_EQ(CardSuit(id), 5);
            EXPECT_EQ(CardFace(id), k == 52 ? 1 : 2);
            EXPECT_EQ(CardPoints(id), 0);
            EXPECT_EQ(CardOrder(id, 1), k == 52 ? 21 : 22);
            EXPECT_EQ(CardOrder(id, 0), k == 52 ? 21 : 22);
            continue;
        }
        int value = k % 13 + 1;
        EXPECT_EQ(CardValue(id), value);
        EXPECT_EQ(CardSuit(id), k / 13);
        EXPECT_EQ(CardFace(id), value);
        EXPECT_EQ(CardPoints(id), kPoints[value]);
        EXPECT_EQ(CardOrder(id, 1), value == 1 ? 20 : value);
        EXPECT_EQ(CardOrder(id, 0), value);
        EXPECT_EQ(CardOrder(id, -1), value);
        EXPECT_EQ(CallCardValue(id), value);
        EXPECT_EQ(CallCardOrder(id, 1), CardOrder(id, 1));
    }
}

TEST(Cards, NamedCardsAndTheEmptyPlace)
{
    EXPECT_EQ(CardValue(52), 14);
    EXPECT_EQ(CardValue(106), 14);
    EXPECT_EQ(CardValue(53), 15);
    EXPECT_EQ(CardValue(107), 15);
    EXPECT_EQ(CardValue(13), 1);
    EXPECT_EQ(CardSuit(13), 1);
    EXPECT_EQ(CardValue(12), 13);
    EXPECT_EQ(CardSuit(12), 0);
    EXPECT_EQ(testing::ParseCard("7a2"), 59);
    EXPECT_EQ(CardValue(kNoCard), 0);
    EXPECT_EQ(CardSuit(kNoCard), -1);
    EXPECT_EQ(CardFace(kNoCard), 0);
    EXPECT_EQ(CardPoints(kNoCard), 0);
    EXPECT_EQ(CardOrder(kNoCard, 1), 0);
}

TEST(Cards, OrderMapping)
{
    EXPECT_EQ(MapOrderValue(14, 1), 21);
    EXPECT_EQ(MapOrderValue(15, 1), 22);
    EXPECT_EQ(MapOrderValue(1, 1), 20);
    EXPECT_EQ(MapOrderValue(1, 0), 1);
    EXPECT_EQ(MapOrderValue(7, 7), 20);
    EXPECT_EQ(MapOrderValue(7, -1), 7);
}

int DoubledValue(int id, int)
{
    return CardValue(id) * 2;
}

TEST(Cards, TheCardFunctionsAreProcessWideAndTheLastStoreWins)
{
    FriendCardRules first;
    CardTableArgs other = FriendCardTableArgs();
    other.functions.value = DoubledValue;
    {
        FriendCardRules second(FriendGameTableArgs(), other);
        EXPECT_EQ(CallCardValue(5), 12);
        EXPECT_EQ(CallCardOrder(5, 1), 12);
    }
    StoreCardFunctions(StandardCardFunctions());
    EXPECT_EQ(CallCardValue(5), 6);
}

TEST(Cards, ListHelpers)
{
    int list[4] = { 1, 2, 3, 4 };
    EXPECT_EQ(FillMinusOne(list, 3), 3);
    EXPECT_EQ(list[2], -1);
    EXPECT_EQ(list[3], 4);
    int numbers[3] = { 5, -2, 7 };
    EXPECT_EQ(SumInts(numbers, 3), 10);

    int histogram[kHistogramSize] = {};
    std::vector<int> cards = Cards("5a 5b SJ");
    cards.insert(cards.begin() + 2, -1);
    EXPECT_EQ(CountCardValues(cards.data(), 4, histogram), 2);
    EXPECT_EQ(histogram[4], 2);
    EXPECT_EQ(histogram[14], 0);

    int have[5] = { 0, 2, 0, 1, 9 };
    int need[5] = { 7, 2, 0, 1, 0 };
    EXPECT_TRUE(CoversCounts(have, need, 5));
    need[3] = 2;
    EXPECT_FALSE(CoversCounts(have, need, 5));

    int values[3] = { -1, 4, 9 };
    EXPECT_TRUE(ContainsValue(values, 3, 9));
    EXPECT_FALSE(ContainsValue(values, 3, -1));
    EXPECT_FALSE(ContainsValue(values, 3, 5));

    int words[3] = { 0x7, 0x5, 0x4 };
    EXPECT_TRUE(AllHaveMask(words, 3, 0x4));
    EXPECT_FALSE(AllHaveMask(words, 3, 0x5));
    EXPECT_TRUE(AllHaveMask(words, 0, 0x5));
    EXPECT_TRUE(AnyHasMask(words, 3, 0x3));
    EXPECT_FALSE(AnyHasMask(words, 3, 0x8));
}

TEST(CountCardsByValue, WildcardsJokersAloneAndIdsOutsideTheDeck)
{
    FriendCardRules rules;
    struct Case {
        const char* cards;
        bool wildcards;
        int valid;
        int wild;
        std::vector<std::pair<int, int>> buckets; // value, count
    } cases[] = {
        { "SJ BJ", true, 2, 0, { { 14, 1 }, { 15, 1 } } },
        { "SJ 6a", true, 2, 1, { { 5, 1 } } },
        { "SJ 6a", false, 2, 0, { { 5, 1 }, { 14, 1 } } },
        { "SJ SJ2 BJ2 BJ", true, 4, 0, { { 14, 2 }, { 15, 2 } } },
        { "#108 #160 7a", true, 1, 0, { { 6, 1 } } },
        { "#-1 3a 3b", true, 2, 0, { { 2, 2 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cards);
        rules.SetOptions(c.wildcards ? kOptionWildcards : 0);
        std::vector<int> cards = Cards(c.cards);
        int histogram[kHistogramSize] = {};
        int wild = -7;
        EXPECT_EQ(rules.CountCardsByValue(cards.data(), static_cast<int>(cards.size()), histogram,
                      kHistogramSize, &wild),
            c.valid);
        EXPECT_EQ(wild, c.wild);
        int expected[kHistogramSize] = {};
        for (auto [value, count] : c.buckets)
            expected[value] = count;
        for (int v = 0; v < kHistogramSize; ++v)
            EXPECT_EQ(histogram[v], expected[v]) << "value " << v;
    }
    // The histogram is added to.
    int histogram[kHistogramSize] = { 0, 0, 3 };
    std::vector<int> cards = Cards("3a");
    rules.CountCardsByValue(cards.data(), 1, histogram, kHistogramSize, nullptr);
    EXPECT_EQ(histogram[2], 4);
}

TEST(Cards, WildcardsAreTheFourJokersOfTwoDecksWhileTheOptionIsOn)
{
    FriendCardRules rules;
    for (int id : { 52, 53, 106, 107 })
        EXPECT_TRUE(rules.IsWildcard(id));
    for (int id : { 0, 51, 54, 105, 160, 161, 214, 215, -1 })
        EXPECT_FALSE(rules.IsWildcard(id)) << id;
    rules.SetOptions(0);
    EXPECT_FALSE(rules.IsWildcard(52));
    CardTable fourDecks(GameTableArgs { -1, -1, 1, 8, 0, 0, 3 }, CardTableArgs { 216, 4, 64 });
    EXPECT_FALSE(fourDecks.IsWildcard(52));
}

TEST(WireRecords, PlayRecordLayoutIsLittleEndianAndFixed)
{
    PlayRecord record;
    record.Set(CT_PAIR_RUN, CT_PAIR_RUN, 3003, 6);
    record.cards[0] = 106;
    record.cards[63] = 0x01020304;
    uint8_t bytes[PlayRecord::kWireSize] = {};
    ASSERT_TRUE(record.Write(bytes));
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x01); // 0x100
    EXPECT_EQ(bytes[8], 3003 & 0xFF);
    EXPECT_EQ(bytes[9], 3003 >> 8);
    EXPECT_EQ(bytes[12], 6);
    EXPECT_EQ(bytes[16], 106);
    EXPECT_EQ(bytes[20], 0xFF); // -1
    EXPECT_EQ(bytes[268], 0x04);
    EXPECT_EQ(bytes[271], 0x01);
    PlayRecord back;
    ASSERT_TRUE(PlayRecord::Read(bytes, back));
    EXPECT_EQ(back, record);
    EXPECT_FALSE(PlayRecord::Read(std::span<const uint8_t>(bytes, 271), back));
    EXPECT_FALSE(record.Write(std::span<uint8_t>(bytes, 100)));
}

TEST(WireRecords, PlayListCountIsKeptWithinFiveEntries)
{
    PlayList list;
    list.Clear();
    list.entries[4].Set(CT_BOMB, 0x1147, 10008, 5);
    list.count = 5;
    std::vector<uint8_t> bytes(PlayList::kWireSize);
    ASSERT_TRUE(list.Write(bytes));
    EXPECT_EQ(bytes[4 * 272], 0x00);
    EXPECT_EQ(bytes[4 * 272 + 1], 0x10);
    EXPECT_EQ(bytes[1360], 5);
    PlayList back;
    ASSERT_TRUE(PlayList::Read(bytes, back));
    EXPECT_EQ(back.count, 5);
    EXPECT_EQ(back.entries[4].value, 10008);
    bytes[1360] = 0xFF;
    bytes[1363] = 0x7F; // a huge count from outside
    ASSERT_TRUE(PlayList::Read(bytes, back));
    EXPECT_EQ(back.count, 5);
    bytes[1363] = 0xFF; // negative
    ASSERT_TRUE(PlayList::Read(bytes, back));
    EXPECT_EQ(back.count, 0);
}

TEST(WireRecords, TableInfoAndPlayMessage)
{
    TableInfo info;
    info.tableNumber = 7;
    info.roomNumber = 3;
    info.chairCount = 4;
    info.baseScore = 5;
    info.baseSilver = 100;
    info.chairFlags[7] = 0x22;
    info.roundCount = 9;
    info.kickTime = 120;
    std::vector<uint8_t> bytes(TableInfo::kWireSize, 0xEE);
    ASSERT_TRUE(info.Write(bytes));
    EXPECT_EQ(bytes[48], 0x22);
    EXPECT_EQ(bytes[52], 9);
    EXPECT_EQ(bytes[56], 120);
    for (size_t i = 60; i < 88; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    TableInfo back;
    ASSERT_TRUE(TableInfo::Read(bytes, back));
    EXPECT_EQ(back.chairFlags[7], 0x22);
    EXPECT_EQ(back.kickTime, 120);

    PlayMessage message;
    message.head[PlayMessage::kChairWord] = 2;
    message.play.Set(CT_SINGLE, CT_SINGLE, 13, 1);
    message.play.cards[0] = 12;
    std::vector<uint8_t> wire(PlayMessage::kWireSize);
    ASSERT_TRUE(message.Write(wire));
    EXPECT_EQ(wire[12], 2);
    EXPECT_EQ(wire[48], CT_SINGLE);
    EXPECT_EQ(wire[60], 1);
    EXPECT_EQ(wire[64], 12);
    PlayMessage parsed;
    ASSERT_TRUE(PlayMessage::Read(wire, parsed));
    EXPECT_EQ(parsed.Chair(), 2);
    EXPECT_EQ(parsed.play, message.play);
}

} // namespace
} // namespace table
