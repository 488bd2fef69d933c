#pragma once
// This game's hand: the card layer's hand logic asked with this game's
// rules (two decks, four chairs, 27-card hands, the play types of
// table::kFriendPlayMask), the arranged groups kept at the left of the
// hand, the count sort starting with the largest groups, four jokers found
// without a search, and the start of a turn that passes by itself once
// nothing beats the last play and the hand is nearly out.

#include "cards/CardHand.h"
#include "cards/HandRules.h"

#include <memory>

namespace game {

class FriendHandRules : public HandRules {
public:
    // A fresh table of this game's rules for each question.
    std::unique_ptr<table::CardTable> MakeTable() const override;
    int PlayMask() const override;
    // Two decks and four jokers make bombs of up to 12 cards.
    int LongestBomb() const override { return 12; }
};

class FriendHand : public CardHand {
public:
    explicit FriendHand(CardHandHost& host);

    // Arranged groups first, in group order; the other cards by the mode.
    void SortHand(int mode) override;
    // Largest groups first on the first press; then it swaps direction.
    void ToggleSortByCount() override;
    // Two small and two big jokers are taken whole (every joker held);
    // anything else selects nothing.
    bool HintSearch(const int* ids, int n, int typeMask, bool select) override;
    // Nothing beats the last play, first without and then with wildcard
    // jokers: with fewer than 4 cards left the turn passes by itself.
    TurnStart CheckTurnStart() override;

protected:
    // Plain plays are offered before those that use jokers as wildcards.
    bool HintsTryNaturalFirst() const override { return true; }
    // Arranged cards stand apart: the count sort sizes the groups of the
    // cards left unarranged.
    bool CountsInSort(const CardSprite& card) const override;

    // Hand cards a pass by itself waits for (below this count).
    static constexpr int kAutoPassBelow = 4;
};

} // namespace game
