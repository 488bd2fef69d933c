#pragma once
// A block pool from which engine modules allocate their small records. Blocks
// are carved first-fit into chunks; a freed chunk goes back on its block's
// free list (neighbours are never merged) and Reset makes every block whole
// again. Payloads are aligned to 8 bytes, enough for every record the
// engine keeps in pools (pointers, doubles, 32-bit words).
//
// Records that were 32-bit words holding pointers are pointer-sized here, so
// header sizes come from sizeof: a block header is 24 bytes and a chunk
// header 16, and Init sizes the first block as count x (size + 16).

#include <cstddef>
#include <cstdint>

namespace engine {

class MemoryPool {
public:
    MemoryPool() = default;
    ~MemoryPool();
    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;

    static constexpr size_t kAlign = 8;

    // Zeroes the counters and allocates a first block that holds `count`
    // records of `elementSize` bytes.
    void Init(size_t elementSize, size_t count);
    // A payload of at least n bytes (n rounded up to kAlign), or null when n
    // is absurdly large.
    void* Alloc(size_t n);
    // Returns a chunk to its block; a pointer that no block owns is ignored.
    void Free(void* pointer);
    // Every block becomes one free chunk again; every pointer handed out is
    // invalid afterwards.
    void Reset();
    // Frees every block; Init must run again before further use.
    void Destroy();

    size_t TotalBytes() const { return m_totalBytes; }
    size_t FreeBytes() const { return m_freeBytes; }
    size_t NextBlockSize() const { return m_nextBlockSize; }
    size_t BlockCount() const { return m_blockCount; }
    // Payload size of block i in list order (0 when there is none).
    size_t BlockPayload(size_t index) const;
    // Index of the block that owns the pointer, or -1.
    int BlockOf(const void* pointer) const;

private:
    struct Chunk {
        size_t size; // payload bytes
        Chunk* next; // next free chunk
    };
    struct Block {
        size_t payload;
        Chunk* firstFree;
        Block* next;
    };
    static_assert(sizeof(Chunk) % kAlign == 0 && sizeof(Block) % kAlign == 0);

public:
    static constexpr size_t kChunkHeader = sizeof(Chunk);
    static constexpr size_t kBlockHeader = sizeof(Block);

private:
    Block* NewBlock(size_t size);
    void* AllocInBlock(Block* block, size_t n);
    static void FreeBlocks(Block* first);
    static uint8_t* PayloadOf(Block* block) { return reinterpret_cast<uint8_t*>(block) + sizeof(Block); }

    size_t m_totalBytes = 0;
    size_t m_freeBytes = 0;
    size_t m_nextBlockSize = 0;
    size_t m_blockCount = 0;
    Block* m_firstBlock = nullptr; // owned chain
};

// Process-wide counters shown by the engine's system-detail overlay: payload
// bytes of all live blocks of all pools, and bytes handed out and not freed.
long long PoolBytesRequested();
long long PoolBytesInUse();

} // namespace engine
