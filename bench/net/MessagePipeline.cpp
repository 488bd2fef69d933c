// Sending and receiving one message through the whole pipeline without a
// socket: encode + frame on one side, cut + join + decode on the other.
#include "net/MessageCodec.h"
#include "net/SocketConnection.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

const uint8_t kKey[16] = { 0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f,
    0x3c };

// Sends into a string and reads from one; delivery counts the messages.
class BenchConnection final : public net::SocketConnection {
public:
    BenchConnection()
        : SocketConnection(kKey, 128, net::kCipherAes, 0, false, net::kMaxChunk)
    {
        AddPeer("", 0);
    }
    bool IsConnected() const override { return true; }
    long SendTo(int, const uint8_t* data, size_t length, const std::string&, int) override
    {
        wire.append(reinterpret_cast<const char*>(data), length);
        return static_cast<long>(length);
    }
    long RecvFrom(int, uint8_t* buffer, size_t size, std::string&, int&) override
    {
        if (readPos == input->size()) {
            errno = EAGAIN;
            return -1;
        }
        size_t n = std::min(size, input->size() - readPos);
        std::memcpy(buffer, input->data() + readPos, n);
        readPos += n;
        return static_cast<long>(n);
    }
    std::string wire;
    const std::string* input = nullptr;
    size_t readPos = 0;
    size_t delivered = 0;

protected:
    void PostToReceiver(std::unique_ptr<net::MessageContext>, std::unique_ptr<net::NetMessage> m) override
    {
        delivered += m->bodyLength;
    }
};

net::NetMessage Message(size_t bodySize)
{
    net::NetMessage m;
    m.messageId = 221080;
    m.bodyLength = static_cast<uint32_t>(bodySize);
    m.body = std::make_unique<uint8_t[]>(bodySize);
    for (size_t i = 0; i < bodySize; ++i)
        m.body[i] = static_cast<uint8_t>(i * 7);
    return m;
}

void EncodeAndFrame(benchmark::State& state)
{
    size_t size = static_cast<size_t>(state.range(0));
    net::NetMessage m = Message(size);
    BenchConnection sender;
    net::MessageContext context;
    int timedOut;
    for (auto _ : state) {
        sender.wire.clear();
        if (!sender.SendRequest(context, m, nullptr, &timedOut, 0))
            state.SkipWithError("send failed");
        benchmark::DoNotOptimize(sender.wire.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void JoinAndDecode(benchmark::State& state)
{
    size_t size = static_cast<size_t>(state.range(0));
    BenchConnection sender;
    net::MessageContext context;
    int timedOut;
    sender.SendRequest(context, Message(size), nullptr, &timedOut, 0);
    const std::string wire = sender.wire;

    BenchConnection receiver;
    receiver.input = &wire;
    for (auto _ : state) {
        receiver.readPos = 0;
        while (receiver.readPos < wire.size())
            receiver.OnSocketRead();
    }
    if (receiver.delivered != size * state.iterations())
        state.SkipWithError("messages lost");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

} // namespace

// Small notices, a typical large reply, and the big messages (up to just
// under the receiver's limit of 16 MiB joined) whose cost must stay linear
// in their size: both sides are compared per byte.
void MessageSizes(benchmark::internal::Benchmark* b)
{
    for (int64_t size : { int64_t { 200 }, int64_t { 64 * 1024 }, int64_t { 1'000'000 }, int64_t { 4'000'000 },
             int64_t { 16'000'000 } })
        b->Arg(size);
}

BENCHMARK(EncodeAndFrame)->Apply(MessageSizes);
BENCHMARK(JoinAndDecode)->Apply(MessageSizes);
BENCHMARK_MAIN();
