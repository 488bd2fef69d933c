#pragma once
// A copy of the whole screen in the layout of a bottom-up device-independent
// bitmap, for the screenshot writer: the X11 root window of $DISPLAY, read
// over a display connection of its own, so any thread may call it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// Rows are stored bottom row first, each `stride` bytes long (width x
// bitsPerPixel / 8 rounded up to a multiple of 4). Pixels of a 32-bit
// bitmap are the bytes blue, green, red and an unused fourth byte; those of
// a 16-bit bitmap are little-endian words in the 5-5-5 layout (red in bits
// 10-14, green 5-9, blue 0-4, bit 15 clear).
struct ScreenBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    size_t stride = 0;
    std::vector<uint8_t> bits;

    static size_t StrideFor(int width, int bitsPerPixel)
    {
        return (static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) + 31) / 32 * 4;
    }
};

// The root window at the screen's own bits per pixel (the X server's pixmap
// format for its depth: 32 for depth 24, 16 for depths 15 and 16). Screens
// of other depths come back with their size and depth but no bits, since
// nothing here converts them. nullopt when no X server can be reached or the
// capture fails.
std::optional<ScreenBitmap> CaptureScreen();

} // namespace platform
