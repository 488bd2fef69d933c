// The frame's start-up against the scripted server over loopback: the
// lobby argument, the configuration files laid out in a temporary tree,
// the connection (directly and through real proxies named in the lobby's
// INI file), the version check and every way it can fail, with the texts
// the wait display was given.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Resolver.h"
#include "tests/net/ProxyDaemons.h"
#include "tools/scripted/ScriptedServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
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

struct Texts {
    std::mutex lock;
    std::vector<std::string> shown;
    std::vector<std::string> Take()
    {
        std::lock_guard guard(lock);
        return shown;
    }
};

class RecordingDisplay : public WaitTextDisplay {
public:
    explicit RecordingDisplay(std::shared_ptr<Texts> texts)
        : m_texts(std::move(texts))
    {
    }
    void ShowText(const std::string& text, int seconds) override
    {
        std::lock_guard guard(m_texts->lock);
        m_texts->shown.push_back(seconds ? text + "/" + std::to_string(seconds) : text);
    }
    void Hide() override
    {
        std::lock_guard guard(m_texts->lock);
        m_texts->shown.push_back("-");
    }

private:
    std::shared_ptr<Texts> m_texts;
};

// A request waits one second instead of its real time-out.
class QuickConnection : public GameConnection {
public:
    int GetRequestTimeout(uint32_t) const override { return 1; }
};

// The frame's application as a game would derive it, without a window and
// without a message loop.
class TestApp : public CGameFrameApp {
public:
    explicit TestApp(std::shared_ptr<Texts> texts)
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
        SetWaitDisplayFactory([texts] { return std::make_unique<RecordingDisplay>(texts); });
        SetFailurePauseScale(0.01);
    }
    ~TestApp() override { m_connection.Close(); }
    GameConnection* GetConnection() override { return &m_connection; }
    int GetChairCount() const override { return 4; }

protected:
    int RunLoop() override { return 0; }

private:
    QuickConnection m_connection;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetHostResolver([](const std::string&, in_addr&) { return false; });
        m_root = fs::temp_directory_path() / ("kbzn_start_" + std::to_string(getpid()) + "_"
                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_root / "program");
        fs::create_directories(m_root / "system");
        fs::create_directories(m_root / "hall");
        platform::SetExecutableDir((m_root / "program").string() + "/");
        setenv("KBZN_SYSTEM_DIR", (m_root / "system").c_str(), 1);
        platform::IniFile((m_root / "system" / "runo.ini").string())
            .WriteString("SYSTEM", "ExePath", (m_root / "hall").string() + "/DozeDova");
        platform::SetMessageBoxAnswer(platform::kIdNo);
        ASSERT_TRUE(m_server.Start());
    }
    void TearDown() override
    {
        platform::TakeMessageBoxLog();
        platform::SetMessageBoxAnswer(std::nullopt);
        platform::SetExecutableDir("");
        unsetenv("KBZN_SYSTEM_DIR");
        platform::SetHostResolver(nullptr);
        fs::remove_all(m_root);
    }

    std::string LobbyArgument(int port) const
    {
        return "\"7|127.0.0.1|3|0|0|10001|5|2|0|0|测试房间|" + std::to_string(port) + "|4|0|0\"";
    }
    void SetProxy(int need, int type, int port, const std::string& user = "", const std::string& pwd = "")
    {
        platform::IniFile ini((m_root / "hall" / "DozeDova.ini").string());
        ini.WriteInt("PROXY", "Need", need);
        ini.WriteInt("PROXY", "Sock", type);
        ini.WriteInt("PROXY", "Port", port);
        ini.WriteString("PROXY", "Host", "127.0.0.1");
        ini.WriteString("PROXY", "User", user);
        ini.WriteString("PROXY", "pwd", pwd);
    }
    void ServerVersion(int major, int minor)
    {
        m_server.SetReply(kRequestVersion, { .code = 0, .body = Words({ major, minor, 0, 0, 0, 0, 0 }) });
    }
    // Runs the start-up; the texts the wait display got.
    std::vector<std::string> Start(const std::string& argument, StartFailure expected)
    {
        auto texts = std::make_shared<Texts>();
        TestApp app(texts);
        const int code = app.Run(argument);
        EXPECT_EQ(app.GetStartFailure(), expected);
        EXPECT_EQ(code, expected == StartFailure::kNone ? 0 : 1);
        return texts->Take();
    }

    tools::ScriptedServer m_server;
    fs::path m_root;
};

const std::string kConnecting = "正在连接游戏服务器......";

TEST_F(StartupTest, ConnectsAndPassesTheVersionCheck)
{
    ServerVersion(1, 1);
    const auto texts = Start(LobbyArgument(m_server.Port()), StartFailure::kNone);
    EXPECT_EQ(texts, (std::vector<std::string> { kConnecting, "-", "-" }));
    ASSERT_TRUE(m_server.WaitForHello(5000));
    ASSERT_EQ(m_server.RequestCount(), 1u);
    EXPECT_EQ(m_server.Requests()[0].Id(), kRequestVersion);
    EXPECT_TRUE(m_server.Errors().empty());
}

TEST_F(StartupTest, EachWayTheVersionCheckRefuses)
{
    struct Case {
        int major, minor;
        std::string text;
    };
    const Case cases[] = {
        { 2, 0, "您的游戏程序太旧了,必须下载新的程序才能玩游戏。" },
        { 1, 0, "服务正在更新中，请稍候再试。" },
        { 1, 4, "您的游戏程序需要更新。" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ServerVersion(c.major, c.minor);
        const auto texts = Start(LobbyArgument(m_server.Port()), StartFailure::kVersion);
        EXPECT_EQ(texts, (std::vector<std::string> { kConnecting, c.text, "-" }));
    }
}

TEST_F(StartupTest, AServerThatNeverAnswersTheVersionRequest)
{
    m_server.SetNoAnswer(kRequestVersion);
    const auto texts = Start(LobbyArgument(m_server.Port()), StartFailure::kVersion);
    EXPECT_EQ(texts, (std::vector<std::string> { kConnecting, "服务器繁忙，请稍候再试。", "-" }));
}

TEST_F(StartupTest, AClosedPort)
{
    const auto texts = Start(LobbyArgument(proxytest::FreePort()), StartFailure::kServer);
    EXPECT_EQ(texts, (std::vector<std::string> { kConnecting, "无法连接游戏服务器，请稍后再试。", "-" }));
}

TEST_F(StartupTest, WithoutTheLobbysArgumentNothingStarts)
{
    for (const char* argument : { "", "1|2|3|4|5|6|7|8" }) {
        const auto texts = Start(argument, StartFailure::kNotFromLobby);
        EXPECT_TRUE(texts.empty());
        const auto boxes = platform::TakeMessageBoxLog();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(dedur2.0)");
        EXPECT_EQ(boxes[0].type, platform::kMbYesNo | platform::kMbIconInformation);
    }
    EXPECT_EQ(m_server.Connections(), 0);
}

TEST_F(StartupTest, ThroughTheProxiesTheLobbyNames)
{
    ServerVersion(1, 1);
    uint16_t dantePort = 0, tinyPort = 0;
    auto dante = proxytest::StartDante(m_root, "none", dantePort);
    auto tiny = proxytest::StartTinyproxy(m_root, tinyPort);
    if (!dante || !tiny)
        GTEST_SKIP() << "danted or tinyproxy is not installed";

    SetProxy(1, net::kProxySocks5, dantePort);
    EXPECT_EQ(Start(LobbyArgument(m_server.Port()), StartFailure::kNone),
        (std::vector<std::string> { kConnecting, "-", "-" }));
    SetProxy(1, net::kProxyHttp, tinyPort, proxytest::kProxyUser, proxytest::kProxyPassword);
    EXPECT_EQ(Start(LobbyArgument(m_server.Port()), StartFailure::kNone),
        (std::vector<std::string> { kConnecting, "-", "-" }));
    EXPECT_TRUE(m_server.WaitForConnection(2, 5000));

    SetProxy(1, net::kProxySocks5, proxytest::FreePort());
    EXPECT_EQ(Start(LobbyArgument(m_server.Port()), StartFailure::kProxy),
        (std::vector<std::string> { kConnecting, "无法连接代理服务器【127.0.0.1】，请检查设置是否正确。", "-" }));
}

TEST_F(StartupTest, SkinColoursAndMatchModeFromTheProgramsFiles)
{
    fs::create_directories(m_root / "program" / "skins");
    platform::IniFile skin((m_root / "program" / "skins" / "skin.ini").string());
    skin.WriteString("CommColors", "AdvHeader", "10 20 30");
    skin.WriteString("CommColors", "TitleText", "7");
    platform::IniFile((m_root / "program" / "KbZn.ini").string()).WriteInt("Test", "IsMatch", 1);

    TestApp app(std::make_shared<Texts>());
    EXPECT_EQ(app.GetColorAdvHeader(), 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(app.GetColorTitleText(), 0x070707u);
    EXPECT_EQ(app.GetColorAdvBk(), 0xE5F1E1u);
    EXPECT_TRUE(app.IsMatchMode());
    EXPECT_EQ(app.GetSkinIniPath(), (m_root / "program").string() + "/skins\\skin.ini");
}

} // namespace
