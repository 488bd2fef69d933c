#pragma once
// The context menu of the frame's panels (the user list's row menu, the
// input bar's safe-box menu): a vertical stack of items on a bordered
// canvas that hides itself when it loses the keyboard focus. Beside what
// the engine's menu does, its entries can be bold, carry a separator line
// under them and an icon in a left column, take their colours all at once
// and centre their captions.
//
// The owner shows a menu: it moves it, shows it and gives it the focus.
// Clicking an entry sends the entry's click event; the owner hides the
// menu when it handles that event.

#include "engine/controls/widgets/TextButton.h"
#include "engine/core/PictureData.h"
#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
}

namespace frame {

// One entry: a text button that draws its four looks itself.
class FrameMenuItem : public engine::TextButton {
public:
    static constexpr int kDefaultTextOffset = 40;
    static constexpr int kDefaultIconSize = 24;

    FrameMenuItem() = default;
    ~FrameMenuItem() override = default;

    void DrawState(int state) override;
    // Stored and made the canvas pen; the normal look is drawn again.
    void SetTextColour(uint32_t colour) override;

    // height 0: no icon.
    virtual void SetIcon(const engine::PictureDesc& icon);
    virtual void SetSeparator(bool on);
    // Only positive offsets are taken. Returns the offset in force.
    virtual int SetTextOffset(int pixels);
    // Shown at the next drawing of the normal look.
    virtual bool SetBold(bool on);
    // pressed 0: the pressed look inverts what the item showed.
    virtual void SetBackgroundColours(uint32_t normal, uint32_t hover, uint32_t pressed);
    virtual void SetSeparatorColours(uint32_t dark, uint32_t light);
    virtual void SetSeparatorInset(int pixels);
    // The icon's height when it is 1 to 23, otherwise 24.
    virtual int GetIconSize() const;

    FrameMenuItem* GetNextItem() const { return m_next; }
    void SetNextItem(FrameMenuItem* next) { m_next = next; }
    int GetTextOffset() const { return m_textOffset; }
    bool IsBold() const { return m_bold; }
    bool HasSeparator() const { return m_separator; }
    uint32_t GetTextColour() const { return m_textColour; }

private:
    void DrawCaption(engine::CanvasObject* c) const;
    void DrawSeparator(engine::CanvasObject* c) const;

    int m_separatorInset = 4;
    uint32_t m_textColour = 0;
    uint32_t m_normal = 0xf0f0f0;
    uint32_t m_hover = 0xcbdadc;
    uint32_t m_pressed = 0;
    uint32_t m_separatorDark = 0xa0a0a0;
    uint32_t m_separatorLight = 0xffffff;
    FrameMenuItem* m_next = nullptr; // not owned: the menu's list
    bool m_separator = false;
    engine::PictureDesc m_icon;
    int m_textOffset = kDefaultTextOffset;
    bool m_bold = false;
};

class FramePopupMenu : public engine::BoundObject {
public:
    static constexpr int kDefaultFontSize = 12;
    static constexpr int kMargin = 2;

    FramePopupMenu() = default;
    // Removes the items, which are linked to the menu but not owned.
    ~FramePopupMenu() override;

    virtual void Create(int itemWidth, int itemHeight, int fontSize, uint32_t background);
    // click may be null; the fourth argument is not used. Null when the
    // item could not be made.
    virtual FrameMenuItem* AddItem(std::string_view caption, const engine::EngineEvent* click, uint32_t textColour,
        int unused, bool bold);
    // A line under the last item; false without items.
    virtual bool AddSeparator();
    // Every item whose EVT_CLICK subscription delivers {target, code}.
    virtual void EnableItemsByEvent(int target, int code, bool enable);
    virtual void Layout();
    virtual FrameMenuItem* GetItem(int index) const;
    // The first item whose caption is byte-for-byte equal, or null.
    virtual FrameMenuItem* FindItem(std::string_view caption) const;
    virtual void SetItemColours(uint32_t normal, uint32_t hover, uint32_t pressed);
    virtual void SetBorderColour(uint32_t colour);
    virtual void SetSeparatorColours(uint32_t dark, uint32_t light);
    virtual void SetSeparatorInset(int pixels);
    // Each caption's offset set so that it sits in the middle of its item,
    // counting every two bytes as one character of the font size.
    virtual void CentreCaptions();

    engine::CanvasObject* GetCanvas() const { return m_canvas; }
    int GetItemCount() const;
    int GetItemWidth() const { return m_itemWidth; }
    int GetItemHeight() const { return m_itemHeight; }

private:
    int m_itemWidth = 0;
    int m_itemHeight = 0;
    int m_fontSize = kDefaultFontSize;
    int m_margin = kMargin;
    FrameMenuItem* m_first = nullptr;         // not owned: registered items, chained
    engine::CanvasObject* m_canvas = nullptr; // not owned: the bound child
    std::vector<int> m_itemIds;               // removed with the menu
};

} // namespace frame
