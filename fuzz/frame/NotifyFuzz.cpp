// The frame's notification handler over bodies from outside: a sequence of
// notifications of the frame's ids (and one that no layer knows) dispatched
// to one application without a window, then every accessor of what they
// changed.
//
// Input: a first byte of switches {bit 0 a game is running, bit 1 looking
// on, bit 2 the room lets seats change during a game, bit 3 match mode,
// bit 4 no views}, then the steps of fuzz/NotifySteps.h.
#include "frame/core/GameNotifyHandler.h"
#include "fuzz/NotifySteps.h"
#include "net/DailyLog.h"
#include "platform/MessageBox.h"
#include "tests/frame/core/NotifyTestApp.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using notifytest::NotifyTestApp;

// One application for the whole run (making one opens the configuration
// and asks for the screen); Reset puts back what a notification may change.
NotifyTestApp& App()
{
    static NotifyTestApp* app = [] {
        net::LogInit(nullptr, net::kLogCrLf); // no log files
        platform::SetMessageBoxAnswer(platform::kIdOk);
        return new NotifyTestApp();
    }();
    return *app;
}

void Reset(NotifyTestApp& app, uint8_t switches)
{
    app.ClearSeatPlayers();
    for (int i = 0; i < frame::FrameRecordStore::kLookOnSlots; ++i)
        app.GetLookOnPlayer(i)->Clear();
    for (int i = 0; i < frame::FrameRecordStore::kSeats; ++i)
        app.GetMatchSeat(i)->Clear();
    app.GetRoomInfo().Clear();
    app.GetTableInfo().Clear();
    app.GetMatchRoomInfo().Clear();
    app.GetMatchStateBlock().Clear();
    app.GetMatchRanking().Clear();
    app.SetAdvertText("");
    app.SetTableActive(true);
    app.State().ResetFlags();
    app.TakeLog();
    platform::TakeMessageBoxLog();

    app.GetHallArgs() = frame::HallLaunchArgs {};
    app.GetHallArgs().userId = 1002;
    app.GetHallArgs().lookOn = (switches & 0x2) != 0;
    app.SetOwnChair(1);
    app.SetTableNo(7);
    if (switches & 0x1)
        app.BeginGame();
    else
        app.EndGame();
    app.GetRoomInfo().SetOptionsB((switches & 0x4) ? frame::RoomInfo::kOptionBSeatChangeInGame : 0);
    app.SetMatchMode((switches & 0x8) != 0);
    app.SetViews((switches & 0x10) == 0);
    // Two players and a looker-on whose ids the inputs can name.
    for (int chair : { 0, 1 }) {
        frame::PlayerRecord& seat = *app.GetSeatPlayer(chair);
        seat.SetUserId(1001 + chair);
        seat.SetName("player");
        seat.SetTableNo(7);
        seat.SetChair(chair);
    }
    app.GetTableInfo().SetPlayerCount(2);
    frame::PlayerRecord& looker = *app.GetLookOnPlayer(0);
    looker.SetUserId(1005);
    looker.SetTableNo(7);
    looker.SetChair(0);
    looker.SetLookOn(1);
}

uint32_t IdOf(uint8_t index)
{
    const auto ids = GameNotifyHandler::FrameIds();
    return index < ids.size() ? ids[index] : 211300;
}

size_t ReadEverything(NotifyTestApp& app)
{
    size_t sink = app.GetAdvertText().size();
    for (int chair = -1; chair <= 8; ++chair) {
        sink += app.GetChairDisplayName(chair).size();
        sink += app.GetUserDisplayName(app.GetChairUserId(chair)).size();
    }
    const frame::MatchRanking& ranking = app.GetMatchRanking();
    for (size_t i = 0; i < ranking.Count(); ++i)
        sink += ranking.Entry(i).Name().size();
    for (const std::string& line : app.TakeLog())
        sink += line.size();
    return sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    NotifyTestApp& app = App();
    Reset(app, data[0]);
    GameNotifyHandler handler(app);
    fuzzsteps::ForEachStep(data, size, 1, [&](uint8_t index, const uint8_t* body, size_t length) {
        const uint32_t id = IdOf(index);
        handler.Dispatch(id, body, length);
        handler.StampLast(id, body, length);
        if (handler.GetLastId() != id || handler.GetLastLength() != length)
            __builtin_trap();
        const int players = app.GetTablePlayerCount();
        if (players < 0 || players > frame::FrameRecordStore::kSeats || app.GetAdvertText().size() > 255)
            __builtin_trap();
    });
    volatile size_t sink = ReadEverything(app);
    (void)sink;
    return 0;
}
