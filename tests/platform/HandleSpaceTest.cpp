#include "platform/HandleSpace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::HandleSpace;

class HandleSpaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/kbzn-handles-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir;
};

TEST_F(HandleSpaceTest, ProcessesSharingTheDirectoryNeverShareAHandle)
{
    // Four processes take more than one block each at the same time; every
    // handle they report must be different, and none is 0.
    constexpr int kProcesses = 4;
    constexpr int kEach = 3 * HandleSpace::kBlock + 5;
    int pipes[kProcesses][2];
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        ASSERT_EQ(pipe(pipes[p]), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            HandleSpace space(dir);
            std::vector<uint32_t> handles;
            for (int i = 0; i < kEach; ++i)
                handles.push_back(space.Allocate());
            const auto bytes = static_cast<ssize_t>(handles.size() * sizeof(uint32_t));
            _exit(write(pipes[p][1], handles.data(), handles.size() * sizeof(uint32_t)) == bytes ? 0 : 1);
        }
        close(pipes[p][1]);
        children.push_back(pid);
    }
    std::set<uint32_t> seen;
    for (int p = 0; p < kProcesses; ++p) {
        std::vector<uint32_t> handles(kEach);
        size_t got = 0;
        const size_t want = handles.size() * sizeof(uint32_t);
        while (got < want) {
            ssize_t n = read(pipes[p][0], reinterpret_cast<char*>(handles.data()) + got, want - got);
            ASSERT_GT(n, 0);
            got += static_cast<size_t>(n);
        }
        close(pipes[p][0]);
        seen.insert(handles.begin(), handles.end());
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kProcesses * kEach));
    EXPECT_EQ(seen.count(0), 0u);

    // A later process goes on after them.
    HandleSpace later(dir);
    EXPECT_EQ(seen.count(later.Allocate()), 0u);
}

TEST_F(HandleSpaceTest, ACounterAtTheEndWrapsPastZero)
{
    // The file holds the next free handle, little-endian.
    const std::string counter = dir + "/handles";
    FILE* f = fopen(counter.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const unsigned char nearEnd[4] = { 0xF0, 0xFF, 0xFF, 0xFF };
    fwrite(nearEnd, 1, 4, f);
    fclose(f);
    HandleSpace space(dir);
    EXPECT_EQ(space.Allocate(), 1u);
    EXPECT_EQ(space.Allocate(), 2u);
}

TEST_F(HandleSpaceTest, WithoutAUsableFileHandlesStayUniqueWithinTheProcess)
{
    HandleSpace space(dir + "/missing/deeper");
    std::set<uint32_t> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(space.Allocate());
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(seen.count(0), 0u);
}

TEST_F(HandleSpaceTest, OnlyAPrivateDirectoryOfTheUserIsAccepted)
{
    const std::string fresh = dir + "/fresh";
    EXPECT_TRUE(platform::EnsurePrivateDirectory(fresh));
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(platform::EnsurePrivateDirectory(fresh)); // already there

    const std::string open = dir + "/open";
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    EXPECT_FALSE(platform::EnsurePrivateDirectory(open));

    const std::string link = dir + "/link";
    ASSERT_EQ(symlink(fresh.c_str(), link.c_str()), 0);
    EXPECT_FALSE(platform::EnsurePrivateDirectory(link));

    EXPECT_FALSE(platform::EnsurePrivateDirectory(""));
}

TEST_F(HandleSpaceTest, TheDesktopDirectoryFollowsTheRuntimeDirectory)
{
    const char* old = getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    auto desktop = platform::DesktopDirectory();
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(desktop.has_value());
    EXPECT_EQ(*desktop, dir + "/kbzn");
}

} // namespace
