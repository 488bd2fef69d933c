#pragma once
// The card layer's server notifications as typed records.
//
// Each notification is read once, by the handler where it arrives, through
// the bounded reader; the views take the record and never see the bytes.
// Every field has one rule, applied here and nowhere else: a body too short
// for its fixed part, a chair outside the table, a card count below 0,
// above a hand or above what the body holds, or a payload longer than the
// body refuses the whole record, and the fault says which rule it broke.
//
// Offsets below are in bytes, of little-endian 32-bit words.

#include "table/PlayRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace game {

// The most cards one play or one shown hand may name: a hand of two decks
// dealt to four seats.
inline constexpr int kMaxHandCards = 27;

// Table messages between the players of a table (request 229510, relayed
// to every client as notification 229500).
inline constexpr int kTableMsgPlayerBack = 19840324;
inline constexpr int kTableMsgPresent = 19840325;
inline constexpr int kTableMsgTimeout = 19840327;
inline constexpr int kTableMsgAutoPlayOn = 19840329;
inline constexpr int kTableMsgAutoPlayOff = 19840330;
inline constexpr int kTableMsgShowCards = 19840337;

// Why a body was refused.
struct RecordFault {
    enum Kind {
        kShort,   // the body ends before the fixed part (`needed` bytes)
        kChair,   // `value` is no chair of the table
        kCount,   // `value` cards: below 0 or above a hand
        kPayload, // `value` bytes announced; the body ends before them
    };
    Kind kind = kShort;
    size_t length = 0;
    size_t needed = 0;
    int64_t value = 0;

    // The fault as the log says it: "56 bytes, 64 needed", "chair 9
    // outside the table"...
    std::string Describe() const;
};

// A record read from a body, or the fault that refused it.
template <class Record>
class Parsed {
public:
    Parsed(Record record)
        : m_record(std::move(record))
    {
    }
    Parsed(RecordFault fault)
        : m_fault(fault)
    {
    }
    explicit operator bool() const { return m_record.has_value(); }
    const Record& operator*() const { return *m_record; }
    const Record* operator->() const { return &*m_record; }
    const RecordFault& Fault() const { return m_fault; }

private:
    std::optional<Record> m_record;
    RecordFault m_fault;
};

// Every Parse takes the body as it arrived and the number of chairs at the
// table (chairs are 0 .. chairs - 1).

// 201160 (16): +12 the chair that pressed start.
struct PlayerStarted {
    static constexpr size_t kSize = 16;
    int chair = -1;
    static Parsed<PlayerStarted> Parse(const uint8_t* body, size_t length, int chairs);
};

// 229580 (12 + 4 n): +4 chair, +8 count n, +12 the n card ids.
struct ShownCards {
    static constexpr size_t kHead = 12;
    int chair = -1;
    std::vector<int> cards;
    static Parsed<ShownCards> Parse(const uint8_t* body, size_t length, int chairs);
};

// 229500 (20 + payload): +8 kind, +16 payload length, +20 payload. The
// payload is read in the form its kind gives it: the seat notices name a
// chair in its first word, the shown hand is a ShownCards body.
struct TableMessage {
    static constexpr size_t kHead = 20;
    int kind = 0;
    // The payload's first word, when it holds one naming a chair of the
    // table.
    std::optional<int> chair;
    // A show-cards message whose payload reads as shown cards.
    std::optional<ShownCards> shown;
    static Parsed<TableMessage> Parse(const uint8_t* body, size_t length, int chairs);
};

// 211240 (4): +0 the user who went offline.
struct PlayerOffline {
    static constexpr size_t kSize = 4;
    int userId = 0;
    static Parsed<PlayerOffline> Parse(const uint8_t* body, size_t length, int chairs);
};

// 229550 (4): +0 the looker-on asking to see the cards.
struct ViewCardsRequest {
    static constexpr size_t kSize = 4;
    int requester = 0;
    static Parsed<ViewCardsRequest> Parse(const uint8_t* body, size_t length, int chairs);
};

// 229570 (40): +0 the answering user, +12 that user's chair, +16 the asking
// looker-on, +20 allowed.
struct ViewCardsAnswer {
    static constexpr size_t kSize = 40;
    int userId = 0;
    int chair = -1;
    int requester = 0;
    bool allowed = false;
    static Parsed<ViewCardsAnswer> Parse(const uint8_t* body, size_t length, int chairs);
};

// 223100 (36): +8 the chair that passed, +16 the chair to play, +20 the
// trick ends, +32 the turn seconds.
struct PassedTurn {
    static constexpr size_t kSize = 36;
    int chair = -1;
    int nextChair = -1;
    bool clearsTable = false;
    int seconds = 0;
    static Parsed<PassedTurn> Parse(const uint8_t* body, size_t length, int chairs);
};

// 221170 (64 + 4 n): +12 the chair that played, +20 the chair to play, +24
// the finish place of the chair that played (0: still playing), +28 the
// turn seconds, +48 the play (type, mask, value, count n, n ids from +64).
struct ThrownPlay {
    static constexpr size_t kHead = 64;
    int chair = -1;
    int nextChair = -1;
    int finishPlace = 0;
    int seconds = 0;
    table::PlayRecord play;
    static Parsed<ThrownPlay> Parse(const uint8_t* body, size_t length, int chairs);
};

// 221165 (8): +4 the chair that acted.
struct TurnNotice {
    static constexpr size_t kSize = 8;
    int chair = -1;
    static Parsed<TurnNotice> Parse(const uint8_t* body, size_t length, int chairs);
};

} // namespace game
