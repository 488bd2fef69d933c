// scene-shot: opens the engine host window with a small scene (pictures, a
// turned and faded sprite with its shadow, Chinese and Latin text in
// several sizes and weights, the system board and note), lets the engine
// run for a moment and saves the paint module's back buffer as a PNG.
//
//   scene-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank (fewer than a handful of colours). Runs headless with
// SDL_VIDEODRIVER=offscreen, or on a display (Xvfb) to look at the window.

#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/GdiPaintModule.h"
#include "platform/MessageLoop.h"
#include "tools/shots/FrameShot.h"
#include "tools/testhost/TestHost.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using tools::AddPicture;
using tools::Bgra;
using tools::Felt;

constexpr int kWidth = 560;
constexpr int kHeight = 360;

uint32_t Card(int x, int y, int w, int h, int)
{
    if (x < 3 || y < 3 || x >= w - 3 || y >= h - 3)
        return Bgra(30, 30, 120);
    const bool diamond = std::abs(x - w / 2) * h + std::abs(y - h / 2) * w < w * h / 3;
    return diamond ? Bgra(210, 30, 40) : Bgra(250, 248, 240);
}

uint32_t Checker(int x, int y, int, int, int)
{
    return ((x / 8 + y / 8) % 2) ? Bgra(240, 200, 40) : Bgra(40, 90, 200);
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("scene-shot", argc, argv, args))
        return 2;
    const bool check = args.check;
    const char* out = args.out;

    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::GdiPaintModule* paint = tools::OpenShotWindow("scene-shot", host, "KbZn 场景", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;

    // The table felt behind everything.
    engine::SpriteObject* felt = root->CreateSprite(AddPicture(host, "scene_felt", kWidth, kHeight, Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-500000);
    felt->Show();
    felt->Invalidate();

    // A plain card and a turned, faded one with its shadow.
    const engine::PictureDesc card = AddPicture(host, "scene_card", 60, 84, Card);
    engine::SpriteObject* upright = root->CreateSprite(card);
    upright->MoveTo(70, 280);
    upright->Show();
    engine::CanvasObject* shadow = root->CreateShadow(upright);
    (void)shadow;
    upright->Invalidate();
    engine::SpriteObject* turned = root->CreateSprite(card);
    turned->MoveTo(170, 270);
    turned->RotateTo(30);
    turned->SetOpacity(0.6);
    turned->Show();
    turned->Invalidate();
    engine::SpriteObject* tiles = root->CreateSprite(AddPicture(host, "scene_tiles", 64, 64, Checker));
    tiles->MoveTo(270, 280);
    tiles->Show();
    tiles->Invalidate();

    // Text of several sizes and weights on a canvas.
    engine::CanvasObject* text = root->CreateCanvas(330, 200, engine::kNoColourKey);
    text->MoveTo(180, 110);
    struct Line {
        int size;
        int weight;
        uint32_t colour;
        const char* text;
    } lines[] = {
        { 12, 400, 0xffffff, "宋体 12 点：找朋友 Find your friend" },
        { 16, 400, 0x00ffff, "十六号字 16px Latin & 中文" },
        { 20, 700, 0x80ff80, "粗体二十 Bold 20px" },
        { 24, 400, 0xffc080, "二十四号 Size 24" },
        { 28, 700, 0x8080ff, "大字 Big 28" },
    };
    int y = 4;
    for (const Line& line : lines) {
        text->SetPen(line.colour, 1.0);
        text->SetFont(line.size, line.weight, "宋体");
        text->DrawText(6, y, line.text);
        y += line.size + 8;
    }
    text->Show();
    text->Invalidate();

    // The overlays: the system board and the counters' note.
    root->ShowSystemBoard("系统公告：欢迎来到牌桌！ Welcome to the table.", 0);
    if (engine::CanvasObject* board = root->FindSystemBoard())
        board->MoveTo(kWidth - 130, 80);
    root->ShowSystemNote(1);

    tools::PumpFor(700);
    if (engine::CanvasObject* board = root->FindSystemBoard()) {
        board->MoveTo(kWidth - 140, 90);
        board->Invalidate();
    }
    tools::PumpFor(200);
    if (!tools::SaveFramePng(*paint, out)) {
        std::fprintf(stderr, "scene-shot: cannot write %s (%s)\n", out, SDL_GetError());
        return 1;
    }
    std::printf("scene-shot: wrote %s\n", out);
    if (check && !tools::CheckFramePng("scene-shot", out, kWidth, kHeight))
        return 1;
    return 0;
}
