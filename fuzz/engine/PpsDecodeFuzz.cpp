// Feeds outside bytes to the pps decoder. A buffer it accepts must encode
// again and decode to the same pixels.
#include "engine/core/PictureData.h"
#include "engine/modules/PictureCache.h"
#include "engine/modules/PpsCodec.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> buffer(data, data + size);
    engine::PictureData picture;
    uint32_t decoded = engine::DecodePps(buffer.data(), buffer.size(), picture);
    if (!decoded)
        return 0;
    if (picture.pixels.size() != decoded || picture.frameCount == 0)
        __builtin_trap();
    // Keep the round trip cheap on large pictures.
    if (decoded > (1u << 20))
        return 0;
    std::vector<uint8_t> again = engine::EncodePps(picture, picture.palette.size() == 32 ? picture.palette.data() : nullptr, 6);
    if (again.empty())
        __builtin_trap();
    engine::PictureData back;
    if (engine::DecodePps(again.data(), again.size(), back) != decoded)
        __builtin_trap();
    bool keyToAlpha = !(picture.flags & (engine::kPicturePalette | engine::kPicturePalette32 | engine::kPictureAlpha))
        && (picture.flags & engine::kPictureColourKey);
    // Without an alpha plane the alpha bytes are not stored: compare them
    // only where the format keeps them.
    bool compareAll = (picture.flags & (engine::kPicturePalette | engine::kPicturePalette32 | engine::kPictureAlpha))
        && !keyToAlpha;
    for (size_t i = 0; i < decoded; ++i) {
        if (!compareAll && (i & 3) == 3)
            continue;
        if (picture.pixels[i] != back.pixels[i])
            __builtin_trap();
    }
    engine::PictureData viaCache;
    engine::PictureCache::DecodePpsImage(buffer.data(), buffer.size(), viaCache);
    return 0;
}
