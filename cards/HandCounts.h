#pragma once
// Counting helpers shared by the parts of the hand logic: value histograms
// of card lists and plays, and the exchange sort the hand is ordered with.

#include "table/Cards.h"
#include "table/PlayRecord.h"

#include <algorithm>
#include <array>
#include <vector>

namespace game::hand_detail {

using table::PlayRecord;

constexpr int kHistogram = table::kHistogramSize;
using Histogram = std::array<int, kHistogram>;

// A search result is strictly above its start, so a cycle through the plays
// of a hand ends; the bound only guards against rules that disagree.
constexpr int kMaxSearchSteps = 512;

inline Histogram CountValues(const int* ids, int n)
{
    Histogram counts {};
    for (int i = 0; i < n; ++i) {
        const int v = table::CardValue(ids[i]);
        if (ids[i] >= 0 && v > 0 && v < kHistogram)
            ++counts[v];
    }
    return counts;
}

inline Histogram CountValues(const std::vector<int>& ids)
{
    return CountValues(ids.data(), static_cast<int>(ids.size()));
}

inline Histogram CountPlayValues(const PlayRecord& play)
{
    return CountValues(play.cards, std::clamp(play.count, 0, table::kMaxPlayCards));
}

// The play takes every hand card of each value it holds: it splits no pair,
// triple or bomb.
inline bool TakesWholeGroups(const PlayRecord& play, const Histogram& hand)
{
    const Histogram taken = CountPlayValues(play);
    for (int v = 1; v < kHistogram; ++v) {
        if (taken[v] > 0 && taken[v] < hand[v])
            return false;
    }
    return true;
}

inline bool Covers(const Histogram& have, const Histogram& need)
{
    return table::CoversCounts(have.data(), need.data(), kHistogram);
}

// The exchange sort of the hand: for every i < j the pair is swapped when it
// is out of the direction (equal keys stay as they are).
template <typename T>
void ExchangeSort(std::vector<T>& items, std::vector<int>& keys, bool largestFirst)
{
    const size_t n = items.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            const bool swap = largestFirst ? keys[j] > keys[i] : keys[j] < keys[i];
            if (swap) {
                std::swap(items[i], items[j]);
                std::swap(keys[i], keys[j]);
            }
        }
    }
}

} // namespace game::hand_detail
