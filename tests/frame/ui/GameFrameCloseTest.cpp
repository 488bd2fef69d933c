// Closing the real frame window over the main view against the scripted
// server: a confirmed leave must end the client even while the server
// still reports a running game, at an ordinary table and in a match.

#include "frame/ui/GameFrame.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "platform/MessageLoop.h"
#include "tools/ScriptedServer.h"
#include "tools/TestHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kGameRunning = 210030;

std::string Word(int32_t w)
{
    std::string out;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF));
    return out;
}

class CloseApp : public CGameFrameApp {
public:
    CloseApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
        , m_handler(*this)
    {
    }
    ~CloseApp() override { connection.Close(); }
    GameConnection* GetConnection() override { return &connection; }
    GameNotifyHandler* GetNotifyHandler() override { return &m_handler; }
    int GetChairCount() const override { return 4; }
    std::unique_ptr<engine::RectObject> CreateMainView() override { return std::make_unique<frame::GameFrame>(1600); }

    GameConnection connection;

private:
    GameNotifyHandler m_handler;
};

class FrameClose : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        m_server = std::make_unique<tools::ScriptedServer>();
        ASSERT_TRUE(m_server->Start());
        m_app = std::make_unique<CloseApp>();
        ASSERT_TRUE(m_app->ParseHallArgs("\"7|127.0.0.1|3|0|0|10001|5|2|0|0|KbZn|" + std::to_string(m_server->Port())
            + "|0|0|0\""));
        m_app->connection.SetCipherKey();
        bool proxyFailed = false;
        ASSERT_EQ(m_app->connection.Connect("", "127.0.0.1", m_server->Port(), proxyFailed), 1);
        if (!m_app->CreateMainWindow())
            GTEST_SKIP() << "no video driver";
        // The server says a game is running, and lets the player leave.
        m_server->SetReply(201130, { .code = kGameRunning, .body = Word(0) });
        m_server->SetReply(201125, { .code = 0, .body = "" });
    }
    void TearDown() override
    {
        m_app.reset();
        m_server.reset();
    }

    bool WindowOpen() const { return m_app->GetMainWindow() && m_app->GetMainWindow()->GetWindow().IsCreated(); }
    void Pump()
    {
        for (int i = 0; i < 10 && WindowOpen(); ++i)
            platform::MessageLoop::PumpOnce(0);
    }
    void Close()
    {
        m_app->GetMainWindow()->GetWindow().PostMessage(platform::kWmClose, 0, 0);
        Pump();
    }
    frame::GameFrame* View() const { return dynamic_cast<frame::GameFrame*>(m_app->GetMainView()); }
    // What the view's boxes and boards send it when the player says yes.
    void Confirm(int code)
    {
        frame::GameFrame* view = View();
        ASSERT_NE(view, nullptr);
        view->OnEvent(engine::EngineEvent(view->GetId(), code, 0, 0));
        Pump();
    }
    int Count(uint32_t requestId) const
    {
        int n = 0;
        for (const auto& r : m_server->Requests())
            n += r.Id() == requestId;
        return n;
    }

    std::unique_ptr<tools::ScriptedServer> m_server;
    std::unique_ptr<CloseApp> m_app;
};

TEST_F(FrameClose, ConfirmedLeaveAtATableEndsTheClientThoughTheGameRuns)
{
    // No forced-quit requests in this room: the close asks to leave anyway.
    m_app->GetRoomInfo().SetOptionsB(frame::RoomInfo::kOptionB02);
    Close();
    ASSERT_TRUE(WindowOpen()) << "the leave confirmation is showing";
    Confirm(frame::EVT_FRAME_CONFIRM_QUIT);
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(Count(201125), 1);
    EXPECT_EQ(Count(201130), 1) << "the server is not asked again";
}

TEST_F(FrameClose, QuitBoardOkEndsARunningMatch)
{
    m_app->SetMatchMode(true);
    m_app->GetMatchStateBlock().SetStage(550);
    Close();
    ASSERT_TRUE(WindowOpen());
    ASSERT_NE(View()->GetQuitBoard(), nullptr);
    EXPECT_TRUE(View()->GetQuitBoard()->IsShown());
    ASSERT_NE(View()->GetQuitBoardOk(), nullptr);
    View()->GetQuitBoardOk()->OnClick();
    Pump();
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(Count(201125), 1);
}

} // namespace
