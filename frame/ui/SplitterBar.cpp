#include "frame/ui/SplitterBar.h"

#include "engine/core/EngineEvent.h"
#include "engine/core/EventCodes.h"
#include "engine/objects/CanvasObject.h"

namespace frame {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr const char* kBackPicture = "左右分隔条_bg";
// The arrow while the side pane is shown, and while it is collapsed; frame
// 0 normal, frame 1 hovered.
constexpr const char* kArrowShown = "箭头右";
constexpr const char* kArrowCollapsed = "箭头左";
constexpr int kDefaultArrowWidth = 6;
constexpr int kDefaultArrowHeight = 85;
constexpr int kBackgroundHeight = 10;
constexpr double kArrowAbove = 0.001;

} // namespace

int SplitterBar::OnCreate()
{
    SetName("SplitterBar");
    engine::PictureDesc desc;
    LookupPicture(&desc, kArrowShown, 0);
    const int w = desc.record && desc.width >= 1 ? desc.width : kDefaultArrowWidth;
    const int h = desc.record && desc.height >= 1 ? desc.height : kDefaultArrowHeight;

    m_background = CreateCanvas(w, kBackgroundHeight, kKey);
    if (m_background) {
        Bind(m_background, engine::LINK_STANDARD);
        m_background->Show();
    }
    // The arrow is not a child: it keeps its own size while the bar
    // stretches.
    m_arrow = CreateCanvas(w, h, kKey);
    if (m_arrow) {
        m_arrow->SubscribeEvent(engine::EVT_LBUTTON_DOWN, GetId(), EVT_SPLITTER_PRESS, 0, 0);
        m_arrow->SubscribeEvent(engine::EVT_MOUSE_ENTER, GetId(), EVT_SPLITTER_ENTER, 0, 0);
        m_arrow->SubscribeEvent(engine::EVT_MOUSE_LEAVE, GetId(), EVT_SPLITTER_LEAVE, 0, 0);
        m_arrow->Show();
    }
    return 0;
}

void SplitterBar::Layout()
{
    const double x = GetX();
    const double y = GetY();
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());
    if (m_background) {
        m_background->ResizeBuffer(width, height);
        m_background->ScaleTo(width, height);
        m_background->MoveTo(x, y);
    }
    if (m_arrow) {
        m_arrow->SetZ(GetZ() + kArrowAbove);
        m_arrow->MoveTo(x, y);
    }
    Redraw();
}

void SplitterBar::DrawArrow(int frame)
{
    if (!m_arrow)
        return;
    engine::PictureDesc desc;
    LookupPicture(&desc, m_collapsed ? kArrowCollapsed : kArrowShown, frame);
    m_arrow->Clear();
    m_arrow->BlitPicture(desc, 0, 0, 0, 0, 0.0, 1.0);
    m_arrow->Invalidate();
}

void SplitterBar::Redraw()
{
    if (m_background) {
        engine::PictureDesc desc;
        LookupPicture(&desc, kBackPicture, 0);
        m_background->Clear();
        m_background->BlitPicture(desc, 0, 0, 0, 0, 0.0, 1.0);
        m_background->Invalidate();
    }
    DrawArrow(0);
}

int SplitterBar::SetCollapsed(int collapsed)
{
    m_collapsed = collapsed;
    return m_collapsed;
}

int SplitterBar::OnEvent(const engine::EngineEvent& event)
{
    switch (event.code) {
    case EVT_SPLITTER_ENTER:
        DrawArrow(1);
        PlaySound("SndTouchButton", 1, nullptr);
        return 1;
    case EVT_SPLITTER_LEAVE:
        DrawArrow(0);
        return 1;
    case EVT_SPLITTER_PRESS:
        PlaySound("SndHitButton", 1, nullptr);
        if (m_collapsed == 0) {
            m_collapsed = 1;
            if (m_host)
                m_host->SetSidePanelWidth(0);
        } else {
            m_collapsed = 0;
            if (m_host)
                m_host->SetSidePanelWidth(m_host->CalcSidePanelWidth());
        }
        if (m_host)
            m_host->OnRectChanged();
        DrawArrow(0);
        return 1;
    default:
        return BoundObject::OnEvent(event);
    }
}

} // namespace frame
