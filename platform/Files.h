#pragma once
// Files and the program's own directory.

#include <string>
#include <string_view>

namespace platform {

// Directory of the running executable, ending in '/'. Tests point it at a
// scratch directory with SetExecutableDir so logs and INI files land there.
std::string ExecutableDir();
void SetExecutableDir(std::string dir); // empty restores the real one

// Appends the bytes with one write to a file opened for appending (created
// when missing), so concurrent appenders never split each other's lines.
// False when the file cannot be opened or the write is short.
bool AppendToFile(const std::string& path, std::string_view bytes);

// Whole-file read; false when it cannot be opened.
bool ReadFile(const std::string& path, std::string& out);

} // namespace platform
