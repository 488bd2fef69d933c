// side-pane-shot: opens the engine host window with the side pane in the
// skin the skin maker draws: the chat box with a welcome line, system
// notices, players' chat with emoticons, a member's line and a link, the
// user's own line, and text typed into the input bar. Saves the paint
// module's back buffer as a PNG.
//
//   side-pane-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a
// display (Xvfb) to look at the window.

#include "engine/controls/richtext/RichEdit.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/SubSystem.h"
#include "platform/FontRenderer.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

#include <SDL.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 290;
constexpr int kHeight = 600;
constexpr int kMargin = 12;

// The skin's pictures straight into the host's picture cache.
void AddSkin(tools::TestHost& host)
{
    platform::FontRenderer font;
    tools::SkinFiles skin;
    skin.pictures[tools::kSkinFramePack] = tools::DrawFramePictures(font);
    skin.pictures[tools::kSkinFacePack] = tools::DrawFacePictures(font);
    tools::DrawSidePaneSkin(skin, font);
    for (auto& [pack, pictures] : skin.pictures) {
        for (tools::SkinPicture& picture : pictures)
            host.AddPicture(picture.name, std::move(picture.picture), tools::kShotFrameDelayMs);
    }
}

void Line(frame::SubSystem& pane, const std::string& text)
{
    pane.OnEvent(engine::EngineEvent(0, frame::EVT_PANE_CHAT_LINE, engine::ToWord(const_cast<char*>(text.c_str())), 0));
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("side-pane-shot", argc, argv, args))
        return 2;

    tools::TestHost host;
    auto owned = std::make_unique<tools::ShotRoot>();
    tools::ShotRoot* root = owned.get();
    engine::GdiPaintModule* paint
        = tools::OpenShotWindow("side-pane-shot", host, "KbZn 侧栏", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;
    AddSkin(host);

    engine::SpriteObject* felt = root->CreateSprite(tools::AddPicture(host, "shot_felt", kWidth, kHeight, tools::Felt));
    felt->MoveTo(kWidth / 2, kHeight / 2);
    felt->SetZ(-500000);
    felt->Show();
    felt->Invalidate();

    // What the main view and the table view set before the pane lays out.
    root->SetIntProperty(frame::kSideRowProperty, 28);
    root->SetIntProperty(frame::kSideGapProperty, 22);
    root->SetIntProperty(frame::kSideSeatRowProperty, 26);
    root->SetIntProperty(frame::kAdvertHeightProperty, 70);
    root->SetIntProperty(frame::kHorzScrollHeightProperty, 14);
    root->SetIntProperty(frame::kOwnChatColourProperty, 0x408000);
    root->SetIntProperty(frame::kOtherNameColourProperty, 0xF67130);
    root->SetIntProperty(frame::kOtherChatColourProperty, 0x404040);

    auto made = std::make_unique<frame::SubSystem>();
    made->SetName("SubSystem");
    auto* pane = static_cast<frame::SubSystem*>(root->RegisterObject(std::move(made)));
    pane->SetZ(10);
    pane->SetRect({ kMargin, kMargin, kWidth - kMargin, kHeight - kMargin });

    // Older lines above what the box shows: the view keeps the end in sight.
    for (int i = 1; i <= 6; ++i)
        Line(*pane, " <c=4210752>第" + std::to_string(i) + "局结束，庄家得分 " + std::to_string(i * 40) + "\r\n");
    const std::string name = std::to_string(0xF67130);
    const std::string text = std::to_string(0x404040);
    Line(*pane, " 欢迎来到 <s=180,c=10715996,e=b>欢乐牌室\r\n<> 您的位置：华东一区 第3桌\r\n");
    Line(*pane, " <c=255>阿强[强哥]进入第3桌 \r\n");
    Line(*pane, " <z=qh系统通知> <c=255>小明<>从保险箱中取出<c=255>500<>两银子, 现有<c=255>2300<>两银子 \r\n");
    Line(*pane, " <c=" + name + ">小红说: <c=" + text + ">大家好 #胜利 今天手气不错\n");
    Line(*pane, " <m=qh会员><c=" + name + ">老王说: <c=255,e=b,s=240>快点吧#加油<>\n");
    Line(*pane, " <c=" + text + ">活动详情请看 <e=l>http://kbzn.example/event<> 报名\r\n");
    Line(*pane, " <c=2906200>小李进入旁观 \r\n");
    pane->ShowOwnChat("好的，马上就来#大哭");
    if (frame::InputBar* bar = pane->GetInputBar()) {
        bar->InsertText("这把我来当庄 ok");
    }

    tools::PumpFor(700);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "side-pane-shot: cannot write %s (%s)\n", args.out, SDL_GetError());
        return 1;
    }
    std::printf("side-pane-shot: wrote %s\n", args.out);
    if (args.check && !tools::CheckFramePng("side-pane-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
