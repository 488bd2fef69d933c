#include "engine/text/TextStyle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace engine;

namespace {

// A style handed a view of its own face name (as re-selecting the current
// face does) keeps the name, and everything after it stays zero.
TEST(TextStyle, SetFaceTakesAViewOfItsOwnName)
{
    struct Case {
        const char* what;
        const char* face;
        size_t offset;
        size_t length;
        const char* expected;
    };
    const Case cases[] = {
        { "the whole name", "黑体", 0, std::string_view::npos, "黑体" },
        { "its tail", "ab黑体", 2, std::string_view::npos, "黑体" },
        { "its head", "黑体ab", 0, 4, "黑体" },
        { "nothing of it", "黑体", 0, 0, "" },
    };
    for (const Case& c : cases) {
        TextStyle style;
        style.SetFace(c.face);
        style.SetFace(style.Face().substr(c.offset, c.length));
        EXPECT_EQ(style.Face(), std::string_view(c.expected)) << c.what;
        const size_t end = style.Face().size();
        EXPECT_TRUE(std::all_of(style.face + end, style.face + kTextFaceBytes, [](char b) { return b == 0; }))
            << c.what;
    }
}

} // namespace
