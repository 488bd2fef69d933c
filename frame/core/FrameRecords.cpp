#include "frame/core/FrameRecords.h"

#include "platform/Gbk.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

namespace frame {

namespace {

// Splits text at '|' into at most maxFields fields; whatever follows the
// last field taken is dropped. An empty text has no fields.
std::vector<std::string_view> SplitBarFields(std::string_view text, size_t maxFields)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (!text.empty() && fields.size() < maxFields) {
        size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return fields;
}

bool IsAtoiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi as the C library computes it on a 64-bit system: the value is read
// as a long (saturating) and then kept to its low 32 bits, so "4294967295"
// and "-1" give the same word.
int32_t AtoiField(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsAtoiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr int64_t kLimit = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (kLimit - digit) / 10)
            saturated = true;
        else
            value = value * 10 + digit;
    }
    uint64_t bits;
    if (saturated)
        bits = negative ? static_cast<uint64_t>(std::numeric_limits<int64_t>::min()) : static_cast<uint64_t>(kLimit);
    else
        bits = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return static_cast<int32_t>(static_cast<uint32_t>(bits));
}

// A text field of the argument: up to its first zero byte, cut to limit
// bytes on a character boundary.
std::string TextField(std::string_view text, size_t limit)
{
    size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    return GbkCut(text, limit);
}

} // namespace

size_t GbkFitLength(std::string_view text, size_t maxBytes)
{
    size_t i = 0;
    while (i < text.size()) {
        // A lead byte at the very end of the text stands alone.
        size_t step = platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return i;
}

std::string PlayerRecord::DisplayName() const
{
    std::string nickname = Nickname();
    if (nickname.empty())
        return Name();
    return Name() + "[" + nickname + "]";
}

size_t MatchRanking::Count() const
{
    return static_cast<size_t>(std::clamp<int32_t>(EntryCount(), 0, static_cast<int32_t>(kMaxEntries)));
}

MatchRankingEntry MatchRanking::Entry(size_t i) const
{
    MatchRankingEntry entry;
    if (i < kMaxEntries)
        entry.Load(Bytes().data() + kHeadSize + i * MatchRankingEntry::kSize, MatchRankingEntry::kSize);
    return entry;
}

void MatchRanking::SetEntry(size_t i, const MatchRankingEntry& entry)
{
    if (i >= kMaxEntries)
        return;
    std::copy(entry.Bytes().begin(), entry.Bytes().end(), MutableBytes().begin() + kHeadSize + i * MatchRankingEntry::kSize);
}

bool MatchRanking::LoadNotification(const uint8_t* data, size_t size)
{
    WireReader body(data, size);
    if (!body.Has(kHeadSize))
        return false;
    size_t count = body.CountFitting(kHeadSize, MatchRankingEntry::kSize, body.Int(kEntryCount), kMaxEntries);
    std::copy(data, data + kHeadSize + count * MatchRankingEntry::kSize, MutableBytes().begin());
    SetEntryCount(static_cast<int32_t>(count));
    return true;
}

void MatchRanking::SortByKeys(std::span<const int64_t> keys)
{
    size_t n = std::min(Count(), keys.size());
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t { 0 });
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<MatchRankingEntry> entries(n);
    for (size_t i = 0; i < n; ++i)
        entries[i] = Entry(order[i]);
    for (size_t i = 0; i < n; ++i)
        SetEntry(i, entries[i]);
}

std::string RoundResult::LevelTitle(int chair) const
{
    if (chair < 0 || chair >= static_cast<int>(kChairs))
        return {};
    return TextIn(kLevelTitles + static_cast<size_t>(chair) * kLevelTitleSize, kLevelTitleSize);
}

void RoundResult::SetLevelTitle(int chair, std::string_view title)
{
    if (chair >= 0 && chair < static_cast<int>(kChairs))
        TextOut(kLevelTitles + static_cast<size_t>(chair) * kLevelTitleSize, kLevelTitleSize, title);
}

void ScoreHistory::AddRound(std::span<const int32_t, kChairs> values, int chairCount)
{
    int chairs = std::clamp(chairCount, 0, kChairs);
    int slot = static_cast<int>(m_rounds % kRounds);
    for (int c = 0; c < chairs; ++c) {
        m_ring[c][slot] = values[static_cast<size_t>(c)];
        m_totals[c] = WrapAdd(m_totals[c], values[static_cast<size_t>(c)]);
    }
    ++m_rounds;
}

void ScoreHistory::Restore(int64_t rounds, int chairs, std::span<const int32_t> ring, std::span<const int32_t> totals)
{
    m_rounds = std::max<int64_t>(rounds, 0);
    const int count = std::clamp(chairs, 0, kChairs);
    for (int c = 0; c < count; ++c) {
        for (int r = 0; r < kRounds; ++r) {
            const size_t at = static_cast<size_t>(c * kRounds + r);
            if (at < ring.size())
                m_ring[c][r] = ring[at];
        }
        if (static_cast<size_t>(c) < totals.size())
            m_totals[c] = totals[static_cast<size_t>(c)];
    }
}

void ScoreHistory::Clear()
{
    *this = ScoreHistory {};
}

int32_t ScoreHistory::Entry(int chair, int slot) const
{
    if (chair < 0 || chair >= kChairs || slot < 0 || slot >= kRounds)
        return 0;
    return m_ring[chair][slot];
}

int32_t ScoreHistory::Total(int chair) const
{
    if (chair < 0 || chair >= kChairs)
        return 0;
    return m_totals[chair];
}

HallArgsStatus ParseHallArgs(std::string_view commandLine, int defaultPort, HallArgsLine& out)
{
    std::string_view text = commandLine;
    if (!text.empty() && text.front() == '"') {
        text.remove_prefix(1);
        if (!text.empty())
            text.remove_suffix(1);
    }
    std::vector<std::string_view> fields = SplitBarFields(text, kHallArgsMaxFields);
    if (fields.size() < kHallArgsMinFields)
        return HallArgsStatus::TooFewFields;

    HallArgsLine line;
    HallLaunchArgs& args = line.args;
    args.gameId = AtoiField(fields[0]);
    args.serverHost = TextField(fields[1], HallLaunchArgs::kHostMax);
    args.lobbyWord = AtoiField(fields[2]);
    args.lobbyWindow = AtoiField(fields[3]);
    args.lobbyWord4 = AtoiField(fields[4]);
    args.userId = AtoiField(fields[5]);
    args.tableNo = AtoiField(fields[6]);
    args.chair = AtoiField(fields[7]);
    args.lookOn = AtoiField(fields[8]);
    auto has = [&](size_t i) { return fields.size() > i; };
    if (has(9))
        args.reenter = AtoiField(fields[9]);
    if (has(10))
        args.title = TextField(fields[10], HallLaunchArgs::kTitleMax);
    if (has(11))
        args.serverPort = AtoiField(fields[11]);
    if (args.serverPort == 0)
        args.serverPort = defaultPort;
    if (has(12))
        line.roomOptionsA = static_cast<uint32_t>(AtoiField(fields[12]));
    if (has(13))
        line.roomOptionsB = static_cast<uint32_t>(AtoiField(fields[13]));
    if (has(14))
        line.roomOptionsC = static_cast<uint32_t>(AtoiField(fields[14]));
    out = std::move(line);
    return HallArgsStatus::Ok;
}

std::string FormatHallArgs(const HallArgsLine& line)
{
    const HallLaunchArgs& a = line.args;
    std::string text = "\"";
    bool first = true;
    auto add = [&](const std::string& field) {
        if (!first)
            text += '|';
        text += field;
        first = false;
    };
    add(std::to_string(a.gameId));
    add(a.serverHost);
    add(std::to_string(a.lobbyWord));
    add(std::to_string(a.lobbyWindow));
    add(std::to_string(a.lobbyWord4));
    add(std::to_string(a.userId));
    add(std::to_string(a.tableNo));
    add(std::to_string(a.chair));
    add(std::to_string(a.lookOn));
    add(std::to_string(a.reenter));
    add(a.title);
    add(std::to_string(a.serverPort));
    add(std::to_string(line.roomOptionsA));
    add(std::to_string(line.roomOptionsB));
    add(std::to_string(line.roomOptionsC));
    text += '"';
    return text;
}

std::map<int, std::string> ParseRoomTexts(const uint8_t* data, size_t size)
{
    WireReader reader(data, size);
    std::string text = reader.Text(0, size);
    std::map<int, std::string> texts;
    int key = 0;
    for (std::string_view field : SplitBarFields(text, kRoomTextsMaxFields)) {
        if (field.empty())
            break;
        texts.emplace(key++, std::string(field));
    }
    return texts;
}

} // namespace frame
