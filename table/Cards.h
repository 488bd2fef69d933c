#pragma once
// The card vocabulary shared by every rule and view: card ids, their value,
// suit, face, points and playing order, the play-type flags and the small
// list helpers the recognisers work with.

#include <cstdint>

namespace table {

// A card is an id 0 .. 54 x decks - 1; -1 marks an empty place in any list.
constexpr int kNoCard = -1;
constexpr int kFacesPerDeck = 54;
constexpr int kSmallJokerFace = 52;
constexpr int kBigJokerFace = 53;
constexpr int kJokerSuit = 5;
constexpr int kSmallJokerValue = 14;
constexpr int kBigJokerValue = 15;
constexpr int kHistogramSize = 16; // value buckets, index 0 unused
constexpr int kMaxPlayCards = 64;

// Play-type flags; a play has exactly one, and its mask lists the types it
// may follow.
constexpr int CT_SINGLE = 0x1;
constexpr int CT_PAIR = 0x2;
constexpr int CT_TRIPLE = 0x4;
constexpr int CT_TRIPLE_PAIR = 0x20;
constexpr int CT_STRAIGHT = 0x40;
constexpr int CT_PAIR_RUN = 0x100;
constexpr int CT_TRIPLE_RUN = 0x200;
constexpr int CT_TRIPLE_PAIR_RUN = 0x400;
constexpr int CT_BOMB = 0x1000;
constexpr int CT_STRAIGHT_FLUSH = 0x4000;
constexpr int CT_BIG_BOMB = 0x8000;
constexpr int CT_FIVE_TEN_KING = 0x10000;
constexpr int CT_QUAD_RUN = 0x20000;
constexpr int CT_QUAD = 0x40000;
constexpr int CT_FOUR_JOKERS = 0x80000;
constexpr int CT_ANY = 0x10000000;

// Order values above the ace: the level card, then the two jokers.
constexpr int kLevelOrder = 20;
constexpr int kSmallJokerOrder = 21;
constexpr int kBigJokerOrder = 22;

// The card functions of this game. Ids below 0 have no card: value, face and
// points 0, suit -1. (Inline: every recogniser loop calls them.)
namespace detail {
constexpr int FaceValue(int k)
{
    return k == kSmallJokerFace ? kSmallJokerValue : (k == kBigJokerFace ? kBigJokerValue : k % 13 + 1);
}
struct FaceValues {
    int value[kFacesPerDeck];
    constexpr FaceValues()
        : value()
    {
        for (int k = 0; k < kFacesPerDeck; ++k)
            value[k] = FaceValue(k);
    }
};
inline constexpr FaceValues kFaceValues;
// True while the stored card functions are this game's own set.
extern bool g_standardFunctionsStored;
int CallStoredValue(int id, int options);
int CallStoredSuit(int id, int options);
int CallStoredMapOrder(int value, int level, int options);
} // namespace detail

inline int CardValue(int id)
{
    return id < 0 ? 0 : detail::kFaceValues.value[id % kFacesPerDeck];
}
inline int CardSuit(int id)
{
    if (id < 0)
        return -1;
    int k = id % kFacesPerDeck;
    return k < 52 ? k / 13 : kJokerSuit;
}
int CardFace(int id);
int CardPoints(int id);
// 14 -> 21, 15 -> 22, the level value -> 20, any other value unchanged. A
// level of -1 (or 0) leaves every ordinary value as it is.
inline int MapOrderValue(int value, int level)
{
    if (value == kSmallJokerValue)
        return kSmallJokerOrder;
    if (value == kBigJokerValue)
        return kBigJokerOrder;
    if (value == level)
        return kLevelOrder;
    return value;
}
inline int CardOrder(int id, int level)
{
    return MapOrderValue(CardValue(id), level);
}

// The six card functions a card table is built with. They are kept
// process-wide: every construction of a card table stores its set, and the
// Call* functions below use the set stored last. The trailing option word is
// passed through and used by none of this game's functions.
struct CardFunctions {
    int (*value)(int id, int options);
    int (*suit)(int id, int options);
    int (*face)(int id, int options);
    int (*points)(int id, int options);
    int (*order)(int id, int level, int options);
    int (*mapOrder)(int value, int level, int options);
};

// This game's set (the one every table of the program is built with).
const CardFunctions& StandardCardFunctions();
void StoreCardFunctions(const CardFunctions& functions);

inline int CallCardValue(int id, int options = 0)
{
    return detail::g_standardFunctionsStored ? CardValue(id) : detail::CallStoredValue(id, options);
}
inline int CallCardSuit(int id, int options = 0)
{
    return detail::g_standardFunctionsStored ? CardSuit(id) : detail::CallStoredSuit(id, options);
}
int CallCardFace(int id, int options = 0);
inline int CallMapOrderValue(int value, int level, int options = 0)
{
    return detail::g_standardFunctionsStored ? MapOrderValue(value, level)
                                             : detail::CallStoredMapOrder(value, level, options);
}
// The order is always the mapping of the value; the stored order function is
// never called through the store.
inline int CallCardOrder(int id, int level, int options = 0)
{
    return CallMapOrderValue(CallCardValue(id, options), level, options);
}

// List helpers over int arrays.
int FillMinusOne(int* list, int n);
int SumInts(const int* list, int n);
// Adds each card's value to the histogram (16 buckets), stopping at the first
// negative entry; returns the number added.
int CountCardValues(const int* cards, int n, int* histogram, int options = 0);
// For every index 1 .. n-1 with a non-zero need: have >= need.
bool CoversCounts(const int* have, const int* need, int n);
bool ContainsValue(const int* list, int n, int value);
bool AllHaveMask(const int* list, int n, int mask);
bool AnyHasMask(const int* list, int n, int mask);

} // namespace table
