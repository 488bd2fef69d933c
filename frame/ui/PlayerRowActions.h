#pragma once
// What the side pane's player lists (the user list and the match list) do
// with a player picked from a row's menu: copy the name, or call the
// player to the table.

#include <string_view>

namespace frame {

// Calls a seated player: request 201200, then the call shown here as the
// other players see it (the 40-byte call record handed to the notification
// handler). False, and nothing sent, for a user id of 0 or less, a user
// without a chair, or a room with option B bit 0x08.
bool CallPlayerFromList(int userId);

// The name on the clipboard as text; false when there is no clipboard.
bool CopyPlayerName(std::string_view name);

} // namespace frame
