#pragma once
// The client's text log: one file per day in the state directory
// ($XDG_STATE_HOME/kbzn, created as needed), to which two writers append
// whole lines.
//
// The library writer (LogInit, LogMessage) may be called from any thread and
// writes "YYYY/MM/DD  hh:mm:ss  text" to <stem>YYYYMMDD.log. The engine
// writer (WriteDailyLog) is called on the user-interface thread and writes
// "YYYY/MM/DD     hh:mm:ss      text\r\n" to GameYYYYMMDD.log, which is the
// library writer's file when the stem is "Game".

#include <cstddef>
#include <cstdint>

namespace net {

enum LogOption : uint32_t {
    kLogCrLf = 0x8, // end each library line with CR LF
    kLogToFile = 0x80000, // write the line to the day's file
};

constexpr const char* kDefaultLogStem = "MXDLog";
constexpr uint32_t kDefaultLogOptions = 0x80008;
constexpr size_t kLogMessageSize = 4096; // library message, with its terminator
constexpr size_t kEngineLogMessageSize = 1024; // engine message, with its terminator

// Sets the file-name stem (a null stem keeps the current one; at most 259
// bytes are kept) and the option bits (0 keeps the current ones).
void LogInit(const char* stem, uint32_t options);
// Restores the defaults; called at exit.
void LogShutdown();

// Formats with printf rules and writes one library line. A message longer
// than the buffer is cut to fit.
void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes one library line as it stands.
void LogWriteLine(const char* text);

// Formats with printf rules and writes one engine line (cut to fit its
// 1024-byte buffer).
void WriteDailyLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace net
