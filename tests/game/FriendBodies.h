#pragma once
// The bodies of the game's play (221170) and pass (223100) notifications as
// the server sends them, and the table state of a running round, for the
// table view's tests.

#include "table/FriendRecords.h"
#include "tests/cards/RecordBodies.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace friendtest {

inline void Put(std::vector<uint8_t>& body, size_t at, int v)
{
    std::memcpy(body.data() + at, &v, 4);
}

// 221170: +12 chair, +20 next chair, +24 finish place, +28 seconds, +48
// type, +60 count (the ids' count unless given), +64 ids.
inline std::vector<uint8_t> Play(int chair, int next, int type, const std::vector<int>& ids, int count = -1)
{
    std::vector<uint8_t> body(64 + 4 * ids.size(), 0);
    Put(body, 12, chair);
    Put(body, 20, next);
    Put(body, 28, 20);
    Put(body, 48, type);
    Put(body, 60, count < 0 ? static_cast<int>(ids.size()) : count);
    for (size_t i = 0; i < ids.size(); ++i)
        Put(body, 64 + 4 * i, ids[i]);
    return body;
}

// 223100: +8 chair, +16 next chair, +20 the trick ends, +32 seconds.
inline std::vector<uint8_t> Pass(int chair, int next, bool clears)
{
    std::vector<uint8_t> body(36, 0);
    Put(body, 8, chair);
    Put(body, 16, next);
    Put(body, 20, clears ? 1 : 0);
    Put(body, 32, 20);
    return body;
}

// A round in its play phase: chair c holds the cards 27c .. 27c + 26, the
// own chair's ids known and everyone else's hidden.
inline table::FriendTableState RunningState(int banker, int turnChair, int flipCard, int own)
{
    table::FriendTableState state;
    table::InitTableState(&state);
    state.header.banker = banker;
    state.header.currentChair = turnChair;
    state.header.status = 0x101;
    state.header.calledCard = flipCard;
    for (int i = 0; i < 108; ++i) {
        table::CardRecord& r = state.cards[i];
        r.owner = i / 27;
        r.state = table::kCardInHand;
        r.id = r.owner == own ? i : -1;
        r.position = i % 27;
        r.extra = 27;
    }
    return state;
}

} // namespace friendtest
