#pragma once
// A button drawn on a canvas from a caption and colours: four looks (0
// normal, 1 hover, 2 pressed, 3 disabled) redrawn from scratch on every
// change. The text colour is the canvas's pen. A click (release over the
// button) sends the click event the owner stored.

#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class CanvasObject;

// Looks of text buttons and menu items.
inline constexpr int kTextButtonNormal = 0;
inline constexpr int kTextButtonHover = 1;
inline constexpr int kTextButtonPressed = 2;
inline constexpr int kTextButtonDisabled = 3;

class TextButton : public BoundObject {
public:
    TextButton() = default;
    ~TextButton() override = default;

    int OnEvent(const EngineEvent& event) override;

    // Colours are 0x00BBGGRR; clickEvent may be null. Returns the canvas
    // (null when it could not be made).
    virtual CanvasObject* Create(std::string_view caption, int width, int height, int fontSize,
        uint32_t background, uint32_t border, const EngineEvent* clickEvent);
    virtual CanvasObject* GetCanvas() const { return m_canvas; }
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnPress();
    virtual void OnClick();
    virtual void DrawState(int state);
    virtual void SetClickEvent(const EngineEvent& event) { m_clickEvent = event; }
    bool HitTest(int x, int y) const override;
    virtual void SetTextColour(uint32_t colour);
    virtual std::string GetCaption() const { return m_caption; }
    virtual void SetCaption(std::string_view text);
    virtual bool GetHandCursor() const { return m_handCursor; }
    virtual void SetHandCursor(bool on) { m_handCursor = on; }
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();

    const EngineEvent& GetClickEvent() const { return m_clickEvent; }

protected:
    uint32_t GetBackgroundColour() const { return m_background; }
    uint32_t GetBorderColour() const { return m_border; }
    int GetFontSize() const { return m_fontSize; }
    const std::string& Caption() const { return m_caption; }

private:
    CanvasObject* m_canvas = nullptr; // not owned: the bound child
    EngineEvent m_clickEvent;
    uint32_t m_background = 0;
    uint32_t m_border = 0;
    std::string m_caption;
    int m_fontSize = 0;
    bool m_handCursor = false;
};

} // namespace engine
