// The game's notifications: a table of bodies (good, short, with chairs
// outside the table or plays beyond a hand) and what reaches the game data,
// the table view, the side pane and the main view; the round's start,
// result and table state in the order the views rely on; the end of a game
// when a player leaves; a player who left, with the player count that never
// falls below zero and the exit-agreed flag.

#include "game/FriendNotifyHandler.h"

#include "net/DailyLog.h"
#include "tests/game/FriendTestApp.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

using friendtest::FriendTestApp;
using friendtest::Log;
using game::FriendGameData;
using game::FriendNotifyHandler;

namespace {

// A body of `size` zero bytes with words and texts written at their offsets.
class Body {
public:
    explicit Body(size_t size)
        : m_bytes(size, '\0')
    {
    }
    Body& Int(size_t offset, int32_t value)
    {
        for (size_t i = 0; i < 4; ++i)
            m_bytes[offset + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
        return *this;
    }
    Body& Text(size_t offset, const std::string& text)
    {
        m_bytes.replace(offset, text.size(), text);
        return *this;
    }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(m_bytes.data()); }
    size_t Size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
};

constexpr int kOwnChair = 1;

class FriendNotifyHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        net::LogInit(nullptr, net::kLogCrLf); // short bodies are logged, not to a file here
        m_app.GetHallArgs().userId = 1002;
        m_app.SetOwnChair(kOwnChair);
        Seat(0, 1001, "东家");
        Seat(1, 1002, "西家");
        m_app.GetTableInfo().SetPlayerCount(2);
    }
    void TearDown() override { net::LogShutdown(); }

    void Seat(int chair, int userId, const std::string& name)
    {
        frame::PlayerRecord& seat = *m_app.GetSeatPlayer(chair);
        seat.SetUserId(userId);
        seat.SetName(name);
        seat.SetChair(chair);
    }
    Log Dispatch(uint32_t id, const Body& body)
    {
        m_handler.Dispatch(id, body.Data(), body.Size());
        return m_app.TakeLog();
    }
    FriendGameData& Data() { return m_app.Data(); }

    FriendTestApp m_app;
    FriendNotifyHandler m_handler { m_app };
};

struct Case {
    const char* name;
    uint32_t id;
    Body body;
    Log effect;
};

// A play of n cards by chair 2, chair 1 next.
Body Play(int n)
{
    return Body(64 + 4 * static_cast<size_t>(n)).Int(12, 2).Int(20, 1).Int(60, n);
}

TEST_F(FriendNotifyHandlerTest, BodiesReachTheViewsOnlyWhenTheyHoldTheirRecords)
{
    const Body chat = Body(40).Int(0, 1001);
    const Case cases[] = {
        { "round start", 211040, Body(216).Int(32, 4), { "view.header round 4 ready 0 result 0" } },
        { "round start, short", 211040, Body(215).Int(32, 4), {} },
        { "round result", 211080, Body(1408).Int(432, 2), { "view.result playing 0 kind 2" } },
        { "round result, short", 211080, Body(1407).Int(432, 2), {} },
        { "table state", 211160, Body(5488).Int(52, 3),
            { "view.reset banker 0", "pane.scores", "view.boards banker 3" } },
        { "table state, short", 211160, Body(5487).Int(52, 3), {} },

        { "bonus counts", 402000, Body(12), { "view.bonuscounts 12" } },
        { "win streak award", 404000, Body(0), { "view.winstreak 0" } },
        { "bonus award", 406001, Body(7), { "view.bonus 7" } },
        { "rounds award", 406004, Body(20), { "view.rounds 20" } },

        { "chat: the pane's line, then the seat's", 201210, chat, { "pane 80000058 40", "view.chat 40" } },
        { "table chat: the seat's line, then the pane's", 211200, chat, { "view.tablechat 40", "pane 80000059 40" } },
        { "QR text", 211920, Body(48).Text(32, "http://q.cn/7"), { "view.qr|http://q.cn/7" } },
        { "QR text to the end of the body", 211920, Body(35).Text(32, "abc"), { "view.qr|abc" } },
        { "QR text empty", 211920, Body(48), {} },
        { "QR text missing", 211920, Body(32), {} },

        { "start", 201160, Body(16).Int(12, 2), { "view.started 2" } },
        { "start, chair beyond the table", 201160, Body(16).Int(12, 4), {} },
        { "play of a full hand", 221170, Play(27), { "view.thrown 2 27" } },
        { "play beyond a hand", 221170, Play(28), {} },
        { "pass", 223100, Body(36).Int(8, 1), { "view.passed 1" } },
        { "table message", 229500, Body(24).Int(8, 19840329).Int(16, 4), { "view.message 19840329" } },
        { "offline", 211240, Body(4).Int(0, 1001), { "view.offline 1001" } },
        { "unknown id", 299999, Body(64), {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Dispatch(c.id, c.body), c.effect);
    }
}

TEST_F(FriendNotifyHandlerTest, WhileTheRoomRecordsEveryNotificationReachesTheRecorderAfterItsEffect)
{
    // The game's own records (the round's start and result above all: they
    // begin and save a replay) as well as the card layer's.
    m_app.recording = true;
    const struct {
        uint32_t id;
        Body body;
        std::string effect;
    } cases[] = {
        { 211040, Body(216).Int(32, 4), "view.header round 4 ready 0 result 0" },
        { 211080, Body(1408).Int(432, 2), "view.result playing 0 kind 2" },
        { 402000, Body(12), "view.bonuscounts 12" },
        { 223100, Body(36).Int(8, 1), "view.passed 1" },
        { 221170, Play(3), "view.thrown 2 3" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::string record = "view.record " + std::to_string(c.id) + " " + std::to_string(c.body.Size());
        EXPECT_EQ(Dispatch(c.id, c.body), (Log { c.effect, record }));
    }
    // Not while a replay plays back, nor when the room does not record.
    m_app.SetReplayMode(1);
    EXPECT_EQ(Dispatch(211040, cases[0].body), (Log { cases[0].effect }));
    m_app.SetReplayMode(0);
    m_app.recording = false;
    EXPECT_EQ(Dispatch(211080, cases[1].body), (Log { cases[1].effect }));
}

TEST_F(FriendNotifyHandlerTest, NothingHappensWithoutViews)
{
    m_app.SetViews(false);
    for (uint32_t id : { 211040u, 211080u, 211160u, 402000u, 404000u, 406001u, 406004u, 201210u, 211200u, 211920u }) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Dispatch(id, Body(5488).Text(32, "x")), Log {});
    }
}

// The header sees the new round: no chair ready, no result of the last
// round, the game running.
TEST_F(FriendNotifyHandlerTest, RoundStartClearsReadyMarksAndTheLastResultFirst)
{
    Dispatch(211080, Body(1408).Int(432, 3));
    Dispatch(201160, Body(16).Int(12, 0));
    Dispatch(201160, Body(16).Int(12, 3));
    ASSERT_TRUE(Data().IsChairReady(3));

    EXPECT_EQ(Dispatch(211040, Body(216).Int(32, 2).Int(60, 1)), Log { "view.header round 2 ready 0 result 0" });
    EXPECT_TRUE(m_app.IsInGame());
    EXPECT_TRUE(Data().IsPlaying());
}

// The result lines are written when the game has stopped; the seats take
// the round's score.
TEST_F(FriendNotifyHandlerTest, RoundResultStopsTheGameBeforeTheLines)
{
    Dispatch(211040, Body(216).Int(60, 0x101));
    ASSERT_TRUE(Data().IsPlaying());
    m_app.GetSeatPlayer(0)->SetScore(50);

    const Body result = Body(1408).Int(432, 1).Int(96, 50).Int(160, -6);
    EXPECT_EQ(Dispatch(211080, result), Log { "view.result playing 0 kind 1" });
    EXPECT_FALSE(m_app.IsInGame());
    EXPECT_EQ(m_app.GetSeatPlayer(0)->Score(), 44);
}

TEST_F(FriendNotifyHandlerTest, RoundStartBehindTheSeatList)
{
    // 211028: table, count 1, the user ids by chair, one 136-byte record.
    const size_t records = 64 + 136;
    Body seats = Body(records + 216).Int(4, 0).Int(8, 1).Int(12, 1001).Int(64, 1001).Int(records + 32, 9);
    const Log log = Dispatch(211028, seats);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "view.header round 9 ready 0 result 0");

    // A seat list with no record behind it starts no round; a cut record
    // is dropped.
    for (size_t tail : { 0, 215 }) {
        SCOPED_TRACE(tail);
        for (const std::string& line : Dispatch(211028, Body(records + tail).Int(8, 1).Int(12, 1001).Int(64, 1001)))
            EXPECT_EQ(line.rfind("view.header", 0), std::string::npos) << line;
    }
}

// 211160 copies the whole table state, unchanged, between the view's reset
// and its boards; the pane refreshes the match list in match mode.
TEST_F(FriendNotifyHandlerTest, TableStateRoundTripsThroughTheBody)
{
    std::string bytes(5488, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 13 + (i >> 7));
    m_handler.Dispatch(211160, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    m_app.TakeLog();
    const std::span<const uint8_t> state = Data().TableState();
    EXPECT_EQ(std::string(state.begin(), state.end()), bytes);

    m_app.SetMatchMode(true);
    EXPECT_EQ(Dispatch(211160, Body(5500).Int(52, 2)),
        (Log { "view.reset banker " + std::to_string(Data().GetTableWord52()), "pane.matchlist",
            "view.boards banker 2" }));
}

TEST_F(FriendNotifyHandlerTest, GameAbortedSaysWhoLeftAndWhatTheyLost)
{
    const Case cases[] = {
        { "forced exit: deductions shown as positive numbers", 211000,
            Body(28).Int(4, 0).Int(8, 1).Int(20, -3).Int(24, -120),
            { "close", "notice 10 0x30 vkf抱歉|东家 已经强行退出，游戏结束。(扣除120两,3分)" } },
        { "plain leave", 211000, Body(28).Int(4, 0).Int(20, -3).Int(24, -120),
            { "close", "notice 10 0x30 vkf抱歉|东家 已经离开，游戏结束。" } },
        { "the most negative change", 211000, Body(28).Int(4, 0).Int(8, 1).Int(20, INT_MIN).Int(24, INT_MIN),
            { "close", "notice 10 0x30 vkf抱歉|东家 已经强行退出，游戏结束。(扣除-2147483648两,-2147483648分)" } },
        // The table ends and the player is told, without a name where the
        // body does not give a chair of the table.
        { "short", 211000, Body(27).Int(4, 0).Int(8, 1),
            { "close", "notice 10 0x30 vkf抱歉|已经离开，游戏结束。" } },
        { "empty", 211000, Body(0), { "close", "notice 10 0x30 vkf抱歉|已经离开，游戏结束。" } },
        { "chair beyond the table", 211000, Body(28).Int(4, 4).Int(8, 1).Int(24, -5),
            { "close", "notice 10 0x30 vkf抱歉|已经强行退出，游戏结束。(扣除5两,0分)" } },
        { "negative chair", 211000, Body(28).Int(4, -1),
            { "close", "notice 10 0x30 vkf抱歉|已经离开，游戏结束。" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_app.SetTableActive(true);
        EXPECT_EQ(Dispatch(c.id, c.body), c.effect);
        EXPECT_FALSE(m_app.IsTableActive());
        EXPECT_EQ(m_app.GetTablePlayerCount(), 2);
    }
}

// 211010: {0 user, 4 chair, 28 table, 32 agreed}.
Body Left(int chair, bool agreed)
{
    return Body(36).Int(0, 1001 + chair).Int(4, chair).Int(32, agreed ? 1 : 0);
}

TEST_F(FriendNotifyHandlerTest, PlayerLeftNoticesByChairRoomAndAgreement)
{
    constexpr uint32_t kBoth = frame::RoomInfo::kOptionB40 | frame::RoomInfo::kOptionB80;
    const struct {
        const char* name;
        int chair;
        bool agreed;
        bool lookOn;
        uint32_t options;
        Log notices;
        bool exitAgreed;
    } cases[] = {
        { "another chair, agreed", 0, true, false, 0, { "box 5 0x30 vkf抱歉|东家已经离开！" }, false },
        { "another chair, not agreed", 0, false, false, kBoth, {}, false },
        { "own chair looking on", kOwnChair, false, true, 0, { "notice 30 0x1 |西家 已经离开，旁观结束。" }, false },
        { "own chair, agreed, both options", kOwnChair, true, false, kBoth,
            { "notice 10 0x30 vkf抱歉|其他玩家同意您退出游戏！" }, true },
        { "own chair, agreed, only 0x40", kOwnChair, true, false, frame::RoomInfo::kOptionB40, {}, false },
        { "own chair, agreed, only 0x80", kOwnChair, true, false, frame::RoomInfo::kOptionB80, {}, false },
        { "own chair, not agreed, both options", kOwnChair, false, false, kBoth, {}, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        m_app.ClearExitAgreed();
        m_app.GetHallArgs().lookOn = c.lookOn;
        m_app.GetRoomInfo().SetOptionsB(c.options);
        const int userId = 1001 + c.chair;
        Log expected = { "view.OnPlayerLeave " + std::to_string(userId) + "@" + std::to_string(c.chair),
            "view.exitagreed 36" };
        expected.insert(expected.end(), c.notices.begin(), c.notices.end());

        EXPECT_EQ(Dispatch(211010, Left(c.chair, c.agreed)), expected);
        EXPECT_EQ(m_app.IsExitAgreed(), c.exitAgreed);
        EXPECT_FALSE(m_app.IsChairOccupied(c.chair));
        EXPECT_EQ(m_app.GetTablePlayerCount(), 1);
    }
}

TEST_F(FriendNotifyHandlerTest, PlayerCountNeverFallsBelowZero)
{
    EXPECT_EQ(Dispatch(211010, Left(0, false)), (Log { "view.OnPlayerLeave 1001@0", "view.exitagreed 36" }));
    EXPECT_EQ(m_app.GetTablePlayerCount(), 1);
    Dispatch(211010, Left(3, false));
    EXPECT_EQ(m_app.GetTablePlayerCount(), 0);
    // Repeated leaves of empty chairs: the view hears of no player, the
    // count stays at zero.
    EXPECT_EQ(Dispatch(211010, Left(3, false)), Log { "view.exitagreed 36" });
    Dispatch(211010, Left(0, false));
    EXPECT_EQ(m_app.GetTablePlayerCount(), 0);

    m_app.GetTableInfo().SetPlayerCount(INT_MIN);
    Dispatch(211010, Left(2, false));
    EXPECT_EQ(m_app.GetTablePlayerCount(), 0);
}

TEST_F(FriendNotifyHandlerTest, PlayerLeftRefusesShortBodiesAndForeignChairs)
{
    const Case cases[] = {
        { "short", 211010, Body(35).Int(4, 0).Int(0, 1001), {} },
        { "chair beyond the table", 211010, Body(36).Int(4, 4), {} },
        { "negative chair", 211010, Body(36).Int(4, -1).Int(32, 1), {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Dispatch(c.id, c.body), c.effect);
        EXPECT_TRUE(m_app.IsChairOccupied(0));
        EXPECT_EQ(m_app.GetTablePlayerCount(), 2);
    }
}

TEST(FriendNotifyIds, GameIdsAreNotTheLowerLayersIds)
{
    for (uint32_t id : FriendNotifyHandler::GameIds()) {
        for (uint32_t lower : game::CardNotifyHandler::CardIds())
            EXPECT_NE(id, lower);
        for (uint32_t lower : GameNotifyHandler::FrameIds())
            EXPECT_NE(id, lower);
    }
}

} // namespace
