// The desktop channel: windows of the user's processes finding each other
// by class, posting and copying records, time-outs, refusals, sockets left
// by processes that ended, and delivery into a real window's loop. Other
// processes are played by the desktop-peer program.

#include "platform/DesktopChannel.h"
#include "platform/HandleSpace.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include "tests/support/TestTimeouts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace platform;
namespace fs = std::filesystem;

constexpr uint32_t kTestMessage = kUserMessage + 0x91;

// What a window registered with handlers received.
struct Inbox {
    struct Post {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    struct Copy {
        WindowHandle sender;
        uintptr_t id;
        std::vector<uint8_t> bytes;
    };

    std::mutex lock;
    std::condition_variable changed;
    std::vector<Post> posts;
    std::vector<Copy> copies;

    DesktopRegistration::PostHandler PostHandler()
    {
        return [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
            std::lock_guard guard(lock);
            posts.push_back({ message, wParam, lParam });
            changed.notify_all();
        };
    }
    // Answers every record with its size plus a tenth of its id.
    DesktopRegistration::CopyDataHandler CopyHandler()
    {
        return [this](WindowHandle sender, const CopyDataRecord& record) {
            std::lock_guard guard(lock);
            copies.push_back({ sender, record.id, { record.bytes, record.bytes + record.size } });
            changed.notify_all();
            return static_cast<intptr_t>(record.size) + static_cast<intptr_t>(record.id / 10);
        };
    }
    bool WaitForPosts(size_t count)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, testsupport::Timeout(std::chrono::milliseconds(5000)),
            [&] { return posts.size() >= count; });
    }
    size_t PostCount()
    {
        std::lock_guard guard(lock);
        return posts.size();
    }
    size_t CopyCount()
    {
        std::lock_guard guard(lock);
        return copies.size();
    }
};

// A desktop-peer process with its standard input and output on pipes.
class Peer {
public:
    explicit Peer(std::vector<std::string> args)
    {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        args.insert(args.begin(), KBZN_DESKTOP_PEER);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
    }
    ~Peer()
    {
        CloseInput();
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_stdout >= 0)
            ::close(m_stdout);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool Started() const { return m_pid > 0; }

    // The next line of output, or "" when none came in time.
    std::string ReadLine()
    {
        const auto deadline = std::chrono::steady_clock::now() + testsupport::Timeout(std::chrono::milliseconds(5000));
        for (;;) {
            const size_t end = m_buffer.find('\n');
            if (end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd { m_stdout, POLLIN, 0 };
            if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                return {};
            char chunk[256];
            const ssize_t n = ::read(m_stdout, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }
    void CloseInput()
    {
        if (m_stdin >= 0)
            ::close(m_stdin);
        m_stdin = -1;
    }
    // The exit code, or -1 when it did not end normally.
    int Wait()
    {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid)
            return -1;
        m_exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Kill()
    {
        ::kill(m_pid, SIGKILL);
        Wait();
    }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    bool m_exited = false;
    std::string m_buffer;
};

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int ConnectRaw(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// Leaves a socket file with nobody listening, as a process that was killed
// does.
void LeaveDeadSocket(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

std::span<const uint8_t> Bytes(const std::string& text)
{
    return { reinterpret_cast<const uint8_t*>(text.data()), text.size() };
}

class DesktopChannelTest : public ::testing::Test {
protected:
    // A short private directory: socket paths must fit a socket address.
    DesktopChannelTest()
        : m_dir(MakeDirectory())
        , m_channel(m_dir.string())
        , m_handles(m_dir.string())
    {
    }
    static fs::path MakeDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "kbzd-XXXXXX").string();
        return ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~DesktopChannelTest() override { fs::remove_all(m_dir); }

    void SetUp() override { ASSERT_TRUE(m_channel.Usable()); }

    std::unique_ptr<DesktopRegistration> Register(const std::string& className, Inbox& inbox)
    {
        return std::make_unique<DesktopRegistration>(
            m_channel, className, m_handles.Allocate(), inbox.PostHandler(), inbox.CopyHandler());
    }

    fs::path m_dir;
    DesktopChannel m_channel;
    HandleSpace m_handles;
};

TEST_F(DesktopChannelTest, FindsWindowsByClassWhileTheyAreRegistered)
{
    Inbox inbox;
    auto lobby = Register("DozeDovaFrame", inbox);
    auto game = Register("KbZnFrame", inbox);
    ASSERT_TRUE(lobby->IsListening());
    ASSERT_TRUE(game->IsListening());
    EXPECT_NE(lobby->Handle(), game->Handle());

    EXPECT_EQ(m_channel.FindWindowByClass("DozeDovaFrame"), lobby->Handle());
    EXPECT_EQ(m_channel.FindWindowByClass("KbZnFrame"), game->Handle());
    EXPECT_EQ(m_channel.FindWindowByClass("DozeDova"), 0u);
    EXPECT_TRUE(m_channel.IsWindow(lobby->Handle()));
    EXPECT_FALSE(m_channel.IsWindow(0));
    EXPECT_FALSE(m_channel.IsWindow(m_handles.Allocate()));

    // The name of a live window is not taken over.
    DesktopRegistration again(m_channel, "DozeDovaFrame", lobby->Handle(), inbox.PostHandler(), nullptr);
    EXPECT_FALSE(again.IsListening());
    EXPECT_EQ(m_channel.FindWindowByClass("DozeDovaFrame"), lobby->Handle());

    const WindowHandle gone = lobby->Handle();
    const std::string path = lobby->SocketPath();
    lobby.reset();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(m_channel.FindWindowByClass("DozeDovaFrame"), 0u);
    EXPECT_FALSE(m_channel.IsWindow(gone));
    EXPECT_FALSE(m_channel.PostToWindow(gone, kTestMessage, 1, 2));
    EXPECT_TRUE(m_channel.IsWindow(game->Handle()));
}

TEST_F(DesktopChannelTest, RefusesClassNamesThatCannotBeSocketNames)
{
    Inbox inbox;
    for (const std::string& name : std::vector<std::string> { "", ".hidden", "a/b", "tab\tname", std::string(65, 'x') }) {
        SCOPED_TRACE(name);
        DesktopRegistration registration(m_channel, name, m_handles.Allocate(), inbox.PostHandler(), nullptr);
        EXPECT_FALSE(registration.IsListening());
        EXPECT_EQ(m_channel.FindWindowByClass(name), 0u);
    }
    DesktopRegistration longest(m_channel, std::string(64, 'x'), m_handles.Allocate(), inbox.PostHandler(), nullptr);
    EXPECT_TRUE(longest.IsListening());
    DesktopRegistration noHandle(m_channel, "Frame", 0, inbox.PostHandler(), nullptr);
    EXPECT_FALSE(noHandle.IsListening());
}

TEST_F(DesktopChannelTest, PostedMessagesArriveInOrderWithTheirFullValues)
{
    Inbox inbox;
    auto window = Register("Frame", inbox);
    ASSERT_TRUE(window->IsListening());
    constexpr int kCount = 300;
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(m_channel.PostToWindow(window->Handle(), kTestMessage + static_cast<uint32_t>(i % 3),
            static_cast<uintptr_t>(0xFEDCBA9876543210ull) + static_cast<uintptr_t>(i), -1000 - i));
    ASSERT_TRUE(inbox.WaitForPosts(kCount));
    std::lock_guard guard(inbox.lock);
    ASSERT_EQ(inbox.posts.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        const auto& post = inbox.posts[static_cast<size_t>(i)];
        ASSERT_EQ(post.message, kTestMessage + static_cast<uint32_t>(i % 3)) << i;
        ASSERT_EQ(post.wParam, static_cast<uintptr_t>(0xFEDCBA9876543210ull) + static_cast<uintptr_t>(i)) << i;
        ASSERT_EQ(post.lParam, -1000 - i) << i;
    }
}

TEST_F(DesktopChannelTest, CopiedDataArrivesWholeAndItsResultComesBack)
{
    Inbox inbox;
    auto window = Register("Frame", inbox);
    ASSERT_TRUE(window->IsListening());
    for (const size_t size : { size_t { 0 }, size_t { 1 }, size_t { 544 }, size_t { 300000 },
             DesktopChannel::kMaxPayload }) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> payload(size);
        for (size_t i = 0; i < size; ++i)
            payload[i] = static_cast<uint8_t>(i * 7 + size);
        intptr_t result = -1;
        ASSERT_TRUE(m_channel.SendCopyData(window->Handle(), 4242, 110, payload, 5000, &result));
        EXPECT_EQ(result, static_cast<intptr_t>(size) + 11);
        std::lock_guard guard(inbox.lock);
        ASSERT_FALSE(inbox.copies.empty());
        EXPECT_EQ(inbox.copies.back().sender, 4242u);
        EXPECT_EQ(inbox.copies.back().id, 110u);
        EXPECT_TRUE(inbox.copies.back().bytes == payload);
    }
}

TEST_F(DesktopChannelTest, NothingReachesAWindowThatCannotTakeIt)
{
    Inbox inbox;
    auto postsOnly = std::make_unique<DesktopRegistration>(
        m_channel, "PostsOnly", m_handles.Allocate(), inbox.PostHandler(), nullptr);
    ASSERT_TRUE(postsOnly->IsListening());
    intptr_t result = 7;
    EXPECT_FALSE(m_channel.SendCopyData(postsOnly->Handle(), 1, 2, Bytes("x"), 2000, &result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(m_channel.SendCopyData(m_handles.Allocate(), 1, 2, Bytes("x"), 2000, &result));
    EXPECT_FALSE(m_channel.PostToWindow(m_handles.Allocate(), kTestMessage, 0, 0));

    auto window = Register("Frame", inbox);
    std::vector<uint8_t> oversize(DesktopChannel::kMaxPayload + 1);
    EXPECT_FALSE(m_channel.SendCopyData(window->Handle(), 1, 2, oversize, 2000, &result));
    EXPECT_EQ(inbox.CopyCount(), 0u);

    DesktopChannel unusable("");
    EXPECT_FALSE(unusable.Usable());
    EXPECT_EQ(unusable.FindWindowByClass("Frame"), 0u);
    EXPECT_FALSE(unusable.PostToWindow(window->Handle(), kTestMessage, 0, 0));
    DesktopRegistration nowhere(unusable, "Frame", m_handles.Allocate(), inbox.PostHandler(), nullptr);
    EXPECT_FALSE(nowhere.IsListening());
}

TEST_F(DesktopChannelTest, MalformedRecordsAreDroppedUnanswered)
{
    Inbox inbox;
    auto window = Register("Frame", inbox);
    ASSERT_TRUE(window->IsListening());
    struct Case {
        const char* what;
        uint32_t magic, kind, target, length;
    };
    const WindowHandle self = window->Handle();
    const Case cases[] = {
        { "wrong magic", DesktopChannel::kMagic ^ 1, DesktopChannel::kKindCopyData, self, 4 },
        { "another window's record", DesktopChannel::kMagic, DesktopChannel::kKindCopyData, self + 1, 4 },
        { "unknown kind", DesktopChannel::kMagic, 3, self, 4 },
        { "a post with a payload", DesktopChannel::kMagic, DesktopChannel::kKindPost, self, 4 },
        { "a payload over the limit", DesktopChannel::kMagic, DesktopChannel::kKindCopyData, self,
            static_cast<uint32_t>(DesktopChannel::kMaxPayload + 1) },
        { "a payload that never comes whole", DesktopChannel::kMagic, DesktopChannel::kKindCopyData, self, 100 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int fd = ConnectRaw(window->SocketPath());
        ASSERT_GE(fd, 0);
        uint8_t record[DesktopChannel::kHeaderSize + 4] {};
        PutLe32(record, c.magic);
        PutLe32(record + 4, c.kind);
        PutLe32(record + 8, c.target);
        PutLe32(record + 16, c.length);
        ASSERT_EQ(::send(fd, record, sizeof record, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof record));
        ::shutdown(fd, SHUT_WR);
        char answer[DesktopChannel::kAnswerSize];
        // Closed without an answer (reset when unread bytes were left).
        EXPECT_LE(::recv(fd, answer, sizeof answer, 0), 0);
        ::close(fd);
    }
    // The listener goes on serving.
    ASSERT_TRUE(m_channel.PostToWindow(self, kTestMessage, 5, 6));
    ASSERT_TRUE(inbox.WaitForPosts(1));
    EXPECT_EQ(inbox.CopyCount(), 0u);
    EXPECT_EQ(inbox.PostCount(), 1u);
}

TEST_F(DesktopChannelTest, ASendGivesUpWhenTheHandlerDoesNotAnswerInTime)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> handlerReturned { false };
    std::atomic<int> calls { 0 };
    DesktopRegistration window(m_channel, "Slow", m_handles.Allocate(), nullptr,
        [&](WindowHandle, const CopyDataRecord& record) {
            if (++calls == 1)
                released.wait();
            handlerReturned = true;
            return static_cast<intptr_t>(record.size);
        });
    ASSERT_TRUE(window.IsListening());

    intptr_t result = 9;
    EXPECT_FALSE(m_channel.SendCopyData(window.Handle(), 1, 2, Bytes("blocked"), 200, &result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(handlerReturned); // it gave up while the handler still ran
    release.set_value();

    ASSERT_TRUE(m_channel.SendCopyData(window.Handle(), 1, 2, Bytes("later"), 5000, &result));
    EXPECT_EQ(result, 5);
    EXPECT_EQ(calls, 2);
}

TEST_F(DesktopChannelTest, SocketsLeftByEndedProcessesAreIgnoredAndRemoved)
{
    const std::string dead = (m_dir / "Frame.77").string();
    LeaveDeadSocket(dead);
    // A file that is not a socket is never taken for a window, nor removed.
    const std::string notSocket = (m_dir / "Frame.78").string();
    { std::ofstream(notSocket) << "x"; }

    EXPECT_EQ(m_channel.FindWindowByClass("Frame"), 0u);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(notSocket));
    EXPECT_FALSE(m_channel.IsWindow(78));

    LeaveDeadSocket(dead);
    EXPECT_FALSE(m_channel.IsWindow(77));
    EXPECT_FALSE(fs::exists(dead));

    // A window registers over the remains of an earlier one with its name.
    LeaveDeadSocket(dead);
    Inbox inbox;
    DesktopRegistration window(m_channel, "Frame", 77, inbox.PostHandler(), nullptr);
    ASSERT_TRUE(window.IsListening());
    EXPECT_EQ(m_channel.FindWindowByClass("Frame"), 77u);
    ASSERT_TRUE(m_channel.PostToWindow(77, kTestMessage, 1, 2));
    EXPECT_TRUE(inbox.WaitForPosts(1));
}

TEST_F(DesktopChannelTest, AnotherProcessFindsPostsAndCopies)
{
    const WindowHandle peerHandle = m_handles.Allocate();
    Peer peer({ m_dir.string(), "listen", "PeerFrame", std::to_string(peerHandle) });
    ASSERT_TRUE(peer.Started());
    ASSERT_EQ(peer.ReadLine(), "ready");

    EXPECT_EQ(m_channel.FindWindowByClass("PeerFrame"), peerHandle);
    intptr_t result = 0;
    ASSERT_TRUE(m_channel.SendCopyData(peerHandle, 31, 5, Bytes("hello there"), 5000, &result));
    EXPECT_EQ(result, 11 * 2 + 5);
    EXPECT_EQ(peer.ReadLine(), "copy 31 5 hello there");
    ASSERT_TRUE(m_channel.PostToWindow(peerHandle, 0x9105, 12, 3));
    EXPECT_EQ(peer.ReadLine(), "post 37125 12 3");

    // And the other way: the peer posts and copies to a window of ours.
    Inbox inbox;
    auto window = Register("OurFrame", inbox);
    Peer poster({ m_dir.string(), "post", std::to_string(window->Handle()), std::to_string(kTestMessage), "8",
        "100", "50" });
    EXPECT_EQ(poster.Wait(), 0);
    ASSERT_TRUE(inbox.WaitForPosts(50));
    {
        std::lock_guard guard(inbox.lock);
        for (size_t i = 0; i < inbox.posts.size(); ++i)
            ASSERT_EQ(inbox.posts[i].lParam, static_cast<intptr_t>(100 + i));
    }
    Peer copier({ m_dir.string(), "copy", std::to_string(window->Handle()), "66", "120", "abc", "5000" });
    EXPECT_EQ(copier.ReadLine(), "result 15");
    EXPECT_EQ(copier.Wait(), 0);

    // A peer killed without clean-up leaves its socket, which the next
    // look-up removes.
    const std::string path = m_channel.FindSocket(peerHandle);
    ASSERT_FALSE(path.empty());
    peer.Kill();
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(m_channel.FindWindowByClass("PeerFrame"), 0u);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(m_channel.SendCopyData(peerHandle, 31, 5, Bytes("x"), 1000, &result));
}

TEST_F(DesktopChannelTest, APeerOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        GTEST_SKIP() << "no user nobody";
    Inbox inbox;
    auto window = Register("Frame", inbox);
    ASSERT_TRUE(window->IsListening());
    // The private directory already keeps other users away; open it up so
    // that the listener's own check is what is tested.
    ASSERT_EQ(::chmod(m_dir.c_str(), 0711), 0);
    ASSERT_EQ(::chmod(window->SocketPath().c_str(), 0777), 0);
    Peer intruder({ "raw-as", std::to_string(nobody->pw_uid), std::to_string(nobody->pw_gid), window->SocketPath(),
        std::to_string(window->Handle()), std::to_string(kTestMessage + 1) });
    const int code = intruder.Wait();
    ::chmod(m_dir.c_str(), 0700);
    ASSERT_EQ(code, 0) << "the intruder's connection was not made or not closed unanswered";

    // Connections are served in order: had the intruder's record been
    // taken, it would come before this one.
    ASSERT_TRUE(m_channel.PostToWindow(window->Handle(), kTestMessage, 0, 0));
    ASSERT_TRUE(inbox.WaitForPosts(1));
    std::lock_guard guard(inbox.lock);
    ASSERT_EQ(inbox.posts.size(), 1u);
    EXPECT_EQ(inbox.posts[0].message, kTestMessage);
}

// Delivery into a real window: posts join its queue, copied records run its
// handler on the loop's thread, and a record the loop does not take in time
// is never handled.
class DesktopWindowTest : public DesktopChannelTest {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }

    void SetUp() override
    {
        DesktopChannelTest::SetUp();
        m_window.SetMessageHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            if (message == kWmCopyData) {
                const auto* record = reinterpret_cast<const CopyDataRecord*>(lParam);
                m_copies.push_back({ static_cast<WindowHandle>(wParam), record->id,
                    { record->bytes, record->bytes + record->size } });
                return static_cast<intptr_t>(record->size) * -3;
            }
            m_posts.push_back({ message, wParam, lParam });
            return 0;
        });
        if (!m_window.Create("desktop", 64, 64))
            GTEST_SKIP() << "no video driver";
        m_registration = std::make_unique<DesktopRegistration>(
            m_channel, "KbZnFrame", m_window.Handle(), [](uint32_t m) { return m == kTestMessage || m == kWmCopyData; });
        ASSERT_TRUE(m_registration->IsListening());
    }
    void TearDown() override
    {
        m_registration.reset();
        m_window.Destroy();
    }

    // Runs the window's loop until done is set (or the time-out).
    void PumpUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + testsupport::Timeout(std::chrono::milliseconds(5000));
        while (!done() && std::chrono::steady_clock::now() < deadline)
            MessageLoop::PumpOnce(10);
    }

    Window m_window;
    std::unique_ptr<DesktopRegistration> m_registration;
    std::vector<Inbox::Post> m_posts;
    std::vector<Inbox::Copy> m_copies;
};

TEST_F(DesktopWindowTest, PostsAndCopiesReachTheWindowsHandler)
{
    // Only the messages the window takes from outside reach it: a posted
    // copy-data message would hand its handler an address from another
    // process, even though the filter lets it through.
    for (uint32_t refused : { kWmCopyData, kWmClose, kTestMessage + 1 })
        ASSERT_TRUE(m_channel.PostToWindow(m_window.Handle(), refused, 1, 0x1234));
    ASSERT_TRUE(m_channel.PostToWindow(m_window.Handle(), kTestMessage, 17, -18));
    PumpUntil([&] { return !m_posts.empty(); });
    ASSERT_EQ(m_posts.size(), 1u);
    EXPECT_TRUE(m_copies.empty());
    EXPECT_TRUE(m_window.IsCreated());
    EXPECT_EQ(m_posts[0].message, kTestMessage);
    EXPECT_EQ(m_posts[0].wParam, 17u);
    EXPECT_EQ(m_posts[0].lParam, -18);

    const std::string payload = "一条大厅记录";
    std::atomic<bool> sent { false };
    bool ok = false;
    intptr_t result = 0;
    std::thread sender([&] {
        ok = m_channel.SendCopyData(m_window.Handle(), 555, 11, Bytes(payload), 5000, &result);
        sent = true;
    });
    PumpUntil([&] { return sent.load(); });
    sender.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(result, static_cast<intptr_t>(payload.size()) * -3);
    ASSERT_EQ(m_copies.size(), 1u);
    EXPECT_EQ(m_copies[0].sender, 555u);
    EXPECT_EQ(m_copies[0].id, 11u);
    EXPECT_EQ(std::string(m_copies[0].bytes.begin(), m_copies[0].bytes.end()), payload);
}

TEST_F(DesktopWindowTest, ARecordTheLoopDoesNotTakeInTimeIsNeverHandled)
{
    intptr_t result = 1;
    // The loop is not running while the sender waits.
    EXPECT_FALSE(m_channel.SendCopyData(m_window.Handle(), 555, 11, Bytes("late"), 200, &result));
    EXPECT_EQ(result, 0);
    // Let the listener give up on the window too, then run the loop: the
    // record must not be handled after its sender has gone.
    ASSERT_TRUE(m_channel.PostToWindow(m_window.Handle(), kTestMessage, 1, 1));
    PumpUntil([&] { return !m_posts.empty(); });
    for (int i = 0; i < 20; ++i)
        MessageLoop::PumpOnce(5);
    EXPECT_TRUE(m_copies.empty());
    ASSERT_EQ(m_posts.size(), 1u);
    EXPECT_EQ(m_posts[0].message, kTestMessage);
}

} // namespace
