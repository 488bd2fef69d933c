#pragma once
// The destination and the request of the software rasteriser: where a
// picture goes, at which size and angle, with which drawing flags.

#include "engine/core/ObjectGeometry.h"
#include "engine/core/PictureData.h"

#include <cstdint>

namespace engine {

// A 32-bit destination: blue, green, red, alpha per pixel, rows packed
// (width pixels a row). The rasteriser reads only pixels, width and height
// and always writes 4 bytes a pixel; the last two fields are for the
// surface's owner.
struct DrawSurface {
    uint8_t* pixels = nullptr; // not owned
    int width = 0;
    int height = 0;
    int bytesPerPixel = 4;
    uint32_t colourKey = kNoColourKey;
};

// DrawRequest flags: the object flags that act on drawing.
namespace DrawFlags {
inline constexpr uint32_t kClip = ObjectFlags::kHitRectActive;         // cut to the clip rectangle
inline constexpr uint32_t kMask = ObjectFlags::kDrawOnOpaqueOnly;      // only onto opaque destination pixels
inline constexpr uint32_t kPrecise = ObjectFlags::kPreciseRotation;    // 16.16 rotation, bilinear
inline constexpr uint32_t kInvert = ObjectFlags::kDrawInverted;        // flip the colours under the picture
inline constexpr uint32_t kBilinear = ObjectFlags::kBilinear;          // bilinear scaling
} // namespace DrawFlags

struct DrawRequest {
    double angle = 0.0; // degrees, counterclockwise on screen
    int centreX = 0;    // where the picture's centre goes, destination pixels
    int centreY = 0;
    int reserved0 = 0;
    int objectX = 0; // the object's position, window coordinates
    int objectY = 0;
    int reserved1 = 0;
    int width = 0; // the size the source rectangle is drawn at
    int height = 0;
    int radius = 0; // half the diagonal of width x height; 0 until computed
    uint32_t flags = 0;
    Rect clip; // the object's hit rectangle, scene coordinates
};

} // namespace engine
