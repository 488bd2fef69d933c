#include "platform/Clipboard.h"

#include "platform/Gbk.h"
#include "platform/SdlVideo.h"

#include <SDL.h>

namespace platform {

bool SetClipboardText(std::string_view gbk)
{
    if (!SdlVideo::ActiveOnThisThread())
        return false;
    return SDL_SetClipboardText(Gbk::ToUtf8(gbk).c_str()) == 0;
}

bool GetClipboardText(std::string& gbk)
{
    gbk.clear();
    if (!SdlVideo::ActiveOnThisThread() || !SDL_HasClipboardText())
        return false;
    char* text = SDL_GetClipboardText();
    if (!text)
        return false;
    gbk = Gbk::FromUtf8(text);
    SDL_free(text);
    return !gbk.empty();
}

} // namespace platform
