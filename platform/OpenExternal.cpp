#include "platform/OpenExternal.h"

#include <mutex>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

namespace {

std::mutex g_hookLock;
std::function<bool(const std::string&)>& Hook()
{
    static std::function<bool(const std::string&)> hook;
    return hook;
}

} // namespace

void SetOpenExternalHook(std::function<bool(const std::string&)> hook)
{
    std::lock_guard lock(g_hookLock);
    Hook() = std::move(hook);
}

bool OpenExternal(const std::string& utf8Address)
{
    {
        std::lock_guard lock(g_hookLock);
        if (Hook())
            return Hook()(utf8Address);
    }
    std::string program = "xdg-open";
    std::string argument = utf8Address;
    char* argv[] = { program.data(), argument.data(), nullptr };
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0)
        return false;
    // Reap the opener in the background so it leaves no zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

} // namespace platform
