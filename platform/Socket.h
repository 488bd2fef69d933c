#pragma once
// TCP sockets over POSIX: an owning handle and the few blocking and
// non-blocking steps the network code needs. IPv4 only, as the system's
// addresses are.

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class Socket {
public:
    Socket() = default;
    explicit Socket(int fd)
        : m_fd(fd)
    {
    }
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept
        : m_fd(other.Release())
    {
    }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A new TCP socket (close-on-exec, blocking); invalid on failure.
    static Socket CreateTcp();

    bool Valid() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // Gives up ownership; the handle becomes invalid.
    int Release();
    void Close();

    bool SetNonBlocking(bool on);
    // Turns Nagle's delay off, so a small frame leaves at once even while
    // an earlier one (the hello) waits for its acknowledgement.
    bool SetNoDelay(bool on);

private:
    int m_fd = -1;
};

// A dotted IPv4 address and a port; nullopt when the text is no address.
std::optional<sockaddr_in> ParseIpv4(const std::string& host, uint16_t port);

enum class ConnectResult { kConnected, kFailed, kTimedOut };

// Connects with a time-out: the socket is made non-blocking, the connect
// started, and the socket polled for writability for at most timeoutMs;
// the outcome is then read from SO_ERROR (writability alone also comes with
// a refused connect). The socket stays non-blocking. errorOut (optional)
// gets the errno of a failure (ETIMEDOUT for the time-out).
ConnectResult ConnectWithTimeout(Socket& socket, const sockaddr_in& address, int timeoutMs, int* errorOut = nullptr);

// Starts a connect without waiting (non-blocking socket): true when it
// completed at once or is in progress; the outcome then comes as a connect
// notice (SocketNotifier).
bool StartConnect(Socket& socket, const sockaddr_in& address, int* errorOut = nullptr);

struct IoResult {
    enum Status { kOk, kWouldBlock, kClosed, kError };
    Status status = kError;
    size_t bytes = 0; // transferred, for kOk
    int error = 0;    // errno, for kError
};

// One send or recv call (EINTR retried; never raises SIGPIPE). A recv of
// 0 bytes from a closed peer is kClosed.
IoResult SendSome(int fd, const void* data, size_t length);
IoResult RecvSome(int fd, void* buffer, size_t capacity);

// Blocking helpers for tests and tools: loop until all bytes went, or
// timeoutMs passed (kInfinite: none), or the peer closed / failed.
bool SendAllBlocking(int fd, const void* data, size_t length, int timeoutMs);
// Reads exactly length bytes; false on close, error or time-out.
bool RecvExactBlocking(int fd, void* buffer, size_t length, int timeoutMs);

// A listening socket bound to host:port (port 0: the system picks one).
Socket ListenTcp(const std::string& host, uint16_t port, int backlog);
// The local port of a bound socket, 0 on failure.
uint16_t LocalPort(int fd);
// Accepts one connection (blocking unless the listener is non-blocking);
// invalid when none.
Socket AcceptTcp(int listenFd);

} // namespace platform
