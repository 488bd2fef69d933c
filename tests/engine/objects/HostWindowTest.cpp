// The host window: modules in order, frame timer, sizes, paints, copied
// data and input reaching the engine through real SDL events.

#include "HostFixture.h"

#include "engine/modules/MusicModule.h"

#include "platform/MessageLoop.h"

#include "tests/platform/SdlEvents.h"

#include <cstring>
#include <thread>

using namespace engine;
using namespace objectstest;

namespace {

class Clicked : public BoundObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        codes.push_back(event.code);
        return 1;
    }
    std::vector<int> codes;
};

using Host = HostEngine;

// A stand-in music module that records what the sound services ask of it.
class FakeMusic final : public ModuleBase {
public:
    int Init() override { return 1; }
    void Shutdown() override { }
    void Update() override { DrainMessages(); }
    int GetId() const override { return MODULE_MUSIC; }
    const char* GetName() const override { return "MusicModule"; }
    int OnMessage(int, MessageWord, MessageWord) override { return ORBITVANE_RETURN_OK; }
    std::vector<std::string> calls;
};

TEST_F(Host, ModulesLoadedInOrderAndRootLaidOut)
{
    EXPECT_NE(core().FindModule(MODULE_RESOURCE), nullptr);
    EXPECT_NE(core().FindModule(MODULE_OBJECT), nullptr);
    EXPECT_NE(core().FindModule(MODULE_PAINT), nullptr);
    // The engine's own music module, on SDL's dummy audio output.
    EXPECT_NE(dynamic_cast<MusicModule*>(core().FindModule(MODULE_MUSIC)), nullptr);
    EXPECT_NE(core().FindModule(MODULE_INPUT), nullptr);
    EXPECT_EQ(host.GetRootObject(), root);
    EXPECT_EQ(root->rectChanges, 1);
    engine::Rect rect;
    root->GetRect(&rect);
    EXPECT_EQ(rect, (engine::Rect { 0, 0, kWidth, kHeight })); // the root lays itself out over the client
    EXPECT_EQ(paint->GetWidth(), kWidth);
    EXPECT_GE(host.GetTimerId(), kFirstFrameTimerId);
}

TEST_F(Host, WithoutAMusicModuleSoundsAreOff)
{
    COrbitVaneWnd silent;
    silent.SetMusicModule(nullptr, SoundCalls {});
    ASSERT_TRUE(silent.Create("silent", 60, 60));
    auto owned = std::make_unique<Root>();
    Root* r = owned.get();
    ASSERT_TRUE(silent.Init(std::move(owned)));
    EXPECT_EQ(silent.GetCore().FindModule(MODULE_MUSIC), nullptr);
    EXPECT_EQ(silent.GetCore().ModuleCount(), 4u);
    EXPECT_EQ(r->PlaySound("ding", 1, nullptr), 0);
}

TEST_F(Host, SecondWindowTakesTheNextTimerId)
{
    COrbitVaneWnd second;
    ASSERT_TRUE(second.Create("second", 50, 50));
    ASSERT_TRUE(second.Init(std::make_unique<Root>()));
    EXPECT_EQ(second.GetTimerId(), host.GetTimerId() + 1);
}

TEST_F(Host, AGivenMusicModuleIsLoadedFourthAndReachedByTheSoundServices)
{
    COrbitVaneWnd withMusic;
    SoundCalls calls;
    calls.playSound = [](ModuleBase& m, std::string_view name, int loops, const EngineEvent*) {
        static_cast<FakeMusic&>(m).calls.push_back("play " + std::string(name) + " " + std::to_string(loops));
        return 7;
    };
    calls.stopAll = [](ModuleBase& m) { static_cast<FakeMusic&>(m).calls.push_back("stop all"); };
    withMusic.SetMusicModule([] { return std::make_unique<FakeMusic>(); }, calls);
    ASSERT_TRUE(withMusic.Create("music", 60, 60));
    auto owned = std::make_unique<Root>();
    Root* r = owned.get();
    ASSERT_TRUE(withMusic.Init(std::move(owned)));
    auto* music = dynamic_cast<FakeMusic*>(withMusic.GetCore().FindModule(MODULE_MUSIC));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(withMusic.GetCore().ModuleCount(), 5u);
    EXPECT_EQ(r->PlaySound("ding", 2, nullptr), 7);
    r->StopAllSounds();
    r->PauseSound(1); // not in the table: nothing
    ASSERT_NE(r->PlaySoundLater("later", 1, nullptr), 0u);
    SetTick(200000);
    withMusic.RunFrame();
    SetTick(200050);
    withMusic.RunFrame();
    EXPECT_EQ(music->calls, (std::vector<std::string> { "play ding 2", "stop all", "play later 1" }));
}

TEST_F(Host, SizeChangesRelayoutOnlyWhenRealAndNew)
{
    host.OnSize(0, 100); // minimised
    host.OnSize(kWidth, kHeight); // unchanged
    EXPECT_EQ(root->rectChanges, 1);
    host.OnSize(300, 120);
    EXPECT_EQ(root->rectChanges, 2);
    engine::Rect rect;
    root->GetRect(&rect);
    EXPECT_EQ(rect, (engine::Rect { 0, 0, 300, 120 }));
    EXPECT_EQ(paint->GetWidth(), 300);
    EXPECT_EQ(objects->GetViewRect().right - objects->GetViewRect().left, 300);
}

TEST_F(Host, CopiedDataReachesTheRoot)
{
    const char bytes[] = "lobby";
    platform::CopyDataRecord record { 7, reinterpret_cast<const uint8_t*>(bytes), 5 };
    host.GetWindow().SendMessage(platform::kWmCopyData, 0, reinterpret_cast<intptr_t>(&record));
    ASSERT_EQ(root->copied.size(), 1u);
    EXPECT_EQ(root->copied[0], "lobby");
}

TEST_F(Host, FramesRunFromTheTimerAndPaintsPresent)
{
    platform::SetFixedTick(std::nullopt);
    CanvasObject* c = root->CreateCanvas(30, 30, 0xff0000); // blue
    c->MoveTo(50, 50);
    c->Show();
    c->Invalidate();
    host.GetWindow().Show(platform::ShowCommand::kShow);
    const uint32_t start = SDL_GetTicks();
    while (SDL_GetTicks() - start < 200)
        platform::MessageLoop::PumpOnce(5);
    EXPECT_EQ(Pixel(50, 50), 0x0000ffu);
    std::vector<uint32_t> shown;
    int w = 0;
    int h = 0;
    if (host.GetWindow().ReadPixels(shown, w, h) && w == kWidth) {
        EXPECT_EQ(shown[50 * w + 50] & 0xffffff, 0x0000ffu);
    }
}

// The frame timer: an engine with nothing to do sleeps (kIdleFrameMs at
// most), a timed step brings the next frame when it is due, and input or a
// posted message brings back the usual pace.
TEST_F(Host, AnIdleEngineSleepsUntilItsNextStepAndInputOrAMessageWakesIt)
{
    // The clock moves on by the frame timer's interval and the loop runs
    // the frame it fires.
    auto timerFrame = [&] {
        SetTick(Tick() + host.GetFrameTimerInterval());
        platform::MessageLoop::PumpOnce(0);
    };
    auto frameUntil = [&](auto done) {
        for (int i = 0; i < 2000 && !done(); ++i)
            timerFrame();
        return done();
    };
    auto asleep = [&] { return host.GetFrameTimerInterval() == kIdleFrameMs; };
    EXPECT_EQ(host.GetFrameTimerInterval(), kFrameIntervalMs);
    ASSERT_TRUE(frameUntil(asleep));

    WindowInput(platform::kWmMouseMove, 10, 10);
    EXPECT_EQ(host.GetFrameTimerInterval(), kFrameIntervalMs);
    ASSERT_TRUE(frameUntil(asleep)) << "the cursor rests, its hover is raised, then nothing is due";

    // A step every 200 ms, begun where the program begins them: in a
    // handler of something that reached the window.
    const EngineEvent tick(root->GetId(), 77);
    ASSERT_NE(root->RepeatEvent(200, 0, &tick), 0u);
    ASSERT_TRUE(host.GetWindow().PostMessage(0x0401, 0, 0));
    platform::MessageLoop::PumpOnce(0);
    EXPECT_EQ(host.GetFrameTimerInterval(), kFrameIntervalMs);
    // Short waits while the object module's turn comes round and takes the
    // step on, then the step's own interval.
    uint32_t longest = 0;
    ASSERT_TRUE(frameUntil([&] {
        if (host.GetFrameTimerInterval() == 200u)
            return true;
        longest = std::max(longest, host.GetFrameTimerInterval());
        return false;
    }));
    EXPECT_LT(longest, 200u) << "no sleep past the step";
    const size_t steps = root->events.size();
    timerFrame();
    EXPECT_GT(root->events.size(), steps) << "the step came with the frame that woke for it";
    EXPECT_EQ(host.GetFrameTimerInterval(), 200u);

    // A message from another thread wakes the sleeping engine too.
    std::thread([&] { host.GetWindow().PostMessage(0x0402, 0, 0); }).join();
    platform::MessageLoop::PumpOnce(0);
    EXPECT_EQ(host.GetFrameTimerInterval(), kFrameIntervalMs);
}

// A frame shows again only the part of the window that changed: what lies
// outside it on the screen stays as it was.
TEST_F(Host, OnlyThePartThatChangedIsShownAgain)
{
    CanvasObject* c = root->CreateCanvas(30, 30, 0xff0000); // blue
    c->MoveTo(50, 50);
    c->Show();
    c->Invalidate();
    host.GetWindow().Show(platform::ShowCommand::kShow);
    auto showFrame = [&] {
        Frame();
        for (int i = 0; i < 3; ++i)
            platform::MessageLoop::PumpOnce(0);
    };
    showFrame();
    std::vector<uint32_t> shown;
    int w = 0;
    int h = 0;
    if (!host.GetWindow().ReadPixels(shown, w, h) || w != kWidth || h != kHeight)
        GTEST_SKIP() << "the driver keeps no window pixels";
    auto at = [&](int x, int y) { return shown[static_cast<size_t>(y) * w + x] & 0xffffff; };
    EXPECT_EQ(at(60, 60), 0x0000ffu);

    // Something else on the screen, then the canvas moves right.
    std::vector<uint8_t> grey(static_cast<size_t>(kWidth) * kHeight * 4, 0x40);
    ASSERT_TRUE(host.GetWindow().Present(grey.data(), kWidth, kHeight, kWidth * 4));
    c->MoveTo(100, 50);
    c->Invalidate();
    showFrame();
    ASSERT_TRUE(host.GetWindow().ReadPixels(shown, w, h));
    EXPECT_EQ(at(110, 60), 0x0000ffu) << "its new place";
    EXPECT_EQ(at(60, 60), Pixel(60, 60)) << "its old place, drawn again";
    EXPECT_NE(Pixel(60, 60), 0x404040u);
    EXPECT_EQ(at(10, 10), 0x404040u) << "outside what changed";
    EXPECT_EQ(at(110, 100), 0x404040u) << "below what changed";
}

TEST_F(Host, InjectedMouseReachesSubscribersAndWheelPointStaysInTheClient)
{
    host.GetWindow().SetPosition(300, 200);
    auto* control = static_cast<Clicked*>(root->RegisterObject(std::make_unique<Clicked>()));
    CanvasObject* face = control->CreateCanvas(40, 40, 0);
    control->Bind(face, LINK_STANDARD);
    control->MoveTo(60, 60);
    control->Show();
    control->SetInputEnabled(true);
    for (int code : { EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_CLICK, EVT_WHEEL_DOWN })
        face->SubscribeEvent(code, control->GetId(), code, 0, 0);
    face->SetFocusable(true);
    Frame();
    root->SetFocus(face->GetId());

    platform::WindowEvent e;
    e.x = 60;
    e.y = 60;
    const platform::Point screen = host.GetWindow().ClientToScreen(platform::Point { 60, 60 });
    e.screenX = screen.x;
    e.screenY = screen.y;
    e.message = platform::kWmMouseMove;
    host.OnEvent(e);
    e.message = platform::kWmLButtonDown;
    host.OnEvent(e);
    e.message = platform::kWmLButtonUp;
    host.OnEvent(e);
    e.message = platform::kWmMouseWheel;
    e.wheelDelta = -platform::kWheelDelta;
    host.OnEvent(e);
    Frames(3);
    EXPECT_EQ(control->codes, (std::vector<int> { EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_CLICK, EVT_WHEEL_DOWN }));
    InputState state;
    root->GetInputState(&state);
    EXPECT_EQ(state.x, 60);
    EXPECT_EQ(state.y, 60);
}

TEST_F(Host, RealSdlEventsReachABoundControlThroughTheWindow)
{
    auto* control = static_cast<Clicked*>(root->RegisterObject(std::make_unique<Clicked>()));
    CanvasObject* face = control->CreateCanvas(40, 40, 0);
    control->Bind(face, LINK_STANDARD);
    control->MoveTo(100, 70);
    control->Show();
    control->SetInputEnabled(true);
    face->SetFocusable(true);
    for (int code : { EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_CLICK, EVT_CHAR })
        face->SubscribeEvent(code, control->GetId(), code, 0, 0);
    Frame();

    const uint32_t id = host.GetWindow().SdlWindowId();
    sdltest::PushMouseMotion(id, 100, 70);
    sdltest::PushMouseButton(id, true, SDL_BUTTON_LEFT, 100, 70);
    sdltest::PushMouseButton(id, false, SDL_BUTTON_LEFT, 100, 70);
    SDL_Event text {};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    std::strncpy(text.text.text, reinterpret_cast<const char*>(u8"牌"), sizeof text.text.text - 1);
    SDL_PushEvent(&text);
    for (int i = 0; i < 5; ++i)
        platform::MessageLoop::PumpOnce(0);
    Frames(3);
    // The press gave the window the focus and the capture, the release took
    // the capture back; the two bytes of the character came as one event.
    EXPECT_FALSE(host.GetWindow().HasCapture());
    EXPECT_EQ(control->codes, (std::vector<int> { EVT_LBUTTON_DOWN, EVT_LBUTTON_UP, EVT_CLICK, EVT_CHAR }));
}

TEST_F(Host, WithoutTheInputModuleAPressTakesNeitherFocusNorCapture)
{
    core().UnloadModule(MODULE_INPUT);
    platform::WindowEvent e;
    e.message = platform::kWmLButtonDown;
    e.x = 10;
    e.y = 10;
    host.OnEvent(e);
    EXPECT_FALSE(host.GetWindow().HasCapture());
}

TEST_F(Host, LosingTheFocusReleasesHeldButtons)
{
    platform::WindowEvent e;
    e.x = 20;
    e.y = 20;
    e.message = platform::kWmLButtonDown;
    host.OnEvent(e);
    InputState state;
    root->GetInputState(&state);
    EXPECT_TRUE(state.stateFlags & kInputLeftHeld);
    e.message = platform::kWmKillFocus;
    host.OnEvent(e);
    root->GetInputState(&state);
    EXPECT_FALSE(state.stateFlags & kInputLeftHeld);
}

TEST_F(Host, DestroyUnloadsEverything)
{
    host.GetWindow().Destroy();
    EXPECT_EQ(core().ModuleCount(), 0u);
    EXPECT_EQ(host.GetRootObject(), nullptr);
}

} // namespace

namespace {

// A window that derives from the host as the game frame's window does: its
// own messages, timers and close handling, then the base where it keeps the
// engine's behaviour.
class DerivedHost final : public COrbitVaneWnd {
public:
    static constexpr uint32_t kOwnMessage = platform::kUserMessage + 0x31;

    intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        log.push_back("message " + std::to_string(wParam));
        return message == kOwnMessage ? lParam + 1 : 0;
    }
    void OnTimer(uint32_t timerId) override { log.push_back("timer " + std::to_string(timerId)); }
    void OnClose() override
    {
        log.push_back("close");
        if (allowClose)
            COrbitVaneWnd::OnClose();
    }
    void OnCopyData(const platform::CopyDataRecord& record) override
    {
        log.push_back("copy " + std::to_string(record.id));
        COrbitVaneWnd::OnCopyData(record);
    }
    void OnDestroy() override
    {
        log.push_back(std::string("destroy, engine ") + (GetCore().FindModule(MODULE_PAINT) ? "loaded" : "gone"));
        COrbitVaneWnd::OnDestroy();
    }

    bool allowClose = false;
    std::vector<std::string> log;
};

class DerivedHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (!host.Create("derived", 120, 90))
            GTEST_SKIP() << "no video driver";
        auto r = std::make_unique<Root>();
        root = r.get();
        host.SetMusicModule(nullptr, SoundCalls {});
        ASSERT_TRUE(host.Init(std::move(r)));
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    DerivedHost host;
    Root* root = nullptr;
};

TEST_F(DerivedHostTest, OwnMessagesAndCopiedDataReachTheDerivedHandlersThenTheRoot)
{
    EXPECT_EQ(host.GetWindow().SendMessage(DerivedHost::kOwnMessage, 5, 41), 42);
    ASSERT_TRUE(host.GetWindow().PostMessage(DerivedHost::kOwnMessage, 6, 0));
    platform::MessageLoop::PumpOnce(0);

    const char bytes[] = "seat";
    platform::CopyDataRecord record { 13, reinterpret_cast<const uint8_t*>(bytes), 4 };
    EXPECT_EQ(host.GetWindow().SendMessage(platform::kWmCopyData, 0, reinterpret_cast<intptr_t>(&record)), 1);
    EXPECT_EQ(host.log, (std::vector<std::string> { "message 5", "message 6", "copy 13" }));
    EXPECT_EQ(root->copied, (std::vector<std::string> { "seat" }));
}

TEST_F(DerivedHostTest, TimersOfTheWindowReachOnTimerAndTheFrameTimerStaysTheEngines)
{
    platform::SetFixedTick(500000);
    ASSERT_TRUE(host.SetTimer(5, 1000));
    EXPECT_FALSE(host.SetTimer(host.GetTimerId(), 1000));
    EXPECT_FALSE(host.KillTimer(host.GetTimerId()));
    platform::SetFixedTick(501000);
    platform::MessageLoop::PumpOnce(0);
    EXPECT_EQ(host.log, (std::vector<std::string> { "timer 5" }));
    ASSERT_TRUE(host.KillTimer(5));
    platform::SetFixedTick(503000);
    platform::MessageLoop::PumpOnce(0);
    EXPECT_EQ(host.log.size(), 1u);
}

TEST_F(DerivedHostTest, CloseMayBeRefusedOtherwiseTheWindowGoesWithItsCleanUpFirst)
{
    platform::WindowEvent closeButton;
    closeButton.message = platform::kWmClose;
    host.OnEvent(closeButton);
    ASSERT_TRUE(host.GetWindow().PostMessage(platform::kWmClose, 0, 0));
    platform::MessageLoop::PumpOnce(0);
    EXPECT_TRUE(host.GetWindow().IsCreated());
    EXPECT_EQ(host.log, (std::vector<std::string> { "close", "close" }));

    host.allowClose = true;
    ASSERT_TRUE(host.GetWindow().PostMessage(platform::kWmClose, 0, 0));
    platform::MessageLoop::PumpOnce(0);
    EXPECT_FALSE(host.GetWindow().IsCreated());
    EXPECT_EQ(host.log.back(), "destroy, engine loaded");
    EXPECT_EQ(host.GetCore().FindModule(MODULE_PAINT), nullptr);
    EXPECT_EQ(host.GetRootObject(), nullptr);
}

} // namespace
