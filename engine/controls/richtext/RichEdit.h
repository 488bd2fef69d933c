#pragma once
// The engine's text input box: a rich-text view with a caret that takes
// typed characters, keyboard editing, paste, an optional placeholder hint,
// maximum length and history, and a submit event.

#include "engine/controls/richtext/RichText.h"
#include "engine/core/InputState.h"

#include <string>
#include <vector>

namespace engine {

class RichEdit : public RichText {
public:
    RichEdit() = default;
    ~RichEdit() override = default;

    virtual void Create(int width, int height, uint32_t flags);
    // The view's own creation, with a tag, stays reachable beside it.
    using RichText::Create;
    // The submit event goes to target with code (both 0: none); its param is
    // a text made with AllocEventBlock that the receiver frees, its data this
    // box.
    virtual void SetSubmitEvent(int target, int code, bool hideAfterSubmit);
    // Returns 1 when the key was handled.
    virtual int OnCharCode(uint32_t key, bool controlDown);
    virtual void OnEnter();
    virtual void Submit();
    virtual void AddHistory(std::string_view text);
    virtual void OnChar(uint32_t character);
    // A key press: a shown placeholder goes first, then the key is handled
    // as an editing key or, failing that, as the view's own (Ctrl+C).
    virtual void OnKeyDown(const InputState& state);
    using RichText::OnKeyDown;
    virtual void Paste();
    virtual void ForwardToLinked();
    virtual void ReleaseFocus();
    virtual void OnLengthLimit() {}
    // The text: characters' bytes, a line feed as byte 10, any object as
    // "[控件]".
    virtual std::string GetText() const;
    virtual int GetTextLength() const;
    virtual void SetMasked(bool masked);
    // Tab passes the focus to box (none: Tab does nothing).
    virtual void SetLinkedControl(RichEdit* box);
    virtual void TakeFocus();
    // Typed characters and keys are ignored, and the mouse selects nothing,
    // until EnableEditing.
    virtual void DisableEditing();
    virtual void EnableEditing();
    virtual void SetPlaceholder(std::string_view text, uint32_t colour);
    void SetMaxLength(int bytes) { m_maxLength = bytes; }

    int ParseObjectTag(std::string_view body) override;
    int AppendText(std::string_view text) override;
    void OnMouseDown(int x, int y) override;
    int OnEvent(const EngineEvent& event) override;

    const std::vector<std::string>& GetHistory() const { return m_history; }
    bool IsPlaceholderShown() const { return m_placeholder; }

private:
    void RecallHistory(int step);

    bool m_placeholder = false;
    bool m_hideAfterSubmit = false;
    int m_linkedId = 0; // the box that takes the focus on Tab
    int m_submitTarget = 0;
    int m_submitCode = 0;
    std::vector<std::string> m_history;
    int m_historyPos = 0;
    int m_maxLength = -1;
};

} // namespace engine
