#pragma once
// An inline picture, looping animation or four-state picture button that
// sits in a line of rich text. Its copy text stands for it when text is
// copied.

#include "engine/objects/BoundObject.h"

#include <string>
#include <string_view>

namespace engine {

class SpriteObject;

inline constexpr int EVT_FIT_REQUEST = 1050;

class RichTextObject : public BoundObject {
public:
    RichTextObject() = default;
    ~RichTextObject() override = default;

    virtual int SetPicture(PictureDesc desc, int width, int height);
    virtual int SetAnimation(std::string_view name, int width, int height);
    // Frames of the picture are the looks: 0 normal, 1 under the pointer,
    // 2 pressed, 3 disabled. owner receives the click event.
    virtual int SetButton(std::string_view name, int owner, int width, int height);
    virtual void FitTo(int maxWidth, int maxHeight);
    virtual void SetLinkData(std::string_view text) { m_linkData.assign(text); }
    virtual void ShowAt(uint32_t time);
    virtual void HideObject();
    virtual void SetRect(const Rect& rect);
    virtual void SetCopyText(std::string_view text) { m_copyText.assign(text); }
    virtual const std::string& GetCopyText() const { return m_copyText; }
    virtual int GetChildId() const;
    virtual int GetWholeWidth() const { return static_cast<int>(GetWidth()); }
    virtual int GetWholeHeight() const { return static_cast<int>(GetHeight()); }

    int OnEvent(const EngineEvent& event) override;

    const std::string& GetLinkData() const { return m_linkData; }
    int GetOwner() const { return m_owner; }
    SpriteObject* GetSprite() const { return m_sprite; }

private:
    SpriteObject* MakeSprite(const PictureDesc& desc, int width, int height);

    std::string m_copyText = "[未知物体]";
    std::string m_linkData;
    int m_owner = 0;
    SpriteObject* m_sprite = nullptr; // the bound child; the object module owns it
};

} // namespace engine
