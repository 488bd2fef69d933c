// Rendering the glyphs of a 40-character chat line of mixed Chinese and
// Latin text, one character per call as the text renderer asks for them,
// with and without the renderer's glyph cache.
#include "platform/FontRenderer.h"
#include "platform/Gbk.h"

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// 40 characters: 15 Chinese, 25 Latin.
const std::string kLine = "玩家甲说: OK, 再来一局吧 good game 今天手气不错 haha!!!";

std::vector<std::string_view> Characters()
{
    std::vector<std::string_view> out;
    std::string_view text(kLine);
    for (size_t i = 0; i < text.size();) {
        size_t length = platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1;
        out.push_back(text.substr(i, length));
        i += length;
    }
    return out;
}

void BM_RenderLine(benchmark::State& state)
{
    platform::FontRenderer renderer;
    renderer.SelectFont(static_cast<int>(state.range(0)), 400, "宋体", false, false);
    renderer.EnableGlyphCache(state.range(1) != 0);
    auto characters = Characters();
    for (auto _ : state) {
        int ink = 0;
        for (std::string_view c : characters)
            ink += renderer.RenderGlyph(c).advance;
        benchmark::DoNotOptimize(ink);
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["chars"] = static_cast<double>(characters.size());
}
BENCHMARK(BM_RenderLine)->ArgNames({ "size", "cache" })->ArgsProduct({ { 12, 20 }, { 0, 1 } });

} // namespace

BENCHMARK_MAIN();
