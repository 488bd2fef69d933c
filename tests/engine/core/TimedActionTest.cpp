#include "ObjectTestSupport.h"

#include <gmock/gmock.h>

#include <new>

using namespace engine;
using namespace enginetest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct Step {
    char tag;
    uint32_t elapsed;
    friend bool operator==(const Step&, const Step&) = default;
};

std::ostream& operator<<(std::ostream& os, const Step& s)
{
    return os << s.tag << "@" << s.elapsed;
}

std::vector<Step> g_steps;

struct StepParams {
    char tag;
    int finishAfter; // calls until the step reports done
    int calls;
};
static_assert(sizeof(StepParams) <= TimedAction::kParamBytes);

int RecordStep(EngineObject* target, void* params, GameCore*, uint32_t elapsed)
{
    auto* p = static_cast<StepParams*>(params);
    if (target)
        (void)target->GetX(); // the target must still be alive here
    g_steps.push_back({ p->tag, elapsed });
    return ++p->calls >= p->finishAfter;
}

class Actions : public ObjectEngine {
protected:
    Actions() { g_steps.clear(); }

    TimedAction* Act(char tag, int finishAfter, uint32_t interval = 30, EngineObject* target = nullptr,
        EngineEvent finish = {})
    {
        TimedAction* a = objects->NewAction();
        a->interval = interval;
        a->step = RecordStep;
        new (a->params) StepParams { tag, finishAfter, 0 };
        a->target = target;
        a->targetId = target ? target->GetId() : 0;
        a->finishEvent = finish;
        core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_ADD_ACTION, ToWord(a), 0);
        return a;
    }
    ActionGroup* Begin()
    {
        ActionGroup* g = objects->NewActionGroup();
        core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_BEGIN_GROUP, ToWord(g), 0);
        return g;
    }
    ActionGroup* Next()
    {
        ActionGroup* g = objects->NewActionGroup();
        core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_NEXT_GROUP, ToWord(g), 0);
        return g;
    }
    void End() { core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_END_GROUP, 0, 0); }

    // One frame 30 ms later; returns the steps it made.
    std::vector<Step> Pass(uint32_t advance = 30)
    {
        g_steps.clear();
        Frame(advance);
        return g_steps;
    }
};

} // namespace

TEST_F(Actions, FirstStepAtOnceThenEveryInterval)
{
    Act('a', 100, 30);
    EXPECT_THAT(Pass(11), ElementsAre(Step { 'a', 0 }));
    EXPECT_THAT(Pass(11), IsEmpty());
    EXPECT_THAT(Pass(11), IsEmpty());
    EXPECT_THAT(Pass(11), ElementsAre(Step { 'a', 33 })); // late is not skipped: elapsed grows
    EXPECT_THAT(Pass(30), ElementsAre(Step { 'a', 63 }));
    EXPECT_EQ(objects->GetLiveActionCount(), 1u);
}

TEST_F(Actions, FinishEventOnCompletionOnly)
{
    Listener* l = Add<Listener>();
    Act('a', 1, 30, nullptr, EngineEvent(l->GetId(), 80000001));
    TimedAction* cancelled = Act('b', 1, 30, nullptr, EngineEvent(l->GetId(), 80000002));
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_ACTION, static_cast<MessageWord>(cancelled->id), 0);
    EXPECT_THAT(Pass(), ElementsAre(Step { 'a', 0 }));
    ASSERT_EQ(l->events.size(), 1u); // in the same pass
    EXPECT_EQ(l->events[0].code, 80000001);
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
}

// Begin, two actions, next, one action, end: the third waits for both of
// the first two and then steps in the same pass.
TEST_F(Actions, StagesWaitForTheirPredecessors)
{
    Begin();
    Act('a', 2);
    Act('b', 1);
    Next();
    Act('c', 1);
    End();
    EXPECT_THAT(Pass(), ElementsAre(Step { 'a', 0 }, Step { 'b', 0 }));
    EXPECT_THAT(Pass(), ElementsAre(Step { 'a', 30 }, Step { 'c', 0 }));
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
    EXPECT_EQ(objects->OpenStageId(), 0u);
}

TEST_F(Actions, EmptyStagesAreReplaced)
{
    Begin();
    Next();
    Next();
    Act('a', 1);
    End();
    EXPECT_THAT(Pass(), ElementsAre(Step { 'a', 0 }));
}

// A group begun in stage 2 of an outer group waits for stage 1; stage 3
// waits for the nested group's last stage.
TEST_F(Actions, NestedGroups)
{
    Begin();
    Act('x', 2);
    Next();
    Begin();
    Act('y', 1);
    Next();
    Act('z', 2);
    End();
    Act('w', 1);
    Next();
    Act('v', 1);
    End();
    EXPECT_THAT(Pass(), ElementsAre(Step { 'x', 0 }));
    EXPECT_THAT(Pass(), ElementsAre(Step { 'x', 30 }, Step { 'y', 0 }, Step { 'z', 0 }, Step { 'w', 0 }));
    EXPECT_THAT(Pass(), ElementsAre(Step { 'z', 30 }, Step { 'v', 0 }));
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
}

// An empty nested group dropped at its end no longer counts in the outer
// stage, which finishes with its other members.
TEST_F(Actions, EmptyNestedGroupIsDropped)
{
    Begin();
    Act('a', 2);
    Next();
    Begin();
    End();
    Act('b', 1);
    Next();
    Act('c', 1);
    End();
    EXPECT_THAT(Pass(), ElementsAre(Step { 'a', 0 }));
    EXPECT_THAT(Pass(), ElementsAre(Step { 'a', 30 }, Step { 'b', 0 }, Step { 'c', 0 }));
}

TEST_F(Actions, CancelByActionGroupAndTarget)
{
    Listener* target = Add<Listener>();
    Listener* other = Add<Listener>();
    TimedAction* one = Act('1', 100);
    Act('t', 100, 30, target);
    Act('o', 100, 30, other);
    ActionGroup* group = Begin();
    Act('g', 100);
    Next();
    Act('h', 100);
    End();
    EXPECT_THAT(Pass(), ElementsAre(Step { '1', 0 }, Step { 't', 0 }, Step { 'o', 0 }, Step { 'g', 0 }));

    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_ACTION, 424242, 0); // no such id
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_ACTION, static_cast<MessageWord>(one->id), 0);
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_OBJECT_ACTIONS, static_cast<MessageWord>(target->GetId()), 0);
    core.PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_GROUP, static_cast<MessageWord>(group->id), 0);
    // The cancelled group unwinds stage by stage: 'h' never steps.
    EXPECT_THAT(Pass(), ElementsAre(Step { 'o', 30 }));
    EXPECT_THAT(Pass(), ElementsAre(Step { 'o', 60 }));
    EXPECT_EQ(objects->GetLiveActionCount(), 1u);
}

// Removing an object cancels its actions before it is deleted, so no step
// ever sees a deleted target.
TEST_F(Actions, RemovedTargetIsNeverStepped)
{
    Listener* target = Add<Listener>();
    Act('t', 100, 30, target);
    EXPECT_THAT(Pass(), ElementsAre(Step { 't', 0 }));
    objects->RemoveObject(target->GetId());
    EXPECT_THAT(Pass(), IsEmpty());
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
}

TEST_F(Actions, MisusedGroupsPostTheirNotices)
{
    Next();
    End();
    Frame();
    EXPECT_THAT(sink->texts, ElementsAre("can't NextGroup without BeginGroup!", "can't EndGroup without BeginGroup!"));
    EXPECT_EQ(objects->OpenStageId(), 0u);
}

TEST_F(Actions, ShutdownTakesPendingActionsAndGroups)
{
    Begin();
    Act('a', 100);
    Next();
    Act('b', 100);
    Pass();
    Act('c', 100); // still queued when the module goes
    EXPECT_EQ(core.UnloadModule(MODULE_OBJECT), ORBITVANE_RETURN_OK);
}
