// The object module's timed actions and action groups.
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"

#include <new>

namespace engine {

TimedAction* ObjectModule::NewAction()
{
    if (!m_poolsReady)
        return nullptr;
    auto* action = new (m_actionPool.Alloc(sizeof(TimedAction))) TimedAction {};
    action->id = ++m_actionIds;
    return action;
}

ActionGroup* ObjectModule::NewActionGroup()
{
    if (!m_poolsReady)
        return nullptr;
    auto* group = new (m_groupPool.Alloc(sizeof(ActionGroup))) ActionGroup {};
    group->id = ++m_actionIds;
    m_liveStages.insert(group);
    return group;
}

size_t ObjectModule::GetLiveActionCount() const
{
    size_t count = 0;
    for (TimedAction* a = m_firstAction; a; a = a->next)
        count += a->cancelled ? 0 : 1;
    return count;
}

bool ObjectModule::IsActive(const ActionGroup* stage) const
{
    for (; stage; stage = stage->parent) {
        if (stage->previous)
            return false;
    }
    return true;
}

bool ObjectModule::IsOpenOrEnclosing(const ActionGroup* stage) const
{
    for (const ActionGroup* open = m_openStage; open; open = open->parent) {
        if (open == stage)
            return true;
    }
    return false;
}

void ObjectModule::PostGroupError(const char* text)
{
    // A constant text: nothing to free whoever ends up with it.
    PostMessage(MODULE_NOTIFY_SINK, NOTE_MODULE_ERROR, ToWord(text), 0);
}

void ObjectModule::FreeStage(ActionGroup* stage)
{
    m_liveStages.erase(stage);
    if (m_openStage == stage)
        m_openStage = nullptr;
    stage->~ActionGroup();
    m_groupPool.Free(stage);
}

void ObjectModule::RemoveFromParentList(ActionGroup* stage, ActionGroup* replacement)
{
    if (!stage->parent)
        return;
    ActionGroup** link = &stage->parent->firstChild;
    for (; *link; link = &(*link)->nextSibling) {
        if (*link == stage) {
            if (replacement) {
                replacement->nextSibling = stage->nextSibling;
                *link = replacement;
            } else {
                *link = stage->nextSibling;
            }
            stage->nextSibling = nullptr;
            return;
        }
    }
}

void ObjectModule::AddAction(TimedAction* action)
{
    if (!action)
        return;
    action->next = nullptr;
    action->group = m_openStage;
    if (m_openStage) {
        ++m_openStage->memberCount;
        if (!IsActive(m_openStage))
            action->held = 1;
    }
    if (m_lastAction)
        m_lastAction->next = action;
    else
        m_firstAction = action;
    m_lastAction = action;
}

void ObjectModule::BeginGroup(ActionGroup* group)
{
    if (!group)
        return;
    group->parent = m_openStage;
    group->previous = nullptr;
    group->nextSibling = nullptr;
    group->memberCount = 0;
    if (m_openStage) {
        ++m_openStage->memberCount;
        ActionGroup** link = &m_openStage->firstChild;
        while (*link)
            link = &(*link)->nextSibling;
        *link = group;
    }
    m_openStage = group;
}

void ObjectModule::NextGroup(ActionGroup* group)
{
    if (!group)
        return;
    if (!m_openStage) {
        PostGroupError(kNextWithoutBegin);
        FreeStage(group);
        return;
    }
    ActionGroup* open = m_openStage;
    if (open->memberCount > 0) {
        open->next = group;
        group->previous = open;
        group->parent = open->parent;
    } else {
        // The empty stage is replaced by the new node, which takes over its
        // place in the chain and in the parent's child list.
        if (open->previous)
            open->previous->next = group;
        group->id = open->id;
        group->parent = open->parent;
        group->previous = open->previous;
        group->next = open->next;
        group->firstChild = open->firstChild;
        group->memberCount = open->memberCount;
        RemoveFromParentList(open, group);
        FreeStage(open);
    }
    group->memberCount = 0;
    m_openStage = group;
}

void ObjectModule::EndGroup()
{
    ActionGroup* open = m_openStage;
    if (!open) {
        PostGroupError(kEndWithoutBegin);
        return;
    }
    ActionGroup* parent = open->parent;
    if (open->memberCount > 0) {
        m_openStage = parent;
        return;
    }
    // An empty stage is dropped.
    if (open->previous) {
        open->previous->next = nullptr;
    } else if (parent) {
        --parent->memberCount;
        RemoveFromParentList(open, nullptr);
    }
    // (Also the end of a stage whose members all finished while it was open:
    // it had nothing left to release.)
    FreeStage(open);
    m_openStage = parent;
}

void ObjectModule::Unhold(ActionGroup* stage)
{
    for (TimedAction* a = m_firstAction; a; a = a->next) {
        if (a->group == stage)
            a->held = 0;
    }
    for (ActionGroup* child = stage->firstChild; child; child = child->nextSibling)
        Unhold(child);
}

void ObjectModule::ReleaseNextStage(ActionGroup* stage)
{
    ActionGroup* next = stage->next;
    if (next) {
        next->previous = nullptr; // the next stage is the group's first now
        Unhold(next);
    }
    ActionGroup* parent = stage->parent;
    // The next stage takes the finished one's place in the parent's list, so
    // cancelling the parent still reaches it.
    RemoveFromParentList(stage, next);
    FreeStage(stage);
    if (parent && !next) {
        --parent->memberCount;
        if (parent->memberCount == 0 && !IsOpenOrEnclosing(parent))
            ReleaseNextStage(parent);
    }
}

void ObjectModule::FinishAction(TimedAction* action, bool completed)
{
    if (completed && action->finishEvent.code != 0)
        SendEvent(action->finishEvent);
    if (ActionGroup* stage = action->group) {
        --stage->memberCount;
        // A stage still open may get more members: it is released when closed.
        if (stage->memberCount == 0 && !IsOpenOrEnclosing(stage))
            ReleaseNextStage(stage);
    }
    action->~TimedAction();
    m_actionPool.Free(action);
}

void ObjectModule::RunActions()
{
    uint32_t now = GetFrameTime();
    TimedAction* previous = nullptr;
    TimedAction* action = m_firstAction;
    while (action) {
        if (action->held) {
            previous = action;
            action = action->next;
            continue;
        }
        // An action whose target is no longer the registered object under
        // its id ends without touching it.
        if (!action->cancelled && action->target && FindById(action->targetId) != action->target)
            action->cancelled = 1;

        bool finished = false;
        bool completed = false;
        if (action->cancelled) {
            finished = true;
        } else {
            bool step = false;
            if (!action->started) {
                action->started = true;
                action->startTime = now;
                action->lastStepTime = now;
                step = true;
            } else if (static_cast<uint32_t>(now - action->lastStepTime) >= action->interval) {
                action->lastStepTime = now;
                step = true;
            }
            if (step && action->step) {
                uint32_t elapsed = action->lastStepTime - action->startTime;
                if (action->step(action->target, action->params, GetCore(), elapsed)) {
                    finished = true;
                    completed = true;
                }
            } else if (step && !action->step) {
                finished = true;
                completed = true;
            }
        }
        if (!finished) {
            previous = action;
            action = action->next;
            continue;
        }
        // Unlink, then finish: the finish event and the stage release may
        // add to the list behind us.
        TimedAction* next = action->next;
        if (previous)
            previous->next = next;
        else
            m_firstAction = next;
        if (m_lastAction == action)
            m_lastAction = previous;
        FinishAction(action, completed);
        action = previous ? previous->next : m_firstAction;
    }
}

void ObjectModule::CancelAction(uint64_t id)
{
    for (TimedAction* a = m_firstAction; a; a = a->next) {
        if (a->id == id) {
            a->cancelled = 1;
            return;
        }
    }
}

void ObjectModule::CancelGroup(uint64_t groupId)
{
    ActionGroup* stage = nullptr;
    for (ActionGroup* live : m_liveStages) {
        if (live->id == groupId) {
            stage = live;
            break;
        }
    }
    if (!stage)
        return;
    std::set<const ActionGroup*> stages;
    std::vector<const ActionGroup*> work { stage };
    while (!work.empty()) {
        const ActionGroup* s = work.back();
        work.pop_back();
        if (!s || !stages.insert(s).second)
            continue;
        work.push_back(s->next);
        for (const ActionGroup* child = s->firstChild; child; child = child->nextSibling)
            work.push_back(child);
    }
    for (TimedAction* a = m_firstAction; a; a = a->next) {
        if (a->group && stages.count(a->group))
            a->cancelled = 1;
    }
}

void ObjectModule::CancelActionsOf(int objectId)
{
    for (TimedAction* a = m_firstAction; a; a = a->next) {
        if (!a->cancelled && a->target && a->targetId == objectId)
            a->cancelled = 1;
    }
}

} // namespace engine
