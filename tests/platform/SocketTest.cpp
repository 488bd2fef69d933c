#include "platform/Event.h"
#include "platform/MessageThread.h"
#include "platform/Socket.h"
#include "platform/SocketNotifier.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using platform::ConnectResult;
using platform::IoResult;
using platform::Socket;
using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(uint16_t port)
{
    return *platform::ParseIpv4("127.0.0.1", port);
}

// A loopback port with nothing listening (bound, never listened, so no one
// else can take it while the test runs).
struct ClosedPort {
    Socket holder = Socket::CreateTcp();
    uint16_t port = 0;
    ClosedPort()
    {
        sockaddr_in a = Loopback(0);
        if (bind(holder.Fd(), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0)
            port = platform::LocalPort(holder.Fd());
    }
};

TEST(Socket, ConnectSucceedsIsRefusedOrTimesOut)
{
    Socket listener = platform::ListenTcp("127.0.0.1", 0, 4);
    ASSERT_TRUE(listener.Valid());
    uint16_t port = platform::LocalPort(listener.Fd());
    ASSERT_NE(port, 0);

    Socket ok = Socket::CreateTcp();
    int error = -1;
    EXPECT_EQ(platform::ConnectWithTimeout(ok, Loopback(port), 1000, &error), ConnectResult::kConnected);
    EXPECT_EQ(error, 0);

    ClosedPort closed;
    ASSERT_NE(closed.port, 0);
    Socket refused = Socket::CreateTcp();
    EXPECT_EQ(platform::ConnectWithTimeout(refused, Loopback(closed.port), 1000, &error), ConnectResult::kFailed);
    EXPECT_EQ(error, ECONNREFUSED);

    // A listener whose accept queue is full drops further SYNs, so the
    // connect neither completes nor fails: the time-out ends it.
    Socket full = platform::ListenTcp("127.0.0.1", 0, 0);
    uint16_t fullPort = platform::LocalPort(full.Fd());
    std::vector<Socket> fillers;
    ConnectResult r = ConnectResult::kConnected;
    long long waited = 0;
    for (int i = 0; i < 8 && r == ConnectResult::kConnected; ++i) {
        Socket s = Socket::CreateTcp();
        auto start = Clock::now();
        r = platform::ConnectWithTimeout(s, Loopback(fullPort), 50, &error);
        waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        fillers.push_back(std::move(s));
    }
    EXPECT_EQ(r, ConnectResult::kTimedOut);
    EXPECT_EQ(error, ETIMEDOUT);
    EXPECT_GE(waited, 49);
    EXPECT_LT(waited, 1000);

    EXPECT_FALSE(platform::ParseIpv4("no.such.host", 1));
}

TEST(Socket, BlockingHelpersMoveBytesAndSeeTheClose)
{
    Socket listener = platform::ListenTcp("127.0.0.1", 0, 4);
    Socket client = Socket::CreateTcp();
    ASSERT_EQ(platform::ConnectWithTimeout(client, Loopback(platform::LocalPort(listener.Fd())), 1000),
        ConnectResult::kConnected);
    Socket server = platform::AcceptTcp(listener.Fd());
    ASSERT_TRUE(server.Valid());
    std::string sent(100000, 'x');
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i * 7);
    std::string got(sent.size(), '\0');
    std::thread writer([&] { EXPECT_TRUE(platform::SendAllBlocking(client.Fd(), sent.data(), sent.size(), 5000)); });
    EXPECT_TRUE(platform::RecvExactBlocking(server.Fd(), got.data(), got.size(), 5000));
    writer.join();
    EXPECT_EQ(got, sent);

    char byte = 0;
    EXPECT_FALSE(platform::RecvExactBlocking(server.Fd(), &byte, 1, 20)); // time-out
    client.Close();
    EXPECT_FALSE(platform::RecvExactBlocking(server.Fd(), &byte, 1, 1000)); // closed
    ASSERT_TRUE(server.SetNonBlocking(true));
    EXPECT_EQ(platform::RecvSome(server.Fd(), &byte, 1).status, IoResult::kClosed);
}

// Records the notices of one network thread, for the test thread to wait on.
class Recorder : public platform::SocketHandler {
public:
    explicit Recorder(int fd)
        : m_fd(fd)
    {
    }
    void OnConnect(int error) override { Add("connect " + std::to_string(error)); }
    void OnRead() override
    {
        char buffer[4096];
        for (;;) {
            IoResult r = platform::RecvSome(m_fd, buffer, sizeof buffer);
            if (r.status != IoResult::kOk)
                break;
            std::lock_guard guard(m_lock);
            m_data.append(buffer, r.bytes);
        }
        Add("read");
    }
    void OnWrite() override { Add("write"); }
    void OnClose(int error) override { Add("close " + std::to_string(error)); }
    void OnMessage(const platform::Message& m) override { Add("message " + std::to_string(m.wParam)); }

    // Waits until the notice has been seen count times.
    bool WaitFor(const std::string& notice, int count = 1, int timeoutMs = 3000)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return CountLocked(notice) >= count; });
    }
    int Count(const std::string& notice)
    {
        std::lock_guard guard(m_lock);
        return CountLocked(notice);
    }
    std::vector<std::string> Notices()
    {
        std::lock_guard guard(m_lock);
        return m_notices;
    }
    std::string Data()
    {
        std::lock_guard guard(m_lock);
        return m_data;
    }

private:
    void Add(std::string notice)
    {
        std::lock_guard guard(m_lock);
        // Consecutive read notices are one for the record.
        if (!(notice == "read" && !m_notices.empty() && m_notices.back() == "read"))
            m_notices.push_back(std::move(notice));
        m_changed.notify_all();
    }
    int CountLocked(const std::string& notice) const
    {
        int n = 0;
        for (const auto& s : m_notices)
            n += s == notice;
        return n;
    }

    int m_fd;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::string> m_notices;
    std::string m_data;
};

// A network thread running a notifier over one client socket.
struct NetworkThread {
    Socket socket = Socket::CreateTcp();
    Recorder recorder { socket.Fd() };
    platform::MessageThread thread;
    std::unique_ptr<platform::SocketNotifier> notifier;

    bool Start(bool connectPending)
    {
        notifier = std::make_unique<platform::SocketNotifier>(socket.Fd(), recorder, connectPending);
        return notifier->Valid()
            && thread.Start([this](platform::MessageQueue& queue) { return notifier->Run(queue); });
    }
    int Stop()
    {
        platform::PostThreadQuit(thread.ThreadId(), 5);
        thread.Join(platform::kInfinite);
        return thread.ExitCode();
    }
};

TEST(SocketNotifier, ConnectWriteReadCloseAndMessages)
{
    Socket listener = platform::ListenTcp("127.0.0.1", 0, 4);
    NetworkThread net;
    int error = 0;
    ASSERT_TRUE(platform::StartConnect(net.socket, Loopback(platform::LocalPort(listener.Fd())), &error));
    ASSERT_TRUE(net.Start(true));
    Socket peer = platform::AcceptTcp(listener.Fd());
    ASSERT_TRUE(peer.Valid());
    ASSERT_TRUE(net.recorder.WaitFor("write"));

    ASSERT_TRUE(platform::PostThreadMessage(net.thread.ThreadId(), platform::kUserMessage, 9, 0));
    ASSERT_TRUE(net.recorder.WaitFor("message 9"));

    ASSERT_TRUE(platform::SendAllBlocking(peer.Fd(), "hello", 5, 1000));
    ASSERT_TRUE(net.recorder.WaitFor("read"));
    // Data sent just before the close is offered before the close notice.
    ASSERT_TRUE(platform::SendAllBlocking(peer.Fd(), " world", 6, 1000));
    peer.Close();
    ASSERT_TRUE(net.recorder.WaitFor("close 0"));
    EXPECT_EQ(net.recorder.Data(), "hello world");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(net.Stop(), 5);

    std::vector<std::string> expected { "connect 0", "write", "message 9", "read", "close 0" };
    std::vector<std::string> notices = net.recorder.Notices();
    // The second batch of data may come as its own read notice.
    if (notices.size() == 6 && notices[4] == "read")
        notices.erase(notices.begin() + 4);
    EXPECT_EQ(notices, expected);
}

TEST(SocketNotifier, RefusedConnectIsReportedOnce)
{
    ClosedPort closed;
    NetworkThread net;
    int error = 0;
    bool started = platform::StartConnect(net.socket, Loopback(closed.port), &error);
    if (!started) {
        EXPECT_EQ(error, ECONNREFUSED); // refused at once: also fine
        return;
    }
    ASSERT_TRUE(net.Start(true));
    ASSERT_TRUE(net.recorder.WaitFor("connect " + std::to_string(ECONNREFUSED)));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    net.Stop();
    EXPECT_EQ(net.recorder.Notices().size(), 1u);
}

TEST(SocketNotifier, WriteNoticeFiresOnceEachTimeTheSocketDrains)
{
    Socket listener = platform::ListenTcp("127.0.0.1", 0, 4);
    NetworkThread net;
    ASSERT_EQ(platform::ConnectWithTimeout(net.socket, Loopback(platform::LocalPort(listener.Fd())), 1000),
        ConnectResult::kConnected);
    Socket peer = platform::AcceptTcp(listener.Fd());
    ASSERT_TRUE(net.Start(false));
    ASSERT_TRUE(net.recorder.WaitFor("write"));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(net.recorder.Count("write"), 1) << "a writable socket alone gives no further write notices";

    std::string block(65536, 'z');
    for (int round = 1; round <= 2; ++round) {
        size_t sent = 0;
        IoResult r;
        while ((r = net.notifier->Send(block.data(), block.size())).status == IoResult::kOk)
            sent += r.bytes;
        ASSERT_EQ(r.status, IoResult::kWouldBlock);
        // The peer drains everything; one write notice follows.
        std::string sink(sent, '\0');
        ASSERT_TRUE(platform::RecvExactBlocking(peer.Fd(), sink.data(), sent, 5000));
        ASSERT_TRUE(net.recorder.WaitFor("write", 1 + round));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(net.recorder.Count("write"), 1 + round);
    }
    // A reset link: the close notice carries the error.
    linger hard { 1, 0 };
    setsockopt(peer.Fd(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    peer.Close();
    ASSERT_TRUE(net.recorder.WaitFor("close " + std::to_string(ECONNRESET)));
    net.Stop();
    EXPECT_EQ(net.recorder.Count("close " + std::to_string(ECONNRESET)), 1);
}

} // namespace
