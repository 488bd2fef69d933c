#pragma once
// Copied data: how another program hands a window a numbered block of bytes
// (the lobby's records reach the game's main window this way). The record
// is sent with kWmCopyData, its address in lParam; the bytes belong to the
// sender and are valid only while the receiver's handler runs.

#include "platform/WindowMessages.h"

#include <cstddef>
#include <cstdint>

namespace platform {

struct CopyDataRecord {
    uintptr_t id = 0; // what kind of record the bytes are; the peers agree on the numbers
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};

} // namespace platform
