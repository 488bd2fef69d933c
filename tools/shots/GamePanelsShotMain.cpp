// game-panels-shot: the game's panels on a table in the host window, drawn
// with the skin the skin maker writes: the emoticon picker open with a face
// previewed, a chat bubble at each of the four seats (text, emoticons and a
// long line), the card counter with an opponent's played cards, the
// settings panel and the award marquee on its way in. Saves the back buffer
// as a PNG.
//
//   game-panels-shot [--check] [--sheet sheet.png] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank; --sheet also writes a contact sheet of every picture
// of the game panels' skin. Runs headless with SDL_VIDEODRIVER=offscreen.

#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/FacePicker.h"
#include "frame/ui/FaceTables.h"
#include "game/AwardMarquee.h"
#include "cards/CardCounterPanel.h"
#include "cards/ChatBubble.h"
#include "game/GameSettings.h"
#include "platform/FontRenderer.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinDraw.h"
#include "tools/skin/SkinMaker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr engine::Rect kTable { 0, 0, kWidth, kHeight };

// The table view: it forwards the marquee's tick.
class Table : public tools::ShotRoot {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == game::EVT_MARQUEE_TICK && marquee) {
            marquee->Step();
            return 1;
        }
        return ShotRoot::OnEvent(event);
    }
    game::AwardMarquee* marquee = nullptr;
};

// A player board: its bubble's timer comes back to it.
class Board : public engine::BoundObject {
public:
    Board()
        : bubble(*this)
    {
    }
    int OnEvent(const engine::EngineEvent& event) override
    {
        return bubble.OnEvent(event) ? 1 : BoundObject::OnEvent(event);
    }
    game::ChatBubble bubble;
};

class Seats : public game::CardCounterSeats {
public:
    int GetChairCount() const override { return 4; }
    int GetChair() const override { return 0; }
    std::string GetChairName(int chair) const override
    {
        const char* names[] = { "我", "快乐的牌友", "云中鹤", "老张" };
        return names[chair & 3];
    }
    bool GetTableRect(engine::Rect* out) const override
    {
        *out = kTable;
        return true;
    }
};

class SettingsStore : public game::GameSettingsHost {
public:
    game::GameSettings& Settings() override { return settings; }
    void SaveSettings() override { }
    game::GameSettings settings { 1, 1, 0, 1, 0 };
};

bool WriteSkinAndLoad(const char* program, engine::GameObject& root, const fs::path& scratch)
{
    std::string error;
    const fs::path dir = tools::SkinForCheck(scratch.string(), error);
    if (dir.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return false;
    }
    for (const auto& entry : fs::directory_iterator(dir / "skins"))
        if (entry.path().extension() == ".vkr")
            root.LoadResourcePack(entry.path().string());
    return true;
}

bool WriteSheet(const char* path)
{
    platform::FontRenderer font;
    tools::SkinFiles skin;
    tools::DrawGamePanelSkin(skin, font);
    std::vector<tools::SkinPicture> pictures;
    for (auto& [pack, list] : skin.pictures)
        for (tools::SkinPicture& p : list)
            pictures.push_back(std::move(p));
    const std::vector<uint8_t> png = tools::EncodePng(tools::ContactSheet(pictures, font));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return !png.empty() && file.good();
}

// The felt and the four small boards the bubbles and panels sit beside.
void LayTable(tools::TestHost& host, engine::GameObject& root)
{
    engine::PictureDesc felt = tools::AddPicture(host, "shot_felt", kWidth, kHeight, tools::Felt);
    if (engine::SpriteObject* back = root.CreateSprite(felt)) {
        back->MoveTo(kWidth / 2.0, kHeight / 2.0);
        back->SetZ(-20000);
        back->Show();
        back->Invalidate();
    }
    engine::PictureDesc small;
    root.LookupPicture(&small, "PlayerBoardSmall", 0);
    const double bw = small.width;
    const double bh = small.height;
    const double places[4][2] = { { kWidth / 2.0, kHeight - bh / 2 - 4 }, { bw / 2 + 4, kHeight / 2.0 },
        { kWidth / 2.0, bh / 2 + 4 }, { kWidth - bw / 2 - 4, kHeight / 2.0 } };
    for (int seat = 0; seat < 4; ++seat) {
        engine::SpriteObject* board = root.CreateSprite(small);
        if (!board)
            continue;
        board->SetName("玩家姓名板" + std::to_string(seat));
        board->MoveTo(places[seat][0], places[seat][1]);
        board->Show();
        board->Invalidate();
    }
}

// Card faces and a back for the counter's played cards when the skin has
// none of its own yet: white cards with the rank and suit in the corner.
void AddStandInCards(tools::TestHost& host, engine::GameObject& root)
{
    using namespace tools::skin;
    engine::PictureDesc probe;
    root.LookupPicture(&probe, "牌正面", 0);
    if (probe.record)
        return;
    const char* const ranks[] = { "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A" };
    platform::FontRenderer font;
    std::vector<Canvas> faces;
    for (int face = 0; face < 54; ++face) {
        Canvas c(50, 68);
        c.Fill(RoundRect(0.5f, 0.5f, 49.5f, 67.5f, 4), Argb(0x707070));
        c.Fill(RoundRect(1, 1, 49, 67, 3.5f), Argb(0xFFFFFF));
        const int suit = face / 13;
        const bool red = face >= 52 ? face == 53 : (suit == 1 || suit == 3);
        const uint32_t ink = red ? kCardRed : kCardBlack;
        if (face >= 52) {
            DrawTextAt(c, font, face == 52 ? "小" : "大", 0, 3, { 11, 700, ink, 0 });
            DrawTextAt(c, font, "王", 0, 15, { 11, 700, ink, 0 });
        } else {
            DrawTextAt(c, font, ranks[face % 13], face % 13 == 8 ? -1 : 1, 2, { 11, 700, ink, 0 });
            c.Fill(suit == 0 ? Spade(6, 20, 9) : suit == 1 ? Heart(6, 20, 9) : suit == 2 ? Club(6, 20, 9) : Diamond(6, 20, 9), ink);
        }
        faces.push_back(std::move(c));
    }
    host.AddPicture("牌正面", ToPicture(faces), 0);
    Canvas back(50, 68);
    back.Fill(RoundRect(0.5f, 0.5f, 49.5f, 67.5f, 4), Argb(0x707070));
    back.Fill(RoundRect(1, 1, 49, 67, 3.5f), [](int x, int y) { return (x + y) % 6 < 3 ? Argb(0x2A5AB0) : Argb(0x3A72D0); });
    host.AddPicture("牌背面", ToPicture({ back }), 0);
}

} // namespace

int main(int argc, char** argv)
{
    const char* program = "game-panels-shot";
    const char* sheet = nullptr;
    std::vector<char*> rest { argv[0] };
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sheet") == 0 && i + 1 < argc)
            sheet = argv[++i];
        else
            rest.push_back(argv[i]);
    }
    tools::ShotArgs args;
    if (!tools::ParseShotArgs(program, static_cast<int>(rest.size()), rest.data(), args))
        return 2;
    if (sheet && !WriteSheet(sheet)) {
        std::fprintf(stderr, "%s: cannot write %s\n", program, sheet);
        return 1;
    }

    tools::TestHost::PreferHeadlessDrivers();
    tools::TestHost host;
    auto owned = std::make_unique<Table>();
    Table* root = owned.get();
    engine::EnginePaintModule* paint = tools::OpenShotWindow(program, host, "game panels", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;
    const fs::path dir = fs::temp_directory_path() / ("kbzn_panels_shot_" + std::to_string(getpid()));
    const bool loaded = WriteSkinAndLoad(program, *root, dir);
    fs::remove_all(dir);
    if (!loaded)
        return 1;
    root->SetRect(kTable);
    LayTable(host, *root);
    AddStandInCards(host, *root);

    // The award marquee, pushed first so it has scrolled in by the shot.
    game::AwardMarquee marquee(*root);
    root->marquee = &marquee;
    marquee.Create(800, 21, 14, 400);
    marquee.Push({ { "恭喜玩家", 0xF0F0F0 }, { "快乐的牌友", 0x30D0FF }, { "连胜10局，获得奖励", 0xF0F0F0 },
        { "银子5000两", 0x40A0FF }, { "！", 0xF0F0F0 } });
    marquee.Push({ { "恭喜玩家", 0xF0F0F0 }, { "云中鹤", 0x30D0FF }, { "累计游戏1000局，获得纪念奖！", 0xF0F0F0 } });
    for (int tick = 0; tick < 300; ++tick) // twelve seconds of ticks
        marquee.Step();

    // A bubble at each seat.
    const char* lines[4] = { "好！#佩服#鼓掌", "#微笑大家好",
        "在我手上你还想跑？这把我们一定要赢下来，加油加油，大家配合好！", "#炸弹#炸弹炸！" };
    for (int seat = 0; seat < 4; ++seat) {
        auto* board = tools::Register<Board>(*root);
        board->bubble.SetSeat(seat);
        board->bubble.Create();
        board->bubble.Show(lines[seat], kTable);
    }

    // The emoticon picker, as the chat box opens it, with one face hovered.
    auto* picker = tools::Register<frame::FacePicker>(*root);
    picker->Create(10, 8, 32, 2);
    // Filled from the skin's index as the chat box fills it.
    if (const char* index = root->GetResourceData("表情索引.text")) {
        std::string_view rest(index);
        while (!rest.empty()) {
            const std::string_view piece = rest.substr(0, rest.find('|'));
            rest.remove_prefix(std::min(rest.size(), piece.size() + 1));
            const size_t eq = piece.find('=');
            if (eq != std::string_view::npos)
                picker->AddEntry(piece.substr(0, eq), "#" + std::string(piece.substr(0, eq)), std::atoi(std::string(piece.substr(eq + 1)).c_str()));
        }
    }
    picker->SetZ(9000);
    picker->MoveTo(770, 560);
    picker->Draw();
    picker->Show();
    picker->OnHover(5 * 36 + 10, 2 * 36 + 10);

    // The card counter: two decks, some of them played.
    Seats seats;
    auto* counter = static_cast<game::CardCounterPanel*>(
        root->RegisterObject(std::make_unique<game::CardCounterPanel>(seats)));
    for (int id = 0; id < 108; ++id)
        counter->AddCard(id);
    const int played[] = { 12, 66, 25, 3, 57, 40, 94, 52, 9, 63, 17, 71 };
    for (int id : played) {
        counter->RemoveCard(id);
        counter->AddPlayedCard(3, id);
    }
    counter->AddPlayedCard(3, game::CardCounterPanel::kUnknownCard);
    counter->Show();
    counter->PlaceAll();
    counter->Invalidate();
    counter->Redraw();
    counter->ShowPlayerPanel(3);

    // The settings panel.
    SettingsStore settings;
    auto* panel = static_cast<game::GameSettingsPanel*>(
        root->RegisterObject(std::make_unique<game::GameSettingsPanel>(&settings)));
    panel->MoveTo(660, 300);
    panel->Show();
    panel->Invalidate();

    root->RedrawAll();
    tools::PumpFor(2600);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "%s: cannot save %s\n", program, args.out);
        return 1;
    }
    root->marquee = nullptr;
    if (args.check && !tools::CheckFramePng(program, args.out, kWidth, kHeight))
        return 1;
    return 0;
}
