#pragma once
// A web page inside the program: HTML and CSS laid out and drawn into a
// 32-bit buffer that the caller owns, with the program's own fonts; its
// links can be clicked, by position or by their text.
//
// Pages are fetched over HTTP (libcurl), decoded (UTF-8 or GBK pages) and
// laid out on a loading thread of the view's own, so that neither a slow
// server nor a large page holds up the user-interface thread; the finished
// page is taken over by Pump on the user-interface thread. Every navigation
// (Navigate, a link clicked, a redirect the server answers with) is first
// put to the before-navigate hook, which may refuse it. Pictures and
// stylesheets that a page names are fetched with it; they are parts of the
// page, not navigations.
//
// No scripts run: "javascript:" addresses are accepted and do nothing.
// "about:blank" shows an empty page. Any other address that is not http or
// https, an unreachable host and an HTTP error status are navigation
// errors: the error hook is told, and unless it cancels, the view shows
// its own error page.
//
// Addresses and texts are GBK. Every operation belongs to the
// user-interface thread except the wake callback, which the loading thread
// calls.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace html {
class Page;
}

class HtmlView {
public:
    // Before a navigation: true lets it go on, false cancels it.
    using BeforeNavigate = std::function<bool(const std::string& url)>;
    // A failed navigation (status 0 when no HTTP answer came, or the
    // address cannot be fetched): true cancels the view's error page.
    using NavigateError = std::function<bool(const std::string& url, int status)>;
    // Called on the loading thread whenever finished work waits for Pump.
    using Wake = std::function<void()>;

    struct Link {
        std::string text; // the link's text, white space collapsed and trimmed
        std::string url;  // the resolved address
    };

    static constexpr int kMaxRedirects = 10;
    static constexpr size_t kMaxPageBytes = 8 * 1024 * 1024;
    static constexpr size_t kMaxResourceBytes = 4 * 1024 * 1024;
    static constexpr int kTimeoutSec = 30;

    HtmlView(int width, int height);
    ~HtmlView(); // stops the loading thread (a transfer under way is cut off)
    HtmlView(const HtmlView&) = delete;
    HtmlView& operator=(const HtmlView&) = delete;

    void SetBeforeNavigate(BeforeNavigate hook) { m_beforeNavigate = std::move(hook); }
    void SetNavigateError(NavigateError hook) { m_navigateError = std::move(hook); }
    void SetWake(Wake wake);
    // The font of text without a font of its own: a GBK face name (empty:
    // the program's default face) and a size in pixels.
    void SetDefaultFont(const std::string& face, int size);

    // Opens the address after the before-navigate hook has let it go.
    // headers: "Name: value" lines separated by CR LF; postData, when not
    // empty, is sent as a POST. False when the hook cancelled.
    bool Navigate(const std::string& url, const std::string& headers = std::string(),
        const std::string& postData = std::string());
    // Shows the page's bytes as if fetched from the address; no hook is
    // asked (nothing is navigated to).
    void ShowHtml(const std::string& bytes, const std::string& url);
    // The page that a failed navigation shows.
    static std::string ErrorPage(const std::string& url, int status);

    // Takes over what the loading thread has finished (pages, redirects,
    // errors); true when what Draw shows has changed.
    bool Pump();
    // A navigation or layout is under way.
    bool IsBusy() const { return m_busy; }

    // The address of the page shown or being loaded, and the shown page's
    // title.
    const std::string& Url() const { return m_url; }
    std::string Title() const;

    void Resize(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int ContentHeight() const;
    void ScrollTo(int top);
    void ScrollBy(int delta) { ScrollTo(m_scrollTop + delta); }
    int ScrollTop() const { return m_scrollTop; }

    // Draws the visible part of the page (white without a page) into the
    // buffer: bytes blue, green, red, alpha (every pixel written opaque);
    // stride in bytes.
    void Draw(uint8_t* pixels, int width, int height, int stride);

    // The address of the link at the point of the view, or empty.
    std::string LinkAt(int x, int y) const;
    // Follows the link at the point; false when there is none.
    bool Click(int x, int y);
    // Every link (an <a> with an href) in document order.
    std::vector<Link> Links() const;
    // Clicks every link whose text equals the text exactly (letter case
    // counts), in document order; the number clicked.
    int ClickLinkByText(const std::string& text);

private:
    struct Job;
    struct Result;
    struct Loader;

    bool Go(const std::string& url, const std::string& headers, const std::string& postData, int redirects);
    void Follow(const std::string& target, int redirects);
    void Fail(const std::string& url, int status);
    void Submit(Job job);
    void RequestLayout();

    BeforeNavigate m_beforeNavigate;
    NavigateError m_navigateError;
    std::string m_url;
    std::string m_defaultFace;
    int m_defaultSize = 12;
    int m_width = 0;
    int m_height = 0;
    int m_scrollTop = 0;
    bool m_busy = false;
    uint64_t m_generation = 0;
    std::unique_ptr<html::Page> m_page;
    std::unique_ptr<Loader> m_loader; // last: stopped before the rest goes
};

} // namespace platform
