// The table server over loopback, with clients built from the tools' own
// link code: entering, being dealt, playing, the relays to everyone at the
// table (lookers-on too), forged moves refused, the turn clock's automatic
// move, a whole deal to its result, and the program's command line.

#include "tools/tableserver/TableServer.h"
#include "tools/wire/WireLink.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <sys/wait.h>

namespace {

using namespace table;
using namespace tools::table_ids;
using tools::LinkMessage;
using tools::PlainMessage;

std::string Words(std::initializer_list<int32_t> words, size_t size = 0)
{
    std::string out;
    for (int32_t w : words)
        tools::PutU32(out, static_cast<uint32_t>(w));
    if (out.size() < size)
        out.resize(size, '\0');
    return out;
}

int32_t WordAt(const std::string& body, size_t offset)
{
    return body.size() < offset + 4 ? 0 : static_cast<int32_t>(tools::GetU32(body, offset));
}

// A client of the link, read without blocking so one thread can run the
// server between its steps.
class Client {
public:
    bool Connect(uint16_t port)
    {
        auto address = platform::ParseIpv4("127.0.0.1", port);
        m_socket = platform::Socket::CreateTcp();
        if (!address || platform::ConnectWithTimeout(m_socket, *address, 2000) != platform::ConnectResult::kConnected)
            return false;
        std::string hello;
        tools::PutU32(hello, static_cast<uint32_t>(tools::GameHello().size()));
        hello += tools::GameHello();
        return platform::SendAllBlocking(m_socket.Fd(), hello.data(), hello.size(), 2000);
    }
    // Sends a request; its wire id, for matching the reply.
    uint32_t Send(uint32_t id, const std::string& body, bool expectsReply)
    {
        PlainMessage m;
        m.head[1] = id;
        m.body = body;
        std::string frames = m_writer.Message(m, expectsReply);
        EXPECT_TRUE(platform::SendAllBlocking(m_socket.Fd(), frames.data(), frames.size(), 2000));
        return m_writer.LastMessageId();
    }
    void Drain()
    {
        char buffer[16384];
        for (;;) {
            platform::IoResult r = platform::RecvSome(m_socket.Fd(), buffer, sizeof buffer);
            if (r.status != platform::IoResult::kOk)
                break;
            m_reader.Feed(buffer, r.bytes);
        }
        for (;;) {
            LinkMessage m;
            std::string hello, error;
            auto result = m_reader.Next(m, hello, error);
            if (result == tools::LinkReader::kNeedMore)
                break;
            ASSERT_EQ(result, tools::LinkReader::kMessage) << error;
            inbox.push_back(std::move(m));
        }
    }
    const LinkMessage* ReplyTo(uint32_t wireId) const
    {
        for (const LinkMessage& m : inbox)
            if (m.type == tools::kFrameReply && m.wireMessageId == wireId)
                return &m;
        return nullptr;
    }
    std::vector<const LinkMessage*> Notifications(uint32_t id) const
    {
        std::vector<const LinkMessage*> out;
        for (const LinkMessage& m : inbox)
            if (m.type == tools::kFrameMessage && m.message.Id() == id)
                out.push_back(&m);
        return out;
    }
    void Close() { m_socket.Close(); }
    int Fd() const { return m_socket.Fd(); }

    std::vector<LinkMessage> inbox;

private:
    platform::Socket m_socket;
    tools::LinkWriter m_writer;
    tools::LinkReader m_reader { tools::CountingKey(), false };
};

std::string EnterRecord(int userId, int chair, bool looker)
{
    std::string r = Words({ userId, 0, 7, 1, 1, chair }, 108);
    std::memcpy(r.data() + 24, "machine", 7);
    r[56] = looker ? 1 : 0;
    return r;
}

class TableServerTest : public ::testing::Test {
protected:
    static constexpr uint32_t kSeed = 21;
    static constexpr int kTurnSeconds = 20;
    static constexpr int kGraceMs = 3000;

    void SetUp() override
    {
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 0, 0 });
        platform::SetFixedTick(m_now);
        // The first banker of a table comes from the clock: the same deal
        // offline tells which chair it is.
        tools::Deal probe(tools::RoomRules(), "");
        for (int c = 0; c < 4; ++c)
            probe.Seat(c, 900 + c, 500, 100000);
        ASSERT_EQ(probe.Start(kSeed, false), kStartOk);
        m_banker = probe.Rules().GetBanker();
        m_dealtToBanker = std::set<int>(probe.Rules().DealtHand(m_banker), probe.Rules().DealtHand(m_banker) + 27);

        tools::TableServerOptions options;
        options.table.seed = kSeed;
        options.table.pinClockForDeal = false;
        options.table.robotDelayMs = 0;
        options.table.dealShowMs = 0;
        options.table.graceMs = kGraceMs;
        options.table.turnSeconds = kTurnSeconds;
        options.table.deals = m_deals;
        m_server = std::make_unique<tools::TableServer>(options);
        ASSERT_TRUE(m_server->Listen());
    }
    void TearDown() override
    {
        platform::SetFixedLocalTime(std::nullopt);
        platform::SetFixedTick(std::nullopt);
    }

    // Runs the server and reads the clients until the condition holds.
    bool Until(const std::function<bool()>& done, int rounds = 400)
    {
        for (int i = 0; i < rounds; ++i) {
            m_server->RunOnce(5);
            for (Client* c : m_clients)
                c->Drain();
            if (done())
                return true;
        }
        return false;
    }
    Client& NewClient()
    {
        m_owned.push_back(std::make_unique<Client>());
        Client& c = *m_owned.back();
        EXPECT_TRUE(c.Connect(m_server->Port()));
        m_clients.push_back(&c);
        return c;
    }
    // Enters and waits for the reply; its code.
    uint32_t Enter(Client& c, int userId, int chair, bool looker = false)
    {
        const uint32_t wire = c.Send(kEnter, EnterRecord(userId, chair, looker), true);
        if (!Until([&] { return c.ReplyTo(wire) != nullptr; }))
            return 0;
        return c.ReplyTo(wire)->message.Id();
    }
    void PressStart(Client& c, int userId, int chair) { c.Send(kStart, Words({ userId, 1, 1, chair }, 32), false); }
    void Advance(uint32_t ms)
    {
        m_now += ms;
        platform::SetFixedTick(m_now);
    }

    // The whose-turn chair as the client's notifications tell it.
    static int TurnFrom(const Client& c)
    {
        int turn = -1;
        for (const LinkMessage& m : c.inbox) {
            if (m.type != tools::kFrameMessage)
                continue;
            const std::string& b = m.message.body;
            if (m.message.Id() == kRoundStart)
                turn = WordAt(b, 56);
            else if (m.message.Id() == kThrown)
                turn = WordAt(b, 20);
            else if (m.message.Id() == kPassed)
                turn = WordAt(b, 16);
        }
        return turn;
    }
    static FriendStartInfo StartOf(const Client& c)
    {
        FriendStartInfo info;
        auto starts = c.Notifications(kRoundStart);
        if (!starts.empty()) {
            const std::string& b = starts.back()->message.body;
            EXPECT_TRUE(FriendStartInfo::Read(std::span(reinterpret_cast<const uint8_t*>(b.data()), b.size()), info));
        }
        return info;
    }
    // The request of a play: the cards read the way a client reads them.
    static std::string ThrowRecord(int userId, int chair, const PlayRecord& play)
    {
        std::string r = Words({ userId, 1, 1, chair, 0, (chair + 1) % 4 }, 48);
        tools::PutU32(r, static_cast<uint32_t>(play.type));
        tools::PutU32(r, static_cast<uint32_t>(play.mask));
        tools::PutU32(r, static_cast<uint32_t>(play.value));
        tools::PutU32(r, static_cast<uint32_t>(play.count));
        for (int i = 0; i < play.count; ++i)
            tools::PutU32(r, static_cast<uint32_t>(play.cards[i]));
        return r;
    }
    static PlayRecord Single(int id)
    {
        FriendCardRules rules;
        PlayList list;
        list.count = 0;
        int cards[1] = { id };
        rules.FindPlays(0, cards, 1, list, kFriendPlayMask);
        rules.PickStrongestPlay(list);
        return list.entries[0];
    }
    // Seats a person at the banker's chair, starts, and waits for the deal.
    void SeatBankerAndDeal(Client& c)
    {
        ASSERT_EQ(Enter(c, 10001, m_banker), kReplySeated);
        PressStart(c, 10001, m_banker);
        ASSERT_TRUE(Until([&] { return !c.Notifications(kRoundStart).empty(); }));
        ASSERT_EQ(TurnFrom(c), m_banker);
    }

    uint32_t m_now = 100000;
    int m_deals = 0;
    int m_banker = -1;
    std::set<int> m_dealtToBanker;
    std::unique_ptr<tools::TableServer> m_server;
    std::vector<std::unique_ptr<Client>> m_owned;
    std::vector<Client*> m_clients;
};

TEST_F(TableServerTest, AClientJoinsIsDealtAndItsPlayIsRelayed)
{
    Client& c = NewClient();
    const uint32_t version = c.Send(kVersion, "", true);
    ASSERT_TRUE(Until([&] { return c.ReplyTo(version) != nullptr; }));
    EXPECT_EQ(WordAt(c.ReplyTo(version)->message.body, 0), 1);

    const uint32_t enter = c.Send(kEnter, EnterRecord(10001, m_banker, false), true);
    ASSERT_TRUE(Until([&] { return c.ReplyTo(enter) && c.Notifications(kPlayerEntered).size() == 3; }));
    EXPECT_EQ(c.ReplyTo(enter)->message.Id(), kReplySeated);
    EXPECT_EQ(c.ReplyTo(enter)->message.body.size(), 1096u);
    std::set<int> robotChairs;
    for (const LinkMessage* m : c.Notifications(kPlayerEntered)) {
        ASSERT_EQ(m->message.body.size(), 136u);
        robotChairs.insert(WordAt(m->message.body, 16));
        EXPECT_GT(WordAt(m->message.body, 0), 0);
    }
    EXPECT_EQ(robotChairs.size(), 3u);
    EXPECT_EQ(robotChairs.count(m_banker), 0u);

    PressStart(c, 10001, m_banker);
    ASSERT_TRUE(Until([&] { return !c.Notifications(kRoundStart).empty(); }));
    ASSERT_FALSE(c.Notifications(kStart).empty());
    EXPECT_EQ(WordAt(c.Notifications(kStart).front()->message.body, 12), m_banker);
    const LinkMessage* start = c.Notifications(kRoundStart).front();
    ASSERT_EQ(start->message.body.size(), 216u);
    const FriendStartInfo info = StartOf(c);
    std::set<int> hand(info.cards, info.cards + 27);
    EXPECT_EQ(hand.size(), 27u);
    EXPECT_EQ(hand, m_dealtToBanker);
    EXPECT_EQ(info.banker, m_banker);
    EXPECT_EQ(WordAt(start->message.body, 64), kTurnSeconds);
    EXPECT_EQ(hand.count(info.calledCard), 1u);

    // The banker leads its lowest card; everyone sees it.
    const int card = *std::min_element(hand.begin(), hand.end(),
        [](int a, int b) { return CardOrder(a, 1) < CardOrder(b, 1); });
    const PlayRecord play = Single(card);
    const uint32_t wire = c.Send(kThrow, ThrowRecord(10001, m_banker, play), true);
    ASSERT_TRUE(Until([&] { return c.ReplyTo(wire) && !c.Notifications(kThrown).empty(); }));
    EXPECT_EQ(c.ReplyTo(wire)->message.Id(), kReplyOk);
    const std::string& relay = c.Notifications(kThrown).front()->message.body;
    ASSERT_EQ(relay.size(), PlayMessage::kWireSize);
    EXPECT_EQ(WordAt(relay, 12), m_banker);
    EXPECT_EQ(WordAt(relay, 20), (m_banker + 3) % 4); // play goes to the chair before
    EXPECT_EQ(WordAt(relay, 28), kTurnSeconds);
    EXPECT_EQ(WordAt(relay, 48), CT_SINGLE);
    EXPECT_EQ(WordAt(relay, 60), 1);
    EXPECT_EQ(WordAt(relay, 64), card);
    // The robots answer at once.
    EXPECT_TRUE(Until([&] { return c.Notifications(kThrown).size() + c.Notifications(kPassed).size() >= 2; }));
}

TEST_F(TableServerTest, ForgedPlaysAreRefusedAndNotRelayed)
{
    Client& c = NewClient();
    SeatBankerAndDeal(c);
    const FriendStartInfo info = StartOf(c);
    std::vector<int> hand(info.cards, info.cards + 27);
    int notHeld = 0;
    while (std::count(hand.begin(), hand.end(), notHeld))
        ++notHeld;
    int a = hand[0], b = -1;
    for (int id : hand)
        if (CardValue(id) < kSmallJokerValue && CardValue(id) != CardValue(a) && CardValue(a) < kSmallJokerValue)
            b = id;
    ASSERT_GE(b, 0);
    PlayRecord pair(CT_PAIR, CT_PAIR, CardOrder(a, 1), 2);
    pair.cards[0] = a;
    pair.cards[1] = b;
    std::string shortBody = ThrowRecord(10001, m_banker, Single(a));
    tools::PutU32(shortBody, 0); // says 1 card, then one more word...
    std::string countTooLarge = shortBody;
    countTooLarge[60] = 5; // ...but claims five

    struct Case {
        const char* name;
        std::string body;
    } cases[] = {
        { "cards not held", ThrowRecord(10001, m_banker, Single(notHeld)) },
        { "illegal shape", ThrowRecord(10001, m_banker, pair) },
        { "another chair's word", ThrowRecord(10001, (m_banker + 1) % 4, Single(a)) },
        { "count beyond the body", countTooLarge },
        { "no body", "" },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t wire = c.Send(kThrow, k.body, true);
        ASSERT_TRUE(Until([&] { return c.ReplyTo(wire) != nullptr; }));
        EXPECT_EQ(c.ReplyTo(wire)->message.Id(), kReplyFailed);
        EXPECT_TRUE(c.Notifications(kThrown).empty());
    }
    // Still holding the turn, the client is told to show its buttons again.
    EXPECT_EQ(c.Notifications(kTurnSync).size(), std::size(cases));
    // The leader may not pass.
    const uint32_t pass = c.Send(kPass, Words({ 10001, 1, m_banker, 1, -1 }, 56), true);
    ASSERT_TRUE(Until([&] { return c.ReplyTo(pass) != nullptr; }));
    EXPECT_EQ(c.ReplyTo(pass)->message.Id(), kReplyFailed);
    EXPECT_TRUE(c.Notifications(kPassed).empty());

    // A real play, and right behind it the same chair again, out of turn
    // (both arrive before any robot moves).
    const uint32_t good = c.Send(kThrow, ThrowRecord(10001, m_banker, Single(a)), true);
    const uint32_t late = c.Send(kThrow, ThrowRecord(10001, m_banker, Single(b)), true);
    ASSERT_TRUE(Until([&] { return c.ReplyTo(good) && c.ReplyTo(late); }));
    EXPECT_EQ(c.ReplyTo(good)->message.Id(), kReplyOk);
    EXPECT_EQ(c.ReplyTo(late)->message.Id(), kReplyFailed);
    const auto relays = c.Notifications(kThrown);
    ASSERT_FALSE(relays.empty());
    EXPECT_EQ(WordAt(relays.front()->message.body, 64), a);
    for (size_t i = 1; i < relays.size(); ++i)
        EXPECT_NE(WordAt(relays[i]->message.body, 64), b);
}

TEST_F(TableServerTest, ARunOutTurnClockPlaysForThePerson)
{
    Client& c = NewClient();
    SeatBankerAndDeal(c);
    // Just before the clock (and its grace) ends nothing happens.
    Advance(kTurnSeconds * 1000 + kGraceMs - 1);
    Until([] { return false; }, 20);
    EXPECT_TRUE(c.Notifications(kThrown).empty());
    Advance(1);
    ASSERT_TRUE(Until([&] { return !c.Notifications(kThrown).empty(); }));
    const std::string& relay = c.Notifications(kThrown).front()->message.body;
    EXPECT_EQ(WordAt(relay, 12), m_banker);
    EXPECT_GE(WordAt(relay, 60), 1);
    EXPECT_EQ(m_dealtToBanker.count(WordAt(relay, 64)), 1u);
}

TEST_F(TableServerTest, LookersOnGetTheDealWithoutCardsAndEveryRelay)
{
    Client& looker = NewClient();
    ASSERT_EQ(Enter(looker, 20001, m_banker, true), kReplyLooking);
    ASSERT_EQ(looker.inbox.front().message.body.size(), FriendTableState::kWireSize);
    Client& c = NewClient();
    SeatBankerAndDeal(c);
    ASSERT_TRUE(Until([&] { return !looker.Notifications(kRoundStart).empty(); }));
    // The looker-on saw the person and the robots sit down.
    std::set<int> chairs;
    for (const LinkMessage* m : looker.Notifications(kPlayerEntered))
        chairs.insert(WordAt(m->message.body, 16));
    EXPECT_EQ(chairs, (std::set<int> { 0, 1, 2, 3 }));
    const FriendStartInfo info = StartOf(looker);
    EXPECT_TRUE(std::all_of(info.cards, info.cards + 27, [](int id) { return id == -1; }));
    EXPECT_EQ(info.banker, m_banker);

    const PlayRecord play = Single(StartOf(c).cards[0]);
    const uint32_t wire = c.Send(kThrow, ThrowRecord(10001, m_banker, play), true);
    ASSERT_TRUE(Until([&] { return c.ReplyTo(wire) && looker.Notifications(kThrown).size() >= 2; }));
    EXPECT_EQ(WordAt(looker.Notifications(kThrown).front()->message.body, 12), m_banker);
    EXPECT_EQ(looker.Notifications(kThrown).size(), c.Notifications(kThrown).size());
    EXPECT_EQ(looker.Notifications(kPassed).size(), c.Notifications(kPassed).size());

    // A looker-on cannot play, and its table message reaches everyone.
    const uint32_t forged = looker.Send(kThrow, ThrowRecord(20001, m_banker, play), true);
    ASSERT_TRUE(Until([&] { return looker.ReplyTo(forged) != nullptr; }));
    EXPECT_EQ(looker.ReplyTo(forged)->message.Id(), kReplyFailed);
    std::string message = Words({ 1, 20001, 19840399, 0, 3 });
    message += "abc";
    looker.Send(kTableMessage, message, false);
    ASSERT_TRUE(Until([&] { return !c.Notifications(kRelayedMessage).empty(); }));
    EXPECT_EQ(c.Notifications(kRelayedMessage).front()->message.body, message);
    ASSERT_TRUE(Until([&] { return !looker.Notifications(kRelayedMessage).empty(); }));
}

TEST_F(TableServerTest, TwoPeopleShareTheTableAndTheDealWaitsForBoth)
{
    Client& first = NewClient();
    ASSERT_EQ(Enter(first, 10001, m_banker), kReplySeated);
    Client& second = NewClient();
    const int other = (m_banker + 2) % 4;
    ASSERT_EQ(Enter(second, 10002, other), kReplySeated);
    // The robot made room: the first person saw it leave and the second come.
    ASSERT_TRUE(Until([&] { return !first.Notifications(kPlayerLeft).empty(); }));
    EXPECT_EQ(WordAt(first.Notifications(kPlayerLeft).back()->message.body, 4), other);
    EXPECT_EQ(WordAt(first.Notifications(kPlayerEntered).back()->message.body, 0), 10002);
    // The same user cannot sit twice.
    Client& again = NewClient();
    EXPECT_EQ(Enter(again, 10002, 0), kReplyExists);

    PressStart(first, 10001, m_banker);
    Until([] { return false; }, 20);
    EXPECT_TRUE(first.Notifications(kRoundStart).empty());
    PressStart(second, 10002, other);
    ASSERT_TRUE(Until([&] { return !second.Notifications(kRoundStart).empty(); }));
    EXPECT_EQ(StartOf(second).banker, m_banker);
    const FriendStartInfo firstInfo = StartOf(first);
    const FriendStartInfo secondInfo = StartOf(second);
    std::set<int> a(firstInfo.cards, firstInfo.cards + 27);
    std::set<int> b(secondInfo.cards, secondInfo.cards + 27);
    std::vector<int> shared;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(shared));
    EXPECT_TRUE(shared.empty());
    // While the deal runs no chair is free, not even a robot's.
    EXPECT_EQ(Enter(again, 10003, 1), kReplyEnterFailed);
    // A chat line reaches the others, not its sender.
    first.Send(kOwnChat, Words({ 10001, 1, 1, m_banker }, 48) + "hello", false);
    ASSERT_TRUE(Until([&] { return !second.Notifications(kChat).empty(); }));
    EXPECT_EQ(second.Notifications(kChat).front()->message.body.size(), 128u);
    EXPECT_EQ(second.Notifications(kChat).front()->message.body.substr(48, 5), "hello");
    EXPECT_TRUE(first.Notifications(kChat).empty());
}

TEST_F(TableServerTest, ALookerOnSeesTheCardsOnlyWhenThePlayerAllows)
{
    Client& c = NewClient();
    Client& looker = NewClient();
    ASSERT_EQ(Enter(looker, 20001, m_banker, true), kReplyLooking);
    Client& robotWatcher = NewClient();
    const int robotChair = (m_banker + 1) % 4;
    ASSERT_EQ(Enter(robotWatcher, 20002, robotChair, true), kReplyLooking);
    SeatBankerAndDeal(c);
    const FriendStartInfo info = StartOf(c);
    const std::set<int> hand(info.cards, info.cards + 27);

    // The person is asked, refuses, then allows.
    looker.Send(kViewCards, Words({ 20001, 1, 1, m_banker }, 32), false);
    ASSERT_TRUE(Until([&] { return !c.Notifications(kViewCards).empty(); }));
    EXPECT_EQ(WordAt(c.Notifications(kViewCards).front()->message.body, 0), 20001);
    c.Send(kViewCardsAnswer, Words({ 10001, 1, 1, m_banker, 20001, 0 }, 40), false);
    ASSERT_TRUE(Until([&] { return !looker.Notifications(kViewCardsAnswered).empty(); }));
    EXPECT_EQ(WordAt(looker.Notifications(kViewCardsAnswered).front()->message.body, 20), 0);
    EXPECT_TRUE(looker.Notifications(kShowCards).empty());
    c.Send(kViewCardsAnswer, Words({ 10001, 1, 1, m_banker, 20001, 1 }, 40), false);
    ASSERT_TRUE(Until([&] { return !looker.Notifications(kShowCards).empty(); }));
    const std::string& shown = looker.Notifications(kShowCards).front()->message.body;
    EXPECT_EQ(WordAt(shown, 4), m_banker);
    ASSERT_EQ(WordAt(shown, 8), 27);
    std::set<int> seen;
    for (int i = 0; i < 27; ++i)
        seen.insert(WordAt(shown, 12 + 4 * i));
    EXPECT_EQ(seen, hand);
    // An answer for someone who did not ask shows nothing to anyone.
    c.Send(kViewCardsAnswer, Words({ 10001, 1, 1, m_banker, 20002, 1 }, 40), false);
    Until([] { return false; }, 10);
    EXPECT_TRUE(robotWatcher.Notifications(kShowCards).empty());

    // A robot always lets its looker-on see.
    robotWatcher.Send(kViewCards, Words({ 20002, 1, 1, robotChair }, 32), false);
    ASSERT_TRUE(Until([&] { return !robotWatcher.Notifications(kShowCards).empty(); }));
    EXPECT_EQ(WordAt(robotWatcher.Notifications(kShowCards).front()->message.body, 4), robotChair);
    EXPECT_EQ(WordAt(robotWatcher.Notifications(kViewCardsAnswered).front()->message.body, 20), 1);
}

class TableServerWholeDealTest : public TableServerTest {
protected:
    TableServerWholeDealTest() { m_deals = 1; }
};

TEST_F(TableServerWholeDealTest, ADealRunsToItsResultAndTheServerIsDone)
{
    Client& c = NewClient();
    SeatBankerAndDeal(c);
    // The person leaves every move to the clock.
    for (int step = 0; step < 300 && c.Notifications(kRoundResult).empty(); ++step) {
        if (TurnFrom(c) == m_banker)
            Advance(kTurnSeconds * 1000 + kGraceMs);
        Until([&] { return !c.Notifications(kRoundResult).empty() || TurnFrom(c) == m_banker; }, 50);
    }
    ASSERT_EQ(c.Notifications(kRoundResult).size(), 1u);
    const std::string& body = c.Notifications(kRoundResult).front()->message.body;
    ASSERT_EQ(body.size(), FriendResultInfo::kWireSize);
    FriendResultInfo result;
    ASSERT_TRUE(FriendResultInfo::Read(std::span(reinterpret_cast<const uint8_t*>(body.data()), body.size()), result));
    EXPECT_EQ(std::set<int>(result.place, result.place + 4), (std::set<int> { 1, 2, 3, 4 }));
    int sum = 0;
    for (int chair = 0; chair < 4; ++chair)
        sum += result.base.scoreChange[chair];
    EXPECT_EQ(sum, 0);
    EXPECT_TRUE(Until([&] { return m_server->Done(); }));
}

TEST_F(TableServerWholeDealTest, APersonWhoLeavesMidDealIsPlayedForThenReplaced)
{
    Client& looker = NewClient();
    ASSERT_EQ(Enter(looker, 20001, 0, true), kReplyLooking);
    Client& c = NewClient();
    SeatBankerAndDeal(c);
    c.Close();
    m_clients.erase(std::find(m_clients.begin(), m_clients.end(), &c));
    // The others hear the chair went offline, and the table state shows it.
    ASSERT_TRUE(Until([&] { return !looker.Notifications(kPlayerOffline).empty(); }));
    EXPECT_EQ(WordAt(looker.Notifications(kPlayerOffline).front()->message.body, 0), 10001);
    const uint32_t snapshot = looker.Send(kSnapshot, Words({ 20001, 1, 1, 0 }, 32), true);
    ASSERT_TRUE(Until([&] { return looker.ReplyTo(snapshot) != nullptr; }));
    const std::string& state = looker.ReplyTo(snapshot)->message.body;
    ASSERT_EQ(state.size(), FriendTableState::kWireSize);
    EXPECT_NE(WordAt(state, 500 + 4 * m_banker) & 0x20, 0);
    // Its moves are made for it at once, so the deal still ends.
    ASSERT_TRUE(Until([&] { return !looker.Notifications(kRoundResult).empty(); }, 2000));
    bool bankerMoved = false;
    for (const LinkMessage* m : looker.Notifications(kThrown))
        bankerMoved |= WordAt(m->message.body, 12) == m_banker;
    EXPECT_TRUE(bankerMoved);
    // After the deal a robot takes the chair.
    ASSERT_FALSE(looker.Notifications(kPlayerLeft).empty());
    EXPECT_EQ(WordAt(looker.Notifications(kPlayerLeft).back()->message.body, 0), 10001);
    const std::string& robot = looker.Notifications(kPlayerEntered).back()->message.body;
    EXPECT_EQ(WordAt(robot, 16), m_banker);
    EXPECT_NE(WordAt(robot, 0), 10001);
}

TEST(TableServerArgsTest, OptionsAreReadAndBadOnesNamed)
{
    tools::TableServerOptions options;
    std::string error;
    ASSERT_TRUE(tools::ParseTableServerArgs({ "--listen", "127.0.0.1:9123", "--seed", "42", "--deals", "3",
                                                "--turn-seconds", "15", "--robot-delay", "0", "--auto-start", "1",
                                                "--grace", "250", "--keep-open", "1", "--banker", "3", "--friend",
                                                "2", "--hostile", "drop", "--hostile-after", "4", "--stall", "900" },
        options, error))
        << error;
    EXPECT_EQ(options.port, 9123);
    EXPECT_EQ(options.table.seed, 42u);
    EXPECT_EQ(options.table.deals, 3);
    EXPECT_EQ(options.table.turnSeconds, 15);
    EXPECT_EQ(options.table.robotDelayMs, 0);
    EXPECT_TRUE(options.table.autoStart);
    EXPECT_EQ(options.table.graceMs, 250);
    EXPECT_TRUE(options.keepOpen);
    EXPECT_EQ(options.table.bankerChair, 3);
    EXPECT_EQ(options.table.friendChair, 2);
    EXPECT_EQ(options.table.hostile, tools::Hostility::kDrop);
    EXPECT_EQ(options.table.hostileAfterMoves, 4);
    EXPECT_EQ(options.table.stallMs, 900);
    for (const char* kind : { "bad-frame", "oversize", "drop", "stall" }) {
        tools::Hostility parsed = tools::Hostility::kNone;
        EXPECT_TRUE(tools::ParseHostility(kind, parsed)) << kind;
        EXPECT_STREQ(tools::HostilityName(parsed), kind);
    }

    const struct {
        std::vector<std::string> args;
        const char* says;
    } bad[] = {
        { { "--listen", "9123" }, "--listen 9123" },
        { { "--listen", "localhost:9123" }, "IPv4" },
        { { "--listen", "127.0.0.1:70000" }, "HOST:PORT" },
        { { "--seed", "-1" }, "--seed -1" },
        { { "--deals", "0" }, "positive" },
        { { "--turn-seconds", "ten" }, "--turn-seconds ten" },
        { { "--rules", "/no/such/rules.ini" }, "cannot be read" },
        { { "--deals" }, "needs a value" },
        { { "--auto-start", "yes" }, "0 or 1" },
        { { "--grace", "-5" }, "--grace -5" },
        { { "--keep-open", "2" }, "0 or 1" },
        { { "--colour", "red" }, "unknown option --colour" },
        { { "--banker", "4" }, "chair from 0 to 3" },
        { { "--friend", "-1" }, "chair from 0 to 3" },
        { { "--hostile", "rude" }, "bad-frame, oversize, drop or stall" },
        { { "--hostile-after", "x" }, "--hostile-after x" },
    };
    for (const auto& k : bad) {
        SCOPED_TRACE(k.says);
        tools::TableServerOptions o;
        EXPECT_FALSE(tools::ParseTableServerArgs(k.args, o, error));
        EXPECT_NE(error.find(k.says), std::string::npos) << error;
    }
}

TEST(TableServerProgramTest, TheProgramListensAndRefusesBadOptions)
{
    std::string output;
    FILE* bad = popen(KBZN_TABLE_SERVER " --deals none 2>&1", "r");
    ASSERT_NE(bad, nullptr);
    char line[512];
    while (std::fgets(line, sizeof line, bad))
        output += line;
    const int status = pclose(bad);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(output.find("--deals none"), std::string::npos) << output;
    EXPECT_NE(output.find("usage:"), std::string::npos);

    FILE* good = popen("timeout -s TERM 2 " KBZN_TABLE_SERVER " --listen 127.0.0.1:0 --seed 1", "r");
    ASSERT_NE(good, nullptr);
    ASSERT_NE(std::fgets(line, sizeof line, good), nullptr);
    EXPECT_EQ(std::string(line).rfind("listening on 127.0.0.1:", 0), 0u) << line;
    pclose(good);
}

} // namespace

// The scenario options: the first deal's banker and hidden friend sit where
// asked, as the rules (and the start record a client gets) have them.
TEST(TableScenarioTest, BankerAndFriendSitWhereAsked)
{
    const struct {
        int banker;
        int friendChair;
    } cases[] = { { 3, 2 }, { 0, 1 }, { 1, 3 } };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message() << "banker " << k.banker << ", friend " << k.friendChair);
        tools::TableServerOptions options;
        options.table.seed = 7;
        options.table.autoStart = true;
        options.table.dealShowMs = 0;
        options.table.bankerChair = k.banker;
        options.table.friendChair = k.friendChair;
        tools::TableServer server(options);
        ASSERT_TRUE(server.Listen());
        Client client;
        ASSERT_TRUE(client.Connect(server.Port()));
        client.Send(kEnter, EnterRecord(10001, 2, false), true);
        for (int i = 0; i < 400 && client.Notifications(kRoundStart).empty(); ++i) {
            server.RunOnce(5);
            client.Drain();
        }
        ASSERT_EQ(client.Notifications(kRoundStart).size(), 1u);
        EXPECT_EQ(WordAt(client.Notifications(kRoundStart)[0]->message.body, 52), k.banker);
        EXPECT_EQ(server.GetTable().GetDeal().Rules().GetBanker(), k.banker);
        EXPECT_EQ(server.GetTable().GetDeal().Rules().GetFriendChair(), k.friendChair);
    }
}


// A link turned hostile: the client at chair 2 gets the turn after the
// banker's first play (chair 3, a robot), and then the fault: the frames
// before it read as they should, the fault itself does not. A drop and a
// stall end the link (the stall after holding it silent for its time); a
// bad frame or length is left for the client to end it.
TEST(TableHostileTest, EachFaultReachesTheClientAfterWhatWasQueued)
{
    const struct {
        tools::Hostility kind;
        const char* readerSays; // the reader's error; null: the bytes end mid-frame (drop) or clean
    } cases[] = {
        { tools::Hostility::kBadFrame, "CRC mismatch" },
        { tools::Hostility::kOversize, "out of range" },
        { tools::Hostility::kDrop, nullptr },
        { tools::Hostility::kStall, nullptr },
    };
    constexpr int kStallMs = 5000;
    for (const auto& k : cases) {
        SCOPED_TRACE(tools::HostilityName(k.kind));
        uint32_t now = 1000000;
        platform::SetFixedTick(now);
        tools::TableServerOptions options;
        options.table.seed = 7;
        options.table.pinClockForDeal = false; // the test holds the clock
        options.table.autoStart = true;
        options.table.dealShowMs = 0;
        options.table.robotDelayMs = 0;
        options.table.bankerChair = 3;
        options.table.hostile = k.kind;
        options.table.hostileAfterMoves = 1;
        options.table.stallMs = kStallMs;
        tools::TableServer server(options);
        ASSERT_TRUE(server.Listen());
        int hostileChair = -1;
        server.GetTable().SetHostileWatcher([&](int chair, tools::Hostility) { hostileChair = chair; });
        Client client;
        ASSERT_TRUE(client.Connect(server.Port()));
        client.Send(kEnter, EnterRecord(10001, 2, false), true);

        // The raw bytes the client gets, until the link ends (or the rounds
        // run out, while the stall holds).
        std::string received;
        bool ended = false;
        auto read = [&](int rounds) {
            for (int i = 0; i < rounds && !ended; ++i) {
                server.RunOnce(2);
                char buffer[16384];
                for (;;) {
                    platform::IoResult r = platform::RecvSome(client.Fd(), buffer, sizeof buffer);
                    if (r.status == platform::IoResult::kOk) {
                        received.append(buffer, r.bytes);
                        continue;
                    }
                    ended = r.status != platform::IoResult::kWouldBlock;
                    break;
                }
            }
        };
        read(k.readerSays ? 50 : 300);
        EXPECT_EQ(hostileChair, 2);
        if (k.kind == tools::Hostility::kStall) {
            EXPECT_FALSE(ended) << "the stall closed the link at once";
            const size_t before = received.size();
            now += kStallMs - 1;
            platform::SetFixedTick(now);
            read(20);
            EXPECT_FALSE(ended) << "the stall ended early";
            EXPECT_EQ(received.size(), before) << "the stall let bytes through";
            now += 2;
            platform::SetFixedTick(now);
            read(300);
        }
        EXPECT_EQ(ended, !k.readerSays);

        tools::LinkReader reader(tools::CountingKey(), false);
        reader.Feed(received.data(), received.size());
        std::vector<uint32_t> ids;
        std::string error;
        for (;;) {
            LinkMessage m;
            std::string hello;
            const auto result = reader.Next(m, hello, error);
            if (result != tools::LinkReader::kMessage)
                break;
            ids.push_back(m.message.Id());
        }
        // The deal, the banker's play and the turn it gives the client came
        // before the fault.
        EXPECT_NE(std::find(ids.begin(), ids.end(), kRoundStart), ids.end());
        EXPECT_NE(std::find(ids.begin(), ids.end(), kThrown), ids.end());
        if (k.readerSays)
            EXPECT_NE(error.find(k.readerSays), std::string::npos) << error;
        else
            EXPECT_TRUE(error.empty()) << error;
        if (!k.readerSays) {
            tools::FrameReader frames(false);
            frames.Feed(received.data(), received.size());
            tools::ParsedFrame frame;
            std::string hello;
            tools::FrameReader::Result last;
            while ((last = frames.Next(frame, hello, error)) == tools::FrameReader::kFrame) { }
            EXPECT_EQ(last, tools::FrameReader::kNeedMore);
            if (k.kind == tools::Hostility::kDrop)
                EXPECT_GT(frames.Buffered(), 0u) << "no half frame before the close";
            else
                EXPECT_EQ(frames.Buffered(), 0u);
        }
    }
    platform::SetFixedTick(std::nullopt);
}
