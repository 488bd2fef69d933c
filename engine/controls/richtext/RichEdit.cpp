#include "engine/controls/richtext/RichEdit.h"

#include "engine/core/InputState.h"
#include "engine/modules/InputModule.h"
#include "platform/KeyState.h"

#include <cstring>

namespace engine {

namespace {
constexpr uint32_t kBoxFlags = RT_KEEP_IN_VIEW | RT_SELECTABLE | RT_CARET | RT_REDRAW_NOW; // 0x24006
constexpr int kBoxTag = 0x200;
constexpr uint32_t kKeyBack = 8, kKeyTab = 9, kKeyEnter = 13, kKeyEsc = 27, kKeyLeft = 37, kKeyUp = 38,
                   kKeyRight = 39, kKeyDown = 40, kKeyDelete = 46, kKeyV = 86;
} // namespace

void RichEdit::Create(int width, int height, uint32_t flags)
{
    RichText::Create(width, height, flags | kBoxFlags, kBoxTag);
    SetFontSize(height - 2);
    SetFocusable(true);
    SubscribeSelf(EVT_CHAR);
    RequestRedraw();
}

void RichEdit::SetSubmitEvent(int target, int code, bool hideAfterSubmit)
{
    m_submitTarget = target;
    m_submitCode = code;
    m_hideAfterSubmit = hideAfterSubmit;
}

int RichEdit::ParseObjectTag(std::string_view)
{
    return 0; // object tags typed or pasted stay text
}

int RichEdit::GetTextLength() const
{
    int length = 0;
    for (const RichTextNode* n = GetFirstNode(); n; n = n->next)
        length += (n->flags & NODE_DBCS) ? 2 : (n->flags & NODE_CHAR) ? 1 : 6;
    return length;
}

std::string RichEdit::GetText() const
{
    std::string text;
    for (const RichTextNode* n = GetFirstNode(); n; n = n->next) {
        if (n->flags & NODE_DBCS) {
            text += static_cast<char>(n->code & 0xFF);
            text += static_cast<char>((n->code >> 8) & 0xFF);
        } else if (n->flags & NODE_CHAR) {
            text += static_cast<char>(n->code & 0xFF);
        } else {
            text += "[控件]";
        }
    }
    return text;
}

int RichEdit::AppendText(std::string_view text)
{
    if (m_maxLength <= 0)
        return RichText::AppendText(text);
    if (GetTextLength() >= m_maxLength) {
        OnLengthLimit();
        return 0;
    }
    const int result = RichText::AppendText(text);
    bool removed = false;
    while (GetTextLength() > m_maxLength && m_last) {
        RemoveNodes(m_last, m_last);
        removed = true;
    }
    if (removed)
        RequestRedraw();
    return result;
}

void RichEdit::OnChar(uint32_t character)
{
    char text[3] = {};
    text[0] = static_cast<char>(character & 0xFF);
    text[1] = static_cast<char>((character >> 8) & 0xFF);
    AppendText(text);
    if (m_flags & RT_SUBMIT_ON_CHANGE)
        Submit();
}

void RichEdit::RecallHistory(int step)
{
    const int n = static_cast<int>(m_history.size());
    Clear();
    m_historyPos = ((m_historyPos + step) % n + n) % n;
    AppendText(m_history[static_cast<size_t>(m_historyPos)]);
    SelectAll();
}

int RichEdit::OnCharCode(uint32_t key, bool controlDown)
{
    const bool recall = (m_flags & RT_SINGLE_LINE) && (m_flags & RT_HISTORY) && !m_history.empty();
    switch (key) {
    case kKeyBack:
        DeleteBackward();
        if (m_flags & RT_SUBMIT_ON_CHANGE)
            Submit();
        return 1;
    case kKeyTab:
        ForwardToLinked();
        return 1;
    case kKeyEnter:
        OnEnter();
        return 1;
    case kKeyEsc:
        ReleaseFocus();
        return 1;
    case kKeyUp:
        if (recall)
            RecallHistory(-1);
        else
            MoveCaretUp();
        return 1;
    case kKeyDown:
        if (recall)
            RecallHistory(1);
        else
            MoveCaretDown();
        return 1;
    case kKeyLeft:
        MoveCaretLeft();
        return 1;
    case kKeyRight:
        MoveCaretRight();
        return 1;
    case kKeyDelete:
        DeleteForward();
        if (m_flags & RT_SUBMIT_ON_CHANGE)
            Submit();
        return 1;
    case kKeyV:
        if (!controlDown)
            return 0;
        Paste();
        return 1;
    default:
        return 0;
    }
}

void RichEdit::OnEnter()
{
    if ((m_flags & RT_SINGLE_LINE) && m_submitTarget != 0 && m_submitCode != 0) {
        Submit();
        if (m_hideAfterSubmit) {
            Hide();
            Invalidate();
        }
        return;
    }
    AppendText("\r\n");
}

void RichEdit::Submit()
{
    const std::string text = GetText();
    if (m_flags & RT_HISTORY) {
        m_history.push_back(text);
        m_historyPos = static_cast<int>(m_history.size()) - 1;
    }
    // Without a receiver (none set, or gone since) there is nobody to free
    // the text: none is made.
    if (m_submitTarget == 0 || m_submitCode == 0 || !FindObjectById(m_submitTarget))
        return;
    uint8_t* block = AllocEventBlock(text.size() + 1);
    std::memcpy(block, text.c_str(), text.size() + 1);
    SendEvent(EngineEvent(m_submitTarget, m_submitCode, ToWord(block), ToWord(this)));
}

void RichEdit::AddHistory(std::string_view text)
{
    if (!(m_flags & RT_HISTORY))
        return;
    m_history.emplace_back(text);
    m_historyPos = static_cast<int>(m_history.size()) - 1;
}

void RichEdit::Paste()
{
    PasteClipboard();
    if (m_flags & RT_SUBMIT_ON_CHANGE)
        Submit();
}

void RichEdit::SetLinkedControl(RichEdit* box)
{
    m_linkedId = box ? box->GetId() : 0;
}

void RichEdit::ForwardToLinked()
{
    // Looked up by id: the linked box may have been removed since.
    if (auto* linked = dynamic_cast<RichEdit*>(FindObjectById(m_linkedId)))
        linked->TakeFocus();
}

void RichEdit::ReleaseFocus()
{
    SetFocus(0);
}

void RichEdit::DisableEditing()
{
    m_flags &= ~RT_SELECTABLE;
    Unsubscribe(EVT_CHAR);
    Unsubscribe(EVT_KEY_DOWN);
}

void RichEdit::EnableEditing()
{
    m_flags |= RT_SELECTABLE;
    Unsubscribe(EVT_CHAR);
    Unsubscribe(EVT_KEY_DOWN);
    SubscribeSelf(EVT_CHAR);
    SubscribeSelf(EVT_KEY_DOWN);
}

void RichEdit::SetMasked(bool masked)
{
    if (masked)
        m_flags |= RT_MASKED;
    else
        m_flags &= ~RT_MASKED;
    RequestRedraw();
}

void RichEdit::TakeFocus()
{
    SetTopmost();
    SetFocus(GetId());
    if (m_placeholder) {
        Clear();
        m_placeholder = false;
    }
    ShowCaret(m_caretNode);
}

void RichEdit::OnMouseDown(int x, int y)
{
    RichText::OnMouseDown(x, y);
    if (m_placeholder)
        Clear();
}

void RichEdit::SetPlaceholder(std::string_view text, uint32_t colour)
{
    Clear();
    const uint32_t saved = GetStyle().colour;
    SetTextColour(colour);
    AppendText(text);
    m_placeholder = true;
    SetTextColour(saved);
}

void RichEdit::OnKeyDown(const InputState& state)
{
    if (m_placeholder) {
        Clear();
        m_placeholder = false;
    }
    if (!OnCharCode(state.lastKeyDown, platform::IsControlDown()))
        RichText::OnKeyDown(state.lastKeyDown, platform::IsControlDown());
}

int RichEdit::OnEvent(const EngineEvent& event)
{
    const auto* input = FromWord<const InputState>(event.data);
    if (event.code == EVT_KEY_DOWN) {
        OnKeyDown(input ? *input : InputState {});
        return 1;
    }
    if (event.code == EVT_CHAR) {
        if (input)
            OnChar(input->character);
        return 1;
    }
    return RichText::OnEvent(event);
}

} // namespace engine
