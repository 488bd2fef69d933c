#pragma once
// printf-style formatting of the chat lines, notices and result texts
// into a string of any length.

#include <cstdint>
#include <string>

namespace frame {

[[gnu::format(printf, 1, 2)]] std::string FormatLine(const char* format, ...);

// A number from the server or the lobby shown one higher (table numbers
// and rounds count from 0 there and from 1 on screen), worked out wide so
// that every 32-bit value has its successor; shown with %lld.
constexpr long long OneUp(int32_t n)
{
    return static_cast<long long>(n) + 1;
}

} // namespace frame
