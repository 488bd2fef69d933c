#pragma once
// How the engine services reach the music module (1004). The module is
// found by id like every other; the calls go through this table, which the
// host window fills when it loads a music module, so the services need no
// compile-time link to it. A core without the table or without the module
// has no sound: every sound service then does nothing and logs it.

#include "engine/core/EngineEvent.h"

#include <string_view>

namespace engine {

class ModuleBase;

struct SoundCalls {
    // The channel, or 0 when the sound cannot be played.
    int (*playSound)(ModuleBase& music, std::string_view name, int loops, const EngineEvent* endEvent) = nullptr;
    void (*stop)(ModuleBase& music, int channel) = nullptr;
    void (*resume)(ModuleBase& music, int channel, int restart) = nullptr;
    void (*pause)(ModuleBase& music, int channel) = nullptr;
    void (*unloadSound)(ModuleBase& music, std::string_view name) = nullptr;
    void (*stopAll)(ModuleBase& music) = nullptr;
    void (*setMute)(ModuleBase& music, int flag) = nullptr;
};

} // namespace engine
