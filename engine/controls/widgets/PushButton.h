#pragma once
// What picture buttons and text buttons share. The button is bound to its
// face (the sprite or canvas the mouse meets) and hears the face's mouse
// events: the look follows the mouse in and out, the press shows the
// pressed look, a release over the face clicks, and a disabled button
// ignores the mouse and shows the disabled look until it is enabled again.
// A click sends the event the owner stored; the button knows nothing else
// of its owner. A derived button draws the looks and may keep its look
// while the mouse comes and goes, sound the moments and click on the press.

#include "engine/objects/BoundObject.h"

#include <cstdint>

namespace engine {

// The four looks (the frames of a picture button).
inline constexpr int kButtonLookNormal = 0;
inline constexpr int kButtonLookHover = 1;
inline constexpr int kButtonLookPressed = 2;
inline constexpr int kButtonLookDisabled = 3;

// The moments a button may sound: the mouse left, entered, pressed.
inline constexpr int kButtonSoundLeave = 0;
inline constexpr int kButtonSoundEnter = 1;
inline constexpr int kButtonSoundPress = 2;

class PushButton : public BoundObject {
public:
    int OnEvent(const EngineEvent& event) override;

    // Reactions to the mouse.
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnPress();
    virtual void OnClick();

    virtual void SetClickEvent(const EngineEvent& event) { m_clickEvent = event; }
    const EngineEvent& GetClickEvent() const { return m_clickEvent; }
    // Sends the click event now, whatever the moment; an event of code 0
    // is none.
    virtual void SendClickEvent();

    bool HitTest(int x, int y) const override;
    virtual bool GetHandCursor() const { return m_handCursor; }
    virtual void SetHandCursor(bool on) { m_handCursor = on; }
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();

protected:
    // The sprite or canvas the mouse meets; null before it is made.
    virtual EngineObject* Face() const = 0;
    // Binds the face to the button and has the face's mouse events
    // delivered to the button.
    void AttachFace(EngineObject* face);
    // Shows one of the kButtonLook* looks.
    virtual void ShowLook(int look) = 0;
    // True while the look stays as it is when the mouse enters or leaves.
    virtual bool KeepsLook() const { return false; }
    // True when the click is sent on the press instead of the release.
    virtual bool ClicksOnPress() const { return false; }
    // One of the kButtonSound* moments: the mouse left, entered or pressed.
    virtual void Sound(int /*moment*/) { }

private:
    EngineEvent m_clickEvent;
    bool m_handCursor = false;
};

} // namespace engine
