#pragma once
// The context menu of the frame's panels (the user list's row menu, the
// input bar's safe-box menu): the engine's menu, whose entries draw their
// own looks. Beside what the engine's menu does, its entries can be bold, carry a separator line
// under them and an icon in a left column, take their colours all at once
// and centre their captions.
//
// The owner shows a menu: it moves it, shows it and gives it the focus.
// Clicking an entry sends the entry's click event; the owner hides the
// menu when it handles that event.

#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/PopupMenu.h"
#include "engine/core/PictureData.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
}

namespace frame {

// One entry: a menu item that draws its four looks itself.
class FrameMenuItem : public engine::MenuItem {
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
    bool m_separator = false;
    engine::PictureDesc m_icon;
    int m_textOffset = kDefaultTextOffset;
    bool m_bold = false;
};

class FramePopupMenu : public engine::PopupMenu {
public:
    // The engine menu's AddItem makes a FrameMenuItem too, not bold.
    using engine::PopupMenu::AddItem;
    // click may be null; the fourth argument is not used. Null when the
    // item could not be made.
    virtual FrameMenuItem* AddItem(std::string_view caption, const engine::EngineEvent* click, uint32_t textColour,
        int unused, bool bold);
    // A line under the last item; false without items.
    virtual bool AddSeparator();
    FrameMenuItem* GetItem(int index) const override;
    FrameMenuItem* FindItem(std::string_view caption) const override;
    virtual void SetItemColours(uint32_t normal, uint32_t hover, uint32_t pressed);
    virtual void SetBorderColour(uint32_t colour);
    virtual void SetSeparatorColours(uint32_t dark, uint32_t light);
    virtual void SetSeparatorInset(int pixels);
    // Each caption's offset set so that it sits in the middle of its item,
    // counting every two bytes as one character of the font size.
    virtual void CentreCaptions();

protected:
    std::unique_ptr<engine::MenuItem> NewItem() const override;

private:
    // Calls f on each item, top to bottom, and draws its normal look again.
    template <class F>
    void RedrawEach(F f);
};

} // namespace frame
