#include "engine/core/FormatElapsed.h"
#include "engine/core/GrowableBuffer.h"
#include "engine/core/NameKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

using namespace engine;

namespace {

struct KeyCase {
    const char* name; // source text; GBK in the program
    uint32_t rs, js, x31;
};

} // namespace

// Reference values computed outside this code base from the GBK bytes.
TEST(NameKey, HashesAreBitExactOverGbkBytes)
{
    const KeyCase cases[] = {
        { "abc", 822160044u, 446371745u, 96354u },
        { "", 0u, 1315423911u, 0u },
        { "牌正面_71_96", 618954331u, 163875781u, 703390223u },
        { "btnThrow.imge", 781290838u, 613262519u, 683043462u },
        { "Snd_HitCard.sound", 673835312u, 760817527u, 293522446u },
        { "ScrollBar_VertBack", 2129041069u, 1252833439u, 16764945u },
    };
    // The source is compiled to GBK: the card name must be its 12 GBK bytes.
    ASSERT_EQ(std::string("牌正面_71_96"), std::string("\xC5\xC6\xD5\xFD\xC3\xE6_71_96"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NameKey key = MakeNameKey(c.name);
        EXPECT_EQ(key.rs, c.rs);
        EXPECT_EQ(key.js, c.js);
        EXPECT_EQ(key.x31, c.x31);
        EXPECT_EQ(NameHash(c.name), c.rs);
    }
    EXPECT_EQ(MakeNameKey(std::string("btnThrow") + ".imge"), MakeNameKey("btnThrow.imge"));
}

TEST(NameKey, HashStopsAtTheFirstZeroByte)
{
    std::string withZero("abc\0def", 7);
    EXPECT_EQ(MakeNameKey(withZero), MakeNameKey("abc"));
}

TEST(NameKey, OrdersWordByWordUnsigned)
{
    NameKey a { 1, 2, 3 };
    EXPECT_FALSE(NameKeyLess(a, a));
    EXPECT_TRUE(NameKeyLess(NameKey { 1, 2, 3 }, NameKey { 1, 2, 4 }));
    EXPECT_FALSE(NameKeyLess(NameKey { 1, 2, 4 }, NameKey { 1, 2, 3 }));
    EXPECT_TRUE(NameKeyLess(NameKey { 1, 2, 0xFFFFFFFF }, NameKey { 1, 3, 0 }));
    EXPECT_TRUE(NameKeyLess(NameKey { 0x7FFFFFFF, 9, 9 }, NameKey { 0x80000000u, 0, 0 }));

    std::map<NameKey, int, NameKeyOrder> byKey;
    byKey[MakeNameKey("a")] = 1;
    byKey[MakeNameKey("b")] = 2;
    byKey[MakeNameKey("a")] = 3;
    EXPECT_EQ(byKey.size(), 2u);
    EXPECT_EQ(byKey[MakeNameKey("a")], 3);
}

TEST(GrowableBuffer, GrowsBeforeItWouldFill)
{
    GrowableBuffer b;
    EXPECT_EQ(b.GetCapacity(), 32u);
    std::string bytes(31, 'a');
    EXPECT_EQ(b.Append(bytes.data(), 31), 31u);
    EXPECT_EQ(b.GetCapacity(), 32u);

    GrowableBuffer c;
    std::string full(32, 'b');
    c.Append(full.data(), 32);
    EXPECT_EQ(c.GetCapacity(), 64u);
    EXPECT_EQ(0, std::memcmp(c.GetData(), full.data(), 32));
    EXPECT_NE(c.PointerAt(c.GetSize()), nullptr);
    EXPECT_EQ(c.PointerAt(c.GetSize() + 1), nullptr);

    c.Reset();
    EXPECT_EQ(c.GetSize(), 0u);
    EXPECT_EQ(c.GetCapacity(), 64u);
    EXPECT_EQ(c.GetData()[0], 0);
}

// Seeking back and appending overwrites in place; a skip past the end stops
// at the end, so nothing is written outside the data or counted twice.
TEST(GrowableBuffer, CursorStaysInsideTheData)
{
    GrowableBuffer b;
    b.Append("0123456789", 10);
    b.Seek(4);
    EXPECT_EQ(b.Append("ab", 2), 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize()), "0123ab6789");

    b.Seek(8);
    EXPECT_EQ(b.Append("XYZ", 3), 11u); // two overwritten, one past the old end
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize()), "0123ab67XYZ");

    b.Seek(1000);
    EXPECT_EQ(b.GetCursorOffset(), 11u);
    b.Seek(2);
    b.Skip(1000000);
    EXPECT_EQ(b.GetCursorOffset(), 11u);
    b.Skip(SIZE_MAX);
    EXPECT_EQ(b.GetCursorOffset(), 11u);

    // Growth while the cursor is back keeps the cursor where it was.
    b.Seek(3);
    std::string big(100, 'q');
    EXPECT_EQ(b.Append(big.data(), big.size()), 103u);
    EXPECT_EQ(b.GetCursorOffset(), 103u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.GetData()), 3), "012");
    EXPECT_GE(b.GetCapacity(), 104u);
}

TEST(FormatElapsed, MinutesUpToOneHourThenHours)
{
    const std::pair<uint32_t, const char*> cases[] = {
        { 0, "00:00" },
        { 59999, "00:59" },
        { 61000, "01:01" },
        { 3600000, "60:00" },
        { 3600001, "01:00:00" },
        { 360000000, "100:00:00" },
        { 0xFFFFFFFFu, "1193:02:47" },
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(FormatElapsed(ms), text) << ms;
}
