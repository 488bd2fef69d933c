#include "frame/ui/FrameScrollBar.h"

#include "engine/core/ModuleMessage.h"

namespace frame {

void FrameScrollBar::NotifyOwner()
{
    double values[3] = { ScrollBar::GetPosition(), GetVisibleLength(), GetContentLength() };
    SendEvent(engine::EngineEvent(GetOwner(), engine::EVT_SCROLL, engine::ToWord(values), IsVertical() ? 1 : 0));
}

int FrameScrollBar::GetMaxPosition() const
{
    return static_cast<int>(GetContentLength() - GetVisibleLength());
}

int FrameScrollBar::GetPosition() const
{
    return static_cast<int>(ScrollBar::GetPosition());
}

} // namespace frame
