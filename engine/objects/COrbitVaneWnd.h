#pragma once
// The one window the engine lives in. It embeds the GameCore, loads the
// five engine modules, drives engine frames from a timer on the
// user-interface thread and turns what the window receives into calls on
// the modules: paints (of the part that changed) to the paint module, sizes to the paint and object
// modules, mouse, keyboard, cursor and focus to the input module, and
// copied data to the root object.
//
// A derived window (the game frame's main window) adds its own messages,
// timers and close handling by overriding the window handlers below; where
// it keeps the engine's behaviour it calls the base handler (its own
// clean-up before the base OnDestroy, its own records before the base
// OnCopyData). Handlers run only while the object is whole: a window still
// open when the object is destroyed gets the base OnDestroy alone, so a
// derived window that must clean up destroys its window in its destructor.
//
// User-interface thread only.

#include "engine/core/GameCore.h"
#include "engine/core/HostWindow.h"
#include "engine/objects/SoundCalls.h"
#include "engine/modules/ResourceModule.h"
#include "platform/CopyData.h"
#include "platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace engine {

class RectObject;
class ResourceModule;

// The first frame timer id; each host window's Init takes the next.
inline constexpr uint32_t kFirstFrameTimerId = 19840323;
// Frames follow one another this often while the engine has work (input,
// messages, drawing, animations); an idle engine sleeps until its next
// timed step is due, and at most kIdleFrameMs.
inline constexpr uint32_t kFrameIntervalMs = 5;
inline constexpr uint32_t kIdleFrameMs = 1000;

class COrbitVaneWnd : public HostWindow {
public:
    using MusicModuleFactory = std::function<std::unique_ptr<ModuleBase>()>;

    COrbitVaneWnd();
    ~COrbitVaneWnd() override;
    COrbitVaneWnd(const COrbitVaneWnd&) = delete;
    COrbitVaneWnd& operator=(const COrbitVaneWnd&) = delete;

    // Creates the platform window (hidden) with the client size.
    virtual bool Create(std::string_view title, int width, int height, uint32_t style = platform::kWindowResizable);
    // Where the music module comes from, and how objects reach it; call
    // before Init. By default it is the engine's MusicModule; a null
    // factory loads none, and every sound service then logs and does
    // nothing.
    void SetMusicModule(MusicModuleFactory factory, const SoundCalls& calls);
    // Loads the modules (a resource module of its own when none is given),
    // registers the root object without a parent, gives it the client
    // rectangle and starts the frame timer; the timer's result.
    virtual bool Init(std::unique_ptr<RectObject> root, std::unique_ptr<ResourceModule> resources = nullptr);
    // The paint module's back buffer and the object module's view to the
    // client size; the root object takes the client rectangle and lays
    // itself out again.
    virtual void Relayout();
    // One engine frame.
    virtual void RunFrame();
    // The frame timer's current interval: kFrameIntervalMs while the engine
    // has work, longer while it sleeps (0 without a frame timer).
    uint32_t GetFrameTimerInterval() const { return m_frameInterval; }

    GameCore& GetCore() { return m_core; }
    RectObject* GetRootObject() const { return m_root; }
    platform::Window& GetWindow() { return m_window; }
    uint32_t GetTimerId() const { return m_timerId; }
    int GetClientWidth() const { return m_clientWidth; }
    int GetClientHeight() const { return m_clientHeight; }

    // Timers of a derived window, reaching OnTimer on the user-interface
    // thread; the ids are the window's own (the engine's frame timer id is
    // refused). Setting a running id restarts it. False before Create or
    // with an interval of 0.
    bool SetTimer(uint32_t timerId, uint32_t intervalMs);
    bool KillTimer(uint32_t timerId);

    // Window handlers.
    // Client size changes: the engine view follows.
    virtual void OnSize(int width, int height);
    virtual void OnPaint();
    // The window is going: unloads the engine and stops the frame timer.
    virtual void OnDestroy();
    // A record copied to the window: hands it to the root object.
    virtual void OnCopyData(const platform::CopyDataRecord& record);
    // A request to close (the window's close button, or kWmClose posted or
    // sent): destroys the window. A derived window may keep it open.
    virtual void OnClose();
    // A timer set with SetTimer is due.
    virtual void OnTimer(uint32_t timerId);
    // Any other posted or sent message; the result goes back to a sender.
    // Nothing by default (0).
    virtual intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Turns a window event into the handlers above and engine input.
    void OnEvent(const platform::WindowEvent& event);

    // HostWindow.
    Point ClientToScreen(Point client) const override;
    Rect GetCursorClip() const override;
    void ClipCursor(const Rect& screen) override;
    bool IsMinimised() const override;

private:
    // Posted and sent messages: copied data and close go to their handlers,
    // the rest to OnMessage.
    intptr_t DispatchMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // The frame timer at the given interval (restarted when it changes).
    void SetFrameTimer(uint32_t intervalMs);
    // Something reached the window (input, a message, a timer): the next
    // frame comes at the usual pace, whatever the engine said before.
    void WakeFrames();
    // After a frame: the next one when the engine's next work is due.
    void ScheduleNextFrame();

    platform::Window m_window;
    RectObject* m_root = nullptr; // not owned: the object module owns it
    uint32_t m_timerId = 0;
    uint32_t m_frameInterval = 0; // 0: no frame timer
    // Test switch: with KBZN_FRAME_TIMES naming a file, each frame that
    // drew appends "<monotonic ms> <cpu us> <wall us>" (the frame and the
    // paint that showed it) for the benchmarks. -1: off.
    int m_frameTimes = -1;
    int64_t m_frameCpuNs = 0;
    int64_t m_frameWallNs = 0;
    int64_t m_frameStartNs = 0;
    std::optional<Rect> m_paintArea; // of the kWmPaint being handled
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    MusicModuleFactory m_musicFactory;
    SoundCalls m_soundCalls;
    GameCore m_core; // last: destroyed first, while the window still exists
};

} // namespace engine
