#pragma once
// Starting other programs: the lobby, or this program again.

#include <optional>
#include <string>

namespace platform {

// The running program's own file, as a program path (GBK). Tests point it at
// a stand-in with SetExecutablePath; an empty path restores the real one.
std::string ExecutablePath();
void SetExecutablePath(std::string path);

// Starts the program at path (a program path: GBK, either separator) with
// exactly one argument, or none, and does not wait for it. The argument's
// bytes reach the program unchanged as its one argv entry (no shell sees
// them), so spaces, quotes and '|' need no quoting. The program runs in a
// session of its own with default signal handling, inherits the working
// directory, the environment and no descriptor beyond 0-2, and is reaped
// when it ends, so it never lingers as a zombie. False when it cannot be
// started (no such file, not executable) or the argument holds a zero byte.
bool SpawnProgram(const std::string& path, const std::optional<std::string>& argument);

} // namespace platform
