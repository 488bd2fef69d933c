#pragma once
// Translation of SDL key identities to the virtual-key codes and key flags
// of WindowMessages.h.

#include <cstdint>

namespace platform {

// The virtual-key code of an SDL keycode (layout-aware), falling back on the
// physical scancode for keys whose keycode has no code (letters of
// non-Latin layouts, say); 0 for keys the program has no code for.
uint32_t VirtualKeyFromSdl(int32_t keycode, int scancode);

// Keys that the system marks as extended (kKfExtended): the navigation
// block, right-hand Ctrl and Alt, keypad Enter and divide.
bool IsExtendedKey(int32_t keycode);

} // namespace platform
