#include "HintSearch.h"

namespace table::testing {

namespace {
bool Within(int type, int mask)
{
    return (type & mask) == type;
}
} // namespace

bool FindBeatingPlay(CardTable& rules, const int* hand, int n, const PlayRecord& start, PlayRecord& result,
    int typeMask, bool wildcards)
{
    const int savedOptions = rules.GetOptions();
    rules.SetOptions(wildcards ? savedOptions | kOptionWildcards : savedOptions & ~kOptionWildcards);
    int histogram[kHistogramSize] = {};
    int wild = 0;
    rules.CountCardsByValue(hand, n, histogram, kHistogramSize, &wild);

    const int t = start.type;
    bool found = false;
    // A builder leaves the record as it was when it fails, so one copy of
    // the start serves every step.
    PlayRecord trial = start;
    auto attempt = [&](auto build) {
        if (found)
            return;
        if (build(trial)) {
            if (rules.CanBeat(start, trial)) {
                result = trial;
                found = true;
            } else {
                trial = start;
            }
        }
    };
    const int* h = histogram;
    const int hs = kHistogramSize;
    if ((typeMask & CT_SINGLE) && Within(t, CT_SINGLE))
        attempt([&](PlayRecord& r) { return rules.BuildSingle(hand, n, h, hs, wild, r); });
    if ((typeMask & CT_PAIR) && Within(t, CT_PAIR))
        attempt([&](PlayRecord& r) { return rules.BuildPair(hand, n, h, hs, wild, r); });
    if ((typeMask & CT_TRIPLE) && Within(t, CT_TRIPLE))
        attempt([&](PlayRecord& r) { return rules.BuildTriple(hand, n, h, hs, wild, r); });
    if ((typeMask & CT_TRIPLE_PAIR) && Within(t, CT_TRIPLE_PAIR))
        attempt([&](PlayRecord& r) { return rules.BuildTriplePair(hand, n, h, hs, wild, r); });
    if ((typeMask & CT_STRAIGHT) && Within(t, CT_STRAIGHT)) {
        for (int len = 5; len <= 12; ++len)
            attempt([&](PlayRecord& r) { return rules.BuildStraight(hand, n, h, hs, wild, r, len); });
    }
    if ((typeMask & CT_PAIR_RUN) && Within(t, CT_PAIR_RUN)) {
        for (int len = 2; len <= 12; ++len)
            attempt([&](PlayRecord& r) { return rules.BuildPairRun(hand, n, h, hs, wild, r, len); });
    }
    if ((typeMask & CT_TRIPLE_RUN) && Within(t, CT_TRIPLE_RUN)) {
        for (int len = 2; len <= 12; ++len)
            attempt([&](PlayRecord& r) { return rules.BuildTripleRun(hand, n, h, hs, wild, r, len); });
    }
    if ((typeMask & CT_TRIPLE_PAIR_RUN) && Within(t, CT_TRIPLE_PAIR_RUN)) {
        for (int len = 2; len <= 12; ++len)
            attempt([&](PlayRecord& r) { return rules.BuildTriplePairRun(hand, n, h, hs, wild, r, len); });
    }
    if ((typeMask & CT_BOMB) && Within(t, 0x1767)) {
        for (int size = 4; size <= 8; ++size)
            attempt([&](PlayRecord& r) { return rules.BuildBomb(hand, n, h, hs, wild, r, size); });
    }
    if ((typeMask & CT_STRAIGHT_FLUSH) && t == 0)
        attempt([&](PlayRecord& r) { return rules.BuildStraightFlush(hand, n, h, hs, wild, r, 5); });
    if ((typeMask & CT_BIG_BOMB) && t == 0)
        attempt([&](PlayRecord& r) { return rules.BuildBigBomb(hand, n, h, hs, wild, r, 0); });
    if ((typeMask & CT_FOUR_JOKERS) && Within(t, 0x81767))
        attempt([&](PlayRecord& r) { return rules.BuildFourJokers(hand, n, h, hs, wild, r); });

    rules.SetOptions(savedOptions);
    return found;
}

} // namespace table::testing
