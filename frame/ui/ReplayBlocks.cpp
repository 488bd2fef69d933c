#include "frame/ui/ReplayBlocks.h"

#include <algorithm>
#include <span>

namespace frame {

namespace {

void CopyBytes(std::span<const uint8_t> from, size_t fromOffset, std::span<uint8_t> to, size_t toOffset, size_t n)
{
    std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(fromOffset), n,
        to.begin() + static_cast<std::ptrdiff_t>(toOffset));
}

// A text field copied as text: its bytes up to the first zero within the
// source field, cut to the destination field on a character boundary, and
// zeros after it.
void CopyText(std::span<const uint8_t> from, size_t fromOffset, size_t fromSize, std::span<uint8_t> to,
    size_t toOffset, size_t toSize)
{
    WireReader reader(from.data(), from.size());
    std::string text = GbkCut(reader.Text(fromOffset, fromSize), toSize - 1);
    auto field = to.begin() + static_cast<std::ptrdiff_t>(toOffset);
    std::fill_n(std::copy(text.begin(), text.end(), field), toSize - text.size(), uint8_t { 0 });
}

} // namespace

ReplayTableBlock ReplayTableBlock::FromStore(const FrameRecordStore& store)
{
    ReplayTableBlock block;
    block.SetRoomId(store.GetRoomId());
    block.SetTableNo(store.GetTableNo());
    block.SetSeatCount(store.GetChairCount());
    block.SetOptionsA(store.GetRoomOptionsA());
    block.SetSilverRoom(store.IsSilverRoom() ? 1 : 0);
    block.SetOptionsB(store.GetRoomOptionsB());
    return block;
}

ReplaySeatBlock ReplaySeatBlock::FromPlayer(const PlayerRecord& player)
{
    ReplaySeatBlock block;
    block.SetInt<kUserId>(player.UserId());
    block.SetWord<kFlags>(player.Flags());
    block.SetInt<kStatus>(player.Status());
    block.SetInt<kChair>(player.Chair());
    block.SetInt<kWord68>(player.Word68());
    block.SetInt<kWord72>(player.Word72());
    block.SetInt<kFigure>(player.Figure());
    block.SetText<kName, kNameSize>(player.Name());
    block.SetText<kNickname, kNicknameSize>(player.Nickname());
    block.SetInt<kSilver>(player.Silver());
    block.SetInt<kLevel>(player.Level());
    block.SetText<kLevelTitle, kLevelTitleSize>(player.LevelTitle());
    block.SetInt<kScore>(player.Score());
    block.SetInt<kDisconnects>(player.Disconnects());
    block.SetInt<kWon>(player.Won());
    block.SetInt<kLost>(player.Lost());
    block.SetInt<kDrawn>(player.Drawn());
    block.SetInt<kPlayed>(player.Played());
    block.SetInt<kExperienceSeconds>(player.ExperienceSeconds());
    return block;
}

MatchReplayTableBlock MatchReplayTableBlock::FromMatchRoom(const MatchRoomInfo& room)
{
    MatchReplayTableBlock block;
    block.SetInt<kRoomId>(room.RoomId());
    block.SetInt<kMatchId>(room.MatchId());
    block.SetInt<kTableNo>(room.TableNo());
    block.SetInt<kSeatCount>(room.SeatCount());
    std::span<const uint8_t> from = room.Bytes();
    std::span<uint8_t> to = block.MutableBytes();
    CopyBytes(from, kRoomWordsFrom, to, kRoomWords, 4 * kRoomWordCount);
    CopyText(from, kRoomFirstText, kFirstTextSize, to, kFirstText, kFirstTextSize);
    CopyText(from, kRoomSecondText, MatchRoomInfo::kSize - kRoomSecondText, to, kSecondText, kSecondTextSize);
    return block;
}

void MatchReplayTableBlock::ApplyTo(MatchRoomInfo& room) const
{
    room.SetRoomId(GetInt<kRoomId>());
    room.SetMatchId(GetInt<kMatchId>());
    room.SetTableNo(GetInt<kTableNo>());
    room.SetSeatCount(GetInt<kSeatCount>());
    std::span<const uint8_t> from = Bytes();
    std::span<uint8_t> to = room.MutableBytes();
    CopyBytes(from, kRoomWords, to, kRoomWordsFrom, 4 * kRoomWordCount);
    CopyText(from, kFirstText, kFirstTextSize, to, kRoomFirstText, kFirstTextSize);
    CopyText(from, kSecondText, kSecondTextSize, to, kRoomSecondText, MatchRoomInfo::kSize - kRoomSecondText);
}

MatchReplaySeatBlock MatchReplaySeatBlock::FromMatchSeat(const MatchSeatRecord& seat)
{
    MatchReplaySeatBlock block;
    std::span<const uint8_t> from = seat.Bytes();
    std::span<uint8_t> to = block.MutableBytes();
    CopyBytes(from, 0, to, kHeadWords, 4 * kHeadWordCount);
    CopyText(from, MatchSeatRecord::kName, MatchSeatRecord::kNameSize, to, kName, kNameSize);
    CopyText(from, MatchSeatRecord::kNickname, MatchSeatRecord::kNicknameSize, to, kNickname, kNicknameSize);
    CopyBytes(from, kSeatWords96, to, kWords96, 8);
    CopyBytes(from, kSeatWord264, to, kWord264, 4);
    CopyBytes(from, kSeatWords184, to, kWords184, 4 * kWords184Count);
    return block;
}

void MatchReplaySeatBlock::ApplyTo(MatchSeatRecord& seat) const
{
    std::span<const uint8_t> from = Bytes();
    std::span<uint8_t> to = seat.MutableBytes();
    CopyBytes(from, kHeadWords, to, 0, 4 * kHeadWordCount);
    CopyText(from, kName, kNameSize, to, MatchSeatRecord::kName, MatchSeatRecord::kNameSize);
    CopyText(from, kNickname, kNicknameSize, to, MatchSeatRecord::kNickname, MatchSeatRecord::kNicknameSize);
    CopyBytes(from, kWords96, to, kSeatWords96, 8);
    CopyBytes(from, kWord264, to, kSeatWord264, 4);
    CopyBytes(from, kWords184, to, kSeatWords184, 4 * kWords184Count);
}

} // namespace frame
