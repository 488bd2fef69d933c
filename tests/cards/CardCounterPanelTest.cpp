// The card counter: its lists as the table feeds them (tables of
// operations and the slots they leave), the columns of rank marks, the
// seats of chairs, and the panel in the headless host window: its menu,
// the player panels over the boards, and where PlaceAll puts things.

#include "cards/CardCounterPanel.h"

#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/PopupMenu.h"
#include "engine/objects/CanvasObject.h"
#include "platform/WindowMessages.h"
#include "tests/frame/ui/WidgetHost.h"
#include "tests/table/CardNotation.h"

#include <string>
#include <vector>

using game::CardCounterPanel;
using game::CounterMark;

namespace {

constexpr int kUnknown = CardCounterPanel::kUnknownCard;

class Seats : public game::CardCounterSeats {
public:
    int GetChairCount() const override { return count; }
    int GetChair() const override { return own; }
    std::string GetChairName(int chair) const override { return "玩家" + std::to_string(chair); }
    bool GetTableRect(engine::Rect* out) const override
    {
        *out = table;
        return true;
    }
    int count = 4;
    int own = 0;
    engine::Rect table { 0, 0, 200, 150 };
};

class Counter : public frameuitest::WidgetHost {
protected:
    void SetUp() override
    {
        WidgetHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("bit_cardmaster", 120, 80, 0x402010);
        MakePicture("bit_cardmaster_player", 60, 40, 0x203040);
        MakePicture("bit_cardrank", 16, 13, 0xffffff, 15, 0);
        MakePicture("btn_redcross", 10, 10, 0x0000c0, 4, 0);
        MakePicture("btn_popmenu", 20, 10, 0x00c000, 4, 0);
    }
    CardCounterPanel* Make()
    {
        panel = static_cast<CardCounterPanel*>(root->RegisterObject(std::make_unique<CardCounterPanel>(seats)));
        panel->MoveTo(100, 75);
        panel->Show();
        panel->Invalidate();
        Frame();
        return panel;
    }
    std::vector<int> Remaining(size_t n) const
    {
        const auto all = panel->GetRemaining();
        return { all.begin(), all.begin() + static_cast<long>(n) };
    }
    std::vector<int> Played(int seat, size_t n) const
    {
        const auto all = panel->GetPlayed(seat);
        return { all.begin(), all.begin() + static_cast<long>(n) };
    }

    Seats seats;
    CardCounterPanel* panel = nullptr;
};

TEST_F(Counter, RemainingListAsCardsComeAndGo)
{
    Make();
    struct Step {
        char op; // '+' AddCard, '-' RemoveCard
        int id;
        std::vector<int> slots; // the first slots afterwards
        int count;
    };
    // Ids 5 and 59 are the two copies of one face.
    const Step steps[] = {
        { '+', 5, { 5, -1 }, 1 },
        { '+', 59, { 5, 59, -1 }, 2 },
        { '+', 7, { 5, 59, 7, -1 }, 3 },
        { '+', 100, { 5, 59, 7, 100, -1 }, 4 },
        { '-', 59, { 5, 7, 100, -1 }, 3 },   // the gap closes, order kept
        { '-', 42, { 5, 7, 100, -1 }, 3 },   // not there: nothing
        { '-', 5, { 7, 100, -1, -1 }, 2 },
        { '+', 59, { 7, 100, 59, -1 }, 3 },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(1, s.op) + std::to_string(s.id));
        s.op == '+' ? panel->AddCard(s.id) : panel->RemoveCard(s.id);
        EXPECT_EQ(Remaining(s.slots.size()), s.slots);
        EXPECT_EQ(panel->GetCount(), s.count);
    }
}

TEST_F(Counter, AFullListTakesNoMoreAndResetEmptiesEverything)
{
    Make();
    for (int id = 0; id < 108; ++id)
        panel->AddCard(id);
    panel->AddCard(200);
    EXPECT_EQ(panel->GetCount(), 108);
    EXPECT_EQ(panel->GetRemaining().back(), 107);
    panel->AddPlayedCard(1, 3);
    panel->ShowPlayerPanel(1);
    panel->Reset();
    EXPECT_EQ(panel->GetCount(), 0);
    EXPECT_EQ(panel->GetRemaining().front(), -1);
    EXPECT_EQ(panel->GetPlayed(1)[0], -1);
    EXPECT_FALSE(panel->GetPlayerPanel(1)->IsShown());
}

TEST_F(Counter, PlayedListsFillByScreenSeatAndReplaceUnknownCards)
{
    seats.own = 2;
    Make();
    struct Step {
        int chair;
        int id;
        int seat;
        std::vector<int> slots;
    };
    const Step steps[] = {
        { 3, kUnknown, 1, { kUnknown, -1 } },
        { 3, kUnknown, 1, { kUnknown, kUnknown, -1 } },
        { 3, 12, 1, { 12, kUnknown, -1 } },       // a known card takes the first unknown place
        { 3, kUnknown, 1, { 12, kUnknown, kUnknown, -1 } },
        { 0, 40, 2, { 40, -1 } },                 // chair 0 sits opposite chair 2
        { 2, 9, 0, { 9, -1 } },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.id);
        panel->AddPlayedCard(s.chair, s.id);
        EXPECT_EQ(Played(s.seat, s.slots.size()), s.slots);
    }
    for (int i = 0; i < 30; ++i)
        panel->AddPlayedCard(1, i);
    EXPECT_EQ(panel->GetPlayed(3).back(), 26); // 27 places, the rest dropped
}

TEST_F(Counter, ChairsMapToSeatsRoundTheTable)
{
    Make();
    struct Case {
        int count;
        int own;
        int chair;
        int seat;
    };
    const Case cases[] = {
        { 4, 0, 0, 0 }, { 4, 0, 1, 1 }, { 4, 0, 3, 3 }, { 4, 2, 3, 1 }, { 4, 2, 0, 2 }, { 4, 2, 1, 3 },
        { 4, 1, 4, -1 }, { 4, 1, -1, -1 }, { 3, 0, 3, -1 }, { 3, 2, 0, 1 },
    };
    for (const Case& c : cases) {
        seats.count = c.count;
        seats.own = c.own;
        EXPECT_EQ(panel->GetSeat(c.chair), c.seat) << c.count << " " << c.own << " " << c.chair;
    }
    seats.count = 3;
    panel->AddPlayedCard(3, 1); // no seat: nothing, and no panel
    panel->ShowPlayerPanel(3);
    for (int seat = 0; seat < 4; ++seat)
        EXPECT_EQ(panel->GetPlayerPanel(seat), nullptr);
}

TEST(CounterColumns, JokersStackFirstThenOneColumnAValueLargestFirst)
{
    using table::testing::CardId;
    // Values: 1 two .. 13 ace; with level 1 the twos rank above the aces.
    const int bigJoker = 53;
    const int smallJoker = 52 + 54;
    const std::vector<int> ids = { CardId(5, 0), -1, CardId(13, 2), CardId(1, 3), smallJoker, CardId(5, 1),
        CardId(13, 0, 1), bigJoker, CardId(1, 0) };
    const std::vector<CounterMark> expected = {
        { 14, 0, 0 }, // big joker
        { 13, 0, 1 }, // small joker
        { 0, 1, 0 },  // the twos (the level), suits 3 then 0
        { 0, 1, 1 },
        { 12, 2, 0 }, // the aces
        { 12, 2, 1 },
        { 4, 3, 0 },  // the sixes
        { 4, 3, 1 },
    };
    EXPECT_EQ(game::LayoutCounterColumns(ids), expected);
}

TEST_F(Counter, MenuOpensPlayerPanelsOverTheirBoardsAndCloseAllKeepsTheMainPanel)
{
    auto* board = root->CreateCanvas(20, 20, 0x808080);
    board->SetName("玩家姓名板1");
    board->MoveTo(30, 40);
    Make();
    // Right button on the panel opens the menu: three names, then the rest.
    Mouse(platform::kWmMouseMove, 100, 90);
    Mouse(platform::kWmRButtonDown, 100, 90);
    Mouse(platform::kWmRButtonUp, 100, 90);
    ASSERT_NE(panel->GetMenu(), nullptr);
    EXPECT_TRUE(panel->GetMenu()->IsShown());
    ASSERT_EQ(panel->GetMenu()->GetItemCount(), 6);
    EXPECT_EQ(panel->GetMenu()->GetItem(0)->GetCaption(), "玩家1");
    EXPECT_EQ(panel->GetMenu()->GetItem(3)->GetCaption(), "全部展开");

    panel->OnEvent(engine::EngineEvent(panel->GetId(), game::EVT_COUNTER_OPEN_ALL));
    EXPECT_FALSE(panel->GetMenu()->IsShown());
    for (int seat = 1; seat < 4; ++seat)
        EXPECT_TRUE(panel->GetPlayerPanel(seat)->IsShown()) << seat;
    EXPECT_EQ(panel->GetPlayerPanel(0), nullptr);
    // Over the board, then clamped inside the table: 60 × 40 over (30, 40).
    EXPECT_EQ(panel->GetPlayerPanel(1)->GetX(), 30);
    EXPECT_EQ(panel->GetPlayerPanel(1)->GetY(), 40);

    panel->GetPlayerPanel(1)->MoveTo(150, 120); // dragged away
    panel->PlaceAll();
    EXPECT_EQ(panel->GetPlayerPanel(1)->GetX(), 30);
    EXPECT_EQ(panel->GetX(), 200 - 60);
    EXPECT_EQ(panel->GetY(), 150 - 30 - 40);

    panel->OnEvent(engine::EngineEvent(panel->GetId(), game::EVT_COUNTER_CLOSE_ALL));
    for (int seat = 1; seat < 4; ++seat)
        EXPECT_FALSE(panel->GetPlayerPanel(seat)->IsShown());
    EXPECT_TRUE(panel->IsShown());

    seats.table = { 0, 0, 200, 150 };
    panel->OnEvent(engine::EngineEvent(panel->GetId(), game::EVT_COUNTER_SHOW_PLAYER, 3));
    EXPECT_TRUE(panel->GetPlayerPanel(3)->IsShown());
    // No board of seat 3: the panel keeps its place inside the table.
    EXPECT_GE(panel->GetPlayerPanel(3)->GetLeft(), 0);
    EXPECT_LE(panel->GetPlayerPanel(3)->GetBottom(), 150);
}

TEST_F(Counter, MenuButtonTogglesTheMenuAndNamesFollowTheChairs)
{
    Make();
    panel->OnEvent(engine::EngineEvent(panel->GetId(), game::EVT_COUNTER_MENU_BUTTON));
    ASSERT_NE(panel->GetMenu(), nullptr);
    EXPECT_TRUE(panel->GetMenu()->IsShown());
    EXPECT_GE(panel->GetMenu()->GetTop(), 0);
    panel->OnEvent(engine::EngineEvent(panel->GetId(), game::EVT_COUNTER_MENU_BUTTON));
    EXPECT_FALSE(panel->GetMenu()->IsShown());
}

} // namespace

namespace {

TEST_F(Counter, WithoutARunningApplicationThereAreNoChairs)
{
    game::AppCounterSeats app;
    auto* alone = static_cast<CardCounterPanel*>(root->RegisterObject(std::make_unique<CardCounterPanel>(app)));
    EXPECT_EQ(alone->GetSeat(0), -1);
    alone->AddPlayedCard(0, 5);
    alone->ShowPlayerPanel(1);
    EXPECT_EQ(alone->GetPlayed(0)[0], -1);
    EXPECT_EQ(alone->GetPlayerPanel(1), nullptr);
    engine::Rect rect;
    EXPECT_FALSE(app.GetTableRect(&rect));
}

} // namespace
