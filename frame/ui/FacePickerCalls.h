#pragma once
// What the chat box asks of the emoticon picker, and what a pick sends to
// the side pane: the box and the pane need no more of the picker than this.

#include <string_view>

namespace frame {

// What a pick sends to "SubSystem": param the code (const char*, valid
// during the call), data the entry's index.
inline constexpr int EVT_FACE_PICKED = 80000067;
inline constexpr int EVT_FACE_PICKED_ALTERNATE = 80000068;

// What the box asks of the emoticon picker.
class FacePickerCalls {
public:
    virtual ~FacePickerCalls() = default;
    // One face: its two-character name, the code typed for it ("#" + name)
    // and the index's number.
    virtual void AddEntry(std::string_view name, std::string_view code, int number) = 0;
    // All entries are in.
    virtual void DrawEntries() = 0;
};

} // namespace frame
