#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Polls one descriptor for the events until the deadline; true when ready.
bool PollUntil(int fd, short events, bool infinite, Clock::time_point deadline)
{
    for (;;) {
        int wait = -1;
        if (!infinite) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left < 0 ? 0 : static_cast<int>(left);
        }
        pollfd p { fd, events, 0 };
        int ready = poll(&p, 1, wait);
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

} // namespace

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.Release();
    }
    return *this;
}

Socket Socket::CreateTcp()
{
    return Socket(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
}

int Socket::Release()
{
    int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Socket::Close()
{
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool Socket::SetNonBlocking(bool on)
{
    if (m_fd < 0)
        return false;
    int flags = fcntl(m_fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(m_fd, F_SETFL, flags) == 0;
}

bool Socket::SetNoDelay(bool on)
{
    int value = on ? 1 : 0;
    return m_fd >= 0 && setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value) == 0;
}

std::optional<sockaddr_in> ParseIpv4(const std::string& host, uint16_t port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return std::nullopt;
    return address;
}

bool StartConnect(Socket& socket, const sockaddr_in& address, int* errorOut)
{
    if (!socket.SetNonBlocking(true)) {
        if (errorOut)
            *errorOut = socket.Valid() ? errno : EBADF;
        return false;
    }
    int rc;
    do {
        rc = connect(socket.Fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0 || errno == EINPROGRESS)
        return true;
    if (errorOut)
        *errorOut = errno;
    return false;
}

ConnectResult ConnectWithTimeout(Socket& socket, const sockaddr_in& address, int timeoutMs, int* errorOut)
{
    int error = 0;
    if (!StartConnect(socket, address, &error)) {
        if (errorOut)
            *errorOut = error;
        return ConnectResult::kFailed;
    }
    bool infinite = timeoutMs < 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    if (!PollUntil(socket.Fd(), POLLOUT, infinite, deadline)) {
        if (errorOut)
            *errorOut = ETIMEDOUT;
        return ConnectResult::kTimedOut;
    }
    socklen_t length = sizeof error;
    if (getsockopt(socket.Fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    if (errorOut)
        *errorOut = error;
    return error == 0 ? ConnectResult::kConnected : ConnectResult::kFailed;
}

IoResult SendSome(int fd, const void* data, size_t length)
{
    for (;;) {
        ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n >= 0)
            return { IoResult::kOk, static_cast<size_t>(n), 0 };
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return { IoResult::kWouldBlock, 0, errno };
        return { IoResult::kError, 0, errno };
    }
}

IoResult RecvSome(int fd, void* buffer, size_t capacity)
{
    for (;;) {
        ssize_t n = recv(fd, buffer, capacity, 0);
        if (n > 0)
            return { IoResult::kOk, static_cast<size_t>(n), 0 };
        if (n == 0)
            return { capacity == 0 ? IoResult::kOk : IoResult::kClosed, 0, 0 };
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return { IoResult::kWouldBlock, 0, errno };
        return { IoResult::kError, 0, errno };
    }
}

bool SendAllBlocking(int fd, const void* data, size_t length, int timeoutMs)
{
    bool infinite = timeoutMs < 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    auto* p = static_cast<const unsigned char*>(data);
    while (length > 0) {
        IoResult r = SendSome(fd, p, length);
        if (r.status == IoResult::kOk) {
            p += r.bytes;
            length -= r.bytes;
        } else if (r.status != IoResult::kWouldBlock || !PollUntil(fd, POLLOUT, infinite, deadline)) {
            return false;
        }
    }
    return true;
}

bool RecvExactBlocking(int fd, void* buffer, size_t length, int timeoutMs)
{
    bool infinite = timeoutMs < 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    auto* p = static_cast<unsigned char*>(buffer);
    while (length > 0) {
        // Wait first, so a blocking socket cannot hang past the deadline.
        if (!PollUntil(fd, POLLIN, infinite, deadline))
            return false;
        IoResult r = RecvSome(fd, p, length);
        if (r.status == IoResult::kOk) {
            p += r.bytes;
            length -= r.bytes;
        } else if (r.status != IoResult::kWouldBlock) {
            return false;
        }
    }
    return true;
}

Socket ListenTcp(const std::string& host, uint16_t port, int backlog)
{
    auto address = ParseIpv4(host, port);
    if (!address)
        return Socket();
    Socket s = Socket::CreateTcp();
    if (!s.Valid())
        return s;
    int on = 1;
    setsockopt(s.Fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(s.Fd(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
        || listen(s.Fd(), backlog) != 0)
        return Socket();
    return s;
}

uint16_t LocalPort(int fd)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sin_family != AF_INET)
        return 0;
    return ntohs(address.sin_port);
}

Socket AcceptTcp(int listenFd)
{
    for (;;) {
        int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0 || errno != EINTR)
            return Socket(fd);
    }
}

} // namespace platform
