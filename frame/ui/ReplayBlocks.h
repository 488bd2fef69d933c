#pragma once
// The table and seat blocks at the front of a replay's body: copies of the
// application's room, table and player records, written when a recording
// begins and restored when one is played back.
//
// Ordinary variant: the table block is read back by
// FrameRecordStore::RestoreRoomFromReplay (and the four game-state words by
// the game's table view), each seat block by FrameRecordStore::
// ReplaySeatToPlayer; here they are built. Match variant: both directions
// are here, between the blocks and MatchRoomInfo / MatchSeatRecord.

#include "frame/core/FrameRecordStore.h"
#include "frame/core/FrameRecords.h"

#include <cstddef>
#include <cstdint>

namespace frame {

// Ordinary table block (216 bytes).
class ReplayTableBlock : public ByteRecord<216> {
public:
    static constexpr size_t kRoomId = 0;
    static constexpr size_t kTableNo = 4;
    static constexpr size_t kSeatCount = 8;
    static constexpr size_t kOptionsA = 16;
    static constexpr size_t kSilverRoom = 20;
    static constexpr size_t kStateWord32 = 28;
    static constexpr size_t kStateWord52 = 32;
    static constexpr size_t kStateWord40 = 56;
    static constexpr size_t kStateWord36 = 60;
    static constexpr size_t kOptionsB = 64;

    // Room id, table number, chair count, option words and the silver flag
    // as the application holds them; the game-state words stay 0 for the
    // table view to set.
    static ReplayTableBlock FromStore(const FrameRecordStore& store);

    int32_t RoomId() const { return GetInt<kRoomId>(); }
    void SetRoomId(int32_t v) { SetInt<kRoomId>(v); }
    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t SeatCount() const { return GetInt<kSeatCount>(); }
    void SetSeatCount(int32_t v) { SetInt<kSeatCount>(v); }
    uint32_t OptionsA() const { return GetWord<kOptionsA>(); }
    void SetOptionsA(uint32_t v) { SetWord<kOptionsA>(v); }
    int32_t SilverRoom() const { return GetInt<kSilverRoom>(); }
    void SetSilverRoom(int32_t v) { SetInt<kSilverRoom>(v); }
    int32_t StateWord32() const { return GetInt<kStateWord32>(); }
    void SetStateWord32(int32_t v) { SetInt<kStateWord32>(v); }
    int32_t StateWord52() const { return GetInt<kStateWord52>(); }
    void SetStateWord52(int32_t v) { SetInt<kStateWord52>(v); }
    int32_t StateWord40() const { return GetInt<kStateWord40>(); }
    void SetStateWord40(int32_t v) { SetInt<kStateWord40>(v); }
    int32_t StateWord36() const { return GetInt<kStateWord36>(); }
    void SetStateWord36(int32_t v) { SetInt<kStateWord36>(v); }
    uint32_t OptionsB() const { return GetWord<kOptionsB>(); }
    void SetOptionsB(uint32_t v) { SetWord<kOptionsB>(v); }
};
static_assert(ReplayTableBlock::kSize == 216);
static_assert(ReplayTableBlock::kSize == FrameRecordStore::kReplayTableBlockSize);

// Ordinary seat block (192 bytes): fields of one chair's PlayerRecord.
class ReplaySeatBlock : public ByteRecord<192> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kFlags = 4;
    static constexpr size_t kStatus = 8;
    static constexpr size_t kChair = 12;
    static constexpr size_t kWord68 = 16;
    static constexpr size_t kWord72 = 20;
    static constexpr size_t kFigure = 24;
    static constexpr size_t kName = 28, kNameSize = 32;
    static constexpr size_t kNickname = 60, kNicknameSize = 16;
    static constexpr size_t kSilver = 76;
    static constexpr size_t kLevel = 80;
    static constexpr size_t kLevelTitle = 84, kLevelTitleSize = 16;
    static constexpr size_t kScore = 100;
    static constexpr size_t kDisconnects = 104;
    static constexpr size_t kWon = 108;
    static constexpr size_t kLost = 112;
    static constexpr size_t kDrawn = 116;
    static constexpr size_t kPlayed = 120;
    static constexpr size_t kExperienceSeconds = 124;
    static constexpr size_t kZeroFrom = 128;

    static ReplaySeatBlock FromPlayer(const PlayerRecord& player);

    int32_t UserId() const { return GetInt<kUserId>(); }
    int32_t Chair() const { return GetInt<kChair>(); }
    std::string Name() const { return GetText<kName, kNameSize>(); }
};
static_assert(ReplaySeatBlock::kSize == 192);
static_assert(ReplaySeatBlock::kSize == FrameRecordStore::kReplaySeatBlockSize);
static_assert(ReplaySeatBlock::kName + ReplaySeatBlock::kNameSize == ReplaySeatBlock::kNickname);
static_assert(ReplaySeatBlock::kNickname + ReplaySeatBlock::kNicknameSize == ReplaySeatBlock::kSilver);
static_assert(ReplaySeatBlock::kLevelTitle + ReplaySeatBlock::kLevelTitleSize == ReplaySeatBlock::kScore);
static_assert(ReplaySeatBlock::kZeroFrom + 64 == ReplaySeatBlock::kSize);

// Match table block (252 bytes): fields of MatchRoomInfo.
class MatchReplayTableBlock : public ByteRecord<252> {
public:
    static constexpr size_t kRoomId = 0;
    static constexpr size_t kMatchId = 4;
    static constexpr size_t kTableNo = 8;
    static constexpr size_t kSeatCount = 12;
    // MatchRoomInfo's words 29 to 35 (counted from 0), the last of them the
    // upload switch at byte 140.
    static constexpr size_t kRoomWords = 16, kRoomWordsFrom = 116, kRoomWordCount = 7;
    static constexpr size_t kFirstText = 44, kFirstTextSize = 16, kRoomFirstText = 144;
    static constexpr size_t kSecondText = 60, kSecondTextSize = 192, kRoomSecondText = 160;

    static MatchReplayTableBlock FromMatchRoom(const MatchRoomInfo& room);
    // Sets the same fields of the room; its other bytes stay.
    void ApplyTo(MatchRoomInfo& room) const;

    int32_t SeatCount() const { return GetInt<kSeatCount>(); }
};
static_assert(MatchReplayTableBlock::kSize == 252);
static_assert(MatchReplayTableBlock::kRoomWords + 4 * MatchReplayTableBlock::kRoomWordCount
    == MatchReplayTableBlock::kFirstText);
static_assert(MatchReplayTableBlock::kRoomWordsFrom + 4 * (MatchReplayTableBlock::kRoomWordCount - 1)
    == MatchRoomInfo::kWord140);
static_assert(MatchReplayTableBlock::kSecondText + MatchReplayTableBlock::kSecondTextSize
    == MatchReplayTableBlock::kSize);
static_assert(MatchReplayTableBlock::kRoomSecondText < MatchRoomInfo::kSize);

// Match seat block (180 bytes): fields of one chair's MatchSeatRecord.
class MatchReplaySeatBlock : public ByteRecord<180> {
public:
    static constexpr size_t kHeadWords = 0, kHeadWordCount = 5; // user id first
    static constexpr size_t kName = 20, kNameSize = 32;
    static constexpr size_t kNickname = 52, kNicknameSize = 16;
    static constexpr size_t kWords96 = 68, kSeatWords96 = 96;    // the seat's words 24 and 25
    static constexpr size_t kWord264 = 76, kSeatWord264 = 264;   // the seat's word 66
    static constexpr size_t kUnread = 80;                        // written 0, never read back
    static constexpr size_t kWords184 = 84, kSeatWords184 = 184; // the seat's words 46 to 53
    static constexpr size_t kWords184Count = 8;
    static constexpr size_t kZeroFrom = 116;

    static MatchReplaySeatBlock FromMatchSeat(const MatchSeatRecord& seat);
    // Sets the same fields of the seat; its other bytes stay.
    void ApplyTo(MatchSeatRecord& seat) const;

    int32_t UserId() const { return GetInt<kHeadWords>(); }
};
static_assert(MatchReplaySeatBlock::kSize == 180);
static_assert(MatchReplaySeatBlock::kName == MatchSeatRecord::kName);
static_assert(MatchReplaySeatBlock::kNickname == MatchSeatRecord::kNickname);
static_assert(MatchReplaySeatBlock::kWords184 + 4 * MatchReplaySeatBlock::kWords184Count
    == MatchReplaySeatBlock::kZeroFrom);
static_assert(MatchReplaySeatBlock::kZeroFrom + 64 == MatchReplaySeatBlock::kSize);

} // namespace frame
