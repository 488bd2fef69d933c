#include "engine/controls/widgets/ImageButton.h"

#include "engine/controls/widgets/ControlCursor.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"

namespace engine {

namespace {

constexpr int kButtonInputCodes[] = { EVT_MOUSE_ENTER, EVT_MOUSE_LEAVE, EVT_LBUTTON_DOWN, EVT_CLICK };
constexpr int kEnterKey = 13;
constexpr double kCaptionLift = 0.01;

const InputState* StateOf(const EngineEvent& event)
{
    return FromWord<InputState>(event.data);
}

} // namespace

void ImageButton::Create(const PictureDesc& picture, const EngineEvent* clickEvent, uint32_t flags,
    uint32_t spriteFlags)
{
    m_sprite = CreateSprite(picture);
    if (m_sprite) {
        m_sprite->SetFrame(0);
        m_sprite->SetTopmost();
        m_sprite->AddFlags(spriteFlags);
        Bind(m_sprite, LINK_STANDARD);
        for (int code : kButtonInputCodes)
            m_sprite->SubscribeEvent(code, GetId(), code, 0, 0);
    }
    if (flags & kButtonEnterKey) {
        SetFocusable(true);
        SubscribeSelf(EVT_KEY_DOWN);
    }
    m_flags |= flags;
    if (clickEvent)
        m_clickEvent = *clickEvent;
}

void ImageButton::SetPicture(const PictureDesc& picture, bool fitSize)
{
    if (m_sprite)
        m_sprite->SetPicture(picture, fitSize);
}

CanvasObject* ImageButton::GetCaptionCanvas()
{
    if (m_caption || !m_sprite)
        return m_caption;
    const int width = static_cast<int>(m_sprite->GetWidth());
    const int height = static_cast<int>(m_sprite->GetHeight());
    m_caption = CreateCanvas(width, height, kNoColourKey);
    if (!m_caption)
        return nullptr;
    m_caption->SetTopmost();
    m_caption->MoveTo(m_sprite->GetX(), m_sprite->GetY());
    m_caption->SetZ(m_sprite->GetZ() + kCaptionLift);
    m_sprite->AddChild(m_caption, LINK_STANDARD);
    // A caption added to a button already on screen shows with it; later
    // showing and hiding reach it through the link.
    if (m_sprite->IsShown())
        m_caption->Show();
    m_caption->Invalidate();
    return m_caption;
}

void ImageButton::SetSound(int index, std::string_view name)
{
    // Only the four slots exist; an index from a caller's table that is out
    // of range must not write anywhere else.
    if (index < 0 || index >= kButtonSoundCount)
        return;
    m_sounds[static_cast<size_t>(index)] = name;
}

void ImageButton::PlaySlot(int index)
{
    const std::string& name = m_sounds[static_cast<size_t>(index)];
    if (!name.empty())
        PlaySound(name, 1, nullptr);
}

void ImageButton::OnMouseEnter()
{
    if (!IsInputEnabled() || IsSelected())
        return;
    SetFrame(1);
    PlaySlot(kButtonSoundEnter);
    if (m_handCursor)
        ShowHandCursor();
}

void ImageButton::OnMouseLeave()
{
    if (!IsInputEnabled() || IsSelected())
        return;
    SetFrame(0);
    PlaySlot(kButtonSoundLeave);
    if (m_handCursor)
        ShowArrowCursor();
}

void ImageButton::OnPress()
{
    if (!IsInputEnabled())
        return;
    SetFrame(2);
    PlaySlot(kButtonSoundPress);
    if (m_flags & kButtonSendOnPress)
        SendClickEvent();
}

void ImageButton::OnClick()
{
    SetFrame(1);
    if (!(m_flags & kButtonSendOnPress))
        SendClickEvent();
}

bool ImageButton::HitTest(int x, int y) const
{
    return m_sprite ? m_sprite->HitTest(x, y) : BoundObject::HitTest(x, y);
}

void ImageButton::SetFrame(int frame)
{
    if (!m_sprite)
        return;
    m_sprite->SetFrame(static_cast<uint16_t>(frame));
    m_sprite->Invalidate();
}

int ImageButton::GetFrame() const
{
    return m_sprite ? m_sprite->GetFrame() : 0;
}

void ImageButton::SendClickEvent()
{
    if (m_clickEvent.code != 0)
        SendEvent(m_clickEvent);
}

void ImageButton::SetCaption(std::string_view text, uint32_t colour, int size)
{
    CanvasObject* canvas = GetCaptionCanvas();
    if (!canvas)
        return;
    canvas->SetPen(colour, 1.0);
    canvas->SetFont(size, 400, "宋体");
    canvas->DrawTextCentred(static_cast<int>(canvas->GetWidth() / 2), static_cast<int>(canvas->GetHeight() / 2),
        text);
    canvas->Invalidate();
}

void ImageButton::SetSelected(bool on)
{
    if (on) {
        m_flags |= kButtonSelected;
        SetFrame(2);
        return;
    }
    m_flags &= ~kButtonSelected;
    InputState state;
    GetInputState(&state);
    SetFrame(m_sprite && m_sprite->HitTest(state.x, state.y) ? 1 : 0);
}

void ImageButton::ShowHandCursor()
{
    ShowControlHandCursor(*this);
}

void ImageButton::ShowArrowCursor()
{
    ShowControlArrowCursor(*this);
}

int ImageButton::OnEvent(const EngineEvent& event)
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
        const InputState* state = StateOf(event);
        if (state && m_sprite && m_sprite->HitTest(state->x, state->y) && IsInputEnabled())
            OnClick();
        return 0;
    }
    case EVT_KEY_DOWN: {
        const InputState* state = StateOf(event);
        if (state && state->lastKeyDown == kEnterKey && IsInputEnabled())
            OnClick();
        return 0;
    }
    case EVT_ENABLED: {
        if (!m_sprite)
            return 0;
        InputState state;
        GetInputState(&state);
        m_sprite->SetFrame(state.hoveredId == m_sprite->GetId() ? 1 : 0);
        m_sprite->SetInputEnabled(true);
        m_sprite->Invalidate();
        return 0;
    }
    case EVT_DISABLED:
        if (!m_sprite)
            return 0;
        m_sprite->SetInputEnabled(false);
        m_sprite->SetFrame(3);
        m_sprite->Invalidate();
        return 0;
    default:
        return EngineObject::OnEvent(event);
    }
}

} // namespace engine
