// richtext-shot: opens the engine host window with rich text as the game
// shows it (a chat view with colours, sizes, styles, a link, an inline
// picture and a picture button, a selection and a scroll bar; an edit box
// with its caret; a masked box; a single-line box scrolled to its end; a
// view on a background picture), lets the engine run for a moment and saves
// the paint module's back buffer as a PNG.
//
//   richtext-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a
// display (Xvfb) to look at the window.

#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/richtext/RichText.h"
#include "engine/core/GameCore.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/GdiPaintModule.h"
#include "tools/shots/FrameShot.h"
#include "tools/testhost/TestHost.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using tools::AddPicture;
using tools::Bgra;
using tools::Felt;
using tools::Register;
using tools::ShotRoot;

constexpr int kWidth = 560;
constexpr int kHeight = 360;

// A small round face for inline pictures.
uint32_t Smile(int x, int y, int w, int h, int)
{
    const int dx = 2 * x - w + 1;
    const int dy = 2 * y - h + 1;
    if (dx * dx + dy * dy > w * w)
        return Bgra(0, 0, 0, 0);
    const bool eye = (y == h / 3 || y == h / 3 + 1) && (x == w / 3 || x == 2 * w / 3);
    const bool mouth = y == 2 * h / 3 && x > w / 4 && x < 3 * w / 4;
    return eye || mouth ? Bgra(60, 30, 0) : Bgra(255, 210, 40);
}

// A small four-look button: normal, hover, pressed, disabled.
uint32_t Go(int x, int y, int w, int h, int frame)
{
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        return Bgra(20, 60, 20);
    return frame == 1 ? Bgra(90, 200, 90) : Bgra(50, 160, 60);
}

uint32_t ScrollTrack(int x, int, int w, int, int)
{
    return x == 0 || x == w - 1 ? Bgra(90, 90, 90) : Bgra(200, 200, 205);
}

uint32_t ScrollThumb(int x, int y, int w, int h, int)
{
    return x == 0 || y == 0 || x == w - 1 || y == h - 1 ? Bgra(60, 60, 70) : Bgra(150, 150, 165);
}

// An arrow button of the scroll bar: frame 0 points up, frame 1 down.
uint32_t Arrow(int x, int y, int w, int h, int frame)
{
    const int row = frame == 0 ? y : h - 1 - y;
    const bool inside = row >= 4 && row < h - 4 && std::abs(2 * x - w + 1) <= 2 * (row - 4);
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        return Bgra(90, 90, 100);
    return inside ? Bgra(40, 40, 50) : Bgra(215, 215, 220);
}

uint32_t Parchment(int x, int y, int, int, int)
{
    return Bgra(240 - (x + y) % 7, 225 - (x * 3 + y) % 9, 180);
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("richtext-shot", argc, argv, args))
        return 2;

    tools::TestHost host;
    auto owned = std::make_unique<ShotRoot>();
    ShotRoot* root = owned.get();
    engine::GdiPaintModule* paint
        = tools::OpenShotWindow("richtext-shot", host, "KbZn 富文本", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;

    engine::SpriteObject* felt = root->CreateSprite(AddPicture(host, "shot_felt", kWidth, kHeight, Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-500000);
    felt->Show();
    felt->Invalidate();

    AddPicture(host, "smile", 18, 18, Smile);
    AddPicture(host, "go", 30, 18, Go, 4);
    // The track and the thumb stretch along the bar: their caps keep the
    // ends and leave a middle band to stretch.
    const engine::PictureDesc barTrack = AddPicture(host, "rt_track", 14, 40, ScrollTrack);
    const engine::PictureDesc barThumb = AddPicture(host, "rt_thumb", 14, 30, ScrollThumb);
    barTrack.record->capHeight = -18;
    barThumb.record->capHeight = -12;
    AddPicture(host, "rt_up", 14, 14, Arrow);
    AddPicture(host, "rt_down", 14, 14, [](int x, int y, int w, int h, int) { return Arrow(x, y, w, h, 1); });
    AddPicture(host, "parchment", 250, 70, Parchment);
    const char* const barParts[5] = { "rt_track", "rt_thumb", "none", "rt_up", "rt_down" };
    for (int i = 0; i < 5; ++i)
        host.GetCore().SetStringProperty(engine::PROP_SCROLLBAR_FIRST + i, barParts[i]);

    // The chat view: more lines than it shows, scrolled to the end, with a
    // selection over the last line.
    auto* chat = Register<engine::RichText>(*root);
    chat->MoveTo(150, 100);
    chat->Create(280, 180, engine::RT_BACK_COLOUR | engine::RT_KEEP_IN_VIEW | engine::RT_SCROLL_BARS
            | engine::RT_SELECTABLE | engine::RT_LINKS | engine::RT_REDRAW_NOW, 0);
    chat->SetBackgroundColour(0xF8F4F0);
    chat->Show();
    chat->SetFontSize(14);
    chat->AppendText("<c=128>[系统]<c=0> 欢迎来到牌桌 Welcome!\r\n");
    chat->AppendText("<c=255>小明<c=0>：今天手气不错 <z=smile> good luck\r\n");
    chat->AppendText("<size=20,c=32768,e=b>大字加粗<><e=i> italic <><e=u>underline<>\r\n");
    chat->AppendText("#r红色#g绿色#b蓝色#k 黑色 ##井号 <url_text=http://example.test/,看这里> 链接\r\n");
    chat->AppendText("按钮 <url_btn=http://example.test/go,go> 在一行里\r\n");
    for (int i = 1; i <= 8; ++i)
        chat->AppendText("<c=8421376>玩家" + std::to_string(i) + "<c=0>：出牌 5-10-K 炸弹!\r\n");
    chat->AppendText("选中这一行 selected line");
    chat->RedrawNow(false);
    const engine::Rect area = chat->GetTextArea();
    chat->OnMouseDown(area.left + 2, area.bottom - 8);
    chat->OnDrag(area.left + 150, area.bottom - 8);
    chat->OnMouseUp(area.left + 150, area.bottom - 8);

    // An edit box with its caret, a masked box and a single-line box that
    // has scrolled to the end of its text.
    auto* edit = Register<engine::RichEdit>(*root);
    edit->MoveTo(420, 40);
    edit->Create(220, 22, engine::RT_SINGLE_LINE | engine::RT_BACK_COLOUR);
    edit->Show();
    edit->AppendText("输入框 typing 中");
    edit->TakeFocus();

    auto* masked = Register<engine::RichEdit>(*root);
    masked->MoveTo(420, 80);
    masked->Create(220, 22, engine::RT_SINGLE_LINE | engine::RT_MASKED | engine::RT_BACK_COLOUR);
    masked->Show();
    masked->AppendText("secret密码");

    auto* line = Register<engine::RichEdit>(*root);
    line->MoveTo(420, 120);
    line->Create(220, 22, engine::RT_SINGLE_LINE | engine::RT_BACK_COLOUR);
    line->Show();
    line->AppendText("一行很长的文字 scrolls to its end: 结尾END");

    auto* placeholder = Register<engine::RichEdit>(*root);
    placeholder->MoveTo(420, 160);
    placeholder->Create(220, 22, engine::RT_SINGLE_LINE | engine::RT_BACK_COLOUR);
    placeholder->Show();
    placeholder->SetPlaceholder("请输入聊天内容", 0x808080);

    // A notice on a background picture.
    auto* notice = Register<engine::RichText>(*root);
    notice->MoveTo(420, 260);
    notice->Create(250, 70, engine::RT_BACK_COLOUR | engine::RT_REDRAW_NOW, 0);
    notice->SetBackgroundImage("parchment");
    notice->Show();
    notice->SetFontSize(16);
    notice->AppendText("<c=139>公告<c=0>：今晚八点比赛\r\nTonight's match at 8");

    // Less than the caret's first 500 ms, so that it is caught shown.
    tools::PumpFor(300);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "richtext-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("richtext-shot: wrote %s (%d chat lines kept, selection \"%s\")\n", args.out,
        chat->GetLineCount(), chat->SelectionText().c_str());
    if (args.check && !tools::CheckFramePng("richtext-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
