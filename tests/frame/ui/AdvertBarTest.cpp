// The advertisement bar on the headless host: its two tabs and the
// automatic return to the page on the settable clock, the rooms that show
// only the page, the score table's columns and rows, and the arrows that
// step the table.

#include "SideListFixture.h"

#include "engine/controls/widgets/ImageButton.h"
#include "frame/ui/WebPageCtrl.h"
#include "frame/ui/AdvertBar.h"
#include "frame/ui/FrameScrollBar.h"
#include "frame/ui/GameFrame.h"
#include "platform/IniFile.h"

#include <array>

using namespace frameuitest;
using engine::EngineEvent;
using frame::AdvertBar;

namespace {

constexpr int kStrip = 28;
constexpr int kHeader = 22;
constexpr int kRow = 26;
constexpr int kColumn = 70;
constexpr int kScrollHeight = 10;
constexpr int kBarWidth = 180;

class AdvertBars : public SideListHost {
protected:
    void SetUp() override
    {
        SideListHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        core().SetIntProperty(frame::kSideRowProperty, kStrip);
        core().SetIntProperty(frame::kSideGapProperty, kHeader);
        core().SetIntProperty(frame::kSideSeatRowProperty, kRow);
        core().SetIntProperty(frame::kAdvertHeightProperty, kColumn);
        core().SetIntProperty(frame::kHorzScrollHeightProperty, kScrollHeight);
        MakeScrollPictures(kScrollHeight);
        MakePicture("btnAdvertTab", 60, 24, 0x202020, 4);
        MakePicture("btnScoreTab", 50, 24, 0x303030, 4);
        MakePicture("btnDepositTab", 54, 24, 0x404040, 4);
        MakePicture("bitHistoryTitle", 20, kHeader, 0x505050);
        MakePicture("jf_line", 2, 16, 0x606060);
        Put(0, false, kOwnId, "自己", 0);
        Put(2, false, 2002, "对手", 2);
    }
    AdvertBar* MakeBar()
    {
        bar = static_cast<AdvertBar*>(pane->RegisterObject(std::make_unique<AdvertBar>()));
        bar->SetRect(10, 0, 10 + kBarWidth, 150);
        bar->Layout();
        Frame();
        return bar;
    }
    void Seconds(int s)
    {
        for (int i = 0; i < s * 10; ++i)
            Frame(100);
    }
    void WriteGameSet(int delay, int count)
    {
        const platform::IniFile ini(app->GetGameIniPath());
        ini.WriteInt("GAMESET", "AdvertACSencond", delay);
        ini.WriteInt("GAMESET", "AdvertACMaxCount", count);
    }
    void PlayRounds(int count)
    {
        for (int r = 1; r <= count; ++r) {
            std::array<int32_t, 8> scores {};
            scores[0] = r;
            scores[2] = -r;
            app->AddRoundScores(scores);
        }
    }

    AdvertBar* bar = nullptr;
};

TEST_F(AdvertBars, StartsOnTheScoresAndGoesBackThreeTimes)
{
    MakeBar();
    ASSERT_NE(bar->GetScoreTab(), nullptr);
    EXPECT_EQ(*bar->GetName(), "AdvertBar");
    EXPECT_TRUE(bar->IsScoreTabActive());
    EXPECT_TRUE(bar->GetScoreTab()->IsSelected());
    EXPECT_FALSE(bar->GetPage()->IsShown());
    EXPECT_TRUE(bar->GetHistory()->IsShown());
    MoveMouse(199, 149); // away from the bar
    for (int round = 0; round < 3; ++round) {
        Seconds(9);
        EXPECT_TRUE(bar->IsScoreTabActive()) << round;
        Seconds(2);
        EXPECT_FALSE(bar->IsScoreTabActive()) << round;
        EXPECT_TRUE(bar->GetPage()->IsShown());
        EXPECT_TRUE(bar->GetAdvertTab()->IsSelected());
        EXPECT_FALSE(bar->GetHistory()->IsShown());
        if (round < 2)
            bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_SCORE_TAB));
    }
    // The fourth visit stays until the user changes the tab.
    bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_SCORE_TAB));
    Seconds(30);
    EXPECT_TRUE(bar->IsScoreTabActive());
}

TEST_F(AdvertBars, PointingAtATabOrClickingItSwitchesToIt)
{
    MakeBar();
    const int y = kStrip - 12;
    MoveMouse(10 + 30, y); // the advert tab, 60 wide from the bar's left
    EXPECT_FALSE(bar->IsScoreTabActive());
    EXPECT_TRUE(bar->IsPageVisible());
    MoveMouse(10 + 61 + 25, y); // the score tab, one pixel to its right
    EXPECT_TRUE(bar->IsScoreTabActive());
    EXPECT_FALSE(bar->GetPage()->IsShown());
    ClickAt(10 + 30, y);
    EXPECT_FALSE(bar->IsScoreTabActive());
    EXPECT_TRUE(bar->GetAdvertTab()->IsSelected());
}

TEST_F(AdvertBars, TheMouseOverTheBarHoldsTheScoresAFullDelayMore)
{
    MakeBar();
    MoveMouse(100, 100);
    Seconds(11);
    EXPECT_TRUE(bar->IsScoreTabActive());
    EXPECT_EQ(bar->GetReturnsLeft(), 2);
    MoveMouse(199, 149);
    Seconds(8);
    EXPECT_TRUE(bar->IsScoreTabActive());
    Seconds(2);
    EXPECT_FALSE(bar->IsScoreTabActive());
}

TEST_F(AdvertBars, AClickOnTheTableStopsTheReturnsButNotTheOneArmed)
{
    MakeBar();
    ClickAt(60, 60);
    EXPECT_EQ(bar->GetReturnsLeft(), 0);
    MoveMouse(199, 149);
    Seconds(11);
    EXPECT_FALSE(bar->IsScoreTabActive());
    bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_SCORE_TAB));
    Seconds(30);
    EXPECT_TRUE(bar->IsScoreTabActive());
}

TEST_F(AdvertBars, TheGameSettingsGiveTheDelayAndTheCount)
{
    WriteGameSet(2, 1);
    MakeBar();
    EXPECT_EQ(bar->GetReturnDelay(), 2);
    MoveMouse(199, 149);
    Seconds(3);
    EXPECT_FALSE(bar->IsScoreTabActive());
    bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_SCORE_TAB));
    Seconds(5);
    EXPECT_TRUE(bar->IsScoreTabActive());
}

TEST_F(AdvertBars, ASeatedPlayerInAHiddenRoomSeesOnlyThePage)
{
    WriteGameSet(2, 1);
    app->GetRoomInfo().SetOptionsB(frame::RoomInfo::kOptionB08);
    MakeBar();
    EXPECT_EQ(bar->GetScoreTab(), nullptr);
    EXPECT_EQ(bar->GetHistory(), nullptr);
    EXPECT_EQ(bar->GetReturnDelay(), AdvertBar::kDefaultReturnDelay); // not read
    EXPECT_TRUE(bar->GetPage()->IsShown());
    for (int code : { frame::EVT_SCORE_TAB, frame::EVT_ADVERT_REFRESH, frame::EVT_ADVERT_TAB })
        bar->OnEvent(EngineEvent(bar->GetId(), code));
    Seconds(12);
    EXPECT_TRUE(bar->GetPage()->IsShown());
    EXPECT_TRUE(bar->IsPageVisible());

    // A looker-on of the same room gets both tabs.
    app->GetHallArgs().lookOn = 1;
    pane->RemoveObject(bar, 0);
    MakeBar();
    EXPECT_NE(bar->GetScoreTab(), nullptr);
}

TEST_F(AdvertBars, TheSecondTabOfASilverRoomIsTheDepositTab)
{
    app->GetRoomInfo().SetOptionsA(frame::RoomInfo::kOptionASilver);
    MakeBar();
    ASSERT_NE(bar->GetScoreTab(), nullptr);
    EXPECT_DOUBLE_EQ(bar->GetScoreTab()->GetWidth(), 54);
    // The tabs sit on the top of the content, one pixel apart.
    EXPECT_DOUBLE_EQ(bar->GetAdvertTab()->GetBottom(), kStrip);
    EXPECT_DOUBLE_EQ(bar->GetScoreTab()->GetLeft(), 10 + 60 + 1);
}

TEST_F(AdvertBars, TheTableShowsTheNewestThirtyRoundsWithTotals)
{
    struct Case {
        int rounds;
        int width;
    };
    // Two columns at least (the totals and one round), thirty rounds and the
    // totals at most.
    const Case cases[] = { { 0, 110 + 2 * kColumn }, { 1, 110 + 2 * kColumn }, { 2, 110 + 3 * kColumn },
        { 40, 110 + 31 * kColumn } };
    for (const Case& c : cases) {
        app->ClearScoreHistory();
        PlayRounds(c.rounds);
        MakeBar();
        bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_ADVERT_REFRESH));
        EXPECT_EQ(bar->GetHistory()->GetBufferWidth(), c.width) << c.rounds;
        EXPECT_EQ(bar->GetHistory()->GetBufferHeight(), kHeader + 4 * kRow);
        pane->RemoveObject(bar, 0);
    }
}

TEST_F(AdvertBars, RowsTakeTheOccupiedChairsAndTheNewestRoundComesFirst)
{
    Put(3, false, 3003, "三号", 3);
    PlayRounds(40); // chair 0 scores r in round r, chair 2 -r, chair 3 nothing
    const frame::ScoreTable table = AdvertBar::BuildScoreTable();
    ASSERT_EQ(table.captions.size(), 31u);
    EXPECT_EQ(table.captions[0], "总积分");
    EXPECT_EQ(table.captions[1], "第40局");
    EXPECT_EQ(table.captions[30], "第11局");
    ASSERT_EQ(table.rows.size(), 3u); // chair 1 leaves no gap
    EXPECT_EQ(table.rows[0].name, "自己");
    EXPECT_EQ(table.rows[1].name, "对手");
    EXPECT_EQ(table.rows[2].name, "三号");
    // Totals of all forty rounds; the columns only of the newest thirty.
    EXPECT_EQ(table.rows[0].cells[0], "820");
    EXPECT_EQ(table.rows[1].cells[0], "-820");
    EXPECT_EQ(table.rows[0].cells[1], "40");
    EXPECT_EQ(table.rows[0].cells[30], "11");
    EXPECT_EQ(table.rows[1].cells[11], "-30");
    EXPECT_EQ(table.rows[2].cells[5], "0");

    app->GetRoomInfo().SetOptionsA(frame::RoomInfo::kOptionASilver);
    app->ClearScoreHistory();
    const frame::ScoreTable empty = AdvertBar::BuildScoreTable();
    EXPECT_EQ(empty.captions, std::vector<std::string> { "总银子" });
    EXPECT_EQ(empty.rows[0].cells, std::vector<std::string> { "0" });
}

TEST_F(AdvertBars, TheArrowsStepByColumnsFromOneHundredPixels)
{
    PlayRounds(5); // 110 + 6 * 70 = 530 pixels in a 180-pixel bar
    MakeBar();
    auto offset = [&] { return static_cast<int>(bar->GetLeft() - bar->GetHistory()->GetLeft()); };
    ASSERT_EQ(offset(), 0);
    struct Step {
        int code;
        int offset;
    };
    const Step steps[] = {
        { engine::EVT_SCROLL_RIGHT, 100 }, { engine::EVT_SCROLL_RIGHT, 170 }, { engine::EVT_SCROLL_RIGHT, 240 },
        { engine::EVT_SCROLL_RIGHT, 310 }, { engine::EVT_SCROLL_RIGHT, 350 }, { engine::EVT_SCROLL_RIGHT, 350 },
        { engine::EVT_SCROLL_LEFT, 280 }, { engine::EVT_SCROLL_LEFT, 210 }, { engine::EVT_SCROLL_LEFT, 140 },
        { engine::EVT_SCROLL_LEFT, 0 }, { engine::EVT_SCROLL_LEFT, 0 },
    };
    for (const Step& s : steps) {
        bar->OnEvent(EngineEvent(bar->GetId(), s.code));
        EXPECT_EQ(offset(), s.offset) << s.code;
    }
    // A refresh puts the table back at its left end.
    bar->OnEvent(EngineEvent(bar->GetId(), engine::EVT_SCROLL_RIGHT));
    bar->OnEvent(EngineEvent(bar->GetId(), frame::EVT_ADVERT_REFRESH));
    EXPECT_EQ(offset(), 0);
}

TEST_F(AdvertBars, TheTableIsDrawnInTheSkinsColours)
{
    PlayRounds(3);
    MakeBar();
    engine::CanvasObject* table = bar->GetHistory();
    ASSERT_NE(table, nullptr);
    // Header picture over the first row, the grid's lines at the column
    // and row edges, the background elsewhere.
    const uint32_t title = table->GetPixel(50, 2); // stretched: close to the picture's grey
    for (int shift : { 0, 8, 16 })
        EXPECT_NEAR(static_cast<int>((title >> shift) & 0xff), 0x50, 2);
    EXPECT_EQ(table->GetPixel(110, kHeader + 3), app->GetColorAdvGrid());
    EXPECT_EQ(table->GetPixel(3, kHeader + kRow), app->GetColorAdvGrid());
    EXPECT_EQ(table->GetPixel(100, kHeader + 2 * kRow + 3), app->GetColorAdvBk());
}

} // namespace
