// Decoding one 1024x768 picture, the size of a whole table background: as a
// pps picture (method 6, the engine's own format) and as PNG through the
// platform's image decoder, both into a PictureData as the picture cache
// does.
#include "engine/core/NameKey.h"
#include "engine/core/PictureData.h"
#include "engine/modules/PictureCache.h"
#include "engine/modules/PpsCodec.h"
#include "tools/pack/PackWriter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// A table scene: a felt gradient, a few flat card-sized panels and some
// fine noise, so neither codec sees only runs.
engine::PictureData Scene()
{
    uint32_t seed = 12345;
    return tools::DrawPicture(1024, 768, 1, [&](int, int x, int y) -> uint32_t {
        seed = seed * 1103515245u + 12345u;
        bool panel = (x / 90) % 3 == 1 && (y / 120) % 2 == 1;
        if (panel)
            return 0xFFF0F0E8u;
        uint32_t g = 0x60 + (y * 64) / 768 + ((seed >> 16) & 3);
        uint32_t r = 0x10 + (x * 32) / 1024;
        return 0xFF000000u | r << 16 | g << 8 | 0x30u;
    });
}

const engine::PictureData& ScenePicture()
{
    static const engine::PictureData picture = Scene();
    return picture;
}

void BM_DecodePps(benchmark::State& state)
{
    std::vector<uint8_t> pps = engine::EncodePps(ScenePicture(), nullptr, engine::kPpsSmallest);
    if (pps.empty())
        std::abort();
    for (auto _ : state) {
        engine::PictureData out;
        uint32_t size = engine::PictureCache::DecodeImage(pps.data(), pps.size(), engine::NameHash(".pps"), out);
        benchmark::DoNotOptimize(size);
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.counters["file_bytes"] = static_cast<double>(pps.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024 * 768 * 4);
}
BENCHMARK(BM_DecodePps)->Unit(benchmark::kMillisecond);

void BM_DecodePng(benchmark::State& state)
{
    std::vector<uint8_t> png = tools::EncodePng(ScenePicture());
    if (png.empty())
        std::abort();
    for (auto _ : state) {
        engine::PictureData out;
        int ok = engine::PictureCache::DecodeImage(png.data(), png.size(), engine::NameHash(".png"), out);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.counters["file_bytes"] = static_cast<double>(png.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024 * 768 * 4);
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);

void BM_EncodePps(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<uint8_t> pps = engine::EncodePps(ScenePicture(), nullptr, engine::kPpsSmallest);
        benchmark::DoNotOptimize(pps.data());
    }
}
BENCHMARK(BM_EncodePps)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
