#pragma once
// The hint search of the card-table views, rebuilt here as a test tool: the
// builders are tried one type after the other on a record that starts as a
// copy of the play to beat, and the first play that beats it is the hint.
// Passing the previous hint back in yields the next larger play.

#include "table/CardTable.h"

namespace table::testing {

// True when a play of the hand beats start (type 0: any lead); it is written
// to result. The rules' wildcard option is set as asked for the search and
// restored afterwards.
bool FindBeatingPlay(CardTable& rules, const int* hand, int n, const PlayRecord& start, PlayRecord& result,
    int typeMask, bool wildcards);

} // namespace table::testing
