// replay-shot: the replay panel in the middle of playing a recorded game,
// with the skin the skin maker writes, on the table felt, saved as a PNG.
// A second panel below it shows the state before any file is opened, with
// the tip of its open button; a third one the list of replay files that its
// open button shows.
//
//   replay-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a
// display (Xvfb) to look at the window.
#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/EngineFiles.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/ReplayBlocks.h"
#include "frame/ui/ReplayRecorder.h"
#include "tools/shots/SkinnedShot.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 400;
constexpr int kSeats = 4;
constexpr const char* kReplayPack = "skins/replay.vkr";

// A game of a little over eight minutes: a record every 2.5 seconds.
std::optional<std::vector<uint8_t>> RecordedGame(const CGameFrameApp& app)
{
    frame::ReplayFile file(frame::ReplayVariant::Ordinary);
    frame::ReplayIdentity identity;
    identity.gameName = app.GetGameName();
    identity.versionMajor = app.GetVersionMajor();
    identity.versionMinor = app.GetVersionMinor();
    identity.userId = 1001;
    file.Begin(identity);
    frame::ReplayTableBlock table;
    table.SetSeatCount(kSeats);
    file.AppendTableBlock(table.Bytes());
    for (int chair = 0; chair < kSeats; ++chair)
        file.AppendSeatBlock(frame::ReplaySeatBlock {}.Bytes());
    for (uint32_t i = 0; i < 200; ++i)
        file.AppendRecord(i * 2500, 229500, {});
    return file.Encode(platform::LocalTime { 2025, 3, 8, 20, 15, 0, 0 });
}

// A recorder at its place, shown, with the file opened when one is named.
frame::ReplayPanel* Panel(engine::GameObject& root, CGameFrameApp& app, double y, const std::string& file)
{
    auto* panel = static_cast<frame::ReplayPanel*>(root.RegisterObject(std::make_unique<frame::ReplayRecorder>(app)));
    panel->SetZ(10000);
    panel->MoveTo(kWidth / 2, y);
    panel->Show();
    panel->Invalidate();
    if (!file.empty() && !panel->OpenFile(file)) {
        std::fprintf(stderr, "replay-shot: the replay does not open\n");
        return nullptr;
    }
    return panel;
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("replay-shot", argc, argv, args))
        return 2;
    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::EnginePaintModule* paint
        = tools::OpenSkinnedShot("replay-shot", host, kWidth, kHeight, std::move(owned), { kReplayPack });
    if (!paint)
        return 1;
    tools::ShowFelt(host, *root, kWidth, kHeight);

    // The replays the panels open and list.
    CGameFrameApp app("KbZn", 21534, 1, 0);
    const std::optional<std::vector<uint8_t>> game = RecordedGame(app);
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / ("kbzn-replay-shot-files-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "game.qhrep").string();
    if (!game || !engine::WriteWholeFile(file, game->data(), game->size())) {
        std::fprintf(stderr, "replay-shot: cannot write the replay\n");
        return 1;
    }
    for (const char* name : { "四人找朋友_2025年3月8日20时15分0秒.qhrep", "四人找朋友_2025年3月9日21时2分41秒.qhrep",
             "新春杯_2025年2月1日19时30分5秒.qhrep" })
        engine::WriteWholeFile(dir.string() + "/" + name, game->data(), game->size());

    frame::ReplayPanel* playing = Panel(*root, app, 60, file);
    frame::ReplayPanel* empty = Panel(*root, app, 160, "");
    frame::ReplayPanel* choosing = Panel(*root, app, 360, file);
    if (!playing || !empty || !choosing)
        return 1;
    playing->SeekToTime(200000);
    playing->PlayPause();
    playing->UpdateTimeText();
    empty->ShowButtonTip(empty->GetOpenButton()->GetId());
    choosing->ChooseFile();
    std::filesystem::remove_all(dir);

    tools::PumpFor(600);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "replay-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("replay-shot: wrote %s\n", args.out);
    if (args.check && !tools::CheckFramePng("replay-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
