// Whole simulated deals: start checks, deal, play to the end with the
// smallest beating play, score and settle.

#include "DealSimulation.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WholeDeal(benchmark::State& state)
{
    table::testing::DealSimulator sim;
    uint32_t seed = 1;
    size_t plays = 0;
    for (auto _ : state) {
        table::testing::DealOutcome outcome = sim.RunDeal(seed++);
        if (!outcome.finished) {
            state.SkipWithError("a deal did not finish");
            break;
        }
        plays += outcome.plays.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["plays_per_deal"] = static_cast<double>(plays) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WholeDeal);

} // namespace
