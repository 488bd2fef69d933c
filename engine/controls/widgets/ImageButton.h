#pragma once
// A picture button: a sprite of four frames (0 normal, 1 hover, 2 pressed
// or selected, 3 disabled), sounds on leave, enter and press, an optional
// caption drawn on a canvas over the picture, and a hand cursor. A selected
// button keeps its pressed frame while the mouse comes and goes; with
// kButtonSendOnPress the click is sent on the press. The rest of its
// behaviour is every button's (PushButton).

#include "engine/controls/widgets/PushButton.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class CanvasObject;
class GameObject;
class SpriteObject;

inline constexpr int OBJKIND_IMAGE_BUTTON = 8;

// Button flags.
inline constexpr uint32_t kButtonSelected = 0x1;
inline constexpr uint32_t kButtonSendOnPress = 0x2;
inline constexpr uint32_t kButtonEnterKey = 0x4;

// Sound slots, one for each kButtonSound* moment; slot 3 is kept but never
// played.
inline constexpr int kButtonSoundCount = 4;

class ImageButton : public PushButton {
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
    virtual void SetPicture(const PictureDesc& picture, bool fitSize);
    // The caption canvas, made on first use.
    virtual CanvasObject* GetCaptionCanvas();
    // index 0 to 3; any other index is ignored. An empty name is no sound.
    virtual void SetSound(int index, std::string_view name);

    // Look.
    virtual void ShowPressed() { SetFrame(2); }
    virtual void ShowNormal() { SetFrame(0); }
    virtual void SetFrame(int frame);
    virtual int GetFrame() const;

    // Draws the text centred over the picture in the colour (0x00BBGGRR)
    // and size; it does not clear what an earlier caption drew.
    virtual void SetCaption(std::string_view text, uint32_t colour, int size);
    virtual void SetSendOnPress() { m_flags |= kButtonSendOnPress; }
    virtual void SetSendOnRelease() { m_flags &= ~kButtonSendOnPress; }
    virtual void SetSelected(bool on);
    virtual bool IsSelected() const { return m_flags & kButtonSelected; }

    SpriteObject* GetSprite() const { return m_sprite; }
    uint32_t GetButtonFlags() const { return m_flags; }

protected:
    EngineObject* Face() const override;
    void ShowLook(int look) override { SetFrame(look); }
    bool KeepsLook() const override { return IsSelected(); }
    bool ClicksOnPress() const override { return m_flags & kButtonSendOnPress; }
    void Sound(int moment) override;

private:
    CanvasObject* m_caption = nullptr; // not owned: a child of the sprite
    SpriteObject* m_sprite = nullptr;  // not owned: the bound child
    std::array<std::string, kButtonSoundCount> m_sounds;
    uint32_t m_flags = 0;
};

// A registered image button showing the owner's picture of that name
// (frame 0), whose click sends {owner, code} to the owner; spriteFlags as
// for Create. Null when it could not be registered. The caller places,
// shows and links it.
ImageButton* MakeImageButton(GameObject& owner, std::string_view picture, int code, uint32_t spriteFlags);

} // namespace engine
