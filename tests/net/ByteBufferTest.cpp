#include "net/ByteBuffer.h"
#include "net/CritSec.h"
#include "platform/Bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using net::ByteBuffer;

TEST(ByteBuffer, GrowsInKibibytesAndNeverShrinks)
{
    ByteBuffer b;
    EXPECT_EQ(b.Capacity(), 0u);
    EXPECT_EQ(b.Data(), nullptr);
    std::string bytes(3000, 'x');
    b.Append(bytes.data(), bytes.size());
    EXPECT_EQ(b.Size(), 3000u);
    EXPECT_EQ(b.Capacity(), 3072u);
    b.Clear();
    EXPECT_EQ(b.Size(), 0u);
    EXPECT_EQ(b.Capacity(), 3072u);

    ByteBuffer fresh;
    fresh.Clear();
    EXPECT_EQ(fresh.Capacity(), 1024u);
}

// A message is joined piece by piece: if every piece made the buffer move to
// a block just big enough, joining would copy the whole message once per
// piece. Growth must multiply the capacity, so the number of moves grows
// with the logarithm of the size, and every byte must survive the moves.
TEST(ByteBuffer, AppendingManyPiecesGrowsGeometrically)
{
    const size_t pieceSizes[] = { 1, 60, 1024, 4060 };
    for (size_t pieceSize : pieceSizes) {
        ByteBuffer b;
        std::string piece(pieceSize, '\0');
        size_t growths = 0;
        size_t capacity = b.Capacity();
        const size_t total = size_t { 1 } << 20;
        for (size_t appended = 0; appended < total; appended += pieceSize) {
            for (size_t i = 0; i < pieceSize; ++i)
                piece[i] = static_cast<char>((appended + i) * 7);
            b.Append(piece.data(), pieceSize);
            if (b.Capacity() != capacity) {
                ++growths;
                capacity = b.Capacity();
            }
        }
        // 1 KiB to 1 MiB is ten doublings; allow the first allocation and
        // a growth factor a little under 2.
        EXPECT_LE(growths, 16u) << "pieces of " << pieceSize;
        EXPECT_LE(b.Capacity(), 2 * b.Size() + ByteBuffer::kGranularity) << "pieces of " << pieceSize;
        bool intact = true;
        for (size_t i = 0; i < b.Size() && intact; ++i)
            intact = *b.Data(i) == static_cast<uint8_t>(i * 7);
        EXPECT_TRUE(intact) << "pieces of " << pieceSize;
    }
}

TEST(ByteBuffer, PrependReadAndConsume)
{
    ByteBuffer b("world", 5);
    b.Prepend("hello ", 6);
    ASSERT_EQ(b.Size(), 11u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b.Data()), b.Size()), "hello world");

    char head[6] = {};
    EXPECT_EQ(b.Read(head, 6), 6u);
    EXPECT_EQ(std::string(head, 6), "hello ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b.Data()), b.Size()), "world");

    // More than held but within the capacity: everything held goes.
    EXPECT_EQ(b.Consume(100), 5u);
    EXPECT_EQ(b.Size(), 0u);

    // More than the capacity: nothing is taken.
    b.Append("abc", 3);
    EXPECT_EQ(b.Consume(b.Capacity() + 1), 0u);
    EXPECT_EQ(b.Size(), 3u);
}

TEST(ByteBuffer, LittleEndianWords)
{
    ByteBuffer b;
    b.AppendU32(0x11223344);
    b.PrependU32(0xA1B2C3D4);
    ASSERT_EQ(b.Size(), 8u);
    const uint8_t expect[] = { 0xD4, 0xC3, 0xB2, 0xA1, 0x44, 0x33, 0x22, 0x11 };
    EXPECT_EQ(0, memcmp(b.Data(), expect, 8));
    EXPECT_EQ(platform::LoadLe32(b.Data(4)), 0x11223344u);
}

TEST(CritSec, IsReentrantAndExcludesOtherThreads)
{
    net::CritSec section;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            net::CritSecLock outer(&section);
            net::CritSecLock inner(&section); // same thread enters again
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
}
