#pragma once
// The card-game layer of the table model: card counts and histograms, the
// recognisers of card combinations (a builder and a collector per play
// type), the search for the readings of a selection and the comparison of
// plays. This game's rules derive from it.
//
// Builders look in a set of cards for the weakest combination of their type
// that is stronger than the given record and write it into that record (1),
// or leave the record as it was (0); they never change the caller's cards.
// Collectors decide whether a selection of exactly the right size is a
// combination of their type and append its reading to a PlayList.
//
// Single-threaded, like the rest of the table model.

#include "table/Cards.h"
#include "table/GameTable.h"
#include "table/PlayRecord.h"
#include "table/TableRecords.h"

#include <array>
#include <span>

namespace table {

struct CardTableArgs {
    int cardCount = 108;
    int deckCount = 2;
    int handSize = 27;
    std::array<int, 4> four {};
    const uint8_t* block = nullptr; // 64 bytes, copied when given
    std::array<int, 3> three {};
    int highBidMin = 400;
    int lowBidMax = 0;
    int defaultBid = 100;
    CardFunctions functions = StandardCardFunctions();
};

// Option flag bit of the table that makes the jokers wildcards.
constexpr int kOptionWildcards = 0x1;
constexpr int kOptionLowBidsWin = 0x200000;
constexpr int kOptionBidRound = 0x100000;

// The two masks the program searches with.
constexpr int kFriendPlayMask = 0x81147;
constexpr int kCardTablePlayMask = 0x81767;

class CardTable : public GameTable {
public:
    CardTable(const GameTableArgs& table, const CardTableArgs& cards);
    ~CardTable() override = default;

    void Reset(bool full) override;
    int GetTableInfoSize() const override { return 1096; }
    int GetResultSize() const override { return 456; } // of which the generic 432 are filled
    int FillTableInfo(std::span<uint8_t> out) const override;
    int SetPlaying() override;
    int StopPlaying() override;
    int ChooseBanker() override;
    int ChooseRoundBanker(const int* a, int b) override;

    int GetCardCount() const { return m_cardCount; }
    int GetDeckCount() const { return m_deckCount; }
    int GetHandSize() const { return m_handSize; }
    bool WildcardsOn() const { return (m_options & kOptionWildcards) != 0; }
    bool IsValidCard(int id) const { return id >= 0 && id < m_cardCount; }

    // --- Card-table operations, in the order the layer adds them ---
    virtual bool AcceptsEvent(int code) const;
    virtual void FillSnapshot(std::span<uint8_t> out);
    virtual int DealCardTo(int chair);
    virtual int MoveCardOwner(int from, int to, int id);
    virtual void ReservedHook170() {}
    virtual int ReservedHook171() { return 0; }
    virtual int SetCardState(int id, int owner, int state);
    virtual void ClearTableCardsOf(int chair);
    virtual void ClearTableCards();
    virtual int GetHighestCard(int chair) const;
    // The record of a card of the deal, null when there is none.
    virtual const CardRecord* FindCard(int id) const;
    virtual int GetHandCards(int chair, int* out) const;
    // Every entry other than -1 names a card owned by the chair.
    virtual bool OwnsCards(int chair, const int* cards, int n) const;
    virtual bool IsTurnOf(const PlayMessage& message) const;
    virtual bool ValidatePlay(const PlayMessage& message);
    virtual int ApplyPlay(PlayMessage& message);
    virtual int OnTurnTimer(int chair);
    virtual int ScorePlay(int chair, const PlayRecord& play);
    virtual int ScoreChair(int chair);
    virtual void OnPlayApplied();
    virtual int CheckChairFinished(PlayMessage& message);
    virtual int AdvanceTurn(PlayMessage& message);
    virtual void SetLevel(int level);
    virtual int GetLevel();
    virtual int CountValidCards(const int* cards, int n) const;
    virtual int GetHandCount(int chair) const;
    virtual int GetPartnerChair(int chair) const;
    // Reads chair (byte 12), passed flag (byte 16) and bid (byte 20).
    virtual int ResolveBid(std::span<const uint8_t> message, int* done);
    virtual int BeginPlayPhase();
    virtual int PermitHook195() { return 1; }
    // Adds the valid cards to the histogram (not cleared first) and returns
    // their number; wildcards go to *wildcards unless every valid card is a
    // wildcard, in which case they are counted at their own values.
    virtual int CountCardsByValue(const int* cards, int n, int* histogram, int histogramSize, int* wildcards);
    virtual bool IsWildcard(int id) const;
    virtual bool IsCountedChair(int chair) const;
    virtual int SumCountedChairs(const int* values, int n, int excluded) const;
    virtual int FindHighestGroup(const int* histogram, int n, int size, int wildcards);
    virtual int FindGroup(const int* histogram, int n, int size, int wildcards, int bound);
    virtual int FindTwoGroups(const int* histogram, int n, int size1, int size2, int wildcards, int bound,
        int* first, int* second);
    virtual int TakeGroupWithWild(int* histogram, int n, int size, int* wildcards);
    virtual int FindPlays(int chair, const int* cards, int n, PlayList& list, int typeMask);
    virtual bool CanBeat(const PlayRecord& previous, const PlayRecord& candidate) const;
    virtual int PickStrongestPlay(PlayList& list) const;
    virtual int PickBeatingPlay(const PlayRecord& previous, PlayList& list) const;
    virtual int FindLowestAbove(const int* histogram, int n, int bound);
    virtual int MoveCardsByValue(int* destination, int destinationLength, int* source, int sourceLength, int value,
        int count, int suit) const;

    // Collector and builder pairs. Builders take the cards, their number, the
    // histogram of CountCardsByValue, its length, the wildcard count and the
    // record to beat (overwritten on success).
    virtual int CollectSingles(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildSingle(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);
    virtual int CollectPairs(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildPair(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);
    virtual int CollectTriples(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildTriple(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);
    virtual int CollectBombs(const int* cards, int n, int valid, PlayList& list);
    // size 0 tries 4 .. 4 x decks and keeps the first size that succeeds.
    virtual int BuildBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int size);
    virtual int CollectBigBombs(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildBigBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int size);
    virtual int CollectTriplePairs(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildTriplePair(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);
    virtual int CollectStraights(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildStraight(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int length);
    virtual int CollectPairRuns(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildPairRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int pairs);
    virtual int CollectTripleRuns(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildTripleRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int triples);
    virtual int CollectTriplePairRuns(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildTriplePairRun(const int* cards, int n, const int* histogram, int histogramSize,
        int wildcards, PlayRecord& record, int groups);
    virtual int CollectStraightFlushes(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildStraightFlush(const int* cards, int n, const int* histogram, int histogramSize,
        int wildcards, PlayRecord& record, int length);
    virtual int CollectFourJokers(const int* cards, int n, int valid, PlayList& list);
    virtual int BuildFourJokers(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record);
    virtual int AddAnyCards(const int* cards, int ignored, int n, PlayList& list);

    // Bid state, for the owner and tests.
    int GetCurrentBid() const { return m_currentBid; }
    int GetBidCount() const { return m_bidCount; }

protected:
    // A 64-entry work list: the valid ids of the given cards, -1 after them.
    // Invalid ids (outside the deck) never become part of a play.
    struct WorkList {
        int cards[kMaxPlayCards];
        int n = 0;
    };
    WorkList MakeWorkList(const int* cards, int n) const;
    int Order(int value) { return CallMapOrderValue(value, GetLevel()); }
    // Takes count cards of the value into the record (MoveCardsByValue);
    // false when the cards ran out.
    bool TakeCards(PlayRecord& into, WorkList& work, int value, int count, int suit) const;
    // The builders of one group of equal values (pair, triple, quad): the
    // lowest group of size cards above record.value, wildcards filling in.
    int BuildSameValueGroup(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int size, int type);
    // Collector frame: checks n and the list, counts the selection, clears
    // the next entry and runs build (once, or while it succeeds); appends
    // on success.
    // A non-owning reference to the builder call of one collector.
    class BuildCall {
    public:
        template <typename F>
        BuildCall(F& f) // NOLINT: implicit from the collector's lambda
            : m_object(&f)
            , m_call([](void* o, const int* h, int w, PlayRecord& r) { return (*static_cast<F*>(o))(h, w, r); })
        {
        }
        int operator()(const int* h, int w, PlayRecord& r) const { return m_call(m_object, h, w, r); }

    private:
        void* m_object;
        int (*m_call)(void*, const int*, int, PlayRecord&);
    };
    int Collect(const int* cards, int n, PlayList& list, bool repeat, BuildCall build);
    // Equal types other than these must also hold equally many cards.
    virtual bool NeedsEqualCount(int type) const;
    // The key of a triple with a pair from the orders of its two values.
    virtual int TwoGroupKey(int firstOrder, int secondOrder) const;
    int BuildBombOfMask(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int size, int mask);
    int BuildRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
        PlayRecord& record, int groups, int perValue, int type, bool lowestHeld);
    bool SortsTakenCards() const { return m_sortTaken; }

    int m_cardCount;
    int m_deckCount;
    int m_handSize;
    std::array<int, 4> m_four;
    std::array<uint8_t, 64> m_block {};
    std::array<int, 3> m_three;
    int m_highBidMin;
    int m_lowBidMax;
    int m_defaultBid;
    struct BidRecord {
        int chair = 0;
        int passed = 0;
        int bid = 0;
    };
    int m_bidCount = 0;
    std::array<BidRecord, 32> m_bids {};
    int m_currentBid = 0;
    std::array<std::array<int, kHistogramSize>, kMaxChairs> m_handHistogram {};
    bool m_sortTaken = true; // this game leaves taken cards in hand order
};

} // namespace table
