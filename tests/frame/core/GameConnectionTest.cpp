// The game-server connection against the scripted server over loopback:
// the hello, the version check and its outcomes, requests and their
// results, time-outs, and the way through real proxies configured in the
// lobby's INI file.

#include "frame/core/GameConnection.h"

#include "platform/IniFile.h"
#include "platform/MessageQueue.h"
#include "platform/Resolver.h"
#include "tests/net/ProxyDaemons.h"
#include "tools/scripted/ScriptedServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Words(std::initializer_list<int32_t> words)
{
    std::string out;
    for (int32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF));
    return out;
}

// Waits one second for every request instead of its real time-out, so a
// server that never answers shows the time-out path without a long test.
class QuickConnection : public GameConnection {
public:
    int GetRequestTimeout(uint32_t) const override { return 1; }
};

class GameConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetHostResolver([](const std::string&, in_addr&) { return false; });
        m_dir = fs::temp_directory_path() / ("kbzn_conn_" + std::to_string(getpid()) + "_" + Name());
        fs::create_directories(m_dir);
        ASSERT_TRUE(m_server.Start());
        m_connection.SetProgramVersion(1, 1);
    }
    void TearDown() override
    {
        m_connection.Close();
        platform::SetHostResolver(nullptr);
        fs::remove_all(m_dir);
    }
    static std::string Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    // The lobby's INI file with a [PROXY] section.
    std::string HallIni(int need, int type, int port, const std::string& user = "", const std::string& pwd = "")
    {
        const std::string path = (m_dir / "DozeDova.ini").string();
        platform::IniFile ini(path);
        ini.WriteInt("PROXY", "Need", need);
        ini.WriteInt("PROXY", "Sock", type);
        ini.WriteInt("PROXY", "Port", port);
        ini.WriteString("PROXY", "Host", "127.0.0.1");
        ini.WriteString("PROXY", "User", user);
        ini.WriteString("PROXY", "pwd", pwd);
        return path;
    }

    int Connect(GameConnection& connection, bool& proxyFailed)
    {
        connection.SetCipherKey();
        connection.SetNotifyThread(m_queue.ThreadId());
        return connection.Connect("", "127.0.0.1", m_server.Port(), proxyFailed);
    }
    int Connect()
    {
        bool proxyFailed = false;
        return Connect(m_connection, proxyFailed);
    }

    platform::MessageQueue m_queue;
    tools::ScriptedServer m_server;
    GameConnection m_connection;
    fs::path m_dir;
};

TEST_F(GameConnectionTest, SendsTheHelloAndPassesTheVersionCheck)
{
    m_server.SetReply(kRequestVersion, { .code = 0, .body = Words({ 1, 1, 0, 0, 0, 0, 0 }) });
    ASSERT_EQ(Connect(), 1);
    ASSERT_TRUE(m_server.WaitForHello(5000));
    EXPECT_EQ(m_server.Hello(), std::string("Hello! Game Channel.", 21));

    std::string text;
    int major = 0, minor = 0;
    EXPECT_EQ(m_connection.CheckVersion(text, major, minor), 1);
    EXPECT_TRUE(m_server.Errors().empty());
    EXPECT_EQ(m_connection.ConnectedPort(), m_server.Port());
    EXPECT_EQ(m_connection.ConnectedHost(), "127.0.0.1");
}

TEST_F(GameConnectionTest, VersionOutcomes)
{
    struct Case {
        const char* name;
        std::string body;
        int result;
        std::string text;
        int newerMajor, newerMinor;
    };
    const Case cases[] = {
        { "equal", Words({ 1, 1, 0, 0, 0, 0, 0 }), 1, "", 0, 0 },
        { "program too old", Words({ 2, 0, 0, 0, 0, 0, 0 }), 0, "您的游戏程序太旧了,必须下载新的程序才能玩游戏。", 2, 0 },
        { "server older major", Words({ 0, 9, 0, 0, 0, 0, 0 }), 0, "服务正在更新中，请稍候再试。", 0, 0 },
        { "server older minor", Words({ 1, 0, 0, 0, 0, 0, 0 }), 0, "服务正在更新中，请稍候再试。", 0, 0 },
        { "program needs update", Words({ 1, 3, 0, 0, 0, 0, 0 }), 0, "您的游戏程序需要更新。", 0, 3 },
        { "no body", "", 0, "服务器繁忙，请稍候再试。", 0, 0 },
        { "body too short", Words({ 1 }), 0, "服务器繁忙，请稍候再试。", 0, 0 },
    };
    ASSERT_EQ(Connect(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.SetReply(kRequestVersion, { .code = 0, .body = c.body });
        std::string text;
        int major = 0, minor = 0;
        EXPECT_EQ(m_connection.CheckVersion(text, major, minor), c.result);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(major, c.newerMajor);
        EXPECT_EQ(minor, c.newerMinor);
    }
}

TEST_F(GameConnectionTest, AServerThatNeverAnswersTimesOut)
{
    QuickConnection connection;
    connection.SetProgramVersion(1, 1);
    m_server.SetNoAnswer(kRequestVersion);
    bool proxyFailed = false;
    ASSERT_EQ(Connect(connection, proxyFailed), 1);

    std::string text;
    RequestReply reply;
    EXPECT_EQ(connection.Request(text, kRequestVersion, nullptr, 0, reply, true), 0);
    EXPECT_EQ(reply.code, kReplyTimedOut);
    EXPECT_EQ(text, "请求处理超时。");

    int major = 0, minor = 0;
    EXPECT_EQ(connection.CheckVersion(text, major, minor), 0);
    EXPECT_EQ(text, "服务器繁忙，请稍候再试。");
    connection.Close();
}

TEST_F(GameConnectionTest, RequestResults)
{
    m_server.SetReply(300001, { .code = 60031, .body = std::string("房间已满\0garbage", 16) });
    m_server.SetReply(300002, { .code = 60031, .body = "" });
    m_server.SetReply(300003, { .code = 210020, .body = "" });
    m_server.SetReply(300004, { .code = 77, .body = "xyz" });
    // A refusal text without a terminator ends with the body.
    m_server.SetReply(300005, { .code = 60031, .body = "满" });
    ASSERT_EQ(Connect(), 1);

    struct Case {
        uint32_t id;
        int result;
        uint32_t code;
        std::string text;
        std::string body;
    };
    const Case cases[] = {
        { 300001, 0, 60031, "房间已满", "" },
        { 300002, 0, 60031, "", "" },
        { 300003, 1, 210020, "没有空余的旁观位置。", "" },
        { 300004, 1, 77, "unchanged", "xyz" },
        { 300005, 0, 60031, "满", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::string text = "unchanged";
        RequestReply reply;
        const std::string body = "abc";
        EXPECT_EQ(m_connection.Request(text, c.id, reinterpret_cast<const uint8_t*>(body.data()), 3, reply, true),
            c.result);
        EXPECT_EQ(reply.code, c.code);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data.get()), reply.length), c.body);
    }
    const auto requests = m_server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().message.body, "abc");
    EXPECT_TRUE(m_server.Errors().empty());
}

TEST_F(GameConnectionTest, RoundTripsCountOnlyWaitedRequests)
{
    m_server.SetReply(300010, { .code = 0, .body = "" });
    ASSERT_EQ(Connect(), 1);
    std::string text;
    RequestReply reply;
    ASSERT_EQ(m_connection.Request(text, 300011, nullptr, 0, reply, false), 1);
    EXPECT_EQ(m_connection.GetRoundTrips().count, 0u);
    ASSERT_EQ(m_connection.Request(text, 300010, nullptr, 0, reply, true), 1);
    ASSERT_EQ(m_connection.Request(text, 300010, nullptr, 0, reply, true), 1);
    EXPECT_EQ(m_connection.GetRoundTrips().count, 2u);
    EXPECT_GE(m_connection.GetRoundTrips().totalMs, m_connection.GetRoundTrips().maxMs);
    ASSERT_TRUE(m_server.WaitForRequests(3, 5000));
    EXPECT_FALSE(m_server.Requests()[0].expectsReply);
    m_connection.ResetRoundTrips();
    EXPECT_EQ(m_connection.GetRoundTrips().count, 0u);
}

TEST_F(GameConnectionTest, NotConnectedAndClosedPort)
{
    std::string text;
    RequestReply reply;
    EXPECT_EQ(m_connection.Request(text, 300001, nullptr, 0, reply, true), 0);
    EXPECT_EQ(reply.code, kReplyNotConnected);
    EXPECT_EQ(text, "与服务器连接断开。");

    const uint16_t closed = proxytest::FreePort();
    bool proxyFailed = true;
    m_connection.SetNotifyThread(m_queue.ThreadId());
    EXPECT_EQ(m_connection.Connect("", "127.0.0.1", closed, proxyFailed), 0);
    EXPECT_FALSE(proxyFailed);
}

TEST_F(GameConnectionTest, RequestTimeouts)
{
    const std::pair<uint32_t, int> cases[] = { { 200110, 30 }, { 201220, 30 }, { 214000, 30 }, { 214001, 30 },
        { 214010, 30 }, { 201001, 15 }, { 201130, 5 }, { 221080, 10 }, { 201002, 10 } };
    for (const auto& [id, seconds] : cases)
        EXPECT_EQ(m_connection.GetRequestTimeout(id), seconds) << id;
}

TEST_F(GameConnectionTest, ProxySettingsComeFromTheLobbyIni)
{
    // Nothing set: the defaults.
    m_connection.LoadProxySettings((m_dir / "missing.ini").string());
    EXPECT_EQ(m_connection.Proxy().need, 0);
    EXPECT_EQ(m_connection.Proxy().port, 1080);
    EXPECT_EQ(m_connection.Proxy().type, 3);

    // A proxy host given but not needed: the link goes direct.
    m_connection.LoadProxySettings(HallIni(0, 3, proxytest::FreePort(), "someone", "secret"));
    EXPECT_EQ(m_connection.GetProxyHost(), "127.0.0.1");
    EXPECT_EQ(m_connection.Proxy().user, "someone");
    EXPECT_EQ(Connect(), 1);
    EXPECT_TRUE(m_server.WaitForHello(5000));

    // Needed but unreachable: reported as the proxy's failure.
    m_connection.Close();
    m_connection.LoadProxySettings(HallIni(1, 3, proxytest::FreePort()));
    bool proxyFailed = false;
    EXPECT_EQ(Connect(m_connection, proxyFailed), 0);
    EXPECT_TRUE(proxyFailed);
}

TEST_F(GameConnectionTest, ConnectsThroughSocks5AndHttpConnect)
{
    m_server.SetReply(kRequestVersion, { .code = 0, .body = Words({ 1, 1, 0, 0, 0, 0, 0 }) });
    uint16_t dantePort = 0, tinyPort = 0;
    auto dante = proxytest::StartDante(m_dir, "none", dantePort);
    auto tiny = proxytest::StartTinyproxy(m_dir, tinyPort);
    if (!dante || !tiny)
        GTEST_SKIP() << "danted or tinyproxy is not installed";

    struct Case {
        const char* name;
        int type;
        uint16_t port;
        std::string user, password;
    };
    const Case cases[] = {
        { "SOCKS5", net::kProxySocks5, dantePort, "", "" },
        { "HTTP CONNECT", net::kProxyHttp, tinyPort, proxytest::kProxyUser, proxytest::kProxyPassword },
    };
    int connections = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_connection.LoadProxySettings(HallIni(1, c.type, c.port, c.user, c.password));
        bool proxyFailed = true;
        ASSERT_EQ(Connect(m_connection, proxyFailed), 1);
        EXPECT_FALSE(proxyFailed);
        ASSERT_TRUE(m_server.WaitForConnection(++connections, 5000));
        ASSERT_TRUE(m_server.WaitForHello(5000));
        std::string text;
        int major = 0, minor = 0;
        EXPECT_EQ(m_connection.CheckVersion(text, major, minor), 1) << text;
        m_connection.Close();
    }
    EXPECT_TRUE(m_server.Errors().empty());
}

} // namespace
