#pragma once
// A server text as a QR-code picture: the symbol's modules from libqrencode
// (8-bit mode, lowest error correction, smallest version that holds the
// text) and a BMP file image of them, 6 x 6 pixels a module, dark modules
// black, the rest white, rows top-down.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace game {

// The most bytes a symbol holds in 8-bit mode at the lowest error
// correction (version 40); longer texts are refused before encoding.
inline constexpr size_t kQrMaxTextBytes = 2953;
inline constexpr int kQrModulePixels = 6;
inline constexpr size_t kBmpHeaderBytes = 54;

struct QrModules {
    int width = 0;              // modules a side
    std::vector<uint8_t> dark;  // width x width, row by row: 1 dark, 0 light
    bool IsDark(int x, int y) const { return dark[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != 0; }
};

// Nothing for an empty text, a text longer than kQrMaxTextBytes or one
// the encoder refuses.
std::optional<QrModules> EncodeQrText(std::string_view text);

// The BMP file image: 14-byte file header, 40-byte info header (width 6w,
// height -6w, 24 bits), then rows of 18w bytes padded to 4.
std::vector<uint8_t> QrBitmapFile(const QrModules& modules);

} // namespace game
