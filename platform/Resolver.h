#pragma once
// Host-name lookup (IPv4). Tests replace the lookup so that no test ever
// depends on a name server.

#include <netinet/in.h>

#include <functional>
#include <string>

namespace platform {

// The first IPv4 address of a host name; false when it has none.
bool ResolveHostName(const std::string& name, in_addr& address);

using HostResolver = std::function<bool(const std::string& name, in_addr& address)>;
// Replaces the lookup process-wide (an empty function restores the system's).
void SetHostResolver(HostResolver resolver);

} // namespace platform
