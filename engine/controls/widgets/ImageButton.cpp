#include "engine/controls/widgets/ImageButton.h"

#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"

namespace engine {

namespace {

constexpr int kEnterKey = 13;
constexpr double kCaptionLift = 0.01;

} // namespace

void ImageButton::Create(const PictureDesc& picture, const EngineEvent* clickEvent, uint32_t flags,
    uint32_t spriteFlags)
{
    m_sprite = CreateSprite(picture);
    if (m_sprite) {
        m_sprite->SetFrame(0);
        m_sprite->SetTopmost();
        m_sprite->AddFlags(spriteFlags);
        AttachFace(m_sprite);
    }
    if (flags & kButtonEnterKey) {
        SetFocusable(true);
        SubscribeSelf(EVT_KEY_DOWN);
    }
    m_flags |= flags;
    if (clickEvent)
        SetClickEvent(*clickEvent);
}

void ImageButton::SetPicture(const PictureDesc& picture, bool fitSize)
{
    if (m_sprite)
        m_sprite->SetPicture(picture, fitSize);
}

CanvasObject* ImageButton::GetCaptionCanvas()
{
    if (m_caption || !m_sprite)
        return m_caption;
    const int width = static_cast<int>(m_sprite->GetWidth());
    const int height = static_cast<int>(m_sprite->GetHeight());
    m_caption = CreateCanvas(width, height, kNoColourKey);
    if (!m_caption)
        return nullptr;
    m_caption->SetTopmost();
    m_caption->MoveTo(m_sprite->GetX(), m_sprite->GetY());
    m_caption->SetZ(m_sprite->GetZ() + kCaptionLift);
    m_sprite->AddChild(m_caption, LINK_STANDARD);
    // A caption added to a button already on screen shows with it; later
    // showing and hiding reach it through the link.
    if (m_sprite->IsShown())
        m_caption->Show();
    m_caption->Invalidate();
    return m_caption;
}

void ImageButton::SetSound(int index, std::string_view name)
{
    // Only the four slots exist; an index from a caller's table that is out
    // of range must not write anywhere else.
    if (index < 0 || index >= kButtonSoundCount)
        return;
    m_sounds[static_cast<size_t>(index)] = name;
}

EngineObject* ImageButton::Face() const
{
    return m_sprite;
}

void ImageButton::Sound(int moment)
{
    const std::string& name = m_sounds[static_cast<size_t>(moment)];
    if (!name.empty())
        PlaySound(name, 1, nullptr);
}

void ImageButton::SetFrame(int frame)
{
    if (!m_sprite)
        return;
    m_sprite->SetFrame(static_cast<uint16_t>(frame));
    m_sprite->Invalidate();
}

int ImageButton::GetFrame() const
{
    return m_sprite ? m_sprite->GetFrame() : 0;
}

void ImageButton::SetCaption(std::string_view text, uint32_t colour, int size)
{
    CanvasObject* canvas = GetCaptionCanvas();
    if (!canvas)
        return;
    canvas->SetPen(colour, 1.0);
    canvas->SetFont(size, 400, "宋体");
    canvas->DrawTextCentred(static_cast<int>(canvas->GetWidth() / 2), static_cast<int>(canvas->GetHeight() / 2),
        text);
    canvas->Invalidate();
}

void ImageButton::SetSelected(bool on)
{
    if (on) {
        m_flags |= kButtonSelected;
        SetFrame(2);
        return;
    }
    m_flags &= ~kButtonSelected;
    InputState state;
    GetInputState(&state);
    SetFrame(m_sprite && m_sprite->HitTest(state.x, state.y) ? 1 : 0);
}

int ImageButton::OnEvent(const EngineEvent& event)
{
    // Key presses come only to a button made with kButtonEnterKey, and only
    // while it has the focus.
    if (event.code != EVT_KEY_DOWN)
        return PushButton::OnEvent(event);
    const InputState* state = FromWord<InputState>(event.data);
    if (state && state->lastKeyDown == kEnterKey && IsInputEnabled())
        OnClick();
    return 0;
}

ImageButton* MakeImageButton(GameObject& owner, std::string_view picture, int code, uint32_t spriteFlags)
{
    auto* button = static_cast<ImageButton*>(owner.RegisterObject(std::make_unique<ImageButton>()));
    if (!button)
        return nullptr;
    PictureDesc desc;
    owner.LookupPicture(&desc, picture, 0);
    const EngineEvent click(owner.GetId(), code);
    button->Create(desc, &click, 0, spriteFlags);
    return button;
}

} // namespace engine
