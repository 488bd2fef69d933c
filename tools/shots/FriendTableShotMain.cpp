// friendtable-shot: the game's table in two moments of a round, on the skin
// the skin maker draws: in the middle of the first round's deal (the hands
// growing at the four seats, the flipped card beside the banker who drew
// it, the information box), in a trick (a pair, a higher pair, a pass and
// a bomb on the table, the clock at the banker's seat), and at the round's
// end with the result box, every remaining hand face up and the bonus
// frames.
//
//   friendtable-shot [--check] <out.png>
//
// Then the second round: its deal and a bomb with the fireworks of the
// round's first bonus at the bomber's badge, and its end, where the bombs
// and jokers still in the hands join the bonus frames.
//
// Writes <out>-deal.png, <out>-play.png, <out>-result.png, <out>-bonus2.png
// and <out>-result2.png. With --check each file is
// read back and the program fails when one is missing or blank. Runs
// headless with SDL_VIDEODRIVER=offscreen, or on a display (Xvfb).

#include "frame/core/FrameRecords.h"
#include "cards/CardGameApp.h"
#include "engine/controls/widgets/ImageButton.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendPlayerBoard.h"
#include "game/FriendTableView.h"
#include "platform/FontRenderer.h"
#include "table/FriendCardRules.h"
#include "table/FriendRecords.h"
#include "tools/shots/FrameShot.h"
#include "tools/shots/SkinHost.h"
#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tools::AddPicture;
using tools::Felt;
using tools::ShotRoot;

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kOwn = 1;
constexpr int kBanker = 2;

class ShotApp : public game::CardGameApp {
public:
    ShotApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
        SetOwnChair(kOwn);
        const char* names[] = { "东风破", "南山有鹿", "西门吹雪", "北冥有鱼" };
        for (int chair = 0; chair < 4; ++chair) {
            GetSeatPlayer(chair)->SetName(names[chair]);
            GetSeatPlayer(chair)->SetUserId(1000 + chair);
        }
    }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &data; }
    engine::EngineObject* GetTableView() const override { return view; }
    game::FriendGameData data;
    engine::EngineObject* view = nullptr;
};

// The first round: the banker draws the flipped card (the second deck's
// heart queen) as his fourth card; the own hand is a mixed one.
void SetRound(game::FriendGameData& data)
{
    table::FriendTableState state;
    table::InitTableState(&state);
    state.header.roundCount = 1;
    state.header.banker = kBanker;
    state.header.currentChair = kBanker;
    state.header.baseScore = 20;
    state.header.calledCard = 54 + 24;
    state.header.calledRound = 3;
    const int hand[27] = { 53, 52, 12, 64, 25, 38, 89, 11, 24, 50, 10, 9, 22, 35, 102, 7, 20, 5, 44, 3, 16, 29, 42,
        1, 14, 27, 40 };
    for (int i = 0; i < 27; ++i)
        state.header.cards[i] = hand[i];
    data.SetTableState(state);
}

// The round's end: the banker and his friend (chair 0) finished first and
// third; bombs and jokers for the bonus frames; a few cards left.
void SetResult(game::FriendGameData& data)
{
    // The friend never played the copy: the result names him.
    table::FriendTableState state = data.GetTableState();
    const int bombs[] = { 8, 21, 62, 75, 9, 22, 35, 48 };
    for (int i = 0; i < 8; ++i)
        state.lists[kBanker][i] = bombs[i];
    state.bombListed[kBanker] = 8;
    state.lists[kOwn][27] = 53;
    state.lists[kOwn][26] = 107;
    state.jokerListed[kOwn] = 2;
    data.SetTableState(state);

    table::FriendResultInfo result;
    const int score[] = { 40, -40, 40, -40 };
    const int place[] = { 3, 2, 1, 4 };
    for (int c = 0; c < 4; ++c) {
        result.base.scoreChange[c] = score[c];
        result.place[c] = place[c];
        for (int i = 0; i < 27; ++i)
            result.cardsLeft[c][i] = -1;
    }
    const int left1[] = { 3, 16, 29 };
    const int left3[] = { 4, 17, 30, 43, 58, 71 };
    for (int i = 0; i < 3; ++i)
        result.cardsLeft[1][i] = left1[i];
    for (int i = 0; i < 6; ++i)
        result.cardsLeft[3][i] = left3[i];
    result.bonus[kBanker] = 2;
    result.bonus[kOwn] = 1;
    result.teamResult = 2;
    result.friendChair = 0;
    result.baseAmount = 25;
    result.base.doubledMask = 1 << kBanker;
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    result.Write(body);
    data.EndRound(body.data(), body.size());
}

// Leaves each chair a few cards in hand, as when the round ends.
void ThinHands(game::FriendTableView& view, const int (&keep)[4])
{
    int held[4] = {};
    for (int i = 0; i < game::kGameCards; ++i) {
        game::CardSprite* card = view.GetGameCard(i);
        if (!card || card->state != game::kCardInHand)
            continue;
        const int chair = card->ownerChair;
        if (held[chair]++ >= keep[chair]) {
            card->state = game::kCardHidden;
            card->Update();
        }
    }
}

void Put(std::vector<uint8_t>& body, size_t at, int value)
{
    std::memcpy(body.data() + at, &value, 4);
}

// 221170: the chair plays, and the next one has its seconds.
void ShowPlay(game::FriendTableView& view, int chair, int next, int type, const std::vector<int>& ids)
{
    game::ThrownPlay thrown;
    thrown.chair = chair;
    thrown.nextChair = next;
    thrown.seconds = 20;
    thrown.play = table::PlayRecord(type, 0, 0, static_cast<int>(ids.size()));
    std::copy(ids.begin(), ids.end(), thrown.play.cards);
    view.OnCardsThrown(thrown);
}

// 223100: the chair passes and the next one plays.
void ShowPass(game::FriendTableView& view, int chair, int next)
{
    game::PassedTurn pass;
    pass.chair = chair;
    pass.nextChair = next;
    pass.seconds = 20;
    view.OnPassed(pass);
}

// A trick in play, in the table's order 2, 1, 0, 3: the banker's pair of
// tens, our pair of kings, a pass and a bomb of eights; the banker is next.
void PlayTrick(game::FriendTableView& view)
{
    ShowPlay(view, kBanker, kOwn, table::CT_PAIR, { 8, 62 });
    tools::PumpFor(600);
    ShowPlay(view, kOwn, 0, table::CT_PAIR, { 11, 24 });
    tools::PumpFor(600);
    ShowPass(view, 0, 3);
    tools::PumpFor(300);
    ShowPlay(view, 3, kBanker, table::CT_BOMB, { 6, 19, 60, 73 });
    tools::PumpFor(1200);
}

// The second round: the own chair is dealt a hand with a bomb of four 6s
// and both big jokers.
void SetSecondRound(game::FriendGameData& data)
{
    table::FriendTableState state = data.GetTableState();
    state.header.roundCount = 2;
    state.header.banker = 3;
    state.header.currentChair = 3;
    state.header.calledCard = 54 + 30;
    state.header.calledRound = 9;
    const int hand[27] = { 53, 107, 5, 18, 31, 44, 12, 64, 25, 38, 89, 11, 24, 50, 10, 9, 22, 35, 102, 7, 20, 3, 16,
        29, 42, 1, 14 };
    for (int i = 0; i < 27; ++i)
        state.header.cards[i] = hand[i];
    std::vector<uint8_t> start(table::FriendTableState::kWireSize);
    state.Write(start);
    data.BeginRound(start.data(), game::FriendGameData::kStartSize);
}

// 402000: the bonus counts of the four chairs.
void ShowBonusCounts(game::FriendTableView& view, const int (&counts)[4])
{
    std::vector<uint8_t> body(24, 0);
    for (size_t c = 0; c < 4; ++c)
        Put(body, 8 + 4 * c, counts[c]);
    view.OnBonusCounts(body.data(), body.size());
}

// The second round's end: chair 0 keeps four 9s and a small joker, the own
// chair its two big jokers and a pair.
void SetSecondResult(game::FriendGameData& data)
{
    table::FriendResultInfo result;
    const int score[] = { -20, 20, -20, 20 };
    const int place[] = { 4, 1, 3, 2 };
    for (int c = 0; c < 4; ++c) {
        result.base.scoreChange[c] = score[c];
        result.place[c] = place[c];
        for (int i = 0; i < 27; ++i)
            result.cardsLeft[c][i] = -1;
    }
    const int left0[] = { 8, 21, 62, 75, 52 };
    const int left1[] = { 53, 107, 12, 66 };
    for (int i = 0; i < 5; ++i)
        result.cardsLeft[0][i] = left0[i];
    for (int i = 0; i < 4; ++i)
        result.cardsLeft[kOwn][i] = left1[i];
    result.bonus[kOwn] = 1;
    result.teamResult = 1;
    result.friendChair = kOwn;
    result.baseAmount = 25;
    std::vector<uint8_t> body(table::FriendResultInfo::kWireSize);
    result.Write(body);
    data.EndRound(body.data(), body.size());
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("friendtable-shot", argc, argv, args))
        return 2;
    tools::TestHost::PreferHeadlessDrivers();
    ShotApp app;
    tools::TestHost host;
    auto owned = std::make_unique<ShotRoot>();
    ShotRoot* root = owned.get();
    engine::EnginePaintModule* paint
        = tools::OpenShotWindow("friendtable-shot", host, "KbZn 找朋友", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;

    // The whole skin as the client loads it.
    platform::FontRenderer font;
    tools::AddSkinPictures(host, tools::DrawFramePictures(font));
    for (const tools::SkinArea area : tools::kSkinAreas)
        tools::AddSkinArea(host, area, font);

    engine::SpriteObject* felt = root->CreateSprite(AddPicture(host, "shot_felt", kWidth, kHeight, Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-9000000);
    felt->Show();
    felt->Invalidate();

    SetRound(app.data);
    auto made = std::make_unique<game::FriendTableView>();
    made->SetName("MainGame");
    auto* view = static_cast<game::FriendTableView*>(root->RegisterObject(std::move(made)));
    if (!view) {
        std::fprintf(stderr, "friendtable-shot: no table view\n");
        return 1;
    }
    app.view = view;
    view->SetRect({ 0, 0, kWidth, kHeight });
    view->OnRefresh();
    for (int chair = 0; chair < 4; ++chair)
        if (game::FriendPlayerBoard* board = view->GetGameChairBoard(chair))
            board->UpdatePlayer(chair);
    // The players pressed start: the button is gone when the round begins.
    view->GetButton(game::CardTableView::kStartButton)->Hide();
    view->GetButton(game::CardTableView::kStartButton)->Invalidate();

    bool ok = true;
    auto save = [&](const char* suffix) {
        const std::string path = tools::SuffixedPath(args.out, suffix);
        if (!tools::SaveFramePng(*paint, path.c_str())) {
            std::fprintf(stderr, "friendtable-shot: cannot write %s\n", path.c_str());
            return false;
        }
        if (args.check)
            ok = tools::CheckFramePng("friendtable-shot", path.c_str(), kWidth, kHeight) && ok;
        return true;
    };

    view->ShowRoundHeader();
    for (int i = 0; i < 400 && view->GetDealCount() < 70; ++i)
        tools::PumpFor(10);
    if (!save("-deal"))
        return 1;

    for (int i = 0; i < 600 && view->IsDealing(); ++i)
        tools::PumpFor(10);
    tools::PumpFor(2300);
    PlayTrick(*view);
    if (!save("-play"))
        return 1;
    view->ClearPlayedCards(-1);
    ThinHands(*view, { 0, 3, 0, 6 });
    SetResult(app.data);
    view->ShowRoundResultLines();
    tools::PumpFor(400);
    if (!save("-result"))
        return 1;

    // The box closed, everyone started again: the second round.
    view->CloseResultPanel();
    view->GetButton(game::CardTableView::kStartButton)->Hide();
    view->GetButton(game::CardTableView::kStartButton)->Invalidate();
    SetSecondRound(app.data);
    view->ShowRoundHeader();
    for (int i = 0; i < 600 && view->IsDealing(); ++i)
        tools::PumpFor(10);
    tools::PumpFor(2300);
    ShowPlay(*view, kOwn, 0, table::CT_BOMB, { 5, 18, 31, 44 });
    tools::PumpFor(800);
    ShowBonusCounts(*view, { 0, 1, 0, 0 });
    tools::PumpFor(250);
    if (!save("-bonus2"))
        return 1;
    tools::PumpFor(1500);
    view->ClearPlayedCards(-1);
    ThinHands(*view, { 5, 4, 0, 0 });
    SetSecondResult(app.data);
    view->ShowRoundResultLines();
    tools::PumpFor(400);
    if (!save("-result2"))
        return 1;
    return ok ? 0 : 1;
}
