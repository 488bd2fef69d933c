// Leaving a table through the main view: the close decision alone in every
// branch (the window's close handler takes it, GameFrameCloseTest), the
// leave itself, the match quit board, the forced-quit reason box and other
// players' exit requests as the server's bytes bring them.

#include "frame/core/QuitDecision.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/richtext/RichEdit.h"
#include "frame/core/WireReader.h"
#include "frame/ui/SystemInfoBox.h"
#include "tests/frame/ui/GameFrameHost.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace frame;
using namespace gameframetest;

namespace {

// ---- the decision alone ------------------------------------------------------------

struct DecisionCase {
    const char* name;
    QuitFacts facts;
    QuitStep step;
};

class Decision : public ::testing::TestWithParam<DecisionCase> { };

TEST_P(Decision, CloseRequestTakesItsStep)
{
    EXPECT_EQ(DecideQuit(GetParam().facts), GetParam().step);
}

constexpr uint32_t kNow = 500000;

INSTANTIATE_TEST_SUITE_P(Quit, Decision,
    ::testing::Values(
        // lookOn, running, inGame, exitTick, now, mayAsk, locked
        DecisionCase { "LookerOnEvenDuringAGame", { true, true, true, 0, kNow, true, true }, QuitStep::kLeave },
        DecisionCase { "NoGameRunning", { false, false, true, kNow - 1000, kNow, true, true }, QuitStep::kLeave },
        DecisionCase { "RequestOutTwelveSeconds", { false, true, true, kNow - 12000, kNow, true, false },
            QuitStep::kWaitForAnswers },
        DecisionCase { "RequestOutAcrossTheTickWrap", { false, true, true, 0xFFFFF000u, 0x1000u, true, false },
            QuitStep::kWaitForAnswers },
        DecisionCase { "RequestOutThirtySeconds", { false, true, true, kNow - 30000, kNow, true, false },
            QuitStep::kAskOthers },
        DecisionCase { "PendingTickOutsideAGame", { false, true, false, kNow - 1000, kNow, true, false },
            QuitStep::kAskOthers },
        DecisionCase { "NoRequestYet", { false, true, true, 0, kNow, true, true }, QuitStep::kAskOthers },
        DecisionCase { "NoMoreRequestsInALockedRoom", { false, true, true, 0, kNow, false, true },
            QuitStep::kStayLocked },
        DecisionCase { "NoMoreRequests", { false, true, true, 0, kNow, false, false }, QuitStep::kConfirmLeave }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuitTexts, WaitLineCountsDownAndTheLossWordFollowsTheRoom)
{
    EXPECT_EQ(ExitWaitSecondsLeft(kNow - 12000, kNow), 18);
    EXPECT_EQ(ExitWaitSecondsLeft(0xFFFFF000u, 0x1000u), 22) << "8192 ms across the wrap";
    EXPECT_EQ(ExitWaitLine(18), " <c=2906200>已经请求退出，请耐心等候其他玩家回应(18秒)。\r\n");
    EXPECT_NE(ForcedQuitText(true).find("银两"), std::string::npos);
    EXPECT_NE(ForcedQuitText(false).find("积分"), std::string::npos);
}

// ---- the decision through the view ---------------------------------------------

constexpr int kOwnId = 501;
constexpr int kOwnChair = 2;

class QuitHost : public GameFrameHost {
protected:
    bool StartQuit()
    {
        loadMore = [this] {
            Picture("bit_systemboard", 270, 200);
            Picture("bit_SureQuit", 200, 40);
            Picture("btn_gameset_ok", 40, 20, 0x00FF00, 4);
            Picture("btn_gameset_cancel", 40, 20, 0xFF0000, 4);
            Picture("系统信息框_确定", 30, 16, 0x00FF00, 4);
            Picture("系统信息框_取消", 30, 16, 0xFF0000, 4);
            Picture("同意", 30, 16, 0x00FF00, 4);
            Picture("拒绝", 30, 16, 0xFF0000, 4);
        };
        if (!Start(1600))
            return false;
        gameFrame->SetRect({ 0, 0, kHostWidth, kHostHeight });
        app.GetHallArgs().userId = kOwnId;
        app.GetHallArgs().chair = kOwnChair;
        frameView->logBoxes = true;
        log.clear();
        return true;
    }
    // A click at (x, y) from the board's left and top edges, the pair of
    // buttons centred as on a board 345 wide.
    void ClickOnBoard(const engine::EngineObject& board, int x, int y)
    {
        x += static_cast<int>(board.GetLeft()) + (static_cast<int>(board.GetWidth()) - 345) / 2;
        y += static_cast<int>(board.GetTop());
        WindowInput(platform::kWmMouseMove, x, y);
        WindowInput(platform::kWmLButtonDown, x, y);
        WindowInput(platform::kWmLButtonUp, x, y);
    }
};

// The leave confirmation's OK (the window's close handler opens the box).
TEST_F(QuitHost, ConfirmedLeaveLeavesTheSeatAndClosesTheWindow)
{
    if (!StartQuit())
        GTEST_SKIP() << "no video driver";
    frameView->fakeConfirm = false;
    gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_CONFIRM_QUIT, 0, 0));
    // The seat is left: the connection closes before the window does, so
    // the window's close handler does not ask the server again (a server
    // still answering "game running" would otherwise keep the player); that
    // handler, not the view, tells the lobby.
    EXPECT_EQ(log, (Log { "201125 501 2", "connection closed", "close window" }));
}

TEST_F(QuitHost, RefusedLeaveShowsTheServersTextAndKeepsTheWindow)
{
    if (!StartQuit())
        GTEST_SKIP() << "no video driver";
    frameView->fakeConfirm = false;
    app.connection.refusal = "请再等待20秒后离开。";
    gameFrame->ConfirmQuit();
    EXPECT_EQ(log, (Log { "201125 501 2", "box 0  5s: 请再等待20秒后离开。" }));
}

// ---- the forced-quit reason box -------------------------------------------------

// The reason box the window's close handler opens while a game runs; the
// request it sends is what the next close waits for.
TEST_F(QuitHost, ReasonIsSentOnceAndRecordedForTheNextClose)
{
    if (!StartQuit())
        GTEST_SKIP() << "no video driver";
    app.BeginGame();
    gameFrame->RequestForcedQuit();
    ForceQuitReasonBox* box = gameFrame->GetForcedQuitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_DOUBLE_EQ(box->GetZ(), kReasonBoxDepth);
    gameFrame->RequestForcedQuit();
    EXPECT_EQ(gameFrame->GetForcedQuitBox(), box) << "one box while it is shown";
    for (char ch : std::string("sorry"))
        WindowInput(platform::kWmChar, 0, 0, static_cast<uint8_t>(ch));
    const uint32_t sentAt = tick;
    Click(box->GetOkButton());
    EXPECT_EQ(log, (Log { "201212 sorry" }));
    EXPECT_EQ(gameFrame->GetForcedQuitBox(), nullptr);
    EXPECT_EQ(app.state.GetExitRequestCount(), 1);
    EXPECT_NEAR(static_cast<double>(app.state.GetExitRequestTick()), sentAt, 1000);
}

TEST_F(QuitHost, CancelledReasonSendsNothing)
{
    if (!StartQuit())
        GTEST_SKIP() << "no video driver";
    gameFrame->RequestForcedQuit();
    ForceQuitReasonBox* box = gameFrame->GetForcedQuitBox();
    ASSERT_NE(box, nullptr);
    Click(box->GetCancelButton());
    EXPECT_EQ(gameFrame->GetForcedQuitBox(), nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(app.state.GetExitRequestCount(), 0);
}

// ---- the match quit board ----------------------------------------------------------

TEST_F(QuitHost, QuitBoardIsMadeOnceCentredOnTheTableAndCancelHidesIt)
{
    if (!StartQuit())
        GTEST_SKIP() << "no video driver";
    gameFrame->ShowQuitConfirmBoard();
    engine::CanvasObject* board = gameFrame->GetQuitBoard();
    ASSERT_NE(board, nullptr);
    const engine::Rect table = RectOf(frameView->table);
    EXPECT_DOUBLE_EQ(board->GetX(), (table.left + table.right) / 2);
    EXPECT_DOUBLE_EQ(board->GetY(), (table.top + table.bottom) / 2);
    EXPECT_TRUE(board->IsShown());
    Frame();
    ClickOnBoard(*board, 200, 163); // cancel
    EXPECT_FALSE(board->IsShown());
    EXPECT_TRUE(log.empty());
    gameFrame->ShowQuitConfirmBoard();
    EXPECT_EQ(gameFrame->GetQuitBoard(), board);
    EXPECT_TRUE(board->IsShown());
}

// The close handler answers every close of a running match with the board;
// its OK must record the confirmation or the player can never leave.
TEST_F(QuitHost, QuitBoardOkConfirmsLeavingTheRunningMatch)
{
    if (!StartQuit())
        GTEST_SKIP() << "no video driver";
    gameFrame->ShowQuitConfirmBoard();
    engine::CanvasObject* board = gameFrame->GetQuitBoard();
    ASSERT_NE(board, nullptr);
    Frame();
    ClickOnBoard(*board, 145, 163); // OK
    EXPECT_TRUE(app.IsMatchQuitConfirmed());
    EXPECT_EQ(log, Log { "close window" });
}

// ---- other players' requests ---------------------------------------------------------

constexpr int kAsker = 7788;

class QuitRequest : public QuitHost {
protected:
    bool StartRequests()
    {
        if (!StartQuit())
            return false;
        PlayerRecord* seat = app.GetSeatPlayer(1);
        seat->SetUserId(kAsker);
        seat->SetName("老张");
        return true;
    }
    // The notice: the asker, 16 bytes the view does not read, the reason.
    static std::vector<uint8_t> Notice(int asker, const std::string& reason, size_t size = 84)
    {
        std::vector<uint8_t> body(size, 0);
        if (size >= 4)
            StoreLe32(body.data(), static_cast<uint32_t>(asker));
        for (size_t i = 0; i < reason.size() && 20 + i < size; ++i)
            body[20 + i] = static_cast<uint8_t>(reason[i]);
        return body;
    }
    QuitRequestBox* Popup() const { return dynamic_cast<QuitRequestBox*>(frameView->lastPopup); }
};

TEST_F(QuitRequest, BoxSlidesUpIntoTheCornerAndAgreeAnswersTheAsker)
{
    if (!StartRequests())
        GTEST_SKIP() << "no video driver";
    const auto body = Notice(kAsker, "家里有事");
    gameFrame->ShowQuitRequest(body.data(), body.size());
    QuitRequestBox* box = Popup();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetReason(), "家里有事");
    EXPECT_GT(box->GetTop(), kHostHeight - 1) << "starts below the bottom edge";
    Seconds(3);
    EXPECT_NEAR(box->GetBottom(), kHostHeight - 4, 1);
    EXPECT_NEAR(box->GetRight(), kHostWidth - 4, 1);
    Click(box->GetOkButton());
    EXPECT_EQ(log, Log { "201213 7788 1" });
}

TEST_F(QuitRequest, UnansweredBoxRefusesAfterThirtySeconds)
{
    if (!StartRequests())
        GTEST_SKIP() << "no video driver";
    const auto body = Notice(kAsker, "掉线了");
    gameFrame->ShowQuitRequest(body.data(), body.size());
    ASSERT_NE(Popup(), nullptr);
    Seconds(29);
    EXPECT_TRUE(log.empty());
    Seconds(3);
    EXPECT_EQ(log, Log { "201213 7788 0" });
}

struct NoticeCase {
    const char* name;
    int asker;
    std::string reason;
    size_t size;
    bool shown;
    std::string expectedReason;
};

class QuitNotice : public QuitRequest, public ::testing::WithParamInterface<NoticeCase> { };

TEST_P(QuitNotice, ReasonIsReadWithinTheBodyAndItsField)
{
    const NoticeCase& c = GetParam();
    if (!StartRequests())
        GTEST_SKIP() << "no video driver";
    const auto body = Notice(c.asker, c.reason, c.size);
    gameFrame->ShowQuitRequest(body.data(), body.size());
    ASSERT_EQ(Popup() != nullptr, c.shown);
    if (c.shown) {
        EXPECT_EQ(Popup()->GetReason(), c.expectedReason);
    }
}

INSTANTIATE_TEST_SUITE_P(Quit, QuitNotice,
    ::testing::Values(NoticeCase { "UnknownAsker", 1234, "x", 84, false, "" },
        NoticeCase { "NoAskerWord", kAsker, "", 3, false, "" },
        // The body ends before the reason: an empty one.
        NoticeCase { "NoReason", kAsker, "", 8, true, "" },
        NoticeCase { "ReasonCutByTheBody", kAsker, "abcdefghij", 25, true, "abcde" },
        NoticeCase { "ReasonWithoutTerminator", kAsker, std::string(80, 'r'), 120, true, std::string(64, 'r') }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
