#pragma once
// A logical object that binds one visual child (a canvas or sprite that
// draws it) and presents that child's state as its own: setters act on this
// object and reach the child through its link flags, while getters report
// the child's state wherever the link says the child follows. Every control
// is one.

#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectKinds.h"

namespace engine {

inline constexpr int EVT_ENABLED = 19840355;
inline constexpr int EVT_DISABLED = 19840356;

class BoundObject : public GameObject {
public:
    BoundObject() = default;
    ~BoundObject() override = default;

    int GetKind() const override { return OBJKIND_BOUND; }

    // Makes child the bound child (a previous one is unlinked, not removed)
    // linked with the flags plus Subscribe, and this object click-through.
    virtual void Bind(EngineObject* child, uint32_t linkFlags);
    // Input on or off (on the child), then EVT_ENABLED or EVT_DISABLED to
    // this object's own OnEvent; returns its result.
    virtual int SetEnabled(bool enabled);
    // The bound child, or this object when nothing is bound.
    virtual EngineObject* GetBound();

    // Forwarded to the bound child.
    int AddChild(EngineObject* child, uint32_t linkFlags) override;
    uint32_t GetChildLink(int id) const override;
    void SetChildLink(int id, uint32_t flags) override;
    void RemoveChild(int id) override;
    void RemoveAllChildren() override;
    void SetInputEnabled(bool enabled) override;
    void SetDraggable(bool draggable) override;
    void SetFlags(uint32_t flags) override;
    void AddFlags(uint32_t mask) override;
    void RemoveFlags(uint32_t mask) override;
    void SetLayer(uint32_t layer) override;
    void SetTopmost() override;
    bool HitTest(int x, int y) const override;
    bool IsShown() const override;
    bool IsInputEnabled() const override;
    bool HasFocusWithin() const override;
    double GetX() const override;
    double GetY() const override;
    double GetZ() const override;
    double GetZAbove() const override;
    double GetWidth() const override;
    double GetHeight() const override;
    double GetOpacity() const override;
    double GetAngle() const override;
    Rect GetHitRect() const override;
    uint32_t GetFlags() const override;
    uint32_t GetLayer() const override;
    double GetLeft() const override;
    double GetTop() const override;
    double GetRight() const override;
    double GetBottom() const override;

private:
    // The bound child when its link has all the flags, else null.
    EngineObject* Following(uint32_t flags) const;

    EngineObject* m_bound = nullptr; // not owned: the object module owns it
};

} // namespace engine
