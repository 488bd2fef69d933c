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

void WriteLine(const char* text, const char* mode)
{
    std::string path = platform::ExecutableDir() + kRunLogName;
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), mode);
    if (!file)
        return;
    std::string line = ComposeLine(text);
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

} // namespace

void LogStart()
{
    WriteLine("GameCore Start", "wb");
}

void LogPrintf(const char* format, ...)
{
    // vsnprintf cuts an over-long message instead of writing past the buffer.
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteLine(text, "ab");
}

} // namespace engine
