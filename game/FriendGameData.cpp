// The game's records kept as received bytes; every field goes through the
// little-endian word helpers, every body is checked against its record's
// size before a byte of it is kept.

#include "game/FriendGameData.h"

#include "frame/core/WireReader.h"

#include <algorithm>
#include <memory>

namespace game {

namespace {

bool IsFlagChair(int chair)
{
    return chair >= 0 && chair < FriendGameData::kChairFlagWords;
}

size_t FlagOffset(int chair)
{
    return FriendGameData::kChairFlagsOffset + 4 * static_cast<size_t>(chair);
}

// Copies the first n bytes of the body into out; false (nothing copied)
// when the body is shorter.
bool CopyRecord(const uint8_t* body, size_t length, std::span<uint8_t> out, size_t n)
{
    const frame::WireReader reader(body, length);
    if (!reader.Has(n) || out.size() < n)
        return false;
    const std::span<const uint8_t> bytes = reader.Bytes(0, n);
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return true;
}

} // namespace

FriendGameData::FriendGameData()
{
    InitTable();
}

FriendGameData::~FriendGameData() = default;

void FriendGameData::InitTable()
{
    // The parsed state is large; keep it off the stack.
    auto state = std::make_unique<table::FriendTableState>();
    table::InitTableState(state.get());
    SetTableState(*state);
}

bool FriendGameData::IsPlaying() const
{
    return (GetStatus() & kStatusRunning) != 0;
}

bool FriendGameData::IsChairReady(int chair) const
{
    return (GetChairFlags(chair) & kReadyBit) != 0;
}

void FriendGameData::ResetTable()
{
    m_tableState.fill(0);
    InitTable();
}

void FriendGameData::SetChairReady(int chair)
{
    if (IsFlagChair(chair))
        SetChairFlags(chair, GetChairFlags(chair) | kReadyBit);
}

void FriendGameData::ResetFlags()
{
    GameState::ResetFlags();
    for (int chair = 0; chair < kChairFlagWords; ++chair)
        SetChairFlags(chair, GetChairFlags(chair) & ~kReadyBit);
}

int FriendGameData::GetChairFlags(int chair) const
{
    if (!IsFlagChair(chair))
        return 0;
    return static_cast<int>(frame::LoadLe32(m_tableInfo.data() + FlagOffset(chair)));
}

void FriendGameData::SetChairFlags(int chair, int value)
{
    if (IsFlagChair(chair))
        frame::StoreLe32(m_tableInfo.data() + FlagOffset(chair), static_cast<uint32_t>(value));
}

int FriendGameData::TableWord(size_t offset) const
{
    return frame::WireReader(m_tableState.data(), m_tableState.size()).Int(offset);
}

void FriendGameData::SetTableWord(size_t offset, int value)
{
    if (frame::WireReader(m_tableState.data(), m_tableState.size()).Has(offset, 4))
        frame::StoreLe32(m_tableState.data() + offset, static_cast<uint32_t>(value));
}

table::FriendTableState FriendGameData::GetTableState() const
{
    table::FriendTableState state;
    table::FriendTableState::Read(m_tableState, state);
    return state;
}

void FriendGameData::SetTableState(const table::FriendTableState& state)
{
    state.Write(m_tableState);
}

void FriendGameData::SetLastPlay(int chair, const table::PlayRecord& play)
{
    using TS = table::FriendTableState;
    SetTableWord(TS::kLastPlayChairOffset, chair);
    play.Write(std::span(m_tableState).subspan(TS::kLastPlayOffset));
}

void FriendGameData::SetBonusLists(const table::FriendTableState& state, int chair)
{
    using TS = table::FriendTableState;
    if (chair < 0 || chair >= table::kFriendChairs)
        return;
    const size_t c = static_cast<size_t>(chair);
    SetTableWord(TS::kBombListedOffset + 4 * c, state.bombListed[chair]);
    SetTableWord(TS::kJokerListedOffset + 4 * c, state.jokerListed[chair]);
    for (size_t i = 0; i < static_cast<size_t>(table::kChairListSize); ++i)
        SetTableWord(TS::kListsOffset + 4 * (c * table::kChairListSize + i), state.lists[chair][i]);
}

table::FriendResultInfo FriendGameData::GetResultRecord() const
{
    table::FriendResultInfo result;
    table::FriendResultInfo::Read(m_result, result);
    return result;
}

bool FriendGameData::BeginRound(const uint8_t* body, size_t length)
{
    if (!frame::WireReader(body, length).Has(kStartSize))
        return false;
    ResetFlags();
    CopyRecord(body, length, m_tableState, kStartSize);
    m_result.fill(0);
    return true;
}

bool FriendGameData::EndRound(const uint8_t* body, size_t length)
{
    if (!CopyRecord(body, length, m_result, kResultSize))
        return false;
    SetStatus(0);
    return true;
}

} // namespace game
