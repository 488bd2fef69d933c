#pragma once
// The wait dialog: a small window with one line of text over the skin's
// background picture and an animated bar of six coloured bands whose bright
// band runs from left to right. It shows what the client is waiting for
// (connecting, opening a page, a hall answer) and stays painted while the
// user-interface thread is blocked, because it belongs to the communication
// thread: it is made, driven and destroyed there (CGameCommThread calls it
// as its WaitTextDisplay).
//
// On a desktop it is a top-level X11 window on a display connection of its
// own, painted from a software buffer. Without a display it keeps the same
// state and paints the same frames into memory, where tests read them.
//
// Communication thread only (or the one thread a test drives it from).

#include "frame/core/CGameCommThread.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class FontRenderer;
class X11Window;
} // namespace platform

// A timer on the process clock (platform::TickMs), checked when its owner
// wakes. A periodic timer is armed again from the moment it fired.
class WaitTimer {
public:
    void Start(uint32_t now, uint32_t intervalMs)
    {
        m_armed = true;
        m_interval = intervalMs;
        m_due = now + intervalMs;
    }
    void Kill() { m_armed = false; }
    bool IsArmed() const { return m_armed; }
    // Milliseconds until due (0 when overdue); -1 when not armed.
    int Remaining(uint32_t now) const;
    // True when due; the timer is then armed again for one more interval.
    bool Fire(uint32_t now);

private:
    bool m_armed = false;
    uint32_t m_interval = 0;
    uint32_t m_due = 0;
};

// The animated bar: six bands, the bright colour in band 3 fading by equal
// steps towards the base colour on either side; every tick moves each
// colour one band to the right (the rightmost wraps round to band 0).
class CWaitBar {
public:
    static constexpr int kBands = 6;
    static constexpr int kBrightBand = 3;

    // Colours are 0x00BBGGRR. Builds the bands afresh, bright in band 3.
    void SetColors(uint32_t bright, uint32_t base);
    uint32_t Bright() const { return m_bright; }
    uint32_t Base() const { return m_base; }
    const std::array<uint32_t, kBands>& Bands() const { return m_bands; }

    // (Re)starts or stops the animation.
    void Start(uint32_t now, uint32_t intervalMs) { m_timer.Start(now, intervalMs); }
    void Stop() { m_timer.Kill(); }
    bool IsRunning() const { return m_timer.IsArmed(); }
    int Remaining(uint32_t now) const { return m_timer.Remaining(now); }
    // Rotates when the interval has passed; true when it did.
    bool Tick(uint32_t now);
    void Rotate();

    // Into rows of stride pixels (0xAARRGGBB): the base colour over the
    // rectangle, then the bands side by side, each a sixth of the width
    // (rounded down) and the last one to the right edge.
    void Paint(uint32_t* pixels, int stride, int left, int top, int width, int height) const;

private:
    std::array<uint32_t, kBands> m_bands {};
    uint32_t m_bright = 0;
    uint32_t m_base = 0xFFFFFF;
    WaitTimer m_timer;
};

class WaitDialog : public WaitTextDisplay {
public:
    struct Rect {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // The dialog's layout in pixels: 207 x 45 dialog units at the 9-point
    // "宋体" base units of 6 x 12 pixels, the bar at (5, 32) 197 x 9 units
    // and the text at (17, 12) 174 x 18 units.
    static constexpr int kWidth = 311;
    static constexpr int kHeight = 68;
    static constexpr Rect kBarRect { 8, 48, 296, 14 };
    static constexpr Rect kTextRect { 26, 18, 261, 27 };
    static constexpr int kFontSize = 12;

    static constexpr uint32_t kBarIntervalMs = 200;
    // Behind the text when the skin has no picture: the button face.
    static constexpr uint32_t kButtonFace = 0xF0F0F0;
    static constexpr uint32_t kTextColour = 0x000000;
    static constexpr uint32_t kDefaultBarBright = 0x1A462E;
    static constexpr uint32_t kDefaultBarBase = 0x429473;
    // The copied-data record type of the hall's answer to a sign request.
    static constexpr uintptr_t kSignAnswer = 14;
    // What the window manager and tools know the window by.
    static constexpr const char* kWindowClass = "kbzn-wait";

    enum class Output {
        kWindowWhenPossible, // an X11 window when a display can be opened
        kMemoryOnly,
    };

    // Reads the skin (skinIniPath may be empty: no skin) and, with a
    // display, creates its window, hidden.
    explicit WaitDialog(std::string skinIniPath, Output output = Output::kWindowWhenPossible);
    ~WaitDialog() override;
    WaitDialog(const WaitDialog&) = delete;
    WaitDialog& operator=(const WaitDialog&) = delete;

    // Replaces the text and shows the dialog in front. seconds > 0 (re)starts
    // the hide timer; 0 leaves a running one alone, so an earlier timed text
    // still hides the new one.
    void ShowText(const std::string& text, int seconds) override;
    // Hides the dialog; a running hide timer keeps running.
    void Hide() override;
    void AddEventFds(std::vector<int>& fds) override;
    int NextWakeMs() override;
    void OnWake() override;

    // Reads [BitmapResource] CommDlgBK (the background, a BMP file named
    // relative to the INI file's directory) and [CommColors] WaitBarfg and
    // WaitBarbg (the bar's bright and base colours), and repaints.
    void LoadSkin();

    // Copied data addressed to the dialog's window, delivered on this
    // thread: a sign answer goes to the handler (which decrypts it, matches
    // it with the waiting request and wakes that); other types are ignored.
    using SignAnswerHandler = std::function<void(const uint8_t* data, size_t size)>;
    void SetSignAnswerHandler(SignAnswerHandler handler) { m_signAnswer = std::move(handler); }
    void OnCopyData(uintptr_t type, const uint8_t* data, size_t size);
    // Another descriptor the thread watches for the dialog (the channel
    // through which other programs reach its window), with what to run on
    // this thread when it is readable.
    void AddEventSource(int fd, std::function<void()> onReadable);

    // ---- state, as the window would show it -------------------------------
    bool IsVisible() const { return m_visible; }
    const std::string& Text() const { return m_text; }
    bool HideTimerPending() const { return m_hideTimer.IsArmed(); }
    const CWaitBar& Bar() const { return m_bar; }
    bool HasBackground() const { return m_backgroundWidth > 0; }
    // The last frame painted: kWidth x kHeight pixels 0xAARRGGBB (bytes
    // blue, green, red, alpha), rows from the top; empty before the first
    // showing. A hidden dialog keeps the frame it last showed.
    const std::vector<uint32_t>& Frame() const { return m_frame; }
    uint32_t FramePixel(int x, int y) const;
    uint64_t FramesPainted() const { return m_framesPainted; }

private:
    void SetVisible(bool visible);
    void Paint();
    void PaintBackground();
    void PaintText();
    void RunEventSources();

    std::string m_skinIniPath;
    bool m_visible = false;
    std::string m_text;
    WaitTimer m_hideTimer;
    CWaitBar m_bar;

    int m_backgroundWidth = 0;
    int m_backgroundHeight = 0;
    std::vector<uint32_t> m_background;

    std::unique_ptr<platform::FontRenderer> m_font;
    std::unique_ptr<platform::X11Window> m_window;
    std::vector<uint32_t> m_frame;
    uint64_t m_framesPainted = 0;

    SignAnswerHandler m_signAnswer;
    struct EventSource {
        int fd = -1;
        std::function<void()> onReadable;
    };
    std::vector<EventSource> m_sources;
};

// What the application installs on its communication thread unless told
// otherwise: a wait dialog over the given skin.
WaitDisplayFactory MakeWaitDialogFactory(std::string skinIniPath);
