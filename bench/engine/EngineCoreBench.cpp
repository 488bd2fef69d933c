// The engine core's hot paths: one frame with idle modules (the 5 ms timer
// pays it even when nothing changes) and hashing resource names into keys.
#include "engine/core/GameCore.h"
#include "engine/core/NameKey.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A module with nothing to do: drains an empty ring when its interval comes.
class IdleModule final : public engine::ModuleBase {
public:
    explicit IdleModule(int id)
        : m_id(id)
    {
    }
    int Init() override { return 1; }
    void Shutdown() override { }
    void Update() override { DrainMessages(); }
    int GetId() const override { return m_id; }
    const char* GetName() const override { return "IdleModule"; }
    int OnMessage(int, engine::MessageWord, engine::MessageWord) override { return engine::ORBITVANE_RETURN_OK; }

private:
    int m_id;
};

void BM_FrameWithFiveIdleModules(benchmark::State& state)
{
    engine::GameCore core;
    for (int id = engine::MODULE_RESOURCE; id <= engine::MODULE_INPUT; ++id) {
        auto module = std::make_unique<IdleModule>(id);
        if (id == engine::MODULE_INPUT || id == engine::MODULE_MUSIC)
            module->SetInterval(100);
        core.LoadModule(std::move(module), true, true);
    }
    for (auto _ : state)
        core.RunFrame();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameWithFiveIdleModules);

void BM_NameKeyOfResourceNames(benchmark::State& state)
{
    const std::vector<std::string> names = {
        "btnThrow.imge",
        "Snd_HitCard.sound",
        "牌正面_71_96.imge",
        "ScrollBar_VertBack.imge",
        "UserListBar.imge",
        "bit_cardmaster.imge",
        "GameFrame_TitleClose.imge",
        "表情_12.imge",
    };
    size_t i = 0;
    for (auto _ : state) {
        engine::NameKey key = engine::MakeNameKey(names[i]);
        benchmark::DoNotOptimize(key);
        i = (i + 1) % names.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NameKeyOfResourceNames);

} // namespace

BENCHMARK_MAIN();
