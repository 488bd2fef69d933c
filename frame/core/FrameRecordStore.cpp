#include "frame/core/FrameRecordStore.h"

#include "frame/core/WireReader.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace frame {

namespace {

constexpr int kNoChair = -1;

bool IsSeatChair(int chair)
{
    return chair >= 0 && chair < FrameRecordStore::kSeats;
}

// Seat list of notification 211028.
namespace seat_list {
constexpr size_t kTableNo = 4;
constexpr size_t kCount = 8;
constexpr size_t kUserIds = 12;
constexpr size_t kRecords = 64;
} // namespace seat_list

// Seat list at the start of reply 210210.
namespace other_seats {
constexpr size_t kCount = 8;
constexpr size_t kRecords = 60;
} // namespace other_seats

// Seat list of notification 211700.
namespace chair_list {
constexpr size_t kTableNo = 8;
constexpr size_t kOwnChair = 12;
constexpr size_t kCount = 16;
constexpr size_t kRecords = 68;
} // namespace chair_list

// A player's result, notification 211510.
namespace player_result {
constexpr size_t kChair = 4;
constexpr size_t kScoreBefore = 24;
constexpr size_t kSilverBefore = 28;
constexpr size_t kScoreChange = 32;
constexpr size_t kSilverChange = 36;
constexpr size_t kLevel = 44;
constexpr size_t kLevelTitle = 48, kLevelTitleSize = 16;
constexpr size_t kSize = kLevelTitle + kLevelTitleSize;
} // namespace player_result

// A player's silver, notification 211600.
namespace player_money {
constexpr size_t kChair = 4;
constexpr size_t kValid = 8;
constexpr size_t kSilver = 16;
constexpr size_t kSize = 20;
} // namespace player_money

// The per-chair name entries of notification 211910.
constexpr size_t kNameEntrySize = 52;

// {user id, chair, value} of notifications 211430 and 211440.
namespace player_change {
constexpr size_t kUserId = 0;
constexpr size_t kChair = 4;
constexpr size_t kValue = 8;
constexpr size_t kSize = 12;
} // namespace player_change

// A replay's ordinary table block.
namespace replay_table {
constexpr size_t kRoomId = 0;
constexpr size_t kTableNo = 4;
constexpr size_t kSeatCount = 8;
constexpr size_t kOptionsA = 16;
constexpr size_t kOptionsB = 64;
} // namespace replay_table

// A replay's ordinary seat block: a copy of a player record's fields.
namespace replay_seat {
constexpr size_t kUserId = 0;
constexpr size_t kFlags = 4;
constexpr size_t kStatus = 8;
constexpr size_t kChair = 12;
constexpr size_t kWord68 = 16;
constexpr size_t kWord72 = 20;
constexpr size_t kFigure = 24;
constexpr size_t kName = 28;
constexpr size_t kNickname = 60;
constexpr size_t kSilver = 76;
constexpr size_t kLevel = 80;
constexpr size_t kLevelTitle = 84;
constexpr size_t kScore = 100;
constexpr size_t kDisconnects = 104;
constexpr size_t kWon = 108;
constexpr size_t kLost = 112;
constexpr size_t kDrawn = 116;
constexpr size_t kPlayed = 120;
constexpr size_t kExperienceSeconds = 124;
} // namespace replay_seat

// Bytes of a player record that a match seat leaves zero (looker-on flag
// and the words after it).
constexpr size_t kMatchClearedFrom = 148;
constexpr size_t kMatchClearedTo = 172;

int32_t ClampCount(int32_t count, int32_t limit)
{
    return std::clamp<int32_t>(count, 0, limit);
}

// Adds one finished round to a record's counters: played, and won, lost
// or drawn by the sign of the chair's change.
void CountRound(PlayerRecord& player, int32_t change)
{
    player.SetPlayed(WrapAdd(player.Played(), 1));
    if (change > 0)
        player.SetWon(WrapAdd(player.Won(), 1));
    else if (change < 0)
        player.SetLost(WrapAdd(player.Lost(), 1));
    else
        player.SetDrawn(WrapAdd(player.Drawn(), 1));
}

} // namespace

FrameRecordStore::FrameRecordStore(std::string gameName, int defaultPort, int versionMajor, int versionMinor)
    : m_gameName(std::move(gameName))
    , m_versionMajor(versionMajor)
    , m_versionMinor(versionMinor)
    , m_defaultPort(defaultPort)
{
}

void FrameRecordStore::SetReplayMode(int on)
{
    m_replayMode = on;
    if (on)
        m_standAlone = true;
}

// ---- Lobby argument -----------------------------------------------------

bool FrameRecordStore::ParseHallArgs(std::string_view commandLine)
{
    if (m_standAlone)
        return true;
    HallArgsLine line;
    if (frame::ParseHallArgs(commandLine, m_defaultPort, line) != HallArgsStatus::Ok)
        return false;
    m_hallArgs = std::move(line.args);
    m_roomInfo.SetOptionsA(line.roomOptionsA);
    m_roomInfo.SetOptionsB(line.roomOptionsB);
    m_roomInfo.SetOptionsC(line.roomOptionsC);
    return true;
}

std::string FrameRecordStore::BuildRelaunchLine()
{
    m_hallArgs.reenter = 1;
    m_hallArgs.lookOn = 0;
    HallArgsLine line { m_hallArgs, GetRoomOptionsA(), GetRoomOptionsB(), GetRoomOptionsC() };
    return FormatHallArgs(line);
}

int FrameRecordStore::GetServerPort() const
{
    return m_hallArgs.serverPort != 0 ? m_hallArgs.serverPort : m_defaultPort;
}

// ---- Player records and the server's form of them -----------------------

void FrameRecordStore::PlayerToWire(const PlayerRecord& player, VizeRidavuRecord& wire) const
{
    wire.SetUserId(player.UserId());
    wire.SetFlags(player.Flags());
    wire.SetStatus(player.Status());
    wire.SetTableNo(player.TableNo());
    wire.SetChair(player.Chair());
    wire.SetWord20(player.Word68());
    wire.SetWord24(player.Word72());
    wire.SetNetSpeed(player.NetSpeed());
    wire.SetFigure(player.Figure());
    wire.SetName(player.Name());
    wire.SetNickname(player.Nickname());
    wire.SetSilver(player.Silver());
    wire.SetLevel(player.Level());
    wire.SetScore(player.Score());
    wire.SetDisconnects(player.Disconnects());
    wire.SetWon(player.Won());
    wire.SetLost(player.Lost());
    wire.SetDrawn(player.Drawn());
    wire.SetPlayed(player.Played());
    wire.SetExperienceSeconds(player.ExperienceSeconds());
}

void FrameRecordStore::WireToPlayer(PlayerRecord& player, const VizeRidavuRecord& wire) const
{
    player.SetUserId(wire.UserId());
    player.SetFlags(wire.Flags());
    player.SetStatus(wire.Status());
    player.SetTableNo(wire.TableNo());
    player.SetChair(wire.Chair());
    player.SetWord68(wire.Word20());
    player.SetWord72(wire.Word24());
    player.SetNetSpeed(wire.NetSpeed());
    player.SetFigure(wire.Figure());
    player.SetName(wire.Name());
    player.SetNickname(wire.Nickname());
    player.SetSilver(wire.Silver());
    player.SetLevel(wire.Level());
    player.SetLevelTitle(GetRoomText(wire.Level()));
    player.SetScore(wire.Score());
    player.SetDisconnects(wire.Disconnects());
    player.SetWon(wire.Won());
    player.SetLost(wire.Lost());
    player.SetDrawn(wire.Drawn());
    player.SetPlayed(wire.Played());
    player.SetExperienceSeconds(wire.ExperienceSeconds());
    player.SetExperienceMinutes(wire.ExperienceSeconds() / 60);
}

void FrameRecordStore::ClearSeatPlayers()
{
    for (PlayerRecord& seat : m_seats)
        seat.Clear();
}

void FrameRecordStore::SetTableNo(int tableNo)
{
    m_hallArgs.tableNo = tableNo;
    m_tableInfo.SetTableNo(tableNo);
}

bool FrameRecordStore::LoadSeatPlayers(const uint8_t* data, size_t size)
{
    WireReader body(data, size);
    if (!body.Has(seat_list::kRecords))
        return false;
    size_t count = body.CountFitting(seat_list::kRecords, VizeRidavuRecord::kSize, body.Int(seat_list::kCount), kSeats);
    for (size_t i = 0; i < count && GetUserId() != 0; ++i) {
        if (body.Int(seat_list::kUserIds + 4 * i) == GetUserId()) {
            SetOwnChair(static_cast<int>(i));
            break;
        }
    }
    SetTableNo(body.Int(seat_list::kTableNo));
    m_tableInfo.SetPlayerCount(static_cast<int32_t>(count));
    ClearSeatPlayers();
    for (size_t i = 0; i < count; ++i) {
        VizeRidavuRecord wire;
        wire.Load(data + seat_list::kRecords + i * VizeRidavuRecord::kSize, VizeRidavuRecord::kSize);
        WireToPlayer(m_seats[i], wire);
    }
    return true;
}

bool FrameRecordStore::LoadOtherSeatPlayers(const uint8_t* data, size_t size)
{
    WireReader body(data, size);
    if (!body.Has(other_seats::kRecords))
        return false;
    size_t count = body.CountFitting(other_seats::kRecords, VizeRidavuRecord::kSize, body.Int(other_seats::kCount), kSeats);
    for (size_t i = 0; i < count; ++i) {
        VizeRidavuRecord wire;
        wire.Load(data + other_seats::kRecords + i * VizeRidavuRecord::kSize, VizeRidavuRecord::kSize);
        if (wire.Chair() != GetChair())
            WireToPlayer(m_seats[i], wire);
    }
    return true;
}

bool FrameRecordStore::LoadPlayersByChair(const uint8_t* data, size_t size)
{
    WireReader body(data, size);
    if (!body.Has(chair_list::kRecords))
        return false;
    // The own chair indexes the seats everywhere; a value that is neither
    // a seat nor "none" makes the whole list suspect.
    int ownChair = body.Int(chair_list::kOwnChair);
    if (ownChair != kNoChair && !IsSeatChair(ownChair))
        return false;
    size_t count = body.CountFitting(chair_list::kRecords, VizeRidavuRecord::kSize, body.Int(chair_list::kCount), kSeats);
    SetOwnChair(ownChair);
    SetTableNo(body.Int(chair_list::kTableNo));
    m_tableInfo.SetPlayerCount(static_cast<int32_t>(count));
    ClearSeatPlayers();
    for (size_t i = 0; i < count; ++i) {
        VizeRidavuRecord wire;
        wire.Load(data + chair_list::kRecords + i * VizeRidavuRecord::kSize, VizeRidavuRecord::kSize);
        if (IsSeatChair(wire.Chair()))
            WireToPlayer(m_seats[static_cast<size_t>(wire.Chair())], wire);
    }
    return true;
}

// ---- Score history ------------------------------------------------------

void FrameRecordStore::ClearScoreHistory()
{
    m_scoreHistory.Clear();
}

void FrameRecordStore::AddRoundScores(std::span<const int32_t, kSeats> values)
{
    m_scoreHistory.AddRound(values, GetChairCount());
}

// ---- Room rules ---------------------------------------------------------

bool FrameRecordStore::CanRequestForcedQuit() const
{
    return !IsRoomOptionB02() && GetExitRequestCount() <= 1;
}

bool FrameRecordStore::IsSafeBoxTransferAllowed() const
{
    return !IsLookOn() && IsSilverRoom() && (GetRoomOptionsB() & RoomInfo::kOptionBSafeBoxTransfer) != 0;
}

// ---- Match table --------------------------------------------------------

void FrameRecordStore::ApplyMatchRoomInfo()
{
    m_roomInfo.SetRoomId(m_matchRoomInfo.RoomId());
    SetTableNo(m_matchRoomInfo.TableNo());
    m_tableInfo.SetPlayerCount(ClampCount(m_matchRoomInfo.SeatCount(), kSeats));
    m_matchId = m_matchRoomInfo.MatchId();
}

void FrameRecordStore::MatchSeatToPlayer(PlayerRecord& player, const MatchSeatRecord& seat, int chair, int table)
{
    player.SetUserId(seat.UserId());
    player.SetFlags(seat.Flags());
    player.SetName(seat.Name());
    player.SetNickname(seat.Nickname());
    player.SetWord68(seat.Word8());
    player.SetWord72(seat.Word12());
    player.SetFigure(seat.Figure());
    player.SetSilver(seat.Silver());
    player.SetWon(seat.Won());
    player.SetLost(seat.Lost());
    player.SetDrawn(seat.Drawn());
    player.SetPlayed(seat.Played());
    player.SetDisconnects(seat.Disconnects());
    player.SetExperienceSeconds(seat.ExperienceSeconds());
    player.SetTableNo(table);
    player.SetChair(chair);
    std::span<uint8_t> bytes = player.MutableBytes();
    std::fill(bytes.begin() + kMatchClearedFrom, bytes.begin() + kMatchClearedTo, uint8_t { 0 });
    if (seat.UserId() != 0 && seat.UserId() == GetUserId()) {
        SetOwnChair(chair);
        SetTableNo(table);
    }
}

bool FrameRecordStore::LoadMatchTable(const uint8_t* data, size_t size)
{
    WireReader body(data, size);
    if (!body.Has(MatchRoomInfo::kSize))
        return false;
    m_matchRoomInfo.Load(data, size);
    size_t count = body.CountFitting(MatchRoomInfo::kSize, MatchSeatRecord::kSize, m_matchRoomInfo.SeatCount(), kSeats);
    ApplyMatchRoomInfo();
    ClearSeatPlayers();
    for (size_t i = 0; i < count; ++i) {
        m_matchSeats[i].Load(data + MatchRoomInfo::kSize + i * MatchSeatRecord::kSize, MatchSeatRecord::kSize);
        MatchSeatToPlayer(m_seats[i], m_matchSeats[i], static_cast<int>(i), GetTableNo());
    }
    return true;
}

// ---- Round results ------------------------------------------------------

bool FrameRecordStore::ApplyRoundResult(const uint8_t* data, size_t size)
{
    if (!m_roundResult.Load(data, size))
        return false;
    const RoundResult& result = m_roundResult;
    bool silverRoom = IsSilverRoom();
    if (IsMatchMode()) {
        int seats = ClampCount(result.MatchSeatCount(), kSeats);
        for (int i = 0; i < seats; ++i) {
            MatchSeatRecord& seat = m_matchSeats[static_cast<size_t>(i)];
            seat.SetMatchScore(WrapAdd(result.ScoreBefore(i), result.ScoreChange(i)));
            // Silver is based on the silver-before column, as in a table
            // round: the score-before column holds scores, and adding a
            // silver change to a score would give neither quantity.
            seat.SetSilver(WrapAdd(result.SilverBefore(i), result.SilverChange(i)));
        }
    } else {
        for (int chair = 0; chair < kSeats; ++chair) {
            PlayerRecord& player = m_seats[static_cast<size_t>(chair)];
            if (player.UserId() == 0 || (result.KeepMask() & (1u << chair)) != 0)
                continue;
            player.SetLevel(result.Level(chair));
            player.SetLevelTitle(result.LevelTitle(chair));
            player.SetScore(WrapAdd(result.ScoreBefore(chair), result.ScoreChange(chair)));
            player.SetSilver(WrapAdd(result.SilverBefore(chair), result.SilverChange(chair)));
            CountRound(player, silverRoom ? result.SilverChange(chair) : result.ScoreChange(chair));
        }
    }
    std::array<int32_t, kSeats> changes {};
    for (int chair = 0; chair < kSeats; ++chair)
        changes[static_cast<size_t>(chair)] = silverRoom ? result.SilverChange(chair) : result.ScoreChange(chair);
    AddRoundScores(changes);
    RefreshAdvertBar();
    RefreshUserList();
    RefreshUserListAll();
    ShowSelectedPlayerDetail();
    return true;
}

bool FrameRecordStore::UpdatePlayerResult(const uint8_t* data, size_t size)
{
    using namespace player_result;
    WireReader body(data, size);
    if (!body.Has(kSize))
        return false;
    int chair = body.Int(kChair);
    if (!IsChairOccupied(chair))
        return false;
    PlayerRecord& player = m_seats[static_cast<size_t>(chair)];
    player.SetLevel(body.Int(kLevel));
    player.SetLevelTitle(body.Text(kLevelTitle, kLevelTitleSize));
    player.SetScore(WrapAdd(body.Int(kScoreBefore), body.Int(kScoreChange)));
    player.SetSilver(WrapAdd(body.Int(kSilverBefore), body.Int(kSilverChange)));
    player.SetPlayed(WrapAdd(player.Played(), 1));
    player.SetLost(WrapAdd(player.Lost(), 1));
    RefreshUserList();
    ShowSelectedPlayerDetail();
    return true;
}

bool FrameRecordStore::UpdatePlayerMoney(const uint8_t* data, size_t size)
{
    using namespace player_money;
    WireReader body(data, size);
    if (!body.Has(kSize))
        return false;
    int chair = body.Int(kChair);
    if (body.Int(kValid) == 0 || !IsChairOccupied(chair))
        return false;
    if (IsMatchMode())
        m_matchSeats[static_cast<size_t>(chair)].SetSilver(body.Int(kSilver));
    else
        m_seats[static_cast<size_t>(chair)].SetSilver(body.Int(kSilver));
    RefreshUserList();
    ShowSelectedPlayerDetail();
    OnSilverNotice(data, size);
    return true;
}

bool FrameRecordStore::SetPlayerNames(const uint8_t* data, size_t size)
{
    WireReader body(data, size);
    size_t entries = body.CountFitting(0, kNameEntrySize, GetChairCount(), kSeats);
    if (entries == 0)
        return false;
    for (size_t chair = 0; chair < entries; ++chair) {
        PlayerRecord& player = m_seats[chair];
        if (player.UserId() != 0)
            player.SetName(body.Text(chair * kNameEntrySize, kNameEntrySize));
    }
    OnServerText(data, size);
    return true;
}

bool FrameRecordStore::SetPlayerPortrait(const uint8_t* data, size_t size)
{
    using namespace player_change;
    WireReader body(data, size);
    if (!body.Has(kSize))
        return false;
    int userId = body.Int(kUserId);
    int chair = body.Int(kChair);
    int figure = body.Int(kValue);
    if (!IsSeatChair(chair) || figure < 0)
        return false;
    PlayerRecord* player = FindPlayer(userId);
    if (player == nullptr || player->Chair() != chair || player->Figure() == figure)
        return false;
    // Where seated players are hidden from one another, only one's own
    // change, or any change seen as a looker-on, is taken.
    if (IsRoomOptionB08() && userId != GetUserId() && !IsLookOn())
        return false;
    player->SetFigure(figure);
    RefreshUserList();
    if (!IsLookOnUser(userId) && GetDetailPanelUserId() == userId)
        ShowSelectedPlayerDetail();
    return true;
}

bool FrameRecordStore::SetPlayerPrivileged(const uint8_t* data, size_t size)
{
    using namespace player_change;
    WireReader body(data, size);
    if (!body.Has(kSize))
        return false;
    int chair = body.Int(kChair);
    if (!IsSeatChair(chair))
        return false;
    PlayerRecord* player = FindPlayer(body.Int(kUserId));
    if (player == nullptr || player->Chair() != chair)
        return false;
    bool on = body.Int(kValue) != 0;
    if (player->IsPrivileged() == on)
        return false;
    uint32_t flags = player->Flags();
    player->SetFlags(on ? flags | PlayerRecord::kFlagPrivileged : flags & ~PlayerRecord::kFlagPrivileged);
    return true;
}

void FrameRecordStore::SortMatchRanking()
{
    // Keys fit in 64 bits whatever the server sent: the offsets never wrap.
    constexpr int64_t kOwnOffset = 10000000;
    constexpr int64_t kPromotedOffset = 1000000;
    size_t count = m_matchRanking.Count();
    bool marking = m_matchRanking.PromotionMarking() != 0;
    int64_t promoted = m_matchRanking.PromotionCount();
    std::vector<int64_t> keys(count);
    for (size_t i = 0; i < count; ++i) {
        MatchRankingEntry entry = m_matchRanking.Entry(i);
        int64_t key = entry.RankingKey();
        if (entry.UserId() == GetUserId())
            key -= kOwnOffset;
        else if (marking && static_cast<int64_t>(i) < promoted)
            key -= kPromotedOffset;
        keys[i] = key;
    }
    m_matchRanking.SortByKeys(keys);
    OnMatchRankingSorted();
}

// ---- Replays ------------------------------------------------------------

bool FrameRecordStore::RestoreRoomFromReplay(const uint8_t* data, size_t size)
{
    using namespace replay_table;
    WireReader block(data, size);
    if (!block.Has(kReplayTableBlockSize))
        return false;
    m_roomInfo.SetRoomId(block.Int(kRoomId));
    SetTableNo(block.Int(kTableNo));
    m_tableInfo.SetPlayerCount(ClampCount(block.Int(kSeatCount), kSeats));
    m_roomInfo.SetOptionsA(block.Word(kOptionsA));
    m_roomInfo.SetOptionsB(block.Word(kOptionsB));
    return true;
}

bool FrameRecordStore::ReplaySeatToPlayer(PlayerRecord& player, const uint8_t* data, size_t size)
{
    using namespace replay_seat;
    WireReader block(data, size);
    if (!block.Has(kReplaySeatBlockSize))
        return false;
    player.SetUserId(block.Int(kUserId));
    player.SetFlags(block.Word(kFlags));
    player.SetStatus(block.Int(kStatus));
    player.SetChair(block.Int(kChair));
    player.SetWord68(block.Int(kWord68));
    player.SetWord72(block.Int(kWord72));
    player.SetFigure(block.Int(kFigure));
    player.SetName(block.Text(kName, PlayerRecord::kNameSize));
    player.SetNickname(block.Text(kNickname, PlayerRecord::kNicknameSize));
    player.SetSilver(block.Int(kSilver));
    player.SetLevel(block.Int(kLevel));
    player.SetLevelTitle(block.Text(kLevelTitle, PlayerRecord::kLevelTitleSize));
    player.SetScore(block.Int(kScore));
    player.SetDisconnects(block.Int(kDisconnects));
    player.SetWon(block.Int(kWon));
    player.SetLost(block.Int(kLost));
    player.SetDrawn(block.Int(kDrawn));
    player.SetPlayed(block.Int(kPlayed));
    player.SetExperienceSeconds(block.Int(kExperienceSeconds));
    return true;
}

// ---- Room texts ---------------------------------------------------------

void FrameRecordStore::SetRoomTexts(const uint8_t* data, size_t size)
{
    m_roomTexts = ParseRoomTexts(data, size);
}

std::string FrameRecordStore::GetRoomText(int key) const
{
    auto it = m_roomTexts.find(key);
    return it == m_roomTexts.end() ? std::string() : it->second;
}

// ---- Players by chair and by user ---------------------------------------

const PlayerRecord* FrameRecordStore::GetSeatPlayer(int chair) const
{
    return IsSeatChair(chair) ? &m_seats[static_cast<size_t>(chair)] : nullptr;
}

PlayerRecord* FrameRecordStore::GetSeatPlayer(int chair)
{
    return IsSeatChair(chair) ? &m_seats[static_cast<size_t>(chair)] : nullptr;
}

const PlayerRecord* FrameRecordStore::GetLookOnPlayer(int slot) const
{
    return slot >= 0 && slot < kLookOnSlots ? &m_lookOns[static_cast<size_t>(slot)] : nullptr;
}

PlayerRecord* FrameRecordStore::GetLookOnPlayer(int slot)
{
    return slot >= 0 && slot < kLookOnSlots ? &m_lookOns[static_cast<size_t>(slot)] : nullptr;
}

const MatchSeatRecord* FrameRecordStore::GetMatchSeat(int chair) const
{
    return IsSeatChair(chair) ? &m_matchSeats[static_cast<size_t>(chair)] : nullptr;
}

MatchSeatRecord* FrameRecordStore::GetMatchSeat(int chair)
{
    return IsSeatChair(chair) ? &m_matchSeats[static_cast<size_t>(chair)] : nullptr;
}

const PlayerRecord* FrameRecordStore::FindPlayer(int userId) const
{
    if (userId == 0)
        return nullptr;
    for (const PlayerRecord& seat : m_seats) {
        if (seat.UserId() == userId)
            return &seat;
    }
    for (const PlayerRecord& lookOn : m_lookOns) {
        if (lookOn.UserId() == userId)
            return &lookOn;
    }
    return nullptr;
}

PlayerRecord* FrameRecordStore::FindPlayer(int userId)
{
    return const_cast<PlayerRecord*>(std::as_const(*this).FindPlayer(userId));
}

int FrameRecordStore::GetChairUserId(int chair) const
{
    const PlayerRecord* player = GetSeatPlayer(chair);
    return player ? player->UserId() : 0;
}

int FrameRecordStore::GetUserChair(int userId) const
{
    const PlayerRecord* player = FindPlayer(userId);
    return player ? player->Chair() : kNoChair;
}

bool FrameRecordStore::IsSeatedUser(int userId) const
{
    return userId != 0
        && std::any_of(m_seats.begin(), m_seats.end(), [&](const PlayerRecord& p) { return p.UserId() == userId; });
}

bool FrameRecordStore::IsLookOnUser(int userId) const
{
    return userId != 0 && !IsSeatedUser(userId)
        && std::any_of(m_lookOns.begin(), m_lookOns.end(), [&](const PlayerRecord& p) { return p.UserId() == userId; });
}

std::string FrameRecordStore::GetChairName(int chair) const
{
    const PlayerRecord* player = GetSeatPlayer(chair);
    return player ? player->Name() : std::string();
}

std::string FrameRecordStore::GetChairDisplayName(int chair) const
{
    const PlayerRecord* player = GetSeatPlayer(chair);
    return player ? player->DisplayName() : std::string();
}

std::string FrameRecordStore::GetUserDisplayName(int userId) const
{
    const PlayerRecord* player = FindPlayer(userId);
    return player ? player->DisplayName() : std::string();
}

std::string FrameRecordStore::GetUserName(int userId) const
{
    const PlayerRecord* player = FindPlayer(userId);
    return player ? player->Name() : std::string();
}

bool FrameRecordStore::IsPrivilegedUser(int userId) const
{
    const PlayerRecord* player = FindPlayer(userId);
    return player && player->IsPrivileged();
}

bool FrameRecordStore::IsMemberUser(int userId) const
{
    if (userId == 0)
        return false;
    for (const PlayerRecord& lookOn : m_lookOns) {
        if (lookOn.UserId() == userId)
            return lookOn.IsMember();
    }
    const PlayerRecord* player = FindPlayer(userId);
    return player && player->IsMember();
}

int FrameRecordStore::GetUserWord164(int userId) const
{
    const PlayerRecord* player = FindPlayer(userId);
    return player ? player->Word164() : 0;
}

// ---- Match accessors ----------------------------------------------------

const MatchSeatRecord* FrameRecordStore::FindMatchSeat(int userId) const
{
    if (userId == 0)
        return nullptr;
    for (const MatchSeatRecord& seat : m_matchSeats) {
        if (seat.UserId() == userId)
            return &seat;
    }
    return nullptr;
}

MatchSeatRecord* FrameRecordStore::FindMatchSeat(int userId)
{
    return const_cast<MatchSeatRecord*>(std::as_const(*this).FindMatchSeat(userId));
}

int FrameRecordStore::GetMatchSeatWord96(int chair) const
{
    const MatchSeatRecord* seat = GetMatchSeat(chair);
    if (!IsMatchMode() || seat == nullptr || seat->Word88() == 0)
        return -1;
    return seat->Word96();
}

int FrameRecordStore::GetMatchRoomWord140() const
{
    return IsReplayMode() ? 0 : m_matchRoomInfo.Word140();
}

} // namespace frame
