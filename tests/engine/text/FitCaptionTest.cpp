#include "engine/text/FitCaption.h"

#include <gtest/gtest.h>

#include <string>

using namespace engine;

namespace {

TEST(FitCaption, ChoosesSizeSpacingAndLines)
{
    struct Case {
        const char* what;
        int width;
        int height;
        const char* text;
        int paddingX;
        int paddingY;
        int size;
        int charSpacing;
        int rowSpacing;
        Point at;
    };
    const Case cases[] = {
        // Four full-width characters in a square box take two lines of two.
        { "square box, two lines", 100, 100, "确定取消", 0, 0, 32, 2, 12, Point { 16, 12 } },
        { "wide box, one line", 200, 100, "确定取消", 0, 0, 40, 0, 0, Point { 20, 30 } },
        { "half-width text", 100, 40, "OK", 0, 0, 26, 26, 0, Point { 24, 7 } },
        { "padding given", 100, 40, "OK", 10, 5, 30, 24, 0, Point { 23, 5 } },
        // Bytes 0x80 and 0xFF are half-width characters like any letter.
        { "0x80 is half-width", 100, 40, "O\x80", 0, 0, 26, 26, 0, Point { 24, 7 } },
        { "0xFF is half-width", 100, 40, "O\xFF", 0, 0, 26, 26, 0, Point { 24, 7 } },
    };
    for (const Case& c : cases) {
        TextStyle style;
        std::string text = c.text;
        Point at = FitCaption(c.width, c.height, text, style, c.paddingX, c.paddingY);
        EXPECT_EQ(text, c.text) << c.what;
        EXPECT_EQ(style.size, c.size) << c.what;
        EXPECT_EQ(style.charSpacing, c.charSpacing) << c.what;
        EXPECT_EQ(style.rowSpacing, c.rowSpacing) << c.what;
        EXPECT_EQ(at, c.at) << c.what;
        EXPECT_EQ(style.leftMargin, at.x) << c.what;
    }
}

TEST(FitCaption, ShortensWhatDoesNotFit)
{
    struct Case {
        const char* what;
        int width;
        int height;
        std::string text;
        int forced;
        std::string expected;
    };
    const Case cases[] = {
        { "forced size too large: dots", 100, 40, "abcdefghij", 20, "abcdef.." },
        { "whole characters make way", 100, 40, "abcdef确定", 20, "abcdef.." },
        { "dots never split a character", 100, 40, "abcde确fgh", 18, "abcde确.." },
        { "nor one whose second byte is low", 100, 40, "abcde\x81\x40" "fgh", 18, "abcde\x81\x40.." },
        { "two bytes that never fit: empty", 20, 40, "确", 40, "" },
        { "three or four bytes: first character", 60, 40, "确ab", 40, "确" },
        { "0xFF is a character alone", 60, 40, "\xFF" "ab", 40, "\xFF" },
        { "fits: unchanged", 200, 40, "abcdefghij", 20, "abcdefghij" },
        // Without a forced size a long caption in a small box loses its end
        // until the size reaches the smallest readable one.
        { "small box", 60, 30, "abcdefghijklmnopqrstuvwxyz", 0, "abcdef.." },
    };
    for (const Case& c : cases) {
        TextStyle style;
        std::string text = c.text;
        FitCaption(c.width, c.height, text, style, 0, 0, c.forced);
        EXPECT_EQ(text, c.expected) << c.what;
    }
}

TEST(FitCaption, WorksOnAtMost255BytesCutOnACharacter)
{
    std::string chinese;
    for (int i = 0; i < 150; ++i)
        chinese += "确";
    TextStyle style;
    std::string text = chinese;
    FitCaption(4000, 40, text, style, 0, 0, 4);
    EXPECT_EQ(text.size(), 254u);
    EXPECT_EQ(text, chinese.substr(0, 254));

    text = "a" + chinese;
    FitCaption(4000, 40, text, style, 0, 0, 4);
    EXPECT_EQ(text.size(), 255u);
}

} // namespace
