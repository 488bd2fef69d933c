#include "platform/SocketNotifier.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

int SocketError(int fd)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

int BytesWaiting(int fd)
{
    int count = 0;
    return ioctl(fd, FIONREAD, &count) == 0 ? count : 0;
}

constexpr int kMessagesPerTurn = 64;

} // namespace

SocketNotifier::SocketNotifier(int socketFd, SocketHandler& handler, bool connectPending)
    : m_fd(socketFd)
    , m_handler(handler)
    , m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    , m_connectPending(connectPending)
{
}

SocketNotifier::~SocketNotifier()
{
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void SocketNotifier::ArmWrite()
{
    m_writeArmed.store(true);
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_wakeFd, &one, sizeof one);
}

IoResult SocketNotifier::Send(const void* data, size_t length)
{
    IoResult r = SendSome(m_fd, data, length);
    if (r.status == IoResult::kWouldBlock)
        ArmWrite();
    return r;
}

void SocketNotifier::HandleSocket(short revents)
{
    bool hangup = revents & (POLLHUP | POLLRDHUP | POLLERR);
    if (m_connectPending) {
        m_connectPending = false;
        int error = SocketError(m_fd);
        m_handler.OnConnect(error);
        if (error != 0) {
            m_closed = true;
            m_writeArmed.store(false);
        }
        return; // the write notice follows on the next turn
    }
    if (m_closed) {
        // Only a write notice is still wanted: a sender waiting for it
        // learns from its next send that the link is gone.
        if (m_writeArmed.exchange(false))
            m_handler.OnWrite();
        return;
    }
    // Taken before the handler reads: a failing recv would consume it.
    int error = (revents & POLLERR) ? SocketError(m_fd) : 0;
    if ((revents & POLLOUT) && m_writeArmed.exchange(false))
        m_handler.OnWrite();
    if (revents & POLLIN) {
        if (!hangup || BytesWaiting(m_fd) > 0)
            m_handler.OnRead();
    }
    // The close notice waits until what the peer sent before closing has
    // been read (a failed link has nothing more to give).
    if (hangup && (error != 0 || BytesWaiting(m_fd) == 0)) {
        m_closed = true;
        m_handler.OnClose(error);
    }
}

int SocketNotifier::Run(MessageQueue& queue)
{
    if (m_wakeFd < 0)
        return -1;
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = { queue.WakeFd(), POLLIN, 0 };
        fds[count++] = { m_wakeFd, POLLIN, 0 };
        short events = 0;
        if (m_connectPending)
            events = POLLOUT;
        else if (!m_closed)
            events = POLLIN | POLLRDHUP | (m_writeArmed.load() ? POLLOUT : 0);
        else if (m_writeArmed.load())
            events = POLLOUT;
        bool watchSocket = events != 0;
        if (watchSocket)
            fds[count++] = { m_fd, events, 0 };

        int ready = poll(fds, count, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t value = 0;
            [[maybe_unused]] ssize_t n = read(m_wakeFd, &value, sizeof value);
        }
        if (watchSocket && fds[2].revents != 0)
            HandleSocket(fds[2].revents);
        // Messages after the socket, a bounded batch per turn, so a flood
        // of posts cannot starve the socket (and the reverse).
        Message m;
        for (int taken = 0; taken < kMessagesPerTurn && queue.Peek(m, PeekMode::kRemove); ++taken) {
            if (m.message == kQuitMessage)
                return static_cast<int>(static_cast<intptr_t>(m.wParam));
            m_handler.OnMessage(m);
        }
    }
}

} // namespace platform
