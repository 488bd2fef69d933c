#pragma once
// The input record that the input module keeps and copies into the data of
// every input event.

#include <cstdint>

namespace engine {

struct InputState {
    int x = 0;  // view coordinates of the last mouse event
    int y = 0;
    int dx = 0; // movement since the previous mouse event
    int dy = 0;
    uint32_t stateFlags = 0;
    int hoveredId = 0;
    int focusId = 0;
    uint32_t keyFlags = 0;
    uint32_t lastKeyDown = 0;
    uint32_t lastKeyUp = 0;
    uint32_t repeatCount = 0;
    uint32_t character = 0;
    void* pool = nullptr; // the pool the copy came from (not owned)
};

} // namespace engine
