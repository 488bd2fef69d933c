// The table view through a round: seating and boards, start, the round's
// header and reset, turns with their clock, the round's end; and the table
// messages between the players: automatic play (switched only by the
// server's relay, also for our own requests), the notices of players who
// drop out and come back, and lookers-on asking to see the cards.

#include "cards/CardTableView.h"

#include "engine/controls/widgets/EventSequencer.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "frame/core/FormatLine.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameState.h"
#include "frame/core/WireReader.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/PaneBarCalls.h"
#include "frame/ui/SubSystem.h"
#include "frame/ui/SystemInfoBox.h"
#include "cards/CardGameApp.h"
#include "cards/CardGameConnection.h"
#include "cards/CardNotifyHandler.h"
#include "cards/CardPlayerBoard.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "platform/WindowAttention.h"
#include "platform/WindowMessages.h"

#include <algorithm>

namespace game {

namespace {

constexpr uint32_t kAutoPassDelayMs = 1000;
constexpr uint32_t kAskViewPauseMs = 15000;
constexpr int kPlayPhase = 0x100;
// A chair's status word: dropped out of the game.
constexpr int kChairOffline = 0x08 | 0x20;
// The match kind whose rounds are counted in the information box.
constexpr const char* kKnockoutKind = "定局淘汰";
constexpr int kMatchInfoLineGap = 20;
// The frame's notifications that begin, carry and end a replay.
constexpr uint32_t kNotifyGameStart = 211040;
constexpr uint32_t kNotifyTableSnapshot = 211028;
constexpr uint32_t kNotifyGameEnd = 211080;
constexpr uint32_t kNotifyMatchRoundStart = 211150;
constexpr uint32_t kNotifyMatchRoundInfo = 211160;


} // namespace

void CardTableView::AddChatLine(const std::string& text) const
{
    if (const CardGameApp* app = GetApp())
        app->AddSystemChatLine(text);
}

void CardTableView::ForEachBoard(void (CardPlayerBoard::*call)())
{
    for (int position = 0; position < m_boardCount; ++position)
        if (CardPlayerBoard* board = GetPlayerBoard(position))
            (board->*call)();
}

// ---- seating and boards -----------------------------------------------------------------

void CardTableView::OnTableArranged()
{
    if (GameState* state = GetGameState())
        state->ResetTable();
    ResetCards();
    OnRandomSeat();
}

void CardTableView::OnTableReset()
{
    OnTableArranged();
}

void CardTableView::OnRandomSeat()
{
    const CardGameApp* app = GetApp();
    const int players = app ? std::min(app->GetTablePlayerCount(), ChairCount()) : 0;
    for (int chair = 0; chair < players; ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair)) {
            board->ClearPlayer();
            board->UpdatePlayer(chair);
        }
    PlayTableSound("snd_ArrageTable");
}

void CardTableView::OnTableChanged()
{
    const CardGameApp* app = GetApp();
    for (int chair = 0; chair < ChairCount(); ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair)) {
            board->ClearPlayer();
            if (app && app->IsChairOccupied(chair))
                board->UpdatePlayer(chair);
        }
    PlayTableSound("snd_ArrageTable");
}

void CardTableView::RefreshMyBoard()
{
    BindOwnBoard(OwnChair());
}

void CardTableView::RedrawMyBoard()
{
    if (CardPlayerBoard* board = GetPlayerBoard(0))
        board->Redraw();
}

void CardTableView::BindOccupiedBoards()
{
    const CardGameApp* app = GetApp();
    for (int chair = 0; chair < ChairCount(); ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair); board && app && app->IsChairOccupied(chair))
            board->UpdatePlayer(chair);
}

void CardTableView::RefreshBoards()
{
    BindOccupiedBoards();
    const GameState* state = GetGameState();
    for (int chair = 0; chair < ChairCount(); ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair); board && state && state->IsChairReady(chair))
            board->ShowReady();
    const CardGameApp* app = GetApp();
    if (!app || app->IsLookOn())
        return;
    if (app->IsRoomOptionB02() && !(state && state->IsPlaying()))
        ShowWaitSolo();
    else
        ShowStartButton();
}

void CardTableView::RefreshSeatedBoards()
{
    BindOccupiedBoards();
    OnRoundStart();
}

void CardTableView::OnPlayerEnter(engine::MessageWord record)
{
    if (const auto* player = engine::FromWord<const frame::PlayerRecord>(record))
        if (CardPlayerBoard* board = GetChairBoard(player->Chair()))
            board->UpdatePlayer(player->Chair());
}

void CardTableView::OnPlayerLeave(engine::MessageWord record)
{
    if (const auto* player = engine::FromWord<const frame::PlayerRecord>(record))
        if (CardPlayerBoard* board = GetChairBoard(player->Chair()))
            board->ClearPlayer();
}

void CardTableView::OnPlayerStarted(int chair)
{
    const CardGameApp* app = GetApp();
    if (!app || app->IsMatchMode() || !IsTableChair(chair))
        return;
    if (chair != OwnChair())
        AddChatLine(frame::FormatLine("<c=%d> %s 已经开始\r\n", 0x808080, app->GetChairDisplayName(chair).c_str()));
    if (CardPlayerBoard* board = GetChairBoard(chair))
        board->ShowReady();
}

// 211430 as received: +4 the chair whose portrait changed.
void CardTableView::OnPlayerNotice(const uint8_t* data, size_t size)
{
    const frame::WireReader reader(data, size);
    const int chair = reader.Int(4);
    CardPlayerBoard* board = reader.Has(8) && IsTableChair(chair) ? GetChairBoard(chair) : nullptr;
    if (!board)
        return;
    const GameState* state = GetGameState();
    const bool playing = state && state->IsPlaying();
    board->Refresh(true, !playing);
    PlayTableSound("Snd_msg");
    if (!playing) {
        PlaceStartButton();
        PlaceWaitSolo();
    }
}

// ---- start and waiting ------------------------------------------------------------------------

void CardTableView::OnWaitSolo()
{
    ForEachBoard(&CardPlayerBoard::HideReady);
    ShowWaitSolo();
}

void CardTableView::ShowWaitSolo()
{
    const GameState* state = GetGameState();
    if (state && state->IsPlaying())
        return;
    engine::SpriteObject* wait = MakeWaitSolo();
    if (!wait)
        return;
    wait->SetZ(52000.0);
    PlaceWaitSolo();
    PlayFrames(wait, 0, -1, 0, 0, nullptr);
    wait->Show();
    wait->Invalidate();
}

void CardTableView::HideWaitSolo()
{
    if (!m_waitSolo)
        return;
    CancelActionsOf(m_waitSolo->GetId());
    m_waitSolo->Hide();
    m_waitSolo->Invalidate();
}

void CardTableView::ShowStartButton()
{
    PlaceStartButton();
    SetButtonShown(kStartButton, true);
    StartIdleKickTimer();
}

void CardTableView::OnStartClicked()
{
    SetButtonShown(kStartButton, false);
    m_autoPlay.RestartPace();
    const GameState* state = GetGameState();
    if (state && state->IsPlaying())
        return;
    ResetCards();
    for (int chair = 0; chair < ChairCount(); ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair); board && state && state->IsChairReady(chair))
            board->ShowReady();
    CardGameApp* app = GetApp();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    if (!connection)
        return;
    std::string text;
    if (app->IsRoomOptionB40() && app->IsRoomOptionB80()) {
        if (!connection->RequestStartChecked(text))
            ShowStartButton();
        return;
    }
    if (!connection->RequestStart(text))
        OnStartRefused(text);
}

void CardTableView::OnStartRefused(const std::string& text)
{
    const CardGameApp* app = GetApp();
    if (!app || app->IsStandAlone())
        return;
    platform::MessageBox(nullptr, text, app->GetGameName(), platform::kMbOk | platform::kMbIconInformation);
    platform::PostMessage(app->GetMainWindowHandle(), platform::kWmClose, 0, 0);
}

void CardTableView::ContinueGame()
{
    const GameState* state = GetGameState();
    const CardGameApp* app = GetApp();
    if ((state && state->IsPlaying()) || IsLookerOn())
        return;
    frame::GameFrame::HideFromScreen(m_resultPanel);
    if (app && app->IsReplayMode())
        return;
    ResetCards();
    OnStartClicked();
}

void CardTableView::CloseResultPanel()
{
    frame::GameFrame::HideFromScreen(m_resultPanel);
    const GameState* state = GetGameState();
    const CardGameApp* app = GetApp();
    if (!(state && state->IsPlaying()) && !(app && app->IsMatchMode()) && !IsLookerOn())
        ShowStartButton();
}

void CardTableView::OnCheckResultClicked()
{
    if (!m_resultPanel)
        return;
    if (m_resultPanel->IsShown())
        m_resultPanel->Hide();
    else
        m_resultPanel->Show();
    m_resultPanel->Invalidate();
}

void CardTableView::RequestChangeTable()
{
    CardGameApp* app = GetApp();
    if (!app || !app->IsRoomOptionB40() || !app->IsRoomOptionB80() || app->IsRoomOptionB02())
        return;
    GameConnection* connection = app->GetConnection();
    std::string text;
    if (!connection || !connection->ChangeTable(text))
        return;
    if (CardPlayerBoard* board = GetPlayerBoard(0))
        board->HideReady();
    ShowStartButton();
}

// The match ranking on the boards: our own entry alone while the ranking
// marks no promotions, else each table player's entry on that player's
// board.
void CardTableView::ShowMatchRanks()
{
    const CardGameApp* app = GetApp();
    if (!app)
        return;
    const frame::MatchRanking& ranking = app->GetMatchRanking();
    auto show = [&](CardPlayerBoard* board, const frame::MatchRankingEntry& entry) {
        if (board)
            board->RefreshText(entry.MatchScore(), ranking.PlayersLeft());
    };
    if (ranking.PromotionMarking() == 0) {
        show(GetPlayerBoard(0), ranking.Entry(0));
        return;
    }
    const size_t players = static_cast<size_t>(std::max(0, app->GetTablePlayerCount()));
    for (size_t i = 0; i < std::min(players, ranking.Count()); ++i) {
        const frame::MatchRankingEntry entry = ranking.Entry(i);
        const int position = ChairToView(app->GetUserChair(entry.UserId()));
        if (position < 0)
            break;
        show(GetPlayerBoard(position), entry);
    }
}

// ---- the round --------------------------------------------------------------------------------

void CardTableView::ShowRoundHeader()
{
    ForEachBoard(&CardPlayerBoard::HideCharacterFigure);
    const CardGameApp* app = GetApp();
    const GameState* state = GetGameState();
    if (app && state && !app->IsReplayMode()) {
        const int round = state->GetTableWord32();
        std::string block = frame::FormatLine("\r\n<c=%d><size=16><第%d桌,第%d局>\r\n", 0xff0000, app->GetTableNo(), round);
        if (app->IsSilverRoom())
            block += frame::FormatLine("\r\n<size=12>【第%d局】基础银：<c=255>%d<>两\r\n", round, state->GetTableWord36());
        else
            block += frame::FormatLine("\r\n<size=12>【第%d局】基础分：<c=255>%d<>分\r\n", round, state->GetTableWord40());
        AddChatLine(block);
    }
    ResetRoundState();
    ShowInfoBox();
    HideWaitSolo();
    BeginDeal();
    RefreshAdvertRanking();
}

void CardTableView::ShowInfoBox()
{
    const CardGameApp* app = GetApp();
    if (app && app->IsMatchMode())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
}

void CardTableView::RefreshAdvertRanking()
{
    const CardGameApp* app = GetApp();
    if (!app || app->GetAdvertText().empty())
        return;
    if (auto* bar = dynamic_cast<frame::PaneBarCalls*>(FindObjectByName(frame::kAdvertBarName)))
        bar->ClickPageElement("刷新排名");
}

void CardTableView::ResetRoundState()
{
    m_boardCount = std::min(ChairCount(), kMaxBoards);
    Hand().ResetRoundState();
    m_autoPlay.NewRound();
    m_lastPlayChair = -1;
    m_lastPlay = table::PlayRecord();
    for (int i = 0; i < m_cardCount; ++i) {
        CardSprite* card = m_cards[static_cast<size_t>(i)];
        card->Reset();
        card->order = i;
        card->Update();
    }
    ForEachBoard(&CardPlayerBoard::ResetRound);
    m_turnClock.ResetRound();
}

// A running round has no start button: it would lie over the throw button
// of a player who entered the round without pressing it.
void CardTableView::OnDealFinished()
{
    SetButtonShown(kStartButton, false);
    if (m_autoPlay.IsOn())
        if (CardPlayerBoard* board = GetPlayerBoard(0))
            board->SetAutoPlay(1);
    StartTurnClock();
    const GameState* state = GetGameState();
    const CardGameApp* app = GetApp();
    SetTurn(state ? state->GetTableWord56() : 0, app ? app->GetTurnSeconds() : 0);
    OnMyTurn();
    ShowPlayButtons(1);
    m_autoPlay.RestartPace();
}

void CardTableView::OnRoundStart()
{
    SetButtonShown(kStartButton, false);
    ForEachBoard(&CardPlayerBoard::HideCharacterFigure);
    if (!IsLookerOn())
        SendTableMessage(kTableMsgPresent, nullptr, 0);
    for (int chair = 0; chair < ChairCount(); ++chair)
        LayoutSeatCards(chair);
    StartTurnClock();
    const GameState* state = GetGameState();
    const CardGameApp* app = GetApp();
    SetTurn(state ? state->GetTableWord56() : 0, app ? app->GetTurnSeconds() : 0);
    ShowInfoBox();
    SortHand(kSortBySizeDown);
    ShowPlayButtons(1);
    OnMyTurn();
    if (!state)
        return;
    // Who dropped out before we came shows it; a looker-on has no chair of
    // its own to leave out.
    for (int chair = 0; chair < ChairCount(); ++chair) {
        CardPlayerBoard* board = GetChairBoard(chair);
        if (board && (IsLookerOn() || chair != OwnChair()) && (state->GetChairStatus(chair) & kChairOffline))
            board->SetOffline(1);
    }
}

void CardTableView::ResetCards()
{
    for (int i = 0; i < m_cardCount; ++i) {
        CardSprite* card = m_cards[static_cast<size_t>(i)];
        card->state = 7;
        card->Update();
    }
    ForEachBoard(&CardPlayerBoard::HideAnimation);
    ForEachBoard(&CardPlayerBoard::ResetRound);
    frame::GameFrame::HideFromScreen(m_resultPanel);
    frame::GameFrame::HideFromScreen(m_infoBox);
    HidePlayButtons();
    ShowPlayButtons(0);
    if (frame::GameFrame* main = GetGameFrame()) {
        main->HideMatchPanels();
        main->HideMatchResult();
    }
}

void CardTableView::OnRoundCleared()
{
    GameState* state = GetGameState();
    if (state && state->IsPlaying())
        return;
    // The match panels waited for the table to clear.
    if (engine::EventSequencer* queue = GetViewEventQueue())
        queue->Next();
    if (state)
        state->ResetTable();
    ResetCards();
    CardGameApp* app = GetApp();
    if (!app)
        return;
    for (int chair = 1; chair < std::min(app->GetTablePlayerCount(), ChairCount()); ++chair)
        if (CardPlayerBoard* board = GetPlayerBoard(chair))
            board->ClearPlayer();
    if (GameConnection* connection = app->IsMatchMode() ? app->GetConnection() : nullptr)
        connection->Request201221();
}

engine::EventSequencer* CardTableView::GetViewEventQueue() const
{
    const frame::GameFrame* main = GetGameFrame();
    const frame::MatchPanels* panels = main ? main->GetMatchPanels() : nullptr;
    return panels ? panels->GetEventQueue() : nullptr;
}

// Pictures drawn into the information box at their own size.
void CardTableView::BlitInto(engine::CanvasObject& box, std::string_view name, int frame, int x, int y)
{
    engine::PictureDesc picture;
    LookupPicture(&picture, name, frame);
    if (picture.record)
        box.BlitPicture(picture, x, y, picture.width, picture.height, 0, 1.0);
}

// The base score in the score pen's digits, then its unit; answers where
// the next picture would start.
int CardTableView::BlitNumber(engine::CanvasObject& box, int value, int x, int y)
{
    for (const char digit : std::to_string(value)) {
        engine::PictureDesc picture;
        LookupPicture(&picture, "digit_Pen", digit == '-' ? 11 : digit - '0');
        if (picture.record)
            box.BlitPicture(picture, x, y, picture.width, picture.height, 0, 1.0);
        x += picture.width;
    }
    return x;
}

void CardTableView::ShowGameInfoBox()
{
    engine::PictureDesc frame;
    LookupPicture(&frame, "游戏信息框", 0);
    engine::CanvasObject* box = MakeInfoBox(frame.width, frame.height);
    const GameState* state = GetGameState();
    if (!box || !state)
        return;
    box->Clear();
    BlitInto(*box, "游戏信息框", 0, 0, 0);
    BlitInto(*box, "str_基础分", 0, 10, 10);
    const int end = BlitNumber(*box, state->GetTableWord40(), 80, 10);
    BlitInto(*box, "str_分", 0, end, 10);
    BlitInto(*box, "str_翻牌", 0, 10, 40);
    BlitInto(*box, "牌角", 0, 85, 40);
    PlaceInfoBox(ViewArea());
    RevealInfoBox(*box);
}

void CardTableView::RevealInfoBox(engine::CanvasObject& box)
{
    const CardGameApp* app = GetApp();
    const bool replay = app && app->IsReplayMode();
    box.SetOpacity(replay ? 1.0 : 0.0);
    box.Show();
    box.Invalidate();
    if (!replay)
        FadeOpacity(&box, 0.1, 1.0, 0, nullptr);
}

void CardTableView::ShowMatchInfoBox()
{
    engine::PictureDesc frame;
    LookupPicture(&frame, "比赛信息框", 0);
    engine::CanvasObject* box = MakeInfoBox(frame.width, frame.height);
    if (!box)
        return;
    box->Clear();
    BlitInto(*box, "比赛信息框", 0, 0, 0);
    DrawMatchInfo(*box, { 20, 40 }, { 20, 30 });
    PlaceInfoBox(ViewArea());
    RevealInfoBox(*box);
}

void CardTableView::DrawMatchInfo(engine::CanvasObject& box, CardPoint titled, CardPoint plain) const
{
    box.SetPen(0x81c593, 1.0);
    const CardGameApp* app = GetApp();
    const GameState* state = GetGameState();
    if (!app || !state || !app->FindMatchSeat(app->GetUserId()))
        return;
    const frame::MatchRoomInfo& match = app->GetMatchRoomInfo();
    const std::string kind = match.KindText();
    const bool knockout = kind == kKnockoutKind;
    if (knockout) {
        box.SetFont(20, 400, "宋体");
        box.DrawTextCentred(static_cast<int>(box.GetWidth()) / 2, 25, frame::FormatLine("本轮第%d局", state->GetTableWord32()));
    }
    box.SetFont(12, 400, "宋体");
    box.SetTextSpacing(0, 6);
    const CardPoint at = knockout ? titled : plain;
    const std::string lines[] = { frame::FormatLine("基础分  : %d分", state->GetTableWord40()), frame::FormatLine("赛制    : %s", kind.c_str()),
        frame::FormatLine("赛制说明: <color=%d>%s", 0x9fec5, match.Description().c_str()) };
    int y = at.y;
    for (const std::string& line : lines) {
        box.DrawText(at.x, y, line);
        y += kMatchInfoLineGap;
    }
}

// ---- turns and the clock ------------------------------------------------------------------------

int CardTableView::GetSeatSeconds(int chair) const
{
    return m_turnClock.SeatSeconds(chair);
}

void CardTableView::SetTurn(int chair, int seconds)
{
    if (!IsTableChair(chair))
        return;
    GameState* state = GetGameState();
    m_turnClock.ShowSeconds(seconds);
    const bool playPhase = state && (state->GetStatus() & kPlayPhase) != 0;
    CardPoint at;
    if (m_turnClock.Digits() && GetBoardClockPosition(ChairToView(chair), !playPhase || m_lastPlayChair == -1, at)) {
        m_turnClock.MoveTo(at);
        m_turnClock.Redraw();
    }
    if (playPhase && state) {
        // Every chair from the last turn to the new one plays again; the
        // walk ends after one round whatever the state held.
        int c = state->GetTableWord56();
        for (int step = 0; step < ChairCount(); ++step) {
            c = PrevChair(c);
            ClearPlayedCards(c);
            if (c == chair)
                break;
        }
    }
    m_turnClock.SetSeatSeconds(chair, seconds);
    if (state)
        state->SetTableWord56(chair);
    const CardGameApp* app = GetApp();
    const int players = app ? std::min(app->GetTablePlayerCount(), ChairCount()) : ChairCount();
    for (int c = 0; c < players; ++c)
        if (CardPlayerBoard* board = GetChairBoard(c))
            board->SetActive(c == chair ? 1 : 0);
}

void CardTableView::OnTurn(const TurnNotice& turn)
{
    const CardGameApp* app = GetApp();
    SetTurn(PrevChair(turn.chair), app ? app->GetTurnSeconds() : 0);
}

void CardTableView::OnTurnSync()
{
    const GameState* state = GetGameState();
    const CardGameApp* app = GetApp();
    if (!state)
        return;
    SetTurn(state->GetTableWord56(), app ? app->GetTurnSeconds() : 0);
    OnMyTurn();
}

void CardTableView::OnMyTurn()
{
    const CardGameApp* app = GetApp();
    if ((app && app->IsReplayMode()) || !IsOwnTurn() || IsLookerOn())
        return;
    platform::FlashMainWindowCaption();
    SetButtonShown(kThrowButton, true);
    SetButtonEnabled(kThrowButton, false);
    CardHand& hand = Hand();
    const TurnStart start = hand.CheckTurnStart();
    if (start == TurnStart::kLeading) {
        SetButtonShown(kPassButton, false);
        SetButtonShown(kHintButton, false);
        UpdateThrowButton();
        ClearPlayedCards(-1);
        SetButtonEnabled(kPassButton, false);
        SetButtonEnabled(kHintButton, false);
        return;
    }
    SetButtonShown(kPassButton, true);
    SetButtonShown(kHintButton, true);
    UpdateThrowButton();
    if (start == TurnStart::kPassAutomatically) {
        const engine::EngineEvent pass(GetId(), EVT_AUTO_PASS, 0, 0);
        Delay(kAutoPassDelayMs, &pass);
    } else if (start == TurnStart::kShowPassHint) {
        ShowPlayAnimation();
    }
    SetButtonEnabled(kPassButton, true);
    SetButtonEnabled(kHintButton, true);
}

void CardTableView::ShowPlayButtons(int flag)
{
    const CardGameApp* app = GetApp();
    if (app && (app->IsReplayMode() || app->IsRoomOptionB08()))
        return;
    if (IsLookerOn()) {
        SetButtonShown(kAskViewButton, true);
        return;
    }
    SetButtonShown(kResultButton, true);
    for (const Button which : { kSinglesButton, kPairsButton, kTriplesButton, kBombsButton, kSortBySizeButton,
             kSortByCountButton, kAutoPlayButton })
        SetButtonShown(which, flag != 0);
    if (flag == 0)
        SetButtonShown(kResultButton, false);
}

void CardTableView::RestartClockTicks()
{
    m_turnClock.RestartTicks();
}

uint64_t CardTableView::RepeatViewEvent(int code, uint32_t intervalMs)
{
    const engine::EngineEvent event(GetId(), code, 0, 0);
    return RepeatEvent(intervalMs, -1, &event);
}

void CardTableView::CancelViewAction(uint64_t action)
{
    CancelAction(action);
}

uint32_t CardTableView::ViewTime()
{
    return GetTime();
}

void CardTableView::StartTurnClock()
{
    m_turnClock.Start();
    SetAutoPlayButton(false);
    if (CardPlayerBoard* board = GetPlayerBoard(0))
        board->SetAutoPlay(0);
}

void CardTableView::StopTurnClock()
{
    m_turnClock.Stop();
    SetAutoPlayButton(false);
    if (CardPlayerBoard* board = GetPlayerBoard(0))
        board->SetAutoPlay(0);
}

void CardTableView::OnClockTick()
{
    const ClockStep step = m_turnClock.Tick(m_autoPlay.IsOn(), !IsLookerOn());
    if (step.turnTimeout)
        OnTurnTimeout();
    if (step.playForMe)
        PlayForMe();
    if (step.sendTimeoutNotice)
        SendTableMessage(kTableMsgTimeout, nullptr, 0);
}

// ---- table messages and automatic play --------------------------------------------------------

uint32_t CardTableView::SendTableMessage(int kind, const uint8_t* payload, uint32_t length)
{
    CardGameConnection* connection = GetCardConnection();
    return connection ? connection->SendTableMessage(kind, payload, length, false) : kRequestFailed;
}

void CardTableView::OnTableMessage(const TableMessage& message)
{
    if (message.kind == kTableMsgShowCards) {
        if (message.shown)
            OnShowCards(*message.shown);
        return;
    }
    if (!message.chair)
        return;
    switch (message.kind) {
    case kTableMsgPlayerBack: OnPlayerBack(*message.chair); break;
    case kTableMsgAutoPlayOn: OnAutoPlayOn(*message.chair); break;
    case kTableMsgAutoPlayOff: OnAutoPlayOff(*message.chair); break;
    default: break;
    }
}

void CardTableView::OnAutoPlayClicked()
{
    if (const int wait = m_autoPlay.SecondsBeforeClick(); wait > 0) {
        AddChatLine(frame::FormatLine(" <z=qh系统通知> #b您还需要%d秒才能再次开启托管功能!\r\n", wait));
        return;
    }
    uint8_t chair[4];
    frame::StoreLe32(chair, static_cast<uint32_t>(OwnChair()));
    SendTableMessage(m_autoPlay.IsOn() ? kTableMsgAutoPlayOff : kTableMsgAutoPlayOn, chair, sizeof chair);
}

void CardTableView::SetAutoPlayButton(bool on)
{
    m_autoPlay.Set(on);
    const CardGameApp* app = GetApp();
    if (!app || !app->IsReplayMode())
        ShowMainAutoPlay(on);
    if (engine::ImageButton* button = m_buttons[kAutoPlayButton]) {
        engine::PictureDesc picture;
        LookupPicture(&picture, on ? "btn_CancelAutoPlay" : "btn_AutoPlay", 0);
        if (picture.record)
            button->SetPicture(picture, false);
        button->Invalidate();
    }
}

void CardTableView::OnAutoPlayOn(int chair)
{
    if (!IsTableChair(chair))
        return;
    if (chair == OwnChair() && !IsLookerOn()) {
        SetAutoPlayButton(true);
        AddChatLine(" <m=qh系统通知> #r游戏托管已启动,单击鼠标解除!\r\n");
    }
    if (CardPlayerBoard* board = GetChairBoard(chair))
        board->SetAutoPlay(1);
}

void CardTableView::OnAutoPlayOff(int chair)
{
    if (!IsTableChair(chair))
        return;
    if (chair == OwnChair() && !IsLookerOn()) {
        m_autoPlay.SwitchedOff();
        SetAutoPlayButton(false);
        AddChatLine(" <z=qh系统通知> #b游戏托管已解除!\r\n");
    }
    if (CardPlayerBoard* board = GetChairBoard(chair))
        board->SetAutoPlay(0);
}

// A seated player's own turn while the play buttons are up (a game without
// a throw button moves all the same).
bool CardTableView::MayMoveForMe() const
{
    const engine::ImageButton* throwButton = m_buttons[kThrowButton];
    return !IsLookerOn() && IsOwnTurn() && (!throwButton || throwButton->IsShown());
}

void CardTableView::OnTurnTimeout()
{
    if (MayMoveForMe() && m_autoPlay.PaceSecond())
        PlayForMe();
}

void CardTableView::PlayForMe()
{
    if (!MayMoveForMe())
        return;
    const bool wasOn = m_autoPlay.IsOn();
    if (Hand().PlayForMe() == AutoMove::kThrow)
        SelectAndThrow();
    else
        OnPassClicked();
    if (!wasOn)
        OnAutoPlayClicked();
}

// The automatic move throws what the hand selected even while the throw
// button waits for the player's own selection.
void CardTableView::SelectAndThrow()
{
    const std::vector<int> ids = Hand().GetThrowCards();
    if (ids.empty())
        return;
    HidePlayButtons();
    SendThrow(ids.data(), static_cast<int>(ids.size()));
}

// ---- offline and return -------------------------------------------------------------------------

void CardTableView::OnPlayerOffline(int userId)
{
    const CardGameApp* app = GetApp();
    if (!app || !app->IsSeatedUser(userId))
        return;
    const int chair = app->GetUserChair(userId);
    if (chair == OwnChair() && !IsLookerOn()) {
        SendTableMessage(kTableMsgPresent, nullptr, 0);
        return;
    }
    AddChatLine(frame::FormatLine(" <z=qh系统通知> <c=%d>%s掉线了!\r\n", 0x4b967d, app->GetChairName(chair).c_str()));
    if (CardPlayerBoard* board = GetChairBoard(chair))
        board->SetOffline(1);
}

void CardTableView::OnPlayerBack(int chair)
{
    CardPlayerBoard* board = IsTableChair(chair) ? GetChairBoard(chair) : nullptr;
    const CardGameApp* app = GetApp();
    if (!board || !board->IsOffline() || !app)
        return;
    AddChatLine(frame::FormatLine(" <z=qh系统通知> <c=%d>%s重新回到了游戏!\r\n", GetIntProperty(kPropNoticeChatColour),
        app->GetChairName(chair).c_str()));
    board->SetOffline(0);
    const GameState* state = GetGameState();
    m_turnClock.Reappear(chair, state && state->GetTableWord56() == chair);
}

// ---- card viewing ---------------------------------------------------------------------------------

void CardTableView::AskViewCards()
{
    const CardGameApp* app = GetApp();
    const GameState* state = GetGameState();
    if (!app || !IsLookerOn() || app->IsRoomOptionB08() || !state || !state->IsPlaying())
        return;
    CardGameConnection* connection = GetCardConnection();
    if (!connection || !connection->SendViewCardsRequest())
        return;
    PlayTableSound("SndHitButton");
    if (engine::ImageButton* ask = m_buttons[kAskViewButton]) {
        ask->SetEnabled(false);
        CancelActionsOf(ask->GetId());
        const engine::EngineEvent enable(ask->GetId(), engine::EVT_ENABLED, 0, 0);
        Delay(kAskViewPauseMs, &enable);
    }
    AddChatLine(frame::FormatLine(" <c=%d>请求%s给我看牌\r\n", 0x2c5858, app->GetChairDisplayName(OwnChair()).c_str()));
}

void CardTableView::OnViewCardsRequest(const ViewCardsRequest& request)
{
    ShowViewCardsRequestBox(request.requester);
}

engine::EngineObject* CardTableView::ShowViewCardsRequestBox(int requester)
{
    const CardGameApp* app = GetApp();
    const frame::PlayerRecord* player = app ? app->FindPlayer(requester) : nullptr;
    if (!player)
        return nullptr;
    frame::GameFrame* main = GetGameFrame();
    const std::string head = main ? main->GetCharacterImageName(player->Figure(), 1)
                                  : CharacterPicture(*this, player->Figure(), 1);
    const engine::EngineEvent allow(GetId(), EVT_ANSWER_VIEW_CARDS, requester, 1);
    const engine::EngineEvent refuse(GetId(), EVT_ANSWER_VIEW_CARDS, requester, 0);
    const Area a = ViewArea();
    frame::ViewCardsRequestBox* box = frame::OpenViewCardsRequestBox(*this, player->Name(), head, allow, refuse,
        a.left + a.width / 2, a.top + a.height / 2);
    if (box && main)
        main->SlideInPopup(box);
    return box;
}

void CardTableView::ShowMainAutoPlay(bool on)
{
    if (frame::GameFrame* main = GetGameFrame())
        main->ShowAutoPlayAnimation(on);
}

// The answer is shown as the server would relay it, but only once it left.
void CardTableView::AnswerViewCards(engine::MessageWord requester, engine::MessageWord allow)
{
    CardGameApp* app = GetApp();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    const int asking = static_cast<int>(requester);
    const int allowed = allow ? 1 : 0;
    if (!connection || !connection->SetViewCardsPermission(asking, allowed))
        return;
    ViewCardsAnswer answer;
    answer.userId = app->GetUserId();
    answer.chair = app->GetChair();
    answer.requester = asking;
    answer.allowed = allowed != 0;
    OnViewCardsAnswer(answer);
}

void CardTableView::OnViewCardsAnswer(const ViewCardsAnswer& answer)
{
    const CardGameApp* app = GetApp();
    if (!app)
        return;
    AddChatLine(frame::FormatLine(" <c=%d>%s%s%s看牌 \r\n", 0x2c5858, app->GetUserName(answer.userId).c_str(),
        answer.allowed ? "允许" : "禁止", app->GetUserName(answer.requester).c_str()));
    if (answer.allowed || !IsLookerOn() || answer.chair != OwnChair() || answer.requester != app->GetUserId())
        return;
    if (Hand().HasMarkedCard())
        Hand().HideShownCards();
}

void CardTableView::OnShowCards(const ShownCards& shown)
{
    const int chair = shown.chair;
    Hand().SetSeatCards(chair, shown.cards.data(), static_cast<int>(shown.cards.size()));
    LayoutSeatCards(chair);
    if (IsLookerOn() && chair == OwnChair())
        SetButtonShown(kAskViewButton, false);
}

void CardTableView::ApplySoundSettings()
{
    const CardGameApp* app = GetApp();
    SetMute(app && !app->IsSoundOn() ? 1 : 0);
}

// ---- replay recording ---------------------------------------------------------------------------

void CardTableView::OnServerNotify(uint32_t id, const uint8_t* body, size_t length)
{
    auto* recorder = dynamic_cast<TableRecorderCalls*>(GetReplayRecorder());
    const CardGameApp* app = GetApp();
    if (!recorder || !app)
        return;
    if (app->IsMatchMode())
        RecordMatchNotification(*recorder, id, body, length);
    else
        RecordTableNotification(*recorder, id, body, length);
}

void CardTableView::RecordTableNotification(TableRecorderCalls& recorder, uint32_t id, const uint8_t* body,
    size_t length)
{
    if (id == kNotifyGameStart || id == kNotifyTableSnapshot) {
        recorder.StartReplay();
        recorder.RecordNotification(id, body, length);
        return;
    }
    if (!recorder.RecordingNow())
        return;
    switch (id) {
    case kNotifyGameEnd: {
        recorder.RecordNotification(id, body, length);
        BeforeReplaySave();
        const std::string path = recorder.SaveReplay();
        if (path.empty())
            return;
        const size_t slash = path.find_last_of("\\/");
        const std::string folder = slash == std::string::npos ? path : path.substr(0, slash);
        AddChatLine(frame::FormatLine(" <z=qh系统通知><c=255> 游戏录像已保存到<url_text=%s,录像目录><c=255>\r\n", folder.c_str()));
        break;
    }
    case kNotifyTableMessage:
    case kNotifyPassed:
    case kNotifyCardsThrown: recorder.RecordNotification(id, body, length); break;
    default: break;
    }
}

void CardTableView::RecordMatchNotification(TableRecorderCalls& recorder, uint32_t id, const uint8_t* body,
    size_t length)
{
    if (id == kNotifyMatchRoundStart) {
        recorder.StartReplay();
        return;
    }
    // Records before a replay began belong to no replay.
    if (!recorder.RecordingNow())
        return;
    switch (id) {
    case kNotifyGameEnd:
        recorder.RecordNotification(id, body, length);
        BeforeReplaySave();
        recorder.SaveReplay();
        break;
    case kNotifyGameStart:
    case kNotifyMatchRoundInfo:
    case kNotifyTableMessage: recorder.RecordNotification(id, body, length); break;
    default: break;
    }
}

} // namespace game
