#pragma once
// The side pane's lists and bars on the headless host: an application with
// a table of players and lookers-on, a stand-in side pane ("SubSystem")
// that records the chat lines it is given, and a connection that records
// the requests instead of sending them (or fails them).

#include "WidgetHost.h"

#include "engine/core/EngineEvent.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "engine/core/GameCore.h"
#include "platform/Files.h"

#include <filesystem>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace frameuitest {

// Records every request; Request answers `result` (1: handed to the socket).
class RecordingConnection : public GameConnection {
public:
    struct Sent {
        uint32_t id;
        std::vector<uint8_t> body;
        int32_t Word(size_t offset) const
        {
            uint32_t v = 0;
            for (size_t i = 0; i < 4; ++i)
                v |= static_cast<uint32_t>(body.at(offset + i)) << (8 * i);
            return static_cast<int32_t>(v);
        }
    };
    int Request(std::string&, uint32_t requestId, const uint8_t* data, uint32_t length, RequestReply&,
        bool) override
    {
        sent.push_back({ requestId, std::vector<uint8_t>(data, data + length) });
        return result;
    }
    int result = 1;
    std::vector<Sent> sent;
};

class ChatPane : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == 80000057)
            lines.emplace_back(engine::FromWord<const char>(event.param));
        return 1;
    }
    std::vector<std::string> lines;
};

class SideListApp : public CGameFrameApp {
public:
    SideListApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
        , handler(*this)
    {
    }
    int GetChairCount() const override { return 4; }
    GameConnection* GetConnection() override { return connection; }
    GameNotifyHandler* GetNotifyHandler() override { return &handler; }
    engine::RectObject* GetMainView() const override { return view; }
    int SendTextToHall(const std::string& text, int value) override
    {
        toHall.push_back(text + "|" + std::to_string(value));
        return 1;
    }

    GameConnection* connection = nullptr;
    GameNotifyHandler handler;
    engine::RectObject* view = nullptr;
    std::vector<std::string> toHall;

protected:
    int RunLoop() override { return 0; }
};

class SideListHost : public WidgetHost {
protected:
    static constexpr int kOwnId = 1001;

    void SetUp() override
    {
        WidgetHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The program directory (the game's ini, the screenshots) of this
        // test alone.
        programDir = std::filesystem::temp_directory_path()
            / ("kbzn_sidelists_" + std::to_string(getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(programDir);
        platform::SetExecutableDir(programDir.string() + "/");
        app = std::make_unique<SideListApp>();
        app->view = root;
        app->connection = &connection;
        app->GetHallArgs().userId = kOwnId;
        auto p = std::make_unique<ChatPane>();
        p->SetName("SubSystem");
        pane = static_cast<ChatPane*>(root->RegisterObject(std::move(p)));
        pane->SetRect({ 0, 0, kWidth, kHeight });
    }
    void TearDown() override
    {
        if (pane)
            root->RemoveObject(pane, 0);
        app.reset();
        platform::SetExecutableDir("");
        if (!programDir.empty())
            std::filesystem::remove_all(programDir);
        WidgetHost::TearDown();
    }
    // The scroll bars' pictures, named by the engine's string properties:
    // vertical track, thumb, grip, arrows, then the horizontal ones.
    void MakeScrollPictures(int thickness)
    {
        const int sizes[10][2] = { { thickness, 40 }, { thickness, 20 }, { 6, 6 }, { thickness, 8 },
            { thickness, 8 }, { 40, thickness }, { 20, thickness }, { 6, 6 }, { 8, thickness }, { 8, thickness } };
        for (int i = 0; i < 10; ++i) {
            const std::string name = "sb" + std::to_string(i);
            core().SetStringProperty(engine::PROP_SCROLLBAR_FIRST + i, name);
            MakePicture(name, sizes[i][0], sizes[i][1], 0x606060 + static_cast<uint32_t>(i));
        }
    }

    // A seat (looker-on false) or looker-on record; chair is the watched
    // chair for a looker-on.
    frame::PlayerRecord& Put(int slot, bool lookOn, int userId, const std::string& name, int chair)
    {
        frame::PlayerRecord& p = lookOn ? *app->GetLookOnPlayer(slot) : *app->GetSeatPlayer(slot);
        p.SetUserId(userId);
        p.SetName(name);
        p.SetChair(chair);
        p.SetLookOn(lookOn ? 1 : 0);
        return p;
    }
    void Wheel(int x, int y, int delta)
    {
        platform::WindowEvent e;
        e.message = platform::kWmMouseWheel;
        e.x = x;
        e.y = y;
        e.wheelDelta = delta;
        host.OnEvent(e);
        // The wheel reaches the focused object, which passes it on.
        Frames(2);
    }

    std::filesystem::path programDir;
    RecordingConnection connection;
    std::unique_ptr<SideListApp> app;
    ChatPane* pane = nullptr;
};

} // namespace frameuitest
