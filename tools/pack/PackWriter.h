#pragma once
// Builds resource packs (".vkr") and pps pictures for tests and skins: from
// files on disk (PNG pictures among them) or from pictures drawn in code.
// Pictures are encoded with the engine's own pps encoder, so what the tool
// writes is what the engine reads.

#include "engine/core/PictureData.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

class PackWriter {
public:
    // Adds a resource under its file name with its own extension
    // ("btnThrow.png"); the pack files it under the lookup name
    // (base name + category extension) and the extension's hash. A later
    // resource of the same lookup name is still written; the engine keeps
    // the first.
    void AddBytes(std::string_view fileName, std::vector<uint8_t> bytes);
    // Adds the file at path under its own file name; false when unreadable.
    bool AddFile(const std::string& path);
    // Encodes the picture as pps (method 6 unless given) and adds it as
    // baseName + ".pps"; false when it cannot be encoded.
    bool AddPicture(std::string_view baseName, const engine::PictureData& picture, int method = 6);
    // Decodes a PNG (or any picture file the engine reads) and adds it as a
    // pps picture under its base name; false when it cannot be decoded.
    bool AddPictureFileAsPps(const std::string& path, int method = 6);

    size_t Count() const { return m_items.size(); }
    // The whole pack image; empty when it would pass 4 GiB, which the
    // pack's 32-bit offsets cannot address.
    std::vector<uint8_t> Build() const;
    bool Write(const std::string& path) const;

private:
    struct Item {
        std::string fileName;
        std::vector<uint8_t> bytes;
    };
    std::vector<Item> m_items;
};

// The pps encoding of a picture file's bytes (decoded by its extension as the
// engine does); empty when it cannot be decoded or encoded.
std::vector<uint8_t> PictureFileToPps(const std::vector<uint8_t>& bytes, std::string_view fileName, int method = 6);

// A 32-bit picture of one or more frames drawn by a function of
// (frame, x, y) giving 0xAARRGGBB.
template <typename Draw>
engine::PictureData DrawPicture(int width, int height, int frames, Draw draw)
{
    engine::PictureData picture;
    picture.frameWidth = static_cast<uint16_t>(width);
    picture.frameHeight = static_cast<uint16_t>(height);
    picture.frameCount = static_cast<uint16_t>(frames);
    picture.framesPerRow = 1;
    picture.pixels.resize(static_cast<size_t>(width) * height * frames * 4);
    uint8_t* p = picture.pixels.data();
    for (int f = 0; f < frames; ++f) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t argb = draw(f, x, y);
                *p++ = static_cast<uint8_t>(argb);
                *p++ = static_cast<uint8_t>(argb >> 8);
                *p++ = static_cast<uint8_t>(argb >> 16);
                *p++ = static_cast<uint8_t>(argb >> 24);
            }
        }
    }
    return picture;
}

// Frame 0 of a 32-bit picture as a PNG file (with its alpha); empty on
// failure.
std::vector<uint8_t> EncodePng(const engine::PictureData& picture);

} // namespace tools
