#include "engine/core/EngineFiles.h"
#include "engine/core/PictureData.h"
#include "engine/core/ZlibCodec.h"
#include "engine/modules/PpsCodec.h"
#include "platform/Bytes.h"
#include "tests/engine/core/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using engine::PictureData;
using Bytes = std::vector<uint8_t>;

Bytes Repeat(size_t n, uint8_t value)
{
    return Bytes(n, value);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(PpsRunLength, EncodesHandMadeStreams)
{
    Bytes distinct64(64);
    for (size_t i = 0; i < 64; ++i)
        distinct64[i] = static_cast<uint8_t>(i * 3);
    struct Case {
        const char* name;
        Bytes samples;
        int sampleSize;
        Bytes code;
    };
    const Case cases[] = {
        { "run of three, literal of one", { 7, 7, 7, 9 }, 1, { 0x0C, 0x07, 0x05, 0x09 } },
        { "single sample", { 42 }, 1, { 0x05, 42 } },
        { "two runs side by side", { 7, 7, 8, 8 }, 1, { 0x08, 0x07, 0x08, 0x08 } },
        { "literal, run, literal", { 1, 2, 5, 5, 3 }, 1, { 0x09, 1, 2, 0x08, 5, 0x05, 3 } },
        { "16384 equal bytes", Repeat(16384, 0xAB), 1, { 0xFE, 0xFF, 0xAB, 0x04, 0xAB } },
        { "64 distinct bytes", distinct64, 1, Concat({ { 0x03, 0x01 }, distinct64 }) },
        { "63 equal bytes stay short", Repeat(63, 1), 1, { 0xFC, 1 } },
        { "64 equal bytes go long", Repeat(64, 1), 1, { 0x02, 0x01, 1 } },
        { "24-bit run and literal", { 1, 2, 3, 1, 2, 3, 4, 5, 6 }, 3, { 0x08, 1, 2, 3, 0x05, 4, 5, 6 } },
        { "24-bit samples differing in one byte", { 1, 2, 3, 1, 2, 4 }, 3, { 0x09, 1, 2, 3, 1, 2, 4 } },
        { "empty", {}, 1, {} },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(engine::RleEncode(c.samples.data(), c.samples.size(), c.sampleSize), c.code) << c.name;
        Bytes back(c.samples.size(), 0xEE);
        EXPECT_TRUE(engine::RleDecode(c.code.data(), c.code.size(), c.sampleSize, back.data(), back.size())) << c.name;
        EXPECT_EQ(back, c.samples) << c.name;
    }
}

TEST(PpsRunLength, RefusesBadStreams)
{
    struct Case {
        const char* name;
        Bytes code;
        int sampleSize;
        size_t expected;
    };
    const Case cases[] = {
        { "long form cut after its control byte", { 0x02 }, 1, 64 },
        { "run without its sample", { 0x0C }, 1, 3 },
        { "24-bit run with a cut sample", { 0x08, 1, 2 }, 3, 6 },
        { "literal cut short", { 0x0D, 1, 2 }, 1, 3 },
        { "run past the plane", { 0x0C, 7 }, 1, 2 },
        { "long run past the plane", { 0xFE, 0xFF, 7 }, 1, 100 },
        { "plane left unfilled", { 0x08, 7 }, 1, 3 },
        { "stream after the plane is full", { 0x08, 7, 0x04, 7 }, 1, 2 },
    };
    for (const Case& c : cases) {
        Bytes out(c.expected + 16, 0xEE);
        EXPECT_FALSE(engine::RleDecode(c.code.data(), c.code.size(), c.sampleSize, out.data(), c.expected)) << c.name;
        for (size_t i = c.expected; i < out.size(); ++i)
            ASSERT_EQ(out[i], 0xEE) << c.name << ": wrote past the plane";
    }
}

// A picture with varied pixels: runs, noise and gradients so that every
// code path gets used.
PictureData MakePicture(uint32_t flags, int w, int h, int frames, uint32_t seed)
{
    PictureData p;
    p.flags = flags;
    p.frameWidth = static_cast<uint16_t>(w);
    p.frameHeight = static_cast<uint16_t>(h);
    p.frameCount = static_cast<uint16_t>(frames);
    std::mt19937 random(seed);
    bool palette = flags & (engine::kPicturePalette | engine::kPicturePalette32);
    bool alpha = flags & engine::kPictureAlpha;
    size_t bpp = palette ? (alpha ? 2 : 1) : 4;
    p.pixels.resize(static_cast<size_t>(w) * h * frames * bpp);
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < w * h; ++i) {
            uint8_t* px = &p.pixels[(static_cast<size_t>(f) * w * h + i) * bpp];
            // The left half is flat, the right half noisy; later frames move
            // a few pixels only.
            bool flat = (i % w) < w / 2;
            uint32_t v = flat ? 0x30405060u : random();
            if (f > 0 && i % 17 != 0) {
                std::memcpy(px, px - static_cast<size_t>(w) * h * bpp, bpp);
                continue;
            }
            for (size_t b = 0; b < bpp; ++b)
                px[b] = static_cast<uint8_t>(v >> (8 * b));
            if (!palette && !alpha)
                px[3] = 255; // a picture without an alpha plane is opaque
        }
    }
    if (flags & engine::kPicturePalette) {
        p.paletteCount = 256;
        p.palette.resize(256 * 3);
        for (size_t i = 0; i < p.palette.size(); ++i)
            p.palette[i] = static_cast<uint8_t>(i * 7);
    }
    if (flags & engine::kPicturePalette32)
        p.palette.assign(32, 0); // the block argument gives the bytes
    if (flags & engine::kPictureDelays) {
        for (int f = 0; f < frames; ++f)
            p.frameDelays.push_back(static_cast<uint32_t>(40 + f * 10));
    }
    p.colourKey = palette ? 5 : 0x00112233;
    p.capWidth = 7;
    p.capHeight = -3;
    return p;
}

void ExpectSamePicture(const PictureData& a, const PictureData& b, const std::string& what)
{
    EXPECT_EQ(a.frameCount, b.frameCount) << what;
    EXPECT_EQ(a.frameWidth, b.frameWidth) << what;
    EXPECT_EQ(a.frameHeight, b.frameHeight) << what;
    EXPECT_EQ(a.flags, b.flags) << what;
    EXPECT_EQ(a.paletteCount, b.paletteCount) << what;
    EXPECT_EQ(a.frameDelays, b.frameDelays) << what;
    EXPECT_TRUE(a.pixels == b.pixels) << what;
    if (a.flags & engine::kPictureCaps) {
        EXPECT_EQ(a.capWidth, b.capWidth) << what;
        EXPECT_EQ(a.capHeight, b.capHeight) << what;
    }
}

TEST(PpsCodec, EveryMethodRoundTripsEveryPixelFormat)
{
    using namespace engine;
    const uint32_t formats[] = {
        0, // 32-bit, no alpha plane
        kPictureAlpha,
        kPictureAlpha | kPictureColourKey | kPictureCaps,
        kPicturePalette | kPictureColourKey,
        kPicturePalette | kPictureAlpha | kPictureColourKey,
        kPicturePalette32 | kPictureColourKey,
        0x1000 | kPictureAlpha, // a bit the format does not know is kept
    };
    uint8_t block[32];
    for (int i = 0; i < 32; ++i)
        block[i] = static_cast<uint8_t>(100 + i);
    for (int method : { 1, 3, 4, 5, 6 }) {
        for (uint32_t format : formats) {
            for (int frames : { 1, 3 }) {
                uint32_t flags = format | (frames > 1 ? kPictureDelays : 0);
                PictureData picture = MakePicture(flags, 37, 11, frames, method * 100 + frames);
                std::string what = "method " + std::to_string(method) + " flags " + std::to_string(flags)
                    + " frames " + std::to_string(frames);
                Bytes pps = EncodePps(picture, block, method);
                ASSERT_FALSE(pps.empty()) << what;
                EXPECT_EQ(platform::LoadLe32(pps.data() + 24), pps.size()) << what;
                PictureData back;
                back.serial = 77;
                ASSERT_EQ(DecodePps(pps.data(), pps.size(), back), picture.pixels.size()) << what;
                ExpectSamePicture(picture, back, what);
                EXPECT_EQ(back.serial, 77u) << what; // the caller's field
                EXPECT_EQ(back.colourKey, picture.colourKey) << what;
                if (flags & kPicturePalette32)
                    EXPECT_EQ(Bytes(back.palette), Bytes(block, block + 32)) << what;
                else
                    EXPECT_EQ(back.palette, picture.palette) << what;
            }
        }
    }
}

// Offset of frame f's header inside a pps buffer.
size_t FrameHeaderAt(const Bytes& pps, size_t paletteBytes, int f)
{
    size_t at = engine::kPpsHeaderSize + paletteBytes;
    for (int i = 0; i < f; ++i)
        at += engine::kPpsFrameHeaderSize + platform::LoadLe32(&pps[at + 8]) + platform::LoadLe32(&pps[at + 12]);
    return at;
}

TEST(PpsCodec, XorFramesOnlyWhenStrictlySmaller)
{
    using namespace engine;
    // A noisy first frame and a second frame that differs in a few pixels.
    PictureData picture = MakePicture(kPictureDelays, 64, 32, 2, 9);
    for (int method : { 3, 4, 5, 6 }) {
        Bytes pps = EncodePps(picture, nullptr, method);
        uint16_t first = static_cast<uint16_t>(pps[FrameHeaderAt(pps, 0, 0)]);
        uint16_t second = static_cast<uint16_t>(pps[FrameHeaderAt(pps, 0, 1)]);
        EXPECT_EQ(first & kPpsFrameXor, 0) << method;
        EXPECT_EQ(second & kPpsFrameXor, kPpsFrameXor) << method;
        // The picture has no alpha plane: XOR must not turn alpha to 0.
        PictureData back;
        ASSERT_NE(DecodePps(pps.data(), pps.size(), back), 0u);
        EXPECT_TRUE(back.pixels == picture.pixels) << method;
    }
    // Stored frames are as large either way: the plain frame is kept.
    Bytes stored = EncodePps(picture, nullptr, kPpsStored);
    EXPECT_EQ(stored[FrameHeaderAt(stored, 0, 1)] & kPpsFrameXor, 0);
}

TEST(PpsCodec, MethodSixPicksTheShorterColourCode)
{
    using namespace engine;
    // Incompressible indexes: zlib comes out longer than the input, the
    // run-length literal only slightly: the run-length code is kept.
    PictureData noisy = MakePicture(kPicturePalette, 128, 64, 1, 1);
    std::mt19937 random(5);
    uint8_t last = 0;
    for (uint8_t& b : noisy.pixels) {
        do
            b = static_cast<uint8_t>(random());
        while (b == last); // no runs at all
        last = b;
    }
    Bytes pps = EncodePps(noisy, nullptr, kPpsSmallest);
    size_t head = FrameHeaderAt(pps, 256 * 3, 0);
    EXPECT_EQ(pps[head] & (kPpsFrameRle | kPpsFrameZlib), kPpsFrameRle);
    std::vector<uint8_t> zlib;
    ASSERT_TRUE(ZlibCompress(noisy.pixels.data(), noisy.pixels.size(), zlib));
    EXPECT_GT(zlib.size(), noisy.pixels.size());

    // A repeating pattern without runs: zlib is far shorter.
    PictureData pattern = noisy;
    for (size_t i = 0; i < pattern.pixels.size(); ++i)
        pattern.pixels[i] = static_cast<uint8_t>(i % 16);
    pps = EncodePps(pattern, nullptr, kPpsSmallest);
    EXPECT_EQ(pps[head] & (kPpsFrameRle | kPpsFrameZlib), kPpsFrameZlib);
    PictureData back;
    ASSERT_NE(DecodePps(pps.data(), pps.size(), back), 0u);
    EXPECT_TRUE(back.pixels == pattern.pixels);
}

TEST(PpsCodec, PaletteColourKeyWithoutFlagIsNoIndex)
{
    using namespace engine;
    PictureData keyed = MakePicture(kPicturePalette | kPictureColourKey, 4, 4, 1, 3);
    PictureData plain = MakePicture(kPicturePalette, 4, 4, 1, 3);
    PictureData back;
    Bytes pps = EncodePps(keyed, nullptr, 6);
    DecodePps(pps.data(), pps.size(), back);
    EXPECT_EQ(back.colourKey, 5u);
    pps = EncodePps(plain, nullptr, 6);
    DecodePps(pps.data(), pps.size(), back);
    EXPECT_EQ(back.colourKey, kNoPaletteKey);
}

TEST(PpsCodec, ColourKeyedPictureWithoutAlphaKeepsItsTransparency)
{
    using namespace engine;
    // As decoded picture files are: pixels of the key colour have alpha 0.
    PictureData picture = MakePicture(kPictureColourKey, 8, 8, 1, 4);
    picture.colourKey = 0x00FF00FF;
    for (size_t i = 0; i < picture.pixels.size(); i += 4 * 3) {
        picture.pixels[i] = 0xFF;
        picture.pixels[i + 1] = 0x00;
        picture.pixels[i + 2] = 0xFF;
        picture.pixels[i + 3] = 0;
    }
    for (int method : { 3, 5, 6 }) {
        Bytes pps = EncodePps(picture, nullptr, method);
        PictureData back;
        ASSERT_NE(DecodePps(pps.data(), pps.size(), back), 0u);
        EXPECT_TRUE(back.pixels == picture.pixels) << method;
    }
}

TEST(PpsCodec, EncoderRefusesWhatItCannotStore)
{
    using namespace engine;
    PictureData good = MakePicture(0, 4, 4, 1, 1);
    EXPECT_TRUE(EncodePps(good, nullptr, 2).empty());
    EXPECT_TRUE(EncodePps(good, nullptr, 7).empty());
    PictureData noFrames = good;
    noFrames.frameCount = 0;
    EXPECT_TRUE(EncodePps(noFrames, nullptr, 6).empty());
    PictureData shortPixels = good;
    shortPixels.pixels.resize(10);
    EXPECT_TRUE(EncodePps(shortPixels, nullptr, 6).empty());
    PictureData shortPalette = MakePicture(kPicturePalette, 4, 4, 1, 1);
    shortPalette.palette.resize(5);
    EXPECT_TRUE(EncodePps(shortPalette, nullptr, 6).empty());
    PictureData empty = good;
    empty.frameWidth = 0;
    EXPECT_TRUE(EncodePps(empty, nullptr, 6).empty());
}

TEST(PpsCodec, BadBuffersAreRefusedAndTheRecordUntouched)
{
    using namespace engine;
    PictureData picture = MakePicture(kPictureAlpha | kPictureCaps | kPictureDelays, 9, 5, 2, 11);
    const Bytes good = EncodePps(picture, nullptr, 6);
    size_t frame0 = FrameHeaderAt(good, 0, 0);
    size_t frame1 = FrameHeaderAt(good, 0, 1);
    auto u32 = [](Bytes& b, size_t at, uint32_t v) { platform::StoreLe32(&b[at], v); };
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        { "no magic", [](Bytes& b) { b[0] = 'q'; } },
        { "shorter than a header", [](Bytes& b) { b.resize(20); } },
        { "method 2", [](Bytes& b) { b[3] = 2; } },
        { "method 0", [](Bytes& b) { b[3] = 0; } },
        { "frame count 0", [](Bytes& b) { b[8] = 0; b[9] = 0; } },
        { "width 0", [](Bytes& b) { b[10] = 0; b[11] = 0; } },
        { "total size beyond the buffer", [&](Bytes& b) { u32(b, 24, static_cast<uint32_t>(b.size() + 1)); } },
        { "buffer cut short", [](Bytes& b) { b.erase(b.end() - 5, b.end()); } },
        { "total decoded bytes lie", [&](Bytes& b) { u32(b, 20, 4); } },
        { "total decoded bytes huge", [&](Bytes& b) { u32(b, 20, 0xfffffff0u); } },
        { "frame decoded bytes lie", [&](Bytes& b) { u32(b, frame0 + 16, 1); } },
        { "colour bytes past the end", [&](Bytes& b) { u32(b, frame0 + 8, 0x7fffffff); } },
        { "alpha bytes wrap", [&](Bytes& b) { u32(b, frame1 + 12, 0xffffffffu); } },
        { "colour plane corrupt", [&](Bytes& b) { b[frame0 + 20] ^= 0xff; b[frame0 + 21] ^= 0xff; } },
        { "alpha plane corrupt", [&](Bytes& b) { b[frame0 + 20 + platform::LoadLe32(&b[frame0 + 8])] ^= 0x55; } },
        { "trailer missing", [&](Bytes& b) { b.erase(b.end() - 4, b.end()); u32(b, 24, static_cast<uint32_t>(b.size())); } },
        { "palette past the end", [&](Bytes& b) { u32(b, 4, kPicturePalette); b[28] = 0xff; b[29] = 0xff; } },
        { "alpha bytes without an alpha plane", [&](Bytes& b) { u32(b, 4, kPictureCaps | kPictureDelays); } },
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        c.damage(bad);
        PictureData record;
        record.frameWidth = 1234;
        record.pixels.assign(3, 9);
        EXPECT_EQ(DecodePps(bad.data(), bad.size(), record), 0u) << c.name;
        EXPECT_EQ(record.frameWidth, 1234) << c.name;
        EXPECT_EQ(record.pixels.size(), 3u) << c.name;
    }
    PictureData record;
    EXPECT_EQ(DecodePps(nullptr, 100, record), 0u);
}

TEST(PpsCodec, RandomDamageNeverReadsOutside)
{
    using namespace engine;
    PictureData picture = MakePicture(kPictureAlpha | kPictureDelays | kPictureCaps, 16, 16, 3, 21);
    const Bytes good = EncodePps(picture, nullptr, 6);
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes bad = good;
        int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            bad[random() % bad.size()] = static_cast<uint8_t>(random());
        if (random() % 4 == 0)
            bad.resize(random() % bad.size());
        PictureData record;
        uint32_t size = DecodePps(bad.data(), bad.size(), record);
        if (size) {
            EXPECT_EQ(record.pixels.size(), size);
        }
    }
}

TEST(PpsCodec, SaveWritesTheWholeBuffer)
{
    using namespace engine;
    enginetest::ScratchDir dir;
    PictureData picture = MakePicture(kPictureAlpha, 5, 5, 1, 2);
    Bytes pps = EncodePps(picture, nullptr, 6);
    Bytes padded = pps;
    padded.resize(pps.size() + 10, 0xAA); // only the header's size is written
    EXPECT_EQ(SavePps(padded.data(), padded.size(), dir.Dir() + "a.pps"), 1);
    size_t length = 0;
    auto block = ReadWholeFile(dir.Dir() + "a.pps", &length);
    ASSERT_TRUE(block);
    EXPECT_EQ(Bytes(block.get(), block.get() + length), pps);

    Bytes notPps = pps;
    notPps[1] = 'x';
    EXPECT_EQ(SavePps(notPps.data(), notPps.size(), dir.Dir() + "b.pps"), 0);
    EXPECT_FALSE(FileExists(dir.Dir() + "b.pps"));
    EXPECT_EQ(SavePps(pps.data(), pps.size() - 1, dir.Dir() + "c.pps"), 0);
}

} // namespace
