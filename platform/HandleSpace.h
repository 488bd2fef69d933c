#pragma once
// Window handles that mean the same window in every process of the user.
//
// Another program (the lobby) names our windows by number in its command
// line and in the records it sends, and we name its windows the same way, so
// two processes must never hand out the same number. Handles come from one
// counter kept in a file of the user's private runtime directory, taken under
// an exclusive lock, a block at a time so that making a window seldom
// touches the file. Handles are never 0 and are not reused until the 32-bit
// counter wraps.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace platform {

// The directory where this user's windows meet other processes:
// $XDG_RUNTIME_DIR/kbzn, or /tmp/kbzn-<uid> without a runtime directory.
// Created with mode 0700; nullopt when it cannot be created or is not a
// private directory of this user (a symbolic link, another owner, open to
// the group or others), since whoever can write there could pose as our
// windows.
std::optional<std::string> DesktopDirectory();

// Creates `path` as a private directory of this user, or accepts it when it
// already is one; false otherwise.
bool EnsurePrivateDirectory(const std::string& path);

class HandleSpace {
public:
    static constexpr uint32_t kBlock = 64;

    // Handles shared through the counter file "handles" in directory; an
    // empty directory gives a space of this process alone.
    explicit HandleSpace(std::string directory);

    // The next handle; any thread. When the counter file cannot be used the
    // space falls back to a sequence of its own that starts at a number
    // derived from the process id, so clashes stay unlikely (the file is
    // tried again at every handle).
    uint32_t Allocate();

    // The process's space, over DesktopDirectory().
    static HandleSpace& Desktop();

private:
    bool TakeBlock();

    std::string m_counterPath;
    std::mutex m_lock;
    uint32_t m_next = 0;
    uint32_t m_end = 0; // one past the block in hand; m_next == m_end: none
    uint32_t m_local;   // the fallback sequence
};

} // namespace platform
