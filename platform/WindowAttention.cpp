#include "platform/WindowAttention.h"

namespace platform {

bool MainWindowIsForeground()
{
    return false;
}

void FlashMainWindowCaption()
{
}

} // namespace platform
