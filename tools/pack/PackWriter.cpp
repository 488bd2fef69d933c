#include "tools/pack/PackWriter.h"

#include "engine/core/EngineFiles.h"
#include "engine/core/NameKey.h"
#include "engine/modules/PictureCache.h"
#include "engine/modules/PpsCodec.h"
#include "engine/modules/ResourceNames.h"
#include "engine/modules/ResourcePack.h"
#include "platform/Bytes.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace tools {

void PackWriter::AddBytes(std::string_view fileName, std::vector<uint8_t> bytes)
{
    m_items.push_back(Item { std::string(fileName), std::move(bytes) });
}

bool PackWriter::AddFile(const std::string& path)
{
    size_t length = 0;
    std::unique_ptr<char[]> block = engine::ReadWholeFile(path, &length);
    if (!block)
        return false;
    AddBytes(engine::GetFileBaseName(path) + engine::GetFileExtLower(path),
        std::vector<uint8_t>(block.get(), block.get() + length));
    return true;
}

bool PackWriter::AddPicture(std::string_view baseName, const engine::PictureData& picture, int method)
{
    std::vector<uint8_t> pps = engine::EncodePps(picture, nullptr, method);
    if (pps.empty())
        return false;
    AddBytes(std::string(baseName) + ".pps", std::move(pps));
    return true;
}

bool PackWriter::AddPictureFileAsPps(const std::string& path, int method)
{
    size_t length = 0;
    std::unique_ptr<char[]> block = engine::ReadWholeFile(path, &length);
    if (!block)
        return false;
    std::vector<uint8_t> bytes(block.get(), block.get() + length);
    std::vector<uint8_t> pps = PictureFileToPps(bytes, path, method);
    if (pps.empty())
        return false;
    AddBytes(engine::GetFileBaseName(path) + ".pps", std::move(pps));
    return true;
}

std::vector<uint8_t> PackWriter::Build() const
{
    size_t directoryEnd = engine::kPackHeaderSize + m_items.size() * engine::kPackDirEntrySize;
    size_t total = directoryEnd;
    for (const Item& item : m_items)
        total += item.bytes.size();
    // Offsets and lengths are 32-bit words: a bigger pack would wrap them
    // and point its records at the wrong bytes.
    if (total > UINT32_MAX)
        return {};
    std::vector<uint8_t> pack(total, 0);
    // The header's unread bytes stay zero apart from a label for people
    // looking at the file.
    static const char kLabel[] = "vkr resource pack";
    std::memcpy(pack.data(), kLabel, sizeof kLabel - 1);
    platform::StoreLe32(pack.data() + engine::kPackEntryCountOffset, static_cast<uint32_t>(m_items.size()));
    platform::StoreLe32(pack.data() + engine::kPackRecordCountOffset, static_cast<uint32_t>(m_items.size()));
    size_t offset = directoryEnd;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item& item = m_items[i];
        engine::PackDirEntry record;
        record.key = engine::MakeNameKey(engine::ResourceLookupName(item.fileName));
        record.offset = static_cast<uint32_t>(offset);
        record.length = static_cast<uint32_t>(item.bytes.size());
        record.extension = engine::NameHash(engine::GetFileExtLower(item.fileName));
        engine::StorePackDirEntry(record, pack.data() + engine::kPackHeaderSize + i * engine::kPackDirEntrySize);
        if (!item.bytes.empty())
            std::memcpy(pack.data() + offset, item.bytes.data(), item.bytes.size());
        offset += item.bytes.size();
    }
    return pack;
}

bool PackWriter::Write(const std::string& path) const
{
    std::vector<uint8_t> pack = Build();
    if (pack.empty())
        return false;
    return engine::WriteWholeFile(path, pack.data(), pack.size());
}

std::vector<uint8_t> PictureFileToPps(const std::vector<uint8_t>& bytes, std::string_view fileName, int method)
{
    engine::PictureData picture;
    uint32_t extension = engine::NameHash(engine::GetFileExtLower(fileName));
    if (!engine::PictureCache::DecodeImage(bytes.data(), bytes.size(), extension, picture))
        return {};
    return engine::EncodePps(picture, nullptr, method);
}

std::vector<uint8_t> EncodePng(const engine::PictureData& picture)
{
    std::vector<uint8_t> none;
    if (picture.flags & (engine::kPicturePalette | engine::kPicturePalette32) || picture.frameWidth == 0
        || picture.frameHeight == 0)
        return none;
    size_t w = picture.frameWidth;
    size_t h = picture.frameHeight;
    if (picture.pixels.size() < w * h * 4)
        return none;
    std::vector<uint8_t> pixels(picture.pixels.begin(), picture.pixels.begin() + w * h * 4);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), static_cast<int>(w),
        static_cast<int>(h), 32, static_cast<int>(w * 4), SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return none;
    // Stored deflate blocks bound the file: the raw rows, a filter byte per
    // row, a few bytes per block and the chunks around them.
    std::vector<uint8_t> out(w * h * 4 + h + (w * h * 4) / 1000 + 65536);
    SDL_RWops* rw = SDL_RWFromMem(out.data(), static_cast<int>(out.size()));
    bool ok = rw && IMG_SavePNG_RW(surface, rw, 0) == 0;
    Sint64 size = rw ? SDL_RWtell(rw) : -1;
    if (rw)
        SDL_RWclose(rw);
    SDL_FreeSurface(surface);
    if (!ok || size <= 0)
        return none;
    out.resize(static_cast<size_t>(size));
    return out;
}

} // namespace tools
