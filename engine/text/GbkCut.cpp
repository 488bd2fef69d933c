#include "engine/text/GbkCut.h"

#include "platform/Gbk.h"

#include <cstdint>

namespace engine {

size_t GbkCutLength(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text.size();
    size_t i = 0;
    while (i < maxBytes) {
        size_t step = platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return i;
}

} // namespace engine
