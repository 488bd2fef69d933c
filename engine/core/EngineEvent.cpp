#include "engine/core/EngineEvent.h"

namespace engine {

uint8_t* AllocEventBlock(size_t size)
{
    return new uint8_t[size > 0 ? size : 1]();
}

void FreeEventBlock(MessageWord block)
{
    delete[] FromWord<uint8_t>(block);
}

} // namespace engine
