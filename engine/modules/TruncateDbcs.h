#pragma once
// Cutting GBK text to a field width.

#include <cstddef>
#include <string_view>

namespace engine {

// Writes text into destination, which has room for width bytes, always
// ending it with a zero within those bytes. Text that fits (with its zero)
// is copied whole. Longer text is cut so that it ends in ".." (or one "."
// after a double-byte character) and fills width - 1 bytes; a double-byte
// character (lead byte 0x81-0xFE) is never split. Below width 4 only dots
// fit. Width 0 writes nothing.
void TruncateDbcs(std::string_view text, char* destination, size_t width);

} // namespace engine
