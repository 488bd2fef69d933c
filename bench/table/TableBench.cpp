// Recognising selections and searching hints with this game's rules.

#include "table/FriendCardRules.h"

#include "CardNotation.h"
#include "HintSearch.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using namespace table;

// Four jokers, two 4-card bombs, a pair run of five pairs and a straight's
// worth of singles: every builder has something to look at.
const std::vector<int> kHardHand
    = testing::Cards("SJ SJ2 BJ BJ2 3a 3b 3c 3d 4a 4b 4c 4d 5a 5b 6a 6b 7a 7b 8a 8b 9a 9b Ta Jb Qc Kd Aa");

PlayRecord Play(int type, int mask, int value, int count)
{
    PlayRecord record;
    record.Set(type, mask, value, count);
    return record;
}

struct Previous {
    const char* name;
    PlayRecord play;
};

const std::vector<Previous>& PreviousPlays()
{
    static const std::vector<Previous> plays = {
        { "lead", PlayRecord() },
        { "single_SJ", Play(CT_SINGLE, 0x1, 21, 1) },
        { "pair_A", Play(CT_PAIR, 0x2, 13, 2) },
        { "triple_A", Play(CT_TRIPLE, 0x4, 13, 3) },
        { "straight5_top", Play(CT_STRAIGHT, 0x40, 109, 5) },
        { "straight12", Play(CT_STRAIGHT, 0x40, 102, 12) },
        { "pairrun3_top", Play(CT_PAIR_RUN, 0x100, 3011, 6) },
        { "pairrun12", Play(CT_PAIR_RUN, 0x100, 12002, 24) },
        { "bomb4_2", Play(CT_BOMB, 0x1147, 20, 4) },
        { "bomb8_2", Play(CT_BOMB, 0x1147, 40020, 8) },
        { "bomb12", Play(CT_BOMB, 0x1147, 80020, 12) },
        { "four_jokers", Play(CT_FOUR_JOKERS, 0x81767, 1, 4) },
    };
    return plays;
}

void BM_RecogniseSelection(benchmark::State& state, std::vector<int> cards)
{
    FriendCardRules rules;
    for (auto _ : state) {
        PlayList list;
        list.Clear();
        rules.FindPlays(0, cards.data(), static_cast<int>(cards.size()), list, kFriendPlayMask);
        rules.PickStrongestPlay(list);
        benchmark::DoNotOptimize(list);
    }
}

// The view's full hint search: without wildcards, then with them.
void BM_HintHardHand(benchmark::State& state, PlayRecord previous)
{
    FriendCardRules rules;
    const int n = static_cast<int>(kHardHand.size());
    for (auto _ : state) {
        PlayRecord hint;
        bool found = testing::FindBeatingPlay(rules, kHardHand.data(), n, previous, hint, kFriendPlayMask, false)
            || testing::FindBeatingPlay(rules, kHardHand.data(), n, previous, hint, kFriendPlayMask, true);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(hint);
    }
}

// Random 27-card hands against the plays above.
void BM_HintTypicalHand(benchmark::State& state)
{
    FriendCardRules rules;
    std::mt19937 rng(7);
    std::vector<std::vector<int>> hands;
    for (int i = 0; i < 64; ++i) {
        std::vector<int> deck(108);
        for (int id = 0; id < 108; ++id)
            deck[id] = id;
        std::shuffle(deck.begin(), deck.end(), rng);
        deck.resize(27);
        hands.push_back(deck);
    }
    const auto& plays = PreviousPlays();
    size_t i = 0;
    for (auto _ : state) {
        const std::vector<int>& hand = hands[i % hands.size()];
        const PlayRecord& previous = plays[(i / hands.size()) % plays.size()].play;
        ++i;
        PlayRecord hint;
        bool found = testing::FindBeatingPlay(rules, hand.data(), 27, previous, hint, kFriendPlayMask, false)
            || testing::FindBeatingPlay(rules, hand.data(), 27, previous, hint, kFriendPlayMask, true);
        benchmark::DoNotOptimize(found);
    }
}

void RegisterAll()
{
    benchmark::RegisterBenchmark("Recognise/27_hard_hand", BM_RecogniseSelection, kHardHand);
    benchmark::RegisterBenchmark("Recognise/12_straight", BM_RecogniseSelection,
        testing::Cards("3a 4b 5c 6d 7a 8b 9c Td Ja Qb Kc Ad"));
    benchmark::RegisterBenchmark("Recognise/24_pair_run", BM_RecogniseSelection,
        testing::Cards("3a 3b 4a 4b 5a 5b 6a 6b 7a 7b 8a 8b 9a 9b Ta Tb Ja Jb Qa Qb Ka Kb Aa Ab"));
    benchmark::RegisterBenchmark("Recognise/12_bomb_wild", BM_RecogniseSelection,
        testing::Cards("9a 9b 9c 9d 9a2 9b2 9c2 9d2 SJ SJ2 BJ BJ2"));
    for (const Previous& p : PreviousPlays())
        benchmark::RegisterBenchmark((std::string("HintHardHand/") + p.name).c_str(), BM_HintHardHand, p.play);
    benchmark::RegisterBenchmark("HintTypicalHand", BM_HintTypicalHand);
}

const bool kRegistered = (RegisterAll(), true);

} // namespace

BENCHMARK_MAIN();
