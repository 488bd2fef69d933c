#include "engine/controls/widgets/TextButton.h"

#include "engine/controls/widgets/ControlCursor.h"
#include "engine/objects/CanvasObject.h"
#include "engine/modules/InputModule.h"

namespace engine {

namespace {

constexpr int kTextButtonInputCodes[] = { EVT_MOUSE_ENTER, EVT_MOUSE_LEAVE, EVT_LBUTTON_DOWN, EVT_CLICK };

// Each of red, green and blue replaced by 255 minus itself.
uint32_t Inverted(uint32_t colour)
{
    return (colour & 0xffffff) ^ 0xffffff;
}

} // namespace

CanvasObject* TextButton::Create(std::string_view caption, int width, int height, int fontSize,
    uint32_t background, uint32_t border, const EngineEvent* clickEvent)
{
    m_background = background;
    m_border = border;
    m_caption = caption;
    m_fontSize = fontSize;
    m_canvas = CreateCanvas(width, height, background);
    if (!m_canvas)
        return nullptr;
    m_canvas->DrawBorder(border, 1);
    m_canvas->SetTopmost();
    m_canvas->SetInputEnabled(true);
    m_canvas->Invalidate();
    Bind(m_canvas, LINK_STANDARD);
    for (int code : kTextButtonInputCodes)
        m_canvas->SubscribeEvent(code, GetId(), code, 0, 0);
    if (clickEvent)
        m_clickEvent = *clickEvent;
    DrawState(kTextButtonNormal);
    return m_canvas;
}

void TextButton::DrawState(int state)
{
    CanvasObject* c = m_canvas;
    if (!c)
        return;
    c->SetBackground(m_background);
    c->Clear();
    switch (state) {
    case kTextButtonNormal:
        c->DrawBorder(m_border, 1);
        c->DrawFittedText(m_caption, m_fontSize, 0, 0);
        break;
    case kTextButtonHover:
        c->DrawBorder(Inverted(m_border), 1);
        c->DrawFittedText(m_caption, m_fontSize, 0, 0);
        break;
    case kTextButtonPressed:
        c->DrawFittedText(m_caption, m_fontSize, 0, 0);
        c->Tint(0, 0.5);
        c->DrawBorder(Inverted(m_border), 1);
        break;
    case kTextButtonDisabled:
        c->DrawFittedText(m_caption, m_fontSize, 0, 0);
        c->DrawBorder(m_border, 1);
        c->Tint(0, 0.2);
        break;
    default:
        break;
    }
    c->Invalidate();
}

void TextButton::OnMouseEnter()
{
    if (!IsInputEnabled())
        return;
    DrawState(kTextButtonHover);
    if (m_handCursor)
        ShowHandCursor();
}

void TextButton::OnMouseLeave()
{
    if (!IsInputEnabled())
        return;
    DrawState(kTextButtonNormal);
    if (m_handCursor)
        ShowArrowCursor();
}

void TextButton::OnPress()
{
    if (IsInputEnabled())
        DrawState(kTextButtonPressed);
}

void TextButton::OnClick()
{
    DrawState(kTextButtonHover);
    if (m_clickEvent.code != 0)
        SendEvent(m_clickEvent);
}

bool TextButton::HitTest(int x, int y) const
{
    return m_canvas ? m_canvas->HitTest(x, y) : BoundObject::HitTest(x, y);
}

void TextButton::SetTextColour(uint32_t colour)
{
    if (m_canvas)
        m_canvas->SetPen(colour, 1.0);
    DrawState(kTextButtonNormal);
}

void TextButton::SetCaption(std::string_view text)
{
    m_caption = text;
    DrawState(kTextButtonNormal);
}

void TextButton::ShowHandCursor()
{
    ShowControlHandCursor(*this);
}

void TextButton::ShowArrowCursor()
{
    ShowControlArrowCursor(*this);
}

int TextButton::OnEvent(const EngineEvent& event)
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
        const InputState* state = FromWord<InputState>(event.data);
        if (state && m_canvas && m_canvas->HitTest(state->x, state->y) && IsInputEnabled())
            OnClick();
        return 0;
    }
    case EVT_ENABLED: {
        if (!m_canvas)
            return 0;
        InputState state;
        GetInputState(&state);
        DrawState(state.hoveredId == m_canvas->GetId() ? kTextButtonHover : kTextButtonNormal);
        m_canvas->SetInputEnabled(true);
        m_canvas->Invalidate();
        return 0;
    }
    case EVT_DISABLED:
        if (!m_canvas)
            return 0;
        m_canvas->SetInputEnabled(false);
        DrawState(kTextButtonDisabled);
        return 0;
    default:
        return EngineObject::OnEvent(event);
    }
}

} // namespace engine
