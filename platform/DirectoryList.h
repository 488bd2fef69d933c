#pragma once
// Listing a directory of the host file system. Names are the bytes the file
// system holds (GBK on the system's own files); nothing is converted.

#include <string>
#include <vector>

namespace platform {

// The names of the regular files directly inside dir (no subdirectories, no
// recursion, "." and ".." never), sorted bytewise so callers see a stable
// order. False when the directory cannot be read.
bool ListDirectoryFiles(const std::string& dir, std::vector<std::string>& names);

} // namespace platform
