#include "frame/core/CGameFrameWnd.h"

#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FormatLine.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/core/GameState.h"
#include "frame/core/HallRecords.h"
#include "frame/core/NoticeDownload.h"
#include "frame/core/QuitDecision.h"
#include "frame/core/UrlCommands.h"
#include "frame/core/WebAddresses.h"
#include "net/ConnectionNotice.h"
#include "net/DailyLog.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/Files.h"
#include "platform/MessageLoop.h"

#include <cstdio>
#include <exception>
#include <memory>

namespace {

constexpr uint32_t kHallWatchMs = 1000;
constexpr uint32_t kDelayedCloseMs = 3000;
constexpr uint32_t kEventConfirmLeave = 80000084;

// The engine's frame lock, held for one dispatch and released on every way
// out of it.
class CoreLock {
public:
    explicit CoreLock(engine::GameObject* root)
        : m_root(root)
    {
        if (m_root)
            m_root->LockCore();
    }
    ~CoreLock()
    {
        if (m_root)
            m_root->UnlockCore();
    }
    CoreLock(const CoreLock&) = delete;
    CoreLock& operator=(const CoreLock&) = delete;

private:
    engine::GameObject* m_root;
};

// Request 201162: the notification whose handler failed, and the one before.
void ReportFailure(GameConnection& connection, const GameNotifyHandler& handler, uint32_t id, const uint8_t* body,
    size_t length)
{
    GameConnection::NotifyStamp last;
    last.id = static_cast<int32_t>(handler.GetLastId());
    last.length = static_cast<int32_t>(handler.GetLastLength());
    last.tick = handler.GetLastTick();
    last.word = static_cast<int32_t>(handler.GetLastWord());
    connection.ReportNotifyError(id, body, static_cast<uint32_t>(length), last);
}

} // namespace

CGameFrameWnd::CGameFrameWnd(CGameFrameApp& app)
    : m_app(app)
{
}

CGameFrameWnd::~CGameFrameWnd()
{
    // Our own clean-up runs only while the object is whole.
    if (GetWindow().IsCreated())
        GetWindow().Destroy();
}

bool CGameFrameWnd::Create(std::string_view title, int width, int height, uint32_t style)
{
    // The frame draws its own caption and borders.
    if (!engine::COrbitVaneWnd::Create(title, width, height, style | platform::kWindowBorderless))
        return false;
    const platform::Rect work = platform::WorkAreaRect();
    if (work.Width() > 0 && work.Height() > 0)
        GetWindow().SetBounds(work);
    Start(kTimerHallWatch, kHallWatchMs);
    return true;
}

bool CGameFrameWnd::Start(uint32_t timerId, uint32_t intervalMs)
{
    if (timerId >= std::size(m_timers))
        return false;
    if (m_timers[timerId])
        KillTimer(timerId);
    m_timers[timerId] = SetTimer(timerId, intervalMs);
    return m_timers[timerId];
}

void CGameFrameWnd::Stop(uint32_t timerId)
{
    if (timerId < std::size(m_timers) && m_timers[timerId]) {
        KillTimer(timerId);
        m_timers[timerId] = false;
    }
}

void CGameFrameWnd::StartPulseTimer(int seconds)
{
    Start(kTimerPulse, static_cast<uint32_t>(seconds > 0 ? seconds : 1) * 1000);
}

void CGameFrameWnd::StartNoticeTimer(int seconds)
{
    if (seconds > 0)
        Start(kTimerNotice, static_cast<uint32_t>(seconds) * 1000);
}

void CGameFrameWnd::OnDestroy()
{
    for (uint32_t id : { kTimerHallWatch, kTimerNotice, kTimerDelayedClose, kTimerInitWait, kTimerPulse })
        Stop(id);
    engine::COrbitVaneWnd::OnDestroy();
    platform::MessageLoop::Quit(0);
}

// ---- timers ---------------------------------------------------------------------

void CGameFrameWnd::OnTimer(uint32_t timerId)
{
    switch (timerId) {
    case kTimerHallWatch:
        // The lobby gone, the client goes too.
        if (!m_app.IsStandAlone() && !m_app.IsHallAlive())
            platform::MessageLoop::Quit(0);
        break;
    case kTimerNotice:
        StartNotifyDownload();
        break;
    case kTimerDelayedClose:
        Stop(kTimerDelayedClose);
        if (m_app.IsTableActive())
            GetWindow().PostMessage(platform::kWmClose, 0, 0);
        break;
    case kTimerInitWait:
        Stop(kTimerInitWait);
        OnInitFailed("没有收到大厅的初始化数据，游戏程序初始化失败!");
        break;
    case kTimerPulse:
        if (GameConnection* connection = m_app.GetConnection())
            connection->SendPulse();
        break;
    default:
        engine::COrbitVaneWnd::OnTimer(timerId);
        break;
    }
}

// ---- messages -------------------------------------------------------------------

intptr_t CGameFrameWnd::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case net::WM_NETMSG:
        OnNetMessage(wParam, lParam);
        return 0;
    case WM_FRAME_INITDONE:
        OnInitDone();
        return 0;
    case frame::WM_FRAME_NOTIFYFILE:
        OnNotifyFile(wParam);
        return 0;
    case frame::WM_FRAME_URLOPENED:
        // The browser was started: its job comes back to be freed.
        frame::TakeBrowserOpenRequest(wParam);
        m_app.ShowWaitText("", false);
        return 0;
    case frame::WM_WEB_URLCOMMAND:
        // A page's "qheold:" or "qhenew:" link, refused as a navigation,
        // is opened now.
        if (const std::unique_ptr<frame::WebUrlCommand> command = frame::TakeUrlCommand(wParam))
            command->Open();
        return 0;
    case WM_FRAME_POSTEVENT:
        m_app.SendToSystemPane(80000057, static_cast<intptr_t>(wParam));
        return 0;
    default:
        return engine::COrbitVaneWnd::OnMessage(message, wParam, lParam);
    }
}

void CGameFrameWnd::OnInitDone()
{
    if (engine::RectObject* root = GetRootObject())
        root->OnRefresh();
    // The room is known now, and with it the page's address: the advert
    // page is opened once.
    if (auto* pane = dynamic_cast<engine::GameObject*>(m_app.GetSystemPane())) {
        if (auto* bar = dynamic_cast<frame::AdvertPageCalls*>(pane->FindObjectByName(frame::kAdvertBarObject)))
            bar->LoadPage();
    }
}

void CGameFrameWnd::OnNetMessage(uintptr_t wParam, intptr_t lParam)
{
    // This window frees both records, whatever happens to them.
    std::unique_ptr<net::MessageContext> context(reinterpret_cast<net::MessageContext*>(wParam));
    std::unique_ptr<net::NetMessage> message(reinterpret_cast<net::NetMessage*>(lParam));
    m_lastReceiveTick = platform::TickMs();
    if (!context || !message)
        return;
    GameConnection* connection = m_app.GetConnection();
    if (!connection || context->connectionId != connection->GetConnectionId())
        return; // from a link that has been replaced
    const uint32_t id = message->messageId;
    // The link's own notices; a server notification may carry the same ids.
    if (net::IsOwnNotice(*context, *message)) {
        OnConnectionLost();
        return;
    }
    GameNotifyHandler* handler = m_app.GetNotifyHandler();
    if (!handler)
        return;
    const uint8_t* body = message->body.get();
    const size_t length = message->bodyLength;
    try {
        CoreLock lock(GetRootObject());
        handler->Dispatch(id, body, length);
    } catch (const std::exception& error) {
        net::LogMessage("notification %u failed: %s", id, error.what());
        ReportFailure(*connection, *handler, id, body, length);
    } catch (...) {
        net::LogMessage("notification %u failed", id);
        ReportFailure(*connection, *handler, id, body, length);
    }
    handler->StampLast(id, body, length);
}

void CGameFrameWnd::OnConnectionLost()
{
    m_app.SetLostWhilePlaying(m_app.IsInGame());
    m_app.CloseConnection();
    std::string text = "与服务器连接断开。";
    if (m_app.IsInGame() && !m_app.IsLookOn()) {
        text = frame::FormatLine("断线了！请尽快重入房间续玩。\r\n\r\n您的位置【%s_%s】。",
            m_app.GetRoomName().c_str(), m_app.GetLocationName().c_str());
    }
    // What the player was told, for whoever reads the log after a lost game.
    net::LogMessage("the link to the game server is lost: %s", text.c_str());
    m_app.ShowNoticeBox(text, 30, 0x31, "vkf大哭");
}

void CGameFrameWnd::OnTableClosed(const uint8_t* data, size_t size)
{
    constexpr size_t kChairAt = 12;
    const int chair = size >= kChairAt + 4 ? frame::LoadLe32(data + kChairAt) : -1;
    m_app.ShowWaitTextTimed(m_app.GetChairDisplayName(chair) + "已经退出,游戏结束。", 3);
    Start(kTimerDelayedClose, kDelayedCloseMs);
}

// ---- the close sequence ---------------------------------------------------------------

void CGameFrameWnd::OnClose()
{
    if (!MayClose())
        return;
    m_app.NotifyHallClosing(GetWindow().Handle());
    m_app.StopCommThread();
    engine::COrbitVaneWnd::OnClose();
}

bool CGameFrameWnd::MayClose()
{
    GameConnection* connection = m_app.GetConnection();
    if (m_app.IsMatchMode()) {
        const int stage = m_app.GetMatchStateBlock().Stage();
        if (stage >= 500 && stage < 600 && !m_app.IsMatchQuitConfirmed()) {
            if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
                view->ShowQuitConfirmBoard();
            return false;
        }
    } else {
        frame::QuitFacts facts;
        facts.lookOn = m_app.IsLookOn();
        // A lost connection or a time-out counts as leave permission.
        if (!facts.lookOn)
            facts.gameRunning = connection && connection->RequestCanQuit();
        facts.inGame = m_app.IsInGame();
        const GameState* state = m_app.GetGameState();
        facts.exitTick = state ? state->GetExitRequestTick() : 0;
        facts.now = platform::TickMs();
        facts.mayRequestForcedQuit = m_app.CanRequestForcedQuit();
        facts.quitLocked = m_app.IsQuitLockedRoom();
        switch (frame::DecideQuit(facts)) {
        case frame::QuitStep::kLeave:
            break;
        case frame::QuitStep::kWaitForAnswers:
            m_app.AddSystemChatLine(frame::ExitWaitLine(frame::ExitWaitSecondsLeft(facts.exitTick, facts.now)));
            return false;
        case frame::QuitStep::kAskOthers:
            if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
                view->RequestForcedQuit();
            return false;
        case frame::QuitStep::kStayLocked:
            m_app.ShowMessageBox(frame::kQuitLockedText, nullptr, nullptr, 5, 0x31, "vkf打牌");
            return false;
        case frame::QuitStep::kConfirmLeave: {
            // Its OK reaches the main view, which leaves the seat and closes.
            const engine::RectObject* root = GetRootObject();
            const frame::BoxEvent ok { static_cast<uint32_t>(root ? root->GetId() : 0), kEventConfirmLeave, 0, 0 };
            m_app.ShowMessageBox(frame::kConfirmLeaveText, &ok, nullptr, 5, 0x35, "vkf疑问");
            return false;
        }
        }
    }
    std::string text;
    if (connection && connection->LeaveSeat(text, m_app.GetUserId(), m_app.GetChair())) {
        const frame::BoxEvent none {};
        m_app.ShowMessageBox(text, &none, &none, 5, 0, "");
        return false;
    }
    return true;
}

// ---- the lobby's records ----------------------------------------------------------------

void CGameFrameWnd::OnCopyData(const platform::CopyDataRecord& record)
{
    switch (record.id) {
    case frame::HALLDATA_INIT:
    case frame::HALLDATA_LOOKERJOINED:
    case frame::HALLDATA_LEAVETABLE:
    case frame::HALLDATA_SHOWPLAYER:
    case frame::HALLDATA_EXTRA: {
        const std::vector<uint8_t> plain = frame::HallDataCipher::Decipher({ record.bytes, record.size });
        OnHallRecord(record.id, plain.data(), plain.size());
        break;
    }
    default:
        break;
    }
    engine::COrbitVaneWnd::OnCopyData(record);
}

void CGameFrameWnd::OnHallRecord(uintptr_t type, const uint8_t* data, size_t size)
{
    switch (type) {
    case frame::HALLDATA_INIT:
        Stop(kTimerInitWait);
        if (m_app.IsMatchMode())
            OnHallInitMatch(data, size);
        else
            OnHallInitGame(data, size);
        break;
    case frame::HALLDATA_LOOKERJOINED:
        OnHallLookerJoined(data, size);
        break;
    case frame::HALLDATA_LEAVETABLE:
        OnHallLeaveTable(data, size);
        break;
    case frame::HALLDATA_SHOWPLAYER:
        OnHallShowPlayer(data, size);
        break;
    default:
        break; // deciphered and dropped
    }
}

void CGameFrameWnd::OnHallInitGame(const uint8_t* data, size_t size)
{
    if (m_app.InitGameFromHall(data, size)) {
        GetWindow().PostMessage(WM_FRAME_INITDONE, 0, 0);
        return;
    }
    OnInitFailed("游戏程序初始化失败!");
}

void CGameFrameWnd::OnInitFailed(const std::string& text)
{
    m_app.ShowWaitText(text, true);
    m_app.PauseAfterFailure(2000);
    GetWindow().PostMessage(platform::kWmClose, 0, 0);
}

void CGameFrameWnd::OnHallInitMatch(const uint8_t* data, size_t size)
{
    constexpr size_t kNoticePeriodAt = frame::RoomInfo::kNoticePeriod;
    if (size >= kNoticePeriodAt + 4)
        StartNoticeTimer(frame::LoadLe32(data + kNoticePeriodAt));
    if (m_app.InitMatchFromHall(data, size))
        GetWindow().PostMessage(WM_FRAME_INITDONE, 0, 0);
}

void CGameFrameWnd::OnHallLookerJoined(const uint8_t* data, size_t size)
{
    const auto record = frame::ReadHallLooker(data, size);
    if (!record)
        return;
    for (int slot = 0; slot < frame::kHallMaxLookers; ++slot) {
        frame::PlayerRecord* looker = m_app.GetLookOnPlayer(slot);
        if (looker && looker->UserId() == 0) {
            *looker = *record;
            frame::TableInfo& table = m_app.GetTableInfo();
            table.SetLookOnCount(table.LookOnCount() + 1);
            if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
                view->OnLookerEnter(*looker);
            return;
        }
    }
    // Every looker-on slot taken: the message is dropped.
}

void CGameFrameWnd::OnHallLeaveTable(const uint8_t* data, size_t size)
{
    const auto leave = frame::ReadHallLeaveTable(data, size);
    if (!leave || !m_app.IsTableActive() || leave->TableNo() != m_app.GetTableNo()
        || leave->LobbyWindow() != m_app.GetHallWindowHandle())
        return;
    // The server is told who left, as the lobby names the leaver.
    if (!m_app.IsLookOn()) {
        if (GameConnection* connection = m_app.GetConnection())
            connection->LeaveTable(leave->UserId(), leave->Chair());
    }
    OnTableClosed(data, size);
}

void CGameFrameWnd::OnHallShowPlayer(const uint8_t* data, size_t size)
{
    const auto record = frame::ReadHallShowPlayer(data, size);
    frame::GameFrameCalls* view = m_app.GetMainViewCalls();
    if (!record || !view)
        return;
    view->ShowPlayerDetailPanel(data, size);
    if (view->DetailPanelUserId() == record->UserId())
        return;
    const platform::Point cursor = GetWindow().ScreenToClient(platform::CursorScreenPos());
    view->PlacePlayerBoardSmall(record->UserId(), cursor.x, cursor.y);
}

// ---- the notice file ----------------------------------------------------------------------

void CGameFrameWnd::StartNotifyDownload()
{
    // A room without a notice host (a replay has none) has nothing to fetch.
    if (m_app.GetNotifyHost().empty())
        return;
    frame::StartNotifyDownload(frame::MakeNotifyRequest(GetWindow().Handle(), m_app.GetNotifyHost(),
        m_app.GetGameId(), m_app.GetTempDir(), m_app.GetRoomWord12()));
}

void CGameFrameWnd::OnNotifyFile(uintptr_t wParam)
{
    std::unique_ptr<frame::NotifyDownloadRequest> job(reinterpret_cast<frame::NotifyDownloadRequest*>(wParam));
    if (!job || !job->downloaded)
        return;
    std::string text;
    if (!platform::ReadFile(job->localFile, text))
        return;
    std::remove(platform::NativePath(job->localFile).c_str());
    m_app.SendToSystemPane(80000066, reinterpret_cast<intptr_t>(text.c_str()));
}
