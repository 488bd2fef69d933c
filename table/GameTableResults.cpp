// The start check, the results and the settlement of the generic table.

#include "table/Cards.h"
#include "table/GameTable.h"
#include "table/Random.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Gbk.h"
#include "platform/IniFile.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace table {

namespace {

constexpr int kLevelThresholds[20] = { 0, 10, 30, 60, 100, 200, 400, 640, 920, 1240, 2140, 4640, 7390, 10390,
    13640, 20640, 35640, 51640, 68640, 86640 };
constexpr int kLevelBaseScores[20] = { 1, 2, 3, 4, 5, 10, 12, 14, 16, 18, 50, 55, 60, 65, 70, 150, 160, 170, 180,
    190 };

int ClampToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

int64_t CeilDiv(int64_t a, int64_t b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

} // namespace

// --- Start ---

int GameTable::CheckAndStart(int* outChair, const StartParams& params)
{
    if (outChair)
        *outChair = -1;
    auto fail = [&](int code, int chair) {
        if (outChair)
            *outChair = chair;
        return code;
    };

    // 1. Ready mode: some player asks for it (B 0x1000) and none refuses (B 0x2).
    bool wantReady = false;
    bool refuseReady = false;
    for (int c = 0; c < m_chairCount; ++c) {
        if (!m_players[c])
            continue;
        wantReady |= (m_optionB[c] & 0x1000) != 0;
        refuseReady |= (m_optionB[c] & 0x2) != 0;
    }
    m_readyMode = wantReady && !refuseReady;
    if (m_readyMode) {
        int ready = 0;
        for (int c = 0; c < m_chairCount; ++c) {
            if (m_players[c] && (m_chairFlags[c] & kChairReady))
                ++ready;
        }
        if (ready < params[kParamFewestReady])
            return fail(kStartEmptyChair, -1);
    } else {
        for (int c = 0; c < m_chairCount; ++c) {
            if (!m_players[c])
                return fail(kStartEmptyChair, c);
        }
    }

    // 2 and 3. The base score, the every-player-has words, the kept
    // parameters, who is counted.
    m_baseScore = GetBaseScore(params[kParamBaseScore]);
    int have2 = 1, have4 = 1, have4000 = 1;
    for (int c = 0; c < m_chairCount; ++c) {
        if (m_readyMode && !m_players[c])
            continue;
        have2 &= (m_optionA[c] & 0x2) != 0 ? 1 : 0;
        have4 &= (m_optionA[c] & 0x4) != 0 ? 1 : 0;
        have4000 &= (m_optionA[c] & 0x4000) != 0 ? 1 : 0;
    }
    m_allHave = { have2, have4, have4000 };
    m_params = params;
    m_params[kParamBaseScore] = m_params[kParamMaxRoundsPlayer] = m_params[kParamMaxRoundsTable]
        = m_params[kParamFewestReady] = 0;
    ClearCountdown();
    MarkUnreadyPlayers();

    // 4. A silver table needs every counted player to bring the minimum.
    if (m_allHave[1] && (m_options & 0x400000) == 0) {
        m_baseSilver = GetBaseSilver(params[kParamBaseSilver]);
        for (int c = 0; c < m_chairCount; ++c) {
            if (IsCountedChair(c) && m_players[c]->silver < params[kParamMinSilver])
                return fail(kStartLowSilver, c);
        }
    }
    // 5. Scores within the room's range.
    for (int c = 0; c < m_chairCount; ++c) {
        if (!IsCountedChair(c))
            continue;
        if (m_players[c]->score < params[kParamMinScore])
            return fail(kStartLowScore, c);
        if (m_players[c]->score > params[kParamMaxScore])
            return fail(kStartHighScore, c);
    }
    // 6 and 7. Rounds per player and per table, counting the round about to
    // start; the counters themselves rise only when the start goes ahead, so
    // failed starts never use up rounds.
    for (int c = 0; c < m_chairCount; ++c) {
        if (IsCountedChair(c) && m_players[c]->rounds + 1 > params[kParamMaxRoundsPlayer])
            return fail(kStartPlayerRounds, c);
    }
    if (m_roundCount + 1 > params[kParamMaxRoundsTable])
        return fail(kStartTableRounds, -1);
    ++m_roundCount;
    for (int c = 0; c < m_chairCount; ++c) {
        if (m_players[c])
            ++m_players[c]->rounds;
    }
    m_gameStartTick = platform::TickMs();

    // 8. Start.
    SnapshotPlayers(false);
    PrepareState();
    OnGameStarting();
    DealCards();
    AfterDeal();
    SetPlaying();
    StartWithBanker();
    AssignTeams();
    UpdateFirstRound();
    if (m_gameId[0] == 0) {
        static const char kHex[] = "0123456789ABCDEF";
        for (int i = 0; i < 30; ++i)
            m_gameId[i] = kHex[NextRandom() & 0xF];
        m_gameId[30] = 0;
    }
    return kStartOk;
}

void GameTable::DealCards()
{
    m_banker = ChooseBanker();
}

int GameTable::GetLevelIndex(int value, int scale)
{
    if (value <= 0)
        return 0;
    if (scale < 1)
        scale = 1;
    int level = 0;
    for (int n = 0; n < 20; ++n) {
        if (static_cast<int64_t>(value) >= static_cast<int64_t>(scale) * kLevelThresholds[n])
            level = n;
    }
    return level;
}

int GameTable::GetLevelValue(int level)
{
    return kLevelBaseScores[std::clamp(level, 0, 19)];
}

void GameTable::ComputeLevels(const int* before, const int* change, int* out) const
{
    for (int c = 0; c < m_chairCount; ++c)
        out[c] = GetLevelIndex(ClampToInt(static_cast<int64_t>(before[c]) + change[c]), m_levelScale);
}

int GameTable::GetBaseScore(int a) const
{
    if (a > 0)
        return a;
    if (HasTableInfo()) {
        return platform::LoadI32(m_tableBlock, 124);
    }
    int lowest = INT_MAX;
    for (int c = 0; c < m_chairCount; ++c)
        lowest = std::min(lowest, m_players[c] ? m_players[c]->score : 0);
    return GetLevelValue(GetLevelIndex(lowest, m_levelScale));
}

int GameTable::GetMultiplier() const
{
    int lowest = INT_MAX;
    for (int c = 0; c < m_chairCount; ++c) {
        if (m_players[c])
            lowest = std::min(lowest, m_players[c]->silver);
    }
    if (lowest == INT_MAX)
        lowest = 0;
    int steps = std::max(lowest, 100) / 100;
    int power = 0;
    while (steps > 1) {
        steps >>= 1;
        ++power;
    }
    return 1 << std::min(power, 30);
}

int GameTable::GetBaseSilver(int a) const
{
    if (m_allHave[0])
        return 0;
    int64_t silver = static_cast<int64_t>(a) * GetMultiplier() * (m_roomNumber / 10 + 1);
    int kind = m_params[kParamFeeKind];
    int unit = m_params[kParamSilverUnit];
    if ((kind == 0 || kind == 1) && unit > 0)
        silver = std::min<int64_t>(silver, unit);
    if (kind >= 7 && kind <= 9 && unit > 0) {
        int lowestPositive = INT_MAX;
        for (int c = 0; c < m_chairCount; ++c) {
            if (m_players[c] && m_players[c]->silver > 0)
                lowestPositive = std::min(lowestPositive, m_players[c]->silver);
        }
        if (lowestPositive != INT_MAX && lowestPositive >= unit)
            silver = unit;
    }
    return ClampToInt(silver);
}

void GameTable::MarkUnreadyPlayers()
{
    for (int c = 0; c < m_chairCount; ++c) {
        if (!m_players[c])
            continue;
        m_players[c]->notCounted = 0;
        if (!m_readyMode)
            continue;
        if (m_chairFlags[c] & kChairReady) {
            m_missedRounds[c] = 0;
        } else {
            m_players[c]->notCounted = 1;
            ++m_missedRounds[c];
        }
    }
}

void GameTable::SnapshotPlayers(bool all)
{
    if (!m_readyMode)
        return;
    m_snapshot = {};
    for (int c = 0; c < m_chairCount; ++c) {
        const TablePlayer* p = m_players[c];
        if (!p || (!all && p->notCounted))
            continue;
        m_snapshot[c] = PlayerSnapshot { true, p->userId, p->flags, p->chair, p->looker, p->notCounted, p->score,
            p->silver, p->level, p->minutes, p->rounds };
    }
}

void GameTable::GetElapsedTime(int* seconds, int* minutes) const
{
    int cap = m_params[kParamTimeCap];
    int elapsed = static_cast<int>((platform::TickMs() - m_gameStartTick) / 1000u);
    if (cap <= 0)
        elapsed = 60000;
    else if (elapsed > cap)
        elapsed = 0;
    if (seconds)
        *seconds = elapsed;
    if (minutes)
        *minutes = elapsed / 60;
}

// --- Results ---

bool GameTable::IsCountedChair(int chair) const
{
    return IsValidChair(chair) && m_players[chair] && m_players[chair]->notCounted == 0;
}

int GameTable::CountedMask() const
{
    int mask = 0;
    for (int c = 0; c < m_chairCount; ++c) {
        if (IsCountedChair(c))
            mask |= 1 << c;
    }
    return mask;
}

bool GameTable::IsSilverTable() const
{
    return m_allHave[1] != 0 && m_baseSilver != 0;
}

void GameTable::FillBalances(ResultRecord& result) const
{
    for (int c = 0; c < m_chairCount; ++c) {
        if (m_readyMode) {
            result.scoreBefore[c] = m_snapshot[c].score;
            result.silverBefore[c] = m_snapshot[c].silver;
        } else if (m_players[c]) {
            result.scoreBefore[c] = m_players[c]->score;
            result.silverBefore[c] = m_players[c]->silver;
        }
    }
}

int GameTable::ComputeScores(ResultRecord&, int, int, int*)
{
    return 0;
}

int GameTable::ComputeChanges(ResultRecord&, int, int*, int* silverChanges)
{
    if (IsReliefEnabled())
        ApplyLossRelief(silverChanges);
    return 0;
}

int GameTable::ClampLosses(const int* balances, int* changes) const
{
    int given[kMaxChairs] = {};
    int64_t winnings = 0;
    int smallestPositive = INT_MAX;
    for (int c = 0; c < m_chairCount; ++c) {
        if (!IsCountedChair(c))
            continue;
        given[c] = changes[c];
        if (changes[c] > 0)
            winnings += changes[c];
        if (balances[c] > 0)
            smallestPositive = std::min(smallestPositive, balances[c]);
    }
    const bool ownBalance = (m_options & 0x4000000) != 0;
    for (int c = 0; c < m_chairCount; ++c) {
        if (!IsCountedChair(c) || changes[c] >= 0)
            continue;
        int64_t cap = ownBalance ? std::max(balances[c], 0) : (smallestPositive == INT_MAX ? 0 : smallestPositive);
        int64_t loss = -static_cast<int64_t>(changes[c]);
        if (loss <= cap)
            continue;
        int64_t capped = loss - cap;
        changes[c] = ClampToInt(-cap);
        // Nobody won: there is nothing to take back.
        if (winnings <= 0)
            continue;
        for (int j = 0; j < m_chairCount; ++j) {
            if (!IsCountedChair(j) || given[j] <= 0)
                continue;
            int64_t back = CeilDiv(capped * given[j], winnings);
            changes[j] = ClampToInt(std::max<int64_t>(0, changes[j] - back));
        }
    }
    int sum = 0;
    for (int c = 0; c < m_chairCount; ++c)
        sum += IsCountedChair(c) ? changes[c] : 0;
    return sum;
}

void GameTable::ApplyFeeA(ResultRecord& result) const
{
    const int kind = m_params[kParamFeeKind];
    if (kind == 6) {
        const int rate = m_params[kParamFeeRate6];
        for (int c = 0; c < m_chairCount; ++c) {
            int change = result.silverChange[c];
            if (!IsCountedChair(c) || change <= 100)
                continue;
            int64_t hundreds = change / 100;
            int64_t fee = hundreds * rate;
            if (change > 10000 && change <= 100000)
                fee *= CeilDiv(change, 20000);
            else if (change > 100000)
                fee *= 5;
            fee = std::clamp<int64_t>(fee, 0, GetFeeRate() * hundreds);
            result.fee[c] = ClampToInt(fee);
            result.silverChange[c] -= result.fee[c];
        }
    } else if (kind == 1) {
        const int fixed = m_params[kParamFixedFee];
        int64_t unpaid = 0;
        for (int c = 0; c < m_chairCount; ++c) {
            if (!IsCountedChair(c))
                continue;
            int64_t can = static_cast<int64_t>(result.silverBefore[c]) + result.silverChange[c];
            // Never a negative fee: a player left with nothing pays nothing.
            int64_t fee = std::clamp<int64_t>(can, 0, std::max(fixed, 0));
            unpaid += std::max(fixed, 0) - fee;
            result.fee[c] = ClampToInt(fee);
            result.silverChange[c] = ClampToInt(result.silverChange[c] - fee);
        }
        for (int c = 0; c < m_chairCount && unpaid > 0; ++c) {
            if (!IsCountedChair(c) || result.silverChange[c] <= 0)
                continue;
            int64_t take = std::min<int64_t>(unpaid, result.silverChange[c]);
            result.fee[c] = ClampToInt(result.fee[c] + take);
            result.silverChange[c] = ClampToInt(result.silverChange[c] - take);
            unpaid -= take;
        }
    }
}

void GameTable::ApplyFeeB(ResultRecord& result, int* balances) const
{
    const int kind = m_params[kParamFeeKind];
    const int rate = m_params[kParamFeeRate10000];
    const int threshold = m_params[kParamFeeThreshold];
    int lowestPositive = INT_MAX;
    for (int c = 0; c < m_chairCount; ++c) {
        if (IsCountedChair(c) && balances[c] > 0)
            lowestPositive = std::min(lowestPositive, balances[c]);
    }
    for (int c = 0; c < m_chairCount; ++c) {
        if (!IsCountedChair(c))
            continue;
        int64_t balance = std::max(balances[c], 0);
        int64_t fee = 0;
        if (kind == 7)
            fee = std::min<int64_t>(std::max(m_params[kParamFixedFee], 0), balance);
        else if (kind == 8 && lowestPositive != INT_MAX && lowestPositive >= threshold)
            fee = std::min<int64_t>(CeilDiv(static_cast<int64_t>(lowestPositive) * rate, 10000), balance);
        else if (kind == 9 && balance >= threshold)
            fee = std::min<int64_t>(CeilDiv(balance * rate, 10000), balance);
        fee = std::max<int64_t>(fee, 0);
        result.fee[c] = ClampToInt(fee);
        balances[c] = ClampToInt(balances[c] - fee);
    }
}

int GameTable::CheckZeroSum(int* changes, int* fees, int totalFee) const
{
    int64_t sum = totalFee;
    for (int c = 0; c < m_chairCount; ++c)
        sum += changes[c];
    if (sum >= 1) {
        for (int c = 0; c < m_chairCount; ++c)
            changes[c] = fees[c] = 0;
        return 0;
    }
    return 1;
}

void GameTable::MarkEmptyChairs(ResultRecord& result) const
{
    result.emptyChairMask = 0;
    for (int c = 0; c < m_chairCount; ++c) {
        if (!IsCountedChair(c))
            result.emptyChairMask |= 1 << c;
    }
}

int GameTable::FillResult(ResultRecord& result, int a, int b)
{
    result.kind = m_resultKind;
    result.chairCount = m_chairCount;
    result.roundCount = m_roundCount;
    result.banker = m_banker;
    for (int c = 0; c < kMaxChairs; ++c)
        result.team[c] = c < m_chairCount ? m_team[c] : 0;
    result.baseScore = m_baseScore;
    result.baseSilver = m_baseSilver;
    FillBalances(result);

    ComputeScores(result, a, b, result.teamPoints);
    result.bankerSide = IsBankerSide(&result, a, b) ? 1 : 0;
    ComputeChanges(result, a, result.scoreChange, result.silverChange);

    if (IsSilverTable()) {
        const int kind = m_params[kParamFeeKind];
        if (kind >= 7 && kind <= 9) {
            int left[kMaxChairs] = {};
            std::copy(result.silverBefore, result.silverBefore + kMaxChairs, left);
            ApplyFeeB(result, left);
            ClampLosses(left, result.silverChange);
            for (int c = 0; c < m_chairCount; ++c)
                result.silverChange[c] -= result.fee[c];
        } else {
            ClampLosses(result.silverBefore, result.silverChange);
            ApplyFeeA(result);
        }
        int totalFee = 0;
        for (int c = 0; c < m_chairCount; ++c)
            totalFee += result.fee[c];
        CheckZeroSum(result.silverChange, result.fee, totalFee);
    }

    ComputeLevels(result.scoreBefore, result.scoreChange, result.levelAfter);
    result.flags = GetResultFlags() | GetResultFlags2();
    MarkEmptyChairs(result);
    return 1;
}

void GameTable::ApplyResults(const ResultRecord& result)
{
    bool silverTable = m_allHave[1] != 0 && result.baseSilver != 0;
    for (int c = 0; c < m_chairCount; ++c) {
        if (!IsCountedChair(c))
            continue;
        TablePlayer* p = m_players[c];
        p->score = ClampToInt(static_cast<int64_t>(result.scoreBefore[c]) + result.scoreChange[c]);
        p->level = result.levelAfter[c];
        if (silverTable)
            p->silver = ClampToInt(std::max<int64_t>(0, static_cast<int64_t>(result.silverBefore[c]) + result.silverChange[c]));
    }
}

void GameTable::PrepareResults(ResultRecord& result)
{
    for (int c = 0; c < m_chairCount; ++c) {
        if (!m_players[c])
            continue;
        result.scoreChange[c] = result.silverChange[c] = 0;
        result.levelAfter[c] = m_players[c]->level;
    }
}

void GameTable::CopyTitle(char (&field)[16], const std::string& text)
{
    std::memset(field, 0, sizeof field);
    size_t n = 0;
    while (n < text.size() && text[n] != 0) {
        size_t width = platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[n])) ? 2 : 1;
        if (n + width > 15 || (width == 2 && (n + 1 >= text.size() || text[n + 1] == 0)))
            break;
        n += width;
    }
    std::memcpy(field, text.data(), n);
}

bool GameTable::FindMapTitle(const TitleMap* titles, int level, char (&field)[16])
{
    if (!titles)
        return false;
    auto it = titles->find(level);
    if (it == titles->end())
        return false;
    CopyTitle(field, it->second);
    return true;
}

void GameTable::FillPlayerNames(ResultRecord& result, const TitleMap* titles) const
{
    if (TestKind1())
        return;
    for (int c = 0; c < m_chairCount; ++c)
        FindMapTitle(titles, result.levelAfter[c], result.title[c]);
}

void GameTable::SetResultBaseScore(ResultRecord& result)
{
    result.baseSilverRecomputed = GetBaseSilver(m_params[kParamBaseSilver]);
}

int GameTable::FinishRound(ResultRecord& result, int a, int b, bool prepareOnly, const TitleMap* titles)
{
    FillResult(result, a, b);
    if (prepareOnly)
        PrepareResults(result);
    else
        ApplyResults(result);
    FillPlayerNames(result, titles);
    SetResultBaseScore(result);
    return 1;
}

int GameTable::ClampLoss(int chair, int amount, int* feeOut) const
{
    int64_t loss = static_cast<int64_t>(amount) * m_baseSilver;
    if (IsValidChair(chair) && m_players[chair])
        loss = std::min<int64_t>(loss, m_players[chair]->silver);
    if (m_params[kParamLossCap] > 0)
        loss = std::min<int64_t>(loss, m_params[kParamLossCap]);
    if (feeOut)
        *feeOut = ClampToInt(-loss * m_params[kParamLossFeePercent] / 100);
    return ClampToInt(loss);
}

bool GameTable::ReachedLimit(const ResultRecord& result) const
{
    if ((m_options & 0x2000000) == 0 || m_params[kParamWinLimit] == 0)
        return false;
    for (int c = 0; c < m_chairCount; ++c) {
        if (result.silverChange[c] >= m_params[kParamWinLimit])
            return true;
    }
    return false;
}

// --- Server rules file ---

std::string GameTable::GetServerIniPath() const
{
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string name = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("game");
    auto slash = name.rfind('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    return platform::ExecutableDir() + name.substr(0, 4) + "svr.ini";
}

int GameTable::GetKickTime() const
{
    return platform::IniFile(GetServerIniPath()).GetInt("SoloAlone", "KickTime", 120);
}

std::string GameTable::GetDefaultPlayerName(int chair)
{
    static const char* const kMarks[8] = { "【甲】", "【乙】", "【丙】", "【丁】", "【戊】", "【己】", "【庚】", "【辛】" };
    std::string name = "游戏玩家";
    if (chair >= 0 && chair < 8)
        name += kMarks[chair];
    return name;
}

} // namespace table
