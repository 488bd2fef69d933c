#pragma once
// Hands an address (UTF-8) to the desktop's opener, xdg-open, started
// directly with the address as its one argument: no shell ever sees it.

#include <functional>
#include <string>

namespace platform {

// Starts the opener without waiting for it; false when it cannot be started.
bool OpenExternal(const std::string& utf8Address);

// Tests replace the opener with a recorder (an empty function restores it).
void SetOpenExternalHook(std::function<bool(const std::string&)> hook);

} // namespace platform
