// The main view's player detail panel: one board reused for every player,
// drawn from a player record (stand-alone and lobby-handed players) or from
// a match seat, placed near the click or beside the user list, fading with
// the pointer unless pinned.

#include "frame/ui/GameFrame.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FormatLine.h"
#include "frame/core/FrameConfig.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "frame/core/HallRecords.h"
#include "frame/ui/PlayerDetail.h"
#include "platform/Cursor.h"
#include "platform/Window.h"


namespace frame {

namespace {

constexpr const char* kDetailPicture = "bit_playerdetail";
constexpr const char* kFont = "宋体";
constexpr uint32_t kNameColour = 0x38D8E6;
constexpr uint32_t kFirstLinesColour = 0x5BE8D6;
constexpr uint32_t kLinesColour = 0xCDECD1;
// The shop's page of one figure.
constexpr const char* kShopRoot = "http://shop.kbzn.net/";
constexpr double kFadeStep = 0.2;
// The detail lines start clear of the figure's frame, which ends at 147.
constexpr int kLinesLeft = 153;


} // namespace

engine::CanvasObject* GameFrame::DetailPanel()
{
    if (m_detailPanel)
        return m_detailPanel;
    engine::PictureDesc desc;
    LookupPicture(&desc, kDetailPicture, 0);
    m_detailPanel = CreateCanvas(std::max(desc.width, 1), std::max(desc.height, 1), 0xFF00FF);
    if (!m_detailPanel)
        return nullptr;
    m_detailPanel->SetTopmost();
    m_detailPanel->SetZ(kDetailPanelDepth);
    m_detailPanel->SetDraggable(true);
    return m_detailPanel;
}

void GameFrame::DetailButtons(bool match)
{
    auto make = [this](const char* picture, int code) {
        auto* b = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
        if (!b)
            return b;
        engine::PictureDesc desc;
        LookupPicture(&desc, picture, 0);
        const engine::EngineEvent click(GetId(), code, 0, 0);
        b->Create(desc, &click, 0, engine::ObjectFlags::kPixelHitTest);
        b->SetSound(1, "SndTouchButton");
        b->SetSound(2, "SndHitButton");
        return b;
    };
    const double left = m_detailPanel->GetLeft();
    const double top = m_detailPanel->GetTop();
    const double z = m_detailPanel->GetZ() + 0.1;
    if (!m_detailClose && (m_detailClose = make("btn_redcrossEx", EVT_FRAME_DETAIL_CLOSE))) {
        m_detailClose->MoveTo(m_detailPanel->GetRight() - m_detailClose->GetWidth() / 2 - 10, top + 19);
        m_detailClose->SetZ(z);
        m_detailPanel->AddChild(m_detailClose, engine::LINK_STANDARD);
    }
    if (!m_detailBuy && (m_detailBuy = make("btn_buycharacter", EVT_FRAME_BUY_CLOTHES))) {
        m_detailBuy->MoveTo(match ? left + 75 : m_detailPanel->GetX(), top + 290);
        m_detailBuy->SetZ(z);
        m_detailPanel->AddChild(m_detailBuy, engine::LINK_STANDARD);
    }
}

// The click's place is not used: outside a match the panel opens at the
// cursor, in a match it keeps its last place.
void GameFrame::ShowPlayerDetail(int userId, int /*x*/, int /*y*/)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return;
    // Such rooms show a seated player only his own details.
    if (app->IsRoomOptionB08() && !app->IsLookOn() && userId != app->GetUserId())
        return;
    if (!app->IsMatchMode()) {
        OpenPlayerDetail(userId, true);
        return;
    }
    const MatchSeatRecord* seat = app->FindMatchSeat(userId);
    if (!seat) {
        m_shownUserId = m_shownFigure = -1;
        if (m_detailPanel)
            HideFromScreen(m_detailPanel);
        return;
    }
    ShowMatchPlayerDetail(MatchDetailFromSeat(*seat));
}

void GameFrame::OpenPlayerDetail(int userId, bool hideFirst)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return;
    if (app->IsStandAlone()) {
        const PlayerRecord* record = app->FindPlayer(userId);
        if (!record)
            return;
        ShowPlayerDetailPanel(*record);
        const platform::Point cursor = CursorInView();
        PlacePlayerBoardSmall(userId, cursor.x, cursor.y);
        return;
    }
    if (hideFirst && m_detailPanel)
        HideFromScreen(m_detailPanel);
    PostShowPlayerToHall(userId);
}

void GameFrame::PostShowPlayerToHall(int userId)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app)
        app->PostToHall(WM_HALL_SHOWPLAYER, app->GetMainWindowHandle(), userId);
}

platform::Point GameFrame::CursorOnScreen()
{
    return platform::CursorScreenPos();
}

platform::Point GameFrame::CursorInView()
{
    const platform::Point screen = CursorOnScreen();
    const platform::Window* window = GetFrameWindow();
    return window ? window->ScreenToClient(screen) : screen;
}

void GameFrame::ShowSelectedPlayerDetail()
{
    if (m_detailPanel && m_detailPanel->IsShown() && m_shownUserId >= 0)
        OpenPlayerDetail(m_shownUserId, false);
}

int GameFrame::DetailPanelUserId() const
{
    return m_detailPanel && m_detailPanel->IsShown() && m_shownUserId > 0 ? m_shownUserId : 0;
}

void GameFrame::ShowPlayerDetailPanel(const uint8_t* data, size_t size)
{
    if (const auto record = ReadHallShowPlayer(data, size))
        ShowPlayerDetailPanel(*record);
}

void GameFrame::ShowPlayerDetailPanel(const PlayerRecord& record)
{
    engine::CanvasObject* panel = DetailPanel();
    if (!panel)
        return;
    panel->SubscribeEvent(engine::EVT_RCLICK, GetId(), EVT_FRAME_DETAIL_CLOSE, 0, 0);
    DetailButtons(false);
    m_shownUserId = record.UserId();
    m_shownFigure = record.Figure();
    panel->Clear();
    engine::PictureDesc desc;
    LookupPicture(&desc, kDetailPicture, 0);
    panel->BlitPicture(desc, 0, 0, -1, -1, 0, 1.0);

    panel->SetFont(14, 700, kFont);
    panel->SetPen(kNameColour, 1.0);
    panel->DrawTextCentred(195, 46, record.Name());

    CGameFrameApp* app = CGameFrameApp::Current();
    const bool silverRoom = app && app->IsSilverRoom();
    const std::string silver = FormatLine("   银 子 ： %d 两", record.Silver());
    const std::string wealth = FormatLine("财富等级 ： %s", GetWealthTitle(record.Silver()).c_str());
    const std::string score = FormatLine("   积 分 ： %d", record.Score());
    const std::string level = FormatLine("   级 别 ： %s", record.LevelTitle().c_str());
    const int won = record.Won(), lost = record.Lost(), drawn = record.Drawn();
    const std::string lines[] = {
        silverRoom ? silver : score,
        silverRoom ? wealth : level,
        silverRoom ? score : silver,
        silverRoom ? level : wealth,
        FormatLine("   经 验 ： %d", record.ExperienceMinutes()),
        FormatLine("断 线 率 ： %s", DisconnectRate(record.Disconnects(), won, lost, drawn).c_str()),
        FormatLine("   网 速 ： %d", record.NetSpeed()),
        FormatLine("   赢 局 ： %d", won),
        FormatLine("   输 局 ： %d", lost),
        FormatLine("   和 局 ： %d", drawn),
        FormatLine("   胜 率 ： %s", WinRate(won, lost, drawn).c_str()),
    };
    panel->SetFont(12, 400, kFont);
    int y = 70;
    for (size_t i = 0; i < std::size(lines); ++i, y += 18) {
        panel->SetPen(i < 2 ? kFirstLinesColour : kLinesColour, 1.0);
        panel->DrawText(kLinesLeft, y, lines[i]);
    }
    const std::string figure = GetCharacterImageName(m_shownFigure, 3);
    if (!figure.empty()) {
        LookupPicture(&desc, figure, 0);
        panel->BlitPicture(desc, 10, 10, 135, 270, 0, 1.0);
    }
    panel->Invalidate();
}

void GameFrame::ShowMatchPlayerDetail(const MatchPlayerDetail& detail)
{
    engine::CanvasObject* panel = DetailPanel();
    if (!panel)
        return;
    panel->SubscribeEvent(engine::EVT_MOUSE_ENTER, GetId(), EVT_FRAME_DETAIL_ENTER, 0, 0);
    panel->SubscribeEvent(engine::EVT_MOUSE_LEAVE, GetId(), EVT_FRAME_DETAIL_LEAVE, 0, 0);
    panel->SubscribeEvent(engine::EVT_RCLICK, GetId(), EVT_FRAME_DETAIL_CLOSE, 0, 0);
    DetailButtons(true);
    m_shownUserId = detail.userId;
    m_shownFigure = detail.figure;
    panel->Clear();
    engine::PictureDesc desc;
    LookupPicture(&desc, kDetailPicture, 0);
    panel->BlitPicture(desc, 0, 0, -1, -1, 0, 1.0);
    const std::string figure = GetCharacterImageName(m_shownFigure, 3);
    if (!figure.empty()) {
        LookupPicture(&desc, figure, 0);
        panel->BlitPicture(desc, 10, 10, 135, 270, 0, 1.0);
    }
    panel->SetFont(14, 700, kFont);
    panel->SetPen(kNameColour, 1.0);
    panel->DrawTextCentred(190, 45, detail.name);
    panel->SetFont(12, 400, kFont);
    panel->SetPen(kLinesColour, 1.0);
    auto row = [panel](int y, const char* label, const std::string& value) {
        panel->DrawText(155, y, label);
        if (!value.empty())
            panel->DrawText(205, y, value);
    };
    row(70, "段位", {});
    LookupPicture(&desc, "bit_Duan", detail.level);
    if (desc.width > 0)
        panel->BlitPicture(desc, 205, 65, -1, -1, 0, 1.0);
    row(100, "段位分", FormatLine("%d/%d", detail.rankPoints, detail.nextLevelPoints));
    row(130, "赢", std::to_string(detail.won));
    row(150, "输", std::to_string(detail.lost));
    row(170, "和", std::to_string(detail.drawn));
    row(190, "胜率", WinRate(detail.won, detail.lost, detail.drawn));
    row(220, "本场", FormatLine("<c=%d>%d胜<c=%d>%d负<c=%d>%d平", 255, detail.matchWon, 65280, detail.matchLost, 1892862,
                          detail.matchDrawn));
    panel->Invalidate();
}

void GameFrame::ShowMatchPlayer(const uint8_t* data, size_t size)
{
    const auto detail = ReadMatchPlayerDetail(data, size);
    if (!detail)
        return;
    ShowMatchPlayerDetail(*detail);
    ShowUserListPopup(detail->userId, true);
}

void GameFrame::PlacePlayerBoardSmall(int /*userId*/, int x, int y)
{
    engine::CanvasObject* panel = DetailPanel();
    if (!panel)
        return;
    engine::Rect r;
    (m_mainGame ? static_cast<engine::RectObject*>(m_mainGame) : this)->GetRect(&r);
    const DetailPlacement at = PlaceDetailNear(r, static_cast<int>(panel->GetWidth()),
        static_cast<int>(panel->GetHeight()), PictureHeight("PlayerBoardSmall", 0), x, y);
    panel->SetZ(kDetailPanelDepth);
    panel->Show();
    panel->SetOpacity(1.0);
    panel->MoveTo(at.x, at.y);
    panel->Invalidate();
}

void GameFrame::ShowUserListPopup(int /*userId*/, bool pin)
{
    engine::CanvasObject* panel = DetailPanel();
    if (!panel)
        return;
    m_detailPinned = pin;
    engine::Rect r;
    (m_mainGame ? static_cast<engine::RectObject*>(m_mainGame) : this)->GetRect(&r);
    const int pw = static_cast<int>(panel->GetWidth());
    const int ph = static_cast<int>(panel->GetHeight());
    int y = r.top + (r.bottom - r.top) / 3;
    if (engine::EngineObject* list = FindObjectByName("UserListBar"))
        y = std::min(static_cast<int>(list->GetTop()) + ph / 2, r.bottom - ph / 2);
    panel->SetZ(kDetailPanelDepth);
    panel->Show();
    panel->SetOpacity(1.0);
    panel->MoveTo(r.right - pw / 2, y);
    panel->Invalidate();
}

void GameFrame::HidePlayerDetail(int userId)
{
    if (!m_detailPanel || userId != m_shownUserId)
        return;
    CancelActionsOf(m_detailPanel->GetId());
    const engine::EngineEvent hide(m_detailPanel->GetId(), engine::EVT_HIDE, 0, 0);
    FadeOpacity(m_detailPanel, -kFadeStep, 0.0, 0, &hide);
}

void GameFrame::HideDetailNow()
{
    m_detailPinned = false;
    if (m_detailPanel) {
        CancelActionsOf(m_detailPanel->GetId());
        HideFromScreen(m_detailPanel);
    }
}

void GameFrame::OnDetailEnter()
{
    if (m_detailPinned || !m_detailPanel)
        return;
    CancelActionsOf(m_detailPanel->GetId());
    FadeOpacity(m_detailPanel, kFadeStep, 1.0, 0, nullptr);
}

void GameFrame::OnDetailLeave(const engine::EngineEvent& event)
{
    if (m_detailPinned || !m_detailPanel)
        return;
    const auto* input = event.DataAs<const engine::InputState>();
    if (input && m_detailPanel->HitTest(input->x, input->y))
        return;
    HidePlayerDetail(m_shownUserId);
}

void GameFrame::OnBoardLeave(const engine::EngineEvent& event)
{
    // Moving from the board straight onto the panel keeps it open.
    const auto* input = event.DataAs<const engine::InputState>();
    if (input && m_detailPanel && input->hoveredId == m_detailPanel->GetId())
        return;
    HidePlayerDetail(event.ParamInt());
}

void GameFrame::RequestPlayerDetail()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    if (connection && m_detailPanel && m_detailPanel->IsShown())
        connection->Request201230(m_shownUserId);
}

void GameFrame::OpenShopClothes(int figure)
{
    if (figure < 0)
        return;
    OpenShopAddress(FormatLine("%s?clothesid=%d", kShopRoot, figure));
}

void GameFrame::OpenShop()
{
    OpenShopAddress(kShopRoot);
}

void GameFrame::OpenShopAddress(const std::string& address)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return;
    if (app->IsStandAlone())
        app->OpenUrlInBrowser(address, false);
    else
        app->SendTextToHall(address, 1);
}

std::string GameFrame::GetCharacterImageName(int figure, int sizeKind)
{
    const std::string name = FormatLine("Character%dType%d", figure, sizeKind);
    engine::PictureDesc desc;
    LookupPicture(&desc, name, 0);
    if (desc.width > 0)
        return name;
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app) {
        const char* file = sizeKind == 1 ? "32x32.png" : sizeKind == 2 ? "48x48.png" : "135x270.png";
        if (AddResourceFile(app->GetCharacterDir(figure) + file, name.c_str()) != 0)
            return name;
    }
    return figure != 0 ? GetCharacterImageName(0, sizeKind) : std::string();
}

bool GameFrame::OnDetailEvent(const engine::EngineEvent& event)
{
    const auto* input = event.DataAs<const engine::InputState>();
    switch (event.code) {
    case EVT_FRAME_BUY_CLOTHES:
        OpenShopClothes(m_shownFigure);
        return true;
    case EVT_FRAME_DETAIL_ACTION:
        OnDetailAction(m_shownUserId);
        return true;
    case EVT_FRAME_BOARD_CLICK:
        ShowPlayerDetail(event.ParamInt(), input ? input->x : 0, input ? input->y : 0);
        return true;
    case EVT_FRAME_BOARD_LEAVE:
        OnBoardLeave(event);
        return true;
    case EVT_FRAME_DETAIL_ENTER:
        OnDetailEnter();
        return true;
    case EVT_FRAME_DETAIL_LEAVE:
        OnDetailLeave(event);
        return true;
    case EVT_FRAME_DETAIL_CLOSE:
        HideDetailNow();
        return true;
    default:
        return false;
    }
}

} // namespace frame
