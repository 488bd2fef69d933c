#pragma once
// Windows that other processes of the same user can address: the lobby and
// the game find each other's windows by class, check that they still exist,
// post numeric messages to them and copy records to them.
//
// A window that others may address is registered under its class name and
// its handle (HandleSpace numbers windows across the user's processes). The
// registration listens on a Unix-domain socket "<class>.<handle>" in the
// user's private desktop directory (DesktopDirectory(): mode 0700, so only
// the user can reach it) and accepts only peers of the same user
// (SO_PEERCRED). A listener thread takes one connection at a time, in the
// order they arrive, so the posts of one sender arrive in the order they
// were made.
//
// Each connection carries one record, little-endian:
//
//   offset  0  u32 magic 0x445A424B ("KBZD")
//   offset  4  u32 kind: 1 posted message, 2 copied data
//   offset  8  u32 target window handle (the registration's own)
//   offset 12  u32 message (posted) or 0
//   offset 16  u32 payload length (at most kMaxPayload; posted: 0)
//   offset 20  u32 0
//   offset 24  u64 wParam (posted) or the sending window's handle
//   offset 32  u64 lParam (posted) or the record's id (copied data)
//   offset 40  u64 copied data: when the sender stops waiting, in
//              nanoseconds of CLOCK_MONOTONIC (one clock for every process
//              of the machine); posted: 0
//   offset 48  payload
//
// A copied-data record is answered with 16 bytes: u32 magic, u32 1 when the
// window handled the record (else 0), i64 the handler's result. A posted
// message has no answer: like a post to a local window it is queued and
// the sender goes on.

#include "platform/CopyData.h"
#include "platform/Window.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

namespace platform {

class DesktopChannel {
public:
    static constexpr uint32_t kMagic = 0x445A424B;
    static constexpr uint32_t kKindPost = 1;
    static constexpr uint32_t kKindCopyData = 2;
    static constexpr size_t kHeaderSize = 48;
    static constexpr size_t kAnswerSize = 16;
    static constexpr size_t kMaxPayload = 1 << 20;
    // Class names are 1 to 64 bytes without '/', controls or a leading '.'.
    static constexpr size_t kMaxClassName = 64;
    // How long a post may wait for the receiver to take its connection.
    static constexpr uint32_t kPostTimeoutMs = 2000;

    // A channel over `directory`, which must be a private directory of this
    // user (EnsurePrivateDirectory); otherwise nothing can be found, posted
    // or registered on it.
    explicit DesktopChannel(std::string directory);

    // The user's channel over DesktopDirectory().
    static const DesktopChannel& Desktop();

    bool Usable() const { return m_usable; }
    const std::string& Directory() const { return m_directory; }

    static bool IsValidClassName(std::string_view className);

    // The handle of a live window of that class (the lowest when several
    // are), or 0. A socket left behind by a process that ended is removed.
    WindowHandle FindWindowByClass(std::string_view className) const;
    // True while a window with that handle is registered and its process
    // runs (its socket takes connections).
    bool IsWindow(WindowHandle window) const;
    // Queues (message, wParam, lParam) for the window; false when there is
    // no such window or it did not take the record within kPostTimeoutMs.
    bool PostToWindow(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) const;
    // Hands the window a copy of `bytes` under `id`, as kWmCopyData with
    // wParam = sender, and waits at most timeoutMs for its handler. True
    // with the handler's result when it handled the record; false when there
    // is no such window, the payload is larger than kMaxPayload, the window
    // refused it or the time ran out (the record is then never handled).
    bool SendCopyData(WindowHandle window, WindowHandle sender, uintptr_t id, std::span<const uint8_t> bytes,
        uint32_t timeoutMs, intptr_t* result) const;

    // The socket path of a registration, and the path of the live window
    // with this handle ("" when none is registered).
    std::string SocketPath(std::string_view className, WindowHandle window) const;
    std::string FindSocket(WindowHandle window) const;

private:
    std::string m_directory;
    bool m_usable = false;
};

// A window's place on the channel, for as long as the object lives: its
// socket exists and its listener thread delivers what arrives. Destroying
// it removes the socket and stops the thread. A handler must not destroy
// the registration that called it, and a window delivered to by its
// registration must not destroy the registration from inside its own
// kWmCopyData handler (post kWmClose instead).
class DesktopRegistration {
public:
    using PostHandler = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;
    using CopyDataHandler = std::function<intptr_t(WindowHandle sender, const CopyDataRecord& record)>;
    using PostFilter = std::function<bool(uint32_t message)>;

    // For a window of this process (Window.h): a copied record is sent to
    // it as kWmCopyData (wParam = sender, lParam = the CopyDataRecord) with
    // SendMessageTimeout, and a record the window's loop has not taken when
    // the sender stops waiting is withdrawn unhandled. Posts go to its
    // queue with PostMessage, but only the messages acceptPost agrees to
    // (none without it; never kWmCopyData): another process sends numbers
    // only, and a message of the window's own whose parameters carry
    // addresses must never come from outside.
    DesktopRegistration(const DesktopChannel& channel, std::string_view className, WindowHandle window,
        PostFilter acceptPost = nullptr);
    // For a window without a platform window (a handle taken from
    // HandleSpace): the handlers run on the listener thread. A copy-data
    // handler that is absent answers "not handled".
    DesktopRegistration(const DesktopChannel& channel, std::string_view className, WindowHandle window,
        PostHandler onPost, CopyDataHandler onCopyData);
    ~DesktopRegistration();
    DesktopRegistration(const DesktopRegistration&) = delete;
    DesktopRegistration& operator=(const DesktopRegistration&) = delete;

    // False when the registration failed: unusable channel, invalid class
    // name, handle 0, or a live window already registered with that name.
    bool IsListening() const { return m_listenFd >= 0; }
    WindowHandle Handle() const { return m_window; }
    const std::string& SocketPath() const { return m_path; }

private:
    void Listen(const DesktopChannel& channel, std::string_view className);
    void Run();
    void Serve(int fd);
    void Deliver(const uint8_t* header, std::span<const uint8_t> payload, int fd);
    bool DeliverCopyData(WindowHandle sender, const CopyDataRecord& record, uint64_t deadlineNs, intptr_t& result);

    WindowHandle m_window = 0;
    bool m_toWindow = false;
    PostFilter m_acceptPost;
    PostHandler m_onPost;
    CopyDataHandler m_onCopyData;
    std::string m_path;
    uint64_t m_inode = 0;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

} // namespace platform
