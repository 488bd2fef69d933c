#include "table/Cards.h"

namespace table {

namespace {

int StandardValue(int id, int)
{
    return CardValue(id);
}
int StandardSuit(int id, int)
{
    return CardSuit(id);
}
int StandardFace(int id, int)
{
    return CardFace(id);
}
int StandardPoints(int id, int)
{
    return CardPoints(id);
}
int StandardOrder(int id, int level, int)
{
    return CardOrder(id, level);
}
int StandardMapOrder(int value, int level, int)
{
    return MapOrderValue(value, level);
}

constexpr CardFunctions kStandard { StandardValue, StandardSuit, StandardFace, StandardPoints, StandardOrder,
    StandardMapOrder };

// Process-wide by design: the rules of every table read the set stored last.
CardFunctions g_functions = kStandard;

} // namespace

namespace {
// Values of the 54 faces; the functions below are on every recogniser's path.
struct FaceTable {
    int value[kFacesPerDeck];
    constexpr FaceTable()
        : value()
    {
        for (int k = 0; k < kFacesPerDeck; ++k)
            value[k] = k == kSmallJokerFace ? kSmallJokerValue : (k == kBigJokerFace ? kBigJokerValue : k % 13 + 1);
    }
};
constexpr FaceTable kFaces;
} // namespace

int CardValue(int id)
{
    if (id < 0)
        return 0;
    return kFaces.value[id % kFacesPerDeck];
}

int CardSuit(int id)
{
    if (id < 0)
        return -1;
    int k = id % kFacesPerDeck;
    return k < 52 ? k / 13 : kJokerSuit;
}

int CardFace(int id)
{
    if (id < 0)
        return 0;
    return id % kFacesPerDeck % 13 + 1;
}

int CardPoints(int id)
{
    switch (CardValue(id)) {
    case 4: return 5;   // the five
    case 9:             // the ten
    case 12: return 10; // the king
    default: return 0;
    }
}

int MapOrderValue(int value, int level)
{
    if (value == kSmallJokerValue)
        return kSmallJokerOrder;
    if (value == kBigJokerValue)
        return kBigJokerOrder;
    if (value == level)
        return kLevelOrder;
    return value;
}

int CardOrder(int id, int level)
{
    return MapOrderValue(CardValue(id), level);
}

const CardFunctions& StandardCardFunctions()
{
    return kStandard;
}

void StoreCardFunctions(const CardFunctions& functions)
{
    g_functions = functions;
}

int CallCardValue(int id, int options)
{
    if (g_functions.value == StandardValue)
        return CardValue(id);
    return g_functions.value(id, options);
}

int CallCardSuit(int id, int options)
{
    if (g_functions.suit == StandardSuit)
        return CardSuit(id);
    return g_functions.suit(id, options);
}

int CallCardFace(int id, int options)
{
    return g_functions.face(id, options);
}

int CallCardOrder(int id, int level, int options)
{
    return CallMapOrderValue(CallCardValue(id, options), level, options);
}

int CallMapOrderValue(int value, int level, int options)
{
    if (g_functions.mapOrder == StandardMapOrder)
        return MapOrderValue(value, level);
    return g_functions.mapOrder(value, level, options);
}

int FillMinusOne(int* list, int n)
{
    for (int i = 0; i < n; ++i)
        list[i] = kNoCard;
    return n;
}

int SumInts(const int* list, int n)
{
    int sum = 0;
    for (int i = 0; i < n; ++i)
        sum += list[i];
    return sum;
}

int CountCardValues(const int* cards, int n, int* histogram, int options)
{
    int added = 0;
    for (int i = 0; i < n && cards[i] >= 0; ++i) {
        int value = CallCardValue(cards[i], options);
        if (value > 0 && value < kHistogramSize) {
            ++histogram[value];
            ++added;
        }
    }
    return added;
}

bool CoversCounts(const int* have, const int* need, int n)
{
    for (int i = 1; i < n; ++i) {
        if (need[i] != 0 && have[i] < need[i])
            return false;
    }
    return true;
}

bool ContainsValue(const int* list, int n, int value)
{
    if (value < 0)
        return false;
    for (int i = 0; i < n; ++i) {
        if (list[i] != -1 && list[i] == value)
            return true;
    }
    return false;
}

bool AllHaveMask(const int* list, int n, int mask)
{
    for (int i = 0; i < n; ++i) {
        if ((list[i] & mask) != mask)
            return false;
    }
    return true;
}

bool AnyHasMask(const int* list, int n, int mask)
{
    for (int i = 0; i < n; ++i) {
        if ((list[i] & mask) == mask)
            return true;
    }
    return false;
}

} // namespace table
