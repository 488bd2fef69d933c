#include "engine/controls/widgets/ControlCursor.h"

#include "engine/objects/GameObject.h"
#include "engine/modules/InputModule.h"
#include "platform/Cursor.h"

namespace engine {

namespace {

void ShowCursorShape(GameObject& from, int code, platform::SystemCursor shape)
{
    if (EngineObject* cursor = from.FindObjectByName("object_cursor")) {
        from.SendEvent(EngineEvent(cursor->GetId(), code));
        return;
    }
    from.SetCursor(platform::LoadSystemCursor(shape));
}

} // namespace

void ShowControlHandCursor(GameObject& from)
{
    ShowCursorShape(from, EVT_CURSOR_HAND, platform::SystemCursor::kHand);
}

void ShowControlArrowCursor(GameObject& from)
{
    ShowCursorShape(from, EVT_CURSOR_ARROW, platform::SystemCursor::kArrow);
}

} // namespace engine
