#pragma once
// A SocketConnection whose socket is replaced by memory: what it sends is
// collected, what it reads is fed by the test, and what it would post to its
// receiver is kept. The test thread plays the network thread.

#include "net/MessageCodec.h"
#include "net/SocketConnection.h"
#include "platform/Bytes.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <utility>
#include <mutex>
#include <string>
#include <vector>

namespace nettest {

inline const uint8_t kKey[16] = { 0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf,
    0x4f, 0x3c };

struct Delivered {
    net::MessageContext context;
    net::NetMessage message;
    std::string Body() const
    {
        return message.bodyLength ? std::string(reinterpret_cast<const char*>(message.body.get()), message.bodyLength)
                                  : std::string();
    }
};

class MemoryConnection : public net::SocketConnection {
public:
    explicit MemoryConnection(bool crcOnSend = false, uint32_t maxChunk = net::kMaxChunk)
        : SocketConnection(kKey, 128, net::kCipherAes, 0, crcOnSend, maxChunk)
    {
        AddPeer("", 0);
    }

    bool IsConnected() const override { return true; }

    long SendTo(int, const uint8_t* data, size_t length, const std::string&, int) override
    {
        std::lock_guard guard(m_lock);
        if (m_sendLimit >= 0) {
            length = std::min(length, static_cast<size_t>(m_sendLimit));
            m_sendLimit -= static_cast<long>(length);
            if (length == 0) {
                errno = EPIPE;
                return -1;
            }
        }
        m_sent.append(reinterpret_cast<const char*>(data), length);
        return static_cast<long>(length);
    }

    long RecvFrom(int, uint8_t* buffer, size_t size, std::string&, int&) override
    {
        if (m_incoming.empty()) {
            errno = EAGAIN;
            return -1;
        }
        std::string& front = m_incoming.front();
        size_t n = std::min(size, front.size());
        std::memcpy(buffer, front.data(), n);
        front.erase(0, n);
        if (front.empty())
            m_incoming.pop_front();
        return static_cast<long>(n);
    }

    // Plays one read notice over these bytes; returns OnSocketRead's result
    // and posts the error notice on failure, as the network thread does.
    int Feed(const std::string& bytes)
    {
        if (!bytes.empty())
            m_incoming.push_back(bytes);
        int ok = 1;
        do { // read notices repeat while data waits, as the notifier's do
            if (!OnSocketRead()) {
                OnSocketError();
                ok = 0;
            }
        } while (!m_incoming.empty());
        return ok;
    }

    std::string TakeSent()
    {
        std::lock_guard guard(m_lock);
        return std::exchange(m_sent, {});
    }

    // Lets only n more bytes out; after that every send fails.
    void LimitSends(long n)
    {
        std::lock_guard guard(m_lock);
        m_sendLimit = n;
    }

    std::vector<Delivered> TakeDelivered()
    {
        std::lock_guard guard(m_lock);
        return std::exchange(m_delivered, {});
    }

    size_t BufferedBytes() { return FirstPeer()->receive.Size(); }

protected:
    void PostToReceiver(std::unique_ptr<net::MessageContext> context, std::unique_ptr<net::NetMessage> message) override
    {
        std::lock_guard guard(m_lock);
        m_delivered.push_back(Delivered { *context, std::move(*message) });
    }

private:
    std::mutex m_lock;
    std::string m_sent;
    long m_sendLimit = -1;
    std::deque<std::string> m_incoming;
    std::vector<Delivered> m_delivered;
};

inline net::NetMessage MakeMessage(uint32_t id, const std::string& body)
{
    net::NetMessage m;
    m.messageId = id;
    m.bodyLength = static_cast<uint32_t>(body.size());
    if (!body.empty()) {
        m.body = std::make_unique<uint8_t[]>(body.size());
        std::memcpy(m.body.get(), body.data(), body.size());
    }
    return m;
}

// The frames a peer would send for one message: type 1 (message) or 2
// (reply), all pieces carrying wireId.
inline std::string PeerFrames(uint32_t type, uint32_t wireId, const net::NetMessage& m, bool crc = false,
    uint32_t zipFlags = 0)
{
    net::ByteBuffer pieces;
    net::CodecParams codec { kKey, 128, net::kCipherAes, zipFlags };
    if (!net::EncodeNetMessage(m, codec, net::kMaxChunk, pieces))
        return {};
    net::ByteBuffer out;
    net::FrameHeader header;
    header.type = type;
    header.messageId = wireId;
    size_t pos = 0;
    while (pieces.Size() - pos > 4) {
        uint32_t n = platform::LoadLe32(pieces.Data(pos));
        pos += 4;
        header.sequence += 1;
        header.pieceIndex += 1;
        header.lastPiece = pieces.Size() - (pos + n) <= 4;
        net::WriteFrame(pieces.Data(pos), n, header, crc, out);
        pos += n;
    }
    return std::string(reinterpret_cast<const char*>(out.Data()), out.Size());
}

// Splits a stream of whole frames into its frames.
inline std::vector<std::string> SplitFrames(const std::string& stream)
{
    std::vector<std::string> frames;
    size_t pos = 0;
    while (pos + 4 <= stream.size()) {
        uint32_t length = platform::LoadLe32(reinterpret_cast<const uint8_t*>(stream.data() + pos));
        frames.push_back(stream.substr(pos, length + 4));
        pos += length + 4;
    }
    return frames;
}

inline net::FrameHeader HeaderOf(const std::string& frame)
{
    return net::FrameHeader::Load(reinterpret_cast<const uint8_t*>(frame.data()) + net::kFrameHeaderOffset);
}

inline std::string U32(uint32_t v)
{
    uint8_t b[4];
    platform::StoreLe32(b, v);
    return std::string(reinterpret_cast<char*>(b), 4);
}

} // namespace nettest
