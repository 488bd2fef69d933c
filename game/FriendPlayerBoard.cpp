#include "game/FriendPlayerBoard.h"

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace game {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr uint32_t kNamePen = 0x01CFFB;
constexpr uint32_t kMatchScorePen = 0xC7E0D0;
constexpr uint32_t kFigurePen = 255;
constexpr int kBadgeWidth = 80;
constexpr int kBadgeHeight = 30;
constexpr double kLampDepth = 52000;
constexpr double kRankDepth = 10000;
constexpr uint32_t kCountInterval = 100;
// Property 50019 (the big card height) from which the animations stand
// further in.
constexpr int kTallCards = 132;

int Trunc(double value)
{
    return static_cast<int>(std::trunc(value));
}

} // namespace

FriendPlayerBoard::FriendPlayerBoard(int seat, CardArea table)
    : CardPlayerBoard(seat, table)
{
}

int FriendPlayerBoard::OnEvent(const engine::EngineEvent& event)
{
    switch (event.code) {
    case EVT_BOARD_SCORE_COUNTED:
        PlaceScore();
        return 1;
    case EVT_BOARD_BUBBLE_TIMER:
        m_chat.OnEvent(event);
        return 1;
    case EVT_BOARD_LAMP_END:
        if (m_lamp) {
            CancelActionsOf(m_lamp->GetId());
            m_lamp->Hide();
            m_lamp->Invalidate();
        }
        break;
    default:
        break;
    }
    return CardPlayerBoard::OnEvent(event);
}

// ---- creation -------------------------------------------------------------------

void FriendPlayerBoard::ShowChatBubble(std::string_view text)
{
    const CardArea area = GetTableArea();
    m_chat.SetSeat(GetSeat());
    m_chat.Show(text, { area.left, area.top, area.left + area.width, area.top + area.height });
}

void FriendPlayerBoard::CreateBoard(int seat)
{
    SetSeat(seat);
    engine::CanvasObject* board = MakeBoardCanvas();
    if (!board)
        return;
    const double above = board->GetZ() + 0.1;

    m_badge = CreateCanvas(kBadgeWidth, kBadgeHeight, kKey);
    if (m_badge) {
        m_badge->SetZ(above);
        m_badge->Hide();
        AttachToPlate(m_badge);
    }
    m_gameFigure = MakeFigureCanvas(above);

    engine::PictureDesc lamp;
    LookupPicture(&lamp, "警灯", 0);
    m_lamp = CreateSprite(lamp);
    if (m_lamp) {
        m_lamp->SetZ(kLampDepth);
        m_lamp->Hide();
    }
    m_chat.SetSeat(seat);
    m_chat.Create();

    const bool match = GetBoardRoom().match;
    m_score = MakeNumber(match ? "ScoreDigitMatch" : "digit_basescore", engine::kFontProportional, "分",
        match ? "ScoreUniteMatch" : "str_分", above);
    AttachToPlate(m_score);
    m_silver = MakeNumber("digit_basescore", engine::kFontProportional, "两", "str_两", above);
    AttachToPlate(m_silver);
    engine::ImageNumber* remain = MakeNumber("digit_restcard", 2, "张", "word_zhang", above);
    if (remain)
        remain->SetTopmost();
    SetRemainNumber(remain);
    SetStatusSprite(MakeStatusSprite());
    FinishBoard();
}

// ---- binding ----------------------------------------------------------------------

void FriendPlayerBoard::UpdatePlayer(int chair)
{
    if (chair == -1)
        return;
    if (m_score) {
        m_score->StopCounting();
        m_score->SetValue(0);
        m_score->Hide();
    }
    if (m_badge)
        m_badge->Hide();
    CardPlayerBoard::UpdatePlayer(chair);
}

void FriendPlayerBoard::ClearPlayer()
{
    if (m_score) {
        m_score->StopCounting();
        m_score->Hide();
    }
    if (m_badge)
        m_badge->Hide();
    HideFinishRank();
    CardPlayerBoard::ClearPlayer();
}

void FriendPlayerBoard::ResetRound()
{
    SetActiveField(0);
    if (m_score) {
        m_score->StopCounting();
        m_score->SetValue(0);
        m_score->Hide();
    }
    if (engine::ImageNumber* remain = GetRemainNumber())
        remain->Hide();
    m_alertShown = 0;
    HideReady();
    HideFinishRank();
    SetTeamMark(0);
    SetBombCount(0);
    Redraw();
}

// ---- drawing ----------------------------------------------------------------------

void FriendPlayerBoard::Redraw()
{
    engine::CanvasObject* board = GetBoardCanvas();
    if (GetChair() < 0 || !board)
        return;
    const int frame = (m_teamMark ? 2 : 0) + (IsHovered() ? 1 : 0);
    DrawPlate(frame, kNamePen);
    const int width = board->GetBufferWidth();
    const int height = board->GetBufferHeight();
    SetNameEnd(width / 2 + 56);
    board->SetFont(14, 400, "宋体");
    const BoardPlayer player = GetBoardPlayer(GetChair());
    const std::string name = ShortenName(player.name);
    const BoardRoom room = GetBoardRoom();
    if (room.match) {
        board->DrawTextCentred(width / 2, 11, name);
        engine::PictureDesc plaque;
        LookupPicture(&plaque, "Player_MatchScore", IsActive());
        board->BlitPicture(plaque, (width - plaque.width) / 2, height - plaque.height - 3, -1, -1, 0.0, 1.0);
        char text[32];
        std::snprintf(text, sizeof text, "积分:%d", player.matchScore);
        board->SetPen(kMatchScorePen, 1.0);
        board->SetFont(12, 400, "宋体");
        board->DrawTextCentred(width / 2, height - plaque.height / 2 - 3, text);
    } else {
        board->DrawTextCentred(width / 2, height / 2, name);
    }
    board->Invalidate();
    if (room.silver && m_silver) {
        m_silver->Show();
        PlaceSilver();
    }
}

void FriendPlayerBoard::SetTeamMark(int flag)
{
    if (flag == m_teamMark)
        return;
    m_teamMark = flag;
    Redraw();
}

// ---- placing ----------------------------------------------------------------------

void FriendPlayerBoard::PlaceBoard()
{
    PlaceBoardCanvas(false);
    if (m_gameFigure) {
        const CardArea a = GetTableArea();
        const int half = PlateHeight() / 2;
        const double fw = m_gameFigure->GetWidth();
        const double fh = m_gameFigure->GetHeight();
        switch (GetSeat()) {
        case 0:
            m_gameFigure->MoveTo(a.left + a.width / 2, a.top + a.height - 2 * half - fh / 2);
            break;
        case 1:
            m_gameFigure->MoveTo(a.left + 2 * half - 1 + fw / 2, a.top + a.height / 2);
            break;
        case 2:
            m_gameFigure->MoveTo(a.left + a.width / 2, a.top + 2 * half + fh / 2);
            break;
        case 3:
            m_gameFigure->MoveTo(a.left + a.width - 2 * half - fw / 2, a.top + a.height / 2);
            break;
        default:
            break;
        }
        m_gameFigure->Invalidate();
    }
    LayoutParts();
    if (m_rank && m_rank->IsShown())
        ShowFinishRank(m_rank->GetFrame());
    if (GetChair() >= 0 && GetBoardRoom().silver)
        PlaceSilver();
}

void FriendPlayerBoard::LayoutParts()
{
    engine::SpriteObject* animation = GetAnimationSprite();
    if (!animation)
        return;
    const CardArea a = GetTableArea();
    const int k = GetIntProperty(50019) >= kTallCards ? 222 : 200;
    const bool figure = IsCharacterFigureShown();
    switch (GetSeat()) {
    case 0:
        if (figure)
            animation->MoveTo(a.left + a.width / 2 + 127, a.top + a.height - PlateHeight() - 135);
        else
            animation->MoveTo(a.left + a.width / 2, a.top + a.height - k);
        break;
    case 1:
        animation->MoveTo(a.left + k, a.top + a.height / 2);
        break;
    case 2:
        animation->MoveTo(a.left + a.width / 2 + (figure ? 127 : 0), a.top + k);
        break;
    case 3:
        animation->MoveTo(a.left + a.width - k, a.top + a.height / 2);
        break;
    default:
        break;
    }
    animation->Invalidate();
}

CardPoint FriendPlayerBoard::GetClockPosition(int mode) const
{
    const CardArea a = GetTableArea();
    auto* self = const_cast<FriendPlayerBoard*>(this);
    const int p = self->GetIntProperty(50019) + self->GetIntProperty(50016);
    const BoardRoom room = GetBoardRoom();
    const int seat = GetSeat();
    if (seat == 0) {
        int dx = -160;
        if (room.lookOn)
            dx = 0;
        else if (room.status & 0x10)
            dx = -120;
        else if ((room.status & 0x40) || mode == 1)
            dx = -80;
        else if (mode != 0)
            dx = -200;
        return {a.left + a.width / 2 + dx, a.top + a.height - p - 48};
    }
    if (room.chairs == 4 || room.chairs == 3) {
        if (seat == 1)
            return {a.left + p + 30, a.top + a.height / 2};
        if (seat == 2 && room.chairs == 4)
            return {a.left + a.width / 2, a.top + p + 30};
        if ((seat == 3 && room.chairs == 4) || (seat == 2 && room.chairs == 3))
            return {a.left + a.width - p - 30, a.top + a.height / 2};
    }
    return {a.left + Trunc(GetX()), a.top + Trunc(GetY())};
}

template <typename Place>
void FriendPlayerBoard::WithPlateUpright(Place place)
{
    const double angle = GetAngle();
    RotateTo(0);
    place();
    RotateTo(angle);
    // The parts' new places show from the next frame on.
    Invalidate();
}

int FriendPlayerBoard::AfterName(double numberWidth) const
{
    const double left = GetX() - PlateWidth() / 2.0;
    return Trunc(left + numberWidth / 2 + GetNameEnd() + 10);
}

void FriendPlayerBoard::PlaceScore()
{
    if (!m_score)
        return;
    WithPlateUpright([this] {
        const double y = GetY();
        const int cx = AfterName(m_score->GetWidth());
        m_score->MoveTo(cx, y);
        m_score->Invalidate();
        if (m_badge) {
            const int edge = m_score->IsShown() ? Trunc(cx + m_score->GetWidth() / 2) : cx;
            m_badge->MoveTo(edge + m_badge->GetWidth() / 2, y);
            m_badge->Invalidate();
        }
    });
}

void FriendPlayerBoard::PlaceSilver()
{
    if (!m_silver)
        return;
    m_silver->SetValue(GetChair() >= 0 ? GetBoardPlayer(GetChair()).silver : 0);
    WithPlateUpright([this] {
        const double y = GetY();
        const int cx = AfterName(m_silver->GetWidth());
        m_silver->MoveTo(cx, y);
        m_silver->Invalidate();
        if (m_badge) {
            const double right = cx + m_silver->GetWidth() / 2;
            m_badge->MoveTo(right + m_badge->GetWidth() / 2 + 10, y);
            m_badge->Invalidate();
        }
    });
}

// ---- the round's marks ------------------------------------------------------------

void FriendPlayerBoard::AddScore(int amount)
{
    if (amount == 0 || !m_score)
        return;
    m_score->Show();
    m_score->StopCounting();
    const int target = m_score->GetValue() + amount;
    if (GetBoardRoom().replay) {
        m_score->SetValue(target);
        PlaceScore();
        return;
    }
    const engine::EngineEvent done(GetId(), EVT_BOARD_SCORE_COUNTED);
    m_score->CountTo(target, amount / 5 + 1, kCountInterval, &done);
    PlaceScore();
}

void FriendPlayerBoard::SetBombCount(int count)
{
    if (!m_badge)
        return;
    if (count == 0) {
        m_badge->Hide();
        m_badge->Invalidate();
        return;
    }
    m_badge->Clear();
    engine::PictureDesc bomb;
    LookupPicture(&bomb, "炸弹图标", 0);
    m_badge->BlitPicture(bomb, 0, 0, 50, 30, 0.0, 1.0);
    const std::string text = std::to_string(count);
    if (auto* pen = dynamic_cast<engine::ImageFont*>(FindObjectByName("DigitPen"))) {
        pen->DrawText(*m_badge, 45, 7, text, engine::kDrawFromLeft);
    } else {
        // Without the table's digit font the count is written plainly.
        m_badge->SetPen(0xffffff, 1.0);
        m_badge->SetFont(16, 700, "宋体");
        m_badge->DrawText(47, 7, text);
    }
    m_badge->Show();
    m_badge->Invalidate();
    if (m_silver && m_silver->IsShown()) {
        PlaceSilver();
        return;
    }
    WithPlateUpright([this] {
        const double left = GetX() - PlateWidth() / 2.0;
        m_badge->MoveTo(Trunc(left + GetNameEnd() + 40), GetY());
        m_badge->Invalidate();
    });
}

void FriendPlayerBoard::GetBombBadgePosition(double* x, double* y) const
{
    if (x)
        *x = m_badge ? m_badge->GetX() : 0;
    if (y)
        *y = m_badge ? m_badge->GetY() : 0;
}

void FriendPlayerBoard::MoveRemainCards(int x, int y)
{
    engine::ImageNumber* remain = GetRemainNumber();
    if (!remain)
        return;
    remain->MoveTo(x, y);
    const int value = remain->GetValue();
    if (value > kFewCards || value < 1 || IsDealing()) {
        remain->Hide();
        remain->Invalidate();
        return;
    }
    remain->Show();
    remain->Invalidate();
    if (m_alertShown)
        return;
    m_alertShown = 1;
    PlayBoardSound("alert");
    if (!m_lamp)
        return;
    m_lamp->MoveTo(x + 8, y + 8);
    m_lamp->Show();
    m_lamp->Invalidate();
    if (m_lamp->GetPicture() && m_lamp->GetPicture()->IsValid()) {
        const engine::EngineEvent done(GetId(), EVT_BOARD_LAMP_END);
        PlayFrames(m_lamp, 1, -1, 0, 0, &done);
    }
}

void FriendPlayerBoard::ShowFinishRank(int frame)
{
    engine::PictureDesc desc;
    LookupPicture(&desc, "rank", frame);
    if (!m_rank) {
        m_rank = CreateSprite(desc);
        if (!m_rank)
            return;
        m_rank->SetTopmost();
        m_rank->SetZ(kRankDepth);
    } else {
        m_rank->SetPicture(desc, true);
    }
    const CardArea a = GetTableArea();
    const bool three = GetBoardRoom().chairs == 3;
    const int in = three ? 200 : 90;
    switch (GetSeat()) {
    case 0:
        m_rank->MoveTo(a.left + a.width / 2, a.top + a.height - in);
        break;
    case 1:
        m_rank->MoveTo(a.left + in, a.top + a.height / 2);
        break;
    case 2:
        if (three)
            m_rank->MoveTo(a.left + a.width - in, a.top + a.height / 2);
        else
            m_rank->MoveTo(a.left + a.width / 2, a.top + in);
        break;
    case 3:
        if (!three)
            m_rank->MoveTo(a.left + a.width - in, a.top + a.height / 2);
        break;
    default:
        break;
    }
    m_rank->Show();
    m_rank->Invalidate();
}

void FriendPlayerBoard::HideFinishRank()
{
    if (m_rank) {
        m_rank->Hide();
        m_rank->Invalidate();
    }
}

// ---- character figure -----------------------------------------------------------------

void FriendPlayerBoard::RefreshCharacterFigure()
{
    if (!m_gameFigure || GetChair() < 0)
        return;
    const int figure = GetBoardPlayer(GetChair()).figure;
    if (figure == 0 || figure == 1)
        return;
    m_gameFigure->Clear();
    engine::PictureDesc desc;
    LookupPicture(&desc, GetCharacterImageName(figure, 3), 0);
    m_gameFigure->BlitPicture(desc, 0, 0, -1, -1, 0.0, 1.0);
    m_gameFigure->SetPen(kFigurePen, 1.0);
    m_gameFigure->Show();
    m_gameFigure->Invalidate();
}

void FriendPlayerBoard::HideCharacterFigure()
{
    if (m_gameFigure) {
        m_gameFigure->Hide();
        m_gameFigure->Invalidate();
    }
}

bool FriendPlayerBoard::IsCharacterFigureShown() const
{
    return m_gameFigure && m_gameFigure->IsShown();
}

} // namespace game
