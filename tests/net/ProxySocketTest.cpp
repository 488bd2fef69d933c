// The proxy socket against real proxies started on loopback ports (dante for
// SOCKS4 and SOCKS5, tinyproxy for HTTP CONNECT) and against small scripted
// responders for what no package serves or for misbehaving proxies. No test
// resolves a name: the host resolver is replaced.

#include "net/ProxySocket.h"

#include "platform/Event.h"
#include "platform/MessageDispatch.h"
#include "platform/MessageQueue.h"
#include "platform/Resolver.h"
#include "platform/Socket.h"
#include "tests/net/ProxyDaemons.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using namespace proxytest;

// Echoes every connection until stopped.
class EchoServer {
public:
    EchoServer()
        : m_listener(platform::ListenTcp("127.0.0.1", 0, 8))
        , m_port(platform::LocalPort(m_listener.Fd()))
        , m_thread([this] { Run(); })
    {
    }
    ~EchoServer()
    {
        m_stop = true;
        m_thread.join();
    }
    uint16_t Port() const { return m_port; }

private:
    void Run()
    {
        std::vector<platform::Socket> clients;
        while (!m_stop) {
            std::vector<pollfd> fds { { m_listener.Fd(), POLLIN, 0 } };
            for (auto& c : clients)
                fds.push_back({ c.Fd(), POLLIN, 0 });
            if (poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN)
                clients.push_back(platform::AcceptTcp(m_listener.Fd()));
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                char buffer[4096];
                ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, 0);
                if (n > 0)
                    platform::SendAllBlocking(fds[i].fd, buffer, static_cast<size_t>(n), 1000);
            }
        }
    }
    platform::Socket m_listener;
    uint16_t m_port;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

// A proxy that follows a script for one connection: for each step it reads
// a number of bytes (0: whatever is there) and answers; afterwards it
// echoes, or stalls.
class ScriptedProxy {
public:
    struct Step {
        size_t read; // bytes to read before answering (0: read what comes)
        std::string answer;
    };
    enum After { kEcho, kStall, kClose };
    explicit ScriptedProxy(std::vector<Step> steps, After after = kEcho)
        : m_listener(platform::ListenTcp("127.0.0.1", 0, 4))
        , m_port(platform::LocalPort(m_listener.Fd()))
        , m_steps(std::move(steps))
        , m_after(after)
        , m_thread([this] { Run(); })
    {
    }
    ~ScriptedProxy()
    {
        m_stop = true;
        m_thread.join();
    }
    uint16_t Port() const { return m_port; }
    std::string Received()
    {
        std::lock_guard g(m_lock);
        return m_received;
    }
    bool Connected() const { return m_connected; }

private:
    bool WaitReadable(int fd)
    {
        while (!m_stop) {
            pollfd p { fd, POLLIN, 0 };
            if (poll(&p, 1, 20) > 0)
                return true;
        }
        return false;
    }
    void Run()
    {
        if (!WaitReadable(m_listener.Fd()))
            return;
        platform::Socket client = platform::AcceptTcp(m_listener.Fd());
        m_connected = true;
        for (const auto& step : m_steps) {
            std::string got;
            while (!m_stop && (step.read == 0 ? got.empty() : got.size() < step.read)) {
                if (!WaitReadable(client.Fd()))
                    return;
                char buffer[512];
                size_t want = step.read ? std::min(sizeof buffer, step.read - got.size()) : sizeof buffer;
                ssize_t n = recv(client.Fd(), buffer, want, 0);
                if (n <= 0)
                    return;
                got.append(buffer, static_cast<size_t>(n));
            }
            {
                std::lock_guard g(m_lock);
                m_received += got;
            }
            platform::SendAllBlocking(client.Fd(), step.answer.data(), step.answer.size(), 1000);
        }
        if (m_after == kClose)
            return;
        while (!m_stop && WaitReadable(client.Fd())) {
            char buffer[512];
            ssize_t n = recv(client.Fd(), buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            if (m_after == kEcho)
                platform::SendAllBlocking(client.Fd(), buffer, static_cast<size_t>(n), 1000);
        }
    }
    platform::Socket m_listener;
    uint16_t m_port;
    std::vector<Step> m_steps;
    After m_after;
    std::mutex m_lock;
    std::string m_received;
    std::atomic<bool> m_connected { false };
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

std::string Be16(uint16_t v) { return { static_cast<char>(v >> 8), static_cast<char>(v & 0xFF) }; }

// Sends through the tunnel and reads the echo back.
std::string EchoThrough(net::ProxyConnectSocket& s, const std::string& text)
{
    if (s.Send(text.data(), text.size()) != static_cast<long>(text.size()))
        return "send failed";
    std::string got;
    auto end = std::chrono::steady_clock::now() + 5s;
    while (got.size() < text.size() && std::chrono::steady_clock::now() < end) {
        pollfd p { s.Handle(), POLLIN, 0 };
        poll(&p, 1, 50);
        char buffer[256];
        long n = s.Receive(buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<size_t>(n));
        else if (n == 0)
            break;
    }
    return got;
}

class ProxySocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No test may ask a name server.
        platform::SetHostResolver([](const std::string&, in_addr&) { return false; });
        m_dir = fs::temp_directory_path() / ("kbzn_proxy_" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        platform::SetHostResolver(nullptr);
        fs::remove_all(m_dir);
    }

    std::unique_ptr<Daemon> StartDante(const std::string& method, uint16_t& port)
    {
        return proxytest::StartDante(m_dir, method, port);
    }
    std::unique_ptr<Daemon> StartTinyproxy(uint16_t& port) { return proxytest::StartTinyproxy(m_dir, port); }

    fs::path m_dir;
};

} // namespace

TEST_F(ProxySocketTest, TunnelsThroughDanteWithSocks4AndSocks5)
{
    uint16_t port = 0;
    auto dante = StartDante("none", port);
    if (!dante)
        GTEST_SKIP() << "danted is not installed";
    EchoServer echo;
    for (int type : { net::kProxySocks4, net::kProxySocks5 }) {
        net::ProxyConnectSocket s;
        ASSERT_EQ(s.ConnectWithTimeout("127.0.0.1", echo.Port(), type, "127.0.0.1", port, nullptr, nullptr, 5), 1)
            << "type " << type << " error " << s.GetProxyError();
        EXPECT_EQ(EchoThrough(s, "through the proxy"), "through the proxy") << type;
    }
}

TEST_F(ProxySocketTest, Socks5UserAndPasswordWithDante)
{
    if (!EnsureProxyUser())
        GTEST_SKIP() << "needs root to make the proxy's user";
    uint16_t port = 0;
    auto dante = StartDante("username", port);
    if (!dante)
        GTEST_SKIP() << "danted is not installed";
    EchoServer echo;
    {
        net::ProxyConnectSocket s;
        ASSERT_EQ(s.ConnectWithTimeout("127.0.0.1", echo.Port(), net::kProxySocks5, "127.0.0.1", port, kProxyUser,
                      kProxyPassword, 5),
            1);
        EXPECT_EQ(EchoThrough(s, "authenticated"), "authenticated");
    }
    {
        net::ProxyConnectSocket s;
        EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", echo.Port(), net::kProxySocks5, "127.0.0.1", port, kProxyUser,
                      "wrong", 5),
            0);
        EXPECT_EQ(s.GetProxyError(), net::kProxySocks5AuthFailed);
        EXPECT_FALSE(s.IsOpen());
    }
    {
        net::ProxyConnectSocket s; // the proxy wants credentials and none are set
        EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", echo.Port(), net::kProxySocks5, "127.0.0.1", port, nullptr,
                      nullptr, 5),
            0);
        EXPECT_EQ(s.GetProxyError(), net::kProxySocks5BadMethod); // dante offers no method we can use
    }
}

TEST_F(ProxySocketTest, HttpConnectWithBasicCredentialsThroughTinyproxy)
{
    uint16_t port = 0;
    auto proxy = StartTinyproxy(port);
    if (!proxy)
        GTEST_SKIP() << "tinyproxy is not installed";
    EchoServer echo;
    {
        net::ProxyConnectSocket s;
        ASSERT_EQ(s.ConnectWithTimeout("127.0.0.1", echo.Port(), net::kProxyHttp, "127.0.0.1", port, kProxyUser,
                      kProxyPassword, 5),
            1);
        EXPECT_EQ(EchoThrough(s, "tunnelled"), "tunnelled");
    }
    {
        net::ProxyConnectSocket s;
        EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", echo.Port(), net::kProxyHttp, "127.0.0.1", port, kProxyUser,
                      "bad", 5),
            0);
        EXPECT_EQ(s.GetProxyError(), net::kProxyRefused);
    }
}

TEST_F(ProxySocketTest, RequestsOnTheWire)
{
    std::string name = "game.example";
    std::string longName = std::string(600, 'h') + ".example";
    std::string longRequest = "CONNECT " + longName + ":21534 HTTP/1.1\r\nHost: " + longName + ":21534\r\n\r\n";
    struct Case {
        const char* what;
        int type;
        const char* user;
        std::vector<ScriptedProxy::Step> steps;
        std::string expectSent;
        std::string host = {}; // the name above when empty
    } cases[] = {
        { "SOCKS4A passes the name", net::kProxySocks4a, nullptr,
            { { 10 + name.size(), std::string("\x00\x5A\x00\x00\x00\x00\x00\x00", 8) } },
            std::string("\x04\x01", 2) + Be16(21534) + std::string("\x00\x00\x00\x01\x00", 5) + name + '\0' },
        { "SOCKS5 passes the name", net::kProxySocks5, nullptr,
            { { 3, std::string("\x05\x00", 2) }, { 7 + name.size(), std::string("\x05\x00\x00\x01\x7f\x00\x00\x01\x00\x50", 10) } },
            std::string("\x05\x01\x00", 3) + std::string("\x05\x01\x00\x03", 4) + static_cast<char>(name.size()) + name
                + Be16(21534) },
        { "SOCKS5 reply with an IPv6 address", net::kProxySocks5, nullptr,
            { { 3, std::string("\x05\x00", 2) },
                { 7 + name.size(), std::string("\x05\x00\x00\x04", 4) + std::string(16, '\x01') + Be16(80) } },
            std::string("\x05\x01\x00", 3) + std::string("\x05\x01\x00\x03", 4) + static_cast<char>(name.size()) + name
                + Be16(21534) },
        { "SOCKS5 user and password", net::kProxySocks5, "u",
            { { 4, std::string("\x05\x02", 2) }, { 6, std::string("\x01\x00", 2) },
                { 7 + name.size(), std::string("\x05\x00\x00\x03\x03" "abc", 8) + Be16(80) } },
            std::string("\x05\x02\x02\x00", 4) + std::string("\x01\x01u\x02pw", 6) + std::string("\x05\x01\x00\x03", 4)
                + static_cast<char>(name.size()) + name + Be16(21534) },
        { "HTTP CONNECT", net::kProxyHttp, "u",
            { { 0, "HTTP/1.1 200 OK\r\nX-Junk: 1\r\n\r\n" } },
            "CONNECT game.example:21534 HTTP/1.1\r\nHost: game.example:21534\r\n"
            "Authorization: Basic dTpwdw==\r\nProxy-Authorization: Basic dTpwdw==\r\n\r\n" },
        { "HTTP CONNECT names a long host in full", net::kProxyHttp, nullptr,
            { { longRequest.size(), "HTTP/1.1 200 OK\r\n\r\n" } }, longRequest, longName },
    };
    for (auto& c : cases) {
        ScriptedProxy proxy(c.steps);
        net::ProxyConnectSocket s;
        const std::string& host = c.host.empty() ? name : c.host;
        ASSERT_EQ(s.ConnectWithTimeout(host, 21534, c.type, "127.0.0.1", proxy.Port(), c.user, "pw", 5), 1)
            << c.what << " error " << s.GetProxyError();
        EXPECT_EQ(proxy.Received(), c.expectSent) << c.what;
        // Nothing of the proxy's reply is left in the stream.
        EXPECT_EQ(EchoThrough(s, "after"), "after") << c.what;
    }
}

TEST_F(ProxySocketTest, RefusalsAndBadReplies)
{
    struct Case {
        const char* what;
        int type;
        std::vector<ScriptedProxy::Step> steps;
        int error;
    } cases[] = {
        { "SOCKS4 refused", net::kProxySocks4, { { 9, std::string("\x00\x5B\0\0\0\0\0\0", 8) } }, net::kProxyRefused },
        { "SOCKS5 wrong version", net::kProxySocks5, { { 3, std::string("\x04\x00", 2) } }, net::kProxySocks5BadVersion },
        { "SOCKS5 no acceptable method", net::kProxySocks5, { { 3, std::string("\x05\xFF", 2) } },
            net::kProxySocks5BadMethod },
        { "SOCKS5 asks for credentials", net::kProxySocks5, { { 3, std::string("\x05\x02", 2) } },
            net::kProxySocks5NeedsAuth },
        { "SOCKS5 unknown address type", net::kProxySocks5,
            { { 3, std::string("\x05\x00", 2) }, { 10, std::string("\x05\x00\x00\x07\x00", 5) } }, net::kProxyRefused },
        { "SOCKS5 connect refused", net::kProxySocks5,
            { { 3, std::string("\x05\x00", 2) }, { 10, std::string("\x05\x05\x00\x01\0\0\0\0\0\0", 10) } },
            net::kProxyRefused },
        { "HTTP 407", net::kProxyHttp, { { 0, "HTTP/1.1 407 Proxy Authentication Required\r\n" } }, net::kProxyRefused },
        { "not HTTP", net::kProxyHttp, { { 0, "HTTX/1.1 200 OK\r\n\r\n" } }, net::kProxyRefused },
        { "proxy closes", net::kProxySocks4, { { 9, "" } }, net::kProxyRefused }, // answers nothing, then closes
    };
    for (auto& c : cases) {
        ScriptedProxy proxy(c.steps, ScriptedProxy::kClose);
        net::ProxyConnectSocket s;
        EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", 21534, c.type, "127.0.0.1", proxy.Port(), nullptr, nullptr, 5), 0)
            << c.what;
        EXPECT_EQ(s.GetProxyError(), c.error) << c.what;
        EXPECT_FALSE(s.IsOpen()) << c.what;
    }
}

TEST_F(ProxySocketTest, FailuresBeforeAnythingIsSent)
{
    ScriptedProxy proxy({}, ScriptedProxy::kStall);
    {
        net::ProxyConnectSocket s; // SOCKS4 needs an address
        EXPECT_EQ(s.ConnectWithTimeout("game.example", 80, net::kProxySocks4, "127.0.0.1", proxy.Port(), nullptr,
                      nullptr, 5),
            0);
        EXPECT_EQ(s.GetProxyError(), net::kProxySocks4Unresolved);
    }
    {
        net::ProxyConnectSocket s; // fields of one length byte cannot carry 256 bytes
        std::string longUser(256, 'u');
        EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", 80, net::kProxySocks5, "127.0.0.1", proxy.Port(),
                      longUser.c_str(), "pw", 5),
            0);
        EXPECT_EQ(s.GetProxyError(), net::kProxySocks5AuthFailed);
    }
    {
        // Nothing listens there: the refused connect ends the wait, long
        // before the deadline.
        net::ProxyConnectSocket s;
        uint16_t closed = FreePort();
        auto result = std::async(std::launch::async, [&] {
            return s.ConnectWithTimeout("127.0.0.1", 80, net::kProxySocks5, "127.0.0.1", closed, nullptr, nullptr, 600);
        });
        ASSERT_EQ(result.wait_for(60s), std::future_status::ready);
        EXPECT_EQ(result.get(), 0);
    }
    EXPECT_FALSE(proxy.Connected());
}

TEST_F(ProxySocketTest, ConnectThatFailsAtOnceDoesNotWaitForTheDeadline)
{
    struct Case {
        const char* what;
        const char* host;
        int port;
        int type;
    } cases[] = {
        { "port out of range, direct", "127.0.0.1", 70000, net::kProxyNone },
        { "negative port, through HTTP", "127.0.0.1", -1, net::kProxyHttp },
        { "name not resolvable, direct", "game.example", 80, net::kProxyNone },
    };
    ScriptedProxy proxy({}, ScriptedProxy::kStall);
    for (const auto& c : cases) {
        net::ProxyConnectSocket s;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(s.ConnectWithTimeout(c.host, c.port, c.type, "127.0.0.1", proxy.Port(), nullptr, nullptr, 10), 0)
            << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.what;
    }
    EXPECT_FALSE(proxy.Connected());
}

TEST_F(ProxySocketTest, StallEndsAtOneDeadlineWhateverArrives)
{
    platform::MessageQueue queue;
    std::atomic<int> dispatched { 0 };
    platform::SetThreadMessageHandler([&](const platform::Message&) { ++dispatched; });
    // A steady stream of messages for this thread while it waits.
    std::atomic<bool> stop { false };
    uint32_t self = queue.ThreadId();
    std::thread ticker([&] {
        while (!stop) {
            platform::PostThreadMessage(self, platform::kUserMessage + 1, 0, 0);
            std::this_thread::sleep_for(20ms);
        }
    });

    ScriptedProxy proxy({ { 3, "" } }, ScriptedProxy::kStall); // takes the greeting, never answers
    net::ProxyConnectSocket s;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", 80, net::kProxySocks5, "127.0.0.1", proxy.Port(), nullptr, nullptr, 1),
        0);
    auto took = std::chrono::steady_clock::now() - start;
    stop = true;
    ticker.join();
    EXPECT_LT(took, 3s);
    EXPECT_GE(took, 900ms);
    EXPECT_GT(dispatched.load(), 10); // the thread's messages kept flowing
    EXPECT_FALSE(s.IsOpen());
    platform::SetThreadMessageHandler(nullptr);
}

TEST_F(ProxySocketTest, QuitWhileWaitingIsPassedOn)
{
    platform::MessageQueue queue;
    ScriptedProxy proxy({ { 3, "" } }, ScriptedProxy::kStall);
    std::thread quitter([id = queue.ThreadId()] {
        std::this_thread::sleep_for(100ms);
        platform::PostThreadQuit(id, 7);
    });
    net::ProxyConnectSocket s;
    EXPECT_EQ(s.ConnectWithTimeout("127.0.0.1", 80, net::kProxySocks5, "127.0.0.1", proxy.Port(), nullptr, nullptr, 10),
        0);
    quitter.join();
    platform::Message m;
    ASSERT_FALSE(platform::GetMessage(m)); // the quit is still there for the thread's own loop
    EXPECT_EQ(m.message, platform::kQuitMessage);
    EXPECT_EQ(static_cast<int>(m.wParam), 7);
}

TEST_F(ProxySocketTest, SendAndReceiveWaitForTheTunnel)
{
    ScriptedProxy proxy({ { 3, "" } }, ScriptedProxy::kStall);
    net::ProxyConnectSocket s;
    s.SetProxy(net::kProxySocks5, "127.0.0.1", proxy.Port());
    ASSERT_TRUE(s.Create());
    s.Connect("127.0.0.1", 80);
    errno = 0;
    EXPECT_EQ(s.Send("x", 1), -1);
    EXPECT_EQ(s.LastError(), EWOULDBLOCK);
    char c;
    EXPECT_EQ(s.Receive(&c, 1), -1);
    EXPECT_EQ(s.LastError(), EWOULDBLOCK);
}

TEST(ProxyBasicToken, IsBase64OfUserColonPassword)
{
    EXPECT_EQ(net::ProxySocket::BasicToken("", ""), "Og==");
    EXPECT_EQ(net::ProxySocket::BasicToken("Aladdin", "open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    std::string token = net::ProxySocket::BasicToken(std::string(31, 'u'), std::string(31, 'p'));
    EXPECT_EQ(token.size(), 84u);
    EXPECT_EQ(token.find('\r'), std::string::npos);
}
