#pragma once
// The blitters behind DrawPicture, one per pixel format, geometry and mode,
// and the sampling and scaling they rely on.
//
// Pixel formats: 32-bit pictures hold blue, green, red, alpha per pixel;
// indexed pictures an index byte per pixel (followed by an alpha byte when
// they have an alpha plane) into a palette of red, green, blue entries.
// Blends are (x * k + y * (255 - k)) >> 8 per blue, green and red channel.
//
// Every member checks the clip box against the destination and the source
// rectangle against the source buffer, so a caller's mistake can cut a draw
// short but never read or write outside the buffers.

#include "engine/core/ObjectGeometry.h"
#include "engine/modules/DrawSurface.h"

#include <cstdint>
#include <vector>

namespace engine {

// The parameter list the blitters share.
struct BlitParams {
    uint8_t* dest = nullptr; // 32-bit destination, rows of destWidth pixels; not owned
    // The unrotated members: where the source rectangle's top-left pixel
    // goes. The rotating and inverting members: the top-left corner of the
    // square of side 2 x radius around the centre.
    int destLeft = 0;
    int destTop = 0;
    int destWidth = 0;
    int destHeight = 0;
    Rect clip; // destination pixels outside it are never touched

    const uint8_t* source = nullptr; // not owned
    int sourceX = 0; // the source rectangle inside the source buffer
    int sourceY = 0;
    int rowLength = 0; // source row length and row count, in pixels
    int rowCount = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;

    // Indexed formats: the transparent index (256 for none), and the palette
    // of paletteCount red, green, blue entries (indices beyond it are black).
    uint32_t colourKey = kNoPaletteKey;
    const uint8_t* palette = nullptr;
    int paletteCount = 0;
    // Indexed inversion only: whether the source has an alpha plane.
    bool sourceAlpha = false;

    double angle = 0.0;   // rotating members
    double opacity = 1.0;
    uint32_t matte = kNoMatte; // red bits 0-7, green 8-15, blue 16-23, threshold 24-31
};

// Unrotated members.
void BlitIndexedAlpha(const BlitParams& p);
void BlitIndexedAlphaMasked(const BlitParams& p);
void BlitIndexed(const BlitParams& p);
void BlitBgra(const BlitParams& p);
void BlitBgraMasked(const BlitParams& p);
void BlitBgraKeyed(const BlitParams& p);
// 32-bit pictures without an alpha plane, opaque and unfaded: whole pixels,
// alpha included.
void CopyBgraRows(const BlitParams& p);

// x1024 rotation with nearest sampling.
void RotateIndexedAlpha(const BlitParams& p);
void RotateIndexed(const BlitParams& p);
void RotateBgra(const BlitParams& p);
void RotateBgraOpaque(const BlitParams& p);
// Flip the destination's colours under the picture's opaque pixels.
void InvertUnderIndexed(const BlitParams& p);
void InvertUnderBgra(const BlitParams& p);

// 16.16 rotation with bilinear sampling.
void RotatePreciseIndexedAlpha(const BlitParams& p);
void RotatePreciseIndexed(const BlitParams& p);
void RotatePreciseBgra(const BlitParams& p);

// Cosine and sine of the angle scaled by `scale` (1024 or 65536): exact at 0,
// 90, 180 and 270 degrees, truncated otherwise (with pi taken as 3.14159).
void RotationTerms(double angle, int scale, int& c, int& s);
// Half the diagonal of a w x h picture, truncated; 0 when either is not
// positive.
int RotationRadius(int w, int h);

// A 32-bit source buffer for the sampling functions.
struct SourceRecord {
    const uint8_t* pixels = nullptr; // not owned
    int rowLength = 0;
    int rows = 0;
    int bytesPerPixel = 4;
    int reserved = 0;
};

// Pixel (x, y) of the record, clamped into it; alpha 0 when it had to be
// clamped. 0 for an empty record.
uint32_t SampleEdge(const SourceRecord& record, int x, int y);
// The 16.16 blend: b = (opacity byte x colour alpha) >> 8; onto a transparent
// destination pixel the colour is copied with alpha b, otherwise blended with
// weight b, keeping the larger of b and the destination's alpha.
void BlendPrecisePixel(uint8_t* destPixel, uint32_t colour, int opacityByte);
// 16.16 coordinates: the nearest pixel, clamped (alpha 0 when clamped), and
// the bilinear mix of the 2 x 2 block at (fx >> 16, fy >> 16), whose block
// must lie inside the record.
uint32_t SampleClamped16(const SourceRecord& record, int64_t fx, int64_t fy);
uint32_t SampleBilinear16(const SourceRecord& record, int64_t fx, int64_t fy);

// Scaled copies of a source rectangle, rows packed, exactly
// destWidth x destHeight pixels; empty when either is not positive (or the
// rectangle does not lie inside the source). Indexed pictures keep their
// index (and alpha) bytes.
std::vector<uint8_t> ScaleIndexedNearest(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight, uint32_t pictureFlags);
std::vector<uint8_t> ScaleBgraNearest(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight);
std::vector<uint8_t> ScaleBgraBilinear(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight);
// The resampler of canvas buffers: 32-bit nearest, a plain copy when the
// sizes agree.
std::vector<uint8_t> ResampleNearest(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight);

} // namespace engine
