#include "engine/core/PictureRef.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

// A 32-bit picture of `frames` frames of w x h, one below the other (or
// perRow frames a row), each pixel's bytes {frame, x, y, alpha}.
PictureData MakeBgra(uint16_t w, uint16_t h, uint16_t frames, uint32_t perRow = 1, uint8_t alpha = 255)
{
    PictureData p;
    p.serial = 5;
    p.frameWidth = w;
    p.frameHeight = h;
    p.frameCount = frames;
    p.framesPerRow = perRow;
    p.colourKey = kNoColourKey;
    size_t rows = perRow > 1 ? (frames + perRow - 1) / perRow : frames;
    size_t cols = perRow > 1 ? perRow : 1;
    p.pixels.assign(rows * h * cols * w * 4, 0);
    for (uint16_t f = 0; f < frames; ++f) {
        for (uint16_t y = 0; y < h; ++y) {
            for (uint16_t x = 0; x < w; ++x) {
                auto at = PicturePixelOffset(p, f, x, y);
                p.pixels[*at + 0] = static_cast<uint8_t>(f);
                p.pixels[*at + 1] = static_cast<uint8_t>(x);
                p.pixels[*at + 2] = static_cast<uint8_t>(y);
                p.pixels[*at + 3] = alpha;
            }
        }
    }
    return p;
}

PictureRef RefTo(PictureData& record, int width, int height)
{
    PictureRef ref;
    PictureDesc desc;
    desc.serial = record.serial;
    desc.record = &record;
    desc.width = width;
    desc.height = height;
    desc.matteColour = kNoMatte;
    ref.SetDesc(desc);
    return ref;
}

PictureData Animated(std::vector<uint32_t> delays)
{
    PictureData p = MakeBgra(2, 2, static_cast<uint16_t>(delays.size()));
    p.flags |= kPictureDelays;
    p.frameDelays = std::move(delays);
    return p;
}

} // namespace

TEST(PictureRef, FramesByTimeIndexAndStep)
{
    PictureData p = Animated({ 100, 100, 200, 100 });
    PictureRef ref = RefTo(p, 2, 2);
    EXPECT_EQ(ref.GetTotalDuration(), 500u);
    EXPECT_EQ(ref.GetFrameDelay(6), 200u); // index mod count

    ref.SetFrameByTime(250, 0);
    EXPECT_EQ(ref.GetFrame(), 2);
    EXPECT_TRUE(p.flags & kPictureChanged);
    ref.SetFrame(0);
    ref.SetFrameByTime(750, 0); // 750 mod 500
    EXPECT_EQ(ref.GetFrame(), 2);

    ref.SetFrame(3);
    ref.ClearChanged();
    EXPECT_EQ(ref.SetFrameByTime(50, 3), 3); // already shown: nothing changes
    EXPECT_EQ(ref.GetFrame(), 3);
    EXPECT_FALSE(p.flags & kPictureChanged);

    // Starting from frame 3, 150 ms in reaches frame 0 (100 + 100).
    EXPECT_EQ(ref.SetFrameByTime(150, 3), 100);
    EXPECT_EQ(ref.GetFrame(), 0);

    EXPECT_EQ(ref.SetFrame(6), 200u);
    EXPECT_EQ(ref.GetFrame(), 2);
    ref.SetFrame(3);
    ref.ClearChanged();
    EXPECT_EQ(ref.NextFrame(), 100u);
    EXPECT_EQ(ref.GetFrame(), 0); // wraps
    EXPECT_FALSE(p.flags & kPictureChanged);
}

TEST(PictureRef, SingleFramesAndMissingRecordsDoNothing)
{
    PictureData one = MakeBgra(2, 2, 1);
    PictureRef ref = RefTo(one, 2, 2);
    EXPECT_EQ(ref.SetFrame(6), 0u);
    EXPECT_EQ(ref.GetFrame(), 0);
    EXPECT_EQ(ref.NextFrame(), 0u);
    EXPECT_EQ(ref.SetFrameByTime(1000, 0), 0);
    EXPECT_EQ(ref.GetTotalDuration(), 0u);

    PictureRef empty;
    EXPECT_FALSE(empty.IsNull());
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.GetColourKey(), kNoColourKey);
    EXPECT_EQ(empty.GetFrameCount(), 0);
    EXPECT_EQ(empty.GetFrameDelay(1), 0u);
    EXPECT_EQ(empty.GetPixel(0, 0), 0u);
    EXPECT_FALSE(empty.HitTestPixel(0, 0));
    EXPECT_EQ(empty.SetFrame(1), 0u);
    empty.MarkChanged(); // no record: nothing to mark, no crash
}

TEST(PictureRef, StaleWhenTheSerialsDiffer)
{
    PictureData p = MakeBgra(2, 2, 1);
    PictureRef ref = RefTo(p, 2, 2);
    EXPECT_TRUE(ref.IsValid());
    p.serial = 9; // the cache reused the record
    EXPECT_FALSE(ref.IsValid());
    EXPECT_EQ(ref.GetSerial(), 5u);
}

TEST(PictureRef, PixelsAlphaAndHitTests)
{
    PictureData p = MakeBgra(4, 3, 2);
    // Pixel (1, 2) of frame 1 transparent.
    p.pixels[*PicturePixelOffset(p, 1, 1, 2) + 3] = 0;
    PictureRef ref = RefTo(p, 3, 2);
    PictureDesc d = ref.GetDesc();
    d.sourceX = 1;
    d.sourceY = 1;
    ref.SetDesc(d);
    ref.SetFrame(1);
    // GetPixel counts from the frame's corner: blue = frame, green = x, red = y.
    EXPECT_EQ(ref.GetPixel(3, 2), 0x010302u);
    EXPECT_EQ(ref.GetAlpha(1, 2), 0);
    EXPECT_EQ(ref.GetAlpha(0, 0), 255);
    // Hit tests add the source offset and stay inside the shown part.
    EXPECT_FALSE(ref.HitTestPixel(0, 1)); // (1, 2)
    EXPECT_TRUE(ref.HitTestPixel(1, 1));
    EXPECT_FALSE(ref.HitTestPixel(-1, 0));
    EXPECT_FALSE(ref.HitTestPixel(3, 0)); // the descriptor's width
    EXPECT_FALSE(ref.HitTestPixel(0, 2));
    // Outside the frame or the block reads nothing.
    EXPECT_EQ(ref.GetPixel(4, 0), 0u);
    EXPECT_EQ(ref.GetAlpha(0, 3), 0);
    // A descriptor larger than its record never reads past the block.
    d.width = 100;
    d.height = 100;
    ref.SetDesc(d);
    EXPECT_FALSE(ref.HitTestPixel(50, 50));
}

TEST(PictureRef, PalettePictures)
{
    PictureData p;
    p.frameWidth = 3;
    p.frameHeight = 1;
    p.frameCount = 1;
    p.flags = kPicturePalette | kPictureColourKey;
    p.colourKey = 5;
    p.pixels = { 5, 6, 200 };
    p.paletteCount = 7;
    p.palette.assign(7 * 3, 0);
    p.palette[6 * 3 + 0] = 0x11; // red
    p.palette[6 * 3 + 1] = 0x22;
    p.palette[6 * 3 + 2] = 0x33;
    PictureRef ref = RefTo(p, 3, 1);
    EXPECT_EQ(ref.GetAlpha(0, 0), 0);
    EXPECT_EQ(ref.GetAlpha(1, 0), 255);
    EXPECT_FALSE(ref.HitTestPixel(0, 0));
    EXPECT_TRUE(ref.HitTestPixel(1, 0));
    EXPECT_EQ(ref.GetPixel(1, 0), 0x332211u);
    EXPECT_EQ(ref.GetPixel(2, 0), 0u); // index beyond the palette

    p.colourKey = kNoPaletteKey;
    EXPECT_EQ(ref.GetAlpha(0, 0), 255);
    EXPECT_TRUE(ref.HitTestPixel(0, 0));

    // With an alpha plane: index and alpha per pixel.
    p.flags |= kPictureAlpha;
    p.colourKey = 5;
    p.pixels = { 5, 255, 6, 0, 6, 9 };
    EXPECT_FALSE(ref.HitTestPixel(0, 0)); // the key
    EXPECT_FALSE(ref.HitTestPixel(1, 0)); // alpha 0
    EXPECT_TRUE(ref.HitTestPixel(2, 0));
    EXPECT_EQ(ref.GetAlpha(2, 0), 9);
}

TEST(PictureData, CutFrameFromASheet)
{
    // Three frames side by side: frame 1 is the middle third of each row.
    PictureData sheet = MakeBgra(2, 2, 3, 3);
    sheet.flags = kPictureDelays | kPictureColourKey;
    sheet.frameDelays = { 1, 2, 3 };
    sheet.capWidth = -3;
    PictureData cut;
    ASSERT_TRUE(CutPictureFrame(cut, sheet, 1));
    EXPECT_EQ(cut.serial, 0u);
    EXPECT_EQ(cut.frameCount, 1);
    EXPECT_EQ(cut.framesPerRow, 1u);
    EXPECT_EQ(cut.flags, kPictureColourKey);
    EXPECT_TRUE(cut.frameDelays.empty());
    EXPECT_EQ(cut.capWidth, -3);
    ASSERT_EQ(cut.pixels.size(), 16u);
    const uint8_t expected[16] = { 1, 0, 0, 255, 1, 1, 0, 255, 1, 0, 1, 255, 1, 1, 1, 255 };
    EXPECT_EQ(0, memcmp(cut.pixels.data(), expected, 16));

    // Frames that the block does not hold, and palette pictures, are refused.
    EXPECT_FALSE(CutPictureFrame(cut, sheet, 3));
    EXPECT_FALSE(CutPictureFrame(cut, sheet, -1));
    PictureData palette;
    palette.flags = kPicturePalette;
    EXPECT_FALSE(CutPictureFrame(cut, palette, 0));
    EXPECT_EQ(cut.frameWidth, 2); // untouched
}

TEST(PictureData, CopyAndFree)
{
    PictureData source = Animated({ 40, 60 });
    source.flags |= kPicturePalette;
    source.palette = { 1, 2, 3 };
    source.paletteCount = 1;
    source.framesPerRow = 4;
    source.time = 99;

    PictureData copy = MakeBgra(8, 8, 1);
    CopyPictureData(&source, &copy, false);
    EXPECT_TRUE(copy.pixels.empty());
    EXPECT_EQ(copy.frameDelays, source.frameDelays);
    EXPECT_EQ(copy.palette, source.palette);
    EXPECT_EQ(copy.framesPerRow, 1u);
    EXPECT_EQ(copy.time, 0u);
    EXPECT_EQ(copy.frameWidth, 2);
    source.frameDelays[0] = 1; // the copy has its own
    EXPECT_EQ(copy.frameDelays[0], 40u);

    CopyPictureData(&source, &copy, true);
    EXPECT_EQ(copy.pixels, source.pixels);
    CopyPictureData(&copy, &copy, true); // onto itself: nothing
    EXPECT_EQ(copy.pixels, source.pixels);
    CopyPictureData(nullptr, &copy, true);

    FreePictureData(&copy);
    EXPECT_TRUE(copy.pixels.empty());
    EXPECT_EQ(copy.frameCount, 0);
    EXPECT_EQ(copy.serial, 0u);
    FreePictureData(nullptr);
}
