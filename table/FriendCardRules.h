#pragma once
// This game's rules: two decks dealt to four chairs, the jokers as wildcards
// (option bit 0x1), a level that lifts every two above the ace, and the play
// types single, pair, triple, straight (5 to 12), pair run (3 to 12 pairs),
// bomb (4 or more of a value) and four jokers, plus the combinations only
// its builders make: joker bombs, 5-10-K, quads, quad runs and the triple
// with a pair.

#include "table/CardTable.h"
#include "table/FriendRecords.h"

#include "platform/IniFile.h"

#include <memory>
#include <span>

namespace table {

// This game's result: the generic record, then the teams' outcome, places,
// hands and bonuses (1408 bytes).
struct FriendResultInfo {
    ResultRecord base;
    int teamResult = 0; // 1 partner second, 2 partner third, 3 partner last
    int place[kFriendChairs] = {};
    int cardsLeft[kFriendChairs][kFriendHandSize];
    int leftCount[kFriendChairs] = {};
    int bonus[kFriendChairs] = {};
    int constant5 = 5;
    int baseAmount = 0;
    int dealt[kFriendChairs][kFriendHandSize];
    int friendChair = -1;
    int prepared = 0;

    FriendResultInfo();
    static constexpr size_t kWireSize = 1408;
    static bool Read(std::span<const uint8_t> bytes, FriendResultInfo& out);
    bool Write(std::span<uint8_t> bytes) const;
};
static_assert(FriendResultInfo::kWireSize == ResultRecord::kWireSize + 976);

// The parameters every table of this game is built with.
GameTableArgs FriendGameTableArgs();
CardTableArgs FriendCardTableArgs();

class FriendCardRules : public CardTable {
public:
    FriendCardRules();
    FriendCardRules(const GameTableArgs& table, const CardTableArgs& cards);
    ~FriendCardRules() override;

    // --- Table side: deal, turns and the table state (FriendTable.cpp) ---
    void Reset(bool full) override;
    int ResetRound() override;
    int PrepareState() override;
    void DealCards() override;
    int DealCardTo(int chair) override;
    int MoveCardOwner(int from, int to, int id) override;
    int SetCardState(int id, int owner, int state) override;
    const CardRecord* FindCard(int id) const override;
    int GetHandCards(int chair, int* out) const override;
    int GetHighestCard(int chair) const override;
    // Every listed card is the chair's and still in its hand.
    bool OwnsCards(int chair, const int* cards, int n) const override;
    void ClearTableCardsOf(int chair) override;
    void ClearTableCards() override;
    // The chair holds the turn, owns every card once, the count matches, and
    // the reading the rules find for the cards is exactly the claimed play
    // and beats the last play.
    bool ValidatePlay(const PlayMessage& message) override;
    int ApplyPlay(PlayMessage& message) override;
    int OnTurnTimer(int chair) override;
    void OnPlayApplied() override;
    int CheckChairFinished(PlayMessage& message) override;
    int AdvanceTurn(PlayMessage& message) override;
    int AssignTeams() override { return 2; }
    int GetPartnerChair(int chair) const override;
    int ChooseBanker() override;
    int ChooseRoundBanker(const int* a, int b) override;
    virtual int ChairOfPlace(int place) const;
    void FillSnapshot(std::span<uint8_t> out) override;
    // The start record for a chair: the header, and the chair's cards unless
    // none is set. Returns the bytes written (216), 0 when out is too short.
    int FillStartInfo(std::span<uint8_t> out, int chair, bool none);
    // The per-seat copy of the state (5488 bytes), 0 when out is too short.
    int FillTableState(std::span<uint8_t> out, int chair, bool hideAll);
    int FillTableInfo(std::span<uint8_t> out) const override;
    int GetTableStateSize() const override { return static_cast<int>(FriendTableState::kWireSize); }
    int GetStartInfoSize() const override { return static_cast<int>(FriendStartInfo::kWireSize); }

    // --- Scoring (FriendScoring.cpp) ---
    int ScorePlay(int chair, const PlayRecord& play) override;
    int ScoreChair(int chair) override;
    int ComputeScores(ResultRecord& result, int a, int b, int* values) override;
    int ComputeChanges(ResultRecord& result, int a, int* scoreChanges, int* silverChanges) override;
    int GetResultSize() const override { return static_cast<int>(FriendResultInfo::kWireSize); }
    // Fills this game's result and settles it (FinishRound's first step).
    int FillFriendResult(FriendResultInfo& result, int a, int b);
    int FinishFriendRound(FriendResultInfo& result, int a, int b, bool prepareOnly, const TitleMap* titles);
    std::string GetServerIniPath() const override;
    // Whether score won now by a mobile player is doubled, and by how much
    // (1 outside the period).
    int MobileDoubleFactor() const;

    // --- State access ---
    const FriendTableState& State() const { return *m_state; }
    FriendTableState& MutableState() { return *m_state; }
    int GetCalledCard() const { return m_calledCard; }
    int GetFriendChair() const { return m_friendChair; }
    int GetPresetBanker() const { return m_presetBanker; }
    void SetPresetBanker(int chair) { m_presetBanker = chair; }
    void SetEndAtNextFinish(bool end) { m_endAtNextFinish = end; }
    const int* DealtHand(int chair) const { return m_dealt[chair]; }
    int GetHistoryCount() const { return m_historyCount; }
    int GetHistory(int chair, int round) const { return m_history[chair][round]; }
    int GetHistoryTotal(int chair) const { return m_historyTotal[chair]; }

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

    // The chair's hand as lists: groups of four or more ordinary cards of a
    // value at the front, jokers at the back.
    void ListHand(int chair);
    void ListCard(int chair, int id, bool front);
    CardRecord* CardOf(int id);
    // Keeps the held-card masks in step with a card record after a change.
    void RefreshHeld(int id);
    void ClearHeld();
    int LeadAfterClosedRound(int winner) const;

    std::unique_ptr<FriendTableState> m_state;
    int m_cardIndex[kFriendCards]; // id -> index into the state's card records
    // Per chair, the indexes of the card records in its hand (bits 0..107).
    uint64_t m_held[kFriendChairs][2] = {};
    // Per chair, the indexes of its card records lying on the table.
    uint64_t m_onTable[kFriendChairs][2] = {};
    int m_dealt[kFriendChairs][kFriendHandSize];
    int m_dealMode = 0;
    int m_presetBanker = -1;
    int m_unusedWord = -1;
    bool m_endAtNextFinish = false;
    int m_history[kFriendChairs][kHistoryRounds] = {};
    int m_historyTotal[kFriendChairs] = {};
    int m_historyCount = 0;
    int m_lastSign[kFriendChairs] = {};
    int m_calledCard = -1;
    int m_calledRound = 0;
    int m_friendChair = -1;
    PlayList m_scratchList; // ValidatePlay's readings
    FriendResultInfo* m_filling = nullptr; // the result being filled, during FillFriendResult
    // The rules file as read once for the round being finished (null outside
    // FinishFriendRound, when each look-up reads the file itself).
    const platform::IniSnapshot* m_rulesFile = nullptr;
};

// The process-wide rules instance that the card sprites ask whether a card is
// a wildcard.
FriendCardRules& SharedFriendRules();

} // namespace table
