// printf-style formatting into a string: whole at any length, GBK bytes
// kept as they are.

#include "frame/core/FormatLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using frame::FormatLine;

TEST(FormatLine, FormatsWholeAtAnyLength)
{
    EXPECT_EQ(FormatLine("%s 已经离开，旁观结束。", "玩家甲"), "玩家甲 已经离开，旁观结束。");
    EXPECT_EQ(FormatLine("Character%dType%d", 3, 1), "Character3Type1");
    EXPECT_EQ(FormatLine("%s", ""), "");
    // Longer than any fixed buffer a caller might have chosen.
    const std::string name(3000, 'n');
    EXPECT_EQ(FormatLine("<%s>", name.c_str()), "<" + name + ">");
}

} // namespace
