// This game's hand: what may be thrown and what the hints offer under this
// game's rules (no triple with a pair, no triple runs), the four jokers of
// the bomb button, the pass by itself with fewer than 4 cards left, the
// count sort's first direction, and the long drag while leading.

#include "tests/cards/HandFixture.h"

#include "game/FriendHand.h"

#include <gtest/gtest.h>

namespace {

using game::HintOutcome;
using game::TurnStart;
using game::testing::Cards;
using game::testing::ValuesOf;

class FriendHandTest : public game::testing::HandTest {
protected:
    game::FriendHand friendHand { host };

    // The play these cards form under this game's rules, as chair 1 threw it.
    void FriendLastPlay(const std::string& names)
    {
        const std::vector<int> ids = Cards(names);
        const auto play = game::FriendHandRules().ChoosePlay(1, ids.data(), static_cast<int>(ids.size()), nullptr);
        ASSERT_TRUE(play.has_value()) << names;
        host.last = *play;
        host.lastChair = 1;
    }
    void FriendSelect(const std::string& names)
    {
        const std::vector<int> ids = Cards(names);
        friendHand.SelectCards(ids.data(), static_cast<int>(ids.size()));
    }
};

TEST_F(FriendHandTest, OnlyThisGamesPlayTypesMayBeThrown)
{
    struct Case {
        const char* selected;
        bool game;      // this game lets it be thrown when leading
        bool cardLayer; // the card layer's rules would
    };
    const Case cases[] = {
        { "3a", true, true },
        { "9a 9b", true, true },
        { "9a 9b 9c", true, true },
        { "3a 4b 5c 6d 7a", true, true },
        { "3a 3b 4a 4b 5a 5b", true, true },
        { "9a 9b 9c 9d", true, true },
        { "SJ SJ2 BJ BJ2", true, true },
        { "3a 3b 3c 4a 4b", false, true },       // triple with a pair
        { "3a 3b 3c 4a 4b 4c", false, true },    // triple run
        { "3a 4b", false, false },
    };
    Deal("3a 3b 3c 4a 4b 4c 5a 5b 5c 6d 7a 9a 9b 9c 9d SJ SJ2 BJ BJ2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        friendHand.DeselectAll();
        FriendSelect(c.selected);
        EXPECT_EQ(friendHand.UpdateThrowButton(), c.game);
        hand.DeselectAll();
        Select(c.selected);
        EXPECT_EQ(hand.UpdateThrowButton(), c.cardLayer);
    }
}

TEST_F(FriendHandTest, HintsOfferPlainPlaysBeforeJokersStandInForCards)
{
    // Whole groups first, jokers as themselves before they stand in for
    // other cards: the card layer's order would offer the fives with two
    // jokers as a bomb right after the pair of fives.
    Deal("3a 5a 5b 8c 8d 8a 9a 9b 9c 9d SJ SJ2 BJ BJ2");
    friendHand.SortHand(1);
    FriendLastPlay("4a 4b");
    const char* expected[] = {
        "5a 5b", "SJ SJ2", "BJ BJ2", "9a 9b 9c 9d", "SJ SJ2 BJ BJ2", // whole groups
        "5a 5b", "8a 8c", "9a 9b", "SJ SJ2",                         // then every answer
    };
    int press = 0;
    for (const char* want : expected) {
        SCOPED_TRACE(press++);
        ASSERT_EQ(friendHand.OnHintClicked(), HintOutcome::kSelected);
        EXPECT_EQ(ValuesOf(friendHand.GetSelectedCards()), ValuesOf(Cards(want))) << Selected();
        EXPECT_TRUE(host.throwEnabled);
    }
}

TEST_F(FriendHandTest, NothingToAnswerPassesByItselfBelowFourCards)
{
    struct Case {
        const char* hand;
        const char* last;
        TurnStart start;
    };
    const Case cases[] = {
        // Three cards facing a pair: the card layer would only show the hint.
        { "3a 4b 5c", "Aa Ab", TurnStart::kPassAutomatically },
        { "3a 4b 5c 6d", "Aa Ab", TurnStart::kShowPassHint },
        { "3a 4b 7c", "5a", TurnStart::kCanPlay },
        { "3a 3b", "BJ", TurnStart::kPassAutomatically },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hand);
        host.cards.clear();
        host.owned.clear();
        Deal(c.hand);
        FriendLastPlay(c.last);
        EXPECT_EQ(friendHand.CheckTurnStart(), c.start);
    }
}

TEST_F(FriendHandTest, BombButtonTakesFourJokersOnlyWhenAllFourAreThere)
{
    struct Case {
        const char* hand;
        const char* selected;
    };
    const Case cases[] = {
        { "3a 7a 7b 7c 7d SJ SJ2 BJ BJ2", "7a 7b 7c 7d SJ SJ2 BJ BJ2" },
        { "3a 7a 7b 7c 7d SJ BJ BJ2", "7a 7b 7c 7d" },
        { "3a SJ SJ2 BJ", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hand);
        host.cards.clear();
        host.owned.clear();
        Deal(c.hand);
        friendHand.ResetRoundState();
        friendHand.SelectBombs(game::kSelectBombsCode);
        EXPECT_EQ(ValuesOf(friendHand.GetSelectedCards()), ValuesOf(Cards(c.selected)));
    }
}

TEST_F(FriendHandTest, CountSortStartsWithTheLargestGroups)
{
    Deal("3a 9a 9b 9c 5a 5b");
    EXPECT_EQ(friendHand.GetSortMode(), game::kSortBySizeDown);
    friendHand.ToggleSortByCount();
    EXPECT_EQ(friendHand.GetSortMode(), game::kSortByCountDown);
    EXPECT_EQ(friendHand.GetPreviousSortMode(), game::kSortBySizeDown);
    friendHand.ToggleSortByCount();
    EXPECT_EQ(friendHand.GetSortMode(), game::kSortByCountUp);
    friendHand.ToggleSortByCount();
    EXPECT_EQ(friendHand.GetSortMode(), game::kSortByCountDown);
    EXPECT_EQ(HandLeftToRight(), "9c 9b 9a 5b 5a 3a");
}

TEST_F(FriendHandTest, LongDragWhileLeadingKeepsTheStraight)
{
    // 33 44 55 6 7 is no play; the straight 3-7 scores 5 + 1000 x 5 and the
    // pair run 33 44 55 only 6 + 1000 x 3.
    auto cards = Deal("3a 3b 4a 4b 5a 5b 6a 7a 9c Kd");
    friendHand.OnCardPress(*cards[0]);
    friendHand.OnCardDrag(*cards[0], 5000);
    friendHand.OnCardDrag(*cards[0], cards[7]->GetHandPosition().x - cards[7]->GetHandWidth() / 2 + 2);
    friendHand.OnCardRelease(*cards[0], 100);
    EXPECT_EQ(ValuesOf(friendHand.GetSelectedCards()), ValuesOf(Cards("3a 4a 5a 6a 7a")));
    EXPECT_TRUE(host.throwEnabled);
}

} // namespace
