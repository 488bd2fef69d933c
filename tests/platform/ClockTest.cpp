#include "platform/Clock.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Clock, FixedTimeAndTickHoldUntilCleared)
{
    platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 8, 23, 59, 59, 0 });
    platform::SetFixedTick(0xFFFFFFF0u);
    EXPECT_EQ(platform::LocalNow().day, 8);
    EXPECT_EQ(platform::TickMs(), 0xFFFFFFF0u);
    platform::SetFixedLocalTime(std::nullopt);
    platform::SetFixedTick(std::nullopt);
    EXPECT_GE(platform::LocalNow().year, 2024);
    uint32_t a = platform::TickMs();
    uint32_t b = platform::TickMs();
    EXPECT_LE(static_cast<uint32_t>(b - a), 1000u);
}

TEST(Files, ExecutableDirEndsInSlashAndCanBeRedirected)
{
    std::string real = platform::ExecutableDir();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), '/');
    platform::SetExecutableDir("/tmp/somewhere");
    EXPECT_EQ(platform::ExecutableDir(), "/tmp/somewhere/");
    platform::SetExecutableDir("");
    EXPECT_EQ(platform::ExecutableDir(), real);
}

TEST(Files, AppendCreatesAndAppends)
{
    auto dir = std::filesystem::temp_directory_path() / "kbzn_files_test";
    std::filesystem::create_directories(dir);
    auto path = (dir / "a.txt").string();
    std::filesystem::remove(path);
    ASSERT_TRUE(platform::AppendToFile(path, "one\r\n"));
    ASSERT_TRUE(platform::AppendToFile(path, "two\r\n"));
    std::string text;
    ASSERT_TRUE(platform::ReadFile(path, text));
    EXPECT_EQ(text, "one\r\ntwo\r\n");
    EXPECT_FALSE(platform::AppendToFile((dir / "missing" / "x").string(), "x"));
    std::filesystem::remove_all(dir);
}
