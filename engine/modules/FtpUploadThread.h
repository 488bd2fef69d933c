#pragma once
// Uploading one file to an FTP server on a worker thread (a match's replay
// file), with the result posted back to the thread that asked.

#include "platform/FtpUpload.h"

#include <cstdint>
#include <string_view>
#include <thread>

namespace engine {

// One upload. Made by FtpUploadThread and owned by the worker until the
// completion message is posted; then owned by the receiver, which deletes
// it. Without a receiver the worker deletes it.
struct FtpUploadJob {
    uint32_t receiver; // thread id that gets the completion message, 0 none
    uint32_t message;  // message id of the completion message
    uint32_t reserved; // 0
    uint32_t done;     // 1 once the upload has ended
    char server[64];
    char remoteDirectory[260];
    char remoteName[260];
    char localFile[260];
    char user[32];
    char password[32];
};

// Starts the upload of localFile to remoteDirectory followed directly by
// remoteName (no separator is added), logging in with user and password.
// Every text must fit its field of FtpUploadJob with its terminating zero;
// an upload with a longer one is refused and reports failure. When it ends
// the worker posts message to the receiver thread with wParam the job and
// lParam the result (1 uploaded, 0 not). The caller owns the returned thread
// and must join or detach it (a dropped one ends the program, hence
// nodiscard). port is there for tests; the system uses port 21.
[[nodiscard]] std::thread FtpUploadThread(std::string_view localFile, std::string_view server,
    std::string_view remoteDirectory, std::string_view remoteName, std::string_view user, std::string_view password,
    uint32_t receiver, uint32_t message, uint16_t port = platform::kFtpPort);

} // namespace engine
