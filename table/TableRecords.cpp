#include "table/TableRecords.h"

#include "table/Wire.h"

#include <algorithm>

namespace table {

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
