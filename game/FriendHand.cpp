#include "game/FriendHand.h"

#include "game/FriendCardSprite.h"
#include "table/FriendCardRules.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace game {

std::unique_ptr<table::CardTable> FriendHandRules::MakeTable() const
{
    return std::make_unique<table::FriendCardRules>();
}

int FriendHandRules::PlayMask() const
{
    return table::kFriendPlayMask;
}

FriendHand::FriendHand(CardHandHost& host)
    : CardHand(host, std::make_unique<FriendHandRules>())
{
}

void FriendHand::SortHand(int mode)
{
    CardHand::SortHand(mode);
    std::vector<FriendCardSprite*> hand;
    for (CardSprite* card : Host().Cards())
        if (auto* own = dynamic_cast<FriendCardSprite*>(card);
            own && own->state == kCardInHand && own->ownerChair == Host().OwnChair())
            hand.push_back(own);
    std::stable_sort(hand.begin(), hand.end(), [](const FriendCardSprite* a, const FriendCardSprite* b) {
        const int ga = a->HasGroup() ? a->GetGroup() : INT_MAX;
        const int gb = b->HasGroup() ? b->GetGroup() : INT_MAX;
        return ga != gb ? ga < gb : a->order < b->order;
    });
    for (size_t k = 0; k < hand.size(); ++k) {
        hand[k]->order = static_cast<int>(k);
        hand[k]->Update();
    }
}

bool FriendHand::CountsInSort(const CardSprite& card) const
{
    const auto* own = dynamic_cast<const FriendCardSprite*>(&card);
    return !own || !own->HasGroup();
}

void FriendHand::ToggleSortByCount()
{
    switch (GetSortMode()) {
    case kSortByCountDown: ResortAs(kSortByCountUp); break;
    case kSortByCountUp: ResortAs(kSortByCountDown); break;
    default: ResortAs(kSortByCountDown, true); break;
    }
}

bool FriendHand::HintSearch(const int* ids, int n, int /*typeMask*/, bool select)
{
    DeselectAll();
    std::vector<int> jokers;
    int small = 0;
    int big = 0;
    for (int i = 0; ids && i < n; ++i) {
        const int value = table::CardValue(ids[i]);
        if (ids[i] < 0 || (value != table::kSmallJokerValue && value != table::kBigJokerValue))
            continue;
        jokers.push_back(ids[i]);
        (value == table::kSmallJokerValue ? small : big) += 1;
    }
    if (small >= 2 && big >= 2 && select)
        SelectCards(jokers.data(), static_cast<int>(jokers.size()));
    UpdateThrowButton();
    return true;
}

TurnStart FriendHand::CheckTurnStart()
{
    if (IsLeading())
        return TurnStart::kLeading;
    const std::vector<int> hand = GetHandCards();
    const int n = static_cast<int>(hand.size());
    const table::PlayRecord& last = Host().LastPlayRecord();
    table::PlayRecord found;
    const bool beats = n == 0 || Rules().FindBeatingPlay(hand.data(), n, last, found, Rules().PlayMask(), false)
        || Rules().FindBeatingPlay(hand.data(), n, last, found, Rules().PlayMask(), true);
    ClearHintCursors();
    if (beats)
        return TurnStart::kCanPlay;
    return n < kAutoPassBelow ? TurnStart::kPassAutomatically : TurnStart::kShowPassHint;
}

} // namespace game
