// The frame's records over bytes from outside: the lobby argument and every
// loader of server, lobby and replay bodies, applied in sequence to one
// store, then every accessor.
//
// Input: a first byte of 0 makes the rest a lobby argument; its relaunch
// form must read back to the same record. Otherwise the input is a list of
// steps {operation byte, 16-bit little-endian length, body}; each body is
// copied into its own allocation so that a read past it is caught.
#include "frame/core/FrameRecordStore.h"
#include "frame/core/FrameRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

constexpr int kDefaultPort = 21534;

void CheckHallArgs(std::string_view text)
{
    using namespace frame;
    HallArgsLine line;
    if (ParseHallArgs(text, kDefaultPort, line) != HallArgsStatus::Ok)
        return;
    if (line.args.serverHost.size() > HallLaunchArgs::kHostMax || line.args.title.size() > HallLaunchArgs::kTitleMax)
        __builtin_trap();
    // A '|' inside a text makes more fields on the way back.
    if (line.args.serverHost.find('|') != std::string::npos || line.args.title.find('|') != std::string::npos)
        return;
    HallArgsLine again;
    if (ParseHallArgs(FormatHallArgs(line), kDefaultPort, again) != HallArgsStatus::Ok || !(again == line))
        __builtin_trap();
}

class FuzzStore final : public frame::FrameRecordStore {
public:
    FuzzStore()
        : FrameRecordStore("KbZn", kDefaultPort, 1, 1)
    {
    }
    int GetChairCount() const override { return 4; }
    int GetDetailPanelUserId() const override { return GetChairUserId(1); }
};

// Every accessor, for chairs and users around what the store holds.
size_t ReadEverything(const FuzzStore& store)
{
    size_t sink = 0;
    for (int chair = -1; chair <= 8; ++chair) {
        int userId = store.GetChairUserId(chair);
        sink += store.GetChairName(chair).size() + store.GetChairDisplayName(chair).size();
        sink += static_cast<size_t>(store.GetMatchSeatWord96(chair));
        for (int user : { userId, store.GetUserId(), 0, -1 }) {
            sink += static_cast<size_t>(store.GetUserChair(user));
            sink += store.GetUserName(user).size() + store.GetUserDisplayName(user).size();
            sink += store.IsSeatedUser(user) + store.IsLookOnUser(user) + store.IsMemberUser(user);
            sink += store.IsPrivilegedUser(user) + static_cast<size_t>(store.GetUserWord164(user));
            sink += store.FindMatchSeat(user) != nullptr;
        }
    }
    for (int slot = 0; slot < frame::FrameRecordStore::kLookOnSlots; ++slot)
        sink += store.GetLookOnPlayer(slot)->DisplayName().size();
    const frame::MatchRanking& ranking = store.GetMatchRanking();
    for (size_t i = 0; i < ranking.Count(); ++i)
        sink += ranking.Entry(i).Name().size();
    for (int chair = 0; chair < 8; ++chair)
        sink += store.GetRoundResult().LevelTitle(chair).size();
    sink += store.GetRoomName().size() + store.GetLocationName().size() + store.GetNotifyHost().size();
    sink += store.GetMatchName().size() + store.GetAwardUrl().size() + store.GetTitleText().size();
    sink += store.CanRequestForcedQuit() + store.IsSafeBoxTransferAllowed();
    return sink;
}

void RunSteps(const uint8_t* data, size_t size)
{
    FuzzStore store;
    store.GetHallArgs().userId = 1;
    size_t pos = 0;
    while (pos + 3 <= size) {
        uint8_t op = data[pos];
        size_t length = std::min<size_t>(data[pos + 1] | data[pos + 2] << 8, size - pos - 3);
        std::vector<uint8_t> body(data + pos + 3, data + pos + 3 + length);
        pos += 3 + length;
        const uint8_t* p = body.data();
        switch (op % 17) {
        case 0: store.LoadSeatPlayers(p, length); break;
        case 1: store.LoadOtherSeatPlayers(p, length); break;
        case 2: store.LoadPlayersByChair(p, length); break;
        case 3: store.LoadMatchTable(p, length); break;
        case 4: store.ApplyRoundResult(p, length); break;
        case 5: store.UpdatePlayerResult(p, length); break;
        case 6: store.UpdatePlayerMoney(p, length); break;
        case 7: store.SetPlayerNames(p, length); break;
        case 8: store.SetPlayerPortrait(p, length); break;
        case 9: store.SetPlayerPrivileged(p, length); break;
        case 10: store.RestoreRoomFromReplay(p, length); break;
        case 11: store.ReplaySeatToPlayer(*store.GetSeatPlayer(op / 17 % 8), p, length); break;
        case 12: store.SetRoomTexts(p, length); break;
        case 13:
            store.GetMatchRanking().LoadNotification(p, length);
            store.SortMatchRanking();
            break;
        case 14: store.SetMatchMode(!store.IsMatchMode()); break;
        case 15:
            store.ParseHallArgs(std::string_view(reinterpret_cast<const char*>(p), length));
            break;
        case 16: {
            std::array<int32_t, 8> values {};
            for (size_t i = 0; i < values.size() && 4 * i + 4 <= length; ++i)
                values[i] = static_cast<int32_t>(frame::LoadLe32(p + 4 * i));
            store.AddRoundScores(values);
            break;
        }
        }
    }
    volatile size_t sink = ReadEverything(store);
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] == 0)
        CheckHallArgs(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    else
        RunSteps(data + 1, size - 1);
    return 0;
}
