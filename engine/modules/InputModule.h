#pragma once
// Engine module 1005: turns the host window's mouse and keyboard messages
// into engine input events. It keeps the current InputState, decides which
// object is hovered and which has the keyboard focus, recognises double
// clicks and resting (hover), joins two-byte characters, applies the modal
// filter and owns the mouse cursor (the system cursor, or an engine object
// named "object_cursor" that draws its own).
//
// Events reach objects only through their subscriptions. Each event record
// and its InputState copy come from this module's pools; the object module
// delivers the record on its next turn and hands it back with
// MODMSG_INPUT_FREE_EVENT. User-interface thread only.

#include "engine/core/EngineEvent.h"
#include "engine/core/EventCodes.h"
#include "engine/core/InputState.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/ModuleBase.h"
#include "engine/core/ObjectGeometry.h"
#include "platform/Cursor.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <memory>

namespace platform {
class Window;
}

namespace engine {

class EngineObject;
class ObjectModule;

// InputState stateFlags bits.
inline constexpr uint32_t kInputLeftHeld = 0x10;
inline constexpr uint32_t kInputRightHeld = 0x20;
inline constexpr uint32_t kInputHoverRaised = 0x10000;
inline constexpr uint32_t kInputMiddleHeld = 0x80000;
inline constexpr uint32_t kInputKeyDown = 0x100000;

inline constexpr uint32_t kInputModuleInterval = 100;
inline constexpr uint32_t kInputQueueLimit = 1024;
inline constexpr uint32_t kDefaultHoverDelay = 500;
inline constexpr uint32_t kDoubleClickWindow = 500;
inline constexpr size_t kInputPoolCount = 64;

// What the input module needs of the system around it: the cursor's shapes,
// display count and position, and where the host window lies on the screen.
// SystemInputPlatform is the real one; tests give a fake.
class InputPlatform {
public:
    virtual ~InputPlatform() = default;
    virtual platform::CursorHandle ArrowCursor() = 0;
    virtual void SetSystemCursor(platform::CursorHandle cursor) = 0;
    // Raises or lowers the display count; returns the new count.
    virtual int ShowSystemCursor(bool show) = 0;
    virtual Point CursorScreenPos() = 0;
    // The host window's client area on the screen; false when there is none.
    virtual bool WindowScreenRect(Rect& out) = 0;
};

// Over platform/Cursor.h. The window rectangle comes from the platform
// window when one is given (not owned; it must outlive the module), else
// from nothing (the cursor then never counts as inside).
class SystemInputPlatform final : public InputPlatform {
public:
    explicit SystemInputPlatform(const platform::Window* window = nullptr)
        : m_window(window)
    {
    }
    platform::CursorHandle ArrowCursor() override;
    void SetSystemCursor(platform::CursorHandle cursor) override;
    int ShowSystemCursor(bool show) override;
    Point CursorScreenPos() override;
    bool WindowScreenRect(Rect& out) override;

private:
    const platform::Window* m_window; // not owned
};

class InputModule : public ModuleBase {
public:
    // Null platform: SystemInputPlatform without a window.
    explicit InputModule(std::unique_ptr<InputPlatform> platform = nullptr);
    ~InputModule() override;

    // ModuleBase.
    int Init() override;
    void Shutdown() override;
    void Update() override;
    // Now before the first turn, after the cursor moved or left the window
    // (a turn notices it entering and leaving), or once
    // the objects were drawn again since the last turn (something may have
    // moved under a still cursor); otherwise when a resting cursor's hover
    // is due; kNoWork once it was raised.
    uint32_t MsUntilWork(uint32_t now) override;
    int GetId() const override { return MODULE_INPUT; }
    const char* GetName() const override { return "InputModule"; }
    int OnMessage(int msg, MessageWord data, MessageWord extra) override;
    uint32_t GetQueueLimit() const override { return kInputQueueLimit; }

    // Mouse and keyboard, from the host window. Points are client
    // coordinates.
    virtual void OnMouseMove(int x, int y, uint32_t keyFlags);
    // The cursor left the host window: the next turn notices it.
    void OnPointerLeft() { m_pointerMoved = true; }
    // The point must already be in client coordinates (the window system
    // gives wheel points on the screen: the host converts them first).
    virtual void OnMouseWheel(int x, int y, int16_t delta, uint32_t keyFlags);
    virtual void OnLButtonDown(int x, int y);
    virtual void OnLButtonUp(int x, int y);
    virtual void OnLButtonDblClk(int x, int y);
    virtual void OnRButtonDown(int x, int y);
    virtual void OnRButtonUp(int x, int y);
    virtual void OnMButtonDown(int x, int y);
    virtual void OnMButtonUp(int x, int y);
    virtual void OnKeyDown(uint32_t key, uint32_t repeat, uint32_t keyFlags);
    virtual void OnKeyUp(uint32_t key, uint32_t repeat, uint32_t keyFlags);
    virtual void OnChar(uint32_t code, uint32_t repeat, uint32_t flags);
    // Input reset; the host calls it when the window loses the focus.
    virtual void ReleaseAll();

    // Objects.
    virtual int IsPointInObject(int x, int y, int id);
    virtual int PassesModalFilter(int id);
    virtual void UpdateHover(int x, int y);
    virtual void ToViewCoords(Point& point);
    // Returns the record to its pool, and its data when it came from ours.
    virtual void FreeEvent(EngineEvent* event);
    virtual void RefreshHover();
    virtual void LeaveHovered();

    // Cursor and settings.
    // The host calls it on every set-cursor message.
    virtual void UpdateCursor();
    virtual void SetHoverDelay(uint32_t ms) { m_hoverDelay = ms; }
    virtual void SetModalObject(int id) { m_modalId = id; }
    // Returns the previous listener.
    virtual int SetListener(int id);
    // Returns the previous focus, or 0 when nothing changed.
    virtual int SetFocusObject(int id);
    virtual void SetCursor(platform::CursorHandle cursor);
    virtual void ShowCursor(int flag);
    virtual void SubscribeListener(int code, const EngineEvent& event);
    virtual void UnsubscribeListener(int code);
    // 1 when something was posted.
    virtual int SendInputEvent(int code, int id);

    void CopyInputState(InputState& out) const;

    // For the host window and tests.
    bool IsInputEnabled() const { return m_enabled; }
    int GetModalObject() const { return m_modalId; }
    int GetListener() const { return m_listenerId; }
    bool IsCursorInside() const { return m_inside; }
    bool IsCursorShown() const { return m_cursorShown; }
    platform::CursorHandle GetCursorHandle() const { return m_cursor; }
    // Records handed out and not yet returned.
    size_t EventsInFlight() const { return m_eventsInFlight; }

private:
    ObjectModule* Objects() const;
    EngineObject* FindObject(int id) const;
    // Sends to the listener, then to the object (each when not 0).
    void SendToListenerAnd(int code, int id);
    void ShowSystemCursorUntil(bool show);
    void SetStateFlag(uint32_t flag, bool on);

    std::unique_ptr<InputPlatform> m_platform;
    InputState m_state;
    uint8_t m_pendingLead = 0;
    MemoryPool m_statePool;
    MemoryPool m_eventPool;
    bool m_poolsReady = false;
    size_t m_eventsInFlight = 0;
    int m_listenerId = 0;
    uint32_t m_hoverDelay = kDefaultHoverDelay;
    uint32_t m_hoverTime = 0;
    bool m_hasLastPress = false; // a press that could start a double click
    uint32_t m_lastPressTime = 0;
    Point m_lastPressPoint;
    uint32_t m_doubleClickWindow = kDoubleClickWindow;
    bool m_hasPreviousUpdate = false;
    uint32_t m_previousUpdate = 0;
    uint64_t m_seenDrawnPasses = 0; // the object module's DrawnPasses at the last turn
    bool m_pointerMoved = false; // since the last turn, or it left the window
    platform::CursorHandle m_cursor = nullptr;
    bool m_cursorShown = true;
    bool m_inside = false;
    bool m_firstPressRaised = false;
    bool m_enabled = true;
    int m_modalId = 0;
};

// Hands one translated window event to the module: mouse, wheel, key,
// character, focus loss (ReleaseAll), set-cursor (UpdateCursor) and the
// cursor leaving the window (OnPointerLeft). Every
// point, the wheel's included, is taken in client coordinates, so the
// module never stores a screen point as the cursor position. Returns true
// when the event was input.
bool DispatchWindowInput(InputModule& input, const platform::WindowEvent& event);

} // namespace engine
