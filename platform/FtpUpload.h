#pragma once
// Upload of one file to an FTP server.

#include <cstdint>
#include <string>

namespace platform {

constexpr uint16_t kFtpPort = 21;

// Logs in with user and password, and stores the local file under
// remotePath exactly as given (a path relative to the login directory, or
// absolute when it starts with '/'), as a binary transfer in active mode.
// Texts are bytes as the program holds them. Blocks until done; true when
// the server took the whole file. False for a host that is not a plain
// name or address, a local file that cannot be read, a refused login, an
// unreachable server or a failed transfer.
bool FtpUpload(const std::string& host, uint16_t port, const std::string& user, const std::string& password,
    const std::string& localFile, const std::string& remotePath);

} // namespace platform
