#pragma once
// Path and number helpers. Paths use '/'; a '\' in a path (as the system's
// own relative names are written) counts as a separator too.

#include <cstdint>
#include <string>

namespace net {

// Directory of the running executable, ending in '/'.
void GetExeDir(std::string& out);

enum PathPart : unsigned {
    kPathDrive = 1, // always empty here: the file system has no drives
    kPathDirectory = 2, // with its trailing separator
    kPathFileName = 4,
    kPathExtension = 8, // with its dot
};

// out = the chosen parts of path, in order.
void SplitPathParts(const std::string& path, unsigned parts, std::string& out);

// The path exists and is a file (wantDirectory false) or a directory.
bool PathExists(const std::string& path, bool wantDirectory);

// Nothing when either is null; length -1 copies the whole string with its
// terminator; otherwise at most length characters (no terminator added when
// the source is longer).
void CopyString(char* destination, const char* source, int length);

// Number of halvings while x is above 1 (0 for x <= 1).
int FloorLog2(uint32_t x);
// 1 shifted left n times (1 for n <= 0).
uint32_t PowerOfTwo(int n);

} // namespace net
