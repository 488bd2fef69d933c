#pragma once
// Drawing the user's attention to the program's main window: the window the
// application names as its main one (the frame's top-level window). Other
// windows of the program, dialogs among them, never count as the main one.
//
// User-interface thread only (the thread that runs the windows). From any
// other thread, or while no main window exists, the main window is not in
// the foreground and nothing flashes. Headless drivers (tests) have no
// caption to flash: the request is made and the driver ignores it.

#include "platform/Window.h"

namespace platform {

// Names the main window; null names none. The window is remembered by its
// handle, so a destroyed main window simply no longer exists.
void SetMainWindow(const Window* window);
// The main window's handle; 0 when none is named or it was destroyed.
WindowHandle MainWindowHandle();

// True when the main window has the keyboard focus.
bool MainWindowIsForeground();

// Flashes the main window's caption (or task-bar entry) once, briefly. True
// when the window system was asked to; false without a main window.
bool FlashMainWindowCaption();

} // namespace platform
