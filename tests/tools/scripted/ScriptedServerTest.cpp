#include "platform/Socket.h"
#include "tests/support/TestTimeouts.h"
#include "tools/scripted/ScriptedServer.h"
#include "tools/scripted/ServerScript.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace tools;
using Clock = std::chrono::steady_clock;
using testsupport::TimeoutMs;

// A plain blocking client of the game link, written here so the server's
// bytes are checked by code that does not share its frame handling.
class TestClient {
public:
    bool Connect(uint16_t port)
    {
        m_socket = platform::Socket::CreateTcp();
        auto address = platform::ParseIpv4("127.0.0.1", port);
        return platform::ConnectWithTimeout(m_socket, *address, TimeoutMs(2000)) == platform::ConnectResult::kConnected;
    }
    std::string HelloBytes() const
    {
        std::string hello;
        PutU32(hello, 21);
        hello.append("Hello! Game Channel.", 20);
        hello.push_back('\0');
        return hello;
    }
    bool Send(const std::string& bytes) { return platform::SendAllBlocking(m_socket.Fd(), bytes.data(), bytes.size(), TimeoutMs(2000)); }
    bool SendHello() { return Send(HelloBytes()); }

    // The frames of one request, numbered like the client numbers them.
    std::string RequestFrames(uint32_t id, const std::string& body, bool expectsReply, uint32_t* wireId = nullptr)
    {
        PlainMessage m;
        m.head[1] = id;
        m.body = body;
        std::string coded = EncodeStages(EncodePlain(m), StageOptions {});
        uint32_t messageId = ++m_messageCounter;
        if (wireId)
            *wireId = messageId;
        std::string out;
        uint32_t index = 0;
        for (size_t at = 0; at < coded.size(); at += kMaxChunk) {
            std::string piece = coded.substr(at, kMaxChunk);
            std::string frame;
            PutU32(frame, static_cast<uint32_t>(56 + piece.size()));
            uint32_t words[13] = { 1, ++m_sequence, 0, 0, 0, 0, messageId, ++index,
                at + kMaxChunk >= coded.size() ? 1u : 0u, 0, expectsReply ? 1u : 0u, 0, 0 };
            for (uint32_t w : words)
                PutU32(frame, w);
            PutU32(frame, static_cast<uint32_t>(piece.size()));
            frame += piece;
            out += frame;
        }
        return out;
    }
    bool Request(uint32_t id, const std::string& body, bool expectsReply, uint32_t* wireId = nullptr)
    {
        return Send(RequestFrames(id, body, expectsReply, wireId));
    }

    // Reads one frame: [L][L bytes].
    bool ReadFrame(std::string& frame, int timeoutMs = TimeoutMs(2000))
    {
        frame.assign(4, '\0');
        if (!platform::RecvExactBlocking(m_socket.Fd(), frame.data(), 4, timeoutMs))
            return false;
        uint32_t length = GetU32(frame, 0);
        if (length > 1 << 20)
            return false;
        frame.resize(4 + length);
        return platform::RecvExactBlocking(m_socket.Fd(), frame.data() + 4, length, timeoutMs);
    }
    // Reads the frames of one message and decodes it.
    bool ReadMessage(uint32_t& type, uint32_t& wireId, PlainMessage& message, std::vector<std::string>* frames = nullptr)
    {
        std::string coded, frame;
        for (;;) {
            if (!ReadFrame(frame))
                return false;
            if (frames)
                frames->push_back(frame);
            type = GetU32(frame, 4);
            wireId = GetU32(frame, 28);
            coded += frame.substr(60, GetU32(frame, 56));
            if (GetU32(frame, 36) == 1)
                break;
        }
        std::string plain, error;
        return DecodeStages(coded, CountingKey(), plain, error) && DecodePlain(plain, message, error);
    }
    bool ReadExact(std::string& out, size_t n)
    {
        out.assign(n, '\0');
        return platform::RecvExactBlocking(m_socket.Fd(), out.data(), n, TimeoutMs(2000));
    }
    // Everything until the server closes (or timeoutMs passes quietly).
    std::string ReadUntilClosed(int timeoutMs = TimeoutMs(2000))
    {
        std::string all;
        char c;
        while (platform::RecvExactBlocking(m_socket.Fd(), &c, 1, timeoutMs))
            all.push_back(c);
        return all;
    }
    bool QuietFor(int ms)
    {
        char c;
        return !platform::RecvExactBlocking(m_socket.Fd(), &c, 1, ms);
    }

private:
    platform::Socket m_socket;
    uint32_t m_sequence = 0;
    uint32_t m_messageCounter = 0;
};

class ScriptedServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start());
        ASSERT_TRUE(client.Connect(server.Port()));
        ASSERT_TRUE(client.SendHello());
        ASSERT_TRUE(server.WaitForHello(TimeoutMs(2000)));
    }
    void TearDown() override { EXPECT_EQ(server.Errors(), std::vector<std::string> {}); }

    ScriptedServer server;
    TestClient client;
};

TEST_F(ScriptedServerTest, AnswersARequestWithOneReplyFrameOf144BytesAndRecordsIt)
{
    EXPECT_EQ(server.Hello(), std::string("Hello! Game Channel.", 21));
    server.SetReply(201001, ScriptedReply { 0, "", 0, false, 0 });
    uint32_t wireId = 0;
    std::string sent = client.RequestFrames(201001, "", true, &wireId);
    ASSERT_TRUE(client.Send(sent));

    std::string frame;
    ASSERT_TRUE(client.ReadFrame(frame));
    ASSERT_EQ(frame.size(), 144u);
    EXPECT_EQ(GetU32(frame, 0), 140u);
    EXPECT_EQ(GetU32(frame, 4), kFrameReply);
    EXPECT_EQ(GetU32(frame, 8), 1u) << "first frame on the link";
    EXPECT_EQ(GetU32(frame, 12), 1u) << "CRC flag";
    EXPECT_EQ(GetU32(frame, 16), FrameCrc(frame));
    EXPECT_EQ(GetU32(frame, 28), wireId);
    EXPECT_EQ(GetU32(frame, 32), 1u);
    EXPECT_EQ(GetU32(frame, 36), 1u);
    EXPECT_EQ(GetU32(frame, 44), 0u) << "a reply wants no reply";
    EXPECT_EQ(GetU32(frame, 56), 84u);
    std::string plain, error;
    PlainMessage reply;
    ASSERT_TRUE(DecodeStages(frame.substr(60), CountingKey(), plain, error)) << error;
    ASSERT_TRUE(DecodePlain(plain, reply, error));
    EXPECT_EQ(reply.Id(), 0u);
    EXPECT_TRUE(reply.body.empty());

    ASSERT_TRUE(server.WaitForRequests(1, TimeoutMs(2000)));
    ReceivedRequest r = server.Requests()[0];
    EXPECT_EQ(r.Id(), 201001u);
    EXPECT_EQ(r.wireMessageId, wireId);
    EXPECT_TRUE(r.expectsReply);
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0], sent);
}

TEST_F(ScriptedServerTest, ScriptDecidesCodeBodyDelayOrSilence)
{
    server.SetReply(10, ScriptedReply { 3, "ten", 0, false, 0 });
    server.SetReply(11, ScriptedReply { 4, "late", 120, false, 0 });
    server.SetNoAnswer(12);

    // No rule, a rule of silence, and a request that does not ask: quiet.
    ASSERT_TRUE(client.Request(99, "x", true));
    ASSERT_TRUE(client.Request(12, "y", true));
    ASSERT_TRUE(client.Request(10, "z", false));
    EXPECT_TRUE(client.QuietFor(100));

    uint32_t type = 0, wireId = 0, asked = 0;
    PlainMessage m;
    ASSERT_TRUE(client.Request(10, std::string(9000, 'b'), true, &asked));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(type, kFrameReply);
    EXPECT_EQ(wireId, asked);
    EXPECT_EQ(m.Id(), 3u);
    EXPECT_EQ(m.body, "ten");

    auto start = Clock::now();
    ASSERT_TRUE(client.Request(11, "", true, &asked));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 115);
    EXPECT_EQ(wireId, asked);
    EXPECT_EQ(m.body, "late");

    ASSERT_TRUE(server.WaitForRequests(5, TimeoutMs(2000)));
    std::vector<ReceivedRequest> r = server.Requests();
    EXPECT_EQ(r[3].message.body, std::string(9000, 'b'));
    EXPECT_EQ(r[3].frames.size(), 3u) << "9000 body bytes need three pieces";
    EXPECT_FALSE(r[2].expectsReply);
}

TEST_F(ScriptedServerTest, PushesArriveInOrderNumberedAndCutIntoPieces)
{
    for (uint32_t i = 0; i < 200; ++i)
        ASSERT_TRUE(server.Push(500 + i, std::string(i, 'p')));
    ASSERT_TRUE(server.Push(900, std::string(10000, 'L')));
    for (uint32_t i = 0; i < 200; ++i) {
        uint32_t type = 0, wireId = 0;
        PlainMessage m;
        ASSERT_TRUE(client.ReadMessage(type, wireId, m)) << i;
        EXPECT_EQ(type, kFrameMessage);
        EXPECT_EQ(wireId, i + 1);
        EXPECT_EQ(m.Id(), 500 + i);
        EXPECT_EQ(m.body.size(), i);
    }
    uint32_t type = 0, wireId = 0;
    PlainMessage m;
    std::vector<std::string> frames;
    ASSERT_TRUE(client.ReadMessage(type, wireId, m, &frames));
    EXPECT_EQ(m.body, std::string(10000, 'L'));
    ASSERT_EQ(frames.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(GetU32(frames[i], 8), 201 + i) << "frame sequence runs on";
        EXPECT_EQ(GetU32(frames[i], 32), i + 1);
        EXPECT_EQ(GetU32(frames[i], 36), i == 2 ? 1u : 0u);
        EXPECT_LE(GetU32(frames[i], 56), kMaxChunk);
    }
    EXPECT_TRUE(server.WaitForFlush(TimeoutMs(1000)));
}

TEST_F(ScriptedServerTest, BurstOfTenThousandArrivesComplete)
{
    ASSERT_TRUE(server.PushBurst(600, std::string(200, 'b'), 10000));
    ASSERT_TRUE(server.Push(601, "end"));
    for (uint32_t i = 1; i <= 10000; ++i) {
        uint32_t type = 0, wireId = 0;
        PlainMessage m;
        ASSERT_TRUE(client.ReadMessage(type, wireId, m)) << i;
        ASSERT_EQ(wireId, i);
        ASSERT_EQ(m.Id(), 600u);
        ASSERT_EQ(m.body.size(), 200u);
    }
    uint32_t type = 0, wireId = 0;
    PlainMessage m;
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(m.body, "end");
}

TEST_F(ScriptedServerTest, RepliesWithStaleOrUnaskedIdsOnDemand)
{
    server.SetReply(20, ScriptedReply { 0, "old", 0, false, -1 });
    server.SetReply(21, ScriptedReply { 0, "new", 0, false, +1 });
    uint32_t asked = 0, type = 0, wireId = 0;
    PlainMessage m;
    ASSERT_TRUE(client.Request(1, "", false));
    ASSERT_TRUE(client.Request(20, "", true, &asked));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(wireId, asked - 1);
    ASSERT_TRUE(client.Request(21, "", true, &asked));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(wireId, asked + 1);
    ASSERT_TRUE(server.SendReply(77, 5, "any"));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(type, kFrameReply);
    EXPECT_EQ(wireId, 77u);
    EXPECT_EQ(m.body, "any");
}

TEST_F(ScriptedServerTest, InjectsBrokenBytes)
{
    std::string frame;
    ASSERT_TRUE(server.PushWithBadCrc(8, "crc"));
    ASSERT_TRUE(client.ReadFrame(frame));
    EXPECT_EQ(GetU32(frame, 12), 1u);
    EXPECT_NE(GetU32(frame, 16), FrameCrc(frame));
    EXPECT_EQ(GetU32(frame, 28), 1u) << "still numbered as a notification";

    ASSERT_TRUE(server.SendOversizeLength(kMaxChunk + 57));
    std::string bytes;
    ASSERT_TRUE(client.ReadExact(bytes, 4));
    EXPECT_EQ(GetU32(bytes, 0), kMaxChunk + 57);
    ASSERT_TRUE(client.ReadExact(bytes, 16));
    EXPECT_TRUE(client.QuietFor(50));
    EXPECT_TRUE(server.ClientConnected());
}

TEST_F(ScriptedServerTest, ClosesMidFrame)
{
    ASSERT_TRUE(server.SendRaw("\x01\x02garbage"));
    ASSERT_TRUE(server.CloseMidFrame(3, std::string(100, 'm')));
    std::string all = client.ReadUntilClosed();
    ASSERT_GT(all.size(), 9u);
    EXPECT_EQ(all.substr(0, 9), "\x01\x02garbage");
    std::string partial = all.substr(9);
    uint32_t length = GetU32(partial, 0);
    EXPECT_LT(partial.size(), length + 4u) << "the frame is cut short";
    EXPECT_GT(partial.size(), 4u);
    EXPECT_TRUE(server.WaitForDisconnect(TimeoutMs(2000)));
}

TEST_F(ScriptedServerTest, StallHoldsRepliesUntilItEnds)
{
    server.SetReply(30, ScriptedReply { 0, "after", 0, false, 0 });
    server.Stall(ScriptedServer::kForever);
    ASSERT_TRUE(client.Request(30, "", true));
    EXPECT_TRUE(client.QuietFor(100));
    EXPECT_EQ(server.RequestCount(), 0u) << "nothing is read while stalled";
    server.Resume();
    uint32_t type = 0, wireId = 0;
    PlainMessage m;
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(m.body, "after");

    // Timed from before the stall is asked for: the reply cannot come
    // before the stall has run its course, however late either thread runs.
    auto start = Clock::now();
    server.Stall(80);
    ASSERT_TRUE(client.Request(30, "", true));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 60);
}

TEST(ScriptedServer, KeepsAFrameThatCameWithTheHelloAndSpeaksZip)
{
    ServerOptions options;
    options.stages.zip = true;
    ScriptedServer server(options);
    ASSERT_TRUE(server.Start());
    server.SetReply(40, ScriptedReply { 1, std::string(3000, 'z'), 0, false, 0 });
    TestClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.Send(client.HelloBytes() + client.RequestFrames(40, "first", true)));
    std::vector<std::string> frames;
    uint32_t type = 0, wireId = 0;
    PlainMessage m;
    ASSERT_TRUE(client.ReadMessage(type, wireId, m, &frames));
    EXPECT_EQ(m.body, std::string(3000, 'z'));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_LT(frames[0].size(), 200u) << "compressed";
    std::string zipBlock;
    ASSERT_TRUE(AesDecryptBlocks(CountingKey(), frames[0].substr(80), zipBlock));
    EXPECT_EQ(GetU32(zipBlock, 0), kZipStage);
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests()[0].message.body, "first");
    EXPECT_TRUE(server.Errors().empty());
}

TEST(ScriptedServer, ReportsWhatTheClientGotWrong)
{
    ScriptedServer server;
    ASSERT_TRUE(server.Start());
    TestClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.SendHello());
    // Piece 2 of a message without piece 1: recorded, link kept.
    std::string frames = client.RequestFrames(50, std::string(5000, 'a'), false);
    uint32_t firstLength = GetU32(frames, 0) + 4;
    ASSERT_TRUE(client.Send(frames.substr(firstLength)));
    ASSERT_TRUE(client.Request(51, "ok", false));
    ASSERT_TRUE(server.WaitForRequests(1, TimeoutMs(2000)));
    EXPECT_EQ(server.Requests()[0].Id(), 51u);
    std::vector<std::string> errors = server.Errors();
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors[0].find("sequence"), std::string::npos) << errors[0];

    // A frame whose CRC flag is set with a wrong CRC: the link is dropped.
    std::string bad = client.RequestFrames(52, "", false);
    bad[12] = 1;
    bad[16] = 0x12;
    ASSERT_TRUE(client.Send(bad));
    EXPECT_TRUE(server.WaitForDisconnect(TimeoutMs(2000)));
    errors = server.Errors();
    EXPECT_NE(errors.back().find("CRC"), std::string::npos) << errors.back();
    EXPECT_EQ(client.ReadUntilClosed(), "");

    // A new connection starts a fresh link.
    TestClient again;
    ASSERT_TRUE(again.Connect(server.Port()));
    ASSERT_TRUE(server.WaitForConnection(2, TimeoutMs(2000)));
    ASSERT_TRUE(again.SendHello());
    ASSERT_TRUE(server.WaitForHello(TimeoutMs(2000)));
}

TEST(ServerScript, ParsesEachCommandAndNamesTheBadLine)
{
    const char* text = "# demo\n"
                       "listen 127.0.0.1 0\r\n"
                       "key 0f0e0d0c0b0a09080706050403020100\n"
                       "zip on\n"
                       "crc off\n"
                       "\n"
                       "reply 201001 0 text=version ok  \n"
                       "reply 0x10 7 delay=250 hex=0102ff\n"
                       "noreply 5\n"
                       "push 300 text=hi there\n"
                       "push 301 on=0x10\n";
    ServerScript s;
    std::string error;
    ASSERT_TRUE(ParseServerScript(text, s, error)) << error;
    EXPECT_EQ(s.options.port, 0);
    EXPECT_EQ(s.options.stages.key[0], 0x0f);
    EXPECT_TRUE(s.options.stages.zip);
    EXPECT_TRUE(s.options.stages.cipher);
    EXPECT_FALSE(s.options.crcOnSend);
    ASSERT_EQ(s.replies.size(), 3u);
    EXPECT_EQ(s.replies[0].first, 201001u);
    EXPECT_EQ(s.replies[0].second.body, "version ok  ");
    EXPECT_EQ(s.replies[1].first, 16u);
    EXPECT_EQ(s.replies[1].second.code, 7u);
    EXPECT_EQ(s.replies[1].second.delayMs, 250);
    EXPECT_EQ(s.replies[1].second.body, std::string("\x01\x02\xff", 3));
    EXPECT_TRUE(s.replies[2].second.noAnswer);
    ASSERT_EQ(s.pushesOnHello.size(), 1u);
    EXPECT_EQ(s.pushesOnHello[0].body, "hi there");
    ASSERT_EQ(s.pushesAfter.size(), 1u);
    EXPECT_EQ(s.pushesAfter[0].first, 16u);

    struct Bad {
        const char* text;
        const char* error;
    };
    for (Bad b : { Bad { "listen 127.0.0.1 70000", "line 1: listen" }, Bad { "\nkey 0011", "line 2: key" },
             Bad { "zip maybe", "line 1: zip" }, Bad { "reply 1", "line 1: reply needs a code" },
             Bad { "reply 1 2 delay=x", "line 1: delay" }, Bad { "push 1 hex=abc", "line 1: hex" },
             Bad { "reply 1 2 colour=red", "line 1: unknown option" }, Bad { "frobnicate", "line 1: unknown command" },
             Bad { "zip on off", "line 1: unexpected" } }) {
        EXPECT_FALSE(ParseServerScript(b.text, s, error)) << b.text;
        EXPECT_EQ(error.rfind(b.error, 0), 0u) << b.text << " -> " << error;
    }
}

TEST(ServerScript, ScriptedPushesFollowTheHelloAndTheirTriggerRequest)
{
    ServerScript script;
    std::string error;
    ASSERT_TRUE(ParseServerScript("reply 7 0 text=seven\npush 100 text=welcome\npush 101 on=7 text=after\n", script, error));
    ScriptedServer server(script.options);
    ApplyServerScript(script, server);
    ASSERT_TRUE(server.Start());
    TestClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.SendHello());
    uint32_t type = 0, wireId = 0;
    PlainMessage m;
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(m.Id(), 100u);
    EXPECT_EQ(m.body, "welcome");
    ASSERT_TRUE(client.Request(7, "", true));
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(type, kFrameReply);
    EXPECT_EQ(m.body, "seven");
    ASSERT_TRUE(client.ReadMessage(type, wireId, m));
    EXPECT_EQ(type, kFrameMessage);
    EXPECT_EQ(m.Id(), 101u);
    EXPECT_EQ(wireId, 2u);
}

} // namespace
