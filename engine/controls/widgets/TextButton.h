#pragma once
// A button drawn on a canvas from a caption and colours: four looks (0
// normal, 1 hover, 2 pressed, 3 disabled) redrawn from scratch on every
// change. The text colour is the canvas's pen. Its behaviour is every
// button's (PushButton): a click (release over the button) sends the click
// event the owner stored.

#include "engine/controls/widgets/PushButton.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class CanvasObject;

// Looks of text buttons and menu items.
inline constexpr int kTextButtonNormal = kButtonLookNormal;
inline constexpr int kTextButtonHover = kButtonLookHover;
inline constexpr int kTextButtonPressed = kButtonLookPressed;
inline constexpr int kTextButtonDisabled = kButtonLookDisabled;

class TextButton : public PushButton {
public:
    TextButton() = default;
    ~TextButton() override = default;

    // Colours are 0x00BBGGRR; clickEvent may be null. Returns the canvas
    // (null when it could not be made).
    virtual CanvasObject* Create(std::string_view caption, int width, int height, int fontSize,
        uint32_t background, uint32_t border, const EngineEvent* clickEvent);
    virtual CanvasObject* GetCanvas() const { return m_canvas; }
    virtual void DrawState(int state);
    virtual void SetTextColour(uint32_t colour);
    virtual std::string GetCaption() const { return m_caption; }
    virtual void SetCaption(std::string_view text);

protected:
    EngineObject* Face() const override;
    void ShowLook(int look) override { DrawState(look); }
    uint32_t GetBackgroundColour() const { return m_background; }
    uint32_t GetBorderColour() const { return m_border; }
    int GetFontSize() const { return m_fontSize; }
    const std::string& Caption() const { return m_caption; }

private:
    CanvasObject* m_canvas = nullptr; // not owned: the bound child
    uint32_t m_background = 0;
    uint32_t m_border = 0;
    std::string m_caption;
    int m_fontSize = 0;
};

} // namespace engine
