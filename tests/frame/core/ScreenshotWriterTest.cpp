// The screenshot writer: files decoded back with libjpeg (size, upright,
// colours within the codec's tolerance), 16- and 32-bit screens with odd
// widths, a real X server's root window, the client's back buffer where
// there is none, and failures that cost the file but never the program.

#include "frame/core/ScreenshotWriter.h"

#include "platform/MessageBox.h"
#include "engine/core/RenderList.h"
#include "engine/core/ModuleMessage.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "engine/objects/RectObject.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <jpeglib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Rgb {
    int r, g, b;
};

// A decoded file: pixels top row first.
struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
    std::vector<uint8_t> rgb;

    Rgb At(int x, int y) const
    {
        const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 3;
        return { p[0], p[1], p[2] };
    }
};

std::optional<Decoded> ReadJpeg(const fs::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    Decoded out;
    out.progressive = info.progressive_mode != 0;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.components = info.num_components;
    out.rgb.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<size_t>(info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return out;
}

// The frame marker of the file: 0xC0 for a baseline JPEG.
int FrameMarker(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t at = 2; // after SOI
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const int marker = bytes[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker;
        at += 2 + (static_cast<size_t>(bytes[at + 2]) << 8 | bytes[at + 3]);
    }
    return -1;
}

// Within what JPEG keeps of a flat area of one colour.
void ExpectNear(Rgb got, Rgb want, const std::string& where)
{
    constexpr int kTolerance = 10;
    EXPECT_NEAR(got.r, want.r, kTolerance) << where;
    EXPECT_NEAR(got.g, want.g, kTolerance) << where;
    EXPECT_NEAR(got.b, want.b, kTolerance) << where;
}

// The colours of the four quarters of every test picture, as seen upright.
constexpr Rgb kTopLeft { 255, 0, 0 };
constexpr Rgb kTopRight { 0, 255, 0 };
constexpr Rgb kBottomLeft { 0, 0, 255 };
constexpr Rgb kBottomRight { 255, 255, 255 };

Rgb QuarterColour(int x, int y, int width, int height)
{
    const bool left = x < width / 2;
    const bool top = y < height / 2;
    return top ? (left ? kTopLeft : kTopRight) : (left ? kBottomLeft : kBottomRight);
}

// The four quarters, sampled away from their edges.
void ExpectQuarters(const Decoded& picture, int width, int height)
{
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    const int x[] = { width / 4, width * 3 / 4 };
    const int y[] = { height / 4, height * 3 / 4 };
    ExpectNear(picture.At(x[0], y[0]), kTopLeft, "top left");
    ExpectNear(picture.At(x[1], y[0]), kTopRight, "top right");
    ExpectNear(picture.At(x[0], y[1]), kBottomLeft, "bottom left");
    ExpectNear(picture.At(x[1], y[1]), kBottomRight, "bottom right");
}

// A packed RGB buffer of the quarters, stored bottom row first.
std::vector<uint8_t> QuarterBuffer(int width, int height)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row; // upright row
        for (int x = 0; x < width; ++x) {
            const Rgb c = QuarterColour(x, y, width, height);
            uint8_t* p = rgb.data() + (static_cast<size_t>(row) * width + x) * 3;
            p[0] = static_cast<uint8_t>(c.r);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.b);
        }
    }
    return rgb;
}

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kbzn_shot_" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        m_report = [this](const std::string& text) { m_reports.push_back(text); };
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
    std::vector<std::string> m_reports;
    frame::JpegFailureReport m_report;
};

TEST_F(ScreenshotTest, AnRgbBufferIsWrittenUprightAsABaselineJpeg)
{
    for (const auto& [width, height] : { std::pair { 64, 48 }, std::pair { 33, 17 } }) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const std::vector<uint8_t> rgb = QuarterBuffer(width, height);
        const std::string path = PathOf("buffer.jpg");
        ASSERT_TRUE(frame::WriteRgbJpeg(path, rgb.data(), width, height, 75, m_report));
        const std::optional<Decoded> picture = ReadJpeg(path);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->components, 3);
        EXPECT_FALSE(picture->progressive);
        EXPECT_EQ(FrameMarker(path), 0xC0);
        ExpectQuarters(*picture, width, height);
    }
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(ScreenshotTest, FiveBitChannelsSpreadToEightBits)
{
    const std::pair<unsigned, int> cases[] = { { 0, 0 }, { 1, 16 }, { 2, 24 }, { 15, 128 }, { 16, 136 },
        { 30, 248 }, { 31, 255 } };
    for (const auto& [value, expanded] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(frame::Expand5To8(value), expanded);
    }
}

TEST_F(ScreenshotTest, ScreenBitmapsBecomeRgbRowByRowAtTheirStride)
{
    // 3 pixels a row: 6 bytes of 16-bit pixels padded to 8, 12 bytes of
    // 32-bit pixels (no padding). The padding holds junk that must not
    // shift the next row.
    platform::ScreenBitmap sixteen { 3, 2, 16, 8, {} };
    sixteen.bits = {
        0xFF, 0x7F, 0x21, 0x04, 0x00, 0x7C, 0xEE, 0xEE, // white, (1,1,1), red
        0x1F, 0x80, 0xE0, 0x03, 0x00, 0x00, 0xEE, 0xEE, // blue with bit 15 set, green, black
    };
    const std::vector<uint8_t> sixteenRgb = {
        255, 255, 255, 16, 16, 16, 255, 0, 0, //
        0, 0, 255, 0, 255, 0, 0, 0, 0,
    };
    EXPECT_EQ(frame::ScreenBitmapToRgb(sixteen), sixteenRgb);

    platform::ScreenBitmap thirtyTwo { 3, 1, 32, 12, {} };
    thirtyTwo.bits = { 0x30, 0x20, 0x10, 0x99, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x77 };
    EXPECT_EQ(frame::ScreenBitmapToRgb(thirtyTwo), (std::vector<uint8_t> { 0x10, 0x20, 0x30, 0, 0, 255, 255, 0, 0 }));

    // Depths the writer does not convert, and bits shorter than the size.
    for (int depth : { 8, 24, 0 }) {
        SCOPED_TRACE(depth);
        platform::ScreenBitmap other { 2, 2, depth, 8, std::vector<uint8_t>(16, 0) };
        EXPECT_FALSE(frame::ScreenBitmapToRgb(other));
    }
    platform::ScreenBitmap shortBits = sixteen;
    shortBits.bits.resize(15);
    EXPECT_FALSE(frame::ScreenBitmapToRgb(shortBits));
    platform::ScreenBitmap narrowStride = sixteen;
    narrowStride.stride = 4;
    EXPECT_FALSE(frame::ScreenBitmapToRgb(narrowStride));
}

TEST_F(ScreenshotTest, AFileThatCannotBeCreatedGivesFalseAndTheMessage)
{
    const std::vector<uint8_t> rgb = QuarterBuffer(8, 8);
    const std::string path = PathOf("no-such-dir/shot.jpg");
    EXPECT_FALSE(frame::WriteRgbJpeg(path, rgb.data(), 8, 8, 75, m_report));
    EXPECT_EQ(m_reports, (std::vector<std::string> { "JpegFile :\nCan't open " + path + "\n" }));

    // Without a report of its own the writer shows a box with an OK button.
    platform::SetMessageBoxAnswer(platform::kIdOk);
    EXPECT_FALSE(frame::WriteRgbJpeg(path, rgb.data(), 8, 8, 75));
    const std::vector<platform::MessageBoxRecord> boxes = platform::TakeMessageBoxLog();
    platform::SetMessageBoxAnswer(std::nullopt);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "JpegFile :\nCan't open " + path + "\n");
    EXPECT_EQ(boxes[0].type, platform::kMbOk);

    // Nothing to write: no file and nothing said.
    m_reports.clear();
    EXPECT_FALSE(frame::WriteRgbJpeg(PathOf("null.jpg"), nullptr, 8, 8, 75, m_report));
    EXPECT_FALSE(frame::WriteRgbJpeg(PathOf("empty.jpg"), rgb.data(), 0, 8, 75, m_report));
    EXPECT_TRUE(m_reports.empty());
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(ScreenshotTest, AnErrorInsideTheCompressorReturnsAndLeavesNoFile)
{
    // Wider than a JPEG may be: the compressor refuses it half way into the
    // file. Its default handler would end the process here.
    constexpr int kWidth = 70000;
    const std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * 3, 0x80);
    const std::string path = PathOf("too-wide.jpg");
    EXPECT_FALSE(frame::WriteRgbJpeg(path, rgb.data(), kWidth, 1, 75, m_report));
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0].rfind("JpegFile :\nCan't write " + path + "\n", 0), 0u) << m_reports[0];
    EXPECT_GT(m_reports[0].size(), ("JpegFile :\nCan't write " + path + "\n\n").size()) << "the compressor's words";

    // The writer is whole afterwards.
    const std::vector<uint8_t> small = QuarterBuffer(16, 16);
    EXPECT_TRUE(frame::WriteRgbJpeg(PathOf("after.jpg"), small.data(), 16, 16, 75, m_report));
}

// Files may grow to `bytes` only; writes past it fail with EFBIG instead of
// raising SIGXFSZ, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return m_active; }

private:
    rlimit m_saved {};
    void (*m_savedSignal)(int) = nullptr;
    bool m_active = false;
};

TEST_F(ScreenshotTest, AFullDiskLeavesNoFileAndTheProgramRunning)
{
    // Noise compresses badly: far more than the limit.
    constexpr int kSide = 256;
    std::vector<uint8_t> rgb(static_cast<size_t>(kSide) * kSide * 3);
    uint32_t seed = 12345;
    for (uint8_t& byte : rgb) {
        seed = seed * 1103515245 + 12345;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    const std::string path = PathOf("full.jpg");
    {
        std::ofstream(path) << "an older screenshot";
        FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(frame::WriteRgbJpeg(path, rgb.data(), kSide, kSide, 95, m_report));
    }
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0].rfind("JpegFile :\nCan't write " + path + "\n", 0), 0u) << m_reports[0];

    // With room again the same picture is written.
    EXPECT_TRUE(frame::WriteRgbJpeg(path, rgb.data(), kSide, kSide, 95, m_report));
    EXPECT_GT(fs::file_size(path), 8192u);
}

// The environment's DISPLAY, put back afterwards.
class DisplayVariable {
public:
    DisplayVariable()
    {
        const char* value = std::getenv("DISPLAY");
        if (value)
            m_saved = value;
    }
    ~DisplayVariable()
    {
        if (m_saved)
            setenv("DISPLAY", m_saved->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    DisplayVariable(const DisplayVariable&) = delete;
    DisplayVariable& operator=(const DisplayVariable&) = delete;

private:
    std::optional<std::string> m_saved;
};

// The quarters as a back buffer: 0xAARRGGBB words, top row first.
std::vector<uint32_t> QuarterPixels(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = QuarterColour(x, y, width, height);
            pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | static_cast<uint32_t>(c.r) << 16
                | static_cast<uint32_t>(c.g) << 8 | static_cast<uint32_t>(c.b);
        }
    return pixels;
}

TEST_F(ScreenshotTest, WithoutAnXServerTheClientsBackBufferIsWritten)
{
    DisplayVariable display;
    unsetenv("DISPLAY");
    ASSERT_FALSE(platform::CaptureScreen());

    const std::vector<uint32_t> pixels = QuarterPixels(51, 37);
    const auto backBuffer = [&] { return std::optional(frame::BitmapFromPixels(pixels.data(), 51, 37)); };
    const std::string path = PathOf("client.jpg");
    ASSERT_TRUE(frame::WriteScreenJpeg(path, 75, backBuffer, m_report));
    const std::optional<Decoded> picture = ReadJpeg(path);
    ASSERT_TRUE(picture);
    ExpectQuarters(*picture, 51, 37);

    // Nothing to capture, or a depth the writer does not take: no file.
    EXPECT_FALSE(frame::WriteScreenJpeg(PathOf("none.jpg"), 75, nullptr, m_report));
    EXPECT_FALSE(frame::WriteScreenJpeg(PathOf("none.jpg"), 75, [] { return std::nullopt; }, m_report));
    const auto eightBit = [] { return std::optional(platform::ScreenBitmap { 4, 4, 8, 4, std::vector<uint8_t>(16) }); };
    EXPECT_FALSE(frame::WriteScreenJpeg(PathOf("none.jpg"), 75, eightBit, m_report));
    EXPECT_FALSE(fs::exists(PathOf("none.jpg")));
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(ScreenshotTest, TheEngineWindowsFinishedFrameIsTheClientsScreen)
{
    DisplayVariable display;
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    engine::COrbitVaneWnd host;
    host.SetMusicModule(nullptr, engine::SoundCalls {});
    if (!host.Create("shot", 40, 30))
        GTEST_SKIP() << "no video driver";
    ASSERT_TRUE(host.Init(std::make_unique<engine::RectObject>()));
    auto* paint = dynamic_cast<engine::GdiPaintModule*>(host.GetCore().FindModule(engine::MODULE_PAINT));
    ASSERT_NE(paint, nullptr);
    paint->Clear(0x00FF8000); // COLORREF: blue 0xFF, green 0x80, red 0
    auto list = std::make_unique<engine::RenderList>();
    list->rects = { engine::Rect { 0, 0, 40, 30 } };
    paint->RenderDirty(std::move(list));

    const std::string path = PathOf("engine.jpg");
    ASSERT_TRUE(frame::WriteScreenJpeg(path, 75, &host));
    const std::optional<Decoded> picture = ReadJpeg(path);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 40);
    EXPECT_EQ(picture->height, 30);
    ExpectNear(picture->At(20, 15), { 0, 128, 255 }, "centre");

    EXPECT_FALSE(frame::BackBufferOf(nullptr));
    EXPECT_FALSE(frame::WriteScreenJpeg(PathOf("none.jpg"), 75, static_cast<engine::COrbitVaneWnd*>(nullptr)));
}

// A virtual X server of its own for one test: Xvfb chooses a free display
// and names it on a pipe once it is ready. It keeps what was painted when
// the painting client leaves (no reset).
class VirtualScreen {
public:
    VirtualScreen(int width, int height, int depth)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string geometry = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", geometry.c_str(), "-nolisten", "tcp", "-noreset",
                static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            m_name = ":" + number;
    }
    ~VirtualScreen()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    const std::string& Name() const { return m_name; }

    // Paints the quarters onto the root window.
    bool PaintQuarters(int width, int height) const
    {
        Display* display = XOpenDisplay(m_name.c_str());
        if (display == nullptr)
            return false;
        const int screen = DefaultScreen(display);
        const Window root = RootWindow(display, screen);
        GC gc = XCreateGC(display, root, 0, nullptr);
        XSetSubwindowMode(display, gc, IncludeInferiors);
        for (const auto& [x, y] : { std::pair { 0, 0 }, std::pair { 1, 0 }, std::pair { 0, 1 }, std::pair { 1, 1 } }) {
            const Rgb c = QuarterColour(x * width, y * height, width, height);
            XColor colour {};
            colour.red = static_cast<unsigned short>(c.r * 257);
            colour.green = static_cast<unsigned short>(c.g * 257);
            colour.blue = static_cast<unsigned short>(c.b * 257);
            colour.flags = DoRed | DoGreen | DoBlue;
            XAllocColor(display, DefaultColormap(display, screen), &colour);
            XSetForeground(display, gc, colour.pixel);
            const int left = x * (width / 2);
            const int top = y * (height / 2);
            XFillRectangle(display, root, gc, left, top, static_cast<unsigned>(x ? width - left : width / 2),
                static_cast<unsigned>(y ? height - top : height / 2));
        }
        XSync(display, False);
        XFreeGC(display, gc);
        XCloseDisplay(display);
        return true;
    }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

TEST_F(ScreenshotTest, TheXRootWindowIsWrittenAtItsDepth)
{
    struct Case {
        int width, height, depth;
        bool written;
    };
    const Case cases[] = {
        { 320, 200, 24, true }, // 32 bits a pixel
        { 331, 201, 24, true },
        { 331, 201, 16, true }, // odd width: rows padded to 4 bytes
        { 64, 48, 15, true },
        { 64, 48, 8, false }, // a palette screen: nothing written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.depth));
        VirtualScreen server(c.width, c.height, c.depth);
        if (server.Name().empty())
            GTEST_SKIP() << "Xvfb could not start";
        DisplayVariable display;
        setenv("DISPLAY", server.Name().c_str(), 1);
        ASSERT_TRUE(server.PaintQuarters(c.width, c.height));

        const std::optional<platform::ScreenBitmap> screen = platform::CaptureScreen();
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->width, c.width);
        EXPECT_EQ(screen->height, c.height);

        bool fallbackUsed = false;
        const auto fallback = [&] {
            fallbackUsed = true;
            return std::optional<platform::ScreenBitmap>();
        };
        const std::string path = PathOf("root.jpg");
        fs::remove(path);
        EXPECT_EQ(frame::WriteScreenJpeg(path, 75, fallback, m_report), c.written);
        EXPECT_FALSE(fallbackUsed);
        EXPECT_EQ(fs::exists(path), c.written);
        if (c.written) {
            const std::optional<Decoded> picture = ReadJpeg(path);
            ASSERT_TRUE(picture);
            ExpectQuarters(*picture, c.width, c.height);
        }
    }
    EXPECT_TRUE(m_reports.empty());
}

} // namespace
