#include "engine/core/GameCore.h"
#include "engine/core/NameKey.h"
#include "engine/core/PictureRef.h"
#include "engine/modules/PictureCache.h"
#include "engine/modules/PpsCodec.h"
#include "engine/modules/ResourceModule.h"
#include "platform/ImageDecoder.h"
#include "tests/engine/core/TestSupport.h"
#include "tests/engine/modules/GifBuilder.h"
#include "tools/pack/PackWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using engine::MakeNameKey;
using engine::PictureData;
using engine::PictureDesc;
using Bytes = std::vector<uint8_t>;

// Stands in for the paint module: owns the cache, gives it a frame time.
class PaintStandIn final : public engine::ModuleBase {
public:
    PaintStandIn()
        : cache(*this)
    {
        SetInterval(0);
    }
    int Init() override { return 1; }
    void Shutdown() override { cache.Clear(); }
    void Update() override { }
    int GetId() const override { return engine::MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int OnMessage(int, engine::MessageWord, engine::MessageWord) override { return engine::ORBITVANE_RETURN_OK; }

    engine::PictureCache cache;
};

const uint8_t kPalette[12] = { 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255 };

class Pictures : public ::testing::Test {
protected:
    Pictures()
    {
        core.Init(nullptr);
        auto res = std::make_unique<engine::ResourceModule>();
        resources = res.get();
        core.LoadModule(std::move(res), true, false);
        auto paint = std::make_unique<PaintStandIn>();
        painter = paint.get();
        core.LoadModule(std::move(paint), true, false);
        SetTime(5000);
    }
    ~Pictures() override { core.UnloadAllModules(); }

    void SetTime(uint32_t ms) { painter->Run(ms); }
    void AddBytes(const std::string& fileName, const Bytes& bytes)
    {
        resources->AddEntry(fileName, engine::MakeResourceBlock(bytes.data(), bytes.size()),
            static_cast<uint32_t>(bytes.size()));
    }
    engine::PictureCache& Cache() { return painter->cache; }

    enginetest::Recorders recorders;
    engine::GameCore core;
    engine::ResourceModule* resources = nullptr;
    PaintStandIn* painter = nullptr;
};

PictureData Drawn(int w, int h, int frames = 1)
{
    PictureData p = tools::DrawPicture(w, h, frames, [](int f, int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>(f * 50) << 16 | static_cast<uint32_t>(x * 10) << 8
            | static_cast<uint32_t>(y * 10);
    });
    if (frames > 1) {
        p.flags |= engine::kPictureDelays;
        p.frameDelays.assign(frames, 80);
    }
    return p;
}

TEST_F(Pictures, SerialsStartAtTwoAndTheFirstRecordStays)
{
    EXPECT_EQ(Cache().GetLastSerial(), 1u);
    PictureData* first = Cache().CacheInsert(MakeNameKey("a.imge"), Drawn(2, 2));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->serial, 2u);
    EXPECT_EQ(first->time, 5000u);
    PictureData* again = Cache().CacheInsert(MakeNameKey("a.imge"), Drawn(3, 3));
    EXPECT_EQ(again, first);
    EXPECT_EQ(first->frameWidth, 2);
    EXPECT_EQ(Cache().Size(), 1u);
}

TEST_F(Pictures, PpsResourceIsDecodedOnceAndItsBytesTaken)
{
    tools::PackWriter writer;
    ASSERT_TRUE(writer.AddPicture("Card", Drawn(6, 4, 3)));
    Bytes pack = writer.Build();
    ASSERT_EQ(resources->LoadPackMemory(pack.data(), pack.size()), 1);

    PictureDesc desc;
    Cache().GetImageInfo(desc, "Card", 7);
    ASSERT_NE(desc.record, nullptr);
    EXPECT_EQ(desc.serial, 2u);
    EXPECT_EQ(desc.width, 6);
    EXPECT_EQ(desc.height, 4);
    EXPECT_EQ(desc.frame, 1); // 7 mod 3
    EXPECT_EQ(desc.matteColour, engine::kNoMatte);
    EXPECT_EQ(desc.key, MakeNameKey("Card.imge"));
    EXPECT_EQ(desc.record->framesPerRow, 1u);
    EXPECT_EQ(desc.record->frameDelays, (std::vector<uint32_t> { 80, 80, 80 }));

    PictureDesc negative;
    Cache().GetImageInfo(negative, "Card", -1);
    EXPECT_EQ(negative.frame, 2); // never a frame before the pixels
    EXPECT_EQ(negative.record, desc.record);

    // The bytes were taken; a memory pack's entry cannot be read again.
    EXPECT_EQ(resources->LoadEntry(MakeNameKey("Card.imge")), nullptr);

    PictureDesc missing;
    missing.width = 99;
    Cache().GetImageInfo(missing, "Nothing", 0);
    EXPECT_EQ(missing.record, nullptr);
    EXPECT_EQ(missing.width, 0);
    EXPECT_EQ(missing.key, engine::NameKey {});
}

TEST_F(Pictures, UndecodablePicturesAreNotCachedAndAreRetried)
{
    AddBytes("Broken.png", Bytes { 0x89, 'P', 'N', 'G', 1, 2, 3 });
    AddBytes("Odd.xyz", Bytes { 1, 2, 3 });
    AddBytes("Pal.pps", {});
    EXPECT_EQ(Cache().FindImage("Broken.imge"), nullptr);
    EXPECT_EQ(Cache().Size(), 0u);
    EXPECT_EQ(Cache().LoadImage("Odd.xyz"), 0);

    // A pps picture with a 32-byte palette block is refused.
    PictureData block = Drawn(2, 2);
    block.flags = engine::kPicturePalette32;
    block.pixels.resize(4); // one index byte per pixel
    Bytes pps = engine::EncodePps(block, nullptr, 6);
    ASSERT_FALSE(pps.empty());
    PictureData out;
    EXPECT_EQ(engine::PictureCache::DecodePpsImage(pps.data(), pps.size(), out), 0u);
    EXPECT_EQ(engine::PictureCache::DecodePpsImage(nullptr, 0, out), 0u);

    // Once a good picture takes the name, the next lookup finds it.
    tools::PackWriter writer;
    writer.AddPicture("Broken", Drawn(3, 3));
    Bytes pack = writer.Build();
    resources->Release(MakeNameKey("Broken.imge"));
    resources->LoadPackMemory(pack.data(), pack.size());
    EXPECT_NE(Cache().FindImage("Broken.imge"), nullptr);
}

TEST_F(Pictures, StaleHandleIsRepairedOncePerSecondAndThenDrawn)
{
    tools::PackWriter writer;
    ASSERT_TRUE(writer.AddPicture("Back", Drawn(4, 4)));
    ASSERT_TRUE(writer.Write(std::string(::testing::TempDir()) + "back_pictures.vkr"));
    ASSERT_EQ(resources->LoadPackFile(std::string(::testing::TempDir()) + "back_pictures.vkr"), 1);

    PictureDesc desc;
    Cache().GetImageInfo(desc, "Back", 0);
    ASSERT_NE(desc.record, nullptr);
    engine::PictureRef handle;
    handle.SetDesc(desc);
    EXPECT_TRUE(handle.IsValid());

    Cache().RemoveImage("Back");
    EXPECT_FALSE(handle.IsValid()); // the emptied record has serial 0

    // Another picture reuses the pool chunk: still stale, never a crash.
    tools::PackWriter other;
    other.AddPicture("Other", Drawn(2, 2));
    Bytes otherPack = other.Build();
    resources->LoadPackMemory(otherPack.data(), otherPack.size());
    ASSERT_NE(Cache().FindImage("Other.imge"), nullptr);
    EXPECT_FALSE(handle.IsValid());

    // Checked at 5000: nothing happens before a second has passed.
    handle.SetLastCheck(5000);
    SetTime(5999);
    EXPECT_EQ(Cache().RevalidatePicture(handle), 0);
    EXPECT_FALSE(handle.IsValid());
    SetTime(6000);
    EXPECT_EQ(Cache().RevalidatePicture(handle), 1); // decoded again from the pack file
    EXPECT_TRUE(handle.IsValid());
    EXPECT_EQ(handle.GetData(), Cache().FindImage("Back.imge"));
    EXPECT_EQ(handle.GetSerial(), handle.GetData()->serial);

    // A second handle finds the picture already cached: repaired too.
    engine::PictureRef late;
    late.SetDesc(desc);
    EXPECT_FALSE(late.IsValid());
    EXPECT_EQ(Cache().RevalidatePicture(late), 1);
    EXPECT_TRUE(late.IsValid());

    // Canvas pictures and unfiled records are never looked up.
    PictureDesc canvas = desc;
    canvas.serial = 1;
    engine::PictureRef own;
    own.SetDesc(canvas);
    SetTime(20000);
    EXPECT_EQ(Cache().RevalidatePicture(own), 0);
}

TEST_F(Pictures, RemovedAndMissingPictureStaysInvisible)
{
    Cache().CacheInsert(MakeNameKey("Gone.imge"), Drawn(2, 2));
    PictureDesc desc;
    Cache().GetImageInfo(desc, "Gone", 0);
    engine::PictureRef handle;
    handle.SetDesc(desc);
    Cache().RemoveImage("Gone");
    SetTime(9000);
    EXPECT_EQ(Cache().RevalidatePicture(handle), 0); // nothing to decode it from
    EXPECT_FALSE(handle.IsValid());
}

TEST_F(Pictures, PicturesDecodedAheadAreFiledAtFirstUseAsIfDecodedThen)
{
    // The same picture under two names: one decoded on the spot, one ahead.
    tools::PackWriter writer;
    ASSERT_TRUE(writer.AddPicture("Spot", Drawn(7, 5, 4)));
    ASSERT_TRUE(writer.AddPicture("Faces", Drawn(7, 5, 4)));
    ASSERT_TRUE(writer.AddPicture("Cached", Drawn(2, 2)));
    Bytes pack = writer.Build();
    ASSERT_EQ(resources->LoadPackMemory(pack.data(), pack.size()), 3);
    AddBytes("Broken.png", Bytes { 0x89, 'P', 'N', 'G', 1, 2, 3 });
    PictureData* cached = Cache().FindImage("Cached.imge");
    ASSERT_NE(cached, nullptr);

    Cache().DecodeAhead({ "Faces", "Broken", "Missing", "Cached", "Faces" });
    // Only what has bytes and is not cached is queued, once; nothing is
    // filed before its use, and the bytes are the worker's now.
    EXPECT_EQ(Cache().AheadCount(), 2u);
    EXPECT_EQ(Cache().Size(), 1u);
    EXPECT_EQ(Cache().GetLastSerial(), 2u);
    EXPECT_EQ(resources->LoadEntry(MakeNameKey("Faces.imge")), nullptr);
    EXPECT_EQ(Cache().FindImage("Cached.imge"), cached);

    SetTime(7000);
    PictureDesc spot;
    Cache().GetImageInfo(spot, "Spot", 0);
    ASSERT_NE(spot.record, nullptr);
    SetTime(8000);
    PictureDesc ahead;
    Cache().GetImageInfo(ahead, "Faces", 6);
    ASSERT_NE(ahead.record, nullptr);
    EXPECT_EQ(ahead.serial, 4u); // filed after the spot one: in the order of use
    EXPECT_EQ(ahead.record->time, 8000u);
    EXPECT_EQ(ahead.frame, 2);
    EXPECT_EQ(ahead.width, 7);
    EXPECT_EQ(ahead.height, 5);
    EXPECT_EQ(ahead.record->framesPerRow, 1u);
    EXPECT_EQ(ahead.record->flags, spot.record->flags);
    EXPECT_EQ(ahead.record->frameDelays, spot.record->frameDelays);
    EXPECT_TRUE(ahead.record->pixels == spot.record->pixels);

    // Bytes that give no picture give none ahead either, and are not kept.
    EXPECT_EQ(Cache().FindImage("Broken.imge"), nullptr);
    EXPECT_EQ(Cache().AheadCount(), 0u);
    EXPECT_EQ(Cache().Size(), 3u);
}

TEST_F(Pictures, DecodingAheadMeetsUsesClearsAndTheEnd)
{
    // Enough work that the worker is busy while the pictures are used in the
    // opposite order, cleared and left behind; every outcome is a whole
    // picture or none. Each round has pictures of its own names, as the
    // resource bytes of a memory pack are read once.
    auto load = [&](const std::string& round) {
        tools::PackWriter writer;
        for (const char* name : { "A", "B", "C", "D", "E", "F" })
            writer.AddPicture(round + name, Drawn(120, 90, 6));
        Bytes pack = writer.Build();
        ASSERT_EQ(resources->LoadPackMemory(pack.data(), pack.size()), 6);
        for (const char* name : { "A", "B", "C", "D", "E", "F" })
            Cache().DecodeAhead({ round + name });
    };
    load("used");
    EXPECT_EQ(Cache().AheadCount(), 6u);
    for (const char* name : { "F", "E", "D", "C", "B", "A" }) {
        PictureData* record = Cache().FindImage(std::string("used") + name + ".imge");
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->frameCount, 6);
        EXPECT_EQ(record->pixels.size(), 120u * 90 * 6 * 4);
    }
    EXPECT_EQ(Cache().AheadCount(), 0u);

    load("cleared");
    ASSERT_NE(Cache().FindImage("clearedC.imge"), nullptr);
    Cache().Clear();
    EXPECT_EQ(Cache().AheadCount(), 0u);
    EXPECT_EQ(Cache().Size(), 0u);

    // The last round's jobs go with the cache (the fixture's end).
    load("left");
}

TEST_F(Pictures, AddImageCopiesAndClearFreesEverything)
{
    PictureData source = Drawn(3, 2, 2);
    PictureDesc desc;
    desc.record = &source;
    Cache().AddImage(desc, "Copy");
    PictureData* copy = Cache().FindImage("Copy.imge");
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &source);
    EXPECT_TRUE(copy->pixels == source.pixels);
    EXPECT_EQ(copy->serial, 2u);
    Cache().Clear();
    EXPECT_EQ(Cache().Size(), 0u);

    PictureData freed = Drawn(2, 2);
    engine::PictureCache::FreePicture(&freed);
    EXPECT_TRUE(freed.pixels.empty());
    EXPECT_EQ(freed.frameWidth, 0);
    engine::PictureCache::FreePicture(nullptr);
}

// The record built from a decoded file, for images the platform decoder
// could give.
TEST(PictureFromImage, FlagsKeysAndDelays)
{
    using platform::DecodedImage;
    DecodedImage indexed;
    indexed.width = 2;
    indexed.height = 1;
    indexed.indexed = true;
    indexed.palette = { 1, 2, 3, 4, 5, 6 };
    indexed.frames.push_back({ { 0, 1 }, 0 });
    PictureData out;
    ASSERT_EQ(engine::PictureCache::PictureFromImage(indexed, false, out), 1);
    EXPECT_EQ(out.flags, engine::kPicturePalette);
    EXPECT_EQ(out.colourKey, engine::kNoPaletteKey);
    EXPECT_EQ(out.paletteCount, 2);
    EXPECT_TRUE(out.frameDelays.empty());

    indexed.transparentIndex = 1;
    ASSERT_EQ(engine::PictureCache::PictureFromImage(indexed, false, out), 1);
    EXPECT_EQ(out.flags, engine::kPicturePalette | engine::kPictureColourKey);
    EXPECT_EQ(out.colourKey, 1u);

    // A transparent 32-bit picture in which no pixel has the colour loses
    // flag 1; one with such a pixel keeps it, with that pixel's alpha 0.
    DecodedImage rgb;
    rgb.width = 2;
    rgb.height = 1;
    rgb.hasTransparentColour = true;
    rgb.transparentColour = 0x00FF00FF;
    rgb.frames.push_back({ { 1, 2, 3, 4, 5, 6, 7, 8 }, 0 });
    ASSERT_EQ(engine::PictureCache::PictureFromImage(rgb, false, out), 1);
    EXPECT_EQ(out.flags, 0u);
    EXPECT_EQ(out.colourKey, 0x00FF00FFu);
    EXPECT_EQ(out.pixels, (Bytes { 1, 2, 3, 255, 5, 6, 7, 255 }));
    rgb.frames[0].pixels = { 0xFF, 0x00, 0xFF, 0x11, 5, 6, 7, 8 };
    ASSERT_EQ(engine::PictureCache::PictureFromImage(rgb, false, out), 1);
    EXPECT_EQ(out.flags, engine::kPictureColourKey);
    EXPECT_EQ(out.pixels, (Bytes { 0xFF, 0x00, 0xFF, 0, 5, 6, 7, 255 }));

    // Frames: delays as given, 40 ms for none; only the first for icons.
    DecodedImage anim;
    anim.width = 1;
    anim.height = 1;
    anim.alphaValid = true;
    anim.frames = { { { 1, 1, 1, 1 }, 50 }, { { 2, 2, 2, 2 }, 0 }, { { 3, 3, 3, 3 }, 120 } };
    ASSERT_EQ(engine::PictureCache::PictureFromImage(anim, false, out), 1);
    EXPECT_EQ(out.frameCount, 3);
    EXPECT_EQ(out.flags, engine::kPictureAlpha | engine::kPictureDelays);
    EXPECT_EQ(out.frameDelays, (std::vector<uint32_t> { 50, 40, 120 }));
    EXPECT_EQ(out.pixels.size(), 12u);
    ASSERT_EQ(engine::PictureCache::PictureFromImage(anim, true, out), 1);
    EXPECT_EQ(out.frameCount, 1);
    EXPECT_EQ(out.flags, engine::kPictureAlpha);

    DecodedImage empty;
    EXPECT_EQ(engine::PictureCache::PictureFromImage(empty, false, out), 0);
    DecodedImage huge = rgb;
    huge.width = 70000;
    EXPECT_EQ(engine::PictureCache::PictureFromImage(huge, false, out), 0);
}

TEST(ImageDecoding, GifFramesDelaysAndTransparency)
{
    using platform::DecodedImage;
    // Two frames, delays 5 and 0 hundredths.
    std::vector<enginetest::GifFrame> frames = { { { 0, 1, 2, 3 }, 5 }, { { 3, 2, 1, 0 }, 0 } };
    Bytes gif = enginetest::BuildGif(2, 2, frames, kPalette);
    PictureData out;
    ASSERT_EQ(engine::PictureCache::DecodeImage(gif.data(), gif.size(), engine::NameHash(".gif"), out), 1);
    EXPECT_EQ(out.frameCount, 2);
    EXPECT_EQ(out.frameWidth, 2);
    EXPECT_EQ(out.frameDelays, (std::vector<uint32_t> { 50, 40 }));
    ASSERT_EQ(out.pixels.size(), 2u * 2 * 2 * 4);
    // Frame 1, top-left pixel: index 3 = blue (B,G,R,A = 255,0,0,255).
    EXPECT_EQ(Bytes(out.pixels.begin() + 16, out.pixels.begin() + 20), (Bytes { 255, 0, 0, 255 }));
    // Frame 0, top-right pixel: index 1 = red.
    EXPECT_EQ(Bytes(out.pixels.begin() + 4, out.pixels.begin() + 8), (Bytes { 0, 0, 255, 255 }));

    // One frame with a transparent index: an indexed picture keyed on it.
    Bytes still = enginetest::BuildGif(2, 2, { { { 0, 2, 2, 1 }, 0 } }, kPalette, 2);
    ASSERT_EQ(engine::PictureCache::DecodeImage(still.data(), still.size(), engine::NameHash(".gif"), out), 1);
    EXPECT_EQ(out.frameCount, 1);
    EXPECT_TRUE(out.frameDelays.empty());
    EXPECT_EQ(out.flags & (engine::kPicturePalette | engine::kPictureColourKey | engine::kPictureDelays),
        engine::kPicturePalette | engine::kPictureColourKey);
    EXPECT_EQ(out.colourKey, 2u);
    EXPECT_EQ(out.pixels, (Bytes { 0, 2, 2, 1 }));
}

TEST(ImageDecoding, PngRoundTripWithAlphaAndTypesThatFail)
{
    PictureData drawn = tools::DrawPicture(5, 3, 1, [](int, int x, int y) {
        return static_cast<uint32_t>(x * 50) << 24 | 0x00102030u | static_cast<uint32_t>(y);
    });
    Bytes png = tools::EncodePng(drawn);
    ASSERT_FALSE(png.empty());
    PictureData out;
    ASSERT_EQ(engine::PictureCache::DecodeImage(png.data(), png.size(), engine::NameHash(".png"), out), 1);
    EXPECT_EQ(out.flags & engine::kPictureAlpha, engine::kPictureAlpha);
    EXPECT_TRUE(out.pixels == drawn.pixels);

    for (const char* ext : { ".wbmp", ".wmf", ".mng", ".doc" })
        EXPECT_EQ(engine::PictureCache::DecodeImage(png.data(), png.size(), engine::NameHash(ext), out), 0) << ext;
    for (int type : { 9, 10, 17, 0, 99 }) {
        platform::DecodedImage image;
        EXPECT_FALSE(platform::ImageDecoder::Decode(png.data(), png.size(), type, image)) << type;
    }
    // Bytes of another type, cut files and garbage fail cleanly.
    Bytes cut(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    for (int type : { 1, 2, 3, 4, 5, 6, 7, 8 }) {
        platform::DecodedImage image;
        EXPECT_FALSE(platform::ImageDecoder::Decode(cut.data(), cut.size(), type, image)) << type;
        EXPECT_TRUE(image.frames.empty());
    }
}

// A few header bytes claiming a giant picture (or a GIF laid out in a way
// the library mishandles) are refused before the library reads them.
TEST(ImageDecoding, HeadersClaimingGiantPicturesAreRefused)
{
    // GIF: a 60000 x 60000 screen.
    Bytes gif = enginetest::BuildGif(2, 2, { { { 0, 1, 2, 3 }, 0 } }, kPalette);
    gif[6] = gif[8] = 0x60;
    gif[7] = gif[9] = 0xEA;
    // GIF: 2000 frames of 2048 x 2048 (each frame is a whole screen).
    std::vector<enginetest::GifFrame> many(2000, { { 0 }, 0 });
    Bytes longGif = enginetest::BuildGif(1, 1, many, kPalette);
    longGif[6] = longGif[8] = 0x00;
    longGif[7] = longGif[9] = 0x08;
    // TGA: 65535 x 65535, 32-bit, and nothing else.
    Bytes tga = { 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 8 };
    // PNG: an IHDR of 100000 x 100000.
    Bytes png = { 0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 1, 0x86, 0xA0, 0, 1, 0x86,
        0xA0, 8, 6, 0, 0, 0, 0, 0, 0, 0 };
    // TIFF: a first directory of 100000 x 100000.
    Bytes tif = { 'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0, 0, 1, 4, 0, 1, 0, 0, 0, 0xA0, 0x86, 1, 0, 1, 1, 4, 0, 1, 0, 0, 0,
        0xA0, 0x86, 1, 0, 0, 0, 0, 0 };
    // PNG: a chunk whose length runs past the end of the file (the PNG
    // library would spin on it for minutes).
    Bytes cutPng = tools::EncodePng(tools::DrawPicture(4, 4, 1, [](int, int, int) { return 0xFF00FF00u; }));
    cutPng.resize(33 + 12);
    cutPng[33] = 0x7F; // the chunk after IHDR now claims almost 2 GiB
    // GIF: an image taller than its screen (the library's animation reader
    // frees memory it never allocated for one).
    Bytes tallGif = enginetest::BuildGif(2, 2, { { { 0, 1, 2, 3 }, 0 } }, kPalette);
    ASSERT_EQ(tallGif[33], 0x2C);
    tallGif[40] = 11;
    const std::pair<int, const Bytes*> cases[] = { { platform::kImageGif, &gif }, { platform::kImageGif, &longGif },
        { platform::kImageGif, &tallGif },
        { platform::kImageTga, &tga }, { platform::kImagePng, &png }, { platform::kImageTif, &tif },
        { platform::kImagePng, &cutPng } };
    for (const auto& [type, bytes] : cases) {
        platform::DecodedImage image;
        EXPECT_FALSE(platform::ImageDecoder::Decode(bytes->data(), bytes->size(), type, image)) << type;
    }
}

// A GIF whose 65284 x 65321 image sits where only the library's own LZW
// reader finds it: the library's request for 4 GiB is refused (the
// library then drops that image), instead of the process allocating and
// clearing it. What comes back is the 4 x 3 screen.
TEST(ImageDecoding, HiddenGiantGifImageIsRefused)
{
    const Bytes gif = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x03, 0x00, 0x91, 0x00,
        0x00, 0x00, 0x80, 0x3a, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00,
        0x01, 0xdd, 0x00, 0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x8b, 0x04, 0x00,
        0x03, 0x00, 0x91, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00,
        0xff, 0x00, 0x00, 0x00, 0xff, 0x21, 0xf9, 0x04, 0x04, 0x05, 0x00, 0x00,
        0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x02,
        0x08, 0x44, 0xa8, 0x11, 0xa1, 0x46, 0x84, 0x5a, 0x01, 0x00, 0x21, 0xf9,
        0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04,
        0x00, 0x03, 0x00, 0x00, 0x02, 0x08, 0x8c, 0x38, 0x30, 0xe2, 0xc0, 0x88,
        0xf9, 0x04, 0x04, 0x05, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
        0x04, 0xff, 0x29, 0xff, 0x00, 0x00, 0x02, 0x08, 0x44, 0xa8, 0x11, 0xa1,
        0x46, 0x84, 0x5a, 0x01, 0x00, 0x21, 0x43, 0x01, 0xf9, 0x04, 0x04, 0x00,
        0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x08, 0x02, 0x8c, 0x34, 0x30, 0x46,
        0x84, 0x5a, 0x43, 0x00, 0x01, 0x00, 0x3b, 0x3b
    };
    platform::DecodedImage image;
    platform::ImageDecoder::Decode(gif.data(), gif.size(), platform::kImageGif, image);
    EXPECT_LE(image.width, 4);
    EXPECT_LE(image.height, 3);
}

// A GIF cut short inside its sub-blocks: the library's reader, failing to
// read a whole sub-block, stays where it was and takes the data bytes that
// follow for blocks. Here they hold a 41216 x 11846 image descriptor the
// library would allocate (nearly 500 MB) for a frame with no data.
TEST(ImageDecoding, GifEndingInsideSubBlocksIsRefused)
{
    const Bytes gif = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x03, 0x00, 0x91, 0x00,
        0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00,
        0xff, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x02,
        0x08, 0x44, 0xa8, 0x11, 0xa1, 0xbe, 0x7b, 0xa5, 0xfe, 0x2c, 0x00, 0x00,
        0x00, 0x00, 0x00, 0xa1, 0x46, 0x2e, 0x00, 0x02, 0x02, 0x44, 0x01
    };
    platform::DecodedImage image;
    EXPECT_FALSE(platform::ImageDecoder::Decode(gif.data(), gif.size(), platform::kImageGif, image));
    EXPECT_TRUE(image.frames.empty());
}

// A whole GIF whose image data runs on in a further sub-block after the
// image's pixels are all decoded: the library's reader stops there and
// takes that sub-block's size byte (0x2C) for an image descriptor, of a
// 41216 x 11846 image the walk of the blocks never sees. That image gets no
// memory (nothing in the file needs more than its screen), and only the
// real frame comes back.
TEST(ImageDecoding, GifImageHiddenInImageDataGetsNoMemory)
{
    Bytes gif = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x03, 0x00, 0x91, 0x00,
        0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00,
        0xff, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x02,
        0x08, 0x44, 0xa8, 0x11, 0xa1, 0xbe, 0x7b, 0xa5, 0xfe, 0x2c, 0x00, 0x00,
        0x00, 0x00, 0x00, 0xa1, 0x46, 0x2e, 0x00, 0x02, 0x02, 0x44, 0x01
    };
    gif.resize(gif.size() + 44 - 13); // the rest of the 44-byte sub-block
    gif.push_back(0x00);
    gif.push_back(0x3B);
    platform::DecodedImage image;
    ASSERT_TRUE(platform::ImageDecoder::Decode(gif.data(), gif.size(), platform::kImageGif, image));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.frames.size(), 1u);
}

// Where a GIF may end: after the trailer, or (as many decoders accept) after
// the last whole block when only the trailer is missing. A file cut inside
// any block is refused, whatever the library could make of it.
TEST(ImageDecoding, GifsCutShortAreRefusedUnlessOnlyTheTrailerIsMissing)
{
    const Bytes one = enginetest::BuildGif(2, 2, { { { 0, 1, 2, 3 }, 5 } }, kPalette);
    const Bytes two = enginetest::BuildGif(2, 2, { { { 0, 1, 2, 3 }, 5 }, { { 3, 2, 1, 0 }, 5 } }, kPalette);
    // The second frame: graphic control extension (8 bytes), image
    // descriptor (10), LZW code size (1), one data sub-block, terminator.
    const size_t second = one.size() - 1;
    ASSERT_EQ(two[second], 0x21);
    ASSERT_EQ(two[second + 8], 0x2C);
    const size_t data = second + 8 + 10 + 1;
    auto cut = [](const Bytes& bytes, size_t n) { return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(n)); };
    Bytes noImage = cut(one, 25);
    noImage.push_back(0x3B);
    const struct {
        const char* name;
        Bytes bytes;
        size_t frames; // 0: refused
    } cases[] = {
        { "whole", two, 2 },
        { "no trailer, one frame", cut(one, one.size() - 1), 1 },
        { "no trailer, two frames", cut(two, two.size() - 1), 2 },
        { "no image", noImage, 0 },
        { "in the colour table", cut(one, 20), 0 },
        { "in an extension's sub-blocks", cut(two, second + 5), 0 },
        { "after an extension's introducer", cut(two, second + 1), 0 },
        { "in an image descriptor", cut(two, second + 8 + 5), 0 },
        { "before the image data", cut(two, data), 0 },
        { "in the image data", cut(two, data + 2), 0 },
        { "before the image data's terminator", cut(two, two.size() - 2), 0 },
    };
    for (const auto& c : cases) {
        platform::DecodedImage image;
        EXPECT_EQ(platform::ImageDecoder::Decode(c.bytes.data(), c.bytes.size(), platform::kImageGif, image), c.frames > 0)
            << c.name;
        EXPECT_EQ(image.frames.size(), c.frames) << c.name;
    }
}

TEST(ImageDecoding, EightBitBmpWithoutTransparency)
{
    // A 2x2 8-bit BMP with a 4-entry palette (rows bottom-up, padded to 4).
    Bytes bmp = { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54 + 16, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0,
        0, 0, 0, 0, 8, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0 };
    const uint8_t palette[16] = { 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0 }; // B,G,R,0
    bmp.insert(bmp.end(), palette, palette + 16);
    bmp.insert(bmp.end(), { 2, 3, 0, 0, 0, 1, 0, 0 }); // bottom row, then top row
    bmp[2] = static_cast<uint8_t>(bmp.size());
    PictureData out;
    ASSERT_EQ(engine::PictureCache::DecodeImage(bmp.data(), bmp.size(), engine::NameHash(".bmp"), out), 1);
    EXPECT_EQ(out.flags, engine::kPicturePalette);
    EXPECT_EQ(out.colourKey, engine::kNoPaletteKey);
    EXPECT_EQ(out.pixels, (Bytes { 0, 1, 2, 3 }));
    EXPECT_EQ(Bytes(out.palette.begin() + 3, out.palette.begin() + 6), (Bytes { 255, 0, 0 }));
}

} // namespace
