#pragma once
// A whole deal of this game driven through the table's own rules, as the
// scripted game server drives it: start checks, the deal, plays and passes
// chosen by a simple policy (the smallest play that beats the table, else
// pass), validation and turn rules, then scoring and settlement.

#include "table/FriendCardRules.h"

#include <vector>

namespace table::testing {

struct SimulatedPlay {
    int chair = -1;
    PlayRecord play; // type 0: a pass
};

struct DealOutcome {
    int startCode = 0;
    bool finished = false;     // the deal reached its end
    bool allValid = true;      // every play the policy chose was accepted
    std::vector<SimulatedPlay> plays;
    FriendResultInfo result;
    int scoreBefore[kFriendChairs] = {};
    int silverBefore[kFriendChairs] = {};
};

class DealSimulator {
public:
    // Four players with the given silver on a silver table (fee kind 6).
    explicit DealSimulator(int silver = 1000000, int baseSilverArg = 10);

    DealOutcome RunDeal(uint32_t seed);
    FriendCardRules& Rules() { return m_rules; }
    StartParams& Params() { return m_params; }

private:
    FriendCardRules m_rules;
    StartParams m_params {};
    PlayList m_list;
    PlayMessage m_message;
    PlayRecord m_hint;
    const PlayRecord m_none; // the play to beat when leading
};

} // namespace table::testing
