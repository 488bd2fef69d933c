#include "table/PlayRecord.h"

#include "platform/Bytes.h"

#include <algorithm>

namespace table {

using platform::LoadI32;
using platform::StoreI32;
using platform::LoadI32Array;
using platform::StoreI32Array;

void PlayRecord::Clear()
{
    Set(0, 0, 0, 0);
}

void PlayRecord::Zero()
{
    type = mask = value = count = 0;
    std::fill(cards, cards + kMaxPlayCards, 0);
}

void PlayRecord::Set(int newType, int newMask, int newValue, int newCount)
{
    type = newType;
    mask = newMask;
    value = newValue;
    count = newCount;
    FillMinusOne(cards, kMaxPlayCards);
}

bool PlayRecord::Append(int id)
{
    for (int& place : cards) {
        if (place == kNoCard) {
            place = id;
            return true;
        }
    }
    return false;
}

bool PlayRecord::Read(std::span<const uint8_t> bytes, PlayRecord& record)
{
    if (bytes.size() < kWireSize)
        return false;
    record.type = LoadI32(bytes, 0);
    record.mask = LoadI32(bytes, 4);
    record.value = LoadI32(bytes, 8);
    record.count = LoadI32(bytes, 12);
    LoadI32Array(bytes, 16, record.cards, kMaxPlayCards);
    return true;
}

bool PlayRecord::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    StoreI32(bytes, 0, type);
    StoreI32(bytes, 4, mask);
    StoreI32(bytes, 8, value);
    StoreI32(bytes, 12, count);
    StoreI32Array(bytes, 16, cards, kMaxPlayCards);
    return true;
}

bool operator==(const PlayRecord& a, const PlayRecord& b)
{
    return a.type == b.type && a.mask == b.mask && a.value == b.value && a.count == b.count
        && std::equal(a.cards, a.cards + kMaxPlayCards, b.cards);
}

void PlayList::Clear()
{
    for (PlayRecord& entry : entries)
        entry.Zero();
    count = 0;
}

bool PlayList::Read(std::span<const uint8_t> bytes, PlayList& list)
{
    if (bytes.size() < kWireSize)
        return false;
    for (int i = 0; i < kCapacity; ++i)
        PlayRecord::Read(bytes.subspan(i * PlayRecord::kWireSize), list.entries[i]);
    // The count comes from outside: keep it within the five entries.
    list.count = std::clamp(LoadI32(bytes, 1360), 0, kCapacity);
    return true;
}

bool PlayList::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    for (int i = 0; i < kCapacity; ++i)
        entries[i].Write(bytes.subspan(i * PlayRecord::kWireSize));
    StoreI32(bytes, 1360, count);
    return true;
}

bool PlayMessage::Read(std::span<const uint8_t> bytes, PlayMessage& out)
{
    if (bytes.size() < kWireSize)
        return false;
    LoadI32Array(bytes, 0, out.head, 12);
    return PlayRecord::Read(bytes.subspan(48), out.play);
}

bool PlayMessage::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    StoreI32Array(bytes, 0, head, 12);
    return play.Write(bytes.subspan(48));
}

} // namespace table
