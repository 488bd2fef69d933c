#pragma once
// The main game view: the host window's root object. It owns the side
// divider and two children, the table view ("MainGame") and the side pane
// ("SubSystem"), lays them out on every resize, hands the frame's broadcast
// events to both (the table view first), and shows the frame's message
// boxes. The game derives from it to create the real children; without
// them it makes plain placeholders so that the layout and the lookups by
// name always find something.

#include "engine/objects/RectObject.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/MainViewProtocol.h"
#include "frame/ui/MatchPanels.h"
#include "frame/ui/SplitterBar.h"

#include "platform/WindowMessages.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class Window;
}

namespace engine {
class CanvasObject;
class ImageButton;
class SpriteObject;
} // namespace engine

namespace frame {

class ForceQuitReasonBox;
class MatchSeatRecord;
struct MatchPlayerDetail;

// Events the view's own buttons and boxes send to it.
inline constexpr int EVT_FRAME_CONFIRM_QUIT = 80000084;
inline constexpr int EVT_FRAME_CLOSE = 80000085;
inline constexpr int EVT_FRAME_SETTINGS = 80000080;
inline constexpr int EVT_FRAME_HELP = 80000081;
inline constexpr int EVT_FRAME_SHOP = 80000082;
inline constexpr int EVT_FRAME_CLOSE_BUTTON = 80000083;
inline constexpr int EVT_FRAME_FIT = 80000088;
inline constexpr int EVT_FRAME_MINIMIZE = 80000089;
inline constexpr int EVT_FRAME_DRAG = 80000090;
inline constexpr int EVT_FRAME_DRAG_BEGIN = 80000091;
inline constexpr int EVT_FRAME_DRAG_END = 80000092;
// The quit boards and the request boxes.
inline constexpr int EVT_FRAME_SEND_REASON = 80000008;
inline constexpr int EVT_FRAME_REASON_CLOSED = 80000009;
inline constexpr int EVT_FRAME_ANSWER_EXIT = 80000010;
// The quit board's OK: unlike a plain close it records that the player
// confirmed leaving the running match.
inline constexpr int EVT_FRAME_QUIT_BOARD_OK = 80000086;
// The player detail panel and the boards that open it.
inline constexpr int EVT_FRAME_BUY_CLOTHES = 80000041;
inline constexpr int EVT_FRAME_DETAIL_ACTION = 80000042;
inline constexpr int EVT_FRAME_BOARD_CLICK = 80000047;
inline constexpr int EVT_FRAME_BOARD_LEAVE = 80000048;
inline constexpr int EVT_FRAME_DETAIL_ENTER = 80000049;
inline constexpr int EVT_FRAME_DETAIL_LEAVE = 80000050;
inline constexpr int EVT_FRAME_DETAIL_CLOSE = 80000051;

// Depths of the window's skin.
inline constexpr double kFrameBorderDepth = 100000;
inline constexpr double kFrameBottomDepth = 100001;
inline constexpr double kFrameTitleDepth = 100100;
// Depths of the view's own boards.
inline constexpr double kDetailPanelDepth = 70000;
inline constexpr double kAutoPlayDepth = 52000;
inline constexpr double kReasonBoxDepth = 90000;
// Filled into a skin canvas whose picture is missing.
inline constexpr uint32_t kMissingSkinColour = 0x4CB122;

// Window and layout constants.
inline constexpr int kFrameMargin = 4;
inline constexpr int kFrameTitleHeight = 25;
inline constexpr int kNarrowSideWidth = 250;
inline constexpr int kWideSideWidth = 282;
inline constexpr int kWideWorkArea = 1280;

class GameFrame : public engine::RectObject, public GameFrameCalls, public SplitterBarHost {
public:
    using engine::GameObject::ShowSystemBoard;

    // workAreaWidth < 0 asks the desktop for its work area.
    explicit GameFrame(int workAreaWidth = -1);
    ~GameFrame() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;
    void OnRectChanged() override;
    // Refreshes both children, then enters the table.
    void OnRefresh() override;

    // Keep the child, name it and register it under the view (which runs
    // its OnCreate). Null when the view is not attached.
    engine::RectObject* SetMainGame(std::unique_ptr<engine::RectObject> view);
    engine::RectObject* SetSubSystem(std::unique_ptr<engine::RectObject> pane);
    engine::RectObject* GetMainGame() const { return m_mainGame; }
    engine::RectObject* GetSubSystem() const { return m_subSystem; }
    SplitterBar* GetSplitter() const { return m_splitter; }

    // The title buttons, right to left as they stand.
    enum TitleButton { kClose, kFit, kMinimize, kHelp, kSettings, kShop, kTitleButtonCount };
    engine::ImageButton* GetTitleButton(TitleButton which) const { return m_titleButtons[which]; }
    engine::CanvasObject* GetTitleBar() const { return m_titleBar; }
    engine::CanvasObject* GetLeftBorder() const { return m_leftBorder; }
    engine::CanvasObject* GetRightBorder() const { return m_rightBorder; }
    engine::CanvasObject* GetBottomBorder() const { return m_bottomBorder; }

    // ---- layout --------------------------------------------------------
    int CalcSidePanelWidth() override;
    void SetSidePanelWidth(int width) override { m_sideWidth = width; }
    int GetSidePanelWidth() const { return m_sideWidth; }
    int GetNormalSidePanelWidth() const { return m_normalSideWidth; }
    void SetNormalSidePanelWidth(int width) { m_normalSideWidth = width; }
    int GetMinWindowWidth() const override;
    int GetMinWindowHeight() const override { return 600; }
    bool IsFitToWorkArea() const override { return m_fit; }
    int GetWorkAreaWidth() const;
    // The desktop's work area (its width as given to the constructor).
    platform::Rect GetWorkAreaRect() const;
    // Sets the fills-work-area flag from the window's size and returns it.
    virtual bool IsWindowFillingWorkArea();

    // ---- window control ------------------------------------------------
    // Fit: the window takes the work area; restore: the smallest window at
    // the remembered place, with the narrow side pane.
    virtual void ToggleMaximize();
    virtual void Minimize();

    // ---- boxes ---------------------------------------------------------
    void ShowMessageBox(const std::string& text, const BoxEvent* ok, const BoxEvent* cancel, int seconds,
        uint32_t flags, const std::string& head) override;
    void ShowConfirmBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) override;
    void ShowConfirmBoxEx(const std::string& text, const std::string& link, bool signedLink, int seconds,
        uint32_t flags, const std::string& head, const std::string& okPicture,
        const std::string& cancelPicture) override;
    // The id of the last message box opened (it may have gone since).
    int GetLastBoxId() const { return m_lastBoxId; }

    // ---- notifications handed to the children ------------------------
    void OnEnterGameReply(const uint8_t* data, size_t size) override;
    void OnEnterLookOnReply(const uint8_t* data, size_t size) override;
    void OnEnterReplyAlt(const uint8_t* data, size_t size) override;
    // The match's panels of this moment belong to the match layer; the
    // view tells both children and the side pane's match list.
    void OnMatchEnterReply(const uint8_t* data, size_t size) override;
    void OnPlayerEnter(const PlayerRecord& record) override;
    void OnPlayerLeave(const PlayerRecord& record) override;
    void OnLookerEnter(const PlayerRecord& record) override;
    void OnLookerLeave(PlayerRecord& record) override;
    void OnRandomSeat() override;
    void OnTableChanged() override;
    void OnSilverNotice(const uint8_t* data, size_t size) override;
    void OnServerText(const uint8_t* data, size_t size) override;
    void OnMatchNextRound() override;
    void OnMatchBegin() override;

    // ---- the match's panels (a match program only) ---------------------
    void ShowNotSignedUp(const uint8_t* data, size_t size) override;
    void ShowWashout(const uint8_t* data, size_t size) override;
    void ShowMatchEnded(const uint8_t* data, size_t size) override;
    void ShowMatchLate(const uint8_t* data, size_t size) override;
    void ShowMatchStarted(const uint8_t* data, size_t size) override;
    void ShowMatchSystemCancel(const uint8_t* data, size_t size) override;
    void ShowMatchSelfCancel(const uint8_t* data, size_t size) override;
    void ShowWaitSignUpCheck(const uint8_t* data, size_t size) override;
    void ShowMatchRejected(const uint8_t* data, size_t size) override;
    void QueueMatchEnd(const uint8_t* data, size_t size) override;
    void QueueMatchResult(const uint8_t* data, size_t size) override;
    void ShowTablesRemaining(const uint8_t* data, size_t size) override;
    void OnSignUpOk(const uint8_t* data, size_t size) override;
    void OnWithdrawn(const uint8_t* data, size_t size) override;
    // Called by the table views when a round starts.
    virtual void HideMatchPanels();
    virtual void HideMatchResult();
    MatchPanels* GetMatchPanels() const { return m_match.get(); }

    virtual void ResetMainGame();
    virtual void OpenGameSettings();

    // ---- window dragging by the title bar ------------------------------
    // (x, y) is the cursor in the window when the button went down.
    virtual void BeginDrag(int x, int y);
    virtual void DragMove();
    virtual void EndDrag();
    bool IsDragging() const { return m_dragAnchorX != -1 && m_dragAnchorY != -1; }
    engine::CanvasObject* GetTitleText() const { return m_titleText; }

    // ---- quitting (GameFrameQuit.cpp) ----------------------------------
    // The close decision is the frame window's (its close handler); the
    // view shows the boards and boxes it leads to.
    // Leave the seat and close; a refused leave keeps the window open.
    virtual void ConfirmQuit();
    void ShowQuitConfirmBoard() override;
    void RequestForcedQuit() override;
    // Another player's exit request (notification 201212).
    void ShowQuitRequest(const uint8_t* data, size_t size) override;
    engine::CanvasObject* GetQuitBoard() const { return m_quitBoard; }
    engine::ImageButton* GetQuitBoardOk() const { return m_quitOk; }
    ForceQuitReasonBox* GetForcedQuitBox() const { return m_forcedQuitBox; }

    // ---- player details (GameFrameDetail.cpp) --------------------------
    // A click on a player's board at (x, y).
    virtual void ShowPlayerDetail(int userId, int x, int y);
    // The panel without a lobby, the lobby's card with one.
    virtual void OpenPlayerDetail(int userId, bool hideFirst);
    void ShowSelectedPlayerDetail() override;
    virtual void ShowPlayerDetailPanel(const PlayerRecord& record);
    // The lobby's show-player record.
    void ShowPlayerDetailPanel(const uint8_t* data, size_t size) override;
    virtual void ShowMatchPlayerDetail(const MatchPlayerDetail& detail);
    // Notification 211241: the panel pinned beside the user list.
    void ShowMatchPlayer(const uint8_t* data, size_t size) override;
    void PlacePlayerBoardSmall(int userId, int x, int y) override;
    virtual void ShowUserListPopup(int userId, bool pin);
    virtual void HidePlayerDetail(int userId);
    virtual void RequestPlayerDetail();
    virtual void OpenShopClothes(int figure);
    // The shop's front page; the game's help (nothing in the frame).
    virtual void OpenShop();
    virtual void OnHelp() { }
    virtual void OnDetailAction(int /*userId*/) { }
    int DetailPanelUserId() const override;
    // "Character<figure>Type<kind>", registered from the figure's file when
    // needed; figure 0's when the figure has no file; empty without both.
    virtual std::string GetCharacterImageName(int figure, int sizeKind);
    engine::CanvasObject* GetDetailPanel() const { return m_detailPanel; }
    int GetShownUserId() const { return m_shownUserId; }
    int GetShownFigure() const { return m_shownFigure; }
    bool IsDetailPinned() const { return m_detailPinned; }

    // ---- system board, popups, auto play (GameFrameBoards.cpp) ---------
    void ShowSystemBoard(const std::string& text, uint32_t colour, int size) override;
    void PlayViewSound(const std::string& name) override;
    // Slides a popup up into the lower right corner; null is ignored.
    virtual void SlideInPopup(engine::EngineObject* popup);
    virtual void ShowAutoPlayAnimation(bool on);
    engine::CanvasObject* GetSystemBoard() const { return m_systemBoard; }
    engine::SpriteObject* GetAutoPlaySprite() const { return m_autoPlay; }

    // Hides the object and marks its place for repainting (a plain Hide
    // leaves its last picture on the screen).
    static void HideFromScreen(engine::EngineObject* object);

protected:
    // Hooks of the game's view: its resource packs, and the two children
    // (the frame's default makes placeholders for the missing ones).
    virtual void LoadSkinPacks() { }
    virtual void InitProperties();
    virtual void CreateFrameControls();
    virtual void CreateChildren();
    // The tiled table under everything, with its halo and corners round the
    // table view; the game's view may paint its own.
    virtual void DrawTableBackground(int width, int height);
    // The window's own skin, redrawn for every size.
    virtual void DrawFrameSkin(int width, int height);
    virtual void DrawTitleBar(int width);
    virtual void DrawSideBorder(engine::CanvasObject* canvas, const char* picture, double x, int height);
    virtual void DrawBottomBorder(int width, int height);
    // The icon and the lobby's title at the title bar's left, made once.
    virtual void DrawTitleText();
    // A marked-up system line for the side pane's chat view.
    void AddSystemChatLine(const std::string& line);
    // Posts the close to the main window.
    virtual void CloseMainWindow();
    // Hooks for the lobby and the browser (tests see what would go out).
    virtual void PostShowPlayerToHall(int userId);
    virtual void OpenShopAddress(const std::string& address);
    // The cursor on the screen, and in the view's coordinates.
    virtual platform::Point CursorOnScreen();
    platform::Point CursorInView();
    // The window the view fills; null without one.
    virtual platform::Window* GetFrameWindow();

    // Direct deliveries; nothing when the child is missing.
    void ToTable(int code, intptr_t param = 0);
    void ToPane(int code, intptr_t param = 0);
    void ToBoth(int code, intptr_t param = 0);

private:
    engine::RectObject* Adopt(std::unique_ptr<engine::RectObject> child, const char* name);
    int SplitterWidth() const;
    void CollapseDivider();
    void SetFitPicture(const char* picture);
    int PictureWidth(const char* name, int fallback);
    int PictureHeight(const char* name, int fallback);
    engine::CanvasObject* MakeSkinCanvas(const char* picture, int width, int height);
    void CreateTitleButtons();
    void RememberBox(const engine::EngineObject* box);
    void PlaceTitleButtons(int width);

    int m_workAreaWidth = -1;
    bool m_fillsWorkArea = true;
    bool m_fit = true;
    int m_normalSideWidth = 0;
    int m_sideWidth = 0;
    engine::RectObject* m_mainGame = nullptr; // not owned: the object module owns it
    engine::RectObject* m_subSystem = nullptr; // not owned
    SplitterBar* m_splitter = nullptr;         // not owned
    int m_restoredX = 100;
    int m_restoredY = 100;
    int m_titleHeight = kFrameTitleHeight;
    engine::CanvasObject* m_titleBar = nullptr; // not owned: the object module owns the skin
    engine::CanvasObject* m_leftBorder = nullptr;
    engine::CanvasObject* m_rightBorder = nullptr;
    engine::CanvasObject* m_bottomBorder = nullptr;
    std::array<engine::ImageButton*, kTitleButtonCount> m_titleButtons {};
    engine::CanvasObject* m_titleText = nullptr; // not owned: a child of the title bar
    int m_lastBoxId = 0;
    int m_dragAnchorX = -1;
    int m_dragAnchorY = -1;

    // Quitting.
    void SendExitReason(const engine::EngineEvent& event);
    void AnswerExitRequest(int askerId, int agree);
    void ConfirmMatchQuit();
    engine::CanvasObject* m_quitBoard = nullptr;          // not owned
    engine::ImageButton* m_quitOk = nullptr;              // not owned: the board's child
    ForceQuitReasonBox* m_forcedQuitBox = nullptr;        // not owned: forgotten when it answers

    // Player details.
    engine::CanvasObject* DetailPanel();
    void DetailButtons(bool match);
    void OnDetailEnter();
    void OnDetailLeave(const engine::EngineEvent& event);
    void OnBoardLeave(const engine::EngineEvent& event);
    void HideDetailNow();
    engine::CanvasObject* m_detailPanel = nullptr; // not owned
    engine::ImageButton* m_detailClose = nullptr;  // not owned
    engine::ImageButton* m_detailBuy = nullptr;    // not owned
    int m_shownUserId = -1;
    int m_shownFigure = -1;
    bool m_detailPinned = false;

    // The match's panels, made in a match program only.
    friend class GameFrameMatchHost;
    void CreateMatchPanels();
    std::unique_ptr<MatchPanelsHost> m_matchHost;
    std::unique_ptr<MatchPanels> m_match;

    // Boards.
    engine::CanvasObject* m_systemBoard = nullptr; // not owned
    engine::SpriteObject* m_autoPlay = nullptr;    // not owned
    void CentreAutoPlay();

    // Dispatch of the boards' events; false for a code they do not take.
    bool OnQuitEvent(const engine::EngineEvent& event);
    bool OnDetailEvent(const engine::EngineEvent& event);
};

// The rectangle of the running application's main view, replaced by the
// table view's (or the side pane's) when that child exists. False, and out
// untouched, when there is no main view.
bool GetMainGameRect(engine::Rect* out);
bool GetSubSystemRect(engine::Rect* out);

} // namespace frame
