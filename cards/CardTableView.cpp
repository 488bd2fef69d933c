#include "cards/CardTableView.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/controls/widgets/ToolTip.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/GameState.h"
#include "frame/ui/GameFrame.h"
#include "cards/CardGameApp.h"
#include "cards/CardPlayerBoard.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"

#include <algorithm>

namespace game {

namespace {

struct ButtonSpec {
    CardTableView::Button which;
    const char* picture;
    int code;
    const char* toolTip;
    bool handCursor;
};

constexpr ButtonSpec kButtons[] = {
    { CardTableView::kStartButton, "btn_StartGame", EVT_START_CLICKED, "", true },
    { CardTableView::kThrowButton, "btnThrow", EVT_THROW, "", true },
    { CardTableView::kPassButton, "btnPass", EVT_PASS, "", true },
    { CardTableView::kHintButton, "btnRemaind", EVT_HINT, "", true },
    { CardTableView::kSinglesButton, "btn_Sort1", EVT_SELECT_SINGLES, "单张", true },
    { CardTableView::kPairsButton, "btn_Sort2", EVT_SELECT_PAIRS, "对子", true },
    { CardTableView::kTriplesButton, "btn_Sort3", EVT_SELECT_TRIPLES, "三张", true },
    { CardTableView::kBombsButton, "btn_SortBomb", EVT_SELECT_BOMBS, "炸弹", true },
    { CardTableView::kSortBySizeButton, "btn_SortBig", EVT_SORT_BY_SIZE, "大小排序", true },
    { CardTableView::kSortByCountButton, "btn_SortType", EVT_SORT_BY_COUNT, "张数排序", true },
    { CardTableView::kAutoPlayButton, "btn_AutoPlay", EVT_AUTO_PLAY, "", true },
    { CardTableView::kResultButton, "btn_CheckResult", EVT_CHECK_RESULT, "", true },
    { CardTableView::kAskViewButton, "btn_AskCardView", EVT_ASK_VIEW_CARDS, "", false },
};

// The character canvas follows the result panel it stands beside.
constexpr uint32_t kCharacterLinkFlags = 0x13c0eb;
constexpr uint32_t kColourKey = 0xff00ff;

// The bottom-right row, right to left: bombs, triples, pairs, singles, sort
// by count, sort by size, 30 pixels apart.
constexpr CardTableView::Button kCornerRow[] = {
    CardTableView::kBombsButton,
    CardTableView::kTriplesButton,
    CardTableView::kPairsButton,
    CardTableView::kSinglesButton,
    CardTableView::kSortByCountButton,
    CardTableView::kSortBySizeButton,
};

} // namespace


// ---- construction --------------------------------------------------------------------

int CardTableView::OnCreate()
{
    Show();
    engine::PictureDesc pattern;
    LookupPicture(&pattern, "bit_BkgPattern", 0);
    m_backgroundPattern = CreateSprite(pattern);
    if (m_backgroundPattern) {
        m_backgroundPattern->SetZ(kBackgroundPatternDepth);
        m_backgroundPattern->Show();
    }
    CreateClock();
    CreateScorePens();
    CreateClickLayer();
    CreateBoards(ChairCount());
    CreateCards();
    CreateButtons();
    // The play buttons and the pass hint show only on the player's turn;
    // automatic play belongs to the players at the table and asking to see
    // the cards to the lookers-on, and the two share their corner.
    HidePlayButtons();
    const CardGameApp* app = GetApp();
    const bool lookOn = app && app->IsLookOn();
    if (engine::ImageButton* button = m_buttons[lookOn ? kAutoPlayButton : kAskViewButton]) {
        button->Hide();
        button->Invalidate();
    }
    if (m_passHint)
        m_passHint->Hide();
    const GameState* state = GetGameState();
    if (!state || !state->IsPlaying())
        ResetRoundState();
    ApplySoundSettings();
    return 0;
}

void CardTableView::CreateBoards(int count)
{
    m_boardCount = std::clamp(count, 0, kMaxBoards);
    for (int chair = 0; chair < m_boardCount; ++chair)
        CreatePlayerBoard(chair, ChairToView(chair));
}

std::unique_ptr<CardPlayerBoard> CardTableView::MakePlayerBoard(int position, CardArea table) const
{
    return std::make_unique<CardPlayerBoard>(position, table);
}

void CardTableView::CreatePlayerBoard(int /*chair*/, int position)
{
    if (position < 0 || position >= kMaxBoards || GetBoard(position))
        return;
    const Area a = ViewArea();
    SetBoard(position, RegisterObject(MakePlayerBoard(position, { a.left, a.top, a.width, a.height })));
}

void CardTableView::LayoutPlayerBoards()
{
    const Area a = ViewArea();
    for (int position = 0; position < m_boardCount; ++position)
        if (CardPlayerBoard* board = GetPlayerBoard(position)) {
            board->SetTableArea({ a.left, a.top, a.width, a.height });
            board->PlaceBoard();
        }
}

bool CardTableView::BoardShowsCharacter(int position) const
{
    const CardPlayerBoard* board = GetPlayerBoard(position);
    return board && board->IsCharacterFigureShown();
}

bool CardTableView::GetBoardClockPosition(int position, bool noLastPlay, CardPoint& out) const
{
    const CardPlayerBoard* board = GetPlayerBoard(position);
    if (!board)
        return false;
    out = board->GetClockPosition(noLastPlay ? 1 : 0);
    return true;
}

CardPlayerBoard* CardTableView::GetPlayerBoard(int position) const
{
    return dynamic_cast<CardPlayerBoard*>(GetBoard(position));
}

std::string CardTableView::CharacterPictureName(int figure) const
{
    if (frame::GameFrame* main = GetGameFrame())
        return main->GetCharacterImageName(figure, kCharacterLargeSize);
    return CharacterPicture(*const_cast<CardTableView*>(this), figure, kCharacterLargeSize);
}

frame::GameFrame* CardTableView::GetGameFrame() const
{
    const CardGameApp* app = GetApp();
    return app ? dynamic_cast<frame::GameFrame*>(app->GetMainView()) : nullptr;
}

void CardTableView::SetBoard(int position, engine::EngineObject* board)
{
    if (position >= 0 && position < kMaxBoards)
        m_boards[static_cast<size_t>(position)] = board;
}

engine::EngineObject* CardTableView::GetBoard(int position) const
{
    return position >= 0 && position < kMaxBoards ? m_boards[static_cast<size_t>(position)] : nullptr;
}

std::unique_ptr<CardSprite> CardTableView::MakeCard() const
{
    return std::make_unique<CardSprite>();
}

void CardTableView::CreateCards()
{
    const int wanted = std::clamp(GetCardCount(), 0, CardSprite::kCardIds);
    for (int i = m_cardCount; i < wanted; ++i) {
        auto* card = static_cast<CardSprite*>(RegisterObject(MakeCard()));
        if (!card)
            break;
        // Hidden until dealt: a layout updates every card, and a new card
        // would otherwise show in the deal pile.
        card->state = kCardHidden;
        card->Hide();
        m_cards[static_cast<size_t>(i)] = card;
        m_cardCount = i + 1;
    }
}

CardSprite* CardTableView::GetCard(int index) const
{
    return index >= 0 && index < m_cardCount ? m_cards[static_cast<size_t>(index)] : nullptr;
}

void CardTableView::CreateClickLayer()
{
    if (m_clickLayer)
        return;
    m_clickLayer = CreateObject();
    if (!m_clickLayer)
        return;
    SetInputListener(m_clickLayer->GetId());
    // A right press both takes back a selection and, like a left press,
    // may end automatic play.
    m_clickLayer->SubscribeEvent(engine::EVT_RBUTTON_DOWN, GetId(), EVT_TABLE_RBUTTON, 0, 0);
    m_clickLayer->SubscribeEvent(engine::EVT_RBUTTON_DOWN, GetId(), EVT_TABLE_PRESS, 0, 0);
    m_clickLayer->SubscribeEvent(engine::EVT_LBUTTON_DOWN, GetId(), EVT_TABLE_PRESS, 0, 0);
}

void CardTableView::CreateClock()
{
    if (m_turnClock.Digits())
        return;
    auto* digits = static_cast<engine::ImageNumber*>(RegisterObject(std::make_unique<engine::ImageNumber>()));
    if (!digits)
        return;
    digits->CreateDigits("digiti_Clock", 0);
    digits->SetZ(kTableDigitDepth);
    digits->Hide();
    m_turnClock.SetDigits(digits);
}

void CardTableView::CreateScorePens()
{
    if (!m_digitPen) {
        auto pen = std::make_unique<engine::ImageNumber>();
        pen->SetName("DigitPen");
        m_digitPen = static_cast<engine::ImageNumber*>(RegisterObject(std::move(pen)));
        if (m_digitPen) {
            m_digitPen->CreateDigits("digit_Pen", 0);
            engine::PictureDesc sign;
            m_digitPen->AddGlyph("+", *LookupPicture(&sign, "digit_Pen", 10));
            m_digitPen->AddGlyph("-", *LookupPicture(&sign, "digit_Pen", 11));
            m_digitPen->SetZ(kTableDigitDepth);
        }
    }
    if (!m_digitPen2) {
        auto pen = std::make_unique<engine::ImageNumber>();
        pen->SetName("DigitPen2");
        m_digitPen2 = static_cast<engine::ImageNumber*>(RegisterObject(std::move(pen)));
        if (m_digitPen2) {
            m_digitPen2->CreateDigits("digit_Pen2", 0);
            m_digitPen2->SetZ(kTableDigitDepth);
        }
    }
    if (!m_passHint) {
        engine::PictureDesc hint;
        LookupPicture(&hint, "过牌提示", 0);
        m_passHint = CreateSprite(hint);
    }
}

void CardTableView::CreateButtons()
{
    for (const ButtonSpec& spec : kButtons)
        if (!m_buttons[spec.which])
            m_buttons[spec.which] = CreateImageButton(spec.picture, spec.code, spec.toolTip, spec.handCursor);
}

engine::ImageButton* CardTableView::CreateImageButton(std::string_view picture, int clickCode,
    std::string_view toolTip, bool handCursor)
{
    auto* button = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
    if (!button)
        return nullptr;
    engine::PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    const engine::EngineEvent click(GetId(), clickCode, 0, 0);
    button->Create(desc, &click, 0, 0);
    button->SetSound(1, "SndTouchButton");
    button->SetSound(2, "SndHitButton");
    button->SetZ(kTableButtonDepth);
    button->SetHandCursor(handCursor);
    button->Show();
    if (!toolTip.empty())
        CreateToolTip(button, toolTip);
    return button;
}

void CardTableView::CreateToolTip(engine::EngineObject* target, std::string_view text)
{
    auto* tip = static_cast<engine::ToolTip*>(RegisterObject(std::make_unique<engine::ToolTip>()));
    if (tip)
        tip->Attach(target, text, kToolTipWidth);
}

engine::SpriteObject* CardTableView::MakeWaitSolo()
{
    if (!m_waitSolo) {
        engine::PictureDesc desc;
        LookupPicture(&desc, "waitsolo", 0);
        m_waitSolo = CreateSprite(desc);
        if (m_waitSolo)
            m_waitSolo->Hide();
        PlaceWaitSolo();
    }
    return m_waitSolo;
}

engine::CanvasObject* CardTableView::MakeInfoBox(int width, int height)
{
    if (!m_infoBox) {
        m_infoBox = CreateCanvas(width, height, kColourKey);
        PlaceInfoBox(ViewArea());
    }
    return m_infoBox;
}

// ---- events ----------------------------------------------------------------------------

int CardTableView::OnEvent(const engine::EngineEvent& event)
{
    const int code = event.code;
    if (code >= EVT_CARD_FIRST && code <= EVT_CARD_LAST) {
        OnCardEvent(event);
        return 1;
    }
    if (code >= EVT_BUTTON_FIRST && code <= EVT_BUTTON_LAST) {
        OnButtonEvent(code);
        return 1;
    }
    switch (code) {
    case EVT_AUTO_PASS: OnAutoPassEvent(); break;
    case EVT_TABLE_ARRANGED: OnTableArranged(); break;
    case EVT_TABLE_RESET: OnTableReset(); break;
    case EVT_START_CLICKED: OnStartClicked(); break;
    case EVT_ANSWER_VIEW_CARDS: AnswerViewCards(event.param, event.data); break;
    case EVT_REFRESH_BOARDS: RefreshBoards(); break;
    case EVT_REFRESH_SEATED_LOOK_ON:
    case EVT_REFRESH_SEATED_ALT: RefreshSeatedBoards(); break;
    case EVT_PLAYER_ENTER: OnPlayerEnter(event.param); break;
    case EVT_PLAYER_LEAVE: OnPlayerLeave(event.param); break;
    case EVT_LOOKER_ENTER: OnLookerEnter(event.param); break;
    case EVT_LOOKER_LEAVE: OnLookerLeave(event.param); break;
    case EVT_RANDOM_SEAT: OnRandomSeat(); break;
    case EVT_TABLE_CHANGED: OnTableChanged(); break;
    case EVT_MATCH_RANKS: ShowMatchRanks(); break;
    case EVT_REFRESH_MY_BOARD: RefreshMyBoard(); break;
    case EVT_REDRAW_MY_BOARD: RedrawMyBoard(); break;
    case EVT_STOP_TURN_CLOCK: StopTurnClock(); break;
    case EVT_OPEN_SETTINGS: break; // the game's settings panel takes it
    case EVT_SOUND_SETTINGS: ApplySoundSettings(); break;
    case EVT_CHANGE_TABLE: RequestChangeTable(); break;
    case EVT_NEW_TABLE: RequestNewTable(); break;
    case EVT_DEAL_STEP: DealStep(); break;
    case EVT_CLOCK_TICK: OnClockTick(); break;
    case EVT_DRAG_RESULT_PANEL: MoveResultPanel(event); break;
    case EVT_ROUND_CLEARED: OnRoundCleared(); break;
    case EVT_TABLE_PRESS: OnTablePress(event); break;
    case EVT_SHOW_CHARACTER: ShowCharacter(event.param); break;
    case EVT_HIDE_CHARACTER:
        if (m_characterCanvas)
            m_characterCanvas->Hide();
        break;
    default: return GameTableView::OnEvent(event);
    }
    return 1;
}

void CardTableView::OnButtonEvent(int code)
{
    switch (code) {
    case EVT_THROW: OnThrowClicked(); break;
    case EVT_PASS: OnPassClicked(); break;
    case EVT_HINT: OnHintClicked(); break;
    case EVT_ASK_VIEW_CARDS:
    case EVT_ASK_VIEW_CARDS2: AskViewCards(); break;
    case EVT_CHECK_RESULT: OnCheckResultClicked(); break;
    case EVT_CLOSE_RESULT: CloseResultPanel(); break;
    case EVT_CONTINUE_GAME: ContinueGame(); break;
    case EVT_SELECT_SINGLES: SelectSingles(code); break;
    case EVT_SELECT_PAIRS: SelectPairs(code); break;
    case EVT_SELECT_TRIPLES: SelectTriples(code); break;
    case EVT_SELECT_BOMBS: SelectBombs(code); break;
    case EVT_SORT_BY_SIZE: ToggleSortBySize(); break;
    case EVT_SORT_BY_COUNT: ToggleSortByCount(); break;
    case EVT_SORT_MODE3: ToggleSortMode3(); break;
    case EVT_AUTO_PLAY: OnAutoPlayClicked(); break;
    case EVT_CLOSE_WINDOW:
        if (const CardGameApp* app = GetApp())
            platform::PostMessage(app->GetMainWindowHandle(), platform::kWmClose, 0, 0);
        break;
    case EVT_PLAY_OPTION_OFF: SendPlayOption(1, 0); break;
    default:
        if (code >= EVT_PLAY_OPTION_1 && code <= EVT_PLAY_OPTION_3)
            SendPlayOption(0, code - (EVT_PLAY_OPTION_1 - 1));
        break;
    }
}

void CardTableView::OnTablePress(const engine::EngineEvent& event)
{
    // While automatic play is on, a press on the bare table turns it off.
    const auto* input = event.DataAs<const engine::InputState>();
    if (!m_autoPlay.IsOn() || !input || input->hoveredId != 0)
        return;
    const Area a = ViewArea();
    if (input->x >= a.left && input->x < a.left + a.width && input->y >= a.top && input->y < a.top + a.height)
        OnAutoPlayClicked();
}

void CardTableView::ShowCharacter(engine::MessageWord figure)
{
    if (!m_resultPanel)
        return;
    if (!m_characterCanvas) {
        m_characterCanvas = CreateCanvas(kCharacterCanvasWidth, kCharacterCanvasHeight, kColourKey);
        if (!m_characterCanvas)
            return;
        m_characterCanvas->MoveTo(m_resultPanel->GetX() - m_resultPanel->GetWidth() / 2 - 67,
            m_resultPanel->GetY());
        m_characterCanvas->SetZ(m_resultPanel->GetZ());
        m_resultPanel->AddChild(m_characterCanvas, kCharacterLinkFlags);
    }
    m_characterCanvas->Clear();
    const std::string name = CharacterPictureName(static_cast<int>(figure));
    if (!name.empty()) {
        engine::PictureDesc picture;
        LookupPicture(&picture, name, 0);
        m_characterCanvas->BlitPicture(picture, 0, 0, picture.width, picture.height, 0, 1.0);
    }
    m_characterCanvas->Show();
}

void CardTableView::MoveResultPanel(const engine::EngineEvent& event)
{
    const auto* input = event.DataAs<const engine::InputState>();
    if (m_resultPanel && input)
        m_resultPanel->MoveBy(input->dx, input->dy);
}

void CardTableView::OnRefresh()
{
    BindOwnBoard(OwnChair());
    const CardGameApp* app = GetApp();
    engine::EngineObject* recorder = GetReplayRecorder();
    if (!app || !app->IsReplayMode() || !recorder)
        return;
    OpenReplayFile(recorder, app->GetReplayPath());
    const Area a = ViewArea();
    recorder->MoveTo(a.left + a.width / 2, a.top + a.height / 2);
    recorder->Invalidate();
}

void CardTableView::BindOwnBoard(int chair)
{
    if (CardPlayerBoard* board = GetPlayerBoard(0))
        board->UpdatePlayer(chair);
}

// ---- seat mapping ------------------------------------------------------------------------

int CardTableView::ChairCount() const
{
    const CardGameApp* app = GetApp();
    return app ? std::clamp(app->GetChairCount(), 1, kMaxBoards) : 4;
}

int CardTableView::OwnChair() const
{
    const CardGameApp* app = GetApp();
    return app ? app->GetChair() : 0;
}

int CardTableView::ChairToView(int chair) const
{
    const int n = ChairCount();
    const int own = OwnChair();
    for (int k = 0; k < n; ++k)
        if (((own + k) % n + n) % n == chair)
            return k;
    return -1;
}

int CardTableView::ViewToChair(int position) const
{
    const int n = ChairCount();
    if (position < 0 || position >= n)
        return -1;
    return ((OwnChair() + position) % n + n) % n;
}

int CardTableView::NextChair(int chair) const
{
    const int n = ChairCount();
    return ((chair + 1) % n + n) % n;
}

int CardTableView::PrevChair(int chair) const
{
    const int n = ChairCount();
    return ((chair + n - 1) % n + n) % n;
}

bool CardTableView::IsOppositeChair(int chair) const
{
    return chair == PrevChair(PrevChair(OwnChair()));
}

int CardTableView::NextViewPos(int position) const
{
    const int chair = ViewToChair(position);
    return chair < 0 ? -1 : ChairToView(NextChair(chair));
}

int CardTableView::PrevViewPos(int position) const
{
    const int chair = ViewToChair(position);
    return chair < 0 ? -1 : ChairToView(PrevChair(chair));
}

// ---- layout ------------------------------------------------------------------------------

CardTableView::Area CardTableView::ViewArea() const
{
    engine::Rect r;
    GetRect(&r);
    return { r.left, r.top, r.right - r.left, r.bottom - r.top };
}

int CardTableView::PictureHeight(std::string_view name)
{
    engine::PictureDesc desc;
    LookupPicture(&desc, name, 0);
    return desc.height;
}

void CardTableView::LoadCardBackSizes()
{
    SetIntProperty(kPropOwnChatColour, 0x408000);
    SetIntProperty(kPropNoticeChatColour, 0xf67130);
    SetIntProperty(kPropGreyChatColour, 0x404040);
    SetIntProperty(kPropSmallBoardHeight, PictureHeight("PlayerBoardSmall"));
    engine::PictureDesc big;
    LookupPicture(&big, CardPictureName(false, CardBigSizePart(1)), 0);
    SetIntProperty(kPropBigCardWidth, big.width);
    SetIntProperty(kPropBigCardHeight, big.height);
    engine::PictureDesc small;
    LookupPicture(&small, CardPictureName(false, CardSmallSizePart(1)), 0);
    SetIntProperty(kPropSmallCardWidth, small.width);
    SetIntProperty(kPropSmallCardHeight, small.height);
}

void CardTableView::OnRectChanged()
{
    const Area a = ViewArea();
    LoadCardBackSizes();
    if (m_backgroundPattern) {
        m_backgroundPattern->MoveTo(a.left + a.width / 2, a.top + a.height / 2);
        m_backgroundPattern->Invalidate();
    }
    for (int i = 0; i < m_cardCount; ++i) {
        CardSprite* card = m_cards[static_cast<size_t>(i)];
        card->LoadImages();
        card->Update();
    }
    LayoutPlayerBoards();
    PlaceStartButton();
    PlaceWaitSolo();
    PlacePlayButtons(a);
    PlaceTurnClock();
    PlaceCornerButtons(a);
    if (m_passHint && m_buttons[kThrowButton])
        m_passHint->MoveTo(m_buttons[kThrowButton]->GetX(), m_buttons[kThrowButton]->GetY() + 28);
    PlaceInfoBox(a);
    if (m_resultPanel)
        m_resultPanel->MoveTo(a.left + a.width / 2, a.top + a.height / 2);
    RedrawAll();
}

void CardTableView::PlaceButton(Button which, int x, int y)
{
    if (engine::ImageButton* button = m_buttons[which]) {
        button->MoveTo(x, y);
        button->Invalidate();
    }
}

void CardTableView::PlacePlayButtons(const Area& a)
{
    if (m_cardCount > 0)
        SetIntProperty(kPropBigCardHeight, m_cards[0]->GetCardHeight());
    const int rowTop = a.top + a.height - GetIntProperty(kPropBigCardHeight) - GetIntProperty(kPropSmallBoardHeight) - 30;
    const engine::ImageButton* pass = m_buttons[kPassButton];
    const int y = rowTop - (pass ? static_cast<int>(pass->GetHeight()) : 0) / 2;
    const int cx = a.left + a.width / 2;
    PlaceButton(kPassButton, cx - 80, y);
    PlaceButton(kThrowButton, cx, y);
    PlaceButton(kHintButton, cx + 80, y);
}

void CardTableView::PlaceTurnClock()
{
    const GameState* state = GetGameState();
    if (!m_turnClock.Digits() || !state)
        return;
    CardPoint at;
    if (GetBoardClockPosition(ChairToView(state->GetTableWord56()), GetLastPlayChair() == -1, at))
        m_turnClock.MoveTo(at);
}

void CardTableView::PlaceCornerButtons(const Area& a)
{
    const int y = a.top + a.height - 17;
    int x = a.left + a.width - 17;
    for (const Button which : kCornerRow) {
        PlaceButton(which, x, y);
        x -= 30;
    }
    PlaceButton(kAutoPlayButton, a.left + 37, a.top + a.height - 18);
    PlaceButton(kResultButton, a.left + 107, a.top + a.height - 18);
    PlaceButton(kAskViewButton, a.left + 35, a.top + a.height - 20);
}

void CardTableView::PlaceInfoBox(const Area& a)
{
    if (!m_infoBox)
        return;
    const int w = static_cast<int>(m_infoBox->GetWidth());
    const int h = static_cast<int>(m_infoBox->GetHeight());
    const CardGameApp* app = GetApp();
    const int margin = app && app->IsMatchMode() ? 0 : 10;
    m_infoBox->MoveTo(a.left + w / 2 + margin, a.top + h / 2 + margin);
}

bool CardTableView::IsCharacterShown(int position) const
{
    return position >= 0 && position < m_boardCount && GetBoard(position) && BoardShowsCharacter(position);
}

void CardTableView::PlaceStartButton()
{
    const Area a = ViewArea();
    if (!IsCharacterShown(0))
        PlaceButton(kStartButton, a.left + a.width / 2, a.top + 3 * a.height / 4);
    else
        PlaceButton(kStartButton, a.left + a.width / 2 + 125, a.top + a.height - PictureHeight("PlayerBoardSmall") - 135);
}

void CardTableView::PlaceWaitSolo()
{
    if (!m_waitSolo)
        return;
    const Area a = ViewArea();
    const int cx = a.left + a.width / 2;
    if (!IsCharacterShown(0)) {
        m_waitSolo->MoveTo(cx, a.top + 3 * a.height / 4);
        return;
    }
    const int b = PictureHeight("PlayerBoardSmall");
    const int half = static_cast<int>(m_waitSolo->GetHeight()) / 2;
    const int below = a.height - b - 270 - half;
    m_waitSolo->MoveTo(cx, a.height / 2 < below ? a.top + a.height / 2 : a.top + below);
}

void CardTableView::HidePlayButtons()
{
    for (const Button which : { kPassButton, kThrowButton, kHintButton })
        if (m_buttons[which]) {
            m_buttons[which]->Hide();
            m_buttons[which]->Invalidate();
        }
}

CardGameApp* CardTableView::GetApp() const
{
    return dynamic_cast<CardGameApp*>(::CGameFrameApp::Current());
}

} // namespace game
