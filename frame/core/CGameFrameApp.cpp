#include "frame/core/CGameFrameApp.h"

#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameWnd.h"
#include "frame/core/GameConnection.h"
#include "net/DailyLog.h"
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
            char buffer[256];
            std::snprintf(buffer, sizeof buffer, "无法连接代理服务器【%s】，请检查设置是否正确。",
                connection->GetProxyHost().c_str());
            text = buffer;
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
    // The leave request comes with the frame's requests; the link closes.
    CloseConnection();
}

void CGameFrameApp::PauseAfterFailure(int ms) const
{
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(ms * m_pauseScale)));
}

// ---- the main window ----------------------------------------------------------

bool CGameFrameApp::CreateMainWindow()
{
    auto window = std::make_unique<CGameFrameWnd>();
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    const int width = screen.width;
    const int height = screen.height - 2 * platform::kCaptionHeight;
    if (!window->Create(GetTitleText(), width, height) || !window->Init(CreateMainView())) {
        Fail(StartFailure::kMainWindow);
        return false;
    }
    window->GetWindow().Show(platform::ShowCommand::kShow);
    m_mainWindow = std::move(window);
    AnnounceMainWindow(m_mainWindow->GetWindow().Handle());
    return true;
}

std::unique_ptr<engine::RectObject> CGameFrameApp::CreateMainView()
{
    auto root = std::make_unique<engine::RectObject>();
    root->SetName("GameFrame");
    return root;
}

void CGameFrameApp::AnnounceMainWindow(platform::WindowHandle window)
{
    if (m_commThread)
        m_commThread->PostTarget(window);
}

void CGameFrameApp::NotifyHallClosing(int)
{
    // The lobby hears of it through the lobby exchange.
}

// ---- the communication thread -------------------------------------------------

bool CGameFrameApp::StartCommThread()
{
    if (m_commThread)
        return true;
    auto thread = std::make_unique<CGameCommThread>(m_waitDisplayFactory);
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
