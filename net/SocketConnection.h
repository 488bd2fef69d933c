#pragma once
// The library's message connection over one TCP socket.
//
// It connects (or takes over a connected socket), sends the link's opening
// hello, and starts a network thread of its own. Requests are sent from the
// caller's thread, which blocks while it waits for a reply; the network
// thread reads, cuts the stream into frames, joins pieces and delivers:
// replies go to the waiting request, every other message is posted to the
// notify thread as WM_NETMSG (wParam: heap MessageContext, lParam: heap
// NetMessage; the receiver owns and frees both).
//
// Threads: the caller's thread runs Connect, SendRequest and Close; the
// network thread runs ThreadMain and everything it calls (OnSocketRead and
// the frame steps, the notices). Counters are atomic; each peer entry's
// reply side is guarded by its reply lock; the peers table by m_peersLock.

#include "net/ByteBuffer.h"
#include "net/CritSec.h"
#include "net/MessageFrame.h"
#include "net/NetMessage.h"
#include "net/PeerEntry.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Event;
class MessageThread;
class SocketNotifier;
} // namespace platform

namespace net {

// Thread messages of the network thread.
constexpr uint32_t WM_SOCKETEVENT = 0x2B11;
constexpr uint32_t WM_THREADREADY = 0x2B12;

// Process-wide numbering of connections; the first gets 1.
uint32_t NextConnectionId();

class SocketConnection {
public:
    // The key is not copied: it must outlive the connection.
    SocketConnection(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags, bool crcOnSend,
        uint32_t maxChunk);
    // Closes the connection if it is still open.
    virtual ~SocketConnection();
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    // ---- connection -------------------------------------------------------
    // Results are 1 for success and 0 for failure; a failed start leaves the
    // connection closed.
    virtual int Connect(const std::string& host, int port, int connectTimeoutSec, uint32_t notifyThreadId,
        bool expectHello, const uint8_t* helloData, uint32_t helloLen, int helloTimeoutMs);
    virtual int Close();
    virtual int Attach(int socket, uint32_t notifyThreadId, bool expectHello, const uint8_t* helloData,
        uint32_t helloLen, int helloTimeoutMs, const std::string& host, int port, int connectTimeoutSec);

    // Sends one message. With context.expectsReply set, waits up to timeoutMs
    // for the reply and copies it into *replyOut. cipherFlags and zipFlags of
    // 0 mean the connection's own; crc forces a CRC on every frame. *timedOut
    // is 0 once a peer entry is accepted and 1 when the wait ends without the
    // reply (time-out or Close).
    virtual int SendRequest(const MessageContext& context, const NetMessage& message, NetMessage* replyOut,
        int* timedOut, int timeoutMs, uint32_t cipherFlags = 0, uint32_t zipFlags = 0, bool crc = false,
        const std::string& host = "", int port = 0);

    virtual int GetSocket() const { return m_socket.load(); }
    virtual uint32_t GetConnectionId() const { return m_connectionId.load(); }
    virtual void SetConnectionId(uint32_t id) { m_connectionId.store(id); }
    virtual bool IsConnected() const;
    virtual int SetCodecParams(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags);
    virtual int Start(int socket, uint32_t notifyThreadId, bool expectHello, const uint8_t* helloData,
        uint32_t helloLen, int helloTimeoutMs, const std::string& host, int port, int connectTimeoutSec,
        bool alreadyConnected);

    // ---- peers ------------------------------------------------------------
    virtual void DisablePeers();
    virtual void RemoveAllPeers();
    virtual PeerEntry* AddPeer(const std::string& host, int port);
    virtual PeerEntry* FindPeer(const std::string& host, int port);
    virtual PeerEntry* FirstPeer();
    // Puts entry under host:port, replacing (and freeing) any entry there.
    virtual void SetPeer(const std::string& host, int port, std::unique_ptr<PeerEntry> entry);

    // ---- socket and thread steps ------------------------------------------
    virtual int CreateSocket();
    virtual int ConnectSocket(const std::string& host, int port, int timeoutSec, bool alreadyConnected);
    virtual int BindSocket(const std::string& host, int port);
    virtual int WaitThreadReady(uint32_t threadId);
    virtual int ThreadMain();

    // ---- frames -----------------------------------------------------------
    // frame points at the L field; L is its value. 1 good, 0 bad.
    virtual int ValidateFrame(const uint8_t* frame, uint32_t length, PeerEntry& peer);
    virtual int DispatchFrame(const uint8_t* frame, uint32_t length, PeerEntry& peer);
    virtual void DeliverMessage(ByteBuffer& assembled, PeerEntry& peer);
    virtual void DeliverReply(ByteBuffer& assembled, uint32_t replyId, PeerEntry& peer);
    virtual void OnSocketError();
    virtual void OnSocketClose();
    virtual int OnSocketRead();
    virtual void OnSocketWrite();
    // Sends the pieces of one message; *messageIdOut receives its id.
    virtual int SendPieces(ByteBuffer& pieces, bool expectsReply, bool crc, const std::string& host, int port,
        uint32_t* messageIdOut = nullptr);
    virtual int SendFrame(const uint8_t* piece, uint32_t n, const FrameHeader& header, bool crc,
        const std::string& host, int port);
    virtual int SendRaw(const uint8_t* data, uint32_t length, const std::string& host, int port);
    // recv/send on the socket: bytes moved, 0 when the peer closed (recv),
    // -1 on an error or when the call would block (errno says which).
    virtual long RecvFrom(int socket, uint8_t* buffer, size_t size, std::string& hostOut, int& portOut);
    virtual long SendTo(int socket, const uint8_t* data, size_t length, const std::string& host, int port);
    virtual size_t ReadAll(std::vector<PeerEntry*>& entriesOut);
    virtual size_t SendAll(ByteBuffer& buffer, const std::string& host, int port);
    virtual size_t GetReadSize() const { return 4096; }
    // A hook that may claim raw data before framing; 0 keeps it.
    virtual int OnRawData(PeerEntry& entry, const uint8_t* data, size_t length);
    virtual void SetExpectedReply(uint32_t id, PeerEntry& entry);
    virtual void GetExpectedReply(uint32_t& idOut, uint32_t& lastOut, PeerEntry& entry);
    virtual void AppendPiece(ByteBuffer& buffer, const uint8_t* frame, const FrameHeader& header);
    virtual int WaitHello(int timeoutMs, const std::string& host, int port);
    virtual int OnFirstData(PeerEntry& entry);
    virtual size_t SplitPieces(ByteBuffer& source, ByteBuffer& pieces);
    virtual int JoinPieces(const uint8_t* pieces, size_t length, ByteBuffer& out);

    CodecParams Codec() const;
    uint32_t MaxChunk() const { return m_maxChunk; }

protected:
    // Posts a message or notice to the notify thread as WM_NETMSG; when the
    // post fails, the records are freed here.
    virtual void PostToReceiver(std::unique_ptr<MessageContext> context, std::unique_ptr<NetMessage> message);
    void PostNotice(uint32_t noticeId);
    // A frame went out in part: the stream can no longer be parsed by the
    // peer, so the link refuses every further send and reports one error.
    void BreakSendSide();
    // All of bytes or failure; a part sent breaks the send side.
    int SendWhole(ByteBuffer& bytes, const std::string& host, int port);
    bool Stopping() const { return m_stopping.load(); }

private:
    static std::string PeerKey(const std::string& host, int port);
    // Reads frames from the entry's receive buffer. A bad frame is dropped
    // with an error notice of its own; false when the framing itself broke.
    bool ParseFrames(PeerEntry& peer);
    int WaitWritable(int timeoutMs);
    void WakeReplyWaiters();

    std::atomic<int> m_socket { -1 };
    std::atomic<uint32_t> m_connectionId { 0 };

    // Codec parameters: set before the network thread starts and by the
    // caller's thread between requests.
    mutable CritSec m_codecLock;
    const uint8_t* m_key; // not owned
    int m_keyBits;
    uint32_t m_cipherFlags;
    uint32_t m_zipFlags;
    bool m_crcOnSend;
    uint32_t m_maxChunk;

    bool m_expectHello = false;
    uint32_t m_notifyThreadId = 0;

    std::unique_ptr<platform::MessageThread> m_thread;
    std::unique_ptr<platform::Event> m_stopEvent; // manual reset, set only by Close
    std::unique_ptr<platform::Event> m_readyEvent; // manual reset, set by the network thread
    std::unique_ptr<platform::Event> m_writeEvent; // auto reset, set on a write notice
    // The network thread's notifier while it runs; senders ask it for write
    // notices under the lock.
    std::mutex m_notifierLock;
    platform::SocketNotifier* m_notifier = nullptr;
    std::atomic<bool> m_stopping { false };
    std::atomic<bool> m_sendBroken { false };

    std::atomic<uint64_t> m_totalRead { 0 };
    std::atomic<uint32_t> m_readEvents { 0 };

    CritSec m_peersLock;
    std::map<std::string, std::unique_ptr<PeerEntry>> m_peers;
    std::atomic<int> m_inFlight { 0 };
    // Serialises senders: the frames of two messages must not interleave on
    // the stream, and a message's frames go out in order.
    std::mutex m_sendLock;
};

} // namespace net
