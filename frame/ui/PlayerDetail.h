#pragma once
// What the player detail panel shows, apart from the drawing: the match
// player's details (from a match seat, or the 160 bytes of notification
// 211241, read bounded), the statistics' rates, and where the panel opens
// beside a point of the table.

#include "engine/core/ObjectGeometry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace frame {

class MatchSeatRecord;

struct MatchPlayerDetail {
    static constexpr size_t kSize = 160;

    int32_t userId = 0;
    int32_t figure = 0;
    std::string name;
    std::string nickname;
    int32_t level = 0;
    int32_t rankPoints = 0;
    int32_t nextLevelPoints = 0;
    int32_t won = 0;
    int32_t lost = 0;
    int32_t drawn = 0;
    int32_t matchWon = 0;
    int32_t matchLost = 0;
    int32_t matchDrawn = 0;
};

MatchPlayerDetail MatchDetailFromSeat(const MatchSeatRecord& seat);
// Nothing for a body shorter than the record; texts end inside their fields.
std::optional<MatchPlayerDetail> ReadMatchPlayerDetail(const uint8_t* data, size_t size);

// "75.00%"; "100%" without games.
std::string WinRate(int won, int lost, int drawn);
// "50.00%"; "0.00%" without games.
std::string DisconnectRate(int disconnects, int won, int lost, int drawn);

// The panel's centre for a click at (x, y) on the table rectangle: it opens
// away from the nearer edges and keeps the margin (the small board's
// height) inside the table.
struct DetailPlacement {
    int x;
    int y;
};
DetailPlacement PlaceDetailNear(const engine::Rect& table, int panelWidth, int panelHeight, int margin, int x, int y);

} // namespace frame
