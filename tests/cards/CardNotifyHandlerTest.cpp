// The card layer's notifications: a table of bodies (good, short, with
// counts beyond a hand or the body, with chairs outside the table) and the
// records that reach the card table view and the game state; the looker-on's request
// refused by the player's setting; the solo wait during a game; the replay
// recorder's feed; the stamp of a table message; and the frame's ids still
// handled below.

#include "cards/CardNotifyHandler.h"

#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameState.h"
#include "cards/CardTableCalls.h"
#include "platform/Clock.h"
#include "tests/frame/core/StubGameState.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using game::CardNotifyHandler;

namespace {

using Log = std::vector<std::string>;

std::string Words(std::initializer_list<int32_t> words)
{
    std::string out;
    for (int32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF));
    return out;
}

// A body of `size` zero bytes with the words written at their offsets.
std::string Body(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words = {})
{
    std::string body(size, '\0');
    for (const auto& [offset, value] : words)
        body.replace(offset, 4, Words({ value }));
    return body;
}

// The call and the record's fields the test follows.
std::string Joined(const char* call, std::initializer_list<int> fields)
{
    std::string out = call;
    for (const int field : fields)
        out += " " + std::to_string(field);
    return out;
}

class RecordingTableView : public engine::RectObject, public game::CardTableCalls {
public:
    explicit RecordingTableView(Log& log)
        : m_log(log)
    {
    }
    void OnPlayerStarted(int chair) override { m_log.push_back("view.started " + std::to_string(chair)); }
    void OnTableMessage(const game::TableMessage& message) override
    {
        m_log.push_back(Joined("view.table", { message.kind, message.chair.value_or(-1) }));
    }
    void OnPlayerOffline(int userId) override { m_log.push_back("view.offline " + std::to_string(userId)); }
    void OnViewCardsRequest(const game::ViewCardsRequest& request) override
    {
        m_log.push_back(Joined("view.ask", { request.requester }));
    }
    void OnViewCardsAnswer(const game::ViewCardsAnswer& answer) override
    {
        m_log.push_back(Joined("view.answer", { answer.userId, answer.chair, answer.requester, answer.allowed }));
    }
    void OnShowCards(const game::ShownCards& shown) override
    {
        m_log.push_back(Joined("view.show", { shown.chair, static_cast<int>(shown.cards.size()) }));
    }
    void OnPassed(const game::PassedTurn& pass) override
    {
        m_log.push_back(Joined("view.passed", { pass.chair, pass.nextChair, pass.clearsTable, pass.seconds }));
    }
    void OnCardsThrown(const game::ThrownPlay& thrown) override
    {
        m_log.push_back(Joined("view.thrown", { thrown.chair, thrown.nextChair, thrown.play.count }));
    }
    void OnTurn(const game::TurnNotice& turn) override { m_log.push_back(Joined("view.turn", { turn.chair })); }
    void OnTurnSync() override { m_log.push_back("view.sync"); }
    void OnWaitSolo() override { m_log.push_back("view.solo"); }
    void OnServerNotify(uint32_t id, const uint8_t*, size_t length) override
    {
        m_log.push_back("record " + std::to_string(id) + " " + std::to_string(length));
    }

private:
    Log& m_log;
};

class RecordingState : public frametest::StubGameState {
public:
    explicit RecordingState(Log& log)
        : m_log(log)
    {
    }
    int GetStatus() const override { return m_status; }
    void SetStatus(int value) override
    {
        m_status = value;
        char text[32];
        std::snprintf(text, sizeof text, "state.status 0x%X", value);
        m_log.emplace_back(text);
    }
    void SetChairReady(int chair) override { m_log.push_back("state.ready " + std::to_string(chair)); }

private:
    Log& m_log;
    int m_status = 0;
};

// Four chairs; the table view implements the card layer's calls.
class CardTestApp : public CGameFrameApp, public game::CardAppCalls {
public:
    CardTestApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
    {
    }
    engine::EngineObject* GetTableView() const override { return &m_view; }
    int GetChairCount() const override { return 4; }
    GameState* GetGameState() override { return &m_state; }
    bool IsRoomOptionC20000() const override { return recording; }
    bool RejectsViewCardRequests() const override { return rejectViewing; }
    bool PostToHall(uint32_t message, uintptr_t, intptr_t lParam) override
    {
        m_log.push_back("hall " + std::to_string(message) + " " + std::to_string(lParam));
        return true;
    }

    Log TakeLog() { return std::exchange(m_log, {}); }
    bool recording = false;
    bool rejectViewing = false;

protected:
    int RunLoop() override { return 0; }

private:
    mutable Log m_log;
    mutable RecordingTableView m_view { m_log };
    RecordingState m_state { m_log };
};

class CardNotifyHandlerTest : public ::testing::Test {
protected:
    Log Dispatch(uint32_t id, const std::string& body)
    {
        m_handler.Dispatch(id, reinterpret_cast<const uint8_t*>(body.data()), body.size());
        return m_app.TakeLog();
    }

    CardTestApp m_app;
    CardNotifyHandler m_handler { m_app };
};

TEST_F(CardNotifyHandlerTest, BodiesReachTheViewOnlyWhenTheyHoldTheirFields)
{
    struct Case {
        const char* name;
        uint32_t id;
        std::string body;
        Log effect;
    };
    const Case cases[] = {
        { "start", 201160, Body(16, { { 12, 2 } }), { "state.ready 2", "view.started 2" } },
        { "start, short", 201160, Body(15), {} },
        { "start, chair beyond the table", 201160, Body(16, { { 12, 4 } }), {} },
        { "start, negative chair", 201160, Body(16, { { 12, -1 } }), {} },

        { "table message", 229500, Body(28, { { 8, 19840324 }, { 16, 8 } }), { "view.table 19840324 0" } },
        { "table message, empty payload", 229500, Body(20), { "view.table 0 -1" } },
        { "table message, payload past the body", 229500, Body(28, { { 16, 9 } }), {} },
        { "table message, huge payload length", 229500, Body(28, { { 16, -1 } }), {} },
        { "table message, short head", 229500, Body(19), {} },

        { "offline", 211240, Body(4, { { 0, 777 } }), { "view.offline 777" } },
        { "offline, short", 211240, Body(3), {} },

        { "looker-on asks", 229550, Body(4, { { 0, 30003 } }), { "view.ask 30003" } },
        { "looker-on asks, short", 229550, Body(0), {} },

        { "answer", 229570, Body(40, { { 0, 501 }, { 12, 3 }, { 16, 900 }, { 20, 1 } }), { "view.answer 501 3 900 1" } },
        { "answer, short", 229570, Body(39, { { 12, 3 } }), {} },
        { "answer, chair beyond the table", 229570, Body(40, { { 12, 9 } }), {} },

        { "shown cards", 229580, Body(20, { { 4, 3 }, { 8, 2 } }), { "view.show 3 2" } },
        { "shown cards, count past the body", 229580, Body(20, { { 4, 3 }, { 8, 3 } }), {} },
        { "shown cards, a full hand", 229580, Body(12 + 4 * 27, { { 4, 3 }, { 8, 27 } }), { "view.show 3 27" } },
        { "shown cards, count beyond a hand", 229580, Body(12 + 4 * 28, { { 4, 3 }, { 8, 28 } }), {} },
        { "shown cards, negative count", 229580, Body(20, { { 4, 3 }, { 8, -1 } }), {} },
        { "shown cards, chair beyond the table", 229580, Body(20, { { 4, 4 }, { 8, 2 } }), {} },
        { "shown cards, short", 229580, Body(11), {} },

        { "pass", 223100, Body(36, { { 8, 1 }, { 16, 0 }, { 20, 1 }, { 32, 15 } }), { "view.passed 1 0 1 15" } },
        { "pass, short", 223100, Body(35, { { 8, 1 }, { 16, 0 } }), {} },
        { "pass, passing chair beyond the table", 223100, Body(36, { { 8, 4 }, { 16, 0 } }), {} },
        { "pass, next chair negative", 223100, Body(36, { { 8, 1 }, { 16, -1 } }), {} },

        { "play of three", 221170, Body(76, { { 12, 2 }, { 20, 1 }, { 60, 3 } }), { "view.thrown 2 1 3" } },
        { "play of a full hand", 221170, Body(64 + 4 * 27, { { 12, 2 }, { 20, 1 }, { 60, 27 } }), { "view.thrown 2 1 27" } },
        { "play, count past the body", 221170, Body(75, { { 12, 2 }, { 20, 1 }, { 60, 3 } }), {} },
        { "play, count beyond a hand", 221170, Body(64 + 4 * 28, { { 12, 2 }, { 20, 1 }, { 60, 28 } }), {} },
        { "play, huge count", 221170, Body(64, { { 12, 2 }, { 20, 1 }, { 60, 0x40000000 } }), {} },
        { "play, playing chair beyond the table", 221170, Body(76, { { 12, 4 }, { 20, 1 }, { 60, 3 } }), {} },
        { "play, next chair negative", 221170, Body(76, { { 12, 2 }, { 20, -2 }, { 60, 3 } }), {} },
        { "play, short head", 221170, Body(63), {} },

        { "turn", 221165, Body(8, { { 4, 3 } }), { "view.turn 3" } },
        { "turn, chair beyond the table", 221165, Body(8, { { 4, 4 } }), {} },
        { "turn, short", 221165, Body(7), {} },

        { "turn sync: the status before the view", 221168, Body(0), { "state.status 0x101", "view.sync" } },
        { "solo wait", 211300, Body(0), { "view.solo" } },
        { "unknown id", 299999, Body(64), {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Dispatch(c.id, c.body), c.effect);
    }
}

TEST_F(CardNotifyHandlerTest, LookerOnRequestsRefusedByTheSettingOrTheLookersRecord)
{
    const std::string ask = Body(4, { { 0, 30003 } });
    m_app.GetLookOnPlayer(0)->SetUserId(30003);

    m_app.rejectViewing = true;
    EXPECT_EQ(Dispatch(229550, ask), Log {}) << "the player refuses card viewing";

    m_app.rejectViewing = false;
    m_app.GetLookOnPlayer(0)->SetWord164(1);
    EXPECT_EQ(Dispatch(229550, ask), Log {}) << "the looker-on's record refuses it";

    m_app.GetLookOnPlayer(0)->SetWord164(0);
    EXPECT_EQ(Dispatch(229550, ask), Log { "view.ask 30003" });
}

TEST_F(CardNotifyHandlerTest, SoloWaitIgnoredDuringAGame)
{
    m_app.BeginGame();
    EXPECT_EQ(Dispatch(211300, {}), Log {});
    m_app.EndGame();
    EXPECT_EQ(Dispatch(211300, {}), Log { "view.solo" });
}

// The recorder gets every notification, after its handler and whatever the
// handler made of it, while recording is on and no replay plays.
TEST_F(CardNotifyHandlerTest, RecorderFedOnlyWhileRecordingOutsideReplays)
{
    const std::string turn = Body(8, { { 4, 1 } });
    EXPECT_EQ(Dispatch(221165, turn), Log { "view.turn 1" });

    m_app.recording = true;
    EXPECT_EQ(Dispatch(221165, turn), (Log { "view.turn 1", "record 221165 8" }));
    EXPECT_EQ(Dispatch(221165, Body(3)), Log { "record 221165 3" });
    EXPECT_EQ(Dispatch(299999, Body(5)), Log { "record 299999 5" });

    m_app.SetReplayMode(1);
    EXPECT_EQ(Dispatch(221165, turn), Log { "view.turn 1" });
}

TEST_F(CardNotifyHandlerTest, StampKeepsTheKindOfATableMessage)
{
    const struct {
        const char* name;
        uint32_t id;
        std::string body;
        uint32_t word;
    } cases[] = {
        { "table message", 229500, Body(24, { { 8, 19840326 }, { 16, 4 } }), 19840326 },
        { "table message too short for its kind", 229500, Body(11, { { 4, 5 } }), 0 },
        { "another id with the same word", 221165, Body(24, { { 8, 19840326 } }), 0 },
    };
    platform::SetFixedTick(4242);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_handler.StampLast(c.id, reinterpret_cast<const uint8_t*>(c.body.data()), c.body.size());
        EXPECT_EQ(m_handler.GetLastId(), c.id);
        EXPECT_EQ(m_handler.GetLastWord(), c.word);
        EXPECT_EQ(m_handler.GetLastLength(), c.body.size());
        EXPECT_EQ(m_handler.GetLastTick(), 4242u);
    }
    platform::SetFixedTick(std::nullopt);
}

TEST_F(CardNotifyHandlerTest, FrameIdsStillReachTheFramesHandler)
{
    // 211025: the frame relays the table message's first word to the lobby.
    const Log log = Dispatch(211025, Body(4, { { 0, 6 } }));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].substr(0, 5), "hall ");
    EXPECT_EQ(log[0].substr(log[0].size() - 2), " 6");
}

} // namespace
