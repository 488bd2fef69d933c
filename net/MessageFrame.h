#pragma once
// One frame on the wire carries one piece of one message:
//
//   [u32 L = 56 + n][52-byte FrameHeader][u32 n][n piece bytes]
//
// All integers little-endian. The CRC-32 (when flagged) covers the whole
// frame, L included, computed with the CRC flag and word both 0.

#include "net/ByteBuffer.h"
#include "net/NetMessage.h"

#include <cstddef>
#include <cstdint>

namespace net {

constexpr uint32_t kFrameTypeMessage = 1;
constexpr uint32_t kFrameTypeReply = 2;

struct FrameHeader {
    uint32_t type = 0;
    uint32_t sequence = 0; // sender's frame counter, first frame 1
    uint32_t crcFlag = 0;
    uint32_t crc = 0;
    uint32_t reserved4 = 0;
    uint32_t reserved5 = 0;
    uint32_t messageId = 0; // sender's message counter, same on every piece
    uint32_t pieceIndex = 0; // 1, 2, 3, ...
    uint32_t lastPiece = 0;
    uint32_t reserved9 = 0;
    uint32_t expectsReply = 0;
    uint32_t reserved11 = 0;
    uint32_t reserved12 = 0;

    static constexpr size_t kWireSize = 52;
    void Store(uint8_t* out) const;
    static FrameHeader Load(const uint8_t* in);
};
static_assert(sizeof(FrameHeader) == FrameHeader::kWireSize);

// Byte offsets within a frame (from the L field).
constexpr size_t kFrameHeaderOffset = 4;
constexpr size_t kFrameCrcFlagOffset = kFrameHeaderOffset + 8;
constexpr size_t kFrameCrcOffset = kFrameHeaderOffset + 12;
constexpr size_t kFramePieceLengthOffset = kFrameHeaderOffset + FrameHeader::kWireSize;
constexpr size_t kFramePieceOffset = kFramePieceLengthOffset + 4;
constexpr uint32_t kFrameOverhead = FrameHeader::kWireSize + 4; // L = overhead + n

// The smallest and largest L a valid frame can have for a chunk size.
constexpr uint32_t MinFrameLength() { return kFrameOverhead + 1; }
constexpr uint32_t MaxFrameLength(uint32_t maxChunk) { return kFrameOverhead + maxChunk; }

// Appends [L][header][n][piece] to out; with crc the CRC word is computed
// and the flag set.
void WriteFrame(const uint8_t* piece, uint32_t n, FrameHeader header, bool crc, ByteBuffer& out);

// True when the frame (L + 4 bytes from the L field) carries no CRC flag,
// or its CRC matches.
bool CheckFrameCrc(const uint8_t* frame, size_t frameBytes);

} // namespace net
