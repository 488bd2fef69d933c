#pragma once
// A two-frame picture toggle (frame 0 unchecked, frame 1 checked) that
// flips on the press and posts the checked or unchecked event its owner
// stored, so the owner hears of it on a later frame.

#include "engine/objects/BoundObject.h"

namespace engine {

class SpriteObject;

inline constexpr int OBJKIND_CHECK_BOX = 6;

class CheckBox : public BoundObject {
public:
    CheckBox() = default;
    ~CheckBox() override = default;

    int GetKind() const override { return OBJKIND_CHECK_BOX; }
    int OnEvent(const EngineEvent& event) override;

    // Returns the state.
    virtual int Create(const PictureDesc& picture, int state);
    virtual int IsChecked() const { return m_state; }
    // Stores the value as given; nonzero shows frame 1 and posts the checked
    // event, zero frame 0 and the unchecked event.
    virtual void SetChecked(int state);
    virtual void SetCheckedEvent(const EngineEvent& event) { m_checkedEvent = event; }
    virtual void SetUncheckedEvent(const EngineEvent& event) { m_uncheckedEvent = event; }
    // 1 becomes 0 and 0 becomes 1; any other stored value is left alone.
    virtual void Toggle();

    SpriteObject* GetSprite() const { return m_sprite; }

private:
    void ShowState(int frame, const EngineEvent& event);

    SpriteObject* m_sprite = nullptr; // not owned: the bound child
    int m_state = 0;
    EngineEvent m_checkedEvent;
    EngineEvent m_uncheckedEvent;
};

} // namespace engine
