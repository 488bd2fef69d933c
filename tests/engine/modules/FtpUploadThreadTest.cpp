#include "engine/modules/FtpUploadThread.h"

#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "tests/engine/modules/LocalFtpServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uint32_t kDoneMessage = platform::kUserMessage + 77;
// The longest user and password that fit their fields.
const std::string kUser(31, 'u');
const std::string kPassword = "pw" + std::string(29, 'x');

using testftp::Accepts;
using testftp::FreePort;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A local FTP server (pyftpdlib) with one user, writing into a scratch
// directory, for the whole suite.
class FtpUploadThreadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_root = fs::temp_directory_path() / ("kbzn-ftp-" + std::to_string(getpid()));
        fs::remove_all(s_root);
        fs::create_directories(s_root / "served" / "sub");
        s_server.Start(s_root / "served", s_root / "server.log", kUser, kPassword);
        s_port = s_server.Port();
    }
    static void TearDownTestSuite()
    {
        s_server.Stop();
        fs::remove_all(s_root);
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_server.Spawned());
        ASSERT_TRUE(Accepts(s_port)) << "FTP server did not start; see " << (s_root / "server.log");
        ASSERT_TRUE(m_queue.Valid());
        m_local = s_root / "local.rep";
        m_content.resize(300 * 1024);
        std::mt19937 random(42);
        for (char& c : m_content)
            c = static_cast<char>(random());
        // Line ends that a text-mode transfer would rewrite.
        m_content.replace(0, 6, "\r\n\n\r\r\n");
        std::ofstream(m_local, std::ios::binary) << m_content;
    }

    // Runs one upload to the end and returns its completion message's
    // result, checking the job it carried (which this test then frees).
    int Upload(const std::string& local, const std::string& server, const std::string& dir, const std::string& name,
        const std::string& user, const std::string& password, uint16_t port)
    {
        std::thread worker = engine::FtpUploadThread(local, server, dir, name, user, password,
            platform::CurrentThreadId(), kDoneMessage, port);
        worker.join();
        platform::Message m;
        EXPECT_TRUE(m_queue.Peek(m, platform::PeekMode::kRemove)) << "no completion message";
        EXPECT_EQ(m.message, kDoneMessage);
        std::unique_ptr<engine::FtpUploadJob> job(reinterpret_cast<engine::FtpUploadJob*>(m.wParam));
        if (!job)
            return -1;
        EXPECT_EQ(job->done, 1u);
        EXPECT_EQ(job->message, kDoneMessage);
        EXPECT_EQ(job->receiver, platform::CurrentThreadId());
        EXPECT_FALSE(m_queue.Peek(m, platform::PeekMode::kNoRemove)) << "one message per upload";
        return static_cast<int>(m.lParam);
    }

    static inline fs::path s_root;
    static inline uint16_t s_port = 0;
    static inline testftp::LocalFtpServer s_server;

    platform::MessageQueue m_queue;
    fs::path m_local;
    std::string m_content;
};

TEST_F(FtpUploadThreadTest, FileArrivesByteForByte)
{
    // Directory and name are joined as they are: "sub/" + "a.rep".
    EXPECT_EQ(Upload(m_local.string(), "127.0.0.1", "sub/", "a.rep", kUser, kPassword, s_port), 1);
    EXPECT_EQ(ReadAll(s_root / "served" / "sub" / "a.rep"), m_content);

    // An absolute directory is taken from the server's root.
    EXPECT_EQ(Upload(m_local.string(), "localhost", "/", "b.rep", kUser, kPassword, s_port), 1);
    EXPECT_EQ(ReadAll(s_root / "served" / "b.rep"), m_content);
}

TEST_F(FtpUploadThreadTest, FailuresAreReportedThroughTheMessage)
{
    struct Case {
        const char* name;
        std::string local;
        std::string server;
        std::string user;
        std::string password;
        uint16_t port;
    };
    const Case cases[] = {
        { "wrong password", m_local.string(), "127.0.0.1", kUser, "wrong", s_port },
        { "unknown user", m_local.string(), "127.0.0.1", "nobody", kPassword, s_port },
        { "nothing listening", m_local.string(), "127.0.0.1", kUser, kPassword, FreePort() },
        { "missing local file", (s_root / "missing.rep").string(), "127.0.0.1", kUser, kPassword, s_port },
        { "server name carrying a path", m_local.string(), "127.0.0.1/x", kUser, kPassword, s_port },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Upload(c.local, c.server, "", "failed.rep", c.user, c.password, c.port), 0);
        EXPECT_FALSE(fs::exists(s_root / "served" / "failed.rep"));
    }
}

TEST_F(FtpUploadThreadTest, TextsLongerThanTheirFieldsAreRefused)
{
    // Each field holds its size less one byte for the terminator.
    struct Case {
        const char* name;
        std::string local, server, dir, file, user, password;
    };
    std::string local = m_local.string();
    std::string longLocal = local + std::string(260 - local.size(), 'x');
    const Case cases[] = {
        { "server", local, std::string(64, 'a'), "", "x.rep", kUser, kPassword },
        { "remote directory", local, "127.0.0.1", std::string(260, 'd'), "x.rep", kUser, kPassword },
        { "remote name", local, "127.0.0.1", "", std::string(260, 'n'), kUser, kPassword },
        { "local file", longLocal, "127.0.0.1", "", "x.rep", kUser, kPassword },
        { "user", local, "127.0.0.1", "", "x.rep", kUser + "u", kPassword },
        { "password", local, "127.0.0.1", "", "x.rep", kUser, kPassword + "x" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Upload(c.local, c.server, c.dir, c.file, c.user, c.password, s_port), 0);
    }
    EXPECT_FALSE(fs::exists(s_root / "served" / "x.rep"));
}

TEST_F(FtpUploadThreadTest, WithoutAReceiverTheWorkerFreesTheJob)
{
    // Nothing is posted; the sanitizer's leak check sees the job freed.
    std::thread worker = engine::FtpUploadThread(m_local.string(), "127.0.0.1", "", "quiet.rep", kUser, kPassword, 0,
        kDoneMessage, s_port);
    worker.join();
    platform::Message m;
    EXPECT_FALSE(m_queue.Peek(m, platform::PeekMode::kNoRemove));
    EXPECT_EQ(ReadAll(s_root / "served" / "quiet.rep"), m_content);

    // A receiver that has gone: the post fails and the worker frees it.
    platform::MessageThread gone;
    ASSERT_TRUE(gone.Start([](platform::MessageQueue&) { return 0; }));
    uint32_t id = gone.ThreadId();
    ASSERT_TRUE(gone.Join(5000));
    std::thread late = engine::FtpUploadThread(m_local.string(), "127.0.0.1", "", "late.rep", kUser, kPassword, id,
        kDoneMessage, s_port);
    late.join();
    EXPECT_TRUE(fs::exists(s_root / "served" / "late.rep"));
}

} // namespace
