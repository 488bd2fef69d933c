#include "table/FriendCardRules.h"

#include <algorithm>

namespace table {

namespace {
constexpr int kFriendBombMask = 0x1147;
constexpr int kFiveTenKingMask = 0x70307;
constexpr int kFive = 4;
constexpr int kTen = 9;
constexpr int kKing = 12;
} // namespace

GameTableArgs FriendGameTableArgs()
{
    return GameTableArgs { -1, -1, 1, 4, kOptionWildcards, 0, 3 };
}

CardTableArgs FriendCardTableArgs()
{
    CardTableArgs args;
    args.cardCount = 108;
    args.deckCount = 2;
    args.handSize = 27;
    args.four = { 0, 16, 13, 0 };
    args.three = { 30, 4, 2 };
    args.highBidMin = 400;
    args.lowBidMax = 0;
    args.defaultBid = 100;
    return args;
}

FriendCardRules::FriendCardRules()
    : FriendCardRules(FriendGameTableArgs(), FriendCardTableArgs())
{
}

FriendCardRules::FriendCardRules(const GameTableArgs& table, const CardTableArgs& cards)
    : CardTable(table, cards)
{
    m_sortTaken = false;
    FriendCardRules::PrepareState();
    FriendCardRules::Reset(true);
}

FriendCardRules::~FriendCardRules() = default;

bool FriendCardRules::AcceptsEvent(int code) const
{
    return CardTable::AcceptsEvent(code) || code == 19840340 || code == 19840341;
}

int FriendCardRules::GetLevel()
{
    if (!m_state)
        PrepareState();
    return m_state->level;
}

void FriendCardRules::SetLevel(int level)
{
    PrepareState();
    m_state->level = level;
}

bool FriendCardRules::IsWildcard(int id) const
{
    return WildcardsOn() && (id == 52 || id == 53 || id == 106 || id == 107);
}

int FriendCardRules::FindGroup(const int* histogram, int n, int size, int wildcards, int bound)
{
    // A bomb may be made of jokers of both kinds: when the cards are jokers
    // only, the big ones join the small ones' group. Pairs and triples keep
    // the jokers at their own values, so a small and a big joker are no pair.
    if (size >= 4 && n >= kHistogramSize) {
        bool onlyJokers = histogram[kSmallJokerValue] > 0 && histogram[kBigJokerValue] > 0;
        for (int v = 0; v < n && onlyJokers; ++v) {
            if (v != kSmallJokerValue && v != kBigJokerValue && histogram[v] != 0)
                onlyJokers = false;
        }
        if (onlyJokers) {
            int pooled[kHistogramSize] = {};
            pooled[kSmallJokerValue] = histogram[kSmallJokerValue] + histogram[kBigJokerValue];
            return CardTable::FindGroup(pooled, kHistogramSize, size, wildcards, bound);
        }
    }
    return CardTable::FindGroup(histogram, n, size, wildcards, bound);
}

int FriendCardRules::FindPlays(int, const int* cards, int n, PlayList& list, int typeMask)
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
        if (typeMask & CT_STRAIGHT)
            CollectStraights(cards, n, valid, list);
        if (typeMask & CT_PAIR_RUN)
            CollectPairRuns(cards, n, valid, list);
        if (typeMask & CT_BOMB)
            CollectBombs(cards, n, valid, list);
        if (typeMask & CT_FOUR_JOKERS)
            CollectFourJokers(cards, n, valid, list);
    }
    return list.count > 0 ? 1 : 0;
}

int FriendCardRules::MoveCardsByValue(int* destination, int destinationLength, int* source, int sourceLength,
    int value, int count, int suit) const
{
    CardTable::MoveCardsByValue(destination, destinationLength, source, sourceLength, value, count, suit);
    return count;
}

bool FriendCardRules::NeedsEqualCount(int type) const
{
    return type != CT_BOMB && type != CT_FOUR_JOKERS;
}

int FriendCardRules::TwoGroupKey(int firstOrder, int) const
{
    return firstOrder * 10000;
}

int FriendCardRules::CollectBombs(const int* cards, int n, int valid, PlayList& list)
{
    return CardTable::CollectBombs(cards, n, valid, list);
}

int FriendCardRules::BuildBomb(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record, int size)
{
    return BuildBombOfMask(cards, n, histogram, histogramSize, wildcards, record, size, kFriendBombMask);
}

int FriendCardRules::CollectStraights(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 5 || valid > 12)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildStraight(cards, n, h, kHistogramSize, w, r, valid);
    };
    return Collect(cards, n, list, true, build);
}

int FriendCardRules::BuildStraight(const int* cards, int n, const int* histogram, int histogramSize,
    int wildcards, PlayRecord& record, int length)
{
    if (length < 5 || length > 12)
        return 0;
    return BuildRun(cards, n, histogram, histogramSize, wildcards, record, length, 1, CT_STRAIGHT, false);
}

int FriendCardRules::CollectPairRuns(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 6 || valid % 2 != 0)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildPairRun(cards, n, h, kHistogramSize, w, r, valid / 2);
    };
    return Collect(cards, n, list, false, build);
}

int FriendCardRules::BuildPairRun(const int* cards, int n, const int* histogram, int histogramSize,
    int wildcards, PlayRecord& record, int pairs)
{
    if (pairs < 3 || pairs > 12)
        return 0;
    // The lowest pair must hold a card of its own value: jokers alone never
    // stand below the run.
    return BuildRun(cards, n, histogram, histogramSize, wildcards, record, pairs, 2, CT_PAIR_RUN, true);
}

int FriendCardRules::BuildJokerBomb(const int* cards, int n, const int*, int, int, PlayRecord& record, int size)
{
    if (size < 2 || size > 4)
        return 0;
    // Counted from the ids: in a hand with other cards the jokers are
    // wildcards and missing from the histogram.
    int small[kMaxPlayCards];
    int big[kMaxPlayCards];
    int s = 0;
    int b = 0;
    for (int i = 0; i < n && i < kMaxPlayCards; ++i) {
        if (!IsValidCard(cards[i]))
            continue;
        int value = CallCardValue(cards[i]);
        if (value == kSmallJokerValue)
            small[s++] = cards[i];
        else if (value == kBigJokerValue)
            big[b++] = cards[i];
    }
    int g = s + b;
    if (b < 1 || g < size)
        return 0;
    int value = 22 * b + 21 * s + (g >= 3 ? (g - 2) * 10000 : 0);
    int threshold = record.type == CT_BOMB ? record.value : 0;
    if (static_cast<uint32_t>(value) <= static_cast<uint32_t>(threshold))
        return 0;
    record.Set(CT_BOMB, kFriendBombMask, value, g);
    int at = 0;
    for (int i = 0; i < s; ++i)
        record.cards[at++] = small[i];
    for (int i = 0; i < b; ++i)
        record.cards[at++] = big[i];
    return 1;
}

int FriendCardRules::CollectFiveTenKings(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 3)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildFiveTenKing(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, false, build);
}

int FriendCardRules::BuildFiveTenKing(const int* cards, int n, const int* histogram, int histogramSize, int,
    PlayRecord& record)
{
    if (histogramSize <= kKing || histogram[kFive] < 1 || histogram[kTen] < 1 || histogram[kKing] < 1)
        return 0;
    bool has[4][3] = {};
    for (int i = 0; i < n; ++i) {
        if (!IsValidCard(cards[i]) || IsWildcard(cards[i]))
            continue;
        int suit = CallCardSuit(cards[i]);
        int value = CallCardValue(cards[i]);
        if (suit < 0 || suit > 3)
            continue;
        if (value == kFive)
            has[suit][0] = true;
        else if (value == kTen)
            has[suit][1] = true;
        else if (value == kKing)
            has[suit][2] = true;
    }
    auto complete = [&](int s) { return has[s][0] && has[s][1] && has[s][2]; };
    int suit = -1;
    int value = 0;
    if (record.type == CT_FIVE_TEN_KING) {
        // Only a same-suit set of a higher suit follows; suit 3 is the top.
        int w = record.value;
        if (w >= 4)
            return 0;
        for (int s = std::max(w, 0); s < 4 && suit < 0; ++s) {
            if (complete(s))
                suit = s;
        }
        if (suit < 0)
            return 0;
        value = suit + 1;
    } else {
        int firstOf[3] = { -1, -1, -1 };
        for (int k = 0; k < 3; ++k) {
            for (int s = 0; s < 4 && firstOf[k] < 0; ++s) {
                if (has[s][k])
                    firstOf[k] = s;
            }
        }
        if (firstOf[0] == firstOf[1] && firstOf[1] == firstOf[2]) {
            suit = firstOf[0];
            value = suit + 1;
        }
    }
    WorkList work = MakeWorkList(cards, n);
    PlayRecord built(CT_FIVE_TEN_KING, kFiveTenKingMask, value, 3);
    if (!TakeCards(built, work, kFive, 1, suit) || !TakeCards(built, work, kTen, 1, suit)
        || !TakeCards(built, work, kKing, 1, suit))
        return 0;
    record = built;
    return 1;
}

int FriendCardRules::CollectQuadRuns(const int* cards, int n, int valid, PlayList& list)
{
    if (valid < 8 || valid % 4 != 0)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildQuadRun(cards, n, h, kHistogramSize, w, r, valid / 4);
    };
    return Collect(cards, n, list, false, build);
}

int FriendCardRules::BuildQuadRun(const int* cards, int n, const int* histogram, int histogramSize,
    int wildcards, PlayRecord& record, int groups)
{
    if (groups < 2 || groups >= 13)
        return 0;
    return BuildRun(cards, n, histogram, histogramSize, wildcards, record, groups, 4, CT_QUAD_RUN, false);
}

int FriendCardRules::CollectQuads(const int* cards, int n, int valid, PlayList& list)
{
    if (valid != 4)
        return 0;
    auto build = [&](const int* h, int w, PlayRecord& r) {
        return BuildQuad(cards, n, h, kHistogramSize, w, r);
    };
    return Collect(cards, n, list, false, build);
}

int FriendCardRules::BuildQuad(const int* cards, int n, const int* histogram, int histogramSize, int wildcards,
    PlayRecord& record)
{
    return BuildSameValueGroup(cards, n, histogram, histogramSize, wildcards, record, 4, CT_QUAD);
}

FriendCardRules& SharedFriendRules()
{
    static FriendCardRules rules;
    return rules;
}

} // namespace table
