// boards-shot: the four player boards of the game at their seats round a
// table-sized window, in the client's own skin and each in other states:
// the local player in a match on turn with a rank badge and the ready
// sign; the left player playing automatically on the banker's side with a
// counted score and a bomb badge; the top player hovered, with the few-cards
// lamp and the character figure; the right player offline in a silver room
// and finished first. Lets the engine run for a moment and saves the back
// buffer as a PNG.
//
//   boards-shot [--check] <out.png> [--sheet <sheet.png>]
//
// With --check the written file is read back and the program fails when it
// is missing or blank; --sheet also writes a contact sheet of the boards'
// pictures. Runs headless with SDL_VIDEODRIVER=offscreen, or on a display.

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/GameCore.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "game/FriendPlayerBoard.h"
#include "platform/FontRenderer.h"
#include "tools/pack/PackWriter.h"
#include "tools/shots/FrameShot.h"
#include "tools/shots/SkinHost.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using tools::Register;

constexpr int kWidth = 1000;
constexpr int kHeight = 700;

// A board whose player and room are set here instead of coming from a
// running client.
class ShotBoard : public game::FriendPlayerBoard {
public:
    ShotBoard(int seat, game::BoardPlayer player, game::BoardRoom room)
        : FriendPlayerBoard(seat, {0, 0, kWidth, kHeight})
        , m_player(std::move(player))
        , m_room(room)
    {
    }

protected:
    game::BoardPlayer GetBoardPlayer(int) const override { return m_player; }
    game::BoardRoom GetBoardRoom() const override { return m_room; }

private:
    game::BoardPlayer m_player;
    game::BoardRoom m_room;
};

ShotBoard* AddBoard(engine::GameObject& root, int seat, game::BoardPlayer player, game::BoardRoom room)
{
    auto* board = static_cast<ShotBoard*>(root.RegisterObject(std::make_unique<ShotBoard>(seat, std::move(player), room)));
    if (board) {
        board->UpdatePlayer(seat);
        board->PlaceBoard();
    }
    return board;
}

bool WriteSheet(const char* path, platform::FontRenderer& font)
{
    tools::SkinFiles skin;
    tools::DrawBoardSkin(skin, font);
    std::vector<tools::SkinPicture> pictures;
    for (auto& [pack, list] : skin.pictures)
        for (tools::SkinPicture& picture : list)
            pictures.push_back(std::move(picture));
    const std::vector<uint8_t> png = tools::EncodePng(tools::ContactSheet(pictures, font));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return !png.empty() && file.good();
}

// The felt of the table under the boards.
uint32_t Table(int x, int y, int w, int h, int)
{
    const int dx = x - w / 2;
    const int dy = y - h / 2;
    const int d = (dx * dx / 400 + dy * dy / 250) / 40;
    return tools::Bgra(20, std::max(60, 110 - d), std::max(30, 58 - d / 2));
}

} // namespace

int main(int argc, char** argv)
{
    const char* program = "boards-shot";
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

    tools::TestHost::PreferHeadlessDrivers();
    tools::TestHost host;
    auto rootObject = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = rootObject.get();
    engine::EnginePaintModule* paint
        = tools::OpenShotWindow(program, host, "boards-shot", kWidth, kHeight, std::move(rootObject));
    if (!paint)
        return 1;
    root->SetRect({0, 0, kWidth, kHeight});

    platform::FontRenderer font;
    if (sheet && !WriteSheet(sheet, font)) {
        std::fprintf(stderr, "%s: cannot write %s\n", program, sheet);
        return 1;
    }
    tools::AddSkinPictures(host, tools::DrawFramePictures(font));
    tools::AddSkinArea(host, tools::DrawBoardSkin, font);
    // The table view's properties the boards read: big cards 82 x 110 and
    // the plate's height.
    engine::PictureDesc plate;
    root->LookupPicture(&plate, "PlayerBoardSmall", 0);
    root->SetIntProperty(50019, 110);
    root->SetIntProperty(50016, plate.height);

    const engine::PictureDesc felt = tools::AddPicture(host, "shot_table", kWidth, kHeight, Table);
    engine::SpriteObject* table = root->CreateSprite(felt);
    table->MoveTo(kWidth / 2, kHeight / 2);
    table->SetZ(-500000);
    table->Show();
    table->Invalidate();

    game::BoardRoom plain;
    game::BoardRoom match = plain;
    match.match = true;
    game::BoardRoom silver = plain;
    silver.silver = true;

    // Bottom: the local player in a match, on turn, with a rank badge and
    // the ready sign.
    ShotBoard* own = AddBoard(*root, 0, {101, "玩家小明", 4, 0, 6, 1280}, match);
    // Left: automatic play on the banker's side, the score counted up, two
    // bombs played.
    ShotBoard* left = AddBoard(*root, 1, {102, "LuckyDragon88", 2, 0, -1, 0}, plain);
    // Top: hovered, three cards left (the lamp), the character figure.
    ShotBoard* top = AddBoard(*root, 2, {103, "张三丰大侠客", 3, 0, -1, 0}, plain);
    // Right: offline in a silver room, finished first.
    ShotBoard* right = AddBoard(*root, 3, {104, "阿美", 5, 12500, -1, 0}, silver);
    if (!own || !left || !top || !right) {
        std::fprintf(stderr, "%s: a board could not be made\n", program);
        return 1;
    }

    own->SetActive(1);
    own->ShowReady();

    left->SetTeamMark(1);
    left->SetAutoPlay(1);
    left->AddScore(12);
    left->SetBombCount(2);

    top->SendEvent(engine::EngineEvent(top->GetId(), game::EVT_BOARD_MOUSE_ENTER));
    top->SetRemainCards(3);
    top->MoveRemainCards(kWidth / 2 - 120, 60);

    right->SetTeamMark(1);
    right->SetOffline(1);
    right->ShowFinishRank(0);
    right->SetRemainCards(12);
    right->MoveRemainCards(kWidth - 110, kHeight / 2 + 120);

    // Long enough for the score to land and the lamp to flash.
    tools::PumpFor(900);
    // The lamp is caught lit, and the pulsing signs at full strength.
    if (engine::SpriteObject* lamp = top->GetAlertLamp()) {
        root->CancelActionsOf(lamp->GetId());
        lamp->SetFrame(0);
        lamp->Show();
        lamp->Invalidate();
    }
    for (ShotBoard* board : {left, right})
        if (engine::SpriteObject* status = board->GetStatusSprite()) {
            root->CancelActionsOf(status->GetId());
            status->SetOpacity(1.0);
            status->Invalidate();
        }
    tools::PumpFor(200);

    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "%s: cannot write %s\n", program, args.out);
        return 1;
    }
    std::printf("%s: wrote %s\n", program, args.out);
    if (args.check && !tools::CheckFramePng(program, args.out, kWidth, kHeight))
        return 1;
    return 0;
}
