// Allow-list files of any content and any address against them: decoding
// reads whole blocks only, every entry stays within its block, and the host
// rules never allow a non-script address by an empty list.

#include "frame/ui/NavigationFilter.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <strings.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte says how long the address is; the rest is the file.
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t urlLength = std::min<size_t>(data[0], input.size());
    const std::string url(input.substr(0, urlLength));
    const std::string_view file = input.substr(urlLength);

    const std::vector<std::string> list = frame::DecodeAllowList(file);
    if (list.size() != file.size() / frame::kAllowListBlock)
        std::abort();
    for (const std::string& entry : list)
        if (entry.size() >= frame::kAllowListBlock || entry.find('\0') != std::string::npos)
            std::abort();

    const bool allowed = frame::AllowListPermits(url, [&] { return list; });
    const auto startsScript = [](std::string_view text) {
        return text.size() >= 11 && strncasecmp(text.data(), "javascript:", 11) == 0;
    };
    const bool script = startsScript(url)
        || (url.size() >= 7 && strncasecmp(url.c_str(), "http://", 7) == 0 && startsScript(std::string_view(url).substr(7)));
    // An empty list allows scripts and nothing else.
    if (!script && frame::AllowListPermits(url, [] { return std::vector<std::string>(); }))
        std::abort();
    // What the list allows, a list with more entries allows too.
    std::vector<std::string> more = list;
    more.push_back("extra.example");
    if (allowed && !frame::AllowListPermits(url, [&] { return more; }))
        std::abort();
    // Our own writer round-trips every entry it is given (cut to 63 bytes).
    if (frame::DecodeAllowList(frame::EncodeAllowList(list)) != list)
        std::abort();
    return 0;
}
