#pragma once
// KbZn as it runs beside its lobby, inside the test's process: the game's
// application (FriendGameApp) with its main window, main view, side pane
// and table view, drawn with the skin the build makes for the client,
// started with the launch argument of a stand-in lobby on a desktop channel
// of the test's own and connected to a scripted game server. A local web
// server holds the room's advert page and notice file. The test drives the
// client with what the lobby and the server send and with window input on
// the platform clock, and reads what reaches the lobby, the servers, the
// chat and the view.

#include "engine/controls/richtext/RichText.h"
#include "engine/controls/richtext/RichTextNode.h"
#include "engine/objects/RectObject.h"
#include "frame/core/HallRecords.h"
#include "frame/ui/ChatBox.h"
#include "frame/ui/ChatView.h"
#include "frame/ui/SubSystem.h"
#include "game/FriendGameApp.h"
#include "game/FriendGameFrame.h"
#include "platform/Clock.h"
#include "platform/DesktopChannel.h"
#include "platform/Files.h"
#include "platform/MessageLoop.h"
#include "platform/Process.h"
#include "platform/WindowMessages.h"
#include "tools/lobby/StandInLobby.h"
#include "tools/scripted/ScriptedServer.h"
#include "tools/testhost/TestHost.h"

#include "tests/game/RecordingWait.h"
#include "tests/net/ProxyDaemons.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestTimeouts.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace clienttest {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

// The game's main view, writing down the notice boxes it opens and the
// sounds it plays before it does so.
class WatchedFrame : public game::FriendGameFrame {
public:
    explicit WatchedFrame(Log& log)
        : m_log(log)
    {
    }
    void ShowConfirmBoxEx(const std::string& text, const std::string& link, bool signedLink, int seconds,
        uint32_t flags, const std::string& head, const std::string& okPicture,
        const std::string& cancelPicture) override
    {
        m_log.push_back("notice " + head + "|" + text);
        FriendGameFrame::ShowConfirmBoxEx(text, link, signedLink, seconds, flags, head, okPicture, cancelPicture);
    }
    void PlayViewSound(const std::string& name) override
    {
        m_log.push_back("sound " + name);
        FriendGameFrame::PlayViewSound(name);
    }

private:
    Log& m_log;
};

class ClientApp : public game::FriendGameApp {
public:
    explicit ClientApp(std::shared_ptr<WaitTexts> texts)
    {
        SetWaitDisplayFactory([texts] { return std::make_unique<RecordingWait>(texts); });
        SetFailurePauseScale(0.01);
    }
    using FriendGameApp::ExitInstance;
    using FriendGameApp::InitInstance;

    std::unique_ptr<engine::RectObject> CreateMainView() override { return std::make_unique<WatchedFrame>(log); }

    Log log;
};

class LobbyClientTest : public ::testing::Test {
protected:
    static constexpr int kUserId = 10001;
    static constexpr int kOtherId = 10002;
    static constexpr int kGameId = 7;
    static constexpr size_t kEnterInfoSize = 1096;
    static constexpr size_t kIdleSecondsAt = 56;

    static void SetUpTestSuite()
    {
        // The client and the stand-in lobby meet on a channel of this
        // process alone; it is fixed at its first use.
        static const std::string channel = [] {
            std::string pattern = (fs::temp_directory_path() / "kbzn-client-XXXXXX").string();
            return ::mkdtemp(pattern.data()) ? pattern : std::string();
        }();
        setenv("XDG_RUNTIME_DIR", channel.c_str(), 1);
        tools::TestHost::PreferHeadlessDrivers();
    }

    void SetUp() override
    {
        m_root = fs::temp_directory_path()
            / ("kbzn_client_" + std::to_string(getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        for (const char* sub : { "bin", "empty-bin", "web/notify/game", "web/advert/window/7" })
            fs::create_directories(m_root / sub);
        // The client's directory with the build's skin and sounds.
        for (const char* shared : { "skins", "sound" })
            if (fs::exists(fs::path(KBZN_CLIENT_DIR) / shared))
                fs::create_directory_symlink(fs::path(KBZN_CLIENT_DIR) / shared, m_root / "bin" / shared);
        // No browser to start, no desktop's file types touched.
        m_env.emplace_back("PATH", (m_root / "empty-bin").string());
        m_env.emplace_back("XDG_DATA_HOME", (m_root / "data").string());
        platform::SetExecutablePath((m_root / "bin" / "KbZn").string());
        platform::SetExecutableDir((m_root / "bin").string() + "/");
        platform::SetFixedTick(m_tick);

        m_webPort = proxytest::FreePort();
        m_web = std::make_unique<proxytest::Daemon>(
            std::vector<std::string> { "/usr/bin/python3", "-u", "-m", "http.server", std::to_string(m_webPort),
                "--bind", "127.0.0.1", "--directory", (m_root / "web").string() },
            (m_root / "http.log").string());
        ASSERT_TRUE(proxytest::WaitForPort(m_webPort));

        ASSERT_TRUE(server.Start());
        std::string version(28, '\0');
        version[0] = 1;
        version[4] = 1;
        server.SetReply(201001, { .code = 0, .body = version });
        enterInfo.assign(kEnterInfoSize, '\0');
        options.serverPort = server.Port();
        options.advertHost = WebHost();
        options.notifyHost = WebHost();
    }

    void TearDown() override
    {
        if (app) {
            app->ExitInstance();
            app.reset();
        }
        lobby.reset();
        server.Stop();
        m_web.reset();
        platform::SetFixedTick(std::nullopt);
        platform::SetExecutableDir("");
        platform::SetExecutablePath("");
        m_env.clear();
        fs::remove_all(m_root);
    }

    // The lobby starts the client; false (the test skips) when there is
    // no video driver. The client is at its table once the server has
    // answered its enter request and the frames after it have run.
    bool Launch()
    {
        server.SetReply(200110, { .code = 210200, .body = enterInfo });
        lobby = std::make_unique<tools::StandInLobby>(platform::DesktopChannel::Desktop(), options);
        EXPECT_TRUE(lobby->Start());
        EXPECT_TRUE(lobby->LayOutTree((m_root / "tree").string()));
        m_env.emplace_back("KBZN_SYSTEM_DIR", lobby->SystemDir());

        app = std::make_unique<ClientApp>(waitTexts);
        app->SetCommandLine(lobby->LaunchArgument());
        if (!app->InitInstance()) {
            EXPECT_EQ(app->GetStartFailure(), StartFailure::kMainWindow);
            return false;
        }
        EXPECT_TRUE(RunUntil([this] { return Requested(200110); }))
            << "the client never entered";
        Run(1000);
        return true;
    }

    // ---- the clock ------------------------------------------------------
    // One step of the platform clock, with the window's timers and posted
    // messages handled.
    void Step(uint32_t ms = 20)
    {
        m_tick += ms;
        platform::SetFixedTick(m_tick);
        for (int i = 0; i < 3; ++i)
            platform::MessageLoop::PumpOnce(0);
    }
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 20)
            Step();
    }
    // Steps until the condition holds: what the servers, the lobby or the
    // page's loading send arrives on threads of their own. The limit is
    // one of real time, not an assertion on it.
    bool RunUntil(const std::function<bool()>& done, int limitMs = 20000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(testsupport::TimeoutMs(limitMs));
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            Step();
        }
        return true;
    }

    // ---- window input -------------------------------------------------
    void Input(uint32_t message, int x, int y)
    {
        tools::InjectWindowInput(*app->GetMainWindow(), message, x, y);
        Run(60);
    }
    void Click(double x, double y, bool right = false)
    {
        const int px = static_cast<int>(x);
        const int py = static_cast<int>(y);
        Input(platform::kWmMouseMove, px, py);
        Input(right ? platform::kWmRButtonDown : platform::kWmLButtonDown, px, py);
        Input(right ? platform::kWmRButtonUp : platform::kWmLButtonUp, px, py);
    }
    void Click(const engine::EngineObject* part)
    {
        ASSERT_NE(part, nullptr);
        Click(part->GetX(), part->GetY());
    }

    // ---- what the client shows ----------------------------------------
    engine::GameObject* Pane() const { return dynamic_cast<engine::GameObject*>(app->GetSystemPane()); }
    template <typename T>
    T* PaneChild(const char* name) const
    {
        engine::GameObject* pane = Pane();
        return pane ? dynamic_cast<T*>(pane->FindObjectByName(name)) : nullptr;
    }
    // The characters of the chat, in order (pictures and other objects
    // left out).
    std::string ChatText() const
    {
        auto* box = PaneChild<frame::ChatBox>(frame::kChatBoxName);
        std::string text;
        for (const engine::RichTextNode* n = box && box->GetView() ? box->GetView()->GetFirstNode() : nullptr; n;
             n = n->next) {
            if (n->flags & engine::NODE_OBJECT)
                continue;
            text.push_back(static_cast<char>(n->code & 0xFF));
            if (n->code > 0xFF)
                text.push_back(static_cast<char>(n->code >> 8));
        }
        return text;
    }

    // ---- the web server --------------------------------------------------
    std::string WebHost() const { return "127.0.0.1:" + std::to_string(m_webPort); }
    void Serve(const std::string& path, const std::string& body)
    {
        std::ofstream(m_root / "web" / path, std::ios::binary) << body;
    }
    // The requests of the web server's log ("GET /path HTTP/1.1" lines).
    int WebRequests(const std::string& pathPrefix) const
    {
        std::ifstream in(m_root / "http.log");
        std::stringstream text;
        text << in.rdbuf();
        const std::string log = text.str();
        const std::string line = "\"GET " + pathPrefix;
        int count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            ++count;
        return count;
    }

    // ---- the lobby and the game server -------------------------------------
    bool Requested(uint32_t id) const
    {
        for (const auto& r : server.Requests())
            if (r.Id() == id)
                return true;
        return false;
    }
    std::optional<tools::LobbyEvent> LobbyPosted(uint32_t message, int limitMs = 10000)
    {
        std::optional<tools::LobbyEvent> seen;
        RunUntil(
            [&] {
                for (const tools::LobbyEvent& e : lobby->Events())
                    if (e.kind == tools::LobbyEvent::Kind::kPosted && e.message == message)
                        seen = e;
                return seen.has_value();
            },
            limitMs);
        return seen;
    }
    std::vector<frame::HallTextMessage> LobbyTexts() const
    {
        std::vector<frame::HallTextMessage> texts;
        for (const tools::LobbyEvent& e : lobby->Events())
            if (e.textMessage)
                texts.push_back(*e.textMessage);
        return texts;
    }

    tools::ScriptedServer server;
    tools::LobbyOptions options;
    std::unique_ptr<tools::StandInLobby> lobby;
    std::shared_ptr<WaitTexts> waitTexts = std::make_shared<WaitTexts>();
    std::unique_ptr<ClientApp> app;
    // The body of the enter reply (210200) the server gives.
    std::string enterInfo;

private:
    fs::path m_root;
    uint32_t m_tick = 500000;
    uint16_t m_webPort = 0;
    std::unique_ptr<proxytest::Daemon> m_web;
    std::deque<testsupport::ScopedEnv> m_env; // never moved: each restores its variable once
};

} // namespace clienttest
