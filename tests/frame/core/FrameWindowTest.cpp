// The frame window on SDL's off-screen driver with the scripted server:
// each branch of the close sequence, relayed server messages of an old
// link, and the lost connection.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameNotifyHandler.h"

#include "engine/core/GameCore.h"
#include "engine/objects/RectObject.h"
#include "frame/core/CGameCommThread.h"
#include "frame/core/WireReader.h"
#include "net/ConnectionNotice.h"
#include "net/NetMessage.h"
#include "platform/MessageLoop.h"
#include "tools/scripted/ScriptedServer.h"
#include "tests/support/TestTimeouts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

std::string Words(std::initializer_list<int32_t> words)
{
    std::string out;
    for (int32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF));
    return out;
}

// The main view as far as the close sequence reaches it.
class RecordingView : public engine::RectObject, public frame::GameFrameCalls {
public:
    using engine::GameObject::ShowSystemBoard;
    explicit RecordingView(std::vector<std::string>& log)
        : m_log(log)
    {
        SetName("GameFrame");
    }
    void ShowMessageBox(const std::string& text, const frame::BoxEvent* ok, const frame::BoxEvent*, int seconds,
        uint32_t flags, const std::string& head) override
    {
        m_log.push_back("box " + std::to_string(seconds) + " " + std::to_string(flags) + " " + head + "|" + text
            + (ok && ok->code ? "|ok " + std::to_string(ok->code) : ""));
    }
    void ShowConfirmBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) override
    {
        m_log.push_back("notice " + std::to_string(seconds) + " " + std::to_string(flags) + " " + head + "|" + text);
    }
    void RequestForcedQuit() override { m_log.push_back("forced quit"); }
    void ShowQuitConfirmBoard() override { m_log.push_back("quit board"); }

private:
    std::vector<std::string>& m_log;
};

class WindowApp : public CGameFrameApp {
public:
    WindowApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
        , m_handler(*this)
    {
        SetStandAlone(false);
    }
    ~WindowApp() override { m_connection.Close(); }
    GameConnection* GetConnection() override { return &m_connection; }
    GameNotifyHandler* GetNotifyHandler() override { return &m_handler; }
    int GetChairCount() const override { return 4; }
    std::unique_ptr<engine::RectObject> CreateMainView() override { return std::make_unique<RecordingView>(log); }

    std::vector<std::string> log;
    GameConnection m_connection;
    GameNotifyHandler m_handler;
};

class FrameWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    void SetUp() override
    {
        m_server = std::make_unique<tools::ScriptedServer>();
        ASSERT_TRUE(m_server->Start());
        m_app = std::make_unique<WindowApp>();
        ASSERT_TRUE(m_app->ParseHallArgs("\"7|127.0.0.1|3|0|0|10001|5|2|0|0|KbZn|" + std::to_string(m_server->Port())
            + "|0|0|0\""));
        m_app->m_connection.SetCipherKey();
        bool proxyFailed = false;
        ASSERT_EQ(m_app->m_connection.Connect("", "127.0.0.1", m_server->Port(), proxyFailed), 1);
        if (!m_app->CreateMainWindow())
            GTEST_SKIP() << "no video driver";
    }
    void TearDown() override
    {
        m_app.reset();
        m_server.reset();
    }

    bool WindowOpen() const { return m_app->GetMainWindow() && m_app->GetMainWindow()->GetWindow().IsCreated(); }
    // Asks the window to close and lets it handle the request.
    void Close()
    {
        m_app->GetMainWindow()->GetWindow().PostMessage(platform::kWmClose, 0, 0);
        for (int i = 0; i < 5; ++i)
            platform::MessageLoop::PumpOnce(0);
    }
    std::vector<uint32_t> RequestIds() const
    {
        std::vector<uint32_t> ids;
        for (const auto& r : m_server->Requests())
            ids.push_back(r.Id());
        return ids;
    }

    std::unique_ptr<tools::ScriptedServer> m_server;
    std::unique_ptr<WindowApp> m_app;
};

TEST_F(FrameWindowTest, TheCloseSequence)
{
    const std::string running = Words({ 0 });
    struct Case {
        const char* name;
        bool lookOn;
        uint32_t optionsA, optionsB;
        uint32_t canQuitCode;
        uint32_t leaveCode;
        bool closes;
        std::vector<uint32_t> requests;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        { "no game: leaves", false, 0, 0, 0, 0, true, { 201130, 201125 }, {} },
        { "game running: forced quit asked", false, 0, 0, 210030, 0, false, { 201130 }, { "forced quit" } },
        { "quit-locked room", false, 0x4000, 0x2, 210030, 0, false, { 201130 },
            { "box 5 49 vkf打牌|生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)" } },
        { "game running: asks to leave anyway", false, 0, 0x2, 210030, 0, false, { 201130 },
            { "box 5 53 vkf疑问|游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？|ok 80000084" } },
        { "the server keeps the player", false, 0, 0, 0, 210086, false, { 201130, 201125 },
            { "box 5 0 |生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)" } },
        { "looker-on never asks", true, 0, 0, 210030, 0, true, { 201125 }, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh client and server for each case.
        TearDown();
        SetUp();
        if (IsSkipped())
            return;
        m_server->SetReply(201130, { .code = c.canQuitCode, .body = Words({ static_cast<int32_t>(c.optionsA) }) });
        m_server->SetReply(201125, { .code = c.leaveCode, .body = "" });
        m_app->GetHallArgs().lookOn = c.lookOn ? 1 : 0;
        m_app->GetRoomInfo().SetOptionsB(c.optionsB);
        Close();
        EXPECT_EQ(!WindowOpen(), c.closes);
        EXPECT_EQ(RequestIds(), c.requests);
        EXPECT_EQ(m_app->log, c.log);
    }
}

TEST_F(FrameWindowTest, ServerMessagesOfAnOldLinkAreDropped)
{
    auto post = [&](uint32_t connectionId, uint32_t id) {
        auto context = std::make_unique<net::MessageContext>();
        context->connectionId = connectionId;
        if (id == net::kConnectionClosed)
            net::MarkOwnNotice(*context); // as the connection marks its notice
        auto message = std::make_unique<net::NetMessage>();
        message->messageId = id;
        ASSERT_TRUE(m_app->GetMainWindow()->GetWindow().PostMessage(net::WM_NETMSG,
            reinterpret_cast<uintptr_t>(context.release()), reinterpret_cast<intptr_t>(message.release()),
            [](const platform::Message& m) { net::DisposeNetMessage(m.wParam, m.lParam); }));
        // Whatever else the window has queued (its timers) goes first.
        for (int i = 0; i < 5; ++i)
            platform::MessageLoop::PumpOnce(0);
    };
    const uint32_t current = m_app->m_connection.GetConnectionId();
    post(current + 1000, net::kConnectionClosed); // an old link's close: nothing happens
    EXPECT_TRUE(m_app->log.empty());
    EXPECT_TRUE(m_app->m_connection.IsConnected());
    post(current, 211300); // unknown to every layer: only stamped
    EXPECT_EQ(m_app->GetNotifyHandler()->GetLastId(), 211300u);
    post(current, net::kConnectionClosed);
    EXPECT_FALSE(m_app->m_connection.IsConnected());
    EXPECT_EQ(m_app->log, (std::vector<std::string> { "notice 30 49 vkf大哭|与服务器连接断开。" }));
}

// A handler that fails on one notification, as a fault in any handler would.
class FailingHandler : public GameNotifyHandler {
public:
    using GameNotifyHandler::GameNotifyHandler;
    void Dispatch(uint32_t id, const uint8_t* body, size_t length) override
    {
        if (id == kFailingId)
            throw std::runtime_error("handler fault");
        GameNotifyHandler::Dispatch(id, body, length);
    }
    static constexpr uint32_t kFailingId = 211300;
};

class FailingApp : public WindowApp {
public:
    GameNotifyHandler* GetNotifyHandler() override { return &m_failing; }

private:
    FailingHandler m_failing { *this };
};

uint32_t WordAt(const std::string& bytes, size_t at)
{
    return frame::LoadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
}

TEST(FrameWindowRelay, AHandlerThatFailsIsReportedAndTheFrameLockIsReleased)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    tools::ScriptedServer server;
    ASSERT_TRUE(server.Start());
    FailingApp app;
    ASSERT_TRUE(app.ParseHallArgs("\"7|127.0.0.1|3|0|0|10001|5|2|0|0|KbZn|" + std::to_string(server.Port())
        + "|0|0|0\""));
    // Server messages take the program's way: the connection, the
    // communication thread, the window.
    ASSERT_TRUE(app.StartCommThread());
    app.m_connection.SetNotifyThread(app.GetCommThread()->ThreadId());
    app.m_connection.SetCipherKey();
    bool proxyFailed = false;
    ASSERT_EQ(app.m_connection.Connect("", "127.0.0.1", server.Port(), proxyFailed), 1);
    if (!app.CreateMainWindow())
        GTEST_SKIP() << "no video driver";

    ASSERT_TRUE(server.Push(211025, Words({ 3 })));
    ASSERT_TRUE(server.Push(FailingHandler::kFailingId, Words({ 7, 8 })));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(testsupport::TimeoutMs(10000));
    while (server.Requests().empty() && std::chrono::steady_clock::now() < deadline)
        platform::MessageLoop::PumpOnce(10);
    ASSERT_EQ(server.Requests().size(), 1u);
    const auto report = server.Requests()[0];
    EXPECT_EQ(report.Id(), 201162u);
    EXPECT_FALSE(report.expectsReply);
    const std::string& record = report.message.body;
    ASSERT_EQ(record.size(), 128u);
    EXPECT_EQ(WordAt(record, 0), 10001u);                   // own user
    EXPECT_EQ(WordAt(record, 20), FailingHandler::kFailingId); // the failing notification
    EXPECT_EQ(WordAt(record, 28), 8u);                     // its length
    EXPECT_EQ(WordAt(record, 36), 211025u);                // the one before it
    EXPECT_EQ(WordAt(record, 44), 4u);
    EXPECT_EQ(app.GetNotifyHandler()->GetLastId(), FailingHandler::kFailingId) << "stamped all the same";
    EXPECT_TRUE(app.m_connection.IsConnected());

    // The frame lock was given back: another thread takes it at once.
    engine::GameCore* core = app.GetMainWindow()->GetRootObject()->GetCore();
    ASSERT_NE(core, nullptr);
    auto taken = std::make_shared<std::promise<void>>();
    std::future<void> done = taken->get_future();
    std::thread([core, taken] {
        core->Lock();
        core->Unlock();
        taken->set_value();
    }).detach();
    EXPECT_EQ(done.wait_for(std::chrono::milliseconds(testsupport::TimeoutMs(5000))), std::future_status::ready);
}

} // namespace
