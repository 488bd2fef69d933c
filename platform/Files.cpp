#include "platform/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <mutex>

namespace platform {

namespace {

struct ExeDirState {
    std::mutex lock;
    std::string overridden;
};

ExeDirState& DirState()
{
    static ExeDirState state;
    return state;
}

std::string RealExecutableDir()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    std::string full(path, static_cast<size_t>(n));
    auto slash = full.rfind('/');
    return slash == std::string::npos ? std::string("./") : full.substr(0, slash + 1);
}

} // namespace

std::string ExecutableDir()
{
    auto& s = DirState();
    std::lock_guard guard(s.lock);
    if (!s.overridden.empty())
        return s.overridden;
    static const std::string real = RealExecutableDir();
    return real;
}

void SetExecutableDir(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    auto& s = DirState();
    std::lock_guard guard(s.lock);
    s.overridden = std::move(dir);
}

bool AppendToFile(const std::string& path, std::string_view bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

bool ReadFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace platform
