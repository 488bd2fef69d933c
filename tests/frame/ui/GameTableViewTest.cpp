// The frame's table view on the headless host with a settable clock: the
// notices it hands to its hooks, the idle kick (armed once, only in rooms
// with both idle bits and a positive time, cancelled on request, the notice
// when it runs out), the replay recorder's conditions, and the new-table
// and allowance requests with the answers the application hears.

#include "frame/ui/GameTableView.h"

#include "engine/core/EngineEvent.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"
#include "platform/Clock.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace frame;

namespace {

using Log = std::vector<std::string>;

class RecordingRoot : public engine::RectObject, public GameFrameCalls {
public:
    explicit RecordingRoot(Log& log)
        : m_log(log)
    {
    }
    void ShowConfirmBox(const std::string& text, int seconds, uint32_t flags, const std::string& head) override
    {
        m_log.push_back("notice " + std::to_string(seconds) + " " + std::to_string(flags) + " " + head + "|" + text);
    }

private:
    Log& m_log;
};

class RecordingTable : public GameTableView {
public:
    explicit RecordingTable(Log& log)
        : m_log(log)
    {
    }
    void OnTableNotice(const uint8_t*, size_t size) override { m_log.push_back("table notice " + std::to_string(size)); }
    void OnPlayerNotice(const uint8_t*, size_t size) override
    {
        m_log.push_back("player notice " + std::to_string(size));
    }

protected:
    std::unique_ptr<engine::EngineObject> MakeReplayRecorder(bool matchMode) override
    {
        m_log.push_back(matchMode ? "make match recorder" : "make recorder");
        // A recorder panel starts hidden, as the real one does.
        auto recorder = std::make_unique<engine::RectObject>();
        recorder->Hide();
        return recorder;
    }
    void SetReplayMaxGap(engine::EngineObject*, uint32_t ms) override
    {
        m_log.push_back("max gap " + std::to_string(ms));
    }

private:
    Log& m_log;
};

class FakeConnection : public GameConnection {
public:
    explicit FakeConnection(Log& log)
        : m_log(log)
    {
    }
    int RequestNewTable(std::string& text) override
    {
        m_log.push_back("request new table");
        text = "ignored";
        return 1;
    }
    int RequestAllowanceConfig(std::string& text, int value, std::span<uint8_t, 124> out) override
    {
        m_log.push_back("request config " + std::to_string(value));
        out[0] = 7;
        out[123] = 9;
        text = answer;
        return result;
    }
    int ClaimAllowance(std::string& text, int value, int kind, int& amount) override
    {
        m_log.push_back("claim " + std::to_string(value) + " " + std::to_string(kind));
        amount = 3000;
        text = answer;
        return result;
    }
    int ClaimAllowanceChecked(std::string& text, int value, int kind, int& amount) override
    {
        m_log.push_back("claim checked " + std::to_string(value) + " " + std::to_string(kind));
        amount = 2000;
        text = answer;
        return result;
    }
    int result = 1;
    std::string answer;

private:
    Log& m_log;
};

class TestApp : public CGameFrameApp {
public:
    explicit TestApp(Log& log)
        : CGameFrameApp("KbZn", 21534, 1, 1)
        , connection(log)
        , m_log(log)
    {
    }
    engine::RectObject* GetMainView() const override { return root; }
    GameConnection* GetConnection() override { return &connection; }
    std::span<uint8_t> GetEnterDataBuffer() override { return enterData; }
    void OnAllowanceConfigReply(bool ok, const std::string& text, int value, const uint8_t* config) override
    {
        m_log.push_back("config reply " + std::to_string(ok) + " " + text + " " + std::to_string(value) + " "
            + std::to_string(config[0]) + "/" + std::to_string(config[123]));
    }
    void OnAllowanceReply(bool ok, const std::string& text, int value, int kind, int amount) override
    {
        m_log.push_back("claim reply " + std::to_string(ok) + " " + text + " " + std::to_string(value) + " "
            + std::to_string(kind) + " " + std::to_string(amount));
    }

    engine::RectObject* root = nullptr;
    FakeConnection connection;
    std::vector<uint8_t> enterData = std::vector<uint8_t>(1080, 0);

private:
    Log& m_log;
};

class TableViewHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create("tableview", 320, 240))
            GTEST_SKIP() << "no video driver";
        auto root = std::make_unique<RecordingRoot>(log);
        app.root = root.get();
        ASSERT_TRUE(host.Init(std::move(root)));
        table = static_cast<RecordingTable*>(app.root->RegisterObject(std::make_unique<RecordingTable>(log)));
        ASSERT_NE(table, nullptr);
        table->SetName("MainGame");
        Frame();
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Frame(uint32_t advance = 100)
    {
        m_tick += advance;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    // Runs frames for the given seconds of engine time.
    void Run(int seconds)
    {
        for (int i = 0; i < seconds * 10; ++i)
            Frame();
    }
    void IdleRoom(int seconds, uint32_t optionsB = RoomInfo::kOptionB40 | RoomInfo::kOptionB80)
    {
        app.GetRoomInfo().SetOptionsB(optionsB);
        StoreLe32(app.enterData.data() + kIdleKickOffset, static_cast<uint32_t>(seconds));
        table->LoadIdleKickTime();
    }
    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& line : log)
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
    void Send(int code, const std::vector<uint8_t>& body)
    {
        table->OnEvent(engine::EngineEvent(0, code, engine::ToWord(body.data()),
            static_cast<engine::MessageWord>(body.size())));
    }

    Log log;
    TestApp app { log };
    tools::TestHost host;
    RecordingTable* table = nullptr;

private:
    uint32_t m_tick = 100000;
};

const char kKickNotice[] = "notice 10 48 vkf抱歉|由于您长时间没有开始游戏，系统请您离开游戏";

// ---- notices --------------------------------------------------------------------------

TEST_F(TableViewHost, TableNoticeNeedsTextAtItsTextField)
{
    std::vector<uint8_t> body(64, 0);
    Send(EVT_TABLE_NOTICE, body); // an empty text
    Send(EVT_TABLE_NOTICE, std::vector<uint8_t>(32, 'x')); // ends where the text would begin
    Send(EVT_TABLE_NOTICE, {}); // nothing at all
    EXPECT_EQ(Count("table notice"), 0);

    body[32] = 'a';
    Send(EVT_TABLE_NOTICE, body);
    // A text running to the end of the body without a terminator is still read within it.
    Send(EVT_TABLE_NOTICE, std::vector<uint8_t>(33, 'y'));
    EXPECT_EQ(log, (Log { "table notice 64", "table notice 33" }));
}

TEST_F(TableViewHost, PlayerNoticeAndUnknownCodesAreTakenWithoutPassingOn)
{
    Send(EVT_PLAYER_NOTICE, std::vector<uint8_t>(20, 1));
    EXPECT_EQ(table->OnEvent(engine::EngineEvent(0, 80000001, 0, 0)), 1);
    EXPECT_EQ(log, (Log { "player notice 20" }));
}

// ---- idle kick ------------------------------------------------------------------------

TEST_F(TableViewHost, IdleKickRunsOutOnceAfterItsSeconds)
{
    IdleRoom(3);
    EXPECT_EQ(table->GetIdleKickSeconds(), 3);
    table->StartIdleKickTimer();
    table->StartIdleKickTimer(); // a second start replaces the first
    EXPECT_NE(table->GetIdleKickAction(), 0u);
    Run(2);
    EXPECT_EQ(Count("notice"), 0);
    Run(2);
    EXPECT_EQ(log, (Log { kKickNotice }));
    EXPECT_EQ(table->GetIdleKickAction(), 0u);
    Run(5);
    EXPECT_EQ(Count("notice"), 1);
}

TEST_F(TableViewHost, StoppedIdleKickNeverRunsOut)
{
    IdleRoom(2);
    table->StartIdleKickTimer();
    Run(1);
    table->StopIdleKickTimer();
    EXPECT_EQ(table->GetIdleKickAction(), 0u);
    Run(4);
    EXPECT_TRUE(log.empty());
    // The frame's connection stops it through the core's view calls.
    table->StartIdleKickTimer();
    ASSERT_EQ(app.GetTableViewCalls(), table);
    app.GetTableViewCalls()->StopIdleKickTimer();
    Run(4);
    EXPECT_TRUE(log.empty());
}

TEST_F(TableViewHost, IdleKickNeedsBothRoomBitsAndAPositiveTime)
{
    struct Case {
        int seconds;
        uint32_t optionsB;
        bool arms;
    };
    const uint32_t both = RoomInfo::kOptionB40 | RoomInfo::kOptionB80;
    const Case cases[] = {
        { 1, both, true },
        { 0, both, false },
        { -1, both, false },
        { 5, RoomInfo::kOptionB40, false },
        { 5, RoomInfo::kOptionB80, false },
        { 5, 0, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        SCOPED_TRACE(c.optionsB);
        IdleRoom(c.seconds, c.optionsB);
        table->StartIdleKickTimer();
        EXPECT_EQ(table->GetIdleKickAction() != 0, c.arms);
        table->StopIdleKickTimer();
    }
}

TEST_F(TableViewHost, EnterDataTooShortForTheIdleWordLeavesTheKickOff)
{
    IdleRoom(4);
    app.enterData.assign(58, 0xff);
    table->LoadIdleKickTime();
    EXPECT_EQ(table->GetIdleKickSeconds(), -1);
    table->StartIdleKickTimer();
    EXPECT_EQ(table->GetIdleKickAction(), 0u);
}

// ---- replay recorder ------------------------------------------------------------------

TEST_F(TableViewHost, RecorderOnlyInReplayModeOrForRecordedRooms)
{
    EXPECT_EQ(table->CreateReplayRecorder(), nullptr);
    EXPECT_TRUE(log.empty());

    app.SetMatchMode(true);
    app.GetRoomInfo().SetOptionsC(RoomInfo::kOptionC20000);
    engine::EngineObject* recorder = table->CreateReplayRecorder();
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(table->GetReplayRecorder(), recorder);
    EXPECT_EQ(recorder->GetZ(), kReplayRecorderDepth);
    EXPECT_FALSE(recorder->IsShown()); // recorded, not played
    EXPECT_EQ(log, (Log { "make match recorder", "max gap 5000" }));
}

TEST_F(TableViewHost, ReplayModeShowsItsRecorder)
{
    app.SetReplayMode(1);
    engine::EngineObject* recorder = table->CreateReplayRecorder();
    ASSERT_NE(recorder, nullptr);
    EXPECT_TRUE(recorder->IsShown());
    EXPECT_EQ(log, (Log { "make recorder", "max gap 5000" }));
}

// ---- requests -------------------------------------------------------------------------

TEST_F(TableViewHost, NewTableOnlyInRoomsThatOfferIt)
{
    table->RequestNewTable();
    EXPECT_TRUE(log.empty());
    app.GetRoomInfo().SetOptionsB(RoomInfo::kOptionB02);
    table->RequestNewTable();
    EXPECT_EQ(log, (Log { "request new table" }));
}

TEST_F(TableViewHost, AllowanceAnswersReachTheApplication)
{
    table->FetchAllowanceConfig(11);
    table->ClaimAllowance(12, 1);
    table->ClaimAllowanceChecked(13, 2);
    app.connection.result = 0;
    app.connection.answer = "失败";
    table->ClaimAllowance(14, 3);
    EXPECT_EQ(log, (Log {
                       "request config 11",
                       "config reply 1  11 7/9",
                       "claim 12 1",
                       "claim reply 1  12 1 3000",
                       "claim checked 13 2",
                       "claim reply 1  13 2 2000",
                       "claim 14 3",
                       "claim reply 0 失败 14 3 3000",
                   }));
}

} // namespace
