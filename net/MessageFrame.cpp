#include "net/MessageFrame.h"

#include "net/Crc32.h"
#include "platform/Bytes.h"

#include <cstring>
#include <vector>

namespace net {

void FrameHeader::Store(uint8_t* out) const
{
    const uint32_t words[] = { type, sequence, crcFlag, crc, reserved4, reserved5, messageId, pieceIndex, lastPiece,
        reserved9, expectsReply, reserved11, reserved12 };
    static_assert(sizeof words == kWireSize);
    for (size_t i = 0; i < 13; ++i)
        platform::StoreLe32(out + 4 * i, words[i]);
}

FrameHeader FrameHeader::Load(const uint8_t* in)
{
    FrameHeader h;
    uint32_t* words[] = { &h.type, &h.sequence, &h.crcFlag, &h.crc, &h.reserved4, &h.reserved5, &h.messageId,
        &h.pieceIndex, &h.lastPiece, &h.reserved9, &h.expectsReply, &h.reserved11, &h.reserved12 };
    for (size_t i = 0; i < 13; ++i)
        *words[i] = platform::LoadLe32(in + 4 * i);
    return h;
}

void WriteFrame(const uint8_t* piece, uint32_t n, FrameHeader header, bool crc, ByteBuffer& out)
{
    size_t start = out.Size();
    out.Reserve(start + kFramePieceOffset + n);
    header.crcFlag = 0;
    header.crc = 0;
    uint8_t head[kFramePieceOffset];
    platform::StoreLe32(head, kFrameOverhead + n);
    header.Store(head + kFrameHeaderOffset);
    platform::StoreLe32(head + kFramePieceLengthOffset, n);
    out.Append(head, sizeof head);
    out.Append(piece, n);
    if (crc) {
        uint8_t* frame = out.Data(start);
        uint32_t value = Crc32(frame, kFramePieceOffset + n);
        platform::StoreLe32(frame + kFrameCrcFlagOffset, 1);
        platform::StoreLe32(frame + kFrameCrcOffset, value);
    }
}

bool CheckFrameCrc(const uint8_t* frame, size_t frameBytes)
{
    if (frameBytes < kFramePieceOffset)
        return false;
    uint32_t flag = platform::LoadLe32(frame + kFrameCrcFlagOffset);
    if (flag == 0)
        return true;
    if (flag != 1)
        return false; // the flag word is outside the CRC: only 0 and 1 are trusted
    uint32_t stated = platform::LoadLe32(frame + kFrameCrcOffset);
    // The CRC was computed with flag and word cleared; clear them in a copy
    // of the first 20 bytes and run the CRC over the rest as it stands.
    uint8_t head[kFrameCrcOffset + 4];
    std::memcpy(head, frame, sizeof head);
    platform::StoreLe32(head + kFrameCrcFlagOffset, 0);
    platform::StoreLe32(head + kFrameCrcOffset, 0);
    uint32_t crc = 0xFFFFFFFFu;
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        Crc32BuildTable(t.data());
        return t;
    }();
    Crc32Update(table.data(), head, sizeof head, crc);
    Crc32Update(table.data(), frame + sizeof head, frameBytes - sizeof head, crc);
    return ~crc == stated;
}

} // namespace net
