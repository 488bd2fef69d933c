#include "engine/modules/ResourcePack.h"

#include "engine/core/EngineFiles.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace engine {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Size of an open file, or -1.
int64_t FileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0)
        return -1;
    return end;
}

} // namespace

void StorePackDirEntry(const PackDirEntry& entry, uint8_t* out)
{
    platform::StoreLe32(out, entry.key.rs);
    platform::StoreLe32(out + 4, entry.key.js);
    platform::StoreLe32(out + 8, entry.key.x31);
    platform::StoreLe32(out + 12, entry.offset);
    platform::StoreLe32(out + 16, entry.length);
    platform::StoreLe32(out + 20, entry.extension);
    std::memcpy(out + 24, entry.reserved, sizeof entry.reserved);
}

PackDirEntry LoadPackDirEntry(const uint8_t* in)
{
    PackDirEntry entry;
    entry.key = NameKey { platform::LoadLe32(in), platform::LoadLe32(in + 4), platform::LoadLe32(in + 8) };
    entry.offset = platform::LoadLe32(in + 12);
    entry.length = platform::LoadLe32(in + 16);
    entry.extension = platform::LoadLe32(in + 20);
    std::memcpy(entry.reserved, in + 24, sizeof entry.reserved);
    return entry;
}

PackReader::PackReader(std::string_view path)
{
    std::string host = ToHostPath(path);
    File file(std::fopen(host.c_str(), "rb"));
    if (!file)
        return;
    int64_t size = FileSize(file.get());
    if (size < static_cast<int64_t>(kPackHeaderSize))
        return;
    uint8_t header[kPackHeaderSize];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header)
        return;
    // Only as many directory bytes as the file can hold are read; the rest of
    // the check is ParseDirectory's.
    uint64_t recordCount = platform::LoadLe32(header + kPackRecordCountOffset);
    uint64_t available = (static_cast<uint64_t>(size) - kPackHeaderSize) / kPackDirEntrySize;
    if (recordCount > available)
        return;
    std::vector<uint8_t> image(kPackHeaderSize + recordCount * kPackDirEntrySize);
    std::memcpy(image.data(), header, sizeof header);
    size_t directoryBytes = image.size() - kPackHeaderSize;
    if (std::fread(image.data() + kPackHeaderSize, 1, directoryBytes, file.get()) != directoryBytes)
        return;
    // The directory is parsed as if the image ended there, then the real size
    // bounds the records' bytes.
    if (!ParseDirectory(image.data(), image.size()))
        return;
    m_packSize = static_cast<uint64_t>(size);
    m_path = host;
}

bool PackReader::ParseDirectory(const uint8_t* image, size_t size)
{
    m_entries.clear();
    m_index = 0;
    if (!image || size < kPackHeaderSize)
        return false;
    uint64_t entryCount = platform::LoadLe32(image + kPackEntryCountOffset);
    uint64_t recordCount = platform::LoadLe32(image + kPackRecordCountOffset);
    if (recordCount > (size - kPackHeaderSize) / kPackDirEntrySize)
        return false;
    // The entry count bounds iteration and the record count what is read;
    // only records that are both present and counted are visited.
    uint64_t count = std::min(entryCount, recordCount);
    m_entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i)
        m_entries.push_back(LoadPackDirEntry(image + kPackHeaderSize + i * kPackDirEntrySize));
    m_packSize = size;
    return true;
}

bool PackReader::RecordInside(uint32_t index) const
{
    if (index >= m_entries.size())
        return false;
    const PackDirEntry& e = m_entries[index];
    return static_cast<uint64_t>(e.offset) + e.length <= m_packSize;
}

int PackReader::IsOpen() const
{
    return m_path.empty() ? 0 : 1;
}

int PackReader::NextEntry(uint32_t extension)
{
    uint32_t count = EntryCount();
    if (count == 0 || m_index >= count - 1)
        return 0;
    ++m_index;
    if (extension == 0)
        return 1;
    while (m_entries[m_index].extension != extension) {
        if (m_index >= count - 1)
            return 0;
        ++m_index;
    }
    return 1;
}

bool PackReader::CurrentEntry(PackDirEntry& out) const
{
    if (m_index >= m_entries.size())
        return false;
    out = m_entries[m_index];
    return true;
}

int PackReader::ReadEntryInto(uint32_t index, void* buffer, size_t size)
{
    if (!IsOpen() || !RecordInside(index) || !buffer)
        return 0;
    const PackDirEntry& e = m_entries[index];
    if (size < e.length)
        return 0;
    if (e.length == 0)
        return 1;
    File file(std::fopen(m_path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), static_cast<long>(e.offset), SEEK_SET) != 0)
        return 0;
    // Read into a scratch block first so a short read leaves the caller's
    // buffer as it was.
    std::vector<uint8_t> bytes(e.length);
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return 0;
    std::memcpy(buffer, bytes.data(), bytes.size());
    return 1;
}

std::unique_ptr<char[]> PackReader::ReadEntry(uint32_t index)
{
    if (!IsOpen() || !RecordInside(index))
        return nullptr;
    const PackDirEntry& e = m_entries[index];
    auto block = std::make_unique<char[]>(static_cast<size_t>(e.length) + 1);
    block[e.length] = '\0';
    if (e.length == 0)
        return block;
    File file(std::fopen(m_path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), static_cast<long>(e.offset), SEEK_SET) != 0)
        return nullptr;
    if (std::fread(block.get(), 1, e.length, file.get()) != e.length)
        return nullptr;
    return block;
}

MemoryPackReader::MemoryPackReader(const void* image, size_t size)
{
    if (!image)
        return;
    m_open = ParseDirectory(static_cast<const uint8_t*>(image), size);
    if (m_open)
        m_image = static_cast<const uint8_t*>(image);
}

int MemoryPackReader::IsOpen() const
{
    return m_open ? 1 : 0;
}

int MemoryPackReader::ReadEntryInto(uint32_t index, void* buffer, size_t size)
{
    if (!m_open || !RecordInside(index) || !buffer)
        return 0;
    const PackDirEntry& e = m_entries[index];
    if (size < e.length)
        return 0;
    if (e.length)
        std::memcpy(buffer, m_image + e.offset, e.length);
    return 1;
}

std::unique_ptr<char[]> MemoryPackReader::ReadEntry(uint32_t index)
{
    if (!m_open || !RecordInside(index))
        return nullptr;
    const PackDirEntry& e = m_entries[index];
    auto block = std::make_unique<char[]>(static_cast<size_t>(e.length) + 1);
    if (e.length)
        std::memcpy(block.get(), m_image + e.offset, e.length);
    block[e.length] = '\0';
    return block;
}

} // namespace engine
