#pragma once
// The records in which a message reaches the rest of the system, and the
// conversions between a message and the pieces that travel in frames.
//
// A message's plain form is its 24-byte head, a u32 body length and the
// body. The codec turns the plain form into the coded form, which is cut
// into pieces of at most maxChunk bytes, each written as [u32 n][n bytes];
// every frame on the wire carries one piece.

#include "net/ByteBuffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace net {

// Local notices posted in place of a message from the peer.
constexpr uint32_t kConnectionClosed = 1;
constexpr uint32_t kConnectionError = 2;

// The window message that delivers a received message: wParam carries a
// heap MessageContext and lParam a heap NetMessage. Whoever receives it owns
// both records.
constexpr uint32_t kWmUser = 0x0400;
constexpr uint32_t WM_NETMSG = kWmUser + 1001;
static_assert(WM_NETMSG == 0x7E9);

// Largest piece a frame may carry; the piece buffers of both ends hold this.
constexpr uint32_t kMaxChunk = 4000;

// Upper bound of a joined message from the peer, coded or plain. Nothing the
// server sends comes near it; it keeps a hostile peer from making the client
// buffer without limit.
constexpr size_t kMaxMessageBytes = 16u << 20;

// One message. In memory the body is owned by the record; the 24-byte head
// and the length travel on the wire as they stand.
struct NetMessage {
    uint32_t head0 = 0;
    // Request id when sending; the reply code in a reply; the notification
    // id from the peer; kConnectionClosed or kConnectionError in a notice.
    uint32_t messageId = 0;
    uint32_t head2[4] = {};
    uint32_t bodyLength = 0;
    std::unique_ptr<uint8_t[]> body; // bodyLength bytes, null when 0

    static constexpr size_t kHeadSize = 24;
    static constexpr size_t kPlainHeaderSize = kHeadSize + 4;
};

// Where a received message came from; also how a sender asks for a reply.
struct MessageContext {
    uint32_t socket = 0;
    uint32_t wireMessageId = 0; // message id of the frames that carried it (0 in a notice)
    uint32_t expectsReply = 0;
    uint32_t connectionId = 0;
    uint32_t reserved[2] = {};

    static constexpr size_t kWireSize = 24;
    void Store(uint8_t* out) const;
    static MessageContext Load(const uint8_t* in);
};
static_assert(sizeof(MessageContext) == MessageContext::kWireSize);

// Copies the head and duplicates the body into a new block (null when the
// length is 0); returns the body length.
uint32_t CopyNetMessage(NetMessage& destination, const NetMessage& source);

// Frees the body and empties the record's body fields (a null message is
// ignored). The record itself belongs to its owner.
void FreeNetMessageBody(NetMessage* message);

// Frees the heap MessageContext (wParam) and NetMessage (lParam) of a
// WM_NETMSG post: the disposer of every such post, and what its final
// receiver calls once it has handled the message.
void DisposeNetMessage(uintptr_t wParam, intptr_t lParam);

// Appends m's plain form to out.
void WritePlainForm(const NetMessage& m, ByteBuffer& out);

// Reads a plain form. False when it is shorter than its header or its body
// length is negative or exceeds the bytes present.
bool ReadPlainForm(const uint8_t* data, size_t length, NetMessage& m);

// Empties pieces and moves source into it as [u32 length][bytes] chunks of
// at most maxChunk bytes (the last holds the remainder); source is consumed.
// Returns the number of chunks (0 for an empty source).
size_t SplitPieces(ByteBuffer& source, ByteBuffer& pieces, uint32_t maxChunk);

// Empties out and appends the bytes of every [u32 n][n bytes] chunk while at
// least 5 bytes remain. Returns the number of chunks, or -1 (with a log
// line) when a chunk is longer than maxChunk or than the bytes present, or
// when the joined bytes would pass kMaxMessageBytes.
int JoinPieces(const uint8_t* pieces, size_t length, ByteBuffer& out, uint32_t maxChunk);

// Codec parameters of a connection: the key is not copied.
struct CodecParams {
    const uint8_t* key = nullptr;
    int keyBits = 0;
    uint32_t cipherFlags = 0;
    uint32_t zipFlags = 0;
};

// The plain form of m, encoded and cut into pieces. False when encoding fails.
bool EncodeNetMessage(const NetMessage& m, const CodecParams& codec, uint32_t maxChunk, ByteBuffer& pieces);

// From an assembled buffer (24-byte context, then the pieces) builds a new
// context and message: join, decode, read the plain form. On failure both
// outputs are left empty and false is returned.
bool DecodeNetMessage(const uint8_t* assembled, size_t length, std::unique_ptr<MessageContext>& contextOut,
    std::unique_ptr<NetMessage>& messageOut, const CodecParams& codec, uint32_t maxChunk);

} // namespace net
