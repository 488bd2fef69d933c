#include "platform/MessageDispatch.h"

namespace platform {

namespace {
thread_local ThreadMessageHandler t_handler;
}

void SetThreadMessageHandler(ThreadMessageHandler handler)
{
    t_handler = std::move(handler);
}

void DispatchThreadMessage(const Message& message)
{
    if (t_handler)
        t_handler(message);
    else if (message.disposer)
        message.disposer(message);
}

} // namespace platform
