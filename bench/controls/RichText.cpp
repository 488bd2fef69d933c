// Rich text in a headless host window: a chat line appended to a view that
// is at its line limit and drawn at once, and 500 mixed lines laid out from
// scratch.
#include "engine/controls/richtext/RichText.h"
#include "engine/objects/RectObject.h"
#include "tools/testhost/TestHost.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

class BenchRoot : public engine::RectObject {
public:
    void OnRectChanged() override { }
};

const char* const kChatLine = "<c=255>玩家小明<c=0>：今天手气不错 good luck! 再来一局吧 <#r>OK<> 好牌GG\r\n";

struct Host {
    tools::TestHost window;
    BenchRoot* root = nullptr;
    bool Open()
    {
        tools::TestHost::PreferHeadlessDrivers();
        if (!window.Create("richtext", 800, 600))
            return false;
        auto owned = std::make_unique<BenchRoot>();
        root = owned.get();
        return window.Init(std::move(owned));
    }
    engine::RichText* View(uint32_t flags)
    {
        auto* view = dynamic_cast<engine::RichText*>(root->RegisterObject(std::make_unique<engine::RichText>()));
        view->MoveTo(200, 150);
        view->Create(400, 300, flags, 0);
        return view;
    }
};

std::string MixedLine(int i)
{
    switch (i % 4) {
    case 0:
        return " <z=qh系统通知> <c=255>系统通知：第" + std::to_string(i) + "局开始\r\n";
    case 1:
        return "<c=255>玩家" + std::to_string(i) + "<c=0> 请求看牌!\r\n";
    case 2:
        return " 欢迎来到 <size=18,c=32768,e=b>欢乐大厅\r\n<> 您的位置：第" + std::to_string(i) + "桌\r\n";
    default:
        return "很长的一行聊天文字 with some English words mixed in, 一直写到换行为止，再多写一些字 #g绿色#k黑色\r\n";
    }
}

void BM_AppendChatLineToFullView(benchmark::State& state)
{
    Host host;
    if (!host.Open()) {
        state.SkipWithError("no video driver");
        return;
    }
    engine::RichText* view = host.View(engine::RT_BACK_COLOUR | engine::RT_KEEP_IN_VIEW);
    view->SetMaxLines(200);
    for (int i = 0; i < 260; ++i)
        view->AppendText(kChatLine);
    for (auto _ : state) {
        view->AppendText(kChatLine);
        view->RedrawNow(true);
    }
    state.counters["lines"] = view->GetLineCount();
}
BENCHMARK(BM_AppendChatLineToFullView)->Unit(benchmark::kMicrosecond);

void BM_Layout500MixedLines(benchmark::State& state)
{
    Host host;
    if (!host.Open()) {
        state.SkipWithError("no video driver");
        return;
    }
    engine::RichText* view = host.View(engine::RT_BACK_COLOUR);
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += MixedLine(i);
    view->AppendText(text);
    int width = 400;
    for (auto _ : state) {
        width = width == 400 ? 399 : 400;
        view->Layout(width, 300);
    }
    state.counters["nodes"] = view->GetNodeCount();
}
BENCHMARK(BM_Layout500MixedLines)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
