#include "engine/modules/InputModule.h"

#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/PictureData.h"
#include "engine/core/PictureRef.h"
#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include "tests/platform/SdlEvents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace engine;

namespace {

class FakeInputPlatform final : public InputPlatform {
public:
    struct Shared {
        platform::CursorHandle setCursor = nullptr;
        int cursorSets = 0;
        int displayCount = 0;
        Point cursor { -1, -1 };
        bool hasWindow = true;
        Rect window { 100, 100, 900, 700 };
    };
    explicit FakeInputPlatform(Shared* shared)
        : m_shared(shared)
    {
    }
    platform::CursorHandle ArrowCursor() override { return Arrow(); }
    void SetSystemCursor(platform::CursorHandle cursor) override
    {
        m_shared->setCursor = cursor;
        ++m_shared->cursorSets;
    }
    int ShowSystemCursor(bool show) override { return m_shared->displayCount += show ? 1 : -1; }
    Point CursorScreenPos() override { return m_shared->cursor; }
    bool WindowScreenRect(Rect& out) override
    {
        out = m_shared->window;
        return m_shared->hasWindow;
    }
    static platform::CursorHandle Arrow() { return reinterpret_cast<platform::CursorHandle>(&kArrowTag); }
    static platform::CursorHandle Hand() { return reinterpret_cast<platform::CursorHandle>(&kHandTag); }

private:
    static inline const int kArrowTag = 1;
    static inline const int kHandTag = 2;
    Shared* m_shared;
};

// A shown, input-enabled rectangle that records every event it gets, with
// the input state copy of input events.
class Target : public EngineObject {
public:
    Target(int w, int h)
    {
        m_record.serial = 2;
        m_record.frameWidth = static_cast<uint16_t>(w);
        m_record.frameHeight = static_cast<uint16_t>(h);
        m_record.frameCount = 1;
        m_record.framesPerRow = 1;
        m_record.pixels.assign(static_cast<size_t>(w) * h * 4, 0xFF);
        PictureDesc desc;
        desc.serial = 2;
        desc.record = &m_record;
        desc.width = w;
        desc.height = h;
        m_ref.SetDesc(desc);
        SetSize(w, h);
    }
    PictureRef* GetPicture() override { return &m_ref; }
    int OnEvent(const EngineEvent& event) override
    {
        codes.push_back(event.code);
        if (IsInputCode(event.code) && event.data)
            states.push_back(*FromWord<const InputState>(event.data));
        else
            states.push_back(InputState {});
        return EngineObject::OnEvent(event);
    }
    // Subscribes the object to each code, delivered back to itself.
    void Want(std::initializer_list<int> wanted)
    {
        for (int code : wanted)
            SubscribeSelf(code);
    }
    std::vector<int> codes;
    std::vector<InputState> states;

private:
    PictureData m_record;
    PictureRef m_ref;
};

const std::initializer_list<int> kAllMouse = { EVT_MOUSE_ENTER, EVT_MOUSE_LEAVE, EVT_MOUSE_MOVE, EVT_LBUTTON_DOWN,
    EVT_LBUTTON_UP, EVT_CLICK, EVT_DRAG, EVT_RDRAG, EVT_RBUTTON_DOWN, EVT_RBUTTON_UP, EVT_RCLICK, EVT_BUTTON_RELEASE,
    EVT_HOVER, EVT_HOVER_END, EVT_RELEASE_ALL, EVT_FIRST_PRESS, EVT_FOCUS, EVT_BLUR, EVT_KEY_DOWN, EVT_KEY_UP,
    EVT_CHAR, EVT_WHEEL_UP, EVT_WHEEL_DOWN, EVT_WINDOW_ENTER, EVT_WINDOW_LEAVE };

class InputEngine : public ::testing::Test {
protected:
    InputEngine()
    {
        SetTick(5000);
        core.Init(nullptr);
        auto om = std::make_unique<ObjectModule>();
        objects = om.get();
        EXPECT_EQ(core.LoadModule(std::move(om), true, false), ORBITVANE_RETURN_OK);
        auto in = std::make_unique<InputModule>(std::make_unique<FakeInputPlatform>(&fake));
        input = in.get();
        EXPECT_EQ(core.LoadModule(std::move(in), true, true), ORBITVANE_RETURN_OK);
        objects->SetViewCentre(400, 300);
        objects->SetViewSize(800, 600);
        Frame(101);
    }
    ~InputEngine() override { platform::SetFixedTick(std::nullopt); }

    void SetTick(uint32_t tick)
    {
        m_tick = tick;
        platform::SetFixedTick(tick);
    }
    // One engine frame after `ms` milliseconds.
    void Frame(uint32_t ms = 11)
    {
        SetTick(m_tick + ms);
        core.RunFrame();
    }
    // Lets the object module deliver what was posted and the input module
    // take its records back.
    void Deliver()
    {
        Frame(11);
        Frame(101);
    }
    Target* Add(int x, int y, int w, int h, std::initializer_list<int> wanted = kAllMouse)
    {
        auto object = std::make_unique<Target>(w, h);
        Target* raw = object.get();
        objects->AddObject(std::move(object), nullptr);
        raw->MoveTo(x, y);
        raw->SetInputEnabled(true);
        raw->Show();
        raw->Invalidate();
        raw->Want(wanted);
        return raw;
    }
    void Clear(std::initializer_list<Target*> targets)
    {
        for (Target* t : targets) {
            t->codes.clear();
            t->states.clear();
        }
    }

    uint32_t m_tick = 0;
    FakeInputPlatform::Shared fake;
    GameCore core;
    ObjectModule* objects = nullptr;
    InputModule* input = nullptr;
};

using Codes = std::vector<int>;

TEST_F(InputEngine, ClickReachesObjectAndListenerInOrderAndRecordsComeBack)
{
    Target* button = Add(100, 100, 40, 20);
    Target* listener = Add(700, 500, 10, 10);
    input->SetListener(listener->GetId());
    input->OnMouseMove(100, 100, 0);
    Deliver();
    EXPECT_EQ(button->codes, (Codes { EVT_MOUSE_ENTER, EVT_MOUSE_MOVE }));
    EXPECT_EQ(listener->codes, (Codes { EVT_MOUSE_MOVE }));
    Clear({ button, listener });

    input->OnLButtonDown(100, 100);
    input->OnLButtonUp(100, 100);
    Deliver();
    EXPECT_EQ(button->codes,
        (Codes { EVT_FIRST_PRESS, EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_CLICK, EVT_BUTTON_RELEASE, EVT_MOUSE_MOVE }));
    EXPECT_EQ(listener->codes, (Codes { EVT_FIRST_PRESS, EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_BUTTON_RELEASE }));
    // Each event carries the state at the time it was raised.
    ASSERT_EQ(button->states.size(), 6u);
    EXPECT_TRUE(button->states[1].stateFlags & kInputLeftHeld);
    EXPECT_FALSE(button->states[2].stateFlags & kInputLeftHeld);
    EXPECT_EQ(button->states[1].hoveredId, button->GetId());
    EXPECT_EQ(button->states[1].x, 100);
    EXPECT_EQ(input->EventsInFlight(), 0u);
}

TEST_F(InputEngine, EventsGoOnlyToSubscribersWithTheirStoredEvent)
{
    Target* plain = Add(100, 100, 40, 20, {});
    Target* other = Add(500, 500, 10, 10, {});
    plain->SubscribeEvent(EVT_CLICK, other->GetId(), 80000123, 7, 0);
    input->OnMouseMove(100, 100, 0);
    input->OnLButtonDown(100, 100);
    input->OnLButtonUp(100, 100);
    Deliver();
    EXPECT_TRUE(plain->codes.empty());
    ASSERT_EQ(other->codes, (Codes { 80000123 }));
    EXPECT_EQ(input->EventsInFlight(), 0u);
}

TEST_F(InputEngine, DragOntoAnotherObjectGivesNoClickAndHoverMovesAfterRelease)
{
    Target* a = Add(100, 100, 40, 40);
    Target* b = Add(300, 100, 40, 40);
    input->OnMouseMove(100, 100, 0);
    input->OnLButtonDown(100, 100);
    input->OnMouseMove(200, 100, platform::kMkLButton);
    input->OnMouseMove(300, 100, platform::kMkLButton);
    input->OnMouseMove(300, 100, platform::kMkLButton); // no step: no drag
    input->OnLButtonUp(300, 100);
    Deliver();
    EXPECT_EQ(a->codes,
        (Codes { EVT_MOUSE_ENTER, EVT_MOUSE_MOVE, EVT_FIRST_PRESS, EVT_LBUTTON_DOWN, EVT_DRAG, EVT_DRAG,
            EVT_LBUTTON_UP, EVT_MOUSE_LEAVE }));
    EXPECT_EQ(b->codes, (Codes { EVT_MOUSE_ENTER, EVT_MOUSE_MOVE }));
}

TEST_F(InputEngine, DoubleClicksNeedTheSamePointWithinTheWindow)
{
    struct Case {
        const char* what;
        uint32_t gap; // ms of frames between the presses
        int secondX;
        bool doubleClick;
    };
    const Case cases[] = {
        { "same point, 202 ms", 202, 100, true },
        { "same point, 404 ms", 404, 100, true },
        { "same point, 606 ms", 606, 100, false },
        { "one pixel away", 101, 101, false },
    };
    for (const Case& c : cases) {
        Target* t = Add(100, 100, 40, 40, {});
        t->Want({ EVT_DBLCLICK, EVT_LBUTTON_DOWN });
        Target* plain = Add(100, 100, 40, 40, {});
        plain->SetZ(t->GetZ() - 1); // behind: not hovered
        input->SetListener(plain->GetId());
        plain->Unsubscribe(EVT_DBLCLICK);
        plain->Want({ EVT_LBUTTON_DOWN });
        input->OnMouseMove(c.secondX == 100 ? 100 : 100, 100, 0);
        input->OnLButtonDown(100, 100);
        input->OnLButtonUp(100, 100);
        for (uint32_t passed = 0; passed + 101 <= c.gap; passed += 101)
            Frame(101);
        input->OnLButtonDown(c.secondX, 100);
        input->OnLButtonUp(c.secondX, 100);
        Deliver();
        Codes expected = c.doubleClick ? Codes { EVT_LBUTTON_DOWN, EVT_DBLCLICK } : Codes { EVT_LBUTTON_DOWN, EVT_LBUTTON_DOWN };
        EXPECT_EQ(t->codes, expected) << c.what;
        // Without a double-click subscription the second press is a press.
        EXPECT_EQ(plain->codes, (Codes { EVT_LBUTTON_DOWN, EVT_LBUTTON_DOWN })) << c.what;
        objects->RemoveObject(t->GetId());
        objects->RemoveObject(plain->GetId());
        input->SetListener(0);
        Deliver();
        input->OnMouseMove(700, 500, 0); // away, and the next press starts afresh
        Deliver();
    }
    EXPECT_EQ(input->EventsInFlight(), 0u);
}

TEST_F(InputEngine, HoverAfterItsDelayOnceAndEndsOnMove)
{
    Target* t = Add(100, 100, 40, 40);
    input->OnMouseMove(100, 100, 0);
    Deliver(); // 112 ms at rest
    Clear({ t });
    Frame(101);
    Frame(101);
    Deliver();
    EXPECT_TRUE(t->codes.empty()) << "not yet: less than 500 ms";
    Frame(101);
    Deliver();
    ASSERT_EQ(t->codes, (Codes { EVT_HOVER }));
    InputState s;
    input->CopyInputState(s);
    EXPECT_TRUE(s.stateFlags & kInputHoverRaised);
    Frame(101);
    Frame(101);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_HOVER })) << "raised once";

    input->OnMouseMove(101, 100, 0);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_HOVER, EVT_HOVER_END, EVT_MOUSE_MOVE }));

    // A press ends it silently.
    for (int i = 0; i < 6; ++i)
        Frame(101);
    Deliver();
    Clear({ t });
    input->OnLButtonDown(101, 100);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_FIRST_PRESS, EVT_LBUTTON_DOWN }));
}

TEST_F(InputEngine, HoverDelayIsSettable)
{
    Target* t = Add(100, 100, 40, 40, { EVT_HOVER });
    input->SetHoverDelay(200);
    input->OnMouseMove(100, 100, 0);
    Frame(101);
    Frame(101);
    Frame(101);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_HOVER }));
}

TEST_F(InputEngine, FocusMovesToFocusableAncestorWithFlag)
{
    Target* box = Add(100, 100, 100, 100);
    box->SetFocusable(true);
    Target* inner = Add(100, 100, 20, 20);
    box->AddChild(inner, 0);
    Target* edit = Add(400, 100, 40, 40);
    edit->SetFocusable(true);
    Target* plain = Add(600, 100, 40, 40);

    input->OnMouseMove(100, 100, 0);
    input->OnLButtonDown(100, 100);
    input->OnLButtonUp(100, 100);
    EXPECT_TRUE(box->GetFlags() & ObjectFlags::kHasFocus);
    InputState s;
    input->CopyInputState(s);
    EXPECT_EQ(s.focusId, box->GetId());

    input->OnMouseMove(400, 100, 0);
    input->OnLButtonDown(400, 100);
    EXPECT_FALSE(box->GetFlags() & ObjectFlags::kHasFocus);
    EXPECT_TRUE(edit->GetFlags() & ObjectFlags::kHasFocus);
    input->OnLButtonUp(400, 100);
    EXPECT_EQ(input->SetFocusObject(edit->GetId()), 0) << "no change";

    // Keys and characters go to the focus.
    input->OnKeyDown(platform::kVkReturn, 1, 0x1C);
    input->OnKeyUp(platform::kVkReturn, 1, 0x1C | platform::kKfUp);
    // A plain object without a focusable ancestor takes the focus away.
    input->OnMouseMove(600, 100, 0);
    input->OnLButtonDown(600, 100);
    Deliver();
    auto count = [](const Target* t, int code) { return std::count(t->codes.begin(), t->codes.end(), code); };
    EXPECT_EQ(count(box, EVT_FOCUS), 1);
    EXPECT_EQ(count(box, EVT_BLUR), 1);
    EXPECT_EQ(count(inner, EVT_FOCUS), 0);
    EXPECT_EQ(count(edit, EVT_FOCUS), 1);
    EXPECT_EQ(count(edit, EVT_KEY_DOWN), 1);
    EXPECT_EQ(count(edit, EVT_KEY_UP), 1);
    EXPECT_EQ(count(edit, EVT_BLUR), 1);
    EXPECT_EQ(count(plain, EVT_FOCUS), 0);
    input->CopyInputState(s);
    EXPECT_EQ(s.focusId, 0);

    // A focus object that goes away is dropped on the next update.
    input->SetFocusObject(edit->GetId());
    edit->Hide();
    Frame(101);
    input->CopyInputState(s);
    EXPECT_EQ(s.focusId, 0);
}

TEST_F(InputEngine, CharactersAreJoinedIntoGbkPairs)
{
    Target* edit = Add(100, 100, 40, 40, { EVT_CHAR });
    edit->SetFocusable(true);
    input->SetFocusObject(edit->GetId());
    const std::string typed = "a确\t\r定";
    for (unsigned char byte : typed)
        input->OnChar(byte, 1, 0);
    input->OnChar(0x7F, 1, 0); // held as a lead byte
    input->OnChar('b', 1, 0);
    Deliver();
    ASSERT_EQ(edit->codes, (Codes { EVT_CHAR, EVT_CHAR, EVT_CHAR, EVT_CHAR }));
    const std::string que = "确";
    const std::string ding = "定";
    auto pair = [](const std::string& s) {
        return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8;
    };
    EXPECT_EQ(edit->states[0].character, uint32_t('a'));
    EXPECT_EQ(edit->states[1].character, pair(que));
    EXPECT_EQ(edit->states[2].character, pair(ding));
    EXPECT_EQ(edit->states[3].character, 0x7Fu | uint32_t('b') << 8);
}

TEST_F(InputEngine, KeyReleaseKeepsButtonFlags)
{
    Target* t = Add(100, 100, 40, 40);
    input->OnMouseMove(100, 100, 0);
    input->OnLButtonDown(100, 100);
    input->OnKeyDown('A', 1, 0x1E);
    InputState s;
    input->CopyInputState(s);
    EXPECT_EQ(s.stateFlags & (kInputKeyDown | kInputLeftHeld), kInputKeyDown | kInputLeftHeld);
    EXPECT_EQ(s.lastKeyDown, uint32_t('A'));
    input->OnKeyUp('A', 1, 0x1E | platform::kKfUp);
    input->CopyInputState(s);
    EXPECT_EQ(s.stateFlags & (kInputKeyDown | kInputLeftHeld), kInputLeftHeld);
    EXPECT_EQ(s.lastKeyDown, 0u);
    EXPECT_EQ(s.lastKeyUp, uint32_t('A'));
    (void)t;
}

TEST_F(InputEngine, ModalFilterKeepsOutsideObjectsUnhovered)
{
    Target* panel = Add(100, 100, 100, 100);
    Target* inside = Add(100, 100, 20, 20);
    panel->AddChild(inside, 0);
    Target* outside = Add(400, 100, 40, 40);
    input->SetModalObject(panel->GetId());
    input->OnMouseMove(400, 100, 0);
    input->OnMouseMove(100, 100, 0);
    Deliver();
    EXPECT_TRUE(outside->codes.empty());
    EXPECT_EQ(inside->codes, (Codes { EVT_MOUSE_ENTER, EVT_MOUSE_MOVE }));
    // A hidden modal object is cleared on the next check.
    panel->Hide();
    EXPECT_EQ(input->PassesModalFilter(outside->GetId()), 1);
    EXPECT_EQ(input->GetModalObject(), 0);
}

TEST_F(InputEngine, LosingFocusWhileDraggingReleasesEverything)
{
    Target* t = Add(100, 100, 40, 40);
    t->SetFocusable(true);
    input->OnMouseMove(100, 100, 0);
    input->OnLButtonDown(100, 100);
    input->OnMouseMove(110, 100, platform::kMkLButton);
    Deliver();
    Clear({ t });
    input->ReleaseAll();
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_RELEASE_ALL, EVT_LBUTTON_UP, EVT_MOUSE_LEAVE, EVT_BLUR }));
    InputState s;
    input->CopyInputState(s);
    EXPECT_EQ(s.stateFlags, 0u);
    EXPECT_EQ(s.hoveredId, 0);
    EXPECT_EQ(s.focusId, 0);
    EXPECT_FALSE(t->GetFlags() & ObjectFlags::kHasFocus);
    // The first press after a reset is raised again.
    input->OnMouseMove(100, 100, 0);
    Deliver();
    Clear({ t });
    input->OnLButtonDown(100, 100);
    Deliver();
    EXPECT_EQ(t->codes.front(), EVT_FIRST_PRESS);
}

TEST_F(InputEngine, DisabledInputRaisesOnlyTheFirstPress)
{
    Target* t = Add(100, 100, 40, 40);
    input->OnMouseMove(100, 100, 0);
    core.PostModuleMessage(MODULE_INPUT, MODMSG_INPUT_DISABLE, 0, 0);
    Deliver();
    Clear({ t });
    input->OnLButtonDown(100, 100);
    input->OnLButtonUp(100, 100);
    input->OnMouseMove(120, 100, 0);
    input->OnKeyDown('A', 1, 0);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_FIRST_PRESS }));
    core.PostModuleMessage(MODULE_INPUT, MODMSG_INPUT_ENABLE, 0, 0);
    Deliver();
    EXPECT_TRUE(input->IsInputEnabled());
}

TEST_F(InputEngine, RightButtonAndWheel)
{
    Target* t = Add(100, 100, 40, 40);
    t->SetFocusable(true);
    input->OnMouseMove(100, 100, 0);
    input->OnRButtonDown(100, 100);
    input->OnMouseMove(105, 100, platform::kMkRButton);
    input->OnRButtonUp(105, 100);
    input->SetFocusObject(t->GetId());
    input->OnMouseWheel(100, 100, 120, 0);
    input->OnMouseWheel(100, 100, -120, 0);
    input->OnMouseWheel(100, 100, 0, 0);
    Deliver();
    EXPECT_EQ(t->codes,
        (Codes { EVT_MOUSE_ENTER, EVT_MOUSE_MOVE, EVT_RBUTTON_DOWN, EVT_RDRAG, EVT_RBUTTON_UP, EVT_RCLICK,
            EVT_BUTTON_RELEASE, EVT_FOCUS, EVT_WHEEL_UP, EVT_WHEEL_DOWN }));
}

TEST_F(InputEngine, WindowEnterAndLeaveFollowTheCursor)
{
    Target* listener = Add(700, 500, 10, 10);
    input->SetListener(listener->GetId());
    fake.cursor = Point { 150, 150 };
    Frame(101);
    EXPECT_TRUE(input->IsCursorInside());
    EXPECT_EQ(fake.setCursor, FakeInputPlatform::Arrow());
    fake.cursor = Point { 50, 150 };
    Frame(101);
    EXPECT_FALSE(input->IsCursorInside());
    Deliver();
    EXPECT_EQ(listener->codes, (Codes { EVT_WINDOW_ENTER, EVT_WINDOW_LEAVE }));
}

TEST_F(InputEngine, CursorObjectDrawsItsOwnCursor)
{
    input->SetCursor(FakeInputPlatform::Hand());
    EXPECT_EQ(fake.setCursor, FakeInputPlatform::Hand());
    int sets = fake.cursorSets;
    Target* drawn = Add(10, 10, 4, 4, {});
    drawn->SetName("object_cursor");
    input->UpdateCursor();
    EXPECT_EQ(drawn->codes, (Codes { EVT_CURSOR_UPDATE })) << "delivered at once";
    EXPECT_EQ(fake.cursorSets, sets);

    // Hidden: no updates; showing again steps the display count back to 0.
    input->ShowCursor(0);
    EXPECT_LT(fake.displayCount, 0);
    input->UpdateCursor();
    EXPECT_EQ(drawn->codes.size(), 1u);
    input->ShowCursor(1);
    EXPECT_GE(fake.displayCount, 0);
}

TEST_F(InputEngine, ObjectsChangingUnderAStillCursorRefreshHover)
{
    Target* t = Add(100, 100, 40, 40);
    input->OnMouseMove(100, 100, 0);
    Deliver();
    Clear({ t });
    t->Hide();
    t->Invalidate();
    Frame(101);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_MOUSE_LEAVE }));
    t->Show();
    t->Invalidate();
    Frame(101);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_MOUSE_LEAVE, EVT_MOUSE_ENTER, EVT_MOUSE_MOVE }));
}

// Real input through the platform window (SDL's dummy driver), translated by
// the window layer and handed over by DispatchWindowInput.
TEST_F(InputEngine, WheelPointsArriveAsClientPoints)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::Window window;
    if (!window.Create("input", 800, 600, false))
        GTEST_SKIP() << "no video driver";
    window.SetPosition(300, 200);
    Target* t = Add(100, 100, 40, 40, { EVT_WHEEL_DOWN });
    t->SetFocusable(true);
    input->SetFocusObject(t->GetId());
    platform::Point screen = window.ClientToScreen(platform::Point { 100, 100 });
    platform::WindowEvent wheel;
    wheel.message = platform::kWmMouseWheel;
    wheel.x = 100; // the client point, as the window layer gives it
    wheel.y = 100;
    wheel.screenX = screen.x;
    wheel.screenY = screen.y;
    wheel.wheelDelta = -platform::kWheelDelta;
    EXPECT_TRUE(DispatchWindowInput(*input, wheel));
    InputState s;
    input->CopyInputState(s);
    EXPECT_EQ(s.x, 100);
    EXPECT_EQ(s.y, 100);
    Deliver();
    EXPECT_EQ(t->codes, (Codes { EVT_WHEEL_DOWN }));

    platform::WindowEvent typed;
    typed.message = platform::kWmKillFocus;
    EXPECT_TRUE(DispatchWindowInput(*input, typed));
    platform::WindowEvent paint;
    paint.message = platform::kWmPaint;
    EXPECT_FALSE(DispatchWindowInput(*input, paint));
}

TEST_F(InputEngine, InjectedSdlInputReachesSubscribers)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::Window window;
    window.SetEventHandler([this](const platform::WindowEvent& e) { DispatchWindowInput(*input, e); });
    ASSERT_TRUE(window.Create("input", 800, 600, false));
    for (int i = 0; i < 5; ++i)
        platform::MessageLoop::PumpOnce(0);
    Target* edit = Add(100, 100, 40, 40);
    edit->SetFocusable(true);
    Target* listener = Add(700, 500, 10, 10, { EVT_CHAR, EVT_KEY_DOWN });
    input->SetListener(listener->GetId());

    auto push = [](SDL_Event e) { SDL_PushEvent(&e); };
    const uint32_t id = window.SdlWindowId();
    sdltest::PushMouseMotion(id, 100, 100);
    sdltest::PushMouseButton(id, true, SDL_BUTTON_LEFT, 100, 100);
    sdltest::PushMouseButton(id, false, SDL_BUTTON_LEFT, 100, 100);
    SDL_Event key {};
    key.type = SDL_KEYDOWN;
    key.key.windowID = id;
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_a;
    key.key.keysym.scancode = SDL_SCANCODE_A;
    push(key);
    SDL_Event text {};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    std::strncpy(text.text.text, reinterpret_cast<const char*>(u8"确a"), sizeof text.text.text - 1);
    push(text);
    for (int i = 0; i < 5; ++i)
        platform::MessageLoop::PumpOnce(0);
    Deliver();

    auto without = [](const Codes& codes, int dropped) {
        Codes out;
        for (int c : codes)
            if (c != dropped)
                out.push_back(c);
        return out;
    };
    EXPECT_EQ(without(edit->codes, EVT_MOUSE_MOVE),
        (Codes { EVT_MOUSE_ENTER, EVT_FIRST_PRESS, EVT_LBUTTON_DOWN, EVT_FOCUS, EVT_LBUTTON_UP, EVT_CLICK,
            EVT_BUTTON_RELEASE, EVT_KEY_DOWN, EVT_CHAR, EVT_CHAR }));
    ASSERT_EQ(listener->codes, (Codes { EVT_KEY_DOWN, EVT_CHAR, EVT_CHAR }));
    const std::string que = "确";
    EXPECT_EQ(listener->states[1].character,
        static_cast<uint32_t>(static_cast<uint8_t>(que[0])) | static_cast<uint32_t>(static_cast<uint8_t>(que[1])) << 8);
    EXPECT_EQ(listener->states[2].character, uint32_t('a'));
    EXPECT_EQ(listener->states[0].lastKeyDown, uint32_t('A'));
}

TEST(InputModuleAlone, WorksWithoutObjectModuleAndFreesForeignRecordsSafely)
{
    FakeInputPlatform::Shared fake;
    InputModule input(std::make_unique<FakeInputPlatform>(&fake));
    EXPECT_EQ(input.Init(), 1);
    EXPECT_EQ(input.GetInterval(), kInputModuleInterval);
    input.OnMouseMove(5, 5, 0);
    input.OnLButtonDown(5, 5);
    input.OnChar('x', 1, 0);
    input.ReleaseAll();
    EXPECT_EQ(input.SendInputEvent(EVT_CLICK, 3), 0);
    EngineEvent foreign;
    input.FreeEvent(&foreign); // not ours: left alone
    input.FreeEvent(nullptr);
    EXPECT_EQ(input.OnMessage(12345, 0, 0), 1);
    input.Shutdown();
}

} // namespace
