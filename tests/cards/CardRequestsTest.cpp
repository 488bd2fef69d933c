// The card layer's requests against the scripted server over loopback: every
// record byte by byte as the server received it, what each request makes of
// the reply, the card layer's time-outs, and the requests that report
// failure because nothing was handed to the socket.

#include "cards/CardGameConnection.h"

#include "frame/core/CGameFrameApp.h"
#include "frame/core/CGameFrameWnd.h"
#include "cards/CardNotifyHandler.h"
#include "net/NetMessage.h"
#include "platform/Clock.h"
#include "table/PlayRecord.h"
#include "tests/frame/core/RequestsFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using game::CardGameConnection;

namespace {

using requeststest::Expect;
using requeststest::kChair;
using requeststest::kRoom;
using requeststest::kTable;
using requeststest::kUser;
using requeststest::Words;

constexpr int kLooker = 30003;

// The application as the card layer derives it: it owns the connection.
class CardRequestApp : public CGameFrameApp {
public:
    CardRequestApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }
    ~CardRequestApp() override { connection.Close(); }
    GameConnection* GetConnection() override { return &connection; }
    GameNotifyHandler* GetNotifyHandler() override { return handler.get(); }
    int GetChairCount() const override { return 4; }

    CardGameConnection connection;
    std::unique_ptr<GameNotifyHandler> handler;

protected:
    int RunLoop() override { return 0; }
};

// A play of the given card ids.
table::PlayRecord Play(int type, int mask, int value, std::initializer_list<int> cards)
{
    table::PlayRecord play(type, mask, value, static_cast<int>(cards.size()));
    for (int id : cards)
        play.Append(id);
    return play;
}

game::ThrowRecord Throw(const table::PlayRecord& play, int nextChair)
{
    game::ThrowRecord record;
    record.SetHead(kUser, kRoom, kTable, kChair);
    record.SetNextChair(nextChair);
    record.SetPlay(play);
    return record;
}

class CardRequestsTest : public requeststest::ServerFixture {
protected:
    CardRequestsTest()
        : ServerFixture("kbzn_card_requests_")
    {
    }
    void SetUp() override
    {
        ServerFixture::SetUp();
        if (HasFatalFailure())
            return;

        m_app = std::make_unique<CardRequestApp>();
        frame::HallLaunchArgs& args = m_app->GetHallArgs();
        args.userId = kUser;
        args.chair = kChair;
        frame::MatchRoomInfo& match = m_app->GetMatchRoomInfo();
        match.SetRoomId(kRoom);
        match.SetTableNo(kTable);
        match.SetSeatCount(4);
        m_app->ApplyMatchRoomInfo();

        Connection().SetCipherKey();
        Connection().SetNotifyThread(m_queue.ThreadId());
        bool proxyFailed = false;
        ASSERT_EQ(Connection().Connect("", "127.0.0.1", m_server.Port(), proxyFailed), 1);
    }
    void TearDown() override
    {
        m_app.reset();
        ServerFixture::TearDown();
    }

    CardGameConnection& Connection() { return m_app->connection; }
    // Nothing reached the server before this point.
    void ExpectNothingSent()
    {
        ASSERT_EQ(Connection().SendViewCardsRequest(), 1);
        ASSERT_TRUE(m_server.WaitForRequests(1, 5000));
        const auto requests = m_server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].Id(), game::kRequestViewCards);
    }

    std::unique_ptr<CardRequestApp> m_app;
};

// ---- records ------------------------------------------------------------------

TEST_F(CardRequestsTest, EveryRecordAsTheServerReceivesIt)
{
    m_server.SetDefaultReply(tools::ScriptedReply { .code = 10, .body = "" });
    const std::string payload = "\x01\x02\x03\x04\x05\x06\x07";
    const std::string kindBody = Words({ 229500, 0, 19840325, 0, 0 });
    std::string text;

    struct Case {
        const char* name;
        std::function<void(CardGameConnection&)> send;
        uint32_t id;
        Expect record;
    };
    const Case cases[] = {
        { "throw of three cards: the record up to its third card",
            [&](CardGameConnection& c) { c.SendThrow(text, Throw(Play(0x10, 0x30, 9, { 7, 61, 107 }), 1)); },
            221080,
            Expect(64 + 12)
                .Head()
                .Int(20, 1)
                .Int(48, 0x10)
                .Int(52, 0x30)
                .Int(56, 9)
                .Int(60, 3)
                .Int(64, 7)
                .Int(68, 61)
                .Int(72, 107) },
        { "throw of no cards: the bare 64 bytes",
            [&](CardGameConnection& c) { c.SendThrow(text, Throw(Play(0, 0, 0, {}), 3)); }, 221080,
            Expect(64).Head().Int(20, 3) },
        { "pass: the chair before the table number",
            [&](CardGameConnection& c) {
                game::PassRecord record;
                record.SetHead(kUser, kRoom, kTable, kChair);
                record.SetLastPlayChair(-1);
                c.SendPass(text, record);
            },
            223000, Expect(56).Int(0, kUser).Int(4, kRoom).Int(8, kChair).Int(12, kTable).Int(16, -1) },
        { "play option", [](CardGameConnection& c) { c.SendPlayOption(4, -7); }, 221070,
            Expect(40).Head().Int(16, 4).Int(20, -7) },
        { "table message: room before user, then exactly the payload",
            [&](CardGameConnection& c) {
                c.SendTableMessage(19840324, reinterpret_cast<const uint8_t*>(payload.data()),
                    static_cast<uint32_t>(payload.size()), false);
            },
            229510, Expect(20 + 7).Int(0, kRoom).Int(4, kUser).Int(8, 19840324).Int(16, 7).Text(20, payload) },
        { "waiting table message without payload",
            [](CardGameConnection& c) { c.SendTableMessageWait(19840330, nullptr, 0); }, 229510,
            Expect(20).Int(0, kRoom).Int(4, kUser).Int(8, 19840330) },
        { "view cards request", [](CardGameConnection& c) { c.SendViewCardsRequest(); }, 229550,
            Expect(32).Head() },
        { "view cards permission", [](CardGameConnection& c) { c.SetViewCardsPermission(kLooker, 1); }, 229560,
            Expect(40).Head().Int(16, kLooker).Int(20, 1) },
        { "report of a failed table message: its kind and the previous stamp's word",
            [&](CardGameConnection& c) {
                platform::SetFixedTick(123456);
                c.ReportNotifyError(229500, reinterpret_cast<const uint8_t*>(kindBody.data()),
                    static_cast<uint32_t>(kindBody.size()), { 221170, 76, 120000, 19840324 });
                platform::SetFixedTick(std::nullopt);
            },
            201162,
            Expect(56)
                .Int(0, kUser)
                .Int(4, kRoom)
                .Int(8, kTable)
                .Int(12, kTable)
                .Int(20, 229500)
                .Int(24, 19840325)
                .Int(28, 20)
                .Int(32, 123456)
                .Int(36, 221170)
                .Int(40, 19840324)
                .Int(44, 76)
                .Int(48, 120000) },
        { "report of any other notification: no kind",
            [&](CardGameConnection& c) {
                platform::SetFixedTick(99);
                c.ReportNotifyError(221170, reinterpret_cast<const uint8_t*>(kindBody.data()),
                    static_cast<uint32_t>(kindBody.size()), {});
                platform::SetFixedTick(std::nullopt);
            },
            201162, Expect(56).Int(0, kUser).Int(4, kRoom).Int(8, kTable).Int(12, kTable).Int(20, 221170).Int(28, 20)
                        .Int(32, 99) },
    };
    size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.send(Connection());
        EXPECT_EQ(LastBody(c.id, ++count), c.record.Bytes());
    }
}

TEST_F(CardRequestsTest, ReportCarriesTheLookOnFlag)
{
    m_app->GetHallArgs().lookOn = 1;
    Connection().ReportNotifyError(211300, nullptr, 0, {});
    const std::string body = LastBody(201162, 1);
    ASSERT_EQ(body.size(), 56u);
    EXPECT_EQ(body.substr(16, 4), Words({ 1 }));
}

// A handler that fails on plays.
class FailingOnPlays : public game::CardNotifyHandler {
public:
    using CardNotifyHandler::CardNotifyHandler;
    void OnCardsThrown(const uint8_t*, size_t) override { throw std::runtime_error("bad play"); }
};

// The frame window with its message entry open to the test.
class TestWindow : public CGameFrameWnd {
public:
    using CGameFrameWnd::CGameFrameWnd;
    using CGameFrameWnd::OnNetMessage;
};

// A notification as the communication thread posts it to the window.
void Deliver(TestWindow& window, const GameConnection& connection, uint32_t id, const std::string& body)
{
    auto context = std::make_unique<net::MessageContext>();
    context->connectionId = connection.GetConnectionId();
    auto message = std::make_unique<net::NetMessage>();
    message->messageId = id;
    message->bodyLength = static_cast<uint32_t>(body.size());
    message->body = std::make_unique<uint8_t[]>(body.size());
    std::copy(body.begin(), body.end(), message->body.get());
    window.OnNetMessage(reinterpret_cast<uintptr_t>(context.release()), reinterpret_cast<intptr_t>(message.release()));
}

// The window reports a failed handler with the stamp of the notification
// before it, the table message's kind included.
TEST_F(CardRequestsTest, FailedNotificationReportsThePreviousTableMessagesKind)
{
    m_app->handler = std::make_unique<FailingOnPlays>(*m_app);
    TestWindow window(*m_app);
    Deliver(window, Connection(), 229500, Words({ 229500, 0, 19840327, 0, 0 }));
    const std::string play = Words({ 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0x1, 0x1, 3, 1, 5 });
    Deliver(window, Connection(), 221170, play);

    const std::string body = LastBody(201162, 1);
    ASSERT_EQ(body.size(), 56u);
    EXPECT_EQ(body.substr(20, 4), Words({ 221170 }));
    EXPECT_EQ(body.substr(24, 4), Words({ 0 }));
    EXPECT_EQ(body.substr(28, 4), Words({ static_cast<int32_t>(play.size()) }));
    EXPECT_EQ(body.substr(36, 4), Words({ 229500 }));
    EXPECT_EQ(body.substr(40, 4), Words({ 19840327 }));
    EXPECT_EQ(body.substr(44, 4), Words({ 20 }));
}

// ---- results ------------------------------------------------------------------

TEST_F(CardRequestsTest, WaitingRequestsAnswerTheReplyCode)
{
    std::string text = "stale";
    Reply(221080, 221081);
    EXPECT_EQ(Connection().SendThrow(text, Throw(Play(0x1, 0x1, 3, { 5 }), 1)), 221081u);
    EXPECT_EQ(text, "") << "the caller's text is emptied first";
    Reply(223000, 10);
    game::PassRecord pass;
    EXPECT_EQ(Connection().SendPass(text, pass), 10u);
    Reply(229510, 33);
    EXPECT_EQ(Connection().SendTableMessage(19840324, nullptr, 0, true), 33u);
}

TEST_F(CardRequestsTest, PlayOptionSucceedsOnlyOnCodeTen)
{
    const struct {
        uint32_t code;
        int result;
    } cases[] = { { 10, 1 }, { 11, 0 }, { 0, 0 }, { 210030, 0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Reply(221070, c.code);
        EXPECT_EQ(Connection().SendPlayOption(1, 1), c.result);
    }
}

TEST_F(CardRequestsTest, WaitingTableMessageHandsBackTheReply)
{
    Reply(229510, 10, Words({ 229500, 0, 19840324, 0, 0 }));
    const RequestReply reply = Connection().SendTableMessageWait(19840324, nullptr, 0);
    EXPECT_EQ(reply.code, 10u);
    ASSERT_EQ(reply.length, 20u);
    ASSERT_NE(reply.data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data.get()), 20), Words({ 229500, 0, 19840324, 0, 0 }));
}

TEST_F(CardRequestsTest, ThrowBeyondItsRecordIsNotSent)
{
    std::string text;
    for (int count : { -1, 65, 1 << 30 }) {
        SCOPED_TRACE(count);
        game::ThrowRecord record = Throw(Play(0x1, 0x1, 3, { 5 }), 1);
        // Only the count word changes: the record claims more cards than it
        // holds.
        record.MutableBytes()[game::ThrowRecord::kCount] = static_cast<uint8_t>(count & 0xFF);
        record.MutableBytes()[game::ThrowRecord::kCount + 1] = static_cast<uint8_t>((count >> 8) & 0xFF);
        record.MutableBytes()[game::ThrowRecord::kCount + 2] = static_cast<uint8_t>((count >> 16) & 0xFF);
        record.MutableBytes()[game::ThrowRecord::kCount + 3] = static_cast<uint8_t>((count >> 24) & 0xFF);
        EXPECT_EQ(Connection().SendThrow(text, record), game::kRequestFailed);
    }
    const std::string big(CardGameConnection::kMaxTableMessagePayload + 1, 'x');
    EXPECT_EQ(Connection().SendTableMessage(1, reinterpret_cast<const uint8_t*>(big.data()),
                  static_cast<uint32_t>(big.size()), false),
        game::kRequestFailed);
    EXPECT_EQ(Connection().SendTableMessageWait(1, nullptr, 4).code, game::kRequestFailed);
    ExpectNothingSent();
}

TEST_F(CardRequestsTest, ThrowOfAFullHandSendsEveryCard)
{
    Reply(221080, 10);
    table::PlayRecord play(0x2, 0x2, 1, 64);
    for (int i = 0; i < 64; ++i)
        play.Append(i);
    std::string text;
    Connection().SendThrow(text, Throw(play, 1));
    const std::string body = LastBody(221080, 1);
    ASSERT_EQ(body.size(), 64u + 4 * 64);
    EXPECT_EQ(body.substr(body.size() - 4), Words({ 63 }));
}

// Nothing leaves a closed connection: waiting requests answer 10100 (the
// play option 0) and requests that only send report failure as well, so
// that callers keep their state.
TEST_F(CardRequestsTest, ClosedConnectionFailsEveryRequest)
{
    Connection().Close();
    std::string text;
    EXPECT_EQ(Connection().SendThrow(text, Throw(Play(0x1, 0x1, 3, { 5 }), 1)), game::kRequestFailed);
    EXPECT_FALSE(text.empty());
    game::PassRecord pass;
    EXPECT_EQ(Connection().SendPass(text, pass), game::kRequestFailed);
    EXPECT_EQ(Connection().SendPlayOption(1, 1), 0);
    EXPECT_EQ(Connection().SendTableMessage(19840324, nullptr, 0, true), game::kRequestFailed);
    const RequestReply reply = Connection().SendTableMessageWait(19840324, nullptr, 0);
    EXPECT_EQ(reply.code, game::kRequestFailed);
    EXPECT_EQ(reply.length, 0u);
    EXPECT_EQ(reply.data, nullptr);

    EXPECT_EQ(Connection().SendTableMessage(19840324, nullptr, 0, false), game::kRequestFailed);
    EXPECT_EQ(Connection().SendViewCardsRequest(), 0);
    EXPECT_EQ(Connection().SetViewCardsPermission(kLooker, 1), 0);
    EXPECT_EQ(Connection().ReportNotifyError(229500, nullptr, 0, {}), 0);
}

TEST_F(CardRequestsTest, SentRequestsWithoutWaitingSucceed)
{
    EXPECT_EQ(Connection().SendTableMessage(19840324, nullptr, 0, false), game::kReplyOk);
    EXPECT_EQ(Connection().SendViewCardsRequest(), 1);
    EXPECT_EQ(Connection().SetViewCardsPermission(kLooker, 0), 1);
    EXPECT_TRUE(m_server.WaitForRequests(3, 5000));
}

TEST(CardRequestTimeouts, FiveSecondsAboveTheFramesIds)
{
    const CardGameConnection connection;
    const GameConnection frame;
    for (uint32_t id : { 221080u, 223000u, 221070u, 229510u, 229550u, 229560u, 220001u })
        EXPECT_EQ(connection.GetRequestTimeout(id), 5) << id;
    for (uint32_t id : { 201160u, 200110u, 201001u, 201130u, 214010u, 201162u, 220000u })
        EXPECT_EQ(connection.GetRequestTimeout(id), frame.GetRequestTimeout(id)) << id;
    EXPECT_EQ(connection.GetRequestTimeout(201160), 10);
}

} // namespace
