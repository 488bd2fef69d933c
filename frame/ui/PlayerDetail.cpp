#include "frame/ui/PlayerDetail.h"

#include "frame/core/FrameRecords.h"
#include "frame/core/WireReader.h"

#include <algorithm>
#include <cstdio>

namespace frame {

namespace {

// Places in the 160-byte record of notification 211241.
constexpr size_t kUserIdAt = 0;
constexpr size_t kFigureAt = 16;
constexpr size_t kNameAt = 20, kNameSize = 32;
constexpr size_t kNicknameAt = 52, kNicknameSize = 16;
constexpr size_t kLevelAt = 68;
constexpr size_t kRankPointsAt = 72;
constexpr size_t kNextPointsAt = 76;
constexpr size_t kWonAt = 80, kLostAt = 84, kDrawnAt = 88;
constexpr size_t kMatchWonAt = 116, kMatchLostAt = 120, kMatchDrawnAt = 124;
// Where the match seat keeps this match's won, lost and drawn.
constexpr size_t kSeatMatchWon = 196;

std::string Percent(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%", value);
    return text;
}

} // namespace

MatchPlayerDetail MatchDetailFromSeat(const MatchSeatRecord& seat)
{
    const auto& bytes = seat.Bytes();
    const WireReader r(bytes.data(), bytes.size());
    MatchPlayerDetail d;
    d.userId = r.Int(MatchSeatRecord::kUserId);
    d.figure = r.Int(MatchSeatRecord::kFigure);
    d.name = r.Text(MatchSeatRecord::kName, MatchSeatRecord::kNameSize);
    d.nickname = r.Text(MatchSeatRecord::kNickname, MatchSeatRecord::kNicknameSize);
    d.level = r.Int(MatchSeatRecord::kWord96);
    d.rankPoints = r.Int(MatchSeatRecord::kRankPoints);
    d.nextLevelPoints = r.Int(MatchSeatRecord::kNextLevelPoints);
    d.won = r.Int(MatchSeatRecord::kTotalWon);
    d.lost = r.Int(MatchSeatRecord::kTotalLost);
    d.drawn = r.Int(MatchSeatRecord::kTotalDrawn);
    // The seat's eight words from byte 184 land at 104 of the detail; this
    // match's three are the fourth to sixth of them.
    d.matchWon = r.Int(kSeatMatchWon);
    d.matchLost = r.Int(kSeatMatchWon + 4);
    d.matchDrawn = r.Int(kSeatMatchWon + 8);
    return d;
}

std::optional<MatchPlayerDetail> ReadMatchPlayerDetail(const uint8_t* data, size_t size)
{
    const WireReader r(data, size);
    if (!data || !r.Has(MatchPlayerDetail::kSize))
        return std::nullopt;
    MatchPlayerDetail d;
    d.userId = r.Int(kUserIdAt);
    d.figure = r.Int(kFigureAt);
    d.name = r.Text(kNameAt, kNameSize);
    d.nickname = r.Text(kNicknameAt, kNicknameSize);
    d.level = r.Int(kLevelAt);
    d.rankPoints = r.Int(kRankPointsAt);
    d.nextLevelPoints = r.Int(kNextPointsAt);
    d.won = r.Int(kWonAt);
    d.lost = r.Int(kLostAt);
    d.drawn = r.Int(kDrawnAt);
    d.matchWon = r.Int(kMatchWonAt);
    d.matchLost = r.Int(kMatchLostAt);
    d.matchDrawn = r.Int(kMatchDrawnAt);
    return d;
}

std::string WinRate(int won, int lost, int drawn)
{
    const double games = static_cast<double>(won) + lost + drawn;
    return games == 0 ? "100%" : Percent(won / games * 100);
}

std::string DisconnectRate(int disconnects, int won, int lost, int drawn)
{
    const double games = static_cast<double>(won) + lost + drawn;
    return games == 0 ? "0.00%" : Percent(disconnects / games * 100);
}

DetailPlacement PlaceDetailNear(const engine::Rect& table, int panelWidth, int panelHeight, int margin, int x, int y)
{
    const int w = table.right - table.left;
    const int h = table.bottom - table.top;
    x = x > table.left + w / 2 ? x - panelWidth / 2 : x + panelWidth / 2;
    y = y > table.top + h / 2 ? y - panelHeight / 2 : y + panelHeight / 2;
    // The upper bound first: on a table too low for the panel the top wins.
    y = std::min(y, table.top + h - panelHeight / 2 - margin);
    y = std::max(y, table.top + panelHeight / 2 + margin);
    x = std::max(x, table.left + panelWidth / 2 + margin);
    return { x, y };
}

} // namespace frame
