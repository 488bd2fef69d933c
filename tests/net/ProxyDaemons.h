#pragma once
// Real proxies for tests, started on free loopback ports and ended when
// their guard goes: dante (SOCKS4, SOCKS5 with or without a user) and
// tinyproxy (HTTP CONNECT with Basic credentials). A start returns null when
// the daemon is not installed or does not come up.

#include "platform/Socket.h"

#include <arpa/inet.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace proxytest {

inline constexpr const char* kProxyUser = "kbznproxy";
inline constexpr const char* kProxyPassword = "Pr0xyPass";

inline uint16_t FreePort()
{
    platform::Socket s = platform::ListenTcp("127.0.0.1", 0, 1);
    return platform::LocalPort(s.Fd());
}

inline bool WaitForPort(uint16_t port, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        platform::Socket s = platform::Socket::CreateTcp();
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(s.Fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A daemon in the foreground, ended when the guard goes.
class Daemon {
public:
    Daemon(const std::vector<std::string>& argv, const std::string& logFile)
    {
        m_pid = fork();
        if (m_pid == 0) {
            FILE* log = std::fopen(logFile.c_str(), "w");
            if (log) {
                dup2(fileno(log), 1);
                dup2(fileno(log), 2);
            }
            std::vector<char*> args;
            for (const auto& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~Daemon()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status;
            waitpid(m_pid, &status, 0);
        }
    }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

private:
    pid_t m_pid = -1;
};

// dante on a free port; "none" or "username" for its SOCKS method. Its
// configuration and log go into dir.
inline std::unique_ptr<Daemon> StartDante(const std::filesystem::path& dir, const std::string& method, uint16_t& port)
{
    if (!std::filesystem::exists("/usr/sbin/danted"))
        return nullptr;
    port = FreePort();
    auto conf = dir / ("dante-" + method + ".conf");
    std::ofstream(conf) << "logoutput: " << (dir / ("dante-" + method + ".log")).string() << "\n"
                        << "internal: 127.0.0.1 port = " << port << "\n"
                        << "external: 127.0.0.1\n"
                        << "clientmethod: none\n"
                        << "socksmethod: " << method << "\n"
                        << "user.privileged: root\nuser.unprivileged: nobody\n"
                        << "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                        << "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 protocol: tcp }\n";
    auto d = std::make_unique<Daemon>(std::vector<std::string> { "/usr/sbin/danted", "-f", conf.string(), "-N", "1" },
        (dir / ("dante-" + method + ".out")).string());
    return WaitForPort(port) ? std::move(d) : nullptr;
}

// tinyproxy on a free port, asking for kProxyUser / kProxyPassword.
inline std::unique_ptr<Daemon> StartTinyproxy(const std::filesystem::path& dir, uint16_t& port)
{
    if (!std::filesystem::exists("/usr/bin/tinyproxy"))
        return nullptr;
    port = FreePort();
    auto conf = dir / "tinyproxy.conf";
    std::ofstream(conf) << "Port " << port << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                        << "LogLevel Info\nAllow 127.0.0.1\nBasicAuth " << kProxyUser << " " << kProxyPassword
                        << "\n";
    auto d = std::make_unique<Daemon>(std::vector<std::string> { "/usr/bin/tinyproxy", "-d", "-c", conf.string() },
        (dir / "tinyproxy.out").string());
    return WaitForPort(port) ? std::move(d) : nullptr;
}

// The SOCKS5 user/password method of dante checks the system's users.
inline bool EnsureProxyUser()
{
    if (getuid() != 0)
        return false;
    std::string cmd = std::string("id ") + kProxyUser + " >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "
        + kProxyUser + " && echo '" + kProxyUser + ":" + kProxyPassword + "' | chpasswd";
    return std::system(cmd.c_str()) == 0;
}

} // namespace proxytest
