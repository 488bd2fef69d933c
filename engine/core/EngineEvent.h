#pragma once
// The engine's event record and the event codes the engine objects handle.
//
// Blocks handed over with an event for the receiver to free (the param of
// EVT_FREE_DATA, texts passed with events) are allocated with
// AllocEventBlock and freed with FreeEventBlock.

#include "engine/core/ModuleMessage.h"

#include <cstddef>
#include <cstdint>

namespace engine {

inline constexpr int EVT_INPUT_FIRST = 19840324; // exclusive
inline constexpr int EVT_LBUTTON_DOWN = 19840328;
inline constexpr int EVT_LBUTTON_UP = 19840329;
inline constexpr int EVT_DRAG = 19840331;
inline constexpr int EVT_INPUT_LAST = 19840354; // exclusive
inline constexpr int EVT_DRAG_MOVE = 19840372;
inline constexpr int EVT_SHOW = 19840375;
inline constexpr int EVT_HIDE = 19840376;
inline constexpr int EVT_FREE_DATA = 19840388;
inline constexpr int EVT_FREE_DATA2 = 19840389;

inline bool IsInputCode(int code)
{
    return code > EVT_INPUT_FIRST && code < EVT_INPUT_LAST;
}

struct EngineEvent {
    int target = 0;        // id of the receiving object (0 = none)
    int code = 0;          // 0 = none
    MessageWord param = 0; // a value or a pointer, as the code defines
    MessageWord data = 0;  // input events: a pointer to an InputState copy

    EngineEvent() = default;
    EngineEvent(int target_, int code_, MessageWord param_ = 0, MessageWord data_ = 0)
        : target(target_)
        , code(code_)
        , param(param_)
        , data(data_)
    {
    }
    friend bool operator==(const EngineEvent&, const EngineEvent&) = default;

    // The words as the event's code defines them: a number (an id, an
    // index, a count) or a pointer to what the sender passes along.
    int ParamInt() const { return static_cast<int>(param); }
    int DataInt() const { return static_cast<int>(data); }
    template <class T>
    T* ParamAs() const
    {
        return FromWord<T>(param);
    }
    template <class T>
    T* DataAs() const
    {
        return FromWord<T>(data);
    }
};

uint8_t* AllocEventBlock(size_t size);
void FreeEventBlock(MessageWord block);

} // namespace engine
