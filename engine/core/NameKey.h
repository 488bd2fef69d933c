#pragma once
// The key of every resource, cached picture and sound: three 32-bit hashes of
// its name (GBK bytes). Resource packs store these keys, so the hashes must
// stay bit-exact.

#include <cstdint>
#include <string_view>

namespace engine {

struct NameKey {
    uint32_t rs = 0;  // HashRs
    uint32_t js = 0;  // HashJs
    uint32_t x31 = 0; // HashX31

    friend bool operator==(const NameKey&, const NameKey&) = default;
};

// Each hashes the bytes up to the end of the view or the first zero byte.
uint32_t HashRs(std::string_view text);
uint32_t HashJs(std::string_view text);
uint32_t HashX31(std::string_view text);

NameKey MakeNameKey(std::string_view name);

// HashRs alone, for extensions and categories.
uint32_t NameHash(std::string_view text);

// Orders by the first word, then the second, then the third (unsigned).
bool NameKeyLess(const NameKey& a, const NameKey& b);

struct NameKeyOrder {
    bool operator()(const NameKey& a, const NameKey& b) const { return NameKeyLess(a, b); }
};

} // namespace engine
