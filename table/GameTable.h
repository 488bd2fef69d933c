#pragma once
// The generic model of one game table as a server keeps it: chairs and the
// players seated on them, the lookers-on of each chair, the status word,
// teams, the chair whose turn it is with its clock, the start countdown and
// the option words the players bring. Card tables derive from it.
//
// Not thread-safe: one thread at a time owns a table.

#include "table/TableRecords.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace table {

constexpr int kMaxChairs = 8;
constexpr size_t kTableBlockSize = 244;

// Chair flags.
constexpr int kChairPresent = 0x1;
constexpr int kChairReady = 0x2;
constexpr int kChairAway = 0x8;
constexpr int kChairFlag16 = 0x10;
constexpr int kChairAway2 = 0x20;

// Status word.
constexpr int kStatusPlaying = 0x1;
constexpr int kStatusInfoSet = 0x2;
constexpr int kStatusBidding = 0x10;
constexpr int kStatusPlayPhase = 0x100;
constexpr int kStatusBit4096 = 0x1000;

// Player flag bits the table reads.
constexpr int kPlayerMobile = 0x800;
constexpr int kPlayerRelief = 0x1;

// A player or looker-on as the table sees it. The table owns the records in
// its user map and deletes them through this virtual destructor.
struct TablePlayer {
    virtual ~TablePlayer() = default;
    int head = 0;
    int userId = 0;
    int flags = 0;       // kPlayerMobile, kPlayerRelief
    int chair = -1;
    int looker = 0;      // non-zero for a looker-on
    int notCounted = 0;  // excluded from the current round
    int score = 0;
    int silver = 0;
    int level = 0;
    int minutes = 0;
    int rounds = 0;
    int seeds[2] = { 0, 0 }; // two integers that seed the random generator
};

// The start parameters of CheckAndStart, by their numbers 2 to 19.
enum StartParam {
    kParamBaseSilver = 2,
    kParamMinSilver = 3,
    kParamFeeRate6 = 4,       // fee of kind 6 per 100 won
    kParamLossCap = 5,        // ClampLoss
    kParamLossFeePercent = 6, // ClampLoss
    kParamWinLimit = 7,       // ReachedLimit
    kParamFeeKind = 8,        // 0, 1, 6, 7, 8 or 9
    kParamFixedFee = 9,       // kinds 1 and 7
    kParamSilverUnit = 10,    // cap (kinds 0, 1) or fixed unit (kinds 7 to 9)
    kParamTimeCap = 11,       // seconds, GetElapsedTime
    kParamBaseScore = 12,
    kParamMinScore = 13,
    kParamMaxScore = 14,
    kParamMaxRoundsPlayer = 15,
    kParamMaxRoundsTable = 16,
    kParamFewestReady = 17,
    kParamFeeRate10000 = 18,  // kinds 8 and 9
    kParamFeeThreshold = 19,  // kinds 8 and 9
    kParamCount = 20,
};
using StartParams = std::array<int, kParamCount>; // indexes 0 and 1 unused

// Result codes of CheckAndStart.
constexpr int kStartOk = 1;
constexpr int kStartEmptyChair = -10010;
constexpr int kStartLowSilver = -10001;
constexpr int kStartLowScore = -10100;
constexpr int kStartHighScore = -10200;
constexpr int kStartPlayerRounds = -10300;
constexpr int kStartTableRounds = -10400;

// Level titles given by the owner: level -> title text (GBK).
using TitleMap = std::map<int, std::string>;

// The seven construction values of a table.
struct GameTableArgs {
    int tableNumber = -1;
    int roomNumber = -1;
    int levelScale = 1;
    int chairCount = 4;
    int options = 0;
    int sixth = 0;
    int seventh = 0; // not kept
};

class GameTable {
public:
    explicit GameTable(const GameTableArgs& args);
    virtual ~GameTable();
    GameTable(const GameTable&) = delete;
    GameTable& operator=(const GameTable&) = delete;

    // --- Lifecycle and table information ---
    // Copies the 244-byte table block (false and nothing changed when the
    // span is shorter).
    virtual bool SetTableInfo(std::span<const uint8_t> block);
    virtual void ClearTableInfo();
    virtual bool HasTableInfo() const;
    virtual void OnCreated() {}
    virtual void Reset(bool full);
    virtual void ClearChair(int chair);
    virtual int ResetRound();
    virtual void ResetAll() { Reset(true); }

    // --- Seating ---
    // Takes the record on success (the number of users is returned); on -1
    // (full table, chair out of range or taken, user already known) the
    // caller keeps it.
    virtual int AddPlayer(std::unique_ptr<TablePlayer>& record);
    // The seated player's chair, -1 when the user is not seated here. The
    // record is deleted, or handed to keep when that is given.
    virtual int RemovePlayer(int userId, std::unique_ptr<TablePlayer>* keep = nullptr);
    virtual void RemoveLooker(int userId, int chair);
    virtual void RemoveUser(int userId, bool alsoRecord);
    virtual bool IsSeatedPlayer(int userId) const;
    virtual bool IsLooker(int userId) const;
    virtual bool IsFull() const;
    virtual bool IsEmpty() const;
    virtual bool IsFullWithInfo() const;
    virtual bool IsValidChair(int chair) const;
    virtual int GetPlayerCount() const;
    virtual TablePlayer* FindSeatedPlayer(int userId) const;
    virtual TablePlayer* FindLooker(int userId) const;
    // No operation of the table adds a looker-on: the owner files them here.
    bool AddLooker(std::unique_ptr<TablePlayer>& record, int chair);
    const std::set<int>& LookersOf(int chair) const;
    // Player seated on a chair (not owned by the caller), null when empty.
    TablePlayer* PlayerAt(int chair) const;
    size_t UserCount() const { return m_users.size(); }

    // --- Table description ---
    virtual int GetTableInfoSize() const { return static_cast<int>(TableInfo::kWireSize); }
    // Writes the public table description; returns the bytes written, 0 when
    // the span is too short.
    virtual int FillTableInfo(std::span<uint8_t> out) const;

    // --- Teams ---
    virtual int CountTeams() const;
    virtual int CountTeamMembers(int team) const;
    virtual int CountOthers(int team) const;
    virtual int NextChairInTeam(int from, int team) const;
    virtual int NextChairNotInTeam(int from, int team) const;
    virtual int AssignTeams();
    virtual int OnRoundStart(const int* a, int b);
    virtual bool IsSameChair(int a, int b) const { return a == b; }
    virtual bool UpdateFirstRound();
    virtual bool IsFirstRound() const { return m_firstRound != 0; }

    // --- Turns ---
    virtual int GetCurrentChair() const { return m_currentChair; }
    virtual int SetCurrentChair(int chair, int seconds);
    virtual void SwitchToChair(int chair);
    virtual void TouchAction();
    virtual int NextChair(int chair) const;
    virtual int PrevChair(int chair) const;
    virtual int StartWithBanker();
    virtual int ChooseBanker();
    virtual int ChooseRoundBanker(const int* a, int b);
    virtual int GetRecordHead(const int* record) const { return record ? record[0] : 0; }
    virtual int GetStartParam(const int* record) const { return record ? record[1] : 0; }
    virtual int StartRound(const int* a, int b);

    // --- Status ---
    virtual int AddStatus(int bits);
    virtual int RemoveStatus(int bits);
    virtual int SetStatus(int value);
    virtual int SetPlaying();
    virtual int StopPlaying();
    virtual int AddStatusBit4096() { return AddStatus(kStatusBit4096); }
    virtual int RemoveStatusBit4096() { return RemoveStatus(kStatusBit4096); }
    virtual bool IsIdle() const { return (m_status & kStatusPlaying) == 0; }
    virtual bool IsPlaying() const { return (m_status & kStatusPlaying) != 0; }
    virtual bool IsStatusBit2() const { return (m_status & kStatusInfoSet) != 0; }
    virtual void SetResultKind(int unused, bool flag);
    virtual void SetResultKindDraw() { m_resultKind = 2; }
    int GetStatus() const { return m_status; }
    int GetResultKind() const { return m_resultKind; }

    // --- Team results ---
    virtual bool IsBankerSide(const void* result, int unused, int chair) const;
    virtual int CompareTeams(int a, int b, int x) const;
    virtual int Negate(int x) const { return -x; }
    // Chair a's share of what chair pays to the chairs outside its team.
    virtual int ShareOfTeam(int a, int chair, int amount) const;
    virtual bool AllOthersAgree(int chair) const;

    // --- Option tests ---
    virtual bool TestOption100000() const;
    virtual bool NotAllOption4() const;
    virtual bool TestOption1024() const { return SomeOptionA(1024); }
    virtual bool TestOption80000() const { return SomeOptionA(0x80000); }
    virtual bool TestOption512() const { return SomeOptionA(512); }
    virtual bool TestKind1() const { return SomeOptionB(1); }
    virtual bool TestKind1b() const { return SomeOptionB(1); }
    virtual bool TestKind2() const { return SomeOptionB(2); }
    virtual bool TestKind64() const { return SomeOptionB(64); }
    virtual bool TestKind4096() const { return SomeOptionB(4096); }
    virtual int PermitHook1() { return 1; }
    virtual int PermitHook2() { return 1; }
    virtual int PermitHook3() { return 1; }
    virtual int PermitHook4() { return 1; }
    virtual int AfterDeal() { return 1; }
    virtual int GetResultFlags() const { return 0; }
    virtual int GetResultFlags2() const { return 0; }
    virtual bool HasCountdown() const { return false; }
    virtual bool IsReliefEnabled() const { return false; }

    // --- Clock ---
    virtual bool IsTurnTimedOut() const;
    virtual bool IsChairTimedOut(int chair) const;
    virtual int GetTimedOutChair(int chair, int seconds) const;
    virtual bool IsTableIdle() const;
    virtual bool IsStale() const;
    virtual bool IsWithinSeconds(int seconds) const;
    virtual bool IsRecentlySeated(int chair, int seconds) const;
    virtual int IncChairCounter(int chair);
    virtual void SetChairReady(int chair);
    virtual bool IsChairAway(int chair) const;
    virtual bool IsChairFlag16(int chair) const;
    virtual bool IsBeforeFirstRound() const { return m_roundCount == 0; }
    virtual bool HasPlayers() const { return GetPlayerCount() > 0; }
    virtual int CountPositiveIds() const;

    // --- Countdown ---
    virtual int StartCountdown(bool start, int seconds);
    virtual bool IsCountdownRunning() const;
    virtual int GetCountdownSeconds() const { return m_countdownSeconds; }
    virtual int GetCountdownLeft(uint32_t now) const;
    virtual void ClearCountdown();

    // --- Start checks (GameTableResults.cpp) ---
    // The start check and the start; returns kStartOk or an error code, with
    // the chair concerned in *outChair where one is named. The round counts
    // are raised only when every check passes.
    virtual int CheckAndStart(int* outChair, const StartParams& params);
    virtual int PrepareState() { return 1; }
    virtual void OnGameStarting() {}
    virtual void DealCards();
    virtual int GetBaseScore(int a) const;
    virtual int GetBaseSilver(int a) const;
    static int GetLevelIndex(int value, int scale);
    virtual void ComputeLevels(const int* before, const int* change, int* out) const;
    static int GetLevelValue(int level); // base score of a level
    virtual int GetMultiplier() const;   // the silver multiplier of GetBaseSilver
    virtual int GetTableStateSize() const { return 0; }
    virtual int GetStartInfoSize() const { return 0; }
    virtual void SnapshotPlayers(bool all);
    virtual void MarkUnreadyPlayers();
    virtual void GetElapsedTime(int* seconds, int* minutes) const;
    int GetParam(int index) const { return index >= 0 && index < kParamCount ? m_params[index] : 0; }
    bool IsReadyMode() const { return m_readyMode; }
    int GetBaseScoreValue() const { return m_baseScore; }
    int GetBaseSilverValue() const { return m_baseSilver; }
    int GetMissedRounds(int chair) const { return IsValidChair(chair) ? m_missedRounds[chair] : 0; }

    // --- Results and settlement (GameTableResults.cpp) ---
    virtual int GetResultSize() const { return static_cast<int>(ResultRecord::kWireSize); }
    virtual int FillResult(ResultRecord& result, int a, int b);
    virtual int FinishRound(ResultRecord& result, int a, int b, bool prepareOnly, const TitleMap* titles);
    virtual void ApplyResults(const ResultRecord& result);
    virtual void PrepareResults(ResultRecord& result);
    virtual void FillPlayerNames(ResultRecord& result, const TitleMap* titles) const;
    virtual void SetResultBaseScore(ResultRecord& result);
    virtual int ComputeScores(ResultRecord& result, int a, int b, int* values);
    virtual int ComputeChanges(ResultRecord& result, int a, int* scoreChanges, int* silverChanges);
    virtual void FillBalances(ResultRecord& result) const;
    // Caps the losses against the balances and takes what was capped back
    // from the winners in proportion; returns the sum of the changes.
    virtual int ClampLosses(const int* balances, int* changes) const;
    virtual void ApplyFeeA(ResultRecord& result) const;
    virtual void ApplyFeeB(ResultRecord& result, int* balances) const;
    virtual int GetFeeRate() const { return 5; }
    // Zeroes every change and fee and returns 0 when the round would create
    // silver (fees plus changes of 1 or more); else 1.
    virtual int CheckZeroSum(int* changes, int* fees, int totalFee) const;
    virtual void MarkEmptyChairs(ResultRecord& result) const;
    virtual int ClampLoss(int chair, int amount, int* feeOut) const;
    virtual bool ReachedLimit(const ResultRecord& result) const;
    bool IsSilverTable() const;
    bool IsCountedChair(int chair) const;
    int CountedMask() const;

    // --- Reports, single-player settlement, relief, placeholders
    //     (GameTableSettlement.cpp) ---
    // One item per seated player / per counted player; returns the count.
    virtual int BuildPlayerResults(const ResultRecord& result, int value, std::vector<PlayerResultItem>& items) const;
    virtual int BuildPlayerResultsEx(const ResultRecord& result, int value, std::vector<PlayerResultItem>& items) const;
    virtual int BuildResultHeader(const ResultRecord& result, int value, ResultHeader& header,
        std::vector<PlayerResultItem>& items) const;
    virtual int BuildResultHeaderEx(const ResultRecord& result, int value, ResultHeader& header,
        std::vector<PlayerResultItem>& items) const;
    virtual void AddPlayerStats(const std::vector<PlayerResultItem>& items);
    virtual void AddPlayerStat(const PlayerResultItem& item);
    // Works on a stored server result, which this table never holds: 0.
    virtual int ApplyServerResult(const ResultRecord* records, int a) { (void)records, (void)a; return 0; }
    virtual int GetPlayerField48(int userId) const;
    struct PlayerListEntry {
        int userId = 0;
        int chair = 0;
        int score = 0;
        int silver = 0;
        int level = 0;
        char title[16] = {};
    };
    // Only when every chair has chair flag 0x1; returns the count, else 0.
    virtual int BuildPlayerList(std::vector<PlayerListEntry>& out, const TitleMap* titles) const;

    // The settlement of one player leaving alone. The caller gives the
    // changes; the rest is filled in.
    struct Settlement {
        int userId = 0;
        int chair = 0;
        int roundCount = 0;
        int baseScore = 0;
        int baseSilver = 0;
        int score = 0;
        int silver = 0;
        int extra[3] = {};
        int scoreChange = 0;  // in and out
        int silverChange = 0; // in and out
        int fee = 0;
        int level = 0;
        char title[16] = {};
    };
    virtual int BuildSettlement(Settlement& out, int chair, bool prepareOnly, const TitleMap* titles);
    virtual void GetExtraValues(int* three) const;
    virtual void ApplyFeeC(Settlement& s) const;
    virtual void ApplyFeeD(Settlement& s, int* balance) const;
    virtual void ClampToDeposit(Settlement& s, int balance) const;
    virtual void CheckZeroPair(Settlement& s) const;
    virtual int BuildSingleResultHeader(int chair, int value, const Settlement& s, ResultHeader& header,
        PlayerResultItem& item) const;

    // Loss relief (run by ComputeChanges only while IsReliefEnabled).
    virtual void ApplyLossRelief(int* silverChanges);
    virtual int RollLossRelief(int loss);
    virtual int GetReliefOdds(int* chance, int* odds, int* shares, int n) const;
    virtual int GetReliefList(std::vector<std::pair<int, int>>& out) const; // user id, amount
    int GetReliefGranted(int chair) const { return IsValidChair(chair) ? m_reliefGranted[chair] : 0; }

    // Placeholder players: 120-byte player records whose byte 16 names the
    // chair; player lists with the count at word 2, presence flags from
    // word 3 and 136-byte entries from word 16. Bytes from outside are
    // bounds-checked; false when a record or list is too short.
    static constexpr size_t kRobotRecordSize = 120;
    static constexpr size_t kListEntrySize = 136;
    virtual bool MakeRobotInfo(int viewer, std::span<uint8_t> record);
    virtual bool MakeRobotInfoEx(int viewer, std::span<uint8_t> record);
    virtual bool FillRobotInfos(int viewer, std::span<uint8_t> list);
    virtual bool StorePairInfo(int viewer, std::span<const uint8_t> list);

    // --- Server rules file ---
    virtual std::string GetServerIniPath() const;
    virtual int GetKickTime() const;
    static std::string GetDefaultPlayerName(int chair);
    // Copies a title into a 16-byte field: at most 15 bytes, never half a
    // GBK character, always terminated.
    static void CopyTitle(char (&field)[16], const std::string& text);
    // Looks a level up in the owner's titles; copies the title when found.
    static bool FindMapTitle(const TitleMap* titles, int level, char (&field)[16]);

    // --- Owner-side setters (the table itself never writes these) ---
    void SetChairFlags(int chair, int flags);
    int GetChairFlags(int chair) const;
    void SetOptionWords(int chair, int optionA, int optionB);
    void SetAgreement(int chair, int word);
    void SetAgreementMark(int row, int column, int mark);
    void SetClearedWord(int index, int value); // the four words cleared at reset
    void SetChairTakenTick(int chair, uint32_t tick);
    void SetTeam(int chair, int team);

    // --- Accessors ---
    int GetTableNumber() const { return m_tableNumber; }
    int GetRoomNumber() const { return m_roomNumber; }
    int GetChairCount() const { return m_chairCount; }
    int GetOptions() const { return m_options; }
    void SetOptions(int options) { m_options = options; }
    int GetBanker() const { return m_banker; }
    void SetBanker(int chair) { m_banker = chair; }
    int GetTeam(int chair) const { return IsValidChair(chair) ? m_team[chair] : -1; }
    int GetRoundCount() const { return m_roundCount; }
    void SetRoundCount(int count) { m_roundCount = count; }
    int GetInfoId() const;
    uint32_t GetTurnLimitMs() const { return m_turnLimitMs; }
    uint32_t GetAccumulatedTurnMs(int chair) const { return IsValidChair(chair) ? m_turnTimeMs[chair] : 0; }
    int GetRoundParam() const { return m_roundParam; }
    uint32_t GetStatusTick() const { return m_statusTick; }
    const char* GetGameId() const { return m_gameId; }

protected:
    bool SomeOptionA(int bit) const;
    bool SomeOptionB(int bit) const;
    void ClearRoundSide();

    int m_tableNumber;
    uint8_t m_tableBlock[kTableBlockSize] = {};
    int m_roomNumber;
    int m_levelScale;
    int m_chairCount;
    int m_options;
    int m_sixth;

    std::unordered_map<int, std::unique_ptr<TablePlayer>> m_users; // players and lookers-on
    std::array<std::set<int>, kMaxChairs> m_lookers;

    std::array<TablePlayer*, kMaxChairs> m_players {}; // links into m_users, not owned
    std::array<int, kMaxChairs> m_chairWord {};
    std::array<int, kMaxChairs> m_optionA {};
    std::array<int, kMaxChairs> m_optionB {};
    std::array<int, 3> m_allHave {}; // every player has option A bit 2, bit 4, bit 0x4000
    std::array<int, 4> m_clearedWords {};

    int m_firstRound = 0;
    int m_roundCount = 0;
    int m_banker = -1;
    std::array<int, kMaxChairs> m_team {};
    int m_roundParam = 0;
    std::array<uint32_t, kMaxChairs> m_chairTakenTick {};
    char m_gameId[32] = {};

    int m_status = 0;
    uint32_t m_statusTick = 0;
    int m_currentChair = -1;
    uint32_t m_actionTick = 0;
    uint32_t m_turnStartTick = 0;
    uint32_t m_gameStartTick = 0;

    std::array<uint32_t, kMaxChairs> m_turnTimeMs {};
    std::array<int, kMaxChairs> m_agreement {};
    std::array<uint32_t, kMaxChairs> m_chairTurnStart {};
    std::array<int, kMaxChairs> m_counter {};
    std::array<int, kMaxChairs> m_chairFlags {};
    std::array<std::array<int, kMaxChairs>, kMaxChairs> m_agreeMatrix {};

    int m_baseScore = 0;
    int m_baseSilver = 0;
    int m_resultKind = 0;
    uint32_t m_turnLimitMs = 0;
    uint32_t m_createTick = 0;
    bool m_countdownActive = false;
    uint32_t m_countdownStart = 0;
    int m_countdownSeconds = 0;
    std::array<int, 5> m_resultHeader {}; // a flag and four words
    std::array<int, kMaxChairs> m_missedRounds {};

    StartParams m_params {};
    bool m_readyMode = false;
    // Ten words of each player from the user id on, taken at the start in
    // ready mode; the balances and fees then read scores and silver here.
    struct PlayerSnapshot {
        bool present = false;
        int userId = 0;
        int flags = 0;
        int chair = -1;
        int looker = 0;
        int notCounted = 0;
        int score = 0;
        int silver = 0;
        int level = 0;
        int minutes = 0;
        int rounds = 0;
    };
    std::array<PlayerSnapshot, kMaxChairs> m_snapshot {};
    std::array<int, kMaxChairs> m_reliefGranted {};
    std::vector<uint8_t> m_pairInfo; // chairs x chairs records of 32 bytes, made on first use
};

} // namespace table
