#include "engine/core/FormatElapsed.h"

#include <cstdio>

namespace engine {

std::string FormatElapsed(uint32_t ms)
{
    char text[32];
    if (ms <= 3600000u)
        std::snprintf(text, sizeof text, "%02u:%02u", ms / 60000u, ms / 1000u % 60u);
    else
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", ms / 3600000u, ms / 60000u % 60u, ms / 1000u % 60u);
    return text;
}

} // namespace engine
