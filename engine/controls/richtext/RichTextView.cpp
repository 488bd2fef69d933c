// The view: building its canvases, line layout, trimming old lines,
// drawing with the pixel cache, scrolling and its events.

#include "engine/controls/richtext/RichText.h"

#include "engine/controls/richtext/RichTextLink.h"
#include "engine/controls/richtext/RichTextObject.h"
#include "engine/controls/widgets/ScrollBar.h"
#include "engine/core/GameCore.h"
#include "engine/modules/InputModule.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectGeometry.h"
#include "platform/Gbk.h"
#include "platform/KeyState.h"
#include "platform/OpenExternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {

namespace {
constexpr uint32_t kTextCanvasLink = 0x1980A3;
constexpr uint32_t kPlacedObjectLink = 0x1980A3;
constexpr uint32_t kSelectionLayerLink = 0x19C0A2;
constexpr uint32_t kScrollBarLink = 0x190A3;
}

void RichText::Create(int width, int height, uint32_t flags, int tag)
{
    ScaleTo(width, height);
    const double x = GetX();
    const double y = GetY();
    m_backCanvas = CreateCanvas(width, height, 0xFFFFFF);
    m_textCanvas = CreateCanvas(width, height, 0xFF00FF);
    if (m_backCanvas && m_textCanvas) {
        m_backCanvas->MoveTo(x, y);
        m_textCanvas->MoveTo(x, y);
        m_textCanvas->SetZ(m_backCanvas->GetZ() + 0.01);
        Bind(m_backCanvas, LINK_STANDARD);
        m_backCanvas->AddChild(m_textCanvas, kTextCanvasLink);
    }
    m_tag = tag;
    SetStyleFlags(flags);
    Layout(width, height);
    if (GameCore* core = GetCore())
        m_style.fontSize = std::max(core->GetIntProperty(PROP_FONT_SIZE), 0);
    Clear();
}

void RichText::SetStyleFlags(uint32_t flags)
{
    m_flags = flags;
    SetFocusable(true);
    if (m_textCanvas)
        m_textCanvas->SubscribeEvent(EVT_MOUSE_MOVE, GetId(), EVT_MOUSE_MOVE, 0, 0);
    SubscribeSelf(EVT_BLUR);
    SubscribeSelf(EVT_WHEEL_UP);
    SubscribeSelf(EVT_WHEEL_DOWN);
    if (m_flags & RT_SELECTABLE) {
        EnableSelection(true);
        if (!m_selLayer && m_textCanvas) {
            m_selLayer = CreateCanvas(10, 10, 0xFF00FF);
            if (m_selLayer) {
                m_selLayer->SetPen(0x7CA781, 1.0);
                m_selLayer->AddFlags(ObjectFlags::kDrawInverted);
                m_selLayer->SetZ(m_textCanvas->GetZ() + 0.01);
                m_selLayer->MoveTo(m_textCanvas->GetX(), m_textCanvas->GetY());
                m_selLayer->Show();
                m_textCanvas->AddChild(m_selLayer, kSelectionLayerLink);
            }
        }
        if (m_flags & RT_CARET)
            CreateCaret();
    }
    if (m_flags & RT_SCROLL_BARS) {
        CreateScrollBars();
        SyncScrollBar();
    } else if (m_vBar || m_hBar) {
        const bool shown = (m_vBar && m_vBarShown) || (m_hBar && m_hBarShown);
        const int w = AreaWidth();
        const int h = AreaHeight();
        for (ScrollBar* bar : { m_vBar, m_hBar }) {
            if (bar)
                RemoveObject(bar, 1);
        }
        m_vBar = m_hBar = nullptr;
        m_vBarShown = m_hBarShown = false;
        if (shown)
            Layout(w, h); // the text takes the bar's place again
    }
    if (m_flags & RT_EXTRA_PART)
        CreateExtraPart();
}

void RichText::CreateScrollBars()
{
    const bool single = m_flags & RT_SINGLE_LINE;
    if ((single && m_hBar) || (!single && m_vBar) || !m_backCanvas)
        return;
    GameCore* core = GetCore();
    if (!core)
        return;
    const int first = PROP_SCROLLBAR_FIRST + (single ? 5 : 0);
    auto picture = [&](int property) {
        PictureDesc desc;
        if (const std::string* name = core->GetStringProperty(property))
            LookupPicture(&desc, *name, 0);
        return desc;
    };
    const PictureDesc track = picture(first);
    auto* bar = dynamic_cast<ScrollBar*>(RegisterObject(std::make_unique<ScrollBar>()));
    if (!bar)
        return;
    if (single)
        bar->Create(GetId(), 100, track.height, 0, 0);
    else
        bar->Create(GetId(), track.width, 100, 1, 0);
    bar->SetThumbImage(picture(first + 1));
    bar->SetThumbPicture(picture(first + 2));
    if (single) {
        bar->CreateLeftButton(picture(first + 3));
        bar->CreateRightButton(picture(first + 4));
    } else {
        bar->CreateUpButton(picture(first + 3));
        bar->CreateDownButton(picture(first + 4));
    }
    bar->SetTrackImage(track);
    bar->Hide();
    m_backCanvas->AddChild(bar, kScrollBarLink);
    (single ? m_hBar : m_vBar) = bar;
}

void RichText::SyncScrollBar()
{
    if (!(m_flags & RT_SCROLL_BARS))
        return;
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (m_vBar) {
        const int b = static_cast<int>(m_vBar->GetWidth());
        if (m_contentHeight > H && !m_vBarShown) {
            m_vBar->SetZ(m_backCanvas->GetZ() + 0.2);
            m_vBarShown = true;
            m_vBar->Show();
            m_vBar->Invalidate();
            Layout(W, H);
        } else if (m_contentHeight <= H && m_vBarShown) {
            m_vBarShown = false;
            m_vBar->Hide();
            m_vBar->Invalidate();
            Layout(W + b, H);
        }
        m_vBar->SetRange(m_scrollY - m_top, std::min(static_cast<int>(m_viewHeight), m_contentHeight), m_contentHeight,
            m_style.fontSize);
    }
    if (m_hBar) {
        const int b = static_cast<int>(m_hBar->GetHeight());
        if (m_contentWidth > W && !m_hBarShown) {
            m_hBar->SetZ(m_backCanvas->GetZ() + 0.2);
            m_hBarShown = true;
            m_hBar->Show();
            m_hBar->Invalidate();
            Layout(W, H);
        } else if (m_contentWidth <= W && m_hBarShown) {
            m_hBarShown = false;
            m_hBar->Hide();
            m_hBar->Invalidate();
            Layout(W, H + b);
        }
        m_hBar->SetRange(m_scrollX, std::min(static_cast<int>(m_viewWidth), m_contentWidth), m_contentWidth,
            m_style.fontSize);
    }
}

int RichText::Advance(int y, int h) const
{
    if (m_lineSpacing >= 0)
        return static_cast<int>(y + h + m_lineSpacing * h);
    return static_cast<int>(y + h - m_lineSpacing);
}

void RichText::UpdateClipRects()
{
    if (!m_textCanvas)
        return;
    const Rect area = GetTextArea();
    m_textCanvas->SetHitRect(area.left, area.top, area.right, area.bottom);
    for (const int id : m_placed) {
        if (auto* object = dynamic_cast<RichTextObject*>(FindObjectById(id)))
            object->SetRect(area);
    }
}

Rect RichText::GetTextArea() const
{
    if (!m_textCanvas)
        return GetHitRect();
    const int halfW = static_cast<int>((m_viewWidth + 1) / 2);
    const int halfH = static_cast<int>((m_viewHeight + 1) / 2);
    const int cx = static_cast<int>(m_textCanvas->GetX());
    const int cy = static_cast<int>(m_textCanvas->GetY());
    return Rect { cx - halfW, cy - halfH, cx + halfW, cy + halfH };
}

void RichText::Layout(int w, int h)
{
    if (!m_textCanvas || w < 1 || h < 1)
        return;
    if ((m_flags & RT_SCROLL_BARS) && m_vBar && m_vBarShown) {
        const int b = static_cast<int>(m_vBar->GetWidth());
        w -= b;
        m_textCanvas->MoveTo(GetX() + m_offsetX - b / 2.0, GetY() + m_offsetY);
        m_vBar->MoveTo(m_textCanvas->GetX() + w / 2 + b / 2.0, m_textCanvas->GetY());
        m_vBar->ScaleTo(b, h);
        m_vBar->Invalidate();
    } else if ((m_flags & RT_SCROLL_BARS) && m_hBar && m_hBarShown) {
        const int b = static_cast<int>(m_hBar->GetHeight());
        h -= b;
        m_textCanvas->MoveTo(GetX(), GetY() - b / 2.0);
        m_hBar->MoveTo(m_textCanvas->GetX(), m_textCanvas->GetY() + h / 2 + b / 2.0);
        m_hBar->ScaleTo(m_viewWidth, b);
    } else {
        m_textCanvas->MoveTo(GetX() + m_offsetX, GetY() + m_offsetY);
    }
    if (w < 1 || h < 1)
        return;
    m_viewWidth = static_cast<uint32_t>(w);
    m_viewHeight = static_cast<uint32_t>(h);
    m_textCanvas->ResizeBuffer(w, h);
    m_textCanvas->ScaleTo(w, h);
    m_textCanvas->Clear();
    if (m_selLayer) {
        m_selLayer->MoveTo(m_textCanvas->GetX(), m_textCanvas->GetY());
        m_selLayer->ResizeBuffer(w, h);
        m_selLayer->ScaleTo(w, h);
        m_selLayer->Clear();
    }
    // Objects take their size again for the new area.
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (!(n->flags & NODE_OBJECT))
            continue;
        if (auto* object = dynamic_cast<RichTextObject*>(FindObjectById(static_cast<int>(n->code)))) {
            object->OnEvent(EngineEvent(object->GetId(), EVT_FIT_REQUEST, static_cast<MessageWord>(w),
                static_cast<MessageWord>(h)));
            n->width = static_cast<uint16_t>(std::clamp(object->GetWholeWidth(), 0, 0xFFFF));
            n->height = static_cast<uint16_t>(std::clamp(object->GetWholeHeight(), 0, 0xFFFF));
        }
    }
    UpdateClipRects();
    m_cache.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    m_cacheWidth = w;
    m_cacheHeight = h;
    m_cacheY = kNoCache;
    if (m_first) {
        RichTextNode* anchor = NodeAtOffset(m_scrollY);
        m_pendingX = 0;
        m_pendingY = m_top;
        m_pendingLineHeight = 0;
        m_lineCount = 0;
        m_openLineStart = m_first;
        const auto end = LayoutNodes(0, m_top, m_first, m_nodeCount);
        m_pendingX = end.first;
        m_pendingY = end.second;
        m_scrollY = anchor ? anchor->y : m_top;
        m_contentHeight = m_last ? m_last->y + m_last->height - m_top : 0;
        if (!(m_flags & RT_SINGLE_LINE))
            m_contentWidth = static_cast<int>(m_viewWidth);
        TrimLines();
        KeepInView();
    } else {
        m_contentWidth = 0;
        m_contentHeight = 0;
        m_scrollY = m_top;
    }
    UpdateClipRects();
    RedrawNow(false);
}

std::pair<int, int> RichText::LayoutNodes(int x0, int y0, RichTextNode* first, int count)
{
    const int W = static_cast<int>(m_viewWidth);
    if (m_flags & RT_SINGLE_LINE) {
        m_pendingLineHeight = static_cast<int>(m_viewHeight);
        int r = x0;
        const RichTextNode* prev = nullptr;
        for (RichTextNode* n = first; n && count > 0; n = n->next, --count) {
            if ((n->flags & NODE_HIDDEN) && prev) {
                n->x = prev->x;
                n->y = prev->y;
                n->lineTop = prev->lineTop;
                continue;
            }
            n->x = r;
            n->y = std::max(static_cast<int>(m_viewHeight) - n->height - 1, 0);
            n->lineTop = y0;
            r += n->width + n->spacing;
            m_contentWidth = std::max(m_contentWidth, r);
            prev = n;
        }
        return { r, y0 };
    }

    const int pendingHeight = m_pendingLineHeight;
    int p = x0;
    int r = x0;
    int y = y0;
    int lh = pendingHeight;
    RichTextNode* runStart = first;

    // Places the nodes [from, to) of the line at y with height lh.
    auto placeLine = [&](RichTextNode* from, RichTextNode* to) {
        if (p != 0 && lh > pendingHeight && m_openLineStart) {
            // The open line grew taller: its earlier nodes move down too.
            from = m_openLineStart;
            p = 0;
            m_cacheLimitX = 0;
            m_cacheLimitY = y - 1;
        }
        int x = p;
        const RichTextNode* prev = nullptr;
        for (RichTextNode* n = from; n && n != to; n = n->next) {
            if ((n->flags & NODE_HIDDEN) && prev) {
                n->x = prev->x;
                n->y = prev->y;
                n->lineTop = prev->lineTop;
                continue;
            }
            n->x = x;
            n->y = y + lh - n->height;
            n->lineTop = y;
            x += n->width + n->spacing;
            prev = n;
        }
        return x;
    };
    auto nextVisible = [](RichTextNode* n, int left) -> RichTextNode* {
        for (n = n->next; n && left > 0; n = n->next, --left) {
            if (!(n->flags & NODE_HIDDEN))
                return n;
        }
        return nullptr;
    };

    bool ended = false;
    RichTextNode* n = first;
    int remaining = count;
    while (n && remaining > 0) {
        if (n->flags & NODE_HIDDEN) {
            n = n->next;
            --remaining;
            continue;
        }
        const int advance = n->width + n->spacing;
        // The open line cannot take this node: it ends where it is. A node
        // wider than the whole area goes alone on a line of its own.
        if (r > 0 && r + advance > W) {
            ++m_lineCount;
            y = Advance(y, lh);
            lh = 0;
            r = 0;
            p = 0;
            runStart = n;
            m_openLineStart = n;
        }
        r += advance;
        lh = std::max(lh, static_cast<int>(n->height));
        if (n->flags & NODE_NEWLINE)
            ended = true;
        RichTextNode* next = nextVisible(n, remaining - 1);
        if (!next && !ended) {
            n = n->next;
            --remaining;
            break; // the rest is the open line
        }
        if (next && !ended && r + next->width + next->spacing <= W) {
            n = n->next;
            --remaining;
            continue;
        }
        placeLine(runStart, n->next);
        ++m_lineCount;
        y = Advance(y, lh);
        lh = 0;
        r = 0;
        p = 0;
        ended = false;
        runStart = n->next;
        m_openLineStart = runStart;
        n = n->next;
        --remaining;
    }
    int endX = r; // x0 when nothing was added, 0 after a completed line
    if (runStart && runStart != n) {
        endX = placeLine(runStart, n);
        m_contentWidth = std::max(m_contentWidth, std::min(endX, W));
    }
    m_pendingLineHeight = lh;
    return { endX, y };
}

void RichText::FinishAppend()
{
    if (!m_addHead)
        return;
    if (m_caretNode && m_first && m_caretNode != m_addHead) {
        // Insertion before the caret node: the list is cut there, the new
        // chain and then the rest are laid out after the cut.
        RichTextNode* rest = m_caretNode;
        CutListAt(rest);
        m_addTail->next = nullptr;
        AppendLaidOut(m_addHead);
        AppendLaidOut(rest);
        TrimLines();
        return;
    }
    if (m_last && m_last != m_addTail)
        m_last->next = m_addHead;
    if (!m_openLineStart)
        m_openLineStart = m_addHead;
    const auto end = LayoutNodes(m_pendingX, m_pendingY, m_addHead, m_addCount);
    m_pendingX = end.first;
    m_pendingY = end.second;
    m_last = m_addTail;
    m_nodeCount += m_addCount;
    m_contentHeight = m_last->y + m_last->height - m_top;
    TrimLines();
}

RichTextNode* RichText::CutListAt(RichTextNode* node)
{
    int removed = 0;
    for (RichTextNode* n = node; n; n = n->next)
        ++removed;
    m_nodeCount -= removed;
    if (node == m_first) {
        m_pendingX = 0;
        m_pendingY = m_top;
        m_pendingLineHeight = 0;
        m_first = nullptr;
        m_last = nullptr;
        m_openLineStart = nullptr;
        return nullptr;
    }
    RichTextNode* before = m_first;
    while (before && before->next != node)
        before = before->next;
    if (!before)
        return nullptr;
    before->next = nullptr;
    m_last = before;
    m_pendingX = node->x;
    m_pendingY = node->lineTop;
    m_pendingLineHeight = before->y + before->height - before->lineTop;
    // The open line now starts at the first node of before's line.
    m_openLineStart = nullptr;
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (n->lineTop == before->lineTop) {
            m_openLineStart = n;
            break;
        }
    }
    return before;
}

void RichText::AppendLaidOut(RichTextNode* chain)
{
    if (!chain)
        return;
    int count = 0;
    RichTextNode* tail = chain;
    for (RichTextNode* n = chain; n; n = n->next) {
        ++count;
        tail = n;
    }
    if (m_last)
        m_last->next = chain;
    else
        m_first = chain;
    if (!m_openLineStart)
        m_openLineStart = chain;
    const auto end = LayoutNodes(m_pendingX, m_pendingY, chain, count);
    m_pendingX = end.first;
    m_pendingY = end.second;
    m_last = tail;
    m_nodeCount += count;
    RecountLines();
}

void RichText::RecountLines()
{
    int lines = 0;
    int count = 0;
    int width = 0;
    bool any = false;
    int lineTop = 0;
    for (const RichTextNode* n = m_first; n; n = n->next) {
        ++count;
        if (n->flags & NODE_HIDDEN)
            continue;
        if (any && n->lineTop != lineTop)
            ++lines;
        any = true;
        lineTop = n->lineTop;
        width = std::max(width, n->x + n->width + n->spacing);
    }
    m_lineCount = lines;
    m_nodeCount = count;
    if (m_flags & RT_SINGLE_LINE)
        m_contentWidth = width;
    m_contentHeight = m_last ? m_last->y + m_last->height - m_top : 0;
}

void RichText::RemoveNodes(RichTextNode* from, RichTextNode* to)
{
    if (!from)
        return;
    if (to == from)
        to = from->next;
    if (m_selStart || m_selEnd)
        ClearSelection();
    RichTextNode* before = CutListAt(from);
    RichTextNode* n = from;
    while (n && n != to) {
        RichTextNode* next = n->next;
        if (m_openLineStart == n)
            m_openLineStart = nullptr;
        FreeNode(n);
        n = next;
    }
    AppendLaidOut(to);
    if (!m_first)
        RecountLines();
    m_caretNode = before ? before->next : m_first;
}

void RichText::RemoveNode(RichTextNode* node)
{
    if (node)
        RemoveNodes(node, node->next);
}

RichTextNode* RichText::NodeAt(int index) const
{
    if (index < 0 || index >= m_nodeCount)
        return nullptr;
    RichTextNode* n = m_first;
    for (int i = 0; n && i < index; ++i)
        n = n->next;
    return n;
}

void RichText::RemoveNodeAt(int index)
{
    RemoveNode(NodeAt(index));
}

void RichText::RemoveInlineObject(int objectId, bool destroy)
{
    RichTextNode* n = m_first;
    while (n && !((n->flags & NODE_OBJECT) && n->code == static_cast<uint32_t>(objectId)))
        n = n->next;
    if (!n)
        return;
    if (!destroy) {
        // The object stays; it stops being placed over this view's text.
        n->code = 0;
        m_nodeObjects.erase(n);
        m_placed.erase(std::remove(m_placed.begin(), m_placed.end(), objectId), m_placed.end());
        if (m_textCanvas)
            m_textCanvas->RemoveChild(objectId);
    }
    RemoveNode(n);
}

void RichText::HideNodeAt(int index)
{
    RichTextNode* n = NodeAt(index);
    if (!n)
        return;
    n->flags |= NODE_HIDDEN;
    if (n->flags & NODE_OBJECT) {
        if (EngineObject* object = FindObjectById(static_cast<int>(n->code))) {
            object->Hide();
            object->Invalidate();
        }
    }
}

void RichText::ShowNodeAt(int index)
{
    if (RichTextNode* n = NodeAt(index))
        n->flags &= ~NODE_HIDDEN;
}

void RichText::ShowAllNodes()
{
    for (RichTextNode* n = m_first; n; n = n->next)
        n->flags &= ~NODE_HIDDEN;
}

void RichText::DeleteForward()
{
    if (!m_first)
        return;
    if (m_selStart) {
        RichTextNode* from = m_selStart;
        RichTextNode* to = m_selEnd;
        ClearSelection();
        RemoveNodes(from, to ? to : nullptr);
    } else if (m_caretNode) {
        RemoveNodes(m_caretNode, m_caretNode->next);
    }
    RecountLines();
    RequestRedraw();
}

void RichText::DeleteBackward()
{
    if (!m_first)
        return;
    if (m_selStart) {
        RichTextNode* from = m_selStart;
        RichTextNode* to = m_selEnd;
        ClearSelection();
        RemoveNodes(from, to);
    } else if (m_caretNode != m_first) {
        RichTextNode* prev = NodeBefore(m_caretNode);
        if (prev) {
            if (m_scrollX > 0)
                m_scrollX = std::max(0, m_scrollX - prev->width);
            RemoveNodes(prev, prev->next);
        }
    }
    RecountLines();
    RequestRedraw();
}

void RichText::TrimFirstLine()
{
    if (!m_first)
        return;
    // The selection may cover the line that goes.
    if (m_selStart || m_selEnd)
        ClearSelection();
    const int bottom = m_first->y + m_first->height;
    while (m_first && m_first != m_last && m_first->y + m_first->height == bottom) {
        RichTextNode* next = m_first->next;
        if (m_openLineStart == m_first)
            m_openLineStart = next;
        if (m_caretNode == m_first)
            m_caretNode = next;
        FreeNode(m_first);
        m_first = next;
        --m_nodeCount;
    }
    m_contentHeight -= bottom - m_top;
    m_top = bottom;
    m_scrollY = std::max(m_scrollY, m_top);
    --m_lineCount;
    // Content coordinates do not move when the top line goes, so the pixel
    // cache stays good.
}

void RichText::TrimLines()
{
    while (m_lineCount > m_lineLimit && m_lineCount >= 2 && m_first && m_first != m_last)
        TrimFirstLine();
    const int H = static_cast<int>(m_viewHeight);
    if (m_contentHeight > H && m_last && (m_flags & RT_CARET)) {
        const int lastHeight = m_last->y + m_last->height - m_last->lineTop;
        m_contentHeight += Advance(0, lastHeight);
    }
    if (m_contentHeight < H)
        m_scrollY = m_top;
}

void RichText::SetMaxLines(int lines)
{
    m_lineLimit = lines;
    TrimLines();
}

RichTextNode* RichText::NodeAtOffset(int y) const
{
    for (RichTextNode* n = m_first; n; n = n->next) {
        if (!(n->flags & NODE_HIDDEN) && n->y + n->height > y)
            return n;
    }
    return nullptr;
}

void RichText::Clear()
{
    HidePlacedObjects();
    ClearSelection();
    m_hoveredLink = 0;
    RichTextNode* node = m_first;
    while (node) {
        RichTextNode* next = node->next;
        FreeNode(node);
        node = next;
    }
    m_nodeObjects.clear();
    m_first = nullptr;
    m_last = nullptr;
    m_openLineStart = nullptr;
    m_caretNode = nullptr;
    m_addHead = nullptr;
    m_addTail = nullptr;
    m_addCount = 0;
    m_pendingX = m_pendingY = m_top = m_scrollX = m_scrollY = 0;
    m_contentWidth = m_contentHeight = m_pendingLineHeight = 0;
    m_lineCount = m_nodeCount = 0;
    m_cacheY = kNoCache;
    m_fonts.count = std::min(m_fonts.count, 2);
    if (m_textCanvas) {
        m_textCanvas->Clear();
        m_textCanvas->Invalidate();
    }
    m_pool.Reset();
    SyncScrollBar();
}

int RichText::AppendText(std::string_view text)
{
    if (text.empty() || text[0] == '\0')
        return 0;
    if (!(m_flags & RT_CARET))
        m_caretNode = nullptr;
    AddMarkupText(text);
    KeepInView();
    RequestRedraw();
    return 1;
}

void RichText::AppendObject(GameObject* object)
{
    if (!object)
        return;
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (object->GetWidth() > W || object->GetHeight() > H)
        object->OnEvent(EngineEvent(0, EVT_FIT_REQUEST, static_cast<MessageWord>(W), static_cast<MessageWord>(H)));
    if (m_selStart) {
        if (m_flags & RT_CARET)
            DeleteForward();
        else
            m_caretNode = nullptr;
        ClearSelection();
    }
    m_addHead = nullptr;
    m_addTail = nullptr;
    m_addCount = 0;
    RichTextNode* node = AppendObjectNode(object);
    if (!node)
        return;
    LinkNode(node);
    FinishAppend();
    KeepInView();
    RequestRedraw();
}

int RichText::AppendTextAndFree(MessageWord text)
{
    const char* bytes = FromWord<const char>(text);
    const int result = bytes ? AppendText(std::string_view(bytes)) : 0;
    FreeEventBlock(text);
    return result;
}

void RichText::KeepInView()
{
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (m_flags & RT_FIT_HEIGHT) {
        FitHeightToContent();
        return;
    }
    if (!(m_flags & RT_KEEP_IN_VIEW))
        return;
    if (m_flags & RT_SINGLE_LINE) {
        const int e = m_caretNode ? m_caretNode->x + m_caretNode->width : m_contentWidth;
        if (e - m_scrollX >= W)
            m_scrollX = e - W + 2;
        return;
    }
    if (!m_caretNode) {
        ScrollToEnd();
    } else if (m_caretNode->lineTop + m_caretNode->height >= m_scrollY + H || m_caretNode->lineTop < m_scrollY) {
        ScrollTo(m_caretNode->lineTop);
    }
}

void RichText::FitHeightToContent()
{
    const int H = static_cast<int>(m_viewHeight);
    const int height = m_contentHeight;
    if (m_fitting || height < 1 || height == H || GetScreenHeight() - static_cast<int>(GetHeight()) <= height)
        return;
    // Layout calls back here; the guard keeps that from going round.
    m_fitting = true;
    const double top = GetTop();
    const int width = static_cast<int>(GetWidth());
    ScaleTo(width, height);
    ResizeBackground(width, height);
    MoveTo(GetX(), top + height / 2.0);
    Layout(AreaWidth(), height);
    Invalidate();
    m_fitting = false;
}

void RichText::ScrollTo(int position)
{
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (m_flags & RT_SINGLE_LINE) {
        m_scrollX = position;
        if (position < 0 || m_contentWidth < W)
            m_scrollX = 0;
        else if (m_scrollX + W > m_contentWidth)
            m_scrollX = m_contentWidth - W;
    } else {
        m_scrollY = position;
        if (position < m_top || m_contentHeight < H)
            m_scrollY = m_top;
        else if (m_scrollY + H > m_top + m_contentHeight)
            m_scrollY = m_top + m_contentHeight - H;
    }
    RequestRedraw();
}

void RichText::ScrollLineUp()
{
    if (m_flags & RT_SINGLE_LINE) {
        if (m_scrollX > 0)
            ScrollTo(m_scrollX - static_cast<int>(m_viewWidth));
        return;
    }
    if (m_scrollY <= m_top)
        return;
    const RichTextNode* n = NodeAtOffset(m_scrollY);
    const int h = n ? n->y + n->height - n->lineTop : 0;
    ScrollTo(std::max(m_top, m_scrollY - 3 * h));
}

void RichText::ScrollLineDown()
{
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (m_flags & RT_SINGLE_LINE) {
        if (m_contentWidth >= W)
            ScrollTo(m_scrollX + W);
        return;
    }
    if (m_contentHeight < H)
        return;
    const RichTextNode* n = NodeAtOffset(m_scrollY);
    const int h = n ? n->y + n->height - n->lineTop : 0;
    ScrollTo(std::min(m_scrollY + 3 * h, m_top + m_contentHeight - H));
}

void RichText::ScrollToStart()
{
    if (m_scrollY != m_top) {
        m_scrollY = m_top;
        RequestRedraw();
    }
}

void RichText::ScrollToEnd()
{
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (m_flags & RT_SINGLE_LINE) {
        if (m_contentWidth >= W)
            m_scrollX = m_contentWidth - W;
    } else if (m_contentHeight >= H) {
        m_scrollY = m_top + m_contentHeight - H;
    }
    RequestRedraw();
}

void RichText::RequestRedraw()
{
    if (m_redrawPending)
        return;
    if (m_flags & RT_REDRAW_NOW) {
        RedrawNow(true);
        return;
    }
    m_redrawPending = true;
    const EngineEvent redraw(GetId(), EVT_RT_REDRAW);
    if (!Delay(5, &redraw))
        m_redrawPending = false;
}

void RichText::HidePlacedObjects()
{
    if (m_textCanvas)
        m_textCanvas->Clear();
    for (const int id : m_placed) {
        if (EngineObject* object = FindObjectById(id)) {
            // Invalidated once hidden, so that the painter drops it (an
            // object no longer placed would otherwise stay drawn where it
            // last was, e.g. scrolled out of the view).
            object->Hide();
            object->Invalidate();
            if (m_textCanvas)
                m_textCanvas->RemoveChild(id);
        }
    }
    m_placed.clear();
    if (m_textCanvas)
        m_textCanvas->Invalidate();
}

void RichText::RedrawNow(bool useCache)
{
    m_redrawPending = false;
    if (m_flags & RT_CARET)
        useCache = false;
    // The cache holds pixels at their place for one horizontal scroll: with
    // another the columns would not match, so it is not used at all.
    if (m_scrollX != m_cacheScrollX)
        useCache = false;
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    m_cacheCopies = 0;
    if (!m_textCanvas || W < 1 || H < 1)
        return;
    if (m_caret && m_caret->IsShown())
        ShowCaret(m_caretNode);
    const int cw = std::min(W, m_cacheWidth);
    const int ch = std::min(H, m_cacheHeight);
    if (useCache && m_cacheY != kNoCache && std::abs(m_scrollY - m_cacheY) < H && m_textCanvas->GetPixels()
        && m_textCanvas->GetBufferWidth() >= cw && m_textCanvas->GetBufferHeight() >= ch) {
        const auto* src = reinterpret_cast<const uint32_t*>(m_textCanvas->GetPixels());
        const size_t stride = static_cast<size_t>(m_textCanvas->GetBufferWidth());
        for (int row = 0; row < ch; ++row)
            std::memcpy(&m_cache[static_cast<size_t>(row) * static_cast<size_t>(m_cacheWidth)],
                src + static_cast<size_t>(row) * stride, static_cast<size_t>(cw) * 4);
    } else {
        useCache = false;
    }
    HidePlacedObjects();
    RichTextNode* n = NodeAtOffset(m_scrollY);
    int lastX = 0;
    int lastY = 0;
    const bool cacheValid = useCache;
    for (; n && n->y < m_scrollY + H; n = n->next) {
        if (n->x + n->width >= m_scrollX && n->x < m_scrollX + W)
            DrawNode(n, cacheValid);
        lastX = n->x;
        lastY = n->y;
    }
    m_cacheLimitX = lastX;
    m_cacheLimitY = lastY;
    Invalidate();
    m_cacheY = m_scrollY;
    m_cacheScrollX = m_scrollX;
    SyncScrollBar();
}

void RichText::DrawNode(RichTextNode* node, bool useCache)
{
    if (node->flags & NODE_HIDDEN)
        return;
    const int W = static_cast<int>(m_viewWidth);
    const int H = static_cast<int>(m_viewHeight);
    if (node->flags & NODE_OBJECT) {
        EngineObject* object = FindObjectById(static_cast<int>(node->code));
        auto* inline_ = dynamic_cast<RichTextObject*>(object);
        if (!inline_)
            return;
        // Characters are cut by the text canvas's edges, but an object is a
        // picture of its own that would be drawn over whatever lies beyond
        // the view: one partly scrolled out stays hidden (unless it is
        // larger than the whole area and could never be shown whole).
        const auto cut = [](int start, int length, int from, int size) {
            return length <= size ? start < from || start + length > from + size : start < from || start >= from + size;
        };
        if (cut(node->y, node->height, m_scrollY, H) || cut(node->x, node->width, m_scrollX, W))
            return;
        inline_->SetRect(GetTextArea());
        if (IsShown())
            inline_->Show();
        inline_->SetZ(m_textCanvas->GetZ() + 0.001);
        const double left = m_textCanvas->GetLeft();
        const double top = m_textCanvas->GetTop();
        inline_->MoveTo(static_cast<int>(left + node->x - m_scrollX + (node->width + 1) / 2),
            static_cast<int>(top + node->y - m_scrollY + (node->height + 1) / 2));
        inline_->Invalidate();
        m_textCanvas->AddChild(inline_, kPlacedObjectLink);
        m_placed.push_back(inline_->GetId());
        return;
    }
    const int dx = node->x - m_scrollX;
    const int dy = node->y - m_scrollY;
    const bool inOld = node->x <= m_cacheLimitX && node->y <= m_cacheLimitY && node->y >= m_cacheY
        && node->y + node->height < m_cacheY + H;
    const bool inNew = node->y >= m_scrollY && node->y + node->height < m_scrollY + H;
    if (useCache && inOld && inNew) {
        auto* dst = reinterpret_cast<uint32_t*>(m_textCanvas->GetPixels());
        const int stride = m_textCanvas->GetBufferWidth();
        const int x0 = std::max(dx, 0);
        const int x1 = std::min({ dx + static_cast<int>(node->width), W, m_cacheWidth, stride });
        for (int row = 0; row < node->height && x1 > x0; ++row) {
            const int from = node->y - m_cacheY + row;
            const int to = dy + row;
            if (from < 0 || from >= m_cacheHeight || to < 0 || to >= std::min(H, m_textCanvas->GetBufferHeight()))
                continue;
            std::memcpy(dst + static_cast<size_t>(to) * static_cast<size_t>(stride) + x0,
                &m_cache[static_cast<size_t>(from) * static_cast<size_t>(m_cacheWidth) + static_cast<size_t>(x0)],
                static_cast<size_t>(x1 - x0) * 4);
        }
        ++m_cacheCopies;
        return;
    }
    m_textCanvas->SetItalic((node->flags & NODE_ITALIC) ? 1 : 0);
    m_textCanvas->SetFont(node->height, (node->flags & NODE_BOLD) ? 700 : 400, node->font ? node->font : "");
    m_textCanvas->SetUnderline((node->flags & NODE_UNDERLINE) ? 1 : 0);
    m_textCanvas->SetPen(node->colour, 1.0);
    char text[3] = {};
    if (m_flags & RT_MASKED) {
        text[0] = '*';
        if (node->flags & NODE_DBCS)
            text[1] = '*';
    } else {
        text[0] = static_cast<char>(node->code & 0xFF);
        if (node->flags & NODE_DBCS)
            text[1] = static_cast<char>((node->code >> 8) & 0xFF);
    }
    m_textCanvas->DrawText(dx, dy, text);
}

void RichText::OpenUrl(const char* text)
{
    if (!text)
        return;
    // Links come from other players: only web addresses are handed to the
    // opener, as one argument, and never anything a shell could read.
    const std::string address = platform::Gbk::ToUtf8(text);
    auto startsWith = [&](std::string_view prefix) {
        if (address.size() <= prefix.size())
            return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(address[i])) != prefix[i])
                return false;
        }
        return true;
    };
    if (!startsWith("http://") && !startsWith("https://"))
        return;
    for (const char c : address) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return;
    }
    platform::OpenExternal(address);
}

int RichText::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_MOUSE_MOVE:
    case EVT_LBUTTON_DOWN:
    case EVT_LBUTTON_UP:
    case EVT_DRAG:
    case EVT_DBLCLICK: {
        const auto* input = FromWord<const InputState>(event.data);
        const int x = input ? input->x : 0;
        const int y = input ? input->y : 0;
        if (event.code == EVT_MOUSE_MOVE)
            OnMouseMove(x, y);
        else if (event.code == EVT_LBUTTON_DOWN)
            OnMouseDown(x, y);
        else if (event.code == EVT_LBUTTON_UP)
            OnMouseUp(x, y);
        else if (event.code == EVT_DRAG)
            OnDrag(x, y);
        else
            OnDoubleClick(x, y);
        return 1;
    }
    case EVT_KEY_DOWN: {
        const auto* input = FromWord<const InputState>(event.data);
        OnKeyDown(input ? input->lastKeyDown : 0, platform::IsControlDown());
        return 1;
    }
    case EVT_BLUR:
        OnBlur();
        return 1;
    case EVT_RT_COPY:
        CopySelection();
        return 1;
    case EVT_SCROLL:
        if (const auto* values = FromWord<const double>(event.param))
            ScrollTo(m_top + static_cast<int>(values[0]));
        return 0;
    case EVT_SCROLL_UP:
    case EVT_SCROLL_LEFT:
        ScrollLineUp();
        return 1;
    case EVT_SCROLL_DOWN:
    case EVT_SCROLL_RIGHT:
        ScrollLineDown();
        return 1;
    case EVT_WHEEL_UP:
        ScrollLineUp();
        return 1;
    case EVT_WHEEL_DOWN:
        ScrollLineDown();
        return 1;
    case EVT_FREE_DATA:
    case EVT_RT_APPEND_FREE:
        AppendTextAndFree(event.param);
        return 1;
    case EVT_RT_REDRAW:
        RedrawNow(true);
        return 1;
    case EVT_RT_CLEAR:
        Clear();
        return 1;
    case EVT_RT_PRESS:
        OnPress(static_cast<int>(event.param), static_cast<int>(event.data));
        return 1;
    case EVT_RT_OPEN_LINK: {
        // The parameter is the id of the clicked link or button: one removed
        // with its line before this event arrived opens nothing.
        EngineObject* clicked = FindObjectById(static_cast<int>(event.param));
        if (auto* link = dynamic_cast<RichTextLink*>(clicked))
            OpenUrl(link->GetLinkData().c_str());
        else if (auto* button = dynamic_cast<RichTextObject*>(clicked))
            OpenUrl(button->GetLinkData().c_str());
        return 0;
    }
    default:
        return EngineObject::OnEvent(event);
    }
}

} // namespace engine
