#include "net/DailyLog.h"

#include "platform/Clock.h"
#include "platform/Files.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace net {

namespace {

constexpr size_t kMaxStem = 259;

struct LibraryWriter {
    std::mutex lock; // serialises library lines from every thread
    std::string stem = kDefaultLogStem;
    uint32_t options = kDefaultLogOptions;
};

LibraryWriter& Writer()
{
    static LibraryWriter writer;
    return writer;
}

std::string DayFile(const std::string& stem, const platform::LocalTime& t)
{
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", t.year, t.month, t.day);
    return platform::StateDirectory() + stem + date + ".log";
}

// The caller holds the writer's lock.
void WriteLibraryLine(LibraryWriter& w, const char* text)
{
    platform::LocalTime t = platform::LocalNow();
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%04d/%02d/%02d  %02d:%02d:%02d  ", t.year, t.month, t.day, t.hour,
        t.minute, t.second);
    std::string line = prefix;
    line += text;
    if (w.options & kLogCrLf)
        line += "\r\n";
    if (!(w.options & kLogToFile))
        return;
    platform::AppendCreatingDirectory(DayFile(w.stem, t), line); // a file that cannot be opened loses the line
}

} // namespace

void LogInit(const char* stem, uint32_t options)
{
    auto& w = Writer();
    std::lock_guard guard(w.lock);
    if (stem)
        w.stem = std::string(stem).substr(0, kMaxStem);
    if (options)
        w.options = options;
}

void LogShutdown()
{
    auto& w = Writer();
    std::lock_guard guard(w.lock);
    w.stem = kDefaultLogStem;
    w.options = kDefaultLogOptions;
}

void LogMessage(const char* format, ...)
{
    char message[kLogMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    auto& w = Writer();
    std::lock_guard guard(w.lock);
    WriteLibraryLine(w, message);
}

void LogWriteLine(const char* text)
{
    auto& w = Writer();
    std::lock_guard guard(w.lock);
    WriteLibraryLine(w, text);
}

void WriteDailyLog(const char* format, ...)
{
    char message[kEngineLogMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);

    platform::LocalTime t = platform::LocalNow();
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%02d/%02d/%02d     %02d:%02d:%02d      ", t.year, t.month, t.day, t.hour,
        t.minute, t.second);
    std::string line = prefix;
    line += message;
    line += "\r\n";
    platform::AppendCreatingDirectory(DayFile("Game", t), line);
}

} // namespace net
