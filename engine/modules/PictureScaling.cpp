// Scaled copies of a source rectangle: nearest for indexed pictures, nearest
// or bilinear for 32-bit ones, and the nearest resampler of canvas buffers.

#include "engine/modules/Blitters.h"

#include "engine/modules/PixelOps.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace pixel;

namespace {

// A rectangle that lies inside its buffer, and a destination size that is
// not absurd (a scaled copy is one allocation of destWidth x destHeight
// pixels).
constexpr long long kMaxScaledPixels = 1LL << 26;

bool ScaleArgsOk(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY, int sourceWidth,
    int sourceHeight, int destWidth, int destHeight)
{
    if (!source || destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return false;
    if (sourceX < 0 || sourceY < 0 || static_cast<long long>(sourceX) + sourceWidth > rowLength
        || static_cast<long long>(sourceY) + sourceHeight > rows)
        return false;
    return static_cast<long long>(destWidth) * destHeight <= kMaxScaledPixels;
}

std::vector<uint8_t> CopyRect(const uint8_t* source, int rowLength, int sourceX, int sourceY, int width, int height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
    for (int i = 0; i < height; ++i)
        std::memcpy(out.data() + static_cast<size_t>(i) * width * 4,
            source + (static_cast<size_t>(sourceY + i) * rowLength + sourceX) * 4, static_cast<size_t>(width) * 4);
    return out;
}

// ((source - 1) << shift) / (dest - 1), 0 when either is below 2.
int64_t Step(int sourceSize, int destSize, int shift)
{
    if (sourceSize < 2 || destSize < 2)
        return 0;
    return (static_cast<int64_t>(sourceSize - 1) << shift) / (destSize - 1);
}

} // namespace

std::vector<uint8_t> ScaleIndexedNearest(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight, uint32_t pictureFlags)
{
    if (!ScaleArgsOk(source, rowLength, rows, sourceX, sourceY, sourceWidth, sourceHeight, destWidth, destHeight))
        return {};
    const size_t bytes = (pictureFlags & kPictureAlpha) ? 2 : 1;
    const int64_t stepX = static_cast<int64_t>(sourceWidth) * 1024 / destWidth;
    const int64_t stepY = static_cast<int64_t>(sourceHeight) * 1024 / destHeight;
    std::vector<uint8_t> out(static_cast<size_t>(destWidth) * destHeight * bytes);
    uint8_t* d = out.data();
    for (int i = 0; i < destHeight; ++i) {
        const int64_t row = sourceY + std::min<int64_t>(i * stepY / 1024, sourceHeight - 1);
        const uint8_t* s = source + static_cast<size_t>(row) * rowLength * bytes;
        for (int j = 0; j < destWidth; ++j, d += bytes) {
            const int64_t col = sourceX + std::min<int64_t>(j * stepX / 1024, sourceWidth - 1);
            std::memcpy(d, s + static_cast<size_t>(col) * bytes, bytes);
        }
    }
    return out;
}

std::vector<uint8_t> ScaleBgraNearest(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight)
{
    if (!ScaleArgsOk(source, rowLength, rows, sourceX, sourceY, sourceWidth, sourceHeight, destWidth, destHeight))
        return {};
    if (sourceWidth == destWidth && sourceHeight == destHeight)
        return CopyRect(source, rowLength, sourceX, sourceY, destWidth, destHeight);
    const int64_t stepX = Step(sourceWidth, destWidth, 10);
    const int64_t stepY = Step(sourceHeight, destHeight, 10);
    const size_t destRow = static_cast<size_t>(destWidth) * 4;
    std::vector<uint8_t> out(destRow * destHeight);
    uint8_t* d = out.data();
    int64_t previous = -1;
    for (int i = 0; i < destHeight; ++i, d += destRow) {
        const int64_t row = sourceY + std::min<int64_t>((i * stepY + 512) >> 10, sourceHeight - 1);
        if (row == previous) {
            // Enlarging repeats source rows: the row just made is the same.
            std::memcpy(d, d - destRow, destRow);
            continue;
        }
        previous = row;
        const uint8_t* s = source + (static_cast<size_t>(row) * rowLength + sourceX) * 4;
        int64_t at = 512; // j * stepX + 512
        for (int j = 0; j < destWidth; ++j, at += stepX) {
            const int64_t col = std::min<int64_t>(at >> 10, sourceWidth - 1);
            Store(d + static_cast<size_t>(j) * 4, Load(s + static_cast<size_t>(col) * 4));
        }
    }
    return out;
}

std::vector<uint8_t> ScaleBgraBilinear(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight)
{
    if (!ScaleArgsOk(source, rowLength, rows, sourceX, sourceY, sourceWidth, sourceHeight, destWidth, destHeight))
        return {};
    if (sourceWidth == destWidth && sourceHeight == destHeight)
        return CopyRect(source, rowLength, sourceX, sourceY, destWidth, destHeight);
    // Border rows and columns take the pixel at the floor of the point
    // (inside the picture, so never clamped); the others mix the 2 x 2 block
    // there. Walked row by row with the sampling inlined.
    const int64_t stepX = Step(sourceWidth, destWidth, 16);
    const int64_t stepY = Step(sourceHeight, destHeight, 16);
    const size_t stride = static_cast<size_t>(rowLength) * 4;
    std::vector<uint8_t> out(static_cast<size_t>(destWidth) * destHeight * 4);
    uint8_t* d = out.data();
    for (int i = 0; i < destHeight; ++i) {
        const int64_t fy = i * stepY;
        const int64_t py = std::clamp<int64_t>(fy >> 16, 0, sourceHeight - 1);
        const bool rowBorder = py == 0 || py == sourceHeight - 1;
        const uint8_t* row = source + static_cast<size_t>(sourceY + py) * stride + static_cast<size_t>(sourceX) * 4;
        const uint32_t fy8 = static_cast<uint32_t>(fy >> 8) & 255;
        int64_t fx = 0;
        for (int j = 0; j < destWidth; ++j, d += 4, fx += stepX) {
            const int64_t px = std::min<int64_t>(fx >> 16, sourceWidth - 1);
            const uint8_t* s = row + static_cast<size_t>(px) * 4;
            if (rowBorder || px == 0 || px == sourceWidth - 1)
                std::memcpy(d, s, 4);
            else
                Store(d, MixBlock(s, s + stride, static_cast<uint32_t>(fx >> 8) & 255, fy8));
        }
    }
    return out;
}

std::vector<uint8_t> ResampleNearest(const uint8_t* source, int rowLength, int rows, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, int destWidth, int destHeight)
{
    return ScaleBgraNearest(source, rowLength, rows, sourceX, sourceY, sourceWidth, sourceHeight, destWidth, destHeight);
}

} // namespace engine
