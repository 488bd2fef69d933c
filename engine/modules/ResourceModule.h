#pragma once
// The resource module (id 1001): one registry of named resources from loose
// files, directories, packs on disk and packs handed over in memory. It reads
// a resource's bytes on first demand and hands them out by NameKey; it never
// decodes anything. User-interface thread only.
//
// Precedence: a loose file or memory block replaces an earlier registration
// of the same name; a pack never replaces (the first pack loaded wins).
//
// Ownership: the module owns the files it opened and every entry's data
// block. A consumer that takes an entry's block (std::move of
// ResourceEntry::data) owns it from then on; the next request reads the
// bytes again from the file. Entries of memory packs have no file, so their
// bytes can be taken once.

#include "engine/core/ModuleBase.h"
#include "engine/core/NameKey.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace engine {

// ResourceEntry::kind bits.
inline constexpr uint32_t kResourceLoose = 0x11; // a loose file or a memory block added by name
inline constexpr uint32_t kResourcePacked = 0x21; // an entry of a pack
inline constexpr uint32_t kResourceOwnsFile = 0x10;

// A block of length + 1 bytes holding a copy of the bytes and a zero after
// them, as every data block of the module is.
std::unique_ptr<char[]> MakeResourceBlock(const void* bytes, size_t length);

struct ResourceEntry {
    NameKey key;                // of the normalised name
    uint32_t extension = 0;     // NameHash of the own extension (".png"); consumers choose the decoder by it
    uint32_t category = 0;      // ExtensionCategory of extension
    std::FILE* file = nullptr;  // not owned: the module's handle list owns it; null for memory entries
    uint32_t kind = 0;          // kResourceLoose or kResourcePacked
    uint32_t offset = 0;        // of the bytes in the file
    uint32_t length = 0;        // byte count (0 for a loose file until it is first read)
    // length + 1 bytes, the last one zero (text resources are C strings);
    // null while not loaded or after a consumer took it.
    std::unique_ptr<char[]> data;
};

class ResourceModule final : public ModuleBase {
public:
    ResourceModule();
    ~ResourceModule() override;

    // Module slots.
    int Init() override { return 1; }
    // Closes every file the module opened. Entries stay registered; those of
    // closed files can no longer be read.
    void Shutdown() override;
    void Update() override { }
    // Its turn has nothing to do: the module works on calls.
    uint32_t MsUntilWork(uint32_t) override { return kNoWork; }
    int GetId() const override { return MODULE_RESOURCE; }
    const char* GetName() const override { return "ResourceModule"; }
    // MODMSG_RES_ADD_FILE: data = path (C string); result 0.
    // MODMSG_RES_ADD_DIRECTORY: data = path; result the count.
    // MODMSG_RES_LOAD_PACK_FILE: data = path; result the count.
    // MODMSG_RES_LOAD_PACK_MEMORY: data = the pack image, extra = its byte
    // size; result the count. The image is only read during the call.
    // Anything else: ORBITVANE_RETURN_OK.
    int OnMessage(int msg, MessageWord data, MessageWord extra) override;

    // Registers the file at path under its normalised name (or `name`
    // followed by the category extension); a zero key when it cannot be
    // opened.
    NameKey AddFile(std::string_view path, const char* name = nullptr);
    // Registers bytes already in memory under the normalised name. The block
    // (length + 1 bytes, the last one zero: see MakeResourceBlock) becomes
    // the module's.
    NameKey AddEntry(std::string_view name, std::unique_ptr<char[]> data, uint32_t length);
    // Registers every file at the top level of the directory; the count.
    int AddDirectory(std::string_view path);
    // Registers every record of the pack file that is not registered yet;
    // the number of records visited, 0 when the pack cannot be read.
    int LoadPackFile(std::string_view path);
    // The same for a pack image in memory; every record's bytes are copied
    // at once. A record whose bytes lie outside the image is skipped.
    int LoadPackMemory(const void* image, size_t size);

    int Exists(const NameKey& key) const;
    // The entry's bytes, loading them first; null when absent or unreadable.
    const char* GetData(const NameKey& key);
    // The entry with its data loaded; null when absent or unreadable. The
    // pointer stays valid until the key is released or replaced.
    ResourceEntry* LoadEntry(const NameKey& key);
    // Releases the entry of the normalised name.
    void ReleaseByName(std::string_view name);
    // Frees the entry's data, closes the file it owns and removes it.
    void Release(const NameKey& key);

    size_t EntryCount() const { return m_entries.size(); }
    size_t OpenFileCount() const { return m_files.size(); }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using File = std::unique_ptr<std::FILE, FileCloser>;

    void ReportPackFailure(const char* text);
    void Insert(ResourceEntry entry);
    void CloseFile(std::FILE* file);

    std::map<NameKey, ResourceEntry, NameKeyOrder> m_entries;
    std::vector<File> m_files;
};

} // namespace engine
