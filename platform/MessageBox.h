#pragma once
// Modal message boxes with the system's type flags and answer codes. A
// process-wide test mode replaces the box: the text is logged and the set
// answer returned at once, so code that asks the user can run unattended.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Window;

// Buttons (low four bits).
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbOkCancel = 0x01;
constexpr uint32_t kMbYesNoCancel = 0x03;
constexpr uint32_t kMbYesNo = 0x04;
// Icons.
constexpr uint32_t kMbIconHand = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;

// Answers; 0 when no box could be shown.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Shows a box over owner (may be null) with GBK text and caption and waits
// for the answer. The owner's events wait meanwhile, as they do under any
// modal box. Closing the box without a button answers Cancel (or No for a
// Yes/No box, OK for an OK box).
int MessageBox(const Window* owner, std::string_view text, std::string_view caption, uint32_t type);

struct MessageBoxRecord {
    std::string text;    // GBK
    std::string caption; // GBK
    uint32_t type = 0;
    int answer = 0;
};

// Test mode: while an answer is set, MessageBox shows nothing, writes the
// box to standard error and the log below, and returns the answer. nullopt
// shows real boxes again.
void SetMessageBoxAnswer(std::optional<int> answer);
// The boxes answered in test mode since the last call, oldest first.
std::vector<MessageBoxRecord> TakeMessageBoxLog();

} // namespace platform
