#pragma once
// The small input widgets of the safe-box dialogs, which take amounts of
// silver and a password:
// - FrameEdit, a one-line edit that takes only digits from the keyboard
//   and can show what is appended in bold;
// - InputBox, a framed box around one FrameEdit, skinned with the picture
//   "InputBoxBkg";
// - DropList, the engine's popup menu with an operation that removes an
//   entry;
// - ComboInput, an input box with a drop button ("btnQuickChat") that opens
//   a DropList of the last six texts the dialog recorded.

#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/widgets/PopupMenu.h"
#include "engine/core/PictureData.h"
#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
class ImageButton;
} // namespace engine

namespace frame {

// Typed digits and editing keys reach the edit; without it the keyboard
// does nothing there, while appending from code still works.
inline constexpr uint32_t FEDIT_KEYBOARD = 0x01;
// Appended text is wrapped in bold markup.
inline constexpr uint32_t FEDIT_BOLD = 0x02;
// Kept with the others; the edit itself does not read it.
inline constexpr uint32_t FEDIT_RESERVED = 0x04;

// The combo's private events: the drop button was pressed {combo, code,
// 0, 0}; a list entry was chosen {combo, code, entry text, list}.
inline constexpr int EVT_COMBO_DROP = 80000031;
inline constexpr int EVT_COMBO_PICK = 80000032;

class FrameEdit : public engine::RichEdit {
public:
    static constexpr uint32_t kDefaultFlags = FEDIT_KEYBOARD | FEDIT_BOLD | FEDIT_RESERVED;

    FrameEdit() = default;
    ~FrameEdit() override = default;

    // Nothing once the maximum length is reached; otherwise the text goes
    // in (in bold with FEDIT_BOLD) and whole characters are taken off the
    // end until it fits again.
    int AppendText(std::string_view text) override;
    // A typed character, taken only with FEDIT_KEYBOARD and only when the
    // key behind it was a digit of the top row or of the keypad.
    virtual void OnChar(const engine::InputState& state);
    using engine::RichEdit::OnChar;
    // Editing keys, only with FEDIT_KEYBOARD.
    void OnKeyDown(const engine::InputState& state) override;
    using engine::RichEdit::OnKeyDown;
    // The keyboard focus and the caret, without bringing the edit to the
    // front (it stays under the box's frame).
    void TakeFocus() override;
    int OnEvent(const engine::EngineEvent& event) override;

    void SetEditFlags(uint32_t flags) { m_editFlags = flags; }
    uint32_t GetEditFlags() const { return m_editFlags; }
    // Bytes; 0 or less: no limit.
    void SetMaxLength(int bytes);
    int GetMaxLength() const { return m_maxLength; }

private:
    uint32_t m_editFlags = kDefaultFlags;
    int m_maxLength = -1;
};

// The edit's look inside the frame's boxes.
inline constexpr uint32_t kFrameEditBackground = 0xdcf0e6;

class InputBox : public engine::BoundObject {
public:
    InputBox() = default;
    ~InputBox() override;

    int OnCreate() override;

    // Both must be 0 or more (0: the picture's size); then laid out.
    virtual void SetSize(int width, int height);
    using engine::EngineObject::SetSize;
    // Negative values are ignored; nothing is laid out.
    virtual void SetWidth(int width);
    virtual void SetHeight(int height);
    virtual void Layout();
    virtual void Focus();
    virtual void Clear();
    // Adds to what is there, then takes the focus.
    virtual void AppendText(std::string_view text);
    virtual std::string GetText() const;
    // Background pixels with left <= x < right and top <= y < bottom;
    // nothing for the transparent colour 0xff00ff.
    virtual void FillRect(int left, int top, int right, int bottom, uint32_t colour);

    void SetMaxLength(int bytes);
    void SetEditFlags(uint32_t flags);
    uint32_t GetEditFlags() const;

    FrameEdit* GetEdit() const { return m_edit; }
    engine::CanvasObject* GetBackground() const { return m_background; }
    engine::CanvasObject* GetFrameCanvas() const { return m_frame; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<int> m_partIds; // removed with the box
    FrameEdit* m_edit = nullptr;                   // not owned: registered, linked to the frame
    engine::CanvasObject* m_background = nullptr; // not owned: registered, linked to the frame
    engine::CanvasObject* m_frame = nullptr;      // not owned: the bound child
    engine::PictureDesc m_picture;
};

class DropList : public engine::PopupMenu {
public:
    // The first entry with that caption leaves the list and the engine
    // (at the end of the frame); the list is laid out again either way.
    virtual void RemoveItem(std::string_view caption);
};

class ComboInput : public engine::BoundObject {
public:
    static constexpr int kHistorySize = 6;

    ComboInput() = default;
    ~ComboInput() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    virtual void Layout();
    // 0: the picture's width.
    virtual void SetWidth(int width);
    // Adds to what is there, then takes the focus.
    virtual void AppendText(std::string_view text);
    virtual void Clear();
    // Appended to the history and the list; the oldest goes when there
    // are already six. Repeated texts are kept.
    virtual void AddHistory(std::string_view text);
    // Opens the list under the drop button, or closes it.
    virtual void ToggleList();
    virtual void Focus();
    virtual std::string GetText() const;

    void SetMaxLength(int bytes);

    FrameEdit* GetEdit() const { return m_edit; }
    engine::ImageButton* GetButton() const { return m_button; }
    DropList* GetList() const { return m_list; }
    engine::CanvasObject* GetBackground() const { return m_background; }
    const std::list<std::string>& GetHistory() const { return m_history; }

private:
    int m_width = 0;
    std::vector<int> m_partIds; // removed with the combo
    FrameEdit* m_edit = nullptr;                   // not owned: registered, linked to the frame
    engine::ImageButton* m_button = nullptr;      // not owned: registered, linked to the frame
    DropList* m_list = nullptr;                   // not owned: registered on first use
    engine::CanvasObject* m_background = nullptr; // not owned: registered, linked to the frame
    engine::CanvasObject* m_frame = nullptr;      // not owned: the bound child
    // Oldest first. A list: the entries' click events point at the texts,
    // which must not move.
    std::list<std::string> m_history;
    engine::PictureDesc m_picture;
    int m_buttonWidth = 0;
};

} // namespace frame
