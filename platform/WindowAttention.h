#pragma once
// Drawing the user's attention to the program's main window.
//
// There is no window layer yet: until there is, no window is ever in the
// foreground and flashing does nothing. The window layer will answer these
// from its main window (keyboard focus, and a brief flash of the caption or
// task-bar entry).

namespace platform {

// True when the main window of the program is the foreground window.
bool MainWindowIsForeground();

// Flashes the main window's caption once; nothing without a main window.
void FlashMainWindowCaption();

} // namespace platform
