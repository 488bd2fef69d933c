#include "engine/core/EngineRunLog.h"

#include "platform/Clock.h"
#include "platform/Files.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace engine {

namespace {

constexpr const char* kRunLogName = "GameRun.log";

std::string ComposeLine(const char* text)
{
    platform::LocalTime t = platform::LocalNow();
    char line[1200];
    std::snprintf(line, sizeof line, "%02d/%02d/%02d     %02d:%02d:%02d     %s\r\n", t.year, t.month, t.day,
        t.hour, t.minute, t.second, text);
    return line;
}

std::string RunLogPath()
{
    return platform::StateDirectory() + kRunLogName;
}

} // namespace

void LogStart()
{
    platform::MakeDirectories(platform::StateDirectory());
    std::FILE* file = std::fopen(platform::NativePath(RunLogPath()).c_str(), "wb");
    if (!file)
        return;
    std::string line = ComposeLine("GameCore Start");
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

void LogPrintf(const char* format, ...)
{
    // vsnprintf cuts an over-long message instead of writing past the buffer.
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    platform::AppendCreatingDirectory(RunLogPath(), ComposeLine(text));
}

} // namespace engine
