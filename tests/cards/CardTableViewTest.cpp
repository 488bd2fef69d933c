// The card table view: chairs mapped to screen seats (own chair at the
// bottom, then left, top and right) with the play order; every event code
// routed to its operation; on the headless host, what creation builds, the
// layout of buttons, clock and cards at the three table widths against the
// formulas, the start button and the waiting animation beside a character
// figure, clicks on the real buttons, and the click layer ending automatic
// play only on a press on the bare table.

#include "cards/CardTableView.h"

#include "tests/cards/CardTableFixture.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/InputState.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/GameState.h"
#include "cards/CardGameApp.h"
#include "platform/Clock.h"
#include "platform/WindowMessages.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

using TestApp = game::testing::TableApp;
using game::testing::TurnState;

// A view whose hooks write their calls into a log; boards are stand-in
// objects that may show a character figure and tell where the clock goes.
class RecordingView : public game::CardTableView {
public:
    explicit RecordingView(Log& log)
        : m_log(log)
    {
    }
    void OnCardEvent(const engine::EngineEvent& e) override { Note("card " + std::to_string(e.code)); }
    void OnStartClicked() override { Note("start"); }
    void AnswerViewCards(engine::MessageWord requester, engine::MessageWord allow) override
    {
        Note("answer " + std::to_string(requester) + " " + std::to_string(allow));
    }
    void RefreshMyBoard() override { Note("refresh my board"); }
    void RefreshBoards() override { Note("refresh boards"); }
    void RefreshSeatedBoards() override { Note("refresh seated"); }
    void OnPlayerEnter(engine::MessageWord) override { Note("player enter"); }
    void OnPlayerLeave(engine::MessageWord) override { Note("player leave"); }
    void OnLookerEnter(engine::MessageWord) override { Note("looker enter"); }
    void OnLookerLeave(engine::MessageWord) override { Note("looker leave"); }
    void OnRandomSeat() override { Note("random seat"); }
    void OnTableChanged() override { Note("table changed"); }
    void ShowMatchRanks() override { Note("match ranks"); }
    void RedrawMyBoard() override { Note("redraw my board"); }
    void StopTurnClock() override { Note("stop clock"); }
    void ApplySoundSettings() override { Note("sound settings"); }
    void RequestChangeTable() override { Note("change table"); }
    void RequestNewTable() override { Note("new table"); }
    void DealStep() override { Note("deal step"); }
    void OnClockTick() override { Note("clock tick"); }
    void OnRoundCleared() override { Note("round cleared"); }
    void OnTableArranged() override { Note("arranged"); }
    void OnTableReset() override { Note("reset"); }
    void ResetRoundState() override { Note("reset round"); }
    void OnThrowClicked() override { Note("throw"); }
    void OnPassClicked() override { Note("pass"); }
    void OnHintClicked() override { Note("hint"); }
    void SelectSingles(int code) override { Note("singles " + std::to_string(code)); }
    void SelectPairs(int code) override { Note("pairs " + std::to_string(code)); }
    void SelectTriples(int code) override { Note("triples " + std::to_string(code)); }
    void SelectBombs(int code) override { Note("bombs " + std::to_string(code)); }
    void ToggleSortBySize() override { Note("sort by size"); }
    void ToggleSortByCount() override { Note("sort by count"); }
    void ToggleSortMode3() override { Note("sort mode 3"); }
    void OnAutoPlayClicked() override { Note("auto play"); }
    void OnCheckResultClicked() override { Note("check result"); }
    void AskViewCards() override { Note("ask view"); }
    void CloseResultPanel() override { Note("close result"); }
    void ContinueGame() override { Note("continue"); }
    void SendPlayOption(int option, int value) override
    {
        Note("option " + std::to_string(option) + " " + std::to_string(value));
    }
    void OnTableNotice(const uint8_t*, size_t size) override { Note("table notice " + std::to_string(size)); }

    void CreatePlayerBoard(int chair, int position) override
    {
        Note("board " + std::to_string(chair) + "@" + std::to_string(position));
        if (IsAttached())
            SetBoard(position, CreateObject());
    }
    bool BoardShowsCharacter(int position) const override { return position == 0 && ownFigure; }
    bool GetBoardClockPosition(int position, bool noLastPlay, game::CardPoint& out) const override
    {
        out = { 100 * position + (noLastPlay ? 1 : 0), 50 };
        return true;
    }

    std::string CharacterPictureName(int figure) const override { return "figure" + std::to_string(figure); }
    void BindOwnBoard(int chair) override { Note("bind own board " + std::to_string(chair)); }
    void OpenReplayFile(engine::EngineObject*, const std::string& path) override { Note("open " + path); }

protected:
    std::unique_ptr<engine::EngineObject> MakeReplayRecorder(bool) override
    {
        return std::make_unique<engine::RectObject>();
    }

public:
    bool ownFigure = false;
    bool logging = true;

private:
    void Note(const std::string& line)
    {
        if (logging)
            m_log.push_back(line);
    }
    Log& m_log;
};

// ---- seat mapping ----------------------------------------------------------------------

TEST(CardTableSeats, ChairsMapToSeatsCountedFromTheOwnChair)
{
    struct Case {
        int chairs;
        int own;
        std::vector<int> seatOfChair; // chairs 0..chairs, the last one absent
        std::vector<int> chairAtSeat; // seats 0..chairs, the last one past the table
        std::vector<int> prevChair;   // the next player in play order
        std::vector<int> prevSeat;
        std::vector<int> nextSeat;
    };
    const Case cases[] = {
        { 4, 0, { 0, 1, 2, 3, -1 }, { 0, 1, 2, 3, -1 }, { 3, 0, 1, 2 }, { 3, 0, 1, 2 }, { 1, 2, 3, 0 } },
        { 4, 2, { 2, 3, 0, 1, -1 }, { 2, 3, 0, 1, -1 }, { 3, 0, 1, 2 }, { 3, 0, 1, 2 }, { 1, 2, 3, 0 } },
        { 4, 3, { 1, 2, 3, 0, -1 }, { 3, 0, 1, 2, -1 }, { 3, 0, 1, 2 }, { 3, 0, 1, 2 }, { 1, 2, 3, 0 } },
        { 3, 1, { 2, 0, 1, -1 }, { 1, 2, 0, -1 }, { 2, 0, 1 }, { 2, 0, 1 }, { 1, 2, 0 } },
        { 3, 2, { 1, 2, 0, -1 }, { 2, 0, 1, -1 }, { 2, 0, 1 }, { 2, 0, 1 }, { 1, 2, 0 } },
    };
    Log log;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.chairs) + " chairs, own " + std::to_string(c.own));
        TestApp app;
        app.chairs = c.chairs;
        app.SetOwnChair(c.own);
        RecordingView view(log);
        for (int chair = 0; chair <= c.chairs; ++chair)
            EXPECT_EQ(view.ChairToView(chair), c.seatOfChair[static_cast<size_t>(chair)]) << "chair " << chair;
        EXPECT_EQ(view.ChairToView(-1), -1);
        for (int seat = 0; seat <= c.chairs; ++seat)
            EXPECT_EQ(view.ViewToChair(seat), c.chairAtSeat[static_cast<size_t>(seat)]) << "seat " << seat;
        EXPECT_EQ(view.ViewToChair(-1), -1);
        for (int i = 0; i < c.chairs; ++i) {
            EXPECT_EQ(view.PrevChair(i), c.prevChair[static_cast<size_t>(i)]);
            EXPECT_EQ(view.NextChair(c.prevChair[static_cast<size_t>(i)]), i);
            EXPECT_EQ(view.PrevViewPos(i), c.prevSeat[static_cast<size_t>(i)]);
            EXPECT_EQ(view.NextViewPos(i), c.nextSeat[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(view.NextViewPos(c.chairs), -1);
    }
}

// ---- event routing -----------------------------------------------------------------------

TEST(CardTableEvents, EveryCodeReachesItsOperation)
{
    struct Case {
        int code;
        const char* call; // nullptr: taken without effect
    };
    const Case cases[] = {
        { 80000109, "card 80000109" }, { 80000113, "card 80000113" }, { 80000116, "card 80000116" },
        { 80000119, "throw" }, { 80000120, "pass" }, { 80000121, "hint" }, { 80000122, "ask view" },
        { 80000123, "ask view" }, { 80000124, "check result" }, { 80000125, "close result" },
        { 80000126, "continue" }, { 80000127, "singles 80000127" }, { 80000128, "pairs 80000128" },
        { 80000129, "triples 80000129" }, { 80000130, "sort by size" }, { 80000131, "bombs 80000131" },
        { 80000132, "sort by count" }, { 80000133, "sort mode 3" }, { 80000134, "auto play" },
        { 80000137, "option 0 1" }, { 80000138, "option 0 2" }, { 80000139, "option 0 3" },
        { 80000140, "option 1 0" }, { 80000143, "pass" }, { 80000002, "arranged" }, { 80000003, "reset" },
        { 80000004, "start" }, { 80000007, "answer 5 1" }, { 80000011, "refresh boards" },
        { 80000012, "refresh seated" }, { 80000013, "refresh seated" }, { 80000014, "player enter" },
        { 80000015, "looker enter" }, { 80000016, "player leave" }, { 80000017, "looker leave" },
        { 80000018, "random seat" }, { 80000020, "table changed" }, { 80000022, "match ranks" },
        { 80000030, "refresh my board" }, { 80000052, "redraw my board" }, { 80000053, "stop clock" },
        { 80000078, nullptr }, { 80000079, "sound settings" }, { 80000095, "change table" },
        { 80000096, "new table" }, { 80000100, "deal step" }, { 80000101, "clock tick" },
        { 80000103, "round cleared" },
        // Codes of no button and of nothing else are taken all the same.
        { 80000117, nullptr }, { 80000136, nullptr }, { 80000141, nullptr },
    };
    TestApp app;
    Log log;
    RecordingView view(log);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        log.clear();
        EXPECT_EQ(view.OnEvent(engine::EngineEvent(0, c.code, 5, 1)), 1);
        EXPECT_EQ(log, c.call ? Log { c.call } : Log {});
    }
    // The frame's table view takes what the card layer does not.
    log.clear();
    std::vector<uint8_t> notice(40, 0);
    notice[32] = 'x';
    view.OnEvent(engine::EngineEvent(0, frame::EVT_TABLE_NOTICE, engine::ToWord(notice.data()), 40));
    EXPECT_EQ(log, (Log { "table notice 40" }));
}

// ---- on the host --------------------------------------------------------------------------

struct Placed {
    int x;
    int y;
    bool operator==(const Placed&) const = default;
};

void PrintTo(const Placed& p, std::ostream* os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

Placed At(const engine::EngineObject* object)
{
    return { static_cast<int>(object->GetX()), static_cast<int>(object->GetY()) };
}

class CardTableHost : public game::testing::TableHostTest {
protected:
    void Make()
    {
        auto made = std::make_unique<RecordingView>(log);
        made->SetName("MainGame");
        view = static_cast<RecordingView*>(host.GetRootObject()->RegisterObject(std::move(made)));
        ASSERT_NE(view, nullptr);
    }

    Log log;
    RecordingView* view = nullptr;
};

TEST_F(CardTableHost, CreationBuildsEveryChildOnce)
{
    Make();
    // Boards at the seats of their chairs, then the round reset (not
    // playing) and the sound settings.
    EXPECT_EQ(log, (Log { "board 0@2", "board 1@3", "board 2@0", "board 3@1", "reset round", "sound settings" }));
    EXPECT_EQ(view->GetBoardCount(), 4);
    ASSERT_EQ(view->GetCreatedCardCount(), 216);
    for (int i = 0; i < 216; ++i)
        ASSERT_FALSE(view->GetCard(i)->IsShown()) << i;
    EXPECT_EQ(view->GetCard(216), nullptr);

    EXPECT_NE(view->FindObjectByName("DigitPen"), nullptr);
    EXPECT_NE(view->FindObjectByName("DigitPen2"), nullptr);
    const engine::EngineObject* digitObjects[] = { view->FindObjectByName("DigitPen"),
        view->FindObjectByName("DigitPen2"), view->GetTurnClock() };
    for (const engine::EngineObject* digits : digitObjects) {
        EXPECT_GE(digits->GetZ(), game::kTableDigitDepth);
        EXPECT_LT(digits->GetZ(), game::kTableDigitDepth + 10);
    }
    EXPECT_EQ(view->GetBackgroundPattern()->GetZ(), game::kBackgroundPatternDepth);
    for (int b = 0; b < game::CardTableView::kButtonCount; ++b) {
        const auto which = static_cast<game::CardTableView::Button>(b);
        ASSERT_NE(view->GetButton(which), nullptr) << b;
        // Above the cards and below the digits (the picture is raised to
        // the top of its depth).
        EXPECT_GE(view->GetButton(which)->GetZ(), game::kTableButtonDepth);
        EXPECT_LT(view->GetButton(which)->GetZ(), game::kTableDigitDepth);
        EXPECT_EQ(view->GetButton(which)->GetHandCursor(), which != game::CardTableView::kAskViewButton);
    }
    // Hidden: the play buttons until the player's turn, and asking to see
    // the cards while seated (it shares its corner with automatic play).
    for (const auto which : { game::CardTableView::kPassButton, game::CardTableView::kThrowButton,
             game::CardTableView::kHintButton, game::CardTableView::kAskViewButton })
        EXPECT_FALSE(view->GetButton(which)->IsShown()) << which;
    EXPECT_TRUE(view->GetButton(game::CardTableView::kAutoPlayButton)->IsShown());
    // New cards stay hidden through a layout, which updates every card.
    view->SetRect({ 0, 0, 900, 700 });
    for (int i = 0; i < 216; ++i)
        ASSERT_FALSE(view->GetCard(i)->IsShown()) << i;
    EXPECT_EQ(view->GetSortMode(), 1);

    log.clear();
    state.playing = true;
    app.GetHallArgs().lookOn = 1;
    Make();
    EXPECT_EQ(log, (Log { "board 0@2", "board 1@3", "board 2@0", "board 3@1", "sound settings" }));
    EXPECT_TRUE(view->GetButton(game::CardTableView::kAskViewButton)->IsShown());
    EXPECT_FALSE(view->GetButton(game::CardTableView::kAutoPlayButton)->IsShown());
}

TEST_F(CardTableHost, LayoutFollowsTheWidthClasses)
{
    using B = game::CardTableView;
    // The buttons in the order of each case's places.
    const B::Button buttons[] = { B::kPassButton, B::kThrowButton, B::kHintButton, B::kBombsButton,
        B::kTriplesButton, B::kPairsButton, B::kSinglesButton, B::kSortByCountButton, B::kSortBySizeButton,
        B::kAutoPlayButton, B::kResultButton, B::kAskViewButton, B::kStartButton };
    struct Case {
        engine::Rect rect;
        int cardHeight; // the big card of the width's size class
        // The play row (pass, throw, hint) centred above the own hand; the
        // sort and select row at the lower right; auto play, result and
        // ask-to-view at the lower left; start three quarters down.
        Placed places[std::size(buttons)];
        Placed passHint;
        Placed background;
    };
    const Case cases[] = {
        { { 10, 20, 810, 620 }, 96, // 800 wide
            { { 330, 439 }, { 410, 439 }, { 490, 439 }, { 793, 603 }, { 763, 603 }, { 733, 603 }, { 703, 603 },
                { 673, 603 }, { 643, 603 }, { 47, 602 }, { 117, 602 }, { 45, 600 }, { 410, 470 } },
            { 410, 467 }, { 410, 320 } },
        { { 0, 30, 1200, 830 }, 110, // 1200 wide
            { { 520, 635 }, { 600, 635 }, { 680, 635 }, { 1183, 813 }, { 1153, 813 }, { 1123, 813 },
                { 1093, 813 }, { 1063, 813 }, { 1033, 813 }, { 37, 812 }, { 107, 812 }, { 35, 810 },
                { 600, 630 } },
            { 600, 663 }, { 600, 430 } },
        { { 40, 25, 1540, 965 }, 132, // 1500 wide
            { { 710, 748 }, { 790, 748 }, { 870, 748 }, { 1523, 948 }, { 1493, 948 }, { 1463, 948 },
                { 1433, 948 }, { 1403, 948 }, { 1373, 948 }, { 77, 947 }, { 147, 947 }, { 75, 945 },
                { 790, 730 } },
            { 790, 776 }, { 790, 495 } },
    };
    Make();
    state.turnChair = 3; // seat 1 with own chair 2
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.right - c.rect.left);
        view->SetRect(c.rect);
        EXPECT_EQ(view->GetIntProperty(game::kPropSmallBoardHeight), kBoardSmallHeight);
        EXPECT_EQ(view->GetIntProperty(game::kPropBigCardWidth), 71);
        EXPECT_EQ(view->GetIntProperty(game::kPropBigCardHeight), c.cardHeight);
        EXPECT_EQ(view->GetIntProperty(game::kPropSmallCardWidth), 50);
        EXPECT_EQ(view->GetIntProperty(game::kPropSmallCardHeight), 68);
        EXPECT_EQ(view->GetIntProperty(game::kPropNoticeChatColour), 0xf67130);
        for (size_t i = 0; i < std::size(buttons); ++i)
            EXPECT_EQ(At(view->GetButton(buttons[i])), c.places[i]) << buttons[i];
        EXPECT_EQ(At(view->GetPassHint()), c.passHint);
        EXPECT_EQ(At(view->GetBackgroundPattern()), c.background);
        // No last play: the board of the turn's seat is asked with 1.
        EXPECT_EQ(At(view->GetTurnClock()), (Placed { 101, 50 }));
        EXPECT_EQ(view->GetCard(0)->GetCardHeight(), c.cardHeight);
    }
}

TEST_F(CardTableHost, FannedHandsLieAtTheSeatsOfTheirChairs)
{
    Make();
    const engine::Rect rect { 10, 20, 1210, 820 }; // 1200 x 800: size class 2
    view->SetRect(rect);
    const int L = 10, T = 20, W = 1200, H = 800;
    const int n = 5;
    const int s = 20; // hand spacing of class 2
    const int cw = 82, ch = 110;
    for (int chair = 0; chair < 4; ++chair)
        for (int i = 0; i < n; ++i) {
            game::CardSprite* card = view->GetCard(chair * n + i);
            card->cardId = chair * n + i;
            card->ownerChair = chair;
            card->seat = view->ChairToView(chair);
            card->order = i;
            card->count = n;
            card->faceUp = card->seat == 0;
            card->selected = 0;
            card->state = game::kCardInHand;
            card->Update();
        }
    struct Row {
        int chair;
        int seat;
        double rotation;
    };
    for (const Row row : { Row { 2, 0, 0 }, Row { 3, 1, 270 }, Row { 0, 2, 0 }, Row { 1, 3, 90 } }) {
        SCOPED_TRACE(row.chair);
        for (int i = 0; i < n; ++i) {
            const game::CardSprite* card = view->GetCard(row.chair * n + i);
            EXPECT_EQ(card->seat, row.seat);
            EXPECT_EQ(card->GetSprite()->GetAngle(), row.rotation);
            const int d = 8; // face-down cards of the other hands
            // The small pictures (68 high) stand on their side at seats 1 and 3.
            const double h = card->GetSprite()->GetHeight();
            Placed expected {};
            switch (row.seat) {
            case 0: expected = { L + W / 2 + s * i + cw / 2 - (cw + s * (n - 1)) / 2, T + (H - ch / 2 - 48) }; break;
            case 1: expected = { L + static_cast<int>(h / 2 + 48), T + H / 2 + (d * n) / 2 - d * i }; break;
            case 2: expected = { L + W / 2 + (d * n) / 2 - d * i, T + static_cast<int>(h / 2 + 48) }; break;
            default: expected = { L + static_cast<int>(W - (h / 2 + 48)), T + H / 2 + d * i - (d * n) / 2 }; break;
            }
            EXPECT_EQ(At(card), expected) << i;
        }
    }
}

TEST_F(CardTableHost, StartButtonAndWaitingMoveAsideForTheCharacterFigure)
{
    Make();
    engine::SpriteObject* wait = view->MakeWaitSolo();
    ASSERT_NE(wait, nullptr);
    struct Case {
        engine::Rect rect;
        bool figure;
        Placed start;
        Placed waiting;
    };
    // Board height 40, animation height 50: beside the figure the
    // animation stays centred while H/2 < H - 40 - 270 - 25.
    const Case cases[] = {
        { { 0, 0, 800, 600 }, false, { 400, 450 }, { 400, 450 } },
        { { 0, 0, 800, 600 }, true, { 525, 425 }, { 400, 265 } },
        { { 10, 20, 1210, 920 }, true, { 735, 745 }, { 610, 470 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.bottom);
        view->ownFigure = c.figure;
        view->SetRect(c.rect);
        EXPECT_EQ(view->IsCharacterShown(0), c.figure);
        EXPECT_EQ(At(view->GetButton(game::CardTableView::kStartButton)), c.start);
        EXPECT_EQ(At(wait), c.waiting);
    }
    EXPECT_FALSE(view->IsCharacterShown(4)); // no such seat
    EXPECT_FALSE(view->IsCharacterShown(-1));
}

TEST_F(CardTableHost, RealClicksOnTheButtonsSendTheirCodes)
{
    Make();
    view->SetRect({ 0, 0, 900, 700 });
    // During play the throw button takes the start button's place.
    view->GetButton(game::CardTableView::kStartButton)->Hide();
    view->GetButton(game::CardTableView::kStartButton)->Invalidate();
    view->GetButton(game::CardTableView::kThrowButton)->Show();
    view->GetButton(game::CardTableView::kThrowButton)->Invalidate();
    Frame();
    log.clear();
    for (const auto which : { game::CardTableView::kBombsButton, game::CardTableView::kSortBySizeButton,
             game::CardTableView::kThrowButton, game::CardTableView::kAutoPlayButton })
        Click(static_cast<int>(view->GetButton(which)->GetX()), static_cast<int>(view->GetButton(which)->GetY()));
    EXPECT_EQ(log, (Log { "bombs 80000131", "sort by size", "throw", "auto play" }));
}

TEST_F(CardTableHost, PressOnTheBareTableEndsAutomaticPlay)
{
    Make();
    view->SetRect({ 0, 0, 900, 700 });
    Frame();
    log.clear();
    Click(600, 300); // automatic play is off
    EXPECT_EQ(log, Log {});

    view->SetAutoPlayOn(true);
    Click(600, 300);
    EXPECT_EQ(log, (Log { "auto play" }));

    // A press on a button is the button's, not the table's.
    log.clear();
    const engine::ImageButton* sort = view->GetButton(game::CardTableView::kSortBySizeButton);
    Click(static_cast<int>(sort->GetX()), static_cast<int>(sort->GetY()));
    EXPECT_EQ(log, (Log { "sort by size" }));

    // A right press also asks the card layer to take back its selection.
    log.clear();
    Mouse(platform::kWmMouseMove, 600, 300);
    Mouse(platform::kWmRButtonDown, 600, 300);
    Mouse(platform::kWmRButtonUp, 600, 300);
    Frame();
    EXPECT_EQ(log, (Log { "card 80000113", "auto play" }));
}

TEST_F(CardTableHost, RefreshBindsTheOwnBoardAndOpensTheReplayInReplayMode)
{
    Make();
    view->SetRect({ 10, 20, 910, 720 });
    log.clear();
    view->OnRefresh();
    EXPECT_EQ(log, (Log { "bind own board 2" }));

    // Started with a replay file: the recorder child plays the file and
    // stands in the middle.
    const std::string replay = ::testing::TempDir() + "cardtable_" + std::to_string(getpid()) + ".qhrep";
    std::ofstream(replay) << "replay";
    app.SetCommandLine(replay);
    app.ParseCommandLine();
    std::remove(replay.c_str());
    ASSERT_TRUE(app.IsReplayMode());
    engine::EngineObject* recorder = view->CreateReplayRecorder();
    ASSERT_NE(recorder, nullptr);
    log.clear();
    view->OnRefresh();
    EXPECT_EQ(log, (Log { "bind own board 2", "open " + replay }));
    EXPECT_EQ(At(recorder), (Placed { 460, 370 }));
}

TEST_F(CardTableHost, CharacterFigureStandsBesideTheResultPanelAndFollowsIt)
{
    Make();
    view->SetRect({ 0, 0, 900, 700 });
    // Without a result panel there is nothing to stand beside.
    view->OnEvent(engine::EngineEvent(0, game::EVT_SHOW_CHARACTER, 2, 0));
    EXPECT_EQ(view->GetCharacterCanvas(), nullptr);

    Picture("result_panel", 300, 200);
    Picture("figure2", 135, 270);
    engine::PictureDesc desc;
    engine::SpriteObject* panel = view->CreateSprite(*view->LookupPicture(&desc, "result_panel", 0));
    ASSERT_NE(panel, nullptr);
    panel->MoveTo(450, 350);
    panel->SetZ(60000);
    view->SetResultPanel(panel);
    view->OnEvent(engine::EngineEvent(0, game::EVT_SHOW_CHARACTER, 2, 0));
    engine::CanvasObject* figure = view->GetCharacterCanvas();
    ASSERT_NE(figure, nullptr);
    EXPECT_TRUE(figure->IsShown());
    EXPECT_EQ(At(figure), (Placed { 450 - 150 - 67, 350 }));
    EXPECT_EQ(figure->GetZ(), 60000);
    EXPECT_EQ(figure->GetWidth(), game::kCharacterCanvasWidth);
    EXPECT_EQ(figure->GetHeight(), game::kCharacterCanvasHeight);

    // Dragging the panel takes the figure along.
    engine::InputState drag;
    drag.dx = 12;
    drag.dy = -5;
    view->OnEvent(engine::EngineEvent(0, game::EVT_DRAG_RESULT_PANEL, 0, engine::ToWord(&drag)));
    EXPECT_EQ(At(panel), (Placed { 462, 345 }));
    EXPECT_EQ(At(figure), (Placed { 450 - 150 - 67 + 12, 345 }));

    view->OnEvent(engine::EngineEvent(0, game::EVT_HIDE_CHARACTER, 0, 0));
    EXPECT_FALSE(figure->IsShown());
    // Shown again, the same canvas is used.
    view->OnEvent(engine::EngineEvent(0, game::EVT_SHOW_CHARACTER, 2, 0));
    EXPECT_EQ(view->GetCharacterCanvas(), figure);
    EXPECT_TRUE(figure->IsShown());
}

} // namespace
