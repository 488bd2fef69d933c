#pragma once
// The card layer's table view, the engine object "MainGame" in the centre
// of the main view. It owns the card sprites, one player board per chair,
// the play, sort and option buttons, the turn clock and the digit fonts the
// panels find by name, and a click layer that hears every press on the
// table. It maps chairs to screen seats (the own chair at the bottom, then
// left, top and right) and lays everything out again whenever its
// rectangle changes. Button, card and mouse events arrive as the view's
// private codes and become calls of its operations; the operations of the
// hand, the plays, the game flow and automatic play are hooks that the
// layers above fill.
//
// User-interface thread only. Every child is an engine object registered
// under the view; the object module owns it.

#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/GameTableView.h"
#include "cards/AutoPlaySwitch.h"
#include "cards/CardHand.h"
#include "cards/CardSprite.h"
#include "cards/CardTableCalls.h"
#include "cards/CardTableLinks.h"
#include "cards/TurnClock.h"
#include "table/PlayRecord.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine {
class CanvasObject;
class EventSequencer;
class ImageButton;
class ImageNumber;
class SpriteObject;
} // namespace engine

namespace frame {
class GameFrame;
}

namespace game {

class CardGameApp;
class CardGameConnection;
class CardPlayerBoard;

// Events of the view: its buttons' clicks and its own timers.
inline constexpr int EVT_TABLE_ARRANGED = 80000002;
inline constexpr int EVT_TABLE_RESET = 80000003;
inline constexpr int EVT_START_CLICKED = 80000004;
inline constexpr int EVT_ANSWER_VIEW_CARDS = 80000007;
inline constexpr int EVT_REFRESH_BOARDS = 80000011;
inline constexpr int EVT_REFRESH_SEATED_LOOK_ON = 80000012;
inline constexpr int EVT_REFRESH_SEATED_ALT = 80000013;
inline constexpr int EVT_PLAYER_ENTER = 80000014;
inline constexpr int EVT_LOOKER_ENTER = 80000015;
inline constexpr int EVT_PLAYER_LEAVE = 80000016;
inline constexpr int EVT_LOOKER_LEAVE = 80000017;
inline constexpr int EVT_RANDOM_SEAT = 80000018;
inline constexpr int EVT_TABLE_CHANGED = 80000020;
inline constexpr int EVT_MATCH_RANKS = 80000022;
inline constexpr int EVT_REFRESH_MY_BOARD = 80000030;
inline constexpr int EVT_REDRAW_MY_BOARD = 80000052;
inline constexpr int EVT_STOP_TURN_CLOCK = 80000053;
inline constexpr int EVT_OPEN_SETTINGS = 80000078;
inline constexpr int EVT_SOUND_SETTINGS = 80000079;
inline constexpr int EVT_CHANGE_TABLE = 80000095;
inline constexpr int EVT_NEW_TABLE = 80000096;
inline constexpr int EVT_DEAL_STEP = 80000100;
inline constexpr int EVT_CLOCK_TICK = 80000101;
inline constexpr int EVT_DRAG_RESULT_PANEL = 80000102;
inline constexpr int EVT_ROUND_CLEARED = 80000103;
inline constexpr int EVT_TABLE_PRESS = 80000104;
inline constexpr int EVT_SHOW_CHARACTER = 80000105;
inline constexpr int EVT_HIDE_CHARACTER = 80000106;
inline constexpr int EVT_CARD_FIRST = 80000109;
inline constexpr int EVT_TABLE_RBUTTON = 80000113;
inline constexpr int EVT_CARD_LAST = 80000116;
inline constexpr int EVT_BUTTON_FIRST = 80000119;
inline constexpr int EVT_THROW = 80000119;
inline constexpr int EVT_PASS = 80000120;
inline constexpr int EVT_HINT = 80000121;
inline constexpr int EVT_ASK_VIEW_CARDS = 80000122;
inline constexpr int EVT_ASK_VIEW_CARDS2 = 80000123;
inline constexpr int EVT_CHECK_RESULT = 80000124;
inline constexpr int EVT_CLOSE_RESULT = 80000125;
inline constexpr int EVT_CONTINUE_GAME = 80000126;
inline constexpr int EVT_SELECT_SINGLES = 80000127;
inline constexpr int EVT_SELECT_PAIRS = 80000128;
inline constexpr int EVT_SELECT_TRIPLES = 80000129;
inline constexpr int EVT_SORT_BY_SIZE = 80000130;
inline constexpr int EVT_SELECT_BOMBS = 80000131;
inline constexpr int EVT_SORT_BY_COUNT = 80000132;
inline constexpr int EVT_SORT_MODE3 = 80000133;
inline constexpr int EVT_AUTO_PLAY = 80000134;
inline constexpr int EVT_CLOSE_WINDOW = 80000135;
inline constexpr int EVT_PLAY_OPTION_1 = 80000137;
inline constexpr int EVT_PLAY_OPTION_3 = 80000139;
inline constexpr int EVT_PLAY_OPTION_OFF = 80000140;
inline constexpr int EVT_BUTTON_LAST = 80000140;
inline constexpr int EVT_AUTO_PASS = 80000143;

// Engine integer properties the view sets at every layout.
inline constexpr int kPropOwnChatColour = 50013;
inline constexpr int kPropNoticeChatColour = 50014;
inline constexpr int kPropGreyChatColour = 50015;
inline constexpr int kPropSmallBoardHeight = 50016;
inline constexpr int kPropBigCardWidth = 50018;
inline constexpr int kPropBigCardHeight = 50019;
inline constexpr int kPropSmallCardWidth = 50020;
inline constexpr int kPropSmallCardHeight = 50021;

inline constexpr double kTableButtonDepth = 10000.0;
inline constexpr double kTableDigitDepth = 10500.0;
inline constexpr double kBackgroundPatternDepth = -999990.0;
inline constexpr int kToolTipWidth = 120;
inline constexpr int kCharacterCanvasWidth = 135;
inline constexpr int kCharacterCanvasHeight = 270;

class CardTableView : public frame::GameTableView, public virtual CardTableCalls, protected CardTableLinks {
public:
    // The view's buttons, in the order they are made.
    enum Button {
        kStartButton,
        kThrowButton,
        kPassButton,
        kHintButton,
        kSinglesButton,
        kPairsButton,
        kTriplesButton,
        kBombsButton,
        kSortBySizeButton,
        kSortByCountButton,
        kAutoPlayButton,
        kResultButton,
        kAskViewButton,
        kButtonCount
    };

    CardTableView();
    ~CardTableView() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;
    void OnRectChanged() override;
    void OnRefresh() override;

    // ---- seat mapping (n = the application's chair count) ---------------
    // The screen seat of a chair, counted from the own chair round the
    // table; -1 for a chair not at the table.
    virtual int ChairToView(int chair) const;
    virtual int ViewToChair(int position) const;
    // Play passes from a chair to the one before it.
    virtual int NextChair(int chair) const;
    virtual int PrevChair(int chair) const;
    // Whether the chair plays on the own side (automatic play lets its
    // play stand): the partner seat two chairs back; a game with other
    // sides answers for itself.
    virtual bool IsOppositeChair(int chair) const;
    virtual int NextViewPos(int position) const;
    virtual int PrevViewPos(int position) const;

    // ---- construction ------------------------------------------------------
    virtual void CreateBoards(int count);
    virtual void CreateCards();
    virtual void CreateClickLayer();
    virtual void CreateButtons();
    virtual void CreateClock();
    virtual void CreateScorePens();
    virtual engine::ImageButton* CreateImageButton(std::string_view picture, int clickCode,
        std::string_view toolTip, bool handCursor);
    virtual void CreateToolTip(engine::EngineObject* target, std::string_view text);
    // 216 in the card layer; the game narrows it.
    virtual int GetCardCount() const { return CardSprite::kCardIds; }

    // ---- layout ------------------------------------------------------------
    virtual void LoadCardBackSizes();
    virtual void PlaceStartButton();
    virtual void PlaceWaitSolo();
    virtual bool IsCharacterShown(int position) const;
    virtual void HidePlayButtons();

    // ---- boards ------------------------------------------------------------
    // Where the player boards plug in: their creation at a seat, their
    // placement, the figure query and the turn clock's place beside them.
    virtual void CreatePlayerBoard(int chair, int position);
    virtual void LayoutPlayerBoards();
    // The board at the bottom shows the player of the own chair.
    virtual void BindOwnBoard(int chair);
    virtual bool BoardShowsCharacter(int position) const;
    // False when no board tells where the clock goes.
    virtual bool GetBoardClockPosition(int position, bool noLastPlay, CardPoint& out) const;

    // The board at a screen seat; null without one (or another kind).
    CardPlayerBoard* GetPlayerBoard(int position) const;
    CardPlayerBoard* GetChairBoard(int chair) const { return GetPlayerBoard(ChairToView(chair)); }

    // ---- the hand (the hand logic answers; the view carries it out) -----
    // Card events 80000109-80000115 and the right press on the bare table.
    virtual void OnCardEvent(const engine::EngineEvent& event);
    virtual void OnButtonEvent(int code);
    virtual void OnAutoPassEvent() { OnPassClicked(); }
    virtual void SelectSingles(int code);
    virtual void SelectPairs(int code);
    virtual void SelectTriples(int code);
    virtual void SelectBombs(int code);
    virtual void ToggleSortBySize();
    virtual void ToggleSortByCount();
    virtual void ToggleSortMode3();
    virtual void SortHand(int mode);
    virtual bool UpdateThrowButton();
    // The hand checked its selection: whether it may be thrown now.
    virtual void OnSelectionChecked(bool throwable);
    // Lays out a chair's hand and shows its count beside the board.
    virtual void LayoutSeatCards(int chair);
    virtual void ShowSeatCardCount(int chair, int count);
    CardHand& Hand();
    const CardHand& Hand() const;

    // ---- plays -------------------------------------------------------------
    virtual void OnThrowClicked();
    // Sends the play these ids form; 10100 when they form none (nothing
    // is sent then) or the request failed.
    virtual uint32_t SendThrow(const int* ids, int n);
    virtual void OnPassClicked();
    virtual void OnHintClicked();
    void OnCardsThrown(const ThrownPlay& thrown) override;
    void OnPassed(const PassedTurn& pass) override;
    virtual void PlayThrowSound(int type, int count);
    // The sound of a chair's pass.
    virtual void PlayPassSound(int chair);
    // flag 0x20000000 shows "不出" on the chair's board.
    virtual void ShowPassMark(int chair, int flag);
    // The played cards of a chair (-1: every chair) leave the table.
    virtual void ClearPlayedCards(int chair);
    virtual void ShowPlayAnimation();
    virtual void SendPlayOption(int option, int value);
    // The last play of the trick's chair; -1 while the trick is open.
    virtual int GetLastPlayChair() const { return m_lastPlayChair; }
    const table::PlayRecord& GetLastPlay() const { return m_lastPlay; }
    void SetLastPlay(int chair, const table::PlayRecord& play);

    // ---- game flow ---------------------------------------------------------
    void OnTableArranged() override;
    void OnTableReset() override;
    virtual void OnRandomSeat();
    virtual void OnTableChanged();
    virtual void RefreshMyBoard();
    virtual void RedrawMyBoard();
    virtual void RefreshBoards();
    virtual void RefreshSeatedBoards();
    virtual void OnPlayerEnter(engine::MessageWord record);
    virtual void OnPlayerLeave(engine::MessageWord record);
    virtual void OnLookerEnter(engine::MessageWord /*record*/) { }
    virtual void OnLookerLeave(engine::MessageWord /*record*/) { }
    virtual void ShowMatchRanks();
    void OnPlayerStarted(int chair) override;
    void OnPlayerNotice(const uint8_t* data, size_t size) override;
    void OnWaitSolo() override;
    virtual void ShowWaitSolo();
    virtual void HideWaitSolo();
    virtual void ShowStartButton();
    virtual void OnStartClicked();
    // The server refused the start request (201160): the card layer shows
    // the server's text and closes.
    virtual void OnStartRefused(const std::string& text);
    virtual void ContinueGame();
    virtual void CloseResultPanel();
    virtual void OnCheckResultClicked();
    virtual void RequestChangeTable();
    // The chat header of a new round, then the round's reset and boxes.
    virtual void ShowRoundHeader();
    virtual void ResetRoundState();
    // The deal ended: the clock runs and the turn begins.
    virtual void OnDealFinished();
    void OnRoundStart() override;
    void ResetCards() override;
    virtual void DealStep() { }
    virtual void BeginDeal() { }
    // Gives the turn to a chair; negative seconds keep the clock's number.
    // A chair outside the table is refused.
    virtual void SetTurn(int chair, int seconds);
    void OnTurn(const TurnNotice& turn) override;
    void OnTurnSync() override;
    virtual void OnMyTurn();
    virtual void ShowPlayButtons(int flag);
    virtual void StartTurnClock();
    virtual void StopTurnClock();
    virtual void OnClockTick();
    virtual void OnRoundCleared();
    virtual void ShowGameInfoBox();
    // A match program's information box: the round, base score and the
    // match's kind and description, for a player who holds a match seat.
    virtual void ShowMatchInfoBox();
    // The information box of the room: the match's in a match program.
    void ShowInfoBox();
    // The match information's lines on the box; nothing without a match
    // seat of our own. A knockout kind gets the round's title above lines
    // that start at `titled`; the others start at `plain`. Lines are 20
    // pixels apart.
    void DrawMatchInfo(engine::CanvasObject& box, CardPoint titled, CardPoint plain) const;
    // Shows the box where it stands: faded in at a table, at once in a
    // replay.
    void RevealInfoBox(engine::CanvasObject& box);
    // The side pane's advertisement page refreshes its match ranking,
    // while the application holds an advertisement.
    void RefreshAdvertRanking();
    // The chair's turn seconds as SetTurn last gave them (0 outside).
    int GetSeatSeconds(int chair) const;
    int GetClockZeroSeconds() const { return m_turnClock.ZeroSeconds(); }
    uint64_t GetClockAction() const { return m_turnClock.Action(); }

    // ---- table messages, automatic play, offline, card viewing -------------
    // 10 once the message was handed to the socket, 10100 otherwise.
    virtual uint32_t SendTableMessage(int kind, const uint8_t* payload, uint32_t length);
    void OnTableMessage(const TableMessage& message) override;
    virtual void OnAutoPlayClicked();
    virtual void SetAutoPlayButton(bool on);
    virtual void OnAutoPlayOn(int chair);
    virtual void OnAutoPlayOff(int chair);
    virtual void OnTurnTimeout();
    virtual void PlayForMe();
    void OnPlayerOffline(int userId) override;
    virtual void OnPlayerBack(int chair);
    virtual void AskViewCards();
    void OnViewCardsRequest(const ViewCardsRequest& request) override;
    virtual void AnswerViewCards(engine::MessageWord requester, engine::MessageWord allow);
    void OnViewCardsAnswer(const ViewCardsAnswer& answer) override;
    void OnShowCards(const ShownCards& shown) override;
    virtual void ApplySoundSettings();
    // Table events go to the replay recorder while it records.
    void OnServerNotify(uint32_t id, const uint8_t* body, size_t length) override;
    const AutoPlayCooldown& GetAutoPlayCooldown() const { return m_autoPlay.Cooldown(); }

    // ---- access --------------------------------------------------------------
    CardGameApp* GetApp() const;
    engine::ImageButton* GetButton(Button which) const { return m_buttons[which]; }
    CardSprite* GetCard(int index) const;
    int GetCreatedCardCount() const { return m_cardCount; }
    int GetBoardCount() const { return m_boardCount; }
    engine::EngineObject* GetBoard(int position) const;
    engine::EngineObject* GetClickLayer() const { return m_clickLayer; }
    engine::ImageNumber* GetTurnClock() const { return m_turnClock.Digits(); }
    engine::SpriteObject* GetPassHint() const { return m_passHint; }
    engine::SpriteObject* GetBackgroundPattern() const { return m_backgroundPattern; }
    engine::SpriteObject* GetWaitSolo() const { return m_waitSolo; }
    engine::CanvasObject* GetCharacterCanvas() const { return m_characterCanvas; }
    engine::EngineObject* GetResultPanel() const { return m_resultPanel; }
    void SetResultPanel(engine::EngineObject* panel) { m_resultPanel = panel; }
    engine::EngineObject* GetInfoBox() const { return m_infoBox; }
    bool IsAutoPlayOn() const { return m_autoPlay.IsOn(); }
    void SetAutoPlayOn(bool on) { m_autoPlay.Set(on); }
    int GetSortMode() const { return Hand().GetSortMode(); }
    // The waiting animation, made on first use.
    engine::SpriteObject* MakeWaitSolo();
    // The information box, made on first use with the given size.
    engine::CanvasObject* MakeInfoBox(int width, int height);

protected:
    // The card object of this layer; the game makes its own kind.
    virtual std::unique_ptr<CardSprite> MakeCard() const;
    // The board of this layer at a seat; the game makes its own kind.
    virtual std::unique_ptr<CardPlayerBoard> MakePlayerBoard(int position, CardArea table) const;
    // The hand logic with this layer's rules; the game gives its own.
    virtual std::unique_ptr<CardHand> MakeHand(CardHandHost& host) const;
    // The clock's second ticks start again; the clock shown is untouched.
    void RestartClockTicks();
    // The card connection of the running application, null without one.
    virtual CardGameConnection* GetCardConnection() const;
    // Which notifications a replay keeps, for an ordinary table and for a
    // match table; nothing is kept while the recorder does not record.
    virtual void RecordTableNotification(TableRecorderCalls& recorder, uint32_t id, const uint8_t* body,
        size_t length);
    virtual void RecordMatchNotification(TableRecorderCalls& recorder, uint32_t id, const uint8_t* body,
        size_t length);
    // Just before a replay is written (the game adds its blocks).
    virtual void BeforeReplaySave() { }
    // The main view's automatic-play animation.
    virtual void ShowMainAutoPlay(bool on);
    // The box that asks the player to let a looker-on see the cards; its
    // answer comes back as EVT_ANSWER_VIEW_CARDS. Null for a requester who
    // is not at the table.
    virtual engine::EngineObject* ShowViewCardsRequestBox(int requester);
    // The main view, null while there is none (or another kind).
    frame::GameFrame* GetGameFrame() const;
    // The main view's queue of match panels; null outside match programs.
    engine::EventSequencer* GetViewEventQueue() const;
    virtual void AddChatLine(const std::string& text) const;
    void PlayTableSound(std::string_view name);
    bool IsLookerOn() const;
    bool IsOwnTurn() const;
    bool IsThrowButtonUsable() const;
    bool MayMoveForMe() const;
    // The replay panel plays the file named on the command line; the panel
    // belongs to the frame's replays.
    virtual void OpenReplayFile(engine::EngineObject* /*recorder*/, const std::string& /*path*/) { }
    // The picture of a player's character figure in its large pose (size
    // 3), figure 0's when the figure has none.
    virtual std::string CharacterPictureName(int figure) const;
    // Where a board stands; the board layer fills it.
    void SetBoard(int position, engine::EngineObject* board);

private:
    struct Area {
        int left;
        int top;
        int width;
        int height;
    };
    Area ViewArea() const;
    class HandLink;
    int ChairCount() const;
    int OwnChair() const;
    bool IsTableChair(int chair) const { return chair >= 0 && chair < ChairCount(); }
    void ForEachBoard(void (CardPlayerBoard::*call)());
    void BindOccupiedBoards();
    void SelectAndThrow();
    void SetButtonShown(Button which, bool shown);
    void SetButtonEnabled(Button which, bool enabled);
    void BlitInto(engine::CanvasObject& box, std::string_view name, int frame, int x, int y);
    int BlitNumber(engine::CanvasObject& box, int value, int x, int y);
    int PictureHeight(std::string_view name);
    void OnTablePress(const engine::EngineEvent& event);
    void ShowCharacter(engine::MessageWord figure);
    void MoveResultPanel(const engine::EngineEvent& event);
    void PlaceButton(Button which, int x, int y);
    void PlacePlayButtons(const Area& a);
    void PlaceTurnClock();
    void PlaceCornerButtons(const Area& a);
    void PlaceInfoBox(const Area& a);
    uint64_t RepeatViewEvent(int code, uint32_t intervalMs) override;
    void CancelViewAction(uint64_t action) override;
    uint32_t ViewTime() override;

    std::array<engine::ImageButton*, kButtonCount> m_buttons {};
    std::array<CardSprite*, CardSprite::kCardIds> m_cards {};
    std::array<engine::EngineObject*, kMaxBoards> m_boards {};
    int m_cardCount = 0;
    int m_boardCount = 0;
    engine::EngineObject* m_clickLayer = nullptr;
    engine::ImageNumber* m_digitPen = nullptr;
    engine::ImageNumber* m_digitPen2 = nullptr;
    engine::SpriteObject* m_backgroundPattern = nullptr;
    engine::SpriteObject* m_passHint = nullptr;
    engine::SpriteObject* m_waitSolo = nullptr;
    engine::CanvasObject* m_characterCanvas = nullptr;
    engine::CanvasObject* m_infoBox = nullptr;
    engine::EngineObject* m_resultPanel = nullptr;
    int m_lastPlayChair = -1;
    table::PlayRecord m_lastPlay;

    // The view's parts, each with its own state and rules; the operations
    // named after them forward to them.
    std::unique_ptr<HandLink> m_handLink;
    std::unique_ptr<CardHand> m_hand;
    TurnClock m_turnClock { *this, EVT_CLOCK_TICK };
    AutoPlaySwitch m_autoPlay { *this };
};

} // namespace game
