// Feeds outside bytes to picture decoding by file type, as the picture cache
// decodes resources: one selector byte picks the extension, the rest is the
// file.
#include "engine/core/NameKey.h"
#include "engine/core/PictureData.h"
#include "engine/modules/PictureCache.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const kExtensions[] = { ".gif", ".bmp", ".png", ".jpg", ".jpeg", ".ico", ".tif", ".tga", ".mng",
        ".pcx", ".wbmp", ".wmf", ".pps", ".txt" };
    if (size < 1)
        return 0;
    const char* ext = kExtensions[data[0] % (sizeof kExtensions / sizeof kExtensions[0])];
    std::vector<uint8_t> file(data + 1, data + size);
    engine::PictureData picture;
    if (!engine::PictureCache::DecodeImage(file.data(), file.size(), engine::NameHash(ext), picture))
        return 0;
    // A decoded picture holds exactly the pixels its header fields describe.
    size_t pixels = static_cast<size_t>(picture.frameWidth) * picture.frameHeight * picture.frameCount;
    bool palette = picture.flags & (engine::kPicturePalette | engine::kPicturePalette32);
    size_t bpp = palette ? ((picture.flags & engine::kPictureAlpha) ? 2 : 1) : 4;
    if (pixels == 0 || picture.pixels.size() != pixels * bpp)
        __builtin_trap();
    if ((picture.flags & engine::kPictureDelays) && picture.frameDelays.size() != picture.frameCount)
        __builtin_trap();
    return 0;
}
