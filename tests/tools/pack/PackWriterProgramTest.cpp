#include "engine/core/EngineFiles.h"
#include "engine/core/NameKey.h"
#include "engine/modules/ResourceNames.h"
#include "engine/modules/ResourcePack.h"
#include "platform/Gbk.h"
#include "tools/pack/PackWriter.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs pack-writer with the arguments (each quoted) and returns its exit
// code; what it wrote on stderr goes to errorText.
int RunPackWriter(const std::vector<std::string>& args, const fs::path& errorFile, std::string& errorText)
{
    std::string command = KBZN_PACK_WRITER;
    for (const std::string& a : args)
        command += " '" + a + "'";
    command += " 2>'" + errorFile.string() + "'";
    int status = std::system(command.c_str());
    std::ifstream in(errorFile, std::ios::binary);
    errorText.assign(std::istreambuf_iterator<char>(in), {});
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PackWriterProgram, ConvertTakesOnlyTheEncoderMethods)
{
    const fs::path dir = fs::temp_directory_path() / ("kbzn_packwriter_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path png = dir / "dot.png";
    std::vector<uint8_t> pngBytes = tools::EncodePng(tools::DrawPicture(4, 3, 1, [](int, int x, int) {
        return x % 2 ? 0xFF00FF00u : 0xFFFF0000u;
    }));
    ASSERT_FALSE(pngBytes.empty());
    ASSERT_TRUE(engine::WriteWholeFile(png.string(), pngBytes.data(), pngBytes.size()));

    struct Case {
        const char* method;
        int exitCode;
        const char* message; // part of stderr, or null for none
    } cases[] = {
        { "6", 0, nullptr },
        { "1", 0, nullptr },
        // A bad method is a usage error, not a picture the engine cannot read.
        { "abc", 2, "is not a method" },
        { "2", 2, "is not a method" },
        { "7", 2, "is not a method" },
        { "6x", 2, "is not a method" },
        { "", 2, "is not a method" },
    };
    for (const auto& c : cases) {
        const fs::path out = dir / "out.pps";
        fs::remove(out);
        std::string errorText;
        int code = RunPackWriter({ "--convert", png.string(), out.string(), c.method }, dir / "stderr.txt", errorText);
        EXPECT_EQ(code, c.exitCode) << "method '" << c.method << "': " << errorText;
        EXPECT_EQ(fs::exists(out), c.exitCode == 0) << "method '" << c.method << "'";
        if (c.message)
            EXPECT_NE(errorText.find(c.message), std::string::npos) << "method '" << c.method << "': " << errorText;
        else
            EXPECT_EQ(errorText, "") << "method '" << c.method << "'";
    }
    fs::remove_all(dir);
}

// File names come as typed, in UTF-8; the pack names them in the program's
// own text, as the client looks them up.
TEST(PackWriterProgram, TakesFileNamesAsTyped)
{
    const fs::path dir = fs::temp_directory_path() / ("kbzn_packwriter_utf8_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string typed = "中文.txt";
    const std::string utf8Name = platform::Gbk::ToUtf8(typed);
    std::ofstream(dir / utf8Name, std::ios::binary) << "text";
    const fs::path out = dir / platform::Gbk::ToUtf8("资源.vkr");

    std::string errorText;
    ASSERT_EQ(RunPackWriter({ out.string(), (dir / utf8Name).string() }, dir / "stderr.txt", errorText),
        0) << errorText;
    engine::PackReader pack(platform::Gbk::FromUtf8(out.string()));
    ASSERT_TRUE(pack.IsOpen());
    ASSERT_EQ(pack.EntryCount(), 1u);
    engine::PackDirEntry entry;
    ASSERT_TRUE(pack.CurrentEntry(entry));
    EXPECT_EQ(entry.key, engine::MakeNameKey(engine::ResourceLookupName(typed)));
    EXPECT_EQ(entry.length, 4u);
    fs::remove_all(dir);
}

} // namespace
