#pragma once
// The steps of a notification fuzz input, after its first byte of
// switches: {id index byte, 16-bit little-endian length, body}, the length
// cut to what remains. Each body is copied into an allocation of exactly
// its size (a new[] of 0 is still a distinct allocation), so that a
// handler reading past it is caught.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace fuzzsteps {

// Calls step(index byte, body, length) for every step from pos on.
template <typename Step>
void ForEachStep(const uint8_t* data, size_t size, size_t pos, Step step)
{
    while (pos + 3 <= size) {
        const uint8_t index = data[pos];
        const size_t length = std::min<size_t>(data[pos + 1] | data[pos + 2] << 8, size - pos - 3);
        std::unique_ptr<uint8_t[]> body(new uint8_t[length]);
        std::copy(data + pos + 3, data + pos + 3 + length, body.get());
        pos += 3 + length;
        step(index, body.get(), length);
    }
}

} // namespace fuzzsteps
