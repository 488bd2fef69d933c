// Text from outside (server messages, chat, pasted or typed text) crossing
// the GBK edge in both directions: no input may crash a conversion, GBK
// output must always be well formed, and defined characters must survive
// the trip through UTF-8.
#include "platform/Gbk.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Every lead byte has a trail byte after it.
bool WellFormedGbk(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (!platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])))
            continue;
        if (i + 1 >= text.size() || !platform::Gbk::IsTrailByte(static_cast<uint8_t>(text[i + 1])))
            return false;
        ++i;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The bytes as GBK: to Unicode and back.
    std::u32string wide = platform::Gbk::ToUtf32(bytes);
    std::string utf8 = platform::Gbk::ToUtf8(bytes);
    std::string back = platform::Gbk::FromUtf8(utf8);
    if (!WellFormedGbk(back) || wide.size() > size)
        std::abort();
    // Text that was well-formed GBK of defined characters comes back as it was.
    if (WellFormedGbk(bytes) && wide.find(platform::Gbk::kReplacement) == std::u32string::npos && back != bytes)
        std::abort();

    // The bytes as UTF-8 (typed or pasted text).
    std::string gbk = platform::Gbk::FromUtf8(bytes);
    if (!WellFormedGbk(gbk))
        std::abort();
    return 0;
}
