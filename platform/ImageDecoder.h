#pragma once
// Decoding of standard picture files held in memory: bytes and a type code
// in, frames out. Backed by SDL2_image (and its animation loader for the
// frames of a GIF).
//
// Type codes: 1 bmp, 2 gif, 3 jpg, 4 png, 5 ico, 6 tif, 7 tga, 8 pcx,
// 9 wbmp, 10 wmf, 17 mng. SDL2_image reads no wbmp, wmf or mng: those
// types always fail, as does any other code.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

enum ImageType : int {
    kImageBmp = 1,
    kImageGif = 2,
    kImageJpg = 3,
    kImagePng = 4,
    kImageIco = 5,
    kImageTif = 6,
    kImageTga = 7,
    kImagePcx = 8,
    kImageWbmp = 9,
    kImageWmf = 10,
    kImageMng = 17,
};

struct ImageFrame {
    // Rows from the top. Indexed images: one palette index per pixel; other
    // images: blue, green, red, alpha per pixel.
    std::vector<uint8_t> pixels;
    uint32_t delayMs = 0; // as the file gives it (0 when it gives none)
};

struct DecodedImage {
    int width = 0;
    int height = 0;
    bool indexed = false;
    std::vector<uint8_t> palette; // indexed: red, green, blue per entry (1 to 256 entries)
    int transparentIndex = -1;    // indexed: the transparent index, or -1
    // Other images: whether the alpha bytes carry the picture's alpha, and
    // the transparent colour (0x00BBGGRR) when the image has one.
    bool alphaValid = false;
    bool hasTransparentColour = false;
    uint32_t transparentColour = 0;
    std::vector<ImageFrame> frames; // at least one on success
};

class ImageDecoder {
public:
    // The largest picture decoded: a side of the engine's 16-bit sizes, and
    // 16 Mi pixels in all (every frame of an animation counted), 64 MiB of
    // 32-bit pixels, far above any skin picture.
    static constexpr uint64_t kMaxSide = 65535;
    static constexpr uint64_t kMaxPixels = uint64_t { 1 } << 24;

    // Decodes the bytes as the given type. False, with out cleared, for an
    // unknown or unsupported type, bytes the library cannot read, an image
    // without pixels, or one larger than the limits above (refused from its
    // header where the header can be read, before anything is allocated).
    static bool Decode(const void* data, size_t size, int type, DecodedImage& out);

    // Frees what the library keeps for the calling thread (its error text);
    // a thread of the program's own that decoded pictures calls it before
    // it ends.
    static void ReleaseThreadState();
};

} // namespace platform
