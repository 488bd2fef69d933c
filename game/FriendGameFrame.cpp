#include "game/FriendGameFrame.h"

#include "engine/controls/widgets/ImageFont.h"
#include "engine/core/EngineFiles.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/SubSystem.h"
#include "game/FriendSubSystem.h"
#include "game/FriendTableView.h"

#include <cstdio>

namespace game {

namespace {

constexpr int kCaptionGlyphWidth = 40;
constexpr int kCaptionGlyphHeight = 42;
constexpr uint32_t kCaptionFontFlags = 0x12;
// Above the table view and its cards, below the boxes.
constexpr double kCaptionAbove = 2000;

} // namespace

FriendGameFrame::FriendGameFrame(int workAreaWidth)
    : GameFrame(workAreaWidth)
{
}

FriendGameFrame::~FriendGameFrame() = default;

std::vector<std::string> FriendGameFrame::SkinPacks(bool replayMode)
{
    std::vector<std::string> packs { "skins\\frame.vkr", "skins\\common.vkr", "skins\\peiyin.vkr",
        "skins\\cardmaster.vkr", "skins\\聊天框资源包.vkr", "skins\\vkface_bobo.vkr", "skins\\vkfaces_bobo.vkr" };
    if (replayMode)
        packs.emplace_back("skins\\replay.vkr");
    return packs;
}

bool FriendGameFrame::IsReplayMode() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app && app->IsReplayMode();
}

void FriendGameFrame::LoadSkinPacks()
{
    // A missing pack is no error: its pictures are simply absent.
    for (const std::string& pack : SkinPacks(IsReplayMode()))
        LoadResourcePack(engine::AppPath(pack));
}

int FriendGameFrame::OnCreate()
{
    const int result = GameFrame::OnCreate();
    MakeRoundCaption();
    return result;
}

void FriendGameFrame::OnRectChanged()
{
    const int side = CalcSidePanelWidth();
    SetNormalSidePanelWidth(side);
    SetSidePanelWidth(side);
    GameFrame::OnRectChanged();
    PlaceRoundCaption();
}

void FriendGameFrame::CreateChildren()
{
    SetSubSystem(std::make_unique<FriendSubSystem>());
    SetMainGame(CreateTableView());
}

std::unique_ptr<engine::RectObject> FriendGameFrame::CreateTableView()
{
    return std::make_unique<FriendTableView>();
}

void FriendGameFrame::DrawTableBackground(int width, int height)
{
    GameFrame::DrawTableBackground(width, height);
    engine::RectObject* table = GetMainGame();
    engine::PictureDesc logo;
    LookupPicture(&logo, kTableLogoPicture, 0);
    if (!table || logo.width <= 0 || logo.height <= 0)
        return;
    engine::Rect r;
    table->GetRect(&r);
    PaintImage(logo, (r.left + r.right) / 2 - logo.width / 2, (r.top + r.bottom) / 2 - logo.height / 2, logo.width,
        logo.height, 0);
}

void FriendGameFrame::MakeRoundCaption()
{
    if (m_roundCaption)
        return;
    auto* font = static_cast<engine::ImageFont*>(RegisterObject(std::make_unique<engine::ImageFont>()));
    if (!font)
        return;
    font->Create(kCaptionGlyphWidth, kCaptionGlyphHeight, kCaptionFontFlags);
    font->AddGlyphs(kRoundCaptionGlyphs, kRoundCaptionPicture);
    font->AddGlyphs("0123456789", kRoundCaptionDigits);
    font->SetZ(GetZ() + kCaptionAbove);
    font->Hide();
    m_roundCaption = font;
    PlaceRoundCaption();
}

void FriendGameFrame::PlaceRoundCaption()
{
    if (!m_roundCaption)
        return;
    engine::Rect r;
    if (engine::RectObject* table = GetMainGame())
        table->GetRect(&r);
    else
        GetRect(&r);
    m_roundCaption->MoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void FriendGameFrame::ShowMatchRoundTitle()
{
    char text[32];
    std::snprintf(text, sizeof text, "定局淘汰第%d轮", 1);
    m_roundCaptionText = text;
    if (!m_roundCaption)
        return;
    m_roundCaption->SetText(text);
    PlaceRoundCaption();
    m_roundCaption->Show();
    m_roundCaption->Invalidate();
}

} // namespace game
