#include "frame/ui/WebPageCtrl.h"

#include "engine/controls/widgets/ControlCursor.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "platform/HtmlView.h"

#include <cstring>

namespace frame {

namespace {

constexpr uint32_t kPageBackground = 0xFFFFFF;

} // namespace

WebPageCtrl::WebPageCtrl() = default;

// Removing the object cancels its pump action.
WebPageCtrl::~WebPageCtrl() = default;

void WebPageCtrl::Create(int width, int height)
{
    m_canvas = CreateCanvas(width, height, kPageBackground);
    if (!m_canvas)
        return;
    m_canvas->MoveTo(GetX(), GetY());
    m_canvas->SetInputEnabled(true);
    Bind(m_canvas, engine::LINK_STANDARD);
    // The page's own mouse: the pointer over links and the clicks on them.
    m_canvas->SubscribeEvent(engine::EVT_MOUSE_MOVE, GetId(), engine::EVT_MOUSE_MOVE, 0, 0);
    m_canvas->SubscribeEvent(engine::EVT_LBUTTON_UP, GetId(), engine::EVT_LBUTTON_UP, 0, 0);
    SubscribeSelf(engine::EVT_WHEEL_UP);
    SubscribeSelf(engine::EVT_WHEEL_DOWN);

    m_view = std::make_unique<platform::HtmlView>(width, height);
    m_view->SetBeforeNavigate([this](const std::string& url) { return OnBeforeNavigate2(url); });
    m_view->SetNavigateError([this](const std::string& url, int status) {
        bool cancel = false;
        OnNavigateError(url, std::string(), status, cancel);
        return cancel;
    });
    Redraw();
}

void WebPageCtrl::Resize(int width, int height)
{
    if (!m_canvas || !m_view || width < 1 || height < 1)
        return;
    m_canvas->ResizeBuffer(width, height);
    m_canvas->ScaleTo(width, height);
    m_view->Resize(width, height);
    KeepPumping();
    Redraw();
}

bool WebPageCtrl::Navigate(const std::string& url, uint32_t, const std::string&, const std::string& headers,
    const char* postData, size_t postLength)
{
    if (!m_view)
        return false;
    const std::string post
        = postData ? std::string(postData, postLength ? postLength : std::strlen(postData)) : std::string();
    const bool going = m_view->Navigate(url, headers, post);
    KeepPumping();
    return going;
}

bool WebPageCtrl::OnBeforeNavigate2(const std::string& url)
{
    // The pages' own commands first; what they do not take meets the
    // filter.
    CGameFrameApp* app = CGameFrameApp::Current();
    WebSession session = app ? app->GetWebSession() : WebSession {};
    if (!app)
        session.standAlone = true; // no lobby to sign with
    if (HandleUrlCommand(std::make_unique<WebUrlCommand>(this, url, std::move(session))) != 0)
        return false;
    return Permits(url);
}

platform::WindowHandle WebPageCtrl::GetUrlCommandWindow() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetMainWindowHandle() : 0;
}

void WebPageCtrl::OnNavigateError(const std::string&, const std::string&, int, bool& cancel)
{
    cancel = false;
}

int WebPageCtrl::ClickLinkByText(const std::string& text)
{
    if (!m_view)
        return 0;
    const int clicked = m_view->ClickLinkByText(text);
    KeepPumping();
    return clicked;
}

void WebPageCtrl::Update()
{
    if (!m_view)
        return;
    if (m_view->Pump())
        Redraw();
    if (!m_view->IsBusy() && m_pumpAction) {
        CancelAction(m_pumpAction);
        m_pumpAction = 0;
    }
}

void WebPageCtrl::KeepPumping()
{
    if (m_view && m_view->IsBusy() && !m_pumpAction) {
        const engine::EngineEvent pump(GetId(), EVT_WEBPAGE_PUMP);
        m_pumpAction = RepeatEvent(kPumpIntervalMs, 0, &pump);
    }
}

void WebPageCtrl::Redraw()
{
    if (!m_canvas || !m_view)
        return;
    uint8_t* pixels = m_canvas->GetPixels();
    const int width = m_canvas->GetBufferWidth();
    m_view->Draw(pixels, width, m_canvas->GetBufferHeight(), width * 4);
    m_canvas->GetPicture()->MarkChanged();
    m_canvas->Invalidate();
}

void WebPageCtrl::OnMouseMove(int x, int y)
{
    const bool overLink = !m_view->LinkAt(x, y).empty();
    if (overLink == m_overLink)
        return;
    m_overLink = overLink;
    if (overLink)
        engine::ShowControlHandCursor(*this);
    else
        engine::ShowControlArrowCursor(*this);
}

void WebPageCtrl::OnClick(int x, int y)
{
    m_view->Click(x, y);
    KeepPumping();
}

int WebPageCtrl::OnEvent(const engine::EngineEvent& event)
{
    if (!m_view || !m_canvas)
        return BoundObject::OnEvent(event);
    switch (event.code) {
    case EVT_WEBPAGE_PUMP:
        Update();
        return 1;
    case engine::EVT_MOUSE_MOVE:
    case engine::EVT_LBUTTON_UP: {
        const auto* input = event.DataAs<const engine::InputState>();
        if (!input)
            return 1;
        // View coordinates to the page's.
        const int x = input->x - static_cast<int>(m_canvas->GetLeft());
        const int y = input->y - static_cast<int>(m_canvas->GetTop());
        if (event.code == engine::EVT_MOUSE_MOVE)
            OnMouseMove(x, y);
        else
            OnClick(x, y);
        return 1;
    }
    case engine::EVT_WHEEL_UP:
    case engine::EVT_WHEEL_DOWN:
        m_view->ScrollBy(event.code == engine::EVT_WHEEL_UP ? -kWheelStep : kWheelStep);
        Redraw();
        return 1;
    default:
        return BoundObject::OnEvent(event);
    }
}

} // namespace frame
