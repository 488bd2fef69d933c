// controls-shot: opens the engine host window with one of each control
// (a nine-grid panel with a title and content, a progress bar with a thumb
// and text, an animated progress bar, a scroll bar, an event sequencer
// whose released events are listed on a canvas, a picture button with its
// tool tip, a text button, a check box and a counting number), lets the
// engine run for a moment and saves the paint module's back buffer as a
// PNG.
//
//   controls-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a
// display (Xvfb) to look at the window.

#include "engine/controls/widgets/CheckBox.h"
#include "engine/controls/widgets/EventSequencer.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/controls/widgets/NineGridPanel.h"
#include "engine/controls/widgets/ProgressBar.h"
#include "engine/controls/widgets/ScrollBar.h"
#include "engine/controls/widgets/TextButton.h"
#include "engine/controls/widgets/ToolTip.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/GdiPaintModule.h"
#include "platform/MessageLoop.h"
#include "tools/shots/FrameShot.h"
#include "tools/testhost/TestHost.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using tools::AddPicture;
using tools::Bgra;
using tools::Felt;
using tools::Register;
using tools::ShotRoot;

constexpr int kWidth = 560;
constexpr int kHeight = 360;

// A window frame with a soft shadow band on top, a blue title band, a grey
// border and a transparent inside.
uint32_t Frame(int x, int y, int w, int h, int)
{
    if (y < 3)
        return Bgra(0, 0, 0, 0);
    const bool inside = x >= 6 && x < w - 6 && y >= 30 && y < h - 6;
    if (inside)
        return Bgra(0, 0, 0, 0);
    if (x == 0 || y == 3 || x == w - 1 || y == h - 1)
        return Bgra(20, 30, 60);
    if (y < 30)
        return Bgra(40 + y * 3, 80 + y * 3, 170 + y * 2);
    return Bgra(150, 160, 180);
}

uint32_t Track(int x, int y, int w, int h, int)
{
    if (y == 0 || y == h - 1 || x == 0 || x == w - 1)
        return Bgra(30, 30, 30);
    return Bgra(70, 70, 80);
}

uint32_t Fill(int x, int, int w, int, int)
{
    return Bgra(230 - x * 120 / w, 120 + x * 100 / w, 40);
}

uint32_t Thumb(int x, int y, int w, int h, int frame)
{
    const int dx = 2 * x - w + 1;
    const int dy = 2 * y - h + 1;
    if (dx * dx + dy * dy > w * w)
        return Bgra(0, 0, 0, 0);
    return frame ? Bgra(255, 255, 200) : Bgra(250, 220, 90);
}

// Four looks of a picture button: normal, hover, pressed, disabled.
uint32_t Button(int x, int y, int w, int h, int frame)
{
    static const int tops[4][3] = { { 60, 140, 220 }, { 90, 170, 250 }, { 30, 90, 160 }, { 130, 130, 130 } };
    const int* c = tops[frame % 4];
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        return Bgra(20, 30, 60);
    const int shade = y * 40 / h;
    return Bgra(c[0] - shade / 2, c[1] - shade, c[2] - shade);
}

// A check box: an empty square, then one with a tick.
uint32_t Check(int x, int y, int w, int h, int frame)
{
    if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2)
        return Bgra(30, 30, 30);
    const bool tick = frame == 1 && ((x >= 4 && x <= 8 && y - x >= 5 && y - x <= 7) || (x > 8 && x + y >= 20 && x + y <= 22));
    return tick ? Bgra(20, 140, 40) : Bgra(250, 250, 250);
}

// Seven-segment digits 0 to 9, one per frame.
uint32_t Digit(int x, int y, int w, int h, int frame)
{
    static const uint8_t segments[10] = { 0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f };
    const uint8_t on = segments[frame % 10];
    const int mid = h / 2;
    const bool top = y < 2, middle = y >= mid - 1 && y <= mid, bottom = y >= h - 2;
    const bool left = x < 2, right = x >= w - 2;
    const bool upper = y < mid, lower = y > mid;
    const bool lit = (top && (on & 0x01)) || (right && upper && (on & 0x02)) || (right && lower && (on & 0x04))
        || (bottom && (on & 0x08)) || (left && lower && (on & 0x10)) || (left && upper && (on & 0x20))
        || (middle && (on & 0x40));
    return lit ? Bgra(255, 210, 60) : Bgra(0, 0, 0, 0);
}

// Lists the events the sequencer releases and asks for the next one.
class SequencerLog : public engine::BoundObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code < 1 || event.code > 9 || !canvas || !sequencer)
            return engine::BoundObject::OnEvent(event);
        const auto* bytes = engine::FromWord<const char>(event.param);
        const std::string text = bytes ? std::string(bytes, event.data) : std::string("(无)");
        canvas->SetPen(0xffffff, 1.0);
        canvas->SetFont(14, 400, "宋体");
        canvas->DrawText(6, 6 + lines * 20, text);
        canvas->Invalidate();
        ++lines;
        engine::FreeEventBlock(event.param);
        sequencer->Next();
        return 1;
    }
    engine::CanvasObject* canvas = nullptr;      // not owned
    engine::EventSequencer* sequencer = nullptr; // not owned
    int lines = 0;
};

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("controls-shot", argc, argv, args))
        return 2;
    const bool check = args.check;
    const char* out = args.out;

    tools::TestHost host;
    auto owned = std::make_unique<ShotRoot>();
    ShotRoot* root = owned.get();
    engine::GdiPaintModule* paint = tools::OpenShotWindow("controls-shot", host, "KbZn 控件", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;

    engine::SpriteObject* felt = root->CreateSprite(AddPicture(host, "shot_felt", kWidth, kHeight, Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-500000);
    felt->Show();
    felt->Invalidate();

    // A nine-grid panel with a title and a content canvas.
    const engine::PictureDesc frame = AddPicture(host, "shot_frame", 64, 64, Frame);
    auto* panel = Register<engine::NineGridPanel>(*root);
    panel->CreateWithColour(&frame, 0xf0f0f0, 220, 120);
    panel->SetTitle("九宫格面板 Nine-grid");
    panel->MoveTo(130, 95);
    panel->Show();
    if (engine::CanvasObject* content = panel->GetContentCanvas()) {
        content->SetPen(0x402010, 1.0);
        content->SetFont(14, 400, "宋体");
        content->DrawText(8, 8, "客户区 client area");
        content->DrawText(8, 30, "corners kept, edges stretched");
        content->Invalidate();
    }
    panel->Invalidate();

    // A progress bar in slider mode with its thumb and text.
    const engine::PictureDesc track = AddPicture(host, "shot_track", 240, 18, Track);
    const engine::PictureDesc fill = AddPicture(host, "shot_fill", 232, 10, Fill);
    auto* slider = Register<engine::ProgressBar>(*root);
    slider->Create(track, fill, 0.6);
    slider->MoveTo(150, 230);
    slider->Show();
    slider->SetThumb(AddPicture(host, "shot_thumb", 16, 16, Thumb, 2), root->GetId());
    slider->SetDraggable(true);
    slider->DrawText("60%", 0xffffff, 0);
    slider->Invalidate();

    // A second bar animated toward its target on the engine clock.
    auto* animated = Register<engine::ProgressBar>(*root);
    animated->Create(track, fill, 0.0);
    animated->MoveTo(150, 270);
    animated->Show();
    animated->Invalidate();
    animated->AnimateTo(0.35, 0.05, 40, nullptr);

    // A vertical scroll bar.
    auto* scroll = Register<engine::ScrollBar>(*root);
    scroll->Create(root->GetId(), 18, 200, 1, 0);
    scroll->SetRange(120, 100, 400, -1.0);
    scroll->MoveTo(290, 130);
    scroll->Show();
    scroll->Invalidate();

    // The event sequencer releasing three events one after the other.
    engine::CanvasObject* logCanvas = root->CreateCanvas(220, 90, 0x302020);
    logCanvas->MoveTo(430, 80);
    logCanvas->Show();
    logCanvas->Invalidate();
    auto* log = Register<SequencerLog>(*root);
    auto* sequencer = Register<engine::EventSequencer>(*root);
    log->canvas = logCanvas;
    log->sequencer = sequencer;
    for (const char* line : { "1 比赛结束动画 end of match", "2 比赛结果 result", "3 下一局 next deal" })
        sequencer->Post(log->GetId(), 1, line, static_cast<int>(std::strlen(line)));

    // A picture button with a caption and its tool tip, shown as if the
    // mouse rested on it.
    auto* button = Register<engine::ImageButton>(*root);
    button->Create(AddPicture(host, "shot_button", 96, 32, Button, 4), nullptr, 0, 0);
    button->SetCaption("确定 OK", 0xffffff, 14);
    button->MoveTo(390, 200);
    button->Show();
    button->Invalidate();
    auto* tip = Register<engine::ToolTip>(*root);
    tip->Attach(button, "按下确定 Press to confirm", 200);
    tip->PlaceNear(button);
    tip->FadeIn(0.2, false);

    // A text button, a checked check box and a counting number.
    auto* text = Register<engine::TextButton>(*root);
    text->Create("取消 Cancel", 96, 32, 14, 0x404040, 0xc0c0c0, nullptr);
    text->MoveTo(500, 200);
    text->Show();
    text->Invalidate();
    auto* box = Register<engine::CheckBox>(*root);
    box->Create(AddPicture(host, "shot_check", 20, 20, Check, 2), 1);
    box->MoveTo(360, 260);
    box->Show();
    box->Invalidate();
    AddPicture(host, "shot_digits", 12, 20, Digit, 10);
    auto* number = Register<engine::ImageNumber>(*root);
    number->CreateDigits("shot_digits", 0);
    number->MoveTo(450, 300);
    number->SetValue(0);
    number->Show();
    number->Invalidate();
    number->CountTo(2026, 97, 30, nullptr);

    tools::PumpFor(900);
    if (!tools::SaveFramePng(*paint, out)) {
        std::fprintf(stderr, "controls-shot: cannot write %s (%s)\n", out, SDL_GetError());
        return 1;
    }
    std::printf("controls-shot: wrote %s (%d sequenced events shown)\n", out, log->lines);
    if (check && (!tools::CheckFramePng("controls-shot", out, kWidth, kHeight) || log->lines != 3))
        return 1;
    return 0;
}
