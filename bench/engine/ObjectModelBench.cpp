// The object model's per-frame costs: the render pass over 2,000 objects of
// which 50 move each frame, point lookup among 2,000 objects, and posted-event
// delivery.
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/PictureRef.h"
#include "platform/Clock.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

using namespace engine;

// Takes each render list and frees it, as the paint module does.
class DiscardingPaint final : public ModuleBase {
public:
    int Init() override { return 1; }
    void Shutdown() override { }
    void Update() override { DrainMessages(); }
    int GetId() const override { return MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int OnMessage(int msg, MessageWord data, MessageWord) override
    {
        if (msg == MODMSG_PAINT_RENDER) {
            std::unique_ptr<RenderList> list(FromWord<RenderList>(data));
            for (DrawItem* item = list->first; item; item = item->next)
                ++items;
            FreeRenderList(std::move(list));
        }
        return ORBITVANE_RETURN_OK;
    }
    size_t items = 0;
};

class Sprite final : public EngineObject {
public:
    Sprite()
    {
        m_record.serial = 2;
        m_record.frameWidth = 32;
        m_record.frameHeight = 32;
        m_record.frameCount = 1;
        PictureDesc desc;
        desc.record = &m_record;
        desc.width = 32;
        desc.height = 32;
        m_ref.SetDesc(desc);
    }
    PictureRef* GetPicture() override { return &m_ref; }

private:
    PictureData m_record;
    PictureRef m_ref;
};

class Counter final : public EngineObject {
public:
    int OnEvent(const EngineEvent&) override
    {
        ++count;
        return 1;
    }
    size_t count = 0;
};

struct Scene {
    GameCore core;
    ObjectModule* objects = nullptr;
    DiscardingPaint* paint = nullptr;
    std::vector<EngineObject*> all;

    explicit Scene(int count, bool rotate = true)
    {
        auto om = std::make_unique<ObjectModule>();
        objects = om.get();
        core.LoadModule(std::move(om), true, false);
        auto p = std::make_unique<DiscardingPaint>();
        paint = p.get();
        core.LoadModule(std::move(p), true, true);
        objects->SetViewCentre(512, 384);
        objects->SetViewSize(1024, 768);
        for (int i = 0; i < count; ++i) {
            auto s = std::make_unique<Sprite>();
            EngineObject* raw = s.get();
            objects->AddObject(std::move(s), nullptr);
            raw->SetSize(32 + i % 17, 32 + i % 13);
            raw->MoveTo(20 + (i * 37) % 980, 20 + (i * 53) % 730);
            raw->SetLayer(i % 3);
            if (rotate && i % 10 == 0)
                raw->RotateTo(i % 90);
            raw->SetInputEnabled(true);
            raw->Show();
            raw->Invalidate();
            all.push_back(raw);
        }
    }
};

void BM_RenderPass2000Objects50Moving(benchmark::State& state)
{
    const int moving = static_cast<int>(state.range(0));
    Scene scene(2000, state.range(1) != 0);
    uint32_t tick = 1000;
    platform::SetFixedTick(tick);
    scene.objects->RedrawAll();
    scene.paint->items = 0;
    size_t frame = 0;
    size_t dirty = 0;
    double invalidateNs = 0;
    for (auto _ : state) {
        // 50 objects move and are invalidated (marking their old and new
        // places and re-sorting them); the frame's object turn then merges,
        // selects, sorts and builds the list.
        auto t0 = std::chrono::steady_clock::now();
        // The same 50 objects move one way on even frames and back on odd
        // ones, so the scene does not drift.
        double sign = (frame % 2) ? -1.0 : 1.0;
        for (int i = 0; i < moving; ++i) {
            EngineObject* o = scene.all[((frame / 2) * 50 + i * 39) % scene.all.size()];
            o->MoveBy(sign * ((i % 2) ? 3 : -3), sign * ((i % 3) ? 2 : -2));
            o->Invalidate();
        }
        invalidateNs += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
        tick += 11;
        platform::SetFixedTick(tick);
        dirty += scene.objects->DirtyRects().size();
        scene.core.RunFrame();
        ++frame;
    }
    platform::SetFixedTick(std::nullopt);
    state.counters["items/frame"] = benchmark::Counter(static_cast<double>(scene.paint->items) / state.iterations());
    state.counters["rects/frame"] = benchmark::Counter(static_cast<double>(dirty) / state.iterations());
    state.counters["invalidate_us"] = benchmark::Counter(invalidateNs / 1000 / state.iterations());
}
BENCHMARK(BM_RenderPass2000Objects50Moving)->Args({50, 1})->Args({50, 0})->Unit(benchmark::kMicrosecond);

void BM_PointLookup2000Objects(benchmark::State& state)
{
    Scene scene(2000);
    int i = 0;
    for (auto _ : state) {
        EngineObject* hit = scene.objects->ObjectFromPoint((i * 97) % 1024, (i * 61) % 768);
        benchmark::DoNotOptimize(hit);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PointLookup2000Objects)->Unit(benchmark::kMicrosecond);

void BM_PostedEventDelivery(benchmark::State& state)
{
    Scene scene(0);
    auto c = std::make_unique<Counter>();
    Counter* counter = c.get();
    scene.objects->AddObject(std::move(c), nullptr);
    scene.objects->SetInterval(0);
    constexpr int kBatch = 1000;
    uint32_t tick = 1000;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            counter->PostEvent(EngineEvent(counter->GetId(), 80000001, static_cast<MessageWord>(i)));
        // The next frame delivers them: the clock must move for the turn.
        platform::SetFixedTick(++tick);
        scene.core.RunFrame();
    }
    platform::SetFixedTick(std::nullopt);
    if (counter->count != static_cast<size_t>(state.iterations()) * kBatch)
        state.SkipWithError("events lost");
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_PostedEventDelivery);

} // namespace

BENCHMARK_MAIN();
