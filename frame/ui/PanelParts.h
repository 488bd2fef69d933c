#pragma once
// What the frame's panels share: placing a panel on a rectangle, removing
// the parts it registers beside itself (canvases, scroll bars, tabs), which
// are not its children, making the skin's sounding buttons, and where the
// dialogs' titles go.

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/EngineObject.h"
#include "engine/core/ObjectModule.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
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

// Where the frame's dialogs write their title, and in what size.
inline constexpr int kDialogTitleX = 5;
inline constexpr int kDialogTitleY = 6;
inline constexpr int kDialogTitleSize = 12;

// The engine's image button (see engine::MakeImageButton) with the skin's
// sounds: a touch when the mouse comes over it, a hit when it is pressed.
inline engine::ImageButton* MakeSkinButton(engine::GameObject& owner, std::string_view picture, int code,
    uint32_t spriteFlags)
{
    engine::ImageButton* button = engine::MakeImageButton(owner, picture, code, spriteFlags);
    if (button) {
        button->SetSound(engine::kButtonSoundEnter, "SndTouchButton");
        button->SetSound(engine::kButtonSoundPress, "SndHitButton");
    }
    return button;
}

} // namespace frame
