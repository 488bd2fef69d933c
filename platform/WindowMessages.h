#pragma once
// The numbers the window layer speaks: message codes, mouse and key flags
// and virtual-key codes with the values of the desktop system the engine's
// input handling was written against, so engine code can store and compare
// them as it always has. Window events are delivered as one small record.

#include <cstdint>

namespace platform {

// Window messages.
constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmSize = 0x0005;
constexpr uint32_t kWmSetFocus = 0x0007;
constexpr uint32_t kWmKillFocus = 0x0008;
constexpr uint32_t kWmPaint = 0x000F;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmSetCursor = 0x0020;
constexpr uint32_t kWmCopyData = 0x004A; // sent; lParam points to a CopyDataRecord (CopyData.h)
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmChar = 0x0102;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
constexpr uint32_t kWmMouseMove = 0x0200;
constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmLButtonUp = 0x0202;
constexpr uint32_t kWmLButtonDblClk = 0x0203; // never produced here: the engine decides double clicks
constexpr uint32_t kWmRButtonDown = 0x0204;
constexpr uint32_t kWmRButtonUp = 0x0205;
constexpr uint32_t kWmMButtonDown = 0x0207;
constexpr uint32_t kWmMButtonUp = 0x0208;
constexpr uint32_t kWmMouseWheel = 0x020A;
constexpr uint32_t kWmMouseLeave = 0x02A3; // the cursor left the window; no fields

// kWmSize kinds.
constexpr uint32_t kSizeRestored = 0;
constexpr uint32_t kSizeMinimized = 1;
constexpr uint32_t kSizeMaximized = 2;

// Mouse key flags (buttons held and modifier keys) of mouse and wheel events.
constexpr uint32_t kMkLButton = 0x0001;
constexpr uint32_t kMkRButton = 0x0002;
constexpr uint32_t kMkShift = 0x0004;
constexpr uint32_t kMkControl = 0x0008;
constexpr uint32_t kMkMButton = 0x0010;

// One notch of the wheel.
constexpr int kWheelDelta = 120;

// Key flags of key and character events (the high word of the system's key
// message parameter): scan code in the low byte, then these bits.
constexpr uint32_t kKfExtended = 0x0100;
constexpr uint32_t kKfAltDown = 0x2000;
constexpr uint32_t kKfRepeat = 0x4000; // the key was already down
constexpr uint32_t kKfUp = 0x8000;     // the key is being released

// Virtual-key codes. Letters are 'A'..'Z' and digits '0'..'9' (their ASCII
// values).
constexpr uint32_t kVkBack = 0x08;
constexpr uint32_t kVkTab = 0x09;
constexpr uint32_t kVkClear = 0x0C;
constexpr uint32_t kVkReturn = 0x0D;
constexpr uint32_t kVkShift = 0x10;
constexpr uint32_t kVkControl = 0x11;
constexpr uint32_t kVkMenu = 0x12; // Alt
constexpr uint32_t kVkPause = 0x13;
constexpr uint32_t kVkCapital = 0x14;
constexpr uint32_t kVkEscape = 0x1B;
constexpr uint32_t kVkSpace = 0x20;
constexpr uint32_t kVkPrior = 0x21; // Page Up
constexpr uint32_t kVkNext = 0x22;  // Page Down
constexpr uint32_t kVkEnd = 0x23;
constexpr uint32_t kVkHome = 0x24;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkUp = 0x26;
constexpr uint32_t kVkRight = 0x27;
constexpr uint32_t kVkDown = 0x28;
constexpr uint32_t kVkSnapshot = 0x2C;
constexpr uint32_t kVkInsert = 0x2D;
constexpr uint32_t kVkDelete = 0x2E;
constexpr uint32_t kVkLWin = 0x5B;
constexpr uint32_t kVkRWin = 0x5C;
constexpr uint32_t kVkApps = 0x5D;
constexpr uint32_t kVkNumpad0 = 0x60; // ..kVkNumpad0 + 9
constexpr uint32_t kVkMultiply = 0x6A;
constexpr uint32_t kVkAdd = 0x6B;
constexpr uint32_t kVkSubtract = 0x6D;
constexpr uint32_t kVkDecimal = 0x6E;
constexpr uint32_t kVkDivide = 0x6F;
constexpr uint32_t kVkF1 = 0x70; // ..kVkF1 + 23 (F24)
constexpr uint32_t kVkNumLock = 0x90;
constexpr uint32_t kVkScroll = 0x91;
constexpr uint32_t kVkOemSemicolon = 0xBA; // ;:
constexpr uint32_t kVkOemPlus = 0xBB;      // =+
constexpr uint32_t kVkOemComma = 0xBC;     // ,<
constexpr uint32_t kVkOemMinus = 0xBD;     // -_
constexpr uint32_t kVkOemPeriod = 0xBE;    // .>
constexpr uint32_t kVkOemSlash = 0xBF;     // /?
constexpr uint32_t kVkOemTilde = 0xC0;     // `~
constexpr uint32_t kVkOemOpenBracket = 0xDB;
constexpr uint32_t kVkOemBackslash = 0xDC;
constexpr uint32_t kVkOemCloseBracket = 0xDD;
constexpr uint32_t kVkOemQuote = 0xDE;

// A window event: input, size, paint, focus and close. Which fields mean
// something depends on the message:
// - mouse buttons, moves and kWmMouseWheel: x, y in client coordinates and
//   screenX, screenY the same point on the screen (the system's wheel
//   message carries only the screen point; both are given so no caller has
//   to convert), keyFlags kMk*;
// - kWmMouseWheel also: wheelDelta (+kWheelDelta per notch away from the
//   user);
// - kWmKeyDown/Up, kWmSysKeyDown/Up: key (virtual-key code), repeat (1),
//   keyFlags kKf*;
// - kWmChar: key is one byte of typed GBK text (a two-byte character
//   arrives as two events, lead byte first), repeat (1);
// - kWmSize: sizeKind (kSize*), width, height of the client area (0, 0
//   when minimised);
// - kWmPaint: x, y, width, height of the part of the client area to show
//   again (all of it when the window system asked);
// - kWmSetFocus, kWmKillFocus, kWmClose, kWmSetCursor, kWmDestroy,
//   kWmMouseLeave: no fields.
struct WindowEvent {
    uint32_t message = 0;
    int x = 0;
    int y = 0;
    int screenX = 0;
    int screenY = 0;
    int wheelDelta = 0;
    uint32_t keyFlags = 0;
    uint32_t key = 0;
    uint32_t repeat = 0;
    uint32_t sizeKind = 0;
    int width = 0;
    int height = 0;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Left/top inclusive, right/bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace platform
