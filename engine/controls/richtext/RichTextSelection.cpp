// The interactive half of the view: hit tests, link hover and click, mouse
// selection, and copying and pasting through the clipboard.

#include "engine/controls/richtext/RichText.h"

#include "engine/controls/richtext/RichTextLink.h"
#include "engine/controls/richtext/RichTextObject.h"
#include "engine/core/InputState.h"
#include "engine/modules/InputModule.h"
#include "platform/Clipboard.h"
#include "platform/Cursor.h"

#include <algorithm>

namespace engine {

namespace {
constexpr uint32_t kKeyC = 67;
} // namespace

int RichText::LineGap(const RichTextNode* node) const
{
    const int h = node->y + node->height - node->lineTop;
    return m_lineSpacing >= 0 ? static_cast<int>(m_lineSpacing * h) : static_cast<int>(-m_lineSpacing);
}

bool RichText::InBox(const RichTextNode* n, int x, int y) const
{
    return x >= n->x && x < n->x + n->width + n->spacing && y >= n->lineTop
        && y < n->y + n->height + LineGap(n);
}

void RichText::ToTextCoords(int& x, int& y) const
{
    if (!m_textCanvas)
        return;
    x = static_cast<int>(x - m_textCanvas->GetLeft() + m_scrollX);
    y = static_cast<int>(y - m_textCanvas->GetTop() + m_scrollY);
}

RichTextNode* RichText::NodeAtPoint(int x, int y) const
{
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (!(n->flags & NODE_HIDDEN) && InBox(n, x, y))
            return n;
    }
    return nullptr;
}

RichTextNode* RichText::CaretNodeAt(int x, int y) const
{
    const bool multi = !(m_flags & RT_SINGLE_LINE);
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (n->flags & NODE_HIDDEN)
            continue;
        if (InBox(n, x, y))
            return x < n->x + n->width / 2 ? n : n->next;
        if (multi && (n->flags & NODE_NEWLINE) && n->y + n->height > y && y >= n->lineTop)
            return n;
    }
    return nullptr;
}

RichTextNode* RichText::SelectionNodeAt(int x, int y) const
{
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (n->flags & NODE_HIDDEN)
            continue;
        if (InBox(n, x, y))
            return x < n->x + n->width / 2 ? n : n->next;
        if (n->next && n->next->lineTop > y)
            return n->next;
    }
    return nullptr;
}

RichTextNode* RichText::NodeBefore(RichTextNode* node) const
{
    if (!node)
        return m_last;
    if (node == m_first)
        return node;
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (n->next == node)
            return n;
    }
    return nullptr;
}

RichTextLink* RichText::LinkOfNode(const RichTextNode* node)
{
    const RichTextNode* runFirst = nullptr;
    bool reached = false;
    for (const RichTextNode* n = m_first; n; n = n->next) {
        if (n->flags & NODE_LINK_FIRST)
            runFirst = n;
        if (n == node)
            reached = true;
        if (reached && (n->flags & NODE_LINK_LAST)) {
            if (!runFirst)
                return nullptr;
            return dynamic_cast<RichTextLink*>(FindObjectById(FindNodeObject(runFirst)));
        }
    }
    return nullptr;
}

void RichText::ShowHandCursor()
{
    if (EngineObject* cursor = FindObjectByName("object_cursor"))
        SendEvent(EngineEvent(cursor->GetId(), EVT_CURSOR_HAND));
    else
        platform::SetCursor(platform::LoadSystemCursor(platform::SystemCursor::kHand));
}

void RichText::ShowArrowCursor()
{
    if (EngineObject* cursor = FindObjectByName("object_cursor"))
        SendEvent(EngineEvent(cursor->GetId(), EVT_CURSOR_ARROW));
    else
        platform::SetCursor(platform::LoadSystemCursor(platform::SystemCursor::kArrow));
}

void RichText::OnMouseMove(int x, int y)
{
    ToTextCoords(x, y);
    RichTextNode* node = NodeAtPoint(x, y);
    auto* hovered = dynamic_cast<RichTextLink*>(FindObjectById(m_hoveredLink));
    if (!node || !(node->flags & NODE_LINK)) {
        ShowArrowCursor();
        if (hovered)
            hovered->OnMouseLeave(x, y);
        m_hoveredLink = 0;
        return;
    }
    RichTextLink* link = LinkOfNode(node);
    if (!link)
        return;
    if (link != hovered) {
        if (hovered)
            hovered->OnMouseLeave(x, y);
        link->OnMouseEnter(x, y);
    }
    link->ShowHandCursor();
    m_hoveredLink = link->GetId();
}

void RichText::OnMouseDown(int x, int y)
{
    SetFocus(GetId());
    ToTextCoords(x, y);
    // The link is found by the node under the point, so that a press on
    // either half of a link character opens it.
    if (RichTextNode* hit = NodeAtPoint(x, y); hit && (hit->flags & NODE_LINK)) {
        if (RichTextLink* link = LinkOfNode(hit))
            link->OnClick(x, y);
    }
    if (m_flags & RT_SELECTABLE) {
        ClearSelection();
        ShowCaret(CaretNodeAt(x, y));
        m_selecting = true;
        m_anchorX = m_currentX = x;
        m_anchorY = m_currentY = y;
    }
}

void RichText::OnMouseUp(int, int)
{
    m_selecting = false;
}

void RichText::OnDrag(int x, int y)
{
    if (!(m_flags & RT_SELECTABLE) || !m_selecting)
        return;
    const Rect r = GetTextArea();
    if (y < r.top) {
        x = r.left;
        y = r.top;
    } else if (y >= r.bottom) {
        x = r.right - 1;
        y = r.bottom - 1;
    }
    x = std::clamp(x, r.left, r.right - 1);
    ToTextCoords(x, y);
    const int H = static_cast<int>(m_viewHeight);
    const int W = static_cast<int>(m_viewWidth);
    if (y <= m_scrollY) {
        ScrollLineUp();
        y = m_scrollY;
    } else if (y >= m_scrollY + H - 1) {
        ScrollLineDown();
        y = m_scrollY + H - 1;
    }
    if (x <= m_scrollX && m_scrollX > 0) {
        m_scrollX = std::max(0, m_scrollX - m_style.fontSize / 2);
        RequestRedraw();
    } else if (x >= m_scrollX + W - 1 && m_scrollX + W < m_contentWidth) {
        m_scrollX = std::min(m_contentWidth - W, m_scrollX + m_style.fontSize / 2);
        RequestRedraw();
    }
    m_currentX = x;
    m_currentY = y;
    RefreshSelection();
}

void RichText::OnDoubleClick(int x, int y)
{
    if (!(m_flags & RT_SELECTABLE))
        return;
    ToTextCoords(x, y);
    if (m_selecting)
        ClearSelection();
    RichTextNode* node = NodeAtPoint(x, y);
    if (!node)
        return;
    m_selecting = true;
    if (node->flags & NODE_DBCS) {
        RichTextNode* k = CaretNodeAt(m_anchorX, m_anchorY);
        if (node == k)
            node = node->next;
        if (node) {
            m_currentX = node->x;
            m_currentY = node->y;
        } else if (k) {
            m_currentX = k->x + k->width + k->spacing;
            m_currentY = k->y;
        }
        RefreshSelection();
    } else {
        SelectWord(x, y);
    }
    m_selecting = false;
}

void RichText::SelectWord(int x, int y)
{
    RichTextNode* target = NodeAtPoint(x, y);
    if (!target)
        return;
    RichTextNode* wordStart = m_first;
    bool found = false;
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (n == target)
            found = true;
        const bool breaks = ((n->flags & NODE_CHAR) && n->code == 32) || (n->flags & NODE_NEWLINE);
        if (breaks) {
            if (found) {
                if (n == target)
                    return; // on the space or line feed itself
                SelectRange(wordStart, n);
                m_anchorX = wordStart->x;
                m_anchorY = wordStart->y;
                m_currentX = n->x;
                m_currentY = n->y;
                return;
            }
            wordStart = n->next;
        }
    }
    if (found && wordStart) {
        SelectRange(wordStart, nullptr);
        m_anchorX = wordStart->x;
        m_anchorY = wordStart->y;
    }
}

void RichText::EnableSelection(bool enable)
{
    if (enable) {
        if (m_textCanvas) {
            for (const int code : { EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_DRAG, EVT_DBLCLICK })
                m_textCanvas->SubscribeEvent(code, GetId(), code, 0, 0);
        }
        SubscribeSelf(EVT_KEY_DOWN);
        m_flags |= RT_SELECTABLE;
    } else {
        if (m_textCanvas) {
            for (const int code : { EVT_LBUTTON_DOWN, EVT_DRAG, EVT_DBLCLICK })
                m_textCanvas->Unsubscribe(code);
        }
        Unsubscribe(EVT_KEY_DOWN);
        m_flags &= ~RT_SELECTABLE;
    }
}

void RichText::RefreshSelection()
{
    if (!m_selecting)
        return;
    RichTextNode* a = CaretNodeAt(m_anchorX, m_anchorY);
    RichTextNode* b = SelectionNodeAt(m_currentX, m_currentY);
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (n == a) {
            SelectRange(a, b);
            return;
        }
        if (n == b) {
            SelectRange(b, a);
            return;
        }
    }
}

void RichText::SelectRange(RichTextNode* from, RichTextNode* to)
{
    if (!from)
        return;
    HideCaret();
    m_selStart = from;
    m_selEnd = to;
    if (!m_selLayer)
        return;
    m_selLayer->Show();
    m_selLayer->Clear();
    m_selLayer->Invalidate();
    for (RichTextNode* n = from; n && n != to; n = n->next) {
        if (n->flags & NODE_HIDDEN)
            continue;
        m_selLayer->DrawRect(n->x - m_scrollX, n->lineTop - m_scrollY, n->x + n->width + n->spacing - m_scrollX,
            n->y + n->height + LineGap(n) - m_scrollY, true);
    }
}

void RichText::ClearSelection()
{
    if (m_selLayer) {
        m_selLayer->Hide();
        m_selLayer->Clear();
        m_selLayer->Invalidate();
    }
    m_selStart = nullptr;
    m_selEnd = nullptr;
    m_selecting = false;
}

void RichText::SelectAll()
{
    if (m_first)
        SelectRange(m_first, nullptr);
}

std::string RichText::SelectionText()
{
    RichTextNode* a = CaretNodeAt(m_anchorX, m_anchorY);
    RichTextNode* b = SelectionNodeAt(m_currentX, m_currentY);
    int endY = m_currentY;
    if (!a || (b && (b->y < a->y || (b->y == a->y && b->x < a->x)))) {
        std::swap(a, b);
        endY = m_anchorY;
    }
    std::string text;
    if (!a)
        return text;
    for (RichTextNode* n = a; n && n != b; n = n->next) {
        if (!b && n->lineTop > endY)
            break;
        if (n->flags & NODE_OBJECT) {
            if (auto* object = dynamic_cast<RichTextObject*>(FindObjectById(static_cast<int>(n->code))))
                text += object->GetCopyText();
            continue;
        }
        text += static_cast<char>(n->code & 0xFF);
        if (n->flags & NODE_DBCS)
            text += static_cast<char>((n->code >> 8) & 0xFF);
    }
    return text;
}

void RichText::CopySelection()
{
    if ((m_flags & RT_MASKED) || m_selecting)
        return;
    const std::string text = SelectionText();
    if (!text.empty())
        platform::SetClipboardText(text);
}

void RichText::PasteClipboard()
{
    std::string text;
    if (platform::GetClipboardText(text) && !text.empty())
        AppendText(text);
}

void RichText::OnKeyDown(uint32_t key, bool controlDown)
{
    if (!m_selecting && key == kKeyC && controlDown)
        CopySelection();
}

} // namespace engine
