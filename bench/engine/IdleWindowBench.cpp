// An idle engine window: the host window with its modules loaded and a
// small still scene, the 5 ms frame timer running and nothing changing.
// Reported: the CPU time the process spends per second of wall time
// (cpu_percent).
#include "engine/objects/COrbitVaneWnd.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "platform/MessageLoop.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

class IdleRoot : public engine::RectObject {
public:
    void OnRectChanged() override { }
};

double ProcessCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_IdleWindowSecond(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    engine::COrbitVaneWnd host;
    if (!host.Create("idle", 1024, 768)) {
        state.SkipWithError("no video driver");
        return;
    }
    auto owned = std::make_unique<IdleRoot>();
    IdleRoot* root = owned.get();
    host.Init(std::move(owned));
    host.GetWindow().Show(platform::ShowCommand::kShow);
    for (int i = 0; i < 20; ++i) {
        engine::CanvasObject* c = root->CreateCanvas(80, 40, 0x203040 + static_cast<uint32_t>(i));
        c->MoveTo(60 + (i % 10) * 90, 100 + (i / 10) * 200);
        c->SetFont(14, 400, "宋体");
        c->SetPen(0xffffff, 1.0);
        c->DrawText(4, 4, "空闲 idle");
        c->Show();
        c->Invalidate();
    }
    // Let the first frames draw the scene.
    auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < settle)
        platform::MessageLoop::PumpOnce(5);

    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < end)
            platform::MessageLoop::PumpOnce(5);
        cpu += ProcessCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
}
BENCHMARK(BM_IdleWindowSecond)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same second with only a bare window and a 5 ms timer that does
// nothing: what the message loop itself costs.
void BM_BareWindowTimerSecond(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::Window window;
    if (!window.Create("bare", 1024, 768)) {
        state.SkipWithError("no video driver");
        return;
    }
    window.SetTimer(1, 5, [](uint32_t) { });
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < end)
            platform::MessageLoop::PumpOnce(5);
        cpu += ProcessCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
}
BENCHMARK(BM_BareWindowTimerSecond)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
