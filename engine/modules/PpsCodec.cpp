#include "engine/modules/PpsCodec.h"

#include "engine/core/EngineFiles.h"
#include "engine/core/ZlibCodec.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace engine {

namespace {

constexpr size_t kMaxRun = 16383;

bool IsMethod(int method)
{
    return method == kPpsStored || method == kPpsRle || method == kPpsRleZlib || method == kPpsZlib
        || method == kPpsSmallest;
}

bool IsPalettePicture(uint32_t flags)
{
    return flags & (kPicturePalette32 | kPicturePalette);
}

// Bytes of one decoded pixel.
size_t PixelBytes(uint32_t flags)
{
    if (IsPalettePicture(flags))
        return (flags & kPictureAlpha) ? 2 : 1;
    return 4;
}

uint32_t SampleValue(const uint8_t* p, int sampleSize)
{
    return sampleSize == 1 ? p[0] : (p[0] | p[1] << 8 | p[2] << 16);
}

// Calls emit(isRun, first sample index, count) for each group of the code.
template <typename Emit>
void ForEachGroup(const uint8_t* samples, size_t n, int sampleSize, Emit emit)
{
    // A sample's mark: 0 outside runs, else a value unique to its sample
    // value (so neighbouring runs of different values stay apart).
    auto mark = [&](size_t i) -> uint32_t {
        uint32_t v = SampleValue(samples + i * sampleSize, sampleSize);
        bool run = (i > 0 && SampleValue(samples + (i - 1) * sampleSize, sampleSize) == v)
            || (i + 1 < n && SampleValue(samples + (i + 1) * sampleSize, sampleSize) == v);
        if (!run)
            return 0;
        return sampleSize == 1 ? v + 1 : (v | 1u << 24);
    };
    size_t i = 0;
    while (i < n) {
        uint32_t m = mark(i);
        size_t j = i + 1;
        while (j < n && j - i < kMaxRun && mark(j) == m)
            ++j;
        emit(m != 0, i, j - i);
        i = j;
    }
}

size_t RecordBytes(bool run, size_t count, int sampleSize)
{
    size_t head = count < 64 ? 1 : 2;
    return head + (run ? 1 : count) * static_cast<size_t>(sampleSize);
}

// One plane, encoded by the method's choice for it.
struct EncodedPlane {
    std::vector<uint8_t> bytes;
    uint16_t frameFlag = 0; // kPpsFrameRle or kPpsFrameZlib (method 6 only)
};

bool EncodePlane(const uint8_t* plane, size_t bytes, int sampleSize, bool colour, int method, EncodedPlane& out)
{
    out.frameFlag = 0;
    bool rle = colour ? (method == kPpsRle || method == kPpsRleZlib) : method == kPpsRle;
    if (rle) {
        out.bytes = RleEncode(plane, bytes, sampleSize);
        return true;
    }
    if (!ZlibCompress(plane, bytes, out.bytes))
        return false;
    if (method == kPpsSmallest && colour) {
        std::vector<uint8_t> code = RleEncode(plane, bytes, sampleSize);
        // zlib only when strictly shorter.
        if (out.bytes.size() < code.size()) {
            out.frameFlag = kPpsFrameZlib;
        } else {
            out.bytes = std::move(code);
            out.frameFlag = kPpsFrameRle;
        }
    }
    return true;
}

struct EncodedFrame {
    uint16_t flags = 0;
    std::vector<uint8_t> colour;
    std::vector<uint8_t> alpha;
    size_t Size() const { return colour.size() + alpha.size(); }
};

// Encodes one frame's decoded bytes (already XORed for the XOR variant).
bool EncodeFrame(const uint8_t* frame, size_t pixels, uint32_t imageFlags, int method, uint16_t flags, EncodedFrame& out)
{
    bool palette = IsPalettePicture(imageFlags);
    bool alpha = imageFlags & kPictureAlpha;
    out.flags = flags;
    out.colour.clear();
    out.alpha.clear();
    size_t frameBytes = pixels * PixelBytes(imageFlags);
    if (method == kPpsStored) {
        out.colour.assign(frame, frame + frameBytes);
        return true;
    }
    std::vector<uint8_t> colour;
    std::vector<uint8_t> alphaPlane;
    int sampleSize = palette ? 1 : 3;
    if (palette && !alpha) {
        colour.assign(frame, frame + frameBytes);
    } else if (palette) {
        colour.resize(pixels);
        alphaPlane.resize(pixels);
        for (size_t i = 0; i < pixels; ++i) {
            colour[i] = frame[i * 2];
            alphaPlane[i] = frame[i * 2 + 1];
        }
    } else {
        colour.resize(pixels * 3);
        if (alpha)
            alphaPlane.resize(pixels);
        for (size_t i = 0; i < pixels; ++i) {
            std::memcpy(&colour[i * 3], frame + i * 4, 3);
            if (alpha)
                alphaPlane[i] = frame[i * 4 + 3];
        }
    }
    EncodedPlane plane;
    if (!EncodePlane(colour.data(), colour.size(), sampleSize, true, method, plane))
        return false;
    out.colour = std::move(plane.bytes);
    out.flags |= plane.frameFlag;
    if (alpha) {
        if (!EncodePlane(alphaPlane.data(), alphaPlane.size(), 1, false, method, plane))
            return false;
        out.alpha = std::move(plane.bytes);
    }
    return true;
}

// Decodes one plane of `expected` bytes.
bool DecodePlane(const uint8_t* code, size_t size, int sampleSize, bool useZlib, std::vector<uint8_t>& out,
    size_t expected)
{
    if (useZlib)
        return ZlibUncompress(code, size, expected, out) && out.size() == expected;
    out.resize(expected);
    return RleDecode(code, size, sampleSize, out.data(), expected);
}

} // namespace

std::vector<uint8_t> RleEncode(const uint8_t* samples, size_t bytes, int sampleSize)
{
    std::vector<uint8_t> out;
    if ((sampleSize != 1 && sampleSize != 3) || bytes % sampleSize != 0)
        return out;
    size_t n = bytes / sampleSize;
    // First pass: the exact size; second pass: fill one allocation.
    size_t total = 0;
    ForEachGroup(samples, n, sampleSize, [&](bool run, size_t, size_t count) { total += RecordBytes(run, count, sampleSize); });
    out.resize(total);
    uint8_t* p = out.data();
    ForEachGroup(samples, n, sampleSize, [&](bool run, size_t first, size_t count) {
        uint8_t tag = run ? 0 : 1;
        if (count < 64) {
            *p++ = static_cast<uint8_t>(count << 2 | tag);
        } else {
            *p++ = static_cast<uint8_t>((count & 0x3f) << 2 | (tag + 2));
            *p++ = static_cast<uint8_t>(count >> 6);
        }
        size_t copy = (run ? 1 : count) * sampleSize;
        std::memcpy(p, samples + first * sampleSize, copy);
        p += copy;
    });
    return out;
}

bool RleDecode(const uint8_t* code, size_t size, int sampleSize, uint8_t* out, size_t expected)
{
    if (sampleSize != 1 && sampleSize != 3)
        return false;
    size_t in = 0;
    size_t written = 0;
    while (in < size) {
        uint8_t control = code[in++];
        uint8_t tag = control & 3;
        size_t count = control >> 2;
        if (tag >= 2) {
            if (in >= size)
                return false;
            count += static_cast<size_t>(code[in++]) << 6;
        }
        size_t bytes = count * sampleSize;
        if (bytes > expected - written)
            return false;
        if (tag == 0 || tag == 2) {
            if (static_cast<size_t>(sampleSize) > size - in)
                return false;
            for (size_t k = 0; k < count; ++k)
                std::memcpy(out + written + k * sampleSize, code + in, sampleSize);
            in += sampleSize;
        } else {
            if (bytes > size - in)
                return false;
            std::memcpy(out + written, code + in, bytes);
            in += bytes;
        }
        written += bytes;
    }
    return written == expected;
}

std::vector<uint8_t> EncodePps(const PictureData& picture, const uint8_t* block, int method)
{
    std::vector<uint8_t> none;
    uint32_t flags = picture.flags;
    if (!IsMethod(method) || picture.frameCount == 0 || picture.frameWidth == 0 || picture.frameHeight == 0)
        return none;
    size_t pixels = static_cast<size_t>(picture.frameWidth) * picture.frameHeight;
    size_t frameBytes = pixels * PixelBytes(flags);
    uint64_t totalDecoded = static_cast<uint64_t>(frameBytes) * picture.frameCount;
    if (totalDecoded > std::numeric_limits<uint32_t>::max() || picture.pixels.size() < totalDecoded)
        return none;
    size_t paletteBytes = 0;
    if (flags & kPicturePalette32) {
        paletteBytes = kPpsPaletteBlockSize;
    } else if (flags & kPicturePalette) {
        paletteBytes = static_cast<size_t>(picture.paletteCount) * 3;
        if (picture.palette.size() < paletteBytes)
            return none;
    }

    bool several = picture.frameCount > 1;
    std::vector<EncodedFrame> frames(picture.frameCount);
    std::vector<uint8_t> xored(frameBytes);
    uint16_t baseFlags = IsPalettePicture(flags) ? kPpsFrameIndexed : 0;
    if (flags & kPictureAlpha)
        baseFlags |= kPpsFrameAlpha;
    uint64_t running = kPpsHeaderSize + paletteBytes;
    for (size_t f = 0; f < picture.frameCount; ++f) {
        const uint8_t* frame = picture.pixels.data() + f * frameBytes;
        if (!EncodeFrame(frame, pixels, flags, method, baseFlags, frames[f]))
            return none;
        if (f > 0) {
            // The XOR variant against the previous frame as the picture holds
            // it; kept only when strictly smaller.
            const uint8_t* previous = frame - frameBytes;
            for (size_t i = 0; i < frameBytes; ++i)
                xored[i] = frame[i] ^ previous[i];
            EncodedFrame variant;
            if (!EncodeFrame(xored.data(), pixels, flags, method, baseFlags | kPpsFrameXor, variant))
                return none;
            if (variant.Size() < frames[f].Size())
                frames[f] = std::move(variant);
        }
        running += kPpsFrameHeaderSize + frames[f].Size();
    }
    if (flags & kPictureCaps)
        running += 4;
    if (running > std::numeric_limits<uint32_t>::max())
        return none;

    std::vector<uint8_t> out(running);
    uint8_t* p = out.data();
    p[0] = 'p';
    p[1] = 'p';
    p[2] = 's';
    p[3] = static_cast<uint8_t>(method);
    platform::StoreLe32(p + 4, flags);
    platform::StoreLe16(p + 8, picture.frameCount);
    platform::StoreLe16(p + 10, picture.frameWidth);
    platform::StoreLe16(p + 12, picture.frameHeight);
    platform::StoreLe16(p + 14, 0);
    platform::StoreLe32(p + 16, picture.colourKey);
    platform::StoreLe32(p + 20, static_cast<uint32_t>(totalDecoded));
    platform::StoreLe32(p + 24, static_cast<uint32_t>(running));
    platform::StoreLe16(p + 28, picture.paletteCount);
    platform::StoreLe16(p + 30, 0);
    p += kPpsHeaderSize;
    if (flags & kPicturePalette32) {
        if (block)
            std::memcpy(p, block, kPpsPaletteBlockSize);
        else
            std::memset(p, 0, kPpsPaletteBlockSize);
    } else if (paletteBytes) {
        std::memcpy(p, picture.palette.data(), paletteBytes);
    }
    p += paletteBytes;
    for (size_t f = 0; f < frames.size(); ++f) {
        const EncodedFrame& frame = frames[f];
        uint32_t delay = several && f < picture.frameDelays.size() ? picture.frameDelays[f] : 0;
        platform::StoreLe16(p, frame.flags);
        platform::StoreLe16(p + 2, 0);
        platform::StoreLe32(p + 4, delay);
        platform::StoreLe32(p + 8, static_cast<uint32_t>(frame.colour.size()));
        platform::StoreLe32(p + 12, static_cast<uint32_t>(frame.alpha.size()));
        platform::StoreLe32(p + 16, static_cast<uint32_t>(frameBytes));
        p += kPpsFrameHeaderSize;
        if (!frame.colour.empty())
            std::memcpy(p, frame.colour.data(), frame.colour.size());
        p += frame.colour.size();
        if (!frame.alpha.empty())
            std::memcpy(p, frame.alpha.data(), frame.alpha.size());
        p += frame.alpha.size();
    }
    if (flags & kPictureCaps) {
        uint32_t caps = static_cast<uint32_t>(static_cast<uint16_t>(picture.capWidth)) << 16
            | static_cast<uint16_t>(picture.capHeight);
        platform::StoreLe32(p, caps);
    }
    return out;
}

uint32_t DecodePps(const uint8_t* data, size_t size, PictureData& picture)
{
    if (!data || size < kPpsHeaderSize || data[0] != 'p' || data[1] != 'p' || data[2] != 's')
        return 0;
    int method = data[3];
    uint32_t flags = platform::LoadLe32(data + 4);
    uint16_t frameCount = platform::LoadLe16(data + 8);
    uint16_t width = platform::LoadLe16(data + 10);
    uint16_t height = platform::LoadLe16(data + 12);
    uint32_t colourKey = platform::LoadLe32(data + 16);
    uint32_t totalDecoded = platform::LoadLe32(data + 20);
    uint32_t totalSize = platform::LoadLe32(data + 24);
    uint16_t paletteCount = platform::LoadLe16(data + 28);
    if (!IsMethod(method) || frameCount == 0 || width == 0 || height == 0)
        return 0;
    // Everything read lies inside the size the header gives, and that inside
    // the buffer.
    if (totalSize > size || totalSize < kPpsHeaderSize)
        return 0;
    size_t end = totalSize;
    bool palette = IsPalettePicture(flags);
    bool alpha = flags & kPictureAlpha;
    size_t pixels = static_cast<size_t>(width) * height;
    size_t frameBytes = pixels * PixelBytes(flags);
    if (static_cast<uint64_t>(frameBytes) * frameCount != totalDecoded || totalDecoded > kZlibMaxUncompressed)
        return 0;

    size_t pos = kPpsHeaderSize;
    size_t paletteBytes = 0;
    if (flags & kPicturePalette32)
        paletteBytes = kPpsPaletteBlockSize;
    else if (flags & kPicturePalette)
        paletteBytes = static_cast<size_t>(paletteCount) * 3;
    if (paletteBytes > end - pos)
        return 0;
    size_t paletteAt = pos;
    pos += paletteBytes;

    // Walk the frame headers before allocating anything: a lying header is
    // refused without touching memory sized by it.
    struct FrameInfo {
        uint16_t flags;
        uint32_t delay;
        size_t colourAt;
        uint32_t colourBytes;
        uint32_t alphaBytes;
    };
    std::vector<FrameInfo> frames;
    frames.reserve(std::min<size_t>(frameCount, (end - pos) / kPpsFrameHeaderSize + 1));
    for (size_t f = 0; f < frameCount; ++f) {
        if (kPpsFrameHeaderSize > end - pos)
            return 0;
        const uint8_t* h = data + pos;
        FrameInfo info { platform::LoadLe16(h), platform::LoadLe32(h + 4), pos + kPpsFrameHeaderSize, platform::LoadLe32(h + 8),
            platform::LoadLe32(h + 12) };
        if (platform::LoadLe32(h + 16) != frameBytes)
            return 0;
        pos += kPpsFrameHeaderSize;
        if (static_cast<uint64_t>(info.colourBytes) + info.alphaBytes > end - pos)
            return 0;
        // Stored frames are the decoded bytes themselves; without an alpha
        // plane nothing may be announced for it.
        if (method == kPpsStored && (info.colourBytes != frameBytes || info.alphaBytes != 0))
            return 0;
        if (method != kPpsStored && !alpha && info.alphaBytes != 0)
            return 0;
        pos += static_cast<size_t>(info.colourBytes) + info.alphaBytes;
        frames.push_back(info);
    }
    int16_t capWidth = 0;
    int16_t capHeight = 0;
    if (flags & kPictureCaps) {
        if (4 > end - pos)
            return 0;
        uint32_t caps = platform::LoadLe32(data + pos);
        capWidth = static_cast<int16_t>(caps >> 16);
        capHeight = static_cast<int16_t>(caps & 0xffff);
    }

    std::vector<uint8_t> block(totalDecoded);
    std::vector<uint8_t> colour;
    std::vector<uint8_t> alphaPlane;
    int sampleSize = palette ? 1 : 3;
    bool keyToAlpha = !palette && !alpha && (flags & kPictureColourKey) && method != kPpsStored;
    for (size_t f = 0; f < frames.size(); ++f) {
        const FrameInfo& info = frames[f];
        uint8_t* out = block.data() + f * frameBytes;
        const uint8_t* code = data + info.colourAt;
        if (method == kPpsStored) {
            std::memcpy(out, code, frameBytes);
        } else {
            bool colourZlib = method == kPpsZlib || (method == kPpsSmallest && (info.flags & kPpsFrameZlib));
            size_t colourExpected = palette ? pixels : pixels * 3;
            if (!DecodePlane(code, info.colourBytes, sampleSize, colourZlib, colour, colourExpected))
                return 0;
            if (alpha) {
                bool alphaZlib = method != kPpsRle;
                if (!DecodePlane(code + info.colourBytes, info.alphaBytes, 1, alphaZlib, alphaPlane, pixels))
                    return 0;
            }
            if (palette && !alpha) {
                std::memcpy(out, colour.data(), frameBytes);
            } else if (palette) {
                for (size_t i = 0; i < pixels; ++i) {
                    out[i * 2] = colour[i];
                    out[i * 2 + 1] = alphaPlane[i];
                }
            } else {
                for (size_t i = 0; i < pixels; ++i) {
                    std::memcpy(out + i * 4, &colour[i * 3], 3);
                    out[i * 4 + 3] = alpha ? alphaPlane[i] : 255;
                }
            }
        }
        if ((info.flags & kPpsFrameXor) && f > 0) {
            const uint8_t* previous = out - frameBytes;
            // A 32-bit picture without an alpha plane stores no alpha: its
            // alpha stays 255 instead of being XORed to 0.
            if (!palette && !alpha && method != kPpsStored) {
                for (size_t i = 0; i < frameBytes; ++i) {
                    if ((i & 3) != 3)
                        out[i] ^= previous[i];
                }
            } else {
                for (size_t i = 0; i < frameBytes; ++i)
                    out[i] ^= previous[i];
            }
        }
    }
    if (keyToAlpha) {
        // Without an alpha plane the colour key is the transparency: pixels
        // of the key colour come back transparent, as they were encoded.
        for (size_t i = 0; i < block.size(); i += 4) {
            uint32_t rgb = block[i + 2] | block[i + 1] << 8 | block[i] << 16;
            if (rgb == (colourKey & 0xffffff))
                block[i + 3] = 0;
        }
    }

    picture.frameCount = frameCount;
    picture.frameWidth = width;
    picture.frameHeight = height;
    picture.colourKey = palette && !(flags & kPictureColourKey) ? kNoPaletteKey : colourKey;
    picture.flags = flags;
    picture.paletteCount = paletteCount;
    picture.palette.assign(data + paletteAt, data + paletteAt + paletteBytes);
    picture.frameDelays.clear();
    if (flags & kPictureDelays) {
        picture.frameDelays.resize(frameCount);
        for (size_t f = 0; f < frames.size(); ++f)
            picture.frameDelays[f] = frames[f].delay;
    }
    picture.pixels = std::move(block);
    picture.capWidth = capWidth;
    picture.capHeight = capHeight;
    return totalDecoded;
}

int SavePps(const uint8_t* data, size_t size, std::string_view path)
{
    if (!data || size < kPpsHeaderSize || data[0] != 'p' || data[1] != 'p' || data[2] != 's')
        return 0;
    uint32_t total = platform::LoadLe32(data + 24);
    if (total < kPpsHeaderSize || total > size)
        return 0;
    return WriteWholeFile(path, data, total) ? 1 : 0;
}

} // namespace engine
