#include "platform/Resolver.h"

#include <netdb.h>
#include <sys/socket.h>

#include <mutex>

namespace platform {

namespace {

std::mutex g_lock;
HostResolver g_resolver;

bool SystemLookup(const std::string& name, in_addr& address)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace

bool ResolveHostName(const std::string& name, in_addr& address)
{
    HostResolver resolver;
    {
        std::lock_guard guard(g_lock);
        resolver = g_resolver;
    }
    return resolver ? resolver(name, address) : SystemLookup(name, address);
}

void SetHostResolver(HostResolver resolver)
{
    std::lock_guard guard(g_lock);
    g_resolver = std::move(resolver);
}

} // namespace platform
