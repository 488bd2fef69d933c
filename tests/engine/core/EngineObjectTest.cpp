#include "ObjectTestSupport.h"

#include "engine/core/InputState.h"

#include <gmock/gmock.h>

using namespace engine;
using namespace enginetest;
using ::testing::ElementsAre;

TEST(EngineObject, StartsHiddenFarAwayAndUnattached)
{
    EngineObject o;
    EXPECT_EQ(o.GetX(), -100000.0);
    EXPECT_EQ(o.GetY(), -100000.0);
    EXPECT_FALSE(o.IsShown());
    EXPECT_EQ(o.GetOpacity(), 1.0);
    EXPECT_EQ(o.GetId(), 0);
    EXPECT_FALSE(o.IsAttached());
    EXPECT_EQ(o.GetName(), nullptr);
    EXPECT_EQ(o.SendEvent(EngineEvent(1, 2)), 0);
    EXPECT_EQ(o.PostEvent(EngineEvent(1, 2)), 0);
    o.Invalidate();   // nothing to tell
    o.BringToFront(); // nothing to ask
    o.SetName("");
    EXPECT_EQ(o.GetName(), nullptr);
    o.SetName("btnThrow");
    o.SetName("");
    EXPECT_EQ(*o.GetName(), "btnThrow");
}

// Tree operations use registered objects: links are found by id.
TEST_F(ObjectEngine, DepthAndLayerLimits)
{
    EngineObject& parent = *objects->CreateObject(nullptr);
    EngineObject& zChild = *objects->CreateObject(nullptr);
    EngineObject& other = *objects->CreateObject(nullptr);
    parent.AddChild(&zChild, kLinkZ);
    parent.AddChild(&other, kLinkMove);
    parent.SetZ(999980.0);
    zChild.SetZ(0);
    other.SetZ(0);
    parent.MoveZ(20.0);
    EXPECT_EQ(parent.GetZ(), 999989.0);
    EXPECT_EQ(zChild.GetZ(), 20.0); // the full delta, not the clamped one
    EXPECT_EQ(other.GetZ(), 0.0);

    const std::pair<uint32_t, uint32_t> layers[] = { { 5, 5 }, { 1000000, 1000000 }, { 1000001, 1000000 },
        { static_cast<uint32_t>(-1), 1000000 } };
    for (const auto& [value, expected] : layers) {
        parent.SetLayer(value);
        EXPECT_EQ(parent.GetLayer(), expected) << value;
    }

    parent.SetTopmost();
    EXPECT_EQ(zChild.GetLayer(), kTopmostLayer); // whatever the link
    EXPECT_EQ(other.GetLayer(), kTopmostLayer);
    EXPECT_TRUE(other.GetFlags() & ObjectFlags::kTopmost);
    EngineObject& late = *objects->CreateObject(nullptr);
    parent.AddChild(&late, 0);
    EXPECT_EQ(late.GetLayer(), kTopmostLayer);
}

TEST_F(ObjectEngine, HideAndShowWithParentMarks)
{
    EngineObject& parent = *objects->CreateObject(nullptr);
    EngineObject& follower = *objects->CreateObject(nullptr);
    EngineObject& hiddenFollower = *objects->CreateObject(nullptr);
    EngineObject& standard = *objects->CreateObject(nullptr);
    parent.AddChild(&follower, kLinkHideWithParent);
    parent.AddChild(&hiddenFollower, kLinkHideWithParent);
    parent.AddChild(&standard, LINK_STANDARD);
    parent.Show();
    follower.Show();
    EXPECT_TRUE(standard.IsShown());
    EXPECT_FALSE(hiddenFollower.IsShown());

    parent.Hide();
    EXPECT_FALSE(follower.IsShown());
    EXPECT_EQ(parent.GetChildLink(follower.GetId()), kLinkHideWithParent | kLinkHiddenMark);
    parent.Hide(); // again: the mark stays
    EXPECT_TRUE(parent.Children()[0].flags & kLinkHiddenMark);
    EXPECT_FALSE(parent.Children()[1].flags & kLinkHiddenMark);

    parent.Show();
    EXPECT_TRUE(follower.IsShown());
    EXPECT_FALSE(parent.Children()[0].flags & kLinkHiddenMark);
    EXPECT_FALSE(hiddenFollower.IsShown()); // was hidden already: stays hidden
    EXPECT_TRUE(standard.IsShown());
}

TEST_F(ObjectEngine, ScaleToPassesRatiosOrSizes)
{
    EngineObject& parent = *objects->CreateObject(nullptr);
    EngineObject& child = *objects->CreateObject(nullptr);
    parent.AddChild(&child, kLinkScale);
    parent.SetSize(20, 10);
    child.SetSize(5, 5);
    parent.ScaleTo(40, 20);
    EXPECT_EQ(child.GetWidth(), 10.0);
    EXPECT_EQ(child.GetHeight(), 10.0);

    parent.SetSize(0, 10);
    parent.ScaleTo(40, 20);
    EXPECT_EQ(child.GetWidth(), 40.0);
    EXPECT_EQ(child.GetHeight(), 20.0);

    parent.ScaleTo(-3, std::nan(""));
    EXPECT_EQ(parent.GetWidth(), 0.0);
    EXPECT_EQ(parent.GetHeight(), 0.0);
}

TEST_F(ObjectEngine, ChildrenAreLinkedOnceAndTakenFromFormerParents)
{
    EngineObject& a = *objects->CreateObject(nullptr);
    EngineObject& b = *objects->CreateObject(nullptr);
    EngineObject& child = *objects->CreateObject(nullptr);
    EXPECT_EQ(a.AddChild(nullptr, 0), 0);
    EXPECT_EQ(a.AddChild(&a, 0), 0);
    EXPECT_EQ(a.AddChild(&child, 0x80), 1);
    EXPECT_EQ(a.AddChild(&child, 0x40), 0); // already linked: only the flags change
    EXPECT_EQ(a.Children().size(), 1u);
    EXPECT_EQ(a.Children()[0].flags, 0x40u);
    EXPECT_EQ(child.GetParent(), &a);

    EXPECT_EQ(b.AddChild(&child, 0), 1);
    EXPECT_TRUE(a.Children().empty());
    EXPECT_EQ(child.GetParent(), &b);
    EXPECT_TRUE(b.Contains(child.GetId()));
    b.RemoveChild(child.GetId());
    EXPECT_EQ(child.GetParent(), nullptr);
    b.RemoveChild(12345); // not linked: nothing
}

TEST_F(ObjectEngine, MovesRotationsAndHitRectangles)
{
    EngineObject& parent = *objects->CreateObject(nullptr);
    EngineObject& mover = *objects->CreateObject(nullptr);
    EngineObject& turner = *objects->CreateObject(nullptr);
    parent.AddChild(&mover, kLinkMove);
    parent.AddChild(&turner, kLinkRotate);
    parent.MoveTo(100, 100);
    mover.MoveTo(0, 0);
    turner.MoveTo(110, 100);
    parent.MoveBy(5, -5);
    EXPECT_EQ(mover.GetX(), 5.0);
    EXPECT_EQ(mover.GetY(), -5.0);

    // Turning the parent by 90 degrees swings a child to its right up above it.
    turner.MoveTo(115, 95);
    parent.RotateBy(90);
    EXPECT_NEAR(turner.GetX(), 105.0, 1e-3);
    EXPECT_NEAR(turner.GetY(), 85.0, 1e-3);
    EXPECT_EQ(turner.GetAngle(), 90.0);

    // A following hit rectangle moves with the object, edges truncated.
    parent.SetHitRect(0, 0, 10, 10);
    parent.AddFlags(ObjectFlags::kHitRectFollows);
    parent.MoveBy(2.7, -1.5);
    EXPECT_EQ(parent.GetHitRect(), (Rect { 2, -1, 12, 8 }));
}

TEST(EngineObject, HitTestUnrotatedRotatedAndPerPixel)
{
    TestSprite s(9, 7);
    s.MoveTo(100, 100); // bounds 95..104 x 96..103
    struct Case {
        const char* what;
        double angle;
        uint32_t flags;
        int x, y;
        bool hit;
    };
    const Case cases[] = {
        { "inside", 0, 0, 95, 96, true },
        { "right edge is outside", 0, 0, 104, 100, false },
        { "bottom edge is outside", 0, 0, 100, 103, false },
        // A full turn keeps the rectangle but takes the turned path, where the
        // bottom edge row (ly = height) counts and the right column does not.
        { "turned: bottom row", 360, 0, 100, 103, true },
        { "turned: right column", 360, 0, 104, 100, false },
        { "turned: left column", 360, 0, 95, 100, true },
        // A quarter turn: 7 wide and 9 high on screen.
        { "quarter turn: tall", 90, 0, 100, 97, true },
        { "quarter turn: no longer 9 wide", 90, 0, 95, 100, false },
        { "unturned: 9 wide", 0, 0, 95, 100, true },
        { "per pixel: opaque", 0, ObjectFlags::kPixelHitTest, 96, 97, true },
        { "per pixel: cleared", 0, ObjectFlags::kPixelHitTest, 95, 96, false },
        { "per pixel: outside", 0, ObjectFlags::kPixelHitTest, 94, 96, false },
    };
    s.ClearPixel(0, 0);
    for (const auto& c : cases) {
        s.RotateTo(c.angle);
        s.SetFlags(c.flags);
        EXPECT_EQ(s.HitTest(c.x, c.y), c.hit) << c.what;
    }
    // An active hit rectangle must hold the point as well.
    s.RotateTo(0);
    s.SetFlags(0);
    s.SetHitRect(95, 96, 100, 100);
    EXPECT_TRUE(s.HitTest(99, 99));
    EXPECT_FALSE(s.HitTest(100, 99));

    EngineObject plain;
    plain.SetFlags(ObjectFlags::kPixelHitTest);
    plain.SetSize(10, 10);
    plain.MoveTo(0, 0);
    EXPECT_FALSE(plain.HitTest(0, 0)); // no picture
}

TEST_F(ObjectEngine, FocusWithin)
{
    EngineObject& parent = *objects->CreateObject(nullptr);
    EngineObject& child = *objects->CreateObject(nullptr);
    EngineObject& grandchild = *objects->CreateObject(nullptr);
    parent.AddChild(&child, 0);
    child.AddChild(&grandchild, 0);
    EXPECT_FALSE(parent.HasFocusWithin());
    grandchild.AddFlags(ObjectFlags::kHasFocus);
    EXPECT_TRUE(parent.HasFocusWithin());
}

TEST_F(ObjectEngine, SubscriptionsKeepOnePerTargetAndCode)
{
    EngineObject& parent = *objects->CreateObject(nullptr);
    EngineObject& passes = *objects->CreateObject(nullptr);
    EngineObject& keeps = *objects->CreateObject(nullptr);
    parent.AddChild(&passes, kLinkSubscribe);
    parent.AddChild(&keeps, 0);
    parent.Subscribe(EVT_LBUTTON_UP, EngineEvent(7, 80000119, 1, 2));
    parent.Subscribe(EVT_LBUTTON_UP, EngineEvent(7, 80000119, 3, 4)); // same target and code
    parent.Subscribe(EVT_LBUTTON_UP, EngineEvent(8, 80000119));
    parent.Subscribe(80000005, EngineEvent(7, 80000005)); // not an input code
    ASSERT_EQ(parent.Subscriptions().size(), 3u);
    EXPECT_EQ(parent.Subscriptions()[0].event.param, 1u);
    EXPECT_TRUE(parent.IsInputEnabled());
    EXPECT_EQ(passes.Subscriptions().size(), 2u);
    EXPECT_TRUE(passes.IsInputEnabled());
    EXPECT_TRUE(keeps.Subscriptions().empty());

    size_t position = 0;
    std::vector<int> targets;
    while (const EngineEvent* e = parent.FindNextSubscription(EVT_LBUTTON_UP, position))
        targets.push_back(e->target);
    EXPECT_THAT(targets, ElementsAre(7, 8));
    EXPECT_EQ(parent.FindSubscription(80000005)->code, 80000005);

    parent.Unsubscribe(EVT_LBUTTON_UP);
    EXPECT_EQ(parent.FindSubscription(EVT_LBUTTON_UP), nullptr);
    EXPECT_TRUE(parent.IsInputEnabled()); // stays enabled

    EngineObject& drag = *objects->CreateObject(nullptr);
    drag.SetDraggable(true);
    EXPECT_EQ(drag.FindSubscription(EVT_DRAG)->code, EVT_DRAG_MOVE);
    drag.SetDraggable(false);
    EXPECT_EQ(drag.FindSubscription(EVT_DRAG), nullptr);
    EXPECT_NE(drag.FindSubscription(EVT_LBUTTON_DOWN), nullptr);
    EXPECT_NE(drag.FindSubscription(EVT_LBUTTON_UP), nullptr);
}

TEST_F(ObjectEngine, BaseEventHandling)
{
    Listener* o = Add<Listener>();
    o->MoveTo(100, 100);
    o->SetSize(10, 10);

    InputState state;
    state.dx = 3;
    state.dy = -2;
    o->OnEvent(EngineEvent(o->GetId(), EVT_DRAG_MOVE, 0, ToWord(&state)));
    EXPECT_EQ(o->GetX(), 103.0);
    EXPECT_EQ(o->GetY(), 98.0);
    o->OnEvent(EngineEvent(o->GetId(), EVT_DRAG, 0, 0)); // no input state: no move
    EXPECT_EQ(o->GetX(), 103.0);

    o->OnEvent(EngineEvent(o->GetId(), EVT_SHOW));
    EXPECT_TRUE(o->IsShown());
    o->OnEvent(EngineEvent(o->GetId(), EVT_HIDE));
    EXPECT_FALSE(o->IsShown());

    // The param block is freed (the leak checker would see it otherwise).
    o->OnEvent(EngineEvent(o->GetId(), EVT_FREE_DATA, ToWord(AllocEventBlock(32))));
    o->OnEvent(EngineEvent(o->GetId(), EVT_FREE_DATA2, ToWord(AllocEventBlock(1))));
    o->OnEvent(EngineEvent(o->GetId(), EVT_FREE_DATA, 0));

    // Cursor clipping while the button is held, with both flags only.
    o->SetHitRect(10, 20, 30, 40);
    o->OnEvent(EngineEvent(o->GetId(), EVT_LBUTTON_DOWN));
    EXPECT_EQ(host.clip, (Rect { 0, 0, 1920, 1080 }));
    o->AddFlags(ObjectFlags::kClipCursorOnDrag);
    o->OnEvent(EngineEvent(o->GetId(), EVT_LBUTTON_DOWN));
    EXPECT_EQ(host.clip, (Rect { 1010, 2020, 1030, 2040 }));
    o->OnEvent(EngineEvent(o->GetId(), EVT_LBUTTON_UP));
    EXPECT_EQ(host.clip, (Rect { 0, 0, 1920, 1080 }));
}
