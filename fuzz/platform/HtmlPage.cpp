// Web pages of any content through the page layer of HtmlView: decoded
// under a charset the input chooses, parsed, laid out at a width the input
// chooses, drawn at its top and its end, its links listed and hit-tested.
// No network: stylesheets and pictures are not fetched.

#include "platform/HtmlPage.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const char* const kTypes[] = { "", "text/html; charset=gbk", "text/html; charset=utf-8",
        "text/html; charset=iso-8859-1" };
    const std::string_view type = kTypes[data[0] % 4];
    const int width = 16 + data[1] % 240;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    platform::html::Page page("http://fuzz.example/dir/page.html", platform::html::DecodeHtml(bytes, type), {}, {});
    page.Layout(width, 64);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * 64 * 4, 0xFF);
    const platform::html::Surface surface { pixels.data(), width, 64, width * 4 };
    page.Draw(surface, 0, 0);
    page.Draw(surface, 0, std::max(0, page.ContentHeight() - 64));
    for (const platform::html::PageLink& link : page.Links())
        if (link.text.find("  ") != std::string::npos)
            std::abort(); // white space is collapsed
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < width; x += 11)
            (void)page.LinkAt(x, y, 0, 0);
    return 0;
}
