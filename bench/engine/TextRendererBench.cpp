// Drawing one chat line: 40 characters of mixed Chinese and Latin text into
// a 32-bit buffer, at 12 and 20 pixels, with glyphs rendered afresh for
// every character and with the glyph cache warm.
#include "engine/text/TextRenderer.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// 20 full-width and 20 half-width characters.
const std::string kChatLine = "玩家小明：今天手气不错 good luck! 再来一局吧 OK 好牌GG";

void BM_ChatLine(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const bool cached = state.range(1) != 0;
    engine::TextRenderer renderer;
    renderer.Init();
    renderer.EnableGlyphCache(cached);
    engine::TextStyle style;
    style.SetFace("宋体");
    style.size = size;
    style.weight = 400;
    style.colour = 0x00FFFFFF;
    style.alpha = 255;
    style.wrap = 1;
    renderer.SetStyle(style);
    const int width = 40 * size;
    const int height = size + 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    renderer.DrawText(pixels.data(), width, height, 0, 0, kChatLine); // warm the cache
    for (auto _ : state) {
        int bottom = renderer.DrawText(pixels.data(), width, height, 0, 0, kChatLine);
        benchmark::DoNotOptimize(bottom);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(cached ? "lines, glyph cache" : "lines, no glyph cache");
}
BENCHMARK(BM_ChatLine)->Args({ 12, 0 })->Args({ 12, 1 })->Args({ 20, 0 })->Args({ 20, 1 })->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
