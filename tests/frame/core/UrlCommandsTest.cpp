// The page links with the client's own schemes: which addresses are
// commands, what each one does, and where the command object goes.

#include "frame/core/UrlCommands.h"

#include "platform/MessageLoop.h"
#include "platform/OpenExternal.h"
#include "tests/support/TestTimeouts.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

// The page control: a real window that takes WM_WEB_URLCOMMAND, opens the
// command and lets it go, as the embedded page does.
class FakePage : public frame::WebUrlOwner {
public:
    explicit FakePage(bool openOnArrival = true)
    {
        m_window.SetMessageHandler([this, openOnArrival](uint32_t message, uintptr_t wParam, intptr_t) -> intptr_t {
            if (message == frame::WM_WEB_URLCOMMAND) {
                std::unique_ptr<frame::WebUrlCommand> command = frame::TakeUrlCommand(wParam);
                arrived.push_back(command->GetUrl());
                if (openOnArrival)
                    command->Open();
            }
            return 0;
        });
    }
    bool Create() { return m_window.Create("page", 64, 64); }
    void Destroy() { m_window.Destroy(); }
    platform::WindowHandle GetUrlCommandWindow() const override { return m_window.Handle(); }
    void NavigateInPlace(const std::string& url) override { navigated.push_back(url); }

    void Pump(size_t arrivals)
    {
        const int turns = testsupport::TimeoutMs(10000) / 10;
        for (int i = 0; i < turns && arrived.size() < arrivals; ++i)
            platform::MessageLoop::PumpOnce(10);
    }

    std::vector<std::string> arrived;
    std::vector<std::string> navigated;

private:
    platform::Window m_window;
};

struct HallPost {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const HallPost&) const = default;
};

class UrlCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }

    void SetUp() override
    {
        platform::SetOpenExternalHook([this](const std::string& argument) {
            std::lock_guard lock(m_lock);
            m_opened.push_back(argument);
            return true;
        });
        m_session.userId = 4711;
        m_session.fetchSign = [this] {
            ++m_signsAsked;
            return std::string("SG");
        };
        m_session.postToHall = [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
            m_hall.push_back({ message, wParam, lParam });
            return true;
        };
        // The browser's request comes back to a window of its own.
        m_main.SetMessageHandler([this](uint32_t message, uintptr_t wParam, intptr_t) -> intptr_t {
            if (message == frame::WM_FRAME_URLOPENED) {
                frame::TakeBrowserOpenRequest(wParam);
                ++m_browserReturns;
            }
            return 0;
        });
        if (!m_main.Create("main", 64, 64))
            GTEST_SKIP() << "no video driver";
        m_session.mainWindow = m_main.Handle();
    }
    void TearDown() override { platform::SetOpenExternalHook(nullptr); }

    std::unique_ptr<frame::WebUrlCommand> Command(frame::WebUrlOwner* owner, const std::string& url)
    {
        return std::make_unique<frame::WebUrlCommand>(owner, url, m_session);
    }
    void PumpUntilBrowserReturns(int count)
    {
        const int turns = testsupport::TimeoutMs(10000) / 10;
        for (int i = 0; i < turns && m_browserReturns < count; ++i)
            platform::MessageLoop::PumpOnce(10);
    }
    std::vector<std::string> Opened()
    {
        std::lock_guard lock(m_lock);
        return m_opened;
    }

    frame::WebSession m_session;
    platform::Window m_main;
    int m_signsAsked = 0;
    int m_browserReturns = 0;
    std::vector<HallPost> m_hall;
    std::mutex m_lock;
    std::vector<std::string> m_opened;
};

TEST_F(UrlCommandTest, SchemesAreRecognisedWithoutRegardToCase)
{
    struct Case {
        const char* url;
        bool old, fresh, blank, http, app;
    };
    const Case cases[] = {
        { "qheold://h/p", true, false, false, false, false },
        { "QHEOLD:x", true, false, false, false, false },
        { "qhenew://h/p", false, true, false, false, false },
        { "QheNew://h/p", false, true, false, false, false },
        { "about:blank", false, false, true, false, false },
        { "ABOUT:BLANK", false, false, true, false, false },
        { "about:blank#x", false, false, false, false, false },
        { "http://h/", false, false, false, true, false },
        { "HTTP://h/", false, false, false, true, false },
        { "https://h/", false, false, false, false, false },
        { "qheapp://changeclothing/", false, false, false, false, true },
        { "qheold", false, false, false, false, false },
        { "", false, false, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        frame::WebUrlCommand command(nullptr, c.url, m_session);
        EXPECT_EQ(command.IsOld(), c.old);
        EXPECT_EQ(command.IsNew(), c.fresh);
        EXPECT_EQ(command.IsBlank(), c.blank);
        EXPECT_EQ(command.IsHttp(), c.http);
        EXPECT_EQ(command.IsApp(), c.app);
    }
}

TEST_F(UrlCommandTest, TheSchemeWordIsReplacedByHttp)
{
    struct Case {
        const char* url;
        const char* http;
    };
    const Case cases[] = {
        { "qhenew://shop.example.com/buy?id=1", "http://shop.example.com/buy?id=1" },
        { "QHEOLD://h/p", "http://h/p" },
        { "qheold:h/p:8", "http:h/p:8" },
        { "http://h/", "http://h/" },
        { "no colon at all", "http" },
        { "", "http" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(frame::WebUrlCommand(nullptr, c.url, m_session).GetHttpUrl(), c.http);
    }
}

TEST_F(UrlCommandTest, AppCommandsGoToTheLobbyAndOtherAddressesAreNoCommands)
{
    struct Case {
        const char* url;
        int handled;
        std::vector<HallPost> hall;
    };
    const Case cases[] = {
        { "qheapp://changeclothing/", 1, { { frame::WM_HALL_CHANGECLOTHING, 4711, 0 } } },
        { "QHEAPP://BecomeMember/", 1, { { frame::WM_HALL_BECOMEMEMBER, 4711, 0 } } },
        { "qheapp://memberclose/", 1, {} },
        { "qheapp://changeclothing", 0, {} },
        { "qheapp://changeclothing/x", 0, {} },
        { "qheapp:changeclothing/", 0, {} },
        { "qheapp://somethingelse/", 0, {} },
        { "http://h/changeclothing/", 0, {} },
        { "about:blank", 0, {} },
        { "javascript:void(0)", 0, {} },
    };
    FakePage page;
    ASSERT_TRUE(page.Create());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        m_hall.clear();
        EXPECT_EQ(frame::HandleUrlCommand(Command(&page, c.url)), c.handled);
        EXPECT_EQ(m_hall, c.hall);
    }
    for (int i = 0; i < 5; ++i)
        platform::MessageLoop::PumpOnce(10);
    EXPECT_TRUE(page.arrived.empty());
    EXPECT_TRUE(page.navigated.empty());
    EXPECT_EQ(m_signsAsked, 0);
    EXPECT_EQ(frame::HandleUrlCommand(nullptr), 0);
}

TEST_F(UrlCommandTest, OldAddressesOpenInPlaceAndNewOnesInTheBrowserBothSigned)
{
    FakePage page;
    ASSERT_TRUE(page.Create());
    EXPECT_EQ(frame::HandleUrlCommand(Command(&page, "qheold://pay.example.com/a?x=1")), 1);
    EXPECT_EQ(frame::HandleUrlCommand(Command(&page, "QHENEW://shop.example.com/b")), 1);
    // Nothing happens until the page's window takes the commands.
    EXPECT_TRUE(page.navigated.empty());
    EXPECT_TRUE(Opened().empty());
    page.Pump(2);
    EXPECT_EQ(page.arrived,
        (std::vector<std::string> { "qheold://pay.example.com/a?x=1", "QHENEW://shop.example.com/b" }));
    EXPECT_EQ(page.navigated, (std::vector<std::string> { "http://pay.example.com/a?x=1&uid=4711&sign=SG" }));
    PumpUntilBrowserReturns(1);
    EXPECT_EQ(Opened(), (std::vector<std::string> { "http://shop.example.com/b?uid=4711&sign=SG" }));
    EXPECT_EQ(m_signsAsked, 2);
}

TEST_F(UrlCommandTest, InReplayModeCommandsOpenUnsignedAddresses)
{
    m_session.standAlone = true;
    FakePage page;
    ASSERT_TRUE(page.Create());
    EXPECT_EQ(frame::HandleUrlCommand(Command(&page, "qheold://pay.example.com/a")), 1);
    EXPECT_EQ(frame::HandleUrlCommand(Command(&page, "qhenew://shop.example.com/b?x=1")), 1);
    page.Pump(2);
    PumpUntilBrowserReturns(1);
    EXPECT_EQ(page.navigated, (std::vector<std::string> { "http://pay.example.com/a" }));
    EXPECT_EQ(Opened(), (std::vector<std::string> { "http://shop.example.com/b?x=1" }));
    EXPECT_EQ(m_signsAsked, 0);
}

TEST_F(UrlCommandTest, ACommandNobodyTakesIsFreed)
{
    // The leak check sees a command object that was lost on the way.
    EXPECT_EQ(frame::HandleUrlCommand(Command(nullptr, "qhenew://h/")), 1);
    FakePage gone;
    ASSERT_TRUE(gone.Create());
    gone.Destroy();
    EXPECT_EQ(frame::HandleUrlCommand(Command(&gone, "qheold://h/")), 1);

    FakePage closing(false);
    ASSERT_TRUE(closing.Create());
    EXPECT_EQ(frame::HandleUrlCommand(Command(&closing, "qheold://h/")), 1);
    closing.Destroy(); // still queued: the disposer frees it
    EXPECT_TRUE(closing.arrived.empty());
    EXPECT_TRUE(closing.navigated.empty());
}

TEST_F(UrlCommandTest, ACommandWhosePageWentOpensNothing)
{
    // Under the address sanitizer a page used after it went fails here.
    auto page = std::make_unique<FakePage>();
    std::unique_ptr<frame::WebUrlCommand> command = Command(page.get(), "qheold://pay.example.com/a");
    page.reset();
    EXPECT_TRUE(command->Open());
    EXPECT_EQ(m_signsAsked, 0) << "no signature is fetched for nothing";
}

} // namespace
