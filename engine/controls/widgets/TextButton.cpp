#include "engine/controls/widgets/TextButton.h"

#include "engine/objects/CanvasObject.h"

namespace engine {

namespace {

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
    AttachFace(m_canvas);
    if (clickEvent)
        SetClickEvent(*clickEvent);
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

EngineObject* TextButton::Face() const
{
    return m_canvas;
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

} // namespace engine
