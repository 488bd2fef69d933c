#include "tools/scripted/ScriptedServer.h"

#include "tools/wire/WireLink.h"

#include "platform/Event.h"
#include "platform/Socket.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>

namespace tools {

namespace {

// A request larger than this is no request of this protocol.
constexpr size_t kMaxAssembled = 16 * 1024 * 1024;

// Unwritten output at which the loop stops running commands until the
// client has taken some: a long burst goes out while it is being built
// instead of after, so a reader waits for its first message no longer than
// a batch takes to build.
constexpr size_t kOutputBatch = 64 * 1024;
// Messages of a burst built by one command.
constexpr int kBurstBatch = 64;

struct Outgoing {
    uint32_t type = kFrameMessage;
    uint32_t wireId = 0; // for replies; notifications take the next counter
    PlainMessage message;
};

} // namespace

// Everything the server thread owns: the sockets and the link's state.
class ScriptedServer::Loop {
public:
    explicit Loop(ScriptedServer& server)
        : m_server(server)
        , m_options(server.m_options)
    {
    }

    bool Listen()
    {
        m_listener = platform::ListenTcp(m_options.host, m_options.port, 16);
        if (!m_listener.Valid() || !m_listener.SetNonBlocking(true))
            return false;
        m_port = platform::LocalPort(m_listener.Fd());
        return m_port != 0 && m_wake.Valid();
    }
    uint16_t Port() const { return m_port; }
    void Wake() { m_wake.Set(); }
    void RequestStop()
    {
        m_stopping = true;
        Wake();
    }

    void Run();

    // Commands given and not yet run (server thread).
    void Hold(std::deque<std::function<void(Loop&)>>& commands)
    {
        for (auto& c : commands)
            m_held.push_back(std::move(c));
        commands.clear();
    }
    // Runs held commands in order until a batch of output waits for the
    // client; false when some are still held.
    bool RunHeld()
    {
        while (!m_held.empty() && !OutputFull()) {
            auto command = std::move(m_held.front());
            m_held.pop_front();
            command(*this);
        }
        return m_held.empty();
    }

    // --- commands (server thread) ---
    void SendMessage(uint32_t type, uint32_t wireId, const PlainMessage& message)
    {
        if (m_client.Valid())
            m_out += BuildFrames(type, wireId, message);
    }
    void SendRaw(const std::string& bytes)
    {
        if (m_client.Valid())
            m_out += bytes;
    }
    void CloseMidFrame(const PlainMessage& message)
    {
        if (!m_client.Valid())
            return;
        std::string frames = BuildFrames(kFrameMessage, 0, message);
        uint32_t first = GetU32(frames, 0) + 4;
        m_out += frames.substr(0, first / 2);
        m_closeAfterFlush = true;
    }
    void PushWithBadCrc(const PlainMessage& message)
    {
        if (!m_client.Valid())
            return;
        std::string frames = BuildFrames(kFrameMessage, 0, message, true);
        // Flag set, CRC word wrong.
        for (size_t i = 16; i < 20; ++i)
            frames[i] = static_cast<char>(frames[i] ^ 0x5A);
        m_out += frames;
    }
    void CloseAfterFlush()
    {
        if (m_client.Valid())
            m_closeAfterFlush = true;
    }
    void Stall(int ms)
    {
        m_stalledForever = ms < 0;
        m_stallUntil = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    }
    void Resume()
    {
        m_stalledForever = false;
        m_stallUntil = Clock::now();
    }

private:
    using Clock = ScriptedServer::Clock;

    bool Stalled() const { return m_stalledForever || Clock::now() < m_stallUntil; }
    // Only a client that takes output holds commands back: while stalled or
    // without a client they run at once (a Resume must not wait behind the
    // output it would release).
    bool OutputFull() const
    {
        return m_client.Valid() && !Stalled() && m_out.size() - m_outOffset >= kOutputBatch;
    }

    std::string BuildFrames(uint32_t type, uint32_t wireId, const PlainMessage& message, bool forceCrc = false)
    {
        return type == kFrameMessage ? m_writer.Message(message, false, forceCrc) : m_writer.Reply(wireId, message);
    }

    void Error(std::string text)
    {
        std::lock_guard guard(m_server.m_lock);
        m_server.m_errors.push_back(std::move(text));
        m_server.m_changed.notify_all();
    }

    void Accept();
    void PushGreeting()
    {
        std::vector<PlainMessage> greeting;
        {
            std::lock_guard guard(m_server.m_lock);
            greeting = m_server.m_pushOnHello;
        }
        for (const PlainMessage& m : greeting)
            SendMessage(kFrameMessage, 0, m);
    }
    void Disconnect();
    void ReadClient();
    void WriteClient();
    void HandleFrame(ParsedFrame& frame);
    void HandleMessage();
    void SendDue();

    ScriptedServer& m_server;
    const ServerOptions m_options;
    platform::Socket m_listener;
    platform::Socket m_client;
    platform::Event m_wake { platform::EventReset::kAuto };
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping { false };

    // The link (reset on every new connection).
    std::unique_ptr<FrameReader> m_reader;
    std::string m_out;
    size_t m_outOffset = 0;
    bool m_closeAfterFlush = false;
    LinkWriter m_writer { m_options.stages, m_options.maxChunk, m_options.crcOnSend };
    uint32_t m_expectedSequence = 1;
    uint32_t m_expectedMessageId = 1;
    std::vector<ParsedFrame> m_assembling;
    size_t m_assembledBytes = 0;
    std::multimap<Clock::time_point, std::vector<Outgoing>> m_delayed;
    std::deque<std::function<void(Loop&)>> m_held;

    bool m_stalledForever = false;
    Clock::time_point m_stallUntil {};
};

void ScriptedServer::Loop::Accept()
{
    platform::Socket incoming = platform::AcceptTcp(m_listener.Fd());
    if (!incoming.Valid())
        return;
    if (m_client.Valid())
        Disconnect();
    incoming.SetNonBlocking(true);
    incoming.SetNoDelay(true);
    m_client = std::move(incoming);
    m_reader = std::make_unique<FrameReader>(m_options.expectHello, m_options.maxChunk);
    m_out.clear();
    m_outOffset = 0;
    m_closeAfterFlush = false;
    m_writer = LinkWriter(m_options.stages, m_options.maxChunk, m_options.crcOnSend);
    m_expectedSequence = 1;
    m_expectedMessageId = 1;
    m_assembling.clear();
    m_assembledBytes = 0;
    m_delayed.clear();
    {
        std::lock_guard guard(m_server.m_lock);
        m_server.m_connected = true;
        m_server.m_helloSeen = false;
        m_server.m_hello.clear();
        ++m_server.m_connections;
        m_server.m_changed.notify_all();
    }
    if (!m_options.expectHello)
        PushGreeting();
}

void ScriptedServer::Loop::Disconnect()
{
    if (m_client.Valid()) {
        // Read what the client sent last: closing with unread bytes would
        // reset the link instead of closing it, and the client could lose
        // what we sent before.
        shutdown(m_client.Fd(), SHUT_WR);
        char sink[4096];
        while (platform::RecvSome(m_client.Fd(), sink, sizeof sink).status == platform::IoResult::kOk) {
        }
    }
    m_client.Close();
    m_reader.reset();
    m_out.clear();
    m_outOffset = 0;
    m_closeAfterFlush = false;
    m_delayed.clear();
    m_assembling.clear();
    // What was given for this client ends with it: sends go nowhere, a
    // stall still applies. A later client gets none of it.
    RunHeld();
    std::lock_guard guard(m_server.m_lock);
    m_server.m_connected = false;
    m_server.m_changed.notify_all();
}

void ScriptedServer::Loop::ReadClient()
{
    char buffer[16384];
    bool closed = false;
    for (;;) {
        platform::IoResult r = platform::RecvSome(m_client.Fd(), buffer, sizeof buffer);
        if (r.status == platform::IoResult::kOk) {
            m_reader->Feed(buffer, r.bytes);
            continue;
        }
        // On a close, what came before it is still taken in below.
        closed = r.status != platform::IoResult::kWouldBlock;
        break;
    }
    for (;;) {
        ParsedFrame frame;
        std::string hello, error;
        FrameReader::Result result = m_reader->Next(frame, hello, error);
        if (result == FrameReader::kNeedMore)
            break;
        if (result == FrameReader::kHello) {
            if (hello != GameHello())
                Error("unexpected hello of " + std::to_string(hello.size()) + " bytes");
            {
                std::lock_guard guard(m_server.m_lock);
                m_server.m_hello = hello;
                m_server.m_helloSeen = true;
                m_server.m_changed.notify_all();
            }
            PushGreeting();
            continue;
        }
        if (result == FrameReader::kError) {
            // The stream cannot be cut into frames any more: drop the link.
            Error(error);
            Disconnect();
            return;
        }
        HandleFrame(frame);
    }
    if (closed)
        Disconnect();
}

void ScriptedServer::Loop::HandleFrame(ParsedFrame& frame)
{
    const FrameFields& f = frame.fields;
    if (f.sequence != m_expectedSequence)
        Error("frame sequence " + std::to_string(f.sequence) + ", expected " + std::to_string(m_expectedSequence));
    m_expectedSequence = f.sequence + 1;
    if (f.reservedOr != 0)
        Error("frame with non-zero reserved header words");
    if (f.type != kFrameMessage) {
        Error("client sent a frame of type " + std::to_string(f.type));
        return;
    }
    if (m_assembling.empty()) {
        if (f.pieceIndex != 1) {
            Error("piece " + std::to_string(f.pieceIndex) + " without its first piece");
            return;
        }
    } else if (f.messageId != m_assembling.front().fields.messageId
        || f.pieceIndex != m_assembling.back().fields.pieceIndex + 1) {
        Error("piece " + std::to_string(f.pieceIndex) + " of message " + std::to_string(f.messageId)
            + " breaks message " + std::to_string(m_assembling.front().fields.messageId));
        m_assembling.clear();
        m_assembledBytes = 0;
        return;
    }
    m_assembledBytes += frame.piece.size();
    if (m_assembledBytes > kMaxAssembled) {
        Error("message larger than " + std::to_string(kMaxAssembled) + " bytes");
        m_assembling.clear();
        m_assembledBytes = 0;
        return;
    }
    bool last = f.lastPiece;
    m_assembling.push_back(std::move(frame));
    if (last)
        HandleMessage();
}

void ScriptedServer::Loop::HandleMessage()
{
    std::vector<ParsedFrame> frames;
    frames.swap(m_assembling);
    m_assembledBytes = 0;
    const FrameFields& first = frames.front().fields;
    if (first.messageId != m_expectedMessageId)
        Error("message id " + std::to_string(first.messageId) + ", expected " + std::to_string(m_expectedMessageId));
    m_expectedMessageId = first.messageId + 1;

    std::string coded;
    for (const ParsedFrame& f : frames)
        coded += f.piece;
    ReceivedRequest request;
    request.wireMessageId = first.messageId;
    request.expectsReply = first.expectsReply;
    for (ParsedFrame& f : frames)
        request.frames.push_back(std::move(f.raw));
    std::string plain, error;
    if (!DecodeStages(coded, m_options.stages.key, plain, error)
        || !DecodePlain(plain, request.message, error)) {
        Error("message " + std::to_string(request.wireMessageId) + ": " + error);
        return;
    }

    std::vector<Outgoing> answer;
    int delayMs = 0;
    std::function<void(const ReceivedRequest&)> observer;
    {
        std::lock_guard guard(m_server.m_lock);
        const ScriptedReply* rule = nullptr;
        if (auto it = m_server.m_replies.find(request.Id()); it != m_server.m_replies.end())
            rule = &it->second;
        else if (m_server.m_defaultReply)
            rule = &*m_server.m_defaultReply;
        if (request.expectsReply && rule && !rule->noAnswer) {
            Outgoing reply;
            reply.type = kFrameReply;
            reply.wireId = request.wireMessageId + static_cast<uint32_t>(rule->wireIdOffset);
            reply.message.head[1] = rule->code;
            reply.message.body = rule->body;
            answer.push_back(std::move(reply));
            delayMs = rule->delayMs;
        }
        auto range = m_server.m_pushAfter.equal_range(request.Id());
        for (auto it = range.first; it != range.second; ++it)
            answer.push_back(Outgoing { kFrameMessage, 0, it->second });
        observer = m_server.m_observer;
    }
    if (observer)
        observer(request);
    {
        std::lock_guard guard(m_server.m_lock);
        m_server.m_requests.push_back(std::move(request));
        m_server.m_changed.notify_all();
    }
    if (answer.empty())
        return;
    if (delayMs > 0) {
        m_delayed.emplace(Clock::now() + std::chrono::milliseconds(delayMs), std::move(answer));
    } else {
        for (const Outgoing& o : answer)
            SendMessage(o.type, o.wireId, o.message);
    }
}

void ScriptedServer::Loop::SendDue()
{
    auto now = Clock::now();
    while (!m_delayed.empty() && m_delayed.begin()->first <= now) {
        for (const Outgoing& o : m_delayed.begin()->second)
            SendMessage(o.type, o.wireId, o.message);
        m_delayed.erase(m_delayed.begin());
    }
}

void ScriptedServer::Loop::WriteClient()
{
    while (m_outOffset < m_out.size()) {
        platform::IoResult r = platform::SendSome(m_client.Fd(), m_out.data() + m_outOffset, m_out.size() - m_outOffset);
        if (r.status == platform::IoResult::kOk) {
            m_outOffset += r.bytes;
            continue;
        }
        if (r.status != platform::IoResult::kWouldBlock) {
            Disconnect();
        } else if (m_outOffset > (1u << 20)) {
            // Keep a long burst from growing the buffer without end.
            m_out.erase(0, m_outOffset);
            m_outOffset = 0;
        }
        return;
    }
    m_out.clear();
    m_outOffset = 0;
    if (m_closeAfterFlush)
        Disconnect();
}

void ScriptedServer::Loop::Run()
{
    for (;;) {
        std::deque<std::function<void(Loop&)>> commands;
        {
            std::lock_guard guard(m_server.m_lock);
            commands.swap(m_server.m_commands);
        }
        if (m_stopping)
            break;
        // Replies already due go out before later commands.
        if (m_client.Valid())
            SendDue();
        Hold(commands);
        bool held = !RunHeld();

        bool stalled = Stalled();
        if (m_client.Valid() && !stalled)
            WriteClient();
        {
            std::lock_guard guard(m_server.m_lock);
            bool flushed = m_out.empty() && m_delayed.empty() && m_held.empty() && m_server.m_commands.empty();
            if (flushed != m_server.m_flushed) {
                m_server.m_flushed = flushed;
                m_server.m_changed.notify_all();
            }
        }
        if (held && !OutputFull())
            continue; // the client took the batch at once: build the next

        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = { m_wake.Fd(), POLLIN, 0 };
        fds[count++] = { m_listener.Fd(), POLLIN, 0 };
        bool watchClient = m_client.Valid() && !stalled;
        if (watchClient)
            fds[count++] = { m_client.Fd(), static_cast<short>(POLLIN | (m_out.empty() ? 0 : POLLOUT)), 0 };

        int timeout = -1;
        auto now = Clock::now();
        auto until = [&](Clock::time_point t) {
            auto ms = std::chrono::ceil<std::chrono::milliseconds>(t - now).count();
            int value = ms < 0 ? 0 : static_cast<int>(ms);
            timeout = timeout < 0 ? value : std::min(timeout, value);
        };
        if (m_client.Valid() && !m_delayed.empty())
            until(m_delayed.begin()->first);
        if (stalled && !m_stalledForever)
            until(m_stallUntil);

        int ready = poll(fds, count, timeout);
        if (ready < 0)
            continue; // EINTR
        if (fds[0].revents & POLLIN) {
            // Commands first: one given before the client's next bytes (a
            // stall, say) must apply to them. The socket waits for the next
            // turn.
            m_wake.TryTake();
            continue;
        }
        if (fds[1].revents & POLLIN)
            Accept();
        else if (watchClient && fds[2].revents != 0 && m_client.Valid()) {
            if (fds[2].revents & POLLOUT)
                WriteClient();
            if (m_client.Valid() && (fds[2].revents & (POLLIN | POLLHUP | POLLERR)))
                ReadClient();
        }
    }
    Disconnect();
}

// --- ScriptedServer ---

ScriptedServer::ScriptedServer(ServerOptions options)
    : m_options(std::move(options))
{
}

ScriptedServer::~ScriptedServer()
{
    Stop();
}

bool ScriptedServer::Start()
{
    if (m_loop)
        return false;
    auto loop = std::make_unique<Loop>(*this);
    if (!loop->Listen())
        return false;
    Loop* running = loop.get();
    {
        std::lock_guard guard(m_lock);
        m_port = loop->Port();
        m_loop = std::move(loop);
    }
    try {
        m_thread = std::thread([running] { running->Run(); });
    } catch (const std::system_error&) {
        std::lock_guard guard(m_lock);
        m_loop.reset();
        return false;
    }
    return true;
}

void ScriptedServer::Stop()
{
    if (!m_loop)
        return;
    m_loop->RequestStop();
    if (m_thread.joinable())
        m_thread.join();
    std::unique_ptr<Loop> ended;
    std::lock_guard guard(m_lock);
    ended = std::move(m_loop);
    m_commands.clear();
    m_connected = false;
    m_flushed = true;
}

uint16_t ScriptedServer::Port() const
{
    std::lock_guard guard(m_lock);
    return m_port;
}

void ScriptedServer::SetReply(uint32_t requestId, ScriptedReply reply)
{
    std::lock_guard guard(m_lock);
    m_replies[requestId] = std::move(reply);
}

void ScriptedServer::SetNoAnswer(uint32_t requestId)
{
    ScriptedReply reply;
    reply.noAnswer = true;
    SetReply(requestId, std::move(reply));
}

void ScriptedServer::SetDefaultReply(std::optional<ScriptedReply> reply)
{
    std::lock_guard guard(m_lock);
    m_defaultReply = std::move(reply);
}

void ScriptedServer::AddPushAfter(uint32_t requestId, PlainMessage notification)
{
    std::lock_guard guard(m_lock);
    m_pushAfter.emplace(requestId, std::move(notification));
}

void ScriptedServer::AddPushOnHello(PlainMessage notification)
{
    std::lock_guard guard(m_lock);
    m_pushOnHello.push_back(std::move(notification));
}

void ScriptedServer::SetRequestObserver(std::function<void(const ReceivedRequest&)> observer)
{
    std::lock_guard guard(m_lock);
    m_observer = std::move(observer);
}

bool ScriptedServer::Enqueue(std::function<void(Loop&)> command)
{
    std::vector<std::function<void(Loop&)>> one;
    one.push_back(std::move(command));
    return Enqueue(std::move(one));
}

bool ScriptedServer::Enqueue(std::vector<std::function<void(Loop&)>> commands)
{
    {
        // All at once: commands given by other threads go before or after
        // them, never between.
        std::lock_guard guard(m_lock);
        if (!m_loop || !m_connected)
            return false;
        for (auto& command : commands)
            m_commands.push_back(std::move(command));
        m_flushed = false;
        m_loop->Wake();
    }
    return true;
}

bool ScriptedServer::Push(uint32_t notificationId, std::string body)
{
    PlainMessage m;
    m.head[1] = notificationId;
    m.body = std::move(body);
    return Push(m);
}

bool ScriptedServer::Push(const PlainMessage& notification)
{
    return Enqueue([notification](Loop& loop) { loop.SendMessage(kFrameMessage, 0, notification); });
}

bool ScriptedServer::PushBurst(uint32_t notificationId, std::string body, int count)
{
    PlainMessage m;
    m.head[1] = notificationId;
    m.body = std::move(body);
    // In batches, so that the first messages are written while the rest
    // are still to be built.
    std::vector<std::function<void(Loop&)>> batches;
    for (int done = 0; done < count; done += kBurstBatch) {
        int n = std::min(kBurstBatch, count - done);
        batches.push_back([m, n](Loop& loop) {
            for (int i = 0; i < n; ++i)
                loop.SendMessage(kFrameMessage, 0, m);
        });
    }
    return Enqueue(std::move(batches));
}

bool ScriptedServer::SendReply(uint32_t wireMessageId, uint32_t code, std::string body)
{
    PlainMessage m;
    m.head[1] = code;
    m.body = std::move(body);
    return Enqueue([wireMessageId, m](Loop& loop) { loop.SendMessage(kFrameReply, wireMessageId, m); });
}

bool ScriptedServer::SendRaw(std::string bytes)
{
    return Enqueue([bytes = std::move(bytes)](Loop& loop) { loop.SendRaw(bytes); });
}

bool ScriptedServer::CloseMidFrame(uint32_t notificationId, std::string body)
{
    PlainMessage m;
    m.head[1] = notificationId;
    m.body = std::move(body);
    return Enqueue([m](Loop& loop) { loop.CloseMidFrame(m); });
}

bool ScriptedServer::SendOversizeLength(uint32_t length)
{
    std::string bytes;
    PutU32(bytes, length);
    bytes.append(16, '\xAB');
    return SendRaw(std::move(bytes));
}

bool ScriptedServer::PushWithBadCrc(uint32_t notificationId, std::string body)
{
    PlainMessage m;
    m.head[1] = notificationId;
    m.body = std::move(body);
    return Enqueue([m](Loop& loop) { loop.PushWithBadCrc(m); });
}

bool ScriptedServer::CloseClient()
{
    return Enqueue([](Loop& loop) { loop.CloseAfterFlush(); });
}

void ScriptedServer::Stall(int ms)
{
    std::lock_guard guard(m_lock);
    if (!m_loop)
        return;
    m_commands.push_back([ms](Loop& loop) { loop.Stall(ms); });
    m_loop->Wake();
}

void ScriptedServer::Resume()
{
    std::lock_guard guard(m_lock);
    if (!m_loop)
        return;
    m_commands.push_back([](Loop& loop) { loop.Resume(); });
    m_loop->Wake();
}

std::vector<ReceivedRequest> ScriptedServer::Requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

size_t ScriptedServer::RequestCount() const
{
    std::lock_guard guard(m_lock);
    return m_requests.size();
}

std::string ScriptedServer::Hello() const
{
    std::lock_guard guard(m_lock);
    return m_hello;
}

std::vector<std::string> ScriptedServer::Errors() const
{
    std::lock_guard guard(m_lock);
    return m_errors;
}

int ScriptedServer::Connections() const
{
    std::lock_guard guard(m_lock);
    return m_connections;
}

bool ScriptedServer::ClientConnected() const
{
    std::lock_guard guard(m_lock);
    return m_connected;
}

template <class Pred>
bool ScriptedServer::WaitUntil(int timeoutMs, Pred pred) const
{
    std::unique_lock guard(m_lock);
    if (timeoutMs < 0) {
        m_changed.wait(guard, pred);
        return true;
    }
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), pred);
}

bool ScriptedServer::WaitForConnection(int count, int timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return m_connections >= count; });
}

bool ScriptedServer::WaitForHello(int timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return m_helloSeen; });
}

bool ScriptedServer::WaitForRequests(size_t count, int timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return m_requests.size() >= count; });
}

bool ScriptedServer::WaitForDisconnect(int timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return !m_connected; });
}

bool ScriptedServer::WaitForFlush(int timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return m_flushed && m_commands.empty(); });
}

} // namespace tools
