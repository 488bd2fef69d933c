#pragma once
// The web page inside the frame (the advertisement bar shows one): an
// engine control whose canvas shows a platform::HtmlView.
//
// Before every navigation (an address opened here, a link clicked on the
// page or by its text, a redirect the server answers with) the address is
// wrapped in a WebUrlCommand for this control; one that is a command is
// carried out and goes no further ("qheold:" and "qhenew:" addresses come
// back to the client's main window in WM_WEB_URLCOMMAND and are opened
// there, once the navigation has been refused). Any other address passes the
// navigation filter: with the filter on, only hosts on the allow-list are
// opened. A navigation that fails shows the view's error page.
//
// Pages are fetched and laid out off the user-interface thread; while one
// is under way the control looks for it every kPumpIntervalMs on the
// engine's clock and redraws when it has arrived. Pages run no scripts.
//
// User-interface thread.

#include "frame/ui/NavigationFilter.h"
#include "frame/core/UrlCommands.h"

#include "engine/objects/BoundObject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace engine {
class CanvasObject;
}
namespace platform {
class HtmlView;
}

namespace frame {

class WebPageCtrl : public engine::BoundObject, public CFixHtmlView, public WebUrlOwner {
public:
    // The control's own event: look for finished work of the page.
    static constexpr int EVT_WEBPAGE_PUMP = 80000001;
    static constexpr uint32_t kPumpIntervalMs = 50;
    static constexpr int kWheelStep = 40;

    WebPageCtrl();
    ~WebPageCtrl() override;

    // Makes the canvas of the size where the control stands, and its view.
    void Create(int width, int height);
    void Resize(int width, int height);

    // Opens the address after the before-navigate checks. The flags and
    // the target frame mean nothing to a view of one frame and are not
    // used; postData, when given, is posted (postLength bytes, or up to
    // its NUL when 0). False when the address was cancelled (a command, a
    // refused host) or there is no view yet.
    bool Navigate(const std::string& url, uint32_t flags = 0, const std::string& targetFrame = std::string(),
        const std::string& headers = std::string(), const char* postData = nullptr, size_t postLength = 0);

    // Clicks every link whose text equals the text (letter case counts);
    // the number clicked.
    int ClickLinkByText(const std::string& text);

    // Before a navigation: true lets it go on.
    virtual bool OnBeforeNavigate2(const std::string& url);
    // A navigation that failed (status 0 when no HTTP answer came). cancel
    // is left 0: the view shows its own error page.
    virtual void OnNavigateError(const std::string& url, const std::string& frame, int status, bool& cancel);

    // Takes over what the page's loading has finished and redraws.
    void Update();

    platform::HtmlView* View() { return m_view.get(); }
    engine::CanvasObject* Canvas() { return m_canvas; }

    int OnEvent(const engine::EngineEvent& event) override;

    // The client's main window (0 without one) takes the commands.
    platform::WindowHandle GetUrlCommandWindow() const override;
    void NavigateInPlace(const std::string& url) override { Navigate(url); }

private:
    void Redraw();
    void KeepPumping();
    void OnMouseMove(int x, int y);
    void OnClick(int x, int y);

    std::unique_ptr<platform::HtmlView> m_view;
    engine::CanvasObject* m_canvas = nullptr; // owned by the object module
    uint64_t m_pumpAction = 0;
    bool m_overLink = false;
};

} // namespace frame
