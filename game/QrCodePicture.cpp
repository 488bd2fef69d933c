#include "game/QrCodePicture.h"

#include "frame/core/WireReader.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>
#include <string>

namespace game {

namespace {

struct QrFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

void PutLe16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

std::optional<QrModules> EncodeQrText(std::string_view text)
{
    if (text.empty() || text.size() > kQrMaxTextBytes)
        return std::nullopt;
    // The encoder reads a C string: the text is cut at its first zero.
    const std::string terminated(text);
    const std::unique_ptr<QRcode, QrFree> code(
        QRcode_encodeString(terminated.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1));
    if (!code || code->width <= 0 || !code->data)
        return std::nullopt;
    QrModules modules;
    modules.width = code->width;
    const size_t count = static_cast<size_t>(code->width) * static_cast<size_t>(code->width);
    modules.dark.resize(count);
    for (size_t i = 0; i < count; ++i)
        modules.dark[i] = code->data[i] & 1;
    return modules;
}

std::vector<uint8_t> QrBitmapFile(const QrModules& modules)
{
    const size_t side = static_cast<size_t>(modules.width) * kQrModulePixels;
    const size_t rowBytes = (side * 3 + 3) & ~size_t { 3 };
    const size_t pixelBytes = rowBytes * side;
    std::vector<uint8_t> file(kBmpHeaderBytes + pixelBytes, 0xff);
    uint8_t* h = file.data();
    std::fill(h, h + kBmpHeaderBytes, uint8_t { 0 });
    h[0] = 'B';
    h[1] = 'M';
    frame::StoreLe32(h + 2, static_cast<uint32_t>(file.size()));
    frame::StoreLe32(h + 10, kBmpHeaderBytes);
    frame::StoreLe32(h + 14, 40);
    frame::StoreLe32(h + 18, static_cast<uint32_t>(side));
    frame::StoreLe32(h + 22, static_cast<uint32_t>(-static_cast<int32_t>(side))); // top-down
    PutLe16(h + 26, 1);
    PutLe16(h + 28, 24);
    for (size_t y = 0; y < side; ++y) {
        uint8_t* row = h + kBmpHeaderBytes + y * rowBytes;
        std::fill(row + side * 3, row + rowBytes, uint8_t { 0 }); // padding
        for (size_t x = 0; x < side; ++x)
            if (modules.IsDark(static_cast<int>(x / kQrModulePixels), static_cast<int>(y / kQrModulePixels)))
                std::fill(row + 3 * x, row + 3 * x + 3, uint8_t { 0 });
    }
    return file;
}

} // namespace game
