#include "engine/controls/richtext/RichTextLink.h"

#include "engine/controls/richtext/RichText.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"
#include "platform/Cursor.h"


namespace engine {

RichTextLink::~RichTextLink()
{
    if (m_highlight && IsAttached())
        RemoveObject(m_highlight, 1);
    m_highlight = nullptr;
}

void RichTextLink::Create(std::string_view data, std::string_view picture, int owner)
{
    m_data.assign(data);
    m_owner = owner;
    if (picture.empty())
        return;
    PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    if (!desc.record)
        return;
    m_highlight = CreateSprite(desc);
    if (m_highlight)
        m_highlight->Hide();
}

void RichTextLink::OnClick(int, int)
{
    if (m_data.empty())
        return;
    // The link's id, not a pointer to its text: a line trimmed or a view
    // cleared before delivery removes the link, and the view then finds
    // nothing to open.
    PostEvent(EngineEvent(m_owner, EVT_RT_OPEN_LINK, static_cast<MessageWord>(GetId()), 0));
}

void RichTextLink::OnMouseEnter(int, int)
{
    if (!m_highlight)
        return;
    auto* owner = dynamic_cast<RichText*>(FindObjectById(m_owner));
    if (!owner)
        return;
    m_highlight->SetZ(GetZ() + 1e-7 + 1.0);
    m_highlight->SetOpacity(0.0);
    m_highlight->Show();
    if (EngineObject* canvas = owner->GetTextCanvas())
        m_highlight->MoveTo(canvas->GetX(), canvas->GetY());
    m_highlight->Invalidate();
    CancelActionsOf(m_highlight->GetId());
    FadeOpacity(m_highlight, 0.1, 1.0, 0, nullptr);
}

void RichTextLink::OnMouseLeave(int, int)
{
    if (!m_highlight)
        return;
    m_highlight->Hide();
    m_highlight->Invalidate();
}

void RichTextLink::ShowHandCursor()
{
    if (EngineObject* cursor = FindObjectByName("object_cursor"))
        SendEvent(EngineEvent(cursor->GetId(), EVT_CURSOR_HAND));
    else
        platform::SetCursor(platform::LoadSystemCursor(platform::SystemCursor::kHand));
}

} // namespace engine
