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
#include "engine/modules/ResourceModule.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/ReplayBlocks.h"
#include "frame/ui/ReplayRecorder.h"
#include "tools/FrameShot.h"
#include "tools/SkinMaker.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 400;
constexpr int kSeats = 4;

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

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("replay-shot", argc, argv, args))
        return 2;
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / ("kbzn-replay-shot-" + std::to_string(getpid()));
    std::string error;
    if (!tools::WriteSkin(dir.string(), false, error)) {
        std::fprintf(stderr, "replay-shot: %s\n", error.c_str());
        return 1;
    }

    tools::TestHost::PreferHeadlessDrivers();
    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::EnginePaintModule* paint
        = tools::OpenShotWindow("replay-shot", host, "replay-shot", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;
    engine::ResourceModule* resources = root->GetResourceModule();
    if (!resources || !resources->LoadPackFile((dir / "skins/replay.vkr").string())) {
        std::fprintf(stderr, "replay-shot: the replay pack does not load\n");
        return 1;
    }
    const engine::PictureDesc felt = tools::AddPicture(host, "shot_felt", kWidth, kHeight, tools::Felt);
    if (engine::SpriteObject* back = root->CreateSprite(felt)) {
        back->MoveTo(kWidth / 2, kHeight / 2);
        back->SetZ(-500000);
        back->Show();
        back->Invalidate();
    }

    CGameFrameApp app("KbZn", 21534, 1, 0);
    const std::optional<std::vector<uint8_t>> game = RecordedGame(app);
    const std::string file = (dir / "game.qhrep").string();
    if (!game || !engine::WriteWholeFile(file, game->data(), game->size())) {
        std::fprintf(stderr, "replay-shot: cannot write the replay\n");
        return 1;
    }
    for (const char* name : { "四人找朋友_2025年3月8日20时15分0秒.qhrep", "四人找朋友_2025年3月9日21时2分41秒.qhrep",
             "新春杯_2025年2月1日19时30分5秒.qhrep" })
        engine::WriteWholeFile(dir.string() + "/" + name, game->data(), game->size());

    auto* playing = static_cast<frame::ReplayPanel*>(root->RegisterObject(std::make_unique<frame::ReplayRecorder>(app)));
    playing->SetZ(10000);
    playing->MoveTo(kWidth / 2, 60);
    playing->Show();
    playing->Invalidate();
    if (!playing->OpenFile(file)) {
        std::fprintf(stderr, "replay-shot: the replay does not open\n");
        return 1;
    }
    playing->SeekToTime(200000);
    playing->PlayPause();
    playing->UpdateTimeText();

    auto* empty = static_cast<frame::ReplayPanel*>(root->RegisterObject(std::make_unique<frame::ReplayRecorder>(app)));
    empty->SetZ(10000);
    empty->MoveTo(kWidth / 2, 160);
    empty->Show();
    empty->Invalidate();
    empty->ShowButtonTip(empty->GetOpenButton()->GetId());

    auto* choosing = static_cast<frame::ReplayPanel*>(root->RegisterObject(std::make_unique<frame::ReplayRecorder>(app)));
    choosing->SetZ(10000);
    choosing->MoveTo(kWidth / 2, 360);
    choosing->Show();
    choosing->Invalidate();
    if (!choosing->OpenFile(file)) {
        std::fprintf(stderr, "replay-shot: the replay does not open\n");
        return 1;
    }
    choosing->ChooseFile();

    tools::PumpFor(600);
    std::filesystem::remove_all(dir);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "replay-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("replay-shot: wrote %s\n", args.out);
    if (args.check && !tools::CheckFramePng("replay-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
