#pragma once
// A scripted game server for tests and demos: a real peer of the game link
// on a loopback port, written independently of the client's network code.
// It takes the client's raw hello without answering, reads request frames,
// answers them from a script (per request id: reply code and body, a delay,
// or no answer), pushes notifications on demand, records every request with
// its bytes, and injects faults on demand.
//
// One client at a time: a new connection replaces the current one. The
// server runs its own thread; every public operation may be called from any
// thread. Commands that send (pushes, faults, raw bytes) go out in the order
// they were given, after any reply already due.

#include "tools/wire/WireCodec.h"
#include "tools/wire/WireFrames.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tools {

struct ServerOptions {
    std::string host = "127.0.0.1";
    uint16_t port = 0; // 0: the system picks one (see Port())
    StageOptions stages; // key, cipher on, zip off
    bool crcOnSend = true;
    bool expectHello = true;
    uint32_t maxChunk = kMaxChunk;
};

// How the server answers one request id.
struct ScriptedReply {
    uint32_t code = 0; // head word 1 of the reply
    std::string body;
    int delayMs = 0;
    bool noAnswer = false;
    // Added to the request's wire message id in the reply frames: -1 sends a
    // stale id, +1 one that was never asked for.
    int32_t wireIdOffset = 0;
};

// A request (any type-1 message) as received.
struct ReceivedRequest {
    PlainMessage message; // head (word 1: request id) and body
    uint32_t wireMessageId = 0;
    bool expectsReply = false;
    std::vector<std::string> frames; // raw frame bytes, L included
    uint32_t Id() const { return message.Id(); }
};

class ScriptedServer {
public:
    explicit ScriptedServer(ServerOptions options = {});
    ~ScriptedServer(); // Stop()
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // Listens and starts the server thread; false when the port cannot be
    // bound or the thread cannot start.
    bool Start();
    void Stop();
    uint16_t Port() const;

    // --- script ---
    void SetReply(uint32_t requestId, ScriptedReply reply);
    void SetNoAnswer(uint32_t requestId);
    // For request ids without their own entry (none: no answer).
    void SetDefaultReply(std::optional<ScriptedReply> reply);
    // Notifications pushed right after the reply to requestId (or after the
    // request itself when it gets no answer).
    void AddPushAfter(uint32_t requestId, PlainMessage notification);
    // Notifications pushed to every client as soon as its hello arrived.
    void AddPushOnHello(PlainMessage notification);
    // Called on the server thread for every request received.
    void SetRequestObserver(std::function<void(const ReceivedRequest&)> observer);

    // --- pushes and faults (false: no client connected) ---
    bool Push(uint32_t notificationId, std::string body);
    bool Push(const PlainMessage& notification);
    // count copies of one notification in one command (for bursts).
    bool PushBurst(uint32_t notificationId, std::string body, int count);
    // A whole reply to an arbitrary wire message id (stale, unexpected...).
    bool SendReply(uint32_t wireMessageId, uint32_t code, std::string body);
    // Raw bytes as they are (garbage, hand-made frames).
    bool SendRaw(std::string bytes);
    // The first half of a notification frame, then the connection closes.
    bool CloseMidFrame(uint32_t notificationId, std::string body);
    // A length word of the given value and a few bytes after it.
    bool SendOversizeLength(uint32_t length);
    // A notification whose frame says it has a CRC, with a wrong one.
    bool PushWithBadCrc(uint32_t notificationId, std::string body);
    // Closes the connection after what is queued has gone out.
    bool CloseClient();
    // Stops reading and writing for ms (kForever: until Resume); commands
    // queue up meanwhile.
    static constexpr int kForever = -1;
    void Stall(int ms);
    void Resume();

    // --- observations ---
    std::vector<ReceivedRequest> Requests() const;
    size_t RequestCount() const;
    std::string Hello() const; // the last client's hello bytes
    // Protocol errors seen in what the client sent (empty when all was well).
    std::vector<std::string> Errors() const;
    int Connections() const; // accepted so far
    bool ClientConnected() const;

    bool WaitForConnection(int count, int timeoutMs) const;
    bool WaitForHello(int timeoutMs) const;
    bool WaitForRequests(size_t count, int timeoutMs) const;
    bool WaitForDisconnect(int timeoutMs) const;
    // Until everything queued to the client has been written.
    bool WaitForFlush(int timeoutMs) const;

private:
    class Loop;
    using Clock = std::chrono::steady_clock;

    bool Enqueue(std::function<void(Loop&)> command);
    bool Enqueue(std::vector<std::function<void(Loop&)>> commands);
    template <class Pred> bool WaitUntil(int timeoutMs, Pred pred) const;

    ServerOptions m_options;
    std::unique_ptr<Loop> m_loop;
    std::thread m_thread;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    // Guarded by m_lock:
    std::map<uint32_t, ScriptedReply> m_replies;
    std::optional<ScriptedReply> m_defaultReply;
    std::multimap<uint32_t, PlainMessage> m_pushAfter;
    std::vector<PlainMessage> m_pushOnHello;
    std::function<void(const ReceivedRequest&)> m_observer;
    std::deque<std::function<void(Loop&)>> m_commands;
    std::vector<ReceivedRequest> m_requests;
    std::vector<std::string> m_errors;
    std::string m_hello;
    bool m_helloSeen = false;
    bool m_connected = false;
    int m_connections = 0;
    bool m_flushed = true;
    uint16_t m_port = 0;

    friend class Loop;
};

} // namespace tools
