#include "engine/core/EngineParse.h"

#include <climits>

namespace engine {

int ParseInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1)
            value = static_cast<int64_t>(INT_MAX) + 1; // saturated; the range test below decides
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string StripQuotes(std::string_view text)
{
    size_t first = text.find('"');
    size_t last = text.rfind('"');
    if (first == std::string_view::npos || first == last)
        return std::string(text);
    return std::string(text.substr(first + 1, last - first - 1));
}

namespace {

template <typename Add>
void ForEachCommaPart(std::string_view text, Add add)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            add(text.substr(start));
            return;
        }
        add(text.substr(start, comma - start));
        start = comma + 1;
    }
}

} // namespace

size_t SplitCommaList(std::string_view text, std::vector<std::string>& list)
{
    if (text.empty())
        return 0;
    ForEachCommaPart(text, [&](std::string_view part) { list.emplace_back(part); });
    return list.size();
}

int CStringToInt(const std::string& text)
{
    return ParseInt(text);
}

int ParseBoolOrInt(std::string_view text)
{
    if (text == "TRUE")
        return 1;
    if (text == "FALSE")
        return 0;
    return ParseInt(text);
}

size_t SplitCommaValues(std::string_view text, std::vector<TagValue>& list)
{
    if (text.empty())
        return 0;
    ForEachCommaPart(text, [&](std::string_view part) { list.push_back(TagValue { std::string(part) }); });
    return list.size();
}

} // namespace engine
