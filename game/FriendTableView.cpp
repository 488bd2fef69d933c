#include "game/FriendTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/WireReader.h"
#include "cards/CardGameApp.h"
#include "game/FriendCardSprite.h"
#include "game/FriendGameData.h"
#include "game/FriendHand.h"
#include "game/FriendPlayerBoard.h"
#include "game/FriendTableText.h"
#include "cards/TableRecorder.h"
#include "frame/ui/ReplayRecorder.h"
#include "game/GameSettings.h"
#include "table/FriendRecords.h"

#include <algorithm>
#include <vector>

namespace game {

namespace {

using TS = table::FriendTableState;

// Words of the table state read here (byte offsets).
constexpr size_t kOwnHand = 80;
constexpr size_t kFlipCard = 188;
constexpr size_t kFlipPlace = 192;
constexpr size_t kFriendChair = 196;
constexpr size_t kChairStatus = 500;
constexpr size_t kUsedSeconds = 4540;
constexpr int kPlayPhaseStatus = 0x101;
constexpr int kAutoPlayFlag = 0x10;
constexpr int kOfflineFlags = 0x08 | 0x20;
constexpr int kMatchInfoBoxSize = 150;

constexpr uint32_t kRestoreLink = 0x180A2;
constexpr uint32_t kSloganLink = 0x1980A2;
constexpr int kWideTable = 1200;
constexpr double kFireworksDepth = 52000.0;
constexpr int kFlipPileOrder = 54;

struct GameButtonSpec {
    FriendTableView::GameButton which;
    const char* picture;
    int code;
    const char* toolTip;
};

constexpr GameButtonSpec kArrangeButtons[] = {
    { FriendTableView::kArrangeButton, "btn_SortCustomer", EVT_ARRANGE_SELECTED, "选牌放左边" },
    { FriendTableView::kRestoreButton, "btn_CancelCustomer", EVT_RESTORE_ARRANGEMENT, "理牌恢复" },
    { FriendTableView::kBonusViewButton, "觅友", EVT_SHOW_BONUS_FRAMES, "查看觅友" },
};

void Place(engine::EngineObject* object, int x, int y)
{
    if (object) {
        object->MoveTo(x, y);
        object->Invalidate();
    }
}

} // namespace

FriendTableView::FriendTableView()
    : m_marquee(*this)
{
}

FriendTableView::~FriendTableView() = default;

// ---- construction --------------------------------------------------------------------

int FriendTableView::OnCreate()
{
    CardTableView::OnCreate();
    const CardGameApp* app = GetApp();
    if (!app || !app->IsReplayMode()) {
        m_gameButtons[kCardCounterButton] = CreateImageButton("btn_Cardmaster", EVT_TOGGLE_CARD_COUNTER, "记牌器", true);
        m_cardCounter = static_cast<CardCounterPanel*>(RegisterObject(std::make_unique<CardCounterPanel>(m_counterSeats)));
        // Opened by its button.
        if (m_cardCounter)
            m_cardCounter->Hide();
    }
    // At a table the card counter's and the bonus frames' buttons come with
    // the play buttons (ShowPlayButtons), not before; a replay keeps the
    // bonus frames' button throughout.
    if (!app || !app->IsReplayMode()) {
        SetShown(m_gameButtons[kCardCounterButton], false);
        SetShown(m_gameButtons[kBonusViewButton], false);
    }
    if (IsLookerOn())
        SetShown(GetButton(kStartButton), false);
    CreateReplayRecorder();
    m_marquee.Create(800, 21, 14, 400);
    engine::PictureDesc slogan;
    LookupPicture(&slogan, "slogan", 0);
    m_slogan = CreateSprite(slogan);
    if (engine::ImageButton* start = GetButton(kStartButton); m_slogan && start) {
        m_slogan->MoveTo(start->GetX(), start->GetY() + start->GetHeight() + 10);
        start->AddChild(m_slogan, kSloganLink);
    }
    UpdateArrangeButtons();
    return 0;
}

void FriendTableView::CreateClock()
{
    CardTableView::CreateClock();
    if (!m_bigClock) {
        m_bigClock = static_cast<engine::ImageNumber*>(RegisterObject(std::make_unique<engine::ImageNumber>()));
        if (m_bigClock) {
            m_bigClock->CreateDigits("digiti_Clock_Big", 2);
            m_bigClock->SetZ(kTableDigitDepth);
            m_bigClock->Hide();
            m_bigClock->Invalidate();
        }
    }
    ChooseClock();
}

void FriendTableView::ChooseClock()
{
    const bool wide = ViewArea().width > kWideTable && m_bigClock;
    m_clockInUse = wide ? m_bigClock : GetTurnClock();
}

void FriendTableView::CreateScorePens()
{
    CardTableView::CreateScorePens();
    if (!m_turnScore) {
        m_turnScore = static_cast<engine::ImageNumber*>(RegisterObject(std::make_unique<engine::ImageNumber>()));
        if (m_turnScore) {
            m_turnScore->CreateDigits("digit_turnScore", 4);
            m_turnScore->Invalidate();
        }
    }
    if (!m_settingsPanel) {
        m_settingsPanel = RegisterObject(std::make_unique<GameSettingsPanel>(dynamic_cast<GameSettingsHost*>(GetApp())));
        if (m_settingsPanel)
            m_settingsPanel->Hide();
    }
    if (!m_fireworks) {
        engine::PictureDesc fireworks;
        LookupPicture(&fireworks, "她比烟花更多情", 0);
        m_fireworks = CreateSprite(fireworks);
        if (m_fireworks) {
            m_fireworks->SetZ(kFireworksDepth);
            m_fireworks->Hide();
        }
    }
}

void FriendTableView::CreateBoards(int /*count*/)
{
    CardTableView::CreateBoards(kGameSeats);
}

std::unique_ptr<CardPlayerBoard> FriendTableView::MakePlayerBoard(int position, CardArea table) const
{
    return std::make_unique<FriendPlayerBoard>(position, table);
}

std::unique_ptr<CardHand> FriendTableView::MakeHand(CardHandHost& host) const
{
    return std::make_unique<FriendHand>(host);
}

void FriendTableView::LayoutPlayerBoards()
{
    CardTableView::LayoutPlayerBoards();
    for (int chair = 0; chair < kGameSeats; ++chair)
        LayoutDealtCards(chair);
}

bool FriendTableView::GetBoardClockPosition(int position, bool noLastPlay, CardPoint& out) const
{
    if (!CardTableView::GetBoardClockPosition(position, noLastPlay, out))
        return false;
    // Beside the own board the clock stands in the row of the play buttons.
    if (const engine::ImageButton* pass = GetButton(kPassButton); position == 0 && pass)
        out.y = static_cast<int>(pass->GetY());
    return true;
}

std::unique_ptr<CardSprite> FriendTableView::MakeCard() const
{
    return std::make_unique<FriendCardSprite>();
}

void FriendTableView::CreateCards()
{
    CardTableView::CreateCards();
    for (int i = 0; i < kGameCards; ++i)
        if (CardSprite* card = GetCard(i)) {
            m_gameCards[static_cast<size_t>(i)] = dynamic_cast<FriendCardSprite*>(card);
            card->Invalidate();
        }
    if (!m_flipCard) {
        m_flipCard = static_cast<FriendCardSprite*>(RegisterObject(std::make_unique<FriendCardSprite>()));
        if (m_flipCard) {
            m_flipCard->state = kCardHidden;
            m_flipCard->Hide();
        }
    }
}

void FriendTableView::CreateButtons()
{
    CardTableView::CreateButtons();
    for (const GameButtonSpec& spec : kArrangeButtons)
        if (!m_gameButtons[spec.which])
            m_gameButtons[spec.which] = CreateImageButton(spec.picture, spec.code, spec.toolTip, true);
    if (m_gameButtons[kArrangeButton] && m_gameButtons[kRestoreButton])
        m_gameButtons[kArrangeButton]->AddChild(m_gameButtons[kRestoreButton], kRestoreLink);
}

// ---- events ----------------------------------------------------------------------------

int FriendTableView::OnEvent(const engine::EngineEvent& event)
{
    const int param = event.ParamInt();
    switch (event.code) {
    case EVT_OPEN_SETTINGS:
        if (m_settingsPanel) {
            if (m_settingsPanel->IsShown()) {
                m_settingsPanel->Hide();
            } else {
                m_settingsPanel->SetZ(kSettingsPanelDepth);
                m_settingsPanel->Show();
            }
            m_settingsPanel->Invalidate();
        }
        break;
    case EVT_DEAL_STEP: DealStep(); break;
    case EVT_TOGGLE_CARD_COUNTER: ToggleCardCounter(); break;
    case EVT_BEGIN_PLAY:
        m_beginPlayAction = 0;
        BeginPlay();
        break;
    case EVT_SEAT_CHAT_ENDED: OnSeatChatEnded(param); break;
    case EVT_DEAL_END:
        m_dealEndAction = 0;
        EndDeal();
        break;
    case EVT_FIREWORKS_ENDED: OnFireworksEnded(); break;
    case EVT_SEAT_EMOTICON_ENDED: OnSeatEmoticonEnded(param); break;
    case EVT_CLOCK_WATCHDOG: OnClockWatchdogTick(); break;
    case EVT_ARRANGE_SELECTED: ArrangeSelected(); break;
    case EVT_RESTORE_ARRANGEMENT: RestoreArrangement(); break;
    case EVT_SHOW_BONUS_FRAMES: ShowBonusFrames(); break;
    case EVT_HIDE_BONUS_FRAMES: HideBonusFrames(); break;
    case EVT_READY_COUNTDOWN: OnReadyCountdownTick(); break;
    case EVT_MARQUEE_STEP: m_marquee.Step(); break;
    default: return CardTableView::OnEvent(event);
    }
    return 1;
}

void FriendTableView::OnTableArranged()
{
    CardTableView::OnTableArranged();
    if (m_cardCounter)
        m_cardCounter->RefreshMenuNames();
    PlaceSeatChats();
}

void FriendTableView::OnRefresh()
{
    CardTableView::OnRefresh();
    RestoreReplayTable();
    BindOwnBoard(MyChair());
}

std::unique_ptr<engine::EngineObject> FriendTableView::MakeReplayRecorder(bool matchMode)
{
    CardGameApp* app = GetApp();
    return app ? MakeTableRecorder(*app, matchMode) : nullptr;
}

void FriendTableView::SetReplayMaxGap(engine::EngineObject* recorder, uint32_t ms)
{
    frame::SetReplayMaxGap(recorder, ms);
}

void FriendTableView::OpenReplayFile(engine::EngineObject* recorder, const std::string& path)
{
    if (auto* panel = dynamic_cast<frame::ReplayPanel*>(recorder))
        panel->OpenFile(path);
}

void FriendTableView::RestoreReplayTable()
{
    // The replay's header names the game, the recording user and chair;
    // its table block the round, banker, base score and base silver.
    CardGameApp* app = GetApp();
    const auto* panel = dynamic_cast<const frame::ReplayPanel*>(GetReplayRecorder());
    FriendGameData* data = GetGameData();
    if (!app || !app->IsReplayMode() || !panel)
        return;
    const std::span<const uint8_t> header = panel->GetHeader();
    const frame::WireReader head(header.data(), header.size());
    if (head.Has(76)) {
        frame::HallLaunchArgs& args = app->GetHallArgs();
        args.gameId = head.Int(16);
        args.userId = head.Int(68);
        args.chair = head.Int(72);
        args.lookOn = 0;
        args.reenter = 0;
        args.serverHost = "127.0.0.1";
        args.title = "觅友";
    }
    const std::span<const uint8_t> block = panel->GetTableBlock();
    const frame::WireReader table(block.data(), block.size());
    if (data && table.Has(64)) {
        data->SetTableWord(FriendGameData::kRoundNumber, table.Int(28));
        data->SetTableWord(FriendGameData::kBanker, table.Int(32));
        data->SetTableWord(FriendGameData::kBaseScore, table.Int(56));
        data->SetTableWord(FriendGameData::kBaseSilver, table.Int(60));
    }
    for (int chair = 0; chair < kGameSeats; ++chair)
        if (FriendPlayerBoard* board = GetGameChairBoard(chair)) {
            board->SetSeat(ChairToView(chair));
            board->UpdatePlayer(chair);
            // The file's first record already began the round, whose header
            // put the figures away; binding the seats again must not bring
            // them back over the dealt hands.
            if (data && data->IsPlaying())
                board->HideCharacterFigure();
        }
}

bool FriendTableView::ShowReplayHands()
{
    // The replay's snapshot holds each chair's 27 dealt ids (108 bytes a
    // chair); the hands are shown face up and playback pauses on them.
    const CardGameApp* app = GetApp();
    auto* panel = dynamic_cast<frame::ReplayPanel*>(GetReplayRecorder());
    if (!app || !app->IsReplayMode() || !panel)
        return false;
    const std::span<const uint8_t> snapshot = panel->GetSnapshot();
    const frame::WireReader reader(snapshot.data(), snapshot.size());
    for (int chair = 0; chair < kGameSeats; ++chair) {
        const size_t at = 108 * static_cast<size_t>(chair);
        if (!reader.Has(at, 108))
            break;
        int ids[table::kFriendHandSize];
        for (int i = 0; i < table::kFriendHandSize; ++i)
            ids[i] = reader.Int(at + 4 * static_cast<size_t>(i));
        Hand().SetSeatCards(chair, ids, table::kFriendHandSize);
        LayoutDealtCards(chair);
    }
    panel->OnDealShown();
    return true;
}

// ---- layout ------------------------------------------------------------------------------

FriendTableView::Area FriendTableView::ViewArea() const
{
    engine::Rect r;
    GetRect(&r);
    return { r.left, r.top, r.right - r.left, r.bottom - r.top };
}

void FriendTableView::LoadCardBackSizes()
{
    CardTableView::LoadCardBackSizes();
    const int sizeClass = FriendSizeClassForWidth(ViewArea().width);
    engine::PictureDesc big;
    LookupPicture(&big, CardPictureName(false, FriendBigSizePart(sizeClass)), 0);
    SetIntProperty(kPropBigCardWidth, big.width);
    SetIntProperty(kPropBigCardHeight, big.height);
    engine::PictureDesc small;
    LookupPicture(&small, CardPictureName(false, FriendSmallSizePart(sizeClass)), 0);
    SetIntProperty(kPropSmallCardWidth, small.width);
    SetIntProperty(kPropSmallCardHeight, small.height);
}

void FriendTableView::OnRectChanged()
{
    const Area a = ViewArea();
    const bool framesShown = std::any_of(m_bonusFrames.begin(), m_bonusFrames.end(),
        [](const engine::CanvasObject* frame) { return frame && frame->IsShown(); });
    CardTableView::OnRectChanged();
    if (framesShown)
        ShowAllBonusFrames();
    Place(m_settingsPanel, a.left + a.width / 2, a.top + a.height / 2);
    PlacePlayButtons(a);
    PlaceClockInUse(a);
    PlaceGameButton(kArrangeButton, a.left + a.width - 30, a.top + a.height - 74);
    PlaceGameButton(kBonusViewButton, a.left + a.width - 30, a.top + a.height - 47);
    PlaceGameButton(kCardCounterButton, a.left + a.width - 197, a.top + a.height - 17);
    engine::ImageButton* hint = GetButton(kHintButton);
    if (GetPassHint() && hint)
        Place(GetPassHint(), static_cast<int>(hint->GetX()), static_cast<int>(hint->GetY()) + 28);
    Place(m_turnScore, a.width - 5, a.top + 30);
    // The information box stands in the table's top-left corner.
    if (engine::EngineObject* box = GetInfoBox())
        Place(box, a.left + static_cast<int>(box->GetWidth()) / 2, a.top + static_cast<int>(box->GetHeight()) / 2);
    if (m_cardCounter)
        m_cardCounter->PlaceAll();
    if (GetWaitSolo() && GetResultPanel())
        Place(GetWaitSolo(), static_cast<int>(GetResultPanel()->GetX()), static_cast<int>(GetResultPanel()->GetY()));
    if (m_flipCard && m_flipCard->IsShown())
        PlaceFlipCard();
    m_marquee.OnResize();
    RedrawAll();
}

void FriendTableView::PlaceGameButton(GameButton which, int x, int y)
{
    Place(m_gameButtons[which], x, y);
}

void FriendTableView::PlacePlayButtons(const Area& a)
{
    engine::ImageButton* pass = GetButton(kPassButton);
    if (!pass)
        return;
    const int y = static_cast<int>(pass->GetY());
    const int cx = a.left + a.width / 2;
    Place(GetButton(kHintButton), cx, y);
    Place(GetButton(kThrowButton), GetLastPlayChair() != -1 ? cx + 80 : cx, y);
}

void FriendTableView::PlaceClockInUse(const Area& a)
{
    engine::ImageNumber* small = GetTurnClock();
    engine::ImageNumber* old = m_clockInUse;
    if (old) {
        if (small && small != old)
            small->SetValue(old->GetValue());
        if (m_bigClock && m_bigClock != old)
            m_bigClock->SetValue(old->GetValue());
    }
    ChooseClock();
    if (old && m_clockInUse && old != m_clockInUse) {
        SetShown(m_clockInUse, old->IsShown());
        SetShown(old, false);
    }
    (void)a;
    if (!m_clockInUse)
        return;
    const engine::ImageButton* start = GetButton(kStartButton);
    const FriendGameData* data = GetGameData();
    if (IsReadyCountdownRunning() && start && data && !data->IsChairReady(MyChair())) {
        Place(m_clockInUse, static_cast<int>(start->GetX()), static_cast<int>(start->GetY()) - 45);
        return;
    }
    CardPoint at;
    if (data && GetBoardClockPosition(ChairToView(data->GetTableWord56()), GetLastPlayChair() == -1, at))
        Place(m_clockInUse, at.x, at.y);
}

// ---- card counter and hand arrangement ---------------------------------------------------

void FriendTableView::ToggleCardCounter()
{
    if (!m_cardCounter)
        return;
    if (m_cardCounter->IsShown()) {
        SetShown(m_cardCounter, false);
        return;
    }
    const Area a = ViewArea();
    const engine::ImageButton* button = m_gameButtons[kCardCounterButton];
    const int buttonHeight = button ? static_cast<int>(button->GetHeight()) : 0;
    const int w = static_cast<int>(m_cardCounter->GetWidth());
    const int h = static_cast<int>(m_cardCounter->GetHeight());
    m_cardCounter->MoveTo(a.left + a.width - w / 2, a.top + a.height - buttonHeight - h / 2);
    m_cardCounter->Redraw();
    SetShown(m_cardCounter, true);
}

void FriendTableView::UpdateArrangeButtons()
{
    if (IsLookerOn())
        return;
    int held = 0;
    int selected = 0;
    for (const FriendCardSprite* card : m_gameCards)
        if (card && card->state == kCardInHand && card->ownerChair == MyChair()) {
            ++held;
            selected += card->selected != 0;
        }
    SetShown(m_gameButtons[kArrangeButton], held > 0 && selected > 0);
    SetShown(m_gameButtons[kRestoreButton], held > 0 && selected == 0);
}

void FriendTableView::ArrangeSelected()
{
    std::vector<FriendCardSprite*> hand;
    for (FriendCardSprite* card : m_gameCards)
        if (card && card->state == kCardInHand && card->ownerChair == MyChair())
            hand.push_back(card);
    std::sort(hand.begin(), hand.end(), [](const CardSprite* a, const CardSprite* b) { return a->order < b->order; });
    int group = 0;
    bool any = false;
    for (const FriendCardSprite* card : hand) {
        group = std::max(group, card->GetGroup());
        any = any || card->selected != 0;
    }
    if (!any)
        return;
    for (FriendCardSprite* card : hand)
        if (card->selected != 0)
            card->SetGroup(++group);
    SortOwnHand();
    Hand().DeselectAll();
    UpdateArrangeButtons();
}

void FriendTableView::RestoreArrangement()
{
    ClearGroups();
    SortOwnHand();
    UpdateArrangeButtons();
}

void FriendTableView::ClearGroups()
{
    for (FriendCardSprite* card : m_gameCards)
        if (card)
            card->SetGroup(0);
}

void FriendTableView::SortOwnHand()
{
    SortHand(GetSortMode());
}

void FriendTableView::SetShown(engine::EngineObject* object, bool shown)
{
    if (!object)
        return;
    if (shown)
        object->Show();
    else
        object->Hide();
    object->Invalidate();
}

// ---- access ----------------------------------------------------------------------------------

FriendGameData* FriendTableView::GetGameData() const
{
    return dynamic_cast<FriendGameData*>(GetGameState());
}

FriendCardSprite* FriendTableView::GetGameCard(int index) const
{
    return index >= 0 && index < kGameCards ? m_gameCards[static_cast<size_t>(index)] : nullptr;
}

FriendPlayerBoard* FriendTableView::GetGameBoard(int position) const
{
    return dynamic_cast<FriendPlayerBoard*>(GetPlayerBoard(position));
}

FriendPlayerBoard* FriendTableView::GetGameChairBoard(int chair) const
{
    return chair >= 0 && chair < kGameSeats ? GetGameBoard(ChairToView(chair)) : nullptr;
}

int FriendTableView::MyChair() const
{
    const CardGameApp* app = GetApp();
    return app ? app->GetChair() : 0;
}

engine::CanvasObject* FriendTableView::GetBonusFrame(int chair) const
{
    return chair >= 0 && chair < kGameSeats ? m_bonusFrames[static_cast<size_t>(chair)] : nullptr;
}

std::string FriendTableView::ChairName(int chair) const
{
    const CardGameApp* app = GetApp();
    return app ? app->GetChairName(chair) : std::string();
}

int FriendTableView::TableWord(size_t offset) const
{
    const FriendGameData* data = GetGameData();
    return data ? data->TableWord(offset) : 0;
}

void FriendTableView::SetTableWord(size_t offset, int value)
{
    if (FriendGameData* data = GetGameData())
        data->SetTableWord(offset, value);
}

int FriendTableView::Banker() const
{
    return TableWord(FriendGameData::kBanker);
}

int FriendTableView::FlipCard() const
{
    return TableWord(kFlipCard);
}

bool FriendTableView::IsSilverRoom() const
{
    const CardGameApp* app = GetApp();
    return app && app->IsSilverRoom();
}

// ---- dealing ---------------------------------------------------------------------------------

void FriendTableView::BeginDeal()
{
    const bool firstRound = TableWord(FriendGameData::kRoundNumber) == 1;
    if (firstRound)
        AddChatLine(SystemLine("第一局，翻牌决定庄家"));
    if (m_flipCard) {
        m_flipCard->LoadImages();
        m_flipCard->faceUp = firstRound ? 1 : 0;
        m_flipCard->state = kCardInPile;
        m_flipCard->cardId = FlipCard();
        m_flipCard->order = firstRound ? kFlipPileOrder : 0;
        m_flipCard->Update();
    }
    m_dealCount = 0;
    SetDealing(true);
    m_dealStartChair = FirstDealChair(TableWord(FriendGameData::kRoundNumber), Banker());
    m_dealChair = m_dealStartChair;
    if (m_dealAction)
        CancelAction(m_dealAction);
    const engine::EngineEvent step(GetId(), EVT_DEAL_STEP, 0, 0);
    m_dealAction = RepeatEvent(kDealStepMs, -1, &step);
}

void FriendTableView::DealStep()
{
    const int k = m_dealCount;
    FriendCardSprite* card = GetGameCard(k);
    if (!m_dealing || !card)
        return;
    PlayTableSound("Snd_DealCard");
    card->ownerChair = m_dealChair;
    card->seat = ChairToView(m_dealChair);
    card->state = kCardInHand;
    card->order = k / kGameSeats;
    card->faceUp = 0;
    card->cardId = -1;
    card->selected = 0;
    const int banker = Banker();
    if (IsBankerShowStep(k, m_dealChair, banker, TableWord(kFlipPlace))) {
        AddChatLine(BankerLine(TableWord(FriendGameData::kRoundNumber) == 1, ChairName(banker), FlipCard()));
        PlaceFlipCard();
    }
    if (m_dealChair == MyChair() && !IsLookerOn()) {
        card->faceUp = 1;
        card->cardId = TableWord(kOwnHand + 4 * static_cast<size_t>(k / kGameSeats));
    }
    card->Update();
    LayoutDealtCards(m_dealChair);
    SortOwnHand();
    ++m_dealCount;
    m_dealChair = PrevChair(m_dealChair);
    if (m_dealCount < kGameCards)
        return;
    CancelAction(m_dealAction);
    m_dealAction = 0;
    SetDealing(false);
    ClearGroups();
    SortOwnHand();
    const engine::EngineEvent end(GetId(), EVT_DEAL_END, 0, 0);
    m_dealEndAction = Delay(kDealPauseMs, &end);
}

void FriendTableView::EndDeal()
{
    HideFlipCard();
    MarkFriendCards();
    OnDealFinished();
}

void FriendTableView::FinishDeal(bool withTurn)
{
    // The round went on while the deal was still being shown (a replay
    // that seeks or steps back plays the records past the deal at once):
    // the rest of the deal, its end and the banker's turn come now, before
    // the news, or the deal's timers would deal over the plays later.
    while (m_dealing && m_dealCount < kGameCards && GetGameCard(m_dealCount))
        DealStep();
    if (m_dealEndAction) {
        CancelAction(m_dealEndAction);
        m_dealEndAction = 0;
        EndDeal();
    }
    if (m_beginPlayAction) {
        CancelAction(m_beginPlayAction);
        m_beginPlayAction = 0;
        if (withTurn)
            BeginPlay();
    }
}

void FriendTableView::CancelDeal()
{
    for (uint64_t* action : { &m_dealAction, &m_dealEndAction, &m_beginPlayAction }) {
        if (*action)
            CancelAction(*action);
        *action = 0;
    }
    SetDealing(false);
}

void FriendTableView::SetDealing(bool dealing)
{
    // The boards keep their remaining-card numbers hidden while dealing.
    m_dealing = dealing;
    for (int position = 0; position < kGameSeats; ++position)
        if (FriendPlayerBoard* board = GetGameBoard(position))
            board->SetDealing(dealing);
}

void FriendTableView::LayoutDealtCards(int chair)
{
    // The hand at the own seat keeps the order the deal gave it; the other
    // hands are ordered by card.
    LayoutSeatCards(chair);
}

void FriendTableView::OnDealFinished()
{
    // The banker's turn starts a second later (BeginPlay), not here.
    if (engine::ImageButton* start = GetButton(kStartButton)) {
        start->Hide();
        start->Invalidate();
    }
    if (!ShowReplayHands() && IsAutoPlayOn())
        if (FriendPlayerBoard* own = GetGameBoard(0))
            own->SetAutoPlay(1);
    SetTeamMark(Banker());
    ShowPlayButtons(1);
    UpdateArrangeButtons();
    PlayTableSound("Snd_Start");
    if (m_cardCounter) {
        m_cardCounter->Reset();
        for (int id = 0; id < kGameCards; ++id)
            m_cardCounter->AddCard(id);
        for (const FriendCardSprite* card : m_gameCards) {
            if (!card || card->state != kCardInHand)
                continue;
            if (card->ownerChair == MyChair() && !IsLookerOn())
                m_cardCounter->RemoveCard(card->cardId);
            else
                m_cardCounter->AddPlayedCard(card->ownerChair,
                    card->cardId == -1 ? CardCounterPanel::kUnknownCard : card->cardId);
        }
        if (m_cardCounter->IsShown())
            m_cardCounter->Redraw();
    }
    const engine::EngineEvent begin(GetId(), EVT_BEGIN_PLAY, 0, 0);
    m_beginPlayAction = Delay(kDealPauseMs, &begin);
}

void FriendTableView::BeginPlay()
{
    if (FriendGameData* data = GetGameData())
        data->SetStatus(kPlayPhaseStatus);
    const int banker = Banker();
    LayoutDealtCards(banker);
    if (banker == MyChair())
        SortOwnHand();
    StartTurnClock();
    const FriendGameData* data = GetGameData();
    SetTurn(banker, data ? data->GetTurnSeconds() : 0);
    SetShown(m_clockInUse, true);
    OnMyTurn();
}

void FriendTableView::SetTurn(int chair, int seconds)
{
    CardTableView::SetTurn(chair, seconds);
    SyncClockInUse();
}

void FriendTableView::SyncClockInUse()
{
    // The card layer runs its turn clock; a wide table shows the big one
    // in its place with its number.
    engine::ImageNumber* small = GetTurnClock();
    if (!small || !m_bigClock || m_clockInUse != m_bigClock)
        return;
    m_bigClock->SetValue(small->GetValue());
    m_bigClock->MoveTo(small->GetX(), small->GetY());
    // The small clock shown by the card layer hands its place over; once
    // hidden here it no longer says whether the clock runs.
    if (small->IsShown()) {
        SetShown(m_bigClock, true);
        SetShown(small, false);
    }
}

// ---- banker and friend -------------------------------------------------------------------

void FriendTableView::PlaceFlipCard()
{
    if (!m_flipCard)
        return;
    // Beside the banker's hand, measured from the table's edges.
    const Area a = ViewArea();
    const int l = a.left;
    const int t = a.top;
    const int w = a.width;
    const int h = a.height;
    const int cw = m_flipCard->GetSmallWidth();
    const int ch = m_flipCard->GetSmallHeight();
    CardPoint at;
    switch (ChairToView(Banker())) {
    case 1: at = { l + cw / 2 + ch + 85, t + h / 2 }; break;
    case 2: at = { l + w / 2, t + ch / 2 + ch + 40 }; break;
    case 3: at = { l + w - cw / 2 - ch - 85, t + h / 2 }; break;
    default: at = { l + w / 2, t + h - ch / 2 - ch - 100 }; break;
    }
    m_flipCard->MoveTo(at.x, at.y);
    if (!m_flipCard->faceUp) {
        m_flipCard->faceUp = 1;
        m_flipCard->RefreshPilePicture();
    }
    m_flipCard->Show();
    m_flipCard->Invalidate();
}

void FriendTableView::HideFlipCard()
{
    if (!m_flipCard)
        return;
    m_flipCard->state = kCardHidden;
    m_flipCard->Update();
}

void FriendTableView::MarkFriendCards()
{
    if (IsLookerOn())
        return;
    const int flip = FlipCard();
    for (FriendCardSprite* card : m_gameCards) {
        if (!card || card->state != kCardInHand || card->ownerChair != MyChair())
            continue;
        const bool copy = flip >= 0 && card->cardId >= 0 && table::CallCardSuit(card->cardId) == table::CallCardSuit(flip)
            && table::CallCardFace(card->cardId) == table::CallCardFace(flip);
        card->SetEdgeMark(copy);
    }
}

void FriendTableView::ClearFriendMarks()
{
    for (FriendCardSprite* card : m_gameCards)
        if (card)
            card->SetEdgeMark(false);
}

void FriendTableView::SetTeamMark(int chair)
{
    if (FriendPlayerBoard* board = GetGameChairBoard(chair))
        board->SetTeamMark(1);
}

void FriendTableView::RevealFriend(const ThrownPlay& thrown)
{
    const int chair = thrown.chair;
    const std::span<const int> ids(thrown.play.cards, static_cast<size_t>(thrown.play.count));
    const int banker = Banker();
    const int revealed = RevealedFriend(TableWord(TS::kFriendRevealedOffset), banker, FlipCard(), chair, ids);
    if (revealed < 0)
        return;
    SetTableWord(TS::kFriendRevealedOffset, revealed);
    PlayTableSound("Snd_Whistler");
    SetTeamMark(revealed);
    ShowSeatEmoticon(revealed, "#握手");
    ShowSeatEmoticon(banker, "#握手");
    AddChatLine(FriendLine(ChairName(banker), ChairName(revealed), false));
}

bool FriendTableView::IsOppositeChair(int chair) const
{
    return IsSameSide(chair, MyChair(), Banker(), TableWord(kFriendChair));
}

void FriendTableView::DrawInfoNumber(engine::CanvasObject& canvas, int x, int y, int value, std::string_view unit)
{
    for (const char c : std::to_string(value)) {
        engine::PictureDesc digit;
        LookupPicture(&digit, "digit_basescore", c == '-' ? 10 : c - '0');
        canvas.BlitPicture(digit, x, y, digit.width, digit.height, 0, 1.0);
        x += digit.width;
    }
    engine::PictureDesc glyph;
    LookupPicture(&glyph, "str_" + std::string(unit), 0);
    canvas.BlitPicture(glyph, x, y, glyph.width, glyph.height, 0, 1.0);
}

void FriendTableView::ShowGameInfoBox()
{
    engine::CanvasObject* box = MakeInfoBox(kInfoBoxWidth, kInfoBoxHeight);
    if (!box)
        return;
    box->Clear();
    auto blit = [&](std::string_view name, int frame, int x, int y) {
        engine::PictureDesc picture;
        LookupPicture(&picture, name, frame);
        box->BlitPicture(picture, x, y, picture.width, picture.height, 0, 1.0);
    };
    blit("str_基础分", 0, 10, 10);
    DrawInfoNumber(*box, 75, 12, TableWord(FriendGameData::kBaseScore), "分");
    int y = 32;
    if (IsSilverRoom()) {
        blit("str_基础银", 0, 10, 32);
        DrawInfoNumber(*box, 75, 34, TableWord(FriendGameData::kBaseSilver), "两");
        y = 54;
    }
    blit("str_庄家", 0, 10, y);
    box->SetPen(0x1cffb, 1.0);
    box->SetFont(14, 700, "宋体");
    box->DrawText(78, y + 1, ChairName(Banker()));
    const FriendGameData* data = GetGameData();
    if (data && (data->GetStatus() & FriendGameData::kStatusPlayPhase)) {
        blit("str_找朋友", 0, 10, y + 22);
        // The corner sheet holds one deck's 54 faces; the second deck's
        // copy shows the same corner.
        if (const int flip = FlipCard(); flip != -1)
            blit("牌角", ((flip % 54) + 54) % 54, 78, y + 22);
    }
    const Area a = ViewArea();
    box->MoveTo(a.left + kInfoBoxWidth / 2, a.top + kInfoBoxHeight / 2);
    box->SetOpacity(1.0);
    box->Show();
    box->Invalidate();
}

void FriendTableView::ShowMatchInfoBox()
{
    engine::CanvasObject* box = MakeInfoBox(kMatchInfoBoxSize, kMatchInfoBoxSize);
    if (!box)
        return;
    box->Clear();
    DrawMatchInfo(*box, { 20, 40 }, { 0, 15 });
    const Area a = ViewArea();
    box->MoveTo(a.left + kMatchInfoBoxSize / 2, a.top + kMatchInfoBoxSize / 2);
    RevealInfoBox(*box);
}

// ---- rebuilding a running round --------------------------------------------------------------

// The trick under way when the round is rebuilt: pass and hint answer it and
// a throw has to beat it. A last play the table could not have taken (a
// chair outside the table, no cards or more than a hand) leaves the trick
// open.
void FriendTableView::RestoreLastPlay(const table::FriendTableState& state)
{
    const int chair = state.lastPlayChair;
    const table::PlayRecord& play = state.lastPlay;
    const bool taken = chair >= 0 && chair < kGameSeats && play.type != 0 && play.count > 0
        && play.count <= table::kFriendHandSize;
    SetLastPlay(taken ? chair : -1, taken ? play : table::PlayRecord());
    KeepLastPlay(taken ? chair : -1, taken ? play : table::PlayRecord());
}

void FriendTableView::OnRoundStart()
{
    const FriendGameData* data = GetGameData();
    const CardGameApp* app = GetApp();
    // Only a running round is rebuilt; between rounds the table keeps what
    // the last result showed.
    if (!data || !data->IsPlaying())
        return;
    const TS state = data->GetTableState();
    if (app && app->IsInGame())
        for (int position = 0; position < kGameSeats; ++position)
            if (FriendPlayerBoard* board = GetGameBoard(position))
                board->HideCharacterFigure();
    if (engine::ImageButton* start = GetButton(kStartButton)) {
        start->Hide();
        start->Invalidate();
    }
    if (!IsLookerOn()) {
        uint8_t own[4];
        frame::StoreLe32(own, static_cast<uint32_t>(MyChair()));
        if (data->TableWord(kChairStatus + 4 * static_cast<size_t>(MyChair())) & kAutoPlayFlag)
            SendTableMessage(kTableMsgAutoPlayOff, own, sizeof own);
        SendTableMessage(kTableMsgPresent, nullptr, 0);
    }
    for (int i = 0; i < kGameCards; ++i) {
        FriendCardSprite* card = GetGameCard(i);
        if (!card)
            continue;
        const table::CardRecord& record = state.cards[i];
        card->Reset();
        const bool atTable = record.owner >= 0 && record.owner < kGameSeats;
        card->ownerChair = atTable ? record.owner : -1;
        card->seat = atTable ? ChairToView(record.owner) : -1;
        card->cardId = record.id >= 0 && record.id < kGameCards ? record.id : -1;
        card->faceUp = card->cardId != -1;
        // A record from the server names a state; one the sprite does not
        // know stays hidden.
        card->state = atTable && record.state >= kCardInPile && record.state <= kCardPlayed ? record.state : kCardHidden;
        card->order = record.position;
        card->count = record.extra;
        card->selected = 0;
        card->Update();
    }
    for (int chair = 0; chair < kGameSeats; ++chair) {
        LayoutDealtCards(chair);
        FriendPlayerBoard* board = GetGameChairBoard(chair);
        if (!board)
            continue;
        board->SetBombCount(state.runningScore[chair]);
        if (state.finished[chair] && state.place[chair] >= 1 && state.place[chair] <= kGameSeats)
            board->ShowFinishRank(state.place[chair] - 1);
    }
    const int banker = state.header.banker;
    SetTeamMark(banker);
    if (state.friendRevealed >= 0 && state.friendRevealed < kGameSeats)
        SetTeamMark(state.friendRevealed);
    RestoreLastPlay(state);
    StartTurnClock();
    const int turnSeconds = data->GetTurnSeconds();
    const int seconds = std::clamp(turnSeconds - data->TableWord(kUsedSeconds), 1, std::max(1, turnSeconds));
    // The turn does not move: of the cards on the table only the current
    // chair's own last play goes, as when its turn came; the others' plays,
    // the one to answer among them, stay.
    if (GameState* turn = GetGameState(); turn && state.header.currentChair >= 0 && state.header.currentChair < kGameSeats)
        turn->SetTableWord56(NextChair(state.header.currentChair));
    // SetTurn refuses a chair outside the table.
    SetTurn(state.header.currentChair, seconds);
    if (app && app->IsMatchMode())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
    SortHand(kSortBySizeDown);
    ShowPlayButtons(1);
    OnMyTurn();
    UpdateArrangeButtons();
    if (!IsLookerOn())
        for (int chair = 0; chair < kGameSeats; ++chair) {
            FriendPlayerBoard* board = GetGameChairBoard(chair);
            if (chair == MyChair() || !board)
                continue;
            const int flags = data->TableWord(kChairStatus + 4 * static_cast<size_t>(chair));
            if (flags & kAutoPlayFlag)
                board->SetAutoPlay(1);
            if (flags & kOfflineFlags)
                board->SetOffline(1);
        }
    MarkFriendCards();
}

} // namespace game
