#include "FrameTestSupport.h"

#include "net/Crc32.h"
#include "tests/support/TestTimeouts.h"
#include "platform/Bytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <thread>

using namespace nettest;
using net::FrameHeader;
using testsupport::TimeoutMs;

namespace {

std::string RandomBody(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string body(n, '\0');
    for (auto& c : body)
        c = static_cast<char>(rng());
    return body;
}

// Sends m from a fresh connection and returns the bytes on the wire.
std::string SendOne(const net::NetMessage& m, bool crc = false)
{
    MemoryConnection sender(crc);
    net::MessageContext context;
    int timedOut = -1;
    EXPECT_EQ(sender.SendRequest(context, m, nullptr, &timedOut, 0), 1);
    EXPECT_EQ(timedOut, 0);
    return sender.TakeSent();
}

} // namespace

TEST(MessageFrame, EmptyBodyIsOneFrameOf144Bytes)
{
    std::string wire = SendOne(MakeMessage(201001, ""));
    ASSERT_EQ(wire.size(), 144u); // 60 bytes of frame head + an 84-byte coded form
    auto frames = SplitFrames(wire);
    ASSERT_EQ(frames.size(), 1u);
    FrameHeader h = HeaderOf(frames[0]);
    EXPECT_EQ(h.type, 1u);
    EXPECT_EQ(h.sequence, 1u);
    EXPECT_EQ(h.messageId, 1u);
    EXPECT_EQ(h.pieceIndex, 1u);
    EXPECT_EQ(h.lastPiece, 1u);
    EXPECT_EQ(h.crcFlag, 0u);
}

TEST(MessageFrame, SplitPiecesAtTheChunkEdge)
{
    struct Case {
        size_t coded;
        std::vector<uint32_t> pieces;
    } cases[] = {
        { 4000, { 4000 } },
        { 4001, { 4000, 1 } },
        { 12000, { 4000, 4000, 4000 } },
        { 0, {} },
    };
    for (const auto& c : cases) {
        net::ByteBuffer source(std::string(c.coded, 'x').data(), c.coded);
        net::ByteBuffer pieces;
        EXPECT_EQ(net::SplitPieces(source, pieces, 4000), c.pieces.size());
        EXPECT_EQ(source.Size(), 0u);
        size_t pos = 0;
        for (uint32_t n : c.pieces) {
            ASSERT_LE(pos + 4, pieces.Size());
            EXPECT_EQ(platform::LoadLe32(pieces.Data(pos)), n);
            pos += 4 + n;
        }
        EXPECT_EQ(pos, pieces.Size());

        net::ByteBuffer joined;
        EXPECT_EQ(net::JoinPieces(pieces.Data(), pieces.Size(), joined, 4000), static_cast<int>(c.pieces.size()));
        EXPECT_EQ(joined.Size(), c.coded);
    }
}

TEST(MessageFrame, JoinPiecesRejectsLyingLengths)
{
    net::ByteBuffer out;
    std::string tooLong = U32(4001) + std::string(4001, 'a');
    EXPECT_EQ(net::JoinPieces(reinterpret_cast<const uint8_t*>(tooLong.data()), tooLong.size(), out, 4000), -1);
    std::string shortData = U32(100) + std::string(10, 'a');
    EXPECT_EQ(net::JoinPieces(reinterpret_cast<const uint8_t*>(shortData.data()), shortData.size(), out, 4000), -1);
    std::string negative = U32(0xFFFFFFFF) + "abcd";
    EXPECT_EQ(net::JoinPieces(reinterpret_cast<const uint8_t*>(negative.data()), negative.size(), out, 4000), -1);
}

TEST(MessageFrame, MessagesOfEverySizeArriveWhole)
{
    for (size_t size : { 0u, 1u, 200u, 3947u, 3948u, 10000u, 65536u, 300000u }) {
        net::NetMessage m = MakeMessage(229580, RandomBody(size, static_cast<unsigned>(size)));
        for (bool crc : { false, true }) {
            std::string wire = SendOne(m, crc);
            for (const auto& frame : SplitFrames(wire))
                EXPECT_EQ(HeaderOf(frame).crcFlag, crc ? 1u : 0u);

            MemoryConnection receiver;
            ASSERT_EQ(receiver.Feed(wire), 1);
            auto got = receiver.TakeDelivered();
            ASSERT_EQ(got.size(), 1u) << size;
            EXPECT_EQ(got[0].message.messageId, 229580u);
            EXPECT_EQ(got[0].Body(), RandomBody(size, static_cast<unsigned>(size)));
            EXPECT_EQ(got[0].context.wireMessageId, 1u);
            EXPECT_EQ(got[0].context.expectsReply, 0u);
        }
    }
}

TEST(MessageFrame, StreamCutAnywhereIsJoinedAlike)
{
    // Two messages of several frames each, fed in pieces of every awkward size.
    std::string wire = SendOne(MakeMessage(7, RandomBody(9000, 1))) + SendOne(MakeMessage(8, RandomBody(10, 2)));
    for (size_t step : { 1u, 3u, 4u, 5u, 59u, 60u, 61u, 4060u, 100000u }) {
        MemoryConnection receiver;
        for (size_t pos = 0; pos < wire.size(); pos += step)
            ASSERT_EQ(receiver.Feed(wire.substr(pos, step)), 1);
        auto got = receiver.TakeDelivered();
        ASSERT_EQ(got.size(), 2u) << step;
        EXPECT_EQ(got[0].message.messageId, 7u);
        EXPECT_EQ(got[1].message.messageId, 8u);
        EXPECT_EQ(receiver.BufferedBytes(), 0u);
    }
}

TEST(MessageFrame, CrcCoversEveryByteOnlyWhenFlagged)
{
    net::NetMessage m = MakeMessage(5, "crc");
    std::string flagged = SendOne(m, true);
    std::string plain = SendOne(m, false);
    ASSERT_EQ(flagged.size(), plain.size());

    // The flagged frame's CRC is the zlib CRC of the frame with flag and word zeroed.
    std::string zeroed = flagged;
    std::memset(zeroed.data() + net::kFrameCrcFlagOffset, 0, 8);
    EXPECT_EQ(platform::LoadLe32(reinterpret_cast<const uint8_t*>(flagged.data()) + net::kFrameCrcOffset),
        net::Crc32(reinterpret_cast<const uint8_t*>(zeroed.data()), zeroed.size()));

    for (size_t i = 0; i < flagged.size(); ++i) {
        if (i < 4)
            continue; // the length is checked before the CRC (see the hostile tests)
        if (i == net::kFrameCrcFlagOffset)
            continue; // clearing the flag turns the check off, as for any unflagged frame
        std::string bad = flagged;
        bad[i] ^= 0x01;
        MemoryConnection receiver;
        receiver.Feed(bad);
        auto got = receiver.TakeDelivered();
        ASSERT_EQ(got.size(), 1u) << "byte " << i;
        EXPECT_EQ(got[0].message.messageId, net::kConnectionError);
    }
    MemoryConnection receiver;
    EXPECT_EQ(receiver.Feed(plain), 1);
    EXPECT_EQ(receiver.TakeDelivered().size(), 1u);
}

TEST(MessageFrame, FramesOutOfOrderCostTheirMessage)
{
    std::string a = SendOne(MakeMessage(7, RandomBody(9000, 3))); // 3 frames, wire id 1
    auto framesA = SplitFrames(a);
    ASSERT_EQ(framesA.size(), 3u);
    std::string b = PeerFrames(1, 2, MakeMessage(8, RandomBody(5000, 4))); // 2 frames, wire id 2
    auto framesB = SplitFrames(b);
    ASSERT_EQ(framesB.size(), 2u);
    std::string small = PeerFrames(1, 3, MakeMessage(9, "ok"));

    struct Case {
        const char* name;
        std::string stream;
        std::vector<uint32_t> delivered;
    } cases[] = {
        { "piece 2 with no message begun", framesA[1] + small, { 9 } },
        { "a piece skipped", framesA[0] + framesA[2] + small, { 9 } },
        { "two messages interleaved", framesA[0] + framesB[0] + framesA[1] + small, { 9 } },
        { "a new message begins mid-way", framesA[0] + framesA[1] + b + small, { 9 } },
        { "in order", a + b + small, { 7, 8, 9 } },
    };
    for (const auto& c : cases) {
        MemoryConnection receiver;
        EXPECT_EQ(receiver.Feed(c.stream), 1) << c.name; // costs the message, reports nothing
        std::vector<uint32_t> ids;
        for (auto& d : receiver.TakeDelivered())
            ids.push_back(d.message.messageId);
        EXPECT_EQ(ids, c.delivered) << c.name;
    }
}

TEST(MessageFrame, HostileLengthsBreakTheLinkOnce)
{
    std::string good = PeerFrames(1, 1, MakeMessage(9, "after"));
    struct Case {
        const char* name;
        uint32_t length;
    } cases[] = {
        { "zero", 0 },
        { "negative", 0xFFFFFFFF },
        { "bare header (24)", 24 },
        { "no piece (56)", 56 },
        { "one past the chunk", 4000 + 57 },
        { "huge", 0x7FFFFFF0 },
    };
    for (const auto& c : cases) {
        MemoryConnection receiver;
        // Only the four length bytes: the verdict may not wait for L more.
        EXPECT_EQ(receiver.Feed(U32(c.length)), 0) << c.name;
        EXPECT_EQ(receiver.BufferedBytes(), 0u) << c.name;
        // Whatever follows is dropped and reported no more.
        EXPECT_EQ(receiver.Feed(good + std::string(100, 'z')), 1) << c.name;
        EXPECT_EQ(receiver.Feed(U32(0)), 1) << c.name;
        auto got = receiver.TakeDelivered();
        ASSERT_EQ(got.size(), 1u) << c.name;
        EXPECT_EQ(got[0].message.messageId, net::kConnectionError) << c.name;
    }
}

TEST(MessageFrame, BadFramesAreDroppedAndTheStreamGoesOn)
{
    std::string good = PeerFrames(1, 2, MakeMessage(9, "after"));
    std::string base = PeerFrames(1, 1, MakeMessage(8, "x"));

    auto withHeader = [&](auto edit) {
        std::string frame = base;
        FrameHeader h = HeaderOf(frame);
        edit(h);
        h.Store(reinterpret_cast<uint8_t*>(frame.data()) + net::kFrameHeaderOffset);
        return frame;
    };
    std::string lyingPiece = base;
    platform::StoreLe32(reinterpret_cast<uint8_t*>(lyingPiece.data()) + net::kFramePieceLengthOffset, 3);

    struct Case {
        const char* name;
        std::string frame;
    } cases[] = {
        { "piece length differs from the frame", lyingPiece },
        { "unknown type", withHeader([](FrameHeader& h) { h.type = 3; }) },
        { "message id 0", withHeader([](FrameHeader& h) { h.messageId = 0; }) },
        { "negative piece index", withHeader([](FrameHeader& h) { h.pieceIndex = 0x80000000; }) },
        { "reply when none was asked for", withHeader([](FrameHeader& h) { h.type = 2; h.messageId = 5; }) },
    };
    for (const auto& c : cases) {
        MemoryConnection receiver;
        receiver.Feed(c.frame + good);
        auto got = receiver.TakeDelivered();
        ASSERT_EQ(got.size(), 2u) << c.name;
        EXPECT_EQ(got[0].message.messageId, net::kConnectionError) << c.name; // where the bad frame stood
        EXPECT_EQ(got[1].message.messageId, 9u) << c.name; // the good frame after it still arrives
    }
}

TEST(MessageFrame, UndecodableMessagesAreDroppedSilently)
{
    // A plain form whose body length claims more than there is.
    net::NetMessage m = MakeMessage(9, "body");
    net::ByteBuffer plain;
    net::WritePlainForm(m, plain);
    platform::StoreLe32(plain.Data(24), 1000);
    net::MessageCodec coder(kKey, 128, net::kCipherAes, 0);
    ASSERT_EQ(coder.Process(plain, net::kCodecEncode), 1);
    net::ByteBuffer pieces;
    net::SplitPieces(plain, pieces, 4000);
    net::ByteBuffer wire;
    FrameHeader h;
    h.type = 1;
    h.messageId = 1;
    h.pieceIndex = 1;
    h.lastPiece = 1;
    net::WriteFrame(pieces.Data(4), static_cast<uint32_t>(pieces.Size() - 4), h, false, wire);

    MemoryConnection receiver;
    EXPECT_EQ(receiver.Feed(std::string(reinterpret_cast<char*>(wire.Data()), wire.Size())), 1);
    EXPECT_TRUE(receiver.TakeDelivered().empty());

    // Encrypted with another key: the stage lengths no longer hold.
    uint8_t otherKey[16] = { 1 };
    net::ByteBuffer pieces2;
    ASSERT_TRUE(net::EncodeNetMessage(m, { otherKey, 128, net::kCipherAes, 0 }, 4000, pieces2));
    net::ByteBuffer wire2;
    net::WriteFrame(pieces2.Data(4), static_cast<uint32_t>(pieces2.Size() - 4), h, false, wire2);
    EXPECT_EQ(receiver.Feed(std::string(reinterpret_cast<char*>(wire2.Data()), wire2.Size())), 1);
    EXPECT_TRUE(receiver.TakeDelivered().empty());
}

// ---- replies --------------------------------------------------------------

class ReplyTest : public ::testing::Test {
protected:
    // Starts a request on another thread; returns its result and reply.
    struct Pending {
        std::future<int> result;
        net::NetMessage reply;
        int timedOut = -1;
    };
    void Start(Pending& p, uint32_t requestId, int timeoutMs)
    {
        p.result = std::async(std::launch::async, [this, &p, requestId, timeoutMs] {
            net::MessageContext context;
            context.expectsReply = 1;
            return conn.SendRequest(context, MakeMessage(requestId, "req"), &p.reply, &p.timedOut, timeoutMs);
        });
        // Wait until its frames are out: the expectation is armed by then.
        auto end = std::chrono::steady_clock::now() + testsupport::Timeout(std::chrono::milliseconds(2000));
        while (sentFrames.empty() && std::chrono::steady_clock::now() < end) {
            std::string sent = conn.TakeSent();
            if (!sent.empty())
                sentFrames = SplitFrames(sent);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(sentFrames.empty());
        lastWireId = HeaderOf(sentFrames[0]).messageId;
        EXPECT_EQ(HeaderOf(sentFrames[0]).expectsReply, 1u);
        sentFrames.clear();
    }
    MemoryConnection conn;
    std::vector<std::string> sentFrames;
    uint32_t lastWireId = 0;
};

TEST_F(ReplyTest, ReplyReachesTheRequestThatWaits)
{
    Pending p;
    Start(p, 200110, TimeoutMs(5000));
    // A stale reply for an id never expected now is ignored.
    EXPECT_EQ(conn.Feed(PeerFrames(2, lastWireId, MakeMessage(1, RandomBody(7000, 5)))), 1);
    ASSERT_EQ(p.result.get(), 1);
    EXPECT_EQ(p.timedOut, 0);
    EXPECT_EQ(p.reply.messageId, 1u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p.reply.body.get()), p.reply.bodyLength), RandomBody(7000, 5));
    EXPECT_TRUE(conn.TakeDelivered().empty()); // a reply is not posted
}

TEST_F(ReplyTest, LateReplyIsNeverTakenForTheNextRequest)
{
    Pending first;
    Start(first, 201001, 50);
    EXPECT_EQ(first.result.get(), 0);
    EXPECT_EQ(first.timedOut, 1);
    uint32_t firstId = lastWireId;

    Pending second;
    Start(second, 201002, TimeoutMs(5000));
    // The first request's answer comes now: it is ignored, without an error.
    EXPECT_EQ(conn.Feed(PeerFrames(2, firstId, MakeMessage(111, "late"))), 1);
    EXPECT_EQ(conn.Feed(PeerFrames(2, lastWireId, MakeMessage(222, "right"))), 1);
    ASSERT_EQ(second.result.get(), 1);
    EXPECT_EQ(second.reply.messageId, 222u);
    EXPECT_TRUE(conn.TakeDelivered().empty());

    // A late reply with nothing waiting is ignored too.
    EXPECT_EQ(conn.Feed(PeerFrames(2, firstId, MakeMessage(111, "later"))), 1);
    EXPECT_TRUE(conn.TakeDelivered().empty());
}

TEST_F(ReplyTest, ReplyFromTheFutureIsALinkError)
{
    Pending p;
    Start(p, 201001, 100);
    conn.Feed(PeerFrames(2, lastWireId + 5, MakeMessage(1, "")));
    EXPECT_EQ(p.result.get(), 0);
    EXPECT_EQ(p.timedOut, 1);
    auto got = conn.TakeDelivered();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message.messageId, net::kConnectionError);
}

TEST(MessageFrameSend, PartialFrameBreaksTheLink)
{
    MemoryConnection conn;
    conn.LimitSends(100); // the first frame (144 bytes) goes out in part
    net::MessageContext context;
    int timedOut = -1;
    EXPECT_EQ(conn.SendRequest(context, MakeMessage(1, ""), nullptr, &timedOut, 0), 0);
    conn.LimitSends(-1);
    // Nothing more goes out on a link the peer can no longer parse.
    EXPECT_EQ(conn.SendRequest(context, MakeMessage(2, ""), nullptr, &timedOut, 0), 0);
    EXPECT_EQ(conn.TakeSent().size(), 100u);
    auto got = conn.TakeDelivered();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message.messageId, net::kConnectionError);
}

TEST(MessageFrameSend, CountersNumberMessagesAndFrames)
{
    MemoryConnection conn;
    net::MessageContext context;
    int timedOut;
    ASSERT_EQ(conn.SendRequest(context, MakeMessage(1, RandomBody(5000, 1)), nullptr, &timedOut, 0), 1);
    ASSERT_EQ(conn.SendRequest(context, MakeMessage(2, "x"), nullptr, &timedOut, 0), 1);
    auto frames = SplitFrames(conn.TakeSent());
    ASSERT_EQ(frames.size(), 3u);
    uint32_t expect[][4] = { { 1, 1, 1, 0 }, { 2, 1, 2, 1 }, { 3, 2, 1, 1 } }; // sequence, id, piece, last
    for (size_t i = 0; i < 3; ++i) {
        FrameHeader h = HeaderOf(frames[i]);
        EXPECT_EQ(h.sequence, expect[i][0]);
        EXPECT_EQ(h.messageId, expect[i][1]);
        EXPECT_EQ(h.pieceIndex, expect[i][2]);
        EXPECT_EQ(h.lastPiece, expect[i][3]);
    }
}
