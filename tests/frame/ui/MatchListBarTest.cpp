// The match list in the side pane of a match program, through the host
// window with injected mouse input and the settable clock: the status
// line (sign-up count, then the match clock), the ranking arriving as the
// server's notification and the rows it makes, the rank numbers, the row
// menu with and without a row behind it, and ranking bodies that are too
// short or claim more than they hold.

#include "SidePaneHost.h"

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/core/WireReader.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/FrameScrollBar.h"
#include "frame/ui/MatchListBar.h"
#include "frame/ui/SubSystem.h"

#include <optional>
#include <string>
#include <vector>

using namespace frameuitest;
using frame::MatchListBar;
using frame::MatchListBlock;
using frame::MatchPlayerList;
using frame::StoreLe32;
using frame::WireReader;

namespace {

constexpr int kOwnId = 1001;
constexpr int kBarHeight = 330;
constexpr int kRowHeight = 20;
constexpr int kScrollBarWidth = 10;
// The pane starts above the window, so that the portrait and the list's
// first rows lie inside it.
constexpr int kPaneTop = -100;
constexpr uint32_t kRankingNotification = 211170;

class FakeConnection : public GameConnection {
public:
    int Request201230(int userId) override
    {
        details.push_back(userId);
        return 1;
    }
    int CallPlayer(int userId) override
    {
        calls.push_back(userId);
        return 1;
    }
    std::vector<int> details;
    std::vector<int> calls;
};

class RecordingHandler : public GameNotifyHandler {
public:
    using GameNotifyHandler::GameNotifyHandler;
    void OnPlayerCall(const uint8_t* body, size_t length) override { records.emplace_back(body, body + length); }
    std::vector<std::vector<uint8_t>> records;
};

// A match program whose sorted ranking goes to the pane under test, as the
// real one sends it to the main window's pane.
class MatchApp : public CGameFrameApp {
public:
    MatchApp()
        : CGameFrameApp("MatchListBarTest", 21534, 1, 1)
    {
        SetMatchMode(true);
        GetHallArgs().userId = kOwnId;
        SetOwnChair(0);
    }
    GameConnection* GetConnection() override { return &connection; }
    GameNotifyHandler* GetNotifyHandler() override { return &handler; }
    void OnMatchRankingSorted() override
    {
        if (pane)
            pane->OnEvent(engine::EngineEvent(0, frame::EVT_PANE_SORTED_RANKING, 0, 0));
    }
    FakeConnection connection;
    RecordingHandler handler { *this };
    frame::SubSystem* pane = nullptr;
};

struct Entry {
    int userId;
    int score;
    int rank;
    std::string name;
    int status = 0;
    int out = 0;
};

// The ranking notification's body: head {count, promotion count, players
// left, marking flag} and the entries.
std::vector<uint8_t> RankingBody(const std::vector<Entry>& entries, int promoted, int left, bool marking,
    std::optional<int> claimedCount = std::nullopt)
{
    std::vector<uint8_t> body(frame::MatchRanking::kHeadSize + entries.size() * frame::MatchRankingEntry::kSize);
    StoreLe32(body.data() + 4, static_cast<uint32_t>(claimedCount.value_or(static_cast<int>(entries.size()))));
    StoreLe32(body.data() + 8, static_cast<uint32_t>(promoted));
    StoreLe32(body.data() + 12, static_cast<uint32_t>(left));
    StoreLe32(body.data() + 20, marking ? 1u : 0u);
    for (size_t i = 0; i < entries.size(); ++i) {
        frame::MatchRankingEntry e;
        e.SetUserId(entries[i].userId);
        e.SetMatchScore(entries[i].score);
        e.SetRankingKey(entries[i].rank);
        e.SetStatus(entries[i].status);
        e.SetOut(entries[i].out);
        e.SetName(entries[i].name);
        std::copy(e.Bytes().begin(), e.Bytes().end(), body.begin() + 24 + i * 64);
    }
    return body;
}

// Twelve players; the own user ranks 5th and is listed in the middle.
std::vector<Entry> TwelvePlayers()
{
    std::vector<Entry> entries;
    const char* names[] = { "张三", "李四", "王五", "赵六", "钱七", "孙八", "周九", "吴十", "郑一", "冯二", "陈三",
        "褚四" };
    for (int i = 0; i < 12; ++i)
        entries.push_back({ 2000 + i, 1000 - 10 * i, i + 1, names[i] });
    entries[4].userId = kOwnId;
    entries[4].name = "我自己";
    return entries;
}

class MatchList : public SidePaneHost {
protected:
    void SetUp() override
    {
        SidePaneHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture(MatchListBar::kBarPicture, kWidth, kBarHeight, 0x204020);
        MakePicture(MatchListBlock::kPicture, kWidth - 12, kRowHeight, 0x80C080, 5, 0);
        MakePicture(MatchListBar::kRankDigits, 10, 16, 0xFFFFFF, 10, 0);
        MakePicture(MatchListBar::kRestDigits, 8, 12, 0xFFFFFF, 10, 0);
        MakePicture(MatchListBar::kDivisionPicture, 6, 14, 0xFFFFFF);
        MakePicture("Character0Type2", 48, 48, 0x3060A0);
        const char* bar[] = { "sb_track", "sb_thumb", "sb_pattern", "sb_up", "sb_down" };
        for (int i = 0; i < 5; ++i) {
            MakePicture(bar[i], kScrollBarWidth, 10, 0x808080, i >= 3 ? 4 : 1);
            core().SetStringProperty(engine::PROP_SCROLLBAR_FIRST + i, bar[i]);
        }
        app.GetMatchInfo().SetMatchName("周末欢乐赛");
        MakePane();
    }
    void MakePane()
    {
        auto made = std::make_unique<frame::SubSystem>();
        made->SetName("SubSystem");
        pane = static_cast<frame::SubSystem*>(root->RegisterObject(std::move(made)));
        pane->SetZ(10);
        pane->SetRect({ 0, kPaneTop, kWidth, kPaneTop + 400 });
        app.pane = pane;
        Frame();
    }
    MatchListBar* Bar() { return dynamic_cast<MatchListBar*>(pane->FindObjectByName(frame::kMatchListBarName)); }
    MatchPlayerList* List() { return Bar()->GetPlayerList(); }
    void Rank(const std::vector<uint8_t>& body)
    {
        app.handler.Dispatch(kRankingNotification, body.data(), body.size());
        Frame();
    }
    void PaneEvent(int code, intptr_t param = 0)
    {
        pane->OnEvent(engine::EngineEvent(0, code, static_cast<engine::MessageWord>(param), 0));
    }
    std::vector<MatchListBlock*> Rows()
    {
        std::vector<MatchListBlock*> rows;
        for (const engine::RichTextNode* n = List()->GetFirstNode(); n; n = n->next) {
            if (n->flags & engine::NODE_OBJECT)
                rows.push_back(dynamic_cast<MatchListBlock*>(List()->FindObjectById(static_cast<int>(n->code))));
        }
        return rows;
    }
    void Seat(int chair, int userId)
    {
        frame::PlayerRecord* seat = app.GetSeatPlayer(chair);
        seat->SetUserId(userId);
        seat->SetChair(chair);
    }
    void RightClick(const engine::EngineObject& object)
    {
        const int x = static_cast<int>(object.GetX());
        const int y = static_cast<int>(object.GetY());
        MoveMouse(x, y);
        Mouse(platform::kWmRButtonDown, x, y);
        Mouse(platform::kWmRButtonUp, x, y);
    }
    void Click(const engine::EngineObject& object)
    {
        ClickAt(static_cast<int>(object.GetX()), static_cast<int>(object.GetY()));
    }
    frame::FramePopupMenu* Menu() { return List()->GetMenu(); }
    bool MenuShown() { return Menu()->GetCanvas()->IsShown(); }
    // A clock started or resumed counts from the next frame on.
    void ClockEvent(int code)
    {
        PaneEvent(code);
        Frame();
    }
    // Seconds pass in tenths.
    void Seconds(int count)
    {
        for (int i = 0; i < count * 10; ++i)
            Frame(MatchListBar::kClockInterval / 10);
    }
    void SetSecondsToStart(int seconds)
    {
        StoreLe32(app.GetMatchStateBlock().MutableBytes().data() + 32, static_cast<uint32_t>(seconds));
    }

    MatchApp app;
    frame::SubSystem* pane = nullptr;
};

TEST_F(MatchList, TheMatchPaneShowsTheMatchListInPlaceOfTheOtherLists)
{
    MatchListBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(pane->FindObjectByName(frame::kAdvertBarName), nullptr);
    EXPECT_EQ(pane->FindObjectByName(frame::kUserListBarName), nullptr);
    EXPECT_EQ(bar->GetTop(), kPaneTop);
    EXPECT_EQ(bar->GetHeight(), kBarHeight);
    // The list fills the bar's bottom less 6 pixels, 6 pixels in from each side.
    EXPECT_EQ(List()->GetBottom(), kPaneTop + kBarHeight - 6);
    EXPECT_EQ(List()->GetViewWidth(), kWidth - 12);
    EXPECT_GT(List()->GetZ(), bar->GetZ());
    EXPECT_EQ(Menu()->GetCanvas()->GetWidth(), MatchPlayerList::kMenuWidth);
}

TEST_F(MatchList, TheStatusLineCountsSignUpsThenRunsTheMatchClock)
{
    PaneEvent(frame::EVT_CHILD_SIGNED_UP, 37);
    EXPECT_EQ(Bar()->GetStatusLine(),
        "    <rgb=115,226,149>本场比赛当前<rgb=255,255,255> 37 <rgb=115,226,149>人报名。");

    ClockEvent(frame::EVT_CHILD_MATCH_BEGIN);
    EXPECT_TRUE(Bar()->IsClockRunning());
    Seconds(1);
    // Without a match seat the line has no round number.
    EXPECT_EQ(Bar()->GetStatusLine(),
        "           <rgb=115,226,149>比赛进行:<rgb=198,255,10>00小时00分01秒");
    frame::MatchSeatRecord* seat = app.GetMatchSeat(0);
    seat->SetUserId(kOwnId);
    seat->SetPlayed(4);
    Seconds(61);
    EXPECT_EQ(Bar()->GetStatusLine(), " <rgb=115,226,149>总第<rgb=198,255,10> 05 <rgb=115,226,149>局   "
                                      "比赛进行:<rgb=198,255,10>00小时01分02秒");

    // Once the match has begun sign-ups no longer show.
    app.GetMatchStateBlock().SetStage(frame::MatchStateBlock::kStageFinals);
    const std::string running = Bar()->GetStatusLine();
    PaneEvent(frame::EVT_CHILD_SIGNED_UP, 40);
    EXPECT_EQ(Bar()->GetStatusLine(), running);

    PaneEvent(frame::EVT_PANE_MATCH_OVER);
    EXPECT_FALSE(Bar()->IsClockRunning());
    Seconds(3);
    EXPECT_EQ(Bar()->GetElapsedSeconds(), 62);
}

TEST_F(MatchList, AMatchEnteredWhileRunningResumesItsClock)
{
    struct Case {
        int secondsToStart;
        bool runs;
        const char* shownAfterOneSecond;
    };
    const Case cases[] = {
        { 10, false, "" },
        { 0, false, "" },
        { -59, true, "00小时01分00秒" },
        { -3599, true, "01小时00分00秒" },
        { -90061, true, "25小时01分02秒" },
    };
    for (const Case& c : cases) {
        Bar()->StopClock();
        SetSecondsToStart(c.secondsToStart);
        pane->RefreshMatchList();
        Frame();
        EXPECT_EQ(Bar()->IsClockRunning(), c.runs) << c.secondsToStart;
        if (!c.runs)
            continue;
        Seconds(1);
        const std::string& line = Bar()->GetStatusLine();
        EXPECT_EQ(line.substr(line.size() - std::string(c.shownAfterOneSecond).size()), c.shownAfterOneSecond)
            << c.secondsToStart;
    }
    // Starting again does not add a second clock.
    PaneEvent(frame::EVT_CHILD_MATCH_BEGIN);
    ClockEvent(frame::EVT_CHILD_MATCH_BEGIN);
    Seconds(3);
    EXPECT_EQ(Bar()->GetElapsedSeconds(), 3);
}

TEST_F(MatchList, TheRankingArrivesSortedWithTheOwnRowFirstAndRowKindsByPromotion)
{
    struct Case {
        bool marking;
        int promoted;
        std::vector<int> kinds;
    };
    const Case cases[] = {
        { true, 3, { 5, 2, 1, 4, 3, 4, 3, 4, 3, 4, 3, 4 } },
        { false, 3, { 5, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4 } },
    };
    for (const Case& c : cases) {
        Rank(RankingBody(TwelvePlayers(), c.promoted, 12, c.marking));
        const std::vector<MatchListBlock*> rows = Rows();
        ASSERT_EQ(rows.size(), 12u);
        std::vector<int> kinds;
        std::vector<std::string> names;
        for (MatchListBlock* row : rows) {
            kinds.push_back(row->GetRowKind());
            names.push_back(row->GetName());
        }
        EXPECT_EQ(kinds, c.kinds) << c.marking;
        // The own entry first, then the others by rank.
        EXPECT_EQ(names, (std::vector<std::string> { "我自己", "张三", "李四", "王五", "赵六", "孙八", "周九", "吴十",
                             "郑一", "冯二", "陈三", "褚四" }));
        EXPECT_EQ(rows[0]->GetCanvas()->GetBufferHeight(), kRowHeight);
        // Rows lie one under the other from the list's top.
        EXPECT_EQ(rows[1]->GetTop() - rows[0]->GetTop(), kRowHeight);
        EXPECT_EQ(rows[0]->GetTop(), List()->GetTop());
    }
}

TEST_F(MatchList, RowsNarrowWhileTheScrollBarShows)
{
    std::vector<Entry> players = TwelvePlayers();
    Rank(RankingBody(players, 0, 12, false));
    // Twelve rows are more than the list shows: its scroll bar is the
    // frame's, and the rows leave room for it.
    auto* scroll = dynamic_cast<frame::FrameScrollBar*>(List()->GetVerticalBar());
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->IsShown());
    EXPECT_EQ(List()->GetViewWidth(), kWidth - 12 - kScrollBarWidth);
    for (MatchListBlock* row : Rows())
        EXPECT_EQ(row->GetCanvas()->GetBufferWidth(), kWidth - 12 - kScrollBarWidth);

    players.resize(3);
    Rank(RankingBody(players, 0, 3, false));
    EXPECT_FALSE(scroll->IsShown());
    for (MatchListBlock* row : Rows())
        EXPECT_EQ(row->GetCanvas()->GetBufferWidth(), kWidth - 12);
}

TEST_F(MatchList, ThePortraitAsksForThePlayersOwnDetails)
{
    engine::CanvasObject* portrait = Bar()->GetPortrait();
    EXPECT_EQ(portrait->GetX(), Bar()->GetLeft() + 36);
    EXPECT_EQ(portrait->GetY(), Bar()->GetTop() + 120);
    Click(*portrait);
    RightClick(*portrait);
    EXPECT_EQ(app.connection.details, (std::vector<int> { kOwnId, kOwnId }));
}

TEST_F(MatchList, TheRankNumbersCountToTheNewRankAndHideWithNobodyLeft)
{
    std::vector<Entry> entries = TwelvePlayers();
    entries[4].rank = 12;
    Rank(RankingBody(entries, 0, 40, false));
    Frames(60);
    engine::ImageNumber* rank = Bar()->GetRankNumber();
    engine::ImageNumber* rest = Bar()->GetRestNumber();
    EXPECT_EQ(rank->GetValue(), 12);
    EXPECT_EQ(rest->GetValue(), 40);
    const double left = Bar()->GetLeft();
    const double top = Bar()->GetTop();
    EXPECT_TRUE(rank->IsShown() && rest->IsShown() && Bar()->GetDivision()->IsShown());
    // The rank ends where the rest count begins, the mark between them.
    EXPECT_EQ(rank->GetRight(), left + 170);
    EXPECT_EQ(rank->GetY(), top + 115);
    EXPECT_EQ(Bar()->GetDivision()->GetX(), left + 178);
    EXPECT_EQ(rest->GetLeft(), left + 185);

    // 37 after 12 counts in steps of 5 (25 / 5).
    entries[4].rank = 37;
    Rank(RankingBody(entries, 0, 40, false));
    EXPECT_LE(rank->GetValue(), 17);
    Frames(60);
    EXPECT_EQ(rank->GetValue(), 37);

    // A player whose status is -1 sees his rank alone, further right and lower.
    entries[4].status = -1;
    Rank(RankingBody(entries, 0, 40, false));
    EXPECT_TRUE(rank->IsShown());
    EXPECT_FALSE(rest->IsShown() || Bar()->GetDivision()->IsShown());
    EXPECT_EQ(rank->GetRight(), left + 180);
    EXPECT_EQ(rank->GetY(), top + 125);

    Rank(RankingBody(entries, 0, 0, false));
    EXPECT_FALSE(rank->IsShown() || rest->IsShown() || Bar()->GetDivision()->IsShown());
}

TEST_F(MatchList, ARowClickedAsksForThatPlayersDetailsAndHoverHighlights)
{
    Rank(RankingBody(TwelvePlayers(), 0, 12, false));
    MatchListBlock* row = Rows()[2];
    MoveMouse(static_cast<int>(row->GetX()), static_cast<int>(row->GetY()));
    EXPECT_TRUE(row->IsHighlighted());
    MoveMouse(static_cast<int>(row->GetX()), static_cast<int>(Rows()[3]->GetY()));
    EXPECT_FALSE(row->IsHighlighted());
    EXPECT_TRUE(Rows()[3]->IsHighlighted());

    Click(*row);
    EXPECT_EQ(app.connection.details, std::vector<int> { 2001 });
    EXPECT_EQ(List()->GetSelectedRow(), row);
    EXPECT_FALSE(MenuShown());
}

TEST_F(MatchList, TheRowMenuOpensBesideItsRowAndActsOnThatPlayer)
{
    Seat(0, kOwnId);
    Seat(2, 2001);
    Rank(RankingBody(TwelvePlayers(), 0, 12, false));
    MatchListBlock* seated = Rows()[2]; // 李四, 2001
    RightClick(*seated);
    ASSERT_TRUE(MenuShown());
    EXPECT_EQ(Menu()->GetY(), seated->GetY());
    EXPECT_EQ(Menu()->GetRight(), List()->GetRight() - 20);
    frame::FrameMenuItem* call = Menu()->GetItem(1);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->GetCaption(), "呼叫玩家");
    EXPECT_TRUE(call->IsInputEnabled());

    Click(*call);
    EXPECT_FALSE(MenuShown());
    EXPECT_EQ(app.connection.calls, std::vector<int> { 2001 });
    ASSERT_EQ(app.handler.records.size(), 1u);
    const std::vector<uint8_t>& record = app.handler.records[0];
    ASSERT_EQ(record.size(), 40u);
    const WireReader read(record.data(), record.size());
    EXPECT_EQ(read.Int(0), kOwnId);
    EXPECT_EQ(read.Int(12), 0);
    EXPECT_EQ(read.Int(16), 2001);
    EXPECT_EQ(read.Int(20), 2);

    RightClick(*seated);
    Click(*Menu()->GetItem(0)); // 查看详细
    EXPECT_FALSE(MenuShown());
    EXPECT_EQ(app.connection.details, std::vector<int> { 2001 });

    // A player without a chair cannot be called.
    MatchListBlock* away = Rows()[3];
    RightClick(*away);
    ASSERT_TRUE(MenuShown());
    EXPECT_FALSE(call->IsInputEnabled());
    List()->OnEvent(engine::EngineEvent(List()->GetId(), frame::EVT_MATCH_MENU_CALL, 0, 0));
    EXPECT_EQ(app.connection.calls, std::vector<int> { 2001 });
    EXPECT_FALSE(MenuShown());

    // A click anywhere else closes the menu.
    RightClick(*seated);
    ASSERT_TRUE(MenuShown());
    ClickAt(kWidth / 2, 4);
    EXPECT_FALSE(MenuShown());
}

TEST_F(MatchList, ARankingRefreshClosesTheMenuAndItsCommandsThenActOnNoRow)
{
    Seat(0, kOwnId);
    Seat(2, 2001);
    Rank(RankingBody(TwelvePlayers(), 0, 12, false));
    RightClick(*Rows()[2]);
    ASSERT_TRUE(MenuShown());

    Rank(RankingBody(TwelvePlayers(), 0, 12, false));
    EXPECT_EQ(List()->GetSelectedRow(), nullptr);
    EXPECT_FALSE(MenuShown());
    // Commands that were on their way when the rows went do nothing.
    for (int code : { frame::EVT_MATCH_MENU_DETAIL, frame::EVT_MATCH_MENU_CALL, frame::EVT_MATCH_MENU_COPY })
        List()->OnEvent(engine::EngineEvent(List()->GetId(), code, 0, 0));
    EXPECT_TRUE(app.connection.details.empty());
    EXPECT_TRUE(app.connection.calls.empty());
    EXPECT_TRUE(app.handler.records.empty());
}

TEST_F(MatchList, RankingBodiesGiveOnlyTheEntriesTheyHoldWhole)
{
    const std::vector<Entry> players = TwelvePlayers();
    Rank(RankingBody(players, 0, 12, false));
    ASSERT_EQ(Rows().size(), 12u);
    struct Case {
        const char* what;
        std::vector<uint8_t> body;
        size_t rows;
    };
    std::vector<uint8_t> cut = RankingBody(players, 0, 12, false);
    cut.resize(24 + 3 * 64 + 63);
    std::vector<uint8_t> many = RankingBody(std::vector<Entry>(101, players[0]), 0, 101, false);
    const Case cases[] = {
        { "shorter than the head", std::vector<uint8_t>(23, 0), 12 },
        { "claims 12, holds 3 whole", cut, 3 },
        { "claims 50, holds 2", RankingBody({ players[0], players[1] }, 0, 2, false, 50), 2 },
        { "negative count", RankingBody({ players[0] }, 0, 1, false, -5), 0 },
        { "more than a hundred", many, 100 },
    };
    for (const Case& c : cases) {
        Rank(c.body);
        EXPECT_EQ(Rows().size(), c.rows) << c.what;
    }
}

TEST_F(MatchList, TheMatchNameShrinksToFitTheTitle)
{
    struct Case {
        std::string name;
        int fontSize;
    };
    // The title is as wide as the bar (200): 170 pixels for the name.
    const Case cases[] = {
        { "周末欢乐赛", 32 },          // 10 bytes: 16 a byte fits
        { std::string(20, 'a'), 16 }, // 170 / 20 = 8
        { std::string(11, 'a'), 30 }, // 170 / 11 = 15
        { "", 32 },
    };
    for (const Case& c : cases) {
        app.GetMatchInfo().SetMatchName(c.name);
        pane->OnRefresh();
        EXPECT_EQ(Bar()->GetTitleFontSize(), c.fontSize) << c.name;
    }
}

// The same program with a skin that lacks the bar's picture.
class MatchListWithoutSkin : public MatchList {
protected:
    void SetUp() override
    {
        SidePaneHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePane();
    }
};

TEST_F(MatchListWithoutSkin, TheBarStaysEmptyAndThePaneEventsReachNothing)
{
    MatchListBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetPlayerList(), nullptr);
    Rank(RankingBody(TwelvePlayers(), 0, 12, false));
    PaneEvent(frame::EVT_CHILD_MATCH_BEGIN);
    PaneEvent(frame::EVT_CHILD_SIGNED_UP, 3);
    Seconds(2);
    pane->OnRefresh();
    EXPECT_EQ(bar->GetPlayerList(), nullptr);
}

} // namespace
