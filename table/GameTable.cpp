#include "table/GameTable.h"

#include "table/Cards.h"
#include "table/Random.h"
#include "platform/Bytes.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstring>

namespace table {

using platform::LoadI32;

namespace {
const std::set<int> kNoLookers;
}

GameTable::GameTable(const GameTableArgs& args)
    : m_tableNumber(args.tableNumber)
    , m_roomNumber(args.roomNumber)
    , m_levelScale(args.levelScale)
    // The per-chair arrays hold eight chairs; a count outside 1..8 cannot be
    // seated and would break the turn arithmetic.
    , m_chairCount(std::clamp(args.chairCount, 1, kMaxChairs))
    , m_options(args.options)
    , m_sixth(args.sixth)
{
    m_team.fill(-1);
    OnCreated();
    GameTable::Reset(true);
    GameTable::ClearTableInfo();
}

GameTable::~GameTable() = default;

// --- Lifecycle and table information ---

bool GameTable::SetTableInfo(std::span<const uint8_t> block)
{
    if (block.size() < kTableBlockSize)
        return false;
    std::memcpy(m_tableBlock, block.data(), kTableBlockSize);
    m_roundCount = LoadI32(m_tableBlock, 120);
    m_statusTick = m_actionTick = platform::TickMs();
    m_status = kStatusInfoSet;
    return true;
}

void GameTable::ClearTableInfo()
{
    std::memset(m_tableBlock, 0, sizeof m_tableBlock);
}

bool GameTable::HasTableInfo() const
{
    return GetInfoId() != 0;
}

int GameTable::GetInfoId() const
{
    return LoadI32(m_tableBlock, 4);
}

void GameTable::ClearRoundSide()
{
    std::memset(m_gameId, 0, sizeof m_gameId);
    m_status = 0;
    m_statusTick = platform::TickMs();
    m_currentChair = -1;
    m_actionTick = m_turnStartTick = m_gameStartTick = 0;
    m_turnLimitMs = 0;
    m_turnTimeMs.fill(0);
    m_chairTurnStart.fill(0);
    m_counter.fill(0);
    m_resultKind = 0;
    m_resultHeader.fill(0);
    m_clearedWords.fill(0);
}

void GameTable::Reset(bool full)
{
    if (full) {
        m_users.clear();
        for (auto& lookers : m_lookers)
            lookers.clear();
        m_players.fill(nullptr);
        m_chairWord.fill(0);
        m_optionA.fill(0);
        m_optionB.fill(0);
        m_allHave.fill(0);
        m_baseScore = m_baseSilver = 0;
        m_firstRound = 0;
        m_roundCount = 0;
        m_banker = -1;
        m_team.fill(-1);
        m_roundParam = 0;
        m_chairTakenTick.fill(0);
        m_missedRounds.fill(0);
        m_createTick = platform::TickMs();
    }
    ClearRoundSide();
    ClearCountdown();
    m_reliefGranted.fill(0);
    m_snapshot = {};
    if (full)
        std::fill(m_pairInfo.begin(), m_pairInfo.end(), uint8_t { 0 });
}

int GameTable::ResetRound()
{
    ClearRoundSide();
    m_allHave.fill(0);
    m_baseScore = m_baseSilver = 0;
    m_firstRound = 0;
    m_roundCount = 0;
    m_banker = -1;
    m_roundParam = 0;
    m_createTick = platform::TickMs();
    return 0;
}

void GameTable::ClearChair(int chair)
{
    if (!IsValidChair(chair))
        return;
    m_players[chair] = nullptr;
    m_chairWord[chair] = 0;
    m_lookers[chair].clear();
    m_optionA[chair] = m_optionB[chair] = 0;
    m_team[chair] = -1;
    m_chairTakenTick[chair] = 0;
    m_turnTimeMs[chair] = 0;
    m_chairTurnStart[chair] = 0;
    m_agreement[chair] = 0;
    m_counter[chair] = 0;
    m_chairFlags[chair] = 0;
}

// --- Seating ---

int GameTable::AddPlayer(std::unique_ptr<TablePlayer>& record)
{
    if (!record || m_users.size() >= static_cast<size_t>(m_chairCount))
        return -1;
    int chair = record->chair;
    // The chair comes from a record built from outside: check it before it
    // indexes the per-chair arrays.
    if (!IsValidChair(chair) || m_players[chair] != nullptr || m_users.count(record->userId) != 0)
        return -1;
    TablePlayer* player = record.get();
    m_users.emplace(player->userId, std::move(record));
    m_players[chair] = player;
    m_chairFlags[chair] &= ~kChairReady;
    return static_cast<int>(m_users.size());
}

int GameTable::RemovePlayer(int userId, std::unique_ptr<TablePlayer>* keep)
{
    auto it = m_users.find(userId);
    if (it == m_users.end())
        return -1;
    int chair = it->second->chair;
    // Only the player seated on the chair frees it; a looker-on's record
    // names the chair of someone else.
    if (!IsValidChair(chair) || m_players[chair] != it->second.get())
        return -1;
    m_players[chair] = nullptr;
    if (keep)
        *keep = std::move(it->second);
    m_users.erase(it);
    ClearChair(chair);
    return chair;
}

void GameTable::RemoveLooker(int userId, int chair)
{
    auto it = m_users.find(userId);
    if (it != m_users.end() && it->second->looker != 0)
        m_users.erase(it);
    if (IsValidChair(chair))
        m_lookers[chair].erase(userId);
}

void GameTable::RemoveUser(int userId, bool alsoRecord)
{
    if (alsoRecord) {
        auto it = m_users.find(userId);
        if (it != m_users.end()) {
            TablePlayer* player = it->second.get();
            for (auto& seated : m_players) {
                if (seated == player)
                    seated = nullptr;
            }
            m_users.erase(it);
        }
    }
    for (auto& lookers : m_lookers)
        lookers.erase(userId);
}

bool GameTable::AddLooker(std::unique_ptr<TablePlayer>& record, int chair)
{
    if (!record || !IsValidChair(chair) || m_users.count(record->userId) != 0)
        return false;
    record->looker = 1;
    record->chair = chair;
    int userId = record->userId;
    m_users.emplace(userId, std::move(record));
    m_lookers[chair].insert(userId);
    return true;
}

const std::set<int>& GameTable::LookersOf(int chair) const
{
    return IsValidChair(chair) ? m_lookers[chair] : kNoLookers;
}

TablePlayer* GameTable::PlayerAt(int chair) const
{
    return IsValidChair(chair) ? m_players[chair] : nullptr;
}

bool GameTable::IsSeatedPlayer(int userId) const
{
    return FindSeatedPlayer(userId) != nullptr;
}

bool GameTable::IsLooker(int userId) const
{
    return FindLooker(userId) != nullptr;
}

TablePlayer* GameTable::FindSeatedPlayer(int userId) const
{
    auto it = m_users.find(userId);
    return it != m_users.end() && it->second->looker == 0 ? it->second.get() : nullptr;
}

TablePlayer* GameTable::FindLooker(int userId) const
{
    auto it = m_users.find(userId);
    return it != m_users.end() && it->second->looker != 0 ? it->second.get() : nullptr;
}

int GameTable::GetPlayerCount() const
{
    return static_cast<int>(std::count_if(m_players.begin(), m_players.begin() + m_chairCount,
        [](const TablePlayer* p) { return p != nullptr; }));
}

bool GameTable::IsFull() const
{
    return GetPlayerCount() == m_chairCount;
}

bool GameTable::IsEmpty() const
{
    return GetPlayerCount() == 0;
}

bool GameTable::IsFullWithInfo() const
{
    return IsFull() && HasTableInfo();
}

bool GameTable::IsValidChair(int chair) const
{
    return chair >= 0 && chair < m_chairCount;
}

int GameTable::CountPositiveIds() const
{
    int n = 0;
    for (int c = 0; c < m_chairCount; ++c) {
        if (m_players[c] && m_players[c]->userId > 0)
            ++n;
    }
    return n;
}

int GameTable::FillTableInfo(std::span<uint8_t> out) const
{
    TableInfo info;
    info.tableNumber = m_tableNumber;
    info.roomNumber = m_roomNumber;
    info.chairCount = m_chairCount;
    info.baseScore = m_baseScore;
    info.baseSilver = m_baseSilver;
    for (int c = 0; c < m_chairCount; ++c)
        info.chairFlags[c] = m_chairFlags[c];
    info.roundCount = m_roundCount;
    info.kickTime = GetKickTime();
    return info.Write(out) ? static_cast<int>(TableInfo::kWireSize) : 0;
}

// --- Teams ---

int GameTable::CountTeams() const
{
    std::set<int> teams;
    for (int c = 0; c < m_chairCount; ++c)
        teams.insert(m_team[c]);
    return static_cast<int>(teams.size());
}

int GameTable::CountTeamMembers(int team) const
{
    return static_cast<int>(std::count(m_team.begin(), m_team.begin() + m_chairCount, team));
}

int GameTable::CountOthers(int team) const
{
    return m_chairCount - CountTeamMembers(team);
}

int GameTable::NextChairInTeam(int from, int team) const
{
    if (!IsValidChair(from))
        return -1;
    for (int c = NextChair(from); c != from; c = NextChair(c)) {
        if (m_team[c] == team)
            return c;
    }
    return -1;
}

int GameTable::NextChairNotInTeam(int from, int team) const
{
    if (!IsValidChair(from))
        return -1;
    for (int c = NextChair(from); c != from; c = NextChair(c)) {
        if (m_team[c] != team)
            return c;
    }
    return -1;
}

int GameTable::AssignTeams()
{
    for (int c = 0; c < m_chairCount; ++c)
        m_team[c] = c;
    return m_chairCount;
}

int GameTable::OnRoundStart(const int*, int)
{
    return 0;
}

bool GameTable::UpdateFirstRound()
{
    if (m_roundCount == 1)
        m_firstRound = 1;
    return m_firstRound != 0;
}

void GameTable::SetTeam(int chair, int team)
{
    if (IsValidChair(chair))
        m_team[chair] = team;
}

bool GameTable::IsBankerSide(const void*, int, int chair) const
{
    if (!IsValidChair(chair))
        return false;
    bool sameTeam = IsValidChair(m_banker) && m_team[chair] == m_team[m_banker];
    if (m_resultKind & 0x1)
        return sameTeam;
    if (m_resultKind & (0x4 | 0x8))
        return !sameTeam;
    return false;
}

int GameTable::CompareTeams(int a, int b, int x) const
{
    if (a == b)
        return -x;
    if (IsValidChair(a) && IsValidChair(b) && m_team[a] != m_team[b])
        return 1;
    return 0;
}

int GameTable::ShareOfTeam(int a, int chair, int amount) const
{
    if (a == chair || !IsValidChair(a) || !IsValidChair(chair))
        return 0;
    int team = m_team[chair];
    // Only the chairs outside the payer's team share; none outside (every
    // chair in one team) means nothing to share.
    if (m_team[a] == team)
        return 0;
    int others = CountOthers(team);
    if (others <= 0)
        return 0;
    int share = amount / others;
    if (NextChairNotInTeam(chair, team) == a)
        share += amount % others;
    return share;
}

bool GameTable::AllOthersAgree(int chair) const
{
    if (!IsValidChair(chair))
        return false;
    for (int c = 0; c < m_chairCount; ++c) {
        if (c == chair || !m_players[c] || m_players[c]->notCounted)
            continue;
        if (m_agreement[c] == 0 && m_agreeMatrix[chair][c] == 0)
            return false;
    }
    return true;
}

// --- Turns ---

int GameTable::SetCurrentChair(int chair, int seconds)
{
    uint32_t now = platform::TickMs();
    if (IsValidChair(m_currentChair) && m_turnStartTick != 0)
        m_turnTimeMs[m_currentChair] += now - m_turnStartTick;
    m_currentChair = chair;
    m_actionTick = m_turnStartTick = now;
    if (IsValidChair(chair))
        m_chairTurnStart[chair] = now;
    m_turnLimitMs = static_cast<uint32_t>(seconds) * 1000u + 1000u;
    return chair;
}

void GameTable::SwitchToChair(int chair)
{
    if (chair == m_currentChair)
        return;
    uint32_t now = platform::TickMs();
    if (IsValidChair(m_currentChair) && m_turnStartTick != 0)
        m_turnTimeMs[m_currentChair] += now - m_turnStartTick;
    m_currentChair = chair;
    m_actionTick = m_turnStartTick = now;
}

void GameTable::TouchAction()
{
    m_actionTick = platform::TickMs();
}

int GameTable::NextChair(int chair) const
{
    if (!IsValidChair(chair))
        return -1;
    return (chair + m_chairCount - 1) % m_chairCount;
}

int GameTable::PrevChair(int chair) const
{
    if (!IsValidChair(chair))
        return -1;
    return (chair + 1) % m_chairCount;
}

int GameTable::StartWithBanker()
{
    SwitchToChair(m_banker);
    return m_currentChair;
}

int GameTable::ChooseBanker()
{
    return RandomBelow(m_chairCount);
}

int GameTable::ChooseRoundBanker(const int*, int)
{
    return RandomBelow(m_chairCount);
}

int GameTable::StartRound(const int* a, int b)
{
    m_banker = ChooseRoundBanker(a, b);
    OnRoundStart(a, b);
    IsFirstRound();
    m_roundParam = GetStartParam(a);
    Reset(false);
    return 1;
}

// --- Status ---

int GameTable::AddStatus(int bits)
{
    m_statusTick = platform::TickMs();
    if (bits & kStatusPlaying)
        m_status &= ~kStatusInfoSet;
    m_status |= bits;
    return m_status;
}

int GameTable::RemoveStatus(int bits)
{
    m_statusTick = platform::TickMs();
    m_status &= ~bits;
    return m_status;
}

int GameTable::SetStatus(int value)
{
    m_statusTick = platform::TickMs();
    m_status = value;
    return m_status;
}

int GameTable::SetPlaying()
{
    return AddStatus(kStatusPlaying);
}

int GameTable::StopPlaying()
{
    m_statusTick = platform::TickMs();
    return m_status;
}

void GameTable::SetResultKind(int, bool flag)
{
    m_resultKind = flag ? 8 : 4;
}

// --- Option tests ---

bool GameTable::SomeOptionA(int bit) const
{
    for (int c = 0; c < m_chairCount; ++c) {
        if ((m_optionA[c] & bit) == bit)
            return true;
    }
    return false;
}

bool GameTable::SomeOptionB(int bit) const
{
    for (int c = 0; c < m_chairCount; ++c) {
        if ((m_optionB[c] & bit) == bit)
            return true;
    }
    return false;
}

bool GameTable::TestOption100000() const
{
    return (m_options & 0x1000000) != 0 || SomeOptionA(0x100000);
}

bool GameTable::NotAllOption4() const
{
    return !AllHaveMask(m_optionA.data(), m_chairCount, 4);
}

// --- Clock ---

bool GameTable::IsTurnTimedOut() const
{
    return platform::TickMs() - m_turnStartTick >= m_turnLimitMs;
}

bool GameTable::IsChairTimedOut(int chair) const
{
    if (!IsValidChair(chair))
        return false;
    if (m_chairFlags[chair] & kChairAway)
        return true;
    return m_turnLimitMs < platform::TickMs() - m_chairTurnStart[chair];
}

int GameTable::GetTimedOutChair(int chair, int seconds) const
{
    if (chair == m_currentChair)
        return chair;
    if (platform::TickMs() - m_actionTick > static_cast<uint32_t>(seconds) * 1000u)
        return m_currentChair;
    return chair;
}

bool GameTable::IsTableIdle() const
{
    uint32_t now = platform::TickMs();
    if (IsPlaying())
        return now - m_turnStartTick >= 2 * m_turnLimitMs + 10000u;
    return now - m_statusTick > 120000u;
}

bool GameTable::IsStale() const
{
    return LoadI32(m_tableBlock, 136) != 0 && platform::TickMs() - m_statusTick > 60000u;
}

bool GameTable::IsWithinSeconds(int seconds) const
{
    return seconds != 0 && platform::TickMs() - m_gameStartTick < static_cast<uint32_t>(seconds) * 1000u;
}

bool GameTable::IsRecentlySeated(int chair, int seconds) const
{
    if (IsPlaying() || m_roundCount > 1 || m_clearedWords[2] == 0 || !IsValidChair(chair))
        return false;
    return platform::TickMs() - m_chairTakenTick[chair] < static_cast<uint32_t>(seconds) * 1000u;
}

int GameTable::IncChairCounter(int chair)
{
    return IsValidChair(chair) ? ++m_counter[chair] : 0;
}

void GameTable::SetChairReady(int chair)
{
    if (IsValidChair(chair))
        m_chairFlags[chair] |= kChairReady;
}

bool GameTable::IsChairAway(int chair) const
{
    return IsValidChair(chair) && (m_chairFlags[chair] & (kChairAway | kChairAway2)) != 0;
}

bool GameTable::IsChairFlag16(int chair) const
{
    return IsValidChair(chair) && (m_chairFlags[chair] & kChairFlag16) != 0;
}

// --- Countdown ---

int GameTable::StartCountdown(bool start, int seconds)
{
    if (!HasCountdown())
        return 0;
    if (!start) {
        ClearCountdown();
        return 1;
    }
    if (m_countdownActive || seconds <= 0)
        return 0;
    m_countdownActive = true;
    m_countdownStart = platform::TickMs();
    m_countdownSeconds = seconds;
    return 1;
}

bool GameTable::IsCountdownRunning() const
{
    return IsIdle() && HasCountdown() && m_countdownActive;
}

int GameTable::GetCountdownLeft(uint32_t now) const
{
    if (!IsCountdownRunning())
        return 0;
    int elapsed = static_cast<int>((now - m_countdownStart) / 1000u);
    if (elapsed < 1)
        elapsed = 1;
    int left = m_countdownSeconds - elapsed;
    return left > 0 ? left : 2;
}

void GameTable::ClearCountdown()
{
    m_countdownActive = false;
    m_countdownStart = 0;
    m_countdownSeconds = 0;
}

// --- Owner-side setters ---

void GameTable::SetChairFlags(int chair, int flags)
{
    if (IsValidChair(chair))
        m_chairFlags[chair] = flags;
}

int GameTable::GetChairFlags(int chair) const
{
    return IsValidChair(chair) ? m_chairFlags[chair] : 0;
}

void GameTable::SetOptionWords(int chair, int optionA, int optionB)
{
    if (IsValidChair(chair)) {
        m_optionA[chair] = optionA;
        m_optionB[chair] = optionB;
    }
}

void GameTable::SetAgreement(int chair, int word)
{
    if (IsValidChair(chair))
        m_agreement[chair] = word;
}

void GameTable::SetAgreementMark(int row, int column, int mark)
{
    if (IsValidChair(row) && IsValidChair(column))
        m_agreeMatrix[row][column] = mark;
}

void GameTable::SetClearedWord(int index, int value)
{
    if (index >= 0 && index < static_cast<int>(m_clearedWords.size()))
        m_clearedWords[index] = value;
}

void GameTable::SetChairTakenTick(int chair, uint32_t tick)
{
    if (IsValidChair(chair))
        m_chairTakenTick[chair] = tick;
}

} // namespace table
