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

namespace detail {
bool g_standardFunctionsStored = true;

int CallStoredValue(int id, int options)
{
    return g_functions.value(id, options);
}

int CallStoredSuit(int id, int options)
{
    return g_functions.suit(id, options);
}

int CallStoredMapOrder(int value, int level, int options)
{
    return g_functions.mapOrder(value, level, options);
}
} // namespace detail

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

const CardFunctions& StandardCardFunctions()
{
    return kStandard;
}

void StoreCardFunctions(const CardFunctions& functions)
{
    g_functions = functions;
    detail::g_standardFunctionsStored = functions.value == kStandard.value && functions.suit == kStandard.suit
        && functions.mapOrder == kStandard.mapOrder;
}

int CallCardFace(int id, int options)
{
    return g_functions.face(id, options);
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
