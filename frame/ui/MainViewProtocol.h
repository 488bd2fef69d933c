#pragma once
// What passes between the main game view and its two children, the table
// view and the side pane: the properties the view sets for them to read and
// the events it hands them. A child needs this, not the view's class.

namespace frame {

// Engine integer properties the side pane, the advertisement bar and the
// scroll bars read.
inline constexpr int kSideRowProperty = 50007;
inline constexpr int kSideGapProperty = 50008;
inline constexpr int kSideSeatRowProperty = 50009;
inline constexpr int kAdvertHeightProperty = 50010;
inline constexpr int kHorzScrollHeightProperty = 50011;

// Events the view hands to its children (private to the children).
inline constexpr int EVT_CHILD_NEXT_ROUND = 80000002;
inline constexpr int EVT_CHILD_RESET = 80000003;
inline constexpr int EVT_CHILD_ENTERED = 80000011;
inline constexpr int EVT_CHILD_ENTERED_LOOK_ON = 80000012;
inline constexpr int EVT_CHILD_ENTERED_ALT = 80000013;
inline constexpr int EVT_CHILD_PLAYER_ENTER = 80000014;
inline constexpr int EVT_CHILD_LOOKER_ENTER = 80000015;
inline constexpr int EVT_CHILD_PLAYER_LEAVE = 80000016;
inline constexpr int EVT_CHILD_LOOKER_LEAVE = 80000017;
inline constexpr int EVT_CHILD_RANDOM_SEAT = 80000018;
inline constexpr int EVT_CHILD_USER_LIST = 80000019;
inline constexpr int EVT_CHILD_TABLE_CHANGED = 80000020;
inline constexpr int EVT_CHILD_SILVER = 80000021;
inline constexpr int EVT_CHILD_MATCH_BEGIN = 80000025;
inline constexpr int EVT_CHILD_SIGNED_UP = 80000028;
inline constexpr int EVT_CHILD_MATCH_ENTERED = 80000030;
inline constexpr int EVT_CHILD_SYSTEM_LINE = 80000057;
inline constexpr int EVT_CHILD_SERVER_TEXT = 80000062;
inline constexpr int EVT_CHILD_PANE_MATCH_ENTERED = 80000077;
inline constexpr int EVT_CHILD_OPEN_SETTINGS = 80000078;
// Sent to the table view around a result.
inline constexpr int EVT_CHILD_MATCH_RESULT_SHOWN = 80000052;
inline constexpr int EVT_CHILD_MATCH_RESULT = 80000053;

} // namespace frame
