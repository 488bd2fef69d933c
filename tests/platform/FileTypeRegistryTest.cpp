// The file type made known to the desktop: both files land under the data
// directory the environment names, read back as the desktop reads them,
// are rewritten on every call, and the two desktop tools are run with the
// right arguments where they exist (stand-in scripts on a private PATH
// record their calls); a data directory that cannot be written is skipped.

#include "platform/FileTypeRegistry.h"

#include "platform/Files.h"

#include "tests/support/FileText.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string Utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

using testsupport::ReadWholeFile;

using testsupport::ScopedEnv;

class FileTypeRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_filetype_" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "bin");
        m_data.emplace("XDG_DATA_HOME", (m_dir / "data").string());
        m_path.emplace("PATH", (m_dir / "bin").string());
    }
    void TearDown() override
    {
        m_path.reset();
        m_data.reset();
        fs::remove_all(m_dir);
    }
    // A stand-in tool that appends its arguments to calls.txt.
    void StandInTool(const std::string& name)
    {
        const fs::path tool = m_dir / "bin" / name;
        std::ofstream(tool) << "#!/bin/sh\necho \"" << name << " $*\" >> \"" << (m_dir / "calls.txt").string()
                            << "\"\n";
        fs::permissions(tool, fs::perms::owner_all);
    }
    fs::path DataDir() const { return m_dir / "data"; }
    std::string Calls() const { return ReadWholeFile(m_dir / "calls.txt"); }

    static platform::FileType Type()
    {
        platform::FileType type;
        type.id = "kbzn-vududivi";
        type.mimeType = "application/x-vududivi";
        type.extension = "qhrep";
        type.comment = Utf8(u8"觅友存盘文件 <&>");
        type.iconPath = "/opt/hall dir/share/Image/common/replayico.ico";
        type.opener = "/opt/hall dir/Zovudave \"x\".exe";
        return type;
    }

    fs::path m_dir;

private:
    std::optional<ScopedEnv> m_data;
    std::optional<ScopedEnv> m_path;
};

TEST_F(FileTypeRegistryTest, BothFilesReadBackUnderTheDataDirectory)
{
    const platform::FileTypeResult result = platform::RegisterFileType(Type());
    EXPECT_TRUE(result.packageWritten);
    EXPECT_TRUE(result.entryWritten);
    EXPECT_EQ(platform::DataHomeDirectory(), DataDir().string() + "/");

    EXPECT_EQ(ReadWholeFile(DataDir() / "mime/packages/kbzn-vududivi.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-vududivi\">\n"
            + Utf8(u8"    <comment>觅友存盘文件 &lt;&amp;&gt;</comment>\n")
            + "    <glob pattern=\"*.qhrep\" case-sensitive=\"true\"/>\n"
              "  </mime-type>\n"
              "</mime-info>\n");
    // The opener is one argument of the Exec line whatever it holds; the
    // line's own backslashes are escaped once more as a desktop value.
    EXPECT_EQ(ReadWholeFile(DataDir() / "applications/kbzn-vududivi.desktop"),
        "[Desktop Entry]\n"
        "Type=Application\n"
            + Utf8(u8"Name=觅友存盘文件 <&>\n")
            + "Exec=\"/opt/hall dir/Zovudave \\\\\"x\\\\\".exe\" %f\n"
              "Icon=/opt/hall dir/share/Image/common/replayico.ico\n"
              "MimeType=application/x-vududivi;\n"
              "NoDisplay=true\n"
              "Terminal=false\n");
}

TEST_F(FileTypeRegistryTest, EveryCallRewritesBothFiles)
{
    platform::RegisterFileType(Type());
    const fs::path package = DataDir() / "mime/packages/kbzn-vududivi.xml";
    const fs::path entry = DataDir() / "applications/kbzn-vududivi.desktop";
    const std::string packageText = ReadWholeFile(package);
    const std::string entryText = ReadWholeFile(entry);
    std::ofstream(package, std::ios::trunc) << "stale";
    std::ofstream(entry, std::ios::trunc) << "stale and longer than nothing";
    platform::RegisterFileType(Type());
    EXPECT_EQ(ReadWholeFile(package), packageText);
    EXPECT_EQ(ReadWholeFile(entry), entryText);
}

TEST_F(FileTypeRegistryTest, InstalledToolsAreRunForTheTypeAndItsEntry)
{
    StandInTool("update-mime-database");
    StandInTool("update-desktop-database");
    StandInTool("xdg-mime");
    platform::RegisterFileType(Type());
    EXPECT_EQ(Calls(),
        "update-mime-database " + DataDir().string() + "/mime\n" + "update-desktop-database " + DataDir().string()
            + "/applications\n"
              "xdg-mime default kbzn-vududivi.desktop application/x-vududivi\n");
}

TEST_F(FileTypeRegistryTest, MissingToolsAndAnUnwritableDirectoryAreSkipped)
{
    // No tools on the PATH: the files are still written.
    EXPECT_TRUE(platform::RegisterFileType(Type()).entryWritten);

    // A plain file where the data directory should be.
    StandInTool("xdg-mime");
    std::ofstream(m_dir / "blocked") << "x";
    ScopedEnv blocked("XDG_DATA_HOME", (m_dir / "blocked").string());
    const platform::FileTypeResult result = platform::RegisterFileType(Type());
    EXPECT_FALSE(result.packageWritten);
    EXPECT_FALSE(result.entryWritten);
    EXPECT_EQ(Calls(), ""); // nothing to make default
}

TEST(DataHomeDirectory, FallsBackToTheHomesShareDirectory)
{
    ScopedEnv home("HOME", "/home/someone");
    ScopedEnv relative("XDG_DATA_HOME", "not/absolute");
    EXPECT_EQ(platform::DataHomeDirectory(), "/home/someone/.local/share/");
}

} // namespace
