#pragma once
// A socket that reaches its target through a proxy: SOCKS4, SOCKS4A,
// SOCKS5 (optionally with user name and password) or an HTTP/1.1 CONNECT
// tunnel (optionally with Basic credentials). The negotiation runs inside
// the socket's notifications; once the tunnel stands the socket behaves as
// a plain connected one and announces itself with a send notice.
//
// Everything runs on the thread that owns the socket.

#include "platform/AsyncSocket.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class Event;
}

namespace net {

enum ProxyType : int {
    kProxyNone = 0,
    kProxySocks4 = 1,
    kProxySocks4a = 2,
    kProxySocks5 = 3,
    kProxyHttp = 4,
};

enum ProxyError : int {
    kProxyOk = 0,
    kProxyUnreachable = 1, // the connect to the proxy failed at once
    kProxyRefused = 2, // a request could not be sent whole, a reply not read, or the proxy refused
    kProxySocks5BadVersion = 3,
    kProxySocks5BadMethod = 4,
    kProxySocks5AuthFailed = 5,
    kProxySocks5NeedsAuth = 6, // the proxy asks for credentials, none were set
    kProxySocks4Unresolved = 7, // SOCKS4 needs an address
};

class ProxySocket : public platform::AsyncSocket {
public:
    ProxySocket() = default;
    ~ProxySocket() override = default;

    void SetProxyType(int type);
    void SetProxy(int type, const std::string& proxyHost, int proxyPort);
    void SetProxyAuth(int type, const std::string& proxyHost, int proxyPort, const std::string& user,
        const std::string& password);
    int GetProxyError() const { return m_error; }

    void Close() override;
    // While a proxy operation is pending these refuse with EWOULDBLOCK.
    long Receive(void* buffer, size_t length) override;
    long Send(const void* data, size_t length) override;

    virtual int ConnectAddr(const sockaddr_in& target);
    virtual int Connect(const std::string& host, int port);
    virtual int AcceptConnection(platform::AsyncSocket& other);
    virtual int ListenViaProxy(const sockaddr_in& address);
    virtual int Listen();
    virtual void OnProxyError(int pendingOperation) = 0;
    virtual void OnProxyListening(uint32_t address, uint16_t port) = 0;

    // The Basic token of user ":" password.
    static std::string BasicToken(const std::string& user, const std::string& password);

protected:
    void OnConnect(int error) override;
    void OnReceive(int error) override;
    // The proxy hung up: a pending negotiation can never finish.
    void OnClose(int error) override;

private:
    enum Pending { kPendingNone = 0, kPendingConnect = 1, kPendingBind = 2 };

    bool ConnectToProxy();
    bool SendFirstRequest();
    bool SendWhole(const std::string& bytes);
    std::string Socks4Request() const;
    std::string Socks5Request() const;
    std::string HttpRequest() const;
    // Gathers the reply up to `total` bytes; false while more is needed
    // (or after an error, which *failed reports).
    bool Gather(size_t total, int readErrorCode, bool& failed);
    void Fail(int code);
    void ResetNegotiation();
    void Finish(); // the tunnel stands
    void OnSocks4Reply();
    void OnSocks5Reply();
    void OnHttpReply();

    std::string m_targetHost; // empty when the address is known
    std::string m_reply;
    std::string m_httpReply;
    int m_step = 0;
    int m_pending = kPendingNone;
    uint16_t m_targetPort = 0; // host order
    uint32_t m_targetAddress = 0; // network order; 0: send the name
    int m_error = kProxyOk;
    int m_type = kProxyNone;
    std::string m_proxyHost;
    int m_proxyPort = 0;
    std::string m_user;
    std::string m_password;
    bool m_hasCredentials = false;
};

// The proxy socket with a blocking connect that keeps the calling thread's
// messages flowing while it waits.
class ProxyConnectSocket : public ProxySocket {
public:
    ProxyConnectSocket();
    ~ProxyConnectSocket() override;

    void OnProxyError(int) override { }
    void OnProxyListening(uint32_t, uint16_t) override { }

    // 1 when the tunnel stands within timeoutSec (one deadline for the whole
    // negotiation), 0 otherwise (the socket is then closed). A null user
    // means no credentials. A quit message taken while waiting ends the wait
    // with 0 and is posted again for the thread's own loop.
    virtual int ConnectWithTimeout(const std::string& host, int port, int proxyType, const std::string& proxyHost,
        int proxyPort, const char* user, const char* password, int timeoutSec);

protected:
    void OnSend(int error) override;
    // The connect to the proxy failed: nothing more can come.
    void OnConnect(int error) override;

private:
    std::unique_ptr<platform::Event> m_event;
    int m_sendNotices = 0;
    bool m_connectFailed = false;
};

} // namespace net
