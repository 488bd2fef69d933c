// The notice file from a local web server: kept only when it begins with
// the marker, handed to the window, freed when the window has gone.

#include "frame/core/NoticeDownload.h"

#include "platform/Files.h"
#include "platform/MessageLoop.h"
#include "tests/net/ProxyDaemons.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <unistd.h>

// The sanitizer runtimes' hook on every allocation and free; absent (null)
// in a build without one.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
    void (*free_hook)(const volatile void*)) __attribute__((weak));

namespace fs = std::filesystem;

namespace {

class NoticeDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("kbzn_notice_" + std::to_string(getpid()));
        fs::create_directories(m_root / "web" / "notify" / "game");
        fs::create_directories(m_root / "temp");
        m_port = proxytest::FreePort();
        m_server = std::make_unique<proxytest::Daemon>(
            std::vector<std::string> { "/usr/bin/python3", "-m", "http.server", std::to_string(m_port), "--bind",
                "127.0.0.1", "--directory", (m_root / "web").string() },
            (m_root / "http.log").string());
        ASSERT_TRUE(proxytest::WaitForPort(m_port));
    }
    void TearDown() override
    {
        m_server.reset();
        fs::remove_all(m_root);
    }
    void Serve(int gameId, const std::string& body)
    {
        std::ofstream(m_root / "web" / "notify" / "game" / (std::to_string(gameId) + ".txt"), std::ios::binary)
            << body;
    }
    std::unique_ptr<frame::NotifyDownloadRequest> Job(int gameId)
    {
        return frame::MakeNotifyRequest(0, "127.0.0.1:" + std::to_string(m_port), gameId, m_root.string() + "/temp\\",
            12);
    }

    fs::path m_root;
    uint16_t m_port = 0;
    std::unique_ptr<proxytest::Daemon> m_server;
};

TEST_F(NoticeDownloadTest, KeepsOnlyFilesWithTheMarker)
{
    struct Case {
        const char* name;
        std::string body;
        bool kept;
    };
    const Case cases[] = {
        { "marker", "<notify>今日公告", true },
        { "marker in capitals", "<NOTIFY>x", true },
        { "no marker", "<html>not a notice", false },
        { "shorter than the marker", "<not", false },
        { "empty", "", false },
    };
    int gameId = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Serve(++gameId, c.body);
        auto job = Job(gameId);
        EXPECT_EQ(job->path, "/notify/game/" + std::to_string(gameId) + ".txt");
        frame::DownloadNotice(*job);
        EXPECT_EQ(job->downloaded, c.kept);
        std::string text;
        EXPECT_EQ(platform::ReadFile(job->localFile, text), c.kept);
        if (c.kept) {
            EXPECT_EQ(text, c.body);
        }
    }
    auto missing = Job(999);
    frame::DownloadNotice(*missing);
    EXPECT_FALSE(missing->downloaded);
}

// Sees whether one block is freed, through the sanitizer runtime's free
// hook (AddressSanitizer and ThreadSanitizer alike), so the check does not
// depend on a leak checker that only some builds run.
class FreeWatch {
public:
    static bool Available() { return Install(); }
    explicit FreeWatch(const void* block)
    {
        s_freed = false;
        s_block = block;
    }
    ~FreeWatch() { s_block = nullptr; }
    bool Freed() const { return s_freed; }

private:
    static void OnMalloc(const volatile void*, size_t) {}
    static void OnFree(const volatile void* block)
    {
        if (block && block == s_block.load())
            s_freed = true;
    }
    static bool Install()
    {
        static const bool installed
            = __sanitizer_install_malloc_and_free_hooks && __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
        return installed;
    }
    static inline std::atomic<const volatile void*> s_block { nullptr };
    static inline std::atomic<bool> s_freed { false };
};

TEST(NoticeDeliveryTest, AJobForAWindowThatIsGoneIsFreed)
{
    if (!FreeWatch::Available())
        GTEST_SKIP() << "no sanitizer runtime to watch the free";
    auto job = std::make_unique<frame::NotifyDownloadRequest>();
    job->window = 0x7ffffff0; // no such window
    const FreeWatch watch(job.get());
    frame::DeliverNotice(std::move(job));
    EXPECT_TRUE(watch.Freed());
    frame::DeliverNotice(nullptr);
}

} // namespace
