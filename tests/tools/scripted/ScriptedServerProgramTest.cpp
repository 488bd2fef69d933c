#include "platform/Socket.h"
#include "tests/support/TestTimeouts.h"
#include "tools/wire/WireCodec.h"
#include "tools/wire/WireFrames.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace tools;
using testsupport::TimeoutMs;

// Runs the scripted-server program with its output on a pipe.
class Program {
public:
    bool Start(const std::string& scriptPath)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            dup2(fds[1], STDERR_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl(KBZN_SCRIPTED_SERVER, KBZN_SCRIPTED_SERVER, scriptPath.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
        return m_pid > 0;
    }
    // The next output line (without its newline); empty on time-out or end.
    std::string ReadLine(int timeoutMs = TimeoutMs(5000))
    {
        std::string line;
        char c;
        for (;;) {
            pollfd p { m_out, POLLIN, 0 };
            if (poll(&p, 1, timeoutMs) != 1 || read(m_out, &c, 1) != 1 || c == '\n')
                return line;
            line.push_back(c);
        }
    }
    // Stops it (SIGTERM unless it already ended) and returns its exit code.
    int Stop(bool terminate = true)
    {
        if (m_pid <= 0)
            return -1;
        if (terminate)
            kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Program()
    {
        Stop();
        if (m_out >= 0)
            close(m_out);
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

std::string WriteScript(const std::string& name, const std::string& text)
{
    auto path = std::filesystem::temp_directory_path() / ("kbzn_" + name + std::to_string(getpid()) + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(ScriptedServerProgram, ServesItsScriptUntilTerminated)
{
    std::string script = WriteScript("script", "# demo\nreply 201001 0 text=version ok\n");
    Program program;
    ASSERT_TRUE(program.Start(script));
    std::string line = program.ReadLine();
    const std::string prefix = "listening on 127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    uint16_t port = static_cast<uint16_t>(std::stoi(line.substr(prefix.size())));

    platform::Socket s = platform::Socket::CreateTcp();
    ASSERT_EQ(platform::ConnectWithTimeout(s, *platform::ParseIpv4("127.0.0.1", port), TimeoutMs(2000)),
        platform::ConnectResult::kConnected);
    std::string bytes;
    PutU32(bytes, 21);
    bytes.append(GameHello());
    PlainMessage m;
    m.head[1] = 201001;
    FrameFields f;
    f.sequence = 1;
    f.messageId = 1;
    f.expectsReply = true;
    bytes += BuildFrame(f, EncodeStages(EncodePlain(m), StageOptions {}), true);
    ASSERT_TRUE(platform::SendAllBlocking(s.Fd(), bytes.data(), bytes.size(), TimeoutMs(2000)));

    std::string head(4, '\0');
    ASSERT_TRUE(platform::RecvExactBlocking(s.Fd(), head.data(), 4, TimeoutMs(5000)));
    std::string frame(GetU32(head, 0), '\0');
    ASSERT_TRUE(platform::RecvExactBlocking(s.Fd(), frame.data(), frame.size(), TimeoutMs(5000)));
    frame = head + frame;
    std::string plain, error;
    ASSERT_TRUE(DecodeStages(frame.substr(60), CountingKey(), plain, error)) << error;
    ASSERT_TRUE(DecodePlain(plain, m, error));
    EXPECT_EQ(m.body, "version ok");
    EXPECT_EQ(program.ReadLine().rfind("request 201001 (message 1, wants a reply)", 0), 0u);

    EXPECT_EQ(program.Stop(), 0);
    std::filesystem::remove(script);
}

TEST(ScriptedServerProgram, RefusesABadScriptWithItsLine)
{
    std::string script = WriteScript("bad", "reply 1 0\nzip sometimes\n");
    Program program;
    ASSERT_TRUE(program.Start(script));
    std::string line = program.ReadLine();
    EXPECT_NE(line.find("line 2: zip"), std::string::npos) << line;
    EXPECT_EQ(program.Stop(false), 2);
    std::filesystem::remove(script);
}

} // namespace
