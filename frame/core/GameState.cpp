#include "frame/core/GameState.h"

#include <limits>

void GameState::ResetFlags()
{
    m_exitRequestCount = 0;
    m_exitRequestTick = 0;
}

void GameState::RecordExitRequest(uint32_t now)
{
    if (m_exitRequestCount < std::numeric_limits<int>::max())
        ++m_exitRequestCount;
    m_exitRequestTick = now != 0 ? now : 1;
}
