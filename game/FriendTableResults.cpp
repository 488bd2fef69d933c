// The game table's round header, result lines, result box and bonus frames.

#include "engine/controls/widgets/EventSequencer.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/WireReader.h"
#include "platform/WindowAttention.h"
#include "cards/CardGameApp.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendPlayerBoard.h"
#include "game/FriendTableText.h"
#include "game/FriendTableView.h"
#include "table/FriendRecords.h"

#include <algorithm>
#include <map>
#include <vector>

namespace game {

namespace {

using TS = table::FriendTableState;

// Fields of the result record (byte offsets; c = chair).
constexpr size_t kScoreChange = 160;  // + 4c
constexpr size_t kSilverChange = 192; // + 4c
constexpr size_t kNextBaseSilver = 416;
constexpr size_t kMobileBits = 424;
constexpr size_t kResultKind = 432;
constexpr size_t kPlaces = 436;       // + 4c
constexpr size_t kCardsLeft = 452;    // + 108c, 27 ids
constexpr size_t kBonusCount = 900;   // + 4c
constexpr size_t kClearSeconds = 932;
constexpr size_t kNextBaseScore = 936;
constexpr size_t kResultFriend = 1372;
constexpr size_t kNoResult = 1392;

constexpr uint32_t kColourKey = 0xff00ff;
constexpr uint32_t kOwnSideColour = 0x1CFFB;
constexpr uint32_t kOtherSideColour = 0xD9ECE0;
constexpr int kHandIds = table::kFriendHandSize;
constexpr int kCornerFrames = 54;

int Word(const FriendGameData& data, size_t offset)
{
    const auto bytes = data.ResultRecord();
    return frame::WireReader(bytes.data(), bytes.size()).Int(offset);
}

// The knockout round of a match program (the match table's word at 224).
int KnockoutRound(const CardGameApp& app)
{
    const auto& bytes = app.GetMatchRoomInfo().Bytes();
    return frame::WireReader(bytes.data(), bytes.size()).Int(224);
}

int ChairWord(const FriendGameData& data, size_t offset, int chair)
{
    return Word(data, offset + 4 * static_cast<size_t>(chair));
}

} // namespace

// ---- round header ---------------------------------------------------------------------

void FriendTableView::ShowRoundHeader()
{
    StopReadyCountdown();
    if (IsLookerOn()) {
        SetShown(GetResultPanel(), false);
        for (engine::CanvasObject* frame : m_bonusFrames)
            SetShown(frame, false);
    }
    for (int position = 0; position < kGameSeats; ++position)
        if (FriendPlayerBoard* board = GetGameBoard(position))
            board->HideCharacterFigure();
    const CardGameApp* app = GetApp();
    const int knockout = app ? KnockoutRound(*app) : 0;
    if (app && !app->IsReplayMode() && app->IsMatchMode() && knockout > 0)
        AddChatLine(KnockoutHeaderLine(knockout));
    else if (app && !app->IsReplayMode())
        AddChatLine(RoundHeaderLine(TableWord(FriendGameData::kRoundNumber), IsSilverRoom(),
            TableWord(FriendGameData::kBaseSilver), TableWord(FriendGameData::kBaseScore)));
    ResetRoundState();
    if (app && app->IsMatchMode())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
    HideWaitSolo();
    StackDealPile();
    BeginDeal();
    RefreshAdvertRanking();
}

void FriendTableView::StackDealPile()
{
    for (int i = 0; i < kGameCards; ++i)
        if (FriendCardSprite* card = GetGameCard(i)) {
            card->state = kCardInPile;
            card->order = i;
            card->count = kGameCards;
            card->Update();
        }
}

void FriendTableView::ResetRoundState()
{
    CardTableView::ResetRoundState();
    CancelDeal();
    ClearPlayRecords();
    // The start record leaves the last round's friend in the state; left
    // there it would keep this round's friend from being revealed.
    SetTableWord(TS::kFriendRevealedOffset, -1);
    // Each chair's seat record starts the round with its words at 12 and 56
    // (the bonus count) at 0, so the round's first bonus counts as a rise.
    for (int chair = 0; chair < kGameSeats; ++chair) {
        const size_t seat = TS::kChairRecordsOffset + static_cast<size_t>(chair) * 4 * table::kChairRecordSize;
        SetTableWord(seat + 12, 0);
        SetTableWord(seat + 56, 0);
    }
    ClearFriendMarks();
    ClearGroups();
    HideFlipCard();
    for (int position = 0; position < kGameSeats; ++position)
        if (FriendPlayerBoard* board = GetGameBoard(position)) {
            board->SetTeamMark(0);
            board->HideFinishRank();
        }
}

// ---- result lines ------------------------------------------------------------------------

void FriendTableView::ShowRoundResultLines()
{
    CancelAction(m_bonusFrameAction);
    m_bonusFrameAction = 0;
    FinishDeal(false);
    const FriendGameData* data = GetGameData();
    if (!data)
        return;
    // Tables that start on their own give the seated players 30 seconds.
    if (const CardGameApp* app = GetApp(); app && app->IsRoomOptionB40() && app->IsRoomOptionB80() && !IsLookerOn())
        StartReadyCountdown(30);
    if (Word(*data, kNoResult) == 1) {
        CloseResultPanel();
        return;
    }
    const int banker = Banker();
    if (TableWord(TS::kFriendRevealedOffset) == -1) {
        const int friendChair = Word(*data, kResultFriend);
        if (friendChair >= 0 && friendChair < kGameSeats) {
            SetTableWord(TS::kFriendRevealedOffset, friendChair);
            SetTeamMark(friendChair);
            AddChatLine(FriendLine(ChairName(banker), ChairName(friendChair), true));
        }
    }
    if (!IsLookerOn())
        platform::FlashMainWindowCaption();
    StopTurnClock();
    SetShown(m_bigClock, false);
    HidePlayButtons();
    ShowPlayButtons(0);
    AddChatLine("\r\n");
    AddChatLine(" <c=0><size=14>======本局结束======\r\n");
    const bool silver = IsSilverRoom();
    const auto result = data->ResultRecord();
    const frame::WireReader reader(result.data(), result.size());
    for (int chair = 0; chair < kGameSeats; ++chair) {
        std::vector<int> ids;
        for (int i = 0; i < kHandIds; ++i)
            if (const int id = reader.Int(kCardsLeft + 108 * static_cast<size_t>(chair) + 4 * static_cast<size_t>(i));
                id >= 0 && id < kGameCards)
                ids.push_back(id);
        ShowChairCards(chair, ids);
        if (FriendPlayerBoard* board = GetGameChairBoard(chair)) {
            board->HideAutoPlay();
            if (silver)
                board->PlaceSilver();
        }
        AddChatLine(ResultLine(ChairName(chair), chair == MyChair(), ChairWord(*data, kScoreChange, chair), silver,
            ChairWord(*data, kSilverChange, chair)));
    }
    AddChatLine("\r\n");
    ShowBonusFramesAtEnd();
    ShowResultBox();
    PlayResultSound();
    if (m_resultCanvas) {
        const Area a = ViewArea();
        m_resultCanvas->MoveTo(a.left + a.width / 2, a.top + a.height / 2);
        ShowResultPanel();
    }
    // A match program clears the table itself after the seconds the result
    // gives (at most an hour, whatever the record holds).
    RefreshAdvertRanking();
    // The match panels wait until the table is cleared: a round result
    // or the match end shown now would cover this round's result.
    const CardGameApp* app = GetApp();
    if (app && app->IsMatchMode() && !app->IsReplayMode() && !IsLookerOn()) {
        if (engine::EventSequencer* queue = GetViewEventQueue())
            queue->Stop();
        const int seconds = std::clamp(Word(*data, kClearSeconds), 0, 3600);
        const engine::EngineEvent clear(GetId(), EVT_ROUND_CLEARED, 0, 0);
        Delay(static_cast<uint32_t>(seconds) * 1000, &clear);
    }
}

void FriendTableView::ShowChairCards(int chair, const std::vector<int>& ids)
{
    // The chair's remaining hand face up, in the order the result gives;
    // the sprites it held keep their places, the rest go hidden.
    size_t next = 0;
    for (FriendCardSprite* card : m_gameCards) {
        if (!card || card->ownerChair != chair || card->state != kCardInHand)
            continue;
        if (next < ids.size()) {
            card->cardId = ids[next++];
            card->faceUp = 1;
        } else {
            card->state = kCardHidden;
        }
        card->Update();
    }
    LayoutDealtCards(chair);
}

void FriendTableView::PlayResultSound()
{
    const FriendGameData* data = GetGameData();
    if (!data)
        return;
    if (Word(*data, kResultKind) == 3) {
        // A draw sounds its own tune, then the win's, one after the other.
        BeginActionGroup();
        PlaySoundLater("Snd_GameResultPeace", 1, nullptr);
        Delay(kGameSeats * GetMinActionInterval(), nullptr);
        NextActionGroup();
        PlaySoundLater("Snd_GameWin", 1, nullptr);
        EndActionGroup();
        return;
    }
    const int own = MyChair();
    const bool lost = own >= 0 && own < kGameSeats && ChairWord(*data, kScoreChange, own) < 0;
    PlayTableSound(lost ? "Snd_GameLose" : "Snd_GameWin");
}

// ---- result box ----------------------------------------------------------------------------

void FriendTableView::CreateResultPanel()
{
    if (m_resultCanvas)
        return;
    engine::PictureDesc background;
    LookupPicture(&background, IsSilverRoom() ? "结算框_有银子" : "结算框", 0);
    m_resultCanvas = CreateCanvas(std::max(1, background.width), std::max(1, background.height), kColourKey);
    if (!m_resultCanvas)
        return;
    m_resultCanvas->Hide();
    m_resultCanvas->SetZ(kResultPanelDepth);
    m_resultCanvas->SetDraggable(true);
    m_resultCanvas->SubscribeEvent(engine::EVT_DRAG, GetId(), EVT_DRAG_RESULT_PANEL, 0, 0);
    SetResultPanel(m_resultCanvas);
    auto button = [&](const char* picture, int code) {
        engine::ImageButton* made = CreateImageButton(picture, code, "", true);
        if (made) {
            made->SetZ(kResultPanelDepth + 1);
            m_resultCanvas->AddChild(made, engine::LINK_STANDARD & ~engine::kLinkOwned);
        }
        return made;
    };
    const CardGameApp* app = GetApp();
    m_resultClose = button("结果框关闭按钮", EVT_CLOSE_RESULT);
    m_resultOk = button("结果框确定", EVT_CLOSE_RESULT);
    m_resultContinue = button("结果框继续游戏", app && app->IsMatchMode() ? EVT_CLOSE_RESULT : EVT_CONTINUE_GAME);
    for (engine::CanvasObject*& spot : m_figureSpots) {
        spot = CreateCanvas(32, 32, kColourKey);
        if (spot) {
            spot->SetZ(kResultPanelDepth + 1);
            m_resultCanvas->AddChild(spot, engine::LINK_STANDARD & ~engine::kLinkOwned);
        }
    }
}

void FriendTableView::PlaceResultButtons(bool withContinue)
{
    if (!m_resultCanvas)
        return;
    const int cx = static_cast<int>(m_resultCanvas->GetX());
    const int top = static_cast<int>(m_resultCanvas->GetY() - m_resultCanvas->GetHeight() / 2);
    const int bottom = top + static_cast<int>(m_resultCanvas->GetHeight());
    const int right = cx + static_cast<int>(m_resultCanvas->GetWidth() / 2);
    if (m_resultClose)
        m_resultClose->MoveTo(right - m_resultClose->GetWidth() / 2 - 6, top + m_resultClose->GetHeight() / 2 + 6);
    if (m_resultOk) {
        const double okWidth = m_resultOk->GetWidth();
        const double y = bottom - m_resultOk->GetHeight() - 2;
        m_resultOk->MoveTo(withContinue ? cx - okWidth + 18 : cx, y);
        if (m_resultContinue)
            m_resultContinue->MoveTo(cx + m_resultContinue->GetWidth() / 2 + 18 - okWidth / 2 + 8, y);
    }
    m_continueShown = withContinue;
    SetShown(m_resultContinue, withContinue);
}

void FriendTableView::ShowResultPanel()
{
    // Showing the panel shows its children; the continue button keeps the
    // visibility the buttons' placement gave it.
    SetShown(m_resultCanvas, true);
    SetShown(m_resultContinue, m_continueShown);
}

void FriendTableView::ShowResultBox()
{
    CreateResultPanel();
    const FriendGameData* data = GetGameData();
    if (!m_resultCanvas || !data)
        return;
    const Area a = ViewArea();
    m_resultCanvas->MoveTo(a.left + a.width / 2, a.top + a.height / 2);
    PlaceResultButtons(false);
    m_resultCanvas->Clear();
    const bool silver = IsSilverRoom();
    engine::PictureDesc background;
    LookupPicture(&background, silver ? "结算框_有银子" : "结算框", 0);
    m_resultCanvas->BlitPicture(background, 0, 0, background.width, background.height, 0, 1.0);
    const int banker = Banker();
    int friendChair = TableWord(TS::kFriendRevealedOffset);
    if (friendChair < 0 || friendChair >= kGameSeats)
        friendChair = Word(*data, kResultFriend);
    const auto rows = ResultRowOrder(IsLookerOn() ? -1 : MyChair(), banker, friendChair);
    for (int row = 0; row < kGameSeats; ++row)
        DrawResultRow(row, rows[static_cast<size_t>(row)], friendChair);
    auto blit = [&](std::string_view name, int frame, int x, int y) {
        engine::PictureDesc picture;
        LookupPicture(&picture, name, frame);
        m_resultCanvas->BlitPicture(picture, x, y, picture.width, picture.height, 0, 1.0);
    };
    blit(silver ? "下局基础银" : "下局基础分", 0, 20, 245);
    DrawDigits("digit_Pen2", 115, 246, std::to_string(Word(*data, silver ? kNextBaseSilver : kNextBaseScore)));
    const int width = static_cast<int>(m_resultCanvas->GetWidth());
    switch (Word(*data, kResultKind)) {
    case 1: blit("关两家", 0, width - 100, 237); break;
    case 2: blit("关一家", 0, width - 100, 237); break;
    case 3: blit("平手", 0, width - 100, 237); break;
    default: break;
    }
    m_resultCanvas->Invalidate();
}

void FriendTableView::DrawResultRow(int row, int chair, int friendChair)
{
    const FriendGameData* data = GetGameData();
    if (!data || !m_resultCanvas || chair < 0 || chair >= kGameSeats)
        return;
    const bool silver = IsSilverRoom();
    const int y = 87 + 40 * row;
    const int x0 = silver ? 75 : 82;
    const int width = static_cast<int>(m_resultCanvas->GetWidth());
    auto blit = [&](std::string_view name, int frame, int x, int top, int w, int h) {
        engine::PictureDesc picture;
        LookupPicture(&picture, name, frame);
        m_resultCanvas->BlitPicture(picture, x, top, w ? w : picture.width, h ? h : picture.height, 0, 1.0);
    };
    const int place = ChairWord(*data, kPlaces, chair);
    if (Word(*data, kNoResult) == 0 && place >= 1 && place <= kGameSeats)
        blit("结果框名次", place - 1, 16, y - 2, 0, 0);
    if (engine::CanvasObject* spot = m_figureSpots[static_cast<size_t>(row)]) {
        const double left = m_resultCanvas->GetX() - m_resultCanvas->GetWidth() / 2;
        const double top = m_resultCanvas->GetY() - m_resultCanvas->GetHeight() / 2;
        spot->MoveTo(left + 47 + (silver ? 0 : 8), top + 94 + 40 * row);
        DrawFigureSpot(*spot, chair);
        SetShown(spot, true);
    }
    const bool own = chair == MyChair() && !IsLookerOn();
    const bool ownSide = IsSameSide(chair, MyChair(), Banker(), friendChair);
    m_resultCanvas->SetFont(14, own ? 700 : 400, "宋体");
    m_resultCanvas->SetPen(own || ownSide ? kOwnSideColour : kOtherSideColour, 1.0);
    m_resultCanvas->DrawText(x0, y, ChairName(chair));
    if (const int bonus = ChairWord(*data, kBonusCount, chair); bonus >= 1) {
        if (FriendPlayerBoard* board = GetGameChairBoard(chair))
            board->SetBombCount(bonus);
        blit("炸弹图标", 0, silver ? 230 : 250, y - 7, 50, 30);
        DrawDigits("digit_Pen", silver ? 280 : 300, y, std::to_string(bonus));
    }
    if (silver) {
        const std::string text = SignedDigits(ChairWord(*data, kSilverChange, chair));
        DrawDigits("digit_Pen", 349 - 4 * static_cast<int>(text.size()), y, text);
    }
    const std::string score = SignedDigits(ChairWord(*data, kScoreChange, chair));
    DrawDigits("digit_Pen", width - 4 * static_cast<int>(score.size()) - (silver ? 71 : 86), y, score);
    if (Word(*data, kMobileBits) & (1 << chair))
        blit("手机奖励", 0, width - 25 - (silver ? 0 : 15), y - 8, 0, 0);
}

void FriendTableView::DrawFigureSpot(engine::CanvasObject& spot, int chair)
{
    // The chair's portrait; entering it shows the large figure beside the
    // box (the card layer's character canvas), leaving hides it.
    const CardGameApp* app = GetApp();
    const frame::PlayerRecord* player = app ? app->GetSeatPlayer(chair) : nullptr;
    const int figure = player ? player->Figure() : 0;
    spot.Clear();
    const std::string name = CharacterPicture(*this, figure, 1);
    if (!name.empty()) {
        engine::PictureDesc portrait;
        LookupPicture(&portrait, name, 0);
        spot.BlitPicture(portrait, 0, 0, 32, 32, 0, 1.0);
    }
    spot.Unsubscribe(engine::EVT_MOUSE_ENTER);
    spot.Unsubscribe(engine::EVT_MOUSE_LEAVE);
    spot.SubscribeEvent(engine::EVT_MOUSE_ENTER, GetId(), EVT_SHOW_CHARACTER, static_cast<engine::MessageWord>(figure), 0);
    spot.SubscribeEvent(engine::EVT_MOUSE_LEAVE, GetId(), EVT_HIDE_CHARACTER, 0, 0);
}

void FriendTableView::DrawDigits(std::string_view sheet, int x, int y, const std::string& text)
{
    // Digits 0-9 are the sheet's first frames, "+" and "-" the next two.
    for (const char c : text) {
        const int frame = c == '+' ? 10 : c == '-' ? 11 : c - '0';
        if (frame < 0 || frame > 11)
            continue;
        engine::PictureDesc digit;
        LookupPicture(&digit, sheet, frame);
        m_resultCanvas->BlitPicture(digit, x, y, digit.width, digit.height, 0, 1.0);
        x += digit.width;
    }
}

void FriendTableView::OnCheckResultClicked()
{
    CreateResultPanel();
    if (!m_resultCanvas)
        return;
    if (m_resultCanvas->IsShown()) {
        SetShown(m_resultCanvas, false);
        return;
    }
    const CardGameApp* app = GetApp();
    PlaceResultButtons(app && !app->IsInGame() && !IsLookerOn());
    ShowResultPanel();
}

void FriendTableView::CloseResultPanel()
{
    SetShown(GetResultPanel(), false);
    for (engine::CanvasObject* frame : m_bonusFrames)
        SetShown(frame, false);
    const CardGameApp* app = GetApp();
    if (app && app->IsInGame())
        return;
    // The table is cleared first: its reset stops the turn clock, which may
    // be the clock the ready countdown shows at the start button.
    ResetCards();
    // The start button keeps the countdown the round's end started: closing
    // the box gives no one more time.
    if (!IsLookerOn() && !(app && app->IsMatchMode())) {
        m_readyCountdown.SetStartOnClose(true);
        ShowStartButton();
        m_readyCountdown.SetStartOnClose(false);
    }
    ShowReadyMarks();
}

// ---- bonus frames --------------------------------------------------------------------------

void FriendTableView::CreateBonusFrames()
{
    for (engine::CanvasObject*& frame : m_bonusFrames)
        if (!frame) {
            frame = CreateCanvas(kBonusFrameWidth, kBonusFrameHeight, kColourKey);
            if (frame)
                frame->Hide();
        }
}

CardPoint FriendTableView::BonusFramePosition(int position) const
{
    const Area a = ViewArea();
    auto* self = const_cast<FriendTableView*>(this);
    const int g = self->GetIntProperty(kPropSmallBoardHeight);
    const int L = a.left;
    const int T = a.top;
    const int W = a.width;
    const int H = a.height;
    switch (position) {
    case 0: return { L + W / 10 + W / 19, T + H - H / 8 - g };
    case 1: return { L + W / 12 + W / 20, T + H / 8 + H / 10 };
    case 2: return { L + 8 * W / 10 - W / 10, T + H / 8 + g };
    default: return { L + W - W / 13 - g, T + H - 5 * H / 16 };
    }
}

void FriendTableView::DrawBonusFrame(int chair)
{
    engine::CanvasObject* frame = GetBonusFrame(chair);
    const FriendGameData* data = GetGameData();
    if (!frame || !data)
        return;
    frame->Clear();
    engine::PictureDesc back;
    LookupPicture(&back, "炸弹框", 0);
    frame->BlitPicture(back, 0, 0, back.width, back.height, 0, 1.0);
    const TS state = data->GetTableState();
    const int* list = state.lists[chair];
    auto corner = [&](int id, int x, int y) {
        engine::PictureDesc picture;
        LookupPicture(&picture, "牌角(1)", ((id % kCornerFrames) + kCornerFrames) % kCornerFrames);
        frame->BlitPicture(picture, x, y, picture.width, picture.height, 0, 1.0);
    };
    // Bomb cards from the front of the list: consecutive cards of one value
    // share a row, a new value starts a row 20 pixels lower.
    int y = 20;
    int k = 0;
    int lastValue = -1;
    const int bombs = std::clamp(state.bombListed[chair], 0, table::kChairListSize);
    for (int i = 0; i < bombs; ++i) {
        const int id = list[i];
        if (id < 0 || id >= kGameCards)
            continue;
        const int value = table::CardValue(id);
        if (lastValue != -1 && value != lastValue) {
            y += 20;
            k = 0;
        }
        lastValue = value;
        ++k;
        corner(id, 14 * k + 5, y);
    }
    // Jokers from the back of the list in one more row.
    const int jokers = std::clamp(state.jokerListed[chair], 0, table::kChairListSize - bombs);
    if (jokers > 0) {
        y += lastValue == -1 ? 0 : 20;
        for (int i = 0; i < jokers; ++i) {
            const int id = list[table::kChairListSize - 1 - i];
            if (id >= 0 && id < kGameCards)
                corner(id, 14 * (i + 1) + 5, y);
        }
    }
    const CardPoint at = BonusFramePosition(ChairToView(chair));
    frame->MoveTo(at.x, at.y);
    SetShown(frame, true);
}

void FriendTableView::ShowAllBonusFrames()
{
    CreateBonusFrames();
    for (int chair = 0; chair < kGameSeats; ++chair)
        DrawBonusFrame(chair);
}

void FriendTableView::ShowBonusFramesAtEnd()
{
    // The bombs (values held four times or more) and the jokers still in
    // the hands count with those played.
    for (int chair = 0; chair < kGameSeats; ++chair)
        RecordBonusCards(chair);
    ShowAllBonusFrames();
}

void FriendTableView::ShowBonusFrames()
{
    engine::ImageButton* button = m_gameButtons[kBonusViewButton];
    if (button && !button->IsInputEnabled())
        return;
    ShowAllBonusFrames();
    if (button) {
        button->SetInputEnabled(false);
        button->Invalidate();
    }
    const engine::EngineEvent hide(GetId(), EVT_HIDE_BONUS_FRAMES, 0, 0);
    m_bonusFrameAction = Delay(kBonusFramesMs, &hide);
}

void FriendTableView::HideBonusFrames()
{
    m_bonusFrameAction = 0;
    for (engine::CanvasObject* frame : m_bonusFrames)
        if (frame) {
            frame->Clear();
            SetShown(frame, false);
        }
    if (engine::ImageButton* button = m_gameButtons[kBonusViewButton]) {
        button->SetInputEnabled(true);
        button->Invalidate();
    }
}

} // namespace game
