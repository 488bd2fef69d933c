// safebox-shot: the safe box, its save and take dialogs, the preset dialog
// and the password keypad drawn with the skin the skin maker writes, on the
// table felt, saved as a PNG.
//
//   safebox-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a
// display (Xvfb) to look at the window.
#include "frame/ui/DepositKeypad.h"
#include "frame/ui/FrameEdit.h"
#include "frame/ui/SafeBoxDialogs.h"
#include "tools/shots/SkinnedShot.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 640;

template <typename Dialog>
Dialog* Place(Dialog* dialog, double x, double y, double depth)
{
    dialog->SetDepth(depth);
    dialog->MoveTo(x, y);
    dialog->Show();
    dialog->Invalidate();
    return dialog;
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("safebox-shot", argc, argv, args))
        return 2;
    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::EnginePaintModule* paint
        = tools::OpenSkinnedShot("safebox-shot", host, kWidth, kHeight, std::move(owned), { tools::kSkinFramePack });
    if (!paint)
        return 1;
    tools::ShowFelt(host, *root, kWidth, kHeight);

    // The input boxes' pictures belong to the side pane's skin; stand-ins
    // here until it draws them.
    engine::PictureDesc probe;
    if (!root->LookupPicture(&probe, "InputBoxBkg", 0)->record)
        tools::AddPicture(host, "InputBoxBkg", 100, 22, [](int x, int y, int w, int h, int) {
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            return edge ? tools::Bgra(156, 116, 36) : tools::Bgra(255, 252, 240);
        });
    if (!root->LookupPicture(&probe, "btnQuickChat", 0)->record)
        tools::AddPicture(
            host, "btnQuickChat", 18, 22, [](int, int, int, int, int) { return tools::Bgra(200, 150, 60); }, 4);

    auto* box = tools::Register<frame::SafeBoxDlg>(*root);
    box->Create(128000, 0);
    Place(box, 200, 140, frame::kSafeBoxDepth);

    auto* save = tools::Register<frame::SaveDepositDlg>(*root);
    save->Create("四人找朋友");
    save->GetAmountInput()->AppendText("5000");
    Place(save, 540, 110, frame::kSaveDepositDepth);

    auto* take = tools::Register<frame::TakeDepositDlg>(*root);
    take->Create("四人找朋友");
    take->GetAmountInput()->AppendText("20000");
    Place(take, 780, 330, frame::kTakeDepositDepth);

    auto* presets = tools::Register<frame::SetDepositDlg>(*root);
    presets->Create();
    presets->SetValues({ 100, 200, 500, 1000, 10000, 30000 });
    Place(presets, 160, 470, frame::kSetDepositDepth);

    auto* pad = tools::Register<frame::NumKeyPadDlg>(*root);
    pad->Create(4321);
    Place(pad, 470, 420, frame::kNumKeyPadDepth);
    for (int position : { 3, 1, 4, 1 })
        pad->PressKey(position);

    tools::PumpFor(600);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "safebox-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("safebox-shot: wrote %s\n", args.out);
    if (args.check && !tools::CheckFramePng("safebox-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
