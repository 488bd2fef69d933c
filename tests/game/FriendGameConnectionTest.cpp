// The game's request channel logs a failed waiting card-layer request once,
// and no longer once the other players let the own player leave; the
// frame's requests and requests that do not wait are never logged here.

#include "game/FriendGameConnection.h"

#include "net/DailyLog.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/game/FriendTestApp.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FriendGameConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_friend_requests_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_state.emplace("XDG_STATE_HOME", m_dir.string());
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 11, 4, 0, 0, 0 });
        net::LogInit("Friend", net::kDefaultLogOptions);
    }
    void TearDown() override
    {
        net::LogShutdown();
        platform::SetFixedLocalTime(std::nullopt);
        m_state.reset();
        fs::remove_all(m_dir);
    }

    // The connection is never connected: every request fails at once.
    int Send(uint32_t id, bool wait)
    {
        std::string text;
        RequestReply reply;
        const uint8_t record[8] = {};
        return m_connection.Request(text, id, record, sizeof record, reply, wait);
    }
    size_t LoggedFailures()
    {
        std::string log;
        platform::ReadFile((m_dir / "kbzn/Friend20261211.log").string(), log);
        size_t count = 0;
        for (size_t at = log.find("ProcoessRequest Faild"); at != std::string::npos;
            at = log.find("ProcoessRequest Faild", at + 1))
            ++count;
        return count;
    }

    fs::path m_dir;
    std::optional<testsupport::ScopedEnv> m_state;
    friendtest::FriendTestApp m_app;
    game::FriendGameConnection m_connection;
};

TEST_F(FriendGameConnectionTest, FailedCardRequestsLoggedUntilTheExitIsAgreed)
{
    EXPECT_EQ(Send(221080, true), 0);
    EXPECT_EQ(LoggedFailures(), 1u);
    const std::string before = [&] {
        std::string log;
        platform::ReadFile((m_dir / "kbzn/Friend20261211.log").string(), log);
        return log;
    }();
    EXPECT_NE(before.find("ReQuestid:221080,nResponse:"), std::string::npos) << before;

    EXPECT_EQ(Send(220000, true), 0) << "the frame's ids";
    EXPECT_EQ(Send(229510, false), 0) << "nothing was sent, so no success";
    EXPECT_EQ(LoggedFailures(), 1u);

    m_app.SetExitAgreed();
    EXPECT_EQ(Send(223000, true), 0);
    EXPECT_EQ(LoggedFailures(), 1u);
}

} // namespace
