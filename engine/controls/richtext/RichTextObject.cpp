#include "engine/controls/richtext/RichTextObject.h"

#include "engine/controls/richtext/RichText.h"
#include "engine/controls/richtext/RichTextLink.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"
#include "platform/Cursor.h"

namespace engine {

SpriteObject* RichTextObject::MakeSprite(const PictureDesc& desc, int width, int height)
{
    SpriteObject* sprite = CreateSprite(desc);
    if (!sprite)
        return nullptr;
    sprite->ScaleTo(width > 0 ? width : desc.width, height > 0 ? height : desc.height);
    sprite->Invalidate();
    m_sprite = sprite;
    return sprite;
}

int RichTextObject::SetPicture(PictureDesc desc, int width, int height)
{
    if (SpriteObject* sprite = MakeSprite(desc, width, height))
        Bind(sprite, LINK_STANDARD);
    m_copyText = "[图片]";
    return GetId();
}

int RichTextObject::SetAnimation(std::string_view name, int width, int height)
{
    PictureDesc desc;
    LookupPicture(&desc, name, 0);
    if (SpriteObject* sprite = MakeSprite(desc, width, height)) {
        PlayFrames(sprite, 0, -1, 0, 0, nullptr);
        Bind(sprite, LINK_STANDARD);
    }
    m_copyText = "[动画]";
    return GetId();
}

int RichTextObject::SetButton(std::string_view name, int owner, int width, int height)
{
    m_owner = owner;
    PictureDesc desc;
    LookupPicture(&desc, name, 0);
    if (SpriteObject* sprite = MakeSprite(desc, width, height)) {
        for (const int code : { EVT_MOUSE_ENTER, EVT_MOUSE_LEAVE, EVT_LBUTTON_DOWN, EVT_CLICK })
            sprite->SubscribeEvent(code, GetId(), code, 0, 0);
        Bind(sprite, LINK_STANDARD);
    }
    m_copyText = "[按钮]";
    return GetId();
}

void RichTextObject::FitTo(int, int) {}

void RichTextObject::ShowAt(uint32_t)
{
    Show();
    Invalidate();
}

void RichTextObject::HideObject()
{
    Hide();
    Invalidate();
}

void RichTextObject::SetRect(const Rect& rect)
{
    SetHitRect(rect.left, rect.top, rect.right, rect.bottom);
    Invalidate();
}

int RichTextObject::GetChildId() const
{
    return m_sprite ? m_sprite->GetId() : 0;
}

int RichTextObject::OnEvent(const EngineEvent& event)
{
    auto frame = [&](uint16_t f) {
        if (m_sprite) {
            m_sprite->SetFrame(f);
            m_sprite->Invalidate();
        }
    };
    auto cursor = [&](int code, platform::SystemCursor shape) {
        if (EngineObject* c = FindObjectByName("object_cursor"))
            SendEvent(EngineEvent(c->GetId(), code));
        else
            platform::SetCursor(platform::LoadSystemCursor(shape));
    };
    switch (event.code) {
    case EVT_MOUSE_ENTER:
        cursor(EVT_CURSOR_HAND, platform::SystemCursor::kHand);
        frame(1);
        return 0;
    case EVT_MOUSE_LEAVE:
        cursor(EVT_CURSOR_ARROW, platform::SystemCursor::kArrow);
        frame(0);
        return 0;
    case EVT_LBUTTON_DOWN:
        frame(2);
        return 0;
    case EVT_CLICK:
        frame(1);
        // The button's id, not a pointer to its data, which would dangle
        // if the button went before delivery.
        if (!m_linkData.empty())
            PostEvent(EngineEvent(m_owner, EVT_RT_OPEN_LINK, static_cast<MessageWord>(GetId()), 0));
        return 0;
    case EVT_ENABLED:
        frame(1);
        return 0;
    case EVT_DISABLED:
        frame(3);
        return 0;
    case EVT_FIT_REQUEST:
        FitTo(static_cast<int>(event.param), static_cast<int>(event.data));
        return 0;
    default:
        return EngineObject::OnEvent(event);
    }
}

} // namespace engine
