#include "frame/ui/CharacterPicture.h"

#include "engine/objects/GameObject.h"
#include "frame/core/FormatLine.h"

namespace frame {

std::string CharacterPicture(engine::GameObject& finder, int figure, int size)
{
    const std::string name = FormatLine("Character%dType%d", figure, size);
    engine::PictureDesc desc;
    if (finder.LookupPicture(&desc, name, 0)->record)
        return name;
    if (figure == 0)
        return {};
    return CharacterPicture(finder, 0, size);
}

} // namespace frame
