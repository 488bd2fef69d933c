#pragma once
// The text button of a popup menu: the same behaviour as TextButton with a
// menu's looks (bold and tinted on hover, inverted when pressed, faded when
// disabled), and the link to the next item of the menu's list.

#include "engine/controls/widgets/TextButton.h"

namespace engine {

class MenuItem : public TextButton {
public:
    MenuItem() = default;
    ~MenuItem() override = default;

    void DrawState(int state) override;

    // The menu's list: not owned (the menu's items are its children).
    MenuItem* GetNextItem() const { return m_next; }
    void SetNextItem(MenuItem* next) { m_next = next; }

private:
    void DrawCentredCaption();

    MenuItem* m_next = nullptr; // not owned
};

} // namespace engine
