#pragma once
// printf-style formatting of the chat lines, notices and result texts
// into a string of any length.

#include <string>

namespace frame {

[[gnu::format(printf, 1, 2)]] std::string FormatLine(const char* format, ...);

} // namespace frame
