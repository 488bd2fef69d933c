#pragma once
// Frames of the game link as a peer sees them, written without the client's
// network library.
//
//   [u32 L = 56 + n][52-byte header: 13 u32 words][u32 n][n piece bytes]
//
// Header words: 0 type (1 message, 2 reply), 1 frame sequence, 2 CRC flag,
// 3 CRC-32, 6 message id, 7 piece index (from 1), 8 last-piece flag,
// 10 expects-reply flag; the others are 0. The CRC-32 (zlib's) covers the
// whole frame from the L field, computed with words 2 and 3 zero.
//
// Before any frame the connecting side sends its hello raw: [u32 length]
// [length bytes].

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

constexpr size_t kFrameHeaderSize = 52;
constexpr size_t kFrameOverhead = 4 + kFrameHeaderSize + 4; // 60
constexpr uint32_t kMaxChunk = 4000;
constexpr uint32_t kFrameMessage = 1;
constexpr uint32_t kFrameReply = 2;
// Longest hello the server takes; anything longer is no hello.
constexpr uint32_t kMaxHelloLength = 4096;

// The client's hello: "Hello! Game Channel." with its zero byte.
std::string_view GameHello();

struct FrameFields {
    uint32_t type = kFrameMessage;
    uint32_t sequence = 0;
    bool crcFlag = false;
    uint32_t crc = 0;
    uint32_t messageId = 0;
    uint32_t pieceIndex = 1;
    bool lastPiece = true;
    bool expectsReply = false;
    // Words that should be 0 (4, 5, 9, 11, 12); non-zero ones are recorded.
    uint32_t reservedOr = 0;
};

// A whole frame. withCrc computes the CRC and sets the flag; otherwise the
// flag and word are written as the fields give them (a test can forge them).
std::string BuildFrame(const FrameFields& fields, std::string_view piece, bool withCrc);

// CRC-32 of a whole frame with its CRC flag and word taken as zero.
uint32_t FrameCrc(std::string_view frame);

// Cuts coded bytes into pieces of at most maxChunk bytes (none for empty).
std::vector<std::string_view> SplitPieces(std::string_view coded, size_t maxChunk);

struct ParsedFrame {
    FrameFields fields;
    std::string piece;
    std::string raw; // the frame's bytes as received, L included
};

// Cuts a byte stream into frames (and, first, the hello when asked to).
// Strict: a length outside 57..maxChunk+56, a piece length other than
// L - 56, or a CRC mismatch is an error, after which the stream cannot be
// trusted and nothing more is parsed.
class FrameReader {
public:
    enum Result { kFrame, kHello, kNeedMore, kError };

    explicit FrameReader(bool expectHello, uint32_t maxChunk = kMaxChunk);

    void Feed(const char* data, size_t length);
    // The next hello or frame; kNeedMore until enough bytes arrived.
    Result Next(ParsedFrame& frame, std::string& hello, std::string& error);
    size_t Buffered() const { return m_buffer.size() - m_offset; }

private:
    std::string m_buffer;
    size_t m_offset = 0;
    bool m_expectHello;
    uint32_t m_maxChunk;
    bool m_failed = false;
};

} // namespace tools
