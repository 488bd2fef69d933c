// The message connection over loopback against the scripted game server,
// whose wire code is written independently of ours.

#include "FrameTestSupport.h"

#include "net/SocketConnection.h"

#include "platform/Event.h"
#include "platform/MessageQueue.h"
#include "platform/Socket.h"
#include "tests/support/TestTimeouts.h"
#include "tools/scripted/ScriptedServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using nettest::MakeMessage;
using testsupport::TimeoutMs;

namespace {

const tools::AesKey kServerKey = tools::CountingKey();
const std::string kHello("Hello! Game Channel.\0", 21);

// A received WM_NETMSG with its two records adopted.
struct Received {
    std::unique_ptr<net::MessageContext> context;
    std::unique_ptr<net::NetMessage> message;
    uint32_t Id() const { return message->messageId; }
    std::string Body() const
    {
        return message->bodyLength ? std::string(reinterpret_cast<char*>(message->body.get()), message->bodyLength)
                                   : std::string();
    }
};

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::ServerOptions options;
        options.stages.key = kServerKey;
        m_server = std::make_unique<tools::ScriptedServer>(options);
        ASSERT_TRUE(m_server->Start());
        m_connection = std::make_unique<net::SocketConnection>(nullptr, 0, 0, 0, true, net::kMaxChunk);
        m_connection->SetCodecParams(kServerKey.data(), 128, net::kCipherAes, 0);
    }

    int Connect()
    {
        return m_connection->Connect("127.0.0.1", m_server->Port(), 10, m_queue.ThreadId(), false,
            reinterpret_cast<const uint8_t*>(kHello.data()), 21, 10000);
    }

    // The next message posted to this thread, or nothing within timeoutMs.
    std::optional<Received> Next(int timeoutMs = TimeoutMs(2000))
    {
        platform::Event never(platform::EventReset::kManual);
        platform::Event* events[] = { &never };
        if (platform::WaitForEventsOrMessage(events, timeoutMs).kind != platform::WaitResult::kMessage)
            return std::nullopt;
        platform::Message m;
        if (!m_queue.Peek(m, platform::PeekMode::kRemove) || m.message != net::WM_NETMSG) {
            ADD_FAILURE() << "unexpected message " << m.message;
            return std::nullopt;
        }
        return Received { std::unique_ptr<net::MessageContext>(reinterpret_cast<net::MessageContext*>(m.wParam)),
            std::unique_ptr<net::NetMessage>(reinterpret_cast<net::NetMessage*>(m.lParam)) };
    }

    int Request(uint32_t id, const std::string& body, net::NetMessage& reply, int& timedOut, int timeoutMs = TimeoutMs(3000))
    {
        net::MessageContext context;
        context.expectsReply = 1;
        return m_connection->SendRequest(context, MakeMessage(id, body), &reply, &timedOut, timeoutMs);
    }

    platform::MessageQueue m_queue;
    std::unique_ptr<tools::ScriptedServer> m_server;
    std::unique_ptr<net::SocketConnection> m_connection;
};

} // namespace

TEST_F(ConnectionTest, ConnectSendsTheHelloAndWaitsForNothing)
{
    ASSERT_EQ(Connect(), 1);
    EXPECT_TRUE(m_connection->IsConnected());
    EXPECT_NE(m_connection->GetConnectionId(), 0u);
    ASSERT_TRUE(m_server->WaitForHello(TimeoutMs(2000)));
    EXPECT_EQ(m_server->Hello(), kHello);
    m_connection->Close();
    EXPECT_EQ(m_connection->GetSocket(), -1);
    EXPECT_EQ(m_connection->GetConnectionId(), 0u);
}

TEST_F(ConnectionTest, ConnectFailsWhereNothingListens)
{
    platform::Socket probe = platform::ListenTcp("127.0.0.1", 0, 1);
    uint16_t port = platform::LocalPort(probe.Fd());
    probe.Close();
    EXPECT_EQ(m_connection->Connect("127.0.0.1", port, 2, m_queue.ThreadId(), false,
                  reinterpret_cast<const uint8_t*>(kHello.data()), 21, 1000),
        0);
    EXPECT_EQ(m_connection->GetSocket(), -1);
}

TEST_F(ConnectionTest, RequestAndReply)
{
    m_server->SetReply(201001, { 0, std::string(9000, 'r') });
    m_server->SetReply(200110, { 60031, "房间已满" });
    ASSERT_EQ(Connect(), 1);

    net::NetMessage reply;
    int timedOut = -1;
    ASSERT_EQ(Request(201001, "version 1.1", reply, timedOut), 1);
    EXPECT_EQ(timedOut, 0);
    EXPECT_EQ(reply.messageId, 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply.body.get()), reply.bodyLength), std::string(9000, 'r'));

    ASSERT_EQ(Request(200110, "", reply, timedOut), 1);
    EXPECT_EQ(reply.messageId, 60031u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply.body.get()), reply.bodyLength), "房间已满");

    auto requests = m_server->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Id(), 201001u);
    EXPECT_EQ(requests[0].message.body, "version 1.1");
    EXPECT_TRUE(requests[0].expectsReply);
    EXPECT_TRUE(m_server->Errors().empty()) << m_server->Errors()[0];
}

// A reply just under the receiver's limit, joined from thousands of frames,
// arrives whole and in time.
TEST_F(ConnectionTest, ReplyNearTheSizeLimitArrivesWhole)
{
    std::string body(15'000'000, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 + i / 4000);
    m_server->SetReply(201030, { 0, body });
    ASSERT_EQ(Connect(), 1);
    net::NetMessage reply;
    int timedOut = -1;
    ASSERT_EQ(Request(201030, "", reply, timedOut, TimeoutMs(10000)), 1);
    EXPECT_EQ(timedOut, 0);
    ASSERT_EQ(reply.bodyLength, body.size());
    EXPECT_TRUE(std::equal(body.begin(), body.end(), reply.body.get(),
        [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
}

TEST_F(ConnectionTest, RequestWithoutAnswerTimesOutAndItsLateReplyIsIgnored)
{
    m_server->SetReply(201020, { 0, "late", 400 });
    m_server->SetReply(201001, { 0, "right" });
    ASSERT_EQ(Connect(), 1);

    net::NetMessage reply;
    int timedOut = -1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Request(201020, "", reply, timedOut, 150), 0);
    EXPECT_EQ(timedOut, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 140ms);

    // The late reply arrives while this request waits: it must not be taken.
    ASSERT_EQ(Request(201001, "", reply, timedOut), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply.body.get()), reply.bodyLength), "right");
    EXPECT_FALSE(Next(100)); // and no error notice for it
}

TEST_F(ConnectionTest, RepliesWithWrongIds)
{
    m_server->SetReply(3, { 0, "first" });
    m_server->SetReply(1, { 0, "stale", 0, false, -1 });
    m_server->SetReply(2, { 0, "ahead", 0, false, +1 });
    ASSERT_EQ(Connect(), 1);
    net::NetMessage reply;
    int timedOut = -1;
    ASSERT_EQ(Request(3, "", reply, timedOut), 1);
    // A reply to an older message is ignored: the request times out quietly.
    EXPECT_EQ(Request(1, "", reply, timedOut, 200), 0);
    EXPECT_EQ(timedOut, 1);
    EXPECT_FALSE(Next(100));
    // A reply to a message never sent breaks the read: one error notice.
    EXPECT_EQ(Request(2, "", reply, timedOut, 300), 0);
    auto notice = Next();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->Id(), net::kConnectionError);
    EXPECT_EQ(notice->context->connectionId, m_connection->GetConnectionId());
}

TEST_F(ConnectionTest, NotificationsArriveInOrderAndComplete)
{
    ASSERT_EQ(Connect(), 1);
    ASSERT_TRUE(m_server->WaitForHello(TimeoutMs(2000)));
    constexpr int kCount = 10000;
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(m_server->Push(229000 + static_cast<uint32_t>(i % 500), std::to_string(i)));
    for (int i = 0; i < kCount; ++i) {
        auto r = Next(TimeoutMs(5000));
        ASSERT_TRUE(r) << "notification " << i << " missing";
        ASSERT_EQ(r->Id(), 229000u + static_cast<uint32_t>(i % 500));
        ASSERT_EQ(r->Body(), std::to_string(i));
        ASSERT_EQ(r->context->expectsReply, 0u);
    }
    EXPECT_FALSE(Next(50));
}

TEST_F(ConnectionTest, PeerFaultsGiveOneNoticeEach)
{
    struct Case {
        const char* what;
        std::function<bool(tools::ScriptedServer&)> fault;
        bool laterPushesArrive;
    } cases[] = {
        { "bad CRC", [](tools::ScriptedServer& s) { return s.PushWithBadCrc(229001, "x"); }, true },
        { "oversize length", [](tools::ScriptedServer& s) { return s.SendOversizeLength(0x7FFFFFFF); }, false },
        { "garbage", [](tools::ScriptedServer& s) { return s.SendRaw(std::string(64, '\xEE')); }, false },
    };
    for (auto& c : cases) {
        SetUp();
        ASSERT_EQ(Connect(), 1) << c.what;
        ASSERT_TRUE(m_server->WaitForHello(TimeoutMs(2000)));
        ASSERT_TRUE(c.fault(*m_server)) << c.what;
        m_server->Push(229002, "after");
        auto first = Next();
        ASSERT_TRUE(first) << c.what;
        EXPECT_EQ(first->Id(), net::kConnectionError) << c.what;
        // A quiet spell where nothing may come; a wait where it must.
        auto second = c.laterPushesArrive ? Next() : Next(300);
        if (c.laterPushesArrive) {
            ASSERT_TRUE(second) << c.what;
            EXPECT_EQ(second->Id(), 229002u) << c.what;
        } else {
            EXPECT_FALSE(second) << c.what;
        }
        m_connection->Close();
    }
}

TEST_F(ConnectionTest, ServerClosingMidFrameGivesOneError)
{
    ASSERT_EQ(Connect(), 1);
    ASSERT_TRUE(m_server->WaitForHello(TimeoutMs(2000)));
    ASSERT_TRUE(m_server->CloseMidFrame(229003, std::string(3000, 'c')));
    auto notice = Next();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->Id(), net::kConnectionError);
    EXPECT_FALSE(Next(200));
}

TEST_F(ConnectionTest, ServerClosingCleanlyGivesOneClosedNotice)
{
    ASSERT_EQ(Connect(), 1);
    ASSERT_TRUE(m_server->WaitForHello(TimeoutMs(2000)));
    m_server->Push(229004, "bye");
    m_server->CloseClient();
    auto last = Next();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Id(), 229004u);
    auto notice = Next();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->Id(), net::kConnectionClosed);
    EXPECT_FALSE(Next(200));
}

TEST_F(ConnectionTest, CloseWhileARequestWaitsReturnsAtOnce)
{
    m_server->SetNoAnswer(201125);
    ASSERT_EQ(Connect(), 1);
    net::NetMessage reply;
    int timedOut = -1;
    auto waiting = std::async(std::launch::async, [&] { return Request(201125, "", reply, timedOut, 30000); });
    ASSERT_TRUE(m_server->WaitForRequests(1, TimeoutMs(2000)));
    auto start = std::chrono::steady_clock::now();
    m_connection->Close();
    EXPECT_EQ(waiting.get(), 0);
    EXPECT_EQ(timedOut, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    // A closed connection refuses requests and can be started again.
    EXPECT_EQ(Request(201001, "", reply, timedOut, 100), 0);
    m_server->SetReply(201001, { 0, "again" });
    ASSERT_EQ(Connect(), 1);
    EXPECT_EQ(Request(201001, "", reply, timedOut), 1);
}

TEST_F(ConnectionTest, StalledPeerBreaksTheLinkInsteadOfCorruptingIt)
{
    ASSERT_EQ(Connect(), 1);
    ASSERT_TRUE(m_server->WaitForHello(TimeoutMs(2000)));
    m_server->Stall(tools::ScriptedServer::kForever);
    net::MessageContext context;
    int timedOut = -1;
    // Far more than the socket buffers hold: a frame goes out in part.
    net::NetMessage big = MakeMessage(221080, std::string(12 << 20, 'b'));
    EXPECT_EQ(m_connection->SendRequest(context, big, nullptr, &timedOut, 0), 0);
    auto notice = Next(TimeoutMs(5000));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->Id(), net::kConnectionError);
    EXPECT_EQ(m_connection->SendRequest(context, MakeMessage(1, ""), nullptr, &timedOut, 0), 0);
    m_server->Resume();
}

TEST(ConnectionAcceptSide, KeepsTheFrameThatCameWithTheHello)
{
    platform::MessageQueue queue;
    platform::Socket listener = platform::ListenTcp("127.0.0.1", 0, 1);
    uint16_t port = platform::LocalPort(listener.Fd());

    platform::Socket client = platform::Socket::CreateTcp();
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    platform::Socket accepted = platform::AcceptTcp(listener.Fd());
    ASSERT_TRUE(accepted.Valid());

    // The hello and the first frame in one write.
    std::string bytes = nettest::U32(21) + kHello + nettest::PeerFrames(1, 1, MakeMessage(42, "first"));
    ASSERT_TRUE(platform::SendAllBlocking(client.Fd(), bytes.data(), bytes.size(), TimeoutMs(1000)));

    net::SocketConnection server(nettest::kKey, 128, net::kCipherAes, 0, false, net::kMaxChunk);
    ASSERT_EQ(server.Attach(accepted.Release(), queue.ThreadId(), true, nullptr, 0, TimeoutMs(2000), "", 0, 5), 1);

    platform::Event never(platform::EventReset::kManual);
    platform::Event* events[] = { &never };
    ASSERT_EQ(platform::WaitForEventsOrMessage(events, TimeoutMs(2000)).kind, platform::WaitResult::kMessage);
    platform::Message m;
    ASSERT_TRUE(queue.Peek(m, platform::PeekMode::kRemove));
    std::unique_ptr<net::MessageContext> context(reinterpret_cast<net::MessageContext*>(m.wParam));
    std::unique_ptr<net::NetMessage> message(reinterpret_cast<net::NetMessage*>(m.lParam));
    EXPECT_EQ(message->messageId, 42u);
    server.Close();
}

TEST(ConnectionAcceptSide, NoHelloMeansNoStart)
{
    platform::MessageQueue queue;
    platform::Socket listener = platform::ListenTcp("127.0.0.1", 0, 1);
    platform::Socket client = platform::Socket::CreateTcp();
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(platform::LocalPort(listener.Fd()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    platform::Socket accepted = platform::AcceptTcp(listener.Fd());
    net::SocketConnection server(nettest::kKey, 128, net::kCipherAes, 0, false, net::kMaxChunk);
    EXPECT_EQ(server.Attach(accepted.Release(), queue.ThreadId(), true, nullptr, 0, 200, "", 0, 5), 0);
    EXPECT_EQ(server.GetSocket(), -1);
}
