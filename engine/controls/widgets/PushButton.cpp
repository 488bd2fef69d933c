#include "engine/controls/widgets/PushButton.h"

#include "engine/controls/widgets/ControlCursor.h"
#include "engine/modules/InputModule.h"

namespace engine {

namespace {

constexpr int kFaceInputCodes[] = { EVT_MOUSE_ENTER, EVT_MOUSE_LEAVE, EVT_LBUTTON_DOWN, EVT_CLICK };

} // namespace

void PushButton::AttachFace(EngineObject* face)
{
    Bind(face, LINK_STANDARD);
    for (int code : kFaceInputCodes)
        face->SubscribeEvent(code, GetId(), code, 0, 0);
}

void PushButton::OnMouseEnter()
{
    if (!IsInputEnabled() || KeepsLook())
        return;
    ShowLook(kButtonLookHover);
    Sound(kButtonSoundEnter);
    if (m_handCursor)
        ShowHandCursor();
}

void PushButton::OnMouseLeave()
{
    if (!IsInputEnabled() || KeepsLook())
        return;
    ShowLook(kButtonLookNormal);
    Sound(kButtonSoundLeave);
    if (m_handCursor)
        ShowArrowCursor();
}

void PushButton::OnPress()
{
    if (!IsInputEnabled())
        return;
    ShowLook(kButtonLookPressed);
    Sound(kButtonSoundPress);
    if (ClicksOnPress())
        SendClickEvent();
}

void PushButton::OnClick()
{
    ShowLook(kButtonLookHover);
    if (!ClicksOnPress())
        SendClickEvent();
}

void PushButton::SendClickEvent()
{
    if (m_clickEvent.code != 0)
        SendEvent(m_clickEvent);
}

bool PushButton::HitTest(int x, int y) const
{
    const EngineObject* face = Face();
    return face ? face->HitTest(x, y) : BoundObject::HitTest(x, y);
}

void PushButton::ShowHandCursor()
{
    ShowControlHandCursor(*this);
}

void PushButton::ShowArrowCursor()
{
    ShowControlArrowCursor(*this);
}

int PushButton::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_MOUSE_ENTER:
        OnMouseEnter();
        return 0;
    case EVT_MOUSE_LEAVE:
        OnMouseLeave();
        return 0;
    case EVT_LBUTTON_DOWN:
        OnPress();
        return 0;
    case EVT_CLICK: {
        // Only a release still over the face clicks.
        const InputState* state = FromWord<InputState>(event.data);
        EngineObject* face = Face();
        if (state && face && face->HitTest(state->x, state->y) && IsInputEnabled())
            OnClick();
        return 0;
    }
    case EVT_ENABLED: {
        EngineObject* face = Face();
        if (!face)
            return 0;
        InputState state;
        GetInputState(&state);
        ShowLook(state.hoveredId == face->GetId() ? kButtonLookHover : kButtonLookNormal);
        face->SetInputEnabled(true);
        face->Invalidate();
        return 0;
    }
    case EVT_DISABLED: {
        EngineObject* face = Face();
        if (!face)
            return 0;
        face->SetInputEnabled(false);
        ShowLook(kButtonLookDisabled);
        return 0;
    }
    default:
        return EngineObject::OnEvent(event);
    }
}

} // namespace engine
