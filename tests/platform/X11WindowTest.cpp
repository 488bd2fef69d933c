// The small X11 window of a thread of its own: without a display it cannot
// be made; on a display (under xvfb-run) it shows centred, its pixels are
// the buffer's, an uncovered window asks to be presented again, and hiding
// takes it off the screen.

#include "platform/X11Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 24;

TEST(X11WindowTest, NoDisplayNoWindow)
{
    const char* display = std::getenv("DISPLAY");
    const std::optional<std::string> saved = display ? std::optional<std::string>(display) : std::nullopt;
    setenv("DISPLAY", ":kbzn-none", 1);
    platform::X11Window window;
    EXPECT_FALSE(window.Create(kWidth, kHeight, "kbzn-test", ""));
    EXPECT_FALSE(window.IsCreated());
    EXPECT_EQ(window.ConnectionFd(), -1);
    EXPECT_FALSE(window.ProcessEvents());
    window.Show(); // harmless without a window
    EXPECT_FALSE(window.IsShown());
    if (saved)
        setenv("DISPLAY", saved->c_str(), 1);
    else
        unsetenv("DISPLAY");
}

class X11WindowDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name || !(m_display = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "no X display (the test runs under xvfb-run)";
        // A pattern whose channels all differ, so a swapped channel shows.
        m_pixels.resize(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                m_pixels[static_cast<size_t>(y) * kWidth + x] = 0xFF000000u | (x * 6) << 16 | (y * 10) << 8 | 0x40;
    }
    void TearDown() override
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    XWindowAttributes Attributes(unsigned long window) const
    {
        XWindowAttributes attributes {};
        XGetWindowAttributes(m_display, window, &attributes);
        return attributes;
    }
    // Waits (up to 20 s) for the window server to report the map state.
    bool AwaitMapState(unsigned long window, int state) const
    {
        for (int i = 0; i < 2000; ++i) {
            if (Attributes(window).map_state == state)
                return true;
            usleep(10000);
        }
        return false;
    }
    // The window's pixels as 0xRRGGBB.
    std::vector<uint32_t> Read(unsigned long window) const
    {
        std::vector<uint32_t> out;
        XImage* image = XGetImage(m_display, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image)
            return out;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                // Xvfb's 24-bit visual: red, green, blue masks 0xff0000, 0xff00, 0xff.
                out.push_back(static_cast<uint32_t>(p & 0xFFFFFF));
            }
        }
        XDestroyImage(image);
        return out;
    }
    // Presents the pixels and waits (up to 5 s) until the server shows them:
    // the window's own connection and the test's reach the server in no set
    // order, and an expose that arrives late clears the window, so the
    // window repaints on every expose it hears, as the wait dialog does.
    std::vector<uint32_t> PresentAndRead(platform::X11Window& window, unsigned long id) const
    {
        std::vector<uint32_t> shown;
        window.Present(m_pixels.data(), kWidth, kHeight);
        for (int i = 0; i < 500; ++i) {
            shown = Read(id);
            if (shown == Expected())
                break;
            if (window.ProcessEvents())
                window.Present(m_pixels.data(), kWidth, kHeight);
            usleep(10000);
        }
        return shown;
    }
    std::vector<uint32_t> Expected() const
    {
        std::vector<uint32_t> out;
        for (uint32_t p : m_pixels)
            out.push_back(p & 0xFFFFFF);
        return out;
    }

    Display* m_display = nullptr;
    std::vector<uint32_t> m_pixels;
};

TEST_F(X11WindowDisplayTest, ShowsTheBufferCentredAndRepaintsWhenUncovered)
{
    platform::X11Window window;
    ASSERT_TRUE(window.Create(kWidth, kHeight, "kbzn-test", "等待"));
    const unsigned long id = window.NativeId();
    EXPECT_EQ(Attributes(id).map_state, IsUnmapped); // made hidden

    window.Show();
    ASSERT_TRUE(AwaitMapState(id, IsViewable));
    window.ProcessEvents();
    EXPECT_EQ(PresentAndRead(window, id), Expected());

    int x = 0, y = 0;
    Window child = 0;
    ASSERT_TRUE(XTranslateCoordinates(m_display, id, DefaultRootWindow(m_display), 0, 0, &x, &y, &child));
    EXPECT_EQ(x, (DisplayWidth(m_display, DefaultScreen(m_display)) - kWidth) / 2);
    EXPECT_EQ(y, (DisplayHeight(m_display, DefaultScreen(m_display)) - kHeight) / 2);

    // Another window over it and away again: the window hears that it was
    // uncovered and, presented again, shows its pixels.
    XSetWindowAttributes over {};
    over.override_redirect = True;
    over.background_pixel = BlackPixel(m_display, DefaultScreen(m_display));
    const Window cover = XCreateWindow(m_display, DefaultRootWindow(m_display), x - 5, y - 5, kWidth + 10,
        kHeight + 10, 0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &over);
    XMapRaised(m_display, cover);
    XSync(m_display, False);
    ASSERT_TRUE(AwaitMapState(cover, IsViewable));
    XDestroyWindow(m_display, cover);
    XSync(m_display, False);
    bool exposed = false;
    for (int i = 0; i < 2000 && !exposed; ++i) {
        exposed = window.ProcessEvents();
        if (!exposed)
            usleep(10000);
    }
    EXPECT_TRUE(exposed);
    EXPECT_EQ(PresentAndRead(window, id), Expected());

    window.Hide();
    EXPECT_FALSE(window.IsShown());
    EXPECT_TRUE(AwaitMapState(id, IsUnmapped));
    window.Present(m_pixels.data(), kWidth, kHeight); // nothing while hidden
}

} // namespace
