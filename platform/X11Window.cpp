#include "platform/X11Window.h"

#include "platform/Gbk.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// The window manager hint that asks for no decorations (no frame, no
// title bar): the flags word says the decorations word is valid.
struct MotifHints {
    unsigned long flags = 2; // MWM_HINTS_DECORATIONS
    unsigned long functions = 0;
    unsigned long decorations = 0;
    long inputMode = 0;
    unsigned long status = 0;
};

// Where one 8-bit channel lands in a pixel of a true-colour visual.
struct Channel {
    unsigned long mask = 0;
    int shift = 0; // of the channel's lowest bit
    int bits = 0;

    explicit Channel(unsigned long m)
        : mask(m)
    {
        if (!m)
            return;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        while (m & 1) {
            m >>= 1;
            ++bits;
        }
    }
    unsigned long Place(uint32_t value8) const
    {
        if (!bits)
            return 0;
        const unsigned long scaled = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
        return (scaled << shift) & mask;
    }
};

} // namespace

struct X11Window::Impl {
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    int screen = 0;
    int width = 0;
    int height = 0;
    bool shown = false;
    Atom deleteWindow = None;
    XImage* image = nullptr; // data malloc'ed, freed by XDestroyImage

    ~Impl()
    {
        if (image)
            XDestroyImage(image);
        if (gc)
            XFreeGC(display, gc);
        if (window)
            XDestroyWindow(display, window);
        if (display)
            XCloseDisplay(display);
    }

    Atom Intern(const char* name) const { return XInternAtom(display, name, False); }

    void SetAtomList(const char* property, std::initializer_list<const char*> values) const
    {
        Atom atoms[8];
        int count = 0;
        for (const char* value : values)
            atoms[count++] = Intern(value);
        XChangeProperty(display, window, Intern(property), XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(atoms), count);
    }

    void SetHints(const std::string& className, const std::string& title)
    {
        XSizeHints* size = XAllocSizeHints();
        if (size) {
            size->flags = PMinSize | PMaxSize | PPosition | USPosition;
            size->min_width = size->max_width = width;
            size->min_height = size->max_height = height;
            XSetWMNormalHints(display, window, size);
            XFree(size);
        }
        // Never takes the keyboard: the window only shows something.
        XWMHints* wm = XAllocWMHints();
        if (wm) {
            wm->flags = InputHint | StateHint;
            wm->input = False;
            wm->initial_state = NormalState;
            XSetWMHints(display, window, wm);
            XFree(wm);
        }
        XClassHint* cls = XAllocClassHint();
        if (cls) {
            std::string name = className;
            std::string klass = "KbZn";
            cls->res_name = name.data();
            cls->res_class = klass.data();
            XSetClassHint(display, window, cls);
            XFree(cls);
        }
        const std::string utf8 = Gbk::ToUtf8(title);
        XStoreName(display, window, utf8.c_str());
        XChangeProperty(display, window, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));

        SetAtomList("_NET_WM_WINDOW_TYPE", { "_NET_WM_WINDOW_TYPE_UTILITY" });
        SetAtomList("_NET_WM_STATE", { "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" });
        MotifHints motif;
        const Atom motifAtom = Intern("_MOTIF_WM_HINTS");
        XChangeProperty(display, window, motifAtom, motifAtom, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(&motif), 5);
        // A close request from the window manager is ignored rather than
        // ending the connection.
        deleteWindow = Intern("WM_DELETE_WINDOW");
        XSetWMProtocols(display, window, &deleteWindow, 1);
    }

    bool EnsureImage()
    {
        if (image)
            return true;
        image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
            static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!image)
            return false;
        image->data = static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line), static_cast<size_t>(height)));
        if (!image->data) {
            XDestroyImage(image);
            image = nullptr;
            return false;
        }
        return true;
    }

    // The common case of a 24- or 32-bit visual whose pixels are already the
    // buffer's bytes.
    bool SameLayout() const
    {
        return image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xff0000
            && image->green_mask == 0xff00 && image->blue_mask == 0xff;
    }

    // Rows of stride pixels in; the top-left w x h of them go to the image.
    void Fill(const uint32_t* pixels, int stride, int w, int h)
    {
        if (SameLayout()) {
            for (int y = 0; y < h; ++y)
                std::memcpy(image->data + static_cast<size_t>(y) * image->bytes_per_line,
                    pixels + static_cast<size_t>(y) * stride, static_cast<size_t>(w) * 4);
            return;
        }
        const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = pixels[static_cast<size_t>(y) * stride + x];
                XPutPixel(image, x, y, red.Place((p >> 16) & 0xff) | green.Place((p >> 8) & 0xff) | blue.Place(p & 0xff));
            }
        }
    }
};

X11Window::X11Window() = default;

X11Window::~X11Window()
{
    Destroy();
}

bool X11Window::Create(int width, int height, const std::string& className, const std::string& title)
{
    Destroy();
    if (width <= 0 || height <= 0)
        return false;
    auto impl = std::make_unique<Impl>();
    impl->display = XOpenDisplay(nullptr);
    if (!impl->display)
        return false;
    Display* display = impl->display;
    impl->screen = DefaultScreen(display);
    impl->visual = DefaultVisual(display, impl->screen);
    impl->depth = DefaultDepth(display, impl->screen);
    impl->width = width;
    impl->height = height;

    XSetWindowAttributes attributes {};
    attributes.background_pixmap = None; // everything is painted from the buffer
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    impl->window = XCreateWindow(display, RootWindow(display, impl->screen), 0, 0, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 0, impl->depth, InputOutput, impl->visual, CWBackPixmap | CWEventMask,
        &attributes);
    if (!impl->window)
        return false;
    impl->gc = XCreateGC(display, impl->window, 0, nullptr);
    impl->SetHints(className, title);
    XFlush(display);
    m_impl = std::move(impl);
    return true;
}

void X11Window::Destroy()
{
    m_impl.reset();
}

unsigned long X11Window::NativeId() const
{
    return m_impl ? m_impl->window : 0;
}

bool X11Window::IsShown() const
{
    return m_impl && m_impl->shown;
}

int X11Window::ConnectionFd() const
{
    return m_impl ? ConnectionNumber(m_impl->display) : -1;
}

bool X11Window::HasQueuedEvents() const
{
    if (!m_impl)
        return false;
    XFlush(m_impl->display);
    return XEventsQueued(m_impl->display, QueuedAlready) > 0;
}

void X11Window::Show()
{
    if (!m_impl)
        return;
    Impl& x = *m_impl;
    if (!x.shown) {
        const int left = std::max(0, (DisplayWidth(x.display, x.screen) - x.width) / 2);
        const int top = std::max(0, (DisplayHeight(x.display, x.screen) - x.height) / 2);
        XMoveWindow(x.display, x.window, left, top);
        XMapRaised(x.display, x.window);
        x.shown = true;
    } else {
        XRaiseWindow(x.display, x.window);
    }
    XFlush(x.display);
}

void X11Window::Hide()
{
    if (!m_impl || !m_impl->shown)
        return;
    // Withdrawn, so that a window manager forgets it until it is shown again.
    XWithdrawWindow(m_impl->display, m_impl->window, m_impl->screen);
    m_impl->shown = false;
    XFlush(m_impl->display);
}

void X11Window::Present(const uint32_t* pixels, int width, int height)
{
    if (!m_impl || !m_impl->shown || !pixels)
        return;
    Impl& x = *m_impl;
    if (!x.EnsureImage())
        return;
    const int w = std::min(width, x.width);
    const int h = std::min(height, x.height);
    if (w <= 0 || h <= 0)
        return;
    x.Fill(pixels, width, w, h);
    XPutImage(x.display, x.window, x.gc, x.image, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFlush(x.display);
}

bool X11Window::ProcessEvents()
{
    if (!m_impl)
        return false;
    Display* display = m_impl->display;
    bool exposed = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == Expose && event.xexpose.count == 0)
            exposed = true;
    }
    return exposed;
}

} // namespace platform
