#include "net/SocketHelpers.h"

#include "platform/Resolver.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace net {

int ResolveAddress(const std::string& host, uint16_t port, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (host.empty()) {
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        return 1;
    }
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
        return 1;
    if (!platform::ResolveHostName(host, address.sin_addr)) {
        errno = EINVAL;
        return 0;
    }
    return 1;
}

int GetConnectTime(int socket)
{
    if (socket == -1 || socket == 0)
        return -1;
    tcp_info info {};
    socklen_t length = sizeof info;
    if (getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return -1;
    // A socket whose peer has closed its side can still send; it counts as
    // connected until this side closes, as the notices decide what happens.
    bool connected = info.tcpi_state == TCP_ESTABLISHED || info.tcpi_state == TCP_CLOSE_WAIT;
    return connected ? 1 : -1;
}

bool IsSocketConnected(int socket)
{
    return GetConnectTime(socket) != -1;
}

} // namespace net
