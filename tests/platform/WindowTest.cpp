#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/MessageBox.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include "tests/platform/SdlEvents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform;

constexpr uint32_t kTestMessage = kUserMessage + 7;

// Headless windows: the offscreen driver keeps a real pixel surface.
class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }

    void SetUp() override
    {
        window.SetEventHandler([this](const WindowEvent& e) { events.push_back(e); });
        window.SetMessageHandler([this](uint32_t m, uintptr_t w, intptr_t l) {
            messages.push_back(static_cast<int>(w));
            return static_cast<intptr_t>(m == kTestMessage ? l * 2 : 0);
        });
        ASSERT_TRUE(window.Create("测试窗口", 320, 240));
        Settle();
    }

    void TearDown() override { SetFixedTick(std::nullopt); }

    // Lets the window's start-up events pass, then forgets them.
    void Settle()
    {
        for (int i = 0; i < 5; ++i)
            MessageLoop::PumpOnce(0);
        events.clear();
        messages.clear();
    }

    void Pump()
    {
        for (int i = 0; i < 3; ++i)
            MessageLoop::PumpOnce(0);
    }

    // The recorded events without the cursor-shape requests and paints,
    // which accompany many others.
    std::vector<WindowEvent> Input() const
    {
        std::vector<WindowEvent> out;
        for (const WindowEvent& e : events)
            if (e.message != kWmSetCursor && e.message != kWmPaint)
                out.push_back(e);
        return out;
    }

    void PushMouseMotion(int x, int y) { sdltest::PushMouseMotion(window.SdlWindowId(), x, y); }

    void PushButton(bool down, uint8_t button, int x, int y)
    {
        sdltest::PushMouseButton(window.SdlWindowId(), down, button, x, y);
    }

    void PushKey(bool down, SDL_Keycode key, uint16_t mod = KMOD_NONE, bool repeat = false)
    {
        SDL_Event e {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = window.SdlWindowId();
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.sym = key;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    void PushText(const char8_t* utf8)
    {
        SDL_Event e {};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = window.SdlWindowId();
        std::strncpy(e.text.text, reinterpret_cast<const char*>(utf8), sizeof e.text.text - 1);
        SDL_PushEvent(&e);
    }

    void PushWindowEvent(uint8_t kind, int data1 = 0, int data2 = 0)
    {
        SDL_Event e {};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = window.SdlWindowId();
        e.window.event = kind;
        e.window.data1 = data1;
        e.window.data2 = data2;
        SDL_PushEvent(&e);
    }

    // Declared before the window, which reports its destruction to them.
    std::vector<WindowEvent> events;
    std::vector<int> messages;
    Window window;
};

TEST_F(WindowTest, CreationReportsTheSizeAndDestructionTheEnd)
{
    Window other;
    std::vector<WindowEvent> seen;
    other.SetEventHandler([&](const WindowEvent& e) { seen.push_back(e); });
    ASSERT_TRUE(other.Create("确定", 200, 100));
    // The first size arrives during creation, before any loop runs.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, kWmSize);
    EXPECT_EQ(seen[0].width, 200);
    EXPECT_EQ(seen[0].height, 100);
    EXPECT_EQ(other.Title(), "确定");
    other.SetTitle("游戏 Game");
    EXPECT_EQ(other.Title(), "游戏 Game");
    EXPECT_NE(other.Handle(), window.Handle());
    EXPECT_FALSE(other.Create("again", 10, 10));

    WindowHandle handle = other.Handle();
    EXPECT_TRUE(IsWindow(handle));
    other.Destroy();
    EXPECT_EQ(seen.back().message, kWmDestroy);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, kTestMessage, 0, 0));
    EXPECT_EQ(SendMessage(handle, kTestMessage, 0, 1), 0);

    Window bad;
    EXPECT_FALSE(bad.Create("zero", 0, 10));
}

TEST_F(WindowTest, BoundsScreenAndWorkArea)
{
    Rect desktop = DesktopRect();
    Rect work = WorkAreaRect();
    EXPECT_FALSE(desktop.Empty());
    EXPECT_FALSE(work.Empty());
    EXPECT_LE(work.Width(), desktop.Width());

    Window popup;
    std::vector<WindowEvent> seen;
    popup.SetEventHandler([&](const WindowEvent& e) { seen.push_back(e); });
    ASSERT_TRUE(popup.Create("popup", 100, 80, kWindowBorderless));
    seen.clear();
    popup.SetBounds({ 10, 20, 810, 620 });
    EXPECT_EQ(popup.ScreenRect(), (Rect { 10, 20, 810, 620 }));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, kWmSize);
    EXPECT_EQ(seen[0].width, 800);
    EXPECT_EQ(seen[0].height, 600);
    popup.BringToFront();
    popup.Destroy();
}

TEST_F(WindowTest, PresentedPixelsReachTheWindow)
{
    const int w = 64;
    const int h = 32;
    std::vector<uint8_t> buffer(static_cast<size_t>(w) * h * 4);
    // Red 0xC0, green 8y, blue 4x.
    auto original = [](int x, int y) { return 0xC00000u | static_cast<uint32_t>(y * 8) << 8 | static_cast<uint32_t>(x * 4); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &buffer[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>(x * 4); // blue
            p[1] = static_cast<uint8_t>(y * 8); // green
            p[2] = 0xC0;                        // red
            p[3] = 0xFF;
        }
    ASSERT_TRUE(window.Present(buffer.data(), w, h, w * 4));
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(window.ReadPixels(pixels, width, height));
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 240);
    auto rgb = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; };
    EXPECT_EQ(rgb(0, 0), 0xC00000u);
    EXPECT_EQ(rgb(10, 3), 0xC01828u);
    EXPECT_EQ(rgb(63, 31), 0xC0F8FCu);
    EXPECT_EQ(rgb(64, 0), 0u); // beyond the buffer: untouched

    // Only the given area is copied.
    std::fill(buffer.begin(), buffer.end(), 0xFF);
    Rect area { 4, 4, 8, 6 };
    ASSERT_TRUE(window.Present(buffer.data(), w, h, w * 4, &area));
    ASSERT_TRUE(window.ReadPixels(pixels, width, height));
    EXPECT_EQ(rgb(4, 4), 0xFFFFFFu);
    EXPECT_EQ(rgb(7, 5), 0xFFFFFFu);
    EXPECT_EQ(rgb(8, 5), original(8, 5));
    EXPECT_EQ(rgb(4, 6), original(4, 6));
    EXPECT_EQ(rgb(3, 4), original(3, 4));

    // A buffer larger than the window is cut to it; bad buffers are refused.
    std::vector<uint8_t> big(static_cast<size_t>(400) * 300 * 4, 0x40);
    EXPECT_TRUE(window.Present(big.data(), 400, 300, 400 * 4));
    ASSERT_TRUE(window.ReadPixels(pixels, width, height));
    EXPECT_EQ(rgb(319, 239), 0x404040u);
    EXPECT_FALSE(window.Present(big.data(), 400, 300, 100));
    EXPECT_FALSE(window.Present(nullptr, 4, 4, 16));
}

TEST_F(WindowTest, SentMessagesRunAtOncePostedOnesInOrderFromTheLoop)
{
    EXPECT_TRUE(window.PostMessage(kTestMessage, 1, 0));
    EXPECT_TRUE(PostMessage(window.Handle(), kTestMessage, 2, 0));
    EXPECT_EQ(window.SendMessage(kTestMessage, 3, 21), 42);
    EXPECT_EQ(messages, (std::vector<int> { 3 }));
    MessageLoop::PumpOnce(0);
    EXPECT_EQ(messages, (std::vector<int> { 3, 1, 2 }));
}

TEST_F(WindowTest, MessagesFromAnotherThreadAreMarshalledSentBeforePosted)
{
    WindowHandle handle = window.Handle();
    std::atomic<bool> posted { false };
    std::atomic<intptr_t> result { -1 };
    std::thread sender([&] {
        PostMessage(handle, kTestMessage, 10, 0);
        PostMessage(handle, kTestMessage, 11, 0);
        posted = true;
        result = SendMessage(handle, kTestMessage, 12, 50);
    });
    while (!posted)
        std::this_thread::yield();
    // The send is queued by now or soon; the loop handles it first.
    while (result == -1)
        MessageLoop::PumpOnce(10);
    sender.join();
    EXPECT_EQ(result, 100);
    Pump();
    ASSERT_EQ(messages.size(), 3u);
    // Posted 10 and 11 keep their order; the send may overtake them (or
    // come after both, when the loop took them before the send arrived).
    auto at10 = std::find(messages.begin(), messages.end(), 10);
    auto at11 = std::find(messages.begin(), messages.end(), 11);
    EXPECT_LT(at10, at11);
}

TEST_F(WindowTest, SendersAndQueuedRecordsAreReleasedWhenTheWindowGoes)
{
    static std::atomic<int> disposed { 0 };
    disposed = 0;
    auto dispose = [](const Message& m) {
        delete reinterpret_cast<int*>(m.wParam);
        ++disposed;
    };
    ASSERT_TRUE(window.PostMessage(kTestMessage, reinterpret_cast<uintptr_t>(new int(5)), 0, dispose));

    WindowHandle handle = window.Handle();
    std::atomic<bool> started { false };
    std::atomic<intptr_t> result { -1 };
    std::thread sender([&] {
        started = true;
        result = SendMessage(handle, kTestMessage, 1, 5);
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    window.Destroy();
    sender.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(disposed, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTest, ASendThatTimesOutIsWithdrawnAndNeverHandled)
{
    // The loop is not pumped while the sender waits, so the message is
    // still queued when its time runs out; the record on the sender's stack
    // must never reach the handler afterwards.
    WindowHandle handle = window.Handle();
    bool delivered = true;
    intptr_t result = -1;
    std::thread sender([&] { delivered = SendMessageTimeout(handle, kTestMessage, 21, 5, 30, &result); });
    sender.join();
    EXPECT_FALSE(delivered);
    EXPECT_EQ(result, 0);
    Pump();
    EXPECT_TRUE(messages.empty());

    // In time, the answer comes back; on the loop's own thread it runs at once.
    std::atomic<bool> done { false };
    std::thread prompt([&] {
        delivered = SendMessageTimeout(handle, kTestMessage, 22, 8, 60000, &result);
        done = true;
    });
    while (!done)
        MessageLoop::PumpOnce(10);
    prompt.join();
    EXPECT_TRUE(delivered);
    EXPECT_EQ(result, 16);
    EXPECT_TRUE(SendMessageTimeout(handle, kTestMessage, 23, 4, 0, &result));
    EXPECT_EQ(result, 8);
    EXPECT_EQ(messages, (std::vector<int> { 22, 23 }));

    window.Destroy();
    EXPECT_FALSE(SendMessageTimeout(handle, kTestMessage, 24, 1, 100, &result));
}

TEST_F(WindowTest, TimersFollowThePlatformClockAndNeverBurst)
{
    std::vector<uint32_t> fired;
    SetFixedTick(1000);
    ASSERT_TRUE(window.SetTimer(7, 5, [&](uint32_t id) { fired.push_back(id); }));
    EXPECT_FALSE(window.SetTimer(8, 0, [](uint32_t) {}));
    struct Step {
        uint32_t tick;
        size_t firedSoFar;
    };
    const Step steps[] = {
        { 1004, 0 }, { 1005, 1 }, { 1005, 1 }, { 1009, 1 }, { 1010, 2 },
        { 1100, 3 }, // ninety milliseconds late: one tick, not eighteen
        { 1104, 3 }, { 1105, 4 },
    };
    for (const Step& s : steps) {
        SetFixedTick(s.tick);
        MessageLoop::PumpOnce(0);
        EXPECT_EQ(fired.size(), s.firedSoFar) << "tick " << s.tick;
    }
    EXPECT_TRUE(window.KillTimer(7));
    EXPECT_FALSE(window.KillTimer(7));
    SetFixedTick(5000);
    MessageLoop::PumpOnce(0);
    EXPECT_EQ(fired.size(), 4u);

    // Across the wrap-around of the tick.
    fired.clear();
    SetFixedTick(0xFFFFFFFCu);
    ASSERT_TRUE(window.SetTimer(9, 5, [&](uint32_t id) { fired.push_back(id); }));
    for (uint32_t tick : { 0xFFFFFFFFu, 0u, 1u, 5u, 6u }) {
        SetFixedTick(tick);
        MessageLoop::PumpOnce(0);
    }
    EXPECT_EQ(fired, (std::vector<uint32_t> { 9, 9 }));
}

TEST_F(WindowTest, ModalLoopsKeepTheTimerRunning)
{
    int ticks = 0;
    ASSERT_TRUE(window.SetTimer(1, 5, [&](uint32_t) { ++ticks; }));
    // A handler that waits in its own loop, as a modal box or a blocking
    // connect does, while the real clock runs.
    window.SetMessageHandler([&](uint32_t, uintptr_t, intptr_t) {
        uint32_t start = TickMs();
        while (ticks < 4 && TickMs() - start < 2000)
            MessageLoop::PumpOnce(MessageLoop::kInfinite);
        return intptr_t { 0 };
    });
    window.PostMessage(kTestMessage, 0, 0);
    uint32_t start = TickMs();
    MessageLoop::PumpOnce(0);
    EXPECT_GE(ticks, 4);
    EXPECT_LT(TickMs() - start, 1000u);
}

TEST_F(WindowTest, QuitEndsTheLoopWithItsCode)
{
    window.SetTimer(1, 5, [](uint32_t) { MessageLoop::Quit(3); });
    EXPECT_EQ(MessageLoop::Run(), 3);
    window.KillTimer(1);
    MessageQueue queue;
    window.PostMessage(kTestMessage, 1, 0);
    PostQuitMessage(9);
    int code = 0;
    while (MessageLoop::PumpOnce(0, &code)) {
    }
    EXPECT_EQ(code, 9);
    EXPECT_EQ(messages, (std::vector<int> { 1 }));
}

TEST_F(WindowTest, MouseEventsBecomeButtonAndMoveRecords)
{
    PushMouseMotion(10, 20);
    PushButton(true, SDL_BUTTON_LEFT, 11, 21);
    PushMouseMotion(15, 25);
    PushButton(false, SDL_BUTTON_LEFT, 15, 25);
    PushButton(true, SDL_BUTTON_RIGHT, 1, 2);
    PushButton(false, SDL_BUTTON_RIGHT, 1, 2);
    PushButton(true, SDL_BUTTON_MIDDLE, 3, 4);
    PushButton(false, SDL_BUTTON_MIDDLE, 3, 4);
    PushButton(true, SDL_BUTTON_X1, 3, 4); // no code for it: dropped
    Pump();
    struct Expected {
        uint32_t message;
        int x, y;
        uint32_t flags;
    };
    const Expected expected[] = {
        { kWmMouseMove, 10, 20, 0 },
        { kWmLButtonDown, 11, 21, kMkLButton },
        { kWmMouseMove, 15, 25, kMkLButton },
        { kWmLButtonUp, 15, 25, 0 },
        { kWmRButtonDown, 1, 2, kMkRButton },
        { kWmRButtonUp, 1, 2, 0 },
        { kWmMButtonDown, 3, 4, kMkMButton },
        { kWmMButtonUp, 3, 4, 0 },
    };
    auto input = Input();
    ASSERT_EQ(input.size(), std::size(expected));
    for (size_t i = 0; i < input.size(); ++i) {
        EXPECT_EQ(input[i].message, expected[i].message) << i;
        EXPECT_EQ(input[i].x, expected[i].x) << i;
        EXPECT_EQ(input[i].y, expected[i].y) << i;
        EXPECT_EQ(input[i].keyFlags, expected[i].flags) << i;
    }
    // Every move is preceded by the request for the cursor shape.
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].message, kWmSetCursor);
    EXPECT_EQ(events[1].message, kWmMouseMove);
}

TEST_F(WindowTest, WheelCarriesPointAndDeltaAndModifiersReachMouseFlags)
{
    window.SetPosition(100, 50);
    PushKey(true, SDLK_LSHIFT, KMOD_LSHIFT);
    SDL_Event e {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = window.SdlWindowId();
    e.wheel.y = -2;
    e.wheel.mouseX = 30;
    e.wheel.mouseY = 40;
    SDL_PushEvent(&e);
    e.wheel.y = 1;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    SDL_PushEvent(&e);
    e.wheel.y = 0; // horizontal scrolling only: nothing
    e.wheel.x = 1;
    SDL_PushEvent(&e);
    Pump();
    auto input = Input();
    ASSERT_EQ(input.size(), 3u);
    Point screen = window.ClientToScreen({ 30, 40 });
    EXPECT_EQ(screen, (Point { 130, 90 }));
    EXPECT_EQ(input[1].message, kWmMouseWheel);
    EXPECT_EQ(input[1].x, 30);
    EXPECT_EQ(input[1].y, 40);
    EXPECT_EQ(input[1].screenX, screen.x);
    EXPECT_EQ(input[1].screenY, screen.y);
    EXPECT_EQ(window.ScreenToClient(screen), (Point { 30, 40 }));
    EXPECT_EQ(input[1].wheelDelta, -2 * kWheelDelta);
    EXPECT_EQ(input[1].keyFlags & kMkShift, kMkShift);
    EXPECT_EQ(input[2].wheelDelta, -kWheelDelta);
}

TEST_F(WindowTest, KeysBecomeVirtualKeyCodesWithTheirFlags)
{
    struct Case {
        SDL_Keycode key;
        uint16_t mod;
        bool down;
        bool repeat;
        uint32_t message;
        uint32_t vk;
        uint32_t flags;
    };
    const Case cases[] = {
        { SDLK_a, 0, true, false, kWmKeyDown, 'A', 0 },
        { SDLK_a, 0, true, true, kWmKeyDown, 'A', kKfRepeat },
        { SDLK_a, 0, false, false, kWmKeyUp, 'A', kKfUp | kKfRepeat },
        { SDLK_z, 0, true, false, kWmKeyDown, 'Z', 0 },
        { SDLK_5, 0, true, false, kWmKeyDown, '5', 0 },
        { SDLK_LEFT, 0, true, false, kWmKeyDown, kVkLeft, kKfExtended },
        { SDLK_DOWN, 0, true, false, kWmKeyDown, kVkDown, kKfExtended },
        { SDLK_RETURN, 0, true, false, kWmKeyDown, kVkReturn, 0 },
        { SDLK_KP_ENTER, 0, true, false, kWmKeyDown, kVkReturn, kKfExtended },
        { SDLK_ESCAPE, 0, true, false, kWmKeyDown, kVkEscape, 0 },
        { SDLK_BACKSPACE, 0, true, false, kWmKeyDown, kVkBack, 0 },
        { SDLK_TAB, 0, true, false, kWmKeyDown, kVkTab, 0 },
        { SDLK_SPACE, 0, true, false, kWmKeyDown, kVkSpace, 0 },
        { SDLK_DELETE, 0, true, false, kWmKeyDown, kVkDelete, kKfExtended },
        { SDLK_F1, 0, true, false, kWmKeyDown, kVkF1, 0 },
        { SDLK_F12, 0, true, false, kWmKeyDown, kVkF1 + 11, 0 },
        { SDLK_F10, 0, true, false, kWmSysKeyDown, kVkF1 + 9, 0 },
        { SDLK_LSHIFT, KMOD_LSHIFT, true, false, kWmKeyDown, kVkShift, 0 },
        { SDLK_RCTRL, KMOD_RCTRL, true, false, kWmKeyDown, kVkControl, kKfExtended },
        { SDLK_LALT, KMOD_LALT, true, false, kWmSysKeyDown, kVkMenu, kKfAltDown },
        { SDLK_F4, KMOD_LALT, true, false, kWmSysKeyDown, kVkF1 + 3, kKfAltDown },
        { SDLK_KP_3, 0, true, false, kWmKeyDown, kVkNumpad0 + 3, 0 },
        { SDLK_SEMICOLON, 0, true, false, kWmKeyDown, kVkOemSemicolon, 0 },
    };
    for (const Case& c : cases)
        PushKey(c.down, c.key, c.mod, c.repeat);
    PushKey(true, SDLK_UNKNOWN); // nothing to report
    Pump();
    auto input = Input();
    ASSERT_EQ(input.size(), std::size(cases));
    for (size_t i = 0; i < input.size(); ++i) {
        SCOPED_TRACE(SDL_GetKeyName(cases[i].key));
        EXPECT_EQ(input[i].message, cases[i].message);
        EXPECT_EQ(input[i].key, cases[i].vk);
        EXPECT_EQ(input[i].keyFlags, cases[i].flags);
        EXPECT_EQ(input[i].repeat, 1u);
    }
}

TEST_F(WindowTest, TypedTextArrivesAsGbkBytesOneCharacterEventEach)
{
    PushText(u8"确A");
    PushText(u8"\U0001F600"); // no such character in GBK
    Pump();
    auto input = Input();
    std::string bytes;
    for (const WindowEvent& e : input) {
        EXPECT_EQ(e.message, kWmChar);
        bytes += static_cast<char>(e.key);
    }
    EXPECT_EQ(bytes, "确A?");
}

TEST_F(WindowTest, HandlersMayDestroyTheWindowMidDelivery)
{
    window.SetEventHandler([this](const WindowEvent& e) {
        events.push_back(e);
        if (e.message == kWmChar)
            window.Destroy();
    });
    PushText(u8"确定");
    PushMouseMotion(1, 1);
    Pump();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].message, kWmChar);
    EXPECT_EQ(events[1].message, kWmDestroy);
    EXPECT_FALSE(window.IsCreated());
}

TEST_F(WindowTest, SizeMinimiseFocusAndCloseBecomeWindowEvents)
{
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 400, 300);
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 400, 300); // the same size again: nothing
    Pump();
    auto input = Input();
    ASSERT_EQ(input.size(), 1u);
    EXPECT_EQ(input[0].message, kWmSize);
    EXPECT_EQ(input[0].sizeKind, kSizeRestored);
    EXPECT_EQ(input[0].width, 400);
    EXPECT_EQ(input[0].height, 300);
    EXPECT_EQ(events.back().message, kWmPaint); // a new size is painted
    EXPECT_EQ(window.ClientWidth(), 400);

    events.clear();
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    Pump();
    EXPECT_TRUE(window.IsMinimized());
    ASSERT_EQ(events.size(), 1u); // no paint while minimised
    EXPECT_EQ(events[0].message, kWmSize);
    EXPECT_EQ(events[0].sizeKind, kSizeMinimized);
    EXPECT_EQ(events[0].width, 0);
    EXPECT_EQ(events[0].height, 0);

    events.clear();
    PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    Pump();
    EXPECT_FALSE(window.IsMinimized());
    input = Input();
    ASSERT_EQ(input.size(), 4u);
    EXPECT_EQ(input[0].message, kWmSize);
    EXPECT_EQ(input[0].width, 400);
    EXPECT_EQ(input[1].message, kWmSetFocus);
    EXPECT_EQ(input[2].message, kWmKillFocus);
    EXPECT_EQ(input[3].message, kWmClose);
    EXPECT_TRUE(window.IsCreated()); // closing is the handler's decision

    events.clear();
    window.Invalidate();
    window.Invalidate();
    Pump();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kWmPaint);

    events.clear();
    PushWindowEvent(SDL_WINDOWEVENT_LEAVE);
    Pump();
    ASSERT_EQ(Input().size(), 1u);
    EXPECT_EQ(Input()[0].message, kWmMouseLeave);
}

// A paint carries the part asked for: several parts collapse into the
// smallest rectangle holding them all, and the window system's own request
// (or a plain Invalidate) makes it the whole client area.
TEST_F(WindowTest, PaintsCarryTheAreaThatChanged)
{
    struct Case {
        const char* name;
        std::vector<Rect> parts;
        bool whole;
        bool exposed;
        Rect expected;
    };
    const Case cases[] = {
        { "one part", { { 10, 20, 30, 40 } }, false, false, { 10, 20, 30, 40 } },
        { "two parts", { { 10, 20, 30, 40 }, { 100, 5, 110, 25 } }, false, false, { 10, 5, 110, 40 } },
        { "an empty part is none", { { 10, 20, 30, 40 }, { 50, 50, 50, 60 } }, false, false, { 10, 20, 30, 40 } },
        { "a part and the whole", { { 10, 20, 30, 40 } }, true, false, { 0, 0, 320, 240 } },
        { "a part and an expose", { { 10, 20, 30, 40 } }, false, true, { 0, 0, 320, 240 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        for (const Rect& part : c.parts)
            window.Invalidate(part);
        if (c.whole)
            window.Invalidate();
        if (c.exposed)
            PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
        Pump();
        std::vector<WindowEvent> paints;
        for (const WindowEvent& e : events)
            if (e.message == kWmPaint)
                paints.push_back(e);
        ASSERT_EQ(paints.size(), 1u);
        EXPECT_EQ((Rect { paints[0].x, paints[0].y, paints[0].x + paints[0].width, paints[0].y + paints[0].height }),
            c.expected);
    }
    events.clear();
    window.Invalidate(Rect { 5, 5, 5, 9 });
    Pump();
    EXPECT_TRUE(events.empty()) << "nothing to show, no paint";
}

TEST_F(WindowTest, ClipboardTextIsGbkAtTheEdge)
{
    ASSERT_TRUE(SetClipboardText("复制玩家名 abc"));
    std::string text;
    ASSERT_TRUE(GetClipboardText(text));
    EXPECT_EQ(text, "复制玩家名 abc");
    ASSERT_TRUE(SetClipboardText(""));
    EXPECT_FALSE(GetClipboardText(text));
}

TEST_F(WindowTest, CursorsCaptureAndClipping)
{
    CursorHandle arrow = LoadSystemCursor(SystemCursor::kArrow);
    CursorHandle hand = LoadSystemCursor(SystemCursor::kHand);
    ASSERT_NE(arrow, nullptr);
    EXPECT_NE(arrow, hand);
    EXPECT_EQ(hand, LoadSystemCursor(SystemCursor::kHand));
    SetCursor(hand);
    EXPECT_EQ(GetCursor(), hand);
    SetCursor(nullptr);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(ShowCursor(true), 0);

    window.SetCapture();
    EXPECT_TRUE(window.HasCapture());
    window.ReleaseCapture();
    EXPECT_FALSE(window.HasCapture());

    Rect clip = window.ScreenRect();
    clip.right = clip.left + 10;
    window.ClipCursor(clip);
    EXPECT_EQ(window.GetClipCursor(), clip);
    window.ClipCursor(std::nullopt);
    EXPECT_FALSE(window.GetClipCursor().has_value());
    window.SetImeRect({ 5, 5, 6, 20 });
}

TEST(MessageBox, TestModeLogsAndAnswersAsTold)
{
    SetMessageBoxAnswer(kIdYes);
    EXPECT_EQ(MessageBox(nullptr, "该程序必须从游戏大厅中启动", "提示", kMbYesNo | kMbIconInformation), kIdYes);
    SetMessageBoxAnswer(kIdCancel);
    EXPECT_EQ(MessageBox(nullptr, "second", "", kMbOkCancel), kIdCancel);
    SetMessageBoxAnswer(std::nullopt);
    auto log = TakeMessageBoxLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].text, "该程序必须从游戏大厅中启动");
    EXPECT_EQ(log[0].caption, "提示");
    EXPECT_EQ(log[0].type, kMbYesNo | kMbIconInformation);
    EXPECT_EQ(log[0].answer, kIdYes);
    EXPECT_EQ(log[1].answer, kIdCancel);
    EXPECT_TRUE(TakeMessageBoxLog().empty());
}

} // namespace
