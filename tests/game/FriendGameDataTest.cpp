// The game data over its three records: the state a new table starts from,
// the words the frame and the card layer read at their offsets, the chairs'
// ready marks in the table information, the start record over the head of
// the table state, the round's result, and short bodies that change
// nothing.

#include "game/FriendGameData.h"

#include "frame/core/WireReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using game::FriendGameData;

namespace {

// Bytes that differ from one offset to the next, so a shifted or partial
// copy shows.
std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    frame::StoreLe32(bytes.data() + offset, static_cast<uint32_t>(value));
}

std::vector<uint8_t> Copy(std::span<const uint8_t> bytes)
{
    return { bytes.begin(), bytes.end() };
}

void LoadState(FriendGameData& data, const std::vector<uint8_t>& state)
{
    std::copy(state.begin(), state.end(), data.TableStateBuffer().begin());
}

TEST(FriendGameData, NewTableIsTheInitialisedStateWithNoResult)
{
    const FriendGameData data;
    auto expected = std::make_unique<table::FriendTableState>();
    table::InitTableState(expected.get());
    std::vector<uint8_t> bytes(FriendGameData::kTableStateSize);
    expected->Write(bytes);

    EXPECT_EQ(Copy(data.TableState()), bytes);
    EXPECT_EQ(Copy(data.ResultRecord()), std::vector<uint8_t>(FriendGameData::kResultSize, 0));
    EXPECT_EQ(Copy(data.TableInfo()), std::vector<uint8_t>(FriendGameData::kTableInfoSize, 0));
    EXPECT_FALSE(data.IsPlaying());
    EXPECT_EQ(data.GetTableState().lastPlayChair, -1);
    EXPECT_EQ(data.GetTableState().chair[3][table::kTimeoutLength], 20);
    EXPECT_EQ(data.GetLevelRank(), 1);
}

TEST(FriendGameData, WordsAnsweredFromTheirOffsets)
{
    FriendGameData data;
    std::vector<uint8_t> state(FriendGameData::kTableStateSize, 0);
    for (size_t offset : { 32, 36, 40, 48, 52, 56, 60, 64, 68, 72 })
        PutWord(state, offset, static_cast<int32_t>(1000 + offset));
    LoadState(data, state);

    EXPECT_EQ(data.GetTableWord32(), 1032);
    EXPECT_EQ(data.GetTableWord36(), 1036);
    EXPECT_EQ(data.GetTableWord40(), 1040);
    EXPECT_EQ(data.GetTableWord48(), 1048);
    EXPECT_EQ(data.GetTableWord52(), 1052);
    EXPECT_EQ(data.GetTableWord56(), 1056);
    EXPECT_EQ(data.GetStatus(), 1060);
    EXPECT_EQ(data.GetTurnSeconds(), 1064);
    EXPECT_EQ(data.GetTableWord68(), 1068);
    EXPECT_EQ(data.GetTableWord72(), 1072);

    data.SetTableWord56(3);
    data.SetStatus(0x101);
    PutWord(state, 56, 3);
    PutWord(state, 60, 0x101);
    EXPECT_EQ(Copy(data.TableState()), state) << "setters write their word and nothing else";

    // Words past the state read 0 and are not written.
    EXPECT_EQ(data.TableWord(FriendGameData::kTableStateSize - 2), 0);
    data.SetTableWord(FriendGameData::kTableStateSize - 2, -1);
    data.SetTableWord(static_cast<size_t>(-2), -1);
    EXPECT_EQ(Copy(data.TableState()), state);
}

TEST(FriendGameData, PlayingOnlyWhileTheRunningBitIsSet)
{
    FriendGameData data;
    const struct {
        int status;
        bool playing;
    } cases[] = { { 0, false }, { 0x1, true }, { 0x100, false }, { 0x101, true }, { -2, false }, { -1, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        data.SetStatus(c.status);
        EXPECT_EQ(data.IsPlaying(), c.playing);
    }
}

TEST(FriendGameData, ReadyMarksLiveInTheChairFlagWords)
{
    FriendGameData data;
    data.SetChairFlags(1, 0x5);
    data.SetChairReady(1);
    data.SetChairReady(7);
    for (int chair : { -1, 8, 1000 })
        data.SetChairReady(chair);

    const std::span<const uint8_t> info = data.TableInfo();
    EXPECT_EQ(frame::LoadLe32(info.data() + 20 + 4), 0x7u) << "chair 1's other bits stay";
    EXPECT_EQ(frame::LoadLe32(info.data() + 20 + 28), 0x2u);
    EXPECT_EQ(frame::LoadLe32(info.data() + 16), 0u) << "nothing before the first word";
    EXPECT_EQ(frame::LoadLe32(info.data() + 52), 0u) << "nothing after the last word";
    EXPECT_TRUE(data.IsChairReady(1));
    EXPECT_TRUE(data.IsChairReady(7));
    EXPECT_FALSE(data.IsChairReady(0));
    EXPECT_FALSE(data.IsChairReady(-1));
    EXPECT_FALSE(data.IsChairReady(8));

    data.ResetFlags();
    EXPECT_EQ(data.GetChairFlags(1), 0x5) << "only the ready bit is cleared";
    EXPECT_EQ(data.GetChairFlags(7), 0);
}

// Exit requests count within one game: two in the last game must not keep
// the player from asking again in the next one.
TEST(FriendGameData, NewRoundForgetsTheLastGamesExitRequests)
{
    FriendGameData data;
    data.RecordExitRequest(500);
    data.RecordExitRequest(900);
    const std::vector<uint8_t> start(FriendGameData::kStartSize, 0);
    ASSERT_TRUE(data.BeginRound(start.data(), start.size()));
    EXPECT_EQ(data.GetExitRequestCount(), 0);
    EXPECT_EQ(data.GetExitRequestTick(), 0u);
}

TEST(FriendGameData, EnterReplyBufferIsTheTableInformation)
{
    FriendGameData data;
    ASSERT_EQ(data.TableInfoBuffer().size(), FriendGameData::kTableInfoSize);
    frame::StoreLe32(data.TableInfoBuffer().data() + 20 + 8, 0x2);
    EXPECT_TRUE(data.IsChairReady(2));
}

TEST(FriendGameData, StartRecordReplacesTheHeadOfTheStateOnly)
{
    FriendGameData data;
    const std::vector<uint8_t> state = Pattern(FriendGameData::kTableStateSize, 3);
    LoadState(data, state);
    const std::vector<uint8_t> result = Pattern(FriendGameData::kResultSize, 9);
    ASSERT_TRUE(data.EndRound(result.data(), result.size()));
    data.SetChairReady(0);
    data.SetChairReady(3);

    // A start record with something behind it: only 216 bytes are taken.
    std::vector<uint8_t> start = Pattern(FriendGameData::kStartSize + 40, 77);
    PutWord(start, 32, 5);
    ASSERT_TRUE(data.BeginRound(start.data(), start.size()));

    std::vector<uint8_t> expected(start.begin(), start.begin() + FriendGameData::kStartSize);
    expected.insert(expected.end(), state.begin() + FriendGameData::kStartSize, state.end());
    EXPECT_EQ(Copy(data.TableState()), expected);
    EXPECT_EQ(data.GetTableWord32(), 5);
    EXPECT_EQ(Copy(data.ResultRecord()), std::vector<uint8_t>(FriendGameData::kResultSize, 0));
    EXPECT_FALSE(data.IsChairReady(0));
    EXPECT_FALSE(data.IsChairReady(3));
}

TEST(FriendGameData, ResultKeptAndTheGameStopped)
{
    FriendGameData data;
    data.SetStatus(0x101);
    std::vector<uint8_t> result = Pattern(FriendGameData::kResultSize + 12, 1);
    PutWord(result, 432, 2);
    PutWord(result, 1372, 3);
    ASSERT_TRUE(data.EndRound(result.data(), result.size()));

    EXPECT_EQ(data.GetStatus(), 0);
    EXPECT_FALSE(data.IsPlaying());
    EXPECT_EQ(Copy(data.ResultRecord()), std::vector<uint8_t>(result.begin(), result.begin() + 1408));
    EXPECT_EQ(data.GetResultRecord().teamResult, 2);
    EXPECT_EQ(data.GetResultRecord().friendChair, 3);
}

TEST(FriendGameData, ShortRecordsChangeNothing)
{
    FriendGameData data;
    data.SetStatus(0x101);
    data.SetChairReady(2);
    const std::vector<uint8_t> stateBefore = Copy(data.TableState());
    const std::vector<uint8_t> resultBefore = Copy(data.ResultRecord());
    const std::vector<uint8_t> bytes = Pattern(FriendGameData::kResultSize, 4);

    EXPECT_FALSE(data.BeginRound(bytes.data(), FriendGameData::kStartSize - 1));
    EXPECT_FALSE(data.BeginRound(nullptr, FriendGameData::kStartSize));
    EXPECT_FALSE(data.EndRound(bytes.data(), FriendGameData::kResultSize - 1));
    EXPECT_FALSE(data.EndRound(nullptr, FriendGameData::kResultSize));

    EXPECT_EQ(Copy(data.TableState()), stateBefore);
    EXPECT_EQ(Copy(data.ResultRecord()), resultBefore);
    EXPECT_TRUE(data.IsChairReady(2));
}

TEST(FriendGameData, ParsedStateWrittenBackAndResetToTheStart)
{
    FriendGameData data;
    table::FriendTableState state = data.GetTableState();
    state.header.banker = 2;
    state.friendRevealed = 1;
    state.cards[107].id = 53;
    data.SetTableState(state);
    EXPECT_EQ(data.GetTableWord52(), 2);
    EXPECT_EQ(data.TableWord(table::FriendTableState::kFriendRevealedOffset), 1);
    EXPECT_EQ(data.TableWord(table::FriendTableState::kCardsOffset + 107 * 32), 53);

    const FriendGameData fresh;
    data.ResetTable();
    EXPECT_EQ(Copy(data.TableState()), Copy(fresh.TableState()));
}

} // namespace
