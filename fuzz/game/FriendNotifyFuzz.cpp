// The game's notification handler over bodies from outside: a sequence of
// notifications of the game's ids, the card layer's and the frame's ids the
// game changes (and one that no layer knows) dispatched to one application
// without a window, then every record the game data holds.
//
// Input: a first byte of switches {bit 0 a game is running, bit 1 looking
// on, bit 2 the room's option bits 0x40 and 0x80, bit 3 match mode, bit 4
// no views}, then the steps of fuzz/NotifySteps.h.
#include "game/FriendNotifyHandler.h"
#include "fuzz/NotifySteps.h"
#include "net/DailyLog.h"
#include "tests/game/FriendTestApp.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

using friendtest::FriendTestApp;

constexpr std::array<uint32_t, 12> kFrameIdsChanged = { 201210, 211000, 211010, 211028, 211200, 211920, 211700,
    211025, 211030, 211150, 211300, 299999 };

FriendTestApp& App()
{
    static FriendTestApp* app = [] {
        net::LogInit(nullptr, net::kLogCrLf); // no log files
        return new FriendTestApp();
    }();
    return *app;
}

void Reset(FriendTestApp& app, uint8_t switches)
{
    app.ClearSeatPlayers();
    app.GetRoomInfo().Clear();
    app.GetTableInfo().Clear();
    // A zero start record clears the last result; then a new table.
    static const std::array<uint8_t, game::FriendGameData::kStartSize> zeroStart {};
    app.Data().BeginRound(zeroStart.data(), zeroStart.size());
    app.Data().ResetTable();
    app.ClearExitAgreed();
    app.SetTableActive(true);
    app.TakeLog();

    app.GetHallArgs() = frame::HallLaunchArgs {};
    app.GetHallArgs().userId = 1002;
    app.GetHallArgs().lookOn = (switches & 0x2) != 0;
    app.SetOwnChair(1);
    app.SetTableNo(7);
    if (switches & 0x1)
        app.BeginGame();
    else
        app.EndGame();
    app.GetRoomInfo().SetOptionsB((switches & 0x4) ? frame::RoomInfo::kOptionB40 | frame::RoomInfo::kOptionB80 : 0);
    app.SetMatchMode((switches & 0x8) != 0);
    app.SetViews((switches & 0x10) == 0);
    for (int chair : { 0, 1 }) {
        frame::PlayerRecord& seat = *app.GetSeatPlayer(chair);
        seat.SetUserId(1001 + chair);
        seat.SetName("player");
        seat.SetTableNo(7);
        seat.SetChair(chair);
    }
    app.GetTableInfo().SetPlayerCount(2);
}

uint32_t IdOf(uint8_t index)
{
    const auto game = game::FriendNotifyHandler::GameIds();
    if (index < game.size())
        return game[index];
    index = static_cast<uint8_t>(index - game.size());
    const auto card = game::CardNotifyHandler::CardIds();
    if (index < card.size())
        return card[index];
    index = static_cast<uint8_t>(index - card.size());
    return kFrameIdsChanged[index % kFrameIdsChanged.size()];
}

size_t ReadEverything(FriendTestApp& app)
{
    const game::FriendGameData& data = app.Data();
    size_t sink = 0;
    for (std::span<const uint8_t> bytes : { data.TableInfo(), data.TableState(), data.ResultRecord() })
        sink += static_cast<size_t>(std::count(bytes.begin(), bytes.end(), uint8_t { 0 }));
    sink += static_cast<size_t>(data.GetTableState().header.banker);
    sink += static_cast<size_t>(data.GetResultRecord().friendChair);
    for (int chair = -1; chair <= 8; ++chair)
        sink += data.IsChairReady(chair) ? 1 : 0;
    for (const std::string& line : app.TakeLog())
        sink += line.size();
    return sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FriendTestApp& app = App();
    Reset(app, data[0]);
    game::FriendNotifyHandler handler(app);
    fuzzsteps::ForEachStep(data, size, 1, [&](uint8_t index, const uint8_t* body, size_t length) {
        const uint32_t id = IdOf(index);
        handler.Dispatch(id, body, length);
        const int players = app.GetTablePlayerCount();
        if (players < 0 || players > frame::FrameRecordStore::kSeats)
            __builtin_trap();
        // The result is taken only with the game stopped.
        if (id == game::kNotifyRoundResult && length >= game::FriendGameData::kResultSize && app.Data().IsPlaying())
            __builtin_trap();
    });
    volatile size_t sink = ReadEverything(app);
    (void)sink;
    return 0;
}
