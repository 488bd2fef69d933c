#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits for something the started program does; the deadline only keeps a
// broken run from hanging.
template <typename Done>
bool WaitFor(Done done)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Processes whose parent is this one, zombies included.
int ChildCount()
{
    int count = 0;
    const std::string self = std::to_string(getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line))
            continue;
        // pid (name) state ppid ...: the name may hold spaces, so read
        // after its closing parenthesis.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state, parent;
        rest >> state >> parent;
        if (parent == self)
            ++count;
    }
    return count;
}

class SpawnProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/kbzn-spawn-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_dir = name;
        m_scriptDir = fs::path(m_dir) / fs::path(u8"目录");
        fs::create_directories(m_scriptDir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // A script that writes its argument count and its arguments, each ended
    // by a zero byte, to "args" (renamed into place when complete), after
    // extraLines have run. Returned as the program names it: GBK, with a
    // Windows separator.
    std::string WriteScript(const std::string& extraLines = "")
    {
        std::string out = m_scriptDir.string();
        std::ofstream script(m_scriptDir / "run.sh", std::ios::binary);
        script << "#!/bin/sh\n"
               << "out='" << out << "'\n"
               << extraLines
               << "{ printf '%s\\n' \"$#\"; for a in \"$@\"; do printf '%s\\000' \"$a\"; done; } > \"$out/args.tmp\"\n"
               << "mv \"$out/args.tmp\" \"$out/args\"\n";
        script.close();
        fs::permissions(m_scriptDir / "run.sh", fs::perms::owner_all);
        return m_dir + "/目录\\run.sh";
    }

    // The arguments the script received; nullopt when it never wrote them.
    std::optional<std::vector<std::string>> ReceivedArguments()
    {
        fs::path args = m_scriptDir / "args";
        if (!WaitFor([&] { return fs::exists(args); }))
            return std::nullopt;
        std::string text = Slurp(args);
        fs::remove(args);
        size_t newline = text.find('\n');
        std::vector<std::string> received;
        for (size_t at = newline + 1; at < text.size();) {
            size_t end = text.find('\0', at);
            received.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        EXPECT_EQ(text.substr(0, newline), std::to_string(received.size()));
        return received;
    }

    std::string m_dir;
    fs::path m_scriptDir;
};

TEST_F(SpawnProgramTest, TheArgumentArrivesAsOneArgvEntry)
{
    std::string program = WriteScript();
    const std::optional<std::string> arguments[] = {
        "plain",
        "two  spaces and a\ttab",
        "\"quoted\" 'single' \\back\\slash",
        "10.0.0.1|张三|0|3|1|0|0|0|1|标题|5|16|0|0|0",
        "$HOME `id` ; && > out",
        "",
        std::nullopt,
    };
    for (const auto& argument : arguments) {
        SCOPED_TRACE(argument.value_or("(none)"));
        ASSERT_TRUE(platform::SpawnProgram(program, argument));
        auto received = ReceivedArguments();
        ASSERT_TRUE(received.has_value());
        if (argument)
            EXPECT_EQ(*received, std::vector<std::string> { *argument });
        else
            EXPECT_TRUE(received->empty());
    }
    // Each was reaped once it ended: no child is left, not even a zombie.
    EXPECT_TRUE(WaitFor([] { return ChildCount() == 0; }));
}

TEST_F(SpawnProgramTest, TheProgramStartsInItsOwnSessionWithDefaultSignalsAndNoStrayDescriptors)
{
    int stray = ::open("/dev/null", O_RDONLY); // no close-on-exec
    ASSERT_GE(stray, 3);
    std::string program = WriteScript(
        "read -r stat < /proc/$$/stat\n"
        "set -- $stat\n"
        "echo \"$1 $6\" > \"$out/session\"\n"
        // Read with builtins only: a shell blocks signals for a moment
        // while it starts a command, and a command started here could see
        // that moment instead of the mask the program was given.
        "while read -r label value; do case $label in SigIgn:|SigBlk:) echo \"$label $value\";; esac; done"
        " < /proc/$$/status > \"$out/signals\"\n"
        "if [ -e /proc/$$/fd/" + std::to_string(stray) + " ]; then echo open; else echo closed; fi > \"$out/fd\"\n"
        "set --\n");

    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    sigaction(SIGPIPE, &ignore, &previous);
    sigset_t usr1, oldMask;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, &oldMask);
    bool started = platform::SpawnProgram(program, std::nullopt);
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    sigaction(SIGPIPE, &previous, nullptr);
    ::close(stray);
    ASSERT_TRUE(started);
    ASSERT_TRUE(ReceivedArguments().has_value());

    std::istringstream session(Slurp(m_scriptDir / "session"));
    std::string pid, sid;
    session >> pid >> sid;
    EXPECT_FALSE(pid.empty());
    EXPECT_EQ(sid, pid) << "the program leads a session of its own";

    std::istringstream signals(Slurp(m_scriptDir / "signals"));
    std::string label, mask;
    while (signals >> label >> mask) {
        unsigned long long bits = std::stoull(mask, nullptr, 16);
        if (label == "SigIgn:") {
            EXPECT_EQ(bits & (1ull << (SIGPIPE - 1)), 0u) << "SIGPIPE still ignored";
        } else if (label == "SigBlk:") {
            EXPECT_EQ(bits & (1ull << (SIGUSR1 - 1)), 0u) << "SIGUSR1 still blocked";
        }
    }
    EXPECT_EQ(Slurp(m_scriptDir / "fd"), "closed\n");
}

TEST_F(SpawnProgramTest, WhatCannotBeStartedGivesFalse)
{
    std::string program = WriteScript();
    {
        std::ofstream plain(m_scriptDir / "plain.txt");
        plain << "not a program\n";
    }
    fs::permissions(m_scriptDir / "plain.txt", fs::perms::owner_read | fs::perms::owner_write);
    struct Case {
        std::string path;
        std::optional<std::string> argument;
    };
    const Case cases[] = {
        { m_dir + "/目录\\missing.sh", std::nullopt },
        { m_dir + "/目录\\plain.txt", std::nullopt },
        { m_dir + "/目录\\", std::nullopt },
        { "", std::nullopt },
        { program, std::string("zero\0byte", 9) },
    };
    for (const Case& c : cases)
        EXPECT_FALSE(platform::SpawnProgram(c.path, c.argument)) << c.path;
}

TEST(ExecutablePathTest, NamesThisProgramUntilOverridden)
{
    std::string own = platform::ExecutablePath();
    EXPECT_TRUE(fs::equivalent(own, "/proc/self/exe"));
    platform::SetExecutablePath("/opt/kbzn/KbZn");
    EXPECT_EQ(platform::ExecutablePath(), "/opt/kbzn/KbZn");
    platform::SetExecutablePath("");
    EXPECT_EQ(platform::ExecutablePath(), own);
}

} // namespace
