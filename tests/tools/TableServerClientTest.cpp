// The real KbZn program at the table server: the stand-in lobby starts it
// against the server, it checks the version, enters, takes the table and
// the robots the server seats beside it, and leaves in order when the
// lobby says so, without a protocol error on either side.

#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"
#include "tests/support/TestTimeouts.h"
#include "tools/StandInLobby.h"
#include "tools/TableServer.h"

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
    ServerThread()
        : m_server([] {
            tools::TableServerOptions options;
            options.table.seed = 3;
            return options;
        }())
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
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (Count(id) > 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    tools::TableServer m_server;
    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    mutable std::mutex m_lock;
    std::map<uint32_t, int> m_counts;
    std::vector<std::string> m_errors;
};

TEST(TableServerClientTest, TheClientEntersTheTableAndLeavesInOrder)
{
    std::string pattern = (fs::temp_directory_path() / "kbzn-table-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path root(pattern);
    fs::create_directories(root / "run");
    setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::EnsurePrivateDirectory((root / "run" / "kbzn").string());
    auto channel = std::make_unique<platform::DesktopChannel>((root / "run" / "kbzn").string());

    ServerThread server;
    ASSERT_TRUE(server.Start());
    tools::LobbyOptions options;
    options.serverPort = server.Port();
    auto lobby = std::make_unique<tools::StandInLobby>(*channel, options);
    ASSERT_TRUE(lobby->Start() && lobby->LayOutTree((root / "tree").string()) && lobby->LaunchClient(KBZN_CLIENT));
    ASSERT_TRUE(server.WaitFor(tools::table_ids::kEnter, TimeoutMs(30000)));
    // Let the table and the robots' records reach the client, then leave.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(lobby->SendLeaveTable(10002, 5, 1));
    const auto notice
        = lobby->WaitForEvent([](const tools::LobbyEvent& e) { return e.IsClose(); }, TimeoutMs(30000));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->closeNotice->UserId(), 10001);
    for (int i = 0; i < 3000 && lobby->ClientRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(lobby->ClientRunning());
    EXPECT_EQ(lobby->ClientExitCode(), 0);
    EXPECT_EQ(server.Count(tools::table_ids::kVersion), 1);
    EXPECT_EQ(server.Count(tools::table_ids::kEnter), 1);
    EXPECT_EQ(server.Count(tools::table_ids::kCanQuit), 1);
    EXPECT_EQ(server.Count(tools::table_ids::kLeaveSeat), 1);
    EXPECT_TRUE(server.Errors().empty());
    lobby->StopClient();
    lobby.reset();
    server.Stop();
    fs::remove_all(root);
}

} // namespace
