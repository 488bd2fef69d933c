#include "platform/DirectoryList.h"
#include "platform/Files.h"
#include "platform/Gbk.h"
#include "platform/IniFile.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <pwd.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string Utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

TEST(NativePathTest, BackslashesBecomeSlashesAndGbkBecomesUtf8)
{
    struct Case {
        std::string gbk;
        std::string native;
    };
    const Case cases[] = {
        { "/opt/kbzn/skins\\skin.ini", "/opt/kbzn/skins/skin.ini" },
        { "/opt/kbzn/skins/skin.ini", "/opt/kbzn/skins/skin.ini" },
        { "temp\\", "temp/" },
        { "/home/目录\\系统\\runo.ini", Utf8(u8"/home/目录/系统/runo.ini") },
        // 0x95 0x5C is one character whose second byte is a backslash.
        { "a\\\x95\x5C\\b", Utf8(u8"a/昞/b") },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::NativePath(c.gbk), c.native) << c.gbk;
}

class FileOpenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/kbzn-files-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_dir = name;
        fs::create_directories(fs::path(m_dir) / fs::path(u8"目录"));
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // The same file as the program names it (GBK, Windows separator) and as
    // it lies on disk.
    std::string ProgramPath(const std::string& name) const { return m_dir + "/目录\\" + name; }
    fs::path DiskPath(const std::string& name) const { return fs::path(m_dir) / fs::path(u8"目录") / name; }

    std::string m_dir;
};

TEST_F(FileOpenTest, ProgramPathsReachTheFilesTheyName)
{
    ASSERT_TRUE(platform::AppendToFile(ProgramPath("log.txt"), "one\n"));
    ASSERT_TRUE(platform::AppendToFile(ProgramPath("log.txt"), "two\n"));
    EXPECT_TRUE(fs::is_regular_file(DiskPath("log.txt")));
    std::string text;
    ASSERT_TRUE(platform::ReadFile(ProgramPath("log.txt"), text));
    EXPECT_EQ(text, "one\ntwo\n");

    platform::IniFile ini(ProgramPath("runo.ini"));
    ASSERT_TRUE(ini.WriteString("SYSTEM", "ExePath", "/opt/大厅\\DozeDova"));
    EXPECT_TRUE(fs::is_regular_file(DiskPath("runo.ini")));
    EXPECT_FALSE(fs::exists(DiskPath("runo.ini.tmp")));
    EXPECT_EQ(ini.GetString("SYSTEM", "ExePath", ""), "/opt/大厅\\DozeDova");

    EXPECT_TRUE(platform::MakeDirectories(ProgramPath("temp\\a\\")));
    EXPECT_TRUE(fs::is_directory(DiskPath("temp") / "a"));

    // A listing names the files as the program does.
    std::ofstream(DiskPath(Utf8(u8"牌面.png"))) << "x";
    std::vector<std::string> names;
    ASSERT_TRUE(platform::ListDirectoryFiles(ProgramPath(""), names));
    EXPECT_EQ(names, (std::vector<std::string> { "log.txt", "runo.ini", "牌面.png" }));
}

// The log writers' append makes the directories a first line needs, and
// still fails where a file stands in the way.
TEST_F(FileOpenTest, AppendCreatingDirectoryMakesTheMissingDirectories)
{
    ASSERT_TRUE(platform::AppendCreatingDirectory(ProgramPath("状态\\kbzn\\Game.log"), "one\n"));
    ASSERT_TRUE(platform::AppendCreatingDirectory(ProgramPath("状态\\kbzn\\Game.log"), "two\n"));
    std::string text;
    ASSERT_TRUE(platform::ReadFile(ProgramPath("状态\\kbzn\\Game.log"), text));
    EXPECT_EQ(text, "one\ntwo\n");
    EXPECT_TRUE(fs::is_regular_file(DiskPath(Utf8(u8"状态")) / "kbzn" / "Game.log"));

    std::ofstream(DiskPath("plain")) << "x";
    EXPECT_FALSE(platform::AppendCreatingDirectory(ProgramPath("plain\\kbzn\\Game.log"), "lost\n"));
}

// A path that names a directory (a skin key left empty names the skin's own
// directory) or nothing reads as no file, also through the INI functions.
TEST_F(FileOpenTest, ADirectoryOrAMissingFileIsNotRead)
{
    for (const std::string& path : { ProgramPath(""), m_dir, ProgramPath("none.txt") }) {
        std::string text = "kept";
        EXPECT_FALSE(platform::ReadFile(path, text)) << path;
        EXPECT_EQ(platform::IniFile(path).GetString("SKIN", "Path", "default"), "default") << path;
    }
}

class SystemDirectoryTest : public ::testing::Test {
protected:
    static constexpr const char* kNames[] = { "KBZN_SYSTEM_DIR", "XDG_CONFIG_HOME", "HOME" };

    void SetUp() override
    {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            const char* value = std::getenv(kNames[i]);
            m_saved[i] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    void TearDown() override { Set(m_saved); }

    static void Set(const std::optional<std::string> (&values)[3])
    {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (values[i])
                setenv(kNames[i], values[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }

    std::optional<std::string> m_saved[3];
};

TEST_F(SystemDirectoryTest, TheFirstUsableSettingWins)
{
    const auto none = std::nullopt;
    struct Case {
        std::optional<std::string> env[3]; // KBZN_SYSTEM_DIR, XDG_CONFIG_HOME, HOME
        std::string expected;
    };
    const Case cases[] = {
        { { "/srv/sys", "/x", "/h" }, "/srv/sys/" },
        { { "/srv/sys/", none, none }, "/srv/sys/" },
        { { "", "/x", "/h" }, "/x/kbzn/" },
        { { none, "/x/", "/h" }, "/x/kbzn/" },
        { { none, "", "/h" }, "/h/.config/kbzn/" },
        { { none, "relative/conf", "/h" }, "/h/.config/kbzn/" },
        { { none, none, "/h/" }, "/h/.config/kbzn/" },
        // Host names are UTF-8; the program's are GBK.
        { { Utf8(u8"/tmp/系统"), none, none }, "/tmp/系统/" },
    };
    for (const Case& c : cases) {
        Set(c.env);
        EXPECT_EQ(platform::SystemDirectory(), c.expected) << c.expected;
    }
}

TEST_F(SystemDirectoryTest, WithoutHomeThePasswordEntryGivesTheHome)
{
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    Set({ std::nullopt, std::nullopt, std::nullopt });
    std::string home = entry->pw_dir;
    if (home.empty() || home.back() != '/')
        home += '/';
    EXPECT_EQ(platform::SystemDirectory(), platform::Gbk::FromUtf8(home) + ".config/kbzn/");
}

TEST(StateDirectoryTest, TheLogsGoUnderTheStateHome)
{
    const auto none = std::nullopt;
    struct Case {
        std::optional<std::string> state, home;
        std::string expected;
    };
    const Case cases[] = {
        { "/s", "/h", "/s/kbzn/" },
        { "/s/", none, "/s/kbzn/" },
        { "", "/h", "/h/.local/state/kbzn/" },
        { "relative/state", "/h/", "/h/.local/state/kbzn/" },
        { none, "/h", "/h/.local/state/kbzn/" },
        // Host names are UTF-8; the program's are GBK.
        { Utf8(u8"/tmp/状态"), none, "/tmp/状态/kbzn/" },
    };
    for (const Case& c : cases) {
        // Both are put back as they were when the case ends.
        testsupport::ScopedEnv state("XDG_STATE_HOME", c.state.value_or(""));
        if (!c.state)
            unsetenv("XDG_STATE_HOME");
        std::optional<testsupport::ScopedEnv> home;
        if (c.home)
            home.emplace("HOME", *c.home);
        EXPECT_EQ(platform::StateDirectory(), c.expected) << c.expected;
    }
}

} // namespace
