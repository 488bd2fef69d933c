// cardtable-shot: the card table as a player sees it in the middle of a
// round, at each of the card layer's three size classes: the own hand
// fanned face up along the bottom with two cards raised, the other three
// hands face down at their seats, plays on the table, the play buttons, the
// turn clock beside the board of the player whose turn it is, the sort
// buttons, the round's information box and the four players' boards, on
// the skin the skin maker draws.
// The round is brought there through the view's own operations: seating,
// a play announced by the server, the turn.
//
//   cardtable-shot [--check] <out.png>
//
// Writes <out>-1.png, <out>-2.png and <out>-3.png (the size classes, from
// the narrow table to the wide one). With --check each file is read back
// and the program fails when one is missing or blank. Runs headless with
// SDL_VIDEODRIVER=offscreen, or on a display (Xvfb).

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameState.h"
#include "cards/CardGameApp.h"
#include "cards/CardPlayerBoard.h"
#include "cards/CardTableView.h"
#include "platform/FontRenderer.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using tools::AddPicture;
using tools::Felt;
using tools::ShotRoot;

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

class ShotState : public GameState {
public:
    bool IsPlaying() const override { return true; }
    int GetTableWord48() const override { return 0; }
    bool IsChairReady(int) const override { return true; }
    int GetStatus() const override { return 0x100; }
    void SetStatus(int) override { }
    int GetTableWord32() const override { return 3; }
    int GetTableWord36() const override { return 0; }
    int GetTableWord40() const override { return 50; }
    int GetTableWord56() const override { return turn; }
    int GetTableWord52() const override { return 0; }
    void ResetTable() override { }
    void SetTableWord56(int value) override { turn = value; }
    void SetChairReady(int) override { }
    int turn = 0;
};

class ShotApp : public game::CardGameApp {
public:
    ShotApp()
        : CardGameApp("KbZn", 21534, 1, 1)
    {
        SetOwnChair(1);
        GetTableInfo().SetPlayerCount(4);
        const char* names[] = { "青山隐隐", "我自己", "江南小雨", "牌桌老手" };
        for (int chair = 0; chair < 4; ++chair) {
            frame::PlayerRecord* player = GetSeatPlayer(chair);
            player->SetUserId(1001 + chair);
            player->SetChair(chair);
            player->SetName(names[chair]);
            player->SetFigure(chair % 4);
            player->SetSilver(1200 * (chair + 1));
        }
    }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &state; }
    ShotState state;
};

struct TableSize {
    int width;
    int height;
};

// The three size classes of the card layer's pictures.
constexpr TableSize kSizes[] = { { 960, 640 }, { 1280, 800 }, { 1600, 1000 } };

// Cards of each hand and of each play (ids of the first deck and the
// second, face ids mixed so every suit and the jokers show).
const std::vector<int> kOwnHand = { 53, 52, 12, 64, 25, 38, 89, 11, 24, 50, 10, 9, 22, 35, 102, 7, 20, 5, 44, 3, 16 };
const std::vector<int> kPlays[4] = { {}, { 30, 84 }, { 1, 2, 3, 4, 5 }, { 106 } };

void Lay(game::CardSprite* card, int id, int owner, int seat, int order, int count, int state, int faceUp)
{
    card->cardId = id;
    card->ownerChair = owner;
    card->seat = seat;
    card->order = order;
    card->count = count;
    card->faceUp = faceUp;
    card->selected = 0;
    card->state = state;
}

// Deals the round's picture onto the first cards of the view.
void Deal(game::CardTableView& view)
{
    int next = 0;
    const int own = view.ViewToChair(0);
    const int n = static_cast<int>(kOwnHand.size());
    for (int i = 0; i < n; ++i) {
        game::CardSprite* card = view.GetCard(next++);
        Lay(card, kOwnHand[static_cast<size_t>(i)], own, 0, i, n, game::kCardInHand, 1);
    }
    for (int seat = 1; seat < 4; ++seat) {
        const int chair = view.ViewToChair(seat);
        const int held = 27 - 2 * seat;
        for (int i = 0; i < held; ++i, ++next)
            Lay(view.GetCard(next), 108 + next, chair, seat, i, held, game::kCardInHand, 0);
        const std::vector<int>& play = kPlays[seat];
        for (size_t i = 0; i < play.size(); ++i)
            Lay(view.GetCard(next++), play[i], chair, seat, static_cast<int>(i), static_cast<int>(play.size()),
                game::kCardPlayed, 1);
    }
    for (int i = 0; i < next; ++i)
        view.GetCard(i)->Update();
}

// The left-hand player, who plays before us, made the last play; the turn
// comes to us with the pass, hint and throw buttons and the clock beside
// our board, and the hint raises a pair that beats it.
void ShowTurn(game::CardTableView& view, ShotState& state)
{
    view.GetButton(game::CardTableView::kStartButton)->Hide();
    view.GetButton(game::CardTableView::kStartButton)->Invalidate();
    for (int position = 0; position < 4; ++position)
        view.GetPlayerBoard(position)->HideCharacterFigure();
    const int left = view.ViewToChair(1);
    const std::vector<int>& play = kPlays[1];
    auto last = view.Hand().Rules().ChoosePlay(left, play.data(), static_cast<int>(play.size()), nullptr);
    if (last)
        view.SetLastPlay(left, *last);
    for (int chair = 0; chair < 4; ++chair)
        view.LayoutSeatCards(chair);
    view.SortHand(game::kSortBySizeDown);
    state.turn = left;
    view.StartTurnClock();
    view.SetTurn(view.ViewToChair(0), 15);
    view.OnMyTurn();
    view.ShowPlayButtons(1);
    view.ShowGameInfoBox();
    view.OnHintClicked();
}

bool SaveCrop(const engine::GdiPaintModule& paint, const std::string& path, int width, int height)
{
    std::vector<uint32_t> pixels = paint.FinishedFrame();
    for (uint32_t& p : pixels)
        p |= 0xff000000u;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
        paint.GetWidth() * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return false;
    const bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("cardtable-shot", argc, argv, args))
        return 2;
    tools::TestHost::PreferHeadlessDrivers();
    ShotApp app;
    tools::TestHost host;
    auto owned = std::make_unique<ShotRoot>();
    ShotRoot* root = owned.get();
    engine::EnginePaintModule* paint
        = tools::OpenShotWindow("cardtable-shot", host, "KbZn 牌桌", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;

    // The whole skin as the client loads it (the small board's height
    // places the play buttons).
    platform::FontRenderer font;
    tools::SkinFiles skin;
    skin.pictures[tools::kSkinFramePack] = tools::DrawFramePictures(font);
    for (const tools::SkinArea area : tools::kSkinAreas)
        area(skin, font);
    for (auto& [pack, pictures] : skin.pictures)
        for (tools::SkinPicture& picture : pictures)
            host.AddPicture(picture.name, std::move(picture.picture), 400);

    engine::SpriteObject* felt = root->CreateSprite(AddPicture(host, "shot_felt", kWidth, kHeight, Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-9000000);
    felt->Show();
    felt->Invalidate();

    auto made = std::make_unique<game::CardTableView>();
    made->SetName("MainGame");
    auto* view = static_cast<game::CardTableView*>(root->RegisterObject(std::move(made)));
    if (!view) {
        std::fprintf(stderr, "cardtable-shot: no table view\n");
        return 1;
    }
    view->OnRandomSeat();
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        const TableSize size = kSizes[i];
        view->SetRect({ 0, 0, size.width, size.height });
        Deal(*view);
        ShowTurn(*view, app.state);
        tools::PumpFor(400);
        const std::string path = tools::SuffixedPath(args.out, "-" + std::to_string(i + 1));
        if (!SaveCrop(*paint, path, size.width, size.height)) {
            std::fprintf(stderr, "cardtable-shot: cannot write %s\n", path.c_str());
            return 1;
        }
        if (args.check)
            ok = tools::CheckFramePng("cardtable-shot", path.c_str(), size.width, size.height) && ok;
    }
    return ok ? 0 : 1;
}
