// The game's table view during play: every play and pass the server
// announces (the card layer shows them; the table state keeps the last play
// and each chair's bombs and jokers, the card counter the played cards),
// the turn clock with its watchdog and its rules at 0, and the sort buttons
// that forget the arranged groups. The hand's rules are this game's
// (FriendHand).

#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "cards/CardCounterPanel.h"
#include "cards/CardPlayerBoard.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameApp.h"
#include "game/FriendGameData.h"
#include "game/FriendPlayerBoard.h"
#include "net/DailyLog.h"
#include "table/Cards.h"
#include "table/FriendRecords.h"

#include <algorithm>
#include <array>
#include <vector>

namespace game {

namespace {

// A bomb's cards other than jokers count from this many on.
constexpr int kBombCardsFrom = 4;

bool IsJoker(int id)
{
    const int value = table::CardValue(id);
    return id >= 0 && (value == table::kSmallJokerValue || value == table::kBigJokerValue);
}

} // namespace

int ZeroTickLimit(int ownChair, bool chairZeroOffline)
{
    return chairZeroOffline ? ownChair * 3 + 1 : (ownChair + 1) * 3;
}

void AddBonusCards(table::FriendTableState& state, int chair, std::span<const int> bombCards,
    std::span<const int> jokers)
{
    if (chair < 0 || chair >= table::kFriendChairs)
        return;
    int* list = state.lists[chair];
    int& bombs = state.bombListed[chair];
    int& jokerCount = state.jokerListed[chair];
    // Counts out of range (a damaged state) are taken as a full list.
    auto room = [&] { return bombs >= 0 && jokerCount >= 0 && bombs + jokerCount < table::kChairListSize; };
    for (const int id : bombCards) {
        if (!room())
            return;
        list[bombs++] = id;
    }
    for (const int id : jokers) {
        if (!room())
            return;
        list[table::kChairListSize - 1 - jokerCount++] = id;
    }
}

// ---- plays and passes ----------------------------------------------------------------------

void FriendTableView::OnCardsThrown(const ThrownPlay& thrown)
{
    const int chair = thrown.chair;
    const table::PlayRecord& play = thrown.play;
    if (chair >= kGameSeats)
        return;
    FinishDeal();
    if (!IsHeldBy(chair, play)) {
        net::LogMessage("notification 221170: chair %d played %d cards it does not hold; ignored", chair, play.count);
        return;
    }
    CardTableView::OnCardsThrown(thrown);
    PlayPlayVoice(chair, GetLastPlay());
    KeepLastPlay(chair, GetLastPlay());
    RevealFriend(thrown);
    const bool joker = std::any_of(play.cards, play.cards + play.count, IsJoker);
    if (play.type == table::CT_BOMB || joker)
        RecordPlayBonusCards(chair, play);
    CountPlayedCards(chair, play);
    if (chair == MyChair())
        UpdateArrangeButtons();
    if (FriendPlayerBoard* board = GetGameChairBoard(chair); board && thrown.finishPlace > 0)
        board->ShowFinishRank(thrown.finishPlace - 1);
}

// Every id of a play names one of this game's cards that the chair holds: a
// hand card showing it, or, in a hand this client cannot see, a hidden card
// while no sprite shows the id anywhere else. Taking any other play would
// turn the wrong cards over and leave the chair's count wrong.
bool FriendTableView::IsHeldBy(int chair, const table::PlayRecord& play) const
{
    int hidden = 0;
    for (const FriendCardSprite* card : m_gameCards)
        hidden += card && card->ownerChair == chair && card->state == kCardInHand && card->cardId == -1;
    std::vector<int> seen;
    for (int i = 0; i < std::clamp(play.count, 0, table::kMaxPlayCards); ++i) {
        const int id = play.cards[i];
        if (id == -1)
            continue; // an empty place names no card
        if (id < 0 || id >= kGameCards || std::find(seen.begin(), seen.end(), id) != seen.end())
            return false;
        seen.push_back(id);
        const auto shown = std::find_if(m_gameCards.begin(), m_gameCards.end(),
            [id](const FriendCardSprite* card) { return card && card->cardId == id; });
        if (shown != m_gameCards.end()) {
            if ((*shown)->ownerChair != chair || (*shown)->state != kCardInHand)
                return false;
        } else if (hidden-- <= 0) {
            return false;
        }
    }
    return true;
}

void FriendTableView::KeepLastPlay(int chair, const table::PlayRecord& play)
{
    FriendGameData* data = GetGameData();
    if (!data)
        return;
    data->SetLastPlay(chair, play);
}

void FriendTableView::RecordPlayBonusCards(int chair, const table::PlayRecord& play)
{
    FriendGameData* data = GetGameData();
    if (!data)
        return;
    std::vector<int> bombCards;
    std::vector<int> jokers;
    for (int i = 0; i < std::clamp(play.count, 0, table::kMaxPlayCards); ++i)
        (IsJoker(play.cards[i]) ? jokers : bombCards).push_back(play.cards[i]);
    // Only a bomb of four cards or more besides its jokers lists them.
    if (play.type != table::CT_BOMB || static_cast<int>(bombCards.size()) < kBombCardsFrom)
        bombCards.clear();
    table::FriendTableState state = data->GetTableState();
    AddBonusCards(state, chair, bombCards, jokers);
    data->SetBonusLists(state, chair);
}

void FriendTableView::RecordBonusCards(int chair)
{
    FriendGameData* data = GetGameData();
    if (!data)
        return;
    std::vector<int> held;
    std::array<int, table::kHistogramSize> counts {};
    for (const FriendCardSprite* card : m_gameCards)
        if (card && card->state == kCardInHand && card->ownerChair == chair && card->cardId >= 0) {
            held.push_back(card->cardId);
            ++counts[static_cast<size_t>(table::CardValue(card->cardId))];
        }
    std::vector<int> bombCards;
    std::vector<int> jokers;
    for (const int id : held) {
        if (IsJoker(id))
            jokers.push_back(id);
        else if (counts[static_cast<size_t>(table::CardValue(id))] >= kBombCardsFrom)
            bombCards.push_back(id);
    }
    table::FriendTableState state = data->GetTableState();
    AddBonusCards(state, chair, bombCards, jokers);
    data->SetTableState(state);
}

void FriendTableView::CountPlayedCards(int chair, const table::PlayRecord& play)
{
    if (!m_cardCounter || chair == MyChair())
        return;
    for (int i = 0; i < std::clamp(play.count, 0, table::kMaxPlayCards); ++i) {
        m_cardCounter->RemoveCard(play.cards[i]);
        m_cardCounter->AddPlayedCard(chair, play.cards[i]);
    }
    const int seat = m_cardCounter->GetSeat(chair);
    if (seat < 0)
        return;
    if (const engine::CanvasObject* panel = m_cardCounter->GetPlayerPanel(seat); panel && panel->IsShown())
        m_cardCounter->DrawPlayerPanel(chair);
}

void FriendTableView::OnPassed(const PassedTurn& pass)
{
    if (pass.chair >= kGameSeats)
        return;
    FinishDeal();
    CardTableView::OnPassed(pass);
    if (pass.clearsTable)
        KeepLastPlay(-1, table::PlayRecord());
}

void FriendTableView::PlayPassSound(int chair)
{
    const auto* app = dynamic_cast<const FriendGameApp*>(GetApp());
    if (!app || !app->IsPassSoundMuted())
        CardTableView::PlayPassSound(chair);
    PlayPassVoice(chair);
}

void FriendTableView::ClearPlayRecords()
{
    m_zeroTicks = 0;
    FriendGameData* data = GetGameData();
    if (!data)
        return;
    table::FriendTableState state = data->GetTableState();
    state.lastPlayChair = -1;
    state.lastPlay = table::PlayRecord();
    for (int chair = 0; chair < table::kFriendChairs; ++chair) {
        state.bombListed[chair] = 0;
        state.jokerListed[chair] = 0;
        table::FillMinusOne(state.lists[chair], table::kChairListSize);
    }
    data->SetTableState(state);
}

void FriendTableView::ResetCards()
{
    StopTurnClock();
    // A deal still being shown would deal the cleared cards again.
    CancelDeal();
    CardTableView::ResetCards();
    ClearPlayRecords();
    // The last round's end goes with it (a replay rewound or opened again
    // resets the table while it shows).
    CancelAction(m_bonusFrameAction);
    HideBonusFrames();
    for (int position = 0; position < kGameSeats; ++position)
        if (FriendPlayerBoard* board = GetGameBoard(position))
            board->HideFinishRank();
    if (m_cardCounter) {
        m_cardCounter->Reset();
        m_cardCounter->Redraw();
        SetShown(m_cardCounter, false);
    }
}

void FriendTableView::ShowPlayButtons(int flag)
{
    CardTableView::ShowPlayButtons(flag);
    const CardGameApp* app = GetApp();
    if (app && app->IsReplayMode())
        return;
    // A looker-on may look at the bonus frames but keeps no card counter.
    if (IsLookerOn()) {
        SetShown(m_gameButtons[kBonusViewButton], true);
        SetShown(m_gameButtons[kCardCounterButton], false);
        return;
    }
    SetShown(m_gameButtons[kCardCounterButton], flag != 0 && app && app->IsRoomOptionC40000());
    SetShown(m_gameButtons[kBonusViewButton], flag != 0);
    if (flag == 0) {
        SetShown(m_gameButtons[kArrangeButton], false);
        SetShown(m_gameButtons[kRestoreButton], false);
    }
}

void FriendTableView::OnMyTurn()
{
    CardTableView::OnMyTurn();
    PlacePlayButtons(ViewArea());
}

void FriendTableView::OnSelectionChecked(bool throwable)
{
    CardTableView::OnSelectionChecked(throwable);
    if (!IsLookerOn())
        UpdateArrangeButtons();
}

// ---- the turn clock -------------------------------------------------------------------------

void FriendTableView::StartTurnClock()
{
    m_clockWatchdog.ClockStarts([this] { CardTableView::StartTurnClock(); });
    m_zeroTicks = 0;
    ChooseClock();
    if (m_bigClock && m_clockInUse != m_bigClock)
        SetShown(m_bigClock, false);
    SyncClockInUse();
    StartClockWatchdog();
}

void FriendTableView::StopTurnClock()
{
    StopClockWatchdog();
    CardTableView::StopTurnClock();
    SetShown(m_bigClock, false);
}

void FriendTableView::StartClockWatchdog()
{
    m_clockWatchdog.Start();
}

void FriendTableView::StopClockWatchdog()
{
    m_clockWatchdog.Stop();
}

void FriendTableView::OnClockWatchdogTick()
{
    m_clockWatchdog.Tick([this] {
        if (GetClockAction() != 0)
            RestartClockTicks();
    });
}

int FriendTableView::OwnZeroTickLimit() const
{
    const CardPlayerBoard* chairZero = GetChairBoard(0);
    return ZeroTickLimit(MyChair(), chairZero && chairZero->IsOffline());
}

void FriendTableView::OnClockTick()
{
    m_clockWatchdog.ClockTicked();
    // The card layer's clock holds the seconds; the big clock mirrors it.
    engine::ImageNumber* clock = GetTurnClock();
    const engine::ImageNumber* shown = m_clockInUse ? m_clockInUse : clock;
    if (!clock || !shown || !shown->IsShown())
        return;
    if (clock->GetValue() >= 1) {
        m_zeroTicks = 0;
        clock->AddValue(-1);
        clock->Refresh();
        clock->Invalidate();
        if (IsAutoPlayOn() && !IsLookerOn())
            OnTurnTimeout();
    } else {
        if (m_zeroTicks == 0)
            PlayForMe();
        ++m_zeroTicks;
        if (m_zeroTicks > OwnZeroTickLimit())
            SendTableMessage(kTableMsgTimeout, nullptr, 0);
    }
    SyncClockInUse();
}

// ---- sorting ----------------------------------------------------------------------------------

void FriendTableView::ToggleSortBySize()
{
    ClearGroups();
    CardTableView::ToggleSortBySize();
}

void FriendTableView::ToggleSortByCount()
{
    ClearGroups();
    CardTableView::ToggleSortByCount();
}

} // namespace game
