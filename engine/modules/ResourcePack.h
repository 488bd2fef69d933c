#pragma once
// Resource packs (".vkr"): one file holding many resources of the skin.
//
// Layout, all numbers little-endian, nothing compressed:
//   0    176 bytes  header; u32 entry count at 100, u32 record count at 104
//   176  32 x N     directory records (PackDirEntry)
//   ...             the resources' bytes, at the offsets the records give
//
// The readers load the header and the directory once and keep no file open.
// Everything they read is checked against the size of the file or image: a
// pack too short for its header or its directory is not open, the two counts
// are reconciled to the records actually present, and a record whose bytes
// lie outside the pack reads as a failure.

#include "engine/core/NameKey.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr size_t kPackHeaderSize = 176;
inline constexpr size_t kPackEntryCountOffset = 100;
inline constexpr size_t kPackRecordCountOffset = 104;
inline constexpr size_t kPackDirEntrySize = 32;

struct PackDirEntry {
    NameKey key;            // of the lookup name: base name + category extension
    uint32_t offset = 0;    // of the first byte, from the start of the pack
    uint32_t length = 0;    // byte count
    uint32_t extension = 0; // NameHash of the resource's own extension (".png")
    uint8_t reserved[8] = {};
};

// The 32 bytes of one directory record.
void StorePackDirEntry(const PackDirEntry& entry, uint8_t* out);
PackDirEntry LoadPackDirEntry(const uint8_t* in);

class PackReader {
public:
    // Reads the header and directory of the pack at path ('\' or '/'
    // separators). A pack that cannot be opened, or is too short for its
    // header or directory, leaves the reader empty (IsOpen 0).
    explicit PackReader(std::string_view path);
    virtual ~PackReader() = default;
    PackReader(const PackReader&) = delete;
    PackReader& operator=(const PackReader&) = delete;

    // Copies record index's bytes into the buffer: 1, or 0 when the index is
    // out of range, the buffer is smaller than the record or the bytes cannot
    // be read whole.
    virtual int ReadEntryInto(uint32_t index, void* buffer, size_t size);
    // A new block holding record index's bytes (length of the record, plus a
    // zero byte after them); null when not open, out of range or unreadable.
    virtual std::unique_ptr<char[]> ReadEntry(uint32_t index);
    virtual int IsOpen() const;

    void Rewind() { m_index = 0; }
    // Steps to the next record (with a nonzero extension hash, to the next
    // record of that extension). 1 when it moved, 0 at the end.
    int NextEntry(uint32_t extension);
    // Copies the record at the current index; false when the pack has no
    // records.
    bool CurrentEntry(PackDirEntry& out) const;

    // The records iteration visits: the smaller of the entry count and the
    // records present in the directory.
    uint32_t EntryCount() const { return static_cast<uint32_t>(m_entries.size()); }
    uint32_t CurrentIndex() const { return m_index; }
    // The pack's byte size (0 when not open).
    uint64_t PackSize() const { return m_packSize; }

protected:
    PackReader() = default;
    // Reads header and directory from an image of `size` bytes.
    bool ParseDirectory(const uint8_t* image, size_t size);
    // Whether record index's bytes lie inside the pack.
    bool RecordInside(uint32_t index) const;

    std::vector<PackDirEntry> m_entries;
    uint32_t m_index = 0;
    uint64_t m_packSize = 0;

private:
    std::string m_path; // host path; empty until the pack was read
};

// A pack image already in memory. The image is borrowed and must outlive
// the reader.
class MemoryPackReader final : public PackReader {
public:
    MemoryPackReader(const void* image, size_t size);
    ~MemoryPackReader() override = default;

    int ReadEntryInto(uint32_t index, void* buffer, size_t size) override;
    std::unique_ptr<char[]> ReadEntry(uint32_t index) override;
    int IsOpen() const override;

private:
    const uint8_t* m_image = nullptr; // not owned
    bool m_open = false;
};

} // namespace engine
