#include "engine/core/EngineObject.h"

#include "engine/core/GameCore.h"
#include "engine/core/Geometry.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/PictureRef.h"

#include <cmath>

namespace engine {

EngineObject::~EngineObject()
{
    m_subscriptions.clear();
    SetParent(nullptr);
    // Take the links first: removing an owned child runs its destructor,
    // which must find nothing of ours to change.
    std::vector<ChildLink> links;
    links.swap(m_children);
    for (const ChildLink& link : links) {
        int childId = link.child->GetId();
        link.child->ClearParent();
        if ((link.flags & kLinkOwned) && IsAttached())
            m_module->RemoveObject(childId);
    }
}

template <typename Fn>
void EngineObject::ForChildren(uint32_t linkFlag, Fn fn)
{
    // By index, re-reading the size: a child's handler may change the list.
    for (size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i].flags & linkFlag)
            fn(*m_children[i].child);
    }
}

void EngineObject::Attach(GameCore* core, int id)
{
    m_core = core;
    m_module = core ? dynamic_cast<ObjectModule*>(core->FindModule(MODULE_OBJECT)) : nullptr;
    m_id = id;
}

EngineObject* EngineObject::RegisterObject(std::unique_ptr<EngineObject> object)
{
    if (!object || !IsAttached())
        return nullptr;
    EngineObject* raw = object.get();
    m_module->AddObject(std::move(object), this);
    return raw;
}

// Geometry ----------------------------------------------------------------

void EngineObject::MoveTo(double x, double y)
{
    MoveBy(x - m_geometry.x, y - m_geometry.y);
}

void EngineObject::MoveBy(double dx, double dy)
{
    m_geometry.x += dx;
    m_geometry.y += dy;
    NoteMoved();
    constexpr uint32_t follows = ObjectFlags::kHitRectFollows | ObjectFlags::kHitRectActive;
    if ((m_geometry.flags & follows) == follows) {
        Rect& r = m_geometry.hitRect;
        r.left = TruncToInt(r.left + dx);
        r.right = TruncToInt(r.right + dx);
        r.top = TruncToInt(r.top + dy);
        r.bottom = TruncToInt(r.bottom + dy);
    }
    ForChildren(kLinkMove, [&](EngineObject& c) { c.MoveBy(dx, dy); });
}

void EngineObject::SetSize(double width, double height)
{
    m_geometry.width = width;
    m_geometry.height = height;
    NoteMoved();
    ForChildren(kLinkSize, [&](EngineObject& c) { c.SetSize(width, height); });
}

void EngineObject::SetZ(double z)
{
    MoveZ(z - m_geometry.z);
}

void EngineObject::MoveZ(double dz)
{
    m_geometry.z += dz;
    if (m_geometry.z > kMaxZ)
        m_geometry.z = kMaxZ;
    NoteOrderChange();
    ForChildren(kLinkZ, [&](EngineObject& c) { c.MoveZ(dz); });
}

void EngineObject::BringToFront()
{
    if (IsAttached())
        SetZ(m_module->GetTopZ(m_geometry.layer) + 1);
}

void EngineObject::Show()
{
    m_geometry.shown = 1;
    for (size_t i = 0; i < m_children.size(); ++i) {
        ChildLink& link = m_children[i];
        if (link.flags & kLinkShow) {
            link.child->Show();
        } else if ((link.flags & kLinkHideWithParent) && (link.flags & kLinkHiddenMark)) {
            link.flags &= ~kLinkHiddenMark;
            link.child->Show();
        }
    }
}

void EngineObject::Hide()
{
    m_geometry.shown = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        ChildLink& link = m_children[i];
        if (link.flags & kLinkHide) {
            link.child->Hide();
        } else if ((link.flags & kLinkHideWithParent) && link.child->IsShown()) {
            link.flags |= kLinkHiddenMark;
            link.child->Hide();
        }
    }
}

void EngineObject::SetOpacity(double value)
{
    m_geometry.opacity = value;
    ForChildren(kLinkOpacity, [&](EngineObject& c) { c.SetOpacity(value); });
}

void EngineObject::RotateTo(double angle)
{
    RotateBy(angle - m_geometry.angle);
}

void EngineObject::RotateBy(double delta)
{
    m_geometry.angle += delta;
    NoteMoved();
    double cx = m_geometry.x;
    double cy = m_geometry.y;
    ForChildren(kLinkRotate, [&](EngineObject& c) { c.RotateAbout(cx, cy, delta); });
}

void EngineObject::RotateAbout(double cx, double cy, double delta)
{
    if (delta != 0) {
        double theta = delta * kPi / 180;
        double dx = m_geometry.x - cx;
        double dy = cy - m_geometry.y;
        double x = cx + (dx * std::cos(theta) - dy * std::sin(theta));
        double y = cy - (dy * std::cos(theta) + dx * std::sin(theta));
        MoveTo(x, y);
    } else {
        MoveTo(m_geometry.x, m_geometry.y);
    }
    RotateBy(delta);
}

void EngineObject::Scale(double sx, double sy)
{
    m_geometry.width *= sx;
    m_geometry.height *= sy;
    NoteMoved();
    ForChildren(kLinkScale, [&](EngineObject& c) { c.Scale(sx, sy); });
}

void EngineObject::ScaleTo(double width, double height)
{
    if (!(width >= 0))
        width = 0;
    if (!(height >= 0))
        height = 0;
    double w = m_geometry.width;
    double h = m_geometry.height;
    if (w != 0 && h != 0)
        ForChildren(kLinkScale, [&](EngineObject& c) { c.Scale(width / w, height / h); });
    else
        ForChildren(kLinkScale, [&](EngineObject& c) { c.ScaleTo(width, height); });
    m_geometry.width = width;
    m_geometry.height = height;
    NoteMoved();
}

void EngineObject::SetHitRect(int left, int top, int right, int bottom)
{
    m_geometry.hitRect = Rect { left, top, right, bottom };
    AddFlags(ObjectFlags::kHitRectActive);
    ForChildren(kLinkHitRect, [&](EngineObject& c) { c.SetHitRect(left, top, right, bottom); });
}

void EngineObject::SetVisible(bool visible)
{
    if (visible)
        m_geometry.flags &= ~ObjectFlags::kHiddenByVisible;
    else
        m_geometry.flags |= ObjectFlags::kHiddenByVisible;
    Invalidate();
}

void EngineObject::SetGeometry(const ObjectGeometry& geometry)
{
    m_geometry = geometry;
    NoteMoved();
    NoteOrderChange();
}

void EngineObject::NoteMoved()
{
    if (IsAttached())
        m_module->NoteMoved(this);
}

void EngineObject::NoteOrderChange()
{
    if (IsAttached())
        m_module->NoteOrderChange(this);
}

void EngineObject::SetRoot(EngineObject* root)
{
    m_root = root;
    if (root && root != this)
        root->OnJoinRoot(this);
}

// The tree ------------------------------------------------------------------

int EngineObject::AddChild(EngineObject* child, uint32_t linkFlags)
{
    if (!child || child == this)
        return 0;
    if (HasChild(child->GetId())) {
        SetChildLink(child->GetId(), linkFlags);
        return 0;
    }
    child->SetParent(this);
    if ((m_geometry.flags & ObjectFlags::kTopmost) && m_geometry.layer == kTopmostLayer)
        child->SetTopmost();
    m_children.push_back(ChildLink { child, linkFlags });
    return static_cast<int>(m_children.size());
}

uint32_t EngineObject::GetChildLink(int id) const
{
    for (const ChildLink& link : m_children) {
        if (link.child->GetId() == id)
            return link.flags;
    }
    return 0;
}

void EngineObject::SetChildLink(int id, uint32_t flags)
{
    for (ChildLink& link : m_children) {
        if (link.child->GetId() == id) {
            link.flags = flags;
            return;
        }
    }
}

void EngineObject::RemoveChild(int id)
{
    for (size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i].child->GetId() == id) {
            EngineObject* child = m_children[i].child;
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(i));
            child->ClearParent();
            return;
        }
    }
}

bool EngineObject::HasChild(int id) const
{
    for (const ChildLink& link : m_children) {
        if (link.child->GetId() == id)
            return true;
    }
    return false;
}

bool EngineObject::Contains(int id) const
{
    if (m_id == id)
        return true;
    for (const ChildLink& link : m_children) {
        if (link.child->Contains(id))
            return true;
    }
    return false;
}

void EngineObject::RemoveAllChildren()
{
    std::vector<ChildLink> links;
    links.swap(m_children);
    for (const ChildLink& link : links)
        link.child->ClearParent();
}

void EngineObject::ClearParent()
{
    m_parent = nullptr;
}

void EngineObject::SetParent(EngineObject* parent)
{
    if (m_parent)
        m_parent->RemoveChild(m_id);
    m_parent = parent;
}

void EngineObject::BroadcastEvent(const EngineEvent& event)
{
    ForChildren(kLinkBroadcast, [&](EngineObject& c) { c.OnEvent(event); });
}

// Name, input and flags ---------------------------------------------------

void EngineObject::SetName(const std::string& name)
{
    if (!name.empty())
        m_name = name;
}

void EngineObject::SetInputEnabled(bool enabled)
{
    if (enabled)
        m_geometry.flags |= ObjectFlags::kInputEnabled;
    else
        m_geometry.flags &= ~ObjectFlags::kInputEnabled;
    ForChildren(kLinkInputEnabled, [&](EngineObject& c) { c.SetInputEnabled(enabled); });
}

void EngineObject::SetDraggable(bool draggable)
{
    if (draggable) {
        Subscribe(EVT_LBUTTON_DOWN, EngineEvent(m_id, EVT_LBUTTON_DOWN));
        Subscribe(EVT_LBUTTON_UP, EngineEvent(m_id, EVT_LBUTTON_UP));
        Subscribe(EVT_DRAG, EngineEvent(m_id, EVT_DRAG_MOVE));
    } else {
        Unsubscribe(EVT_DRAG);
    }
}

void EngineObject::SetFocusable(bool focusable)
{
    if (focusable)
        m_geometry.flags |= ObjectFlags::kFocusable;
    else
        m_geometry.flags &= ~ObjectFlags::kFocusable;
}

void EngineObject::SetFlags(uint32_t flags)
{
    m_geometry.flags = flags;
}

void EngineObject::AddFlags(uint32_t mask)
{
    m_geometry.flags |= mask;
}

void EngineObject::RemoveFlags(uint32_t mask)
{
    m_geometry.flags &= ~mask;
}

void EngineObject::SetLayer(uint32_t layer)
{
    m_geometry.layer = layer > kMaxLayer ? kMaxLayer : layer;
    NoteOrderChange();
}

void EngineObject::SetTopmost()
{
    m_geometry.layer = kTopmostLayer;
    m_geometry.flags |= ObjectFlags::kTopmost;
    NoteOrderChange();
    ForChildren(~0u, [](EngineObject& c) { c.SetTopmost(); });
}

void EngineObject::Invalidate()
{
    if (IsAttached())
        m_module->UpdateObject(this);
    ForChildren(kLinkInvalidate, [](EngineObject& c) { c.Invalidate(); });
}

void EngineObject::OnDragClip(bool press)
{
    constexpr uint32_t clips = ObjectFlags::kHitRectActive | ObjectFlags::kClipCursorOnDrag;
    if ((m_geometry.flags & clips) != clips || !m_core || !m_core->GetHostWindow())
        return;
    HostWindow* window = m_core->GetHostWindow();
    if (press) {
        m_savedCursorClip = window->GetCursorClip();
        Point origin = window->ClientToScreen(Point { 0, 0 });
        Rect r = m_geometry.hitRect;
        window->ClipCursor(Rect { r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y });
    } else {
        window->ClipCursor(m_savedCursorClip);
    }
}

int EngineObject::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_LBUTTON_DOWN:
        OnDragClip(true);
        break;
    case EVT_LBUTTON_UP:
        OnDragClip(false);
        break;
    case EVT_DRAG:
    case EVT_DRAG_MOVE:
        if (const InputState* input = FromWord<const InputState>(event.data)) {
            MoveBy(input->dx, input->dy);
            Invalidate();
        }
        break;
    case EVT_SHOW:
        Show();
        Invalidate();
        break;
    case EVT_HIDE:
        Hide();
        Invalidate();
        break;
    case EVT_FREE_DATA:
    case EVT_FREE_DATA2:
        FreeEventBlock(event.param);
        break;
    default:
        break;
    }
    return 1;
}

// Queries -----------------------------------------------------------------

bool EngineObject::HasFocusWithin() const
{
    if (m_geometry.flags & ObjectFlags::kHasFocus)
        return true;
    for (const ChildLink& link : m_children) {
        if (link.child->HasFocusWithin())
            return true;
    }
    return false;
}

namespace {

// The point turned back about the object's truncated centre and made local
// to its top-left corner.
void LocalPoint(const ObjectGeometry& g, int qx, int qy, double& lx, double& ly)
{
    double px = qx;
    double py = qy;
    if (g.angle != 0) {
        int cx = TruncToInt(g.x);
        int cy = TruncToInt(g.y);
        double theta = g.angle * kPi / 180;
        double dx = static_cast<double>(qx) - cx;
        double dy = static_cast<double>(cy) - qy;
        px = cx + RoundAway(dx * std::cos(theta) + dy * std::sin(theta));
        py = cy - RoundAway(dy * std::cos(theta) - dx * std::sin(theta));
    }
    lx = px - g.x + (g.width + 1) / 2;
    ly = py - g.y + (g.height + 1) / 2;
}

} // namespace

bool EngineObject::HitTest(int x, int y) const
{
    const ObjectGeometry& g = m_geometry;
    if ((g.flags & ObjectFlags::kHitRectActive) && !PtInRect(g.hitRect, Point { x, y }))
        return false;
    if (g.flags & ObjectFlags::kPixelHitTest) {
        const PictureRef* picture = const_cast<EngineObject*>(this)->GetPicture();
        if (!picture)
            return false;
        if (g.angle == 0 && !PtInRect(GeometryBounds(g), Point { x, y }))
            return false;
        double lx;
        double ly;
        LocalPoint(g, x, y, lx, ly);
        int pw = picture->GetWidth();
        int ph = picture->GetHeight();
        if (pw == 0 || ph == 0)
            return false;
        double sx = g.width / pw;
        double sy = g.height / ph;
        if (sx == 0 || sy == 0)
            return false;
        return picture->HitTestPixel(TruncToInt(lx / sx), TruncToInt(ly / sy));
    }
    if (g.angle == 0)
        return PtInRect(GeometryBounds(g), Point { x, y });
    double lx;
    double ly;
    LocalPoint(g, x, y, lx, ly);
    return lx >= 0 && lx < g.width && ly >= 0 && ly <= g.height;
}

// Events and subscriptions ---------------------------------------------------

int EngineObject::SendEvent(const EngineEvent& event)
{
    if (!IsAttached() || event.target == 0 || event.code == 0)
        return 0;
    return m_module->SendEvent(event);
}

int EngineObject::PostEvent(const EngineEvent& event)
{
    if (!IsAttached() || event.target == 0 || event.code == 0)
        return 0;
    return m_module->PostEvent(event);
}

void EngineObject::Subscribe(int code, const EngineEvent& event)
{
    for (const Subscription& s : m_subscriptions) {
        if (s.code == code && s.event.target == event.target && s.event.code == event.code)
            return;
    }
    m_subscriptions.push_back(Subscription { code, event });
    if (IsInputCode(code)) {
        SetInputEnabled(true);
        Invalidate();
        ForChildren(kLinkSubscribe, [&](EngineObject& c) { c.Subscribe(code, event); });
    }
}

void EngineObject::SubscribeSelf(int code)
{
    Subscribe(code, EngineEvent(m_id, code));
}

void EngineObject::SubscribeEvent(int code, int target, int deliverCode, MessageWord param, MessageWord data)
{
    Subscribe(code, EngineEvent(target, deliverCode, param, data));
}

void EngineObject::Unsubscribe(int code)
{
    std::erase_if(m_subscriptions, [code](const Subscription& s) { return s.code == code; });
}

const EngineEvent* EngineObject::FindSubscription(int code) const
{
    for (const Subscription& s : m_subscriptions) {
        if (s.code == code)
            return &s.event;
    }
    return nullptr;
}

const EngineEvent* EngineObject::FindNextSubscription(int code, size_t& position) const
{
    for (size_t i = position; i < m_subscriptions.size(); ++i) {
        if (m_subscriptions[i].code == code) {
            position = i + 1;
            return &m_subscriptions[i].event;
        }
    }
    return nullptr;
}

} // namespace engine
