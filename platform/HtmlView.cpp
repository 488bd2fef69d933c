#include "platform/HtmlView.h"

#include "platform/Gbk.h"
#include "platform/HtmlPage.h"
#include "platform/HttpGet.h"
#include "platform/ImageDecoder.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <strings.h>
#include <thread>

namespace platform {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}

std::vector<std::string> HeaderLines(const std::string& headers)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < headers.size()) {
        size_t end = headers.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = headers.size();
        if (end > start)
            lines.push_back(headers.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// Fetches a body of at most limit bytes; false for anything but a whole 2xx
// answer.
bool FetchResource(const std::string& url, std::string& body, const std::function<bool()>& cancelled)
{
    HttpRequest request;
    request.url = Gbk::FromUtf8(url);
    request.timeoutSec = 10;
    request.cancelled = cancelled;
    HttpResponse response;
    body.clear();
    return HttpFetch(request,
        [&](const char* data, size_t size) {
            if (body.size() + size > HtmlView::kMaxResourceBytes)
                return false;
            body.append(data, size);
            return true;
        },
        response);
}

} // namespace

// One piece of work for the loading thread: fetch an address and lay the
// page out, or lay out a page whose bytes are already here.
struct HtmlView::Job {
    uint64_t generation = 0;
    bool fetch = false;
    std::string url; // GBK
    std::vector<std::string> headers;
    bool post = false;
    std::string postData;
    std::string html; // UTF-8, when not fetched
    html::ImageMap images;
    html::FontChoice fonts;
    int redirects = 0;
    bool keepScroll = false;
};

struct HtmlView::Result {
    enum Kind { kPage, kRedirect, kError } kind = kPage;
    uint64_t generation = 0;
    std::unique_ptr<html::Page> page;
    std::string url; // GBK: the redirect's target or the failed address
    int status = 0;
    int redirects = 0;
    bool keepScroll = false;
};

// The loading thread and what it shares with the user-interface thread:
// the newest job (an older one not yet started is dropped), the results,
// and the view size the layout is made for.
struct HtmlView::Loader {
    std::mutex lock;
    std::condition_variable ready;
    std::optional<Job> pending;
    std::vector<Result> results;
    Wake wake;
    std::atomic<bool> stop { false };
    std::atomic<uint64_t> latest { 0 };
    std::atomic<int> width { 0 };
    std::atomic<int> height { 0 };
    std::thread thread;

    ~Loader()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            stop = true;
        }
        ready.notify_all();
        if (thread.joinable())
            thread.join();
    }

    void Start()
    {
        if (!thread.joinable())
            thread = std::thread([this] {
                Run();
                ImageDecoder::ReleaseThreadState();
            });
    }

    void Run()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock<std::mutex> guard(lock);
                ready.wait(guard, [this] { return stop || pending; });
                if (stop)
                    return;
                job = std::move(*pending);
                pending.reset();
            }
            const auto cancelled = [this, generation = job.generation] {
                return stop.load() || latest.load() != generation;
            };
            Result result = Work(job, cancelled);
            if (cancelled())
                continue;
            Wake notify;
            {
                std::lock_guard<std::mutex> guard(lock);
                results.push_back(std::move(result));
                notify = wake;
            }
            if (notify)
                notify();
        }
    }

    Result Work(Job& job, const std::function<bool()>& cancelled)
    {
        Result result;
        result.generation = job.generation;
        result.url = job.url;
        result.redirects = job.redirects;
        result.keepScroll = job.keepScroll;
        std::string html = std::move(job.html);
        if (job.fetch) {
            std::string body;
            HttpResponse response;
            if (!Fetch(job, body, response, cancelled))
                return result;
            if (response.status >= 300 && response.status < 400 && !response.location.empty()) {
                result.kind = Result::kRedirect;
                result.url = response.location;
                return result;
            }
            if (!response.transferred || response.status < 200 || response.status >= 300) {
                result.kind = Result::kError;
                result.status = static_cast<int>(response.status);
                return result;
            }
            html = html::DecodeHtml(body, response.contentType);
        }
        const html::ResourceFetch resources = [&cancelled](const std::string& url, std::string& body) {
            return !cancelled() && FetchResource(url, body, cancelled);
        };
        auto page = std::make_unique<html::Page>(Gbk::ToUtf8(job.url), std::move(html), job.fonts, resources,
            std::move(job.images));
        page->LoadImages(resources, cancelled);
        page->Layout(width.load(), height.load());
        result.page = std::move(page);
        return result;
    }

    // The page's bytes; false when the transfer was cut off on purpose
    // (a newer navigation or the view going away).
    static bool Fetch(const Job& job, std::string& body, HttpResponse& response,
        const std::function<bool()>& cancelled)
    {
        HttpRequest request;
        request.url = job.url;
        request.headers = job.headers;
        request.post = job.post;
        request.postData = job.postData;
        request.timeoutSec = kTimeoutSec;
        request.cancelled = cancelled;
        bool full = false;
        HttpFetch(request,
            [&](const char* data, size_t size) {
                // A page larger than the limit is shown as far as it goes.
                if (body.size() + size > kMaxPageBytes) {
                    body.append(data, kMaxPageBytes - body.size());
                    full = true;
                    return false;
                }
                body.append(data, size);
                return true;
            },
            response);
        if (full) {
            response.transferred = true;
            response.cancelled = false;
        }
        return !cancelled() && !response.cancelled;
    }
};

HtmlView::HtmlView(int width, int height)
    : m_width(std::max(width, 1))
    , m_height(std::max(height, 1))
    , m_loader(std::make_unique<Loader>())
{
    m_loader->width = m_width;
    m_loader->height = m_height;
}

HtmlView::~HtmlView() = default;

void HtmlView::SetWake(Wake wake)
{
    std::lock_guard<std::mutex> guard(m_loader->lock);
    m_loader->wake = std::move(wake);
}

void HtmlView::SetDefaultFont(const std::string& face, int size)
{
    m_defaultFace = face;
    m_defaultSize = std::max(size, 1);
}

bool HtmlView::Navigate(const std::string& url, const std::string& headers, const std::string& postData)
{
    if (m_beforeNavigate && !m_beforeNavigate(url))
        return false;
    Go(url, headers, postData, 0);
    return true;
}

bool HtmlView::Go(const std::string& url, const std::string& headers, const std::string& postData, int redirects)
{
    // There are no scripts to run.
    if (StartsWithNoCase(url, "javascript:"))
        return true;
    if (strcasecmp(url.c_str(), "about:blank") == 0) {
        ShowHtml(std::string(), url);
        return true;
    }
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) {
        Fail(url, 0);
        return false;
    }
    Job job;
    job.fetch = true;
    job.url = url;
    job.headers = HeaderLines(headers);
    job.post = !postData.empty();
    job.postData = postData;
    job.redirects = redirects;
    m_url = url;
    Submit(std::move(job));
    return true;
}

void HtmlView::ShowHtml(const std::string& bytes, const std::string& url)
{
    Job job;
    job.url = url;
    job.html = html::DecodeHtml(bytes, std::string_view());
    m_url = url;
    Submit(std::move(job));
}

void HtmlView::RequestLayout()
{
    if (!m_page)
        return;
    Job job;
    job.url = Gbk::FromUtf8(m_page->Url());
    job.html = m_page->Html();
    job.images = m_page->Images();
    job.keepScroll = true;
    Submit(std::move(job));
}

void HtmlView::Submit(Job job)
{
    job.generation = ++m_generation;
    job.fonts.face = Gbk::ToUtf8(m_defaultFace);
    job.fonts.size = m_defaultSize;
    m_busy = true;
    {
        std::lock_guard<std::mutex> guard(m_loader->lock);
        m_loader->latest = job.generation;
        m_loader->pending = std::move(job);
        m_loader->Start();
    }
    m_loader->ready.notify_one();
}

bool HtmlView::Pump()
{
    std::vector<Result> results;
    {
        std::lock_guard<std::mutex> guard(m_loader->lock);
        results.swap(m_loader->results);
    }
    bool changed = false;
    for (Result& result : results) {
        if (result.generation != m_generation)
            continue; // overtaken by a newer navigation
        m_busy = false;
        switch (result.kind) {
        case Result::kPage:
            m_page = std::move(result.page);
            if (!result.keepScroll)
                m_scrollTop = 0;
            ScrollTo(m_scrollTop);
            changed = true;
            if (m_page->LayoutWidth() != m_width)
                RequestLayout();
            break;
        case Result::kRedirect:
            Follow(result.url, result.redirects + 1);
            break;
        case Result::kError:
            Fail(result.url, result.status);
            break;
        }
    }
    return changed;
}

void HtmlView::Follow(const std::string& target, int redirects)
{
    if (redirects > kMaxRedirects) {
        Fail(target, 0);
        return;
    }
    if (m_beforeNavigate && !m_beforeNavigate(target))
        return;
    Go(target, std::string(), std::string(), redirects);
}

void HtmlView::Fail(const std::string& url, int status)
{
    if (m_navigateError && m_navigateError(url, status))
        return;
    ShowHtml(ErrorPage(url, status), url);
}

std::string HtmlView::ErrorPage(const std::string& url, int status)
{
    // Written in UTF-8 whatever the compiler makes of ordinary literals.
    const auto text = [](const char8_t* utf8) { return std::string(reinterpret_cast<const char*>(utf8)); };
    std::string page = "<html><head><meta charset=\"utf-8\"><title>" + text(u8"无法显示该网页")
        + "</title></head><body style=\"background:#ffffff;color:#333333\"><h3>" + text(u8"无法显示该网页")
        + "</h3><p>" + EscapeHtml(Gbk::ToUtf8(url)) + "</p><p>";
    page += status > 0 ? "HTTP " + std::to_string(status) : text(u8"无法连接到该地址。");
    page += "</p></body></html>";
    return page;
}

std::string HtmlView::Title() const
{
    return m_page ? Gbk::FromUtf8(m_page->Title()) : std::string();
}

void HtmlView::Resize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    const bool relayout = width != m_width;
    m_width = width;
    m_height = height;
    m_loader->width = width;
    m_loader->height = height;
    ScrollTo(m_scrollTop);
    // A page still loading is laid out for the new width when it arrives.
    if (relayout && !m_busy)
        RequestLayout();
}

int HtmlView::ContentHeight() const
{
    return m_page ? m_page->ContentHeight() : 0;
}

void HtmlView::ScrollTo(int top)
{
    m_scrollTop = std::clamp(top, 0, std::max(0, ContentHeight() - m_height));
}

void HtmlView::Draw(uint8_t* pixels, int width, int height, int stride)
{
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4)
        return;
    for (int y = 0; y < height; ++y)
        std::memset(pixels + static_cast<size_t>(y) * stride, 0xFF, static_cast<size_t>(width) * 4);
    if (m_page)
        m_page->Draw(html::Surface { pixels, width, height, stride }, 0, m_scrollTop);
}

std::string HtmlView::LinkAt(int x, int y) const
{
    return m_page ? Gbk::FromUtf8(m_page->LinkAt(x, y, 0, m_scrollTop)) : std::string();
}

bool HtmlView::Click(int x, int y)
{
    const std::string url = LinkAt(x, y);
    if (url.empty())
        return false;
    Navigate(url);
    return true;
}

std::vector<HtmlView::Link> HtmlView::Links() const
{
    std::vector<Link> links;
    if (m_page)
        for (const html::PageLink& link : m_page->Links())
            links.push_back(Link { Gbk::FromUtf8(link.text), Gbk::FromUtf8(link.url) });
    return links;
}

int HtmlView::ClickLinkByText(const std::string& text)
{
    // The list is taken first: a click starts a navigation, and the page
    // stays until Pump replaces it, but the hook may do anything.
    int clicked = 0;
    for (const Link& link : Links()) {
        if (link.text != text)
            continue;
        Navigate(link.url);
        ++clicked;
    }
    return clicked;
}

} // namespace platform
