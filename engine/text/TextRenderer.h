#pragma once
// Draws GBK text into 32-bit pixel buffers (bytes blue, green, red, alpha),
// one character at a time: the font layer renders the character's coverage
// and the renderer blends the style colour into the target with it.
//
// Around that sits a small layout engine: lines break at the right margin,
// a line is as high as the largest font on it and every character stands on
// its bottom, with character spacing, row spacing and margins. Tags written
// between '<' and '>' change the style inside one draw ("color=", "rgb=",
// "size=", "fontname=", "bold", "underline", "italic", "rowspace=",
// "pitch=", "leftmargin=", "rightmargin=", their closing forms, "break",
// "script:..." and "//" comments); a draw restores the style it began with.
//
// A byte of 0x81-0xFE (platform::Gbk::IsLeadByte) starts a two-byte
// character drawn full width (the size); every other byte is a half-width
// character ((size + 1) / 2).
//
// User-interface thread only. A canvas drawing with a shared renderer
// brackets the style swap and the draw with Lock and Unlock.

#include "engine/text/TextStyle.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class FontRenderer;
struct GlyphImage;
}

namespace engine {

inline constexpr int kMaxTextSize = 300;
// The largest spacing or margin a tag can set, in pixels either way.
inline constexpr int kMaxTextOffset = 4096;
inline constexpr uint32_t kDefaultTextColour = 0xff7d327d;
// How far a '>' is looked for after a '<'.
inline constexpr size_t kMaxTagBytes = 256;

class TextRenderer {
public:
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // (Re)creates the glyph source and resets the style. Until it has run
    // the renderer lays text out and measures it but draws no pixels.
    void Init();
    void Destroy();
    bool HasSurface() const { return m_font != nullptr; }

    // Style.
    void SelectFont(int size, int weight, std::string_view face, int italic, int underline);
    // Returns the low byte of the colour.
    int SetStyle(const TextStyle& style);
    void GetStyle(TextStyle& out) const { out = m_style; }
    const TextStyle& Style() const { return m_style; }
    // Returns the low byte of the colour.
    int SetColour(uint32_t colour);
    void SetFontSize(int size);
    void UpdateLineMetrics();

    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }

    // Draws into target (width x height pixels, rows of width) from (x, y)
    // and returns the bottom of the last line (y when nothing can be drawn
    // at this size).
    int DrawText(uint8_t* target, int width, int height, int x, int y, std::string_view text);
    // Lays the text out without drawing or wrapping: width is the largest
    // x reached (right margin included), height the bottom of the last line.
    void MeasureText(int x, int y, std::string_view text, int& width, int& height);
    // The bottom of the last line when laid out from (0, 0) in the width.
    int MeasureHeight(int width, std::string_view text);

    // Tags.
    // Applies the tag between '<' and '>'; false when it is to be drawn as
    // text.
    bool ParseTag(std::string_view content);
    bool ApplyTag(std::string_view key, std::string_view value);
    void ClearTagList();
    const std::vector<std::string>& ScriptTags() const { return m_scriptTags; }
    int ScriptTagIndex() const { return m_scriptIndex; }

    // Glyphs are kept per font and character once rendered (on by default).
    void EnableGlyphCache(bool enable);

private:
    // Layout steps of a draw.
    int Layout(uint8_t* target, int width, int height, int x, int y, std::string_view text, bool measuring);
    void DrawGlyph(std::string_view bytes);
    void NewLine();
    void RewindLine();
    void BlendGlyph(const platform::GlyphImage& glyph, int advance, int top);

    int m_halfAdvance = 0;
    TextStyle m_style;
    TextStyle m_saved; // the style at the start of the current draw
    std::unique_ptr<platform::FontRenderer> m_font;
    bool m_fontSelected = false;
    bool m_cacheGlyphs = true;
    uint8_t m_blue = 0;
    uint8_t m_green = 0;
    uint8_t m_red = 0;

    // The current draw.
    uint8_t* m_target = nullptr; // not owned
    int m_width = 0;
    int m_height = 0;
    int m_penX = 0;
    int m_lineTop = 0;
    int m_lineHeight = 0;
    int m_lineBottom = 0;
    size_t m_index = 0;
    size_t m_lineStartIndex = 0;
    int m_lineStartX = 0;
    bool m_lineHasGlyph = false;
    // Drawn lines in a row that took nothing (see Layout).
    int m_idleLines = 0;
    bool m_drawing = false;
    bool m_measuring = false;
    TextStyle m_lineStartStyle;
    int m_maxX = 0;
    int m_finalHeight = 0;

    std::mutex m_lock;
    std::vector<std::string> m_scriptTags;
    int m_scriptIndex = -1;
};

} // namespace engine
