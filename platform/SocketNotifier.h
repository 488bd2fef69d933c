#pragma once
// The network thread's wait: one poll over a socket and the thread's message
// queue, turned into connect/read/write/close notices and handed messages.
// Nothing runs while nothing happens.

#include "platform/MessageQueue.h"
#include "platform/Socket.h"

#include <atomic>

namespace platform {

// Receives the notices, all on the thread that runs SocketNotifier::Run.
class SocketHandler {
public:
    virtual ~SocketHandler() = default;
    // The connect started with StartConnect finished; error 0 on success,
    // else the errno (ECONNREFUSED...). After a failed connect no further
    // socket notices come.
    virtual void OnConnect(int error) = 0;
    // Data (or the end of the stream) is waiting. Level-like: repeated while
    // unread data remains, so the handler reads until kWouldBlock.
    virtual void OnRead() = 0;
    // The socket can take data: once when the connection stands, then once
    // each time it becomes writable again after ArmWrite (a send that would
    // block).
    virtual void OnWrite() = 0;
    // The peer closed (error 0) or the link failed (errno). Once, after the
    // data still buffered has been offered through OnRead.
    virtual void OnClose(int error) = 0;
    // Any message other than quit taken from the thread's queue. The handler
    // owns whatever it carries (the disposer is not called).
    virtual void OnMessage(const Message& message) = 0;
};

class SocketNotifier {
public:
    // socketFd is not owned and must stay open until Run has returned and no
    // thread calls Send any more; handler is not owned. connectPending: the
    // socket's connect is in progress (StartConnect) and its outcome comes as
    // OnConnect. The notifier can be made before its thread starts, so
    // senders on other threads can reach it for the whole connection.
    SocketNotifier(int socketFd, SocketHandler& handler, bool connectPending = false);
    ~SocketNotifier();
    SocketNotifier(const SocketNotifier&) = delete;
    SocketNotifier& operator=(const SocketNotifier&) = delete;

    // False when the notifier could not make its wake descriptor.
    bool Valid() const { return m_wakeFd >= 0; }

    // Runs on the thread that owns queue until a quit message is taken from
    // it; returns its exit code (-1 when the wait itself fails). Run once.
    int Run(MessageQueue& queue);

    // Any thread: ask for one OnWrite when the socket is writable (again).
    void ArmWrite();
    // Any thread: one send; a send that would block arms the write notice,
    // so the caller can wait for it and retry.
    IoResult Send(const void* data, size_t length);

private:
    void HandleSocket(short revents);

    int m_fd;
    SocketHandler& m_handler; // not owned
    int m_wakeFd = -1;
    std::atomic<bool> m_writeArmed { true }; // the first OnWrite comes unasked
    bool m_connectPending;
    bool m_closed = false; // close or failed connect reported
};

} // namespace platform
