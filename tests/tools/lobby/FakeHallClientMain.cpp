// fake-hall-client: the client's side of the lobby exchange in its
// simplest form, for the stand-in lobby program's test.
//
//   fake-hall-client "<lobby argument>"
//
// Finds the lobby window named in the argument, announces its own window
// with WM_HALL_GAMEREADY, waits for the init data, checks that it seats
// this user as launched, then sends a text message and its close notice.
// Exit 0 on success; 4 without the files the lobby lays out, 5 when the
// lobby cannot be found, 6 without usable init data, 7 when a send fails.

#include "frame/core/HallRecords.h"
#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"
#include "platform/IniFile.h"

#include <chrono>
#include <cstdlib>
#include <future>
#include <optional>

namespace {

bool OwnRecordFits(const frame::HallInitGame& init, const frame::HallLaunchArgs& args)
{
    const auto& records = args.lookOn ? init.lookers : init.seated;
    for (const frame::PlayerRecord& r : records)
        if (r.UserId() == args.userId && r.Chair() == args.chair && r.LookOn() == args.lookOn)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    frame::HallArgsLine line;
    if (argc != 2 || frame::ParseHallArgs(argv[1], 21534, line) != frame::HallArgsStatus::Ok)
        return 2;
    const frame::HallLaunchArgs& args = line.args;
    const char* systemDir = std::getenv("KBZN_SYSTEM_DIR");
    if (!systemDir
        || platform::IniFile(std::string(systemDir) + "/runo.ini").GetString("SYSTEM", "ExePath", "").empty())
        return 4;

    const platform::DesktopChannel& channel = platform::DesktopChannel::Desktop();
    const auto lobby = static_cast<platform::WindowHandle>(args.lobbyWindow);
    if (!channel.IsWindow(lobby) || channel.FindWindowByClass(frame::kHallWindowClass) != lobby)
        return 5;

    std::promise<std::vector<uint8_t>> initData;
    bool haveInit = false;
    const platform::WindowHandle self = platform::HandleSpace::Desktop().Allocate();
    platform::DesktopRegistration window(channel, "KbZnFrame", self, nullptr,
        [&](platform::WindowHandle, const platform::CopyDataRecord& record) -> intptr_t {
            if (record.id != frame::HALLDATA_INIT || haveInit)
                return 0;
            haveInit = true;
            initData.set_value(frame::HallDataCipher::Decipher({ record.bytes, record.size }));
            return 1;
        });
    if (!window.IsListening() || !channel.PostToWindow(lobby, frame::WM_HALL_GAMEREADY, self, args.tableNo))
        return 5;

    auto arrived = initData.get_future();
    if (arrived.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
        return 6;
    const std::vector<uint8_t> payload = arrived.get();
    frame::HallInitGame init;
    if (frame::ParseHallInitGame(payload.data(), payload.size(), init) != frame::HallInitStatus::kOk
        || !OwnRecordFits(init, args))
        return 6;

    frame::HallTextMessage text;
    text.SetWindow(self);
    text.SetUserId(args.userId);
    text.SetGameId(args.gameId);
    text.SetLobbyWord(args.lobbyWord);
    text.SetValue(1);
    text.SetText("http://example.test/fake");
    frame::HallCloseNotice close;
    close.SetWindow(self);
    close.SetUserId(args.userId);
    close.SetTableNo(args.tableNo);
    close.SetChair(args.chair);
    close.SetLookOn(args.lookOn);
    close.SetGameId(args.gameId);
    intptr_t result = 0;
    if (!channel.SendCopyData(lobby, self, frame::HALLDATA_TEXT, frame::HallDataCipher::Encipher(text.Bytes()),
            frame::kHallSendTimeoutMs, &result)
        || !channel.SendCopyData(lobby, self, frame::HALLDATA_CLOSED, close.Bytes(), frame::kHallSendTimeoutMs,
            &result))
        return 7;
    return 0;
}
