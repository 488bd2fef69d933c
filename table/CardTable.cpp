#include "table/CardTable.h"

#include "table/Random.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>

namespace table {

using platform::LoadI32;

namespace {

bool Above(int key, int threshold)
{
    return static_cast<uint32_t>(key) > static_cast<uint32_t>(threshold);
}

constexpr int kCardTableBombMask = 0x1767;
constexpr int kAnyMask = 0x81767;

} // namespace

CardTable::CardTable(const GameTableArgs& table, const CardTableArgs& cards)
    : GameTable(table)
    , m_cardCount(std::clamp(cards.cardCount, 0, 4 * kFacesPerDeck))
    , m_deckCount(cards.deckCount)
    , m_handSize(cards.handSize)
    , m_four(cards.four)
    , m_three(cards.three)
    , m_highBidMin(cards.highBidMin)
    , m_lowBidMax(cards.lowBidMax)
    , m_defaultBid(cards.defaultBid)
{
    if (cards.block)
        std::memcpy(m_block.data(), cards.block, m_block.size());
    StoreCardFunctions(cards.functions);
    m_currentBid = m_defaultBid;
}

void CardTable::Reset(bool full)
{
    GameTable::Reset(full);
    m_bidCount = 0;
    m_bids = {};
    m_currentBid = m_defaultBid;
    for (auto& histogram : m_handHistogram)
        histogram.fill(0);
}

int CardTable::FillTableInfo(std::span<uint8_t> out) const
{
    if (out.size() < static_cast<size_t>(GetTableInfoSize()))
        return 0;
    std::fill(out.begin(), out.begin() + GetTableInfoSize(), uint8_t { 0 });
    GameTable::FillTableInfo(out);
    return GetTableInfoSize();
}

int CardTable::SetPlaying()
{
    return AddStatus(kStatusPlaying | kStatusPlayPhase);
}

int CardTable::StopPlaying()
{
    return SetStatus(0);
}

int CardTable::ChooseBanker()
{
    return m_roundCount <= 1 ? RandomBelow(m_chairCount) : m_banker;
}

int CardTable::ChooseRoundBanker(const int*, int)
{
    return m_banker;
}

// --- Table-side defaults that this game replaces ---

bool CardTable::AcceptsEvent(int code) const
{
    return (code >= 19840324 && code <= 19840332) || (code >= 19840335 && code <= 19840337);
}

void CardTable::FillSnapshot(std::span<uint8_t>) {}

int CardTable::DealCardTo(int)
{
    return 0;
}

int CardTable::MoveCardOwner(int, int, int)
{
    return 1;
}

int CardTable::SetCardState(int, int, int)
{
    return 0;
}

void CardTable::ClearTableCardsOf(int) {}

void CardTable::ClearTableCards() {}

int CardTable::GetHighestCard(int) const
{
    return 0;
}

const CardRecord* CardTable::FindCard(int) const
{
    return nullptr;
}

int CardTable::GetHandCards(int, int*) const
{
    return 0;
}

bool CardTable::OwnsCards(int chair, const int* cards, int n) const
{
    for (int i = 0; i < n; ++i) {
        if (cards[i] == kNoCard)
            continue;
        const CardRecord* card = FindCard(cards[i]);
        if (!card || card->owner != chair)
            return false;
    }
    return true;
}

bool CardTable::IsTurnOf(const PlayMessage& message) const
{
    return (m_status & kStatusPlayPhase) != 0 && message.Chair() == m_currentChair;
}

bool CardTable::ValidatePlay(const PlayMessage& message)
{
    if (!IsTurnOf(message) || !OwnsCards(message.Chair(), message.play.cards, kMaxPlayCards))
        return false;
    if (CountValidCards(message.play.cards, kMaxPlayCards) != message.play.count)
        return false;
    PlayList list;
    list.Clear();
    return FindPlays(message.Chair(), message.play.cards, kMaxPlayCards, list, message.play.type) != 0;
}

int CardTable::ApplyPlay(PlayMessage&)
{
    SetStatus(kStatusPlaying | kStatusPlayPhase);
    return 0;
}

int CardTable::OnTurnTimer(int)
{
    return 0;
}

int CardTable::ScorePlay(int, const PlayRecord&)
{
    return 0;
}

int CardTable::ScoreChair(int)
{
    return 0;
}

void CardTable::OnPlayApplied()
{
    SetStatus(kStatusPlaying | kStatusPlayPhase);
}

int CardTable::CheckChairFinished(PlayMessage&)
{
    return 1;
}

int CardTable::AdvanceTurn(PlayMessage&)
{
    return 1;
}

void CardTable::SetLevel(int) {}

int CardTable::GetLevel()
{
    return 0;
}

int CardTable::CountValidCards(const int* cards, int n) const
{
    int valid = 0;
    for (int i = 0; i < n; ++i) {
        if (IsValidCard(cards[i]))
            ++valid;
    }
    return valid;
}

int CardTable::GetHandCount(int chair) const
{
    if (!IsValidChair(chair))
        return 0;
    return SumInts(m_handHistogram[chair].data(), kHistogramSize);
}

int CardTable::GetPartnerChair(int chair) const
{
    return NextChair(NextChair(chair));
}

int CardTable::ResolveBid(std::span<const uint8_t> message, int* done)
{
    if (done)
        *done = 0;
    if (message.size() < 24)
        return 0;
    BidRecord bid { LoadI32(message, 12), LoadI32(message, 16), LoadI32(message, 20) };
    if (!IsValidChair(bid.chair))
        return 0;
    if (m_bidCount < static_cast<int>(m_bids.size()))
        m_bids[m_bidCount++] = bid;

    auto finish = [&](int chair, int value) {
        m_banker = chair;
        m_currentBid = value;
        if (done)
            *done = 1;
        BeginPlayPhase();
        return 1;
    };

    bool lowWins = (m_options & kOptionLowBidsWin) != 0;
    if (!bid.passed && (lowWins ? bid.bid <= m_lowBidMax : bid.bid >= m_highBidMin))
        return finish(bid.chair, bid.bid);

    if ((m_options & kOptionBidRound) != 0 && m_bidCount >= m_chairCount) {
        int best = -1;
        for (int i = 0; i < m_bidCount; ++i) {
            const BidRecord& b = m_bids[i];
            if (b.passed)
                continue;
            if (lowWins) {
                if (b.bid > m_currentBid)
                    continue;
                if (best < 0 || b.bid <= m_bids[best].bid)
                    best = i;
            } else if (best < 0 || b.bid >= m_bids[best].bid) {
                best = i;
            }
        }
        if (best < 0) {
            m_currentBid = m_defaultBid;
            return finish(m_banker >= 0 ? m_banker : bid.chair, m_defaultBid);
        }
        return finish(m_bids[best].chair, m_bids[best].bid);
    }
    SetCurrentChair(NextChair(bid.chair), 20);
    return 0;
}

int CardTable::BeginPlayPhase()
{
    RemoveStatus(kStatusBidding);
    AddStatus(kStatusPlayPhase);
    SwitchToChair(m_banker);
    return PermitHook195();
}

// --- Counting ---

int CardTable::CountCardsByValue(const int* cards, int n, int* histogram, int histogramSize, int* wildcards)
{
    int valid = 0;
    int wild = 0;
    bool wildOn = WildcardsOn();
    for (int i = 0; i < n; ++i) {
        int id = cards[i];
        if (!IsValidCard(id))
            continue;
        ++valid;
        if (wildOn && IsWildcard(id)) {
            ++wild;
            continue;
        }
        int value = CallCardValue(id);
        if (value > 0 && value < histogramSize)
            ++histogram[value];
    }
    // Jokers played on their own count as themselves.
    if (wild > 0 && wild == valid) {
        for (int i = 0; i < n; ++i) {
            if (!IsValidCard(cards[i]))
                continue;
            int value = CallCardValue(cards[i]);
            if (value > 0 && value < histogramSize)
                ++histogram[value];
        }
        wild = 0;
    }
    if (wildcards)
        *wildcards = wild;
    return valid;
}

bool CardTable::IsWildcard(int) const
{
    return false;
}

bool CardTable::IsCountedChair(int) const
{
    return false;
}

int CardTable::SumCountedChairs(const int* values, int n, int excluded) const
{
    int sum = 0;
    for (int i = 0; i < n; ++i) {
        if (i != excluded && values[i] != 0 && IsCountedChair(i))
            sum += values[i];
    }
    return sum;
}

// --- Group searches ---

int CardTable::FindHighestGroup(const int* histogram, int n, int size, int wildcards)
{
    int best = -1;
    int bestOrder = 0;
    for (int v = 1; v < n; ++v) {
        if (histogram[v] == 0 || histogram[v] + wildcards < size)
            continue;
        int order = Order(v);
        if (best < 0 || order > bestOrder) {
            best = v;
            bestOrder = order;
        }
    }
    return best;
}

int CardTable::FindGroup(const int* histogram, int n, int size, int wildcards, int bound)
{
    const int level = GetLevel();
    int bonus = size > 4 ? (size - 4) * 10000 : 0;
    int best = -1;
    int bestKey = 0;
    for (int v = 1; v < n; ++v) {
        if (histogram[v] == 0 || histogram[v] + wildcards < size)
            continue;
        int key = CallMapOrderValue(v, level) + bonus;
        if (!Above(key, bound))
            continue;
        if (best < 0 || key < bestKey) {
            best = v;
            bestKey = key;
        }
    }
    return best;
}

int CardTable::FindTwoGroups(const int* histogram, int n, int size1, int size2, int wildcards, int bound,
    int* first, int* second)
{
    int h[kHistogramSize] = {};
    n = std::min(n, kHistogramSize);
    std::copy(histogram, histogram + n, h);
    int bestFirst = -1;
    int bestSecond = -1;
    uint32_t bestKey = 0;
    for (int i = 1; i < n; ++i) {
        if (h[i] == 0 || h[i] + wildcards < size1)
            continue;
        int saved = h[i];
        int wild = wildcards;
        if (h[i] >= size1) {
            h[i] -= size1;
        } else {
            wild -= size1 - h[i];
            h[i] = 0;
        }
        for (int j = 1; j < n; ++j) {
            if (j == i || h[j] == 0 || h[j] + wild < size2)
                continue;
            int key = TwoGroupKey(Order(i), Order(j));
            if (!Above(key, bound))
                continue;
            if (bestFirst < 0 || static_cast<uint32_t>(key) < bestKey) {
                bestFirst = i;
                bestSecond = j;
                bestKey = static_cast<uint32_t>(key);
            }
        }
        h[i] = saved;
    }
    if (first)
        *first = bestFirst;
    if (second)
        *second = bestSecond;
    return bestFirst >= 0 ? 1 : 0;
}

int CardTable::TwoGroupKey(int firstOrder, int secondOrder) const
{
    return firstOrder * 10000 + secondOrder;
}

int CardTable::TakeGroupWithWild(int* histogram, int n, int size, int* wildcards)
{
    int wild = wildcards ? *wildcards : 0;
    int v = FindHighestGroup(histogram, n, size, wild);
    if (v < 0)
        return -1;
    if (histogram[v] >= size) {
        histogram[v] -= size;
    } else {
        wild -= size - histogram[v];
        histogram[v] = 0;
    }
    if (wildcards)
        *wildcards = wild;
    return v;
}

int CardTable::FindLowestAbove(const int* histogram, int n, int bound)
{
    int best = -1;
    int bestOrder = 0;
    for (int v = 1; v < n; ++v) {
        if (histogram[v] == 0)
            continue;
        int order = Order(v);
        if (order > bound && (best < 0 || order < bestOrder)) {
            best = v;
            bestOrder = order;
        }
    }
    return best;
}

int CardTable::MoveCardsByValue(int* destination, int destinationLength, int* source, int sourceLength,
    int value, int count, int suit) const
{
    int at = 0;
    while (at < destinationLength && destination[at] != kNoCard)
        ++at;
    const int start = at;
    auto take = [&](auto matches) {
        for (int i = 0; i < sourceLength && at - start < count && at < destinationLength; ++i) {
            int id = source[i];
            if (id != kNoCard && matches(id)) {
                destination[at++] = id;
                source[i] = kNoCard;
            }
        }
    };
    // Ordinary cards of the value (and suit) first, then the jokers standing
    // for themselves (a group read from jokers alone); a joker group pooled
    // from both kinds also takes the big jokers; wildcards fill the rest.
    take([&](int id) {
        return !IsWildcard(id) && CallCardValue(id) == value && (suit == -1 || CallCardSuit(id) == suit);
    });
    take([&](int id) { return IsWildcard(id) && CallCardValue(id) == value; });
    if (value == kSmallJokerValue)
        take([&](int id) { return CallCardValue(id) == kBigJokerValue; });
    take([&](int id) { return IsWildcard(id); });
    int taken = at - start;
    if (taken == count && m_sortTaken)
        std::sort(destination + start, destination + at);
    return taken;
}

// --- Builders and collectors ---

CardTable::WorkList CardTable::MakeWorkList(const int* cards, int n) const
{
    WorkList work;
    FillMinusOne(work.cards, kMaxPlayCards);
    for (int i = 0; i < n && work.n < kMaxPlayCards; ++i) {
        if (IsValidCard(cards[i]))
            work.cards[work.n++] = cards[i];
    }
    return work;
}

bool CardTable::TakeCards(PlayRecord& into, WorkList& work, int value, int count, int suit) const
{
    int before = 0;
    while (before < kMaxPlayCards && into.cards[before] != kNoCard)
        ++before;
    MoveCardsByValue(into.cards, kMaxPlayCards, work.cards, work.n, value, count, suit);
    int after = before;
    while (after < kMaxPlayCards && into.cards[after] != kNoCard)
        ++after;
    // A record must hold every card it counts.
    return after - before == count;
}

int CardTable::Collect(const int* cards, int n, PlayList& list, bool repeat, BuildCall build)
{
    if (n <= 0 || list.count >= PlayList::kCapacity)
        return 0;
    int histogram[kHistogramSize] = {};
    int wildcards = 0;
    CountCardsByValue(cards, n, histogram, kHistogramSize, &wildcards);
    PlayRecord& entry = list.entries[list.count];
    entry.Clear();
    if (!build(histogram, wildcards, entry))
        return 0;
    if (repeat) {
        while (build(histogram, wildcards, entry)) {
        }
    }
    ++list.count;
    return 1;
}

int CardTable::CollectSingles(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 1 || n <= 0 || !IsValidCard(cards[0]))
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildSingle(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildSingle(const int* cards, int n, const int*, int, int, PlayRecord& record)
{
    const int level = GetLevel();
    const uint32_t threshold = static_cast<uint32_t>(record.value);
    int best = kNoCard;
    uint32_t bestOrder = UINT32_MAX;
    for (int i = 0; i < n && cards[i] != kNoCard; ++i) {
        const int id = cards[i];
        if (!IsValidCard(id))
            continue;
        // Orders at or below the threshold never win: they compare as the
        // largest key.
        uint32_t order = static_cast<uint32_t>(CallCardOrder(id, level));
        uint32_t key = order > threshold ? order : UINT32_MAX;
        if (key < bestOrder) {
            best = id;
            bestOrder = key;
        }
    }
    if (best == kNoCard)
        return 0;
    record.Set(CT_SINGLE, CT_SINGLE, static_cast<int>(bestOrder), 1);
    record.cards[0] = best;
    return 1;
}

int CardTable::CollectPairs(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 2)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildPair(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, true, build);
}

int CardTable::BuildSameValueGroup(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int size, int type)
{
    int v = FindGroup(histogram, histogramSize, size, wildcards, record.value);
    if (v < 0)
        return 0;
    WorkList work = MakeWorkList(cards, n);
    PlayRecord built(type, type, Order(v), size);
    if (!TakeCards(built, work, v, size, -1))
        return 0;
    record = built;
    return 1;
}

int CardTable::BuildPair(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record)
{
    return BuildSameValueGroup(cards, n, histogram, histogramSize, wildcards, record, 2, CT_PAIR);
}

int CardTable::CollectTriples(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 3)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildTriple(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildTriple(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record)
{
    return BuildSameValueGroup(cards, n, histogram, histogramSize, wildcards, record, 3, CT_TRIPLE);
}

int CardTable::CollectBombs(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 4)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildBomb(cards, n, h, kHistogramSize, w, r, valid);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int size)
{
    return BuildBombOfMask(cards, n, histogram, histogramSize, wildcards, record, size, kCardTableBombMask);
}

int CardTable::BuildBombOfMask(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int size, int mask)
{
    if (size < 0 || size > kMaxPlayCards || (size > 0 && size < 4))
        return 0;
    int threshold = record.type == CT_BOMB ? record.value : 0;
    int first = size == 0 ? 4 : size;
    int last = size == 0 ? 4 * m_deckCount : size;
    // No group can be larger than the largest bucket (or all jokers
    // together) plus the wildcards: larger sizes need no search.
    int largest = 0;
    for (int v = 1; v < histogramSize && v < kHistogramSize; ++v)
        largest = std::max(largest, histogram[v]);
    if (histogramSize > kBigJokerValue)
        largest = std::max(largest, histogram[kSmallJokerValue] + histogram[kBigJokerValue]);
    last = std::min(last, largest + wildcards);
    for (int s = first; s <= last; ++s) {
        int v = FindGroup(histogram, histogramSize, s, wildcards, threshold);
        if (v < 0)
            continue;
        WorkList work = MakeWorkList(cards, n);
        PlayRecord built(CT_BOMB, mask, Order(v) + 10000 * (s - 4), s);
        if (!TakeCards(built, work, v, s, -1))
            continue;
        record = built;
        return 1;
    }
    return 0;
}

int CardTable::CollectBigBombs(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 6 || valid > 8)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildBigBomb(cards, n, h, kHistogramSize, w, r, valid);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildBigBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int size)
{
    if (size < 0 || size > kMaxPlayCards || (size > 0 && size < 4))
        return 0;
    int threshold = record.type == CT_BIG_BOMB ? record.value : 0;
    int first = size == 0 ? 6 : size;
    int last = size == 0 ? 10 : size;
    for (int s = first; s <= last; ++s) {
        int v = FindGroup(histogram, histogramSize, s, wildcards, threshold);
        if (v < 0)
            continue;
        WorkList work = MakeWorkList(cards, n);
        PlayRecord built(CT_BIG_BOMB, 0, Order(v) + 10000 * (s - 4), s);
        if (!TakeCards(built, work, v, s, -1))
            continue;
        record = built;
        return 1;
    }
    return 0;
}

int CardTable::CollectTriplePairs(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 5)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildTriplePair(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, true, build);
}

int CardTable::BuildTriplePair(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record)
{
    int t = -1;
    int p = -1;
    if (!FindTwoGroups(histogram, histogramSize, 3, 2, wildcards, record.value, &t, &p))
        return 0;
    WorkList work = MakeWorkList(cards, n);
    PlayRecord built(CT_TRIPLE_PAIR, CT_TRIPLE_PAIR, TwoGroupKey(Order(t), Order(p)), 5);
    if (!TakeCards(built, work, t, 3, -1) || !TakeCards(built, work, p, 2, -1))
        return 0;
    record = built;
    return 1;
}

int CardTable::CollectStraights(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 5)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildStraight(cards, n, h, kHistogramSize, w, r, 5);
    };
    return Collect(cards, n, list, true, build);
}

int CardTable::BuildStraight(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int length)
{
    if (length != 5)
        return 0;
    return BuildRun(cards, n, histogram, histogramSize, wildcards, record, length, 1, CT_STRAIGHT, false);
}

// Runs of consecutive values: straights (1 card a value), pair runs (2),
// triple runs (3) and quad runs (4). The window starts at the three and its
// highest value is at most the ace.
int CardTable::BuildRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int groups, int perValue, int type, bool lowestHeld)
{
    const int length = groups * perValue;
    if (groups < 1 || length > kMaxPlayCards || histogramSize < 14)
        return 0;
    int threshold = 0;
    if (record.type == type) {
        if (record.count != length)
            return 0;
        threshold = record.value;
    }
    const int keyBase = perValue == 1 ? 100 : 1000 * groups;
    int bestStart = -1;
    for (int start = 2; start + groups <= 14; ++start) {
        if (lowestHeld && histogram[start] == 0)
            continue;
        int missing = 0;
        for (int v = start; v < start + groups; ++v)
            missing += std::max(0, perValue - histogram[v]);
        if (missing > wildcards)
            continue;
        int key = CallMapOrderValue(start, -1) + keyBase;
        if (Above(key, threshold)) {
            bestStart = start;
            break; // keys rise with the start: the first qualifying one is the lowest
        }
    }
    if (bestStart < 0)
        return 0;
    WorkList work = MakeWorkList(cards, n);
    PlayRecord built(type, type, CallMapOrderValue(bestStart, -1) + keyBase, length);
    for (int v = bestStart; v < bestStart + groups; ++v) {
        if (!TakeCards(built, work, v, perValue, -1))
            return 0;
    }
    record = built;
    return 1;
}

int CardTable::CollectPairRuns(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 4 || valid % 2 != 0)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildPairRun(cards, n, h, kHistogramSize, w, r, valid / 2);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildPairRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int pairs)
{
    if (pairs < 2)
        return 0;
    return BuildRun(cards, n, histogram, histogramSize, wildcards, record, pairs, 2, CT_PAIR_RUN, false);
}

int CardTable::CollectTripleRuns(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 6 || valid % 3 != 0)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildTripleRun(cards, n, h, kHistogramSize, w, r, valid / 3);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildTripleRun(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int triples)
{
    if (triples < 2)
        return 0;
    return BuildRun(cards, n, histogram, histogramSize, wildcards, record, triples, 3, CT_TRIPLE_RUN, false);
}

int CardTable::CollectTriplePairRuns(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 10 || valid % 5 != 0)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildTriplePairRun(cards, n, h, kHistogramSize, w, r, valid / 5);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildTriplePairRun(const int* cards, int n, const int* histogram, int histogramSize,
    int wildcards, PlayRecord& record, int groups)
{
    const int length = 5 * groups;
    if (groups < 2 || length > kMaxPlayCards || histogramSize < 14)
        return 0;
    int threshold = 0;
    if (record.type == CT_TRIPLE_PAIR_RUN) {
        if (record.count != length)
            return 0;
        threshold = record.value;
    }
    int bestTriple = -1;
    int bestPair = -1;
    int bestKey = 0;
    for (int i = 2; i + groups <= 14; ++i) {
        int rest[kHistogramSize] = {};
        std::copy(histogram, histogram + std::min(histogramSize, kHistogramSize), rest);
        int missing = 0;
        for (int v = i; v < i + groups; ++v) {
            if (rest[v] >= 3) {
                rest[v] -= 3;
            } else {
                missing += 3 - rest[v];
                rest[v] = 0;
            }
        }
        if (missing > wildcards)
            continue;
        for (int k = 2; k + groups <= 14; ++k) {
            int pairMissing = 0;
            for (int v = k; v < k + groups; ++v)
                pairMissing += std::max(0, 2 - rest[v]);
            if (missing + pairMissing > wildcards)
                continue;
            int key = CallMapOrderValue(i, -1) * 100 + CallMapOrderValue(k, -1) + 10000 * groups;
            if (Above(key, threshold) && (bestTriple < 0 || key < bestKey)) {
                bestTriple = i;
                bestPair = k;
                bestKey = key;
            }
        }
    }
    if (bestTriple < 0)
        return 0;
    WorkList work = MakeWorkList(cards, n);
    PlayRecord built(CT_TRIPLE_PAIR_RUN, CT_TRIPLE_PAIR_RUN, bestKey, length);
    for (int step = 0; step < groups; ++step) {
        if (!TakeCards(built, work, bestTriple + step, 3, -1) || !TakeCards(built, work, bestPair + step, 2, -1))
            return 0;
    }
    record = built;
    return 1;
}

int CardTable::CollectStraightFlushes(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 5)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildStraightFlush(cards, n, h, kHistogramSize, w, r, 5);
    };
    return Collect(cards, n, list, true, build);
}

int CardTable::BuildStraightFlush(const int* cards, int n, const int*, int, int wildcards, PlayRecord& record,
    int length)
{
    if (length < 1 || length > 13)
        return 0;
    int threshold = record.type == CT_STRAIGHT_FLUSH ? record.value : 0;
    int held[4][kHistogramSize] = {};
    for (int i = 0; i < n; ++i) {
        int id = cards[i];
        if (!IsValidCard(id) || (WildcardsOn() && IsWildcard(id)))
            continue;
        int suit = CallCardSuit(id);
        int value = CallCardValue(id);
        if (suit >= 0 && suit < 4 && value > 0 && value < kHistogramSize)
            held[suit][value] = 1;
    }
    // Wheel: the ace below the two, found only when nothing is to be beaten.
    static constexpr int kWheel[5] = { 13, 1, 2, 3, 4 };
    int bestSuit = -1;
    int bestKey = 0;
    const int* values = nullptr;
    int windowValues[13];
    if (threshold == 0 && length == 5) {
        for (int suit = 0; suit < 4; ++suit) {
            int have = 0;
            for (int v : kWheel)
                have += held[suit][v];
            if (have + wildcards >= 5)
                bestSuit = suit;
        }
        if (bestSuit >= 0) {
            bestKey = 100;
            values = kWheel;
        }
    }
    if (bestSuit < 0) {
        int bestStart = -1;
        for (int suit = 0; suit < 4; ++suit) {
            for (int start = 1; start <= 14 - length; ++start) {
                int have = 0;
                for (int v = start; v < start + length; ++v)
                    have += held[suit][v];
                if (have + wildcards < length)
                    continue;
                int key = CallMapOrderValue(start, -1) + 100;
                if (Above(key, threshold) && (bestSuit < 0 || key < bestKey)) {
                    bestSuit = suit;
                    bestStart = start;
                    bestKey = key;
                }
            }
        }
        if (bestSuit < 0)
            return 0;
        for (int i = 0; i < length; ++i)
            windowValues[i] = bestStart + i;
        values = windowValues;
    }
    WorkList work = MakeWorkList(cards, n);
    PlayRecord built(CT_STRAIGHT_FLUSH, 0, bestKey, length);
    for (int i = 0; i < length; ++i) {
        if (!TakeCards(built, work, values[i], 1, bestSuit))
            return 0;
    }
    record = built;
    return 1;
}

int CardTable::CollectFourJokers(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 4)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildFourJokers(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, false, build);
}

int CardTable::BuildFourJokers(const int* cards, int n, const int*, int, int, PlayRecord& record)
{
    if (record.type == CT_FOUR_JOKERS && record.value != 0)
        return 0;
    // Counted from the ids, so that jokers counted as wildcards in a hand
    // with other cards are found too.
    int small[2];
    int big[2];
    int smallCount = 0;
    int bigCount = 0;
    for (int i = 0; i < n; ++i) {
        if (!IsValidCard(cards[i]))
            continue;
        int value = CallCardValue(cards[i]);
        if (value == kSmallJokerValue && smallCount < 2)
            small[smallCount++] = cards[i];
        else if (value == kBigJokerValue && bigCount < 2)
            big[bigCount++] = cards[i];
    }
    if (smallCount < 2 || bigCount < 2)
        return 0;
    record.Set(CT_FOUR_JOKERS, kAnyMask, 1, 4);
    record.cards[0] = small[0];
    record.cards[1] = small[1];
    record.cards[2] = big[0];
    record.cards[3] = big[1];
    return 1;
}

int CardTable::AddAnyCards(const int* cards, int, int n, PlayList& list)
{
    if (list.count >= PlayList::kCapacity || n < 0)
        return 0;
    n = std::min(n, kMaxPlayCards);
    PlayRecord& entry = list.entries[list.count++];
    entry.Set(CT_ANY, kAnyMask, 1, n);
    std::copy(cards, cards + n, entry.cards);
    return 1;
}

// --- Play search and comparison ---

int CardTable::FindPlays(int, const int* cards, int n, PlayList& list, int typeMask)
{
    if (n > kMaxPlayCards)
        n = kMaxPlayCards;
    if (n > 0) {
        int valid = CountValidCards(cards, n);
        if (typeMask & CT_SINGLE)
            CollectSingles(cards, n, valid, list);
        if (typeMask & CT_PAIR)
            CollectPairs(cards, n, valid, list);
        if (typeMask & CT_TRIPLE)
            CollectTriples(cards, n, valid, list);
        if (typeMask & CT_TRIPLE_PAIR)
            CollectTriplePairs(cards, n, valid, list);
        if (typeMask & CT_STRAIGHT)
            CollectStraights(cards, n, valid, list);
        if (typeMask & CT_PAIR_RUN)
            CollectPairRuns(cards, n, valid, list);
        if (typeMask & CT_TRIPLE_RUN)
            CollectTripleRuns(cards, n, valid, list);
        if (typeMask & CT_TRIPLE_PAIR_RUN)
            CollectTriplePairRuns(cards, n, valid, list);
        if (typeMask & CT_BOMB)
            CollectBombs(cards, n, valid, list);
        if (typeMask & CT_STRAIGHT_FLUSH)
            CollectStraightFlushes(cards, n, valid, list);
        if (typeMask & CT_BIG_BOMB)
            CollectBigBombs(cards, n, valid, list);
        if (typeMask & CT_FOUR_JOKERS)
            CollectFourJokers(cards, n, valid, list);
        if (typeMask & CT_ANY)
            AddAnyCards(cards, 0, n, list);
    }
    return list.count > 0 ? 1 : 0;
}

bool CardTable::NeedsEqualCount(int) const
{
    return false;
}

bool CardTable::CanBeat(const PlayRecord& previous, const PlayRecord& candidate) const
{
    if ((previous.type & candidate.mask) != previous.type)
        return false;
    if (previous.type != candidate.type)
        return true;
    if (NeedsEqualCount(candidate.type) && candidate.count != previous.count)
        return false;
    return Above(candidate.value, previous.value);
}

int CardTable::PickStrongestPlay(PlayList& list) const
{
    if (list.count <= 1)
        return 1;
    int best = 0;
    for (int i = 1; i < list.count; ++i) {
        const PlayRecord& bestEntry = list.entries[best];
        const PlayRecord& entry = list.entries[i];
        if ((bestEntry.type & entry.mask) != bestEntry.type)
            continue;
        if (entry.type != bestEntry.type || Above(entry.value, bestEntry.value))
            best = i;
    }
    if (best != 0) {
        list.entries[0] = list.entries[best];
        list.count = 1;
    }
    return 1;
}

int CardTable::PickBeatingPlay(const PlayRecord& previous, PlayList& list) const
{
    if (list.count <= 0)
        return 0;
    int currentType = previous.type;
    int currentValue = previous.value;
    int taken = -1;
    for (int i = 0; i < list.count; ++i) {
        const PlayRecord& entry = list.entries[i];
        if ((currentType & entry.mask) != currentType)
            continue;
        bool take = entry.type != currentType;
        if (!take) {
            take = Above(entry.value, currentValue)
                && (!NeedsEqualCount(entry.type) || entry.count == previous.count);
        }
        if (take) {
            currentType = entry.type;
            currentValue = entry.value;
            taken = i;
        }
    }
    if (taken < 0)
        return 0;
    list.entries[0] = list.entries[taken];
    list.count = 1;
    return 1;
}

} // namespace table
