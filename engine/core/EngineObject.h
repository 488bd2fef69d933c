#pragma once
// The root of everything the engine shows or that takes input: a positioned,
// sized, rotatable, layered rectangle with flags, a name, an id, a parent,
// linked children and event subscriptions. Most operations pass on to the
// children whose link flags ask for them, so a composite control moves,
// fades, scales, shows and hides as one.
//
// Ownership: the object module owns every registered object. An object owns
// its name, links and subscriptions, not its children: children linked with
// kLinkOwned are removed and deleted through the object module when a
// registered parent is destroyed; the others are only unlinked.

#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class GameCore;
class ObjectModule;
class PictureRef;

// Child link flags: which of the parent's operations reach the child.
inline constexpr uint32_t kLinkOwned = 0x1;
inline constexpr uint32_t kLinkRotate = 0x2;
inline constexpr uint32_t kLinkOpacity = 0x8;
inline constexpr uint32_t kLinkInputEnabled = 0x10;
inline constexpr uint32_t kLinkInvalidate = 0x20;
inline constexpr uint32_t kLinkScale = 0x40;
inline constexpr uint32_t kLinkSize = 0x80;
inline constexpr uint32_t kLinkHideWithParent = 0x1000;
inline constexpr uint32_t kLinkHiddenMark = 0x2000;
inline constexpr uint32_t kLinkHitRect = 0x4000;
inline constexpr uint32_t kLinkZ = 0x8000;
inline constexpr uint32_t kLinkMove = 0x10000;
inline constexpr uint32_t kLinkBroadcast = 0x20000;
inline constexpr uint32_t kLinkSubscribe = 0x40000;
inline constexpr uint32_t kLinkShow = 0x80000;
inline constexpr uint32_t kLinkHide = 0x100000;
inline constexpr uint32_t LINK_STANDARD = 0x1BC0EB;
static_assert(LINK_STANDARD
    == (kLinkOwned | kLinkRotate | kLinkOpacity | kLinkInvalidate | kLinkScale | kLinkSize | kLinkHitRect | kLinkZ
        | kLinkMove | kLinkBroadcast | kLinkShow | kLinkHide));

// Object kinds returned by GetKind.
inline constexpr int kKindPlain = 1;

inline constexpr double kMaxZ = 999989.0;
inline constexpr uint32_t kMaxLayer = 1000000;
inline constexpr uint32_t kTopmostLayer = 1000100;

class EngineObject;

struct ChildLink {
    EngineObject* child; // not owned (see above)
    uint32_t flags;
};

struct Subscription {
    int code;
    EngineEvent event; // delivered in place of the input
};

class EngineObject {
public:
    EngineObject() = default;
    virtual ~EngineObject();
    EngineObject(const EngineObject&) = delete;
    EngineObject& operator=(const EngineObject&) = delete;

    // Registration.
    virtual void Attach(GameCore* core, int id);
    // Registers the object under this one (not linked as a child; callers
    // link it with AddChild). Null when this object is not attached, in
    // which case the object is deleted.
    virtual EngineObject* RegisterObject(std::unique_ptr<EngineObject> object);
    virtual int OnCreate() { return 0; }
    virtual int GetKind() const { return kKindPlain; }

    // Geometry.
    virtual void MoveTo(double x, double y);
    virtual void MoveBy(double dx, double dy);
    virtual void SetSize(double width, double height);
    virtual void SetZ(double z);
    virtual void MoveZ(double dz);
    virtual void BringToFront();
    virtual void Show();
    virtual void Hide();
    virtual void SetOpacity(double value);
    virtual void RotateTo(double angle);
    virtual void RotateBy(double delta);
    virtual void RotateAbout(double cx, double cy, double delta);
    virtual void Scale(double sx, double sy);
    virtual void ScaleTo(double width, double height);
    virtual void SetHitRect(int left, int top, int right, int bottom);
    virtual void SetVisible(bool visible);
    virtual void SetGeometry(const ObjectGeometry& geometry);
    virtual void SetRoot(EngineObject* root);

    // The tree.
    virtual int AddChild(EngineObject* child, uint32_t linkFlags);
    virtual uint32_t GetChildLink(int id) const;
    virtual void SetChildLink(int id, uint32_t flags);
    virtual void RemoveChild(int id);
    virtual bool HasChild(int id) const;
    virtual bool Contains(int id) const;
    virtual void RemoveAllChildren();
    virtual void ClearParent();
    virtual void SetParent(EngineObject* parent);
    virtual void BroadcastEvent(const EngineEvent& event);

    // Name, input and flags.
    virtual void SetName(const std::string& name);
    virtual void SetInputEnabled(bool enabled);
    virtual void SetDraggable(bool draggable);
    virtual void SetFocusable(bool focusable);
    virtual void SetFlags(uint32_t flags);
    virtual void AddFlags(uint32_t mask);
    virtual void RemoveFlags(uint32_t mask);
    virtual void SetLayer(uint32_t layer);
    virtual void SetTopmost();
    virtual void Invalidate();
    virtual int OnEvent(const EngineEvent& event);

    // Queries.
    virtual EngineObject* GetRoot() const { return m_root; }
    virtual ObjectGeometry GetGeometry() const { return m_geometry; }
    virtual int GetId() const { return m_id; }
    virtual EngineObject* GetParent() const { return m_parent; }
    virtual int QueryValue(MessageWord) { return 0; }
    virtual bool HitTest(int x, int y) const;
    virtual bool IsShown() const { return m_geometry.shown != 0; }
    virtual bool IsVisible() const { return !(m_geometry.flags & ObjectFlags::kHiddenByVisible); }
    virtual bool IsInputEnabled() const { return m_geometry.flags & ObjectFlags::kInputEnabled; }
    virtual bool IsClickThrough() const { return m_geometry.flags & ObjectFlags::kClickThrough; }
    virtual bool HasFocusWithin() const;
    virtual bool IsFocusable() const { return m_geometry.flags & ObjectFlags::kFocusable; }
    virtual double GetX() const { return m_geometry.x; }
    virtual double GetY() const { return m_geometry.y; }
    virtual double GetZ() const { return m_geometry.z; }
    virtual double GetZAbove() const { return m_geometry.z + 1e-7; }
    virtual double GetWidth() const { return m_geometry.width; }
    virtual double GetHeight() const { return m_geometry.height; }
    virtual double GetOpacity() const { return m_geometry.opacity; }
    virtual double GetAngle() const { return m_geometry.angle; }
    virtual Rect GetHitRect() const { return m_geometry.hitRect; }
    virtual uint32_t GetFlags() const { return m_geometry.flags; }
    virtual uint32_t GetLayer() const { return m_geometry.layer; }
    virtual double GetLeft() const { return m_geometry.x - m_geometry.width / 2; }
    virtual double GetRight() const { return m_geometry.x + m_geometry.width / 2; }
    virtual double GetTop() const { return m_geometry.y - m_geometry.height / 2; }
    virtual double GetBottom() const { return m_geometry.y + m_geometry.height / 2; }
    virtual PictureRef* GetPicture() { return nullptr; }
    virtual void OnJoinRoot(EngineObject*) { }

    // Events and subscriptions.
    int SendEvent(const EngineEvent& event);
    int PostEvent(const EngineEvent& event);
    void Subscribe(int code, const EngineEvent& event);
    void SubscribeSelf(int code);
    void SubscribeEvent(int code, int target, int deliverCode, MessageWord param, MessageWord data);
    void Unsubscribe(int code);
    const EngineEvent* FindSubscription(int code) const;
    const EngineEvent* FindNextSubscription(int code, size_t& position) const;

    // Null when the object has no name.
    const std::string* GetName() const { return m_name.empty() ? nullptr : &m_name; }
    bool IsAttached() const { return m_module && m_id != 0; }
    GameCore* GetCore() const { return m_core; }
    ObjectModule* GetObjectModule() const { return m_module; }
    const std::vector<ChildLink>& Children() const { return m_children; }
    const std::vector<Subscription>& Subscriptions() const { return m_subscriptions; }

private:
    template <typename Fn>
    void ForChildren(uint32_t linkFlag, Fn fn);
    void OnDragClip(bool press);
    void NoteOrderChange();
    void NoteMoved();

    GameCore* m_core = nullptr;       // not owned
    ObjectModule* m_module = nullptr; // not owned: the module owns this object
    ObjectGeometry m_geometry;
    int m_id = 0;
    EngineObject* m_parent = nullptr; // not owned
    EngineObject* m_root = nullptr;   // not owned
    std::vector<ChildLink> m_children;
    std::vector<Subscription> m_subscriptions;
    std::string m_name;
    Rect m_savedCursorClip;
};

} // namespace engine
