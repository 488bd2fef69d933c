// SocketConnection: connecting, the network thread, requests and closing.

#include "net/SocketConnection.h"

#include "net/DailyLog.h"
#include "net/SocketHelpers.h"

#include "platform/Event.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "platform/SocketNotifier.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace net {

namespace {

std::atomic<uint32_t> g_connectionIds { 0 };

// Bytes one read notice takes from the socket before the frames are cut;
// a peer that sends without pause cannot make one pass grow without end.
constexpr size_t kMaxReadPerPass = 256 * 1024;

bool SetNonBlocking(int fd)
{
    int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

uint32_t NextConnectionId()
{
    return ++g_connectionIds;
}

SocketConnection::SocketConnection(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags,
    bool crcOnSend, uint32_t maxChunk)
    : m_key(key)
    , m_keyBits(keyBits)
    , m_cipherFlags(cipherFlags)
    , m_zipFlags(zipFlags)
    , m_crcOnSend(crcOnSend)
    , m_maxChunk(maxChunk == 0 || maxChunk > kMaxChunk ? kMaxChunk : maxChunk)
{
}

SocketConnection::~SocketConnection()
{
    // Derived parts are gone by now: only the base's own close runs here.
    SocketConnection::Close();
}

CodecParams SocketConnection::Codec() const
{
    CritSecLock lock(&m_codecLock);
    return CodecParams { m_key, m_keyBits, m_cipherFlags, m_zipFlags };
}

int SocketConnection::SetCodecParams(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags)
{
    CritSecLock lock(&m_codecLock);
    m_key = key;
    m_keyBits = keyBits;
    m_cipherFlags = cipherFlags;
    m_zipFlags = zipFlags;
    return 1;
}

bool SocketConnection::IsConnected() const
{
    return IsSocketConnected(m_socket.load());
}

// ---- starting ------------------------------------------------------------

int SocketConnection::Connect(const std::string& host, int port, int connectTimeoutSec, uint32_t notifyThreadId,
    bool expectHello, const uint8_t* helloData, uint32_t helloLen, int helloTimeoutMs)
{
    return Start(CreateSocket(), notifyThreadId, expectHello, helloData, helloLen, helloTimeoutMs, host, port,
        connectTimeoutSec, false);
}

int SocketConnection::Attach(int socket, uint32_t notifyThreadId, bool expectHello, const uint8_t* helloData,
    uint32_t helloLen, int helloTimeoutMs, const std::string& host, int port, int connectTimeoutSec)
{
    return Start(socket, notifyThreadId, expectHello, helloData, helloLen, helloTimeoutMs, host, port,
        connectTimeoutSec, true);
}

int SocketConnection::Start(int socket, uint32_t notifyThreadId, bool expectHello, const uint8_t* helloData,
    uint32_t helloLen, int helloTimeoutMs, const std::string& host, int port, int connectTimeoutSec,
    bool alreadyConnected)
{
    if (m_thread) {
        // Started already: the caller must close first. The socket handed
        // in is not ours to keep.
        if (socket >= 0 && socket != m_socket.load())
            ::close(socket);
        return 0;
    }
    m_expectHello = expectHello;
    m_notifyThreadId = notifyThreadId;
    m_stopping = false;
    m_sendBroken = false;
    m_stopEvent = std::make_unique<platform::Event>(platform::EventReset::kManual);
    m_readyEvent = std::make_unique<platform::Event>(platform::EventReset::kManual);
    m_writeEvent = std::make_unique<platform::Event>(platform::EventReset::kAuto);
    m_socket = socket;
    m_connectionId = NextConnectionId();

    if (socket < 0 || !m_stopEvent->Valid() || !m_readyEvent->Valid() || !m_writeEvent->Valid()
        || !ConnectSocket(host, port, connectTimeoutSec, alreadyConnected) || !AddPeer(host, port)) {
        Close();
        return 0;
    }
    if (!expectHello && !SendRaw(helloData, helloLen, host, port)) {
        Close();
        return 0;
    }
    m_thread = std::make_unique<platform::MessageThread>();
    if (!m_thread->Start([this](platform::MessageQueue&) { return ThreadMain(); })
        || !WaitThreadReady(m_thread->ThreadId())) {
        Close();
        return 0;
    }
    if (expectHello && !WaitHello(helloTimeoutMs, host, port)) {
        Close();
        return 0;
    }
    return 1;
}

int SocketConnection::CreateSocket()
{
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
}

int SocketConnection::ConnectSocket(const std::string& host, int port, int timeoutSec, bool alreadyConnected)
{
    int fd = m_socket.load();
    if (!SetNonBlocking(fd))
        return 0;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (alreadyConnected)
        return 1;
    sockaddr_in address {};
    if (port < 0 || port > 65535 || !ResolveAddress(host, static_cast<uint16_t>(port), address))
        return 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return 1;
    if (errno != EINPROGRESS)
        return 0;
    pollfd p { fd, POLLOUT, 0 };
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutSec < 0 ? -1 : timeoutSec * 1000);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return 0;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return 0;
    return 1;
}

int SocketConnection::BindSocket(const std::string& host, int port)
{
    sockaddr_in address {};
    if (port < 0 || port > 65535 || !ResolveAddress(host, static_cast<uint16_t>(port), address))
        return 0;
    return ::bind(m_socket.load(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 1 : 0;
}

int SocketConnection::WaitThreadReady(uint32_t threadId)
{
    for (int failures = 0;;) {
        if (m_stopEvent->IsSet())
            return 0;
        if (platform::PostThreadMessage(threadId, WM_THREADREADY, 0, 0))
            break;
        if (++failures > 50)
            return 0;
        if (m_stopEvent->Wait(100))
            return 0;
    }
    // The thread answers at once unless it is already gone.
    return m_readyEvent->Wait(5000) ? 1 : 0;
}

int SocketConnection::WaitHello(int timeoutMs, const std::string& host, int port)
{
    PeerEntry* entry = FindPeer(host, port);
    if (!entry)
        return 0;
    std::unique_lock lock(entry->replyLock);
    bool arrived = entry->replyEvent.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
        [&] { return entry->helloReceived || m_stopping.load(); });
    return arrived && entry->helloReceived ? 1 : 0;
}

// ---- the network thread ----------------------------------------------------

int SocketConnection::ThreadMain()
{
    platform::MessageQueue* queue = platform::MessageQueue::Current();
    if (!queue)
        return 0;

    // Turns the notifier's notices into the connection's steps.
    struct Handler final : platform::SocketHandler {
        SocketConnection& c;
        explicit Handler(SocketConnection& connection)
            : c(connection)
        {
        }
        void OnConnect(int) override { }
        void OnRead() override
        {
            if (!c.OnSocketRead())
                c.OnSocketError();
        }
        void OnWrite() override { c.OnSocketWrite(); }
        void OnClose(int error) override
        {
            if (error)
                c.OnSocketError();
            else
                c.OnSocketClose();
        }
        void OnMessage(const platform::Message& m) override
        {
            if (m.message == WM_THREADREADY)
                c.m_readyEvent->Set();
            else if (m.disposer)
                m.disposer(m); // nothing else is meant for this thread
        }
    } handler(*this);

    platform::SocketNotifier notifier(m_socket.load(), handler);
    if (!notifier.Valid())
        return 0;
    {
        std::lock_guard guard(m_notifierLock);
        m_notifier = &notifier;
    }
    int code = notifier.Run(*queue);
    std::lock_guard guard(m_notifierLock);
    m_notifier = nullptr;
    return code;
}

size_t SocketConnection::ReadAll(std::vector<PeerEntry*>& entriesOut)
{
    size_t total = 0;
    const size_t blockSize = GetReadSize();
    std::vector<uint8_t> block(blockSize);
    while (total < kMaxReadPerPass) {
        std::string host;
        int port = 0;
        long got = RecvFrom(m_socket.load(), block.data(), blockSize, host, port);
        if (got <= 0)
            break; // would block, closed or failed: the notifier reports the last two
        total += static_cast<size_t>(got);
        m_totalRead += static_cast<uint64_t>(got);
        PeerEntry* entry = FindPeer(host, port);
        if (!entry)
            entry = FirstPeer();
        if (!entry)
            continue;
        if (!OnRawData(*entry, block.data(), static_cast<size_t>(got)))
            entry->receive.Append(block.data(), static_cast<size_t>(got));
        bool listed = false;
        for (PeerEntry* e : entriesOut)
            listed = listed || e == entry;
        if (!listed)
            entriesOut.push_back(entry);
    }
    return total;
}

long SocketConnection::RecvFrom(int socket, uint8_t* buffer, size_t size, std::string&, int&)
{
    ssize_t got;
    do {
        got = ::recv(socket, buffer, size, 0);
    } while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
}

long SocketConnection::SendTo(int socket, const uint8_t* data, size_t length, const std::string&, int)
{
    return static_cast<long>(::send(socket, data, length, MSG_NOSIGNAL));
}

void SocketConnection::OnSocketWrite()
{
    if (m_writeEvent)
        m_writeEvent->Set();
}

int SocketConnection::WaitWritable(int timeoutMs)
{
    {
        // Ask the network thread for a write notice; without a running
        // thread (during the start) poll the socket here.
        std::lock_guard guard(m_notifierLock);
        if (m_notifier) {
            m_notifier->ArmWrite();
        } else {
            pollfd fds[2] = { { m_socket.load(), POLLOUT, 0 }, { m_stopEvent->Fd(), POLLIN, 0 } };
            int ready = ::poll(fds, 2, timeoutMs);
            return ready > 0 && !(fds[1].revents & POLLIN) && (fds[0].revents & POLLOUT) ? 1 : 0;
        }
    }
    platform::Event* events[] = { m_stopEvent.get(), m_writeEvent.get() };
    platform::WaitResult r = platform::WaitForEvents(events, timeoutMs);
    return r.kind == platform::WaitResult::kEvent && r.index == 1 ? 1 : 0;
}

size_t SocketConnection::SendAll(ByteBuffer& buffer, const std::string& host, int port)
{
    size_t sent = 0;
    while (sent < buffer.Size()) {
        long n = SendTo(m_socket.load(), buffer.Data(sent), buffer.Size() - sent, host, port);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !m_stopping.load() && WaitWritable(1000))
            continue;
        break;
    }
    return sent;
}

// ---- requests --------------------------------------------------------------

int SocketConnection::SendRequest(const MessageContext& context, const NetMessage& message, NetMessage* replyOut,
    int* timedOut, int timeoutMs, uint32_t cipherFlags, uint32_t zipFlags, bool crc, const std::string& host,
    int port)
{
    struct InFlight {
        std::atomic<int>& count;
        explicit InFlight(std::atomic<int>& c)
            : count(c)
        {
            ++count;
        }
        ~InFlight()
        {
            --count;
            count.notify_all();
        }
    } inFlight(m_inFlight);

    if (m_stopping.load())
        return 0; // Close has begun: the peers may be going away
    PeerEntry* entry = FindPeer(host, port);
    if (!entry)
        entry = FirstPeer();
    if (!entry || entry->closingCounter.load() > 0)
        return 0;
    if (timedOut)
        *timedOut = 0;

    CodecParams codec = Codec();
    if (cipherFlags)
        codec.cipherFlags = cipherFlags;
    if (zipFlags)
        codec.zipFlags = zipFlags;
    ByteBuffer pieces;
    if (!EncodeNetMessage(message, codec, m_maxChunk, pieces))
        return 0;

    const bool wantsReply = context.expectsReply != 0;
    uint32_t id = 0;
    int sent;
    {
        std::lock_guard sending(m_sendLock);
        sent = SendPieces(pieces, wantsReply, crc, host, port, &id);
    }
    std::unique_lock lock(entry->replyLock);
    auto giveUp = [&] {
        // A reply that comes later must not be taken for the next request's.
        if (entry->expectedReplyId == id) {
            entry->expectedReplyId = 0;
            entry->lastReplyPiece = 0;
            entry->replyJoin.Clear();
        }
    };
    if (!sent) {
        if (wantsReply)
            giveUp();
        return 0;
    }
    if (!wantsReply)
        return 1;

    auto answered = [&] { return entry->storedReplyId == id || m_stopping.load(); };
    if (timeoutMs < 0)
        entry->replyEvent.wait(lock, answered);
    else
        entry->replyEvent.wait_for(lock, std::chrono::milliseconds(timeoutMs), answered);
    if (entry->storedReplyId != id) {
        giveUp();
        if (timedOut)
            *timedOut = 1;
        return 0;
    }
    if (replyOut)
        CopyNetMessage(*replyOut, entry->storedReply);
    FreeNetMessageBody(&entry->storedReply);
    entry->storedReplyId = 0;
    return 1;
}

void SocketConnection::PostToReceiver(std::unique_ptr<MessageContext> context, std::unique_ptr<NetMessage> message)
{
    if (m_notifyThreadId == 0)
        return;
    auto wParam = reinterpret_cast<uintptr_t>(context.get());
    auto lParam = reinterpret_cast<intptr_t>(message.get());
    if (platform::PostThreadMessage(m_notifyThreadId, WM_NETMSG, wParam, lParam,
            [](const platform::Message& m) { DisposeNetMessage(m.wParam, m.lParam); })) {
        // The receiver owns both records now.
        context.release();
        message.release();
    }
}

// ---- closing ---------------------------------------------------------------

void SocketConnection::WakeReplyWaiters()
{
    CritSecLock lock(&m_peersLock);
    for (auto& [key, entry] : m_peers) {
        std::lock_guard guard(entry->replyLock);
        entry->replyEvent.notify_all();
    }
}

int SocketConnection::Close()
{
    // 1. Every wait of a sender ends now.
    m_stopping = true;
    if (m_stopEvent)
        m_stopEvent->Set();
    WakeReplyWaiters();

    // 2. The network thread ends: it waits only in poll, which the quit wakes.
    if (m_thread) {
        platform::PostThreadQuit(m_thread->ThreadId(), 0);
        m_thread->Join(platform::kInfinite);
        m_thread.reset();
    }

    // 3. Senders leave (they were woken above) before anything they use goes.
    DisablePeers();
    for (int n = m_inFlight.load(); n > 0; n = m_inFlight.load())
        m_inFlight.wait(n);

    int fd = m_socket.exchange(-1);
    if (fd >= 0)
        ::close(fd);
    m_connectionId = 0;
    m_totalRead = 0;
    m_readEvents = 0;
    RemoveAllPeers();
    m_stopEvent.reset();
    m_readyEvent.reset();
    m_writeEvent.reset();
    return 1;
}

// ---- peers -----------------------------------------------------------------

std::string SocketConnection::PeerKey(const std::string& host, int port)
{
    return host + ":" + std::to_string(port);
}

PeerEntry* SocketConnection::AddPeer(const std::string& host, int port)
{
    CritSecLock lock(&m_peersLock);
    auto entry = std::make_unique<PeerEntry>();
    PeerEntry* added = entry.get();
    SetPeer(host, port, std::move(entry));
    return added;
}

void SocketConnection::SetPeer(const std::string& host, int port, std::unique_ptr<PeerEntry> entry)
{
    CritSecLock lock(&m_peersLock);
    m_peers[PeerKey(host, port)] = std::move(entry);
}

PeerEntry* SocketConnection::FindPeer(const std::string& host, int port)
{
    CritSecLock lock(&m_peersLock);
    auto it = m_peers.find(PeerKey(host, port));
    return it == m_peers.end() ? nullptr : it->second.get();
}

PeerEntry* SocketConnection::FirstPeer()
{
    CritSecLock lock(&m_peersLock);
    return m_peers.empty() ? nullptr : m_peers.begin()->second.get();
}

void SocketConnection::DisablePeers()
{
    CritSecLock lock(&m_peersLock);
    for (auto& [key, entry] : m_peers)
        ++entry->closingCounter;
}

void SocketConnection::RemoveAllPeers()
{
    CritSecLock lock(&m_peersLock);
    m_peers.clear();
}

} // namespace net
