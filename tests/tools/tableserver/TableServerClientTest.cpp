// The real KbZn program at the table server: the stand-in lobby starts it
// against the server, it checks the version, enters, takes the table and
// the robots the server seats beside it, and leaves in order when the
// lobby says so, without a protocol error on either side.

#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"
#include "tests/support/TestTimeouts.h"
#include "tools/lobby/StandInLobby.h"
#include "tools/tableserver/TableServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testsupport::TimeoutMs;

// The server on a thread of its own; what it saw is copied out under a lock.
class ServerThread {
public:
    explicit ServerThread(tools::TableServerOptions options)
        : m_server(std::move(options))
    {
    }
    ~ServerThread() { Stop(); }
    bool Start()
    {
        if (!m_server.Listen())
            return false;
        m_thread = std::thread([this] {
            while (!m_stop) {
                m_server.RunOnce(20);
                std::lock_guard guard(m_lock);
                m_counts = m_server.RequestCounts();
                m_errors = m_server.LinkErrors();
                m_done = m_server.Done();
            }
        });
        return true;
    }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    uint16_t Port() const { return m_server.Port(); }
    int Count(uint32_t id) const
    {
        std::lock_guard guard(m_lock);
        auto it = m_counts.find(id);
        return it == m_counts.end() ? 0 : it->second;
    }
    std::vector<std::string> Errors() const
    {
        std::lock_guard guard(m_lock);
        return m_errors;
    }
    bool WaitFor(uint32_t id, int timeoutMs) const
    {
        return WaitUntil([&] { return Count(id) > 0; }, timeoutMs);
    }
    bool WaitForDone(int timeoutMs) const
    {
        return WaitUntil([&] { return m_done.load(); }, timeoutMs);
    }


private:
    template <class Pred>
    static bool WaitUntil(Pred done, int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    tools::TableServer m_server;
    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    mutable std::mutex m_lock;
    std::map<uint32_t, int> m_counts;
    std::vector<std::string> m_errors;
    std::atomic<bool> m_done { false };
};

// A private run directory and lobby channel for one client.
class ClientHome {
public:
    ClientHome()
    {
        std::string pattern = (fs::temp_directory_path() / "kbzn-table-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "run");
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform::EnsurePrivateDirectory((root / "run" / "kbzn").string());
        channel = std::make_unique<platform::DesktopChannel>((root / "run" / "kbzn").string());
    }
    ~ClientHome()
    {
        if (lobby)
            lobby->StopClient();
        lobby.reset();
        channel.reset();
        fs::remove_all(root);
    }
    bool Launch(uint16_t port, bool lookOn = false)
    {
        tools::LobbyOptions options;
        options.serverPort = port;
        options.lookOn = lookOn ? 1 : 0;
        lobby = std::make_unique<tools::StandInLobby>(*channel, options);
        return lobby->Start() && lobby->LayOutTree((root / "tree").string()) && lobby->LaunchClient(KBZN_CLIENT);
    }
    // Sends the lobby's leave; true once the client closed cleanly.
    bool LeaveAndEnd()
    {
        if (!lobby->SendLeaveTable(10002, 5, 1))
            return false;
        const auto notice
            = lobby->WaitForEvent([](const tools::LobbyEvent& e) { return e.IsClose(); }, TimeoutMs(30000));
        EXPECT_TRUE(notice);
        if (notice) {
            EXPECT_EQ(notice->closeNotice->UserId(), 10001);
        }
        for (int i = 0; i < 3000 && lobby->ClientRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return notice && !lobby->ClientRunning() && lobby->ClientExitCode() == 0;
    }

    fs::path root;
    std::unique_ptr<platform::DesktopChannel> channel;
    std::unique_ptr<tools::StandInLobby> lobby;
};

TEST(TableServerClientTest, TheClientEntersTheTableAndLeavesInOrder)
{
    ClientHome home;
    tools::TableServerOptions options;
    options.table.seed = 3;
    ServerThread server(options);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(home.Launch(server.Port()));
    ASSERT_TRUE(server.WaitFor(tools::table_ids::kEnter, TimeoutMs(30000)));
    // Let the table and the robots' records reach the client, then leave.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(home.LeaveAndEnd());
    EXPECT_EQ(server.Count(tools::table_ids::kVersion), 1);
    EXPECT_EQ(server.Count(tools::table_ids::kEnter), 1);
    EXPECT_EQ(server.Count(tools::table_ids::kCanQuit), 1);
    EXPECT_EQ(server.Count(tools::table_ids::kLeaveSeat), 1);
    EXPECT_TRUE(server.Errors().empty());
}

// The client looking on while robots play a whole deal: it takes the start
// record, every play and pass and the result the server sends, without a
// protocol error, and still leaves in order.
TEST(TableServerClientTest, ALookerOnWatchesRobotsPlayAWholeDeal)
{
    ClientHome home;
    tools::TableServerOptions options;
    options.table.seed = 3;
    options.table.autoStart = true;
    options.table.deals = 1;
    options.table.robotDelayMs = 50;
    ServerThread server(options);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(home.Launch(server.Port(), true));
    ASSERT_TRUE(server.WaitFor(tools::table_ids::kEnter, TimeoutMs(30000)));
    ASSERT_TRUE(server.WaitForDone(TimeoutMs(120000)));
    EXPECT_TRUE(server.Errors().empty());
    EXPECT_TRUE(home.lobby->ClientRunning());
    EXPECT_TRUE(home.LeaveAndEnd());
}

} // namespace
