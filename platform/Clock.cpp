#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <mutex>

namespace platform {

namespace {

struct ClockOverrides {
    std::mutex lock;
    std::optional<LocalTime> localTime;
    std::optional<uint32_t> tick;
};

ClockOverrides& Overrides()
{
    static ClockOverrides overrides;
    return overrides;
}

} // namespace

LocalTime LocalNow()
{
    {
        auto& o = Overrides();
        std::lock_guard guard(o.lock);
        if (o.localTime)
            return *o.localTime;
    }
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm tm {};
    localtime_r(&seconds, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return LocalTime { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms) };
}

uint32_t TickMs()
{
    {
        auto& o = Overrides();
        std::lock_guard guard(o.lock);
        if (o.tick)
            return *o.tick;
    }
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void SetFixedLocalTime(std::optional<LocalTime> time)
{
    auto& o = Overrides();
    std::lock_guard guard(o.lock);
    o.localTime = time;
}

void SetFixedTick(std::optional<uint32_t> tick)
{
    auto& o = Overrides();
    std::lock_guard guard(o.lock);
    o.tick = tick;
}

} // namespace platform
