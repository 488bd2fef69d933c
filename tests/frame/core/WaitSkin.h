#pragma once
// A skin for the wait dialog, made by the test: an INI file with the
// dialog's keys and a small BMP picture written byte by byte.

#include "platform/IniFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace waitskin {

inline void Put16(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}

inline void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A BMP of width x height pixels given as 0xRRGGBB, rows from the top.
// With indexed, an 8-bit picture whose palette holds the distinct colours
// (at most 256); otherwise 24 bits a pixel.
inline std::string Bmp(int width, int height, const std::vector<uint32_t>& rgb, bool indexed = false)
{
    std::vector<uint32_t> palette;
    std::vector<uint8_t> index(rgb.size());
    if (indexed) {
        for (size_t i = 0; i < rgb.size(); ++i) {
            size_t at = 0;
            while (at < palette.size() && palette[at] != rgb[i])
                ++at;
            if (at == palette.size())
                palette.push_back(rgb[i]);
            index[i] = static_cast<uint8_t>(at);
        }
    }
    const int bytesPerPixel = indexed ? 1 : 3;
    const int stride = (width * bytesPerPixel + 3) / 4 * 4;
    const uint32_t paletteBytes = static_cast<uint32_t>(palette.size()) * 4;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint32_t imageBytes = static_cast<uint32_t>(stride * height);

    std::string out = "BM";
    Put32(out, offset + imageBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height)); // bottom-up
    Put16(out, 1);
    Put16(out, indexed ? 8 : 24);
    Put32(out, 0); // no compression
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(palette.size()));
    Put32(out, 0);
    for (uint32_t colour : palette)
        Put32(out, colour & 0xFFFFFF); // blue, green, red, 0
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            if (indexed) {
                row.push_back(static_cast<char>(index[i]));
            } else {
                row.push_back(static_cast<char>(rgb[i] & 0xFF));
                row.push_back(static_cast<char>(rgb[i] >> 8 & 0xFF));
                row.push_back(static_cast<char>(rgb[i] >> 16 & 0xFF));
            }
        }
        row.resize(static_cast<size_t>(stride), '\0');
        out += row;
    }
    return out;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A picture of 4 x 2 pixels, each its own colour (0xRRGGBB), rows from the
// top.
inline const std::vector<uint32_t>& Checker()
{
    static const std::vector<uint32_t> colours = {
        0xC03020, 0x20C030, 0x3020C0, 0xC0C020,
        0x20C0C0, 0xC020C0, 0x808080, 0x402010,
    };
    return colours;
}

// skin.ini in dir with the given keys (a key left empty is not written).
inline std::string WriteSkinIni(const std::filesystem::path& dir, const std::string& picture,
    const std::string& barBright, const std::string& barBase)
{
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "skin.ini").string();
    const platform::IniFile ini(path);
    ini.WriteString("Skin", "Name", "test");
    if (!picture.empty())
        ini.WriteString("BitmapResource", "CommDlgBK", picture);
    if (!barBright.empty())
        ini.WriteString("CommColors", "WaitBarfg", barBright);
    if (!barBase.empty())
        ini.WriteString("CommColors", "WaitBarbg", barBase);
    return path;
}

} // namespace waitskin
