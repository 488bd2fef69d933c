// The match panels in the headless host window with the settable clock:
// the countdown's texts and ticks, the sign-up panel and its fee, the final
// states closing the client, the tables still playing, and the result
// panel and match end arriving through the queue.
#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageFont.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/WireReader.h"
#include "frame/ui/MatchPanels.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

using namespace frame;

namespace {

TEST(MatchCountdown, TextNamesOnlyTheUnitsThatMatter)
{
    struct Case {
        int seconds;
        const char* text;
    };
    const Case cases[] = {
        { 86400 + 3600 + 60 + 1, "比赛倒计时:1天1小时1分1秒" },
        { 86400, "比赛倒计时:1天0小时0分0秒" },
        { 3600, "比赛倒计时:1小时0分0秒" },
        { 61, "比赛倒计时:1分1秒" },
        { 59, "比赛倒计时:59秒" },
        { 0, "比赛倒计时:0秒" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchPanels::CountdownText(c.seconds), c.text) << c.seconds;
}

class FakeConnection : public GameConnection {
public:
    int Request201221() override { return ++begun; }
    int Request201231() override { return ++signUps; }
    int Request201232() override { return ++giveUps; }
    int Request201161(std::string&) override { return ++roundChecks; }
    int begun = 0;
    int signUps = 0;
    int giveUps = 0;
    int roundChecks = 0;
};

class TestApp : public CGameFrameApp {
public:
    TestApp()
        : CGameFrameApp("MatchPanelsTest", 21534, 1, 1)
    {
        SetMatchMode(true);
    }
    GameConnection* GetConnection() override { return &connection; }
    int EnterMatchRoom() override { return ++entered; }
    int SendTextToHall(const std::string& text, int) override
    {
        hall.push_back(text);
        return 1;
    }
    FakeConnection connection;
    int entered = 0;
    std::vector<std::string> hall;
};

// The main view as the panels see it: it hands its events to them and
// records what they ask of it.
class FakeView : public engine::BoundObject, public MatchPanelsHost {
public:
    engine::Rect GetTableRect() const override { return { 0, 0, 400, 300 }; }
    void SendToTable(int code, intptr_t) override { toTable.push_back(code); }
    void ShowSystemBoard(const std::string& text, uint32_t, int) override { boards.push_back(text); }
    void HideSystemBoard() override { }
    void AddChatLine(const std::string& text) override { lines.push_back(text); }
    std::string GetCharacterImageName(int, int) override { return "figure"; }
    void RequestPlayerDetail() override { ++details; }
    void BringToFront() override { }
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event.code);
        return panels && panels->OnEvent(event) ? 1 : BoundObject::OnEvent(event);
    }
    MatchPanels* panels = nullptr;
    std::vector<int> toTable;
    std::vector<std::string> boards;
    std::vector<std::string> lines;
    std::vector<int> events;
    int details = 0;
};

void PutInt(uint8_t* bytes, size_t offset, int32_t value)
{
    StoreLe32(bytes + offset, static_cast<uint32_t>(value));
}

class Match : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* name : { "animation_WaitArrangeTable", "animation_NoSignUp", "bit_SelfCancel", "bit_Washout",
                 "animation_MatchBegin", "animation_MatchEnd" })
            MakePicture(name, 60, 40, 0x00ff00, 2);
        MakePicture("btn_signup", 50, 20, 0xff0000, 4, 0);
        MakePicture("btn_giveup", 50, 20, 0x0000ff, 4, 0);
        MakePicture("btn_redcrossEx", 12, 12, 0xff0000, 4, 0);
        MakePicture("btn_Award", 40, 16, 0xffff00, 4, 0);
        MakePicture("btn_ExChange", 44, 16, 0x00ffff, 4, 0);
        MakePicture("MatchResultDlg", 280, 200, 0x202020);
        MakePicture("word_waitmatchstart", 10, 12, 0xffffff, 22);
        MakePicture("digit_waitmatchstart", 8, 12, 0xffffff, 10);
        view = static_cast<FakeView*>(root->RegisterObject(std::make_unique<FakeView>()));
        panels = std::make_unique<MatchPanels>(*view, *view);
        view->panels = panels.get();
        Frame();
    }
    void TearDown() override
    {
        view->panels = nullptr;
        HostEngine::TearDown();
    }
    void SecondsLeft(int seconds) { PutInt(app.GetMatchStateBlock().MutableBytes().data(), 32, seconds); }
    int SecondsLeftNow() const { return static_cast<int>(LoadLe32(app.GetMatchStateBlock().Bytes().data() + 32)); }
    void Advance(uint32_t ms)
    {
        for (uint32_t done = 0; done < ms; done += 100)
            Frame(100);
    }
    std::array<uint8_t, kMatchResultNoticeSize> Result(int place, int awardId, int silver, int coupons, int points)
    {
        std::array<uint8_t, kMatchResultNoticeSize> notice {};
        PutInt(notice.data(), 20, place);
        PutInt(notice.data(), 24, points);
        PutInt(notice.data(), 28, coupons);
        PutInt(notice.data(), 32, silver);
        PutInt(notice.data(), 36, awardId);
        const std::string text = "冠军奖杯";
        std::copy(text.begin(), text.end(), notice.begin() + 44);
        return notice;
    }

    TestApp app;
    FakeView* view = nullptr;
    std::unique_ptr<MatchPanels> panels;
};

TEST_F(Match, TenSecondsShowNineAtOnceAndCountDownToZeroThatStays)
{
    SecondsLeft(10);
    panels->Create();
    panels->OnMatchEnterReply();
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:9秒");
    Advance(1200);
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:8秒");
    EXPECT_FALSE(panels->GetGiveUpButton()->IsShown()) << "within the last minute";
    Advance(8000);
    EXPECT_EQ(SecondsLeftNow(), 0);
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:0秒");
    EXPECT_TRUE(panels->GetCountdownText()->IsShown());
    Advance(3000);
    EXPECT_TRUE(panels->GetCountdownText()->IsShown()) << "the repeat count is spent";
}

TEST_F(Match, OneSecondShowsZeroAtOnceAndTheNextTickHidesIt)
{
    SecondsLeft(1);
    panels->Create();
    panels->StartMatchCountdown();
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:0秒");
    EXPECT_TRUE(panels->GetCountdownText()->IsShown());
    Advance(1100);
    EXPECT_FALSE(panels->GetCountdownText()->IsShown());
}

TEST_F(Match, NoSecondsLeftShowsTheZeroClockAndStartsNothing)
{
    SecondsLeft(0);
    panels->Create();
    panels->StartMatchCountdown();
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:0时0分0秒");
    Advance(2000);
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:0时0分0秒");
    EXPECT_TRUE(panels->GetCountdownText()->IsShown());
}

TEST_F(Match, ALongCountdownKeepsTheGiveUpButtonUntilTheLastMinute)
{
    SecondsLeft(62);
    panels->Create();
    panels->OnMatchEnterReply();
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:1分1秒");
    EXPECT_TRUE(panels->GetGiveUpButton()->IsShown());
    Advance(1200);
    EXPECT_EQ(panels->GetCountdownShown(), "比赛倒计时:1分0秒");
    EXPECT_FALSE(panels->GetGiveUpButton()->IsShown()) << "a minute left";
}

TEST_F(Match, TheSignUpPanelShowsTheFeeRightOfTheButton)
{
    struct Case {
        int kind;
        int fee;
        const char* text;
    };
    const Case cases[] = { { 1, 100, "报名费100两\r\n" }, { 2, 30, "报名费30通宝\r\n" }, { 1, 0, "" } };
    for (const Case& c : cases) {
        auto bytes = app.GetMatchInfo().MutableBytes();
        PutInt(bytes.data(), 1232, c.kind);
        PutInt(bytes.data(), 1236, c.fee);
        MatchPanels fresh(*view, *view);
        view->panels = &fresh;
        fresh.Create();
        fresh.ShowNotSignedUp();
        Frame();
        EXPECT_EQ(fresh.GetFeeShown(), c.text);
        EXPECT_TRUE(fresh.GetSignUpButton()->IsShown());
        EXPECT_GT(fresh.GetSignUpButton()->GetY(), fresh.GetWaitAnimation()->GetBottom()) << "below the animation";
        if (c.fee) {
            EXPECT_GT(fresh.GetFeeText()->GetX(), fresh.GetSignUpButton()->GetRight());
        }
        view->panels = panels.get();
    }
}

TEST_F(Match, SigningUpSendsOnceAndTheButtonComesBackAfterFiveSeconds)
{
    panels->Create();
    panels->ShowNotSignedUp();
    Frame();
    root->SendEvent(engine::EngineEvent(view->GetId(), EVT_MATCH_SIGN_UP));
    EXPECT_EQ(app.connection.signUps, 1);
    EXPECT_FALSE(panels->GetSignUpButton()->IsInputEnabled());
    Advance(5100);
    EXPECT_TRUE(panels->GetSignUpButton()->IsInputEnabled());

    panels->OnSignUpOk();
    EXPECT_EQ(view->boards.back(), "恭喜您，报名成功！");
    EXPECT_EQ(app.entered, 1);
    EXPECT_FALSE(panels->GetSignUpButton()->IsShown());
}

TEST_F(Match, AFinalStateClosesTheClientFifteenSecondsLater)
{
    panels->Create();
    panels->ShowWashout();
    Frame();
    EXPECT_TRUE(panels->GetWaitAnimation()->IsShown());
    Advance(14000);
    EXPECT_EQ(std::count(view->events.begin(), view->events.end(), EVT_MATCH_CLOSE_CLIENT), 0);
    Advance(1500);
    EXPECT_EQ(std::count(view->events.begin(), view->events.end(), EVT_MATCH_CLOSE_CLIENT), 1);
}

TEST_F(Match, TablesStillPlayingTakeOneOrTwoNumbers)
{
    panels->Create();
    auto notice = [](int tables, int promoted) {
        std::array<uint8_t, 64> body {};
        PutInt(body.data(), 20, tables);
        PutInt(body.data(), 24, promoted);
        return body;
    };
    auto a = notice(3, 8);
    panels->ShowTablesRemaining(a.data(), a.size());
    EXPECT_EQ(panels->GetTablesShown(), " 还有3桌游戏中，前8名晋级");
    auto b = notice(3, 0);
    panels->ShowTablesRemaining(b.data(), b.size());
    EXPECT_EQ(panels->GetTablesShown(), "还有3桌游戏中");
    auto c = notice(0, 5);
    panels->ShowTablesRemaining(c.data(), c.size());
    EXPECT_EQ(panels->GetTablesShown(), "还有3桌游戏中") << "no tables leaves the text";
    panels->ShowTablesRemaining(a.data(), 20);
    EXPECT_EQ(panels->GetTablesShown(), "还有3桌游戏中") << "a short notice is ignored";
}

TEST_F(Match, AResultWithoutAnAwardOffersTheExchange)
{
    panels->Create();
    const auto notice = Result(3, 0, 0, 0, 5);
    panels->QueueMatchResult(notice.data(), notice.size());
    Frame();
    ASSERT_NE(panels->GetResultPanel(), nullptr);
    EXPECT_TRUE(panels->GetResultPanel()->IsShown());
    EXPECT_TRUE(panels->GetResultMask()->IsShown());
    EXPECT_EQ(panels->GetRewardShown(), "\r\n\r\n  <c=16776960>段位分   +5");
    root->SendEvent(engine::EngineEvent(view->GetId(), EVT_MATCH_EXCHANGE_PAGE));
    ASSERT_EQ(app.hall.size(), 1u);
    EXPECT_EQ(app.hall[0], "&act=dj");
    EXPECT_EQ(view->toTable, (std::vector<int> { EVT_CHILD_MATCH_RESULT, EVT_CHILD_MATCH_RESULT_SHOWN }));
    EXPECT_EQ(view->details, 1);
}

TEST_F(Match, AnAwardIsListedAndItsPageCarriesTheId)
{
    app.GetMatchInfo().SetAwardUrl("http://award.example/a?u=1");
    panels->Create();
    const auto notice = Result(1, 7, 500, 2, 0);
    panels->QueueMatchResult(notice.data(), notice.size());
    Frame();
    EXPECT_EQ(panels->GetRewardShown(), "\r\n  <c=65535>冠军奖杯\r\n  银两   +500\r\n  奖券   +2\r\n\r\n");
    root->SendEvent(engine::EngineEvent(view->GetId(), EVT_MATCH_AWARD_PAGE));
    ASSERT_EQ(app.hall.size(), 1u);
    EXPECT_EQ(app.hall[0], "http://award.example/a?u=1&act=lj&awardid=7");
}

TEST_F(Match, ASecondResultOnScreenOnlyReplacesTheStoredBlockAndButtonsAreMadeOnce)
{
    panels->Create();
    const auto first = Result(2, 0, 0, 0, 1);
    panels->QueueMatchResult(first.data(), first.size());
    Frame();
    engine::ImageButton* cross = panels->GetRedCross();
    engine::ImageButton* exchange = panels->GetAwardButton();
    const auto second = Result(1, 9, 0, 0, 1);
    panels->QueueMatchResult(second.data(), second.size());
    Frame();
    EXPECT_EQ(panels->GetLastAwardId(), 9);
    EXPECT_EQ(panels->GetRewardShown(), "\r\n\r\n  <c=16776960>段位分   +1") << "not drawn again";

    panels->HideMatchResult();
    const auto third = Result(4, 0, 0, 0, 1);
    panels->QueueMatchResult(third.data(), third.size());
    Frame();
    EXPECT_EQ(panels->GetRedCross(), cross);
    EXPECT_EQ(panels->GetAwardButton(), exchange);
}

TEST_F(Match, EndAndResultInOneFrameAreShownInArrivalOrder)
{
    panels->Create();
    const std::array<uint8_t, kMatchEndNoticeSize> end {};
    const auto result = Result(1, 0, 0, 0, 0);
    panels->QueueMatchEnd(end.data(), end.size());
    panels->QueueMatchResult(result.data(), result.size());
    Frame();
    Frame();
    std::vector<int> shown;
    for (int code : view->events)
        if (code == EVT_MATCH_SHOW_END || code == EVT_MATCH_SHOW_RESULT)
            shown.push_back(code);
    EXPECT_EQ(shown, (std::vector<int> { EVT_MATCH_SHOW_END, EVT_MATCH_SHOW_RESULT }));
    EXPECT_TRUE(panels->GetBanner()->IsShown());
    EXPECT_TRUE(panels->GetResultPanel()->IsShown());
}

TEST_F(Match, AShortResultNoticeIsRefused)
{
    panels->Create();
    const auto notice = Result(1, 0, 0, 0, 0);
    panels->QueueMatchResult(notice.data(), 100);
    Frame();
    EXPECT_EQ(panels->GetResultPanel(), nullptr);
}

TEST_F(Match, TheMatchEndCancelsTheOpeningSequence)
{
    panels->Create();
    panels->OnMatchBegin();
    Frame();
    const std::array<uint8_t, kMatchEndNoticeSize> end {};
    panels->QueueMatchEnd(end.data(), end.size());
    Advance(3000);
    EXPECT_EQ(app.connection.begun, 0) << "the banner's fade never ended";
}

} // namespace
