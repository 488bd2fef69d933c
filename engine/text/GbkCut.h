#pragma once
// Cutting GBK text to a byte limit without splitting a two-byte character.

#include <cstddef>
#include <string_view>

namespace engine {

// The longest prefix of at most maxBytes bytes that ends on a character
// boundary (a byte of 0x81-0xFE starts a two-byte character, as
// platform::Gbk::IsLeadByte tells).
size_t GbkCutLength(std::string_view text, size_t maxBytes);

} // namespace engine
