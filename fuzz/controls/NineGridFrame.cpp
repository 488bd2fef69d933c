// Arbitrary frame pictures, as a skin pack can carry them, cut into nine
// parts by a panel: any size, transparency pattern, pixel format (32-bit
// with alpha, 32-bit with a colour key, palette with or without alpha) and
// source rectangle, including one reaching past the picture. The parts must
// stay inside the frame's region and tile it, and the layout must never be
// inside out.
#include "engine/controls/widgets/NineGridPanel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

int Width(const engine::Rect& r)
{
    return r.right - r.left;
}

int Height(const engine::Rect& r)
{
    return r.bottom - r.top;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    const int w = data[0] % 48 + 1;
    const int h = data[1] % 48 + 1;
    const uint8_t format = data[2] % 4;
    engine::PictureData record;
    record.frameWidth = static_cast<uint16_t>(w);
    record.frameHeight = static_cast<uint16_t>(h);
    record.frameCount = 1;
    record.framesPerRow = 1;
    const size_t bytesPerPixel = format == 3 ? 2 : format == 2 ? 1 : 4;
    record.flags = format == 0 ? engine::kPictureAlpha
        : format == 1          ? engine::kPictureColourKey
        : format == 2          ? engine::kPicturePalette
                               : engine::kPicturePalette | engine::kPictureAlpha;
    record.colourKey = format == 1 ? 0x000000u : 0u;
    // The pixels repeat the rest of the input; a short pixel block is
    // allowed (the record then holds fewer pixels than its size says).
    const size_t wanted = static_cast<size_t>(w) * h * bytesPerPixel;
    const size_t have = data[3] & 1 ? wanted : wanted / 2;
    record.pixels.assign(have, 0);
    if (size > 8)
        for (size_t i = 0; i < have; ++i)
            record.pixels[i] = data[8 + i % (size - 8)] & (data[3] & 2 ? 0xff : 0x01);

    engine::PictureDesc desc;
    desc.record = &record;
    desc.sourceX = static_cast<int8_t>(data[4]) % 8;
    desc.sourceY = static_cast<int8_t>(data[5]) % 8;
    desc.width = data[6] % 56;
    desc.height = data[7] % 56;

    engine::NineGridPanel panel;
    panel.SetFrameImage(desc);
    const engine::Rect outer = panel.GetSourcePart(0);
    const engine::Rect centre = panel.GetSourcePart(5);
    Require(outer.left <= centre.left && centre.left <= centre.right && centre.right <= outer.right);
    Require(outer.top <= centre.top && centre.top <= centre.bottom && centre.bottom <= outer.bottom);
    int area = 0;
    for (int i = 1; i < engine::NineGridPanel::kParts; ++i) {
        const engine::Rect& part = panel.GetSourcePart(i);
        Require(Width(part) >= 0 && Height(part) >= 0);
        area += Width(part) * Height(part);
    }
    Require(area == Width(outer) * Height(outer));

    const int cw = (static_cast<int>(data[2]) - 128) * 3;
    const int ch = (static_cast<int>(data[3]) - 128) * 3;
    panel.SetSize(cw, ch);
    for (int i = 0; i < engine::NineGridPanel::kParts; ++i) {
        const engine::Rect& part = panel.GetDestPart(i);
        Require(Width(part) >= 0 && Height(part) >= 0);
    }
    const engine::Rect client = panel.GetClientRect();
    Require(Width(client) == (cw > 0 ? cw : 0) && Height(client) == (ch > 0 ? ch : 0));
    return 0;
}
