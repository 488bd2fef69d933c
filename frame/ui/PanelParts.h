#pragma once
// What the side pane's panels share: placing a panel on a rectangle, and
// removing the parts it registers beside itself (canvases, scroll bars,
// tabs), which are not its children.

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

// Sizes and centres a panel on the rectangle (left, top, right, bottom).
inline void PlaceInRect(engine::EngineObject& panel, int left, int top, int right, int bottom)
{
    panel.ScaleTo(right - left, bottom - top);
    panel.MoveTo((left + right) / 2.0, (top + bottom) / 2.0);
}

} // namespace frame
