#include "tools/lobby/StandInLobby.h"

#include "frame/ui/NavigationFilter.h"
#include "platform/Gbk.h"
#include "platform/IniFile.h"
#include "tools/wire/WireCodec.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tools {

namespace {

using frame::HallDataCipher;
using frame::PlayerRecord;

AesKey HallKey()
{
    AesKey key;
    std::copy(HallDataCipher::kKey.begin(), HallDataCipher::kKey.end(), key.begin());
    return key;
}

std::string AsString(std::span<const uint8_t> bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> Encipher(std::span<const uint8_t> plain)
{
    std::string out;
    if (!AesEncryptZeroPadded(HallKey(), AsString(plain), out))
        return {};
    return { out.begin(), out.end() };
}

// Whole blocks only: a ragged tail is left out.
std::vector<uint8_t> Decipher(std::span<const uint8_t> enciphered)
{
    std::string out;
    const size_t whole = enciphered.size() - enciphered.size() % 16;
    if (whole == 0 || !AesDecryptBlocks(HallKey(), AsString(enciphered.first(whole)), out))
        return {};
    return { out.begin(), out.end() };
}

PlayerRecord Player(const tools::LobbyOptions& o, int32_t userId, int32_t chair, int32_t lookOn, const std::string& name)
{
    PlayerRecord record;
    record.SetUserId(userId);
    record.SetName(name);
    record.SetTableNo(o.tableNo);
    record.SetChair(chair);
    record.SetLookOn(lookOn);
    record.SetLevel(1);
    record.SetLevelTitle("新手");
    record.SetSilver(o.silver);
    record.SetScore(o.score);
    return record;
}

const char* MessageName(uint32_t message)
{
    switch (message) {
    case frame::WM_HALL_GAMEREADY: return "game ready";
    case frame::WM_HALL_MATCHREADY: return "match ready";
    case frame::WM_HALL_TABLEMSG: return "table message";
    case frame::WM_HALL_SHOWPLAYER: return "show player";
    case frame::WM_HALL_GETSIGN: return "get sign";
    case frame::WM_HALL_CHANGECLOTHING: return "change clothing";
    case frame::WM_HALL_BECOMEMEMBER: return "become member";
    default: return "unknown";
    }
}

const char* RecordName(uintptr_t id)
{
    switch (id) {
    case frame::HALLDATA_INIT: return "init";
    case frame::HALLDATA_CLOSED: return "closed";
    case frame::HALLDATA_LOOKERJOINED: return "looker joined";
    case frame::HALLDATA_CLOSEDLOST: return "closed, lost";
    case frame::HALLDATA_LEAVETABLE: return "leave table";
    case frame::HALLDATA_SHOWPLAYER: return "show player";
    case frame::HALLDATA_TEXT: return "text";
    case frame::HALLDATA_EXTRA: return "extra";
    case frame::HALLDATA_SIGNANSWER: return "sign answer";
    default: return "unknown";
    }
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// The environment of the client: ours, with the system directory named.
std::vector<std::string> ClientEnvironment(const std::string& systemDir)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "KBZN_SYSTEM_DIR=", 16) != 0)
            env.emplace_back(*e);
    env.push_back("KBZN_SYSTEM_DIR=" + systemDir);
    return env;
}

} // namespace

std::string LobbyEvent::Describe() const
{
    std::string line;
    switch (kind) {
    case Kind::kPosted:
        return "posted " + Hex(message) + " (" + MessageName(message) + ") wParam=" + std::to_string(wParam)
            + " lParam=" + std::to_string(lParam);
    case Kind::kSent:
        return "sent " + std::to_string(id) + " (" + RecordName(id) + ") to " + std::to_string(window) + ", "
            + std::to_string(bytes.size()) + " bytes: "
            + (handled ? "handled, result " + std::to_string(result) : std::string("not handled"));
    case Kind::kCopyData:
        line = "copydata " + std::to_string(id) + " (" + RecordName(id) + ") from " + std::to_string(window) + ", "
            + std::to_string(bytes.size()) + " bytes";
        break;
    }
    if (closeNotice) {
        const auto& c = *closeNotice;
        line += ": window=" + std::to_string(c.Window()) + " user=" + std::to_string(c.UserId())
            + " table=" + std::to_string(c.TableNo()) + " chair=" + std::to_string(c.Chair())
            + " lookon=" + std::to_string(c.LookOn()) + " lost=" + std::to_string(c.LostWhilePlaying())
            + " game=" + std::to_string(c.GameId()) + " newer=" + std::to_string(c.NewerMajor()) + "."
            + std::to_string(c.NewerMinor());
    } else if (textMessage) {
        const auto& t = *textMessage;
        line += ": window=" + std::to_string(t.Window()) + " user=" + std::to_string(t.UserId())
            + " game=" + std::to_string(t.GameId()) + " word=" + std::to_string(t.LobbyWord())
            + " value=" + std::to_string(t.Value()) + " text=\"" + platform::Gbk::ToUtf8(t.Text()) + "\"";
    }
    return line;
}

StandInLobby::StandInLobby(const platform::DesktopChannel& channel, LobbyOptions options)
    : m_channel(channel)
    , m_options(std::move(options))
    , m_handles(channel.Directory())
{
}

StandInLobby::~StandInLobby()
{
    StopClient();
    m_registration.reset(); // nothing arrives any more
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

bool StandInLobby::Start()
{
    if (m_registration)
        return m_registration->IsListening();
    // The client finds the lobby by its class too: there must be one.
    if (m_channel.FindWindowByClass(frame::kHallWindowClass) != 0)
        return false;
    m_handle = m_handles.Allocate();
    m_worker = std::thread([this] { RunJobs(); });
    m_registration = std::make_unique<platform::DesktopRegistration>(
        m_channel, frame::kHallWindowClass, m_handle,
        [this](uint32_t message, uintptr_t wParam, intptr_t lParam) { OnPosted(message, wParam, lParam); },
        [this](platform::WindowHandle sender, const platform::CopyDataRecord& record) {
            return OnCopyData(sender, record);
        });
    return m_registration->IsListening();
}

void StandInLobby::SetInitGame(frame::HallInitGame init)
{
    std::lock_guard guard(m_lock);
    m_initGame = std::move(init);
}

void StandInLobby::SetInitMatch(frame::HallInitMatch init)
{
    std::lock_guard guard(m_lock);
    m_initMatch = std::move(init);
}

frame::HallInitGame StandInLobby::DefaultInitGame() const
{
    const LobbyOptions& o = m_options;
    frame::HallInitGame init;
    init.room.SetRoomId(1);
    init.room.SetName(o.title);
    init.room.SetLocationName("本地");
    init.room.SetOptionsA(o.roomOptionsA);
    init.room.SetOptionsB(o.roomOptionsB);
    init.room.SetOptionsC(o.roomOptionsC);
    init.room.SetAdvertHost(o.advertHost);
    init.room.SetNotifyHost(o.notifyHost);
    const std::string levels = "新手|入门|熟练|高手|大师";
    init.room.MutableBytes()[frame::RoomInfo::kHasRoomTexts] = 1;
    std::copy(levels.begin(), levels.end(), init.roomText.begin());
    init.table.SetTableNo(o.tableNo);

    const PlayerRecord own = Player(o, o.userId, o.chair, o.lookOn, "玩家" + std::to_string(o.userId));
    // Someone sits at the chair a looker-on watches, or beside the player.
    const int32_t otherChair = o.lookOn ? o.chair : (o.chair + 1) % 4;
    const PlayerRecord other = Player(o, o.userId + 1, otherChair, 0, "对手");
    if (o.lookOn) {
        init.seated = { other };
        init.lookers = { own };
    } else {
        init.seated = { own, other };
    }
    return init;
}

frame::HallInitMatch StandInLobby::DefaultInitMatch() const
{
    const LobbyOptions& o = m_options;
    frame::HallInitMatch init;
    init.room.SetRoomId(1);
    init.room.SetName(o.title);
    init.room.SetOptionsA(o.roomOptionsA);
    init.room.SetOptionsB(o.roomOptionsB);
    init.room.SetOptionsC(o.roomOptionsC);
    init.room.SetAdvertHost(o.advertHost);
    init.room.SetNotifyHost(o.notifyHost);
    init.table.SetTableNo(o.tableNo);
    init.own = Player(o, o.userId, 0, 0, "玩家" + std::to_string(o.userId));
    init.match.SetMatchName("测试比赛");
    return init;
}

std::string StandInLobby::LaunchArgument() const
{
    frame::HallArgsLine line;
    frame::HallLaunchArgs& a = line.args;
    a.gameId = m_options.gameId;
    a.serverHost = m_options.serverHost;
    a.lobbyWord = m_options.lobbyWord;
    a.lobbyWindow = static_cast<int>(m_handle);
    a.lobbyWord4 = m_options.lobbyWord4;
    a.userId = m_options.userId;
    a.tableNo = m_options.tableNo;
    a.chair = m_options.chair;
    a.lookOn = m_options.lookOn;
    a.title = m_options.title;
    a.serverPort = m_options.serverPort;
    line.roomOptionsA = m_options.roomOptionsA;
    line.roomOptionsB = m_options.roomOptionsB;
    line.roomOptionsC = m_options.roomOptionsC;
    return frame::FormatHallArgs(line);
}

bool StandInLobby::LayOutTree(const std::string& root, const std::optional<LobbyProxy>& proxy)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base(root);
    fs::create_directories(base / "system", error);
    fs::create_directories(base / "hall", error);
    if (error)
        return false;
    m_systemDir = (base / "system").string();
    m_hallDir = (base / "hall").string();
    if (!platform::IniFile(m_systemDir + "/runo.ini").WriteString("SYSTEM", "ExePath", m_hallDir + "/DozeDova"))
        return false;
    // The advert page's host on the lobby's allow-list of page hosts.
    if (!m_options.advertHost.empty()) {
        fs::create_directories(base / "hall" / "Share" / "advert", error);
        if (error || !frame::WriteAllowListFile((base / "hall" / "Share" / "advert" / "domain.dat").string(),
                { m_options.advertHost }))
            return false;
    }
    if (!proxy)
        return true;
    const platform::IniFile ini(m_hallDir + "/DozeDova.ini");
    return ini.WriteInt("PROXY", "Need", 1) && ini.WriteInt("PROXY", "Sock", proxy->type)
        && ini.WriteInt("PROXY", "Port", proxy->port) && ini.WriteString("PROXY", "Host", proxy->host)
        && ini.WriteString("PROXY", "User", proxy->user) && ini.WriteString("PROXY", "pwd", proxy->password);
}

bool StandInLobby::LaunchClient(const std::string& clientPath)
{
    std::string program = clientPath;
    // The client reads its command line as the desktop's UTF-8.
    std::string argument = platform::Gbk::ToUtf8(LaunchArgument());
    char* argv[] = { program.data(), argument.data(), nullptr };
    std::vector<std::string> env = ClientEnvironment(m_systemDir);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
        static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP));
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv, envp.data());
    posix_spawnattr_destroy(&attributes);
    if (rc != 0)
        return false;
    std::lock_guard guard(m_lock);
    m_clientPid = pid;
    m_clientExit.reset();
    return true;
}

bool StandInLobby::ClientRunning()
{
    std::lock_guard guard(m_lock);
    if (m_clientPid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_clientPid, &status, WNOHANG) != m_clientPid)
        return true;
    m_clientExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    m_clientPid = -1;
    return false;
}

std::optional<int> StandInLobby::ClientExitCode() const
{
    std::lock_guard guard(m_lock);
    return m_clientExit;
}

void StandInLobby::StopClient()
{
    pid_t pid;
    {
        std::lock_guard guard(m_lock);
        pid = m_clientPid;
    }
    if (pid <= 0 || !ClientRunning())
        return;
    ::kill(-pid, SIGTERM);
    for (int i = 0; i < 300 && ClientRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (ClientRunning()) {
        ::kill(-pid, SIGKILL);
        std::lock_guard guard(m_lock);
        int status = 0;
        ::waitpid(pid, &status, 0);
        m_clientExit = 128 + SIGKILL;
        m_clientPid = -1;
    }
}

platform::WindowHandle StandInLobby::ClientWindow() const
{
    std::lock_guard guard(m_lock);
    return m_clientWindow;
}

bool StandInLobby::SendRecord(platform::WindowHandle target, uintptr_t id, std::span<const uint8_t> plain,
    bool encipher)
{
    LobbyEvent sent;
    sent.kind = LobbyEvent::Kind::kSent;
    sent.window = target;
    sent.id = id;
    sent.bytes = encipher ? Encipher(plain) : std::vector<uint8_t>(plain.begin(), plain.end());
    sent.handled = m_channel.SendCopyData(target, m_handle, id, sent.bytes, frame::kHallSendTimeoutMs, &sent.result);
    const bool handled = sent.handled;
    Record(std::move(sent));
    return handled;
}

bool StandInLobby::SendLookerJoined(const frame::PlayerRecord& looker)
{
    return SendRecord(ClientWindow(), frame::HALLDATA_LOOKERJOINED, looker.Bytes(), true);
}

bool StandInLobby::SendLeaveTable(int32_t userId, int32_t tableNo, int32_t chair)
{
    frame::HallLeaveTable leave;
    leave.SetLobbyWindow(m_handle);
    leave.SetUserId(userId);
    leave.SetTableNo(tableNo);
    leave.SetChair(chair);
    return SendRecord(ClientWindow(), frame::HALLDATA_LEAVETABLE, leave.Bytes(), true);
}

bool StandInLobby::SendShowPlayer(const frame::PlayerRecord& player)
{
    return SendRecord(ClientWindow(), frame::HALLDATA_SHOWPLAYER, player.Bytes(), true);
}

bool StandInLobby::SendExtra(std::span<const uint8_t> payload)
{
    return SendRecord(ClientWindow(), frame::HALLDATA_EXTRA, payload, true);
}

std::vector<LobbyEvent> StandInLobby::Events() const
{
    std::lock_guard guard(m_lock);
    return m_events;
}

std::optional<LobbyEvent> StandInLobby::WaitForEvent(const std::function<bool(const LobbyEvent&)>& match,
    int timeoutMs) const
{
    std::unique_lock guard(m_lock);
    size_t seen = 0;
    std::optional<LobbyEvent> found;
    m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        for (; seen < m_events.size() && !found; ++seen)
            if (match(m_events[seen]))
                found = m_events[seen];
        return found.has_value();
    });
    return found;
}

void StandInLobby::OnPosted(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    LobbyEvent event;
    event.kind = LobbyEvent::Kind::kPosted;
    event.message = message;
    event.wParam = wParam;
    event.lParam = lParam;
    Record(std::move(event));
    const auto window = static_cast<platform::WindowHandle>(wParam);
    if (message == frame::WM_HALL_GAMEREADY || message == frame::WM_HALL_MATCHREADY) {
        {
            std::lock_guard guard(m_lock);
            m_clientWindow = window;
        }
        const bool match = message == frame::WM_HALL_MATCHREADY;
        Queue([this, window, match] {
            std::vector<uint8_t> payload;
            {
                std::lock_guard guard(m_lock);
                payload = match ? frame::BuildHallInitMatch(m_initMatch.value_or(DefaultInitMatch()))
                                : frame::BuildHallInitGame(m_initGame.value_or(DefaultInitGame()));
            }
            SendRecord(window, frame::HALLDATA_INIT, payload, true);
        });
    } else if (message == frame::WM_HALL_GETSIGN && m_options.answerSigns) {
        const auto token = static_cast<uint32_t>(lParam);
        Queue([this, window, token] {
            frame::HallSignAnswer answer;
            answer.SetUserId(m_options.userId);
            answer.SetText(m_options.signText);
            answer.SetToken(token);
            SendRecord(window, frame::HALLDATA_SIGNANSWER, answer.Bytes(), true);
        });
    }
}

intptr_t StandInLobby::OnCopyData(platform::WindowHandle sender, const platform::CopyDataRecord& record)
{
    LobbyEvent event;
    event.kind = LobbyEvent::Kind::kCopyData;
    event.window = sender;
    event.id = record.id;
    event.bytes.assign(record.bytes, record.bytes + record.size);
    if (record.id == frame::HALLDATA_CLOSED || record.id == frame::HALLDATA_CLOSEDLOST) {
        event.closeNotice = frame::ReadHallRecord<frame::HallCloseNotice>(record.bytes, record.size);
    } else if (record.id == frame::HALLDATA_TEXT) {
        const std::vector<uint8_t> plain = Decipher(event.bytes);
        event.textMessage = frame::ReadHallRecord<frame::HallTextMessage>(plain.data(), plain.size());
    }
    Record(std::move(event));
    return 1;
}

void StandInLobby::Record(LobbyEvent event)
{
    if (m_observer)
        m_observer(event);
    {
        std::lock_guard guard(m_lock);
        m_events.push_back(std::move(event));
    }
    m_changed.notify_all();
}

void StandInLobby::Queue(std::function<void()> job)
{
    {
        std::lock_guard guard(m_lock);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void StandInLobby::RunJobs()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock guard(m_lock);
            m_changed.wait(guard, [&] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

} // namespace tools
