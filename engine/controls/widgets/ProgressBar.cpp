#include "engine/controls/widgets/ProgressBar.h"

#include "engine/core/InputState.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"

#include <cmath>

namespace engine {

namespace {

constexpr int kFontProperty = 5;
constexpr int kTextWeight = 400;
constexpr const char* kTextFace = "宋体";

double Clamp01(double value)
{
    if (!(value >= 0.0)) // also NaN
        return 0.0;
    return value > 1.0 ? 1.0 : value;
}

} // namespace

void ProgressBar::Create(PictureDesc track, PictureDesc fill, double progress)
{
    m_track = CreateSprite(track);
    if (!m_track)
        return;
    Bind(m_track, LINK_STANDARD);
    m_fillPicture = fill;
    m_fill = CreateCanvas(fill.width, fill.height, kNoColourKey);
    if (!m_fill)
        return;
    m_fill->MoveTo(m_track->GetX(), m_track->GetY());
    m_fill->SetZ(m_track->GetZAbove());
    m_track->AddChild(m_fill, LINK_STANDARD);
    SetProgress(progress);
}

void ProgressBar::SetThumb(const PictureDesc& thumb, int owner)
{
    if (!m_track || !m_fill)
        return;
    if (!m_thumb)
        m_thumb = CreateSprite(thumb);
    else
        m_thumb->SetPicture(thumb, true);
    if (!m_thumb)
        return;
    m_thumb->SetZ(m_fill->GetZ() + 0.01);
    if (IsShown()) {
        m_thumb->Show();
        LoopThumb();
    }
    m_thumb->Invalidate();
    m_track->AddChild(m_thumb, LINK_STANDARD);
    m_owner = owner;
    Redraw();
}

void ProgressBar::SetProgress(double fraction)
{
    if (m_dragging)
        return;
    if (fraction > 1.0)
        fraction = 1.0;
    m_progress = fraction;
    Redraw();
    m_endEvent = EngineEvent {};
}

void ProgressBar::AnimateTo(double target, double step, uint32_t interval, const EngineEvent* endEvent)
{
    m_endEvent = endEvent ? *endEvent : EngineEvent {};
    step = std::fabs(step);
    if (!(step > 0.0)) // also NaN
        step = 0.01;
    m_step = step;
    // The progress is always shown clamped to 0..1, so a target outside it
    // would never be reached and the animation would tick forever.
    m_target = Clamp01(target);
    m_interval = interval;
    m_token += 100;
    const EngineEvent tick(GetId(), kAnimationTick, static_cast<MessageWord>(m_token & 0xffffffffu), 0);
    WaitTime(m_interval, &tick);
}

void ProgressBar::Redraw()
{
    m_progress = Clamp01(m_progress);
    if (!m_fill)
        return;
    m_fill->Clear();
    const int w = static_cast<int>(m_fillPicture.width * m_progress);
    if (w > 0) {
        PictureDesc left = m_fillPicture;
        left.width = w;
        m_fill->BlitPicture(left, 0, 0, w, m_fill->GetBufferHeight(), 0.0, 1.0);
    }
    m_fill->Invalidate();
    if (m_thumb) {
        m_thumb->MoveTo(FillLeft() + w, m_fill->GetY());
        m_thumb->Invalidate();
    }
}

CanvasObject* ProgressBar::GetTextCanvas()
{
    if (!m_text)
        CreateTextCanvas();
    return m_text;
}

void ProgressBar::DrawText(std::string_view text, uint32_t colour, int size)
{
    CanvasObject* canvas = GetTextCanvas();
    if (!canvas)
        return;
    const TextStyle style = canvas->Style();
    if (size != 0)
        canvas->SetFont(size, style.weight, style.face);
    canvas->SetPen(colour, 1.0);
    canvas->Clear();
    canvas->DrawTextCentred(canvas->GetBufferWidth() / 2, canvas->GetBufferHeight() / 2, text);
    canvas->SetFont(style.size, style.weight, style.face);
    canvas->Invalidate();
}

void ProgressBar::SetDraggable(bool on)
{
    if (!m_thumb)
        return;
    const int id = GetId();
    if (on) {
        m_thumb->SubscribeEvent(EVT_DRAG, id, kDragStep, 0, 0);
        m_thumb->SubscribeEvent(EVT_CLICK, id, kDragEnd, 0, 0);
        m_thumb->SubscribeEvent(EVT_LBUTTON_UP, id, kReleaseOutside, 0, 0);
        m_fill->SubscribeEvent(EVT_LBUTTON_DOWN, id, kPress, 0, 0);
        m_track->SubscribeEvent(EVT_LBUTTON_DOWN, id, kPress, 0, 0);
    } else {
        m_thumb->Unsubscribe(EVT_DRAG);
        m_thumb->Unsubscribe(EVT_CLICK);
        m_thumb->Unsubscribe(EVT_LBUTTON_UP);
        m_fill->Unsubscribe(EVT_LBUTTON_DOWN);
        m_track->Unsubscribe(EVT_LBUTTON_DOWN);
        // The release that would end a drag can no longer arrive; left set,
        // the bar would ignore SetProgress for good.
        m_dragging = false;
    }
}

void ProgressBar::CreateTextCanvas()
{
    if (m_text || !m_fill)
        return;
    m_text = CreateCanvas(m_fill->GetBufferWidth(), m_fill->GetBufferHeight(), kNoColourKey);
    if (!m_text)
        return;
    m_text->ScaleTo(m_fill->GetWidth(), m_fill->GetHeight());
    m_text->SetZ(m_fill->GetZAbove());
    m_text->MoveTo(GetX(), GetY());
    const int limit = m_text->GetBufferHeight() * 2 / 3;
    int size = GetIntProperty(kFontProperty);
    if (size <= 0 || size > limit) // also when the property is not set
        size = limit;
    m_text->SetFont(size, kTextWeight, kTextFace);
    if (m_fill->IsShown())
        m_text->Show();
    m_fill->AddChild(m_text, LINK_STANDARD);
}

void ProgressBar::Show()
{
    BoundObject::Show();
    LoopThumb();
}

void ProgressBar::Hide()
{
    BoundObject::Hide();
    if (m_thumb)
        CancelActionsOf(m_thumb->GetId());
}

int ProgressBar::OnEvent(const EngineEvent& event)
{
    const auto* input = FromWord<const InputState>(event.data);
    switch (event.code) {
    case kDragStep:
        if (!m_thumb || !input)
            break;
        m_dragging = true;
        if (double x = m_thumb->GetX() + input->dx; SetFromX(x)) {
            double scroll[3] = { x - FillLeft(), 0.0, FillWidth() };
            SendEvent(EngineEvent(m_owner, kScrollEvent, ToWord(scroll), 0));
        }
        break;
    case kAnimationTick:
        OnTick(event.param);
        break;
    case kDragEnd:
        m_dragging = false;
        SendProgressChanged();
        break;
    case kReleaseOutside:
        // A drag that ran past an end of the bar leaves the mouse off the
        // clamped thumb, so its release is no click: end the drag here, or
        // the bar would ignore SetProgress from then on.
        if (m_dragging && m_thumb && input && !m_thumb->HitTest(input->x, input->y)) {
            m_dragging = false;
            SendProgressChanged();
        }
        break;
    case kPress:
        if (double x = input ? input->x : 0.0; input && SetFromX(x))
            SendProgressChanged();
        break;
    default:
        EngineObject::OnEvent(event);
        break;
    }
    return 1;
}

void ProgressBar::OnTick(MessageWord param)
{
    if (param != (m_token & 0xffffffffu) || (m_token >> 32) != 0)
        return;
    if (std::fabs(m_progress - m_target) >= m_step) {
        m_progress += m_progress >= m_target ? -m_step : m_step;
        Redraw();
        ++m_token;
        const EngineEvent tick(GetId(), kAnimationTick, static_cast<MessageWord>(m_token & 0xffffffffu), 0);
        WaitTime(m_interval, &tick);
        return;
    }
    m_progress = m_target;
    Redraw();
    // Cleared before it is sent, so that an owner that starts the next
    // animation from the end event keeps that animation's end event.
    const EngineEvent end = m_endEvent;
    m_endEvent = EngineEvent {};
    if (end.code != 0)
        SendEvent(end);
}

double ProgressBar::FillLeft() const
{
    return m_fill ? m_fill->GetLeft() : 0.0;
}

double ProgressBar::FillWidth() const
{
    return m_fill ? m_fill->GetWidth() : 0.0;
}

bool ProgressBar::SetFromX(double& x)
{
    const double width = FillWidth();
    // A fill without width has no point to map to (and would divide by 0).
    if (!(width > 0.0))
        return false;
    const double left = FillLeft();
    if (x < left)
        x = left;
    if (x > left + width)
        x = left + width;
    m_progress = (x - left) / width;
    Redraw();
    return true;
}

void ProgressBar::SendProgressChanged()
{
    double progress = m_progress;
    SendEvent(EngineEvent(m_owner, EVT_PROGRESS_CHANGED, ToWord(&progress), 0));
}

void ProgressBar::LoopThumb()
{
    if (!m_thumb)
        return;
    // A loop already running would otherwise run twice as fast.
    CancelActionsOf(m_thumb->GetId());
    PlayFrames(m_thumb, 0, -1, 0, 0, nullptr);
}

} // namespace engine
