#include "tools/wire/WireFrames.h"

#include "tools/wire/WireCodec.h"

#include <zlib.h>

namespace tools {

namespace {

constexpr size_t kWordType = 0, kWordSequence = 1, kWordCrcFlag = 2, kWordCrc = 3, kWordMessageId = 6,
                 kWordPiece = 7, kWordLast = 8, kWordExpectsReply = 10;
constexpr size_t kReservedWords[] = { 4, 5, 9, 11, 12 };

constexpr char kHello[] = "Hello! Game Channel.";

void SetWord(std::string& frame, size_t word, uint32_t value)
{
    size_t at = 4 + 4 * word;
    for (int i = 0; i < 4; ++i)
        frame[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string_view GameHello()
{
    return std::string_view(kHello, sizeof kHello); // with the zero byte
}

std::string BuildFrame(const FrameFields& f, std::string_view piece, bool withCrc)
{
    std::string frame;
    frame.reserve(kFrameOverhead + piece.size());
    PutU32(frame, static_cast<uint32_t>(kFrameHeaderSize + 4 + piece.size()));
    for (size_t i = 0; i < 13; ++i)
        PutU32(frame, 0);
    PutU32(frame, static_cast<uint32_t>(piece.size()));
    frame.append(piece);
    SetWord(frame, kWordType, f.type);
    SetWord(frame, kWordSequence, f.sequence);
    SetWord(frame, kWordMessageId, f.messageId);
    SetWord(frame, kWordPiece, f.pieceIndex);
    SetWord(frame, kWordLast, f.lastPiece ? 1 : 0);
    SetWord(frame, kWordExpectsReply, f.expectsReply ? 1 : 0);
    if (withCrc) {
        SetWord(frame, kWordCrc, FrameCrc(frame));
        SetWord(frame, kWordCrcFlag, 1);
    } else {
        SetWord(frame, kWordCrcFlag, f.crcFlag ? 1 : 0);
        SetWord(frame, kWordCrc, f.crc);
    }
    return frame;
}

uint32_t FrameCrc(std::string_view frame)
{
    std::string copy(frame);
    if (copy.size() >= 4 + 4 * (kWordCrc + 1)) {
        SetWord(copy, kWordCrcFlag, 0);
        SetWord(copy, kWordCrc, 0);
    }
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(copy.data()), static_cast<uInt>(copy.size())));
}

std::vector<std::string_view> SplitPieces(std::string_view coded, size_t maxChunk)
{
    std::vector<std::string_view> pieces;
    for (size_t at = 0; at < coded.size(); at += maxChunk)
        pieces.push_back(coded.substr(at, maxChunk));
    return pieces;
}

FrameReader::FrameReader(bool expectHello, uint32_t maxChunk)
    : m_expectHello(expectHello)
    , m_maxChunk(maxChunk)
{
}

void FrameReader::Feed(const char* data, size_t length)
{
    // Drop what has been parsed before growing the buffer.
    if (m_offset > 0 && m_offset >= m_buffer.size() / 2) {
        m_buffer.erase(0, m_offset);
        m_offset = 0;
    }
    m_buffer.append(data, length);
}

FrameReader::Result FrameReader::Next(ParsedFrame& frame, std::string& hello, std::string& error)
{
    if (m_failed) {
        error = "stream already failed";
        return kError;
    }
    std::string_view rest(m_buffer.data() + m_offset, m_buffer.size() - m_offset);
    if (rest.size() < 4)
        return kNeedMore;
    uint32_t length = GetU32(rest, 0);
    if (m_expectHello) {
        if (length > kMaxHelloLength) {
            m_failed = true;
            error = "hello length " + std::to_string(length) + " too large";
            return kError;
        }
        if (rest.size() < 4 + static_cast<size_t>(length))
            return kNeedMore;
        hello.assign(rest.substr(4, length));
        m_offset += 4 + length;
        m_expectHello = false;
        return kHello;
    }
    // The length is checked before anything is buffered for it.
    if (length < kFrameHeaderSize + 4 + 1 || length > m_maxChunk + kFrameHeaderSize + 4) {
        m_failed = true;
        error = "frame length " + std::to_string(length) + " out of range";
        return kError;
    }
    if (rest.size() < 4 + static_cast<size_t>(length))
        return kNeedMore;
    std::string_view raw = rest.substr(0, 4 + length);
    m_offset += 4 + length;

    FrameFields& f = frame.fields;
    auto word = [&raw](size_t w) { return GetU32(raw, 4 + 4 * w); };
    f.type = word(kWordType);
    f.sequence = word(kWordSequence);
    f.crcFlag = word(kWordCrcFlag) != 0;
    f.crc = word(kWordCrc);
    f.messageId = word(kWordMessageId);
    f.pieceIndex = word(kWordPiece);
    f.lastPiece = word(kWordLast) != 0;
    f.expectsReply = word(kWordExpectsReply) != 0;
    f.reservedOr = 0;
    for (size_t w : kReservedWords)
        f.reservedOr |= word(w);
    uint32_t n = GetU32(raw, 4 + kFrameHeaderSize);
    if (n != length - kFrameHeaderSize - 4) {
        m_failed = true;
        error = "piece length " + std::to_string(n) + " in a frame of length " + std::to_string(length);
        return kError;
    }
    if (word(kWordCrcFlag) > 1 || (f.crcFlag && FrameCrc(raw) != f.crc)) {
        m_failed = true;
        error = "frame CRC mismatch";
        return kError;
    }
    frame.piece.assign(raw.substr(kFrameOverhead));
    frame.raw.assign(raw);
    return kFrame;
}

} // namespace tools
