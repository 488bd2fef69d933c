#pragma once
// A top-level window of the program: the surface the engine presents its
// back buffer to, and the source of its input, size, paint and focus
// events. All windows live on the one user-interface thread; that thread's
// MessageLoop delivers their events, posted and sent messages and timers.
// Other threads reach a window only through its handle (PostMessage,
// SendMessage below), so a message to a window that has gone fails instead
// of touching freed memory.

#include "platform/MessageQueue.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace platform {

// One number space for the windows of every process of the user (see
// HandleSpace): never reused until the count wraps; 0 is no window.
using WindowHandle = uint32_t;

enum class ShowCommand { kShow, kHide, kMinimize, kRestore, kMaximize };

// Window style bits for Create.
constexpr uint32_t kWindowResizable = 0x1;
constexpr uint32_t kWindowBorderless = 0x2; // no system frame or caption: the program draws its own

class Window {
public:
    // Events are delivered on the user-interface thread. The handler may
    // destroy the window; delivery stops there.
    using EventHandler = std::function<void(const WindowEvent&)>;
    // Posted and sent numeric messages; the result goes back to a sender.
    using MessageHandler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;
    using TimerCallback = std::function<void(uint32_t timerId)>;

    Window();
    ~Window(); // Destroy()
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Handlers are best set before Create: Create itself delivers the first
    // kWmSize with the initial client size.
    void SetEventHandler(EventHandler handler);
    void SetMessageHandler(MessageHandler handler);

    // Creates the window hidden, with a client area of width x height, a
    // GBK title and kWindow* style bits, centred on the screen. False when
    // the video system cannot start, the window already exists, the size is
    // not positive, or the caller is not the user-interface thread (the
    // first thread that created a window).
    bool Create(std::string_view title, int width, int height, uint32_t style = kWindowResizable);
    // Destroys the window: kWmDestroy is delivered, timers stop, messages
    // still queued are disposed and senders waiting on other threads get 0.
    void Destroy();
    bool IsCreated() const { return m_sdl != nullptr; }
    WindowHandle Handle() const { return m_handle; }

    void Show(ShowCommand command);
    bool IsVisible() const;
    bool IsMinimized() const;

    void SetTitle(std::string_view title); // GBK
    std::string Title() const;             // GBK

    void SetClientSize(int width, int height);
    int ClientWidth() const { return m_width; }
    int ClientHeight() const { return m_height; }
    // Position of the client area's top-left corner on the screen.
    void SetPosition(int x, int y);
    // Moves and sizes the client area at once (screen coordinates).
    void SetBounds(const Rect& screenRect);
    // Raises the window above the others and asks for the input focus.
    void BringToFront();
    // How often that was asked (a window manager may not show it).
    int TimesBroughtToFront() const { return m_broughtToFront; }
    Point Position() const;
    Point ClientToScreen(Point client) const;
    Point ScreenToClient(Point screen) const;
    // The client area in screen coordinates.
    Rect ScreenRect() const;

    // Timers run on the user-interface thread from the message loop, every
    // intervalMs of the platform clock (TickMs); a timer that falls behind
    // fires once, not once per missed interval. Setting an existing id
    // replaces it. False for a window not created or an interval of 0.
    bool SetTimer(uint32_t timerId, uint32_t intervalMs, TimerCallback callback);
    bool KillTimer(uint32_t timerId);

    // Queues a message for the loop (any thread; see PostMessage below).
    bool PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, MessageDisposer disposer = nullptr);
    // Runs the message handler now on the user-interface thread and returns
    // its result; from another thread see SendMessage below.
    intptr_t SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Copies a 32-bit BGRA buffer (bytes blue, green, red, alpha; rows of
    // strideBytes) to the window at (0, 0); only the part that overlaps
    // both the buffer and the client area, and within area when given
    // (client coordinates). False when there is nothing to draw on.
    bool Present(const uint8_t* pixels, int width, int height, int strideBytes, const Rect* area = nullptr);
    // Asks for a kWmPaint of the whole client area on the next loop turn
    // (several collapse into one).
    void Invalidate();
    // The same for a part of it (client coordinates): the kWmPaint carries
    // the smallest rectangle holding every part asked for since the last
    // one, or the whole client area when that was asked for too.
    void Invalidate(const Rect& area);
    // The window's current pixels as 0xAARRGGBB words (BGRA bytes), rows of
    // width; for tests and screenshots. False when unavailable.
    bool ReadPixels(std::vector<uint32_t>& pixels, int& width, int& height) const;

    // Keyboard focus and mouse capture. Capture keeps mouse events coming
    // while a button is held outside the window (best effort: headless
    // drivers have no pointer to capture).
    void SetFocus();
    bool HasFocus() const;
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const { return m_capture; }
    // Keeps the cursor inside a rectangle of the screen (the part that lies
    // in the client area); nullopt frees it.
    void ClipCursor(std::optional<Rect> screenRect);
    std::optional<Rect> GetClipCursor() const { return m_clip; }

    // Where the input method should show its composition (client
    // coordinates of the caret).
    void SetImeRect(const Rect& client);
    const Rect& GetImeRect() const { return m_imeRect; }

    // For the platform layer and tests: the SDL window and its id (what
    // SDL events carry in windowID).
    SDL_Window* SdlWindow() const { return m_sdl; }
    uint32_t SdlWindowId() const;

    struct Shared;

private:
    friend class MessageLoop;
    friend bool SendMessageTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
        std::optional<uint32_t> timeoutMs, intptr_t* result);

    struct Timer {
        uint32_t id;
        uint32_t interval;
        uint32_t due;
        TimerCallback callback;
    };

    // Message-loop steps, on the user-interface thread. Each returns true
    // when it did something.
    static bool DispatchSdlEvent(const SDL_Event& event);
    static bool RunMessages();
    static bool RunTimers();
    static bool RunPaints();
    // Milliseconds until the earliest timer of any window is due (0 when
    // one is due now), or -1 with no timer.
    static int MsUntilNextTimer();

    // Delivers an event; false when the handler destroyed the window.
    bool Emit(const WindowEvent& event);
    void HandleSdlEvent(const SDL_Event& event);
    void HandleWindowEvent(const SDL_Event& event);
    void EmitSize(uint32_t kind);
    uint32_t MouseFlags() const;
    void SetPoint(WindowEvent& event, int clientX, int clientY) const;
    void InvalidateWhole();

    SDL_Window* m_sdl = nullptr;
    Rect m_imeRect {};
    WindowHandle m_handle = 0;
    std::shared_ptr<Shared> m_shared;
    EventHandler m_onEvent;
    MessageHandler m_onMessage;
    std::vector<Timer> m_timers;
    int m_broughtToFront = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_paintPending = false;
    bool m_paintWhole = false; // with m_paintPending: the whole client area, else m_paintArea
    Rect m_paintArea {};
    bool m_minimized = false;
    bool m_capture = false;
    bool m_destroying = false;
    uint32_t m_buttons = 0;  // kMk* button bits held, from the events seen
    uint32_t m_keyMods = 0;  // SDL modifier state of the last key event
    std::optional<Rect> m_clip;
};

// Any thread. Queues the message for the window's message handler, after
// what is already queued; false when no such window exists (the caller then
// still owns what the message carries; the disposer frees it when the
// window goes before the message is handled).
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
    MessageDisposer disposer = nullptr);
// Any thread. On the user-interface thread the handler runs at once; from
// another thread the caller blocks until the loop has run it (messages sent
// from other threads are handled before posted ones). 0 when the window does
// not exist or is destroyed first. The user-interface thread must not be
// blocked waiting on the sender, or both wait for ever.
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Any thread. SendMessage whose sender from another thread waits at most
// timeoutMs (nullopt: for ever) for the loop to take the message; a message
// not taken by then is withdrawn and never handled. One already being
// handled is waited for to the end, since lParam may point into the
// sender's memory. True with the handler's result when the window handled
// it (a window without a message handler answers 0); false when the window
// does not exist, goes first, or the time ran out.
bool SendMessageTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
    std::optional<uint32_t> timeoutMs, intptr_t* result);
bool IsWindow(WindowHandle window);

// The primary screen and the part of it that windows may cover (without
// task bars and docks), in screen coordinates; empty while no window exists
// (the video system is not running). User-interface thread.
Rect DesktopRect();
Rect WorkAreaRect();

} // namespace platform
