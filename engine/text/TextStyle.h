#pragma once
// The style of drawn text: what the text renderer uses while it draws, and
// what every canvas keeps and lends to the shared renderer.

#include <cstdint>
#include <string_view>

namespace engine {

inline constexpr size_t kTextFaceBytes = 32;

struct TextStyle {
    char face[kTextFaceBytes] = {}; // GBK face name, NUL-terminated
    uint32_t colour = 0;            // 0x00BBGGRR
    int size = 0;                   // character height in pixels
    int fullAdvance = 0;            // width of a two-byte character; kept equal to size
    int weight = 0;                 // 400 normal, 700 bold
    int charSpacing = 0;  // before each half-width character, twice before a full-width one, not first on a line
    int rowSpacing = 0;   // between lines
    int leftMargin = 0;
    int rightMargin = 0;
    int wrap = 0;         // nonzero: continue on the next line at the right margin
    int underline = 0;
    int italic = 0;
    int alpha = 0;        // 0-255, scales glyph coverage (255 = unchanged)

    std::string_view Face() const;
    // Stores the name, cut to 31 bytes on a character boundary. The name
    // may be a view of this style's own face.
    void SetFace(std::string_view name);
};

} // namespace engine
