#pragma once
// The robot player of the table server, and the automatic play of a person
// whose turn ran out: both choose with the rules' own play search.
//
// The policy: lead with the lowest group (the whole group of the lowest
// value that is no bomb), beat when it can with the smallest play of the
// same kind, keep bombs for when they matter (an opponent close to going out,
// or the own hand nearly done), and never beat the partner once the partner
// is known (the friend always knows the banker; the others learn who the
// friend is when the called card's twin is played).

#include "table/FriendCardRules.h"

namespace tools {

struct RobotMove {
    bool pass = true;
    table::PlayRecord play; // read the way a client reads its selection
};

class Robot {
public:
    // Hand sizes at or below which a bomb is worth spending.
    static constexpr int kOpponentShortHand = 10;
    static constexpr int kOwnShortHand = 12;

    // The move of the chair holding the turn. A leader always gets a play.
    static RobotMove Choose(table::FriendCardRules& rules, int chair);

    // The smallest play of the hand that beats start (type 0: any lead), tried
    // kind by kind with the rules' builders; bombs and four jokers only when
    // allowed. The table's wildcard option is set as asked for the search
    // and restored afterwards.
    static bool FindBeating(table::FriendCardRules& rules, const int* hand, int n, const table::PlayRecord& start,
        table::PlayRecord& out, bool wildcards, bool bombs);

    // The reading a client sends for a set of cards: the rules' readings of
    // exactly those cards, the strongest when leading, else one that beats the
    // last play. False when the cards make no play.
    static bool ReadPlay(table::FriendCardRules& rules, int chair, const int* cards, int n, table::PlayRecord& out);

private:
    static bool Lead(table::FriendCardRules& rules, int chair, const int* hand, int n, table::PlayRecord& out);
    static bool Follow(table::FriendCardRules& rules, int chair, const int* hand, int n, table::PlayRecord& out);
};

} // namespace tools
