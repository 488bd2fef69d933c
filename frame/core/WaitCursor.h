#pragma once
// The wait cursor for as long as the object lives: shown while the
// user-interface thread blocks on the network.

#include "platform/Cursor.h"

namespace frame {

class WaitCursor {
public:
    WaitCursor()
        : m_previous(platform::GetCursor())
    {
        platform::SetCursor(platform::LoadSystemCursor(platform::SystemCursor::kWait));
    }
    ~WaitCursor() { platform::SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    platform::CursorHandle m_previous;
};

} // namespace frame
