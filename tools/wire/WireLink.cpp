#include "tools/wire/WireLink.h"

namespace tools {

std::string LinkWriter::Frames(uint32_t type, uint32_t wireId, bool expectsReply, bool crc, const PlainMessage& message)
{
    const std::string coded = EncodeStages(EncodePlain(message), m_stages);
    const std::vector<std::string_view> pieces = SplitPieces(coded, m_maxChunk);
    std::string out;
    for (size_t i = 0; i < pieces.size(); ++i) {
        FrameFields f;
        f.type = type;
        f.sequence = ++m_frameSequence;
        f.messageId = wireId;
        f.pieceIndex = static_cast<uint32_t>(i + 1);
        f.lastPiece = i + 1 == pieces.size();
        f.expectsReply = expectsReply;
        out += BuildFrame(f, pieces[i], crc);
    }
    return out;
}

std::string LinkWriter::Message(const PlainMessage& message, bool expectsReply, bool forceCrc)
{
    return Frames(kFrameMessage, ++m_messageCounter, expectsReply, m_crc || forceCrc, message);
}

std::string LinkWriter::Reply(uint32_t wireMessageId, const PlainMessage& message)
{
    return Frames(kFrameReply, wireMessageId, false, m_crc, message);
}

LinkReader::LinkReader(AesKey key, bool expectHello, uint32_t maxChunk)
    : m_key(key)
    , m_frames(expectHello, maxChunk)
{
}

LinkReader::Result LinkReader::Fail(std::string& error, std::string text)
{
    m_failed = true;
    error = std::move(text);
    return kError;
}

LinkReader::Result LinkReader::Next(LinkMessage& out, std::string& hello, std::string& error)
{
    for (;;) {
        if (m_failed)
            return Fail(error, "link already failed");
        ParsedFrame frame;
        switch (m_frames.Next(frame, hello, error)) {
        case FrameReader::kNeedMore:
            return kNeedMore;
        case FrameReader::kHello:
            return kHello;
        case FrameReader::kError:
            m_failed = true;
            return kError;
        case FrameReader::kFrame:
            break;
        }
        const FrameFields& f = frame.fields;
        if (f.sequence != m_expectedSequence)
            return Fail(error, "frame sequence " + std::to_string(f.sequence) + ", expected "
                    + std::to_string(m_expectedSequence));
        ++m_expectedSequence;
        if (f.type != kFrameMessage && f.type != kFrameReply)
            return Fail(error, "frame of type " + std::to_string(f.type));
        if (m_assembling.empty() ? f.pieceIndex != 1
                                 : (f.messageId != m_assembling.front().fields.messageId
                                     || f.type != m_assembling.front().fields.type
                                     || f.pieceIndex != m_assembling.back().fields.pieceIndex + 1))
            return Fail(error, "piece " + std::to_string(f.pieceIndex) + " of message "
                    + std::to_string(f.messageId) + " out of order");
        m_assembledBytes += frame.piece.size();
        if (m_assembledBytes > kMaxMessage)
            return Fail(error, "message larger than " + std::to_string(kMaxMessage) + " bytes");
        const bool last = f.lastPiece;
        m_assembling.push_back(std::move(frame));
        if (!last)
            continue;

        std::vector<ParsedFrame> frames;
        frames.swap(m_assembling);
        m_assembledBytes = 0;
        const FrameFields& first = frames.front().fields;
        if (first.type == kFrameMessage) {
            if (first.messageId != m_expectedMessageId)
                return Fail(error, "message id " + std::to_string(first.messageId) + ", expected "
                        + std::to_string(m_expectedMessageId));
            ++m_expectedMessageId;
        }
        std::string coded;
        for (const ParsedFrame& piece : frames)
            coded += piece.piece;
        std::string plain;
        out = LinkMessage();
        out.type = first.type;
        out.wireMessageId = first.messageId;
        out.expectsReply = first.expectsReply;
        if (!DecodeStages(coded, m_key, plain, error) || !DecodePlain(plain, out.message, error))
            return Fail(error, "message " + std::to_string(first.messageId) + ": " + error);
        return kMessage;
    }
}

} // namespace tools
