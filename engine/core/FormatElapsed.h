#pragma once

#include <cstdint>
#include <string>

namespace engine {

// "mm:ss" up to one hour inclusive ("60:00"), "hh:mm:ss" beyond.
std::string FormatElapsed(uint32_t milliseconds);

} // namespace engine
