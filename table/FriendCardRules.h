#pragma once
// This game's rules: two decks dealt to four chairs, the jokers as wildcards
// (option bit 0x1), a level that lifts every two above the ace, and the play
// types single, pair, triple, straight (5 to 12), pair run (3 to 12 pairs),
// bomb (4 or more of a value) and four jokers, plus the combinations only
// its builders make: joker bombs, 5-10-K, quads, quad runs and the triple
// with a pair.

#include "table/CardTable.h"

namespace table {

// The parameters every table of this game is built with.
GameTableArgs FriendGameTableArgs();
CardTableArgs FriendCardTableArgs();

class FriendCardRules : public CardTable {
public:
    FriendCardRules();
    FriendCardRules(const GameTableArgs& table, const CardTableArgs& cards);
    ~FriendCardRules() override = default;

    bool AcceptsEvent(int code) const override;
    int GetLevel() override;
    void SetLevel(int level) override;
    // The four jokers of the two decks (52, 53, 106, 107) while option bit
    // 0x1 is set.
    bool IsWildcard(int id) const override;
    int FindGroup(const int* histogram, int n, int size, int wildcards, int bound) override;
    int FindPlays(int chair, const int* cards, int n, PlayList& list, int typeMask) override;
    int MoveCardsByValue(int* destination, int destinationLength, int* source, int sourceLength, int value,
        int count, int suit) const override;
    int CollectBombs(const int* cards, int n, int valid, PlayList& list) override;
    int BuildBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int size) override;
    int CollectStraights(const int* cards, int n, int valid, PlayList& list) override;
    int BuildStraight(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int length) override;
    int CollectPairRuns(const int* cards, int n, int valid, PlayList& list) override;
    int BuildPairRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int pairs) override;

    // --- Builders this game adds ---
    // The held jokers as one bomb: size 2 to 4 jokers needed, one of them big.
    virtual int BuildJokerBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int size);
    virtual int CollectFiveTenKings(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildFiveTenKing(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);
    virtual int CollectQuadRuns(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildQuadRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int groups);
    virtual int CollectQuads(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildQuad(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);

protected:
    bool NeedsEqualCount(int type) const override;
    int TwoGroupKey(int firstOrder, int secondOrder) const override;

    int m_level = 1;
};

// The process-wide rules instance that the card sprites ask whether a card is
// a wildcard.
FriendCardRules& SharedFriendRules();

} // namespace table
