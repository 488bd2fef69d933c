#pragma once
// Wire records of the generic table model.

#include <cstddef>
#include <cstdint>
#include <span>

namespace table {

// The table's public description (88 bytes).
struct TableInfo {
    int tableNumber = 0;
    int roomNumber = 0;
    int chairCount = 0;
    int baseScore = 0;
    int baseSilver = 0;
    int chairFlags[8] = {};
    int roundCount = 0;
    int kickTime = 0;

    static constexpr size_t kWireSize = 88;
    // Bytes 60 to 87 are zero. Both fail on a span shorter than the record.
    static bool Read(std::span<const uint8_t> bytes, TableInfo& out);
    bool Write(std::span<uint8_t> bytes) const;
};
static_assert(TableInfo::kWireSize == 60 + 28);

} // namespace table

namespace table {

// One card of a deal as the table state keeps it (32 bytes on the wire).
struct CardRecord {
    int id = -1;
    int value = 0;
    int suit = 0;
    int face = 0;
    int state = 0;    // kCardInDeck .. kCardPlayed
    int owner = -1;   // chair, -1 in the deck
    int position = 0; // shuffled index, 0 once dealt, then the index within its play
    int extra = 0;    // the play's card count once played; in seat copies the owner's hand size

    static constexpr size_t kWireSize = 32;
    static void Read(std::span<const uint8_t> bytes, CardRecord& out); // bytes.size() >= 32
    void Write(std::span<uint8_t> bytes) const;
};
static_assert(CardRecord::kWireSize == 8 * 4);

constexpr int kCardInDeck = 0;
constexpr int kCardInHand = 1;
constexpr int kCardOnTable = 2;
constexpr int kCardPlayed = 3;

} // namespace table

namespace table {

// The generic result of a round (432 bytes), applied by clients to their
// player records.
struct ResultRecord {
    int kind = 0;  // 1 normal finish, 2 draw, 4 or 8 ended otherwise
    int flags = 0;
    int chairCount = 0;
    int roundCount = 0;
    int banker = 0;
    int team[8] = {};
    int bankerSide = 0;
    int teamPoints[8] = {};
    int baseScore = 0;
    int baseSilver = 0;
    int scoreBefore[8] = {};
    int silverBefore[8] = {};
    int scoreChange[8] = {};
    int silverChange[8] = {};
    int fee[8] = {};
    int levelAfter[8] = {};
    char title[8][16] = {};
    int baseSilverRecomputed = 0;
    int emptyChairMask = 0;
    int doubledMask = 0;

    static constexpr size_t kWireSize = 432;
    static constexpr size_t kTitleOffset = 288;
    static bool Read(std::span<const uint8_t> bytes, ResultRecord& out);
    bool Write(std::span<uint8_t> bytes) const; // byte 428 zero
};
static_assert(ResultRecord::kTitleOffset + 8 * 16 + 16 == ResultRecord::kWireSize);

} // namespace table

namespace table {

// One player's line of a result report (96 bytes).
struct PlayerResultItem {
    int userId = 0;
    int tableNumber = 0;
    int roomNumber = 0;
    int chair = 0;
    int value = 0; // the caller's value
    int baseScore = 0;
    int baseSilver = 0;
    int scoreBefore = 0;
    int silverBefore = 0;
    int minutes = 0;
    int seconds = 0;
    int one = 1;
    int win = 0;
    int loss = 0;
    int draw = 0;
    int scoreChange = 0;
    int silverChange = 0;
    int level = 0;
    char title[16] = {};
    int fee = 0;

    static constexpr size_t kWireSize = 96;
    static bool Read(std::span<const uint8_t> bytes, PlayerResultItem& out);
    bool Write(std::span<uint8_t> bytes) const; // byte 48 zero
};
static_assert(PlayerResultItem::kWireSize == 76 + 16 + 4);

// The head of a result report (28 bytes).
struct ResultHeader {
    int count = 0;
    int tableNumber = 0;
    int value = 0;
    uint8_t flags[2] = {}; // bytes 16 and 17
    uint32_t creationTick = 0;

    static constexpr size_t kWireSize = 28;
    static bool Read(std::span<const uint8_t> bytes, ResultHeader& out);
    bool Write(std::span<uint8_t> bytes) const;
};

} // namespace table
