#include "engine/objects/BoundObject.h"

namespace engine {

void BoundObject::Bind(EngineObject* child, uint32_t linkFlags)
{
    if (m_bound) {
        EngineObject* old = m_bound;
        m_bound = nullptr;
        EngineObject::RemoveChild(old->GetId());
    }
    if (!child)
        return;
    EngineObject::AddChild(child, linkFlags | kLinkSubscribe);
    EngineObject::AddFlags(ObjectFlags::kClickThrough);
    m_bound = child;
    Invalidate();
}

int BoundObject::SetEnabled(bool enabled)
{
    SetInputEnabled(enabled);
    Invalidate();
    return OnEvent(EngineEvent(GetId(), enabled ? EVT_ENABLED : EVT_DISABLED));
}

EngineObject* BoundObject::GetBound()
{
    return m_bound ? m_bound : this;
}

EngineObject* BoundObject::Following(uint32_t flags) const
{
    if (!m_bound)
        return nullptr;
    return (EngineObject::GetChildLink(m_bound->GetId()) & flags) == flags ? m_bound : nullptr;
}

int BoundObject::AddChild(EngineObject* child, uint32_t linkFlags)
{
    return m_bound ? m_bound->AddChild(child, linkFlags) : EngineObject::AddChild(child, linkFlags);
}

uint32_t BoundObject::GetChildLink(int id) const
{
    if (m_bound && m_bound->HasChild(id))
        return m_bound->GetChildLink(id);
    return EngineObject::GetChildLink(id);
}

void BoundObject::SetChildLink(int id, uint32_t flags)
{
    m_bound ? m_bound->SetChildLink(id, flags) : EngineObject::SetChildLink(id, flags);
}

void BoundObject::RemoveChild(int id)
{
    m_bound ? m_bound->RemoveChild(id) : EngineObject::RemoveChild(id);
}

void BoundObject::RemoveAllChildren()
{
    m_bound ? m_bound->RemoveAllChildren() : EngineObject::RemoveAllChildren();
}

void BoundObject::SetInputEnabled(bool enabled)
{
    m_bound ? m_bound->SetInputEnabled(enabled) : EngineObject::SetInputEnabled(enabled);
}

void BoundObject::SetDraggable(bool draggable)
{
    m_bound ? m_bound->SetDraggable(draggable) : EngineObject::SetDraggable(draggable);
}

void BoundObject::SetFlags(uint32_t flags)
{
    m_bound ? m_bound->SetFlags(flags) : EngineObject::SetFlags(flags);
}

void BoundObject::AddFlags(uint32_t mask)
{
    m_bound ? m_bound->AddFlags(mask) : EngineObject::AddFlags(mask);
}

void BoundObject::RemoveFlags(uint32_t mask)
{
    m_bound ? m_bound->RemoveFlags(mask) : EngineObject::RemoveFlags(mask);
}

void BoundObject::SetLayer(uint32_t layer)
{
    m_bound ? m_bound->SetLayer(layer) : EngineObject::SetLayer(layer);
}

void BoundObject::SetTopmost()
{
    m_bound ? m_bound->SetTopmost() : EngineObject::SetTopmost();
}

bool BoundObject::HitTest(int x, int y) const
{
    const EngineObject* child = Following(kLinkSize | kLinkMove);
    return child ? child->HitTest(x, y) : EngineObject::HitTest(x, y);
}

bool BoundObject::IsShown() const
{
    const EngineObject* child = Following(kLinkShow | kLinkHide);
    return child ? child->IsShown() : EngineObject::IsShown();
}

bool BoundObject::IsInputEnabled() const
{
    return m_bound ? m_bound->IsInputEnabled() : EngineObject::IsInputEnabled();
}

bool BoundObject::HasFocusWithin() const
{
    return m_bound ? m_bound->HasFocusWithin() : EngineObject::HasFocusWithin();
}

#define KBZN_FOLLOW(type, name, flags)                                                                                 \
    type BoundObject::name() const                                                                                     \
    {                                                                                                                  \
        const EngineObject* child = Following(flags);                                                                  \
        return child ? child->name() : EngineObject::name();                                                           \
    }

KBZN_FOLLOW(double, GetX, kLinkMove)
KBZN_FOLLOW(double, GetY, kLinkMove)
KBZN_FOLLOW(double, GetZ, kLinkZ)
KBZN_FOLLOW(double, GetZAbove, kLinkZ)
KBZN_FOLLOW(double, GetWidth, kLinkSize)
KBZN_FOLLOW(double, GetHeight, kLinkSize)
KBZN_FOLLOW(double, GetOpacity, kLinkOpacity)
KBZN_FOLLOW(double, GetAngle, kLinkRotate)
KBZN_FOLLOW(Rect, GetHitRect, kLinkHitRect)
KBZN_FOLLOW(double, GetLeft, kLinkScale | kLinkMove)
KBZN_FOLLOW(double, GetTop, kLinkScale | kLinkMove)
KBZN_FOLLOW(double, GetRight, kLinkSize | kLinkMove)
KBZN_FOLLOW(double, GetBottom, kLinkSize | kLinkMove)

#undef KBZN_FOLLOW

uint32_t BoundObject::GetFlags() const
{
    return m_bound ? m_bound->GetFlags() : EngineObject::GetFlags();
}

uint32_t BoundObject::GetLayer() const
{
    return m_bound ? m_bound->GetLayer() : EngineObject::GetLayer();
}

} // namespace engine
