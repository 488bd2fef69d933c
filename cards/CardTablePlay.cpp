// The table view's hand and plays: mouse and button events go to the hand
// logic, whose answers become requests, buttons and sounds here; the plays
// and passes the server announces are shown as they arrive. A throw or pass
// of our own changes nothing on the table until the server announces it.

#include "cards/CardTableView.h"

#include "engine/controls/widgets/ControlCursor.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/InputState.h"
#include "frame/core/GameState.h"
#include "cards/CardGameApp.h"
#include "cards/CardGameConnection.h"
#include "cards/CardPlayerBoard.h"

#include <algorithm>

namespace game {

namespace {

// The mark a pass shows on the board, and its animation.
constexpr int kPassMarkFlag = 0x20000000;
constexpr const char* kPassAnimation = "不出";

} // namespace

// What the hand logic asks of the view.
class CardTableView::HandLink : public CardHandHost {
public:
    explicit HandLink(CardTableView& view)
        : m_view(view)
    {
    }
    std::span<CardSprite* const> Cards() const override
    {
        return { m_view.m_cards.data(), static_cast<size_t>(m_view.m_cardCount) };
    }
    int OwnChair() const override { return m_view.OwnChair(); }
    int ChairCount() const override { return m_view.ChairCount(); }
    bool IsLookerOn() const override { return m_view.IsLookerOn(); }
    int LevelRank() const override
    {
        const CardGameApp* app = m_view.GetApp();
        return app ? app->GetLevelRank() : 0;
    }
    int LastPlayChair() const override { return m_view.GetLastPlayChair(); }
    const table::PlayRecord& LastPlayRecord() const override { return m_view.m_lastPlay; }
    bool IsOppositeChair(int chair) const override { return m_view.IsOppositeChair(chair); }
    void SetThrowEnabled(bool enabled) override { m_view.OnSelectionChecked(enabled); }
    void PlaySound(std::string_view name) override { m_view.PlayTableSound(name); }
    void SetSortSizePicture(std::string_view name) override
    {
        if (engine::ImageButton* button = m_view.m_buttons[kSortBySizeButton]) {
            engine::PictureDesc picture;
            m_view.LookupPicture(&picture, name, 0);
            button->SetPicture(picture, false);
            button->Invalidate();
        }
    }

private:
    CardTableView& m_view;
};

CardTableView::CardTableView() = default;
CardTableView::~CardTableView() = default;

std::unique_ptr<CardHand> CardTableView::MakeHand(CardHandHost& host) const
{
    return std::make_unique<CardHand>(host);
}

CardHand& CardTableView::Hand()
{
    if (!m_hand) {
        m_handLink = std::make_unique<HandLink>(*this);
        m_hand = MakeHand(*m_handLink);
    }
    return *m_hand;
}

const CardHand& CardTableView::Hand() const
{
    return const_cast<CardTableView*>(this)->Hand();
}

// ---- small helpers -----------------------------------------------------------------------

bool CardTableView::IsLookerOn() const
{
    const CardGameApp* app = GetApp();
    return app && app->IsLookOn();
}

bool CardTableView::IsOwnTurn() const
{
    const GameState* state = GetGameState();
    return state && state->GetTableWord56() == OwnChair();
}

// The throw button may be used while it is shown and enabled; a game
// without one plays all the same.
bool CardTableView::IsThrowButtonUsable() const
{
    const engine::ImageButton* button = m_buttons[kThrowButton];
    return !button || (button->IsShown() && button->IsInputEnabled());
}

void CardTableView::SetButtonShown(Button which, bool shown)
{
    if (engine::ImageButton* button = m_buttons[which]) {
        if (shown)
            button->Show();
        else
            button->Hide();
        button->Invalidate();
    }
}

void CardTableView::SetButtonEnabled(Button which, bool enabled)
{
    if (engine::ImageButton* button = m_buttons[which]) {
        button->SetEnabled(enabled);
        button->Invalidate();
    }
}

void CardTableView::PlayTableSound(std::string_view name)
{
    PlaySound(name, 1, nullptr);
}

CardGameConnection* CardTableView::GetCardConnection() const
{
    CardGameApp* app = GetApp();
    return app ? dynamic_cast<CardGameConnection*>(app->GetConnection()) : nullptr;
}

void CardTableView::SetLastPlay(int chair, const table::PlayRecord& play)
{
    m_lastPlayChair = chair;
    m_lastPlay = play;
}

// ---- mouse and buttons on the hand ---------------------------------------------------------

void CardTableView::OnCardEvent(const engine::EngineEvent& event)
{
    const auto* input = event.DataAs<const engine::InputState>();
    if (event.code == EVT_TABLE_RBUTTON) {
        if (!input || input->hoveredId == 0) {
            Hand().OnEmptyRightPress();
        }
        return;
    }
    // The event names its card by object id; only the view's own cards answer.
    CardSprite* card = nullptr;
    for (int i = 0; i < m_cardCount && !card; ++i) {
        CardSprite* candidate = m_cards[static_cast<size_t>(i)];
        if (candidate && candidate->GetId() != 0 && candidate->GetId() == event.ParamInt())
            card = candidate;
    }
    if (!card)
        return;
    CardHand& hand = Hand();
    switch (event.code) {
    case EVT_CARD_LBUTTON_DOWN: hand.OnCardPress(*card); break;
    case EVT_CARD_LBUTTON_UP: hand.OnCardRelease(*card, GetTime()); break;
    case EVT_CARD_RBUTTON_DOWN: OnThrowClicked(); break;
    case EVT_CARD_DRAG:
        if (input)
            hand.OnCardDrag(*card, input->x);
        break;
    case EVT_CARD_MOUSE_ENTER:
        if (hand.OnCardEnter(*card, GetTime()))
            engine::ShowControlHandCursor(*this);
        break;
    case EVT_CARD_MOUSE_LEAVE:
        engine::ShowControlArrowCursor(*this);
        hand.OnCardLeave(*card);
        break;
    default: break;
    }
}

void CardTableView::SelectSingles(int code) { Hand().SelectSingles(code); }
void CardTableView::SelectPairs(int code) { Hand().SelectPairs(code); }
void CardTableView::SelectTriples(int code) { Hand().SelectTriples(code); }
void CardTableView::SelectBombs(int code) { Hand().SelectBombs(code); }
void CardTableView::ToggleSortBySize() { Hand().ToggleSortBySize(); }
void CardTableView::ToggleSortByCount() { Hand().ToggleSortByCount(); }
void CardTableView::ToggleSortMode3() { Hand().ToggleSortMode3(); }
void CardTableView::SortHand(int mode) { Hand().SortHand(mode); }
bool CardTableView::UpdateThrowButton() { return Hand().UpdateThrowButton(); }
void CardTableView::OnSelectionChecked(bool throwable) { SetButtonEnabled(kThrowButton, throwable); }

void CardTableView::LayoutSeatCards(int chair)
{
    ShowSeatCardCount(chair, Hand().LayoutSeatCards(chair));
}

void CardTableView::ShowSeatCardCount(int chair, int count)
{
    const int position = ChairToView(chair);
    CardPlayerBoard* board = GetPlayerBoard(position);
    if (position <= 0 || !board)
        return;
    board->SetRemainCards(count);
    const bool fourChairs = ChairCount() == 4;
    const bool besideFan = position == 2 && fourChairs;
    // The count stands below a side fan and right of the top one.
    const CardSprite* reference = Hand().FindHandCardAt(chair, position == 1 || besideFan ? 0 : count - 1);
    if (!reference)
        return;
    const int x = static_cast<int>(reference->GetX());
    const int y = static_cast<int>(reference->GetY());
    const int w = reference->GetSprite() ? static_cast<int>(reference->GetSprite()->GetWidth()) : 0;
    const int nw = static_cast<int>(board->GetRemainCardsWidth());
    const int nh = static_cast<int>(board->GetRemainCardsHeight());
    if (besideFan)
        board->MoveRemainCards(x + w / 2 + nw / 2 + 5, y);
    else
        board->MoveRemainCards(x, y + w / 2 + nh / 2 + 5);
}

// ---- throw, pass, hint ----------------------------------------------------------------------

void CardTableView::OnThrowClicked()
{
    if (IsLookerOn() || !IsThrowButtonUsable())
        return;
    const std::vector<int> ids = Hand().GetThrowCards();
    if (ids.empty())
        return;
    HidePlayButtons();
    SendThrow(ids.data(), static_cast<int>(ids.size()));
}

uint32_t CardTableView::SendThrow(const int* ids, int n)
{
    const std::optional<table::PlayRecord> play = Hand().ChooseThrowPlay(ids, n);
    CardGameConnection* connection = GetCardConnection();
    const CardGameApp* app = GetApp();
    if (!play || !connection || !app)
        return kRequestFailed;
    ThrowRecord record;
    record.SetHead(app->GetUserId(), app->GetRoomId(), app->GetTableNo(), app->GetChair());
    record.SetNextChair(PrevChair(OwnChair()));
    record.SetPlay(*play);
    std::string error;
    return connection->SendThrow(error, record);
}

void CardTableView::OnPassClicked()
{
    const engine::ImageButton* pass = m_buttons[kPassButton];
    if (IsLookerOn() || (pass && (!pass->IsShown() || !pass->IsInputEnabled())))
        return;
    HidePlayButtons();
    Hand().DeselectAll();
    CardGameConnection* connection = GetCardConnection();
    const CardGameApp* app = GetApp();
    if (!connection || !app)
        return;
    PassRecord record;
    record.SetHead(app->GetUserId(), app->GetRoomId(), app->GetTableNo(), app->GetChair());
    record.SetLastPlayChair(GetLastPlayChair());
    std::string error;
    connection->SendPass(error, record);
}

void CardTableView::OnHintClicked()
{
    switch (Hand().OnHintClicked()) {
    case HintOutcome::kPass: OnPassClicked(); break;
    case HintOutcome::kSelected:
    case HintOutcome::kNothing: break;
    }
}

void CardTableView::SendPlayOption(int option, int value)
{
    if (CardGameConnection* connection = GetCardConnection())
        connection->SendPlayOption(option, value);
}

// ---- what the server announces ----------------------------------------------------------------

void CardTableView::OnCardsThrown(const ThrownPlay& thrown)
{
    const int chair = thrown.chair;
    table::PlayRecord play = thrown.play;
    OrderPlayForDisplay(play, GetSortMode());
    SetLastPlay(chair, play);
    HidePlayButtons();
    PlayThrowSound(play.type, play.count);
    const std::vector<CardSprite*> cards = Hand().CardsForPlay(chair, play.cards, play.count);
    const int seat = ChairToView(chair);
    for (size_t i = 0; i < cards.size(); ++i) {
        CardSprite* card = cards[i];
        // The sprite is found before its id changes, so ids are written
        // only now: a hidden hand gives up its first cards.
        card->cardId = play.cards[i];
        card->seat = seat;
        card->ownerChair = chair;
        card->count = static_cast<int>(cards.size());
        card->order = static_cast<int>(i);
        card->state = kCardPlayed;
        card->selected = 0;
        // Flying, the update leaves the card where it stands; the flight
        // takes it to its place.
        card->flying = 1;
        card->Update();
        card->FlyToPlace(static_cast<int>(i));
    }
    LayoutSeatCards(chair);
    if (chair == OwnChair())
        SortHand(GetSortMode());
    SetTurn(thrown.nextChair, thrown.seconds);
    OnMyTurn();
}

void CardTableView::OnPassed(const PassedTurn& pass)
{
    PlayPassSound(pass.chair);
    HidePlayButtons();
    ShowPassMark(pass.chair, kPassMarkFlag);
    if (pass.clearsTable) {
        SetLastPlay(-1, table::PlayRecord());
        ClearPlayedCards(-1);
    }
    SetTurn(pass.nextChair, pass.seconds);
    OnMyTurn();
}

void CardTableView::PlayThrowSound(int type, int count)
{
    const std::string_view name = ThrowSoundName(type, count);
    if (!name.empty())
        PlayTableSound(name);
}

void CardTableView::PlayPassSound(int /*chair*/)
{
    PlayTableSound("Snd_Pass");
}

void CardTableView::ShowPassMark(int chair, int flag)
{
    if (flag != kPassMarkFlag)
        return;
    if (CardPlayerBoard* board = GetChairBoard(chair))
        board->ShowAnimation(kPassAnimation);
}

void CardTableView::ClearPlayedCards(int chair)
{
    for (int i = 0; i < m_cardCount; ++i) {
        CardSprite* card = m_cards[static_cast<size_t>(i)];
        if (card->state == kCardPlayed && (chair < 0 || card->ownerChair == chair)) {
            card->state = kCardHidden;
            card->Update();
        }
    }
    for (int c = 0; c < ChairCount(); ++c)
        if (chair < 0 || c == chair)
            if (CardPlayerBoard* board = GetChairBoard(c)) {
                board->HideAnimation();
                board->HideReady();
            }
}

void CardTableView::ShowPlayAnimation()
{
    if (!m_passHint)
        return;
    CancelActionsOf(m_passHint->GetId());
    m_passHint->Show();
    m_passHint->Invalidate();
    BeginActionGroup();
    PlayFrames(m_passHint, 0, 1, 0, 0, nullptr);
    NextActionGroup();
    ShowLater(m_passHint, false, nullptr);
    EndActionGroup();
}

} // namespace game
