#include "frame/core/WaitDialog.h"

#include "frame/core/FrameConfig.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/FontRenderer.h"
#include "platform/Gbk.h"
#include "platform/ImageDecoder.h"
#include "platform/IniFile.h"
#include "platform/X11Window.h"

#include <algorithm>
#include <climits>
#include <poll.h>
#include <string_view>

namespace {

// The longest background name the skin may give.
constexpr size_t kMaxPictureName = 258;

// A colour 0x00BBGGRR as a pixel 0xAARRGGBB (opaque).
uint32_t ToPixel(uint32_t colour)
{
    return 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// The directory part of a program path, separator included: everything up
// to the last '\' or '/' that is not the second byte of a GBK character.
std::string DirectoryOf(const std::string& path)
{
    size_t end = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<uint8_t>(path[i]);
        if (platform::Gbk::IsLeadByte(byte) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (byte == '\\' || byte == '/')
            end = i + 1;
    }
    return path.substr(0, end);
}

// At most limit bytes, never half a character.
std::string CutText(std::string text, size_t limit)
{
    size_t keep = 0;
    while (keep < text.size()) {
        const size_t step = platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[keep])) ? 2 : 1;
        if (keep + step > limit)
            break;
        keep += step;
    }
    text.resize(std::min(keep, text.size()));
    return text;
}

size_t CharLength(std::string_view text, size_t at)
{
    return platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// The lines of a left-aligned, word-wrapped text of the given width: a line
// ends at a line feed, or before the character that would pass the right
// edge; inside a run of half-width characters it ends after the last space
// instead, so a word moves whole to the next line. Spaces at the start of a
// wrapped line are dropped.
std::vector<std::string_view> WrapLines(std::string_view text, int width, platform::FontRenderer& font)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    size_t i = 0;
    int pen = 0;
    size_t lastBreak = std::string_view::npos; // where the line may end: after a space or a full-width character
    auto endLine = [&](size_t end, size_t next) {
        lines.push_back(text.substr(start, end - start));
        start = next;
        while (start < text.size() && text[start] == ' ')
            ++start;
        i = start;
        pen = 0;
        lastBreak = std::string_view::npos;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            size_t end = i;
            if (end > start && text[end - 1] == '\r')
                --end;
            lines.push_back(text.substr(start, end - start));
            start = i = i + 1;
            pen = 0;
            lastBreak = std::string_view::npos;
            continue;
        }
        const size_t length = CharLength(text, i);
        const int advance = font.GlyphAdvance(text.substr(i, length));
        if (pen + advance > width && i > start) {
            const bool inWord = length == 1 && c != ' ';
            if (inWord && lastBreak != std::string_view::npos && lastBreak > start)
                endLine(lastBreak, lastBreak);
            else
                endLine(i, i);
            continue;
        }
        pen += advance;
        i += length;
        if (c == ' ' || length == 2)
            lastBreak = i;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace

// ---- WaitTimer -----------------------------------------------------------------

int WaitTimer::Remaining(uint32_t now) const
{
    if (!m_armed)
        return -1;
    const auto left = static_cast<int32_t>(m_due - now);
    return left > 0 ? left : 0;
}

bool WaitTimer::Fire(uint32_t now)
{
    if (!m_armed || static_cast<int32_t>(m_due - now) > 0)
        return false;
    m_due = now + m_interval;
    return true;
}

// ---- CWaitBar --------------------------------------------------------------------

void CWaitBar::SetColors(uint32_t bright, uint32_t base)
{
    m_bright = bright;
    m_base = base;
    int step[3];
    int baseChannel[3];
    for (int c = 0; c < 3; ++c) {
        baseChannel[c] = static_cast<int>(base >> (8 * c) & 0xFF);
        step[c] = (static_cast<int>(bright >> (8 * c) & 0xFF) - baseChannel[c]) / 3;
    }
    // Each band is its neighbour nearer the bright band moved one step
    // towards the base, a channel stopping at the base value.
    auto fade = [&](uint32_t neighbour) {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            int value = static_cast<int>(neighbour >> (8 * c) & 0xFF) - step[c];
            if ((step[c] >= 0 && value < baseChannel[c]) || (step[c] < 0 && value > baseChannel[c]))
                value = baseChannel[c];
            out |= static_cast<uint32_t>(value) << (8 * c);
        }
        return out;
    };
    m_bands[kBrightBand] = bright & 0xFFFFFF;
    for (int i = kBrightBand - 1; i >= 0; --i)
        m_bands[i] = fade(m_bands[i + 1]);
    for (int i = kBrightBand + 1; i < kBands; ++i)
        m_bands[i] = fade(m_bands[i - 1]);
}

bool CWaitBar::Tick(uint32_t now)
{
    if (!m_timer.Fire(now))
        return false;
    Rotate();
    return true;
}

void CWaitBar::Rotate()
{
    std::rotate(m_bands.rbegin(), m_bands.rbegin() + 1, m_bands.rend());
}

void CWaitBar::Paint(uint32_t* pixels, int stride, int left, int top, int width, int height) const
{
    auto fill = [&](int x0, int x1, uint32_t colour) {
        const uint32_t pixel = ToPixel(colour);
        for (int y = top; y < top + height; ++y)
            std::fill(pixels + static_cast<size_t>(y) * stride + x0, pixels + static_cast<size_t>(y) * stride + x1, pixel);
    };
    fill(left, left + width, m_base);
    const int band = width / kBands;
    for (int i = 0; i < kBands; ++i)
        fill(left + band * i, i == kBands - 1 ? left + width : left + band * (i + 1), m_bands[i]);
}

// ---- WaitDialog ----------------------------------------------------------------------

WaitDialog::WaitDialog(std::string skinIniPath, Output output)
    : m_skinIniPath(std::move(skinIniPath))
    , m_font(std::make_unique<platform::FontRenderer>())
{
    m_font->SelectFont(kFontSize, 400, "宋体", false, false);
    if (output == Output::kWindowWhenPossible) {
        auto window = std::make_unique<platform::X11Window>();
        if (window->Create(kWidth, kHeight, kWindowClass, ""))
            m_window = std::move(window);
    }
    LoadSkin();
}

WaitDialog::~WaitDialog() = default;

void WaitDialog::LoadSkin()
{
    const platform::IniFile skin(m_skinIniPath);
    const bool hasSkin = !m_skinIniPath.empty();

    m_background.clear();
    m_backgroundWidth = m_backgroundHeight = 0;
    const std::string name = hasSkin ? CutText(skin.GetString("BitmapResource", "CommDlgBK", ""), kMaxPictureName) : "";
    std::string bytes;
    platform::DecodedImage picture;
    if (hasSkin && platform::ReadFile(DirectoryOf(m_skinIniPath) + name, bytes)
        && platform::ImageDecoder::Decode(bytes.data(), bytes.size(), platform::kImageBmp, picture)) {
        const std::vector<uint8_t>& source = picture.frames.front().pixels;
        const size_t count = static_cast<size_t>(picture.width) * picture.height;
        m_background.resize(count);
        for (size_t i = 0; i < count; ++i) {
            if (picture.indexed) {
                if (picture.palette.size() < 3) {
                    m_background[i] = 0xFF000000u;
                    continue;
                }
                const size_t entry = std::min<size_t>(source[i], picture.palette.size() / 3 - 1) * 3;
                m_background[i] = 0xFF000000u | picture.palette[entry] << 16 | picture.palette[entry + 1] << 8
                    | picture.palette[entry + 2];
            } else {
                m_background[i] = 0xFF000000u | source[i * 4 + 2] << 16 | source[i * 4 + 1] << 8 | source[i * 4];
            }
        }
        m_backgroundWidth = picture.width;
        m_backgroundHeight = picture.height;
    }

    auto colour = [&](const char* key, uint32_t fallback) {
        return frame::ParseRgbColor(hasSkin ? skin.GetString("CommColors", key, "") : std::string(), fallback);
    };
    m_bar.SetColors(colour("WaitBarfg", kDefaultBarBright), colour("WaitBarbg", kDefaultBarBase));
    if (m_visible)
        Paint();
}

void WaitDialog::ShowText(const std::string& text, int seconds)
{
    m_text = text;
    if (m_window)
        m_window->Show(); // raised in front also when it already shows
    SetVisible(true);
    Paint();
    if (seconds != 0) {
        // Longer than a timer can wait (or negative) is as long as it can.
        const int64_t ms = seconds > 0 ? std::min<int64_t>(int64_t { seconds } * 1000, INT32_MAX) : INT32_MAX;
        m_hideTimer.Start(platform::TickMs(), static_cast<uint32_t>(ms));
    }
}

void WaitDialog::Hide()
{
    SetVisible(false);
}

// What the window does when it is shown or hidden: the bar runs only while
// it can be seen, and starts its interval afresh when the dialog appears.
void WaitDialog::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (visible) {
        m_bar.Start(platform::TickMs(), kBarIntervalMs);
    } else {
        m_bar.Stop();
        if (m_window)
            m_window->Hide();
    }
}

void WaitDialog::AddEventFds(std::vector<int>& fds)
{
    if (m_window)
        fds.push_back(m_window->ConnectionFd());
    for (const EventSource& source : m_sources)
        fds.push_back(source.fd);
}

int WaitDialog::NextWakeMs()
{
    if (m_window && m_window->HasQueuedEvents())
        return 0;
    const uint32_t now = platform::TickMs();
    int next = -1;
    for (int remaining : { m_hideTimer.Remaining(now), m_bar.Remaining(now) })
        if (remaining >= 0 && (next < 0 || remaining < next))
            next = remaining;
    return next;
}

void WaitDialog::OnWake()
{
    if (m_window && m_window->ProcessEvents() && m_visible)
        m_window->Present(m_frame.data(), kWidth, kHeight);
    RunEventSources();

    const uint32_t now = platform::TickMs();
    if (m_hideTimer.Fire(now)) {
        SetVisible(false);
        m_hideTimer.Kill();
    }
    if (m_visible && m_bar.Tick(now))
        Paint();
}

void WaitDialog::RunEventSources()
{
    if (m_sources.empty())
        return;
    std::vector<pollfd> fds;
    for (const EventSource& source : m_sources)
        fds.push_back({ source.fd, POLLIN, 0 });
    if (poll(fds.data(), fds.size(), 0) <= 0)
        return;
    // A callback may add sources: run the ones polled, by index.
    for (size_t i = 0; i < fds.size(); ++i)
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
            m_sources[i].onReadable();
}

void WaitDialog::AddEventSource(int fd, std::function<void()> onReadable)
{
    if (fd >= 0 && onReadable)
        m_sources.push_back({ fd, std::move(onReadable) });
}

void WaitDialog::OnCopyData(uintptr_t type, const uint8_t* data, size_t size)
{
    if (type == kSignAnswer && m_signAnswer)
        m_signAnswer(data, size);
}

uint32_t WaitDialog::FramePixel(int x, int y) const
{
    if (m_frame.empty() || x < 0 || y < 0 || x >= kWidth || y >= kHeight)
        return 0;
    return m_frame[static_cast<size_t>(y) * kWidth + x];
}

// ---- painting ------------------------------------------------------------------------

void WaitDialog::Paint()
{
    m_frame.resize(static_cast<size_t>(kWidth) * kHeight);
    PaintBackground();
    PaintText();
    m_bar.Paint(m_frame.data(), kWidth, kBarRect.x, kBarRect.y, kBarRect.width, kBarRect.height);
    ++m_framesPainted;
    if (m_window)
        m_window->Present(m_frame.data(), kWidth, kHeight);
}

// The picture stretched over the whole dialog, or the button face.
void WaitDialog::PaintBackground()
{
    if (!HasBackground()) {
        std::fill(m_frame.begin(), m_frame.end(), ToPixel(kButtonFace));
        return;
    }
    for (int y = 0; y < kHeight; ++y) {
        const int sy = static_cast<int>(static_cast<int64_t>(y) * m_backgroundHeight / kHeight);
        const uint32_t* row = m_background.data() + static_cast<size_t>(sy) * m_backgroundWidth;
        uint32_t* out = m_frame.data() + static_cast<size_t>(y) * kWidth;
        for (int x = 0; x < kWidth; ++x)
            out[x] = row[static_cast<int64_t>(x) * m_backgroundWidth / kWidth];
    }
}

// The text over the background (no fill of its own), clipped to its box.
void WaitDialog::PaintText()
{
    const Rect& box = kTextRect;
    const uint32_t ink = ToPixel(kTextColour);
    int top = box.y;
    for (std::string_view line : WrapLines(m_text, box.width, *m_font)) {
        if (top >= box.y + box.height)
            break;
        int pen = box.x;
        for (size_t i = 0; i < line.size() && pen < box.x + box.width;) {
            const size_t length = CharLength(line, i);
            const platform::GlyphImage& glyph = m_font->RenderGlyph(line.substr(i, length));
            for (int gy = 0; gy < glyph.height; ++gy) {
                const int y = top + gy;
                if (y >= box.y + box.height)
                    break;
                for (int gx = 0; gx < glyph.width; ++gx) {
                    const int x = pen + gx;
                    const uint32_t cover = glyph.At(gx, gy);
                    if (!cover || x >= box.x + box.width)
                        continue;
                    uint32_t& pixel = m_frame[static_cast<size_t>(y) * kWidth + x];
                    uint32_t blended = 0xFF000000u;
                    for (int shift = 0; shift < 24; shift += 8) {
                        const int d = static_cast<int>(pixel >> shift & 0xFF);
                        const int s = static_cast<int>(ink >> shift & 0xFF);
                        const int mixed = d + ((s - d) * static_cast<int>(cover)) / 255;
                        blended |= static_cast<uint32_t>(mixed) << shift;
                    }
                    pixel = blended;
                }
            }
            pen += glyph.advance;
            i += length;
        }
        top += kFontSize;
    }
}

WaitDisplayFactory MakeWaitDialogFactory(std::string skinIniPath)
{
    return [skinIniPath = std::move(skinIniPath)]() -> std::unique_ptr<WaitTextDisplay> {
        return std::make_unique<WaitDialog>(skinIniPath);
    };
}
