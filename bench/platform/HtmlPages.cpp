// The embedded web page's costs, split by thread: what the loading thread
// spends parsing and laying out a page (a hundred links, about a megabyte
// of text), and what the user-interface thread spends on it afterwards:
// drawing the visible 240 x 160 part (at the top and deep inside the large
// page), listing the links, and finding the link under the mouse.
#include "platform/HtmlPage.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using platform::html::Page;

constexpr int kWidth = 240;
constexpr int kHeight = 160;

std::string HundredLinks()
{
    std::string page = "<meta charset=\"gbk\"><body>";
    for (int i = 1; i <= 100; ++i)
        page += "<a href=\"p" + std::to_string(i) + ".html\">链接 " + std::to_string(i) + "</a><br>";
    return platform::html::DecodeHtml(page, "");
}

std::string Megabyte()
{
    std::string page = "<meta charset=\"gbk\"><body>";
    for (int i = 0; page.size() < 1024 * 1024; ++i)
        page += "<p>第" + std::to_string(i) + "段 some words to lay out, 一些要排版的文字。<a href=\"#\">链接</a></p>";
    return platform::html::DecodeHtml(page, "");
}

const std::string& PageText(int which)
{
    static const std::string links = HundredLinks();
    static const std::string big = Megabyte();
    return which == 0 ? links : big;
}

void BM_ParseAndLayout(benchmark::State& state)
{
    const std::string& html = PageText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Page page("http://bench.example/", html, {}, {});
        page.Layout(kWidth, kHeight);
        benchmark::DoNotOptimize(page.ContentHeight());
    }
    state.SetLabel(state.range(0) == 0 ? "100 links" : "1 MB");
}
BENCHMARK(BM_ParseAndLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

Page& LaidOut(int which)
{
    static Page* pages[2] = {};
    if (!pages[which]) {
        pages[which] = new Page("http://bench.example/", PageText(which), {}, {});
        pages[which]->Layout(kWidth, kHeight);
    }
    return *pages[which];
}

// range(0): the page; range(1): 0 draws the top, 1 the middle of the page.
void BM_DrawViewport(benchmark::State& state)
{
    Page& page = LaidOut(static_cast<int>(state.range(0)));
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
    const int scroll = state.range(1) == 0 ? 0 : page.ContentHeight() / 2;
    for (auto _ : state) {
        page.Draw(platform::html::Surface { pixels.data(), kWidth, kHeight, kWidth * 4 }, 0, scroll);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawViewport)->Args({ 0, 0 })->Args({ 1, 0 })->Args({ 1, 1 })->Unit(benchmark::kMicrosecond);

void BM_Links(benchmark::State& state)
{
    Page& page = LaidOut(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(page.Links());
}
BENCHMARK(BM_Links)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LinkAt(benchmark::State& state)
{
    Page& page = LaidOut(static_cast<int>(state.range(0)));
    const int scroll = page.ContentHeight() / 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(page.LinkAt(20, 50, 0, scroll));
}
BENCHMARK(BM_LinkAt)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
