#pragma once
// A picture button: a sprite of four frames (0 normal, 1 hover, 2 pressed
// or selected, 3 disabled), sounds on leave, enter and press, an optional
// caption drawn on a canvas over the picture, and a hand cursor. A click is
// reported by sending the click event the owner stored; the button knows
// nothing else of its owner.

#include "engine/objects/BoundObject.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class CanvasObject;
class SpriteObject;

inline constexpr int OBJKIND_IMAGE_BUTTON = 8;

// Button flags.
inline constexpr uint32_t kButtonSelected = 0x1;
inline constexpr uint32_t kButtonSendOnPress = 0x2;
inline constexpr uint32_t kButtonEnterKey = 0x4;

// Sound slots: played on leave, enter and press; slot 3 is kept but never
// played.
inline constexpr int kButtonSoundLeave = 0;
inline constexpr int kButtonSoundEnter = 1;
inline constexpr int kButtonSoundPress = 2;
inline constexpr int kButtonSoundCount = 4;

class ImageButton : public BoundObject {
public:
    ImageButton() = default;
    ~ImageButton() override = default;

    int GetKind() const override { return OBJKIND_IMAGE_BUTTON; }
    int OnEvent(const EngineEvent& event) override;

    // Set-up. clickEvent may be null (no event yet); flags are the
    // kButton* flags; spriteFlags are added to the sprite's object flags
    // (ObjectFlags::kPixelHitTest for a hit test by opaque pixels).
    virtual void Create(const PictureDesc& picture, const EngineEvent* clickEvent, uint32_t flags,
        uint32_t spriteFlags);
    virtual void SetClickEvent(const EngineEvent& event) { m_clickEvent = event; }
    virtual void SetPicture(const PictureDesc& picture, bool fitSize);
    // The caption canvas, made on first use.
    virtual CanvasObject* GetCaptionCanvas();
    // index 0 to 3; any other index is ignored. An empty name is no sound.
    virtual void SetSound(int index, std::string_view name);

    // Reactions to the mouse.
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnPress();
    virtual void OnClick();

    // Look.
    virtual void ShowPressed() { SetFrame(2); }
    virtual void ShowNormal() { SetFrame(0); }
    bool HitTest(int x, int y) const override;
    virtual void SetFrame(int frame);
    virtual int GetFrame() const;

    // Sends the click event now, whatever the flags.
    virtual void SendClickEvent();
    // Draws the text centred over the picture in the colour (0x00BBGGRR)
    // and size; it does not clear what an earlier caption drew.
    virtual void SetCaption(std::string_view text, uint32_t colour, int size);
    virtual void SetSendOnPress() { m_flags |= kButtonSendOnPress; }
    virtual void SetSendOnRelease() { m_flags &= ~kButtonSendOnPress; }
    virtual void SetSelected(bool on);
    virtual bool IsSelected() const { return m_flags & kButtonSelected; }
    virtual bool GetHandCursor() const { return m_handCursor; }
    virtual void SetHandCursor(bool on) { m_handCursor = on; }
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();

    SpriteObject* GetSprite() const { return m_sprite; }
    const EngineEvent& GetClickEvent() const { return m_clickEvent; }
    uint32_t GetButtonFlags() const { return m_flags; }

private:
    void PlaySlot(int index);

    CanvasObject* m_caption = nullptr; // not owned: a child of the sprite
    SpriteObject* m_sprite = nullptr;  // not owned: the bound child
    EngineEvent m_clickEvent;
    std::array<std::string, kButtonSoundCount> m_sounds;
    uint32_t m_flags = 0;
    bool m_handCursor = false;
};

} // namespace engine
