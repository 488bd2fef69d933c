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
#include <span>
#include <string>
#include <string_view>

namespace engine {
class COrbitVaneWnd;
class EngineObject;
class RectObject;
} // namespace engine

namespace platform {
class DesktopRegistration;
}

namespace frame {
struct WebSession;
class HallSignRequests;
class GameFrameCalls;
class TableViewCalls;
struct BoxEvent;
} // namespace frame

class CGameFrameWnd;
class GameConnection;
class GameNotifyHandler;
class GameState;

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
    virtual GameNotifyHandler* GetNotifyHandler() { return nullptr; }
    virtual GameState* GetGameState() { return nullptr; }
    virtual void PlayGameSound(int /*soundId*/, int /*flags*/) { }
    virtual int IsSoundOn() const { return 0; }
    virtual int FilterChatText(const std::string& /*text*/) { return 0; }
    virtual void GetCurrentTableView() { }

    // ---- the main window and its views -------------------------------
    virtual bool CreateMainWindow();
    virtual std::unique_ptr<engine::RectObject> CreateMainView();
    // The main window object CreateMainWindow creates; a game's own window
    // derives from the frame window.
    virtual std::unique_ptr<CGameFrameWnd> NewMainWindow();
    engine::COrbitVaneWnd* GetMainWindow() const { return m_mainWindow.get(); }
    platform::WindowHandle GetMainWindowHandle() const;
    // The main window's root object, its "MainGame" child and its
    // "SubSystem" child; null while there is no main window.
    virtual engine::RectObject* GetMainView() const;
    virtual engine::EngineObject* GetTableView() const;
    virtual engine::EngineObject* GetSystemPane() const;
    // What the core asks of the main view and the table view; null when
    // the view is missing or does not answer to it.
    frame::GameFrameCalls* GetMainViewCalls() const;
    frame::TableViewCalls* GetTableViewCalls() const;
    // Engine event {0, code, param, 0} to the system pane, the table view,
    // or a named child of the system pane; nothing when it is missing.
    void SendToSystemPane(int code, intptr_t param = 0) const;
    void SendToTableView(int code, intptr_t param = 0) const;
    void SendToSystemPaneChild(const char* name, int code, intptr_t param = 0) const;

    // ---- boxes and chat lines of the main view -------------------------
    // A marked-up line in the chat view (nothing without a system pane).
    void AddSystemChatLine(const std::string& text) const;
    void ShowMessageBox(const std::string& text, const frame::BoxEvent* ok, const frame::BoxEvent* cancel,
        int seconds, uint32_t flags, const std::string& head) const;
    void ShowNoticeBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) const;
    void ShowResultBox(const std::string& text, const std::string& link, bool signedLink, int seconds,
        uint32_t flags, const std::string& head, const std::string& okPicture,
        const std::string& cancelPicture) const;

    // ---- enter and match replies (the body as received) ---------------
    virtual void OnEnterReply210200(const uint8_t* data, size_t size);
    virtual void OnEnterReply210210(const uint8_t* data, size_t size);
    virtual void OnEnterReply210220(const uint8_t* data, size_t size);
    virtual void OnMatchReply210500(const uint8_t* data, size_t size);
    virtual void OnMatchReply210521(const uint8_t* data, size_t size);
    virtual void OnMatchReply210531(const uint8_t* data, size_t size);
    virtual void OnMatchReply210534(const uint8_t* data, size_t size);
    virtual void OnMatchReply210540(const uint8_t* data, size_t size);
    virtual void OnMatchReply210533(const uint8_t* data, size_t size);
    virtual void OnMatchReply210536(const uint8_t* data, size_t size);
    virtual void OnMatchReply210537(const uint8_t* data, size_t size);
    virtual void OnMatchReply210538(const uint8_t* data, size_t size);
    virtual void OnMatchReply210539(const uint8_t* data, size_t size);
    virtual void OnMatchReply210530(const std::string& text);
    // Silver limits of replies 210541 / 210542 ({8 carried, 12 limit}).
    virtual void PromptCarryMinSilver(const uint8_t* data, size_t size);
    virtual void PromptCarryMaxSilver(const uint8_t* data, size_t size);
    // Low-income allowance replies.
    virtual void OnAllowanceConfigReply(bool ok, const std::string& text, int value, const uint8_t* config);
    virtual void OnAllowanceReply(bool ok, const std::string& text, int value, int kind, int amount);
    // Buffers the derived layers own for the enter replies' data; null
    // (nothing is kept) in the frame alone.
    virtual std::span<uint8_t> GetEnterDataBuffer() { return {}; }
    virtual std::span<uint8_t> GetLookOnDataBuffer() { return {}; }
    // The extra word of the enter record.
    virtual int GetEnterExtra() const { return 0; }

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
    // the default is the wait dialog over the skin).
    void SetWaitDisplayFactory(WaitDisplayFactory factory) { m_waitDisplayFactory = std::move(factory); }
    // The user-interface thread's pauses after a failure (a test makes them
    // short).
    void SetFailurePauseScale(double scale) { m_pauseScale = scale; }
    // Sleeps the user-interface thread after a failure text.
    void PauseAfterFailure(int ms) const;

    // ---- the lobby and relaunching -----------------------------------
    virtual void StartHall();
    virtual void RelaunchWithHallArgs();
    virtual void RelaunchSelf(const std::string& argument);
    void SetRestartPending(bool pending) { m_restartPending = pending; }
    bool IsRestartPending() const { return m_restartPending; }
    // The close notice to the lobby (type 5 after a drop during a game,
    // else 2); window is the sender's handle (0 before the main window).
    // Sent once for the client: every later call is ignored.
    virtual void NotifyHallClosing(platform::WindowHandle window);
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

    // ---- the record store's hooks, answered through the views ---------
    void RefreshAdvertBar() override;
    void RefreshUserList() override;
    void RefreshUserListAll() override;
    void ShowSelectedPlayerDetail() override;
    void OnSilverNotice(const uint8_t* data, size_t size) override;
    void OnServerText(const uint8_t* data, size_t size) override;
    void OnMatchRankingSorted() override;
    int GetDetailPanelUserId() const override;

    // The lost-while-playing flag (the close notice's type).
    bool IsLostWhilePlaying() const { return m_lostWhilePlaying; }
    void SetLostWhilePlaying(bool lost) { m_lostWhilePlaying = lost; }

    // ---- what the notification handler needs --------------------------
    // The game state's exit-request count; 0 without a game state.
    int GetExitRequestCount() const override;
    // The frame window's table-active flag: set from the start, cleared
    // when the server aborts the game; a table that is no longer active
    // ignores the lobby's leave message and is not closed by the window.
    bool IsTableActive() const { return m_tableActive; }
    void SetTableActive(bool active) { m_tableActive = active; }
    // The last advertisement text of the server (at most 255 bytes, cut on
    // a character boundary).
    const std::string& GetAdvertText() const { return m_advertText; }
    void SetAdvertText(std::string_view text);

    // ---- the lobby exchange ------------------------------------------------
    platform::WindowHandle GetHallWindowHandle() const { return static_cast<platform::WindowHandle>(GetHallWindow()); }
    // The lobby window of the argument still exists.
    virtual bool IsHallAlive() const;
    // Posts to the lobby window of the argument; false when it is gone.
    virtual bool PostToHall(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Posts to the window of class "DozeDovaFrame"; false when none exists.
    virtual bool PostToHallFrame(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // A web address for the lobby to open; 0 when the lobby is gone.
    virtual int SendTextToHall(const std::string& text, int value);
    // The lobby's sign for signed addresses; empty when the lobby is gone
    // or does not answer within 6000 ms.
    virtual std::string FetchHallSign();
    // The lobby's init data (deciphered); false when the own user is not
    // at the launched chair in the launched looking-on state.
    virtual bool InitGameFromHall(const uint8_t* data, size_t size);
    virtual bool InitMatchFromHall(const uint8_t* data, size_t size);
    // A sign answer (type 14, enciphered) as the lobby sent it.
    bool OnHallSignAnswer(const uint8_t* data, size_t size);
    // The player confirmed leaving a running match on the quit board: the
    // next close goes through.
    bool IsMatchQuitConfirmed() const { return m_matchQuitConfirmed; }
    void SetMatchQuitConfirmed(bool confirmed) { m_matchQuitConfirmed = confirmed; }
    // ---- web page addresses ------------------------------------------------
    // What the address code needs of the application.
    frame::WebSession GetWebSession();
    // The address with "uid=..&sign=.." when sign is set (unsigned in a
    // replay), cut to 1023 bytes.
    virtual std::string BuildSignedUrl(const std::string& address, bool sign);
    // Opens a web address in the browser on a short thread of its own.
    bool OpenUrlInBrowser(const std::string& address, bool sign);
    std::string GetAdvertPageUrl() const;
    std::string GetPayPageUrl() const;

    // Entering the table once the lobby's init data was accepted.
    virtual int EnterRoom();
    virtual int EnterGameRoom();
    virtual int EnterMatchRoom();

protected:
    bool InitInstance() override;
    int ExitInstance() override;

    void Fail(StartFailure failure) { m_startFailure = failure; }

private:
    void ReadCommColors();
    void PromptSafeBoxTransfer(const std::string& refusal, const std::string& refusalHead,
        const std::string& question, int limit);

    std::unique_ptr<frame::FramePaths> m_paths;
    std::string m_skinIniPath;
    uint32_t m_colors[7] = {};
    bool m_narrowScreen = false;
    bool m_inGame = false;
    bool m_restartPending = false;
    bool m_hallToldClosing = false;
    bool m_lostWhilePlaying = false;
    bool m_tableActive = true;
    std::string m_advertText;
    int m_newerMajor = 0;
    int m_newerMinor = 0;
    StartFailure m_startFailure = StartFailure::kNone;
    double m_pauseScale = 1.0;
    WaitDisplayFactory m_waitDisplayFactory;
    std::unique_ptr<CGameCommThread> m_commThread;
    std::unique_ptr<engine::COrbitVaneWnd> m_mainWindow;
    // Sign requests outlive their wait: the lobby may answer late.
    std::unique_ptr<frame::HallSignRequests> m_signRequests;
    // Where the lobby sends its sign answers.
    std::unique_ptr<platform::DesktopRegistration> m_signWindow;
    // The main window on the desktop channel, for the lobby's records.
    std::unique_ptr<platform::DesktopRegistration> m_mainRegistration;
    bool m_matchQuitConfirmed = false;
};
