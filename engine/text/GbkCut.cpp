#include "engine/text/GbkCut.h"

#include <cstdint>

namespace engine {

size_t GbkCutLength(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text.size();
    size_t i = 0;
    while (i < maxBytes) {
        size_t step = static_cast<uint8_t>(text[i]) >= 0x81 ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return i;
}

} // namespace engine
