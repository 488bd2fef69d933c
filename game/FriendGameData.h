#pragma once
// This game's state at the table, as the frame, the card layer and the
// game's table view read it: the table information of the enter reply
// (1096 bytes, with the chairs' flag words), the table state
// (table::FriendTableState, 5488 bytes, whose first 216 bytes are each
// round's start record) and the last round's result
// (table::FriendResultInfo, 1408 bytes).
//
// All three are kept as the bytes the server sent, so that the enter
// replies can be copied straight into them (the application hands out the
// two buffers) and a table state survives a round trip unchanged. Fields are
// read and written word by word at their offsets, never by casting.
//
// User-interface thread only.

#include "frame/core/GameState.h"
#include "table/FriendCardRules.h"
#include "table/FriendRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace game {

class FriendGameData : public GameState {
public:
    static constexpr size_t kTableInfoSize = 1096;
    static constexpr size_t kTableStateSize = table::FriendTableState::kWireSize;
    static constexpr size_t kStartSize = table::FriendStartInfo::kWireSize;
    static constexpr size_t kResultSize = table::FriendResultInfo::kWireSize;

    // The chairs' flag words in the table information; bit value 2 marks a
    // chair that pressed start.
    static constexpr size_t kChairFlagsOffset = 20;
    static constexpr int kChairFlagWords = 8;
    static constexpr int kReadyBit = 0x2;

    // Words of the table state.
    static constexpr size_t kRoundNumber = 32;
    static constexpr size_t kBaseSilver = 36;
    static constexpr size_t kBaseScore = 40;
    static constexpr size_t kWord48 = 48;
    static constexpr size_t kBanker = 52;
    static constexpr size_t kTurnChair = 56;
    static constexpr size_t kStatus = 60;
    static constexpr size_t kTurnSeconds = 64;
    static constexpr size_t kWord68 = 68;
    static constexpr size_t kWord72 = 72;
    // Status bits: a game is running; the play phase.
    static constexpr int kStatusRunning = 0x1;
    static constexpr int kStatusPlayPhase = 0x100;

    // The table state initialised for a new table, no result.
    FriendGameData();
    ~FriendGameData() override;

    // ---- the frame's and the card layer's view ---------------------------
    bool IsPlaying() const override;
    int GetTableWord48() const override { return TableWord(kWord48); }
    bool IsChairReady(int chair) const override;
    int GetStatus() const override { return TableWord(kStatus); }
    void SetStatus(int value) override { SetTableWord(kStatus, value); }
    int GetTableWord32() const override { return TableWord(kRoundNumber); }
    int GetTableWord36() const override { return TableWord(kBaseSilver); }
    int GetTableWord40() const override { return TableWord(kBaseScore); }
    int GetTableWord56() const override { return TableWord(kTurnChair); }
    int GetTableWord52() const override { return TableWord(kBanker); }
    // The table state zeroed and initialised again.
    void ResetTable() override;
    void SetTableWord56(int value) override { SetTableWord(kTurnChair, value); }
    // A chair outside the 8 flag words is ignored.
    void SetChairReady(int chair) override;
    // Forgets the exit requests (they count within one game, and a player
    // who asked twice in the last game may ask again) and clears every
    // chair's ready mark.
    void ResetFlags() override;

    // ---- the game's view -------------------------------------------------
    int GetTableWord68() const { return TableWord(kWord68); }
    int GetTableWord72() const { return TableWord(kWord72); }
    int GetLevelRank() const { return 1; }
    int GetTurnSeconds() const { return TableWord(kTurnSeconds); }

    // A chair's flag word (0 outside the 8 words); the application sets the
    // four of notification 211700.
    int GetChairFlags(int chair) const;
    void SetChairFlags(int chair, int value);

    // Any word of the table state by its byte offset: 0 (and no change)
    // where the word does not lie inside the state.
    int TableWord(size_t offset) const;
    void SetTableWord(size_t offset, int value);

    // The records as bytes, and parsed.
    std::span<const uint8_t> TableInfo() const { return m_tableInfo; }
    std::span<const uint8_t> TableState() const { return m_tableState; }
    std::span<const uint8_t> ResultRecord() const { return m_result; }
    table::FriendTableState GetTableState() const;
    void SetTableState(const table::FriendTableState& state);
    // The trick's last play (chair -1: none), and a chair's bomb and joker
    // lists as `state` holds them: each written over its own bytes of the
    // table state only, as a play changes nothing else.
    void SetLastPlay(int chair, const table::PlayRecord& play);
    void SetBonusLists(const table::FriendTableState& state, int chair);
    table::FriendResultInfo GetResultRecord() const;

    // Where the enter replies' data go (the application hands them out).
    std::span<uint8_t> TableInfoBuffer() { return m_tableInfo; }
    std::span<uint8_t> TableStateBuffer() { return m_tableState; }

    // ---- rounds (bodies as received) ---------------------------------------
    // 211040: ready marks cleared, the start record over the first 216 bytes
    // of the table state, the result zeroed. False, changing nothing, for a
    // body shorter than the start record.
    bool BeginRound(const uint8_t* body, size_t length);
    // 211080: no game running any more, the result kept. False, changing
    // nothing, for a body shorter than the result.
    bool EndRound(const uint8_t* body, size_t length);

private:
    void InitTable();

    std::array<uint8_t, kTableInfoSize> m_tableInfo {};
    std::array<uint8_t, kTableStateSize> m_tableState {};
    std::array<uint8_t, kResultSize> m_result {};
};

} // namespace game
