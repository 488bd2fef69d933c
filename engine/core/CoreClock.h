#pragma once
// The engine's millisecond clock: time since the clock started, never going
// backwards, counted across the wrap of the 32-bit system tick.

#include <cstdint>

namespace engine {

class CoreClock {
public:
    CoreClock();

    // Milliseconds since the start (64-bit).
    uint64_t Elapsed();
    // Restarts the clock as if it had started `back` milliseconds ago.
    void Reset(uint32_t back = 0);

private:
    uint32_t m_lastTick = 0;
    uint64_t m_value = 0;
};

} // namespace engine
