// The wait dialog on a real X server (run under xvfb-run; skipped without a
// display): the application's communication thread shows it over the skin
// while the user-interface thread is blocked in a request the server does
// not answer, and two pictures of its window taken meanwhile show the text,
// the skin's picture and the bar, moved on between the two.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/WaitDialog.h"

#include "platform/Files.h"
#include "platform/Resolver.h"
#include "tests/frame/core/WaitSkin.h"
#include "tools/scripted/ScriptedServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;

namespace {

// A picture of a window: 0xRRGGBB per pixel, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
    bool takenWhileBlocked = false;

    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
    std::array<uint32_t, 6> Bands() const
    {
        const WaitDialog::Rect& bar = WaitDialog::kBarRect;
        const int band = bar.width / 6;
        std::array<uint32_t, 6> out {};
        for (int i = 0; i < 6; ++i)
            out[i] = At(bar.x + band * i + band / 2, bar.y + bar.height / 2);
        return out;
    }
};

int ChannelOf(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask >> shift & 1))
        ++shift;
    const unsigned long bits = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / bits);
}

// The viewable top-level window of the wait dialog (0: none yet).
Window FindDialog(Display* display)
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XClassHint hint {};
        if (!XGetClassHint(display, children[i], &hint))
            continue;
        XWindowAttributes attributes {};
        if (std::string(hint.res_name) == WaitDialog::kWindowClass && XGetWindowAttributes(display, children[i], &attributes)
            && attributes.map_state == IsViewable)
            found = children[i];
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    if (children)
        XFree(children);
    return found;
}

bool Capture(Display* display, Window window, Picture& out)
{
    XImage* image = XGetImage(display, window, 0, 0, WaitDialog::kWidth, WaitDialog::kHeight, AllPlanes, ZPixmap);
    if (!image)
        return false;
    out.width = WaitDialog::kWidth;
    out.height = WaitDialog::kHeight;
    out.rgb.resize(static_cast<size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            out.rgb[static_cast<size_t>(y) * out.width + x] = static_cast<uint32_t>(ChannelOf(p, image->red_mask) << 16
                | ChannelOf(p, image->green_mask) << 8 | ChannelOf(p, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return true;
}

int Brightness(uint32_t rgb)
{
    return static_cast<int>((rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF));
}

// 0x00BBGGRR as 0xRRGGBB.
uint32_t Rgb(uint32_t colour)
{
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// The bands turned k places to the right.
std::array<uint32_t, 6> Rotated(std::array<uint32_t, 6> bands, int k)
{
    std::rotate(bands.rbegin(), bands.rbegin() + k, bands.rend());
    return bands;
}

// How far the bar has turned from its starting colours (-1: not the bar).
int TurnOf(const std::array<uint32_t, 6>& painted, const std::array<uint32_t, 6>& start)
{
    for (int k = 0; k < 6; ++k)
        if (Rotated(start, k) == painted)
            return k;
    return -1;
}

class X11App : public CGameFrameApp {
public:
    X11App()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }

protected:
    int RunLoop() override { return 0; }
};

class WaitDialogX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name || !(m_display = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "no X display (the test runs under xvfb-run)";
        // The application's own windows stay off the screen: the dialog
        // talks to the X server by itself.
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        platform::SetHostResolver([](const std::string&, in_addr&) { return false; });
        m_root = fs::temp_directory_path() / ("kbzn_waitx_" + std::to_string(getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "program");
        fs::create_directories(m_root / "system");
        platform::SetExecutableDir((m_root / "program").string() + "/");
        setenv("KBZN_SYSTEM_DIR", (m_root / "system").c_str(), 1);
    }
    void TearDown() override
    {
        if (!m_display)
            return;
        XCloseDisplay(m_display);
        platform::SetExecutableDir("");
        unsetenv("KBZN_SYSTEM_DIR");
        platform::SetHostResolver(nullptr);
        fs::remove_all(m_root);
    }

    // Pictures until one satisfies done; false after 20 s.
    template <class Done> bool Photograph(Picture& out, Done done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            const Window window = FindDialog(m_display);
            if (window && Capture(m_display, window, out) && done(out)) {
                m_window = window;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    Display* m_display = nullptr;
    Window m_window = 0;
    fs::path m_root;
};

TEST_F(WaitDialogX11Test, PaintsWhileTheUserInterfaceThreadWaitsForAReply)
{
    const fs::path skins = m_root / "program" / "skins";
    waitskin::WriteFile(skins / "wait.bmp", waitskin::Bmp(4, 2, waitskin::Checker()));
    waitskin::WriteSkinIni(skins, "wait.bmp", "250 200 40", "40 60 120");
    CWaitBar expected;
    expected.SetColors(250 | 200 << 8 | 40 << 16, 40 | 60 << 8 | 120 << 16);
    std::array<uint32_t, 6> start {};
    std::transform(expected.Bands().begin(), expected.Bands().end(), start.begin(), Rgb);

    tools::ScriptedServer server;
    server.SetNoAnswer(200110);
    ASSERT_TRUE(server.Start());

    X11App app; // no display factory set: the wait dialog over the skin
    ASSERT_TRUE(app.StartCommThread());
    GameConnection connection;
    connection.SetCipherKey();
    connection.SetNotifyThread(app.GetCommThread()->ThreadId());
    bool proxyFailed = false;
    ASSERT_EQ(connection.Connect("", "127.0.0.1", server.Port(), proxyFailed), 1);
    ASSERT_TRUE(server.WaitForHello(10000));

    app.ShowWaitText("正在进入房间......", true);
    std::atomic<bool> returned { false };
    Picture first, second;
    bool firstTaken = false, secondTaken = false;
    std::thread photographer([&] {
        if (!server.WaitForRequests(1, 20000))
            return;
        // The first picture once the dialog shows its picture and its bar.
        firstTaken = Photograph(first, [&](const Picture& p) {
            return p.At(2, 2) == waitskin::Checker()[0] && TurnOf(p.Bands(), start) >= 0;
        });
        first.takenWhileBlocked = !returned;
        // The second once the bar has moved on.
        secondTaken = firstTaken && Photograph(second, [&](const Picture& p) {
            return TurnOf(p.Bands(), start) >= 0 && p.Bands() != first.Bands();
        });
        second.takenWhileBlocked = !returned;
        // Now the server answers, and the user-interface thread goes on.
        server.SendReply(server.Requests().front().wireMessageId, 0, "");
    });

    std::string text;
    RequestReply reply;
    const uint8_t body[16] = {};
    const int result = connection.Request(text, 200110, body, sizeof body, reply, true);
    returned = true;
    photographer.join();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(reply.code, 0u);
    ASSERT_TRUE(firstTaken);
    ASSERT_TRUE(secondTaken);
    EXPECT_TRUE(first.takenWhileBlocked);
    EXPECT_TRUE(second.takenWhileBlocked);

    // The bar moved on; every band is one of the skin's bar colours in order.
    const int turn1 = TurnOf(first.Bands(), start);
    const int turn2 = TurnOf(second.Bands(), start);
    EXPECT_NE(turn1, turn2);
    // The picture stretched over the window: each corner its own colour.
    const auto& checker = waitskin::Checker();
    for (const Picture* p : { &first, &second }) {
        EXPECT_EQ(p->At(2, 2), checker[0]);
        EXPECT_EQ(p->At(WaitDialog::kWidth - 3, 2), checker[3]);
        EXPECT_EQ(p->At(2, WaitDialog::kHeight - 3), checker[4]);
        EXPECT_EQ(p->At(WaitDialog::kWidth - 3, WaitDialog::kHeight - 3), checker[7]);
        // Dark text in its box: pixels well below the picture behind them.
        const WaitDialog::Rect& box = WaitDialog::kTextRect;
        int ink = 0;
        for (int y = box.y; y < box.y + WaitDialog::kFontSize; ++y) {
            for (int x = box.x; x < box.x + 100; ++x) {
                const uint32_t behind = checker[static_cast<size_t>(y * 2 / WaitDialog::kHeight * 4 + x * 4 / WaitDialog::kWidth)];
                ink += Brightness(p->At(x, y)) + 120 < Brightness(behind);
            }
        }
        EXPECT_GT(ink, 30);
    }

    // Centred on the 1024 x 768 screen that xvfb-run gives.
    int x = 0, y = 0;
    Window child = 0;
    ASSERT_TRUE(XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child));
    EXPECT_EQ(x, (DisplayWidth(m_display, DefaultScreen(m_display)) - WaitDialog::kWidth) / 2);
    EXPECT_EQ(y, (DisplayHeight(m_display, DefaultScreen(m_display)) - WaitDialog::kHeight) / 2);

    // Hidden on request: the window goes from the screen.
    app.ShowWaitText("", false);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FindDialog(m_display) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(FindDialog(m_display), 0u);
    app.StopCommThread();
    connection.Close();
}

} // namespace
