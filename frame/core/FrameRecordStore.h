#pragma once
// The application's store of what the lobby and the server say about the
// room, the table, its players and lookers-on and the match, the loaders
// that fill it from received bodies and the accessors the views read.
//
// CGameFrameApp derives from it, so the operations keep the application's
// names. What reaches views or the game goes through the virtual hooks
// below, whose bodies here do nothing or answer 0; the application
// overrides them. Everything runs on the user-interface thread.
//
// Every loader takes (data, size): a body shorter than its record is
// refused (false) and changes nothing; counts are clamped to the array they
// fill and to the records the body holds whole; chairs outside 0..7 are
// skipped before they index anything.

#include "frame/core/FrameRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace frame {

class FrameRecordStore {
public:
    static constexpr int kSeats = 8;
    static constexpr int kLookOnSlots = 64;
    static constexpr size_t kReplayTableBlockSize = 216;
    static constexpr size_t kReplaySeatBlockSize = 192;

    FrameRecordStore(std::string gameName, int defaultPort, int versionMajor, int versionMinor);
    virtual ~FrameRecordStore() = default;
    FrameRecordStore(const FrameRecordStore&) = delete;
    FrameRecordStore& operator=(const FrameRecordStore&) = delete;

    // ---- Hooks (the application overrides them) ----------------------
    // Chairs at a table. The game answers 4; the store answers the 8 seats
    // it holds, so a store used alone covers every record.
    virtual int GetChairCount() const { return kSeats; }
    // Events 80000054, 80000055 and 80000056 to the side pane's bars.
    virtual void RefreshAdvertBar() { }
    virtual void RefreshUserList() { }
    virtual void RefreshUserListAll() { }
    // The main view redraws the detail panel of the selected player.
    virtual void ShowSelectedPlayerDetail() { }
    // The main view's handlers of the silver notice (211600) and the
    // per-chair name entries (211910); they get the body as received.
    virtual void OnSilverNotice(const uint8_t* /*data*/, size_t /*size*/) { }
    virtual void OnServerText(const uint8_t* /*data*/, size_t /*size*/) { }
    // Event 80000022 to the side pane and then the table view, after the
    // match ranking was sorted.
    virtual void OnMatchRankingSorted() { }
    // Exit requests sent so far (the game state's count).
    virtual int GetExitRequestCount() const { return 0; }
    // User id of the player the main view's detail panel shows; 0 for none.
    virtual int GetDetailPanelUserId() const { return 0; }

    // ---- Modes --------------------------------------------------------
    virtual bool IsMatchMode() const { return m_matchMode; }
    void SetMatchMode(bool on) { m_matchMode = on; }
    bool IsStandAlone() const { return m_standAlone; }
    void SetStandAlone(bool on) { m_standAlone = on; }
    // A nonzero replay flag also makes the client stand-alone.
    virtual void SetReplayMode(int on);
    virtual bool IsReplayMode() const { return m_replayMode != 0; }

    // ---- Lobby argument -----------------------------------------------
    // Stand-alone: true at once. Otherwise the argument fills the launch
    // fields and the room option words; false (nothing changed) with fewer
    // than 9 fields.
    virtual bool ParseHallArgs(std::string_view commandLine);
    // Marks the stored argument as a relaunch (re-enter 1, not looking on)
    // and returns the relaunch command line.
    std::string BuildRelaunchLine();

    // ---- Loaders and record operations --------------------------------
    virtual void PlayerToWire(const PlayerRecord& player, VizeRidavuRecord& wire) const;
    // Also sets the level title to the room text of the level.
    virtual void WireToPlayer(PlayerRecord& player, const VizeRidavuRecord& wire) const;
    // 211028 {4 table, 8 count, 12 user ids by chair, 64 records}.
    virtual bool LoadSeatPlayers(const uint8_t* data, size_t size);
    // Reply 210210's seat list {8 count, 60 records}; the own chair keeps its record.
    virtual bool LoadOtherSeatPlayers(const uint8_t* data, size_t size);
    // 211700 {8 table, 12 own chair, 16 count, 68 records by their chair}.
    virtual bool LoadPlayersByChair(const uint8_t* data, size_t size);
    virtual void ClearScoreHistory();
    virtual void AddRoundScores(std::span<const int32_t, kSeats> values);
    virtual bool CanRequestForcedQuit() const;
    virtual bool IsSafeBoxTransferAllowed() const;
    // 211150: MatchRoomInfo and its seats.
    virtual bool LoadMatchTable(const uint8_t* data, size_t size);
    // 211080: the round's result applied to match seats or seat records.
    virtual bool ApplyRoundResult(const uint8_t* data, size_t size);
    // A replay's table block (216 bytes) and seat block (192 bytes).
    virtual bool RestoreRoomFromReplay(const uint8_t* data, size_t size);
    virtual bool ReplaySeatToPlayer(PlayerRecord& player, const uint8_t* data, size_t size);
    // 211510, 211600, 211910, 211430, 211440.
    virtual bool UpdatePlayerResult(const uint8_t* data, size_t size);
    virtual bool UpdatePlayerMoney(const uint8_t* data, size_t size);
    virtual bool SetPlayerNames(const uint8_t* data, size_t size);
    virtual bool SetPlayerPortrait(const uint8_t* data, size_t size);
    virtual bool SetPlayerPrivileged(const uint8_t* data, size_t size);
    // Puts the own entry first, then (when marking) the promoted entries,
    // then the rest by ranking key; then OnMatchRankingSorted.
    virtual void SortMatchRanking();
    // The stored MatchRoomInfo gives room id, table number, player count
    // (at most 8) and match id.
    void ApplyMatchRoomInfo();
    // Fills a player record from a match seat; the own user's chair and
    // table take the given values.
    void MatchSeatToPlayer(PlayerRecord& player, const MatchSeatRecord& seat, int chair, int table);

    // ---- Room texts (level titles by level) ----------------------------
    void SetRoomTexts(const uint8_t* data, size_t size);
    std::string GetRoomText(int key) const;

    // ---- Accessors ----------------------------------------------------
    const std::string& GetGameName() const { return m_gameName; }
    int GetVersionMajor() const { return m_versionMajor; }
    int GetVersionMinor() const { return m_versionMinor; }
    int GetDefaultPort() const { return m_defaultPort; }
    int GetGameId() const { return m_hallArgs.gameId; }
    const std::string& GetServerHost() const { return m_hallArgs.serverHost; }
    int GetServerPort() const;
    int GetUserId() const { return m_hallArgs.userId; }
    int GetChair() const { return m_hallArgs.chair; }
    int GetTableNo() const { return m_tableInfo.TableNo(); }
    bool IsLookOn() const { return m_hallArgs.lookOn != 0; }
    int GetReenterFlag() const { return m_hallArgs.reenter; }
    int GetHallWindow() const { return m_hallArgs.lobbyWindow; }
    const std::string& GetTitleText() const { return m_hallArgs.title; }

    int GetRoomId() const { return m_roomInfo.RoomId(); }
    int GetRoomWord12() const { return m_roomInfo.Word12(); }
    int GetRoomWord296() const { return m_roomInfo.Word296(); }
    int GetRoomWord304() const { return m_roomInfo.Word304(); }
    uint32_t GetRoomOptionsA() const { return m_roomInfo.OptionsA(); }
    uint32_t GetRoomOptionsB() const { return m_roomInfo.OptionsB(); }
    uint32_t GetRoomOptionsC() const { return m_roomInfo.OptionsC(); }
    std::string GetRoomName() const { return m_roomInfo.Name(); }
    std::string GetLocationName() const { return m_roomInfo.LocationName(); }
    std::string GetNotifyHost() const { return m_roomInfo.NotifyHost(); }
    int GetTablePlayerCount() const { return m_tableInfo.PlayerCount(); }
    bool IsSilverRoom() const { return (GetRoomOptionsA() & RoomInfo::kOptionASilver) != 0; }
    bool IsQuitLockedRoom() const { return (GetRoomOptionsA() & RoomInfo::kOptionAQuitLocked) != 0; }
    bool IsRoomOptionB02() const { return (GetRoomOptionsB() & RoomInfo::kOptionB02) != 0; }
    bool IsRoomOptionB08() const { return (GetRoomOptionsB() & RoomInfo::kOptionB08) != 0; }
    bool IsRoomOptionB40() const { return (GetRoomOptionsB() & RoomInfo::kOptionB40) != 0; }
    bool IsRoomOptionB80() const { return (GetRoomOptionsB() & RoomInfo::kOptionB80) != 0; }
    // The card layer and the game answer false.
    virtual bool IsRoomOptionC20000() const { return (GetRoomOptionsC() & RoomInfo::kOptionC20000) != 0; }
    bool IsRoomOptionC40000() const { return (GetRoomOptionsC() & RoomInfo::kOptionC40000) != 0; }

    // A search by user id looks through the 8 seat records, then the 64
    // looker-on records; user id 0 (an empty record) is never found.
    const PlayerRecord* FindPlayer(int userId) const;
    PlayerRecord* FindPlayer(int userId);
    int GetChairUserId(int chair) const;
    bool IsChairOccupied(int chair) const { return GetChairUserId(chair) != 0; }
    // The chair field of the user's record; -1 when no record holds the user.
    int GetUserChair(int userId) const;
    bool IsSeatedUser(int userId) const;
    // A looker-on record holds the user and no seat record does.
    bool IsLookOnUser(int userId) const;
    std::string GetChairName(int chair) const;
    std::string GetChairDisplayName(int chair) const;
    std::string GetUserDisplayName(int userId) const;
    std::string GetUserName(int userId) const;
    bool IsPrivilegedUser(int userId) const;
    // A looker-on record of the user takes precedence over a seat record.
    bool IsMemberUser(int userId) const;
    int GetUserWord164(int userId) const;

    int GetMatchId() const { return m_matchId; }
    std::string GetMatchName() const { return m_matchInfo.MatchName(); }
    std::string GetAwardUrl() const { return m_matchInfo.AwardUrl(); }
    const MatchSeatRecord* FindMatchSeat(int userId) const;
    MatchSeatRecord* FindMatchSeat(int userId);
    // -1 outside match mode, for a chair outside 0..7, or when the seat's
    // word at byte 88 is 0.
    int GetMatchSeatWord96(int chair) const;
    virtual int GetMatchRoomWord140() const;
    bool IsMatchKindBelow500() const { return m_matchState.Stage() < MatchStateBlock::kStageFinals; }
    bool IsMatchKind500Plus() const { return m_matchState.Stage() >= MatchStateBlock::kStageFinals; }
    bool IsMatchKind600Plus() const { return m_matchState.Stage() >= MatchStateBlock::kStageOver; }

    // ---- The records themselves ---------------------------------------
    // Null for an index outside the array.
    const PlayerRecord* GetSeatPlayer(int chair) const;
    PlayerRecord* GetSeatPlayer(int chair);
    const PlayerRecord* GetLookOnPlayer(int slot) const;
    PlayerRecord* GetLookOnPlayer(int slot);
    const MatchSeatRecord* GetMatchSeat(int chair) const;
    MatchSeatRecord* GetMatchSeat(int chair);

    const HallLaunchArgs& GetHallArgs() const { return m_hallArgs; }
    HallLaunchArgs& GetHallArgs() { return m_hallArgs; }
    const RoomInfo& GetRoomInfo() const { return m_roomInfo; }
    RoomInfo& GetRoomInfo() { return m_roomInfo; }
    const TableInfo& GetTableInfo() const { return m_tableInfo; }
    TableInfo& GetTableInfo() { return m_tableInfo; }
    const MatchInfo& GetMatchInfo() const { return m_matchInfo; }
    MatchInfo& GetMatchInfo() { return m_matchInfo; }
    const RoundResult& GetRoundResult() const { return m_roundResult; }
    const MatchRoomInfo& GetMatchRoomInfo() const { return m_matchRoomInfo; }
    MatchRoomInfo& GetMatchRoomInfo() { return m_matchRoomInfo; }
    const MatchStateBlock& GetMatchStateBlock() const { return m_matchState; }
    MatchStateBlock& GetMatchStateBlock() { return m_matchState; }
    const MatchRanking& GetMatchRanking() const { return m_matchRanking; }
    MatchRanking& GetMatchRanking() { return m_matchRanking; }
    const ScoreHistory& GetScoreHistory() const { return m_scoreHistory; }
    ScoreHistory& GetScoreHistory() { return m_scoreHistory; }
    const std::map<int, std::string>& GetRoomTexts() const { return m_roomTexts; }

    // The own chair (lobby argument) and the table number (argument and
    // TableInfo alike), as the enter and seat records set them.
    void SetOwnChair(int chair) { m_hallArgs.chair = chair; }
    void SetTableNo(int tableNo);
    void ClearSeatPlayers();

private:
    std::string m_gameName;
    int m_versionMajor;
    int m_versionMinor;
    int m_defaultPort;
    bool m_standAlone = false;
    bool m_matchMode = false;
    int m_replayMode = 0;

    HallLaunchArgs m_hallArgs;
    RoomInfo m_roomInfo;
    TableInfo m_tableInfo;
    MatchInfo m_matchInfo;
    RoundResult m_roundResult;
    std::array<PlayerRecord, kSeats> m_seats {};
    std::array<PlayerRecord, kLookOnSlots> m_lookOns {};
    MatchRoomInfo m_matchRoomInfo;
    int m_matchId = 0;
    std::array<MatchSeatRecord, kSeats> m_matchSeats {};
    MatchStateBlock m_matchState;
    MatchRanking m_matchRanking;
    ScoreHistory m_scoreHistory;
    std::map<int, std::string> m_roomTexts;
};

} // namespace frame
