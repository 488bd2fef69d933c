#pragma once
// What a connection keeps for one remote end: the bytes not yet cut into
// frames, the message being joined, the reply being awaited and joined, and
// the counters that number outgoing messages and frames.

#include "net/ByteBuffer.h"
#include "net/NetMessage.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace net {

struct PeerEntry {
    // Above 0 refuses new sends (the connection is closing).
    std::atomic<int> closingCounter { 0 };

    // Reply side, shared by the sending thread and the network thread. One
    // lock guards the expectation, the reply being joined and the stored
    // reply together, so that arming a new expectation and storing a reply
    // can never interleave: a reply is stored only for the id that is
    // expected at that moment, and kept with that id.
    std::mutex replyLock;
    std::condition_variable replyEvent; // signalled when a reply is stored or the link stops
    uint32_t expectedReplyId = 0; // 0: no request waits
    uint32_t lastReplyPiece = 0;
    ByteBuffer replyJoin;
    NetMessage storedReply;
    uint32_t storedReplyId = 0; // the request id storedReply answers; 0: none
    // In expect-hello mode: set once the peer's hello has arrived.
    bool helloReceived = false;

    // Network thread only.
    ByteBuffer receive; // raw bytes not yet cut into frames
    ByteBuffer messageJoin;
    uint32_t currentMessageId = 0; // 0: idle
    uint32_t lastMessagePiece = 0;
    // A framing error leaves no way to find the next frame: the link's
    // further bytes are dropped unread and no further notice is posted.
    bool framingBroken = false;

    // Numbering of outgoing messages and frames (first of each is 1).
    std::atomic<uint32_t> messageCounter { 0 };
    std::atomic<uint32_t> frameCounter { 0 };
};

} // namespace net
