#include "platform/Bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

using platform::ByteReader;
using platform::ByteWriter;

namespace {

// The same eight bytes read at every width and in both orders: a swapped
// byte or a shift by the wrong amount changes at least one row.
TEST(Bytes, LoadsReadTheOrderTheirNameSays)
{
    const uint8_t bytes[8] = { 0x01, 0x82, 0x03, 0x84, 0x05, 0x86, 0x07, 0xF8 };
    EXPECT_EQ(platform::LoadLe16(bytes), 0x8201u);
    EXPECT_EQ(platform::LoadLe32(bytes), 0x84038201u);
    EXPECT_EQ(platform::LoadLe64(bytes), 0xF807860584038201ull);
    EXPECT_EQ(platform::LoadBe16(bytes), 0x0182u);
    EXPECT_EQ(platform::LoadBe32(bytes), 0x01820384u);
}

TEST(Bytes, StoresWriteWhatTheLoadsRead)
{
    struct Case {
        const char* name;
        size_t width;
        void (*store)(uint8_t*);
        std::array<uint8_t, 8> expect;
    };
    const Case cases[] = {
        { "le16", 2, [](uint8_t* p) { platform::StoreLe16(p, 0xA1B2); }, { 0xB2, 0xA1 } },
        { "le32", 4, [](uint8_t* p) { platform::StoreLe32(p, 0xA1B2C3D4); }, { 0xD4, 0xC3, 0xB2, 0xA1 } },
        { "le64", 8, [](uint8_t* p) { platform::StoreLe64(p, 0x0102030405060708ull); },
            { 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01 } },
        { "be32", 4, [](uint8_t* p) { platform::StoreBe32(p, 0xA1B2C3D4); }, { 0xA1, 0xB2, 0xC3, 0xD4 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<uint8_t, 10> out {};
        out.fill(0xEE);
        c.store(out.data() + 1);
        EXPECT_EQ(out[0], 0xEE);
        EXPECT_EQ(0, std::memcmp(out.data() + 1, c.expect.data(), c.width));
        EXPECT_EQ(out[1 + c.width], 0xEE) << "wrote past its field";
    }
}

TEST(ByteReader, ReadsFieldsByOffsetAndZeroPastTheEnd)
{
    const std::vector<uint8_t> body = { 0xFF, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0x00, 0x00, 'a', 'b', 0, 'c' };
    const ByteReader read(std::span<const uint8_t>(body.data(), body.size()));
    EXPECT_EQ(read.Int(0), -1);
    EXPECT_EQ(read.Word(4), 0x1234u);
    EXPECT_EQ(read.Half(4), 0x1234u);
    EXPECT_EQ(read.Byte(11), 'c');
    EXPECT_EQ(read.Long(0), 0x00001234FFFFFFFFull);
    EXPECT_EQ(read.Text(8, 4), "ab");
    EXPECT_EQ(read.Text(11, 4), "c"); // the body ends before the field does

    // Fields that start inside the body but end past it, and offsets whose
    // sum with the width would wrap, read as nothing.
    struct Overrun {
        size_t offset;
        size_t width;
    };
    const Overrun overruns[] = { { 9, 4 }, { 12, 1 }, { 11, 2 }, { 5, 8 }, { SIZE_MAX - 1, 4 }, { 4, SIZE_MAX } };
    for (const Overrun& o : overruns) {
        SCOPED_TRACE(testing::Message() << "offset " << o.offset << " width " << o.width);
        EXPECT_FALSE(read.Has(o.offset, o.width));
        EXPECT_TRUE(read.Bytes(o.offset, o.width).empty());
    }
    EXPECT_EQ(read.Int(9), 0);
    EXPECT_EQ(read.Half(11), 0u);
    EXPECT_EQ(read.Long(5), 0u);
    EXPECT_EQ(read.Byte(12), 0u);
    EXPECT_EQ(read.Text(12, 4), "");
    int ints[3] = { 7, 7, 7 };
    read.Ints(4, ints, 3);
    EXPECT_EQ(ints[0], 0x1234);
    EXPECT_EQ(ints[1], 0x63006261); // "ab\0c" read as an int
    EXPECT_EQ(ints[2], 0) << "an int past the end reads as 0";

    const ByteReader none(nullptr, 100);
    EXPECT_EQ(none.Size(), 0u);
    EXPECT_EQ(none.Int(0), 0);
}

TEST(ByteReader, CountFittingKeepsToTheBodyTheCountAndTheLimit)
{
    const std::vector<uint8_t> body(4 + 3 * 8);
    const ByteReader read(std::span<const uint8_t>(body.data(), body.size()));
    EXPECT_EQ(read.CountFitting(4, 8, 2, 10), 2u);
    EXPECT_EQ(read.CountFitting(4, 8, 5, 10), 3u) << "no more than the body holds whole";
    EXPECT_EQ(read.CountFitting(4, 8, 5, 1), 1u);
    EXPECT_EQ(read.CountFitting(4, 8, -1, 10), 0u);
    EXPECT_EQ(read.CountFitting(40, 8, 2, 10), 0u);
    EXPECT_EQ(read.CountFitting(4, 0, 2, 10), 0u);
}

TEST(ByteWriter, WritesWhatFitsAndNothingElse)
{
    std::array<uint8_t, 10> bytes {};
    const ByteWriter write(bytes);
    EXPECT_TRUE(write.Int(0, -2));
    EXPECT_TRUE(write.Half(4, 0x0102));
    EXPECT_TRUE(write.Byte(9, 0x7F));
    const std::array<uint8_t, 10> expect = { 0xFE, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0, 0, 0, 0x7F };
    EXPECT_EQ(bytes, expect);

    EXPECT_FALSE(write.Word(8, 0xFFFFFFFF));
    EXPECT_FALSE(write.Long(4, ~0ull));
    EXPECT_FALSE(write.Word(SIZE_MAX - 1, 1));
    const int ints[3] = { 1, 2, 3 };
    EXPECT_FALSE(write.Ints(2, ints, 3)) << "the last int would not fit";
    const uint8_t tail[3] = { 9, 9, 9 };
    EXPECT_FALSE(write.Bytes(8, tail));
    EXPECT_EQ(bytes, expect) << "a refused write leaves every byte as it was";

    EXPECT_TRUE(write.Ints(2, ints, 2));
    EXPECT_EQ(ByteReader(std::span<const uint8_t>(bytes)).Int(2), 1);
    EXPECT_EQ(ByteReader(std::span<const uint8_t>(bytes)).Int(6), 2);
}

// A record read and written back through the toolkit comes out byte for
// byte, whatever the host's own order.
TEST(Bytes, RecordFieldsRoundTrip)
{
    std::vector<uint8_t> record(16);
    const int fields[4] = { 0, -1, 0x7FFFFFFF, static_cast<int>(0x80000000u) };
    platform::StoreI32Array(record, 0, fields, 4);
    int back[4] = {};
    platform::LoadI32Array(record, 0, back, 4);
    EXPECT_EQ(0, std::memcmp(fields, back, sizeof back));
    EXPECT_EQ(record[8], 0xFF);
    EXPECT_EQ(record[11], 0x7F);
    EXPECT_EQ(platform::LoadI32(record, 12), static_cast<int>(0x80000000u));
    EXPECT_EQ(platform::LoadI32(record, 14), 0) << "a field past the record";
    EXPECT_EQ(platform::WrapAdd(0x7FFFFFFF, 1), static_cast<int32_t>(0x80000000u));
}

} // namespace
