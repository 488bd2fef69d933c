#include "ObjectTestSupport.h"

#include <gmock/gmock.h>

using namespace engine;
using namespace enginetest;
using ::testing::ElementsAre;

namespace {

// Starts from an empty dirty list on a fresh module with the view 0..800 x 0..600.
struct MergeCase {
    const char* what;
    std::vector<Rect> added;
    std::vector<Rect> expected;
};

} // namespace

TEST(DrawState, DirtyRectanglesMergeByTheRules)
{
    const MergeCase cases[] = {
        { "first is clipped to the view", { { -10, -10, 50, 50 } }, { { 0, 0, 50, 50 } } },
        { "outside the view is not recorded", { { 900, 0, 950, 50 } }, {} },
        { "a container replaces the first it holds",
            { { 10, 10, 20, 20 }, { 100, 100, 120, 120 }, { 0, 0, 200, 200 } },
            { { 0, 0, 200, 200 }, { 100, 100, 120, 120 } } },
        { "a contained one changes nothing", { { 0, 0, 100, 100 }, { 10, 10, 20, 20 } }, { { 0, 0, 100, 100 } } },
        { "same left and right: union", { { 10, 10, 20, 20 }, { 10, 50, 20, 60 } }, { { 10, 10, 20, 60 } } },
        { "same top and bottom: union", { { 10, 10, 20, 20 }, { 40, 10, 50, 20 } }, { { 10, 10, 50, 20 } } },
        { "otherwise appended unclipped", { { 10, 10, 20, 20 }, { 790, 590, 900, 900 } },
            { { 10, 10, 20, 20 }, { 790, 590, 900, 900 } } },
        { "a union takes in later parts", { { 10, 10, 20, 20 }, { 10, 30, 20, 40 }, { 10, 15, 20, 35 } },
            { { 10, 10, 20, 40 } } },
    };
    for (const auto& c : cases) {
        ObjectModule module; // not loaded: only its draw state is used
        module.SetViewCentre(400, 300);
        module.SetViewSize(800, 600);
        for (const Rect& r : c.added)
            module.AddDirtyRect(r);
        EXPECT_EQ(module.DirtyRects(), c.expected) << c.what;
    }
}

TEST_F(ObjectEngine, NothingInvalidatedSendsNothing)
{
    Sprite(100, 100, 10, 10);
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    Frame();
    Frame();
    EXPECT_EQ(paint->renders.size(), 1u);
}

TEST_F(ObjectEngine, MovesMarkOldAndNewPlaces)
{
    TestSprite* s = Sprite(100, 100, 20, 20); // 90..110
    Frame();
    paint->renders.clear();

    s->MoveBy(0, 50); // a vertical move: both places merge into one
    s->Invalidate();
    EXPECT_THAT(objects->DirtyRects(), ElementsAre(Rect { 90, 90, 110, 160 }));
    s->SetOpacity(0.5); // the same place again: no change
    s->Invalidate();
    EXPECT_EQ(objects->DirtyRects().size(), 1u);
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    EXPECT_THAT(paint->renders[0].rects, ElementsAre(Rect { 90, 90, 110, 160 }));
    ASSERT_EQ(paint->renders[0].pictures.size(), 1u);
    EXPECT_EQ(paint->renders[0].pictures[0], s->GetPicture());
    EXPECT_EQ(paint->renders[0].geometries[0].opacity, 0.5);

    // Only the opacity: the bounds once.
    paint->renders.clear();
    s->SetOpacity(0.25);
    s->Invalidate();
    EXPECT_THAT(objects->DirtyRects(), ElementsAre(Rect { 90, 140, 110, 160 }));
}

// The draw list holds exactly the drawable objects with pictures that meet a
// dirty rectangle, back to front by layer, z and id.
TEST_F(ObjectEngine, RenderPassListsWhatMeetsTheDirtyRectangles)
{
    TestSprite* far = Sprite(700, 500, 20, 20);
    TestSprite* a = Sprite(100, 100, 40, 40);    // 80..120
    TestSprite* b = Sprite(110, 110, 40, 40);    // overlaps a
    TestSprite* c = Sprite(100, 100, 10, 10);
    EngineObject* plain = objects->CreateObject(nullptr); // no picture: never drawn
    plain->MoveTo(100, 100);
    plain->SetSize(50, 50);
    plain->Show();
    plain->Invalidate();
    a->SetLayer(1);
    a->SetZ(-5);
    a->Invalidate();
    b->SetZ(100);
    b->Invalidate();
    c->SetZ(100);
    c->Invalidate();
    TestSprite* hidden = Sprite(100, 100, 20, 20, false);
    Frame();
    paint->renders.clear();
    (void)hidden;

    c->Invalidate(); // dirty 95..105
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    const RenderRecord& r = paint->renders[0];
    // b (layer 0, z 100, id 3) and c (layer 0, z 100, id 4) in id order, then a (layer 1).
    EXPECT_THAT(r.pictures, ElementsAre(b->GetPicture(), c->GetPicture(), a->GetPicture()));
    EXPECT_TRUE(objects->IsDrawListOrdered());
    EXPECT_EQ(objects->IndexInDrawList(far->GetId()), -1); // z -9999 at the back
    EXPECT_EQ(objects->IndexInDrawList(12345), static_cast<int>(objects->DrawListSize()) - 1);
    (void)far;
}

TEST_F(ObjectEngine, HiddenAndInvalidatedLeavesTheDrawList)
{
    TestSprite* back = Sprite(100, 100, 40, 40);
    TestSprite* top = Sprite(100, 100, 20, 20);
    Frame();
    paint->renders.clear();

    top->Hide(); // not invalidated: still drawn where its area is redrawn
    back->Invalidate();
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    EXPECT_EQ(paint->renders[0].pictures.size(), 2u);

    top->Invalidate();
    Frame();
    ASSERT_EQ(paint->renders.size(), 2u);
    EXPECT_THAT(paint->renders[1].rects, ElementsAre(Rect { 90, 90, 110, 110 }));
    EXPECT_THAT(paint->renders[1].pictures, ElementsAre(back->GetPicture()));

    // Hidden by SetVisible (which invalidates by itself): out as well.
    top->Show();
    top->Invalidate();
    Frame();
    EXPECT_EQ(objects->DrawListSize(), 2u);
    top->SetVisible(false);
    EXPECT_EQ(objects->DrawListSize(), 1u);
    top->SetVisible(true);
    EXPECT_EQ(objects->DrawListSize(), 2u);
}

// While the window is minimised render passes wait; the first pass after it
// comes back redraws what was dirtied meanwhile. A long spell collapses the
// list into the whole view instead of letting it grow.
TEST_F(ObjectEngine, MinimisedWindowWaitsAndCollapses)
{
    TestSprite* s = Sprite(100, 100, 10, 10);
    Frame();
    paint->renders.clear();

    host.minimised = true;
    s->MoveBy(30, 30);
    s->Invalidate();
    Frame();
    Frame();
    EXPECT_TRUE(paint->renders.empty());
    EXPECT_EQ(objects->DirtyRects().size(), 2u);

    for (int i = 0; i < 400; ++i) {
        s->MoveTo(5 + (i * 37) % 780, 5 + (i * 53) % 580);
        s->Invalidate();
    }
    EXPECT_LE(objects->DirtyRects().size(), kMaxDirtyRects);
    host.minimised = false;
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    EXPECT_THAT(paint->renders[0].pictures, ElementsAre(s->GetPicture()));
    EXPECT_TRUE(objects->DirtyRects().empty());
}

TEST_F(ObjectEngine, FullRedrawAndViewChanges)
{
    TestSprite* a = Sprite(100, 100, 10, 10);
    TestSprite* b = Sprite(700, 500, 10, 10);
    Frame();
    paint->renders.clear();

    objects->SetFullRedraw(true);
    objects->AddDirtyRect(Rect { 400, 300, 401, 301 });
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    EXPECT_THAT(paint->renders[0].rects, ElementsAre(Rect { 0, 0, 800, 600 }));
    EXPECT_THAT(paint->renders[0].pictures, ElementsAre(a->GetPicture(), b->GetPicture()));
    objects->SetFullRedraw(false);
    paint->renders.clear();

    // Moving the view by 10 marks every drawable object's visible part.
    objects->SetViewCentre(410, 300);
    EXPECT_EQ(objects->GetViewRect(), (Rect { 10, 0, 810, 600 }));
    EXPECT_THAT(objects->DirtyRects(), ElementsAre(Rect { 95, 95, 105, 105 }, Rect { 695, 495, 705, 505 }));
    Frame();
    ASSERT_EQ(paint->renders.size(), 1u);
    // Window coordinates: the view's left edge is subtracted.
    EXPECT_EQ(paint->renders[0].rects[0], (Rect { 85, 95, 95, 105 }));
    EXPECT_EQ(paint->renders[0].geometries[0].x, 90.0);

    paint->renders.clear();
    objects->RedrawAll();
    ASSERT_EQ(paint->renders.size(), 1u); // at once, inside the call
    EXPECT_THAT(paint->renders[0].rects, ElementsAre(Rect { 0, 0, 800, 600 }));
}

TEST_F(ObjectEngine, ObjectsOutsideTheViewStayOut)
{
    TestSprite* s = Sprite(-500, 100, 10, 10);
    EXPECT_EQ(objects->DrawListSize(), 0u);
    EXPECT_TRUE(objects->DirtyRects().empty());
    s->MoveTo(100, 100);
    EXPECT_EQ(objects->DrawListSize(), 0u); // not until it is invalidated
    s->Invalidate();
    EXPECT_EQ(objects->DrawListSize(), 1u);
}

TEST_F(ObjectEngine, WithoutAPaintModuleTheListIsFreedHere)
{
    Sprite(100, 100, 10, 10);
    EXPECT_EQ(core.UnloadModule(MODULE_PAINT), ORBITVANE_RETURN_OK);
    long long inUse = PoolBytesInUse();
    Frame();
    EXPECT_EQ(PoolBytesInUse(), inUse);
    EXPECT_TRUE(objects->DirtyRects().empty());
}

// The render pass picks its objects through a coarse grid; whatever the
// scene, the list must equal the plain rule: every draw-list object with a
// picture whose current geometry meets a dirty rectangle, in draw order.
TEST_F(ObjectEngine, RenderPassSelectionEqualsThePlainRule)
{
    uint32_t seed = 12345;
    auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    std::vector<TestSprite*> sprites;
    for (int i = 0; i < 300; ++i) {
        TestSprite* s = Sprite(static_cast<double>(next(900)) - 50, static_cast<double>(next(700)) - 50,
            static_cast<int>(2 + next(120)), static_cast<int>(2 + next(90)));
        if (next(4) == 0)
            s->RotateTo(static_cast<double>(next(360)));
        s->SetLayer(next(3));
        s->SetZ(static_cast<double>(next(50)));
        s->Invalidate();
        sprites.push_back(s);
    }
    for (int round = 0; round < 20; ++round) {
        Frame();
        paint->renders.clear();
        for (int i = 0; i < 40; ++i) {
            TestSprite* s = sprites[next(static_cast<uint32_t>(sprites.size()))];
            s->MoveBy(static_cast<double>(next(61)) - 30, static_cast<double>(next(61)) - 30);
            if (next(3) != 0) // some move without being invalidated
                s->Invalidate();
        }
        objects->AddDirtyRect(Rect { static_cast<int>(next(800)), static_cast<int>(next(600)), 900, 700 });

        std::vector<const PictureRef*> expected;
        for (int id : objects->DrawOrder()) {
            EngineObject* o = objects->FindById(id);
            for (const Rect& r : objects->DirtyRects()) {
                if (ObjectMeetsRect(r, o->GetGeometry())) {
                    expected.push_back(o->GetPicture());
                    break;
                }
            }
        }
        Frame();
        ASSERT_EQ(paint->renders.size(), 1u) << "round " << round;
        EXPECT_EQ(paint->renders[0].pictures, expected) << "round " << round;
    }
}
