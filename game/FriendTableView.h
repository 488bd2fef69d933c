#pragma once
// This game's table view, the engine object "MainGame" of the game's main
// view: the card layer's view narrowed to four seats and 108 cards, with a
// big turn clock for wide tables, the hand-arrangement buttons, the card
// counter, the award marquee, the slogan under the start button and the
// flip card. It deals the cards one by one in play order, announces the
// banker when the flipped (first round) or first shown card reaches him,
// marks the other copy of that card in the own hand, reveals the banker's
// hidden friend when he plays it, rebuilds a running round from the table
// state, and at a round's end writes the result lines, shows every hand,
// draws the result box and the bonus frames of bombs and jokers.
//
// The plays and turns, the voices and seat chat, and the ready countdown
// and rewards are hooks here (OnClockWatchdogTick, OnSeatChatEnded, …) that
// the layers above fill.
//
// User-interface thread only; the engine owns every child object.

#include "game/AwardMarquee.h"
#include "cards/CardCounterPanel.h"
#include "cards/CardTableView.h"
#include "game/ClockWatchdog.h"
#include "game/FriendTableCalls.h"
#include "game/ReadyCountdown.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
class ImageButton;
class ImageNumber;
class SpriteObject;
} // namespace engine

namespace table {
struct FriendTableState;
} // namespace table

namespace game {

class FriendCardSprite;
class FriendGameData;
class FriendPlayerBoard;

// The game's own events of the view.
inline constexpr int EVT_TOGGLE_CARD_COUNTER = 80000147;
inline constexpr int EVT_BEGIN_PLAY = 80000148;
inline constexpr int EVT_SEAT_CHAT_ENDED = 80000151;
inline constexpr int EVT_DEAL_END = 80000157;
inline constexpr int EVT_FIREWORKS_ENDED = 80000164;
inline constexpr int EVT_SEAT_EMOTICON_ENDED = 80000165;
inline constexpr int EVT_CLOCK_WATCHDOG = 80000166;
inline constexpr int EVT_ARRANGE_SELECTED = 80000167;
inline constexpr int EVT_RESTORE_ARRANGEMENT = 80000168;
inline constexpr int EVT_SHOW_BONUS_FRAMES = 80000169;
inline constexpr int EVT_HIDE_BONUS_FRAMES = 80000170;
inline constexpr int EVT_READY_COUNTDOWN = 80000174;
inline constexpr int EVT_MARQUEE_STEP = 80000175;

inline constexpr int kGameCards = 108;
inline constexpr int kGameSeats = 4;
inline constexpr uint32_t kDealStepMs = 15;
inline constexpr uint32_t kDealPauseMs = 1000;
inline constexpr uint32_t kBonusFramesMs = 5000;
inline constexpr int kInfoBoxWidth = 220;
inline constexpr int kInfoBoxHeight = 150;
inline constexpr int kBonusFrameWidth = 160;
inline constexpr int kBonusFrameHeight = 170;
inline constexpr double kResultPanelDepth = 60000.0;
inline constexpr double kSettingsPanelDepth = 80000.0;

class FriendTableView : public CardTableView, public FriendTableCalls {
public:
    // The game's buttons beside the card layer's.
    enum GameButton {
        kArrangeButton,
        kRestoreButton,
        kBonusViewButton,
        kCardCounterButton,
        kGameButtonCount
    };

    FriendTableView();
    ~FriendTableView() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;
    void OnRectChanged() override;
    void OnTableArranged() override;
    void OnRefresh() override;

    int GetCardCount() const override { return kGameCards; }
    void LoadCardBackSizes() override;
    void CreateBoards(int count) override;
    void CreateCards() override;
    void CreateButtons() override;
    void CreateClock() override;
    void CreateScorePens() override;
    void LayoutPlayerBoards() override;

    // ---- notifications (FriendTableCalls) -----------------------------
    void OnCardsThrown(const ThrownPlay& thrown) override;
    void ShowRoundHeader() override;
    void ShowRoundResultLines() override;
    void ResetRoundState() override;
    // Both the card layer's and the game's calls name it; the card layer's
    // binds the boards and rebuilds the round.
    void RefreshSeatedBoards() override { CardTableView::RefreshSeatedBoards(); }
    // Rebuilds a running round from the table state.
    void OnRoundStart() override;

    // ---- dealing, banker and friend --------------------------------------
    void BeginDeal() override;
    void DealStep() override;
    void OnDealFinished() override;
    void BeginPlay();
    // The flip card hidden, the own friend card marked, the deal finished.
    void EndDeal();
    // A deal still running (or its end, or the banker's turn, still to
    // come) is carried out at once; nothing otherwise. Without the turn
    // the banker's turn is dropped (the round is over).
    void FinishDeal(bool withTurn = true);
    // The deal's timers stopped without dealing further.
    void CancelDeal();
    void LayoutDealtCards(int chair);
    void PlaceFlipCard();
    void HideFlipCard();
    void MarkFriendCards();
    void ClearFriendMarks();
    // A play (notification 221170) by another chair than the banker that
    // holds the other copy of the flip card reveals the friend, once.
    void RevealFriend(const ThrownPlay& thrown);
    // Whether the chair plays on the own side (banker and friend against
    // the other two).
    bool IsOppositeChair(int chair) const override;
    void ShowGameInfoBox() override;
    void ShowMatchInfoBox() override;
    // The clock in use follows the card layer's turn clock.
    void SetTurn(int chair, int seconds) override;
    void OnClockTick() override;

    // ---- round header, results and bonus frames -------------------------
    virtual void ShowResultBox();
    void OnCheckResultClicked() override;
    void CloseResultPanel() override;
    void StackDealPile();
    void ShowBonusFramesAtEnd();
    void ShowBonusFrames();
    void HideBonusFrames();
    // Where the bonus frame of a screen seat stands.
    CardPoint BonusFramePosition(int position) const;

    // ---- structure -----------------------------------------------------------
    void ChooseClock();
    void ToggleCardCounter();
    void UpdateArrangeButtons();
    void ArrangeSelected();
    void RestoreArrangement();
    void ClearGroups();
    bool IsDealing() const { return m_dealing; }

    // ---- access ----------------------------------------------------------------------
    FriendGameData* GetGameData() const;
    FriendCardSprite* GetGameCard(int index) const;
    FriendCardSprite* GetFlipCard() const { return m_flipCard; }
    FriendPlayerBoard* GetGameBoard(int position) const;
    FriendPlayerBoard* GetGameChairBoard(int chair) const;
    engine::ImageButton* GetGameButton(GameButton which) const { return m_gameButtons[which]; }
    engine::ImageNumber* GetBigClock() const { return m_bigClock; }
    engine::ImageNumber* GetClockInUse() const { return m_clockInUse; }
    engine::SpriteObject* GetSlogan() const { return m_slogan; }
    CardCounterPanel* GetCardCounter() const { return m_cardCounter; }
    engine::CanvasObject* GetBonusFrame(int chair) const;
    engine::ImageButton* GetResultOkButton() const { return m_resultOk; }
    engine::ImageButton* GetResultContinueButton() const { return m_resultContinue; }
    AwardMarquee& GetMarquee() { return m_marquee; }
    int GetDealCount() const { return m_dealCount; }
    int GetDealChair() const { return m_dealChair; }
    int GetDealStartChair() const { return m_dealStartChair; }
    uint64_t GetDealAction() const { return m_dealAction; }

    // ---- sounds, voices and chat at the seats ---------------------------------------
    // Effects mute, background music on or off, from the player's settings.
    void ApplySoundSettings() override;
    // 211200: a table chat line in the speaker's board bubble, spoken when
    // it is a quick-chat phrase.
    void OnTableChatLine(const uint8_t* body, size_t length) override;
    // 201210: a chat line at the speaker's seat, as text or emoticon.
    void ShowChatLine(const uint8_t* body, size_t length) override;
    void ShowSeatText(int position);
    void PlaceSeatChat(int position, int width, int height);
    void CreateSeatChat(int position);
    // The emoticon of a code ("#" and the picture's name) at a screen seat.
    void ShowSeatEmoticonAt(int position, std::string_view text);
    CardPoint EmoticonPosition(int position) const;
    // Whether the background music already plays.
    virtual bool IsMusicPlaying();

    engine::CanvasObject* GetSeatBubble(int position) const;
    engine::CanvasObject* GetSeatTextCanvas(int position) const;
    const std::string& GetSeatText(int position) const;
    engine::SpriteObject* GetSeatEmoticon(int position) const;

private:
    struct SeatChat {
        engine::CanvasObject* bubble = nullptr; // not owned: the object module owns the parts
        engine::CanvasObject* text = nullptr;   // not owned
        std::string line;
        uint64_t hideAction = 0;
        engine::SpriteObject* emoticon = nullptr; // not owned
        uint64_t emoticonAction = 0;
    };
    bool IsDialectMuted() const;
    std::string ChairVoicePrefix(int chair) const;
    void PlaceSeatChats();
    std::array<SeatChat, kGameSeats> m_seatChat {};
    uint32_t m_musicChannel = 0;

protected:
    std::unique_ptr<CardSprite> MakeCard() const override;
    std::unique_ptr<CardPlayerBoard> MakePlayerBoard(int position, CardArea table) const override;
    std::unique_ptr<CardHand> MakeHand(CardHandHost& host) const override;
    bool GetBoardClockPosition(int position, bool noLastPlay, CardPoint& out) const override;
    // Replay mode: the frame's replay panel plays the file named on the
    // command line.
    std::unique_ptr<engine::EngineObject> MakeReplayRecorder(bool matchMode) override;
    // The panel's longest pause between two records, which the frame sets
    // when it makes the recorder.
    void SetReplayMaxGap(engine::EngineObject* recorder, uint32_t ms) override;
    void OpenReplayFile(engine::EngineObject* recorder, const std::string& path) override;

    // Hooks of the plays, voices, countdown and rewards.
    virtual void OnClockWatchdogTick();
    virtual void OnSeatChatEnded(int position);
    virtual void OnSeatEmoticonEnded(int position);
    virtual void ShowSeatEmoticon(int chair, std::string_view code);

private:
    struct Area {
        int left;
        int top;
        int width;
        int height;
    };
    Area ViewArea() const;
    static void SetShown(engine::EngineObject* object, bool shown);
    int MyChair() const;
    std::string ChairName(int chair) const;
    int TableWord(size_t offset) const;
    void SetTableWord(size_t offset, int value);
    int Banker() const;
    int FlipCard() const;
    bool IsSilverRoom() const;
    void SortOwnHand();
    void SetDealing(bool dealing);
    void SyncClockInUse();
    void PlaceGameButton(GameButton which, int x, int y);
    void PlaceClockInUse(const Area& a);
    void PlacePlayButtons(const Area& a);
    void SetTeamMark(int chair);
    void DrawInfoNumber(engine::CanvasObject& canvas, int x, int y, int value, std::string_view unit);
    void CreateResultPanel();
    void DrawResultRow(int row, int chair, int friendChair);
    void DrawDigits(std::string_view sheet, int x, int y, const std::string& text);
    void DrawFigureSpot(engine::CanvasObject& spot, int chair);
    void PlaceResultButtons(bool withContinue);
    void ShowResultPanel();
    void ShowChairCards(int chair, const std::vector<int>& ids);
    void CreateBonusFrames();
    void DrawBonusFrame(int chair);
    void ShowAllBonusFrames();
    void PlayResultSound();
    void RestoreReplayTable();
    bool ShowReplayHands();

    AwardMarquee m_marquee;
    AppCounterSeats m_counterSeats;
    std::array<FriendCardSprite*, kGameCards> m_gameCards {};
    std::array<engine::ImageButton*, kGameButtonCount> m_gameButtons {};
    std::array<engine::CanvasObject*, kGameSeats> m_bonusFrames {};
    engine::ImageNumber* m_bigClock = nullptr;
    engine::ImageNumber* m_clockInUse = nullptr;
    engine::ImageNumber* m_turnScore = nullptr;
    engine::EngineObject* m_settingsPanel = nullptr;
    engine::SpriteObject* m_fireworks = nullptr;
    engine::SpriteObject* m_slogan = nullptr;
    CardCounterPanel* m_cardCounter = nullptr;
    FriendCardSprite* m_flipCard = nullptr;
    engine::CanvasObject* m_resultCanvas = nullptr;
    engine::ImageButton* m_resultOk = nullptr;
    engine::ImageButton* m_resultContinue = nullptr;
    engine::ImageButton* m_resultClose = nullptr;
    std::array<engine::CanvasObject*, kGameSeats> m_figureSpots {};
    bool m_continueShown = false;
    bool m_dealing = false;
    int m_dealCount = 0;
    int m_dealStartChair = 0;
    int m_dealChair = 0;
    uint64_t m_dealAction = 0;
    uint64_t m_dealEndAction = 0;
    uint64_t m_beginPlayAction = 0;
    uint64_t m_bonusFrameAction = 0;

    // ---- plays, turns and hints --------------------------------------------------
public:
    // A pass of 223100 from a chair at the table; the table state forgets
    // the last play when the trick ends.
    void OnPassed(const PassedTurn& pass) override;
    void PlayPassSound(int chair) override;
    // Following a play the throw button stands right of the hint button;
    // leading it takes the hint button's place.
    void OnMyTurn() override;
    // The game's buttons with the card layer's: the card counter only in
    // rooms that offer it (option C 0x40000), the bonus frames' button.
    void ShowPlayButtons(int flag) override;
    // Any change of the selection shows arranging or restoring.
    void OnSelectionChecked(bool throwable) override;
    // The clock in use shows the seconds; a watchdog restarts its ticks
    // when two of its seconds pass without one.
    void StartTurnClock() override;
    void StopTurnClock() override;
    void StartClockWatchdog();
    void StopClockWatchdog();
    // Sorting forgets the arranged groups.
    void ToggleSortBySize() override;
    void ToggleSortByCount() override;
    // Every card hidden with the clock stopped, and the plays forgotten.
    void ResetCards() override;
    // No last play, no bombs or jokers listed, no seconds at 0.
    void ClearPlayRecords();
    // The bombs and jokers of a chair's play, or of its hand left at the
    // round's end (values held 4 times or more, every joker), added to the
    // chair's list in the table state.
    void RecordPlayBonusCards(int chair, const table::PlayRecord& play);
    void RecordBonusCards(int chair);
    int GetZeroTicks() const { return m_zeroTicks; }
    int GetWatchdogTicks() const { return m_clockWatchdog.Ticks(); }
    uint64_t GetWatchdogAction() const { return m_clockWatchdog.Action(); }
    // The voices of a play and of a pass (FriendTableVoices.cpp).
    virtual void PlayPlayVoice(int chair, const table::PlayRecord& play);
    virtual void PlayPassVoice(int chair);

private:
    void KeepLastPlay(int chair, const table::PlayRecord& play);
    void RestoreLastPlay(const table::FriendTableState& state);
    bool IsHeldBy(int chair, const table::PlayRecord& play) const;
    void CountPlayedCards(int chair, const table::PlayRecord& play);
    int OwnZeroTickLimit() const;

    ClockWatchdog m_clockWatchdog { *this, EVT_CLOCK_WATCHDOG };
    int m_zeroTicks = 0;

    // ---- ready countdown, rewards, automatic play and seat events ----------
    // (FriendTableReady.cpp)
public:
    // A seated player who does not press start within the seconds is sent
    // from the table, in rooms that ask for it (option B bits 0x40 and
    // 0x80). Starting replaces a running countdown.
    virtual void StartReadyCountdown(int seconds);
    virtual void StopReadyCountdown();
    virtual bool IsReadyCountdownRunning() const { return m_readyCountdown.IsRunning(); }
    int GetReadySeconds() const { return m_readyCountdown.Seconds(); }
    // Every other chair pressed start and the own one did not.
    bool AllOthersReady() const;
    // Set: the start button keeps a running countdown's clock instead of
    // starting a new one.
    void SetStartOnClose(bool on) { m_readyCountdown.SetStartOnClose(on); }

    void RefreshBoards() override;
    void OnPlayerEnter(engine::MessageWord record) override;
    void OnPlayerLeave(engine::MessageWord record) override;
    void OnTableChanged() override;
    void RequestChangeTable() override;
    void OnPlayerStarted(int chair) override;
    void ShowStartButton() override;
    void OnStartClicked() override;
    void OnStartRefused(const std::string& text) override;
    void OnPlayerBack(int chair) override;
    void OnWaitSolo() override;
    void PlayForMe() override;

    void OnOwnExitAgreed(const uint8_t* body, size_t length) override;
    void OnBonusCounts(const uint8_t* body, size_t length) override;
    void OnWinStreakAward(const uint8_t* body, size_t length) override;
    void OnBonusAward(const uint8_t* body, size_t length) override;
    void OnRoundsAward(const uint8_t* body, size_t length) override;
    // The chair's bonus count: byte 56 of its seat record in the table state.
    int GetBonusCount(int chair) const;
    // Registers the text's QR code as the picture "QRCode_Image.bmp";
    // nothing when the text cannot be encoded.
    void BuildQrCodePicture(const std::string& text) override;
    engine::SpriteObject* GetFireworks() const { return m_fireworks; }

protected:
    virtual void OnReadyCountdownTick();
    virtual void OnFireworksEnded();
    // The countdown ran out: the main window closes as the player would
    // close it.
    virtual void CloseForNotReady();

private:
    bool IsReadyCountdownRoom() const;
    bool IsInGame() const;
    void ShowReadyMarks();
    void ShowClockAtStartButton();
    void SetBonusCount(int chair, int count);
    void ShowFireworks(int chair);

    ReadyCountdown m_readyCountdown { *this, EVT_READY_COUNTDOWN };
};

// Seconds at 0 the own clock waits before it tells the table the turn is
// overdue, every second after: later chairs wait longer, so the first
// seated player speaks first (one second less while chair 0 is offline).
int ZeroTickLimit(int ownChair, bool chairZeroOffline);

// Adds bomb cards after those at the front of the chair's 28-id list and
// jokers from its back, as long as the list has room; a chair outside the
// table changes nothing.
void AddBonusCards(table::FriendTableState& state, int chair, std::span<const int> bombCards,
    std::span<const int> jokers);

// ---- voices and chat at the seats --------------------------------------------------

// "man_" or "woman_" by the voice word of the chair's player record.
std::string VoicePrefix(int voiceWord);
// What the voice of a play says after the prefix; empty for a type that
// says nothing. trickOpen: the play leads the trick; bombDraw: 0 or 1, the
// voice of a bomb on top of another play.
std::string PlayVoiceSuffix(const table::PlayRecord& play, bool trickOpen, int bombDraw);
// A table chat line's text as spoken and shown: what follows the first '>'
// (the whole text without one), with the closing pair of characters taken
// off when there is one to take.
std::string CutChatVoiceText(std::string_view text);
// The text of a chat line without its '<' … '>' markup (pairs nested
// counted); false when nothing remains to show as text (empty, or a "#"
// emoticon code).
bool StripMarkup(std::string_view text, std::string& out);

} // namespace game
