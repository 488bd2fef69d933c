#include "engine/core/MemoryPool.h"

#include <atomic>
#include <cstring>
#include <new>

namespace engine {

namespace {

std::atomic<long long> g_bytesRequested { 0 };
std::atomic<long long> g_bytesInUse { 0 };

constexpr size_t kLargestAlloc = size_t { 1 } << 30;

size_t RoundUp(size_t n)
{
    return (n + MemoryPool::kAlign - 1) / MemoryPool::kAlign * MemoryPool::kAlign;
}

} // namespace

long long PoolBytesRequested()
{
    return g_bytesRequested.load();
}

long long PoolBytesInUse()
{
    return g_bytesInUse.load();
}

MemoryPool::~MemoryPool()
{
    Destroy();
}

void MemoryPool::Init(size_t elementSize, size_t count)
{
    Destroy();
    m_nextBlockSize = count * (RoundUp(elementSize) + kChunkHeader);
    NewBlock(m_nextBlockSize);
}

MemoryPool::Block* MemoryPool::NewBlock(size_t size)
{
    size = RoundUp(size < kChunkHeader ? kChunkHeader : size);
    void* memory = ::operator new(sizeof(Block) + size);
    std::memset(memory, 0, sizeof(Block) + size);
    auto* block = static_cast<Block*>(memory);
    block->payload = size;
    auto* chunk = reinterpret_cast<Chunk*>(PayloadOf(block));
    chunk->size = size - kChunkHeader;
    chunk->next = nullptr;
    block->firstFree = chunk;
    block->next = nullptr;

    if (!m_firstBlock) {
        m_firstBlock = block;
    } else {
        Block* last = m_firstBlock;
        while (last->next)
            last = last->next;
        last->next = block;
    }
    g_bytesRequested += static_cast<long long>(size);
    m_freeBytes += size;
    m_totalBytes += size;
    ++m_blockCount;
    return block;
}

void* MemoryPool::AllocInBlock(Block* block, size_t n)
{
    Chunk** link = &block->firstFree;
    for (Chunk* chunk = block->firstFree; chunk; link = &chunk->next, chunk = chunk->next) {
        if (chunk->size < n)
            continue;
        if (chunk->size < n + kChunkHeader) {
            // Too small to split: the spare bytes stay unused until Reset.
            *link = chunk->next;
        } else {
            auto* rest = reinterpret_cast<Chunk*>(reinterpret_cast<uint8_t*>(chunk) + kChunkHeader + n);
            rest->size = chunk->size - n - kChunkHeader;
            rest->next = chunk->next;
            *link = rest;
        }
        chunk->size = n;
        chunk->next = nullptr;
        return reinterpret_cast<uint8_t*>(chunk) + kChunkHeader;
    }
    return nullptr;
}

void* MemoryPool::Alloc(size_t n)
{
    if (n > kLargestAlloc)
        return nullptr;
    n = RoundUp(n);
    Block* block = m_firstBlock;
    for (;;) {
        for (; block; block = block->next) {
            if (void* payload = AllocInBlock(block, n)) {
                g_bytesInUse += static_cast<long long>(n);
                m_freeBytes -= n;
                return payload;
            }
        }
        size_t size = m_nextBlockSize > n + kChunkHeader ? m_nextBlockSize : n + kChunkHeader;
        block = NewBlock(size);
        m_nextBlockSize *= 2;
    }
}

int MemoryPool::BlockOf(const void* pointer) const
{
    auto p = reinterpret_cast<uintptr_t>(pointer);
    int index = 0;
    for (Block* block = m_firstBlock; block; block = block->next, ++index) {
        auto start = reinterpret_cast<uintptr_t>(block);
        auto end = start + sizeof(Block) + block->payload;
        if (p >= start && p < end)
            return index;
    }
    return -1;
}

size_t MemoryPool::BlockPayload(size_t index) const
{
    Block* block = m_firstBlock;
    for (size_t i = 0; block && i < index; ++i)
        block = block->next;
    return block ? block->payload : 0;
}

void MemoryPool::Free(void* pointer)
{
    if (!pointer)
        return;
    auto p = reinterpret_cast<uintptr_t>(pointer);
    for (Block* block = m_firstBlock; block; block = block->next) {
        auto payloadStart = reinterpret_cast<uintptr_t>(PayloadOf(block));
        auto end = payloadStart + block->payload;
        // The pointer must leave room for a chunk header inside the payload.
        if (p < payloadStart + kChunkHeader || p > end)
            continue;
        auto* chunk = reinterpret_cast<Chunk*>(static_cast<uint8_t*>(pointer) - kChunkHeader);
        g_bytesInUse -= static_cast<long long>(chunk->size);
        m_freeBytes += chunk->size;
        chunk->next = block->firstFree;
        block->firstFree = chunk;
        return;
    }
}

void MemoryPool::Reset()
{
    g_bytesInUse -= static_cast<long long>(m_totalBytes - m_freeBytes);
    for (Block* block = m_firstBlock; block; block = block->next) {
        auto* chunk = reinterpret_cast<Chunk*>(PayloadOf(block));
        chunk->size = block->payload - kChunkHeader;
        chunk->next = nullptr;
        block->firstFree = chunk;
    }
    m_freeBytes = m_totalBytes;
}

void MemoryPool::FreeBlocks(Block* first)
{
    while (first) {
        Block* next = first->next;
        ::operator delete(first);
        first = next;
    }
}

void MemoryPool::Destroy()
{
    g_bytesInUse -= static_cast<long long>(m_totalBytes - m_freeBytes);
    g_bytesRequested -= static_cast<long long>(m_totalBytes);
    FreeBlocks(m_firstBlock);
    m_firstBlock = nullptr;
    m_totalBytes = 0;
    m_freeBytes = 0;
    m_nextBlockSize = 0;
    m_blockCount = 0;
}

} // namespace engine
