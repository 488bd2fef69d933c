#pragma once
// The decoded picture record, the descriptor that names a part of one, and
// the record functions (cut one frame out of a sheet, free, copy).
//
// In memory the record owns its pixel block, palette and frame delays
// (vectors, so a record knows the size of each); the pps codec reads and
// writes the file layout field by field.

#include "engine/core/NameKey.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace engine {

// PictureData flag bits.
inline constexpr uint32_t kPictureColourKey = 0x1; // a colour key is in use
inline constexpr uint32_t kPicturePalette32 = 0x2; // the palette is a 32-byte block (pps)
inline constexpr uint32_t kPicturePalette = 0x4;   // palette picture: index bytes
inline constexpr uint32_t kPictureAlpha = 0x8;     // alpha plane (index + alpha, or valid BGRA alpha)
inline constexpr uint32_t kPictureDelays = 0x10;   // frame delays present
inline constexpr uint32_t kPictureCaps = 0x20;     // cap sizes present (pps)
inline constexpr uint32_t kPictureChanged = 0x200; // pixels or shown frame changed

inline constexpr uint32_t kNoColourKey = 0xff00ff; // 32-bit pictures: no key given
inline constexpr uint32_t kNoPaletteKey = 256;     // palette pictures: no transparent index
inline constexpr uint32_t kNoMatte = 0xff00ff;

struct PictureData {
    // 2 and up: stamped by the picture cache; 1: a canvas's own buffer; 0: not
    // filed.
    uint32_t serial = 0;
    uint16_t frameWidth = 0;
    uint16_t frameHeight = 0;
    // 32-bit pictures: blue, green, red, alpha per pixel. Palette pictures:
    // an index byte per pixel, followed by an alpha byte with kPictureAlpha.
    std::vector<uint8_t> pixels;
    // 0x00BBGGRR for 32-bit pictures, a palette index for palette pictures.
    uint32_t colourKey = 0;
    uint16_t frameCount = 0;
    uint32_t flags = 0;
    std::vector<uint8_t> palette; // red, green, blue per entry
    uint16_t paletteCount = 0;
    std::vector<uint32_t> frameDelays; // milliseconds, one per frame
    int16_t capWidth = 0;              // horizontal cap size
    int16_t capHeight = 0;             // vertical cap size
    uint32_t framesPerRow = 0;         // 1: frames one below the other; n: a sheet n frames wide
    uint32_t time = 0;                 // frame time when the cache filed it
    uint32_t reserved = 0;
};

// Names a part of a record. All zero (no record) stands for no picture.
struct PictureDesc {
    uint32_t serial = 0;
    PictureData* record = nullptr; // not owned
    int32_t sourceX = 0;
    int32_t sourceY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frame = 0;
    uint32_t matteColour = 0;
    NameKey key; // of the picture's name + ".imge"
};

// Byte offset of pixel (x, y) of frame f, or nothing when the pixel lies
// outside the frame or the pixel block.
std::optional<size_t> PicturePixelOffset(const PictureData& record, int frame, int x, int y);

// A standalone one-frame 32-bit record from frame f of a 32-bit picture or
// sheet. False (out untouched) for a palette picture or a frame that the
// pixel block does not hold.
bool CutPictureFrame(PictureData& out, const PictureData& source, int frame);

// Frees what the record holds and zeroes it; null is allowed.
void FreePictureData(PictureData* record);

// Replaces the destination with a copy of the source that has its own delays
// and palette, and its own pixels with withPixels (else none). Frames per
// row become 1, time and reserved 0.
void CopyPictureData(const PictureData* source, PictureData* destination, bool withPixels);

} // namespace engine
