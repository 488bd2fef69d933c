#pragma once
// One end of the game link above its frames, for peers that keep a link
// open: outgoing messages cut into numbered, check-summed frames, and
// incoming frames put together into whole messages, strictly (a frame out of
// sequence, a piece out of order, a message too large or a stage block that
// does not decode ends the link).

#include "tools/wire/WireCodec.h"
#include "tools/wire/WireFrames.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

class LinkWriter {
public:
    explicit LinkWriter(StageOptions stages = {}, uint32_t maxChunk = kMaxChunk, bool crc = true)
        : m_stages(stages)
        , m_maxChunk(maxChunk)
        , m_crc(crc)
    {
    }

    // A message of the sending side (type 1) under the next message id.
    // forceCrc checks it even on a writer without CRCs.
    std::string Message(const PlainMessage& message, bool expectsReply = false, bool forceCrc = false);
    // The reply (type 2) to the message of the peer with that wire id.
    std::string Reply(uint32_t wireMessageId, const PlainMessage& message);
    uint32_t LastMessageId() const { return m_messageCounter; }

private:
    std::string Frames(uint32_t type, uint32_t wireId, bool expectsReply, bool crc, const PlainMessage& message);

    StageOptions m_stages;
    uint32_t m_maxChunk;
    bool m_crc;
    uint32_t m_frameSequence = 0;
    uint32_t m_messageCounter = 0;
};

struct LinkMessage {
    uint32_t type = kFrameMessage; // kFrameReply for replies
    uint32_t wireMessageId = 0;
    bool expectsReply = false;
    PlainMessage message;
};

class LinkReader {
public:
    // The largest message the link takes, put together.
    static constexpr size_t kMaxMessage = 1024 * 1024;

    LinkReader(AesKey key, bool expectHello, uint32_t maxChunk = kMaxChunk);

    void Feed(const char* data, size_t length) { m_frames.Feed(data, length); }
    enum Result { kMessage, kHello, kNeedMore, kError };
    // The next hello or whole message. After kError nothing more is read.
    Result Next(LinkMessage& out, std::string& hello, std::string& error);

private:
    Result Fail(std::string& error, std::string text);

    AesKey m_key;
    FrameReader m_frames;
    bool m_failed = false;
    uint32_t m_expectedSequence = 1;
    uint32_t m_expectedMessageId = 1;
    std::vector<ParsedFrame> m_assembling;
    size_t m_assembledBytes = 0;
};

} // namespace tools
