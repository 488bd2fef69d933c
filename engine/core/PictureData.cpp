#include "engine/core/PictureData.h"

#include <cstring>

namespace engine {

std::optional<size_t> PicturePixelOffset(const PictureData& record, int frame, int x, int y)
{
    if (x < 0 || y < 0 || frame < 0 || x >= record.frameWidth || y >= record.frameHeight)
        return std::nullopt;
    size_t w = record.frameWidth;
    size_t h = record.frameHeight;
    size_t f = static_cast<size_t>(frame);
    size_t perRow = record.framesPerRow > 1 ? record.framesPerRow : 1;
    size_t index;
    if (perRow > 1)
        index = ((f / perRow) * h + static_cast<size_t>(y)) * (perRow * w) + (f % perRow) * w + static_cast<size_t>(x);
    else
        index = (f * h + static_cast<size_t>(y)) * w + static_cast<size_t>(x);
    size_t bytesPerPixel = 4;
    if (record.flags & kPicturePalette)
        bytesPerPixel = (record.flags & kPictureAlpha) ? 2 : 1;
    size_t offset = index * bytesPerPixel;
    if (offset + bytesPerPixel > record.pixels.size())
        return std::nullopt;
    return offset;
}

bool CutPictureFrame(PictureData& out, const PictureData& source, int frame)
{
    if (source.flags & kPicturePalette)
        return false;
    size_t w = source.frameWidth;
    size_t h = source.frameHeight;
    if (w == 0 || h == 0)
        return false;
    // The frame's last pixel must lie in the block.
    if (!PicturePixelOffset(source, frame, static_cast<int>(w) - 1, static_cast<int>(h) - 1))
        return false;

    std::vector<uint8_t> pixels(w * h * 4, 0);
    for (size_t y = 0; y < h; ++y) {
        size_t from = *PicturePixelOffset(source, frame, 0, static_cast<int>(y));
        std::memcpy(pixels.data() + y * w * 4, source.pixels.data() + from, w * 4);
    }

    PictureData cut;
    cut.serial = 0;
    cut.frameWidth = source.frameWidth;
    cut.frameHeight = source.frameHeight;
    cut.pixels = std::move(pixels);
    cut.colourKey = source.colourKey;
    cut.frameCount = 1;
    cut.flags = source.flags & ~kPictureDelays;
    cut.capWidth = source.capWidth;
    cut.capHeight = source.capHeight;
    cut.framesPerRow = 1;
    out = std::move(cut);
    return true;
}

void FreePictureData(PictureData* record)
{
    if (record)
        *record = PictureData {};
}

void CopyPictureData(const PictureData* source, PictureData* destination, bool withPixels)
{
    if (!source || !destination || source == destination)
        return;
    PictureData copy = *source;
    if (!(copy.flags & kPictureDelays))
        copy.frameDelays.clear();
    if (!(copy.flags & kPicturePalette))
        copy.palette.clear();
    if (!withPixels)
        copy.pixels.clear();
    copy.framesPerRow = 1;
    copy.time = 0;
    copy.reserved = 0;
    *destination = std::move(copy);
}

} // namespace engine
