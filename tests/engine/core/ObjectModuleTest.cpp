#include "ObjectTestSupport.h"

#include "engine/core/InputState.h"

#include <gmock/gmock.h>

using namespace engine;
using namespace enginetest;
using ::testing::ElementsAre;

TEST_F(ObjectEngine, RegistryIdsDepthsNamesAndFocus)
{
    EngineObject* first = objects->CreateObject(nullptr);
    EngineObject* second = objects->CreateObject(nullptr);
    EXPECT_EQ(first->GetId(), 1);
    EXPECT_EQ(first->GetZ(), -9999.0);
    EXPECT_EQ(second->GetId(), 2);
    EXPECT_EQ(second->GetZ(), -9998.0);
    EXPECT_TRUE(first->IsAttached());
    EXPECT_EQ(objects->FindById(2), second);
    EXPECT_EQ(objects->FindById(99), nullptr);

    first->SetName("GameFrame");
    second->SetName("GameFrame");
    EXPECT_EQ(objects->FindByName("GameFrame"), first);
    EXPECT_EQ(objects->FindByName("gameframe"), nullptr);
    EXPECT_EQ(objects->GetTopZ(0), 0.0); // every z is negative
    second->SetZ(12.5);
    EXPECT_EQ(objects->GetTopZ(0), 12.5);
    first->BringToFront();
    EXPECT_EQ(first->GetZ(), 13.5);
    EXPECT_EQ(objects->GetObjectCount(), 2u);

    EngineObject* child = objects->CreateObject(first);
    first->AddChild(child, 0);
    EXPECT_EQ(objects->FindFocusTarget(child->GetId()), 0);
    first->SetFocusable(true);
    EXPECT_EQ(objects->FindFocusTarget(child->GetId()), first->GetId());

    // A parent's root is handed to objects registered under it.
    first->SetRoot(second);
    EngineObject* rooted = first->RegisterObject(std::make_unique<EngineObject>());
    EXPECT_EQ(rooted->GetRoot(), second);
}

// Removing a parent deletes the children it owns (depth first) and only
// unlinks the others, which stay registered; nothing is freed twice.
TEST_F(ObjectEngine, RemovingAParentDeletesOwnedChildrenOnly)
{
    TestSprite* parent = Sprite(100, 100, 20, 20);
    TestSprite* owned = Sprite(100, 100, 10, 10);
    TestSprite* grandchild = Sprite(100, 100, 4, 4);
    TestSprite* linked = Sprite(300, 300, 10, 10);
    parent->AddChild(owned, LINK_STANDARD);
    owned->AddChild(grandchild, kLinkOwned);
    parent->AddChild(linked, kLinkShow | kLinkHide);
    EXPECT_EQ(objects->DrawListSize(), 4u);
    int parentId = parent->GetId();
    int ownedId = owned->GetId();
    int grandId = grandchild->GetId();
    int linkedId = linked->GetId();

    objects->RemoveObject(parentId);
    EXPECT_THAT(deleted, ElementsAre(parentId, ownedId, grandId)); // depth first
    EXPECT_EQ(objects->FindById(parentId), nullptr);
    EXPECT_EQ(objects->FindById(ownedId), nullptr);
    EXPECT_EQ(objects->FindById(grandId), nullptr);
    ASSERT_EQ(objects->FindById(linkedId), linked);
    EXPECT_EQ(linked->GetParent(), nullptr);
    EXPECT_THAT(objects->DrawOrder(), ElementsAre(linkedId));
    objects->RemoveObject(parentId); // again: nothing

    // The removal is carried by id: a second removal of the same id, after
    // the object is gone, is ignored.
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_REMOVE, static_cast<MessageWord>(linkedId), 0);
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_REMOVE, static_cast<MessageWord>(linkedId), 0);
    Frame();
    EXPECT_EQ(objects->FindById(linkedId), nullptr);
    EXPECT_EQ(objects->GetObjectCount(), 0u);
}

TEST_F(ObjectEngine, ShutdownDeletesEverythingOnce)
{
    TestSprite* parent = Sprite(100, 100, 20, 20);
    TestSprite* owned = Sprite(100, 100, 10, 10);
    parent->AddChild(owned, LINK_STANDARD);
    Sprite(10, 10, 5, 5);
    EXPECT_EQ(core.UnloadModule(MODULE_OBJECT), ORBITVANE_RETURN_OK);
    EXPECT_EQ(deleted.size(), 3u);
}

// Point lookup: the front-most layer, then the greatest z, with the depth
// floor for layer 0; hidden, disabled and click-through objects take no
// clicks.
TEST_F(ObjectEngine, PointLookupTable)
{
    auto make = [&](double x, double y, int w, int h, uint32_t layer, double z) {
        TestSprite* s = Sprite(x, y, w, h);
        s->SetLayer(layer);
        s->SetZ(z);
        s->SetInputEnabled(true);
        s->Invalidate();
        return s;
    };
    TestSprite* back = make(100, 100, 100, 100, 0, 10);    // 50..150
    TestSprite* front = make(120, 120, 40, 40, 0, 20);     // 100..140
    TestSprite* twin = make(200, 200, 20, 20, 0, 5);       // 190..210
    TestSprite* twin2 = make(200, 200, 20, 20, 0, 5);      // same z, registered later
    TestSprite* upper = make(300, 300, 20, 20, 5, -1000);  // layer 5 beats any z of layer 0
    TestSprite* under = make(300, 300, 40, 40, 0, 999000);
    TestSprite* rotated = make(500, 100, 60, 10, 0, 1);    // a bar turned to stand upright
    rotated->RotateTo(90);
    rotated->Invalidate();
    TestSprite* passThrough = make(600, 100, 20, 20, 0, 50);
    passThrough->AddFlags(ObjectFlags::kClickThrough);
    TestSprite* behindPass = make(600, 100, 20, 20, 0, 1);
    TestSprite* hidden = make(700, 100, 20, 20, 0, 50);
    hidden->Hide();
    hidden->Invalidate();
    TestSprite* disabled = make(700, 100, 10, 10, 0, 60);
    disabled->SetInputEnabled(false);
    TestSprite* deep = make(100, 400, 20, 20, 0, -2000); // below a floor set later

    struct Case {
        const char* what;
        int x, y;
        EngineObject* expected;
    };
    const Case cases[] = {
        { "only the back one", 60, 60, back },
        { "greater z wins", 120, 120, front },
        { "equal z: first registered", 200, 200, twin },
        { "higher layer wins over z", 300, 300, upper },
        { "lower layer where the upper is absent", 285, 285, under },
        { "rotated bar, upright part", 500, 75, rotated },
        { "rotated bar, no longer across", 470, 100, nullptr },
        { "click-through passes to the one behind", 600, 100, behindPass },
        { "hidden and disabled take nothing", 700, 100, nullptr },
        { "empty space", 790, 590, nullptr },
        { "deep object above the default floor", 100, 400, deep },
    };
    for (const auto& c : cases)
        EXPECT_EQ(objects->ObjectFromPoint(c.x, c.y), c.expected) << c.what;
    (void)twin2;

    objects->SetHitZFloor(-1000);
    EXPECT_EQ(objects->ObjectFromPoint(100, 400), nullptr);
    // Hidden but not yet invalidated: still in the draw list, still hit.
    front->Hide();
    EXPECT_EQ(objects->ObjectFromPoint(120, 120), front);
    front->Invalidate();
    EXPECT_EQ(objects->ObjectFromPoint(120, 120), back);
    front->Show();
    front->Invalidate();
    EXPECT_EQ(objects->ObjectFromPoint(120, 120), front);

    // Depth changed but not yet invalidated: the lookup compares the depths
    // the objects have now, in the order the draw list still has them.
    back->SetZ(30);
    EXPECT_EQ(objects->ObjectFromPoint(120, 120), back);
    back->SetZ(10);
    EXPECT_EQ(objects->ObjectFromPoint(120, 120), front);
    back->SetZ(30);
    back->Invalidate();
    EXPECT_EQ(objects->ObjectFromPoint(120, 120), back);
    upper->SetLayer(0); // now under `under`, whose z is far greater
    EXPECT_EQ(objects->ObjectFromPoint(300, 300), under);
}

TEST_F(ObjectEngine, SentAndPostedEvents)
{
    Listener* a = Add<Listener>();
    Listener* b = Add<Listener>();
    EXPECT_EQ(a->SendEvent(EngineEvent(b->GetId(), 80000119, 5)), 42);
    EXPECT_EQ(b->events.size(), 1u);
    EXPECT_EQ(a->SendEvent(EngineEvent(999, 80000119)), 0); // nobody has the id
    EXPECT_EQ(a->SendEvent(EngineEvent(b->GetId(), 0)), 0);
    EXPECT_EQ(a->SendEvent(EngineEvent(0, 1)), 0);

    long long inUse = PoolBytesInUse();
    b->events.clear();
    EXPECT_EQ(a->PostEvent(EngineEvent(b->GetId(), 1, 10)), 1);
    EXPECT_EQ(a->PostEvent(EngineEvent(b->GetId(), 2, 20)), 1);
    EXPECT_EQ(a->PostEvent(EngineEvent(b->GetId(), 1, 10)), 1); // twice: delivered twice
    EXPECT_EQ(a->PostEvent(EngineEvent(0, 1)), 0);
    EXPECT_TRUE(b->events.empty());
    EXPECT_GT(PoolBytesInUse(), inUse);
    Frame();
    EXPECT_THAT(b->events,
        ElementsAre(EngineEvent(b->GetId(), 1, 10), EngineEvent(b->GetId(), 2, 20), EngineEvent(b->GetId(), 1, 10)));
    EXPECT_EQ(PoolBytesInUse(), inUse); // each copy back in the pool once

    // A posted event to an object removed before delivery is dropped quietly.
    a->PostEvent(EngineEvent(b->GetId(), 3));
    objects->RemoveObject(b->GetId());
    Frame();
    EXPECT_EQ(PoolBytesInUse(), inUse);

    // Posted from inside a delivery: the next turn.
    Listener* c = Add<Listener>();
    c->onEvent = [&](const EngineEvent& e) {
        if (e.code == 1)
            c->PostEvent(EngineEvent(c->GetId(), 2));
    };
    a->PostEvent(EngineEvent(c->GetId(), 1));
    Frame();
    EXPECT_EQ(c->events.size(), 1u);
    Frame();
    EXPECT_EQ(c->events.size(), 2u);
}

namespace {
int g_releasedEvents = 0;
void ReleaseEvent(int, MessageWord data, MessageWord)
{
    delete FromWord<EngineEvent>(data);
    ++g_releasedEvents;
}
} // namespace

TEST_F(ObjectEngine, HandedOverRecordsAreFreedOnce)
{
    Listener* a = Add<Listener>();
    g_releasedEvents = 0;
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_SEND_AND_FREE, ToWord(new EngineEvent(a->GetId(), 7)),
        reinterpret_cast<MessageWord>(&ReleaseEvent));
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_SEND_AND_FREE, ToWord(new EngineEvent(a->GetId(), 8)), 0);
    // An input record goes back to the input module, which frees it.
    auto* record = new EngineEvent(a->GetId(), EVT_LBUTTON_DOWN, 0, ToWord(new InputState {}));
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_INPUT_EVENT, ToWord(record), 0);
    Frame();
    ASSERT_EQ(a->events.size(), 3u);
    EXPECT_EQ(a->events[0].code, 7);
    EXPECT_EQ(a->events[1].code, 8);
    EXPECT_EQ(a->events[2].code, EVT_LBUTTON_DOWN);
    EXPECT_EQ(g_releasedEvents, 1);
    EXPECT_EQ(input->freed, 1);
}
