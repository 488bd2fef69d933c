#include "platform/ImageDecoder.h"
#include "platform/Bytes.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

namespace {

using Loader = SDL_Surface* (*)(SDL_RWops*);

bool Fits(uint64_t w, uint64_t h);

// The one SDL2_image loader of a type; null for types it cannot read. Each
// type goes to its own loader: the library's general entry point sniffs the
// content and would hand the bytes to whatever format they resemble (SVG,
// XPM, ...), whatever the type asked for.
Loader LoaderOf(int type)
{
    switch (type) {
    case kImageBmp:
        return IMG_LoadBMP_RW;
    case kImageGif:
        return IMG_LoadGIF_RW;
    case kImageJpg:
        return IMG_LoadJPG_RW;
    case kImagePng:
        return IMG_LoadPNG_RW;
    case kImageIco:
        return IMG_LoadICO_RW;
    case kImageTif:
        return IMG_LoadTIF_RW;
    case kImageTga:
        return IMG_LoadTGA_RW;
    case kImagePcx:
        return IMG_LoadPCX_RW;
    default:
        return nullptr; // wbmp, wmf, mng and unknown codes
    }
}

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

struct AnimationFree {
    void operator()(IMG_Animation* a) const { IMG_FreeAnimation(a); }
};
using Animation = std::unique_ptr<IMG_Animation, AnimationFree>;

struct RwClose {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
using Rw = std::unique_ptr<SDL_RWops, RwClose>;

Rw OpenMemory(const void* data, size_t size)
{
    if (size > static_cast<size_t>(INT32_MAX))
        return nullptr;
    return Rw(SDL_RWFromConstMem(data, static_cast<int>(size)));
}

// Copies a surface as 32-bit B,G,R,A rows (SDL's ARGB8888 in memory order).
bool CopyBgra(SDL_Surface* surface, ImageFrame& frame)
{
    Surface converted(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0));
    if (!converted)
        return false;
    int w = converted->w;
    int h = converted->h;
    frame.pixels.resize(static_cast<size_t>(w) * h * 4);
    if (SDL_LockSurface(converted.get()) != 0)
        return false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(converted->pixels) + static_cast<size_t>(y) * converted->pitch;
        std::memcpy(&frame.pixels[static_cast<size_t>(y) * w * 4], row, static_cast<size_t>(w) * 4);
    }
    SDL_UnlockSurface(converted.get());
    return true;
}

bool FromSurface(SDL_Surface* surface, DecodedImage& out)
{
    if (!surface || surface->w <= 0 || surface->h <= 0 || !Fits(surface->w, surface->h))
        return false;
    out.width = surface->w;
    out.height = surface->h;
    SDL_PixelFormat* format = surface->format;
    Uint32 key = 0;
    bool keyed = SDL_GetColorKey(surface, &key) == 0;
    ImageFrame frame;
    if (format->format == SDL_PIXELFORMAT_INDEX8 && format->palette && format->palette->ncolors >= 1
        && format->palette->ncolors <= 256) {
        out.indexed = true;
        const SDL_Palette* palette = format->palette;
        out.palette.resize(static_cast<size_t>(palette->ncolors) * 3);
        for (int i = 0; i < palette->ncolors; ++i) {
            out.palette[i * 3] = palette->colors[i].r;
            out.palette[i * 3 + 1] = palette->colors[i].g;
            out.palette[i * 3 + 2] = palette->colors[i].b;
        }
        if (keyed && key < static_cast<Uint32>(palette->ncolors))
            out.transparentIndex = static_cast<int>(key);
        frame.pixels.resize(static_cast<size_t>(out.width) * out.height);
        if (SDL_LockSurface(surface) != 0)
            return false;
        for (int y = 0; y < out.height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
            std::memcpy(&frame.pixels[static_cast<size_t>(y) * out.width], row, out.width);
        }
        SDL_UnlockSurface(surface);
    } else {
        out.alphaValid = format->Amask != 0;
        if (keyed) {
            Uint8 r = 0, g = 0, b = 0;
            SDL_GetRGB(key, format, &r, &g, &b);
            out.hasTransparentColour = true;
            out.transparentColour = r | g << 8 | b << 16;
        }
        if (!CopyBgra(surface, frame))
            return false;
    }
    out.frames.push_back(std::move(frame));
    return true;
}

// What the blocks of a GIF announce: the screen, each image's size and the
// delays (hundredths of a second) from the graphic control extension before
// each image (0 where there is none). The animation loader replaces short
// delays with its own default, and callers need the file's values.
struct GifLayout {
    uint64_t screenWidth = 0;
    uint64_t screenHeight = 0;
    uint64_t largestImage = 0; // pixels
    std::vector<uint32_t> delays; // one per image
    // The walk reached the trailer, or the end of the file right after a
    // whole block: a file missing only its trailer is common and plain.
    bool complete = false;
    // Bytes outside any block, an image not inside the screen, or a block
    // cut off by the end of the file: the library's reader mishandles all
    // of them. It frees memory it never allocated for an image taller than
    // the screen. Where a sub-block runs past the end it reads nothing and
    // stays put, then takes the sub-block's bytes for blocks: an image
    // descriptor among them gets a frame allocated, of any size, for data
    // the file does not hold.
    bool malformed = false;
};

GifLayout WalkGif(const uint8_t* data, size_t size)
{
    GifLayout layout;
    auto cutOff = [&]() {
        layout.malformed = true;
        return layout;
    };
    if (size < 13)
        return cutOff();
    layout.screenWidth = data[6] | data[7] << 8;
    layout.screenHeight = data[8] | data[9] << 8;
    size_t pos = 13;
    if (data[10] & 0x80)
        pos += 3u * (2u << (data[10] & 7));
    // Skips sub-blocks from pos; false when they run past the end.
    auto skipBlocks = [&]() {
        while (pos < size) {
            uint8_t n = data[pos++];
            if (n == 0)
                return true;
            pos += n;
        }
        return false;
    };
    uint32_t pending = 0;
    while (pos < size) {
        uint8_t kind = data[pos++];
        if (kind == 0x3B) {
            layout.complete = true;
            return layout;
        }
        if (kind == 0x21) {
            if (pos >= size)
                return cutOff();
            uint8_t label = data[pos++];
            if (label == 0xF9 && pos + 5 <= size && data[pos] >= 4)
                pending = data[pos + 2] | data[pos + 3] << 8;
            if (!skipBlocks())
                return cutOff();
        } else if (kind == 0x2C) {
            if (pos + 9 > size)
                return cutOff();
            uint64_t left = data[pos] | data[pos + 1] << 8;
            uint64_t top = data[pos + 2] | data[pos + 3] << 8;
            uint64_t w = data[pos + 4] | data[pos + 5] << 8;
            uint64_t h = data[pos + 6] | data[pos + 7] << 8;
            if (left + w > layout.screenWidth || top + h > layout.screenHeight)
                layout.malformed = true;
            layout.largestImage = std::max(layout.largestImage, w * h);
            uint8_t packed = data[pos + 8];
            pos += 9;
            if (packed & 0x80)
                pos += 3u * (2u << (packed & 7));
            pos += 1; // LZW minimum code size
            if (pos > size || !skipBlocks())
                return cutOff();
            layout.delays.push_back(pending);
            pending = 0;
        } else {
            // The library's reader skips such a byte and reads on; the walk
            // does the same so that it still sees every image, but the file
            // is refused.
            layout.malformed = true;
        }
    }
    if (pos > size) // the global colour table
        return cutOff();
    layout.complete = true; // only the trailer is missing
    return layout;
}

// A bitmap's width or height is stored signed: a negative height runs top down.
uint64_t BmpSide(const uint8_t* p)
{
    return static_cast<uint64_t>(std::llabs(static_cast<int32_t>(LoadLe32(p))));
}

bool Fits(uint64_t w, uint64_t h)
{
    return w <= ImageDecoder::kMaxSide && h <= ImageDecoder::kMaxSide && w * h <= ImageDecoder::kMaxPixels;
}

// Whether the size the file's header announces is one the decoder accepts.
// The library allocates what a header says before it reads any pixel, so a
// few bytes claiming a giant picture are refused here. Headers this cannot
// read are left to the library (its result is checked again afterwards).
bool DeclaredSizeFits(const uint8_t* d, size_t size, int type)
{
    switch (type) {
    case kImageGif: {
        GifLayout gif = WalkGif(d, size);
        uint64_t frames = gif.delays.size();
        // The animation loader gives every frame a whole screen.
        return gif.complete && !gif.malformed && frames > 0 && Fits(gif.screenWidth, gif.screenHeight)
            && gif.largestImage <= ImageDecoder::kMaxPixels
            && frames * gif.screenWidth * gif.screenHeight <= ImageDecoder::kMaxPixels;
    }
    case kImagePng: {
        if (size < 24)
            return true;
        if (!Fits(LoadBe32(d + 16), LoadBe32(d + 20)))
            return false;
        // Every chunk must lie inside the file up to IEND: libpng, reading
        // through SDL, spins for minutes on a chunk that runs past the end.
        size_t pos = 8;
        while (pos + 12 <= size) {
            uint64_t length = LoadBe32(d + pos);
            if (length > size - pos - 12)
                return false;
            if (std::memcmp(d + pos + 4, "IEND", 4) == 0)
                return true;
            pos += 12 + length;
        }
        return false;
    }
    case kImageBmp:
        if (size < 26)
            return true;
        if (LoadLe32(d + 14) == 12)
            return Fits(LoadLe16(d + 18), LoadLe16(d + 20));
        return Fits(BmpSide(d + 18), BmpSide(d + 22));
    case kImageTga:
        return size < 16 || Fits(LoadLe16(d + 12), LoadLe16(d + 14));
    case kImagePcx:
        if (size < 12)
            return true;
        return Fits(static_cast<uint16_t>(LoadLe16(d + 8) - LoadLe16(d + 4) + 1), static_cast<uint16_t>(LoadLe16(d + 10) - LoadLe16(d + 6) + 1));
    case kImageJpg: {
        size_t pos = 2;
        while (pos + 4 <= size && d[pos] == 0xFF) {
            uint8_t marker = d[pos + 1];
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
                return pos + 9 > size || Fits(LoadBe16(d + pos + 7), LoadBe16(d + pos + 5));
            if (marker == 0xDA)
                return true;
            pos += 2 + LoadBe16(d + pos + 2);
        }
        return true;
    }
    case kImageIco: {
        if (size < 6)
            return true;
        uint32_t count = LoadLe16(d + 4);
        for (uint32_t i = 0; i < count && 6 + (i + 1) * 16 <= size; ++i) {
            const uint8_t* entry = d + 6 + i * 16;
            uint64_t at = LoadLe32(entry + 12);
            if (at + 24 <= size && d[at] == 0x89 && d[at + 1] == 'P') {
                if (!DeclaredSizeFits(d + at, size - at, kImagePng))
                    return false;
            } else if (at + 12 <= size && !Fits(BmpSide(d + at + 4), BmpSide(d + at + 8))) {
                return false;
            }
        }
        return true;
    }
    case kImageTif: {
        // The first directory's ImageWidth (256) and ImageLength (257).
        if (size < 8 || !((d[0] == 'I' && d[1] == 'I') || (d[0] == 'M' && d[1] == 'M')))
            return true;
        bool le = d[0] == 'I';
        auto u16 = [&](size_t at) -> uint32_t { return le ? LoadLe16(d + at) : LoadBe16(d + at); };
        auto u32 = [&](size_t at) -> uint64_t { return le ? LoadLe32(d + at) : LoadBe32(d + at); };
        uint64_t ifd = u32(4);
        if (ifd + 2 > size)
            return true;
        uint64_t w = 0;
        uint64_t h = 0;
        uint32_t entries = u16(ifd);
        for (uint32_t i = 0; i < entries && ifd + 2 + (i + 1) * 12 <= size; ++i) {
            size_t e = ifd + 2 + i * 12;
            uint32_t tag = u16(e);
            uint64_t value = u16(e + 2) == 3 ? u16(e + 8) : u32(e + 8);
            if (tag == 256)
                w = value;
            else if (tag == 257)
                h = value;
        }
        return Fits(w, h);
    }
    default:
        return true;
    }
}

bool FromAnimation(IMG_Animation* animation, const std::vector<uint32_t>& fileDelays, DecodedImage& out)
{
    if (!animation || animation->count < 1 || animation->w <= 0 || animation->h <= 0
        || !Fits(static_cast<uint64_t>(animation->w), static_cast<uint64_t>(animation->h) * animation->count))
        return false;
    out.width = animation->w;
    out.height = animation->h;
    out.alphaValid = true;
    for (int i = 0; i < animation->count; ++i) {
        SDL_Surface* surface = animation->frames[i];
        if (!surface || surface->w != out.width || surface->h != out.height)
            return false;
        ImageFrame frame;
        if (!CopyBgra(surface, frame))
            return false;
        if (fileDelays.size() == static_cast<size_t>(animation->count))
            frame.delayMs = fileDelays[i] * 10;
        else
            frame.delayMs = animation->delays && animation->delays[i] > 0 ? static_cast<uint32_t>(animation->delays[i]) : 0;
        out.frames.push_back(std::move(frame));
    }
    return true;
}

// SDL's allocations go through these: one larger than kMaxSdlAllocation
// fails instead of being made. Picture readers size their surfaces from
// header fields, and for GIF a crafted image descriptor can hide where only
// the library's own LZW reader finds it; without the cap a few hundred bytes
// made it allocate and clear 4 GiB. Everything else is passed to the
// functions SDL had before, so blocks from before and after stay
// interchangeable. The cap is far above anything the program asks of SDL
// (window buffers, sound buffers, 16 Mi-pixel pictures).
constexpr size_t kMaxSdlAllocation = size_t { 512 } << 20;

struct SdlMemory {
    SDL_malloc_func malloc = nullptr;
    SDL_calloc_func calloc = nullptr;
    SDL_realloc_func realloc = nullptr;
    SDL_free_func free = nullptr;
};

SdlMemory& Original()
{
    static SdlMemory original;
    return original;
}

// While the library reads a GIF, the thread reading it gets a tighter cap,
// from what the file's blocks declare. The reader, once an image's pixels
// are all decoded, reads the rest of that image's data as blocks, so even a
// whole, well-formed file can hold an image descriptor that no walk of its
// blocks sees; under this cap the library drops that image instead of
// allocating it.
size_t& ThreadCap()
{
    thread_local size_t cap = kMaxSdlAllocation;
    return cap;
}

class ScopedSdlCap {
public:
    explicit ScopedSdlCap(size_t cap)
        : previous_(ThreadCap())
    {
        ThreadCap() = std::min(cap, previous_);
    }
    ~ScopedSdlCap() { ThreadCap() = previous_; }
    ScopedSdlCap(const ScopedSdlCap&) = delete;
    ScopedSdlCap& operator=(const ScopedSdlCap&) = delete;

private:
    size_t previous_;
};

// The largest block the library needs for a GIF: a surface of its screen or
// of its largest image, at most 4 bytes a pixel (rows of fewer bytes are
// padded to 4 bytes, not beyond), and room for the reader's own state.
size_t GifReadingCap(const GifLayout& gif)
{
    constexpr size_t kReaderState = size_t { 1 } << 20;
    return kReaderState + static_cast<size_t>(std::max(gif.screenWidth * gif.screenHeight, gif.largestImage)) * 4;
}

void* CappedMalloc(size_t n)
{
    return n > ThreadCap() ? nullptr : Original().malloc(n);
}

void* CappedCalloc(size_t count, size_t n)
{
    if (n && count > ThreadCap() / n)
        return nullptr;
    return Original().calloc(count, n);
}

void* CappedRealloc(void* block, size_t n)
{
    return n > ThreadCap() ? nullptr : Original().realloc(block, n);
}

void ForwardFree(void* block)
{
    Original().free(block);
}

void CapSdlAllocations()
{
    static std::once_flag once;
    std::call_once(once, [] {
        SdlMemory& o = Original();
        SDL_GetMemoryFunctions(&o.malloc, &o.calloc, &o.realloc, &o.free);
        if (o.malloc && o.calloc && o.realloc && o.free)
            SDL_SetMemoryFunctions(CappedMalloc, CappedCalloc, CappedRealloc, ForwardFree);
    });
}

// One picture through the type's plain loader.
bool LoadSingle(Loader loader, const void* data, size_t size, DecodedImage& out)
{
    out = DecodedImage {};
    Rw rw = OpenMemory(data, size);
    if (!rw)
        return false;
    Surface surface(loader(rw.get()));
    return FromSurface(surface.get(), out);
}

} // namespace

bool ImageDecoder::Decode(const void* data, size_t size, int type, DecodedImage& out)
{
    out = DecodedImage {};
    CapSdlAllocations();
    Loader loader = LoaderOf(type);
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!loader || !data || size == 0 || !DeclaredSizeFits(bytes, size, type))
        return false;
    bool ok = false;
    if (type == kImageGif) {
        GifLayout gif = WalkGif(bytes, size);
        ScopedSdlCap cap(GifReadingCap(gif));
        // Several frames come from the animation loader (as 32-bit frames);
        // a single frame keeps its palette through the plain loader.
        if (Rw rw = OpenMemory(data, size)) {
            Animation animation(IMG_LoadGIFAnimation_RW(rw.get()));
            if (animation && animation->count > 1)
                ok = FromAnimation(animation.get(), gif.delays, out);
        }
        if (!ok)
            ok = LoadSingle(loader, data, size, out);
    } else {
        ok = LoadSingle(loader, data, size, out);
    }
    if (!ok)
        out = DecodedImage {};
    return ok;
}

void ImageDecoder::ReleaseThreadState()
{
    SDL_TLSCleanup();
}

} // namespace platform
