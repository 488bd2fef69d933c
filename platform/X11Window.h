#pragma once
// A small top-level window straight on the X server, with a display
// connection of its own, for a thread that is not the user-interface thread
// and must keep something painted while that thread is blocked. The window
// takes no keyboard focus, has no decorations, stays above normal windows
// and out of the task bar, and is centred on the screen whenever it is
// shown. Its contents come from a 32-bit pixel buffer the caller composes.
//
// One thread only: the thread that created it (the connection is its own,
// so it never meets the user-interface thread's connection).

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class X11Window {
public:
    X11Window();
    ~X11Window(); // Destroy()
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Connects to the display ($DISPLAY) and creates the window, hidden.
    // className names the window to the window manager and to tools that
    // look for it (WM_CLASS); title is GBK. False without a display.
    bool Create(int width, int height, const std::string& className, const std::string& title);
    void Destroy();
    bool IsCreated() const { return m_impl != nullptr; }

    // The X window id (0 without a window).
    unsigned long NativeId() const;
    // The connection's descriptor, readable when the server sent something
    // (-1 without a window). Call HasQueuedEvents before waiting on it:
    // events already read into the connection's queue do not wake it.
    int ConnectionFd() const;
    bool HasQueuedEvents() const;

    // Centres the window on the screen, maps it and raises it above the
    // others; a shown window is only raised.
    void Show();
    void Hide();
    bool IsShown() const;

    // Copies the pixels (width x height, rows from the top, each pixel
    // 0xAARRGGBB, i.e. bytes blue, green, red, alpha) to the window from its
    // top-left corner. Nothing while hidden; the caller presents again when
    // ProcessEvents says the window was exposed.
    void Present(const uint32_t* pixels, int width, int height);

    // Handles every event that has arrived without waiting; true when part
    // of the window was uncovered and must be presented again.
    bool ProcessEvents();

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
