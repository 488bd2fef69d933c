#pragma once
// The engine run log, "GameRun.log" in the state directory
// ($XDG_STATE_HOME/kbzn, created as needed): restarted
// at every engine start, then one dated line per call.
//   2026/12/10     14:03:07     GameCore Start\r\n

namespace engine {

// Truncates the file and writes the "GameCore Start" line.
void LogStart();

// Appends one line. The message is cut to 1023 bytes when longer; a file
// that cannot be opened loses the line.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace engine
