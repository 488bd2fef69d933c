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
    size_t length = GbkCutLength(name, kTextFaceBytes - 1);
    std::memset(face, 0, kTextFaceBytes);
    std::memcpy(face, name.data(), length);
}

} // namespace engine
