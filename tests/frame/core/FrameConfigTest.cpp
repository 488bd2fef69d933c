#include "frame/core/FrameConfig.h"

#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <stdlib.h>

namespace {

namespace fs = std::filesystem;
using frame::FramePaths;

TEST(WealthTitleTest, EachAmountGetsTheLargestThresholdItReaches)
{
    struct Case {
        int64_t silver;
        const char* title;
    };
    const Case cases[] = {
        { -1, "负债" },
        { -26214400, "负债" },
        { 0, "待业" },
        { 99, "待业" },
        { 100, "临时工" },
        { 199, "临时工" },
        { 200, "合同工" },
        { 51199, "总经理" },
        { 51200, "副总裁" },
        { 1638400, "富豪" },
        { 26214399, "超级大富豪" },
        { 26214400, "世界首富" },
        { 2147483647, "世界首富" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame::GetWealthTitle(c.silver), c.title) << c.silver;
    // The titles are GBK bytes.
    EXPECT_EQ(frame::GetWealthTitle(0), "\xB4\xFD\xD2\xB5");
    EXPECT_EQ(frame::GetWealthTitle(-1), "\xB8\xBA\xD5\xAE");
}

TEST(SplitFieldsTest, AtMostTheMaximumWithTheRestKept)
{
    using Fields = std::vector<std::string>;
    const auto none = std::nullopt;
    struct Case {
        std::string text;
        int maximum;
        Fields fields;
        std::optional<std::string> rest;
    };
    const Case cases[] = {
        { "1|2|3", 2, { "1", "2" }, "3" },
        { "1|2|3", 30, { "1", "2", "3" }, none },
        { "1|2", 2, { "1", "2" }, none },
        { "1|2|", 2, { "1", "2" }, "" },
        { "a|b|c|d", 1, { "a" }, "b|c|d" },
        { "1||3|", 30, { "1", "", "3", "" }, none },
        { "|", 30, { "", "" }, none },
        { "", 5, { "" }, none },
        { "张三|标题", 30, { "张三", "标题" }, none },
        { "x|y", 0, {}, "x|y" },
    };
    for (const Case& c : cases) {
        Fields fields { "stale" };
        std::optional<std::string> rest = "stale";
        int count = frame::SplitFields(c.text, c.maximum, fields, rest);
        EXPECT_EQ(count, static_cast<int>(c.fields.size())) << c.text << " max " << c.maximum;
        EXPECT_EQ(fields, c.fields) << c.text << " max " << c.maximum;
        EXPECT_EQ(rest, c.rest) << c.text << " max " << c.maximum;
    }
}

TEST(TrimSpacesTest, OnlySpacesAtEitherEndGo)
{
    struct Case {
        std::string text;
        std::string trimmed;
    };
    const Case cases[] = {
        { "  ab c  ", "ab c" },
        { "   ", "" },
        { "", "" },
        { "\tab\t", "\tab\t" },
        { " 张 三 ", "张 三" },
    };
    for (Case c : cases) {
        std::string& result = frame::TrimSpaces(c.text);
        EXPECT_EQ(&result, &c.text);
        EXPECT_EQ(c.text, c.trimmed);
    }
}

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | g << 8 | b << 16;
}

TEST(ParseRgbColorTest, PartsRepeatCutAndFallBack)
{
    constexpr uint32_t kFallback = 0xE5F1E1;
    struct Case {
        const char* text;
        uint32_t colour;
    };
    const Case cases[] = {
        { "", kFallback },
        { "10 20 30", Rgb(10, 20, 30) },
        { "7", Rgb(7, 7, 7) },
        { "10 20", Rgb(10, 20, 20) },
        { "10 20 ", Rgb(10, 20, 20) },
        { "10   20   30", Rgb(10, 20, 30) },
        { "10 20 30 40", Rgb(10, 20, 30) },
        { "  ", 0 },
        { " ", 0 },
        { "abc", 0 },
        // Green is what follows the first space, wherever it is.
        { " 10 20 30", Rgb(10, 10, 20) },
        { "300 256 -1", Rgb(44, 0, 255) },
        { "99999999999 0 0", Rgb(255, 0, 0) },
        { "0x10 5 5", Rgb(0, 5, 5) },
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame::ParseRgbColor(c.text, kFallback), c.colour) << '"' << c.text << '"';
}

TEST(IntToStringTest, Decimal)
{
    EXPECT_EQ(frame::IntToString(0), "0");
    EXPECT_EQ(frame::IntToString(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(frame::IntToString(210500), "210500");
}

class ScratchTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/kbzn-frameconf-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_root = name;
    }
    void TearDown() override { fs::remove_all(m_root); }

    // A file under the root ('/' separated), its directories made.
    std::string Write(const std::string& relative, const std::string& text = "")
    {
        fs::path path = fs::path(m_root) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    std::string m_root;
};

// Stands in for the adapter list: copies the given addresses like
// net::GetMacAddresses and returns their count (or the given failure).
frame::MacAddressReader Adapters(std::vector<std::vector<uint8_t>> addresses, int failure = 0)
{
    return [addresses, failure](uint8_t* buffer, size_t capacity) {
        size_t used = 0;
        for (const auto& address : addresses) {
            EXPECT_LE(used + address.size(), capacity);
            std::memcpy(buffer + used, address.data(), address.size());
            used += address.size();
        }
        return addresses.empty() ? failure : static_cast<int>(addresses.size());
    };
}

using MachineIdTest = ScratchTree;

TEST_F(MachineIdTest, AdapterAddressesMakeTheIdWhateverTheIniSays)
{
    std::string systemDir = m_root + "/system/";
    Write("system/runo.ini", "[SYSTEM]\nUniqueID=fromini\n");
    const std::vector<uint8_t> first { 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E };
    const std::vector<uint8_t> second { 0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5 };
    const std::vector<uint8_t> third { 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC };
    struct Case {
        std::vector<std::vector<uint8_t>> addresses;
        std::string id;
    };
    const Case cases[] = {
        { { first }, "001a2b3c4d5e" + std::string(19, '0') },
        { { first, second }, "001a2b3c4d5e" "f0e1d2c3b4a5" "0000000" },
        { { first, second, third }, "001a2b3c4d5e" "f0e1d2c3b4a5" "1234567" },
    };
    for (const Case& c : cases) {
        std::string id = "stale";
        frame::GetMachineId(id, systemDir, Adapters(c.addresses));
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(id.size(), 31u);
    }
    EXPECT_EQ(platform::IniFile(systemDir + "runo.ini").GetString("SYSTEM", "UniqueID", ""), "fromini");
}

TEST_F(MachineIdTest, WithoutAdaptersTheStoredIdIsReadTrimmedAndCut)
{
    std::string systemDir = m_root + "/system";
    struct Case {
        std::string stored;
        std::string id;
    };
    const Case cases[] = {
        { "abc123", "abc123" },
        { "  abc 123  ", "abc 123" },
        { "\"  quoted  \"", "quoted" },
        { std::string(40, 'f'), std::string(31, 'f') },
        { std::string(28, 'e') + "    x", std::string(28, 'e') },
    };
    for (const Case& c : cases) {
        Write("system/runo.ini", "[SYSTEM]\nExePath=/opt/lobby/DozeDova\nUniqueID=" + c.stored + "\n");
        for (int failure : { 0, -1 }) {
            std::string id;
            frame::GetMachineId(id, systemDir, Adapters({}, failure));
            EXPECT_EQ(id, c.id) << c.stored;
        }
    }
}

TEST_F(MachineIdTest, AMachineWithNoIdGetsARandomOneOnceAndKeepsIt)
{
    // The system directory does not exist yet: the first start makes it.
    std::string systemDir = m_root + "/config/kbzn/";
    std::string first;
    frame::GetMachineId(first, systemDir, Adapters({}));
    ASSERT_EQ(first.size(), 30u);
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos) << first;
    platform::IniFile runo(systemDir + "runo.ini");
    EXPECT_EQ(runo.GetString("SYSTEM", "UniqueID", ""), first);

    std::string second;
    frame::GetMachineId(second, systemDir, Adapters({}, -1));
    EXPECT_EQ(second, first);

    // An id of spaces only counts as none.
    ASSERT_TRUE(runo.WriteString("SYSTEM", "UniqueID", "   "));
    std::string third;
    frame::GetMachineId(third, systemDir, Adapters({}));
    EXPECT_EQ(third.size(), 30u);
    EXPECT_NE(third, first);
    EXPECT_EQ(runo.GetString("SYSTEM", "UniqueID", ""), third);
}

using FramePathsTest = ScratchTree;

TEST_F(FramePathsTest, ProgramDirectoryFiles)
{
    FramePaths paths("KbZn", m_root, m_root + "/system/");
    EXPECT_EQ(paths.GetExeDir(), m_root + "/");
    EXPECT_EQ(paths.GetGameIniPath(), m_root + "/KbZn.ini");
    EXPECT_EQ(paths.GetSharedSystemIniPath(), m_root + "/system/runo.ini");

    EXPECT_FALSE(fs::exists(m_root + "/temp"));
    EXPECT_EQ(paths.GetTempDir(), m_root + "/temp\\");
    EXPECT_TRUE(fs::is_directory(m_root + "/temp"));
    EXPECT_EQ(paths.GetTempDir(), m_root + "/temp\\");
}

TEST_F(FramePathsTest, TheSkinIniIsTheNamedOneThenTheOneBesideTheProgramThenNone)
{
    FramePaths paths("KbZn", m_root + "/", m_root + "/system/");
    EXPECT_EQ(paths.GetSkinIniPath(), "");

    std::string named = m_root + "/my\\blue.ini"; // as a user would write it
    Write("KbZn.ini", "[SKIN]\nPath=" + named + "\n");
    EXPECT_EQ(paths.GetSkinIniPath(), "") << "named file missing, none beside the program";

    Write("skins/skin.ini");
    EXPECT_EQ(paths.GetSkinIniPath(), m_root + "/skins\\skin.ini");

    Write("my/blue.ini");
    EXPECT_EQ(paths.GetSkinIniPath(), named);

    // A directory of that name is no skin file.
    Write("KbZn.ini", "[SKIN]\nPath=" + m_root + "/my\n");
    EXPECT_EQ(paths.GetSkinIniPath(), m_root + "/skins\\skin.ini");
}

TEST_F(FramePathsTest, TheLobbyIsFoundThroughRunoIni)
{
    FramePaths paths("KbZn", m_root + "/program/", m_root + "/system/");
    // Nothing installed: the lobby directory is empty and the paths below it
    // are bare.
    EXPECT_EQ(paths.GetHallExePath(), "");
    EXPECT_EQ(paths.GetHallDir(), "");
    EXPECT_EQ(paths.GetPortraitDir(), "Share\\Image\\portrait\\");

    std::string lobby = m_root + "/大厅\\";
    Write("system/runo.ini", "[SYSTEM]\nExePath=" + lobby + "DozeDova\n");
    EXPECT_EQ(paths.GetHallExePath(), lobby + "DozeDova");
    EXPECT_EQ(paths.GetHallDir(), lobby);
    EXPECT_EQ(paths.GetHallIniPath(), lobby + "DozeDova.ini");
    EXPECT_EQ(paths.GetPortraitDir(), lobby + "Share\\Image\\portrait\\");
    EXPECT_EQ(paths.GetCharacterDir(3), lobby + "Share\\Image\\Character\\3\\");
    EXPECT_EQ(paths.GetAdvertDomainFile(), lobby + "Share\\advert\\domain.dat");
    EXPECT_EQ(paths.GetUserDataPath(10086), lobby + "users\\10086.dat");

    // The lobby's ini is read where the lobby wrote it (UTF-8 on disk).
    Write(reinterpret_cast<const char*>(u8"大厅/DozeDova.ini"), "[PROXY]\nNeed=1\nHost=proxy.local\n");
    platform::IniFile hallIni(paths.GetHallIniPath());
    EXPECT_EQ(hallIni.GetInt("PROXY", "Need", 0), 1);
    EXPECT_EQ(hallIni.GetString("PROXY", "Host", ""), "proxy.local");
}

} // namespace
