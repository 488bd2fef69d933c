#include "frame/core/ScreenshotWriter.h"

#include "engine/core/ModuleMessage.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "frame/core/CGameFrameApp.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace frame {

namespace {

void DefaultReport(const std::string& text)
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    platform::MessageBox(nullptr, text, app ? app->GetGameName() : std::string(), platform::kMbOk);
}

void Report(const JpegFailureReport& report, const std::string& text)
{
    if (report)
        report(text);
    else
        DefaultReport(text);
}

// The standard error manager, except that a fatal error returns to the
// writer (longjmp) with the compressor's message kept, instead of ending
// the process.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf resume;
    char message[JMSG_LENGTH_MAX];
};

// One compression: the compressor and its error manager live outside the
// frame that calls setjmp, so nothing that frame must read after a jump
// back was changed in it.
struct JpegJob {
    jpeg_compress_struct info;
    JpegErrors errors;
};

void OnJpegFatal(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->resume, 1);
}

// Compresses the rows into the open file. Nothing here has a destructor:
// a fatal error jumps back into this frame from inside libjpeg. False with
// the compressor's message in job.errors.message.
bool Compress(JpegJob& job, std::FILE* file, const uint8_t* rgb, int width, int height, int quality)
{
    jpeg_compress_struct& info = job.info;
    info.err = jpeg_std_error(&job.errors.manager);
    job.errors.manager.error_exit = OnJpegFatal;
    job.errors.message[0] = '\0';
    if (setjmp(job.errors.resume) != 0) {
        jpeg_destroy_compress(&job.info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);

    // The buffer holds the bottom row first; the file the top row first.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
        static_cast<JDIMENSION>(rowBytes), 1);
    while (info.next_scanline < info.image_height) {
        const size_t source = static_cast<size_t>(height) - 1 - info.next_scanline;
        std::memcpy(row[0], rgb + source * rowBytes, rowBytes);
        jpeg_write_scanlines(&info, row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

bool WriteRgbJpeg(const std::string& path, const uint8_t* rgb, int width, int height, int quality,
    const JpegFailureReport& report)
{
    if (rgb == nullptr || width <= 0 || height <= 0)
        return false;
    const std::string native = platform::NativePath(path);
    std::FILE* file = std::fopen(native.c_str(), "wb");
    if (file == nullptr) {
        Report(report, "JpegFile :\nCan't open " + path + "\n");
        return false;
    }
    JpegJob job {};
    const bool compressed = Compress(job, file, rgb, width, height, quality);
    const int closeError = std::fclose(file) == 0 ? 0 : errno;
    if (compressed && closeError == 0)
        return true;
    std::remove(native.c_str());
    const std::string why = !compressed ? job.errors.message : std::strerror(closeError);
    Report(report, "JpegFile :\nCan't write " + path + "\n" + why + "\n");
    return false;
}

uint8_t Expand5To8(unsigned value)
{
    value &= 31;
    if (value == 0)
        return 0;
    if (value == 31)
        return 255;
    return static_cast<uint8_t>(8 * value + 8);
}

std::optional<std::vector<uint8_t>> ScreenBitmapToRgb(const platform::ScreenBitmap& bitmap)
{
    const int depth = bitmap.bitsPerPixel;
    if ((depth != 32 && depth != 16) || bitmap.width <= 0 || bitmap.height <= 0)
        return std::nullopt;
    const size_t width = static_cast<size_t>(bitmap.width);
    const size_t height = static_cast<size_t>(bitmap.height);
    if (bitmap.stride < width * static_cast<size_t>(depth) / 8 || bitmap.bits.size() / bitmap.stride < height)
        return std::nullopt;

    std::vector<uint8_t> rgb(width * height * 3);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* source = bitmap.bits.data() + y * bitmap.stride;
        uint8_t* out = rgb.data() + y * width * 3;
        for (size_t x = 0; x < width; ++x, out += 3) {
            if (depth == 32) {
                const uint8_t* p = source + x * 4;
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            } else {
                const unsigned p = source[x * 2] | source[x * 2 + 1] << 8;
                out[0] = Expand5To8(p >> 10);
                out[1] = Expand5To8(p >> 5);
                out[2] = Expand5To8(p);
            }
        }
    }
    return rgb;
}

platform::ScreenBitmap BitmapFromPixels(const uint32_t* pixels, int width, int height)
{
    platform::ScreenBitmap bitmap;
    if (pixels == nullptr || width <= 0 || height <= 0)
        return bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitsPerPixel = 32;
    bitmap.stride = platform::ScreenBitmap::StrideFor(width, 32);
    bitmap.bits.resize(bitmap.stride * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uint32_t* source = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint8_t* row = bitmap.bits.data() + static_cast<size_t>(height - 1 - y) * bitmap.stride;
        for (int x = 0; x < width; ++x, row += 4) {
            row[0] = static_cast<uint8_t>(source[x]);
            row[1] = static_cast<uint8_t>(source[x] >> 8);
            row[2] = static_cast<uint8_t>(source[x] >> 16);
            row[3] = 0;
        }
    }
    return bitmap;
}

std::optional<platform::ScreenBitmap> BackBufferOf(engine::COrbitVaneWnd* window)
{
    if (window == nullptr)
        return std::nullopt;
    const auto* paint = dynamic_cast<const engine::GdiPaintModule*>(window->GetCore().FindModule(engine::MODULE_PAINT));
    if (paint == nullptr)
        return std::nullopt;
    const std::vector<uint32_t>& frame = paint->FinishedFrame();
    const int width = paint->GetWidth();
    const int height = paint->GetHeight();
    if (width <= 0 || height <= 0 || frame.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return std::nullopt;
    return BitmapFromPixels(frame.data(), width, height);
}

bool WriteScreenJpeg(const std::string& path, int quality, const ScreenSource& fallback,
    const JpegFailureReport& report)
{
    std::optional<platform::ScreenBitmap> screen = platform::CaptureScreen();
    if (!screen && fallback)
        screen = fallback();
    if (!screen)
        return false;
    const std::optional<std::vector<uint8_t>> rgb = ScreenBitmapToRgb(*screen);
    if (!rgb)
        return false;
    return WriteRgbJpeg(path, rgb->data(), screen->width, screen->height, quality, report);
}

bool WriteScreenJpeg(const std::string& path, int quality, engine::COrbitVaneWnd* client)
{
    return WriteScreenJpeg(path, quality, [client] { return BackBufferOf(client); });
}

} // namespace frame
