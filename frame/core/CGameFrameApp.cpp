#include "frame/core/CGameFrameApp.h"

#include "engine/core/EngineEvent.h"
#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/FormatLine.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameState.h"
#include "frame/core/HallRecords.h"
#include "frame/core/WaitDialog.h"
#include "frame/core/WireReader.h"
#include "net/DailyLog.h"
#include "platform/DesktopChannel.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/Screen.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

CGameFrameApp* g_current = nullptr;

// The [CommColors] keys of the skin and their defaults, in accessor order.
struct ColorKey {
    const char* key;
    uint32_t fallback;
};
constexpr ColorKey kCommColors[7] = {
    { "AdvHeader", 0x355808 },
    { "AdvText", 0 },
    { "AdvBk", 0xE5F1E1 },
    { "AdvGrid", 0xD9E6D8 },
    { "PlayerViewHeader", 0 },
    { "PlayerViewText", 0 },
    { "TitleText", 0 },
};

} // namespace

CGameFrameApp::CGameFrameApp(std::string gameName, int defaultPort, int versionMajor, int versionMinor)
    : FrameRecordStore(std::move(gameName), defaultPort, versionMajor, versionMinor)
{
    g_current = this;
    m_narrowScreen = platform::PrimaryScreenSize().width < 801;
    m_paths = std::make_unique<frame::FramePaths>(GetGameName(), platform::ExecutableDir(), platform::SystemDirectory());
    SetMatchMode(platform::IniFile(m_paths->GetGameIniPath()).GetInt("Test", "IsMatch", 0) != 0);
    m_skinIniPath = m_paths->GetSkinIniPath();
    ReadCommColors();
}

CGameFrameApp::~CGameFrameApp()
{
    if (m_restartPending)
        RelaunchWithHallArgs();
    m_mainRegistration.reset();
    m_signWindow.reset();
    m_mainWindow.reset();
    StopCommThread();
    if (g_current == this)
        g_current = nullptr;
}

CGameFrameApp* CGameFrameApp::Current()
{
    return g_current;
}

void CGameFrameApp::ReadCommColors()
{
    const platform::IniFile skin(m_skinIniPath);
    for (size_t i = 0; i < std::size(kCommColors); ++i) {
        const std::string text = m_skinIniPath.empty() ? std::string() : skin.GetString("CommColors", kCommColors[i].key, "");
        m_colors[i] = frame::ParseRgbColor(text, kCommColors[i].fallback);
    }
}

// ---- start-up ---------------------------------------------------------------

bool CGameFrameApp::InitInstance()
{
    net::LogInit("Game", 0xA001D);
    if (!IsStandAlone() && !ParseHallArgs(CommandLine())) {
        Fail(StartFailure::kNotFromLobby);
        const int answer = platform::MessageBox(nullptr, "该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(dedur2.0)",
            GetGameName(), platform::kMbYesNo | platform::kMbIconInformation);
        if (answer == platform::kIdYes)
            StartHall();
        return false;
    }
    if (!StartCommThread()) {
        Fail(StartFailure::kCommThread);
        return false;
    }
    return ConnectServer() != 0;
}

int CGameFrameApp::ExitInstance()
{
    net::LogShutdown();
    StopCommThread();
    return platform::Application::ExitInstance();
}

int CGameFrameApp::ConnectServer()
{
    if (IsStandAlone())
        return 1;
    GameConnection* connection = GetConnection();
    if (!connection) {
        Fail(StartFailure::kServer);
        return 0;
    }
    ShowWaitText("正在连接游戏服务器......", true);
    connection->LoadProxySettings(GetHallIniPath());
    connection->SetCipherKey();
    connection->SetNotifyThread(m_commThread ? m_commThread->ThreadId() : 0);
    connection->SetProgramVersion(GetVersionMajor(), GetVersionMinor());

    bool proxyFailed = false;
    if (!connection->Connect("", GetServerHost(), GetServerPort(), proxyFailed)) {
        std::string text;
        if (proxyFailed) {
            text = frame::FormatLine("无法连接代理服务器【%s】，请检查设置是否正确。",
                connection->GetProxyHost().c_str());
            Fail(StartFailure::kProxy);
        } else {
            text = "无法连接游戏服务器，请稍后再试。";
            Fail(StartFailure::kServer);
        }
        ShowWaitText(text, true);
        PauseAfterFailure(2000);
        NotifyHallClosing(0);
        return 0;
    }

    std::string text;
    if (!connection->CheckVersion(text, m_newerMajor, m_newerMinor)) {
        Fail(StartFailure::kVersion);
        ShowWaitText(text, true);
        PauseAfterFailure(3000);
        NotifyHallClosing(0);
        return 0;
    }
    ShowWaitText("", false);
    return 1;
}

void CGameFrameApp::CloseConnection()
{
    if (GameConnection* connection = GetConnection())
        connection->Close();
}

void CGameFrameApp::LeaveTableAndClose()
{
    if (GameConnection* connection = GetConnection())
        connection->LeaveTable(GetUserId(), GetChair());
    CloseConnection();
}

void CGameFrameApp::PauseAfterFailure(int ms) const
{
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(ms * m_pauseScale)));
}

// ---- the main window ----------------------------------------------------------

std::unique_ptr<CGameFrameWnd> CGameFrameApp::NewMainWindow()
{
    return std::make_unique<CGameFrameWnd>(*this);
}

bool CGameFrameApp::CreateMainWindow()
{
    std::unique_ptr<CGameFrameWnd> window = NewMainWindow();
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    const int width = screen.width;
    const int height = screen.height - 2 * platform::kCaptionHeight;
    if (!window || !window->Create(GetTitleText(), width, height) || !window->Init(CreateMainView())) {
        Fail(StartFailure::kMainWindow);
        return false;
    }
    window->GetWindow().Show(platform::ShowCommand::kShow);
    // Started from the lobby, the table comes up in front of it.
    window->GetWindow().BringToFront();
    m_mainWindow = std::move(window);
    // The lobby sends its records to this window.
    m_mainRegistration = std::make_unique<platform::DesktopRegistration>(platform::DesktopChannel::Desktop(),
        "KbZnFrame", m_mainWindow->GetWindow().Handle());
    AnnounceMainWindow(m_mainWindow->GetWindow().Handle());
    return true;
}

namespace {

// The main view until the frame's panels provide one: refreshed once the
// lobby's init data was accepted, it enters the table.
class FrameRootView : public engine::RectObject {
public:
    explicit FrameRootView(CGameFrameApp& app)
        : m_app(app)
    {
        SetName("GameFrame");
    }
    void OnRefresh() override { m_app.EnterRoom(); }

private:
    CGameFrameApp& m_app;
};

} // namespace

std::unique_ptr<engine::RectObject> CGameFrameApp::CreateMainView()
{
    return std::make_unique<FrameRootView>(*this);
}

// ---- the communication thread -------------------------------------------------

bool CGameFrameApp::StartCommThread()
{
    if (m_commThread)
        return true;
    // The wait dialog over the skin unless another display was asked for.
    auto thread = std::make_unique<CGameCommThread>(
        m_waitDisplayFactory ? m_waitDisplayFactory : MakeWaitDialogFactory(m_skinIniPath));
    if (!thread->Start()) {
        platform::MessageBox(nullptr, "通讯线程创建失败。", GetGameName(), platform::kMbOk | platform::kMbIconHand);
        return false;
    }
    m_commThread = std::move(thread);
    return true;
}

void CGameFrameApp::StopCommThread()
{
    if (!m_commThread)
        return;
    m_commThread->Stop();
    m_commThread.reset();
}

void CGameFrameApp::ShowWaitText(const std::string& text, bool show)
{
    if (!m_commThread)
        return;
    if (show)
        m_commThread->PostWaitText(text, 0);
    else
        m_commThread->PostHideWaitText();
}

void CGameFrameApp::ShowWaitTextTimed(const std::string& text, int seconds)
{
    if (m_commThread)
        m_commThread->PostWaitText(text, seconds);
}

// ---- the lobby and relaunching --------------------------------------------------

void CGameFrameApp::StartHall()
{
    const std::string hall = m_paths->GetHallExePath();
    if (hall.empty() || !platform::SpawnProgram(hall, std::nullopt)) {
        const std::string text = hall.empty() ? "找不到游戏大厅：runo.ini 中没有 [SYSTEM] ExePath。"
                                              : "无法启动游戏大厅：" + hall;
        platform::MessageBox(nullptr, text, GetGameName(), platform::kMbOk | platform::kMbIconHand);
    }
}

void CGameFrameApp::RelaunchWithHallArgs()
{
    platform::SpawnProgram(platform::ExecutablePath(), BuildRelaunchLine());
}

void CGameFrameApp::RelaunchSelf(const std::string& argument)
{
    BuildRelaunchLine(); // marks the stored argument as a relaunch
    platform::SpawnProgram(platform::ExecutablePath(), argument.substr(0, 1024));
}

// ---- the views ------------------------------------------------------------------

platform::WindowHandle CGameFrameApp::GetMainWindowHandle() const
{
    return m_mainWindow ? m_mainWindow->GetWindow().Handle() : 0;
}

engine::RectObject* CGameFrameApp::GetMainView() const
{
    return m_mainWindow ? m_mainWindow->GetRootObject() : nullptr;
}

engine::EngineObject* CGameFrameApp::GetTableView() const
{
    engine::RectObject* root = GetMainView();
    return root ? root->FindObjectByName("MainGame") : nullptr;
}

engine::EngineObject* CGameFrameApp::GetSystemPane() const
{
    engine::RectObject* root = GetMainView();
    return root ? root->FindObjectByName("SubSystem") : nullptr;
}

frame::GameFrameCalls* CGameFrameApp::GetMainViewCalls() const
{
    return dynamic_cast<frame::GameFrameCalls*>(GetMainView());
}

frame::TableViewCalls* CGameFrameApp::GetTableViewCalls() const
{
    return dynamic_cast<frame::TableViewCalls*>(GetTableView());
}

namespace {

void SendEvent(engine::EngineObject* object, int code, intptr_t param)
{
    if (object)
        object->OnEvent(engine::EngineEvent(0, code, static_cast<engine::MessageWord>(param), 0));
}

} // namespace

void CGameFrameApp::SendToSystemPane(int code, intptr_t param) const
{
    SendEvent(GetSystemPane(), code, param);
}

void CGameFrameApp::SendToTableView(int code, intptr_t param) const
{
    SendEvent(GetTableView(), code, param);
}

void CGameFrameApp::SendToSystemPaneChild(const char* name, int code, intptr_t param) const
{
    auto* pane = dynamic_cast<engine::GameObject*>(GetSystemPane());
    SendEvent(pane ? pane->FindObjectByName(name) : nullptr, code, param);
}

void CGameFrameApp::AddSystemChatLine(const std::string& text) const
{
    SendToSystemPane(80000057, reinterpret_cast<intptr_t>(text.c_str()));
}

void CGameFrameApp::ShowMessageBox(const std::string& text, const frame::BoxEvent* ok,
    const frame::BoxEvent* cancel, int seconds, uint32_t flags, const std::string& head) const
{
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->ShowMessageBox(text, ok, cancel, seconds, flags, head);
}

void CGameFrameApp::ShowNoticeBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) const
{
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->ShowConfirmBox(text, seconds, flags, head);
}

void CGameFrameApp::ShowResultBox(const std::string& text, const std::string& link, bool signedLink, int seconds,
    uint32_t flags, const std::string& head, const std::string& okPicture, const std::string& cancelPicture) const
{
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->ShowConfirmBoxEx(text, link, signedLink, seconds, flags, head, okPicture, cancelPicture);
}

// ---- the record store's hooks ---------------------------------------------------

void CGameFrameApp::RefreshAdvertBar()
{
    SendToSystemPaneChild("AdvertBar", 80000054);
}

void CGameFrameApp::RefreshUserList()
{
    SendToSystemPaneChild("UserListBar", 80000055);
}

void CGameFrameApp::RefreshUserListAll()
{
    SendToSystemPaneChild("UserListBar", 80000056);
}

void CGameFrameApp::ShowSelectedPlayerDetail()
{
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->ShowSelectedPlayerDetail();
}

void CGameFrameApp::OnSilverNotice(const uint8_t* data, size_t size)
{
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->OnSilverNotice(data, size);
}

void CGameFrameApp::OnServerText(const uint8_t* data, size_t size)
{
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->OnServerText(data, size);
}

void CGameFrameApp::OnMatchRankingSorted()
{
    SendToSystemPane(80000022);
    SendToTableView(80000022);
}

int CGameFrameApp::GetDetailPanelUserId() const
{
    frame::GameFrameCalls* view = GetMainViewCalls();
    return view ? view->DetailPanelUserId() : 0;
}

// ---- enter and match replies ------------------------------------------------------

namespace {

// The enter replies treat an unknown chair (-1) as chair 0.
void DefaultChair(frame::FrameRecordStore& store)
{
    if (store.GetChair() == -1)
        store.SetOwnChair(0);
}

} // namespace

void CGameFrameApp::OnEnterReply210200(const uint8_t* data, size_t size)
{
    DefaultChair(*this);
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->OnEnterGameReply(data, size);
}

void CGameFrameApp::OnEnterReply210210(const uint8_t* data, size_t size)
{
    DefaultChair(*this);
    BeginGame();
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->OnEnterLookOnReply(data, size);
}

void CGameFrameApp::OnEnterReply210220(const uint8_t* data, size_t size)
{
    DefaultChair(*this);
    BeginGame();
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->OnEnterReplyAlt(data, size);
}

void CGameFrameApp::OnMatchReply210500(const uint8_t* data, size_t size)
{
    DefaultChair(*this);
    // {0 the first 260 bytes of match seat 0, 260 MatchStateBlock (68),
    // 296 rank points needed for the next level}
    constexpr size_t kSeatPart = 260;
    constexpr size_t kNextLevelAt = 296;
    frame::MatchSeatRecord* seat = GetMatchSeat(0);
    if (seat && data && size >= kSeatPart + frame::MatchStateBlock::kSize) {
        std::copy(data, data + kSeatPart, seat->MutableBytes().begin());
        GetMatchStateBlock().Load(data + kSeatPart, frame::MatchStateBlock::kSize);
        if (size >= kNextLevelAt + 4)
            seat->SetNextLevelPoints(frame::LoadLe32(data + kNextLevelAt));
        if (frame::PlayerRecord* player = GetSeatPlayer(0)) {
            player->Clear();
            MatchSeatToPlayer(*player, *seat, 0, GetTableNo());
        }
    }
    if (frame::GameFrameCalls* view = GetMainViewCalls())
        view->OnMatchEnterReply(data, size);
}

#define FORWARD_MATCH_REPLY(id, call)                                         \
    void CGameFrameApp::OnMatchReply##id(const uint8_t* data, size_t size)    \
    {                                                                         \
        if (frame::GameFrameCalls* view = GetMainViewCalls())                 \
            view->call(data, size);                                           \
    }
FORWARD_MATCH_REPLY(210521, ShowNotSignedUp)
FORWARD_MATCH_REPLY(210531, ShowWashout)
FORWARD_MATCH_REPLY(210534, ShowMatchEnded)
FORWARD_MATCH_REPLY(210540, ShowMatchLate)
FORWARD_MATCH_REPLY(210533, ShowMatchStarted)
FORWARD_MATCH_REPLY(210536, ShowMatchSystemCancel)
FORWARD_MATCH_REPLY(210537, ShowMatchSelfCancel)
FORWARD_MATCH_REPLY(210538, ShowWaitSignUpCheck)
FORWARD_MATCH_REPLY(210539, ShowMatchRejected)
#undef FORWARD_MATCH_REPLY

void CGameFrameApp::OnMatchReply210530(const std::string& text)
{
    ShowWaitText(text, true);
    PauseAfterFailure(5000);
    ShowWaitText("", false);
    if (m_mainWindow)
        m_mainWindow->GetWindow().PostMessage(platform::kWmClose, 0, 0);
}

// ---- silver limits and allowances ---------------------------------------------------

namespace {

std::string Format(const char* format, int a, int b, int c)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

} // namespace

void CGameFrameApp::PromptCarryMinSilver(const uint8_t* data, size_t size)
{
    const frame::WireReader body(data, size);
    const int carried = body.Int(8);
    const int limit = body.Int(12);
    PromptSafeBoxTransfer("对不起，您的银子不够啦！", "vkf没钱",
        Format("本房间最少需携带银子%d两\r\n您只携带了%d两\r\n仍少了%d两,是否从保险箱划银？", limit, carried,
            frame::WrapAdd(limit, -carried)),
        limit);
}

void CGameFrameApp::PromptCarryMaxSilver(const uint8_t* data, size_t size)
{
    const frame::WireReader body(data, size);
    const int carried = body.Int(8);
    const int limit = body.Int(12);
    PromptSafeBoxTransfer("客官，您的银子也太多了，快去存起来吧！", "vkf财神",
        Format("本房间最多可携带银子%d两\r\n您携带了%d两\r\n仍超了%d两,是否将银子存入保险箱？", limit, carried,
            frame::WrapAdd(carried, -limit)),
        limit);
}

void CGameFrameApp::PromptSafeBoxTransfer(const std::string& refusal, const std::string& refusalHead,
    const std::string& question, int limit)
{
    if (!IsSafeBoxTransferAllowed()) {
        ShowNoticeBox(refusal, 10, 0x30, refusalHead);
        return;
    }
    auto* pane = dynamic_cast<engine::GameObject*>(GetSystemPane());
    engine::EngineObject* input = pane ? pane->FindObjectByName("InputBar") : nullptr;
    if (!input)
        return;
    // OK asks the input bar to move the limit between safe box and game.
    const frame::BoxEvent ok { static_cast<uint32_t>(input->GetId()), 80000076, limit, 0 };
    ShowMessageBox(question, &ok, nullptr, 10, 0x35, "vkf财神");
}

namespace {

// The server's text whole: a fixed buffer would cut it, maybe inside a
// character.
std::string ChatLine(const std::string& text)
{
    return frame::FormatLine(" <z=qh系统通知> <c=255>%s\r\n", text.c_str());
}

} // namespace

void CGameFrameApp::OnAllowanceConfigReply(bool ok, const std::string& text, int, const uint8_t*)
{
    if (!ok)
        AddSystemChatLine(ChatLine(text.empty() ? "获取低保活动配置失败!" : text));
}

void CGameFrameApp::OnAllowanceReply(bool ok, const std::string& text, int, int, int amount)
{
    if (ok) {
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, "已赠送银子%d两到%s中!", amount, "游戏");
        ShowMessageBox(buffer, nullptr, nullptr, 10, 0x34, "vkf财神");
        return;
    }
    AddSystemChatLine(ChatLine(text.empty() ? "领取银子失败!" : text));
}

// ---- what the notification handler needs ------------------------------------------

int CGameFrameApp::GetExitRequestCount() const
{
    // The hook is not const for the layers that implement it; asking for
    // the state changes nothing.
    const GameState* state = const_cast<CGameFrameApp*>(this)->GetGameState();
    return state ? state->GetExitRequestCount() : 0;
}

void CGameFrameApp::SetAdvertText(std::string_view text)
{
    constexpr size_t kAdvertTextMax = 255;
    m_advertText = frame::GbkCut(text, kAdvertTextMax);
}
