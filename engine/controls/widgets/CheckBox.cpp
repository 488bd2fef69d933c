#include "engine/controls/widgets/CheckBox.h"

#include "engine/objects/SpriteObject.h"

namespace engine {

int CheckBox::Create(const PictureDesc& picture, int state)
{
    m_sprite = CreateSprite(picture);
    if (m_sprite) {
        m_sprite->SetTopmost();
        m_sprite->SetInputEnabled(true);
        m_sprite->Invalidate();
        Bind(m_sprite, LINK_STANDARD);
        m_sprite->SubscribeEvent(EVT_LBUTTON_DOWN, GetId(), EVT_LBUTTON_DOWN, 0, 0);
    }
    m_state = state;
    if (m_sprite)
        m_sprite->SetFrame(static_cast<uint16_t>(state));
    return m_state;
}

void CheckBox::ShowState(int frame, const EngineEvent& event)
{
    if (m_sprite) {
        m_sprite->SetFrame(static_cast<uint16_t>(frame));
        m_sprite->Invalidate();
    }
    // PostEvent drops events without a target or a code.
    PostEvent(event);
}

void CheckBox::SetChecked(int state)
{
    m_state = state;
    if (state != 0)
        ShowState(1, m_checkedEvent);
    else
        ShowState(0, m_uncheckedEvent);
}

void CheckBox::Toggle()
{
    if (m_state == 1) {
        m_state = 0;
        ShowState(0, m_uncheckedEvent);
    } else if (m_state == 0) {
        m_state = 1;
        ShowState(1, m_checkedEvent);
    }
}

int CheckBox::OnEvent(const EngineEvent& event)
{
    if (event.code == EVT_LBUTTON_DOWN) {
        Toggle();
        return 1;
    }
    return BoundObject::OnEvent(event);
}

} // namespace engine
