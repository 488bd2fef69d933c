// This game's scoring: the running bomb and joker bonuses, the final bonus,
// the team score, score and silver changes with the mobile doubling period,
// the round history and this game's result record.

#include "table/FriendCardRules.h"

#include "net/DailyLog.h"
#include "platform/Bytes.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

namespace table {

using platform::LoadI32;
using platform::StoreI32;
using platform::LoadI32Array;
using platform::StoreI32Array;

namespace {

bool IsJoker(int id)
{
    return id >= 0 && (id % kFacesPerDeck == kSmallJokerFace || id % kFacesPerDeck == kBigJokerFace);
}

// Suits 0 and 2 form one colour group, 1 and 3 the other.
int ColourGroup(int suit)
{
    return suit % 2;
}

int ClampToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

// --- Result record ---

FriendResultInfo::FriendResultInfo()
{
    for (auto& hand : cardsLeft)
        FillMinusOne(hand, kFriendHandSize);
    for (auto& hand : dealt)
        FillMinusOne(hand, kFriendHandSize);
}

bool FriendResultInfo::Read(std::span<const uint8_t> bytes, FriendResultInfo& out)
{
    if (bytes.size() < kWireSize)
        return false;
    ResultRecord::Read(bytes, out.base);
    out.teamResult = LoadI32(bytes, 432);
    LoadI32Array(bytes, 436, out.place, kFriendChairs);
    LoadI32Array(bytes, 452, &out.cardsLeft[0][0], kFriendChairs * kFriendHandSize);
    LoadI32Array(bytes, 884, out.leftCount, kFriendChairs);
    LoadI32Array(bytes, 900, out.bonus, kFriendChairs);
    out.constant5 = LoadI32(bytes, 932);
    out.baseAmount = LoadI32(bytes, 936);
    LoadI32Array(bytes, 940, &out.dealt[0][0], kFriendChairs * kFriendHandSize);
    out.friendChair = LoadI32(bytes, 1372);
    out.prepared = LoadI32(bytes, 1392);
    return true;
}

bool FriendResultInfo::Write(std::span<uint8_t> bytes) const
{
    if (bytes.size() < kWireSize)
        return false;
    std::fill(bytes.begin(), bytes.begin() + kWireSize, uint8_t { 0 });
    base.Write(bytes);
    StoreI32(bytes, 432, teamResult);
    StoreI32Array(bytes, 436, place, kFriendChairs);
    StoreI32Array(bytes, 452, &cardsLeft[0][0], kFriendChairs * kFriendHandSize);
    StoreI32Array(bytes, 884, leftCount, kFriendChairs);
    StoreI32Array(bytes, 900, bonus, kFriendChairs);
    StoreI32(bytes, 932, constant5);
    StoreI32(bytes, 936, baseAmount);
    StoreI32Array(bytes, 940, &dealt[0][0], kFriendChairs * kFriendHandSize);
    StoreI32(bytes, 1372, friendChair);
    StoreI32(bytes, 1392, prepared);
    return true;
}

// --- Running score ---

namespace {

// Points of one bomb level's update; marks[level - 4] tells whether the
// level's bonus has started (levels 4 to 7 only).
int LevelUpdate(int level, int n, int* marks)
{
    bool first = level <= 7 && marks[level - 4] == 0;
    int points = 0;
    switch (level) {
    case 4:
        if (n >= 3)
            points = first ? n - 2 : 1;
        break;
    case 5:
        if (n == 2 || n == 3)
            points = first ? n - 1 : 1;
        else if (n == 4)
            points = first ? 5 : 3;
        else if (n == 5)
            points = first ? 10 : 5;
        break;
    case 6:
        if (n == 1)
            points = 1;
        else if (n == 2)
            points = first ? 4 : 3;
        else if (n == 3)
            points = first ? 10 : 6;
        else if (n == 4)
            points = first ? 20 : 10;
        break;
    case 7:
        if (n == 1)
            points = 5;
        else if (n == 2)
            points = first ? 12 : 7;
        else if (n == 3)
            points = first ? 20 : 8;
        break;
    case 8:
        if (n == 1)
            points = 10;
        else if (n == 2)
            points = 15;
        else if (n == 3)
            points = 25;
        break;
    default:
        break;
    }
    if (level <= 7)
        marks[level - 4] = 1;
    return points;
}

} // namespace

int FriendCardRules::ScorePlay(int chair, const PlayRecord& play)
{
    if (chair < 0 || chair >= kFriendChairs)
        return 0;
    int* record = m_state->chair[chair];
    int wild = 0;
    int group[2] = {};
    for (int i = 0; i < kMaxPlayCards; ++i) {
        int id = play.cards[i];
        if (!IsValidCard(id))
            continue;
        if (IsWildcard(id))
            ++wild;
        else if (!IsJoker(id))
            ++group[ColourGroup(CallCardSuit(id))];
    }
    int points = 0;
    const int k = play.count - wild;
    if (play.type == CT_BOMB && k > 3 && k <= 8) {
        if ((group[0] == 4 || group[1] == 4) && k != 7 && k != 8) {
            ++record[kSameColourBombs];
            ++points;
        }
        ++record[kBombsExactly4 + k - 4];
        for (int s = 4; s <= k; ++s)
            ++record[kBombsAtLeast4 + s - 4];
        int* marks = &record[kBonusStarted4];
        for (int s = 4; s < k; ++s) {
            if (s <= 7 && marks[s - 4])
                points += LevelUpdate(s, record[kBombsAtLeast4 + s - 4], marks);
        }
        points += LevelUpdate(k, record[kBombsAtLeast4 + k - 4], marks);
    }
    if (wild > 0) {
        int before = record[kJokersPlayed];
        int after = before + wild;
        record[kJokersPlayed] = after;
        if (before < 3 && after == 3)
            points += 1;
        if (before < 4 && after == 4) {
            if (wild == 4) {
                points += 4;
                record[kAllFourJokers] = 1;
            } else {
                points += 1;
            }
        }
    }
    record[kChairScore] += points;
    return points;
}

// --- Final bonus ---

void FriendCardRules::ListHand(int chair)
{
    int hand[kMaxPlayCards];
    int n = GetHandCards(chair, hand);
    int count[kHistogramSize] = {};
    for (int i = 0; i < n; ++i) {
        if (!IsJoker(hand[i]))
            ++count[CardValue(hand[i])];
    }
    for (int i = 0; i < n; ++i) {
        if (IsJoker(hand[i]))
            ListCard(chair, hand[i], false);
        else if (count[CardValue(hand[i])] >= 4)
            ListCard(chair, hand[i], true);
    }
}

int FriendCardRules::ScoreChair(int chair)
{
    if (chair < 0 || chair >= kFriendChairs)
        return 0;
    const FriendTableState& s = *m_state;
    const int* record = s.chair[chair];
    int score = 0;

    // Runs of three or more consecutive bomb values, played or held.
    bool bombValue[14] = {};
    for (int i = 0; i < s.bombListed[chair] && i < kChairListSize; ++i) {
        int value = CardValue(s.lists[chair][i]);
        if (value >= 1 && value <= 13)
            bombValue[value] = true;
    }
    for (int v = 1, run = 0; v <= 14; ++v) {
        if (v <= 13 && bombValue[v]) {
            ++run;
        } else {
            if (run >= 3)
                ++score;
            run = 0;
        }
    }

    // The hand as it is at the end.
    int hand[kMaxPlayCards];
    int n = GetHandCards(chair, hand);
    int held[14] = {};
    int groups[14][2] = {};
    int jokersHeld = 0;
    for (int i = 0; i < n; ++i) {
        if (IsJoker(hand[i])) {
            ++jokersHeld;
            continue;
        }
        int value = CardValue(hand[i]);
        ++held[value];
        ++groups[value][ColourGroup(CardSuit(hand[i]))];
    }
    for (int v = 1; v <= 13; ++v) {
        if (held[v] >= 4 && held[v] <= 6 && (groups[v][0] >= 4 || groups[v][1] >= 4))
            ++score;
    }
    score += record[kSameColourBombs];

    int jokerPart = 0;
    if (record[kAllFourJokers])
        jokerPart = 4;
    else if (jokersHeld + record[kJokersPlayed] == 3 || jokersHeld + record[kJokersPlayed] == 4)
        jokerPart = 1;

    // Bombs of each size, held or played; N_k counts those of size k or more.
    int c[9] = {};
    int N[9] = {};
    for (int k = 4; k <= 8; ++k) {
        for (int v = 1; v <= 13; ++v)
            c[k] += held[v] == k ? 1 : 0;
        c[k] += record[kBombsExactly4 + k - 4];
    }
    N[8] = c[8];
    for (int k = 7; k >= 4; --k) {
        if (c[k] == 0)
            continue;
        int larger = 0;
        for (int j = k + 1; j <= 8; ++j) {
            if (c[j] > 0) {
                larger = N[j];
                break;
            }
        }
        N[k] = c[k] + larger;
    }
    static constexpr int kN5[6] = { 0, 0, 1, 2, 5, 10 };
    static constexpr int kN6[5] = { 0, 1, 4, 10, 20 };
    static constexpr int kN7[4] = { 0, 5, 12, 20 };
    static constexpr int kN8[4] = { 0, 10, 25, 50 };
    auto from = [](const int* table, int size, int count) { return count >= 0 && count < size ? table[count] : 0; };
    score += jokerPart;
    if (N[4] >= 3)
        score += N[4] - 2;
    score += from(kN5, 6, N[5]) + from(kN6, 5, N[6]) + from(kN7, 4, N[7]) + from(kN8, 4, N[8]);

    m_state->runningScore[chair] = score;
    return score;
}

// --- Team score and changes ---

int FriendCardRules::ComputeScores(ResultRecord& result, int, int, int* values)
{
    FriendTableState& s = *m_state;
    if (result.kind == 1) {
        int first = ChairOfPlace(1);
        int partner = GetPartnerChair(first);
        int points = 0;
        int teamResult = 3;
        if (partner >= 0 && s.place[partner] == 2) {
            points = 4;
            teamResult = 1;
        } else if (partner >= 0 && s.place[partner] == 3) {
            points = 2;
            teamResult = 2;
        }
        for (int c = 0; c < kFriendChairs; ++c)
            values[c] = (c == first || c == partner) ? points : -points;
        if (m_filling) {
            m_filling->teamResult = teamResult;
            for (int c = 0; c < kFriendChairs; ++c) {
                int bonus = m_filling->bonus[c];
                for (int o = 0; o < kFriendChairs; ++o) {
                    if (o == c)
                        continue;
                    values[c] += bonus;
                    values[o] -= bonus;
                }
            }
        }
        int sum = 0;
        for (int c = 0; c < m_chairCount; ++c)
            sum += values[c];
        if (sum != 0) {
            net::LogMessage("错误的记分错误，记分总和不为0!");
            for (int c = 0; c < m_chairCount; ++c)
                values[c] = 0;
        }
    } else if (m_filling) {
        for (int c = 0; c < kFriendChairs; ++c)
            m_filling->place[c] = c;
    }
    return 1;
}

int FriendCardRules::MobileDoubleFactor() const
{
    // Read for every round, so a changed period applies at once.
    std::optional<platform::IniSnapshot> own;
    if (!m_rulesFile)
        own.emplace(GetServerIniPath());
    const platform::IniSnapshot& ini = m_rulesFile ? *m_rulesFile : *own;
    std::string begin = ini.GetString("MobileDoubleScore", "BeginTime", "2014-03-10-00-00");
    std::string end = ini.GetString("MobileDoubleScore", "EndTime", "2014-03-10-00-00");
    int factor = ini.GetInt("MobileDoubleScore", "Double", 1);
    int b[5];
    int e[5];
    // A period that cannot be read doubles nothing.
    if (std::sscanf(begin.c_str(), "%d-%d-%d-%d-%d", &b[0], &b[1], &b[2], &b[3], &b[4]) != 5
        || std::sscanf(end.c_str(), "%d-%d-%d-%d-%d", &e[0], &e[1], &e[2], &e[3], &e[4]) != 5 || factor < 1)
        return 0;
    platform::LocalTime now = platform::LocalNow();
    auto at = std::make_tuple(now.year, now.month, now.day, now.hour, now.minute);
    auto from = std::make_tuple(b[0], b[1], b[2], b[3], b[4]);
    auto to = std::make_tuple(e[0], e[1], e[2], e[3], e[4]);
    return from <= at && at <= to ? factor : 0;
}

int FriendCardRules::ComputeChanges(ResultRecord& result, int, int* scoreChanges, int* silverChanges)
{
    const int factor = MobileDoubleFactor();
    for (int c = 0; c < kFriendChairs; ++c) {
        int value = result.teamPoints[c];
        int64_t score = static_cast<int64_t>(m_baseScore) * value;
        if (score > 0 && factor >= 1 && m_players[c] && (m_players[c]->flags & kPlayerMobile)) {
            score *= factor;
            result.doubledMask |= 1 << c;
        }
        scoreChanges[c] = ClampToInt(score);
        m_lastSign[c] = score > 0 ? 1 : (score < 0 ? -1 : 0);
        if (m_baseSilver != 0)
            silverChanges[c] = ClampToInt(static_cast<int64_t>(m_baseSilver) * value);
    }
    // The history keeps the last 30 rounds: when full, the oldest goes.
    if (m_historyCount >= kHistoryRounds) {
        for (int c = 0; c < kFriendChairs; ++c) {
            m_historyTotal[c] -= m_history[c][0];
            std::memmove(&m_history[c][0], &m_history[c][1], sizeof(int) * (kHistoryRounds - 1));
        }
        m_historyCount = kHistoryRounds - 1;
    }
    for (int c = 0; c < kFriendChairs; ++c) {
        int entry = m_baseSilver != 0 ? silverChanges[c] : scoreChanges[c];
        m_history[c][m_historyCount] = entry;
        m_historyTotal[c] += entry;
    }
    ++m_historyCount;
    return 0;
}

int FriendCardRules::FillFriendResult(FriendResultInfo& result, int a, int b)
{
    result = FriendResultInfo {};
    for (int c = 0; c < kFriendChairs; ++c) {
        ListHand(c);
        result.bonus[c] = ScoreChair(c);
        result.place[c] = m_state->place[c];
        result.leftCount[c] = GetHandCards(c, result.cardsLeft[c]);
        std::copy(m_dealt[c], m_dealt[c] + kFriendHandSize, result.dealt[c]);
    }
    result.constant5 = 5;
    result.friendChair = m_friendChair;
    m_filling = &result;
    GameTable::FillResult(result.base, a, b);
    m_filling = nullptr;
    if (m_baseSilver != 0 && m_historyCount >= 1 && m_historyCount <= kHistoryRounds) {
        for (int c = 0; c < kFriendChairs; ++c) {
            int& last = m_history[c][m_historyCount - 1];
            m_historyTotal[c] += result.base.silverChange[c] - last;
            last = result.base.silverChange[c];
        }
    }
    return 1;
}

int FriendCardRules::FinishFriendRound(FriendResultInfo& result, int a, int b, bool prepareOnly,
    const TitleMap* titles)
{
    const platform::IniSnapshot rulesFile(GetServerIniPath());
    m_rulesFile = &rulesFile;
    FillFriendResult(result, a, b);
    m_rulesFile = nullptr;
    if (prepareOnly)
        result.prepared = 1;
    else
        ApplyResults(result.base);
    FillPlayerNames(result.base, titles);
    SetResultBaseScore(result.base);
    result.baseAmount = GetBaseScore(0);
    int fixed = rulesFile.GetInt("basescore", std::to_string(m_tableNumber), 0);
    if (fixed > 0)
        result.baseAmount = fixed;
    return 1;
}

std::string FriendCardRules::GetServerIniPath() const
{
    return platform::ExecutableDir() + "KbZnSvr" + ".ini";
}

} // namespace table
