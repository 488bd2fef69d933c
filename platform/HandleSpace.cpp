#include "platform/HandleSpace.h"
#include "platform/Bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Closes a descriptor when the scope ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

uint32_t ReadCounter(int fd)
{
    uint8_t bytes[4] {};
    if (::pread(fd, bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes))
        return 0; // a new (or damaged) file starts the count again
    return LoadLe32(bytes);
}

bool WriteCounter(int fd, uint32_t value)
{
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    return ::pwrite(fd, bytes, sizeof bytes, 0) == static_cast<ssize_t>(sizeof bytes);
}

} // namespace

bool EnsurePrivateDirectory(const std::string& path)
{
    if (path.empty())
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

std::optional<std::string> DesktopDirectory()
{
    std::string path;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        path = std::string(runtime) + "/kbzn";
    else
        path = "/tmp/kbzn-" + std::to_string(::geteuid());
    if (!EnsurePrivateDirectory(path))
        return std::nullopt;
    return path;
}

HandleSpace::HandleSpace(std::string directory)
    // Process ids are below 2^22, so without the file each process counts in
    // a band of 1024 numbers of its own.
    : m_local(static_cast<uint32_t>(::getpid()) << 10)
{
    if (!directory.empty())
        m_counterPath = directory + "/handles";
}

bool HandleSpace::TakeBlock()
{
    if (m_counterPath.empty())
        return false;
    FileDescriptor fd(::open(m_counterPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.Get() < 0 || ::flock(fd.Get(), LOCK_EX) != 0)
        return false;
    uint32_t first = ReadCounter(fd.Get());
    if (first == 0 || first > UINT32_MAX - kBlock)
        first = 1; // a fresh file, or the count wrapped: 0 is never a handle
    if (!WriteCounter(fd.Get(), first + kBlock))
        return false; // closing the descriptor drops the lock
    m_next = first;
    m_end = first + kBlock;
    return true;
}

uint32_t HandleSpace::Allocate()
{
    std::lock_guard lock(m_lock);
    if (m_next != m_end || TakeBlock())
        return m_next++;
    uint32_t handle = m_local++;
    if (handle == 0)
        handle = m_local++;
    return handle;
}

HandleSpace& HandleSpace::Desktop()
{
    static HandleSpace space(DesktopDirectory().value_or(std::string()));
    return space;
}

} // namespace platform
