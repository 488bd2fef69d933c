// The frame's requests against the scripted server over loopback: every
// record byte by byte as the server received it, what each reply does to
// the application (buffers, prompts, chat lines, the table view), the texts
// of the safe box, the pulse's statistics, and the requests that are
// refused before anything is sent.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"

#include "engine/core/ObjectModule.h"
#include "engine/objects/RectObject.h"
#include "tests/frame/core/RequestsFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using requeststest::Expect;
using requeststest::kChair;
using requeststest::kRoom;
using requeststest::kTable;
using requeststest::kUser;
using requeststest::Words;

constexpr int kOther = 20002;
constexpr int kLooker = 30003;
constexpr int kOtherChair = 1;
constexpr int kGame = 7;
constexpr int kMatch = 55;
constexpr int kWord296 = 296296;
constexpr int kWord304 = 304304;
constexpr int kExtra = 0x5151;
constexpr uint32_t kOwnFlags = 0x1001;
constexpr int kOwnSilver = 8888;
const std::string kMachine = "0123456789abcdef0123456789abcde"; // 31 characters
const std::string kOwnName = "玩家甲";
const std::string kTitle = "测试房间";

// Room option bits.
constexpr uint32_t kSilverRoom = 0x4;
constexpr uint32_t kB02 = 0x2, kB08 = 0x8, kB40 = 0x40, kB80 = 0x80, kSafeBox = 0x1000000;

std::string Pattern(size_t n, int seed)
{
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) & 0xFF);
    return out;
}

// The table view as the requests see it.
class FakeTableView : public engine::RectObject, public frame::TableViewCalls {
public:
    void StopIdleKickTimer() override { ++stops; }
    int stops = 0;
};

// The system pane: records the chat lines the application adds.
class FakeSystemPane : public engine::RectObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.code == 80000057)
            lines.emplace_back(reinterpret_cast<const char*>(event.param));
        return 1;
    }
    std::vector<std::string> lines;
};

// The application as a game derives it: it owns the connection and the
// buffers for the enter replies, and records what the requests hand it.
class RequestApp : public CGameFrameApp {
public:
    RequestApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }
    ~RequestApp() override { connection.Close(); }
    GameConnection* GetConnection() override { return &connection; }
    int GetChairCount() const override { return 4; }
    // Heap buffers, so that a copy past their end is caught.
    std::span<uint8_t> GetEnterDataBuffer() override { return enterData; }
    std::span<uint8_t> GetLookOnDataBuffer() override { return lookOnData; }
    int GetEnterExtra() const override { return kExtra; }

    void OnEnterReply210200(const uint8_t* data, size_t size) override { Note("210200", data, size); }
    void OnEnterReply210210(const uint8_t* data, size_t size) override { Note("210210", data, size); }
    void OnEnterReply210220(const uint8_t* data, size_t size) override { Note("210220", data, size); }
    void OnMatchReply210500(const uint8_t* data, size_t size) override { Note("210500", data, size); }
    void OnMatchReply210521(const uint8_t* data, size_t size) override { Note("210521", data, size); }
    void OnMatchReply210531(const uint8_t* data, size_t size) override { Note("210531", data, size); }
    void OnMatchReply210534(const uint8_t* data, size_t size) override { Note("210534", data, size); }
    void OnMatchReply210540(const uint8_t* data, size_t size) override { Note("210540", data, size); }
    void OnMatchReply210533(const uint8_t* data, size_t size) override { Note("210533", data, size); }
    void OnMatchReply210536(const uint8_t* data, size_t size) override { Note("210536", data, size); }
    void OnMatchReply210537(const uint8_t* data, size_t size) override { Note("210537", data, size); }
    void OnMatchReply210538(const uint8_t* data, size_t size) override { Note("210538", data, size); }
    void OnMatchReply210539(const uint8_t* data, size_t size) override { Note("210539", data, size); }
    void OnMatchReply210530(const std::string& text) override { calls.push_back("210530:" + text); }
    void PromptCarryMinSilver(const uint8_t* data, size_t size) override { Note("min", data, size); }
    void PromptCarryMaxSilver(const uint8_t* data, size_t size) override { Note("max", data, size); }

    // The main view with a table view and a system pane. False without a
    // video driver.
    bool CreateViews()
    {
        if (!CreateMainWindow())
            return false;
        engine::RectObject* root = GetMainView();
        engine::ObjectModule* objects = root->GetObjectModule();
        auto table = std::make_unique<FakeTableView>();
        table->SetName("MainGame");
        tableView = table.get();
        objects->AddObject(std::move(table), root);
        auto pane = std::make_unique<FakeSystemPane>();
        pane->SetName("SubSystem");
        systemPane = pane.get();
        objects->AddObject(std::move(pane), root);
        return true;
    }

    GameConnection connection;
    std::vector<uint8_t> enterData = std::vector<uint8_t>(64);
    std::vector<uint8_t> lookOnData = std::vector<uint8_t>(48);
    std::vector<std::string> calls;
    FakeTableView* tableView = nullptr;
    FakeSystemPane* systemPane = nullptr;

protected:
    int RunLoop() override { return 0; }

private:
    void Note(const std::string& what, const uint8_t* data, size_t size)
    {
        calls.push_back(what + ":" + std::string(reinterpret_cast<const char*>(data), data ? size : 0));
    }
};

class FrameRequestsTest : public requeststest::ServerFixture {
protected:
    FrameRequestsTest()
        : ServerFixture("kbzn_requests_")
    {
    }
    void SetUp() override
    {
        ServerFixture::SetUp();
        if (HasFatalFailure())
            return;

        m_app = std::make_unique<RequestApp>();
        SeatThePlayers();
        GameConnection& connection = Connection();
        connection.SetMachineId(kMachine);
        connection.SetCipherKey();
        connection.SetNotifyThread(m_queue.ThreadId());
        bool proxyFailed = false;
        ASSERT_EQ(connection.Connect("", "127.0.0.1", m_server.Port(), proxyFailed), 1);
    }
    void TearDown() override
    {
        m_app.reset();
        ServerFixture::TearDown();
    }

    // Oneself at chair 2 of table 5 in room 77 (a silver room whose safe box
    // may move silver, with option B bits 0x2 and 0x80), another player at
    // chair 1, and a looker-on.
    void SeatThePlayers()
    {
        RequestApp& app = *m_app;
        frame::HallLaunchArgs& args = app.GetHallArgs();
        args.gameId = kGame;
        args.userId = kUser;
        args.chair = kChair;
        args.title = kTitle;
        frame::MatchRoomInfo& match = app.GetMatchRoomInfo();
        match.SetRoomId(kRoom);
        match.SetMatchId(kMatch);
        match.SetTableNo(kTable);
        match.SetSeatCount(4);
        app.ApplyMatchRoomInfo();
        frame::RoomInfo& room = app.GetRoomInfo();
        room.SetOptionsA(kSilverRoom);
        room.SetOptionsB(kB02 | kB80 | kSafeBox);
        room.SetWord296(kWord296);
        room.SetWord304(kWord304);

        frame::PlayerRecord& own = *app.GetSeatPlayer(kChair);
        own.SetUserId(kUser);
        own.SetFlags(kOwnFlags);
        own.SetName(kOwnName);
        own.SetSilver(kOwnSilver);
        own.SetTableNo(kTable);
        own.SetChair(kChair);
        frame::PlayerRecord& other = *app.GetSeatPlayer(kOtherChair);
        other.SetUserId(kOther);
        other.SetTableNo(kTable);
        other.SetChair(kOtherChair);
        app.GetLookOnPlayer(0)->SetUserId(kLooker);
    }

    RequestApp& App() { return *m_app; }
    GameConnection& Connection() { return m_app->connection; }
    void SetOptionsB(uint32_t options) { App().GetRoomInfo().SetOptionsB(options); }

    // Nothing reached the server before this point: a request sent now is
    // the first it sees.
    void ExpectNothingSent()
    {
        ASSERT_EQ(Connection().Request201180(1), 1);
        ASSERT_TRUE(m_server.WaitForRequests(1, 5000));
        const auto requests = m_server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].Id(), 201180u);
    }

    std::unique_ptr<RequestApp> m_app;
};

// ---- records ------------------------------------------------------------------

TEST_F(FrameRequestsTest, EveryRecordAsTheServerReceivesIt)
{
    // Waiting requests get a code that none of them accepts.
    m_server.SetDefaultReply(tools::ScriptedReply { .code = 99, .body = "" });
    std::array<uint8_t, 32> box {};
    std::array<uint8_t, 24> challenge {};
    std::array<uint8_t, 124> config {};

    struct Case {
        const char* name;
        std::function<int(GameConnection&)> send;
        uint32_t id;
        bool waits;
        Expect record;
    };
    std::string text;
    int amount = 0;
    uint32_t code = 0;
    const Case cases[] = {
        { "can quit", [](GameConnection& c) { return c.RequestCanQuit(); }, 201130, true, Expect(32).Head() },
        { "table snapshot", [](GameConnection& c) { return c.RequestTableSnapshot(); }, 201140, true,
            Expect(32).Head() },
        { "enter match room", [&](GameConnection& c) { return c.EnterMatchRoom(text); }, 201220, true,
            Expect(176)
                .Int(0, kUser)
                .Int(4, static_cast<int32_t>(kOwnFlags))
                .Int(8, kGame)
                .Int(12, kMatch)
                .Int(16, kRoom)
                .Int(20, kTable)
                .Int(24, kChair)
                .Text(28, kMachine)
                .Int(64, kWord296)
                .Int(68, kWord304) },
        { "enter game", [&](GameConnection& c) { return c.EnterGame(text); }, 200110, true,
            Expect(108)
                .Int(0, kUser)
                .Int(4, static_cast<int32_t>(kOwnFlags))
                .Int(8, kGame)
                .Int(12, kRoom)
                .Int(16, kTable)
                .Int(20, kChair)
                .Text(24, kMachine)
                .Int(72, kExtra)
                .Int(88, kWord304) },
        { "start checked", [&](GameConnection& c) { return c.RequestStartChecked(text); }, 201165, true,
            Expect(32).Head() },
        { "start", [&](GameConnection& c) { return c.RequestStart(text); }, 201160, false, Expect(32).Head() },
        { "round check", [&](GameConnection& c) { return c.Request201161(text); }, 201161, false, Expect(32).Head() },
        { "another leaves the table", [](GameConnection& c) { return c.LeaveTable(kOther, kOtherChair); }, 201120,
            false,
            Expect(96)
                .Int(0, kOther)
                .Int(4, kRoom)
                .Int(8, kTable)
                .Int(12, kOtherChair)
                .Int(16, 1)
                .Int(20, kTable)
                .Int(24, kChair)
                .Int(28, kUser)
                .Text(32, kMachine) },
        { "oneself leaves the seat", [&](GameConnection& c) { return c.LeaveSeat(text, kUser, kChair); }, 201125,
            true,
            Expect(96)
                .Int(0, kUser)
                .Int(4, kRoom)
                .Int(8, kTable)
                .Int(12, kChair)
                .Int(20, kTable)
                .Int(24, kChair)
                .Int(28, kUser)
                .Text(32, kMachine) },
        { "chat 201210", [](GameConnection& c) { return c.SendChat201210("你好"); }, 201210, false,
            Expect(128).Head().Text(16, kMachine).Text(48, "你好") },
        { "own chat line", [](GameConnection& c) { return c.SendChat("hello"); }, 201211, false,
            Expect(128).Head().Text(16, kMachine).Text(48, "hello") },
        { "call a seated player", [](GameConnection& c) { return c.CallPlayer(kOther); }, 201200, false,
            Expect(40).Head().Int(16, kOther).Int(20, kOtherChair) },
        { "call a user no record holds", [](GameConnection& c) { return c.CallPlayer(4242); }, 201200, false,
            Expect(40).Head().Int(16, 4242).Int(20, -1) },
        { "201180", [](GameConnection& c) { return c.Request201180(42); }, 201180, false,
            Expect(36).Head().Int(16, 42) },
        { "pulse without traffic",
            [](GameConnection& c) {
                c.ResetRoundTrips();
                return c.SendPulse();
            },
            201020, false, Expect(16).Int(0, kUser) },
        { "201221", [](GameConnection& c) { return c.Request201221(); }, 201221, false,
            Expect(32).Int(0, kUser).Int(4, kMatch).Int(8, kRoom).Int(12, kWord304) },
        { "notification error",
            [](GameConnection& c) {
                platform::SetFixedTick(123456);
                const uint8_t body[12] = {};
                const int sent = c.ReportNotifyError(211028, body, sizeof body, { 211600, 20, 120000 });
                platform::SetFixedTick(std::nullopt);
                return sent;
            },
            201162, false,
            Expect(128)
                .Int(0, kUser)
                .Int(4, kRoom)
                .Int(8, kTable)
                .Int(12, kTable)
                .Int(20, 211028)
                .Int(28, 12)
                .Int(32, 123456)
                .Int(36, 211600)
                .Int(44, 20)
                .Int(48, 120000) },
        { "player detail", [](GameConnection& c) { return c.Request201230(kOther); }, 201230, false,
            Expect(32).Int(0, kRoom).Int(4, kUser).Int(8, kOther) },
        { "match sign-up", [](GameConnection& c) { return c.Request201231(); }, 201231, false,
            Expect(56).Int(0, kUser).Int(4, kGame).Int(8, kRoom) },
        { "match give-up", [](GameConnection& c) { return c.Request201232(); }, 201232, false,
            Expect(56).Int(0, kUser).Int(4, kGame).Int(8, kRoom) },
        { "exit request", [](GameConnection& c) { return c.RequestExit("有事先走"); }, 201212, false,
            Expect(84).Head().Text(20, "有事先走") },
        { "exit answer", [](GameConnection& c) { return c.AnswerExit(kOther, 1); }, 201213, false,
            Expect(40).Head().Int(16, kOther).Int(20, 1) },
        { "view cards", [](GameConnection& c) { return c.SetViewCardsPermission(kLooker, 1); }, 229560, false,
            Expect(40).Head().Int(16, kLooker).Int(20, 1) },
        { "change table", [&](GameConnection& c) { return c.ChangeTable(text); }, 201300, true, Expect(32).Head() },
        { "new table", [&](GameConnection& c) { return c.RequestNewTable(text); }, 201302, true, Expect(32).Head() },
        { "query safe box", [&](GameConnection& c) { return c.QuerySafeBox(text, box); }, 200040, true,
            Expect(76).Int(0, kUser).Int(4, kGame).Text(12, kMachine) },
        { "game to safe box",
            [&](GameConnection& c) {
                amount = 500;
                return c.GameToSafeBox(text, amount, code);
            },
            200042, true,
            Expect(112)
                .Int(0, kUser)
                .Int(4, kGame)
                .Int(8, kRoom)
                .Int(12, kTable)
                .Int(16, kChair)
                .Int(20, 500)
                .Text(48, kMachine)
                .Int(80, kOwnSilver)
                .Int(84, 1) },
        { "safe box to game", [&](GameConnection& c) { return c.SafeBoxToGame(text, 600, 777); }, 200041, true,
            Expect(112)
                .Int(0, kUser)
                .Int(4, kGame)
                .Int(8, kRoom)
                .Int(12, kTable)
                .Int(16, kChair)
                .Int(20, 600)
                .Int(24, 777)
                .Text(48, kMachine)
                .Int(80, kOwnSilver)
                .Int(84, 2) },
        { "password challenge", [&](GameConnection& c) { return c.RequestPasswordChallenge(text, challenge, code); },
            200043, true, Expect(76).Int(0, kUser).Int(4, kGame).Text(12, kMachine) },
        { "allowance config", [&](GameConnection& c) { return c.RequestAllowanceConfig(text, 3, config); }, 214010,
            true, Expect(320).Head().Int(20, 3) },
        { "claim allowance", [&](GameConnection& c) { return c.ClaimAllowance(text, 3, 1, amount); }, 214000, true,
            Expect(104).Head().Text(16, kOwnName).Int(52, 3).Int(56, 1) },
        { "claim allowance checked", [&](GameConnection& c) { return c.ClaimAllowanceChecked(text, 3, 0, amount); },
            214001, true, Expect(136).Head().Text(16, kOwnName).Int(52, 3).Int(56, 0).Text(72, kMachine) },
    };

    size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A request that only sends reports that it went out; one that
        // waits gets a code it does not accept.
        EXPECT_EQ(c.send(Connection()), c.waits ? 0 : 1);
        ++count;
        ASSERT_TRUE(m_server.WaitForRequests(count, 5000));
        const tools::ReceivedRequest request = m_server.Requests().back();
        EXPECT_EQ(request.Id(), c.id);
        EXPECT_EQ(request.expectsReply, c.waits);
        EXPECT_EQ(request.message.body.size(), c.record.Bytes().size());
        EXPECT_EQ(request.message.body, c.record.Bytes());
    }
    EXPECT_TRUE(m_server.Errors().empty());
}

TEST_F(FrameRequestsTest, TheMachineIdIsCutToItsField)
{
    Connection().SetMachineId(std::string(40, 'f'));
    EXPECT_EQ(Connection().MachineId(), std::string(31, 'f'));
}

TEST_F(FrameRequestsTest, EnterGameSendsThePlayerOnlyInRoomsWithOptionB40)
{
    Reply(200110, 99);
    std::string text;
    EXPECT_EQ(Connection().EnterGame(text), 0);
    EXPECT_EQ(LastBody(200110, 1).size(), 108u);

    SetOptionsB(kB40);
    EXPECT_EQ(Connection().EnterGame(text), 0);
    const std::string sent = LastBody(200110, 2);
    ASSERT_EQ(sent.size(), 244u);
    // The own player as the server keeps players follows the enter record.
    frame::VizeRidavuRecord wire;
    ASSERT_TRUE(wire.Load(reinterpret_cast<const uint8_t*>(sent.data()) + 108, 136));
    EXPECT_EQ(wire.UserId(), kUser);
    EXPECT_EQ(wire.Flags(), kOwnFlags);
    EXPECT_EQ(wire.Name(), kOwnName);
    EXPECT_EQ(wire.Silver(), kOwnSilver);
    EXPECT_EQ(wire.Chair(), kChair);
}

// ---- entering -----------------------------------------------------------------------

TEST_F(FrameRequestsTest, EnterGameReplies)
{
    // A seat list for reply 210210: {8 count, 60 records}, then the data.
    auto seatList = [](int32_t count, int records, const std::string& tail) {
        std::string body = Words({ 0, 0, count }) + std::string(48, '\0');
        for (int i = 0; i < records; ++i) {
            frame::VizeRidavuRecord wire;
            wire.SetUserId(kOther + 100 + i);
            wire.SetChair(i == 0 ? 0 : 3);
            body.append(reinterpret_cast<const char*>(wire.Bytes().data()), wire.Bytes().size());
        }
        return body + tail;
    };
    const std::string big = Pattern(100, 1);
    const std::string tail = Pattern(20, 2);
    const std::string badCount = seatList(3, 1, "");
    struct Case {
        const char* name;
        uint32_t options;
        bool lookOn;
        uint32_t code;
        std::string body;
        int result;
        std::string text;
        std::string call;      // what the application was handed ("" for nothing)
        std::string enterData; // the start of the buffers afterwards
        std::string lookOnData;
    };
    const Case cases[] = {
        { "playing: as much as the buffer holds", 0, false, 210200, big, 1, "", "210200:" + big, big.substr(0, 64),
            "" },
        { "playing without data", 0, false, 210200, "", 1, "", "210200:", "", "" },
        { "alternative reply", 0, false, 210220, Pattern(30, 3), 1, "", "210220:" + Pattern(30, 3), "",
            Pattern(30, 3) },
        { "alternative reply longer than the buffer", 0, false, 210220, big, 1, "", "210220:" + big, "",
            big.substr(0, 48) },
        { "looking on: the whole body is look-on data", 0, false, 210210, big, 1, "", "210210:" + big, "",
            big.substr(0, 48) },
        { "seat list, then the look-on data", kB08, false, 210210, seatList(2, 2, tail), 1, "",
            "210210:" + seatList(2, 2, tail), "", tail },
        { "a looker-on gets no seat list", kB08, true, 210210, big, 1, "", "210210:" + big, "", big.substr(0, 48) },
        { "seat count past the body", kB08, false, 210210, badCount, 0, "进入游戏失败，请重新开始。", "", "", "" },
        { "negative seat count", kB08, false, 210210, seatList(-1, 0, tail), 0, "进入游戏失败，请重新开始。", "", "",
            "" },
        { "more seats than a table has", kB08, false, 210210, seatList(9, 9, ""), 0, "进入游戏失败，请重新开始。", "",
            "", "" },
        { "body shorter than the seat list's head", kB08, false, 210210, Words({ 0, 0, 0 }), 0,
            "进入游戏失败，请重新开始。", "", "", "" },
        { "refused with a known code", 0, false, 210020, "", 0, "没有空余的旁观位置。", "", "", "" },
        { "refused with the server's text", 0, false, 60031, "满了", 0, "满了", "", "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetOptionsB(c.options);
        App().GetHallArgs().lookOn = c.lookOn ? 1 : 0;
        App().calls.clear();
        std::fill(App().enterData.begin(), App().enterData.end(), uint8_t { 0 });
        std::fill(App().lookOnData.begin(), App().lookOnData.end(), uint8_t { 0 });
        Reply(200110, c.code, c.body);

        std::string text;
        EXPECT_EQ(Connection().EnterGame(text), c.result);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(App().calls, c.call.empty() ? std::vector<std::string> {} : std::vector<std::string> { c.call });
        const std::string enter(App().enterData.begin(), App().enterData.end());
        const std::string lookOn(App().lookOnData.begin(), App().lookOnData.end());
        EXPECT_EQ(enter.substr(0, c.enterData.size()), c.enterData);
        EXPECT_EQ(enter.find_first_not_of('\0', c.enterData.size()), std::string::npos);
        EXPECT_EQ(lookOn.substr(0, c.lookOnData.size()), c.lookOnData);
        EXPECT_EQ(lookOn.find_first_not_of('\0', c.lookOnData.size()), std::string::npos);
    }
}

TEST_F(FrameRequestsTest, TheSeatListFillsTheOtherSeats)
{
    SetOptionsB(kB08);
    std::string body = Words({ 0, 0, 1 }) + std::string(48, '\0');
    frame::VizeRidavuRecord wire;
    wire.SetUserId(kLooker + 1);
    wire.SetChair(0);
    wire.SetName("乙");
    body.append(reinterpret_cast<const char*>(wire.Bytes().data()), wire.Bytes().size());
    Reply(200110, 210210, body);
    std::string text;
    ASSERT_EQ(Connection().EnterGame(text), 1);
    EXPECT_EQ(App().GetUserName(kLooker + 1), "乙");
    EXPECT_EQ(App().GetUserName(kUser), kOwnName);
}

TEST_F(FrameRequestsTest, EnteringWithoutTheOwnRecordSendsNothing)
{
    App().GetSeatPlayer(kChair)->Clear();
    std::string text;
    EXPECT_EQ(Connection().EnterGame(text), 0);
    EXPECT_EQ(text, "对象不存在。");
    text.clear();
    EXPECT_EQ(Connection().EnterMatchRoom(text), 0);
    EXPECT_EQ(text, "对象不存在。");
    frame::VizeRidavuRecord wire;
    EXPECT_FALSE(Connection().BuildEnterExtra(wire));
    ExpectNothingSent();
}

TEST_F(FrameRequestsTest, MatchRoomReplies)
{
    const uint32_t forwarded[] = { 210500, 210521, 210531, 210534, 210540, 210533, 210536, 210537, 210538, 210539 };
    std::string text;
    for (uint32_t code : forwarded) {
        SCOPED_TRACE(code);
        App().calls.clear();
        Reply(201220, code, "body");
        EXPECT_EQ(Connection().EnterMatchRoom(text), 1);
        EXPECT_EQ(App().calls, std::vector<std::string> { std::to_string(code) + ":body" });
    }

    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        { 210530, std::string("比赛已结束\0rest", 15), 1, { "210530:比赛已结束" } },
        // A text without its terminator ends with the body.
        { 210530, "结束", 1, { "210530:结束" } },
        { 210020, "", 0, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        App().calls.clear();
        Reply(201220, c.code, c.body);
        EXPECT_EQ(Connection().EnterMatchRoom(text), c.result);
        EXPECT_EQ(App().calls, c.calls);
    }

    Connection().Close();
    EXPECT_EQ(Connection().EnterMatchRoom(text), 0);
    EXPECT_EQ(text, "服务器未回应登入请求!");
}

// ---- leaving and the table ------------------------------------------------------------

TEST_F(FrameRequestsTest, LeaveSeatReplies)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::string text;
    };
    const Case cases[] = {
        { 210085, Words({ 30 }), 1, "系统已经为您分配了随机桌位，\r\n\r\n必须再等 30 秒钟才能离开。" },
        // Without the seconds the server still keeps the player.
        { 210085, "", 1, "系统已经为您分配了随机桌位，\r\n\r\n请稍候再离开。" },
        { 210086, "", 1, "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)" },
        { 10, Words({ 30 }), 0, "unchanged" },
        { 1000, "", 0, "对象不存在。" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Reply(201125, c.code, c.body);
        std::string text = "unchanged";
        EXPECT_EQ(Connection().LeaveSeat(text, kUser, kChair), c.result);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(FrameRequestsTest, CanQuitTakesOptionWordA)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        uint32_t optionsA;
    };
    const Case cases[] = {
        { 210030, Words({ 0x4004 }), 1, 0x4004 },
        { 10, Words({ 0x5 }), 0, 0x5 },
        // No first word: the code still says a game runs; the option word
        // stays.
        { 210030, "", 1, 0x5 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Reply(201130, c.code, c.body);
        EXPECT_EQ(Connection().RequestCanQuit(), c.result);
        EXPECT_EQ(App().GetRoomOptionsA(), c.optionsA);
    }
}

TEST_F(FrameRequestsTest, TableSnapshotFillsTheLookOnBuffer)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::string lookOn;
    };
    const std::string big = Pattern(100, 5);
    const Case cases[] = {
        { 10, Pattern(10, 4), 1, Pattern(10, 4) },
        { 10, big, 1, big.substr(0, 48) },
        { 10, "", 0, "" },
        { 11, big, 0, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.size());
        std::fill(App().lookOnData.begin(), App().lookOnData.end(), uint8_t { 0 });
        Reply(201140, c.code, c.body);
        EXPECT_EQ(Connection().RequestTableSnapshot(), c.result);
        const std::string lookOn(App().lookOnData.begin(), App().lookOnData.end());
        EXPECT_EQ(lookOn.substr(0, c.lookOn.size()), c.lookOn);
        EXPECT_EQ(lookOn.find_first_not_of('\0', c.lookOn.size()), std::string::npos);
    }
}

TEST_F(FrameRequestsTest, StartAndNewTableRepliesReachTheViewsAndThePrompts)
{
    if (!App().CreateViews())
        GTEST_SKIP() << "no video driver";
    const std::string limits = Words({ 0, 0, 300, 1000 });
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        int stops;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        { 10, "", 1, 1, {} },
        { 210541, limits, 0, 0, { "min:" + limits } },
        { 210542, limits, 0, 0, { "max:" + limits } },
        // Without both words there is nothing to ask about.
        { 210541, Words({ 0, 0, 300 }), 0, 0, {} },
        { 99, limits, 0, 0, {} },
    };
    for (uint32_t id : { 201165u, 201302u }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(id) + " " + std::to_string(c.code));
            App().calls.clear();
            App().tableView->stops = 0;
            Reply(id, c.code, c.body);
            std::string text;
            EXPECT_EQ(id == 201165u ? Connection().RequestStartChecked(text) : Connection().RequestNewTable(text),
                c.result);
            EXPECT_EQ(App().tableView->stops, c.stops);
            EXPECT_EQ(App().calls, c.calls);
        }
    }
}

TEST_F(FrameRequestsTest, ChangingTablesTooOftenWritesAChatLine)
{
    if (!App().CreateViews())
        GTEST_SKIP() << "no video driver";
    std::string text;
    Reply(201300, 10);
    EXPECT_EQ(Connection().ChangeTable(text), 1);
    Reply(201300, 99);
    EXPECT_EQ(Connection().ChangeTable(text), 0);
    EXPECT_TRUE(App().systemPane->lines.empty());
    Reply(201300, 210550);
    EXPECT_EQ(Connection().ChangeTable(text), 0);
    EXPECT_EQ(App().systemPane->lines,
        std::vector<std::string> { " <z=qh系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n" });
}

TEST_F(FrameRequestsTest, RequestsRefusedBeforeSendingTouchNothing)
{
    std::string text = "kept";
    int amount = 5;
    uint32_t code = 7;
    std::array<uint8_t, 32> box {};
    GameConnection& c = Connection();

    // Room option B without 0x80, then without 0x2.
    SetOptionsB(kB02 | kSafeBox);
    EXPECT_EQ(c.RequestNewTable(text), 0);
    SetOptionsB(kB80 | kSafeBox);
    EXPECT_EQ(c.RequestNewTable(text), 0);
    // An allowance of another kind.
    EXPECT_EQ(c.ClaimAllowance(text, 3, 2, amount), 0);
    EXPECT_EQ(amount, 0);
    EXPECT_EQ(c.ClaimAllowanceChecked(text, 3, -1, amount), 0);
    // The safe box may not move silver: not a silver room, or no transfers.
    App().GetRoomInfo().SetOptionsA(0);
    EXPECT_EQ(c.GameToSafeBox(text, amount, code), 0);
    App().GetRoomInfo().SetOptionsA(kSilverRoom);
    SetOptionsB(kB02 | kB80);
    EXPECT_EQ(c.SafeBoxToGame(text, 100, 0), 0);
    EXPECT_EQ(text, "");

    // A looker-on.
    SetOptionsB(kB02 | kB80 | kSafeBox);
    App().GetHallArgs().lookOn = 1;
    text = "kept";
    EXPECT_EQ(c.ChangeTable(text), 0);
    EXPECT_EQ(c.RequestNewTable(text), 0);
    EXPECT_EQ(c.QuerySafeBox(text, box), 0);
    EXPECT_EQ(c.ClaimAllowance(text, 3, 0, amount), 0);
    EXPECT_EQ(c.ClaimAllowanceChecked(text, 3, 1, amount), 0);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(c.GameToSafeBox(text, amount, code), 0);
    EXPECT_EQ(c.SafeBoxToGame(text, 100, 0), 0);
    EXPECT_EQ(code, 7u);

    ExpectNothingSent();
}

TEST_F(FrameRequestsTest, ARequestThatOnlySendsFailsWhenNothingWentOut)
{
    Connection().Close();
    std::string text = "old";
    EXPECT_EQ(Connection().RequestStart(text), 0);
    EXPECT_EQ(Connection().SendChat("hi"), 0);
    EXPECT_EQ(Connection().LeaveTable(kUser, kChair), 0);
    EXPECT_EQ(Connection().SetViewCardsPermission(kLooker, 1), 0);
    EXPECT_EQ(Connection().SendPulse(), 0);
}

TEST_F(FrameRequestsTest, LeavingTheTableAndClosingTellsTheServerFirst)
{
    App().LeaveTableAndClose();
    EXPECT_EQ(LastBody(201120, 1),
        Expect(96)
            .Int(0, kUser)
            .Int(4, kRoom)
            .Int(8, kTable)
            .Int(12, kChair)
            .Int(20, kTable)
            .Int(24, kChair)
            .Int(28, kUser)
            .Text(32, kMachine)
            .Bytes());
    EXPECT_FALSE(Connection().IsConnected());
}

// ---- chat -------------------------------------------------------------------------------

TEST_F(FrameRequestsTest, ChatTextIsCutTo61BytesOnACharacterBoundary)
{
    std::string thirtyChinese;
    for (int i = 0; i < 30; ++i)
        thirtyChinese += "中";
    struct Case {
        const char* name;
        std::string text;
        std::string sent;
    };
    const Case cases[] = {
        { "100 characters", std::string(100, 'x'), std::string(61, 'x') },
        { "exactly 61", std::string(61, 'y'), std::string(61, 'y') },
        // The 31st Chinese character would end at byte 62.
        { "a character across the limit", thirtyChinese + "文字", thirtyChinese },
        { "one byte, then 31 characters", "a" + thirtyChinese + "文", "a" + thirtyChinese },
    };
    size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t id : { 201210u, 201211u }) {
            ASSERT_EQ(id == 201210u ? Connection().SendChat201210(c.text) : Connection().SendChat(c.text), 1);
            const std::string body = LastBody(id, ++count);
            ASSERT_EQ(body.size(), 128u);
            EXPECT_EQ(body.substr(48), c.sent + std::string(80 - c.sent.size(), '\0'));
        }
    }
}

// ---- the pulse ------------------------------------------------------------------------------

TEST_F(FrameRequestsTest, PulseReportsTheRoundTripsSinceTheLastPulse)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> trips;
        int32_t average, maximum;
    };
    const Case cases[] = {
        { "three round trips", { 100, 200, 300 }, 200, 300 },
        { "no traffic since", {}, 0, 0 },
        { "one longer than a minute", { 70000 }, 60000, 60000 },
        { "an average over a minute", { 50, 130000 }, 60000, 60000 },
        { "a long one among short ones", { 10, 20, 90000 }, 30010, 60000 },
    };
    size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t ms : c.trips)
            Connection().RecordRoundTrip(ms);
        ASSERT_EQ(Connection().SendPulse(), 1);
        EXPECT_EQ(LastBody(201020, ++count), Words({ kUser, c.average, c.maximum, 0 }));
        EXPECT_EQ(Connection().GetRoundTrips().count, 0u);
    }
}

// ---- the safe box ------------------------------------------------------------------------------

TEST_F(FrameRequestsTest, GameToSafeBoxReplies)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::string text;
        int amount;
    };
    const Case cases[] = {
        { 10, "", 1, "", 5000 },
        { 60042, "", 0, "系统禁止在【测试房间】里存放银子。", 5000 },
        { 60005, "", 0, "您的划帐数额超过现在拥有的金额。", 5000 },
        { 229601, "", 0, "正在玩的游戏不能划帐。", 5000 },
        { 229600, "", 0, "已经准备的游戏不能划帐。", 5000 },
        { 229603, Words({ 700 }), 0, "低于房间最低银子限制【700两】。", 5000 },
        { 60070, Words({ 5 }), 0, "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 5 局才能转出。", 5000 },
        { 60071, Words({ 30 }), 0, "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 30 分钟才能转出。",
            5000 },
        { 60092, Words({ 5000, 2000 }), 0,
            "很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出3000两。(至少保留2000两)", 3000 },
        // Shorter than the words the branch reads: a failed request.
        { 60092, Words({ 5000 }), 0, "操作失败！", 5000 },
        { 229603, "", 0, "操作失败！", 5000 },
        { 60087, "", 0, "服务器繁忙！", 5000 },
        { 12345, "", 0, "操作失败！", 5000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Reply(200042, c.code, c.body);
        std::string text = "old";
        int amount = 5000;
        uint32_t code = 0;
        EXPECT_EQ(Connection().GameToSafeBox(text, amount, code), c.result);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(amount, c.amount);
        EXPECT_EQ(code, c.code);
    }
}

TEST_F(FrameRequestsTest, SafeBoxToGameReplies)
{
    const int64_t month = 30000000000; // beyond 32 bits
    const int64_t used = 10000000000;
    auto twoInt64 = [](int64_t a, int64_t b) {
        return Words({ static_cast<int32_t>(a), static_cast<int32_t>(a >> 32), static_cast<int32_t>(b),
            static_cast<int32_t>(b >> 32) });
    };
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::string text;
    };
    const Case cases[] = {
        { 10, "", 1, "银子已经成功划入您指定的游戏。" },
        { 60042, "", 0, "系统禁止在【测试房间】里存放银子。" },
        { 60005, "", 0, "您的保险箱里的银子不够。" },
        { 1011, "", 0, "保护密码计算结果错误。" },
        { 229601, "", 0, "正在玩的游戏不能划帐。" },
        { 229600, "", 0, "已经准备的游戏不能划帐。" },
        { 229604, Words({ 90000 }), 0, "高于房间最高银子限制【90000两】。" },
        { 60029, "", 0, "由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。" },
        { 60086, Words({ 300, 1000 }), 0, "系统限定每日划入【测试房间】不能超过1000两，\r\n今天您最多还可以划入700两。" },
        { 60086, Words({ 1000, 1000 }), 0,
            "系统限定每日划入【测试房间】不能超过1000两，\r\n今天您已经超限，到明天才能划银。" },
        { 60095, twoInt64(used, month), 0,
            "系统限定每月划入游戏总额不能超过30000000000两，\r\n本月您最多还可以划入20000000000两。" },
        { 60095, twoInt64(month + 1, month), 0,
            "系统限定每月划入游戏不能超过30000000000两，\r\n本月您已经超限，到下个月才能划银。" },
        // Shorter than the words the branch reads: a failed request.
        { 60086, Words({ 300 }), 0, "操作失败！" },
        { 60095, Words({ 1, 0, 5 }), 0, "操作失败！" },
        { 60101, "", 0, "帐户已被禁用，请与管理员联系。" },
        { 4711, "", 0, "操作失败！" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Reply(200041, c.code, c.body);
        std::string text = "old";
        EXPECT_EQ(Connection().SafeBoxToGame(text, 100, 0), c.result);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(FrameRequestsTest, SafeBoxQueryAndPasswordChallenge)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::string text;
    };
    const Case cases[] = {
        { 10, Pattern(40, 9), 1, "" },
        { 10, Pattern(20, 9), 0, "操作失败！" },
        { 60019, "", 0, "非常抱歉，系统正在维护中，请稍候再操作。" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.size());
        Reply(200040, c.code, c.body);
        Reply(200043, c.code, c.body);
        std::array<uint8_t, 32> box {};
        std::array<uint8_t, 24> challenge {};
        uint32_t code = 0;
        std::string text;
        EXPECT_EQ(Connection().QuerySafeBox(text, box), c.result);
        EXPECT_EQ(text, c.text);
        text.clear();
        EXPECT_EQ(Connection().RequestPasswordChallenge(text, challenge, code), c.result);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(code, c.code);
        const std::string expected = c.result ? c.body : std::string(40, '\0');
        EXPECT_EQ(std::string(box.begin(), box.end()), expected.substr(0, 32));
        EXPECT_EQ(std::string(challenge.begin(), challenge.end()), expected.substr(0, 24));
    }

    // A failed request keeps the request's own text.
    Reply(200040, 60031, "稍后再试");
    std::array<uint8_t, 32> box {};
    std::string text;
    EXPECT_EQ(Connection().QuerySafeBox(text, box), 0);
    EXPECT_EQ(text, "稍后再试");
}

// ---- the allowance ------------------------------------------------------------------------------

TEST_F(FrameRequestsTest, AllowanceConfigIsZeroedAndBounded)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        std::string config;
    };
    const std::string big = Pattern(200, 6);
    const Case cases[] = {
        { 10, big, 1, big.substr(0, 124) },
        { 10, Pattern(10, 7), 1, Pattern(10, 7) },
        { 10, "", 0, "" },
        { 99, big, 0, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.size());
        Reply(214010, c.code, c.body);
        std::array<uint8_t, 124> config;
        config.fill(0xEE);
        std::string text;
        EXPECT_EQ(Connection().RequestAllowanceConfig(text, 3, config), c.result);
        EXPECT_EQ(std::string(config.begin(), config.end()), c.config + std::string(124 - c.config.size(), '\0'));
    }
}

TEST_F(FrameRequestsTest, AllowanceClaims)
{
    struct Case {
        uint32_t code;
        std::string body;
        int result;
        int amount;
    };
    const Case cases[] = {
        { 10, Words({ 250 }), 1, 250 },
        // No amount in the reply: a failed request.
        { 10, "", 0, 0 },
        { 99, Words({ 250 }), 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Reply(214000, c.code, c.body);
        Reply(214001, c.code, c.body);
        std::string text;
        int amount = -1;
        EXPECT_EQ(Connection().ClaimAllowance(text, 3, 0, amount), c.result);
        EXPECT_EQ(amount, c.amount);
        amount = -1;
        EXPECT_EQ(Connection().ClaimAllowanceChecked(text, 3, 1, amount), c.result);
        EXPECT_EQ(amount, c.amount);
    }
}

} // namespace
