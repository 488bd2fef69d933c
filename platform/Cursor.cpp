#include "platform/Cursor.h"

#include "platform/SdlVideo.h"

#include <SDL.h>

#include <array>
#include <atomic>

namespace platform {

struct CursorShape {
    SystemCursor id;
    SDL_SystemCursor sdlId;
    SDL_Cursor* sdl; // created on first use while video runs; owned here
};

namespace {

std::array<CursorShape, 12> g_shapes { {
    { SystemCursor::kArrow, SDL_SYSTEM_CURSOR_ARROW, nullptr },
    { SystemCursor::kIBeam, SDL_SYSTEM_CURSOR_IBEAM, nullptr },
    { SystemCursor::kWait, SDL_SYSTEM_CURSOR_WAIT, nullptr },
    { SystemCursor::kCross, SDL_SYSTEM_CURSOR_CROSSHAIR, nullptr },
    { SystemCursor::kSizeNwse, SDL_SYSTEM_CURSOR_SIZENWSE, nullptr },
    { SystemCursor::kSizeNesw, SDL_SYSTEM_CURSOR_SIZENESW, nullptr },
    { SystemCursor::kSizeWe, SDL_SYSTEM_CURSOR_SIZEWE, nullptr },
    { SystemCursor::kSizeNs, SDL_SYSTEM_CURSOR_SIZENS, nullptr },
    { SystemCursor::kSizeAll, SDL_SYSTEM_CURSOR_SIZEALL, nullptr },
    { SystemCursor::kNo, SDL_SYSTEM_CURSOR_NO, nullptr },
    { SystemCursor::kHand, SDL_SYSTEM_CURSOR_HAND, nullptr },
    { SystemCursor::kAppStarting, SDL_SYSTEM_CURSOR_WAITARROW, nullptr },
} };

CursorHandle g_current = &g_shapes[0];
std::atomic<int> g_displayCount { 0 };

void Apply()
{
    if (!SdlVideo::ActiveOnThisThread())
        return;
    auto* shape = const_cast<CursorShape*>(g_current);
    if (!shape->sdl)
        shape->sdl = SDL_CreateSystemCursor(shape->sdlId);
    if (shape->sdl)
        SDL_SetCursor(shape->sdl);
    SDL_ShowCursor(g_displayCount.load() >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace

CursorHandle LoadSystemCursor(SystemCursor shape)
{
    for (const auto& entry : g_shapes)
        if (entry.id == shape)
            return &entry;
    return &g_shapes[0];
}

void SetCursor(CursorHandle cursor)
{
    g_current = cursor ? cursor : &g_shapes[0];
    Apply();
}

CursorHandle GetCursor() { return g_current; }

int ShowCursor(bool show)
{
    int count = show ? ++g_displayCount : --g_displayCount;
    if (SdlVideo::ActiveOnThisThread())
        SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return count;
}

Point CursorScreenPos()
{
    Point p;
    if (SdlVideo::ActiveOnThisThread())
        SDL_GetGlobalMouseState(&p.x, &p.y);
    return p;
}

void ReleaseSystemCursors()
{
    for (auto& entry : g_shapes) {
        if (entry.sdl)
            SDL_FreeCursor(entry.sdl);
        entry.sdl = nullptr;
    }
}

void ApplyCursorState() { Apply(); }

} // namespace platform
