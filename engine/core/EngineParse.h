#pragma once
// Parsing helpers for the values of markup tags and settings.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// One value of a markup tag.
struct TagValue {
    static constexpr uint8_t kPlainText = 5;

    std::string text;
    uint8_t kind = kPlainText;
    uint8_t extra = 0;
};

// Decimal value of the leading digits by the atoi rules (leading white space,
// an optional sign); values beyond the int range give INT_MAX or INT_MIN.
int ParseInt(std::string_view text);

// The text strictly between the first and the last double quote when it holds
// at least two, else the text itself.
std::string StripQuotes(std::string_view text);

// Appends the comma-separated parts to the list ("a,,b," gives "a", "" and
// "b": nothing follows a trailing comma) and returns the list's size. An
// empty text appends nothing.
size_t SplitCommaList(std::string_view text, std::vector<std::string>& list);

int CStringToInt(const std::string& text);

// "TRUE" is 1, "FALSE" is 0 (exact case), anything else ParseInt.
int ParseBoolOrInt(std::string_view text);

// SplitCommaList with each part as a plain-text TagValue.
size_t SplitCommaValues(std::string_view text, std::vector<TagValue>& list);

} // namespace engine
