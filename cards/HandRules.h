#pragma once
// The rules questions of the card table's hand: which plays a selection
// forms, which of them to send, and the search for the next play of a hand
// that beats a given one. Every question builds a rules object of its own and
// drops it with the answer, so the view never shares rule state (options,
// level, stored card functions) with anything else.
//
// The search tries the builders of the rules in a fixed order and keeps the
// first play that beats the start; passing the result back in as the next
// start yields the next larger play, which is how hints cycle.

#include "table/CardTable.h"

#include <memory>
#include <optional>

namespace game {

class HandRules {
public:
    virtual ~HandRules() = default;

    // A fresh rules object for one question: the card layer's table of up to
    // eight chairs, four decks and 64-card hands, jokers as themselves.
    virtual std::unique_ptr<table::CardTable> MakeTable() const;
    // Every play type this layer plays.
    virtual int PlayMask() const { return table::kCardTablePlayMask; }
    // The largest bomb the search builds (cards, jokers standing in
    // included).
    virtual int LongestBomb() const { return 8; }

    // The weakest play of the hand that beats start (type 0: any play) among
    // the types of typeMask, written to result. Straights, runs and bombs are
    // tried shortest first; FindBeatingPlayAlt tries them longest first.
    // Without wildcards the jokers count as themselves even where the rules
    // would make them wildcards.
    virtual bool FindBeatingPlay(const int* hand, int n, const table::PlayRecord& start, table::PlayRecord& result,
        int typeMask, bool wildcards) const;
    virtual bool FindBeatingPlayAlt(const int* hand, int n, const table::PlayRecord& start,
        table::PlayRecord& result, int typeMask, bool wildcards) const;

    // The play the cards form as the chair would send it: the strongest
    // reading when leading (last null), else a reading that beats last.
    // Nothing when the cards form no play (or none that may follow).
    virtual std::optional<table::PlayRecord> ChoosePlay(
        int chair, const int* ids, int n, const table::PlayRecord* last) const;

protected:
    bool Search(const int* hand, int n, const table::PlayRecord& start, table::PlayRecord& result, int typeMask,
        bool wildcards, bool longestFirst) const;
};

} // namespace game
