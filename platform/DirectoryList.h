#pragma once
// Listing a directory of the host file system. Like every path of the
// program, the directory and the names are GBK; the file system's UTF-8
// names are converted here.

#include <string>
#include <vector>

namespace platform {

// The names of the regular files directly inside dir (no subdirectories, no
// recursion, "." and ".." never), sorted bytewise so callers see a stable
// order. False when the directory cannot be read.
bool ListDirectoryFiles(const std::string& dir, std::vector<std::string>& names);

} // namespace platform
