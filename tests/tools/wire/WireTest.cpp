#include "tools/wire/WireCodec.h"
#include "tools/wire/WireFrames.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

using namespace tools;

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::string Unhex(std::string_view hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

TEST(WireCodec, AesMatchesThePublishedVectorAndPadsWithZeroBlocks)
{
    // FIPS-197 appendix C.1.
    std::string out;
    ASSERT_TRUE(AesDecryptBlocks(CountingKey(), Unhex("69c4e0d86a7b0430d8cdb78070b4c55a"), out));
    EXPECT_EQ(Hex(out), "00112233445566778899aabbccddeeff");

    struct Case {
        size_t in, out;
    };
    for (Case c : { Case { 0, 16 }, Case { 1, 16 }, Case { 15, 16 }, Case { 16, 32 }, Case { 17, 32 }, Case { 48, 64 } }) {
        std::string input(c.in, '\x5c');
        std::string cipher, plain;
        ASSERT_TRUE(AesEncryptZeroPadded(CountingKey(), input, cipher));
        EXPECT_EQ(cipher.size(), c.out) << c.in;
        ASSERT_TRUE(AesDecryptBlocks(CountingKey(), cipher, plain));
        EXPECT_EQ(plain.substr(0, c.in), input);
        EXPECT_EQ(plain.substr(c.in), std::string(c.out - c.in, '\0'));
    }
    EXPECT_FALSE(AesDecryptBlocks(CountingKey(), std::string(17, 'x'), out)) << "not whole blocks";
}

TEST(WireCodec, EmptyMessageCodesToEightyFourBytesInOneFrameOf144)
{
    PlainMessage m;
    m.head[1] = 201001;
    std::string plain = EncodePlain(m);
    ASSERT_EQ(plain.size(), 28u);
    std::string coded = EncodeStages(plain, StageOptions {});
    ASSERT_EQ(coded.size(), 84u);
    EXPECT_EQ(GetU32(coded, 0), kCipherStage);
    EXPECT_EQ(GetU32(coded, 4), 48u); // zip block: 16 + 4 + 28
    EXPECT_EQ(GetU32(coded, 16), 64u);
    std::string zipBlock;
    ASSERT_TRUE(AesDecryptBlocks(CountingKey(), coded.substr(20), zipBlock));
    EXPECT_EQ(GetU32(zipBlock, 0), 0u) << "zip off: stored";
    EXPECT_EQ(GetU32(zipBlock, 4), 28u);
    EXPECT_EQ(GetU32(zipBlock, 16), 28u);
    EXPECT_EQ(zipBlock.substr(20, 28), plain);

    std::vector<std::string_view> pieces = SplitPieces(coded, kMaxChunk);
    ASSERT_EQ(pieces.size(), 1u);
    FrameFields f;
    f.type = kFrameReply;
    f.sequence = 1;
    f.messageId = 1;
    EXPECT_EQ(BuildFrame(f, pieces[0], true).size(), 144u);

    std::string back, error;
    ASSERT_TRUE(DecodeStages(coded, CountingKey(), back, error)) << error;
    EXPECT_EQ(back, plain);
}

TEST(WireCodec, DecodingFollowsTheBlocksAndRefusesInconsistentOnes)
{
    PlainMessage m;
    m.head[1] = 7;
    m.body = std::string(300, 'q') + "tail";
    std::string plain = EncodePlain(m);
    for (bool cipher : { false, true }) {
        for (bool zip : { false, true }) {
            StageOptions o;
            o.cipher = cipher;
            o.zip = zip;
            std::string coded = EncodeStages(plain, o), back, error;
            EXPECT_EQ(GetU32(coded, 0), cipher ? kCipherStage : 0u);
            ASSERT_TRUE(DecodeStages(coded, CountingKey(), back, error)) << error;
            EXPECT_EQ(back, plain);
        }
    }
    std::string coded = EncodeStages(plain, StageOptions {});
    struct Bad {
        const char* what;
        std::string bytes;
    };
    std::string longer = coded + "x";
    std::string bigInput = coded;
    bigInput[4] = static_cast<char>(0xFF); // input length beyond the payload
    std::string reserved = coded;
    reserved[8] = 1;
    std::string flags = coded;
    flags[0] = 0x01; // 0x101: the cipher bit is missing once bit 8 clears
    flags[1] = 0x00;
    for (const Bad& b : { Bad { "stated length differs", longer }, Bad { "input length too large", bigInput },
             Bad { "reserved word", reserved }, Bad { "flags without the stage bit", flags },
             Bad { "short", coded.substr(0, 10) } }) {
        std::string back, error;
        EXPECT_FALSE(DecodeStages(b.bytes, CountingKey(), back, error)) << b.what;
        EXPECT_FALSE(error.empty()) << b.what;
    }
    AesKey other = CountingKey();
    other[0] = 0x55;
    std::string back, error;
    EXPECT_FALSE(DecodeStages(coded, other, back, error)) << "wrong key";
}

TEST(WireCodec, SyncFlushedStreamInflatesHereAndWithPlainZlib)
{
    std::string input;
    for (int i = 0; i < 50000; ++i)
        input += static_cast<char>('a' + i % 7);
    for (bool finish : { false, true }) {
        std::string packed, back;
        ASSERT_TRUE(Deflate(input, packed, finish));
        EXPECT_LT(packed.size(), input.size() / 10);
        // A sync flush ends with the empty stored block 00 00 ff ff.
        if (!finish) {
            EXPECT_EQ(Hex(packed.substr(packed.size() - 4)), "0000ffff");
        }
        ASSERT_TRUE(Inflate(packed, back));
        EXPECT_EQ(back, input);
    }
    // A stream cut short inflates to less than it should, and a block that
    // says so is refused.
    PlainMessage m;
    m.body = input;
    StageOptions zipOnly;
    zipOnly.cipher = false;
    zipOnly.zip = true;
    std::string coded = EncodeStages(EncodePlain(m), zipOnly);
    std::string back, error;
    ASSERT_TRUE(DecodeStages(coded, CountingKey(), back, error)) << error;
    EXPECT_FALSE(Inflate("not zlib at all", back));
}

TEST(WireFrames, CrcCoversTheWholeFrameAndReaderChecksIt)
{
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>("123456789"), 9), 0xCBF43926u);
    FrameFields f;
    f.sequence = 3;
    f.messageId = 2;
    std::string frame = BuildFrame(f, "piece", true);
    ASSERT_EQ(frame.size(), 65u);
    EXPECT_EQ(GetU32(frame, 0), 61u);
    EXPECT_EQ(GetU32(frame, 12), 1u); // flag
    EXPECT_EQ(GetU32(frame, 16), FrameCrc(frame));
    EXPECT_EQ(GetU32(frame, 56), 5u);

    // Every changed byte (L included) fails the check; the frame without a
    // flag passes with the same change.
    for (size_t at : { size_t(0), size_t(4), size_t(30), size_t(60), size_t(64) }) {
        std::string bad = frame;
        bad[at] = static_cast<char>(bad[at] ^ (at == 0 ? 0x01 : 0x10));
        FrameReader reader(false);
        reader.Feed(bad.data(), bad.size());
        ParsedFrame parsed;
        std::string hello, error;
        FrameReader::Result r = reader.Next(parsed, hello, error);
        EXPECT_TRUE(r == FrameReader::kError || r == FrameReader::kNeedMore) << at;
    }
    std::string noCrc = BuildFrame(f, "piece", false);
    noCrc[64] = 'X';
    FrameReader reader(false);
    reader.Feed(noCrc.data(), noCrc.size());
    ParsedFrame parsed;
    std::string hello, error;
    ASSERT_EQ(reader.Next(parsed, hello, error), FrameReader::kFrame) << error;
    EXPECT_EQ(parsed.piece, "piecX");
}

TEST(WireFrames, ReaderCutsFramesAcrossAnyBoundaryAndRefusesBadLengths)
{
    FrameFields f;
    std::string stream;
    PutU32(stream, 21);
    stream.append(GameHello());
    for (uint32_t i = 1; i <= 3; ++i) {
        f.sequence = i;
        f.messageId = i;
        stream += BuildFrame(f, std::string(i * 1000, static_cast<char>('0' + i)), true);
    }
    for (size_t step : { stream.size(), size_t(1), size_t(7), size_t(1000) }) {
        FrameReader reader(true);
        std::vector<ParsedFrame> frames;
        std::string hello;
        for (size_t at = 0; at < stream.size(); at += step) {
            reader.Feed(stream.data() + at, std::min(step, stream.size() - at));
            ParsedFrame frame;
            std::string h, error;
            FrameReader::Result r;
            while ((r = reader.Next(frame, h, error)) != FrameReader::kNeedMore) {
                ASSERT_NE(r, FrameReader::kError) << error;
                if (r == FrameReader::kHello)
                    hello = h;
                else
                    frames.push_back(frame);
            }
        }
        EXPECT_EQ(hello, GameHello()) << step;
        ASSERT_EQ(frames.size(), 3u) << step;
        EXPECT_EQ(frames[2].piece, std::string(3000, '3'));
        EXPECT_EQ(reader.Buffered(), 0u);
    }

    for (uint32_t length : { 0u, 24u, 56u, kMaxChunk + 57, 0x7FFFFFFFu, 0xFFFFFFFFu }) {
        std::string bad;
        PutU32(bad, length);
        FrameReader reader(false);
        reader.Feed(bad.data(), bad.size());
        ParsedFrame frame;
        std::string hello, error;
        EXPECT_EQ(reader.Next(frame, hello, error), FrameReader::kError) << length;
    }
    // A piece length that disagrees with L.
    f.sequence = 1;
    std::string lying = BuildFrame(f, "abc", false);
    lying[56] = 9;
    FrameReader reader(false);
    reader.Feed(lying.data(), lying.size());
    ParsedFrame frame;
    std::string hello, error;
    EXPECT_EQ(reader.Next(frame, hello, error), FrameReader::kError);
}

TEST(WireFrames, SplitPiecesAtTheChunkSize)
{
    struct Case {
        size_t length;
        std::vector<size_t> pieces;
    };
    for (const Case& c : { Case { 0, {} }, Case { 1, { 1 } }, Case { 4000, { 4000 } }, Case { 4001, { 4000, 1 } },
             Case { 8000, { 4000, 4000 } } }) {
        std::string coded(c.length, 'c');
        std::vector<size_t> sizes;
        for (std::string_view p : SplitPieces(coded, kMaxChunk))
            sizes.push_back(p.size());
        EXPECT_EQ(sizes, c.pieces) << c.length;
    }
}

} // namespace
