// The player detail panel: where it opens, what it reads from the match
// seats and the server's 160-byte record, who is asked at an ordinary
// table, how it fades with the pointer and when it stays pinned.

#include "frame/ui/PlayerDetail.h"

#include "engine/core/InputState.h"
#include "frame/core/WireReader.h"
#include "tests/frame/ui/GameFrameHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace frame;
using namespace gameframetest;

namespace {

// ---- rates and placement -------------------------------------------------------

struct RateCase {
    int won, lost, drawn, disconnects;
    const char* winRate;
    const char* disconnectRate;
};

TEST(DetailRates, NoGamesDivideByNothing)
{
    for (const RateCase& c : { RateCase { 3, 1, 0, 2, "75.00%", "50.00%" }, RateCase { 0, 0, 0, 5, "100%", "0.00%" },
             RateCase { 1, 1, 1, 1, "33.33%", "33.33%" }, RateCase { 0, 7, 0, 0, "0.00%", "0.00%" } }) {
        EXPECT_EQ(WinRate(c.won, c.lost, c.drawn), c.winRate) << c.won << "/" << c.lost << "/" << c.drawn;
        EXPECT_EQ(DisconnectRate(c.disconnects, c.won, c.lost, c.drawn), c.disconnectRate);
    }
}

struct PlaceCase {
    const char* name;
    int x, y;
    int expectedX, expectedY;
};

class Placement : public ::testing::TestWithParam<PlaceCase> { };

// A table {4, 25, 804, 625}, a 200 x 300 panel, a 40-pixel small board.
TEST_P(Placement, PanelOpensAwayFromTheNearerEdges)
{
    const PlaceCase& c = GetParam();
    const DetailPlacement at = PlaceDetailNear({ 4, 25, 804, 625 }, 200, 300, 40, c.x, c.y);
    EXPECT_EQ(at.x, c.expectedX);
    EXPECT_EQ(at.y, c.expectedY);
}

INSTANTIATE_TEST_SUITE_P(Detail, Placement,
    ::testing::Values(
        // Lower right: above and to the left of the cursor.
        PlaceCase { "LowerRight", 700, 500, 600, 350 },
        // Upper left: below and to the right, kept inside by the small board's height.
        PlaceCase { "UpperLeft", 100, 100, 200, 250 },
        PlaceCase { "BottomEdge", 300, 620, 400, 435 },
        PlaceCase { "LeftEdge", 10, 200, 144, 350 },
        PlaceCase { "FarLeftRightHalf", 420, 600, 320, 435 }),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the server's record ------------------------------------------------------------

std::vector<uint8_t> DetailBody(size_t size = MatchPlayerDetail::kSize)
{
    std::vector<uint8_t> b(size, 0);
    auto put = [&](size_t at, int32_t v) {
        if (at + 4 <= b.size())
            StoreLe32(b.data() + at, static_cast<uint32_t>(v));
    };
    put(0, 4242);
    put(16, 9);
    for (size_t i = 20; i < 52 && i < b.size(); ++i)
        b[i] = 'n'; // no terminator inside the 32-byte field
    put(68, 3);
    put(72, 1200);
    put(76, 1500);
    put(80, 30);
    put(84, 10);
    put(88, 0);
    put(116, 2);
    put(120, 1);
    put(124, 1);
    return b;
}

TEST(MatchDetailRecord, ReadsItsFieldsAndRefusesAShortBody)
{
    const auto body = DetailBody();
    const auto d = ReadMatchPlayerDetail(body.data(), body.size());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->userId, 4242);
    EXPECT_EQ(d->figure, 9);
    EXPECT_EQ(d->name, std::string(32, 'n')) << "cut at its field's end";
    EXPECT_EQ(d->level, 3);
    EXPECT_EQ(d->rankPoints, 1200);
    EXPECT_EQ(d->nextLevelPoints, 1500);
    EXPECT_EQ(d->won, 30);
    EXPECT_EQ(d->lost, 10);
    EXPECT_EQ(d->matchWon, 2);
    EXPECT_EQ(d->matchLost, 1);
    EXPECT_EQ(d->matchDrawn, 1);
    EXPECT_FALSE(ReadMatchPlayerDetail(body.data(), body.size() - 1).has_value());
    EXPECT_FALSE(ReadMatchPlayerDetail(nullptr, 0).has_value());
}

TEST(MatchDetailRecord, FromTheSeatAsTheTableGives)
{
    MatchSeatRecord seat;
    auto bytes = seat.MutableBytes();
    auto put = [&](size_t at, int32_t v) { StoreLe32(bytes.data() + at, static_cast<uint32_t>(v)); };
    put(0, 77);
    put(16, 5);
    put(96, 4);
    put(100, 800);
    put(264, 1000);
    put(108, 20);
    put(112, 6);
    put(116, 2);
    put(196, 3);
    put(200, 0);
    put(204, 1);
    const MatchPlayerDetail d = MatchDetailFromSeat(seat);
    EXPECT_EQ(d.userId, 77);
    EXPECT_EQ(d.figure, 5);
    EXPECT_EQ(d.level, 4);
    EXPECT_EQ(d.rankPoints, 800);
    EXPECT_EQ(d.nextLevelPoints, 1000);
    EXPECT_EQ(d.won, 20);
    EXPECT_EQ(d.lost, 6);
    EXPECT_EQ(d.drawn, 2);
    EXPECT_EQ(d.matchWon, 3);
    EXPECT_EQ(d.matchLost, 0);
    EXPECT_EQ(d.matchDrawn, 1);
}

// ---- the panel on the view ---------------------------------------------------------

constexpr int kOwnId = 100;
constexpr int kOtherId = 200;
constexpr int kPanelWidth = 300;
constexpr int kPanelHeight = 320;
constexpr uint32_t kFigureColour = 0x3060C0;

// The figure's colour, give or take the blend's rounding.
bool IsFigure(uint32_t pixel)
{
    for (int shift : { 0, 8, 16 }) {
        const int a = static_cast<int>(pixel >> shift & 0xFF);
        const int b = static_cast<int>(kFigureColour >> shift & 0xFF);
        if (std::abs(a - b) > 2)
            return false;
    }
    return true;
}

class DetailHost : public GameFrameHost {
protected:
    bool StartDetail()
    {
        loadMore = [this] {
            Picture("bit_playerdetail", kPanelWidth, kPanelHeight);
            Picture("btn_redcrossEx", 20, 20, 0xFF0000, 4);
            Picture("btn_buycharacter", 80, 24, 0x00FF00, 4);
            Picture("PlayerBoardSmall", 60, 40);
            Picture("Character5Type3", 135, 270, kFigureColour);
        };
        if (!Start(1600))
            return false;
        gameFrame->SetRect({ 0, 0, 1000, 700 });
        app.GetHallArgs().userId = kOwnId;
        for (int chair : { 0, 1 }) {
            PlayerRecord* seat = app.GetSeatPlayer(chair);
            seat->SetUserId(chair == 0 ? kOwnId : kOtherId);
            seat->SetName(chair == 0 ? "自己" : "对家");
            seat->SetFigure(5);
            seat->SetWon(3);
            seat->SetLost(1);
        }
        log.clear();
        return true;
    }
    void Click(int userId, int x, int y)
    {
        engine::InputState input;
        input.x = x;
        input.y = y;
        gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), EVT_FRAME_BOARD_CLICK, userId, engine::ToWord(&input)));
    }
    void Send(int code, intptr_t param = 0, const engine::InputState* input = nullptr)
    {
        gameFrame->OnEvent(engine::EngineEvent(gameFrame->GetId(), code, static_cast<engine::MessageWord>(param),
            input ? engine::ToWord(const_cast<engine::InputState*>(input)) : 0));
    }
    void MatchSeat(int chair, int userId)
    {
        app.SetMatchMode(true);
        StoreLe32(app.GetMatchSeat(chair)->MutableBytes().data(), static_cast<uint32_t>(userId));
        StoreLe32(app.GetMatchSeat(chair)->MutableBytes().data() + 16, 5);
    }
    engine::CanvasObject* Panel() const { return gameFrame->GetDetailPanel(); }
};

TEST_F(DetailHost, AtAnOrdinaryTableTheLobbyShowsThePlayer)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    Click(kOtherId, 300, 300);
    EXPECT_EQ(log, Log { "lobby shows 200" });
    EXPECT_EQ(Panel(), nullptr) << "the client draws nothing itself";
}

TEST_F(DetailHost, StandAloneDrawsThePanelNearTheCursor)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    app.SetStandAlone(true);
    frameView->cursor = { 700, 500 };
    Click(kOtherId, 0, 0);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_TRUE(Panel()->IsShown());
    EXPECT_EQ(gameFrame->GetShownUserId(), kOtherId);
    EXPECT_EQ(gameFrame->GetShownFigure(), 5);
    EXPECT_DOUBLE_EQ(Panel()->GetZ(), kDetailPanelDepth);
    // Lower right of the table: above and to the left.
    EXPECT_DOUBLE_EQ(Panel()->GetX(), 700 - kPanelWidth / 2);
    EXPECT_DOUBLE_EQ(Panel()->GetY(), 500 - kPanelHeight / 2);
    // The figure is drawn at (10, 10) stretched to 135 x 270.
    EXPECT_TRUE(IsFigure(Panel()->GetPixel(70, 150)));
    EXPECT_FALSE(IsFigure(Panel()->GetPixel(200, 300)));
    EXPECT_TRUE(log.empty());
    // A user no record holds shows nothing.
    Click(999, 0, 0);
    EXPECT_EQ(gameFrame->GetShownUserId(), kOtherId);
}

TEST_F(DetailHost, RoomThatHidesOthersShowsASeatedPlayerOnlyHimself)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    app.GetRoomInfo().SetOptionsB(RoomInfo::kOptionB08);
    Click(kOtherId, 300, 300);
    EXPECT_TRUE(log.empty());
    Click(kOwnId, 300, 300);
    EXPECT_EQ(log, Log { "lobby shows 100" });
    log.clear();
    app.GetHallArgs().lookOn = 1;
    Click(kOtherId, 300, 300);
    EXPECT_EQ(log, Log { "lobby shows 200" }) << "a looker-on sees everybody";
}

TEST_F(DetailHost, MatchSeatFillsThePanelAndAMissingSeatHidesIt)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    MatchSeat(3, kOtherId);
    Click(kOtherId, 300, 300);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(gameFrame->GetShownUserId(), kOtherId);
    EXPECT_TRUE(IsFigure(Panel()->GetPixel(70, 150)));
    EXPECT_TRUE(log.empty()) << "the lobby is not asked in a match";
    Panel()->Show();
    Click(31337, 300, 300);
    EXPECT_EQ(gameFrame->GetShownUserId(), -1);
    EXPECT_EQ(gameFrame->GetShownFigure(), -1);
    EXPECT_FALSE(Panel()->IsShown());
}

TEST_F(DetailHost, PanelFromABoardFadesOutInFiveStepsWhenThePointerLeaves)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    app.SetStandAlone(true);
    Click(kOtherId, 0, 0);
    ASSERT_NE(Panel(), nullptr);
    engine::InputState away;
    away.x = 5;
    away.y = 5;
    Send(EVT_FRAME_DETAIL_LEAVE, 0, &away);
    std::vector<double> steps;
    for (int i = 0; i < 12 && Panel()->IsShown(); ++i) {
        Frame(40);
        const double opacity = Panel()->GetOpacity();
        if (steps.empty() ? opacity < 1.0 : opacity < steps.back() - 1e-9)
            steps.push_back(opacity);
    }
    EXPECT_FALSE(Panel()->IsShown());
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_NEAR(steps[0], 0.8, 1e-9);
    EXPECT_NEAR(steps[4], 0.0, 1e-9);
}

TEST_F(DetailHost, LeavingABoardOntoThePanelKeepsItOpen)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    app.SetStandAlone(true);
    Click(kOtherId, 0, 0);
    ASSERT_NE(Panel(), nullptr);
    engine::InputState onPanel;
    onPanel.hoveredId = Panel()->GetId();
    Send(EVT_FRAME_BOARD_LEAVE, kOtherId, &onPanel);
    Frames(10, 40);
    EXPECT_TRUE(Panel()->IsShown());
    EXPECT_DOUBLE_EQ(Panel()->GetOpacity(), 1.0);
    // Leaving another player's board does not touch this panel.
    engine::InputState away;
    Send(EVT_FRAME_BOARD_LEAVE, kOwnId, &away);
    Frames(10, 40);
    EXPECT_TRUE(Panel()->IsShown());
    Send(EVT_FRAME_BOARD_LEAVE, kOtherId, &away);
    Frames(10, 40);
    EXPECT_FALSE(Panel()->IsShown());
}

TEST_F(DetailHost, ServersRecordPinsThePanelBesideTheUserList)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    const auto body = DetailBody();
    gameFrame->ShowMatchPlayer(body.data(), body.size() - 1);
    EXPECT_EQ(Panel(), nullptr) << "a short record shows nothing";
    gameFrame->ShowMatchPlayer(body.data(), body.size());
    ASSERT_NE(Panel(), nullptr);
    EXPECT_TRUE(gameFrame->IsDetailPinned());
    EXPECT_EQ(gameFrame->GetShownUserId(), 4242);
    const engine::Rect table = RectOf(frameView->table);
    EXPECT_DOUBLE_EQ(Panel()->GetRight(), table.right);
    EXPECT_DOUBLE_EQ(Panel()->GetY(), table.top + (table.bottom - table.top) / 3);
    engine::InputState away;
    Send(EVT_FRAME_DETAIL_LEAVE, 0, &away);
    Frames(10, 40);
    EXPECT_TRUE(Panel()->IsShown()) << "pinned";
    // Within the host's window, to look at the screen.
    Panel()->MoveTo(kHostWidth / 2, kHostHeight / 2);
    Panel()->Invalidate();
    Frames(2);
    const double x = Panel()->GetX() - 100, y = Panel()->GetY();
    const auto& frame = host.Paint()->FinishedFrame();
    auto shown = [&] { return frame[static_cast<size_t>(y) * kHostWidth + static_cast<size_t>(x)] & 0xFFFFFF; };
    const uint32_t panelPixel = shown();
    Send(EVT_FRAME_DETAIL_CLOSE);
    EXPECT_FALSE(Panel()->IsShown());
    EXPECT_FALSE(gameFrame->IsDetailPinned());
    Frames(2);
    EXPECT_NE(shown(), panelPixel) << "gone from the screen too";
}

TEST_F(DetailHost, LobbysPlayerRecordIsDrawnOnlyWhenWhole)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    const PlayerRecord& record = *app.GetSeatPlayer(1);
    const auto& bytes = record.Bytes();
    gameFrame->ShowPlayerDetailPanel(bytes.data(), bytes.size() - 1);
    EXPECT_EQ(Panel(), nullptr) << "a short record shows nothing";
    gameFrame->ShowPlayerDetailPanel(bytes.data(), bytes.size());
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(gameFrame->GetShownUserId(), kOtherId);
    EXPECT_EQ(gameFrame->GetShownFigure(), 5);
}

TEST_F(DetailHost, ShopAndDetailRequestGoOnlyForAShownPlayer)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    Send(EVT_FRAME_BUY_CLOTHES);
    gameFrame->RequestPlayerDetail();
    EXPECT_TRUE(log.empty()) << "no figure, no panel";
    app.SetStandAlone(true);
    Click(kOtherId, 0, 0);
    Send(EVT_FRAME_BUY_CLOTHES);
    gameFrame->RequestPlayerDetail();
    EXPECT_EQ(log, (Log { "shop http://shop.kbzn.net/?clothesid=5", "201230 200" }));
    log.clear();
    Send(EVT_FRAME_SHOP); // the title bar's shop button
    EXPECT_EQ(log, Log { "shop http://shop.kbzn.net/" });
}

TEST_F(DetailHost, FigureWithoutItsFileTakesTheDefaultFigure)
{
    if (!StartDetail())
        GTEST_SKIP() << "no video driver";
    const std::filesystem::path root
        = std::filesystem::temp_directory_path() / ("kbzn-figures-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "0");
    std::ofstream(root / "0" / "48x48.png") << "picture bytes";
    app.characterRoot = root.string();
    EXPECT_EQ(gameFrame->GetCharacterImageName(5, 3), "Character5Type3") << "already a picture";
    EXPECT_EQ(gameFrame->GetCharacterImageName(12, 2), "Character0Type2");
    EXPECT_EQ(gameFrame->GetCharacterImageName(12, 1), "") << "no file of that size at all";
    std::filesystem::remove_all(root);
}

} // namespace
