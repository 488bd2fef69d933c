#include "net/ProxySocket.h"

#include "net/Base64Codec.h"
#include "net/SocketHelpers.h"

#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/MessageDispatch.h"
#include "platform/MessageQueue.h"
#include "platform/Bytes.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace net {

namespace {

// The one-byte length fields of SOCKS5 cannot carry more.
constexpr size_t kMaxSocksField = 255;
// An HTTP proxy's reply head longer than this is not a reply we can use.
constexpr size_t kMaxHttpReply = 8192;

void AppendU16(std::string& out, uint16_t hostOrder)
{
    out += static_cast<char>(hostOrder >> 8);
    out += static_cast<char>(hostOrder & 0xFF);
}

void AppendAddress(std::string& out, uint32_t networkOrder)
{
    out.append(reinterpret_cast<const char*>(&networkOrder), 4);
}

} // namespace

// ---- settings --------------------------------------------------------------

void ProxySocket::SetProxyType(int type)
{
    m_type = type;
    m_hasCredentials = false;
}

void ProxySocket::SetProxy(int type, const std::string& proxyHost, int proxyPort)
{
    m_type = type;
    m_proxyHost = proxyHost;
    m_proxyPort = proxyPort;
    m_hasCredentials = false;
}

void ProxySocket::SetProxyAuth(int type, const std::string& proxyHost, int proxyPort, const std::string& user,
    const std::string& password)
{
    SetProxy(type, proxyHost, proxyPort);
    m_user = user;
    m_password = password;
    m_hasCredentials = true;
}

std::string ProxySocket::BasicToken(const std::string& user, const std::string& password)
{
    std::string joined = user + ":" + password;
    std::vector<uint8_t> encoded;
    Base64Codec().EncodeBytes(std::vector<uint8_t>(joined.begin(), joined.end()), encoded);
    return std::string(encoded.begin(), encoded.end());
}

// ---- plain socket operations ----------------------------------------------

void ProxySocket::Close()
{
    m_reply.clear();
    m_httpReply.clear();
    ResetNegotiation();
    AsyncSocket::Close();
}

long ProxySocket::Receive(void* buffer, size_t length)
{
    if (m_pending != kPendingNone) {
        SetLastError(EWOULDBLOCK);
        return -1;
    }
    return AsyncSocket::Receive(buffer, length);
}

long ProxySocket::Send(const void* data, size_t length)
{
    if (m_pending != kPendingNone) {
        SetLastError(EWOULDBLOCK);
        return -1;
    }
    return AsyncSocket::Send(data, length);
}

int ProxySocket::Listen()
{
    return AsyncSocket::Listen(5);
}

int ProxySocket::AcceptConnection(platform::AsyncSocket& other)
{
    if (m_type == kProxyNone)
        return Accept(other) ? 1 : 0;
    // Through a proxy the negotiated socket itself is the accepted one.
    other.Attach(Detach(), true);
    return 1;
}

// ---- starting an operation ---------------------------------------------------

bool ProxySocket::ConnectToProxy()
{
    sockaddr_in proxy {};
    if (m_proxyPort < 0 || m_proxyPort > 65535
        || !ResolveAddress(m_proxyHost, static_cast<uint16_t>(m_proxyPort), proxy)) {
        m_error = kProxyUnreachable;
        SetLastError(EINVAL);
        return false;
    }
    if (!ConnectTo(proxy) && LastError() != EWOULDBLOCK) {
        m_error = kProxyUnreachable;
        return false;
    }
    return true;
}

int ProxySocket::Connect(const std::string& host, int port)
{
    m_error = kProxyOk;
    if (port < 0 || port > 65535) {
        SetLastError(EINVAL);
        return 0;
    }
    if (m_type == kProxySocks5 && m_hasCredentials
        && (m_user.size() > kMaxSocksField || m_password.size() > kMaxSocksField)) {
        // They cannot be sent: fail before anything reaches the proxy.
        m_error = kProxySocks5AuthFailed;
        SetLastError(EINVAL);
        return 0;
    }
    if (m_type == kProxySocks5 || m_type == kProxySocks4a) {
        if (host.size() > kMaxSocksField) {
            m_error = kProxyRefused;
            SetLastError(EINVAL);
            return 0;
        }
    }
    sockaddr_in target {};
    bool resolved = ResolveAddress(host, static_cast<uint16_t>(port), target) != 0;
    if (m_type == kProxyNone)
        return resolved ? ConnectTo(target) : (SetLastError(EINVAL), 0);
    if (!resolved) {
        if (m_type == kProxySocks4) {
            m_error = kProxySocks4Unresolved;
            SetLastError(EINVAL);
            return 0;
        }
        // The proxy resolves the name.
        if (!ConnectToProxy())
            return 0;
        m_targetHost = host;
        m_targetAddress = 0;
        m_targetPort = static_cast<uint16_t>(port);
        m_pending = kPendingConnect;
        m_step = 0;
        return 1;
    }
    int result = ConnectAddr(target);
    m_targetHost = host; // the HTTP request names the host as given
    return result;
}

int ProxySocket::ConnectAddr(const sockaddr_in& target)
{
    if (m_type == kProxyNone)
        return ConnectTo(target);
    if (!ConnectToProxy())
        return 0;
    m_targetAddress = target.sin_addr.s_addr;
    m_targetPort = ntohs(target.sin_port);
    m_targetHost.clear();
    m_pending = kPendingConnect;
    m_step = 0;
    SetLastError(EWOULDBLOCK);
    return 0;
}

int ProxySocket::ListenViaProxy(const sockaddr_in& address)
{
    if (!ConnectToProxy())
        return 0;
    m_targetPort = 0;
    m_targetAddress = address.sin_addr.s_addr;
    m_targetHost.clear();
    m_pending = kPendingBind;
    m_step = 0;
    return 1;
}

// ---- requests ----------------------------------------------------------------

std::string ProxySocket::Socks4Request() const
{
    std::string r;
    r += '\x04';
    r += static_cast<char>(m_pending == kPendingBind ? 2 : 1);
    AppendU16(r, m_targetPort);
    if (m_targetAddress == 0) {
        AppendAddress(r, htonl(0x00000001)); // 0.0.0.1: the name follows
        r += '\0'; // empty user id
        r += m_targetHost;
        r += '\0';
    } else {
        AppendAddress(r, m_targetAddress);
        r += '\0';
    }
    return r;
}

std::string ProxySocket::Socks5Request() const
{
    std::string r;
    r += '\x05';
    r += static_cast<char>(m_pending == kPendingBind ? 2 : 1);
    r += '\0';
    if (m_targetAddress == 0) {
        r += '\x03';
        r += static_cast<char>(m_targetHost.size());
        r += m_targetHost;
    } else {
        r += '\x01';
        AppendAddress(r, m_targetAddress);
    }
    AppendU16(r, m_targetPort);
    return r;
}

std::string ProxySocket::HttpRequest() const
{
    std::string host = m_targetHost;
    if (host.empty()) {
        char dotted[INET_ADDRSTRLEN] = {};
        in_addr a { m_targetAddress };
        inet_ntop(AF_INET, &a, dotted, sizeof dotted);
        host = dotted;
    }
    // Built whole: a fixed line buffer would cut a long host name and the
    // line ends with it, and the proxy would get a malformed request.
    const std::string target = host + ':' + std::to_string(m_targetPort);
    std::string r = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n";
    if (m_hasCredentials) {
        std::string token = BasicToken(m_user, m_password);
        r += "Authorization: Basic " + token + "\r\n";
        r += "Proxy-Authorization: Basic " + token + "\r\n";
    }
    r += "\r\n";
    return r;
}

bool ProxySocket::SendWhole(const std::string& bytes)
{
    return AsyncSocket::Send(bytes.data(), bytes.size()) == static_cast<long>(bytes.size());
}

bool ProxySocket::SendFirstRequest()
{
    switch (m_type) {
    case kProxySocks4:
    case kProxySocks4a:
        return SendWhole(Socks4Request());
    case kProxySocks5:
        return SendWhole(m_hasCredentials ? std::string("\x05\x02\x02\x00", 4) : std::string("\x05\x01\x00", 3));
    case kProxyHttp:
        return SendWhole(HttpRequest());
    default:
        return false;
    }
}

// ---- negotiation -------------------------------------------------------------

void ProxySocket::ResetNegotiation()
{
    m_pending = kPendingNone;
    m_step = 0;
}

void ProxySocket::Fail(int code)
{
    int pending = m_pending;
    m_error = code;
    Close();
    OnProxyError(pending);
}

void ProxySocket::Finish()
{
    m_reply.clear();
    m_httpReply.clear();
    ResetNegotiation();
    OnSend(0); // announce the usable connection
}

void ProxySocket::OnConnect(int error)
{
    AsyncSocket::OnConnect(error);
    if (error) {
        ResetNegotiation();
        return;
    }
    if (m_pending == kPendingNone || m_step != 0)
        return;
    m_reply.clear();
    m_httpReply.clear();
    if (!SendFirstRequest()) {
        Fail(kProxyRefused);
        return;
    }
    m_step = 1;
}

void ProxySocket::OnClose(int error)
{
    AsyncSocket::OnClose(error);
    if (m_pending != kPendingNone)
        Fail(kProxyRefused);
}

bool ProxySocket::Gather(size_t total, int readErrorCode, bool& failed)
{
    failed = false;
    while (m_reply.size() < total) {
        char buffer[64];
        size_t want = std::min(sizeof buffer, total - m_reply.size());
        long n = AsyncSocket::Receive(buffer, want);
        if (n > 0) {
            m_reply.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && LastError() == EWOULDBLOCK)
            return false; // the rest comes with a later notice
        failed = true;
        Fail(readErrorCode);
        return false;
    }
    return true;
}

void ProxySocket::OnReceive(int error)
{
    AsyncSocket::OnReceive(error);
    if (m_pending == kPendingNone)
        return;
    if (m_step == 0) {
        Fail(kProxyRefused);
        return;
    }
    switch (m_type) {
    case kProxySocks4:
    case kProxySocks4a:
        OnSocks4Reply();
        break;
    case kProxySocks5:
        OnSocks5Reply();
        break;
    case kProxyHttp:
        OnHttpReply();
        break;
    default:
        Fail(kProxyRefused);
    }
}

void ProxySocket::OnSocks4Reply()
{
    bool failed;
    if (!Gather(8, kProxyRefused, failed))
        return;
    if (m_reply[0] != 0 || static_cast<uint8_t>(m_reply[1]) != 90) {
        Fail(kProxyRefused);
        return;
    }
    if (m_pending == kPendingConnect) {
        Finish();
        return;
    }
    if (m_step == 1) {
        // Bind: the proxy listens for us at the address it names.
        m_step = 2;
        uint32_t address;
        std::memcpy(&address, m_reply.data() + 4, 4);
        if (address == 0) {
            sockaddr_in peer {};
            socklen_t length = sizeof peer;
            getpeername(Handle(), reinterpret_cast<sockaddr*>(&peer), &length);
            address = peer.sin_addr.s_addr;
        }
        uint16_t port = platform::LoadBe16(reinterpret_cast<const uint8_t*>(m_reply.data()) + 2);
        m_reply.clear();
        OnProxyListening(address, port);
        return;
    }
    m_reply.clear();
    ResetNegotiation();
    OnAccept(0);
}

void ProxySocket::OnSocks5Reply()
{
    bool failed;
    switch (m_step) {
    case 1: {
        if (!Gather(2, kProxyRefused, failed))
            return;
        if (m_reply[0] != 5) {
            Fail(kProxySocks5BadVersion);
            return;
        }
        uint8_t method = static_cast<uint8_t>(m_reply[1]);
        m_reply.clear();
        if (method == 0) {
            if (!SendWhole(Socks5Request())) {
                Fail(kProxyRefused);
                return;
            }
            m_step = 3;
        } else if (method == 2) {
            if (!m_hasCredentials) {
                Fail(kProxySocks5NeedsAuth);
                return;
            }
            std::string auth;
            auth += '\x01';
            auth += static_cast<char>(m_user.size());
            auth += m_user;
            auth += static_cast<char>(m_password.size());
            auth += m_password;
            if (!SendWhole(auth)) {
                Fail(kProxyRefused);
                return;
            }
            m_step = 2;
        } else {
            Fail(kProxySocks5BadMethod);
        }
        return;
    }
    case 2:
        if (!Gather(2, kProxySocks5AuthFailed, failed))
            return;
        if (m_reply[1] != 0) {
            Fail(kProxySocks5AuthFailed);
            return;
        }
        m_reply.clear();
        if (!SendWhole(Socks5Request())) {
            Fail(kProxyRefused);
            return;
        }
        m_step = 3;
        return;
    case 3: {
        if (!Gather(5, kProxyRefused, failed))
            return;
        if (m_reply[0] != 5 || m_reply[1] != 0) {
            Fail(kProxyRefused);
            return;
        }
        size_t total;
        switch (m_reply[3]) {
        case 1: total = 10; break; // IPv4
        case 3: total = 7 + static_cast<uint8_t>(m_reply[4]); break; // name
        case 4: total = 22; break; // IPv6
        default:
            Fail(kProxyRefused);
            return;
        }
        if (!Gather(total, kProxyRefused, failed))
            return;
        if (m_pending == kPendingConnect) {
            Finish();
            return;
        }
        m_step = 4;
        uint32_t address = 0;
        uint16_t port = 0;
        if (m_reply[3] == 1) {
            std::memcpy(&address, m_reply.data() + 4, 4);
            port = platform::LoadBe16(reinterpret_cast<const uint8_t*>(m_reply.data()) + 8);
        }
        m_reply.clear();
        OnProxyListening(address, port);
        return;
    }
    case 4:
        if (!Gather(10, kProxyRefused, failed))
            return;
        if (m_reply[1] != 0) {
            Fail(kProxyRefused);
            return;
        }
        m_reply.clear();
        ResetNegotiation();
        OnAccept(0);
        return;
    default:
        Fail(kProxyRefused);
    }
}

void ProxySocket::OnHttpReply()
{
    static const std::string kPrefix = "HTTP/";
    for (;;) {
        char c;
        long n = AsyncSocket::Receive(&c, 1);
        if (n < 0 && LastError() == EWOULDBLOCK)
            return;
        if (n <= 0) {
            Fail(kProxyRefused);
            return;
        }
        m_httpReply += c;
        size_t compare = std::min(m_httpReply.size(), kPrefix.size());
        if (m_httpReply.compare(0, compare, kPrefix, 0, compare) != 0 || m_httpReply.size() > kMaxHttpReply) {
            Fail(kProxyRefused);
            return;
        }
        size_t lineEnd = m_httpReply.find("\r\n");
        if (lineEnd != std::string::npos && m_httpReply.size() == lineEnd + 2) {
            // The status line is complete: it must carry a 2xx status.
            size_t space = m_httpReply.find(' ');
            if (space == std::string::npos || space > lineEnd || space + 1 >= lineEnd
                || m_httpReply[space + 1] != '2') {
                Fail(kProxyRefused);
                return;
            }
        }
        if (m_httpReply.size() >= 4 && m_httpReply.compare(m_httpReply.size() - 4, 4, "\r\n\r\n") == 0) {
            Finish();
            return;
        }
    }
}

// ---- the blocking connect ------------------------------------------------------

ProxyConnectSocket::ProxyConnectSocket()
    : m_event(std::make_unique<platform::Event>(platform::EventReset::kAuto))
{
}

ProxyConnectSocket::~ProxyConnectSocket() = default;

void ProxyConnectSocket::OnSend(int error)
{
    ProxySocket::OnSend(error);
    // The first notice: the connection to the proxy stands; the second: the
    // negotiation succeeded.
    if (++m_sendNotices == 2)
        m_event->Set();
}

void ProxyConnectSocket::OnConnect(int error)
{
    ProxySocket::OnConnect(error);
    if (error) {
        m_connectFailed = true;
        m_event->Set();
    }
}

int ProxyConnectSocket::ConnectWithTimeout(const std::string& host, int port, int proxyType,
    const std::string& proxyHost, int proxyPort, const char* user, const char* password, int timeoutSec)
{
    switch (proxyType) {
    case kProxyNone:
        SetProxyType(kProxyNone);
        break;
    case kProxySocks4:
    case kProxySocks4a:
        SetProxy(proxyType, proxyHost, proxyPort);
        break;
    case kProxySocks5:
    case kProxyHttp:
        if (user)
            SetProxyAuth(proxyType, proxyHost, proxyPort, user, password ? password : "");
        else
            SetProxy(proxyType, proxyHost, proxyPort);
        break;
    default:
        return 0;
    }
    if (!Create())
        return 0;
    m_event->Reset();
    m_sendNotices = 0;
    m_connectFailed = false;
    // A connect that would block is under way; any other 0 (a bad port, a
    // name that cannot be resolved without a proxy, a refused connect) has
    // already failed.
    const bool started = Connect(host, port) != 0 || LastError() == EWOULDBLOCK;
    if (!started || !IsOpen() || GetProxyError() != kProxyOk) {
        // Failed at once: waiting could not change that.
        Close();
        return 0;
    }

    // One deadline for the whole negotiation: messages and socket notices
    // that arrive meanwhile do not extend it.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(timeoutSec < 0 ? 0 : timeoutSec);
    platform::MessageQueue* queue = platform::MessageQueue::Current();
    for (;;) {
        platform::Message message;
        while (queue && queue->Peek(message, platform::PeekMode::kRemove)) {
            if (message.message == platform::kQuitMessage) {
                Close();
                // The quit belongs to the thread's own loop.
                platform::PostQuitMessage(static_cast<int>(static_cast<intptr_t>(message.wParam)));
                return 0;
            }
            platform::DispatchThreadMessage(message);
        }
        if (m_event->IsSet()) {
            m_event->Reset();
            if (!m_connectFailed)
                return 1;
            Close();
            return 0;
        }
        if (!IsOpen())
            return 0; // the negotiation failed: nothing more can come
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            Close();
            return 0;
        }
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = { m_event->Fd(), POLLIN, 0 };
        short socketEvents = PollEvents();
        int socketIndex = -1;
        if (socketEvents) {
            socketIndex = static_cast<int>(count);
            fds[count++] = { Handle(), socketEvents, 0 };
        }
        if (queue)
            fds[count++] = { queue->WakeFd(), POLLIN, 0 };
        int ready = ::poll(fds, count, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            Close();
            return 0;
        }
        if (ready > 0 && socketIndex >= 0 && fds[socketIndex].revents)
            HandleReady(fds[socketIndex].revents);
    }
}

} // namespace net
