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
#include "frame/ui/SplitterBar.h"

#include "platform/WindowMessages.h"

#include <array>
#include <cstdint>
#include <memory>

namespace platform {
class Window;
}

namespace engine {
class CanvasObject;
class ImageButton;
} // namespace engine

namespace frame {

// Engine integer properties the side pane, the advertisement bar and the
// scroll bars read.
inline constexpr int kSideRowProperty = 50007;
inline constexpr int kSideGapProperty = 50008;
inline constexpr int kSideSeatRowProperty = 50009;
inline constexpr int kAdvertHeightProperty = 50010;
inline constexpr int kHorzScrollHeightProperty = 50011;

// Events the view hands to its children (private to the children).
inline constexpr int EVT_CHILD_NEXT_ROUND = 80000002;
inline constexpr int EVT_CHILD_RESET = 80000003;
inline constexpr int EVT_CHILD_ENTERED = 80000011;
inline constexpr int EVT_CHILD_ENTERED_LOOK_ON = 80000012;
inline constexpr int EVT_CHILD_ENTERED_ALT = 80000013;
inline constexpr int EVT_CHILD_PLAYER_ENTER = 80000014;
inline constexpr int EVT_CHILD_LOOKER_ENTER = 80000015;
inline constexpr int EVT_CHILD_PLAYER_LEAVE = 80000016;
inline constexpr int EVT_CHILD_LOOKER_LEAVE = 80000017;
inline constexpr int EVT_CHILD_RANDOM_SEAT = 80000018;
inline constexpr int EVT_CHILD_USER_LIST = 80000019;
inline constexpr int EVT_CHILD_TABLE_CHANGED = 80000020;
inline constexpr int EVT_CHILD_SILVER = 80000021;
inline constexpr int EVT_CHILD_MATCH_BEGIN = 80000025;
inline constexpr int EVT_CHILD_SIGNED_UP = 80000028;
inline constexpr int EVT_CHILD_MATCH_ENTERED = 80000030;
inline constexpr int EVT_CHILD_SERVER_TEXT = 80000062;
inline constexpr int EVT_CHILD_PANE_MATCH_ENTERED = 80000077;
inline constexpr int EVT_CHILD_OPEN_SETTINGS = 80000078;

// Events the view's own buttons and boxes send to it.
inline constexpr int EVT_FRAME_CONFIRM_QUIT = 80000084;
inline constexpr int EVT_FRAME_CLOSE = 80000085;
inline constexpr int EVT_FRAME_SETTINGS = 80000080;
inline constexpr int EVT_FRAME_HELP = 80000081;
inline constexpr int EVT_FRAME_SHOP = 80000082;
inline constexpr int EVT_FRAME_CLOSE_BUTTON = 80000083;
inline constexpr int EVT_FRAME_FIT = 80000088;
inline constexpr int EVT_FRAME_MINIMIZE = 80000089;

// Depths of the window's skin.
inline constexpr double kFrameBorderDepth = 100000;
inline constexpr double kFrameBottomDepth = 100001;
inline constexpr double kFrameTitleDepth = 100100;
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
    virtual void ResetMainGame();
    virtual void OpenGameSettings();

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
    // Leave the seat and close; the quit boards override it.
    virtual void ConfirmQuit() { CloseMainWindow(); }
    void CloseMainWindow();
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
};

// The rectangle of the running application's main view, replaced by the
// table view's (or the side pane's) when that child exists. False, and out
// untouched, when there is no main view.
bool GetMainGameRect(engine::Rect* out);
bool GetSubSystemRect(engine::Rect* out);

} // namespace frame
