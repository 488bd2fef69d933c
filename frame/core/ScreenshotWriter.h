#pragma once
// The screenshot writer: the whole screen saved as a baseline JPEG file.
// The screen is the X11 root window where an X server can be reached, and
// otherwise the client's own back buffer; either becomes packed RGB and is
// compressed with libjpeg behind an error manager that returns, so a full
// disk or a refused picture costs the one file, never the program.

#include "platform/ScreenCapture.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace engine {
class COrbitVaneWnd;
}

namespace frame {

// Where the writer's failure texts go (GBK). The default shows them in a
// message box with an OK button, captioned with the running game's name.
using JpegFailureReport = std::function<void(const std::string& text)>;

// Writes a packed RGB buffer (width x height pixels of the bytes red,
// green, blue; rows one after another, bottom row first) to path (a GBK
// program path) as a baseline three-component JPEG of the quality, stored
// top row first so the picture is upright. True when the whole file was
// written. False, with nothing left at path, for a null buffer or a size
// that is not positive (no message), a file that cannot be created
// ("JpegFile :\nCan't open <path>\n"), or an error inside the compressor or
// while writing, such as a full disk ("JpegFile :\nCan't write <path>\n"
// and the compressor's own words).
bool WriteRgbJpeg(const std::string& path, const uint8_t* rgb, int width, int height, int quality,
    const JpegFailureReport& report = {});

// A 5-bit colour channel spread to 8 bits: 0 stays 0, 31 becomes 255, and
// every value between k becomes 8k + 8.
uint8_t Expand5To8(unsigned value);

// The packed RGB pixels of a 32- or 16-bit screen bitmap, in the bitmap's
// row order (bottom row first), each source row read at the bitmap's
// stride. nullopt for any other depth, and for a bitmap whose bits are
// shorter than its size and stride say.
std::optional<std::vector<uint8_t>> ScreenBitmapToRgb(const platform::ScreenBitmap& bitmap);

// A 32-bit screen bitmap of pixels given as 0xAARRGGBB words, width x
// height, top row first (the engine's back buffer).
platform::ScreenBitmap BitmapFromPixels(const uint32_t* pixels, int width, int height);
// The window's back buffer (the paint module's finished frame); nullopt
// without a window or a paint module with a frame.
std::optional<platform::ScreenBitmap> BackBufferOf(engine::COrbitVaneWnd* window);

// Where a screen comes from when no X server can be reached.
using ScreenSource = std::function<std::optional<platform::ScreenBitmap>()>;

// Captures the screen and writes it with WriteRgbJpeg; true when the file
// was written. A screen of a depth other than 16 or 32 bits, or none at all,
// writes nothing and says nothing.
bool WriteScreenJpeg(const std::string& path, int quality, const ScreenSource& fallback,
    const JpegFailureReport& report = {});
// The same with the client's main window as the fallback.
bool WriteScreenJpeg(const std::string& path, int quality, engine::COrbitVaneWnd* client);

} // namespace frame
