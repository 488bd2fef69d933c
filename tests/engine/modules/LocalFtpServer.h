#pragma once
// A local FTP server for the upload tests: pyftpdlib (Debian's
// python3-pyftpdlib) on a free loopback port, serving one directory with
// write access to one user, or to the anonymous login when no user is
// given. Its output goes to a log file beside the test's scratch files.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace testftp {

inline uint16_t FreePort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

inline bool Accepts(uint16_t port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

class LocalFtpServer {
public:
    LocalFtpServer() = default;
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;
    ~LocalFtpServer() { Stop(); }

    // True once the server accepts connections; false when it could not be
    // started (no python3 or no pyftpdlib) or did not listen within 10 s.
    bool Start(const std::filesystem::path& served, const std::filesystem::path& log, const std::string& user = {},
        const std::string& password = {})
    {
        using namespace std::chrono_literals;
        m_port = FreePort();
        std::vector<std::string> argv = { "/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
            std::to_string(m_port), "-w", "-d", served.string() };
        if (!user.empty())
            argv.insert(argv.end(), { "-u", user, "-P", password });
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string logPath = log.string();
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (m_pid > 0 && !Accepts(m_port) && std::chrono::steady_clock::now() < end) {
            int status;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1; // it ended: python3 or the module is missing
                break;
            }
            std::this_thread::sleep_for(20ms);
        }
        return Running();
    }
    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        int status;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    bool Running() const { return m_pid > 0 && Accepts(m_port); }
    bool Spawned() const { return m_pid > 0; }
    uint16_t Port() const { return m_port; }

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
};

} // namespace testftp
