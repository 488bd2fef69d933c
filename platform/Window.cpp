#include "platform/Window.h"

#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/Gbk.h"
#include "platform/HandleSpace.h"
#include "platform/SdlKeys.h"
#include "platform/SdlVideo.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

// A message sent from another thread, waiting for the loop to run it. The
// sender owns the record (on its stack) and waits until done is set.
struct SentRecord {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    intptr_t result = 0;
    bool started = false; // the loop has taken it: it can no longer be withdrawn
    bool handled = false; // done by the window, not dropped with it
    bool done = false;
};

} // namespace

// What other threads may reach of a window: its queues, under the lock.
// The window pointer is read and cleared only on the user-interface thread.
struct Window::Shared {
    std::mutex lock;
    std::condition_variable sentDone;
    std::deque<Message> posted;
    std::deque<SentRecord*> sent;
    bool alive = true;
    Window* window = nullptr;
};

namespace {

std::mutex g_registryLock;
std::unordered_map<WindowHandle, std::shared_ptr<Window::Shared>> g_registry;

// The windows of the user-interface thread, in creation order.
std::vector<Window*> g_windows;

std::shared_ptr<Window::Shared> Find(WindowHandle handle)
{
    std::lock_guard lock(g_registryLock);
    auto it = g_registry.find(handle);
    return it == g_registry.end() ? nullptr : it->second;
}

bool TimeReached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

// A list the loop's steps walk, kept from one turn to the next so that an
// idle turn allocates nothing. A handler may run a loop of its own (a modal
// box) inside a step: each nesting level takes a list of its own from the
// pool.
template <typename T>
class ScratchList {
public:
    ScratchList()
    {
        auto& pool = Pool();
        if (!pool.empty()) {
            m_items = std::move(pool.back());
            pool.pop_back();
        }
        m_items.clear();
    }
    ~ScratchList() { Pool().push_back(std::move(m_items)); }
    ScratchList(const ScratchList&) = delete;
    ScratchList& operator=(const ScratchList&) = delete;
    std::vector<T>& Items() { return m_items; }

private:
    static std::vector<std::vector<T>>& Pool()
    {
        thread_local std::vector<std::vector<T>> pool;
        return pool;
    }
    std::vector<T> m_items;
};

// The handles of the thread's windows as the step begins: a handler may
// create or destroy windows while the step walks them.
struct WindowHandles : ScratchList<WindowHandle> {
    WindowHandles()
    {
        for (Window* w : g_windows)
            Items().push_back(w->Handle());
    }
};

Window* FindLocal(WindowHandle handle)
{
    for (Window* w : g_windows)
        if (w->Handle() == handle)
            return w;
    return nullptr;
}

} // namespace

Window::Window() = default;

Window::~Window() { Destroy(); }

void Window::SetEventHandler(EventHandler handler) { m_onEvent = std::move(handler); }

void Window::SetMessageHandler(MessageHandler handler) { m_onMessage = std::move(handler); }

bool Window::Create(std::string_view title, int width, int height, uint32_t style)
{
    if (m_sdl || width <= 0 || height <= 0)
        return false;
    if (!SdlVideo::Acquire())
        return false;
    Uint32 flags = SDL_WINDOW_HIDDEN | ((style & kWindowResizable) ? SDL_WINDOW_RESIZABLE : 0)
        | ((style & kWindowBorderless) ? SDL_WINDOW_BORDERLESS : 0);
    std::string utf8 = Gbk::ToUtf8(title);
    m_sdl = SDL_CreateWindow(utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!m_sdl) {
        SDL_Log("platform: cannot create a window: %s", SDL_GetError());
        SdlVideo::Release();
        return false;
    }
    SdlVideo::NoteWindow(m_sdl);
    m_width = width;
    m_height = height;
    m_shared = std::make_shared<Shared>();
    m_shared->window = this;
    {
        std::lock_guard lock(g_registryLock);
        m_handle = HandleSpace::Desktop().Allocate();
        g_registry[m_handle] = m_shared;
    }
    g_windows.push_back(this);
    ApplyCursorState();
    EmitSize(kSizeRestored);
    return true;
}

void Window::Destroy()
{
    if (!m_sdl || m_destroying)
        return;
    m_destroying = true;
    auto shared = m_shared;
    WindowEvent destroy;
    destroy.message = kWmDestroy;
    if (m_onEvent) {
        EventHandler handler = m_onEvent;
        handler(destroy);
    }
    {
        std::lock_guard lock(g_registryLock);
        g_registry.erase(m_handle);
    }
    std::deque<Message> dropped;
    {
        std::lock_guard lock(shared->lock);
        shared->alive = false;
        shared->window = nullptr;
        dropped.swap(shared->posted);
        for (SentRecord* record : shared->sent) {
            record->result = 0;
            record->done = true;
        }
        shared->sent.clear();
    }
    shared->sentDone.notify_all();
    for (const Message& m : dropped)
        if (m.disposer)
            m.disposer(m);
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), this), g_windows.end());
    m_timers.clear();
    if (m_capture)
        SDL_CaptureMouse(SDL_FALSE);
    m_capture = false;
    SDL_DestroyWindow(m_sdl);
    m_sdl = nullptr;
    m_shared.reset();
    m_handle = 0;
    m_paintPending = false;
    m_minimized = false;
    m_buttons = 0;
    m_keyMods = 0;
    m_clip.reset();
    m_destroying = false;
    SdlVideo::Release();
}

void Window::Show(ShowCommand command)
{
    if (!m_sdl)
        return;
    switch (command) {
    case ShowCommand::kShow:
        SDL_ShowWindow(m_sdl);
        break;
    case ShowCommand::kHide:
        SDL_HideWindow(m_sdl);
        break;
    case ShowCommand::kMinimize:
        SDL_MinimizeWindow(m_sdl);
        break;
    case ShowCommand::kRestore:
        SDL_RestoreWindow(m_sdl);
        break;
    case ShowCommand::kMaximize:
        SDL_MaximizeWindow(m_sdl);
        break;
    }
    InvalidateWhole();
}

bool Window::IsVisible() const { return m_sdl && (SDL_GetWindowFlags(m_sdl) & SDL_WINDOW_SHOWN); }

bool Window::IsMinimized() const
{
    return m_sdl && (m_minimized || (SDL_GetWindowFlags(m_sdl) & SDL_WINDOW_MINIMIZED));
}

void Window::SetTitle(std::string_view title)
{
    if (m_sdl)
        SDL_SetWindowTitle(m_sdl, Gbk::ToUtf8(title).c_str());
}

std::string Window::Title() const { return m_sdl ? Gbk::FromUtf8(SDL_GetWindowTitle(m_sdl)) : std::string(); }

void Window::SetClientSize(int width, int height)
{
    if (!m_sdl || width <= 0 || height <= 0)
        return;
    SDL_SetWindowSize(m_sdl, width, height);
    // Drivers without a window manager report no size change; take the
    // size from the window itself so the size event is never lost.
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(m_sdl, &w, &h);
    if (w != m_width || h != m_height) {
        m_width = w;
        m_height = h;
        InvalidateWhole();
        EmitSize(kSizeRestored);
    }
}

void Window::SetPosition(int x, int y)
{
    if (m_sdl)
        SDL_SetWindowPosition(m_sdl, x, y);
}

void Window::SetBounds(const Rect& screenRect)
{
    if (!m_sdl)
        return;
    SetPosition(screenRect.left, screenRect.top);
    SetClientSize(screenRect.Width(), screenRect.Height());
}

void Window::BringToFront()
{
    if (!m_sdl)
        return;
    ++m_broughtToFront;
    SDL_RaiseWindow(m_sdl);
}

Point Window::Position() const
{
    Point p;
    if (m_sdl)
        SDL_GetWindowPosition(m_sdl, &p.x, &p.y);
    return p;
}

Point Window::ClientToScreen(Point client) const
{
    Point origin = Position();
    return { client.x + origin.x, client.y + origin.y };
}

Point Window::ScreenToClient(Point screen) const
{
    Point origin = Position();
    return { screen.x - origin.x, screen.y - origin.y };
}

Rect Window::ScreenRect() const
{
    Point origin = Position();
    return { origin.x, origin.y, origin.x + m_width, origin.y + m_height };
}

bool Window::SetTimer(uint32_t timerId, uint32_t intervalMs, TimerCallback callback)
{
    if (!m_sdl || intervalMs == 0 || !callback)
        return false;
    uint32_t due = TickMs() + intervalMs;
    for (Timer& t : m_timers) {
        if (t.id == timerId) {
            t.interval = intervalMs;
            t.due = due;
            t.callback = std::move(callback);
            return true;
        }
    }
    m_timers.push_back({ timerId, intervalMs, due, std::move(callback) });
    return true;
}

bool Window::KillTimer(uint32_t timerId)
{
    auto it = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.id == timerId; });
    if (it == m_timers.end())
        return false;
    m_timers.erase(it);
    return true;
}

bool Window::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, MessageDisposer disposer)
{
    return platform::PostMessage(m_handle, message, wParam, lParam, disposer);
}

intptr_t Window::SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return platform::SendMessage(m_handle, message, wParam, lParam);
}

bool Window::Present(const uint8_t* pixels, int width, int height, int strideBytes, const Rect* area)
{
    if (!m_sdl || !pixels || width <= 0 || height <= 0 || strideBytes < width * 4)
        return false;
    SDL_Surface* surface = SDL_GetWindowSurface(m_sdl);
    if (!surface)
        return false;
    Rect r { 0, 0, std::min(width, surface->w), std::min(height, surface->h) };
    if (area) {
        r.left = std::max(r.left, area->left);
        r.top = std::max(r.top, area->top);
        r.right = std::min(r.right, area->right);
        r.bottom = std::min(r.bottom, area->bottom);
    }
    if (r.Empty())
        return true;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return false;
    const uint8_t* src = pixels + static_cast<size_t>(r.top) * strideBytes + static_cast<size_t>(r.left) * 4;
    uint8_t* dst = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(r.top) * surface->pitch
        + static_cast<size_t>(r.left) * surface->format->BytesPerPixel;
    // ARGB8888 words on a little-endian machine are the bytes B, G, R, A.
    int converted = SDL_ConvertPixels(r.Width(), r.Height(), SDL_PIXELFORMAT_ARGB8888, src, strideBytes,
        surface->format->format, dst, surface->pitch);
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    if (converted != 0)
        return false;
    SDL_Rect rect { r.left, r.top, r.Width(), r.Height() };
    return SDL_UpdateWindowSurfaceRects(m_sdl, &rect, 1) == 0;
}

void Window::Invalidate()
{
    if (!m_sdl)
        return;
    InvalidateWhole();
}

void Window::Invalidate(const Rect& area)
{
    if (!m_sdl || area.Empty())
        return;
    if (!m_paintPending) {
        m_paintPending = true;
        m_paintWhole = false;
        m_paintArea = area;
        return;
    }
    if (m_paintWhole)
        return;
    m_paintArea.left = std::min(m_paintArea.left, area.left);
    m_paintArea.top = std::min(m_paintArea.top, area.top);
    m_paintArea.right = std::max(m_paintArea.right, area.right);
    m_paintArea.bottom = std::max(m_paintArea.bottom, area.bottom);
}

void Window::InvalidateWhole()
{
    m_paintPending = true;
    m_paintWhole = true;
}

bool Window::ReadPixels(std::vector<uint32_t>& pixels, int& width, int& height) const
{
    if (!m_sdl)
        return false;
    SDL_Surface* surface = SDL_GetWindowSurface(m_sdl);
    if (!surface)
        return false;
    width = surface->w;
    height = surface->h;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return false;
    int converted = SDL_ConvertPixels(width, height, surface->format->format, surface->pixels, surface->pitch,
        SDL_PIXELFORMAT_ARGB8888, pixels.data(), width * 4);
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    return converted == 0;
}

void Window::SetFocus()
{
    if (m_sdl)
        SDL_SetWindowInputFocus(m_sdl);
}

bool Window::HasFocus() const { return m_sdl && (SDL_GetWindowFlags(m_sdl) & SDL_WINDOW_INPUT_FOCUS); }

void Window::SetCapture()
{
    if (!m_sdl)
        return;
    m_capture = true;
    SDL_CaptureMouse(SDL_TRUE);
}

void Window::ReleaseCapture()
{
    if (!m_capture)
        return;
    m_capture = false;
    SDL_CaptureMouse(SDL_FALSE);
}

void Window::ClipCursor(std::optional<Rect> screenRect)
{
    if (!m_sdl)
        return;
    m_clip = screenRect;
    if (!screenRect) {
        SDL_SetWindowMouseRect(m_sdl, nullptr);
        return;
    }
    Point origin = Position();
    Rect r { std::max(0, screenRect->left - origin.x), std::max(0, screenRect->top - origin.y),
        std::min(m_width, screenRect->right - origin.x), std::min(m_height, screenRect->bottom - origin.y) };
    if (r.Empty()) {
        SDL_SetWindowMouseRect(m_sdl, nullptr);
        return;
    }
    SDL_Rect rect { r.left, r.top, r.Width(), r.Height() };
    SDL_SetWindowMouseRect(m_sdl, &rect);
}

void Window::SetImeRect(const Rect& client)
{
    if (!m_sdl)
        return;
    m_imeRect = client;
    SDL_Rect rect { client.left, client.top, std::max(1, client.Width()), std::max(1, client.Height()) };
    SDL_SetTextInputRect(&rect);
}

uint32_t Window::SdlWindowId() const { return m_sdl ? SDL_GetWindowID(m_sdl) : 0; }

bool Window::Emit(const WindowEvent& event)
{
    if (!m_onEvent)
        return true;
    auto shared = m_shared;
    // A copy: the handler may replace itself or destroy the window.
    EventHandler handler = m_onEvent;
    handler(event);
    return shared->window == this;
}

void Window::EmitSize(uint32_t kind)
{
    WindowEvent e;
    e.message = kWmSize;
    e.sizeKind = kind;
    if (kind != kSizeMinimized) {
        e.width = m_width;
        e.height = m_height;
    }
    Emit(e);
}

void Window::SetPoint(WindowEvent& event, int clientX, int clientY) const
{
    event.x = clientX;
    event.y = clientY;
    Point screen = ClientToScreen({ clientX, clientY });
    event.screenX = screen.x;
    event.screenY = screen.y;
}

uint32_t Window::MouseFlags() const
{
    SDL_Keymod mods = static_cast<SDL_Keymod>(SDL_GetModState() | m_keyMods);
    uint32_t flags = m_buttons;
    if (mods & KMOD_SHIFT)
        flags |= kMkShift;
    if (mods & KMOD_CTRL)
        flags |= kMkControl;
    return flags;
}

void Window::HandleWindowEvent(const SDL_Event& event)
{
    switch (event.window.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
        InvalidateWhole();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        int w = event.window.data1;
        int h = event.window.data2;
        if (w <= 0 || h <= 0 || (w == m_width && h == m_height))
            break;
        m_width = w;
        m_height = h;
        InvalidateWhole();
        EmitSize((SDL_GetWindowFlags(m_sdl) & SDL_WINDOW_MAXIMIZED) ? kSizeMaximized : kSizeRestored);
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        if (m_minimized)
            break;
        m_minimized = true;
        EmitSize(kSizeMinimized);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        m_minimized = false;
        InvalidateWhole();
        EmitSize(kSizeMaximized);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        m_minimized = false;
        InvalidateWhole();
        EmitSize(kSizeRestored);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: {
        WindowEvent e;
        e.message = kWmSetFocus;
        Emit(e);
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        m_keyMods = 0;
        WindowEvent e;
        e.message = kWmKillFocus;
        Emit(e);
        break;
    }
    case SDL_WINDOWEVENT_CLOSE: {
        WindowEvent e;
        e.message = kWmClose;
        Emit(e);
        break;
    }
    case SDL_WINDOWEVENT_LEAVE: {
        WindowEvent e;
        e.message = kWmMouseLeave;
        Emit(e);
        break;
    }
    default:
        break;
    }
}

void Window::HandleSdlEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event);
        break;
    case SDL_MOUSEMOTION: {
        WindowEvent cursor;
        cursor.message = kWmSetCursor;
        if (!Emit(cursor))
            return;
        WindowEvent e;
        e.message = kWmMouseMove;
        SetPoint(e, event.motion.x, event.motion.y);
        e.keyFlags = MouseFlags();
        Emit(e);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        uint32_t bit = 0;
        WindowEvent e;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT:
            bit = kMkLButton;
            e.message = down ? kWmLButtonDown : kWmLButtonUp;
            break;
        case SDL_BUTTON_RIGHT:
            bit = kMkRButton;
            e.message = down ? kWmRButtonDown : kWmRButtonUp;
            break;
        case SDL_BUTTON_MIDDLE:
            bit = kMkMButton;
            e.message = down ? kWmMButtonDown : kWmMButtonUp;
            break;
        default:
            return;
        }
        if (down)
            m_buttons |= bit;
        else
            m_buttons &= ~bit;
        SetPoint(e, event.button.x, event.button.y);
        e.keyFlags = MouseFlags();
        Emit(e);
        break;
    }
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches == 0)
            break;
        WindowEvent e;
        e.message = kWmMouseWheel;
        SetPoint(e, event.wheel.mouseX, event.wheel.mouseY);
        e.wheelDelta = notches * kWheelDelta;
        e.keyFlags = MouseFlags();
        Emit(e);
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        bool down = event.type == SDL_KEYDOWN;
        const SDL_Keysym& key = event.key.keysym;
        m_keyMods = key.mod;
        uint32_t vk = VirtualKeyFromSdl(key.sym, key.scancode);
        if (vk == 0)
            break;
        bool alt = (key.mod & KMOD_ALT) != 0 || vk == kVkMenu;
        WindowEvent e;
        // With Alt held (and for F10) the system reports system keys, which
        // the engine leaves alone.
        bool system = alt || vk == kVkF1 + 9;
        e.message = down ? (system ? kWmSysKeyDown : kWmKeyDown) : (system ? kWmSysKeyUp : kWmKeyUp);
        e.key = vk;
        e.repeat = 1;
        e.keyFlags = (IsExtendedKey(key.sym) ? kKfExtended : 0) | (alt ? kKfAltDown : 0);
        if (!down)
            e.keyFlags |= kKfUp | kKfRepeat;
        else if (event.key.repeat)
            e.keyFlags |= kKfRepeat;
        Emit(e);
        break;
    }
    case SDL_TEXTINPUT: {
        std::string gbk = Gbk::FromUtf8(event.text.text);
        for (char c : gbk) {
            WindowEvent e;
            e.message = kWmChar;
            e.key = static_cast<uint8_t>(c);
            e.repeat = 1;
            if (!Emit(e))
                return;
        }
        break;
    }
    default:
        break;
    }
}

bool Window::DispatchSdlEvent(const SDL_Event& event)
{
    uint32_t id = 0;
    switch (event.type) {
    case SDL_WINDOWEVENT: id = event.window.windowID; break;
    case SDL_MOUSEMOTION: id = event.motion.windowID; break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: id = event.button.windowID; break;
    case SDL_MOUSEWHEEL: id = event.wheel.windowID; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: id = event.key.windowID; break;
    case SDL_TEXTINPUT: id = event.text.windowID; break;
    default: return false;
    }
    Window* target = nullptr;
    for (Window* w : g_windows)
        if (w->SdlWindowId() == id)
            target = w;
    // Keys and text typed with no window focused go to the first window.
    if (!target && id == 0 && !g_windows.empty()
        && (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT))
        target = g_windows.front();
    if (!target)
        return false;
    target->HandleSdlEvent(event);
    return true;
}

bool Window::RunMessages()
{
    bool did = false;
    WindowHandles handles;
    for (WindowHandle handle : handles.Items()) {
        Window* w = FindLocal(handle);
        if (!w)
            continue;
        auto shared = w->m_shared;
        // Messages sent from other threads first, then what was posted
        // before this turn began (later posts wait for the next turn).
        for (;;) {
            SentRecord* record = nullptr;
            {
                std::lock_guard lock(shared->lock);
                if (!shared->alive || shared->sent.empty())
                    break;
                record = shared->sent.front();
                shared->sent.pop_front();
                record->started = true;
            }
            intptr_t result = 0;
            if (shared->window && shared->window->m_onMessage) {
                auto handler = shared->window->m_onMessage;
                result = handler(record->message, record->wParam, record->lParam);
            }
            {
                std::lock_guard lock(shared->lock);
                record->result = result;
                record->handled = true;
                record->done = true;
            }
            shared->sentDone.notify_all();
            did = true;
        }
        size_t count = 0;
        {
            std::lock_guard lock(shared->lock);
            count = shared->posted.size();
        }
        for (size_t i = 0; i < count; ++i) {
            Message m;
            {
                std::lock_guard lock(shared->lock);
                if (!shared->alive || shared->posted.empty())
                    break;
                m = shared->posted.front();
                shared->posted.pop_front();
            }
            did = true;
            if (shared->window && shared->window->m_onMessage) {
                auto handler = shared->window->m_onMessage;
                handler(m.message, m.wParam, m.lParam);
            } else if (m.disposer) {
                m.disposer(m);
            }
        }
    }
    return did;
}

bool Window::RunTimers()
{
    bool did = false;
    WindowHandles handles;
    for (WindowHandle handle : handles.Items()) {
        Window* w = FindLocal(handle);
        if (!w)
            continue;
        ScratchList<uint32_t> dueIds;
        std::vector<uint32_t>& ids = dueIds.Items();
        for (const Timer& t : w->m_timers)
            ids.push_back(t.id);
        auto shared = w->m_shared;
        for (uint32_t id : ids) {
            if (shared->window != w)
                break;
            auto it = std::find_if(w->m_timers.begin(), w->m_timers.end(), [&](const Timer& t) { return t.id == id; });
            uint32_t now = TickMs();
            if (it == w->m_timers.end() || !TimeReached(now, it->due))
                continue;
            it->due += it->interval;
            if (TimeReached(now, it->due))
                it->due = now + it->interval; // fell behind: fire once, not once per missed interval
            TimerCallback callback = it->callback;
            callback(id);
            did = true;
        }
    }
    return did;
}

bool Window::RunPaints()
{
    bool did = false;
    WindowHandles handles;
    for (WindowHandle handle : handles.Items()) {
        Window* w = FindLocal(handle);
        if (!w || !w->m_paintPending)
            continue;
        w->m_paintPending = false;
        if (w->IsMinimized())
            continue;
        WindowEvent e;
        e.message = kWmPaint;
        Rect area = w->m_paintWhole ? Rect { 0, 0, w->m_width, w->m_height } : w->m_paintArea;
        e.x = area.left;
        e.y = area.top;
        e.width = area.Width();
        e.height = area.Height();
        w->Emit(e);
        did = true;
    }
    return did;
}

int Window::MsUntilNextTimer()
{
    int best = -1;
    uint32_t now = TickMs();
    for (Window* w : g_windows) {
        if (w->m_paintPending)
            return 0;
        for (const Timer& t : w->m_timers) {
            int left = TimeReached(now, t.due) ? 0 : static_cast<int>(t.due - now);
            if (best < 0 || left < best)
                best = left;
        }
    }
    return best;
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam, MessageDisposer disposer)
{
    auto shared = Find(window);
    if (!shared)
        return false;
    {
        std::lock_guard lock(shared->lock);
        if (!shared->alive)
            return false;
        shared->posted.push_back(Message { message, wParam, lParam, disposer });
    }
    SdlVideo::Wake();
    return true;
}

namespace {

// Sends from another thread: queues the record and waits for the loop,
// at most timeoutMs when one is given. False when the window went first or
// the message was withdrawn unhandled.
bool SendFromOtherThread(Window::Shared& shared, SentRecord& record, std::optional<uint32_t> timeoutMs)
{
    std::unique_lock lock(shared.lock);
    if (!shared.alive)
        return false;
    shared.sent.push_back(&record);
    lock.unlock();
    SdlVideo::Wake();
    lock.lock();
    if (timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(*timeoutMs);
        if (!shared.sentDone.wait_until(lock, deadline, [&] { return record.done || record.started; })) {
            // Not taken yet: withdraw it, so the handler never reads a
            // record the caller is about to free.
            auto it = std::find(shared.sent.begin(), shared.sent.end(), &record);
            if (it != shared.sent.end())
                shared.sent.erase(it);
            return false;
        }
    }
    // Taken (or no time-out): its lParam may point into the caller's memory,
    // so wait for the handler to finish.
    shared.sentDone.wait(lock, [&] { return record.done; });
    return record.handled;
}

} // namespace

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    intptr_t result = 0;
    SendMessageTimeout(window, message, wParam, lParam, std::nullopt, &result);
    return result;
}

bool SendMessageTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
    std::optional<uint32_t> timeoutMs, intptr_t* result)
{
    if (result)
        *result = 0;
    auto shared = Find(window);
    if (!shared)
        return false;
    if (SdlVideo::ActiveOnThisThread()) {
        Window* w = shared->window;
        if (!w || !w->m_onMessage)
            return w != nullptr;
        auto handler = w->m_onMessage;
        const intptr_t value = handler(message, wParam, lParam);
        if (result)
            *result = value;
        return true;
    }
    SentRecord record;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    if (!SendFromOtherThread(*shared, record, timeoutMs))
        return false;
    if (result)
        *result = record.result;
    return true;
}

bool IsWindow(WindowHandle window) { return Find(window) != nullptr; }

namespace {

Rect FromSdl(const SDL_Rect& r) { return { r.x, r.y, r.x + r.w, r.y + r.h }; }

} // namespace

Rect DesktopRect()
{
    SDL_Rect r {};
    if (!SdlVideo::ActiveOnThisThread() || SDL_GetDisplayBounds(0, &r) != 0)
        return {};
    return FromSdl(r);
}

Rect WorkAreaRect()
{
    SDL_Rect r {};
    if (!SdlVideo::ActiveOnThisThread() || SDL_GetDisplayUsableBounds(0, &r) != 0)
        return {};
    return FromSdl(r);
}

} // namespace platform
