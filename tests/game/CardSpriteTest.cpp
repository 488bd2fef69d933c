// Card sprites: size classes, picture choice, and the placement of a card
// (position, rotation, depth) for every state and seat, worked out by hand
// for one table rectangle; then real cards in a headless host window: their
// pictures, what Update does to them, and mouse input reaching the table
// view.

#include "cards/CardSprite.h"
#include "game/FriendCardSprite.h"

#include "engine/core/PictureRef.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
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

using game::CardArea;
using game::CardPoint;

// A card that answers the table rectangle and chair count itself, so the
// placement can be checked without a window.
class PlacedCard : public game::CardSprite {
public:
    CardArea area { 10, 20, 1024, 700 };
    int chairs = 4;

    // The sizes of the size class's pictures as the game ships them.
    void UseClass(int cls)
    {
        sizeClass = cls;
        switch (cls) {
        case 2:
            SetCardSizes(82, 110, 50, 68);
            break;
        case 3:
            SetCardSizes(98, 132, 71, 96);
            break;
        default:
            SetCardSizes(71, 96, 50, 68);
            break;
        }
    }

protected:
    CardArea GetTableArea() const override { return area; }
    int GetChairCount() const override { return chairs; }
};

TEST(CardSpriteSizeClass, WidthBoundariesAndPictureNames)
{
    struct Case {
        int width;
        int cls;
        const char* big;
        const char* small;
    };
    const Case cases[] = {
        {640, 1, "71x96", "50x68"},
        {1000, 1, "71x96", "50x68"},
        {1001, 2, "82x110", "50x68"},
        {1400, 2, "82x110", "50x68"},
        {1401, 3, "98x132", "71x96"},
        {2560, 3, "98x132", "71x96"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const int cls = game::CardSizeClassForWidth(c.width);
        EXPECT_EQ(cls, c.cls);
        EXPECT_EQ(game::CardBigSizePart(cls), c.big);
        EXPECT_EQ(game::CardSmallSizePart(cls), c.small);
    }
    EXPECT_EQ(game::CardPictureName(true, "82x110"), "牌正面82x110");
    EXPECT_EQ(game::CardPictureName(false, "98x132"), "牌背面98x132");
}

TEST(CardSpriteSpacing, BySizeClass)
{
    struct Case {
        int cls;
        int hand;
        int open;
    };
    const Case cases[] = {{1, 16, 13}, {2, 20, 13}, {3, 22, 16}};
    PlacedCard card;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        card.UseClass(c.cls);
        EXPECT_EQ(card.GetHandSpacing(), c.hand);
        EXPECT_EQ(card.GetOpenHandSpacing(), c.open);
    }
}

TEST(CardSpriteFace, FaceFrameAndWhenTheFaceShows)
{
    PlacedCard card;
    EXPECT_EQ(card.GetFace(0), 0);
    EXPECT_EQ(card.GetFace(53), 53);
    EXPECT_EQ(card.GetFace(54), 0);
    EXPECT_EQ(card.GetFace(215), 53);

    struct Case {
        int state;
        int faceUp;
        int id;
        bool face;
    };
    const Case cases[] = {
        {game::kCardInHand, 1, 0, true},
        {game::kCardInHand, 1, 215, true},
        {game::kCardInHand, 1, 216, false}, // no such card: its back
        {game::kCardInHand, 1, -1, false},
        {game::kCardInHand, 0, 5, false},
        {game::kCardInPile, 1, 5, false}, // the pile always shows backs
        {game::kCardPlayed, 0, 5, true},  // a played card is always open
        {game::kCardHidden, 1, 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " up " << c.faceUp << " id " << c.id);
        card.state = c.state;
        card.faceUp = c.faceUp;
        card.cardId = c.id;
        EXPECT_EQ(card.ShowsFace(), c.face);
    }
}

// Table rectangle (10, 20, 1024, 700). Sizes: class 1 big 71x96 small
// 50x68; class 2 big 82x110; class 3 big 98x132 small 71x96.
TEST(CardSpritePlacement, PositionRotationAndDepthByStateSeatAndClass)
{
    struct Case {
        const char* what;
        int state;
        int seat;
        int cls;
        int order;
        int count;
        int faceUp;
        int selected;
        int chairs;
        CardPoint at;
        double rotation;
        double depth;
    };
    const Case cases[] = {
        {"pile, right stack, first", 0, -1, 1, 0, 0, 0, 0, 4, {549, 154}, 0, 0},
        {"pile, right stack, last", 0, -1, 1, 53, 0, 0, 0, 4, {549, 206}, 0, -53},
        {"pile, left stack", 0, -1, 1, 57, 0, 0, 0, 4, {495, 156}, 0, -57},
        {"own hand", 1, 0, 2, 3, 10, 1, 0, 4, {492, 617}, 0, 1030},
        {"own hand, raised", 1, 0, 2, 3, 10, 1, 1, 4, {492, 607}, 0, 1030},
        {"left hand, closed", 1, 1, 1, 2, 5, 0, 0, 4, {92, 374}, 270, 980},
        {"top hand, open", 1, 2, 3, 1, 3, 1, 0, 4, {530, 116}, 0, 990},
        {"right hand, open, odd count", 1, 3, 1, 0, 5, 1, 0, 4, {952, 338}, 90, 1000},
        {"three chairs: seat 2 is the right hand", 1, 2, 1, 0, 5, 0, 0, 3, {952, 350}, 90, 1000},
        {"three chairs: left hand", 1, 1, 1, 2, 5, 0, 0, 3, {92, 374}, 270, 980},
        {"hand of no seat", 1, -1, 1, 2, 5, 0, 0, 4, {10, 20}, 0, 980},
        {"played, own", 2, 0, 1, 1, 5, 0, 0, 4, {506, 476}, 0, 5241},
        {"played, left", 2, 1, 2, 2, 4, 0, 0, 4, {286, 370}, 0, 4918},
        {"played, top", 2, 2, 3, 0, 3, 0, 0, 4, {500, 258}, 0, 4592},
        {"played, right", 2, 3, 1, 1, 3, 0, 0, 4, {786, 370}, 0, 4269},
        {"three chairs: played seat 2 is the right row", 2, 2, 1, 1, 3, 0, 0, 3, {786, 370}, 0, 4593},
        {"three chairs: no seat 3", 2, 3, 1, 1, 3, 0, 0, 3, {10, 20}, 0, 4269},
        {"five chairs: no rows", 2, 0, 1, 1, 3, 0, 0, 5, {10, 20}, 0, 5241},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlacedCard card;
        card.UseClass(c.cls);
        card.state = c.state;
        card.seat = c.seat;
        card.order = c.order;
        card.count = c.count;
        card.faceUp = c.faceUp;
        card.selected = c.selected;
        card.chairs = c.chairs;
        CardPoint at;
        if (c.state == game::kCardInPile)
            at = card.GetPilePosition();
        else if (c.state == game::kCardInHand)
            at = card.GetHandPosition();
        else
            at = card.GetPlayedPosition();
        EXPECT_EQ(at.x, c.at.x);
        EXPECT_EQ(at.y, c.at.y);
        EXPECT_EQ(card.ComputeRotation(), c.rotation);
        EXPECT_EQ(card.ComputeDepth(), c.depth);
    }
}

TEST(CardSpritePlacement, PlayedRowsStackLeftAboveTopAboveRight)
{
    PlacedCard card;
    card.state = game::kCardPlayed;
    card.order = 2;
    const double expected[] = {5242, 4918, 4594, 4270};
    for (int seat = 0; seat < 4; ++seat) {
        card.seat = seat;
        EXPECT_EQ(card.ComputeDepth(), expected[seat]) << "seat " << seat;
    }
}

TEST(CardSpritePlacement, CentredRowInTheUpperQuarter)
{
    // Class 1: step 71 + 20 = 91.
    struct Case {
        int order;
        int count;
        CardPoint at;
    };
    const Case cases[] = {
        {0, 4, {385, 195}},
        {3, 4, {658, 195}},
        {1, 3, {522, 195}},
        {0, 1, {522, 195}},
    };
    PlacedCard card;
    card.UseClass(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.order << " of " << c.count);
        card.order = c.order;
        card.count = c.count;
        EXPECT_EQ(card.GetPlayedOrigin(), c.at);
    }
}

// The table view: records the events the cards deliver.
class TableView : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        return 1;
    }
    std::vector<engine::EngineEvent> events;
};

class CardOnTable : public ::testing::Test {
protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create("cards", kWidth, kHeight))
            GTEST_SKIP() << "no video driver";
        ASSERT_TRUE(host.Init(std::make_unique<engine::RectObject>()));
        // Face sheets: frame f is filled with the value f, so the frame
        // shown can be read back from a pixel too.
        for (const char* size : {"71x96", "50x68"}) {
            const int w = size[0] == '7' ? 71 : 50;
            const int h = size[0] == '7' ? 96 : 68;
            host.AddPicture(game::CardPictureName(false, size), w, h, 1, 0,
                [](int, int, int) { return 0xff0000ffu; });
            host.AddPicture(game::CardPictureName(true, size), w, h, 54, 0,
                [](int frame, int, int) { return 0xff000000u | static_cast<uint32_t>(frame); });
        }
        engine::RectObject* root = host.GetRootObject();
        view = static_cast<TableView*>(root->RegisterObject(std::make_unique<TableView>()));
        ASSERT_NE(view, nullptr);
        view->SetName("MainGame");
        view->SetRect({0, 0, kWidth, kHeight});
        card = static_cast<game::CardSprite*>(root->RegisterObject(std::make_unique<game::CardSprite>()));
        ASSERT_NE(card, nullptr);
        Frame();
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Frame()
    {
        m_tick += 11;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    void Mouse(uint32_t message, int x, int y)
    {
        host.InjectInput(message, x, y);
    }
    // The own hand's only card, face up: at (400, 504) on an 800 x 600
    // table in size class 1.
    void DealOwnCard(int id)
    {
        card->LoadImages();
        card->cardId = id;
        card->seat = 0;
        card->ownerChair = 2;
        card->order = 0;
        card->count = 1;
        card->faceUp = 1;
        card->selected = 0;
        card->state = game::kCardInHand;
        card->Update();
    }

    tools::TestHost host;
    TableView* view = nullptr;
    game::CardSprite* card = nullptr;

private:
    uint32_t m_tick = 100000;
};

TEST_F(CardOnTable, CreationTakesTheSizesOfTheBackPictures)
{
    ASSERT_NE(card->GetSprite(), nullptr);
    EXPECT_EQ(card->GetHandWidth(), 71);
    EXPECT_EQ(card->GetCardHeight(), 96);
    EXPECT_EQ(card->GetSmallWidth(), 50);
    EXPECT_EQ(card->GetSmallHeight(), 68);
    EXPECT_EQ(card->GetPosition(), (CardPoint {-10000, -10000}));
    card->LoadImages();
    EXPECT_EQ(card->sizeClass, 1);
}

TEST_F(CardOnTable, OwnHandCardShowsItsFaceAtItsPlace)
{
    DealOwnCard(54 + 7);
    engine::SpriteObject* sprite = card->GetSprite();
    EXPECT_TRUE(card->IsShown());
    EXPECT_EQ(sprite->GetFrame(), 7);
    EXPECT_EQ(card->GetX(), 400);
    EXPECT_EQ(card->GetY(), 504);
    EXPECT_EQ(card->GetGeometry().z, 1000);
    EXPECT_EQ(sprite->GetWidth(), 71);
    EXPECT_EQ(sprite->GetHeight(), 96);
    EXPECT_EQ(card->GetOpacity(), 1.0);

    card->Select();
    EXPECT_EQ(card->GetY(), 494);
    card->Deselect();
    EXPECT_EQ(card->GetY(), 504);
}

TEST_F(CardOnTable, HoverAndRangeMarkTintTheOwnCard)
{
    DealOwnCard(3);
    card->hovered = 1;
    card->Update();
    EXPECT_DOUBLE_EQ(card->GetOpacity(), 0.9);
    card->rangeMark = 1;
    card->Update();
    EXPECT_DOUBLE_EQ(card->GetOpacity(), 0.7);
    card->Select(); // clears the range mark; still hovered
    EXPECT_DOUBLE_EQ(card->GetOpacity(), 0.9);
    card->hovered = 0;
    card->Update();
    EXPECT_DOUBLE_EQ(card->GetOpacity(), 1.0);
}

TEST_F(CardOnTable, OtherHandsLieTurnedOnTheirSide)
{
    DealOwnCard(3);
    card->seat = 1;
    card->Update();
    EXPECT_EQ(card->GetSprite()->GetAngle(), 270);
    EXPECT_EQ(card->GetSprite()->GetWidth(), 50);
    EXPECT_EQ(card->GetSprite()->GetFrame(), 3);
    EXPECT_EQ(card->GetGeometry().z, 1000);
    card->seat = 2;
    card->Update();
    EXPECT_EQ(card->GetSprite()->GetAngle(), 0);
}

TEST_F(CardOnTable, FlyingPlayedCardKeepsItsPlaceUntilTheFlightEnds)
{
    DealOwnCard(9);
    card->faceUp = 0; // a played card shows its face regardless
    card->state = game::kCardPlayed;
    card->flying = 1;
    card->Update();
    EXPECT_EQ(card->GetSprite()->GetFrame(), 9);
    EXPECT_EQ(card->GetX(), 400);
    EXPECT_EQ(card->GetY(), 504);
    EXPECT_EQ(card->GetGeometry().z, 5240);
    // Played row of the own seat: y = 600 - 48 - 96 - 100.
    EXPECT_EQ(card->GetPosition(), (CardPoint {400, 356}));

    EXPECT_EQ(card->SendEvent(engine::EngineEvent(card->GetId(), game::EVT_CARD_FLIGHT_END)), 1);
    EXPECT_EQ(card->flying, 0);
    EXPECT_EQ(card->GetX(), 400);
    EXPECT_EQ(card->GetY(), 356);
}

TEST_F(CardOnTable, ResetHidesTheCardAndForgetsItsOwner)
{
    DealOwnCard(9);
    card->hovered = 1;
    card->SelectTimed();
    card->Reset();
    EXPECT_FALSE(card->IsShown());
    EXPECT_EQ(card->cardId, -1);
    EXPECT_EQ(card->ownerChair, -1);
    EXPECT_EQ(card->seat, -1);
    EXPECT_EQ(card->order, -1);
    EXPECT_EQ(card->count, 0);
    EXPECT_EQ(card->state, game::kCardHidden);
    EXPECT_EQ(card->selected, 0);
    EXPECT_EQ(card->hovered, 0);
    EXPECT_EQ(card->selectionTime, 0u);
}

TEST_F(CardOnTable, WideTableTakesBigPicturesWhileThePileKeepsItsSmallBacks)
{
    host.AddPicture(game::CardPictureName(false, "98x132"), 98, 132, 1, 0, [](int, int, int) { return 0xff00ff00u; });
    host.AddPicture(game::CardPictureName(true, "98x132"), 98, 132, 54, 0, [](int, int, int) { return 0xff00ff00u; });
    view->SetRect({0, 0, 1500, kHeight});
    DealOwnCard(3);
    EXPECT_EQ(card->sizeClass, 3);
    EXPECT_EQ(card->GetHandWidth(), 98);
    EXPECT_EQ(card->GetCardHeight(), 132);
    EXPECT_EQ(card->GetSmallWidth(), 71);
    EXPECT_EQ(card->GetSprite()->GetWidth(), 98);
    EXPECT_EQ(card->GetSprite()->GetHeight(), 132);

    card->state = game::kCardInPile;
    card->Update();
    EXPECT_EQ(card->GetSprite()->GetWidth(), 50);
    EXPECT_EQ(card->GetSprite()->GetHeight(), 68);
    EXPECT_EQ(card->GetSprite()->GetFrameCount(), 1); // a back, not a face sheet
}

TEST_F(CardOnTable, EveryOtherStateHidesTheCard)
{
    for (int state : {3, 4, 7, -1}) {
        SCOPED_TRACE(state);
        DealOwnCard(3);
        ASSERT_TRUE(card->IsShown());
        card->state = state;
        card->Update();
        EXPECT_FALSE(card->IsShown());
    }
}

TEST_F(CardOnTable, MouseOnTheCardReachesTheTableViewAsCardCommands)
{
    const std::pair<int, int> expected[] = {
        {engine::EVT_LBUTTON_DOWN, game::EVT_CARD_LBUTTON_DOWN},
        {engine::EVT_LBUTTON_UP, game::EVT_CARD_LBUTTON_UP},
        {engine::EVT_RBUTTON_DOWN, game::EVT_CARD_RBUTTON_DOWN},
        {engine::EVT_DRAG, game::EVT_CARD_DRAG},
        {engine::EVT_MOUSE_ENTER, game::EVT_CARD_MOUSE_ENTER},
        {engine::EVT_MOUSE_LEAVE, game::EVT_CARD_MOUSE_LEAVE},
    };
    for (const auto& [input, command] : expected) {
        SCOPED_TRACE(input);
        const engine::EngineEvent* e = card->GetSprite()->FindSubscription(input);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->target, view->GetId());
        EXPECT_EQ(e->code, command);
        EXPECT_EQ(e->ParamInt(), card->GetId());
    }

    DealOwnCard(3);
    card->SetInputEnabled(true);
    Frame();
    Mouse(platform::kWmMouseMove, 400, 504);
    Mouse(platform::kWmLButtonDown, 400, 504);
    Mouse(platform::kWmLButtonUp, 400, 504);
    Frame();
    Frame();
    std::vector<int> codes;
    for (const engine::EngineEvent& e : view->events) {
        codes.push_back(e.code);
        EXPECT_EQ(e.ParamInt(), card->GetId());
    }
    EXPECT_EQ(codes,
        (std::vector<int> {game::EVT_CARD_MOUSE_ENTER, game::EVT_CARD_LBUTTON_DOWN, game::EVT_CARD_LBUTTON_UP}));
}

TEST_F(CardOnTable, ThrownCardFliesToItsPlaceAndLandsThere)
{
    DealOwnCard(9);
    // Played row of the own seat: (400, 356); the card stands at (400, 504).
    card->state = game::kCardPlayed;
    card->flying = 1;
    card->Update();
    ASSERT_EQ(card->GetY(), 504);
    EXPECT_NE(card->FlyToPlace(2), 0u);
    EXPECT_EQ(card->flying, 1);
    // It waits two action intervals, then covers the way in a few steps.
    Frame();
    EXPECT_EQ(card->GetY(), 504);
    double last = card->GetY();
    bool moving = false;
    for (int i = 0; i < 40 && card->flying; ++i) {
        Frame();
        moving = moving || (card->GetY() < last && card->GetY() > 356);
        EXPECT_LE(card->GetY(), last);
        last = card->GetY();
    }
    EXPECT_TRUE(moving);
    EXPECT_EQ(card->flying, 0);
    EXPECT_EQ(card->GetX(), 400);
    EXPECT_EQ(card->GetY(), 356);
}

// ---- the game's cards ---------------------------------------------------------------

class PlacedFriendCard : public game::FriendCardSprite {
public:
    CardArea area { 10, 20, 1024, 700 };

    // The sizes of the size class's pictures as the game ships them.
    void UseClass(int cls)
    {
        sizeClass = cls;
        switch (cls) {
        case 3:
            SetCardSizes(82, 110, 71, 96);
            break;
        case 4:
            SetCardSizes(98, 132, 82, 110);
            break;
        default:
            SetCardSizes(71, 96, 50, 68);
            break;
        }
    }

protected:
    CardArea GetTableArea() const override { return area; }
    int GetChairCount() const override { return 4; }
};

TEST(FriendCardSprite, SizeClassesPicturesAndSpacings)
{
    struct ClassCase {
        int width;
        int cls;
        const char* big;
        const char* small;
    };
    const ClassCase classes[] = {
        {640, 2, "_71_96", "_50_68"},
        {800, 2, "_71_96", "_50_68"},
        {801, 3, "_82_110", "_71_96"},
        {1200, 3, "_82_110", "_71_96"},
        {1201, 4, "_98_132", "_82_110"},
    };
    for (const ClassCase& c : classes) {
        SCOPED_TRACE(c.width);
        const int cls = game::FriendSizeClassForWidth(c.width);
        EXPECT_EQ(cls, c.cls);
        EXPECT_EQ(game::FriendBigSizePart(cls), c.big);
        EXPECT_EQ(game::FriendSmallSizePart(cls), c.small);
    }
    EXPECT_EQ(game::CardPictureName(true, game::FriendBigSizePart(3)), "牌正面_82_110");

    struct SpacingCase {
        int cls;
        int hand;
        int open;
        int closed;
    };
    const SpacingCase spacings[] = {{1, 13, 13, 3}, {2, 16, 13, 3}, {3, 20, 16, 3}, {4, 23, 20, 5}};
    PlacedFriendCard card;
    for (const SpacingCase& c : spacings) {
        SCOPED_TRACE(c.cls);
        card.UseClass(c.cls);
        EXPECT_EQ(card.GetHandSpacing(), c.hand);
        EXPECT_EQ(card.GetOpenHandSpacing(), c.open);
        EXPECT_EQ(card.GetClosedHandSpacing(), c.closed);
    }
}

// Table rectangle (10, 20, 1024, 700).
TEST(FriendCardSprite, PlacementByStateAndSeat)
{
    struct Case {
        const char* what;
        int state;
        int seat;
        int cls;
        int order;
        int count;
        int faceUp;
        CardPoint at;
    };
    const Case cases[] = {
        {"pile, right stack, first", 0, -1, 2, 0, 0, 0, {549, 336}},
        {"pile, left stack", 0, -1, 2, 57, 0, 0, {495, 338}},
        {"own hand", 1, 0, 3, 3, 10, 1, {492, 617}},
        {"left hand, closed, class 4", 1, 1, 4, 2, 5, 0, {113, 372}},
        {"left hand, closed, class 2", 1, 1, 2, 2, 5, 0, {92, 371}},
        {"top hand, open", 1, 2, 3, 1, 3, 1, {530, 116}},
        {"played, own", 2, 0, 2, 1, 5, 0, {506, 476}},
        {"played, left", 2, 1, 2, 2, 4, 0, {258, 370}},
        {"played, top: 60 below one and a half cards", 2, 2, 2, 0, 3, 0, {506, 224}},
        {"played, right", 2, 3, 4, 1, 3, 0, {722, 370}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlacedFriendCard card;
        card.UseClass(c.cls);
        card.state = c.state;
        card.seat = c.seat;
        card.order = c.order;
        card.count = c.count;
        card.faceUp = c.faceUp;
        card.selected = 0;
        CardPoint at;
        if (c.state == game::kCardInPile)
            at = card.GetPilePosition();
        else if (c.state == game::kCardInHand)
            at = card.GetHandPosition();
        else
            at = card.GetPlayedPosition();
        EXPECT_EQ(at, c.at);
    }
}

class FriendCardOnTable : public CardOnTable {
protected:
    void SetUp() override
    {
        CardOnTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* size : {"_71_96", "_50_68"}) {
            const int w = size[1] == '7' ? 71 : 50;
            const int h = size[1] == '7' ? 96 : 68;
            host.AddPicture(game::CardPictureName(false, size), w, h, 1, 0,
                [](int, int, int) { return 0xff0000ffu; });
            host.AddPicture(game::CardPictureName(true, size), w, h, 54, 0,
                [](int frame, int, int) { return 0xff000000u | static_cast<uint32_t>(frame); });
        }
        host.AddPicture("边牌标记", 14, 12, 1, 0, [](int, int, int) { return 0xffffd000u; });
        game = static_cast<game::FriendCardSprite*>(
            host.GetRootObject()->RegisterObject(std::make_unique<game::FriendCardSprite>()));
        ASSERT_NE(game, nullptr);
        game->LoadImages();
    }
    // A card of the own hand at (400, 504): 800 x 600 is size class 2.
    void DealOwn(int id)
    {
        game->cardId = id;
        game->seat = 0;
        game->order = 0;
        game->count = 1;
        game->faceUp = 1;
        game->selected = 0;
        game->state = game::kCardInHand;
        game->Update();
    }

    game::FriendCardSprite* game = nullptr;
};

TEST_F(FriendCardOnTable, PileShowsFacesOnlyOfTheGamesCards)
{
    EXPECT_EQ(game->sizeClass, 2);
    EXPECT_EQ(game->GetHandWidth(), 71);
    EXPECT_EQ(game->GetSmallHeight(), 68);
    struct Case {
        int id;
        int faceUp;
        bool face;
    };
    const Case cases[] = {{5, 1, true}, {107, 1, true}, {108, 1, false}, {5, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " up " << c.faceUp);
        game->cardId = c.id;
        game->faceUp = c.faceUp;
        game->order = 0;
        game->state = game::kCardInPile;
        game->Update();
        engine::SpriteObject* sprite = game->GetSprite();
        EXPECT_EQ(sprite->GetWidth(), 50);
        EXPECT_EQ(sprite->GetFrameCount(), c.face ? 54 : 1);
        if (c.face) {
            EXPECT_EQ(sprite->GetFrame(), c.id % 54);
        }
    }

    // Refreshing keeps the card where it is and shows the pile picture.
    game->MoveTo(33, 44);
    game->faceUp = 1;
    game->cardId = 6;
    game->RefreshPilePicture();
    EXPECT_EQ(game->GetX(), 33);
    EXPECT_EQ(game->GetSprite()->GetFrame(), 6);
}

TEST_F(FriendCardOnTable, EdgeMarkSitsInTheCornerAndFollowsTheCard)
{
    game->SetEdgeMark(false); // never made: nothing to do
    EXPECT_EQ(game->GetEdgeMark(), nullptr);

    DealOwn(12);
    game->SetEdgeMark(true);
    engine::SpriteObject* mark = game->GetEdgeMark();
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(mark->IsShown());
    // Bottom left corner of the 71 x 96 card at (400, 504).
    EXPECT_DOUBLE_EQ(mark->GetX(), 400 - 35.5 + 7 + 3);
    EXPECT_DOUBLE_EQ(mark->GetY(), 504 + 48 - 6 - 2);

    game->SetEdgeMark(true); // already shown
    EXPECT_TRUE(game->IsEdgeMarkShown());

    // Raised with the card, keeping its own size.
    game->Select();
    EXPECT_DOUBLE_EQ(mark->GetY(), 494 + 48 - 6 - 2);
    EXPECT_DOUBLE_EQ(mark->GetWidth(), 14);
    EXPECT_DOUBLE_EQ(mark->GetHeight(), 12);

    // Hidden with the card, left where it was.
    game->state = 3;
    game->Update();
    EXPECT_FALSE(mark->IsShown());
    EXPECT_DOUBLE_EQ(mark->GetY(), 494 + 48 - 6 - 2);

    DealOwn(12);
    game->SetEdgeMark(false);
    EXPECT_FALSE(mark->IsShown());
    EXPECT_FALSE(game->IsEdgeMarkShown());
    game->Update();
    EXPECT_FALSE(mark->IsShown());
}

TEST_F(FriendCardOnTable, GroupsOfArrangedCards)
{
    EXPECT_FALSE(game->HasGroup());
    game->SetGroup(2);
    EXPECT_TRUE(game->HasGroup());
    EXPECT_EQ(game->GetGroup(), 2);
    game->SetGroup(0);
    EXPECT_FALSE(game->HasGroup());
}

} // namespace
