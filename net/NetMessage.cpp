#include "net/NetMessage.h"

#include "net/DailyLog.h"
#include "net/MessageCodec.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace net {

void MessageContext::Store(uint8_t* out) const
{
    platform::StoreLe32(out, socket);
    platform::StoreLe32(out + 4, wireMessageId);
    platform::StoreLe32(out + 8, expectsReply);
    platform::StoreLe32(out + 12, connectionId);
    platform::StoreLe32(out + 16, reserved[0]);
    platform::StoreLe32(out + 20, reserved[1]);
}

MessageContext MessageContext::Load(const uint8_t* in)
{
    MessageContext c;
    c.socket = platform::LoadLe32(in);
    c.wireMessageId = platform::LoadLe32(in + 4);
    c.expectsReply = platform::LoadLe32(in + 8);
    c.connectionId = platform::LoadLe32(in + 12);
    c.reserved[0] = platform::LoadLe32(in + 16);
    c.reserved[1] = platform::LoadLe32(in + 20);
    return c;
}

uint32_t CopyNetMessage(NetMessage& destination, const NetMessage& source)
{
    destination.head0 = source.head0;
    destination.messageId = source.messageId;
    std::memcpy(destination.head2, source.head2, sizeof destination.head2);
    destination.bodyLength = source.bodyLength;
    destination.body.reset();
    if (source.bodyLength && source.body) {
        destination.body = std::make_unique<uint8_t[]>(source.bodyLength);
        std::memcpy(destination.body.get(), source.body.get(), source.bodyLength);
    } else {
        destination.bodyLength = 0;
    }
    return destination.bodyLength;
}

void FreeNetMessageBody(NetMessage* message)
{
    if (!message)
        return;
    message->body.reset();
    message->bodyLength = 0;
}

void DisposeNetMessage(uintptr_t wParam, intptr_t lParam)
{
    delete reinterpret_cast<MessageContext*>(wParam);
    delete reinterpret_cast<NetMessage*>(lParam);
}

void WritePlainForm(const NetMessage& m, ByteBuffer& out)
{
    uint8_t header[NetMessage::kPlainHeaderSize];
    platform::StoreLe32(header, m.head0);
    platform::StoreLe32(header + 4, m.messageId);
    for (int i = 0; i < 4; ++i)
        platform::StoreLe32(header + 8 + 4 * i, m.head2[i]);
    platform::StoreLe32(header + 24, m.bodyLength);
    out.Append(header, sizeof header);
    if (m.bodyLength)
        out.Append(m.body.get(), m.bodyLength);
}

bool ReadPlainForm(const uint8_t* data, size_t length, NetMessage& m)
{
    if (length < NetMessage::kPlainHeaderSize)
        return false;
    int32_t bodyLength = static_cast<int32_t>(platform::LoadLe32(data + 24));
    if (bodyLength < 0 || static_cast<size_t>(bodyLength) > length - NetMessage::kPlainHeaderSize)
        return false;
    m.head0 = platform::LoadLe32(data);
    m.messageId = platform::LoadLe32(data + 4);
    for (int i = 0; i < 4; ++i)
        m.head2[i] = platform::LoadLe32(data + 8 + 4 * i);
    m.bodyLength = static_cast<uint32_t>(bodyLength);
    m.body.reset();
    if (bodyLength > 0) {
        m.body = std::make_unique<uint8_t[]>(m.bodyLength);
        std::memcpy(m.body.get(), data + NetMessage::kPlainHeaderSize, m.bodyLength);
    }
    return true;
}

size_t SplitPieces(ByteBuffer& source, ByteBuffer& pieces, uint32_t maxChunk)
{
    pieces.Clear();
    if (maxChunk == 0)
        return 0;
    size_t count = 0;
    size_t size = source.Size();
    pieces.Reserve(size + (size / maxChunk + 1) * 4);
    for (size_t offset = 0; offset < size; offset += maxChunk) {
        uint32_t n = static_cast<uint32_t>(std::min<size_t>(maxChunk, size - offset));
        pieces.AppendU32(n);
        pieces.Append(source.Data(offset), n);
        ++count;
    }
    source.Clear();
    return count;
}

int JoinPieces(const uint8_t* pieces, size_t length, ByteBuffer& out, uint32_t maxChunk)
{
    out.Clear();
    // The joined bytes are fewer than the pieces: one block for all of them.
    out.Reserve(std::min(length, kMaxMessageBytes));
    int count = 0;
    size_t pos = 0;
    while (length - pos >= 5) {
        int32_t n = static_cast<int32_t>(platform::LoadLe32(pieces + pos));
        pos += 4;
        if (n < 0 || static_cast<uint32_t>(n) > maxChunk) {
            LogMessage("packet length error! len = %ld", static_cast<long>(n));
            return -1;
        }
        if (static_cast<size_t>(n) > length - pos || out.Size() + n > kMaxMessageBytes) {
            LogMessage("packet decompose error! len = %ld", static_cast<long>(n));
            return -1;
        }
        out.Append(pieces + pos, static_cast<size_t>(n));
        pos += static_cast<size_t>(n);
        ++count;
    }
    return count;
}

bool EncodeNetMessage(const NetMessage& m, const CodecParams& codec, uint32_t maxChunk, ByteBuffer& pieces)
{
    ByteBuffer plain;
    WritePlainForm(m, plain);
    MessageCodec coder(codec.key, codec.keyBits, codec.cipherFlags, codec.zipFlags);
    if (!coder.Process(plain, kCodecEncode))
        return false;
    SplitPieces(plain, pieces, maxChunk);
    return true;
}

bool DecodeNetMessage(const uint8_t* assembled, size_t length, std::unique_ptr<MessageContext>& contextOut,
    std::unique_ptr<NetMessage>& messageOut, const CodecParams& codec, uint32_t maxChunk)
{
    contextOut.reset();
    messageOut.reset();
    if (!assembled || length < MessageContext::kWireSize)
        return false;
    auto context = std::make_unique<MessageContext>(MessageContext::Load(assembled));
    ByteBuffer coded;
    if (JoinPieces(assembled + MessageContext::kWireSize, length - MessageContext::kWireSize, coded, maxChunk) < 0)
        return false;
    MessageCodec decoder(codec.key, codec.keyBits, codec.cipherFlags, codec.zipFlags);
    if (!decoder.Process(coded, kCodecDecode))
        return false;
    auto message = std::make_unique<NetMessage>();
    if (!ReadPlainForm(coded.Data(), coded.Size(), *message))
        return false;
    contextOut = std::move(context);
    messageOut = std::move(message);
    return true;
}

} // namespace net
