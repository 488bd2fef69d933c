#include "platform/Process.h"

#include "platform/Files.h"
#include "platform/Gbk.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

extern char** environ;

namespace platform {

namespace {

struct PathOverride {
    std::mutex lock;
    std::string path;
};

PathOverride& Override()
{
    static PathOverride state;
    return state;
}

std::string RealExecutablePath()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? Gbk::FromUtf8(std::string_view(path, static_cast<size_t>(n))) : std::string();
}

// The spawn attributes: a new session (Ctrl+C or a hang-up of the
// terminal that started us does not reach the program), an empty signal
// mask and default dispositions (our threads block or ignore signals, such
// as SIGPIPE, that a fresh program expects to have).
class SpawnAttributes {
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&m_attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        posix_spawnattr_setflags(&m_attributes,
            static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID));
        posix_spawn_file_actions_init(&m_actions);
        // Every descriptor of ours should be close-on-exec already; this
        // also covers those opened by libraries that do not say so.
        posix_spawn_file_actions_addclosefrom_np(&m_actions, 3);
    }
    ~SpawnAttributes()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attributes);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    const posix_spawnattr_t* Attributes() const { return &m_attributes; }
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }

private:
    posix_spawnattr_t m_attributes;
    posix_spawn_file_actions_t m_actions;
};

} // namespace

std::string ExecutablePath()
{
    auto& state = Override();
    {
        std::lock_guard guard(state.lock);
        if (!state.path.empty())
            return state.path;
    }
    static const std::string real = RealExecutablePath();
    return real;
}

void SetExecutablePath(std::string path)
{
    auto& state = Override();
    std::lock_guard guard(state.lock);
    state.path = std::move(path);
}

bool SpawnProgram(const std::string& path, const std::optional<std::string>& argument)
{
    if (path.empty() || (argument && argument->find('\0') != std::string::npos))
        return false;
    std::string program = NativePath(path);
    std::string argumentText = argument.value_or(std::string());
    char* argv[] = { program.data(), argument ? argumentText.data() : nullptr, nullptr };
    SpawnAttributes spawn;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), spawn.Actions(), spawn.Attributes(), argv, environ) != 0)
        return false;
    // The child stays ours until it ends; a thread that waits for this one
    // id reaps it. Ignoring SIGCHLD instead would change the process for
    // every other waiter, and a double fork would copy this whole
    // multi-threaded process only to throw the copy away. When we end
    // first, the child passes to init, which reaps it.
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace platform
