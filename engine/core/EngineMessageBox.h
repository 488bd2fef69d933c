#pragma once
// Message boxes that the engine shows (module faults, directories that
// cannot be made, system errors). The host window installs the handler
// that really shows them; without one the text goes to stderr. Tests
// install a handler that records what would have been shown.

#include <functional>
#include <string>

namespace engine {

enum class MessageBoxIcon {
    None,
    Error,
};

struct MessageBoxRequest {
    std::string text;
    std::string caption; // empty: the box has no caption of its own
    MessageBoxIcon icon = MessageBoxIcon::None;
};

void ShowEngineMessageBox(const MessageBoxRequest& request);

using MessageBoxHandler = std::function<void(const MessageBoxRequest& request)>;
void SetEngineMessageBoxHandler(MessageBoxHandler handler);

} // namespace engine
