#include "engine/modules/InputModule.h"

#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "platform/Window.h"

#include <algorithm>
#include <limits>
#include <new>

namespace engine {

namespace {

// The system's display count moves one step per call; a count far outside
// this bound means the cursor functions are not answering.
constexpr int kMaxShowCursorSteps = 64;

} // namespace

// SystemInputPlatform.

platform::CursorHandle SystemInputPlatform::ArrowCursor()
{
    return platform::LoadSystemCursor(platform::SystemCursor::kArrow);
}

void SystemInputPlatform::SetSystemCursor(platform::CursorHandle cursor)
{
    platform::SetCursor(cursor);
}

int SystemInputPlatform::ShowSystemCursor(bool show)
{
    return platform::ShowCursor(show);
}

Point SystemInputPlatform::CursorScreenPos()
{
    platform::Point p = platform::CursorScreenPos();
    return Point { p.x, p.y };
}

bool SystemInputPlatform::WindowScreenRect(Rect& out)
{
    if (!m_window || !m_window->IsCreated())
        return false;
    platform::Rect r = m_window->ScreenRect();
    out = Rect { r.left, r.top, r.right, r.bottom };
    return true;
}

// Construction and the module frame.

InputModule::InputModule(std::unique_ptr<InputPlatform> platform)
    : m_platform(platform ? std::move(platform) : std::make_unique<SystemInputPlatform>())
{
    m_cursor = m_platform->ArrowCursor();
}

InputModule::~InputModule()
{
    Shutdown();
}

int InputModule::Init()
{
    if (!m_poolsReady) {
        m_statePool.Init(sizeof(InputState), kInputPoolCount);
        m_eventPool.Init(sizeof(EngineEvent), kInputPoolCount);
        m_poolsReady = true;
    }
    m_state.pool = &m_statePool;
    SetInterval(kInputModuleInterval);
    return 1;
}

void InputModule::Shutdown()
{
    if (!m_poolsReady)
        return;
    m_statePool.Destroy();
    m_eventPool.Destroy();
    m_poolsReady = false;
    m_eventsInFlight = 0;
    m_state.pool = nullptr;
}

int InputModule::OnMessage(int msg, MessageWord data, MessageWord)
{
    switch (msg) {
    case MODMSG_INPUT_FREE_EVENT:
        FreeEvent(FromWord<EngineEvent>(data));
        break;
    case MODMSG_INPUT_ENABLE:
        m_enabled = true;
        break;
    case MODMSG_INPUT_DISABLE:
        m_enabled = false;
        break;
    default:
        break;
    }
    return 1;
}

uint32_t InputModule::MsUntilWork(uint32_t now)
{
    if (!m_hasPreviousUpdate || m_pointerMoved)
        return 0;
    if (ObjectModule* objects = Objects(); objects && objects->DrawnPasses() != m_seenDrawnPasses)
        return 0;
    if (m_state.stateFlags & kInputHoverRaised)
        return kNoWork;
    const uint32_t rested = m_hoverTime + (now - m_previousUpdate);
    return rested >= m_hoverDelay ? 0 : m_hoverDelay - rested;
}

void InputModule::Update()
{
    DrainMessages();
    uint32_t now = GetFrameTime();
    m_pointerMoved = false;
    if (ObjectModule* objects = Objects())
        m_seenDrawnPasses = objects->DrawnPasses();

    // Resting: the time since the last mouse event grows with each update.
    if (m_hasPreviousUpdate)
        m_hoverTime += now - m_previousUpdate;
    if (m_hoverTime >= m_hoverDelay && !(m_state.stateFlags & kInputHoverRaised)) {
        SendToListenerAnd(EVT_HOVER, m_state.hoveredId);
        m_state.stateFlags |= kInputHoverRaised;
    }
    m_previousUpdate = now;
    m_hasPreviousUpdate = true;

    // Objects that moved, appeared or vanished under a still cursor.
    if (ObjectModule* objects = Objects()) {
        if (!(m_state.stateFlags & kInputLeftHeld)) {
            EngineObject* under = objects->ObjectFromPoint(m_state.x, m_state.y);
            auto usable = [](EngineObject* o) {
                return o && o->IsShown() && o->IsVisible() && o->IsInputEnabled();
            };
            if (m_state.hoveredId == 0) {
                if (usable(under))
                    RefreshHover();
            } else if (!usable(under) || under->GetId() != m_state.hoveredId) {
                RefreshHover();
            }
        }
        if (m_state.focusId != 0) {
            EngineObject* focus = FindObject(m_state.focusId);
            if (!focus || !focus->IsShown() || !focus->IsVisible())
                SetFocusObject(0);
        }
    }

    // The cursor entering and leaving the host window.
    Rect window;
    if (m_platform->WindowScreenRect(window)) {
        bool inside = PtInRect(window, m_platform->CursorScreenPos());
        if (inside && !m_inside) {
            if (m_cursorShown)
                UpdateCursor();
            SendInputEvent(EVT_WINDOW_ENTER, m_listenerId);
            m_inside = true;
        } else if (!inside && m_inside) {
            SendToListenerAnd(EVT_WINDOW_LEAVE, m_state.hoveredId);
            m_inside = false;
        }
    }
}

// Mouse.

void InputModule::OnMouseMove(int x, int y, uint32_t)
{
    m_pointerMoved = true;
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    bool moved = m_state.dx != 0 || m_state.dy != 0;
    if (m_state.stateFlags & kInputLeftHeld) {
        if (moved)
            SendToListenerAnd(EVT_DRAG, m_state.hoveredId);
    } else if (m_state.stateFlags & kInputRightHeld) {
        if (moved)
            SendToListenerAnd(EVT_RDRAG, m_state.hoveredId);
    } else {
        SendInputEvent(EVT_MOUSE_MOVE, m_listenerId);
        UpdateHover(p.x, p.y);
    }
}

void InputModule::OnMouseWheel(int x, int y, int16_t delta, uint32_t)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    if (delta < 0)
        SendToListenerAnd(EVT_WHEEL_DOWN, m_state.focusId);
    else if (delta > 0)
        SendToListenerAnd(EVT_WHEEL_UP, m_state.focusId);
}

void InputModule::OnLButtonDown(int x, int y)
{
    if (!m_firstPressRaised) {
        SendToListenerAnd(EVT_FIRST_PRESS, m_state.hoveredId);
        m_firstPressRaised = true;
    }
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputLeftHeld, true);

    uint32_t now = GetFrameTime();
    if (m_hasLastPress && static_cast<uint32_t>(now - m_lastPressTime) < m_doubleClickWindow
        && p == m_lastPressPoint) {
        m_hasLastPress = false;
        // An object that does not take double clicks sees a second press.
        if (!SendInputEvent(EVT_DBLCLICK, m_listenerId))
            SendInputEvent(EVT_LBUTTON_DOWN, m_listenerId);
        if (!SendInputEvent(EVT_DBLCLICK, m_state.hoveredId))
            SendInputEvent(EVT_LBUTTON_DOWN, m_state.hoveredId);
    } else {
        m_hasLastPress = true;
        m_lastPressTime = now;
        m_lastPressPoint = p;
        SendToListenerAnd(EVT_LBUTTON_DOWN, m_state.hoveredId);
    }
    SetFocusObject(m_state.hoveredId);
}

void InputModule::OnLButtonUp(int x, int y)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputLeftHeld, false);
    SendInputEvent(EVT_LBUTTON_UP, m_listenerId);
    SendInputEvent(EVT_BUTTON_RELEASE, m_listenerId);
    int hovered = m_state.hoveredId;
    SendInputEvent(EVT_LBUTTON_UP, hovered);
    if (IsPointInObject(m_state.x, m_state.y, hovered)) {
        SendInputEvent(EVT_CLICK, hovered);
        SendInputEvent(EVT_BUTTON_RELEASE, hovered);
    }
    UpdateHover(p.x, p.y);
}

void InputModule::OnLButtonDblClk(int x, int y)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputLeftHeld, false);
    SendInputEvent(EVT_DBLCLICK, m_listenerId);
    SendInputEvent(EVT_LBUTTON_DOWN, m_listenerId);
    SendInputEvent(EVT_DBLCLICK, m_state.hoveredId);
    SendInputEvent(EVT_LBUTTON_DOWN, m_state.hoveredId);
}

void InputModule::OnRButtonDown(int x, int y)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputRightHeld, true);
    SendToListenerAnd(EVT_RBUTTON_DOWN, m_state.hoveredId);
}

void InputModule::OnRButtonUp(int x, int y)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputRightHeld, false);
    SendInputEvent(EVT_RBUTTON_UP, m_listenerId);
    SendInputEvent(EVT_BUTTON_RELEASE, m_listenerId);
    int hovered = m_state.hoveredId;
    SendInputEvent(EVT_RBUTTON_UP, hovered);
    if (IsPointInObject(m_state.x, m_state.y, hovered)) {
        SendInputEvent(EVT_RCLICK, hovered);
        SendInputEvent(EVT_BUTTON_RELEASE, hovered);
    }
}

void InputModule::OnMButtonDown(int x, int y)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputMiddleHeld, true);
    SendToListenerAnd(EVT_MBUTTON, m_state.hoveredId);
}

void InputModule::OnMButtonUp(int x, int y)
{
    if (!m_enabled)
        return;
    Point p { x, y };
    ToViewCoords(p);
    SetStateFlag(kInputHoverRaised, false);
    SetStateFlag(kInputMiddleHeld, false);
    SendToListenerAnd(EVT_MBUTTON_UP, m_state.hoveredId);
}

// Keyboard.

void InputModule::OnKeyDown(uint32_t key, uint32_t repeat, uint32_t keyFlags)
{
    if (!m_enabled)
        return;
    SetStateFlag(kInputKeyDown, true);
    m_state.keyFlags = keyFlags;
    m_state.lastKeyDown = key;
    if (m_state.lastKeyUp == key)
        m_state.lastKeyUp = 0;
    m_state.repeatCount = repeat;
    SendToListenerAnd(EVT_KEY_DOWN, m_state.focusId);
}

void InputModule::OnKeyUp(uint32_t key, uint32_t repeat, uint32_t keyFlags)
{
    if (!m_enabled)
        return;
    SetStateFlag(kInputKeyDown, false);
    m_state.keyFlags = keyFlags;
    m_state.lastKeyUp = key;
    if (m_state.lastKeyDown == key)
        m_state.lastKeyDown = 0;
    m_state.repeatCount = repeat;
    SendToListenerAnd(EVT_KEY_UP, m_state.focusId);
}

void InputModule::OnChar(uint32_t code, uint32_t, uint32_t)
{
    if (!m_enabled)
        return;
    uint8_t byte = static_cast<uint8_t>(code);
    if (m_pendingLead == 0) {
        if (byte > 126) {
            // The lead byte of a two-byte character: wait for its trail.
            m_pendingLead = byte;
            return;
        }
        if (byte < 32)
            return; // Tab, Enter and the other controls are seen as keys
        m_state.character = byte;
    } else {
        m_state.character = static_cast<uint32_t>(m_pendingLead) | static_cast<uint32_t>(byte) << 8;
        m_pendingLead = 0;
    }
    SendToListenerAnd(EVT_CHAR, m_state.focusId);
}

void InputModule::ReleaseAll()
{
    uint32_t held = m_state.stateFlags;
    int hovered = m_state.hoveredId;
    SendToListenerAnd(EVT_RELEASE_ALL, hovered);
    if (held & kInputLeftHeld)
        SendInputEvent(EVT_LBUTTON_UP, hovered);
    if (held & kInputRightHeld)
        SendInputEvent(EVT_RBUTTON_UP, hovered);
    LeaveHovered();
    SetFocusObject(0);
    ShowSystemCursorUntil(true);
    m_state = InputState {};
    m_firstPressRaised = false;
    m_hasLastPress = false;
}

// Objects.

int InputModule::IsPointInObject(int x, int y, int id)
{
    if (id == 0)
        return 0;
    EngineObject* object = FindObject(id);
    return object && object->HitTest(x, y) ? 1 : 0;
}

int InputModule::PassesModalFilter(int id)
{
    if (m_modalId == 0)
        return 1;
    EngineObject* modal = FindObject(m_modalId);
    if (!modal || !modal->IsShown() || !modal->IsVisible()) {
        m_modalId = 0;
        return 1;
    }
    return modal->Contains(id) ? 1 : 0;
}

void InputModule::UpdateHover(int x, int y)
{
    ObjectModule* objects = Objects();
    if (!objects)
        return;
    EngineObject* under = objects->ObjectFromPoint(x, y);
    if (!under) {
        if (m_state.hoveredId != 0) {
            SendInputEvent(EVT_MOUSE_LEAVE, m_state.hoveredId);
            m_state.hoveredId = 0;
        }
        return;
    }
    int id = under->GetId();
    if (id == m_state.hoveredId) {
        SendInputEvent(EVT_MOUSE_MOVE, id);
        return;
    }
    if (m_state.stateFlags & (kInputLeftHeld | kInputRightHeld))
        return;
    // A double click cannot span two objects.
    m_hasLastPress = false;
    SendInputEvent(EVT_MOUSE_LEAVE, m_state.hoveredId);
    if (PassesModalFilter(id)) {
        m_state.hoveredId = id;
        SendInputEvent(EVT_MOUSE_ENTER, id);
        SendInputEvent(EVT_MOUSE_MOVE, id);
    }
}

void InputModule::ToViewCoords(Point& point)
{
    if (ObjectModule* objects = Objects()) {
        Rect view = objects->GetViewRect();
        point.x -= view.left;
        point.y -= view.top;
    }
    m_hoverTime = 0;
    m_state.dx = point.x - m_state.x;
    m_state.dy = point.y - m_state.y;
    m_state.x = point.x;
    m_state.y = point.y;
    if ((m_state.dx != 0 || m_state.dy != 0) && (m_state.stateFlags & kInputHoverRaised)) {
        SendToListenerAnd(EVT_HOVER_END, m_state.hoveredId);
        m_state.stateFlags &= ~kInputHoverRaised;
    }
}

void InputModule::FreeEvent(EngineEvent* event)
{
    if (!event || !m_poolsReady || m_eventPool.BlockOf(event) < 0)
        return;
    void* data = FromWord<void>(event->data);
    if (data && m_statePool.BlockOf(data) >= 0)
        m_statePool.Free(data);
    m_eventPool.Free(event);
    if (m_eventsInFlight > 0)
        --m_eventsInFlight;
}

void InputModule::RefreshHover()
{
    // The stored point is in view coordinates; hand it back as the window
    // point it came from so that converting it again keeps it in place.
    int x = m_state.x;
    int y = m_state.y;
    if (ObjectModule* objects = Objects()) {
        Rect view = objects->GetViewRect();
        x += view.left;
        y += view.top;
    }
    OnMouseMove(x, y, 0);
}

void InputModule::LeaveHovered()
{
    SendInputEvent(EVT_MOUSE_LEAVE, m_state.hoveredId);
    m_state.hoveredId = 0;
}

// Cursor and settings.

void InputModule::UpdateCursor()
{
    if (!m_cursorShown)
        return;
    ObjectModule* objects = Objects();
    EngineObject* drawn = objects ? objects->FindByName("object_cursor") : nullptr;
    if (drawn) {
        drawn->OnEvent(EngineEvent(drawn->GetId(), EVT_CURSOR_UPDATE, 0, 0));
        return;
    }
    m_platform->SetSystemCursor(m_cursor);
}

int InputModule::SetListener(int id)
{
    int previous = m_listenerId;
    m_listenerId = id;
    return previous;
}

int InputModule::SetFocusObject(int id)
{
    ObjectModule* objects = Objects();
    int target = objects && id != 0 ? objects->FindFocusTarget(id) : 0;
    if (target == m_state.focusId)
        return 0;
    int old = m_state.focusId;
    if (EngineObject* previous = FindObject(old)) {
        previous->RemoveFlags(ObjectFlags::kHasFocus);
        SendInputEvent(EVT_BLUR, old);
    }
    if (EngineObject* next = FindObject(target)) {
        next->AddFlags(ObjectFlags::kHasFocus);
        SendInputEvent(EVT_FOCUS, target);
    }
    m_state.focusId = target;
    return old;
}

void InputModule::SetCursor(platform::CursorHandle cursor)
{
    if (cursor != m_cursor) {
        m_cursor = cursor;
        ShowCursor(1);
    }
    UpdateCursor();
}

void InputModule::ShowCursor(int flag)
{
    bool show = flag != 0;
    if (show == m_cursorShown)
        return;
    m_cursorShown = show;
    ShowSystemCursorUntil(show);
}

void InputModule::SubscribeListener(int code, const EngineEvent& event)
{
    if (EngineObject* listener = FindObject(m_listenerId))
        listener->Subscribe(code, event);
}

void InputModule::UnsubscribeListener(int code)
{
    if (EngineObject* listener = FindObject(m_listenerId))
        listener->Unsubscribe(code);
}

int InputModule::SendInputEvent(int code, int id)
{
    if (id == 0 || !m_poolsReady)
        return 0;
    EngineObject* object = FindObject(id);
    if (!object)
        return 0;

    auto post = [this](EngineEvent* record) {
        ++m_eventsInFlight;
        PostMessage(MODULE_OBJECT, MODMSG_OBJ_INPUT_EVENT, ToWord(record), 0);
    };
    if (!IsInputCode(code)) {
        void* block = m_eventPool.Alloc(sizeof(EngineEvent));
        if (!block)
            return 0;
        post(new (block) EngineEvent(id, code, 0, 0));
        return 1;
    }

    size_t position = 0;
    const EngineEvent* stored = object->FindNextSubscription(code, position);
    if (!stored)
        return 0;
    for (; stored; stored = object->FindNextSubscription(code, position)) {
        void* block = m_eventPool.Alloc(sizeof(EngineEvent));
        void* copyBlock = m_statePool.Alloc(sizeof(InputState));
        if (!block || !copyBlock) {
            m_eventPool.Free(block);
            m_statePool.Free(copyBlock);
            return 0;
        }
        auto* copy = new (copyBlock) InputState(m_state);
        auto* record = new (block) EngineEvent(*stored);
        if (record->data == 0)
            record->data = ToWord(copy);
        else
            m_statePool.Free(copy);
        post(record);
    }
    return 1;
}

void InputModule::CopyInputState(InputState& out) const
{
    out = m_state;
}

// Helpers.

ObjectModule* InputModule::Objects() const
{
    return static_cast<ObjectModule*>(FindModule(MODULE_OBJECT));
}

EngineObject* InputModule::FindObject(int id) const
{
    if (id == 0)
        return nullptr;
    ObjectModule* objects = Objects();
    return objects ? objects->FindById(id) : nullptr;
}

void InputModule::SendToListenerAnd(int code, int id)
{
    SendInputEvent(code, m_listenerId);
    SendInputEvent(code, id);
}

void InputModule::ShowSystemCursorUntil(bool show)
{
    for (int i = 0; i < kMaxShowCursorSteps; ++i) {
        int count = m_platform->ShowSystemCursor(show);
        if (show ? count >= 0 : count < 0)
            return;
    }
}

void InputModule::SetStateFlag(uint32_t flag, bool on)
{
    if (on)
        m_state.stateFlags |= flag;
    else
        m_state.stateFlags &= ~flag;
}

// The host window's input, as the platform layer translates it.

bool DispatchWindowInput(InputModule& input, const platform::WindowEvent& event)
{
    using namespace platform;
    switch (event.message) {
    case kWmMouseMove:
        input.OnMouseMove(event.x, event.y, event.keyFlags);
        return true;
    case kWmMouseWheel: {
        // The window layer gives every mouse point, the wheel's included, in
        // client coordinates; the input module keeps it as the cursor
        // position, so the screen point (screenX, screenY) must not reach it.
        const int delta = std::clamp(event.wheelDelta, int { std::numeric_limits<int16_t>::min() },
            int { std::numeric_limits<int16_t>::max() });
        input.OnMouseWheel(event.x, event.y, static_cast<int16_t>(delta), event.keyFlags);
        return true;
    }
    case kWmLButtonDown:
        input.OnLButtonDown(event.x, event.y);
        return true;
    case kWmLButtonUp:
        input.OnLButtonUp(event.x, event.y);
        return true;
    case kWmLButtonDblClk:
        input.OnLButtonDblClk(event.x, event.y);
        return true;
    case kWmRButtonDown:
        input.OnRButtonDown(event.x, event.y);
        return true;
    case kWmRButtonUp:
        input.OnRButtonUp(event.x, event.y);
        return true;
    case kWmMButtonDown:
        input.OnMButtonDown(event.x, event.y);
        return true;
    case kWmMButtonUp:
        input.OnMButtonUp(event.x, event.y);
        return true;
    case kWmKeyDown:
    case kWmSysKeyDown:
        input.OnKeyDown(event.key, event.repeat, event.keyFlags);
        return true;
    case kWmKeyUp:
    case kWmSysKeyUp:
        input.OnKeyUp(event.key, event.repeat, event.keyFlags);
        return true;
    case kWmChar:
        input.OnChar(event.key, event.repeat, event.keyFlags);
        return true;
    case kWmKillFocus:
        input.ReleaseAll();
        return true;
    case kWmSetCursor:
        input.UpdateCursor();
        return true;
    case kWmMouseLeave:
        input.OnPointerLeft();
        return true;
    default:
        return false;
    }
}

} // namespace engine
