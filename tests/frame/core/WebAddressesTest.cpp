// Page addresses: where they come from, how they are signed and cut, and
// the browser launch that opens only web addresses, as one argument, and
// hands its request back to the window or frees it.

#include "frame/core/WebAddresses.h"

#include "platform/MessageLoop.h"
#include "platform/OpenExternal.h"
#include "tests/support/TestTimeouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(UrlQueryTest, JoinsWithQuestionMarkOrAmpersand)
{
    struct Case {
        const char* base;
        const char* query;
        const char* joined;
    };
    const Case cases[] = {
        { "http://h/p", "a=1", "http://h/p?a=1" },
        { "http://h/p?x=2", "a=1", "http://h/p?x=2&a=1" },
        { "http://h/p?", "a=1", "http://h/p?&a=1" },
        { "http://h/p", "", "http://h/p" },
        { "http://h/p?x=2", "", "http://h/p?x=2" },
        { "", "a=1", "?a=1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.query);
        EXPECT_EQ(frame::AppendUrlQuery(c.base, c.query), c.joined);
    }
}

// A session whose lobby answers with a token, counting the questions.
struct SignCounter {
    int asked = 0;
    std::string token;
    frame::WebSession Session(int userId, bool standAlone)
    {
        frame::WebSession session;
        session.userId = userId;
        session.standAlone = standAlone;
        session.fetchSign = [this] {
            ++asked;
            return token;
        };
        return session;
    }
};

TEST(SignedUrlTest, TheSigningQueryCarriesTheUserAndTheLobbysToken)
{
    struct Case {
        const char* name;
        const char* address;
        bool sign;
        bool standAlone;
        const char* token;
        const char* result;
        int asked;
    };
    const Case cases[] = {
        { "plain address", "http://h/shop", true, false, "AB12", "http://h/shop?uid=4711&sign=AB12", 1 },
        { "address with a query", "http://h/shop?id=3", true, false, "AB12", "http://h/shop?id=3&uid=4711&sign=AB12",
            1 },
        { "lobby silent", "http://h/shop", true, false, "", "http://h/shop?uid=4711&sign=", 1 },
        { "not signed", "http://h/shop", false, false, "AB12", "http://h/shop", 0 },
        { "replay: no lobby to ask", "http://h/shop", true, true, "AB12", "http://h/shop", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SignCounter lobby;
        lobby.token = c.token;
        EXPECT_EQ(frame::BuildSignedUrl(lobby.Session(4711, c.standAlone), c.address, c.sign), c.result);
        EXPECT_EQ(lobby.asked, c.asked);
    }
    // No way to ask at all counts as a silent lobby.
    frame::WebSession bare;
    bare.userId = 5;
    EXPECT_EQ(frame::BuildSignedUrl(bare, "http://h/", true), "http://h/?uid=5&sign=");
}

class AdvertIniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_webaddr_" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        m_room.SetAdvertHost("ad.example.net");
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Ini(const std::string& text)
    {
        const fs::path path = m_dir / ("game" + std::to_string(++m_count) + ".ini");
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    fs::path m_dir;
    frame::RoomInfo m_room;
    int m_count = 0;
};

TEST_F(AdvertIniTest, AdvertAndPayPagesComeFromTheIniOrTheRoom)
{
    const std::string fallback = "http://ad.example.net/advert/window/2006/vk.htm";
    struct Case {
        const char* name;
        std::string ini;
        std::string advert;
        std::string pay;
    };
    const Case cases[] = {
        { "both set, spaces trimmed", "[ADVERT]\nWWW3=  http://w/x.htm  \nPay= http://pay/p \n", "http://w/x.htm",
            "http://pay/p" },
        { "spaces only", "[ADVERT]\nWWW3=\"   \"\nPay=\"  \"\n", fallback, "" },
        { "empty values", "[ADVERT]\nWWW3=\nPay=\n", fallback, "" },
        { "no section", "[OTHER]\nWWW3=http://w/\n", fallback, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ini = Ini(c.ini);
        EXPECT_EQ(frame::GetAdvertPageUrl(ini, m_room, 2006), c.advert);
        EXPECT_EQ(frame::GetPayPageUrl(ini), c.pay);
    }
    const std::string missing = (m_dir / "missing.ini").string();
    EXPECT_EQ(frame::GetAdvertPageUrl(missing, m_room, 2006), fallback);
    EXPECT_EQ(frame::GetPayPageUrl(missing), "");
}

TEST(BrowserRequestTest, LongAddressesAreCutToTheirFirst1023Bytes)
{
    const std::string longAddress = "http://h/" + std::string(1991, 'a');
    ASSERT_EQ(longAddress.size(), 2000u);
    auto job = frame::MakeBrowserOpenRequest(17, longAddress);
    EXPECT_EQ(job->window, 17u);
    EXPECT_EQ(job->address, longAddress.substr(0, 1023));

    // A character standing across the limit is left out whole.
    const std::string straddling = "http://h/" + std::string(1013, 'b') + "中文";
    ASSERT_EQ(straddling.size(), 1026u);
    EXPECT_EQ(frame::MakeBrowserOpenRequest(0, straddling)->address, straddling.substr(0, 1022));

    EXPECT_EQ(frame::MakeBrowserOpenRequest(0, "http://h/short")->address, "http://h/short");
}

TEST(BrowserRequestTest, TheWaitTextShowsTheFirst32Bytes)
{
    EXPECT_EQ(frame::BrowserWaitText("http://www.example.com/shop/index.htm?id=1"),
        "正在打开http://www.example.com/shop/inde...");
    EXPECT_EQ(frame::BrowserWaitText("http://h/"), "正在打开http://h/...");
    // 31 ASCII bytes and a Chinese character: the character is not split.
    EXPECT_EQ(frame::BrowserWaitText(std::string(31, 'x') + "中"), "正在打开" + std::string(31, 'x') + "...");
}

TEST(BrowserAddressTest, OnlyWebAddressesAreOpenedAndTheyReachTheOpenerAsPlainAscii)
{
    struct Case {
        const char* name;
        std::string address;
        bool opened;
        std::string argument;
    };
    const Case cases[] = {
        { "http", "http://h/p?a=1&b=2#top", true, "http://h/p?a=1&b=2#top" },
        { "https in capitals", "HTTPS://h/p", true, "HTTPS://h/p" },
        { "GBK bytes and a space", "http://h/\xD6\xD0 x", true, "http://h/%D6%D0%20x" },
        { "quotes and shell characters", "http://h/\"$(id)`x`<a>|b", true, "http://h/%22$(id)%60x%60%3Ca%3E%7Cb" },
        { "control bytes", "http://h/a\nb\tc", true, "http://h/a%0Ab%09c" },
        { "local file", "file:///etc/passwd", false, "" },
        { "local path", "/usr/bin/xterm", false, "" },
        { "option for the opener", "--help", false, "" },
        { "script", "javascript:alert(1)", false, "" },
        { "scheme alone", "http://", false, "" },
        { "empty", "", false, "" },
    };
    std::vector<std::string> opened;
    platform::SetOpenExternalHook([&](const std::string& argument) {
        opened.push_back(argument);
        return true;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        EXPECT_EQ(frame::IsWebAddress(c.address), c.opened);
        frame::BrowserOpenRequest job;
        job.address = c.address;
        frame::LaunchBrowser(job);
        EXPECT_EQ(job.started, c.opened);
        EXPECT_EQ(opened, c.opened ? std::vector<std::string> { c.argument } : std::vector<std::string> {});
    }
    // An opener that cannot start is reported as such.
    platform::SetOpenExternalHook([](const std::string&) { return false; });
    frame::BrowserOpenRequest job;
    job.address = "http://h/";
    frame::LaunchBrowser(job);
    EXPECT_FALSE(job.started);
    platform::SetOpenExternalHook(nullptr);
}

TEST(BrowserDeliveryTest, ARequestNobodyCanTakeIsFreed)
{
    // The leak check sees a request that nobody freed.
    auto job = frame::MakeBrowserOpenRequest(0x7ffffff0, "http://h/"); // no such window
    frame::DeliverBrowserOpen(std::move(job));
    frame::DeliverBrowserOpen(frame::MakeBrowserOpenRequest(0, "http://h/")); // no window at all
    frame::DeliverBrowserOpen(nullptr);
    EXPECT_FALSE(frame::StartBrowserOpen(nullptr));
}

// A launch from start to the window's WM_FRAME_URLOPENED, with the opener
// replaced by a recorder.
class BrowserLaunchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }

    void SetUp() override
    {
        platform::SetOpenExternalHook([this](const std::string& argument) {
            std::lock_guard lock(m_lock);
            m_opened.push_back(argument);
            return true;
        });
        m_window.SetMessageHandler([this](uint32_t message, uintptr_t wParam, intptr_t) -> intptr_t {
            if (message == frame::WM_FRAME_URLOPENED)
                m_returned.push_back(frame::TakeBrowserOpenRequest(wParam));
            return 0;
        });
        if (!m_window.Create("browser", 64, 64))
            GTEST_SKIP() << "no video driver";
        m_lobby.token = "T0K";
        m_session = m_lobby.Session(4711, false);
        m_session.mainWindow = m_window.Handle();
        m_session.showWaitText = [this](const std::string& text, int seconds) {
            m_waitTexts.push_back(text + "|" + std::to_string(seconds));
        };
    }
    void TearDown() override { platform::SetOpenExternalHook(nullptr); }

    void PumpUntilReturned(size_t count)
    {
        const int turns = testsupport::TimeoutMs(10000) / 10;
        for (int i = 0; i < turns && m_returned.size() < count; ++i)
            platform::MessageLoop::PumpOnce(10);
    }
    std::vector<std::string> Opened()
    {
        std::lock_guard lock(m_lock);
        return m_opened;
    }

    platform::Window m_window;
    SignCounter m_lobby;
    frame::WebSession m_session;
    std::vector<std::string> m_waitTexts;
    std::vector<std::unique_ptr<frame::BrowserOpenRequest>> m_returned;
    std::mutex m_lock;
    std::vector<std::string> m_opened;
};

TEST_F(BrowserLaunchTest, ASignedPageOpensAndItsRequestComesBackToTheWindow)
{
    ASSERT_TRUE(frame::OpenUrlInBrowser(m_session, "http://shop.example.com/buy?item=9", true));
    ASSERT_TRUE(frame::OpenUrlInBrowser(m_session, "http://shop.example.com/help", false));
    EXPECT_EQ(m_waitTexts, (std::vector<std::string> { "正在打开http://shop.example.com/buy?item...|15",
                               "正在打开http://shop.example.com/help...|15" }));
    EXPECT_EQ(m_lobby.asked, 1);
    PumpUntilReturned(2);
    ASSERT_EQ(m_returned.size(), 2u);
    std::vector<std::string> returned;
    for (const auto& job : m_returned) {
        EXPECT_EQ(job->window, m_window.Handle());
        EXPECT_TRUE(job->started);
        returned.push_back(job->address);
    }
    std::sort(returned.begin(), returned.end()); // two threads: either may finish first
    const std::vector<std::string> expected { "http://shop.example.com/buy?item=9&uid=4711&sign=T0K",
        "http://shop.example.com/help" };
    EXPECT_EQ(returned, expected);
    std::vector<std::string> opened = Opened();
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, expected);
}

TEST_F(BrowserLaunchTest, AnAddressFromOutsideThatIsNoWebPageStartsNothing)
{
    for (const char* address : { "file:///home/user/.ssh/id_rsa", "C:\\Windows\\notepad.exe", "-x", "" }) {
        SCOPED_TRACE(address);
        EXPECT_FALSE(frame::OpenUrlInBrowser(m_session, address, true));
    }
    EXPECT_TRUE(m_waitTexts.empty());
    EXPECT_EQ(m_lobby.asked, 0);
    for (int i = 0; i < 5; ++i)
        platform::MessageLoop::PumpOnce(10);
    EXPECT_TRUE(m_returned.empty());
    EXPECT_TRUE(Opened().empty());
}

TEST_F(BrowserLaunchTest, ARequestStillQueuedWhenTheWindowGoesIsFreed)
{
    ASSERT_TRUE(platform::PostMessage(m_window.Handle(), frame::WM_FRAME_URLOPENED,
        reinterpret_cast<uintptr_t>(frame::MakeBrowserOpenRequest(m_window.Handle(), "http://h/").release()), 0,
        frame::DisposeBrowserOpenPost));
    m_window.Destroy(); // the leak check sees the request if the disposer missed it
    EXPECT_TRUE(m_returned.empty());
}

} // namespace
