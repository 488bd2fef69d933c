#pragma once
// The engine's event record (its codes are in EventCodes.h).
//
// Blocks handed over with an event for the receiver to free (the param of
// EVT_FREE_DATA, texts passed with events) are allocated with
// AllocEventBlock and freed with FreeEventBlock.

#include "engine/core/EventCodes.h"
#include "engine/core/ModuleMessage.h"

#include <cstddef>
#include <cstdint>

namespace engine {

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
