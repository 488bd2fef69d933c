// The local hand: sort modes and sort buttons, the value-selection buttons,
// click and drag selection with its timing, completion of a selection to
// its play, and the throw check.

#include "HandFixture.h"

#include <gtest/gtest.h>

namespace {

using game::CardHand;
using game::testing::HandTest;

TEST(CardHandMasks, CompletionTriesTypesInItsOrder)
{
    EXPECT_EQ(game::UniquePlayMasks(true, table::kCardTablePlayMask),
        (std::vector<int> { 0x20, 0x200, 0x40, 0x400, 0x80000 }));
    EXPECT_EQ(game::UniquePlayMasks(false, table::kCardTablePlayMask),
        (std::vector<int> { 0x1, 0x100, 0x1000, 0x2, 0x20, 0x200, 0x4, 0x40, 0x400, 0x80000 }));
}

TEST_F(HandTest, SortModesOrderTheHandByTheirKeys)
{
    struct Case {
        int mode;
        int level;
        const char* leftToRight;
    };
    const Case cases[] = {
        { 1, 0, "BJ Kb Ka 7d 3c 3b 3a" },
        { 4, 0, "3a 3b 3c 7d Ka Kb BJ" },
        { 3, 0, "BJ 7d 3c Kb 3b Ka 3a" }, // grouped by suit
        { 5, 0, "7d BJ Ka Kb 3a 3b 3c" }, // fewest of a value first
        { 6, 0, "3c 3b 3a Kb Ka BJ 7d" },
        { 1, 6, "BJ 7d Kb Ka 3c 3b 3a" }, // the level's sevens rank above the ace
        { 0, 0, "3a Kb 3c BJ 7d Ka 3b" }, // unknown mode keeps the order
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        host.cards.clear();
        host.owned.clear();
        host.level = c.level;
        Deal("3a Kb 3c BJ 7d Ka 3b");
        auto others = Deal("2a 2b", 1);
        hand.SortHand(c.mode);
        EXPECT_EQ(HandLeftToRight(), c.leftToRight);
        EXPECT_EQ(Card("3a")->updates, 1);
        EXPECT_EQ(others[0]->updates, 0); // another chair's hand is left alone
    }
}

TEST_F(HandTest, SortButtonsSwitchModesAndRememberThePreviousOne)
{
    Deal("3a 5b 4c");
    struct Step {
        void (CardHand::*press)();
        int mode;
        const char* picture;
    };
    const Step steps[] = {
        { &CardHand::ToggleSortBySize, 4, "btn_SortSmall" },
        { &CardHand::ToggleSortBySize, 1, "btn_SortBig" },
        { &CardHand::ToggleSortByCount, 5, "btn_SortBig" },
        { &CardHand::ToggleSortByCount, 6, "btn_SortBig" },
        { &CardHand::ToggleSortBySize, 1, "btn_SortBig" }, // from 5 or 6 back to big first
        { &CardHand::ToggleSortBySize, 4, "btn_SortSmall" },
        { &CardHand::ToggleSortMode3, 3, "btn_SortSmall" },
        { &CardHand::ToggleSortMode3, 4, "btn_SortSmall" }, // back to the mode before
        { &CardHand::ToggleSortMode3, 3, "btn_SortSmall" },
        { &CardHand::ToggleSortBySize, 1, "btn_SortBig" }, // suit mode falls back to 4, which flips to 1
    };
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        hand.SelectPairs(game::kSelectPairsCode);
        host.sounds.clear();
        (hand.*s.press)();
        EXPECT_EQ(hand.GetSortMode(), s.mode);
        EXPECT_EQ(host.sortPicture, s.picture);
        EXPECT_EQ(hand.GetLastValueButton(), 0);
        EXPECT_EQ(host.sounds, std::vector<std::string> { "snd_sort" });
    }
    EXPECT_EQ(HandLeftToRight(), "5b 4c 3a");
}

TEST_F(HandTest, ValueButtonsSelectGroupsAndASecondPressClears)
{
    Deal("3a 3b 5c 7a 7b 7c 9d");
    hand.SelectPairs(game::kSelectPairsCode);
    EXPECT_EQ(Selected(), "3a 3b");
    EXPECT_TRUE(host.throwEnabled);
    hand.SelectPairs(game::kSelectPairsCode);
    EXPECT_EQ(Selected(), "");
    EXPECT_FALSE(host.throwEnabled);
    EXPECT_EQ(hand.GetLastValueButton(), 0);

    hand.SelectPairs(game::kSelectPairsCode);
    hand.SelectSingles(game::kSelectSinglesCode);
    EXPECT_EQ(Selected(), "5c 9d");
    EXPECT_FALSE(host.throwEnabled); // two singles are no play
    hand.SelectPairs(game::kSelectPairsCode); // another button in between: selects again
    EXPECT_EQ(Selected(), "3a 3b");
    hand.SelectTriples(game::kSelectTriplesCode);
    EXPECT_EQ(Selected(), "7a 7b 7c");
}

TEST_F(HandTest, BombButtonTakesFourJokersAndEveryBomb)
{
    Deal("3a 3b 3c 3d 5a 8a 8b 8c 8d 8a2 SJ SJ2 BJ BJ2");
    hand.SelectBombs(game::kSelectBombsCode);
    EXPECT_EQ(Selected(), "3a 3b 3c 3d 8a 8b 8c 8d 8a2 SJ SJ2 BJ BJ2");
    hand.SelectBombs(game::kSelectBombsCode);
    EXPECT_EQ(Selected(), "");
}

TEST_F(HandTest, DragSelectsTheSameRangeInEitherDirection)
{
    // Ten cards, left to right; the pointer is placed inside a card's
    // visible strip.
    auto cards = Deal("3a 4a 5a 6a 7a 8a 9a Ta Ja Qa");
    auto over = [&](int order) {
        const auto* c = cards[order];
        return c->GetHandPosition().x - c->GetHandWidth() / 2 + 4;
    };
    const std::string expected = "5a 6a 7a 8a";

    ASSERT_TRUE(hand.OnCardPress(*cards[2]));
    hand.OnCardDrag(*cards[2], over(4));
    hand.OnCardDrag(*cards[2], over(5));
    hand.OnCardRelease(*cards[2], 1000);
    EXPECT_EQ(Selected(), expected);

    hand.OnEmptyRightPress();
    EXPECT_EQ(Selected(), "");

    ASSERT_TRUE(hand.OnCardPress(*cards[5]));
    hand.OnCardDrag(*cards[5], over(2));
    hand.OnCardRelease(*cards[5], 2000);
    EXPECT_EQ(Selected(), expected);
    EXPECT_EQ(cards[3]->selectionTime, 2000u);
    EXPECT_EQ(cards[3]->rangeMark, 0);
}

TEST_F(HandTest, DragOffTheCardsRunsToTheEndOnThatSide)
{
    auto cards = Deal("3a 4a 5a 6a 7a 8a");
    hand.OnCardPress(*cards[3]);
    hand.OnCardDrag(*cards[3], 2000);
    hand.OnCardRelease(*cards[3], 10);
    EXPECT_EQ(Selected(), "6a 7a 8a");
    hand.OnEmptyRightPress();
    hand.OnCardPress(*cards[3]);
    hand.OnCardDrag(*cards[3], -50);
    hand.OnCardRelease(*cards[3], 10);
    EXPECT_EQ(Selected(), "3a 4a 5a 6a");
}

TEST_F(HandTest, ClickTogglesAndOnlyTheOwnHandAnswers)
{
    auto mine = Deal("3a 9b Kc");
    auto theirs = Deal("4a 5a", 1);
    hand.OnCardPress(*mine[1]);
    hand.OnCardRelease(*mine[1], 10);
    EXPECT_EQ(Selected(), "9b");
    hand.OnCardPress(*mine[1]);
    hand.OnCardRelease(*mine[1], 20);
    EXPECT_EQ(Selected(), "");

    EXPECT_FALSE(hand.OnCardPress(*theirs[0]));
    host.lookerOn = true;
    EXPECT_FALSE(hand.OnCardPress(*mine[0]));
    EXPECT_FALSE(hand.OnCardDrag(*mine[0], 500));
    EXPECT_FALSE(hand.OnCardRelease(*mine[0], 30));
    EXPECT_EQ(Selected(), "");
}

TEST_F(HandTest, HoverRaisesACardOnlyAfterTheDelaySinceItsSelection)
{
    auto cards = Deal("3a 4b 5c");
    hand.OnCardPress(*cards[0]);
    hand.OnCardRelease(*cards[0], 1000);

    EXPECT_TRUE(hand.OnCardEnter(*cards[0], 1300)); // exactly the delay: too early
    EXPECT_EQ(cards[0]->hovered, 0);
    hand.OnCardLeave(*cards[0]);
    hand.OnCardEnter(*cards[0], 1301);
    EXPECT_EQ(cards[0]->hovered, 1);

    hand.OnCardEnter(*cards[1], 1400); // never selected: its time is long past
    EXPECT_EQ(cards[1]->hovered, 1);
    EXPECT_EQ(cards[0]->hovered, 0); // only one card is raised at a time
}

struct Completion {
    const char* hand;
    const char* last;   // "" while leading
    const char* clicks; // cards clicked one after another
    const char* selected;
};

class CompletionTest : public HandTest, public ::testing::WithParamInterface<Completion> { };

TEST_P(CompletionTest, ClickCompletesToTheOnlyPlayItCanBelongTo)
{
    const Completion& c = GetParam();
    Deal(c.hand);
    hand.SortHand(4);
    if (*c.last)
        LastPlay(c.last);
    for (int id : game::testing::Cards(c.clicks)) {
        auto* card = Card(game::testing::CardName(id));
        hand.OnCardPress(*card);
        hand.OnCardRelease(*card, 100);
    }
    EXPECT_EQ(Selected(), c.selected);
}

INSTANTIATE_TEST_SUITE_P(CardHand, CompletionTest,
    ::testing::Values(
        // Following a pair: the only beating pair holding a seven.
        Completion { "3a 7a 7b 9c Kd", "5a 5b", "7a", "7a 7b" },
        // The chosen seven stays in the play; another seven joins it.
        Completion { "3a 7a 7b 7c 9d", "5a 5b", "7c", "7b 7c" },
        // A pair and a bomb both hold the seven: nothing is added.
        Completion { "3a 7a 7b 7c 7d", "5a 5b", "7a", "7a" },
        // A single that beats is a play by itself.
        Completion { "3a 7a 9b", "5c", "7a", "7a" },
        // Leading with a hand that is one play: the whole hand.
        Completion { "3a 3b 3c 5a 5b", "", "5a", "3a 3b 3c 5a 5b" },
        Completion { "3a 4b 5c 6d 7a", "", "4b", "3a 4b 5c 6d 7a" },
        Completion { "3a 3b 3c 5a 5b 9c", "", "5a", "5a" }),
    [](const auto& info) {
        return game::testing::NameHand(info.param.hand, info.param.last) + "_Click"
            + game::testing::NameCards(info.param.clicks);
    });

TEST_F(HandTest, LongDragWhileLeadingKeepsThePlayWithMostValues)
{
    // 33 44 55 6 7 is no play; inside it the straight 3-7 (5 values) beats
    // the pair run 33 44 55 (3 values).
    auto cards = Deal("3a 3b 4a 4b 5a 5b 6a 7a 9c Kd");
    hand.OnCardPress(*cards[0]);
    hand.OnCardDrag(*cards[0], 5000);
    hand.OnCardDrag(*cards[0], cards[7]->GetHandPosition().x - cards[7]->GetHandWidth() / 2 + 2);
    hand.OnCardRelease(*cards[0], 100);
    const std::string selected = Selected();
    EXPECT_EQ(hand.CountSelected(), 5) << selected;
    EXPECT_EQ(CardHand::CountDistinctValues(hand.GetSelectedCards().data(), 5), 5) << selected;
    EXPECT_TRUE(host.throwEnabled);
}

TEST_F(HandTest, LongDragAddedToAnEarlierSelectionIsKeptAsItIs)
{
    auto cards = Deal("3a 3b 4a 4b 5a 5b 6a 7a 9c Kd");
    hand.OnCardPress(*cards[9]);
    hand.OnCardRelease(*cards[9], 50);
    hand.OnCardPress(*cards[0]);
    hand.OnCardDrag(*cards[0], cards[7]->GetHandPosition().x - cards[7]->GetHandWidth() / 2 + 2);
    hand.OnCardRelease(*cards[0], 100);
    EXPECT_EQ(Selected(), "3a 3b 4a 4b 5a 5b 6a 7a Kd");
    EXPECT_FALSE(host.throwEnabled);
}

TEST_F(HandTest, LongDragWhileFollowingKeepsThePlayThatBeatsTheLastOne)
{
    auto cards = Deal("4a 5a 6a 7b 8c 9d Kd");
    LastPlay("3a 4b 5c 6d 7a");
    hand.OnCardPress(*cards[0]);
    hand.OnCardDrag(*cards[0], cards[5]->GetHandPosition().x - cards[5]->GetHandWidth() / 2 + 2);
    hand.OnCardRelease(*cards[0], 100);
    EXPECT_EQ(Selected(), "4a 5a 6a 7b 8c");
    EXPECT_TRUE(host.throwEnabled);
}

struct ThrowCheck {
    const char* hand;
    const char* selection;
    const char* last;
    bool enabled;
};

class ThrowCheckTest : public HandTest, public ::testing::WithParamInterface<ThrowCheck> { };

TEST_P(ThrowCheckTest, ThrowIsEnabledOnlyForAPlayThatMayGoNow)
{
    const ThrowCheck& c = GetParam();
    Deal(c.hand);
    if (*c.last)
        LastPlay(c.last);
    Select(c.selection);
    host.throwEnabled = !c.enabled;
    EXPECT_EQ(hand.UpdateThrowButton(), c.enabled);
    EXPECT_EQ(host.throwEnabled, c.enabled);
    EXPECT_EQ(hand.GetSelectedCount(), static_cast<int>(game::testing::Cards(c.selection).size()));
}

INSTANTIATE_TEST_SUITE_P(CardHand, ThrowCheckTest,
    ::testing::Values(ThrowCheck { "3a 3b 9c", "3a 3b", "", true }, ThrowCheck { "3a 4b 9c", "3a 4b", "", false },
        ThrowCheck { "7a 7b 3a", "7a 7b", "5a 5b", true }, ThrowCheck { "3a 3b 9c", "3a 3b", "5a 5b", false },
        ThrowCheck { "3a 3b 3c 3d", "3a 3b 3c 3d", "5a 5b", true }, ThrowCheck { "9a 3b", "9a", "5a 5b", false },
        ThrowCheck { "SJ SJ2 BJ BJ2 3a", "SJ SJ2 BJ BJ2", "9a 9b 9c 9d", true },
        ThrowCheck { "3a 4b 5c 6d 7a 8a", "4b 5c 6d 7a 8a", "3b 4c 5d 6a 7b", true },
        ThrowCheck { "3a", "", "", false }),
    [](const auto& info) {
        return game::testing::NameHand(info.param.hand, info.param.last) + "_Select"
            + game::testing::NameCards(info.param.selection);
    });

TEST_F(HandTest, ThrowCheckWithoutSelectionForgetsTheValueButton)
{
    Deal("3a 3b 9c");
    hand.SelectPairs(game::kSelectPairsCode);
    hand.DeselectAll();
    hand.UpdateThrowButton();
    EXPECT_EQ(hand.GetLastValueButton(), 0);

    host.lookerOn = true;
    host.throwEnabled = true;
    Select("3a 3b");
    EXPECT_FALSE(hand.UpdateThrowButton());
    EXPECT_TRUE(host.throwEnabled); // a looker-on's buttons are not touched
}

TEST_F(HandTest, QueriesOverTheHand)
{
    auto cards = Deal("3a 3b 5c 9d 9a Kb");
    Deal("4a", 2);
    cards[2]->selected = 1;
    cards[4]->selected = 1;
    // Rightmost first.
    EXPECT_EQ(hand.GetHandCards(), game::testing::Cards("Kb 9a 9d 5c 3b 3a"));
    EXPECT_EQ(hand.GetSelectedCards(), game::testing::Cards("9a 5c"));
    EXPECT_EQ(hand.GetHandCardsOfValue(2), game::testing::Cards("9a 9d 3b 3a"));
    EXPECT_EQ(hand.CountCards(-1, game::kCardInHand), 7);
    EXPECT_EQ(hand.CountCards(2, game::kCardInHand), 1);
    EXPECT_EQ(hand.CountSelected(), 2);

    std::vector<int> ids = game::testing::Cards("3a Kb 9d 3b");
    ids.push_back(-1);
    ids.insert(ids.begin(), -1);
    EXPECT_EQ(hand.SortIdsByOrder(ids.data(), static_cast<int>(ids.size())), 4);
    std::vector<int> expected = game::testing::Cards("Kb 9d 3b 3a");
    expected.push_back(-1);
    expected.push_back(-1);
    EXPECT_EQ(ids, expected);
}

TEST_F(HandTest, OppositeChairIsTwoStepsBack)
{
    struct Case {
        int own;
        int chairs;
        int opposite;
    };
    struct Host3 : game::testing::HandHost {
        int chairs = 4;
        int ChairCount() const override { return chairs; }
    };
    const Case cases[] = { { 0, 4, 2 }, { 1, 4, 3 }, { 3, 4, 1 }, { 0, 3, 1 } };
    for (const Case& c : cases) {
        Host3 h;
        h.own = c.own;
        h.chairs = c.chairs;
        CardHand cardHand(h);
        for (int chair = 0; chair < c.chairs; ++chair)
            EXPECT_EQ(cardHand.IsOppositeChair(chair), chair == c.opposite) << c.own << " " << chair;
    }
}

TEST_F(HandTest, LayoutOrdersOtherHandsAndCountsEveryHand)
{
    auto mine = Deal("9a 3b Kc");
    auto theirs = Deal("Kd 3a 9b 2c", 1);
    EXPECT_EQ(hand.LayoutSeatCards(0), 3);
    EXPECT_EQ(mine[0]->order, 0); // the own row keeps its sorted order
    EXPECT_EQ(mine[1]->order, 1);
    EXPECT_EQ(mine[2]->count, 3);
    EXPECT_EQ(hand.LayoutSeatCards(1), 4);
    EXPECT_EQ(theirs[3]->order, 0); // the two is the lowest card
    EXPECT_EQ(theirs[1]->order, 1);
    EXPECT_EQ(theirs[2]->order, 2);
    EXPECT_EQ(theirs[0]->order, 3);
    EXPECT_EQ(theirs[0]->count, 4);
}

TEST_F(HandTest, LookersOnSeeAShownHandUntilThePermissionIsWithdrawn)
{
    host.lookerOn = true;
    host.own = 1; // the watched chair
    auto hidden = Deal("3a 3b 3c", 1);
    for (auto* card : hidden)
        card->cardId = -1;
    std::vector<int> two = game::testing::Cards("9c Kb");
    EXPECT_FALSE(hand.SetSeatCards(1, two.data(), 2)); // not the hand's count
    EXPECT_FALSE(hand.HasMarkedCard());

    std::vector<int> shown = game::testing::Cards("3a Kb 9c");
    shown.push_back(-1);
    ASSERT_TRUE(hand.SetSeatCards(1, shown.data(), 4));
    EXPECT_EQ(HandLeftToRight(), "Kb 9c 3a");
    EXPECT_EQ(hidden[0]->faceUp, 1);
    EXPECT_EQ(hidden[2]->count, 3);
    EXPECT_TRUE(hand.HasMarkedCard());

    EXPECT_EQ(hand.HideShownCards(), 3);
    EXPECT_FALSE(hand.HasMarkedCard());
    EXPECT_EQ(hidden[1]->cardId, -1);
}

} // namespace
