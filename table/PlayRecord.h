#pragma once
// The record of one play and the list of readings of a selection. Both cross
// the wire inside server messages and the table state, so their byte layout
// is fixed; the in-memory structs hold plain ints and are converted field by
// field.

#include "table/Cards.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace table {

struct PlayRecord {
    int type = 0;  // one CT_ flag; 0 = no play
    int mask = 0;  // the CT_ flags this play may follow
    int value = 0; // compared as unsigned within a type
    int count = 0; // number of cards
    int cards[kMaxPlayCards];

    PlayRecord() { FillMinusOne(cards, kMaxPlayCards); }
    // A record of the given kind with every card place empty.
    PlayRecord(int newType, int newMask, int newValue, int newCount)
        : type(newType)
        , mask(newMask)
        , value(newValue)
        , count(newCount)
    {
        FillMinusOne(cards, kMaxPlayCards);
    }

    // Type 0, all cards -1.
    void Clear();
    // Every field and card place 0, as an open round's last play is kept.
    void Zero();
    // Type, mask, value and count, with every card place emptied.
    void Set(int newType, int newMask, int newValue, int newCount);
    // Appends after the first empty place; false when full.
    bool Append(int id);

    static constexpr size_t kWireSize = 272;
    // The wire form: type, mask, value, count, 64 card ids, little-endian.
    // Both fail (false, nothing changed) on a span shorter than the record.
    static bool Read(std::span<const uint8_t> bytes, PlayRecord& out);
    bool Write(std::span<uint8_t> bytes) const;
};
static_assert(PlayRecord::kWireSize == 4 * (4 + kMaxPlayCards));

bool operator==(const PlayRecord& a, const PlayRecord& b);

struct PlayList {
    static constexpr int kCapacity = 5;
    PlayRecord entries[kCapacity];
    int count = 0;

    // Every entry and the count zeroed, as callers do before FindPlays.
    void Clear();

    static constexpr size_t kWireSize = 1364;
    // A count outside 0..5 is clamped into it.
    static bool Read(std::span<const uint8_t> bytes, PlayList& out);
    bool Write(std::span<uint8_t> bytes) const;
};
static_assert(PlayList::kWireSize == PlayList::kCapacity * PlayRecord::kWireSize + 4);

// The play message that the rules check and apply: a 48-byte head whose
// words carry the playing chair and the results of the turn rules, then the
// play itself.
struct PlayMessage {
    int head[12] = {};
    PlayRecord play;

    static constexpr int kChairWord = 3;  // byte 12: the playing chair
    static constexpr int kWord16 = 4;     // byte 16: chair to play next (passing the lead)
    static constexpr int kWord20 = 5;     // byte 20
    static constexpr int kWord24 = 6;     // byte 24
    int Chair() const { return head[kChairWord]; }

    static constexpr size_t kWireSize = 48 + PlayRecord::kWireSize;
    static bool Read(std::span<const uint8_t> bytes, PlayMessage& out);
    bool Write(std::span<uint8_t> bytes) const;
};
static_assert(PlayMessage::kWireSize == 320);

} // namespace table
