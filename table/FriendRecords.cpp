#include "table/FriendRecords.h"

#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>

namespace table {

using platform::LoadI32;
using platform::StoreI32;
using platform::LoadI32Array;
using platform::StoreI32Array;

bool FriendStartInfo::Read(std::span<const uint8_t> bytes, FriendStartInfo& out)
{
    if (bytes.size() < kWireSize)
        return false;
    std::memcpy(out.gameId, bytes.data(), sizeof out.gameId);
    int head[12];
    LoadI32Array(bytes, 32, head, 12);
    out.roundCount = head[0];
    out.baseSilver = head[1];
    out.baseScore = head[2];
    out.allFlag4 = head[3];
    out.allFlag4000 = head[4];
    out.banker = head[5];
    out.currentChair = head[6];
    out.status = head[7];
    out.constant20 = head[8];
    out.constant90 = head[9];
    out.constant3 = head[10];
    out.handSize = head[11];
    LoadI32Array(bytes, 80, out.cards, kFriendHandSize);
    out.calledCard = LoadI32(bytes, 188);
    out.calledRound = LoadI32(bytes, 192);
    out.friendChair = LoadI32(bytes, 196);
    return true;
}

bool FriendStartInfo::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    std::memcpy(bytes.data(), gameId, sizeof gameId);
    const int head[12] = { roundCount, baseSilver, baseScore, allFlag4, allFlag4000, banker, currentChair, status,
        constant20, constant90, constant3, handSize };
    StoreI32Array(bytes, 32, head, 12);
    StoreI32Array(bytes, 80, cards, kFriendHandSize);
    StoreI32(bytes, 188, calledCard);
    StoreI32(bytes, 192, calledRound);
    StoreI32(bytes, 196, friendChair);
    std::fill(bytes.begin() + 200, bytes.begin() + kWireSize, uint8_t { 0 });
    return true;
}

bool FriendTableState::Read(std::span<const uint8_t> bytes, FriendTableState& out)
{
    if (bytes.size() < kWireSize)
        return false;
    FriendStartInfo::Read(bytes, out.header);
    out.lastPlayChair = LoadI32(bytes, 216);
    PlayRecord::Read(bytes.subspan(220), out.lastPlay);
    out.dealIndex = LoadI32(bytes, 492);
    out.level = LoadI32(bytes, 496);
    LoadI32Array(bytes, 500, out.chairFlags, 8);
    for (int i = 0; i < kFriendCards; ++i)
        CardRecord::Read(bytes.subspan(kCardsOffset + i * CardRecord::kWireSize), out.cards[i]);
    LoadI32Array(bytes, 3988, out.runningScore, kFriendChairs);
    LoadI32Array(bytes, 4004, out.finished, kFriendChairs);
    LoadI32Array(bytes, 4020, out.place, kFriendChairs);
    out.friendRevealed = LoadI32(bytes, 4036);
    LoadI32Array(bytes, 4040, &out.history[0][0], kFriendChairs * kHistoryRounds);
    LoadI32Array(bytes, 4520, out.historyTotal, kFriendChairs);
    out.historyCount = LoadI32(bytes, 4536);
    out.turnSeconds = LoadI32(bytes, 4540);
    LoadI32Array(bytes, 4544, out.bombListed, kFriendChairs);
    LoadI32Array(bytes, 4560, out.jokerListed, kFriendChairs);
    LoadI32Array(bytes, 4576, &out.lists[0][0], kFriendChairs * kChairListSize);
    LoadI32Array(bytes, 5040, &out.chair[0][0], kFriendChairs * kChairRecordSize);
    return true;
}

bool FriendTableState::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    std::fill(bytes.begin(), bytes.begin() + kWireSize, uint8_t { 0 });
    header.Write(bytes);
    StoreI32(bytes, 216, lastPlayChair);
    lastPlay.Write(bytes.subspan(220));
    StoreI32(bytes, 492, dealIndex);
    StoreI32(bytes, 496, level);
    StoreI32Array(bytes, 500, chairFlags, 8);
    for (int i = 0; i < kFriendCards; ++i)
        cards[i].Write(bytes.subspan(kCardsOffset + i * CardRecord::kWireSize));
    StoreI32Array(bytes, 3988, runningScore, kFriendChairs);
    StoreI32Array(bytes, 4004, finished, kFriendChairs);
    StoreI32Array(bytes, 4020, place, kFriendChairs);
    StoreI32(bytes, 4036, friendRevealed);
    StoreI32Array(bytes, 4040, &history[0][0], kFriendChairs * kHistoryRounds);
    StoreI32Array(bytes, 4520, historyTotal, kFriendChairs);
    StoreI32(bytes, 4536, historyCount);
    StoreI32(bytes, 4540, turnSeconds);
    StoreI32Array(bytes, 4544, bombListed, kFriendChairs);
    StoreI32Array(bytes, 4560, jokerListed, kFriendChairs);
    StoreI32Array(bytes, 4576, &lists[0][0], kFriendChairs * kChairListSize);
    StoreI32Array(bytes, 5040, &chair[0][0], kFriendChairs * kChairRecordSize);
    return true;
}

void InitTableState(FriendTableState* state)
{
    if (!state)
        return;
    *state = FriendTableState {};
    state->header = FriendStartInfo {};
    state->header.roundCount = 0;
    state->header.banker = 0;
    state->header.currentChair = 0;
    state->header.constant20 = state->header.constant90 = state->header.constant3 = 0;
    state->header.handSize = 0;
    state->header.calledCard = 0;
    state->header.friendChair = 0;
    state->lastPlay.Zero();
    state->lastPlayChair = -1;
    state->friendRevealed = -1;
    state->level = 1;
    for (CardRecord& card : state->cards)
        card = CardRecord { 0, 0, 0, 0, 0, 0, 0, 0 };
    for (auto& list : state->lists)
        FillMinusOne(list, kChairListSize);
    for (auto& record : state->chair)
        record[kTimeoutLength] = 20;
}

} // namespace table
