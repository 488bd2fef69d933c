// Result reports, the settlement of a single leaving player, loss relief and
// placeholder players of the generic table.

#include "table/GameTable.h"
#include "table/Random.h"
#include "platform/Bytes.h"

#include "platform/Clock.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace table {

using platform::LoadI32;
using platform::StoreI32;

namespace {

int ClampToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

int64_t CeilDiv(int64_t a, int64_t b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

} // namespace

// --- Reports ---

int GameTable::BuildPlayerResults(const ResultRecord& result, int value, std::vector<PlayerResultItem>& items) const
{
    int seconds = 0;
    int minutes = 0;
    GetElapsedTime(&seconds, &minutes);
    items.clear();
    for (int c = 0; c < m_chairCount; ++c) {
        const TablePlayer* p = m_players[c];
        if (!p)
            continue;
        PlayerResultItem item;
        item.userId = p->userId;
        item.tableNumber = m_tableNumber;
        item.roomNumber = m_roomNumber;
        item.chair = c;
        item.value = value;
        item.baseScore = result.baseScore;
        item.baseSilver = result.baseSilver;
        item.scoreBefore = result.scoreBefore[c];
        item.silverBefore = result.silverBefore[c];
        item.minutes = minutes;
        item.seconds = seconds;
        int change = result.scoreChange[c];
        item.draw = result.kind == 2 || change == 0 ? 1 : 0;
        item.win = !item.draw && change > 0 ? 1 : 0;
        item.loss = !item.draw && change < 0 ? 1 : 0;
        item.scoreChange = result.scoreChange[c];
        item.silverChange = result.silverChange[c];
        item.level = result.levelAfter[c];
        std::memcpy(item.title, result.title[c], sizeof item.title);
        item.title[15] = 0;
        item.fee = result.fee[c];
        items.push_back(item);
    }
    return static_cast<int>(items.size());
}

int GameTable::BuildPlayerResultsEx(const ResultRecord& result, int value, std::vector<PlayerResultItem>& items) const
{
    BuildPlayerResults(result, value, items);
    items.erase(std::remove_if(items.begin(), items.end(), [&](const PlayerResultItem& item) {
        return !IsCountedChair(item.chair);
    }),
        items.end());
    return static_cast<int>(items.size());
}

int GameTable::BuildResultHeader(const ResultRecord& result, int value, ResultHeader& header,
    std::vector<PlayerResultItem>& items) const
{
    header = ResultHeader {};
    header.count = m_chairCount;
    header.tableNumber = m_tableNumber;
    header.value = value;
    header.creationTick = m_createTick;
    if (NotAllOption4())
        header.flags[0] |= 0x1;
    if (ReachedLimit(result))
        header.flags[0] |= 0x2;
    return BuildPlayerResults(result, value, items);
}

int GameTable::BuildResultHeaderEx(const ResultRecord& result, int value, ResultHeader& header,
    std::vector<PlayerResultItem>& items) const
{
    int n = BuildPlayerResultsEx(result, value, items);
    header = ResultHeader {};
    header.count = n;
    header.tableNumber = m_tableNumber;
    header.value = value;
    header.creationTick = m_createTick;
    bool allBit4 = true;
    for (int c = 0; c < m_chairCount; ++c) {
        if (IsCountedChair(c) && (m_optionA[c] & 0x4) == 0)
            allBit4 = false;
    }
    if (allBit4)
        header.flags[0] |= 0x1;
    if (m_resultHeader[0] != 0)
        header.flags[1] |= 0x2;
    return n;
}

void GameTable::AddPlayerStats(const std::vector<PlayerResultItem>& items)
{
    for (const PlayerResultItem& item : items)
        AddPlayerStat(item);
}

void GameTable::AddPlayerStat(const PlayerResultItem& item)
{
    auto it = m_users.find(item.userId);
    if (it != m_users.end())
        it->second->minutes += item.minutes;
}

int GameTable::GetPlayerField48(int userId) const
{
    auto it = m_users.find(userId);
    return it == m_users.end() ? 0 : it->second->seeds[1];
}

int GameTable::BuildPlayerList(std::vector<PlayerListEntry>& out, const TitleMap* titles) const
{
    out.clear();
    for (int c = 0; c < m_chairCount; ++c) {
        if ((m_chairFlags[c] & kChairPresent) == 0)
            return 0;
    }
    for (int c = 0; c < m_chairCount; ++c) {
        const TablePlayer* p = m_players[c];
        PlayerListEntry entry;
        entry.chair = c;
        if (p) {
            entry.userId = p->userId;
            entry.score = p->score;
            entry.silver = p->silver;
            entry.level = p->level;
            FindMapTitle(titles, p->level, entry.title);
        }
        out.push_back(entry);
    }
    return static_cast<int>(out.size());
}

// --- Settlement of one player ---

void GameTable::GetExtraValues(int* three) const
{
    three[0] = three[1] = three[2] = 0;
}

void GameTable::ApplyFeeC(Settlement& s) const
{
    const int kind = m_params[kParamFeeKind];
    if (kind == 6 && s.silverChange > 100) {
        int64_t hundreds = s.silverChange / 100;
        int64_t fee = hundreds * m_params[kParamFeeRate6];
        if (s.silverChange > 10000 && s.silverChange <= 100000)
            fee *= CeilDiv(s.silverChange, 20000);
        else if (s.silverChange > 100000)
            fee *= 5;
        s.fee = ClampToInt(std::clamp<int64_t>(fee, 0, GetFeeRate() * hundreds));
        s.silverChange -= s.fee;
    } else if (kind == 1) {
        int64_t can = static_cast<int64_t>(s.silver) + s.silverChange;
        s.fee = ClampToInt(std::clamp<int64_t>(can, 0, std::max(m_params[kParamFixedFee], 0)));
        s.silverChange -= s.fee;
    }
}

void GameTable::ApplyFeeD(Settlement& s, int* balance) const
{
    const int kind = m_params[kParamFeeKind];
    int64_t b = std::max(*balance, 0);
    int64_t fee = 0;
    if (kind == 7)
        fee = std::min<int64_t>(std::max(m_params[kParamFixedFee], 0), b);
    else if ((kind == 8 || kind == 9) && b >= m_params[kParamFeeThreshold])
        fee = std::min<int64_t>(CeilDiv(b * m_params[kParamFeeRate10000], 10000), b);
    s.fee = ClampToInt(std::max<int64_t>(fee, 0));
    *balance -= s.fee;
}

void GameTable::ClampToDeposit(Settlement& s, int balance) const
{
    if (static_cast<int64_t>(balance) + s.silverChange < 0)
        s.silverChange = -std::max(balance, 0);
}

void GameTable::CheckZeroPair(Settlement& s) const
{
    if (static_cast<int64_t>(s.silverChange) + s.fee > 0)
        s.silverChange = s.fee = 0;
}

int GameTable::BuildSettlement(Settlement& out, int chair, bool prepareOnly, const TitleMap* titles)
{
    TablePlayer* p = PlayerAt(chair);
    if (!p)
        return 0;
    out.userId = p->userId;
    out.chair = chair;
    out.roundCount = m_roundCount;
    out.baseScore = m_baseScore;
    out.baseSilver = m_baseSilver;
    out.score = p->score;
    out.silver = p->silver;
    GetExtraValues(out.extra);
    out.fee = 0;
    if (IsSilverTable()) {
        const int kind = m_params[kParamFeeKind];
        if (kind >= 7 && kind <= 9) {
            int balance = out.silver;
            ApplyFeeD(out, &balance);
            ClampToDeposit(out, balance);
            out.silverChange -= out.fee;
        } else {
            if (static_cast<int64_t>(out.silver) + out.silverChange < 0)
                out.silverChange = -std::max(out.silver, 0);
            ApplyFeeC(out);
            CheckZeroPair(out);
        }
    }
    out.level = GetLevelIndex(ClampToInt(static_cast<int64_t>(out.score) + out.scoreChange), m_levelScale);
    if (!prepareOnly) {
        p->score = ClampToInt(static_cast<int64_t>(out.score) + out.scoreChange);
        p->level = out.level;
        if (IsSilverTable())
            p->silver = ClampToInt(std::max<int64_t>(0, static_cast<int64_t>(out.silver) + out.silverChange));
    }
    if (!TestKind1())
        FindMapTitle(titles, out.level, out.title);
    return 1;
}

int GameTable::BuildSingleResultHeader(int chair, int value, const Settlement& s, ResultHeader& header,
    PlayerResultItem& item) const
{
    header = ResultHeader {};
    header.count = 1;
    header.tableNumber = m_tableNumber;
    header.value = value;
    header.creationTick = m_createTick;
    for (int c = 0; c < chair && c < m_chairCount; ++c) {
        if (m_optionA[c] & 0x4) {
            header.flags[0] |= 0x1;
            break;
        }
    }
    header.flags[1] |= 0x1;
    item = PlayerResultItem {};
    item.userId = s.userId;
    item.tableNumber = m_tableNumber;
    item.roomNumber = m_roomNumber;
    item.chair = chair;
    item.value = value;
    item.baseScore = s.baseScore;
    item.baseSilver = s.baseSilver;
    item.scoreBefore = s.score;
    item.silverBefore = s.silver;
    GetElapsedTime(&item.seconds, &item.minutes);
    item.loss = 1;
    item.scoreChange = s.scoreChange;
    item.silverChange = s.silverChange;
    item.level = s.level;
    std::memcpy(item.title, s.title, sizeof item.title);
    item.fee = s.fee;
    return 1;
}

// --- Loss relief ---

int GameTable::GetReliefOdds(int* chance, int* odds, int* shares, int n) const
{
    if (chance)
        *chance = 55;
    if (n > 3 && odds && shares) {
        const int kOdds[4] = { 84, 12, 4, 0 };
        const int kShares[4] = { 10, 50, 100, 0 };
        std::copy(kOdds, kOdds + 4, odds);
        std::copy(kShares, kShares + 4, shares);
    }
    return 55;
}

int GameTable::RollLossRelief(int loss)
{
    int chance = 0;
    int odds[4] = {};
    int shares[4] = {};
    GetReliefOdds(&chance, odds, shares, 4);
    if (NextRandom() % 100 > chance)
        return 0;
    int r = NextRandom() % 100;
    int share = r < odds[0] ? shares[0] : (r < odds[0] + odds[1] ? shares[1] : shares[2]);
    int64_t back = static_cast<int64_t>(loss) * share / 100;
    return ClampToInt(std::max<int64_t>(back, 1));
}

void GameTable::ApplyLossRelief(int* silverChanges)
{
    SeedRandom(platform::TickMs());
    for (int c = 0; c < m_chairCount; ++c) {
        m_reliefGranted[c] = 0;
        if (!IsCountedChair(c) || (m_players[c]->flags & kPlayerRelief) == 0 || silverChanges[c] >= 0)
            continue;
        int loss = silverChanges[c] == INT_MIN ? INT_MAX : -silverChanges[c];
        int back = std::min(RollLossRelief(loss), loss);
        m_reliefGranted[c] = back;
        silverChanges[c] += back;
    }
}

int GameTable::GetReliefList(std::vector<std::pair<int, int>>& out) const
{
    out.clear();
    for (int c = 0; c < m_chairCount; ++c) {
        const TablePlayer* p = m_players[c];
        if (p && (p->flags & kPlayerRelief) && m_reliefGranted[c] > 0)
            out.emplace_back(p->userId, m_reliefGranted[c]);
    }
    return static_cast<int>(out.size());
}

// --- Placeholder players ---

bool GameTable::MakeRobotInfo(int, std::span<uint8_t> record)
{
    if (record.size() < kRobotRecordSize)
        return false;
    const int chair = LoadI32(record, 16);
    const TablePlayer* p = PlayerAt(chair);
    SeedRandom(platform::TickMs() + 10u * static_cast<uint32_t>(platform::LocalNow().second)
        + static_cast<uint32_t>(p ? p->seeds[0] : 0));
    StoreI32(record, 4, NextRandom() % 100 < 10 ? 1 : 0);
    const int sex = NextRandom() % 2;
    StoreI32(record, 20, sex);
    StoreI32(record, 24, NextRandom() % 107);
    StoreI32(record, 28, 10 + NextRandom() % 91);
    int portrait = NextRandom() % 187;
    if (portrait == 1 && sex == 0)
        portrait = 0;
    else if (portrait == 0 && sex == 1)
        portrait = 1;
    StoreI32(record, 32, portrait);
    std::memset(record.data() + 36, 0, 32);
    std::string name = GetDefaultPlayerName(chair);
    std::memcpy(record.data() + 36, name.data(), std::min<size_t>(name.size(), 31));
    std::memset(record.data() + 68, 0, 16);
    StoreI32(record, 84, 1000);
    StoreI32(record, 88, GetLevelIndex(100, m_levelScale));
    StoreI32(record, 92, 100);
    std::memset(record.data() + 96, 0, 24);
    return true;
}

bool GameTable::StorePairInfo(int viewer, std::span<const uint8_t> list)
{
    if (!IsValidChair(viewer) || list.size() < 64)
        return false;
    const size_t chairs = static_cast<size_t>(m_chairCount);
    if (m_pairInfo.empty())
        m_pairInfo.assign(chairs * chairs * 32, 0);
    const int count = std::clamp(LoadI32(list, 8), 0, m_chairCount);
    for (int i = 0; i < count; ++i) {
        if (i == viewer || LoadI32(list, 12 + 4 * static_cast<size_t>(i)) == 0)
            continue;
        size_t entry = 64 + kListEntrySize * static_cast<size_t>(i);
        if (entry + kListEntrySize > list.size())
            break;
        uint8_t* stored = m_pairInfo.data() + (static_cast<size_t>(viewer) * chairs + static_cast<size_t>(i)) * 32;
        std::memcpy(stored, list.data() + entry + 20, 4);
        std::memcpy(stored + 4, list.data() + entry + 24, 4);
        std::memcpy(stored + 8, list.data() + entry + 32, 4);
        stored[12] = 1; // filled
    }
    return true;
}

bool GameTable::FillRobotInfos(int viewer, std::span<uint8_t> list)
{
    if (!IsValidChair(viewer) || list.size() < 64)
        return false;
    const int count = std::clamp(LoadI32(list, 8), 0, m_chairCount);
    for (int i = 0; i < count; ++i) {
        if (i == viewer || LoadI32(list, 12 + 4 * static_cast<size_t>(i)) == 0)
            continue;
        size_t entry = 64 + kListEntrySize * static_cast<size_t>(i);
        if (entry + kListEntrySize > list.size())
            break;
        MakeRobotInfo(viewer, list.subspan(entry, kRobotRecordSize));
    }
    return StorePairInfo(viewer, list);
}

bool GameTable::MakeRobotInfoEx(int viewer, std::span<uint8_t> record)
{
    if (!MakeRobotInfo(viewer, record))
        return false;
    const int chair = LoadI32(record, 16);
    if (!IsValidChair(viewer) || !IsValidChair(chair) || m_pairInfo.empty())
        return true;
    const size_t chairs = static_cast<size_t>(m_chairCount);
    const uint8_t* stored = m_pairInfo.data() + (static_cast<size_t>(viewer) * chairs + static_cast<size_t>(chair)) * 32;
    if (stored[12] == 0)
        return true;
    std::memcpy(record.data() + 20, stored, 4);
    std::memcpy(record.data() + 24, stored + 4, 4);
    std::memcpy(record.data() + 32, stored + 8, 4);
    return true;
}

} // namespace table
