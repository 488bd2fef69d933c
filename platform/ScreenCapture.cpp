#include "platform/ScreenCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct ImageDestroyer {
    void operator()(XImage* image) const { XDestroyImage(image); }
};

// One colour channel of a true-colour pixel: where its bits are and how
// many there are.
struct Channel {
    int shift = 0;
    int bits = 0;

    explicit Channel(unsigned long mask)
    {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            bits = std::popcount(mask);
        }
    }
    // The channel's value rescaled to `to` bits (rounded, so full scale
    // stays full scale).
    uint32_t Get(unsigned long pixel, int to) const
    {
        if (bits == 0)
            return 0;
        const uint32_t value = static_cast<uint32_t>(pixel >> shift) & ((1u << bits) - 1);
        if (bits >= to)
            return value >> (bits - to);
        const uint32_t fromMax = (1u << bits) - 1;
        const uint32_t toMax = (1u << to) - 1;
        return (value * toMax + fromMax / 2) / fromMax;
    }
};

bool IsPlainBgrx(const XImage& image)
{
    return image.bits_per_pixel == 32 && image.byte_order == LSBFirst && image.red_mask == 0xFF0000
        && image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

// Fills the bitmap's rows (bottom first) from the image's rows (top first).
void ConvertRows(XImage& image, ScreenBitmap& out)
{
    const Channel red(image.red_mask);
    const Channel green(image.green_mask);
    const Channel blue(image.blue_mask);
    for (int y = 0; y < out.height; ++y) {
        uint8_t* row = out.bits.data() + static_cast<size_t>(out.height - 1 - y) * out.stride;
        if (IsPlainBgrx(image)) {
            std::memcpy(row, image.data + static_cast<size_t>(y) * image.bytes_per_line,
                static_cast<size_t>(out.width) * 4);
            continue;
        }
        for (int x = 0; x < out.width; ++x) {
            const unsigned long pixel = XGetPixel(&image, x, y);
            if (out.bitsPerPixel == 32) {
                uint8_t* p = row + static_cast<size_t>(x) * 4;
                p[0] = static_cast<uint8_t>(blue.Get(pixel, 8));
                p[1] = static_cast<uint8_t>(green.Get(pixel, 8));
                p[2] = static_cast<uint8_t>(red.Get(pixel, 8));
                p[3] = 0;
            } else {
                const uint32_t word = red.Get(pixel, 5) << 10 | green.Get(pixel, 5) << 5 | blue.Get(pixel, 5);
                row[static_cast<size_t>(x) * 2] = static_cast<uint8_t>(word);
                row[static_cast<size_t>(x) * 2 + 1] = static_cast<uint8_t>(word >> 8);
            }
        }
    }
}

} // namespace

std::optional<ScreenBitmap> CaptureScreen()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return std::nullopt;
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display)
        return std::nullopt;
    const int screen = DefaultScreen(display.get());
    const Window root = RootWindow(display.get(), screen);
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display.get(), root, &attributes) || attributes.width <= 0 || attributes.height <= 0)
        return std::nullopt;

    ScreenBitmap out;
    out.width = attributes.width;
    out.height = attributes.height;
    std::unique_ptr<XImage, ImageDestroyer> image(XGetImage(display.get(), root, 0, 0,
        static_cast<unsigned>(out.width), static_cast<unsigned>(out.height), AllPlanes, ZPixmap));
    if (!image)
        return std::nullopt;
    out.bitsPerPixel = image->bits_per_pixel;
    if (out.bitsPerPixel != 32 && out.bitsPerPixel != 16)
        return out; // size and depth only
    out.stride = ScreenBitmap::StrideFor(out.width, out.bitsPerPixel);
    out.bits.assign(out.stride * static_cast<size_t>(out.height), 0);
    ConvertRows(*image, out);
    return out;
}

} // namespace platform
