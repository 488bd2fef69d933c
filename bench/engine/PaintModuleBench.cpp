// Recomposing a whole 1024 x 768 frame of a table scene: 60 card-sized
// sprites (71 x 96, 32-bit with an alpha plane) over a background, through
// the paint module's render pass (background into the composition layer,
// every sprite, composition into the finished frame).
#include "engine/core/GameCore.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/PictureRef.h"
#include "engine/core/RenderList.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/modules/ResourceModule.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

using namespace engine;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kCardW = 71;
constexpr int kCardH = 96;

// A card face: opaque, with rounded transparent corners and a soft rim.
PictureData CardPicture(uint32_t seed)
{
    PictureData p;
    p.serial = 2;
    p.frameWidth = kCardW;
    p.frameHeight = kCardH;
    p.frameCount = 1;
    p.flags = kPictureAlpha;
    p.pixels.resize(static_cast<size_t>(kCardW) * kCardH * 4);
    for (int y = 0; y < kCardH; ++y)
        for (int x = 0; x < kCardW; ++x) {
            int cx = x < 4 ? 4 - x : x > kCardW - 5 ? x - (kCardW - 5) : 0;
            int cy = y < 4 ? 4 - y : y > kCardH - 5 ? y - (kCardH - 5) : 0;
            int d2 = cx * cx + cy * cy;
            uint32_t a = d2 > 16 ? 0 : d2 > 9 ? 128 : 255;
            uint32_t v = (a << 24) | ((seed * 40503u + uint32_t(x) * 3 + uint32_t(y) * 5) & 0xFFFFFF);
            std::memcpy(p.pixels.data() + (static_cast<size_t>(y) * kCardW + x) * 4, &v, 4);
        }
    return p;
}

void BM_RecomposeTableFrame(benchmark::State& state)
{
    const bool someRotated = state.range(0) != 0;
    GameCore core;
    core.LoadModule(std::make_unique<ResourceModule>(), true, false);
    auto module = std::make_unique<GdiPaintModule>();
    GdiPaintModule* paint = module.get();
    core.LoadModule(std::move(module), true, true);
    paint->Resize(kWidth, kHeight);
    paint->Clear(0x00307020);

    std::vector<PictureData> pictures;
    for (uint32_t i = 0; i < 54; ++i)
        pictures.push_back(CardPicture(i));
    std::vector<PictureRef> refs(60);
    std::vector<ObjectGeometry> geometry(60);
    for (int i = 0; i < 60; ++i) {
        PictureData& p = pictures[static_cast<size_t>(i) % pictures.size()];
        PictureDesc desc;
        desc.serial = p.serial;
        desc.record = &p;
        desc.width = kCardW;
        desc.height = kCardH;
        desc.matteColour = kNoMatte;
        refs[static_cast<size_t>(i)].SetDesc(desc);
        ObjectGeometry& g = geometry[static_cast<size_t>(i)];
        // Four hands of 15 overlapping cards around the table.
        int hand = i / 15;
        int k = i % 15;
        g.x = hand % 2 == 0 ? 250 + k * 36 : (hand == 1 ? 900 : 120);
        g.y = hand % 2 == 0 ? (hand == 0 ? 680 : 90) : 150 + k * 32;
        g.width = kCardW;
        g.height = kCardH;
        g.angle = someRotated && hand % 2 == 1 ? 90.0 + (k - 7) * 2.0 : 0.0;
        g.opacity = 1.0;
    }
    MemoryPool pool;
    pool.Init(sizeof(DrawItem), 64);

    for (auto _ : state) {
        auto list = std::make_unique<RenderList>();
        list->viewCentreX = kWidth / 2;
        list->viewCentreY = kHeight / 2;
        list->itemPool = &pool;
        list->rects.push_back(Rect { 0, 0, kWidth, kHeight });
        DrawItem** tail = &list->first;
        for (size_t i = 0; i < refs.size(); ++i) {
            auto* item = new (pool.Alloc(sizeof(DrawItem))) DrawItem {};
            item->geometry = geometry[i];
            item->picture = &refs[i];
            *tail = item;
            tail = &item->next;
        }
        paint->RenderDirty(std::move(list));
        benchmark::ClobberMemory();
    }
}
// 0: every card upright; 1: the side hands turned by 76 to 104 degrees.
BENCHMARK(BM_RecomposeTableFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
