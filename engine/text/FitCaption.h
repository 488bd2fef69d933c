#pragma once
// Choosing the font size and spacing that make a caption fill a box.

#include "engine/text/TextStyle.h"
#include "engine/core/ObjectGeometry.h"

#include <string>

namespace engine {

// Captions are fitted from at most this many bytes; longer text is cut on
// a character boundary first.
inline constexpr size_t kMaxFittedTextBytes = 255;
// A padding or forced size of 0 (or less) is not given.
inline constexpr int kNotGiven = 0;

// Sets the style's size, character spacing, row spacing and left margin so
// that the text fills a box of width x height, and returns where to draw
// it. The text may be shortened in place (cut to kMaxFittedTextBytes,
// ended with "..", or emptied when nothing fits). Captions of full-width
// characters alone whose length is a multiple of 4 may take two lines.
Point FitCaption(int width, int height, std::string& text, TextStyle& style, int paddingX = kNotGiven,
    int paddingY = kNotGiven, int forcedSize = kNotGiven);

} // namespace engine
