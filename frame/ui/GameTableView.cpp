#include "frame/ui/GameTableView.h"

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/WireReader.h"

#include <array>
#include <string>

namespace frame {

namespace {

constexpr int kIdleKickNoticeSeconds = 10;
constexpr uint32_t kIdleKickNoticeFlags = SIB_HEAD_PICTURE | SIB_HEAD_ANIMATED;

// The connection of the running application, null without either.
GameConnection* Connection(CGameFrameApp*& app)
{
    app = CGameFrameApp::Current();
    return app ? app->GetConnection() : nullptr;
}

// One allowance claim with the wait text shown while it blocks; the
// application hears the answer.
void Claim(int value, int kind, int (GameConnection::*request)(std::string&, int, int, int&))
{
    CGameFrameApp* app = nullptr;
    GameConnection* connection = Connection(app);
    if (!connection)
        return;
    app->ShowWaitText("正在领取低保，请稍等......", true);
    std::string text;
    int amount = 0;
    const int ok = (connection->*request)(text, value, kind, amount);
    app->ShowWaitText("", false);
    app->OnAllowanceReply(ok != 0, text, value, kind, amount);
}

} // namespace

GameTableView::~GameTableView() = default;

int GameTableView::OnEvent(const engine::EngineEvent& event)
{
    const auto* body = event.ParamAs<const uint8_t>();
    const auto size = static_cast<size_t>(event.data);
    switch (event.code) {
    case EVT_TABLE_NOTICE:
        // A notice without text (or too short to hold one) says nothing.
        if (!WireReader(body, size).Text(kTableNoticeTextOffset, size).empty())
            OnTableNotice(body, size);
        break;
    case EVT_PLAYER_NOTICE:
        OnPlayerNotice(body, size);
        break;
    case EVT_IDLE_KICK:
        m_idleKickAction = 0;
        if (const CGameFrameApp* app = CGameFrameApp::Current())
            app->ShowNoticeBox("由于您长时间没有开始游戏，系统请您离开游戏", kIdleKickNoticeSeconds,
                kIdleKickNoticeFlags, "vkf抱歉");
        break;
    default:
        break;
    }
    return 1;
}

engine::EngineObject* GameTableView::CreateReplayRecorder()
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!app || (!app->IsRoomOptionC20000() && !app->IsReplayMode()))
        return nullptr;
    std::unique_ptr<engine::EngineObject> made = MakeReplayRecorder(app->IsMatchMode());
    if (!made)
        return nullptr;
    engine::EngineObject* recorder = RegisterObject(std::move(made));
    if (!recorder)
        return nullptr;
    m_replayRecorder = recorder;
    recorder->SetTopmost();
    recorder->SetZ(kReplayRecorderDepth);
    SetReplayMaxGap(recorder, kReplayRecorderMaxGapMs);
    if (app->IsReplayMode())
        recorder->Show();
    recorder->Invalidate();
    return recorder;
}

// ---- idle kick --------------------------------------------------------------------

void GameTableView::LoadIdleKickTime()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return;
    const std::span<uint8_t> enter = app->GetEnterDataBuffer();
    const WireReader reader(enter.data(), enter.size());
    // A buffer too short for the word leaves the kick off.
    m_idleKickSeconds = reader.Has(kIdleKickOffset, 4) ? reader.Int(kIdleKickOffset) : -1;
}

void GameTableView::StartIdleKickTimer()
{
    StopIdleKickTimer();
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!app || !app->IsRoomOptionB40() || !app->IsRoomOptionB80())
        return;
    if (m_idleKickAction != 0 || m_idleKickSeconds < 1)
        return;
    const engine::EngineEvent kick(GetId(), EVT_IDLE_KICK, 0, 0);
    m_idleKickAction = Delay(static_cast<uint32_t>(m_idleKickSeconds) * 1000u, &kick);
}

void GameTableView::StopIdleKickTimer()
{
    if (m_idleKickAction == 0)
        return;
    CancelAction(m_idleKickAction);
    m_idleKickAction = 0;
}

// ---- requests -----------------------------------------------------------------------

void GameTableView::RequestNewTable()
{
    CGameFrameApp* app = nullptr;
    GameConnection* connection = Connection(app);
    if (!connection || !app->IsRoomOptionB02())
        return;
    // The connection's own reply handling stops the idle kick or shows the
    // silver prompts; nothing else is done with the answer here.
    std::string text;
    connection->RequestNewTable(text);
}

void GameTableView::FetchAllowanceConfig(int value)
{
    CGameFrameApp* app = nullptr;
    GameConnection* connection = Connection(app);
    if (!connection)
        return;
    app->ShowWaitText("正在获取低保配置，请稍等......", true);
    std::string text;
    std::array<uint8_t, 124> config {};
    const int ok = connection->RequestAllowanceConfig(text, value, config);
    app->ShowWaitText("", false);
    app->OnAllowanceConfigReply(ok != 0, text, value, config.data());
}

void GameTableView::ClaimAllowance(int value, int kind)
{
    Claim(value, kind, &GameConnection::ClaimAllowance);
}

void GameTableView::ClaimAllowanceChecked(int value, int kind)
{
    Claim(value, kind, &GameConnection::ClaimAllowanceChecked);
}

// ---- accessors ------------------------------------------------------------------------

GameState* GameTableView::GetGameState() const
{
    CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetGameState() : nullptr;
}

engine::RectObject* GameTableView::GetMainView() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetMainView() : nullptr;
}

} // namespace frame
