// Closing the real frame window over the main view against the scripted
// server: the close decision in every branch as the window takes it, and a
// confirmed leave that must end the client even while the server still
// reports a running game, at an ordinary table and in a match.

#include "frame/ui/GameFrame.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/core/QuitDecision.h"
#include "frame/ui/SubSystem.h"
#include "frame/ui/SystemInfoBox.h"
#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "tests/frame/core/StubGameState.h"
#include "tests/frame/ui/SidePaneHost.h"
#include "tools/scripted/ScriptedServer.h"
#include "tools/testhost/TestHost.h"

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

using Log = std::vector<std::string>;

// The main view, writing each message box it opens into a log as
// "box <flags> <head> <seconds>s[ ok <code>]: <text>" before opening it.
class BoxLoggingFrame : public frame::GameFrame {
public:
    explicit BoxLoggingFrame(Log& log)
        : GameFrame(1600)
        , m_log(log)
    {
    }
    void ShowMessageBox(const std::string& text, const frame::BoxEvent* ok, const frame::BoxEvent* cancel,
        int seconds, uint32_t flags, const std::string& head) override
    {
        m_log.push_back("box " + std::to_string(flags) + " " + head + " " + std::to_string(seconds) + "s"
            + (ok && ok->code ? " ok " + std::to_string(ok->code) : std::string()) + ": " + text);
        GameFrame::ShowMessageBox(text, ok, cancel, seconds, flags, head);
    }

private:
    Log& m_log;
};

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
    GameState* GetGameState() override { return &state; }
    int GetChairCount() const override { return 4; }
    std::unique_ptr<engine::RectObject> CreateMainView() override { return std::make_unique<BoxLoggingFrame>(boxes); }

    GameConnection connection;
    frametest::StubGameState state;
    Log boxes;

private:
    GameNotifyHandler m_handler;
};

class FrameClose : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(kNow);
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
        platform::SetFixedTick(std::nullopt);
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
    std::vector<uint32_t> RequestIds() const
    {
        std::vector<uint32_t> ids;
        for (const auto& r : m_server->Requests())
            ids.push_back(r.Id());
        return ids;
    }
    std::string ChatText() const
    {
        auto* pane = dynamic_cast<frame::SubSystem*>(View()->GetSubSystem());
        return pane && pane->GetChatBox() ? frameuitest::PlainText(*pane->GetChatBox()->GetView()) : std::string();
    }
    int Count(uint32_t requestId) const
    {
        int n = 0;
        for (const auto& r : m_server->Requests())
            n += r.Id() == requestId;
        return n;
    }

    static constexpr uint32_t kNow = 500000;
    std::unique_ptr<tools::ScriptedServer> m_server;
    std::unique_ptr<CloseApp> m_app;
};

// ---- the close decision -----------------------------------------------------------

struct CloseCase {
    const char* name;
    bool lookOn;
    uint32_t canQuitCode; // the server's answer to 201130
    bool connected;
    int requestsSent;
    int msAgo; // the last exit request; -1 none
    uint32_t optionsA;
    uint32_t optionsB;
    std::vector<uint32_t> requests;
    Log boxes;
    std::string chat;
    bool reasonBox;
    bool closes;
};

class CloseDecision : public FrameClose, public ::testing::WithParamInterface<CloseCase> { };

TEST_P(CloseDecision, GoesWhereTheRoomAndTheRequestsSay)
{
    const CloseCase& c = GetParam();
    // The room's option word A comes with the answer to 201130.
    m_server->SetReply(201130, { .code = c.canQuitCode, .body = Word(static_cast<int32_t>(c.optionsA)) });
    m_app->GetHallArgs().lookOn = c.lookOn ? 1 : 0;
    m_app->GetRoomInfo().SetOptionsA(c.optionsA);
    m_app->GetRoomInfo().SetOptionsB(c.optionsB);
    m_app->BeginGame();
    m_app->state.SetExitRequestCount(c.requestsSent);
    m_app->state.SetExitRequestTick(c.msAgo < 0 ? 0 : kNow - static_cast<uint32_t>(c.msAgo));
    if (!c.connected)
        m_app->connection.Close();
    Close();
    EXPECT_EQ(!WindowOpen(), c.closes);
    EXPECT_EQ(RequestIds(), c.requests);
    if (c.closes)
        return; // the view is gone with its window
    EXPECT_EQ(m_app->boxes, c.boxes);
    EXPECT_EQ(ChatText(), c.chat);
    EXPECT_EQ(View()->GetForcedQuitBox() != nullptr, c.reasonBox);
}

const std::string kConfirmBox = std::string("box 53 vkf疑问 5s ok 80000084: ") + frame::kConfirmLeaveText;
const std::string kLockedBox = std::string("box 49 vkf打牌 5s: ") + frame::kQuitLockedText;
constexpr uint32_t kLocked = frame::RoomInfo::kOptionAQuitLocked;
constexpr uint32_t kNoAsking = frame::RoomInfo::kOptionB02;

INSTANTIATE_TEST_SUITE_P(Quit, CloseDecision,
    ::testing::Values(
        // A looker-on is never asked anything, not even the server.
        CloseCase { "LookerOn", true, kGameRunning, true, 0, -1, kLocked, 0, { 201125 }, {}, "", false, true },
        CloseCase { "NoGame", false, 0, true, 0, -1, kLocked, 0, { 201130, 201125 }, {}, "", false, true },
        // A lost connection counts as permission to leave.
        CloseCase { "NoConnection", false, kGameRunning, false, 0, -1, kLocked, 0, {}, {}, "", false, true },
        CloseCase { "FirstRequest", false, kGameRunning, true, 0, -1, 0, 0, { 201130 }, {}, "", true, false },
        CloseCase { "TwelveSecondsAfterARequest", false, kGameRunning, true, 1, 12000, 0, 0, { 201130 }, {},
            " 已经请求退出，请耐心等候其他玩家回应(18秒)。\\n", false, false },
        CloseCase { "ThirtySecondsAfterOneRequest", false, kGameRunning, true, 1, 30000, 0, 0, { 201130 }, {}, "",
            true, false },
        CloseCase { "AfterTwoRequests", false, kGameRunning, true, 2, 40000, 0, 0, { 201130 }, { kConfirmBox }, "",
            false, false },
        CloseCase { "RoomWithoutRequests", false, kGameRunning, true, 0, -1, 0, kNoAsking, { 201130 }, { kConfirmBox },
            "", false, false },
        CloseCase { "LockedRoomAfterTwoRequests", false, kGameRunning, true, 2, 40000, kLocked, 0, { 201130 },
            { kLockedBox }, "", false, false },
        CloseCase { "LockedRoomWithoutRequests", false, kGameRunning, true, 0, -1, kLocked, kNoAsking, { 201130 },
            { kLockedBox }, "", false, false }),
    [](const auto& info) { return std::string(info.param.name); });

// The leave confirmation: its countdown answers Cancel, and its OK, sent to
// the main view, leaves the seat and ends the client.
TEST_F(FrameClose, LeaveConfirmationExpiresAsCancelAndItsOkLeaves)
{
    m_app->GetRoomInfo().SetOptionsB(kNoAsking);
    Close();
    ASSERT_EQ(m_app->boxes, Log { kConfirmBox });
    auto* box = dynamic_cast<frame::SystemInfoBox*>(View()->FindObjectById(View()->GetLastBoxId()));
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->GetBoxFlags() & frame::SIB_EXPIRE_CANCEL, 0u) << "nobody answered: nothing happens";
    EXPECT_EQ(box->GetCancelEvent().code, 0);
    ASSERT_NE(box->GetOkButton(), nullptr);
    box->GetOkButton()->OnClick();
    Pump();
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(RequestIds(), (std::vector<uint32_t> { 201130, 201125 }));
}

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
