#include "engine/core/ObjectModule.h"

#include "engine/core/GameCore.h"
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
    EngineObject* best = nullptr;
    uint32_t bestLayer = 0;
    double bestZ = m_hitZFloor;
    for (const DrawKey& key : m_drawList) {
        EngineObject& object = *key.entry->object;
        if (!object.IsInputEnabled() || object.IsClickThrough())
            continue;
        uint32_t layer = object.GetLayer();
        double z = object.GetZ();
        if (!(layer > bestLayer || (layer == bestLayer && z > bestZ)))
            continue;
        if (!object.HitTest(sx, sy))
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
