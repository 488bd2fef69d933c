// match-list-shot: the side pane of a match program in the skin the skin
// maker draws: the match list with its name, the running match clock, the
// player's portrait and rank, twelve ranked players (the own row first,
// the promoted ones marked) and the row menu open on one of them; the chat
// box and input bar below. Saves the paint module's back buffer as a PNG.
//
//   match-list-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen.

#include "engine/modules/GdiPaintModule.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/WireReader.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/MatchListBar.h"
#include "frame/ui/SubSystem.h"
#include "platform/FontRenderer.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 290;
constexpr int kHeight = 640;
constexpr int kMargin = 12;
constexpr int kOwnId = 1001;

class ShotApp : public CGameFrameApp {
public:
    ShotApp()
        : CGameFrameApp("match-list-shot", 21534, 1, 1)
    {
        SetMatchMode(true);
        GetHallArgs().userId = kOwnId;
        SetOwnChair(0);
    }
};

void AddSkin(tools::TestHost& host)
{
    platform::FontRenderer font;
    tools::SkinFiles skin;
    skin.pictures[tools::kSkinFramePack] = tools::DrawFramePictures(font);
    tools::DrawSidePaneSkin(skin, font);
    tools::DrawBoardSkin(skin, font);
    tools::DrawMatchSkin(skin, font);
    for (auto& [pack, pictures] : skin.pictures) {
        for (tools::SkinPicture& picture : pictures)
            host.AddPicture(picture.name, std::move(picture.picture), tools::kShotFrameDelayMs);
    }
}

// The ranking as the server sends it: the own player 7th of 40 still in,
// the first four promoted.
void FillRanking(ShotApp& app)
{
    const char* names[] = { "东方不败", "牌神小李", "老王头", "快乐的风", "红桃K", "梅花三弄", "我是新手",
        "一路向北", "天天向上", "清风明月", "大赢家", "小小鸟" };
    std::vector<uint8_t> body(frame::MatchRanking::kHeadSize + 12 * frame::MatchRankingEntry::kSize);
    frame::StoreLe32(body.data() + 4, 12);
    frame::StoreLe32(body.data() + 8, 4);
    frame::StoreLe32(body.data() + 12, 40);
    frame::StoreLe32(body.data() + 20, 1);
    for (int i = 0; i < 12; ++i) {
        frame::MatchRankingEntry e;
        e.SetUserId(i == 6 ? kOwnId : 2000 + i);
        e.SetMatchScore(3260 - 170 * i);
        e.SetRankingKey(i + 1);
        e.SetName(names[i]);
        e.SetOut(i == 11 ? 1 : 0);
        std::copy(e.Bytes().begin(), e.Bytes().end(), body.begin() + 24 + i * 64);
    }
    app.GetMatchRanking().LoadNotification(body.data(), body.size());
    app.SortMatchRanking();
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("match-list-shot", argc, argv, args))
        return 2;

    ShotApp app;
    app.GetMatchInfo().SetMatchName("周末千人擂台赛");
    app.GetRoomInfo().SetName("比赛专区");
    app.GetRoomInfo().SetLocationName("华东赛区");
    app.GetMatchStateBlock().SetStage(frame::MatchStateBlock::kStageFinals);
    // The match began 1 h 23 min 45 s ago; the player has played 6 rounds.
    frame::StoreLe32(app.GetMatchStateBlock().MutableBytes().data() + 32, static_cast<uint32_t>(-(3600 + 23 * 60 + 45)));
    frame::MatchSeatRecord* seat = app.GetMatchSeat(0);
    seat->SetUserId(kOwnId);
    seat->SetPlayed(6);
    frame::PlayerRecord* self = app.GetSeatPlayer(0);
    self->SetUserId(kOwnId);
    self->SetFigure(1);
    self->SetChair(0);

    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::GdiPaintModule* paint
        = tools::OpenShotWindow("match-list-shot", host, "KbZn 比赛侧栏", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;
    AddSkin(host);

    engine::SpriteObject* felt = root->CreateSprite(tools::AddPicture(host, "shot_felt", kWidth, kHeight, tools::Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-500000);
    felt->Show();
    felt->Invalidate();

    auto made = std::make_unique<frame::SubSystem>();
    made->SetName("SubSystem");
    auto* pane = static_cast<frame::SubSystem*>(root->RegisterObject(std::move(made)));
    pane->SetZ(10);
    pane->SetRect({ kMargin, kMargin, kWidth - kMargin, kHeight - kMargin });
    pane->OnRefresh();
    pane->RefreshMatchList();

    FillRanking(app);
    pane->OnEvent(engine::EngineEvent(0, frame::EVT_PANE_SORTED_RANKING, 0, 0));
    tools::PumpFor(1300);

    // The row menu on the fourth row.
    auto* bar = dynamic_cast<frame::MatchListBar*>(pane->FindObjectByName(frame::kMatchListBarName));
    frame::MatchPlayerList* list = bar ? bar->GetPlayerList() : nullptr;
    int row = 0;
    for (const engine::RichTextNode* n = list ? list->GetFirstNode() : nullptr; n; n = n->next) {
        if ((n->flags & engine::NODE_OBJECT) && row++ == 3)
            list->OnEvent(engine::EngineEvent(list->GetId(), frame::EVT_MATCH_ROW_MENU, 0,
                static_cast<engine::MessageWord>(n->code)));
    }
    tools::PumpFor(400);

    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "match-list-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("match-list-shot: wrote %s\n", args.out);
    if (args.check && !tools::CheckFramePng("match-list-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
