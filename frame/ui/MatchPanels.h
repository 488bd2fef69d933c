#pragma once
// The match's panels over the table, for a client that runs as a match
// program: the waiting animation, the countdown to the start with the
// sign-up and give-up buttons and the fee, the still pictures of the final
// sign-up states (which close the client 15 seconds later), the opening
// banner, the round title, the tables still playing, and at the end of a
// round or of the match the result panel or the closing animation, which
// arrive through an event queue and are shown one after the other.
//
// The main view owns one MatchPanels in match mode and forwards its match
// operations and events to it; what the panels need of the view goes
// through MatchPanelsHost.

#include "engine/core/EngineEvent.h"
#include "engine/core/Geometry.h"
#include "frame/ui/MainViewProtocol.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {
struct ActionGroup;
class CanvasObject;
class EventSequencer;
class GameObject;
class ImageButton;
class ImageFont;
class ImageNumber;
class RichText;
class SpriteObject;
} // namespace engine

namespace frame {

// Events the panels' objects send to the view, which hands them on.
inline constexpr int EVT_MATCH_BANNER_FADED = 80000006;
inline constexpr int EVT_MATCH_ROUND_CHECK = 80000024;
inline constexpr int EVT_MATCH_SHOW_END = 80000027;
inline constexpr int EVT_MATCH_SHOW_RESULT = 80000029;
inline constexpr int EVT_MATCH_SIGN_UP = 80000039;
inline constexpr int EVT_MATCH_GIVE_UP = 80000040;
inline constexpr int EVT_MATCH_TICK = 80000045;
inline constexpr int EVT_MATCH_CLOSE_CLIENT = 80000085;
inline constexpr int EVT_MATCH_AWARD_PAGE = 80000093;
inline constexpr int EVT_MATCH_EXCHANGE_PAGE = 80000094;

inline constexpr size_t kMatchResultNoticeSize = 224;
inline constexpr size_t kMatchResultKept = 172;
inline constexpr size_t kMatchEndNoticeSize = 40;

// What the panels ask of the main view.
class MatchPanelsHost {
public:
    virtual ~MatchPanelsHost() = default;
    // The table view's rectangle, which every position starts from.
    virtual engine::Rect GetTableRect() const = 0;
    virtual void SendToTable(int code, intptr_t param) = 0;
    virtual void ShowSystemBoard(const std::string& text, uint32_t colour, int size) = 0;
    virtual void HideSystemBoard() = 0;
    // A marked-up line in the side pane's chat.
    virtual void AddChatLine(const std::string& text) = 0;
    // The figure's picture name at the size (2: 48 x 48).
    virtual std::string GetCharacterImageName(int figure, int size) = 0;
    virtual void RequestPlayerDetail() = 0;
    virtual void BringToFront() = 0;
};

class MatchPanels {
public:
    // The close delay of the final states, in seconds.
    static constexpr int kCloseDelay = 15;

    MatchPanels(engine::GameObject& view, MatchPanelsHost& host);
    ~MatchPanels();
    MatchPanels(const MatchPanels&) = delete;
    MatchPanels& operator=(const MatchPanels&) = delete;

    // Makes the objects (the countdown and fee only before the match).
    void Create();
    // Places everything on the table rectangle again.
    void Layout();
    // The panels' own events; 0 when the event is not theirs.
    int OnEvent(const engine::EngineEvent& event);

    // ---- sign-up, countdown and match states -----------------------------
    // The countdown and the give-up button; the view writes the welcome
    // line once the side pane has cleared its chat.
    void OnMatchEnterReply();
    void ShowMatchWelcome();
    void ShowNotSignedUp();
    void ShowMatchSelfCancel();
    void ShowWashout();
    void ShowMatchEnded();
    void ShowMatchLate();
    void ShowMatchSystemCancel();
    void ShowWaitSignUpCheck();
    void ShowMatchRejected();
    void ShowMatchStarted();
    void OnSignUpClicked();
    void OnGiveUpClicked();
    void OnSignUpOk();
    void OnWithdrawn();
    void OnMatchBegin();
    void OnMatchNextRound();
    // Notification 211220: {16 animation flag, 20 tables playing,
    // 24 places promoted, 28 text}.
    void ShowTablesRemaining(const uint8_t* data, size_t size);
    void HideMatchPanels();
    void SetMatchWaitAnimation(int kind);
    void PlayMatchBanner(std::string_view name);
    void HideMatchBanner();
    void HideSignUpPanel();
    void StartMatchCountdown();
    void TickMatchCountdown();
    void StopMatchCountdown();
    void RequestRoundCheck();

    // ---- round results and match end ----------------------------------
    void QueueMatchEnd(const uint8_t* data, size_t size);
    void QueueMatchResult(const uint8_t* data, size_t size);
    void ShowMatchEnd();
    void ShowMatchResult(const uint8_t* notice);
    void HideMatchResult();
    void OpenAwardPage();
    void OpenExchangePage();

    // The countdown's text for s seconds left.
    static std::string CountdownText(int seconds);

    // What the tests read.
    engine::SpriteObject* GetWaitAnimation() const { return m_wait; }
    engine::ImageFont* GetCountdownText() const { return m_countdown; }
    engine::ImageButton* GetSignUpButton() const { return m_signUp; }
    engine::ImageButton* GetGiveUpButton() const { return m_giveUp; }
    engine::ImageFont* GetFeeText() const { return m_fee; }
    engine::ImageFont* GetRoundTitle() const { return m_roundTitle; }
    engine::ImageFont* GetTablesText() const { return m_tables; }
    engine::SpriteObject* GetBanner() const { return m_banner; }
    engine::CanvasObject* GetResultPanel() const { return m_resultPanel; }
    // The queue that shows the round results and the match end one after
    // the other.
    engine::EventSequencer* GetEventQueue() const { return m_queue; }
    engine::CanvasObject* GetResultMask() const { return m_mask; }
    engine::ImageButton* GetRedCross() const { return m_cross; }
    engine::ImageButton* GetAwardButton() const { return m_award; }
    engine::RichText* GetRewardText() const { return m_reward; }
    const std::string& GetCountdownShown() const { return m_countdownShown; }
    const std::string& GetFeeShown() const { return m_feeShown; }
    const std::string& GetTablesShown() const { return m_tablesShown; }
    const std::string& GetRewardShown() const { return m_rewardShown; }
    int GetLastAwardId() const;

private:
    engine::ImageFont* MakeFont(std::string_view glyphs, const char* picture);
    engine::ImageButton* MakeButton(const char* picture, int code);
    void ShowFinalState(const char* picture);
    void ShowAnimation(std::string_view picture);
    void SetFontText(engine::ImageFont* font, const std::string& text, std::string& shown);
    void DisableForAWhile(engine::ImageButton* button);
    void PlaceSignUpUnderAnimation();
    void PlaceFeeText(int gap);
    void MakeResultPanel();
    void PlaceResultButtons(int awardId);
    void ApplyResultToRecords(const uint8_t* notice);
    engine::Rect Table() const;

    engine::GameObject& m_view;
    MatchPanelsHost& m_host;
    engine::SpriteObject* m_wait = nullptr; // none owned: the object module owns them
    engine::EventSequencer* m_queue = nullptr;
    engine::ImageFont* m_countdown = nullptr;
    engine::ImageButton* m_signUp = nullptr;
    engine::ImageButton* m_giveUp = nullptr;
    engine::ImageFont* m_fee = nullptr;
    engine::ImageFont* m_roundTitle = nullptr;
    engine::ImageFont* m_tables = nullptr;
    engine::SpriteObject* m_banner = nullptr;
    engine::CanvasObject* m_resultPanel = nullptr;
    engine::ImageNumber* m_rankDigits = nullptr;
    engine::RichText* m_reward = nullptr;
    engine::CanvasObject* m_mask = nullptr;
    engine::ImageButton* m_cross = nullptr;
    engine::ImageButton* m_award = nullptr;
    int m_awardCode = 0;
    uint64_t m_countdownAction = 0;
    engine::ActionGroup* m_beginGroup = nullptr;
    bool m_signUpUnderAnimation = false;
    int m_feeGap = 10;
    std::array<uint8_t, kMatchResultKept> m_lastResult {};
    std::string m_countdownShown;
    std::string m_feeShown;
    std::string m_tablesShown;
    std::string m_rewardShown;
};

} // namespace frame
