#pragma once
// The line the table server prints and the recording client writes once a
// deal is settled, in one wording, so the end-to-end check can set the
// client's line beside the server's and find them equal.

#include "table/FriendCardRules.h"

#include <array>
#include <string>

namespace tools {

// Four words, one a chair, with a space between.
template <class Words>
std::string WordRow(const Words& words)
{
    std::string text;
    for (const int w : words)
        text += (text.empty() ? "" : " ") + std::to_string(w);
    return text;
}

// "settled D: score changes ..; silver changes ..; scores ..; silver .."
// with the result's changes and each chair's totals after the deal.
inline std::string SettlementLine(
    int deal, const table::FriendResultInfo& result, const std::array<int, 4>& scores, const std::array<int, 4>& silver)
{
    std::array<int, 4> scoreChanges {};
    std::array<int, 4> silverChanges {};
    for (size_t c = 0; c < 4; ++c) {
        scoreChanges[c] = result.base.scoreChange[c];
        silverChanges[c] = result.base.silverChange[c];
    }
    return "settled " + std::to_string(deal) + ": score changes " + WordRow(scoreChanges) + "; silver changes "
        + WordRow(silverChanges) + "; scores " + WordRow(scores) + "; silver " + WordRow(silver);
}

} // namespace tools
