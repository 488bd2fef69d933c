#pragma once
// Dispatching a thread's messages. A thread that runs a user interface
// installs the function that handles its messages; code that waits on that
// thread (a blocking connect, for example) takes messages from the queue and
// dispatches them here, so windows and timers keep running while it waits.

#include "platform/MessageQueue.h"

#include <functional>

namespace platform {

using ThreadMessageHandler = std::function<void(const Message&)>;

// Installs (or, with an empty function, removes) the calling thread's handler.
void SetThreadMessageHandler(ThreadMessageHandler handler);

// Hands the message to the calling thread's handler. With no handler the
// message has no taker and whatever it carries is freed (its disposer runs).
void DispatchThreadMessage(const Message& message);

} // namespace platform
