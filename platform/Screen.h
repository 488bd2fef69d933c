#pragma once
// The size of the primary screen, for layouts decided before any window
// exists (a narrow screen, the main window's first rectangle).

namespace platform {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// What a screen is taken to be when no display can be asked (no display
// server, no video driver): a common desktop size, so layout code always has
// a real rectangle to work with.
inline constexpr ScreenSize kFallbackScreenSize { 1024, 768 };

// Height of a window's title bar. The window manager draws its own
// decorations and tells their size only after a window is mapped, so the
// first rectangle uses the usual desktop title-bar height.
inline constexpr int kCaptionHeight = 23;

// The desktop mode of the primary display. Starts the window layer's video
// share for the question when no window holds it and stops it again, so the
// video subsystem is left as it was found. Call it on the user-interface
// thread (where windows live); elsewhere, or without a display, the answer
// is kFallbackScreenSize.
ScreenSize PrimaryScreenSize();

} // namespace platform
