#pragma once
// A stand-in for the lobby program, for tests and demos: the window of
// class "DozeDovaFrame" the client talks to, on the desktop channel, with
// no video system behind it.
//
// It lays out the files the client reads at start-up (the system
// directory's runo.ini naming the lobby's program, the lobby's own ini with
// proxy settings), starts the client with the lobby argument (its own
// window handle in field 3), answers WM_HALL_GAMEREADY with the init data's
// table form and WM_HALL_MATCHREADY with its match form, WM_HALL_GETSIGN
// with a sign answer to the window and token the request names, sends the
// other lobby records on demand, and records everything it receives, with
// close notices and text messages decoded. Its cipher is libcrypto's AES
// under the shared key, not the client's own code, so a mistake made on
// both sides cannot pass unnoticed.
//
// What arrives is handled on the channel's listener thread; what the lobby
// sends in answer goes out from a thread of its own, so a client that sends
// to the lobby while it handles the lobby's record cannot lock both. Every
// public operation may be called from any thread.

#include "frame/core/HallRecords.h"
#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace tools {

// Proxy settings the lobby keeps in its ini ([PROXY] of DozeDova.ini).
struct LobbyProxy {
    int type = 0; // [PROXY] Sock
    std::string host = "127.0.0.1";
    int port = 0;
    std::string user;
    std::string password;
};

struct LobbyOptions {
    // The lobby argument's fields.
    int gameId = 7;
    std::string serverHost = "127.0.0.1";
    int serverPort = 0;
    int lobbyWord = 3;
    int lobbyWord4 = 0;
    int userId = 10001;
    int tableNo = 5;
    int chair = 2;
    int lookOn = 0;
    std::string title = "测试房间";
    // The player's own score and silver as the lobby knows them: what the
    // table server of tools/ seats a new player with, so that the user list
    // shows before the first deal the figures the table settles from.
    int score = 500;
    int silver = 100000;
    uint32_t roomOptionsA = 0;
    uint32_t roomOptionsB = 0;
    uint32_t roomOptionsC = 0;
    // The room's web hosts (host or host:port): the advert page's and the
    // notice file's.
    std::string advertHost;
    std::string notifyHost;
    // The text of sign answers; no answer at all when answerSigns is false.
    std::string signText = "stand-in-sign";
    bool answerSigns = true;
};

// One thing the lobby received, or one record it sent.
struct LobbyEvent {
    enum class Kind { kPosted, kCopyData, kSent };
    Kind kind = Kind::kPosted;
    // kPosted: the message; kSent: 0.
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    // kCopyData: the sending window; kSent: the window sent to.
    platform::WindowHandle window = 0;
    // kCopyData, kSent: the record id and its bytes (as they travelled).
    uintptr_t id = 0;
    std::vector<uint8_t> bytes;
    // kSent: whether the client handled it, and its result.
    bool handled = false;
    intptr_t result = 0;
    // Decoded records (types 2 and 5; type 11, deciphered).
    std::optional<frame::HallCloseNotice> closeNotice;
    std::optional<frame::HallTextMessage> textMessage;

    bool IsClose() const { return closeNotice.has_value(); }
    // One line for a person to read.
    std::string Describe() const;
};

class StandInLobby {
public:
    StandInLobby(const platform::DesktopChannel& channel, LobbyOptions options);
    ~StandInLobby(); // stops the client if it still runs, then leaves the channel
    StandInLobby(const StandInLobby&) = delete;
    StandInLobby& operator=(const StandInLobby&) = delete;

    // Takes a window handle and registers the lobby window; false when
    // another lobby window lives (the client also finds the lobby by its
    // class, so there must be only one) or the channel refuses it.
    bool Start();
    platform::WindowHandle Handle() const { return m_handle; }
    const LobbyOptions& Options() const { return m_options; }

    // The init data answered to the client; by default DefaultInitGame()
    // and DefaultInitMatch().
    void SetInitGame(frame::HallInitGame init);
    void SetInitMatch(frame::HallInitMatch init);
    // From the options: the room (name = title, option words, level titles
    // as room texts), the table, and the own record at its chair (seated,
    // or looking on at a chair where another player sits), with one more
    // player.
    frame::HallInitGame DefaultInitGame() const;
    frame::HallInitMatch DefaultInitMatch() const;

    // The lobby argument: the fifteen fields, quoted, with this window's
    // handle in field 3.
    std::string LaunchArgument() const;

    // Creates root/system (runo.ini: [SYSTEM] ExePath = root/hall/DozeDova)
    // and root/hall, with the proxy in root/hall/DozeDova.ini when given and
    // the advert host on the page allow-list (root/hall/Share/advert/
    // domain.dat) when the options name one.
    bool LayOutTree(const std::string& root, const std::optional<LobbyProxy>& proxy = std::nullopt);
    const std::string& SystemDir() const { return m_systemDir; }
    const std::string& HallDir() const { return m_hallDir; }

    // Starts the client with the lobby argument and KBZN_SYSTEM_DIR set to
    // the system directory (after LayOutTree), in a process group of its
    // own; false when it cannot be started.
    bool LaunchClient(const std::string& clientPath);
    // Whether the client still runs; its exit status once it ended.
    bool ClientRunning();
    std::optional<int> ClientExitCode() const;
    // Ends the client (SIGTERM, then SIGKILL after a while) if it runs.
    void StopClient();
    // Takes the lobby's window off the channel, as a lobby that quits does;
    // the client it started goes on running until it notices.
    void StopWindow() { m_registration.reset(); }

    // The main window the client announced (0 before).
    platform::WindowHandle ClientWindow() const;

    // Records to the client's main window, enciphered (type 13's payload as
    // given). True when the client handled the record.
    bool SendLookerJoined(const frame::PlayerRecord& looker);
    // A leave record naming this lobby window.
    bool SendLeaveTable(int32_t userId, int32_t tableNo, int32_t chair);
    bool SendShowPlayer(const frame::PlayerRecord& player);
    bool SendExtra(std::span<const uint8_t> payload);
    bool SendRecord(platform::WindowHandle target, uintptr_t id, std::span<const uint8_t> plain, bool encipher);

    std::vector<LobbyEvent> Events() const;
    // Waits up to timeoutMs for an event (seen before or after the call)
    // that matches.
    std::optional<LobbyEvent> WaitForEvent(const std::function<bool(const LobbyEvent&)>& match, int timeoutMs) const;
    // Called for every event as it is recorded (on the thread that records
    // it); set before Start.
    void SetObserver(std::function<void(const LobbyEvent&)> observer) { m_observer = std::move(observer); }

private:
    void OnPosted(uint32_t message, uintptr_t wParam, intptr_t lParam);
    intptr_t OnCopyData(platform::WindowHandle sender, const platform::CopyDataRecord& record);
    void Record(LobbyEvent event);
    void Queue(std::function<void()> job);
    void RunJobs();
    void SendInit(platform::WindowHandle target);
    void SendSign(platform::WindowHandle target, uint32_t token);

    const platform::DesktopChannel& m_channel;
    LobbyOptions m_options;
    platform::HandleSpace m_handles;
    platform::WindowHandle m_handle = 0;
    std::string m_systemDir;
    std::string m_hallDir;
    std::function<void(const LobbyEvent&)> m_observer;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<LobbyEvent> m_events;
    std::optional<frame::HallInitGame> m_initGame;
    std::optional<frame::HallInitMatch> m_initMatch;
    platform::WindowHandle m_clientWindow = 0;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;

    pid_t m_clientPid = -1;
    std::optional<int> m_clientExit;

    std::thread m_worker;
    std::unique_ptr<platform::DesktopRegistration> m_registration;
};

} // namespace tools
