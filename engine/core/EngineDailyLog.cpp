#include "engine/core/EngineDailyLog.h"

#include "net/DailyLog.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace engine {

namespace {

struct SinkState {
    std::mutex lock;
    DailyLogSink sink;
};

SinkState& State()
{
    static SinkState state;
    return state;
}

} // namespace

void EngineDailyLog(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    DailyLogSink sink;
    {
        auto& s = State();
        std::lock_guard guard(s.lock);
        sink = s.sink;
    }
    if (sink)
        sink(text);
    else
        net::WriteDailyLog("%s", text);
}

void SetEngineDailyLogSink(DailyLogSink sink)
{
    auto& s = State();
    std::lock_guard guard(s.lock);
    s.sink = std::move(sink);
}

} // namespace engine
