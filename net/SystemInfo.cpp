#include "net/SystemInfo.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace net {

int FillRandomBytes(void* buffer, size_t n)
{
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < n) {
        ssize_t got = getrandom(out + done, n - done, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        done += static_cast<size_t>(got);
    }
    return 1;
}

void BytesToHex(const uint8_t* bytes, int count, std::string& text)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
}

int MakeRandomId(char* buffer, size_t capacity)
{
    constexpr size_t kIdLength = 30;
    if (!buffer || capacity < kIdLength + 1 || buffer[0] != '\0')
        return 0;
    uint8_t random[32];
    if (!FillRandomBytes(random, sizeof random))
        return 0;
    std::string hex;
    BytesToHex(random, sizeof random, hex);
    std::memcpy(buffer, hex.data(), kIdLength);
    buffer[kIdLength] = '\0';
    return 1;
}

int GetMacAddresses(uint8_t* buffer, size_t capacity)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return -1;
    int count = 0;
    size_t used = 0;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET)
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
        if (link->sll_hatype != ARPHRD_ETHER || link->sll_halen == 0)
            continue;
        if (used + link->sll_halen > capacity)
            break;
        std::memcpy(buffer + used, link->sll_addr, link->sll_halen);
        used += link->sll_halen;
        ++count;
    }
    freeifaddrs(list);
    return count;
}

int GetOsVersionFlags(uint32_t& flags)
{
    flags = 0;
    return 1;
}

} // namespace net
