// Plays of the local hand: the hint cycle, type searches, the play chosen
// for a throw, the checks at the start of a turn, the automatic move, a
// hand out of step with the plays, and how plays look and sound.

#include "HandFixture.h"

#include "table/FriendCardRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using game::AutoMove;
using game::HintOutcome;
using game::TurnStart;
using game::testing::Cards;
using game::testing::HandTest;

TEST_F(HandTest, HintsCycleWholeGroupsThenEveryPlayThenStartOver)
{
    // Facing a pair of big jokers nothing but bombs and four jokers can
    // answer; the five nines hold a four-card bomb that splits them.
    Deal("3a 3b 3c 3d 9a 9b 9c 9d 9a2 SJ SJ2 BJ BJ2 5c 6d 7a 8b");
    hand.SortHand(1);
    host.lastChair = 3;
    host.last = table::PlayRecord(table::CT_PAIR, table::CT_PAIR, table::kBigJokerOrder, 2);
    const std::vector<std::string> expected = {
        "3a 3b 3c 3d",
        "9a 9b 9c 9d 9a2",
        "SJ SJ2 BJ BJ2",
        "3a 3b 3c 3d",
        "9a 9b 9c 9d",
        "9a 9b 9c 9d 9a2",
        "SJ SJ2 BJ BJ2",
        "3a 3b 3c 3d",
        "9a 9b 9c 9d 9a2",
    };
    int press = 0;
    for (const std::string& want : expected) {
        SCOPED_TRACE(press++);
        host.sounds.clear();
        ASSERT_EQ(hand.OnHintClicked(), HintOutcome::kSelected);
        EXPECT_EQ(game::testing::ValuesOf(hand.GetSelectedCards()), game::testing::ValuesOf(Cards(want))) << Selected();
        EXPECT_TRUE(host.throwEnabled);
        EXPECT_EQ(host.sounds, std::vector<std::string> { "Snd_HitCard" });
    }
}

TEST_F(HandTest, HintFollowsSinglesUpwardAndNeverOffersAStraightToAPair)
{
    Deal("3a 4b 5c 6d 7a 9a 9b Kc");
    LastPlay("8a 8b");
    EXPECT_EQ(hand.OnHintClicked(), HintOutcome::kSelected);
    EXPECT_EQ(Selected(), "9a 9b");
    // 9 9 is the only answer: the cycle comes back to it.
    EXPECT_EQ(hand.OnHintClicked(), HintOutcome::kSelected);
    EXPECT_EQ(Selected(), "9a 9b");
}

TEST_F(HandTest, HintPassesWhenNothingBeatsAndDoesNothingWhileLeading)
{
    Deal("3a 4b 5c");
    EXPECT_EQ(hand.OnHintClicked(), HintOutcome::kNothing);
    LastPlay("Ka Kb");
    EXPECT_EQ(hand.OnHintClicked(), HintOutcome::kPass);
    EXPECT_EQ(Selected(), "");
}

TEST_F(HandTest, TypeSearchSelectsTheWeakestPlayOfTheType)
{
    Deal("3a 9a 9b 9c 9d 5a 5b 5c 5d 5a2 SJ BJ");
    EXPECT_TRUE(hand.HintFromHand(table::CT_BOMB, true));
    EXPECT_EQ(game::testing::ValuesOf(hand.GetSelectedCards()), game::testing::ValuesOf(Cards("5a 5b 5c 5d")));
    EXPECT_FALSE(hand.HintFromHand(table::CT_FOUR_JOKERS, true));
    EXPECT_EQ(Selected(), ""); // the search deselects first
    EXPECT_TRUE(hand.HintFromHand(table::CT_PAIR, false));
    EXPECT_EQ(Selected(), "");
}

struct Search {
    const char* hand;
    const char* start; // "" = lead
    int mask;
    bool alt;
    const char* found; // "" = none
};

class SearchTest : public HandTest, public ::testing::WithParamInterface<Search> { };

TEST_P(SearchTest, SearchFindsTheNextPlayInStepOrder)
{
    const Search& s = GetParam();
    std::vector<int> ids = game::testing::Cards(s.hand);
    table::PlayRecord start;
    if (*s.start) {
        LastPlay(s.start);
        start = host.last;
    }
    table::PlayRecord result;
    game::HandRules rules;
    const int n = static_cast<int>(ids.size());
    const bool found = s.alt ? rules.FindBeatingPlayAlt(ids.data(), n, start, result, s.mask, false)
                             : rules.FindBeatingPlay(ids.data(), n, start, result, s.mask, false);
    EXPECT_EQ(found, *s.found != 0);
    if (found)
        EXPECT_EQ(game::testing::PlayNames(result), s.found);
    else
        EXPECT_EQ(result, start); // the result keeps the start
}

INSTANTIATE_TEST_SUITE_P(CardHand, SearchTest,
    ::testing::Values(Search { "9a 3b Kc", "", 0x81767, false, "3b" }, // a lead starts with the lowest single
        Search { "9a 3b Kc", "5a", 0x81767, false, "9a" },
        Search { "9a 9b 3a 3b 3c 3d", "5a 5b", 0x81767, false, "9a 9b" },
        Search { "9a 9c 3a 3b 3c 3d", "Ka Kb", 0x81767, false, "3a 3b 3c 3d" },
        Search { "9a 9c 3a 3b 3c 3d", "Ka Kb", 0x2, false, "" }, // bombs are outside the mask
        Search { "3a 4b 5c 6d 7a 8a", "", 0x40, false, "3a 4b 5c 6d 7a" },
        Search { "3a 3b 4a 4b 5a 5b", "", 0x100, false, "3a 3b 4a 4b" }, // shortest run first
        Search { "3a 3b 4a 4b 5a 5b", "", 0x100, true, "3a 3b 4a 4b 5a 5b" }, // longest first
        Search { "7a 7b 7c 7d 7a2 3a 3b 3c 3d", "", 0x1000, true, "7a 7b 7c 7d 7a2" },
        Search { "SJ SJ2 BJ BJ2 3a", "9a 9b 9c 9d 9a2 9b2 9c2 9d2", 0x81767, false, "SJ SJ2 BJ BJ2" }),
    [](const auto& info) {
        char mask[16];
        std::snprintf(mask, sizeof mask, "_Mask%x", info.param.mask);
        return game::testing::NameHand(info.param.hand, info.param.start) + mask
            + (info.param.alt ? "_LongestFirst" : "");
    });

TEST_F(HandTest, ThrowTakesTheStrongestReadingLeadingAndABeatingOneFollowing)
{
    Deal("3a 3b 3c 5a 5b 9c");
    Select("3a 3b 3c 5a 5b");
    std::vector<int> ids = hand.GetThrowCards();
    ASSERT_EQ(ids.size(), 5u);
    auto play = hand.ChooseThrowPlay(ids.data(), 5);
    ASSERT_TRUE(play.has_value());
    EXPECT_EQ(play->type, table::CT_TRIPLE_PAIR);

    LastPlay("Ka Kb Kc 2a 2b");
    EXPECT_FALSE(hand.ChooseThrowPlay(ids.data(), 5).has_value());
    std::vector<int> single = game::testing::Cards("9c");
    EXPECT_FALSE(hand.ChooseThrowPlay(single.data(), 1).has_value());
}

struct TurnCase {
    const char* hand;
    const char* last;
    TurnStart start;
};

class TurnStartTest : public HandTest, public ::testing::WithParamInterface<TurnCase> { };

TEST_P(TurnStartTest, TurnStartDecidesBetweenPassHintAndAutomaticPass)
{
    const TurnCase& c = GetParam();
    Deal(c.hand);
    if (*c.last)
        LastPlay(c.last);
    EXPECT_EQ(hand.CheckTurnStart(), c.start);
    EXPECT_EQ(hand.GetHintCursor().type, 0);
}

INSTANTIATE_TEST_SUITE_P(CardHand, TurnStartTest,
    ::testing::Values(TurnCase { "3a 4b", "", TurnStart::kLeading },
        TurnCase { "3a Ka", "5c", TurnStart::kCanPlay },
        TurnCase { "3a 4b", "Ka Kb", TurnStart::kShowPassHint }, // as many cards as the play
        TurnCase { "3a 4b", "Ka Kb Kc", TurnStart::kPassAutomatically },
        TurnCase { "3a 4b 5c", "BJ", TurnStart::kPassAutomatically }, // nothing beats a big joker
        TurnCase { "3a 4b 5c 6c", "BJ", TurnStart::kShowPassHint },
        TurnCase { "3a 4b 5c", "SJ", TurnStart::kShowPassHint }),
    [](const auto& info) { return game::testing::NameHand(info.param.hand, info.param.last); });

struct AutoCase {
    const char* hand;
    const char* last; // "" = leading
    int lastChair;
    AutoMove move;
    const char* selected;
};

class AutoMoveTest : public HandTest, public ::testing::WithParamInterface<AutoCase> { };

TEST_P(AutoMoveTest, AutomaticMoveSelectsAndDecides)
{
    const AutoCase& c = GetParam();
    Deal(c.hand);
    if (*c.last)
        LastPlay(c.last, c.lastChair);
    EXPECT_EQ(hand.PlayForMe(), c.move);
    EXPECT_EQ(Selected(), c.selected);
}

INSTANTIATE_TEST_SUITE_P(CardHand, AutoMoveTest,
    ::testing::Values(
        // Leading: the lowest card's group.
        AutoCase { "9d 3a 5c 3b", "", -1, AutoMove::kThrow, "3a 3b" },
        // The lowest card is in a bomb: the lowest single value instead.
        AutoCase { "3a 3b 3c 3d 5a 5b 9c Kd", "", -1, AutoMove::kThrow, "9c" },
        // No singles: the lowest pair.
        AutoCase { "3a 3b 3c 3d Ka Kb 9c 9d", "", -1, AutoMove::kThrow, "9c 9d" },
        // Following: the first play that keeps groups whole.
        AutoCase { "7a 7b 9c", "5c", 1, AutoMove::kThrow, "9c" },
        // Every play splits a group: the smallest one.
        AutoCase { "7a 7b", "5c", 1, AutoMove::kThrow, "7b" },
        // The partner's play stands...
        AutoCase { "7a 9c", "5c", 2, AutoMove::kPass, "7a" },
        // ...unless the play empties the hand.
        AutoCase { "7a", "5c", 2, AutoMove::kThrow, "7a" },
        AutoCase { "3a 4b", "Ka", 3, AutoMove::kPass, "" }),
    [](const auto& info) {
        const AutoCase& c = info.param;
        return game::testing::NameHand(c.hand, c.last) + (*c.last ? "_ByChair" + std::to_string(c.lastChair) : "");
    });

TEST_F(HandTest, AutomaticLeadWithOnlyAHugeBombLeadsTheBomb)
{
    // Nine fives from four decks: no group of one to eight cards exists, and
    // a lead of nothing would leave the turn to run out.
    Deal("5a 5b 5c 5d 5a2 5b2 5c2 5d2 #111");
    EXPECT_EQ(hand.PlayForMe(), AutoMove::kThrow);
    EXPECT_EQ(hand.CountSelected(), 9);
    EXPECT_TRUE(host.throwEnabled);
}

TEST_F(HandTest, AutomaticMoveFollowsTheLevelInTheOrderOfValues)
{
    host.level = 2; // threes rank above the ace
    Deal("3a Ka 9c");
    EXPECT_EQ(hand.PlayForMe(), AutoMove::kThrow);
    EXPECT_EQ(Selected(), "9c");
}

TEST_F(HandTest, SelectingCardsTheHandDoesNotHoldSkipsThem)
{
    Deal("3a 9b Kc");
    Select("9b 5d Ad");
    EXPECT_EQ(Selected(), "9b");
}

TEST_F(HandTest, CardsForAPlayAreDistinctAndMissingOnesAreSkipped)
{
    // A hidden hand of two cards; the play names three.
    auto hidden = Deal("3a 4a", 1);
    hidden[0]->cardId = -1;
    hidden[1]->cardId = -1;
    std::vector<int> play = game::testing::Cards("7a 7b 7c");
    auto sprites = hand.CardsForPlay(1, play.data(), 3);
    ASSERT_EQ(sprites.size(), 2u);
    EXPECT_NE(sprites[0], sprites[1]);

    // An open hand gives the named card first, then the others in turn.
    auto open = Deal("5a 6a 8a", 2);
    std::vector<int> named = game::testing::Cards("8a 9a");
    sprites = hand.CardsForPlay(2, named.data(), 2);
    ASSERT_EQ(sprites.size(), 2u);
    EXPECT_EQ(sprites[0], open[2]);
    EXPECT_EQ(sprites[1], open[0]);
    EXPECT_EQ(hand.FindSeatCardById(3, 5), nullptr);
}

TEST(CardHandPlays, ThrowSounds)
{
    const struct {
        int type;
        int count;
        const char* sound;
    } cases[] = {
        { table::CT_BOMB, 3, "" },
        { table::CT_BOMB, 4, "Snd_Bomb4" },
        { table::CT_BOMB, 5, "Snd_Bomb5" },
        { table::CT_BOMB, 6, "Snd_Bomb6" },
        { table::CT_BOMB, 7, "Snd_Bomb78" },
        { table::CT_BOMB, 8, "Snd_Bomb78" },
        { table::CT_FOUR_JOKERS, 4, "Snd_4King" },
        { table::CT_PAIR, 2, "Snd_Throw" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(game::ThrowSoundName(c.type, c.count), c.sound) << c.type << " " << c.count;
}

TEST(CardHandPlays, RunsAreShownFromTheTopUnlessSortedSmallFirst)
{
    auto play = [](int type, const char* names) {
        std::vector<int> ids = game::testing::Cards(names);
        table::PlayRecord record(type, type, 1, static_cast<int>(ids.size()));
        std::copy(ids.begin(), ids.end(), record.cards);
        return record;
    };
    const struct {
        int type;
        int mode;
        const char* shown;
    } cases[] = {
        { table::CT_STRAIGHT, 1, "7a 6d 5c 4b 3a" },
        { table::CT_STRAIGHT, 5, "7a 6d 5c 4b 3a" },
        { table::CT_STRAIGHT, 4, "3a 5c 4b 7a 6d" },
        { table::CT_STRAIGHT, 6, "3a 5c 4b 7a 6d" },
        { table::CT_TRIPLE_PAIR, 1, "3a 5c 4b 7a 6d" }, // not a run
    };
    for (const auto& c : cases) {
        table::PlayRecord record = play(c.type, "3a 5c 4b 7a 6d");
        game::OrderPlayForDisplay(record, c.mode);
        EXPECT_EQ(game::testing::PlayNames(record), c.shown) << c.type << " " << c.mode;
    }
    table::PlayRecord pairRun = play(table::CT_PAIR_RUN, "3a 4b 3b 4a");
    game::OrderPlayForDisplay(pairRun, 1);
    EXPECT_EQ(game::testing::PlayNames(pairRun), "4b 4a 3b 3a");
}

} // namespace

namespace {

// This game's rules, where the jokers may stand in for any card.
class WildRules : public game::HandRules {
public:
    std::unique_ptr<table::CardTable> MakeTable() const override
    {
        return std::make_unique<table::FriendCardRules>();
    }
    int PlayMask() const override { return table::kFriendPlayMask; }
};

TEST(CardHandRules, EachQuestionGetsTheCardLayersTable)
{
    auto rules = game::HandRules().MakeTable();
    EXPECT_EQ(rules->GetChairCount(), 8);
    EXPECT_EQ(rules->GetCardCount(), 216);
    EXPECT_EQ(rules->GetDeckCount(), 4);
    EXPECT_EQ(rules->GetHandSize(), 64);
    EXPECT_FALSE(rules->WildcardsOn());
    // What one question changes on its table stays with it: the next
    // question starts from the layer's own options.
    const int options = rules->GetOptions();
    rules->SetOptions(options | table::kOptionWildcards);
    EXPECT_EQ(game::HandRules().MakeTable()->GetOptions(), options);
}

TEST(CardHandRules, SearchWithoutWildcardsKeepsJokersAsThemselves)
{
    const WildRules rules;
    std::vector<int> ids = Cards("9a 9b 9c SJ 3d");
    table::PlayRecord found;
    EXPECT_FALSE(rules.FindBeatingPlay(ids.data(), 5, table::PlayRecord(), found, table::CT_BOMB, false));
    ASSERT_TRUE(rules.FindBeatingPlay(ids.data(), 5, table::PlayRecord(), found, table::CT_BOMB, true));
    EXPECT_EQ(found.count, 4);
    EXPECT_TRUE(rules.MakeTable()->WildcardsOn()); // the option belongs to the one question
}

TEST(CardHandRules, ThrowLeadingTakesTheStrongestReadingFollowingOneThatBeats)
{
    const game::HandRules rules;
    std::vector<int> bomb = Cards("8a 8b 8c 8d");
    auto lead = rules.ChoosePlay(0, bomb.data(), 4, nullptr);
    ASSERT_TRUE(lead.has_value());
    EXPECT_EQ(lead->type, table::CT_BOMB);
    const table::PlayRecord pair(table::CT_PAIR, table::CT_PAIR, 13, 2);
    auto follow = rules.ChoosePlay(0, bomb.data(), 4, &pair);
    ASSERT_TRUE(follow.has_value());
    EXPECT_EQ(follow->type, table::CT_BOMB);
    std::vector<int> low = Cards("3a 3b");
    EXPECT_FALSE(rules.ChoosePlay(0, low.data(), 2, &pair).has_value());
    EXPECT_FALSE(rules.ChoosePlay(0, low.data(), 0, nullptr).has_value());
}

} // namespace
