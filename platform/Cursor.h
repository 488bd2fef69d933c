#pragma once
// The mouse cursor: system shapes, the shown/hidden count and the cursor's
// position on the screen. User-interface thread only. Shapes take effect
// while a window exists (the video subsystem runs); a shape set before
// that is applied when the first window appears.

#include "platform/WindowMessages.h"

#include <cstdint>

namespace platform {

// The system's cursor resource numbers.
enum class SystemCursor : uint32_t {
    kArrow = 32512,
    kIBeam = 32513,
    kWait = 32514,
    kCross = 32515,
    kSizeNwse = 32642,
    kSizeNesw = 32643,
    kSizeWe = 32644,
    kSizeNs = 32645,
    kSizeAll = 32646,
    kNo = 32648,
    kHand = 32649,
    kAppStarting = 32650,
};

// An opaque, process-lifetime cursor handle: equal handles are the same
// shape, so callers may compare them to skip redundant changes.
struct CursorShape;
using CursorHandle = const CursorShape*;

// Never null, also for headless drivers that have no cursor images.
CursorHandle LoadSystemCursor(SystemCursor shape);
// Sets the shape shown over the program's windows (null: the arrow).
void SetCursor(CursorHandle cursor);
CursorHandle GetCursor();

// Raises (show) or lowers (hide) the display count and returns the new
// count; the cursor is visible while the count is 0 or more. The count
// starts at 0.
int ShowCursor(bool show);

// The cursor's position in screen coordinates.
Point CursorScreenPos();

// For the window layer: applies the shape and visibility once video has
// started, and frees the SDL cursors before it stops.
void ApplyCursorState();
void ReleaseSystemCursors();

} // namespace platform
