// What the main view puts in front of the whole table: the system board,
// the message boxes with their depths and their one answer each, the
// sliding popups and the automatic-play animation, with their sounds.

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/SystemInfoBox.h"
#include "tests/frame/ui/GameFrameHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace frame;
using namespace gameframetest;

namespace {

constexpr int kBoardWidth = 270;
constexpr int kBoardHeight = 200;
constexpr uint32_t kAutoPlayColour = 0xC04080;

class BoardsHost : public GameFrameHost {
protected:
    bool StartBoards(bool withBoardPicture = true)
    {
        loadMore = [this, withBoardPicture] {
            if (withBoardPicture)
                Picture("bit_systemboard", kBoardWidth, kBoardHeight, 0x202020);
            Picture("btn_gameset_ok", 40, 20, 0x00FF00, 4);
            Picture("系统信息框_确定", 30, 16, 0x00FF00, 4);
            Picture("系统信息框_取消", 30, 16, 0xFF0000, 4);
            Picture("系统信息框_关闭", 12, 12, 0xFF0000, 4);
            host.AddPicture("animation_autoplaying", 40, 20, 3, 100, [](int frame, int, int) {
                return engine::CanvasObject::MakePixel(kAutoPlayColour + 0x10u * static_cast<uint32_t>(frame),
                    engine::kNoColourKey);
            });
        };
        if (!Start(1600))
            return false;
        gameFrame->SetRect({ 0, 0, kHostWidth, kHostHeight });
        RecordSounds();
        log.clear();
        return true;
    }
    SystemInfoBox* LastBox() const { return Box(gameFrame->GetLastBoxId()); }
    // A removed object's id may be given to a new part; only a box counts.
    SystemInfoBox* Box(int id) const { return dynamic_cast<SystemInfoBox*>(gameFrame->FindObjectById(id)); }
    bool BoxExists(int id) const { return Box(id) != nullptr; }
    // The shown frame's pixel as 0xRRGGBB.
    uint32_t Shown(double x, double y)
    {
        const auto& frame = host.Paint()->FinishedFrame();
        return frame[static_cast<size_t>(y) * kHostWidth + static_cast<size_t>(x)] & 0xFFFFFF;
    }
    // The sign's frames: green 0x40 between two strong channels.
    static bool IsAutoPlay(uint32_t rgb)
    {
        return (rgb >> 8 & 0xFF) == 0x40 && (rgb >> 16 & 0xFF) >= 0x80 && (rgb & 0xFF) >= 0x80;
    }
    // How many pixels of the board's text area are bright (white text on
    // the dark board).
    static int TextPixels(const engine::CanvasObject& board)
    {
        int n = 0;
        for (int y = 50; y < kBoardHeight; ++y)
            for (int x = 0; x < kBoardWidth; ++x)
                n += (board.GetPixel(x, y) & 0xFF) > 0x80;
        return n;
    }
};

// ---- the system board ------------------------------------------------------------

TEST_F(BoardsHost, SystemBoardWithoutItsPictureShowsNothing)
{
    if (!StartBoards(false))
        GTEST_SKIP() << "no video driver";
    gameFrame->ShowSystemBoard("报名失败,请重试!", 0xFFFFFF, 16);
    EXPECT_EQ(gameFrame->GetSystemBoard(), nullptr);
    EXPECT_TRUE(PlayedSounds().empty());
}

TEST_F(BoardsHost, SystemBoardShownTwiceKeepsOneBoardWithTheSecondText)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    gameFrame->ShowSystemBoard("短", 0xFFFFFF, 16);
    engine::CanvasObject* board = gameFrame->GetSystemBoard();
    ASSERT_NE(board, nullptr);
    const engine::Rect table = RectOf(frameView->table);
    EXPECT_DOUBLE_EQ(board->GetX(), table.left + (table.right - table.left) / 2);
    EXPECT_DOUBLE_EQ(board->GetY(), table.top + (table.bottom - table.top) / 3);
    EXPECT_TRUE(board->IsShown());
    EXPECT_EQ(PlayedSounds(), std::vector<std::string> { "snd_dang" });
    const int first = TextPixels(*board);
    EXPECT_GT(first, 0);
    gameFrame->ShowSystemBoard("比赛已经开始了，请耐心等待下一轮比赛的开始", 0xFFFFFF, 16);
    EXPECT_EQ(gameFrame->GetSystemBoard(), board);
    EXPECT_GT(TextPixels(*board), first) << "the longer text replaced the short one";
    Frame();
    Click(board->GetLeft() + 135, board->GetTop() + 163);
    EXPECT_FALSE(board->IsShown()) << "OK hides the board";
}

struct SoundCase {
    const char* name;
    std::function<void(GameFrame&)> open;
    std::vector<std::string> played;
};

class ViewSounds : public BoardsHost, public ::testing::WithParamInterface<SoundCase> { };

TEST_P(ViewSounds, EachBoardPlaysItsSoundOnce)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    app.GetSeatPlayer(1)->SetUserId(55);
    GetParam().open(*gameFrame);
    EXPECT_EQ(PlayedSounds(), GetParam().played);
}

INSTANTIATE_TEST_SUITE_P(Boards, ViewSounds,
    ::testing::Values(
        SoundCase { "SystemBoard", [](GameFrame& f) { f.ShowSystemBoard("通知", 0xFFFFFF, 16); }, { "snd_dang" } },
        SoundCase { "MessageBox", [](GameFrame& f) { f.ShowMessageBox("消息", nullptr, nullptr, 0, 0, ""); },
            { "Snd_msg" } },
        SoundCase { "ReasonBox", [](GameFrame& f) { f.RequestForcedQuit(); }, { "SndHi" } },
        SoundCase { "ExitRequest",
            [](GameFrame& f) {
                const uint8_t body[24] = { 55 };
                f.ShowQuitRequest(body, sizeof body);
            },
            { "SndHi" } },
        // Another player called this one.
        SoundCase { "Called", [](GameFrame& f) { f.PlayViewSound("SndAhoo"); }, { "SndAhoo" } },
        SoundCase { "QuitBoardIsSilent", [](GameFrame& f) { f.ShowQuitConfirmBoard(); }, {} }),
    [](const auto& info) { return std::string(info.param.name); });

// ---- message boxes ----------------------------------------------------------------

TEST_F(BoardsHost, EveryMessageBoxStandsAboveTheOneBefore)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    const int n = gameFrame->GetIntProperty(kPopupCounterProperty);
    gameFrame->ShowMessageBox("第一条", nullptr, nullptr, 0, 0, "");
    SystemInfoBox* first = LastBox();
    gameFrame->ShowConfirmBox("第二条", 0, 0, "");
    SystemInfoBox* second = LastBox();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_DOUBLE_EQ(first->GetZ(), 90000 + 2 * (n + 1));
    EXPECT_DOUBLE_EQ(second->GetZ(), 90000 + 2 * (n + 2));
    EXPECT_EQ(gameFrame->GetIntProperty(kPopupCounterProperty), n + 2);
    // A box stands at the centre at once.
    EXPECT_DOUBLE_EQ(second->GetX(), kHostWidth / 2);
    EXPECT_DOUBLE_EQ(second->GetY(), kHostHeight / 2);
    EXPECT_EQ(PlayedSounds(), (std::vector<std::string> { "Snd_msg", "Snd_msg" }));
}

enum class Answer { Ok, Cancel, Esc, Countdown };

struct AnswerCase {
    const char* name;
    Answer answer;
    Log expected;
};

class ConfirmAnswers : public BoardsHost, public ::testing::WithParamInterface<AnswerCase> { };

// However the confirm box is answered, and however often the player tries
// again afterwards, the view hears one answer.
TEST_P(ConfirmAnswers, ExactlyOneAnswerReachesTheView)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    gameFrame->ShowConfirmBox("确定离开吗?", 3, SIB_TWO_BUTTONS, "");
    SystemInfoBox* box = LastBox();
    ASSERT_NE(box, nullptr);
    engine::EngineObject* ok = box->GetOkButton();
    engine::EngineObject* cancel = box->GetCancelButton();
    Frame();
    const double okX = ok->GetX(), okY = ok->GetY(), cancelX = cancel->GetX(), cancelY = cancel->GetY();
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (GetParam().answer) {
        case Answer::Ok:
            Click(okX, okY);
            break;
        case Answer::Cancel:
            Click(cancelX, cancelY);
            break;
        case Answer::Esc:
            PressEsc();
            break;
        case Answer::Countdown:
            Seconds(5);
            break;
        }
    }
    Seconds(5);
    EXPECT_EQ(log, GetParam().expected);
    EXPECT_FALSE(BoxExists(gameFrame->GetLastBoxId())) << "the box removed itself";
}

INSTANTIATE_TEST_SUITE_P(Boxes, ConfirmAnswers,
    ::testing::Values(AnswerCase { "Ok", Answer::Ok, { "confirm quit" } },
        AnswerCase { "Cancel", Answer::Cancel, { "close window" } },
        AnswerCase { "Esc", Answer::Esc, { "close window" } },
        AnswerCase { "Countdown", Answer::Countdown, { "confirm quit" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardsHost, BoxOpenedFromABoxAnswerIsAnsweredByItself)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    // The first box's OK asks the view to confirm, which opens the refusal.
    frameView->fakeConfirm = false;
    app.connection.refusal = "比赛中不能离开";
    gameFrame->ShowConfirmBox("确定离开吗?", 0, SIB_TWO_BUTTONS, "");
    SystemInfoBox* outer = LastBox();
    ASSERT_NE(outer, nullptr);
    const int outerId = outer->GetId();
    Frame();
    Click(outer->GetOkButton()->GetX(), outer->GetOkButton()->GetY());
    SystemInfoBox* inner = LastBox();
    ASSERT_NE(inner, nullptr);
    EXPECT_NE(inner->GetId(), outerId);
    EXPECT_TRUE(outer->IsAnswered());
    Frames(3);
    EXPECT_FALSE(BoxExists(outerId));
    EXPECT_GT(inner->GetZ(), 90000);
    PressEsc();
    Frames(3);
    EXPECT_FALSE(BoxExists(gameFrame->GetLastBoxId()));
    EXPECT_EQ(log, Log { "201125 0 -1" }) << "the refusal's empty events do nothing";
}

// ---- popups -------------------------------------------------------------------------

TEST_F(BoardsHost, PopupStartsBelowTheWindowAndSlidesIntoTheCorner)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    gameFrame->SlideInPopup(nullptr); // ignored
    const int n = gameFrame->GetIntProperty(kPopupCounterProperty);
    engine::CanvasObject* popup = gameFrame->CreateCanvas(60, 40, 0x808080);
    ASSERT_NE(popup, nullptr);
    gameFrame->SlideInPopup(popup);
    EXPECT_EQ(gameFrame->GetIntProperty(kPopupCounterProperty), n + 1);
    EXPECT_DOUBLE_EQ(popup->GetZ(), 90000 + 10 * (n + 1));
    EXPECT_DOUBLE_EQ(popup->GetTop(), kHostHeight);
    EXPECT_DOUBLE_EQ(popup->GetRight(), kHostWidth - 4);
    Frame();
    EXPECT_LT(popup->GetTop(), kHostHeight);
    Seconds(2);
    EXPECT_DOUBLE_EQ(popup->GetBottom(), kHostHeight - 4);
    EXPECT_DOUBLE_EQ(popup->GetRight(), kHostWidth - 4);
}

// ---- automatic play --------------------------------------------------------------------

TEST_F(BoardsHost, AutoPlayAnimationTurnedOffFirstIsMadeHiddenAndFollowsTheTable)
{
    if (!StartBoards())
        GTEST_SKIP() << "no video driver";
    gameFrame->ShowAutoPlayAnimation(false);
    engine::SpriteObject* sprite = gameFrame->GetAutoPlaySprite();
    ASSERT_NE(sprite, nullptr);
    EXPECT_FALSE(sprite->IsShown());
    EXPECT_DOUBLE_EQ(sprite->GetZ(), kAutoPlayDepth);
    gameFrame->ShowAutoPlayAnimation(true);
    EXPECT_TRUE(sprite->IsShown());
    std::set<int> frames;
    for (int i = 0; i < 10; ++i) {
        Frame(50);
        frames.insert(sprite->GetFrame());
    }
    EXPECT_GE(frames.size(), 2u) << "its frames play";
    EXPECT_TRUE(IsAutoPlay(Shown(sprite->GetX(), sprite->GetY())));
    gameFrame->ShowAutoPlayAnimation(false);
    EXPECT_FALSE(sprite->IsShown());
    Frames(2);
    EXPECT_FALSE(IsAutoPlay(Shown(sprite->GetX(), sprite->GetY()))) << "gone from the screen too";
    const int stopped = sprite->GetFrame();
    Frames(5, 100);
    EXPECT_EQ(sprite->GetFrame(), stopped);
    gameFrame->SetRect({ 0, 0, 300, 200 });
    const engine::Rect table = RectOf(frameView->table);
    EXPECT_DOUBLE_EQ(sprite->GetX(), (table.left + table.right) / 2);
    EXPECT_DOUBLE_EQ(sprite->GetY(), (table.top + table.bottom) / 2);
}

} // namespace
