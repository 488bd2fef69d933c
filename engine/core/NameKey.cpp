#include "engine/core/NameKey.h"

namespace engine {

namespace {

std::string_view UpToZero(std::string_view text)
{
    size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

// Bytes of GBK characters (128-255) count as -128..-1 in the first two hashes.
uint32_t SignedByte(char c)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
}

} // namespace

uint32_t HashRs(std::string_view text)
{
    uint32_t a = 0;
    uint32_t b = 63689;
    for (char c : UpToZero(text)) {
        a = a * b + SignedByte(c);
        b = b * 378551u;
    }
    return a & 0x7fffffffu;
}

uint32_t HashJs(std::string_view text)
{
    uint32_t h = 1315423911u;
    for (char c : UpToZero(text))
        h ^= (h << 5) + SignedByte(c) + (h >> 2);
    return h & 0x7fffffffu;
}

uint32_t HashX31(std::string_view text)
{
    uint32_t h = 0;
    for (char c : UpToZero(text))
        h = h * 31u + static_cast<uint8_t>(c);
    return h;
}

NameKey MakeNameKey(std::string_view name)
{
    return NameKey { HashRs(name), HashJs(name), HashX31(name) };
}

uint32_t NameHash(std::string_view text)
{
    return HashRs(text);
}

bool NameKeyLess(const NameKey& a, const NameKey& b)
{
    if (a.rs != b.rs)
        return a.rs < b.rs;
    if (a.js != b.js)
        return a.js < b.js;
    return a.x31 < b.x31;
}

} // namespace engine
