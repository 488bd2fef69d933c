// The main view on the headless host: its properties, the layout of its two
// children at several window and work-area sizes, the order in which the
// children hear the frame's events, the refresh that enters the table, and
// the boxes it opens.

#include "frame/ui/GameFrame.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/InputState.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/EnginePaintModule.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/SystemInfoBox.h"
#include "platform/Clock.h"
#include "tools/testhost/TestHost.h"
#include "tests/frame/ui/GameFrameHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace frame;

namespace {

using namespace gameframetest;

// ---- construction ---------------------------------------------------------

TEST_F(GameFrameHost, CreationSetsThePropertiesAndNamesTheChildren)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    EXPECT_EQ(gameFrame->GetIntProperty(50007), 28);
    EXPECT_EQ(gameFrame->GetIntProperty(50008), 22);
    EXPECT_EQ(gameFrame->GetIntProperty(50009), 26);
    EXPECT_EQ(gameFrame->GetIntProperty(50010), 70);
    EXPECT_EQ(gameFrame->GetIntProperty(50011), kScrollBackHeight);
    EXPECT_EQ(gameFrame->GetIntProperty(kPopupCounterProperty), 1);
    ASSERT_NE(gameFrame->GetName(), nullptr);
    EXPECT_EQ(*gameFrame->GetName(), "GameFrame");
    EXPECT_EQ(gameFrame->FindObjectByName("MainGame"), frameView->table);
    EXPECT_EQ(gameFrame->FindObjectByName("SubSystem"), frameView->pane);
    EXPECT_NE(gameFrame->GetSplitter(), nullptr);
}

TEST_F(GameFrameHost, WithoutTheGamesChildrenPlaceholdersTakeTheNames)
{
    if (!Start(1600, false))
        GTEST_SKIP() << "no video driver";
    ASSERT_NE(gameFrame->GetMainGame(), nullptr);
    ASSERT_NE(gameFrame->GetSubSystem(), nullptr);
    EXPECT_EQ(gameFrame->FindObjectByName("MainGame"), gameFrame->GetMainGame());
    EXPECT_EQ(gameFrame->FindObjectByName("SubSystem"), gameFrame->GetSubSystem());
    // Refreshing with placeholders still enters the table.
    gameFrame->OnRefresh();
    EXPECT_EQ(log, Log { "enter room" });
}

TEST_F(GameFrameHost, SkinFollowsTheSizeWithTheTitleButtonsRightToLeft)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, 1000, 700 });
    struct Place {
        GameFrame::TitleButton button;
        double x;
    };
    // 4 from the right edge, each button touching the one before.
    for (const Place& p : { Place { GameFrame::kClose, 991 }, Place { GameFrame::kFit, 980 },
             Place { GameFrame::kMinimize, 967 }, Place { GameFrame::kHelp, 952 },
             Place { GameFrame::kSettings, 935 }, Place { GameFrame::kShop, 916 } }) {
        engine::EngineObject* button = gameFrame->GetTitleButton(p.button);
        ASSERT_NE(button, nullptr) << p.button;
        EXPECT_DOUBLE_EQ(button->GetX(), p.x) << p.button;
        EXPECT_DOUBLE_EQ(button->GetY(), 13) << p.button;
    }
    engine::CanvasObject* title = gameFrame->GetTitleBar();
    ASSERT_NE(title, nullptr);
    EXPECT_DOUBLE_EQ(title->GetWidth(), 1000);
    EXPECT_DOUBLE_EQ(title->GetHeight(), kFrameTitleHeight);
    EXPECT_DOUBLE_EQ(title->GetZ(), kFrameTitleDepth);
    struct Border {
        engine::CanvasObject* canvas;
        double x, y, width, height;
    };
    for (const Border& b : { Border { gameFrame->GetLeftBorder(), 2, 350, 5, 700 },
             Border { gameFrame->GetRightBorder(), 997, 350, 6, 700 },
             Border { gameFrame->GetBottomBorder(), 500, 698, 1000, 4 } }) {
        ASSERT_NE(b.canvas, nullptr);
        EXPECT_DOUBLE_EQ(b.canvas->GetX(), b.x);
        EXPECT_DOUBLE_EQ(b.canvas->GetY(), b.y);
        EXPECT_DOUBLE_EQ(b.canvas->GetWidth(), b.width);
        EXPECT_DOUBLE_EQ(b.canvas->GetHeight(), b.height);
    }
}

TEST_F(GameFrameHost, TitleTextShowsTheIconAndTheLobbysTitleAtTheBarsLeft)
{
    app.GetHallArgs().title = "KbZn 升级 - 新手房";
    loadMore = [this] { Picture("GameIcon", 16, 16, 0x2080F0); };
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, 1000, 700 });
    engine::CanvasObject* text = gameFrame->GetTitleText();
    ASSERT_NE(text, nullptr);
    EXPECT_DOUBLE_EQ(text->GetLeft(), 0);
    EXPECT_DOUBLE_EQ(text->GetWidth(), 200);
    EXPECT_DOUBLE_EQ(text->GetY(), gameFrame->GetTitleBar()->GetY());
    EXPECT_GT(text->GetZ(), gameFrame->GetTitleBar()->GetZ());
    EXPECT_TRUE(gameFrame->GetTitleBar()->HasChild(text->GetId()));
    // The icon at (10, 13 - 8), the text from x = 31 on.
    EXPECT_EQ(text->GetPixel(18, 12) & 0xF0F0F0, 0x2080F0u & 0xF0F0F0);
    int written = 0;
    for (int y = 0; y < kFrameTitleHeight; ++y)
        for (int x = 31; x < 200; ++x)
            written += text->GetPixelAlpha(x, y) != 0;
    EXPECT_GT(written, 20) << "the title is drawn";
    // It follows the bar: a new size keeps one text canvas at the left.
    gameFrame->SetRect({ 0, 0, 800, 600 });
    EXPECT_EQ(gameFrame->GetTitleText(), text);
    EXPECT_DOUBLE_EQ(text->GetLeft(), 0);
}

// ---- dragging -----------------------------------------------------------------

TEST_F(GameFrameHost, DraggingTheTitleBarMovesTheRestoredWindowUntilReleased)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    frameView->window = &host.GetWindow();
    frameView->filling = false;
    const platform::Point corner = host.GetWindow().Position();
    engine::InputState press;
    press.x = 50;
    press.y = 10;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG_BEGIN, 0, engine::ToWord(&press)));
    ASSERT_TRUE(gameFrame->IsDragging());
    frameView->cursor = { corner.x + 50 + 30, corner.y + 10 + 20 };
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG, 0, 0));
    // The restored place starts at (100, 100).
    EXPECT_EQ(host.GetWindow().Position(), (platform::Point { 130, 120 }));
    frameView->cursor.x += 5;
    frameView->cursor.y -= 7;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG, 0, 0));
    EXPECT_EQ(host.GetWindow().Position(), (platform::Point { 135, 113 }));
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG_END, 0, 0));
    EXPECT_FALSE(gameFrame->IsDragging());
    frameView->cursor.x += 40;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG, 0, 0));
    EXPECT_EQ(host.GetWindow().Position(), (platform::Point { 135, 113 })) << "no drag after the release";
}

TEST_F(GameFrameHost, DraggingAFittedWindowRestoresItFirst)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    frameView->window = &host.GetWindow();
    frameView->filling = true;
    engine::InputState press;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG_BEGIN, 0, engine::ToWord(&press)));
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_DRAG, 0, 0));
    EXPECT_FALSE(gameFrame->IsFitToWorkArea());
    EXPECT_TRUE(gameFrame->IsDragging());
}

TEST_F(GameFrameHost, PressOnTheTitleBarStartsADragAndReleaseEndsIt)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, kHostWidth, kHostHeight });
    frameView->window = &host.GetWindow();
    Frame();
    WindowInput(platform::kWmMouseMove, 100, 8);
    WindowInput(platform::kWmLButtonDown, 100, 8);
    EXPECT_TRUE(gameFrame->IsDragging());
    WindowInput(platform::kWmLButtonUp, 100, 8);
    EXPECT_FALSE(gameFrame->IsDragging());
}

// ---- layout -----------------------------------------------------------------

struct LayoutCase {
    const char* name;
    int workArea;
    int width;
    int height;
    int sideWidth;   // current
    int normalWidth; // when open
    int minWidth;
    engine::Rect table;
    engine::Rect pane;
};

class Layout : public GameFrameHost, public ::testing::WithParamInterface<LayoutCase> { };

TEST_P(Layout, ChildrenFillTheViewBesideTheDivider)
{
    const LayoutCase& c = GetParam();
    if (!Start(c.workArea))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, c.width, c.height });
    EXPECT_EQ(gameFrame->GetSidePanelWidth(), c.sideWidth);
    EXPECT_EQ(gameFrame->GetNormalSidePanelWidth(), c.normalWidth);
    EXPECT_EQ(gameFrame->GetMinWindowWidth(), c.minWidth);
    EXPECT_EQ(gameFrame->GetMinWindowHeight(), 600);
    EXPECT_EQ(RectOf(frameView->table), c.table);
    EXPECT_EQ(RectOf(frameView->pane), c.pane);
    // The divider stands between the table and the pane, as tall as the table.
    engine::EngineObject* divider = gameFrame->GetSplitter();
    EXPECT_DOUBLE_EQ(divider->GetX(), c.table.right + kDividerWidth / 2);
    EXPECT_DOUBLE_EQ(divider->GetY(), c.table.top + (c.table.bottom - c.table.top + 1) / 2);
}

INSTANTIATE_TEST_SUITE_P(GameFrame, Layout,
    ::testing::Values(
        // 1024 x 2 / 9 = 227 is raised to the narrow width.
        LayoutCase { "Area1024", 1024, 1000, 700, 250, 250, 800, { 4, 25, 740, 696 }, { 746, 25, 996, 696 } },
        LayoutCase { "Area1152", 1152, 1152, 800, 256, 256, 800, { 4, 25, 886, 796 }, { 892, 25, 1148, 796 } },
        LayoutCase { "Area1279", 1279, 1279, 800, 284, 284, 800, { 4, 25, 985, 796 }, { 991, 25, 1275, 796 } },
        LayoutCase { "Area1600", 1600, 1600, 900, 282, 282, 1050, { 4, 25, 1308, 896 }, { 1314, 25, 1596, 896 } },
        // So narrow a screen collapses the divider: the pane lies beyond
        // the right edge and the table takes the width.
        LayoutCase { "Area800", 800, 800, 600, 0, 250, 800, { 4, 25, 790, 596 }, { 800, 25, 1050, 596 } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GameFrameHost, DividerCollapsesThePaneOutOfSightAndOpensItAgain)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, 1600, 900 });
    SplitterBar* divider = gameFrame->GetSplitter();
    divider->OnEvent(engine::EngineEvent(divider->GetId(), EVT_SPLITTER_PRESS, 0, 0));
    EXPECT_EQ(gameFrame->GetSidePanelWidth(), 0);
    EXPECT_EQ(RectOf(frameView->pane), (engine::Rect { 1600, 25, 1882, 896 }));
    EXPECT_EQ(RectOf(frameView->table), (engine::Rect { 4, 25, 1590, 896 }));
    divider->OnEvent(engine::EngineEvent(divider->GetId(), EVT_SPLITTER_PRESS, 0, 0));
    EXPECT_EQ(gameFrame->GetSidePanelWidth(), 282);
    EXPECT_EQ(RectOf(frameView->pane), (engine::Rect { 1314, 25, 1596, 896 }));
    EXPECT_EQ(RectOf(frameView->table), (engine::Rect { 4, 25, 1308, 896 }));
}

struct ToggleCase {
    const char* name;
    int workArea;
    int restoredSide;
    bool restoredOpen;
    int fittedSide;
};

class Toggle : public GameFrameHost, public ::testing::WithParamInterface<ToggleCase> { };

TEST_P(Toggle, RestoreNarrowsThePaneAndFitWidensItAgain)
{
    const ToggleCase& c = GetParam();
    if (!Start(c.workArea))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, 1000, 700 });
    engine::EngineObject* fitButton = gameFrame->GetTitleButton(GameFrame::kFit);
    // A window that fills the work area restores.
    frameView->filling = true;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_FIT, 0, 0));
    EXPECT_FALSE(gameFrame->IsFitToWorkArea());
    EXPECT_EQ(gameFrame->GetNormalSidePanelWidth(), 250);
    EXPECT_EQ(gameFrame->GetSidePanelWidth(), c.restoredSide);
    EXPECT_EQ(gameFrame->GetSplitter()->IsExpanded() != 0, c.restoredOpen);
    EXPECT_DOUBLE_EQ(fitButton->GetWidth(), 30) << "shows the maximise picture";
    // Any other window fits.
    frameView->filling = false;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_FIT, 0, 0));
    EXPECT_TRUE(gameFrame->IsFitToWorkArea());
    EXPECT_EQ(gameFrame->GetNormalSidePanelWidth(), c.fittedSide);
    EXPECT_EQ(gameFrame->GetSidePanelWidth(), c.fittedSide);
    EXPECT_DOUBLE_EQ(fitButton->GetWidth(), 12) << "shows the fit picture";
}

INSTANTIATE_TEST_SUITE_P(GameFrame, Toggle,
    ::testing::Values(
        // The 800-wide restored window has no room for the pane.
        ToggleCase { "Area1024", 1024, 0, false, 250 }, ToggleCase { "Area1600", 1600, 250, true, 282 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GameFrameHost, TableBackgroundTilesWithHaloAndCornersRoundTheTableView)
{
    withTable = true;
    if (!Start(1024))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, kHostWidth, kHostHeight });
    Frame();
    // The table view is {4, 25, 60, 236}: the halo a 56-pixel square in its
    // middle (rows 102 to 157), a corner in each of its corners.
    const engine::Rect table = RectOf(frameView->table);
    ASSERT_EQ(table, (engine::Rect { 4, 25, 60, 236 }));
    struct Probe {
        int x, y;
        uint32_t rgb;
    };
    // Compared by the high bits: a blend at full weight may give 0xFE.
    for (const Probe& p : { Probe { 5, 26, 0x00FF00 }, Probe { 58, 26, 0x00FF00 }, Probe { 5, 234, 0x00FF00 },
             Probe { 58, 234, 0x00FF00 }, Probe { 30, 103, 0x0000FF }, Probe { 30, 156, 0x0000FF },
             Probe { 30, 60, 0xFF0000 }, Probe { 30, 200, 0xFF0000 }, Probe { 150, 100, 0xFF0000 } })
        EXPECT_EQ(Pixel(p.x, p.y) & 0xF0F0F0, p.rgb & 0xF0F0F0) << p.x << "," << p.y;
}

TEST_F(GameFrameHost, TooSmallARectangleLeavesTheLayoutAlone)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    gameFrame->SetRect({ 0, 0, 1600, 900 });
    const engine::Rect before = RectOf(frameView->table);
    gameFrame->SetRect({ 0, 0, 0, 900 });
    EXPECT_EQ(RectOf(frameView->table), before);
}

// The table views find their rectangles through the running application's
// main window.
TEST(GameFrameWindow, ChildRectanglesComeFromTheMainWindowsView)
{
    tools::TestHost::PreferHeadlessDrivers();
    Log log;
    TestApp app(log);
    engine::Rect rect;
    EXPECT_FALSE(GetMainGameRect(&rect)) << "no main window yet";
    app.makeView = [] { return std::make_unique<GameFrame>(1600); };
    if (!app.CreateMainWindow())
        GTEST_SKIP() << "no video driver";
    auto* view = dynamic_cast<GameFrame*>(app.GetMainView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(app.GetMainViewCalls(), view);
    EXPECT_EQ(app.GetTableView(), view->GetMainGame());
    EXPECT_EQ(app.GetSystemPane(), view->GetSubSystem());
    view->SetRect({ 0, 0, 1600, 900 });
    ASSERT_TRUE(GetMainGameRect(&rect));
    EXPECT_EQ(rect, (engine::Rect { 4, 25, 1314, 896 }));
    ASSERT_TRUE(GetSubSystemRect(&rect));
    EXPECT_EQ(rect, (engine::Rect { 1314, 25, 1596, 896 }));
}

// ---- routing ----------------------------------------------------------------

TEST_F(GameFrameHost, RefreshRefreshesBothChildrenThenEntersOnce)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    log.clear();
    gameFrame->OnRefresh();
    EXPECT_EQ(log, (Log { "table refresh", "pane refresh", "enter room" }));
}

struct RouteCase {
    const char* name;
    std::function<void(GameFrame&, PlayerRecord&)> call;
    Log expected;
};

class Routing : public GameFrameHost, public ::testing::WithParamInterface<RouteCase> { };

TEST_P(Routing, ChildrenHearTheEventsInOrder)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    PlayerRecord record;
    record.MutableBytes()[0] = 1;
    frameView->table->lookerWatch = &record;
    frameView->pane->lookerWatch = &record;
    log.clear();
    GetParam().call(*gameFrame, record);
    EXPECT_EQ(log, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(GameFrame, Routing,
    ::testing::Values(
        RouteCase { "PlayerEnter", [](GameFrame& f, PlayerRecord& r) { f.OnPlayerEnter(r); },
            { "table 80000014", "pane 80000014", "pane 80000019 record" } },
        RouteCase { "PlayerLeave", [](GameFrame& f, PlayerRecord& r) { f.OnPlayerLeave(r); },
            { "table 80000016", "pane 80000016", "pane 80000019 record" } },
        RouteCase { "LookerEnter", [](GameFrame& f, PlayerRecord& r) { f.OnLookerEnter(r); },
            { "table 80000015", "pane 80000015", "pane 80000019 record" } },
        // Both children still read the record; it is zeros by the list refresh.
        RouteCase { "LookerLeave", [](GameFrame& f, PlayerRecord& r) { f.OnLookerLeave(r); },
            { "table 80000017 record", "pane 80000017 record", "pane 80000019 zeros" } },
        RouteCase { "RandomSeat", [](GameFrame& f, PlayerRecord&) { f.OnRandomSeat(); },
            { "table 80000018", "pane 80000018", "pane 80000019 record" } },
        RouteCase { "TableChanged", [](GameFrame& f, PlayerRecord&) { f.OnTableChanged(); },
            { "table 80000020", "pane 80000020", "pane 80000019 record" } },
        RouteCase { "Entered", [](GameFrame& f, PlayerRecord&) { f.OnEnterGameReply(nullptr, 0); },
            { "table 80000011", "pane 80000011" } },
        RouteCase { "EnteredLookOn", [](GameFrame& f, PlayerRecord&) { f.OnEnterLookOnReply(nullptr, 0); },
            { "table 80000012", "pane 80000012" } },
        RouteCase { "EnteredAlt", [](GameFrame& f, PlayerRecord&) { f.OnEnterReplyAlt(nullptr, 0); },
            { "table 80000013", "pane 80000013" } },
        RouteCase { "Silver", [](GameFrame& f, PlayerRecord&) { f.OnSilverNotice(nullptr, 0); },
            { "table 80000021", "pane 80000021" } },
        // The only event that reaches the pane first.
        RouteCase { "ServerText", [](GameFrame& f, PlayerRecord&) { f.OnServerText(nullptr, 0); },
            { "pane 80000062", "table 80000062" } },
        RouteCase { "NextRound", [](GameFrame& f, PlayerRecord&) { f.OnMatchNextRound(); }, { "table 80000002" } },
        RouteCase { "Reset", [](GameFrame& f, PlayerRecord&) { f.ResetMainGame(); }, { "table 80000003" } },
        RouteCase { "MatchEntered", [](GameFrame& f, PlayerRecord&) { f.OnMatchEnterReply(nullptr, 0); },
            { "table 80000030", "pane 80000030", "table 80000028", "pane 80000028", "pane 80000077" } },
        RouteCase { "MatchBegin", [](GameFrame& f, PlayerRecord&) { f.OnMatchBegin(); }, { "pane 80000025" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GameFrameHost, RecordEventsCarryTheCallersRecord)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    PlayerRecord record;
    gameFrame->OnPlayerEnter(record);
    ASSERT_FALSE(frameView->table->events.empty());
    EXPECT_EQ(engine::FromWord<const PlayerRecord>(frameView->table->events[0].param), &record);
    EXPECT_EQ(engine::FromWord<const PlayerRecord>(frameView->pane->events[0].param), &record);
}

TEST_F(GameFrameHost, MatchEntryTellsTheNumberSignedUp)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    auto bytes = app.GetMatchStateBlock().MutableBytes();
    bytes[44] = 0x2C;
    bytes[45] = 0x01; // 300
    gameFrame->OnMatchEnterReply(nullptr, 0);
    for (const RecordingChild* child : { frameView->table, frameView->pane }) {
        ASSERT_GE(child->events.size(), 2u);
        EXPECT_EQ(child->events[1].code, EVT_CHILD_SIGNED_UP);
        EXPECT_EQ(child->events[1].param, 300);
    }
}

TEST_F(GameFrameHost, SettingsAreSentAddressedToTheTableView)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    log.clear();
    gameFrame->OpenGameSettings();
    EXPECT_EQ(log, Log { "table 80000078" });
    ASSERT_EQ(frameView->table->events.size(), 1u);
    // Unlike the direct deliveries (target 0), this one names its receiver.
    EXPECT_EQ(frameView->table->events[0].target, frameView->table->GetId());
}

// ---- boxes --------------------------------------------------------------------

TEST_F(GameFrameHost, MessageBoxAnswersWithTheCallersEvent)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    log.clear();
    const BoxEvent ok { static_cast<uint32_t>(frameView->table->GetId()), 7001, 3, 4 };
    gameFrame->ShowMessageBox("一条消息", &ok, nullptr, 1, 0, "");
    EXPECT_EQ(gameFrame->GetIntProperty(kPopupCounterProperty), 2);
    for (int i = 0; i < 30 && log.empty(); ++i)
        Frame();
    ASSERT_EQ(frameView->table->events.size(), 1u);
    EXPECT_EQ(frameView->table->events[0], engine::EngineEvent(frameView->table->GetId(), 7001, 3, 4));
}

struct ConfirmCase {
    const char* name;
    uint32_t flags;
    Log expected;
};

class ConfirmBox : public GameFrameHost, public ::testing::WithParamInterface<ConfirmCase> { };

TEST_P(ConfirmBox, OkLeavesTheSeatAndCancelOnlyCloses)
{
    if (!Start(1600))
        GTEST_SKIP() << "no video driver";
    log.clear();
    gameFrame->ShowConfirmBox("离开?", 1, GetParam().flags, "");
    for (int i = 0; i < 30; ++i)
        Frame();
    EXPECT_EQ(log, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(GameFrame, ConfirmBox,
    ::testing::Values(ConfirmCase { "ExpiresOk", 0, { "confirm quit" } },
        ConfirmCase { "ExpiresCancel", SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL, { "close window" } }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
