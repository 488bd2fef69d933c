// Arbitrary markup, as other players can send it, through a rich-text view
// that is not attached to an engine: the scanner, both tag readers and the
// node builders, several texts into one view, then clearing it.
#include "engine/controls/richtext/RichText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    engine::RichText view;
    const uint8_t selector = data[0];
    if (selector & 1)
        view.SetStyleFlagsRaw(view.GetStyleFlags() | engine::RT_LINKS | engine::RT_LOAD_LINKS);
    view.SetMaxFontSize(selector & 2 ? 40 : 1000);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    // The text in pieces split at 0xFF bytes, each appended on its own.
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\xFF', start);
        if (end == std::string_view::npos)
            end = text.size();
        view.AddMarkupText(text.substr(start, end - start));
        start = end + 1;
    }
    int count = 0;
    for (const engine::RichTextNode* n = view.GetFirstNode(); n; n = n->next)
        ++count;
    if (count != view.GetNodeCount())
        __builtin_trap();
    view.Clear();
    return 0;
}
