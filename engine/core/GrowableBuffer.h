#pragma once
// A byte buffer that doubles its capacity as data is written (the replay
// recorder writes its records through it). The cursor is where the next
// Append writes; it is an offset, never beyond the stored bytes, so seeking
// back and appending overwrites in place and the size only grows by what is
// written past the old end.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace engine {

class GrowableBuffer {
public:
    GrowableBuffer();

    static constexpr size_t kInitialCapacity = 32;

    const uint8_t* GetData() const { return m_data.get(); }
    const uint8_t* GetCursor() const { return m_data.get() + m_cursor; }
    size_t GetCursorOffset() const { return m_cursor; }
    size_t GetSize() const { return m_size; }
    size_t GetCapacity() const { return m_capacity; }

    // data + offset; offset == size points just past the end; beyond: null.
    const uint8_t* PointerAt(size_t offset) const;

    // Writes at the cursor, growing first so that at least one byte stays
    // free; returns the new size.
    size_t Append(const void* source, size_t length);
    // Size 0, cursor at the start, every byte zeroed; the capacity stays.
    void Reset();
    // Doubles the capacity (the new bytes are zero); the cursor stays.
    void Grow();
    // Cursor = min(position, size).
    void Seek(size_t position);
    // Moves the cursor on by n, at most to the end of the data.
    void Skip(size_t n);

private:
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
    size_t m_cursor = 0;
};

} // namespace engine
