// The stand-in lobby seen from a client: a fake client window on a private
// channel announces itself, receives the init data and sign answers, sends
// close notices and texts; the program runs a fake client process end to
// end.

#include "frame/core/HallRecords.h"
#include "platform/DesktopChannel.h"
#include "platform/Gbk.h"
#include "platform/HandleSpace.h"
#include "platform/IniFile.h"
#include "tests/support/TestTimeouts.h"
#include "tools/lobby/StandInLobby.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::TimeoutMs;

fs::path MakeTempDirectory(const char* prefix)
{
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    return ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
}

// The client's main window as far as the lobby sees it: what it is sent,
// deciphered with the client's own cipher.
class FakeClient {
public:
    struct Received {
        uintptr_t id;
        std::vector<uint8_t> plain;
    };

    FakeClient(const platform::DesktopChannel& channel, platform::HandleSpace& handles)
        : m_channel(channel)
        , m_registration(channel, "KbZnFrame", handles.Allocate(), nullptr,
              [this](platform::WindowHandle sender, const platform::CopyDataRecord& record) -> intptr_t {
                  std::lock_guard guard(m_lock);
                  m_senders.push_back(sender);
                  m_received.push_back(
                      { record.id, frame::HallDataCipher::Decipher({ record.bytes, record.size }) });
                  m_changed.notify_all();
                  return 1;
              })
    {
    }
    bool Listening() const { return m_registration.IsListening(); }
    platform::WindowHandle Handle() const { return m_registration.Handle(); }

    // The next record received, in order.
    std::optional<Received> Next()
    {
        std::unique_lock guard(m_lock);
        if (!m_changed.wait_for(guard, std::chrono::milliseconds(TimeoutMs(5000)),
                [&] { return m_taken < m_received.size(); }))
            return std::nullopt;
        return m_received[m_taken++];
    }
    std::vector<platform::WindowHandle> Senders()
    {
        std::lock_guard guard(m_lock);
        return m_senders;
    }

private:
    const platform::DesktopChannel& m_channel;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Received> m_received;
    std::vector<platform::WindowHandle> m_senders;
    size_t m_taken = 0;
    platform::DesktopRegistration m_registration;
};

class StandInLobbyTest : public ::testing::Test {
protected:
    StandInLobbyTest()
        : m_dir(MakeTempDirectory("kbzl"))
        , m_channel(m_dir.string())
        , m_handles(m_dir.string())
    {
    }
    ~StandInLobbyTest() override { fs::remove_all(m_dir); }

    std::unique_ptr<tools::StandInLobby> StartLobby(tools::LobbyOptions options = {})
    {
        auto lobby = std::make_unique<tools::StandInLobby>(m_channel, options);
        EXPECT_TRUE(lobby->Start());
        return lobby;
    }
    static bool Posted(const tools::LobbyEvent& e, uint32_t message)
    {
        return e.kind == tools::LobbyEvent::Kind::kPosted && e.message == message;
    }

    fs::path m_dir;
    platform::DesktopChannel m_channel;
    platform::HandleSpace m_handles;
};

TEST_F(StandInLobbyTest, AnswersGameReadyWithInitDataSeatingTheLaunchedUser)
{
    struct Case {
        int lookOn;
        int chair;
    };
    for (const Case c : { Case { 0, 2 }, Case { 1, 3 } }) {
        SCOPED_TRACE(c.lookOn);
        tools::LobbyOptions options;
        options.userId = 10007;
        options.tableNo = 9;
        options.chair = c.chair;
        options.lookOn = c.lookOn;
        auto lobby = StartLobby(options);
        EXPECT_EQ(m_channel.FindWindowByClass(frame::kHallWindowClass), lobby->Handle());
        FakeClient client(m_channel, m_handles);
        ASSERT_TRUE(client.Listening());

        ASSERT_TRUE(m_channel.PostToWindow(lobby->Handle(), frame::WM_HALL_GAMEREADY, client.Handle(), 9));
        const auto init = client.Next();
        ASSERT_TRUE(init);
        EXPECT_EQ(init->id, frame::HALLDATA_INIT);
        EXPECT_EQ(client.Senders().at(0), lobby->Handle());
        frame::HallInitGame game;
        ASSERT_EQ(frame::ParseHallInitGame(init->plain.data(), init->plain.size(), game), frame::HallInitStatus::kOk);
        EXPECT_EQ(game.table.TableNo(), 9);
        const auto& own = c.lookOn ? game.lookers : game.seated;
        ASSERT_FALSE(own.empty());
        EXPECT_EQ(own[0].UserId(), 10007);
        EXPECT_EQ(own[0].Chair(), c.chair);
        EXPECT_EQ(own[0].LookOn(), c.lookOn);
        EXPECT_FALSE(game.RoomTexts().empty());
        EXPECT_EQ(lobby->ClientWindow(), client.Handle());

        const auto sent = lobby->WaitForEvent(
            [](const tools::LobbyEvent& e) { return e.kind == tools::LobbyEvent::Kind::kSent; }, TimeoutMs(5000));
        ASSERT_TRUE(sent);
        EXPECT_TRUE(sent->handled);
        EXPECT_EQ(sent->result, 1);
        EXPECT_TRUE(lobby->WaitForEvent([](const auto& e) { return Posted(e, frame::WM_HALL_GAMEREADY); }, 0));
    }
}

TEST_F(StandInLobbyTest, AnswersMatchReadyWithTheMatchForm)
{
    auto lobby = StartLobby();
    frame::HallInitMatch match = lobby->DefaultInitMatch();
    match.match.SetMatchName("决赛");
    lobby->SetInitMatch(match);
    FakeClient client(m_channel, m_handles);
    ASSERT_TRUE(m_channel.PostToWindow(lobby->Handle(), frame::WM_HALL_MATCHREADY, client.Handle(), 10001));
    const auto init = client.Next();
    ASSERT_TRUE(init);
    EXPECT_EQ(init->plain.size(), 2560u);
    frame::HallInitMatch read;
    ASSERT_TRUE(frame::ParseHallInitMatch(init->plain.data(), init->plain.size(), read));
    EXPECT_EQ(read.own.UserId(), 10001);
    EXPECT_EQ(read.match.MatchName(), "决赛");
}

TEST_F(StandInLobbyTest, AnswersSignRequestsToTheWindowAndTokenTheyName)
{
    tools::LobbyOptions options;
    options.signText = "签名abc";
    auto lobby = StartLobby(options);
    FakeClient main(m_channel, m_handles);
    FakeClient dialog(m_channel, m_handles);
    ASSERT_TRUE(m_channel.PostToWindow(lobby->Handle(), frame::WM_HALL_GETSIGN, dialog.Handle(), 0x7FFF0001));
    const auto answer = dialog.Next();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->id, frame::HALLDATA_SIGNANSWER);
    auto record = frame::ReadHallRecord<frame::HallSignAnswer>(answer->plain.data(), answer->plain.size());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Token(), 0x7FFF0001u);
    EXPECT_EQ(record->UserId(), 10001);
    EXPECT_EQ(record->Text(), "签名abc");

    // With the client's request book: the answer finds its request.
    frame::HallSignRequests requests;
    const uint32_t token = requests.Open(10001);
    ASSERT_TRUE(m_channel.PostToWindow(lobby->Handle(), frame::WM_HALL_GETSIGN, dialog.Handle(), token));
    const auto second = dialog.Next();
    ASSERT_TRUE(second);
    EXPECT_TRUE(requests.Answer(*frame::ReadHallRecord<frame::HallSignAnswer>(second->plain.data(), second->plain.size())));
    EXPECT_EQ(requests.Wait(token, 0), "签名abc");
}

TEST_F(StandInLobbyTest, DecodesCloseNoticesAndTextMessages)
{
    auto lobby = StartLobby();
    FakeClient client(m_channel, m_handles);
    frame::HallCloseNotice close;
    close.SetWindow(client.Handle());
    close.SetUserId(10001);
    close.SetTableNo(5);
    close.SetChair(2);
    close.SetLostWhilePlaying(1);
    frame::HallTextMessage text;
    text.SetUserId(10001);
    text.SetValue(42);
    text.SetText("http://example.test/page?x=1");

    intptr_t result = 0;
    ASSERT_TRUE(m_channel.SendCopyData(lobby->Handle(), client.Handle(), frame::HALLDATA_TEXT,
        frame::HallDataCipher::Encipher(text.Bytes()), 5000, &result));
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(m_channel.SendCopyData(lobby->Handle(), client.Handle(), frame::HALLDATA_CLOSEDLOST, close.Bytes(),
        5000, &result));

    const auto events = lobby->Events();
    ASSERT_EQ(events.size(), 2u);
    ASSERT_TRUE(events[0].textMessage);
    EXPECT_EQ(events[0].bytes.size(), 544u);
    EXPECT_EQ(*events[0].textMessage, text);
    EXPECT_NE(events[0].Describe().find("text=\"http://example.test/page?x=1\""), std::string::npos);
    ASSERT_TRUE(events[1].closeNotice);
    EXPECT_EQ(*events[1].closeNotice, close);
    EXPECT_EQ(events[1].window, client.Handle());
    EXPECT_TRUE(events[1].IsClose());
    EXPECT_FALSE(events[0].IsClose());
}

TEST_F(StandInLobbyTest, SendsTheOtherLobbyRecordsOnDemand)
{
    auto lobby = StartLobby();
    FakeClient client(m_channel, m_handles);
    frame::PlayerRecord looker;
    looker.SetUserId(30001);
    looker.SetChair(1);
    looker.SetLookOn(1);
    // Nobody announced yet: there is no client window to send to.
    EXPECT_FALSE(lobby->SendLookerJoined(looker));

    ASSERT_TRUE(m_channel.PostToWindow(lobby->Handle(), frame::WM_HALL_GAMEREADY, client.Handle(), 5));
    ASSERT_TRUE(client.Next()); // the init data
    EXPECT_TRUE(lobby->SendLookerJoined(looker));
    EXPECT_TRUE(lobby->SendLeaveTable(30002, 5, 3));
    EXPECT_TRUE(lobby->SendShowPlayer(looker));
    EXPECT_TRUE(lobby->SendExtra(std::vector<uint8_t>(40, 0xAB)));

    auto next = client.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->id, frame::HALLDATA_LOOKERJOINED);
    auto joined = frame::ReadHallLooker(next->plain.data(), next->plain.size());
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->UserId(), 30001);

    next = client.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->id, frame::HALLDATA_LEAVETABLE);
    auto leave = frame::ReadHallLeaveTable(next->plain.data(), next->plain.size());
    ASSERT_TRUE(leave);
    EXPECT_EQ(leave->LobbyWindow(), lobby->Handle());
    EXPECT_EQ(leave->UserId(), 30002);
    EXPECT_EQ(leave->TableNo(), 5);
    EXPECT_EQ(leave->Chair(), 3);

    next = client.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->id, frame::HALLDATA_SHOWPLAYER);
    EXPECT_EQ(frame::ReadHallShowPlayer(next->plain.data(), next->plain.size())->UserId(), 30001);

    next = client.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->id, frame::HALLDATA_EXTRA);
    ASSERT_EQ(next->plain.size(), 48u);
    EXPECT_TRUE(std::equal(next->plain.begin(), next->plain.begin() + 40, std::vector<uint8_t>(40, 0xAB).begin()));
}

TEST_F(StandInLobbyTest, TheLaunchArgumentAndTheFilesTheClientReads)
{
    tools::LobbyOptions options;
    options.serverHost = "10.1.2.3";
    options.serverPort = 21999;
    options.userId = 10042;
    options.chair = 1;
    options.lookOn = 1;
    options.roomOptionsB = 0x1040;
    auto lobby = StartLobby(options);
    frame::HallArgsLine line;
    ASSERT_EQ(frame::ParseHallArgs(lobby->LaunchArgument(), 21534, line), frame::HallArgsStatus::Ok);
    EXPECT_EQ(static_cast<platform::WindowHandle>(line.args.lobbyWindow), lobby->Handle());
    EXPECT_EQ(line.args.serverHost, "10.1.2.3");
    EXPECT_EQ(line.args.serverPort, 21999);
    EXPECT_EQ(line.args.userId, 10042);
    EXPECT_EQ(line.args.tableNo, 5);
    EXPECT_EQ(line.args.chair, 1);
    EXPECT_EQ(line.args.lookOn, 1);
    EXPECT_EQ(line.args.title, "测试房间");
    EXPECT_EQ(line.roomOptionsB, 0x1040u);

    const fs::path root = m_dir / "tree";
    tools::LobbyProxy proxy;
    proxy.type = 5;
    proxy.port = 1080;
    proxy.user = "u";
    proxy.password = "p";
    ASSERT_TRUE(lobby->LayOutTree(root.string(), proxy));
    EXPECT_EQ(platform::IniFile((root / "system" / "runo.ini").string()).GetString("SYSTEM", "ExePath", ""),
        (root / "hall" / "DozeDova").string());
    const platform::IniFile ini((root / "hall" / "DozeDova.ini").string());
    EXPECT_EQ(ini.GetInt("PROXY", "Need", 0), 1);
    EXPECT_EQ(ini.GetInt("PROXY", "Sock", 0), 5);
    EXPECT_EQ(ini.GetInt("PROXY", "Port", 0), 1080);
    EXPECT_EQ(ini.GetString("PROXY", "Host", ""), "127.0.0.1");
    EXPECT_EQ(ini.GetString("PROXY", "User", ""), "u");
    EXPECT_EQ(ini.GetString("PROXY", "pwd", ""), "p");

    // Only one lobby window at a time.
    tools::StandInLobby second(m_channel, options);
    EXPECT_FALSE(second.Start());
}

// The program on a desktop channel of its own (under `runtime`), its
// standard output on a pipe.
struct LobbyProcess {
    pid_t pid = -1;
    int out = -1;
};

LobbyProcess SpawnLobby(const fs::path& runtime, std::vector<std::string> args)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0)
            env.emplace_back(*e);
    env.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    args.insert(args.begin(), KBZN_STAND_IN_LOBBY);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    LobbyProcess lobby;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return lobby;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (posix_spawn(&lobby.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        lobby.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    lobby.out = out[0];
    return lobby;
}

// Appends the program's output until `until` appears in it (empty: until
// the pipe closes) or nothing more comes for a minute.
void ReadOutput(int fd, std::string& output, const std::string& until = "")
{
    char chunk[512];
    while (until.empty() || output.find(until) == std::string::npos) {
        pollfd pipe { fd, POLLIN, 0 };
        if (::poll(&pipe, 1, TimeoutMs(60000)) <= 0)
            break;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        output.append(chunk, static_cast<size_t>(n));
    }
}

// The program with a fake client process.
TEST(StandInLobbyProgramTest, RunsTheExchangeWithAClientProcessUntilItsCloseNotice)
{
    const fs::path runtime = MakeTempDirectory("kbzr");
    ASSERT_FALSE(runtime.empty());
    const LobbyProcess lobby = SpawnLobby(runtime, { "--client", KBZN_FAKE_HALL_CLIENT, "--server", "127.0.0.1:9",
        "--user", "10005", "--chair", "3", "--root", (runtime / "tree").string(), "--timeout", "60" });
    ASSERT_GT(lobby.pid, 0);
    std::string output;
    ReadOutput(lobby.out, output);
    ::close(lobby.out);
    int status = 0;
    ::waitpid(lobby.pid, &status, 0);
    fs::remove_all(runtime);

    SCOPED_TRACE(output);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (const char* expected : { "posted 0x9105 (game ready)", "sent 1 (init)", "handled, result 1",
             "copydata 11 (text)", "text=\"http://example.test/fake\"", "copydata 2 (closed)",
             "user=10005 table=5 chair=3" }) {
        EXPECT_NE(output.find(expected), std::string::npos) << expected;
    }
}

// Stopped by a signal (a script ending its run, Ctrl-C), the program ends
// the client it started, which lives in a process group of its own and so
// is not reached by the signal itself.
TEST(StandInLobbyProgramTest, ASignalEndsTheProgramAndItsClient)
{
    const fs::path runtime = MakeTempDirectory("kbzr");
    ASSERT_FALSE(runtime.empty());
    const fs::path pidFile = runtime / "client.pid";
    const fs::path client = runtime / "client.sh";
    {
        std::ofstream script(client);
        script << "#!/bin/sh\necho $$ > '" << pidFile.string() << ".new'\nmv '" << pidFile.string() << ".new' '"
               << pidFile.string() << "'\nexec sleep 120\n";
    }
    fs::permissions(client, fs::perms::owner_all);

    for (const int signal : { SIGTERM, SIGINT }) {
        SCOPED_TRACE(signal);
        fs::remove(pidFile);
        const LobbyProcess lobby = SpawnLobby(runtime,
            { "--client", client.string(), "--server", "127.0.0.1:9", "--root", (runtime / "tree").string() });
        ASSERT_GT(lobby.pid, 0);
        std::string output;
        ReadOutput(lobby.out, output, "client started");
        pid_t clientPid = 0;
        for (int i = 0; i < TimeoutMs(10000) / 10 && !clientPid; ++i) {
            std::ifstream(pidFile) >> clientPid;
            if (!clientPid)
                ::usleep(10000);
        }
        ASSERT_GT(clientPid, 0) << output;

        ::kill(lobby.pid, signal);
        ReadOutput(lobby.out, output);
        ::close(lobby.out);
        int status = 0;
        ::waitpid(lobby.pid, &status, 0);
        const bool clientLeft = ::kill(clientPid, 0) != 0;
        if (!clientLeft)
            ::kill(clientPid, SIGKILL);

        SCOPED_TRACE(output);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 4);
        EXPECT_NE(output.find("stopped"), std::string::npos);
        EXPECT_TRUE(clientLeft);
    }
    fs::remove_all(runtime);
}

} // namespace

namespace {

// A client reads its command line as the desktop's UTF-8 and turns it into
// GBK itself; the lobby must hand the title over in UTF-8 or the client
// shows question marks.
TEST_F(StandInLobbyTest, ClientGetsItsArgumentInUtf8)
{
    auto lobby = StartLobby();
    ASSERT_TRUE(lobby->LayOutTree((m_dir / "tree").string()));
    const fs::path client = m_dir / "client.sh";
    {
        std::ofstream script(client);
        script << "#!/bin/sh\nprintf '%s' \"$1\" > \"$KBZN_SYSTEM_DIR/argument.tmp\"\n"
               << "mv \"$KBZN_SYSTEM_DIR/argument.tmp\" \"$KBZN_SYSTEM_DIR/argument\"\n";
    }
    fs::permissions(client, fs::perms::owner_all);
    ASSERT_TRUE(lobby->LaunchClient(client.string()));
    const fs::path written = fs::path(lobby->SystemDir()) / "argument";
    for (int i = 0; i < TimeoutMs(10000) / 10 && !fs::exists(written); ++i)
        usleep(10000);
    std::ifstream in(written, std::ios::binary);
    const std::string argument((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(argument, platform::Gbk::ToUtf8(lobby->LaunchArgument()));
    EXPECT_NE(argument.find(platform::Gbk::ToUtf8("测试房间")), std::string::npos);
}

} // namespace
