#include "net/MessageCodec.h"

#include "net/Aes.h"
#include "net/ZipStream.h"
#include "platform/Bytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

using net::ByteBuffer;
using net::kCipherAes;
using net::kCodecDecode;
using net::kCodecEncode;
using net::kZipZlib;
using platform::LoadLe32;
using net::MessageCodec;
using platform::StoreLe32;

namespace {

const uint8_t kKey[16] = { 0x3A, 0x91, 0x0C, 0x55, 0xE2, 0x17, 0x68, 0xB4, 0x09, 0xCD, 0x7F, 0x20, 0x86, 0x4B, 0xF1, 0x3E };

std::vector<uint8_t> Bytes(const ByteBuffer& b)
{
    return b.Size() ? std::vector<uint8_t>(b.Data(), b.Data() + b.Size()) : std::vector<uint8_t>();
}

ByteBuffer FromBytes(const std::vector<uint8_t>& bytes)
{
    return ByteBuffer(bytes.data(), bytes.size());
}

// A message's plain form: 24-byte head (zero but the message id), the body
// length, the body.
std::vector<uint8_t> PlainForm(uint32_t id, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> plain(28 + body.size(), 0);
    platform::StoreLe32(plain.data() + 4, id);
    platform::StoreLe32(plain.data() + 24, static_cast<uint32_t>(body.size()));
    std::copy(body.begin(), body.end(), plain.begin() + 28);
    return plain;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

// Text-like bytes that compress well but not trivially.
std::vector<uint8_t> Chatter(size_t n)
{
    static const char* const words[] = { "出牌 ", "bomb ", "friend ", "5-10-K ", "确定 ", "pass " };
    std::mt19937 random(7);
    std::vector<uint8_t> bytes;
    while (bytes.size() < n) {
        const char* w = words[random() % 6];
        bytes.insert(bytes.end(), w, w + std::strlen(w));
    }
    bytes.resize(n);
    return bytes;
}

struct Head {
    uint32_t flags, input, zero1, zero2, payload;
};

Head ReadHead(const ByteBuffer& b)
{
    const uint8_t* p = b.Data();
    return { platform::LoadLe32(p), platform::LoadLe32(p + 4), platform::LoadLe32(p + 8), platform::LoadLe32(p + 12), platform::LoadLe32(p + 16) };
}

// Plain zlib inflate, as any other peer would run it.
std::vector<uint8_t> ZlibInflate(const uint8_t* data, size_t n)
{
    z_stream zs {};
    EXPECT_EQ(inflateInit(&zs), Z_OK);
    std::vector<uint8_t> out;
    uint8_t window[1000];
    zs.next_in = const_cast<uint8_t*>(data);
    zs.avail_in = static_cast<uInt>(n);
    int result;
    do {
        zs.next_out = window;
        zs.avail_out = sizeof window;
        result = inflate(&zs, Z_SYNC_FLUSH);
        out.insert(out.end(), window, window + (sizeof window - zs.avail_out));
    } while (result == Z_OK && (zs.avail_in > 0 || zs.avail_out == 0));
    EXPECT_TRUE(result == Z_OK || result == Z_BUF_ERROR) << result;
    inflateEnd(&zs);
    return out;
}

std::vector<uint8_t> ZlibFinished(const std::vector<uint8_t>& data)
{
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(n);
    EXPECT_EQ(compress2(out.data(), &n, data.data(), static_cast<uLong>(data.size()), 9), Z_OK);
    out.resize(n);
    return out;
}

} // namespace

TEST(MessageCodec, EmptyBodyMessageSizes)
{
    const auto plain = PlainForm(201001, {});
    ASSERT_EQ(plain.size(), 28u);
    MessageCodec codec(kKey, 128, kCipherAes, 0);
    ByteBuffer b = FromBytes(plain);

    ASSERT_EQ(codec.ZipStage(b, kCodecEncode), 1);
    ASSERT_EQ(b.Size(), 48u);
    Head zip = ReadHead(b);
    EXPECT_EQ(zip.flags, 0u);
    EXPECT_EQ(zip.input, 28u);
    EXPECT_EQ(zip.payload, 28u);

    ASSERT_EQ(codec.CipherStage(b, kCodecEncode), 1);
    ASSERT_EQ(b.Size(), 84u);
    Head cipher = ReadHead(b);
    EXPECT_EQ(cipher.flags, kCipherAes);
    EXPECT_EQ(cipher.input, 48u);
    EXPECT_EQ(cipher.zero1 | cipher.zero2, 0u);
    EXPECT_EQ(cipher.payload, 64u);

    ASSERT_EQ(codec.Process(b, kCodecDecode), 1);
    EXPECT_EQ(Bytes(b), plain);
}

TEST(MessageCodec, CipherStageAddsOneBlockBeyondTheLastPartialOrWholeBlock)
{
    MessageCodec codec(kKey, 128, kCipherAes, 0);
    for (size_t n : { 0, 1, 15, 16, 17, 31, 32, 48, 160, 1000 }) {
        SCOPED_TRACE(n);
        const auto input = RandomBytes(n, static_cast<uint32_t>(n));
        ByteBuffer b = FromBytes(input);
        ASSERT_EQ(codec.CipherStage(b, kCodecEncode), 1);
        const size_t expect = n - n % 16 + 16;
        EXPECT_EQ(b.Size(), 20 + expect);
        EXPECT_EQ(ReadHead(b).payload, expect);
        EXPECT_EQ(ReadHead(b).input, n);
        ASSERT_EQ(codec.CipherStage(b, kCodecDecode), 1);
        EXPECT_EQ(Bytes(b), input);
    }
}

// A decoder follows the blocks: stored blocks pass through whatever its own
// flags say, applied stages are undone even when its own flags are off.
TEST(MessageCodec, DecoderFollowsTheBlocksNotItsOwnFlags)
{
    struct Flags {
        uint32_t cipher, zip;
    };
    const Flags settings[] = { { 0, 0 }, { kCipherAes, 0 }, { 0, kZipZlib }, { kCipherAes, kZipZlib } };
    const std::vector<uint8_t> messages[] = { PlainForm(7, {}), PlainForm(9, Chatter(5000)),
        PlainForm(11, RandomBytes(70000, 3)) };
    for (const Flags& sender : settings) {
        for (const Flags& receiver : settings) {
            for (const auto& plain : messages) {
                SCOPED_TRACE(testing::Message() << std::hex << "sender " << sender.cipher << "/" << sender.zip
                                                << ", receiver " << receiver.cipher << "/" << receiver.zip
                                                << std::dec << ", size " << plain.size());
                MessageCodec encoder(kKey, 128, sender.cipher, sender.zip);
                MessageCodec decoder(kKey, 128, receiver.cipher, receiver.zip);
                ByteBuffer b = FromBytes(plain);
                ASSERT_EQ(encoder.Process(b, kCodecEncode), 1);
                EXPECT_EQ(ReadHead(b).flags, sender.cipher);
                ASSERT_EQ(decoder.Process(b, kCodecDecode), 1);
                EXPECT_EQ(Bytes(b), plain);
            }
        }
    }
}

TEST(MessageCodec, ZipWordWithoutTheZlibBitStores)
{
    struct Case {
        uint32_t zipFlags;
        bool compresses;
    };
    const Case cases[] = {
        { 0x0, false },
        { 0x1, false },
        { 0x2, false },
        { 0x200, false },
        { kCipherAes, false },
        { kZipZlib, true },
        { kZipZlib | kCodecEncode, true },
        { kZipZlib | kCodecDecode, true },
    };
    const auto plain = PlainForm(3, Chatter(4000));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.zipFlags);
        MessageCodec codec(kKey, 128, 0, c.zipFlags);
        ByteBuffer b = FromBytes(plain);
        ASSERT_EQ(codec.ZipStage(b, kCodecEncode), 1);
        Head head = ReadHead(b);
        EXPECT_EQ(head.input, plain.size());
        if (c.compresses) {
            EXPECT_EQ(head.flags, c.zipFlags);
            EXPECT_LT(head.payload, plain.size() / 2);
        } else {
            EXPECT_EQ(head.flags, 0u);
            EXPECT_EQ(std::vector<uint8_t>(b.Data(20), b.Data(20) + head.payload), plain);
        }
        EXPECT_EQ(b.Size(), 20 + head.payload);
        MessageCodec plainDecoder(kKey, 128, 0, 0);
        ASSERT_EQ(plainDecoder.ZipStage(b, kCodecDecode), 1);
        EXPECT_EQ(Bytes(b), plain);
    }
}

// Every length in a received block is checked against the bytes present; a
// block that fails leaves the buffer as it was.
TEST(MessageCodec, BlocksWhoseLengthsLieFailDecoding)
{
    struct Case {
        const char* what;
        bool cipherOn; // which stage's block is edited (the other is off)
        void (*edit)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        { "cipher payload length one more", true, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 16, platform::LoadLe32(b.data() + 16) + 1); } },
        { "cipher payload length one less", true, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 16, platform::LoadLe32(b.data() + 16) - 1); } },
        { "cipher payload length huge", true, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 16, 0xFFFFFFFF); } },
        { "cipher input length beyond payload", true, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 4, platform::LoadLe32(b.data() + 16) + 1); } },
        { "cipher input length huge", true, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 4, 0xFFFFFFF0); } },
        { "cipher payload cut short", true, [](std::vector<uint8_t>& b) { b.pop_back(); } },
        { "cipher payload with a byte more", true, [](std::vector<uint8_t>& b) { b.push_back(0); } },
        { "cipher input ends in a partial block", true,
            [](std::vector<uint8_t>& b) {
                b.resize(b.size() - 8);
                platform::StoreLe32(b.data() + 16, static_cast<uint32_t>(b.size() - 20));
                platform::StoreLe32(b.data() + 4, static_cast<uint32_t>(b.size() - 20));
            } },
        { "cipher flags without the AES bit", true, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data(), 0x200); } },
        { "cipher head cut", true, [](std::vector<uint8_t>& b) { b.resize(19); } },
        { "nothing at all", true, [](std::vector<uint8_t>& b) { b.clear(); } },
        { "zip payload length one more", false, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 16, platform::LoadLe32(b.data() + 16) + 1); } },
        { "zip payload length one less", false, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 16, platform::LoadLe32(b.data() + 16) - 1); } },
        { "zip input length one more", false, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 4, platform::LoadLe32(b.data() + 4) + 1); } },
        { "zip input length one less", false, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 4, platform::LoadLe32(b.data() + 4) - 1); } },
        { "zip input length beyond the cap", false, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data() + 4, 0xFFFFFFFF); } },
        { "zip stream cut short", false,
            [](std::vector<uint8_t>& b) {
                b.resize(b.size() - 30);
                platform::StoreLe32(b.data() + 16, static_cast<uint32_t>(b.size() - 20));
            } },
        { "zip stream corrupt", false, [](std::vector<uint8_t>& b) { b[20] ^= 0xFF; } },
        { "zip flags without the zlib bit", false, [](std::vector<uint8_t>& b) { platform::StoreLe32(b.data(), 0x200); } },
        { "stored payload length one more", true,
            [](std::vector<uint8_t>& b) {
                // Replace the whole thing by a stored block that lies.
                std::vector<uint8_t> stored(20 + 10, 0);
                platform::StoreLe32(stored.data() + 4, 10);
                platform::StoreLe32(stored.data() + 16, 11);
                b = stored;
            } },
        { "stored input length differs", true,
            [](std::vector<uint8_t>& b) {
                std::vector<uint8_t> stored(20 + 10, 0);
                platform::StoreLe32(stored.data() + 4, 9);
                platform::StoreLe32(stored.data() + 16, 10);
                b = stored;
            } },
    };
    const auto plain = PlainForm(42, Chatter(3000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageCodec codec(kKey, 128, c.cipherOn ? kCipherAes : 0, c.cipherOn ? 0 : kZipZlib);
        ByteBuffer coded = FromBytes(plain);
        ASSERT_EQ(c.cipherOn ? codec.CipherStage(coded, kCodecEncode) : codec.ZipStage(coded, kCodecEncode), 1);
        auto bytes = Bytes(coded);
        c.edit(bytes);
        ByteBuffer b = FromBytes(bytes);
        EXPECT_EQ(c.cipherOn ? codec.CipherStage(b, kCodecDecode) : codec.ZipStage(b, kCodecDecode), 0);
        EXPECT_EQ(Bytes(b), bytes);
    }
}

TEST(MessageCodec, InflatedSizeIsCapped)
{
    ASSERT_EQ(net::kMaxInflatedBytes, 16u * 1024 * 1024);
    struct Case {
        size_t size;
        bool decodes;
    };
    const Case cases[] = { { net::kMaxInflatedBytes, true }, { net::kMaxInflatedBytes + 1, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const auto stream = ZlibFinished(std::vector<uint8_t>(c.size, 0));
        std::vector<uint8_t> sink;
        EXPECT_EQ(net::InflateBuffer(sink, stream.data(), stream.size()), c.decodes ? 1 : 0);

        // The same stream as a peer's zip block claiming the true size.
        std::vector<uint8_t> block(20, 0);
        platform::StoreLe32(block.data(), kZipZlib);
        platform::StoreLe32(block.data() + 4, static_cast<uint32_t>(c.size));
        platform::StoreLe32(block.data() + 16, static_cast<uint32_t>(stream.size()));
        block.insert(block.end(), stream.begin(), stream.end());
        ByteBuffer b = FromBytes(block);
        MessageCodec codec(kKey, 128, 0, 0);
        ASSERT_EQ(codec.ZipStage(b, kCodecDecode), c.decodes ? 1 : 0);
        EXPECT_EQ(b.Size(), c.decodes ? c.size : block.size());
    }
}

// Our streams end in a sync flush, without an end block; any inflater must
// take them, and ours must take finished streams too.
TEST(ZipStream, SyncFlushedStreamsInflateHereAndWithPlainZlib)
{
    std::vector<uint8_t> mixed = Chatter(100000);
    const auto noise = RandomBytes(50000, 11);
    mixed.insert(mixed.begin() + 40000, noise.begin(), noise.end());
    const std::vector<uint8_t> inputs[] = {
        { 'x' },
        Chatter(100),
        Chatter(32768),
        RandomBytes(32769, 5),
        std::vector<uint8_t>(300000, 0),
        mixed,
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.size());
        std::vector<uint8_t> packed;
        ASSERT_EQ(net::ZipCompress(input.data(), input.size(), packed), 1);
        ASSERT_GE(packed.size(), 6u);
        EXPECT_EQ(packed[0], 0x78); // zlib header
        const uint8_t marker[] = { 0x00, 0x00, 0xFF, 0xFF };
        EXPECT_EQ(0, std::memcmp(packed.data() + packed.size() - 4, marker, 4));

        EXPECT_EQ(ZlibInflate(packed.data(), packed.size()), input);
        std::vector<uint8_t> unpacked;
        ASSERT_EQ(net::ZipDecompress(packed.data(), packed.size(), unpacked), 1);
        EXPECT_EQ(unpacked, input);

        const auto finished = ZlibFinished(input);
        ASSERT_EQ(net::ZipDecompress(finished.data(), finished.size(), unpacked), 1);
        EXPECT_EQ(unpacked, input);
    }
}

// Hands a stream over in pieces of chosen sizes.
class PiecewiseReader final : public net::StreamReader {
public:
    PiecewiseReader(const std::vector<uint8_t>& data, std::vector<size_t> pieces)
        : m_data(data)
        , m_pieces(std::move(pieces))
    {
    }
    bool Read(void* destination, size_t capacity, size_t* countOut) override
    {
        size_t n = std::min(capacity, m_data.size() - m_position);
        if (m_next < m_pieces.size())
            n = std::min(n, m_pieces[m_next++]);
        std::memcpy(destination, m_data.data() + m_position, n);
        m_position += n;
        *countOut = n;
        return true;
    }

private:
    const std::vector<uint8_t>& m_data;
    std::vector<size_t> m_pieces;
    size_t m_position = 0;
    size_t m_next = 0;
};

// A read block that ends exactly where the output window fills up leaves
// inflate nothing to do on the next call; the stream must go on with the next
// block instead of ending there.
TEST(ZipStream, InflateGoesOnAfterABlockThatFilledTheWindowExactly)
{
    const std::vector<uint8_t> first(net::InflateStream::kWindow, 'a');
    const auto second = Chatter(5000);
    z_stream zs {};
    ASSERT_EQ(deflateInit(&zs, Z_DEFAULT_COMPRESSION), Z_OK);
    std::vector<uint8_t> stream(100000);
    zs.next_out = stream.data();
    zs.avail_out = static_cast<uInt>(stream.size());
    zs.next_in = const_cast<uint8_t*>(first.data());
    zs.avail_in = static_cast<uInt>(first.size());
    ASSERT_EQ(deflate(&zs, Z_SYNC_FLUSH), Z_OK);
    const size_t firstPiece = zs.total_out;
    zs.next_in = const_cast<uint8_t*>(second.data());
    zs.avail_in = static_cast<uInt>(second.size());
    ASSERT_EQ(deflate(&zs, Z_SYNC_FLUSH), Z_OK);
    stream.resize(zs.total_out);
    deflateEnd(&zs);

    PiecewiseReader reader(stream, { firstPiece });
    std::vector<uint8_t> out;
    net::ByteArrayWriter writer(out);
    EXPECT_TRUE(net::InflateStream().Run(reader, writer));
    std::vector<uint8_t> expect = first;
    expect.insert(expect.end(), second.begin(), second.end());
    EXPECT_EQ(out, expect);
}

TEST(ZipStream, NothingInOrGarbageInFails)
{
    std::vector<uint8_t> out;
    EXPECT_EQ(net::ZipCompress(nullptr, 0, out), 0);
    EXPECT_EQ(net::ZipDecompress(nullptr, 0, out), 0);
    const auto garbage = RandomBytes(500, 1);
    EXPECT_EQ(net::ZipDecompress(garbage.data(), garbage.size(), out), 0);
    EXPECT_TRUE(out.empty());
    // A valid stream followed by corruption: what came before is not enough.
    auto packed = ZlibFinished(RandomBytes(20000, 2));
    packed[packed.size() / 2] ^= 0x55;
    EXPECT_EQ(net::ZipDecompress(packed.data(), packed.size(), out), 0);
}

TEST(MessageCodec, DirectionsAndParameters)
{
    MessageCodec codec(kKey, 128, kCipherAes, 0);
    const auto plain = PlainForm(1, {});
    for (uint32_t direction : { 0u, 3u, 4u, 0x100u }) {
        SCOPED_TRACE(direction);
        ByteBuffer b = FromBytes(plain);
        EXPECT_EQ(codec.Process(b, direction), 0);
    }
    ByteBuffer b = FromBytes(plain);
    EXPECT_EQ(codec.ZipStage(b, 0), 0);
    EXPECT_EQ(codec.CipherStage(b, 0x100), 0);
    EXPECT_EQ(Bytes(b), plain);

    // Encoding needs a cipher word with the AES bit, a key and key bits with
    // an AES variant.
    struct Case {
        const uint8_t* key;
        int keyBits;
        uint32_t cipherFlags;
        int result;
    };
    const uint8_t longKey[32] = { 9 };
    const Case cases[] = {
        { kKey, 128, kCipherAes, 1 },
        { kKey, 100, kCipherAes, 1 },
        { longKey, 192, kCipherAes, 1 },
        { longKey, 256, kCipherAes | kCodecDecode, 1 },
        { kKey, 128, 0x200, 0 },
        { kKey, 0, kCipherAes, 0 },
        { kKey, 160, kCipherAes, 0 },
        { nullptr, 128, kCipherAes, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keyBits << " " << std::hex << c.cipherFlags);
        EXPECT_EQ(codec.SetParams(c.key, c.keyBits, c.cipherFlags, 0), 1);
        ByteBuffer coded = FromBytes(plain);
        ASSERT_EQ(codec.Process(coded, kCodecEncode), c.result);
        if (c.result) {
            ASSERT_EQ(codec.Process(coded, kCodecDecode), 1);
            EXPECT_EQ(Bytes(coded), plain);
        }
    }
}

TEST(MessageCodec, WrongKeyDoesNotDecode)
{
    MessageCodec encoder(kKey, 128, kCipherAes, kZipZlib);
    uint8_t otherKey[16];
    std::memcpy(otherKey, kKey, 16);
    otherKey[15] ^= 1;
    MessageCodec decoder(otherKey, 128, kCipherAes, kZipZlib);
    ByteBuffer b = FromBytes(PlainForm(5, Chatter(2000)));
    ASSERT_EQ(encoder.Process(b, kCodecEncode), 1);
    EXPECT_EQ(decoder.Process(b, kCodecDecode), 0);
}

TEST(CipherTransform, LengthsDirectionsAndFlags)
{
    net::CipherTransform transform;
    const auto input = RandomBytes(40, 9);
    size_t length = 0;

    // The length is reported in every call, even one that is refused.
    EXPECT_EQ(transform.Transform(kKey, 128, input.data(), 40, nullptr, &length, 0x200), 0);
    EXPECT_EQ(length, 48u);
    EXPECT_EQ(transform.Transform(kKey, 128, input.data(), 32, nullptr, &length, 0x100), 1);
    EXPECT_EQ(length, 48u);

    std::vector<uint8_t> sealed(48, 0xEE);
    EXPECT_EQ(transform.Transform(kKey, 128, input.data(), 40, sealed.data(), &length, kCipherAes), 0);
    EXPECT_EQ(transform.Transform(kKey, 129, input.data(), 40, sealed.data(), &length, 0x101), 0);
    ASSERT_EQ(transform.Transform(kKey, 128, input.data(), 40, sealed.data(), &length, 0x101), 1);

    // Decrypting a partial block: whole blocks decrypted, the rest zero.
    std::vector<uint8_t> opened(48, 0xEE);
    ASSERT_EQ(transform.Transform(kKey, 128, sealed.data(), 40, opened.data(), &length, 0x102), 1);
    EXPECT_EQ(length, 48u);
    EXPECT_EQ(std::vector<uint8_t>(opened.begin(), opened.begin() + 32),
        std::vector<uint8_t>(input.begin(), input.begin() + 32));
    EXPECT_EQ(std::vector<uint8_t>(opened.begin() + 32, opened.end()), std::vector<uint8_t>(16, 0));

    std::vector<uint8_t> whole(64);
    ASSERT_EQ(transform.Transform(kKey, 128, sealed.data(), 48, whole.data(), &length, 0x102), 1);
    EXPECT_EQ(std::vector<uint8_t>(whole.begin(), whole.begin() + 40), input);
    EXPECT_EQ(std::vector<uint8_t>(whole.begin() + 40, whole.end()), std::vector<uint8_t>(24, 0));
}

TEST(MessageCodec, TransformFileRoundTripsChunks)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(testing::TempDir()) / ("codec-file-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const auto original = RandomBytes(100, 4);
    {
        std::ofstream(dir / "plain", std::ios::binary).write(reinterpret_cast<const char*>(original.data()), 100);
    }
    auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };

    MessageCodec codec(kKey, 128, kCipherAes, 0);
    ASSERT_EQ(codec.TransformFile(dir / "plain", dir / "sealed", 32, kCodecEncode), 1);
    // Chunks of 32, 32, 32 and 4 bytes: each its own block of 20 + 48 or 20 + 16.
    EXPECT_EQ(read(dir / "sealed").size(), 3u * 68 + 36);
    ASSERT_EQ(codec.TransformFile(dir / "sealed", dir / "opened", 68, kCodecDecode), 1);
    EXPECT_EQ(read(dir / "opened"), original);

    // Chunks that do not line up with the blocks fail instead of writing junk.
    EXPECT_EQ(codec.TransformFile(dir / "sealed", dir / "junk", 50, kCodecDecode), 0);
    EXPECT_EQ(codec.TransformFile(dir / "missing", dir / "out", 32, kCodecEncode), 0);
    EXPECT_EQ(codec.TransformFile(dir / "plain", dir / "no-such-dir" / "out", 32, kCodecEncode), 0);
    EXPECT_EQ(codec.TransformFile(dir / "plain", dir / "out", 0, kCodecEncode), 0);
    fs::remove_all(dir);
}
