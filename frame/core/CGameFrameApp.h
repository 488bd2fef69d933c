#pragma once
// The application of the game frame: starts the client from the lobby's
// argument, opens the game-server connection, creates the main window and
// holds every record the lobby and the server deliver (FrameRecordStore).
// The card layer and the game derive from it; exactly one instance runs in
// a process, and every other part reaches it through Current().
//
// User-interface thread only. Requests to the server block that thread;
// texts for the wait display go to the communication thread by post.

#include "frame/core/CGameCommThread.h"
#include "frame/core/FrameConfig.h"
#include "frame/core/FrameRecordStore.h"
#include "platform/Application.h"

#include <cstdint>
#include <memory>
#include <string>

namespace engine {
class COrbitVaneWnd;
class RectObject;
} // namespace engine

class GameConnection;

// Why a start ended before the table.
enum class StartFailure {
    kNone,
    kNotFromLobby,   // no lobby argument
    kCommThread,     // the communication thread could not start
    kProxy,          // the proxy could not be reached
    kServer,         // the server could not be reached, or the hello failed
    kVersion,        // the version check refused
    kMainWindow,     // the main window could not be made
};

class CGameFrameApp : public platform::Application, public frame::FrameRecordStore {
public:
    CGameFrameApp(std::string gameName, int defaultPort, int versionMajor, int versionMinor);
    ~CGameFrameApp() override;

    // The running application, null when none exists.
    static CGameFrameApp* Current();

    // ---- state --------------------------------------------------------
    virtual bool IsInGame() const { return m_inGame; }
    virtual void BeginGame() { m_inGame = true; }
    virtual void EndGame() { m_inGame = false; }
    bool IsNarrowScreen() const { return m_narrowScreen; }
    StartFailure GetStartFailure() const { return m_startFailure; }

    // ---- hooks of the derived layers ------------------------------------
    virtual GameConnection* GetConnection() { return nullptr; }
    virtual void* GetNotifyHandler() { return nullptr; }
    virtual void* GetGameState() { return nullptr; }
    virtual void PlayGameSound(int /*soundId*/, int /*flags*/) { }
    virtual int IsSoundOn() const { return 0; }
    virtual int FilterChatText(const std::string& /*text*/) { return 0; }
    virtual void GetCurrentTableView() { }

    // ---- the main window ---------------------------------------------
    virtual bool CreateMainWindow();
    virtual std::unique_ptr<engine::RectObject> CreateMainView();
    engine::COrbitVaneWnd* GetMainWindow() const { return m_mainWindow.get(); }

    // ---- start-up and connection -------------------------------------
    virtual int ConnectServer();
    virtual void CloseConnection();
    virtual void LeaveTableAndClose();

    // ---- the communication thread and the wait display ---------------
    bool StartCommThread();
    void StopCommThread();
    CGameCommThread* GetCommThread() const { return m_commThread.get(); }
    // show false hides the text. Nothing without a communication thread.
    void ShowWaitText(const std::string& text, bool show);
    void ShowWaitTextTimed(const std::string& text, int seconds);
    // Where the communication thread shows its texts (set before start-up;
    // the default writes them to the standard error stream).
    void SetWaitDisplayFactory(WaitDisplayFactory factory) { m_waitDisplayFactory = std::move(factory); }
    // The user-interface thread's pauses after a failure (a test makes them
    // short).
    void SetFailurePauseScale(double scale) { m_pauseScale = scale; }

    // ---- the lobby and relaunching -----------------------------------
    virtual void StartHall();
    virtual void RelaunchWithHallArgs();
    virtual void RelaunchSelf(const std::string& argument);
    void SetRestartPending(bool pending) { m_restartPending = pending; }
    bool IsRestartPending() const { return m_restartPending; }
    // Tells the lobby that the client closes (the lobby exchange fills it in).
    virtual void NotifyHallClosing(int reason);
    // Tells the communication thread and the lobby which window is the
    // main window.
    virtual void AnnounceMainWindow(platform::WindowHandle window);
    int GetNewerServerMajor() const { return m_newerMajor; }
    int GetNewerServerMinor() const { return m_newerMinor; }

    // ---- configuration -------------------------------------------------
    const frame::FramePaths& Paths() const { return *m_paths; }
    std::string GetExeDir() const { return m_paths->GetExeDir(); }
    std::string GetTempDir() const { return m_paths->GetTempDir(); }
    std::string GetGameIniPath() const { return m_paths->GetGameIniPath(); }
    std::string GetSkinIniPath() const { return m_skinIniPath; }
    std::string GetHallIniPath() const { return m_paths->GetHallIniPath(); }
    std::string GetUserDataPath() const { return m_paths->GetUserDataPath(GetUserId()); }
    virtual std::string GetPortraitDir() const { return m_paths->GetPortraitDir(); }
    virtual std::string GetCharacterDir(int figure) const { return m_paths->GetCharacterDir(figure); }

    uint32_t GetColorAdvHeader() const { return m_colors[0]; }
    uint32_t GetColorAdvText() const { return m_colors[1]; }
    uint32_t GetColorAdvBk() const { return m_colors[2]; }
    uint32_t GetColorAdvGrid() const { return m_colors[3]; }
    uint32_t GetColorPlayerViewHeader() const { return m_colors[4]; }
    uint32_t GetColorPlayerViewText() const { return m_colors[5]; }
    uint32_t GetColorTitleText() const { return m_colors[6]; }

protected:
    bool InitInstance() override;
    int ExitInstance() override;

    // Sleeps the user-interface thread after a failure text (scaled in tests).
    void PauseAfterFailure(int ms) const;
    void Fail(StartFailure failure) { m_startFailure = failure; }

private:
    void ReadCommColors();

    std::unique_ptr<frame::FramePaths> m_paths;
    std::string m_skinIniPath;
    uint32_t m_colors[7] = {};
    bool m_narrowScreen = false;
    bool m_inGame = false;
    bool m_restartPending = false;
    bool m_lostWhilePlaying = false;
    int m_newerMajor = 0;
    int m_newerMinor = 0;
    StartFailure m_startFailure = StartFailure::kNone;
    double m_pauseScale = 1.0;
    WaitDisplayFactory m_waitDisplayFactory;
    std::unique_ptr<CGameCommThread> m_commThread;
    std::unique_ptr<engine::COrbitVaneWnd> m_mainWindow;
};
