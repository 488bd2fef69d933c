#include "engine/controls/widgets/ScrollBar.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {

// The bar's own subscriptions: input on the thumb and the track.
constexpr int kThumbEnter = 80000002;
constexpr int kThumbLeave = 80000003;
constexpr int kThumbPress = 80000004;
constexpr int kThumbClick = 80000005;
constexpr int kThumbDrag = 80000006;
constexpr int kTrackPress = 80000007;

// Everything of LINK_STANDARD except scaling: the part follows the track
// in all but size.
constexpr uint32_t kLinkFollowTrack = LINK_STANDARD & ~kLinkScale;
static_assert(kLinkFollowTrack == 1818795);
// Rotation, invalidation, size, depth, movement, show and hide; not owned.
constexpr uint32_t kLinkGrip = kLinkRotate | kLinkInvalidate | kLinkSize | kLinkZ | kLinkMove | kLinkShow | kLinkHide;
static_assert(kLinkGrip == 1671330);

constexpr uint32_t kTransparent = 0xFF00FF;

} // namespace

void ScrollBar::Create(int owner, int width, int height, int vertical, int reserved)
{
    m_owner = owner;
    m_vertical = vertical;
    m_reserved = reserved;

    m_thumb = CreateCanvas(width, height, 0x808080);
    m_track = CreateCanvas(width, height, 0x808040);
    if (!m_thumb || !m_track)
        return;
    const int self = GetId();
    m_thumb->SubscribeEvent(EVT_MOUSE_ENTER, self, kThumbEnter, 0, 0);
    m_thumb->SubscribeEvent(EVT_MOUSE_LEAVE, self, kThumbLeave, 0, 0);
    m_thumb->SubscribeEvent(EVT_LBUTTON_DOWN, self, kThumbPress, 0, 0);
    m_thumb->SubscribeEvent(EVT_CLICK, self, kThumbClick, 0, 0);
    m_thumb->SubscribeEvent(EVT_DRAG, self, kThumbDrag, 0, 0);
    m_track->SubscribeEvent(EVT_LBUTTON_DOWN, self, kTrackPress, 0, 0);
    Bind(m_track, LINK_STANDARD);

    m_thumb->SetZ(m_track->GetZ() + 0.1);
    m_track->AddChild(m_thumb, kLinkFollowTrack);
    Redraw();
}

void ScrollBar::SetThumbPicture(const PictureDesc& picture)
{
    if (!m_thumb)
        return;
    if (m_grip) {
        m_grip->SetPicture(picture, true);
        m_grip->Invalidate();
        return;
    }
    m_grip = CreateSprite(picture);
    if (!m_grip)
        return;
    m_grip->MoveTo(m_thumb->GetX(), m_thumb->GetY());
    m_grip->SetZ(m_thumb->GetZ() + 0.5);
    if (m_thumb->IsShown())
        m_grip->Show();
    m_grip->Invalidate();
    m_thumb->AddChild(m_grip, kLinkGrip);
}

void ScrollBar::SetTrackImage(const PictureDesc& picture)
{
    if (!m_track)
        return;
    m_track->SetBackground(kTransparent);
    m_trackPicture = picture;
    Redraw();
}

void ScrollBar::SetThumbImage(const PictureDesc& picture)
{
    if (!m_thumb)
        return;
    const int height = static_cast<int>(m_thumb->GetHeight());
    m_thumb->ResizeBuffer(picture.width, height);
    m_thumb->ScaleTo(picture.width, height);
    m_thumb->SetBackground(kTransparent);
    const int state = m_thumbPicture.frame;
    m_thumbPicture = picture;
    m_thumbPicture.frame = state;
    Redraw();
}

double ScrollBar::ArrowLength(const EngineObject* arrow) const
{
    if (!arrow)
        return 0.0;
    return m_vertical ? arrow->GetHeight() : arrow->GetWidth();
}

int ScrollBar::GetTrackLength()
{
    const double track = m_vertical ? GetHeight() : GetWidth();
    return static_cast<int>(track + ArrowLength(m_firstArrow) + ArrowLength(m_secondArrow));
}

int ScrollBar::GetThumbLength()
{
    if (!m_thumb)
        return 0;
    return static_cast<int>(m_vertical ? m_thumb->GetHeight() : m_thumb->GetWidth());
}

void ScrollBar::SetWheelStep(double step)
{
    if (step > 0)
        m_step = step;
}

void ScrollBar::SetMinThumbLength(double length)
{
    m_minThumb = length;
}

void ScrollBar::SetRange(double position, double visible, double content, double step)
{
    m_position = position;
    m_visible = visible;
    m_content = content;
    if (content == 0 || !m_thumb || !m_track)
        return;
    SetWheelStep(step);

    const bool v = m_vertical != 0;
    const double length = v ? GetHeight() : GetWidth();
    double thumb = length * visible / content;
    if (thumb < m_minThumb)
        thumb = m_minThumb;
    // A thumb longer than its track would be drawn past the bar's ends.
    if (thumb > length)
        thumb = length;
    const int across = static_cast<int>(v ? m_thumb->GetWidth() : m_thumb->GetHeight());
    const int along = static_cast<int>(thumb);
    if (v) {
        m_thumb->ResizeBuffer(across, along);
        m_thumb->ScaleTo(across, along);
    } else {
        m_thumb->ResizeBuffer(along, across);
        m_thumb->ScaleTo(along, across);
    }
    Redraw();

    const double start = v ? GetTop() : GetLeft();
    const double end = v ? GetBottom() : GetRight();
    // With nothing to scroll (content not longer than the view) the thumb
    // sits at the start instead of dividing by a zero or negative range.
    const double range = content - visible;
    const double fraction = range > 0 ? position / range : 0.0;
    double centre = (length - thumb) * fraction + start + thumb / 2;
    if (start + 1 > centre - thumb / 2)
        centre = start + 1 + thumb / 2;
    if (end < centre + thumb / 2)
        centre = end - thumb / 2;

    const double middle = v ? GetX() : GetY();
    if (v)
        m_thumb->MoveTo(middle, centre);
    else
        m_thumb->MoveTo(centre, middle);
    m_thumb->Invalidate();

    if (m_firstArrow) {
        const double half = ArrowLength(m_firstArrow) / 2;
        if (v)
            m_firstArrow->MoveTo(middle, start - half);
        else
            m_firstArrow->MoveTo(start - half, middle);
        m_firstArrow->Invalidate();
    }
    if (m_secondArrow) {
        const double half = ArrowLength(m_secondArrow) / 2;
        if (v)
            m_secondArrow->MoveTo(middle, end + half);
        else
            m_secondArrow->MoveTo(end + half, middle);
        m_secondArrow->Invalidate();
    }
}

void ScrollBar::NotifyOwner()
{
    double values[3] = { m_position, m_visible, m_content };
    SendEvent(EngineEvent(m_owner, EVT_SCROLL, ToWord(values), 0));
}

void ScrollBar::Redraw()
{
    if (!m_track || !m_thumb)
        return;
    m_track->Clear();
    if (!m_trackPicture.record)
        m_track->DrawBorder(0, 1);
    else if (m_vertical)
        m_track->DrawVerticalStretch(m_trackPicture);
    else
        m_track->DrawHorizontalStretch(m_trackPicture);
    m_track->Invalidate();

    m_thumb->Clear();
    if (!m_thumbPicture.record)
        m_thumb->DrawBorder(0, 1);
    else if (m_vertical)
        m_thumb->DrawVerticalStretch(m_thumbPicture);
    else
        m_thumb->DrawHorizontalStretch(m_thumbPicture);
    m_thumb->Invalidate();
}

void ScrollBar::ScaleTo(double width, double height)
{
    if (!m_track) {
        BoundObject::ScaleTo(width, height);
        return;
    }
    const bool v = m_vertical != 0;
    const double whole = v ? height : width;
    const int length = static_cast<int>(whole - ArrowLength(m_firstArrow) - ArrowLength(m_secondArrow));
    if (length <= 0)
        return;
    const int across = static_cast<int>(v ? width : height);
    const int w = v ? across : length;
    const int h = v ? length : across;
    m_track->ResizeBuffer(w, h);
    m_track->ScaleTo(w, h);
    m_track->Invalidate();
    SetRange(m_position, m_visible, m_content, -1.0);
}

void ScrollBar::SetThumbState(int state)
{
    m_thumbPicture.frame = state;
    Redraw();
}

void ScrollBar::OnThumbDrag(const InputState& input)
{
    const bool v = m_vertical != 0;
    const double mouse = v ? input.y : input.x;
    const double start = v ? m_track->GetTop() : m_track->GetLeft();
    const double end = v ? m_track->GetBottom() : m_track->GetRight();
    if (mouse < start || mouse > end)
        return;
    const double range = m_content - m_visible;
    const double free = v ? m_track->GetHeight() - m_thumb->GetHeight() : m_track->GetWidth() - m_thumb->GetWidth();
    // A thumb that fills its track (or content that fits the view) leaves
    // nothing to drag through: the view belongs at the start, and only a
    // move back there is a change to report.
    if (!(free > 0) || !(range > 0)) {
        if (m_position != 0.0) {
            SetRange(0.0, m_visible, m_content, -1.0);
            NotifyOwner();
        }
        return;
    }
    const double thumbStart = v ? m_thumb->GetTop() : m_thumb->GetLeft();
    const double step = v ? input.dy : input.dx;
    const double p = std::clamp((thumbStart + step - start) * range / free, 0.0, range);
    SetRange(p, m_visible, m_content, -1.0);
    NotifyOwner();
}

void ScrollBar::OnTrackPress(const InputState& input)
{
    const bool v = m_vertical != 0;
    const double length = v ? m_track->GetHeight() : m_track->GetWidth();
    if (!(length > 0))
        return;
    const double mouse = v ? input.y : input.x;
    const double start = v ? m_track->GetTop() : m_track->GetLeft();
    // Truncated toward zero as doubles: huge content must not overflow an int.
    double p = std::trunc((mouse - start) * m_content / length);
    const double last = std::trunc(m_content - m_visible);
    if (p > last)
        p = last;
    // Content that fits the view has no later position than the start.
    if (p < 0)
        p = 0;
    SetRange(p, m_visible, m_content, -1.0);
    NotifyOwner();
}

int ScrollBar::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case kThumbEnter:
    case kThumbClick:
        SetThumbState(kThumbHover);
        return 1;
    case kThumbLeave:
        SetThumbState(kThumbNormal);
        return 1;
    case kThumbPress:
        SetThumbState(kThumbPressed);
        return 1;
    case kThumbDrag:
        if (const InputState* input = FromWord<const InputState>(event.data); input && m_thumb)
            OnThumbDrag(*input);
        return 1;
    case kTrackPress:
        if (const InputState* input = FromWord<const InputState>(event.data); input && m_track)
            OnTrackPress(*input);
        return 1;
    default:
        return EngineObject::OnEvent(event);
    }
}

void ScrollBar::MakeArrow(const PictureDesc& picture, bool first, int code)
{
    if (!m_track)
        return;
    auto* button = static_cast<ImageButton*>(RegisterObject(std::make_unique<ImageButton>()));
    if (!button)
        return;
    const EngineEvent click(m_owner, code);
    button->Create(picture, &click, 0, ObjectFlags::kPixelHitTest);
    (first ? m_firstArrow : m_secondArrow) = button;
    button->SetZ(m_track->GetZ() + 0.1);
    m_track->AddChild(button, kLinkFollowTrack);
    SetRange(m_position, m_visible, m_content, -1.0);
}

void ScrollBar::CreateUpButton(PictureDesc picture)
{
    if (m_vertical)
        MakeArrow(picture, true, EVT_SCROLL_UP);
}

void ScrollBar::CreateDownButton(PictureDesc picture)
{
    if (m_vertical)
        MakeArrow(picture, false, EVT_SCROLL_DOWN);
}

void ScrollBar::CreateLeftButton(PictureDesc picture)
{
    if (!m_vertical)
        MakeArrow(picture, true, EVT_SCROLL_LEFT);
}

void ScrollBar::CreateRightButton(PictureDesc picture)
{
    if (!m_vertical)
        MakeArrow(picture, false, EVT_SCROLL_RIGHT);
}

} // namespace engine
