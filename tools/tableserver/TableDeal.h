#pragma once
// One table's deals as the table server runs them: the rules object reading
// the server's rules file, the seated players' records, the start (with a
// seed when asked), checked plays and passes, the automatic move of a chair
// and the settlement at the end.

#include "table/FriendCardRules.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tools {

// The room as the rules file's [Room] section sets it up; the rules library
// reads its own sections ([MobileDoubleScore], [basescore]) from the same
// file. A missing file or key keeps the default.
struct RoomRules {
    int baseScore = 1;    // 0: from the lowest player's level
    int baseSilver = 10;
    int minSilver = 0;
    bool silver = true;   // a silver room: the players play for silver too
    int feeKind = 6;
    int feeRate = 2;      // fee per 100 won (kind 6)
    int startScore = 500; // what a new player or robot brings
    int startSilver = 100000;
    int turnSeconds = 20;

    static RoomRules Load(const std::string& path);
    table::StartParams Params() const;
};

class ServerRules : public table::FriendCardRules {
public:
    ServerRules(std::string rulesPath, int tableNumber, int roomNumber);
    std::string GetServerIniPath() const override { return m_rulesPath; }

private:
    std::string m_rulesPath;
};

// What one move did, in the words the notifications carry.
struct MoveResult {
    bool accepted = false;
    bool passed = false;
    bool dealOver = false;
    int chair = -1;
    int nextChair = -1;   // whose turn it is now (the last play: its own chair)
    int finishPlace = 0;  // a play that emptied the hand: the chair's place
    bool tableCleared = false; // a pass that closed the trick
    table::PlayRecord play;    // the play as applied
};

class Deal {
public:
    Deal(const RoomRules& room, const std::string& rulesPath, int tableNumber = 1, int roomNumber = 1);

    // False when the chair is out of range or taken.
    bool Seat(int chair, int userId, int score, int silver);
    void Unseat(int chair);
    bool IsSeated(int chair) const { return m_rules.PlayerAt(chair) != nullptr; }
    table::TablePlayer* Player(int chair) const { return m_rules.PlayerAt(chair); }

    // Starts the next deal; the start code of the rules (table::kStartOk).
    // With a seed the same seed gives the same deal: the seed stands in for
    // the clock's part of the shuffle. pinClock pins the process clock for
    // the deal; a caller that pins the clock itself passes false.
    int Start(std::optional<uint32_t> seed, bool pinClock);
    // The chair every following deal starts with as banker (-1: the rules
    // choose).
    void SetBanker(int chair) { m_banker = chair; }
    bool Running() const { return m_running; }
    bool Over() const { return m_over; }
    int CurrentChair() const { return m_rules.GetCurrentChair(); }
    int TurnSeconds() const { return m_turnSeconds; }

    // A play as a client claims it; refused (accepted false) unless the
    // chair holds the turn, holds the cards and they read as the claim.
    MoveResult Play(int chair, const table::PlayRecord& claim);
    // Refused unless the chair holds the turn and the trick is not its own.
    MoveResult Pass(int chair);
    // The robot's move for the chair holding the turn.
    MoveResult PlayAutomatically(int chair);

    // Once Over(): scores, settles and returns the result; the table waits
    // for its next start.
    const table::FriendResultInfo& Finish();
    const table::FriendResultInfo& Result() const { return m_result; }

    ServerRules& Rules() { return m_rules; }
    const ServerRules& Rules() const { return m_rules; }

private:
    ServerRules m_rules;
    table::StartParams m_params;
    int m_turnSeconds;
    bool m_silver;
    int m_banker = -1;
    bool m_running = false;
    bool m_over = false;
    table::FriendResultInfo m_result;
};

} // namespace tools
