#pragma once
// The hand and arrow cursors that buttons show while the mouse is over
// them: an engine object named "object_cursor" draws its own cursor and is
// told by event; without one the system cursor is set.

namespace engine {

class GameObject;

// from: the control asking (its services reach the modules).
void ShowControlHandCursor(GameObject& from);
void ShowControlArrowCursor(GameObject& from);

} // namespace engine
