#pragma once
// A vertical list of menu items on a bordered canvas: a context menu. Each
// item carries its own click event; the menu only lays the items out,
// finds them, switches them on and off, and hides itself when it loses the
// keyboard focus.
//
// The items are registered objects linked to the menu without ownership:
// the menu's destructor removes them, so none outlives it. A menu whose
// items draw other looks makes them in NewItem and adds its steps between
// MakeItem and AppendItem.

#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace engine {

class CanvasObject;
class MenuItem;

class PopupMenu : public BoundObject {
public:
    static constexpr int kDefaultFontSize = 12;
    static constexpr int kMargin = 2;

    PopupMenu() = default;
    ~PopupMenu() override;

    virtual void Create(int itemWidth, int itemHeight, int fontSize, uint32_t background);
    // click: the item's click event (null: none). The last argument is not
    // used. Null when the item could not be made.
    virtual MenuItem* AddItem(std::string_view caption, const EngineEvent* click, uint32_t textColour, int unused);
    // Enables or disables every item whose EVT_CLICK subscription delivers
    // {target, code}.
    virtual void EnableItemsByEvent(int target, int code, bool enable);
    virtual void Layout();
    // Null past the end.
    virtual MenuItem* GetItem(int index) const;
    // The first item whose caption is byte-for-byte equal, or null.
    virtual MenuItem* FindItem(std::string_view caption) const;

    CanvasObject* GetCanvas() const { return m_canvas; }
    int GetItemCount() const;
    int GetItemWidth() const { return m_itemWidth; }
    int GetItemHeight() const { return m_itemHeight; }

protected:
    // The object each item is; a plain MenuItem here.
    virtual std::unique_ptr<MenuItem> NewItem() const;
    // Registers and creates an item, coloured, without adding it to the
    // menu. Null when it could not be made.
    MenuItem* MakeItem(std::string_view caption, const EngineEvent* click, uint32_t textColour);
    // Links a made item under the last one and lays the menu out again.
    void AppendItem(MenuItem* item);
    int GetFontSize() const { return m_fontSize; }
    // Takes the item out of the list (nothing when it is not there); the
    // caller removes it from the engine.
    void UnlinkItem(MenuItem* item);

private:
    int m_itemWidth = 0;
    int m_itemHeight = 0;
    int m_fontSize = kDefaultFontSize;
    int m_margin = kMargin;
    MenuItem* m_first = nullptr;      // not owned: registered items, chained
    CanvasObject* m_canvas = nullptr; // not owned: the bound child
    std::vector<int> m_itemIds;       // removed with the menu
};

} // namespace engine
