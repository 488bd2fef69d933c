#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

using Loader = SDL_Surface* (*)(SDL_RWops*);

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
    if (!surface || surface->w <= 0 || surface->h <= 0)
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

// The delays (hundredths of a second) of a GIF's images in file order, read
// from the graphic control extension before each image (0 where there is
// none). The animation loader replaces short delays with its own default,
// and callers need the file's values. Empty when the blocks cannot be
// walked.
std::vector<uint32_t> GifDelays(const uint8_t* data, size_t size)
{
    std::vector<uint32_t> delays;
    if (size < 13)
        return {};
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
        if (kind == 0x3B)
            return delays;
        if (kind == 0x21) {
            if (pos >= size)
                return {};
            uint8_t label = data[pos++];
            if (label == 0xF9 && pos + 5 <= size && data[pos] >= 4)
                pending = data[pos + 2] | data[pos + 3] << 8;
            if (!skipBlocks())
                return {};
        } else if (kind == 0x2C) {
            if (pos + 9 > size)
                return {};
            uint8_t packed = data[pos + 8];
            pos += 9;
            if (packed & 0x80)
                pos += 3u * (2u << (packed & 7));
            pos += 1; // LZW minimum code size
            if (pos > size || !skipBlocks())
                return {};
            delays.push_back(pending);
            pending = 0;
        } else {
            return {};
        }
    }
    return delays; // no trailer: the images read so far
}

bool FromAnimation(IMG_Animation* animation, const std::vector<uint32_t>& fileDelays, DecodedImage& out)
{
    if (!animation || animation->count < 1 || animation->w <= 0 || animation->h <= 0)
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

} // namespace

bool ImageDecoder::Decode(const void* data, size_t size, int type, DecodedImage& out)
{
    out = DecodedImage {};
    Loader loader = LoaderOf(type);
    if (!loader || !data || size == 0)
        return false;
    bool ok = false;
    if (type == kImageGif) {
        // Several frames come from the animation loader (as 32-bit frames);
        // a single frame keeps its palette through the plain loader.
        if (Rw rw = OpenMemory(data, size)) {
            Animation animation(IMG_LoadGIFAnimation_RW(rw.get()));
            if (animation && animation->count > 1)
                ok = FromAnimation(animation.get(), GifDelays(static_cast<const uint8_t*>(data), size), out);
        }
    }
    if (!ok) {
        out = DecodedImage {};
        if (Rw rw = OpenMemory(data, size)) {
            Surface surface(loader(rw.get()));
            ok = FromSurface(surface.get(), out);
        }
    }
    if (!ok)
        out = DecodedImage {};
    return ok;
}

} // namespace platform
