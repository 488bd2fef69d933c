#include "cards/CardPlayerBoard.h"

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/text/GbkCut.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace game {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kCardNamePen = 0x00FAE5;
constexpr double kBoardDepth = 1000;
constexpr double kAnimationDepth = 10000;
// Link of the parts that ride on the plate: they move, turn and redraw
// with it and hide while it is hidden, but a part hidden on its own stays
// hidden when the plate shows again, and each keeps its own depth.
constexpr uint32_t kRideLink = engine::kLinkRotate | engine::kLinkInvalidate | engine::kLinkMove
    | engine::kLinkHideWithParent;
constexpr int kNameLimit = 9;
constexpr int kNameKeep = 8;

// Exchanges the columns x and width - 1 - x of every row, colour and
// alpha.
void MirrorCanvas(engine::CanvasObject& canvas)
{
    uint8_t* pixels = canvas.GetPixels();
    if (!pixels)
        return;
    const int w = canvas.GetBufferWidth();
    const int h = canvas.GetBufferHeight();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(y) * w * 4;
        for (int x = 0; x < w / 2; ++x)
            std::swap_ranges(row + x * 4, row + x * 4 + 4, row + (w - 1 - x) * 4);
    }
    // An empty clear tells the canvas its pixels changed.
    canvas.ClearRect(0, 0, 0, 0);
}

int Trunc(double value)
{
    return static_cast<int>(std::trunc(value));
}

} // namespace

std::string ShortenBoardName(std::string_view name)
{
    if (name.size() <= static_cast<size_t>(kNameLimit))
        return std::string(name);
    // Eight bytes may end inside a double-byte character: cut before it.
    std::string out(name.substr(0, engine::GbkCutLength(name, kNameKeep)));
    out += "..";
    return out;
}

CardPlayerBoard::CardPlayerBoard(int seat, CardArea table)
    : m_seat(seat)
    , m_table(table)
{
}

int CardPlayerBoard::OnCreate()
{
    CreateBoard(m_seat);
    return 0;
}

int CardPlayerBoard::OnEvent(const engine::EngineEvent& event)
{
    if (event.code == EVT_BOARD_MOUSE_ENTER || event.code == EVT_BOARD_MOUSE_LEAVE) {
        m_hover = event.code == EVT_BOARD_MOUSE_ENTER ? 1 : 0;
        Redraw();
    }
    return BoundObject::OnEvent(event);
}

// ---- parts -------------------------------------------------------------------

engine::CanvasObject* CardPlayerBoard::MakeBoardCanvas()
{
    engine::PictureDesc plate;
    LookupPicture(&plate, "PlayerBoardSmall", 0);
    m_plateWidth = plate.width;
    m_plateHeight = plate.height;
    m_board = CreateCanvas(std::max(plate.width, 1), std::max(plate.height, 1), kKey);
    if (m_board) {
        // Parts made below take their depth from the plate's.
        m_board->SetZ(kBoardDepth);
        m_board->Hide();
    }
    return m_board;
}

engine::CanvasObject* CardPlayerBoard::MakeFigureCanvas(double depth)
{
    engine::CanvasObject* figure = CreateCanvas(kCharacterFigureWidth, kCharacterFigureHeight, kKey);
    if (figure) {
        figure->SetZ(depth);
        figure->RotateTo(0);
        figure->Hide();
    }
    return figure;
}

engine::SpriteObject* CardPlayerBoard::MakeStatusSprite()
{
    if (!m_board)
        return nullptr;
    engine::PictureDesc desc;
    LookupPicture(&desc, "animation_AutoPlay", 0);
    engine::SpriteObject* sprite = CreateSprite(desc);
    if (!sprite)
        return nullptr;
    sprite->MoveTo(m_board->GetLeft() + 40, m_board->GetY() + 3);
    sprite->SetZ(m_board->GetZ() + 0.1);
    sprite->Hide();
    AttachToPlate(sprite);
    return sprite;
}

void CardPlayerBoard::AttachToPlate(engine::EngineObject* part)
{
    if (m_board && part)
        m_board->AddChild(part, kRideLink);
}

engine::ImageNumber* CardPlayerBoard::MakeNumber(std::string_view digits, uint32_t flags, std::string_view suffix,
    std::string_view suffixPicture, double depth)
{
    auto* number = static_cast<engine::ImageNumber*>(RegisterObject(std::make_unique<engine::ImageNumber>()));
    if (!number)
        return nullptr;
    number->CreateDigits(digits, flags);
    // Scores fall below zero: a digit sheet with an eleventh frame gives
    // the minus sign.
    engine::PictureDesc minus;
    if (LookupPicture(&minus, digits, 10)->record && minus.frame == 10)
        number->AddGlyph("-", minus);
    engine::PictureDesc glyph;
    LookupPicture(&glyph, suffixPicture, 0);
    number->AddGlyph(suffix, glyph);
    number->SetSuffix(suffix);
    number->SetZ(depth);
    number->SetValue(0);
    number->Hide();
    return number;
}

void CardPlayerBoard::FinishBoard()
{
    if (!m_board)
        return;
    m_board->SetTopmost();
    m_board->SetZ(kBoardDepth);
    m_board->SetPen(kWhite, 1.0);
    // The plate answers the mouse (hover, details, the player menu).
    m_board->SetInputEnabled(true);
    Bind(m_board, engine::LINK_STANDARD);
    char name[32];
    std::snprintf(name, sizeof name, "玩家姓名板%d", m_seat);
    SetName(name);
}

void CardPlayerBoard::CreateBoard(int seat)
{
    m_seat = seat;
    if (!MakeBoardCanvas())
        return;
    m_figure = MakeFigureCanvas(m_board->GetZ() + (8 - seat) * 0.1);
    m_status = MakeStatusSprite();
    m_remain = MakeNumber("digit_restcard", 2, "张", "word_zhang", m_board->GetZ() + 0.1);
    if (m_remain)
        m_remain->SetTopmost();
    FinishBoard();
}

// ---- what the board knows of its chair ------------------------------------------

CardArea CardPlayerBoard::GetTableArea() const
{
    if (m_table.width > 0 && m_table.height > 0)
        return m_table;
    return FindTableArea(*this);
}

BoardPlayer CardPlayerBoard::GetBoardPlayer(int chair) const
{
    BoardPlayer player;
    const ::CGameFrameApp* app = ::CGameFrameApp::Current();
    if (!app)
        return player;
    if (const frame::PlayerRecord* record = app->GetSeatPlayer(chair)) {
        player.name = record->Name();
        player.figure = record->Figure();
        player.silver = record->Silver();
    }
    player.userId = app->GetChairUserId(chair);
    player.matchRank = app->GetMatchSeatWord96(chair);
    if (const frame::MatchSeatRecord* seat = app->GetMatchSeat(chair))
        player.matchScore = seat->MatchScore();
    return player;
}

BoardRoom CardPlayerBoard::GetBoardRoom() const
{
    BoardRoom room;
    ::CGameFrameApp* app = ::CGameFrameApp::Current();
    if (!app)
        return room;
    room.chairs = app->GetChairCount();
    room.match = app->IsMatchMode();
    room.silver = app->IsSilverRoom();
    room.replay = app->IsReplayMode();
    room.lookOn = app->IsLookOn();
    if (const GameState* state = app->GetGameState())
        room.status = state->GetStatus();
    return room;
}

std::string CardPlayerBoard::GetCharacterImageName(int figure, int size) const
{
    return CharacterPicture(*const_cast<CardPlayerBoard*>(this), figure, size);
}

engine::EngineObject* CardPlayerBoard::GetMainViewObject() const
{
    const ::CGameFrameApp* app = ::CGameFrameApp::Current();
    return app ? app->GetMainView() : nullptr;
}

void CardPlayerBoard::PlayBoardSound(std::string_view name)
{
    PlaySound(name, 1, nullptr);
}

// ---- binding a chair ----------------------------------------------------------------

void CardPlayerBoard::SubscribeMouse()
{
    if (!m_board)
        return;
    for (int code : {engine::EVT_MOUSE_ENTER, engine::EVT_MOUSE_LEAVE, engine::EVT_LBUTTON_DOWN,
             engine::EVT_RBUTTON_DOWN})
        m_board->Unsubscribe(code);
    m_board->SubscribeEvent(engine::EVT_MOUSE_ENTER, GetId(), EVT_BOARD_MOUSE_ENTER, 0, 0);
    m_board->SubscribeEvent(engine::EVT_MOUSE_LEAVE, GetId(), EVT_BOARD_MOUSE_LEAVE, 0, 0);
    if (engine::EngineObject* view = GetMainViewObject()) {
        const int user = GetBoardPlayer(m_chair).userId;
        m_board->SubscribeEvent(engine::EVT_LBUTTON_DOWN, view->GetId(), EVT_BOARD_PLAYER_DETAIL, user, 0);
        m_board->SubscribeEvent(engine::EVT_RBUTTON_DOWN, view->GetId(), EVT_BOARD_PLAYER_MENU, user, 0);
    }
}

void CardPlayerBoard::ShowRankOrHide()
{
    if (!m_status)
        return;
    const int rank = m_chair >= 0 ? GetBoardPlayer(m_chair).matchRank : -1;
    m_status->SetOpacity(1.0);
    if (rank < 0) {
        m_status->Hide();
        return;
    }
    engine::PictureDesc desc;
    LookupPicture(&desc, "bit_Duan", rank);
    m_status->SetPicture(desc, true);
    m_status->Show();
    m_status->Invalidate();
}

void CardPlayerBoard::UpdatePlayer(int chair)
{
    if (chair == -1)
        return;
    m_chair = chair;
    Redraw();
    ShowRankOrHide();
    SubscribeMouse();
    Show();
    // The plate was drawn while it was hidden; shown now, its place must be
    // painted again, or a player who sits down before the first deal stays
    // invisible until something else repaints the table.
    if (m_board)
        m_board->Invalidate();
    RefreshCharacterFigure();
}

void CardPlayerBoard::ClearPlayer()
{
    if (m_board)
        m_board->Unsubscribe(engine::EVT_MOUSE_ENTER);
    if (m_remain)
        m_remain->Hide();
    HideAnimation();
    HideCharacterFigure();
    m_chair = -1;
    m_active = 0;
    if (m_status) {
        CancelActionsOf(m_status->GetId());
        m_status->Hide();
    }
    Hide();
}

void CardPlayerBoard::ResetRound()
{
    m_active = 0;
    if (m_remain)
        m_remain->Hide();
    Redraw();
}

// ---- drawing ----------------------------------------------------------------------

void CardPlayerBoard::DrawPlate(int frame, uint32_t pen)
{
    m_board->Clear();
    engine::PictureDesc plate;
    LookupPicture(&plate, "PlayerBoardSmall", frame);
    m_board->BlitPicture(plate, 0, 0, 0, 0, 0.0, 1.0);
    const BoardPlayer player = GetBoardPlayer(m_chair);
    const std::string portrait = GetCharacterImageName(player.figure, 1);
    if (!portrait.empty()) {
        engine::PictureDesc face;
        LookupPicture(&face, portrait, 0);
        m_board->BlitPicture(face, 80, m_plateHeight - 33, -1, -1, 0.0, 1.0);
    }
    m_board->SetPen(pen, 1.0);
}

void CardPlayerBoard::Redraw()
{
    if (m_chair < 0 || !m_board)
        return;
    const int frame = m_active ? 1 : (m_hover ? 2 : 0);
    DrawPlate(frame, kCardNamePen);
    const int width = m_board->GetBufferWidth();
    m_nameEnd = width / 2 + 56;
    m_board->SetFont(14, 400, "宋体");
    m_board->DrawTextCentred(width / 2, m_board->GetBufferHeight() / 2, ShortenName(GetBoardPlayer(m_chair).name));
    m_board->Invalidate();
}

void CardPlayerBoard::RefreshText(int, int)
{
    Redraw();
}

void CardPlayerBoard::Refresh(bool board, bool figure)
{
    if (board)
        Redraw();
    if (figure)
        UpdateCharacterFigure();
}

void CardPlayerBoard::SetActive(int flag)
{
    m_active = flag;
    Redraw();
}

std::string CardPlayerBoard::ShortenName(std::string_view name) const
{
    return ShortenBoardName(name);
}

// ---- placing ----------------------------------------------------------------------

void CardPlayerBoard::PlaceBoardCanvas(bool threeChairs)
{
    const CardArea a = GetTableArea();
    const int half = m_plateHeight / 2;
    int seat = m_seat;
    if (threeChairs && seat == 2)
        seat = 3;
    switch (seat) {
    case 0:
        MoveTo(a.left + a.width / 2, a.top + a.height - half);
        break;
    case 1:
        MoveTo(a.left + half - 1, a.top + a.height / 2);
        RotateTo(270);
        break;
    case 2:
        MoveTo(a.left + a.width / 2, a.top + half);
        break;
    case 3:
        MoveTo(a.left + a.width - half, a.top + a.height / 2);
        RotateTo(90);
        break;
    default:
        MoveTo(a.left, a.top);
        break;
    }
    Invalidate();
}

void CardPlayerBoard::PlaceBoard()
{
    PlaceBoardCanvas(GetBoardRoom().chairs == 3);
    PlaceCharacterFigure();
    LayoutParts();
}

void CardPlayerBoard::PlaceCharacterFigure()
{
    if (!m_figure)
        return;
    const CardArea a = GetTableArea();
    const int fw = static_cast<int>(m_figure->GetWidth());
    const int fh = static_cast<int>(m_figure->GetHeight());
    const int bh = m_plateHeight;
    const int chairs = GetBoardRoom().chairs;
    if (m_seat == 0)
        m_figure->MoveTo(a.left + a.width / 2, a.top + a.height - bh - fh / 2);
    else if (m_seat == 1)
        m_figure->MoveTo(a.left + bh + fw / 2, a.top + a.height / 2);
    else if (m_seat == 2 && chairs == 4)
        m_figure->MoveTo(a.left + a.width / 2, a.top + bh + fh / 2);
    else if ((m_seat == 3 && chairs == 4) || (m_seat == 2 && chairs == 3))
        m_figure->MoveTo(a.left + a.width - bh - fw / 2, a.top + a.height / 2);
    else
        m_figure->MoveTo(0, 0);
    m_figure->Invalidate();
}

void CardPlayerBoard::LayoutParts()
{
    if (!m_animation)
        return;
    const CardArea a = GetTableArea();
    const int chairs = GetBoardRoom().chairs;
    if (chairs != 3 && chairs != 4)
        return;
    const bool shown = IsCharacterFigureShown() && m_figure;
    const double fy = shown ? m_figure->GetY() : 0;
    const double fl = shown ? m_figure->GetLeft() : 0;
    const double fr = shown ? m_figure->GetRight() : 0;
    const double aw = m_animation->GetWidth();
    int row = m_seat;
    if (chairs == 3 && m_seat == 2)
        row = 3;
    else if (chairs == 3 && m_seat == 3)
        return;
    switch (row) {
    case 0:
        if (shown)
            m_animation->MoveTo(a.left + a.width / 2 + 125, fy);
        else
            m_animation->MoveTo(a.left + a.width / 2, a.top + (3 * a.height) / 4);
        break;
    case 1:
        if (shown)
            m_animation->MoveTo(fr + aw / 2, fy);
        else
            m_animation->MoveTo(a.left + 135, a.top + a.height / 2);
        break;
    case 2:
        if (shown)
            m_animation->MoveTo(fr + aw / 2, fy);
        else
            m_animation->MoveTo(a.left + a.width / 2, a.top + 135);
        break;
    case 3:
        if (shown)
            m_animation->MoveTo(fl - aw / 2, fy);
        else
            m_animation->MoveTo(a.left + a.width - 135, a.top + a.height / 2);
        break;
    default:
        break;
    }
    m_animation->Invalidate();
}

CardPoint CardPlayerBoard::GetClockPosition(int mode) const
{
    const CardArea a = GetTableArea();
    auto* self = const_cast<CardPlayerBoard*>(this);
    const int p = self->GetIntProperty(50019) + self->GetIntProperty(50016);
    const BoardRoom room = GetBoardRoom();
    const int bottomY = a.top + a.height - p - 48;
    if (m_seat == 0) {
        int dx = -200;
        if (room.lookOn)
            dx = 0;
        else if (mode == 1)
            dx = -80;
        else if (mode == 0)
            dx = -160;
        return {a.left + a.width / 2 + dx, bottomY};
    }
    if (room.chairs == 4 || room.chairs == 3) {
        if (m_seat == 1)
            return {a.left + 180, a.top + a.height / 2};
        if (m_seat == 2 && room.chairs == 4)
            return {a.left + a.width / 2, a.top + 180};
        if ((m_seat == 3 && room.chairs == 4) || (m_seat == 2 && room.chairs == 3))
            return {a.left + a.width - 180, a.top + a.height / 2};
    }
    return {a.left + Trunc(GetX()), a.top + Trunc(GetY())};
}

// ---- animation, status sprite and remaining cards -------------------------------------

void CardPlayerBoard::ShowAnimation(std::string_view pictureName)
{
    engine::PictureDesc desc;
    LookupPicture(&desc, pictureName, 0);
    if (!m_animation) {
        m_animation = CreateSprite(desc);
        if (!m_animation)
            return;
        m_animation->SetTopmost();
        m_animation->SetZ(kAnimationDepth);
    } else {
        m_animation->SetPicture(desc, true);
    }
    LayoutParts();
    m_animation->Show();
    m_animation->Invalidate();
}

void CardPlayerBoard::HideAnimation()
{
    if (m_animation) {
        m_animation->Hide();
        m_animation->Invalidate();
    }
}

void CardPlayerBoard::ShowReady()
{
    ShowAnimation("animation_Ready");
}

void CardPlayerBoard::HideReady()
{
    HideAnimation();
}

void CardPlayerBoard::AddScore(int)
{
}

void CardPlayerBoard::ShowStatus(std::string_view pictureName)
{
    CancelActionsOf(m_status->GetId());
    engine::PictureDesc desc;
    LookupPicture(&desc, pictureName, 0);
    m_status->SetPicture(desc, true);
    m_status->SetOpacity(1.0);
    m_status->Show();
    m_status->Invalidate();
    // Pulses until the sign is turned off.
    PulseOpacity(m_status, 0.1, -1, 200, 1.0, 0.3, nullptr);
}

void CardPlayerBoard::SetAutoPlay(int flag)
{
    if (!m_status)
        return;
    if (m_chair < 0) {
        m_status->Hide();
        return;
    }
    if (flag) {
        ShowStatus("animation_AutoPlay");
        return;
    }
    CancelActionsOf(m_status->GetId());
    ShowRankOrHide();
}

void CardPlayerBoard::SetOffline(int flag)
{
    m_offline = flag;
    if (!m_status)
        return;
    if (m_chair < 0) {
        m_status->Hide();
        return;
    }
    if (flag) {
        ShowStatus("animation_Offline");
        return;
    }
    CancelActionsOf(m_status->GetId());
    ShowRankOrHide();
}

void CardPlayerBoard::HideAutoPlay()
{
    if (m_status) {
        CancelActionsOf(m_status->GetId());
        m_status->Hide();
    }
}

void CardPlayerBoard::SetRemainCards(int count)
{
    if (!m_remain)
        return;
    if (count > 0)
        m_remain->SetValue(count);
    else
        m_remain->Hide();
}

void CardPlayerBoard::MoveRemainCards(int x, int y)
{
    if (!m_remain)
        return;
    m_remain->MoveTo(x, y);
    m_remain->Show();
    m_remain->Invalidate();
}

double CardPlayerBoard::GetRemainCardsWidth() const
{
    return m_remain ? m_remain->GetWidth() : 0;
}

double CardPlayerBoard::GetRemainCardsHeight() const
{
    return m_remain ? m_remain->GetHeight() : 0;
}

// ---- character figure -----------------------------------------------------------------

void CardPlayerBoard::RefreshCharacterFigure()
{
    UpdateCharacterFigure();
}

void CardPlayerBoard::HideCharacterFigure()
{
    if (m_figure) {
        m_figure->Hide();
        m_figure->Invalidate();
    }
}

bool CardPlayerBoard::IsCharacterFigureShown() const
{
    return m_figure && m_figure->IsShown();
}

void CardPlayerBoard::UpdateCharacterFigure()
{
    if (!m_figure || m_chair < 0)
        return;
    const int figure = GetBoardPlayer(m_chair).figure;
    m_figure->Clear();
    if (figure == 0 || figure == 1) {
        m_figure->Hide();
        m_figure->Invalidate();
        return;
    }
    const std::string name = GetCharacterImageName(figure, 3);
    engine::PictureDesc desc;
    LookupPicture(&desc, name, 0);
    m_figure->BlitPicture(desc, 0, 0, -1, -1, 0.0, 1.0);
    const int chairs = GetBoardRoom().chairs;
    const bool faceLeft = (chairs == 4 && (m_seat == 2 || m_seat == 3)) || (chairs == 3 && m_seat == 2);
    if (faceLeft) {
        // The figures look right; those on the far and right side turn to
        // face the table.
        MirrorCanvas(*m_figure);
    }
    m_figure->Show();
    m_figure->Invalidate();
}

} // namespace game
