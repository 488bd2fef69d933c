#include "table/TableRecords.h"

#include "platform/Bytes.h"

#include <algorithm>

namespace table {

using platform::LoadI32;
using platform::StoreI32;
using platform::LoadI32Array;
using platform::StoreI32Array;

bool TableInfo::Read(std::span<const uint8_t> bytes, TableInfo& out)
{
    if (bytes.size() < kWireSize)
        return false;
    out.tableNumber = LoadI32(bytes, 0);
    out.roomNumber = LoadI32(bytes, 4);
    out.chairCount = LoadI32(bytes, 8);
    out.baseScore = LoadI32(bytes, 12);
    out.baseSilver = LoadI32(bytes, 16);
    LoadI32Array(bytes, 20, out.chairFlags, 8);
    out.roundCount = LoadI32(bytes, 52);
    out.kickTime = LoadI32(bytes, 56);
    return true;
}

bool TableInfo::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    StoreI32(bytes, 0, tableNumber);
    StoreI32(bytes, 4, roomNumber);
    StoreI32(bytes, 8, chairCount);
    StoreI32(bytes, 12, baseScore);
    StoreI32(bytes, 16, baseSilver);
    StoreI32Array(bytes, 20, chairFlags, 8);
    StoreI32(bytes, 52, roundCount);
    StoreI32(bytes, 56, kickTime);
    std::fill(bytes.begin() + 60, bytes.begin() + kWireSize, uint8_t { 0 });
    return true;
}

} // namespace table

namespace table {

void CardRecord::Read(std::span<const uint8_t> bytes, CardRecord& out)
{
    int v[8];
    LoadI32Array(bytes, 0, v, 8);
    out = CardRecord { v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7] };
}

void CardRecord::Write(std::span<uint8_t> bytes) const
{
    const int v[8] = { id, value, suit, face, state, owner, position, extra };
    StoreI32Array(bytes, 0, v, 8);
}

} // namespace table

#include <cstring>

namespace table {

namespace {
// The 32-bit words of the result record before the titles, in order.
template <typename Record, typename F>
void ForEachWord(Record& r, F f)
{
    f(&r.kind, 1);
    f(&r.flags, 1);
    f(&r.chairCount, 1);
    f(&r.roundCount, 1);
    f(&r.banker, 1);
    f(r.team, 8);
    f(&r.bankerSide, 1);
    f(r.teamPoints, 8);
    f(&r.baseScore, 1);
    f(&r.baseSilver, 1);
    f(r.scoreBefore, 8);
    f(r.silverBefore, 8);
    f(r.scoreChange, 8);
    f(r.silverChange, 8);
    f(r.fee, 8);
    f(r.levelAfter, 8);
}
} // namespace

bool ResultRecord::Read(std::span<const uint8_t> bytes, ResultRecord& out)
{
    if (bytes.size() < kWireSize)
        return false;
    size_t at = 0;
    ForEachWord(out, [&](int* words, size_t n) {
        LoadI32Array(bytes, at, words, n);
        at += 4 * n;
    });
    std::memcpy(out.title, bytes.data() + kTitleOffset, sizeof out.title);
    out.baseSilverRecomputed = LoadI32(bytes, 416);
    out.emptyChairMask = LoadI32(bytes, 420);
    out.doubledMask = LoadI32(bytes, 424);
    return true;
}

bool ResultRecord::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    size_t at = 0;
    ForEachWord(*this, [&](const int* words, size_t n) {
        StoreI32Array(bytes, at, words, n);
        at += 4 * n;
    });
    std::memcpy(bytes.data() + kTitleOffset, title, sizeof title);
    StoreI32(bytes, 416, baseSilverRecomputed);
    StoreI32(bytes, 420, emptyChairMask);
    StoreI32(bytes, 424, doubledMask);
    StoreI32(bytes, 428, 0);
    return true;
}

} // namespace table

namespace table {

bool PlayerResultItem::Read(std::span<const uint8_t> bytes, PlayerResultItem& out)
{
    if (bytes.size() < kWireSize)
        return false;
    int head[12];
    LoadI32Array(bytes, 0, head, 12);
    out.userId = head[0];
    out.tableNumber = head[1];
    out.roomNumber = head[2];
    out.chair = head[3];
    out.value = head[4];
    out.baseScore = head[5];
    out.baseSilver = head[6];
    out.scoreBefore = head[7];
    out.silverBefore = head[8];
    out.minutes = head[9];
    out.seconds = head[10];
    out.one = head[11];
    out.win = LoadI32(bytes, 52);
    out.loss = LoadI32(bytes, 56);
    out.draw = LoadI32(bytes, 60);
    out.scoreChange = LoadI32(bytes, 64);
    out.silverChange = LoadI32(bytes, 68);
    out.level = LoadI32(bytes, 72);
    std::memcpy(out.title, bytes.data() + 76, sizeof out.title);
    out.fee = LoadI32(bytes, 92);
    return true;
}

bool PlayerResultItem::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    const int head[12] = { userId, tableNumber, roomNumber, chair, value, baseScore, baseSilver, scoreBefore,
        silverBefore, minutes, seconds, one };
    StoreI32Array(bytes, 0, head, 12);
    StoreI32(bytes, 48, 0);
    StoreI32(bytes, 52, win);
    StoreI32(bytes, 56, loss);
    StoreI32(bytes, 60, draw);
    StoreI32(bytes, 64, scoreChange);
    StoreI32(bytes, 68, silverChange);
    StoreI32(bytes, 72, level);
    std::memcpy(bytes.data() + 76, title, sizeof title);
    StoreI32(bytes, 92, fee);
    return true;
}

bool ResultHeader::Read(std::span<const uint8_t> bytes, ResultHeader& out)
{
    if (bytes.size() < kWireSize)
        return false;
    out.count = LoadI32(bytes, 0);
    out.tableNumber = LoadI32(bytes, 4);
    out.value = LoadI32(bytes, 8);
    out.flags[0] = bytes[16];
    out.flags[1] = bytes[17];
    out.creationTick = static_cast<uint32_t>(LoadI32(bytes, 24));
    return true;
}

bool ResultHeader::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    std::fill(bytes.begin(), bytes.begin() + kWireSize, uint8_t { 0 });
    StoreI32(bytes, 0, count);
    StoreI32(bytes, 4, tableNumber);
    StoreI32(bytes, 8, value);
    bytes[16] = flags[0];
    bytes[17] = flags[1];
    StoreI32(bytes, 24, static_cast<int32_t>(creationTick));
    return true;
}

} // namespace table
