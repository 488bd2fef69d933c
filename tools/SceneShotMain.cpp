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

#include "engine/core/objects/COrbitVaneWnd.h"
#include "engine/core/objects/CanvasObject.h"
#include "engine/core/objects/RectObject.h"
#include "engine/core/objects/SpriteObject.h"
#include "engine/modules/GdiPaintModule.h"
#include "platform/MessageLoop.h"
#include "tools/FrameShot.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 360;

class SceneRoot : public engine::RectObject { };

// A picture built in memory and filed in the paint module's cache.
engine::PictureDesc AddPicture(engine::GdiPaintModule& paint, engine::GameObject& root, const char* name, int w,
    int h, uint32_t (*shade)(int x, int y, int w, int h))
{
    engine::PictureData record;
    record.frameWidth = static_cast<uint16_t>(w);
    record.frameHeight = static_cast<uint16_t>(h);
    record.frameCount = 1;
    record.framesPerRow = 1;
    record.flags = engine::kPictureAlpha;
    record.colourKey = engine::kNoColourKey;
    record.pixels.resize(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t bgra = shade(x, y, w, h);
            std::memcpy(record.pixels.data() + (static_cast<size_t>(y) * w + x) * 4, &bgra, 4);
        }
    engine::PictureDesc desc;
    desc.record = &record;
    desc.width = w;
    desc.height = h;
    paint.AddImage(desc, name);
    engine::PictureDesc cached;
    root.LookupPicture(&cached, name, 0);
    return cached;
}

uint32_t Bgra(int r, int g, int b, int a = 255)
{
    return static_cast<uint32_t>(b) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(r) << 16
        | static_cast<uint32_t>(a) << 24;
}

uint32_t Felt(int x, int y, int w, int h)
{
    const int d = (x * 40 / w) + (y * 30 / h);
    return Bgra(10, 70 + d, 40 + d / 2);
}

uint32_t Card(int x, int y, int w, int h)
{
    if (x < 3 || y < 3 || x >= w - 3 || y >= h - 3)
        return Bgra(30, 30, 120);
    const bool diamond = std::abs(x - w / 2) * h + std::abs(y - h / 2) * w < w * h / 3;
    return diamond ? Bgra(210, 30, 40) : Bgra(250, 248, 240);
}

uint32_t Checker(int x, int y, int, int)
{
    return ((x / 8 + y / 8) % 2) ? Bgra(240, 200, 40) : Bgra(40, 90, 200);
}

} // namespace

int main(int argc, char** argv)
{
    bool check = false;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0)
            check = true;
        else
            out = argv[i];
    }
    if (!out) {
        std::fprintf(stderr, "usage: scene-shot [--check] <out.png>\n");
        return 2;
    }

    engine::COrbitVaneWnd host;
    if (!host.Create("KbZn 场景", kWidth, kHeight)) {
        std::fprintf(stderr, "scene-shot: no window (%s)\n", SDL_GetError());
        return 1;
    }
    auto owned = std::make_unique<SceneRoot>();
    SceneRoot* root = owned.get();
    if (!host.Init(std::move(owned))) {
        std::fprintf(stderr, "scene-shot: the frame timer did not start\n");
        return 1;
    }
    host.GetWindow().Show(platform::ShowCommand::kShow);
    auto* paint = dynamic_cast<engine::GdiPaintModule*>(host.GetCore().FindModule(engine::MODULE_PAINT));
    if (!paint) {
        std::fprintf(stderr, "scene-shot: no paint module\n");
        return 1;
    }

    // The table felt behind everything.
    engine::SpriteObject* felt = root->CreateSprite(AddPicture(*paint, *root, "scene_felt", kWidth, kHeight, Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-500000);
    felt->Show();
    felt->Invalidate();

    // A plain card and a turned, faded one with its shadow.
    const engine::PictureDesc card = AddPicture(*paint, *root, "scene_card", 60, 84, Card);
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
    engine::SpriteObject* tiles = root->CreateSprite(AddPicture(*paint, *root, "scene_tiles", 64, 64, Checker));
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
