#pragma once
// Glyph rendering for the text renderer: one GBK character at a time, as
// 8-bit coverage in a cell whose rows are the font size, so the caller can
// blend it into its own 32-bit buffers with a colour of its choosing.
//
// Face names ("宋体", "黑体", "幼圆", GBK) are resolved through fontconfig
// with the program's own mapping onto an installed CJK font; a face that is
// not installed (or no name) gets the default face "宋体", as fonts asked
// for with the Chinese character set fall back on a Chinese font. A weight of
// 600 or more is bold (synthesised by emboldening the outline when the
// font has no bold face); italic is a synthesised slant when the font has
// no italic; underline is drawn into the cell across the advance, also for
// a space. A character the font lacks renders the font's missing-glyph
// shape; a malformed or cut GBK pair renders as U+FFFD would.
//
// User-interface thread (a renderer is not shared between threads; several
// renderers may live at once and share the loaded fonts).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One rendered character.
struct GlyphImage {
    int width = 0;   // columns of the cell: at least the advance, more when ink overhangs it (italic)
    int height = 0;  // rows of the cell: the font size
    int advance = 0; // the pen advance in pixels (synthesised bold included)
    std::vector<uint8_t> coverage; // width * height bytes, rows top to bottom; 0 = no ink

    uint8_t At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height ? coverage[static_cast<size_t>(y) * width + x] : 0;
    }
};

struct FontMetrics {
    int size = 0;               // pixel height of a character cell
    int baseline = 0;           // row of the baseline, counted from the top of the cell
    int underlineTop = 0;       // first row of the underline
    int underlineThickness = 0; // rows
    bool syntheticBold = false;
    bool syntheticItalic = false;
};

class FontRenderer {
public:
    static constexpr int kMaxSize = 300;
    static constexpr int kBoldWeight = 600;

    FontRenderer();
    ~FontRenderer();
    FontRenderer(const FontRenderer&) = delete;
    FontRenderer& operator=(const FontRenderer&) = delete;

    // Selects the font for later calls: pixel size (clamped to 1..kMaxSize),
    // weight (400 normal, 700 bold), GBK face name. Re-selecting the same
    // font costs nothing. False when no font at all could be loaded; glyphs
    // then render empty with an advance of half the size (or the size for
    // a two-byte character).
    bool SelectFont(int size, int weight, std::string_view face, bool italic, bool underline);
    bool HasFont() const;
    const FontMetrics& Metrics() const { return m_metrics; }

    // Renders the character that starts text (one byte, or two for a lead
    // byte). The image stays valid until the next call on this renderer.
    const GlyphImage& RenderGlyph(std::string_view text);
    // The pen advance of that character, without rendering it.
    int GlyphAdvance(std::string_view text);
    // Sum of the advances of every character of a GBK string.
    int MeasureText(std::string_view text);

    // Rendered glyphs are kept per font and character (on by default);
    // switching it off renders every call afresh.
    void EnableGlyphCache(bool enable);

    class Catalog;
    struct Face;

private:
    void Render(char32_t codePoint, GlyphImage& out);
    int Advance(std::string_view character);
    uint64_t CacheKey(uint32_t rawChar) const;


    std::shared_ptr<Catalog> m_catalog;
    Face* m_face = nullptr; // non-owning: the catalog owns loaded faces
    struct SizeHandle;
    SizeHandle* m_sizeHandle = nullptr; // non-owning: the selected font's entry in m_cache
    std::unique_ptr<SizeHandle> LoadFont();
    void ReleaseFonts();
    std::string m_faceName;
    int m_size = 0;
    int m_weight = 0;
    bool m_italic = false;
    bool m_underline = false;
    bool m_selected = false;
    FontMetrics m_metrics;
    GlyphImage m_image;
    bool m_cacheEnabled = true;
    struct Cache;
    std::unique_ptr<Cache> m_cache;
};

} // namespace platform
