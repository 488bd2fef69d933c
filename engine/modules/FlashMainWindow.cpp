#include "engine/modules/FlashMainWindow.h"

#include "platform/WindowAttention.h"

namespace engine {

void FlashMainWindow()
{
    if (!platform::MainWindowIsForeground())
        platform::FlashMainWindowCaption();
}

} // namespace engine
