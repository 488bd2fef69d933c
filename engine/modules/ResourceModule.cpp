#include "engine/modules/ResourceModule.h"

#include "engine/core/EngineDailyLog.h"
#include "engine/core/EngineFiles.h"
#include "engine/modules/ResourceNames.h"
#include "engine/modules/ResourcePack.h"
#include "platform/DirectoryList.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <limits>

namespace engine {

namespace {

// Loose files are measured when first read; a file too large for the 32-bit
// length field cannot be handed out.
constexpr uint64_t kMaxResourceLength = std::numeric_limits<uint32_t>::max() - 1;

// Frees the notice text when the core drops the message.
void FreeNoticeText(int, MessageWord data, MessageWord)
{
    delete[] FromWord<char>(data);
}

int64_t FileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(file);
    return end < 0 ? -1 : end;
}

} // namespace

std::unique_ptr<char[]> MakeResourceBlock(const void* bytes, size_t length)
{
    auto block = std::make_unique<char[]>(length + 1);
    if (length && bytes)
        std::memcpy(block.get(), bytes, length);
    block[length] = '\0';
    return block;
}

ResourceModule::ResourceModule()
{
    SetInterval(10);
    SetFlags(kModuleInitialFlags);
}

ResourceModule::~ResourceModule() = default;

void ResourceModule::Shutdown()
{
    // Entries must not keep pointers to the handles closed here.
    for (auto& [key, entry] : m_entries)
        entry.file = nullptr;
    m_files.clear();
}

int ResourceModule::OnMessage(int msg, MessageWord data, MessageWord extra)
{
    switch (msg) {
    case MODMSG_RES_ADD_FILE:
        if (data)
            AddFile(FromWord<const char>(data));
        return 0;
    case MODMSG_RES_ADD_DIRECTORY:
        return data ? AddDirectory(FromWord<const char>(data)) : 0;
    case MODMSG_RES_LOAD_PACK_FILE:
        return data ? LoadPackFile(FromWord<const char>(data)) : 0;
    case MODMSG_RES_LOAD_PACK_MEMORY:
        return LoadPackMemory(FromWord<const void>(data), static_cast<size_t>(extra));
    default:
        return ORBITVANE_RETURN_OK;
    }
}

void ResourceModule::Insert(ResourceEntry entry)
{
    NameKey key = entry.key;
    Release(key);
    m_entries.emplace(key, std::move(entry));
}

NameKey ResourceModule::AddFile(std::string_view path, const char* name)
{
    std::string host = ToHostPath(path);
    File file(std::fopen(host.c_str(), "rb"));
    if (!file)
        return NameKey {};
    ResourceEntry entry;
    entry.key = MakeNameKey(ResourceLookupName(path, name));
    entry.extension = NameHash(GetFileExtLower(path));
    entry.category = ExtensionCategory(entry.extension);
    entry.file = file.get();
    entry.kind = kResourceLoose;
    NameKey key = entry.key;
    // Release the old entry before the new handle joins the list, so the
    // old one's own handle is the one found and closed.
    Release(key);
    m_files.push_back(std::move(file));
    m_entries.emplace(key, std::move(entry));
    return key;
}

NameKey ResourceModule::AddEntry(std::string_view name, std::unique_ptr<char[]> data, uint32_t length)
{
    ResourceEntry entry;
    entry.key = MakeNameKey(ResourceLookupName(name));
    entry.extension = NameHash(GetFileExtLower(name));
    entry.category = ExtensionCategory(entry.extension);
    entry.kind = kResourceLoose;
    entry.length = length;
    entry.data = std::move(data);
    NameKey key = entry.key;
    Insert(std::move(entry));
    return key;
}

int ResourceModule::AddDirectory(std::string_view path)
{
    std::string dir(path);
    if (dir.empty() || (dir.back() != '\\' && dir.back() != '/'))
        dir += '\\';
    std::vector<std::string> names;
    if (!platform::ListDirectoryFiles(dir, names))
        return 0;
    int count = 0;
    for (const std::string& name : names) {
        AddFile(dir + name);
        ++count;
    }
    return count;
}

void ResourceModule::ReportPackFailure(const char* text)
{
    EngineDailyLog("%s", text);
    size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    PostMessage(MODULE_NOTIFY_SINK, NOTE_MODULE_ERROR, ToWord(copy), 0, FreeNoticeText);
}

int ResourceModule::LoadPackFile(std::string_view path)
{
    PackReader reader(path);
    File file;
    if (reader.IsOpen())
        file.reset(std::fopen(ToHostPath(path).c_str(), "rb"));
    if (!reader.IsOpen() || !file) {
        std::string text = "资源包" + std::string(path) + "加载失败!";
        ReportPackFailure(text.c_str());
        return 0;
    }
    int visited = 0;
    reader.Rewind();
    PackDirEntry record;
    if (!reader.CurrentEntry(record))
        return 0; // a pack without records: nothing to keep its file open for
    std::FILE* shared = file.get();
    m_files.push_back(std::move(file));
    do {
        reader.CurrentEntry(record);
        ++visited;
        if (m_entries.count(record.key))
            continue;
        ResourceEntry entry;
        entry.key = record.key;
        entry.extension = record.extension;
        entry.category = ExtensionCategory(record.extension);
        entry.file = shared;
        entry.kind = kResourcePacked;
        entry.offset = record.offset;
        entry.length = record.length;
        m_entries.emplace(record.key, std::move(entry));
    } while (reader.NextEntry(0));
    return visited;
}

int ResourceModule::LoadPackMemory(const void* image, size_t size)
{
    MemoryPackReader reader(image, size);
    if (!reader.IsOpen()) {
        char text[64];
        std::snprintf(text, sizeof text, "资源包%" PRIxPTR "加载失败!", reinterpret_cast<uintptr_t>(image));
        ReportPackFailure(text);
        return 0;
    }
    int visited = 0;
    reader.Rewind();
    PackDirEntry record;
    if (!reader.CurrentEntry(record))
        return 0;
    do {
        reader.CurrentEntry(record);
        ++visited;
        if (m_entries.count(record.key))
            continue;
        // Bytes outside the image (or a length that would wrap) are never
        // copied: the record is skipped.
        std::unique_ptr<char[]> block = reader.ReadEntry(reader.CurrentIndex());
        if (!block)
            continue;
        ResourceEntry entry;
        entry.key = record.key;
        entry.extension = record.extension;
        entry.category = ExtensionCategory(record.extension);
        entry.kind = kResourcePacked;
        entry.offset = record.offset;
        entry.length = record.length;
        entry.data = std::move(block);
        m_entries.emplace(record.key, std::move(entry));
    } while (reader.NextEntry(0));
    return visited;
}

int ResourceModule::Exists(const NameKey& key) const
{
    return m_entries.count(key) ? 1 : 0;
}

ResourceEntry* ResourceModule::LoadEntry(const NameKey& key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return nullptr;
    ResourceEntry& entry = it->second;
    if (entry.data)
        return &entry;
    if (!entry.file)
        return nullptr;
    int64_t size = FileSize(entry.file);
    if (size < 0)
        return nullptr;
    // Only a loose file learns its length from the file. A pack record of
    // length 0 is an empty resource, not "the rest of the pack".
    if ((entry.kind & kResourceOwnsFile) && entry.length == 0) {
        if (static_cast<uint64_t>(size) > kMaxResourceLength)
            return nullptr;
        entry.length = static_cast<uint32_t>(size);
    }
    // The bytes must lie inside the file: a lying record (or a file that
    // shrank) is unreadable rather than half filled.
    if (static_cast<uint64_t>(entry.offset) + entry.length > static_cast<uint64_t>(size))
        return nullptr;
    auto block = std::make_unique<char[]>(static_cast<size_t>(entry.length) + 1);
    block[entry.length] = '\0';
    if (entry.length) {
        if (std::fseek(entry.file, static_cast<long>(entry.offset), SEEK_SET) != 0)
            return nullptr;
        if (std::fread(block.get(), 1, entry.length, entry.file) != entry.length)
            return nullptr;
    }
    entry.data = std::move(block);
    return &entry;
}

const char* ResourceModule::GetData(const NameKey& key)
{
    ResourceEntry* entry = LoadEntry(key);
    return entry ? entry->data.get() : nullptr;
}

void ResourceModule::CloseFile(std::FILE* file)
{
    auto it = std::find_if(m_files.begin(), m_files.end(), [file](const File& f) { return f.get() == file; });
    if (it != m_files.end())
        m_files.erase(it);
}

void ResourceModule::Release(const NameKey& key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    ResourceEntry& entry = it->second;
    // Pack handles are shared by all of the pack's entries and stay open.
    if ((entry.kind & 0x01) && (entry.kind & kResourceOwnsFile) && entry.file)
        CloseFile(entry.file);
    m_entries.erase(it);
}

void ResourceModule::ReleaseByName(std::string_view name)
{
    Release(MakeNameKey(ResourceLookupName(name)));
}

} // namespace engine
