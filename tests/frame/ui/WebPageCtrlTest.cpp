// The frame's web page control on the headless engine host, against a
// local web server: the page drawn into its canvas as the engine's clock
// runs, links clicked with the mouse and by their text, every address
// offered to the URL commands first and then to the allow-list filter.

#include "frame/ui/WebPageCtrl.h"

#include "platform/HtmlView.h"
#include "tests/engine/objects/HostFixture.h"
#include "tests/net/ProxyDaemons.h"
#include "tests/support/TestTimeouts.h"

#include "engine/core/EventCodes.h"
#include "engine/core/InputState.h"
#include "engine/core/EngineEvent.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using frame::WebPageCtrl;

namespace {

constexpr int kPageWidth = 160;
constexpr int kPageHeight = 100;
// The control's centre in the host view (200 x 150).
constexpr int kCentreX = 100;
constexpr int kCentreY = 75;
constexpr int kLeft = kCentreX - kPageWidth / 2;
constexpr int kTop = kCentreY - kPageHeight / 2;

class WebPageCtrlTest : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_dir = fs::temp_directory_path() / ("kbzn_webpage_" + std::to_string(getpid()));
        fs::create_directories(m_dir / "web");
        m_port = proxytest::FreePort();
        m_server = std::make_unique<proxytest::Daemon>(
            std::vector<std::string> { "/usr/bin/python3", "-u", "-m", "http.server", std::to_string(m_port), "--bind",
                "127.0.0.1", "--directory", (m_dir / "web").string() },
            (m_dir / "http.log").string());
        ASSERT_TRUE(proxytest::WaitForPort(m_port));

        page = static_cast<WebPageCtrl*>(root->RegisterObject(std::make_unique<WebPageCtrl>()));
        page->MoveTo(kCentreX, kCentreY);
        page->Create(kPageWidth, kPageHeight);
        ASSERT_NE(page->Canvas(), nullptr);
        page->Canvas()->Show();
        page->SetWhitelistFile((m_dir / "domain.dat").string());
        ASSERT_TRUE(frame::WriteAllowListFile((m_dir / "domain.dat").string(), { Host() }));
        page->SetRestricted(true);
    }
    void TearDown() override
    {
        m_server.reset();
        if (!m_dir.empty())
            fs::remove_all(m_dir);
        HostEngine::TearDown();
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string Url(const std::string& path) const { return "http://" + Host() + "/" + path; }
    void Serve(const std::string& path, const std::string& body)
    {
        std::ofstream(m_dir / "web" / path, std::ios::binary) << body;
    }
    // Runs engine frames (the clock moving on) until the page has nothing
    // under way: the control takes its pages over on its own.
    void RunUntilSettled()
    {
        const auto end = std::chrono::steady_clock::now() + testsupport::Timeout(std::chrono::seconds(20));
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Frame(WebPageCtrl::kPumpIntervalMs);
        } while (page->View()->IsBusy() && std::chrono::steady_clock::now() < end);
        ASSERT_FALSE(page->View()->IsBusy());
        Frame();
    }
    void Mouse(int code, int x, int y)
    {
        engine::InputState state;
        state.x = x;
        state.y = y;
        page->OnEvent(engine::EngineEvent(page->GetId(), code, 0, engine::ToWord(&state)));
    }
    int Requests(const std::string& path) const
    {
        std::ifstream in(m_dir / "http.log");
        std::stringstream text;
        text << in.rdbuf();
        const std::string log = text.str();
        const std::string line = "\"GET /" + path + " ";
        int count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            ++count;
        return count;
    }
    // A page of two bands: red on rows 0-29, then a green link band on rows
    // 30-59 to the address.
    static std::string Bands(const std::string& href, const std::string& text = "go")
    {
        return "<body style=\"margin:0\"><div style=\"height:30px;background-color:#ff0000\"></div>"
               "<a href=\""
            + href + "\" style=\"display:block;height:30px;background-color:#00ff00\">" + text + "</a></body>";
    }

    WebPageCtrl* page = nullptr;
    uint16_t m_port = 0;

private:
    fs::path m_dir;
    std::unique_ptr<proxytest::Daemon> m_server;
};

TEST_F(WebPageCtrlTest, PageIsDrawnIntoTheCanvasAndOntoTheScreen)
{
    Serve("page.html", Bands("next.html"));
    ASSERT_TRUE(page->Navigate(Url("page.html")));
    RunUntilSettled();
    engine::CanvasObject* canvas = page->Canvas();
    EXPECT_EQ(canvas->GetPixel(5, 5), 0x0000FFu);    // red, as 0x00BBGGRR
    EXPECT_EQ(canvas->GetPixel(150, 45), 0x00FF00u); // the link band
    EXPECT_EQ(canvas->GetPixel(150, 80), 0xFFFFFFu);
    EXPECT_EQ(Pixel(kLeft + 5, kTop + 5), 0xFF0000u);
    EXPECT_EQ(Pixel(kLeft + 150, kTop + 45), 0x00FF00u);
    EXPECT_EQ(Pixel(kLeft + 150, kTop + 80), 0xFFFFFFu);
}

TEST_F(WebPageCtrlTest, LinkClicksMeetTheCommandsAndTheFilter)
{
    // The same server under a host text that is not listed.
    const std::string refused = "http://localhost:" + std::to_string(m_port) + "/";
    Serve("start.html", Bands("qhenew://" + Host() + "/shop"));
    Serve("allowed.html", Bands("http://localhost/x"));
    Serve("refused.html", Bands(refused + "allowed.html"));
    Serve("cmd.html", Bands("qheapp://unknown/"));
    ASSERT_TRUE(page->Navigate(Url("start.html")));
    RunUntilSettled();
    EXPECT_EQ(Requests("start.html"), 1);

    // A command link: taken by the commands (which, without a client
    // around the control, have nowhere to open it), never opened here.
    Mouse(engine::EVT_LBUTTON_UP, kLeft + 100, kTop + 45);
    EXPECT_FALSE(page->View()->IsBusy());
    EXPECT_EQ(page->View()->Url(), Url("start.html"));

    // A click outside the link does nothing.
    Mouse(engine::EVT_LBUTTON_UP, kLeft + 100, kTop + 10);
    EXPECT_FALSE(page->View()->IsBusy());

    // A listed host is opened; one not listed is not fetched.
    EXPECT_FALSE(page->Navigate(refused + "refused.html"));
    EXPECT_FALSE(page->View()->IsBusy());
    ASSERT_TRUE(page->Navigate(Url("refused.html")));
    RunUntilSettled();
    EXPECT_EQ(page->ClickLinkByText("go"), 1);
    EXPECT_FALSE(page->View()->IsBusy());
    ASSERT_TRUE(page->Navigate(Url("start.html")));
    RunUntilSettled();
    EXPECT_EQ(Requests("refused.html"), 1);
    EXPECT_EQ(Requests("allowed.html"), 0);

    // Not a command the commands know: it meets the filter, which refuses
    // its scheme word.
    ASSERT_TRUE(page->Navigate(Url("cmd.html")));
    RunUntilSettled();
    EXPECT_EQ(page->ClickLinkByText("go"), 1);
    EXPECT_FALSE(page->View()->IsBusy());
    EXPECT_EQ(page->View()->Url(), Url("cmd.html"));

    // With the filter off every address that is not a command opens.
    page->SetRestricted(false);
    ASSERT_TRUE(page->Navigate(refused + "allowed.html"));
    RunUntilSettled();
    EXPECT_EQ(Requests("allowed.html"), 1);
    // Scripts pass and do nothing.
    EXPECT_TRUE(page->Navigate("javascript:void(0)"));
    EXPECT_FALSE(page->View()->IsBusy());
}

TEST_F(WebPageCtrlTest, WheelScrollsAndFailuresShowTheErrorPage)
{
    std::string tall = Bands("next.html");
    tall.insert(tall.size() - 7, "<div style=\"height:500px\"></div>");
    Serve("tall.html", tall);
    ASSERT_TRUE(page->Navigate(Url("tall.html")));
    RunUntilSettled();

    // The wheel scrolls the page and redraws it.
    page->OnEvent(engine::EngineEvent(page->GetId(), engine::EVT_WHEEL_DOWN));
    EXPECT_EQ(page->View()->ScrollTop(), WebPageCtrl::kWheelStep);
    EXPECT_EQ(page->Canvas()->GetPixel(150, 5), 0x00FF00u); // the link band, 40 rows up
    page->OnEvent(engine::EngineEvent(page->GetId(), engine::EVT_WHEEL_UP));
    EXPECT_EQ(page->View()->ScrollTop(), 0);

    // A page that is not there shows the error page.
    ASSERT_TRUE(page->Navigate(Url("missing.html")));
    RunUntilSettled();
    EXPECT_EQ(page->View()->Title(), "无法显示该网页");
    EXPECT_NE(page->Canvas()->GetPixel(5, 5), 0x0000FFu);
}

} // namespace
