// The connection's reading side over arbitrary bytes from the peer: cutting
// the stream into frames, checking and joining them, matching replies and
// decoding what is joined. The first input byte chooses how the stream is
// cut into reads; a reply is expected from the start.
#include "net/MessageCodec.h"
#include "net/SocketConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

const uint8_t kKey[16] = { 0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f,
    0x3c };

class FuzzConnection final : public net::SocketConnection {
public:
    FuzzConnection(const uint8_t* data, size_t size, size_t step)
        : SocketConnection(kKey, 128, net::kCipherAes, net::kZipZlib, false, net::kMaxChunk)
        , m_data(data)
        , m_size(size)
        , m_step(step)
    {
        net::PeerEntry* peer = AddPeer("", 0);
        peer->messageCounter = 3;
        SetExpectedReply(2, *peer);
    }
    bool IsConnected() const override { return true; }
    long RecvFrom(int, uint8_t* buffer, size_t size, std::string&, int&) override
    {
        if (m_pos == m_size || m_readsThisNotice++ == 1) {
            errno = EAGAIN;
            return -1;
        }
        size_t n = std::min({ size, m_step, m_size - m_pos });
        std::memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return static_cast<long>(n);
    }
    bool More() const { return m_pos < m_size; }
    void NextNotice() { m_readsThisNotice = 0; }

protected:
    void PostToReceiver(std::unique_ptr<net::MessageContext>, std::unique_ptr<net::NetMessage>) override { }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_step;
    size_t m_pos = 0;
    int m_readsThisNotice = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t step = data[0] == 0 ? 4096 : data[0];
    FuzzConnection connection(data + 1, size - 1, step);
    do {
        connection.NextNotice();
        if (!connection.OnSocketRead())
            connection.OnSocketError();
    } while (connection.More());
    return 0;
}
