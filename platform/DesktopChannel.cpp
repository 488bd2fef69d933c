#include "platform/DesktopChannel.h"

#include "platform/HandleSpace.h"
#include "platform/Bytes.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// A peer gets this long to deliver its whole record once connected, so a
// stalled sender cannot hold the listener for ever.
constexpr int kReadLimitMs = 2000;
// The answer to a copied record is small; a sender that stopped reading
// gets no more than this.
constexpr int kAnswerLimitMs = 1000;
// A window that never takes a copied record keeps the listener at most
// this long, whatever the sender asked for.
constexpr uint32_t kMaxCopyDataWaitMs = 60000;
// While it waits for the window's loop, the listener looks up this often
// whether it should stop or the window went.
constexpr uint32_t kCopyDataSliceMs = 50;
constexpr uint32_t kCopyDataGuardMs = 50;
constexpr int kListenBacklog = 64;

// Closes a descriptor when the scope ends.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) { }
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }
    void Reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

uint64_t MonotonicNs()
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits until fd is ready for `events`; false at the deadline, on an error
// of the descriptor, or when stopFd (if any) becomes readable.
bool WaitReady(int fd, short events, Clock::time_point deadline, int stopFd)
{
    for (;;) {
        pollfd fds[2] = { { fd, events, 0 }, { stopFd, POLLIN, 0 } };
        const int n = ::poll(fds, stopFd >= 0 ? 2 : 1, RemainingMs(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        if (stopFd >= 0 && fds[1].revents != 0)
            return false;
        // A hang-up still lets the bytes already sent be read.
        return (fds[0].revents & (events | POLLHUP)) != 0;
    }
}

bool ReadAll(int fd, uint8_t* out, size_t size, Clock::time_point deadline, int stopFd = -1)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::recv(fd, out + done, size - done, 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == 0)
            return false; // the peer closed before the record was whole
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitReady(fd, POLLIN, deadline, stopFd))
            return false;
    }
    return true;
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size, Clock::time_point deadline)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::send(fd, bytes + done, size - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || !WaitReady(fd, POLLOUT, deadline, -1))
            return false;
    }
    return true;
}

bool SameUserPeer(int fd)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer
        && peer.uid == ::geteuid();
}

bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

enum class Reach {
    kConnected,  // fd holds a connection to a listener of this user
    kBusy,       // a listener exists but its queue of connections is full
    kNoListener, // a socket file nobody listens on any more
    kFailed,     // no such file, not a socket, another user's, ...
};

Reach Connect(const std::string& path, UniqueFd& fd)
{
    sockaddr_un address;
    if (!SocketAddress(path, address))
        return Reach::kFailed;
    fd.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0)
        return Reach::kFailed;
    int rc;
    do {
        rc = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return SameUserPeer(fd.Get()) ? Reach::kConnected : Reach::kFailed;
    const int error = errno;
    fd.Reset();
    if (error == EAGAIN || error == EWOULDBLOCK)
        return Reach::kBusy;
    return error == ECONNREFUSED ? Reach::kNoListener : Reach::kFailed;
}

// Connects, waiting while the listener's queue is full; false at the
// deadline or when there is nobody to connect to.
bool ConnectBefore(const std::string& path, UniqueFd& fd, Clock::time_point deadline)
{
    for (;;) {
        const Reach reach = Connect(path, fd);
        if (reach == Reach::kConnected)
            return true;
        if (reach != Reach::kBusy || Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::optional<uint64_t> SocketInode(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(st.st_ino);
}

// Whether a window listens at path. A socket left by a process that ended
// is removed on the way (only the one that was probed, not a socket that a
// new registration has put in its place since).
bool ProbeLive(const std::string& path)
{
    const auto inode = SocketInode(path);
    if (!inode)
        return false;
    UniqueFd fd;
    const Reach reach = Connect(path, fd);
    if (reach == Reach::kNoListener && SocketInode(path) == inode)
        ::unlink(path.c_str());
    return reach == Reach::kConnected || reach == Reach::kBusy;
}

// Handle part of a socket name: decimal without leading zeros, 1 to 2^32-1.
std::optional<WindowHandle> ParseHandle(std::string_view digits)
{
    if (digits.empty() || digits.size() > 10 || digits[0] == '0')
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX)
        return std::nullopt;
    return static_cast<WindowHandle>(value);
}

struct SocketEntry {
    std::string name;
    std::string className;
    WindowHandle handle = 0;
};

std::vector<SocketEntry> ListSockets(const std::string& directory)
{
    std::vector<SocketEntry> entries;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return entries;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name(entry->d_name);
        const size_t dot = name.rfind('.');
        if (dot == std::string_view::npos)
            continue;
        const auto handle = ParseHandle(name.substr(dot + 1));
        const std::string_view className = name.substr(0, dot);
        if (handle && DesktopChannel::IsValidClassName(className))
            entries.push_back({ std::string(name), std::string(className), *handle });
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
        [](const SocketEntry& a, const SocketEntry& b) { return a.handle < b.handle; });
    return entries;
}

void PutHeader(uint8_t* header, uint32_t kind, WindowHandle target, uint32_t message, uint32_t length,
    uint64_t first, uint64_t second, uint64_t deadlineNs)
{
    StoreLe32(header + 0, DesktopChannel::kMagic);
    StoreLe32(header + 4, kind);
    StoreLe32(header + 8, target);
    StoreLe32(header + 12, message);
    StoreLe32(header + 16, length);
    StoreLe32(header + 20, 0);
    StoreLe64(header + 24, first);
    StoreLe64(header + 32, second);
    StoreLe64(header + 40, deadlineNs);
}

} // namespace

// ---- the channel: finding windows and sending to them -----------------

DesktopChannel::DesktopChannel(std::string directory)
    : m_directory(std::move(directory))
    , m_usable(EnsurePrivateDirectory(m_directory))
{
}

const DesktopChannel& DesktopChannel::Desktop()
{
    static const DesktopChannel channel(DesktopDirectory().value_or(std::string()));
    return channel;
}

bool DesktopChannel::IsValidClassName(std::string_view className)
{
    if (className.empty() || className.size() > kMaxClassName || className[0] == '.')
        return false;
    return std::none_of(className.begin(), className.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || byte < 0x20 || byte == 0x7F;
    });
}

std::string DesktopChannel::SocketPath(std::string_view className, WindowHandle window) const
{
    return m_directory + "/" + std::string(className) + "." + std::to_string(window);
}

std::string DesktopChannel::FindSocket(WindowHandle window) const
{
    if (!m_usable || window == 0)
        return {};
    for (const SocketEntry& entry : ListSockets(m_directory))
        if (entry.handle == window)
            return m_directory + "/" + entry.name;
    return {};
}

WindowHandle DesktopChannel::FindWindowByClass(std::string_view className) const
{
    if (!m_usable || !IsValidClassName(className))
        return 0;
    for (const SocketEntry& entry : ListSockets(m_directory))
        if (entry.className == className && ProbeLive(m_directory + "/" + entry.name))
            return entry.handle;
    return 0;
}

bool DesktopChannel::IsWindow(WindowHandle window) const
{
    const std::string path = FindSocket(window);
    return !path.empty() && ProbeLive(path);
}

bool DesktopChannel::PostToWindow(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) const
{
    const std::string path = FindSocket(window);
    if (path.empty())
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kPostTimeoutMs);
    UniqueFd fd;
    if (!ConnectBefore(path, fd, deadline))
        return false;
    uint8_t header[kHeaderSize];
    PutHeader(header, kKindPost, window, message, 0, static_cast<uint64_t>(wParam),
        static_cast<uint64_t>(static_cast<int64_t>(lParam)), 0);
    return WriteAll(fd.Get(), header, sizeof header, deadline);
}

bool DesktopChannel::SendCopyData(WindowHandle window, WindowHandle sender, uintptr_t id,
    std::span<const uint8_t> bytes, uint32_t timeoutMs, intptr_t* result) const
{
    if (result)
        *result = 0;
    if (bytes.size() > kMaxPayload)
        return false;
    const std::string path = FindSocket(window);
    if (path.empty())
        return false;
    const uint64_t deadlineNs = MonotonicNs() + uint64_t { timeoutMs } * 1000000u;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    UniqueFd fd;
    if (!ConnectBefore(path, fd, deadline))
        return false;
    std::vector<uint8_t> record(kHeaderSize + bytes.size());
    PutHeader(record.data(), kKindCopyData, window, 0, static_cast<uint32_t>(bytes.size()), sender,
        static_cast<uint64_t>(id), deadlineNs);
    std::copy(bytes.begin(), bytes.end(), record.begin() + kHeaderSize);
    uint8_t answer[kAnswerSize];
    if (!WriteAll(fd.Get(), record.data(), record.size(), deadline)
        || !ReadAll(fd.Get(), answer, sizeof answer, deadline))
        return false;
    if (LoadLe32(answer) != kMagic || LoadLe32(answer + 4) != 1)
        return false;
    if (result)
        *result = static_cast<intptr_t>(static_cast<int64_t>(LoadLe64(answer + 8)));
    return true;
}

// ---- the registration: listening for one window ------------------------

DesktopRegistration::DesktopRegistration(const DesktopChannel& channel, std::string_view className,
    WindowHandle window, PostFilter acceptPost)
    : m_window(window)
    , m_toWindow(true)
    , m_acceptPost(std::move(acceptPost))
{
    Listen(channel, className);
}

DesktopRegistration::DesktopRegistration(const DesktopChannel& channel, std::string_view className,
    WindowHandle window, PostHandler onPost, CopyDataHandler onCopyData)
    : m_window(window)
    , m_onPost(std::move(onPost))
    , m_onCopyData(std::move(onCopyData))
{
    Listen(channel, className);
}

DesktopRegistration::~DesktopRegistration()
{
    if (m_thread.joinable()) {
        m_stop = true;
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    // Remove the socket before closing it, so nobody sees it refuse, and
    // only when the file is still ours.
    if (m_listenFd >= 0 && SocketInode(m_path) == m_inode)
        ::unlink(m_path.c_str());
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    if (m_stopFd >= 0)
        ::close(m_stopFd);
}

void DesktopRegistration::Listen(const DesktopChannel& channel, std::string_view className)
{
    if (!channel.Usable() || !DesktopChannel::IsValidClassName(className) || m_window == 0)
        return;
    m_path = channel.SocketPath(className, m_window);
    if (ProbeLive(m_path))
        return; // the name is taken by a live window
    // The socket is bound under a name no finder looks at and renamed into
    // place once it listens: a finder never sees a socket that refuses
    // because it is not listening yet, and never removes it as left over.
    const std::string staging
        = channel.Directory() + "/." + std::to_string(m_window) + "-" + std::to_string(::getpid()) + ".new";
    sockaddr_un address;
    sockaddr_un finalAddress;
    if (!SocketAddress(staging, address) || !SocketAddress(m_path, finalAddress))
        return;
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0)
        return;
    ::unlink(staging.c_str());
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return;
    if (::listen(fd.Get(), kListenBacklog) != 0 || ::rename(staging.c_str(), m_path.c_str()) != 0) {
        ::unlink(staging.c_str());
        return;
    }
    const auto inode = SocketInode(m_path);
    UniqueFd stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!inode || stop.Get() < 0) {
        ::unlink(m_path.c_str());
        return;
    }
    m_inode = *inode;
    m_listenFd = fd.Release();
    m_stopFd = stop.Release();
    m_thread = std::thread([this] { Run(); });
}

void DesktopRegistration::Run()
{
    while (!m_stop) {
        pollfd fds[2] = { { m_listenFd, POLLIN, 0 }, { m_stopFd, POLLIN, 0 } };
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || fds[1].revents != 0)
            break;
        UniqueFd connection(::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (connection.Get() >= 0) {
            Serve(connection.Get());
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors: give the process a moment instead of
            // spinning on a connection that stays queued.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

void DesktopRegistration::Serve(int fd)
{
    if (!SameUserPeer(fd))
        return; // another user's process: not a word is read
    const auto deadline = Clock::now() + std::chrono::milliseconds(kReadLimitMs);
    uint8_t header[DesktopChannel::kHeaderSize];
    // A liveness probe connects and closes without sending anything.
    if (!ReadAll(fd, header, sizeof header, deadline, m_stopFd))
        return;
    const uint32_t kind = LoadLe32(header + 4);
    const uint32_t length = LoadLe32(header + 16);
    if (LoadLe32(header) != DesktopChannel::kMagic || LoadLe32(header + 8) != m_window
        || length > DesktopChannel::kMaxPayload)
        return;
    if (kind != DesktopChannel::kKindCopyData && (kind != DesktopChannel::kKindPost || length != 0))
        return;
    std::vector<uint8_t> payload(length);
    if (!ReadAll(fd, payload.data(), payload.size(), deadline, m_stopFd))
        return;
    Deliver(header, payload, fd);
}

void DesktopRegistration::Deliver(const uint8_t* header, std::span<const uint8_t> payload, int fd)
{
    const uint64_t first = LoadLe64(header + 24);
    const uint64_t second = LoadLe64(header + 32);
    if (LoadLe32(header + 4) == DesktopChannel::kKindPost) {
        const uint32_t message = LoadLe32(header + 12);
        const auto wParam = static_cast<uintptr_t>(first);
        const auto lParam = static_cast<intptr_t>(static_cast<int64_t>(second));
        if (m_toWindow) {
            if (message != kWmCopyData && m_acceptPost && m_acceptPost(message))
                platform::PostMessage(m_window, message, wParam, lParam);
        } else if (m_onPost) {
            m_onPost(message, wParam, lParam);
        }
        return;
    }
    const CopyDataRecord record { static_cast<uintptr_t>(second), payload.data(), payload.size() };
    intptr_t result = 0;
    const bool handled = DeliverCopyData(static_cast<WindowHandle>(first), record, LoadLe64(header + 40), result);
    uint8_t answer[DesktopChannel::kAnswerSize];
    StoreLe32(answer, DesktopChannel::kMagic);
    StoreLe32(answer + 4, handled ? 1 : 0);
    StoreLe64(answer + 8, static_cast<uint64_t>(static_cast<int64_t>(result)));
    WriteAll(fd, answer, sizeof answer, Clock::now() + std::chrono::milliseconds(kAnswerLimitMs));
}

bool DesktopRegistration::DeliverCopyData(WindowHandle sender, const CopyDataRecord& record, uint64_t deadlineNs,
    intptr_t& result)
{
    if (!m_toWindow) {
        if (!m_onCopyData)
            return false;
        result = m_onCopyData(sender, record);
        return true;
    }
    // Offered to the window's loop a slice at a time: a record not taken
    // within a slice is withdrawn and offered again, so the listener notices
    // between slices that it should stop or that the window went.
    // The offer ends a little before the sender stops waiting (a tenth of
    // the wait, at most kCopyDataGuardMs), so that nothing is handled once
    // the sender has gone and a record taken late can still be answered.
    const uint64_t now = MonotonicNs();
    uint64_t waitNs = std::min<uint64_t>(deadlineNs > now ? deadlineNs - now : 0,
        uint64_t { kMaxCopyDataWaitMs } * 1000000u);
    waitNs -= std::min<uint64_t>(waitNs / 10, uint64_t { kCopyDataGuardMs } * 1000000u);
    const auto deadline = Clock::now() + std::chrono::nanoseconds(waitNs);
    while (!m_stop) {
        // Whole milliseconds left, rounded down: a slice never ends after
        // the deadline.
        const auto left = std::chrono::floor<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        const auto slice = static_cast<uint32_t>(std::min<long long>(left, kCopyDataSliceMs));
        if (SendMessageTimeout(m_window, kWmCopyData, sender, reinterpret_cast<intptr_t>(&record), slice, &result))
            return true;
        if (!platform::IsWindow(m_window))
            return false;
    }
    return false;
}

} // namespace platform
