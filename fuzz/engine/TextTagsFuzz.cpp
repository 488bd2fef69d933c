// Arbitrary markup through the text renderer: the tag parser alone, layout
// and measuring in several widths, caption fitting, and for short inputs a
// real draw into a small buffer (glyph cache off, so memory stays flat).
#include "engine/text/FitCaption.h"
#include "engine/text/TextRenderer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

engine::TextStyle BaseStyle(uint8_t selector)
{
    engine::TextStyle style;
    style.SetFace("宋体");
    style.size = 8 + selector % 24;
    style.weight = 400;
    style.colour = 0x0080FF40;
    style.alpha = 255;
    style.wrap = selector & 1;
    style.charSpacing = (selector >> 1) % 4;
    style.rightMargin = (selector >> 3) % 8;
    return style;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static engine::TextRenderer layoutOnly; // never initialised: lays out, draws nothing
    static engine::TextRenderer drawing;
    static bool ready = false;
    if (!ready) {
        drawing.Init();
        drawing.EnableGlyphCache(false);
        ready = true;
    }
    const uint8_t selector = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    layoutOnly.SetStyle(BaseStyle(selector));
    layoutOnly.ParseTag(text.substr(0, 300));
    layoutOnly.SetStyle(BaseStyle(selector));
    int w = 0;
    int h = 0;
    layoutOnly.MeasureText(0, 0, text, w, h);
    layoutOnly.MeasureHeight(1 + selector, text);
    std::vector<uint8_t> none(4);
    layoutOnly.DrawText(none.data(), 1, 1, 0, 0, text);
    layoutOnly.ClearTagList();

    std::string caption(text);
    engine::TextStyle fitted = BaseStyle(selector);
    engine::FitCaption(20 + selector, 10 + selector / 2, caption, fitted, selector % 5, selector % 3,
        selector & 0x80 ? 10 + selector % 30 : 0);

    if (text.size() <= 96) {
        std::vector<uint8_t> pixels(48 * 24 * 4, 0);
        drawing.SetStyle(BaseStyle(selector));
        drawing.DrawText(pixels.data(), 48, 24, selector % 7 - 3, selector % 5 - 2, text);
        drawing.ClearTagList();
    }
    return 0;
}
