// The web page view against a local web server (python3 -m http.server on
// a loopback port): pages laid out and drawn with the program's fonts, GBK
// and UTF-8 pages, links followed by position and by text, the
// before-navigate hook on every navigation, redirects, errors, and a server
// that never answers.

#include "platform/Gbk.h"
#include "platform/HtmlView.h"
#include "platform/Socket.h"
#include "tests/net/ProxyDaemons.h"
#include "tests/support/TestTimeouts.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using platform::HtmlView;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

// A page with a red band at the top (rows 0-39), a link band below it (rows
// 40-69) and the given body after them.
std::string BandPage(const std::string& linkHref, const std::string& more = std::string())
{
    return "<html><head><title>Bands</title></head><body style=\"margin:0\">"
           "<div style=\"height:40px;background-color:#ff0000\"></div>"
           "<a href=\""
        + linkHref
        + "\" style=\"display:block;height:30px;background-color:#00ff00\">go</a>" + more + "</body></html>";
}

// A 24-bit BMP of one colour.
std::string SolidBmp(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    const uint32_t size = 54 + rowBytes * h;
    std::string out;
    auto u16 = [&](uint16_t v) { out.append({ static_cast<char>(v), static_cast<char>(v >> 8) }); };
    auto u32 = [&](uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    };
    out += "BM";
    u32(size);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(w));
    u32(static_cast<uint32_t>(h));
    u16(1);
    u16(24);
    u32(0);
    u32(rowBytes * h);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            out.append({ static_cast<char>(b), static_cast<char>(g), static_cast<char>(r) });
        out.append(static_cast<size_t>(rowBytes - w * 3), '\0');
    }
    return out;
}

class HtmlViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("kbzn_htmlview_" + std::to_string(getpid()));
        fs::create_directories(m_root / "web" / "dir");
        m_port = proxytest::FreePort();
        m_server = std::make_unique<proxytest::Daemon>(
            std::vector<std::string> { "/usr/bin/python3", "-u", "-m", "http.server", std::to_string(m_port), "--bind",
                "127.0.0.1", "--directory", (m_root / "web").string() },
            (m_root / "http.log").string());
        ASSERT_TRUE(proxytest::WaitForPort(m_port));
        pixels.assign(static_cast<size_t>(kWidth) * kHeight * 4, 0);
        view.SetBeforeNavigate([this](const std::string& url) {
            asked.push_back(url);
            return !refuse || url.find(*refuse) == std::string::npos;
        });
    }
    void TearDown() override
    {
        m_server.reset();
        fs::remove_all(m_root);
    }

    void Serve(const std::string& path, const std::string& body)
    {
        std::ofstream(m_root / "web" / path, std::ios::binary) << body;
    }
    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/" + path;
    }
    // Pumps until the view has nothing under way (a limit, not a timing).
    void Settle()
    {
        const auto end = std::chrono::steady_clock::now() + testsupport::Timeout(std::chrono::seconds(20));
        view.Pump();
        while (view.IsBusy() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            view.Pump();
        }
        ASSERT_FALSE(view.IsBusy()) << "the view did not settle";
    }
    void Open(const std::string& path)
    {
        ASSERT_TRUE(view.Navigate(Url(path)));
        Settle();
    }
    void Draw() { view.Draw(pixels.data(), kWidth, kHeight, kWidth * 4); }
    // 0x00RRGGBB of a drawn pixel.
    uint32_t Pixel(int x, int y) const
    {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
        return static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
    // Pixels in the rows that are not white.
    int InkInRows(int top, int bottom) const
    {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < kWidth; ++x)
                ink += Pixel(x, y) != 0xFFFFFF;
        return ink;
    }
    std::string ServerLog() const
    {
        std::ifstream in(m_root / "http.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int Requests(const std::string& path) const
    {
        const std::string log = ServerLog();
        const std::string line = "\"GET /" + path + " ";
        int count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            ++count;
        return count;
    }
    bool Requested(const std::string& path) const { return Requests(path) > 0; }

    HtmlView view { kWidth, kHeight };
    std::vector<uint8_t> pixels;
    std::vector<std::string> asked;
    std::optional<std::string> refuse;

private:
    fs::path m_root;
    uint16_t m_port = 0;
    std::unique_ptr<proxytest::Daemon> m_server;
};

TEST_F(HtmlViewTest, PageIsLaidOutAndDrawnWithItsTextAndPictures)
{
    Serve("red.bmp", SolidBmp(20, 10, 0, 0, 255));
    Serve("page.html",
        BandPage("other.html",
            "<p style=\"margin:0;height:30px;color:#000000\">Hello, page</p>"
            "<img src=\"red.bmp\" style=\"display:block\"><div style=\"height:400px\"></div>"));
    Open("page.html");
    EXPECT_EQ(view.Title(), "Bands");
    EXPECT_EQ(view.Url(), Url("page.html"));
    Draw();
    EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(Pixel(200, 39), 0xFF0000u);
    EXPECT_EQ(Pixel(200, 55), 0x00FF00u); // the link band, right of its text
    EXPECT_GT(InkInRows(70, 100), 20);   // the paragraph's glyphs
    EXPECT_EQ(Pixel(230, 85), 0xFFFFFFu);
    EXPECT_EQ(Pixel(10, 105), 0x0000FFu); // the picture below it
    EXPECT_EQ(Pixel(25, 105), 0xFFFFFFu); // and only 20 pixels wide
    EXPECT_TRUE(Requested("red.bmp"));

    // Scrolled down by 40 rows, the link band is at the top.
    EXPECT_GT(view.ContentHeight(), 500);
    view.ScrollTo(40);
    Draw();
    EXPECT_EQ(Pixel(200, 5), 0x00FF00u);
    view.ScrollTo(100000);
    EXPECT_EQ(view.ScrollTop(), view.ContentHeight() - kHeight);
}

TEST_F(HtmlViewTest, GbkAndUtf8PagesDrawTheSameText)
{
    const std::string text = "中文网页，链接与广告";
    const std::string head = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    const std::string body = "\"><title>" + text + "</title></head><body style=\"margin:0\"><p style=\"margin:0\">"
        + text + "</p></body></html>";
    Serve("gbk.html", head + "gb2312" + body);
    Serve("utf8.html", platform::Gbk::ToUtf8(head + "utf-8" + body));
    // Undeclared: valid UTF-8 is read as UTF-8, anything else as GBK.
    const std::string bare = "<body style=\"margin:0\"><p style=\"margin:0\">" + text + "</p>";
    Serve("bare-utf8.html", platform::Gbk::ToUtf8(bare));
    Serve("bare-gbk.html", bare);

    Open("gbk.html");
    EXPECT_EQ(view.Title(), text);
    Draw();
    const std::vector<uint8_t> reference = pixels;
    EXPECT_GT(InkInRows(0, 30), 100);
    for (const char* page : { "utf8.html", "bare-utf8.html", "bare-gbk.html" }) {
        SCOPED_TRACE(page);
        Open(page);
        Draw();
        EXPECT_TRUE(pixels == reference);
    }
}

TEST_F(HtmlViewTest, ChineseTextWrapsWithoutSpaces)
{
    std::string line;
    for (int i = 0; i < 40; ++i)
        line += "汉字";
    Serve("long.html", "<meta charset=\"gbk\"><body style=\"margin:0\"><p style=\"margin:0\">" + line + "</p>");
    Open("long.html");
    const int wide = view.ContentHeight();
    view.Resize(100, kHeight);
    EXPECT_TRUE(view.IsBusy()); // laid out again off this thread
    Settle();
    // Without breaks between the characters the line would stay one line
    // at any width.
    EXPECT_GE(view.ContentHeight(), wide * 2);
    EXPECT_EQ(view.Url(), Url("long.html"));
    EXPECT_EQ(Requests("long.html"), 1); // a new layout fetches nothing again
}

TEST_F(HtmlViewTest, EveryNavigationPassesTheHook)
{
    Serve("start.html", BandPage("next.html"));
    Serve("next.html", BandPage("start.html", "<p>next</p>"));
    Serve("dir/index.html", BandPage("../start.html", "<p>in dir</p>"));

    // Navigate itself.
    Open("start.html");
    EXPECT_EQ(asked, (std::vector<std::string> { Url("start.html") }));

    // A click on the link band; a click elsewhere is no navigation.
    EXPECT_EQ(view.LinkAt(100, 50), Url("next.html"));
    EXPECT_EQ(view.LinkAt(100, 20), "");
    EXPECT_FALSE(view.Click(100, 20));
    EXPECT_TRUE(view.Click(100, 50));
    Settle();
    EXPECT_EQ(asked.back(), Url("next.html"));
    EXPECT_EQ(view.Url(), Url("next.html"));

    // A redirect (the server sends "dir" on to "dir/"): both asked.
    asked.clear();
    Open("dir");
    EXPECT_EQ(asked, (std::vector<std::string> { Url("dir"), Url("dir/") }));
    EXPECT_EQ(view.Url(), Url("dir/"));
    Draw();
    EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
}

TEST_F(HtmlViewTest, InlineLinksAreFoundWhereTheirWordsAre)
{
    Serve("inline.html",
        "<body style=\"margin:0;line-height:20px\"><a href=\"a.html\">AAAA</a> plain "
        "<a href=\"b.html\">BBBB</a><br><a href=\"c.html\">CCCC <b>DD</b></a> tail<br>"
        "<a href=\"d.html\">outer <a href=\"e.html\">inner</a></a></body>");
    Open("inline.html");
    // The links met along a row, left to right, each once.
    const auto along = [this](int y) {
        std::vector<std::string> met;
        for (int x = 0; x < kWidth; ++x) {
            const std::string url = view.LinkAt(x, y);
            if (!url.empty() && (met.empty() || met.back() != url))
                met.push_back(url);
        }
        return met;
    };
    EXPECT_EQ(along(10), (std::vector<std::string> { Url("a.html"), Url("b.html") }));
    EXPECT_EQ(along(30), (std::vector<std::string> { Url("c.html") }));
    EXPECT_EQ(view.LinkAt(0, 10), Url("a.html"));
    EXPECT_EQ(view.LinkAt(kWidth - 1, 30), "");
    EXPECT_EQ(along(100), std::vector<std::string>());
}

TEST_F(HtmlViewTest, RefusedAddressesAreNotFetched)
{
    Serve("start.html", BandPage("secret.html"));
    Serve("secret.html", BandPage("start.html", "<p>secret</p>"));
    Serve("dir/index.html", BandPage("../start.html"));
    Open("start.html");

    refuse = "secret";
    EXPECT_FALSE(view.Navigate(Url("secret.html")));
    EXPECT_FALSE(view.IsBusy());
    EXPECT_TRUE(view.Click(100, 50));
    EXPECT_EQ(view.ClickLinkByText("go"), 1);
    EXPECT_FALSE(view.IsBusy());
    EXPECT_EQ(view.Url(), Url("start.html"));

    // A refused redirect stops where it is.
    refuse = "dir/";
    ASSERT_TRUE(view.Navigate(Url("dir")));
    Settle();
    EXPECT_EQ(asked.back(), Url("dir/"));
    Draw();
    EXPECT_EQ(Pixel(200, 55), 0x00FF00u); // still the first page

    // Once the server has answered a later request, it has seen every
    // earlier one.
    refuse.reset();
    Open("start.html");
    EXPECT_TRUE(Requested("dir"));
    EXPECT_FALSE(Requested("dir/"));
    EXPECT_FALSE(Requested("secret.html"));
}

TEST_F(HtmlViewTest, ClickLinkByTextClicksEveryMatchInOrder)
{
    Serve("links.html",
        "<meta charset=\"gbk\"><a href=\"a.html\">领取奖励</a> <a href=\"b.html\">别的</a>"
        "<a href=\"c.html\"> 领取奖励 </a><a href=\"d.html\">领取<b>奖励</b></a><a>领取奖励</a>"
        "<a href=\"e.html\">Go</a><a href=\"f.html\">go</a>");
    Open("links.html");
    ASSERT_EQ(view.Links().size(), 6u); // the <a> without an address is no link
    EXPECT_EQ(view.Links()[3].text, "领取奖励");

    refuse = "never"; // the hook only records
    asked.clear();
    EXPECT_EQ(view.ClickLinkByText("领取奖励"), 3);
    EXPECT_EQ(asked, (std::vector<std::string> { Url("a.html"), Url("c.html"), Url("d.html") }));
    asked.clear();
    EXPECT_EQ(view.ClickLinkByText("go"), 1); // letter case counts
    EXPECT_EQ(asked, (std::vector<std::string> { Url("f.html") }));
    EXPECT_EQ(view.ClickLinkByText("领取"), 0);
}

TEST_F(HtmlViewTest, ScriptsBlankPagesAndErrors)
{
    Serve("start.html", BandPage("javascript:void(0)"));
    Open("start.html");

    // A script address passes the hook and does nothing.
    asked.clear();
    EXPECT_TRUE(view.Click(100, 50));
    EXPECT_EQ(asked, (std::vector<std::string> { "javascript:void(0)" }));
    EXPECT_FALSE(view.IsBusy());
    EXPECT_EQ(view.Url(), Url("start.html"));

    // An error page for a missing page, a host that cannot be reached and
    // an address that is not http, unless the error hook cancels it.
    std::vector<std::pair<std::string, int>> errors;
    bool cancelError = false;
    view.SetNavigateError([&](const std::string& url, int status) {
        errors.emplace_back(url, status);
        return cancelError;
    });
    const std::string unreachable = "http://127.0.0.1:" + std::to_string(proxytest::FreePort()) + "/x.html";
    for (const std::string& url : { Url("missing.html"), unreachable, std::string("ftp://127.0.0.1/x") }) {
        SCOPED_TRACE(url);
        errors.clear();
        view.Navigate(url);
        Settle();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].first, url);
        EXPECT_EQ(errors[0].second, url == Url("missing.html") ? 404 : 0);
        EXPECT_EQ(view.Title(), "无法显示该网页");
        Draw();
        EXPECT_GT(InkInRows(0, kHeight), 50);
    }
    Open("start.html");
    cancelError = true;
    view.Navigate(Url("missing.html"));
    Settle();
    EXPECT_EQ(view.Title(), "Bands");

    // about:blank is an empty white page.
    view.Navigate("about:blank");
    Settle();
    Draw();
    EXPECT_EQ(InkInRows(0, kHeight), 0);
    EXPECT_TRUE(view.Links().empty());
}

// A server that takes connections and never answers them.
class SilentServer {
public:
    SilentServer()
        : m_listen(platform::ListenTcp("127.0.0.1", 0, 8))
    {
    }
    uint16_t Port() const { return platform::LocalPort(m_listen.Fd()); }
    // The request of the next connection (up to its body's length).
    std::string Request()
    {
        pollfd p { m_listen.Fd(), POLLIN, 0 };
        if (poll(&p, 1, testsupport::TimeoutMs(10000)) != 1)
            return std::string();
        m_held.push_back(platform::AcceptTcp(m_listen.Fd()));
        std::string text;
        char buffer[4096];
        for (;;) {
            pollfd q { m_held.back().Fd(), POLLIN, 0 };
            if (poll(&q, 1, 500) != 1)
                return text;
            const ssize_t got = ::read(m_held.back().Fd(), buffer, sizeof buffer);
            if (got <= 0)
                return text;
            text.append(buffer, static_cast<size_t>(got));
        }
    }

private:
    platform::Socket m_listen;
    std::vector<platform::Socket> m_held;
};

TEST_F(HtmlViewTest, SlowServerDoesNotHoldTheCaller)
{
    Serve("start.html", BandPage("next.html"));
    Open("start.html");

    SilentServer silent;
    const std::string slow = "http://127.0.0.1:" + std::to_string(silent.Port()) + "/form";
    // Navigate returns at once; the shown page stays and can be drawn and
    // clicked while the request hangs.
    ASSERT_TRUE(view.Navigate(slow, "X-Kbzn: yes\r\nX-Other: 2", "a=1&b=2"));
    const std::string request = silent.Request();
    EXPECT_EQ(request.rfind("POST /form HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nX-Kbzn: yes\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nX-Other: 2\r\n"), std::string::npos);
    EXPECT_EQ(request.substr(request.size() - 7), "a=1&b=2");
    EXPECT_FALSE(view.Pump());
    EXPECT_TRUE(view.IsBusy());
    Draw();
    EXPECT_EQ(Pixel(200, 55), 0x00FF00u);
    EXPECT_EQ(view.LinkAt(100, 50), Url("next.html"));

    // A newer navigation overtakes the hanging one.
    Open("next.html");
    EXPECT_EQ(view.Url(), Url("next.html"));

    // A view going away while its request hangs stops at once.
    auto doomed = std::make_unique<HtmlView>(kWidth, kHeight);
    doomed->Navigate(slow);
    EXPECT_FALSE(silent.Request().empty());
    doomed.reset();
}

TEST_F(HtmlViewTest, LargePagesArriveWhole)
{
    std::string many = "<meta charset=\"gbk\"><body>";
    for (int i = 1; i <= 100; ++i)
        many += "<a href=\"p" + std::to_string(i) + ".html\">链接 " + std::to_string(i) + "</a><br>";
    Serve("many.html", many);
    Open("many.html");
    const std::vector<HtmlView::Link> links = view.Links();
    ASSERT_EQ(links.size(), 100u);
    EXPECT_EQ(links[56].text, "链接 57");
    asked.clear();
    refuse = "p57";
    EXPECT_EQ(view.ClickLinkByText("链接 57"), 1);
    EXPECT_EQ(asked, (std::vector<std::string> { Url("p57.html") }));
    Draw();
    EXPECT_GT(InkInRows(0, kHeight), 200);

    // About a megabyte of text: drawn at its top and at its end.
    std::string big = "<meta charset=\"gbk\"><body style=\"margin:0\">";
    for (int i = 0; big.size() < 1024 * 1024; ++i)
        big += "<p>第" + std::to_string(i) + "段 some words to lay out, 一些要排版的文字。</p>";
    big += "<div style=\"height:40px;background-color:#0000ff\"></div></body>";
    Serve("big.html", big);
    Open("big.html");
    EXPECT_GT(view.ContentHeight(), 100000);
    Draw();
    EXPECT_GT(InkInRows(0, kHeight), 200);
    view.ScrollTo(view.ContentHeight());
    Draw();
    EXPECT_EQ(Pixel(10, kHeight - 5), 0x0000FFu);
    EXPECT_GT(InkInRows(0, kHeight - 40), 200);
}

} // namespace
