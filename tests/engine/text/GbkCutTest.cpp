#include "engine/text/GbkCut.h"

#include <gtest/gtest.h>

#include <string>

using namespace engine;

namespace {

TEST(GbkCut, CutsOnCharacterBoundaries)
{
    struct Case {
        const char* what;
        std::string text;
        size_t maxBytes;
        size_t length;
    };
    const Case cases[] = {
        { "short text whole", "abc", 5, 3 },
        { "single bytes", "abcdef", 3, 3 },
        { "a character is not split", "确定", 3, 2 },
        { "after a single byte", "a确定", 2, 1 },
        { "a low trail byte stays with its lead", "\x81\x40" "ab", 1, 0 },
        // Bytes 0x80 and 0xFF lead nothing: each is a character alone.
        { "0x80 alone", "a\x80" "b", 2, 2 },
        { "0xFF alone", "a\xFF" "b", 2, 2 },
        { "nothing", "", 4, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(GbkCutLength(c.text, c.maxBytes), c.length) << c.what;
}

} // namespace
