// mainview-shot: the frame's main view with the skin the skin maker draws,
// in three states, each saved as a PNG: the side pane open with a system
// notice, the automatic-play sign and a player's detail panel; the side
// pane folded away with the match quit board and another player's exit
// request sliding into the corner; and a leave confirmation box.
//
//   mainview-shot [--check] <out.png>
//
// The three files are <out>.png, <out>-folded.png and <out>-box.png. With
// --check each is read back and the program fails when one is missing or
// blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a display
// (Xvfb) to look at the window.

#include "engine/modules/ResourceModule.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/WireReader.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/SplitterBar.h"
#include "platform/Files.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgram = "mainview-shot";
constexpr int kWidth = 1280;
constexpr int kHeight = 760;
constexpr int kOtherPlayer = 10002;

// The main view with the skin written into a directory of its own.
class ShotFrame : public frame::GameFrame {
public:
    explicit ShotFrame(std::string skinDir)
        : GameFrame(kWidth)
        , m_skinDir(std::move(skinDir))
    {
    }

protected:
    void LoadSkinPacks() override
    {
        if (engine::ResourceModule* resources = GetResourceModule())
            for (const char* pack : { tools::kSkinFramePack, tools::kSkinFacePack })
                resources->LoadPackFile(m_skinDir + pack);
    }
    // The shot has no frame window to close or move.
    platform::Window* GetFrameWindow() override { return nullptr; }
    void CloseMainWindow() override { }

private:
    std::string m_skinDir;
};

class ShotApp : public CGameFrameApp {
public:
    ShotApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }
};

void SeatPlayers(ShotApp& app)
{
    app.SetStandAlone(true);
    app.GetHallArgs().userId = 10001;
    struct Seat {
        int id;
        const char* name;
        int silver, score, won, lost, drawn, disconnects;
    };
    const Seat seats[] = { { 10001, "自己", 52000, 1830, 120, 96, 4, 3 },
        { kOtherPlayer, "小王牌", 128600, 4210, 342, 217, 11, 6 } };
    for (int chair = 0; chair < 2; ++chair) {
        frame::PlayerRecord* p = app.GetSeatPlayer(chair);
        p->SetUserId(seats[chair].id);
        p->SetName(seats[chair].name);
        p->SetSilver(seats[chair].silver);
        p->SetScore(seats[chair].score);
        p->SetLevelTitle("高级玩家");
        p->SetExperienceMinutes(5230);
        p->SetNetSpeed(45);
        p->SetWon(seats[chair].won);
        p->SetLost(seats[chair].lost);
        p->SetDrawn(seats[chair].drawn);
        p->SetDisconnects(seats[chair].disconnects);
    }
}

std::string WithSuffix(const std::string& path, const char* suffix)
{
    const size_t dot = path.rfind(".png");
    return dot == std::string::npos ? path + suffix + ".png" : path.substr(0, dot) + suffix + ".png";
}

bool Save(const engine::EnginePaintModule& paint, const std::string& path, bool check)
{
    tools::PumpFor(400);
    if (!tools::SaveFramePng(paint, path.c_str())) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram, path.c_str());
        return false;
    }
    std::printf("%s: wrote %s\n", kProgram, path.c_str());
    return !check || tools::CheckFramePng(kProgram, path.c_str(), kWidth, kHeight);
}

// As the boards' own buttons hide them.
void Hide(engine::EngineObject& board)
{
    board.OnEvent(engine::EngineEvent(board.GetId(), engine::EVT_HIDE, 0, 0));
}

// Another player's exit request as the server sends it.
std::vector<uint8_t> ExitRequest()
{
    std::vector<uint8_t> body(84, 0);
    frame::StoreLe32(body.data(), kOtherPlayer);
    const std::string reason = "家里有急事，先走一步，抱歉！";
    std::copy(reason.begin(), reason.end(), body.begin() + 20);
    return body;
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs(kProgram, argc, argv, args))
        return 2;
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / ("kbzn-mainview-shot-" + std::to_string(::getpid()));
    std::string error;
    if (!tools::WriteSkin(dir.string(), false, error)) {
        std::fprintf(stderr, "%s: cannot write the skin: %s\n", kProgram, error.c_str());
        return 1;
    }
    const std::string skinDir = dir.string() + "/";
    // The application reads the skin's colours beside its program.
    platform::SetExecutableDir(skinDir);
    int result = 1;
    {
        ShotApp app;
        app.GetHallArgs().title = "KbZn 升级 - 新手房 第12桌";
        SeatPlayers(app);
        tools::TestHost host;
        auto view = std::make_unique<ShotFrame>(skinDir);
        ShotFrame* frameView = view.get();
        engine::EnginePaintModule* paint
            = tools::OpenShotWindow(kProgram, host, "mainview-shot", kWidth, kHeight, std::move(view));
        if (paint) {
            frameView->SetRect({ 0, 0, kWidth, kHeight });
            tools::PumpFor(200);
            bool ok = true;

            // The side pane open, a notice and a player's details.
            frameView->ShowSystemBoard("比赛将于20:00准时开始，请提前入座。报名截止前可随时退赛。", 0xFFFFFF, 16);
            frameView->ShowPlayerDetailPanel(*app.GetSeatPlayer(1));
            frameView->PlacePlayerBoardSmall(kOtherPlayer, 960, 700);
            frameView->ShowAutoPlayAnimation(true);
            ok &= Save(*paint, args.out, args.check);
            Hide(*frameView->GetSystemBoard());
            frameView->OnEvent(engine::EngineEvent(frameView->GetId(), frame::EVT_FRAME_DETAIL_CLOSE, 0, 0));

            // The side pane folded, the quit board, automatic play and a
            // request sliding in.
            frame::SplitterBar* divider = frameView->GetSplitter();
            divider->OnEvent(engine::EngineEvent(divider->GetId(), frame::EVT_SPLITTER_PRESS, 0, 0));
            frameView->ShowAutoPlayAnimation(false);
            frameView->ShowQuitConfirmBoard();
            const std::vector<uint8_t> request = ExitRequest();
            frameView->ShowQuitRequest(request.data(), request.size());
            tools::PumpFor(1200);
            ok &= Save(*paint, WithSuffix(args.out, "-folded"), args.check);
            Hide(*frameView->GetQuitBoard());

            // A leave confirmation over the table.
            divider->OnEvent(engine::EngineEvent(divider->GetId(), frame::EVT_SPLITTER_PRESS, 0, 0));
            frameView->ShowMessageBox("游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？", nullptr, nullptr,
                15, frame::SIB_TWO_BUTTONS | frame::SIB_HEAD_PICTURE | frame::SIB_HEAD_ANIMATED, "vkf疑问");
            ok &= Save(*paint, WithSuffix(args.out, "-box"), args.check);
            result = ok ? 0 : 1;
        }
    }
    platform::SetExecutableDir({});
    std::filesystem::remove_all(dir);
    return result;
}
