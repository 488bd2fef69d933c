#pragma once
// The table of the table server: four chairs held by people (clients) or
// robots, the lookers-on, the deals, and the requests and notifications of
// the frame, the card layer and the game that drive them. People enter
// over the link; empty chairs are filled with robots, which are always
// ready; a deal starts when every person at the table pressed start. Plays
// and passes are checked by the rules and relayed to everyone at the table;
// robots move after a short delay, and a person whose turn clock ran out
// (or who left during a deal) gets the robot's move.

#include "tools/tableserver/TableDeal.h"
#include "tools/tableserver/TableSession.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// Request ids the table answers and notification ids it sends.
namespace table_ids {
constexpr uint32_t kEnter = 200110;
constexpr uint32_t kVersion = 201001;
constexpr uint32_t kPulse = 201020;
constexpr uint32_t kLeave = 201120;
constexpr uint32_t kLeaveSeat = 201125;
constexpr uint32_t kCanQuit = 201130;
constexpr uint32_t kSnapshot = 201140;
constexpr uint32_t kStart = 201160; // also the notification of a chair's start
constexpr uint32_t kStartChecked = 201165;
constexpr uint32_t kChat = 201210;  // also the notification of a chat line
constexpr uint32_t kOwnChat = 201211;
constexpr uint32_t kThrow = 221080;
constexpr uint32_t kPass = 223000;
constexpr uint32_t kTableMessage = 229510;
constexpr uint32_t kViewCards = 229550;  // also the notification of the ask
constexpr uint32_t kViewCardsAnswer = 229560;

constexpr uint32_t kPlayerLeft = 211010;
constexpr uint32_t kPlayerEntered = 211011;
constexpr uint32_t kRoundStart = 211040;
constexpr uint32_t kRoundResult = 211080;
constexpr uint32_t kPlayerOffline = 211240;
constexpr uint32_t kThrown = 221170;
constexpr uint32_t kPassed = 223100;
constexpr uint32_t kTurnSync = 221168;
constexpr uint32_t kRelayedMessage = 229500;
constexpr uint32_t kViewCardsAnswered = 229570;
constexpr uint32_t kShowCards = 229580;

constexpr uint32_t kReplyOk = 10;
constexpr uint32_t kReplyExists = 1001;
constexpr uint32_t kReplyFailed = 1010;
constexpr uint32_t kReplyBadArgument = 1011;
constexpr uint32_t kReplyUnsupported = 10000;
constexpr uint32_t kReplySeated = 210200;
constexpr uint32_t kReplyLooking = 210210;
constexpr uint32_t kReplyAuthFailed = 210008;
constexpr uint32_t kReplyEnterFailed = 210060;

constexpr int kTableMessageTimeout = 19840327;
constexpr int kTableMessageAutoOn = 19840329;
constexpr int kTableMessageAutoOff = 19840330;
} // namespace table_ids

struct TableOptions {
    std::string rulesPath;              // the server-rules INI (may be empty)
    std::optional<uint32_t> seed;       // deal k is dealt with seed + k
    bool pinClockForDeal = true;        // false: the caller pins the clock itself
    int deals = 0;                      // deals to play; 0: without end
    int turnSeconds = 0;                // 0: the rules file's
    int robotDelayMs = 800;             // before a robot (or an automatic move) plays
    int dealShowMs = 6000;              // the clients' deal on screen before the first turn
    int graceMs = 3000;                 // after a person's turn clock before the server moves
    bool autoStart = false;             // deals start without start presses (robots alone
                                        // play when someone looks on)
    int bankerChair = -1;               // the first deal's banker (-1: the rules choose)
    int friendChair = -1;               // with a seed: the first deal is the first from the
                                        // seed on whose hidden friend sits here
    Hostility hostile = Hostility::kNone; // what the people's links turn into in the first deal,
    int hostileAfterMoves = 8;          // at the first person's turn after this many moves
    int stallMs = 8000;                 // a stall's silence before the link is closed
    int tableNumber = 1;
    int roomId = 1;
    uint32_t versionMajor = 1;
    uint32_t versionMinor = 1;
};

class Table {
public:
    explicit Table(const TableOptions& options);

    void Handle(TableSession& from, const LinkMessage& request);
    // The session's link ended (or it left): it is no longer at the table.
    void Leave(TableSession& session);
    // Makes the move that is due, if any.
    void OnTimer();
    // Milliseconds until a move is due; -1 when none is waited for.
    int MsUntilDue() const;
    // The asked number of deals has been played.
    bool Finished() const { return m_options.deals > 0 && m_dealsFinished >= m_options.deals; }
    int DealsFinished() const { return m_dealsFinished; }

    Deal& GetDeal() { return m_deal; }
    const Deal& GetDeal() const { return m_deal; }
    bool IsRobot(int chair) const;
    // Moves made in the running (or the last) deal.
    int MovesInDeal() const { return m_movesInDeal; }

    // Watchers for those who report on the table: every move made and
    // relayed (the deal's state as the move left it, before any settlement),
    // every deal settled, and a person's link turning hostile.
    void SetMoveWatcher(std::function<void(const MoveResult&)> watcher) { m_moveWatcher = std::move(watcher); }
    void SetSettleWatcher(std::function<void(const table::FriendResultInfo&)> watcher)
    {
        m_settleWatcher = std::move(watcher);
    }
    void SetHostileWatcher(std::function<void(int chair, Hostility kind)> watcher)
    {
        m_hostileWatcher = std::move(watcher);
    }

private:
    struct Seat {
        bool occupied = false;
        TableSession* person = nullptr; // null on a robot's chair
        bool away = false;              // the person left during the deal
        bool ready = false;
        int userId = 0;
        std::string name;
    };

    void OnEnter(TableSession& s, const LinkMessage& m);
    void OnStart(TableSession& s, const LinkMessage& m);
    void OnThrow(TableSession& s, const LinkMessage& m);
    void OnPass(TableSession& s, const LinkMessage& m);
    void OnTableMessage(TableSession& s, const LinkMessage& m);
    void OnChat(TableSession& s, const LinkMessage& m);
    void Refuse(TableSession& s, const LinkMessage& m);
    void OnViewCards(TableSession& s);
    void OnViewCardsAnswer(TableSession& s, const LinkMessage& m);
    void AnswerViewCards(TableSession& looker, int chair, bool allow);

    int ChooseChair(int wanted) const;
    void SeatRobot(int chair);
    void FillWithRobots(const TableSession* except);
    void Vacate(int chair);
    void MarkReady(int chair);
    void TryStartDeal();
    void BeginTurn(uint32_t at);
    void AfterMove(const MoveResult& r);
    void FinishDeal();
    uint32_t MoveDue() const;
    // The first seed from `from` on whose deal seats the hidden friend at
    // the asked chair (the deal made on a scratch table with the same
    // people); `from` itself when none of the first few hundred does.
    uint32_t SeedWithFriendAt(uint32_t from) const;
    void MaybeTurnHostile(int nextChair);

    std::string PlayerRecord(int chair) const;
    std::string StartedRecord(int chair) const;
    std::string StartRecord(int chair, bool none);
    std::string TableState(int chair, bool hideAll);
    std::string TableInfo();
    void Broadcast(uint32_t id, const std::string& body, const TableSession* except = nullptr);
    std::vector<TableSession*> Audience() const;
    bool SeatedPerson(const TableSession& s) const;

    TableOptions m_options;
    RoomRules m_room;
    Deal m_deal;
    std::array<Seat, 4> m_seats {};
    std::vector<TableSession*> m_lookers;
    int m_dealsStarted = 0;
    int m_dealsFinished = 0;
    uint32_t m_showUntil = 0;
    uint32_t m_turnStart = 0;
    int m_robotsMade = 0;
    int m_movesInDeal = 0;
    bool m_turnedHostile = false;
    std::function<void(const MoveResult&)> m_moveWatcher;
    std::function<void(const table::FriendResultInfo&)> m_settleWatcher;
    std::function<void(int, Hostility)> m_hostileWatcher;
};

} // namespace tools
