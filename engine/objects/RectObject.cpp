#include "engine/objects/RectObject.h"

namespace engine {

void RectObject::SetRect(const Rect& rect)
{
    m_rect = rect;
    OnRectChanged();
}

Rect* RectObject::GetRect(Rect* out) const
{
    if (out)
        *out = m_rect;
    return out;
}

} // namespace engine
