#pragma once
// The parts a panel registers beside itself (canvases, scroll bars, tabs)
// are not its children, so the panel removes them when it goes.

#include "engine/core/EngineObject.h"
#include "engine/core/ObjectModule.h"

#include <initializer_list>
#include <vector>

namespace frame {

// Removes the parts that exist. The ids are taken first: removing one part
// may remove others linked to it as owned children.
inline void RemoveParts(engine::ObjectModule* objects, std::initializer_list<engine::EngineObject*> parts)
{
    if (!objects)
        return;
    std::vector<int> ids;
    for (engine::EngineObject* part : parts) {
        if (part)
            ids.push_back(part->GetId());
    }
    for (int id : ids)
        objects->RemoveObject(id);
}

} // namespace frame
