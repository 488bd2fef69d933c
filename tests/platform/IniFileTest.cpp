#include "platform/Files.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path()
            / ("kbzn_ini_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "Test.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void WriteFile(const std::string& text)
    {
        std::ofstream out(m_path, std::ios::binary);
        out << text;
    }
    std::string ReadBack()
    {
        std::string text;
        platform::ReadFile(m_path, text);
        return text;
    }

    std::filesystem::path m_dir;
    std::string m_path;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    platform::IniFile ini(m_path);
    EXPECT_EQ(ini.GetString("A", "b", "dflt"), "dflt");
    EXPECT_EQ(ini.GetInt("A", "b", 42), 42);
    WriteFile("[A]\nb=1\n[C]\nd=2\n");
    EXPECT_EQ(ini.GetInt("A", "d", 7), 7); // d belongs to C
    EXPECT_EQ(ini.GetInt("X", "b", 7), 7);
    EXPECT_EQ(ini.GetInt("c", "D", 7), 2); // names ignore ASCII case
}

TEST_F(IniFileTest, ValuesAndBadLines)
{
    WriteFile("junk before any section\r\n[MobileDoubleScore]\r\n  BeginTime =  2014-03-10-00-00  \r\n"
              "no equals sign here\r\n[broken\r\n; comment=1\r\nquoted=\"  x y \"\r\nsingle='v'\r\n=5\r\n"
              "empty=\r\n[basescore]\r\n12=300\r\n");
    platform::IniFile ini(m_path);
    EXPECT_EQ(ini.GetString("MobileDoubleScore", "BeginTime", ""), "2014-03-10-00-00");
    EXPECT_EQ(ini.GetString("MobileDoubleScore", "quoted", ""), "  x y ");
    EXPECT_EQ(ini.GetString("MobileDoubleScore", "single", ""), "v");
    EXPECT_EQ(ini.GetString("MobileDoubleScore", "; comment", "none"), "none");
    EXPECT_EQ(ini.GetInt("MobileDoubleScore", "empty", 9), 9);
    EXPECT_EQ(ini.GetString("MobileDoubleScore", "empty", "d"), "");
    EXPECT_EQ(ini.GetInt("basescore", "12", 0), 300);
}

TEST_F(IniFileTest, IntegersAreReadLikeTheProfileFunctions)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        { "12", 12 }, { "-7", -7 }, { "+8", 8 }, { "0x1F", 31 }, { "0X10", 16 }, { "12abc", 12 },
        { "abc", 0 }, { "-", 0 }, { "4294967295", -1 }, { "007", 7 }, { " 3 ", 3 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::IniFile::ParseInt(c.text, 99), c.value) << c.text;
    EXPECT_EQ(platform::IniFile::ParseInt("", 99), 99);
}

TEST_F(IniFileTest, WritesCreateTheFileAndSectionAndKeepOtherKeys)
{
    platform::IniFile ini(m_path);
    ASSERT_TRUE(ini.WriteString("GAMESET", "Sound", "1"));
    EXPECT_EQ(ini.GetInt("GAMESET", "Sound", 0), 1);
    ASSERT_TRUE(ini.WriteInt("GAMESET", "Music", -3));
    ASSERT_TRUE(ini.WriteString("Other", "名字", "游戏玩家"));
    ASSERT_TRUE(ini.WriteInt("gameset", "sound", 0)); // replaces in place
    EXPECT_EQ(ReadBack(), "[GAMESET]\nSound=0\nMusic=-3\n[Other]\n名字=游戏玩家\n");
    EXPECT_EQ(ini.GetString("Other", "名字", ""), "游戏玩家");

    WriteFile("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(ini.WriteInt("A", "z", 3));
    EXPECT_EQ(ReadBack(), "; keep me\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");

    platform::IniFile nowhere((m_dir / "missing" / "x.ini").string());
    EXPECT_FALSE(nowhere.WriteInt("A", "b", 1));
}

} // namespace
