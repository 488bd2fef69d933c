#include "platform/Files.h"

#include "platform/Gbk.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <vector>

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
    return slash == std::string::npos ? std::string("./") : Gbk::FromUtf8(full.substr(0, slash + 1));
}

// An absolute directory named by the environment, or empty.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeDirectory()
{
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty())
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace

std::string NativePath(std::string_view gbkPath)
{
    // Decoding first leaves no '\' inside a character: in UTF-8 the byte
    // only ever stands for itself.
    std::string path = Gbk::ToUtf8(gbkPath);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

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

std::string SystemDirectory()
{
    const char* chosen = std::getenv("KBZN_SYSTEM_DIR");
    std::string dir = chosen ? chosen : "";
    if (dir.empty()) {
        std::string config = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
        dir = WithSlash(config.empty() ? WithSlash(HomeDirectory()) + ".config" : config) + "kbzn";
    }
    return Gbk::FromUtf8(WithSlash(std::move(dir)));
}

std::string DataHomeDirectory()
{
    const std::string data = AbsoluteFromEnvironment("XDG_DATA_HOME");
    return WithSlash(data.empty() ? WithSlash(HomeDirectory()) + ".local/share" : data);
}

std::string StateDirectory()
{
    const std::string state = AbsoluteFromEnvironment("XDG_STATE_HOME");
    std::string dir = WithSlash(state.empty() ? WithSlash(HomeDirectory()) + ".local/state" : state) + "kbzn/";
    return Gbk::FromUtf8(dir);
}

bool MakeDirectories(const std::string& path)
{
    std::filesystem::path native(NativePath(path));
    std::error_code error;
    std::filesystem::create_directories(native, error);
    return std::filesystem::is_directory(native, error);
}

namespace {

// Writes the bytes with one write to a file opened for appending; false
// with errno set when it cannot be opened.
bool AppendBytes(const std::string& nativePath, std::string_view bytes)
{
    int fd = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
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
    errno = 0;
    return done == bytes.size();
}

} // namespace

bool AppendToFile(const std::string& path, std::string_view bytes)
{
    return AppendBytes(NativePath(path), bytes);
}

bool AppendCreatingDirectory(const std::string& path, std::string_view bytes)
{
    const std::string native = NativePath(path);
    if (AppendBytes(native, bytes))
        return true;
    // Only a missing directory is worth a second try: a short write has
    // already put part of the bytes in the file.
    if (errno != ENOENT)
        return false;
    // Another writer may create the directory at the same moment: its
    // error is no reason to lose the line.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(native).parent_path(), ignored);
    return AppendBytes(native, bytes);
}

bool ReadFile(const std::string& path, std::string& out)
{
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in)
        return false;
    // A directory opens but cannot be read; the stream buffer reports that
    // read error by throwing.
    try {
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        out = std::move(bytes);
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return true;
}

} // namespace platform
