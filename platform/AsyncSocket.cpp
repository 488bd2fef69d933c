#include "platform/AsyncSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

AsyncSocket::~AsyncSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool AsyncSocket::Create()
{
    AsyncSocket::Close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (m_fd < 0)
        m_lastError = errno;
    return m_fd >= 0;
}

void AsyncSocket::Attach(int fd, bool connected)
{
    AsyncSocket::Close();
    m_fd = fd;
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    m_writeArmed = connected; // a usable socket announces itself once
}

int AsyncSocket::Detach()
{
    int fd = m_fd;
    m_fd = -1;
    m_connecting = m_listening = m_writeArmed = m_closeReported = false;
    return fd;
}

int AsyncSocket::ConnectTo(const sockaddr_in& address)
{
    if (m_fd < 0) {
        m_lastError = EBADF;
        return 0;
    }
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        m_writeArmed = true;
        return 1;
    }
    if (errno == EINPROGRESS) {
        m_connecting = true;
        m_lastError = EWOULDBLOCK;
        return 0;
    }
    m_lastError = errno;
    return 0;
}

int AsyncSocket::Listen(int backlog)
{
    if (m_fd < 0 || ::listen(m_fd, backlog) != 0) {
        m_lastError = m_fd < 0 ? EBADF : errno;
        return 0;
    }
    m_listening = true;
    return 1;
}

bool AsyncSocket::Accept(AsyncSocket& other)
{
    int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        m_lastError = errno;
        return false;
    }
    other.Attach(fd, true);
    return true;
}

long AsyncSocket::Send(const void* data, size_t length)
{
    ssize_t n;
    do {
        n = ::send(m_fd, data, length, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        m_lastError = errno == EAGAIN ? EWOULDBLOCK : errno;
        if (m_lastError == EWOULDBLOCK)
            m_writeArmed = true;
    }
    return static_cast<long>(n);
}

long AsyncSocket::Receive(void* buffer, size_t length)
{
    ssize_t n;
    do {
        n = ::recv(m_fd, buffer, length, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        m_lastError = errno == EAGAIN ? EWOULDBLOCK : errno;
    return static_cast<long>(n);
}

void AsyncSocket::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_connecting = m_listening = m_writeArmed = m_closeReported = false;
}

short AsyncSocket::PollEvents() const
{
    if (m_fd < 0)
        return 0;
    if (m_connecting)
        return POLLOUT;
    short events = 0;
    if (!m_closeReported)
        events |= POLLIN | POLLRDHUP;
    if (m_writeArmed)
        events |= POLLOUT;
    return events;
}

void AsyncSocket::HandleReady(short revents)
{
    if (m_fd < 0 || revents == 0)
        return;
    if (m_connecting) {
        m_connecting = false;
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length);
        OnConnect(error);
        if (error == 0 && m_fd >= 0)
            OnSend(0); // the connection stands: it can take data
        return;
    }
    if (m_listening) {
        if (revents & POLLIN)
            OnAccept(0);
        return;
    }
    if ((revents & POLLOUT) && m_writeArmed) {
        m_writeArmed = false;
        OnSend(0);
        if (m_fd < 0)
            return;
    }
    int waiting = 0;
    ioctl(m_fd, FIONREAD, &waiting);
    if ((revents & POLLIN) && (waiting > 0 || !(revents & (POLLHUP | POLLRDHUP | POLLERR)))) {
        OnReceive(0);
        return; // the close notice waits until the data has been read
    }
    if (!m_closeReported && (revents & (POLLHUP | POLLRDHUP | POLLERR))) {
        m_closeReported = true;
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length);
        OnClose(error);
    }
}

} // namespace platform
