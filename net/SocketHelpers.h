#pragma once
// Address resolution and socket liveness.

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace net {

// An IPv4 address for host and port. "" gives the any-address, a dotted
// address is used as it is, anything else is looked up (first address).
// An unresolvable name sets errno to EINVAL and returns 0.
int ResolveAddress(const std::string& host, uint16_t port, sockaddr_in& address);

// -1 for an invalid socket (-1 or 0) or one that is not connected. The
// system keeps no connect time for a socket, so a connected one gives 1.
int GetConnectTime(int socket);

bool IsSocketConnected(int socket);

} // namespace net
