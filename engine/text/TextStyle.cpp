#include "engine/text/TextStyle.h"

#include "engine/text/GbkCut.h"

#include <cstring>

namespace engine {

std::string_view TextStyle::Face() const
{
    return std::string_view(face, strnlen(face, kTextFaceBytes));
}

void TextStyle::SetFace(std::string_view name)
{
    // The name may be a view of this very buffer (re-selecting the current
    // face): it is moved into place before the rest is cleared.
    const size_t length = GbkCutLength(name, kTextFaceBytes - 1);
    if (length > 0)
        std::memmove(face, name.data(), length);
    std::memset(face + length, 0, kTextFaceBytes - length);
}

} // namespace engine
