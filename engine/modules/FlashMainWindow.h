#pragma once

namespace engine {

// Flashes the main window's caption once when the main window is not the
// foreground window; otherwise does nothing.
void FlashMainWindow();

} // namespace engine
