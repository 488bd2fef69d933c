#pragma once
// Timed actions and the stages of action groups, kept by the object module
// in its pools.

#include "engine/core/EngineEvent.h"

#include <cstdint>

namespace engine {

class EngineObject;
class GameCore;

// Called at every step with the time since the first step (0 on the first);
// nonzero when the action is finished.
using ActionStep = int (*)(EngineObject* target, void* params, GameCore* core, uint32_t elapsed);

struct ActionGroup {
    uint64_t id = 0;
    ActionGroup* parent = nullptr;      // the stage of the enclosing group it was begun in
    ActionGroup* previous = nullptr;    // earlier stage of the same group
    ActionGroup* next = nullptr;        // later stage of the same group
    ActionGroup* firstChild = nullptr;  // groups begun in this stage
    ActionGroup* nextSibling = nullptr; // in the parent stage's child list
    int memberCount = 0;                // actions and nested groups not finished
};

struct TimedAction {
    // Room for the largest step's block: a flip keeps a whole picture
    // descriptor, whose pointer and key make it larger than 64 bytes here.
    static constexpr size_t kParamBytes = 96;

    uint64_t id = 0;
    ActionGroup* group = nullptr;
    // The object worked on, or null. Before each step the object module checks
    // that targetId still names this object, so a removed target is never
    // touched.
    EngineObject* target = nullptr;
    int targetId = 0;
    int held = 0;
    int cancelled = 0;
    bool started = false;
    uint32_t startTime = 0;
    uint32_t lastStepTime = 0;
    uint32_t interval = 0;
    alignas(8) uint8_t params[kParamBytes] = {};
    ActionStep step = nullptr;
    EngineEvent finishEvent; // sent when the action completes and its code is nonzero
    TimedAction* next = nullptr;
};

} // namespace engine
