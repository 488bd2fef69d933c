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
