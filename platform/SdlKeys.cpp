#include "platform/SdlKeys.h"

#include "platform/WindowMessages.h"

#include <SDL.h>

namespace platform {

namespace {

uint32_t FromKeycode(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return kVkF1 + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return kVkF1 + 12 + static_cast<uint32_t>(key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return kVkNumpad0 + 1 + static_cast<uint32_t>(key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_CLEAR: return kVkClear;
    case SDLK_RETURN: return kVkReturn;
    case SDLK_RETURN2: return kVkReturn;
    case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return kVkShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return kVkControl;
    case SDLK_LALT:
    case SDLK_RALT: return kVkMenu;
    case SDLK_PAUSE: return kVkPause;
    case SDLK_CAPSLOCK: return kVkCapital;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_PRINTSCREEN: return kVkSnapshot;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    case SDLK_LGUI: return kVkLWin;
    case SDLK_RGUI: return kVkRWin;
    case SDLK_APPLICATION: return kVkApps;
    case SDLK_KP_0: return kVkNumpad0;
    case SDLK_KP_MULTIPLY: return kVkMultiply;
    case SDLK_KP_PLUS: return kVkAdd;
    case SDLK_KP_MINUS: return kVkSubtract;
    case SDLK_KP_PERIOD: return kVkDecimal;
    case SDLK_KP_DIVIDE: return kVkDivide;
    case SDLK_NUMLOCKCLEAR: return kVkNumLock;
    case SDLK_SCROLLLOCK: return kVkScroll;
    case SDLK_SEMICOLON: return kVkOemSemicolon;
    case SDLK_EQUALS: return kVkOemPlus;
    case SDLK_COMMA: return kVkOemComma;
    case SDLK_MINUS: return kVkOemMinus;
    case SDLK_PERIOD: return kVkOemPeriod;
    case SDLK_SLASH: return kVkOemSlash;
    case SDLK_BACKQUOTE: return kVkOemTilde;
    case SDLK_LEFTBRACKET: return kVkOemOpenBracket;
    case SDLK_BACKSLASH: return kVkOemBackslash;
    case SDLK_RIGHTBRACKET: return kVkOemCloseBracket;
    case SDLK_QUOTE: return kVkOemQuote;
    default: return 0;
    }
}

} // namespace

uint32_t VirtualKeyFromSdl(int32_t keycode, int scancode)
{
    if (uint32_t vk = FromKeycode(keycode))
        return vk;
    // The physical key, as the US layout names it.
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES)
        return 0;
    auto sc = static_cast<SDL_Scancode>(scancode);
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z)
        return static_cast<uint32_t>('A' + (sc - SDL_SCANCODE_A));
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9)
        return static_cast<uint32_t>('1' + (sc - SDL_SCANCODE_1));
    switch (sc) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_SEMICOLON: return kVkOemSemicolon;
    case SDL_SCANCODE_EQUALS: return kVkOemPlus;
    case SDL_SCANCODE_COMMA: return kVkOemComma;
    case SDL_SCANCODE_MINUS: return kVkOemMinus;
    case SDL_SCANCODE_PERIOD: return kVkOemPeriod;
    case SDL_SCANCODE_SLASH: return kVkOemSlash;
    case SDL_SCANCODE_GRAVE: return kVkOemTilde;
    case SDL_SCANCODE_LEFTBRACKET: return kVkOemOpenBracket;
    case SDL_SCANCODE_BACKSLASH: return kVkOemBackslash;
    case SDL_SCANCODE_RIGHTBRACKET: return kVkOemCloseBracket;
    case SDL_SCANCODE_APOSTROPHE: return kVkOemQuote;
    default: return FromKeycode(SDL_SCANCODE_TO_KEYCODE(sc));
    }
}

bool IsExtendedKey(int32_t keycode)
{
    switch (keycode) {
    case SDLK_RCTRL:
    case SDLK_RALT:
    case SDLK_INSERT:
    case SDLK_DELETE:
    case SDLK_HOME:
    case SDLK_END:
    case SDLK_PAGEUP:
    case SDLK_PAGEDOWN:
    case SDLK_LEFT:
    case SDLK_RIGHT:
    case SDLK_UP:
    case SDLK_DOWN:
    case SDLK_KP_ENTER:
    case SDLK_KP_DIVIDE:
    case SDLK_NUMLOCKCLEAR:
    case SDLK_PRINTSCREEN:
    case SDLK_LGUI:
    case SDLK_RGUI:
    case SDLK_APPLICATION:
        return true;
    default:
        return false;
    }
}

} // namespace platform
