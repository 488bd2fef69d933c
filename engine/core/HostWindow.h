#pragma once
// What the engine asks of the window it draws into. The engine host window
// implements it; tests use a fake.

#include "engine/core/ObjectGeometry.h"

namespace engine {

class HostWindow {
public:
    virtual ~HostWindow() = default;
    // The screen position of a point of the client area.
    virtual Point ClientToScreen(Point client) const = 0;
    // The rectangle the cursor is confined to (the whole screen when free).
    virtual Rect GetCursorClip() const = 0;
    // Confines the cursor to the rectangle (screen coordinates).
    virtual void ClipCursor(const Rect& screen) = 0;
    // Whether the application's main window is minimised.
    virtual bool IsMinimised() const = 0;
};

} // namespace engine
