// desktop-peer: another process on the desktop channel, for the channel's
// tests.
//
//   desktop-peer <dir> listen <class> <handle>
//       registers a window; prints "ready", then one line per record
//       ("post <message> <wParam> <lParam>", "copy <sender> <id> <bytes>"),
//       answers copied data with size * 2 + id, and ends when its standard
//       input closes
//   desktop-peer <dir> post <handle> <message> <wParam> <lParam> <count>
//       posts count messages, lParam counting up; exit 0 when all were taken
//   desktop-peer <dir> copy <handle> <sender> <id> <text> <timeoutMs>
//       prints "result <n>"; exit 0 when the record was handled
//   desktop-peer raw-as <uid> <gid> <socket> <handle> <message>
//       drops to that user, connects to the socket itself, writes a posted
//       message record and reads until the other side closes; exit 0 when
//       the record was written and the connection then closed unanswered,
//       3 when it could not connect

#include "platform/DesktopChannel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <mutex>
#include <string>

#include <grp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using platform::DesktopChannel;

unsigned long long Number(const char* text) { return std::strtoull(text, nullptr, 0); }

int Listen(const DesktopChannel& channel, const char* className, const char* handle)
{
    std::mutex lock;
    auto print = [&lock](const std::string& line) {
        std::lock_guard guard(lock);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    platform::DesktopRegistration registration(
        channel, className, static_cast<platform::WindowHandle>(Number(handle)),
        [&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
            print("post " + std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
        },
        [&](platform::WindowHandle sender, const platform::CopyDataRecord& record) {
            print("copy " + std::to_string(sender) + " " + std::to_string(record.id) + " "
                + std::string(reinterpret_cast<const char*>(record.bytes), record.size));
            return static_cast<intptr_t>(record.size * 2 + record.id);
        });
    if (!registration.IsListening())
        return 1;
    print("ready");
    char buffer[64];
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
    return 0;
}

int Post(const DesktopChannel& channel, char** argv)
{
    const auto handle = static_cast<platform::WindowHandle>(Number(argv[0]));
    const auto message = static_cast<uint32_t>(Number(argv[1]));
    const auto wParam = static_cast<uintptr_t>(Number(argv[2]));
    const auto lParam = static_cast<intptr_t>(Number(argv[3]));
    const auto count = static_cast<int>(Number(argv[4]));
    for (int i = 0; i < count; ++i)
        if (!channel.PostToWindow(handle, message, wParam, lParam + i))
            return 1;
    return 0;
}

int Copy(const DesktopChannel& channel, char** argv)
{
    const std::string text = argv[3];
    intptr_t result = 0;
    const bool ok = channel.SendCopyData(static_cast<platform::WindowHandle>(Number(argv[0])),
        static_cast<platform::WindowHandle>(Number(argv[1])), static_cast<uintptr_t>(Number(argv[2])),
        { reinterpret_cast<const uint8_t*>(text.data()), text.size() }, static_cast<uint32_t>(Number(argv[4])),
        &result);
    std::printf("result %lld\n", static_cast<long long>(result));
    return ok ? 0 : 1;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int RawAs(char** argv)
{
    const auto uid = static_cast<uid_t>(Number(argv[0]));
    const auto gid = static_cast<gid_t>(Number(argv[1]));
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
        return 2;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, argv[2], sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return 3;
    uint8_t header[DesktopChannel::kHeaderSize] {};
    PutLe32(header, DesktopChannel::kMagic);
    PutLe32(header + 4, DesktopChannel::kKindPost);
    PutLe32(header + 8, static_cast<uint32_t>(Number(argv[3])));
    PutLe32(header + 12, static_cast<uint32_t>(Number(argv[4])));
    if (::send(fd, header, sizeof header, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof header)) {
        // The listener may refuse before the record is even written.
        const int error = errno;
        ::close(fd);
        return error == EPIPE || error == ECONNRESET ? 0 : 4;
    }
    char answer[16];
    const ssize_t n = ::recv(fd, answer, sizeof answer, 0);
    ::close(fd);
    return n <= 0 ? 0 : 5;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::strcmp(argv[1], "raw-as") == 0)
        return RawAs(argv + 2);
    if (argc < 3)
        return 2;
    const DesktopChannel channel(argv[1]);
    const std::string mode = argv[2];
    if (mode == "listen" && argc == 5)
        return Listen(channel, argv[3], argv[4]);
    if (mode == "post" && argc == 8)
        return Post(channel, argv + 3);
    if (mode == "copy" && argc == 8)
        return Copy(channel, argv + 3);
    return 2;
}
