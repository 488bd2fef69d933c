#include "engine/core/CoreClock.h"

#include "platform/Clock.h"

namespace engine {

CoreClock::CoreClock()
{
    Reset(0);
}

uint64_t CoreClock::Elapsed()
{
    // The tick is monotonic and wraps at 2^32; the unsigned difference is the
    // time passed since the last read, across the wrap too.
    uint32_t tick = platform::TickMs();
    m_value += static_cast<uint32_t>(tick - m_lastTick);
    m_lastTick = tick;
    return m_value;
}

void CoreClock::Reset(uint32_t back)
{
    m_lastTick = platform::TickMs();
    m_value = back;
}

} // namespace engine
