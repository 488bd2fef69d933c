// The message connection over loopback against the scripted game server:
// request round trips and notification throughput into the receiver's queue.
#include "net/MessageCodec.h"
#include "net/SocketConnection.h"

#include "platform/Event.h"
#include "platform/MessageQueue.h"
#include "tools/scripted/ScriptedServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

const tools::AesKey kKey = tools::CountingKey();
const std::string kHello("Hello! Game Channel.\0", 21);

struct Link {
    platform::MessageQueue queue;
    tools::ScriptedServer server { [] {
        tools::ServerOptions o;
        o.stages.key = kKey;
        return o;
    }() };
    net::SocketConnection connection { kKey.data(), 128, net::kCipherAes, 0, true, net::kMaxChunk };
    bool Open()
    {
        return server.Start()
            && connection.Connect("127.0.0.1", server.Port(), 5, queue.ThreadId(), false,
                reinterpret_cast<const uint8_t*>(kHello.data()), 21, 5000)
            && server.WaitForHello(2000);
    }
};

net::NetMessage Message(uint32_t id, size_t size)
{
    net::NetMessage m;
    m.messageId = id;
    m.bodyLength = static_cast<uint32_t>(size);
    if (size) {
        m.body = std::make_unique<uint8_t[]>(size);
        std::memset(m.body.get(), 'x', size);
    }
    return m;
}

void RequestRoundTrip(benchmark::State& state)
{
    Link link;
    link.server.SetReply(221080, { 0, std::string(200, 'r') });
    if (!link.Open()) {
        state.SkipWithError("no link");
        return;
    }
    net::NetMessage request = Message(221080, 200);
    net::MessageContext context;
    context.expectsReply = 1;
    std::vector<double> micros;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        net::NetMessage reply;
        int timedOut = 0;
        if (!link.connection.SendRequest(context, request, &reply, &timedOut, 5000)) {
            state.SkipWithError("request failed");
            break;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    if (!micros.empty()) {
        std::sort(micros.begin(), micros.end());
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    }
    link.connection.Close();
}

void NotificationThroughput(benchmark::State& state)
{
    Link link;
    if (!link.Open()) {
        state.SkipWithError("no link");
        return;
    }
    const int batch = 10000;
    const std::string body(200, 'n');
    platform::Event never(platform::EventReset::kManual);
    platform::Event* events[] = { &never };
    for (auto _ : state) {
        link.server.PushBurst(229580, body, batch);
        for (int got = 0; got < batch;) {
            if (platform::WaitForEventsOrMessage(events, 5000).kind != platform::WaitResult::kMessage) {
                state.SkipWithError("notifications lost");
                return;
            }
            platform::Message m;
            while (link.queue.Peek(m, platform::PeekMode::kRemove)) {
                delete reinterpret_cast<net::MessageContext*>(m.wParam);
                delete reinterpret_cast<net::NetMessage*>(m.lParam);
                ++got;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * batch);
    link.connection.Close();
}

} // namespace

BENCHMARK(RequestRoundTrip)->Iterations(20000)->UseRealTime();
BENCHMARK(NotificationThroughput)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
