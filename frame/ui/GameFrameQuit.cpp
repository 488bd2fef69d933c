// The main view's side of leaving a table: the leave itself, the match quit
// board, the forced-quit reason box and the boxes of other players' exit
// requests.

#include "frame/ui/GameFrame.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameState.h"
#include "frame/core/QuitDecision.h"
#include "frame/core/WireReader.h"
#include "frame/ui/SystemInfoBox.h"
#include "platform/Clock.h"
#include "platform/Window.h"

namespace frame {

namespace {

// The exit request of notification 201212: the asker's user id first, the
// reason 20 bytes in.
constexpr size_t kExitReasonAt = 20;
constexpr size_t kExitReasonSize = 64;
constexpr int kQuitRequestSeconds = 30;
constexpr int kReasonMaxBytes = 60;
constexpr int kReasonLines = 3;
constexpr int kQuitBoardDesignWidth = 345;

engine::Rect TableRect(engine::RectObject* table, engine::RectObject& view)
{
    engine::Rect r;
    (table ? table : &view)->GetRect(&r);
    return r;
}

} // namespace

// ---- leaving ------------------------------------------------------------------

void GameFrame::ConfirmQuit()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return;
    std::string text;
    GameConnection* connection = app->GetConnection();
    if (connection && connection->LeaveSeat(text, app->GetUserId(), app->GetChair())) {
        // The server keeps the player: its text, one OK, nothing else.
        const BoxEvent none {};
        ShowMessageBox(text, &none, &none, 5, 0, "");
        return;
    }
    // The seat is left; with the connection closed the window's own close
    // handler finds no game to ask about and lets the window go (a server
    // still answering "game running" would otherwise keep the player). That
    // handler tells the lobby, once for the client.
    app->StopCommThread();
    app->CloseConnection();
    CloseMainWindow();
}

void GameFrame::AddSystemChatLine(const std::string& line)
{
    // The side pane writes it into its chat view; the text lives during
    // the call.
    ToPane(EVT_CHILD_SYSTEM_LINE, reinterpret_cast<intptr_t>(line.c_str()));
}

// ---- the quit board of match rooms --------------------------------------------

void GameFrame::ShowQuitConfirmBoard()
{
    if (!m_quitBoard) {
        engine::PictureDesc board;
        LookupPicture(&board, "bit_systemboard", 0);
        m_quitBoard = CreateCanvas(std::max(board.width, 1), std::max(board.height, 1), 0xFF00FF);
        if (!m_quitBoard)
            return;
        m_quitBoard->BlitPicture(board, 0, 0, -1, -1, 0, 1.0);
        engine::PictureDesc sure;
        LookupPicture(&sure, "bit_SureQuit", 0);
        m_quitBoard->BlitPicture(sure, 23, 67, -1, -1, 0, 1.0);
        m_quitBoard->SetTopmost();
        m_quitBoard->SetDraggable(true);
        // The buttons' offsets centre the pair on a board 345 wide; on
        // another board they move by half the difference, so the pair
        // stays centred under the question.
        const double left = m_quitBoard->GetLeft() + (board.width - kQuitBoardDesignWidth) / 2;
        const double top = m_quitBoard->GetTop();
        auto button = [&](const char* picture, const engine::EngineEvent& click, double x, double y) {
            auto* b = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
            if (!b)
                return b;
            engine::PictureDesc desc;
            LookupPicture(&desc, picture, 0);
            b->Create(desc, &click, 0, engine::ObjectFlags::kPixelHitTest);
            b->SetSound(1, "SndTouchButton");
            b->SetSound(2, "SndHitButton");
            b->MoveTo(left + x, top + y);
            b->SetZ(m_quitBoard->GetZ() + 0.1);
            m_quitBoard->AddChild(b, engine::LINK_STANDARD);
            return b;
        };
        m_quitOk = button("btn_gameset_ok", engine::EngineEvent(GetId(), EVT_FRAME_QUIT_BOARD_OK, 0, 0), 145, 163);
        button("btn_gameset_cancel", engine::EngineEvent(m_quitBoard->GetId(), engine::EVT_HIDE, 0, 0), 200, 163);
    }
    const engine::Rect r = TableRect(m_mainGame, *this);
    m_quitBoard->MoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    m_quitBoard->Show();
    m_quitBoard->Invalidate();
}

void GameFrame::ConfirmMatchQuit()
{
    // The close handler answers every close of a running match with this
    // board; without the record the player could never leave.
    if (CGameFrameApp* app = CGameFrameApp::Current())
        app->SetMatchQuitConfirmed(true);
    if (m_quitBoard)
        HideFromScreen(m_quitBoard);
    CloseMainWindow();
}

// ---- forced quit -----------------------------------------------------------------

void GameFrame::RequestForcedQuit()
{
    if (m_forcedQuitBox && m_forcedQuitBox->IsShown())
        return;
    CGameFrameApp* app = CGameFrameApp::Current();
    const std::string text = ForcedQuitText(app && app->IsSilverRoom());
    const engine::Rect r = TableRect(m_mainGame, *this);
    m_forcedQuitBox = OpenForceQuitReasonBox(*this, text, "请求强退",
        engine::EngineEvent(GetId(), EVT_FRAME_SEND_REASON, 0, 0),
        engine::EngineEvent(GetId(), EVT_FRAME_REASON_CLOSED, 0, 0), kReasonLines, kReasonMaxBytes,
        (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void GameFrame::SendExitReason(const engine::EngineEvent& event)
{
    const auto* reason = event.ParamAs<const char>();
    CGameFrameApp* app = CGameFrameApp::Current();
    if (reason && app) {
        if (GameConnection* connection = app->GetConnection())
            connection->RequestExit(reason);
        if (GameState* state = app->GetGameState())
            state->RecordExitRequest(platform::TickMs());
    }
    if (event.param)
        engine::FreeEventBlock(event.param);
    m_forcedQuitBox = nullptr;
}

// ---- other players' requests -------------------------------------------------

void GameFrame::ShowQuitRequest(const uint8_t* data, size_t size)
{
    const WireReader notice(data, size);
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app || !notice.Has(4))
        return;
    const int asker = notice.Int(0);
    const PlayerRecord* player = app->FindPlayer(asker);
    if (!player)
        return;
    // The reason ends inside its field and inside the body.
    const std::string reason = notice.Text(kExitReasonAt, kExitReasonSize);
    const engine::EngineEvent agree(GetId(), EVT_FRAME_ANSWER_EXIT, asker, 1);
    const engine::EngineEvent refuse(GetId(), EVT_FRAME_ANSWER_EXIT, asker, 0);
    QuitRequestBox* box = OpenQuitRequestBox(*this, player->Name(), reason, GetCharacterImageName(player->Figure(), 1),
        agree, refuse, kQuitRequestSeconds, GetScreenWidth() / 2, GetScreenHeight() / 2);
    SlideInPopup(box);
}

void GameFrame::AnswerExitRequest(int askerId, int agree)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (GameConnection* connection = app ? app->GetConnection() : nullptr)
        connection->AnswerExit(askerId, agree);
}

bool GameFrame::OnQuitEvent(const engine::EngineEvent& event)
{
    switch (event.code) {
    case EVT_FRAME_CONFIRM_QUIT:
        ConfirmQuit();
        return true;
    case EVT_FRAME_SEND_REASON:
        SendExitReason(event);
        return true;
    case EVT_FRAME_REASON_CLOSED:
        m_forcedQuitBox = nullptr;
        return true;
    case EVT_FRAME_ANSWER_EXIT:
        AnswerExitRequest(event.ParamInt(), event.DataInt());
        return true;
    case EVT_FRAME_QUIT_BOARD_OK:
        ConfirmMatchQuit();
        return true;
    default:
        return false;
    }
}

} // namespace frame
