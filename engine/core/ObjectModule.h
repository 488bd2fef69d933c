#pragma once
// Engine module 1002: owns every registered engine object, gives ids and
// initial depths, finds objects by id, name and point, delivers their events,
// runs their timed actions and, once per turn, turns what changed into dirty
// rectangles and a draw list for the paint module.
//
// Source files: ObjectModule.cpp (registry, events, messages),
// ObjectModuleDraw.cpp (draw state and the render pass),
// ObjectModuleActions.cpp (timed actions and groups).

#include "engine/core/EngineEvent.h"
#include "engine/core/EngineObject.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/ModuleBase.h"
#include "engine/core/RenderList.h"
#include "engine/core/TimedAction.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace engine {

inline constexpr uint32_t kObjectModuleQueueLimit = 0x100000;
inline constexpr double kDefaultHitZFloor = -9999999.99999;
// Beyond this many dirty rectangles (a long minimised spell) the list
// collapses into the whole view.
inline constexpr size_t kMaxDirtyRects = 256;

class ObjectModule : public ModuleBase {
public:
    ObjectModule();
    ~ObjectModule() override;

    // ModuleBase.
    int Init() override;
    void Shutdown() override;
    void Update() override;
    // Now while dirty rectangles wait to be drawn (unless the window is
    // minimised) or an action has yet to start; otherwise when the next
    // action's step is due; kNoWork with neither.
    uint32_t MsUntilWork(uint32_t now) override;
    // Render passes that drew something: the input module looks again at
    // what lies under a still cursor after each.
    uint64_t DrawnPasses() const { return m_drawnPasses; }
    int GetId() const override { return MODULE_OBJECT; }
    const char* GetName() const override { return "ObjectModule"; }
    int OnMessage(int msg, MessageWord data, MessageWord extra) override;
    uint32_t GetQueueLimit() const override { return kObjectModuleQueueLimit; }

    // Registry.
    // Takes the object, gives it the next id and z = id - 10000, and returns
    // its OnCreate result. Not linked to the parent as a child.
    virtual int AddObject(std::unique_ptr<EngineObject> object, EngineObject* parent);
    EngineObject* CreateObject(EngineObject* parent);
    // Cancels the object's actions, unregisters it and deletes it (with its
    // owned children, depth first). Unknown ids do nothing.
    virtual void RemoveObject(int id);
    // The front-most input-enabled, not click-through object under the point
    // (window coordinates), or null.
    virtual EngineObject* ObjectFromPoint(int x, int y);
    virtual int FindFocusTarget(int id);
    virtual EngineObject* FindByName(const std::string& name) const;
    virtual EngineObject* FindById(int id) const;
    virtual double GetTopZ(uint32_t layer) const;
    virtual void SetHitZFloor(double z) { m_hitZFloor = z; }
    size_t GetObjectCount() const { return m_entries.size(); }

    // Draw state.
    virtual void SetViewSize(int width, int height);
    virtual void SetViewCentre(int x, int y);
    Rect GetViewRect() const { return m_view; }
    // Marks the whole view dirty and runs the render pass now.
    virtual void RedrawAll();
    virtual void SetFullRedraw(bool full) { m_fullRedraw = full; }
    virtual int IndexInDrawList(int id) const;
    virtual bool IsDrawListOrdered() const;
    virtual void UpdateObject(EngineObject* object);
    // Told by an object whose layer or z changed: the draw list keeps its old
    // place until it is invalidated, and the point lookup must know.
    void NoteOrderChange(EngineObject* object);
    // Told by an object whose place, size or angle changed.
    void NoteMoved(EngineObject* object);
    size_t DrawListSize() const { return m_drawList.size(); }
    const std::vector<Rect>& DirtyRects() const { return m_dirty; }
    // Ids in the draw list, back to front.
    std::vector<int> DrawOrder() const;
    void AddDirtyRect(const Rect& r);

    // Events.
    // The target's OnEvent result, or 0 when no object has the id.
    virtual int SendEvent(const EngineEvent& event);
    // Copies the event into the event pool and posts it to this module.
    virtual int PostEvent(const EngineEvent& event);

    // Timed actions.
    // A zeroed action with a fresh id, or null before Init.
    virtual TimedAction* NewAction();
    virtual ActionGroup* NewActionGroup();
    size_t GetLiveActionCount() const;
    // The id of the open stage's group node, 0 when none is open.
    uint64_t OpenStageId() const { return m_openStage ? m_openStage->id : 0; }

    // The two texts posted to MODULE_NOTIFY_SINK when groups are misused.
    static constexpr const char* kNextWithoutBegin = "can't NextGroup without BeginGroup!";
    static constexpr const char* kEndWithoutBegin = "can't EndGroup without BeginGroup!";

private:
    struct ObjectEntry;
    // Draw order: layer, then z, then id, ascending (back to front).
    struct DrawKey {
        uint32_t layer = 0;
        double z = 0;
        int id = 0;
        ObjectEntry* entry = nullptr;
        EngineObject* object = nullptr; // entry->object, kept at hand for the render pass
        // Where the object can meet rectangles as last drawn, and whether its
        // place or size changed since: the render pass skips an unmoved object
        // far from every dirty rectangle without touching it.
        Rect box;
        mutable bool moved = false;
    };
    struct DrawOrderLess {
        bool operator()(const DrawKey& a, const DrawKey& b) const;
    };
    // One per registered object.
    struct ObjectEntry {
        std::unique_ptr<EngineObject> object;
        ObjectGeometry drawn; // geometry as last drawn
        bool inDrawList = false;
        DrawKey key; // where it sits in the draw list
    };

    // Draw state.
    void InsertIntoDrawList(ObjectEntry& entry);
    void TakeOutOfDrawList(ObjectEntry& entry);
    bool IsDrawable(const ObjectGeometry& g) const;
    void RebuildDrawList();
    void RenderPass();
    void RemoveAllObjects();

    // Actions.
    void AddAction(TimedAction* action);
    void BeginGroup(ActionGroup* group);
    void NextGroup(ActionGroup* group);
    void EndGroup();
    void RunActions();
    void FinishAction(TimedAction* action, bool completed);
    void ReleaseNextStage(ActionGroup* stage);
    void Unhold(ActionGroup* stage);
    void CancelAction(uint64_t id);
    void CancelGroup(uint64_t groupId);
    void CancelActionsOf(int objectId);
    bool IsActive(const ActionGroup* stage) const;
    bool IsOpenOrEnclosing(const ActionGroup* stage) const;
    void FreeStage(ActionGroup* stage);
    void RemoveFromParentList(ActionGroup* stage, ActionGroup* replacement);
    void PostGroupError(const char* text);

    std::map<int, std::unique_ptr<ObjectEntry>> m_entries; // by id = registration order
    int m_idCounter = 0;

    std::set<DrawKey, DrawOrderLess> m_drawList;
    std::vector<Rect> m_dirty;
    Rect m_view;
    int m_viewCentreX = 0;
    int m_viewCentreY = 0;
    bool m_fullRedraw = false;
    std::recursive_mutex m_lock;
    // Scratch of the render pass: which dirty rectangles touch each cell of a
    // coarse grid over the view, so each object is tested only against the
    // rectangles near it.
    std::vector<std::vector<int>> m_cellRects;
    std::vector<uint8_t> m_cellUsed;
    std::vector<uint32_t> m_rectStamps;

    MemoryPool m_eventPool;
    MemoryPool m_itemPool;
    MemoryPool m_groupPool;
    MemoryPool m_actionPool;
    bool m_poolsReady = false;

    uint64_t m_actionIds = 0;
    ActionGroup* m_openStage = nullptr;
    TimedAction* m_firstAction = nullptr;
    uint64_t m_drawnPasses = 0;
    TimedAction* m_lastAction = nullptr;
    std::set<ActionGroup*> m_liveStages;

    double m_hitZFloor = kDefaultHitZFloor;
    // Ids of draw-list objects whose current layer or z is not where the list
    // has them; while there are none, the point lookup may walk from the
    // front and stop early.
    std::set<int> m_staleOrder;
};

} // namespace engine
