#include "frame/ui/GameFrame.h"

#include "engine/core/ModuleMessage.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/GameTableView.h"
#include "frame/ui/AdvertBar.h"
#include "frame/ui/SubSystem.h"
#include "frame/ui/SystemInfoBox.h"
#include "engine/core/InputState.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "platform/Bytes.h"

#include <algorithm>

namespace frame {

namespace {

// The picture whose width is the divider's width.
constexpr const char* kSplitterPicture = "左右分隔条_bg";
// Engine string property naming the horizontal scroll bar's back picture.
constexpr int kHorzScrollPictureProperty = 27;

struct TitleButtonSpec {
    const char* picture;
    int code;
};
// In the order of GameFrame::TitleButton.
constexpr TitleButtonSpec kTitleButtons[] = {
    { "btnFrameClose", EVT_FRAME_CLOSE_BUTTON },
    { "btnFrameFit", EVT_FRAME_FIT },
    { "btnFrameMin", EVT_FRAME_MINIMIZE },
    { "btnHelp2", EVT_FRAME_HELP },
    { "btnSet2", EVT_FRAME_SETTINGS },
    { "btnShop2", EVT_FRAME_SHOP },
};
constexpr int kDefaultBorder = 3;
// The title text's canvas and how it follows the title bar: owned, with
// its rotation, redraw, depth, moves, showing and hiding, but not its size
// (the bar takes the window's width; the text keeps its own).
constexpr int kTitleTextWidth = 200;
constexpr uint32_t kTitleTextLink = engine::kLinkOwned | engine::kLinkRotate | engine::kLinkInvalidate
    | engine::kLinkZ | engine::kLinkMove | engine::kLinkShow | engine::kLinkHide;
constexpr int kTitleButtonInset = 4;

engine::MessageWord Word(const void* pointer)
{
    return engine::ToWord(const_cast<void*>(pointer));
}

} // namespace

GameFrame::GameFrame(int workAreaWidth)
    : m_workAreaWidth(workAreaWidth)
{
    // A new view starts with the rule for a window that fills the work
    // area (the frame window is created over the whole of it).
    m_normalSideWidth = CalcSidePanelWidth();
    m_sideWidth = m_normalSideWidth;
}

GameFrame::~GameFrame() = default;

int GameFrame::OnCreate()
{
    SetName("GameFrame");
    LoadSkinPacks();
    InitProperties();
    CreateFrameControls();
    CreateChildren();
    CreateMatchPanels();
    OnRectChanged();
    return 0;
}

void GameFrame::InitProperties()
{
    SetIntProperty(kSideRowProperty, 28);
    SetIntProperty(kSideGapProperty, 22);
    SetIntProperty(kSideSeatRowProperty, 26);
    SetIntProperty(kAdvertHeightProperty, 70);
    const std::string* name = GetStringProperty(kHorzScrollPictureProperty);
    engine::PictureDesc picture;
    LookupPicture(&picture, name && !name->empty() ? *name : std::string("ScrollBar_HorzBack"), 0);
    SetIntProperty(kHorzScrollHeightProperty, picture.height);
    SetIntProperty(kPopupCounterProperty, 1);
}

int GameFrame::PictureWidth(const char* name, int fallback)
{
    engine::PictureDesc picture;
    LookupPicture(&picture, name, 0);
    return picture.width > 0 ? picture.width : fallback;
}

int GameFrame::PictureHeight(const char* name, int fallback)
{
    engine::PictureDesc picture;
    LookupPicture(&picture, name, 0);
    return picture.height > 0 ? picture.height : fallback;
}

engine::CanvasObject* GameFrame::MakeSkinCanvas(const char* picture, int width, int height)
{
    engine::PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    const uint32_t background = desc.width > 0 ? 0xFF00FF : kMissingSkinColour;
    return CreateCanvas(std::max(width, 1), std::max(height, 1), background);
}

void GameFrame::CreateTitleButtons()
{
    for (int i = 0; i < kTitleButtonCount; ++i) {
        if (m_titleButtons[i])
            continue;
        auto* button = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
        if (!button)
            continue;
        engine::PictureDesc desc;
        LookupPicture(&desc, kTitleButtons[i].picture, 0);
        const engine::EngineEvent click(GetId(), kTitleButtons[i].code, 0, 0);
        button->Create(desc, &click, 0, engine::ObjectFlags::kPixelHitTest);
        button->SetSound(1, "SndTouchButton");
        button->SetSound(2, "SndHitButton");
        m_titleButtons[i] = button;
    }
}

void GameFrame::CreateFrameControls()
{
    const int width = std::max(GetScreenWidth(), 1);
    const int height = std::max(GetScreenHeight(), 1);
    m_titleHeight = PictureHeight("Frame_Top", kFrameTitleHeight);
    if (!m_titleBar) {
        m_titleBar = MakeSkinCanvas("Frame_Top", width, m_titleHeight);
        // A double click on the title bar toggles like the fit button; a
        // drag on it moves the window.
        if (m_titleBar) {
            m_titleBar->SubscribeEvent(engine::EVT_DBLCLICK, GetId(), EVT_FRAME_FIT, 0, 0);
            m_titleBar->SubscribeEvent(engine::EVT_DRAG, GetId(), EVT_FRAME_DRAG, 0, 0);
            m_titleBar->SubscribeEvent(engine::EVT_LBUTTON_DOWN, GetId(), EVT_FRAME_DRAG_BEGIN, 0, 0);
            m_titleBar->SubscribeEvent(engine::EVT_LBUTTON_UP, GetId(), EVT_FRAME_DRAG_END, 0, 0);
            m_titleBar->SubscribeEvent(engine::EVT_BLUR, GetId(), EVT_FRAME_DRAG_END, 0, 0);
        }
    }
    if (!m_leftBorder)
        m_leftBorder = MakeSkinCanvas("Frame_Left", PictureWidth("Frame_Left", kDefaultBorder), height);
    if (!m_rightBorder)
        m_rightBorder = MakeSkinCanvas("Frame_Right", PictureWidth("Frame_Right", kDefaultBorder), height);
    if (!m_bottomBorder)
        m_bottomBorder = MakeSkinCanvas("Frame_Bottom", width, PictureHeight("Frame_Bottom", kDefaultBorder));
    CreateTitleButtons();
    if (!m_splitter) {
        auto bar = std::make_unique<SplitterBar>();
        bar->SetHost(this);
        m_splitter = static_cast<SplitterBar*>(RegisterObject(std::move(bar)));
    }
    // On a screen this narrow the table needs the whole width.
    if (GetWorkAreaWidth() <= 800)
        CollapseDivider();
}

void GameFrame::CollapseDivider()
{
    if (m_splitter && m_splitter->IsExpanded()) {
        m_splitter->SetCollapsed(1);
        m_sideWidth = 0;
    }
}

void GameFrame::CreateChildren()
{
    // The game's view replaces this with its pane and table view; the
    // frame's own side pane, and a placeholder table view, keep the names
    // findable and the layout complete.
    if (!m_subSystem)
        SetSubSystem(std::make_unique<SubSystem>());
    if (!m_mainGame)
        SetMainGame(std::make_unique<engine::RectObject>());
}

engine::RectObject* GameFrame::Adopt(std::unique_ptr<engine::RectObject> child, const char* name)
{
    if (!child)
        return nullptr;
    child->SetName(name);
    return static_cast<engine::RectObject*>(RegisterObject(std::move(child)));
}

engine::RectObject* GameFrame::SetMainGame(std::unique_ptr<engine::RectObject> view)
{
    m_mainGame = Adopt(std::move(view), "MainGame");
    return m_mainGame;
}

engine::RectObject* GameFrame::SetSubSystem(std::unique_ptr<engine::RectObject> pane)
{
    m_subSystem = Adopt(std::move(pane), "SubSystem");
    return m_subSystem;
}

// ---- layout -------------------------------------------------------------------

int GameFrame::GetWorkAreaWidth() const
{
    return m_workAreaWidth >= 0 ? m_workAreaWidth : platform::WorkAreaRect().Width();
}

int GameFrame::CalcSidePanelWidth()
{
    if (!m_fillsWorkArea)
        return kNarrowSideWidth;
    const int area = GetWorkAreaWidth();
    if (area >= kWideWorkArea)
        return kWideSideWidth;
    return std::max(kNarrowSideWidth, area * 2 / 9);
}

int GameFrame::GetMinWindowWidth() const
{
    return GetWorkAreaWidth() < kWideWorkArea ? 800 : 1050;
}

int GameFrame::SplitterWidth() const
{
    if (!m_splitter)
        return 0;
    engine::PictureDesc picture;
    const_cast<GameFrame*>(this)->LookupPicture(&picture, kSplitterPicture, 0);
    return picture.width;
}

void GameFrame::OnRectChanged()
{
    engine::Rect rect;
    GetRect(&rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width < 1 || height < 1)
        return;
    // The advert page stays out of the way while the panes move.
    auto* advert = m_subSystem ? dynamic_cast<AdvertBar*>(m_subSystem->FindObjectByName(kAdvertBarName)) : nullptr;
    if (advert && advert->IsPageVisible())
        advert->HidePage();
    const bool open = !m_splitter || m_splitter->IsExpanded();
    const int top = kFrameTitleHeight;
    const int bottom = height - kFrameMargin;
    // A collapsed pane moves out of sight beyond the right edge.
    const int sideLeft = open ? width - m_sideWidth - kFrameMargin : width;
    if (m_subSystem)
        m_subSystem->SetRect({ sideLeft, top, sideLeft + m_normalSideWidth, bottom });
    const int divider = SplitterWidth();
    const engine::Rect table { kFrameMargin, top, (open ? sideLeft : width - kFrameMargin) - divider, bottom };
    if (m_mainGame)
        m_mainGame->SetRect(table);
    DrawTableBackground(width, height);
    DrawFrameSkin(width, height);
    CentreAutoPlay();
    if (m_match)
        m_match->Layout();
    if (m_splitter && divider > 0) {
        const int tableHeight = table.bottom - table.top;
        m_splitter->ScaleTo(divider, tableHeight);
        m_splitter->MoveTo(table.right + divider / 2, table.top + (tableHeight + 1) / 2);
        m_splitter->Show();
        m_splitter->Layout();
    }
    if (advert && advert->IsPageVisible())
        advert->ShowPage();
}

// ---- window control -----------------------------------------------------------

platform::Rect GameFrame::GetWorkAreaRect() const
{
    platform::Rect area = platform::WorkAreaRect();
    if (m_workAreaWidth >= 0)
        area.right = area.left + m_workAreaWidth;
    return area;
}

platform::Window* GameFrame::GetFrameWindow()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    return app && app->GetMainWindow() ? &app->GetMainWindow()->GetWindow() : nullptr;
}

bool GameFrame::IsWindowFillingWorkArea()
{
    const platform::Window* window = GetFrameWindow();
    const platform::Rect area = GetWorkAreaRect();
    m_fillsWorkArea = window && window->ClientWidth() == area.Width() && window->ClientHeight() == area.Height();
    return m_fillsWorkArea;
}

void GameFrame::SetFitPicture(const char* picture)
{
    if (engine::ImageButton* button = m_titleButtons[kFit]) {
        engine::PictureDesc desc;
        LookupPicture(&desc, picture, 0);
        button->SetPicture(desc, true);
    }
}

void GameFrame::ToggleMaximize()
{
    platform::Window* window = GetFrameWindow();
    if (IsWindowFillingWorkArea()) {
        m_fillsWorkArea = false;
        m_normalSideWidth = m_sideWidth = kNarrowSideWidth;
        const int width = GetMinWindowWidth();
        if (width <= 800)
            CollapseDivider();
        if (window)
            window->SetBounds({ m_restoredX, m_restoredY, m_restoredX + width, m_restoredY + GetMinWindowHeight() });
        m_fit = false;
        SetFitPicture("btnFrameMax");
    } else {
        m_fillsWorkArea = true;
        m_normalSideWidth = m_sideWidth = CalcSidePanelWidth();
        const platform::Rect area = GetWorkAreaRect();
        if (area.Width() <= 800)
            CollapseDivider();
        if (window)
            window->SetBounds(area);
        m_fit = true;
        SetFitPicture("btnFrameFit");
    }
    // The new size comes back through the window's resize handling; lay out
    // now as well so that the side widths apply at once.
    OnRectChanged();
}

void GameFrame::BeginDrag(int x, int y)
{
    const platform::Window* window = GetFrameWindow();
    if (!window)
        return;
    const platform::Point corner = window->Position();
    m_dragAnchorX = x + corner.x;
    m_dragAnchorY = y + corner.y;
}

void GameFrame::DragMove()
{
    platform::Window* window = GetFrameWindow();
    if (!IsDragging() || !window)
        return;
    const platform::Point c = CursorOnScreen();
    const int w = window->ClientWidth();
    const int h = window->ClientHeight();
    if (IsWindowFillingWorkArea() && w > 0 && h > 0) {
        // A fitted window restores under the cursor, at the same relative
        // place across its width.
        m_restoredX = c.x * (w - GetMinWindowWidth()) / w;
        m_restoredY = c.y * (h - GetScreenHeight()) / h;
        ToggleMaximize();
        m_dragAnchorX = c.x;
        m_dragAnchorY = c.y;
        return;
    }
    m_restoredX += c.x - m_dragAnchorX;
    m_restoredY += c.y - m_dragAnchorY;
    window->SetPosition(m_restoredX, m_restoredY);
    m_dragAnchorX = c.x;
    m_dragAnchorY = c.y;
}

void GameFrame::EndDrag()
{
    m_dragAnchorX = -1;
    m_dragAnchorY = -1;
}

void GameFrame::HideFromScreen(engine::EngineObject* object)
{
    if (!object)
        return;
    object->Hide();
    object->Invalidate();
}

void GameFrame::Minimize()
{
    if (platform::Window* window = GetFrameWindow())
        window->Show(platform::ShowCommand::kMinimize);
}

// ---- skin -------------------------------------------------------------------

void GameFrame::DrawTableBackground(int width, int height)
{
    engine::PictureDesc tile;
    LookupPicture(&tile, "TablePatten", 0);
    // A tile without a size would never step on.
    if (tile.width > 0 && tile.height > 0)
        for (int y = 0; y < height; y += tile.height)
            for (int x = 0; x < width; x += tile.width)
                PaintImage(tile, x, y, tile.width, tile.height, 0);
    if (!m_mainGame)
        return;
    engine::Rect r;
    m_mainGame->GetRect(&r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    engine::PictureDesc desc;
    LookupPicture(&desc, "TableHalo", 0);
    const int side = std::min(w, h);
    if (desc.width > 0 && side > 0)
        PaintImage(desc, r.left + w / 2 - side / 2, r.top + h / 2 - side / 2, side, side, 0);
    auto corner = [&](const char* name, bool right, bool bottom) {
        LookupPicture(&desc, name, 0);
        if (desc.width > 0 && desc.height > 0)
            PaintImage(desc, right ? r.right - desc.width : r.left, bottom ? r.bottom - desc.height : r.top,
                desc.width, desc.height, 0);
    };
    corner("TableCornerLT", false, false);
    corner("TableCornerRT", true, false);
    corner("TableCornerLB", false, true);
    corner("TableCornerRB", true, true);
}

void GameFrame::DrawFrameSkin(int width, int height)
{
    DrawTitleBar(width);
    DrawSideBorder(m_leftBorder, "Frame_Left", 0, height);
    DrawSideBorder(m_rightBorder, "Frame_Right", width, height);
    DrawBottomBorder(width, height);
}

void GameFrame::DrawTitleBar(int width)
{
    if (!m_titleBar)
        return;
    m_titleBar->ResizeBuffer(width, m_titleHeight);
    m_titleBar->SetSize(width, m_titleHeight);
    m_titleBar->Clear();
    engine::PictureDesc top;
    LookupPicture(&top, "Frame_Top", 0);
    for (int x = 0; top.width > 0 && x < width; x += top.width)
        m_titleBar->BlitPicture(top, x, 0, -1, -1, 0, 1.0);
    auto drawAt = [&](const char* name, auto place) {
        engine::PictureDesc desc;
        LookupPicture(&desc, name, 0);
        if (desc.width > 0)
            m_titleBar->BlitPicture(desc, place(desc.width), 0, -1, -1, 0, 1.0);
    };
    drawAt("FramePatternLeft", [](int) { return 0; });
    drawAt("FramePatternRight", [width](int w) { return width - w; });
    drawAt("FramePatternMiddle", [width](int w) { return width / 2 - w / 2; });
    m_titleBar->SetZ(kFrameTitleDepth);
    m_titleBar->MoveTo(width / 2, (m_titleHeight + 1) / 2);
    // A part drawn again is shown again only once marked.
    m_titleBar->Show();
    m_titleBar->Invalidate();
    PlaceTitleButtons(width);
    DrawTitleText();
}

void GameFrame::DrawTitleText()
{
    if (!m_titleText) {
        m_titleText = CreateCanvas(kTitleTextWidth, m_titleHeight, 0xFF00FF);
        if (!m_titleText)
            return;
        CGameFrameApp* app = CGameFrameApp::Current();
        m_titleText->SetFont(12, 400, "宋体");
        m_titleText->SetPen(app ? app->GetColorTitleText() : 0, 1.0);
        engine::PictureDesc icon;
        LookupPicture(&icon, "GameIcon", 0);
        const int middle = (m_titleHeight + 1) / 2;
        if (icon.width > 0)
            m_titleText->BlitPicture(icon, 10, middle - icon.height / 2, -1, -1, 0, 1.0);
        if (app)
            m_titleText->DrawText(std::max(icon.width, 0) + 15, middle - 7, app->GetTitleText());
        m_titleText->SetZ(m_titleBar->GetZAbove());
        m_titleBar->AddChild(m_titleText, kTitleTextLink);
    }
    m_titleText->MoveTo(m_titleBar->GetLeft() + kTitleTextWidth / 2, m_titleBar->GetY());
    m_titleText->Show();
    m_titleText->Invalidate();
}

void GameFrame::PlaceTitleButtons(int width)
{
    const double y = (m_titleHeight + 1) / 2;
    // Right to left: close at the edge, then fit and minimise, then the
    // three game buttons, each touching the one before.
    double right = width - kTitleButtonInset;
    for (engine::ImageButton* button : m_titleButtons) {
        if (!button)
            continue;
        const int w = static_cast<int>(button->GetWidth());
        button->MoveTo(right - w / 2, y);
        button->SetZ(kFrameTitleDepth + 1);
        button->Show();
        button->Invalidate();
        right -= w;
    }
}

void GameFrame::DrawSideBorder(engine::CanvasObject* canvas, const char* picture, double x, int height)
{
    if (!canvas)
        return;
    const int w = PictureWidth(picture, kDefaultBorder);
    canvas->ResizeBuffer(w, height);
    canvas->SetSize(w, height);
    canvas->Clear();
    engine::PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    if (desc.width > 0)
        canvas->BlitPicture(desc, 0, 0, 0, 0, 0, 1.0);
    canvas->SetZ(kFrameBorderDepth);
    // The left border hangs from the left edge, the right one from the right.
    canvas->MoveTo(x > 0 ? x - w / 2 : w / 2, height / 2);
    canvas->Show();
    canvas->Invalidate();
}

void GameFrame::DrawBottomBorder(int width, int height)
{
    if (!m_bottomBorder)
        return;
    const int h = PictureHeight("Frame_Bottom", kDefaultBorder);
    m_bottomBorder->ResizeBuffer(width, h);
    m_bottomBorder->SetSize(width, h);
    m_bottomBorder->Clear();
    engine::PictureDesc bottom;
    LookupPicture(&bottom, "Frame_Bottom", 0);
    if (bottom.width > 0)
        m_bottomBorder->BlitPicture(bottom, 0, 0, 0, 0, 0, 1.0);
    // The corners continue the side borders.
    engine::PictureDesc side;
    LookupPicture(&side, "Frame_Left", 0);
    if (side.height > 0 && bottom.height > 1)
        m_bottomBorder->BlitPicture(side, 0, 0, side.width, bottom.height - 1, 0, 1.0);
    LookupPicture(&side, "Frame_Right", 0);
    if (side.height > 0 && bottom.height > 1)
        m_bottomBorder->BlitPicture(side, width - side.width, 0, side.width, bottom.height - 1, 0, 1.0);
    m_bottomBorder->SetZ(kFrameBottomDepth);
    m_bottomBorder->MoveTo(width / 2, height - h / 2);
    m_bottomBorder->Show();
    m_bottomBorder->Invalidate();
}

// ---- routing ------------------------------------------------------------------

void GameFrame::ToTable(int code, intptr_t param)
{
    if (m_mainGame)
        m_mainGame->OnEvent(engine::EngineEvent(0, code, static_cast<engine::MessageWord>(param), 0));
}

void GameFrame::ToPane(int code, intptr_t param)
{
    if (m_subSystem)
        m_subSystem->OnEvent(engine::EngineEvent(0, code, static_cast<engine::MessageWord>(param), 0));
}

void GameFrame::ToBoth(int code, intptr_t param)
{
    ToTable(code, param);
    ToPane(code, param);
}

void GameFrame::OnRefresh()
{
    if (m_mainGame)
        m_mainGame->OnRefresh();
    if (m_subSystem)
        m_subSystem->OnRefresh();
    // The lobby's data is in: this is the moment the client enters its table.
    if (CGameFrameApp* app = CGameFrameApp::Current())
        app->EnterRoom();
}

void GameFrame::OnEnterGameReply(const uint8_t*, size_t)
{
    // The room's idle time came with the enter data: the table view reads
    // it now, before it shows the start button that arms the kick.
    if (auto* table = dynamic_cast<GameTableView*>(m_mainGame))
        table->LoadIdleKickTime();
    ToBoth(EVT_CHILD_ENTERED);
}

void GameFrame::OnEnterLookOnReply(const uint8_t*, size_t)
{
    ToBoth(EVT_CHILD_ENTERED_LOOK_ON);
}

void GameFrame::OnEnterReplyAlt(const uint8_t*, size_t)
{
    ToBoth(EVT_CHILD_ENTERED_ALT);
}

void GameFrame::OnMatchEnterReply(const uint8_t*, size_t)
{
    // The number of players signed up is the word at byte 44 of the
    // match's state.
    int32_t signedUp = 0;
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        const auto& bytes = app->GetMatchStateBlock().Bytes();
        signedUp = platform::LoadI32(bytes, 44);
    }
    if (m_match)
        m_match->OnMatchEnterReply();
    ToBoth(EVT_CHILD_MATCH_ENTERED);
    ToBoth(EVT_CHILD_SIGNED_UP, signedUp);
    ToPane(EVT_CHILD_PANE_MATCH_ENTERED);
    if (m_match)
        m_match->ShowMatchWelcome();
}

void GameFrame::OnPlayerEnter(const PlayerRecord& record)
{
    ToBoth(EVT_CHILD_PLAYER_ENTER, static_cast<intptr_t>(Word(&record)));
    ToPane(EVT_CHILD_USER_LIST);
}

void GameFrame::OnPlayerLeave(const PlayerRecord& record)
{
    ToBoth(EVT_CHILD_PLAYER_LEAVE, static_cast<intptr_t>(Word(&record)));
    ToPane(EVT_CHILD_USER_LIST);
}

void GameFrame::OnLookerEnter(const PlayerRecord& record)
{
    ToBoth(EVT_CHILD_LOOKER_ENTER, static_cast<intptr_t>(Word(&record)));
    ToPane(EVT_CHILD_USER_LIST);
}

void GameFrame::OnLookerLeave(PlayerRecord& record)
{
    // Both children still read the leaving looker's record; the user list
    // refresh after it no longer finds him.
    ToBoth(EVT_CHILD_LOOKER_LEAVE, static_cast<intptr_t>(Word(&record)));
    record.Clear();
    ToPane(EVT_CHILD_USER_LIST);
}

void GameFrame::OnRandomSeat()
{
    ToBoth(EVT_CHILD_RANDOM_SEAT);
    ToPane(EVT_CHILD_USER_LIST);
}

void GameFrame::OnTableChanged()
{
    ToBoth(EVT_CHILD_TABLE_CHANGED);
    ToPane(EVT_CHILD_USER_LIST);
}

void GameFrame::OnSilverNotice(const uint8_t* data, size_t size)
{
    ToTable(EVT_CHILD_SILVER, static_cast<intptr_t>(Word(data)));
    // The pane reads the record within the size it is given.
    if (m_subSystem)
        m_subSystem->OnEvent(engine::EngineEvent(0, EVT_CHILD_SILVER, Word(data), static_cast<engine::MessageWord>(size)));
}

void GameFrame::OnServerText(const uint8_t* data, size_t)
{
    // The names reach the side pane's list before the table's boards.
    ToPane(EVT_CHILD_SERVER_TEXT, static_cast<intptr_t>(Word(data)));
    ToTable(EVT_CHILD_SERVER_TEXT, static_cast<intptr_t>(Word(data)));
}

void GameFrame::OnMatchNextRound()
{
    // The panels hide themselves, show the round's title and tell the table.
    if (m_match)
        m_match->OnMatchNextRound();
    else
        ToTable(EVT_CHILD_NEXT_ROUND);
}

void GameFrame::OnMatchBegin()
{
    ToPane(EVT_CHILD_MATCH_BEGIN);
    if (m_match)
        m_match->OnMatchBegin();
}

void GameFrame::ResetMainGame()
{
    ToTable(EVT_CHILD_RESET);
}

void GameFrame::OpenGameSettings()
{
    if (m_mainGame)
        SendEvent(engine::EngineEvent(m_mainGame->GetId(), EVT_CHILD_OPEN_SETTINGS, 0, 0));
}

int GameFrame::OnEvent(const engine::EngineEvent& event)
{
    if (OnQuitEvent(event) || OnDetailEvent(event) || (m_match && m_match->OnEvent(event)))
        return 1;
    switch (event.code) {
    case EVT_FRAME_CLOSE:
    case EVT_FRAME_CLOSE_BUTTON:
        CloseMainWindow();
        return 1;
    case EVT_FRAME_FIT:
        ToggleMaximize();
        return 1;
    case EVT_FRAME_MINIMIZE:
        Minimize();
        return 1;
    case EVT_FRAME_SETTINGS:
        OpenGameSettings();
        return 1;
    case EVT_FRAME_HELP:
        OnHelp();
        return 1;
    case EVT_FRAME_SHOP:
        OpenShop();
        return 1;
    case EVT_FRAME_DRAG_BEGIN:
        if (const auto* input = event.DataAs<const engine::InputState>())
            BeginDrag(input->x, input->y);
        return 1;
    case EVT_FRAME_DRAG:
        DragMove();
        return 1;
    case EVT_FRAME_DRAG_END:
        EndDrag();
        return 1;
    default:
        return RectObject::OnEvent(event);
    }
}

void GameFrame::CloseMainWindow()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app && app->GetMainWindow())
        app->GetMainWindow()->GetWindow().PostMessage(platform::kWmClose, 0, 0);
}

// ---- boxes ------------------------------------------------------------------

namespace {

BoxServices MakeBoxServices()
{
    BoxServices services;
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        services.title = app->GetTitleText();
        services.openLink = [app](const std::string& address, bool signedLink) {
            app->OpenUrlInBrowser(address, signedLink);
        };
    }
    return services;
}

} // namespace

void GameFrame::ShowMessageBox(const std::string& text, const BoxEvent* ok, const BoxEvent* cancel, int seconds,
    uint32_t flags, const std::string& head)
{
    const engine::EngineEvent okEvent = ok ? ToEngineEvent(*ok) : engine::EngineEvent();
    const engine::EngineEvent cancelEvent = cancel ? ToEngineEvent(*cancel) : engine::EngineEvent();
    InfoBoxRequest request;
    request.text = text;
    request.ok = ok ? &okEvent : nullptr;
    request.cancel = cancel ? &cancelEvent : nullptr;
    request.seconds = seconds;
    request.flags = flags;
    request.head = head;
    RememberBox(OpenSystemInfoBox(*this, request, MakeBoxServices()));
}

void GameFrame::RememberBox(const engine::EngineObject* box)
{
    m_lastBoxId = box ? box->GetId() : 0;
}

void GameFrame::ShowConfirmBox(const std::string& text, int seconds, uint32_t flags, const std::string& head)
{
    ShowConfirmBoxEx(text, {}, false, seconds, flags, head, {}, {});
}

void GameFrame::ShowConfirmBoxEx(const std::string& text, const std::string& link, bool signedLink, int seconds,
    uint32_t flags, const std::string& head, const std::string& okPicture, const std::string& cancelPicture)
{
    // OK leaves the seat and closes; Cancel only closes.
    const engine::EngineEvent okEvent(GetId(), EVT_FRAME_CONFIRM_QUIT, 0, 0);
    const engine::EngineEvent cancelEvent(GetId(), EVT_FRAME_CLOSE, 0, 0);
    InfoBoxRequest request;
    request.text = text;
    request.ok = &okEvent;
    request.cancel = &cancelEvent;
    request.seconds = seconds;
    request.flags = flags;
    request.head = head;
    request.okPicture = okPicture;
    request.cancelPicture = cancelPicture;
    request.link = link;
    request.signedLink = signedLink;
    RememberBox(OpenSystemInfoBox(*this, request, MakeBoxServices()));
}

// ---- rectangles for the views -------------------------------------------------

namespace {

bool ChildRect(const char* name, engine::Rect* out)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    engine::RectObject* root = app ? app->GetMainView() : nullptr;
    if (!root || !out)
        return false;
    root->GetRect(out);
    if (auto* child = dynamic_cast<engine::RectObject*>(root->FindObjectByName(name)))
        child->GetRect(out);
    return true;
}

} // namespace

bool GetMainGameRect(engine::Rect* out)
{
    return ChildRect("MainGame", out);
}

bool GetSubSystemRect(engine::Rect* out)
{
    return ChildRect("SubSystem", out);
}

} // namespace frame
