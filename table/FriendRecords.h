#pragma once
// This game's wire records: the start record of a deal and the table state
// that the server keeps and sends to each seat.

#include "table/PlayRecord.h"
#include "table/TableRecords.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace table {

constexpr int kFriendChairs = 4;
constexpr int kFriendCards = 108;
constexpr int kFriendHandSize = 27;
constexpr int kHistoryRounds = 30;
constexpr int kChairListSize = 28;
constexpr int kChairRecordSize = 27;

// Per-chair record of the table state (indexes of its 27 integers).
enum ChairField {
    kTurnLength = 0,
    kTimeoutLength = 1,
    kTimeoutSeconds = 2,
    kCardsInHand = 3,
    kBombsAtLeast4 = 5,      // 5..9: bombs of at least 4, 5, 6, 7, 8 cards
    kBonusStarted4 = 10,     // 10..13: marks of the 4-, 5-, 6- and 7-card levels
    kChairScore = 14,
    kJokersPlayed = 15,
    kBombsExactly4 = 16,     // 16..20: bombs of exactly 4, 5, 6, 7, 8 cards
    kSameColourBombs = 21,
    kAllFourJokers = 22,
};

// The header of the table state and the record each seat gets at the start
// of a deal (216 bytes).
struct FriendStartInfo {
    char gameId[32] = {};
    int roundCount = 0;
    int baseSilver = 0;
    int baseScore = 0;
    int allFlag4 = 0;
    int allFlag4000 = 0;
    int banker = -1;
    int currentChair = -1;
    int status = 0;
    int constant20 = 20;
    int constant90 = 90;
    int constant3 = 3;
    int handSize = kFriendHandSize;
    int cards[kFriendHandSize];
    int calledCard = -1;
    int calledRound = 0;
    int friendChair = -1;

    FriendStartInfo() { FillMinusOne(cards, kFriendHandSize); }

    static constexpr size_t kWireSize = 216;
    static bool Read(std::span<const uint8_t> bytes, FriendStartInfo& out);
    bool Write(std::span<uint8_t> bytes) const; // bytes 200..215 zero
};
static_assert(FriendStartInfo::kWireSize == 200 + 16);

// The whole state of one deal (5488 bytes).
struct FriendTableState {
    FriendStartInfo header;
    int lastPlayChair = -1;
    PlayRecord lastPlay;
    int dealIndex = 0;
    int level = 1;
    int chairFlags[8] = {};
    CardRecord cards[kFriendCards];
    int runningScore[kFriendChairs] = {};
    int finished[kFriendChairs] = {};
    int place[kFriendChairs] = {};
    int friendRevealed = -1;
    int history[kFriendChairs][kHistoryRounds] = {};
    int historyTotal[kFriendChairs] = {};
    int historyCount = 0;
    int turnSeconds = 0;
    int bombListed[kFriendChairs] = {};
    int jokerListed[kFriendChairs] = {};
    int lists[kFriendChairs][kChairListSize];
    int chair[kFriendChairs][kChairRecordSize] = {};

    static constexpr size_t kWireSize = 5488;
    // Field offsets that other parts read.
    static constexpr size_t kLastPlayChairOffset = 216;
    static constexpr size_t kLastPlayOffset = 220;
    static constexpr size_t kLevelOffset = 496;
    static constexpr size_t kCardsOffset = 532;
    static constexpr size_t kRunningScoreOffset = 3988;
    static constexpr size_t kFriendRevealedOffset = 4036;
    static constexpr size_t kHistoryOffset = 4040;
    static constexpr size_t kBombListedOffset = 4544;
    static constexpr size_t kJokerListedOffset = 4560;
    static constexpr size_t kListsOffset = 4576;
    static constexpr size_t kChairRecordsOffset = 5040;

    static bool Read(std::span<const uint8_t> bytes, FriendTableState& out);
    bool Write(std::span<uint8_t> bytes) const;
};
static_assert(FriendTableState::kCardsOffset + kFriendCards * CardRecord::kWireSize == 3988);
static_assert(FriendTableState::kListsOffset + 4 * kFriendChairs * kChairListSize == 5024);
static_assert(FriendTableState::kChairRecordsOffset + 4 * kFriendChairs * kChairRecordSize + 16
    == FriendTableState::kWireSize);

// Clears a state for a new deal: all zero, then no last play, no revealed
// friend, level 1, empty card places and lists, a time-out length of 20 for
// every chair. Does nothing for null.
void InitTableState(FriendTableState* state);

} // namespace table
