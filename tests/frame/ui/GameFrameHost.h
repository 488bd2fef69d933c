#pragma once
// The main view on the headless host: recording children, an application
// with a scripted connection and game state, and a view whose window, lobby
// and browser calls are written into a shared log instead of going out.

#include "frame/ui/GameFrame.h"

#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/SoundCalls.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameState.h"
#include "platform/Clock.h"
#include "platform/WindowMessages.h"
#include "tools/testhost/TestHost.h"
#include "tests/frame/core/StubGameState.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gameframetest {

using namespace frame;
using Log = std::vector<std::string>;

constexpr int kDividerWidth = 6;
constexpr int kScrollBackHeight = 13;

// A child that writes every event and refresh it hears into the shared log.
class RecordingChild : public engine::RectObject {
public:
    RecordingChild(std::string name, Log& log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    int OnEvent(const engine::EngineEvent& event) override
    {
        std::string line = m_name + " " + std::to_string(event.code);
        if (event.code == EVT_CHILD_LOOKER_LEAVE || event.code == EVT_CHILD_USER_LIST)
            line += lookerWatch && lookerWatch->Bytes()[0] ? " record" : " zeros";
        if (event.code == EVT_CHILD_SYSTEM_LINE)
            line += std::string(":") + engine::FromWord<const char>(event.param);
        m_log.push_back(line);
        events.push_back(event);
        return 1;
    }
    void OnRefresh() override { m_log.push_back(m_name + " refresh"); }

    const PlayerRecord* lookerWatch = nullptr;
    std::vector<engine::EngineEvent> events;

private:
    std::string m_name;
    Log& m_log;
};

class TestFrame : public GameFrame {
public:
    TestFrame(int workArea, Log& log, std::function<void()> loadSkin)
        : GameFrame(workArea)
        , m_log(log)
        , m_loadSkin(std::move(loadSkin))
    {
    }
    RecordingChild* table = nullptr;
    RecordingChild* pane = nullptr;
    bool filling = true;
    // Off: the real leave (201125, then the close).
    bool fakeConfirm = true;
    // The cursor on the screen (in the view while there is no window).
    platform::Point cursor {};
    // The window the view moves; none by default.
    platform::Window* window = nullptr;

    void ConfirmQuit() override
    {
        if (fakeConfirm)
            m_log.push_back("confirm quit");
        else
            GameFrame::ConfirmQuit();
    }

    // On: every message box the view opens is written into the log as
    // "box <flags> <head> <seconds>s[ ok <code>]: <text>".
    bool logBoxes = false;
    void ShowMessageBox(const std::string& text, const BoxEvent* ok, const BoxEvent* cancel, int seconds,
        uint32_t flags, const std::string& head) override
    {
        if (logBoxes)
            m_log.push_back("box " + std::to_string(flags) + " " + head + " " + std::to_string(seconds) + "s"
                + (ok && ok->code ? " ok " + std::to_string(ok->code) : std::string()) + ": " + text);
        GameFrame::ShowMessageBox(text, ok, cancel, seconds, flags, head);
    }

protected:
    void LoadSkinPacks() override
    {
        if (m_loadSkin)
            m_loadSkin();
    }
    void CreateChildren() override
    {
        pane = static_cast<RecordingChild*>(SetSubSystem(std::make_unique<RecordingChild>("pane", m_log)));
        table = static_cast<RecordingChild*>(SetMainGame(std::make_unique<RecordingChild>("table", m_log)));
    }
    bool IsWindowFillingWorkArea() override
    {
        GameFrame::IsWindowFillingWorkArea();
        return filling;
    }
    platform::Window* GetFrameWindow() override { return window; }
    void CloseMainWindow() override { m_log.push_back("close window"); }
    void PostShowPlayerToHall(int userId) override { m_log.push_back("lobby shows " + std::to_string(userId)); }
    void OpenShopAddress(const std::string& address) override { m_log.push_back("shop " + address); }
    platform::Point CursorOnScreen() override { return cursor; }
    void SlideInPopup(engine::EngineObject* popup) override
    {
        lastPopup = popup;
        GameFrame::SlideInPopup(popup);
    }

public:
    engine::EngineObject* lastPopup = nullptr;

private:
    Log& m_log;
    std::function<void()> m_loadSkin;
};

// The requests the view sends, written into the log; the answers scripted.
class ScriptedConnection : public GameConnection {
public:
    explicit ScriptedConnection(Log& log)
        : m_log(log)
    {
    }
    int RequestCanQuit() override
    {
        m_log.push_back("201130");
        return gameRunning;
    }
    int LeaveSeat(std::string& text, int userId, int chair) override
    {
        m_log.push_back("201125 " + std::to_string(userId) + " " + std::to_string(chair));
        text = refusal;
        return refusal.empty() ? 0 : 1;
    }
    int RequestExit(const std::string& reason) override
    {
        m_log.push_back("201212 " + reason);
        return 1;
    }
    int AnswerExit(int askerId, int answer) override
    {
        m_log.push_back("201213 " + std::to_string(askerId) + " " + std::to_string(answer));
        return 1;
    }
    int Request201230(int value) override
    {
        m_log.push_back("201230 " + std::to_string(value));
        return 1;
    }

    int gameRunning = 0;
    std::string refusal;

private:
    Log& m_log;
};

using PlainGameState = frametest::StubGameState;

class TestApp : public CGameFrameApp {
public:
    explicit TestApp(Log& log)
        : CGameFrameApp("KbZn", 21534, 1, 1)
        , connection(log)
        , m_log(log)
    {
    }
    std::unique_ptr<engine::RectObject> CreateMainView() override
    {
        return makeView ? makeView() : CGameFrameApp::CreateMainView();
    }
    int EnterRoom() override
    {
        m_log.push_back("enter room");
        return 1;
    }
    GameConnection* GetConnection() override { return withConnection ? &connection : nullptr; }
    GameState* GetGameState() override { return &state; }
    int GetExitRequestCount() const override { return state.GetExitRequestCount(); }
    void NotifyHallClosing(platform::WindowHandle) override { m_log.push_back("lobby told closing"); }
    void CloseConnection() override { m_log.push_back("connection closed"); }
    // Figures' pictures under a directory of the test's own ("" keeps the
    // lobby's).
    std::string GetCharacterDir(int figure) const override
    {
        return characterRoot.empty() ? CGameFrameApp::GetCharacterDir(figure)
                                     : characterRoot + "/" + std::to_string(figure) + "/";
    }
    std::string characterRoot;

    std::function<std::unique_ptr<engine::RectObject>()> makeView;
    ScriptedConnection connection;
    PlainGameState state;
    bool withConnection = true;

private:
    Log& m_log;
};

class GameFrameHost : public ::testing::Test {
protected:
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    // The view over a work area of the given width, with the recording
    // children; false (and the test skipped) without a video driver.
    bool Start(int workArea, bool withChildren = true)
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(tick);
        if (!host.Create("gameframe", kHostWidth, kHostHeight))
            return false;
        auto loadSkin = [this] {
            Picture("左右分隔条_bg", kDividerWidth, 40);
            Picture("ScrollBar_HorzBack", 8, kScrollBackHeight);
            // Each title button a width of its own, so a place tells which.
            int w = 10;
            for (const char* name : { "btnFrameClose", "btnFrameFit", "btnFrameMin", "btnHelp2", "btnSet2", "btnShop2" }) {
                Picture(name, w, 12);
                w += 2;
            }
            Picture("btnFrameMax", 30, 12);
            if (withTable) {
                Picture("TablePatten", 7, 9, 0x0000FF);
                Picture("TableHalo", 4, 4, 0xFF0000);
                for (const char* name : { "TableCornerLT", "TableCornerRT", "TableCornerLB", "TableCornerRB" })
                    Picture(name, 3, 3, 0x00FF00);
            }
            Picture("Frame_Left", 5, 30);
            Picture("Frame_Right", 6, 30);
            Picture("Frame_Bottom", 9, 4);
            if (loadMore)
                loadMore();
        };
        std::unique_ptr<GameFrame> view;
        if (withChildren) {
            auto test = std::make_unique<TestFrame>(workArea, log, loadSkin);
            frameView = test.get();
            view = std::move(test);
        } else {
            view = std::make_unique<GameFrame>(workArea);
        }
        gameFrame = view.get();
        EXPECT_TRUE(host.Init(std::move(view)));
        Frame();
        return true;
    }
    void Picture(const char* name, int w, int h, uint32_t colour = 0x808080, int frames = 1)
    {
        const uint32_t pixel = engine::CanvasObject::MakePixel(colour, engine::kNoColourKey);
        host.AddPicture(name, w, h, frames, 0, [pixel](int, int, int) { return pixel; });
    }
    void Frame(uint32_t advance = 100)
    {
        tick += advance;
        platform::SetFixedTick(tick);
        host.RunFrame();
    }
    void Frames(int count, uint32_t advance = 100)
    {
        for (int i = 0; i < count; ++i)
            Frame(advance);
    }
    void WindowInput(uint32_t message, int x, int y, uint32_t key = 0)
    {
        host.InjectInput(message, x, y, key);
        Frames(2);
    }
    // A click at the middle of the object, as the mouse gives it.
    void Click(const engine::EngineObject* part)
    {
        ASSERT_NE(part, nullptr);
        const int x = static_cast<int>(part->GetX());
        const int y = static_cast<int>(part->GetY());
        WindowInput(platform::kWmMouseMove, x, y);
        WindowInput(platform::kWmLButtonDown, x, y);
        WindowInput(platform::kWmLButtonUp, x, y);
    }
    void Click(double x, double y)
    {
        WindowInput(platform::kWmMouseMove, static_cast<int>(x), static_cast<int>(y));
        WindowInput(platform::kWmLButtonDown, static_cast<int>(x), static_cast<int>(y));
        WindowInput(platform::kWmLButtonUp, static_cast<int>(x), static_cast<int>(y));
    }
    void PressEsc() { WindowInput(platform::kWmKeyDown, 0, 0, platform::kVkEscape); }
    // Moves the clock on by whole seconds, in frames of 100 ms.
    void Seconds(int n) { Frames(10 * n, 100); }
    // From now on every sound played is written into sounds.
    void RecordSounds()
    {
        PlayedSounds().clear();
        engine::SoundCalls calls = host.Objects()->GetSoundCalls();
        calls.playSound = [](engine::ModuleBase&, std::string_view name, int, const engine::EngineEvent*) {
            PlayedSounds().emplace_back(name);
            return 1;
        };
        host.Objects()->SetSoundCalls(calls);
    }
    static std::vector<std::string>& PlayedSounds()
    {
        static std::vector<std::string> played;
        return played;
    }
    static engine::Rect RectOf(const engine::RectObject* object)
    {
        engine::Rect r;
        object->GetRect(&r);
        return r;
    }

    // The background layer's pixel as 0x00RRGGBB.
    uint32_t Pixel(int x, int y)
    {
        return host.Paint()->Background()[static_cast<size_t>(y) * kHostWidth + x] & 0xffffff;
    }

    static constexpr int kHostWidth = 320;
    static constexpr int kHostHeight = 240;
    bool withTable = false;
    // More pictures for a test's own parts.
    std::function<void()> loadMore;
    Log log;
    TestApp app { log };
    tools::TestHost host;
    GameFrame* gameFrame = nullptr;
    TestFrame* frameView = nullptr;
    uint32_t tick = 100000;
};

} // namespace gameframetest
