// The client seated at its table, end to end: the stand-in lobby starts the
// real KbZn program against the scripted server, the client announces its
// window, takes the init data, enters with request 200110, and leaves in
// the order the close sequence gives, ending with its close notice (one for
// the client, however many boxes end the table).

#include "frame/core/FrameRecords.h"
#include "frame/core/HallRecords.h"
#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"
#include "tests/net/ProxyDaemons.h"
#include "tests/support/TestTimeouts.h"
#include "tools/lobby/StandInLobby.h"
#include "tools/scripted/ScriptedServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testsupport::TimeoutMs;

std::string Words(std::initializer_list<int32_t> words)
{
    std::string out;
    for (int32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF));
    return out;
}

int32_t WordAt(const std::string& body, size_t offset)
{
    return body.size() < offset + 4 ? 0 : frame::LoadLe32(reinterpret_cast<const uint8_t*>(body.data()) + offset);
}

class ClientSeatingTest : public ::testing::Test {
protected:
    ClientSeatingTest()
    {
        std::string pattern = (fs::temp_directory_path() / "kbzn-seat-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
        // The client finds its lobby on a channel of this test alone.
        fs::create_directories(m_root / "run");
        setenv("XDG_RUNTIME_DIR", (m_root / "run").c_str(), 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform::EnsurePrivateDirectory((m_root / "run" / "kbzn").string());
        m_channel = std::make_unique<platform::DesktopChannel>((m_root / "run" / "kbzn").string());
    }
    ~ClientSeatingTest() override
    {
        if (m_lobby)
            m_lobby->StopClient();
        m_lobby.reset();
        m_server.Stop();
        fs::remove_all(m_root);
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_server.Start());
        m_server.SetReply(201001, { .code = 0, .body = Words({ 1, 1, 0, 0, 0, 0, 0 }) });
        m_server.SetReply(200110, { .code = 210200, .body = "" });
    }

    // Starts the lobby and the client; true once the client has entered.
    bool Seat(tools::LobbyOptions options = {})
    {
        options.serverPort = m_server.Port();
        m_lobby = std::make_unique<tools::StandInLobby>(*m_channel, options);
        return m_lobby->Start() && m_lobby->LayOutTree((m_root / "tree").string())
            && m_lobby->LaunchClient(KBZN_CLIENT) && m_server.WaitForRequests(2, TimeoutMs(30000));
    }
    std::optional<tools::ReceivedRequest> Request(uint32_t id) const
    {
        for (const auto& r : m_server.Requests())
            if (r.Id() == id)
                return r;
        return std::nullopt;
    }
    std::optional<tools::LobbyEvent> CloseNotice() const
    {
        auto notice = m_lobby->WaitForEvent([](const tools::LobbyEvent& e) { return e.IsClose(); }, TimeoutMs(30000));
        if (!notice) {
            for (const auto& e : m_lobby->Events())
                ADD_FAILURE() << "the lobby saw: " << e.Describe();
        }
        return notice;
    }
    bool ClientEnds()
    {
        for (int i = 0; i < 3000 && m_lobby->ClientRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !m_lobby->ClientRunning();
    }

    fs::path m_root;
    std::unique_ptr<platform::DesktopChannel> m_channel;
    tools::ScriptedServer m_server;
    std::unique_ptr<tools::StandInLobby> m_lobby;
};

TEST_F(ClientSeatingTest, FromTheLobbysArgumentToTheTable)
{
    ASSERT_TRUE(Seat());
    const auto ready = m_lobby->WaitForEvent(
        [](const tools::LobbyEvent& e) {
            return e.kind == tools::LobbyEvent::Kind::kPosted && e.message == frame::WM_HALL_GAMEREADY;
        },
        TimeoutMs(5000));
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->lParam, 5); // the launched table
    EXPECT_EQ(m_lobby->ClientWindow(), ready->wParam);

    const auto enter = Request(200110);
    ASSERT_TRUE(enter);
    const std::string& record = enter->message.body;
    ASSERT_EQ(record.size(), 108u);
    EXPECT_EQ(WordAt(record, 0), 10001); // own user id
    EXPECT_EQ(WordAt(record, 8), 7);     // game id
    EXPECT_EQ(WordAt(record, 16), 5);    // table
    EXPECT_EQ(WordAt(record, 20), 2);    // chair
    EXPECT_EQ(WordAt(record, 56), 0);    // not looking on
    EXPECT_EQ(record[24 + 31], '\0');    // the machine id ends inside its field
    EXPECT_TRUE(enter->expectsReply);
    EXPECT_TRUE(m_server.Errors().empty());
}

TEST_F(ClientSeatingTest, TheLobbysLeaveMessageEndsTheTableInOrder)
{
    // The server says no game runs, and lets the player go.
    m_server.SetReply(201130, { .code = 0, .body = Words({ 0 }) });
    m_server.SetReply(201125, { .code = 0, .body = "" });
    ASSERT_TRUE(Seat());
    ASSERT_TRUE(m_lobby->SendLeaveTable(10002, 5, 1));

    const auto notice = CloseNotice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->id, frame::HALLDATA_CLOSED);
    EXPECT_EQ(notice->closeNotice->UserId(), 10001);
    EXPECT_EQ(notice->closeNotice->TableNo(), 5);
    EXPECT_EQ(notice->closeNotice->Chair(), 2);
    EXPECT_EQ(notice->closeNotice->Window(), m_lobby->ClientWindow());
    ASSERT_TRUE(ClientEnds());
    EXPECT_EQ(m_lobby->ClientExitCode(), 0);

    std::vector<uint32_t> ids;
    for (const auto& r : m_server.Requests())
        ids.push_back(r.Id());
    // Version, enter, leave (201120, sent only), then the close sequence.
    const std::vector<uint32_t> expected = { 201001, 200110, 201120, 201130, 201125 };
    ASSERT_GE(ids.size(), expected.size());
    EXPECT_EQ(std::vector<uint32_t>(ids.begin(), ids.begin() + expected.size()), expected);
    const auto leave = Request(201120);
    EXPECT_FALSE(leave->expectsReply);
    // The record names the leaver the lobby named, then the own seat.
    const std::string& record = leave->message.body;
    ASSERT_EQ(record.size(), 96u);
    EXPECT_EQ(WordAt(record, 0), 10002); // the leaver
    EXPECT_EQ(WordAt(record, 8), 5);     // table
    EXPECT_EQ(WordAt(record, 12), 1);    // the leaver's chair
    EXPECT_EQ(WordAt(record, 16), 1);    // not oneself
    EXPECT_EQ(WordAt(record, 20), 5);    // own table
    EXPECT_EQ(WordAt(record, 24), 2);    // own chair
    EXPECT_EQ(WordAt(record, 28), 10001); // own user id
}

// Several boxes that each end the table ("a seat is empty, the game is
// over"), left to expire together: each answers OK, which leaves the seat
// and closes the window; the lobby hears of the client's end once.
TEST_F(ClientSeatingTest, TheLobbyHearsTheCloseOnceWhenManyEndBoxesExpire)
{
    m_server.SetReply(201130, { .code = 0, .body = Words({ 0 }) });
    m_server.SetReply(201125, { .code = 0, .body = "" });
    ASSERT_TRUE(Seat());
    ASSERT_TRUE(m_lobby->WaitForEvent(
        [](const tools::LobbyEvent& e) {
            return e.kind == tools::LobbyEvent::Kind::kPosted && e.message == frame::WM_HALL_GAMEREADY;
        },
        TimeoutMs(5000)));
    ASSERT_TRUE(m_server.PushBurst(211120, "", 4));
    ASSERT_TRUE(CloseNotice());
    ASSERT_TRUE(ClientEnds());
    int notices = 0;
    for (const auto& e : m_lobby->Events())
        notices += e.IsClose();
    EXPECT_EQ(notices, 1);
    int leaves = 0;
    for (const auto& r : m_server.Requests())
        leaves += r.Id() == 201125;
    EXPECT_EQ(leaves, 1) << "the seat is left once; the link is closed after it";
}

TEST_F(ClientSeatingTest, InitDataWithoutTheLaunchedSeatEndsTheClient)
{
    m_server.SetReply(201130, { .code = 0, .body = Words({ 0 }) });
    m_server.SetReply(201125, { .code = 0, .body = "" });
    tools::LobbyOptions options;
    m_lobby = std::make_unique<tools::StandInLobby>(*m_channel, options);
    frame::HallInitGame init = m_lobby->DefaultInitGame();
    for (frame::PlayerRecord& player : init.seated)
        if (player.UserId() == options.userId)
            player.SetChair(3); // not the launched chair
    m_lobby.reset();

    options.serverPort = m_server.Port();
    m_lobby = std::make_unique<tools::StandInLobby>(*m_channel, options);
    m_lobby->SetInitGame(init);
    ASSERT_TRUE(m_lobby->Start() && m_lobby->LayOutTree((m_root / "tree").string()));
    ASSERT_TRUE(m_lobby->LaunchClient(KBZN_CLIENT));
    const auto notice = CloseNotice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->id, frame::HALLDATA_CLOSED);
    ASSERT_TRUE(ClientEnds());
    EXPECT_FALSE(Request(200110)); // it never entered
}

TEST_F(ClientSeatingTest, InitDataRecordsOfNoChairAreLeftOutAndTheClientEnters)
{
    tools::LobbyOptions options;
    m_lobby = std::make_unique<tools::StandInLobby>(*m_channel, options);
    frame::HallInitGame init = m_lobby->DefaultInitGame();
    m_lobby.reset();
    frame::PlayerRecord stray = init.seated.back();
    stray.SetUserId(10077);
    stray.SetChair(9);
    init.seated.push_back(stray);
    stray.SetUserId(10078);
    stray.SetChair(-1);
    stray.SetLookOn(1);
    init.lookers.push_back(stray);

    options.serverPort = m_server.Port();
    m_lobby = std::make_unique<tools::StandInLobby>(*m_channel, options);
    m_lobby->SetInitGame(init);
    ASSERT_TRUE(m_lobby->Start() && m_lobby->LayOutTree((m_root / "tree").string()));
    ASSERT_TRUE(m_lobby->LaunchClient(KBZN_CLIENT));
    ASSERT_TRUE(m_server.WaitForRequests(2, TimeoutMs(30000)));
    EXPECT_TRUE(Request(200110)) << "the table was taken without the two stray records";
}

// The room names its web hosts (the lobby lists the advert host as a page
// host): once seated, the client opens the advert page and fetches the
// room's notice file, each once.
TEST_F(ClientSeatingTest, TheSeatedClientFetchesTheRoomsAdvertPageAndNotice)
{
    const fs::path web = m_root / "web";
    fs::create_directories(web / "advert" / "window" / "7");
    fs::create_directories(web / "notify" / "game");
    std::ofstream(web / "advert" / "window" / "7" / "vk.htm") << "<body>advert</body>";
    std::ofstream(web / "notify" / "game" / "7.txt") << "<notify>notice</notify>";
    const uint16_t port = proxytest::FreePort();
    proxytest::Daemon http({ "/usr/bin/python3", "-u", "-m", "http.server", std::to_string(port), "--bind",
                               "127.0.0.1", "--directory", web.string() },
        (m_root / "http.log").string());
    ASSERT_TRUE(proxytest::WaitForPort(port));
    const std::string host = "127.0.0.1:" + std::to_string(port);

    tools::LobbyOptions options;
    options.advertHost = host;
    options.notifyHost = host;
    ASSERT_TRUE(Seat(options));
    // The requests of the web server's log that end with the path.
    auto requests = [&](const std::string& path) {
        std::ifstream in(m_root / "http.log");
        std::stringstream text;
        text << in.rdbuf();
        const std::string log = text.str();
        int count = 0;
        const std::string line = path + " HTTP/";
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            ++count;
        return count;
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs(30000));
    while ((requests("advert/window/7/vk.htm") == 0 || requests("notify/game/7.txt") == 0)
        && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(requests("advert/window/7/vk.htm"), 1);
    EXPECT_EQ(requests("notify/game/7.txt"), 1);
}

TEST_F(ClientSeatingTest, TheClientEndsWhenTheLobbyHasGone)
{
    ASSERT_TRUE(Seat());
    // The lobby's window goes; the client notices within its watch period.
    m_lobby->StopWindow();
    ASSERT_TRUE(ClientEnds());
    EXPECT_EQ(m_lobby->ClientExitCode(), 0);
}

} // namespace
