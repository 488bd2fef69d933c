// The caret of editable views: placing it at a node, blinking, and the
// input method's composition window that follows it.

#include "engine/controls/richtext/RichText.h"

#include "engine/core/GameCore.h"
#include "engine/core/objects/COrbitVaneWnd.h"

#include <algorithm>

namespace engine {

namespace {
constexpr uint32_t kCaretLink = 0x1C0A3;
constexpr uint32_t kBlinkMs = 500;
} // namespace

void RichText::CreateCaret()
{
    if (m_caret || !m_textCanvas)
        return;
    m_caret = CreateCanvas(1, 10, 0);
    if (!m_caret)
        return;
    m_caret->SetZ(m_textCanvas->GetZ() + 0.01);
    const Rect area = GetTextArea();
    m_caret->SetHitRect(area.left, area.top, area.right, area.bottom);
    m_textCanvas->AddChild(m_caret, kCaretLink);
    m_caret->Hide();
}

void RichText::ShowCaret(RichTextNode* node)
{
    m_caretNode = node;
    if (!m_caret || !m_textCanvas)
        return;
    const int left = static_cast<int>(m_textCanvas->GetLeft());
    const int top = static_cast<int>(m_textCanvas->GetTop());
    int x = left + 1;
    int y = top;
    int h = (m_flags & RT_SINGLE_LINE) ? static_cast<int>(m_viewHeight) : m_style.fontSize;
    if (node) {
        x = left + node->x - m_scrollX;
        y = top + node->lineTop - m_scrollY;
        h = node->y + node->height - node->lineTop;
    } else if (const RichTextNode* last = m_last) {
        if (!(last->flags & NODE_NEWLINE) || (m_flags & RT_SINGLE_LINE)) {
            x = left + last->x + last->width - m_scrollX;
            y = top + last->lineTop - m_scrollY;
        } else {
            // After a line feed the caret stands at the start of the empty
            // line below.
            x = left + 1;
            y = top + last->lineTop + last->height - m_scrollY;
        }
        h = last->y + last->height - last->lineTop;
    }
    h = std::max(h, 1);
    m_caret->ResizeBuffer(1, h);
    m_caret->ScaleTo(1, h);
    m_caret->Clear();
    m_caret->Show();
    m_caret->MoveTo(x + 1, y + h - h / 2);
    m_caret->Invalidate();
    CancelActionsOf(m_caret->GetId());
    PulseOpacity(m_caret, 1.0, -1, kBlinkMs, 1.0, 0.0, nullptr);
    if (GameCore* core = GetCore()) {
        if (auto* host = dynamic_cast<COrbitVaneWnd*>(core->GetHostWindow()))
            host->GetWindow().SetImeRect(platform::Rect { x, y, x + 1, y + h });
    }
}

void RichText::HideCaret()
{
    if (!m_caret)
        return;
    CancelActionsOf(m_caret->GetId());
    m_caret->Hide();
    m_caret->Invalidate();
}

void RichText::OnBlur()
{
    m_caretNode = nullptr;
    HideCaret();
    if (m_flags & RT_HIDE_ON_BLUR) {
        Hide();
        Invalidate();
    }
}

} // namespace engine
