#include "cards/HandRules.h"

#include <vector>

namespace game {

using table::CardTable;
using table::PlayRecord;

namespace {

// t lies within the group m (t = 0, a lead, lies within every group).
bool Within(int t, int m)
{
    return (t & m) == t;
}

// The types a bomb may answer, and every type four jokers may answer.
constexpr int kBombAnswers = 0x1767;
constexpr int kFourJokerAnswers = 0x81767;

// One builder call of the search: the rules, the hand with its counts, and
// the record to build on.
struct BuildInput {
    CardTable& rules;
    const int* hand;
    int n;
    const int* histogram;
    int wildcards;
};

using Builder = int (*)(BuildInput& in, PlayRecord& record, int length);

// A step of the search: its type, the group the start's type must lie in
// (0: only a lead), the lengths it tries and its builder.
struct Step {
    int type;
    int group;
    int shortest;
    int longest;
    Builder build;
};

constexpr int H = table::kHistogramSize;

const Step kSteps[] = {
    { table::CT_SINGLE, table::CT_SINGLE, 0, 0,
        [](BuildInput& in, PlayRecord& r, int) {
            return in.rules.BuildSingle(in.hand, in.n, in.histogram, H, in.wildcards, r);
        } },
    { table::CT_PAIR, table::CT_PAIR, 0, 0,
        [](BuildInput& in, PlayRecord& r, int) {
            return in.rules.BuildPair(in.hand, in.n, in.histogram, H, in.wildcards, r);
        } },
    { table::CT_TRIPLE, table::CT_TRIPLE, 0, 0,
        [](BuildInput& in, PlayRecord& r, int) {
            return in.rules.BuildTriple(in.hand, in.n, in.histogram, H, in.wildcards, r);
        } },
    { table::CT_TRIPLE_PAIR, table::CT_TRIPLE_PAIR, 0, 0,
        [](BuildInput& in, PlayRecord& r, int) {
            return in.rules.BuildTriplePair(in.hand, in.n, in.histogram, H, in.wildcards, r);
        } },
    { table::CT_STRAIGHT, table::CT_STRAIGHT, 5, 12,
        [](BuildInput& in, PlayRecord& r, int length) {
            return in.rules.BuildStraight(in.hand, in.n, in.histogram, H, in.wildcards, r, length);
        } },
    { table::CT_PAIR_RUN, table::CT_PAIR_RUN, 2, 12,
        [](BuildInput& in, PlayRecord& r, int length) {
            return in.rules.BuildPairRun(in.hand, in.n, in.histogram, H, in.wildcards, r, length);
        } },
    { table::CT_TRIPLE_RUN, table::CT_TRIPLE_RUN, 2, 12,
        [](BuildInput& in, PlayRecord& r, int length) {
            return in.rules.BuildTripleRun(in.hand, in.n, in.histogram, H, in.wildcards, r, length);
        } },
    { table::CT_TRIPLE_PAIR_RUN, table::CT_TRIPLE_PAIR_RUN, 2, 12,
        [](BuildInput& in, PlayRecord& r, int length) {
            return in.rules.BuildTriplePairRun(in.hand, in.n, in.histogram, H, in.wildcards, r, length);
        } },
    { table::CT_BOMB, kBombAnswers, 4, 8,
        [](BuildInput& in, PlayRecord& r, int length) {
            return in.rules.BuildBomb(in.hand, in.n, in.histogram, H, in.wildcards, r, length);
        } },
    { table::CT_STRAIGHT_FLUSH, 0, 5, 5,
        [](BuildInput& in, PlayRecord& r, int length) {
            return in.rules.BuildStraightFlush(in.hand, in.n, in.histogram, H, in.wildcards, r, length);
        } },
    { table::CT_BIG_BOMB, 0, 0, 0,
        [](BuildInput& in, PlayRecord& r, int) {
            return in.rules.BuildBigBomb(in.hand, in.n, in.histogram, H, in.wildcards, r, 0);
        } },
    { table::CT_FOUR_JOKERS, kFourJokerAnswers, 0, 0,
        [](BuildInput& in, PlayRecord& r, int) {
            return in.rules.BuildFourJokers(in.hand, in.n, in.histogram, H, in.wildcards, r);
        } },
};

// Whether a step may answer a start of type t.
bool StepApplies(const Step& step, int t)
{
    if (t == 0)
        return true;
    return step.group != 0 && Within(t, step.group);
}

} // namespace

std::unique_ptr<CardTable> HandRules::MakeTable() const
{
    const table::GameTableArgs tableArgs { -1, -1, 1, 8, 0, 0, 3 };
    table::CardTableArgs cardArgs;
    cardArgs.cardCount = 216;
    cardArgs.deckCount = 4;
    cardArgs.handSize = 64;
    cardArgs.four = { 0, 0, 0, 0 };
    cardArgs.three = { 30, 4, 2 };
    cardArgs.highBidMin = 400;
    cardArgs.lowBidMax = 0;
    cardArgs.defaultBid = 100;
    return std::make_unique<CardTable>(tableArgs, cardArgs);
}

bool HandRules::FindBeatingPlay(const int* hand, int n, const PlayRecord& start, PlayRecord& result, int typeMask,
    bool wildcards) const
{
    return Search(hand, n, start, result, typeMask, wildcards, false);
}

bool HandRules::FindBeatingPlayAlt(const int* hand, int n, const PlayRecord& start, PlayRecord& result,
    int typeMask, bool wildcards) const
{
    return Search(hand, n, start, result, typeMask, wildcards, true);
}

bool HandRules::Search(const int* hand, int n, const PlayRecord& start, PlayRecord& result, int typeMask,
    bool wildcards, bool longestFirst) const
{
    // The result starts as a copy of the start and keeps it when nothing is
    // found (start and result may be the same record).
    const PlayRecord from = start;
    result = from;
    if (!hand || n <= 0)
        return false;
    std::unique_ptr<CardTable> rules = MakeTable();
    if (!wildcards)
        rules->SetOptions(rules->GetOptions() & ~table::kOptionWildcards);
    int histogram[H] = {};
    int wild = 0;
    rules->CountCardsByValue(hand, n, histogram, H, &wild);
    BuildInput in { *rules, hand, n, histogram, wild };

    for (const Step& step : kSteps) {
        if (!(typeMask & step.type) || !StepApplies(step, from.type))
            continue;
        const int longest = step.type == table::CT_BOMB ? LongestBomb() : step.longest;
        const int lengths = longest - step.shortest;
        for (int k = 0; k <= lengths; ++k) {
            const int length = longestFirst ? longest - k : step.shortest + k;
            // A builder leaves the record alone when it fails; a play it
            // builds still has to beat the start by the rules' comparison.
            PlayRecord trial = from;
            if (step.build(in, trial, length) && rules->CanBeat(from, trial)) {
                result = trial;
                return true;
            }
        }
    }
    return false;
}

std::optional<PlayRecord> HandRules::ChoosePlay(int chair, const int* ids, int n, const PlayRecord* last) const
{
    if (!ids || n <= 0)
        return std::nullopt;
    std::unique_ptr<CardTable> rules = MakeTable();
    table::PlayList list;
    list.Clear();
    if (!rules->FindPlays(chair, ids, n, list, PlayMask()))
        return std::nullopt;
    if (!last)
        rules->PickStrongestPlay(list);
    else if (!rules->PickBeatingPlay(*last, list))
        return std::nullopt;
    return list.entries[0];
}

} // namespace game
