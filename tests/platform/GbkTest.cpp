#include "platform/Gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::Gbk;

// UTF-8 bytes of a u8 literal, whatever the execution character set.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(Gbk, ToUtf8Cases)
{
    struct Case {
        const char* name;
        std::string gbk;
        std::string utf8;
    };
    const Case cases[] = {
        { "ascii", "A b~", "A b~" },
        { "two characters", "确定", U8(u8"确定") },
        { "mixed", "OK确定!", U8(u8"OK确定!") },
        { "euro sign byte", "\x80", U8(u8"€") },
        { "lead byte cut at the end", "A\xC8", U8(u8"A\uFFFD") },
        { "lead byte before a digit keeps the digit", "\xC8" "0A", U8(u8"\uFFFD0A") },
        { "lead byte before 0x7F", "\xC8\x7F", U8(u8"\uFFFD\x7F") },
        { "0xFF alone", "\xFF" "A", U8(u8"\uFFFDA") },
        { "embedded NUL", std::string("a\0b", 3), std::string("a\0b", 3) },
        { "empty", "", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Gbk::ToUtf8(c.gbk), c.utf8) << c.name;
}

TEST(Gbk, FromUtf8Cases)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        { "ascii", "Hello", "Hello" },
        { "chinese and latin", U8(u8"确定A取消"), "确定A取消" },
        { "euro sign", U8(u8"€"), "\x80" },
        { "character outside GBK", U8(u8"a\U0001F600b"), "a?b" },
        { "cut sequence", "\xE7\xA1", "?" },
        { "cut sequence then ascii", "\xE7\xA1" "A", "?A" },
        { "overlong slash", "\xC0\xAF", "?" },
        { "surrogate", "\xED\xA0\x80", "?" },
        { "stray continuation bytes", "\x80\x80x", "??x" },
        { "beyond U+10FFFF", "\xF4\x90\x80\x80", "?" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Gbk::FromUtf8(c.utf8), c.gbk) << c.name;
}

TEST(Gbk, DecodeCharReportsLengthAndLeadBytes)
{
    size_t consumed = 0;
    EXPECT_EQ(Gbk::DecodeChar("确", consumed), U'确');
    EXPECT_EQ(consumed, 2u);
    EXPECT_EQ(Gbk::DecodeChar("A确", consumed), U'A');
    EXPECT_EQ(consumed, 1u);
    EXPECT_EQ(Gbk::DecodeChar("\xB7", consumed), Gbk::kReplacement);
    EXPECT_EQ(consumed, 1u);
    EXPECT_EQ(Gbk::DecodeChar("", consumed), Gbk::kReplacement);
    EXPECT_EQ(consumed, 0u);
    EXPECT_EQ(Gbk::ToUtf32("确A"), std::u32string(U"确A"));

    EXPECT_FALSE(Gbk::IsLeadByte(0x80));
    EXPECT_TRUE(Gbk::IsLeadByte(0x81));
    EXPECT_TRUE(Gbk::IsLeadByte(0xFE));
    EXPECT_FALSE(Gbk::IsLeadByte(0xFF));
    EXPECT_FALSE(Gbk::IsLeadByte('A'));
}

// Every defined two-byte character survives the trip to UTF-8 and back, so
// text typed, pasted or shown never changes its bytes.
TEST(Gbk, EveryDefinedPairRoundTrips)
{
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            std::string pair { static_cast<char>(lead), static_cast<char>(trail) };
            std::u32string decoded = Gbk::ToUtf32(pair);
            ASSERT_EQ(decoded.size(), 1u) << std::hex << lead << ' ' << trail;
            if (decoded[0] == Gbk::kReplacement)
                continue;
            ++defined;
            EXPECT_EQ(Gbk::FromUtf8(Gbk::ToUtf8(pair)), pair) << std::hex << lead << ' ' << trail;
        }
    }
    EXPECT_GT(defined, 21000); // GBK defines 21886 two-byte characters
}

} // namespace
