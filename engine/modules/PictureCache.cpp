#include "engine/modules/PictureCache.h"

#include "engine/modules/PpsCodec.h"
#include "engine/modules/ResourceModule.h"
#include "platform/ImageDecoder.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

namespace engine {

namespace {

constexpr std::string_view kPictureCategory = ".imge";
constexpr uint32_t kDefaultFrameDelay = 40; // ms, for frames that give none
constexpr uint32_t kUnlistedDelay = 100;

std::string WithCategory(std::string_view name)
{
    std::string full(name);
    full += kPictureCategory;
    return full;
}

// The image decoder's type code of an extension hash; 0 for none.
int TypeCodeOf(uint32_t extension)
{
    static const struct {
        const char* ext;
        int type;
    } kTypes[] = {
        { ".gif", platform::kImageGif },
        { ".bmp", platform::kImageBmp },
        { ".png", platform::kImagePng },
        { ".jpg", platform::kImageJpg },
        { ".jpeg", platform::kImageJpg },
        { ".ico", platform::kImageIco },
        { ".tif", platform::kImageTif },
        { ".tga", platform::kImageTga },
        { ".mng", platform::kImageMng },
        { ".pcx", platform::kImagePcx },
        { ".wbmp", platform::kImageWbmp },
        { ".wmf", platform::kImageWmf },
    };
    for (const auto& t : kTypes) {
        if (NameHash(t.ext) == extension)
            return t.type;
    }
    return 0;
}

bool IsIco(uint32_t extension)
{
    return extension == NameHash(".ico");
}

} // namespace

PictureCache::PictureCache(ModuleBase& owner)
    : m_owner(owner)
{
    m_pool.Init(sizeof(PictureData), 64);
}

PictureCache::~PictureCache()
{
    Clear();
}

ResourceModule* PictureCache::Resources() const
{
    return dynamic_cast<ResourceModule*>(m_owner.FindModule(MODULE_RESOURCE));
}

void PictureCache::GetImageInfo(PictureDesc& out, std::string_view name, int frame)
{
    out = PictureDesc {};
    std::string full = WithCategory(name);
    PictureData* record = FindImage(full);
    if (!record || record->frameCount == 0)
        return;
    int count = record->frameCount;
    int shown = frame % count;
    if (shown < 0)
        shown += count; // a negative frame would point before the pixels
    out.serial = record->serial;
    out.record = record;
    out.sourceX = 0;
    out.sourceY = 0;
    out.width = record->frameWidth;
    out.height = record->frameHeight;
    out.frame = shown;
    out.matteColour = kNoMatte;
    out.key = MakeNameKey(full);
}

PictureData* PictureCache::FindImage(std::string_view name)
{
    NameKey key = MakeNameKey(name);
    auto it = m_cache.find(key);
    if (it != m_cache.end())
        return it->second;
    if (!LoadImageByKey(key))
        return nullptr;
    it = m_cache.find(key);
    return it == m_cache.end() ? nullptr : it->second;
}

int PictureCache::LoadImageByKey(const NameKey& key)
{
    PictureData ahead;
    switch (m_ahead.Take(key, ahead)) {
    case 1:
        ahead.serial = 0;
        ahead.framesPerRow = 1;
        CacheInsert(key, std::move(ahead));
        return 1;
    case 0:
        return 0;
    default:
        break;
    }
    ResourceModule* resources = Resources();
    if (!resources || !resources->Exists(key))
        return 0;
    ResourceEntry* entry = resources->LoadEntry(key);
    if (!entry)
        return 0;
    PictureData record;
    int ok = DecodeImage(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length, entry->extension, record);
    // The bytes are ours now whatever the outcome; the resource module reads
    // them again on the next demand.
    entry->data.reset();
    if (!ok)
        return 0;
    record.serial = 0;
    record.framesPerRow = 1;
    CacheInsert(key, std::move(record));
    return 1;
}

int PictureCache::LoadImage(std::string_view name)
{
    return LoadImageByKey(MakeNameKey(name));
}

void PictureCache::DecodeAhead(std::initializer_list<std::string_view> names)
{
    ResourceModule* resources = Resources();
    if (!resources)
        return;
    for (std::string_view name : names) {
        const NameKey key = MakeNameKey(WithCategory(name));
        if (m_cache.count(key) || m_ahead.Has(key) || !resources->Exists(key))
            continue;
        ResourceEntry* entry = resources->LoadEntry(key);
        if (!entry || !entry->data)
            continue;
        m_ahead.Queue(key, entry->data, entry->length, entry->extension);
    }
}

void PictureCache::AddImage(const PictureDesc& desc, std::string_view name)
{
    if (!desc.record)
        return;
    PictureData record;
    CopyPicture(record, *desc.record);
    CacheInsert(MakeNameKey(WithCategory(name)), std::move(record));
}

int PictureCache::DecodeImage(const uint8_t* data, size_t length, uint32_t extension, PictureData& out)
{
    if (!data)
        return 0;
    if (extension == NameHash(".pps"))
        return DecodePpsImage(data, length, out) ? 1 : 0;
    int type = TypeCodeOf(extension);
    if (type == 0)
        return 0;
    platform::DecodedImage image;
    if (!platform::ImageDecoder::Decode(data, length, type, image))
        return 0;
    return PictureFromImage(image, IsIco(extension), out);
}

int PictureCache::PictureFromImage(const platform::DecodedImage& image, bool firstFrameOnly, PictureData& out)
{
    // A picture must fit the record's 16-bit sizes and counts.
    size_t frames = firstFrameOnly ? std::min<size_t>(1, image.frames.size()) : image.frames.size();
    if (image.width <= 0 || image.height <= 0 || image.width > 0xffff || image.height > 0xffff || frames == 0
        || frames > 0xffff)
        return 0;
    size_t pixels = static_cast<size_t>(image.width) * image.height;

    PictureData record;
    record.frameWidth = static_cast<uint16_t>(image.width);
    record.frameHeight = static_cast<uint16_t>(image.height);
    record.frameCount = static_cast<uint16_t>(frames);
    bool transparent = image.indexed ? image.transparentIndex >= 0 : image.hasTransparentColour;
    bool alpha = !image.indexed && image.alphaValid;
    if (transparent)
        record.flags |= kPictureColourKey;
    if (alpha)
        record.flags |= kPictureAlpha;
    if (frames > 1) {
        record.flags |= kPictureDelays;
        record.frameDelays.assign(frames, kUnlistedDelay);
    }
    size_t counted = 0;
    if (image.indexed) {
        record.flags |= kPicturePalette;
        record.paletteCount = static_cast<uint16_t>(image.palette.size() / 3);
        record.palette = image.palette;
        record.colourKey = transparent ? static_cast<uint32_t>(image.transparentIndex) : kNoPaletteKey;
        record.pixels.assign(frames * pixels, 0);
    } else {
        record.colourKey = transparent ? image.transparentColour : 0;
        record.pixels.assign(frames * pixels * 4, 0);
    }
    for (size_t f = 0; f < frames; ++f) {
        const platform::ImageFrame& frame = image.frames[f];
        if (frames > 1)
            record.frameDelays[f] = frame.delayMs ? frame.delayMs : kDefaultFrameDelay;
        if (image.indexed) {
            if (frame.pixels.size() < pixels)
                return 0;
            uint8_t* out8 = record.pixels.data() + f * pixels;
            for (size_t i = 0; i < pixels; ++i) {
                out8[i] = frame.pixels[i];
                if (transparent && frame.pixels[i] == image.transparentIndex)
                    ++counted;
            }
        } else {
            if (frame.pixels.size() < pixels * 4)
                return 0;
            uint8_t* out32 = record.pixels.data() + f * pixels * 4;
            for (size_t i = 0; i < pixels; ++i) {
                const uint8_t* p = &frame.pixels[i * 4];
                out32[i * 4] = p[0];
                out32[i * 4 + 1] = p[1];
                out32[i * 4 + 2] = p[2];
                if (alpha) {
                    out32[i * 4 + 3] = p[3];
                } else if (transparent && static_cast<uint32_t>(p[2] | p[1] << 8 | p[0] << 16) == image.transparentColour) {
                    out32[i * 4 + 3] = 0;
                    ++counted;
                } else {
                    out32[i * 4 + 3] = 255;
                }
            }
        }
    }
    if (!alpha && counted == 0)
        record.flags &= ~kPictureColourKey;
    out = std::move(record);
    return 1;
}

uint32_t PictureCache::DecodePpsImage(const uint8_t* data, size_t length, PictureData& out)
{
    if (!data)
        return 0;
    PictureData record;
    uint32_t size = DecodePps(data, length, record);
    // Pictures with a 32-byte palette block are not drawable; what the
    // decoder allocated goes with the local record.
    if (size == 0 || (record.flags & kPicturePalette32))
        return 0;
    out = std::move(record);
    return size;
}

void PictureCache::CopyPicture(PictureData& destination, const PictureData& source)
{
    CopyPictureData(&source, &destination, true);
}

PictureData* PictureCache::CacheInsert(const NameKey& key, PictureData&& record)
{
    auto it = m_cache.find(key);
    if (it != m_cache.end()) {
        FreePicture(&record);
        return it->second;
    }
    void* storage = m_pool.Alloc(sizeof(PictureData));
    if (!storage) {
        FreePicture(&record);
        return nullptr;
    }
    // A chunk that held a removed record still holds that (emptied) record:
    // constructing over it releases nothing.
    PictureData* filed = new (storage) PictureData(std::move(record));
    filed->serial = ++m_serial;
    filed->time = m_owner.GetFrameTime();
    m_cache.emplace(key, filed);
    return filed;
}

void PictureCache::Destroy(PictureData* record)
{
    // The record is emptied, not destroyed: stale handles may still read its
    // serial (now 0), and the next record filed in this chunk replaces it.
    FreePicture(record);
    m_pool.Free(record);
}

void PictureCache::RemoveImage(std::string_view name)
{
    auto it = m_cache.find(MakeNameKey(WithCategory(name)));
    if (it == m_cache.end())
        return;
    Destroy(it->second);
    m_cache.erase(it);
}

int PictureCache::RevalidatePicture(PictureRef& handle)
{
    PictureDesc desc = handle.GetDesc();
    if (desc.serial == 0 || desc.serial == 1)
        return 0;
    uint32_t now = m_owner.GetFrameTime();
    if (now - handle.GetLastCheck() < kRepairIntervalMs)
        return 0;
    handle.SetLastCheck(now);
    auto it = m_cache.find(desc.key);
    PictureData* record = nullptr;
    if (it != m_cache.end()) {
        record = it->second;
    } else if (LoadImageByKey(desc.key)) {
        it = m_cache.find(desc.key);
        record = it == m_cache.end() ? nullptr : it->second;
    }
    if (!record)
        return 0;
    // The handle takes the record's serial: it is valid again and drawn.
    desc.record = record;
    desc.serial = record->serial;
    if (record->frameCount)
        desc.frame = ((desc.frame % record->frameCount) + record->frameCount) % record->frameCount;
    handle.SetDesc(desc);
    return 1;
}

void PictureCache::FreePicture(PictureData* record)
{
    FreePictureData(record);
}

void PictureCache::Clear()
{
    m_ahead.Clear();
    for (auto& [key, record] : m_cache) {
        FreePicture(record);
        record->~PictureData();
    }
    m_cache.clear();
    m_pool.Destroy();
    m_pool.Init(sizeof(PictureData), 64);
}

} // namespace engine
