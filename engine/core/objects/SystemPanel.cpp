#include "engine/core/objects/SystemPanel.h"

#include "engine/core/objects/CanvasObject.h"

namespace engine {

bool SystemPanel::Create(int width, int height, const EngineEvent* ok, const EngineEvent* cancel, int seconds)
{
    m_canvas = CreateCanvas(width, height, 0x8000);
    if (!m_canvas)
        return false;
    Bind(m_canvas, LINK_STANDARD);
    m_ok = ok ? *ok : EngineEvent {};
    m_cancel = cancel ? *cancel : EngineEvent {};
    m_seconds = seconds;
    return true;
}

} // namespace engine
