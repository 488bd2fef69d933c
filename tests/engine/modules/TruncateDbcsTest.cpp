#include "engine/modules/TruncateDbcs.h"
#include "platform/Gbk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// "确定" as GBK bytes, spelled out so the test does not depend on the
// compiler's execution character set.
const std::string kQue = "\xC8\xB7";
const std::string kDing = "\xB6\xA8";

// Runs TruncateDbcs into a buffer pre-filled with '#' and returns what it
// holds up to its terminator (or "<unterminated>").
std::string Cut(const std::string& text, size_t width)
{
    std::vector<char> out(width + 8, '#');
    engine::TruncateDbcs(text, out.data(), width);
    for (size_t i = width; i < out.size(); ++i)
        EXPECT_EQ(out[i], '#') << "wrote past width at " << i;
    const void* zero = std::memchr(out.data(), '\0', width);
    if (!zero)
        return "<unterminated>";
    return std::string(out.data(), static_cast<const char*>(zero) - out.data());
}

TEST(TruncateDbcs, Cases)
{
    struct Case {
        const char* name;
        std::string text;
        size_t width;
        std::string expected;
    };
    const Case cases[] = {
        { "20 ASCII bytes to 10", "abcdefghijklmnopqrst", 10, "abcdefg.." },
        { "short text copied", "abc", 10, "abc" },
        { "width - 1 bytes fit", "abcdefghi", 10, "abcdefghi" },
        { "exactly width bytes are cut, not left open", "abcdefghij", 10, "abcdefg.." },
        { "empty text", "", 5, "" },
        { "double-byte character next at the cut: whole, one dot", "ab" + kQue + kDing + kQue + kDing, 8,
            "ab" + kQue + kDing + "." },
        { "double-byte character straddling the cut: dots instead", "a" + kQue + kDing + kQue + kDing, 8,
            "a" + kQue + kDing + ".." },
        { "all double-byte", kQue + kDing + kQue + kDing + kQue + kDing, 9, kQue + kDing + kQue + ".." },
        { "0x80 and 0xFF are single bytes", "\x80\xFF" "abcdefgh", 8, "\x80\xFF" "abc.." },
        { "width 4", "abcdef", 4, "a.." },
        { "width 4, double-byte first", kQue + kDing + "ab", 4, kQue + "." },
        { "4 bytes to width 3", "abcd", 3, ".." },
        { "width 2", "abcdef", 2, "." },
        { "width 1", "abcdef", 1, "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cut(c.text, c.width), c.expected) << c.name;
}

TEST(TruncateDbcs, WidthZeroWritesNothing)
{
    char out[4] = { 'x', 'y', 'z', 'w' };
    engine::TruncateDbcs("abc", out, 0);
    EXPECT_EQ(std::string(out, 4), "xyzw");
}

TEST(TruncateDbcs, NeverSplitsACharacterAndAlwaysTerminates)
{
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        int chars = static_cast<int>(random() % 20);
        for (int i = 0; i < chars; ++i) {
            if (random() % 2)
                text += static_cast<char>('a' + random() % 26);
            else
                text += random() % 2 ? kQue : kDing;
        }
        size_t width = random() % 24;
        std::string out = Cut(text, width);
        if (width == 0)
            continue;
        ASSERT_NE(out, "<unterminated>");
        ASSERT_LT(out.size(), width);
        if (text.size() < width) {
            ASSERT_EQ(out, text);
            continue;
        }
        // What precedes the dots is a prefix of the text made of whole
        // characters.
        size_t kept = out.find_last_not_of('.') == std::string::npos ? 0 : out.find_last_not_of('.') + 1;
        ASSERT_EQ(out.compare(0, kept, text, 0, kept), 0) << text << " / " << width;
        size_t i = 0;
        while (i < kept)
            i += platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1;
        ASSERT_EQ(i, kept) << "split character: " << text << " / " << width;
        if (width >= 2) {
            ASSERT_GE(out.size() - kept, 1u) << "a cut text ends in a dot";
        }
        if (width >= 4) {
            ASSERT_EQ(out.size(), width - 1);
        }
    }
}

} // namespace
