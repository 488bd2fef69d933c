#include "engine/modules/TruncateDbcs.h"

#include "platform/Gbk.h"

#include <cstdint>
#include <cstring>

namespace engine {

void TruncateDbcs(std::string_view text, char* destination, size_t width)
{
    if (width == 0 || destination == nullptr)
        return;
    size_t length = text.size();
    if (length < width) {
        std::memcpy(destination, text.data(), length);
        destination[length] = '\0';
        return;
    }
    if (width < 4) {
        // Room for dots only.
        std::memset(destination, '.', width - 1);
        destination[width - 1] = '\0';
        return;
    }
    // Whole characters while fewer than width - 4 bytes are taken: the copy
    // ends at width - 4, or at width - 3 when a double-byte character
    // straddled that point.
    size_t target = width - 4;
    size_t i = 0;
    while (i < target)
        i += platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1;
    std::memcpy(destination, text.data(), i);
    size_t out = i;
    if (i == target) {
        // length >= width, so the next character (both its bytes) is there.
        if (platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i]))) {
            destination[out++] = text[i];
            destination[out++] = text[i + 1];
            destination[out++] = '.';
        } else {
            destination[out++] = text[i];
            destination[out++] = '.';
            destination[out++] = '.';
        }
    } else {
        destination[out++] = '.';
        destination[out++] = '.';
    }
    destination[out] = '\0';
}

} // namespace engine
