// The hand's rules questions on a full 27-card hand: one search (which
// builds its own rules object), a hint press as the player makes it, and
// the completion of a click while following, which runs every search of
// every type.

#include "cards/CardHand.h"

#include "CardNotation.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using table::PlayRecord;

// Four jokers, two bombs, a pair run and a straight's worth of singles.
const std::vector<int> kHardHand = table::testing::Cards(
    "SJ SJ2 BJ BJ2 3a 3b 3c 3d 4a 4b 4c 4d 5a 5b 6a 6b 7a 7b 8a 8b 9a 9b Ta Jb Qc Kd Aa");

class QuietCard : public game::CardSprite {
public:
    void Update() override { }
};

class BenchHost : public game::CardHandHost {
public:
    explicit BenchHost(const std::vector<int>& ids)
    {
        for (size_t k = 0; k < ids.size(); ++k) {
            auto card = std::make_unique<QuietCard>();
            card->cardId = ids[k];
            card->state = game::kCardInHand;
            card->ownerChair = 0;
            card->seat = 0;
            card->order = static_cast<int>(k);
            card->count = static_cast<int>(ids.size());
            card->selected = 0;
            view.push_back(card.get());
            owned.push_back(std::move(card));
        }
    }
    std::span<game::CardSprite* const> Cards() const override { return view; }
    int OwnChair() const override { return 0; }
    int LastPlayChair() const override { return lastChair; }
    const PlayRecord& LastPlayRecord() const override { return last; }

    int lastChair = 1;
    PlayRecord last;

private:
    std::vector<std::unique_ptr<QuietCard>> owned;
    std::vector<game::CardSprite*> view;
};

PlayRecord PlayOf(const char* names)
{
    std::vector<int> ids = table::testing::Cards(names);
    return *game::HandRules().ChoosePlay(1, ids.data(), static_cast<int>(ids.size()), nullptr);
}

void BM_RulesObject(benchmark::State& state)
{
    game::HandRules rules;
    for (auto _ : state)
        benchmark::DoNotOptimize(rules.MakeTable());
}

void BM_Search(benchmark::State& state, const char* previous)
{
    game::HandRules rules;
    const PlayRecord start = *previous ? PlayOf(previous) : PlayRecord();
    for (auto _ : state) {
        PlayRecord hint;
        bool found = rules.FindBeatingPlay(kHardHand.data(), 27, start, hint, table::kCardTablePlayMask, true);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(hint);
    }
}

// Every press of the hint button, round the whole cycle and again.
void BM_HintPress(benchmark::State& state, const char* previous)
{
    BenchHost host(kHardHand);
    host.last = PlayOf(previous);
    game::CardHand hand(host);
    for (auto _ : state)
        benchmark::DoNotOptimize(hand.OnHintClicked());
}

void BM_CompleteClick(benchmark::State& state, const char* previous)
{
    BenchHost host(kHardHand);
    host.last = PlayOf(previous);
    game::CardHand hand(host);
    std::vector<int> seven = table::testing::Cards("7a");
    for (auto _ : state) {
        hand.DeselectAll();
        hand.SelectCards(seven.data(), 1);
        benchmark::DoNotOptimize(hand.CompleteToUniquePlay());
    }
}

void RegisterAll()
{
    benchmark::RegisterBenchmark("Hand/RulesObject", BM_RulesObject);
    const char* previous[][2] = {
        { "lead", "" },
        { "single_5", "5c" },
        { "pair_A", "Aa Ab" },
        { "straight_3", "3a 4b 5c 6d 7a" },
        { "pair_BJ", "BJ BJ2" },
    };
    for (const auto& p : previous)
        benchmark::RegisterBenchmark((std::string("Hand/Search27/") + p[0]).c_str(), BM_Search, p[1]);
    for (const auto& p : previous) {
        if (*p[1])
            benchmark::RegisterBenchmark((std::string("Hand/HintPress27/") + p[0]).c_str(), BM_HintPress, p[1]);
    }
    benchmark::RegisterBenchmark("Hand/CompleteClick27/single_5", BM_CompleteClick, "5c");
    benchmark::RegisterBenchmark("Hand/CompleteClick27/pair_5", BM_CompleteClick, "5c 5d");
}

const bool kRegistered = (RegisterAll(), true);

} // namespace

BENCHMARK_MAIN();
