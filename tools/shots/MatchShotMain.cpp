// match-shot: the match panels drawn with the skin the skin maker writes:
// left, the sign-up panel with the countdown and the fee; right, a round's
// result over its mask with the closing banner above. Saved as a PNG.
//
//   match-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen.
#include "engine/modules/ResourceModule.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/WireReader.h"
#include "frame/ui/MatchPanels.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 540;

class ShotApp : public CGameFrameApp {
public:
    ShotApp()
        : CGameFrameApp("match-shot", 21534, 1, 1)
    {
        SetMatchMode(true);
    }
};

// One half of the window as the table the panels stand on.
class HalfTable : public tools::ShotRoot, public frame::MatchPanelsHost {
public:
    void SetTable(engine::Rect rect) { m_rect = rect; }
    engine::Rect GetTableRect() const override { return m_rect; }
    void SendToTable(int, intptr_t) override { }
    using engine::GameObject::ShowSystemBoard;
    void ShowSystemBoard(const std::string&, uint32_t, int) override { }
    void HideSystemBoard() override { }
    void AddChatLine(const std::string&) override { }
    std::string GetCharacterImageName(int, int) override { return "Character1Type2"; }
    void RequestPlayerDetail() override { }
    void BringToFront() override { }
    int OnEvent(const engine::EngineEvent& event) override
    {
        return panels && panels->OnEvent(event) ? 1 : ShotRoot::OnEvent(event);
    }
    frame::MatchPanels* panels = nullptr;

private:
    engine::Rect m_rect;
};

void Put(uint8_t* bytes, size_t offset, int32_t value)
{
    frame::StoreLe32(bytes + offset, static_cast<uint32_t>(value));
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("match-shot", argc, argv, args))
        return 2;
    const std::filesystem::path scratch
        = std::filesystem::temp_directory_path() / ("kbzn-match-shot-" + std::to_string(getpid()));
    std::string error;
    const std::filesystem::path dir = tools::SkinForCheck(scratch.string(), error);
    if (dir.empty()) {
        std::fprintf(stderr, "match-shot: %s\n", error.c_str());
        return 1;
    }
    ShotApp app;
    Put(app.GetMatchStateBlock().MutableBytes().data(), 32, 3 * 3600 + 25 * 60 + 7);
    Put(app.GetMatchInfo().MutableBytes().data(), 1232, 1);
    Put(app.GetMatchInfo().MutableBytes().data(), 1236, 500);

    tools::TestHost::PreferHeadlessDrivers();
    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::EnginePaintModule* paint
        = tools::OpenShotWindow("match-shot", host, "match-shot", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;
    engine::ResourceModule* resources = root->GetResourceModule();
    for (const char* pack : { tools::kSkinFramePack, "skins/common.vkr" })
        if (!resources || !resources->LoadPackFile((dir / pack).string())) {
            std::fprintf(stderr, "match-shot: the skin pack %s does not load\n", pack);
            return 1;
        }
    std::filesystem::remove_all(scratch);
    engine::SpriteObject* back = root->CreateSprite(tools::AddPicture(host, "shot_felt", kWidth, kHeight, tools::Felt));
    back->MoveTo(kWidth / 2, kHeight / 2);
    back->SetZ(-500000);
    back->Show();
    back->Invalidate();

    // Left: not signed up yet, three hours to go, a fee of 500 silver.
    auto* left = tools::Register<HalfTable>(*root);
    left->SetTable({ 0, 0, kWidth / 2, kHeight });
    frame::MatchPanels signUp(*left, *left);
    left->panels = &signUp;
    signUp.Create();
    signUp.StartMatchCountdown();
    signUp.ShowNotSignedUp();

    // Right: a round's result with an award, the end banner above it.
    auto* right = tools::Register<HalfTable>(*root);
    right->SetTable({ kWidth / 2, 0, kWidth, kHeight });
    frame::MatchPanels result(*right, *right);
    right->panels = &result;
    result.Create();
    std::array<uint8_t, frame::kMatchResultNoticeSize> notice {};
    Put(notice.data(), 20, 3);
    Put(notice.data(), 24, 12);
    Put(notice.data(), 28, 2);
    Put(notice.data(), 32, 800);
    Put(notice.data(), 36, 5);
    const std::string award = "精美奖杯一座";
    std::copy(award.begin(), award.end(), notice.begin() + 44);
    const std::array<uint8_t, frame::kMatchEndNoticeSize> end {};
    result.QueueMatchResult(notice.data(), notice.size());
    result.QueueMatchEnd(end.data(), end.size());

    tools::PumpFor(900);
    left->panels = nullptr;
    right->panels = nullptr;
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "match-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("match-shot: wrote %s\n", args.out);
    if (args.check && !tools::CheckFramePng("match-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
