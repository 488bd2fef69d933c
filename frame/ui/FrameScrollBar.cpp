#include "frame/ui/FrameScrollBar.h"

#include "engine/core/GameCore.h"
#include "engine/core/ModuleMessage.h"

#include <string>

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

void FrameScrollBar::CreateFromSkin(int owner, bool vertical)
{
    // Track, thumb, grip, first arrow, second arrow.
    const int first = engine::PROP_SCROLLBAR_FIRST + (vertical ? 0 : 5);
    engine::PictureDesc parts[5];
    for (int i = 0; i < 5; ++i) {
        const std::string* name = GetStringProperty(first + i);
        LookupPicture(&parts[i], name ? *name : std::string(), 0);
    }
    constexpr int kLength = 100;
    if (vertical)
        Create(owner, parts[0].width, kLength, 1, 0);
    else
        Create(owner, kLength, parts[0].height, 0, 0);
    SetTrackImage(parts[0]);
    SetThumbImage(parts[1]);
    SetThumbPicture(parts[2]);
    if (vertical) {
        CreateUpButton(parts[3]);
        CreateDownButton(parts[4]);
    } else {
        CreateLeftButton(parts[3]);
        CreateRightButton(parts[4]);
    }
}

} // namespace frame
