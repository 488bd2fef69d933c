#include "engine/core/ObjectModule.h"

#include "engine/core/GameCore.h"
#include "engine/core/HostWindow.h"
#include "engine/core/Geometry.h"

#include <algorithm>
#include <new>

namespace engine {


namespace {

constexpr size_t kPoolBlock = 64;

} // namespace

ObjectModule::ObjectModule() = default;

ObjectModule::~ObjectModule()
{
    RemoveAllObjects();
}

int ObjectModule::Init()
{
    m_eventPool.Init(sizeof(EngineEvent), kPoolBlock);
    m_itemPool.Init(sizeof(DrawItem), kPoolBlock);
    m_groupPool.Init(sizeof(ActionGroup), kPoolBlock);
    m_actionPool.Init(sizeof(TimedAction), kPoolBlock);
    m_poolsReady = true;
    return 1;
}

void ObjectModule::Shutdown()
{
    // Every pending posted event, draw item, group and action goes with the
    // pools.
    m_firstAction = nullptr;
    m_lastAction = nullptr;
    m_openStage = nullptr;
    m_liveStages.clear();
    m_poolsReady = false;
    m_eventPool.Destroy();
    m_itemPool.Destroy();
    m_groupPool.Destroy();
    m_actionPool.Destroy();
    RemoveAllObjects();
}

void ObjectModule::RemoveAllObjects()
{
    // Unlinked first, so no destructor finds children to remove.
    for (auto& [id, entry] : m_entries)
        entry->object->RemoveAllChildren();
    while (!m_entries.empty())
        RemoveObject(m_entries.begin()->first);
}

void ObjectModule::Update()
{
    DrainMessages();
    RunActions();
    RenderPass();
}

uint32_t ObjectModule::MsUntilWork(uint32_t now)
{
    {
        std::lock_guard guard(m_lock);
        GameCore* core = GetCore();
        const bool minimised = core && core->GetHostWindow() && core->GetHostWindow()->IsMinimised();
        if (!m_dirty.empty() && m_poolsReady && !minimised)
            return 0;
    }
    uint32_t soonest = kNoWork;
    for (const TimedAction* action = m_firstAction; action; action = action->next) {
        // A held action waits for the call that releases it.
        if (action->held)
            continue;
        if (action->cancelled || !action->started)
            return 0;
        const uint32_t since = now - action->lastStepTime;
        soonest = std::min(soonest, since >= action->interval ? 0 : action->interval - since);
    }
    return soonest;
}

// Registry ----------------------------------------------------------------

int ObjectModule::AddObject(std::unique_ptr<EngineObject> object, EngineObject* parent)
{
    if (!object)
        return 0;
    auto entry = std::make_unique<ObjectEntry>();
    EngineObject* raw = object.get();
    entry->object = std::move(object);
    int id = ++m_idCounter;
    raw->Attach(GetCore(), id);
    raw->SetZ(id - 10000);
    entry->drawn = raw->GetGeometry();
    ObjectEntry& e = *entry;
    m_entries.emplace(id, std::move(entry));
    if (IsDrawable(e.drawn)) {
        std::lock_guard guard(m_lock);
        Rect visible;
        IntersectRect(visible, ObjectBounds(e.drawn), m_view);
        AddDirtyRect(visible);
        InsertIntoDrawList(e);
    }
    if (parent && parent->GetRoot())
        raw->SetRoot(parent->GetRoot());
    return raw->OnCreate();
}

EngineObject* ObjectModule::CreateObject(EngineObject* parent)
{
    auto object = std::make_unique<EngineObject>();
    EngineObject* raw = object.get();
    AddObject(std::move(object), parent);
    return raw;
}

void ObjectModule::RemoveObject(int id)
{
    CancelActionsOf(id);
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    std::unique_ptr<ObjectEntry> entry = std::move(it->second);
    m_entries.erase(it);
    m_staleOrder.erase(id);
    {
        std::lock_guard guard(m_lock);
        EngineObject& object = *entry->object;
        if (object.IsShown() && object.IsVisible())
            AddDirtyRect(ObjectBounds(object.GetGeometry()));
        TakeOutOfDrawList(*entry);
    }
    // The destructor removes the owned children through this module again.
    entry->object.reset();
}

EngineObject* ObjectModule::ObjectFromPoint(int x, int y)
{
    std::lock_guard guard(m_lock);
    int sx = x + m_view.left;
    int sy = y + m_view.top;
    auto candidate = [&](EngineObject& object) {
        return object.IsInputEnabled() && !object.IsClickThrough() && object.HitTest(sx, sy);
    };

    // Walking back to front, a candidate replaces the best one when it lies
    // in a higher layer, or in the same layer at a strictly greater z; layer
    // 0 starts at the depth floor. The winner is the front-most (layer, z),
    // the first in draw order among equals.
    if (m_staleOrder.empty()) {
        // The list is in (layer, z) order: walk from the front and stop at
        // the first hit, then take the earliest of its equals.
        for (auto it = m_drawList.rbegin(); it != m_drawList.rend(); ++it) {
            EngineObject& object = *it->object;
            if (!candidate(object))
                continue;
            if (it->layer == 0 && !(it->z > m_hitZFloor))
                return nullptr; // everything further back lies below the floor too
            EngineObject* best = &object;
            for (auto tie = std::next(it); tie != m_drawList.rend() && tie->layer == it->layer && tie->z == it->z; ++tie) {
                if (candidate(*tie->object))
                    best = tie->object;
            }
            return best;
        }
        return nullptr;
    }

    EngineObject* best = nullptr;
    uint32_t bestLayer = 0;
    double bestZ = m_hitZFloor;
    for (const DrawKey& key : m_drawList) {
        EngineObject& object = *key.object;
        uint32_t layer = object.GetLayer();
        double z = object.GetZ();
        if (!(layer > bestLayer || (layer == bestLayer && z > bestZ)))
            continue;
        if (!candidate(object))
            continue;
        best = &object;
        bestLayer = layer;
        bestZ = z;
    }
    return best;
}

int ObjectModule::FindFocusTarget(int id)
{
    for (EngineObject* object = FindById(id); object; object = object->GetParent()) {
        if (object->IsFocusable())
            return object->GetId();
    }
    return 0;
}

EngineObject* ObjectModule::FindByName(const std::string& name) const
{
    for (const auto& [id, entry] : m_entries) {
        const std::string* own = entry->object->GetName();
        if (own && *own == name)
            return entry->object.get();
    }
    return nullptr;
}

EngineObject* ObjectModule::FindById(int id) const
{
    auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : it->second->object.get();
}

double ObjectModule::GetTopZ(uint32_t layer) const
{
    double top = 0.0;
    for (const auto& [id, entry] : m_entries) {
        if (entry->object->GetLayer() == layer)
            top = std::max(top, entry->object->GetZ());
    }
    return top;
}

// Events ------------------------------------------------------------------

int ObjectModule::SendEvent(const EngineEvent& event)
{
    EngineObject* target = FindById(event.target);
    return target ? target->OnEvent(event) : 0;
}

int ObjectModule::PostEvent(const EngineEvent& event)
{
    if (!m_poolsReady)
        return 0;
    void* block = m_eventPool.Alloc(sizeof(EngineEvent));
    auto* copy = new (block) EngineEvent(event);
    PostMessage(MODULE_OBJECT, MODMSG_OBJ_DELIVER_POSTED, ToWord(copy), 0);
    return 1;
}

int ObjectModule::OnMessage(int msg, MessageWord data, MessageWord extra)
{
    switch (msg) {
    case MODMSG_OBJ_REMOVE:
        // Carries the object's id, not its address: an object removed in
        // between is simply not found.
        RemoveObject(static_cast<int>(data));
        return 0;
    case MODMSG_OBJ_DELIVER_POSTED: {
        auto* event = FromWord<EngineEvent>(data);
        if (!event)
            return 1;
        SendEvent(*event);
        m_eventPool.Free(event);
        return 1;
    }
    case MODMSG_OBJ_SEND_EVENT:
        return data ? SendEvent(*FromWord<const EngineEvent>(data)) : 0;
    case MODMSG_OBJ_POST_EVENT:
        if (data)
            PostEvent(*FromWord<const EngineEvent>(data));
        return 1;
    case MODMSG_OBJ_SEND_AND_FREE: {
        auto* event = FromWord<EngineEvent>(data);
        if (!event)
            return 0;
        SendEvent(*event);
        if (extra)
            reinterpret_cast<MessageRelease>(extra)(0, data, 0);
        else
            delete event;
        return 0;
    }
    case MODMSG_OBJ_INPUT_EVENT:
        if (data) {
            SendEvent(*FromWord<const EngineEvent>(data));
            PostMessage(MODULE_INPUT, MODMSG_INPUT_FREE_EVENT, data, 0);
        }
        return 0;
    case MODMSG_OBJ_UPDATE:
        UpdateObject(FromWord<EngineObject>(data));
        return 0;
    case MODMSG_OBJ_ADD_ACTION:
        AddAction(FromWord<TimedAction>(data));
        return 0;
    case MODMSG_OBJ_BEGIN_GROUP:
        BeginGroup(FromWord<ActionGroup>(data));
        return 0;
    case MODMSG_OBJ_NEXT_GROUP:
        NextGroup(FromWord<ActionGroup>(data));
        return 0;
    case MODMSG_OBJ_END_GROUP:
        EndGroup();
        return 0;
    case MODMSG_OBJ_CANCEL_ACTION:
        // The low 32 bits of the id, read as a signed value and widened.
        CancelAction(static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(data))));
        return 0;
    case MODMSG_OBJ_CANCEL_GROUP:
        // Carries the group's id: a group that has finished is not found.
        CancelGroup(static_cast<uint64_t>(data));
        return 0;
    case MODMSG_OBJ_CANCEL_OBJECT_ACTIONS:
        CancelActionsOf(static_cast<int>(data));
        return 0;
    case MODMSG_OBJ_REDRAW_ALL:
        RedrawAll();
        return 0;
    default:
        return 0;
    }
}

} // namespace engine
