#include "net/Paths.h"

#include "platform/Files.h"

#include <sys/stat.h>

#include <cstring>

namespace net {

void GetExeDir(std::string& out)
{
    out = platform::ExecutableDir();
}

void SplitPathParts(const std::string& path, unsigned parts, std::string& out)
{
    size_t nameStart = path.find_last_of("/\\");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = path.rfind('.');
    size_t extStart = (dot == std::string::npos || dot < nameStart) ? path.size() : dot;

    out.clear();
    if (parts & kPathDirectory)
        out += path.substr(0, nameStart);
    if (parts & kPathFileName)
        out += path.substr(nameStart, extStart - nameStart);
    if (parts & kPathExtension)
        out += path.substr(extStart);
}

bool PathExists(const std::string& path, bool wantDirectory)
{
    struct stat info {};
    if (path.empty() || ::stat(platform::NativePath(path).c_str(), &info) != 0)
        return false;
    return wantDirectory ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
}

void CopyString(char* destination, const char* source, int length)
{
    if (!destination || !source)
        return;
    if (length == -1) {
        std::strcpy(destination, source);
        return;
    }
    if (length <= 0)
        return;
    size_t n = strnlen(source, static_cast<size_t>(length));
    std::memcpy(destination, source, n);
    if (n < static_cast<size_t>(length))
        destination[n] = '\0';
}

int FloorLog2(uint32_t x)
{
    int n = 0;
    while (x > 1) {
        x >>= 1;
        ++n;
    }
    return n;
}

uint32_t PowerOfTwo(int n)
{
    return n <= 0 ? 1u : 1u << n;
}

} // namespace net
