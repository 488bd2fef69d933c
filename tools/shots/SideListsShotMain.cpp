// sidelists-shot: opens the engine host window with the side pane's lists
// and bars as a player sees them at a table, drawn with the skin maker's
// pictures: the advertisement bar on its score tab after a few rounds, the
// user list with four players and two lookers-on (the own row bold, one
// row under the mouse), the operate bar and the row of operate buttons.
// It lets the engine run for a moment and saves the back buffer as a PNG.
//
//   sidelists-shot [--check] <out.png>
//
// With --check the written file is read back and the program fails when it
// is missing or blank. Runs headless with SDL_VIDEODRIVER=offscreen, or on a
// display (Xvfb) to look at the window.

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/GameCore.h"
#include "engine/objects/CanvasObject.h"
#include "engine/modules/GdiPaintModule.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/AdvertBar.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/OperateBar.h"
#include "frame/ui/UserListBar.h"
#include "platform/FontRenderer.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

using tools::Bgra;
using tools::Register;
using tools::ShotRoot;

constexpr int kWidth = 282;
constexpr int kHeight = 470;
constexpr int kAdvertBottom = 168;
constexpr int kListBottom = 380;

// The application with a table of four and two lookers-on.
class ShotApp : public CGameFrameApp {
public:
    ShotApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }
    int GetChairCount() const override { return 4; }
    engine::RectObject* GetMainView() const override { return view; }

    engine::RectObject* view = nullptr;

protected:
    int RunLoop() override { return 0; }
};

struct Person {
    int userId;
    const char* name;
    int figure;
    int score;
    int silver;
    const char* level;
};

void Fill(frame::PlayerRecord& p, const Person& who)
{
    p.SetUserId(who.userId);
    p.SetName(who.name);
    p.SetFigure(who.figure);
    p.SetScore(who.score);
    p.SetSilver(who.silver);
    p.SetLevelTitle(who.level);
}

void SeatTheTable(ShotApp& app)
{
    app.GetHallArgs().userId = 1001;
    app.SetOwnChair(0);
    const Person seated[] = {
        { 1001, "自己", 1, 1280, 52000, "牌坛新秀" },
        { 1002, "东风不败", 2, 860, 18800, "初出茅庐" },
        { 1003, "西门吹雪的马甲号", 3, -120, 3500, "小有名气" },
        { 1004, "南山老人", 4, 2210, 96000, "一代宗师" },
    };
    for (int chair = 0; chair < 4; ++chair) {
        Fill(*app.GetSeatPlayer(chair), seated[chair]);
        app.GetSeatPlayer(chair)->SetChair(chair);
    }
    // Two lookers-on, watching chairs 0 and 2.
    const Person lookers[] = { { 2001, "路人甲", 0, 40, 900, "初出茅庐" }, { 2002, "看热闹的", 0, 5, 120, "新手" } };
    for (int i = 0; i < 2; ++i) {
        frame::PlayerRecord& p = *app.GetLookOnPlayer(i);
        Fill(p, lookers[i]);
        p.SetLookOn(1);
        p.SetChair(2 * i);
    }
    // Seven rounds of scores.
    const int rounds[7][4] = { { 20, -10, -5, -5 }, { -15, 30, -5, -10 }, { 40, -20, -10, -10 }, { -5, -5, 15, -5 },
        { 10, 10, -30, 10 }, { 25, -5, -15, -5 }, { -10, 20, -5, -5 } };
    for (const auto& r : rounds) {
        std::array<int32_t, 8> scores {};
        for (int c = 0; c < 4; ++c)
            scores[static_cast<size_t>(c)] = r[c];
        app.AddRoundScores(scores);
    }
}

// The skin maker's pictures of this area, the frame's scroll trough and
// the figures the boards' area draws for the lobby's players.
void AddSkin(tools::TestHost& host)
{
    platform::FontRenderer font;
    tools::SkinFiles files;
    tools::DrawSideListSkin(files, font);
    tools::DrawBoardSkin(files, font);
    for (auto& [pack, pictures] : files.pictures)
        for (tools::SkinPicture& p : pictures)
            host.AddPicture(p.name, std::move(p.picture), 0);
    for (tools::SkinPicture& p : tools::DrawFramePictures(font))
        if (p.name == "ScrollBar_HorzBack")
            host.AddPicture(p.name, std::move(p.picture), 0);
}

// The pane's ground: dark felt with a gold rule between the boxes.
uint32_t PaneGround(int x, int y, int, int, int)
{
    if (y == kAdvertBottom + 1 || y == kListBottom + 1)
        return Bgra(226, 184, 78);
    const int weave = (x * 7 + y * 3) % 11 < 2 ? 6 : 0;
    return Bgra(18, 72 - weave, 42 - weave / 2);
}

} // namespace

int main(int argc, char** argv)
{
    tools::ShotArgs args;
    if (!tools::ParseShotArgs("sidelists-shot", argc, argv, args))
        return 2;
    tools::TestHost::PreferHeadlessDrivers();
    tools::TestHost host;
    auto owned = std::make_unique<ShotRoot>();
    ShotRoot* root = owned.get();
    engine::GdiPaintModule* paint
        = tools::OpenShotWindow("sidelists-shot", host, "KbZn 用户列表", kWidth, kHeight, std::move(owned));
    if (!paint)
        return 1;
    ShotApp app;
    app.view = root;
    SeatTheTable(app);
    app.BeginGame();
    AddSkin(host);
    root->SetIntProperty(frame::kSideRowProperty, 28);
    root->SetIntProperty(frame::kSideGapProperty, 22);
    root->SetIntProperty(frame::kSideSeatRowProperty, 26);
    root->SetIntProperty(frame::kAdvertHeightProperty, 70);
    root->SetIntProperty(frame::kHorzScrollHeightProperty, 14);

    engine::CanvasObject* ground = root->CreateCanvas(kWidth, kHeight, 0xff00ff);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = PaneGround(x, y, kWidth, kHeight, 0);
            ground->SetPixel(x, y, (p & 0xff) << 16 | (p & 0xff00) | ((p >> 16) & 0xff));
        }
    ground->MoveTo(kWidth / 2.0, kHeight / 2.0);
    ground->SetZ(-90000); // under everything the module numbers from -10000 up
    ground->Show();
    ground->Invalidate();

    auto* pane = Register<ShotRoot>(*root);
    pane->SetName("SubSystem");
    pane->SetRect({ 0, 0, kWidth, kHeight });

    auto* advert = Register<frame::AdvertBar>(*pane);
    advert->SetRect(0, 0, kWidth, kAdvertBottom);
    advert->Layout();

    auto* list = Register<frame::UserListBar>(*pane);
    list->AddRoomColumns();
    list->Create();
    list->SetRect(0, kAdvertBottom + 3, kWidth, kListBottom);
    list->Layout();

    auto* bar = Register<frame::OperateBar>(*pane);
    bar->SetRect(16, kListBottom + 5, kWidth - 16, kListBottom + 39);
    // The operate bar with three buttons of its own, as a pane that makes
    // it gives them.
    const frame::OperateButtons onBar = frame::CreateOperateButtons(*pane, {});
    bar->SetButton(0, onBar.faces);
    bar->SetButton(1, onBar.clearChat);
    bar->SetButton(2, onBar.screenshot);
    bar->Layout();
    for (engine::ImageButton* b : { onBar.complaint, onBar.safeBox })
        if (b)
            b->Hide();
    // The row of operate buttons as the input bar places them.
    int placed = 0;
    frame::CreateOperateButtons(*pane, [&](engine::ImageButton* b) {
        b->MoveTo(20 + 32 * placed++, kHeight - 22);
        b->Invalidate();
    });

    // The mouse over the second player's row.
    platform::WindowEvent move;
    move.message = platform::kWmMouseMove;
    move.x = 120;
    move.y = kAdvertBottom + 3 + 22 + 32 + 16;
    host.OnEvent(move);

    tools::PumpFor(700);
    if (!tools::SaveFramePng(*paint, args.out)) {
        std::fprintf(stderr, "sidelists-shot: cannot write %s\n", args.out);
        return 1;
    }
    if (args.check && !tools::CheckFramePng("sidelists-shot", args.out, kWidth, kHeight))
        return 1;
    return 0;
}
