#include "platform/DirectoryList.h"

#include "platform/Files.h"
#include "platform/Gbk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace platform {

bool ListDirectoryFiles(const std::string& dir, std::vector<std::string>& names)
{
    names.clear();
    const std::string host = dir.empty() ? std::string(".") : NativePath(dir);
    DIR* handle = ::opendir(host.c_str());
    if (!handle)
        return false;
    std::string prefix = host;
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    while (dirent* entry = ::readdir(handle)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        // d_type is not filled by every file system: stat decides then, and
        // a symbolic link counts as what it points to.
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st;
            regular = ::stat((prefix + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            names.push_back(Gbk::FromUtf8(name));
    }
    ::closedir(handle);
    std::sort(names.begin(), names.end());
    return true;
}

} // namespace platform
