#include "net/DailyLog.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

class DailyLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_log_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        // The program's directory is another place: no log goes there.
        platform::SetExecutableDir((m_dir / "bin").string());
        m_state.emplace("XDG_STATE_HOME", (m_dir / "state").string());
        platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 8, 9, 5, 7, 0 });
    }
    void TearDown() override
    {
        net::LogShutdown();
        platform::SetFixedLocalTime(std::nullopt);
        platform::SetExecutableDir("");
        m_state.reset();
        fs::remove_all(m_dir);
    }
    std::string Read(const std::string& name)
    {
        std::string text;
        platform::ReadFile((m_dir / "state/kbzn" / name).string(), text);
        return text;
    }
    fs::path m_dir;
    std::optional<testsupport::ScopedEnv> m_state;
};

TEST_F(DailyLogTest, DefaultStemAndBothLineFormats)
{
    net::LogMessage("value %d", 42);
    EXPECT_EQ(Read("MXDLog20261208.log"), "2026/12/08  09:05:07  value 42\r\n");

    net::LogInit("Game", 0xA001D);
    net::LogMessage("library");
    net::WriteDailyLog("engine %s", "line");
    EXPECT_EQ(Read("Game20261208.log"),
        "2026/12/08  09:05:07  library\r\n"
        "2026/12/08     09:05:07      engine line\r\n");
    EXPECT_FALSE(fs::exists(m_dir / "bin")) << "nothing beside the program";
}

TEST_F(DailyLogTest, OptionBitsDecideLineEndsAndWriting)
{
    net::LogInit("NoEnd", net::kLogToFile);
    net::LogMessage("a");
    net::LogMessage("b");
    EXPECT_EQ(Read("NoEnd20261208.log"), "2026/12/08  09:05:07  a2026/12/08  09:05:07  b");

    net::LogInit("Silent", net::kLogCrLf);
    net::LogMessage("dropped");
    EXPECT_FALSE(fs::exists(m_dir / "state/kbzn/Silent20261208.log"));
}

TEST_F(DailyLogTest, LongMessagesAreWholeOrCut)
{
    net::LogInit("Long", 0);
    std::string text(4095, 'x');
    net::LogMessage("%s", text.c_str());
    EXPECT_EQ(Read("Long20261208.log"), "2026/12/08  09:05:07  " + text + "\r\n");

    std::string huge(5000, 'y');
    net::WriteDailyLog("%s", huge.c_str());
    std::string engine = Read("Game20261208.log");
    EXPECT_EQ(engine, "2026/12/08     09:05:07      " + std::string(1023, 'y') + "\r\n");
}

TEST_F(DailyLogTest, NewFileWhenTheDateChanges)
{
    platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 31, 23, 59, 59, 0 });
    net::LogMessage("old year");
    platform::SetFixedLocalTime(platform::LocalTime { 2027, 1, 1, 0, 0, 0, 0 });
    net::LogMessage("new year");
    EXPECT_EQ(Read("MXDLog20261231.log"), "2026/12/31  23:59:59  old year\r\n");
    EXPECT_EQ(Read("MXDLog20270101.log"), "2027/01/01  00:00:00  new year\r\n");
}

TEST_F(DailyLogTest, ConcurrentWritersNeverSplitALine)
{
    net::LogInit("Game", 0xA001D);
    constexpr int kLines = 300;
    std::string a(200, 'a'), b(200, 'b');
    std::thread one([&] {
        for (int i = 0; i < kLines; ++i)
            net::LogMessage("%s", a.c_str());
    });
    std::thread two([&] {
        for (int i = 0; i < kLines; ++i)
            net::WriteDailyLog("%s", b.c_str()); // takes no lock, like the engine writer
    });
    one.join();
    two.join();

    std::string text = Read("Game20261208.log");
    size_t start = 0;
    int aLines = 0, bLines = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        std::string line = text.substr(start, end - start);
        if (line == "2026/12/08  09:05:07  " + a)
            ++aLines;
        else if (line == "2026/12/08     09:05:07      " + b)
            ++bLines;
        else
            FAIL() << "mixed line: " << line.substr(0, 80);
        start = end + 2;
    }
    EXPECT_EQ(aLines, kLines);
    EXPECT_EQ(bLines, kLines);
}
