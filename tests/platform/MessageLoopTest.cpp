// The loop's sleep: PumpOnce(kInfinite) must block until there is work and
// wake for every kind of it. Each test lets the loop fall asleep first and
// then brings one thing from elsewhere; a loop that polls instead returns
// empty-handed, and one that sleeps through the work never returns (a
// watchdog then ends the run). The window tests run with the headless
// driver here and again under Xvfb with the X11 driver, where the X
// connection itself has to wake the loop.
#include "platform/Clock.h"
#include "platform/MessageDispatch.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Screen.h"
#include "platform/SdlVideo.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h> // Xlib under the X11 driver: a second client, and the loop's own connection

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::MessageLoop;
using platform::WindowEvent;

constexpr uint32_t kTestMessage = platform::kUserMessage + 11;

// Gives the loop time to fall asleep before the other thread acts. Only the
// order matters: work that comes sooner must be handled just the same.
constexpr auto kLetItSleep = std::chrono::milliseconds(50);

// Ends the run when the loop sleeps through work that should have woken
// it, instead of letting the test hang.
class Watchdog {
public:
    explicit Watchdog(std::string what)
        : m_thread([this, what = std::move(what)] {
            std::unique_lock lock(m_lock);
            if (!m_done.wait_for(lock, std::chrono::seconds(30), [this] { return m_disarmed; })) {
                std::fprintf(stderr, "%s: the loop slept through it\n", what.c_str());
                std::abort();
            }
        })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_lock);
            m_disarmed = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_disarmed = false;
    std::thread m_thread;
};

bool UsingX11()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::string(driver) == "x11";
}

class MessageLoopWait : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }

    void SetUp() override
    {
        window.SetEventHandler([this](const WindowEvent& e) { events.push_back(e); });
        window.SetMessageHandler([this](uint32_t, uintptr_t w, intptr_t) {
            messages.push_back(static_cast<int>(w));
            return intptr_t { 0 };
        });
        ASSERT_TRUE(window.Create("loop", 320, 240));
        window.Show(platform::ShowCommand::kShow);
        Settle();
    }

    // Lets the start-up events pass (the X server sends a few as the
    // window maps), until the window has been quiet for a while.
    void Settle()
    {
        for (int quiet = 0, round = 0; quiet < 5 && round < 200; ++round) {
            const size_t before = events.size();
            MessageLoop::PumpOnce(20);
            quiet = events.size() == before ? quiet + 1 : 0;
        }
        events.clear();
    }

    // Pumps, each time letting the loop sleep as long as it likes, until the
    // window has a kWmSize.
    void PumpUntilSized(const char* what)
    {
        Watchdog watchdog(what);
        while (!HasSize())
            MessageLoop::PumpOnce(MessageLoop::kInfinite);
    }

    bool HasSize() const
    {
        for (const WindowEvent& e : events)
            if (e.message == platform::kWmSize)
                return true;
        return false;
    }

    std::vector<WindowEvent> events;
    std::vector<int> messages;
    platform::Window window;
};

TEST_F(MessageLoopWait, WorkFromAnotherThreadWakesTheSleepingLoop)
{
    struct Case {
        const char* name;
        std::function<void(platform::WindowHandle, uint32_t uiThread)> act;
        std::vector<int> handled;
        bool quits;
    };
    const Case cases[] = {
        { "a posted window message",
            [](platform::WindowHandle w, uint32_t) { platform::PostMessage(w, kTestMessage, 1, 0); }, { 1 }, false },
        { "a sent window message",
            [](platform::WindowHandle w, uint32_t) { platform::SendMessage(w, kTestMessage, 2, 0); }, { 2 }, false },
        { "a thread message",
            [](platform::WindowHandle, uint32_t ui) { platform::PostThreadMessage(ui, kTestMessage, 3, 0); }, { 3 },
            false },
        { "a quit for the thread", [](platform::WindowHandle, uint32_t ui) { platform::PostThreadQuit(ui, 7); }, {},
            true },
    };
    platform::MessageQueue queue;
    platform::SetThreadMessageHandler([this](const platform::Message& m) { messages.push_back(static_cast<int>(m.wParam)); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        std::atomic<bool> acted { false };
        std::thread other([&, handle = window.Handle(), ui = platform::CurrentThreadId()] {
            std::this_thread::sleep_for(kLetItSleep);
            c.act(handle, ui);
            acted = true;
        });
        int code = 0;
        bool running = true;
        {
            Watchdog watchdog(c.name);
            // One call: it returns only once the work has come and been done.
            running = MessageLoop::PumpOnce(MessageLoop::kInfinite, &code);
        }
        const std::vector<int> handledAtFirst = messages;
        const bool runningAtFirst = running;
        // A sender waits for its answer: a loop that came back too early
        // still has to serve it before the thread can end.
        while (running && !acted)
            running = MessageLoop::PumpOnce(10, &code);
        other.join();
        EXPECT_EQ(handledAtFirst, c.handled);
        EXPECT_EQ(runningAtFirst, !c.quits);
        if (c.quits) {
            EXPECT_EQ(code, 7);
        }
    }
    platform::SetThreadMessageHandler(nullptr);
}

TEST_F(MessageLoopWait, ATimerWakesTheLoopWhenDueAndNotBefore)
{
    // With and without the thread's own queue, which the loop also sleeps
    // on.
    for (bool withQueue : { false, true }) {
        SCOPED_TRACE(withQueue ? "with a thread queue" : "without a thread queue");
        std::optional<platform::MessageQueue> queue;
        if (withQueue)
            queue.emplace();
        std::vector<uint32_t> firedAt;
        const uint32_t start = platform::TickMs();
        ASSERT_TRUE(window.SetTimer(5, 40, [&](uint32_t) { firedAt.push_back(platform::TickMs()); }));
        {
            Watchdog watchdog("a timer");
            MessageLoop::PumpOnce(MessageLoop::kInfinite);
        }
        window.KillTimer(5);
        ASSERT_EQ(firedAt.size(), 1u);
        EXPECT_GE(firedAt[0] - start, 40u);
    }
}

TEST(MessageLoopWithoutWindows, APostWakesAThreadThatOnlyHasItsQueue)
{
    int code = 0;
    bool running = true;
    std::vector<int> handled;
    std::vector<int> handledAtFirst;
    // A thread of its own: the test's main thread holds the video system.
    std::thread loop([&] {
        platform::MessageQueue queue;
        platform::SetThreadMessageHandler([&](const platform::Message& m) { handled.push_back(static_cast<int>(m.wParam)); });
        const uint32_t self = platform::CurrentThreadId();
        std::thread other([self] {
            std::this_thread::sleep_for(kLetItSleep);
            platform::PostThreadMessage(self, kTestMessage, 4, 0);
            platform::PostThreadQuit(self, 9);
        });
        {
            Watchdog watchdog("a thread message");
            // Returns once the message has come (and the quit too, when it
            // came as quickly).
            running = MessageLoop::PumpOnce(MessageLoop::kInfinite, &code);
        }
        handledAtFirst = handled;
        while (running)
            running = MessageLoop::PumpOnce(MessageLoop::kInfinite, &code);
        other.join();
        platform::SetThreadMessageHandler(nullptr);
    });
    loop.join();
    EXPECT_EQ(handledAtFirst, (std::vector<int> { 4 }));
    EXPECT_EQ(handled, (std::vector<int> { 4 }));
    EXPECT_FALSE(running);
    EXPECT_EQ(code, 9);
}

#if defined(SDL_VIDEO_DRIVER_X11)

// A second client of the same X server, as a window manager or another
// program would be.
class OtherClient {
public:
    OtherClient()
        : m_display(XOpenDisplay(nullptr))
    {
    }
    ~OtherClient()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool Connected() const { return m_display != nullptr; }
    // Resizes the window and waits until the server has done it, so the
    // event is on its way to the window's own client.
    void Resize(::Window window, int width, int height)
    {
        XResizeWindow(m_display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

struct XWindowInfo {
    Display* display = nullptr;
    ::Window window = 0;
};

XWindowInfo XInfo(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    return { info.info.x11.display, info.info.x11.window };
}

TEST_F(MessageLoopWait, AnEventOnTheXConnectionWakesTheLoop)
{
    if (!UsingX11())
        GTEST_SKIP() << "X11 driver only";
    OtherClient other;
    ASSERT_TRUE(other.Connected());
    const XWindowInfo x = XInfo(window.SdlWindow());
    ASSERT_NE(x.window, 0u);
    std::thread resizer([&] {
        std::this_thread::sleep_for(kLetItSleep);
        other.Resize(x.window, 300, 200);
    });
    PumpUntilSized("a resize by another client");
    resizer.join();
    EXPECT_EQ(window.ClientWidth(), 300);
    EXPECT_EQ(window.ClientHeight(), 200);
}

// Xlib reads events off the connection whenever it waits for a reply (a
// present does) or is asked whether any are pending; an event read that
// way never makes the connection readable again, so the loop must see it
// queued before it sleeps.
TEST_F(MessageLoopWait, EventsXlibAlreadyReadDoNotLetTheLoopSleep)
{
    if (!UsingX11())
        GTEST_SKIP() << "X11 driver only";
    struct Case {
        const char* name;
        void (*read)(Display*);
    };
    const Case cases[] = {
        { "read while waiting for a reply", [](Display* d) { XSync(d, False); } },
        { "read by a pending check", [](Display* d) { XPending(d); } },
    };
    OtherClient other;
    ASSERT_TRUE(other.Connected());
    const XWindowInfo x = XInfo(window.SdlWindow());
    ASSERT_NE(x.window, 0u);
    int width = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        width += 10;
        int queued = -1;
        // From a timer, as a frame's present would: the loop has just run
        // SDL's pump and goes to sleep after this turn.
        ASSERT_TRUE(window.SetTimer(6, 10, [&](uint32_t) {
            window.KillTimer(6);
            other.Resize(x.window, width, 200);
            c.read(x.display);
            queued = XEventsQueued(x.display, QueuedAlready);
        }));
        {
            Watchdog watchdog("a timer");
            while (queued < 0)
                MessageLoop::PumpOnce(MessageLoop::kInfinite);
        }
        ASSERT_GT(queued, 0) << "the event was not read ahead, so this proves nothing";
        PumpUntilSized(c.name);
        EXPECT_EQ(window.ClientWidth(), width);
    }
}

#endif

} // namespace

// Asking for the screen's size starts and stops video before the first
// window exists; the window made afterwards must still give the loop the X
// connection to sleep on, or the loop falls back to polling.
TEST(MessageLoopAfterScreenQuery, WindowAfterTheScreenSizeStillSleepsOnTheXConnection)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::PrimaryScreenSize();
    platform::Window window;
    ASSERT_TRUE(window.Create("after the screen size", 160, 120));
    if (!UsingX11())
        GTEST_SKIP() << "X11 driver only";
    EXPECT_GE(platform::SdlVideo::EventFd(), 0);
    EXPECT_FALSE(platform::SdlVideo::EventsNeedPolling());
}
