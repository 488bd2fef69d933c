#include "engine/core/ZlibCodec.h"

#include <zlib.h>

#include <limits>

namespace engine {

bool ZlibCompress(const void* source, size_t length, std::vector<uint8_t>& out)
{
    out.clear();
    if (length > std::numeric_limits<uLong>::max() || (length && !source))
        return false;
    // compressBound is enough for any input, so one call does it (no retry
    // loop that an empty input could keep failing).
    uLongf size = compressBound(static_cast<uLong>(length));
    out.resize(size);
    static const Bytef kEmpty = 0;
    const Bytef* from = length ? static_cast<const Bytef*>(source) : &kEmpty;
    if (compress(out.data(), &size, from, static_cast<uLong>(length)) != Z_OK) {
        out.clear();
        return false;
    }
    out.resize(size);
    out.shrink_to_fit();
    return true;
}

bool ZlibUncompress(const void* source, size_t length, size_t expected, std::vector<uint8_t>& out)
{
    out.clear();
    if (expected > kZlibMaxUncompressed || length > std::numeric_limits<uLong>::max() || (length && !source))
        return false;
    out.assign(expected, 0);
    uLongf produced = static_cast<uLongf>(expected);
    static const Bytef kEmpty = 0;
    Bytef one = 0; // zlib wants somewhere to write even for an empty result
    Bytef* to = expected ? out.data() : &one;
    const Bytef* from = length ? static_cast<const Bytef*>(source) : &kEmpty;
    int rc = uncompress(to, &produced, from, static_cast<uLong>(length));
    if (rc != Z_OK) {
        out.clear();
        out.shrink_to_fit();
        return false;
    }
    out.resize(produced);
    return true;
}

} // namespace engine
