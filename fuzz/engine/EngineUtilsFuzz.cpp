// Feeds outside bytes to the engine utilities that read them: the zlib
// uncompress wrapper (block and expected size from a file header), the
// markup value helpers and the path helpers.
//
// Input: one selector byte, then for the zlib case a 4-byte little-endian
// expected size followed by the compressed block; otherwise the text.
#include "engine/core/EngineFiles.h"
#include "engine/core/EngineParse.h"
#include "engine/core/NameKey.h"
#include "engine/core/ZlibCodec.h"
#include "platform/Bytes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    uint8_t selector = data[0] % 3;
    const uint8_t* rest = data + 1;
    size_t restSize = size - 1;

    if (selector == 0) {
        if (restSize < 4)
            return 0;
        uint32_t expected = platform::LoadLe32(rest);
        // Keep each run small; the cap itself is tested by the unit tests.
        expected %= 1u << 22;
        std::vector<uint8_t> out;
        if (engine::ZlibUncompress(rest + 4, restSize - 4, expected, out) && out.size() > expected)
            __builtin_trap();
        std::vector<uint8_t> again;
        if (!engine::ZlibCompress(rest + 4, restSize - 4, again))
            __builtin_trap();
        return 0;
    }

    std::string_view text(reinterpret_cast<const char*>(rest), restSize);
    if (selector == 1) {
        std::vector<std::string> parts;
        engine::SplitCommaList(text, parts);
        std::vector<engine::TagValue> values;
        engine::SplitCommaValues(text, values);
        if (parts.size() != values.size())
            __builtin_trap();
        (void)engine::StripQuotes(text);
        (void)engine::ParseInt(text);
        (void)engine::ParseBoolOrInt(text);
        (void)engine::MakeNameKey(text);
        return 0;
    }

    std::string lower(text);
    engine::ToLowerAscii(lower);
    if (lower.size() != text.size())
        __builtin_trap();
    (void)engine::GetFileExtLower(text);
    (void)engine::GetFileBaseName(text);
    (void)engine::GetFileNameLowerExt(text);
    // A host path has no Windows separator left, also where the GBK text
    // was broken.
    if (engine::ToHostPath(text).find('\\') != std::string::npos)
        __builtin_trap();
    return 0;
}
