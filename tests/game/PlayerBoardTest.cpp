// Player boards in a headless host window with a settable clock: names cut
// on character boundaries, where each seat's board, figure and clock stand
// (worked out by hand from the table rectangle), the plate's looks, the
// parts riding on the plate, the remaining cards with the warning lamp, the
// status signs, the score counting up, and the mouse on the plate.

#include "game/FriendPlayerBoard.h"

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "platform/Clock.h"
#include "platform/WindowMessages.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using game::BoardPlayer;
using game::BoardRoom;
using game::CardArea;
using game::CardPoint;

// ---- names -----------------------------------------------------------------------

TEST(BoardName, LongNamesAreCutOnACharacterBoundary)
{
    struct Case {
        const char* what;
        std::string name;
        std::string shown;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"ASCII, exactly 9 bytes", "abcdefghi", "abcdefghi"},
        {"ASCII, 10 bytes", "abcdefghij", "abcdefgh.."},
        {"four characters and a letter fit", "张三丰大a", "张三丰大a"},
        {"five characters: the eighth byte ends one", "张三丰大侠", "张三丰大.."},
        {"a letter first: the eighth byte would split a character", "a张三丰大侠", "a张三丰.."},
        {"a letter first, exactly 9 bytes", "a张三丰大", "a张三丰大"},
        {"letters then a character across the cut", "abcdefg张三", "abcdefg.."},
        {"a character ending on byte 8", "abcdef张三", "abcdef张.."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(game::ShortenBoardName(c.name), c.shown);
    }
}

// ---- the host ----------------------------------------------------------------------

// A board of either layer whose player and room the test sets, and which
// records the sounds it plays.
template <typename Base>
class Fake : public Base {
public:
    Fake(int seat, CardArea table)
        : Base(seat, table)
    {
    }
    BoardPlayer player {501, "赵钱孙", 2, 3300, -1, 77};
    BoardRoom room;
    engine::EngineObject* mainView = nullptr;
    std::vector<std::string> sounds;

protected:
    BoardPlayer GetBoardPlayer(int) const override { return player; }
    BoardRoom GetBoardRoom() const override { return room; }
    engine::EngineObject* GetMainViewObject() const override { return mainView; }
    void PlayBoardSound(std::string_view name) override { sounds.emplace_back(name); }
};

using GameBoard = Fake<game::FriendPlayerBoard>;
using CardBoard = Fake<game::CardPlayerBoard>;

class Recorder : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        return 1;
    }
    std::vector<engine::EngineEvent> events;
};

// The plate is 201 x 45 (odd, so halves truncate), each of its four frames
// a colour of its own; the other pictures are plain blocks of known sizes.
constexpr int kPlateWidth = 201;
constexpr int kPlateHeight = 45;
constexpr CardArea kTable {10, 20, 1000, 700};

uint32_t PlateColour(int frame)
{
    return 0xff000000u | static_cast<uint32_t>(frame + 1) * 0x20;
}

class BoardHost : public ::testing::Test {
protected:
    static constexpr int kWidth = 1040;
    static constexpr int kHeight = 760;

    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create("boards", kWidth, kHeight))
            GTEST_SKIP() << "no video driver";
        ASSERT_TRUE(host.Init(std::make_unique<engine::RectObject>()));
        root = host.GetRootObject();
        root->SetRect({0, 0, kWidth, kHeight});
        host.AddPicture("PlayerBoardSmall", kPlateWidth, kPlateHeight, 4, 0,
            [](int frame, int, int) { return PlateColour(frame); });
        Block("Character2Type1", 32, 32, 0xff10a010);
        Block("Character0Type1", 32, 32, 0xff101010);
        Block("Character2Type3", 135, 270, 0xffc03020);
        Block("animation_AutoPlay", 60, 30, 0xff2050c0);
        Block("animation_Offline", 62, 30, 0xff808080);
        Block("animation_Ready", 90, 40, 0xff20c020);
        Block("rank", 96, 48, 0xffe0c040, 4);
        Block("bit_Duan", 48, 16, 0xffc0c0c0, 12);
        Block("炸弹图标", 50, 30, 0xff202020);
        for (const char* digits : {"digit_restcard", "digit_basescore", "ScoreDigitMatch"})
            Block(digits, 10, 18, 0xfff0d020, 11);
        for (const char* word : {"word_zhang", "str_分", "str_两", "ScoreUniteMatch"})
            Block(word, 18, 18, 0xfff0d020);
        Block("Player_MatchScore", 76, 18, 0xff206040, 2);
        // The lamp flashes in 4 frames of 100 ms.
        host.AddPicture("警灯", 40, 40, 4, 100, [](int, int, int) { return 0xffff2020u; });
        root->SetIntProperty(50019, 110);
        root->SetIntProperty(50016, kPlateHeight);
        Frame();
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Block(const char* name, int w, int h, uint32_t argb, int frames = 1)
    {
        host.AddPicture(name, w, h, frames, 0, [argb](int, int, int) { return argb; });
    }
    void Frame(uint32_t advance = 10)
    {
        m_tick += advance;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    // Runs the engine for ms in steps of 10 ms.
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 10)
            Frame(10);
    }
    template <typename Board>
    Board* Make(int seat, BoardRoom room = {})
    {
        auto board = std::make_unique<Board>(seat, kTable);
        board->room = room;
        auto* made = static_cast<Board*>(root->RegisterObject(std::move(board)));
        EXPECT_NE(made, nullptr);
        return made;
    }
    template <typename Board>
    Board* Seated(int seat, BoardRoom room = {})
    {
        Board* board = Make<Board>(seat, room);
        board->UpdatePlayer(seat);
        board->PlaceBoard();
        Frame();
        return board;
    }
    void Mouse(uint32_t message, int x, int y)
    {
        host.InjectInput(message, x, y);
        // One frame takes the input, the next delivers what it caused.
        Frame();
        Frame();
    }
    // The plate frame the board shows, read from a corner pixel of its
    // canvas (COLORREF: blue in the third byte).
    static int PlateFrame(const game::CardPlayerBoard& board)
    {
        const uint32_t pixel = board.GetBoardCanvas()->GetPixel(2, 2);
        return static_cast<int>(((pixel >> 16) & 0xff) / 0x20) - 1;
    }
    // The finished frame's pixel as 0x00RRGGBB.
    uint32_t Screen(int x, int y)
    {
        return host.Paint()->FinishedFrame()[static_cast<size_t>(y) * kWidth + x] & 0xffffff;
    }

    tools::TestHost host;
    engine::RectObject* root = nullptr;

private:
    uint32_t m_tick = 200000;
};

// ---- placement ---------------------------------------------------------------------

// Table (10, 20, 1000, 700), plate 201 x 45 (half 22), figure 135 x 270.
TEST_F(BoardHost, BoardsAndFiguresStandAtTheirSeats)
{
    struct Case {
        const char* what;
        bool cardLayer;
        int chairs;
        int seat;
        double x, y, angle;
        double fx, fy;
    };
    const Case cases[] = {
        {"game, bottom", false, 4, 0, 510, 698, 0, 510, 541},
        {"game, left", false, 4, 1, 31, 370, 270, 120.5, 370},
        {"game, top", false, 4, 2, 510, 42, 0, 510, 199},
        {"game, right", false, 4, 3, 988, 370, 90, 898.5, 370},
        {"card layer, bottom", true, 4, 0, 510, 698, 0, 510, 540},
        {"card layer, left", true, 4, 1, 31, 370, 270, 122, 370},
        {"card layer, top", true, 4, 2, 510, 42, 0, 510, 200},
        {"card layer, right", true, 4, 3, 988, 370, 90, 898, 370},
        {"card layer, three chairs: seat 2 is the right", true, 3, 2, 988, 370, 90, 898, 370},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardRoom room;
        room.chairs = c.chairs;
        game::CardPlayerBoard* board = c.cardLayer ? static_cast<game::CardPlayerBoard*>(Seated<CardBoard>(c.seat, room))
                                                   : Seated<GameBoard>(c.seat, room);
        EXPECT_DOUBLE_EQ(board->GetX(), c.x);
        EXPECT_DOUBLE_EQ(board->GetY(), c.y);
        EXPECT_DOUBLE_EQ(board->GetAngle(), c.angle);
        const engine::CanvasObject* figure = c.cardLayer ? board->GetFigureCanvas()
                                                         : static_cast<GameBoard*>(board)->GetGameFigure();
        ASSERT_NE(figure, nullptr);
        EXPECT_DOUBLE_EQ(figure->GetX(), c.fx);
        EXPECT_DOUBLE_EQ(figure->GetY(), c.fy);
        board->ClearPlayer();
    }
}

// p = 110 + 45 = 155; bottom row y = 20 + 700 - 155 - 48 = 517.
TEST_F(BoardHost, TurnClockPlacesByLayerSeatModeAndStatus)
{
    struct Case {
        const char* what;
        bool cardLayer;
        int seat;
        int mode;
        bool lookOn;
        int status;
        CardPoint at;
    };
    const Case cases[] = {
        {"game, own, mode 0", false, 0, 0, false, 0, {350, 517}},
        {"game, own, mode 1", false, 0, 1, false, 0, {430, 517}},
        {"game, own, mode 2", false, 0, 2, false, 0, {310, 517}},
        {"game, own, looking on", false, 0, 1, true, 0x10, {510, 517}},
        {"game, own, status 0x10", false, 0, 0, false, 0x10, {390, 517}},
        {"game, own, status 0x40", false, 0, 0, false, 0x40, {430, 517}},
        {"game, left", false, 1, 0, false, 0, {195, 370}},
        {"game, top", false, 2, 0, false, 0, {510, 205}},
        {"game, right", false, 3, 0, false, 0, {825, 370}},
        {"card layer, own, mode 0", true, 0, 0, false, 0x10, {350, 517}},
        {"card layer, own, mode 1", true, 0, 1, false, 0, {430, 517}},
        {"card layer, own, mode 3", true, 0, 3, false, 0, {310, 517}},
        {"card layer, left", true, 1, 0, false, 0, {190, 370}},
        {"card layer, top", true, 2, 0, false, 0, {510, 200}},
        {"card layer, right", true, 3, 0, false, 0, {830, 370}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardRoom room;
        room.lookOn = c.lookOn;
        room.status = c.status;
        game::CardPlayerBoard* board = c.cardLayer ? static_cast<game::CardPlayerBoard*>(Seated<CardBoard>(c.seat, room))
                                                   : Seated<GameBoard>(c.seat, room);
        EXPECT_EQ(board->GetClockPosition(c.mode), c.at);
        board->ClearPlayer();
    }
}

TEST_F(BoardHost, AnimationsStandFurtherInForTallCards)
{
    struct Case {
        int cardHeight;
        int seat;
        double x, y;
    };
    const Case cases[] = {
        {131, 0, 510, 520}, {132, 0, 510, 498}, {131, 1, 210, 370}, {132, 1, 232, 370},
        {132, 2, 510, 242}, {131, 3, 810, 370},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.cardHeight << " seat " << c.seat);
        root->SetIntProperty(50019, c.cardHeight);
        auto* board = Make<GameBoard>(c.seat);
        board->player.figure = 0; // no figure
        board->UpdatePlayer(c.seat);
        board->PlaceBoard();
        board->ShowReady();
        ASSERT_NE(board->GetAnimationSprite(), nullptr);
        EXPECT_DOUBLE_EQ(board->GetAnimationSprite()->GetX(), c.x);
        EXPECT_DOUBLE_EQ(board->GetAnimationSprite()->GetY(), c.y);
        board->ClearPlayer();
    }
}

// Beside the figure when it shows (figure 2: 135 x 270; "animation_Ready"
// 90 wide), else at the layer's own distance from the edge.
TEST_F(BoardHost, AnimationsStandBesideTheFigure)
{
    struct Case {
        const char* what;
        bool cardLayer;
        int figure;
        int seat;
        double x, y;
    };
    const Case cases[] = {
        {"game, own, figure", false, 2, 0, 637, 540},
        {"game, top, figure", false, 2, 2, 637, 220},
        {"game, left, figure", false, 2, 1, 210, 370},
        {"card layer, own, figure", true, 2, 0, 635, 540},
        {"card layer, left, figure", true, 2, 1, 234.5, 370},
        {"card layer, right, figure", true, 2, 3, 785.5, 370},
        {"card layer, own", true, 0, 0, 510, 545},
        {"card layer, left", true, 0, 1, 145, 370},
        {"card layer, top", true, 0, 2, 510, 155},
        {"card layer, right", true, 0, 3, 875, 370},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game::CardPlayerBoard* board = nullptr;
        if (c.cardLayer) {
            auto* card = Make<CardBoard>(c.seat);
            card->player.figure = c.figure;
            board = card;
        } else {
            auto* friendBoard = Make<GameBoard>(c.seat);
            friendBoard->player.figure = c.figure;
            board = friendBoard;
        }
        board->UpdatePlayer(c.seat);
        board->PlaceBoard();
        board->ShowReady();
        EXPECT_EQ(board->IsCharacterFigureShown(), c.figure == 2);
        EXPECT_DOUBLE_EQ(board->GetAnimationSprite()->GetX(), c.x);
        EXPECT_DOUBLE_EQ(board->GetAnimationSprite()->GetY(), c.y);
        board->ClearPlayer();
    }
}

// ---- the plate ---------------------------------------------------------------------

TEST_F(BoardHost, PlateLooksFollowHoverTeamAndTurnByLayer)
{
    auto* game = Seated<GameBoard>(0);
    auto* card = Seated<CardBoard>(2);
    EXPECT_EQ(PlateFrame(*game), 0);
    EXPECT_EQ(PlateFrame(*card), 0);

    // The game's board keeps its plate on turn; the card layer's lights it.
    game->SetActive(1);
    card->SetActive(1);
    EXPECT_EQ(PlateFrame(*game), 0);
    EXPECT_EQ(PlateFrame(*card), 1);
    card->SetActive(0);

    for (auto* board : {static_cast<game::CardPlayerBoard*>(game), static_cast<game::CardPlayerBoard*>(card)})
        board->SendEvent(engine::EngineEvent(board->GetId(), game::EVT_BOARD_MOUSE_ENTER));
    EXPECT_EQ(PlateFrame(*game), 1);
    EXPECT_EQ(PlateFrame(*card), 2);

    game->SetTeamMark(1);
    EXPECT_EQ(PlateFrame(*game), 3);
    game->SendEvent(engine::EngineEvent(game->GetId(), game::EVT_BOARD_MOUSE_LEAVE));
    EXPECT_EQ(PlateFrame(*game), 2);
    EXPECT_EQ(game->GetNameEnd(), kPlateWidth / 2 + 56);
}

TEST_F(BoardHost, BoardWithoutAChairDrawsNothingAndShowsNoSign)
{
    auto* board = Make<GameBoard>(1);
    board->Redraw();
    EXPECT_EQ(board->GetBoardCanvas()->GetPixelAlpha(2, 2), 0);
    board->SetAutoPlay(1);
    EXPECT_FALSE(board->GetStatusSprite()->IsShown());
    EXPECT_FALSE(board->IsShown());
}

// The plate is shown after its parts are reset: parts hidden on their own
// must stay hidden (the score, the bomb badge, the status slot).
TEST_F(BoardHost, ShowingThePlateLeavesItsHiddenPartsHidden)
{
    auto* board = Seated<GameBoard>(0);
    EXPECT_TRUE(board->IsShown());
    EXPECT_FALSE(board->GetScoreNumber()->IsShown());
    EXPECT_FALSE(board->GetBombBadge()->IsShown());
    EXPECT_FALSE(board->GetStatusSprite()->IsShown());

    // Hidden with the plate, back with it.
    board->SetAutoPlay(1);
    board->Hide();
    EXPECT_FALSE(board->GetStatusSprite()->IsShown());
    board->Show();
    EXPECT_TRUE(board->GetStatusSprite()->IsShown());
    EXPECT_FALSE(board->GetScoreNumber()->IsShown());
}

// A part created off screen and then placed shows where it was placed.
TEST_F(BoardHost, PlacedFigureIsDrawnAtItsPlace)
{
    auto* board = Seated<GameBoard>(2);
    ASSERT_TRUE(board->IsCharacterFigureShown());
    Frame();
    // The figure's centre, (510, 199), is the figure picture's red.
    EXPECT_EQ(Screen(510, 199), 0xc03020u);
}

// The card layer turns the figures of the far and right seats to face the
// table; figures 0 and 1 are not drawn.
TEST_F(BoardHost, CardLayerFiguresFaceTheTable)
{
    host.AddPicture("Character7Type3", 135, 270, 1, 0,
        [](int, int x, int) { return x < 67 ? 0xffff0000u : 0xff0000ffu; });
    struct Case {
        int seat;
        int chairs;
        bool mirrored;
    };
    const Case cases[] = {{0, 4, false}, {1, 4, false}, {2, 4, true}, {3, 4, true}, {2, 3, true}, {1, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "seat " << c.seat << " chairs " << c.chairs);
        BoardRoom room;
        room.chairs = c.chairs;
        auto* board = Make<CardBoard>(c.seat, room);
        board->player.figure = 7;
        board->UpdatePlayer(c.seat);
        engine::CanvasObject* figure = board->GetFigureCanvas();
        ASSERT_TRUE(figure->IsShown());
        // COLORREF: red is the low byte.
        const uint32_t leftEdge = figure->GetPixel(0, 100);
        const uint32_t rightEdge = figure->GetPixel(134, 100);
        EXPECT_EQ(leftEdge, c.mirrored ? 0xff0000u : 0x0000ffu);
        EXPECT_EQ(rightEdge, c.mirrored ? 0x0000ffu : 0xff0000u);

        board->player.figure = 1;
        board->Refresh(false, true);
        EXPECT_FALSE(figure->IsShown());
        EXPECT_EQ(figure->GetPixelAlpha(0, 100), 0);
        board->ClearPlayer();
    }
}

// ---- the status slot -----------------------------------------------------------------

TEST_F(BoardHost, StatusSignsPulseAndGiveWayToTheRankBadge)
{
    BoardRoom match;
    match.match = true;
    auto* board = Make<GameBoard>(1, match);
    board->player.matchRank = 5;
    board->UpdatePlayer(1);
    board->PlaceBoard();
    engine::SpriteObject* status = board->GetStatusSprite();
    ASSERT_TRUE(status->IsShown());
    EXPECT_EQ(status->GetFrame(), 5);
    EXPECT_EQ(status->GetWidth(), 48);

    board->SetAutoPlay(1);
    EXPECT_EQ(status->GetWidth(), 60);
    Run(600);
    EXPECT_LT(status->GetOpacity(), 1.0);
    EXPECT_GE(status->GetOpacity(), 0.3);

    board->SetOffline(1);
    EXPECT_TRUE(board->IsOffline());
    EXPECT_EQ(status->GetWidth(), 62);

    board->SetOffline(0);
    EXPECT_FALSE(board->IsOffline());
    EXPECT_EQ(status->GetWidth(), 48);
    EXPECT_EQ(status->GetFrame(), 5);
    const double settled = status->GetOpacity();
    Run(600);
    EXPECT_EQ(status->GetOpacity(), 1.0);
    EXPECT_EQ(settled, 1.0);

    // Without a rank the sign goes away; without a chair nothing shows.
    board->player.matchRank = -1;
    board->SetAutoPlay(0);
    EXPECT_FALSE(status->IsShown());
    board->player.matchRank = 5;
    board->ClearPlayer();
    EXPECT_FALSE(status->IsShown());
    EXPECT_FALSE(board->IsShown());
}

// ---- remaining cards and the lamp ----------------------------------------------------

TEST_F(BoardHost, FewCardsShowTheCountAndAlertOnceARound)
{
    auto* board = Seated<GameBoard>(3);
    engine::ImageNumber* remain = board->GetRemainNumber();
    engine::SpriteObject* lamp = board->GetAlertLamp();

    board->SetRemainCards(6);
    board->MoveRemainCards(700, 300);
    EXPECT_FALSE(remain->IsShown());
    EXPECT_TRUE(board->sounds.empty());

    board->SetDealing(true);
    board->SetRemainCards(5);
    board->MoveRemainCards(700, 300);
    EXPECT_FALSE(remain->IsShown());
    EXPECT_TRUE(board->sounds.empty());
    board->SetDealing(false);

    board->MoveRemainCards(700, 300);
    EXPECT_TRUE(remain->IsShown());
    EXPECT_DOUBLE_EQ(remain->GetX(), 700);
    EXPECT_EQ(board->sounds, std::vector<std::string> {"alert"});
    EXPECT_TRUE(lamp->IsShown());
    EXPECT_DOUBLE_EQ(lamp->GetX(), 708);
    EXPECT_DOUBLE_EQ(lamp->GetY(), 308);

    board->SetRemainCards(4);
    board->MoveRemainCards(690, 300);
    EXPECT_TRUE(remain->IsShown());
    EXPECT_EQ(remain->GetValue(), 4);
    EXPECT_EQ(board->sounds.size(), 1u);

    // The lamp flashes through its frames once and goes out.
    Run(500);
    EXPECT_FALSE(lamp->IsShown());

    board->SetRemainCards(0);
    EXPECT_FALSE(remain->IsShown());

    // A new round warns again.
    board->ResetRound();
    board->SetRemainCards(2);
    board->MoveRemainCards(700, 300);
    EXPECT_EQ(board->sounds.size(), 2u);
}

TEST_F(BoardHost, CardLayerShowsTheCountWhateverItIs)
{
    auto* board = Seated<CardBoard>(1);
    board->SetRemainCards(20);
    board->MoveRemainCards(100, 200);
    EXPECT_TRUE(board->GetRemainNumber()->IsShown());
    EXPECT_GT(board->GetRemainCardsWidth(), 0);
    EXPECT_DOUBLE_EQ(board->GetRemainCardsHeight(), 18);
    EXPECT_TRUE(board->sounds.empty());
}

// ---- the score -----------------------------------------------------------------------

TEST_F(BoardHost, ScoreCountsUpInStepsAndLandsOnItsTarget)
{
    auto* board = Seated<GameBoard>(0);
    engine::ImageNumber* score = board->GetScoreNumber();
    board->AddScore(0);
    EXPECT_FALSE(score->IsShown());

    // 12 counts by 12 / 5 + 1 = 3 every 100 ms.
    board->AddScore(12);
    EXPECT_TRUE(score->IsShown());
    std::vector<int> seen {score->GetValue()};
    for (int i = 0; i < 6; ++i) {
        Run(100);
        seen.push_back(score->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<int> {0, 3, 6, 9, 12, 12, 12}));

    // Landed: the number stands after the name, the badge after it.
    const double left = 510 - kPlateWidth / 2.0;
    const double expected = static_cast<int>(left + score->GetWidth() / 2 + board->GetNameEnd() + 10);
    EXPECT_DOUBLE_EQ(score->GetX(), expected);
    EXPECT_DOUBLE_EQ(score->GetY(), board->GetY());

    // -7 passes a step of -7 / 5 + 1 = 0, which counts by 1.
    board->AddScore(-7);
    Run(100);
    EXPECT_EQ(score->GetValue(), 11);
    Run(300);
    EXPECT_EQ(score->GetValue(), 8);
    Run(600);
    EXPECT_EQ(score->GetValue(), 5);

    board->ResetRound();
    EXPECT_EQ(score->GetValue(), 0);
    EXPECT_FALSE(score->IsShown());
}

TEST_F(BoardHost, ReplaySetsTheScoreAtOnce)
{
    BoardRoom replay;
    replay.replay = true;
    auto* board = Seated<GameBoard>(0, replay);
    board->AddScore(40);
    EXPECT_EQ(board->GetScoreNumber()->GetValue(), 40);
}

TEST_F(BoardHost, BombBadgeFollowsTheScoreOrTheSilver)
{
    auto* board = Seated<GameBoard>(2);
    board->SetBombCount(2);
    ASSERT_TRUE(board->GetBombBadge()->IsShown());
    const double left = 510 - kPlateWidth / 2.0;
    double x = 0;
    double y = 0;
    board->GetBombBadgePosition(&x, &y);
    EXPECT_DOUBLE_EQ(x, static_cast<int>(left + board->GetNameEnd() + 40));
    EXPECT_DOUBLE_EQ(y, board->GetY());

    board->AddScore(5);
    Run(300);
    engine::ImageNumber* score = board->GetScoreNumber();
    board->GetBombBadgePosition(&x, &y);
    EXPECT_DOUBLE_EQ(x, static_cast<int>(score->GetX() + score->GetWidth() / 2) + 40);

    board->SetBombCount(0);
    EXPECT_FALSE(board->GetBombBadge()->IsShown());

    // In a silver room the silver stands after the name and the badge
    // after the silver.
    BoardRoom silver;
    silver.silver = true;
    auto* rich = Seated<GameBoard>(0, silver);
    engine::ImageNumber* number = rich->GetSilverNumber();
    ASSERT_TRUE(number->IsShown());
    EXPECT_EQ(number->GetValue(), 3300);
    rich->SetBombCount(1);
    rich->GetBombBadgePosition(&x, &y);
    const double right = number->GetX() + number->GetWidth() / 2;
    EXPECT_DOUBLE_EQ(x, right + 40 + 10);
}

TEST_F(BoardHost, ScoreAndBadgeTurnWithASidePlate)
{
    auto* board = Seated<GameBoard>(1);
    board->AddScore(3);
    Run(200);
    // The plate reads downward on the left: the score lies below its
    // centre, on the plate's axis.
    engine::ImageNumber* score = board->GetScoreNumber();
    EXPECT_NEAR(score->GetX(), board->GetX(), 0.01);
    EXPECT_GT(score->GetY(), board->GetY());
    EXPECT_DOUBLE_EQ(board->GetAngle(), 270);
}

// ---- finishing and resets ------------------------------------------------------------

TEST_F(BoardHost, FinishRankStandsBeforeEachSeat)
{
    struct Case {
        int seat;
        int chairs;
        double x, y;
    };
    const Case cases[] = {
        {0, 4, 510, 630}, {1, 4, 100, 370}, {2, 4, 510, 110}, {3, 4, 920, 370},
        {0, 3, 510, 520}, {1, 3, 210, 370}, {2, 3, 810, 370},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "seat " << c.seat << " chairs " << c.chairs);
        BoardRoom room;
        room.chairs = c.chairs;
        auto* board = Seated<GameBoard>(c.seat, room);
        board->ShowFinishRank(2);
        ASSERT_NE(board->GetFinishRank(), nullptr);
        EXPECT_EQ(board->GetFinishRank()->GetFrame(), 2);
        EXPECT_DOUBLE_EQ(board->GetFinishRank()->GetX(), c.x);
        EXPECT_DOUBLE_EQ(board->GetFinishRank()->GetY(), c.y);
        board->ResetRound();
        EXPECT_FALSE(board->GetFinishRank()->IsShown());
        board->ClearPlayer();
    }
}

TEST_F(BoardHost, ClearPlayerEmptiesTheSeat)
{
    BoardRoom match;
    match.match = true;
    auto* board = Make<GameBoard>(0, match);
    board->player.matchRank = 3;
    board->UpdatePlayer(0);
    board->AddScore(4);
    board->SetBombCount(1);
    board->ShowReady();
    board->SetRemainCards(3);
    board->MoveRemainCards(300, 300);
    board->ClearPlayer();
    EXPECT_EQ(board->GetChair(), -1);
    EXPECT_FALSE(board->IsShown());
    EXPECT_FALSE(board->GetScoreNumber()->IsShown());
    EXPECT_FALSE(board->GetBombBadge()->IsShown());
    EXPECT_FALSE(board->GetRemainNumber()->IsShown());
    EXPECT_FALSE(board->GetAnimationSprite()->IsShown());
    EXPECT_FALSE(board->GetStatusSprite()->IsShown());
    EXPECT_FALSE(board->IsCharacterFigureShown());
    EXPECT_EQ(board->GetBoardCanvas()->FindSubscription(engine::EVT_MOUSE_ENTER), nullptr);
}

// ---- the mouse ----------------------------------------------------------------------

TEST_F(BoardHost, MouseOnThePlateHoversAndAsksForThePlayer)
{
    auto* view = static_cast<Recorder*>(root->RegisterObject(std::make_unique<Recorder>()));
    auto* board = Make<GameBoard>(0);
    board->mainView = view;
    board->UpdatePlayer(0);
    board->PlaceBoard();
    Frame();

    const engine::EngineEvent* left = board->GetBoardCanvas()->FindSubscription(engine::EVT_LBUTTON_DOWN);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->target, view->GetId());
    EXPECT_EQ(left->code, game::EVT_BOARD_PLAYER_DETAIL);
    EXPECT_EQ(left->param, 501);
    const engine::EngineEvent* right = board->GetBoardCanvas()->FindSubscription(engine::EVT_RBUTTON_DOWN);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->code, game::EVT_BOARD_PLAYER_MENU);

    // A second binding replaces the subscriptions rather than adding more.
    board->UpdatePlayer(0);
    size_t position = 0;
    int count = 0;
    while (board->GetBoardCanvas()->FindNextSubscription(engine::EVT_LBUTTON_DOWN, position))
        ++count;
    EXPECT_EQ(count, 1);

    Mouse(platform::kWmMouseMove, 30, 30);
    Mouse(platform::kWmMouseMove, 510 - 60, 698);
    EXPECT_EQ(board->IsHovered(), 1);
    EXPECT_EQ(PlateFrame(*board), 1);
    Mouse(platform::kWmLButtonDown, 510 - 60, 698);
    Mouse(platform::kWmLButtonUp, 510 - 60, 698);
    ASSERT_FALSE(view->events.empty());
    EXPECT_EQ(view->events.front().code, game::EVT_BOARD_PLAYER_DETAIL);
    EXPECT_EQ(view->events.front().param, 501);
    Mouse(platform::kWmMouseMove, 30, 30);
    EXPECT_EQ(board->IsHovered(), 0);
}

} // namespace
