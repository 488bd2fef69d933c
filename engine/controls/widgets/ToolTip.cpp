#include "engine/controls/widgets/ToolTip.h"

#include "engine/objects/CanvasObject.h"
#include "engine/modules/InputModule.h"

#include <algorithm>
#include <cstdint>

namespace engine {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kInitialSize = 10;
constexpr int kFontSize = 12;

} // namespace

int ToolTip::OnCreate()
{
    m_canvas = CreateCanvas(kInitialSize, kInitialSize, kWhite);
    if (!m_canvas)
        return 0;
    m_canvas->SetTopmost();
    m_canvas->SetFont(kFontSize, 400, "宋体");
    m_canvas->SetPen(0, 1.0);
    m_canvas->Invalidate();
    Bind(m_canvas, LINK_STANDARD);
    return 0;
}

int ToolTip::SetWrappedText(std::string_view text, int maxWidth)
{
    if (!m_canvas)
        return 0;
    // Unsigned, so a negative maximum never wins.
    const uint64_t estimate = static_cast<uint64_t>(text.size()) * static_cast<uint32_t>(m_canvas->Style().size) / 2;
    const uint64_t width64 = std::min<uint64_t>(static_cast<uint32_t>(maxWidth), estimate);
    const int width = static_cast<int>(std::min<uint64_t>(width64, 0xffff));
    // Measured without the margins of an earlier text: the width is the
    // text's own, the margins come on top of it.
    m_canvas->SetTextMargins(0, 0);
    const int height = m_canvas->MeasureText(text, width);
    const int w = width + 2 * kToolTipMargin;
    const int h = height + 2 * kToolTipMargin;
    m_canvas->ResizeBuffer(w, h);
    m_canvas->ScaleTo(w, h);
    m_canvas->SetTextMargins(kToolTipMargin, kToolTipMargin);
    return kToolTipMargin;
}

void ToolTip::ClearBackground()
{
    if (!m_canvas)
        return;
    m_canvas->SetBackground(kWhite);
    m_canvas->Clear();
    m_canvas->DrawBorder(kToolTipBorder, 1);
}

void ToolTip::SetText(std::string_view text, int maxWidth)
{
    if (!m_canvas)
        return;
    const int margin = SetWrappedText(text, maxWidth);
    ClearBackground();
    m_canvas->DrawText(margin, margin, text);
    m_canvas->Invalidate();
}

void ToolTip::Attach(EngineObject* target, std::string_view text, int maxWidth)
{
    if (!target)
        return;
    SetText(text, maxWidth);
    // The target is named by id: the event is delivered on a later frame,
    // when the target may be gone.
    target->Subscribe(EVT_MOUSE_ENTER, EngineEvent(GetId(), EVT_SHOW, static_cast<MessageWord>(target->GetId())));
    target->Subscribe(EVT_MOUSE_LEAVE, EngineEvent(GetId(), EVT_HIDE));
}

void ToolTip::FadeIn(double step, bool hideAfter)
{
    CancelActionsOf(GetId());
    if (!IsShown()) {
        SetOpacity(0.0);
        Show();
    }
    BeginActionGroup();
    FadeOpacity(this, step, 1.0, 0, nullptr);
    if (hideAfter) {
        NextActionGroup();
        ShowLater(this, false, nullptr);
    }
    EndActionGroup();
}

void ToolTip::Hide()
{
    CancelActionsOf(GetId());
    BoundObject::Hide();
    Invalidate();
}

void ToolTip::PlaceNear(EngineObject* target)
{
    if (!target)
        return;
    const double w = GetWidth();
    const double h = GetHeight();
    double x = static_cast<int>(target->GetX() + w / 2);
    double y = static_cast<int>(target->GetTop() - h / 2);
    const int screenWidth = GetScreenWidth();
    if (screenWidth < x + w / 2)
        x = screenWidth - w / 2;
    if (x - w / 2 < 0)
        x = w / 2;
    if (y - h / 2 < 0)
        y = h / 2;
    BringToFront();
    MoveTo(x, y);
    Invalidate();
}

int ToolTip::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_SHOW:
        // A target removed before the event arrived has nothing to explain.
        if (EngineObject* target = FindObjectById(static_cast<int>(event.param))) {
            PlaceNear(target);
            FadeIn(kToolTipFadeStep, false);
        }
        return 1;
    case EVT_HIDE:
        Hide();
        return 1;
    default:
        return EngineObject::OnEvent(event);
    }
}

} // namespace engine
