// The program's text is GBK: literals in the UTF-8 sources must reach the
// binary as GBK bytes.
#include <gtest/gtest.h>

#include <string>

TEST(TextEncoding, ChineseLiteralIsGbk)
{
    const std::string ok = "确定";
    EXPECT_EQ(ok, std::string("\xC8\xB7\xB6\xA8"));
    const std::string silver = "两";
    EXPECT_EQ(silver, std::string("\xC1\xBD"));
}
