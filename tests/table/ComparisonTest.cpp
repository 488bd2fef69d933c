#include "table/CardTable.h"
#include "table/FriendCardRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace table {
namespace {

struct Play {
    std::string name;
    PlayRecord record;
};

Play MakePlay(const std::string& name, int type, int mask, int value, int count)
{
    Play play { name, {} };
    play.record.Set(type, mask, value, count);
    return play;
}

// Every play type of this game, with higher, equal and lower values and
// different card counts.
std::vector<Play> FriendPlays()
{
    return {
        MakePlay("none", 0, 0, 0, 0),
        MakePlay("single A", CT_SINGLE, 0x1, 13, 1),
        MakePlay("single K", CT_SINGLE, 0x1, 12, 1),
        MakePlay("single 2", CT_SINGLE, 0x1, 20, 1),
        MakePlay("single SJ", CT_SINGLE, 0x1, 21, 1),
        MakePlay("pair 6", CT_PAIR, 0x2, 5, 2),
        MakePlay("pair SJ", CT_PAIR, 0x2, 21, 2),
        MakePlay("triple 9", CT_TRIPLE, 0x4, 8, 3),
        MakePlay("triple 2", CT_TRIPLE, 0x4, 20, 3),
        MakePlay("straight 3-7", CT_STRAIGHT, 0x40, 102, 5),
        MakePlay("straight 6-T", CT_STRAIGHT, 0x40, 105, 5),
        MakePlay("straight 3-8", CT_STRAIGHT, 0x40, 102, 6),
        MakePlay("straight 9-A", CT_STRAIGHT, 0x40, 108, 6),
        MakePlay("pair run 33-55", CT_PAIR_RUN, 0x100, 3002, 6),
        MakePlay("pair run 66-88", CT_PAIR_RUN, 0x100, 3005, 6),
        MakePlay("pair run 33-66", CT_PAIR_RUN, 0x100, 4002, 8),
        MakePlay("bomb 4x9", CT_BOMB, 0x1147, 8, 4),
        MakePlay("bomb 4x2", CT_BOMB, 0x1147, 20, 4),
        MakePlay("bomb SJ+BJ", CT_BOMB, 0x1147, 43, 2),
        MakePlay("bomb 5x3", CT_BOMB, 0x1147, 10002, 5),
        MakePlay("bomb 5xA", CT_BOMB, 0x1147, 10013, 5),
        MakePlay("bomb 8x3", CT_BOMB, 0x1147, 40002, 8),
        MakePlay("bomb 12x9", CT_BOMB, 0x1147, 80008, 12),
        MakePlay("four jokers", CT_FOUR_JOKERS, 0x81767, 1, 4),
    };
}

// The rule as the players know it.
bool Beats(const PlayRecord& previous, const PlayRecord& candidate)
{
    if (previous.type == 0)
        return true;
    if (candidate.type == CT_FOUR_JOKERS)
        return previous.type != CT_FOUR_JOKERS;
    if (candidate.type == CT_BOMB) {
        if (previous.type == CT_FOUR_JOKERS)
            return false;
        return previous.type != CT_BOMB || candidate.value > previous.value;
    }
    return candidate.type == previous.type && candidate.count == previous.count && candidate.value > previous.value;
}

TEST(Comparison, EveryPlayTypeAgainstEveryOther)
{
    FriendCardRules rules;
    std::vector<Play> plays = FriendPlays();
    for (const Play& previous : plays) {
        for (const Play& candidate : plays) {
            if (candidate.record.type == 0)
                continue;
            EXPECT_EQ(rules.CanBeat(previous.record, candidate.record), Beats(previous.record, candidate.record))
                << candidate.name << " on " << previous.name;
        }
    }
}

TEST(Comparison, PickBeatingPlayAgreesWithCanBeatForOneReading)
{
    FriendCardRules rules;
    std::vector<Play> plays = FriendPlays();
    for (const Play& previous : plays) {
        for (const Play& candidate : plays) {
            if (candidate.record.type == 0)
                continue;
            PlayList list;
            list.Clear();
            list.entries[0] = candidate.record;
            list.count = 1;
            EXPECT_EQ(rules.PickBeatingPlay(previous.record, list) == 1, Beats(previous.record, candidate.record))
                << candidate.name << " on " << previous.name;
            EXPECT_EQ(list.count, 1);
            EXPECT_EQ(list.entries[0], candidate.record);
        }
    }
}

TEST(Comparison, TheCardTableHasNoEqualCountRule)
{
    CardTable table(GameTableArgs { -1, -1, 1, 8, 0, 0, 3 }, CardTableArgs { 216, 4, 64 });
    PlayRecord five;
    five.Set(CT_STRAIGHT, 0x40, 102, 5);
    PlayRecord six;
    six.Set(CT_STRAIGHT, 0x40, 103, 6);
    EXPECT_TRUE(table.CanBeat(five, six));
    FriendCardRules rules;
    EXPECT_FALSE(rules.CanBeat(five, six));

    // Values compare as unsigned: a negative value is the highest.
    PlayRecord low;
    low.Set(CT_SINGLE, 1, 5, 1);
    PlayRecord forged;
    forged.Set(CT_SINGLE, 1, -1, 1);
    EXPECT_TRUE(rules.CanBeat(low, forged));
    EXPECT_FALSE(rules.CanBeat(forged, low));
}

TEST(Comparison, PickingAmongReadings)
{
    FriendCardRules rules;
    PlayRecord pairOfNines;
    pairOfNines.Set(CT_PAIR, 0x2, 8, 2);

    PlayList list;
    list.Clear();
    list.entries[0].Set(CT_PAIR, 0x2, 7, 2);
    list.count = 1;
    PlayList before = list;
    EXPECT_EQ(rules.PickBeatingPlay(pairOfNines, list), 0);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.entries[0], before.entries[0]);

    PlayList empty;
    empty.Clear();
    EXPECT_EQ(rules.PickBeatingPlay(pairOfNines, empty), 0);
    EXPECT_EQ(rules.PickStrongestPlay(empty), 1);

    // Each taken reading becomes the one to beat: the bomb, then four jokers.
    PlayList readings;
    readings.Clear();
    readings.entries[0].Set(CT_BOMB, 0x1147, 21, 4);
    readings.entries[1].Set(CT_FOUR_JOKERS, 0x81767, 1, 4);
    readings.count = 2;
    PlayRecord bigBomb;
    bigBomb.Set(CT_BOMB, 0x1147, 10008, 5);
    ASSERT_EQ(rules.PickBeatingPlay(bigBomb, readings), 1);
    EXPECT_EQ(readings.count, 1);
    EXPECT_EQ(readings.entries[0].type, CT_FOUR_JOKERS);

    // Strongest: a later reading whose mask does not hold the best type is
    // skipped, and the list stays as it was when entry 0 remains the best.
    PlayList lead;
    lead.Clear();
    lead.entries[0].Set(CT_STRAIGHT, 0x40, 102, 5);
    lead.entries[1].Set(CT_STRAIGHT_FLUSH, 0, 102, 5);
    lead.count = 2;
    EXPECT_EQ(rules.PickStrongestPlay(lead), 1);
    EXPECT_EQ(lead.count, 2);
    EXPECT_EQ(lead.entries[0].type, CT_STRAIGHT);
}

} // namespace
} // namespace table
