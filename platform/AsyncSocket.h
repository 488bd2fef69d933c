#pragma once
// A non-blocking TCP socket that reports what happens to it as
// notifications (connect, receive, send, accept, close), like the
// asynchronous sockets of a window system. The thread that owns it polls
// PollEvents() together with whatever else it waits for and passes the
// result to HandleReady(), which calls the notifications on that thread.
//
// Receive notices are level-like: they come again on the next turn while
// data waits. A send notice comes once when a connect completes, and once
// again each time the socket becomes writable after a send that would block.

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

namespace platform {

class AsyncSocket {
public:
    AsyncSocket() = default;
    virtual ~AsyncSocket();
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    // A new non-blocking TCP socket; false when none can be made.
    bool Create();
    bool IsOpen() const { return m_fd >= 0; }
    int Handle() const { return m_fd; }
    // Takes over a handle (made non-blocking), closing any held one.
    void Attach(int fd, bool connected);
    // Gives up the handle, which the caller then owns.
    int Detach();

    // Starts a connect. 1 when connected at once; 0 with LastError()
    // EWOULDBLOCK while it is in progress (OnConnect tells the outcome), or
    // another errno when it failed at once.
    int ConnectTo(const sockaddr_in& address);
    int Listen(int backlog);
    // Accepts one waiting connection into other; false when none.
    bool Accept(AsyncSocket& other);

    // One send or receive: bytes moved, 0 for a closed peer (Receive), or -1
    // with LastError() (EWOULDBLOCK when it would block).
    virtual long Send(const void* data, size_t length);
    virtual long Receive(void* buffer, size_t length);
    virtual void Close();
    int LastError() const { return m_lastError; }
    void SetLastError(int error) { m_lastError = error; }

    // The poll events the socket waits for now (0 when closed).
    short PollEvents() const;
    // Turns poll's result into notifications.
    void HandleReady(short revents);

protected:
    virtual void OnConnect(int error) { (void)error; }
    virtual void OnReceive(int error) { (void)error; }
    virtual void OnSend(int error) { (void)error; }
    virtual void OnAccept(int error) { (void)error; }
    virtual void OnClose(int error) { (void)error; }

private:
    int m_fd = -1;
    int m_lastError = 0;
    bool m_connecting = false;
    bool m_listening = false;
    bool m_writeArmed = false;
    bool m_closeReported = false;
};

} // namespace platform
