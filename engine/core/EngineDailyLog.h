#pragma once
// The engine's way into the client's daily log. Every engine line that
// belongs in the daily log goes through EngineDailyLog, so the daily log
// writer of the network library is wired in this one place.

#include <functional>
#include <string>

namespace engine {

// Formats one line (bounded, truncated when too long) and hands it on.
void EngineDailyLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where formatted lines go: by default the engine writer of the daily log
// (GameYYYYMMDD.log). Tests set a sink to see the lines; an empty function
// restores the default.
using DailyLogSink = std::function<void(const std::string& line)>;
void SetEngineDailyLogSink(DailyLogSink sink);

} // namespace engine
