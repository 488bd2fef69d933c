#pragma once
// The engine's event codes: what the input module raises and what the
// engine objects handle. Code that only reacts to events needs these, not
// the modules that raise them. The controls' own codes stand with each
// control.

namespace engine {

// Input: the codes strictly between EVT_INPUT_FIRST and EVT_INPUT_LAST.
inline constexpr int EVT_INPUT_FIRST = 19840324; // exclusive
inline constexpr int EVT_MOUSE_ENTER = 19840325;
inline constexpr int EVT_MOUSE_LEAVE = 19840326;
inline constexpr int EVT_MOUSE_MOVE = 19840327;
inline constexpr int EVT_LBUTTON_DOWN = 19840328;
inline constexpr int EVT_LBUTTON_UP = 19840329;
inline constexpr int EVT_CLICK = 19840330;
inline constexpr int EVT_DRAG = 19840331;
inline constexpr int EVT_RBUTTON_DOWN = 19840332;
inline constexpr int EVT_RBUTTON_UP = 19840333;
inline constexpr int EVT_RCLICK = 19840334;
inline constexpr int EVT_RDRAG = 19840335;
inline constexpr int EVT_BUTTON_RELEASE = 19840336;
inline constexpr int EVT_DBLCLICK = 19840337;
inline constexpr int EVT_HOVER = 19840338;
inline constexpr int EVT_HOVER_END = 19840339;
inline constexpr int EVT_MBUTTON = 19840340;
// The middle release: the free code after EVT_MBUTTON.
inline constexpr int EVT_MBUTTON_UP = 19840341;
inline constexpr int EVT_WHEEL_UP = 19840342;
inline constexpr int EVT_WHEEL_DOWN = 19840343;
inline constexpr int EVT_KEY_DOWN = 19840345;
inline constexpr int EVT_KEY_UP = 19840346;
inline constexpr int EVT_CHAR = 19840347;
inline constexpr int EVT_FIRST_PRESS = 19840348;
inline constexpr int EVT_RELEASE_ALL = 19840349;
inline constexpr int EVT_WINDOW_ENTER = 19840350;
inline constexpr int EVT_WINDOW_LEAVE = 19840351;
inline constexpr int EVT_FOCUS = 19840352;
inline constexpr int EVT_BLUR = 19840353;
inline constexpr int EVT_INPUT_LAST = 19840354; // exclusive

// The cursor's shape, asked of the input module.
inline constexpr int EVT_CURSOR_HAND = 19840357;
inline constexpr int EVT_CURSOR_ARROW = 19840358;
inline constexpr int EVT_CURSOR_UPDATE = 19840360;

// Objects.
inline constexpr int EVT_DRAG_MOVE = 19840372;
inline constexpr int EVT_SHOW = 19840375;
inline constexpr int EVT_HIDE = 19840376;
inline constexpr int EVT_FREE_DATA = 19840388;
inline constexpr int EVT_FREE_DATA2 = 19840389;

inline bool IsInputCode(int code)
{
    return code > EVT_INPUT_FIRST && code < EVT_INPUT_LAST;
}

} // namespace engine
