// The frame steps of SocketConnection: sending the pieces of a message as
// frames, cutting the received stream into frames, checking and joining
// them, and delivering messages and replies.

#include "net/SocketConnection.h"

#include "net/ConnectionNotice.h"
#include "net/DailyLog.h"
#include "platform/Bytes.h"

#include <cstring>

namespace net {

int SocketConnection::SendPieces(ByteBuffer& pieces, bool expectsReply, bool crc, const std::string& host, int port,
    uint32_t* messageIdOut)
{
    PeerEntry* entry = FindPeer(host, port);
    if (!entry)
        entry = FirstPeer();
    if (!entry || entry->closingCounter.load() > 0 || m_sendBroken.load() || !IsConnected())
        return 0;

    FrameHeader header;
    header.type = kFrameTypeMessage;
    header.expectsReply = expectsReply ? 1 : 0;
    header.messageId = ++entry->messageCounter;
    if (messageIdOut)
        *messageIdOut = header.messageId;
    // Armed before any frame leaves, so that a fast reply finds it.
    if (expectsReply)
        SetExpectedReply(header.messageId, *entry);

    size_t pos = 0;
    size_t size = pieces.Size();
    while (size - pos > 4) {
        uint32_t n = platform::LoadLe32(pieces.Data(pos));
        pos += 4;
        if (n > size - pos)
            return 0;
        header.sequence = ++entry->frameCounter;
        header.pieceIndex += 1;
        header.lastPiece = size - (pos + n) <= 4 ? 1 : 0;
        if (!SendFrame(pieces.Data(pos), n, header, crc, host, port))
            return 0;
        pos += n;
    }
    return 1;
}

int SocketConnection::SendFrame(const uint8_t* piece, uint32_t n, const FrameHeader& header, bool crc,
    const std::string& host, int port)
{
    if (m_sendBroken.load() || !IsConnected())
        return 0;
    ByteBuffer frame;
    WriteFrame(piece, n, header, crc || m_crcOnSend, frame);
    return SendWhole(frame, host, port);
}

int SocketConnection::SendRaw(const uint8_t* data, uint32_t length, const std::string& host, int port)
{
    ByteBuffer raw;
    raw.AppendU32(length);
    raw.Append(data, length);
    return SendWhole(raw, host, port);
}

int SocketConnection::SendWhole(ByteBuffer& bytes, const std::string& host, int port)
{
    size_t total = bytes.Size();
    size_t sent = SendAll(bytes, host, port);
    if (sent == total)
        return 1;
    if (sent > 0)
        BreakSendSide();
    return 0;
}

void SocketConnection::BreakSendSide()
{
    if (!m_sendBroken.exchange(true)) {
        LogMessage("connection %u: a frame went out in part; the link is broken", GetConnectionId());
        PostNotice(kConnectionError);
    }
}

int SocketConnection::OnSocketRead()
{
    ++m_readEvents;
    std::vector<PeerEntry*> entries;
    ReadAll(entries);
    bool ok = true;
    for (PeerEntry* peer : entries) {
        if (m_expectHello && !peer->helloReceived) {
            OnFirstData(*peer);
            if (!peer->helloReceived)
                continue; // the hello is not complete yet
        }
        if (!ParseFrames(*peer))
            ok = false;
    }
    return ok ? 1 : 0;
}

bool SocketConnection::ParseFrames(PeerEntry& peer)
{
    if (peer.framingBroken) {
        // Nothing after a framing error can be trusted; the owner has had
        // its one notice and decides when to close.
        peer.receive.Clear();
        return true;
    }
    const uint32_t minLength = MinFrameLength();
    const uint32_t maxLength = MaxFrameLength(m_maxChunk);
    // Frames are taken from an offset and dropped together at the end, so a
    // read of many frames moves the buffer once.
    size_t offset = 0;
    while (peer.receive.Size() - offset >= 4) {
        uint32_t length = platform::LoadLe32(peer.receive.Data(offset));
        // The length is checked as soon as it is in, so a peer cannot make
        // us buffer more than one frame's worth while we wait.
        if (length < minLength || length > maxLength) {
            LogMessage("packet length error! len = %ld", static_cast<long>(static_cast<int32_t>(length)));
            peer.framingBroken = true;
            peer.receive.Clear();
            return false;
        }
        if (peer.receive.Size() - offset < static_cast<size_t>(length) + 4)
            break; // wait for the rest
        const uint8_t* frame = peer.receive.Data(offset);
        // A bad frame is dropped and reported where it stood in the stream,
        // before the frames after it; the stream is still in step.
        if (!ValidateFrame(frame, length, peer) || !DispatchFrame(frame, length, peer))
            OnSocketError();
        offset += static_cast<size_t>(length) + 4;
    }
    peer.receive.Consume(offset);
    return true;
}

int SocketConnection::ValidateFrame(const uint8_t* frame, uint32_t length, PeerEntry&)
{
    if (length < MinFrameLength() || length > MaxFrameLength(m_maxChunk))
        return 0;
    // The piece must fill the frame exactly: anything else is a lying frame.
    if (platform::LoadLe32(frame + kFramePieceLengthOffset) != length - kFrameOverhead)
        return 0;
    if (!CheckFrameCrc(frame, static_cast<size_t>(length) + 4)) {
        LogMessage("frame crc error");
        return 0;
    }
    return 1;
}

int SocketConnection::DispatchFrame(const uint8_t* frame, uint32_t length, PeerEntry& peer)
{
    (void)length;
    FrameHeader header = FrameHeader::Load(frame + kFrameHeaderOffset);
    if ((header.type != kFrameTypeMessage && header.type != kFrameTypeReply)
        || static_cast<int32_t>(header.messageId) <= 0 || static_cast<int32_t>(header.pieceIndex) <= 0)
        return 0;
    const uint32_t n = platform::LoadLe32(frame + kFramePieceLengthOffset);

    if (header.type == kFrameTypeMessage) {
        if (peer.currentMessageId == 0) {
            if (header.pieceIndex != 1)
                return 1; // a piece of a message we never saw begin
            peer.currentMessageId = header.messageId;
            peer.lastMessagePiece = 0;
        } else if (header.messageId != peer.currentMessageId || header.pieceIndex != peer.lastMessagePiece + 1) {
            // Out of order or interleaved: the message under assembly is lost
            // and so is this frame.
            peer.currentMessageId = 0;
            peer.lastMessagePiece = 0;
            peer.messageJoin.Clear();
            return 1;
        }
        if (peer.messageJoin.Size() + n + 4 > kMaxMessageBytes) {
            LogMessage("packet decompose error! len = %ld", static_cast<long>(peer.messageJoin.Size() + n));
            peer.currentMessageId = 0;
            peer.lastMessagePiece = 0;
            peer.messageJoin.Clear();
            return 0;
        }
        AppendPiece(peer.messageJoin, frame, header);
        peer.lastMessagePiece = header.pieceIndex;
        if (header.lastPiece) {
            ByteBuffer assembled = std::move(peer.messageJoin);
            peer.currentMessageId = 0;
            peer.lastMessagePiece = 0;
            DeliverMessage(assembled, peer);
        }
        return 1;
    }

    // A reply.
    ByteBuffer assembled;
    {
        std::lock_guard guard(peer.replyLock);
        uint32_t expected = peer.expectedReplyId;
        if (expected == 0 || header.messageId < expected) {
            // No request waits for it, or it answers an older request that
            // gave up: a late reply is ignored. A reply to a message that was
            // never sent is a broken peer.
            return header.messageId <= peer.messageCounter.load() ? 1 : 0;
        }
        if (header.messageId > expected) {
            peer.expectedReplyId = 0;
            peer.lastReplyPiece = 0;
            peer.replyJoin.Clear();
            return 0;
        }
        if (header.pieceIndex <= peer.lastReplyPiece)
            return 1; // a duplicate
        if (header.pieceIndex != peer.lastReplyPiece + 1
            || peer.replyJoin.Size() + n + 4 > kMaxMessageBytes) {
            peer.expectedReplyId = 0;
            peer.lastReplyPiece = 0;
            peer.replyJoin.Clear();
            return 0;
        }
        AppendPiece(peer.replyJoin, frame, header);
        peer.lastReplyPiece = header.pieceIndex;
        if (!header.lastPiece)
            return 1;
        assembled = std::move(peer.replyJoin);
    }
    DeliverReply(assembled, header.messageId, peer);
    return 1;
}

void SocketConnection::AppendPiece(ByteBuffer& buffer, const uint8_t* frame, const FrameHeader& header)
{
    if (header.pieceIndex == 1) {
        buffer.Clear();
        MessageContext context;
        context.socket = static_cast<uint32_t>(m_socket.load());
        context.wireMessageId = header.messageId;
        context.expectsReply = header.expectsReply;
        context.connectionId = GetConnectionId();
        uint8_t bytes[MessageContext::kWireSize];
        context.Store(bytes);
        buffer.Append(bytes, sizeof bytes);
    }
    uint32_t n = platform::LoadLe32(frame + kFramePieceLengthOffset);
    buffer.Append(frame + kFramePieceLengthOffset, 4 + static_cast<size_t>(n));
}

void SocketConnection::DeliverMessage(ByteBuffer& assembled, PeerEntry&)
{
    std::unique_ptr<MessageContext> context;
    std::unique_ptr<NetMessage> message;
    if (!DecodeNetMessage(assembled.Data(), assembled.Size(), context, message, Codec(), m_maxChunk))
        return; // dropped without notice
    PostToReceiver(std::move(context), std::move(message));
}

void SocketConnection::DeliverReply(ByteBuffer& assembled, uint32_t replyId, PeerEntry& peer)
{
    std::unique_ptr<MessageContext> context;
    std::unique_ptr<NetMessage> message;
    if (!DecodeNetMessage(assembled.Data(), assembled.Size(), context, message, Codec(), m_maxChunk))
        return; // the waiting request runs into its time-out
    std::lock_guard guard(peer.replyLock);
    if (peer.expectedReplyId != replyId)
        return; // the request gave up while the reply was being decoded
    peer.storedReply = std::move(*message);
    peer.storedReplyId = replyId;
    peer.expectedReplyId = 0;
    peer.lastReplyPiece = 0;
    peer.replyJoin.Clear();
    peer.replyEvent.notify_all();
}

void SocketConnection::SetExpectedReply(uint32_t id, PeerEntry& entry)
{
    std::lock_guard guard(entry.replyLock);
    entry.replyJoin.Clear();
    entry.expectedReplyId = id;
    entry.lastReplyPiece = 0;
    // Whatever was stored belongs to an earlier request.
    FreeNetMessageBody(&entry.storedReply);
    entry.storedReplyId = 0;
}

void SocketConnection::GetExpectedReply(uint32_t& idOut, uint32_t& lastOut, PeerEntry& entry)
{
    std::lock_guard guard(entry.replyLock);
    idOut = entry.expectedReplyId;
    lastOut = entry.lastReplyPiece;
}

void SocketConnection::OnSocketError()
{
    PostNotice(kConnectionError);
}

void SocketConnection::OnSocketClose()
{
    // A peer that closes in the middle of a frame or a message has cut the
    // stream: that is an error of the link, not an orderly close.
    bool truncated = false;
    {
        CritSecLock lock(&m_peersLock);
        for (auto& [key, peer] : m_peers)
            truncated = truncated || (!peer->framingBroken && (!peer->receive.Empty() || peer->currentMessageId != 0));
    }
    PostNotice(truncated ? kConnectionError : kConnectionClosed);
}

void SocketConnection::PostNotice(uint32_t noticeId)
{
    auto context = std::make_unique<MessageContext>();
    context->socket = static_cast<uint32_t>(m_socket.load());
    context->connectionId = GetConnectionId();
    MarkOwnNotice(*context);
    auto message = std::make_unique<NetMessage>();
    message->messageId = noticeId;
    PostToReceiver(std::move(context), std::move(message));
}

int SocketConnection::OnRawData(PeerEntry&, const uint8_t*, size_t)
{
    return 0;
}

int SocketConnection::OnFirstData(PeerEntry& entry)
{
    if (!m_expectHello)
        return 0;
    // The hello is one [u32 length][bytes] block; whatever follows it in the
    // same read is the peer's first frame and stays buffered.
    if (entry.receive.Size() < 4)
        return 1;
    uint32_t length = platform::LoadLe32(entry.receive.Data());
    if (length > kMaxChunk) {
        // Not a hello: the start waits in vain and fails.
        entry.framingBroken = true;
        entry.receive.Clear();
        return 1;
    }
    if (entry.receive.Size() < static_cast<size_t>(length) + 4)
        return 1; // wait for the rest of the hello
    entry.receive.Consume(static_cast<size_t>(length) + 4);
    std::lock_guard guard(entry.replyLock);
    entry.helloReceived = true;
    entry.replyEvent.notify_all();
    return 1;
}

size_t SocketConnection::SplitPieces(ByteBuffer& source, ByteBuffer& pieces)
{
    return net::SplitPieces(source, pieces, m_maxChunk);
}

int SocketConnection::JoinPieces(const uint8_t* pieces, size_t length, ByteBuffer& out)
{
    return net::JoinPieces(pieces, length, out, m_maxChunk);
}

} // namespace net
