// The frame's notification handler against an application without a
// window: each notification's effect on the records, the main view, the
// table view, the system pane, the lobby and the connection; bodies that
// are short, counts that overstate what arrived, chairs off the table.

#include "frame/core/GameNotifyHandler.h"

#include "frame/core/WireReader.h"
#include "net/DailyLog.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "tests/frame/core/NotifyTestApp.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

using notifytest::Log;
using notifytest::NotifyTestApp;

constexpr int kSelf = 1002;
constexpr int kTable = 7;

// A body of exactly `size` bytes, so that a read past it is caught.
class Body {
public:
    explicit Body(size_t size = 0)
        : m_bytes(size)
    {
    }
    Body& Int(size_t offset, int32_t value)
    {
        Grow(offset + 4);
        frame::StoreLe32(m_bytes.data() + offset, static_cast<uint32_t>(value));
        return *this;
    }
    // The text and its zero.
    Body& Text(size_t offset, std::string_view text)
    {
        Grow(offset + text.size() + 1);
        std::copy(text.begin(), text.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        m_bytes[offset + text.size()] = 0;
        return *this;
    }
    Body& Bytes(size_t offset, std::span<const uint8_t> bytes)
    {
        Grow(offset + bytes.size());
        std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return *this;
    }
    Body& Put(size_t offset, const Body& other)
    {
        return Bytes(offset, std::span<const uint8_t>(other.m_bytes));
    }
    Body& Resize(size_t size)
    {
        m_bytes.resize(size);
        m_bytes.shrink_to_fit();
        return *this;
    }
    Body Cut(size_t size) const
    {
        Body out(size);
        std::copy(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(size), out.m_bytes.begin());
        return out;
    }
    const uint8_t* Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

private:
    void Grow(size_t size)
    {
        if (m_bytes.size() < size)
            Resize(size);
    }
    std::vector<uint8_t> m_bytes;
};

Body Wire(int userId, int chair, int table, const std::string& name)
{
    frame::VizeRidavuRecord wire;
    wire.SetUserId(userId);
    wire.SetChair(chair);
    wire.SetTableNo(table);
    wire.SetName(name);
    wire.SetSilver(500);
    return Body().Bytes(0, wire.Bytes());
}

struct WaitTexts {
    std::mutex lock;
    std::vector<std::string> shown;
};

class RecordingWaitDisplay : public WaitTextDisplay {
public:
    explicit RecordingWaitDisplay(std::shared_ptr<WaitTexts> texts)
        : m_texts(std::move(texts))
    {
    }
    void ShowText(const std::string& text, int) override
    {
        std::lock_guard guard(m_texts->lock);
        m_texts->shown.push_back(text);
    }
    void Hide() override
    {
        std::lock_guard guard(m_texts->lock);
        m_texts->shown.push_back("-");
    }

private:
    std::shared_ptr<WaitTexts> m_texts;
};

void Seat(NotifyTestApp& app, int chair, int userId, const std::string& name, const std::string& nickname = "")
{
    frame::PlayerRecord& seat = *app.GetSeatPlayer(chair);
    seat.SetUserId(userId);
    seat.SetName(name);
    seat.SetNickname(nickname);
    seat.SetTableNo(kTable);
    seat.SetChair(chair);
}

// A table of four chairs: 1001 "甲" at chair 0, oneself (1002) at chair 1,
// 1003 "丙[小丙]" at chair 2, chair 3 empty; 1005 looks on.
void Populate(NotifyTestApp& app)
{
    app.GetHallArgs().userId = kSelf;
    app.SetOwnChair(1);
    app.SetTableNo(kTable);
    Seat(app, 0, 1001, "甲");
    Seat(app, 1, kSelf, "自己");
    Seat(app, 2, 1003, "丙", "小丙");
    app.GetTableInfo().SetPlayerCount(3);
    frame::PlayerRecord& looker = *app.GetLookOnPlayer(0);
    looker.SetUserId(1005);
    looker.SetName("观众");
    looker.SetTableNo(kTable);
    looker.SetChair(2);
    looker.SetLookOn(1);
}

// Everything a notification may change, as bytes.
std::string Snapshot(NotifyTestApp& app)
{
    std::string out;
    auto add = [&out](std::span<const uint8_t> bytes) { out.append(bytes.begin(), bytes.end()); };
    for (int i = 0; i < frame::FrameRecordStore::kSeats; ++i) {
        add(app.GetSeatPlayer(i)->Bytes());
        add(app.GetMatchSeat(i)->Bytes());
    }
    for (int i = 0; i < frame::FrameRecordStore::kLookOnSlots; ++i)
        add(app.GetLookOnPlayer(i)->Bytes());
    add(app.GetTableInfo().Bytes());
    add(app.GetMatchRanking().Bytes());
    add(app.GetMatchStateBlock().Bytes());
    add(app.GetMatchRoomInfo().Bytes());
    out += app.GetAdvertText() + "|" + std::to_string(app.GetChair()) + "|" + std::to_string(app.IsInGame())
        + std::to_string(app.IsTableActive()) + "|" + std::to_string(app.State().GetExitRequestTick());
    return out;
}

Log Dispatch(NotifyTestApp& app, GameNotifyHandler& handler, uint32_t id, const Body& body)
{
    handler.Dispatch(id, body.Data(), body.Size());
    return app.TakeLog();
}

class GameNotifyHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        net::LogInit(nullptr, net::kLogCrLf); // short bodies are logged, not to a file here
        platform::SetMessageBoxAnswer(platform::kIdOk);
        Populate(m_app);
    }
    void TearDown() override
    {
        platform::TakeMessageBoxLog();
        platform::SetMessageBoxAnswer(std::nullopt);
        platform::SetFixedTick(std::nullopt);
        net::LogShutdown();
    }

    void Seat(int chair, int userId, const std::string& name) { ::Seat(m_app, chair, userId, name); }
    Log Dispatch(uint32_t id, const Body& body) { return ::Dispatch(m_app, m_handler, id, body); }
    std::string Snapshot() { return ::Snapshot(m_app); }

    NotifyTestApp m_app;
    GameNotifyHandler m_handler { m_app };
};

// ---- texts, boxes and forwarded bodies --------------------------------------------

struct Effect {
    const char* what;
    uint32_t id;
    Body body;
    Log expected;
};

std::vector<Effect> TextAndForwardCases()
{
    const Body any = Body(40).Int(0, 77);
    return {
        { "other players' chat goes to the pane", 201210, any, { "pane 80000058 40" } },
        { "server chat goes to the pane", 211200, any, { "pane 80000059 40" } },
        { "an exit request goes to the view", 201212, any, { "view.ShowQuitRequest 40" } },
        { "match result queued", 211191, any, { "view.QueueMatchResult 40" } },
        { "tables remaining", 211220, any, { "view.ShowTablesRemaining 40" } },
        { "match player", 211241, any, { "view.ShowMatchPlayer 40" } },
        { "match cancelled by the system", 211201, any, { "view.ShowMatchSystemCancel 40" } },
        { "signed up", 211203, any, { "view.OnSignUpOk 40" } },
        { "withdrawn", 211204, any, { "view.OnWithdrawn 40" } },
        { "ignored id", 211202, any, {} },
        { "match board event: table view, then pane", 211242, any, { "table 80000028 40", "pane 80000028 40" } },
        { "211900: pane, then table view", 211900, any, { "pane 80000061 40", "table 80000061 40" } },
        { "211920: table view", 211920, any, { "table 80000063 40" } },
        { "a call of oneself rings", 201200, Body().Int(0, 1003).Int(16, kSelf),
            { "chat| 丙[小丙]呼叫 <c=32768>自己\n", "sound SndAhoo" } },
        { "a call of another player", 201200, Body().Int(0, kSelf).Int(16, 1001),
            { "chat| 自己呼叫 <c=32768>甲\n" } },
        { "a call from nobody known still rings", 201200, Body().Int(0, 4242).Int(16, kSelf),
            { "chat| 呼叫 <c=32768>自己\n", "sound SndAhoo" } },
        { "a call of nobody known", 201200, Body().Int(0, kSelf).Int(16, 4242), { "chat| 自己呼叫 <c=32768>\n" } },
        { "agreed exit", 201213, Body().Int(0, 1001).Int(16, 1003).Int(20, 1),
            { "chat| <c=2906200>甲答应丙的退出请求 \r\n" } },
        { "refused exit", 201213, Body().Int(0, 1003).Int(16, kSelf).Int(20, 0),
            { "chat| <c=2906200>丙拒绝自己的退出请求 \r\n" } },
        { "game time-out", 211230, Body(), { "chat| <z=qh系统通知>#r 游戏超时，本局结束!\r\n" } },
        { "promotion wait", 211210, Body().Int(8, 12),
            { "chat| <z=qh系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前12名晋级者。\r\n" } },
        { "a seat left empty", 211120, Body(), { "notice 5 0x1 |有玩家未入座，游戏结束。" } },
        { "silver short", 211110, Body().Int(0, 1003), { "notice 5 0x1 |丙的银子不够了，这一桌游戏结束。" } },
        { "score short", 211130, Body().Int(0, 1001), { "notice 5 0x1 |甲的积分不够了，这一桌游戏结束。" } },
        { "score over the limit", 211132, Body().Int(0, kSelf),
            { "notice 5 0x1 |自己的积分超出限制，这一桌游戏结束。" } },
        { "player's rounds over the limit", 211134, Body().Int(0, 1003).Int(12, 300),
            { "notice 30 0x1 |丙的总局数超出限制(300局)，这一桌游戏结束。" } },
        { "table's rounds over the limit", 211136, Body().Int(8, 50),
            { "notice 30 0x1 |这一桌的局数超出限制(50局)，游戏结束。" } },
        { "server notice", 211138, Body().Text(8, "今晚维护"), { "notice 60 0x1 |今晚维护" } },
        { "an empty server notice", 211138, Body().Text(8, ""), {} },
        { "closed hours without periods", 211137, Body(92).Int(8, 0),
            { "notice 60 0x1 |已超出限定时间，不能继续游戏。" } },
        { "closed hours with one period", 211137, Body(92).Int(8, 1).Int(28, 830).Int(60, 2230),
            { "notice 60 0x1 |已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n8点30分 ~ 22点30分\r\n" } },
        { "idle rounds, oneself at one's chair", 211800, Body().Int(0, kSelf).Int(4, 1).Int(8, 3),
            { "notice 5 0x1 |您已经连续3局未参与本桌游戏了，请您换张桌子！" } },
        { "idle rounds of another player", 211800, Body().Int(0, 1001).Int(4, 0).Int(8, 3), {} },
        { "idle rounds at another chair", 211800, Body().Int(0, kSelf).Int(4, 2).Int(8, 3), {} },
        { "table message to the lobby", 211025, Body().Int(0, 99), { "hall 0x9107 0 99" } },
        { "sign-up failed with a text", 211205, Body().Text(16, "名额已满"), { "board 0xFFFFFF 16|名额已满" } },
        { "sign-up failed without a text", 211205, Body(16), { "board 0xFFFFFF 16|报名失败,请重试!" } },
        { "withdrawal failed with a text", 211206, Body().Text(16, "比赛已开始"),
            { "board 0xFFFFFF 16|比赛已开始" } },
        { "withdrawal failed without a text", 211206, Body(20), { "board 0xFFFFFF 16|退赛失败,请重试!" } },
        { "match board text", 211243, Body().Text(24, "第二轮开始"), { "board 0xFFFFFF 16|第二轮开始" } },
        { "match result with a link", 211410, Body().Text(32, "恭喜晋级|http://x/r?id=1"),
            { "close", "result 60 0x1 |恭喜晋级|http://x/r?id=1|1|查看成绩|退出" } },
        { "match result without '|'", 211410, Body().Text(32, "http://x/r"),
            { "close", "result 60 0x1 ||http://x/r|1|查看成绩|退出" } },
        { "an id no layer knows", 211300, any, {} },
    };
}

TEST_F(GameNotifyHandlerTest, TextsBoxesAndForwardedBodies)
{
    for (const Effect& c : TextAndForwardCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Dispatch(c.id, c.body), c.expected);
    }
}

TEST_F(GameNotifyHandlerTest, ClosedHoursReadAtMostEightPeriodsAndOnlyThoseThatArrived)
{
    Body full(92);
    full.Int(8, 99);
    for (int i = 0; i < 8; ++i)
        full.Int(28 + 4 * i, 800 + i).Int(60 + 4 * i, 2000 + i);
    const std::string head = "notice 60 0x1 |已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n";
    std::string eight = head;
    for (int i = 0; i < 8; ++i)
        eight += "8点0" + std::to_string(i) + "分 ~ 20点0" + std::to_string(i) + "分\r\n";
    EXPECT_EQ(Dispatch(211137, full), Log { eight });

    // The end time of the third period is missing: two are shown.
    Body cut = full.Cut(60 + 4 * 2 + 3);
    EXPECT_EQ(Dispatch(211137, cut), Log { head + "8点00分 ~ 20点00分\r\n8点01分 ~ 20点01分\r\n" });

    full.Int(8, -5);
    EXPECT_EQ(Dispatch(211137, full), Log { "notice 60 0x1 |已超出限定时间，不能继续游戏。" });
}

TEST_F(GameNotifyHandlerTest, WithoutViewsNothingIsShownButTheLobbyAndConnectionStillHear)
{
    m_app.SetViews(false);
    for (const Effect& c : TextAndForwardCases()) {
        SCOPED_TRACE(c.what);
        Log expected;
        for (const std::string& line : c.expected) {
            if (line == "close" || line.starts_with("hall "))
                expected.push_back(line);
        }
        EXPECT_EQ(Dispatch(c.id, c.body), expected);
    }
}

TEST_F(GameNotifyHandlerTest, ARefusedExitRequestLetsTheNextCloseAskAgain)
{
    m_app.State().RecordExitRequest(5000);
    Dispatch(201213, Body().Int(0, 1001).Int(16, kSelf).Int(20, 1));
    EXPECT_EQ(m_app.State().GetExitRequestTick(), 5000u);
    Dispatch(201213, Body().Int(0, 1001).Int(16, kSelf).Int(20, 0));
    EXPECT_EQ(m_app.State().GetExitRequestTick(), 0u);
    EXPECT_EQ(m_app.State().GetExitRequestCount(), 1);
}

TEST_F(GameNotifyHandlerTest, ServerMessageBoxBelongsToTheProgram)
{
    Dispatch(210530, Body().Text(0, "服务器将在5分钟后重启"));
    Dispatch(210530, Body().Text(0, ""));
    const auto boxes = platform::TakeMessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "服务器将在5分钟后重启");
    EXPECT_EQ(boxes[0].caption, "KbZn");
    EXPECT_EQ(boxes[0].type, platform::kMbOk);
}

TEST_F(GameNotifyHandlerTest, TextsThatRunToTheEndOfTheBodyNeverEndInsideACharacter)
{
    // "维护" and the lead byte of a third character, no terminator.
    Body notice = Body().Text(8, "维护中");
    notice.Resize(notice.Size() - 2);
    EXPECT_EQ(Dispatch(211138, notice), Log { "notice 60 0x1 |维护" });
}

TEST_F(GameNotifyHandlerTest, AnAbortedGameDeactivatesTheTableHidesTheWaitTextAndCloses)
{
    auto texts = std::make_shared<WaitTexts>();
    m_app.SetWaitDisplayFactory([texts] { return std::make_unique<RecordingWaitDisplay>(texts); });
    ASSERT_TRUE(m_app.StartCommThread());
    ASSERT_TRUE(m_app.IsTableActive());
    m_app.ShowWaitText("正在进入……", true);
    EXPECT_EQ(Dispatch(211000, Body()), Log { "close" });
    m_app.StopCommThread();
    EXPECT_FALSE(m_app.IsTableActive());
    // The thread hides the text once more as it ends.
    std::lock_guard guard(texts->lock);
    EXPECT_EQ(texts->shown, (std::vector<std::string> { "正在进入……", "-", "-" }));
}

// ---- the advertisement text ------------------------------------------------------

TEST_F(GameNotifyHandlerTest, AdvertTextIsKeptAndHandedToThePane)
{
    EXPECT_EQ(Dispatch(211400, Body().Text(32, "今日排名")), Log { "advert|今日排名" });
    EXPECT_EQ(m_app.GetAdvertText(), "今日排名");

    // Kept to 255 bytes, cut before a character that does not fit whole.
    std::string longText = "a";
    for (int i = 0; i < 150; ++i)
        longText += "排";
    Dispatch(211400, Body().Text(32, longText));
    EXPECT_EQ(m_app.GetAdvertText(), longText.substr(0, 255));
    EXPECT_EQ(m_app.GetAdvertText().size(), 255u);
    Dispatch(211400, Body().Text(32, longText.substr(1)));
    EXPECT_EQ(m_app.GetAdvertText().size(), 254u);

    m_app.SetViews(false);
    EXPECT_EQ(Dispatch(211400, Body().Text(32, "无面板")), Log {});
    EXPECT_EQ(m_app.GetAdvertText(), "无面板");
}

// ---- players and seats -----------------------------------------------------------

TEST_F(GameNotifyHandlerTest, APlayerTakesAnEmptyChair)
{
    EXPECT_EQ(Dispatch(211011, Wire(1004, 3, kTable, "丁")), Log { "view.OnPlayerEnter 1004@3" });
    EXPECT_EQ(m_app.GetChairUserId(3), 1004);
    EXPECT_EQ(m_app.GetSeatPlayer(3)->Name(), "丁");
    EXPECT_EQ(m_app.GetSeatPlayer(3)->Silver(), 500);
    EXPECT_EQ(m_app.GetTablePlayerCount(), 4);

    // An occupied chair changes hands without raising the count, which
    // never passes the chair count.
    m_app.GetTableInfo().SetPlayerCount(4);
    Dispatch(211011, Wire(1006, 0, kTable, "戊"));
    EXPECT_EQ(m_app.GetChairUserId(0), 1006);
    EXPECT_EQ(m_app.GetSeatPlayer(0)->Name(), "戊");
    EXPECT_EQ(m_app.GetTablePlayerCount(), 4);
    m_app.GetSeatPlayer(3)->Clear();
    Dispatch(211011, Wire(1007, 3, kTable, "己"));
    EXPECT_EQ(m_app.GetTablePlayerCount(), 4);
}

TEST_F(GameNotifyHandlerTest, EntriesThatAreRefused)
{
    struct Case {
        const char* what;
        Body body;
    };
    const Case cases[] = {
        { "user id 0", Wire(0, 3, kTable, "丁") },
        { "negative user id", Wire(-4, 3, kTable, "丁") },
        { "chair past the table", Wire(1004, 4, kTable, "丁") },
        { "chair past the seats", Wire(1004, 8, kTable, "丁") },
        { "negative chair", Wire(1004, -1, kTable, "丁") },
    };
    const std::string before = Snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Dispatch(211011, c.body), Log {});
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(GameNotifyHandlerTest, DuringAGameSeatsChangeOnlyWhereTheRoomAllowsIt)
{
    m_app.BeginGame();
    const Body enter = Wire(1004, 3, kTable, "丁");
    const Body leave = Body().Int(0, 1003).Int(4, 2).Int(28, kTable).Int(32, 0);
    const std::string before = Snapshot();
    EXPECT_EQ(Dispatch(211011, enter), Log {});
    EXPECT_EQ(Dispatch(211010, leave), Log {});
    EXPECT_EQ(Snapshot(), before);

    m_app.GetRoomInfo().SetOptionsB(frame::RoomInfo::kOptionBSeatChangeInGame);
    EXPECT_EQ(Dispatch(211011, enter), Log { "view.OnPlayerEnter 1004@3" });
    EXPECT_EQ(Dispatch(211010, leave), Log { "view.OnPlayerLeave 1003@2" });
    EXPECT_EQ(m_app.GetChairUserId(3), 1004);
    EXPECT_EQ(m_app.GetChairUserId(2), 0);
}

TEST_F(GameNotifyHandlerTest, AnotherPlayerLeaves)
{
    EXPECT_EQ(Dispatch(211010, Body().Int(0, 1003).Int(4, 2).Int(28, kTable).Int(32, 1)),
        Log { "view.OnPlayerLeave 1003@2" });
    EXPECT_EQ(m_app.GetChairUserId(2), 0);
    EXPECT_EQ(m_app.GetTablePlayerCount(), 2);
    EXPECT_EQ(m_app.FindPlayer(1003), nullptr);

    // The count never falls below 0.
    m_app.GetTableInfo().SetPlayerCount(0);
    Dispatch(211010, Body().Int(0, 1001).Int(4, 0).Int(28, kTable).Int(32, 0));
    EXPECT_EQ(m_app.GetTablePlayerCount(), 0);
}

TEST_F(GameNotifyHandlerTest, OneselfLeavesWithTheOthersAgreement)
{
    EXPECT_EQ(Dispatch(211010, Body().Int(0, kSelf).Int(4, 1).Int(28, kTable).Int(32, 1)),
        (Log { "notice 10 0x30 vkf胜利|其他玩家同意您退出游戏！", "view.OnPlayerLeave 1002@1" }));
    EXPECT_EQ(m_app.GetChairUserId(1), 0);
    EXPECT_EQ(m_app.GetTablePlayerCount(), 2);

    Seat(1, kSelf, "自己");
    EXPECT_EQ(Dispatch(211010, Body().Int(0, kSelf).Int(4, 1).Int(28, kTable).Int(32, 0)),
        Log { "view.OnPlayerLeave 1002@1" });
}

TEST_F(GameNotifyHandlerTest, TheWatchedPlayerLeavesALookerOn)
{
    m_app.GetHallArgs().lookOn = 1;
    m_app.SetOwnChair(2);
    EXPECT_EQ(Dispatch(211010, Body().Int(0, 1003).Int(4, 2).Int(28, kTable).Int(32, 1)),
        (Log { "notice 10 0x30 vkf抱歉|丙[小丙] 已经离开，旁观结束。", "view.OnPlayerLeave 1003@2" }));
    EXPECT_EQ(m_app.GetChairUserId(2), 0);
}

TEST_F(GameNotifyHandlerTest, DeparturesThatDoNotMatchTheRecordsAreIgnored)
{
    struct Case {
        const char* what;
        Body body;
    };
    const Case cases[] = {
        { "unknown user", Body().Int(0, 4242).Int(4, 2).Int(28, kTable).Int(32, 0) },
        { "another table", Body().Int(0, 1003).Int(4, 2).Int(28, kTable + 1).Int(32, 0) },
        { "another chair", Body().Int(0, 1003).Int(4, 0).Int(28, kTable).Int(32, 0) },
        { "a looker-on", Body().Int(0, 1005).Int(4, 2).Int(28, kTable).Int(32, 0) },
        { "chair past the table", Body().Int(0, 1008).Int(4, 4).Int(28, kTable).Int(32, 0) },
        { "negative chair", Body().Int(0, 1003).Int(4, -1).Int(28, kTable).Int(32, 0) },
    };
    // A record at a chair past the four-chair table would match.
    Seat(4, 1008, "远");
    const std::string before = Snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Dispatch(211010, c.body), Log {});
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(GameNotifyHandlerTest, ALookerOnLeaves)
{
    EXPECT_EQ(Dispatch(211020, Body().Int(0, 1005)), Log { "view.OnLookerLeave 1005@2" });
    EXPECT_EQ(m_app.FindPlayer(1005), nullptr);
    EXPECT_EQ(Dispatch(211020, Body().Int(0, 4242)), Log {});
}

// Records what follows the seat list.
class TailHandler : public GameNotifyHandler {
public:
    using GameNotifyHandler::GameNotifyHandler;
    void OnSeatPlayersTail(const uint8_t* tail, size_t length) override
    {
        tails.push_back(length >= 4 ? frame::WireReader(tail, length).Int(0) : -1);
        lengths.push_back(length);
    }
    std::vector<int> tails;
    std::vector<size_t> lengths;
};

TEST_F(GameNotifyHandlerTest, SeatListLoadsTheChairsAndHandsOnWhatFollows)
{
    TailHandler handler(m_app);
    Body body;
    body.Int(4, 9).Int(8, 2).Int(12, 2001).Int(16, kSelf);
    body.Put(64, Wire(2001, 0, 9, "庚")).Put(64 + 136, Wire(kSelf, 1, 9, "自己"));
    body.Int(64 + 2 * 136, 4321).Int(64 + 2 * 136 + 4, 0);
    handler.Dispatch(211028, body.Data(), body.Size());
    EXPECT_EQ(m_app.TakeLog(), Log { "view.OnRandomSeat" });
    EXPECT_EQ(m_app.GetTableNo(), 9);
    EXPECT_EQ(m_app.GetChair(), 1);
    EXPECT_EQ(m_app.GetChairUserId(0), 2001);
    EXPECT_EQ(m_app.GetChairUserId(2), 0);
    EXPECT_EQ(handler.tails, std::vector<int> { 4321 });
    EXPECT_EQ(handler.lengths, std::vector<size_t> { 8 });

    // A count beyond the records that arrived: the records there are taken
    // and the tail is empty.
    body.Int(8, 100).Resize(64 + 2 * 136);
    handler.Dispatch(211028, body.Data(), body.Size());
    EXPECT_EQ(m_app.GetTablePlayerCount(), 2);
    EXPECT_EQ(handler.lengths.back(), 0u);
}

TEST_F(GameNotifyHandlerTest, ChairListLoadsByChair)
{
    Body body;
    body.Int(8, 11).Int(12, 3).Int(16, 1);
    body.Put(68, Wire(kSelf, 3, 11, "自己"));
    EXPECT_EQ(Dispatch(211700, body), Log { "view.OnTableChanged" });
    EXPECT_EQ(m_app.GetChair(), 3);
    EXPECT_EQ(m_app.GetChairUserId(3), kSelf);
    EXPECT_EQ(m_app.GetChairUserId(0), 0);
}

TEST_F(GameNotifyHandlerTest, ScoresReachTheNamedPlayersOnly)
{
    Body body;
    body.Int(0, 1000); // far more than arrived
    body.Int(20, 1003).Int(28, 150).Int(32, 9000).Int(36, 5).Text(40, "一二三四五六七八");
    body.Int(72, 4242).Int(80, 1).Int(84, 1).Int(88, 1);
    body.Int(124, 1005).Int(132, 7).Int(136, 70).Int(140, 2).Text(144, "新手");
    body.Resize(20 + 3 * 52);
    EXPECT_EQ(Dispatch(211030, body), Log {});
    const frame::PlayerRecord& p = *m_app.FindPlayer(1003);
    EXPECT_EQ(p.Score(), 150);
    EXPECT_EQ(p.Silver(), 9000);
    EXPECT_EQ(p.Level(), 5);
    EXPECT_EQ(p.LevelTitle(), "一二三四五六七"); // 15 bytes hold seven characters
    const frame::PlayerRecord& looker = *m_app.FindPlayer(1005);
    EXPECT_EQ(looker.Silver(), 70);
    EXPECT_EQ(looker.LevelTitle(), "新手");

    const std::string before = Snapshot();
    body.Int(0, -1).Int(28, 999);
    Dispatch(211030, body);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(GameNotifyHandlerTest, ResultsMoneyAndNamesGoThroughTheLoaders)
{
    EXPECT_EQ(Dispatch(211510, Body(64).Int(4, 2).Int(24, 100).Int(32, -20).Text(48, "高手")), Log {});
    EXPECT_EQ(m_app.GetSeatPlayer(2)->Score(), 80);
    EXPECT_EQ(m_app.GetSeatPlayer(2)->LevelTitle(), "高手");

    EXPECT_EQ(Dispatch(211600, Body(20).Int(4, 0).Int(8, 1).Int(16, 777)), Log { "view.OnSilverNotice 20" });
    EXPECT_EQ(m_app.GetSeatPlayer(0)->Silver(), 777);

    EXPECT_EQ(Dispatch(211910, Body(52).Text(0, "新名字")), Log { "view.OnServerText 52" });
    EXPECT_EQ(m_app.GetSeatPlayer(0)->Name(), "新名字");
}

TEST_F(GameNotifyHandlerTest, PortraitAndPrivilegeChangesAreAnnouncedOnlyWhenTheyChangeSomething)
{
    const Body portrait = Body(12).Int(0, 1003).Int(4, 2).Int(8, 6);
    EXPECT_EQ(Dispatch(211430, portrait), (Log { "table 80000064 12", "pane 80000064 12" }));
    EXPECT_EQ(m_app.GetSeatPlayer(2)->Figure(), 6);
    EXPECT_EQ(Dispatch(211430, portrait), Log {});

    const Body privilege = Body(12).Int(0, 1001).Int(4, 0).Int(8, 1);
    EXPECT_EQ(Dispatch(211440, privilege), (Log { "table 80000065 12", "pane 80000065 12" }));
    EXPECT_TRUE(m_app.IsPrivilegedUser(1001));
    EXPECT_EQ(Dispatch(211440, privilege), Log {});
    EXPECT_EQ(Dispatch(211440, Body(12).Int(0, 1001).Int(4, 9).Int(8, 0)), Log {});
}

// ---- matches ---------------------------------------------------------------------

Body MatchTable()
{
    Body body(frame::MatchRoomInfo::kSize + 2 * frame::MatchSeatRecord::kSize);
    body.Int(0, 31).Int(4, 500).Int(8, 12).Int(12, 2);
    frame::MatchSeatRecord seat;
    seat.SetUserId(kSelf);
    seat.SetName("自己");
    body.Bytes(244, seat.Bytes());
    seat.SetUserId(3001);
    seat.SetName("赛友");
    body.Bytes(244 + 288, seat.Bytes());
    return body;
}

TEST_F(GameNotifyHandlerTest, AMatchTableSeatsThePlayersAndStartsTheGame)
{
    EXPECT_EQ(Dispatch(211150, MatchTable()), Log { "view.OnMatchNextRound" });
    EXPECT_TRUE(m_app.IsInGame());
    EXPECT_EQ(m_app.GetMatchId(), 500);
    EXPECT_EQ(m_app.GetTableNo(), 12);
    EXPECT_EQ(m_app.GetChair(), 0);
    EXPECT_EQ(m_app.GetChairUserId(1), 3001);
}

TEST_F(GameNotifyHandlerTest, TheRankingUpdatesTheMatchSeatsAndIsSorted)
{
    Dispatch(211150, MatchTable());
    Body body(24 + 3 * 64);
    body.Int(4, 3);
    body.Int(24, 3001).Int(28, 40).Int(32, 400).Int(36, 2);
    body.Int(88, 4242).Int(92, 90).Int(96, 900).Int(100, 1);
    body.Int(152, kSelf).Int(156, 10).Int(160, 100).Int(164, 3);
    EXPECT_EQ(Dispatch(211170, body), (Log { "pane 80000022 0", "table 80000022 0" }));
    const frame::MatchSeatRecord& other = *m_app.FindMatchSeat(3001);
    EXPECT_EQ(other.MatchScore(), 40);
    EXPECT_EQ(other.Silver(), 400);
    EXPECT_EQ(other.RankingKey(), 2);
    EXPECT_EQ(m_app.FindMatchSeat(kSelf)->RankingKey(), 3);
    const frame::MatchRanking& ranking = m_app.GetMatchRanking();
    ASSERT_EQ(ranking.Count(), 3u);
    // Oneself first, then by key.
    EXPECT_EQ(ranking.Entry(0).UserId(), kSelf);
    EXPECT_EQ(ranking.Entry(1).UserId(), 4242);
    EXPECT_EQ(ranking.Entry(2).UserId(), 3001);
}

TEST_F(GameNotifyHandlerTest, TheMatchStageFollowsItsBeginAndEnd)
{
    EXPECT_EQ(Dispatch(211199, Body()), Log { "view.OnMatchBegin" });
    EXPECT_EQ(m_app.GetMatchStateBlock().Stage(), 500);
    EXPECT_EQ(Dispatch(211190, Body(16)), (Log { "pane 80000026 16", "view.QueueMatchEnd 16" }));
    EXPECT_EQ(m_app.GetMatchStateBlock().Stage(), 600);
}

// ---- bodies too short for their records --------------------------------------------

TEST_F(GameNotifyHandlerTest, ShortBodiesChangeNothing)
{
    struct Case {
        uint32_t id;
        Body full;
        size_t needed;
    };
    Body chairList;
    chairList.Int(8, kTable).Int(12, 1).Int(16, 1);
    chairList.Put(68, Wire(kSelf, 1, kTable, "x"));
    Body seatList;
    seatList.Int(4, kTable).Int(8, 1).Int(12, kSelf);
    seatList.Put(64, Wire(kSelf, 0, kTable, "x"));
    Body ranking(24 + 64);
    ranking.Int(4, 1).Int(24, kSelf);
    const Case cases[] = {
        { 201200, Body().Int(0, 1003).Int(16, kSelf), 20 },
        { 201213, Body().Int(0, 1003).Int(16, kSelf).Int(20, 0), 24 },
        { 210530, Body().Text(0, "x"), 1 },
        { 211010, Body().Int(0, 1003).Int(4, 2).Int(28, kTable).Int(32, 0), 36 },
        { 211011, Wire(1004, 3, kTable, "丁"), 136 },
        { 211020, Body().Int(0, 1005), 4 },
        { 211025, Body().Int(0, 1), 4 },
        { 211028, seatList, 64 },
        { 211030, Body(20 + 52).Int(0, 1).Int(20, 1003).Int(28, 5), 20 },
        { 211110, Body().Int(0, 1003), 4 },
        { 211130, Body().Int(0, 1003), 4 },
        { 211132, Body().Int(0, 1003), 4 },
        { 211134, Body().Int(0, 1003).Int(12, 3), 16 },
        { 211136, Body().Int(8, 3), 12 },
        { 211137, Body(92).Int(8, 1), 12 },
        { 211138, Body().Text(8, "x"), 9 },
        { 211150, MatchTable(), 244 },
        { 211170, ranking, 24 },
        { 211205, Body(16), 16 },
        { 211206, Body(16), 16 },
        { 211210, Body().Int(8, 3), 12 },
        { 211243, Body().Text(24, "x"), 25 },
        { 211400, Body().Text(32, "x"), 32 },
        { 211410, Body().Text(32, "a|b"), 32 },
        { 211430, Body(12).Int(0, 1003).Int(4, 2).Int(8, 6), 12 },
        { 211440, Body(12).Int(0, 1001).Int(4, 0).Int(8, 1), 12 },
        { 211510, Body(64).Int(4, 2), 64 },
        { 211600, Body(20).Int(4, 0).Int(8, 1), 20 },
        { 211700, chairList, 68 },
        { 211800, Body().Int(0, kSelf).Int(4, 1).Int(8, 3), 12 },
        { 211910, Body(52).Text(0, "x"), 52 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        NotifyTestApp app;
        Populate(app);
        GameNotifyHandler handler(app);
        const std::string before = ::Snapshot(app);
        for (size_t n = 0; n < c.needed; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(::Dispatch(app, handler, c.id, c.full.Cut(n)), Log {});
            EXPECT_EQ(::Snapshot(app), before);
        }
        EXPECT_TRUE(platform::TakeMessageBoxLog().empty());
        // The whole body does something.
        const Log effect = ::Dispatch(app, handler, c.id, c.full);
        EXPECT_TRUE(!effect.empty() || ::Snapshot(app) != before || !platform::TakeMessageBoxLog().empty());
    }
}

// ---- the dispatch table and the stamp ---------------------------------------------

// Names the handler each id reaches.
class NamingHandler : public GameNotifyHandler {
public:
    using GameNotifyHandler::GameNotifyHandler;
#define NAME(handler) \
    void handler(const uint8_t*, size_t) override { names.push_back(#handler); }
    NAME(OnPlayerCall)
    NAME(OnAdvertText)
    NAME(OnChatText)
    NAME(OnPlayerScores)
    NAME(OnGameAborted)
    NAME(OnExitRequest)
    NAME(OnExitAnswer)
    NAME(OnTableMessage)
    NAME(OnPlayerChanged)
    NAME(OnSeatEmptyEnd)
    NAME(OnSilverShortEnd)
    NAME(OnScoreShortEnd)
    NAME(OnScoreLimitEnd)
    NAME(OnPlayerRoundLimitEnd)
    NAME(OnTableRoundLimitEnd)
    NAME(OnOutsideOpenHours)
    NAME(OnServerNotice)
    NAME(OnChatText2)
    NAME(OnMatchResult)
    NAME(OnIdleRoundsWarning)
    NAME(On211900)
    NAME(OnPlayerNames)
    NAME(On211920)
    NAME(OnPlayerEntered)
    NAME(OnPlayerLeft)
    NAME(OnSeatPlayers)
    NAME(OnMatchTable)
    NAME(OnMatchRanking)
    NAME(OnServerMessageBox)
    NAME(On211199)
    NAME(On211220)
    NAME(On211241)
    NAME(On211190)
    NAME(On211191)
    NAME(OnMatchPromotionWait)
    NAME(OnGameTimeout)
    NAME(On211201)
    NAME(Ignore)
    NAME(On211203)
    NAME(On211204)
    NAME(OnSignUpFailed)
    NAME(OnWithdrawFailed)
    NAME(On211242)
    NAME(On211243)
    NAME(OnPlayerResult)
    NAME(OnPlayerMoney)
    NAME(OnChairPlayers)
    NAME(OnPlayerPortrait)
    NAME(OnPlayerPrivilege)
#undef NAME
    std::vector<std::string> names;
};

TEST_F(GameNotifyHandlerTest, EachIdReachesItsHandler)
{
    const std::pair<uint32_t, const char*> table[] = {
        { 201200, "OnPlayerCall" }, { 201210, "OnChatText" }, { 201212, "OnExitRequest" },
        { 201213, "OnExitAnswer" }, { 210530, "OnServerMessageBox" }, { 211000, "OnGameAborted" },
        { 211010, "OnPlayerLeft" }, { 211011, "OnPlayerEntered" }, { 211020, "OnPlayerChanged" },
        { 211025, "OnTableMessage" }, { 211028, "OnSeatPlayers" }, { 211030, "OnPlayerScores" },
        { 211110, "OnSilverShortEnd" }, { 211120, "OnSeatEmptyEnd" }, { 211130, "OnScoreShortEnd" },
        { 211132, "OnScoreLimitEnd" }, { 211134, "OnPlayerRoundLimitEnd" }, { 211136, "OnTableRoundLimitEnd" },
        { 211137, "OnOutsideOpenHours" }, { 211138, "OnServerNotice" }, { 211150, "OnMatchTable" },
        { 211170, "OnMatchRanking" }, { 211190, "On211190" }, { 211191, "On211191" }, { 211199, "On211199" },
        { 211200, "OnChatText2" }, { 211201, "On211201" }, { 211202, "Ignore" }, { 211203, "On211203" },
        { 211204, "On211204" }, { 211205, "OnSignUpFailed" }, { 211206, "OnWithdrawFailed" },
        { 211210, "OnMatchPromotionWait" }, { 211220, "On211220" }, { 211230, "OnGameTimeout" },
        { 211241, "On211241" }, { 211242, "On211242" }, { 211243, "On211243" }, { 211400, "OnAdvertText" },
        { 211410, "OnMatchResult" }, { 211430, "OnPlayerPortrait" }, { 211440, "OnPlayerPrivilege" },
        { 211510, "OnPlayerResult" }, { 211600, "OnPlayerMoney" }, { 211700, "OnChairPlayers" },
        { 211800, "OnIdleRoundsWarning" }, { 211900, "On211900" }, { 211910, "OnPlayerNames" },
        { 211920, "On211920" },
    };
    NamingHandler handler(m_app);
    std::vector<uint32_t> ids;
    for (const auto& [id, name] : table) {
        SCOPED_TRACE(id);
        handler.names.clear();
        handler.Dispatch(id, nullptr, 0);
        EXPECT_EQ(handler.names, std::vector<std::string> { name });
        ids.push_back(id);
    }
    const auto frameIds = GameNotifyHandler::FrameIds();
    EXPECT_EQ(std::vector<uint32_t>(frameIds.begin(), frameIds.end()), ids);
    handler.names.clear();
    for (uint32_t id : { 0u, 211300u, 229500u, 0xFFFFFFFFu })
        handler.Dispatch(id, nullptr, 0);
    EXPECT_TRUE(handler.names.empty());
}

TEST_F(GameNotifyHandlerTest, TheStampKeepsTheLastNotification)
{
    EXPECT_EQ(m_handler.GetLastId(), 0u);
    EXPECT_EQ(m_handler.GetLastLength(), 0u);
    EXPECT_EQ(m_handler.GetLastTick(), 0u);
    platform::SetFixedTick(123456);
    const Body body(40);
    const std::string before = Snapshot();
    m_handler.Dispatch(211300, body.Data(), body.Size());
    m_handler.StampLast(211300, body.Data(), body.Size());
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(m_app.TakeLog(), Log {});
    EXPECT_EQ(m_handler.GetLastId(), 211300u);
    EXPECT_EQ(m_handler.GetLastWord(), 0u);
    EXPECT_EQ(m_handler.GetLastLength(), 40u);
    EXPECT_EQ(m_handler.GetLastTick(), 123456u);
}

// ---- the game state ------------------------------------------------------------------

TEST_F(GameNotifyHandlerTest, TheApplicationCountsExitRequestsThroughTheGameState)
{
    EXPECT_EQ(m_app.GetExitRequestCount(), 0);
    EXPECT_TRUE(m_app.CanRequestForcedQuit());
    m_app.State().RecordExitRequest(0);
    EXPECT_EQ(m_app.State().GetExitRequestTick(), 1u); // 0 would mean none pending
    m_app.State().RecordExitRequest(9000);
    EXPECT_EQ(m_app.GetExitRequestCount(), 2);
    EXPECT_EQ(m_app.State().GetExitRequestTick(), 9000u);
    EXPECT_FALSE(m_app.CanRequestForcedQuit());
    m_app.State().ResetFlags();
    EXPECT_EQ(m_app.GetExitRequestCount(), 0);
    EXPECT_EQ(m_app.State().GetExitRequestTick(), 0u);
}

} // namespace
