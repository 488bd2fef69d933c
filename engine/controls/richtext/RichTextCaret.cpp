// The caret of editable views: placing it at a node, blinking, and the
// input method's composition window that follows it.

#include "engine/controls/richtext/RichText.h"

#include "engine/core/GameCore.h"
#include "engine/objects/COrbitVaneWnd.h"

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

bool RichText::CaretFromSelection(RichTextNode* at)
{
    if (!m_selStart)
        return false;
    ClearSelection();
    ShowCaret(at);
    return true;
}

void RichText::MoveCaretLeft()
{
    if (m_selecting || !m_caret || CaretFromSelection(m_selStart))
        return;
    if (!m_caret->IsShown() || m_caretNode == m_first || !m_first)
        return;
    RichTextNode* prev = NodeBefore(m_caretNode);
    if (!prev)
        return;
    m_caretNode = prev;
    if (prev->x < m_scrollX) {
        m_scrollX = prev->x;
        RequestRedraw();
    } else if (prev->lineTop < m_scrollY) {
        ScrollLineUp();
    } else {
        ShowCaret(prev);
    }
}

void RichText::MoveCaretRight()
{
    if (m_selecting || !m_caret || CaretFromSelection(m_selEnd))
        return;
    if (!m_caret->IsShown() || !m_caretNode)
        return;
    RichTextNode* next = m_caretNode->next;
    m_caretNode = next;
    if (!next) {
        ScrollToEnd();
        ShowCaret(nullptr);
        return;
    }
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (m_flags & RT_SINGLE_LINE) {
        if (next->x + next->width + 2 > m_scrollX + W) {
            m_scrollX = next->x + next->width - W - 1;
            RequestRedraw();
        } else {
            ShowCaret(next);
        }
    } else if (next->y + next->height > m_scrollY + H) {
        ScrollLineDown();
    } else {
        ShowCaret(next);
    }
}

RichTextNode* RichText::LastNodeOfLine(RichTextNode* node) const
{
    if (!node)
        return nullptr;
    while (node->next && node->next->lineTop == node->lineTop)
        node = node->next;
    return node;
}

namespace {

// Where the caret goes on the line of lineNode for column x: before the
// character under x (after it on its right half), before the line feed when
// x lies past the line's end, else before the line's last node. A wrapped
// line has no place after its last node that differs from the start of the
// next line, but the text's last line does: its end.
RichTextNode* CaretPlaceOnLine(const RichText& view, int x, RichTextNode* lineNode)
{
    RichTextNode* hit = view.CaretNodeAt(x, lineNode->lineTop);
    if (hit && hit->lineTop == lineNode->lineTop)
        return hit;
    RichTextNode* last = view.LastNodeOfLine(lineNode);
    if (!hit && last == view.GetLastNode() && !(last->flags & NODE_NEWLINE) && x >= last->x + last->width / 2)
        return nullptr;
    return last;
}

} // namespace

void RichText::BringLineIntoView(const RichTextNode* lineNode)
{
    // Nodes are bottom-aligned, so any node of the line gives its bottom.
    const int bottom = lineNode->y + lineNode->height;
    const int H = static_cast<int>(m_viewHeight);
    if (lineNode->lineTop < m_scrollY)
        ScrollTo(lineNode->lineTop);
    else if (bottom > m_scrollY + H)
        ScrollTo(std::min(lineNode->lineTop, bottom - H));
}

void RichText::MoveCaretUp()
{
    if (m_selecting || !m_caret || CaretFromSelection(m_selStart))
        return;
    if (!m_first || !m_last)
        return;
    int x = 0;
    RichTextNode* lineNode = nullptr;
    if (!m_caretNode && (m_last->flags & NODE_NEWLINE) && !(m_flags & RT_SINGLE_LINE)) {
        // At the end after a line feed the caret stands at the start of the
        // empty line below it, so the line above is the line feed's own.
        lineNode = m_last;
    } else {
        // At the end of the text the caret stands right of the last node,
        // on its line.
        const RichTextNode* from = m_caretNode ? m_caretNode : m_last;
        x = m_caretNode ? from->x : from->x + from->width;
        const RichTextNode* own = NodeAtOffset(from->lineTop);
        for (int y = from->lineTop - 1; y >= m_top && !lineNode; --y) {
            RichTextNode* n = NodeAtOffset(y);
            if (n && n != own)
                lineNode = n;
        }
        if (!lineNode)
            return; // already on the first line
    }
    RichTextNode* target = CaretPlaceOnLine(*this, x, lineNode);
    // Set before scrolling: a redraw places a shown caret at its node.
    m_caretNode = target;
    if (lineNode->lineTop < m_scrollY)
        ScrollLineUp();
    // Three lines up can still leave it out of a low view.
    BringLineIntoView(lineNode);
    ShowCaret(target);
}

void RichText::MoveCaretDown()
{
    if (m_selecting || !m_caret || CaretFromSelection(m_selEnd))
        return;
    if (!m_first || !m_caretNode)
        return;
    RichTextNode* lineNode = m_caretNode->next;
    while (lineNode && lineNode->lineTop == m_caretNode->lineTop)
        lineNode = lineNode->next;
    if (!lineNode) {
        m_caretNode = nullptr;
        ScrollToEnd();
        ShowCaret(nullptr);
        return;
    }
    RichTextNode* target = CaretPlaceOnLine(*this, m_caretNode->x, lineNode);
    m_caretNode = target;
    if (lineNode->y + lineNode->height >= m_scrollY + static_cast<int>(m_viewHeight))
        ScrollLineDown();
    BringLineIntoView(lineNode);
    ShowCaret(target);
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
