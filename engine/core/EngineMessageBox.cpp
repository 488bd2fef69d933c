#include "engine/core/EngineMessageBox.h"

#include <cstdio>
#include <mutex>

namespace engine {

namespace {

struct HandlerState {
    std::mutex lock;
    MessageBoxHandler handler;
};

HandlerState& State()
{
    static HandlerState state;
    return state;
}

} // namespace

void ShowEngineMessageBox(const MessageBoxRequest& request)
{
    MessageBoxHandler handler;
    {
        auto& s = State();
        std::lock_guard guard(s.lock);
        handler = s.handler;
    }
    if (handler)
        handler(request);
    else
        std::fprintf(stderr, "[message box] %s: %s\n", request.caption.c_str(), request.text.c_str());
}

void SetEngineMessageBoxHandler(MessageBoxHandler handler)
{
    auto& s = State();
    std::lock_guard guard(s.lock);
    s.handler = std::move(handler);
}

} // namespace engine
